// The selected-views dialog. Each row's item data is its item's index in the list; columns: the active
// mark, the view's number and name, the range about the view's X axis and the one about its Y axis.
#include "plugin/settings/selected_views.h"

#include <cstdio>

#include "host/api.h"
#include "platform/ui/keys.h"
#include "platform/ui/list_view.h"
#include "platform/ui/menu.h"
#include "plugin/base/globals.h"
#include "plugin/settings/settings_dialogs.h"

namespace {

constexpr double kRadiansPerDegree = 0.01745329251994329;
constexpr int kColumnActive = 0, kColumnView = 1, kColumnX = 2, kColumnY = 3;
// The degree sign is byte 0xBA, as the UI texts are 8-bit.
constexpr const char* kRangeFormat = " %+3.2f\xBA to %+3.2f\xBA";
constexpr const char* kNoRange = "            - - - - - - - - ";

std::string rangeText(bool on, double from, double to) {
    if (!on) return kNoRange;
    char text[96];
    std::snprintf(text, sizeof text, kRangeFormat, from / kRadiansPerDegree, to / kRadiansPerDegree);
    return text;
}

}  // namespace

CDlgOnlySelectedViewsEx::CDlgOnlySelectedViewsEx() : plat::Dialog(kTemplate) {
    on(kList, plat::Ev::Clicked, [this](plat::Notify& n) { listClicked(n); });
    on(kList, plat::Ev::RClick, [this](plat::Notify&) { listRightClicked(); });
    on(kList, plat::Ev::DblClk, [](plat::Notify&) {});
    on(kList, plat::Ev::KeyDown, [this](plat::Notify& n) { listKey(n.vk); });
    on(kXFrom, plat::Ev::Change, [this](plat::Notify&) { rangeTyped(true, true); });
    on(kXTo, plat::Ev::Change, [this](plat::Notify&) { rangeTyped(true, false); });
    on(kYFrom, plat::Ev::Change, [this](plat::Notify&) { rangeTyped(false, true); });
    on(kYTo, plat::Ev::Change, [this](plat::Notify&) { rangeTyped(false, false); });
    onCommand(kXActive, [this] { activeClicked(true); });
    onCommand(kYActive, [this] { activeClicked(false); });
}

bool CDlgOnlySelectedViewsEx::onInitDialog() {
    if (texts_.load(g_globals->uiTextFile, "DlgOnlySelectedViewsEx", false) != 0) {
        plat::Dialog::onOK();
        return true;
    }
    setWindowText(texts_.getText(1));
    item(plat::IDOK).setText(texts_.getText(2));
    item(plat::IDCANCEL).setText(texts_.getText(3));
    item(18111).setText(texts_.getMessage(11));
    item(18112).setText(texts_.getText(20));
    item(kXActive).setText(texts_.getText(21));
    item(18113).setText(texts_.getText(22));
    item(18115).setText(texts_.getText(23));
    item(18117).setText(texts_.getText(40));
    item(kYActive).setText(texts_.getText(41));
    item(18118).setText(texts_.getText(42));
    item(18120).setText(texts_.getText(43));
    for (int degreeLabel : {18114, 18116, 18119, 18121}) item(degreeLabel).setText(g_txtDegree);

    plat::ListView& lv = listView(kList);
    lv.setExtendedStyle(0, plat::LVS_EX_GRIDLINES | plat::LVS_EX_FULLROWSELECT);
    lv.insertColumn(kColumnActive, texts_.getText(101), 36);
    lv.insertColumn(kColumnView, texts_.getText(102), 200);
    lv.insertColumn(kColumnX, texts_.getText(103), 130);
    lv.insertColumn(kColumnY, texts_.getText(104), 130);
    int marked = -1, active = -1;
    for (int i = 0; i < list.getCount(); ++i) {
        const ITEM it = list.getItem(i);
        const int row = lv.insertItem(i, "");
        lv.setItemData(row, i);
        fillRow(row, it);
        if (marked < 0 && it.focus) marked = row;
        if (active < 0 && it.selected) active = row;
    }
    const int row = marked >= 0 ? marked : active >= 0 ? active : 0;
    if (lv.itemCount() > 0) {
        lv.setItemState(row, plat::LVIS_SELECTED | plat::LVIS_FOCUSED, plat::LVIS_SELECTED | plat::LVIS_FOCUSED);
        showRow(row);
    }
    return true;
}

int CDlgOnlySelectedViewsEx::itemOfRow(int row) { return static_cast<int>(listView(kList).itemData(row)); }

void CDlgOnlySelectedViewsEx::fillRow(int row, const ITEM& it) {
    plat::ListView& lv = listView(kList);
    lv.setItemText(row, kColumnActive, it.selected ? " X " : "   ");
    const view_ent* view = list.getNamedView(itemOfRow(row));
    char number[16];
    std::snprintf(number, sizeof number, "%3i  ", view ? view->number : 0);
    lv.setItemText(row, kColumnView, std::string(number) + (view ? view->name : ""));
    lv.setItemText(row, kColumnX, rangeText(it.xOn != 0, it.xFrom, it.xTo));
    lv.setItemText(row, kColumnY, rangeText(it.yOn != 0, it.yFrom, it.yTo));
}

