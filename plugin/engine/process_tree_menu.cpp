// The process tree's context menu: built for the empty area, a view or a hole, each item acting in place
// and refilling the tree, or storing what it needs and ending the dialog with a code for the run.

#include <algorithm>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/ui/keys.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/settings.h"
#include "plugin/engine/hole_description.h"
#include "plugin/engine/table_matching.h"
#include "plugin/engine/table_measures.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/process_dialogs.h"
#include "plugin/engine/process_reassign.h"
#include "plugin/engine/process_tree.h"
#include "plugin/engine/table_assignment.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_tree_fields.h"
#include "plugin/engine/run_statistics.h"
#include "plugin/engine/apply_process.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/tool_sequencing.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tooling.h"

namespace {

constexpr int kMsgNoTable = 145, kMsgTableProblem = 134;
constexpr int kMaxProcessNames = 100;

enum MenuId {
    kExpandAll = 16, kCollapseAll = 17, kSwitchOn = 18, kSwitchOff = 19, kHighlightAll = 14, kHighlightView = 5,
    kHighlightHole = 6, kPickEntity = 13, kCreateAllOn = 15, kCheckAllTables = 29, kCreateView = 11,
    kPlaceNote = 3, kClearance = 20, kPointsList = 4, kCreateHole = 12, kConfigureTable = 30,
    kChangeProcess = 31, kUserTools = 32, kCheckTable = 25,
};

struct MENU_LINE {
    int id;      // 0: a separator
    int line;    // "ProcessMenu"
};

const MENU_LINE kCommon[] = {{kExpandAll, 36}, {kCollapseAll, 37}, {kSwitchOn, 38}, {kSwitchOff, 39}, {0, 0}};

void messageBox(plat::Dialog* owner, const std::string& text) {
    plat::messageBox(owner, text, errorMessage(1), plat::MB_OK);
}

// Whether the shared library is in use read-only here: it cannot receive new rows.
bool sharedReadOnly() { return g_globals->sharedDataOn != 0 && g_globals->sharedAccessMode != 1; }

void setTableTarget(const POINT_LIST& hole);

// The hole becomes the marked one and its table the configuration target; false, after the message, for a
// hole without a table.
bool markHoleTable(plat::Dialog* owner, POINT_LIST& hole) {
    if (hole.tableIndex < 0) {
        messageBox(owner, errorMessage(kMsgNoTable));
        return false;
    }
    g_engine->markedHoles = &hole;
    setTableTarget(hole);
    return true;
}

void setTableTarget(const POINT_LIST& hole) {
    const std::string name = fieldText(hole.tableName);
    TABLE_FILE_REF& target = g_engine->configTarget;
    target = TABLE_FILE_REF{};
    setFieldText(target.tabPath, tableFilePath(name));
    setFieldText(target.txtPath, tableFilePath(name, ".TXT"));
    setFieldText(target.tableName, name);
}

int readTarget() {
    if (g_engine->currentTable.read(g_engine->configTarget.tabPath) != 0) return 1;
    g_engine->currentTable.readRows();
    return 0;
}

}  // namespace

void CDlgProcess::selectRecord(plat::TreeItem hit) {
    switch (recordKind(hit)) {
    case 1: static_cast<VIEW_LIST*>(recordOf(hit))->expandOnFill = 1; break;
    case 2: static_cast<POINT_LIST*>(recordOf(hit))->highlightOnFill = 1; break;
    default: break;
    }
    const plat::TreeItem caret = treeView(kTree).selectedItem();
    switch (recordKind(caret)) {
    case 1: static_cast<VIEW_LIST*>(recordOf(caret))->showOnFill = 1; break;
    case 2: static_cast<POINT_LIST*>(recordOf(caret))->showOnFill = 1; break;
    case 3: static_cast<OPE_LIST*>(recordOf(caret))->showOnFill = 1; break;
    default: break;
    }
}

void CDlgProcess::refill() { fillTree(g_records->viewsTree, filterFlags); }

