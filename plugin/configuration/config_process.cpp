// The process configuration dialog: what each showing takes in from the configuration run, the table it is
// opened on or the user chooses, the writing of the table's files, the pictures, and the ways out of it.
#include <algorithm>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/canvas.h"
#include "platform/ui/image_list.h"
#include "platform/ui/keys.h"
#include "platform/ui/list_view.h"
#include "platform/ui/message_box.h"
#include "platform/ui/tree_view.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_install.h"
#include "plugin/base/text_fill.h"
#include "plugin/configuration/config_texts.h"
#include "plugin/base/resource_switch.h"
#include "plugin/model/ope_list.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"

LoadTime<CConfigProcess> g_configProcess;

namespace {

constexpr int kWhite = 0xFFFFFF;
constexpr int kTreeBitmaps[] = {18082, 18010};

// Label lines of "ConfigProcessDlg" by control.
struct LABEL {
    int control, line;
};
constexpr LABEL kLabels[] = {{CConfigProcess::kProcessLabel, 6},  {CConfigProcess::kChooseTable, 2},
                             {CConfigProcess::kTableProperties, 3}, {CConfigProcess::kSimulate, 4},
                             {plat::IDOK, 5},                      {CConfigProcess::kCancelRestore, 9},
                             {CConfigProcess::kProcessFrame, 70},  {CConfigProcess::kNewProcess, 71},
                             {CConfigProcess::kRenameProcess, 72}, {CConfigProcess::kCopyProcess, 73},
                             {CConfigProcess::kDeleteProcesses, 74}, {CConfigProcess::kRowHint, 79}};

}  // namespace

CConfigProcess::CConfigProcess(plat::Dialog*) : plat::Dialog(kTemplate) {
    using plat::Ev;
    on(kRows, Ev::Clicked, [this](plat::Notify& n) { onListClick(n); });
    on(kRows, Ev::DblClk, [this](plat::Notify& n) { onListDblClick(n); });
    on(kRows, Ev::RClick, [this](plat::Notify& n) { onListRClick(n); });
    on(kRows, Ev::KeyDown, [this](plat::Notify& n) { onListKey(n); });
    on(kRows, Ev::ColumnClick, [this](plat::Notify& n) { onColumnClick(n); });
    on(kCellEdit, Ev::KillFocus, [this](plat::Notify&) {
        if (editActive) commitCellEdit();
    });
    on(kTree, Ev::Clicked, [this](plat::Notify&) { onTreeClick(); });
    on(kTree, Ev::RClick, [this](plat::Notify&) { onTreeRClick(); });
    on(kProcessCombo, Ev::SelChange, [this](plat::Notify&) { onProcessComboChange(); });
    onCommand(kChooseTable, [this] { onSelectTable(); });
    onCommand(kTableProperties, [this] { onTableProperties(); });
    onCommand(kSimulate, [this] { onSimulate(); });
    onCommand(kNewProcess, [this] { onNewProcess(); });
    onCommand(kRenameProcess, [this] { onRenameProcess(); });
    onCommand(kCopyProcess, [this] { onCopyProcess(); });
    onCommand(kDeleteProcesses, [this] { onDeleteProcesses(); });
    onCommand(kCancelRestore, [this] { onCancelRestore(); });
    onMessage(plat::Msg::Close, [this](plat::MsgArgs&) {
        if (saveIfModified()) endDialog(plat::IDCANCEL);
    });
    onMessage(plat::Msg::Paint, [this](plat::MsgArgs& a) { onPaint(a); });
    onMessage(plat::Msg::Destroy, [this](plat::MsgArgs&) { treeImages.reset(); });
}

CConfigProcess::~CConfigProcess() = default;

void CConfigProcess::setLabels() {
    for (const LABEL& l : kLabels) item(l.control).setText(texts.getText(l.line));
}

