// The tools' reach held against every solid of an assembly, as a user meets it: the main job played from the
// shipped session on a block with one hole at (30, 30) drilled down from its top (z 20) and another solid
// standing in the hole's way or clear of it, the assembly as built or turned; what the summary tells, what
// 26_Dropped.txt lists and what the NC listing cuts on the hole's axis.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "support/execute_session.h"
#include "support/host_folder.h"
#include "support/nc_reader.h"

namespace {

using namespace host::builder;
using host::Vec3;

struct REACH_CASE {
    const char* name;
    std::function<std::vector<BuiltPart>()> solids;   // the block first, then the others
    int told;                                          // holes left out because a tool would meet material
    bool cutAtHole;                                    // the listing cuts at (30, 30)
};

void PrintTo(const REACH_CASE& c, std::ostream* out) { *out << c.name; }

constexpr double kX = 30, kY = 30;

// The whole assembly turned about an axis through (30, 30, 10), which the hole's axis goes through; `axis`
// is where the hole's axis then runs.
struct TURN {
    const char* name;
    Vec3 about;
    double degrees;
    Vec3 axis;
};
const TURN kTurns[] = {{"AsBuilt", {0, 0, 1}, 0, {0, 0, 1}},
                       {"TurnedAboutZ", {0, 0, 1}, 90, {0, 0, 1}},
                       {"TurnedAboutX", {1, 0, 0}, 90, {0, 1, 0}}};
void PrintTo(const TURN& t, std::ostream* out) { *out << t.name; }
constexpr Vec3 kCentre{kX, kY, 10};

BuiltPart blockWith(HoleSpec hole) { return PartBuilder::block({60, 60, 20}).hole(std::move(hole)).build(); }
BuiltPart pin(Vec3 foot, double length) { return PartBuilder::bar({foot, {0, 0, 1}, 4, length, 0}).build(); }
HoleSpec counterbore(double d, double cbD, double cbDepth) {
    return counterbored("c", {kX, kY, 20}, {0, 0, -1}, d, cbD, cbDepth);
}

class ToolReach : public ExecuteSessionFixture, public testing::WithParamInterface<std::tuple<REACH_CASE, TURN>> {
protected:
    // The assembly's solids in the host, in order, and the main job played on it with the shipped tools.
    void playOn(const std::vector<BuiltPart>& solids) {
        const std::string hostDir = copyShippedHostFolder(dir.path());
        ASSERT_FALSE(hostDir.empty());
        host::setHostDir(hostDir + "/");
        for (const BuiltPart& s : solids) {
            ASSERT_TRUE(s.ok()) << s.error;
            ASSERT_NE(host::storeSolidEntity(s.solid, 3, 1, "part"), 0u);
        }
        load();
        playShippedSession();
    }
    // The count the summary tells of holes left out for what a tool would meet (0 when it tells none).
    int toldInSummary() {
        static const std::regex told(R"((\d+) holes were left out: one of their tools would run into material)");
        for (const std::string& line : transcript().lines())
            if (std::smatch m; std::regex_search(line, m, told)) return std::stoi(m[1].str());
        return 0;
    }
    // The lines of 26_Dropped.txt that tell a tool meeting a solid.
    std::vector<std::string> toldInLog() {
        std::vector<std::string> lines;
        const std::string log = plat::readFile(g_globals->tmpDir + "/26_Dropped.txt").value_or("");
        static const std::regex told(R"(X(\S+) Y(\S+) Z\S+ D\S+ its D\S+ tool would run into solid (\d+) at depth)");
        for (std::size_t at = 0, end; at < log.size(); at = end + 1) {
            end = log.find('\n', at);
            if (end == std::string::npos) end = log.size();
            const std::string line = log.substr(at, end - at);
            if (std::regex_search(line, told)) lines.push_back(line);
        }
        return lines;
    }
    // Whether a cycle of the listing cuts on the line through kCentre along `axis`.
    bool listingCutsOn(const Vec3& axis) {
        const NC_PROGRAM program = readNcListing(host::ncListing());
        EXPECT_TRUE(program.errors.empty()) << program.errors.front();
        for (const NC_HOLE& h : program.holes) {
            Vec3 off{h.world[0] - kCentre[0], h.world[1] - kCentre[1], h.world[2] - kCentre[2]};
            const double along = off[0] * axis[0] + off[1] * axis[1] + off[2] * axis[2];
            for (int i = 0; i < 3; ++i) off[i] -= along * axis[i];
            if (std::hypot(off[0], off[1], off[2]) < 1e-3) return true;
        }
        return false;
    }
};

TEST_P(ToolReach, AHoleIsMadeOnlyWhereEveryToolFindsItsWayClear) {
    const auto& [c, turn] = GetParam();
    std::vector<BuiltPart> solids = c.solids();
    for (BuiltPart& s : solids) s = placedPart(s, kCentre, turn.about, turn.degrees * M_PI / 180);
    playOn(solids);
    EXPECT_EQ(toldInSummary(), c.told);
    const std::vector<std::string> logged = toldInLog();
    EXPECT_EQ(static_cast<int>(logged.size()), c.told);
    for (const std::string& line : logged) EXPECT_NE(line.find("solid 2 "), std::string::npos) << line;
    EXPECT_EQ(listingCutsOn(turn.axis), c.cutAtHole);
}

INSTANTIATE_TEST_SUITE_P(
    Assemblies, ToolReach,
    testing::Combine(testing::Values(
        // A D4 pin on the floor (z 15) of a D30 x 5 counterbore over a D6 through hole.
        REACH_CASE{"PinOnCounterboreFloorTopAboveTheBlock",
                   [] { return std::vector{blockWith(counterbore(6, 30, 5)), pin({kX + 6, kY, 15}, 10)}; }, 1, false},
        REACH_CASE{"PinOnCounterboreFloorInsideIt",
                   [] { return std::vector{blockWith(counterbore(6, 30, 5)), pin({kX + 10, kY, 15}, 3)}; }, 1, false},
        // A D12 ball resting in the mouth of a D10 through hole.
        REACH_CASE{"BallInTheMouth",
                   [] {
                       return std::vector{blockWith(throughHole("t", {kX, kY, 20}, {0, 0, -1}, 10)),
                                          ballPart({kX, kY, 20 + std::sqrt(36.0 - 25.0)}, 12)};
                   },
                   1, false},
        // A D8 ball on the flat floor (z 12) of a D10 blind hole.
        REACH_CASE{"BallOnAFlatFloor",
                   [] {
                       return std::vector{blockWith(blindFlat("b", {kX, kY, 20}, {0, 0, -1}, 10, 8)),
                                          ballPart({kX, kY, 16}, 8)};
                   },
                   1, false},
        // An O-ring (R8 r1.5) on the floor (z 16) of a D20 x 4 counterbore.
        REACH_CASE{"RingOnCounterboreFloor",
                   [] { return std::vector{blockWith(counterbore(8, 20, 4)), ringPart({kX, kY, 17.5}, {0, 0, 1}, 8, 1.5)}; },
                   1, false},
        // Controls that are machined as before.
        REACH_CASE{"EmptyCounterbore", [] { return std::vector{blockWith(counterbore(6, 30, 5))}; }, 0, true},
        REACH_CASE{"PinBesideTheHoleOutOfEveryToolsReach",
                   [] { return std::vector{blockWith(counterbore(6, 30, 5)), pin({kX + 22, kY, 20}, 10)}; }, 0, true},
        REACH_CASE{"CoaxialBlindHolesFromBothFaces",
                   [] {
                       return std::vector{PartBuilder::block({60, 60, 20})
                                              .hole(blindFlat("top", {kX, kY, 20}, {0, 0, -1}, 8, 6))
                                              .hole(blindFlat("bottom", {kX, kY, 0}, {0, 0, 1}, 8, 6))
                                              .build()};
                   },
                   0, true},
        REACH_CASE{"PlateStackedOnAnotherWithOneHoleThroughBoth",
                   [] {
                       return std::vector{
                           PartBuilder::block({60, 60, 10}, {0, 0, 10})
                               .hole(throughHole("upper", {kX, kY, 20}, {0, 0, -1}, 8))
                               .build(),
                           PartBuilder::block({60, 60, 10}).hole(throughHole("lower", {kX, kY, 10}, {0, 0, -1}, 8)).build()};
                   },
                   0, true}),
                     testing::ValuesIn(kTurns)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

}  // namespace
