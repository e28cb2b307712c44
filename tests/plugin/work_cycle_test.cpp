// Invocations through the exported functions: what one m_main call prepares, when it stops early, and
// what the host's notifications do.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "plugin/base/globals.h"
#include "plugin/base/machine_info.h"
#include "plugin/base/tool_types.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/cycle/work_cycle.h"
#include "plugin/cycle/records.h"
#include "plugin/features/feature_windows.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/services/tables.h"
#include "support/part_notes.h"
#include "support/plugin_fixture.h"
#include "support/table_files.h"
#include "plugin/engine/engine_state.h"

namespace {

using WorkCycleTest = PluginFixture;

TEST_F(WorkCycleTest, ExportsAnswerWithoutTouchingState) {
    load();
    EXPECT_EQ(m_version(), 1300);
    EXPECT_EQ(m_enter(), 0);
    EXPECT_EQ(m_notify(2), 0);
    EXPECT_EQ(m_notify(7), 0);
    EXPECT_EQ(g_pluginStarted, 0);
    EXPECT_TRUE(transcript().lines().empty());
}

TEST_F(WorkCycleTest, PathsFollowTheModuleAndTheUnitsMetric) {
    load();
    script().esc();
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();
    const PLUGIN_GLOBALS& g = *g_globals;
    EXPECT_EQ(g.pluginDir, installDir);
    EXPECT_EQ(g.pluginTitle, "Tool");
    EXPECT_EQ(g.uiTextFile, installDir + "/Tool.txt");
    EXPECT_EQ(g.settingsFile, installDir + "/Tool_mm.prm");
    EXPECT_EQ(g.dataDir, installDir + "/Tool");
    EXPECT_EQ(g.tmpDir, installDir + "/Tool/Tmp");
    EXPECT_TRUE(plat::dirExists(g.tmpDir));
    EXPECT_EQ(g.formsDir, installDir + "/Tool/FORMS_MM");
    EXPECT_EQ(g.processLogFile, installDir + "/Tool/Tmp/25_Process.txt");
    EXPECT_EQ(g.toolsDumpFile, installDir + "/Tool/Tmp/23_Tools.txt");
    EXPECT_EQ(std::string(g_fmtFine), "%.3f");
    EXPECT_DOUBLE_EQ(g_tolerances.tol4T, 0.1);
    EXPECT_EQ(g.tableNamePrefix, "_Forantix_");
    EXPECT_EQ(std::string(g_toolLibExt), "Tools");
    // m_main waits 250 ms after the invocation.
    EXPECT_GE(plat::sleptMs(), 250);
}

TEST_F(WorkCycleTest, PathsFollowTheModuleAndTheUnitsInch) {
    host::setMetric(false);
    load();
    script().esc();
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_globals->settingsFile, installDir + "/Tool_in.prm");
    EXPECT_EQ(g_globals->formsDir, installDir + "/Tool/FORMS_INCH");
    EXPECT_EQ(std::string(g_fmtFine), "%.5f");
    EXPECT_EQ(std::string(g_fmtSigned), "%+.5f");
    EXPECT_DOUBLE_EQ(g_tolerances.tol4T, 0.004);   // multiples of the inch base tolerance once read
}

TEST(UnitStartValues, InchStartValuesAreNotAllMultiplesOfT) {
    setUnitTolerances(false);
    EXPECT_DOUBLE_EQ(g_tolerances.tolT, 0.001);
    EXPECT_DOUBLE_EQ(g_tolerances.tol4T, 0.005);
    EXPECT_DOUBLE_EQ(g_tolerances.tol08T, 0.00075);
    EXPECT_DOUBLE_EQ(g_tolerances.maxHoleRadius, 20);
    setUnitTolerances(true);
    EXPECT_DOUBLE_EQ(g_tolerances.tol4T, 0.1);
    EXPECT_EQ(std::string(g_fmtCoarse), "%.1f");
}

TEST_F(WorkCycleTest, AUnitFlagOtherThanOneCountsAsInch) {
    load();
    current_version[7] = 2;
    script().esc();
    m_main();
    EXPECT_FALSE(g_globals->metric());
    EXPECT_EQ(g_globals->settingsFile, installDir + "/Tool_in.prm");
}

TEST_F(WorkCycleTest, PartFileNamesFromTheHost) {
    host::setPartFile("/parts/Bracket.v1.pfp");
    load();
    script().esc();
    m_main();
    EXPECT_EQ(g_globals->partDir, "/parts/");
    EXPECT_EQ(g_globals->partName, "Bracket.v1");
    EXPECT_EQ(g_globals->tffFile, "/parts/Bracket.v1.TFF");
}

