// Holes built with the part builder, recognised, and described in the terms of the shipped tables' chamfer
// window (44 to 46 degrees, depth 2): what each record holds, segments joined or kept apart, and the
// intersection of two segments in the half section.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "plugin/engine/hole_description.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "support/hole_tables_fixture.h"

namespace {

constexpr double kDeg = std::numbers::pi / 180;

struct RECORD {
    std::int16_t opeGeo;
    double D, L;
    int flat, tip, through, chamfer, round;
    double coneDeg, tipDeg, chamferD;
    const char* name;   // thread or fit
};

struct CASE {
    const char* what;
    hb::HoleSpec hole;
    const char* coded;  // coded name on the hole, or null
    std::vector<RECORD> records;
};

class HoleDescriptionTest : public HoleTablesFixture {};

// What the rows the assignment finds do not show: rounding, details folded in, a cone no form has.
TEST_F(HoleDescriptionTest, RecognisedHolesAreDescribedWithTheirDetailsFoldedIn) {
    const host::Vec3 o{0, 0, 30}, down{0, 0, -1};
    hb::HoleSpec toric = hb::throughHole("toric", o, down, 10);
    toric.entryFillet = 1;
    const std::vector<CASE> cases = {
        {"through", hb::throughHole("t", o, down, 8.003), nullptr, {{0, 8.005, 30, 0, 0, 1, 0, 0, 0, 0, 0, ""}}},
        {"150 degree bottom cone", hb::blindTipped("c", o, down, 8, 15, 150), nullptr,
         {{0, 8, 15, 0, 0, 0, 0, 0, 0, 0, 0, ""}, {0, 0, 1.072, 0, 0, 1, 0, 0, 150, 0, 0, ""}}},
        {"countersink in the window", hb::countersunk("s", o, down, 4.5, 6.5, 90), nullptr,
         {{0, 4.5, 30, 0, 0, 1, 1, 0, 0, 0, 6.5, ""}}},
        {"tapped over its core drill", hb::holeAt("m8", o, down).cylinder(6.8, 12).cylinder(6.6, 6).tip(118),
         "GD_M8_20", {{1, 6.8, 17.94, 0, 1, 0, 0, 0, 0, 118, 0, "M8"}}},
        {"reamed fit", hb::throughHole("h7", o, down, 8), "PD_H7_8", {{2, 8, 30, 0, 0, 1, 0, 0, 0, 0, 0, "H7"}}},
        {"toric entry edge", toric, nullptr, {{0, 10, 30, 0, 0, 1, 0, 1, 0, 0, 0, ""}}},
    };
    recogniseGrid(cases);

    for (std::size_t i = 0; i < cases.size(); ++i) {
        const CASE& c = cases[i];
        SCOPED_TRACE(c.what);
        const POINT_LIST* hole = holeAt(gridX(i), gridY(i));
        ASSERT_NE(hole, nullptr);
        const std::vector<CIL_DESC> descs = describeHole(hole->firstCyl, 44 * kDeg, 46 * kDeg, 2.0, nullptr);
        ASSERT_EQ(descs.size(), c.records.size());
        for (std::size_t k = 0; k < descs.size(); ++k) {
            const CIL_DESC& v = descs[k];
            const RECORD& r = c.records[k];
            EXPECT_EQ(v.opeGeo, r.opeGeo) << k;
            EXPECT_NEAR(v.D, r.D, 1e-9) << k;
            EXPECT_NEAR(v.L, r.L, 2e-3) << k;
            EXPECT_EQ(v.L2, v.L) << k;
            EXPECT_EQ(v.Flat, r.flat) << k;
            EXPECT_EQ(v.TipTool, r.tip) << k;
            EXPECT_EQ(v.Through, r.through) << k;
            EXPECT_EQ(v.topChamfer, r.chamfer) << k;
            EXPECT_EQ(v.topRound, r.round) << k;
            EXPECT_NEAR(2 * v.coneAngle / kDeg, r.coneDeg, 1e-6) << k;
            EXPECT_NEAR(v.tipAngle / kDeg, r.tipDeg, 1e-6) << k;
            EXPECT_NEAR(v.chamferDiameter, r.chamferD, 1e-9) << k;
            EXPECT_EQ(fieldText(r.opeGeo == 2 ? v.fitName : v.threadName), r.name) << k;
            EXPECT_NE(v.entityId, 0u) << k;
        }
    }
}

TEST_F(HoleDescriptionTest, ModellingSplitsJoinAndDifferentSegmentsStayApart) {
    std::vector<CYL_LIST> split = chain({{4, 4, 10}, {4, 4, 5}, {4, 4, 15}});
    const std::vector<CIL_DESC> joined = describeHole(&split[0], 44 * kDeg, 46 * kDeg, 2.0, nullptr);
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_DOUBLE_EQ(joined[0].L, 30);

    // Alternating diameters cannot join: the 25 segments the description takes (one more is refused by the
    // assignment) stay 25 records.
    std::vector<CYL_LIST> long25 = alternating(25);
    EXPECT_EQ(describeHole(&long25[0], 0, 0, 0, nullptr).size(), 25u);
}

// A toric segment made by hand: (radius top, radius bottom, length) of the chain, with its torus.
struct TORUS {
    std::size_t segment;
    double rToric, rCtoric, zToric;
};

// Rounded bottoms folded into the bore above, and the toric segments no fold takes reduced: in a hole of
// one segment to its own rounded top edge, its own rounded bottom or a plain cylinder; in a longer hole
// to a cylinder under a shoulder, or into the next segment when it runs on along it.
TEST_F(HoleDescriptionTest, RoundedBottomsFoldUpAndOtherToricSegmentsAreReduced) {
    struct OUT {
        double D, zTop, zBottom;
        int flat, through, topRound;   // -1: not looked at
        double bottomRound;
    };
    struct CASE {
        const char* what;
        std::vector<std::array<double, 3>> segments;
        TORUS torus;
        std::vector<OUT> records;
    } const cases[] = {
        {"ball end under a bore", {{5, 5, 20}, {5, 0, 5}}, {1, 5, 0, -20}, {{10, 0, -25, 1, 0, 0, 5}}},
        {"one segment: its own rounded top edge", {{7, 5, 2}}, {0, 2, 7, -2}, {{10, 0, -2, 0, 1, 1, 0}}},
        {"one segment: its own rounded bottom", {{5, 0, 5}}, {0, 5, 0, 0}, {{10, 0, -5, -1, -1, 0, 5}}},
        {"one segment: neither, a cylinder of its bottom radius", {{5, 4, 3}}, {0, 2, 6, 1}, {{8, 0, -3, 0, 1, 0, 0}}},
        {"under a shoulder, ending across the next side: a cylinder",
         {{6, 6, 10}, {5, 4, 2}, {4, 4, 8}},
         {1, 1.414, 5, -11},
         {{12, 0, -10, 1, 0, 0, 0}, {8, -10, -12, 0, 0, 0, 0}, {8, -12, -20, 0, 1, 0, 0}}},
        {"running on along the next side: the next segment starts at its top",
         {{6, 6, 10}, {5, 4, 2}, {4, 4, 8}},
         {1, 3, 1, -13},
         {{12, 0, -10, 1, 0, 0, 0}, {8, -10, -20, 0, 1, 0, 0}}},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<CYL_LIST> segs = chain(c.segments);
        CYL_LIST& t = segs[c.torus.segment];
        t.rToric = c.torus.rToric;
        t.rCtoric = c.torus.rCtoric;
        t.zToric = c.torus.zToric;
        const std::vector<CIL_DESC> descs = describeHole(&segs[0], 44 * kDeg, 46 * kDeg, 2.0, nullptr);
        ASSERT_EQ(descs.size(), c.records.size());
        for (std::size_t k = 0; k < descs.size(); ++k) {
            const CIL_DESC& d = descs[k];
            const OUT& o = c.records[k];
            EXPECT_NEAR(d.D, o.D, 1e-9) << k;
            EXPECT_NEAR(d.zTop, o.zTop, 1e-9) << k;
            EXPECT_NEAR(d.zBottom, o.zBottom, 1e-9) << k;
            EXPECT_NEAR(d.L, o.zTop - o.zBottom, 1e-9) << k;
            if (o.flat >= 0) {
                EXPECT_EQ(d.Flat, o.flat) << k;
            }
            if (o.through >= 0) {
                EXPECT_EQ(d.Through, o.through) << k;
            }
            EXPECT_EQ(d.topRound, o.topRound) << k;
            EXPECT_NEAR(d.bottomRound, o.bottomRound, 1e-12) << k;
            EXPECT_EQ(d.coneAngle, 0.0) << k;
        }
    }
}

TEST(SegmentIntersect2d, SlantedSidesOrTheBottomRingOfTheFirst) {
    CYL_LIST a, b;
    a.rSup = 5, a.zSup = 10, a.rInf = 5, a.zInf = 0;       // a wall at r 5
    b.rSup = 6, b.zSup = 2, b.rInf = 2, b.zInf = -2;       // a 45 degree cone
    double r = 0, z = 0;
    ASSERT_EQ(segmentIntersect2d(&a, &b, &r, &z), 1);
    EXPECT_NEAR(r, 5, 1e-12);
    EXPECT_NEAR(z, 1, 1e-12);
    a.bottomFlat = 1, a.rFlatMinBtm = 3;                    // its ring at z 0 instead
    ASSERT_EQ(segmentIntersect2d(&a, &b, &r, &z), 1);
    EXPECT_NEAR(r, 4, 1e-12);
    EXPECT_NEAR(z, 0, 1e-12);
    b.rSup = 9, b.zSup = 0, b.rInf = 8, b.zInf = 0;         // parallel to the ring
    EXPECT_EQ(segmentIntersect2d(&a, &b, &r, &z), 0);
}

}  // namespace
