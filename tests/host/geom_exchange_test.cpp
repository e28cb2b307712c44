// Geometry leaving and entering the host: BRep text (what part files store) and STEP files, with names
// and face colours; damaged input gives an error, never a crash; a STEP file opened as a new part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/brep_text.h"
#include "host/geom/step_io.h"
#include "host/state.h"
#include "support/temp_dir.h"

// The kernel's STEP translators keep per-process tables that the leak checker reports at exit; they are
// the kernel's, not ours, so leaks whose stack passes through a kernel library are not reported.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() { return "leak:libTK\n"; }
#endif

namespace {

using namespace host;
using namespace host::builder;

BuiltPart counterborePart() {
    HoleSpec bore = counterbored("bore", {20, 20, 20}, {0, 0, -1}, 6.6, 11, 6.8);
    bore.colour = 12;
    HoleSpec halves = throughHole("halves", {8, 8, 20}, {0, 0, -1}, 5);
    halves.splitWall = true;
    return PartBuilder::block({40, 40, 20})
        .stockColour(7)
        .hole(bore)
        .hole(halves)
        .hole(blindTipped("tip", {30, 8, 20}, {0, 0, -1}, 4, 6))
        .build();
}

// A face is found in another solid when one there has the same kind, area and box.
int findFace(const SolidGeom& in, const FaceGeom& f) {
    for (std::size_t i = 0; i < in.faces().size(); ++i) {
        const FaceGeom& g = in.faces()[i];
        if (g.kind() != f.kind() || std::abs(g.area() - f.area()) > 1e-6 * (1 + f.area())) continue;
        Box3 a = f.boundingBox(), b = g.boundingBox();
        bool same = true;
        for (int k = 0; k < 3; ++k)
            same = same && std::abs(a.min[k] - b.min[k]) < 1e-5 && std::abs(a.max[k] - b.max[k]) < 1e-5;
        if (same) return static_cast<int>(i);
    }
    return -1;
}

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(GeomBrepText, FaceRoundTripKeepsSurfaceAndTrims) {
    BuiltPart part = counterborePart();
    ASSERT_TRUE(part.ok()) << part.error;
    for (const FaceGeom& f : part.solid.faces()) {
        std::string text = faceToBrepText(f);
        std::optional<FaceGeom> back = faceFromBrepText(text);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->kind(), f.kind());
        UvBox a = f.uvRange(), b = back->uvRange();
        EXPECT_NEAR(a.uMin, b.uMin, 1e-12);
        EXPECT_NEAR(a.vMax, b.vMax, 1e-12);
        for (double t : {0.0, 0.37, 1.0}) {
            Vec3 p = f.eval(a.uMin + t * (a.uMax - a.uMin), a.vMin + t * (a.vMax - a.vMin));
            Vec3 q = back->eval(a.uMin + t * (a.uMax - a.uMin), a.vMin + t * (a.vMax - a.vMin));
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(p[k], q[k], 1e-12);
        }
        EXPECT_EQ(back->trimLoops().size(), f.trimLoops().size());
        Vec3 n1, n2;
        EXPECT_EQ(f.isPlanar(&n1), back->isPlanar(&n2));
        if (f.isPlanar()) {
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(n1[k], n2[k], 1e-12);   // orientation kept
        }
    }
}

TEST(GeomBrepText, SolidRoundTripWithColours) {
    BuiltPart part = counterborePart();
    ASSERT_TRUE(part.ok());
    std::optional<SolidGeom> back = solidFromBrepText(solidToBrepText(part.solid));
    ASSERT_TRUE(back.has_value());
    EXPECT_NEAR(back->volume(), part.solid.volume(), 1e-9 * part.solid.volume());
    ASSERT_EQ(back->faces().size(), part.solid.faces().size());
    for (std::size_t i = 0; i < back->faces().size(); ++i)   // same face order
        EXPECT_NEAR(back->faces()[i].area(), part.solid.faces()[i].area(), 1e-9);
    EXPECT_TRUE(std::all_of(back->faceColours().begin(), back->faceColours().end(),
                            [](int c) { return c == kNoColour; }));

    std::string colours = faceColoursToText(part.solid);
    std::optional<SolidGeom> coloured = withFaceColoursFromText(*back, colours);
    ASSERT_TRUE(coloured.has_value());
    EXPECT_EQ(coloured->faceColours(), part.solid.faceColours());
    EXPECT_EQ(std::count(coloured->faceColours().begin(), coloured->faceColours().end(), 12), 3);
}

TEST(GeomBrepText, DamagedTextIsRefused) {
    BuiltPart part = counterborePart();
    ASSERT_TRUE(part.ok());
    std::string solid = solidToBrepText(part.solid);
    std::string face = faceToBrepText(part.solid.faces()[0]);
    EXPECT_FALSE(solidFromBrepText("").has_value());
    EXPECT_FALSE(solidFromBrepText("not a shape at all\n1 2 3\n").has_value());
    for (int k = 1; k < 40; ++k)   // cut anywhere: refused, never a hang or a crash
        EXPECT_FALSE(solidFromBrepText(solid.substr(0, solid.size() * k / 40)).has_value()) << k;
    EXPECT_FALSE(faceFromBrepText(face.substr(0, 200)).has_value());
    EXPECT_FALSE(faceFromBrepText(solid).has_value());   // a solid is no face
    EXPECT_TRUE(solidFromBrepText(face).has_value());    // a single face is a sheet body

    EXPECT_FALSE(withFaceColoursFromText(part.solid, "1 2 3").has_value());   // too few
    std::string colours = faceColoursToText(part.solid);
    EXPECT_FALSE(withFaceColoursFromText(part.solid, colours + " 4").has_value());
    EXPECT_FALSE(withFaceColoursFromText(part.solid, "x" + colours.substr(1)).has_value());
    std::string low = colours;
    low.replace(0, low.find(' '), "-2");
    EXPECT_FALSE(withFaceColoursFromText(part.solid, low).has_value());
}

