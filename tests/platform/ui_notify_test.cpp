// Notification parity with the window system, which the plug-in's echo and commit-on-leave logic relies
// on: which programmatic changes notify, the order of focus and click notifications, radio groups in
// template order.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/keys.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;
using plat::Ev;

constexpr int kDlg = 9201;
enum : int { kEdit = 4068, kOther = 4069, kCheck = 4019, kCombo = 4023, kButton = 4300,
             // a radio group whose template order differs from the id order, then a second group
             kR0 = 4061, kR1 = 4063, kR2 = 4062, kS0 = 4070, kS1 = 4071, kTab = 4283 };

CtlTemplate ctl(int id, Ctl kind, bool group = false) {
    CtlTemplate t;
    t.id = id;
    t.kind = kind;
    t.group = group;
    t.dlu = {10, 10, 60, 20};
    return t;
}

// Records every notification it gets, in order, as "Ev:id".
class Probe : public plat::Dialog {
public:
    std::vector<std::string> events;
    int group1 = -1, group2 = -1;
    std::function<void(plat::Dialog&)> init;

    Probe() : plat::Dialog(kDlg) {
        for (int id : {kEdit, kOther, kCombo}) {
            for (Ev ev : {Ev::Change, Ev::KillFocus, Ev::SetFocus, Ev::SelChange})
                on(id, ev, [this, ev, id](plat::Notify&) { log(ev, id); });
        }
        for (int id : {kCheck, kButton, kR0, kR1, kR2, kS0, kS1})
            onCommand(id, [this, id] { log(Ev::Clicked, id); });
        for (Ev ev : {Ev::SelChanging, Ev::SelChange, Ev::Clicked})
            on(kTab, ev, [this, ev](plat::Notify& n) {
                log(ev, kTab);
                if (ev == Ev::SelChanging && refuseTab) n.result = 1;
            });
    }
    bool refuseTab = false;
    void log(Ev ev, int id) {
        static const char* names[] = {"Clicked", "DblClk", "RClick", "SetFocus", "KillFocus", "Change", "SelChange",
                                      "SelChanging"};
        events.push_back(std::string(names[static_cast<int>(ev)]) + ":" + std::to_string(id));
    }

protected:
    bool onInitDialog() override {
        item(kCombo).addString("a");
        item(kCombo).addString("b");
        item(kTab).addString("Page 1");
        item(kTab).addString("Page 2");
        if (init) init(*this);
        return false;  // no default focus: the tests start with nothing focused
    }
    void doDataExchange(plat::Ddx& dx) override {
        dx.radio(kR0, group1);
        dx.radio(kS0, group2);
    }
};

class UiNotify : public ::testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        plat::releaseAllKeys();
        plat::registerDialog({kDlg, "Probe", 200, 100,
                              {ctl(kEdit, Ctl::Edit), ctl(kOther, Ctl::Edit), ctl(kCheck, Ctl::Check),
                               ctl(kCombo, Ctl::ComboDropDown), ctl(kButton, Ctl::Button), ctl(kR0, Ctl::Radio, true),
                               ctl(kR1, Ctl::Radio), ctl(kR2, Ctl::Radio), ctl(kS0, Ctl::Radio, true),
                               ctl(kS1, Ctl::Radio), ctl(kTab, Ctl::Tab, true), ctl(plat::IDOK, Ctl::DefButton)}});
    }
    plat::Script& script() { return plat::driver().script(); }
};

TEST_F(UiNotify, ProgrammaticEditTextSendsChangeButChecksAndSelectionsStaySilent) {
    Probe p;
    p.init = [](plat::Dialog& d) {
        d.item(kEdit).setText("12.5");
        d.item(kCheck).setCheck(1);
        d.item(kCombo).setCurSel(1);
        d.item(kR1).setCheck(1);
        d.item(kTab).setCurSel(1);
        d.item(kOther).setFocus();
    };
    script().click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    // The only focus notification besides the programmatic one is the edit left for the OK button.
    EXPECT_EQ(p.events, (std::vector<std::string>{"Change:4068", "SetFocus:4069", "KillFocus:4069"}));
}

TEST_F(UiNotify, FocusLeavesTheEditBeforeTheClickedButtonActs) {
    Probe p;
    script().type(kDlg, kEdit, "7").click(kDlg, kButton).click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_EQ(p.events, (std::vector<std::string>{"SetFocus:4068", "Change:4068", "KillFocus:4068", "Clicked:4300"}));
}

TEST_F(UiNotify, TypingFocusesTheEditBeforeItsChangeSoFocusedHandlersAct) {
    struct Focused : Probe {
        bool focusedAtChange = false;
        Focused() {
            on(kOther, Ev::Change, [this](plat::Notify&) { focusedAtChange = item(kOther).hasFocus(); });
        }
    } p;
    script().type(kDlg, kEdit, "1").type(kDlg, kOther, "2").click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_TRUE(p.focusedAtChange);
    // The first edit hears it lost the focus before the second one's text changes.
    auto kill = std::find(p.events.begin(), p.events.end(), "KillFocus:4068");
    EXPECT_NE(kill, p.events.end());
}

TEST_F(UiNotify, CheckBoxClickTogglesAndACheckStepInTheWantedStateDoesNothing) {
    Probe p;
    p.init = [](plat::Dialog& d) { d.item(kCheck).setCheck(1); };
    script().click(kDlg, kCheck).check(kDlg, kCheck, 0).check(kDlg, kCheck, 1).click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    // 1 -> click -> 0 (Clicked); check 0: already 0, nothing; check 1 -> clicked again.
    EXPECT_EQ(std::count(p.events.begin(), p.events.end(), "Clicked:4019"), 2);
    EXPECT_NE(plat::lastSnapshot(kDlg).find("4019 Check text=\"\" visible=1 enabled=1 check=1"), std::string::npos);
}

