// Projections onto planar faces decided by the host's own classification must be the kernel's: every
// planar face of the example parts (one with mixed edge tolerances among them) and of a built plate is
// probed along lines through a grid over its box and through points inside, on and outside its trims,
// at distances from a tenth of the kernel's tolerance to millimetres.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/geom/step_io.h"
#include "host/state.h"

namespace {

using namespace host;
using namespace host::builder;

struct PROBE_COUNT {
    int lines = 0, hits = 0;
    int gridLines = 0, gridAskedKernel = 0;   // the lines through the grid, and those left to the kernel

    void add(const PROBE_COUNT& c) {
        lines += c.lines;
        hits += c.hits;
        gridLines += c.gridLines;
        gridAskedKernel += c.gridAskedKernel;
    }
    // Most lines through the grid lie far from every trim and are decided without the kernel.
    void expectMostDecidedWithoutTheKernel() const { EXPECT_LT(gridAskedKernel, gridLines / 4); }
};

Vec3 add(const Vec3& a, const Vec3& b, double s = 1) { return {a[0] + s * b[0], a[1] + s * b[1], a[2] + s * b[2]}; }

// Compares one line's hits: the same number, at the same points and parameters, to the bit.
void expectSameHits(const FaceGeom& face, const Vec3& origin, const Vec3& direction, const std::string& where,
                    PROBE_COUNT& count) {
    const std::vector<FaceHit> ours = face.intersectLine(origin, direction);
    const std::vector<FaceHit> kernel = face.intersectLineByKernel(origin, direction);
    ++count.lines;
    count.hits += !kernel.empty();
    ASSERT_EQ(ours.size(), kernel.size()) << where << " origin " << origin[0] << " " << origin[1] << " " << origin[2];
    for (std::size_t i = 0; i < ours.size(); ++i) {
        for (int k = 0; k < 3; ++k) EXPECT_EQ(ours[i].point[k], kernel[i].point[k]) << where;
        EXPECT_EQ(ours[i].uv.u, kernel[i].uv.u) << where;
        EXPECT_EQ(ours[i].uv.v, kernel[i].uv.v) << where;
        EXPECT_EQ(ours[i].lineParam, kernel[i].lineParam) << where;
    }
}

// Lines along the normal (and one tilted) through a grid over the face's box and through points across
// every trim edge.
PROBE_COUNT probeFace(const FaceGeom& face, const std::string& name) {
    PROBE_COUNT count;
    Vec3 n{}, p{};
    if (!face.isPlanar(&n, &p)) return count;
    const Vec3 down{-n[0], -n[1], -n[2]};
    const Vec3 tilted = add(down, {0.3, -0.2, 0.1});
    const Box3 box = face.boundingBox();
    constexpr int kGrid = 8;
    for (int i = 0; i <= kGrid; ++i)
        for (int j = 0; j <= kGrid; ++j) {
            Vec3 at;
            for (int a = 0; a < 3; ++a) {
                const double f = (a == 0 ? i : a == 1 ? j : kGrid / 2) / static_cast<double>(kGrid);
                at[a] = box.min[a] - 1 + (box.max[a] - box.min[a] + 2) * f;
            }
            expectSameHits(face, add(at, n, 3), down, name + " grid", count);
            ++count.gridLines;
            count.gridAskedKernel += face.lastLineAskedKernel();
        }
    // Up to six loops spread over the face, four places on each: the kernel is slow on faces of many loops.
    const std::vector<TrimLoop> loops = face.trimLoops();
    const std::size_t loopStride = std::max<std::size_t>(1, loops.size() / 6);
    for (std::size_t l = 0; l < loops.size(); l += loopStride) {
        const TrimLoop& loop = loops[l];
        const std::size_t stride = std::max<std::size_t>(1, loop.points.size() / 4);
        for (std::size_t i = 0; i + 1 < loop.points.size(); i += stride) {
            const UV a = loop.points[i], b = loop.points[i + 1];
            const Vec3 pa = face.eval(a.u, a.v), pb = face.eval(b.u, b.v);
            const Vec3 along = add(pb, pa, -1);
            const double len = std::hypot(along[0], along[1], along[2]);
            if (len < 1e-9) continue;
            // Across the edge in the plane: the normal crossed with the edge's direction.
            Vec3 across{n[1] * along[2] - n[2] * along[1], n[2] * along[0] - n[0] * along[2],
                        n[0] * along[1] - n[1] * along[0]};
            for (double& c : across) c /= len;
            const Vec3 mid = face.eval(0.5 * (a.u + b.u), 0.5 * (a.v + b.v));
            for (const Vec3& on : {pa, mid})
                // 1e-8: where the kernel's classifier stops taking a point as on a trim.
                for (double d : {0.0, 1e-8, 5e-7, 1.1e-6, 1e-4, 3e-4, 0.2}) {
                    for (double s : {1.0, -1.0}) {
                        const Vec3 at = add(on, across, s * d);
                        expectSameHits(face, add(at, n, 2), down, name + " edge", count);
                        expectSameHits(face, add(at, tilted, -2), tilted, name + " tilted", count);
                    }
                }
        }
    }
    return count;
}

// One example part, or one share of its faces, per test, so that the slow kernel checks run side by side.
struct EXAMPLE_SHARE {
    const char* title;
    int share, shares;
};

class ExampleFaceProjection : public testing::TestWithParam<EXAMPLE_SHARE> {};

TEST_P(ExampleFaceProjection, PlanarFacesAgreeWithTheKernel) {
    const EXAMPLE_SHARE& e = GetParam();
    PROBE_COUNT total;
    const StepImport file = importStep(std::string(FX_SOURCE_DIR) + "/data/examples/" + e.title + ".step");
    ASSERT_TRUE(file.ok()) << file.error;
    int index = 0;
    for (const StepSolid& solid : file.solids)
        for (const FaceGeom& face : solid.solid.faces()) {
            if (index++ % e.shares != e.share) continue;
            total.add(probeFace(face, e.title));
            if (HasFatalFailure()) return;
        }
    // The probes must have met the faces as well as missed them.
    EXPECT_GT(total.hits, total.lines / 10);
    EXPECT_LT(total.hits, total.lines - total.lines / 10);
    total.expectMostDecidedWithoutTheKernel();
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleFaceProjection,
                         testing::Values(EXAMPLE_SHARE{"holes_plate", 0, 1}, EXAMPLE_SHARE{"boss_part", 0, 1},
                                         EXAMPLE_SHARE{"directions_block", 0, 1},
                                         EXAMPLE_SHARE{"mixed_tolerance_plate", 0, 4},
                                         EXAMPLE_SHARE{"mixed_tolerance_plate", 1, 4},
                                         EXAMPLE_SHARE{"mixed_tolerance_plate", 2, 4},
                                         EXAMPLE_SHARE{"mixed_tolerance_plate", 3, 4}),
                         // Named by part and share: the default name prints the title's address.
                         [](const testing::TestParamInfo<EXAMPLE_SHARE>& info) {
                             return std::string(info.param.title) + "_" + std::to_string(info.param.share);
                         });

// A plate of many holes of several kinds, one inclined, as built and as an assembly places it: turned
// about a slanted axis and moved, its faces keeping their geometry under a location.
TEST(FaceProjection, AFaceWithManyHolesAgreesWithTheKernel) {
    PartBuilder b = PartBuilder::block({60, 60, 10});
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) {
            const Vec3 at{6 + 12.0 * i, 6 + 12.0 * j, 10};
            if ((i + j) % 3 == 0) b.hole(counterbored("c", at, {0, 0, -1}, 5, 9, 3));
            else if ((i + j) % 3 == 1) b.hole(throughHole("t", at, {0, 0, -1}, 4 + 0.5 * i));
            else b.hole(countersunk("s", at, {0, 0, -1}, 4, 8));
        }
    b.hole(throughHole("inclined", {30, 30, 10}, {0.3, 0.2, -1}, 3));
    const BuiltPart built = b.build();
    ASSERT_TRUE(built.ok()) << built.error;
    const struct {
        const char* name;
        BuiltPart part;
    } rows[] = {{"as built", built}, {"placed", placedPart(built, {10, 20, 0}, {0.3, -0.5, 0.8}, 0.7, {150, -40, 25})}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(row.part.ok()) << row.part.error;
        PROBE_COUNT total;
        for (const FaceGeom& face : row.part.solid.faces()) {
            total.add(probeFace(face, "plate"));
            if (HasFatalFailure()) return;
        }
        EXPECT_GT(total.hits, 1000);
        total.expectMostDecidedWithoutTheKernel();
    }
}