bool CConfigProcess::onInitDialog() {
    CONFIG_SHARED c = configShared();
    if (texts.load(g_globals->uiTextFile, "ConfigProcessDlg", false) != 0) {
        endDialog(plat::IDOK);
        return true;
    }
    setLabels();
    chosenRow = -1;
    editActive = 0;
    editPurpose = 0;
    editRow = -1;
    formCleared = false;
    treeImages = std::make_unique<plat::ImageList>(25, 16, 10, 2);
    for (int bitmap : kTreeBitmaps) treeImages->addBitmap(bitmap, kWhite);
    treeView(kTree).setImageList(treeImages.get(), plat::TVSIL_NORMAL);
    chooser.currentPage = 0;
    chooser.lastChosen = -1;

    const int action = c.action;
    CTabColsDesc& table = c.table;
    if (action == 0) {
        c.target = TABLE_FILE_REF{};
        processName.clear();
        processRefused = false;
        operationCount = 0;
        newTableName.clear();
        copiedTables.clear();
        const int chosen = chooseTable();
        if (chosen == 0 || chosen == 100) {
            endDialog(chosen);
            return true;
        }
        if (!table.snapshotTaken) (void)table.backupFiles();
        copiedTables.push_back(table.path);
        table.tableChanged = table.processesChanged = table.rowsChanged = 0;
    }
    if (action == 141) {
        if (chooser.chosenTable.tabPath[0] != 0) {
            c.target = chooser.chosenTable;
            (void)loadCurrentTable(-1);
        } else if (c.target.tabPath[0] != 0) {
            (void)loadCurrentTable(c.chosenProcess[0]);
            fillRowsList();
        } else {
            c.target = TABLE_FILE_REF{};
            if (chooseTable() == 0) {
                endDialog(0);
                return true;
            }
        }
    }
    refillCombo();
    if (action == 110) {
        // The run's caller opened the table on a row and took its safety copies.
        item(kChooseTable).enable(false);
        item(kChooseTable).show(false);
        newTableName.clear();
        copiedTables.assign(1, fieldText(c.target.tabPath));
        table.tableChanged = table.processesChanged = table.rowsChanged = 0;
        (void)loadCurrentTable(c.chosenProcess[0]);
        fillRowsList();
    }
    if (action >= 101 && action <= 104) {
        takeEditedOperation(action);
        (void)loadCurrentTable(c.chosenProcess[0]);
        fillRowsList();
    }
    // 121 (a row chosen in choose mode) shows the table as the drawing actions do.
    if (action == 105 || action == 120 || action == 121 || action == 122) {
        (void)loadCurrentTable(c.chosenProcess[0]);
        fillRowsList();
    }
    writeCaption();
    return true;
}

// The operation the editor left goes where the action puts it. A process of 99 operations takes no new
// one: the run does not open the editor for it, so what the editor holds is no operation the user made.
void CConfigProcess::takeEditedOperation(int action) {
    CONFIG_SHARED c = configShared();
    const int i = editor.operationIndex;
    int count = operationCount;
    if (action != 102 && count + 1 >= kMaxOperations) {
        plat::messageBox(this, fillText(texts.getText(kLineProcessFull), {static_cast<long>(count)}), errorMessage(1),
                         plat::MB_OK | plat::MB_ICONEXCLAMATION);
        return;
    }
    auto slot = [this](int at) { return &operations[static_cast<std::size_t>(at)]; };
    auto openSlot = [&](int at) {
        std::move_backward(operations.begin() + at, operations.begin() + count, operations.begin() + count + 1);
    };
    switch (action) {
    case 101:
        (void)fillOperationFromEditor(slot(count), c.rowCells);
        ++count;
        break;
    case 103:
        if (i >= 0 && count - i > 0) {
            openSlot(i);
            (void)fillOperationFromEditor(slot(i), c.rowCells);
            ++count;
        }
        break;
    case 104:
        if (i >= 0 && count - (i + 1) > 0) {
            openSlot(i + 1);
            (void)fillOperationFromEditor(slot(i + 1), c.rowCells);
        } else {
            (void)fillOperationFromEditor(slot(count), c.rowCells);
        }
        ++count;
        break;
    default:
        if (i >= 0 && i < count) (void)fillOperationFromEditor(slot(i), c.rowCells);
        break;
    }
    operationCount = static_cast<std::int16_t>(count);
    (void)writeCurrentProcess();
}

int CConfigProcess::chooseTable() {
    CONFIG_SHARED c = configShared();
    (void)writeCurrentProcess();
    (void)writeRowsFile();
    for (;;) {
        const int result = doModalInPluginRes(chooser, this);
        if (result == CSelectShapeTable::kNoTables) return 100;
        if (result != CSelectShapeTable::kChosen) return 0;
        if (chooser.chosenTable.tabPath[0] != 0) c.target = chooser.chosenTable;
        if (loadCurrentTable(-1) == 0) {
            fillRowsList();
            return 142;
        }
    }
}

int CConfigProcess::loadCurrentTable(int row, int listMode) {
    CONFIG_SHARED c = configShared();
    plat::ListView& list = listView(kRows);
    list.deleteAllItems();
    invalidate();
    if (const int result = c.table.read(fieldText(c.target.tabPath))) return result;
    (void)c.table.readRows();
    item(kTableTitle).setText(c.table.name);
    list.setExtendedStyle(0, plat::LVS_EX_GRIDLINES | plat::LVS_EX_FULLROWSELECT);
    c.table.fillListColumns(list, listMode);
    c.table.listRowCount = 0;
    std::vector<std::string> cells;
    for (int r = 0; r < c.table.rowCount; ++r) {
        (void)c.table.getRow(r, cells);
        c.table.fillListRows(list, cells, listMode);
    }
    chosenRow = row >= 0 && row < list.itemCount() ? row : (list.itemCount() > 0 ? 0 : -1);
    processRefused = false;
    if (chosenRow >= 0) selectRow(chosenRow);
    processName = chosenRow >= 0 ? processCell(chosenRow) : std::string();
    setFieldText(c.target.processName, processName);
    return 0;
}

