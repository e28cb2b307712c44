// Choosing the library tool that best fits an operation, and the library and part tool services under it.
#include <gtest/gtest.h>

#include "plugin/services/tooling.h"
#include "plugin/tooling/best_tool.h"
#include "plugin/tooling/tool_library.h"
#include "support/tool_library_fixture.h"

namespace {

using BestTool = ToolLibraryFixture;

int best(const std::string& library, std::int16_t type, double diameter, tp_tool* out, double minLength = 0,
         double maxLength = 1000, const char* text = nullptr, std::int16_t material = 0, double angle = 0) {
    return findBestLibraryTool(library, type, diameter, minLength, maxLength, 0, 0, 0, angle, 0, material, text,
                               out);
}

TEST_F(BestTool, ScoresAndWhereTheToolCameFrom) {
    addTo(library, tool(3, 8, "Drill 8"));
    addTo(library, tool(3, 10, "Drill 10 long", 80, 90));
    addTo(library, tool(3, 10, "Drill 10", 30, 40));
    addTo(library, tool(6, 10, "Reamer 10"));
    addTo(bigLibrary, tool(7, 20, "Boring bar 20"));
    tp_tool inchBar = tool(7, 20, "Inch bar");
    inchBar.unitFlag = 0;
    addTo(bigLibrary, inchBar);
    struct CASE {
        const char* what;
        std::int16_t type;
        double diameter, maxLength;
        const char* text;
        int result;
        const char* chosen;
    };
    const CASE cases[] = {
        // Both 10 mm drills meet every criterion; pool order puts the shorter flute first.
        {"every criterion", 3, 10, 1000, nullptr, 0, "Drill 10"},
        {"a length window no tool fits", 3, 10, 30 - 1, nullptr, 1, "Drill 10"},
        {"a name part", 3, 10, 1000, "LONG", 0, "Drill 10 long"},
        // No 9 mm drill: the best score is shared; the smaller diameter comes first.
        {"no such diameter", 3, 9, 1000, nullptr, 1, "Drill 8"},
        {"only in the big library, metric tools only", 7, 20, 1000, nullptr, 2, "Boring bar 20"},
        {"big library, not every criterion", 7, 25, 1000, nullptr, 3, "Boring bar 20"},
    };
    for (const CASE& c : cases) {
        tp_tool out;
        EXPECT_EQ(best(library, c.type, c.diameter, &out, 0, c.maxLength, c.text), c.result) << c.what;
        EXPECT_STREQ(out.name, c.chosen) << c.what;
    }
    tp_tool untouched = tool(99, 1, "mine");
    EXPECT_EQ(best(library, 17, 10, &untouched), 4);
    EXPECT_STREQ(untouched.name, "mine");
}

TEST_F(BestTool, CriteriaBits) {
    WANTED_TOOL wanted;
    wanted.type = 4;
    wanted.diameter = 10;
    wanted.pitch = 1.5;
    wanted.maxLength = 100;
    tp_tool tap = tool(4, 10.01, "M10");
    tap.pitch = 1.5;
    TOOL_POOL_ENTRY e;
    e.tool = tap;
    e.diameter = tap.diameter;
    e.pitchOrRadius = 1.5;
    e.firstLength = 30;
    e.material = 2;
    e.angle = 45;
    // No wanted material, text or angle: those bits are set for any tool.
    EXPECT_EQ(scoreToolPoolEntry(e, wanted), 127);
    wanted.material = 3;
    wanted.angle = 30;
    wanted.text = "m12";
    wanted.pitch = 1.25;
    wanted.minSecondLength = 50;
    EXPECT_EQ(scoreToolPoolEntry(e, wanted), 64 + 8);
}

// In inches a tap's record holds threads per inch, compared as the pitch they make; the big library is
// "big" when there is one, else "big_Inch", and only its inch tools are taken.
TEST_F(BestTool, InchTapsAndTheInchBigLibrary) {
    g_globals->hostVersion[7] = 0;
    setUnitTolerances(false);
    const auto inchTool = [](std::int16_t type, double diameter, const char* name) {
        tp_tool t = tool(type, diameter, name, 1.5, 2);
        t.unitFlag = 0;
        return t;
    };
    for (double threads : {20.0, 18.0}) {
        tp_tool tap = inchTool(4, 0.25, threads == 20 ? "1/4-20" : "1/4-18");
        tap.pitch = threads;
        addTo(library, tap);
    }
    tp_tool out;
    for (double threads : {20.0, 18.0}) {
        EXPECT_EQ(findBestLibraryTool(library, 4, 0.25, 0, 10, 0, 0, 0, 0, 1 / threads, 0, nullptr, &out), 0) << threads;
        EXPECT_EQ(out.pitch, threads);
    }

    const std::string inchBig = hostDir + "/Mill/Tools/big_Inch.Tools", big = hostDir + "/Mill/Tools/big.Tools";
    tp_tool metricBar = tool(7, 1, "Metric bar", 1.5, 2);
    addTo(inchBig, metricBar);
    addTo(inchBig, inchTool(7, 1, "Inch bar"));
    addTo(bigLibrary, inchTool(7, 1, "Bar of the metric library"));
    EXPECT_EQ(best(library, 7, 1, &out, 0, 10), 2);
    EXPECT_STREQ(out.name, "Inch bar");
    addTo(big, inchTool(7, 1, "Big bar"));
    EXPECT_EQ(best(library, 7, 1, &out, 0, 10), 2);
    EXPECT_STREQ(out.name, "Big bar");
}

TEST_F(BestTool, NamedSpotTool) {
    g_globals->settings.overrideSpotDrill = 1;
    g_globals->settings.spotDrillByName = 1;
    g_globals->settings.spotDrillName = "Center 90";
    tp_tool out;
    EXPECT_EQ(best(library, 2, 6, &out), 5);
    addTo(library, tool(1, 3, "  center 90 "));
    EXPECT_EQ(best(library, 2, 6, &out), 0);
    EXPECT_EQ(out.type, 1);
    // Other types search as usual.
    EXPECT_EQ(best(library, 3, 6, &out), 4);
}

TEST_F(BestTool, LibraryNumbersNamesAndPartTools) {
    int number = 0, slot = 0;
    EXPECT_EQ(nextFreeToolNumber(library, &number, &slot), 0);
    EXPECT_EQ(number, 1);
    EXPECT_EQ(slot, 1);
    const tp_tool drill = tool(3, 5, "  Drill 5  "), chamfer = tool(9, 12, "Chamfer");
    EXPECT_EQ(addToolToLibrary(library, &drill, &number, &slot), 0);
    EXPECT_EQ(addToolToLibrary(library, &chamfer, &number, &slot), 0);
    EXPECT_EQ(number, 2);
    EXPECT_EQ(slot, 2);
    EXPECT_EQ(toolNumberBySlot(library, 2), 2);
    EXPECT_EQ(toolNumberBySlot(library, 9), -1);
    tp_tool found;
    EXPECT_EQ(findLibraryToolByName(0, "drill 5", &found), 1);
    EXPECT_EQ(found.type, 3);
    EXPECT_EQ(findLibraryToolByName(9, "drill 5", &found), 0);

    // Part tools numbered 1, 2 and 4: the next one gets 3.
    for (int n : {1, 2, 4}) {
        tp_tool t = tool(3, 6 + n, "part");
        t.number = n;
        TpMainToolMgr().GetMainMillToolList().DatabaseAdd(&t);
    }
    tp_tool added = tool(3, 6, "new");
    EXPECT_GT(addToolToPart(&added), 0);
    EXPECT_EQ(added.number, 3);
    tp_tool negative = tool(-1, 6);
    EXPECT_EQ(addToolToPart(&negative), 0);

    // Alike within 0.99 T of the diameter, not at it.
    tp_tool like = tool(3, 7 + 0.99 * 0.025 * 0.999, "x");
    EXPECT_GT(findPartToolLike(&like, false, false, nullptr), 0);
    EXPECT_STREQ(like.name, "part");
    tp_tool unlike = tool(3, 7 + 0.99 * 0.025, "x");
    EXPECT_EQ(findPartToolLike(&unlike, false, false, nullptr), 0);
    tp_tool named = tool(3, 7, "x");
    EXPECT_EQ(findPartToolLike(&named, false, true, nullptr), 0);
    EXPECT_GT(findPartToolLike(&named, false, false, "AR"), 0);

    // Without a configured library the part's own tools are not taken for one.
    g_globals->settings.toolLibraryPath.clear();
    EXPECT_EQ(findLibraryToolByName(0, "part", &found), 0);
    nextFreeToolNumber("", &number, &slot);
    EXPECT_EQ(number, 1);

    EXPECT_EQ(mapToolTypeCode(3), 1);
    EXPECT_EQ(mapToolTypeCode(5), 3);
    EXPECT_EQ(mapToolTypeCode(6), 4);
    EXPECT_EQ(mapToolTypeCode(7), 6);
    EXPECT_EQ(mapToolTypeCode(8), 0);
}

}  // namespace
