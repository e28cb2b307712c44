// The RGB colours picker: the caller's colour list shown by RGB value, colour number and translated number.
// Each row carries its entry's place in the list, so that a sort never changes which colour a row is.
#include <algorithm>
#include <cstdio>

#include "platform/ui/list_view.h"
#include "plugin/base/globals.h"
#include "plugin/features/coloured_features.h"

CDlgRGBcolorsMgr::CDlgRGBcolorsMgr() : plat::Dialog(kTemplate) {
    onCommand(kViewAll, [this] {
        onlyTranslated = 0;
        fillList();
    });
    onCommand(kOnlyTranslated, [this] {
        onlyTranslated = 1;
        fillList();
    });
    on(kList, plat::Ev::ColumnClick, [this](plat::Notify& n) { sortByColumn(n.col); });
}

bool CDlgRGBcolorsMgr::onInitDialog() {
    if (texts_.load(g_globals->uiTextFile, "RGBcolorsMgrDlg", false) != 0) {
        endDialog(plat::IDOK);   // chosenIndex stays as the caller set it
        return true;
    }
    setWindowText(texts_.getText(1));
    item(plat::IDOK).setText(texts_.getText(2));
    item(plat::IDCANCEL).setText(texts_.getText(3));
    item(kViewAll).setText(texts_.getText(11));
    item(kOnlyTranslated).setText(texts_.getText(12));
    plat::ListView& list = listView(kList);
    list.setExtendedStyle(0, plat::LVS_EX_GRIDLINES | plat::LVS_EX_FULLROWSELECT);
    const int w = (item(kList).rect().width() - 16) / 4;
    list.insertColumn(0, texts_.getText(31), 2 * w);
    list.insertColumn(1, texts_.getText(32), w);
    list.insertColumn(2, texts_.getText(33), w);
    item(kViewAll).setCheck(onlyTranslated ? 0 : 1);
    item(kOnlyTranslated).setCheck(onlyTranslated ? 1 : 0);
    fillList();
    return true;
}

std::string CDlgRGBcolorsMgr::cellText(const RGB_COLOR_NUM& e, int column) const {
    char text[32];
    if (column == 0) std::snprintf(text, sizeof text, "%03i-%03i-%03i", e.red, e.green, e.blue);
    else std::snprintf(text, sizeof text, "%03i", column == 1 ? e.colorNumber : e.vertaNumber);
    return text;
}

void CDlgRGBcolorsMgr::fillList() {
    plat::ListView& list = listView(kList);
    list.deleteAllItems();
    if (!colorList) return;
    int select = -1;
    for (std::size_t i = 0; i < colorList->size(); ++i) {
        RGB_COLOR_NUM& e = (*colorList)[i];
        if (onlyTranslated == 1 && e.vertaNumber == 0) continue;
        const int row = list.insertItem(list.itemCount(), cellText(e, 0));
        list.setItemText(row, 1, cellText(e, 1));
        list.setItemText(row, 2, cellText(e, 2));
        list.setItemData(row, static_cast<std::intptr_t>(i));
        e.row = static_cast<std::uint16_t>(row);
        if (currentColor != 0 && currentColor == e.colorNumber) select = row;
    }
    if (select < 0) return;
    list.setItemState(select, plat::LVIS_SELECTED | plat::LVIS_FOCUSED, plat::LVIS_SELECTED | plat::LVIS_FOCUSED);
    item(kList).setFocus();
    list.ensureVisible(select);
}

void CDlgRGBcolorsMgr::sortByColumn(int column) {
    if (!colorList || column < 0 || column > 2) return;
    plat::ListView& list = listView(kList);
    std::vector<RGB_COLOR_NUM>& entries = *colorList;
    (void)list.sortItems([&](std::intptr_t a, std::intptr_t b) {
        const std::string ta = cellText(entries[static_cast<std::size_t>(a)], column);
        const std::string tb = cellText(entries[static_cast<std::size_t>(b)], column);
        return ta < tb ? -1 : ta > tb ? 1 : 0;
    });
    for (int row = 0; row < list.itemCount(); ++row)
        entries[static_cast<std::size_t>(list.itemData(row))].row = static_cast<std::uint16_t>(row);
}

void CDlgRGBcolorsMgr::onOK() {
    const plat::ListView& list = listView(kList);
    const int row = list.nextItem(-1, plat::LVNI_SELECTED);
    if (row >= 0 && colorList) chosenIndex = static_cast<std::int16_t>((*colorList)[static_cast<std::size_t>(list.itemData(row))].listIndex);
    endDialog(plat::IDOK);
}