bool CConfigProcess::writeRowsFile() {
    CONFIG_SHARED c = configShared();
    if (c.target.txtPath[0] == 0 || c.table.path.empty()) return true;
    return c.table.writeRows() == 0;
}

bool CConfigProcess::writeCurrentProcess() {
    if (processName.empty() || processRefused) return true;
    return configShared().table.writeProcess(processName, operations.data(), operationCount) == 0;
}

bool CConfigProcess::saveIfModified() {
    const bool process = writeCurrentProcess();
    const bool rows = writeRowsFile();
    configShared().table.snapshotTaken = 0;
    return process && rows;
}

void CConfigProcess::onOK() {
    CONFIG_SHARED c = configShared();
    // Enter ends a cell edit and never the dialog.
    if (plat::getAsyncKeyState(plat::VK_RETURN) < 0) {
        if (editActive) commitCellEdit();
        return;
    }
    if (editActive && !commitCellEdit()) return;
    // A file that could not be written (the user was told) keeps the dialog open: nothing is left unsaved
    // behind the user's back, and the cancel button can still put the table back.
    if (!saveIfModified()) return;
    if (mode == kFormsFromSurfaces || mode == kFormsFromSolids || mode == kChooseMode) {
        c.chosenProcess[0] = static_cast<std::int16_t>(chosenRow);
        c.chosenProcess[1] = -1;
        c.action = mode;
        endDialog(mode);
        return;
    }
    (void)renameTableFiles();
    endDialog(plat::IDOK);
}

// Esc during a cell edit leaves the cell as it was. Otherwise the dialog is left as with its close box:
// what was typed into cells is written first, so that nothing the user did is half kept.
void CConfigProcess::onCancel() {
    if (plat::getAsyncKeyState(plat::VK_ESCAPE) < 0 && editActive) {
        leaveCellEdit();
        return;
    }
    if (editActive && !commitCellEdit()) return;
    if (saveIfModified()) endDialog(plat::IDCANCEL);
}

void CConfigProcess::onCancelRestore() {
    CONFIG_SHARED c = configShared();
    CTabColsDesc& table = c.table;
    if (table.tableChanged || table.processesChanged || table.rowsChanged || table.snapshotTaken) {
        table.restoredFromSnapshot = 0;
        if (plat::messageBox(this, texts.getText(20), errorMessage(1), plat::MB_YESNO | plat::MB_ICONEXCLAMATION) !=
            plat::IDYES)
            return;
        for (const std::string& path : copiedTables) {
            CTabColsDesc copied;
            copied.path = path;
            copied.name = plat::splitPath(path).name;
            (void)copied.restoreFiles();
        }
        table.restoredFromSnapshot = 1;
    }
    if (mode == kFormsFromSolids && c.action == kFormsFromSolids) {
        endDialog(0);
        return;
    }
    table.snapshotTaken = 0;
    endDialog(0);
}

void CConfigProcess::onPaint(plat::MsgArgs& args) {
    CONFIG_SHARED c = configShared();
    CTabColsDesc& table = c.table;
    if (!args.canvas || table.path.empty() || table.itemCount < 1) return;
    plat::Canvas& dc = *args.canvas;
    (void)table.drawTablePicture(dc, 0, 0, item(kTablePicture), 0, 1, 1, nullptr);
    const plat::Control& form = item(kFormPicture);
    table.clearTablePicture(dc, 0, 0, form);
    std::vector<std::string> cells;
    // The row's form in its own proportions, without the labels and the frame of the table's picture.
    if (!formCleared && table.getRow(std::max<int>(c.chosenProcess[0], 0), cells) == 0)
        (void)table.drawTablePicture(dc, 0, 0, form, 0, 0, 0, &cells);
    // A cell being edited keeps the focus: taking it away would commit the cell.
    if (!editActive) item(kRows).setFocus();
}

void CConfigProcess::drawRowPicture(int row) {
    CONFIG_SHARED c = configShared();
    c.chosenProcess[0] = static_cast<std::int16_t>(row);
    c.chosenProcess[1] = -1;
    formCleared = false;
    invalidate();
}

void CConfigProcess::clearFormPicture() {
    drawRowPicture(-1);
    formCleared = true;
}

void CConfigProcess::writeCaption() {
    CONFIG_SHARED c = configShared();
    const CTabColsDesc& table = c.table;
    std::string classText;
    if (table.tableClass == kTableThread) classText = texts.getText(table.classValue4 >= 1000 ? 32 : 31);
    std::string caption = fillText(texts.getText(1), {table.name, sectionText("ForantixMenu", g_globals->metric() ? 1 : 2),
                                                      classText});
    if (g_globals->sharedDataOn && g_globals->sharedAccessMode != 1)
        caption += " " + sectionText("SharedData", 201);
    setWindowText(caption);
    std::string info = texts.getText(52);
    if (g_globals->sharedDataOn) {
        const auto written = plat::lastWriteTime(table.path);
        info = fillText(texts.getText(51), {g_globals->libraryName, formatDateTime(written.value_or(0))});
    }
    item(kInfoLine).setText(info);
}
