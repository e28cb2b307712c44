// The configuration's commands on the current process and its operations, and on the table as a whole:
// the operations tree and its menu, the process combo and buttons, the table's properties, another table,
// the trial on picked positions, and the renaming of the table's files when the dialog is left.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/keys.h"
#include "platform/ui/list_view.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "platform/ui/tree_view.h"
#include "plugin/base/globals.h"
#include "plugin/base/number_text.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/utilities.h"
#include "plugin/configuration/config_texts.h"
#include "plugin/configuration/editor_record.h"
#include "plugin/configuration/process_dialogs.h"
#include "plugin/model/host_blocks.h"
#include "plugin/model/ope_list.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"
#include "plugin/services/tables.h"

namespace {

// Items of the operations menu and their lines of "ProcessMenu".
constexpr int kItemEdit = 102, kItemAppend = 121, kItemBefore = 122, kItemAfter = 123, kItemDelete = 124,
              kItemNone = 129;
constexpr std::size_t kRowCellChars = 256;

}  // namespace

bool CConfigProcess::collectSelectedRows() {
    CONFIG_SHARED c = configShared();
    plat::ListView& list = listView(kRows);
    selectedRows.clear();
    for (int r = list.nextItem(-1, plat::LVNI_SELECTED); r >= 0; r = list.nextItem(r, plat::LVNI_SELECTED))
        selectedRows.push_back(r);
    if (selectedRows.empty() && chosenRow >= 0 && chosenRow < list.itemCount()) selectedRows.push_back(chosenRow);
    if (selectedRows.empty()) return false;
    c.chosenProcess[0] = static_cast<std::int16_t>(selectedRows.front());
    c.chosenProcess[1] = -1;
    (void)c.table.getRow(selectedRows.front(), c.rowCells);
    for (std::string& cell : c.rowCells)
        if (cell.size() > kRowCellChars) cell.resize(kRowCellChars);
    return true;
}

void CConfigProcess::onTreeClick() {
    plat::ListView& list = listView(kRows);
    if (list.selectedCount() == 1) return;
    list.setItemState(-1, 0, plat::LVIS_SELECTED);
    for (int r = 0; r < list.itemCount(); ++r) {
        if (processCell(r) == processName) {
            list.setItemState(r, plat::LVIS_SELECTED, plat::LVIS_SELECTED);
            return;
        }
    }
}

void CConfigProcess::onTreeRClick() {
    plat::TreeView& tree = treeView(kTree);
    for (plat::TreeItem i = tree.rootItem(); i != 0; i = tree.nextSibling(i)) tree.setItemState(i, 0, plat::TVIS_SELECTED);
    unsigned flags = 0;
    const plat::TreeItem hit = tree.hitTest(item(kTree).screenToClient(plat::cursorPos()), &flags);
    if (hit != 0) tree.setItemState(hit, 0, plat::TVIS_SELECTED);
    const bool onItem = hit != 0 && (flags & (plat::TVHT_ONITEMICON | plat::TVHT_ONITEMLABEL)) != 0;
    CTextSection menuTexts;
    (void)menuTexts.load(g_globals->uiTextFile, "ProcessMenu", false);
    plat::Menu menu;
    menu.item(kItemAppend, menuTexts.getText(12));
    if (onItem) {
        menu.item(kItemEdit, menuTexts.getText(17));
        menu.item(kItemBefore, menuTexts.getText(13));
        menu.item(kItemAfter, menuTexts.getText(14));
        menu.item(kItemDelete, menuTexts.getText(15));
    }
    menu.item(kItemNone, menuTexts.getText(8));
    switch (plat::trackPopupMenu(menu, plat::TPM_RETURNCMD | plat::TPM_RIGHTBUTTON, plat::cursorPos(), this)) {
    case kItemAppend: newOperation(101, onItem ? hit : 0); break;
    case kItemBefore: newOperation(103, hit); break;
    case kItemAfter: newOperation(104, hit); break;
    case kItemEdit: editSelectedOperation(hit); break;
    case kItemDelete: deleteOperation(hit); break;
    default: break;
    }
}

namespace {

// The operation a tree item stands for, when it is one of `ops`.
PROCESS_OPE* treeOperation(plat::TreeView& tree, plat::TreeItem item, PROCESS_OPE* ops, int count) {
    if (item == 0) return nullptr;
    const std::intptr_t place = tree.itemData(item);
    return place >= 1 && place <= count ? ops + (place - 1) : nullptr;
}

}  // namespace

