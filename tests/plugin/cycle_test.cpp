// A work cycle across invocations, and the main menu as the user meets it.
#include <gtest/gtest.h>

#include <string>

#include "plugin/base/globals.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/cycle/work_cycle.h"
#include "plugin/features/feature_windows.h"
#include "plugin/model/tree.h"
#include "plugin/settings/shared_library.h"
#include "support/plugin_fixture.h"
#include "plugin/model/work_records.h"

namespace {

class CycleTest : public PluginFixture {
protected:
    // Makes the loop of the next invocation hand control to the host at once: the cycle pauses.
    void pauseNextLoop() { plat::postThreadMessage(WM_PLUGIN_COMMAND, 1002, 0); }
    std::vector<std::uintptr_t> queuedCodes() {
        std::vector<std::uintptr_t> codes;
        while (auto msg = plat::takeThreadMessage()) codes.push_back(msg->wParam);
        return codes;
    }
};

VIEW_LIST* fakeTree() {
    static int marker;
    return reinterpret_cast<VIEW_LIST*>(&marker);
}

TEST_F(CycleTest, TheUserSeesTheMainMenuAndClosingItEndsTheCycle) {
    load();
    script().click(CMainMenu::kTemplate, plat::IDOK);
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("dialog.show 18048 modeless caption=\"Forantix for PforgeX4\""));
    EXPECT_EQ(g_mainMenu->item(CMainMenu::kVersionStatic).text(), g_globals->versionText);
    EXPECT_EQ(g_mainMenu->item(18007).text(), "Execute");
    EXPECT_EQ(g_mainMenu->item(plat::IDOK).text(), "Close");
    EXPECT_FALSE(g_mainMenu->item(CMainMenu::kHiddenButton).visible());
    EXPECT_TRUE(transcript().contains("host.prompt \"ForantixX Version 3 MR2  December"));  // no line feed
    EXPECT_EQ(g_mainMenuShown, 0);
    EXPECT_FALSE(g_mainMenu->isVisible());
    EXPECT_EQ(g_commandLoopBusy, 0);
    EXPECT_EQ(g_pluginStarted, 1);
}

TEST_F(CycleTest, ASecondInvocationContinuesTheCycleWithoutLoadingOrCreatingAgain) {
    load();
    pauseNextLoop();
    EXPECT_EQ(m_main(), 0);
    ASSERT_EQ(host::hostCommands().size(), 1u);
    EXPECT_EQ(host::hostCommands()[0], "Partforge AnalyzeDynoStart");
    const int groups = static_cast<int>(g_preselGroupCounter);

    g_records->viewsTree = fakeTree();   // the tree of the paused cycle stays in memory
    g_pendingCommand = 105;
    g_resumeAction = 21;
    plat::resetSleptMs();
    pauseNextLoop();
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_records->viewsTree, fakeTree());           // not loaded again, not freed
    EXPECT_EQ(static_cast<int>(g_preselGroupCounter), groups);          // windows not created again
    EXPECT_EQ(g_pendingCommand, 0);
    EXPECT_EQ(queuedCodes(), (std::vector<std::uintptr_t>{105, 105}));  // pending, then the resume action's
    EXPECT_EQ(plat::sleptMs(), 300 + 300 + 250);
    EXPECT_EQ(g_resumeAction, 21);                          // the loop clears it, not the invocation
    g_records->viewsTree = nullptr;
}

TEST_F(CycleTest, ResumeActionFourWithoutAGroupStillPresetsAndPosts) {
    load();
    pauseNextLoop();
    m_main();
    const int rebuilds = host::rebuildCount();
    const auto groupsBefore = host::groupIds();
    g_resumeAction = 4;
    g_lastOpGroup = 0;
    pauseNextLoop();
    m_main();
    EXPECT_EQ(g_processPreset, 915);
    EXPECT_EQ(host::groupIds(), groupsBefore);
    EXPECT_EQ(host::rebuildCount(), rebuilds + 1);
    EXPECT_EQ(queuedCodes(), (std::vector<std::uintptr_t>{105}));
}

TEST_F(CycleTest, ResumeActionOneDeletesTheLastGeneratedGroup) {
    load();
    pauseNextLoop();
    m_main();
    g_resumeAction = 1;
    g_lastOpGroup = host::kActiveGroupId;
    pauseNextLoop();
    m_main();
    EXPECT_EQ(host::findGroup(host::kActiveGroupId), nullptr);
    EXPECT_NE(host::findGroup(host::kMachineGroupId), nullptr);
    EXPECT_EQ(queuedCodes(), (std::vector<std::uintptr_t>{105}));
}

TEST_F(CycleTest, ResumeActionsChooseTheCommandTheyPost) {
    const std::pair<int, std::uintptr_t> cases[] = {{2, 103}, {3, 105}, {11, 105}, {21, 105}, {7, 0}};
    load();
    for (auto [action, code] : cases) {
        pauseNextLoop();
        g_resumeAction = static_cast<std::int16_t>(action);
        m_main();
        const auto codes = queuedCodes();
        if (code == 0)
            EXPECT_TRUE(codes.empty()) << "action " << action;
        else
            EXPECT_EQ(codes, std::vector<std::uintptr_t>{code}) << "action " << action;
    }
}

TEST_F(CycleTest, OkWithoutTheClosePermissionKeepsTheMenuShown) {
    load();
    pauseNextLoop();
    m_main();
    g_mainMenu->closeEnabled = false;
    script().click(CMainMenu::kTemplate, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_mainMenuShown, 1);
    EXPECT_TRUE(g_mainMenu->isVisible());
}

