// The host's vector and line helpers as the plug-in calls them: frames, unbounded lines, the planar
// intersections with tolerance, and the edge cases (parallel lines, points on the line, borders).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "host/api.h"

namespace {

constexpr double kPi = std::numbers::pi;

TEST(GeomMatrices, ViewFrameRoundTripAndAliasing) {
    // A rotated frame: rows X, Y, Z.
    double c = std::cos(0.3), s = std::sin(0.3);
    double m[3][3] = {{c, s, 0}, {-s * 0.6, c * 0.6, 0.8}, {s * 0.8, -c * 0.8, 0.6}};
    double world[3] = {1.5, -2.0, 7.25};
    double inView[3], back[3], mt[3][3];
    transpose_matrix_33(m, mt);
    mul_mat_vector(mt, world, inView);   // into the view: dot products with its rows
    EXPECT_NEAR(inView[2], m[2][0] * 1.5 - m[2][1] * 2.0 + m[2][2] * 7.25, 1e-12);
    mul_mat_vector(m, inView, back);     // and back to world
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(back[i], world[i], 1e-12);

    double v[3] = {1, 2, 3};
    mul_mat_vector(m, v, v);   // in place: 1 X + 2 Y + 3 Z
    EXPECT_NEAR(v[0], c - 2 * s * 0.6 + 3 * s * 0.8, 1e-12);
    EXPECT_NEAR(v[1], s + 2 * c * 0.6 - 3 * c * 0.8, 1e-12);
    transpose_matrix_33(m, m);   // in place
    EXPECT_DOUBLE_EQ(m[0][1], -s * 0.6);
    EXPECT_DOUBLE_EQ(m[1][0], s);
}

TEST(GeomMatrices, NormalOfTwoVectors) {
    double a[3] = {2, 0, 0}, b[3] = {1, 3, 0}, n[3];
    ASSERT_EQ(v_normal_3d(a, b, n), 1);
    EXPECT_NEAR(n[0], 0, 1e-15);
    EXPECT_NEAR(n[2], 1, 1e-15);   // unit, right-handed
    double p[3] = {-4, 0, 0};
    EXPECT_EQ(v_normal_3d(a, p, n), 0);   // parallel (opposite)
    EXPECT_EQ(n[0] + n[1] + n[2], 0);
    double zero[3] = {0, 0, 0};
    EXPECT_EQ(v_normal_3d(zero, b, n), 0);
}

TEST(GeomLines, DistancesAreFromTheUnboundedLine) {
    l_2d line{{0, 0}, {1, 1}};
    p_2d beyond{5, 3};   // past the segment's end: measured to the line, not to the end point
    EXPECT_NEAR(dist_pt_l(&beyond, &line), std::sqrt(2.0), 1e-12);
    p_2d on{-3, -3};
    EXPECT_NEAR(dist_pt_l(&on, &line), 0, 1e-12);
    l_2d point{{1, 1}, {1, 1}};
    p_2d q{4, 5};
    EXPECT_NEAR(dist_pt_l(&q, &point), 5, 1e-12);

    l_3d l3{{0, 0, 0}, {0, 0, 2}};
    p_3d far{3, 4, 50};
    EXPECT_NEAR(dist_pt_l_3d(&far, &l3), 5, 1e-12);
    p_3d onAxis{0, 0, -7};
    EXPECT_NEAR(dist_pt_l_3d(&onAxis, &l3), 0, 1e-12);
    l_3d none{{1, 2, 3}, {1, 2, 3}};
    p_3d r{1, 2, 5};
    EXPECT_NEAR(dist_pt_l_3d(&r, &none), 2, 1e-12);
}

TEST(GeomLines, TwoDimensionalIntersectionIsUnbounded) {
    // The segments do not reach each other; their lines cross at (4, 4).
    l_2d a{{0, 0}, {1, 1}}, b{{8, 0}, {7, 1}};
    p_2d pt{-1, -1};
    ASSERT_EQ(l_ints(&a, &b, &pt), 1);
    EXPECT_NEAR(pt.x, 4, 1e-12);
    EXPECT_NEAR(pt.y, 4, 1e-12);

    l_2d parallel{{0, 1}, {2, 3}};
    p_2d untouched{9, 9};
    EXPECT_EQ(l_ints(&a, &parallel, &untouched), 0);
    EXPECT_EQ(untouched.x, 9);
    l_2d collinear{{2, 2}, {3, 3}};
    EXPECT_EQ(l_ints(&a, &collinear, &untouched), 0);
    l_2d degenerate{{1, 0}, {1, 0}};
    EXPECT_EQ(l_ints(&a, &degenerate, &untouched), 0);
}

TEST(GeomLines, LineMeetsPlaneAtAnyParameter) {
    double n[3] = {0, 0, 1}, p0[3] = {0, 0, 10};
    l_3d line{{1, 2, 0}, {1, 2, 2}};   // the plane lies at t = 5, beyond e2
    double pt[3];
    double t = 0;
    char ok = 0;
    lp_ints(n, p0, &line, pt, &t, &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_NEAR(t, 5, 1e-12);
    EXPECT_NEAR(pt[0], 1, 1e-12);
    EXPECT_NEAR(pt[2], 10, 1e-12);

    l_3d flat{{0, 0, 3}, {5, 1, 3}};
    lp_ints(n, p0, &flat, pt, &t, &ok);
    EXPECT_EQ(ok, 0);
    l_3d inPlane{{0, 0, 10}, {5, 1, 10}};   // parallel even though it lies in the plane
    lp_ints(n, p0, &inPlane, pt, &t, &ok);
    EXPECT_EQ(ok, 0);
    l_3d behind{{0, 0, 20}, {0, 0, 30}};
    lp_ints(n, p0, &behind, pt, &t, &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_NEAR(t, -1, 1e-12);
}

TEST(GeomLines, ClosestPointsOfTwoAxes) {
    l_3d a{{0, 0, 0}, {1, 0, 0}}, b{{5, -1, 3}, {5, 1, 3}};   // skew, 3 apart
    double pa[3], pb[3];
    ASSERT_EQ(ll_ints_3d(&a, &b, pa, pb), 1);
    EXPECT_NEAR(pa[0], 5, 1e-12);
    EXPECT_NEAR(pa[2], 0, 1e-12);
    EXPECT_NEAR(pb[1], 0, 1e-12);
    EXPECT_NEAR(pb[2], 3, 1e-12);

    l_3d crossing{{2, -4, -4}, {2, 4, 4}};
    ASSERT_EQ(ll_ints_3d(&a, &crossing, pa, pb), 1);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(pa[i], pb[i], 1e-12);

    l_3d parallel{{0, 1, 0}, {-3, 1, 0}};
    EXPECT_EQ(ll_ints_3d(&a, &parallel, pa, pb), 0);
    l_3d point{{1, 1, 1}, {1, 1, 1}};
    EXPECT_EQ(ll_ints_3d(&a, &point, pa, pb), 0);
}

gt_rec line(double x1, double y1, double x2, double y2) {
    gt_rec g;
    g.kind = 'L';
    g.e1 = {x1, y1};
    g.e2 = {x2, y2};
    return g;
}

gt_rec arc(double cx, double cy, double r, double sa, double sw) {
    gt_rec g;
    g.kind = 'A';
    g.c = {cx, cy};
    g.r = r;
    g.sa = sa;
    g.sw = sw;
    return g;
}

TEST(GeomPlanarIntersections, SegmentsMeetOnlyWithinTheirExtentAndTolerance) {
    p_2d ref{0, 0}, pts[2];
    int n = -1;
    gt_rec a = line(0, 0, 10, 0), b = line(5, -5, 5, 5);
    ASSERT_EQ(ints_on_gt(&a, &b, &ref, 0.01, &n, pts), 1);
    ASSERT_EQ(n, 1);
    EXPECT_NEAR(pts[0].x, 5, 1e-12);

    gt_rec shortB = line(5, 1, 5, 5);   // would cross the line of a, but stops 1 above it
    ASSERT_EQ(ints_on_gt(&a, &shortB, &ref, 0.01, &n, pts), 1);
    EXPECT_EQ(n, 0);

    gt_rec touching = line(5, 0.005, 5, 5);   // a gap of half the tolerance counts as touching
    ASSERT_EQ(ints_on_gt(&a, &touching, &ref, 0.01, &n, pts), 1);
    ASSERT_EQ(n, 1);
    EXPECT_NEAR(pts[0].x, 5, 1e-9);
    gt_rec gap = line(5, 0.02, 5, 5);
    ints_on_gt(&a, &gap, &ref, 0.01, &n, pts);
    EXPECT_EQ(n, 0);

    // Collinear overlap: its two ends, the one nearer the reference first.
    gt_rec overlap = line(8, 0, 3, 0);
    p_2d farRef{20, 0};
    ASSERT_EQ(ints_on_gt(&a, &overlap, &farRef, 0.01, &n, pts), 1);
    ASSERT_EQ(n, 2);
    EXPECT_NEAR(pts[0].x, 8, 1e-12);
    EXPECT_NEAR(pts[1].x, 3, 1e-12);
}

TEST(GeomPlanarIntersections, ArcsKeepToTheirSweep) {
    p_2d pts[2];
    int n = -1;
    gt_rec horizontal = line(-10, 0, 10, 0);
    gt_rec upperHalf = arc(0, 0, 5, 0, kPi);   // counter-clockwise from +X to -X
    p_2d left{-20, 0};
    ASSERT_EQ(ints_on_gt(&horizontal, &upperHalf, &left, 1e-6, &n, pts), 1);
    ASSERT_EQ(n, 2);
    EXPECT_NEAR(pts[0].x, -5, 1e-9);   // ordered from the reference
    EXPECT_NEAR(pts[1].x, 5, 1e-9);

    gt_rec vertical = line(0, -10, 0, 10);
    ASSERT_EQ(ints_on_gt(&vertical, &upperHalf, &left, 1e-6, &n, pts), 1);
    ASSERT_EQ(n, 1);   // (0, -5) lies outside the sweep
    EXPECT_NEAR(pts[0].y, 5, 1e-9);

    gt_rec clockwise = arc(0, 0, 5, 0, -kPi / 2);   // from +X down to -Y
    ASSERT_EQ(ints_on_gt(&vertical, &clockwise, &left, 1e-6, &n, pts), 1);
    ASSERT_EQ(n, 1);
    EXPECT_NEAR(pts[0].y, -5, 1e-9);

    gt_rec tangent = line(-10, 5.0005, 10, 5.0005);   // misses the circle by less than the tolerance
    ASSERT_EQ(ints_on_gt(&tangent, &upperHalf, &left, 0.001, &n, pts), 1);
    ASSERT_EQ(n, 1);
    EXPECT_NEAR(pts[0].x, 0, 1e-9);

    gt_rec other = arc(8, 0, 5, 0, 2 * kPi);
    ASSERT_EQ(ints_on_gt(&upperHalf, &other, &left, 1e-6, &n, pts), 1);
    ASSERT_EQ(n, 1);   // the full circles meet at (4, +-3); only +3 lies on the upper half
    EXPECT_NEAR(pts[0].x, 4, 1e-9);
    EXPECT_NEAR(pts[0].y, 3, 1e-9);

    gt_rec bad = line(0, 0, 10, 0);
    bad.kind = 'S';
    EXPECT_EQ(ints_on_gt(&bad, &upperHalf, &left, 1e-6, &n, pts), 0);
    gt_rec noRadius = arc(0, 0, 0, 0, 1);
    EXPECT_EQ(ints_on_gt(&horizontal, &noRadius, &left, 1e-6, &n, pts), 0);
}

TEST(GeomPlanarIntersections, PointAgainstPolygon) {
    p_2d square[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    p_2d inside{5, 5}, border{10, 4}, corner{0, 0}, outside{11, 5}, nearBorder{10.00000001, 5};
    EXPECT_EQ(in_polygon(&inside, square, 4), 1);
    EXPECT_EQ(in_polygon(&border, square, 4), 0);
    EXPECT_EQ(in_polygon(&corner, square, 4), 0);
    EXPECT_EQ(in_polygon(&outside, square, 4), -1);
    EXPECT_EQ(in_polygon(&nearBorder, square, 4), 0);

    // A concave L: the notch is outside.
    p_2d ell[6] = {{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}};
    p_2d notch{7, 7}, arm{2, 8};
    EXPECT_EQ(in_polygon(&notch, ell, 6), -1);
    EXPECT_EQ(in_polygon(&arm, ell, 6), 1);
    EXPECT_EQ(in_polygon(&inside, square, 2), -1);
}

}  // namespace