// A line through a corner of a face whose tolerances are all the kernel's least meets the face there, as
// the kernel says, without asking it.
TEST(FaceProjection, ACornerOfATightFaceIsOnItWithoutTheKernel) {
    const BuiltPart part = PartBuilder::block({20, 20, 5}).hole(throughHole("t", {10, 10, 5}, {0, 0, -1}, 6)).build();
    ASSERT_TRUE(part.ok()) << part.error;
    int corners = 0;
    for (const FaceGeom& face : part.solid.faces()) {
        Vec3 n{};
        if (!face.isPlanar(&n) || face.trimTolerance() > 1e-6) continue;
        for (const TrimLoop& loop : face.trimLoops()) {
            if (!loop.outer || loop.points.size() != 5) continue;
            for (std::size_t i = 0; i < 4; ++i, ++corners) {
                const Vec3 at = face.eval(loop.points[i].u, loop.points[i].v);
                PROBE_COUNT count;
                expectSameHits(face, add(at, n, 2), {-n[0], -n[1], -n[2]}, "corner", count);
                EXPECT_EQ(count.hits, 1);
                EXPECT_FALSE(face.lastLineAskedKernel());
            }
        }
    }
    EXPECT_GE(corners, 16);
}

}  // namespace

namespace {

// The projection's state lives with the geometry, never with the handle: rewriting a surface with other
// geometry, or opening another part, never projects onto the face that was there before.
TEST(FaceProjection, ARewrittenSurfaceIsProjectedOntoItsNewFace) {
    host::newPart();
    const BuiltPart holed = PartBuilder::block({20, 20, 5}).hole(throughHole("t", {10, 10, 5}, {0, 0, -1}, 6)).build();
    const BuiltPart plain = PartBuilder::block({20, 20, 5}).build();
    ASSERT_TRUE(holed.ok() && plain.ok());
    auto topOf = [](const BuiltPart& part) {
        for (const FaceGeom& f : part.solid.faces()) {
            Vec3 n{};
            if (f.isPlanar(&n) && n[2] > 0.9) return f;
        }
        return FaceGeom{};
    };
    ent e{};
    fillSurfaceRecord(e, topOf(holed), kSurfNurbs);
    db_ptr entry = 0;
    char ok = 0;
    store_ent(&e, &entry, 0, 10, 1, main_attrib, &ok);
    ASSERT_EQ(ok, 1);

    const double down[3] = {0, 0, -1}, inHole[3] = {10, 10, 9};
    double out[3];
    ent stored{};
    ASSERT_EQ(get_ent_from_eptr(entry, &stored), 1);
    EXPECT_EQ(project_pt_along_dir(&stored, down, inHole, 0, 0, out, nullptr, nullptr), 0);

    fillSurfaceRecord(stored, topOf(plain), kSurfNurbs);
    stored.eptr = entry;
    ASSERT_EQ(rewrite_ent(&stored, 0), 1);
    ent rewritten{};
    ASSERT_EQ(get_ent_from_eptr(entry, &rewritten), 1);
    ASSERT_EQ(project_pt_along_dir(&rewritten, down, inHole, 0, 0, out, nullptr, nullptr), 1);
    EXPECT_NEAR(out[2], 5, 1e-9);
    EXPECT_GT(surf_trim_tolerance(&rewritten), 0);
}

// Planarity is worked out once per geometry: a surface rewritten with other geometry answers for the new one.
TEST(FaceProjection, ARewrittenSurfaceAnswersItsOwnPlanarity) {
    host::newPart();
    const BuiltPart holed = PartBuilder::block({20, 20, 5}).hole(throughHole("t", {10, 10, 5}, {0, 0, -1}, 6)).build();
    ASSERT_TRUE(holed.ok());
    FaceGeom top, side, wall;
    for (const FaceGeom& f : holed.solid.faces()) {
        Vec3 n{};
        if (!f.isPlanar(&n)) wall = f;
        else if (n[2] > 0.9) top = f;
        else if (n[0] > 0.9) side = f;
    }
    ASSERT_FALSE(top.empty() || side.empty() || wall.empty());
    db_ptr entry = 0;
    // The stored surface given `face`, then its normal as is_surf_planar reads it back (zero when not planar).
    auto normalAfterStoring = [&](const FaceGeom& face) {
        ent e{};
        char ok = 0;
        if (entry == 0) {
            fillSurfaceRecord(e, face, kSurfNurbs);
            store_ent(&e, &entry, 0, 10, 1, main_attrib, &ok);
        } else {
            EXPECT_EQ(get_ent_from_eptr(entry, &e), 1);
            fillSurfaceRecord(e, face, kSurfNurbs);
            e.eptr = entry;
            ok = static_cast<char>(rewrite_ent(&e, 0));
        }
        EXPECT_EQ(ok, 1);
        ent stored{};
        EXPECT_EQ(get_ent_from_eptr(entry, &stored), 1);
        p_3d normal{};
        return is_surf_planar(&stored, &normal, nullptr) ? normal : p_3d{};
    };
    EXPECT_NEAR(normalAfterStoring(top).z, 1, 1e-12);
    const p_3d none = normalAfterStoring(wall);
    EXPECT_EQ(std::hypot(none.x, none.y, none.z), 0);
    EXPECT_NEAR(normalAfterStoring(side).x, 1, 1e-12);
}

}  // namespace

