// Segment merging on hand-made trees: joining angular ranges, pieces of one surface becoming one segment,
// sphere-like faces on walls, wider segments absorbed by narrower ones (with overlap records and bridges),
// and cones of one apex joined. T = 0.025, 2T = 0.05; walls end at z 0 where a distance must be exact.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "plugin/model/tree.h"
#include "plugin/recognition/merging.h"
#include "plugin/recognition_merging_trees.h"

namespace {

using namespace recog_m;
using MergingTest = RecogTreeTest;
using Chain = std::vector<CYL_LIST*>;
using Ids = std::vector<int>;

constexpr double kFine = 0.15 * kDeg;

TEST(MergeAngleRanges, JoinsAsTheLastMatchingTestSays) {
    struct CASE {
        double s1, w1, s2, w2;
        int result;
        double start, sweep;
    };
    const CASE cases[] = {
        {0, kPi / 2, kPi / 2, kPi / 2, 1, 0, kPi},                // end 1 = start 2
        {0, kPi / 2, 0, -kPi / 2, 1, kPi / 2, -kPi},              // one start, opposite senses
        {0, 2 * kPi, 0, 2 * kPi, 1, 0, 2 * kPi},                  // two full turns
        {0, kPi / 2, kPi, kPi / 2, 0, 0, 0},                      // apart
        {0, kPi, kPi, kPi, 1, kPi, 2 * kPi},                      // two halves: start 1 = end 2 decides
        {0, kPi / 2, kPi / 4, kPi / 4, 1, kPi / 2, -kPi / 2},     // one end: back from it
        {0, 1, 1, -0.5, 1, 1, -1},                                // end 1 = start 2, opposite
        {1, 0.5, 2, -1, 1, 1, 1},                                 // start 1 = end 2, opposite: the larger from start 1
        {1, 0, 1, 0.5, 0, 0, 0},                                  // a zero sweep joins nothing
        {-kPi / 2, kPi / 2, 0, kPi / 2, 1, 3 * kPi / 2, kPi},     // negative start brought into the turn
        {0, 1, 1 + 0.9 * kFine, 1, 1, 0, 2},                      // ends within the tolerance
        {0, 1, 1 + 1.1 * kFine, 1, 0, 0, 0},
    };
    for (const CASE& c : cases) {
        double start = -1, sweep = -1;
        EXPECT_EQ(mergeAngleRanges(c.s1, c.w1, c.s2, c.w2, &start, &sweep, kFine), c.result) << c.s1 << " " << c.s2;
        EXPECT_NEAR(start, c.start, 1e-9) << c.s1 << " " << c.s2;
        EXPECT_NEAR(sweep, c.sweep, 1e-9) << c.s1 << " " << c.s2;
    }
}

TEST_F(MergingTest, SameSurfKindComparesRadiusApexOrTorusOverASharedHeight) {
    POINT_LIST* p = addPoint(addView(), 0, 0);
    CYL_LIST* a = addCylinder(p, 0, -10, 3);
    EXPECT_TRUE(isSameSurfKind(a, addCylinder(p, -1, -10, 3 + 0.9 * kT)));
    EXPECT_FALSE(isSameSurfKind(a, addCylinder(p, 0, -10, 3 + 1.1 * kT)));
    EXPECT_FALSE(isSameSurfKind(a, addCylinder(p, -8.5, -20, 3)));   // shares 1.5 of 10: below 0.8
    CYL_LIST* cone = addCyl(p, {0, -2, 3, 1});                        // apex at z -3
    EXPECT_TRUE(isSameSurfKind(cone, addCyl(p, {-1, -2, 2, 1})));
    EXPECT_FALSE(isSameSurfKind(cone, addCyl(p, {0, -2, 3.5, 1.5})));  // same angle, apex at -3.5
    EXPECT_FALSE(isSameSurfKind(cone, a));
    CYL_LIST* t1 = addCyl(p, {0, -1, 4, 3});
    CYL_LIST* t2 = addCyl(p, {0, -1, 4, 3});
    t1->rToric = t2->rToric = 1;
    t2->zToric = 0.5 * kT;
    EXPECT_TRUE(isSameSurfKind(t1, t2));
    t2->rToric = 1 + 2 * kT;
    EXPECT_FALSE(isSameSurfKind(t1, t2));
}

TEST_F(MergingTest, PiecesWhoseArcsJoinBecomeOneSegmentSpanningTheWholeGroup) {
    VIEW_LIST* v = addView();
    POINT_LIST* halves = addPoint(v, 0, 0);
    addCyl(halves, {0, -10, 3, 3, 0, kPi, 11});
    addCyl(halves, {0, -10, 3, 3, kPi, kPi, 12});
    POINT_LIST* apart = addPoint(v, 20, 0);
    addCyl(apart, {0, -10, 3, 3, 0, kPi / 2, 1});
    addCyl(apart, {0, -10, 3, 3, kPi, kPi / 2, 2});
    POINT_LIST* group = addPoint(v, 40, 0);
    CYL_LIST* base = addCyl(group, {0, -10, 3, 3, 0, kPi / 2, 1});
    CYL_LIST* stays = addCyl(group, {0, -10.5, 3, 3, 4, 0.5, 2});   // one kind, its arc meets no other
    addCyl(group, {-0.5, -9, 3, 3, kPi / 2, kPi / 2, 3});
    EXPECT_EQ(mergeSameSurfSegs(head, kFine), 0);

    ASSERT_EQ(halves->cylCount, 1);
    EXPECT_NEAR(halves->firstCyl->Ai, kPi, 1e-9);
    EXPECT_NEAR(halves->firstCyl->Asw, 2 * kPi, 1e-9);
    EXPECT_EQ(entIds(halves->firstCyl), (Ids{11, 12}));
    EXPECT_EQ(apart->cylCount, 2);
    EXPECT_EQ(chain(group), (Chain{base, stays}));
    EXPECT_NEAR(base->Asw, kPi, 1e-9);
    EXPECT_DOUBLE_EQ(base->zInf, -10.5);   // from the member that did not join
    EXPECT_EQ(entIds(base), (Ids{1, 3}));
    expectConsistent();
}

TEST_F(MergingTest, AGroupHoldsFortyPiecesAndLeavesTheFortyFirst) {
    POINT_LIST* p = addPoint(addView(), 0, 0);
    const double sweep = 2 * kPi / 41;
    for (int i = 0; i < 41; ++i) addCyl(p, {0, -10, 3, 3, i * sweep, sweep, 100 + i});
    mergeSameSurfSegs(head, kFine);
    const Chain segs = chain(p);
    ASSERT_EQ(segs.size(), 2u);
    EXPECT_NEAR(segs[0]->Asw, 40 * sweep, 1e-9);
    EXPECT_EQ(segs[0]->entCount, kMaxCylEnts);
    EXPECT_EQ(entIds(segs[1]), Ids{140});
}

TEST_F(MergingTest, SphereLikeFacesOverlappingAWallAndTorusLikeHolesGo) {
    VIEW_LIST* v = addView();
    POINT_LIST* p = addPoint(v, 0, 0);
    CYL_LIST* wall = addCylinder(p, 10, 0, 3);
    addCyl(p, {0.05 + 0.001, -2, 3, 2})->rToric = 3;   // shares just over 2T with the wall
    POINT_LIST* q = addPoint(v, 20, 0);
    addCylinder(q, 10, 0, 3);
    addCyl(q, {0.05, -2, 3, 2})->rToric = 3;           // shares exactly 2T
    POINT_LIST* fillet = addPoint(v, 40, 0);
    addCylinder(fillet, 10, 0, 3);
    CYL_LIST* offAxis = addCyl(fillet, {1, -1, 4, 3});
    offAxis->rToric = 1;
    offAxis->rCtoric = 4;
    POINT_LIST* torusLike = addPoint(v, 60, 0);
    CYL_LIST* t = addCyl(torusLike, {0, -1, 5, 3});
    t->rToric = 1, t->topFlat = 1, t->rFlatMaxTop = 5, t->rFlatMinTop = 3;
    EXPECT_EQ(cylsEnh(head), 0);
    EXPECT_EQ(cylsOverlapp(head), 0);
    EXPECT_EQ(chain(p), Chain{wall});
    EXPECT_EQ(q->cylCount, 2);
    EXPECT_EQ(fillet->cylCount, 2);
    EXPECT_EQ(points(v), (std::vector<POINT_LIST*>{p, q, fillet}));
    expectConsistent();
}

// Two coaxial cylinders of one radius, the upper ending at z 0: sharing more than 2T of height they become
// one, which keeps the wider part of the circle of the two; sharing just under or exactly 2T they stay two.
TEST_F(MergingTest, CoaxialCylindersJoinOnlyWhenTheyShareMoreThanTheOverlapDistance) {
    VIEW_LIST* v = addView();
    const double lowerTops[] = {0.05 - 1e-6, 0.05, 0.05 + 1e-6};
    const int expected[] = {2, 2, 1};
    std::vector<POINT_LIST*> holes;
    for (double top : lowerTops) {
        holes.push_back(addPoint(v, 20.0 * holes.size(), 0));
        addCylinder(holes.back(), 5, 0, 3, 1)->Asw = 4;
        addCylinder(holes.back(), top, -12, 3 + 0.5 * kT, 2);
    }
    EXPECT_EQ(cylsOverlappPass2(head), 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(holes[i]->cylCount, expected[i]) << i;
    EXPECT_DOUBLE_EQ(holes[2]->firstCyl->zInf, -12);
    EXPECT_DOUBLE_EQ(holes[2]->firstCyl->Asw, 2 * kPi);
    EXPECT_EQ(entIds(holes[2]->firstCyl), Ids{1});
}

// The narrow segment comes first (equal tops), so it is `a` for each wider one: wider ones go, those with
// a matching flat ring leave a record (two at most) with up to four of their entities.
TEST_F(MergingTest, WiderSegmentsAreAbsorbedAndRingsMatchingTheNarrowOneRecorded) {
    POINT_LIST* p = addPoint(addView(), 0, 0);
    CYL_LIST* narrow = addCylinder(p, 0, -6, 3, 1);
    const double ringStarts[] = {3.08, 3.11, 3.08, 3.08};   // Tf = 4T: the second is too far out
    for (int i = 0; i < 4; ++i) {
        CYL_LIST* w = addCylinder(p, 0, -6, 5 + i * 0.5, 10 * (i + 1));
        w->ents[w->entCount++].id = 10 * (i + 1) + 1;
        w->bottomFlat = 1;
        w->rFlatMinBtm = ringStarts[i];
        w->rFlatMaxBtm = 5 + i * 0.5;
    }
    CYL_LIST* below = addCylinder(p, -7, -9, 2, 2);
    cylsOverlappPass2(head);
    EXPECT_EQ(chain(p), (Chain{narrow, below}));
    ASSERT_EQ(narrow->ovlpCount, 2);
    EXPECT_DOUBLE_EQ(narrow->ovlp[0].rSup, 5);
    EXPECT_DOUBLE_EQ(narrow->ovlp[1].rSup, 6);
    EXPECT_EQ(entIds(narrow), (Ids{1, 10, 11, 30, 31}));
    EXPECT_EQ(narrow->ovlp[1].entIndex[0], 3);
    EXPECT_EQ(narrow->ovlp[1].entIndex[1], 4);
    expectConsistent();
}

// b widens upwards above a and overlaps it; c runs from b's bottom corner up to a's top corner. Right
// below a in a chain b, a, c it is folded into b; with a segment between b and a it is no bridge.
TEST_F(MergingTest, ABridgingConeIsFoldedIntoTheSegmentRightAbove) {
    VIEW_LIST* v = addView();
    POINT_LIST* p = addPoint(v, 0, 0);
    CYL_LIST* b = addCyl(p, {0, -6, 8, 5, 0, 2 * kPi, 1});
    CYL_LIST* a = addCylinder(p, -2, -10, 3, 2);
    addCyl(p, {-2, -6, 3, 5});
    POINT_LIST* q = addPoint(v, 30, 0);
    addCyl(q, {0, -6, 8, 5});
    CYL_LIST* x = addCylinder(q, 0, -0.04, 1);   // overlaps nothing
    CYL_LIST* qa = addCylinder(q, -2, -10, 3);
    addCyl(q, {-2, -6, 3, 5});
    cylsOverlappPass2(head);

    EXPECT_EQ(chain(p), (Chain{b, a}));
    EXPECT_DOUBLE_EQ(b->zInf, -2);
    EXPECT_DOUBLE_EQ(b->rInf, 3);
    EXPECT_NEAR(b->secAng, std::atan2(5, 2), 1e-12);
    ASSERT_EQ(b->mergedCount, 1);
    EXPECT_DOUBLE_EQ(b->merged[0].zInf, -6);
    EXPECT_DOUBLE_EQ(b->merged[0].rInf, 5);
    EXPECT_EQ(chain(q), (Chain{x, qa}));
    expectConsistent();
}

TEST_F(MergingTest, ConesOfOneApexBecomeTheLastReachingTheTop) {
    VIEW_LIST* v = addView();
    POINT_LIST* csink = addPoint(v, 1, 2);   // 90 degree countersink cut at z -1, then the bore
    addCyl(csink, {0, -1, 6, 5, 0, 2 * kPi, 1});
    CYL_LIST* lowerCone = addCyl(csink, {-1, -3, 5, 3, 0, kPi, 2});
    CYL_LIST* bore = addCylinder(csink, -3, -10, 3);
    POINT_LIST* run = addPoint(v, 30, 0);   // four cones, apex at z -8, four entities each
    for (int i = 0; i < 4; ++i) {
        CYL_LIST* c = addCyl(run, {-1.0 * i, -1.0 * (i + 1), 8.0 - i, 7.0 - i});
        for (int k = 0; k < 4; ++k) c->ents[c->entCount++].id = 10 * (i + 1) + k;
    }
    POINT_LIST* apart = addPoint(v, 60, 0);
    addCyl(apart, {0, -1, 6, 5});
    addCyl(apart, {-1, -3, 4.5, 2.5});   // same angle, apex 0.5 lower
    EXPECT_EQ(cylsUnusedPts(head), 0);

    EXPECT_EQ(chain(csink), (Chain{lowerCone, bore}));
    EXPECT_DOUBLE_EQ(lowerCone->zSup, 0);
    EXPECT_DOUBLE_EQ(lowerCone->rSup, 6);
    EXPECT_DOUBLE_EQ(lowerCone->Asw, 2 * kPi);
    EXPECT_EQ(entIds(lowerCone), (Ids{2, 1}));
    EXPECT_DOUBLE_EQ(csink->ptView[2], 0);   // the hole's top follows the segment's
    ASSERT_EQ(run->cylCount, 1);
    EXPECT_DOUBLE_EQ(run->firstCyl->zSup, 0);
    // Each receiver takes entities while it holds fewer than ten.
    EXPECT_EQ(entIds(run->firstCyl), (Ids{40, 41, 42, 43, 30, 31, 32, 33, 20, 21}));
    EXPECT_EQ(apart->cylCount, 2);
    expectConsistent();
}

}  // namespace
