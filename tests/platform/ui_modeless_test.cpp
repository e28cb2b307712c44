// Modeless windows as the plug-in's main menu and panels use them: created hidden, shown and hidden,
// reached by steps delivered outside any modal run, and a button handler that starts a nested modal run
// (during which parentless modeless windows stay usable and the owner of the modal run does not).
#include <gtest/gtest.h>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/keys.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;

constexpr int kMenu = 9301, kPanel = 9302, kModal = 9303;
enum : int { kStart = 11, kStartOwned = 12, kPing = 13 };

CtlTemplate button(int id, Ctl kind = Ctl::Button) {
    CtlTemplate t;
    t.id = id;
    t.kind = kind;
    t.dlu = {5, 5 + 15 * id, 60, 17 + 15 * id};
    return t;
}

class MainMenu : public plat::Dialog {
public:
    int pings = 0, modalResult = 0;
    bool escAtFocusLoss = false;
    int focusLosses = 0;
    explicit MainMenu(int id = kMenu) : plat::Dialog(id) {
        onCommand(kStart, [this] { modalResult = plat::Dialog(kModal).doModal(nullptr); });
        onCommand(kStartOwned, [this] { modalResult = plat::Dialog(kModal).doModal(this); });
        onCommand(kPing, [this] { ++pings; });
        onMessage(plat::Msg::KillFocus, [this](plat::MsgArgs&) {
            ++focusLosses;
            escAtFocusLoss = (plat::getAsyncKeyState(plat::VK_ESCAPE) & 0x8000) != 0;
        });
    }
};

class UiModeless : public ::testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        plat::releaseAllKeys();
        plat::DlgTemplate menu{kMenu, "Main menu", 125, 222,
                               {button(kStart), button(kStartOwned), button(kPing), button(plat::IDOK)}};
        menu.visible = true;
        plat::registerDialog(menu);
        plat::registerDialog({kPanel, "Panel", 100, 100, {button(kPing)}});
        plat::registerDialog({kModal, "Modal", 100, 60, {button(plat::IDOK, Ctl::DefButton)}});
    }
    plat::Script& script() { return plat::driver().script(); }
    const std::vector<std::string>& errors() { return plat::driver().errors(); }
    plat::Delivery deliverNext() {
        auto step = script().take();
        EXPECT_TRUE(step.has_value());
        return step ? plat::deliverWindowStep(*step) : plat::Delivery::NotAWindowStep;
    }
};

TEST_F(UiModeless, CreatedHiddenUnlessTheTemplateIsVisibleAndEndDialogHides) {
    MainMenu panel(kPanel);
    ASSERT_TRUE(panel.create());
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(plat::Dialog::shown(kPanel), nullptr);
    script().click(kPanel, kPing);
    EXPECT_EQ(deliverNext(), plat::Delivery::Refused) << "a hidden window cannot be clicked";
    EXPECT_EQ(panel.pings, 0);

    plat::driver().reset();
    panel.showWindow(true);
    EXPECT_EQ(plat::Dialog::shown(kPanel), &panel);
    script().click(kPanel, kPing);
    EXPECT_EQ(deliverNext(), plat::Delivery::Delivered);
    EXPECT_EQ(panel.pings, 1);

    panel.endDialog(0);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_TRUE(panel.hasWindow()) << "ending a modeless window only hides it";
    EXPECT_TRUE(plat::driver().transcript().contains("dialog.hide 9302"));

    MainMenu menu;
    ASSERT_TRUE(menu.create());
    EXPECT_TRUE(menu.isVisible());
    EXPECT_TRUE(plat::driver().transcript().contains("dialog.show 9301 modeless caption=\"Main menu\""));
    menu.destroyWindow();
    EXPECT_EQ(plat::Dialog::shown(kMenu), nullptr);
}

TEST_F(UiModeless, ADisabledModelessWindowRefusesSteps) {
    MainMenu menu;
    ASSERT_TRUE(menu.create());
    menu.enableWindow(false);
    script().click(kMenu, kPing);
    EXPECT_EQ(deliverNext(), plat::Delivery::Refused);
    EXPECT_EQ(menu.pings, 0);
    menu.destroyWindow();
}

TEST_F(UiModeless, ButtonStartsANestedModalRunWhileParentlessWindowsStayUsable) {
    MainMenu menu;
    ASSERT_TRUE(menu.create());
    // The modal run takes the ping for the main menu (parentless: not blocked) and then its own OK.
    script().click(kMenu, kStart).click(kMenu, kPing).click(kModal, plat::IDOK);
    EXPECT_EQ(deliverNext(), plat::Delivery::Delivered);
    EXPECT_TRUE(errors().empty()) << errors().front();
    EXPECT_EQ(menu.modalResult, plat::IDOK);
    EXPECT_EQ(menu.pings, 1);
    EXPECT_TRUE(script().empty());
    menu.destroyWindow();
}

TEST_F(UiModeless, TheOwnerOfAModalRunIsBlockedUntilItEnds) {
    MainMenu menu;
    ASSERT_TRUE(menu.create());
    script().click(kMenu, kStartOwned).click(kMenu, kPing).click(kModal, plat::IDOK);
    EXPECT_EQ(deliverNext(), plat::Delivery::Delivered);
    EXPECT_EQ(menu.modalResult, plat::IDCANCEL);
    EXPECT_EQ(menu.pings, 0);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("blocked by the modal dialog 9303"), std::string::npos) << errors()[0];
    menu.destroyWindow();
}

TEST_F(UiModeless, FocusOutHoldsEscWhenAsked) {
    MainMenu menu;
    ASSERT_TRUE(menu.create());
    script().focusOut(kMenu, false).focusOut(kMenu, true);
    EXPECT_EQ(deliverNext(), plat::Delivery::Delivered);
    EXPECT_FALSE(menu.escAtFocusLoss);
    EXPECT_EQ(deliverNext(), plat::Delivery::Delivered);
    EXPECT_TRUE(menu.escAtFocusLoss);
    EXPECT_EQ(menu.focusLosses, 2);
    EXPECT_EQ(plat::getAsyncKeyState(plat::VK_ESCAPE), 0);
    menu.destroyWindow();
}

TEST_F(UiModeless, OnlyWindowVerbsAreWindowSteps) {
    script().answer(plat::IDOK).close(kMenu);
    auto answer = script().take();
    EXPECT_FALSE(plat::isWindowStep(*answer));
    EXPECT_EQ(plat::deliverWindowStep(*answer), plat::Delivery::NotAWindowStep);
    EXPECT_TRUE(errors().empty());
    EXPECT_TRUE(plat::isWindowStep(*script().peek()));
}

TEST_F(UiModeless, DestroyWindowSendsDestroyAndKeepsTheLastState) {
    struct Panel : plat::Dialog {
        int destroyed = 0;
        Panel() : plat::Dialog(kPanel) {
            onMessage(plat::Msg::Destroy, [this](plat::MsgArgs&) { ++destroyed; });
        }
    } panel;
    ASSERT_TRUE(panel.create());
    panel.showWindow(true);
    panel.item(kPing).setText("Ping!");
    panel.destroyWindow();
    EXPECT_EQ(panel.destroyed, 1);
    EXPECT_FALSE(panel.hasWindow());
    EXPECT_NE(plat::lastSnapshot(kPanel).find("13 Button text=\"Ping!\""), std::string::npos);
}

}  // namespace
