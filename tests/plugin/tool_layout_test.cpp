// The tool layout: every operation of the recognised holes gets a tool from the libraries and the part's
// tool array by the rule of its type, or a made tool, or a shared number for the tool it is missing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "platform/sys/files.h"

#include "plugin/cycle/load_time_objects.h"
#include "plugin/base/cycle_names.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/tool_layout.h"
#include "plugin/tooling/tool_library.h"
#include "support/tool_library_fixture.h"
#include "support/tool_tree.h"

namespace {

constexpr double kT = 0.025;

class ToolLayout : public ToolLibraryFixture {
protected:
    void SetUp() override {
        ToolLibraryFixture::SetUp();
        useLengthWindow();
        PRM_SETTINGS& s = g_globals->settings;
        s.useHighestHill = 1;
        s.checkFluteLength = 0;
        view = tree.view();
    }

    // An operation of one tool type on a hole of its own, from Z 0 down to -depth.
    OPE_LIST* operation(int type, double diameter, double depth) {
        POINT_LIST* hole = tree.hole(view, {type});
        OPE_LIST* o = hole->opeList;
        o->toolDiam = diameter;
        o->zInf = -depth;
        return o;
    }
    static std::int32_t toolIndex(const OPE_LIST* o) { return o->toolIndex; }
    // The window variant, or with `perOperation` the variant that chooses per operation.
    int layout(bool perOperation = false) {
        OP_CYCLE_LIST cycles;
        return perOperation ? TreeToolsLayout().layoutToolsNoDump(view, tools, cycles, 1, 0, 0)
                            : TreeToolsLayout().layoutTools(view, tools, cycles, 1, 0, 0);
    }

