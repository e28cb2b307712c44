// The main job through hostcam where an angle or the stock decides what is made: a cone's taper mill and a
// rounded edge's tool taken from the tool library, a chamfer mill's depth, a spot drill a process names, and
// the clearance above a stock block anchored at any of its corners and turned.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "host/builder/part_builder.h"
#include "host/geom/step_io.h"
#include "host/state.h"
#include "host/tools/tool_library.h"
#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "support/host_folder.h"
#include "support/main_job.h"
#include "support/nc_reader.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace host::builder;

const std::string kModule = privateModule();

class AnglesAndStock : public testing::Test {
protected:
    void SetUp() override {
        resetPrivateModule();
        hostDir = copyShippedHostFolder(dir.path());
        ASSERT_FALSE(hostDir.empty());
        library = hostDir + "/Mill/Tools/Mill_mm.Tools";
    }
    void TearDown() override {
        host::reset();
        plat::driver().reset();
    }
    // A fresh host, the module's folder as installed and the shipped host folder: the next run sees no table,
    // settings or tool of this one.
    void next() {
        host::reset();
        plat::driver().reset();
        resetPrivateModule();
        std::filesystem::remove_all(hostDir);
        ASSERT_EQ(copyShippedHostFolder(dir.path()), hostDir);
    }

    // A 60 x 60 x 20 block with one hole from the top at (30, 30): a 90 degree chamfer of 26 over a 22 bore 4
    // deep (or, rounded, the bore's edge rounded by 2), then a cone of 22 down to 16 over 6 (53.13 degrees),
    // and 16 through. No table of the library fits it: the run gives it a new one that mills the cone and
    // the chamfer or the rounded edge.
    std::string taperedPart(bool rounded = false) {
        HoleSpec hole = holeAt("taper", {30, 30, 20}, {0, 0, -1});
        if (rounded) hole.entryFillet = 2;
        else hole.chamfer(26, 22, 90);
        hole.cylinder(22, 4).cone(22, 16, 6).throughCylinder(16);
        const BuiltPart part = PartBuilder::block({60, 60, 20}).hole(hole).build();
        EXPECT_TRUE(part.ok()) << part.error;
        const std::string path = dir.path() + (rounded ? "/rounded.step" : "/tapered.step");
        host::StepSolid solid;
        solid.solid = part.solid;
        solid.name = "tapered";
        EXPECT_EQ(host::exportStep({solid}, path), "");
        return path;
    }

    // Execute, then the operations of the top view's group made from the process tree's menu of the view.
    // The work cycle waits for the host then, so the part is not saved.
    MainJobRun runGroupJob(const std::string& part) {
        return runAfterExecute(part, "tree-rclick 18021 4003 \"(Group 0)  TOP\"\nmenu 11\n");
    }

    // Execute, then what the session's steps do in the process tree; the listing of what they made.
    MainJobRun runAfterExecute(const std::string& part, const std::string& steps) {
        const std::string session = dir.path() + "/group.session";
        std::ofstream(session) << "invoke\nclick 18048 18007\n? click 18036 1\n" << steps;
        MainJobRun run;
        std::ostringstream out, err;
        run.code = host::hostcamMain({"--plugin", kModule, "--host-dir", hostDir, "--open", part, "--session", session,
                                      "--nc", dir.path() + "/group.nc"},
                                     out, err);
        run.out = out.str();
        run.err = err.str();
        run.operations = host::dumpOperations();
        run.groups = host::dumpGroups();
        run.nc = readWholeFile(dir.path() + "/group.nc");
        return run;
    }

    void addToLibrary(tp_tool tool) {
        std::vector<tp_tool> tools;
        std::string message;
        ASSERT_TRUE(host::tools::readToolLibrary(library, tools, message)) << message;
        ASSERT_TRUE(host::tools::addTool(tools, tool, 0));
        ASSERT_TRUE(host::tools::writeToolLibrary(library, tools, message)) << message;
    }

    TempDir dir;
    std::string hostDir, library;
};

// The operation block of one tool type in the operations dump: from its "tool ... type=N" line to the next
// operation.
std::vector<std::string> operationsOfType(const std::string& dump, int type) {
    std::vector<std::string> found;
    const std::string marker = " type=" + std::to_string(type) + " ";
    for (std::size_t at = dump.find("\nop "); at != std::string::npos;) {
        const std::size_t end = dump.find("\nop ", at + 1);
        const std::string op = dump.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (op.find(marker) != std::string::npos) found.push_back(op);
        at = end;
    }
    return found;
}

}  // namespace

