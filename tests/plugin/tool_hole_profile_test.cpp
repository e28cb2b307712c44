// The tool-versus-hole profile: how deep a tool goes before it touches the hole, the outline limits, the
// searches' fixed points and the planar intersections under them.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/planar_intersect.h"
#include "plugin/tooling/tool_hole_profile.h"

namespace {

constexpr double kDeg = M_PI / 180;
constexpr double kT = 0.025;
constexpr double kContact = 0.04 * kT;

class ToolHoleProfile : public ::testing::Test {
protected:
    void SetUp() override { setUnitTolerances(true); }

    // A hole of diameter d and depth h in a top face ten times as wide, with a flat bottom unless through.
    void flatHole(double d, double h, bool through = false) {
        p.clearHole();
        p.addHoleFlat(10 * d, d, 0);
        p.addHoleLine(p.lastDiameter, p.lastZ, d, -h);
        if (!through) p.addHoleFlat(p.lastDiameter, 0, -h);
    }

    ToolHoleSection p;
};

TEST_F(ToolHoleProfile, DrillStopsWhereItsTipMeetsTheBottom) {
    flatHole(10.2, 20);
    ASSERT_EQ(p.buildTool(3, 10, 59 * kDeg, 0, 0, 0), 0);
    EXPECT_DOUBLE_EQ(p.toolLength, 2 * (20 + 12));
    // The tip lies R' / tan 59 below the tool's z 0.
    const double tip = (5 - kContact) / std::tan(59 * kDeg);
    EXPECT_NEAR(p.findLastFreePosition(0), -20 + tip, 0.002);
    EXPECT_EQ(p.touchesHole(-20 + tip - 0.01), 1);
    EXPECT_EQ(p.touchesHole(-20 + tip + 0.01), 0);
}

TEST_F(ToolHoleProfile, FreePositionsOfTools) {
    struct CASE {
        const char* what;
        double holeDiameter, holeDepth;
        bool through;
        std::int16_t type;
        double diameter, halfAngle, corner, tip;
        std::uint8_t stopAtEnd;
        double expected, within;
    };
    const double wide = (6 - kContact - 5) / std::tan(59 * kDeg);
    const CASE cases[] = {
        // A reamer free at the end of a through hole: with stopAtEnd, exactly the end z.
        {"reamer through", 10.2, 15, true, 6, 10, 0, 0, 0, 1, -15, 0},
        // On a flat bottom the flat end touches; the deepest free position lies just above it.
        {"reamer on the bottom", 10.2, 15, false, 6, 10, 0, 0, 0, 1, -15 + kContact, 0.0005},
        // A drill wider than the hole rests on the hole's edge with its cone.
        {"drill on the edge", 10, 20, false, 3, 12, 59 * kDeg, 0, 0, 0, wide, 0.003},
        // A half angle under 5 degrees is the type's default: half of 118 for a drill, not a division by 0.
        {"drill without angle", 10, 20, false, 3, 12, 0, 0, 0, 0, wide, 0.003},
        // A drill a thousandth narrower than the bore passes the edge of its mouth on the way down and
        // stops on the bottom, not at the mouth.
        {"drill of the bore's size", 8, 5.0004, false, 3, 7.999, 59 * kDeg, 0, 0, 0,
         -5.0004 + (3.9995 - kContact) / std::tan(59 * kDeg), 0.002},
        // A spot drill's point is its tip at z 0; at 45 degrees its cone meets the edge 5 above it.
        {"spot drill without angle", 10, 20, false, 2, 12, 0, 0, 0, 0, -5, 0.003},
    };
    for (const CASE& c : cases) {
        flatHole(c.holeDiameter, c.holeDepth, c.through);
        ASSERT_EQ(p.buildTool(c.type, c.diameter, c.halfAngle, c.corner, c.tip, 0), 0) << c.what;
        EXPECT_NEAR(p.findLastFreePosition(c.stopAtEnd), c.expected, c.within) << c.what;
    }
}

TEST_F(ToolHoleProfile, FreePositionAboveOrFromBelow) {
    flatHole(10, 20);
    ASSERT_EQ(p.buildTool(3, 12, 59 * kDeg, 0, 0, 0), 0);
    // Above the hole's top the start comes back as it is.
    EXPECT_EQ(p.findFreePosition(50), 50);
    EXPECT_EQ(p.isAboveHole(50), 1);
    // From deep inside, the position is raised to where the cone clears the edge.
    const double wide = (6 - kContact - 5) / std::tan(59 * kDeg);
    EXPECT_NEAR(p.findFreePosition(-10), wide, 0.003);
    // A tool wholly below the hole's end starts from the end.
    EXPECT_EQ(p.isBelowHole(-500), 1);
    EXPECT_NEAR(p.findFreePosition(-500), wide, 0.003);
    // A touching position near a free one.
    const double contact = p.findContactPosition(5);
    EXPECT_EQ(p.touchesHole(contact), 1);
    EXPECT_NEAR(contact, wide, 0.003);
}

TEST_F(ToolHoleProfile, OutlineLimitsAndRefusals) {
    // No hole outline: no tool, and the searches do not read one.
    EXPECT_EQ(p.buildTool(3, 10, 59 * kDeg, 0, 0, 0), 1);
    EXPECT_EQ(p.toolCount, 0);
    EXPECT_EQ(p.findFreePosition(-3), -3);
    EXPECT_EQ(p.findLastFreePosition(0), 0);
    // A search that never finds what it wants ends 110 steps away.
    EXPECT_DOUBLE_EQ(p.stepSearch(ToolHoleSection::Want::Touch, 5, -1), 5 - 110);

    for (int i = 0; i < ToolHoleSection::kMaxSegments; ++i) ASSERT_EQ(p.addHoleLine(10, -i, 10, -i - 1), 0);
    EXPECT_EQ(p.addHoleFlat(10, 4, -60), 1);
    EXPECT_EQ(p.addHoleArc(0, 0, 1, 0, 1), 1);
    EXPECT_EQ(p.holeCount, 50);
    EXPECT_EQ(p.lastDiameter, 10);
    EXPECT_EQ(p.lastZ, -50);

    // A chamfer mill keeps a flat tip only when the tip radius exceeds t.
    flatHole(10, 5);
    p.buildTool(12, 12, 45 * kDeg, 0, 2 * kContact, 0);
    EXPECT_EQ(p.toolCount, 2);
    p.buildTool(12, 12, 45 * kDeg, 0, 2, 0);
    EXPECT_EQ(p.toolCount, 3);
    // Corner-radius, concave and taper tools: their outlines end on the axis.
    for (std::int16_t type : {11, 15, 17, 19, 13}) {
        p.buildTool(type, 8, 10 * kDeg, 1, 0, 3);
        double end[2];
        segmentEnd(p.tool[p.toolCount - 1], end);
        EXPECT_NEAR(end[0], 0, 1e-12) << type;
    }
}

// The outlines of the rounded, concave and conical tools, point by point from the shank down: a tool of
// D 8, half angle 10 degrees, corner radius 1 and taper height 3 over a 5 deep hole (tool length 34).
TEST_F(ToolHoleProfile, OutlinesOfRoundedConcaveAndConicalTools) {
    struct POINT {
        double x, z;
    };
    struct SEGMENT {
        POINT from, to;
        bool arc;
        POINT middle;   // of an arc, which way it turns
    };
    const double Rp = 4 - kContact, Ro = 4 + 1 - kContact, Rb = Ro - 1 / std::cos(3 * kDeg) - kContact;
    const double Rt = 4 + 3 * std::tan(10 * kDeg), s45 = std::sqrt(0.5);
    const POINT arcEnd{Ro + std::cos(177 * kDeg), -1 + std::sin(177 * kDeg)};
    const std::vector<SEGMENT> rounded = {
        {{Rp, 34}, {Rp, 1}, false, {}},
        {{Rp, 1}, {Rp - 1, 0}, true, {Rp - 1 + s45, 1 - s45}},
        {{Rp - 1, 0}, {0, 0}, false, {}},
    };
    struct CASE {
        std::int16_t type;
        std::vector<SEGMENT> outline;
    };
    const CASE cases[] = {
        {11, rounded},
        {19, rounded},
        {15,
         {{{Ro, 34}, {Ro, 0}, false, {}},
          {{Ro, 0}, arcEnd, true, {Ro + std::cos(133.5 * kDeg), -1 + std::sin(133.5 * kDeg)}},
          {arcEnd, {Rb, -1}, false, {}},
          {{Rb, -1}, {0, -1}, false, {}}}},
        // The cone takes the tool's own angle; the shank rises a tool length above the taper.
        {17, {{{Rt, 37}, {Rt, 3}, false, {}}, {{Rt, 3}, {4, 0}, false, {}}, {{4, 0}, {0, 0}, false, {}}}},
    };
    flatHole(10, 5);
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.type);
        ASSERT_EQ(p.buildTool(c.type, 8, 10 * kDeg, 1, 0, 3), 0);
        ASSERT_EQ(p.toolCount, static_cast<std::int16_t>(c.outline.size()));
        for (std::size_t i = 0; i < c.outline.size(); ++i) {
            const PROFILE_SEGMENT& got = p.tool[i];
            const SEGMENT& want = c.outline[i];
            double from[2], to[2];
            segmentStart(got, from);
            segmentEnd(got, to);
            EXPECT_EQ(got.kind, want.arc ? 1 : 0) << i;
            EXPECT_NEAR(from[0], want.from.x, 1e-9) << i;
            EXPECT_NEAR(from[1], want.from.z, 1e-9) << i;
            EXPECT_NEAR(to[0], want.to.x, 1e-9) << i;
            EXPECT_NEAR(to[1], want.to.z, 1e-9) << i;
            if (want.arc) {
                const double middle = got.start + got.sweep / 2;
                EXPECT_NEAR(got.cx + got.radius * std::cos(middle), want.middle.x, 1e-9) << i;
                EXPECT_NEAR(got.cz + got.radius * std::sin(middle), want.middle.z, 1e-9) << i;
            }
        }
    }
    // On the flat bottom the ball's lowest point, its flat tip at z 0, comes to rest just above it.
    ASSERT_EQ(p.buildTool(11, 8, 0, 1, 0, 0), 0);
    EXPECT_NEAR(p.findLastFreePosition(0), -5 + kContact, 0.0005);
}

