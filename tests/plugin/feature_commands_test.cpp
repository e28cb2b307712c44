// The features manager's commands and filter on marks and on a hand-made tree of recognised holes (top
// view 1), with the thread table METRIC (M6, M8, M10, M8x1) loaded: T = 0.025.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/features/feature_commands.h"
#include "plugin/features/feature_marks.h"
#include "plugin/features/feature_windows.h"
#include "plugin/model/work_records.h"
#include "plugin/services/features.h"
#include "recognition_attributes_support.h"

namespace {

using namespace hand_tree;

class FeatureCommandsTest : public recog_p::RecogPTest {
protected:
    void SetUp() override {
        RecogPTest::SetUp();
        g_globals->uiTextFile = installDir + "/Tool.txt";
        g_globals->tablesDir = tablesDir;
        g_globals->settings.featuresLevel = 250;
        g_globals->settings.isolationLevel = 251;
        g_globals->settings.reamArcColour = 9;
    }
    void TearDown() override {
        if (g_globals.constructed()) {
            freeFeatureMarkList(g_records->featureMarks);
            g_records->featureMarks = nullptr;
            g_records->featureMarkCount = 0;
            g_featMgrFilter->viewsTree = nullptr;   // the fixture's head
        }
        RecogPTest::TearDown();
    }
    static FEATURE_MARK* tapMark(double x, double y, double dirZ = 1, const char* fitClass = "") {
        FEATURE_MARK m{};
        m.origin = 1;
        m.point[0] = x, m.point[1] = y, m.point[2] = 10;
        m.direction[2] = dirZ;
        m.length = 8;
        m.diameter = 6.8;
        m.isTap = 1;
        m.tapDiam = 8;
        m.tapPitch = 1.25;
        m.threadKind = 1;
        m.threadDepth = 6;
        std::strcpy(m.threadName, "M8");
        std::strcpy(m.fitClass, fitClass);
        return addFeatureMark(m, 1, 0);
    }
    // A hole of one segment of that diameter with one line entity in colour 3 on level 1.
    CYL_LIST* hole(double x, double diameter, double top = 0, double bottom = -10) {
        VIEW_LIST* view = head ? head : appendView(head, 1);
        POINT_LIST* p = appendHole(view, x, 0, static_cast<std::int32_t>(x) + 1, {cyl(top, bottom, diameter / 2)});
        CYL_LIST* c = p->firstCyl;
        for (int i = 0; i < 2; ++i) {
            ent line{};
            line.type = kEntLine;
            line.ln.ln.e2 = {x, 1.0 + i, 0};
            db_ptr entry = 0;
            char ok = 0;
            store_ent(&line, &entry, 0, 3, 1, main_attrib, &ok);
            c->ents[i] = {1, 3, static_cast<std::int32_t>(line.id), entry};
        }
        c->entCount = 2;
        return c;
    }
    static int levelOf(const CYL_ENT& e) {
        ent read{};
        EXPECT_EQ(get_ent_from_eptr(e.entry, &read), 1);
        return read.level;
    }
    static void select(const CYL_ENT& e) {
        ent read{};
        ASSERT_EQ(get_ent_from_eptr(e.entry, &read), 1);
        sel_bit_turn_on(&read, 4);
        rewrite_ent(&read, 0);
    }
    CFeatMgrFilter& filter() {
        g_featMgrFilter->viewsTree = head;
        return *g_featMgrFilter;
    }
    static std::vector<FEATURE_MARK*> marks() { return listedMarks(g_records->featureMarks); }
};

// ---- is a mark already there --------------------------------------------------------------------------------

TEST_F(FeatureCommandsTest, AMarkIsFound3TAwayInItsOwnSenseButNotInTheOpposite) {
    tapMark(0, 0);
    const double near[3] = {3 * kT, 0, 10}, far[3] = {5 * kT, 0, 10};
    const double up[3] = {0, 0, 1}, down[3] = {0, 0, -1};
    EXPECT_EQ(featureMarkExists(near, up, 0), 1);
    EXPECT_EQ(featureMarkExists(near, down, 0), 0);
    EXPECT_EQ(featureMarkExists(far, up, 0), 0);

    script().answer(plat::IDCANCEL).answer(plat::IDOK);
    EXPECT_EQ(featureMarkExists(near, up, 1), 1);   // Cancel keeps the one mark
    EXPECT_EQ(featureMarkExists(near, up, 1), 0);   // OK makes another all the same
    expectScriptPlayed();
    EXPECT_EQ(count("A feature mark is already there: X0.08 Y0.00 Z10.00\\nMake another one"), 2);
}

// ---- the display filter -------------------------------------------------------------------------------------

TEST_F(FeatureCommandsTest, TheMaskShowsTheHolesWithinItsDiameterBoundsOnTheFeaturesLevel) {
    struct CASE {
        const char* what;
        std::uint16_t windowMode;
        std::uint8_t useMin, useMax;
        double min, max, tol;
        int found;
    } const cases[] = {
        {"10.02 +- 0.025 takes 10.00", 0, 1, 0, 10.02, 0, 0.025, 1},
        {"10.1 to 12 +- 0.05 leaves 10.00", 0, 1, 1, 10.1, 12, 0.05, 0},
        {"no bound in reaming takes every hole", 0, 0, 0, 0, 0, 0, 1},
        {"a tap with no bound shows nothing", 1, 0, 0, 0, 0, 0, 0},
        {"a tap's lower bound matches the diameter", 1, 1, 0, 10, 0, 0.01, 1},
    };
    CYL_LIST* c = hole(0, 10);
    for (const CASE& k : cases) {
        CFeatMgrFilter& f = filter();
        f.mode = k.windowMode;
        f.useMinDiameter = k.useMin;
        f.useMaxDiameter = k.useMax;
        f.minDiameter = k.min;
        f.maxDiameter = k.max;
        f.minDiameterTol = f.maxDiameterTol = k.tol;
        EXPECT_EQ(f.apply(0), 0);
        EXPECT_EQ(f.foundCount, 2) << k.what;   // every hole entity to the features level
        EXPECT_EQ(f.apply(1), 0) << k.what;
        EXPECT_EQ(f.foundCount, k.found) << k.what;
        EXPECT_EQ(levelOf(c->ents[0]), k.found ? 250 : 251) << k.what;
        f.rewriteHoleEntities();
        EXPECT_EQ(levelOf(c->ents[0]), 1) << k.what;
    }
}

TEST_F(FeatureCommandsTest, AMaskThatFindsNothingButRejectsAnAxisSaysSo) {
    CYL_LIST* c = hole(0, 10);
    c->secAng = 0.1;   // 5.7 degrees
    CFeatMgrFilter& f = filter();
    f.mode = 0;
    f.useMinDiameter = 1;
    f.useMaxDiameter = 0;
    f.minDiameter = 10;
    f.minDiameterTol = 0.01;
    EXPECT_EQ(f.apply(0), 0);
    EXPECT_EQ(f.apply(1), -1);
    f.rewriteHoleEntities();
}

TEST_F(FeatureCommandsTest, TheSelectionGivesItsDiameterRangeAndNothingSelectedLeavesItAlone) {
    CYL_LIST* small = hole(0, 6);
    CYL_LIST* large = hole(20, 12);
    CFeatMgrFilter& f = filter();
    double low = -1, high = -1;
    EXPECT_EQ(f.maxHoleDiameter(&low, &high), 0);
    EXPECT_EQ(low, -1);
    select(small->ents[0]);
    select(large->ents[0]);
    select(large->ents[1]);
    EXPECT_EQ(f.maxHoleDiameter(&low, &high), 3);
    EXPECT_DOUBLE_EQ(low, 6);
    EXPECT_DOUBLE_EQ(high, 12);
    EXPECT_EQ(f.findHoleByEntity(static_cast<std::uint32_t>(large->ents[1].id)), large);
    EXPECT_EQ(f.findHoleByEntity(999999), nullptr);
}

// ---- marks for the chosen holes -----------------------------------------------------------------------------

TEST_F(FeatureCommandsTest, AlignMakesATappedMarkFromTheTopAndOneFromTheBottomAsTheOverlapsLie) {
    CYL_LIST* c = hole(0, 6.8, 0, -20);
    c->ovlpCount = 2;
    c->ovlp[0] = OVLP_ENTRY{{0, 0, 0, 0}, -1, -8, 4, 4};      // near the top
    c->ovlp[1] = OVLP_ENTRY{{0, 0, 0, 0}, -13, -19, 4, 4};    // near the bottom
    select(c->ents[0]);
    CFeatMgrFilter& f = filter();
    EXPECT_EQ(f.alignFeatures(1, 8, 1.25, 1, 6, "METRIC"), 2);
    ASSERT_EQ(marks().size(), 2u);
    const FEATURE_MARK& top = *marks()[0];
    const FEATURE_MARK& bottom = *marks()[1];
    EXPECT_DOUBLE_EQ(top.point[2], 0);
    EXPECT_DOUBLE_EQ(top.direction[2], 1);
    EXPECT_DOUBLE_EQ(top.threadDepth, 8);    // zSup - the entry's bottom
    EXPECT_DOUBLE_EQ(bottom.point[2], -20);
    EXPECT_DOUBLE_EQ(bottom.direction[2], -1);
    EXPECT_DOUBLE_EQ(bottom.threadDepth, 7);   // the entry's top - zInf
    for (const FEATURE_MARK* m : marks()) {
        EXPECT_EQ(m->isTap, 1);
        EXPECT_DOUBLE_EQ(m->tapDiam, 8);
        EXPECT_DOUBLE_EQ(m->length, 20);
        EXPECT_EQ(m->arcEntCount, 1);
    }
    ent e{};
    ASSERT_EQ(get_ent_from_eptr(c->ents[0].entry, &e), 1);
    EXPECT_EQ(sel_bit_is_on(&e, 4), 0);   // the choice is used up
}

TEST_F(FeatureCommandsTest, AlignMakesAFitMarkPerChosenHoleAndSkipsOneNotChosen) {
    CYL_LIST* chosen = hole(0, 10);
    hole(20, 10);
    select(chosen->ents[1]);
    EXPECT_EQ(filter().alignFeatures(0, 0, 0, 0, 0, "H7"), 1);
    ASSERT_EQ(marks().size(), 1u);
    EXPECT_EQ(marks()[0]->isFit, 1);
    EXPECT_STREQ(marks()[0]->fitClass, "H7");
    EXPECT_DOUBLE_EQ(marks()[0]->diameter, 10);
}

// ---- commands -----------------------------------------------------------------------------------------------

TEST_F(FeatureCommandsTest, EditAllOnThreeEqualMarksChangesTheirDepthAndKeepsTheirPlacesAndFitClass) {
    FEATURE_MARK* first = tapMark(0, 0, 1, "A");
    tapMark(20, 0, 1, "B");
    tapMark(40, 0, -1, "C");
    FEATURE_MARK* other = tapMark(60, 0);
    other->threadDepth = 12;   // other data: left alone
    std::vector<FEATURE_MARK> before;
    for (FEATURE_MARK* m : marks()) before.push_back(*m);
    script()
        .entity(static_cast<int>(first->arcEnts[0]))
        .type(CDlgEditFeature::kTemplate, CDlgEditFeature::kDepth, "9")
        .click(CDlgEditFeature::kTemplate, plat::IDOK)
        .esc();
    EXPECT_EQ(editFeatureCmd(&filter(), 2), 0);
    expectScriptPlayed();
    EXPECT_NE(plat::lastSnapshot(CDlgEditFeature::kTemplate).find("3 equal features"), std::string::npos);
    ASSERT_EQ(marks().size(), 4u);
    int placed = 0;
    for (FEATURE_MARK* m : marks()) {
        for (const FEATURE_MARK& b : before) {
            if (b.point[0] != m->point[0]) continue;
            ++placed;
            EXPECT_STREQ(m->fitClass, b.fitClass);
            EXPECT_DOUBLE_EQ(m->direction[2], b.direction[2]);
            EXPECT_DOUBLE_EQ(m->point[1], b.point[1]);
            EXPECT_DOUBLE_EQ(m->threadDepth, b.point[0] == 60 ? 12 : 9) << b.point[0];
        }
        ent arc{};
        ASSERT_TRUE(readEntById(m->arcEnts[0], kEntArc, arc));
        EXPECT_EQ(sel_bit_is_on(&arc, 4), 0);
        EXPECT_EQ(arc.level, m->level);
    }
    EXPECT_EQ(placed, 4);
    EXPECT_EQ(mask_level, 0);
}

TEST_F(FeatureCommandsTest, DeletingAllAsksFirst) {
    tapMark(0, 0);
    const std::uint32_t arc = marks()[0]->arcEnts[0];
    script().answer(plat::IDCANCEL).answer(plat::IDOK);
    deleteFeaturesCmd();
    EXPECT_EQ(marks().size(), 1u);
    deleteFeaturesCmd();
    expectScriptPlayed();
    EXPECT_EQ(g_records->featureMarks, nullptr);
    EXPECT_EQ(g_records->featureMarkCount, 0);
    ent gone{};
    EXPECT_FALSE(readEntById(arc, kEntArc, gone));
}

}  // namespace

