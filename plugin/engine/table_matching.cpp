// Table and row matching of described holes, and the shape predicates around it. T is the base
// tolerance; the tip-angle window is that of "ProcessMachTool" 5 and 6 (degrees).
#include "plugin/base/vectors.h"
#include "plugin/engine/table_matching.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/engine/hole_description.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/tables.h"

namespace {

constexpr double kRadToDeg = 180 / std::numbers::pi;
constexpr double kDegToRad = std::numbers::pi / 180;

double cellNumber(const CTabColsDesc& table, int row, int colId) {
    if (colId < 1 || colId > table.columnCount) return 0;
    return std::strtod(table.cell(row, colId - 1).c_str(), nullptr);
}

bool inTipWindow(double fullAngleDeg, double tol) {
    const PRM_SETTINGS& s = g_globals->settings;
    return isBetweenTol(fullAngleDeg, s.minDrawnTipAngle, s.maxDrawnTipAngle, tol) != 0;
}

bool sameDesignation(const std::string& cell, const std::string& designation) {
    return cell == designation || plat::equalsNoCase(normalizeThreadName(cell), normalizeThreadName(designation));
}

// The diameter test of a threaded table cylinder; may turn the record into a threaded record.
bool threadCellFits(const CTabColsDesc& table, int row, const TAB_CIL_ENTRY& entry, CIL_DESC& d) {
    const std::string& cell = table.tableClass == kTableThread ? table.cell(row, 0)
                              : entry.colId1 <= table.columnCount ? table.cell(row, entry.colId1 - 1)
                                                                  : table.cell(row, 0);
    std::string designation = fieldText(d.threadName);
    if (designation.empty())
        designation = findThreadByDiameterPitch(d.threadDiameter, d.threadPitch, -1,
                                                nullptr, nullptr, nullptr);
    bool fits = !cell.empty() && sameDesignation(cell, designation);
    if (g_globals->settings.forceTapping == 0) return fits;
    double nominal = 0, pitch = 0, drilled = 0, safety = 0;
    std::int16_t kind = 0;
    if (findThreadRow(cell, -1, &nominal, &pitch, &drilled, &safety, &kind, nullptr) == 0) return fits;
    const double D = d.D, tol = table.diameterTolerance;
    fits = fits || std::fabs(D - nominal) <= nominal * tol || std::fabs(D - drilled) <= drilled * tol;
    if (fits) {
        d.opeGeo = 1;
        d.threadDiameter = nominal;
        d.threadPitch = pitch;
        d.threadCode = 0;
        setFieldText(d.threadName, cell);
        if (d.Through == 0) d.threadDepth = d.L2;
    }
    return fits;
}

// Row `row` against every record; *result may move on to the next row of a nearest-row table.
bool rowFits(const CTabColsDesc& table, int row, CIL_DESC* descs, int count, int* result) {
    const bool nearest = table.tableClass == kTableDrillSize || table.classValue5 != 0;
    for (int i = 0; i < count; ++i) {
        if (static_cast<std::size_t>(i) >= table.cilEntries.size()) return false;
        const TAB_CIL_ENTRY& e = table.cilEntries[static_cast<std::size_t>(i)];
        CIL_DESC& d = descs[i];
        const double D = d.D;
        if (e.colId1 != 0) {
            const double v = cellNumber(table, row, e.colId1);
            if (nearest) {
                if (row + 1 >= table.rowCount) return false;
                const double next = cellNumber(table, row + 1, e.colId1);
                if (!isBetweenTol(D, v, next, g_globals->settings.baseTolerance)) return false;
                if (std::fabs(D - v) - std::fabs(D - next) > 0.004 * g_tolerances.tolT / 100) *result = row + 1;
            } else if (e.a == 1) {
                if (!threadCellFits(table, row, e, d)) return false;
            } else if (std::fabs(D - v) > v * table.diameterTolerance) {
                return false;
            }
        }
        if (e.colId2 != 0) {
            const double v = cellNumber(table, row, e.colId2);
            if (!isBetweenTol(v, d.L2, d.L, v * table.lengthTolerance)) return false;
        }
        if (e.colId3 != 0) {
            const double v = cellNumber(table, row, e.colId3);
            if (std::fabs(v - 2 * d.coneAngle * kRadToDeg) > 0.05) return false;
        }
    }
    return true;
}

bool near(double a, double b, double tol) { return std::fabs(a - b) <= tol; }

}  // namespace

