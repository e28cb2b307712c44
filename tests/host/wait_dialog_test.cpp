// The wait dialog's cancel byte, as a long-running plug-in command polls it: 1 while the dialog is up, 0
// once the scripted user pressed Cancel at a progress update.
#include <gtest/gtest.h>

#include "host/api.h"
#include "host/state.h"
#include "platform/ui/driver.h"

namespace {

class WaitDialog : public testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        host::reset();
    }
    void TearDown() override {
        ReleaseWaitDialog();
        plat::driver().reset();
    }
    void load(const char* text) {
        plat::ParsedSession p = plat::parseSession(text);
        ASSERT_EQ(p.error, "");
        for (auto& s : p.steps) plat::driver().script().add(std::move(s));
    }
    // A command's progress loop: runs until done or cancelled, returns the step it stopped at.
    int runLoop(char& cancel, int steps) {
        DisplayWaitDialog(&cancel, 1, 1, 1, "Recognition", "Reading the part", nullptr);
        int i = 0;
        for (; i < steps && cancel; ++i) SetPercentComplete(static_cast<short>(100 * i / steps));
        ReleaseWaitDialog();
        return i;
    }
};

TEST_F(WaitDialog, ByteIsOneWhileOpenAndProgressDoesNotTouchOtherSteps) {
    load("answer IDOK\n");
    char cancel = 0;
    DisplayWaitDialog(&cancel, 1, 1, 1, "Title", "Status", nullptr);
    EXPECT_EQ(cancel, 1);
    SetPercentComplete(40);
    ProgMeterSetStatus("Half way");
    EXPECT_EQ(cancel, 1);
    EXPECT_EQ(host::waitDialog().percent, 40);
    EXPECT_EQ(host::waitDialog().status, "Half way");
    EXPECT_EQ(plat::driver().script().size(), 1u);
    EXPECT_FALSE(plat::driver().aborted());
    ReleaseWaitDialog();
    EXPECT_FALSE(host::waitDialog().open);
    const auto& t = plat::driver().transcript();
    EXPECT_TRUE(t.contains("host.wait.show title=\"Title\" status=\"Status\" cancel"));
    EXPECT_TRUE(t.contains("host.wait.status \"Half way\""));
    EXPECT_TRUE(t.contains("host.wait.close"));
}

TEST_F(WaitDialog, ScriptedCancelAtTheNextProgressUpdateClearsTheByte) {
    load("cancel-wait\nanswer IDOK\n");
    char cancel = 0;
    EXPECT_EQ(runLoop(cancel, 50), 1);
    EXPECT_EQ(cancel, 0);
    EXPECT_TRUE(host::waitDialog().cancelled);
    EXPECT_EQ(plat::driver().script().size(), 1u);
    EXPECT_TRUE(plat::driver().transcript().contains("host.wait.cancel"));
}

TEST_F(WaitDialog, CancelIsTakenOnlyWhenItIsTheNextStep) {
    load("answer IDOK\ncancel-wait\n");
    char cancel = 0;
    DisplayWaitDialog(&cancel, 1, 1, 1, "T", "S", nullptr);
    SetPercentComplete(10);
    EXPECT_EQ(cancel, 1);
    ASSERT_TRUE(plat::driver().expect({"answer"}, "message box"));
    ProgMeterSetStatus("Hole 3");
    EXPECT_EQ(cancel, 0);
    EXPECT_TRUE(plat::driver().script().empty());
}

TEST_F(WaitDialog, NoCancelIsTakenWhenTheDialogOffersNone) {
    load("cancel-wait\n");
    char cancel = 0;
    DisplayWaitDialog(&cancel, 1, 1, 0, "T", "S", nullptr);
    SetPercentComplete(10);
    EXPECT_EQ(cancel, 1);
    EXPECT_EQ(plat::driver().script().size(), 1u);
}

// The byte belongs to the caller; after ReleaseWaitDialog the host must not write it any more.
TEST_F(WaitDialog, AfterReleaseTheCallersByteIsNeverWritten) {
    load("cancel-wait\n");
    char cancel = 0;
    DisplayWaitDialog(&cancel, 1, 1, 1, "T", "S", nullptr);
    ReleaseWaitDialog();
    cancel = 42;
    SetPercentComplete(50);
    ProgMeterSetStatus("late");
    EXPECT_EQ(cancel, 42);
    EXPECT_EQ(plat::driver().script().size(), 1u);
}

}  // namespace
