// Tab controls as the plug-in's paged dialogs use them: tabs with texts, a silent programmatic selection,
// and a user's tab click that asks first (the handler may refuse), then reports the change and the click,
// with the cursor on the clicked tab.
#include <gtest/gtest.h>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/keys.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;
using plat::Ev;

constexpr int kDlg = 9801;
enum : int { kTab = 19205, kDepth = 4068, kFeed = 4069 };

CtlTemplate ctl(int id, Ctl kind, plat::Rect dlu, bool visible = true) {
    CtlTemplate t;
    t.id = id;
    t.kind = kind;
    t.dlu = dlu;
    t.visible = visible;
    return t;
}

// Two pages laid over one another: the depth edit on the first, the feed edit on the second. Leaving the
// first page is refused while its depth is not a number.
class Pages : public plat::Dialog {
public:
    std::vector<std::string> log;
    plat::Point cursorAtClick;
    using plat::Dialog::on;

    Pages() : plat::Dialog(kDlg) {
        on(kTab, Ev::SelChanging, [this](plat::Notify& n) {
            const std::string& depth = item(kDepth).text();
            bool valid = !depth.empty() && depth.find_first_not_of("0123456789.") == std::string::npos;
            log.push_back("changing from " + std::to_string(item(kTab).curSel()) + (valid ? "" : " refused"));
            n.result = valid ? 0 : 1;
        });
        on(kTab, Ev::SelChange, [this](plat::Notify&) {
            int page = item(kTab).curSel();
            log.push_back("change " + std::to_string(page));
            item(kDepth).show(page == 0);
            item(kFeed).show(page == 1);
        });
        on(kTab, Ev::Clicked, [this](plat::Notify& n) {
            log.push_back("click");
            cursorAtClick = item(kTab).screenToClient(plat::cursorPos());
            n.result = 0;
        });
    }

protected:
    bool onInitDialog() override {
        plat::Control& tab = item(kTab);
        tab.insertString(0, "General");
        tab.insertString(1, "Tools");
        tab.setItemText(1, "      Feeds");  // six blanks, then the line's text
        tab.setCurSel(0);
        return true;
    }
};

class UiTab : public ::testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        plat::releaseAllKeys();
        plat::registerDialog({kDlg, "Operation", 220, 160,
                              {ctl(kTab, Ctl::Tab, {8, 8, 208, 150}), ctl(kDepth, Ctl::Edit, {16, 30, 100, 42}),
                               ctl(kFeed, Ctl::Edit, {16, 30, 100, 42}, false),
                               ctl(plat::IDOK, Ctl::DefButton, {160, 140, 210, 154})}});
    }
    plat::Script& script() { return plat::driver().script(); }
};

TEST_F(UiTab, ProgrammaticTabsAreSilentAndLaidOutByTheirTexts) {
    Pages p;
    ASSERT_TRUE(p.create());
    plat::Control& tab = p.item(kTab);
    EXPECT_TRUE(p.log.empty()) << "inserting, renaming and selecting tabs sends nothing";
    EXPECT_EQ(tab.itemText(1), "      Feeds");
    tab.setCurSel(1);
    EXPECT_TRUE(p.log.empty());
    // A tab is 6 pixels a character plus 12 wide, from x = 2 on.
    plat::Rect first = tab.tabRect(0), second = tab.tabRect(1);
    EXPECT_EQ(first.left, 2);
    EXPECT_EQ(first.right, 56);
    EXPECT_EQ(second.left, 56);
    EXPECT_EQ(second.right, 56 + 6 * 11 + 12);
    EXPECT_EQ(second.height(), 20);
    EXPECT_EQ(tab.tabRect(2).width(), 0);
    EXPECT_EQ(p.item(kDepth).tabRect(0).width(), 0) << "an edit has no tabs";
    EXPECT_NE(plat::describeWindow(p).find(
                  "19205 Tab text=\"\" visible=1 enabled=1 items=[\"General\",\"      Feeds\"] sel=1"),
              std::string::npos);
    p.destroyWindow();
}

TEST_F(UiTab, AChangeTheHandlerRefusesLeavesThePageAndAnAcceptedOneSwitchesIt) {
    Pages p;
    script()
        .select(kDlg, kTab, 1)  // refused: no depth yet
        .type(kDlg, kDepth, "12.5")
        .select(kDlg, kTab, 1)
        .type(kDlg, kFeed, "300")
        .click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_TRUE(plat::driver().errors().empty()) << plat::driver().errors().front();
    EXPECT_EQ(p.log, (std::vector<std::string>{"changing from 0 refused", "changing from 0", "change 1", "click"}));
    EXPECT_TRUE(plat::Rect({56, 0, 134, 20}).contains(p.cursorAtClick)) << "the cursor is on the second tab";
    std::string snap = plat::lastSnapshot(kDlg);
    EXPECT_NE(snap.find("4068 Edit text=\"12.5\" visible=0"), std::string::npos) << snap;
    EXPECT_NE(snap.find("4069 Edit text=\"300\" visible=1"), std::string::npos) << snap;
}

TEST_F(UiTab, ClickingTheTabShownAlreadyOnlyReportsTheClick) {
    Pages p;
    script().select(kDlg, kTab, 0).click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_EQ(p.log, (std::vector<std::string>{"click"}));
}

}  // namespace
