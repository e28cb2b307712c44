// The part builder: every hole kind cut into a block has the faces its description implies, lies where
// the description says, and removes exactly the described volume; through lengths, colours, bosses,
// fillets and the refusals of impossible parts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "host/builder/part_builder.h"

namespace {

using namespace host;
using namespace host::builder;

constexpr double kPi = std::numbers::pi;
constexpr Vec3 kDown{0, 0, -1};
constexpr Vec3 kEntry{20, 20, 20};   // middle of the top face of a 40 x 40 x 20 block

double segmentVolume(const HoleSegment& s) {
    double R = s.topDiameter / 2, r = s.bottomDiameter / 2;
    return kPi * s.length * (R * R + R * r + r * r) / 3.0;
}

double holeVolume(const HoleSpec& h) {
    double v = 0;
    for (const HoleSegment& s : h.segments) v += segmentVolume(s);
    return v;
}

std::map<SurfaceKind, int> kindsOf(const BuiltPart& part, int hole) {
    std::map<SurfaceKind, int> kinds;
    for (int i : part.holeFaces[hole]) ++kinds[part.solid.faces()[i].kind()];
    return kinds;
}

// Radius about the hole's axis and depth below its entry of a world point.
std::pair<double, double> radiusAndDepth(const HoleSpec& h, const Vec3& p) {
    Vec3 w{p[0] - h.entry[0], p[1] - h.entry[1], p[2] - h.entry[2]};
    double depth = w[0] * h.direction[0] + w[1] * h.direction[1] + w[2] * h.direction[2];
    Vec3 radial{w[0] - depth * h.direction[0], w[1] - depth * h.direction[1], w[2] - depth * h.direction[2]};
    return {std::hypot(radial[0], radial[1], radial[2]), depth};
}

// The described radius of the hole at a depth: between the segments' radii around that depth.
bool onDescribedWall(const HoleSpec& h, double radius, double depth, double fillet) {
    const double tol = 1e-5;
    if (depth < -tol || depth > h.depth() + tol) return false;
    double top = 0;
    for (std::size_t i = 0; i < h.segments.size(); ++i) {
        const HoleSegment& s = h.segments[i];
        double bottom = top + s.length;
        if (depth >= top - tol && depth <= bottom + tol) {
            double t = s.length > 0 ? std::clamp((depth - top) / s.length, 0.0, 1.0) : 0;
            double r = (s.topDiameter + (s.bottomDiameter - s.topDiameter) * t) / 2;
            if (std::abs(radius - r) < tol) return true;
            // A shoulder or bottom at a segment's end spans the radii on either side of it.
            double next = i + 1 < h.segments.size() ? h.segments[i + 1].topDiameter / 2 : 0;
            if (std::abs(depth - bottom) < tol && radius <= std::max(r, next) + tol) return true;
            if (i == 0 && depth <= fillet + tol && radius <= r + fillet + tol) return true;
        }
        top = bottom;
    }
    return false;
}

struct HoleCase {
    const char* what;
    HoleSpec hole;
    std::map<SurfaceKind, int> faces;
};

std::vector<HoleCase> holeCases() {
    using K = SurfaceKind;
    HoleSpec halves = throughHole("halves", kEntry, kDown, 12);
    halves.splitWall = true;
    HoleSpec rounded = blindTipped("rounded", kEntry, kDown, 6, 8);
    rounded.entryFillet = 1;
    return {
        {"through", throughHole("t", kEntry, kDown, 8), {{K::Cylinder, 1}}},
        {"blind flat", blindFlat("b", kEntry, kDown, 10, 6), {{K::Cylinder, 1}, {K::Plane, 1}}},
        {"blind tipped", blindTipped("p", kEntry, kDown, 8, 8), {{K::Cylinder, 1}, {K::Cone, 1}}},
        {"counterbored", counterbored("c", kEntry, kDown, 6.6, 11, 6.8), {{K::Cylinder, 2}, {K::Plane, 1}}},
        {"counterbored blind", counterbored("cb", kEntry, kDown, 6.6, 11, 6.8, 15),
         {{K::Cylinder, 2}, {K::Plane, 2}}},
        {"countersunk", countersunk("s", kEntry, kDown, 6.6, 13), {{K::Cone, 1}, {K::Cylinder, 1}}},
        {"spot faced", spotFaced("f", kEntry, kDown, 9, 18), {{K::Cylinder, 2}, {K::Plane, 1}}},
        {"stepped through", stepped("st", kEntry, kDown, {{12, 4}, {8, 4}, {5, 0}}),
         {{K::Cylinder, 3}, {K::Plane, 2}}},
        {"stepped tipped", stepped("sp", kEntry, kDown, {{10, 6}, {6, 8}}, 118),
         {{K::Cylinder, 2}, {K::Plane, 1}, {K::Cone, 1}}},
        {"necked", necked("n", kEntry, kDown, 10, 14, 4, 3), {{K::Cylinder, 3}, {K::Plane, 2}}},
        {"two half walls", halves, {{K::Cylinder, 2}}},
        {"rounded entry", rounded, {{K::Cylinder, 1}, {K::Cone, 1}, {K::Torus, 1}}},
    };
}

TEST(BuilderHoles, EachKindHasItsFacesWhereItsDescriptionSays) {
    for (const HoleCase& c : holeCases()) {
        SCOPED_TRACE(c.what);
        BuiltPart part = PartBuilder::block({40, 40, 20}).hole(c.hole).build();
        ASSERT_TRUE(part.ok()) << part.error;
        EXPECT_TRUE(part.solid.isValid());
        ASSERT_EQ(part.holeFaces.size(), 1u);
        EXPECT_EQ(kindsOf(part, 0), c.faces);
        const HoleSpec& h = part.holes[0];
        for (int i : part.holeFaces[0]) {
            for (const TrimLoop& loop : part.solid.faces()[i].trimLoops()) {
                for (const UV& uv : loop.points) {
                    auto [r, depth] = radiusAndDepth(h, part.solid.faces()[i].eval(uv.u, uv.v));
                    ASSERT_TRUE(onDescribedWall(h, r, depth, h.entryFillet))
                        << surfaceKindName(part.solid.faces()[i].kind()) << " r=" << r << " depth=" << depth;
                }
            }
        }
        if (h.entryFillet == 0) {
            EXPECT_NEAR(part.solid.volume(), 40.0 * 40 * 20 - holeVolume(h), 1e-6 * 40 * 40 * 20);
        }
    }
}

TEST(BuilderHoles, DescriptionsByConstruction) {
    HoleSpec tipped = blindTipped("p", kEntry, kDown, 8, 10);
    ASSERT_EQ(tipped.segments.size(), 2u);
    EXPECT_NEAR(tipped.tipAngleDeg(), 118, 1e-9);
    EXPECT_NEAR(tipped.segments[1].length, 4 / std::tan(59 * kPi / 180), 1e-12);
    EXPECT_NEAR(tipped.depth(), 10 + 4 / std::tan(59 * kPi / 180), 1e-12);

    HoleSpec sunk = countersunk("s", kEntry, kDown, 6, 12, 90, 10);
    EXPECT_NEAR(sunk.segments[0].coneAngleDeg(), 90, 1e-9);
    EXPECT_NEAR(sunk.segments[0].length, 3, 1e-12);
    EXPECT_NEAR(sunk.depth(), 10, 1e-12);
    EXPECT_EQ(sunk.tipAngleDeg(), 0);
    EXPECT_FALSE(sunk.through);

    HoleSpec bore = counterbored("c", kEntry, kDown, 6.6, 11, 6.8, 15);
    EXPECT_NEAR(bore.segments[1].length, 15 - 6.8, 1e-12);
    EXPECT_TRUE(bore.segments[1].isCylinder());
}

TEST(BuilderHoles, ThroughLengthsAreWhereTheAxisLeavesThePart) {
    double a = 20 * kPi / 180;
    BuiltPart part = PartBuilder::block({40, 40, 20})
                         .hole(throughHole("down", {10, 10, 20}, kDown, 6))
                         .hole(counterbored("bore", {30, 10, 20}, kDown, 6.6, 11, 6.8))
                         .hole(throughHole("inclined", {20, 30, 20}, {std::sin(a), 0, -std::cos(a)}, 5))
                         .hole(throughHole("side", {40, 25, 8}, {-2, 0, 0}, 4))
                         .build();
    ASSERT_TRUE(part.ok()) << part.error;
    EXPECT_NEAR(part.holes[0].segments.back().length, 20, 1e-6);
    EXPECT_NEAR(part.holes[1].segments.back().length, 20 - 6.8, 1e-6);
    EXPECT_NEAR(part.holes[1].depth(), 20, 1e-6);
    EXPECT_NEAR(part.holes[2].depth(), 20 / std::cos(a), 1e-6);
    EXPECT_NEAR(part.holes[3].depth(), 40, 1e-6);
    EXPECT_NEAR(part.holes[3].direction[0], -1, 1e-12);   // normalised
    for (const auto& faces : part.holeFaces) EXPECT_FALSE(faces.empty());
}

TEST(BuilderHoles, CrossingHolesShareTheirVoid) {
    // A blind hole from the top whose axis meets a side hole running through at z = 10.
    HoleSpec down = blindTipped("down", kEntry, kDown, 8, 14);
    HoleSpec side = throughHole("side", {40, 20, 10}, {-1, 0, 0}, 6);
    BuiltPart part = PartBuilder::block({40, 40, 20}).hole(down).hole(side).build();
    ASSERT_TRUE(part.ok()) << part.error;
    EXPECT_TRUE(part.solid.isValid());
    EXPECT_FALSE(part.holeFaces[0].empty());
    // The side hole's wall is cut in two where the down hole passes: two cylinder pieces or one with a
    // hole in it; either way its faces exist and do not overlap the down hole's.
    EXPECT_FALSE(part.holeFaces[1].empty());
    for (int i : part.holeFaces[1])
        EXPECT_EQ(std::count(part.holeFaces[0].begin(), part.holeFaces[0].end(), i), 0);
    double overlap = part.solid.volume() - (40.0 * 40 * 20 - holeVolume(part.holes[0]) - holeVolume(part.holes[1]));
    EXPECT_GT(overlap, 0);   // the crossing is removed once, not twice
}

TEST(BuilderParts, ColoursFollowTheirFaces) {
    HoleSpec red = blindFlat("red", {10, 10, 20}, kDown, 6, 5);
    red.colour = 12;
    BuiltPart part = PartBuilder::block({40, 40, 20})
                         .stockColour(7)
                         .hole(red)
                         .hole(throughHole("plain", {30, 30, 20}, kDown, 6))
                         .build();
    ASSERT_TRUE(part.ok()) << part.error;
    const std::vector<int>& colours = part.solid.faceColours();
    ASSERT_EQ(colours.size(), part.solid.faces().size());
    for (std::size_t i = 0; i < colours.size(); ++i) {
        bool inRed = std::count(part.holeFaces[0].begin(), part.holeFaces[0].end(), static_cast<int>(i)) > 0;
        bool inPlain = std::count(part.holeFaces[1].begin(), part.holeFaces[1].end(), static_cast<int>(i)) > 0;
        EXPECT_EQ(colours[i], inRed ? 12 : inPlain ? kNoColour : 7) << "face " << i;
    }
}

TEST(BuilderParts, BossWithRootFilletAndAHoleThroughIt) {
    BuiltPart part = PartBuilder::block({60, 60, 15})
                         .boss({{30, 30, 15}, {0, 0, 1}, 24, 10, 2})
                         .hole(throughHole("through boss", {30, 30, 25}, kDown, 9))
                         .build();
    ASSERT_TRUE(part.ok()) << part.error;
    EXPECT_TRUE(part.solid.isValid());
    EXPECT_NEAR(part.holes[0].depth(), 25, 1e-6);
    int tori = 0;
    for (std::size_t i = 0; i < part.solid.faces().size(); ++i)
        if (part.solid.faces()[i].kind() == SurfaceKind::Torus) {
            ++tori;
            EXPECT_EQ(std::count(part.holeFaces[0].begin(), part.holeFaces[0].end(), static_cast<int>(i)), 0);
            Box3 b = part.solid.faces()[i].boundingBox();
            EXPECT_NEAR(b.min[2], 15, 1e-6);   // the fillet sits at the boss's foot
            EXPECT_NEAR(b.max[2], 17, 1e-6);
        }
    EXPECT_EQ(tori, 1);
    // The solid's box takes in every face: the stock's corners below, the boss's top above.
    const Box3 box = part.solid.boundingBox();
    const double low[3] = {0, 0, 0}, high[3] = {60, 60, 25};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(box.min[i], low[i], 1e-6) << i;
        EXPECT_NEAR(box.max[i], high[i], 1e-6) << i;
    }
    // Stock + boss + the fillet's ring of material - the hole.
    // The fillet adds a ring whose section is a 2 x 2 square less a quarter disc (Pappus).
    double section = 4 - kPi, centroid = 12 + 2 * (10 - 3 * kPi) / (3 * (4 - kPi));
    double boss = kPi * 12 * 12 * 10, ring = 2 * kPi * centroid * section;
    EXPECT_NEAR(part.solid.volume(), 60.0 * 60 * 15 + boss + ring - kPi * 4.5 * 4.5 * 25, 0.5);
}

