// Comparing directions, matching them against a view's angle windows, the vector routines and the hole's
// axis end points.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "plugin/base/directions.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "plugin/model/view_order.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180;

struct DIR {
    double v[3];
};
DIR unit(double x, double y, double z) {
    DIR d{{x, y, z}};
    normalizeVector(d.v, d.v);
    return d;
}
DIR reversed(const DIR& d) { return {{-d.v[0], -d.v[1], -d.v[2]}}; }

// ---- compareDirections ---------------------------------------------------------------------------------

TEST(CompareDirections, SameAndOppositeWithoutToleranceEvenWhenRoundingStretchesTheChord) {
    // Unit vectors whose doubled length rounds above 2: asin of the half chord would be NaN without care.
    int stretched = 0;
    for (int i = 1; i < 60; ++i) {
        const DIR d = unit(std::sin(i * 0.37), std::cos(i * 1.3), 0.1 * i);
        const DIR r = reversed(d);
        const double chord = std::hypot(d.v[0] - r.v[0], d.v[1] - r.v[1], d.v[2] - r.v[2]);
        stretched += chord > 2.0;
        EXPECT_EQ(compareDirections(d.v, d.v, 0), kSameSense) << i;
        EXPECT_EQ(compareDirections(d.v, r.v, 0), kOppositeSense) << i;
        EXPECT_EQ(compareDirections(r.v, d.v, 1e-12), kOppositeSense) << i;
    }
    EXPECT_GT(stretched, 0);   // the case the clamp mends was among them
}

TEST(CompareDirections, PerpendicularDirectionsNeverMatchBelowARightAngle) {
    const DIR x = unit(1, 0, 0), y = unit(0, 1, 0), d = unit(1, 1, 1), e = unit(1, -2, 1);
    for (double tol : {0.0, 1e-6, 0.5, 1.5, kPi / 2 - 1e-9}) {
        EXPECT_EQ(compareDirections(x.v, y.v, tol), 0) << tol;
        EXPECT_EQ(compareDirections(d.v, e.v, tol), 0) << tol;
    }
    // A right angle is tested for the same sense: a tolerance past it says "same", never "opposite".
    EXPECT_EQ(compareDirections(x.v, y.v, kPi / 2 + 0.01), kSameSense);
}

TEST(CompareDirections, TheToleranceIsTheAngleInBothSenses) {
    const DIR a = unit(1, 0, 0);
    const DIR b = unit(std::cos(0.01), std::sin(0.01), 0);
    EXPECT_EQ(compareDirections(a.v, b.v, 0.0101), kSameSense);
    EXPECT_EQ(compareDirections(a.v, b.v, 0.0099), 0);
    // A hair from opposite: the angle to pi must be measured finely enough for a tight tolerance.
    const DIR c = reversed(unit(std::cos(1e-7), std::sin(1e-7), 0));
    EXPECT_EQ(compareDirections(a.v, c.v, 1.01e-7), kOppositeSense);
    EXPECT_EQ(compareDirections(a.v, c.v, 0.99e-7), 0);
    const DIR f = reversed(b);
    EXPECT_EQ(compareDirections(a.v, f.v, 0.0101), kOppositeSense);
    EXPECT_EQ(compareDirections(a.v, f.v, 0.0099), 0);
}

