// The features manager as a user works it from the main menu on a plate with two through holes of 10 mm
// and one of 6 mm: the popup, the reaming features window with its filter, selection and "Do it", the marks
// it makes, and the popup's commands on them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/state.h"
#include "platform/sys/files.h"
#include "plugin/base/utilities.h"
#include "plugin/cycle/records.h"
#include "plugin/features/feature_marks.h"
#include "plugin/features/feature_windows.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"
#include "plugin/services/features.h"
#include "recognition_pipeline_support.h"
#include "plugin/configuration/table_dialogs.h"
#include "support/kept_marks.h"
#include "support/plugin_fixture.h"

namespace {

using namespace recog_q;

constexpr int kMenu = 18048, kFeaturesButton = 18004, kWindow = CDlgAssignFeatures::kTemplate,
              kMask = CDlgSelCylindersMask::kTemplate;

class FeaturesManagerSession : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        // A table looked up by name, for the window's table list.
        const std::string library = installDir + "/Tool/FORMS_MM/Standard/";
        std::string table = plat::readFile(library + "Drilled.tab").value_or("");
        ASSERT_EQ(table.rfind("[Class] 0", 0), 0u);
        table[8] = '3';
        ASSERT_TRUE(plat::writeFile(library + "Reaming{H7}.tab", table));
        ASSERT_NO_FATAL_FAILURE(storePlate({60, 40, 12}, {throughHole("a", {10, 10, 12}, kDown, 10),
                                                          throughHole("b", {30, 30, 12}, kDown, 10),
                                                          throughHole("c", {50, 20, 12}, kDown, 6)}));
        load();
    }

    // A block with these holes stored as the part's solid.
    static void storePlate(host::Vec3 size, const std::vector<HoleSpec>& holes) {
        PartBuilder builder = PartBuilder::block(size);
        for (const HoleSpec& h : holes) builder.hole(h);
        const BuiltPart part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
    }

    static std::vector<FEATURE_MARK> keptMarks() { return keptFeatureMarks(); }
    // The ids of the surfaces that show selection bit 4.
    static int selectedSurfaces() {
        int n = 0;
        db_ptr at = db_start();
        for (;;) {
            ent e{};
            char found = 0;
            get_raw_ent(at, 4, kEntSurface, &e, &at, &found);
            if (!found) return n;
            ++n;
        }
    }
    // The first arc of each of the two marks a first invocation made on the 10 mm holes; a fresh script.
    std::vector<int> reamedMarkArcs() {
        reamTheTenMillimetreHoles();
        script().click(kMenu, plat::IDOK);
        m_main();
        std::vector<int> arcs;
        for (const FEATURE_MARK& m : keptMarks()) arcs.push_back(static_cast<int>(m.arcEnts[0]));
        plat::driver().reset();
        return arcs;
    }
    // The user opens the reaming window, filters the 10 mm holes, selects all that pass, chooses the H7
    // table and presses "Do it"; the popup shows again and he closes it.
    void reamTheTenMillimetreHoles() {
        script()
            .click(kMenu, kFeaturesButton)
            .menu(2)
            .click(kWindow, CDlgAssignFeatures::kFilter)
            .check(kMask, CDlgSelCylindersMask::kUseLower, 1)
            .type(kMask, CDlgSelCylindersMask::kLower, "10")
            .type(kMask, CDlgSelCylindersMask::kLowerTolerance, "1")
            .click(kMask, plat::IDOK)
            .click(kWindow, CDlgAssignFeatures::kSelectAll)
            .select(kWindow, CDlgAssignFeatures::kTables, 1)
            .click(kWindow, plat::IDOK)
            .menu(kMenuExit);
    }
};