namespace {

TEST_F(FeatureCommandsTest, PickedMarksAreDeletedAfterTheQuestionOrTurnedRoundAndBackAgain) {
    FEATURE_MARK* a = tapMark(0, 0);
    FEATURE_MARK* b = tapMark(20, 0);
    FEATURE_MARK* c = tapMark(40, 0);
    std::vector<FEATURE_MARK*> turned{a};   // the list of an earlier turn is replaced
    script().entity(static_cast<int>(a->arcEnts[0])).entity(static_cast<int>(b->arcEnts[0])).endPick();
    deleteOrTurnMarksCmd(1, turned);
    ASSERT_EQ(turned.size(), 2u);
    EXPECT_EQ(marks().size(), 3u);
    EXPECT_EQ(marks()[0], c);
    for (FEATURE_MARK* m : turned) {
        EXPECT_DOUBLE_EQ(m->point[2], 2);
        EXPECT_DOUBLE_EQ(m->direction[2], -1);
    }
    deleteOrTurnMarksCmd(2, turned);
    EXPECT_TRUE(turned.empty());
    for (FEATURE_MARK* m : marks()) EXPECT_DOUBLE_EQ(m->direction[2], 1);

    // Delete: Cancel keeps the picked, OK deletes them.
    const std::uint32_t cArc = c->arcEnts[0];
    script().entity(static_cast<int>(cArc)).endPick().answer(plat::IDCANCEL);
    deleteOrTurnMarksCmd(0, turned);
    EXPECT_EQ(marks().size(), 3u);
    script().entity(static_cast<int>(cArc)).esc();   // an aborted pick picks nothing: no question
    deleteOrTurnMarksCmd(0, turned);
    EXPECT_EQ(marks().size(), 3u);
    ent cArcRead{};
    ASSERT_TRUE(readEntById(cArc, kEntArc, cArcRead));
    EXPECT_EQ(sel_bit_is_on(&cArcRead, 4), 0);
    script().entity(static_cast<int>(cArc)).endPick().answer(plat::IDOK);
    deleteOrTurnMarksCmd(0, turned);
    expectScriptPlayed();
    EXPECT_EQ(marks().size(), 2u);
    EXPECT_FALSE(isListedMark(c));
    EXPECT_EQ(mask_level, 0);
    for (FEATURE_MARK* m : marks()) {
        ent arc{};
        ASSERT_TRUE(readEntById(m->arcEnts[0], kEntArc, arc));
        EXPECT_EQ(arc.level, m->level);
    }
}

// Every arc of the part is a candidate, a hidden one too, in the order of the database.
TEST_F(FeatureCommandsTest, AFeatureIsCopiedOntoEveryEqualArcLyingOnAHole) {
    hole(0, 6.8, 10, 2);
    hole(30, 6.8, 10, 0);
    hole(90, 6.8, 10, 0);
    FEATURE_MARK* source = tapMark(0, 0);
    // Bare arcs such as the source's: over the third hole (hidden), over the second, and over no hole.
    ent ref{};
    ASSERT_TRUE(readEntById(source->arcEnts[0], kEntArc, ref));
    for (double x : {90.0, 30.0, 60.0}) {
        ent arc = ref;
        arc.arc.c.x = x;
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&arc, &entry, 0, ref.color, ref.level, ref.attrib, &ok);
        ASSERT_EQ(ok, 1);
        if (x == 90.0) {
            ASSERT_EQ(get_ent_from_eptr(entry, &arc), 1);
            arc.sel |= kSelBlank;
            ASSERT_EQ(rewrite_ent(&arc, 0), 1);
        }
    }
    EXPECT_EQ(copyFeatureToEqualArcs(source, head), 0);
    ASSERT_EQ(marks().size(), 3u);
    EXPECT_DOUBLE_EQ(marks()[1]->point[0], 90);
    const FEATURE_MARK& copy = *marks()[2];
    EXPECT_DOUBLE_EQ(copy.point[0], 30);
    EXPECT_DOUBLE_EQ(copy.length, 10);
    EXPECT_DOUBLE_EQ(copy.direction[2], 1);
    EXPECT_STREQ(copy.threadName, "M8");
    EXPECT_EQ(copy.arcEntCount, 1);
    EXPECT_EQ(findFeatureMarkByEntity(copy.arcEnts[0]), marks()[2]);
}

}  // namespace

