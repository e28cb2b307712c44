// Splitting a too deep hole to the opposite side, and the strategies that limit a too deep operation.
#include "plugin/engine/depth_limit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/engine/apply_process.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/operation_records.h"
#include "plugin/engine/operation_values.h"
#include "plugin/engine/opposite_view.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/services/engine.h"
#include "plugin/services/recognition.h"
#include "plugin/services/tables.h"
#include "plugin/services/tooling.h"

namespace {

namespace TT = tool_type;

constexpr std::int16_t kLimitedDrill = 12;
constexpr int kSplitByDepthLine = 11;   // "drillOperationWhy"

bool drilling(const OPE_LIST& op) { return op.toolType == TT::drill || op.toolType == TT::flatMill; }

// The first drilling operation deeper than its tool allows, with that limit; null when none (or the table
// cannot tell).
OPE_LIST* firstTooDeep(POINT_LIST& hole, CTabColsDesc& drillTable, double* limit) {
    for (OPE_LIST* op = hole.opeList; op; op = op->next) {
        double L = 0;
        if (!drilling(*op) || !maxToolDepth(drillTable, op->toolDiam, &L)) continue;
        if (op->zSup - op->zInf > L) {
            *limit = L;
            return op;
        }
    }
    return nullptr;
}

void appendComment(OPE_LIST& op, const std::string& text) { setFieldText(op.comment, fieldText(op.comment) + " " + text); }

// The length the tool library sorts candidates by.
double toolLength(const tp_tool& t) {
    switch (g_globals->settings.toolLengthKind) {
    case 0: return t.overallLength;
    case 2: return t.fluteLength;
    default: return t.shoulderLength;
    }
}

bool chainCrashes(const POINT_LIST& hole) {
    for (const POINT_LIST* p = &hole; p; p = p->nextEqual)
        if (p->crashBottom || p->crashTop) return true;
    return false;
}

bool splitAllowed(const POINT_LIST& hole, const OPE_LIST& op, double share, const ALLOWED_VIEWS& allowed) {
    const PRM_SETTINGS& s = g_globals->settings;
    if (!hole.view || !hole.descs || hole.descCount < 1) return false;
    const CIL_DESC& last = hole.descs[hole.descCount - 1];
    const double depth = op.zSup - op.zInf;
    const bool singleThread = hole.descCount == 1 && hole.descs[0].opeGeo == 1;
    return isOppositeDirAllowed(allowed, hole.view->matrix[2]) && !singleThread &&
           !hole.splitByDepth && !hole.twinSplitted && !hole.reamSplitted && !hole.farSplitted &&
           !hole.neckSplitted && last.Through &&
           std::fabs(op.zInf - last.zBottom) <= g_tolerances.tolT && !hole.touchBottom &&
           !hole.crashBottom && s.tryDrillBeyondMax && !chainCrashes(hole) &&
           op.zSup - last.zTop <= depth * share;
}

VIEW_LIST* treeHead(VIEW_LIST* view) {
    while (view && view->prev) view = view->prev;
    return view;
}

void limitAgain(POINT_LIST& hole, CTabColsDesc& drillTable) {
    double L = 0;
    if (OPE_LIST* op = firstTooDeep(hole, drillTable, &L))
        limitOperationDepth(hole, *op, L, g_globals->settings.longToolStrategy);
}

// The lower half of a split is one cylinder. It takes the hole's own table when that has a row for it, else
// the first form table that has one: a counterbore's table has none for its bore alone, and the half would
// be left without operations.
void giveLowerHalfATable(POINT_LIST& other, const CIL_DESC& last, double depth, CTabColsDesc* tables, int tableCount,
                         int ownTable) {
    std::vector<int> order{ownTable};
    for (int t = 0; t < tableCount; ++t)
        if (t != ownTable && tables[t].tableClass == kTableFormClass) order.push_back(t);
    const std::int16_t code = last.opeGeo;
    for (const int t : order) {
        assignSingleCylinderProcess(other, last.D, depth, code, last.threadCode,
                                    last.threadDiameter, last.threadPitch, tables,
                                    tableCount, t);
        if (other.simplified) return;
        // A thread is looked up in the thread tables whatever the table given.
        if (code == 1) break;
    }
    // No row anywhere: the half has no table, row or process. It keeps none of the names the move copied from
    // the hole, nor the 0 of a fresh record, which reads as row 0 of an adaptable table: the tree would tell an
    // adapted hole with its other half's row and process, and the summary a row naming no process.
    other.tableIndex = other.rowIndex = -1;
    other.tableName[0] = other.rowName[0] = other.processName[0] = 0;
    other.adaptTableIndex = other.adaptedRow = -1;
    other.outOfWindow = other.tipOutside = 0;
}

}  // namespace

