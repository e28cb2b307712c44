// The small setting dialogs as the user reaches them from the general parameters' buttons: what each shows,
// what it holds back or corrects, and whether its change stays when the general parameters are cancelled.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "host/api.h"
#include "host/state.h"
#include "platform/sys/files.h"
#include "platform/ui/dialog.h"
#include "platform/ui/keys.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_section.h"
#include "plugin/base/views_list.h"
#include "plugin/resources/general_parameters_ids.h"
#include "plugin/settings/selected_views.h"
#include "plugin/settings/settings_dialogs.h"
#include "support/settings_dialog_fixture.h"

namespace {

constexpr double kRadiansPerDegree = 0.01745329251994329;

using SettingsDialogsTest = SettingsDialogFixture;

// ---- advanced strategies --------------------------------------------------------------------------------

TEST_F(SettingsDialogsTest, AnOversizeOutOfTheTableIsToldAndReplacedAndOkRefused) {
    constexpr int kStrategies = CDlgAdvancedStrategies::kTemplate, kCombo = CDlgAdvancedStrategies::kOversize;
    struct Case {
        const char* typed;
        const char* message;   // "" when OK passes
        const char* shownAfter;
    };
    const Case cases[] = {
        {"20", "The oversize is above the largest value allowed.", "10.000"},
        {"0.001", "The oversize is below the smallest value allowed.", "0.010"},
        {"nan", "The oversize is below the smallest value allowed.", "0.010"},
        {"0.01", "", "0.010"},
        {"10", "", "10.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        load();
        open()
            .select(kDlg, gp::kTab, kPageDepths)
            .click(kDlg, gp::kButtonStrategies)
            .check(kStrategies, CDlgAdvancedStrategies::kBiggerTools, 1)
            .type(kStrategies, kCombo, c.typed)
            .click(kStrategies, plat::IDOK);
        if (*c.message) script().answer(plat::IDOK).click(kStrategies, plat::IDCANCEL);
        script().click(kDlg, plat::IDCANCEL);
        run();
        EXPECT_EQ(text(kStrategies, kCombo), c.shownAfter);
        EXPECT_EQ(transcript().contains("The oversize is"), *c.message != '\0');
        if (*c.message) {
            EXPECT_TRUE(transcript().contains(c.message));
            EXPECT_DOUBLE_EQ(settings().oversizeLimit, 0.05);
            EXPECT_DOUBLE_EQ(settings().effectiveOversize, 0);
        } else {
            // Stored at once: the general parameters' Cancel keeps it.
            EXPECT_DOUBLE_EQ(settings().oversizeLimit, std::atof(c.typed));
            EXPECT_DOUBLE_EQ(settings().effectiveOversize, std::atof(c.typed));
        }
        fresh();
    }
}

TEST_F(SettingsDialogsTest, WithoutBiggerToolsTheOversizeIsKeptButNotUsed) {
    load();
    open()
        .select(kDlg, gp::kTab, kPageDepths)
        .click(kDlg, gp::kButtonStrategies)
        .check(CDlgAdvancedStrategies::kTemplate, CDlgAdvancedStrategies::kBiggerTools, 1)
        .type(CDlgAdvancedStrategies::kTemplate, CDlgAdvancedStrategies::kOversize, "0.25")
        .check(CDlgAdvancedStrategies::kTemplate, CDlgAdvancedStrategies::kBiggerTools, 0)
        .check(CDlgAdvancedStrategies::kTemplate, CDlgAdvancedStrategies::kForceTapping, 1)
        .click(CDlgAdvancedStrategies::kTemplate, plat::IDOK)
        .click(kDlg, plat::IDOK);
    run();
    EXPECT_DOUBLE_EQ(settings().oversizeLimit, 0.25);
    EXPECT_DOUBLE_EQ(settings().effectiveOversize, 0);
    EXPECT_EQ(settings().forceTapping, 1);
    EXPECT_NE(shown(CDlgAdvancedStrategies::kTemplate, CDlgAdvancedStrategies::kOversize).find("enabled=0"),
              std::string::npos);
}

// ---- recognition tolerances -----------------------------------------------------------------------------

// Each value is brought into its limits without a word; a field left empty reads as 0.
TEST_F(SettingsDialogsTest, RecognitionTolerancesAreHeldInTheirLimits) {
    constexpr int kTolerances = CDlgAdvFormsRecognize::kTemplate;
    load();
    open()
        .click(kDlg, gp::kButtonAdvRecognition)
        .type(kTolerances, CDlgAdvFormsRecognize::kSweep, "400")
        .type(kTolerances, CDlgAdvFormsRecognize::kAxisAngle, "")
        .type(kTolerances, CDlgAdvFormsRecognize::kRoundness, "inf")
        .type(kTolerances, CDlgAdvFormsRecognize::kOpenBoundaries, "0.5")
        .click(kTolerances, plat::IDOK)
        .click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_DOUBLE_EQ(settings().minSweepAngle, 360);
    EXPECT_DOUBLE_EQ(settings().axisAngleTolerance, 0.001);
    EXPECT_DOUBLE_EQ(settings().roundnessTolerance, 0.001);   // 0.04 T
    EXPECT_DOUBLE_EQ(settings().openBoundaryTolerance, 0.5);
    EXPECT_EQ(fileItem("ProcessMach", 51), "360.0000");
    EXPECT_FALSE(transcript().contains("message"));
    EXPECT_EQ(text(kTolerances, CDlgAdvFormsRecognize::kSweep), "400");
}

TEST_F(SettingsDialogsTest, RecognitionTolerancesShowTheirStoredValues) {
    load();
    open().click(kDlg, gp::kButtonAdvRecognition).click(CDlgAdvFormsRecognize::kTemplate, plat::IDCANCEL).click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_EQ(text(CDlgAdvFormsRecognize::kTemplate, CDlgAdvFormsRecognize::kSweep), "340.00");
    EXPECT_EQ(text(CDlgAdvFormsRecognize::kTemplate, CDlgAdvFormsRecognize::kRoundness), "0.005");
    EXPECT_EQ(text(CDlgAdvFormsRecognize::kTemplate, CDlgAdvFormsRecognize::kAxisAngle), "0.040");
    EXPECT_EQ(text(CDlgAdvFormsRecognize::kTemplate, CDlgAdvFormsRecognize::kOpenBoundaries), "0.100");
}

// ---- views sort -----------------------------------------------------------------------------------------

TEST_F(SettingsDialogsTest, AnOrientationNoButtonStandsForStaysAsItWas) {
    constexpr int kSort = CDlgViewsSort::kTemplate;
    writeSettings("ProcessMach", "49. 7\r\n15. 2\r\n");
    load();
    open().click(kDlg, gp::kButtonViewsSort).click(kSort, plat::IDOK).click(kDlg, plat::IDOK);
    run();
    EXPECT_EQ(settings().newViewsOrientation, 7);
    EXPECT_EQ(settings().viewsSortOrder, 2);
    for (int i = 0; i < 4; ++i) EXPECT_NE(shown(kSort, CDlgViewsSort::kOrientFirst + i).find("check=0"), std::string::npos);
    // Sorted about Y: the four-axes buttons name the world Y axis.
    EXPECT_EQ(text(kSort, CDlgViewsSort::kOrientFirst + 1), "Four axes: the X axis of new views along the world Y axis");
}

// A stored sort of no button (9) ticks none; OK stores the radio group's value, none (-1), which orders the
// views as unsorted.
TEST_F(SettingsDialogsTest, ASortOfNoButtonIsStoredAsNoneByOk) {
    constexpr int kSort = CDlgViewsSort::kTemplate;
    writeSettings("ProcessMach", "15. 9\r\n");
    load();
    open().click(kDlg, gp::kButtonViewsSort).click(kSort, plat::IDOK).click(kDlg, plat::IDOK);
    run();
    for (int i = 0; i < 4; ++i) EXPECT_NE(shown(kSort, CDlgViewsSort::kSortFirst + i).find("check=0"), std::string::npos);
    EXPECT_EQ(settings().viewsSortOrder, -1);
}

// The support geometry's level and inclined-only box are disabled with it, and still stored by OK.
TEST_F(SettingsDialogsTest, SupportGeometrySwitchedOffStillStoresItsLevel) {
    constexpr int kSort = CDlgViewsSort::kTemplate;
    load();
    open()
        .click(kDlg, gp::kButtonViewsSort)
        .check(kSort, CDlgViewsSort::kSupportGeometry, 1)
        .type(kSort, CDlgViewsSort::kSupportLevel, "77")
        .check(kSort, CDlgViewsSort::kInclinedOnly, 0)
        .check(kSort, CDlgViewsSort::kSupportGeometry, 0)
        .click(kSort, plat::IDOK)
        .click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_NE(shown(kSort, CDlgViewsSort::kSupportLevel).find("enabled=0"), std::string::npos);
    EXPECT_NE(shown(kSort, CDlgViewsSort::kInclinedOnly).find("enabled=0"), std::string::npos);
    EXPECT_EQ(settings().supportGeometryOn, 0);
    EXPECT_EQ(settings().supportGeometryLevel, 77);
    EXPECT_EQ(settings().supportGeometryInclinedOnly, 0);
}

// ---- tool selection criteria ----------------------------------------------------------------------------

TEST_F(SettingsDialogsTest, ToolCriteriaAreTypedAsPercentagesAndStayAfterCancel) {
    constexpr int kCriteria = CDlgToolSelCriteria::kTemplate;
    load();
    open()
        .select(kDlg, gp::kTab, kPageTools)
        .click(kDlg, gp::kButtonToolCriteria)
        .type(kCriteria, CDlgToolSelCriteria::kMinToolLength, "150")
        .type(kCriteria, CDlgToolSelCriteria::kMaxLength, "abc")
        .click(kCriteria, CDlgToolSelCriteria::kFlute)
        .check(kCriteria, CDlgToolSelCriteria::kHighestHill, 0)
        .click(kCriteria, plat::IDOK)
        .click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_DOUBLE_EQ(settings().minToolLengthFactor, 1.5);
    EXPECT_DOUBLE_EQ(settings().maxToolLengthFactor, 0);
    EXPECT_EQ(settings().toolLengthKind, 2);
    EXPECT_EQ(settings().useHighestHill, 0);
    EXPECT_EQ(settings().checkFluteLength, 1);

    // The defaults as they open: 100, 100 and 800, the shoulder ticked, both boxes ticked.
    fresh();
    load();
    open().select(kDlg, gp::kTab, kPageTools).click(kDlg, gp::kButtonToolCriteria).click(kCriteria, plat::IDCANCEL).click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_EQ(text(kCriteria, CDlgToolSelCriteria::kMinToolLength), "100");
    EXPECT_EQ(text(kCriteria, CDlgToolSelCriteria::kMinFluteLength), "100");
    EXPECT_EQ(text(kCriteria, CDlgToolSelCriteria::kMaxLength), "800");
    EXPECT_NE(shown(kCriteria, CDlgToolSelCriteria::kShoulder).find("check=1"), std::string::npos);
    EXPECT_NE(shown(kCriteria, CDlgToolSelCriteria::kHighestHill).find("check=1"), std::string::npos);
}

// ---- read/write options ---------------------------------------------------------------------------------

TEST_F(SettingsDialogsTest, ReadWriteOptionIsOneOfTwoAndStaysAfterCancel) {
    constexpr int kOptions = CDlgPrmReadWriteOptions::kTemplate;
    load();
    open()
        .click(kDlg, gp::kButtonReadWrite)
        .click(kOptions, CDlgPrmReadWriteOptions::kPartOnly)
        .click(kOptions, plat::IDOK)
        .click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_EQ(settings().readWriteMode, 1);
    EXPECT_NE(shown(kOptions, CDlgPrmReadWriteOptions::kFileAndPart).find("check=0"), std::string::npos);

    open().click(kDlg, gp::kButtonReadWrite).click(kOptions, plat::IDCANCEL).click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_EQ(settings().readWriteMode, 1);
    EXPECT_NE(shown(kOptions, CDlgPrmReadWriteOptions::kPartOnly).find("check=1"), std::string::npos);
}

// ---- colours --------------------------------------------------------------------------------------------

TEST_F(SettingsDialogsTest, ColoursChosenStayWhenTheParametersAreCancelled) {
    constexpr int kColours = CDlgColors::kTemplate;
    load();
    open()
        .click(kDlg, gp::kButtonColours)
        .click(kColours, CDlgColors::kArcButton)
        .colourPick(5)
        .click(kColours, CDlgColors::kSelButton)
        .colourPick(-1)
        .click(kColours, plat::IDOK)
        .click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_EQ(settings().reamArcColour, 5);
    EXPECT_EQ(fileItem("General", 4), "5");
    EXPECT_EQ(text(kColours, CDlgColors::kArcSwatch), "   5   ");
    EXPECT_TRUE(transcript().contains("host.colour pick cancel"));
}

TEST_F(SettingsDialogsTest, ColoursCancelledKeepTheColours) {
    constexpr int kColours = CDlgColors::kTemplate;
    load();
    open().click(kDlg, plat::IDCANCEL);
    run();
    const int arc = settings().reamArcColour, sel = settings().reamSelectionColour;
    open()
        .click(kDlg, gp::kButtonColours)
        .click(kColours, CDlgColors::kArcButton)
        .colourPick(7)
        .click(kColours, CDlgColors::kSelButton)
        .colourPick(9)
        .click(kColours, plat::IDCANCEL)
        .click(kDlg, plat::IDOK);
    run();
    EXPECT_EQ(settings().reamArcColour, arc);
    EXPECT_EQ(settings().reamSelectionColour, sel);
}

// The host's selection colour as arc colour: the user is warned and the choice stands.
TEST_F(SettingsDialogsTest, TheSelectionColourAsArcColourIsWarnedButTaken) {
    constexpr int kColours = CDlgColors::kTemplate;
    load();
    open()
        .click(kDlg, gp::kButtonColours)
        .click(kColours, CDlgColors::kArcButton)
        .colourPick(select_color)
        .answer(plat::IDOK)
        .click(kColours, plat::IDOK)
        .click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_TRUE(transcript().contains("This is the host's selection colour"));
    EXPECT_EQ(settings().reamArcColour, select_color);
}

// ---- levels ---------------------------------------------------------------------------------------------

TEST_F(SettingsDialogsTest, LevelsAreStoredByOkAndByTheCloseBoxButNotByCancel) {
    constexpr int kLevels = CDlgLevelsPrm::kTemplate;
    struct Case {
        int closeWith;   // IDOK, IDCANCEL or 0 for the close box
        bool stored;
    };
    for (const Case c : {Case{plat::IDOK, true}, Case{0, true}, Case{plat::IDCANCEL, false}}) {
        SCOPED_TRACE(c.closeWith);
        load();
        open().click(kDlg, gp::kButtonLevels).type(kLevels, CDlgLevelsPrm::kUndefinedLevel, "abc").type(kLevels, CDlgLevelsPrm::kFormsLevel, "77");
        if (c.closeWith == 0)
            script().close(kLevels);
        else
            script().click(kLevels, c.closeWith);
        script().click(kDlg, plat::IDCANCEL);
        run();
        EXPECT_EQ(settings().formsLevel == 77, c.stored);
        EXPECT_EQ(settings().newFormsLevel == 0, c.stored);
        fresh();
    }
}

// ---- selected views -------------------------------------------------------------------------------------

class SelectedViewsTest : public SettingsDialogFixture {
protected:
    static constexpr int kViews = CDlgOnlySelectedViewsEx::kTemplate, kList = CDlgOnlySelectedViewsEx::kList;
    // The part keeps four named views.
    void fourViews() { NamedViews.resize(4); }
    plat::Script& openViews() {
        return open().check(kDlg, gp::kCheckSelectedViews, 1).click(kDlg, gp::kButtonSelectedViews);
    }
    static COnlySelViewsListEx partList() {
        COnlySelViewsListEx list;
        (void)list.readFromPart();
        return list;
    }
};

TEST_F(SelectedViewsTest, FourNamedViewsOpenAsFourInactiveRows) {
    load();
    fourViews();
    openViews().click(kViews, plat::IDCANCEL).click(kDlg, plat::IDCANCEL);
    run();
    for (int index = 0; index < 4; ++index) {
        const std::string line = row(kViews, index);
        EXPECT_EQ(line.find("[\"   \","), line.find('[')) << line;
        EXPECT_NE(line.find("\"            - - - - - - - - \""), std::string::npos) << line;
        EXPECT_EQ(line.find("selected") != std::string::npos, index == 0) << line;
    }
    EXPECT_EQ(row(kViews, 4), "<no row 4>");
    EXPECT_EQ(partList().getCount(), 0);
}

// A range typed in degrees is kept in radians and shown back in degrees; the list reaches the part only
// through the general parameters' OK.
TEST_F(SelectedViewsTest, ARangeOfFortyFiveDegreesIsKeptInRadiansAndReachesThePartOnOk) {
    for (const int generalClose : {plat::IDCANCEL, plat::IDOK}) {
        SCOPED_TRACE(generalClose);
        load();
        fourViews();
        openViews()
            .listClick(kViews, kList, 2, 0)
            .check(kViews, CDlgOnlySelectedViewsEx::kXActive, 1)
            .type(kViews, CDlgOnlySelectedViewsEx::kXFrom, "-10")
            .type(kViews, CDlgOnlySelectedViewsEx::kXTo, "45")
            .click(kViews, plat::IDOK)
            .click(kDlg, generalClose);
        run();
        const std::string line = row(kViews, 2);
        EXPECT_NE(line.find("[\" X \","), std::string::npos) << line;
        EXPECT_NE(line.find("-10.00\xC2\xBA to +45.00\xC2\xBA"), std::string::npos) << line;

        const COnlySelViewsListEx list = partList();
        if (generalClose == plat::IDCANCEL) {
            EXPECT_EQ(list.getCount(), 0);
            EXPECT_EQ(settings().onlySelectedViews, 0);
        } else {
            ASSERT_EQ(list.getCount(), 4);
            const auto item = list.getItem(2);
            EXPECT_EQ(item.selected, 1);
            EXPECT_EQ(item.xOn, 1);
            EXPECT_DOUBLE_EQ(item.xTo, 45 * kRadiansPerDegree);
            EXPECT_DOUBLE_EQ(item.xFrom, -10 * kRadiansPerDegree);
            EXPECT_EQ(item.focus, 1);
            EXPECT_EQ(list.getItem(0).selected, 0);
            EXPECT_EQ(settings().onlySelectedViews, 1);
        }
        fresh();
    }
}

// The keys and the context menu mark the selected rows, or every row; the first selected row is selected
// again at the next opening.
TEST_F(SelectedViewsTest, KeysAndTheContextMenuMarkRows) {
    struct Case {
        const char* what;
        std::function<void(plat::Script&)> steps;
        const char* active;   // the active flags of rows 0 to 3
        int focus;            // the row marked as last selected
    };
    const Case cases[] = {
        {"X on rows 1 and 3",
         [](plat::Script& s) { s.listClick(kViews, kList, 1, 1).listClick(kViews, kList, 3, 1, true).listKey(kViews, kList, 'X'); },
         "0101", 1},
        {"all active, then Space on row 2",
         [](plat::Script& s) {
             s.listRClick(kViews, kList, 0, 1).menu(CDlgOnlySelectedViewsEx::kMenuAllActive);
             s.listClick(kViews, kList, 2, 1).listKey(kViews, kList, plat::VK_SPACE);
         },
         "1101", 2},
        {"a click in the first column changes the row over, after Shift it only selects",
         [](plat::Script& s) {
             s.listClick(kViews, kList, 1, 0).listKey(kViews, kList, plat::VK_SHIFT).listClick(kViews, kList, 3, 0);
         },
         "0100", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        load();
        fourViews();
        openViews();
        c.steps(script());
        script().click(kViews, plat::IDOK).click(kDlg, plat::IDOK);
        run();
        const COnlySelViewsListEx list = partList();
        ASSERT_EQ(list.getCount(), 4);
        std::string active;
        for (int i = 0; i < 4; ++i) active += list.getItem(i).selected ? '1' : '0';
        EXPECT_EQ(active, c.active);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(list.getItem(i).focus, i == c.focus ? 1 : 0) << i;

        openViews().click(kViews, plat::IDCANCEL).click(kDlg, plat::IDCANCEL);
        run();
        EXPECT_NE(row(kViews, c.focus).find("selected"), std::string::npos) << row(kViews, c.focus);
    }
}

// Only selected views with no view listed: the user is told and the option goes off.
TEST_F(SelectedViewsTest, OnlySelectedViewsWithoutAViewIsSwitchedOff) {
    load();
    NamedViews.clear();
    open().check(kDlg, gp::kCheckSelectedViews, 1).click(kDlg, plat::IDOK).answer(plat::IDOK);
    run();
    EXPECT_TRUE(transcript().contains("No view is selected"));
    EXPECT_EQ(settings().onlySelectedViews, 0);
}

// ---- the spot drill from the tool library ---------------------------------------------------------------

class SpotDrillChoiceTest : public SettingsDialogFixture {
protected:
    static tp_tool tool(std::int16_t type, double diameter, const char* name) {
        tp_tool t;
        t.type = type;
        t.diameter = diameter;
        t.fluteLength = 20;
        t.shoulderLength = 30;
        t.overallLength = 60;
        t.unitFlag = 1;
        std::snprintf(t.name, sizeof t.name, "%s", name);
        return t;
    }
    // The shop's library as the settings' tool library; the spot drill by default by a diameter of 10 at
    // 30 %, so that switching the override on chooses nothing.
    void library(std::initializer_list<tp_tool> tools, const std::string& spotSettings = "11. 0\r\n12. 10\r\n14. 30\r\n") {
        path = dir.path() + "/shop.Tools";
        char buffer[1024];
        std::snprintf(buffer, sizeof buffer, "%s", path.c_str());
        for (tp_tool t : tools) ASSERT_GT(library_manager(kLibraryAddTool, buffer, &t), 0);
        writeSettings("ProcessMach", "1. " + path + "\r\n");
        writeSettings("ProcessMachTool", spotSettings);
    }
    std::string path;
};

// The later of two spot drills within T of the wanted diameter is preselected; a centre drill is offered
// only when centre drills are allowed (and then, listed after them, is the later match).
TEST_F(SpotDrillChoiceTest, TheLaterMatchIsPreselectedAndCentreDrillsOnlyWhenAllowed) {
    library({tool(2, 10.0, "SPOT 10"), tool(1, 10.0, "CENTRE 10"), tool(2, 10.01, "SPOT 10.01"), tool(2, 6, "SPOT 6")});
    load();
    open()
        .select(kDlg, gp::kTab, kPageTools)
        .check(kDlg, gp::kCheckSpotOverride, 1)
        .click(kDlg, gp::kRadioSpotFromLibrary)   // no tool named yet: the choice opens at once
        .libraryPick("22")
        .click(kDlg, plat::IDOK);
    run();
    // The selection library starts with its own twenty spot drills; the two of 10.0 and 10.01 follow them.
    EXPECT_TRUE(transcript().contains("SpotDrillSel.Tools\" entries=23 start=22"));
    EXPECT_EQ(count("SpotDrillSel.Tools\" slot="), 3);
    EXPECT_EQ(count("\"CENTRE 10\""), 1);   // made in the shop's library, not offered
    EXPECT_EQ(text(kDlg, gp::kLabelSpotName), "SPOT 10.01");
    EXPECT_EQ(text(kDlg, gp::kEditSpotDiameter), "10.0");
    EXPECT_EQ(text(kDlg, gp::kEditSpotDepth), "3.0");
    EXPECT_EQ(settings().spotDrillName, "SPOT 10.01");
    EXPECT_EQ(settings().spotDrillByName, 1);

    open()
        .select(kDlg, gp::kTab, kPageTools)
        .check(kDlg, gp::kCheckAllowCentre, 1)
        .click(kDlg, gp::kButtonChangeSpot)
        .libraryPick("")
        .click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_TRUE(transcript().contains("SpotDrillSel.Tools\" entries=24 start=23"));
    EXPECT_EQ(count("\"CENTRE 10\""), 2);
    EXPECT_EQ(settings().spotDrillName, "SPOT 10.01");
}

// Loading runs the override's rules: with the library's tool chosen and none named the choice opens at once.
TEST_F(SpotDrillChoiceTest, TheChoiceOpensWithTheDialogWhenTheOverridesToolIsNotNamed) {
    library({tool(2, 10.0, "SPOT 10")}, "10. 1\r\n11. 1\r\n12. 10\r\n");
    load();
    open().libraryPick("21").click(kDlg, plat::IDOK);
    run();
    EXPECT_LT(transcript().find("host.library pick tool"), transcript().find("dialog.show 18031"));
    EXPECT_EQ(settings().spotDrillName, "SPOT 10");
}

TEST_F(SpotDrillChoiceTest, CancellingTheChoiceLeavesTheNameEmpty) {
    library({tool(2, 10.0, "SPOT 10")});
    load();
    open()
        .select(kDlg, gp::kTab, kPageTools)
        .check(kDlg, gp::kCheckSpotOverride, 1)
        .click(kDlg, gp::kRadioSpotFromLibrary)
        .libraryPick("")
        .click(kDlg, plat::IDOK);
    run();
    EXPECT_EQ(text(kDlg, gp::kLabelSpotName), "");
    EXPECT_EQ(settings().spotDrillName, "");
}

TEST_F(SpotDrillChoiceTest, WithoutAMachineGroupTheChoiceIsRefused) {
    library({tool(2, 10.0, "SPOT 10")});
    host::setMachineGroup(false);
    load();
    open()
        .select(kDlg, gp::kTab, kPageTools)
        .check(kDlg, gp::kCheckSpotOverride, 1)
        .click(kDlg, gp::kRadioSpotFromLibrary)
        .answer(plat::IDOK)
        .click(kDlg, plat::IDCANCEL);
    run();
    EXPECT_TRUE(transcript().contains("The machine has no machine group."));
    EXPECT_FALSE(transcript().contains("host.library pick"));
}

}  // namespace