TEST(CompareDirections, ViewMatricesMatchOnlyWhenEveryRowDoes) {
    const double top[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double m[3][3];
    copyMatrix33(m, top);
    EXPECT_TRUE(compareViewMatrices(top, m, 0));
    m[0][0] = -1;   // X reversed: same drilling direction, another frame
    m[1][1] = -1;
    EXPECT_FALSE(compareViewMatrices(top, m, 0.1));
    const double turned = 0.001;   // a small turn about Z stays within a larger tolerance only
    const double r[3][3] = {
        {std::cos(turned), std::sin(turned), 0}, {-std::sin(turned), std::cos(turned), 0}, {0, 0, 1}};
    EXPECT_TRUE(compareViewMatrices(top, r, 0.002));
    EXPECT_FALSE(compareViewMatrices(top, r, 0.0005));
}

// ---- matchViewAngles -----------------------------------------------------------------------------------

const double kTop[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
ANGLE_WINDOW window(double fromDeg, double toDeg) { return {true, fromDeg * kDeg, toDeg * kDeg}; }
const ANGLE_WINDOW kOff{};
// The view's Z turned about its X axis by `deg`, and about its Y axis.
DIR aboutX(double deg) { return {{0, -std::sin(deg * kDeg), std::cos(deg * kDeg)}}; }
DIR aboutY(double deg) { return {{std::sin(deg * kDeg), 0, std::cos(deg * kDeg)}}; }

TEST(MatchViewAngles, ASingleWindowTakesTurnsAboutItsAxisWithinASmallSlack) {
    const ANGLE_WINDOW x = window(30, 10);   // ends in either order
    EXPECT_EQ(matchViewAngles(kTop, aboutX(20).v, x, kOff), kSameSense);
    EXPECT_EQ(matchViewAngles(kTop, aboutX(30.04).v, x, kOff), kSameSense);
    EXPECT_EQ(matchViewAngles(kTop, aboutX(30.06).v, x, kOff), 0);
    EXPECT_EQ(matchViewAngles(kTop, aboutX(9.96).v, x, kOff), kSameSense);
    EXPECT_EQ(matchViewAngles(kTop, aboutX(40).v, x, kOff), 0);
    EXPECT_EQ(matchViewAngles(kTop, reversed(aboutX(20)).v, x, kOff), kOppositeSense);
    // A direction with a part along X is no turn about X alone.
    const DIR leaning = unit(0.1, -std::sin(20 * kDeg), std::cos(20 * kDeg));
    EXPECT_EQ(matchViewAngles(kTop, leaning.v, x, kOff), 0);
    EXPECT_EQ(matchViewAngles(kTop, aboutY(20).v, kOff, window(10, 30)), kSameSense);
    EXPECT_EQ(matchViewAngles(kTop, aboutY(20).v, kOff, kOff), 0);
}

TEST(MatchViewAngles, BothWindowsMustTakeTheDirectionAndAnAxisDirectionNeverPassesItsWindow) {
    const ANGLE_WINDOW x = window(-10, 10), y = window(80, 100);
    EXPECT_EQ(matchViewAngles(kTop, aboutY(85).v, x, y), kSameSense);
    EXPECT_EQ(matchViewAngles(kTop, aboutY(60).v, x, y), 0);
    const double onX[3] = {1, 0, 0};   // about Y by 90 degrees, but it lies on the view's X axis
    EXPECT_EQ(matchViewAngles(kTop, onX, x, y), 0);
}

TEST(MatchViewAngles, TheOppositeSenseWrapsAroundAHalfTurn) {
    const ANGLE_WINDOW x = window(170, 180);
    EXPECT_EQ(matchViewAngles(kTop, aboutX(175).v, x, kOff), kSameSense);
    EXPECT_EQ(matchViewAngles(kTop, aboutX(-5).v, x, kOff), kOppositeSense);
    EXPECT_EQ(matchViewAngles(kTop, aboutX(5).v, x, kOff), 0);
}

TEST(MatchViewAngles, TheDirectionIsTakenIntoTheViewsFrame) {
    // View "right": X = +Y, Y = +Z, Z = +X. A turn about its X axis (world Y) by 20 degrees.
    const double right[3][3] = {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    const DIR local = aboutX(20);
    DIR world{};
    for (int k = 0; k < 3; ++k)
        world.v[k] = local.v[0] * right[0][k] + local.v[1] * right[1][k] + local.v[2] * right[2][k];
    EXPECT_EQ(matchViewAngles(right, world.v, window(10, 30), kOff), kSameSense);
    EXPECT_EQ(matchViewAngles(right, world.v, kOff, window(10, 30)), 0);
}

// ---- vectors -------------------------------------------------------------------------------------------

TEST(Vectors, NormalizingKeepsDirectionForAnyMagnitudeAndZeroStaysZero) {
    double v[3] = {0, 0, 0};
    normalizeVector(v, v);
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v[1], 0);
    EXPECT_EQ(v[2], 0);
    const double cases[][3] = {{3, 4, 0}, {3e200, 4e200, 0}, {3e-170, 4e-170, 0}, {-6, 0, 8}};
    const double expected[][3] = {{0.6, 0.8, 0}, {0.6, 0.8, 0}, {0.6, 0.8, 0}, {-0.6, 0, 0.8}};
    for (int i = 0; i < 4; ++i) {
        double out[3];
        normalizeVector(cases[i], out);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(out[k], expected[i][k], 1e-15) << i << " " << k;
    }
    double p[2] = {0, 0};
    normalize2d(p, p);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 0);
    double q[2] = {0, -2e-300};
    normalize2d(q, q);
    EXPECT_EQ(q[0], 0);
    EXPECT_EQ(q[1], -1);
}

TEST(Vectors, RoutinesMayWriteOverTheirInput) {
    double a[3] = {1, 2, 3};
    const double b[3] = {0.5, 0.5, 0.5};
    subtractVector(a, b, a);
    EXPECT_EQ(a[0], 0.5);
    EXPECT_EQ(a[2], 2.5);
    negateVector(a, a);
    EXPECT_EQ(a[1], -1.5);
    double c[3];
    setVector(7, 8, 9, c);
    copyVector(a, c);
    EXPECT_EQ(a[2], 9);
}

// ---- holeBottomPoint -----------------------------------------------------------------------------------

TEST(HoleBottomPoint, TopIsTheFirstSegmentsPointAndBottomTheLastSegmentsEndInTheWorld) {
    VIEW_LIST view;
    const double right[3][3] = {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    copyMatrix33(view.matrix, right);
    POINT_LIST point;
    point.view = &view;
    setVector(2, 3, 10, point.ptView);
    CYL_LIST top, bottom;
    setVector(10, 2, 3, top.cUniv);
    top.zInf = 4;
    bottom.zInf = -4;
    top.next = &bottom;
    bottom.prev = &top;
    point.firstCyl = &top;
    double out[6];
    holeBottomPoint(&point, out);
    const double expected[6] = {10, 2, 3, -4, 2, 3};
    for (int k = 0; k < 6; ++k) EXPECT_DOUBLE_EQ(out[k], expected[k]) << k;
}

}  // namespace