    ToolTree tree;
    VIEW_LIST* view = nullptr;
    std::vector<tp_tool> tools;
};

TEST_F(ToolLayout, ThreeDrillsShareTheToolOfTheDeepestWindow) {
    addTo(library, tool(3, 10, "Drill 10 short", 40, 45));
    addTo(library, tool(3, 10, "Drill 10 long", 95, 100));
    OPE_LIST* deep = operation(3, 10, 30);
    OPE_LIST* middle = operation(3, 10, 25);
    OPE_LIST* shallow = operation(3, 10, 12);
    EXPECT_EQ(layout(), 0);
    // The window of the 30 deep hole is (40 - T, 120): the 45 mm tool is held and fits below 115 and 102.
    ASSERT_EQ(tools.size(), 1u);
    EXPECT_STREQ(tools[0].name, "Drill 10 short");
    for (const OPE_LIST* o : {deep, middle, shallow}) {
        EXPECT_EQ(toolIndex(o), 0);
        EXPECT_EQ(o->newTool, 0);
        EXPECT_EQ(o->active, 1);
    }
}

// The window's upper bound caps a tool's length: a library tool past it is not taken, one of the window's
// low end is made. A 30 deep drill of D 10 has the window (40 - T, 120), a 1.5 deep spot of D 10 (11.5 - T,
// 91.5). Made tools take their lengths from the low end up in steps of 40 T, and their diameter on the step
// at or below the operation's.
TEST_F(ToolLayout, ALibraryToolWithinTheWindowOrAToolOfItsLowEnd) {
    struct CASE {
        const char* what;
        std::int16_t type;
        double diameter, depth;
        tp_tool inLibrary;
        const char* name;   // of the tool the operation gets
        double made;        // its diameter when made, else 0
        double flute;       // and its flute length
        bool perOperation = false;   // chosen per operation: any tool whose flutes pass the depth and a diameter
    } cases[] = {
        {"within the window: taken", 3, 10, 30, tool(3, 10, "Drill 10 x 119", 110, 119), "Drill 10 x 119", 0, 0},
        {"longer than the window: one is made", 3, 10, 30, tool(3, 10, "Drill 10 x 121", 110, 121), "** 10.00 x 40.00 ",
         10, 40},
        {"too short: one is made", 3, 10, 30, tool(3, 10, "Drill 10 x 35", 30, 35), "** 10.00 x 40.00 ", 10, 40},
        {"no library tool of the diameter: made from the nearest, not wider", 3, 10.0375, 30,
         tool(3, 10, "Drill 10", 90, 100), "** 10.03 x 41.00 ", 10.025, 41},
        {"a spot drill within the window", 2, 10, 1.5, tool(2, 10, "Spot 10 x 91", 24, 91), "Spot 10 x 91", 0, 0},
        {"a spot drill longer than the window", 2, 10, 1.5, tool(2, 10, "Spot 10 x 92", 24, 92), "** 10.00 x 12.00 ",
         10, 12},
        {"a spot drill longer than the window, per operation: taken", 2, 10, 1.5, tool(2, 10, "Spot 10 x 92", 24, 92),
         "Spot 10 x 92", 0, 0, true},
        {"a spot drill whose flutes stop short, per operation: one is made", 2, 10, 1.5,
         tool(2, 10, "Spot 10 flutes 11", 11, 40), "** 10.00 x 12.00 ", 10, 12, true},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(plat::removeFile(library) || !plat::fileExists(library));
        addTo(library, c.inLibrary);
        tools.clear();
        view = tree.view();   // the layout walks this view alone: it is the last
        OPE_LIST* o = operation(c.type, c.diameter, c.depth);
        EXPECT_EQ(layout(c.perOperation), 0);
        ASSERT_EQ(tools.size(), 1u);
        EXPECT_EQ(toolIndex(o), 0);
        EXPECT_EQ(std::string(tools[0].name).rfind(c.name, 0), 0u) << tools[0].name;
        EXPECT_EQ(o->newTool, c.made > 0 ? 1 : 0);
        if (c.made > 0) {
            EXPECT_DOUBLE_EQ(tools[0].diameter, c.made);
            EXPECT_DOUBLE_EQ(tools[0].fluteLength, c.flute);
            EXPECT_DOUBLE_EQ(tools[0].shoulderLength, c.flute + 1);
            EXPECT_DOUBLE_EQ(tools[0].overallLength, c.flute + 2);
        }
    }
}

TEST_F(ToolLayout, TheFlutesCutTheDepthAndOneDiameterMore) {
    g_globals->settings.checkFluteLength = 1;
    // A 30 deep hole of D 10 needs flutes longer than 40: the shorter tool's 35 do not do.
    addTo(library, tool(3, 10, "Drill 10 flutes 35", 35, 45));
    addTo(library, tool(3, 10, "Drill 10 flutes 45", 45, 60));
    OPE_LIST* o = operation(3, 10, 30);
    EXPECT_EQ(layout(), 0);
    ASSERT_EQ(tools.size(), 1u);
    EXPECT_EQ(toolIndex(o), 0);
    EXPECT_STREQ(tools[0].name, "Drill 10 flutes 45");
}

// A spot drill's flutes hold the spot's depth and one diameter more, as a drill's do: a 1.5 deep spot of
// D 10 wants flutes past 11.5.
TEST_F(ToolLayout, ASpotDrillsFlutesHoldTheSpotsDepthAndTheFluteMargin) {
    g_globals->settings.checkFluteLength = 1;
    addTo(library, tool(2, 10, "Spot drill 10 flutes 11.5", 11.5, 40));
    addTo(library, tool(2, 10, "Spot drill 10 flutes 24", 24, 48));
    OPE_LIST* o = operation(2, 10, 1.5);
    EXPECT_EQ(layout(), 0);
    ASSERT_EQ(tools.size(), 1u);
    EXPECT_EQ(toolIndex(o), 0);
    EXPECT_STREQ(tools[0].name, "Spot drill 10 flutes 24");
}

// Without a library drill of the diameter, an entry far shallower than the run's first (its window's top
// below the first's length) asks for its depth alone; the tool made for it still reaches past the drill's
// point (3 below the bottom at 118 degrees) and, through the hole, the breakthrough.
TEST_F(ToolLayout, AMadeToolReachesPastTheDeepestPointItCuts) {
    addTo(library, tool(3, 12, "Drill 12", 90, 100));
    struct CASE {
        bool through;
        double flute;
    } cases[] = {{false, 14}, {true, 16}};
    for (const CASE& c : cases) {
        tools.clear();
        view = tree.view();
        operation(3, 10, 100);
        OPE_LIST* shallow = operation(3, 10, 10);
        shallow->angle = 118 * M_PI / 180;
        shallow->through = c.through;
        shallow->brkthr = 2;
        EXPECT_EQ(layout(), 0);
        ASSERT_GE(toolIndex(shallow), 0);
        EXPECT_DOUBLE_EQ(shallow->neededLength, 10);
        EXPECT_DOUBLE_EQ(tools[static_cast<std::size_t>(toolIndex(shallow))].fluteLength, c.flute) << c.through;
    }
}

TEST_F(ToolLayout, MissingToolsShareANegativeNumber) {
    g_globals->settings.takeNearestTool = 0;
    OPE_LIST* a = operation(6, 8, 20);
    OPE_LIST* b = operation(6, 8, 20);
    OPE_LIST* c = operation(6, 12, 20);
    EXPECT_EQ(layout(), 0);
    EXPECT_TRUE(tools.empty());
    EXPECT_EQ(toolIndex(a), -1);
    EXPECT_EQ(toolIndex(b), -1);
    EXPECT_EQ(toolIndex(c), -2);
    for (const OPE_LIST* o : {a, b, c}) EXPECT_EQ(o->active, 0);
    // Wanted: depth + D rounded up to 40 T.
    EXPECT_DOUBLE_EQ(a->wantedLength, 28);
}

TEST_F(ToolLayout, NoToolOfTheTypeAnywhereLeavesTheOperationWithout) {
    OPE_LIST* o = operation(8, 14, 10);
    EXPECT_EQ(layout(), 0);
    EXPECT_TRUE(tools.empty());
    EXPECT_LT(toolIndex(o), 0);
    EXPECT_EQ(o->active, 0);
}

// Taps by the thread's pitch, the last in length order taken, whatever its length, when its flutes reach
// the thread's bottom: a 15 deep thread of D 10 has the window (25 - T, 105).
TEST_F(ToolLayout, TapsByPitchWhoseFlutesReachTheThread) {
    const auto tap = [&](const char* name, double pitch, double flute, double shoulder) {
        tp_tool t = tool(4, 10, name, flute, shoulder);
        t.pitch = pitch;
        addTo(library, t);
    };
    tap("M10 x 1.2", 1.2, 20, 22);
    tap("M10 shorter", 1.25, 17, 21);   // fits too, but comes before the next in length order
    tap("M10 short", 1.25, 16, 22);   // below the window's low end, its flutes past the thread
    tap("M10 x 1.26", 1.26, 20, 23);  // 0.4 T away from 1.25, not within it
    tap("M10 short flutes", 1.25, 14, 150);
    OPE_LIST* threaded = operation(4, 10, 15);
    threaded->pitch = 1.25;
    OPE_LIST* deeper = operation(4, 10, 18);   // the flutes of neither reach
    deeper->pitch = 1.25;
    EXPECT_EQ(layout(), 0);
    ASSERT_GE(toolIndex(threaded), 0);
    EXPECT_STREQ(tools[static_cast<std::size_t>(toolIndex(threaded))].name, "M10 short");
    ASSERT_GE(toolIndex(deeper), 0);
    EXPECT_EQ(deeper->newTool, 1);
    EXPECT_EQ(std::string(tools[static_cast<std::size_t>(toolIndex(deeper))].name).rfind("** 10.00 x 28.00 ", 0), 0u);
}

// Chamfer tools by width: wider than the chamfer, by less than ten of its widths, of a length in the window;
// the tool held goes on while it still fits. A 12 mm chamfer tool 2 deep has the window (14 - T, 110).
TEST_F(ToolLayout, ChamferToolsByWidthWithinTheWindow) {
    const auto chamferTool = [&](const char* name, double shapeValue, double shoulder) {
        tp_tool t = tool(9, 12, name, 20, shoulder);
        t.shapeValue = shapeValue;
        addTo(library, t);
    };
    chamferTool("Chamfer 1.5", 9, 40);
    chamferTool("Chamfer 5", 2, 50);
    chamferTool("Chamfer 6 long", 0, 200);
    const auto chamfer = [&](double width) {
        OPE_LIST* o = operation(9, 12, 2);
        o->milledDiam = 8;
        o->chamferDiam = 8 + 2 * width;
        o->angle = M_PI / 2;
        return o;
    };
    const auto expectMade = [&](const OPE_LIST* o) {
        ASSERT_GE(toolIndex(o), 0);
        EXPECT_EQ(o->newTool, 1);
        const tp_tool& made = tools[static_cast<std::size_t>(toolIndex(o))];
        EXPECT_EQ(std::string(made.name).rfind("** 12.00 x 14.00 ", 0), 0u) << made.name;
        EXPECT_DOUBLE_EQ(made.angle, 90);
    };
    OPE_LIST* wide = chamfer(1);
    OPE_LIST* narrow = chamfer(0.3);
    OPE_LIST* hairline = chamfer(0.05);   // every tool ten of its widths wider
    EXPECT_EQ(layout(), 0);
    for (OPE_LIST* o : {wide, narrow})
        EXPECT_STREQ(tools[static_cast<std::size_t>(toolIndex(o))].name, "Chamfer 1.5");
    expectMade(hairline);
    // Alone (a held tool would be kept): only the tool longer than the window is wide enough: one is made.
    tools.clear();
    view = tree.view();
    OPE_LIST* widest = chamfer(5.5);
    EXPECT_EQ(layout(), 0);
    ASSERT_EQ(tools.size(), 1u);
    expectMade(widest);
}

// Corner-rounding tools by the radius of the edge: of the candidates of that radius the last in length
// order stays; none: one is made, with the radius.
TEST_F(ToolLayout, CornerRoundingToolsByRadius) {
    const auto rounding = [&](const char* name, double radius, double shoulder) {
        tp_tool t = tool(15, 6, name, shoulder - 10, shoulder);
        t.cornerRadius = radius;
        t.subType = 1;
        addTo(library, t);
    };
    rounding("R2 short", 2, 30);
    rounding("R2 long", 2, 40);
    rounding("R2.5", 2.5, 35);
    const auto edge = [&](double radius) {
        OPE_LIST* o = operation(15, 6, 4);
        o->cornerRadius = radius;
        return o;
    };
    OPE_LIST* r2 = edge(2);
    OPE_LIST* r3 = edge(3);
    EXPECT_EQ(layout(), 0);
    EXPECT_STREQ(tools[static_cast<std::size_t>(toolIndex(r2))].name, "R2 long");
    ASSERT_GE(toolIndex(r3), 0);
    const tp_tool& made = tools[static_cast<std::size_t>(toolIndex(r3))];
    EXPECT_EQ(r3->newTool, 1);
    EXPECT_DOUBLE_EQ(made.cornerRadius, 3);
    EXPECT_EQ(made.subType, 1);
    // Wanted: the radius and 4 T, in steps of 40 T.
    EXPECT_DOUBLE_EQ(made.fluteLength, 4);
}

// A conical mill of the cone's angle: a 90 degree cone (half angle 45) takes the tool of half angle 45
// of the operation's diameter.
TEST_F(ToolLayout, TaperMillsByTheConesAngle) {
    const auto conical = [&](const char* name, double halfAngle) {
        tp_tool t = tool(17, 6, name);
        t.angle = halfAngle;
        addTo(library, t);
    };
    conical("Cone 30", 30);
    conical("Cone 45", 45);
    OPE_LIST* o = operation(17, 6, 5);
    o->zSup = 0;
    o->coneAngle = M_PI / 4;
    o->angleDeg = 90;
    EXPECT_EQ(layout(), 0);
    ASSERT_EQ(tools.size(), 1u);
    EXPECT_STREQ(tools[0].name, "Cone 45");
    EXPECT_EQ(o->newTool, 0);
}

// A made tool copies the nearest library tool of its type and takes the operation's measures by its type.
TEST_F(ToolLayout, MadeToolsTakeTheMeasuresOfTheirType) {
    struct CASE {
        const char* what;
        std::int16_t type;
        double libraryAngle, libraryShape;               // of the library tool copied
        double pitch, tipDegrees, tipDiameter, radius;   // of the operation
        double angle, cornerRadius;
        std::int16_t subType;
        double secondDiameter, shapeValue, toolPitch, flute, shoulder, overall;
    };
    // Needed 20: flute 20, shoulder and overall each 40 T (1) longer; a conical mill of a 5 high cone of
    // D 10: flute 15, and the hill of 2 on the overall length.
    const CASE cases[] = {
        {"drill", 3, 0, 0, 0, 118, 0, 0, 0, 0, 0, 10, 0, 0, 20, 21, 22},
        {"tap: the thread's pitch", 4, 0, 0, 1.5, 0, 0, 0, 0, 0, 0, 10, 0, 1.5, 20, 21, 22},
        {"boring bar without an angle", 7, 0, 0, 0, 0, 0, 0, 1, 0, 0, 9.9, 0, 0, 20, 21, 22},
        {"boring bar with its angle", 7, 30, 0, 0, 0, 0, 0, 30, 0, 0, 9.9, 0, 0, 20, 21, 22},
        {"countersink: the tip angle", 9, 0, 0, 0, 90, 0, 0, 90, 0, 0, 10, 0, 0, 20, 21, 22},
        {"ball mill: half the diameter", 11, 0, 0, 0, 0, 0, 1, 0, 5, 2, 10, 0, 0, 20, 21, 22},
        {"chamfer mill: half the tip angle, the tip lowered", 12, 0, 8, 0, 90, 6, 0, 45, 0, 0, 10, 6, 0, 20, 21, 22},
        {"chamfer mill: a smaller tip kept", 12, 0, 4, 0, 90, 6, 0, 45, 0, 0, 10, 4, 0, 20, 21, 22},
        {"corner rounding: the radius", 15, 0, 0, 0, 0, 0, 2, 0, 2, 1, 10, 0, 0, 20, 21, 22},
        {"bull nose: the radius", 19, 0, 0, 0, 0, 0, 0.5, 0, 0.5, 1, 10, 0, 0, 20, 21, 22},
        {"conical mill: half the tip angle", 17, 0, 0, 0, 60, 0, 0, 30, 0, 0, 10, 0, 0, 15, 16, 19},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(plat::removeFile(library) || !plat::fileExists(library));
        tp_tool copied = tool(c.type, 10, "copied", 50, 60);
        copied.angle = c.libraryAngle;
        copied.shapeValue = c.libraryShape;
        copied.option = 3;
        addTo(library, copied);
        OPE_LIST o;
        o.toolType = static_cast<std::uint32_t>(c.type);
        o.toolDiam = 10;
        o.pitch = c.pitch;
        o.angle = c.tipDegrees * M_PI / 180;
        o.tipDiam = c.tipDiameter;
        o.cornerRadius = c.radius;
        o.zSup = 0;
        o.zInf = -5;
        o.neededLength = 20;
        o.material = 2;
        TreeToolsLayout::DIAM_SORT e;
        e.operation = &o;
        e.toolType = c.type;
        e.diameter = 10;
        e.depth = 5;
        e.highestHill = 2;
        tp_tool made;
        ASSERT_TRUE(TreeToolsLayout::makeMissingTool(e, made));
        EXPECT_EQ(made.type, c.type);
        EXPECT_DOUBLE_EQ(made.diameter, 10);
        EXPECT_EQ(made.material, 2);
        EXPECT_DOUBLE_EQ(made.angle, c.angle);
        EXPECT_DOUBLE_EQ(made.cornerRadius, c.cornerRadius);
        EXPECT_EQ(made.subType, c.subType);
        EXPECT_DOUBLE_EQ(made.secondDiameter, c.secondDiameter);
        EXPECT_DOUBLE_EQ(made.shapeValue, c.shapeValue);
        EXPECT_DOUBLE_EQ(made.pitch, c.toolPitch);
        EXPECT_DOUBLE_EQ(made.fluteLength, c.flute);
        EXPECT_DOUBLE_EQ(made.shoulderLength, c.shoulder);
        EXPECT_DOUBLE_EQ(made.overallLength, c.overall);
        EXPECT_EQ(made.option, c.type == 17 ? 0 : 3);
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "** 10.00 x %.2f ", c.flute);
        EXPECT_EQ(std::string(made.name).rfind(prefix, 0), 0u) << made.name;
    }
}