TEST_F(CycleTest, LosingTheFocusActsAsOkOnlyWithEscDown) {
    load();
    script().focusOut(CMainMenu::kTemplate, false).focusOut(CMainMenu::kTemplate, true);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_mainMenuShown, 0);
    EXPECT_FALSE(g_mainMenu->isVisible());
}

TEST_F(CycleTest, EscAtTheHostPromptEndsTheCycle) {
    load();
    script().esc();
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_mainMenuShown, 0);
    EXPECT_EQ(g_records->viewsTree, nullptr);
}

class SharingTest : public CycleTest {
protected:
    void SetUp() override {
        CycleTest::SetUp();
        shared = dir.path() + "/shared";
        ASSERT_TRUE(plat::createDirectories(shared + "/FORMS_MM/Standard"));
        ASSERT_TRUE(plat::writeFile(installDir + "/Tool_mm.prm",
                                    "[SharedData]\r\n1. 1\r\n2. 1\r\n3. " + shared + "\\\r\n"));
    }
    std::string shared;
};

TEST_F(SharingTest, OneWatcherRunsForTheWholeCycleAndStopsAtItsEnd) {
    load();
    for (int i = 0; i < 3; ++i) {
        pauseNextLoop();
        m_main();
        EXPECT_TRUE(sharedDataWatcherRunning()) << "invocation " << i;
        EXPECT_TRUE(plat::fileExists(shared + "/RWrunning.dat"));
    }
    EXPECT_EQ(g_globals->sharedDir, shared);   // trailing separator removed
    EXPECT_EQ(g_globals->sharedFormsDir, shared + "/FORMS_MM");
    script().esc();
    m_main();
    expectScriptPlayed();
    EXPECT_FALSE(sharedDataWatcherRunning());
    EXPECT_FALSE(plat::fileExists(shared + "/RWrunning.dat"));
    EXPECT_EQ(g_sharedWatcher.stop.load(), 1);
}

TEST_F(SharingTest, AMissingSharedLibraryAndACancelledDialogSwitchSharingOff) {
    ASSERT_TRUE(plat::writeFile(installDir + "/Tool_mm.prm", "[SharedData]\r\n1. 1\r\n2. 0\r\n3. " + dir.path() + "/none\r\n"));
    load();
    // The manager tells of the missing library; Cancel there, then the start-up check's own message.
    script().answer(plat::IDCANCEL).answer(plat::IDOK).esc();
    m_main();
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("msgbox owner=- type=OK"));
    EXPECT_TRUE(transcript().contains(dir.path() + "/none/FORMS_MM"));
    EXPECT_EQ(g_globals->sharedDataOn, 0);
    EXPECT_FALSE(sharedDataWatcherRunning());
}

// A library the shared folder does not hold: the user picks one of those it holds, or keeps the old name.
class SharedLibraryChoiceTest : public SharingTest {
protected:
    void SetUp() override {
        SharingTest::SetUp();
        for (const char* name : {"Gamma", "alpha", "Beta", ".backup"})
            ASSERT_TRUE(plat::createDirectories(shared + "/FORMS_MM/" + name));
        ASSERT_TRUE(plat::writeFile(installDir + "/Tool_mm.prm", "[SharedData]\r\n1. 1\r\n2. 0\r\n3. " + shared +
                                                                     "\r\n[ProcessMach]\r\n2. Missing\r\n"));
        load();
    }
};

TEST_F(SharedLibraryChoiceTest, OkWithoutTouchingTheListTakesTheFirstLibraryInOrder) {
    script().click(18074, plat::IDOK).esc();
    m_main();
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("dialog.show 18074 modal caption=\"Shared library not found\""));
    EXPECT_TRUE(transcript().contains("18063 Static \"The shared folder holds no table library \\\"Missing\\\".\""));
    EXPECT_TRUE(transcript().contains("18062 ComboDropDown \"alpha\""));
    EXPECT_EQ(g_globals->libraryName, "alpha");
}

TEST_F(SharedLibraryChoiceTest, ANameTypedThatIsNoLibraryLeavesNone) {
    script().type(18074, 18062, "Elsewhere").click(18074, plat::IDOK).esc();
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_globals->libraryName, "");
}

TEST_F(SharedLibraryChoiceTest, CancelKeepsTheLibraryTheSettingsNamed) {
    script().click(18074, plat::IDCANCEL).esc();
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_globals->libraryName, "Missing");
}

TEST_F(SharedLibraryChoiceTest, AnotherLibraryPickedInTheListIsTaken) {
    script().select(18074, 18062, 2).click(18074, plat::IDOK).esc();
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_globals->libraryName, "Gamma");
}

// The message's line comes from the UI-text file: conversions beyond the folder it names are shown as
// written, never read as arguments.
TEST_F(SharingTest, TheMissingLibrarysMessageNeverTakesItsLineAsAFormat) {
    std::string texts = plat::readFile(std::string(FX_SOURCE_DIR) + "/data/Forantix.txt").value_or("");
    const std::size_t line = texts.find("111. ", texts.find("[SharedData]"));
    ASSERT_NE(line, std::string::npos);
    texts.replace(line, texts.find('\n', line) - line, "111. Folder %s %s %n %99999999s");
    installUiTexts(texts);
    ASSERT_TRUE(plat::writeFile(installDir + "/Tool_mm.prm", "[SharedData]\r\n1. 1\r\n2. 0\r\n3. " + dir.path() + "/none\r\n"));
    load();
    // The manager tells of the missing library; Cancel there, then the start-up check's own message.
    script().answer(plat::IDCANCEL).answer(plat::IDOK).esc();
    m_main();
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("Folder " + dir.path() + "/none/FORMS_MM %s %n %99999999s"));
    EXPECT_EQ(g_globals->sharedDataOn, 0);
}

}  // namespace
