// Surface entities as the recognition reads them: a built solid converted to surfaces, evaluated at known
// (u, v), tested for planarity, and probed with projections that must respect the faces' trims; NURBS
// surfaces made from a revolved line and from four corners.
#include <gtest/gtest.h>

#include <BRepAdaptor_Curve.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepLib.hxx>
#include <BRep_Builder.hxx>
#include <BRepClass_FaceClassifier.hxx>
#include <BRepPrimAPI_MakeSphere.hxx>
#include <BRepTools.hxx>
#include <BRep_Tool.hxx>
#include <Geom2d_Circle.hxx>
#include <Geom2d_Curve.hxx>
#include <Geom2dConvert.hxx>
#include <Geom_SphericalSurface.hxx>
#include <Geom_ToroidalSurface.hxx>
#include <Geom_Surface.hxx>
#include <TopLoc_Location.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gp.hxx>
#include <gp_Ax2.hxx>
#include <gp_Ax3.hxx>

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <tuple>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/face_box.h"
#include "host/geom/occt_impl.h"
#include "host/geom/step_io.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "support/step_parts.h"

namespace {

using namespace host;
using namespace host::builder;

constexpr double kPi = std::numbers::pi;

double dist(const p_3d& a, const p_3d& b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }
double distToZAxis(const p_3d& p, double x, double y) { return std::hypot(p.x - x, p.y - y); }

class SurfaceEntities : public testing::Test {
protected:
    void SetUp() override { newPart(); }

    // Stores the part as a solid and converts it; returns the surfaces get_ent walks, in database order.
    std::vector<ent> convert(const BuiltPart& part, int solidColour = 3) {
        EXPECT_TRUE(part.ok()) << part.error;
        db_ptr solid = storeSolidEntity(part.solid, solidColour, main_level, "part");
        EXPECT_NE(solid, 0u);
        ent se{};
        EXPECT_EQ(get_ent_from_eptr(solid, &se), 1);
        sld_tag tag = 0;
        EXPECT_EQ(sld_get_tag_from_solid(&se, &tag), 1);
        converted = sld_convert_tags_to_mc_ents(&tag, 1, 0.0, 0, 1, 0);
        return walk(kEntSurface);
    }

    static std::vector<ent> walk(std::uint32_t mask, bool raw = false) {
        std::vector<ent> out;
        db_ptr p = db_start();
        char found = 0;
        for (;;) {
            ent e{};
            if (raw)
                get_raw_ent(p, 1, mask, &e, &p, &found);
            else
                get_ent(p, 1, mask, &e, &p, &found);
            if (!found) break;
            out.push_back(e);
        }
        return out;
    }

    static std::vector<ent> ofType(const std::vector<ent>& ents, std::int16_t code) {
        std::vector<ent> out;
        std::copy_if(ents.begin(), ents.end(), std::back_inserter(out),
                     [&](const ent& e) { return e.surf.typeCode == code; });
        return out;
    }

