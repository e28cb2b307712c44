// Opposite-view moves, process copies between identical holes and simplified holes.
#include "plugin/engine/opposite_view.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "plugin/base/directions.h"
#include "plugin/base/globals.h"
#include "plugin/base/vectors.h"
#include "plugin/engine/apply_process.h"
#include "plugin/engine/hole_description.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/operation_records.h"
#include "plugin/engine/table_assignment.h"
#include "plugin/engine/table_matching.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/services/engine.h"
#include "plugin/services/recognition.h"

namespace {


// The window a hole is simplified with: chamfer half angles and the largest chamfer depth.
constexpr double kChamferWindowMin = 0.768, kChamferWindowMax = 0.803, kChamferDepthRatio = 2.0;

// The row of the table that fits the hole's description, -1 for none; `row` its cells.
int fittingRow(CTabColsDesc& table, CIL_DESC* descs, int count, std::vector<std::string>& row) {
    buildEntriesFromFirstRow(table);
    row.clear();
    const int r = findMeasuresLine(table, descs, count);
    if (r < 0) return -1;
    table.getRow(r, row);
    return r;
}

// The hole takes the table and row, and the process the row names.
void takeRow(POINT_LIST& hole, const CTabColsDesc& table, int tableIndex, int rowIndex,
             const std::vector<std::string>& row) {
    hole.tableIndex = static_cast<std::int16_t>(tableIndex);
    hole.rowIndex = static_cast<std::int16_t>(rowIndex);
    setFieldText(hole.tableName, table.name);
    setFieldText(hole.rowName, row.empty() ? std::string() : row[0]);
    // A process name is the table's own: one kept from the hole's former table would name nothing here.
    const bool named = table.processColumn > 0 && static_cast<std::size_t>(table.processColumn) <= row.size();
    setFieldText(hole.processName, named ? row[static_cast<std::size_t>(table.processColumn - 1)] : std::string());
    hole.simplified = 1;
    // The row was found for the hole's own cylinder: no adaptable table. A hole made by a split would
    // otherwise keep the 0 of a fresh record, which reads as row 0 of an adaptable table.
    hole.adaptTableIndex = hole.adaptedRow = -1;
    hole.outOfWindow = hole.tipOutside = 0;
}

// A record of the opposite view that takes over the hole's segments, description and operations.
POINT_LIST* takeOver(POINT_LIST& hole, VIEW_LIST* opp, CMoveIndex* index) {
    POINT_LIST* moved = allocPointList();
    if (!moved) return nullptr;
    *moved = hole;
    moved->id = g_nextHoleId++;
    moved->prev = moved->next = nullptr;
    moved->nextEqual = nullptr;
    moved->view = opp;
    std::swap(moved->touchTop, moved->touchBottom);
    std::swap(moved->crashTop, moved->crashBottom);
    // The blocked-bottom stage reads the new bottom's obstacle height in the new view's Z.
    moved->crashTopZ = -hole.crashBottomZ;
    moved->crashBottomZ = -hole.crashTopZ;
    // The hills are heights of material beyond each end, not Z values: they only change ends.
    moved->hillT = hole.hillB;
    moved->hillB = hole.hillT;
    // What the hole owns goes to its new record; the old one keeps nothing to free twice.
    hole.descs = nullptr;
    hole.descCount = 0;
    hole.opeList = nullptr;
    hole.firstCyl = nullptr;
    hole.cylCount = 0;
    for (OPE_LIST* op = moved->opeList; op; op = op->next) {
        op->point = moved;
        op->view = opp;
    }
    if (moved->firstCyl) {
        moved->firstCyl->prev = nullptr;
        rehomeChain(moved, opp, moved->firstCyl);
    } else {
        for (int i = 0; i < 3; ++i)
            moved->ptView[i] = opp->matrix[i][0] * moved->ptUniv[0] + opp->matrix[i][1] * moved->ptUniv[1] +
                               opp->matrix[i][2] * moved->ptUniv[2];
    }
    appendPointToView(opp, moved, index);
    return moved;
}

}  // namespace

int copyHoleProcess(const POINT_LIST& source, POINT_LIST& target) {
    setHoleDescription(target, source.descs, source.descs ? source.descCount : 0);
    const double shift = target.ptView[2] - source.ptView[2];
    for (int i = 0; i < target.descCount; ++i) {
        CIL_DESC& d = target.descs[i];
        d.zTop += shift;
        d.zBottom += shift;
    }
    setFieldText(target.processName, "");
    target.tableIndex = -1;
    target.rowIndex = -1;
    if (source.opeList) {
        copyOperationList(source, target);
        std::memcpy(target.processName, source.processName, sizeof target.processName);
        target.tableIndex = source.tableIndex;
        target.rowIndex = source.rowIndex;
        setFieldText(target.description, fieldText(source.description));
    }
    std::memcpy(target.tableName, source.tableName, sizeof target.tableName);
    std::memcpy(target.rowName, source.rowName, sizeof target.rowName);
    target.adaptedRow = source.adaptedRow;
    return 0;
}