namespace {

// Curved faces: the hits of the surface's exact intersections, classified by the host or left to the
// kernel, must be the kernel's to the bit. A part with rounded edges (cylinders and sphere corners), a
// rounded hole entry (a torus), a countersink and a drill tip (cones) and a hole cutting a rounding.
const BuiltPart& curvedPart() {
    static const BuiltPart part = [] {
        PartBuilder b = PartBuilder::block({40, 40, 20});
        b.roundStockEdges(3);
        HoleSpec rounded = blindTipped("rounded", {20, 20, 20}, {0, 0, -1}, 6, 8);
        rounded.entryFillet = 1.5;
        b.hole(rounded);
        b.hole(countersunk("sunk", {10, 30, 20}, {0, 0, -1}, 4, 8, 90, 10));
        b.hole(throughHole("edge", {3.5, 10, 20}, {0, 0, -1}, 4));
        return b.build();
    }();
    return part;
}

// The curved part as built and as an assembly places it, turned about a slanted axis and moved.
struct PLACED_PART {
    const char* name;
    BuiltPart part;
};
const std::vector<PLACED_PART>& curvedParts() {
    static const std::vector<PLACED_PART> parts = {
        {"as built", curvedPart()},
        {"placed", placedPart(curvedPart(), {10, 20, 0}, {0.3, -0.5, 0.8}, 0.7, {150, -40, 25})}};
    return parts;
}

struct LINE {
    Vec3 origin, direction;
};

// The lines each row draws through a point of the face at (u, v), with its unit normal n and its first
// derivative along u.
struct LINE_FAMILY {
    const char* name;
    LINE (*line)(const Vec3& p, const Vec3& n, const Vec3& du, const FaceGeom& face);
};

Vec3 unit(const Vec3& v) {
    const double l = std::hypot(v[0], v[1], v[2]);
    return {v[0] / l, v[1] / l, v[2] / l};
}

const LINE_FAMILY kLineFamilies[] = {
    {"along the normal", [](const Vec3& p, const Vec3& n, const Vec3&, const FaceGeom&) {
         return LINE{add(p, n, 2), {-n[0], -n[1], -n[2]}};
     }},
    {"slanted", [](const Vec3& p, const Vec3& n, const Vec3&, const FaceGeom&) {
         const Vec3 d = unit(add(n, {0.31, -0.27, 0.4}));
         return LINE{add(p, d, 3), {-d[0], -d[1], -d[2]}};
     }},
    {"tangent", [](const Vec3& p, const Vec3&, const Vec3& du, const FaceGeom&) {
         return LINE{add(p, unit(du), -5), unit(du)};
     }},
    {"along a main axis", [](const Vec3& p, const Vec3&, const Vec3&, const FaceGeom&) {
         return LINE{add(p, {0, 0, 1}, 30), {0, 0, -1}};
     }},
    {"missing the box", [](const Vec3& p, const Vec3&, const Vec3&, const FaceGeom& face) {
         const Box3 b = face.boundingBox();
         return LINE{{p[0], p[1], b.max[2] + 1}, {1, 0, 0}};
     }},
};

void expectKernelsHits(const FaceGeom& face, const LINE& line, const std::string& where, int& lines, int& asked,
                       int& hits) {
    const std::vector<FaceHit> ours = face.intersectLine(line.origin, line.direction);
    ++lines;
    asked += face.lastLineAskedKernel();
    const std::vector<FaceHit> kernel = face.intersectLineByKernel(line.origin, line.direction);
    hits += !kernel.empty();
    // Asked again, the line is answered from what the face kept of the kernel's answer, the same.
    for (const std::vector<FaceHit>& answer : {ours, face.intersectLine(line.origin, line.direction)}) {
        ASSERT_EQ(answer.size(), kernel.size()) << where;
        for (std::size_t i = 0; i < answer.size(); ++i) {
            EXPECT_EQ(answer[i].lineParam, kernel[i].lineParam) << where;
            EXPECT_EQ(answer[i].uv.u, kernel[i].uv.u) << where;
            EXPECT_EQ(answer[i].uv.v, kernel[i].uv.v) << where;
            for (int k = 0; k < 3; ++k) EXPECT_EQ(answer[i].point[k], kernel[i].point[k]) << where;
        }
    }
}

TEST(CurvedFaceIntersection, HitsAreTheKernelsToTheBit) {
    for (const auto& [name, part] : curvedParts()) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(part.ok()) << part.error;
        int lines = 0, asked = 0, hits = 0, kinds[10] = {};
        // Planes too: their lines are rejected by the face's box as curved faces' are.
        for (const FaceGeom& face : part.solid.faces()) {
            ++kinds[static_cast<int>(face.kind())];
            const UvBox r = face.uvRange();
            constexpr int kGrid = 6;
            for (int i = -1; i <= kGrid + 1; ++i)
                for (int j = -1; j <= kGrid + 1; ++j) {
                    const double u = r.uMin + (r.uMax - r.uMin) * i / kGrid, v = r.vMin + (r.vMax - r.vMin) * j / kGrid;
                    Vec3 p, du, dv, n;
                    if (!face.evalDerivatives(u, v, p, du, dv) || !face.normalAt(u, v, n)) continue;
                    for (const LINE_FAMILY& family : kLineFamilies) {
                        expectKernelsHits(face, family.line(p, n, du, face),
                                          std::string(surfaceKindName(face.kind())) + " " + family.name, lines, asked,
                                          hits);
                        if (HasFatalFailure()) return;
                    }
                }
        }
        for (SurfaceKind kind :
             {SurfaceKind::Plane, SurfaceKind::Cylinder, SurfaceKind::Cone, SurfaceKind::Sphere, SurfaceKind::Torus})
            EXPECT_GT(kinds[static_cast<int>(kind)], 0) << surfaceKindName(kind);
        EXPECT_GT(hits, lines / 5);
        EXPECT_LT(asked, lines / 4);
    }
}

