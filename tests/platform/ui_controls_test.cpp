// Control operations the plug-in calls directly (lists, combos, edits, progress), the template geometry in
// pixels, window snapshots and the bitmap registry.
#include <gtest/gtest.h>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/keys.h"
#include "platform/ui/resources.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;

constexpr int kDlg = 9501;
enum : int { kSorted = 10, kPlain = 11, kMulti = 12, kPwd = 13, kBar = 14, kPic = 15 };

CtlTemplate ctl(int id, Ctl kind, std::uint32_t style = 0) {
    CtlTemplate t;
    t.id = id;
    t.kind = kind;
    t.style = style;
    t.dlu = {7, 10, 107, 22};
    return t;
}

// Opens the window modelessly so that tests can work on its controls directly.
class UiControls : public ::testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        CtlTemplate pic = ctl(kPic, Ctl::Picture);
        pic.bitmapId = 18053;
        plat::registerDialog({kDlg, "Lists", 222, 132,
                              {ctl(kSorted, Ctl::ComboDropList, plat::CBS_SORT), ctl(kPlain, Ctl::ListBox),
                               ctl(kMulti, Ctl::ListBox, plat::LBS_EXTENDEDSEL), ctl(kPwd, Ctl::Edit, plat::ES_PASSWORD),
                               ctl(kBar, Ctl::Progress), pic}});
        ASSERT_TRUE(dlg.create());
    }
    void TearDown() override { dlg.destroyWindow(); }
    plat::Dialog dlg{kDlg};
};

TEST_F(UiControls, SortedInsertIgnoresCaseAndPutsEqualNamesAfterOldOnes) {
    plat::Control& c = dlg.item(kSorted);
    c.addString("beta");
    c.addString("Alpha");
    int second = c.addString("BETA");
    c.addString("gamma");
    EXPECT_EQ(second, 2);
    std::vector<std::string> order;
    for (int i = 0; i < c.count(); ++i) order.push_back(c.itemText(i));
    EXPECT_EQ(order, (std::vector<std::string>{"Alpha", "beta", "BETA", "gamma"}));
    EXPECT_EQ(c.insertString(0, "zz"), 0) << "insert never sorts";
}

TEST_F(UiControls, SearchesIgnoreCaseAndExactSearchWrapsAfterTheStart) {
    plat::Control& c = dlg.item(kPlain);
    for (const char* s : {"Tap M8", "Drill", "tap m8", "Ream"}) c.addString(s);
    EXPECT_EQ(c.findStringExact("TAP M8"), 0);
    EXPECT_EQ(c.findStringExact("TAP M8", 0), 2);
    EXPECT_EQ(c.findStringExact("TAP M8", 2), 0) << "wraps to the top";
    EXPECT_EQ(c.findStringExact("Tap"), -1) << "exact means the whole text";
    EXPECT_EQ(c.selectString("re"), 3);
    EXPECT_EQ(c.curSel(), 3);
    EXPECT_EQ(c.selectString("x"), -1);
    EXPECT_EQ(c.curSel(), 3) << "a failed prefix search keeps the selection";
}

TEST_F(UiControls, DeletingItemsKeepsTheSelectionOnTheSameItem) {
    plat::Control& c = dlg.item(kSorted);
    for (const char* s : {"a", "b", "c", "d"}) c.addString(s);
    c.setItemData(2, 42);
    c.setCurSel(2);
    EXPECT_EQ(c.text(), "c") << "a combo shows its selection";
    EXPECT_EQ(c.deleteString(0), 3);
    EXPECT_EQ(c.curSel(), 1);
    EXPECT_EQ(c.itemData(c.curSel()), 42);
    c.deleteString(1);
    EXPECT_EQ(c.curSel(), -1);
    EXPECT_EQ(c.deleteString(7), -1);
    EXPECT_EQ(c.itemData(7), -1);
}

TEST_F(UiControls, ExtendedListBoxKeepsSeveralSelections) {
    plat::Control& m = dlg.item(kMulti);
    for (const char* s : {"Group 1", "Group 2", "Group 3"}) m.addString(s);
    m.setSel(0, true);
    m.setSel(2, true);
    EXPECT_EQ(m.selectedItems(), (std::vector<int>{0, 2}));
    m.setSel(-1, false);
    EXPECT_TRUE(m.selectedItems().empty());
    plat::Control& single = dlg.item(kPlain);
    single.addString("x");
    single.setSel(0, true);
    EXPECT_TRUE(single.selectedItems().empty()) << "a single-selection box ignores setSel";
}

