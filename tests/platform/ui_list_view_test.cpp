// Report list views as the plug-in's dialogs use them: rows with sub-items and item data, the ItemChanged
// echo of programmatic changes, fixed-metric rectangles and hit tests, and a user's clicks, keys and
// header clicks from the script (with the cursor placed where the handler will hit-test it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/image_list.h"
#include "platform/ui/keys.h"
#include "platform/ui/list_view.h"
#include "platform/ui/resources.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;
using plat::Ev;

constexpr int kDlg = 9601, kSingleDlg = 9602;
enum : int { kList = 4054, kCell = 4076, kOther = 4077 };

CtlTemplate ctl(int id, Ctl kind, plat::Rect dlu, std::uint32_t style = 0, bool visible = true) {
    CtlTemplate t;
    t.id = id;
    t.kind = kind;
    t.dlu = dlu;
    t.style = style;
    t.visible = visible;
    return t;
}

// The list spans pixels (12,13)-(312,176): a client area of 296 x 159 inside its 2-pixel edge.
void registerTemplates(std::uint32_t listStyle) {
    for (int id : {kDlg, kSingleDlg}) {
        std::uint32_t style = listStyle | (id == kSingleDlg ? plat::LVS_SINGLESEL : 0);
        plat::registerDialog({id, "Points", 260, 160,
                              {ctl(kList, Ctl::ListView, {8, 8, 208, 108}, style),
                               ctl(kCell, Ctl::Edit, {0, 0, 20, 10}, 0, false),
                               ctl(kOther, Ctl::Edit, {8, 120, 60, 130}),
                               ctl(plat::IDOK, Ctl::DefButton, {200, 140, 250, 154})}});
    }
}

std::string hex(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%x", v);
    return buf;
}

// A dialog with three columns and rows "P1".."Pn" (data 10, 20, ...) that logs what its list tells it.
class Points : public plat::Dialog {
public:
    std::vector<std::string> log;
    int rows = 3;
    std::function<void(Points&)> init;

    explicit Points(int id = kDlg) : plat::Dialog(id) {
        on(kList, Ev::ItemChanged, [this](plat::Notify& n) {
            log.push_back("changed " + std::to_string(n.row) + " " + hex(n.oldState) + ">" + hex(n.newState) +
                          " what=" + hex(n.changed));
        });
        for (Ev ev : {Ev::Clicked, Ev::DblClk, Ev::RClick})
            on(kList, ev, [this, ev](plat::Notify& n) {
                const char* name = ev == Ev::Clicked ? "click " : ev == Ev::DblClk ? "dblclick " : "rclick ";
                log.push_back(name + std::to_string(n.row) + "," + std::to_string(n.col));
            });
        on(kList, Ev::SetFocus, [this](plat::Notify&) { log.push_back("setfocus"); });
        on(kOther, Ev::KillFocus, [this](plat::Notify&) { log.push_back("other killfocus"); });
    }
    plat::ListView& list() { return listView(kList); }
    using plat::Dialog::on;  // tests bind handlers of their own

protected:
    bool onInitDialog() override {
        plat::ListView& lv = list();
        lv.insertColumn(0, "Name", 120);
        lv.insertColumn(1, "Diameter", 80);
        lv.insertColumn(2, "Depth", 60);
        for (int r = 0; r < rows; ++r) {
            lv.insertItem(r, "P" + std::to_string(r + 1));
            lv.setItemText(r, 1, std::to_string(8 + r));
            lv.setItemData(r, 10 * (r + 1));
        }
        if (init) init(*this);
        log.clear();
        return true;
    }
};

class UiListView : public ::testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        plat::releaseAllKeys();
        registerTemplates(plat::LVS_REPORT);
    }
    plat::Script& script() { return plat::driver().script(); }
    const std::vector<std::string>& errors() { return plat::driver().errors(); }
};

// ---- rows, columns and the ItemChanged echo ------------------------------------------------------------

