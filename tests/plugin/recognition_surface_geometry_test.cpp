// The small geometry under surface-to-segment where an edge matters: circles through three points in
// either order, with coinciding or collinear points; edge kinds and congruence at their thresholds; end
// sweeps across the zero angle; the host view of an axis; the projection. Metric: T = 0.025 mm.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "host/api.h"
#include "host/geom/face_geom.h"
#include "host/geom/surface_entities.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/recognition/surface_segment.h"
#include "support/plugin_fixture.h"

namespace {

constexpr double kPi = std::numbers::pi, kDeg = kPi / 180;

class RecogGeometryTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
    }
    static double t() { return g_tolerances.tolT; }
};

TEST_F(RecogGeometryTest, ACircleThroughThreePointsIsFoundInEitherTurningSenseAcrossTheCut) {
    struct CASE {
        double cx, cy, r, a0, a1, a2;
    };
    for (const CASE& k : {CASE{0, 0, 1, 0, kPi / 2, kPi}, CASE{0, 0, 1, kPi, kPi / 2, 0},
                          CASE{12.5, -3, 4.25, 170 * kDeg, 185 * kDeg, 200 * kDeg},
                          CASE{-7, 40, 0.5, 350 * kDeg, 10 * kDeg, 30 * kDeg}, CASE{100, 100, 250, 0.1, 0.11, 0.12}}) {
        double p[3][3], centre[3], radius = 0;
        for (int i = 0; i < 3; ++i) {
            const double a = i == 0 ? k.a0 : i == 1 ? k.a1 : k.a2;
            p[i][0] = k.cx + k.r * std::cos(a), p[i][1] = k.cy + k.r * std::sin(a), p[i][2] = 2.5;
        }
        ASSERT_TRUE(circleThrough3Pts(p[0], p[1], p[2], centre, &radius)) << k.cx;
        EXPECT_NEAR(centre[0], k.cx, 1e-7 * k.r);
        EXPECT_NEAR(centre[1], k.cy, 1e-7 * k.r);
        EXPECT_NEAR(radius, k.r, 1e-7 * k.r);
    }
    // Two points in one (closer than 0.04T): the third lies across the circle, whichever pair it is.
    const double a[3] = {0, 0, 1}, b[3] = {0.0005, 0, 1}, far[3] = {6, 0, 1};
    double centre[3], radius = 0;
    const double* orders[3][3] = {{a, b, far}, {far, a, b}, {b, far, a}};
    for (const auto& order : orders) {
        ASSERT_TRUE(circleThrough3Pts(order[0], order[1], order[2], centre, &radius));
        EXPECT_NEAR(centre[0], 3, 0.001);
        EXPECT_NEAR(radius, 3, 0.001);
    }
    // Exactly 0.04T apart the two are two points of the circle; a hair closer, one.
    const double near = g_tolerances.tol004T, corner[3] = {3, 4, 1};
    for (const double gap : {near, std::nextafter(near, 0.0)}) {
        const double next[3] = {gap, 0, 1};
        ASSERT_TRUE(circleThrough3Pts(a, next, corner, centre, &radius));
        if (gap == near) EXPECT_NEAR(centre[0], gap / 2, 1e-9);   // on the two points' bisector
        else EXPECT_NEAR(centre[0], 1.5, 1e-9);                   // halfway to the third
    }
}

TEST_F(RecogGeometryTest, PointsOnALineHaveNoCircleAndNoAxis) {
    const double a[3] = {0, 0, 0}, b[3] = {1, 1, 0}, c[3] = {3, 3, 0};
    double centre[3], radius = -1, normal[3];
    EXPECT_FALSE(circleThrough3Pts(a, b, c, centre, &radius));
    EXPECT_FALSE(axisFromSurfPoints(a, b, c, centre, &radius, normal));
    EXPECT_FALSE(axisFromSurfPoints(a, a, c, centre, &radius, normal));
    EXPECT_EQ(radius, -1);
}

