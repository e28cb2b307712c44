// The rows list of the process configuration: clicks, keys and sorting, the cell editor over a cell, the
// rows menu, and the pane of the current process that every change of row or process fills again. The
// list shows the table's rows in the table's order (list row i is table row i, also after a sort), and every
// cell the user changes is stored in the table row at once, so that the rows file is written from the table.
#include <algorithm>
#include <cstdlib>

#include "platform/sys/paths.h"
#include "platform/ui/keys.h"
#include "platform/ui/list_view.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "platform/ui/tree_view.h"
#include "plugin/base/globals.h"
#include "plugin/base/number_text.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/utilities.h"
#include "plugin/configuration/config_texts.h"
#include "plugin/model/ope_list.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"
#include "plugin/services/tables.h"

namespace {

// Items of the rows menu, and their lines of "ProcessMenu".
constexpr int kItemNewRow = 1, kItemRename = 2, kItemCopy = 3, kItemPaste = 5, kItemDeleteRows = 6, kItemNone = 8,
              kItemFromSurfaces = 9, kItemChooseRow = 10, kItemFromSolids = 11;
// Forms from solids are offered while the configuration list's switch (DefaultSettings line 7, on unless
// that line says 0) is on.
bool formsFromSolidsOn() { return g_globals->settings.configListSwitch != 0; }

// The table's column ids in list order (the list column is not shown).
std::vector<int> shownColumns(const CTabColsDesc& t) {
    std::vector<int> ids;
    for (int k = 1; k <= t.columnCount; ++k)
        if (k != t.listColumn) ids.push_back(k);
    return ids;
}

double leadingNumber(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// The heading the list shows over column id `colId`, or the id where the column has none.
std::string columnHeading(const CTabColsDesc& t, int colId) {
    std::string heading;
    if (t.getColumnInfo(static_cast<std::int16_t>(colId), &heading, nullptr, nullptr, nullptr) != 0 || heading.empty())
        return std::to_string(colId);
    return heading;
}

}  // namespace

std::string sectionText(const char* section, int id) {
    CTextSection texts;
    if (texts.load(g_globals->uiTextFile, section, false) != 0) return "";
    return texts.getText(id);
}

PROCESS_CLIPBOARD& processClipboard() {
    static PROCESS_CLIPBOARD clipboard;
    return clipboard;
}

bool CConfigProcess::sharedReadOnly() const { return g_globals->sharedDataOn != 0 && g_globals->sharedAccessMode != 1; }

int CConfigProcess::listColumnOf(int colId) const {
    const std::vector<int> ids = shownColumns(configShared().table);
    const auto at = std::find(ids.begin(), ids.end(), colId);
    return at == ids.end() ? -1 : static_cast<int>(at - ids.begin());
}

std::string CConfigProcess::processCell(int row) const {
    const CTabColsDesc& t = configShared().table;
    if (row < 0 || row >= t.rowCount || t.processColumn < 1 || t.processColumn > t.columnCount) return "";
    return t.cell(row, t.processColumn - 1);
}

void CConfigProcess::setProcessCell(int row, const std::string& name) {
    CTabColsDesc& t = configShared().table;
    std::vector<std::string> cells;
    if (t.processColumn < 1 || t.getRow(row, cells) != 0) return;
    cells[static_cast<std::size_t>(t.processColumn - 1)] = name;
    (void)t.setRow(row, cells);
    plat::ListView& list = listView(kRows);
    if (row < list.itemCount()) list.setItemText(row, listColumnOf(t.processColumn), name);
}

void CConfigProcess::takeRowProcess(int row) {
    processName = processCell(row);
    setFieldText(configShared().target.processName, processName);
    fillRowsList();
}

void CConfigProcess::selectRow(int row) {
    plat::ListView& list = listView(kRows);
    list.setItemState(-1, 0, plat::LVIS_SELECTED | plat::LVIS_FOCUSED);
    if (row < 0 || row >= list.itemCount()) return;
    list.setItemState(row, plat::LVIS_SELECTED | plat::LVIS_FOCUSED, plat::LVIS_SELECTED | plat::LVIS_FOCUSED);
    list.ensureVisible(row);
}

// The list again from the table's rows, the selection on `row`.
namespace {
void refillList(CTabColsDesc& t, plat::ListView& list) {
    list.deleteAllItems();
    t.listRowCount = 0;
    std::vector<std::string> cells;
    for (int r = 0; r < t.rowCount; ++r) {
        (void)t.getRow(r, cells);
        t.fillListRows(list, cells, 0);
    }
}
}  // namespace

void CConfigProcess::fillRowsList() {
    CONFIG_SHARED c = configShared();
    if (c.target.tabPath[0] == 0 || !findItem(kTree)) return;
    plat::TreeView& tree = treeView(kTree);
    tree.deleteAllItems();
    CTabColsDesc& t = c.table;
    int count = 0;
    const ProcessRead read = t.readProcessChecked(processName, operations.data(), &count);
    processRefused = read == ProcessRead::refused;
    operationCount = static_cast<std::int16_t>(processRefused ? 0 : count);

    std::string info;
    if (t.tableClass == kTableDrillSize || t.classValue5 == 1) {
        int colId = 1;
        if (t.tableClass != kTableDrillSize) {
            for (int k = 1; k <= t.columnCount; ++k) {
                std::int16_t kind = 0, role = 0;
                if (t.getColumnInfo(static_cast<std::int16_t>(k), nullptr, &kind, nullptr, &role) == 0 &&
                    kind == kItemCylinder && role == 1) {
                    colId = k;
                    break;
                }
            }
        }
        auto value = [&](int r) { return leadingNumber(t.cell(r, colId - 1)); };
        if (chosenRow >= 0 && chosenRow < t.rowCount && colId <= t.columnCount) {
            const double d = value(chosenRow);
            const double p = chosenRow > 0 ? value(chosenRow - 1) : d;
            const double n = chosenRow + 1 < t.rowCount ? value(chosenRow + 1) : d;
            info = fillText(texts.getText(kLineNearestRange), {formatNumber((p + d) / 2.0), formatNumber((n + d) / 2.0)});
        }
    } else {
        info = fillText(texts.getText(kLineTolerances), {formatNumber(t.diameterTolerance * 100.0, "%.2f"),
                                                          formatNumber(t.lengthTolerance * 100.0, "%.2f")});
    }
    item(kProcessLabel).setText(texts.getText(6) + " " + processName + " " + info);
    fillProcessCombo(processName);
    // An item's data is its operation's place from 1, not its address: the transcripts stay the same from
    // run to run.
    for (int i = 0; i < operationCount; ++i) {
        const plat::TreeItem at = tree.insertItem(opeText(operations[static_cast<std::size_t>(i)], process_ope::label), 0, 0);
        tree.setItemData(at, i + 1);
    }
}

void CConfigProcess::fillProcessCombo(const std::string& name) {
    plat::Control& combo = item(kProcessCombo);
    for (int i = combo.count() - 1; i >= 0; --i) {
        if (plat::equalsNoCase(combo.itemText(i), name)) {
            combo.setCurSel(i);
            return;
        }
    }
}

void CConfigProcess::refillCombo() {
    plat::Control& combo = item(kProcessCombo);
    combo.resetContent();
    std::vector<std::string> names;
    (void)configShared().table.listProcessNames(names, kMaxProcessOps);
    for (const std::string& n : names) combo.addString(n);
    fillProcessCombo(processName);
}

int CConfigProcess::rowUnderCursor() const {
    const plat::Control& ctl = const_cast<CConfigProcess*>(this)->item(kRows);
    const plat::ListView& list = *ctl.listView();
    const plat::Point at = ctl.screenToClient(plat::cursorPos());
    for (int r = 0; r < list.itemCount(); ++r) {
        const auto rect = list.itemRect(r);
        if (rect && at.y >= rect->top && at.y < rect->bottom) return r;
    }
    return -1;
}

void CConfigProcess::onListClick(plat::Notify&) {
    CONFIG_SHARED c = configShared();
    const int row = rowUnderCursor();
    if (row < 0) {
        processName.clear();
        fillRowsList();
        return;
    }
    c.chosenProcess[0] = static_cast<std::int16_t>(row);
    c.chosenProcess[1] = -1;
    (void)writeCurrentProcess();
    chosenRow = row;
    takeRowProcess(row);
    drawRowPicture(row);
}

void CConfigProcess::onListDblClick(plat::Notify& n) {
    if (sharedReadOnly()) return;
    chosenRow = rowUnderCursor();
    editPurpose = 0;
    if (chosenRow < 0 || n.col < 0) {
        processName.clear();
        fillRowsList();
        return;
    }
    takeRowProcess(chosenRow);
    editPurpose = 1;
    configShared().table.rowsChanged = 1;
    startCellEdit(chosenRow, n.col);
}

void CConfigProcess::onListKey(plat::Notify& n) {
    if (n.vk == plat::VK_ESCAPE) {
        onCancelRestore();
        return;
    }
    if (n.vk != plat::VK_UP && n.vk != plat::VK_DOWN) return;
    const int rows = listView(kRows).itemCount();
    if (rows == 0) return;
    const int next = std::clamp(chosenRow + (n.vk == plat::VK_DOWN ? 1 : -1), 0, rows - 1);
    (void)writeCurrentProcess();
    chosenRow = next;
    drawRowPicture(next);
    takeRowProcess(next);
}

// Ascending by the clicked column: as text for the process column and the names of a table that is not a
// drill-size table, as numbers (each cell's leading number) otherwise. Equal cells keep their order.
void CConfigProcess::onColumnClick(plat::Notify& n) {
    CTabColsDesc& t = configShared().table;
    const std::vector<int> ids = shownColumns(t);
    if (n.col < 0 || n.col >= static_cast<int>(ids.size()) || t.rowCount < 2) return;
    const int colId = ids[static_cast<std::size_t>(n.col)];
    const bool asText = colId == t.processColumn || (colId == 1 && t.tableClass != kTableDrillSize);
    std::vector<int> order(static_cast<std::size_t>(t.rowCount));
    for (int r = 0; r < t.rowCount; ++r) order[static_cast<std::size_t>(r)] = r;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const std::string &x = t.cell(a, colId - 1), &y = t.cell(b, colId - 1);
        return asText ? x < y : leadingNumber(x) < leadingNumber(y);
    });
    plat::ListView& list = listView(kRows);
    std::vector<bool> selected(order.size());
    std::vector<std::string> cells;
    std::vector<std::string> sorted;
    sorted.reserve(t.cells.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        selected[i] = list.itemState(order[i], plat::LVIS_SELECTED) != 0;
        if (order[i] == chosenRow) chosenRow = static_cast<int>(i);
        (void)t.getRow(order[i], cells);
        sorted.insert(sorted.end(), cells.begin(), cells.end());
    }
    if (std::is_sorted(order.begin(), order.end())) return;
    t.cells = std::move(sorted);
    t.rowsChanged = 1;
    refillList(t, list);
    for (std::size_t i = 0; i < selected.size(); ++i)
        if (selected[i]) list.setItemState(static_cast<int>(i), plat::LVIS_SELECTED, plat::LVIS_SELECTED);
    if (chosenRow >= 0) drawRowPicture(chosenRow);
}

