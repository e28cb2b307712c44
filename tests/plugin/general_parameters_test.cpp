// The general parameters as the user meets them behind the main menu's Parameters button: what the pages
// show, what OK refuses and stores, what Cancel keeps, the pick of the drilling side's point and the next
// Execute working with what was stored.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <string>

#include "host/builder/hole_kinds.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "platform/sys/files.h"
#include "platform/ui/dialog.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_section.h"
#include "plugin/resources/general_parameters_ids.h"
#include "plugin/settings/settings_dialogs.h"
#include "support/settings_dialog_fixture.h"

namespace {


using GeneralParametersTest = SettingsDialogFixture;

// ---- precision ------------------------------------------------------------------------------------------

TEST_F(GeneralParametersTest, APrecisionOfNoListEntryShowsInTheFieldAndOkStoresIt) {
    writeSettings("ProcessMach", "16. 0.03\r\n");
    load();
    open().click(kDlg, plat::IDOK);
    run();
    EXPECT_EQ(text(kDlg, gp::kComboPrecision), "0.030");
    EXPECT_NE(shown(kDlg, gp::kComboPrecision).find("sel=-1"), std::string::npos);
    EXPECT_DOUBLE_EQ(settings().baseTolerance, 0.03);
    EXPECT_EQ(count("dialog.show 18031"), 1);
}

// The drop-down list is as wide as its seven entries' fields are high (21 pixels each).
TEST_F(GeneralParametersTest, APrecisionOfTheListIsSelected) {
    load();
    open().click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_NE(shown(kDlg, gp::kComboPrecision).find("items=[\"0.005\",\"0.010\",\"0.025\",\"0.050\",\"0.100\",\"0.250\",\"0.500\"] sel=2 dropped=147"),
              std::string::npos)
        << shown(kDlg, gp::kComboPrecision);
}

// A precision outside the unit's limits is told, replaced by the nearer limit and OK refused; Cancel then
// stores nothing. Text that is no number, and NaN or infinite text, reads as 0.
TEST_F(GeneralParametersTest, APrecisionOutOfItsLimitsIsToldAndReplacedAndOkRefused) {
    struct Case {
        bool metric;
        const char* typed;
        const char* message;   // "" when OK passes
        const char* shownAfter;
    };
    const Case cases[] = {
        {true, "0.001", "The precision is below the smallest value allowed.", "0.005"},
        {true, "1.5", "The precision is above the largest value allowed.", "1.000"},
        {true, "abc", "The precision is below the smallest value allowed.", "0.005"},
        {true, "nan", "The precision is below the smallest value allowed.", "0.005"},
        {true, "inf", "The precision is below the smallest value allowed.", "0.005"},
        {true, "1e999", "The precision is below the smallest value allowed.", "0.005"},
        {true, "0.75", "", "0.750"},
        {true, "1.0", "", "1.000"},
        {false, "0.0001", "The precision is below the smallest value allowed.", "0.0002"},
        {false, "0.05", "The precision is above the largest value allowed.", "0.0400"},
        {false, "0.03", "", "0.0300"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.metric ? "metric " : "inch ") + c.typed);
        fresh();
        if (!c.metric) host::setMetric(false);
        load();
        const double before = c.metric ? 0.025 : 0.001;
        open().type(kDlg, gp::kComboPrecision, c.typed).click(kDlg, plat::IDOK);
        if (*c.message) script().answer(plat::IDOK).click(kDlg, plat::IDCANCEL);
        run();
        EXPECT_EQ(text(kDlg, gp::kComboPrecision), c.shownAfter);
        if (*c.message) {
            EXPECT_TRUE(transcript().contains(c.message));
            EXPECT_DOUBLE_EQ(settings().baseTolerance, before);
        } else {
            EXPECT_FALSE(transcript().contains("The precision is"));
            EXPECT_DOUBLE_EQ(settings().baseTolerance, std::atof(c.typed));
        }
    }
}

// The corrected value passes the next OK.
TEST_F(GeneralParametersTest, TheCorrectedPrecisionPassesTheNextOk) {
    load();
    open().type(kDlg, gp::kComboPrecision, "7").click(kDlg, plat::IDOK).answer(plat::IDOK).click(kDlg, plat::IDOK);
    run();
    EXPECT_DOUBLE_EQ(settings().baseTolerance, 1.0);
}