TEST(BuilderParts, ImpossiblePartsAreRefusedWithAReason) {
    struct Bad {
        const char* what;
        PartBuilder builder;
    };
    HoleSpec away = throughHole("away", {20, 20, 25}, {0, 0, 1}, 6);   // above the part, pointing up
    HoleSpec empty = holeAt("empty", kEntry, kDown);
    HoleSpec noDiameter = blindFlat("zero", kEntry, kDown, 0, 5);
    HoleSpec coneOut = holeAt("cone out", kEntry, kDown).cone(10, 6, 0);
    coneOut.through = true;
    HoleSpec noDirection = blindFlat("nodir", kEntry, {0, 0, 0}, 5, 5);
    std::vector<Bad> cases = {
        {"no volume", PartBuilder::block({40, 0, 20})},
        {"never runs out", PartBuilder::block({40, 40, 20}).hole(away)},
        {"no segments", PartBuilder::block({40, 40, 20}).hole(empty)},
        {"no diameter", PartBuilder::block({40, 40, 20}).hole(noDiameter)},
        {"runs out with a cone", PartBuilder::block({40, 40, 20}).hole(coneOut)},
        {"no direction", PartBuilder::block({40, 40, 20}).hole(noDirection)},
        {"boss without size", PartBuilder::block({40, 40, 20}).boss({{20, 20, 20}, {0, 0, 1}, 0, 5, 0})},
        {"splits the part", PartBuilder::block({40, 40, 20}).hole(throughHole("wide", kEntry, kDown, 45))},
    };
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.what);
        BuiltPart part = c.builder.build();
        EXPECT_FALSE(part.ok());
        EXPECT_FALSE(part.error.empty());
        EXPECT_TRUE(part.holeFaces.empty());
    }
}

}  // namespace