// In inches a tap's record holds threads per inch: the made tap's is the thread's, to the half thread.
TEST_F(ToolLayout, AnInchTapMadeWithThreadsPerInch) {
    g_globals->hostVersion[7] = 0;
    setUnitTolerances(false);
    addTo(library, tool(4, 0.5, "1/2 tap"));
    OPE_LIST o;
    o.toolType = 4;
    o.toolDiam = 0.5;
    o.pitch = 1 / 11.4;
    TreeToolsLayout::DIAM_SORT e;
    e.operation = &o;
    e.toolType = 4;
    e.diameter = 0.5;
    tp_tool made;
    ASSERT_TRUE(TreeToolsLayout::makeMissingTool(e, made));
    EXPECT_DOUBLE_EQ(made.pitch, 11.5);
}

std::vector<std::size_t> g_runs;
void recordRun(TreeToolsLayout::GROUP& run) { g_runs.push_back(run.size()); }

TEST_F(ToolLayout, DiameterRunsAndNearestLibraryTool) {
    std::vector<TreeToolsLayout::DIAM_SORT> entries(3);
    const double diameters[] = {5, 5.01, 5.03};
    for (int i = 0; i < 3; ++i) {
        entries[i].operation = operation(3, diameters[i], 10);
        entries[i].diameter = diameters[i];
    }
    TreeToolsLayout::GROUP near{&entries[0], &entries[1]}, apart{&entries[0], &entries[2]};
    g_runs.clear();
    TreeToolsLayout::forEachDiameterRun(near, recordRun);
    TreeToolsLayout::forEachDiameterRun(apart, recordRun);
    EXPECT_EQ(g_runs, (std::vector<std::size_t>{2, 1, 1}));

    for (double d : {10.0, 6.0, 8.0}) addTo(library, tool(3, d));
    struct CASE {
        double wanted, nearest;
    };
    for (const CASE& c : {CASE{8.9, 8}, CASE{9, 10}, CASE{12, 10}, CASE{2, 6}}) {
        std::vector<tp_tool> found;
        const int k = TreeToolsLayout::collectLibraryTools(library, 3, c.wanted, found);
        ASSERT_EQ(found.size(), 3u);
        EXPECT_EQ(found[static_cast<std::size_t>(k)].diameter, c.nearest) << c.wanted;
    }
}