void CDlgProcess::onRClickTree(plat::Notify& n) {
    n.result = 0;
    plat::Control& c = item(kTree);
    plat::TreeView& tree = *c.treeView();
    unsigned flags = 0;
    plat::TreeItem hit = tree.hitTest(c.screenToClient(plat::cursorPos()), &flags);
    int kind = 0;
    if (!hit || (flags & kTreeOutsideItems) != 0) {
        for (plat::TreeItem it = tree.rootItem(); it; it = tree.nextSibling(it))
            tree.setItemState(it, 0, plat::TVIS_SELECTED);
        if (hit) tree.setItemState(hit, 0, plat::TVIS_SELECTED | plat::TVIS_DROPHILITED);
        clearTreeSelection(tree.rootItem());
        hit = 0;
    } else {
        kind = recordKind(hit);
        dropHighlight(hit);
    }
    if (kind == 3) return;

    CTextSection& menuTexts = *g_processMenu;
    plat::Menu menu;
    auto add = [&](const MENU_LINE& m, bool grayed = false) {
        if (m.id == 0)
            menu.separator();
        else
            menu.item(m.id, menuTexts.getMessage(m.line), grayed);
    };
    for (const MENU_LINE& m : kCommon) add(m);
    POINT_LIST* hole = kind == 2 ? static_cast<POINT_LIST*>(recordOf(hit)) : nullptr;
    if (kind == 0) {
        add({kHighlightAll, 32});
        add({kPickEntity, 46});
        if (!menuTexts.getMessage(33).empty()) add({kCreateAllOn, 33});
        if (filterFlags & kStateAdapted) add({kCheckAllTables, 43});
    } else if (kind == 1) {
        add({kHighlightView, 11});
        add({kPickEntity, 46});
        add({kCreateView, 30});
        add({kPlaceNote, 7});
        add({kClearance, 40});
    } else {
        add({kHighlightHole, 34});
        add({kPickEntity, 46});
        add({kPointsList, 9});
        add({0, 0});
        const bool noNewRows = sharedReadOnly() && hole->noMeasures != 0;
        add({kCreateHole, 35}, noNewRows);
        add({kConfigureTable, 45}, noNewRows);
        add({kChangeProcess, 47});
        add({0, 0});
        add({kUserTools, 48});
        if (hole->adaptedRow >= 0) add({kCheckTable, 44});
    }
    const int chosen = plat::trackPopupMenu(menu, plat::TPM_RETURNCMD | plat::TPM_NONOTIFY, plat::cursorPos(), this);
    if (menuAction(chosen, hit) != 0) return;
    if (hit) selectRecord(hit);
    refill();
}

// Performs a menu item; 0 when the item was none of them (the caller selects and refills).
int CDlgProcess::menuAction(int id, plat::TreeItem hit) {
    plat::TreeView& tree = treeView(kTree);
    VIEW_LIST* view = recordKind(hit) == 1 ? static_cast<VIEW_LIST*>(recordOf(hit)) : nullptr;
    POINT_LIST* hole = recordKind(hit) == 2 ? static_cast<POINT_LIST*>(recordOf(hit)) : nullptr;
    switch (id) {
    case kExpandAll:
    case kCollapseAll:
        for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next) {
            v->expandOnFill = id == kExpandAll;
            for (POINT_LIST* p = v->firstPoint; p; p = p->next)
                if (!chainFollower(*p)) p->expandOnFill = id == kExpandAll;
        }
        refill();
        return 1;
    case kSwitchOn:
    case kSwitchOff:
        setChecked(hit ? hit : tree.rootItem(), id == kSwitchOn ? 1 : 0, hit == 0);
        refill();
        return 1;
    case kHighlightAll: endDialog(110); return 1;
    case kHighlightView:
        g_engine->markedView = view;
        selectRecord(hit);
        endDialog(104);
        return 1;
    case kHighlightHole:
        g_engine->markedHoles = hole;
        selectRecord(hit);
        endDialog(103);
        return 1;
    case kPickEntity: endDialog(121); return 1;
    case kCreateAllOn:
        pendingScope = 111;
        endDialog(111);
        return 1;
    case kCheckAllTables:
        checkAllHoleTables();
        refill();
        return 1;
    case kCreateView:
        g_engine->markedView = view;
        endScoped(hit, view, nullptr, 108);
        return 1;
    case kPlaceNote:
        g_engine->noteView = view;
        endDialog(102);
        return 1;
    case kClearance: {
        CDlgOpDefaults dlg(this);
        dlg.useClearanceStartEnd = view->clearanceStartEnd;
        if (doModalInPluginRes(dlg) == plat::IDOK) view->clearanceStartEnd = static_cast<std::uint8_t>(dlg.useClearanceStartEnd);
        tree.selectItem(hit);
        dropHighlight(hit);
        return 1;
    }
    case kPointsList: {
        std::string heading = holeItemText(*hole, holeTableClass(*hole));
        for (std::size_t at = heading.find('('); at != std::string::npos; at = heading.find('(', at + 2))
            heading.replace(at, 1, "\n(");
        g_engine->pointsList.heading = heading;
        g_engine->markedHoles = hole;
        selectRecord(hit);
        endDialog(101);
        return 1;
    }
    case kCreateHole:
        g_engine->markedHoles = hole;
        endScoped(hit, nullptr, hole, 109);
        return 1;
    case kConfigureTable: configureTable(*hole); return 1;
    case kChangeProcess: changeProcess(*hole); return 1;
    case kUserTools: runUserToolsManager(hole); return 1;
    case kCheckTable:
        checkHoleTable(*hole);
        refill();
        return 1;
    default: return 0;
    }
}

