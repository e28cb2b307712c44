// Table assignment of a hole with its trace in the process log, and the chains of equal holes. The log lines
// are the run's own trace (in Spanish), written only while the log is open.
#include "plugin/base/vectors.h"
#include "plugin/engine/table_assignment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <numbers>
#include <string>

#include "plugin/base/globals.h"
#include "plugin/engine/hole_description.h"
#include "plugin/engine/process_log.h"
#include "plugin/engine/table_matching.h"
#include "plugin/engine/table_measures.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/work_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/tab_cols_desc.h"

namespace {

constexpr double kDegToRad = std::numbers::pi / 180;
constexpr double kOneDegree = 0.017453292519943295;

bool threadSwitch() { return g_globals->settings.forceTapping == 1; }

void logDescription(const CTabColsDesc& table, const std::vector<CIL_DESC>& descs) {
    processLogLine("   Descripcion s/Tabla %s: %i cilindros\n", table.name.c_str(), static_cast<int>(descs.size()));
    for (std::size_t i = 0; i < descs.size(); ++i) {
        const CIL_DESC& v = descs[i];
        processLogLine("     %i: D %.3f L %.3f opeGeo %i%s%s\n", static_cast<int>(i + 1), v.D, v.L, v.opeGeo,
                       v.Flat ? " Flat" : "", v.TipTool ? " TipTool" : "");
    }
}

void takeTable(POINT_LIST& hole, const CTabColsDesc& table, int index) {
    hole.tableIndex = static_cast<std::int16_t>(index);
    setFieldText(hole.tableName, table.name);
}

void takeRowName(POINT_LIST& hole, const CTabColsDesc& table, int row) {
    const std::string& name = table.cell(row, 0);
    setFieldText(hole.rowName, name);
    hole.provisionalRow = name.rfind("**", 0) == 0 ? 1 : 0;
}

void resetHole(POINT_LIST& hole) {
    hole.tableIndex = hole.adaptTableIndex = hole.rowIndex = hole.adaptedRow = -1;
    hole.tableName[0] = hole.rowName[0] = hole.processName[0] = 0;
    hole.provisionalRow = 0;
    hole.description[0] = 0;
}

// The adaptable search; the matching table's index, -1 none. `row` gets its row (-1 none).
int adaptableSearch(POINT_LIST& hole, std::vector<CTabColsDesc>& tables, CTabColsDesc* drill,
                    std::vector<CIL_DESC>& descs, int* row) {
    const PRM_SETTINGS& s = g_globals->settings;
    for (std::size_t t = 0; t < tables.size(); ++t) {
        CTabColsDesc& table = tables[t];
        // A provisional row would overwrite a drill size with its name: drill-size tables take none.
        if (table.tableClass == kTableDrillSize) continue;
        buildEntriesFromFirstRow(table);
        double largest = 0, smallest = 0, depth = 0, tip = 0;
        (void)getChamferAndTipAngles(&hole, &largest, &smallest, &depth, &tip);
        if (tip != 0) {
            RUN_STATS& stats = g_records->runStats;
            stats.smallestTipAngle = std::min(stats.smallestTipAngle, tip);
            stats.largestTipAngle = std::max(stats.largestTipAngle, tip);
        }
        const bool outOfWindow = table.chamferAngleB < smallest || largest < table.chamferAngleA || table.maxChamfer < depth;
        const bool tipOutside =
            tip != 0 && !isBetweenTol(tip / kDegToRad, s.minDrawnTipAngle, s.maxDrawnTipAngle, 0.05);
        // The window spans the hole's chamfers a degree wider on each side (43 to 47 degrees without a
        // chamfer); taken from the largest angle down only, it would never reach a chamfer outside 44-46.
        const double minimum = std::min(std::min(largest, smallest) - kOneDegree, table.chamferAngleA);
        const double maximum = std::max(std::max(largest, smallest) + kOneDegree, table.chamferAngleB);
        depth = std::max(depth, table.maxChamfer);
        if (tip < 1.0) tip = s.defaultTipAngle * kDegToRad;
        std::vector<CIL_DESC> adapted = describeHole(hole.firstCyl, minimum, maximum, depth, drill);
        if (!tableMatchesShape(table, adapted.data(), static_cast<int>(adapted.size()), threadSwitch())) continue;

        processLogLine("     Encontrada tabla adaptable: '%s'\n", table.name.c_str());
        takeTable(hole, table, static_cast<int>(t));
        hole.adaptTableIndex = static_cast<std::int16_t>(t);
        hole.adaptedWindow[0] = minimum;
        hole.adaptedWindow[1] = depth;
        hole.adaptedWindow[2] = tip;
        hole.adaptedWindow[3] = maximum;
        hole.outOfWindow = outOfWindow ? 1 : 0;
        hole.tipOutside = tipOutside ? 1 : 0;
        descs = std::move(adapted);
        const int count = static_cast<int>(descs.size());
        *row = findMeasuresLine(table, descs.data(), count);
        if (*row < 0) {
            processLogLine("Tabla sin medidas. Las añade\n");
            (void)addProvisionalMeasures(&hole, descs.data(), static_cast<std::int16_t>(count));
            table.readRows();
            buildEntriesFromFirstRow(table);
            *row = findMeasuresLine(table, descs.data(), count);
            hole.provisionalRow = 1;
            hole.noMeasures = 1;
        } else {
            processLogLine("Medidas encontradas en linea %i\n", *row);
            hole.noMeasures = 0;
            takeRowName(hole, table, *row);
        }
        hole.adaptedRow = static_cast<std::int16_t>(*row);
        return static_cast<int>(t);
    }
    return -1;
}

}  // namespace