void CConfigProcess::startCellEdit(int row, int column) {
    plat::ListView& list = listView(kRows);
    const auto cell = list.subItemRect(row, column, column == 0 ? plat::LVIR_LABEL : plat::LVIR_BOUNDS);
    if (!cell) return;
    item(kRows).enable(false);
    plat::Control& edit = item(kCellEdit);
    const plat::Rect listAt = item(kRows).rect();
    const int bx = plat::systemMetric(plat::SM_CXBORDER), by = plat::systemMetric(plat::SM_CYBORDER);
    // The list's client area lies inside its sunken edge.
    const int ex = plat::systemMetric(plat::SM_CXEDGE), ey = plat::systemMetric(plat::SM_CYEDGE);
    edit.move({listAt.left + ex + cell->left + bx, listAt.top + ey + cell->top + by, listAt.left + ex + cell->right - bx,
               listAt.top + ey + cell->bottom - by});
    edit.setText(list.itemText(row, column));
    edit.show(true);
    edit.setEditSel(0, -1);
    editRow = row;
    editColumn = column;
    editActive = 1;
    edit.setFocus();
}

// Leaves the cell editor without storing: the cell shows what the table holds, and the operations of a
// paste that was not confirmed make way for the current process's own again.
void CConfigProcess::leaveCellEdit() {
    CTabColsDesc& t = configShared().table;
    const int purpose = editPurpose;
    editActive = 0;
    editPurpose = 0;
    item(kCellEdit).show(false);
    plat::Control& rows = item(kRows);
    rows.enable(true);
    rows.setFocus();
    plat::ListView& list = listView(kRows);
    std::vector<std::string> cells;
    const std::vector<int> ids = shownColumns(t);
    if (editColumn >= 0 && editColumn < static_cast<int>(ids.size()) && t.getRow(editRow, cells) == 0)
        list.setItemText(editRow, editColumn, cells[static_cast<std::size_t>(ids[static_cast<std::size_t>(editColumn)] - 1)]);
    if (purpose == 2) fillRowsList();
}

