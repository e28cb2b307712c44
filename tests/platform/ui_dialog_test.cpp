// Modal dialogs driven by a script, as the plug-in's dialogs run: data exchange, ending in onInitDialog,
// keys, close, and what happens to a run when the script does not fit (it ends with IDCANCEL, never hangs).
#include <gtest/gtest.h>

#include <thread>

#include "platform/sys/thread_queue.h"
#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/keys.h"
#include "platform/ui/message_box.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;

constexpr int kDlg = 9001, kInner = 9002;
enum : int { kName = 101, kThrough = 102, kDrill = 103, kMill = 104, kTap = 105, kLabel = 106, kTool = 107,
             kHidden = 108, kDisabled = 109, kApply = 110 };

CtlTemplate ctl(int id, Ctl kind, std::string text = {}, bool group = false) {
    CtlTemplate t;
    t.id = id;
    t.kind = kind;
    t.text = std::move(text);
    t.group = group;
    t.dlu = {7, 7 + 12 * (id % 100), 100, 17 + 12 * (id % 100)};
    return t;
}

void registerTemplates() {
    CtlTemplate hidden = ctl(kHidden, Ctl::Button, "Hidden");
    hidden.visible = false;
    plat::registerDialog({kDlg, "Hole data", 200, 160,
                          {ctl(kName, Ctl::Edit), ctl(kThrough, Ctl::Check, "Through"),
                           ctl(kDrill, Ctl::Radio, "Drill", true), ctl(kMill, Ctl::Radio, "Mill"),
                           ctl(kTap, Ctl::Radio, "Tap"), ctl(kLabel, Ctl::Static, "Tool", true),
                           ctl(kTool, Ctl::ComboDropList), hidden, ctl(kDisabled, Ctl::Button, "Off"),
                           ctl(kApply, Ctl::Button, "Apply"), ctl(plat::IDOK, Ctl::DefButton, "OK"),
                           ctl(plat::IDCANCEL, Ctl::Button, "Cancel")}});
    plat::registerDialog({kInner, "Inner", 100, 60,
                          {ctl(kName, Ctl::Edit), ctl(plat::IDOK, Ctl::DefButton, "OK"),
                           ctl(plat::IDCANCEL, Ctl::Button, "Cancel")}});
}

class HoleDialog : public plat::Dialog {
public:
    std::string name = "M8";
    int through = 0;
    int kind = 0;
    int toolSel = -1;
    int okRuns = 0, cancelRuns = 0, applyRuns = 0, initRuns = 0, destroyRuns = 0;
    std::optional<int> endInInit;
    std::function<void()> onApply;

    HoleDialog() : plat::Dialog(kDlg) {
        onCommand(kApply, [this] {
            ++applyRuns;
            if (onApply) onApply();
        });
        onCommand(kHidden, [this] { ++applyRuns; });
        onCommand(kDisabled, [this] { ++applyRuns; });
        onMessage(plat::Msg::Destroy, [this](plat::MsgArgs&) { ++destroyRuns; });
    }

protected:
    bool onInitDialog() override {
        ++initRuns;
        if (endInInit) {
            endDialog(*endInInit);
            return true;
        }
        item(kTool).addString("Drill 8");
        item(kTool).addString("Drill 10");
        item(kDisabled).enable(false);
        updateData(false);
        return true;
    }
    void doDataExchange(plat::Ddx& dx) override {
        dx.text(kName, name);
        dx.check(kThrough, through);
        dx.radio(kDrill, kind);
    }
    void onOK() override {
        ++okRuns;
        toolSel = item(kTool).curSel();
        plat::Dialog::onOK();
    }
    void onCancel() override {
        ++cancelRuns;
        plat::Dialog::onCancel();
    }
};

class UiDialog : public ::testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        plat::releaseAllKeys();
        plat::clearThreadMessages();
        registerTemplates();
    }
    plat::Script& script() { return plat::driver().script(); }
    const plat::Transcript& transcript() { return plat::driver().transcript(); }
    const std::vector<std::string>& errors() { return plat::driver().errors(); }
};

// ---- a normal run ----------------------------------------------------------------------------------------

