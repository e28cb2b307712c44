// The check in front of the kernel's BRep reader: it passes all the geometry the host writes (built parts
// and the STEP examples), and refuses the texts that crashed or stalled the kernel's reader (the fuzz
// findings kept in tests/fuzz_regressions/brep_text) and the texts that reach an unchecked basis.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/builder/part_builder.h"
#include "host/geom/brep_scan.h"
#include "host/geom/brep_text.h"
#include "host/geom/step_io.h"
#include "platform/sys/files.h"

namespace {

using namespace host;

TEST(BrepCheck, PassesTheGeometryTheHostWrites) {
    std::vector<SolidGeom> solids;
    for (const builder::ExamplePart& ex : builder::exampleParts()) solids.push_back(ex.builder.build().solid);
    for (const char* name : {"boss_part", "directions_block", "holes_plate"}) {
        StepImport in = importStep(std::string(FX_SOURCE_DIR) + "/data/examples/" + name + ".step");
        ASSERT_TRUE(in.ok()) << in.error;
        for (StepSolid& s : in.solids) solids.push_back(s.solid);
    }
    for (const SolidGeom& solid : solids) {
        ASSERT_FALSE(solid.empty());
        EXPECT_TRUE(brepGeometryReadable(solidToBrepText(solid)));
        for (const FaceGeom& f : solid.faces()) EXPECT_TRUE(brepGeometryReadable(faceToBrepText(f)));
    }
}

TEST(BrepCheck, RefusesWhatTheKernelsReaderDoesNotSurvive) {
    const std::string head = "CASCADE Topology V3, (c) Open Cascade\nLocations 0\nCurve2ds 0\nCurves 0\n"
                             "Polygon3D 0\nPolygonOnTriangulations 0\n";
    const std::string plane = "1 0 0 12 0 0 1 1 0 -0 -0 1 0\n";
    struct Case {
        const char* what;
        std::string surfaces;
        bool readable;
    };
    const Case cases[] = {
        {"a plane", "Surfaces 1\n" + plane, true},
        {"an extrusion of an unknown curve", "Surfaces 1\n6 0 0 1\n12 0 0\n", false},
        {"an offset of an offset ... 20 deep", "Surfaces 1\n" + [&] {
             std::string s;
             for (int i = 0; i < 20; ++i) s += "11 1\n";
             return s + plane;
         }(), false},
        {"axes that are parallel", "Surfaces 2\n2 15 68 12 0 1 -0 0 1 0 1 -0 0 6\n" + plane, false},
        {"a negative radius", "Surfaces 1\n2 15 68 12 0 0 1 1 0 0 0 1 0 -6\n", false},
        {"a NaN", "Surfaces 1\n1 nan 0 12 0 0 1 1 0 -0 -0 1 0\n", false},
        {"more surfaces than the text holds", "Surfaces 99999999\n" + plane, false},
        {"a B-spline whose knots go back", "Surfaces 1\n9 0 0 0 0 1 1 2 2 2 2\n0 0 0 1 0 0 0 1 0 1 1 0\n1 2 0 2\n0 2 1 2\n",
         false},
        {"a surface left without its triangulations line", "Surfaces 1\n" + plane + "Triangulations 1\n", false},
    };
    for (const Case& c : cases) EXPECT_EQ(brepGeometryReadable(head + c.surfaces + "Triangulations 0\n"), c.readable) << c.what;
    std::string farOut = head + "Surfaces 1\n" + plane + "Triangulations 0\n";
    farOut.replace(farOut.find("Curve2ds 0"), 10, "Curve2ds 1\n1 -4e10 0 0 1");
    EXPECT_FALSE(brepGeometryReadable(farOut));
    EXPECT_TRUE(brepGeometryReadable(farOut.replace(farOut.find("-4e10"), 5, "-4e6")));

    const std::string found = std::string(FX_SOURCE_DIR) + "/tests/fuzz_regressions/brep_text";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(found)) {
        const std::string text = plat::readFile(entry.path().string()).value_or("");
        EXPECT_FALSE(solidFromBrepText(text).has_value()) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 5);
}

}  // namespace