void buildEntriesFromFirstRow(CTabColsDesc& table) {
    std::vector<std::string> first;
    (void)table.getRow(0, first);
    (void)table.buildCilColumns(first);
}

int tableMatchesShape(const CTabColsDesc& table, const CIL_DESC* descs, int count, bool threadSwitch) {
    if (count < 1 || table.tableClass == kTableNamed || table.cilEntryCount != count ||
        table.cilEntries.size() < static_cast<std::size_t>(std::max(count, 0)))
        return 0;
    for (int i = 0; i < count; ++i) {
        const TAB_CIL_ENTRY& e = table.cilEntries[static_cast<std::size_t>(i)];
        const CIL_DESC& d = descs[i];
        int type = d.opeGeo;
        if (type == 2) type = 0;
        if (threadSwitch && e.a == 1) type = 1;
        const int flat = d.Flat;
        const double cone = d.coneAngle;
        const bool isCone = cone > kConeAngleMin && (i == 0 || flat || !inTipWindow(2 * cone * kRadToDeg, 0.05));
        if (type != e.a || flat != e.b) return 0;
        if (e.a == 1 && count == 1) {
            if ((table.classValue4 < 1000) != (d.threadCode < 1000)) return 0;
        } else if (isCone != (e.colId3 > 0)) {
            return 0;
        }
    }
    return 1;
}

int findMeasuresLine(const CTabColsDesc& table, CIL_DESC* descs, int count) {
    if (table.rowCount < 1) return -2;
    for (int r = 0; r < table.rowCount; ++r) {
        int result = r;
        if (rowFits(table, r, descs, count, &result)) return result;
    }
    return -1;
}

int findMeasuresLineByName(const CTabColsDesc& table, const std::string& name) {
    if (table.rowCount < 1) return -2;
    for (int r = 0; r < table.rowCount; ++r)
        if (table.columnCount > 0 && plat::equalsNoCase(table.cell(r, 0), name)) return r;
    return -1;
}

int sameShape(const POINT_LIST* a, const POINT_LIST* b, bool ignoreAttributes) {
    if (!a || !b || !a->firstCyl || !b->firstCyl || countCyls(a) != countCyls(b)) return 0;
    const double T = g_tolerances.tolT;
    const double radial = 0.99 * g_globals->settings.baseTolerance / 2;
    const double topA = a->firstCyl->zSup, topB = b->firstCyl->zSup;
    for (const CYL_LIST *p = a->firstCyl, *q = b->firstCyl; p && q; p = p->next, q = q->next) {
        if (!near(p->zSup - topA, q->zSup - topB, T) || !near(p->zInf - topA, q->zInf - topB, T)) return 0;
        if (!near(p->rSup, q->rSup, radial) || !near(p->rInf, q->rInf, radial) || !near(p->rToric, q->rToric, radial))
            return 0;
        if (!near(p->secAng, q->secAng, kConeAngleMin)) return 0;
        if (g_globals->settings.sameShapeStrict && p == a->firstCyl &&
            (p->entCount < 1 || q->entCount < 1 || p->ents[0].id != q->ents[0].id))
            return 0;
        if (std::strncmp(p->fitClass, q->fitClass, sizeof p->fitClass) != 0 || p->bottomFlat != q->bottomFlat) return 0;
        if (ignoreAttributes) continue;
        if (p->isFit != q->isFit || p->isTap != q->isTap) return 0;
        if ((p->isFit || p->isTap) && p->attribSuffix != q->attribSuffix) return 0;
        if (p->isTap) {
            if (!near(p->threadDiam, q->threadDiam, 0.99 * g_globals->settings.baseTolerance) ||
                !near(p->threadPitch, q->threadPitch, T) || !near(p->featureDepth, q->featureDepth, T))
                return 0;
            if (p->threadName[0] && q->threadName[0] && std::strncmp(p->threadName, q->threadName, sizeof p->threadName) != 0)
                return 0;
        }
    }
    return 1;
}