TEST_F(UiNotify, RadioGroupsFollowTemplateOrderAndClicksUntickOnlyTheirOwnGroup) {
    Probe p;
    p.init = [](plat::Dialog& d) { d.item(kS1).setCheck(1); };
    // kR1 (id 4063) is second in the template: index 1, though its id is the largest of the group.
    script().click(kDlg, kR2).click(kDlg, kR1).click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_EQ(p.group1, 1);
    EXPECT_EQ(p.group2, 1) << "a click in the first group must not untick the second";
    std::string snap = plat::lastSnapshot(kDlg);
    EXPECT_NE(snap.find("4062 Radio text=\"\" visible=1 enabled=1 check=0"), std::string::npos) << snap;
}

TEST_F(UiNotify, LoadingARadioIndexTicksByTemplateOrderAndMinusOneTicksNone) {
    Probe p;
    p.group1 = 2;
    p.group2 = -1;
    p.init = [](plat::Dialog& d) {
        d.item(kS0).setCheck(1);
        d.updateData(false);
    };
    script().click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    std::string snap = plat::lastSnapshot(kDlg);
    EXPECT_NE(snap.find("4062 Radio text=\"\" visible=1 enabled=1 check=1"), std::string::npos) << snap;
    EXPECT_NE(snap.find("4063 Radio text=\"\" visible=1 enabled=1 check=0"), std::string::npos) << snap;
    EXPECT_EQ(p.group2, -1);
}

TEST_F(UiNotify, UserSelectionNotifiesAndTypingInAComboPicksTheItemItNames) {
    int selAfterType = -2;
    script().select(kDlg, kCombo, 1).type(kDlg, kCombo, "A").click(kDlg, plat::IDOK);
    struct Catch : Probe {
        int* out;
        explicit Catch(int* o) : out(o) {
            on(kCombo, Ev::Change, [this](plat::Notify&) { *out = item(kCombo).curSel(); });
        }
    } c(&selAfterType);
    EXPECT_EQ(c.doModal(), plat::IDOK);
    EXPECT_EQ(c.events.front(), "SetFocus:4023");
    EXPECT_EQ(c.events[1], "SelChange:4023");
    EXPECT_EQ(selAfterType, 0) << "\"A\" names item \"a\" ignoring case";
}

TEST_F(UiNotify, TabClickAsksBeforeChangingAndMayBeRefused) {
    Probe p;
    script().select(kDlg, kTab, 1).click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_EQ(p.events, (std::vector<std::string>{"SelChanging:4283", "SelChange:4283", "Clicked:4283"}));

    Probe refusing;
    refusing.refuseTab = true;
    script().select(kDlg, kTab, 1).click(kDlg, plat::IDOK);
    EXPECT_EQ(refusing.doModal(), plat::IDOK);
    EXPECT_EQ(refusing.events, (std::vector<std::string>{"SelChanging:4283"}));
    EXPECT_NE(plat::lastSnapshot(kDlg).find("items=[\"Page 1\",\"Page 2\"] sel=-1"), std::string::npos);
}

}  // namespace

namespace {

// A tip is asked for only where the window has tool tips: from the control's own handler, else from the
// window's handler of every control; a tip without text is not shown, and a hidden control takes no hover.
TEST_F(UiNotify, HoverAsksForATipWhereTheWindowHasTips) {
    struct Tips : Probe {
        std::vector<int> asked;
        Tips() {
            on(kButton, Ev::NeedText, [this](plat::Notify& n) {
                asked.push_back(n.ctlId);
                n.text = "own tip";
            });
            on(0, Ev::NeedText, [this](plat::Notify& n) {
                asked.push_back(n.ctlId);
                if (n.ctlId == kEdit) {
                    toolTipLook().maxWidth = 300;
                    n.text = "edit tip";
                }
            });
        }
    };
    Tips off;
    script().hover(kDlg, kButton).click(kDlg, plat::IDOK);
    EXPECT_EQ(off.doModal(), plat::IDOK);
    EXPECT_TRUE(off.asked.empty());

    Tips on;
    on.init = [](plat::Dialog& d) {
        d.enableToolTips(true);
        d.item(kOther).show(false);
    };
    script().hover(kDlg, kButton).hover(kDlg, kEdit).hover(kDlg, kCheck).click(kDlg, plat::IDOK);
    EXPECT_EQ(on.doModal(), plat::IDOK);
    EXPECT_EQ(on.asked, (std::vector<int>{kButton, kEdit, kCheck}));
    const auto& lines = plat::driver().transcript().lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "dialog.tooltip 9201 4300 width=-1 delays=500/5000/100 \"own tip\""), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "dialog.tooltip 9201 4068 width=300 delays=500/5000/100 \"edit tip\""), lines.end());
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("dialog.tooltip", 0) == 0; }), 2);

    Tips hidden;
    hidden.init = [](plat::Dialog& d) {
        d.enableToolTips(true);
        d.item(kOther).show(false);
    };
    script().hover(kDlg, kOther);
    EXPECT_EQ(hidden.doModal(), plat::IDCANCEL);
    EXPECT_FALSE(plat::driver().errors().empty());
}

}  // namespace
