// A part gives the same listing wherever it lies: moved by a tenth of a millimetre or by (10, 20, 0), and
// handed over through the kernel's STEP writer rather than its own CAD system's, its listing's cycles,
// moved back, are the same cycles of the same tools at the same places in the same order; turned a quarter
// about Z, the same cycles. On a grid of holes, paths of equal length differ in their last bits with where
// the part lies; which path is kept must not follow those bits. So too when its own file is edited as a
// script edits it, no kernel writing it again: moved in its points, by the placement its shape
// representation holds, or by both, or turned by that placement.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "host/builder/part_builder.h"
#include "host/geom/step_io.h"
#include "host/state.h"
#include "platform/ui/driver.h"
#include "support/case_names.h"
#include "support/main_job.h"
#include "support/nc_reader.h"
#include "support/private_module.h"
#include "support/step_parts.h"
#include "support/temp_dir.h"

namespace {

using host::Vec3;

// Who placed the part: the kernel's writer, or an edit of its own file moving its points, its placement
// (which the reader applies to them) or both, each by half the shift.
enum class WRITTEN { ByKernel, InPoints, ByPlacement, InBoth };

struct PLACEMENT {
    const char* name;
    Vec3 shift;
    double turn;      // radians about Z through the origin, before the shift
    bool sameOrder;   // else the same cycles in an order of their own
    WRITTEN written = WRITTEN::ByKernel;
};

// A turned part keeps its cycles but not their order: equally near holes are told apart by their angle from
// the view's X axis, which stays where it is as the part turns, and the views follow one another by their
// numbers, which turn with it.
const PLACEMENT kPlacements[] = {
    {"moved by a tenth", {0.1, 0.1, 0.1}, 0, true},
    {"moved by (10, 20, 0)", {10, 20, 0}, 0, true},
    {"turned a quarter about Z", {0, 0, 0}, std::numbers::pi / 2, false},
    {"moved by (10, 20, 0) in its points", {10, 20, 0}, 0, true, WRITTEN::InPoints},
    {"moved by (10, 20, 0) by its placement", {10, 20, 0}, 0, true, WRITTEN::ByPlacement},
    {"moved by (20, 40, 0) in its points and by its placement", {20, 40, 0}, 0, true, WRITTEN::InBoth},
    {"turned a quarter about Z by its placement", {0, 0, 0}, std::numbers::pi / 2, false, WRITTEN::ByPlacement},
};

struct PART {
    const char* name;
    std::string path;
    bool placedInFile = true;   // its shape representation holds the placement the reader applies
};
void PrintTo(const PART& part, std::ostream* out) { *out << part.name; }

// The example parts, and three real parts: plates with grids of equal holes and a mount with holes in
// several views, each played four to eight times in a second or a few. The others, assemblies that take ten times
// as long, are left to the real parts' own tests. One plate's solid lies in a representation of its own,
// placed by none.
std::vector<PART> parts() {
    std::vector<PART> out;
    for (const char* name :
         {"arm_bracket", "boss_part", "directions_block", "holes_plate", "mixed_tolerance_plate", "sheet_flange"})
        out.push_back({name, std::string(FX_SOURCE_DIR) + "/data/examples/" + name + ".step"});
    for (const char* name : {"fusion_metalboop_base_plate", "solidworks_ender3_y_plate", "freecad_zeroeffs_xy_mount"})
        out.push_back({name, realPartsDir() + "/" + name + ".step",
                       std::string_view(name) != "fusion_metalboop_base_plate"});
    return out;
}

// A world point of the placed part where it lay before.
Vec3 placedBack(const PLACEMENT& p, const double w[3]) {
    const double x = w[0] - p.shift[0], y = w[1] - p.shift[1];
    const double c = std::cos(p.turn), s = std::sin(p.turn);
    return {c * x + s * y, -s * x + c * y, w[2] - p.shift[2]};
}
Vec3 turnedBack(const PLACEMENT& p, const double d[3]) {
    const double c = std::cos(p.turn), s = std::sin(p.turn);
    return {c * d[0] + s * d[1], -s * d[0] + c * d[1], d[2]};
}

// A cycle of the listing as the part lay first: its kind, its tool, the point it reaches, its R plane and
// its axis. Tools are told by their diameter: a made tool's name gives a measure to a hundredth, which a
// measure on the rounding's edge gives either way.
struct CYCLE {
    std::string kind, tool;
    double diameter = 0;
    Vec3 at, r, axis;
};

std::vector<CYCLE> cyclesOf(const std::string& nc, const PLACEMENT& back) {
    const NC_PROGRAM program = readNcListing(nc);
    std::vector<CYCLE> out;
    for (const NC_HOLE& h : program.holes) {
        const auto tool = program.tools.find(h.tool);
        const NC_TOOL made = tool == program.tools.end() ? NC_TOOL{"?", -1} : tool->second;
        out.push_back({h.cycle, made.name, made.diameter, placedBack(back, h.world), placedBack(back, h.worldR),
                       turnedBack(back, h.worldAxis)});
    }
    return out;
}

bool near(const Vec3& a, const Vec3& b, double tolerance) {
    return std::fabs(a[0] - b[0]) <= tolerance && std::fabs(a[1] - b[1]) <= tolerance &&
           std::fabs(a[2] - b[2]) <= tolerance;
}

// Places are written to a thousandth, the axes' components to a millionth.
bool same(const CYCLE& a, const CYCLE& b) {
    return a.kind == b.kind && std::fabs(a.diameter - b.diameter) <= 2e-3 && near(a.at, b.at, 2e-3) &&
           near(a.r, b.r, 2e-3) && near(a.axis, b.axis, 1e-5);
}

std::string describe(const CYCLE& c) {
    std::ostringstream out;
    out << c.kind << " " << c.tool << " at (" << c.at[0] << ", " << c.at[1] << ", " << c.at[2] << ")";
    return out.str();
}

// "" when the listings hold the same cycles (in the same order when asked), else where they first part.
std::string differences(const std::vector<CYCLE>& expected, std::vector<CYCLE> got, bool inOrder) {
    if (expected.size() != got.size())
        return std::to_string(got.size()) + " cycles instead of " + std::to_string(expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (inOrder) {
            if (!same(expected[i], got[i]))
                return "cycle " + std::to_string(i + 1) + ": " + describe(got[i]) + " instead of " + describe(expected[i]);
            continue;
        }
        const auto match = std::find_if(got.begin(), got.end(), [&](const CYCLE& g) { return same(expected[i], g); });
        if (match == got.end()) return "no cycle " + describe(expected[i]);
        got.erase(match);
    }
    return "";
}

// The part's solids placed, written by the kernel's STEP writer.
std::string placedCopy(const TempDir& dir, const std::string& path, const PLACEMENT& p) {
    const host::StepImport read = host::importStep(path);
    EXPECT_TRUE(read.ok()) << read.error;
    std::vector<host::StepSolid> placed;
    for (const host::StepSolid& s : read.solids) {
        host::builder::BuiltPart part;
        part.solid = s.solid;
        placed.push_back({host::builder::placedPart(part, {0, 0, 0}, {0, 0, 1}, p.turn, p.shift).solid, s.name,
                          s.colour});
    }
    const std::string out = dir.path() + "/placed.step";
    EXPECT_EQ(host::exportStep(placed, out), "");
    return out;
}

// A number the shortest way it reads back, as scripts write it (7.0496e-05), a real by its point or exponent.
std::string real(double value) {
    char written[32];
    std::string out(written, std::to_chars(written, written + sizeof written, value).ptr);
    return out.find_first_of(".e") == std::string::npos ? out + "." : out;
}

// Each number of a list of three written again as `real` writes it, moved by `by`; another list as it stands.
std::string movedCoordinates(std::string_view list, const Vec3& by) {
    std::string out;
    std::size_t k = 0;
    for (std::size_t at = 0; at <= list.size() && k < 3; ++k) {
        const std::size_t end = std::min(list.find(',', at), list.size());
        std::string_view number = list.substr(at, end - at);
        number.remove_prefix(std::min(number.find_first_not_of(" \t\r\n+"), number.size()));
        double value = 0;
        std::from_chars(number.data(), number.data() + number.size(), value);
        out += real(value + by[k]);
        out += end < list.size() ? "," : "";
        at = end + 1;
    }
    return k == 3 && out.back() != ',' ? out : std::string(list);
}

// Where the list after an entity's name string, from `at` on, opens.
std::size_t listAfterName(const std::string& text, std::size_t at) {
    return text.find('(', text.find('\'', text.find('\'', at) + 1));
}

// Where `text` defines the entity of the reference at `ref` ("#12"), npos where it does not.
std::size_t definitionOf(const std::string& text, std::size_t ref) {
    const std::string name = text.substr(ref, text.find_first_of(" ,)", ref) - ref);
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1))
        if ((at == 0 || text[at - 1] == '\n') &&
            text.find_first_not_of(' ', at + name.size()) == text.find('=', at + name.size()))
            return at;
    return std::string::npos;
}