    int converted = 0;
};

TEST_F(SurfaceEntities, EverySolidFaceBecomesOneWalkedSurfacePlanarOnesTrimmed) {
    HoleSpec red = counterbored("bore", {20, 20, 20}, {0, 0, -1}, 6.6, 11, 6.8);
    red.colour = 12;
    BuiltPart part = PartBuilder::block({40, 40, 20}).hole(red).build();
    std::vector<ent> surfaces = convert(part);
    // Six block faces, the shoulder ring, two cylinders.
    ASSERT_EQ(part.solid.faces().size(), 9u);
    EXPECT_EQ(converted, 9);
    ASSERT_EQ(surfaces.size(), 9u);
    std::vector<ent> trimmed = ofType(surfaces, kSurfTrimmed);
    EXPECT_EQ(trimmed.size(), 7u);
    EXPECT_EQ(ofType(surfaces, kSurfCylinder).size(), 2u);
    // The base planes are in the database but hidden from the walk, each owned by its trimmed surface.
    std::vector<ent> raw = walk(kEntSurface, true);
    EXPECT_EQ(raw.size(), 16u);
    for (const ent& t : trimmed) {
        ent base{};
        ASSERT_EQ(get_ent_from_eptr(t.surf.base, &base), 1);
        EXPECT_EQ(base.surf.typeCode, kSurfPlane);
        EXPECT_EQ(base.owner, t.eptr);
        EXPECT_EQ(base.color, t.color);
    }
    // Face colours kept: the hole's faces red, the rest in the solid's colour.
    for (const ent& s : surfaces) {
        bool holeFace = s.surf.typeCode == kSurfCylinder || (s.surf.boxMax.z < 19 && s.surf.boxMin.z > 1);
        EXPECT_EQ(s.color, holeFace ? 12 : 3);
        EXPECT_EQ(s.level, main_level);
    }
}

TEST_F(SurfaceEntities, CylinderConeAndPlaneEvaluateAtKnownParameters) {
    BuiltPart part =
        PartBuilder::block({40, 40, 20}).hole(blindTipped("tip", {20, 20, 20}, {0, 0, -1}, 8, 10)).build();
    std::vector<ent> surfaces = convert(part);
    std::vector<ent> cyl = ofType(surfaces, kSurfCylinder), cone = ofType(surfaces, kSurfCone);
    ASSERT_EQ(cyl.size(), 1u);
    ASSERT_EQ(cone.size(), 1u);

    // Cylinder: u is the angle about the axis, v the length along it.
    const ent_surface& c = cyl[0].surf;
    EXPECT_NEAR(c.uMax - c.uMin, 2 * kPi, 1e-9);
    EXPECT_NEAR(std::abs(c.vMax - c.vMin), 10, 1e-9);
    p_3d a, b, d;
    ASSERT_EQ(eval_surf(&cyl[0], c.uMin, c.vMin, 0, &a), 1);
    ASSERT_EQ(eval_surf(&cyl[0], c.uMin + kPi / 2, c.vMin, 0, &b), 1);
    ASSERT_EQ(eval_surf(&cyl[0], c.uMin, c.vMax, 0, &d), 1);
    EXPECT_NEAR(distToZAxis(a, 20, 20), 4, 1e-9);
    EXPECT_NEAR(distToZAxis(b, 20, 20), 4, 1e-9);
    EXPECT_NEAR(dist(a, b), 4 * std::sqrt(2.0), 1e-9);   // a quarter turn apart
    EXPECT_NEAR(std::abs(d.z - a.z), 10, 1e-9);
    EXPECT_NEAR(std::min(a.z, d.z), 10, 1e-9);
    // Beyond the trims the surface goes on.
    p_3d outside;
    ASSERT_EQ(eval_surf(&cyl[0], c.uMin, c.vMax + 5, 0, &outside), 1);
    EXPECT_NEAR(distToZAxis(outside, 20, 20), 4, 1e-9);

    // Cone: one end of v is the apex on the axis, the other the rim at radius 4; 118 degrees.
    const ent_surface& k = cone[0].surf;
    p_3d e0, e1;
    eval_surf(&cone[0], k.uMin, k.vMin, 0, &e0);
    eval_surf(&cone[0], k.uMin, k.vMax, 0, &e1);
    p_3d apex = distToZAxis(e0, 20, 20) < distToZAxis(e1, 20, 20) ? e0 : e1;
    p_3d rim = distToZAxis(e0, 20, 20) < distToZAxis(e1, 20, 20) ? e1 : e0;
    EXPECT_NEAR(distToZAxis(apex, 20, 20), 0, 1e-9);
    EXPECT_NEAR(distToZAxis(rim, 20, 20), 4, 1e-9);
    EXPECT_NEAR(rim.z, 10, 1e-9);
    EXPECT_NEAR(rim.z - apex.z, 4 / std::tan(59 * kPi / 180), 1e-9);
    p_3d apexes[3];
    for (int i = 0; i < 3; ++i)
        eval_surf(&cone[0], k.uMin + i * (k.uMax - k.uMin) / 3, apex.z == e0.z ? k.vMin : k.vMax, 0, &apexes[i]);
    EXPECT_NEAR(dist(apexes[0], apexes[1]), 0, 1e-9);   // the apex end is one point for every u
    EXPECT_NEAR(dist(apexes[0], apexes[2]), 0, 1e-9);

    // Derivatives: along u the cylinder moves tangentially with length r.
    p_3d pd[3];
    ASSERT_EQ(eval_surf(&cyl[0], c.uMin + 0.3, c.vMin + 1, 1, pd), 1);
    EXPECT_NEAR(std::hypot(pd[1].x, pd[1].y, pd[1].z), 4, 1e-9);
    EXPECT_NEAR(std::abs(pd[2].z), 1, 1e-9);

    // A plane moves by exactly du and dv.
    std::vector<ent> planes = ofType(surfaces, kSurfTrimmed);
    ASSERT_FALSE(planes.empty());
    const ent_surface& pl = planes[0].surf;
    p_3d q0, q1, q2;
    eval_surf(&planes[0], pl.uMin, pl.vMin, 0, &q0);
    eval_surf(&planes[0], pl.uMin + 3, pl.vMin, 0, &q1);
    eval_surf(&planes[0], pl.uMin, pl.vMin + 4, 0, &q2);
    EXPECT_NEAR(dist(q0, q1), 3, 1e-9);
    EXPECT_NEAR(dist(q0, q2), 4, 1e-9);
    EXPECT_NEAR(dist(q1, q2), 5, 1e-9);
}

// Planes, cylinders and cones are evaluated by the host itself: on every face of the example parts and of files
// other systems wrote (faces placed by assembly transforms among them), inside and far beyond the trims,
// the points must be the kernel's to the bit.
TEST(FaceEvaluation, EveryFaceOfRealFilesEvaluatesAsTheKernelDoes) {
    const std::string source = FX_SOURCE_DIR, corpus = std::string(FX_BINARY_DIR) + "/step_corpus/";
    std::vector<std::pair<std::string, SolidGeom>> solids;
    for (const std::string& path :
         {source + "/data/examples/holes_plate.step", source + "/data/examples/directions_block.step",
          source + "/data/examples/mixed_tolerance_plate.step", source + "/tests/data/repros/three_sides.stp",
          source + "/tests/data/repros/holes_plate_ap242_pmi.step", source + "/tests/data/repros/back_spotface.stp",
          corpus + "assembly_placed_twice.stp", corpus + "inch_plate.stp"}) {
        const StepImport file = importStep(path);
        ASSERT_TRUE(file.ok()) << path << ": " << file.error;
        for (const StepSolid& solid : file.solids) solids.emplace_back(path, solid.solid);
    }
    // Axes along no coordinate axis, where the order of the terms shows in the last bits.
    const BuiltPart tilted = PartBuilder::block({60, 60, 30})
                                 .hole(counterbored("c", {20, 20, 30}, {0.3, 0.2, -1}, 6.6, 11, 4))
                                 .hole(throughHole("t", {40, 40, 30}, {-0.25, 0.1, -1}, 7))
                                 .build();
    ASSERT_TRUE(tilted.ok()) << tilted.error;
    solids.emplace_back("tilted holes", tilted.solid);
    int planes = 0, cylinders = 0, cones = 0;
    for (const auto& [file, solid] : solids)
        for (const FaceGeom& face : solid.faces()) {
            const std::string& where = file;   // a lambda cannot capture a structured binding here
            planes += face.kind() == SurfaceKind::Plane;
            cylinders += face.kind() == SurfaceKind::Cylinder;
            cones += face.kind() == SurfaceKind::Cone;
            // Each face on a thread of its own, whose store of recent angles the host starts empty.
            std::string mismatch;
            std::thread([&] {
                const UvBox r = face.uvRange();
                for (double fu : {-40.0, -1.0, 0.0, 0.13, 0.5, 0.97, 1.0, 3.0, 1e6})
                    for (double fv : {-1e5, -0.5, 0.0, 0.31, 0.5, 1.0, 2.0, 25.0}) {
                        const double u = r.uMin + fu * (r.uMax - r.uMin), v = r.vMin + fv * (r.vMax - r.vMin);
                        const Vec3 ours = face.eval(u, v), kernel = face.evalByKernel(u, v);
                        for (int k = 0; k < 3 && mismatch.empty(); ++k)   // bit for bit: a zero keeps its sign
                            if (std::bit_cast<std::uint64_t>(ours[k]) != std::bit_cast<std::uint64_t>(kernel[k]))
                                mismatch = where + " " + surfaceKindName(face.kind()) + " at " + std::to_string(u) +
                                           ", " + std::to_string(v) + ": " + std::to_string(ours[k]) + " against " +
                                           std::to_string(kernel[k]);
                    }
            }).join();
            ASSERT_EQ(mismatch, "");
        }
    EXPECT_GT(planes, 20);
    EXPECT_GT(cylinders, 10);
    EXPECT_GT(cones, 5);
}

TEST_F(SurfaceEntities, TrimTableHoldsTheFaceBoundariesOuterFirst) {
    BuiltPart part = PartBuilder::block({40, 40, 20}).hole(throughHole("t", {15, 25, 20}, {0, 0, -1}, 8)).build();
    std::vector<ent> surfaces = convert(part);
    const ent* top = nullptr;
    for (const ent& s : surfaces)
        if (s.surf.typeCode == kSurfTrimmed && s.surf.boxMin.z > 19.9) top = &s;
    ASSERT_NE(top, nullptr);
    const ent_surface& s = top->surf;
    ASSERT_EQ(s.trimBounds.size(), 2u);
    std::size_t total = 0;
    for (const trim_bound& b : s.trimBounds) total += b.length + 2;
    EXPECT_LE(total, s.trimPoints.size() + 1);
    EXPECT_EQ(s.trimBounds[0].start, 0);
    // Each boundary closes on its first point.
    auto boundary = [&](int i) {
        std::size_t start = s.trimBounds[i].start, n = s.trimBounds[i].length + 2;
        return std::vector<uv_pt>(s.trimPoints.begin() + start, s.trimPoints.begin() + start + n);
    };
    for (int i = 0; i < 2; ++i) {
        std::vector<uv_pt> pts = boundary(i);
        EXPECT_EQ(pts.front().u, pts.back().u);
        EXPECT_EQ(pts.front().v, pts.back().v);
    }
    // The outer boundary runs along the block's edges, the inner one round the hole.
    for (const uv_pt& uv : boundary(0)) {
        p_3d p;
        eval_surf(top, uv.u, uv.v, 0, &p);
        bool onEdge = std::abs(p.x) < 1e-9 || std::abs(p.x - 40) < 1e-9 || std::abs(p.y) < 1e-9 ||
                      std::abs(p.y - 40) < 1e-9;
        EXPECT_TRUE(onEdge) << p.x << " " << p.y;
    }
    std::vector<uv_pt> inner = boundary(1);
    EXPECT_GT(inner.size(), 32u);   // a circle is sampled finely
    for (const uv_pt& uv : inner) {
        p_3d p;
        eval_surf(top, uv.u, uv.v, 0, &p);
        EXPECT_NEAR(distToZAxis(p, 15, 25), 4, 1e-6);
        EXPECT_NEAR(p.z, 20, 1e-9);
    }
    // The parameter box is the face's: the 40 x 40 square.
    EXPECT_NEAR(s.uMax - s.uMin, 40, 1e-9);
    EXPECT_NEAR(s.vMax - s.vMin, 40, 1e-9);
    EXPECT_NEAR(s.boxMax.x - s.boxMin.x, 40, 1e-6);
    EXPECT_NEAR(s.sphereRadius, 20 * std::sqrt(2.0), 1e-6);
}

// Holes from 1 to 300 mm across (each circle sampled at 180 to some 860 points) on a plate whose top face holds
// more trim points than a record has room for.
TEST_F(SurfaceEntities, TrimLoopsAreTheKernelsSamplesAndARecordKeepsTheLoopsThatFit) {
    PartBuilder plate = PartBuilder::block({3600, 3600, 20});
    const double diameters[] = {1, 8, 200, 300};
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 9; ++j)
            plate.hole(throughHole("h", {200.0 + 400 * i, 200.0 + 400 * j, 20}, {0, 0, -1}, diameters[(i + j) % 4]));
    const BuiltPart part = plate.build();
    ASSERT_TRUE(part.ok()) << part.error;
    std::vector<FaceGeom> faces = part.solid.faces();
    const StepImport boss = importStep(std::string(FX_SOURCE_DIR) + "/data/examples/boss_part.step");
    ASSERT_TRUE(boss.ok()) << boss.error;
    for (const StepSolid& s : boss.solids) faces.insert(faces.end(), s.solid.faces().begin(), s.solid.faces().end());
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const std::vector<TrimLoop> ours = faces[f].trimLoops(), kernel = faces[f].trimLoopsByKernel();
        ASSERT_EQ(ours.size(), kernel.size()) << "face " << f;
        for (std::size_t l = 0; l < ours.size(); ++l) {
            ASSERT_EQ(ours[l].points.size(), kernel[l].points.size()) << "face " << f << " loop " << l;
            for (std::size_t i = 0; i < ours[l].points.size(); ++i) {   // to the bit
                EXPECT_EQ(ours[l].points[i].u, kernel[l].points[i].u);
                EXPECT_EQ(ours[l].points[i].v, kernel[l].points[i].v);
            }
        }
    }

    std::vector<ent> surfaces = convert(part);
    const ent* top = nullptr;
    for (const ent& s : surfaces)
        if (s.surf.typeCode == kSurfTrimmed && s.surf.boxMin.z > 19.9) top = &s;
    ASSERT_NE(top, nullptr);
    const std::vector<TrimLoop> all = top->surf.geom->trimLoops();
    ASSERT_EQ(all.size(), 82u);
    std::size_t fit = 0, points = 0;
    while (fit < all.size() && points + all[fit].points.size() <= SHRT_MAX) points += all[fit++].points.size();
    ASSERT_LT(fit, all.size());   // the record's room is the limit here
    ASSERT_EQ(top->surf.trimBounds.size(), fit);
    ASSERT_EQ(top->surf.trimPoints.size(), points);
    std::size_t at = 0;
    for (std::size_t l = 0; l < fit; ++l)
        for (const UV& p : all[l].points) {
            EXPECT_EQ(top->surf.trimPoints[at].u, p.u);
            EXPECT_EQ(top->surf.trimPoints[at++].v, p.v);
        }
}

