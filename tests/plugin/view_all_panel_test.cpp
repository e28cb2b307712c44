// The view-all panel over a part of one selected (select colour) and two other lines: the user hides and
// shows what is not selected, and goes back to the plug-in by Exit or by Esc held while the panel loses
// the focus.
#include <gtest/gtest.h>

#include "host/api.h"
#include "host/state.h"
#include "platform/sys/thread_queue.h"
#include "plugin/base/globals.h"
#include "plugin/features/feature_windows.h"
#include "support/plugin_fixture.h"

namespace {

class ViewAllPanelTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        g_globals->uiTextFile = installDir + "/Tool.txt";
        for (int colour : {select_color, 3, 4}) lines.push_back(storeLine(colour));
        ASSERT_TRUE(panel().create());
        panel().showWindow(true);
    }
    void TearDown() override {
        g_commandLoopBusy = 0;
        PluginFixture::TearDown();
    }
    static CDlgViewAllGeo& panel() { return *g_viewAllGeo; }
    static db_ptr storeLine(int colour) {
        ent e{};
        e.type = kEntLine;
        e.ln.ln.e2 = {10, 0, 0};
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, colour, 1, main_attrib, &ok);
        return entry;
    }
    // How many of the lines the user sees.
    static int shown() {
        int n = 0;
        db_ptr at = db_start();
        for (;;) {
            ent e{};
            char found = 0;
            get_ent(at, 1, kEntLine, &e, &at, &found);
            if (!found) return n;
            ++n;
        }
    }
    static std::optional<std::uintptr_t> postedCommand() {
        std::optional<std::uintptr_t> code;
        while (auto m = plat::takeThreadMessage())
            if (m->message == WM_PLUGIN_COMMAND) code = m->wParam;
        return code;
    }
    std::vector<db_ptr> lines;
};

TEST_F(ViewAllPanelTest, TheTitleAndButtonsComeFromTheirSection) {
    EXPECT_EQ(panel().windowText(), "View all selected geometry");
    EXPECT_EQ(panel().item(CDlgViewAllGeo::kSeeAll).text(), "See All Y/N");
    EXPECT_EQ(panel().item(plat::IDOK).text(), "Exit");
}

TEST_F(ViewAllPanelTest, SeeAllHidesWhatIsNotSelectedAndShowsItAgainTwiceOver) {
    ASSERT_EQ(panel().seeAll, 1);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(panel().userClick(CDlgViewAllGeo::kSeeAll), "");
        EXPECT_EQ(panel().seeAll, 0);
        EXPECT_EQ(shown(), 1) << round;
        ASSERT_NE(panel().hiddenEnts, nullptr);
        ASSERT_EQ(panel().userClick(CDlgViewAllGeo::kSeeAll), "");
        EXPECT_EQ(shown(), 3) << round;
        EXPECT_EQ(panel().hiddenEnts, nullptr);   // the freed list is forgotten
    }
}

TEST_F(ViewAllPanelTest, ExitShowsTheHiddenAgainAndGoesBackToThePendingCommandOrThePlugIn) {
    g_pendingCommand = 1052;
    g_commandLoopBusy = 1;
    ASSERT_EQ(panel().userClick(CDlgViewAllGeo::kSeeAll), "");
    ASSERT_EQ(panel().userClick(plat::IDOK), "");
    EXPECT_FALSE(panel().isVisible());
    EXPECT_EQ(shown(), 3);
    EXPECT_EQ(panel().hiddenEnts, nullptr);
    EXPECT_EQ(postedCommand(), 1052u);
    EXPECT_FALSE(host::takeRunAgainRequest());

    // With all shown and no loop running: the host is asked to run the plug-in again.
    g_commandLoopBusy = 0;
    panel().showWindow(true);
    ASSERT_EQ(panel().userClick(plat::IDOK), "");
    EXPECT_EQ(shown(), 3);
    EXPECT_TRUE(host::takeRunAgainRequest());
    EXPECT_EQ(postedCommand(), std::nullopt);
}

TEST_F(ViewAllPanelTest, LosingTheFocusLeavesOnlyWithEscHeldAndThePanelStaysShown) {
    g_pendingCommand = 105;
    g_commandLoopBusy = 1;
    ASSERT_EQ(panel().userClick(CDlgViewAllGeo::kSeeAll), "");
    ASSERT_EQ(panel().userFocusOut(false), "");
    EXPECT_EQ(shown(), 1);
    EXPECT_EQ(postedCommand(), std::nullopt);
    ASSERT_EQ(panel().userFocusOut(true), "");
    EXPECT_EQ(shown(), 3);
    EXPECT_EQ(postedCommand(), 105u);
    EXPECT_TRUE(panel().isVisible());
}

TEST_F(ViewAllPanelTest, AnalyzeDynamicPostsItsCommand) {
    ASSERT_EQ(panel().userClick(CDlgViewAllGeo::kAnalyzeDynamic), "");
    EXPECT_EQ(postedCommand(), 1002u);
}

}  // namespace
