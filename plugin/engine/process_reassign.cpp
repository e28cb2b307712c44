// Re-assignment of a hole's process and the tree operations it needs.
#include "plugin/engine/process_reassign.h"

#include <string>
#include <utility>
#include <vector>

#include "host/api.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/engine/apply_process.h"
#include "plugin/engine/depth_limit.h"
#include "plugin/engine/hole_classes.h"
#include "plugin/engine/hole_marks.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/operation_values.h"
#include "plugin/engine/opposite_view.h"
#include "plugin/engine/process_log.h"
#include "plugin/engine/table_assignment.h"
#include "plugin/engine/table_matching.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/view_order.h"
#include "plugin/model/work_records.h"
#include "plugin/base/directions.h"
#include "plugin/model/tree.h"
#include "plugin/services/recognition.h"
#include "plugin/services/tables.h"

namespace {

constexpr int kMsgNoDrillTable = 57;

VIEW_LIST* treeHead(VIEW_LIST* view) {
    while (view && view->prev) view = view->prev;
    return view;
}

}  // namespace

int moveHoleChainToOppView(POINT_LIST* hole) {
    if (!hole || !hole->view) return -1;
    VIEW_LIST* head = treeHead(hole->view);
    // The view is had first, so that a failure moves nothing rather than dropping holes.
    VIEW_LIST* opposite = findOrCreateOppView(head, hole->view);
    if (!opposite) return -1;
    opposite->selected = 1;
    for (POINT_LIST* member = hole; member; member = member->nextEqual) {
        if (member->view == opposite) continue;
        if (movePointToView(head, member->view, member) != 0) return -1;
        std::swap(member->hillT, member->hillB);
        std::swap(member->touchTop, member->touchBottom);
        std::swap(member->crashTop, member->crashBottom);
        std::swap(member->crashTopZ, member->crashBottomZ);
        member->crashTopZ = -member->crashTopZ;
        member->crashBottomZ = -member->crashBottomZ;
    }
    hole->neckSplitted = 0;
    return 0;
}

VIEW_LIST* resortViews(VIEW_LIST* views) {
    VIEW_LIST* head = sortViews(freeEmptyViews(views), g_globals->settings.viewsSortOrder);
    std::int16_t counter = 1, before = 0, beforeNew = 0;
    for (VIEW_LIST* view = head; view; view = view->next) {
        const std::int16_t old = view->groupNumber;
        const std::int16_t renumbered = old != 0 && view != head && old == before ? beforeNew : counter++;
        view->groupNumber = renumbered;
        before = old;
        beforeNew = renumbered;
    }
    return head;
}

namespace {

// resortViews over the tree from `head`, keeping the global tree's head when it is that tree.
void resortTree(VIEW_LIST* head) {
    const bool global = g_records->viewsTree == head;
    head = resortViews(head);
    if (global) g_records->viewsTree = head;
}

constexpr std::size_t kMaxTables = 200;
// The separator the label of a hole moved to the other side is cut back at.
constexpr char kLabelSeparator = '_';

struct LOADED_TABLES {
    std::vector<CTabColsDesc> tables;
    int drillIndex = -1;
};

// All tables of the folder; false (after the message) when there is no drill-size table.
bool loadTables(LOADED_TABLES& loaded) {
    (void)loadAllTables(loaded.tables, &loaded.drillIndex, kMaxTables);
    if (loaded.drillIndex >= 0) return true;
    (void)plat::messageBox(nullptr, errorMessage(kMsgNoDrillTable), errorMessage(1), plat::MB_OK);
    return false;
}

// The operation values a re-assignment keeps: the clearance plane the run gave the hole's operations, and
// the view the hole had before (a hole moved to the other side takes its new view's plane later).
struct KEPT_VALUES {
    bool any = false;
    double clearanceZ = 0;
    VIEW_LIST* view = nullptr;
};

void clearProcess(POINT_LIST& hole, KEPT_VALUES* kept) {
    if (hole.opeList) {
        OPE_LIST* last = hole.opeList;
        while (last->next) last = last->next;
        if (kept) {
            kept->any = true;
            kept->clearanceZ = last->clearanceZ;
        }
        freeOpeChain(hole.opeList);
        hole.opeList = nullptr;
    }
    hole.tableIndex = -1;
    hole.rowIndex = -1;
    setFieldText(hole.processName, "");
}

// Step 2: false when the hole is left as it is.
bool prepareOppositeSide(POINT_LIST*& hole, bool resort) {
    if (!hole->movedOpposite) return true;
    if (hole->formState != 0) {
        hole->noMeasures = 0;
        std::string label = fieldText(hole->description);
        const std::size_t cut = label.rfind(kLabelSeparator);
        if (cut != std::string::npos) setFieldText(hole->description, label.substr(0, cut));
        return false;
    }
    VIEW_LIST* head = treeHead(hole->view);
    if (moveHoleChainToOppView(hole) != 0) return false;
    if (resort) resortTree(head);
    return true;
}

void limitFirstDrill(POINT_LIST& hole, LOADED_TABLES& loaded) {
    for (OPE_LIST* op = hole.opeList; op; op = op->next) {
        if (op->toolType != tool_type::drill) continue;
        double L = 0;
        CTabColsDesc& drillTable = loaded.tables[static_cast<std::size_t>(loaded.drillIndex)];
        if (maxToolDepth(drillTable, op->toolDiam, &L) && op->zSup - op->zInf > L)
            (void)limitOperationDepth(hole, *op, L, g_globals->settings.longToolStrategy);
        return;
    }
}

// Steps 4 and 5 over loaded tables: < 0 when applying the process failed; 1 when the hole got provisional
// measures (no process); 0 applied.
// With `kept`, the kept values go back and the first drill is limited to its tool's depth.
int assignAndApply(POINT_LIST*& hole, LOADED_TABLES& loaded, KEPT_VALUES* kept) {
    clearProcess(*hole, kept);
    const int assigned = assignTableToHole(hole, loaded.tables, loaded.drillIndex);
    if (assigned < 0 || hole->noMeasures != 0 || !hole->processName[0]) return 1;
    (void)highlightHole(hole, 1, false, 0);
    const int applied =
        applyProcessToHole(loaded.tables.data(), static_cast<int>(loaded.tables.size()), *hole, kApplyAll);
    if (applied != 0) return applied < 0 ? applied : 1;
    if (kept && kept->any && kept->view == hole->view)
        for (OPE_LIST* op = hole->opeList; op; op = op->next) op->clearanceZ = kept->clearanceZ;
    if (kept) limitFirstDrill(*hole, loaded);
    for (POINT_LIST* member = hole->nextEqual; member; member = member->nextEqual) {
        freeOpeChain(member->opeList);
        member->opeList = nullptr;
        (void)copyHoleProcess(*hole, *member);
    }
    return 0;
}

}  // namespace

