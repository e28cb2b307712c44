// The pipeline's own stages on hand-made trees, where each rule's edge matters: RemovePockets from the top
// and from the bottom with the open-arc limit, SetEntry's three reasons to drill a hole from the other side
// and its pass marks, and the last stage's sweep of empty holes and views. Holes in host view 1 (world
// axes, z up) unless said otherwise; T = 0.025 mm.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "host/api.h"
#include "plugin/core/globals.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/tree.h"
#include "support/hand_tree.h"
#include "support/plugin_fixture.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kFull = 2 * kPi;

struct SEG_SPEC {
    double zSup, rSup, zInf, rInf;
    double sweep = kFull;
};

// A hand-made tree whose holes take the next hole id and segments of the given sweep.
class StageTree : public hand_tree::TREE {
public:
    POINT_LIST* hole(VIEW_LIST* v, double x, double y, const std::vector<SEG_SPEC>& segs) {
        std::vector<hand_tree::SEG> chain;
        for (const SEG_SPEC& s : segs) chain.push_back(hand_tree::cone(s.zSup, s.rSup, s.zInf, s.rInf).arc(0, s.sweep));
        return hand_tree::appendHole(v, x, y, g_nextHoleId++, chain);
    }
    static CYL_LIST* seg(const POINT_LIST* p, int index) {
        CYL_LIST* c = p->firstCyl;
        while (c && index-- > 0) c = c->next;
        return c;
    }
};

class RecogStagesTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        g_globals->settings.minSweepAngle = 340;
        g_nextHoleId = 1;
    }
    static double t() { return g_tolerances.tolT; }
};

// ---- RemovePockets ---------------------------------------------------------------------------------------

TEST_F(RecogStagesTest, APocketWithAWideFloorIsCutOffTheTopAndTheHoleStartsBelowIt) {
    StageTree tree;
    VIEW_LIST* v = tree.view(1);
    // A quarter-open pocket r 10 whose floor ring reaches well past its wall, over a full hole r 3.
    POINT_LIST* p = tree.hole(v, 5, 6, {{20, 10, 15, 10, kPi / 2}, {15, 3, 0, 3}});
    CYL_LIST* pocket = StageTree::seg(p, 0);
    pocket->bottomFlat = 1;
    pocket->rFlatMaxBtm = 12;
    ASSERT_EQ(cylsRemovePockets(tree.head), 0);
    ASSERT_EQ(p->cylCount, 1);
    ASSERT_NE(p->firstCyl, nullptr);
    EXPECT_EQ(p->firstCyl->prev, nullptr);
    EXPECT_DOUBLE_EQ(p->firstCyl->rSup, 3);
    EXPECT_DOUBLE_EQ(p->ptUniv[2], 15);   // the hole now starts at its own top
    EXPECT_DOUBLE_EQ(p->ptView[0], 5);
    EXPECT_DOUBLE_EQ(p->ptView[2], 15);
}

TEST_F(RecogStagesTest, AFloorRingPocketNeedsEveryWallAboveItOpenAndTheRingWiderThan4T) {
    StageTree tree;
    VIEW_LIST* v = tree.view(1);
    // Closed (full-turn) wall above the floor: a counterbore, not a pocket.
    POINT_LIST* closed = tree.hole(v, 0, 0, {{20, 10, 15, 10}, {15, 3, 0, 3}});
    StageTree::seg(closed, 0)->bottomFlat = 1;
    StageTree::seg(closed, 0)->rFlatMaxBtm = 12;
    // Ring only 4T past the wall: not wider than the wall by more than 4T.
    POINT_LIST* narrowRing = tree.hole(v, 30, 0, {{20, 10, 15, 10, kPi / 2}, {15, 3, 0, 3}});
    StageTree::seg(narrowRing, 0)->bottomFlat = 1;
    StageTree::seg(narrowRing, 0)->rFlatMaxBtm = 10 + g_tolerances.tol4T;
    ASSERT_EQ(cylsRemovePockets(tree.head), 0);
    EXPECT_EQ(closed->cylCount, 2);
    EXPECT_EQ(narrowRing->cylCount, 2);
}

TEST_F(RecogStagesTest, AnOpenFirstWallDeeperThanItsRadiusIsASlotAndGoes) {
    StageTree tree;
    VIEW_LIST* v = tree.view(1);
    POINT_LIST* slot = tree.hole(v, 0, 0, {{20, 2, 10, 2, kPi}, {10, 1.5, 0, 1.5}});
    POINT_LIST* shallow = tree.hole(v, 30, 0, {{20, 2, 18.5, 2, kPi}, {18.5, 1.5, 0, 1.5}});
    POINT_LIST* onlySlot = tree.hole(v, 60, 0, {{20, 2, 10, 2, kPi}});
    ASSERT_EQ(cylsRemovePockets(tree.head), 0);
    EXPECT_EQ(slot->cylCount, 1);
    EXPECT_DOUBLE_EQ(slot->firstCyl->rSup, 1.5);
    EXPECT_EQ(shallow->cylCount, 2);
    // A hole that was only the slot is left empty for the last stage to remove.
    EXPECT_EQ(onlySlot->cylCount, 0);
    EXPECT_EQ(onlySlot->firstCyl, nullptr);
    EXPECT_EQ(v->pointCount, 3);
}

