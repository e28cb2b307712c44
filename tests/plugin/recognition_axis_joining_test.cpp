// Joining hole positions of parallel views on one axis, and revolved flat rings becoming flats.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "plugin/model/tree.h"
#include "plugin/recognition/axis_joining.h"
#include "plugin/base/directions.h"
#include "tests/plugin/recognition_segment_trees.h"

namespace {

using namespace recog_l;

constexpr double kDeg = std::numbers::pi / 180;

double dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

class AxisJoiningTest : public TreeTest {
protected:
    // A point of `in` whose axis passes through the point (x, y, z) of view `frame`'s coordinates, with a
    // segment from that height down by `length` in `in`'s frame.
    POINT_LIST* pointThrough(VIEW_LIST* in, const VIEW_LIST* frame, double x, double y, double z, double length,
                             double rSup, double rInf) {
        const double local[3] = {x, y, z};
        double world[3], there[3];
        mul_mat_vector(frame->matrix, local, world);
        toView(in->matrix, world, there);
        POINT_LIST* p = addPoint(in, there[0], there[1]);
        addSeg(p, there[2], there[2] - length, rSup, rInf);
        return p;
    }
};

// ---- cylsJointAxis and moveJointPoints ---------------------------------------------------------------------

// A hole of view a at (2, 3) with one segment from 0 down to -8, and a segment on the same axis in a
// parallel view b, given in a's frame; no host view matches either direction.
struct JOIN {
    const char* what;
    bool opposite;              // b looks the other way (else: the same direction under another view key)
    double z, length, rSup, rInf, Ai, Asw;   // b's segment: its top in a's frame, its length and radii along b
    bool above;                 // it lands above the hole's own segment
    double zSup, zInf, rSupA, rInfA, AswA;   // as a reads it
};

TEST_F(AxisJoiningTest, ASegmentOfTheSameAxisJoinsTheReceivingPointReadTopDown) {
    const JOIN cases[] = {
        // Heights 20 to 14 along b are -20 to -14 along a.
        {"found from the other side, below", true, -20, 6, 4, 2, 0.7, 1.0, false, -14, -20, 2, 4, -1.0},
        // From b's height -2 to -6: a's 2 to 6.
        {"found from the other side, above the top", true, 2, 4, 5, 5, 0, 2 * std::numbers::pi, true, 6, 2, 5, 5,
         -2 * std::numbers::pi},
        {"a parallel view in the same sense gives it unturned", false, -10, 5, 3, 2, 0.4, 1.5, false, -10, -15, 3, 2,
         1.5},
    };
    for (const JOIN& c : cases) {
        SCOPED_TRACE(c.what);
        freeViewsTree(head);
        head = nullptr;
        VIEW_LIST* a = addViewFor(1, -2, 2);
        VIEW_LIST* b = addView(c.opposite ? getOppositeView(a->viewNumber) : a->viewNumber);
        POINT_LIST* p = addPoint(a, 2, 3);
        CYL_LIST* own = addSeg(p, 0, -8, 3, 3);
        CYL_LIST* joined = pointThrough(b, a, 2, 3, c.z, c.length, c.rSup, c.rInf)->firstCyl;
        ASSERT_NEAR(joined->zSup, c.opposite ? -c.z : c.z, 1e-9);
        joined->Ai = c.Ai;
        joined->Asw = c.Asw;

        ASSERT_EQ(cylsJointAxis(head), 0);
        EXPECT_EQ(countViews(head), 2);
        EXPECT_EQ(b->pointCount, 0);
        EXPECT_EQ(b->firstPoint, nullptr);
        ASSERT_EQ(a->pointCount, 1);
        ASSERT_EQ(p->cylCount, 2);
        EXPECT_EQ(p->firstCyl, c.above ? joined : own);
        EXPECT_EQ(p->firstCyl->next, c.above ? own : joined);
        EXPECT_NEAR(joined->zSup, c.zSup, 1e-9);
        EXPECT_NEAR(joined->zInf, c.zInf, 1e-9);
        EXPECT_DOUBLE_EQ(joined->rSup, c.rSupA);
        EXPECT_DOUBLE_EQ(joined->rInf, c.rInfA);
        EXPECT_DOUBLE_EQ(joined->Asw, c.AswA);
        // The start direction, the angle Ai in b's frame, measured in a's frame (a whole turn apart is the same).
        double start[3];
        for (int i = 0; i < 3; ++i) start[i] = b->matrix[0][i] * std::cos(c.Ai) + b->matrix[1][i] * std::sin(c.Ai);
        const double ai = std::atan2(dot(start, a->matrix[1]), dot(start, a->matrix[0]));
        EXPECT_NEAR(std::remainder(joined->Ai - ai, 2 * std::numbers::pi), 0, 1e-9) << joined->Ai;
        // Its axis point moved to its new top, on the same axis; the point lies at its top segment.
        double at[3];
        toView(a->matrix, joined->cUniv, at);
        EXPECT_NEAR(at[0], 2, 1e-9);
        EXPECT_NEAR(at[1], 3, 1e-9);
        EXPECT_NEAR(p->ptView[0], 2, 1e-9);
        EXPECT_NEAR(p->ptView[1], 3, 1e-9);
        EXPECT_NEAR(p->ptView[2], c.above ? c.zSup : 0, 1e-9);
        EXPECT_EQ(checkTree(head), "");   // the half section angle follows the turned ends
    }
}

TEST_F(AxisJoiningTest, OnlyPointsWithinTOfEachOtherJoin) {
    VIEW_LIST* a = addViewFor(1, -2, 2);
    VIEW_LIST* b = addView(getOppositeView(a->viewNumber));
    addSeg(addPoint(a, 0, 0), 0, -8, 3, 3);
    addSeg(addPoint(a, 100, 0), 0, -8, 3, 3);
    pointThrough(b, a, 0.8 * kT, 0, -10, 2, 3, 3);
    POINT_LIST* apart = pointThrough(b, a, 100, 1.2 * kT, -10, 2, 3, 3);

    ASSERT_EQ(cylsJointAxis(head), 0);
    EXPECT_EQ(a->firstPoint->cylCount, 2);
    EXPECT_EQ(a->firstPoint->next->cylCount, 1);
    ASSERT_EQ(b->pointCount, 1);
    EXPECT_EQ(b->firstPoint, apart);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(AxisJoiningTest, ParallelViewsThatBothMatchHostViewsNeverJoin) {
    VIEW_LIST* front = addView(2);
    VIEW_LIST* back = addView(3);
    addSeg(addPoint(front, 5, 5), 0, -4, 2, 2);
    pointThrough(back, front, 5, 5, -6, 3, 2, 2);
    ASSERT_EQ(cylsJointAxis(head), 0);
    EXPECT_EQ(front->pointCount, 1);
    EXPECT_EQ(back->pointCount, 1);
    EXPECT_EQ(front->firstPoint->cylCount, 1);
}

// A view within 1 degree of world +Z (the host's view 1 takes it) and a parallel one, opposite, 2.5
// degrees from world -Z (no host view takes it), with an angle tolerance of 2 degrees. The host view is
// listed last, so that the pair in which it would give comes first.
class HostViewJoinTest : public AxisJoiningTest {
protected:
    void SetUp() override {
        AxisJoiningTest::SetUp();
        g_tolerances.axisAngle = 2 * kDeg;
        b = addViewFor(0, std::sin(2.5 * kDeg), -std::cos(2.5 * kDeg));
        a = addViewFor(0, -std::sin(1 * kDeg), std::cos(1 * kDeg));
        ASSERT_EQ(compareDirections(a->matrix[2], b->matrix[2], g_tolerances.axisAngle), kOppositeSense);
        p = addPoint(a, 0, 0);
        addSeg(p, 0, -8, 1, 1);
    }
    // A short cylinder of b whose top lies at (x, y, z) of a's frame.
    POINT_LIST* shortHole(double x, double y, double z) { return pointThrough(b, a, x, y, z, 0.1, 1, 1); }

    VIEW_LIST* a = nullptr;
    VIEW_LIST* b = nullptr;
    POINT_LIST* p = nullptr;
};

TEST_F(HostViewJoinTest, TheHostViewReceivesAndAMoveShiftsWhereTheNextHoleIsLookedFor) {
    // The first hole joins and, lying above, moves the point 0.9T aside; the second, 1.7T from where the
    // point was, is then within T of where it is.
    shortHole(0.9 * kT, 0, 6.1);
    shortHole(1.7 * kT, 0, -10);
    ASSERT_EQ(cylsJointAxis(head), 0);
    EXPECT_EQ(b->pointCount, 0);
    ASSERT_EQ(a->pointCount, 1);
    EXPECT_EQ(p->cylCount, 3);
    EXPECT_NEAR(p->ptView[0], 0.9 * kT, 0.15 * kT);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(HostViewJoinTest, AHolePassedBeforeTheShiftIsNotLookedAtAgain) {
    POINT_LIST* passed = shortHole(1.7 * kT, 0, -10);
    shortHole(0.9 * kT, 0, 6.1);
    ASSERT_EQ(cylsJointAxis(head), 0);
    EXPECT_EQ(p->cylCount, 2);
    ASSERT_EQ(b->pointCount, 1);
    EXPECT_EQ(b->firstPoint, passed);
    EXPECT_EQ(a->pointCount, 1);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(AxisJoiningTest, ManyHolesJoinTheirOwnPartnersOnly) {
    VIEW_LIST* a = addViewFor(1, -2, 2);
    VIEW_LIST* b = addView(getOppositeView(a->viewNumber));
    for (int i = 0; i < 30; ++i)
        for (int j = 0; j < 30; ++j) addSeg(addPoint(a, i * 2.0, j * 2.0), 0, -4, 0.5, 0.5);
    int expected = 0;
    for (int i = 0; i < 30; ++i)
        for (int j = 0; j < 30; ++j) {
            const bool close = (i + j) % 3 != 0;
            expected += close;
            pointThrough(b, a, i * 2.0 + (close ? 0.5 : 1.5) * kT, j * 2.0, -8, 1, 0.5, 0.5);
        }
    ASSERT_EQ(cylsJointAxis(head), 0);
    EXPECT_EQ(b->pointCount, 900 - expected);
    int joined = 0;
    for (const POINT_LIST* p = a->firstPoint; p; p = p->next) {
        EXPECT_LE(p->cylCount, 2);
        joined += p->cylCount - 1;
    }
    EXPECT_EQ(joined, expected);
    EXPECT_EQ(a->pointCount, 900);
}

// ---- cylsPlanarRev ----------------------------------------------------------------------------------------

class FlatRingsTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        view = addView(1);
        p = addPoint(view, 4, 4);
    }
    // A flat ring at height z from radius rIn to rOut.
    CYL_LIST* ring(double z, double rIn, double rOut) { return addSeg(p, z, z, rIn, rOut); }

    VIEW_LIST* view = nullptr;
    POINT_LIST* p = nullptr;
};

TEST_F(FlatRingsTest, AnAnnulusAtTheBottomOfASegmentBecomesItsBottomFlat) {
    CYL_LIST* bore = addSeg(p, 0, -10, 5, 5);
    addEnt(bore, 1);
    CYL_LIST* annulus = ring(-10, 3, 5);
    addEnt(annulus, 2);
    addEnt(annulus, 3);
    CYL_LIST* small = addSeg(p, -10, -20, 3, 3);

    EXPECT_EQ(cylsPlanarRev(head), 0);
    EXPECT_EQ(p->cylCount, 2);
    EXPECT_EQ(bore->next, small);
    EXPECT_EQ(bore->bottomFlat, 1);
    EXPECT_DOUBLE_EQ(bore->rFlatMinBtm, 3);
    EXPECT_DOUBLE_EQ(bore->rFlatMaxBtm, 5);
    EXPECT_EQ(bore->bottomRingClosed, 0);
    ASSERT_EQ(bore->entCount, 3);
    EXPECT_EQ(bore->ents[1].id, 2);
    EXPECT_EQ(bore->ents[2].id, 3);
    EXPECT_EQ(small->topFlat, 0);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(FlatRingsTest, EachSegmentIsTriedAtBothEndsBeforeTheNext) {
    CYL_LIST* upper = addSeg(p, 0, -10, 5, 5);
    ring(-10, 3, 5);
    CYL_LIST* lower = addSeg(p, -10, -20, 5, 5);   // its top would take the ring too
    cylsPlanarRev(head);
    EXPECT_EQ(upper->bottomFlat, 1);
    EXPECT_EQ(lower->topFlat, 0);
}

TEST_F(FlatRingsTest, ADiscClosesTheTopButOnlyRingClosesTheBottom) {
    ring(0, 0, 4);
    CYL_LIST* bore = addSeg(p, 0, -10, 4, 4);
    ring(-10, 0, 4);

    cylsPlanarRev(head);
    EXPECT_EQ(p->cylCount, 1);
    EXPECT_EQ(p->firstCyl, bore);
    EXPECT_EQ(bore->topFlat, 1);
    EXPECT_EQ(bore->topClosed, 1);
    EXPECT_DOUBLE_EQ(bore->rFlatMinTop, 0);
    EXPECT_DOUBLE_EQ(bore->rFlatMaxTop, 4);
    EXPECT_EQ(bore->bottomFlat, 1);
    EXPECT_EQ(bore->bottomRingClosed, 1);
    EXPECT_EQ(bore->bottomClosed, 0);
    EXPECT_DOUBLE_EQ(bore->rFlatMaxBtm, 4);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(FlatRingsTest, ARingBorderingNothingIsRemovedAndThePointFollowsTheNextSegment) {
    ring(2, 1, 3);                      // above the bore
    CYL_LIST* bore = addSeg(p, 0, -10, 4, 4);
    ring(-10, 4, 6);                    // wider than the bore
    EXPECT_EQ(cylsPlanarRev(head), 0);
    EXPECT_EQ(p->cylCount, 1);
    EXPECT_EQ(p->firstCyl, bore);
    EXPECT_EQ(bore->prev, nullptr);
    EXPECT_EQ(bore->next, nullptr);
    EXPECT_EQ(bore->topFlat, 0);
    EXPECT_EQ(bore->bottomFlat, 0);
    EXPECT_NEAR(p->ptView[2], 0, 1e-12);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(FlatRingsTest, OnlyFlatUntwistedRingsCount) {
    CYL_LIST* bore = addSeg(p, 0, -10, 5, 5);
    CYL_LIST* toric = ring(-10, 3, 5);
    toric->rToric = 0.01;
    addSeg(p, -10, -10.0001, 5, 3);                     // 0.003 degree off flat: still a ring
    CYL_LIST* cone = addSeg(p, -10, -10.002, 3, 2);     // 0.11 degree off: a cone
    EXPECT_EQ(cylsPlanarRev(head), 0);
    EXPECT_EQ(p->cylCount, 3);
    EXPECT_EQ(bore->next, toric);
    EXPECT_EQ(toric->next, cone);
    EXPECT_EQ(bore->bottomFlat, 1);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(FlatRingsTest, ASegmentTakesTheRingsEntitiesUpToSixteen) {
    CYL_LIST* bore = addSeg(p, 0, -10, 5, 5);
    for (int i = 0; i < 15; ++i) addEnt(bore, 100 + i);
    CYL_LIST* annulus = ring(-10, 3, 5);
    for (int i = 0; i < 3; ++i) addEnt(annulus, 200 + i);
    cylsPlanarRev(head);
    ASSERT_EQ(bore->entCount, kMaxCylEnts);
    EXPECT_EQ(bore->ents[14].id, 114);
    EXPECT_EQ(bore->ents[15].id, 200);
}

}  // namespace