TEST_F(SurfaceEntities, PlanarTestGivesOutwardNormal) {
    BuiltPart part = PartBuilder::block({40, 40, 20}).hole(blindFlat("b", {20, 20, 20}, {0, 0, -1}, 10, 6)).build();
    std::vector<ent> surfaces = convert(part);
    int planar = 0;
    for (const ent& s : surfaces) {
        p_3d n{9, 9, 9}, p;
        int result = is_surf_planar(&s, &n, &p);
        EXPECT_EQ(result, s.surf.typeCode == kSurfTrimmed ? 1 : 0);
        if (!result) {
            EXPECT_EQ(n.x, 9);   // untouched
            continue;
        }
        ++planar;
        EXPECT_NEAR(std::hypot(n.x, n.y, n.z), 1, 1e-12);
        // The normal points out of the material: from the box centre of the part towards the face,
        // except for the hole's bottom, which faces up into the hole.
        bool bottom = std::abs(p.z - 14) < 1e-9;
        if (bottom) {
            EXPECT_NEAR(n.z, 1, 1e-12);
        } else {
            double out = (p.x - 20) * n.x + (p.y - 20) * n.y + (p.z - 10) * n.z;
            EXPECT_GT(out, 0);
        }
    }
    EXPECT_EQ(planar, 7);
    ent zero{};
    EXPECT_EQ(is_surf_planar(&zero, nullptr, nullptr), 0);
}

