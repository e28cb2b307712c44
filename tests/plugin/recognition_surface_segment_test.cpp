// Surfaces of real parts to segments, as the recognition sees them: the shipped plate built and imported
// from STEP, every face through surfaceToSegment, the segments compared hole by hole with what the part
// was built with; the views axes are filed under; faces that are no hole surface. Metric: T = 0.025 mm,
// S = 0.2T; heights of a hole along Z are world z.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iomanip>
#include <numbers>
#include <sstream>
#include <vector>

#include "host/builder/part_builder.h"
#include "host/geom/brep_text.h"
#include "host/geom/step_io.h"
#include "host/geom/surface_entities.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/recognition/surface_segment.h"
#include "plugin/model/tree.h"
#include "support/part_recognition_fixture.h"
#include "support/plugin_fixture.h"

namespace {

using namespace host::builder;
constexpr double kPi = std::numbers::pi, kDeg = kPi / 180, kTol = 1e-5;

struct SEG {   // what a caller reads off a segment; sweep is |Asw|
    double rSup, rInf, zSup, zInf, sweep;
    bool operator==(const SEG& o) const {
        return std::abs(rSup - o.rSup) < kTol && std::abs(rInf - o.rInf) < kTol && std::abs(zSup - o.zSup) < kTol &&
               std::abs(zInf - o.zInf) < kTol && std::abs(sweep - o.sweep) < kTol;
    }
    bool operator<(const SEG& o) const { return zSup != o.zSup ? zSup > o.zSup : rSup > o.rSup; }
};
std::ostream& operator<<(std::ostream& os, const SEG& s) {
    return os << "{r " << s.rSup << "/" << s.rInf << " z " << s.zSup << "/" << s.zInf << " sweep " << s.sweep << "}";
}
SEG summary(const CYL_LIST& c) { return {c.rSup, c.rInf, c.zSup, c.zInf, std::abs(c.Asw)}; }
std::vector<SEG> sorted(std::vector<SEG> v) {
    std::sort(v.begin(), v.end());
    return v;
}

class RecogSegmentsTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        g_globals->settings.roundnessTolerance = g_tolerances.tol02T;
        g_globals->settings.axisAngleTolerance = 0.04;
    }
    // The solid's faces as surface entities (planar faces as trimmed surfaces), in face order.
    static std::vector<db_ptr> toSurfaces(const host::SolidGeom& solid) {
        const std::vector<db_ptr> before = surfaces();
        EXPECT_EQ(storeAsSurfaces(solid, main_level, true), static_cast<int>(solid.faces().size()));
        std::vector<db_ptr> out = surfaces();
        out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(before.size()));   // new ones come last
        EXPECT_EQ(out.size(), solid.faces().size());
        return out;
    }
    static std::vector<db_ptr> surfaces() {
        std::vector<db_ptr> out;
        db_ptr p = db_start();
        char found = 0;
        for (ent e{};;) {
            get_ent(p, 1, kEntSurface, &e, &p, &found);
            if (!found) break;
            out.push_back(p);
        }
        return out;
    }
    static db_ptr storeFace(const host::FaceGeom& face) {
        ent e{};
        host::fillSurfaceRecord(e, face, kSurfNurbs);
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, 10, main_level, main_attrib, &ok);
        return entry;
    }
    // The segment of `surface`, its frames kept in `kept` when given.
    static CYL_LIST filled(db_ptr surface, int expected = 1, CAxisFramesKept* kept = nullptr) {
        CYL_LIST c{};
        if (kept) {
            ent record{};
            EXPECT_EQ(get_ent_from_eptr(surface, &record), 1);
            EXPECT_EQ(surfaceToSegment(&c, record, kept), expected);
        } else {
            EXPECT_EQ(surfaceToSegment(&c, surface), expected);
        }
        return c;
    }
    // Whether a and b were measured and filed alike, to the bit.
    static bool sameSegment(const CYL_LIST& a, const CYL_LIST& b) {
        auto sameRows = [](const double (&x)[3][3], const double (&y)[3][3]) {
            return std::equal(x[0], x[0] + 3, y[0]) && std::equal(x[1], x[1] + 3, y[1]) && std::equal(x[2], x[2] + 3, y[2]);
        };
        return std::equal(a.cUniv, a.cUniv + 3, b.cUniv) && sameRows(a.matrix, b.matrix) &&
               a.zSup == b.zSup && a.zInf == b.zInf && a.rSup == b.rSup && a.rInf == b.rInf && a.Ai == b.Ai &&
               a.Asw == b.Asw && a.secAng == b.secAng && a.viewNumber == b.viewNumber && a.viewIdn == b.viewIdn;
    }
    static void expectTopView(const CYL_LIST& c) {
        EXPECT_EQ(c.viewNumber, 1);
        EXPECT_EQ(c.viewIdn, 0);
        const double top[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        for (int i = 0; i < 9; ++i) EXPECT_NEAR(c.matrix[i / 3][i % 3], top[i / 3][i % 3], 1e-12);
    }
};