void reassignProcess(POINT_LIST* hole) {
    if (!hole) return;
    processLogLine("Reasignando proceso\n");
    KEPT_VALUES kept;
    kept.view = hole->view;
    if (!prepareOppositeSide(hole, true)) return;
    LOADED_TABLES loaded;
    if (!loadTables(loaded)) return;
    const std::string rowBefore = fieldText(hole->rowName);
    // A label that is not the one its table and row gave it is the user's: it stays through the new
    // assignment (a label the assignment gave, with what a split added to it, follows the new row).
    const std::string labelBefore = fieldText(hole->description);
    const std::string assignedLabel = tableAndRow(fieldText(hole->tableName), rowBefore);
    const bool usersLabel = !labelBefore.empty() && (assignedLabel.empty() || labelBefore.rfind(assignedLabel, 0) != 0);
    if (assignAndApply(hole, loaded, &kept) != 0) return;
    if (usersLabel) setFieldText(hole->description, labelBefore);
    if (fieldText(hole->rowName) != rowBefore) hole->rowChanged = 1;
    buildOperationWhyText(*hole, "");
    std::int16_t& withoutProcess = g_records->runStats.stateCount6;
    if (withoutProcess > 0) --withoutProcess;
    rebuild_graphics();
}

void reassignProcessKeepOrder(VIEW_LIST* views) {
    const NamedTableNotices notices;   // a fit table the library lacks is told once, not at every hole
    LOADED_TABLES loaded;
    if (!loadTables(loaded)) return;
    std::int16_t& withoutProcess = g_records->runStats.stateCount6;
    withoutProcess = 0;
    // Taken first: a move to the opposite side changes the lists being walked.
    std::vector<POINT_LIST*> waiting;
    for (VIEW_LIST* view = views; view; view = view->next)
        for (POINT_LIST* p = view->firstPoint; p; p = p->next)
            if (p->excluded == 0 && p->noMeasures == 1) waiting.push_back(p);
    for (POINT_LIST* hole : waiting) {
        if (!prepareOppositeSide(hole, false)) continue;
        const int r = assignAndApply(hole, loaded, nullptr);
        if (r < 0) return;   // the run ends at once: no rebuild, the views stay in their order
        if (r == 1 && hole->noMeasures != 0) ++withoutProcess;
    }
    rebuild_graphics();
    resortTree(treeHead(views));
}

int findTableMeasures(POINT_LIST* hole) {
    if (!hole) return 1;
    CTabColsDesc table;
    if (table.read(tableFilePath(fieldText(hole->tableName))) != 0) return 1;
    table.readRows();
    buildEntriesFromFirstRow(table);
    const int named = findMeasuresLineByName(table, fieldText(hole->rowName));
    if (named < 0) return 1;
    hole->rowIndex = static_cast<std::int16_t>(named);
    if (!hole->descs || hole->descCount == 0) return 2;
    return findMeasuresLine(table, hole->descs, hole->descCount) >= 0 ? 0 : 2;
}

void reapplyHoleTable(POINT_LIST* hole) {
    if (!hole) return;
    LOADED_TABLES loaded;
    if (!loadTables(loaded)) return;
    const std::string name = fieldText(hole->tableName);
    int index = -1;
    for (std::size_t i = 0; i < loaded.tables.size(); ++i)
        if (plat::equalsNoCase(loaded.tables[i].name, name)) index = static_cast<int>(i);
    if (index < 0 || !hole->descs || hole->descCount == 0) return;
    CTabColsDesc& table = loaded.tables[static_cast<std::size_t>(index)];
    if (table.processColumn <= 0 || table.processColumn > table.columnCount) return;
    buildEntriesFromFirstRow(table);
    const int row = findMeasuresLine(table, hole->descs, hole->descCount);
    if (row < 0) return;
    setFieldText(hole->processName, table.cell(row, table.processColumn - 1));
    // The label follows a new row; the same row keeps what the label says besides (a split, the user's name).
    if (fieldText(hole->rowName) != table.cell(row, 0)) {
        setFieldText(hole->rowName, table.cell(row, 0));
        labelHoleByRow(*hole);
    }
    hole->rowIndex = static_cast<std::int16_t>(row);
    hole->tableIndex = static_cast<std::int16_t>(index);
    freeOpeChain(hole->opeList);
    hole->opeList = nullptr;
    (void)applyProcessToHole(loaded.tables.data(), static_cast<int>(loaded.tables.size()), *hole, kApplyAll);
}