// The closed form of a torus patch's box against the patch sampled densely, over tori turned every way and
// rectangles up to two turns wide, starting anywhere: every sample in the box, every side of the box reached
// by the samples to within what the sampling misses.
TEST(FaceBoxes, ATorusPatchBoxIsTheBoxOfItsPoints) {
    std::mt19937 random(7);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    constexpr int kSteps = 160;
    for (int trial = 0; trial < 300; ++trial) {
        // An orthonormal frame from a random rotation (a unit quaternion).
        double q[4] = {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
        const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
        for (double& c : q) c /= n;
        const auto [w, a, b, c] = std::array<double, 4>{q[0], q[1], q[2], q[3]};
        TorusFrame torus;
        torus.x = {1 - 2 * (b * b + c * c), 2 * (a * b + c * w), 2 * (a * c - b * w)};
        torus.y = {2 * (a * b - c * w), 1 - 2 * (a * a + c * c), 2 * (b * c + a * w)};
        torus.axis = {2 * (a * c + b * w), 2 * (b * c - a * w), 1 - 2 * (a * a + b * b)};
        torus.centre = {uniform(-50, 50), uniform(-50, 50), uniform(-50, 50)};
        torus.major = uniform(2, 10);
        torus.minor = uniform(0.2, 0.95) * torus.major;
        const double uMin = uniform(-2 * kPi, 2 * kPi), vMin = uniform(-2 * kPi, 2 * kPi);
        const UvBox rect{uMin, uMin + uniform(0, 2 * kPi), vMin, vMin + uniform(0, 2 * kPi)};
        const Box3 box = torusPatchBox(torus, rect);
        Box3 sampled{{HUGE_VAL, HUGE_VAL, HUGE_VAL}, {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL}};
        for (int i = 0; i <= kSteps; ++i)
            for (int j = 0; j <= kSteps; ++j) {
                const double u = rect.uMin + (rect.uMax - rect.uMin) * i / kSteps;
                const double v = rect.vMin + (rect.vMax - rect.vMin) * j / kSteps;
                for (int k = 0; k < 3; ++k) {
                    const double p = torus.centre[k] +
                                     (torus.major + torus.minor * std::cos(v)) *
                                         (std::cos(u) * torus.x[k] + std::sin(u) * torus.y[k]) +
                                     torus.minor * std::sin(v) * torus.axis[k];
                    sampled.min[k] = std::min(sampled.min[k], p);
                    sampled.max[k] = std::max(sampled.max[k], p);
                }
            }
        const double du = (rect.uMax - rect.uMin) / kSteps, dv = (rect.vMax - rect.vMin) / kSteps;
        const double missed = (torus.major + torus.minor) * (du * du + dv * dv);
        for (int k = 0; k < 3; ++k) {
            EXPECT_LE(box.min[k], sampled.min[k] + 1e-9) << "trial " << trial;
            EXPECT_GE(box.max[k], sampled.max[k] - 1e-9) << "trial " << trial;
            EXPECT_GE(box.min[k], sampled.min[k] - missed) << "trial " << trial;
            EXPECT_LE(box.max[k], sampled.max[k] + missed) << "trial " << trial;
        }
    }
}

// Whether the face's parameter range is the kernel's, bit for bit.
bool hasTheKernelsRange(const FaceGeom& face) {
    UvBox kernel;
    BRepTools::UVBounds(occtFace(face), kernel.uMin, kernel.uMax, kernel.vMin, kernel.vMax);
    const UvBox ours = face.uvRange();
    return ours.uMin == kernel.uMin && ours.uMax == kernel.uMax && ours.vMin == kernel.vMin && ours.vMax == kernel.vMax;
}

// A face's box is worked out in closed form on tori, spheres, cylinders and cones: it must be the kernel's own
// search for it, here on fillets about axes along x, y and z, a hole at a slant (its walls end in curves that
// are no circles), countersinks, sphere patches as corner blends and ball ends make them (reaching a pole or
// not, turned) and the example parts as the STEP reader boxes them. Its parameter range, made from its edges'
// curves on planes, cylinders, cones and tori, is the kernel's to the last bit.
TEST_F(SurfaceEntities, FaceBoxesAndParameterRangesAreTheKernelsOnEveryKindOfFace) {
    HoleSpec side = throughHole("side", {30, 0, 10}, {0, 1, 0}, 6);
    side.entryFillet = 1.5;
    const BuiltPart part = PartBuilder::block({80, 50, 30})
                               .boss({{20, 25, 30}, {0, 0, 1}, 12, 8, 2})
                               .boss({{0, 25, 12}, {-1, 0, 0}, 10, 6, 1.5})
                               .hole(side)
                               .hole(countersunk("slant", {55, 20, 30}, {0.3, 0.2, -1}, 6, 10))
                               .hole(counterbored("cb", {65, 38, 30}, {0, 0, -1}, 5, 9, 4, 12))
                               .build();
    ASSERT_TRUE(part.ok()) << part.error;
    std::vector<FaceGeom> faces = part.solid.faces();
    for (const char* example : {"boss_part", "directions_block", "holes_plate"}) {
        const StepImport imported = importStep(std::string(FX_SOURCE_DIR) + "/data/examples/" + example + ".step");
        ASSERT_TRUE(imported.ok()) << imported.error;
        for (const StepSolid& s : imported.solids)
            faces.insert(faces.end(), s.solid.faces().begin(), s.solid.faces().end());
    }
    const double quarter = std::numbers::pi / 2;
    for (const auto& [axis, from, to, longitudes] : {std::tuple{gp_Dir(0, 0, 1), 0.0, quarter, quarter},
                                                      {gp_Dir(0, 0, -1), -quarter, 0.0, quarter},
                                                      {gp_Dir(1, 1, 1), -0.3, 1.1, 2.5},
                                                      {gp_Dir(0.2, -1, 0.4), -quarter, quarter, 2 * quarter}}) {
        const gp_Ax2 frame({3, -4, 5}, axis);
        const TopoDS_Shape sphere = BRepPrimAPI_MakeSphere(frame, 6, from, to, longitudes).Shape();
        for (TopExp_Explorer ex(sphere, TopAbs_FACE); ex.More(); ex.Next())
            faces.push_back(makeFaceGeom(ex.Current()));
    }
    std::map<SurfaceKind, int> kinds;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        ++kinds[faces[f].kind()];
        const Box3 ours = faces[f].boundingBox(), kernel = faces[f].boundingBoxByKernel();
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(ours.min[k], kernel.min[k], 1e-9) << "face " << f << " " << surfaceKindName(faces[f].kind());
            EXPECT_NEAR(ours.max[k], kernel.max[k], 1e-9) << "face " << f << " " << surfaceKindName(faces[f].kind());
        }
        EXPECT_TRUE(hasTheKernelsRange(faces[f])) << "face " << f << " " << surfaceKindName(faces[f].kind());
    }
    EXPECT_GE(kinds[SurfaceKind::Torus], 5);
    EXPECT_EQ(kinds[SurfaceKind::Sphere], 4);
    EXPECT_GE(kinds[SurfaceKind::Cylinder], 10);
    EXPECT_GE(kinds[SurfaceKind::Cone], 3);
}


// A face of a sphere or torus whose only loops are holes (clockwise circles of its parameters centred at each
// (u, v) given, as splines), the rest of its surface all face.
TopoDS_Face surfaceWithHoles(const Handle(Geom_Surface)& surface, const std::vector<gp_Pnt2d>& centres, double radius) {
    BRep_Builder builder;
    TopoDS_Face face;
    builder.MakeFace(face, surface, 1e-7);
    for (const gp_Pnt2d& centre : centres) {
        const Handle(Geom2d_Curve) circle = new Geom2d_Circle(gp_Ax2d(centre, gp::DX2d()), radius, false);
        TopoDS_Edge edge = BRepBuilderAPI_MakeEdge(Geom2dConvert::CurveToBSplineCurve(circle), surface);
        BRepLib::BuildCurves3d(edge);
        builder.Add(face, BRepBuilderAPI_MakeWire(edge).Wire());
    }
    return face;
}

