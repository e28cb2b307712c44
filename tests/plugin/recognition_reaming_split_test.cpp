// The reaming split on holes built in a 40 x 40 block from its top face (z = h) down: which holes give
// up their end section to the bottom view (host view 4), and what both halves record.
#include <gtest/gtest.h>

#include "plugin/base/globals.h"
#include "plugin/base/views_list.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/reaming_split.h"
#include "plugin/services/recognition.h"
#include "plugin/tables/thread_tables.h"
#include "recognition_attributes_support.h"
#include "support/recognition_fixture.h"

namespace {

using namespace recog_p;

constexpr int kTopView = 1, kBottomView = 4;

class ReamingSplitTest : public RecogPTest {
protected:
    // The drilling block is h high; holes at (x, 10) from the top.
    POINT_LIST* hole(hb::HoleSpec spec, double h = 20) {
        const hb::HoleSpec made = built({40, 40, h}, {spec}).front();
        return addHole(made, std::fabs(made.depth() - h) < 1e-9);
    }
    static hb::HoleSpec fromTop(double x, double h = 20) { return hb::holeAt("H", {x, 10, h}, {0, 0, -1}); }

    int split(std::int16_t fitMode, std::int16_t otherMode, double ratio = 1.0, std::int16_t fullDepth = 0) {
        CTabColsDesc table;
        EXPECT_EQ(table.read(g_threadTables->tables[0].path), 0);
        return splitReaming(head, table, readAllowedViews(g_globals->settings), fitMode, ratio, fullDepth, otherMode, ratio, fullDepth);
    }
    POINT_LIST* movedPoint() const {
        const auto moved = points(viewNumbered(kBottomView));
        return moved.empty() ? nullptr : moved.front();
    }
};

TEST_F(ReamingSplitTest, ACounterboredThroughHoleGivesItsBoreToTheOppositeView) {
    POINT_LIST* kept = hole(hb::counterbored("H", {10, 10, 20}, {0, 0, -1}, 8, 12, 5));
    ASSERT_EQ(split(kSplitNever, kSplitAlways), 0);
    ASSERT_EQ(kept->cylCount, 1);
    EXPECT_DOUBLE_EQ(kept->firstCyl->rSup, 6);
    POINT_LIST* moved = movedPoint();
    ASSERT_NE(moved, nullptr);
    ASSERT_EQ(moved->cylCount, 1);
    EXPECT_DOUBLE_EQ(moved->firstCyl->rSup, 4);
    EXPECT_NEAR(moved->firstCyl->zSup, 0, 1e-9);   // the exit face, seen from below
    EXPECT_NEAR(moved->firstCyl->zInf, -15, 1e-9);
    EXPECT_EQ(kept->reamSplitted + moved->reamSplitted, 2);
    EXPECT_EQ(kept->reamPartnerId, moved->id);
    EXPECT_EQ(moved->reamPartnerId, kept->id);
    EXPECT_NE(kept->id, moved->id);
    EXPECT_EQ(kept->reamPart, 0);
    EXPECT_EQ(moved->reamPart, 1);
    EXPECT_EQ(kept->reamDepthSet + moved->reamDepthSet, 0);

    // With the full-depth rule the bore is reamed from the exit up to the old top.
    freeViewsTree(head);
    head = nullptr;
    kept = hole(hb::counterbored("H", {10, 10, 20}, {0, 0, -1}, 8, 12, 5));
    ASSERT_EQ(split(kSplitNever, kSplitAlways, 1.0, 1), 0);
    moved = movedPoint();
    ASSERT_NE(moved, nullptr);
    EXPECT_NEAR(moved->reamSavedZInf, -15, 1e-9);
    EXPECT_NEAR(moved->firstCyl->zInf, -20, 1e-9);
    EXPECT_EQ(kept->reamDepthSet + moved->reamDepthSet, 2);
}

TEST_F(ReamingSplitTest, TheModesOfTheSegmentKindDecide) {
    // Only fit segments are split: the bore is none until an attribute says so.
    POINT_LIST* plain = hole(hb::counterbored("H", {10, 10, 20}, {0, 0, -1}, 8, 12, 5));
    ASSERT_EQ(split(kSplitAlways, kSplitNever), 0);
    EXPECT_EQ(plain->cylCount, 2);
    plain->firstCyl->next->isFit = 1;
    ASSERT_EQ(split(kSplitAlways, kSplitNever), 0);
    EXPECT_EQ(plain->cylCount, 1);

    // Mode 1: the bore's bottom lies 6 below the top, less than its diameter 8; ratio 0.75 lets it go.
    POINT_LIST* shallow = hole(hb::counterbored("H", {30, 10, 6}, {0, 0, -1}, 8, 12, 2), 6);
    ASSERT_EQ(split(kSplitNever, kSplitIfDeep, 1.0), 0);
    EXPECT_EQ(shallow->cylCount, 2);
    ASSERT_EQ(split(kSplitNever, kSplitIfDeep, 0.75), 0);
    EXPECT_EQ(shallow->cylCount, 1);
}

TEST_F(ReamingSplitTest, HolesWithoutAnOpenStraightEndStayWhole) {
    const std::pair<const char*, hb::HoleSpec> cases[] = {
        {"blind flat", hb::counterbored("H", {10, 10, 20}, {0, 0, -1}, 8, 12, 5, 15)},
        {"blind tipped", fromTop(10).cylinder(12, 5).cylinder(8, 8).tip(118)},
        {"one straight segment", hb::throughHole("H", {10, 10, 20}, {0, 0, -1}, 8)},
        {"exit chamfer too wide", fromTop(10).cylinder(12, 5).cylinder(8, 13).chamfer(8, 12, 90)},
    };
    for (const auto& [what, spec] : cases) {
        SCOPED_TRACE(what);
        freeViewsTree(head);
        head = nullptr;
        POINT_LIST* p = hole(spec);
        const int before = p->cylCount;
        ASSERT_EQ(split(kSplitAlways, kSplitAlways), 0);
        EXPECT_EQ(p->cylCount, before);
        EXPECT_EQ(p->reamSplitted, 0);
        EXPECT_EQ(viewNumbered(kBottomView), nullptr);
    }
}

TEST_F(ReamingSplitTest, TheCandidateIsTheLastStraightSegmentOrOneBeforeASmallExitChamfer) {
    // The chamfer goes along; with two segments moved the full-depth rule does not apply.
    POINT_LIST* chamfered = hole(fromTop(10).cylinder(12, 5).cylinder(8, 14).chamfer(8, 10, 90));
    ASSERT_EQ(split(kSplitNever, kSplitAlways, 1.0, 1), 0);
    EXPECT_EQ(chamfered->cylCount, 1);
    POINT_LIST* moved = movedPoint();
    ASSERT_NE(moved, nullptr);
    ASSERT_EQ(moved->cylCount, 2);
    EXPECT_DOUBLE_EQ(moved->firstCyl->rSup, 5);   // the chamfer is the new entry
    EXPECT_NEAR(moved->firstCyl->next->zInf, -15, 1e-9);
    EXPECT_EQ(moved->reamDepthSet, 0);

    // An 8 mm bore followed by a widening cone and a 10 mm bore has two segments after it: the 10 mm bore,
    // open and last, is taken instead.
    freeViewsTree(head);
    head = nullptr;
    POINT_LIST* stepped = hole(fromTop(10).cylinder(12, 4).cylinder(8, 6).cone(8, 10, 4).cylinder(10, 6));
    ASSERT_EQ(split(kSplitNever, kSplitAlways), 0);
    EXPECT_EQ(stepped->cylCount, 3);
    ASSERT_NE(movedPoint(), nullptr);
    EXPECT_EQ(movedPoint()->cylCount, 1);
    EXPECT_DOUBLE_EQ(movedPoint()->firstCyl->rSup, 5);
}

TEST_F(ReamingSplitTest, TheSplitOffEndIsNotSplitAgain) {
    // Entered through a cone, the bore's top has no shoulder: seen from below, the moved bore with its
    // chamfer is itself an open straight end. Splitting it again would lose it (its partner sits on its
    // axis).
    POINT_LIST* kept = hole(fromTop(10).cylinder(12, 4).cone(12, 8, 2).cylinder(8, 13).chamfer(8, 10, 90));
    ASSERT_EQ(split(kSplitNever, kSplitAlways), 0);
    EXPECT_EQ(kept->cylCount, 2);
    ASSERT_NE(movedPoint(), nullptr);
    EXPECT_EQ(movedPoint()->cylCount, 2);
    EXPECT_EQ(points(viewNumbered(kBottomView)).size(), 1u);
}

TEST_F(ReamingSplitTest, FlaggedHolesAndRefusedDirectionsAreLeftAlone) {
    POINT_LIST* crashed = hole(hb::counterbored("H", {10, 10, 20}, {0, 0, -1}, 8, 12, 5));
    crashed->crashBottom = 1;
    POINT_LIST* necked = hole(hb::counterbored("H", {30, 10, 20}, {0, 0, -1}, 8, 12, 5));
    necked->neckSplitted = 1;
    ASSERT_EQ(split(kSplitAlways, kSplitAlways), 0);
    EXPECT_EQ(crashed->cylCount + necked->cylCount, 4);

    // Only the top view allowed: its reverse, the bottom view, is not.
    crashed->crashBottom = 0;
    necked->neckSplitted = 0;
    allowOnlyTopView();
    ASSERT_EQ(split(kSplitAlways, kSplitAlways), 0);
    EXPECT_EQ(crashed->cylCount + necked->cylCount, 4);
    EXPECT_EQ(viewNumbered(kBottomView), nullptr);
}

TEST_F(ReamingSplitTest, IsReamableLooksAtTheEndStateAndTheExitChamfer) {
    POINT_LIST* p = hole(fromTop(10).cylinder(12, 5).cylinder(8, 14).chamfer(8, 10, 90));
    CYL_LIST* bore = p->firstCyl->next;
    const double a = 40 * kDeg, b = 50 * kDeg;
    EXPECT_EQ(isReamable(bore, a, b, 1.0), 1);
    EXPECT_EQ(isReamable(bore, b, a, 1.0), 1);   // the range in either order
    EXPECT_EQ(isReamable(bore, a, b, 0.9), 0);   // a 1 mm chamfer is over 1.05 x 0.9
    // The 45-degree chamfer against ranges that end near it: half a degree of margin.
    EXPECT_EQ(isReamable(bore, 45.4 * kDeg, b, 1.0), 1);
    EXPECT_EQ(isReamable(bore, 45.6 * kDeg, b, 1.0), 0);
    EXPECT_EQ(isReamable(bore, 30 * kDeg, 44.6 * kDeg, 1.0), 1);
    EXPECT_EQ(isReamable(bore, 30 * kDeg, 44.4 * kDeg, 1.0), 0);
    EXPECT_EQ(isReamable(bore->next, a, b, 1.0), 1);   // the chamfer itself: last and open
    EXPECT_EQ(isReamable(p->firstCyl, a, b, 1.0), 0);  // the counterbore ends on a shoulder
}

}  // namespace
