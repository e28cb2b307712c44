// Tool type, tool diameter, worked diameter, thread and fit values and angles of each process definition
// for one hole, from the hole's descriptors in the table's cylinder entries.
#include "plugin/base/tool_types.h"
#include "plugin/engine/operation_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/operation_zlimits.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/cycle_names.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/services/tables.h"
#include "plugin/services/tooling.h"

namespace {

namespace C = process_calc;
namespace T = tool_type;
using namespace process_ope;

constexpr int kMsgNoToolName = 153, kMsgToolNotFound = 131, kMsgCentreDrill = 141, kCaption = 1;
constexpr double kDeg = std::numbers::pi / 180;
constexpr int kNoTool = 4;

double number(const std::vector<std::string>& row, int colId) {
    return colId >= 1 && static_cast<std::size_t>(colId) <= row.size() ? std::atof(row[colId - 1].c_str()) : 0;
}
std::string cellText(const std::vector<std::string>& row, int colId) {
    return colId >= 1 && static_cast<std::size_t>(colId) <= row.size() ? row[colId - 1] : std::string();
}
bool cancelled(const std::string& text) {
    return plat::messageBox(nullptr, text, errorMessage(kCaption), plat::MB_OKCANCEL) == plat::IDCANCEL;
}
bool milled(const PROCESS_OPE& d) { return opeGet(d, milledKind) != 0; }

// The fit row of a fitted descriptor: its fit table's row nearest the diameter (mode 2, then mode 1).
bool fitRow(CTabColsDesc& fitTable, bool loaded, double diameter, std::vector<std::string>& row) {
    if (!loaded) return false;
    if (fitTable.findNearestRow(1, diameter, 2, row) >= 0) return true;
    return fitTable.findNearestRow(1, diameter, 1, row) >= 0;
}

// The thread value of a diameter and pitch in the loaded thread tables: the row's safety cell.
bool threadTableValue(double diameter, double pitch, double* value) {
    for (CTabColsDesc& table : loadedThreadTables()) {
        if (table.tableClass != kTableThread) continue;
        std::vector<std::string> row;
        if (table.findRowByDiameterPitch(diameter, pitch, row) >= 0) {
            *value = number(row, 5);
            return true;
        }
    }
    return false;
}

bool threadTablesLoaded() {
    for (const CTabColsDesc& table : loadedThreadTables())
        if (table.tableClass == kTableThread) return true;
    return false;
}

// The diameter of a tool taken from a cylinder's: a tool that cuts the wall to it takes the step at or
// below (a drill rounded up would cut the hole oversize); the others, which only start or finish at that
// diameter, the nearest step.
double wallToolDiameter(std::uint32_t type, double diameter) {
    switch (type) {
    case T::drill:
    case T::reamer:
    case T::boringBar:
    case T::counterbore:
    case T::flatMill:
    case T::ballMill:
    case T::toroidalMill: return floorToStep(diameter, g_tolerances.tolT);
    default: return roundToTolerance(diameter);
    }
}

// What one definition computes; stored together at the end.
struct VALUES {
    std::uint32_t type = 0;
    double toolDiam = 0, pitch = 0, cylDiam = 0, fitValue = 0, threadValue = 0;
    double halfAngle = 0, cornerRadius = 0, profileRadius = 0, toolLength = 0;
    std::string designation;
    std::int16_t diamSource = kDiamFixed, threadUnknown = 0;
    bool toolByName = false;
};

void threadCylinder(CIL_DESC* cyl, const PROCESS_OPE& d, VALUES& v) {
    const CIL_DESC& c = *cyl;
    v.toolDiam = c.threadDiameter;
    v.pitch = c.threadPitch;
    v.cylDiam = c.D;
    const std::string name = fieldText(c.threadName);
    double drilled = 0, safety = 0, nominal = 0, p = 0;
    std::int16_t kind = 0;
    std::string tableName;
    if (!name.empty()) {
        if (findThreadRow(name, -1, &nominal, &p, &drilled, &safety, &kind, &tableName)) {
            v.designation = name;
            v.cylDiam = drilled;
        }
    } else {
        v.designation = findThreadByDiameterPitch(v.toolDiam, v.pitch, c.threadCode, &tableName,
                                                  &drilled, &safety);
        if (!v.designation.empty()) v.cylDiam = drilled;
    }
    const std::uint32_t type = v.type;
    if (!v.designation.empty()) {
        if (type == T::drill || type == T::flatMill) {
            v.diamSource = kDiamThreadDrill;
            v.toolDiam = v.cylDiam;
            const double oldD = c.D;
            cyl->D = v.cylDiam;
            const double shift = (oldD - v.cylDiam) / 2;
            const double tip = c.tipAngle;
            if (c.TipTool && std::fabs(shift) > g_tolerances.tol04T && std::tan(tip / 2) > 0)
                cyl->zBottom = c.zBottom - shift / std::tan(tip / 2);
        }
    } else {
        v.threadUnknown = 1;
        if (type == T::drill) v.toolDiam = v.cylDiam;
        if (threadTablesLoaded()) threadTableValue(v.toolDiam, v.pitch, &v.threadValue);
    }
    if (opeGet(d, toolDiamOffsetOn) && type != T::rightTap && type != T::leftTap)
        v.toolDiam = v.cylDiam = roundToTolerance(c.D) + opeGet(d, toolDiamOffset);
}

void fitCylinder(const CIL_DESC& c, PROCESS_OPE& d, VALUES& v) {
    CTabColsDesc fitTable;
    const bool loaded = loadNamedTable(fieldText(c.fitName), &fitTable) == 0;
    v.toolDiam = roundToTolerance(c.D);
    std::vector<std::string> row;
    const bool found = fitRow(fitTable, loaded, v.toolDiam, row);
    if (found) v.fitValue = number(row, fitTable.kind7Column);
    if (v.type == T::drill) {
        v.diamSource = kDiamFitPreDrill;
        if (found) v.toolDiam -= 2 * number(row, fitTable.kind4Column);
    }
    if (opeGet(d, toolDiamOffsetOn)) v.toolDiam = roundToTolerance(c.D) + opeGet(d, toolDiamOffset);
    // The cylinder worked is the fitted bore, whatever the tool.
    v.cylDiam = roundToTolerance(c.D);
    if (v.type != T::reamer || !found || fitTable.processColumn <= 0) return;
    std::vector<PROCESS_OPE> ops(kMaxProcessOps);
    const int n = fitTable.readProcess(cellText(row, fitTable.processColumn), ops.data());
    for (int k = 0; k < n; ++k)
        if (opeGet(ops[static_cast<std::size_t>(k)], operationType) == T::reamer &&
            opeGet(ops[static_cast<std::size_t>(k)], lineInt45)) {
            opeSet<std::int16_t>(d, lineInt45, 1);
            setOpeText(d, lineText46, opeText(ops[static_cast<std::size_t>(k)], lineText46));
        }
}

// Mode 2: the tool named by the definition. False when the user cancelled.
bool toolByName(const CTabColsDesc& t, const std::vector<std::string>& rowCells, int index, const PROCESS_OPE& d,
                VALUES& v) {
    v.diamSource = kDiamFromCylinder;
    const std::string name = opeText(d, toolName);
    if (name.empty() &&
        cancelled(fillText(errorMessage(kMsgNoToolName), {t.name, cellText(rowCells, 1), long{index + 1}})))
        return false;
    tp_tool tool{};
    if (!findLibraryToolByName(0, name, &tool)) {
        return !cancelled(fillText(errorMessage(kMsgToolNotFound), {name, configuredToolLibrary()}));
    }
    v.toolByName = true;
    v.toolDiam = v.cylDiam = tool.diameter;
    v.halfAngle = toolHalfAngleRad(tool.type, tool.angle);
    switch (tool.type) {
    case T::rightTap:
    case T::leftTap:
        v.cylDiam = entryCil(t, milled(d) ? opeGet(d, cylDiamCyl) : opeGet(d, toolDiamCyl)).D;
        break;
    case T::chamferMill: v.cylDiam = tool.shapeValue; break;
    case T::userProfile: v.toolLength = -tool.overallLength; break;
    default: break;
    }
    return true;
}

// Fixed spot drilling. False when the user cancelled.
bool fixedSpotDrill(VALUES& v) {
    PRM_SETTINGS& s = g_globals->settings;
    if (!s.spotDrillByName) {
        v.type = s.centerDrillType ? T::centreDrill : T::spotDrill;
        if (v.type == T::centreDrill && !s.allowCenterDrill) {
            if (cancelled(errorMessage(kMsgCentreDrill))) return false;
            v.type = T::spotDrill;
            s.centerDrillType = 0;
        }
        v.toolDiam = s.spotDrillDiameter;
        return true;
    }
    tp_tool tool{};
    if (findLibraryToolByName(static_cast<std::int16_t>(v.type), s.spotDrillName, &tool) ||
        findLibraryToolByName(0, s.spotDrillName, &tool)) {
        v.toolDiam = tool.diameter;
        v.halfAngle = toolHalfAngleRad(tool.type, tool.angle);
        v.toolByName = true;
        return true;
    }
    if (cancelled(fillText(errorMessage(kMsgToolNotFound), {configuredToolLibrary(), s.spotDrillName})))
        return false;
    v.toolDiam = s.spotDrillDiameter;
    return true;
}

// Angles and the type changes of the hole's shape. False when a best-tool search failed.
bool anglesAndTypes(CTabColsDesc& t, PROCESS_OPE& d, VALUES& v) {
    const double T4 = g_tolerances.tol4T;
    v.halfAngle = g_globals->settings.defaultTipAngle / 2 * kDeg;
    const CIL_DESC& cyl = entryCil(t, opeGet(d, toolDiamCyl));
    const CIL_DESC& top = entryCil(t, opeGet(d, zSupCyl));
    tp_tool tool{};
    switch (v.type) {
    case T::drill: {
        const CIL_DESC& bottom = entryCil(t, opeGet(d, zInfCyl));
        if (bottom.TipTool) v.halfAngle = bottom.tipAngle / 2;
        break;
    }
    case T::centreDrill:
    case T::spotDrill: {
        v.halfAngle = 45 * kDeg;
        const int r = findBestLibraryTool(configuredToolLibrary(), static_cast<std::int16_t>(v.type), v.toolDiam, 0, 0,
                                          0, 0, 0, 0, 0, 0, nullptr, &tool);
        if (r < 0) return false;
        if (r != kNoTool) v.halfAngle = toolHalfAngleRad(tool.type, tool.angle);
        break;
    }
    case T::chamferDrill:
    case T::chamferMill:
        v.halfAngle = top.topChamfer ? top.chamferAngle : 45 * kDeg;
        if (v.type == T::chamferMill) {
            v.cylDiam = top.D;
            if (milled(d)) {
                const double width = (top.chamferDiameter - top.D) / 2;
                v.cylDiam = std::max(0.0, v.toolDiam - 3 * width);
            }
        }
        break;
    case T::rightTap:
    case T::leftTap:
    case T::flatMill:
    case T::toroidalMill:
    case T::reamer:
    case T::boringBar: v.halfAngle = 90 * kDeg; break;
    case T::ballMill: v.halfAngle = 0; break;
    case T::conicalMill:
        v.halfAngle = entryCil(t, tiedEntry(t, opeGet(d, zSupCyl), opeGet(d, zSupZPl))).coneAngle;
        break;
    case T::edgeRadiusMill: v.profileRadius = cyl.topRoundTorus[0]; break;
    default: break;
    }
    if (v.type == T::flatMill || v.type == T::toroidalMill) {
        const CIL_DESC& own = milled(d) ? entryCil(t, opeGet(d, cylDiamCyl)) : cyl;
        const double r = opeGet(d, lineInt23) == 1 ? opeGet(d, lineValue24) : own.bottomRound;
        if (r <= g_tolerances.tol004T) {
            v.type = T::flatMill;
        } else {
            v.type = T::toroidalMill;
            v.cornerRadius = r;
            if (std::fabs(v.toolDiam - 2 * r) < g_tolerances.tolT) v.type = T::ballMill;
        }
    }
    if ((v.type == T::chamferDrill || v.type == T::chamferMill || v.type == T::edgeRadiusMill) &&
        opeGet(d, lineInt33) == 0) {
        const bool rounded = top.topRound != 0;
        if (!rounded && v.type == T::edgeRadiusMill) {
            v.type = T::chamferMill;
            v.toolDiam = ceilToStep(top.chamferDiameter * 1.05, 50 * T4);
            v.cylDiam = top.D;
            v.halfAngle = top.chamferAngle;
        } else if (rounded && v.type != T::edgeRadiusMill) {
            v.type = T::edgeRadiusMill;
            v.profileRadius = top.topRoundTorus[0];
            if (!milled(d))
                v.toolDiam = top.D + 2 * (top.L2 - v.profileRadius) * std::tan(top.coneAngle);
        }
    }
    if (v.type == T::chamferMill) {
        const int r = findBestLibraryTool(configuredToolLibrary(), T::chamferMill, v.toolDiam, 0, 0, 0,
                                          v.cylDiam * 0.95, 0, 0, 0, 0, nullptr, &tool);
        if (r < 0) return false;
        if (r != kNoTool) v.cylDiam = std::min(v.cylDiam * 0.95, tool.shapeValue);
    }
    return true;
}

void store(PROCESS_OPE& d, const VALUES& v) {
    opeSet(d, operationType, v.type);
    opeSet(d, C::calcToolDiam, v.toolDiam);
    opeSet(d, C::calcPitch, v.pitch);
    opeSet(d, C::calcCylDiam, v.cylDiam);
    opeSet(d, C::calcFitValue, v.fitValue);
    opeSet(d, C::calcThreadValue, v.threadValue);
    opeSet(d, C::calcHalfAngle, v.halfAngle);
    opeSet(d, C::calcCornerRadius, v.cornerRadius);
    opeSet(d, C::calcProfileRadius, v.profileRadius);
    opeSet(d, C::calcToolLength, v.toolLength);
    setOpeText(d, C::threadDesignation, v.designation);
    opeSet(d, C::diamSource, v.diamSource);
    opeSet(d, C::threadUnknown, v.threadUnknown);
}

void logValues(std::FILE* log, int i, const PROCESS_OPE& d, const VALUES& v) {
    const std::string cycle = cycleName(opeGet(d, process_ope::cycle));
    const std::string tool = v.toolByName ? opeText(d, toolName) : toolTypeName(v.type);
    std::fprintf(log, "Operacion %i %20s %20s: \xD8%.4f %.2f\xBA r%.2f", i + 1, cycle.c_str(), tool.c_str(),
                 v.toolDiam, 2 * v.halfAngle / kDeg, v.cornerRadius);
    if (v.type == T::chamferMill) std::fprintf(log, " \xD8punta %.4f", v.cylDiam);
    if (v.type == T::conicalMill) std::fprintf(log, " Ang %.2f\xBA", v.halfAngle / kDeg);
    std::fprintf(log, "\n");
}

}  // namespace