// A sphere or torus face without an outer loop is on its surface everywhere but inside its holes: where a hole
// takes the surface's extreme, the face reaches only as far as the hole's edge, and elsewhere the surface's.
TEST(FaceBoxes, AFaceOfHolesAloneReachesTheSurfacesExtremesOutsideThemOnly) {
    const double pi = std::numbers::pi;
    const struct {
        const char* what;
        Handle(Geom_Surface) surface;
        std::vector<gp_Pnt2d> holes;
        Box3 surfaceBox;           // the whole surface's
        std::array<bool, 6> cut;   // which of its sides (min x, max x, min y, ...) a hole takes
    } cases[] = {
        {"a sphere but for two caps about x", new Geom_SphericalSurface(gp_Ax3(gp::XOY()), 6),
         {gp_Pnt2d(0, 0), gp_Pnt2d(pi, 0)}, {{-6, -6, -6}, {6, 6, 6}}, {true, true, false, false, false, false}},
        {"a torus but for a hole at its outer equator", new Geom_ToroidalSurface(gp_Ax3(gp::XOY()), 10, 2),
         {gp_Pnt2d(0, 0)}, {{-12, -12, -2}, {12, 12, 2}}, {false, true, false, false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TopoDS_Face face = surfaceWithHoles(c.surface, c.holes, 0.5);
        Box3 edges{{HUGE_VAL, HUGE_VAL, HUGE_VAL}, {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL}};
        for (TopExp_Explorer ex(face, TopAbs_EDGE); ex.More(); ex.Next()) {
            const BRepAdaptor_Curve curve(TopoDS::Edge(ex.Current()));
            constexpr int kSteps = 20000;
            for (int i = 0; i <= kSteps; ++i) {
                const gp_Pnt p = curve.Value(curve.FirstParameter() +
                                             (curve.LastParameter() - curve.FirstParameter()) * i / kSteps);
                for (int k = 0; k < 3; ++k) {
                    edges.min[k] = std::min(edges.min[k], p.Coord(k + 1));
                    edges.max[k] = std::max(edges.max[k], p.Coord(k + 1));
                }
            }
        }
        const Box3 box = makeFaceGeom(face).boundingBox();
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(box.min[k], c.cut[2 * k] ? edges.min[k] : c.surfaceBox.min[k], 1e-6) << k;
            EXPECT_NEAR(box.max[k], c.cut[2 * k + 1] ? edges.max[k] : c.surfaceBox.max[k], 1e-6) << k;
        }
    }
}

class SharedPartBoxes : public testing::TestWithParam<std::string> {};

// On every face of the real parts that is boxed in closed form, as the STEP reader boxes them: planes,
// cylinders and cones by their edges, every face of revolution (its surface over its parameters, as the
// kernel boxes it), and every torus and sphere patch, filling its parameter rectangle or cut by other faces.
// Each side of a box lies within the kernel's confusion distance, which its search keeps as a gap, and the
// face's edge tolerance of the kernel's side (an edge's curve strays from the surface by as much, and the
// kernel takes the one or the other); farther only where the kernel's classifier of the trims, whose polygon
// of a curved trim is coarse, takes the surface's extreme for one on the face or off it: there the box is the
// face's own, reached by points of the face (a grid of its parameters classified against its trims exactly)
// and its edges, and leaving out none.
TEST_P(SharedPartBoxes, AreTheKernelsOnEveryFaceBoxedInClosedForm) {
    const StepImport imported = importStep(realPartsDir() + "/" + GetParam() + ".step");
    ASSERT_TRUE(imported.ok()) << imported.error;
    constexpr double kGap = 1.01e-7, kReached = 1e-5;
    int boxed = 0;
    for (const StepSolid& s : imported.solids)
        for (std::size_t f = 0; f < s.solid.faces().size(); ++f) {
            const FaceGeom& face = s.solid.faces()[f];
            if (face.kind() != SurfaceKind::Torus && face.kind() != SurfaceKind::Sphere &&
                face.kind() != SurfaceKind::Revolution && face.kind() != SurfaceKind::Plane &&
                face.kind() != SurfaceKind::Cylinder && face.kind() != SurfaceKind::Cone)
                continue;
            ++boxed;
            const Box3 ours = face.boundingBox(), kernel = face.boundingBoxByKernel();
            const std::string where = s.name + " face " + std::to_string(f) + " " + surfaceKindName(face.kind());
            const TopoDS_Face occt = occtFace(face);
            double tolerance = 0;
            for (TopExp_Explorer ex(occt, TopAbs_EDGE); ex.More(); ex.Next())
                tolerance = std::max(tolerance, BRep_Tool::Tolerance(TopoDS::Edge(ex.Current())));
            bool apart = false;
            for (int k = 0; k < 3; ++k)
                apart = apart || std::abs(ours.min[k] - kernel.min[k]) > kGap + tolerance ||
                        std::abs(ours.max[k] - kernel.max[k]) > kGap + tolerance;
            if (!apart) continue;
            // The face's own extent: its edges, and a grid of its parameters on the face.
            Box3 reached{{HUGE_VAL, HUGE_VAL, HUGE_VAL}, {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL}};
            auto reach = [&](const Vec3& p) {
                for (int k = 0; k < 3; ++k)
                    reached.min[k] = std::min(reached.min[k], p[k]), reached.max[k] = std::max(reached.max[k], p[k]);
            };
            for (TopExp_Explorer ex(occt, TopAbs_EDGE); ex.More(); ex.Next()) {
                if (BRep_Tool::Degenerated(TopoDS::Edge(ex.Current()))) continue;
                const BRepAdaptor_Curve curve(TopoDS::Edge(ex.Current()));
                constexpr int kSteps = 4000;
                for (int i = 0; i <= kSteps; ++i) {
                    const gp_Pnt p = curve.Value(curve.FirstParameter() +
                                                 (curve.LastParameter() - curve.FirstParameter()) * i / kSteps);
                    reach({p.X(), p.Y(), p.Z()});
                }
            }
            const UvBox r = face.uvRange();
            constexpr int kSteps = 150;
            for (int i = 0; i <= kSteps; ++i)
                for (int j = 0; j <= kSteps; ++j) {
                    const gp_Pnt2d uv(r.uMin + (r.uMax - r.uMin) * i / kSteps, r.vMin + (r.vMax - r.vMin) * j / kSteps);
                    if (BRepClass_FaceClassifier(occt, uv, 1e-9).State() == TopAbs_IN)
                        reach(face.eval(uv.X(), uv.Y()));
                }
            for (int k = 0; k < 3; ++k) {
                EXPECT_LE(ours.min[k], reached.min[k] + tolerance + 1e-9) << where;
                EXPECT_GE(ours.max[k], reached.max[k] - tolerance - 1e-9) << where;
                if (std::abs(ours.min[k] - kernel.min[k]) > kGap + tolerance) {
                    EXPECT_NEAR(ours.min[k], reached.min[k], kReached) << where;
                }
                if (std::abs(ours.max[k] - kernel.max[k]) > kGap + tolerance) {
                    EXPECT_NEAR(ours.max[k], reached.max[k], kReached) << where;
                }
            }
        }
    EXPECT_GT(boxed, 0);
}

INSTANTIATE_TEST_SUITE_P(RealParts, SharedPartBoxes, testing::ValuesIn(realPartNames()));

// What making the solids of the real parts works out in closed form is the kernel's: every face's parameter
// range to the last bit, and every edge of a plane face keeps its curve in the plane's parameters, the
// kernel's projection of the edge parameter for parameter (lines and circles are put there in closed form,
// in solids an assembly places two and three levels down too).
class SharedPartMaking : public testing::TestWithParam<std::string> {};

TEST_P(SharedPartMaking, KeepsTheKernelsRangesAndPlaneCurves) {
    const StepImport imported = importStep(realPartsDir() + "/" + GetParam() + ".step");
    ASSERT_TRUE(imported.ok()) << imported.error;
    int faces = 0, edges = 0;
    for (const StepSolid& s : imported.solids)
        for (const FaceGeom& face : s.solid.faces()) {
            EXPECT_TRUE(hasTheKernelsRange(face)) << s.name << " face " << faces << " " << surfaceKindName(face.kind());
            ++faces;
            if (face.kind() != SurfaceKind::Plane) continue;
            const TopoDS_Face& occt = occtFace(face);
            TopLoc_Location placed;
            const Handle(Geom_Surface) plane = BRep_Tool::Surface(occt, placed);
            for (TopExp_Explorer ex(occt, TopAbs_EDGE); ex.More(); ex.Next()) {
                const TopoDS_Edge& edge = TopoDS::Edge(ex.Current());
                if (BRep_Tool::Degenerated(edge)) continue;
                double f = 0, l = 0, pf = 0, pl = 0;
                bool stored = false;
                const Handle(Geom2d_Curve) kept = BRep_Tool::CurveOnSurface(edge, occt, f, l, &stored);
                const Handle(Geom2d_Curve) projected = BRep_Tool::CurveOnPlane(edge, plane, placed, pf, pl);
                const std::string where = s.name + " edge " + std::to_string(edges);
                ASSERT_TRUE(stored) << where;
                ASSERT_FALSE(projected.IsNull()) << where;
                // A curve the file gave keeps the file's digits; the edge's tolerance holds it to the edge.
                const double near = std::max(1e-9, BRep_Tool::Tolerance(edge));
                EXPECT_NEAR(f, pf, 1e-9) << where;
                EXPECT_NEAR(l, pl, 1e-9) << where;
                for (int i = 0; i <= 4; ++i) {
                    const double t = f + (l - f) * i / 4;
                    EXPECT_LE(kept->Value(t).Distance(projected->Value(t)), near) << where << " at " << t;
                }
                ++edges;
            }
        }
    EXPECT_GT(edges, 0);
}

INSTANTIATE_TEST_SUITE_P(RealParts, SharedPartMaking, testing::ValuesIn(realPartNames()));

// A spline face is boxed by cutting its surface's Bezier pieces over the parameters its trims reach: the box
// holds every point of the face, reaches no farther than the surface there (but by the kernel's confusion
// distance, which the kernel's own box keeps too), and holds the kernel's own search's box, which a particle
// swarm may leave short. Here the spline faces where rounded edges meet a boss's foot and a rounded entry.
TEST_F(SurfaceEntities, ASplineFaceIsBoxedAsItsSurfaceOverItsTrims) {
    HoleSpec entry = throughHole("entry", {12, -17, 25}, {0, 0, -1}, 5);
    entry.entryFillet = 1;
    const BuiltPart rounded = PartBuilder::block({40, 30, 20}, {10, -20, 5})
                                  .roundStockEdges(4)
                                  .boss({{30, -5, 25}, {0, 0, 1}, 10, 5, 2})
                                  .hole(entry)
                                  .build();
    ASSERT_TRUE(rounded.ok()) << rounded.error;
    int splines = 0;
    for (const FaceGeom& face : rounded.solid.faces()) {
        if (face.kind() != SurfaceKind::BSpline) continue;
        ++splines;
        const Box3 box = face.boundingBox(), kernel = face.boundingBoxByKernel();
        const UvBox r = face.uvRange();
        constexpr int kSteps = 200;
        Box3 surface{{HUGE_VAL, HUGE_VAL, HUGE_VAL}, {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL}};
        double missed = 0;
        for (int i = 0; i <= kSteps; ++i)
            for (int j = 0; j <= kSteps; ++j) {
                const UV uv{r.uMin + (r.uMax - r.uMin) * i / kSteps, r.vMin + (r.vMax - r.vMin) * j / kSteps};
                const Vec3 p = face.eval(uv.u, uv.v);
                if (j > 0) {
                    const Vec3 q = face.eval(uv.u, r.vMin + (r.vMax - r.vMin) * (j - 1) / kSteps);
                    missed = std::max(missed, std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]));
                }
                for (int k = 0; k < 3; ++k) {
                    surface.min[k] = std::min(surface.min[k], p[k]);
                    surface.max[k] = std::max(surface.max[k], p[k]);
                    if (!face.containsUv(uv)) continue;
                    EXPECT_LE(box.min[k], p[k]) << "face " << splines;
                    EXPECT_GE(box.max[k], p[k]) << "face " << splines;
                }
            }
        for (int k = 0; k < 3; ++k) {
            EXPECT_LE(box.min[k], kernel.min[k] + 1e-9) << "face " << splines;
            EXPECT_GE(box.max[k], kernel.max[k] - 1e-9) << "face " << splines;
            EXPECT_GE(box.min[k], surface.min[k] - missed - 2e-7) << "face " << splines;
            EXPECT_LE(box.max[k], surface.max[k] + missed + 2e-7) << "face " << splines;
        }
    }
    EXPECT_GE(splines, 4);
}