int flipCilDesc(CIL_DESC& d) {
    const double zTop = d.zTop, zBottom = d.zBottom;
    d.zTop = -zBottom;
    d.zBottom = -zTop;
    d.chamferZ = -d.chamferZ;
    // A chamfer or round broke the old top edge, which is now the bottom: the turned top is plain. Kept,
    // they would be drawn at the new top from the old view's Z values.
    d.topChamfer = 0;
    d.topRound = 0;
    d.flipped = d.flipped ? 0 : 1;
    return 0;
}

int isOppositeDirAllowed(const ALLOWED_VIEWS& allowed, const double direction[3]) {
    // No allowed view at all restricts nothing, whether or not the restriction is switched on.
    if (!allowed.restricted || allowed.views.empty()) return 1;
    double reversed[3];
    negateVector(direction, reversed);
    return isDirInSelViews(allowed, reversed, 0) == kSameSense ? 1 : 0;
}

int isSimpleThroughHole(const ALLOWED_VIEWS& allowed, const POINT_LIST& hole) {
    if (hole.descCount != 1 || !hole.descs || !hole.view) return 0;
    const CIL_DESC& d = hole.descs[0];
    // A broken top edge, chamfered or rounded, is cut from its own side.
    if (!d.Through || d.topChamfer || d.topRound) return 0;
    return isOppositeDirAllowed(allowed, hole.view->matrix[2]);
}

int toSimpleDrill(POINT_LIST& hole, CTabColsDesc* tables, int tableIndex) {
    if (hole.descCount == 1) return 1;
    CIL_DESC one{};
    simplifyToOneCylinder(&hole, &one, kChamferWindowMin, kChamferWindowMax, kChamferDepthRatio);
    if (!one.Through) return 0;
    // Without a row the straight cylinder could get no process: the hole stays as it is, with the
    // operations of its own shape, rather than go elsewhere with them.
    CTabColsDesc& table = tables[tableIndex];
    std::vector<std::string> row;
    const int r = fittingRow(table, &one, 1, row);
    if (r < 0) return 0;
    setHoleDescription(hole, &one, 1);
    clearOperations(hole);   // made for the shape the hole no longer has
    takeRow(hole, table, tableIndex, r, row);
    labelHoleByRow(hole);
    return 1;
}

int shapeToOppositeView(POINT_LIST** holes, int count, VIEW_LIST* views, VIEW_LIST* sourceView, CTabColsDesc* tables,
                        int tableCount, CMoveIndex* index) {
    if (count < 1) return 0;
    VIEW_LIST* opp = findOrCreateOppView(views, sourceView, index);
    if (!opp) return -1;
    opp->selected = 1;
    std::vector<POINT_LIST*> moved;
    for (int i = 0; i < count; ++i) {
        POINT_LIST* copy = takeOver(*holes[i], opp, index);
        if (!copy) break;
        copy->chainMember = moved.empty() ? 0 : 1;
        if (!moved.empty()) moved.back()->nextEqual = copy;
        moved.push_back(copy);
    }
    if (moved.empty()) return -1;
    for (POINT_LIST* p : moved) p->chainCount = static_cast<std::int32_t>(moved.size()) - 1;
    POINT_LIST& head = *moved.front();
    head.movedOpposite = 1;
    if (head.descs) {
        std::reverse(head.descs, head.descs + head.descCount);
        for (int i = 0; i < head.descCount; ++i) flipCilDesc(head.descs[i]);
    }
    if (head.processName[0]) (void)applyProcessToHole(tables, tableCount, head, kApplyAll);
    return 0;
}

void assignSingleCylinderProcess(POINT_LIST& hole, double D, double depth, std::int16_t code, std::int16_t threadCode,
                                 double threadDiameter, double pitch, CTabColsDesc* tables, int tableCount,
                                 int tableIndex) {
    CIL_DESC one{};
    const double zTop = hole.ptView[2];
    one.D = D;
    one.zTop = zTop;
    one.zBottom = zTop - depth;
    one.opeGeo = code;
    one.threadCode = threadCode;
    one.threadDiameter = threadDiameter;
    one.threadPitch = pitch;
    one.Through = 1;
    setHoleDescription(hole, &one, 1);
    hole.splitByDepth = 1;
    hole.reprocessed = 1;
    hole.noMeasures = 0;
    std::vector<std::string> row;
    int found = -1, index = -1;
    if (code == 1) {
        hole.tableIndex = -1;
        for (int t = 0; t < tableCount && found < 0; ++t) {
            if (tables[t].tableClass != kTableThread) continue;
            found = fittingRow(tables[t], hole.descs, 1, row);
            if (found >= 0) index = t;
        }
        if (found >= 0) setFieldText(hole.description, row[0]);
    } else if (tableIndex >= 0 && tableIndex < tableCount) {
        char number[64];
        std::snprintf(number, sizeof number, g_fmtFine, D);
        setFieldText(hole.description, tables[tableIndex].name + " " + number);
        found = fittingRow(tables[tableIndex], hole.descs, 1, row);
        index = tableIndex;
    }
    if (found < 0) return;
    takeRow(hole, tables[index], index, found, row);
    if (hole.processName[0]) (void)applyProcessToHole(tables, tableCount, hole, kApplyAll);
}