TEST_F(RecogGeometryTest, EdgeKindsAndCongruenceSwitchAtTheirThresholds) {
    const double a[3] = {0, 0, 0}, c[3] = {10, 0, 0};
    auto kind = [&](double off) {
        const double b[3] = {5, off, 0};
        return distPointLine(a, b, c);
    };
    EXPECT_EQ(kind(0.019 * t()), kEdgeStraight);   // 5 x 0.004T is 0.02T
    EXPECT_EQ(kind(0.021 * t()), kEdgeCurved);
    const double near1[3] = {0.5 * t(), 0, 0}, near2[3] = {0, 0.7 * t(), 0}, beyond[3] = {0, 0.9 * t(), 0};
    EXPECT_EQ(distPointLine(a, near1, near2), kEdgeDegenerate);   // both within 0.8T of the first
    EXPECT_NE(distPointLine(a, near1, beyond), kEdgeDegenerate);

    const double p[3][3] = {{0, 0, 0}, {3, 0, 0}, {3, 4, 0}}, moved[3][3] = {{9, 9, 9}, {9, 9, 12}, {9, 13, 12}};
    const double off[3][3] = {{9, 9, 9}, {9, 9, 12}, {9, 13.01, 12}}, shortSide[3][3] = {{0, 0, 0}, {0.004, 0, 0}, {3, 4, 0}};
    EXPECT_TRUE(fitCircleOrLine(p, moved, 0.005));
    EXPECT_FALSE(fitCircleOrLine(p, off, 0.005));
    EXPECT_FALSE(fitCircleOrLine(shortSide, shortSide, 0.005));
}