TEST_F(UiListView, RowsKeepTheirSubItemsAndDataWhenRowsAndColumnsComeAndGo) {
    Points p;
    ASSERT_TRUE(p.create());
    plat::ListView& lv = p.list();
    EXPECT_EQ(lv.insertItem(99, "P4"), 3) << "past the end appends";
    EXPECT_EQ(lv.insertItem(0, "P0"), 0);
    EXPECT_EQ(lv.insertItem(-1, "bad"), -1);
    EXPECT_EQ(lv.itemText(1, 0), "P1");
    EXPECT_EQ(lv.itemText(1, 1), "8");
    EXPECT_EQ(lv.itemData(1), 10);
    EXPECT_EQ(lv.itemData(0), 0);
    EXPECT_EQ(lv.findItemData(30), 3);
    EXPECT_FALSE(lv.setItemText(0, 3, "x")) << "there is no fourth column";

    EXPECT_TRUE(lv.deleteColumn(1));
    EXPECT_EQ(lv.columnText(1), "Depth");
    EXPECT_EQ(lv.itemText(1, 1), "") << "the diameter went with its column";
    EXPECT_EQ(lv.insertColumn(1, "Tool", 50), 1);
    lv.setItemText(1, 2, "5");
    EXPECT_TRUE(lv.deleteItem(0));
    EXPECT_FALSE(lv.deleteItem(4));
    EXPECT_EQ(lv.itemCount(), 4);
    EXPECT_EQ(lv.itemText(0, 0), "P1");
    EXPECT_EQ(lv.itemText(0, 2), "5");

    std::string snap = plat::describeWindow(p);
    EXPECT_NE(snap.find("columns=[\"Name\":120,\"Tool\":50,\"Depth\":60] rows=4 top=0\n"
                        "  row 0 [\"P1\",\"\",\"5\"] data=10\n"),
              std::string::npos)
        << snap;
    p.destroyWindow();
}