TEST_F(FeaturesManagerSession, TheReamingWindowMakesFitMarksOnTheFilteredHolesAndShowsThePopupAgain) {
    reamTheTenMillimetreHoles();
    script().click(kMenu, plat::IDOK);
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();

    EXPECT_EQ(count("menu owner=18048"), 2);   // before the window and after "Do it"
    EXPECT_TRUE(transcript().contains("host.event mask=0x202 arg2=0x100 flag=1"));
    EXPECT_TRUE(transcript().contains("host.event mask=0x200 arg2=0x0 flag=0"));
    EXPECT_NE(plat::lastSnapshot(kWindow).find("caption=\"Reaming features\""), std::string::npos);
    EXPECT_NE(plat::lastSnapshot(kWindow).find("Holes found: 2"), std::string::npos);
    EXPECT_NE(plat::lastSnapshot(kWindow).find("Diameter 10.00 mm 1.00%"), std::string::npos);
    EXPECT_FALSE(g_assignFeatures->isVisible());
    EXPECT_EQ(g_assignFeatures->tableName, "H7");

    const std::vector<FEATURE_MARK> marks = keptMarks();
    ASSERT_EQ(marks.size(), 2u);
    for (const FEATURE_MARK& m : marks) {
        EXPECT_STREQ(m.fitClass, "H7");
        EXPECT_EQ(m.isFit, 1);
        EXPECT_NEAR(m.diameter, 10, 1e-6);
    }
    // The clean-up: nothing stays selected, the features level restriction is gone, the reaming mask kept.
    EXPECT_EQ(selectedSurfaces(), 0);
    EXPECT_EQ(mask_level, 0);
    EXPECT_EQ(g_globals->settings.featMgrFilter[2], 1);
}

TEST_F(FeaturesManagerSession, TurnedMarksAreKeptForTheTurnBackUntilThePopupCloses) {
    const std::vector<int> arcs = reamedMarkArcs();
    ASSERT_EQ(arcs.size(), 2u);
    const int arc = arcs[0];

    // Item 8 turns the picked mark round, item 9 turns it back in the same popup.
    script().click(kMenu, kFeaturesButton).menu(8).entity(arc).endPick().menu(9).menu(kMenuExit).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    std::vector<FEATURE_MARK> marks = keptMarks();
    ASSERT_EQ(marks.size(), 2u);
    for (const FEATURE_MARK& m : marks) EXPECT_DOUBLE_EQ(m.direction[2], 1);

    // Closing the popup releases the picks: item 9 in the next popup turns nothing.
    plat::driver().reset();
    script()
        .click(kMenu, kFeaturesButton).menu(8).entity(static_cast<int>(marks[0].arcEnts[0])).endPick().menu(kMenuExit)
        .click(kMenu, kFeaturesButton).menu(9).menu(kMenuExit)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    marks = keptMarks();
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_DOUBLE_EQ(marks[0].direction[2] + marks[1].direction[2], 0);   // one turned, one not
}

TEST_F(FeaturesManagerSession, AnalyzeDynamicHandsOverAndTheWindowLeftAtTheTopLevelComesBackThroughTheNextInvocation) {
    script()
        .click(kMenu, kFeaturesButton)
        .menu(2)
        .click(kWindow, CDlgAssignFeatures::kAnalyzeDynamic);
    m_main();
    EXPECT_TRUE(transcript().contains("host.plugin cycle paused"));   // the window stays open over the host
    EXPECT_TRUE(transcript().contains("host.command Partforge AnalyzeDynoStart"));
    EXPECT_TRUE(g_assignFeatures->isVisible());

    // Cancel on the window while no loop runs: the next invocation runs the clean-up and the popup.
    ASSERT_EQ(g_assignFeatures->userClick(CDlgAssignFeatures::kCancel), "");
    EXPECT_TRUE(host::takeRunAgainRequest());
    script().menu(kMenuExit).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(count("menu owner=18048"), 2);
    EXPECT_TRUE(transcript().contains("host.plugin cycle ended"));
    EXPECT_FALSE(g_assignFeatures->isVisible());
    EXPECT_TRUE(keptMarks().empty());
}