TEST_F(ToolHoleProfile, ProbesAndConeCorners) {
    flatHole(10, 20);
    double at[2] = {};
    // Outwards from the axis at z -10: the wall; the first hole segment met from the top.
    ASSERT_EQ(p.intersectHole(0, -10, 20, -10, at, 0), 1);
    EXPECT_NEAR(at[0], 5, 1e-9);
    EXPECT_NEAR(at[1], -10, 1e-9);
    // Along the axis from above: the top face does not reach it, the bottom does; walking from the end.
    ASSERT_EQ(p.intersectHole(0, 10, 0, -30, at, 1), 1);
    EXPECT_NEAR(at[1], -20, 1e-9);
    EXPECT_EQ(p.intersectHole(1, -5, 2, -6, at, 0), 0);

    double d = 0, z = 0;
    // A line rising at 45 degrees from (5, -1) meets the vertical line down from (8, 0) at z 2.
    EXPECT_EQ(coneLinesIntersection(10, 1, 45 * kDeg, 16, 0, &d, &z), 0);
    EXPECT_NEAR(d, 16, 1e-9);
    EXPECT_NEAR(z, 2, 1e-9);
    // Parallel lines do not meet.
    EXPECT_EQ(coneLinesIntersection(10, 1, 30 * kDeg, 16, 30 * kDeg, &d, &z), 1);
    EXPECT_EQ(d, 10);
    EXPECT_EQ(z, 0);
}