bool CConfigProcess::commitCellEdit() {
    CONFIG_SHARED c = configShared();
    CTabColsDesc& t = c.table;
    if (editPurpose == 0) {
        editActive = 0;
        item(kCellEdit).show(false);
        item(kRows).enable(true);
        return true;
    }
    const std::string text = trimReplaceBlanksStr(item(kCellEdit).text(), '_');
    const int row = editRow, purpose = editPurpose;
    const std::vector<int> ids = shownColumns(t);
    if (editColumn < 0 || editColumn >= static_cast<int>(ids.size())) {
        leaveCellEdit();
        return true;
    }
    const int colId = ids[static_cast<std::size_t>(editColumn)];
    if (purpose == 2 || purpose == 3) {
        // A process is named: no other process of the table may have the name, in any case.
        const bool unchanged = purpose == 3 && plat::equalsNoCase(text, processName);
        if (text.empty() || unchanged) {
            leaveCellEdit();
            return true;
        }
        if (nameTaken(text)) {
            editActive = 0;
            plat::messageBox(this, texts.getText(kLineNameTaken), errorMessage(1), plat::MB_OK | plat::MB_ICONEXCLAMATION);
            startCellEdit(row, editColumn);
            return false;
        }
    }
    if (purpose == 1) {
        // A row the rows file cannot hold is refused here, where the user can still type its cell.
        std::vector<std::string> after;
        if (t.getRow(row, after) == 0) {
            after[static_cast<std::size_t>(colId - 1)] = text;
            if (const int empty = emptyCellBeforeFilled(after, t.columnCount)) {
                editActive = 0;
                plat::messageBox(this, fillText(texts.getText(kLineCellLeftEmpty), {columnHeading(t, empty)}),
                                 errorMessage(1), plat::MB_OK | plat::MB_ICONEXCLAMATION);
                startCellEdit(row, editColumn);
                return false;
            }
        }
    }
    editActive = 0;
    editPurpose = 0;
    item(kCellEdit).show(false);
    item(kRows).enable(true);
    plat::ListView& list = listView(kRows);
    std::vector<std::string> cells;
    if (t.getRow(row, cells) != 0) return true;
    if (purpose == 3) {
        const std::string old = processName;
        renameProcess(old, text, row);
        return true;
    }
    list.setItemText(row, editColumn, text);
    cells[static_cast<std::size_t>(colId - 1)] = text;
    (void)t.setRow(row, cells);
    selectRow(row);
    if (purpose == 1 && colId == t.processColumn) {
        processName = text;
        setFieldText(c.target.processName, processName);
        fillRowsList();
    } else if (purpose == 2) {
        processName = text;
        setFieldText(c.target.processName, processName);
        processRefused = false;
        (void)writeRowsFile();
        (void)t.writeProcess(text, operations.data(), operationCount);
        refillCombo();
        fillRowsList();
    }
    drawRowPicture(row);
    return true;
}