bool maxToolDepth(CTabColsDesc& drillTable, double diameter, double* depth) {
    if (drillTable.kind5Column <= 0) return false;
    std::vector<std::string> row;
    // The search reports 1 when it finds no row: mode 2 wants a row on each side of the diameter, so the
    // largest sizes come from mode 1; a table without rows cannot tell.
    if (drillTable.findNearestRow(1, diameter, 2, row) != 0 && drillTable.findNearestRow(1, diameter, 1, row) != 0)
        return false;
    *depth = cellNumber(row, drillTable.kind5Column);
    return true;
}

int limitOperationDepth(POINT_LIST& hole, OPE_LIST& op, double L, int strategy) {
    hole.depthChecked = 1;
    const double D = op.toolDiam;
    const double depth = op.zSup - op.zInf;
    const PRM_SETTINGS& s = g_globals->settings;
    switch (static_cast<DepthStrategy>(strategy)) {
    case kSplitInTwo: {
        if (depth - L < 0.1 * D) break;
        const double formerTop = op.zSup;
        OPE_LIST* second = insertOperationCopy(op);
        if (depth - L < D) L = depth - D;
        op.zInf = op.zSup - L;
        op.through = 0;
        composeOperationName(op, op.processOpe.get());
        second->zSup = s.longToolStartAtTop ? op.zInf : formerTop;
        second->splitSecond = 1;
        second->cycle = static_cast<std::uint32_t>(s.longToolCycle);
        second->drillMode = kLimitedDrill;
        composeOperationName(*second, second->processOpe.get());
        break;
    }
    case kMarkOnly:
        op.drillMode = kLimitedDrill;
        composeOperationName(op, op.processOpe.get());
        break;
    case kClampWithNote:
        if (depth - L < D) L = depth - D;
        op.zInf = op.zSup - L;
        op.through = 0;
        composeOperationName(op, op.processOpe.get());
        appendComment(op, uiText("treeProcessDlg", 101));
        break;
    case kLongestTool: {
        std::vector<CToolsLayout::TOOLS_SELECTION> candidates;
        collectCandidateTools(configuredToolLibrary(), s.keepPartTools, candidates,
                              static_cast<std::int16_t>(op.toolType), D, "", 0, 0);
        if (candidates.empty()) break;
        const double longest = toolLength(candidates.back().tool);
        if (longest >= depth) break;
        op.zInf = op.zSup - (longest - s.minToolLengthFactor * D);
        op.through = 0;
        composeOperationName(op, op.processOpe.get());
        appendComment(op, "Longest tool used");
        break;
    }
    }
    return 0;
}

int DivideIfMaxDeep(POINT_LIST& hole, const CTextSection& whyTexts, CTabColsDesc* tables, int tableCount,
                    int drillTableIndex, const ALLOWED_VIEWS& allowed, CMoveIndex* index) {
    if (drillTableIndex < 0 || drillTableIndex >= tableCount) return 0;
    CTabColsDesc& drillTable = tables[drillTableIndex];
    const PRM_SETTINGS& s = g_globals->settings;
    double L = 0;
    OPE_LIST* op = firstTooDeep(hole, drillTable, &L);
    if (!op) return 0;
    const double share = std::max(std::fabs(s.firstFaceShare), 0.01);
    if (!splitAllowed(hole, *op, share, allowed)) {
        limitOperationDepth(hole, *op, L, s.longToolStrategy);
        return 0;
    }
    const double depth = op->zSup - op->zInf;
    const double top = op->zSup;
    VIEW_LIST* head = treeHead(hole.view);
    POINT_LIST* other = movePointToOppView(head, hole.view, &hole, index);
    if (other == moveFailed()) return -1;
    if (!other) return 0;
    giveLowerHalfATable(*other, hole.descs[hole.descCount - 1], (1 - share) * depth, tables, tableCount,
                        hole.tableIndex);
    hole.descs[hole.descCount - 1].zBottom = top - depth * share;
    hole.splitByDepth = 1;
    if (hole.processName[0]) (void)applyProcessToHole(tables, tableCount, hole, kApplyAll);
    hole.deepSplitNext = other;
    other->deepSplitPrev = &hole;
    // Both halves say they were split: line 11 and not line 10, which the explanation uses for "one of
    // identical holes"; the line brings its own "; " separator, so no blank goes before it.
    setFieldText(hole.description, fieldText(hole.description) + whyTexts.getText(kSplitByDepthLine));
    setFieldText(other->description, fieldText(hole.description));
    if (s.warnMaxDepth) {
        limitAgain(hole, drillTable);
        limitAgain(*other, drillTable);
    }
    POINT_LIST* chainEnd = other;
    for (POINT_LIST* follower = hole.nextEqual; follower; follower = follower->nextEqual) {
        POINT_LIST* copy = movePointToOppView(treeHead(follower->view), follower->view, follower, index);
        if (copy == moveFailed()) return -1;
        if (!copy) break;
        copy->chainMember = 1;
        copy->memberReprocessed = 1;
        chainEnd->nextEqual = copy;
        chainEnd = copy;
        ++other->chainCount;
    }
    return 0;
}