int assignTableToHole(POINT_LIST*& holeRef, std::vector<CTabColsDesc>& tables, int drillIndex) {
    POINT_LIST* hole = holeRef;
    const CYL_LIST* first = hole->firstCyl;
    processLogLine("\n--------------------------------------------------\n\nPunto cUniv %.3f %.3f %.3f (entId=%li)\n",
                   hole->ptUniv[0], hole->ptUniv[1], hole->ptUniv[2],
                   first && first->entCount > 0 ? static_cast<long>(first->ents[0].id) : 0L);
    resetHole(*hole);
    // A hole too long to describe would match the tables of no cylinders: it is refused (the log tells).
    if (!first || countCyls(hole) > kMaxCilDescs) return static_cast<int>(describeHole(first, 0, 0, 0, nullptr).size());
    CTabColsDesc* drill =
        drillIndex >= 0 && static_cast<std::size_t>(drillIndex) < tables.size() ? &tables[static_cast<std::size_t>(drillIndex)] : nullptr;

    // First pass: of several matching tables without a fitting row the last stays the hole's.
    std::vector<CIL_DESC> descs;
    int row = -1;
    for (std::size_t t = 0; t < tables.size(); ++t) {
        CTabColsDesc& table = tables[t];
        buildEntriesFromFirstRow(table);
        std::vector<CIL_DESC> mine =
            describeHole(hole->firstCyl, table.chamferAngleA, table.chamferAngleB, table.maxChamfer, drill);
        logDescription(table, mine);
        if (!tableMatchesShape(table, mine.data(), static_cast<int>(mine.size()), threadSwitch())) continue;
        takeTable(*hole, table, static_cast<int>(t));
        processLogLine("     Tabla valida\n");
        descs = std::move(mine);
        row = findMeasuresLine(table, descs.data(), static_cast<int>(descs.size()));
        if (row >= 0) {
            hole->noMeasures = 0;
            takeRowName(*hole, table, row);
            processLogLine("     Medidas encontradas en linea %i '%s'\n", row + 1, hole->rowName);
            break;
        }
        row = -1;
        processLogLine("     Tabla sin medidas. Siguiente tabla ...\n");
    }

    if (hole->tableIndex >= 0 && row < 0) {
        processLogLine("     Tablas validas sin medidas.\n");
        const CTabColsDesc& matched = tables[static_cast<std::size_t>(hole->tableIndex)];
        if (matched.tableClass == kTableFormClass) {
            TABLE_FILE_REF ref;
            if (addMeasuresToTable(&holeRef, &ref) != 0) return -2;
            hole = holeRef;
            // The row goes into the first table of the hole's form, which need not be the one whose terms
            // `descs` are in (the last that matched), and the hole may now be the one its half was split
            // from: it is described again in the terms of the row's table, or its own row would not fit it.
            for (std::size_t t = 0; t < tables.size(); ++t) {
                if (tables[t].name != ref.tableName) continue;
                CTabColsDesc& table = tables[t];
                takeTable(*hole, table, static_cast<int>(t));
                table.readRows();
                buildEntriesFromFirstRow(table);
                descs = describeHole(hole->firstCyl, table.chamferAngleA, table.chamferAngleB, table.maxChamfer, drill);
                row = findMeasuresLine(table, descs.data(), static_cast<int>(descs.size()));
                break;
            }
            hole->provisionalRow = 1;
            hole->noMeasures = 1;
            processLogLine("     Se añaden medidas en: '%s'\n", hole->tableName);
        } else if (matched.tableClass == kTableDrillSize || matched.tableClass == kTableThread) {
            hole->tableIndex = -1;
            hole->tableName[0] = 0;
            processLogLine("     Tabla basica. No se pueden añadir medidas automaticamnte\n");
        }
    }

    if (hole->tableIndex < 0) {
        processLogLine("     No hay tabla. Busca tabla adaptable\n");
        if (adaptableSearch(*hole, tables, drill, descs, &row) < 0) {
            processLogLine("     No hay tabla adaptable. Crea tabla nueva\n");
            resetHole(*hole);
            return -1;
        }
    }

    const CTabColsDesc& table = tables[static_cast<std::size_t>(hole->tableIndex)];
    if (row >= 0 && row < table.rowCount) {
        hole->rowIndex = static_cast<std::int16_t>(row);
        if (table.processColumn > 0 && table.processColumn <= table.columnCount)
            setFieldText(hole->processName, table.cell(row, table.processColumn - 1));
    }
    setHoleDescription(*hole, descs.data(), static_cast<int>(descs.size()));
    labelHoleByRow(*hole);
    return static_cast<int>(descs.size());
}