TEST_F(ToolLayout, CandidateCriteria) {
    tp_tool ball = tool(11, 6);
    ball.cornerRadius = 3;
    ball.subType = 1;
    EXPECT_FALSE(toolMatchesCriteria(ball, 11, 6, "", 3, 0));
    ball.subType = 2;
    EXPECT_TRUE(toolMatchesCriteria(ball, 11, 6, "", 3, 0));
    g_tolerances.tolT = 0.25;   // a T whose sums are exact
    EXPECT_TRUE(toolMatchesCriteria(tool(3, 10), 3, 10.25, "", 0, 0));   // the bound is included
    EXPECT_FALSE(toolMatchesCriteria(tool(3, 10), 3, 10.2500001, "", 0, 0));
    g_tolerances.tolT = kT;

    // A library tool and a copy of it in the part's tool array that differs only in the value outside a
    // tool's identity are one candidate: the library's.
    tp_tool drill = tool(3, 10, "Drill 10");
    addTo(library, drill);
    std::vector<tp_tool> inLibrary = loadToolList(library);
    ASSERT_EQ(inLibrary.size(), 1u);
    tp_tool copy = inLibrary[0];
    copy.extra = 42;
    g_toolsArray->push_back(copy);
    std::vector<TreeToolsLayout::TOOLS_SELECTION> candidates;
    collectCandidateTools(library, 0, candidates, 3, 10, "", 0, 0);
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].source, TreeToolsLayout::kFromLibrary);
    g_toolsArray->clear();
}

}  // namespace