double roundToTolerance(double value) { return roundToStep(value, g_tolerances.tolT); }

std::string cycleName(std::uint32_t cycle) {
    const OP_CYCLE_LIST& cycles = g_globals->cycleNames;
    return cycle < static_cast<std::uint32_t>(std::clamp<int>(cycles.count, 0, OP_CYCLE_LIST::kMaxEntries))
               ? cycles.entries[cycle].name
               : std::string();
}

namespace {
const TOOL_OP_TYPE* toolOpType(std::uint32_t type) {
    for (const TOOL_OP_TYPE* row = g_toolOpTypes; row->type >= 0; ++row)
        if (static_cast<std::uint32_t>(row->type) == type) return row;
    return nullptr;
}
}  // namespace

std::string toolTypeName(std::uint32_t type) {
    const TOOL_OP_TYPE* row = toolOpType(type);
    return row ? fieldText(row->toolName) : std::string();
}

std::string operationTypeName(std::uint32_t type) {
    const TOOL_OP_TYPE* row = toolOpType(type);
    return row ? fieldText(row->operationName) : std::string();
}

const CIL_DESC& entryCil(const CTabColsDesc& table, int i) {
    static const CIL_DESC zero{};
    return i >= 0 && static_cast<std::size_t>(i) < table.cilEntries.size() ? table.cilEntries[static_cast<std::size_t>(i)].cil
                                                                            : zero;
}