// The part's own file edited as placed: its points moved, and the placement its shape representation
// holds (the identity in the parts taken) given entities of its own, turned about Z and moved.
std::string placedText(const TempDir& dir, const std::string& path, const PLACEMENT& p) {
    std::string text = readWholeFile(path);
    const double share = p.written == WRITTEN::InBoth ? 0.5 : 1;
    const Vec3 moved{p.shift[0] * share, p.shift[1] * share, p.shift[2] * share}, none{0, 0, 0};
    const Vec3& points = p.written == WRITTEN::ByPlacement ? none : moved;
    const Vec3& placement = p.written == WRITTEN::InPoints ? none : moved;
    for (std::size_t at = text.find("CARTESIAN_POINT"); at != std::string::npos;
         at = text.find("CARTESIAN_POINT", at + 1)) {
        const std::size_t open = listAfterName(text, at), close = text.find(')', open);
        const std::string_view list = std::string_view(text).substr(open + 1, close - open - 1);
        text.replace(open + 1, list.size(), movedCoordinates(list, points));
    }
    const std::size_t items = listAfterName(text, text.find("ADVANCED_BREP_SHAPE_REPRESENTATION"));
    std::size_t axes = std::string::npos;
    for (std::size_t ref = text.find('#', items); ref < text.find(')', items); ref = text.find('#', ref + 1)) {
        const std::size_t at = definitionOf(text, ref);
        if (at != std::string::npos &&
            text.find_first_not_of(" =", text.find('=', at)) == text.find("AXIS2_PLACEMENT_3D", at))
            axes = at;
    }
    EXPECT_NE(axes, std::string::npos) << path << " holds no placement of its shape";
    if (axes == std::string::npos) return path;
    unsigned long last = 0;
    for (std::size_t at = text.find("\n#"); at != std::string::npos; at = text.find("\n#", at + 1))
        last = std::max(last, std::strtoul(text.c_str() + at + 2, nullptr, 10));
    const std::string origin = std::to_string(last + 1), z = std::to_string(last + 2), x = std::to_string(last + 3);
    const std::size_t equals = text.find('=', axes);
    text.replace(equals, text.find(';', equals) - equals,
                 "=AXIS2_PLACEMENT_3D('',#" + origin + ",#" + z + ",#" + x + ")");
    text.insert(text.rfind("ENDSEC"), "#" + origin + "=CARTESIAN_POINT('',(" + real(placement[0]) + "," +
                                          real(placement[1]) + "," + real(placement[2]) + "));\n#" + z +
                                          "=DIRECTION('',(0.,0.,1.));\n#" + x + "=DIRECTION('',(" +
                                          real(std::cos(p.turn)) + "," + real(std::sin(p.turn)) + ",0.));\n");
    const std::string out = dir.path() + "/placed.step";
    std::ofstream(out, std::ios::binary) << text;
    return out;
}