// v turned by `angle` about the axis through the origin (Rodrigues' formula).
Vec3 turnedAbout(const Vec3& axis, double angle, const Vec3& v) {
    const double n = std::hypot(axis[0], axis[1], axis[2]);
    const Vec3 k{axis[0] / n, axis[1] / n, axis[2] / n};
    const Vec3 cross{k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2], k[0] * v[1] - k[1] * v[0]};
    const double along = (k[0] * v[0] + k[1] * v[1] + k[2] * v[2]) * (1 - std::cos(angle));
    Vec3 out;
    for (int i = 0; i < 3; ++i) out[i] = v[i] * std::cos(angle) + cross[i] * std::sin(angle) + k[i] * along;
    return out;
}

// A face's heights along a direction (a turned view's axis) from the face itself: on a part turned about
// the origin, its extent along a turned world axis holds the unturned face's box along that axis, and is
// that box wherever the face's edges are lines, circles and ellipses or the face is a sphere or torus filling
// its parameter box (a rounded block, a rounded boss, holes of every kind); on faces cut at a slant and on
// B-spline faces, which it bounds by their poles, it holds the box.
TEST(FaceExtents, AFacesExtentAlongADirectionIsItsBoxAlongIt) {
    PartBuilder rounded = PartBuilder::block({80, 50, 20});
    rounded.roundStockEdges(4).boss({{55, 25, 20}, {0, 0, 1}, 16, 12, 2});
    HoleSpec entry = blindTipped("entry", {20, 15, 20}, {0, 0, -1}, 6, 8);
    entry.entryFillet = 1.5;
    rounded.hole(entry).hole(countersunk("sunk", {35, 25, 20}, {0, 0, -1}, 6.6, 12)).hole(
        blindTipped("side", {0, 25, 10}, {1, 0, 0}, 3.3, 12));
    const BuiltPart slanted = PartBuilder::block({60, 40, 30})
                                  .hole(countersunk("slant", {30, 20, 30}, {0.3, 0.2, -1}, 6, 10))
                                  .hole(throughHole("side", {30, 0, 10}, {0, 1, 0.4}, 6))
                                  .build();
    const struct {
        const char* name;
        BuiltPart part;
        bool exact, nurbs;
    } rows[] = {{"rounded", rounded.build(), true, false},
                {"cut at a slant", slanted, false, false},
                {"as B-splines", rounded.build(), false, true}};
    const Vec3 axes[] = {{0.3, -0.5, 0.8}, {1, 0, 0}, {0.2, 1, 0.1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(row.part.ok()) << row.part.error;
        for (const Vec3& axis : axes) {
            const BuiltPart turned = placedPart(row.part, {0, 0, 0}, axis, 0.7);
            ASSERT_TRUE(turned.ok()) << turned.error;
            const std::vector<FaceGeom>& faces = row.part.solid.faces();
            for (std::size_t f = 0; f < faces.size(); ++f) {
                const FaceGeom face = row.nurbs ? faces[f].toNurbs() : faces[f];
                const FaceGeom turnedFace = row.nurbs ? turned.solid.faces()[f].toNurbs() : turned.solid.faces()[f];
                const Box3 box = face.boundingBoxByKernel();
                for (int k = 0; k < 3; ++k) {
                    Vec3 d{};
                    d[k] = 1;
                    d = turnedAbout(axis, 0.7, d);
                    double least = 0, most = 0;
                    ASSERT_TRUE(turnedFace.extentAlong(d, least, most)) << "face " << f;
                    const std::string where = "face " + std::to_string(f) + " " + surfaceKindName(face.kind());
                    // The kernel's box of a curve it searches numerically is a tenth of a micrometre wide of it.
                    EXPECT_LE(least, box.min[k] + 1e-6) << where;
                    EXPECT_GE(most, box.max[k] - 1e-6) << where;
                    if (!row.exact) continue;
                    EXPECT_NEAR(least, box.min[k], 1e-9) << where;
                    EXPECT_NEAR(most, box.max[k], 1e-9) << where;
                }
            }
        }
    }
}

// The walls of a hole and of a boss are both cylinders about a vertical axis; only their normals tell them
// apart: a hole's wall faces its axis, a boss's faces away from it, out of the material.
TEST_F(SurfaceEntities, FacesOfASolidKnowTheirMaterialSide) {
    BuiltPart part = PartBuilder::block({60, 40, 20})
                         .hole(throughHole("hole", {15, 20, 20}, {0, 0, -1}, 8))
                         .boss({{45, 20, 20}, {0, 0, 1}, 12, 10, 0})
                         .build();
    int walls = 0;
    for (const ent& s : convert(part)) {
        EXPECT_EQ(s.surf.solidFace, 1);
        if (s.surf.typeCode != kSurfCylinder) continue;
        const double u = (s.surf.uMin + s.surf.uMax) / 2, v = (s.surf.vMin + s.surf.vMax) / 2;
        p_3d n{9, 9, 9}, p;
        ASSERT_EQ(surf_normal(&s, u, v, &n), 1);
        ASSERT_EQ(eval_surf(&s, u, v, 0, &p), 1);
        EXPECT_NEAR(std::hypot(n.x, n.y, n.z), 1, 1e-12);
        EXPECT_NEAR(n.z, 0, 1e-9);
        const bool boss = p.x > 30;
        const double axisX = boss ? 45 : 15;
        const double away = ((p.x - axisX) * n.x + (p.y - 20) * n.y) / distToZAxis(p, axisX, 20);
        EXPECT_NEAR(away, boss ? 1 : -1, 1e-9) << (boss ? "boss" : "hole");
        ++walls;
    }
    EXPECT_EQ(walls, 2);
    // The base planes of the planar faces are the faces' too.
    for (const ent& b : walk(kEntSurface, true))
        if (b.surf.typeCode != kSurfTrimmed) {
            EXPECT_EQ(b.surf.solidFace, 1);
        }

    // A free surface bounds no material: its normal is its parameters' d/du x d/dv.
    ent line{};
    line.type = kEntLine;
    line.ln.ln = {{4, 0, 0}, {4, 0, 10}};
    surf_of_rev rev;
    rev.profile = &line;
    rev.axisDir = {0, 0, 1};
    rev.sweep = 2 * kPi;
    ent free{};
    ASSERT_EQ(create_nurbsurf_from_surf(&rev, &free), 1);
    EXPECT_EQ(free.surf.solidFace, 0);
    p_3d d[3], n;
    const double u = (free.surf.uMin + free.surf.uMax) / 2, v = (free.surf.vMin + free.surf.vMax) / 2;
    ASSERT_EQ(eval_surf(&free, u, v, 1, d), 1);
    ASSERT_EQ(surf_normal(&free, u, v, &n), 1);
    const p_3d cross{d[1].y * d[2].z - d[1].z * d[2].y, d[1].z * d[2].x - d[1].x * d[2].z,
                     d[1].x * d[2].y - d[1].y * d[2].x};
    EXPECT_GT(cross.x * n.x + cross.y * n.y + cross.z * n.z, 0);
    ent zero{};
    EXPECT_EQ(surf_normal(&zero, 0, 0, &n), 0);
}

TEST_F(SurfaceEntities, ProjectionHitsTheCounterboreRingButNotTheHole) {
    // Shoulder ring at z = 13.2 between radius 3.3 and 5.5, axis at (20, 20).
    BuiltPart part = PartBuilder::block({40, 40, 20}).hole(counterbored("c", {20, 20, 20}, {0, 0, -1}, 6.6, 11, 6.8)).build();
    std::vector<ent> surfaces = convert(part);
    const ent* ring = nullptr;
    for (const ent& s : surfaces)
        if (s.surf.typeCode == kSurfTrimmed && std::abs(s.surf.boxMin.z - 13.2) < 1e-9 &&
            std::abs(s.surf.boxMax.z - 13.2) < 1e-9)
            ring = &s;
    ASSERT_NE(ring, nullptr);
    double out[3], u = 0, v = 0;
    double middle[3] = {20 + 4.4, 20, 30};   // above the ring, looking along the top view's axis
    ASSERT_EQ(project_pt_onto_surf(ring, 1, middle, ring->surf.uMin, ring->surf.vMin, out, &u, &v), 1);
    EXPECT_NEAR(out[0], 24.4, 1e-9);
    EXPECT_NEAR(out[2], 13.2, 1e-9);
    p_3d atUv;
    eval_surf(ring, u, v, 0, &atUv);
    EXPECT_NEAR(atUv.x, 24.4, 1e-9);

    // The base plane has no trims: the hole's axis meets it, at a (u, v) that the ring's face excludes.
    ent base{};
    ASSERT_EQ(get_ent_from_eptr(ring->surf.base, &base), 1);
    double onAxis[3] = {20, 20, 30}, uc = 0, vc = 0;
    ASSERT_EQ(project_pt_onto_surf(&base, 1, onAxis, 0, 0, out, &uc, &vc), 1);
    EXPECT_NEAR(out[2], 13.2, 1e-9);
    EXPECT_FALSE(ring->surf.geom->containsUv({uc, vc}));
    EXPECT_TRUE(ring->surf.geom->containsUv({u, v}));

    double throughHole[3] = {20 + 1.0, 20, 30};
    EXPECT_EQ(project_pt_onto_surf(ring, 1, throughHole, ring->surf.uMin, ring->surf.vMin, out, &u, &v), 0);
    double axis[3] = {20, 20, 5};   // from below: the line runs both ways
    EXPECT_EQ(project_pt_onto_surf(ring, 1, axis, 0, 0, out, nullptr, nullptr), 0);
    double outside[3] = {20 + 8, 20, 30};   // over the top face, not over the ring
    EXPECT_EQ(project_pt_onto_surf(ring, 1, outside, 0, 0, out, nullptr, nullptr), 0);
    double below[3] = {20, 20 - 4.4, -50};
    ASSERT_EQ(project_pt_onto_surf(ring, 4, below, 0, 0, out, nullptr, nullptr), 1);   // the bottom view's axis
    EXPECT_NEAR(out[2], 13.2, 1e-9);
    // Along the front view's axis (world Y) the line runs parallel to the ring's plane.
    EXPECT_EQ(project_pt_onto_surf(ring, 2, middle, 0, 0, out, nullptr, nullptr), 0);
    EXPECT_EQ(project_pt_onto_surf(ring, 999, middle, 0, 0, out, nullptr, nullptr), 0);   // no such view
}

TEST_F(SurfaceEntities, ProjectionTakesTheHitNearestTheStartParameters) {
    // A side hole along X: a vertical line through its axis meets the wall at its top and its bottom.
    BuiltPart part = PartBuilder::block({40, 40, 20}).hole(throughHole("side", {40, 20, 10}, {-1, 0, 0}, 8)).build();
    std::vector<ent> cyl = ofType(convert(part), kSurfCylinder);
    ASSERT_EQ(cyl.size(), 1u);
    const ent_surface& c = cyl[0].surf;
    double pt[3] = {25, 20, 50}, out[3], u = 0, v = 0;
    double vMid = (c.vMin + c.vMax) / 2;
    for (double uStart : {c.uMin, c.uMin + kPi / 2, c.uMin + kPi, c.uMin + 3 * kPi / 2}) {
        ASSERT_EQ(project_pt_onto_surf(&cyl[0], 1, pt, uStart, vMid, out, &u, &v), 1);
        EXPECT_NEAR(out[0], 25, 1e-9);
        EXPECT_NEAR(std::abs(out[2] - 10), 4, 1e-9);
        p_3d start;
        eval_surf(&cyl[0], uStart, vMid, 0, &start);
        // The chosen hit is the one on the start point's side, unless the start lies level with the axis.
        if (std::abs(start.z - 10) > 1) {
            EXPECT_LT(std::abs(out[2] - start.z), std::abs(out[2] - (20 - start.z)));
        }
    }
}

TEST_F(SurfaceEntities, NurbsFromARevolvedLineLiesOnTheRevolution) {
    // A cone segment about a tilted axis: radius 2 at axial 1, radius 5 at axial 7.
    double axisDir[3] = {0, 0.6, 0.8};
    double frame[3][3];
    ASSERT_EQ(make_view_k(axisDir, frame), 1);
    p_3d origin{3, -2, 5};
    auto world = [&](double x, double z) {
        return p_3d{origin.x + x * frame[0][0] + z * frame[2][0], origin.y + x * frame[0][1] + z * frame[2][1],
                    origin.z + x * frame[0][2] + z * frame[2][2]};
    };
    ent profile{};
    profile.type = kEntLine;
    profile.ln.ln = {world(2, 1), world(5, 7)};
    surf_of_rev rev;
    rev.profile = &profile;
    rev.axisPt = origin;
    rev.axisDir = {0, 0.6, 0.8};
    rev.startAngle = 0.0;
    rev.sweep = 6.283185307179584;
    ent nurbs{};
    ASSERT_EQ(create_nurbsurf_from_surf(&rev, &nurbs), 1);
    EXPECT_EQ(nurbs.type, kEntSurface);
    EXPECT_EQ(nurbs.surf.typeCode, kSurfNurbs);
    EXPECT_EQ(is_surf_planar(&nurbs, nullptr, nullptr), 0);
    const ent_surface& s = nurbs.surf;
    double minAngle = 1e9, maxAngle = -1e9;
    for (int i = 0; i <= 8; ++i)
        for (int j = 0; j <= 4; ++j) {
            p_3d p;
            ASSERT_EQ(eval_surf(&nurbs, s.uMin + (s.uMax - s.uMin) * i / 8, s.vMin + (s.vMax - s.vMin) * j / 4, 0, &p), 1);
            double w[3] = {p.x - origin.x, p.y - origin.y, p.z - origin.z}, local[3];
            double frameT[3][3];
            transpose_matrix_33(frame, frameT);
            mul_mat_vector(frameT, w, local);
            double r = std::hypot(local[0], local[1]), z = local[2];
            EXPECT_GE(z, 1 - 1e-7);
            EXPECT_LE(z, 7 + 1e-7);
            EXPECT_NEAR(r, 2 + (z - 1) * 0.5, 1e-7);   // on the line's cone
            if (j == 0 && i < 8) {
                double a = std::atan2(local[1], local[0]);
                minAngle = std::min(minAngle, a), maxAngle = std::max(maxAngle, a);
            }
        }
    EXPECT_GT(maxAngle - minAngle, 1.5 * kPi);   // the samples go round the axis

    // Stored with its colour and level; walked as a surface.
    EXPECT_NE(put_surf_in_db(&nurbs, 6, 42), 0u);
    ent back{};
    ASSERT_EQ(get_ent_from_eptr(nurbs.eptr, &back), 1);
    EXPECT_EQ(back.color, 6);
    EXPECT_EQ(back.level, 42);
    p_3d p0, p1;
    eval_surf(&nurbs, s.uMin, s.vMin, 0, &p0);
    eval_surf(&back, s.uMin, s.vMin, 0, &p1);
    EXPECT_EQ(dist(p0, p1), 0);

    ent line{};
    line.type = kEntLine;
    line.ln.ln = {world(0, 1), world(0, 4)};   // on the axis
    rev.profile = &line;
    EXPECT_EQ(create_nurbsurf_from_surf(&rev, &nurbs), 0);
    ent notALine{};
    notALine.type = kEntPoint;
    rev.profile = &notALine;
    EXPECT_EQ(create_nurbsurf_from_surf(&rev, &nurbs), 0);
}

TEST_F(SurfaceEntities, SquareFromFourCorners) {
    p_3d corners[4] = {{-5, 5, 2}, {5, 5, 2}, {-5, -5, 2}, {5, -5, 2}};
    ent sq{};
    ASSERT_EQ(create_nurbsurf_from_4_points(corners, &sq), 1);
    p_3d p;
    eval_surf(&sq, sq.surf.uMin, sq.surf.vMin, 0, &p);
    EXPECT_NEAR(dist(p, corners[0]), 0, 1e-12);
    eval_surf(&sq, sq.surf.uMax, sq.surf.vMin, 0, &p);
    EXPECT_NEAR(dist(p, corners[1]), 0, 1e-12);
    eval_surf(&sq, sq.surf.uMin, sq.surf.vMax, 0, &p);
    EXPECT_NEAR(dist(p, corners[2]), 0, 1e-12);
    eval_surf(&sq, sq.surf.uMax, sq.surf.vMax, 0, &p);
    EXPECT_NEAR(dist(p, corners[3]), 0, 1e-12);
    p_3d n, q;
    ASSERT_EQ(is_surf_planar(&sq, &n, &q), 1);
    EXPECT_NEAR(std::abs(n.z), 1, 1e-12);
    EXPECT_NEAR(q.z, 2, 1e-12);
    double above[3] = {1, 1, 9}, out[3];
    ASSERT_EQ(project_pt_onto_surf(&sq, 1, above, 0.5, 0.5, out, nullptr, nullptr), 1);
    EXPECT_NEAR(out[2], 2, 1e-12);
    double beside[3] = {6, 1, 9};
    EXPECT_EQ(project_pt_onto_surf(&sq, 1, beside, 0.5, 0.5, out, nullptr, nullptr), 0);

    p_3d same[4] = {{0, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    EXPECT_EQ(create_nurbsurf_from_4_points(same, &sq), 0);
}

TEST_F(SurfaceEntities, RecordsWithoutGeometryFailCleanly) {
    ent zero{};
    p_3d p;
    double pt[3] = {0, 0, 0}, out[3];
    EXPECT_EQ(eval_surf(&zero, 0, 0, 0, &p), 0);
    EXPECT_EQ(project_pt_onto_surf(&zero, 1, pt, 0, 0, out, nullptr, nullptr), 0);
    EXPECT_EQ(put_surf_in_db(&zero, 1, 1), 0u);
    zero.type = kEntSurface;
    EXPECT_EQ(eval_surf(&zero, 0, 0, 0, &p), 0);
    sld_tag tag = 0;
    EXPECT_EQ(sld_get_tag_from_solid(&zero, &tag), 0);
    sld_tag bogus = 12345;
    EXPECT_EQ(sld_convert_tags_to_mc_ents(&bogus, 1, 0.0, 0, 1, 0), 0);
    EXPECT_TRUE(walk(kEntSurface, true).empty());
}

}  // namespace