TEST(PlanarIntersect, MeetsWithinTolerance) {
    struct CASE {
        const char* what;
        PROFILE_SEGMENT a, b;
        int count;
        double x, z;
    };
    const double t = 0.001;
    const CASE cases[] = {
        {"crossing lines", profileLine(0, 0, 2, 2), profileLine(0, 2, 2, 0), 1, 1, 1},
        {"lines apart", profileLine(0, 0, 1, 0), profileLine(0, 0.01, 1, 0.01), 0, 0, 0},
        {"lines within t", profileLine(0, 0, 1, 0), profileLine(0.5, 0.0009, 0.5, 1), 1, 0.5, 0},
        {"parallel lines within t", profileLine(0, 0, 1, 0), profileLine(1.0004, 0.0006, 2, 0.0006), 1, 1.0002, 0.0003},
        {"line through a quarter arc", profileLine(0, 0, 2, 2), profileArc(0, 0, 1, 0, M_PI / 2), 1, M_SQRT1_2,
         M_SQRT1_2},
        {"line past the arc's sweep", profileLine(0, 0, -2, -2), profileArc(0, 0, 1, 0, M_PI / 2), 0, 0, 0},
        {"clockwise arc", profileLine(0, 0, 2, -2), profileArc(0, 0, 1, 0, -M_PI / 2), 1, M_SQRT1_2, -M_SQRT1_2},
        {"line grazing a circle within t", profileLine(-1, 1.0005, 1, 1.0005), profileArc(0, 0, 1, 0, M_PI), 1, 0,
         1.00025},
        {"two arcs", profileArc(0, 0, 1, 0, M_PI), profileArc(1, 0, 1, M_PI / 2, M_PI), 1, 0.5, std::sqrt(0.75)},
    };
    const double ref[2] = {0, 0};
    for (const CASE& c : cases) {
        double at[2] = {};
        EXPECT_EQ(intersectSegments(c.a, c.b, ref, t, at), c.count) << c.what;
        if (c.count) {
            EXPECT_NEAR(at[0], c.x, 1e-9) << c.what;
            EXPECT_NEAR(at[1], c.z, 1e-9) << c.what;
        }
    }
}

}  // namespace
