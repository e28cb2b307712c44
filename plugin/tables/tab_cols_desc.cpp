// The table object: emptying, its column descriptions and the cylinder entries of a row.
#include "plugin/model/tab_cols_desc.h"

#include <cstdlib>

void CTabColsDesc::clear() { *this = CTabColsDesc{}; }

int CTabColsDesc::allocItems(std::int16_t n) {
    items.clear();
    itemCapacity = itemCount = cylinderItemCount = columnCount = listRowCount = 0;
    if (n < 1) return 1;
    items.assign(static_cast<std::size_t>(n), TAB_DESC_ITEM{});
    formSteps.assign(static_cast<std::size_t>(n), TAB_FORM_STEP{});
    itemCapacity = stepCapacity = n;
    cilEntries.clear();
    cilEntryCount = 0;
    pictureSteps.clear();
    return 0;
}

int CTabColsDesc::addDescItem(std::int16_t kind, std::int16_t colId1, const std::string& text1, std::int16_t a,
                              std::int16_t b, double value1, std::int16_t colId2, const std::string& text2,
                              std::int16_t colId3, const std::string& text3, double value2) {
    if (itemCount >= itemCapacity) return 1;
    items[static_cast<std::size_t>(itemCount++)] = {kind, colId1, text1, colId2, text2, a, b, colId3, text3, value1, value2};
    for (std::int16_t id : {colId1, colId2, colId3})
        if (id != 0) ++columnCount;
    return 0;
}

int CTabColsDesc::buildCilColumns(const std::vector<std::string>& rowCells) {
    const auto cellValue = [&](std::int16_t id) {
        return id > 0 && static_cast<std::size_t>(id) <= rowCells.size() ? std::atof(rowCells[id - 1].c_str()) : 0.0;
    };
    cilEntries.clear();
    for (int i = 0; i < itemCount; ++i) {
        const TAB_DESC_ITEM& item = items[static_cast<std::size_t>(i)];
        if (item.kind != kItemCylinder) continue;
        TAB_CIL_ENTRY entry;
        entry.itemIndex = static_cast<std::int16_t>(i);
        entry.colId1 = item.colId1;
        entry.value1 = cellValue(item.colId1);
        entry.colId2 = item.colId2;
        entry.value2 = cellValue(item.colId2);
        entry.colId3 = item.colId3;
        entry.a = item.a;
        entry.b = item.b;
        cilEntries.push_back(entry);
    }
    cilEntryCount = static_cast<std::int16_t>(cilEntries.size());
    return 0;
}

double CTabColsDesc::cilValueById(std::int16_t colId) const {
    for (const TAB_CIL_ENTRY& entry : cilEntries)
        if (entry.colId1 == colId) return entry.cil.D;
    return 0.0;
}

int CTabColsDesc::nthNumericItem(int n) const {
    for (int i = 0; i < itemCount; ++i)
        if (items[static_cast<std::size_t>(i)].kind == kItemCylinder && n-- == 0) return i;
    return -1;
}

int CTabColsDesc::findItemByColumn(std::int16_t colId, std::string* text, double* value) const {
    for (int i = 0; i < itemCount; ++i) {
        const TAB_DESC_ITEM& item = items[static_cast<std::size_t>(i)];
        const std::string* heading = nullptr;
        double found = 0.0;
        if (item.colId1 == colId) {
            heading = &item.text1;
            found = item.value1;
        } else if (item.colId2 == colId) {
            heading = &item.text2;
            found = item.value2;
        } else if (item.colId3 == colId) {
            heading = &item.text3;
        } else {
            continue;
        }
        if (text) *text = *heading;
        if (value) *value = found;
        return i;
    }
    return -1;
}

int CTabColsDesc::getColumnInfo(std::int16_t colId, std::string* heading, std::int16_t* kind, double* value,
                                std::int16_t* role) const {
    std::string text;
    double found = 0;
    const int i = findItemByColumn(colId, &text, &found);
    if (i < 0) return -1;
    const TAB_DESC_ITEM& item = items[static_cast<std::size_t>(i)];
    if (heading) *heading = text;
    if (kind) *kind = item.kind;
    if (value) *value = found;
    if (role) {
        *role = 0;
        if (item.kind == kItemCylinder) *role = item.colId1 == colId ? 1 : item.colId2 == colId ? 2 : 3;
    }
    return 0;
}