void CConfigProcess::newOperation(int action, std::uint32_t hit) {
    CONFIG_SHARED c = configShared();
    if (!collectSelectedRows()) return;
    const int first = selectedRows.front();
    if (trimReplaceBlanksStr(processCell(first), 0).empty()) {
        plat::messageBox(this, errorMessage(kMsgNoProcess), errorMessage(1), plat::MB_OK);
        editPurpose = 1;
        startCellEdit(first, listColumnOf(c.table.processColumn));
        return;
    }
    CDlgEditProcessOpe& e = editor;
    for (ASSOC_VALUE& block : e.assoc) {
        block = ASSOC_VALUE{};
        block.mode = 1;
    }
    e.toolType = 3;
    e.toolTypeIndex = 0;
    e.materialWanted = 0;
    e.nameWanted = 0;
    e.wantedToolName.clear();
    e.cycleIndex = 0;
    e.milledKind = 0;
    e.circleCycleIndex = 0;
    e.fromTopZ = 0;
    e.fromTopZNext = 0;
    e.firstDrillPercent = 30.0;
    e.cornerRadius = 0;
    e.cornerRadiusChoice = 0;
    e.comment.clear();
    e.libraryToolName.clear();
    e.endCode = 0;
    e.currentPage = 0;
    storeMilledDiameter(e.operation, ASSOC_VALUE{});
    opeSet(e.operation, process_ope::hostValue, 0.0);
    using process_ope::hostBlock6;
    using process_ope::threadMillBlock;
    std::memset(e.operation.bytes + hostBlock6, 0, threadMillBlock + kThreadMillSize - hostBlock6);
    (void)writeCurrentProcess();
    (void)writeRowsFile();
    c.table.processesChanged = 1;
    currentOperation = treeOperation(treeView(kTree), hit, operations.data(), operationCount);
    c.action = static_cast<std::int16_t>(action);
    endDialog(action);
}

void CConfigProcess::editSelectedOperation(std::uint32_t hit) {
    CONFIG_SHARED c = configShared();
    PROCESS_OPE* op = treeOperation(treeView(kTree), hit, operations.data(), operationCount);
    if (!op) return;
    const int i = static_cast<int>(op - operations.data());
    fillEditorFromOperation(*op);
    editor.operations = operations.data();
    editor.operationCount = operationCount;
    editor.operationIndex = static_cast<std::int16_t>(i);
    editor.currentPage = 0;
    if (!collectSelectedRows()) return;
    CTabColsDesc& table = c.table;
    (void)table.buildCilColumns(c.rowCells);
    if (table.buildFormSteps(c.rowCells) != 0) return;
    editor.formTable = &table;
    // Measures bound to the form take the row's values.
    auto diameter = [&](ASSOC_VALUE& block) {
        if (block.mode != 1) return;
        if (const TAB_FORM_STEP* s = editor.formStep(block)) block.value = s->startDiameter;
    };
    auto depth = [&](ASSOC_VALUE& block) {
        if (block.mode != 1) return;
        // (+ 0.0: the depth of the mouth is 0, never -0, in the table's file)
        if (const TAB_FORM_STEP* s = editor.formStep(block)) block.value = (block.stepEnd ? s->bottomDepth : s->topDepth) + 0.0;
    };
    diameter(editor.assoc[kToolDiamBlock]);
    depth(editor.assoc[kTopZBlock]);
    depth(editor.assoc[kBottomZBlock]);
    // The milled hole's diameter is a diameter: it takes its step's start diameter as the tool diameter
    // does, not the step's depth as the Z values do, which would make a hole as wide as the step is deep.
    if (editor.milledKind >= 1 && editor.milledKind <= 4)
        diameter(editor.assoc[static_cast<std::size_t>(kBottomZBlock + editor.milledKind)]);
    (void)writeCurrentProcess();
    (void)writeRowsFile();
    currentOperation = op;
    table.processesChanged = 1;
    c.action = 102;
    endDialog(102);
}