// A cone's taper mill and a rounded edge's corner-rounding mill come from the library when it holds one of
// the diameter the process gives the operation (8 and 11 on this hole): a taper mill of the cone's angle
// (twice its flank angle within 0.05 degree) and a rounding tool of the edge's radius. Otherwise each is made.
TEST_F(AnglesAndStock, AConesTaperMillAndARoundedEdgesToolComeFromTheLibraryWhenTheyFit) {
    struct CASE {
        double flankDeg, radius;             // of the library's taper mill and rounding tool
        const char *taper, *rounding;        // the tools in the listing
    } cases[] = {
        {26.57, 2, "TAPER MILL 8X26.57DEG D8.", "CORNER RADIUS MILL 11 R2 D11."},
        {5, 3, "** 8.00 X 11.96 CONICAL MILL  D8.", "** 11.00 X 3.00 CORNER ROUNDING MILL  D11."},
    };
    const std::string part = taperedPart(true);
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.taper);
        std::vector<tp_tool> tools;
        std::string message;
        ASSERT_TRUE(host::tools::readToolLibrary(library, tools, message)) << message;
        const auto shipped = [&](std::int16_t type) {
            const auto it = std::find_if(tools.begin(), tools.end(), [&](const tp_tool& t) { return t.type == type; });
            EXPECT_NE(it, tools.end());
            tp_tool t = it != tools.end() ? *it : tp_tool{};
            t.slot = t.number = 0;
            return t;
        };
        tp_tool taper = shipped(17);
        taper.diameter = taper.secondDiameter = 8;
        taper.angle = c.flankDeg;
        std::snprintf(taper.name, sizeof taper.name, "TAPER MILL 8x%gDEG", c.flankDeg);
        addToLibrary(taper);
        tp_tool rounding = shipped(15);
        rounding.diameter = rounding.secondDiameter = 11;
        rounding.cornerRadius = c.radius;
        std::snprintf(rounding.name, sizeof rounding.name, "CORNER RADIUS MILL 11 R%g", c.radius);
        addToLibrary(rounding);
        const MainJobRun run = runMainJob(dir, kMainSession, part, "tapered");
        ASSERT_EQ(run.code, 0) << run.err << run.out;
        EXPECT_EQ(operationsOfType(run.operations, 17).size(), 1u) << run.operations;
        EXPECT_EQ(operationsOfType(run.operations, 15).size(), 1u) << run.operations;
        const std::regex toolLine(R"(\(T(\d+) ([^\n]*)\)\nN\d+ T\d+ M6\n)");
        std::vector<std::string> listed;
        for (std::sregex_iterator it(run.nc.begin(), run.nc.end(), toolLine), end; it != end; ++it)
            listed.push_back((*it)[2].str());
        for (const char* tool : {c.taper, c.rounding})
            EXPECT_NE(std::find(listed.begin(), listed.end(), tool), listed.end()) << tool << "\n" << run.nc;
        next();
    }
}

// The hole's 90 degree chamfer of 26 over its 22 bore is 2 high and 2 wide: the chamfer mill enters beside
// the edge and goes a fifth of the chamfer's height below its foot, its tip 2.4 - 2 below the top (Z 20).
TEST_F(AnglesAndStock, AChamferMillsTipGoesAFifthOfTheChamferBelowItsFoot) {
    // The view's group made from the tree, and the hole's position made alone from its points list: the
    // latter reads the table's milling definition afresh for the host operation.
    const char* const paths[] = {
        "tree-rclick 18021 4003 \"(Group 0)  TOP\"\nmenu 11\n",
        "tree-rclick 18021 4003 \"(Group 0)  TOP/_Forantix_3d_1 **22x6; measures added to the table - 1\"\nmenu 4\n"
        "tree-rclick 18009 4005 \"X30.00 Y30.00 Z20.00\"\nmenu 2\n",
    };
    const std::string part = taperedPart();
    for (const char* steps : paths) {
        SCOPED_TRACE(steps);
        next();
        const MainJobRun run = runAfterExecute(part, steps);
        ASSERT_EQ(run.code, 0) << run.err << run.out;
        std::smatch tool;
        ASSERT_TRUE(std::regex_search(run.nc, tool, std::regex(R"(\(T(\d+) [^)]*CHAMFER MILL)"))) << run.nc;
        const NC_PROGRAM program = readNcListing(run.nc);
        EXPECT_TRUE(program.errors.empty());
        double lowest = 1e9;
        for (const NC_HOLE& h : program.holes)
            if (h.tool == std::stoi(tool[1].str())) lowest = std::min(lowest, h.at[2]);
        EXPECT_NEAR(lowest, 19.6, 1e-9) << run.nc;
    }
}