// ---- the pages' values ----------------------------------------------------------------------------------

TEST_F(GeneralParametersTest, PercentagesShowTimesAHundredAndAreStoredAsFractions) {
    writeSettings("ProcessMach", "24. 0.3\r\n28. 0.25\r\n");
    load();
    auto typePercentages = [this](int close) {
        open()
            .select(kDlg, gp::kTab, kPageHeights)
            .click(kDlg, gp::kRadioBreakPercent)
            .type(kDlg, gp::kEditBreakPercent, "40")
            .select(kDlg, gp::kTab, kPageDepths)
            .check(kDlg, gp::kCheckTryDrill, 1)
            .type(kDlg, gp::kEditFirstFace, "60")
            .click(kDlg, close);
    };
    typePercentages(plat::IDCANCEL);
    open().click(kDlg, plat::IDCANCEL);
    run();
    // Cancel stored nothing: the second opening shows the stored fractions times 100 again.
    EXPECT_EQ(text(kDlg, gp::kEditBreakPercent), "30.00");
    EXPECT_EQ(text(kDlg, gp::kEditFirstFace), "25");
    EXPECT_DOUBLE_EQ(settings().breakthroughRatio, 0.3);

    typePercentages(plat::IDOK);
    run();
    EXPECT_DOUBLE_EQ(settings().breakthroughRatio, 0.4);
    EXPECT_DOUBLE_EQ(settings().firstFaceShare, 0.6);
    EXPECT_EQ(settings().breakthroughMode, 1);
    EXPECT_EQ(settings().tryDrillBeyondMax, 1);
}

TEST_F(GeneralParametersTest, AFirstToolNumberBelowOneBecomesOne) {
    for (const char* typed : {"0", "-5", "x"}) {
        SCOPED_TRACE(typed);
        load();
        open().select(kDlg, gp::kTab, kPageTools).type(kDlg, gp::kEditFirstToolNumber, typed).click(kDlg, plat::IDOK);
        run();
        EXPECT_EQ(text(kDlg, gp::kEditFirstToolNumber), "1");
        EXPECT_EQ(settings().firstToolNumber, 1);
        fresh();
    }
    load();
    open().select(kDlg, gp::kTab, kPageTools).type(kDlg, gp::kEditFirstToolNumber, "12").click(kDlg, plat::IDOK);
    run();
    EXPECT_EQ(settings().firstToolNumber, 12);
}