// The mask as the user fills it in the features window, on the plate's recognised holes: what the window
// then tells of the bounds and how many holes passed.
TEST_F(FeaturesManagerSession, TheMaskFiltersTheRecognisedHolesByItsBoundsAndTolerances) {
    struct CASE {
        const char* what;
        int item;   // 2 reaming, 3 tap
        const char *lower, *lowerTolerance, *upper, *upperTolerance;   // null: the bound is not used
        const char* told;
    } const cases[] = {
        {"10.02 +- 0.025 takes both 10.00", 2, "10.02", "0.2495", nullptr, nullptr,
         "Diameter 10.02 mm 0.25%\\n Holes found: 2"},
        {"10.1 to 12 +- 0.05 leaves 10.00", 2, "10.1", "0.495", "12", "0.4167", " Holes found: 0"},
        {"a tolerance of -5 is 5 %", 2, "6", "-5", nullptr, nullptr, "Diameter 6.00 mm 5.00%\\n Holes found: 1"},
        {"a tolerance of 250 is 100 %", 2, "6", "250", nullptr, nullptr, "Diameter 6.00 mm 100.00%\\n Holes found: 3"},
        {"a tap with no bound shows nothing", 3, nullptr, nullptr, nullptr, nullptr,
         "Tap row: No process chosen\\n Holes found: 0"},
    };
    using M = CDlgSelCylindersMask;
    for (const CASE& c : cases) {
        plat::driver().reset();
        script().click(kMenu, kFeaturesButton).menu(c.item).click(kWindow, CDlgAssignFeatures::kFilter);
        script().check(kMask, M::kUseLower, c.lower ? 1 : 0);
        if (c.lower) script().type(kMask, M::kLower, c.lower).type(kMask, M::kLowerTolerance, c.lowerTolerance);
        script().check(kMask, M::kUseUpper, c.upper ? 1 : 0);
        if (c.upper) script().type(kMask, M::kUpper, c.upper).type(kMask, M::kUpperTolerance, c.upperTolerance);
        script().click(kMask, plat::IDOK).click(kWindow, CDlgAssignFeatures::kCancel).menu(kMenuExit).click(kMenu, plat::IDOK);
        m_main();
        expectScriptPlayed();
        const std::string window = plat::lastSnapshot(kWindow);
        EXPECT_NE(window.find(c.told), std::string::npos) << c.what << "\n" << window;
        EXPECT_TRUE(keptMarks().empty()) << c.what;   // Cancel makes none
    }
}

// While the host has control (after "Analyze dynamic") the user picks one hole with "Select multiple": the
// next invocation takes the button's code, and "Do it" marks that hole only.
TEST_F(FeaturesManagerSession, SelectMultipleAfterTheHostHadControlMarksThePickedHoleOnly) {
    script().click(kMenu, kFeaturesButton).menu(2).click(kWindow, CDlgAssignFeatures::kAnalyzeDynamic);
    m_main();
    const VIEW_LIST* tree = g_featMgrFilter->viewsTree;
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(tree->firstPoint, nullptr);
    const CYL_LIST& picked = *tree->firstPoint->firstCyl;
    plat::driver().reset();

    ASSERT_EQ(g_assignFeatures->userClick(CDlgAssignFeatures::kSelectMultiple), "");
    EXPECT_TRUE(host::takeRunAgainRequest());
    script()
        .entity(picked.ents[0].id)
        .endPick()
        .click(kWindow, plat::IDOK)
        .menu(kMenuExit)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("host.prompt \"Select the holes to ream\""));
    EXPECT_TRUE(transcript().contains("host.pick end 1"));
    const std::vector<FEATURE_MARK> marks = keptMarks();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].fitClass[0], '\0');   // "None" in the window's list: no fit class
}

