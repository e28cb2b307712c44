// A table in a report-style list control and back: one list column per shown table column, one list row
// per table row; and the list cell, whose text holds several values as "(a,b,c)".
#include <algorithm>

#include "platform/ui/list_view.h"
#include "plugin/base/globals.h"
#include "plugin/services/tables.h"
#include "plugin/tables/form_cells.h"
#include "plugin/model/tab_cols_desc.h"

namespace {

constexpr std::size_t kListTextMax = 31;

// The table's column ids in list order; the list column is never shown, the process column not in mode 1.
std::vector<std::int16_t> shownColumns(const CTabColsDesc& t, int mode) {
    std::vector<std::int16_t> ids;
    for (std::int16_t k = 1; k <= t.columnCount; ++k) {
        if (k == t.listColumn) continue;
        if (mode == 1 && k == t.processColumn) continue;
        ids.push_back(k);
    }
    return ids;
}

bool isAngleColumn(const CTabColsDesc& t, std::int16_t colId) {
    std::int16_t kind = 0, role = 0;
    return t.getColumnInfo(colId, nullptr, &kind, nullptr, &role) == 0 && kind == kItemCylinder && role == 3;
}

std::string angleUnit() {
    CTextSection menu;
    if (menu.load(g_globals->uiTextFile, "ForantixMenu", false) != 0) return "deg";
    return menu.getTextOr(4, "deg");
}

}  // namespace

void CTabColsDesc::clearListColumns(plat::ListView& list) const {
    while (list.columnCount() > 0) list.deleteColumn(0);
}

void CTabColsDesc::fillListColumns(plat::ListView& list, int mode) const {
    clearListColumns(list);
    const int width = columnCount > 0 ? list.control().clientRect().width() / columnCount - 2 : 0;
    for (std::int16_t k : shownColumns(*this, mode)) {
        std::string heading;
        getColumnInfo(k, &heading, nullptr, nullptr, nullptr);
        list.insertColumn(k - 1, heading, width, plat::LVCFMT_LEFT);
    }
}

void CTabColsDesc::fillListRows(plat::ListView& list, const std::vector<std::string>& row, int mode) {
    const int at = list.insertItem(listRowCount, rowCell(row, 1));
    list.setItemData(at, listRowCount);
    const std::string unit = angleUnit();
    const std::vector<std::int16_t> ids = shownColumns(*this, mode);
    for (std::size_t c = 1; c < ids.size(); ++c) {
        std::string text = rowCell(row, ids[c]);
        if (isAngleColumn(*this, ids[c]) && !text.ends_with(unit)) text += unit;
        list.setItemText(at, static_cast<int>(c), text);
    }
    ++listRowCount;
}

int CTabColsDesc::readListRow(const plat::ListView& list, int listRow, std::vector<std::string>& outRow) const {
    if (listRow < 0 || listRow >= listRowCount || listRow >= list.itemCount()) return 0;
    // A list without the process column was filled in mode 1: that column is not read back.
    const std::vector<std::int16_t> full = shownColumns(*this, 0);
    const int mode = static_cast<int>(full.size()) == list.columnCount() ? 0 : 1;
    const std::vector<std::int16_t> ids = mode == 0 ? full : shownColumns(*this, 1);
    if (outRow.size() < static_cast<std::size_t>(std::max<int>(columnCount, 0)))
        outRow.resize(static_cast<std::size_t>(columnCount));
    for (std::size_t c = 0; c < ids.size(); ++c) {
        std::string text = list.itemText(listRow, static_cast<int>(c));
        if (text.size() > kListTextMax) text.resize(kListTextMax);
        outRow[static_cast<std::size_t>(ids[c] - 1)] = text;
    }
    return 1;
}

int CTabColsDesc::toListCtrl(plat::ListView& list) {
    list.deleteAllItems();
    fillListColumns(list, 0);
    listRowCount = 0;
    std::vector<std::string> row;
    for (int r = 0; r < rowCount; ++r) {
        getRow(r, row);
        fillListRows(list, row, 0);
    }
    return 0;
}

int CTabColsDesc::fromListCtrl(const plat::ListView& list) {
    std::vector<std::string> row;
    for (int i = 0; i < listRowCount && i < rowCount; ++i) {
        // Start from the stored row: the list cell is not in the list and must not be emptied.
        getRow(i, row);
        readListRow(list, i, row);
        setRow(i, row);
    }
    return 0;
}

int CTabColsDesc::splitListCell(int rowIndex, std::vector<std::string>* out) const {
    if (listColumn < 1 || listColumn > columnCount) return 0;
    std::vector<std::string> row;
    if (getRow(rowIndex, row) != 0) return 0;
    std::string_view text = row[static_cast<std::size_t>(listColumn - 1)];
    if (text.starts_with('(')) text.remove_prefix(1);
    if (text.ends_with(')')) text.remove_suffix(1);
    std::vector<std::string> values;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view value = text.substr(0, comma);
        if (!value.empty()) values.emplace_back(value);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (out) *out = values;
    return static_cast<int>(values.size());
}

int CTabColsDesc::joinListCell(int rowIndex, const std::vector<std::string>& values, int n) {
    if (listColumn < 1 || listColumn > columnCount) return 0;
    std::vector<std::string> row;
    if (getRow(rowIndex, row) != 0) return 0;
    std::string cell = "(";
    const int count = std::clamp(n, 0, static_cast<int>(values.size()));
    for (int i = 0; i < count; ++i) {
        if (i > 0) cell += ',';
        cell += values[static_cast<std::size_t>(i)];
    }
    row[static_cast<std::size_t>(listColumn - 1)] = cell + ")";
    setRow(rowIndex, row);
    return 0;
}