TEST_F(UiListView, ProgrammaticChangesEchoItemChangedAsTheWindowSystemDoes) {
    Points p;
    ASSERT_TRUE(p.create());
    plat::ListView& lv = p.list();
    using plat::LVIS_FOCUSED, plat::LVIS_SELECTED;

    lv.insertItem(3, "P4");
    lv.setItemText(3, 1, "11");  // a sub-item: silent
    lv.setItemText(3, 0, "P4");  // unchanged: silent
    lv.setItemText(3, 0, "Q4");
    lv.setItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    lv.setItemState(1, LVIS_SELECTED, LVIS_SELECTED);  // no change: silent
    lv.setItemState(2, LVIS_FOCUSED, LVIS_FOCUSED);    // takes the focus from row 1 first
    lv.setItemData(2, 30);                             // unchanged: silent
    EXPECT_EQ(p.log, (std::vector<std::string>{"changed 3 0>0 what=1", "changed 3 0>0 what=1", "changed 1 0>3 what=8",
                                               "changed 1 3>2 what=8", "changed 2 0>1 what=8"}));

    p.log.clear();
    ASSERT_TRUE(lv.sortItems([](std::intptr_t a, std::intptr_t b) { return static_cast<int>(b - a); }));
    EXPECT_TRUE(p.log.empty()) << "sorting is silent";
    EXPECT_EQ(lv.itemText(0, 0), "P3") << "data 30 first when sorted descending";
    EXPECT_EQ(lv.itemState(0, LVIS_FOCUSED), LVIS_FOCUSED) << "states move with their rows";
    EXPECT_EQ(lv.itemText(3, 0), "Q4") << "data 0 last";

    EXPECT_TRUE(lv.deleteItem(3));  // neither selected nor focused: no echo
    EXPECT_TRUE(lv.deleteItem(1));  // P2, selected: gives its selection up first
    EXPECT_EQ(p.log, (std::vector<std::string>{"changed 1 2>0 what=8"}));

    p.log.clear();
    EXPECT_FALSE(lv.setItemState(-1, LVIS_FOCUSED, LVIS_FOCUSED)) << "no list focuses every row";
    EXPECT_TRUE(lv.setItemState(-1, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(lv.selectedCount(), 2);
    EXPECT_TRUE(lv.deleteAllItems());
    EXPECT_EQ(p.log,
              (std::vector<std::string>{"changed -1 0>2 what=8", "changed 0 3>0 what=8", "changed 1 2>0 what=8"}));
    p.destroyWindow();
}

TEST_F(UiListView, ASingleSelectionListDeselectsTheOldRowBeforeSelectingTheNew) {
    Points p(kSingleDlg);
    ASSERT_TRUE(p.create());
    plat::ListView& lv = p.list();
    lv.setItemState(0, plat::LVIS_SELECTED, plat::LVIS_SELECTED);
    lv.setItemState(2, plat::LVIS_SELECTED, plat::LVIS_SELECTED);
    EXPECT_EQ(p.log,
              (std::vector<std::string>{"changed 0 0>2 what=8", "changed 0 2>0 what=8", "changed 2 0>2 what=8"}));
    EXPECT_EQ(lv.nextItem(-1, plat::LVNI_SELECTED), 2);
    EXPECT_EQ(lv.nextItem(2, plat::LVNI_SELECTED), -1);
    EXPECT_FALSE(lv.setItemState(-1, plat::LVIS_SELECTED, plat::LVIS_SELECTED));
    p.destroyWindow();
}

// ---- geometry ------------------------------------------------------------------------------------------

TEST_F(UiListView, RectanglesFollowFixedRowMetricsAndSubItemZeroIsTheWholeRow) {
    Points p;
    ASSERT_TRUE(p.create());
    plat::ListView& lv = p.list();
    plat::Rect client = p.item(kList).clientRect();
    EXPECT_EQ(client.width(), 296);
    EXPECT_EQ(client.height(), 159);
    EXPECT_EQ(lv.countPerPage(), 8);  // (159 - 20 header) / 17

    auto same = [](std::optional<plat::Rect> r, plat::Rect want) {
        return r && r->left == want.left && r->top == want.top && r->right == want.right && r->bottom == want.bottom;
    };
    EXPECT_TRUE(same(lv.itemRect(1), {0, 37, 260, 54}));
    EXPECT_TRUE(same(lv.subItemRect(1, 0), {0, 37, 260, 54}));
    EXPECT_TRUE(same(lv.subItemRect(1, 0, plat::LVIR_LABEL), {2, 37, 120, 54}));
    EXPECT_TRUE(same(lv.subItemRect(1, 2), {200, 37, 260, 54}));
    EXPECT_TRUE(same(lv.headerRect(1), {120, 0, 200, 20}));
    EXPECT_FALSE(lv.subItemRect(1, 3));
    EXPECT_FALSE(lv.itemRect(3));

    // A 16 x 20 small image list makes rows 21 high and puts the icon before the label.
    plat::registerBitmap(9611, 32, 20);
    plat::ImageList images(16, 20, 2, 2);
    ASSERT_EQ(images.addBitmap(9611, plat::rgb(255, 255, 255)), 0);
    lv.setImageList(&images, plat::LVSIL_SMALL);
    EXPECT_EQ(lv.rowHeight(), 21);
    EXPECT_TRUE(same(lv.itemRect(1, plat::LVIR_ICON), {2, 41, 18, 62}));
    EXPECT_TRUE(same(lv.itemRect(1, plat::LVIR_LABEL), {18, 41, 120, 62}));
    lv.setImageList(nullptr, plat::LVSIL_SMALL);
    p.destroyWindow();
}

TEST_F(UiListView, HitTestsFindRowsOnlyInTheFirstColumnUnlessFullRowSelectIsOn) {
    Points p;
    ASSERT_TRUE(p.create());
    plat::ListView& lv = p.list();
    struct Case { plat::Point at; int row, col; unsigned flags; int fullRow; unsigned fullFlags; };
    const Case cases[] = {
        {{60, 28}, 0, 0, plat::LVHT_ONITEMLABEL, 0, plat::LVHT_ONITEM},
        {{150, 45}, -1, 1, plat::LVHT_NOWHERE, 1, plat::LVHT_ONITEM},   // the diameter cell of row 1
        {{280, 28}, -1, -1, plat::LVHT_NOWHERE, -1, plat::LVHT_NOWHERE},  // right of the last column
        {{60, 10}, -1, -1, plat::LVHT_NOWHERE, -1, plat::LVHT_NOWHERE},   // the header
        {{60, 80}, -1, -1, plat::LVHT_NOWHERE, -1, plat::LVHT_NOWHERE},   // below the three rows
        {{-1, -1}, -1, -1, plat::LVHT_ABOVE | plat::LVHT_TOLEFT, -1, plat::LVHT_ABOVE | plat::LVHT_TOLEFT},
        {{296, 159}, -1, -1, plat::LVHT_BELOW | plat::LVHT_TORIGHT, -1, plat::LVHT_BELOW | plat::LVHT_TORIGHT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("at (" + std::to_string(c.at.x) + "," + std::to_string(c.at.y) + ")");
        unsigned flags = 0;
        EXPECT_EQ(lv.hitTest(c.at, &flags), c.row);
        EXPECT_EQ(flags, c.flags);
        int col = -2;
        int subRow = lv.subItemHitTest(c.at, &col);
        EXPECT_EQ(col, c.col);
        EXPECT_EQ(subRow, c.col >= 0 ? (c.at.y - 20) / 17 : -1);
        lv.setExtendedStyle(plat::LVS_EX_FULLROWSELECT, plat::LVS_EX_FULLROWSELECT);
        EXPECT_EQ(lv.hitTest(c.at, &flags), c.fullRow);
        EXPECT_EQ(flags, c.fullFlags);
        lv.setExtendedStyle(plat::LVS_EX_FULLROWSELECT, 0);
    }
    p.destroyWindow();
}

TEST_F(UiListView, EnsureVisibleScrollsByWholeRowsAndRectanglesMoveWithTheScroll) {
    Points p;
    p.rows = 20;
    ASSERT_TRUE(p.create());
    plat::ListView& lv = p.list();
    EXPECT_TRUE(lv.ensureVisible(7));
    EXPECT_EQ(lv.topIndex(), 0) << "row 7 is the last of the first page";
    EXPECT_TRUE(lv.ensureVisible(12));
    EXPECT_EQ(lv.topIndex(), 5);
    EXPECT_EQ(lv.itemRect(12)->top, 20 + 7 * 17);
    EXPECT_EQ(lv.itemRect(0)->top, 20 - 5 * 17);
    EXPECT_EQ(lv.hitTest({60, 25}), 5);
    EXPECT_TRUE(lv.ensureVisible(2));
    EXPECT_EQ(lv.topIndex(), 2);
    EXPECT_FALSE(lv.ensureVisible(20));
    p.destroyWindow();
}

// ---- a user's actions ----------------------------------------------------------------------------------

TEST_F(UiListView, AClickFocusesSelectsThenNotifiesWithTheCellUnderTheCursor) {
    Points p;
    p.init = [](Points& d) {
        d.list().setItemState(0, plat::LVIS_SELECTED | plat::LVIS_FOCUSED, plat::LVIS_SELECTED | plat::LVIS_FOCUSED);
        d.item(kOther).setFocus();
    };
    plat::Point cursorAtClick;
    p.on(kList, Ev::Clicked, [&](plat::Notify& n) {
        cursorAtClick = p.item(kList).screenToClient(plat::cursorPos());
        p.log.push_back("click " + std::to_string(n.row) + "," + std::to_string(n.col));
    });
    script().listClick(kDlg, kList, 2).click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_EQ(p.log, (std::vector<std::string>{"other killfocus", "setfocus", "changed 0 3>1 what=8",
                                               "changed 0 1>0 what=8", "changed 2 0>3 what=8", "click 2,0"}));
    EXPECT_TRUE(plat::Rect({2, 54, 120, 71}).contains(cursorAtClick)) << "inside the label of row 2";
    EXPECT_TRUE(plat::driver().transcript().contains("user list-click 9601 4054 row=2 col=0"));
    EXPECT_NE(plat::lastSnapshot(kDlg).find("row 2 [\"P3\",\"10\",\"\"] data=30 selected focused"), std::string::npos);
}

// With Ctrl held a click changes its row's selection over and leaves the other rows as they are.
TEST_F(UiListView, ACtrlClickTogglesItsRowOnly) {
    Points p;
    script()
        .listClick(kDlg, kList, 0)
        .listClick(kDlg, kList, 2, 0, true)
        .listClick(kDlg, kList, 0, 0, true)
        .click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    const std::string snap = plat::lastSnapshot(kDlg);
    auto row = [&snap](int index) {
        const std::size_t at = snap.find("row " + std::to_string(index) + " [");
        return at == std::string::npos ? std::string("<none>") : snap.substr(at, snap.find('\n', at) - at);
    };
    EXPECT_EQ(row(0).find("selected"), std::string::npos) << row(0);
    EXPECT_NE(row(1), "<none>");
    EXPECT_EQ(row(1).find("selected"), std::string::npos) << row(1);
    EXPECT_NE(row(2).find("selected"), std::string::npos) << row(2);
    EXPECT_TRUE(plat::driver().transcript().contains("user list-click 9601 4054 row=2 col=0 ctrl"));
}

TEST_F(UiListView, AClickBesideTheFirstColumnSelectsNothingWithoutFullRowSelect) {
    Points plain;
    plain.init = [](Points& d) { d.list().setItemState(0, plat::LVIS_SELECTED, plat::LVIS_SELECTED); };
    script().listClick(kDlg, kList, 1, 1).click(kDlg, plat::IDOK);
    EXPECT_EQ(plain.doModal(), plat::IDOK);
    // The list has the focus from the start (the first tab stop), so no SetFocus.
    EXPECT_EQ(plain.log, (std::vector<std::string>{"changed 0 2>0 what=8", "click 1,1"}));

    Points full;
    full.init = [](Points& d) { d.list().setExtendedStyle(0, plat::LVS_EX_FULLROWSELECT | plat::LVS_EX_GRIDLINES); };
    script().listClick(kDlg, kList, 1, 1).listClick(kDlg, kList, -1).click(kDlg, plat::IDOK);
    EXPECT_EQ(full.doModal(), plat::IDOK);
    EXPECT_EQ(full.log, (std::vector<std::string>{"changed 1 0>3 what=8", "click 1,1",
                                                  "changed 1 3>1 what=8", "click -1,-1"}))
        << "a click below the rows deselects and names no row";
}

// A plug-in's points list: a double click opens an in-place editor over the cell under the cursor, and the
// editor commits when it loses the focus.
class CellEditing : public Points {
public:
    int row = -1, col = -1;
    plat::Rect editorRect;
    CellEditing() {
        on(kList, Ev::DblClk, [this](plat::Notify&) {
            log.push_back("dblclick");
            plat::Control& lc = item(kList);
            row = list().subItemHitTest(lc.screenToClient(plat::cursorPos()), &col);
            if (row < 0) return;
            plat::Rect cell = *list().subItemRect(row, col);
            plat::Point tl = lc.clientToScreen({cell.left, cell.top});
            plat::Point dlgOrigin = clientToScreen({0, 0});
            editorRect = {tl.x - dlgOrigin.x, tl.y - dlgOrigin.y, tl.x - dlgOrigin.x + cell.width(),
                          tl.y - dlgOrigin.y + cell.height()};
            plat::Control& ed = item(kCell);
            ed.move(editorRect);
            ed.setText(list().itemText(row, col));
            ed.show(true);
            ed.setFocus();
        });
        on(kCell, Ev::KillFocus, [this](plat::Notify&) {
            if (row >= 0) list().setItemText(row, col, item(kCell).text());
            item(kCell).show(false);
        });
    }
};

TEST_F(UiListView, ADoubleClickEditsTheCellUnderTheCursor) {
    CellEditing p;
    script().listDblClick(kDlg, kList, 1, 2).type(kDlg, kCell, "12.5").click(kDlg, kOther).click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_TRUE(errors().empty()) << errors().front();
    EXPECT_EQ(p.row, 1);
    EXPECT_EQ(p.col, 2);
    // The cell (200,37)-(260,54) of a list whose client area starts at (14,15) in the dialog.
    EXPECT_EQ(p.editorRect.left, 214);
    EXPECT_EQ(p.editorRect.top, 52);
    EXPECT_EQ(p.editorRect.width(), 60);
    EXPECT_EQ(p.editorRect.height(), 17);
    auto click = std::find(p.log.begin(), p.log.end(), "click 1,2");
    ASSERT_NE(click, p.log.end());
    EXPECT_EQ(*(click + 1), "dblclick") << "the double click follows the click";
    EXPECT_NE(plat::lastSnapshot(kDlg).find("row 1 [\"P2\",\"9\",\"12.5\"] data=20"), std::string::npos)
        << plat::lastSnapshot(kDlg);
}

TEST_F(UiListView, ARightClickKeepsASelectionItLandsInAndOtherwiseSelectsItsRow) {
    Points p;
    std::vector<std::vector<int>> selectedAtMenu;
    p.init = [](Points& d) {
        d.list().setItemState(0, plat::LVIS_SELECTED, plat::LVIS_SELECTED);
        d.list().setItemState(2, plat::LVIS_SELECTED, plat::LVIS_SELECTED);
    };
    p.on(kList, Ev::RClick, [&](plat::Notify&) {
        std::vector<int> sel;
        for (int r = p.list().nextItem(-1, plat::LVNI_SELECTED); r >= 0; r = p.list().nextItem(r, plat::LVNI_SELECTED))
            sel.push_back(r);
        selectedAtMenu.push_back(sel);
    });
    script().listRClick(kDlg, kList, 2).listRClick(kDlg, kList, 1).click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_EQ(selectedAtMenu, (std::vector<std::vector<int>>{{0, 2}, {1}}));
}

TEST_F(UiListView, KeysReachTheListWhileHeldAndArrowsThenMoveTheSelection) {
    Points p;
    p.init = [](Points& d) {
        d.list().setItemState(0, plat::LVIS_SELECTED | plat::LVIS_FOCUSED, plat::LVIS_SELECTED | plat::LVIS_FOCUSED);
    };
    std::vector<std::string> keys;
    p.on(kList, Ev::KeyDown, [&](plat::Notify& n) {
        bool held = (plat::getAsyncKeyState(n.vk) & 0x8000) != 0;
        keys.push_back(plat::vkName(n.vk) + (held ? " held" : " up") + " sel=" +
                       std::to_string(p.list().nextItem(-1, plat::LVNI_SELECTED)));
    });
    script()
        .listKey(kDlg, kList, plat::VK_DOWN)
        .listKey(kDlg, kList, plat::VK_ESCAPE)
        .key(kDlg, plat::VK_UP)
        .click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_EQ(keys, (std::vector<std::string>{"DOWN held sel=0", "ESCAPE held sel=1", "UP held sel=1"}));
    EXPECT_NE(plat::lastSnapshot(kDlg).find("row 0 [\"P1\",\"8\",\"\"] data=10 selected focused"), std::string::npos)
        << "UP through the dialog reached the focused list and moved back";
}

TEST_F(UiListView, AHeaderClickSortsByTheHandlersComparator) {
    Points p;
    int sortedBy = -1;
    p.on(kList, Ev::ColumnClick, [&](plat::Notify& n) {
        sortedBy = n.col;
        p.list().sortItems([](std::intptr_t a, std::intptr_t b) { return a > b ? -1 : a < b ? 1 : 0; });
    });
    script().columnClick(kDlg, kList, 1).click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_EQ(sortedBy, 1);
    std::string snap = plat::lastSnapshot(kDlg);
    EXPECT_LT(snap.find("row 0 [\"P3\""), snap.find("row 2 [\"P1\"")) << snap;
    EXPECT_TRUE(plat::driver().transcript().contains("user column-click 9601 4054 1"));
}

TEST_F(UiListView, StepsAUserCouldNotTakeAreScriptErrors) {
    struct Case {
        const char* name;
        std::function<void(plat::Script&)> step;
        std::function<void(Points&)> init;
        const char* why;
    };
    const Case cases[] = {
        {"missing row", [](plat::Script& s) { s.listClick(kDlg, kList, 3); }, nullptr, "has no row 3 (3 rows)"},
        {"missing column", [](plat::Script& s) { s.listDblClick(kDlg, kList, 0, 3); }, nullptr, "has no column 3"},
        {"no list", [](plat::Script& s) { s.listClick(kDlg, kOther, 0); }, nullptr, "(Edit) is no ListView"},
        {"hidden list", [](plat::Script& s) { s.listRClick(kDlg, kList, 0); },
         [](Points& d) { d.item(kList).show(false); }, "is hidden"},
        {"full page", [](plat::Script& s) { s.listClick(kDlg, kList, -1); },
         [](Points& d) { for (int i = 0; i < 5; ++i) d.list().insertItem(9, "more"); }, "no empty space below"},
        {"zero-width column", [](plat::Script& s) { s.listClick(kDlg, kList, 0, 2); },
         [](Points& d) { d.list().setColumnWidth(2, 0); }, "out of sight"},
        {"header column", [](plat::Script& s) { s.columnClick(kDlg, kList, 5); }, nullptr, "has no column 5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        plat::driver().reset();
        Points p;
        p.init = c.init;
        c.step(script());
        EXPECT_EQ(p.doModal(), plat::IDCANCEL);
        ASSERT_EQ(errors().size(), 1u);
        EXPECT_NE(errors()[0].find(c.why), std::string::npos) << errors()[0];
        auto isClick = [](const std::string& l) { return l.rfind("click", 0) == 0; };
        EXPECT_TRUE(std::none_of(p.log.begin(), p.log.end(), isClick)) << "no handler heard of the refused step";
    }
}

TEST_F(UiListView, SessionFilesNameListStepsWithDefaultsFilledIn) {
    plat::ParsedSession s = plat::parseSession(
        "list-click 9601 4054 2\n"
        "list-click 9601 4054 3 1 ctrl\n"
        "list-dblclick 9601 4054 -1 1   # below the rows\n"
        "list-key 9601 4054 DOWN\n"
        "column-click 9601 4054 0\n");
    ASSERT_EQ(s.error, "");
    ASSERT_EQ(s.steps.size(), 5u);
    plat::Script built;
    built.listClick(9601, 4054, 2)
        .listClick(9601, 4054, 3, 1, true)
        .listDblClick(9601, 4054, -1, 1)
        .listKey(9601, 4054, plat::VK_DOWN)
        .columnClick(9601, 4054, 0);
    for (const plat::Step& step : s.steps) {
        std::optional<plat::Step> b = built.take();
        EXPECT_EQ(step.verb, b->verb);
        EXPECT_EQ(step.args, b->args);
    }
    for (const char* bad : {"list-click 9601 4054 -2", "list-click 9601 4054 1 -1", "list-rclick 9601 4054",
                            "column-click 9601 4054", "list-key 9601 4054 NOKEY", "list-click 9601 4054 1 2 3",
                            "list-click 9601 4054 1 0 shift"}) {
        EXPECT_NE(plat::parseSession(bad).error, "") << bad;
    }
}

}  // namespace
