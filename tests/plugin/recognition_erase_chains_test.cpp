// The erasing stages on hand-made trees: chains closed at both ends, segments beyond a closed end, and
// undercuts, in the modes of the recognition command (0) and of the features side (1).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/pipeline_raw.h"
#include "plugin/recognition/split_chains.h"
#include "plugin/services/recognition.h"
#include "support/hand_tree.h"
#include "support/recognition_fixture.h"

using namespace hand_tree;

namespace {

constexpr int kTop = 1, kFront = 2;

class EraseChainsTest : public RecognitionFixture {
protected:
    void SetUp() override {
        RecognitionFixture::SetUp();
        g_tolerances.tolT = 0.01;
    }

    TREE tree;
};

std::vector<int> pointIds(const VIEW_LIST* view) {
    std::vector<int> ids;
    for (const POINT_LIST* p = view->firstPoint; p; p = p->next) ids.push_back(p->id);
    return ids;
}

// One hole trimmed by a stage: the chain left and the height its point moved to; each segment left keeps
// its axis point on the hole's axis and (checkTree) its half section angle.
struct TRIM {
    const char* what;
    std::vector<SEG> segs;
    const char* chain;
    double top;
};

void expectTrims(const TRIM (&cases)[2], int (*stage)(VIEW_LIST*)) {
    for (const TRIM& c : cases) {
        SCOPED_TRACE(c.what);
        TREE t;
        POINT_LIST* p = t.hole(t.view(kTop), 4, 6, c.segs);
        ASSERT_EQ(stage(t.head), 0);
        EXPECT_EQ(checkTree(t.head), "");
        EXPECT_EQ(chain(p), c.chain);
        EXPECT_DOUBLE_EQ(p->ptUniv[2], c.top);
        EXPECT_DOUBLE_EQ(p->ptView[0], 4);
        for (const CYL_LIST* s = p->firstCyl; s; s = s->next) {
            EXPECT_NEAR(s->cUniv[0], 4, 1e-12);
            EXPECT_NEAR(s->cUniv[1], 6, 1e-12);
        }
    }
}

// ---- EraAOpq --------------------------------------------------------------------------------------------

TEST_F(EraseChainsTest, ChainsClosedAtTheirEntryAndTheirFarEndAreErased) {
    VIEW_LIST* top = tree.view(kTop);
    tree.hole(top, 0, 0, {cyl(0, -10, 3).floorAtTop().floorAtBottom()}, 1);            // closed, closed
    tree.hole(top, 10, 0, {cyl(0, -10, 3).floorAtTop(), cyl(-10, -20, 3).ringAtBottom(1, 3)}, 2);  // closed, ring
    tree.hole(top, 20, 0, {cone(0, 0, -1, 3), cyl(-1, -10, 3), cone(-10, 3, -11, 0)}, 3);  // tip above and below
    tree.hole(top, 30, 0, {cyl(0, -10, 3).floorAtBottom()}, 4);                        // open mouth: a blind hole
    tree.hole(top, 40, 0, {cyl(0, -10, 3).floorAtTop()}, 5);                           // open far end
    VIEW_LIST* front = tree.view(kFront);
    tree.hole(front, 0, 0, {cyl(0, -10, 3).ringAtTop(1, 3).ringAtBottom(1, 3)}, 6);     // rings at both ends

    clearDroppedWalls();
    ASSERT_EQ(cylsEraAOpq(tree.head), 0);
    // Each wall of the erased holes is told of as closed at both ends: 1 + 2 + 3 + 1.
    EXPECT_EQ(droppedWalls().size(), 7u);
    for (const DROPPED_WALL& w : droppedWalls()) EXPECT_EQ(w.rule, DROP_RULE::Closed);

    EXPECT_EQ(checkTree(tree.head), "");
    EXPECT_EQ(pointIds(top), (std::vector<int>{4, 5}));
    EXPECT_EQ(front->pointCount, 0);   // the empty view is left for the last stage
    EXPECT_EQ(front->firstPoint, nullptr);
}

// ---- EraBelow -------------------------------------------------------------------------------------------

TEST_F(EraseChainsTest, ClosedEndsDropWhatLiesBeyondThemAndTheHoleFollowsItsNewTop) {
    const TRIM cases[] = {
        {"a closed top of the second segment drops the first",
         {cyl(0, -5, 3), cyl(-5, -15, 2).floorAtTop(), cyl(-15, -20, 1)}, "-5.0:2.0>-15.0:2.0 -15.0:1.0>-20.0:1.0", -5},
        {"a closed bottom drops what lies below it",
         {cyl(0, -5, 3), cone(-5, 3, -6, 0), cyl(-8, -12, 2), cyl(-12, -15, 1)},
         "0.0:3.0>-5.0:3.0 -5.0:3.0>-6.0:0.0", 0},
    };
    expectTrims(cases, cylsEraBelow);
}

TEST_F(EraseChainsTest, ASegmentClosedAtBothEndsTakesItsHoleAwayAndOpenChainsStay) {
    VIEW_LIST* top = tree.view(kTop);
    tree.hole(top, 0, 0, {cyl(0, -5, 3), cyl(-5, -10, 2).floorAtTop().floorAtBottom(), cyl(-10, -12, 1)}, 1);
    POINT_LIST* open = tree.hole(top, 10, 0, {cyl(0, -5, 3).ringAtBottom(2, 3), cyl(-5, -10, 2)}, 2);
    POINT_LIST* mouthClosed = tree.hole(top, 20, 0, {cyl(0, -5, 3).floorAtTop(), cyl(-5, -10, 2)}, 3);
    POINT_LIST* closedBottom = tree.hole(top, 30, 0, {cyl(0, -5, 3), cone(-5, 3, -6, 0), cyl(-8, -12, 2), cyl(-12, -15, 1)}, 4);

    clearDroppedWalls();
    ASSERT_EQ(cylsEraBelow(tree.head), 0);

    // Told of: the three walls of the hole closed at both ends, and the two below the tip of hole 4.
    ASSERT_EQ(droppedWalls().size(), 5u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(droppedWalls()[i].rule, DROP_RULE::Closed);
    EXPECT_EQ(droppedWalls()[3].rule, DROP_RULE::BeyondClosedEnd);
    EXPECT_DOUBLE_EQ(droppedWalls()[3].diameter, 4);
    EXPECT_DOUBLE_EQ(droppedWalls()[3].position[0], 30);
    EXPECT_DOUBLE_EQ(droppedWalls()[3].position[2], -8);
    EXPECT_DOUBLE_EQ(droppedWalls()[4].diameter, 2);
    EXPECT_EQ(closedBottom->cylCount, 2);

    EXPECT_EQ(checkTree(tree.head), "");
    EXPECT_EQ(pointIds(top), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(open->cylCount, 2);
    EXPECT_EQ(mouthClosed->cylCount, 2);   // closed at its own top: nothing lies above it
}

// ---- EraCavern ------------------------------------------------------------------------------------------

TEST_F(EraseChainsTest, InCommandModeWideningPartsAreTrimmedOrErased) {
    const TRIM cases[] = {
        {"a cone wider than the narrower part above is trimmed, keeping its angle",
         {cyl(0, -10, 4), cone(-10, 8, -16, 2)}, "0.0:4.0>-10.0:4.0 -14.0:4.0>-16.0:2.0", 0},
        // The last segment is never erased.
        {"a widening mouth is erased", {cone(0, 2, -4, 6), cyl(-4, -20, 6)}, "-4.0:6.0>-20.0:6.0", -4},
    };
    expectTrims(cases, [](VIEW_LIST* head) { return cylsEraCavern(0, head); });
}

TEST_F(EraseChainsTest, AGrooveBetweenNarrowerPartsIsErasedByTheCommandAndLosesOnlyItsRingsForFeatures) {
    for (std::uint16_t mode : {0, 1}) {
        TREE t;
        VIEW_LIST* top = t.view(kTop);
        POINT_LIST* p = t.hole(top, 0, 0, {cyl(0, -10, 4), cyl(-10, -14, 8).ringAtTop(4, 8).ringAtBottom(4, 8), cyl(-14, -30, 4)});

        clearDroppedWalls();
        ASSERT_EQ(cylsEraCavern(mode, t.head), 0);

        EXPECT_EQ(checkTree(t.head), "") << mode;
        // The groove the command erases is told of: its place, its diameter and why.
        ASSERT_EQ(droppedWalls().size(), mode == 0 ? 1u : 0u);
        if (mode == 0) {
            const DROPPED_WALL& w = droppedWalls().front();
            EXPECT_EQ(w.rule, DROP_RULE::Undercut);
            EXPECT_DOUBLE_EQ(w.diameter, 16);
            EXPECT_DOUBLE_EQ(w.position[2], -10);
            EXPECT_EQ(chain(p), "0.0:4.0>-10.0:4.0 -14.0:4.0>-30.0:4.0");
        } else {
            EXPECT_EQ(chain(p), "0.0:4.0>-10.0:4.0 -10.0:4.0>-14.0:4.0 -14.0:4.0>-30.0:4.0");
            const CYL_LIST* groove = p->firstCyl->next;
            EXPECT_FALSE(groove->topFlat || groove->bottomFlat);
            EXPECT_EQ(groove->rFlatMinTop, 0);
            EXPECT_EQ(groove->rFlatMinBtm, 0);
        }
    }
}

TEST_F(EraseChainsTest, AWideSegmentWithAFloorBelowTheLimitHandsTheSecondHalfOfItsEntitiesDown) {
    VIEW_LIST* top = tree.view(kTop);
    POINT_LIST* p = tree.hole(top, 0, 0, {cyl(0, -10, 4), cyl(-10, -14, 8).ringAtBottom(2, 8), cyl(-14, -30, 2)});
    CYL_LIST* wide = p->firstCyl->next;
    CYL_LIST* below = wide->next;
    wide->entCount = 5;
    for (int i = 0; i < 5; ++i) wide->ents[i].id = 10 + i;
    below->entCount = 14;   // room for two more only
    for (int i = 0; i < 14; ++i) below->ents[i].id = 100 + i;

    ASSERT_EQ(cylsEraCavern(1, tree.head), 0);

    ASSERT_EQ(below->entCount, 16);
    EXPECT_EQ(below->ents[14].id, 12);   // from index 5 / 2
    EXPECT_EQ(below->ents[15].id, 13);
}

TEST_F(EraseChainsTest, ChainsThatOnlyNarrowDownwardsAreLeftAlone) {
    VIEW_LIST* top = tree.view(kTop);
    POINT_LIST* p = tree.hole(top, 0, 0, {cone(0, 6, -2, 4), cyl(-2, -8, 4).ringAtBottom(2, 4), cyl(-8, -20, 2), cone(-20, 2, -21, 0)});
    const std::string before = chain(p);
    ASSERT_EQ(cylsEraCavern(0, tree.head), 0);
    EXPECT_EQ(chain(p), before);
    EXPECT_TRUE(p->firstCyl->next->bottomFlat);
}

}  // namespace