// ---- the shipped plate -----------------------------------------------------------------------------------

TEST_F(RecogSegmentsTest, ThePlateBuiltAndImportedGivesEachHoleItsSegmentsAndNothingElse) {
    const double full = 2 * kPi, tipLength = 1 / std::tan(59 * kDeg);   // per unit of radius, 118 degrees
    const std::vector<std::pair<const char*, std::vector<SEG>>> holes = {
        {"through d8", {{4, 4, 12, 0, full}}},
        {"tipped d8.5", {{4.25, 4.25, 12, 4, full}, {4.25, 0, 4, 4 - 4.25 * tipLength, full}}},
        {"counterbore M6", {{5.5, 5.5, 12, 5.2, full}, {3.3, 3.3, 5.2, 0, full}}},
        {"countersink M6", {{6.5, 3.3, 12, 8.8, full}, {3.3, 3.3, 8.8, 0, full}}},
        {"necked d10", {{5, 5, 12, 8, full}, {7, 7, 8, 5, full}, {5, 5, 5, 0, full}}},
        {"two halves d12", {{6, 6, 12, 0, kPi}, {6, 6, 12, 0, kPi}}},
        {"rounded entry d5", {{3.5, 2.5, 12, 11, full}, {2.5, 2.5, 11, 3, full}, {2.5, 0, 3, 3 - 2.5 * tipLength, full}}},
        {"blind flat d10", {{5, 5, 12, 6, full}}},
    };
    const BuiltPart built = exampleParts()[0].builder.build();
    const host::StepImport file = host::importStep(std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step");
    ASSERT_TRUE(built.ok() && file.ok() && file.solids.size() == 1) << built.error << file.error;

    for (const host::SolidGeom* solid : {&built.solid, &file.solids[0].solid}) {
        // Segments by the hole on whose axis they lie; the block, the bottoms and shoulders give none. The
        // frames kept over the faces give each face what it gets alone.
        std::vector<std::vector<SEG>> byHole(built.holes.size());
        std::vector<std::vector<CYL_LIST>> segsByHole(built.holes.size());
        CAxisFramesKept kept;
        for (db_ptr f : toSurfaces(*solid)) {
            CYL_LIST c{};
            const int result = surfaceToSegment(&c, f);
            ASSERT_GE(result, 0);
            const CYL_LIST withKept = filled(f, result, &kept);
            if (result == 0) continue;
            EXPECT_TRUE(sameSegment(c, withKept));
            std::size_t h = 0;
            while (h < built.holes.size() &&
                   std::hypot(c.cUniv[0] - built.holes[h].entry[0], c.cUniv[1] - built.holes[h].entry[1]) > kTol)
                ++h;
            ASSERT_LT(h, built.holes.size()) << "a segment off every axis: " << summary(c);
            byHole[h].push_back(summary(c));
            segsByHole[h].push_back(c);
            expectTopView(c);
            EXPECT_NEAR(c.cUniv[2], c.zSup, kTol);
            EXPECT_NEAR(c.secAng, std::atan2(c.rSup - c.rInf, c.zSup - c.zInf), 1e-12);
            ASSERT_EQ(c.entCount, 1);
            EXPECT_EQ(c.ents[0].entry, f);
        }
        for (std::size_t h = 0; h < built.holes.size(); ++h) {
            const std::string& name = built.holes[h].name;
            const auto k = std::find_if(holes.begin(), holes.end(), [&](const auto& x) { return name == x.first; });
            if (k != holes.end()) {
                EXPECT_EQ(sorted(byHole[h]), sorted(k->second)) << name;
            }
            for (const CYL_LIST& c : segsByHole[h]) {
                if (c.rToric > 0) {
                    EXPECT_EQ(name, "rounded entry d5");
                    EXPECT_EQ((SEG{c.rToric, c.rCtoric, c.zToric, 0, 0}), (SEG{1, 3.5, 11, 0, 0}));
                }
            }
            if (name == "two halves d12" && segsByHole[h].size() == 2) {   // on opposite sides of the axis
                EXPECT_NEAR(std::abs(std::remainder(segsByHole[h][0].Ai - segsByHole[h][1].Ai, 2 * kPi)), kPi, 1e-6);
            }
            if (name == "coloured d6" && !segsByHole[h].empty()) {
                EXPECT_EQ(segsByHole[h][0].ents[0].colour, 12);
            }
        }
    }
}

// ---- views ------------------------------------------------------------------------------------------------

TEST_F(RecogSegmentsTest, AnAxisAlongMinusZIsFiledInTheTopViewWithHeightsAngleAndSweepAlongPlusZ) {
    // Half a cone, radius 2 at z 10 to radius 1 at z 4 about (5, 5), turned from 45 degrees off +X about -Z
    // (its middle at -135 degrees seen from +Z) and about +Z (its middle at 135 degrees).
    for (const double dz : {-1.0, 1.0}) {
        ent line{};
        line.type = kEntLine;
        line.ln.ln = dz < 0 ? l_3d{{7, 5, 10}, {6, 5, 4}} : l_3d{{6, 5, 4}, {7, 5, 10}};
        surf_of_rev rev{&line, {5, 5, 0}, {0, 0, dz}, kPi / 4, kPi};
        ent s{};
        ASSERT_EQ(create_nurbsurf_from_surf(&rev, &s), 1);
        ASSERT_NE(put_surf_in_db(&s, 10, main_level), 0u);
        const CYL_LIST c = filled(s.eptr);
        expectTopView(c);
        EXPECT_EQ(summary(c), (SEG{2, 1, 10, 4, kPi}));
        EXPECT_NEAR(c.cUniv[0], 5, kTol);
        EXPECT_NEAR(c.cUniv[1], 5, kTol);
        EXPECT_NEAR(c.cUniv[2], 10, kTol);
        EXPECT_NEAR(c.secAng, std::atan2(1.0, 6.0), 1e-9);
        // The middle of the arc, read in the view the segment is filed in, lies on the face.
        const double mid = c.Ai + c.Asw / 2;
        EXPECT_NEAR(std::cos(mid), -std::sqrt(0.5), 1e-6) << dz;
        EXPECT_NEAR(std::sin(mid), dz * std::sqrt(0.5), 1e-6) << dz;
    }
}

TEST_F(RecogSegmentsTest, AnInclinedAxisGetsAViewOfItsOwnUntilANamedViewMatchesIt) {
    // Radius 3, 30 long from (30, 20, 30) along an axis 20 degrees off -Z.
    const double s = std::sin(20 * kDeg), c = std::cos(20 * kDeg);
    const double entry[3] = {30, 20, 30}, down[3] = {s, 0, -c};
    const db_ptr wall = createCylSurface(entry, down, 3, 0, 3, 30, 0, 0);
    CAxisFramesKept kept;   // over both: the new named view is seen
    const CYL_LIST own = filled(wall, 1, &kept);
    EXPECT_GE(own.viewNumber, 9);
    EXPECT_EQ(own.viewIdn, 0);
    EXPECT_NEAR(std::abs(own.matrix[2][0] * s - own.matrix[2][2] * c), 1, 1e-9);
    EXPECT_NEAR(own.zSup - own.zInf, 30, kTol);

    // A named view looking down the hole (its Z out of the entry face) takes it, the top at the entry.
    view_ent named;
    const double up[3] = {-s, 0, c};
    make_view_k(up, named.matrix);
    char ok = 0;
    ASSERT_EQ(named_view_manager(&named, 1, "", &ok), 1);
    const CYL_LIST n = filled(wall, 1, &kept);
    EXPECT_EQ(n.viewNumber, named.number);
    EXPECT_EQ(n.viewIdn, static_cast<std::int16_t>(named.id & 0xFFFF));
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(n.matrix[2][i], up[i], 1e-12);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(n.cUniv[i], entry[i], kTol);
    EXPECT_NEAR(n.zSup - n.zInf, 30, kTol);
    EXPECT_NEAR(n.zSup, entry[0] * up[0] + entry[2] * up[2], kTol);
}

// ---- faces that are no hole surface, or cannot take another entity ------------------------------------

// A face converted to NURBS and rewritten in its BRep text: every pole's x stretched about 0, or u and v
// exchanged (poles, knots and the trimming curves). Whitespace in the text is free.
host::FaceGeom rewritten(const host::FaceGeom& face, double stretch, bool exchange) {
    std::string text = host::faceToBrepText(face.toNurbs());
    auto section = [&](const char* header, const char* next, auto fn) {
        const std::size_t h = text.find(header), body = text.find('\n', h) + 1, end = text.find(next, body);
        std::istringstream in(text.substr(body, end - body));
        std::ostringstream out;
        out << std::setprecision(17);
        for (int n = std::stoi(text.substr(h + std::string(header).size())); n > 0; --n) fn(in, out);
        text = text.substr(0, body) + out.str() + "\n" + text.substr(end);
    };
    auto copy = [](std::istream& in, std::ostream& out, int n) {
        for (std::string t; n-- > 0 && in >> t;) out << t << ' ';
    };
    if (exchange) section("Curve2ds ", "Curves ", [&](std::istream& in, std::ostream& out) {
        int type, rational = 0, periodic, degree, poles = 1, knots = 0;
        in >> type;
        if (type == 7) in >> rational >> periodic >> degree >> poles >> knots;
        if (type == 7) out << "7 " << rational << ' ' << periodic << ' ' << degree << ' ' << poles << ' ' << knots << ' ';
        else out << "1 ";
        for (int i = 0; i < (type == 7 ? poles : 2); ++i) {   // a line: its point and its direction
            double x, y;
            in >> x >> y;
            out << y << ' ' << x << ' ';
            copy(in, out, rational);
        }
        copy(in, out, 2 * knots);
        out << '\n';
    });
    section("Surfaces ", "Triangulations ", [&](std::istream& in, std::ostream& out) {
        int h[11];
        for (int& x : h) in >> x;   // 9, rational, periodic, degree u and v; pole and knot counts
        const int nu = h[7], nv = h[8], w = (h[1] || h[2]) ? 4 : 3;
        std::vector<double> p(static_cast<std::size_t>(nu * nv * w));
        for (std::size_t i = 0; i < p.size(); ++i) {
            in >> p[i];
            if (i % static_cast<std::size_t>(w) == 0) p[i] *= stretch;
        }
        std::vector<std::string> uk(static_cast<std::size_t>(2 * h[9])), vk(static_cast<std::size_t>(2 * h[10]));
        for (auto& k : uk) in >> k;
        for (auto& k : vk) in >> k;
        if (exchange) std::swap(h[1], h[2]), std::swap(h[3], h[4]), std::swap(h[5], h[6]), std::swap(h[7], h[8]),
            std::swap(h[9], h[10]), std::swap(uk, vk);
        for (int x : h) out << x << ' ';
        for (int i = 0; i < h[7]; ++i)
            for (int j = 0; j < h[8]; ++j)
                for (int k = 0; k < w; ++k) out << p[static_cast<std::size_t>(((exchange ? j * nv + i : i * nv + j)) * w + k)] << ' ';
        for (const auto& k : uk) out << k << ' ';
        for (const auto& k : vk) out << k << ' ';
        out << '\n';
    });
    return host::faceFromBrepText(text).value_or(host::FaceGeom{});
}

TEST_F(RecogSegmentsTest, AWallOutOfRoundBySIsNoSegmentAndExchangedParametersChangeNothing) {
    // Three quarters of a cone, radius 3 at z 0 to 2 at z 5, from 30 degrees.
    const host::FaceGeom cone = host::FaceGeom::revolvedSegment({3, 0, 0}, {2, 0, 5}, {0, 0, 0}, {0, 0, 1}, 30 * kDeg, 270 * kDeg);
    for (const bool exchange : {false, true}) {
        const host::FaceGeom face = rewritten(cone, 1.0, exchange);
        ASSERT_FALSE(face.empty());
        ent e{};
        host::fillSurfaceRecord(e, face, kSurfNurbs);
        int axial = -1;
        EXPECT_EQ(classifySurface(&e, &axial, nullptr, g_tolerances.tol02T), kSurfStraight);
        EXPECT_EQ(axial, exchange ? 0 : 1);
        const CYL_LIST c = filled(storeFace(face));
        EXPECT_EQ(summary(c), (SEG{2, 3, 5, 0, 270 * kDeg})) << exchange;
        EXPECT_NEAR(c.Ai, 30 * kDeg, 1e-6);
        EXPECT_NEAR(c.Asw, 270 * kDeg, 1e-6);
    }
    filled(storeFace(rewritten(cone, 1.02, false)), 0);   // 0.06 mm out of round
}

// A boss's wall and the rounding at its foot have their material inside them; a hole's wall and its rounded
// entry have it outside. Only the hole's faces are segments. The boss's wall as a free surface bounds no
// material and is taken as a wall, as free surfaces always were.
TEST_F(RecogSegmentsTest, AFaceOfASolidWithItsMaterialInsideIsNoSegment) {
    HoleSpec hole = throughHole("hole", {15, 20, 20}, {0, 0, -1}, 8);
    hole.entryFillet = 1;
    const BuiltPart part =
        PartBuilder::block({70, 40, 20}).boss({{45, 20, 20}, {0, 0, 1}, 12, 10, 2}).hole(hole).build();
    ASSERT_TRUE(part.ok()) << part.error;
    int bossFaces = 0, holeFaces = 0;
    db_ptr bossWall = 0;
    for (const db_ptr surface : toSurfaces(part.solid)) {
        ent e{};
        ASSERT_EQ(get_ent_from_eptr(surface, &e), 1);
        if (e.surf.typeCode == kSurfTrimmed) continue;
        const bool boss = (e.surf.boxMin.x + e.surf.boxMax.x) / 2 > 30;
        SCOPED_TRACE(std::string(boss ? "boss " : "hole ") + std::to_string(e.surf.typeCode));
        filled(surface, boss ? 0 : 1);
        ++(boss ? bossFaces : holeFaces);
        if (boss && e.surf.typeCode == kSurfCylinder) bossWall = surface;
    }
    EXPECT_EQ(bossFaces, 2);   // the wall and the rounded foot
    EXPECT_EQ(holeFaces, 2);   // the wall and the rounded entry
    ent wall{};
    ASSERT_EQ(get_ent_from_eptr(bossWall, &wall), 1);
    const CYL_LIST free = filled(storeFace(*wall.surf.geom));
    EXPECT_EQ(summary(free), (SEG{6, 6, 30, 22, 2 * kPi}));   // above the rounded foot
}

TEST_F(RecogSegmentsTest, TwistedPatchesTinyConesAndMissingEntitiesAreNoSegments) {
    const p_3d corners[4] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 10, 4}};   // straight lines both ways
    ent patch{};
    ASSERT_EQ(create_nurbsurf_from_4_points(corners, &patch), 1);
    ASSERT_NE(put_surf_in_db(&patch, 10, main_level), 0u);
    filled(patch.eptr, 0);
    const double origin[3] = {0, 0, 0}, up[3] = {0, 0, 1};
    filled(createCylSurface(origin, up, 0.009, 0, 0.004, 1, 0, 0), 0);   // both ends below 0.4T
    filled(0, 0);
}

TEST_F(RecogSegmentsTest, ASegmentHoldingSixteenEntitiesGetsItsGeometryButNoSeventeenthEntry) {
    const double axisPt[3] = {1, 2, 0}, up[3] = {0, 0, 1};
    const db_ptr wall = createCylSurface(axisPt, up, 3, 0, 3, 4, 0, 0);
    CYL_LIST c{};
    c.entCount = kMaxCylEnts;
    c.ents[kMaxCylEnts - 1].id = 99;
    ASSERT_EQ(surfaceToSegment(&c, wall), 1);
    EXPECT_EQ(c.entCount, kMaxCylEnts);
    EXPECT_EQ(c.ents[kMaxCylEnts - 1].id, 99);
    EXPECT_EQ(summary(c), (SEG{3, 3, 4, 0, 2 * kPi}));
}

}  // namespace