// Lines through the hole of the rounded entry's torus, on and off its axis, and through its trims: the
// kernel's answers, including the lines that pass the torus twice.
TEST(CurvedFaceIntersection, LinesThroughATorussHole) {
    const BuiltPart& part = curvedPart();
    ASSERT_TRUE(part.ok()) << part.error;
    int lines = 0, asked = 0, hits = 0, tori = 0;
    for (const FaceGeom& face : part.solid.faces()) {
        if (face.kind() != SurfaceKind::Torus) continue;
        ++tori;
        for (double off : {0.0, 2.0, 2.9, 3.0, 3.5, 4.2, 4.5})
            for (const Vec3& d : {Vec3{0, 0, -1}, unit({0.2, 0, -1}), unit({1, 0, -0.05}), Vec3{1, 0, 0}}) {
                const Vec3 origin{20 + off - 10 * d[0], 20 - 10 * d[1], 19.5 - 10 * d[2]};
                expectKernelsHits(face, {origin, d}, "torus off " + std::to_string(off), lines, asked, hits);
                if (HasFatalFailure()) return;
            }
    }
    EXPECT_GT(tori, 0);
    EXPECT_GT(hits, 0);
}

// Hits on a trim, and a tolerance or a few off it, are left to the kernel; those clearly inside or outside
// are not.
TEST(CurvedFaceIntersection, HitsNearATrimAreTheKernels) {
    for (const auto& [name, part] : curvedParts()) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(part.ok()) << part.error;
        int lines = 0, asked = 0, hits = 0, askedNear = 0, near = 0;
        for (const FaceGeom& face : part.solid.faces()) {
            if (face.kind() == SurfaceKind::Plane) continue;
            for (const TrimLoop& loop : face.trimLoops()) {
                const std::size_t stride = std::max<std::size_t>(1, loop.points.size() / 6);
                for (std::size_t i = 0; i + 1 < loop.points.size(); i += stride) {
                    const UV a = loop.points[i];
                    for (double d : {0.0, 5e-9, 1e-8, 5e-7, 2e-6, 1e-3}) {
                        const UV at{a.u + d, a.v + d};
                        Vec3 p, n;
                        if (!face.normalAt(at.u, at.v, n)) continue;
                        p = face.eval(at.u, at.v);
                        const int before = asked;
                        expectKernelsHits(face, {add(p, n, 1), {-n[0], -n[1], -n[2]}}, surfaceKindName(face.kind()),
                                          lines, asked, hits);
                        if (HasFatalFailure()) return;
                        if (d < 1e-6) {
                            ++near;
                            askedNear += asked - before;
                        }
                    }
                }
            }
        }
        EXPECT_GT(near, 50);
        EXPECT_GT(askedNear, near / 3);
        EXPECT_GT(hits, lines / 3);
    }
}