TEST_F(RecogStagesTest, PocketsOpeningAtTheBottomAreCutOffBelow) {
    StageTree tree;
    VIEW_LIST* v = tree.view(1);
    // A full hole over a half-open recess whose top ring is wide: the recess goes.
    POINT_LIST* ring = tree.hole(v, 0, 0, {{20, 3, 10, 3}, {10, 8, 5, 8, kPi / 2}});
    StageTree::seg(ring, 1)->topFlat = 1;
    StageTree::seg(ring, 1)->rFlatMaxTop = 10;
    // The last wall open and longer than its radius.
    POINT_LIST* slot = tree.hole(v, 30, 0, {{20, 3, 10, 3}, {10, 2, 2, 2, kPi}});
    ASSERT_EQ(cylsRemovePockets(tree.head), 0);
    EXPECT_EQ(ring->cylCount, 1);
    EXPECT_EQ(ring->firstCyl->next, nullptr);
    EXPECT_EQ(slot->cylCount, 1);
    EXPECT_EQ(slot->firstCyl->next, nullptr);
}

TEST_F(RecogStagesTest, TheOpenArcSettingLimitsWhatCountsAsOpen) {
    StageTree tree;
    VIEW_LIST* v = tree.view(1);
    POINT_LIST* p = tree.hole(v, 0, 0, {{20, 2, 10, 2, kPi / 2}, {10, 1.5, 0, 1.5}});
    g_globals->settings.minSweepAngle = 80;   // a quarter turn is more than 80 degrees: not open
    ASSERT_EQ(cylsRemovePockets(tree.head), 0);
    EXPECT_EQ(p->cylCount, 2);
    g_globals->settings.minSweepAngle = 91;
    ASSERT_EQ(cylsRemovePockets(tree.head), 0);
    EXPECT_EQ(p->cylCount, 1);
}

TEST_F(RecogStagesTest, NearlyFullTurnsStayEvenWhenTheSettingAllowsMoreThanAHalfTurn) {
    StageTree tree;
    VIEW_LIST* v = tree.view(1);
    // 200 degrees is open by the setting of 340, but the limit never exceeds a half turn plus 0.1 degree.
    POINT_LIST* p = tree.hole(v, 0, 0, {{20, 2, 10, 2, 200 * kPi / 180}, {10, 1.5, 0, 1.5}});
    ASSERT_EQ(cylsRemovePockets(tree.head), 0);
    EXPECT_EQ(p->cylCount, 2);
}

// ---- SetEntry --------------------------------------------------------------------------------------------

TEST_F(RecogStagesTest, HolesEnteredFromBelowMoveToTheOppositeViewTurnedEndForEnd) {
    StageTree tree;
    VIEW_LIST* top = tree.view(1);
    // Mouth narrower than the open far end.
    POINT_LIST* widening = tree.hole(top, 0, 0, {{10, 2, 0, 5}});
    // A shoulder at the top and none at the bottom.
    POINT_LIST* shoulderTop = tree.hole(top, 20, 0, {{10, 3, 5, 3}, {5, 6, 0, 6}});
    StageTree::seg(shoulderTop, 0)->topFlat = 1;
    // Both ends flat, the top ring's hole smaller than the bottom ring's.
    POINT_LIST* rings = tree.hole(top, 40, 0, {{10, 3, 0, 3}});
    StageTree::seg(rings, 0)->topFlat = 1;
    StageTree::seg(rings, 0)->rFlatMinTop = 1;
    StageTree::seg(rings, 0)->bottomFlat = 1;
    StageTree::seg(rings, 0)->rFlatMinBtm = 2;
    // Stays: a plain blind hole, and a hole only just (by less than 0.4T) wider at its far end.
    POINT_LIST* blind = tree.hole(top, 60, 0, {{10, 3, 0, 3}});
    StageTree::seg(blind, 0)->bottomFlat = 1;
    POINT_LIST* nearlyStraight = tree.hole(top, 80, 0, {{10, 3, 0, 3 + 0.2 * g_tolerances.tolT}});
    const int widId = widening->id;

    ASSERT_EQ(cylsSetEntry(tree.head), 0);
    ASSERT_EQ(countViews(tree.head), 2);
    VIEW_LIST* bottom = top->next;
    EXPECT_EQ(bottom->viewNumber, 4);
    EXPECT_EQ(top->pointCount, 2);
    EXPECT_EQ(top->firstPoint, blind);
    EXPECT_EQ(blind->next, nearlyStraight);
    ASSERT_EQ(bottom->pointCount, 3);
    EXPECT_EQ(bottom->firstPoint, widening);   // moved in list order, appended one after the other
    EXPECT_EQ(widening->next, shoulderTop);
    EXPECT_EQ(shoulderTop->next, rings);
    EXPECT_EQ(widening->id, widId);
    EXPECT_EQ(widening->view, bottom);
    // Seen from below (z = -world z) the wide end is now the mouth.
    const CYL_LIST* w = widening->firstCyl;
    EXPECT_DOUBLE_EQ(w->zSup, 0);
    EXPECT_DOUBLE_EQ(w->rSup, 5);
    EXPECT_DOUBLE_EQ(w->zInf, -10);
    EXPECT_DOUBLE_EQ(w->rInf, 2);
    EXPECT_EQ(w->viewNumber, 4);
    // The shouldered hole keeps its two segments, the former bottom one first.
    ASSERT_EQ(shoulderTop->cylCount, 2);
    EXPECT_DOUBLE_EQ(shoulderTop->firstCyl->rSup, 6);
    EXPECT_TRUE(shoulderTop->firstCyl->next->bottomFlat);
    EXPECT_EQ(top->passMark, 0);
    EXPECT_EQ(bottom->passMark, 0);
}