TEST_F(WorkCycleTest, AMissingErrorMessagesSectionEndsBeforeTheWorkFolder) {
    installUiTexts("[ProcessMenu]\r\n1. p\r\n[PathNames]\r\n2. Std\r\n[ForantixMenu]\r\n3. dia\r\n");
    load();
    script().answer(plat::IDOK);
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("[ErrorMessages]"));
    EXPECT_FALSE(plat::dirExists(installDir + "/Tool/Tmp"));
    EXPECT_TRUE(g_globals->settingsFile.empty());
    EXPECT_FALSE(g_mainMenu->hasWindow());
    EXPECT_EQ(g_processMenu->getText(1), "p");   // sections loaded before stay loaded
    EXPECT_GE(plat::sleptMs(), 250);
}

TEST_F(WorkCycleTest, NoActiveGroupEndsSilentlyBeforeTheSettings) {
    host::setActiveGroup(false);
    load();
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();
    EXPECT_TRUE(plat::dirExists(installDir + "/Tool/Tmp"));   // the work folder comes first
    EXPECT_FALSE(g_mainMenu->hasWindow());
    EXPECT_EQ(transcript().find("msgbox"), std::string::npos);
    EXPECT_TRUE(g_globals->libraryName.empty());               // settings never read
}

TEST_F(WorkCycleTest, ShortTextsAreCutToTheirLengths) {
    installUiTexts(
        "[ProcessMenu]\r\n1. p\r\n[ErrorMessages]\r\n1. Forantix\r\n[PathNames]\r\n2. Std\r\n"
        "[ForantixMenu]\r\n3. diam\r\n7. " + std::string(40, 'd') + "\r\n12. +/-\r\n");
    load();
    script().esc();
    m_main();
    EXPECT_STREQ(g_txtDiameter, "dia");
    EXPECT_EQ(std::string(g_txtDepth), std::string(30, 'd'));
    EXPECT_STREQ(g_txtPlusMinus, "+/-");
    EXPECT_STREQ(g_txtToolDiameter, "tlDiam");   // defaults where the file lacks a line
    EXPECT_STREQ(g_txtLength, "L=");
}

TEST_F(WorkCycleTest, ToolAndOperationTypesTakeTheirNamesFromTheTexts) {
    load();
    script().esc();
    m_main();
    auto row = [](int type) {
        for (const TOOL_OP_TYPE* r = g_toolOpTypes; r->type >= 0; ++r)
            if (r->type == type) return r;
        return static_cast<const TOOL_OP_TYPE*>(nullptr);
    };
    EXPECT_STREQ(row(1)->toolName, "Center drill");        // ToolTypes 14
    EXPECT_STREQ(row(17)->toolName, "Conical mill");       // ToolTypes 12
    EXPECT_STREQ(row(17)->operationName, "Cone milling");  // OperationTypes 14
    EXPECT_STREQ(row(17)->groupName, "Milling");           // GroupOpNames 9
    EXPECT_STREQ(row(0)->operationName, "Profile milling");  // OperationTypes 19
    EXPECT_EQ(g_engine->configGroupName, "Forantix trial");
    EXPECT_STREQ(g_toolMaterials[1].name, "Carbide");
    EXPECT_EQ(g_toolMaterials[5].id, 6);
}

// Without a machine group nothing of an earlier machine stays: the invocation's second read resets every
// value, the units' rates and the tool change included, and the readers of each fall back on their own.
TEST_F(WorkCycleTest, MachineDefaultsWithoutAMachineGroup) {
    for (const bool metric : {false, true}) {
        SCOPED_TRACE(metric ? "metric" : "inch");
        host::setMachineGroup(false);
        host::setMetric(metric);
        load();
        g_machineInfo.control.maxFeedRate = g_machineInfo.control.rapidRate = 7;
        g_machineInfo.spindleSpeedLimit = 7;
        g_machineInfo.toolChangeSeconds = 7;
        g_machineInfo.componentCount = 7;
        script().esc();
        m_main();
        EXPECT_EQ(g_machineGroup, nullptr);
        EXPECT_TRUE(g_postFile.empty());
        EXPECT_EQ(g_machineInfo.rootMachineGroup, nullptr);
        EXPECT_EQ(g_machineInfo.control.maxFeedRate, 0);
        EXPECT_EQ(g_machineInfo.control.rapidRate, 0);
        EXPECT_EQ(g_machineInfo.spindleSpeedLimit, 0);
        EXPECT_EQ(g_machineInfo.toolChangeSeconds, 0);
        EXPECT_EQ(g_machineInfo.componentCount, 0);
        unload();
    }
}

TEST_F(WorkCycleTest, VersionTextOfTheBuildAndOfAPreRelease) {
    EXPECT_EQ(buildVersionText(g_buildVersion).rfind("Version 3 MR2 \n ", 0), 0u);
    const VERSION_INFO pre{-3.5, 10, 0, -2, 1, 4, "May 01, 2026"};
    EXPECT_EQ(buildVersionText(pre), "Version 3.5 Pre-Release.1 Pre-Beta 2 Alfa 1 SP4 \n May 01, 2026");
    const VERSION_INFO minor{2.25, 5, 1, 3, 0, 0, "x"};
    EXPECT_EQ(buildVersionText(minor), "Version 2.25.05 MR1 Beta 3 \n x");
}