// A hole whose faces are in the second reaming colour (9, "Q_Reaming{H8}") becomes a pending fit mark by
// the colour recognition; "Turn features round" first moves pending marks onto their holes (after telling
// so), then the user's multiple pick, ended with nothing, turns none.
TEST_F(FeaturesManagerSession, ColouredHolesGiveMarksThatTheTurnItemMovesOntoTheirHolesFirst) {
    host::newPart();
    HoleSpec coloured = throughHole("a", {10, 10, 12}, kDown, 8);
    coloured.colour = 9;
    ASSERT_NO_FATAL_FAILURE(storePlate({40, 40, 12}, {coloured, throughHole("b", {30, 30, 12}, kDown, 6)}));
    script()
        .click(kMenu, kFeaturesButton)
        .menu(31)
        .menu(8)
        .answer(plat::IDOK)
        .endPick()
        .menu(kMenuExit)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(count("The part's holes are recognised to move the features onto them."), 1);
    const std::vector<FEATURE_MARK> marks = keptMarks();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_STREQ(marks[0].fitClass, "H8");
    EXPECT_EQ(marks[0].pendingMatch, 0);
    EXPECT_NEAR(marks[0].point[0], 10, 1e-6);
    EXPECT_NEAR(marks[0].point[1], 10, 1e-6);
    EXPECT_NEAR(marks[0].diameter, 8, 1e-6);
}

// The popup's show and edit items on the two equal reamed marks: showing one tells what it is, and the
// edit of all equal features deletes both after asking with their number.
TEST_F(FeaturesManagerSession, ShowTellsAMarkAndEditAllDeletesEveryEqualMarkAfterAsking) {
    const std::vector<int> arcs = reamedMarkArcs();
    ASSERT_EQ(arcs.size(), 2u);
    const int arc = arcs[1];
    script()
        .click(kMenu, kFeaturesButton)
        .menu(4).entity(arc).esc()
        .menu(52).entity(arc).click(CDlgEditFeature::kTemplate, CDlgEditFeature::kDelete).answer(plat::IDYES).esc()
        .menu(kMenuExit)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("host.prompt \"Reamed hole, diameter 10.00\\nPick a feature arc to show (Esc ends)\""));
    EXPECT_EQ(count("Delete these 2 features?"), 1);
    EXPECT_TRUE(keptMarks().empty());
}

// The tap window: "Select Tap" cancelled in the table choice changes nothing; "Do it" without a chosen row
// asks for one, and with none chosen makes no mark and tells the window so.
TEST_F(FeaturesManagerSession, TheTapWindowWithoutAChosenRowMakesNoMark) {
    constexpr int kTableChooser = CSelectShapeTable::kTemplate;
    script()
        .click(kMenu, kFeaturesButton)
        .menu(3)
        .click(kWindow, CDlgAssignFeatures::kSelectTap)
        .close(kTableChooser)
        .click(kWindow, CDlgAssignFeatures::kSelectAll)
        .click(kWindow, plat::IDOK)
        .close(kTableChooser)
        .menu(kMenuExit)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_NE(plat::lastSnapshot(kWindow).find("caption=\"Tap features\""), std::string::npos);
    EXPECT_NE(plat::lastSnapshot(kWindow).find("Tap row: No process chosen"), std::string::npos);
    EXPECT_EQ(count("dialog.show " + std::to_string(kTableChooser)), 2);
    EXPECT_EQ((*g_featMgrTexts)[0], "No process chosen");
    EXPECT_TRUE(keptMarks().empty());
    EXPECT_EQ(selectedSurfaces(), 0);
}

// The tap window on a plate with three tap drills of 6.75 mm and one hole of 10 mm, the row M8 of the
// first thread table really chosen in the configuration's choose mode. The recognition records a thread
// modelled over a tap drill as an overlap of it: here one at the top of the first drill and one at the
// bottom of the second (as such a thread face would give), so that "Do it" aligns a mark from each end.
class FeaturesTapWindowSession : public FeaturesManagerSession {
protected:
    static constexpr int kChooser = CSelectShapeTable::kTemplate, kConfig = CConfigProcess::kTemplate, kM8Row = 7;

