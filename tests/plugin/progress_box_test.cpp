// The progress box over the host's wait dialog: what the user sees of a run, and a run the user stops.
#include <gtest/gtest.h>

#include <string>

#include "host/state.h"
#include "plugin/base/globals.h"
#include "plugin/base/progress_box.h"
#include "plugin/base/utilities.h"
#include "support/plugin_fixture.h"

namespace {

class ProgressBoxTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        g_globals->uiTextFile = installDir + "/Tool.txt";
    }
    std::size_t countLines(std::string_view fragment) {
        std::size_t n = 0;
        for (const std::string& line : transcript().lines()) n += line.find(fragment) != std::string::npos;
        return n;
    }
};

TEST_F(ProgressBoxTest, OpenShowsTheDefaultTextsAndOffersCancel) {
    CProgressBox box;
    EXPECT_EQ(box.open("", ""), 0);
    const host::WaitDialogView view = host::waitDialog();
    EXPECT_TRUE(view.open);
    EXPECT_TRUE(view.allowCancel);
    EXPECT_EQ(view.title, "Forantix");
    EXPECT_EQ(view.status, "Working...");
    EXPECT_TRUE(box.active);
    EXPECT_EQ(box.stepCount, 1);
    box.close();
}

TEST_F(ProgressBoxTest, StepsAdvanceTheBarAndShowStatusLines) {
    CProgressBox box;
    (void)box.open("Recognition", "Reading surfaces");
    EXPECT_EQ(host::waitDialog().title, "Recognition");
    EXPECT_EQ(box.step(), 0);
    EXPECT_EQ(host::waitDialog().percent, 2);
    EXPECT_EQ(box.stepMessage(11), 0);
    EXPECT_EQ(host::waitDialog().percent, 3);
    EXPECT_EQ(host::waitDialog().status, "Recognizing holes");
    EXPECT_EQ(box.stepMessage(0), 0);
    EXPECT_EQ(host::waitDialog().status, "Recognizing holes");
    EXPECT_EQ(box.stepText("Checking stock"), 0);
    EXPECT_EQ(host::waitDialog().status, "Checking stock");
    EXPECT_EQ(box.status, "Checking stock");
    EXPECT_EQ(box.stepCount, 5);
    box.close();
    EXPECT_FALSE(host::waitDialog().open);
    EXPECT_FALSE(box.active);
    EXPECT_EQ(box.texts.count(), 0);
}

TEST_F(ProgressBoxTest, ARunStopsAtTheStepAfterTheUserCancels) {
    CProgressBox box;
    (void)box.open("Recognition", "");
    int done = 0;
    for (int unit = 0; unit < 10; ++unit) {
        if (unit == 4) script().cancelWait();   // the user presses Cancel while unit 4 is worked on
        if (box.step() == 1) break;
        ++done;
    }
    EXPECT_EQ(done, 4);
    expectScriptPlayed();
    EXPECT_TRUE(host::waitDialog().cancelled);
    // A caller that goes on asking keeps hearing that it is to stop.
    EXPECT_EQ(box.stepText("late"), 1);
    box.close();
    EXPECT_EQ(countLines("host.wait.close"), 1u);
}

TEST_F(ProgressBoxTest, ABoxReopenedAfterACancelRunsAgain) {
    CProgressBox box;
    (void)box.open("A", "");
    script().cancelWait();
    EXPECT_EQ(box.step(), 1);
    box.close();
    (void)box.open("B", "");
    EXPECT_EQ(box.step(), 0);
    EXPECT_EQ(box.stepCount, 2);
}

TEST_F(ProgressBoxTest, ABoxNeverOpenedTouchesNothing) {
    CProgressBox box;
    EXPECT_EQ(box.step(), 0);
    EXPECT_EQ(box.stepMessage(11), 0);
    EXPECT_EQ(box.stepText("x"), 0);
    box.close();
    EXPECT_EQ(box.stepCount, 0);
    EXPECT_TRUE(box.status.empty());
    EXPECT_FALSE(transcript().contains("host.wait"));
}

TEST_F(ProgressBoxTest, LongTextsAreCutTo255Characters) {
    CProgressBox box;
    (void)box.open(std::string(300, 'T'), std::string(300, 'S'));
    EXPECT_EQ(host::waitDialog().title.size(), 255u);
    EXPECT_EQ(host::waitDialog().status.size(), 255u);
    (void)box.stepText(std::string(400, 'x'));
    EXPECT_EQ(host::waitDialog().status, std::string(255, 'x'));
}

TEST_F(ProgressBoxTest, ARunThatEndsWithoutClosingLeavesNoWaitDialog) {
    {
        CProgressBox box;
        (void)box.open("Forms", "");
        script().cancelWait();
        ASSERT_EQ(box.step(), 1);
    }
    EXPECT_FALSE(host::waitDialog().open);
    EXPECT_EQ(countLines("host.wait.close"), 1u);
}

TEST_F(ProgressBoxTest, AMissingTextSectionIsReportedAndLeavesTheDefaultsEmpty) {
    installUiTexts("[Other]\r\n1. x\r\n");
    script().answer(plat::IDOK);
    CProgressBox box;
    (void)box.open("", "");
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("msgbox"));
    EXPECT_EQ(host::waitDialog().title, "");
    EXPECT_TRUE(box.active);
}

}  // namespace
