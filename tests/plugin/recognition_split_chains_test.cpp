// The splitting stages on hand-made trees: a closed wall, a long gap and a neck cut a chain, the lower part
// going, flipped, to the view of the opposite direction (view 4 for view 1, whose Z row is -Z).
#include <gtest/gtest.h>

#include <vector>

#include "plugin/base/globals.h"
#include "plugin/base/views_list.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/split_chains.h"
#include "plugin/recognition/pipeline_raw.h"
#include "plugin/services/recognition.h"
#include "support/hand_tree.h"
#include "support/recognition_fixture.h"

using namespace hand_tree;

namespace {

constexpr int kTop = 1, kBottom = 4;

class SplitChainsTest : public RecognitionFixture {
protected:
    void SetUp() override {
        RecognitionFixture::SetUp();
        g_tolerances.tolT = 0.01;
        g_globals->settings.onlySelectedViews = 0;
        g_nextHoleId = 100;
    }

    TREE tree;
};

// ---- the three stages -----------------------------------------------------------------------------------

using STAGE = int (*)(VIEW_LIST*);

// The wall split with the views the settings allow when it runs.
int splitTipTool(VIEW_LIST* head) { return cylsSplitTipTool(head, readAllowedViews(g_globals->settings)); }
using MARK = std::uint8_t POINT_LIST::*;

// One hole cut by a stage: its chain kept above the cut, and the part below as the opposite view reads it.
struct CUT {
    const char* what;
    STAGE stage;
    std::vector<SEG> segs;
    const char* upper;
    const char* lower;
    MARK mark;   // set on both halves, when the stage marks them
};

TEST_F(SplitChainsTest, EachStageCutsItsChainAndSendsTheLowerPartFlippedToTheOppositeView) {
    const CUT cases[] = {
        // Open bottom over a tip drilled from below (wall 0-2), then a floor over a floor (wall 2-2) further down.
        {"only the first wall cuts, the moved part ordered from its new mouth", splitTipTool,
         {cyl(0, -10, 3), cone(-12, 0, -14, 3), cyl(-14, -20, 3).floorAtBottom(), cyl(-25, -30, 2).floorAtTop()},
         "0.0:3.0>-10.0:3.0", "30.0:2.0>25.0:2.0 20.0:3.0>14.0:3.0 14.0:3.0>12.0:0.0", nullptr},
        {"a gap of more than forty radii", cylsSplitFar, {cyl(0, -5, 1), cyl(-55, -60, 1)}, "0.0:1.0>-5.0:1.0",
         "60.0:1.0>55.0:1.0", &POINT_LIST::farSplitted},
        // A flare at the end of the near bore is no chamber: the far hole is drilled from its own side.
        {"a flare right before the gap", cylsSplitFar, {cyl(0, -5, 1), cone(-5, 1, -5.2, 3), cyl(-60, -65, 1)},
         "0.0:1.0>-5.0:1.0 -5.0:1.0>-5.2:3.0", "65.0:1.0>60.0:1.0", &POINT_LIST::farSplitted},
        // The far part is a countersink seen from behind: drilled from below.
        {"a far part widening downwards", cylsSplitFar, {cyl(0, -5, 1), cyl(-55, -60, 1), cone(-60, 1, -62, 3)},
         "0.0:1.0>-5.0:1.0", "62.0:3.0>60.0:1.0 60.0:1.0>55.0:1.0", &POINT_LIST::farSplitted},
        {"two necks with a gap between them, cut at the gap", cylsSplitTwin,
         {cyl(0, -10, 5), cyl(-10, -20, 3), cyl(-21, -31, 3), cyl(-31, -41, 5)},
         "0.0:5.0>-10.0:5.0 -10.0:3.0>-20.0:3.0",
         "41.0:5.0>31.0:5.0 31.0:3.0>21.0:3.0", &POINT_LIST::neckSplitted},
        // The widening cone's middle (-14) lies nearer the chain's middle (-13) than the narrowing one's (-11).
        {"a neck narrowest at its top, cut above it", cylsSplitTwin,
         {cyl(0, -10, 5), cone(-10, 5, -12, 2), cone(-12, 2, -16, 5), cyl(-16, -26, 5)},
         "0.0:5.0>-10.0:5.0 -10.0:5.0>-12.0:2.0", "26.0:5.0>16.0:5.0 16.0:5.0>12.0:2.0", &POINT_LIST::neckSplitted},
        {"a neck narrowest at its bottom, cut below it, the bulge above dropped", cylsSplitTwin,
         {cyl(0, -10, 5), cone(-10, 5, -12, 8), cone(-12, 8, -18, 2), cyl(-18, -30, 4)}, "0.0:5.0>-10.0:5.0",
         "30.0:4.0>18.0:4.0", &POINT_LIST::neckSplitted},
    };
    for (const CUT& c : cases) {
        SCOPED_TRACE(c.what);
        TREE t;
        POINT_LIST* p = t.hole(t.view(kTop), 0, 0, c.segs);
        ASSERT_EQ(c.stage(t.head), 0);
        EXPECT_EQ(checkTree(t.head), "");
        EXPECT_EQ(chain(p), c.upper);
        POINT_LIST* lower = firstPointOf(t.head, kBottom);
        ASSERT_NE(lower, nullptr);
        EXPECT_EQ(chain(lower), c.lower);
        if (c.mark) {
            EXPECT_TRUE(p->*c.mark);
            EXPECT_TRUE(lower->*c.mark);
        }
    }
}

TEST_F(SplitChainsTest, ChainsTheStagesDoNotCutStayWholeInTheirView) {
    const struct {
        const char* what;
        STAGE stage;
        std::vector<SEG> segs;
        bool farSplit;   // the far split had it already
    } cases[] = {
        {"gap of 30 radii", cylsSplitFar, {cyl(0, -5, 1), cyl(-35, -40, 1)}, false},
        {"gap of exactly 40 radii", cylsSplitFar, {cyl(0, -5, 1), cyl(-45, -50, 1)}, false},
        {"step outwards above the gap", cylsSplitFar, {cyl(0, -5, 1), cyl(-5, -10, 2), cyl(-60, -65, 1)}, false},
        {"widening cone at the top", cylsSplitFar, {cone(0, 1, -1, 2), cyl(-1, -5, 2), cyl(-100, -105, 1)}, false},
        {"a flare with a wall below it", cylsSplitFar, {cyl(0, -5, 1), cone(-5, 1, -6, 3), cyl(-6, -8, 3), cyl(-70, -75, 1)},
         false},
        // Behind the gap a chamber, drilled through the gap with the bore, not from below.
        {"a flare first behind the gap", cylsSplitFar, {cyl(0, -5, 1), cone(-55, 1, -56, 3), cyl(-56, -60, 3)}, false},
        {"far part ends in a tip", cylsSplitFar, {cyl(0, -5, 1), cyl(-55, -60, 1), cone(-60, 1, -61, 0)}, false},
        {"far part has a floor", cylsSplitFar, {cyl(0, -5, 1), cyl(-55, -60, 1).floorAtBottom()}, false},
        {"counterbore", cylsSplitTwin, {cyl(0, -5, 6).ringAtBottom(3, 6), cyl(-5, -20, 3)}, false},
        // Narrower above the bottom only past a floor, which stops the walk up.
        {"neck over a floor", cylsSplitTwin, {cyl(0, -10, 5), cyl(-10, -20, 3), cyl(-20, -30, 5).floorAtBottom()},
         false},
        {"neck of a far split point", cylsSplitTwin, {cyl(0, -10, 5), cyl(-10, -20, 3), cyl(-20, -30, 5)}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TREE t;
        POINT_LIST* p = t.hole(t.view(kTop), 0, 0, c.segs);
        p->farSplitted = c.farSplit;
        ASSERT_EQ(c.stage(t.head), 0);
        EXPECT_EQ(t.head->next, nullptr);
        EXPECT_EQ(p->cylCount, static_cast<int>(c.segs.size()));
        EXPECT_EQ(p->farSplitted, c.farSplit);
        EXPECT_FALSE(p->neckSplitted);
    }
}

TEST_F(SplitChainsTest, EachStageSkipsAMarkedViewOnceAndClearsItsMark) {
    const struct {
        const char* what;
        STAGE stage;
        std::vector<SEG> segs;
    } cases[] = {
        {"wall", splitTipTool, {cyl(0, -10, 3).floorAtBottom(), cyl(-12, -22, 3).floorAtTop()}},
        {"far", cylsSplitFar, {cyl(0, -5, 1), cyl(-55, -60, 1)}},
        {"twin", cylsSplitTwin, {cyl(0, -10, 5), cyl(-10, -20, 3), cyl(-20, -30, 5)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TREE t;
        VIEW_LIST* top = t.view(kTop);
        POINT_LIST* p = t.hole(top, 0, 0, c.segs);
        top->passMark = 1;
        ASSERT_EQ(c.stage(t.head), 0);
        EXPECT_EQ(top->passMark, 0);
        EXPECT_EQ(p->cylCount, static_cast<int>(c.segs.size()));
        EXPECT_EQ(t.head->next, nullptr);
    }
}

// ---- SplitTipTool ---------------------------------------------------------------------------------------

TEST_F(SplitChainsTest, BackToBackBlindHolesAreCutAtTheWallAndTheLowerGoesFlippedToTheOppositeView) {
    VIEW_LIST* top = tree.view(kTop);
    POINT_LIST* p = tree.hole(top, 10, 20, {cyl(0, -10, 3).floorAtBottom(), cyl(-12, -22, 3).floorAtTop()});

    ASSERT_EQ(cylsSplitTipTool(tree.head, readAllowedViews(g_globals->settings)), 0);

    EXPECT_EQ(checkTree(tree.head), "");
    EXPECT_EQ(chain(p), "0.0:3.0>-10.0:3.0");
    VIEW_LIST* bottom = findView(tree.head, kBottom);
    ASSERT_NE(bottom, nullptr);
    EXPECT_EQ(bottom->passMark, 0);   // made by the stage, cleared at its end
    EXPECT_DOUBLE_EQ(bottom->matrix[2][2], -1);
    ASSERT_EQ(bottom->pointCount, 1);
    POINT_LIST* lower = bottom->firstPoint;
    EXPECT_EQ(lower->id, 100);
    EXPECT_EQ(chain(lower), "22.0:3.0>12.0:3.0");
    EXPECT_DOUBLE_EQ(lower->ptUniv[2], -22);   // entered from below: its mouth is the old bottom
    EXPECT_TRUE(lower->firstCyl->bottomFlat && lower->firstCyl->bottomClosed);
    EXPECT_FALSE(lower->firstCyl->topFlat);
}

TEST_F(SplitChainsTest, AWallWhoseOppositeDirectionIsNotAllowedDropsTheLowerPartAndTellsIt) {
    allowOnlyTopView();
    VIEW_LIST* top = tree.view(kTop);
    POINT_LIST* p = tree.hole(top, 0, 0, {cyl(0, -10, 3).floorAtBottom(), cyl(-12, -22, 3).floorAtTop()});

    clearDroppedWalls();
    ASSERT_EQ(cylsSplitTipTool(tree.head, readAllowedViews(g_globals->settings)), 0);

    EXPECT_EQ(checkTree(tree.head), "");
    EXPECT_EQ(chain(p), "0.0:3.0>-10.0:3.0");
    EXPECT_EQ(findView(tree.head, kBottom), nullptr);
    EXPECT_EQ(g_nextHoleId, 100);
    // The part below the wall is in a direction that may not be drilled, as the summary says.
    ASSERT_EQ(droppedWalls().size(), 1u);
    EXPECT_EQ(droppedWalls()[0].rule, DROP_RULE::Direction);
    EXPECT_DOUBLE_EQ(droppedWalls()[0].diameter, 6);
    EXPECT_DOUBLE_EQ(droppedWalls()[0].position[2], -12);
}

TEST_F(SplitChainsTest, TheWallSplitDoesNotStopAtAPositionAlreadyTakenInTheOppositeView) {
    VIEW_LIST* top = tree.view(kTop);
    VIEW_LIST* bottom = tree.view(kBottom);
    tree.hole(bottom, 5, -5, {cyl(40, 30, 1)});   // view 4 has y reversed: world (5, 5)
    tree.hole(top, 5, 5, {cyl(0, -10, 3).floorAtBottom(), cyl(-12, -22, 3).floorAtTop()});

    ASSERT_EQ(cylsSplitTipTool(tree.head, readAllowedViews(g_globals->settings)), 0);

    EXPECT_EQ(checkTree(tree.head), "");
    ASSERT_EQ(bottom->pointCount, 2);
    EXPECT_EQ(chain(bottom->firstPoint->next), "22.0:3.0>12.0:3.0");
}

TEST_F(SplitChainsTest, AnOppositeViewTheHostCannotGiveEndsTheStageWithItsMessage) {
    VIEW_LIST* odd = tree.view(kTop);
    odd->viewNumber = 999;   // no such host view
    tree.hole(odd, 0, 0, {cyl(0, -10, 3).floorAtBottom(), cyl(-12, -22, 3).floorAtTop()});
    script().answer(plat::IDOK);

    EXPECT_EQ(cylsSplitTipTool(tree.head, readAllowedViews(g_globals->settings)), -1);
    EXPECT_TRUE(transcript().contains("A view for a drilling direction could not be created."));
    expectScriptPlayed();
}

// ---- SplitTwin ------------------------------------------------------------------------------------------

TEST_F(SplitChainsTest, AHoleWiderAtBothEndsIsCutInTheMiddleOfItsNeck) {
    VIEW_LIST* top = tree.view(kTop);
    POINT_LIST* p = tree.hole(top, 0, 0, {cyl(0, -10, 5).ringAtBottom(3, 5), cyl(-10, -20, 3), cyl(-20, -30, 5).ringAtTop(3, 5)}, 7);

    ASSERT_EQ(cylsSplitTwin(tree.head), 0);

    EXPECT_EQ(checkTree(tree.head), "");
    EXPECT_EQ(chain(p), "0.0:5.0>-10.0:5.0 -10.0:3.0>-15.0:3.0");
    POINT_LIST* lower = firstPointOf(tree.head, kBottom);
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(chain(lower), "30.0:5.0>20.0:5.0 20.0:3.0>15.0:3.0");
    EXPECT_TRUE(p->neckSplitted);
    EXPECT_TRUE(lower->neckSplitted);
    EXPECT_EQ(p->splitPartnerId, lower->id);
    EXPECT_EQ(lower->splitPartnerId, 7);
    EXPECT_DOUBLE_EQ(p->splitFarZ, -30);     // own mouth (0) minus the chain's length
    EXPECT_DOUBLE_EQ(lower->splitFarZ, 0);   // mouth 30 in the opposite view
}

TEST_F(SplitChainsTest, ABulgeAtTheMouthTakesTheWholeUpperPointAway) {
    VIEW_LIST* top = tree.view(kTop);
    POINT_LIST* kept = tree.hole(top, 50, 0, {cyl(0, -10, 1)});
    tree.hole(top, 0, 0, {cone(0, 5, -2, 8), cone(-2, 8, -8, 2), cyl(-8, -20, 4)}, 9);
    ASSERT_EQ(cylsSplitTwin(tree.head), 0);
    EXPECT_EQ(checkTree(tree.head), "");
    ASSERT_EQ(top->pointCount, 1);
    EXPECT_EQ(top->firstPoint, kept);
    POINT_LIST* lower = firstPointOf(tree.head, kBottom);
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(chain(lower), "20.0:4.0>8.0:4.0");
    EXPECT_EQ(lower->splitPartnerId, 9);
}

}  // namespace