// The example plate (120 x 80, its top at Z 12) in a stock block of 130 x 90 x 28 whose highest point is at
// Z 20: every operation's clearance is the stock's top plus the clearance addition (5), whichever corner the
// origin names and however the block's axes are turned. The origins are those the anchors name: 1-4 the
// top corners, 5-8 the bottom ones.
TEST_F(AnglesAndStock, TheClearanceStaysAboveTheStockWhereverItsOriginIsAnchoredAndHoweverItIsTurned) {
    constexpr double kUpright[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    // Upside down: its top face at the bottom, its Z going down.
    constexpr double kUpsideDown[3][3] = {{1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
    // A quarter turn about the world's Y: its X going down, its Z along the world's X.
    constexpr double kOnItsSide[3][3] = {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}};
    struct CASE {
        int anchor;
        double origin[3];
        const double (*axes)[3];
        double size[3] = {130, 90, 28};
    } cases[] = {
        {0, {60, 40, 20}, kUpright},   {1, {-5, 85, 20}, kUpright},  {2, {125, 85, 20}, kUpright},
        {3, {125, -5, 20}, kUpright},  {4, {-5, -5, 20}, kUpright},  {5, {-5, 85, -8}, kUpright},
        {6, {125, 85, -8}, kUpright},  {7, {125, -5, -8}, kUpright}, {8, {-5, -5, -8}, kUpright},
        // Upside down, the stock's own top (Z 8 in its axes) lies at world Z -8 and its bottom at 20.
        {0, {60, -40, 8}, kUpsideDown}, {7, {125, -85, -20}, kUpsideDown},
        // On its side, its own X runs down from world Z 20 and its own top lies at world X 125.
        {2, {8, 85, 125}, kOnItsSide, {28, 90, 130}},
    };
    TempDir parts;
    for (const CASE& c : cases) {
        SCOPED_TRACE("anchor " + std::to_string(c.anchor) + (c.axes == kUpright ? "" : " turned"));
        next();
        ASSERT_EQ(host::openStepAsPart(kPlate), "");
        host::setStock(c.size, c.origin, c.anchor);
        op_group* machine = GroupsMachineGroup(nullptr);
        ASSERT_NE(machine, nullptr);
        std::copy(&c.axes[0][0], &c.axes[0][0] + 9, &machine->machine.stock.matrix[0][0]);
        const std::string part = parts.path() + "/stocked.pfp";
        ASSERT_TRUE(host::savePart(part).ok);
        // The process tree's operations of every view, those of the view's group, and those of one hole's
        // position made alone from its points list (the run with heights of its own).
        const std::string pointsList = "tree-rclick 18021 4003 \"(Group 0)  TOP/Stepped S12-8-5 - 1\"\nmenu 4\n"
                                       "tree-rclick 18009 4005 \"X65.00 Y45.00 Z12.00\"\nmenu 2\n";
        for (const char* path : {"tree", "group", "points list"}) {
            SCOPED_TRACE(path);
            next();
            const std::string_view which = path;
            const MainJobRun run = which == "tree"    ? runMainJob(dir, kMainSession, part, "stocked")
                                   : which == "group" ? runGroupJob(part)
                                                      : runAfterExecute(part, pointsList);
            ASSERT_EQ(run.code, 0) << run.err << run.out;
            std::size_t heights = 0;
            for (std::size_t at = run.operations.find("heights clearance="); at != std::string::npos;
                 at = run.operations.find("heights clearance=", at + 1), ++heights)
                EXPECT_EQ(run.operations.compare(at, 30, "heights clearance=1:25 retract"), 0)
                    << run.operations.substr(at, 60);
            EXPECT_GT(heights, which == "points list" ? 1u : 10u);
        }
        next();
    }
}

// The plate's drilled holes take the process of "Drilled", whose first operation spots with the tool it
// names; the spot of the 8 through hole at (15, 15), whose top is Z 12, reaches as deep as the tool's
// point angle makes it.
TEST_F(AnglesAndStock, ASpotDrillAProcessNamesSpotsToTheDepthOfItsPointAngle) {
    struct CASE {
        const char* tool;
        double z;   // the spot's bottom in the listing
    } cases[] = {{"SPOT DRILL 10x90", 9.6}, {"CENTRE DRILL A2.5", 9.6}};
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.tool);
        resetPrivateModule();
        const std::string table = (fs::path(kModule).parent_path() / "Forantix/FORMS_MM/Standard/Drilled.tab").string();
        std::string text = plat::readFile(table).value_or("");
        const std::size_t line = text.find("[1 1] ");
        ASSERT_NE(line, std::string::npos);
        const std::size_t from = line + 6, end = text.find("\r\n", from);
        std::vector<std::string> fields;
        for (std::size_t at = from; at < end;) {
            const std::size_t blank = std::min(text.find(' ', at), end);
            fields.push_back(text.substr(at, blank - at));
            at = blank + 1;
        }
        ASSERT_EQ(fields.size(), 47u);
        fields[1] = "2";   // the tool by name
        fields[35] = "{" + std::regex_replace(std::string(c.tool), std::regex(" "), "\x04") + "}";
        std::string joined;
        for (const std::string& f : fields) joined += (joined.empty() ? "" : " ") + f;
        text.replace(from, end - from, joined);
        ASSERT_TRUE(plat::writeFile(table, text));
        const MainJobRun run = runMainJob(dir);
        ASSERT_EQ(run.code, 0) << run.err << run.out;
        const NC_PROGRAM program = readNcListing(run.nc);
        std::string listed = c.tool;   // the listing's comments are in capitals
        std::transform(listed.begin(), listed.end(), listed.begin(), [](unsigned char k) { return std::toupper(k); });
        std::smatch named;
        ASSERT_TRUE(std::regex_search(run.nc, named, std::regex(R"(\(T(\d+) )" + listed + " D"))) << run.nc;
        const auto spot = std::find_if(program.holes.begin(), program.holes.end(), [&](const NC_HOLE& h) {
            return h.tool == std::stoi(named[1].str()) && h.at[0] == 15 && h.at[1] == 15;
        });
        ASSERT_NE(spot, program.holes.end()) << run.nc;
        EXPECT_EQ(spot->cycle, "G81");
        EXPECT_NEAR(spot->at[2], c.z, 1e-9) << run.nc;
        next();
    }
}