// The spot drill's diameter, depth percentage and depth are kept in step as the user types.
TEST_F(GeneralParametersTest, TheSpotDrillFieldsAreKeptInStep) {
    struct Case {
        const char* diameter;
        const char* percent;   // nullptr: not typed
        const char* depth;     // nullptr: not typed
        const char* percentShown;
        const char* depthShown;
    };
    const Case cases[] = {
        {"10", "30", nullptr, "30", "3.0"},
        {"10", nullptr, "4", "40.0", "4"},
        {"0", nullptr, "4", "30.0", "4"},   // no diameter: the percentage stays
        {"8", "50", nullptr, "50", "4.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.diameter) + (c.percent ? " %" : " depth"));
        // The spot drill by diameter, at 30 %: switching the override on asks for no library tool.
        fresh();
        writeSettings("ProcessMachTool", "11. 0\r\n14. 30\r\n");
        load();
        open()
            .select(kDlg, gp::kTab, kPageTools)
            .check(kDlg, gp::kCheckSpotOverride, 1)
            .click(kDlg, gp::kRadioSpotByDiameter)
            .type(kDlg, gp::kEditSpotDiameter, c.diameter);
        if (c.percent) script().type(kDlg, gp::kEditSpotPercent, c.percent);
        if (c.depth) script().type(kDlg, gp::kEditSpotDepth, c.depth);
        script().click(kDlg, plat::IDOK);
        run();
        EXPECT_EQ(text(kDlg, gp::kEditSpotPercent), c.percentShown);
        EXPECT_EQ(text(kDlg, gp::kEditSpotDepth), c.depthShown);
        EXPECT_TRUE(std::isfinite(settings().spotDepthPercent));
        EXPECT_DOUBLE_EQ(settings().spotDepthPercent, std::atof(c.percentShown));
        EXPECT_EQ(settings().overrideSpotDrill, 1);
        EXPECT_EQ(settings().spotDrillByName, 0);
        unload();
    }
}

// A typed percentage is stored as a fraction; text that is no number, NaN or infinite text included, reads
// as 0, and a share above the whole is put back by the next read of the settings. Nothing that is no
// number reaches the settings.
TEST_F(GeneralParametersTest, ATypedBreakthroughPercentageIsStoredAsAFractionOrRefused) {
    struct Case {
        const char* typed;
        double stored;
    };
    for (const Case& c : {Case{"35", 0.35}, Case{"150", 0.5}, Case{"nan", 0}, Case{"-inf", 0}, Case{"abc", 0}}) {
        SCOPED_TRACE(c.typed);
        fresh();
        load();
        open()
            .select(kDlg, gp::kTab, kPageHeights)
            .type(kDlg, gp::kEditBreakPercent, c.typed)
            .type(kDlg, gp::kEditInitialHeight, "12.5")
            .click(kDlg, plat::IDOK);
        run();
        EXPECT_TRUE(std::isfinite(settings().breakthroughRatio));
        EXPECT_DOUBLE_EQ(settings().breakthroughRatio, c.stored);
        EXPECT_DOUBLE_EQ(settings().initialHeight, 12.5);
    }
}

// ---- OK without changes ---------------------------------------------------------------------------------

// The dialog shows what is stored and OK stores what it shows: opened and confirmed, every setting stays as
// it was, whichever drill-angle button the stored value ticks (the file keeps that item inverted).
TEST_F(GeneralParametersTest, OkWithoutChangesKeepsEverySetting) {
    struct Case {
        const char* fileItem;
        std::int16_t adapt;
    };
    for (const Case& c : {Case{"0", 1}, Case{"1", 0}}) {
        SCOPED_TRACE(c.adapt);
        writeSettings("ProcessMachTool", std::string("3. ") + c.fileItem + "\r\n4. 1\r\n");
        load();
        open().click(kDlg, plat::IDOK);
        run();
        EXPECT_EQ(settings().adaptDrillAngle, c.adapt);
        EXPECT_EQ(settings().warnDrillAngle, 1);
        EXPECT_EQ(fileItem("ProcessMachTool", 3), c.fileItem);
        const std::string first = plat::readFile(settingsFile()).value_or("");
        open().click(kDlg, plat::IDOK);
        run();
        EXPECT_EQ(plat::readFile(settingsFile()).value_or(""), first);
        fresh();
    }
}

// ---- reset to defaults ----------------------------------------------------------------------------------

TEST_F(GeneralParametersTest, ResetAnsweredWithCancelKeepsTheValues) {
    writeSettings("ProcessMach", "16. 0.05\r\n24. 0.3\r\n");
    load();
    open().click(kDlg, gp::kButtonDefaults).answer(plat::IDCANCEL).click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_TRUE(transcript().contains("Set every parameter to its default value?"));
    EXPECT_EQ(text(kDlg, gp::kComboPrecision), "0.050");
    EXPECT_DOUBLE_EQ(settings().baseTolerance, 0.05);
    EXPECT_DOUBLE_EQ(settings().breakthroughRatio, 0.3);
}

// The defaults go straight into the settings: a Cancel of the dialog after the reset leaves them in force,
// but the tool library and the forms library stay.
TEST_F(GeneralParametersTest, ResetThenCancelLeavesTheDefaultsButKeepsTheLibraries) {
    writeSettings("ProcessMach", "16. 0.05\r\n24. 0.3\r\n");
    load();
    open().click(kDlg, plat::IDCANCEL);
    run();
    const std::string toolLibrary = settings().toolLibraryPath;
    const std::string formsLibrary = g_globals->libraryName;
    ASSERT_FALSE(formsLibrary.empty());
    open().click(kDlg, gp::kButtonDefaults).answer(plat::IDOK).click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_EQ(text(kDlg, gp::kComboPrecision), "0.025");
    EXPECT_DOUBLE_EQ(settings().baseTolerance, 0.025);
    EXPECT_DOUBLE_EQ(settings().breakthroughRatio, 0.5);
    EXPECT_EQ(settings().toolLibraryPath, toolLibrary);
    EXPECT_EQ(g_globals->libraryName, formsLibrary);
    EXPECT_EQ(fileItem("ProcessMach", 16), "0.0250");
}

// ---- pages and enabling ---------------------------------------------------------------------------------

TEST_F(GeneralParametersTest, EachTabShowsItsPageOnly) {
    load();
    open().select(kDlg, gp::kTab, kPageDepths).click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_NE(shown(kDlg, gp::kEditOpenSpace).find("visible=1"), std::string::npos);
    EXPECT_NE(shown(kDlg, gp::kEditMinDiameter).find("visible=0"), std::string::npos);
    EXPECT_NE(shown(kDlg, gp::kEditInitialHeight).find("visible=0"), std::string::npos);
    // The warning for blind holes deeper than the longest drill is never offered.
    EXPECT_NE(shown(kDlg, gp::kCheckWarnMaxDepth).find("visible=0"), std::string::npos);
    EXPECT_NE(shown(kDlg, gp::kTab).find("items=[\"General\",\"Tools\",\"Heights\",\"Depths\",\"Through shapes\"] sel=3"),
              std::string::npos)
        << shown(kDlg, gp::kTab);
    EXPECT_NE(plat::lastSnapshot(kDlg).find("caption=\"Parameters (mm)\""), std::string::npos);
}

// The hidden warning's stored value passes OK unchanged.
TEST_F(GeneralParametersTest, TheHiddenMaxDepthWarningPassesOkUnchanged) {
    for (const char* stored : {"0", "1"}) {
        writeSettings("ProcessMach", std::string("29. ") + stored + "\r\n");
        load();
        open().click(kDlg, plat::IDOK);
        run();
        EXPECT_EQ(settings().warnMaxDepth, std::atoi(stored)) << stored;
        fresh();
    }
}

TEST_F(GeneralParametersTest, EnablingRulesFollowTheChecksAndRadios) {
    load();
    open()
        .click(kDlg, gp::kRadioSpotOnly)
        .select(kDlg, gp::kTab, kPageHeights)
        .check(kDlg, gp::kCheckSubprograms, 0)
        .select(kDlg, gp::kTab, kPageThroughShapes)
        .click(kDlg, gp::kRadioReamedNever)
        .click(kDlg, gp::kRadioNotReamedAlways)
        .click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_NE(shown(kDlg, gp::kCheckNoTapping).find("enabled=0"), std::string::npos);
    EXPECT_NE(shown(kDlg, gp::kCheckNoReaming).find("enabled=0"), std::string::npos);
    EXPECT_NE(shown(kDlg, gp::kRadioAbsolute).find("enabled=0"), std::string::npos);
    EXPECT_NE(shown(kDlg, gp::kCheckReamedOpposite).find("enabled=0"), std::string::npos);
    EXPECT_NE(shown(kDlg, gp::kCheckNotReamedOpposite).find("enabled=1"), std::string::npos) << shown(kDlg, gp::kCheckNotReamedOpposite);
}

// ---- texts, libraries and folders -----------------------------------------------------------------------

// Without its texts the dialog ends at once as confirmed, and stores nothing.
TEST_F(GeneralParametersTest, WithoutItsTextsTheDialogEndsAtOnceAndStoresNothing) {
    std::string texts = plat::readFile(std::string(FX_SOURCE_DIR) + "/data/Forantix.txt").value_or("");
    const std::size_t from = texts.find("[ParametersDlg]");
    ASSERT_NE(from, std::string::npos);
    texts.erase(from, texts.find("\n[", from) + 1 - from);
    installUiTexts(texts);
    writeSettings("ProcessMach", "16. 0.05\r\n");
    load();
    open();
    run();
    EXPECT_TRUE(transcript().contains("dialog.end 18031 code=1"));
    EXPECT_EQ(count("dialog.show 18031"), 0);
    EXPECT_DOUBLE_EQ(settings().baseTolerance, 0.05);
}

// A tool library chosen is kept in lower case (names are found whatever their case); a cancelled choice
// changes nothing.
TEST_F(GeneralParametersTest, AChosenToolLibraryIsKeptInLowerCase) {
    const std::string library = dir.path() + "/SHOP.Tools";
    ASSERT_TRUE(plat::writeFile(library, ""));
    load();
    open()
        .select(kDlg, gp::kTab, kPageTools)
        .click(kDlg, gp::kButtonChangeLibrary)
        .file("")
        .click(kDlg, gp::kButtonChangeLibrary)
        .file(library)
        .click(kDlg, plat::IDOK);
    run();
    std::string lower = library;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(text(kDlg, gp::kLabelToolLibrary), lower);
    EXPECT_EQ(settings().toolLibraryPath, lower);
    EXPECT_EQ(count("filter=\"Tool libraries|*.Tools||\""), 2);
}

TEST_F(GeneralParametersTest, EditingTheToolLibraryNeedsAMachineGroup) {
    host::setMachineGroup(false);
    load();
    open().select(kDlg, gp::kTab, kPageTools).click(kDlg, gp::kButtonEditLibrary).answer(plat::IDOK).click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_TRUE(transcript().contains("The machine has no machine group."));
}

// With sharing off and no library in the local forms folder the user is told, and the list stays empty.
TEST_F(GeneralParametersTest, AnEmptyLocalFormsFolderIsToldAndLeavesTheListEmpty) {
    load();
    std::error_code error;
    std::filesystem::remove_all(installDir + "/Tool/FORMS_MM", error);
    ASSERT_TRUE(plat::createDirectories(installDir + "/Tool/FORMS_MM"));
    // After the dialog the command finds no table in the library and says so too.
    open().answer(plat::IDOK).click(kDlg, plat::IDCANCEL).answer(plat::IDOK);
    run();
    EXPECT_TRUE(transcript().contains("msgbox owner=18031 type=OK caption=\"Forantix\" text=\"The forms folder " +
                                      installDir + "/Tool/FORMS_MM holds no table library.\""));
    EXPECT_NE(shown(kDlg, gp::kComboLibrary).find("items=[] sel=-1"), std::string::npos) << shown(kDlg, gp::kComboLibrary);
}

// The report files are proposed beside the last ones, named after the part.
TEST_F(GeneralParametersTest, TheReportFilesAreProposedUnderThePartsName) {
    host::setPartFile(dir.path() + "/Plate.pfp");
    load();
    open()
        .check(kDlg, gp::kCheckDrillingList, 1)
        .click(kDlg, gp::kButtonDrillingList)
        .file("")
        .check(kDlg, gp::kCheckMachiningTime, 1)
        .click(kDlg, gp::kButtonMachiningTime)
        .file("")
        .click(kDlg, plat::IDOK);
    run();
    EXPECT_TRUE(transcript().contains("name=\"Plate.txt\" ext=txt filter=\"Drilling lists|*.txt||\""));
    EXPECT_TRUE(transcript().contains("name=\"Plate_Time.txt\" ext=txt filter=\"Machining time|*.txt||\""));
    EXPECT_EQ(settings().drillingListOn, 1);
    EXPECT_EQ(settings().machiningTimeListOn, 1);
}

// Sharing switched on without a shared library to work with: the shared data manager is offered, and
// when it ends without one sharing goes off again.
TEST_F(GeneralParametersTest, SharingWithoutASharedLibraryGoesOffAgain) {
    load();
    open().check(kDlg, gp::kCheckSharedLibrary, 1).click(18030, plat::IDCANCEL).click(kDlg, plat::IDOK);
    run();
    EXPECT_EQ(count("dialog.end 18030 code=2"), 1);
    EXPECT_NE(shown(kDlg, gp::kCheckSharedLibrary).find("check=0"), std::string::npos);
    EXPECT_NE(shown(kDlg, gp::kButtonSharedData).find("enabled=0"), std::string::npos);
    EXPECT_EQ(g_globals->sharedDataOn, 0);
    EXPECT_NE(shown(kDlg, gp::kComboLibrary).find("sel=0"), std::string::npos) << shown(kDlg, gp::kComboLibrary);
}

// ---- the drilling side and its point -------------------------------------------------------------------

// The pick button ends both dialogs; point P is picked in the graphics and the parameters open again with
// the drilling side at once, showing the point. It reaches the part's records with the general OK.
TEST_F(GeneralParametersTest, PickingPointPReopensTheDrillingSideWithThePoint) {
    constexpr int kSide = CDlgDrillingSideSettings::kTemplate;
    for (const int generalClose : {plat::IDCANCEL, plat::IDOK}) {
        SCOPED_TRACE(generalClose);
        load();
        open()
            .check(kDlg, gp::kCheckDrillingSide, 1)
            .click(kDlg, gp::kButtonDrillingSide)
            .click(kSide, CDlgDrillingSideSettings::kTowardsPoint)
            .click(kSide, CDlgDrillingSideSettings::kPick)
            .point(1, -2, 3.5)
            .click(kSide, plat::IDOK)
            .click(kDlg, generalClose);
        run();
        EXPECT_TRUE(transcript().contains("Pick the reference point"));
        EXPECT_EQ(count("dialog.show 18031"), 2);
        EXPECT_EQ(count("dialog.show 18078"), 2);
        // What was chosen before the pick is dropped; the point is the picked one.
        EXPECT_EQ(text(kSide, CDlgDrillingSideSettings::kX), "1.000");
        EXPECT_EQ(text(kSide, CDlgDrillingSideSettings::kY), "-2.000");
        EXPECT_EQ(text(kSide, CDlgDrillingSideSettings::kZ), "3.500");
        if (generalClose == plat::IDOK) {
            EXPECT_DOUBLE_EQ(g_globals->partPoint[1], -2);
            EXPECT_DOUBLE_EQ(g_globals->partPoint[2], 3.5);
            EXPECT_EQ(g_globals->partPointFlag1, 1);
            EXPECT_EQ(g_globals->partPointFlag2, 0);
        } else {
            EXPECT_DOUBLE_EQ(g_globals->partPoint[1], 0);
            EXPECT_EQ(g_globals->partPointFlag1, 0);
        }
        fresh();
    }
}

// A pick given up keeps the earlier point; the mode stored before opens ticked.
TEST_F(GeneralParametersTest, AGivenUpPickKeepsTheEarlierPoint) {
    constexpr int kSide = CDlgDrillingSideSettings::kTemplate;
    load();
    open()
        .check(kDlg, gp::kCheckDrillingSide, 1)
        .click(kDlg, gp::kButtonDrillingSide)
        .type(kSide, CDlgDrillingSideSettings::kX, "7")
        .click(kSide, CDlgDrillingSideSettings::kTowardsPoint)
        .click(kSide, plat::IDOK)
        .click(kDlg, plat::IDOK);
    run();
    EXPECT_DOUBLE_EQ(g_globals->partPoint[0], 7);
    EXPECT_EQ(g_globals->partPointFlag2, 1);

    open().click(kDlg, gp::kButtonDrillingSide).click(kSide, CDlgDrillingSideSettings::kPick).esc().click(kSide, plat::IDOK).click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_EQ(text(kSide, CDlgDrillingSideSettings::kX), "7.000");
    EXPECT_NE(shown(kSide, CDlgDrillingSideSettings::kTowardsPoint).find("check=1"), std::string::npos);
    EXPECT_DOUBLE_EQ(g_globals->partPoint[0], 7);
}

// The drilling-side button does nothing while its check box is clear.
TEST_F(GeneralParametersTest, TheDrillingSideNeedsItsCheckBox) {
    load();
    open().click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_NE(shown(kDlg, gp::kButtonDrillingSide).find("enabled=0"), std::string::npos);
    EXPECT_EQ(count("dialog.show 18078"), 0);
}

// ---- what the next Execute takes ------------------------------------------------------------------------

// A maximum diameter typed in the parameters holds the next run's hole back, and it is still in force after
// the module was unloaded and loaded again.
TEST_F(GeneralParametersTest, TheNextExecuteWorksWithTheStoredSettingsAlsoAfterReloading) {
    const host::builder::BuiltPart part = host::builder::PartBuilder::block({40, 40, 12})
                                              .hole(host::builder::throughHole("a", {10, 10, 12}, {0, 0, -1}, 6))
                                              .build();
    ASSERT_TRUE(part.ok()) << part.error;
    ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
    load();
    open().type(kDlg, gp::kEditMaxDiameter, "5").click(kDlg, plat::IDOK);
    run();
    EXPECT_DOUBLE_EQ(settings().maxDiameter, 5);
    unload();
    load();
    script().click(kMenu, kExecute).answer(plat::IDOK).click(kMenu, plat::IDOK);
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("No hole was found in the part.\\n1 walls wider than the maximum diameter 5 were left out."));
    EXPECT_EQ(fileItem("ProcessMach", 9), "5.0000");
}

}  // namespace
