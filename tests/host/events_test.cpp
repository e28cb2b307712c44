// The host's waits as the plug-in's command loop meets them: get_event's order (posted messages first,
// then the script), clicks on modeless windows delivered while the host waits, Esc, script errors; and
// point_proc, prompts and status texts.
#include <gtest/gtest.h>

#include "host/api.h"
#include "host/state.h"
#include "platform/sys/thread_queue.h"
#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"

namespace {

constexpr unsigned kPluginCommand = 0x8028;

class HostEvents : public testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        plat::clearThreadMessages();
        host::reset();
    }
    void TearDown() override {
        plat::clearThreadMessages();
        plat::driver().reset();
    }
    void load(const char* text) {
        plat::ParsedSession p = plat::parseSession(text);
        ASSERT_EQ(p.error, "");
        for (auto& s : p.steps) plat::driver().script().add(std::move(s));
    }
    int wait(PFEvent& ev, const char* prompt = "Forantix> ") {
        long mask = 0x8200, a2 = 0;
        short a3 = 0;
        char out = 0;
        return get_event(prompt, &ev, &mask, &a2, &a3, &out);
    }
};

TEST_F(HostEvents, PostedMessagesComeBeforeScriptedStepsInPostingOrder) {
    load("esc\n");
    plat::postThreadMessage(kPluginCommand, 104, 0);
    plat::postThreadMessage(kPluginCommand, 1, 5);
    PFEvent ev;
    ASSERT_EQ(wait(ev), 0);
    EXPECT_EQ(ev.type, kEventPosted);
    EXPECT_EQ(ev.message, kPluginCommand);
    EXPECT_EQ(ev.wParam, 104u);
    ASSERT_EQ(wait(ev), 0);
    EXPECT_EQ(ev.wParam, 1u);
    EXPECT_EQ(ev.lParam, 5);
    EXPECT_EQ(plat::driver().script().size(), 1u);  // the esc is still there
    EXPECT_EQ(wait(ev), 2);
    EXPECT_TRUE(plat::driver().script().empty());
    EXPECT_FALSE(plat::driver().aborted());
    EXPECT_TRUE(plat::driver().transcript().contains("host.esc"));
}

TEST_F(HostEvents, EmptyScriptIsAScriptErrorAndEndsThePrompt) {
    PFEvent ev;
    EXPECT_EQ(wait(ev, "Pick a hole"), 2);
    ASSERT_EQ(plat::driver().errors().size(), 1u);
    EXPECT_NE(plat::driver().errors()[0].find("\"Pick a hole\""), std::string::npos) << plat::driver().errors()[0];
}

TEST_F(HostEvents, AStepNothingWaitsForIsAScriptErrorAndStaysInTheScript) {
    load("invoke\nanswer IDOK\n");
    plat::driver().script().take();
    PFEvent ev;
    EXPECT_EQ(wait(ev), 2);
    ASSERT_EQ(plat::driver().errors().size(), 1u);
    EXPECT_EQ(plat::driver().errors()[0].rfind("line 2: ", 0), 0u) << plat::driver().errors()[0];
    EXPECT_EQ(plat::driver().script().size(), 1u);
}

// Once the script went wrong, the loop must end at once, even with commands still queued: acting on them
// would play a session that no longer matches its script.
TEST_F(HostEvents, AfterAnAbortReturnsTwoAtOnceAndLeavesMessagesQueued) {
    plat::driver().scriptError(nullptr, "earlier failure");
    load("esc\n");
    plat::postThreadMessage(kPluginCommand, 104, 0);
    PFEvent ev;
    EXPECT_EQ(wait(ev), 2);
    EXPECT_TRUE(plat::hasThreadMessage());
    EXPECT_EQ(plat::driver().script().size(), 1u);
}

TEST_F(HostEvents, PromptIsRecordedWhenItChangesAndAgainAfterTheAreaWasCleared) {
    load("esc\nesc\nesc\nesc\n");
    PFEvent ev;
    wait(ev, "Forantix 1.0");
    wait(ev, "Forantix 1.0");
    EXPECT_EQ(host::currentPrompt(), "Forantix 1.0");
    const auto& t = plat::driver().transcript();
    std::size_t first = t.find("host.prompt \"Forantix 1.0\"");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(t.find("host.prompt", first + 1), std::string::npos);
    cleartextall();
    wait(ev, "Forantix 1.0");
    EXPECT_NE(t.find("host.prompt \"Forantix 1.0\"", first + 1), std::string::npos);
    wait(ev, "Other\nline");
    EXPECT_TRUE(t.contains("host.prompt \"Other\\nline\""));
}