int getChamferAndTipAngles(const POINT_LIST* hole, double* largestHalfAngle, double* smallestHalfAngle,
                           double* chamferDepth, double* tipAngle) {
    const double T = g_tolerances.tolT;
    double tip = g_globals->settings.defaultTipAngle * kDegToRad;
    if (const CYL_LIST* last = lastCyl(hole)) {
        const double full = 2 * last->secAng * kRadToDeg;
        if (last->secAng > kConeAngleMin && last->rInf < T && full > 110 && full < 140) tip = 2 * last->secAng;
    }
    double largest = 44 * kDegToRad, smallest = 46 * kDegToRad, depth = 0;
    const CYL_LIST* above = nullptr;
    for (const CYL_LIST* c = hole ? hole->firstCyl : nullptr; c && c->next; above = c, c = c->next) {
        if (c->secAng <= kConeAngleMin) continue;
        if (c->rToric > 0.004 * T || c->bottomFlat) break;
        const double halfDeg = c->secAng * kRadToDeg;
        if (c->rSup - c->rInf <= 2 * std::log10(2 * c->rSup + 1) + 40 * T && halfDeg >= 30 && halfDeg <= 60 &&
            (!above || above->bottomFlat)) {
            largest = std::max(largest, c->secAng);
            smallest = std::min(smallest, c->secAng);
            depth = std::max(depth, c->rSup - c->rInf);
        }
    }
    if (largestHalfAngle) *largestHalfAngle = largest;
    if (smallestHalfAngle) *smallestHalfAngle = smallest;
    if (chamferDepth) *chamferDepth = depth;
    if (tipAngle) *tipAngle = tip;
    return 0;
}

int simplifyToOneCylinder(const POINT_LIST* hole, CIL_DESC* out, double chamferAngleMin, double chamferAngleMax,
                          double chamferDepthMax) {
    CIL_DESC d;
    const CYL_LIST* first = hole ? hole->firstCyl : nullptr;
    const CYL_LIST* last = lastCyl(hole);
    if (!first || !last) {
        *out = CIL_DESC{};
        return 1;
    }
    d.zTop = first->zSup;
    const bool lastIsCylinder = last->secAng <= kConeAngleMin;
    if (lastIsCylinder || (first == last && last->bottomFlat)) {
        d.D = roundHoleDiameter(2 * last->rInf);
        d.zBottom = last->zInf;
        d.Flat = last->bottomFlat;
        d.opeGeo = last->isFit ? 2 : 0;
    } else if (first == last) {
        const CYL_LIST& c = *last;
        // The cone's length, positive like every record's (zInf - zSup would make it negative).
        d.L = d.L2 = c.zSup - c.zInf;
        if (c.rInf <= 4 * g_tolerances.tolT) {
            d.zTop = d.zBottom = c.zSup;
            d.D = roundHoleDiameter(2 * c.rSup);
            d.TipTool = 1;
            d.tipAngle = 2 * c.secAng;
        } else if (isBetweenTol(c.secAng, chamferAngleMin, chamferAngleMax, 0.0087266) &&
                   c.rSup - c.rInf < 1.05 * chamferDepthMax) {
            d.zBottom = c.zInf;
            d.D = roundHoleDiameter(2 * c.rInf);
            d.topChamfer = 1;
            d.chamferDiameter = roundHoleDiameter(2 * c.rSup);
            d.chamferZ = c.zInf;
            d.chamferAngle = c.secAng;
            d.Through = 1;
        } else {
            d.zBottom = c.zInf;
            d.D = roundHoleDiameter(2 * c.rInf);
            d.Through = 1;
        }
        *out = d;
        return 1;
    } else {
        d.zBottom = last->zSup;
        d.D = roundHoleDiameter(2 * last->rSup);
        if (inTipWindow(2 * last->secAng * kRadToDeg, 0.1)) {
            d.TipTool = 1;
            d.tipAngle = 2 * last->secAng;
            if (last->prev && last->prev->isFit) d.opeGeo = 2;
        } else {
            d.Flat = 1;
        }
    }
    d.L = d.L2 = d.zTop - d.zBottom;
    d.Through = d.Flat || d.TipTool ? 0 : 1;
    *out = d;
    return 1;
}