// What a user's clicks do in a list box that allows several selected items: Ctrl toggles one item, Shift
// takes the range from the last item clicked without Shift, a plain click takes one item. The anchor
// follows its item when items before it go.
TEST_F(UiControls, ExtendedListBoxTakesTheUsersCtrlAndShiftClicks) {
    dlg.showWindow(true);
    plat::Control& m = dlg.item(kMulti);
    for (const char* s : {"a", "b", "c", "d", "e"}) m.addString(s);
    using K = plat::SelectKey;
    struct Click {
        int index;
        K key;
        std::vector<int> selected;
    };
    const std::vector<Click> clicks = {
        {1, K::None, {1}},       {3, K::Ctrl, {1, 3}},  {1, K::Ctrl, {3}},   {0, K::Shift, {0, 1}},
        {4, K::None, {4}},       {2, K::Shift, {2, 3, 4}}, {0, K::Shift, {0, 1, 2, 3, 4}},
    };
    for (const Click& c : clicks) {
        EXPECT_EQ(dlg.userSelect(kMulti, c.index, c.key), "");
        EXPECT_EQ(m.selectedItems(), c.selected) << "after a click on " << c.index;
    }
    EXPECT_TRUE(plat::driver().transcript().contains("user select 9501 12 1 ctrl"));
    EXPECT_TRUE(plat::driver().transcript().contains("user select 9501 12 2 shift"));
    m.deleteString(0);   // the anchor, item 4, is item 3 now
    EXPECT_EQ(dlg.userSelect(kMulti, 1, K::Shift), "");
    EXPECT_EQ(m.selectedItems(), (std::vector<int>{1, 2, 3}));

    dlg.item(kPlain).addString("x");
    EXPECT_NE(dlg.userSelect(kPlain, 0, K::Ctrl).find("holds one selection"), std::string::npos);
    EXPECT_EQ(dlg.item(kPlain).curSel(), -1) << "a refused click selects nothing";
}

TEST_F(UiControls, ProgressPositionStaysInItsRange) {
    plat::Control& p = dlg.item(kBar);
    p.setRange(1, 30);
    p.setPos(45);
    EXPECT_EQ(p.pos(), 30);
    p.setPos(-3);
    EXPECT_EQ(p.pos(), 1);
}

TEST_F(UiControls, GeometryUsesFixedBaseUnitsAndTheDialogFrame) {
    EXPECT_EQ(dlg.clientRect().right, 333);   // 222 * 6 / 4
    EXPECT_EQ(dlg.clientRect().bottom, 215);  // 132 * 13 / 8, rounded
    plat::Rect r = dlg.item(kPlain).rect();
    EXPECT_EQ(r.left, 11);   // 7 * 1.5, rounded half up
    EXPECT_EQ(r.top, 16);    // 10 * 1.625, rounded
    EXPECT_EQ(r.right, 161);
    plat::Rect w = dlg.windowRect();
    EXPECT_EQ(w.width(), 333 + 2 * plat::systemMetric(plat::SM_CXDLGFRAME));
    EXPECT_EQ(w.height(), 215 + plat::systemMetric(plat::SM_CYCAPTION) + 2 * plat::systemMetric(plat::SM_CYDLGFRAME));
    plat::Rect cw = dlg.item(kPlain).windowRect();
    EXPECT_EQ(cw.left, w.left + 3 + 11);
    EXPECT_EQ(cw.top, w.top + 3 + 19 + 16);
    dlg.moveWindow({100, 50, 300, 200});
    EXPECT_EQ(dlg.windowRect().left, 100);
    EXPECT_EQ(dlg.clientRect().right, 194);
}

TEST_F(UiControls, SnapshotListsControlsInTemplateOrderAndHidesPasswords) {
    dlg.item(kPwd).setText("secret");
    dlg.item(kSorted).addString("b");
    dlg.item(kSorted).addString("a");
    dlg.item(kSorted).setCurSel(0);
    dlg.item(kMulti).enable(false);
    std::string s = plat::describeWindow(dlg);
    EXPECT_EQ(s,
              "window 9501 caption=\"Lists\" visible=0 enabled=1 modal=0\n"
              "10 ComboDropList text=\"a\" visible=1 enabled=1 items=[\"a\",\"b\"] sel=0\n"
              "11 ListBox text=\"\" visible=1 enabled=1 items=[] sel=-1\n"
              "12 ListBox text=\"\" visible=1 enabled=0 items=[] sel=[]\n"
              "13 Edit text=\"******\" visible=1 enabled=1\n"
              "14 Progress text=\"\" visible=1 enabled=1 range=0..100 pos=0\n"
              "15 Picture text=\"\" visible=1 enabled=1 bitmap=18053\n");
}

TEST_F(UiControls, ControlColoursComeFromTheDialogsHook) {
    struct Coloured : plat::Dialog {
        Coloured() : plat::Dialog(kDlg) {
            onCtlColor([](int id) -> std::optional<plat::CtlColors> {
                if (id != kPic) return std::nullopt;
                return plat::CtlColors{0, plat::rgb(184, 233, 251)};
            });
        }
    } d;
    ASSERT_TRUE(d.create());
    EXPECT_NE(plat::describeWindow(d).find("bitmap=18053 colors=#000000/#B8E9FB"), std::string::npos);
    EXPECT_FALSE(d.ctlColors(kBar).has_value());
    d.destroyWindow();
}

TEST(UiResources, BitmapsKeepTheirSizeAndGetDistinctColours) {
    plat::registerBitmap(18082, 25, 16);
    plat::registerBitmap(18083, 25, 16);
    plat::registerBitmap(18062, 16, 16);
    const plat::Bitmap* b = plat::findBitmap(18062);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->width, 16);
    EXPECT_NE(plat::findBitmap(18082)->color, plat::findBitmap(18083)->color);
    EXPECT_NE(plat::findBitmap(18082)->color, 0xFFFFFFu) << "never the white mask";
    EXPECT_EQ(plat::findBitmap(1), nullptr);
    auto ids = plat::bitmapIds();
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    plat::registerBitmap(18062, 32, 32);
    EXPECT_EQ(plat::findBitmap(18062)->width, 32) << "a second registration replaces the first";
}

}  // namespace
