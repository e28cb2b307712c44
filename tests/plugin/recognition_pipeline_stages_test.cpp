// The pipeline's own stages on hand-made trees, where each rule's edge matters: RemovePockets from the top
// and from the bottom with the open-arc limit, SetEntry's three reasons to drill a hole from the other side
// and its pass marks, and the last stage's sweep of empty holes and views. Holes in host view 1 (world
// axes, z up) unless said otherwise; T = 0.025 mm.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/pipeline_raw.h"
#include "plugin/model/tree.h"
#include "plugin/services/recognition.h"
#include "support/hand_tree.h"
#include "support/plugin_fixture.h"

namespace {

constexpr double kPi = std::numbers::pi;
using StageTree = hand_tree::TREE;

// The segment at that place of the hole's chain, from 0 at the top.
CYL_LIST* segAt(const POINT_LIST* p, int index) {
    CYL_LIST* c = p->firstCyl;
    while (c && index-- > 0) c = c->next;
    return c;
}

class RecogStagesTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        g_globals->settings.minSweepAngle = 340;
        g_nextHoleId = 1;
    }
};

// ---- RemovePockets ---------------------------------------------------------------------------------------

TEST_F(RecogStagesTest, OpenWallsAndPocketsAreCutOffAndTheHoleFollowsItsNewTop) {
    using hand_tree::cyl;
    const double t4 = g_tolerances.tol4T;
    const struct {
        const char* what;
        double minSweep;   // the open-arc setting, degrees
        std::vector<hand_tree::SEG> segs;
        const char* left;  // the chain left ("" when the hole is left empty for the last stage)
    } cases[] = {
        {"a quarter-open pocket whose floor ring reaches well past its wall, over a full hole", 340,
         {cyl(20, 15, 10).arc(0, kPi / 2).ringAtBottom(0, 12), cyl(15, 0, 3)}, "15.0:3.0>0.0:3.0"},
        {"a closed wall above the floor: a counterbore, not a pocket", 340,
         {cyl(20, 15, 10).ringAtBottom(0, 12), cyl(15, 0, 3)}, "20.0:10.0>15.0:10.0 15.0:3.0>0.0:3.0"},
        {"a floor ring only 4T past the open wall", 340,
         {cyl(20, 15, 10).arc(0, kPi / 2).ringAtBottom(0, 10 + t4), cyl(15, 0, 3)},
         "20.0:10.0>15.0:10.0 15.0:3.0>0.0:3.0"},
        {"an open first wall deeper than its radius: a slot", 340, {cyl(20, 10, 2).arc(0, kPi), cyl(10, 0, 1.5)},
         "10.0:1.5>0.0:1.5"},
        {"an open first wall shallower than its radius", 340, {cyl(20, 18.5, 2).arc(0, kPi), cyl(18.5, 0, 1.5)},
         "20.0:2.0>18.5:2.0 18.5:1.5>0.0:1.5"},
        {"a hole that was only the slot", 340, {cyl(20, 10, 2).arc(0, kPi)}, ""},
        {"a half-open recess below, its top ring wide", 340,
         {cyl(20, 10, 3), cyl(10, 5, 8).arc(0, kPi / 2).ringAtTop(0, 10)},
         "20.0:3.0>10.0:3.0"},
        {"the last wall open and longer than its radius", 340, {cyl(20, 10, 3), cyl(10, 2, 2).arc(0, kPi)},
         "20.0:3.0>10.0:3.0"},
        {"a quarter turn is more than a setting of 80 degrees: not open", 80,
         {cyl(20, 10, 2).arc(0, kPi / 2), cyl(10, 0, 1.5)},
         "20.0:2.0>10.0:2.0 10.0:1.5>0.0:1.5"},
        {"a quarter turn under a setting of 91 degrees", 91, {cyl(20, 10, 2).arc(0, kPi / 2), cyl(10, 0, 1.5)},
         "10.0:1.5>0.0:1.5"},
        // The limit never exceeds a half turn plus 0.1 degree.
        {"200 degrees under the setting of 340", 340, {cyl(20, 10, 2).arc(0, 200 * kPi / 180), cyl(10, 0, 1.5)},
         "20.0:2.0>10.0:2.0 10.0:1.5>0.0:1.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g_globals->settings.minSweepAngle = c.minSweep;
        StageTree tree;
        VIEW_LIST* v = tree.view(1);
        POINT_LIST* p = tree.hole(v, 5, 6, c.segs);
        clearDroppedWalls();
        ASSERT_EQ(cylsRemovePockets(tree.head), 0);
        EXPECT_EQ(hand_tree::chain(p), c.left);
        // Every wall cut off is told of as part of a pocket.
        EXPECT_EQ(droppedWalls().size(), c.segs.size() - static_cast<std::size_t>(p->firstCyl ? p->cylCount : 0));
        for (const DROPPED_WALL& w : droppedWalls()) EXPECT_EQ(w.rule, DROP_RULE::Pocket);
        EXPECT_EQ(v->pointCount, 1);   // an emptied hole is the last stage's to remove
        EXPECT_DOUBLE_EQ(p->ptView[0], 5);
        EXPECT_DOUBLE_EQ(p->ptView[1], 6);
        EXPECT_EQ(hand_tree::checkTree(tree.head), "");   // among others: the hole starts at its own top
    }
}

// ---- SetEntry --------------------------------------------------------------------------------------------

TEST_F(RecogStagesTest, HolesEnteredFromBelowMoveToTheOppositeViewTurnedEndForEnd) {
    StageTree tree;
    VIEW_LIST* top = tree.view(1);
    // Mouth narrower than the open far end.
    POINT_LIST* widening = tree.hole(top, 0, 0, {{10, 2, 0, 5}});
    // A shoulder at the top and none at the bottom.
    POINT_LIST* shoulderTop = tree.hole(top, 20, 0, {{10, 3, 5, 3}, {5, 6, 0, 6}});
    segAt(shoulderTop, 0)->topFlat = 1;
    // Both ends flat, the top ring's hole smaller than the bottom ring's.
    POINT_LIST* rings = tree.hole(top, 40, 0, {{10, 3, 0, 3}});
    segAt(rings, 0)->topFlat = 1;
    segAt(rings, 0)->rFlatMinTop = 1;
    segAt(rings, 0)->bottomFlat = 1;
    segAt(rings, 0)->rFlatMinBtm = 2;
    // Stays: a plain blind hole, and a hole only just (by less than 0.4T) wider at its far end.
    POINT_LIST* blind = tree.hole(top, 60, 0, {{10, 3, 0, 3}});
    segAt(blind, 0)->bottomFlat = 1;
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