TEST_F(UiDialog, ScriptedValuesComeBackThroughDataExchangeOnOk) {
    script().type(kDlg, kName, "M10x1.5").check(kDlg, kThrough, 1).click(kDlg, kTap).select(kDlg, kTool, 1)
        .click(kDlg, plat::IDOK);
    HoleDialog dlg;
    EXPECT_EQ(dlg.doModal(), plat::IDOK);
    EXPECT_TRUE(errors().empty()) << errors().front();
    EXPECT_TRUE(script().empty());
    EXPECT_EQ(dlg.name, "M10x1.5");
    EXPECT_EQ(dlg.through, 1);
    EXPECT_EQ(dlg.kind, 2);
    EXPECT_EQ(dlg.toolSel, 1);
    EXPECT_EQ(dlg.okRuns, 1);
    EXPECT_EQ(dlg.destroyRuns, 1);
    EXPECT_EQ(dlg.findItem(kName), nullptr) << "controls go away with the window";

    const auto& l = transcript().lines();
    std::size_t show = transcript().find("dialog.show 9001");
    ASSERT_NE(show, std::string::npos);
    EXPECT_EQ(l[show], "dialog.show 9001 modal caption=\"Hole data\"");
    EXPECT_EQ(l[show + 1], "  101 Edit \"M8\"");   // what the user reads in the window as it appears
    EXPECT_NE(transcript().find("user type 9001 101 \"M10x1.5\"", show), std::string::npos);
    EXPECT_EQ(l.back(), "dialog.end 9001 code=1");
    // The state at the end of the showing stays readable after the controls are gone.
    std::string snap = plat::lastSnapshot(kDlg);
    EXPECT_NE(snap.find("101 Edit text=\"M10x1.5\""), std::string::npos) << snap;
    EXPECT_NE(snap.find("107 ComboDropList text=\"Drill 10\""), std::string::npos) << snap;
}

TEST_F(UiDialog, InitialValuesReachTheControlsAndCancelLeavesMembersAlone) {
    script().type(kDlg, kName, "changed").click(kDlg, plat::IDCANCEL);
    HoleDialog dlg;
    dlg.kind = 1;
    EXPECT_EQ(dlg.doModal(), plat::IDCANCEL);
    EXPECT_EQ(dlg.name, "M8");
    EXPECT_EQ(dlg.kind, 1);
    EXPECT_EQ(dlg.cancelRuns, 1);
    EXPECT_EQ(dlg.okRuns, 0);
    EXPECT_NE(plat::lastSnapshot(kDlg).find("104 Radio text=\"Mill\" visible=1 enabled=1 check=1"), std::string::npos);
}

TEST_F(UiDialog, EndDialogInsideInitEndsBeforeShowingAndTakesNoStep) {
    script().click(kDlg, plat::IDOK);
    HoleDialog dlg;
    dlg.endInInit = 131;
    EXPECT_EQ(dlg.doModal(), 131);
    EXPECT_EQ(script().size(), 1u) << "the step is left for whoever waits next";
    EXPECT_FALSE(transcript().contains("dialog.show"));
    EXPECT_TRUE(transcript().contains("dialog.end 9001 code=131"));
    EXPECT_EQ(dlg.destroyRuns, 1);
    EXPECT_TRUE(errors().empty());
}

TEST_F(UiDialog, SameObjectRunsAgainWithFreshControls) {
    script().type(kDlg, kName, "first").click(kDlg, plat::IDOK).click(kDlg, plat::IDOK);
    HoleDialog dlg;
    EXPECT_EQ(dlg.doModal(), plat::IDOK);
    EXPECT_EQ(dlg.doModal(), plat::IDOK);
    EXPECT_EQ(dlg.name, "first") << "the second run starts from the member, not from old control state";
    EXPECT_EQ(dlg.initRuns, 2);
}

TEST_F(UiDialog, MissingTemplateFailsWithMinusOne) {
    plat::Dialog dlg(9999);
    EXPECT_EQ(dlg.doModal(), -1);
    EXPECT_TRUE(transcript().contains("dialog.fail 9999"));
}

// ---- keys and close ----------------------------------------------------------------------------------------

class KeyDialog : public HoleDialog {
public:
    bool returnDownInOk = false, escDownInCancel = false;
protected:
    void onOK() override {
        returnDownInOk = (plat::getAsyncKeyState(plat::VK_RETURN) & 0x8000) != 0;
        HoleDialog::onOK();
    }
    void onCancel() override {
        escDownInCancel = (plat::getAsyncKeyState(plat::VK_ESCAPE) & 0x8000) != 0;
        HoleDialog::onCancel();
    }
};

TEST_F(UiDialog, ReturnRunsOkWithTheKeyHeldDownWhileTheHandlerRuns) {
    script().type(kDlg, kName, "x").key(kDlg, plat::VK_RETURN);
    KeyDialog dlg;
    EXPECT_EQ(dlg.doModal(), plat::IDOK);
    EXPECT_TRUE(dlg.returnDownInOk);
    EXPECT_EQ(plat::getAsyncKeyState(plat::VK_RETURN), 0) << "released after the handler";
    EXPECT_EQ(dlg.name, "x");
    EXPECT_TRUE(transcript().contains("user key 9001 RETURN"));
}

