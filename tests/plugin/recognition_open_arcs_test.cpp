// Open arcs and duplicate segments on hand-made trees: holes made only of partial arcs are deleted unless
// they lie on the wall of a wider hole (within 1.25 x 4T = 0.125); segments of one angle sharing an end
// corner become one.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "plugin/model/tree.h"
#include "plugin/recognition/open_arcs.h"
#include "plugin/recognition_merging_trees.h"

namespace {

using namespace recog_m;
using OpenArcsTest = RecogTreeTest;
using Points = std::vector<POINT_LIST*>;

TEST_F(OpenArcsTest, HolesOfArcsWithinTheSweepLimitGo) {
    VIEW_LIST* v = addView();
    POINT_LIST* fillet = addPoint(v, 0, 0);
    addCyl(fillet, {0, -2, 2, 2, 0, kPi / 2});
    addCyl(fillet, {-2, -4, 2, 2, kPi, kPi / 2});
    POINT_LIST* full = addPoint(v, 50, 0);
    addCyl(full, {0, -2, 2, 2, 0, kPi / 2});
    addCylinder(full, -2, -10, 2);
    POINT_LIST* nearlyFull = addPoint(v, 100, 0);
    addCyl(nearlyFull, {0, -2, 2, 2, 0, 345 * kDeg});
    EXPECT_EQ(cylsDelOpen(head), 0);
    EXPECT_EQ(points(v), (Points{full, nearlyFull}));
    g_globals->settings.minSweepAngle = 350;
    cylsDelOpen(head);
    EXPECT_EQ(points(v), Points{full});
    expectConsistent();
}

// Each arc in a view of its own with a full hole of radius 5 at the origin.
TEST_F(OpenArcsTest, AnArcOnTheWallOfAWiderHoleStays) {
    struct ARC {
        double d, r, sweep;
        bool stays;
    };
    const ARC arcs[] = {{5.0, 1, kPi, true},  {5.12, 1, kPi, true},       {5.13, 1, kPi, false},
                        {4.88, 1, kPi, true}, {5.0, 1, 89 * kDeg, false}, {5.0, 6, kPi, false}};
    for (const ARC& arc : arcs) {
        VIEW_LIST* v = addView();
        addCylinder(addPoint(v, 0, 0), 0, -10, 5);
        addCyl(addPoint(v, arc.d * 0.6, arc.d * 0.8), {0, -3, arc.r, arc.r, 0, arc.sweep});
    }
    cylsDelOpen(head);
    const VIEW_LIST* v = head;
    for (const ARC& arc : arcs) {
        EXPECT_EQ(v->pointCount, arc.stays ? 2 : 1) << arc.d << " " << arc.r << " " << arc.sweep;
        v = v->next;
    }
}

TEST_F(OpenArcsTest, AnOpenWiderHoleDeletedBeforeHoldsNoArc) {
    VIEW_LIST* first = addView();
    addCyl(addPoint(first, 0, 0), {0, -10, 5, 5, 0, kPi});
    addCyl(addPoint(first, 5, 0), {0, -3, 1, 1, 0, kPi});
    VIEW_LIST* second = addView();
    POINT_LIST* arc = addPoint(second, 5, 0);   // taken first, while the wall is still there
    addCyl(arc, {0, -3, 1, 1, 0, kPi});
    addCyl(addPoint(second, 0, 0), {0, -10, 5, 5, 0, kPi});
    cylsDelOpen(head);
    EXPECT_EQ(first->pointCount, 0);
    EXPECT_EQ(points(second), Points{arc});
}

// A huge hole beside many small ones: the arcs find the wall they lie on, whatever its size.
TEST_F(OpenArcsTest, ArcsFindTheirWallAmongManyHolesOfMixedSizes) {
    VIEW_LIST* v = addView();
    addCylinder(addPoint(v, 0, 0), 0, -10, 400);
    for (int i = 0; i < 60; ++i) addCylinder(addPoint(v, 10.0 * i, 500), 0, -10, 2);
    const double arcs[][2] = {{0, -400.05}, {302, 500}, {305, 500}, {100, 100}};
    Points arcPoints;
    for (const auto& at : arcs) {
        arcPoints.push_back(addPoint(v, at[0], at[1]));
        addCyl(arcPoints.back(), {0, -3, 0.5, 0.5, 0, kPi});
    }
    cylsDelOpen(head);
    const Points left = points(v);
    const bool stays[] = {true, true, false, false};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::count(left.begin(), left.end(), arcPoints[i]), stays[i] ? 1 : 0) << i;
    EXPECT_EQ(v->pointCount, 63);
}

TEST_F(OpenArcsTest, SegmentsOfOneAngleSharingAnEndCornerBecomeOne) {
    POINT_LIST* p = addPoint(addView(), 0, 0);
    CYL_LIST* s = addCyl(p, {0, -5, 3, 3, 0, kPi, 1});
    addCyl(p, {0, -3, 3, 3 - 0.02, 0, 2 * kPi, 2});                   // same top, angle off by 0.4 degree
    addCyl(p, {0, -8, 3 + 0.5 * kT, 3 + 0.5 * kT, 1, -2 * kPi, 3});  // same top corner
    addCylinder(p, -1, -5 + 0.9 * kT, 3, 4);                         // same bottom corner
    addCylinder(p, -2, -5 - 1.1 * kT, 3, 5);                         // bottom 1.1T lower
    EXPECT_EQ(cylsDelAngDummy(head), 0);
    ASSERT_EQ(p->cylCount, 3);
    EXPECT_DOUBLE_EQ(s->zInf, -8);
    EXPECT_DOUBLE_EQ(s->rSup, 3);   // radii stay
    EXPECT_DOUBLE_EQ(s->Asw, -2 * kPi);
    EXPECT_EQ(entIds(s), (std::vector<int>{1, 3, 4}));
    expectConsistent();
}

TEST_F(OpenArcsTest, AGroupOfDuplicatesHoldsTwentyAtMost) {
    POINT_LIST* p = addPoint(addView(), 0, 0);
    for (int i = 0; i < 21; ++i) addCylinder(p, 0, -5 - 0.1 * i, 3, i + 1);
    cylsDelAngDummy(head);
    const auto segs = chain(p);
    ASSERT_EQ(segs.size(), 2u);
    EXPECT_DOUBLE_EQ(segs[0]->zInf, -6.9);
    EXPECT_EQ(entIds(segs[1]), std::vector<int>{21});
}

}  // namespace
