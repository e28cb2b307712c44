// Speeds and feeds by the machine group's feed mode, and the machining material of a group.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "host/state.h"
#include "plugin/base/globals.h"
#include "plugin/tooling/feeds_speeds.h"
#include "support/ops_fixture.h"

namespace {

material steel() {
    material m;
    std::strcpy(m.name, "Steel");
    m.cuttingSpeed = 100;
    m.feedPerTooth = 0.05;
    return m;
}

tp_tool tool(std::int16_t type, double diameter, std::int16_t flutes = 2, std::int16_t toolMaterial = 1) {
    tp_tool t;
    t.type = type;
    t.diameter = diameter;
    t.flutes = flutes;
    t.material = toolMaterial;
    t.spindle = 77;
    t.feeds[0] = t.feeds[1] = t.feeds[2] = 7.7;
    return t;
}

TEST(FeedsSpeeds, FromTheMaterial) {
    setUnitTolerances(true);
    struct CASE {
        const char* what;
        tp_tool t;
        material m;
        std::int32_t limit;
        bool metric;
        std::int32_t spindle;
        double feed;
    };
    material halfForCarbide = steel();
    for (double& p : halfForCarbide.speedPercentByMaterial) p = 50;
    material unnamed = steel();
    unnamed.name[0] = '\0';
    tp_tool inchTap = tool(4, 10);
    inchTap.pitch = 20;   // threads per inch
    tp_tool metricTap = tool(4, 10);
    metricTap.pitch = 1.25;
    const CASE cases[] = {
        // All percentages 0 count as 100 %: n = floor(100 x 1000 / (pi x 10) + 0.5), feed n x 0.05 x 2.
        {"metric drill", tool(3, 10), steel(), 0, true, 3183, 318.3},
        {"inch drill", tool(3, 10), steel(), 0, false, 38, 3.8},
        {"limited by the machine", tool(3, 10), steel(), 2000, true, 2000, 200},
        {"tool material 2 at 50 %", tool(3, 10, 2, 2), halfForCarbide, 0, true, 1592, 159.2},
        {"tool material without a row", tool(3, 10, 2, 10), halfForCarbide, 0, true, 3183, 318.3},
        {"metric tap: pitch per turn", metricTap, steel(), 0, true, 3183, 3978.75},
        {"inch tap: one over threads per inch", inchTap, steel(), 0, false, 38, 1.9},
        {"no diameter: left alone", tool(3, 0), steel(), 0, true, 77, 7.7},
        {"user type: left alone", tool(0, 10), steel(), 0, true, 77, 7.7},
        {"no material: left alone", tool(3, 10), unnamed, 0, true, 77, 7.7},
    };
    for (const CASE& c : cases) {
        tp_tool t = c.t;
        FEED_MACHINE machine;
        machine.feedMode = 1;
        machine.spindleLimit = c.limit;
        EXPECT_EQ(computeFeedsSpeedsFor(t, c.m, machine, c.metric), 0);
        EXPECT_EQ(t.spindle, c.spindle) << c.what;
        for (double f : t.feeds) EXPECT_DOUBLE_EQ(f, c.feed) << c.what;
    }
}

TEST(FeedsSpeeds, TapsOnlyDefaultsAndLeftAlone) {
    setUnitTolerances(true);
    FEED_MACHINE machine;
    machine.feedMode = 0;
    tp_tool tap = tool(5, 8), drill = tool(3, 8);
    tap.spindle = 500;
    tap.pitch = 1.25;
    computeFeedsSpeedsFor(tap, steel(), machine, true);
    computeFeedsSpeedsFor(drill, steel(), machine, true);
    EXPECT_EQ(tap.feeds[2], 625);
    EXPECT_EQ(drill.feeds[0], 7.7);
    tp_tool inchTap = tool(4, 0.25);
    inchTap.spindle = 300;
    computeFeedsSpeedsFor(inchTap, steel(), machine, false);   // no threads per inch: nothing to divide by
    EXPECT_EQ(inchTap.feeds[0], 7.7);

    machine.feedMode = 3;
    machine.defaultSpindle = 1200.2;
    machine.defaultFeeds[0] = 250;
    machine.defaultFeeds[1] = 0;
    machine.defaultFeeds[2] = 900;
    computeFeedsSpeedsFor(drill, steel(), machine, true);
    EXPECT_EQ(drill.spindle, 1201);
    EXPECT_EQ(drill.feeds[0], 250);
    EXPECT_EQ(drill.feeds[1], 250);
    EXPECT_EQ(drill.feeds[2], 900);

    machine.feedMode = 2;
    tp_tool untouched = tool(3, 8);
    computeFeedsSpeedsFor(untouched, steel(), machine, true);
    EXPECT_EQ(untouched, tool(3, 8));
}

// A speed or feed beyond the rule of a tool's values (a diameter near 0, cutting data or machine defaults no
// tool has, the plunge and retract feeds too, a tap whose feed would be its pitch times a huge speed) is not
// set: the tool keeps its own and the caller is told which. A machine's spindle limit still clamps a speed
// before the rule is asked.
TEST(FeedsSpeeds, ASpeedOrFeedBeyondTheRuleLeavesTheToolAndSaysWhich) {
    setUnitTolerances(true);
    struct CASE {
        const char* what;
        int mode;
        bool metric;
        tp_tool t;
        material m;
        double defaultSpindle;
        std::int32_t limit;
        const char* why;   // "" when set: then the speed `spindle`
        std::int32_t spindle;
        double plungeFeed = 0, retractFeed = 0;   // the machine's defaults beside its feed of 100
    };
    material fast = steel(), thick = steel(), unknown = steel();
    fast.cuttingSpeed = 1e300;
    thick.feedPerTooth = 1e300;
    unknown.cuttingSpeed = std::nan("");
    tp_tool overdriven = tool(3, 10);
    overdriven.speedPercent = 1e300;
    tp_tool fastTap = tool(5, 8);
    fastTap.spindle = 500000;
    fastTap.pitch = 10;
    tp_tool fineInchTap = tool(4, 0.25);
    fineInchTap.spindle = 300;
    fineInchTap.pitch = 1e-300;   // threads per inch
    const CASE cases[] = {
        {"a drill of diameter 1e-300", 1, true, tool(3, 1e-300), steel(), 0, 0,
         "the spindle speed 3.1831e+304 it gives is out of range: a tool's is 0 to 1e+06 rpm", 0},
        {"a drill of diameter 0.001 mm", 1, true, tool(3, 0.001), steel(), 0, 0, "the spindle speed 3.1831e+07 it gives", 0},
        {"a cutting speed of 1e300", 1, true, tool(3, 10), fast, 0, 0, "the spindle speed 3.1831e+301", 0},
        {"a cutting speed that is not a number", 1, true, tool(3, 10), unknown, 0, 0, "the spindle speed ", 0},
        {"a feed per tooth of 1e300", 1, true, tool(3, 10), thick, 0, 0,
         "the feed 6.366e+303 it gives is out of range: a tool's is 0 to 1e+06 a minute", 0},
        {"a speed of 1e300 % within the machine's limit", 1, true, overdriven, steel(), 0, 2000, "", 2000},
        {"a tap at 500,000 rpm of pitch 10", 0, true, fastTap, steel(), 0, 0, "the feed 5e+06 it gives", 0},
        {"an inch tap of 1e-300 threads per inch", 0, false, fineInchTap, steel(), 0, 0, "the feed 3e+302 it gives", 0},
        {"a machine's default speed of 1e300", 3, true, tool(3, 10), steel(), 1e300, 0, "the spindle speed 1e+300", 0},
        {"a machine's default speed of 3e9", 3, true, tool(3, 10), steel(), 3e9, 0, "the spindle speed 3e+09", 0},
        {"a machine's default speed of 1e6", 3, true, tool(3, 10), steel(), 1e6, 0, "", 1000000},
        {"a machine's default plunge feed of 1e300", 3, true, tool(3, 10), steel(), 1000, 0, "the feed 1e+300 it gives",
         0, 1e300, 0},
        {"a machine's default retract feed that is no number", 3, true, tool(3, 10), steel(), 1000, 0,
         "the feed nan it gives", 0, 0, std::nan("")},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        tp_tool t = c.t;
        FEED_MACHINE machine;
        machine.feedMode = c.mode;
        machine.spindleLimit = c.limit;
        machine.defaultSpindle = c.defaultSpindle;
        machine.defaultFeeds[0] = 100;
        machine.defaultFeeds[1] = c.plungeFeed;
        machine.defaultFeeds[2] = c.retractFeed;
        std::string why = "not told";
        const int result = computeFeedsSpeedsFor(t, c.m, machine, c.metric, &why);
        if (*c.why == '\0') {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(t.spindle, c.spindle);
            continue;
        }
        EXPECT_EQ(result, 1);
        EXPECT_EQ(why.rfind(c.why, 0), 0u) << why;
        EXPECT_EQ(t, c.t);
    }
}

using MaterialByName = OpsFixture;

TEST_F(MaterialByName, NamedNoneOrFoundInTheHostsMaterials) {
    host::setHostDir(std::string(FX_SOURCE_DIR) + "/data/host");
    op_group* group = GroupsMachineGroup(nullptr);
    ASSERT_NE(group, nullptr);
    material found;
    std::strcpy(group->machine.materialName, "nOnE");
    EXPECT_EQ(materialByName(group->id, &found), 1);
    std::strcpy(group->machine.materialName, "steel 1045 - mm");
    char path[1024] = {};
    const int where = materialByName(group->id, &found, path, sizeof path);
    EXPECT_GE(where, 2);
    EXPECT_STREQ(found.name, "STEEL 1045 - MM");
    EXPECT_GT(found.cuttingSpeed, 0);
    if (where >= 3) {
        EXPECT_NE(std::string(path).find("Materials"), std::string::npos);
    }
    std::strcpy(group->machine.materialName, "Unobtainium");
    EXPECT_EQ(materialByName(group->id, &found), 0);
}

}  // namespace