TEST_F(RecogStagesTest, SetEntrySkipsMarkedViewsAndClearsEveryMark) {
    StageTree tree;
    VIEW_LIST* marked = tree.view(1);
    POINT_LIST* p = tree.hole(marked, 0, 0, {{10, 2, 0, 5}});
    marked->passMark = 1;
    VIEW_LIST* other = tree.view(5);
    POINT_LIST* q = tree.hole(other, 0, 0, {{10, 2, 0, 5}});
    ASSERT_EQ(cylsSetEntry(tree.head), 0);
    EXPECT_EQ(p->view, marked);
    EXPECT_EQ(marked->pointCount, 1);
    ASSERT_EQ(countViews(tree.head), 3);   // view 6 made for the hole of view 5
    EXPECT_EQ(q->view->viewNumber, 6);
    for (const VIEW_LIST* v = tree.head; v; v = v->next) EXPECT_EQ(v->passMark, 0);
}

TEST_F(RecogStagesTest, AHoleMovedIntoAViewLaterInTheListIsNotMovedBack) {
    StageTree tree;
    VIEW_LIST* top = tree.view(1);
    POINT_LIST* p = tree.hole(top, 0, 0, {{10, 2, 0, 5}});
    VIEW_LIST* bottom = tree.view(4);
    POINT_LIST* q = tree.hole(bottom, 30, 0, {{0, 3, -10, 3}});
    ASSERT_EQ(cylsSetEntry(tree.head), 0);
    EXPECT_EQ(countViews(tree.head), 2);   // the existing view 4 received it
    EXPECT_EQ(p->view, bottom);
    EXPECT_EQ(q->next, p);
    EXPECT_EQ(bottom->pointCount, 2);
}

// ---- the last stage ----------------------------------------------------------------------------------------

TEST_F(RecogStagesTest, TheLastStageFreesEmptyHolesAndViewsAndClearsTheMovedMarks) {
    StageTree tree;
    VIEW_LIST* first = tree.view(4);
    tree.hole(first, 0, 0, {});
    VIEW_LIST* second = tree.view(1);
    POINT_LIST* empty = tree.hole(second, 0, 0, {});
    POINT_LIST* kept = tree.hole(second, 10, 0, {{10, 2, 0, 2}});
    POINT_LIST* alsoKept = tree.hole(second, 20, 0, {{10, 2, 0, 2}});
    kept->movedMark = 1;
    VIEW_LIST* third = tree.view(5);
    tree.hole(third, 0, 0, {});
    VIEW_LIST* fourth = tree.view(6);
    POINT_LIST* last = tree.hole(fourth, 0, 0, {{10, 2, 0, 2}});
    (void)empty;

    tree.head = eraseVoidViews(tree.head);
    ASSERT_EQ(tree.head, second);
    EXPECT_EQ(second->prev, nullptr);
    EXPECT_EQ(second->next, fourth);
    EXPECT_EQ(fourth->prev, second);
    EXPECT_EQ(second->pointCount, 2);
    EXPECT_EQ(second->firstPoint, kept);
    EXPECT_EQ(kept->prev, nullptr);
    EXPECT_EQ(kept->next, alsoKept);
    EXPECT_EQ(kept->movedMark, 0);
    EXPECT_EQ(fourth->firstPoint, last);
}

TEST_F(RecogStagesTest, TheLastStageOnATreeOfEmptyHolesLeavesNoTree) {
    StageTree tree;
    tree.hole(tree.view(1), 0, 0, {});
    tree.hole(tree.view(4), 0, 0, {});
    tree.head = eraseVoidViews(tree.head);
    EXPECT_EQ(tree.head, nullptr);
}

}  // namespace
