// The command loop as the user drives it from the main menu, across invocations of one work cycle.
#include <gtest/gtest.h>

#include "host/builder/hole_kinds.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "plugin/base/globals.h"
#include "plugin/base/message_box.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/features/feature_windows.h"
#include "support/form_tables.h"
#include "support/plugin_fixture.h"
#include "plugin/engine/engine_state.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/work_records.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"

namespace {

constexpr int kMenu = CMainMenu::kTemplate;
constexpr int kExecute = 18007, kFormsManager = 18006, kViewProcess = 18008, kEditReports = 18034;
constexpr int kProcessTree = 18021, kTree = 4003, kCreateOperations = 4158, kConfiguration = 18018;

using CommandLoopTest = PluginFixture;

TEST_F(CommandLoopTest, ExecuteWithoutAMachineGroupOnlyTellsTheUser) {
    host::setMachineGroup(false);
    load();
    script().click(kMenu, kExecute).answer(plat::IDOK).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("The machine has no machine group."));
    EXPECT_EQ(count("dialog.show 18021"), 0);
    EXPECT_EQ(g_mainMenuShown, 0);
}

TEST_F(CommandLoopTest, AButtonClickedWhileTheLoopRunsRunsItsCommandOnce) {
    load();
    script().click(kMenu, kEditReports).menu(0).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(count("menu owner=18048"), 1);
    EXPECT_EQ(g_commandLoopBusy, 0);
}

TEST_F(CommandLoopTest, EditReportsOpensTheChosenReportInTheHostEditor) {
    host::setPartFile(dir.path() + "/Plate.pfp");
    ASSERT_TRUE(plat::writeFile(dir.path() + "/Plate.txt", "report"));
    load();
    script().click(kMenu, kEditReports).menu(1).file(dir.path() + "/Plate.txt").esc();
    m_main();
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("host.editor \"" + dir.path() + "/Plate.txt\""));
}

TEST_F(CommandLoopTest, AProcessTreeResultThatNeedsTheHostPausesTheCycleAndTheNextInvocationResumes) {
    const host::builder::BuiltPart part =
        host::builder::PartBuilder::block({40, 40, 12}).hole(host::builder::throughHole("a", {10, 10, 12}, {0, 0, -1}, 6)).build();
    ASSERT_TRUE(part.ok()) << part.error;
    ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
    load();
    // Everything that is on goes into one group: the menu of the tree's empty area.
    script().click(kMenu, kExecute).click(CMessageBox::kTemplate, plat::IDOK).treeRClick(kProcessTree, kTree, "").menu(15);
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();
    EXPECT_EQ(g_resumeAction, 1);
    EXPECT_EQ(g_mainMenuShown, 0);
    EXPECT_EQ(host::statusText(), "Forantix is waiting: run it again to continue.");
    EXPECT_FALSE(g_mainMenu->isVisible());

    // The user runs the plug-in again: the resume action posts View Process, whose tree the user closes,
    // and then the main menu.
    script().click(kProcessTree, plat::IDOK).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(count("dialog.show 18021"), 2);
    EXPECT_EQ(g_resumeAction, 0);
    EXPECT_EQ(g_mainMenuShown, 0);
}

TEST_F(CommandLoopTest, LeavingTheTreeForTheViewAllPanelKeepsTheCycleAndRepostsViewProcess) {
    load();
    // Highlight every hole, from the menu of the tree's empty area.
    script().click(kMenu, kViewProcess).treeRClick(kProcessTree, kTree, "").menu(14).esc();
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_pendingCommand, 105);
    EXPECT_TRUE(g_viewAllGeo->isVisible());

    script().click(kProcessTree, plat::IDOK).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_pendingCommand, 0);
    EXPECT_EQ(count("dialog.show 18021"), 2);
}

TEST_F(CommandLoopTest, ResultOneThousandTwelveEndsTheCycleAfterItsResumeActionIsSet) {
    load();
    script().click(kMenu, kViewProcess).click(kProcessTree, kCreateOperations);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_resumeAction, 21);
    EXPECT_EQ(g_records->viewsTree, nullptr);
}

TEST_F(CommandLoopTest, ATrialOfTheConfigurationHandsOverAndReturnsToTheFormsManager) {
    load();
    // The forms manager starts with the table chooser; left without a table, the configuration ends at once.
    script().click(kMenu, kFormsManager).click(18017, plat::IDOK).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(count("dialog.show 18018"), 0);
    EXPECT_EQ(g_resumeAction, 0);

    // Back from a trial (the cycle's resume action), the configuration shows its table again, and a trial
    // hands over to the host once more.
    TABLE_FILE_REF& target = g_engine->configTarget;
    const std::string table = installDir + "/Tool/FORMS_MM/Standard/Counterbored";
    setFieldText(target.tabPath, table + ".tab");
    setFieldText(target.txtPath, table + ".TXT");
    setFieldText(target.tableName, "Counterbored");
    g_engine->chosenProcess[0] = 0;
    g_engine->configAction = 105;
    g_resumeAction = 2;
    script().click(kConfiguration, CConfigProcess::kSimulate);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_resumeAction, 2);
    EXPECT_EQ(g_mainMenuShown, 0);

    script().key(kConfiguration, plat::VK_ESCAPE).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(count("dialog.show 18018"), 2);
    EXPECT_EQ(g_resumeAction, 0);
}

TEST_F(CommandLoopTest, TheHiddenButtonsCodeDoesNothing) {
    load();
    plat::postThreadMessage(WM_PLUGIN_COMMAND, 109, 0);
    script().click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(count("dialog.show 180"), 1);   // the main menu only
    EXPECT_EQ(count("msgbox"), 0);
}

TEST_F(CommandLoopTest, TheLoopPutsTheHostsLevelMaskBack) {
    load();
    mask_level = 7;
    script().click(kMenu, kViewProcess).click(kProcessTree, plat::IDOK).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(mask_level, 7);
}

}  // namespace