std::string tableAndRow(const std::string& table, const std::string& row) {
    return table.empty() || row.empty() ? table + row : table + " " + row;
}

void labelHoleByRow(POINT_LIST& hole) {
    setFieldText(hole.description, tableAndRow(fieldText(hole.tableName), fieldText(hole.rowName)));
}

int numberIdenticalHoles(VIEW_LIST* views, bool ignoreAttributes) {
    const double radial = 0.99 * g_globals->settings.baseTolerance / 2;
    int heads = 0;
    for (VIEW_LIST* view = views; view; view = view->next) {
        // Candidates by segment count, sorted by the top radius: a hole is compared only with the holes
        // whose top radius lies within the tolerance of its own.
        std::vector<POINT_LIST*> holes;
        for (POINT_LIST* p = view->firstPoint; p; p = p->next) holes.push_back(p);
        std::map<int, std::vector<std::pair<double, std::size_t>>> byCount;
        for (std::size_t i = 0; i < holes.size(); ++i)
            if (holes[i]->firstCyl) byCount[countCyls(holes[i])].push_back({holes[i]->firstCyl->rSup, i});
        for (auto& [count, list] : byCount) std::sort(list.begin(), list.end());

        for (std::size_t i = 0; i < holes.size(); ++i) {
            POINT_LIST* head = holes[i];
            if (head->chainMember) continue;
            ++heads;
            if (!head->firstCyl) continue;
            const auto& list = byCount[countCyls(head)];
            const double r = head->firstCyl->rSup;
            std::vector<std::size_t> equal;
            for (auto it = std::lower_bound(list.begin(), list.end(), std::make_pair(r - radial, std::size_t{0}));
                 it != list.end() && it->first <= r + radial; ++it) {
                POINT_LIST* other = holes[it->second];
                if (it->second != i && !other->chainMember && sameShape(head, other, ignoreAttributes)) equal.push_back(it->second);
            }
            std::sort(equal.begin(), equal.end());
            POINT_LIST* last = head;
            while (last->nextEqual) last = last->nextEqual;
            for (std::size_t k : equal) {
                holes[k]->chainMember = 1;
                last->nextEqual = holes[k];
                last = holes[k];
                ++head->chainCount;
            }
        }
    }
    checkChainCounts(views);
    return heads;
}

void clearChainFlags(VIEW_LIST* views) {
    for (VIEW_LIST* view = views; view; view = view->next)
        for (POINT_LIST* p = view->firstPoint; p; p = p->next) {
            p->chainMember = 0;
            p->chainCount = 0;
            p->nextEqual = nullptr;
        }
}

namespace {

// The members of the chain headed by `head`, the walk bounded by its count.
std::vector<POINT_LIST*> chainOf(POINT_LIST* head) {
    std::vector<POINT_LIST*> members{head};
    for (POINT_LIST* p = head->nextEqual; p && static_cast<std::int64_t>(members.size()) <= head->chainCount; p = p->nextEqual)
        members.push_back(p);
    return members;
}

// The first segment (position in its hole) of the chain's members that `marked` accepts; -1 none.
template <class F>
std::pair<const CYL_LIST*, int> firstMarked(const std::vector<POINT_LIST*>& members, F&& marked) {
    for (POINT_LIST* p : members) {
        int k = 0;
        for (const CYL_LIST* c = p->firstCyl; c; c = c->next, ++k)
            if (marked(*c)) return {c, k};
    }
    return {nullptr, -1};
}

}  // namespace

void propagateFitThreadAttribs(VIEW_LIST* views) {
    for (VIEW_LIST* view = views; view; view = view->next)
        for (POINT_LIST* head = view->firstPoint; head; head = head->next) {
            if (head->chainMember) continue;
            const std::vector<POINT_LIST*> members = chainOf(head);
            const auto [fit, fitAt] = firstMarked(members, [](const CYL_LIST& c) { return c.isFit && c.attribSuffix; });
            const auto [tap, tapAt] = firstMarked(members, [](const CYL_LIST& c) { return c.isTap && c.attribSuffix; });
            const CYL_LIST tapFrom = tap ? *tap : CYL_LIST{};
            for (POINT_LIST* p : members) {
                if (CYL_LIST* c = fit ? cylAt(p, fitAt) : nullptr) c->isFit = 1;
                if (CYL_LIST* c = tap ? cylAt(p, tapAt) : nullptr) {
                    c->isTap = tapFrom.isTap;
                    c->threadDiam = tapFrom.threadDiam;
                    c->threadPitch = tapFrom.threadPitch;
                    c->featureDepth = tapFrom.featureDepth;
                    c->threadTable = tapFrom.threadTable;
                }
            }
        }
}
