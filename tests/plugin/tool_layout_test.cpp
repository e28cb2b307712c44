// The tool layout: every operation of the recognised holes gets a tool from the libraries and the part's
// tool array by the rule of its type, or a made tool, or a shared number for the tool it is missing.
#include <gtest/gtest.h>

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
    int layout() {
        OP_CYCLE_LIST cycles;
        return CToolsLayout().layoutTools(view, tools, cycles, 1, 0, 0);
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

TEST_F(ToolLayout, WindowBoundsAndMadeTools) {
    // Only a tool beyond the window's upper bound (120.09): none fits, so one is made from it.
    addTo(library, tool(3, 10, "Drill 10 x 121", 110, 121));
    OPE_LIST* deep = operation(3, 10.01, 30);
    EXPECT_EQ(layout(), 0);
    ASSERT_EQ(tools.size(), 1u);
    const tp_tool& made = tools[0];
    EXPECT_EQ(deep->newTool, 1);
    EXPECT_DOUBLE_EQ(made.diameter, 10.0);   // 10.01 rounded to a multiple of T
    // Lengths from the needed length (the window's low end, 40 - T) up in steps of 40 T.
    EXPECT_DOUBLE_EQ(made.fluteLength, 40);
    EXPECT_DOUBLE_EQ(made.shoulderLength, 41);
    EXPECT_DOUBLE_EQ(made.overallLength, 42);
    EXPECT_EQ(std::string(made.name).rfind("** 10.00 x 40.00 ", 0), 0u) << made.name;
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

TEST_F(ToolLayout, TapsByPitch) {
    for (double pitch : {1.2, 1.25, 1.26}) {
        tp_tool tap = tool(4, 10, "M10");
        tap.pitch = pitch;
        addTo(library, tap);
    }
    OPE_LIST* o = operation(4, 10, 15);
    o->pitch = 1.25;
    EXPECT_EQ(layout(), 0);
    ASSERT_EQ(tools.size(), 1u);
    EXPECT_DOUBLE_EQ(tools[0].pitch, 1.25);   // 1.26 lies 0.4 T away, not within it
}

std::vector<std::size_t> g_runs;
void recordRun(CToolsLayout::GROUP& run) { g_runs.push_back(run.size()); }

TEST_F(ToolLayout, DiameterRunsAndNearestLibraryTool) {
    std::vector<CToolsLayout::DIAM_SORT> entries(3);
    const double diameters[] = {5, 5.01, 5.03};
    for (int i = 0; i < 3; ++i) {
        entries[i].operation = operation(3, diameters[i], 10);
        entries[i].diameter = diameters[i];
    }
    CToolsLayout::GROUP near{&entries[0], &entries[1]}, apart{&entries[0], &entries[2]};
    g_runs.clear();
    CToolsLayout::forEachDiameterRun(near, recordRun);
    CToolsLayout::forEachDiameterRun(apart, recordRun);
    EXPECT_EQ(g_runs, (std::vector<std::size_t>{2, 1, 1}));

    for (double d : {10.0, 6.0, 8.0}) addTo(library, tool(3, d));
    struct CASE {
        double wanted, nearest;
    };
    for (const CASE& c : {CASE{8.9, 8}, CASE{9, 10}, CASE{12, 10}, CASE{2, 6}}) {
        std::vector<tp_tool> found;
        const int k = CToolsLayout::collectLibraryTools(library, 3, c.wanted, found);
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
    std::vector<CToolsLayout::TOOLS_SELECTION> candidates;
    CToolsLayout::collectCandidateTools(library, 0, candidates, 3, 10, "", 0, 0);
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].source, CToolsLayout::kFromLibrary);
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
    EXPECT_EQ(CToolsLayout().layoutTools(view, tools, cycles, 0, 0, 0), 0);
    EXPECT_LT(toolIndex(o), 0);
    // Per operation: the first tool whose flute reaches the depth.
    tools.clear();
    o->active = 1;
    EXPECT_EQ(CToolsLayout().layoutToolsNoDump(view, tools, cycles, 0, 0, 0), 0);
    ASSERT_EQ(tools.size(), 1u);
    EXPECT_EQ(toolIndex(o), 0);
    EXPECT_STREQ(tools[0].name, "Flat mill 10");
}

}  // namespace

namespace {

TEST_F(ToolLayout, HighestHillOverTheChainOfEqualHoles) {
    OPE_LIST* o = operation(3, 10, 20);
    o->holeTopZ = 5;
    POINT_LIST* head = view->firstPoint;
    POINT_LIST deeper, higher;
    deeper.ptView[2] = -3;
    higher.ptView[2] = 4;
    head->nextEqual = &higher;
    higher.nextEqual = &deeper;
    deeper.nextEqual = head;   // a damaged chain that loops back
    OP_CYCLE_LIST cycles;
    std::vector<CToolsLayout::DIAM_SORT> entries;
    CToolsLayout().buildDiamSort(view, cycles, 0, entries);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_DOUBLE_EQ(entries[0].highestHill, 8);   // 5 above the lowest hole of the chain
    head->nextEqual = nullptr;
}

}  // namespace