// A modeless window's button posts a command; the host delivers the click while it waits, and the posted
// command is the event it then returns.
class PostingPanel : public plat::Dialog {
public:
    static constexpr int kId = 31001, kGo = 11, kStop = 12;
    PostingPanel() : Dialog(kId) {
        onCommand(kGo, [] { plat::postThreadMessage(kPluginCommand, 104, 0); });
        onCommand(kStop, [] { plat::postThreadMessage(kPluginCommand, 1, 0); });
    }
    static void registerTemplate() {
        plat::DlgTemplate t;
        t.id = kId;
        t.caption = "Panel";
        t.cxDlu = 120;
        t.cyDlu = 60;
        for (int id : {kGo, kStop}) {
            plat::CtlTemplate c;
            c.id = id;
            c.kind = plat::Ctl::Button;
            c.dlu = {10, 10 + 20 * (id - kGo), 60, 24 + 20 * (id - kGo)};
            c.text = id == kGo ? "Go" : "Stop";
            t.controls.push_back(c);
        }
        plat::registerDialog(t);
    }
};

TEST_F(HostEvents, ClickOnAModelessWindowIsDeliveredWhileWaiting) {
    PostingPanel::registerTemplate();
    PostingPanel panel;
    ASSERT_TRUE(panel.create());
    panel.showWindow(true);
    load("click 31001 11\nclick 31001 12\n");
    PFEvent ev;
    ASSERT_EQ(wait(ev), 0);
    EXPECT_EQ(ev.wParam, 104u);
    EXPECT_EQ(plat::driver().script().size(), 1u);  // the second click waits for the next call
    ASSERT_EQ(wait(ev), 0);
    EXPECT_EQ(ev.wParam, 1u);
    EXPECT_FALSE(plat::driver().aborted());
    panel.destroyWindow();
}

TEST_F(HostEvents, ClickOnAHiddenWindowIsRefusedAndEndsTheWait) {
    PostingPanel::registerTemplate();
    PostingPanel panel;
    ASSERT_TRUE(panel.create());  // created hidden
    load("click 31001 11\n");
    PFEvent ev;
    EXPECT_EQ(wait(ev), 2);
    EXPECT_TRUE(plat::driver().aborted());
    EXPECT_FALSE(plat::hasThreadMessage());
    panel.destroyWindow();
}

TEST_F(HostEvents, PointProcGivesThePointOrNothingOnEsc) {
    load("point 10 -20.5 3\nesc\n");
    char kind = 0, got = 9;
    double pt[3] = {};
    point_proc("Reference point", &kind, pt, &got);
    EXPECT_EQ(got, 1);
    EXPECT_EQ(kind, 'P');
    EXPECT_DOUBLE_EQ(pt[0], 10.0);
    EXPECT_DOUBLE_EQ(pt[1], -20.5);
    EXPECT_DOUBLE_EQ(pt[2], 3.0);
    EXPECT_TRUE(plat::driver().transcript().contains("host.prompt \"Reference point\""));
    EXPECT_TRUE(plat::driver().transcript().contains("host.pick point (10,-20.5,3) P"));

    double untouched[3] = {7, 7, 7};
    point_proc("Reference point", &kind, untouched, &got);
    EXPECT_EQ(got, 0);
    EXPECT_EQ(untouched[0], 7);
    EXPECT_TRUE(plat::driver().transcript().contains("host.pick esc"));
    EXPECT_FALSE(plat::driver().aborted());
}

TEST_F(HostEvents, PointProcOnAnotherStepIsAScriptErrorWithoutAPoint) {
    load("click 18048 1\n");
    char kind = 0, got = 1;
    double pt[3] = {};
    point_proc("Point", &kind, pt, &got);
    EXPECT_EQ(got, 0);
    ASSERT_EQ(plat::driver().errors().size(), 1u);
    EXPECT_NE(plat::driver().errors()[0].find("point pick \"Point\""), std::string::npos);
    EXPECT_EQ(plat::driver().script().size(), 1u);
}

TEST_F(HostEvents, MessageAndStatusTextsAreShownAndRecorded) {
    mprintf("Working");
    mprintf(" w");
    EXPECT_EQ(host::messageLine(), "Working w");
    cleartext();
    EXPECT_EQ(host::messageLine(), "");
    UpdateStatusBarText("Select the holes, then run the plug-in again");
    EXPECT_EQ(host::statusText(), "Select the holes, then run the plug-in again");
    const auto& t = plat::driver().transcript();
    EXPECT_TRUE(t.contains("host.message \"Working\""));
    EXPECT_TRUE(t.contains("host.status \"Select the holes, then run the plug-in again\""));
}

}  // namespace