CIL_DESC* entryCilAt(CTabColsDesc& table, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < table.cilEntries.size() ? &table.cilEntries[static_cast<std::size_t>(i)].cil
                                                                            : nullptr;
}

int tiedEntry(const CTabColsDesc& table, int cyl, int plane) {
    return cyl + plane >= static_cast<int>(table.cilEntries.size()) ? cyl : cyl + plane;
}

int setProcessToolValues(CTabColsDesc& t, const std::vector<std::string>& rowCells, int count, PROCESS_OPE* defs) {
    PLUGIN_GLOBALS& g = *g_globals;
    std::FILE* log = g_engine->processLog;
    if (log) std::fprintf(log, "\n    setProcessValues\n");
    loadThreadTables();
    const bool oneCylinder = t.cilEntries.size() == 1;
    for (int i = 0; i < count; ++i) {
        PROCESS_OPE& d = defs[i];
        VALUES v;
        v.type = opeGet(d, operationType);
        v.toolDiam = v.cylDiam = roundToTolerance(opeGet(d, process_ope::toolDiam));
        CIL_DESC* cyl = entryCilAt(t, opeGet(d, toolDiamCyl));
        CIL_DESC spare{};
        if (!cyl) cyl = &spare;
        const std::int16_t code = cyl->opeGeo;
        switch (opeGet(d, toolDiamAssoc)) {
        case 1:
            if (opeGet(d, toolDiamCol) == 0 || code == 0) {
                v.diamSource = kDiamFromCylinder;
                v.toolDiam = wallToolDiameter(v.type, cyl->D) +
                             (opeGet(d, toolDiamOffsetOn) ? opeGet(d, toolDiamOffset) : 0);
                v.cylDiam = v.toolDiam;
            } else if (code == 1) {
                threadCylinder(cyl, d, v);
            } else if (code == 2) {
                fitCylinder(*cyl, d, v);
            }
            break;
        case 2:
            if (!toolByName(t, rowCells, i, d, v)) return -1;
            break;
        default:
            if (oneCylinder && code == 1) {
                std::string tableName;
                double drilled = 0, safety = 0;
                v.designation = findThreadByDiameterPitch(cyl->threadDiameter, cyl->threadPitch, cyl->threadCode,
                                                          &tableName, &drilled, &safety);
            } else if (oneCylinder && code == 2) {
                CTabColsDesc fitTable;
                std::vector<std::string> row;
                if (fitRow(fitTable, loadNamedTable(fieldText(cyl->fitName), &fitTable) == 0, roundToTolerance(cyl->D), row))
                    v.fitValue = number(row, fitTable.kind7Column);
            }
            break;
        }
        if (g.settings.overrideSpotDrill && (v.type == T::centreDrill || v.type == T::spotDrill) && !fixedSpotDrill(v))
            return -1;
        if (oneCylinder && g.settings.penetrationMode == 1 && !cyl->Through && cyl != &spare) {
            const double value = code == 2 ? v.fitValue : code == 1 ? v.threadValue : 0;
            cyl->zBottom = t.cilEntries[0].value1 - value;
        }
        if (!v.toolByName && !anglesAndTypes(t, d, v)) return -1;
        store(d, v);
        if (log) logValues(log, i, d, v);
    }
    return 0;
}

int setProcessValues(CTabColsDesc& table, const std::vector<std::string>& rowCells, int count, PROCESS_OPE* defs,
                     POINT_LIST& hole, std::int16_t fixedToolSwitch) {
    (void)fixedToolSwitch;
    const int result = setProcessToolValues(table, rowCells, count, defs);
    if (result != 0) return result;
    setProcessZLimits(table, count, defs, hole);
    return 0;
}