    void SetUp() override {
        FeaturesManagerSession::SetUp();
        host::newPart();
        ASSERT_NO_FATAL_FAILURE(storePlate({60, 40, 12}, {throughHole("a", {10, 10, 12}, kDown, 6.75),
                                                          throughHole("b", {30, 30, 12}, kDown, 6.75),
                                                          throughHole("c", {50, 10, 12}, kDown, 6.75),
                                                          throughHole("d", {50, 30, 12}, kDown, 10)}));
    }
    void TearDown() override {
        plat::driver().transcript().setEcho({});
        FeaturesManagerSession::TearDown();
    }
    static plat::Point firstPicture() {
        for (const plat::CtlTemplate& c : plat::findDialogTemplate(kChooser)->controls)
            if (c.id == CSelectShapeTable::kPictureSlots[0]) return plat::dluToPixels(c.dlu).center();
        ADD_FAILURE() << "no picture slot";
        return {};
    }
    // "Select Tap": the chooser on the thread tables, its first table, the row M8, OK.
    void chooseM8() {
        const plat::Point slot = firstPicture();
        script()
            .click(kWindow, CDlgAssignFeatures::kSelectTap)
            .clickAt(kChooser, slot.x, slot.y)
            .listClick(kConfig, CConfigProcess::kRows, kM8Row)
            .click(kConfig, plat::IDOK);
    }
    // The thread of the drill at (x, y), 8 mm long, at its top or its bottom, naming the drill's wall.
    static void threadOver(double x, double y, bool atTop) {
        for (POINT_LIST* p = g_featMgrFilter->viewsTree->firstPoint; p; p = p->next) {
            CYL_LIST* c = p->firstCyl;
            if (std::fabs(c->cUniv[0] - x) > 1e-6 || std::fabs(c->cUniv[1] - y) > 1e-6) continue;
            OVLP_ENTRY& o = c->ovlp[c->ovlpCount++];
            o = OVLP_ENTRY{};
            o.zSup = atTop ? c->zSup : c->zInf + 8;
            o.zInf = atTop ? c->zSup - 8 : c->zInf;
            o.rSup = o.rInf = 4;
            return;
        }
        ADD_FAILURE() << "no hole at " << x << " " << y;
    }
    // The user marks every hole the M8 row lets through, with the window's depth at 10: with the threads,
    // filtered by both diameters of the row (the thread's and the drill's), without them by the drill's alone.
    std::vector<FEATURE_MARK> tapAll(bool threads) {
        const std::string opened = "user click " + std::to_string(kWindow) + " " + std::to_string(CDlgAssignFeatures::kSelectTap);
        plat::driver().transcript().setEcho([opened, done = !threads](const std::string& line) mutable {
            if (done || line != opened) return;
            done = true;
            threadOver(10, 10, true);
            threadOver(30, 30, false);
        });
        script().click(kMenu, kFeaturesButton).menu(3);
        chooseM8();
        if (threads) {
            using M = CDlgSelCylindersMask;
            script().click(kWindow, CDlgAssignFeatures::kFilter).check(kMask, M::kUseLower, 1).check(kMask, M::kUseUpper, 1)
                .click(kMask, plat::IDOK);
        }
        script()
            .type(kWindow, CDlgAssignFeatures::kDepth, "10")
            .click(kWindow, CDlgAssignFeatures::kSelectAll)
            .click(kWindow, plat::IDOK)
            .menu(kMenuExit)
            .click(kMenu, plat::IDOK);
        m_main();
        expectScriptPlayed();
        return keptMarks();
    }
};

TEST_F(FeaturesTapWindowSession, ARowChosenInTheConfigurationMarksTheThreadsFromTheEndTheyLieAt) {
    const std::vector<FEATURE_MARK> marks = tapAll(true);
    EXPECT_EQ(count("dialog.show " + std::to_string(kConfig)), 1);
    EXPECT_NE(plat::lastSnapshot(kWindow).find("Tap row: M8"), std::string::npos) << plat::lastSnapshot(kWindow);
    ASSERT_EQ(marks.size(), 2u);
    struct CASE {
        double x, y, z, dz, threadDepth;
    } const cases[] = {{10, 10, 12, 1, 8}, {30, 30, 0, -1, 8}};
    for (const CASE& c : cases) {
        const FEATURE_MARK* m = nullptr;
        for (const FEATURE_MARK& k : marks)
            if (std::fabs(k.point[0] - c.x) < 1e-6 && std::fabs(k.point[1] - c.y) < 1e-6) m = &k;
        ASSERT_NE(m, nullptr) << c.x << " " << c.y;
        EXPECT_NEAR(m->point[2], c.z, 1e-6) << c.x;
        EXPECT_DOUBLE_EQ(m->direction[2], c.dz) << c.x;
        EXPECT_NEAR(m->threadDepth, c.threadDepth, 1e-6) << c.x;
        EXPECT_EQ(m->isTap, 1);
        EXPECT_DOUBLE_EQ(m->tapDiam, 8);
        EXPECT_DOUBLE_EQ(m->tapPitch, 1.25);
        EXPECT_NEAR(m->diameter, 6.75, 1e-6);
    }
}