// The process takes the new name and every row that used the old one follows. The old process goes only
// once the new one and the rows file are written, so that a failed write leaves the table as it was.
void CConfigProcess::renameProcess(std::string oldName, std::string newName, int row) {
    CONFIG_SHARED c = configShared();
    CTabColsDesc& t = c.table;
    int count = 0;
    if (t.readProcessChecked(oldName, operations.data(), &count) == ProcessRead::refused) {
        fillRowsList();
        return;
    }
    t.processesChanged = 1;
    t.rowsChanged = 1;
    const std::vector<std::string> before = t.cells;
    if (!writeRowsFile() || t.writeProcess(newName, operations.data(), count) != 0) {
        fillRowsList();
        return;
    }
    for (int r = 0; r < t.rowCount; ++r)
        if (t.processColumn > 0 && t.cell(r, t.processColumn - 1) == oldName)
            t.cells[static_cast<std::size_t>(r) * t.columnCount + t.processColumn - 1] = newName;
    if (t.writeRows() != 0) {
        t.cells = before;
        (void)t.deleteProcess(newName);
        fillRowsList();
        return;
    }
    processName = newName;
    setFieldText(c.target.processName, processName);
    refillList(t, listView(kRows));
    (void)t.deleteProcess(oldName);
    chosenRow = row;
    selectRow(row);
    item(kRows).setFocus();
    refillCombo();
    fillRowsList();
}

