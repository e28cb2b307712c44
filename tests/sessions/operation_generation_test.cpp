// Operation generation as the main job runs it through hostcam: Execute on the example plate, then "Create
// operations" in the process tree. The operations with their tools, groups, drill points and toolpaths, the
// drilling list, the machining-time report and the NC listing are compared with golden files
// (tests/sessions/golden; scripts/update_goldens.sh writes them again), and the NC listing is read back as a
// control would and held against the recognised holes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "hostapp/hostcam.h"
#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "support/golden.h"
#include "support/main_job.h"
#include "support/host_folder.h"
#include "support/nc_reader.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

namespace {

const std::string kModule = privateModule();
const std::string kGolden = std::string(FX_SOURCE_DIR) + "/tests/sessions/golden/";

// Entity ids, operation ids and group ids renumbered in the order they first appear, so that two
// generations that made the same things compare equal whatever ids the host handed out.
std::string withIdsInOrder(const std::string& dump) {
    static const std::regex id(R"((op |group=|group |point |surface |arc |line )(\d+))");
    std::map<std::string, std::map<std::string, int>> seen;
    std::string out;
    auto at = dump.cbegin();
    for (std::sregex_iterator it(dump.begin(), dump.end(), id), end; it != end; ++it) {
        const std::smatch& m = *it;
        out.append(at, m[0].first);
        const std::string kind = m[1].str() == "group " ? "group=" : m[1].str();
        auto& numbers = seen[kind == "op " || kind == "group=" ? kind : "entity"];
        const int n = numbers.emplace(m[2].str(), static_cast<int>(numbers.size()) + 1).first->second;
        out += m[1].str() + "#" + std::to_string(n);
        at = m[0].second;
    }
    out.append(at, dump.cend());
    return out;
}

// A settings file beside the private module, read by the next invocation: the sections given, the rest
// at their defaults.
void writeSettings(const std::string& sections) {
    std::string text;
    for (char c : sections) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string dir = kModule.substr(0, kModule.rfind('/'));
    std::ofstream(dir + "/Forantix_mm.prm", std::ios::binary) << text;
}

std::string writeSession(const TempDir& dir, const std::string& name, const std::string& steps) {
    const std::string path = dir.path() + "/" + name;
    std::ofstream(path) << steps;
    return path;
}

class MainJob : public testing::Test {
protected:
    void TearDown() override {
        host::reset();
        plat::driver().reset();
        // The settings a test wrote, or a run saved, beside the module: the next test starts from none.
        const std::string dir = kModule.substr(0, kModule.rfind('/'));
        for (const char* name : {"Forantix_mm.prm", "Forantix_mm.pr~", "Forantix_in.prm", "Forantix_in.pr~"})
            std::filesystem::remove(dir + "/" + name);
    }
};

TEST_F(MainJob, ThePlatesOperationsReportsAndListingAreTheGoldenOnes) {
    TempDir dir;
    const MainJobRun run = runMainJob(dir);
    ASSERT_EQ(run.code, 0) << run.err << run.out;
    expectGolden(kGolden + "holes_plate.ops.txt", withIdsInOrder(run.groups + run.operations));
    expectGolden(kGolden + "holes_plate.drilling_list.txt", run.drillingList);
    expectGolden(kGolden + "holes_plate.machining_time.txt", run.machiningTime);
    expectGolden(kGolden + "holes_plate.nc", run.nc);
}

// The STEP examples: every drilling direction's operations with their planes, tools and drill points, and
// the listing, in the golden files.
TEST_F(MainJob, TheStepExamplesOperationsAndListingsAreTheGoldenOnes) {
    for (const char* title : {"directions_block", "boss_part", "mixed_tolerance_plate", "sheet_flange"}) {
        SCOPED_TRACE(title);
        TempDir dir;
        const std::string session =
            writeSession(dir, "s.session", "invoke\nclick 18048 18007\nclick 18036 1\nclick 18021 4158\n");
        const MainJobRun run =
            runMainJob(dir, session, std::string(FX_SOURCE_DIR) + "/data/examples/" + title + ".step", title);
        ASSERT_EQ(run.code, 0) << run.err << run.out;
        expectGolden(kGolden + title + ".ops.txt", withIdsInOrder(run.groups + run.operations));
        expectGolden(kGolden + title + ".nc", run.nc);
        host::reset();
        plat::driver().reset();
    }
}

// Execute and "Create operations" run again on the saved part make the same operations: the first run's
// groups, operations, drill points and unused tools go, nothing of them is left or lost. The tools the run
// makes are not stored in the library, so that both runs choose the same tools.
TEST_F(MainJob, RunningExecuteAndCreateAgainMakesTheSameOperations) {
    writeSettings("[ProcessMachTool]\n2. 0\n");
    TempDir dir;
    const MainJobRun first = runMainJob(dir);
    ASSERT_EQ(first.code, 0) << first.err;
    const std::string session =
        writeSession(dir, "again.session", "invoke\nclick 18048 18007\nclick 18036 1\nclick 18021 4158\n");
    host::reset();
    plat::driver().reset();
    const MainJobRun second = runMainJob(dir, session, dir.path() + "/holes_plate.pfp", "again");
    ASSERT_EQ(second.code, 0) << second.err;
    EXPECT_NE(second.out.find("host.deleteGroup"), std::string::npos);
    EXPECT_EQ(withIdsInOrder(second.groups + second.operations), withIdsInOrder(first.groups + first.operations));
    // The listing differs only in its program name and the host's operation numbers.
    const auto listing = [](const std::string& nc) {
        return std::regex_replace(nc.substr(nc.find('\n', 4)), std::regex(R"(\(OP \d+ )"), "(OP # ");
    };
    EXPECT_EQ(listing(second.nc), listing(first.nc));
    // The drill points: one per hole, the first run's gone.
    EXPECT_NE(first.out.find("holes_plate.pfp: points 11,"), std::string::npos) << first.out;
    EXPECT_NE(second.out.find("again.pfp: points 11,"), std::string::npos) << second.out;
}

// A group note placed for the top view moves its operations' origin to the picked point: a named view is
// made for it ("TOP - TP origin" and its number) and the listing's heights are measured from there.
TEST_F(MainJob, AGroupNoteGivesTheViewsOperationsTheirOrigin) {
    TempDir dir;
    const std::string session =
        writeSession(dir, "note.session",
                     "invoke\nclick 18048 18007\nclick 18036 1\ntree-rclick 18021 4003 \"(Group 0)  TOP\"\nmenu 3\n"
                     "point 0 0 12\nclick 18021 4158\n");
    const MainJobRun run = runMainJob(dir, session);
    ASSERT_EQ(run.code, 0) << run.err << run.out;
    EXPECT_NE(run.out.find("host.prompt \"Place the group note: Operations of TOP\\n\""), std::string::npos);
    EXPECT_NE(run.out.find("host.view named 7 \"TOP - TP origin 7\" view=1"), std::string::npos) << run.out;
    EXPECT_NE(run.nc.find("(G54 = PLANE X 1.,0.,0. Y 0.,1.,0. Z 0.,0.,1. ORIGIN 0.,0.,12.)"), std::string::npos)
        << run.nc;
    // The plate's top is the plane's zero: the clearance 5 above it, the retract plane 2.
    EXPECT_NE(run.nc.find("G43 H131 Z5. M8"), std::string::npos) << run.nc;
    EXPECT_NE(run.nc.find("G98 G81 X15. Y15. Z-2.4 R2."), std::string::npos) << run.nc;
}

// The settings leave kinds out: with only spot and centre drills made (ProcessMach 3 = 1) every operation
// is a spot drilling, and the drilling list still lists the others, not marked as created.
TEST_F(MainJob, TheSettingsLeaveKindsOfOperationsOut) {
    writeSettings("[ProcessMach]\n3. 1\n");
    TempDir dir;
    const MainJobRun run = runMainJob(dir);
    ASSERT_EQ(run.code, 0) << run.err;
    const NC_PROGRAM program = readNcListing(run.nc);
    ASSERT_FALSE(program.holes.empty());
    for (const NC_HOLE& h : program.holes) EXPECT_EQ(h.cycle, "G81");
    EXPECT_EQ(run.operations.find("type=3"), std::string::npos);
    // The drill left out still lists its hole, which has the drill point its spot drilling made.
    EXPECT_NE(run.drillingList.find("Drill dia 8.00\n\n      X         Y         Depth\n     15.       15.       12.   through\n"),
              std::string::npos)
        << run.drillingList;
    EXPECT_NE(run.drillingList.find("Operation:  (created)"), std::string::npos);
    EXPECT_NE(run.drillingList.find("Operation:  \n"), std::string::npos) << run.drillingList;
    EXPECT_EQ(run.groups.find("Drilling\""), std::string::npos) << run.groups;
}

// A blind 8 from the top, a blind 10 from the front and a blind 12 from the bottom: the drilling list has a
// section per side, headed by its name, each listing only its own hole; the groups are named after the
// sides whose operations they hold.
TEST_F(MainJob, TheDrillingListHasASectionPerSideWithItsOwnHoles) {
    TempDir dir;
    const MainJobRun run =
        runMainJob(dir, kMainSession, std::string(FX_SOURCE_DIR) + "/tests/data/repros/three_sides.stp", "three_sides");
    ASSERT_EQ(run.code, 0) << run.err << run.out;
    const std::string stars(80, '*');
    std::vector<std::string> titles;
    std::vector<std::string> bodies;
    for (std::size_t at = run.drillingList.find(stars); at != std::string::npos;) {
        const std::size_t titleStart = at + stars.size() + 1;
        const std::size_t titleEnd = run.drillingList.find('\n', titleStart);
        std::string title = run.drillingList.substr(titleStart, titleEnd - titleStart);
        title.erase(0, title.find_first_not_of(' '));
        title.erase(title.find_last_not_of(' ') + 1);
        titles.push_back(title);
        const std::size_t bodyStart = run.drillingList.find(stars, titleEnd) + stars.size();
        at = run.drillingList.find(stars, bodyStart);
        bodies.push_back(run.drillingList.substr(bodyStart, at == std::string::npos ? std::string::npos : at - bodyStart));
    }
    ASSERT_EQ(titles, (std::vector<std::string>{"TOP", "FRONT", "BOTTOM"})) << run.drillingList;
    // Each side's hole under its own title: its drill of its own diameter, and no other side's drill.
    const char* drills[] = {"Drill dia 8.00", "Drill dia 10.00", "Drill dia 12.00"};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(titles[i]);
        for (std::size_t j = 0; j < 3; ++j)
            EXPECT_EQ(bodies[i].find(drills[j]) != std::string::npos, i == j) << bodies[i];
        // One hole line per tool block of the side: the side has one hole.
        std::size_t lines = 0, blocks = 0;
        for (std::size_t at = bodies[i].find("Depth\n"); at != std::string::npos; at = bodies[i].find("Depth\n", at + 1)) ++blocks;
        for (std::size_t at = bodies[i].find("blind\n"); at != std::string::npos; at = bodies[i].find("blind\n", at + 1)) ++lines;
        EXPECT_GT(blocks, 0u);
        EXPECT_EQ(lines, blocks) << bodies[i];
    }
    // The three sides are one toolpath group: each of its operation groups (spot drilling, drilling, milling)
    // holds an operation of every side and is named after all three, in the order they come.
    std::istringstream groups(run.groups);
    int named = 0;
    for (std::string line; std::getline(groups, line);) {
        if (line.find("(Group ") == std::string::npos) continue;
        ++named;
        EXPECT_NE(line.find("(Group 0) TOP, FRONT, BOTTOM "), std::string::npos) << line;
    }
    EXPECT_EQ(named, 3) << run.groups;
}

// A listing the disk does not take (a share mounted read-only) fails the run, naming the file; a folder
// that is not there is refused before the run (Hostcam tests).
TEST(HostcamNc, AListingThatCannotBeWrittenIsAnError) {
    std::ostringstream out, err;
    TempDir dir;
    const std::string nc = dir.path() + "/x.nc";
    plat::refuseChangesUnder(dir.path());
    const int code = host::hostcamMain({"--plugin", kModule, "--nc", nc}, out, err);
    plat::refuseChangesUnder("");
    EXPECT_EQ(code, 2);
    EXPECT_NE(err.str().find(nc + ": the NC listing cannot be written"), std::string::npos) << err.str();
    std::string error;
    const auto options = host::parseOptions({"--nc", "a.nc"}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->nc, "a.nc");
    EXPECT_FALSE(host::parseOptions({"--nc"}, error));
    host::reset();
    plat::driver().reset();
}

}  // namespace
