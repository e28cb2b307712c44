// The settings as a user's installation meets them: the first run writes the file, edited values come back
// inside their ranges, the part's record wins over the file, and the tolerances follow the base tolerance.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "host/state.h"
#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/base/settings.h"
#include "plugin/base/text_section.h"
#include "support/plugin_fixture.h"

namespace {

class SettingsTest : public PluginFixture {
protected:
    std::string settingsFile() const { return installDir + "/Tool_mm.prm"; }
    std::string inchFile() const { return installDir + "/Tool_in.prm"; }
    void invoke() {
        script().esc();
        m_main();
        expectScriptPlayed();
    }
    void writeSection(const std::string& file, const std::string& section, const std::string& body) {
        std::string bytes = plat::readFile(file).value_or("");
        ASSERT_TRUE(plat::writeFile(file, bytes + "[" + section + "]\r\n" + body));
    }
    std::string item(const std::string& file, const char* section, int id) {
        CTextSection s;
        if (s.load(file, section, false) != 0) return "<no section>";
        return s.getTextOr(id, "<no item>");
    }
    const PRM_SETTINGS& settings() { return g_globals->settings; }
};

TEST_F(SettingsTest, FirstRunWritesEveryDefaultAndTheSharedSectionOfTheOtherUnit) {
    load();
    invoke();
    for (const char* section : kSettingsSections) EXPECT_NE(item(settingsFile(), section, 1), "<no section>") << section;
    EXPECT_EQ(item(settingsFile(), "General", 1), "33");
    EXPECT_EQ(item(settingsFile(), "General", 6), "");
    EXPECT_EQ(item(settingsFile(), "Levels", 2), "1000254");
    EXPECT_EQ(item(settingsFile(), "ProcessMach", 9), "40.0000");
    EXPECT_EQ(item(settingsFile(), "ProcessMach", 2), "Standard");
    EXPECT_EQ(item(settingsFile(), "ProcessMachTool", 3), "1");   // stored inverted: adapting is off
    EXPECT_EQ(item(settingsFile(), "FeatMgrFilter", 7), "0 9 13 0 0 0 ");
    EXPECT_EQ(item(settingsFile(), "FeatMgrReamColors", 1), "Q_Reaming{H6}");
    EXPECT_EQ(item(inchFile(), "SharedData", 1), "0");
    EXPECT_EQ(item(inchFile(), "General", 1), "<no section>");
    const std::string bytes = plat::readFile(settingsFile()).value_or("");
    EXPECT_EQ(bytes.rfind("[SharedData]\r\n1. 0\r\n2. 0\r\n3. \r\n[General]\r\n", 0), 0u) << bytes.substr(0, 80);
}

TEST_F(SettingsTest, ValuesOutOfRangeComeBackAsTheRulesSay) {
    writeSection(settingsFile(), "ProcessMach", "24. 1.5\r\n28. 0.995\r\n51. 45\r\n53. 1\r\n52. 7\r\n54. 0\r\n");
    writeSection(settingsFile(), "ProcessMachTool", "5. 20\r\n6. 180\r\n");
    writeSection(settingsFile(), "Levels", "1. 0\r\n2. 0\r\n3. -5\r\n");
    load();
    invoke();
    EXPECT_DOUBLE_EQ(settings().breakthroughRatio, 0.5);
    EXPECT_DOUBLE_EQ(settings().firstFaceShare, 0.5);
    EXPECT_DOUBLE_EQ(settings().minSweepAngle, 90);
    EXPECT_DOUBLE_EQ(settings().axisAngleTolerance, 0.5);
    EXPECT_DOUBLE_EQ(settings().roundnessTolerance, 0.1);      // held in 0.04T..4T of the start values
    EXPECT_DOUBLE_EQ(settings().openBoundaryTolerance, 0.01);  // held in 0.4T..40T
    EXPECT_DOUBLE_EQ(settings().minDrawnTipAngle, 30);
    EXPECT_DOUBLE_EQ(settings().maxDrawnTipAngle, 179);
    EXPECT_EQ(settings().newFormsLevel, 0);
    EXPECT_EQ(settings().featuresLevel, 1000254);
    EXPECT_EQ(settings().isolationLevel, 1000253);
    EXPECT_EQ(settings().featuresLevelCopy, 1000254);   // the checked level
}

// A tool library the settings name that is gone gives way to the host's own, and the message line says so.
TEST_F(SettingsTest, AToolLibraryThatIsGoneGivesWayToTheHostsOwn) {
    writeSection(settingsFile(), "ProcessMach", "1. /nowhere/Gone.Tools\r\n");
    const std::string hostLibrary = dir.path() + "/host/Mill/Tools/Mill_mm.Tools";
    host::setHostDir(dir.path() + "/host/");
    ASSERT_TRUE(plat::createDirectories(dir.path() + "/host/Mill/Tools"));
    ASSERT_TRUE(plat::writeFile(hostLibrary, "library"));
    load();
    invoke();
    EXPECT_EQ(settings().toolLibraryPath, hostLibrary);
    EXPECT_TRUE(transcript().contains("The tool library /nowhere/Gone.Tools is not found")) << transcript().lines().back();
}

// Values no comparison can hold (NaN, infinities) and values beyond an item's own range go back to their
// defaults with one message naming them, and the defaults are what the file holds afterwards.
TEST_F(SettingsTest, NanInfiniteAndOutOfRangeDecimalsKeepTheirDefaultsWithAMessage) {
    writeSection(settingsFile(), "ProcessMach",
                 "16. nan\r\n53. NAN\r\n9. inf\r\n11. -1\r\n7. 1e300\r\n24. -nan\r\n52. 0.05\r\n");
    writeSection(settingsFile(), "ProcessMachTool", "5. infinity\r\n12. 1e6\r\n");
    writeSection(settingsFile(), "FeatSDTsettings", "4. 1e12\r\n");
    load();
    script().answer(plat::IDOK).esc();
    m_main();
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains(
        "These settings were not a number or out of their range and are back at their defaults:\\n"
        "ProcessMach 7, ProcessMach 9, ProcessMach 11, ProcessMach 16, ProcessMach 24, ProcessMach 53, "
        "ProcessMachTool 5, ProcessMachTool 12, FeatSDTsettings 4\""))
        << transcript().lines().back();
    EXPECT_DOUBLE_EQ(settings().baseTolerance, 0.025);
    EXPECT_DOUBLE_EQ(g_tolerances.tolT, 0.025);
    EXPECT_DOUBLE_EQ(settings().axisAngleTolerance, 0.04);
    EXPECT_DOUBLE_EQ(settings().maxDiameter, 40);
    EXPECT_DOUBLE_EQ(settings().minDiameter, 0.5);
    EXPECT_DOUBLE_EQ(settings().initialHeight, 0);
    EXPECT_DOUBLE_EQ(settings().breakthroughRatio, 0.5);
    EXPECT_DOUBLE_EQ(settings().minDrawnTipAngle, 116);
    EXPECT_DOUBLE_EQ(settings().spotDrillDiameter, 16);
    EXPECT_DOUBLE_EQ(settings().blindTapAddPercent, 150);
    EXPECT_DOUBLE_EQ(settings().roundnessTolerance, 0.05);   // in range: kept
    EXPECT_EQ(item(settingsFile(), "ProcessMach", 16), "0.0250");
    EXPECT_EQ(item(settingsFile(), "ProcessMach", 53), "0.0400");