bool CConfigProcess::nameTaken(const std::string& name) const {
    std::vector<std::string> names;
    (void)configShared().table.listProcessNames(names, kMaxProcessOps);
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return plat::equalsNoCase(n, name); });
}

void CConfigProcess::onListRClick(plat::Notify&) {
    CONFIG_SHARED c = configShared();
    CTabColsDesc& t = c.table;
    if (editPurpose != 0 && !editActive) editPurpose = 0;
    const int row = rowUnderCursor();
    if (row < 0) {
        processName.clear();
        fillRowsList();
    } else {
        chosenRow = row;
        takeRowProcess(row);
    }
    CTextSection menuTexts;
    (void)menuTexts.load(g_globals->uiTextFile, "ProcessMenu", false);
    const bool locked = sharedReadOnly();
    plat::Menu menu;
    if (row >= 0) {
        if (chooseFlag) menu.item(kItemChooseRow, menuTexts.getText(41));
        const bool surfaces = mode == kFormsManager || mode == kFormsFromSurfaces;
        const bool solids = formsFromSolidsOn() && (mode == kFormsManager || mode == kFormsFromSolids);
        if (surfaces && !menuTexts.getText(19).empty()) menu.item(kItemFromSurfaces, menuTexts.getText(19));
        if (solids && !menuTexts.getText(42).empty()) menu.item(kItemFromSolids, menuTexts.getText(42));
        menu.item(kItemRename, menuTexts.getText(27), locked);
        menu.item(kItemCopy, menuTexts.getText(28), locked || trimReplaceBlanksStr(processCell(row), 0).empty());
        menu.item(kItemPaste, menuTexts.getText(29), locked || processClipboard().processName.empty());
    }
    menu.item(kItemNewRow, menuTexts.getText(16), locked);
    menu.item(kItemDeleteRows, menuTexts.getText(20), locked || row < 0);
    menu.item(kItemNone, menuTexts.getText(8));
    const int chosen = plat::trackPopupMenu(menu, plat::TPM_RETURNCMD | plat::TPM_RIGHTBUTTON, plat::cursorPos(), this);
    const int processColumn = listColumnOf(t.processColumn);
    switch (chosen) {
    case kItemNewRow: newRow(row); break;
    case kItemRename:
        if (row < 0 || processColumn < 0) break;
        editPurpose = 3;
        startCellEdit(row, processColumn);
        break;
    case kItemCopy: {
        if (row < 0) break;
        int count = 0;
        std::vector<PROCESS_OPE> copied(static_cast<std::size_t>(kMaxProcessOps));
        if (t.readProcessChecked(processName, copied.data(), &count) != ProcessRead::read) break;
        copied.resize(static_cast<std::size_t>(count));
        processClipboard() = {std::move(copied), processName, t.path};
        break;
    }
    case kItemPaste: {
        const PROCESS_CLIPBOARD& clip = processClipboard();
        if (row < 0 || processColumn < 0 || clip.processName.empty()) break;
        operationCount = static_cast<std::int16_t>(std::min<std::size_t>(clip.operations.size(), kMaxOperations));
        std::copy_n(clip.operations.begin(), operationCount, operations.begin());
        listView(kRows).setItemText(row, processColumn, clip.processName);
        editPurpose = 2;
        t.rowsChanged = 1;
        t.processesChanged = 1;
        startCellEdit(row, processColumn);
        break;
    }
    case kItemDeleteRows: deleteSelectedRows(); break;
    case kItemFromSurfaces:
    case kItemChooseRow:
    case kItemFromSolids: {
        const int code = chosen == kItemFromSurfaces ? 120 : chosen == kItemChooseRow ? 121 : 122;
        c.chosenProcess[0] = static_cast<std::int16_t>(chosenRow);
        c.chosenProcess[1] = -1;
        c.action = static_cast<std::int16_t>(code);
        (void)writeCurrentProcess();
        (void)writeRowsFile();
        endDialog(code);
        break;
    }
    default: break;
    }
}