void CConfigProcess::deleteOperation(std::uint32_t hit) {
    CONFIG_SHARED c = configShared();
    PROCESS_OPE* op = treeOperation(treeView(kTree), hit, operations.data(), operationCount);
    if (!op || operationCount < 1) return;
    // The last operation empties the process cells of its rows below; where a cell follows one, the rows
    // file could not hold it so, and the operation stays.
    std::vector<std::string> cells;
    const bool last = operationCount == 1 && c.table.processColumn >= 1 && c.table.processColumn <= c.table.columnCount;
    for (int r = 0; r < c.table.rowCount && last; ++r) {
        if (processCell(r) != processName || c.table.getRow(r, cells) != 0) continue;
        cells[static_cast<std::size_t>(c.table.processColumn - 1)].clear();
        if (emptyCellBeforeFilled(cells, c.table.columnCount) != 0) {
            plat::messageBox(this, fillText(texts.getText(kLineLastOperationKept), {processName}), errorMessage(1),
                             plat::MB_OK | plat::MB_ICONEXCLAMATION);
            return;
        }
    }
    const int i = static_cast<int>(op - operations.data());
    const std::string question = fillText(texts.getText(kLineDeleteOperation), {static_cast<long>(i + 1)});
    if (plat::messageBox(this, question, errorMessage(1), plat::MB_YESNO | plat::MB_ICONEXCLAMATION) != plat::IDYES) return;
    std::move(operations.begin() + i + 1, operations.begin() + operationCount, operations.begin() + i);
    --operationCount;
    if (operationCount == 0) {
        // A process without operations is no process for a row.
        for (int r = 0; r < c.table.rowCount; ++r)
            if (processCell(r) == processName) setProcessCell(r, "");
        c.table.rowsChanged = 1;
    }
    c.table.processesChanged = 1;
    (void)writeCurrentProcess();
    fillRowsList();
}

void CConfigProcess::onProcessComboChange() {
    CONFIG_SHARED c = configShared();
    const plat::Control& combo = item(kProcessCombo);
    if (combo.curSel() < 0 || chosenRow < 0) return;
    const std::string name = combo.itemText(combo.curSel());
    (void)writeCurrentProcess();
    setProcessCell(chosenRow, name);
    c.table.rowsChanged = 1;
    processName = trimReplaceBlanksStr(name, '_');
    setFieldText(c.target.processName, processName);
    fillRowsList();
}

// The name typed for a new, renamed or copied process, asked again while another process has it (in any
// case); `allowed` is a name the command accepts although the table has it. "" when cancelled or empty.
std::string CConfigProcess::askProcessName(int titleLine, int promptLine, const std::string& allowed) {
    CDlgNewProcess dlg(this);
    dlg.caption = texts.getText(titleLine);
    dlg.prompt = texts.getText(promptLine);
    dlg.name = processName;
    for (;;) {
        if (doModalInPluginRes(dlg, this) != plat::IDOK) return "";
        const std::string name = trimReplaceBlanksStr(dlg.name, '_');
        if (name.empty() || (!allowed.empty() && plat::equalsNoCase(name, allowed))) return name;
        if (!nameTaken(name)) return name;
        plat::messageBox(this, texts.getText(kLineNameTaken), errorMessage(1), plat::MB_OK | plat::MB_ICONEXCLAMATION);
    }
}

void CConfigProcess::onNewProcess() {
    CONFIG_SHARED c = configShared();
    if (chosenRow < 0) return;
    const std::string name = askProcessName(kLineNewTitle, kLineNewPrompt, "");
    if (name.empty()) return;
    (void)writeCurrentProcess();
    if (c.table.writeProcess(name, nullptr, 0) != 0) return;
    c.table.processesChanged = 1;
    c.table.rowsChanged = 1;
    setProcessCell(chosenRow, name);
    processName = name;
    setFieldText(c.target.processName, processName);
    refillCombo();
    fillRowsList();
}

void CConfigProcess::onRenameProcess() {
    if (chosenRow < 0 || processName.empty() || processRefused) return;
    const std::string name = askProcessName(kLineRenameTitle, kLineRenamePrompt, processName);
    if (name.empty() || plat::equalsNoCase(name, processName)) return;
    renameProcess(processName, name, chosenRow);
}

void CConfigProcess::onCopyProcess() {
    CONFIG_SHARED c = configShared();
    if (chosenRow < 0 || processRefused) return;
    const std::string name = askProcessName(kLineCopyTitle, kLineCopyPrompt, "");
    if (name.empty()) return;
    (void)writeRowsFile();
    if (c.table.writeProcess(name, operations.data(), operationCount) != 0) return;
    c.table.processesChanged = 1;
    c.table.rowsChanged = 1;
    processName = name;
    setFieldText(c.target.processName, processName);
    setProcessCell(chosenRow, name);
    refillCombo();
    fillRowsList();
}