// Switches on only the operations with a tool of the view (or of the hole alone), saving every operation's
// mark for the next display to put back, and ends with the creation's code.
void CDlgProcess::endScoped(plat::TreeItem hit, VIEW_LIST* view, POINT_LIST* hole, std::uint16_t code) {
    selectRecord(hit);
    for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next) {
        for (POINT_LIST* head = v->firstPoint; head; head = head->next) {
            if (chainFollower(*head)) continue;
            for (POINT_LIST* p = head; p; p = nextInChain(*p)) {
                const bool inScope = hole ? p == hole : v == view;
                for (OPE_LIST* o = p->opeList; o; o = o->next) {
                    savedActive.push_back({o, o->active});
                    o->active = inScope && o->toolIndex >= 0 ? 1 : 0;
                }
            }
        }
    }
    pendingScope = code;
    endDialog(code);
}

void CDlgProcess::configureTable(POINT_LIST& hole) {
    if (!markHoleTable(this, hole)) return;
    tableOpenKept = 1;
    const int found = findTableMeasures(&hole);
    if (found == 1) {
        messageBox(this, fillText(errorMessage(kMsgTableProblem), {std::string(g_engine->configTarget.tabPath)}));
        tableOpenKept = 0;
    } else if (found == 2) {
        tableOpenKept = 0;
    }
    g_engine->chosenProcess[0] = hole.rowIndex;
    g_engine->chosenProcess[1] = -1;
    g_engine->configAction = 110;
    g_engine->treeReturnAction = 1;
    tableOpenedFromMenu = 1;
    if (readTarget() == 0) g_engine->currentTable.backupFiles();
    endDialog(106);
}

void CDlgProcess::changeProcess(POINT_LIST& hole) {
    if (!markHoleTable(this, hole)) return;
    std::vector<std::string> names;
    if (readTarget() == 0) g_engine->currentTable.listProcessNames(names, kMaxProcessNames);
    CDlgChangeProcess dlg(this);
    dlg.processNames = names.data();
    dlg.processCount = static_cast<int>(names.size());
    dlg.currentName = hole.processName;
    if (doModalInPluginRes(dlg) != plat::IDOK || dlg.chosenName.empty()) return;
    // The operations keep the view-wide heights of the recognition run.
    const bool keep = hole.opeList != nullptr;
    const double topZ = keep ? hole.opeList->holeTopZ : 0;
    const double clearanceZ = keep ? hole.opeList->clearanceZ : 0;
    setFieldText(hole.processName, dlg.chosenName);
    (void)applyHoleProcess(hole, 0);
    if (keep) {
        for (OPE_LIST* o = hole.opeList; o; o = o->next) {
            o->holeTopZ = topZ;
            o->clearanceZ = clearanceZ;
        }
    }
    buildOperationWhyText(hole, "");
    g_toolsArray->clear();
    g_fullToolsSeq->clear();
    sequenceTools(*g_fullToolsSeq, g_records->viewsTree, 0);
    filterFlags = 0xFFFFFFFFu;
    countUsedTools(*g_fullToolsSeq, &g_records->runStats.toolsCount1, &g_records->runStats.toolsCount2);
    refill();
}

namespace {

constexpr double kRadToDeg = 57.29577951308233;

// The first drill-size table of the tables folder, with its rows; false when the folder has none.
bool readDrillSizeTable(CTabColsDesc& out) {
    for (const std::string& file : listTableFiles(g_globals->tablesDir)) {
        if (out.read(file) != 0 || out.tableClass != kTableDrillSize) continue;
        out.readRows();
        return true;
    }
    out.clear();
    return false;
}

bool inTree(const POINT_LIST* hole) {
    for (const VIEW_LIST* v = g_records->viewsTree; v; v = v->next)
        for (const POINT_LIST* p = v->firstPoint; p; p = p->next)
            if (p == hole) return true;
    return false;
}

}  // namespace