std::string listingOf(const std::string& step, const std::string& title) {
    resetPrivateModule();   // the settings an earlier run left beside the module do not count
    TempDir dir;
    const MainJobRun run = runMainJob(dir, kMainSession, step, title);
    EXPECT_EQ(run.code, 0) << run.err;
    host::reset();
    plat::driver().reset();
    return run.nc;
}

class PlacedPart : public testing::TestWithParam<PART> {};

TEST_P(PlacedPart, MovedOrTurnedGivesTheSameCyclesMovedBack) {
    const PART& part = GetParam();
    const PLACEMENT none{"as written", {0, 0, 0}, 0, true};
    const std::vector<CYCLE> expected = cyclesOf(listingOf(part.path, part.name), none);
    ASSERT_FALSE(expected.empty());
    for (const PLACEMENT& p : kPlacements) {
        SCOPED_TRACE(p.name);
        TempDir dir;
        if (p.written != WRITTEN::ByKernel && !part.placedInFile) continue;
        const std::string step =
            p.written == WRITTEN::ByKernel ? placedCopy(dir, part.path, p) : placedText(dir, part.path, p);
        EXPECT_EQ(differences(expected, cyclesOf(listingOf(step, part.name), p), p.sameOrder), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Parts, PlacedPart, testing::ValuesIn(parts()), byCaseName);

}  // namespace