namespace {

TEST_F(FeatureCommandsTest, APendingMarkIsSnappedOntoTheHoleItCoversAndOthersAreLeftAlone) {
    CYL_LIST* bore = hole(0, 6.8, 0, -12);
    FEATURE_MARK* pending = tapMark(0.01, 0.005);
    pending->point[2] = 0.01;
    pending->length = 11.99;
    pending->threadDepth = 10;
    pending->pendingMatch = 1;
    FEATURE_MARK* settled = tapMark(50, 0);
    const FEATURE_MARK settledBefore = *settled;
    CFeatMgrFilter& f = filter();
    f.recognized = 1;   // the holes are the fixture's
    script().answer(plat::IDOK);
    EXPECT_EQ(recognizeFeaturesCmd(g_records->featureMarks, &f), 0);
    expectScriptPlayed();
    EXPECT_EQ(count("The part's holes are recognised to move the features onto them."), 1);
    EXPECT_EQ(pending->pendingMatch, 0);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(pending->point[k], bore->cUniv[k], 1e-9) << k;
    EXPECT_DOUBLE_EQ(pending->direction[2], 1);
    EXPECT_DOUBLE_EQ(pending->length, 12);
    ent arc{};
    ASSERT_TRUE(readEntById(pending->arcEnts[0], kEntArc, arc));
    EXPECT_NEAR(arc.arc.c.x, 0, 1e-9);
    EXPECT_EQ(featureMarkData(*settled), featureMarkData(settledBefore));

    // Nothing pending: no question, no recognition.
    plat::driver().reset();
    f.recognized = 0;
    EXPECT_EQ(recognizeFeaturesCmd(g_records->featureMarks, &f), 0);
    EXPECT_EQ(count("msgbox"), 0);
    EXPECT_EQ(f.recognized, 0);
}

}  // namespace
