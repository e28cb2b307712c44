// The example parts in data/examples and the test parts in tests/data/repros still are what their builders
// make: every file reads, and has the built part's faces, colours and volume. With FX_WRITE_EXAMPLES=<folder>
// (FX_WRITE_TEST_PARTS=<folder>) the files are written there first (point it at data/examples, or at
// tests/data/repros, to refresh them after changing a builder).
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "host/builder/part_builder.h"
#include "host/geom/step_io.h"

namespace {

using namespace host;
using namespace host::builder;

std::map<SurfaceKind, int> kinds(const SolidGeom& s) {
    std::map<SurfaceKind, int> k;
    for (const FaceGeom& f : s.faces()) ++k[f.kind()];
    return k;
}

std::map<int, int> colours(const SolidGeom& s) {
    std::map<int, int> c;
    for (int colour : s.faceColours()) ++c[colour];
    return c;
}

TEST(BuilderExamples, ShippedStepFilesMatchTheirBuilders) {
    const char* writeTo = std::getenv("FX_WRITE_EXAMPLES");
    std::vector<ExamplePart> examples = exampleParts();
    ASSERT_GE(examples.size(), 3u);
    for (const ExamplePart& ex : examples) {
        SCOPED_TRACE(ex.name);
        BuiltPart part = ex.builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        EXPECT_TRUE(part.solid.isValid());
        for (std::size_t h = 0; h < part.holes.size(); ++h)
            EXPECT_FALSE(part.holeFaces[h].empty()) << part.holes[h].name;
        if (writeTo && *writeTo) {
            std::string path = std::string(writeTo) + "/" + ex.name + ".step";
            ASSERT_EQ(exportStep({{part.solid, ex.name, kNoColour}}, path), "");
        }

        StepImport in = importStep(std::string(FX_SOURCE_DIR) + "/data/examples/" + ex.name + ".step");
        ASSERT_TRUE(in.ok()) << in.error;
        ASSERT_EQ(in.solids.size(), 1u);
        const SolidGeom& s = in.solids[0].solid;
        EXPECT_EQ(in.solids[0].name, ex.name);
        EXPECT_EQ(s.faces().size(), part.solid.faces().size());
        EXPECT_EQ(kinds(s), kinds(part.solid));
        EXPECT_EQ(colours(s), colours(part.solid));
        EXPECT_NEAR(s.volume(), part.solid.volume(), 1e-6 * part.solid.volume());
    }
}

TEST(BuilderExamples, ShippedTestPartsMatchTheirBuilders) {
    const char* writeTo = std::getenv("FX_WRITE_TEST_PARTS");
    for (const TestPart& test : testParts()) {
        SCOPED_TRACE(test.name);
        std::vector<StepSolid> built;
        for (const auto& [name, builder] : test.solids) {
            BuiltPart part = builder.build();
            ASSERT_TRUE(part.ok()) << name << ": " << part.error;
            EXPECT_TRUE(part.solid.isValid()) << name;
            built.push_back({part.solid, name, kNoColour});
        }
        const std::string path = std::string(FX_SOURCE_DIR) + "/tests/data/repros/" + test.name + ".stp";
        if (writeTo && *writeTo) {
            ASSERT_EQ(exportStep(built, std::string(writeTo) + "/" + test.name + ".stp"), "");
        }

        StepImport in = importStep(path);
        ASSERT_TRUE(in.ok()) << in.error;
        ASSERT_EQ(in.solids.size(), built.size());
        for (std::size_t i = 0; i < built.size(); ++i) {
            const SolidGeom& s = in.solids[i].solid;
            EXPECT_EQ(in.solids[i].name, built[i].name);
            EXPECT_EQ(kinds(s), kinds(built[i].solid));
            EXPECT_NEAR(s.volume(), built[i].solid.volume(), 1e-6 * built[i].solid.volume());
        }
    }
}

}  // namespace