// A B-spline face is left to the kernel, but only for the lines that meet the box of one of its patches:
// most lines that miss it are answered without the kernel, and every answer is the kernel's. The curved
// faces of the part, as B-splines.
TEST(CurvedFaceIntersection, BSplineFacesAskTheKernelOnlyNearTheirPatches) {
    const BuiltPart& part = curvedPart();
    ASSERT_TRUE(part.ok()) << part.error;
    int lines = 0, asked = 0, hits = 0, splines = 0, misses = 0, askedMisses = 0;
    for (const FaceGeom& curved : part.solid.faces()) {
        if (curved.kind() == SurfaceKind::Plane) continue;
        const FaceGeom face = curved.toNurbs();
        ASSERT_EQ(face.kind(), SurfaceKind::BSpline) << surfaceKindName(curved.kind());
        ++splines;
        const UvBox r = face.uvRange();
        constexpr int kGrid = 3;
        for (int i = 0; i <= kGrid; ++i)
            for (int j = 0; j <= kGrid; ++j) {
                const double u = r.uMin + (r.uMax - r.uMin) * i / kGrid, v = r.vMin + (r.vMax - r.vMin) * j / kGrid;
                Vec3 p, du, dv, n;
                if (!face.evalDerivatives(u, v, p, du, dv) || !face.normalAt(u, v, n)) continue;
                // Along the normal and slanted through the face; beside it, a millimetre off along the
                // normal either way, along the face's direction in u.
                std::vector<LINE> tried = {kLineFamilies[0].line(p, n, du, face), kLineFamilies[1].line(p, n, du, face)};
                for (double side : {1.0, -1.0}) tried.push_back({add(add(p, n, side), unit(du), -5), unit(du)});
                for (const LINE& line : tried) {
                    const int before = asked;
                    expectKernelsHits(face, line, "B-spline of a " + std::string(surfaceKindName(curved.kind())), lines,
                                      asked, hits);
                    if (HasFatalFailure()) return;
                    if (face.intersectLineByKernel(line.origin, line.direction).empty()) {
                        ++misses;
                        askedMisses += asked - before;
                    }
                }
            }
    }
    EXPECT_GT(splines, 5);
    EXPECT_GT(hits, lines / 4);
    EXPECT_GT(misses, lines / 10);
    EXPECT_LT(askedMisses, misses / 2);
}

}  // namespace