// Editing all equal features from one of the three tap marks: a new depth for each, on its own place and
// with its own fit class.
TEST_F(FeaturesTapWindowSession, EditAllOnThreeEqualTapMarksChangesTheirDepthOnly) {
    const std::vector<FEATURE_MARK> before = tapAll(false);
    ASSERT_EQ(before.size(), 3u);
    for (const FEATURE_MARK& m : before) ASSERT_NEAR(m.threadDepth, 10, 1e-6);
    plat::driver().reset();
    using E = CDlgEditFeature;
    script()
        .click(kMenu, kFeaturesButton)
        .menu(52).entity(static_cast<int>(before[1].arcEnts[0]))
        .type(E::kTemplate, E::kDepth, "14.5").click(E::kTemplate, plat::IDOK).esc()
        .menu(kMenuExit)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("3 equal features")) << "the caption tells their number";
    const std::vector<FEATURE_MARK> after = keptMarks();
    ASSERT_EQ(after.size(), 3u);
    for (const FEATURE_MARK& was : before) {
        const FEATURE_MARK* now = nullptr;
        for (const FEATURE_MARK& m : after)
            if (std::fabs(m.point[0] - was.point[0]) < 1e-9 && std::fabs(m.point[1] - was.point[1]) < 1e-9) now = &m;
        ASSERT_NE(now, nullptr) << was.point[0] << " " << was.point[1];
        EXPECT_NEAR(now->threadDepth, 14.5, 1e-9);
        for (int i = 0; i < 3; ++i) {
            EXPECT_DOUBLE_EQ(now->point[i], was.point[i]);
            EXPECT_DOUBLE_EQ(now->direction[i], was.direction[i]);
        }
        EXPECT_STREQ(now->fitClass, was.fitClass);
        EXPECT_EQ(now->isFit, was.isFit);
        EXPECT_EQ(now->isTap, 1);
        EXPECT_DOUBLE_EQ(now->tapDiam, 8);
        EXPECT_DOUBLE_EQ(now->tapPitch, 1.25);
    }
}

// A plate without holes: a window item finds nothing to gather, the recognition says so and the popup
// comes back as the user left it, with no message of its own.
class FeaturesManagerPlainPlate : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        const BuiltPart part = PartBuilder::block({60, 40, 12}).build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
        load();
    }
};

TEST_F(FeaturesManagerPlainPlate, AWindowItemWithoutHolesShowsThePopupAgainWithoutAMessageOfItsOwn) {
    script().click(kMenu, kFeaturesButton).menu(2).answer(plat::IDOK).menu(kMenuExit).click(kMenu, plat::IDOK);
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();
    EXPECT_EQ(count("menu owner=18048"), 2);
    std::vector<std::string> boxes;
    for (const std::string& line : transcript().lines())
        if (line.rfind("msgbox", 0) == 0) boxes.push_back(line);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("No hole was found in the part."), std::string::npos) << boxes[0];
    EXPECT_FALSE(g_assignFeatures.constructed() && g_assignFeatures->isVisible());
}

TEST_F(FeaturesManagerSession, CodeTwoThousandFourDoesNothing) {
    std::int16_t state = 1;
    long mask = 0x8200, arg2 = 0;
    short flag = 0;
    script().click(kMenu, plat::IDOK);
    m_main();   // the texts and windows are there
    plat::driver().reset();
    EXPECT_EQ(featuresManagerMenu(2004, &state, &mask, &arg2, &flag), 0);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(mask, 0x8200);
    EXPECT_TRUE(transcript().lines().empty());
}

}  // namespace
