// A part as CAD systems leave it in an assembly, turned in space, gets what the same part placed square
// gets: the same tools made at the same lengths and the same heights in its listing. Its curved faces'
// heights in the turned views come from the faces themselves, not from the corners of their boxes along the
// world's axes, which a turned view sees far above and below them.
#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "host/builder/part_builder.h"
#include "host/geom/step_io.h"
#include "host/state.h"
#include "platform/ui/driver.h"
#include "support/main_job.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

namespace {

using namespace host::builder;

// A block rounded along its edges, holes from its top beside a boss rounded at its foot and in it, and a hole
// from a side: the faces rising above a hole's mouth are cylinders, tori and spheres as well as planes.
BuiltPart squarePart() {
    PartBuilder b = PartBuilder::block({80, 50, 20});
    b.roundStockEdges(4);
    b.boss({{55, 25, 20}, {0, 0, 1}, 16, 12, 2});
    b.hole(blindTipped("small", {20, 15, 20}, {0, 0, -1}, 2, 6));
    b.hole(throughHole("through", {20, 35, 20}, {0, 0, -1}, 5));
    b.hole(counterbored("bored", {35, 25, 20}, {0, 0, -1}, 6.6, 11, 6.5));
    b.hole(blindTipped("boss", {55, 25, 32}, {0, 0, -1}, 4.2, 10));
    b.hole(blindTipped("side", {0, 25, 10}, {1, 0, 0}, 3.3, 12));
    const BuiltPart part = b.build();
    EXPECT_TRUE(part.ok()) << part.error;
    return part;
}

struct LISTING {
    std::vector<std::string> tools;     // the tool lines, as made or taken
    std::vector<std::string> heights;   // each cycle's and each approach's heights, by operation
};

// What of the listing does not depend on where the part stands: the tools, and the heights in each view
// (Z, R, Q and the feed of each cycle, the approach's Z), sorted: the views' own axes across and their
// order may differ.
LISTING listingOf(const std::string& nc) {
    static const std::regex tool(R"(^\(T\d+ (.*)\)$)");
    static const std::regex heights(R"(( [ZRQF]-?[\d.]+)+)");
    LISTING listing;
    std::istringstream in(nc);
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_match(line, m, tool)) listing.tools.push_back(m[1]);
        else if ((line.find(" G8") != std::string::npos || line.find(" G43 ") != std::string::npos) &&
                 std::regex_search(line, m, heights))
            listing.heights.push_back(m[0]);
    }
    std::sort(listing.tools.begin(), listing.tools.end());
    std::sort(listing.heights.begin(), listing.heights.end());
    return listing;
}

// The main job on the part written as a STEP file, in a folder of its own with the host folder and the
// module's tables as shipped.
MainJobRun runOn(const BuiltPart& part, const std::string& name) {
    resetPrivateModule();
    TempDir dir;
    const std::string step = dir.path() + "/" + name + ".step";
    EXPECT_EQ(host::exportStep({{part.solid, name, host::kNoColour}}, step), "");
    MainJobRun run = runMainJob(dir, kMainSession, step, name);
    host::reset();
    plat::driver().reset();
    return run;
}

TEST(TurnedPart, MakesTheToolsAndHeightsOfTheSamePartPlacedSquare) {
    const BuiltPart square = squarePart();
    ASSERT_TRUE(square.ok());
    const MainJobRun first = runOn(square, "square");
    ASSERT_EQ(first.code, 0) << first.err;
    const LISTING expected = listingOf(first.nc);
    ASSERT_FALSE(expected.tools.empty());
    ASSERT_GE(expected.heights.size(), 10u);
    // Turned about axes through the world's origin, where every view has its origin: a view's heights are
    // then the same as the square part's.
    const struct {
        const char* name;
        host::Vec3 axis;
        double angle;
    } rows[] = {
        {"turned about a slanted axis", {0.3, -0.5, 0.8}, 0.7},
        {"tipped forward", {1, 0, 0}, std::numbers::pi / 6},
        {"turned about the vertical", {0, 0, 1}, 0.4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const MainJobRun run = runOn(placedPart(square, {0, 0, 0}, row.axis, row.angle), "turned");
        ASSERT_EQ(run.code, 0) << run.err;
        const LISTING turned = listingOf(run.nc);
        EXPECT_EQ(turned.tools, expected.tools);
        EXPECT_EQ(turned.heights, expected.heights);
    }
}

}  // namespace