    // The file now holds the defaults: the next cycle says nothing.
    plat::driver().reset();
    invoke();
}

// An inch part's length ranges are the metric ones in inches: 0.5 is a fine base tolerance in millimetres
// and far too coarse in inches.
TEST_F(SettingsTest, LengthRangesFollowTheUnits) {
    host::setMetric(false);
    writeSection(inchFile(), "ProcessMach", "16. 0.5\r\n9. 2\r\n");
    load();
    script().answer(plat::IDOK).esc();
    m_main();
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("ProcessMach 16\""));
    EXPECT_DOUBLE_EQ(settings().baseTolerance, 0.001);
    EXPECT_DOUBLE_EQ(settings().maxDiameter, 2);
}

TEST_F(SettingsTest, ValuesOnTheBoundsStay) {
    writeSection(settingsFile(), "ProcessMach", "24. 1\r\n28. 0.99\r\n51. 400\r\n53. 0\r\n");
    load();
    invoke();
    EXPECT_DOUBLE_EQ(settings().breakthroughRatio, 1);
    EXPECT_DOUBLE_EQ(settings().firstFaceShare, 0.99);
    EXPECT_DOUBLE_EQ(settings().minSweepAngle, 360);
    EXPECT_DOUBLE_EQ(settings().axisAngleTolerance, 0.001);
}

TEST_F(SettingsTest, TolerancesFollowTheBaseTolerance) {
    writeSection(settingsFile(), "ProcessMach", "16. 0.05\r\n53. 0.04\r\n");
    load();
    invoke();
    EXPECT_DOUBLE_EQ(g_tolerances.tolT, 0.05);
    EXPECT_DOUBLE_EQ(g_tolerances.tol4T, 0.2);
    EXPECT_DOUBLE_EQ(g_tolerances.tol0004T, 0.0002);
    EXPECT_NEAR(g_tolerances.axisAngle, 0.000698, 1e-6);
    EXPECT_DOUBLE_EQ(g_tolerances.pointMergeDist, 0.05);   // fixed by units
}