TEST(GeomStep, BuiltPartWrittenAndReadBackHasTheSameFacesAndHoleSurfaces) {
    TempDir dir;
    BuiltPart part = counterborePart();
    ASSERT_TRUE(part.ok()) << part.error;
    std::string path = dir.path() + "/part.step";
    ASSERT_EQ(exportStep({{part.solid, "counterbore plate", 5}}, path), "");

    StepImport in = importStep(path);
    ASSERT_TRUE(in.ok()) << in.error;
    ASSERT_EQ(in.solids.size(), 1u);
    const StepSolid& s = in.solids[0];
    EXPECT_EQ(s.name, "counterbore plate");
    EXPECT_EQ(s.colour, 5);
    EXPECT_TRUE(s.solid.isValid());
    EXPECT_NEAR(s.solid.volume(), part.solid.volume(), 1e-6 * part.solid.volume());
    ASSERT_EQ(s.solid.faces().size(), part.solid.faces().size());
    std::vector<int> seen;
    for (std::size_t i = 0; i < part.solid.faces().size(); ++i) {
        int j = findFace(s.solid, part.solid.faces()[i]);
        ASSERT_GE(j, 0) << "face " << i << " (" << surfaceKindName(part.solid.faces()[i].kind()) << ") is missing";
        EXPECT_EQ(std::count(seen.begin(), seen.end(), j), 0);
        seen.push_back(j);
        EXPECT_EQ(s.solid.faceColours()[j], part.solid.faceColours()[i]);
    }
    // The hole surfaces by kind: the bore's two cylinders and ring, two half walls, a cylinder and a tip.
    auto kinds = [&](const std::vector<int>& faces, const SolidGeom& in, bool mapped) {
        std::map<SurfaceKind, int> k;
        for (int f : faces) ++k[in.faces()[mapped ? findFace(in, part.solid.faces()[f]) : f].kind()];
        return k;
    };
    for (std::size_t h = 0; h < part.holes.size(); ++h)
        EXPECT_EQ(kinds(part.holeFaces[h], s.solid, true), kinds(part.holeFaces[h], part.solid, false)) << h;
}

TEST(GeomStep, BadFilesGiveAnError) {
    TempDir dir;
    StepImport missing = importStep(dir.path() + "/none.step");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error.find("none.step"), std::string::npos);

    std::string garbage = dir.path() + "/garbage.step";
    writeFile(garbage, "this is not a STEP file\n");
    StepImport g = importStep(garbage);
    EXPECT_FALSE(g.ok());
    EXPECT_TRUE(g.solids.empty());

    std::string empty = dir.path() + "/empty.step";
    writeFile(empty,
              "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'2;1');\nFILE_NAME('e','',(''),(''),'','','');\n"
              "FILE_SCHEMA(('AUTOMOTIVE_DESIGN'));\nENDSEC;\nDATA;\nENDSEC;\nEND-ISO-10303-21;\n");
    StepImport e = importStep(empty);
    EXPECT_FALSE(e.ok());

    BuiltPart part = counterborePart();
    std::string written = dir.path() + "/cut.step";
    ASSERT_EQ(exportStep({{part.solid, "", kNoColour}}, written), "");
    std::ifstream f(written, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    writeFile(written, text.substr(0, text.size() / 3));
    EXPECT_FALSE(importStep(written).ok());

    EXPECT_NE(exportStep({}, dir.path() + "/none.step"), "");
    EXPECT_NE(exportStep({{part.solid, "", kNoColour}}, dir.path() + "/no/such/folder/x.step"), "");
}

TEST(GeomStep, OpeningAStepFileMakesANewPartOfItsSolids) {
    TempDir dir;
    newPart();
    BuiltPart a = counterborePart();
    BuiltPart b = PartBuilder::block({10, 10, 10}, {100, 0, 0}).build();
    ASSERT_TRUE(a.ok() && b.ok());
    std::string path = dir.path() + "/two.step";
    ASSERT_EQ(exportStep({{a.solid, "a", 4}, {b.solid, "b", kNoColour}}, path), "");

    ent note{};
    calc_note(&note, 1, {0, 0, 0}, "left over", 0, 0);
    db_ptr entry = 0;
    char ok = 0;
    store_ent(&note, &entry, 0, 1, 1, main_attrib, &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_NE(openStepAsPart(dir.path() + "/missing.step"), "");
    EXPECT_EQ(entityCounts().notes, 1);   // a failed open leaves the part alone

    ASSERT_EQ(openStepAsPart(path), "");
    EntityCounts counts = entityCounts();
    EXPECT_EQ(counts.solids, 2);
    EXPECT_EQ(counts.notes, 0);
    EXPECT_EQ(counts.total, 2);
    std::vector<ent> solids = allEntities();
    ASSERT_EQ(solids.size(), 2u);
    EXPECT_EQ(solids[0].color, 4);
    EXPECT_EQ(solids[1].color, main_color);
    EXPECT_EQ(solids[0].solid.body, "a");
    EXPECT_NEAR(solids[1].solid.box[6].x, 110, 1e-6);
    EXPECT_NEAR(solids[1].solid.box[0].x, 100, 1e-6);
    ASSERT_TRUE(solids[0].solid.geom);
    EXPECT_NEAR(solids[0].solid.geom->volume(), a.solid.volume(), 1e-6 * a.solid.volume());
}

}  // namespace