// Filling the fields sends their change notices; the current row is -1 until they are filled, so that
// the notices store nothing.
void CDlgOnlySelectedViewsEx::showRow(int row) {
    currentRow_ = -1;
    const ITEM it = list.getItem(itemOfRow(row));
    auto show = [this](bool on, double from, double to, int check, int fromId, int toId) {
        item(check).setCheck(on ? 1 : 0);
        item(fromId).enable(on);
        item(toId).enable(on);
        item(fromId).setText(formatValue("%.2f", from / kRadiansPerDegree));
        item(toId).setText(formatValue("%.2f", to / kRadiansPerDegree));
    };
    show(it.xOn != 0, it.xFrom, it.xTo, kXActive, kXFrom, kXTo);
    show(it.yOn != 0, it.yFrom, it.yTo, kYActive, kYFrom, kYTo);
    currentRow_ = row;
}

// Any angle is taken, from greater than to included; no number reads as 0 degrees.
void CDlgOnlySelectedViewsEx::rangeTyped(bool aboutX, bool from) {
    if (currentRow_ < 0) return;
    const int index = itemOfRow(currentRow_);
    ITEM it = list.getItem(index);
    const int field = aboutX ? (from ? kXFrom : kXTo) : (from ? kYFrom : kYTo);
    const double value = typedNumber(item(field).text()) * kRadiansPerDegree;
    (aboutX ? (from ? it.xFrom : it.xTo) : (from ? it.yFrom : it.yTo)) = value;
    list.setItem(index, it);
    listView(kList).setItemText(currentRow_, aboutX ? kColumnX : kColumnY,
                                aboutX ? rangeText(true, it.xFrom, it.xTo) : rangeText(true, it.yFrom, it.yTo));
}

// A range switched off keeps its angles for the next time it is switched on.
void CDlgOnlySelectedViewsEx::activeClicked(bool aboutX) {
    if (currentRow_ < 0) return;
    const int index = itemOfRow(currentRow_);
    ITEM it = list.getItem(index);
    const bool on = item(aboutX ? kXActive : kYActive).check() != 0;
    (aboutX ? it.xOn : it.yOn) = on ? 1 : 0;
    list.setItem(index, it);
    item(aboutX ? kXFrom : kYFrom).enable(on);
    item(aboutX ? kXTo : kYTo).enable(on);
    listView(kList).setItemText(currentRow_, aboutX ? kColumnX : kColumnY,
                                aboutX ? rangeText(on, it.xFrom, it.xTo) : rangeText(on, it.yFrom, it.yTo));
}

void CDlgOnlySelectedViewsEx::setActive(int row, bool active) {
    const int index = itemOfRow(row);
    ITEM it = list.getItem(index);
    it.selected = active ? 1 : 0;
    list.setItem(index, it);
    listView(kList).setItemText(row, kColumnActive, active ? " X " : "   ");
}

void CDlgOnlySelectedViewsEx::markRows(int mode) {
    plat::ListView& lv = listView(kList);
    for (int row = 0; row < lv.itemCount(); ++row) {
        const bool selected = lv.itemState(row, plat::LVIS_SELECTED) != 0;
        switch (mode) {
        case 0: if (selected) setActive(row, list.getItem(itemOfRow(row)).selected == 0); break;
        case 1: if (selected) setActive(row, true); break;
        case 2: if (selected) setActive(row, false); break;
        case 3: setActive(row, true); break;
        case 4: setActive(row, false); break;
        default: return;
        }
    }
}

// A click in the first column changes the row over, unless Shift was pressed first (then it only selects).
void CDlgOnlySelectedViewsEx::listClicked(const plat::Notify& n) {
    if (n.row >= 0 && n.col >= 0) {
        showRow(n.row);
        if (n.col == kColumnActive && !shift_) setActive(n.row, list.getItem(itemOfRow(n.row)).selected == 0);
    }
    shift_ = false;
}

void CDlgOnlySelectedViewsEx::listRightClicked() {
    plat::Menu menu;
    for (int id = kMenuActive; id <= kMenuNoneActive; ++id) menu.item(id, texts_.getText(200 + id));
    constexpr int kModeOfItem[] = {0, 1, 2, 0, 3, 4};
    const int chosen = plat::trackPopupMenu(menu, plat::TPM_RETURNCMD, plat::cursorPos(), this);
    if (chosen >= kMenuActive && chosen <= kMenuNoneActive) markRows(kModeOfItem[chosen]);
}

void CDlgOnlySelectedViewsEx::listKey(int vk) {
    plat::ListView& lv = listView(kList);
    const int selected = lv.nextItem(-1, plat::LVNI_SELECTED);
    switch (vk) {
    case plat::VK_SHIFT: shift_ = true; break;
    case plat::VK_ESCAPE: endDialog(plat::IDCANCEL); break;
    case plat::VK_SPACE: markRows(2); break;
    case 'X': markRows(1); break;
    case plat::VK_UP:
        if (selected > 0) showRow(selected - 1);
        break;
    case plat::VK_DOWN:
        if (selected >= 0 && selected + 1 < lv.itemCount()) showRow(selected + 1);
        break;
    default: break;
    }
}

// The first selected row's item is marked to be selected at the next opening; every other mark goes.
// The list reaches the part only through the general parameters' OK.
void CDlgOnlySelectedViewsEx::onOK() {
    plat::ListView& lv = listView(kList);
    bool marked = false;
    for (int i = 0; i < list.getCount(); ++i) {
        ITEM it = list.getItem(i);
        const int row = lv.findItemData(i);
        it.focus = !marked && row >= 0 && lv.itemState(row, plat::LVIS_SELECTED) != 0 ? 1 : 0;
        marked = marked || it.focus != 0;
        list.setItem(i, it);
    }
    endDialog(plat::IDOK);
}