TEST_F(UiDialog, EscapeRunsCancelWithEscHeld) {
    script().key(kDlg, plat::VK_ESCAPE);
    KeyDialog dlg;
    EXPECT_EQ(dlg.doModal(), plat::IDCANCEL);
    EXPECT_TRUE(dlg.escDownInCancel);
    EXPECT_EQ(dlg.okRuns, 0);
}

TEST_F(UiDialog, ReturnGoesToTheDefaultButtonAndDoesNothingWhenItIsDisabled) {
    plat::registerDialog({9003, "Default", 100, 60,
                          {ctl(kApply, Ctl::DefButton, "Apply"), ctl(plat::IDOK, Ctl::Button, "OK")}});
    struct D : plat::Dialog {
        int applied = 0;
        bool disable = false;
        D() : plat::Dialog(9003) {
            onCommand(kApply, [this] {
                ++applied;
                endDialog(55);
            });
        }
        bool onInitDialog() override {
            item(kApply).enable(!disable);
            return true;
        }
    };
    script().key(9003, plat::VK_RETURN);
    D d;
    EXPECT_EQ(d.doModal(), 55);
    EXPECT_EQ(d.applied, 1);

    script().key(9003, plat::VK_RETURN).click(9003, plat::IDOK);
    D off;
    off.disable = true;
    EXPECT_EQ(off.doModal(), plat::IDOK) << "Enter on a disabled default button must not end the dialog";
    EXPECT_EQ(off.applied, 0);
}

TEST_F(UiDialog, CloseRunsTheBoundHandlerOrElseCancel) {
    script().close(kDlg);
    HoleDialog plain;
    EXPECT_EQ(plain.doModal(), plat::IDCANCEL);
    EXPECT_EQ(plain.cancelRuns, 1);

    struct ClosesAsOk : HoleDialog {
        ClosesAsOk() {
            onMessage(plat::Msg::Close, [this](plat::MsgArgs&) { onOK(); });
        }
    };
    script().type(kDlg, kName, "kept").close(kDlg);
    ClosesAsOk dlg;
    EXPECT_EQ(dlg.doModal(), plat::IDOK);
    EXPECT_EQ(dlg.name, "kept");
    EXPECT_EQ(dlg.cancelRuns, 0);
}

// ---- scripts that do not fit ---------------------------------------------------------------------------------

TEST_F(UiDialog, EmptyScriptIsAnErrorAndTheRunEndsWithCancelWithoutHandlers) {
    HoleDialog dlg;
    EXPECT_EQ(dlg.doModal(), plat::IDCANCEL);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("dialog 9001"), std::string::npos) << errors()[0];
    EXPECT_EQ(dlg.okRuns + dlg.cancelRuns, 0);
    EXPECT_EQ(dlg.name, "M8");
}

TEST_F(UiDialog, StepOfAnotherKindIsAnErrorAndStaysUnconsumedAfterIt) {
    script().answer(plat::IDYES).click(kDlg, plat::IDOK);
    HoleDialog dlg;
    EXPECT_EQ(dlg.doModal(), plat::IDCANCEL);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("answer"), std::string::npos) << errors()[0];
    EXPECT_EQ(dlg.okRuns, 0);
}

TEST_F(UiDialog, StepForAWindowNotShownIsRefused) {
    script().click(kInner, plat::IDOK).click(kDlg, plat::IDOK);
    HoleDialog dlg;
    EXPECT_EQ(dlg.doModal(), plat::IDCANCEL);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("window 9002 is not shown"), std::string::npos) << errors()[0];
    EXPECT_EQ(dlg.okRuns, 0);
}

TEST_F(UiDialog, HiddenAndDisabledControlsRefuseClicksAndTheirHandlersNeverRun) {
    for (int target : {kHidden, kDisabled}) {
        plat::driver().reset();
        script().click(kDlg, target).click(kDlg, plat::IDOK);
        HoleDialog dlg;
        EXPECT_EQ(dlg.doModal(), plat::IDCANCEL);
        EXPECT_EQ(dlg.applyRuns, 0);
        ASSERT_EQ(errors().size(), 1u);
        EXPECT_NE(errors()[0].find(target == kHidden ? "is hidden" : "is disabled"), std::string::npos) << errors()[0];
    }
}