void CConfigProcess::newRow(int under) {
    CTabColsDesc& t = configShared().table;
    std::vector<std::string> cells;
    const bool zeros = under < 0 || t.getRow(under, cells) != 0;
    if (zeros) cells.assign(static_cast<std::size_t>(std::max<int>(t.columnCount, 0)), "0");
    if (!cells.empty()) cells.front().assign(1, '0');
    (void)t.appendRow(cells);
    plat::ListView& list = listView(kRows);
    t.fillListRows(list, cells, 0);
    t.rowsChanged = 1;
    (void)writeRowsFile();
    const int last = list.itemCount() - 1;
    chosenRow = last;
    selectRow(last);
    item(kRows).setFocus();
    // A row of zeros has no form to draw yet.
    if (zeros)
        clearFormPicture();
    else
        drawRowPicture(last);
    takeRowProcess(last);
}

// The selected rows go, from the highest index down so that each deletion leaves the indices still to
// delete in place. Processes no row uses any more stay in the table.
void CConfigProcess::deleteSelectedRows() {
    CONFIG_SHARED c = configShared();
    CTabColsDesc& t = c.table;
    plat::ListView& list = listView(kRows);
    std::vector<int> rows;
    for (int r = list.nextItem(-1, plat::LVNI_SELECTED); r >= 0; r = list.nextItem(r, plat::LVNI_SELECTED)) rows.push_back(r);
    if (rows.empty()) return;
    const std::string question = fillText(texts.getText(kLineRemoveRows), {static_cast<long>(rows.size())});
    if (plat::messageBox(this, question, errorMessage(1), plat::MB_YESNO | plat::MB_ICONEXCLAMATION) != plat::IDYES) return;
    t.rowsChanged = 1;
    t.processesChanged = 1;
    for (auto r = rows.rbegin(); r != rows.rend(); ++r) {
        if (*r >= t.rowCount) continue;
        const auto from = t.cells.begin() + static_cast<std::ptrdiff_t>(*r) * t.columnCount;
        t.cells.erase(from, from + t.columnCount);
        --t.rowCount;
    }
    refillList(t, list);
    chosenRow = -1;
    processName.clear();
    setFieldText(c.target.processName, processName);
    fillRowsList();
    clearFormPicture();
}