TEST_F(SettingsTest, ColourListsAndInvertedAndNormalisedItems) {
    writeSection(settingsFile(), "FeatMgrFilter", "7. 5 6\r\n8. 5\r\n");
    writeSection(settingsFile(), "ProcessMachTool", "3. 0\r\n");
    writeSection(settingsFile(), "ProcessMach", "47. 7\r\n50. -3\r\n24. abc\r\n");
    ASSERT_TRUE(plat::createDirectories(dir.path() + "/shared/FORMS_MM/Standard"));
    writeSection(settingsFile(), "SharedData", "1. 9\r\n3. " + dir.path() + "/shared\r\n");
    load();
    invoke();
    EXPECT_EQ(settings().reamClassColours, (std::array<std::uint8_t, 6>{5, 6, 13, 0, 0, 0}));
    EXPECT_EQ(settings().threadClassColours, (std::array<std::uint8_t, 3>{5, 5, 5}));
    EXPECT_EQ(settings().adaptDrillAngle, 1);
    EXPECT_EQ(settings().nameNewViews, 1);
    EXPECT_EQ(settings().reamOnlyOnMarkedSide, 1);
    EXPECT_DOUBLE_EQ(settings().breakthroughRatio, 0);   // letters read as 0, which is in range
    EXPECT_EQ(g_globals->sharedDataOn, 1);
}

TEST_F(SettingsTest, ReportFilesAlwaysNameTheCurrentPart) {
    host::setPartFile("/work/parts/Flange.pfp");
    writeSection(settingsFile(), "ProcessMach", "33. /elsewhere/old.txt\r\n35. /elsewhere/old2.txt\r\n");
    load();
    invoke();
    EXPECT_EQ(settings().drillingListFile, "/work/parts/Flange.txt");
    EXPECT_EQ(settings().machiningTimeFile, "/work/parts/Flange_Time.txt");
}

// A part at the root of a drive: the root's separator stays between it and the name (a split and join
// that both dropped it would still agree with each other).
TEST_F(SettingsTest, ReportFilesOfAPartAtTheRootKeepTheRoot) {
    struct Case {
        const char* part;
        const char* list;
        const char* tff;
    };
    const Case cases[] = {
        {"/Flange.pfp", "/Flange.txt", "/Flange.TFF"},
        {"C:\\Flange.pfp", "C:\\Flange.txt", "C:\\Flange.TFF"},
        {"C:Flange.pfp", "C:Flange.txt", "C:Flange.TFF"},
    };
    load();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        host::setPartFile(c.part);
        plat::driver().reset();
        invoke();
        EXPECT_EQ(settings().drillingListFile, c.list);
        EXPECT_EQ(g_globals->tffFile, c.tff);
    }
}

TEST_F(SettingsTest, SharedFolderLosesItsFormsEnding) {
    writeSection(settingsFile(), "SharedData", "3. \\\\server\\lib\\Forms_mm\\\r\n");
    load();
    invoke();
    EXPECT_EQ(g_globals->sharedDir, "\\\\server\\lib");
}

TEST_F(SettingsTest, EmptyDefaultsSectionAppliesEveryDefaultText) {
    std::string texts = plat::readFile(std::string(FX_SOURCE_DIR) + "/data/Forantix.txt").value_or("");
    const std::size_t at = texts.find("[DefaultSettings]");
    ASSERT_NE(at, std::string::npos);
    const std::size_t end = texts.find("[MachiningTime]");
    texts.replace(at, end - at, "[DefaultSettings]\r\n( no lines\r\n");
    installUiTexts(texts);
    host::setMetric(false);
    load();
    invoke();
    EXPECT_EQ(settings().featuresLevel, 1000254);
    EXPECT_EQ(settings().reamArcColour, 20);
    EXPECT_DOUBLE_EQ(settings().initialHeight, 0);
    EXPECT_DOUBLE_EQ(settings().clearanceAddition, 0.25);
    EXPECT_DOUBLE_EQ(settings().retractHeight, 0.1);
    EXPECT_DOUBLE_EQ(settings().maxDiameter, 1.5);
    EXPECT_DOUBLE_EQ(settings().roundnessTolerance, 0.0002);
    EXPECT_DOUBLE_EQ(settings().openBoundaryTolerance, 0.005);
}

TEST_F(SettingsTest, KeepPathsLeavesTheLibrariesAndResetsTheRest) {
    load();
    invoke();
    g_globals->settings.toolLibraryPath = "/my/tools.tooldb";
    g_globals->libraryName = "Mine";
    g_globals->settings.maxDiameter = 12;
    setDefaultSettings(1);
    EXPECT_EQ(settings().toolLibraryPath, "/my/tools.tooldb");
    EXPECT_EQ(g_globals->libraryName, "Mine");
    EXPECT_DOUBLE_EQ(settings().maxDiameter, 40);
}