void CConfigProcess::onDeleteProcesses() {
    CTabColsDesc& t = configShared().table;
    std::vector<std::string> names;
    if (t.listProcessNames(names, CDlgHandleProcess::kMaxEntries) < 1) return;
    CDlgHandleProcess dlg(this);
    for (const std::string& name : names) {
        PROCESS_ENTRY e;
        e.name = name;
        for (int r = 0; r < t.rowCount; ++r) e.useCount += processCell(r) == name ? 1 : 0;
        dlg.entries.push_back(e);
    }
    if (doModalInPluginRes(dlg, this) != plat::IDOK) return;
    for (const PROCESS_ENTRY& e : dlg.entries) {
        if (!e.deleted) continue;
        (void)t.deleteProcess(e.name);
        t.processesChanged = 1;
    }
    refillCombo();
}

void CConfigProcess::onTableProperties() {
    CTabColsDesc& t = configShared().table;
    std::string newName;
    bool written = false;
    if (runTableProperties(t, &newName, &written, this) == plat::IDOK) {
        if (!newName.empty()) newTableName = newName;
        if (written) {
            t.tableChanged = 1;
            fillRowsList();
        }
    }
    item(kRows).setFocus();
}

void CConfigProcess::onSelectTable() {
    CONFIG_SHARED c = configShared();
    // A new name the properties gave the table it leaves is its name from now on.
    (void)renameTableFiles();
    if (chooseTable() == 142) {
        const std::string path = c.table.path;
        if (std::find(copiedTables.begin(), copiedTables.end(), path) == copiedTables.end()) {
            (void)c.table.backupFiles();
            copiedTables.push_back(path);
        }
    }
    writeCaption();
    drawRowPicture(std::max<int>(c.chosenProcess[0], 0));
    item(kRows).setFocus();
    refillCombo();
}

// The trial works on the current process as the user sees it. It is written under its own name only: a
// selected row of another process keeps that process.
void CConfigProcess::onSimulate() {
    CONFIG_SHARED c = configShared();
    if (!collectSelectedRows()) return;
    (void)writeCurrentProcess();
    (void)writeRowsFile();
    currentOperation = operationCount > 0 ? &operations[0] : nullptr;
    c.action = 105;
    endDialog(105);
}

int CConfigProcess::renameTableFiles() {
    CONFIG_SHARED c = configShared();
    if (newTableName.empty()) return 0;
    CTabColsDesc& t = c.table;
    const std::string oldName = t.name, newName = newTableName;
    std::vector<std::string> folders{g_globals->tablesDir};
    if (g_globals->sharedDataOn && g_globals->sharedAccessMode == 1 && !g_globals->sharedFormsDir.empty())
        folders.push_back(plat::joinPath(g_globals->sharedFormsDir, g_globals->libraryName));
    struct MOVE {
        std::string from, to;
    };
    std::vector<MOVE> moves;
    for (const std::string& folder : folders)
        for (const char* ext : {".tab", ".txt"})
            if (plat::fileExists(plat::joinPath(folder, oldName + ext)))
                moves.push_back({plat::joinPath(folder, oldName + ext), plat::joinPath(folder, newName + ext)});
    const auto refuse = [&] {
        plat::messageBox(this, fillText(texts.getText(kLineRenameRefused), {oldName, newName}), errorMessage(1),
                         plat::MB_OK | plat::MB_ICONEXCLAMATION);
        newTableName.clear();
        return 1;
    };
    // A name another table has, in any case, is never taken over; and nothing is half renamed.
    const bool sameTable = plat::equalsNoCase(oldName, newName);
    for (const MOVE& m : moves)
        if (!sameTable && plat::fileExists(m.to)) return refuse();
    for (std::size_t i = 0; i < moves.size(); ++i) {
        if (plat::moveFile(moves[i].from, moves[i].to)) continue;
        for (std::size_t k = i; k-- > 0;) (void)plat::moveFile(moves[k].to, moves[k].from);
        return refuse();
    }
    CTextSection prop;
    (void)prop.load(g_globals->uiTextFile, "TablePropDlg", false);
    const std::string text = prop.getTextOr(44, "The table has been renamed") + "\n" + oldName + "\n" +
                             prop.getTextOr(45, "into") + "\n" + newName;
    plat::messageBox(this, text, errorMessage(1), plat::MB_OK);
    t.name = newName;
    t.path = plat::joinPath(plat::splitPath(t.path).drive + plat::splitPath(t.path).dir, newName + ".tab");
    setFieldText(c.target.tabPath, t.path);
    setFieldText(c.target.txtPath, plat::joinPath(plat::splitPath(t.path).drive + plat::splitPath(t.path).dir, newName + ".TXT"));
    setFieldText(c.target.tableName, newName);
    newTableName.clear();
    return 0;
}