namespace {

TEST_F(ToolLayout, MillsOnlyInThePerOperationVariant) {
    g_globals->settings.takeNearestTool = 0;
    addTo(library, tool(13, 10, "Flat mill 10", 25, 35));
    OPE_LIST* o = operation(13, 10, 20);
    OP_CYCLE_LIST cycles;
    // The window variant has no step for type 13.
    EXPECT_EQ(TreeToolsLayout().layoutTools(view, tools, cycles, 0, 0, 0), 0);
    EXPECT_LT(toolIndex(o), 0);
    // Per operation: the first tool whose flute reaches the depth.
    tools.clear();
    o->active = 1;
    EXPECT_EQ(TreeToolsLayout().layoutToolsNoDump(view, tools, cycles, 0, 0, 0), 0);
    ASSERT_EQ(tools.size(), 1u);
    EXPECT_EQ(toolIndex(o), 0);
    EXPECT_STREQ(tools[0].name, "Flat mill 10");
}

}  // namespace

namespace {

// The view's highest top lies 50 above this hole (another hole's mouth): a height to move at, not material
// over this one. The reach is the hole's own depth and the highest hill over the mouths of its chain, once;
// the dump gives each hole of the chain once.
TEST_F(ToolLayout, TheReachIsTheHolesOwnDepthAndTheHighestHillOfItsChain) {
    addTo(library, tool(3, 10, "Drill 10", 40, 45));
    OPE_LIST* o = operation(3, 10, 20);
    o->holeTopZ = 50;
    POINT_LIST* head = view->firstPoint;
    head->hillT = 1;
    POINT_LIST deeper, higher;
    deeper.ptView[2] = -3;
    deeper.hillT = 2;
    higher.ptView[2] = 4;
    higher.hillT = 6;
    head->nextEqual = &higher;
    higher.nextEqual = &deeper;
    deeper.nextEqual = head;   // a damaged chain that loops back
    OP_CYCLE_LIST cycles;
    std::vector<TreeToolsLayout::DIAM_SORT> entries;
    TreeToolsLayout().buildDiamSort(view, cycles, 0, entries);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_DOUBLE_EQ(entries[0].depth, 20);
    EXPECT_DOUBLE_EQ(entries[0].highestHill, 6);
    // The debug dump gives one Z per hole of the chain.
    g_globals->debugDumps = 1;
    g_globals->tmpDir = dir.path();
    TreeToolsLayout().dumpLayout(entries, "chain");
    g_globals->debugDumps = 0;
    const std::string dump = plat::readFile(dir.path() + "/TL_01_chain.txt").value_or("");
    EXPECT_NE(dump.find(" (Z=0.00) (Z=4.00) (Z=-3.00)\n"), std::string::npos) << dump;
    head->nextEqual = nullptr;
    // 26 to reach: the library drill's window is (36 - T, 116).
    EXPECT_EQ(layout(), 0);
    ASSERT_EQ(tools.size(), 1u);
    EXPECT_STREQ(tools[0].name, "Drill 10");
    EXPECT_EQ(toolIndex(o), 0);
}

}  // namespace