TEST_F(SettingsTest, TheSettingsRecordInThePartWinsOverTheFile) {
    load();
    invoke();   // writes the record into the part and the file
    g_globals->settings.maxDiameter = 25;
    g_globals->settings.spotDrillName = "SPOT 90";
    g_globals->settings.threadClassColours = {7, 8, 9};
    g_globals->settings.readWriteMode = 1;   // the part only: the file keeps its values
    writeSettings(0);
    EXPECT_EQ(item(settingsFile(), "ProcessMach", 9), "40.0000");
    invoke();
    EXPECT_DOUBLE_EQ(settings().maxDiameter, 25);
    EXPECT_EQ(settings().spotDrillName, "SPOT 90");
    EXPECT_EQ(settings().threadClassColours, (std::array<std::uint8_t, 3>{7, 8, 9}));
    EXPECT_EQ(settings().readWriteMode, 1);
}

// A part saved on another station brings its work settings, never the station's own: sharing, access and
// shared folder, tool library, table library.
TEST_F(SettingsTest, APartNeverBringsWhatBelongsToTheStation) {
    load();
    invoke();
    const std::string ownLibrary = g_globals->libraryName, ownTools = settings().toolLibraryPath;
    // The part as the other station left it.
    g_globals->sharedDataOn = 1;
    g_globals->sharedAccessMode = 1;
    g_globals->sharedDir = "/elsewhere/shared";
    g_globals->settings.toolLibraryPath = "/elsewhere/tools.tooldb";
    g_globals->libraryName = "../../../../other/lib";
    g_globals->settings.maxDiameter = 25;
    writeSettingsRecord(g_globals->settings.featuresLevel);
    invoke();
    EXPECT_EQ(g_globals->sharedDataOn, 0);
    EXPECT_EQ(g_globals->sharedAccessMode.load(), 0);
    EXPECT_EQ(g_globals->sharedDir, "");
    EXPECT_EQ(settings().toolLibraryPath, ownTools);
    EXPECT_EQ(g_globals->libraryName, ownLibrary);
    EXPECT_DOUBLE_EQ(settings().maxDiameter, 25);   // the work settings come with the part
    EXPECT_EQ(item(settingsFile(), "SharedData", 1), "0");
}

TEST_F(SettingsTest, ALibraryNameThatLeavesTheFormsFolderIsRefused) {
    load();
    invoke();
    const std::string standard = g_globals->libraryName;
    for (const char* name : {"../../../../other/lib", "..\\x", "/abs/lib", "C:lib"}) {
        ASSERT_TRUE(plat::writeFile(settingsFile(), std::string("[ProcessMach]\r\n2. ") + name + "\r\n"));
        plat::driver().transcript().clear();
        readSettings();
        EXPECT_EQ(g_globals->libraryName, standard) << name;
        EXPECT_TRUE(transcript().contains(" is refused: a library or table name")) << name;
    }
}

// Installed in a folder whose name holds the unit's marker: both units' files stay beside the plug-in.
TEST_F(SettingsTest, AnInstallFolderNamedLikeAUnitKeepsBothSettingsFiles) {
    installDir = dir.path() + "/P_mm.x/X";
    ASSERT_TRUE(plat::createDirectories(installDir));
    installUiTexts(plat::readFile(std::string(FX_SOURCE_DIR) + "/data/Forantix.txt").value_or(""));
    installTableLibrary();
    load();
    invoke();
    invoke();
    EXPECT_EQ(item(settingsFile(), "SharedData", 1), "0");
    EXPECT_EQ(item(inchFile(), "SharedData", 1), "0");
    EXPECT_FALSE(plat::dirExists(dir.path() + "/P_in.x"));
    EXPECT_FALSE(transcript().contains("could not be written"));
}

TEST(SettingsFiles, TheOtherUnitsFileSwapsTheUnitPart) {
    EXPECT_EQ(otherUnitSettingsFile("/p/x_mm.prm"), "/p/x_in.prm");
    EXPECT_EQ(otherUnitSettingsFile("/p/x_in.prm"), "/p/x_mm.prm");
    // The folders keep their names: only the file's own name tells the unit.
    EXPECT_EQ(otherUnitSettingsFile("/a_mm.b/x_mm.prm"), "/a_mm.b/x_in.prm");
    EXPECT_EQ(otherUnitSettingsFile("/a_in.b/x_mm.prm"), "/a_in.b/x_in.prm");
    EXPECT_EQ(otherUnitSettingsFile("C:\\p_mm.q\\x_in.prm"), "C:\\p_mm.q\\x_mm.prm");
    EXPECT_EQ(otherUnitSettingsFile("x_mm.prm"), "x_in.prm");
}

}  // namespace