// A table whose process is a spot drill alone, its depth the share of "the next operation's" diameter that
// the shipped spot drill has (30 %): with no operation after it, the share is of the hole's own diameter, so
// each hole of a block far above the origin is marked 2.4 below its mouth, in the top view (heights above
// the view's origin) and in the bottom view (heights below it) alike, not at its plane's origin height.
TEST_F(AnglesAndStock, ASpotDrillAloneMarksEachHoleBelowItsOwnMouth) {
    const BuiltPart part = PartBuilder::block({60, 40, 20}, {100, 40, 40})
                               .hole(blindTipped("from the top", {115, 55, 60}, {0, 0, -1}, 8, 10))
                               .hole(blindTipped("from below", {145, 65, 40}, {0, 0, 1}, 8, 10))
                               .build();
    ASSERT_TRUE(part.ok()) << part.error;
    host::StepSolid solid;
    solid.solid = part.solid;
    solid.name = "marked";
    const std::string path = dir.path() + "/marked.step";
    ASSERT_EQ(host::exportStep({solid}, path), "");
    const std::string table = (fs::path(kModule).parent_path() / "Forantix/FORMS_MM/Standard/Drilled.tab").string();
    const std::string text = plat::readFile(table).value_or("");
    const std::size_t drill = text.find("[1 2] ");
    ASSERT_NE(drill, std::string::npos);
    ASSERT_TRUE(plat::writeFile(table, text.substr(0, drill)));   // the spot drill [1 1] alone

    const MainJobRun run = runMainJob(dir, kMainSession, path, "marked");
    ASSERT_EQ(run.code, 0) << run.err << run.out;
    const NC_PROGRAM program = readNcListing(run.nc);
    struct MARK {
        double world[3];   // the spot's point
        double height;     // its depth in its view's plane
    } const marks[] = {{{115, 55, 57.6}, 57.6}, {{145, 65, 42.4}, -42.4}};
    ASSERT_EQ(program.holes.size(), std::size(marks)) << run.nc;
    for (const MARK& m : marks) {
        const auto spot = std::find_if(program.holes.begin(), program.holes.end(), [&](const NC_HOLE& h) {
            return std::hypot(h.world[0] - m.world[0], h.world[1] - m.world[1]) < 1e-6;
        });
        ASSERT_NE(spot, program.holes.end()) << run.nc;
        EXPECT_EQ(spot->cycle, "G81");
        EXPECT_NEAR(spot->world[2], m.world[2], 1e-9) << run.nc;
        EXPECT_NEAR(spot->at[2], m.height, 1e-9) << run.nc;
        EXPECT_GT(spot->r, spot->at[2] + 2.4) << run.nc;
    }
}