TEST_F(RecogGeometryTest, AnEndSweepIsSignedBySenseAndStartsInZeroToTwoPi) {
    // Radius 2 about (5, 5) from 0 to 6, made about +Z from -20 degrees over 50, and about -Z over 250; a face
    // whose angle runs a hair past a full turn (a modelled thread's band of 360.05 degrees, a countersink's of
    // 360.01) sweeps the whole turn, in either sense.
    struct CASE {
        double dz, start, sweep, expectedStart, expectedSweep;
    };
    for (const CASE& k : {CASE{1, -20 * kDeg, 50 * kDeg, 340 * kDeg, 50 * kDeg}, CASE{-1, 0, 250 * kDeg, 0, -250 * kDeg},
                          CASE{1, 10 * kDeg, 360.05 * kDeg, 10 * kDeg, 360 * kDeg},
                          CASE{-1, 0, 360.01 * kDeg, 0, -360 * kDeg}}) {
        SCOPED_TRACE(k.sweep / kDeg);
        const double top[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, axis[3] = {5, 5, 0};
        double start = 0, sweep = 0;
        ent s{};
        if (k.sweep <= 2 * kPi) {
            ent line{};
            line.type = kEntLine;
            line.ln.ln = {{7, 5, 0}, {7, 5, 6 * k.dz}};
            surf_of_rev rev{&line, {5, 5, 0}, {0, 0, k.dz}, k.start, k.sweep};
            ASSERT_EQ(create_nurbsurf_from_surf(&rev, &s), 1);
            sweepAtEnd(&s, axis, s.surf.vMin, s.surf.uMin, s.surf.uMax, 0, top, &start, &sweep);
        } else {
            // The kernel's own surface of revolution, whose angle goes on past its turn.
            const host::FaceGeom face =
                host::FaceGeom::revolvedSegment({7, 5, 0}, {7, 5, 6 * k.dz}, {5, 5, 0}, {0, 0, k.dz}, k.start, 2 * kPi);
            ASSERT_FALSE(face.empty());
            host::fillSurfaceRecord(s, face, kSurfNurbs);
            const host::UvBox uv = face.uvRange();
            sweepAtEnd(&s, axis, uv.vMin, uv.uMin, uv.uMin + k.sweep, 0, top, &start, &sweep);
        }
        EXPECT_NEAR(std::remainder(start - k.expectedStart, 2 * kPi), 0, 1e-6);
        EXPECT_TRUE(start >= 0 && start < 2 * kPi);
        EXPECT_NEAR(sweep, k.expectedSweep, 1e-6);
    }
}

TEST_F(RecogGeometryTest, ASamplerGivesEachPointAsTheSurfaceEvaluatesItAskedOnceOrAgain) {
    ent line{};
    line.type = kEntLine;
    line.ln.ln = {{7, 5, 0}, {7, 5, 6}};
    surf_of_rev rev{&line, {5, 5, 0}, {0, 0, 1}, 0, 2 * kPi};
    ent s{};
    ASSERT_EQ(create_nurbsurf_from_surf(&rev, &s), 1);
    const double cFirst = s.surf.uMin, a0 = s.surf.vMin, a1 = s.surf.vMax, c1 = 0.3 * s.surf.uMax;
    // Kept points (c at cFirst) and others, each asked again; -0.0 is kept apart from 0.0.
    struct ASK {
        double a, c;
    };
    const ASK asks[] = {{a0, cFirst}, {a1, cFirst}, {a0, c1}, {a1, cFirst}, {a0, cFirst}, {a0, c1},
                        {0.0, cFirst}, {-0.0, cFirst}, {0.0, cFirst}, {0.5 * a1, cFirst}};
    for (const int axialIndex : {0, 1}) {
        CSurfSampler sampler(&s, axialIndex, cFirst);
        for (const ASK& ask : asks) {
            double got[3];
            p_3d want;
            const int ok = axialIndex == 0 ? eval_surf(&s, ask.a, ask.c, 0, &want) : eval_surf(&s, ask.c, ask.a, 0, &want);
            ASSERT_EQ(sampler.at(ask.a, ask.c, got), ok == 1);
            EXPECT_EQ(got[0], want.x) << ask.a << " " << ask.c;
            EXPECT_EQ(got[1], want.y) << ask.a << " " << ask.c;
            EXPECT_EQ(got[2], want.z) << ask.a << " " << ask.c;
        }
    }
}

TEST_F(RecogGeometryTest, AnAxisFindsNamedViewsFirstInEitherSenseThenStandardAxesInTheirOwn) {
    const double tol = 0.04 * kDeg;
    struct CASE {
        double z[3];
        int view;
    };
    for (const CASE& k : {CASE{{0, 0, 1}, 1}, CASE{{0, 0, -1}, 1}, CASE{{0, -1, 0}, 2}, CASE{{0, 1, 0}, 3},
                          CASE{{1, 0, 0}, 5}, CASE{{-1, 0, 0}, 6}, CASE{{1, 1, 0}, 0},
                          CASE{{std::sin(0.03 * kDeg), 0, std::cos(0.03 * kDeg)}, 1},
                          CASE{{std::sin(0.05 * kDeg), 0, std::cos(0.05 * kDeg)}, 0}}) {
        double m[3][3];
        make_view_k(k.z, m);
        std::int16_t key = 99;
        EXPECT_EQ(viewNumberOfMatrix(m, tol, &key), k.view) << k.z[0] << " " << k.z[1] << " " << k.z[2];
        EXPECT_EQ(key, 0);
    }
    // A named view along -Z takes +Z axes too, before the top view: the key says where the answer came from.
    view_ent named;
    const double down[3] = {0, 0, -1}, up[3] = {0, 0, 1};
    make_view_k(down, named.matrix);
    char ok = 0;
    ASSERT_EQ(named_view_manager(&named, 1, "", &ok), 1);
    double m[3][3];
    make_view_k(up, m);
    std::int16_t key = 0;
    EXPECT_EQ(viewNumberOfMatrix(m, tol, &key), named.number);
    EXPECT_EQ(named.number, 4);
    EXPECT_EQ(key, static_cast<std::int16_t>(named.id & 0xFFFF));
}

TEST_F(RecogGeometryTest, AProjectionAlongAViewGivesThePointOnTheFaceOrNothing) {
    const double centre[3] = {5, 5, 0}, up[3] = {0, 0, 1};
    ent plane{};
    ASSERT_EQ(get_ent_from_eptr(createSquareSurface(centre, up, 10, 1, 1), &plane), 1);
    const double above[3] = {7, 8, 30}, beside[3] = {12, 5, 30};
    double hit[3];
    ASSERT_EQ(projectGridOntoSurf(&plane, 1, above, hit), 1);
    EXPECT_NEAR(std::hypot(hit[0] - 7, hit[1] - 8, hit[2]), 0, 1e-9);
    EXPECT_EQ(projectGridOntoSurf(&plane, 1, beside, hit), 0);
    EXPECT_EQ(projectGridOntoSurf(&plane, 5, above, hit), 0);   // along X, parallel to the face
}

}  // namespace
