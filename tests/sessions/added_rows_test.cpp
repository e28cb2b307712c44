// Holes whose measures Execute adds to the table library as new rows, as a user meets them in the README's
// main job through hostcam on parts handed over as STEP: each gets its row's process and the listing drills
// it at its place through the part, a hole the recognition cut into halves from both sides until the halves
// meet. A hole that its table cannot give a process is counted in the run's summary with the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "host/builder/part_builder.h"
#include "host/geom/step_io.h"
#include "host/state.h"
#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "support/main_job.h"
#include "support/nc_reader.h"

namespace {

namespace hb = host::builder;
const host::Vec3 kDown{0, 0, -1}, kUp{0, 0, 1};

// The built part as a STEP file in the test's folder.
std::string stepOf(const TempDir& dir, const hb::PartBuilder& builder, const std::string& title) {
    const hb::BuiltPart part = builder.build();
    EXPECT_TRUE(part.ok()) << part.error;
    const std::string path = dir.path() + "/" + title + ".step";
    EXPECT_EQ(host::exportStep({{part.solid, title, host::kNoColour}}, path), "");
    return path;
}

// The main job on the part; the host is left fresh for the next.
MainJobRun mainJob(const std::string& part) {
    TempDir dir;
    MainJobRun run = runMainJob(dir, kMainSession, part, "part");
    host::reset();
    plat::driver().reset();
    return run;
}

struct PLACE {
    double x, y;
    bool halves;   // cut into two halves, drilled from the top and from the bottom
};

struct PART_CASE {
    const char* what;
    std::function<hb::PartBuilder()> part;
    double top;   // the part's top face; its bottom lies at 0
    std::vector<PLACE> places;
};

// The cycles of one side at a place: how many, the deepest world height they reach, and whether each goes
// into the material from its face with its R plane above its depth.
struct SIDE {
    int cycles = 0;
    double deepest;
    bool eachCuts = true;
};

SIDE sideAt(const NC_PROGRAM& program, const PLACE& place, double face, int up) {
    SIDE side{0, up > 0 ? std::numeric_limits<double>::max() : -std::numeric_limits<double>::max()};
    for (const NC_HOLE& h : program.holes) {
        if (std::hypot(h.world[0] - place.x, h.world[1] - place.y) > 1e-3 || std::fabs(h.worldAxis[2] - up) > 1e-6)
            continue;
        ++side.cycles;
        side.deepest = up > 0 ? std::min(side.deepest, h.world[2]) : std::max(side.deepest, h.world[2]);
        if (up * (face - h.world[2]) < 1e-3 || h.r - h.at[2] < 1e-3) side.eachCuts = false;
    }
    return side;
}

// Countersunk holes in a thin sheet, through holes chamfered at both ends (and one under a counterbore) that
// the recognition cuts into halves, and a wide bore under a countersink: the drilled table would take each
// too, by its chamfer, but the row goes into the countersunk table, and the hole (or half) takes it there.
TEST(AddedRows, EachHoleGetsItsRowsProcessAndIsDrilledThroughEachHalfToWhereTheyMeet) {
    const PART_CASE cases[] = {
        {"countersunk through holes in a 1.5 sheet",
         [] {
             hb::PartBuilder b = hb::PartBuilder::block({100, 30, 1.5});
             for (double x : {15.0, 25.0, 35.0}) b.hole(hb::countersunk("cs", {x, 15, 1.5}, kDown, 2.4, 4.4, 90));
             return b;
         },
         1.5, {{15, 15, false}, {25, 15, false}, {35, 15, false}}},
        {"through holes chamfered at both ends, one under a counterbore",
         [] {
             hb::PartBuilder b = hb::PartBuilder::block({60, 30, 10});
             for (double x : {10.0, 20.0})
                 b.hole(hb::holeAt("c", {x, 15, 10}, kDown).chamfer(4.3, 3.3, 90).throughCylinder(3.3))
                     .hole(hb::farChamfer("c below", {x, 15, 0}, kUp, 3.3, 0.5));
             b.hole(hb::counterbored("cb", {45, 15, 10}, kDown, 3.35, 6.3, 3))
                 .hole(hb::farChamfer("cb below", {45, 15, 0}, kUp, 3.35, 0.5));
             return b;
         },
         10, {{10, 15, true}, {20, 15, true}, {45, 15, true}}},
        {"a 33.4 bore 34.4 long under a countersink, chamfered below",
         [] {
             hb::PartBuilder b = hb::PartBuilder::block({80, 80, 34.4});
             return b.hole(hb::holeAt("bore", {40, 40, 34.4}, kDown).chamfer(37.4, 33.4, 90).throughCylinder(33.4))
                 .hole(hb::farChamfer("bore below", {40, 40, 0}, kUp, 33.4, 1));
         },
         34.4, {{40, 40, true}}},
    };
    for (const PART_CASE& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const MainJobRun run = mainJob(stepOf(dir, c.part(), "part"));
        ASSERT_EQ(run.code, 0) << run.err << run.out;
        EXPECT_EQ(run.out.find("have no process"), std::string::npos) << run.out;
        // A tool made for both halves goes into the library once.
        std::set<std::string> added;
        static const std::regex madeTool(R"(host\.library added .* number=\d+ (".*"))");
        for (std::sregex_iterator it(run.out.begin(), run.out.end(), madeTool), end; it != end; ++it)
            EXPECT_TRUE(added.insert((*it)[1].str()).second) << (*it)[1].str() << " added twice";
        EXPECT_FALSE(added.empty());
        const NC_PROGRAM program = readNcListing(run.nc);
        EXPECT_TRUE(program.errors.empty()) << program.errors.front();
        for (const PLACE& place : c.places) {
            SCOPED_TRACE(std::to_string(place.x) + ", " + std::to_string(place.y));
            // From each side it is drilled from: a spot drill, a drill and the countersink's, chamfer's or
            // counterbore's tool, each into the material.
            const SIDE top = sideAt(program, place, c.top, 1);
            EXPECT_EQ(top.cycles, 3);
            EXPECT_TRUE(top.eachCuts);
            if (!place.halves) {
                EXPECT_LT(top.deepest, 0) << "not drilled through";
                continue;
            }
            const SIDE bottom = sideAt(program, place, 0, -1);
            EXPECT_EQ(bottom.cycles, 3);
            EXPECT_TRUE(bottom.eachCuts);
            EXPECT_LE(top.deepest, bottom.deepest) << "the halves' drills do not meet";
        }
    }
}

// A hole its table cannot give operations: it is left unmade, and the summary counts it with the reason
// (whatever the settings; what the run met is told as it meets it too): its row names no process of the
// table, or one whose only operation does not apply to the hole (a reamer in a plain bore), or one whose
// tool diameter comes out at 0 (the bore's diameter less 8).
TEST(AddedRows, AHoleItsTableGivesNoProcessIsCountedInTheSummaryWithTheReason) {
    const std::string tables = privateModule().substr(0, privateModule().rfind('/')) + "/Forantix/FORMS_MM/Standard";
    const std::string shipped = readWholeFile(tables + "/Drilled.txt");
    const std::string d8 = "D8 8 1 (0,0,6,10,16,25,40)";
    ASSERT_NE(shipped.find(d8), std::string::npos);
    const std::string process = readWholeFile(tables + "/Drilled.tab");
    const std::string ream = "[1 3] 6 1 2 0 0 0.0000 1 0 0 0 0.0000 1 0 1 0 0.0000 0 0 0 30.0000 {} 4 0 0.0000 0 "
                             "0.0000 0 0 0 0.000000 0 0.000000 0 0.0000 0.0000 {} 0 0 0 0 0.0000 0 0 0 0 {} 0\r\n";
    ASSERT_NE(process.find(ream), std::string::npos);
    // Process 8 reams alone; process 9 drills with its tool's diameter offset by -8, the offset on.
    std::ofstream(tables + "/Drilled.tab", std::ios::binary)
        << process << "[8 1]" << ream.substr(5)
        << "[9 1] 3 1 2 0 0 8.0000 1 0 0 0 0.0000 1 0 1 0 0.0000 0 0 0 30.0000 {} 1 0 0.0000 0 0.0000 0 0 1 "
           "-8.000000 0 0.000000 0 0.0000 0.0000 {} 0 0 0 0 0.0000 0 0 0 0 {} 0\r\n";
    const std::string namesNone = "2 holes have no process: their row names none that their table has.";
    struct CASE {
        const char* what;
        const char* d8Row;   // the Drilled table's row for the holes
        hb::HoleSpec hole;
        std::string told;
    } cases[] = {
        {"the row names none", "D8 8", hb::throughHole("d8", {}, kDown, 8), namesNone},
        {"the table lacks the one it names", "D8 8 7", hb::throughHole("d8", {}, kDown, 8), namesNone},
        {"its only operation does not apply", "D8 8 8", hb::throughHole("d8", {}, kDown, 8),
         "2 holes have no operations: none of the operations of the process their row names applies to them."},
        {"its tool diameter comes out at 0", "D8 8 9", hb::throughHole("d8", {}, kDown, 8),
         "2 holes have no operations: a tool diameter their process computes for them is below 0.025."},
    };
    for (CASE& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(tables + "/Drilled.txt", std::ios::binary) << replaceAll(shipped, d8, c.d8Row);
        TempDir dir;
        hb::PartBuilder part = hb::PartBuilder::block({60, 30, 10});
        for (double x : {15.0, 40.0}) {
            c.hole.entry = {x, 15, 10};
            part.hole(c.hole);
        }
        const MainJobRun run = mainJob(stepOf(dir, part, "part"));
        ASSERT_EQ(run.code, 0) << run.err << run.out;
        EXPECT_NE(run.out.find(c.told), std::string::npos) << run.out;
        EXPECT_EQ(readNcListing(run.nc).holes.size(), 0u) << run.nc;
    }
}

// A library that refuses every change: the rows added for the holes cannot be stored, and serve the run that
// made them, so each hole gets its row's process all the same; the library stays as it was. The rows go
// into the countersunk table for the countersinks (the second, from below, finding the first's row) and
// into the counterbore table the adaptable search widens for the chamfered counterbore.
TEST(AddedRows, ARowThatCannotBeStoredServesTheRunThatMadeIt) {
    const std::string tables = privateModule().substr(0, privateModule().rfind('/')) + "/Forantix/FORMS_MM/Standard";
    std::vector<std::pair<std::string, std::string>> library;
    for (const char* file : {"Countersunk.txt", "Countersunk.tab", "Counterbored.txt", "Counterbored.tab"})
        library.emplace_back(file, readWholeFile(tables + "/" + file));
    TempDir dir;
    hb::PartBuilder part = hb::PartBuilder::block({80, 30, 10});
    part.hole(hb::countersunk("cs", {15, 15, 10}, kDown, 2.4, 4.4, 90))
        .hole(hb::countersunk("cs below", {35, 15, 0}, kUp, 2.4, 4.4, 90))
        .hole(hb::holeAt("cb", {60, 15, 10}, kDown).chamfer(14, 12, 100).cylinder(12, 5).throughCylinder(7.7));
    const std::string step = stepOf(dir, part, "part");
    // The main job, with each message that a table could not be written read and gone past.
    const std::string session = dir.path() + "/execute.session";
    const std::string told = "? answer IDOK\n";
    std::ofstream(session, std::ios::binary) << replaceAll(readWholeFile(kMainSession), told, told + told + told + told);
    plat::refuseChangesUnder(tables);
    TempDir runDir;
    const MainJobRun run = runMainJob(runDir, session, step, "part");
    host::reset();
    plat::driver().reset();
    plat::refuseChangesUnder("");
    ASSERT_EQ(run.code, 0) << run.err << run.out;
    EXPECT_EQ(run.out.find("have no process"), std::string::npos) << run.out;
    const NC_PROGRAM program = readNcListing(run.nc);
    EXPECT_TRUE(program.errors.empty()) << program.errors.front();
    // A spot drill, a drill and the countersink's or counterbore's tool, each into the material.
    for (const auto& [place, face, up] : {std::tuple{PLACE{15, 15, false}, 10.0, 1},
                                          std::tuple{PLACE{35, 15, false}, 0.0, -1},
                                          std::tuple{PLACE{60, 15, false}, 10.0, 1}}) {
        SCOPED_TRACE(std::to_string(place.x));
        const SIDE side = sideAt(program, place, face, up);
        EXPECT_EQ(side.cycles, 3) << run.nc;
        EXPECT_TRUE(side.eachCuts);
    }
    for (const auto& [file, bytes] : library) EXPECT_EQ(readWholeFile(tables + "/" + file), bytes) << file;
}

}  // namespace