// The hole's adaptable table takes the hole for good: the table's chamfer window and the tip-angle limits
// of the adaptable search are widened to the window the search described the hole with, the hole is
// described again and matched, and the row (added when none fits) gives it its process; a row added to
// another table, the first of the hole's form, takes the hole into that table. Only a hole the
// adaptable search matched has such a window (its tip angle is never 0 there); any other hole, and every
// early stop, leaves the hole, the table and the settings as they were.
void CDlgProcess::checkHoleTable(POINT_LIST& hole) {
    if (hole.adaptedRow < 0 || hole.adaptedWindow[2] <= 0 || !hole.tableName[0] || !hole.firstCyl) return;
    CTabColsDesc drill;
    const bool haveDrill = readDrillSizeTable(drill);
    CTabColsDesc table;
    if (table.read(tableFilePath(fieldText(hole.tableName))) != 0) return;
    table.readRows();
    buildEntriesFromFirstRow(table);
    table.chamferAngleA = std::min(table.chamferAngleA, hole.adaptedWindow[0]);
    table.chamferAngleB = std::max(table.chamferAngleB, hole.adaptedWindow[3]);
    table.maxChamfer = std::max(table.maxChamfer, hole.adaptedWindow[1]);

    PRM_SETTINGS& s = g_globals->settings;
    const double lowBefore = s.minDrawnTipAngle, highBefore = s.maxDrawnTipAngle;
    const double tip = hole.adaptedWindow[2] * kRadToDeg;
    s.minDrawnTipAngle = std::min(s.minDrawnTipAngle, tip);
    s.maxDrawnTipAngle = std::max(s.maxDrawnTipAngle, tip);
    auto restore = [&] {
        s.minDrawnTipAngle = lowBefore;
        s.maxDrawnTipAngle = highBefore;
    };

    CTabColsDesc* drillTable = haveDrill ? &drill : nullptr;
    std::vector<CIL_DESC> descs =
        describeHole(hole.firstCyl, table.chamferAngleA, table.chamferAngleB, table.maxChamfer, drillTable);
    if (descs.empty() || !tableMatchesShape(table, descs.data(), static_cast<int>(descs.size()), s.forceTapping == 1))
        return restore();
    int row = findMeasuresLine(table, descs.data(), static_cast<int>(descs.size()));
    // Adding a row may put the hole a depth split made in place of its other half (and free that half).
    POINT_LIST* target = &hole;
    CTabColsDesc other;   // the table the row went into, when it is not the hole's
    CTabColsDesc* rowTable = &table;
    if (row < 0) {
        TABLE_FILE_REF ref;
        if (addMeasuresToTable(&target, &ref) != 0) return restore();
        // The row goes into the first table of the hole's form, which need not be the hole's own: the hole
        // (or the one its half was split from) is described again in the terms of the row's table, in the
        // widened window of its own or in the other's, or its own row would not fit it.
        if (fieldText(ref.tableName) != table.name) {
            if (other.read(fieldText(ref.tabPath)) != 0) return restore();
            rowTable = &other;
        }
        rowTable->readRows();
        buildEntriesFromFirstRow(*rowTable);
        descs = describeHole(target->firstCyl, rowTable->chamferAngleA, rowTable->chamferAngleB, rowTable->maxChamfer,
                             drillTable);
        row = findMeasuresLine(*rowTable, descs.data(), static_cast<int>(descs.size()));
        if (row < 0) return restore();
    }
    const int count = static_cast<int>(descs.size());
    // A hole split by depth keeps the bottom the split gave it: its other half drills the rest.
    if (target->deepSplitNext && target->descs && target->descCount == count)
        descs.back().zBottom = target->descs[count - 1].zBottom;
    setHoleDescription(*target, descs.data(), count);
    target->rowIndex = static_cast<std::int16_t>(row);
    if (rowTable->processColumn > 0 && rowTable->processColumn <= rowTable->columnCount)
        setFieldText(target->processName, rowTable->cell(row, rowTable->processColumn - 1));
    if (rowTable == &other) {
        // Matched in the other table's own window, the hole is no longer adapted; it is labelled by its
        // new table and row, and its own table keeps its window.
        setFieldText(target->tableName, other.name);
        target->adaptedRow = target->adaptTableIndex = -1;
        target->outOfWindow = target->tipOutside = 0;
        target->provisionalRow = target->noMeasures = 1;
        labelHoleByRow(*target);
    }
    reapplyHoleTable(target);
    if (rowTable == &table) (void)table.write();
    (void)writeSettings(0);
}

int CDlgProcess::checkAllHoleTables() {
    // Taken first: a row added for one hole may free the other half of a depth-split hole.
    std::vector<POINT_LIST*> holes;
    for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next)
            if (!chainFollower(*p)) holes.push_back(p);
    for (POINT_LIST* p : holes)
        if (inTree(p)) checkHoleTable(*p);
    return 0;
}