TEST_F(UiDialog, TypingIntoAStaticOrSelectingPastTheListIsRefused) {
    script().type(kDlg, kLabel, "x");
    HoleDialog a;
    EXPECT_EQ(a.doModal(), plat::IDCANCEL);
    plat::driver().reset();
    script().select(kDlg, kTool, 2);
    HoleDialog b;
    EXPECT_EQ(b.doModal(), plat::IDCANCEL);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("no item 2"), std::string::npos) << errors()[0];
}

TEST_F(UiDialog, AnErrorInANestedRunEndsEveryRunAtOnce) {
    // Apply opens the inner dialog; its script step is wrong. The outer run must not go on with its OK.
    HoleDialog outer;
    int innerResult = 0;
    outer.onApply = [&] {
        plat::Dialog inner(kInner);
        innerResult = inner.doModal(&outer);
    };
    script().click(kDlg, kApply).menu(5).click(kDlg, plat::IDOK);
    EXPECT_EQ(outer.doModal(), plat::IDCANCEL);
    EXPECT_EQ(innerResult, plat::IDCANCEL);
    EXPECT_EQ(outer.okRuns, 0);
    EXPECT_EQ(errors().size(), 1u);
    EXPECT_EQ(script().size(), 2u) << "nothing after the error is acted on";
}

TEST_F(UiDialog, AfterAnAbortARunEndsAtOnceWithoutInit) {
    plat::driver().scriptError(nullptr, "earlier error");
    script().click(kDlg, plat::IDOK);
    HoleDialog dlg;
    EXPECT_EQ(dlg.doModal(), plat::IDCANCEL);
    EXPECT_EQ(dlg.initRuns, 0);
    EXPECT_EQ(script().size(), 1u);
}

TEST_F(UiDialog, AnErrorDuringInitEndsTheRunWithoutShowingIt) {
    struct AsksInInit : HoleDialog {
        int answer = 0;
        bool onInitDialog() override {
            answer = plat::messageBox(this, "Load the last values?", "", plat::MB_YESNO);
            return HoleDialog::onInitDialog();
        }
    } dlg;
    script().click(kDlg, plat::IDOK);  // the box waits for an answer, not a click
    EXPECT_EQ(dlg.doModal(), plat::IDCANCEL);
    EXPECT_EQ(dlg.answer, plat::IDNO);
    EXPECT_FALSE(transcript().contains("dialog.show 9001"));
    EXPECT_EQ(dlg.okRuns, 0);
}

TEST_F(UiDialog, OuterDialogIsBlockedWhileAnInnerOneRuns) {
    HoleDialog outer;
    int innerResult = 0;
    outer.onApply = [&] {
        plat::Dialog inner(kInner);
        innerResult = inner.doModal(&outer);
    };
    script().click(kDlg, kApply).click(kDlg, plat::IDOK);
    EXPECT_EQ(outer.doModal(), plat::IDCANCEL);
    EXPECT_EQ(innerResult, plat::IDCANCEL);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("blocked by the modal dialog 9002"), std::string::npos) << errors()[0];
}

TEST_F(UiDialog, PostedThreadMessagesStayQueuedThroughAModalRun) {
    plat::postThreadMessage(0x8028, 104, 0);
    HoleDialog dlg;
    dlg.onApply = [] { plat::postThreadMessage(0x8028, 105, 0); };
    script().click(kDlg, kApply).click(kDlg, plat::IDOK);
    EXPECT_EQ(dlg.doModal(), plat::IDOK);
    auto first = plat::takeThreadMessage();
    auto second = plat::takeThreadMessage();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->wParam, 104u);
    EXPECT_EQ(second->wParam, 105u);
}

TEST_F(UiDialog, ACallPostedFromAnotherThreadRunsOnTheRunsThreadBeforeItsNextStep) {
    HoleDialog dlg;
    std::thread::id ranOn;
    dlg.onApply = [&] {
        std::thread poster([&] {
            dlg.post([&] {
                ranOn = std::this_thread::get_id();
                dlg.endDialog(77);
            });
        });
        poster.join();
    };
    script().click(kDlg, kApply);   // no step after it: the posted end needs none
    EXPECT_EQ(dlg.doModal(), 77);
    EXPECT_TRUE(plat::driver().errors().empty());
    EXPECT_EQ(ranOn, std::this_thread::get_id());

    // A window that goes away drops what was posted to it.
    bool ran = false;
    ASSERT_TRUE(dlg.create());
    dlg.post([&] { ran = true; });
    dlg.destroyWindow();
    plat::runPostedCalls();
    EXPECT_FALSE(ran);
}

}  // namespace