TEST_F(WorkCycleTest, NotifyBeforeTheFirstInvocationOnlyClearsTheResumeAction) {
    load();
    g_resumeAction = 11;
    const int groupsBefore = static_cast<int>(g_preselGroupCounter);
    g_drawEnts->push_back({0, 2, 12, l_3d{{0, 0, 0}, {1, 0, 0}}});
    EXPECT_EQ(m_notify(3), 0);
    EXPECT_EQ(g_resumeAction, 0);
    EXPECT_EQ(static_cast<int>(g_preselGroupCounter), groupsBefore);
    EXPECT_EQ(g_drawEnts->size(), 1u);
}

TEST_F(WorkCycleTest, NotifyRedrawsTemporaryLinesAndResetsThePreselection) {
    load();
    script().esc();
    m_main();
    g_drawEnts->push_back({0, 2, 12, l_3d{{0, 0, 0}, {1, 2, 3}}});
    g_drawEnts->push_back({0, 1, 9, l_3d{}});
    m_notify(1);
    ASSERT_EQ(host::drawnLines().size(), 1u);
    EXPECT_EQ(host::drawnLines()[0].colour, 12);
    EXPECT_DOUBLE_EQ(host::drawnLines()[0].line.e2.z, 3);
    const int groups = static_cast<int>(g_preselGroupCounter);
    g_resumeAction = 4;
    m_notify(6);
    EXPECT_EQ(g_resumeAction, 0);
    EXPECT_EQ(static_cast<int>(g_preselGroupCounter), groups + 1);
    EXPECT_TRUE(g_drawEnts->empty());
}

// What the plug-in keeps of the open part, here a row a run made that its table's file could not take, goes
// when the host tells of another part (notifications 3 and 6), and stays while a work cycle is paused on the
// part: the host then opened none, and the cycle's run goes on with the row.
TEST_F(WorkCycleTest, WhatIsKeptOfThePartGoesWithItButNotWhileACycleIsPaused) {
    const struct {
        int notification;
        bool paused;
    } cases[] = {{3, false}, {6, false}, {3, true}, {6, true}};
    const std::string forms = dir.path() + "/forms";
    ASSERT_TRUE(plat::createDirectories(forms));
    writeReferenceTable(forms, "K", {}, "M8 8 1.25 6.8 1\r\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.notification) + (c.paused ? " paused" : ""));
        load();
        if (c.paused) pausedInvocation();
        else closingInvocation();
        CTabColsDesc made;
        ASSERT_EQ(made.read(forms + "/K.tab"), 0);
        keepRowForRun(made, {"M9", "9", "1", "7", "1"});
        EXPECT_EQ(m_notify(c.notification), 0);
        CTabColsDesc read;
        ASSERT_EQ(read.read(forms + "/K.tab"), 0);
        EXPECT_EQ(read.readRows(), c.paused ? 2 : 1);
        unload();
    }
    forgetRowsKeptForRun();
}

// A cycle paused when the module goes is destroyed, its records released, and nothing of it is written into
// the part: a closing invocation on the same part writes its records, the unload none.
TEST_F(WorkCycleTest, UnloadingMidCycleDestroysWithoutSaving) {
    load();
    ASSERT_TRUE(part_notes::noteTexts().empty());
    pausedInvocation();
    ASSERT_TRUE(g_records.constructed());
    unload();
    EXPECT_FALSE(pluginAttached());
    EXPECT_FALSE(g_globals.constructed());
    EXPECT_FALSE(g_records.constructed());
    EXPECT_EQ(heldTreeRecords(), 0u);
    EXPECT_TRUE(part_notes::noteTexts().empty()) << "the unload saved the paused cycle's records";
    EXPECT_EQ(m_main(), 0);   // a call after unload is harmless

    load();
    closingInvocation();
    EXPECT_FALSE(part_notes::noteTexts().empty()) << "a closed cycle writes no record, so the check above cannot fail";
}

}  // namespace

namespace {

TEST_F(WorkCycleTest, AWorkFolderThatCannotBeMadeIsReportedAndTheInvocationGoesOn) {
    std::filesystem::remove_all(installDir + "/Tool");   // the table library the fixture installed
    ASSERT_TRUE(plat::writeFile(installDir + "/Tool", "a file where the data folder should be"));
    load();
    script().answer(plat::IDOK).esc();
    m_main();
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("The work folder could not be created:\\n" + installDir + "/Tool/Tmp"));
    EXPECT_TRUE(transcript().contains("dialog.show 18048"));
}

}  // namespace
