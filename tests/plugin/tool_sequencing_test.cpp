// The tool sequencing run over a tree: one entry per toolpath group, tools numbered by first use or after the
// library's highest number, made tools stored in the library once, offset numbers from the control.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "host/state.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/engine/tool_sequencing.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/services/tables.h"
#include "plugin/tooling/tool_library.h"
#include "plugin/base/machine_info.h"
#include "support/run_tree.h"
#include "support/tool_library_fixture.h"

namespace {

class ToolSequencing : public ToolLibraryFixture {
protected:
    void SetUp() override {
        ToolLibraryFixture::SetUp();
        useLengthWindow();
        g_globals->settings.addNewTools = 0;
        g_globals->settings.firstToolNumber = 5;
        g_globals->tmpDir = dir.path();
        g_toolsArray->clear();
        g_machineInfo = MACHINE_INFO{};
        addTo(library, tool(3, 10, "Drill 10", 95, 100));
        addTo(library, tool(3, 8, "Drill 8", 95, 100));
        addTo(library, tool(3, 6, "Drill 6", 95, 100));
    }
    void TearDown() override {
        clear();
        ToolLibraryFixture::TearDown();
    }
    void clear() {
        freeViewsTree(head);
        head = nullptr;
        g_toolsArray->clear();
    }
    static void numbering(bool on) {
        TpMainGrpMgr().GetMainGrpList().GroupByID(host::kMachineGroupId)->machine.toolNumbering = on ? 1 : 0;
    }
    // A hole with one drill of that diameter, 20 deep.
    OPE_LIST* drill(VIEW_LIST* view, double diameter) {
        POINT_LIST* hole = addHole(view, view->pointCount * 20.0, 0, {{diameter / 2, 0, diameter / 2, -20}});
        OPE_LIST* o = addOperation(hole, 3);
        o->toolDiam = diameter;
        o->zInf = -20;
        return o;
    }
    const tp_tool& toolOf(const OPE_LIST* o) {
        return g_toolsArray->at(static_cast<std::size_t>(o->toolIndex));
    }
    std::vector<FULL_TOOLS_SEQ> run(std::uint8_t onlySelected = 0) {
        std::vector<FULL_TOOLS_SEQ> out;
        sequenceTools(out, head, onlySelected);
        return out;
    }

    VIEW_LIST* head = nullptr;
};

TEST_F(ToolSequencing, OneEntryPerToolpathGroupWithTheViewsPlaces) {
    struct Case {
        std::uint8_t onlySelected;
        bool firstSelected;
        std::vector<int> viewCounts, firstViews;   // first views by place in the tree
    };
    const Case cases[] = {{0, false, {2, 1}, {0, 2}}, {1, false, {1, 1}, {1, 2}}, {1, true, {2, 1}, {0, 2}}};
    for (const Case& c : cases) {
        clear();
        VIEW_LIST* views[] = {addView(head, 1, 1), addView(head, 2, 1), addView(head, 3, 2)};
        for (VIEW_LIST* v : views) {
            drill(v, 8);
            v->selected = 1;
        }
        views[0]->selected = c.firstSelected ? 1 : 0;
        for (VIEW_LIST* v : views)
            for (POINT_LIST* p = v->firstPoint; p; p = p->next) p->selected = 1;
        const auto out = run(c.onlySelected);
        ASSERT_EQ(out.size(), c.viewCounts.size());
        for (std::size_t i = 0; i < out.size(); ++i) {
            EXPECT_EQ(out[i].viewCount, c.viewCounts[i]);
            EXPECT_EQ(out[i].view, views[c.firstViews[i]]);
            EXPECT_EQ(out[i].opes.size(), static_cast<std::size_t>(c.viewCounts[i]));
        }
        EXPECT_EQ(views[1]->sortIndex, c.firstSelected || !c.onlySelected ? 1 : 0);
        EXPECT_EQ(views[2]->sortIndex, 0);
    }
    clear();
    g_toolsArray->push_back(tool(3, 4, "kept"));
    g_toolsArray->back().number = 9;
    EXPECT_TRUE(run().empty());
    EXPECT_EQ(g_toolsArray->back().number, 9);
    EXPECT_EQ(g_toolsArray->back().offsetNumbers[0], 9);   // offsets are set even for an empty tree
}

TEST_F(ToolSequencing, NumberedByFirstUseFromTheFirstToolNumberAndPutInFrontOfTheComments) {
    numbering(true);
    g_globals->settings.takeNearestTool = 0;   // a missing tool stays missing
    VIEW_LIST* v = addView(head, 1, 1);
    const OPE_LIST* d10 = drill(v, 10);
    const OPE_LIST* d6 = drill(v, 6);
    const OPE_LIST* d10again = drill(v, 10);
    OPE_LIST* d8 = drill(v, 8);
    OPE_LIST* missing = drill(v, 7.3);
    setFieldText(d8->comment, "Drill 8");
    setFieldText(missing->comment, "Drill 7.3");
    const auto out = run();
    ASSERT_EQ(out.size(), 1u);
    // Drills are machined by ascending diameter.
    EXPECT_EQ(toolOf(d6).number, 5);
    EXPECT_EQ(toolOf(d8).number, 6);
    EXPECT_EQ(toolOf(d10).number, 7);
    EXPECT_EQ(&toolOf(d10again), &toolOf(d10));
    EXPECT_EQ(g_toolsArray->size(), 3u);
    EXPECT_EQ(fieldText(d8->comment), "T06 Drill 8");
    EXPECT_EQ(fieldText(missing->comment), "Drill 7.3");
}

TEST_F(ToolSequencing, MadeToolsAreNumberedAfterTheLibrarysHighestOrStoredInIt) {
    struct Case {
        std::int16_t addNewTools;
        std::int32_t first, second;
        std::uint8_t inLibrary;
        int libraryTools;
    };
    // Highest library number 12: the counter starts past the next free number, at 14, and goes up once per
    // operation (the two 6.5 drills share a tool, which keeps the later number); stored tools take the
    // library's own numbers (13, 14), each tool once.
    tp_tool twelve = tool(3, 30, "Drill 30", 95, 100);
    char path[1024];
    std::snprintf(path, sizeof path, "%s", library.c_str());
    ASSERT_EQ(library_manager(kLibraryStoreTool, path, &twelve, 12, kLibraryOptionAdd), 1);
    numbering(false);
    // In this order: the first case leaves the library as it was.
    const Case cases[] = {{0, 15, 16, 0, 4}, {1, 13, 14, 1, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.addNewTools);
        g_globals->settings.addNewTools = c.addNewTools;
        clear();
        VIEW_LIST* v = addView(head, 1, 1);
        const OPE_LIST* a = drill(v, 6.5);
        const OPE_LIST* b = drill(v, 7.5);
        const OPE_LIST* a2 = drill(v, 6.5);
        (void)run();
        EXPECT_EQ(a->newTool, 1);
        EXPECT_EQ(toolOf(a).number, c.first);
        EXPECT_EQ(toolOf(b).number, c.second);
        // The run's mark is the record's byte 751; byte 786 is the tools view's, which the run leaves clear.
        for (const OPE_LIST* o : {a, b, a2}) {
            const auto image = opeImage(*o, [](const void*) { return std::uint32_t{0}; });
            EXPECT_EQ(image[ope_layout::toolAddedToLibrary], c.inLibrary);
            EXPECT_EQ(image[ope_layout::toolInLibrary], 0);
            EXPECT_EQ(toolStoredInLibrary(*o), c.inLibrary != 0);
        }
        EXPECT_EQ(loadToolList(library).size(), static_cast<std::size_t>(c.libraryTools));
    }
}

// A library that does not take a made tool (here one the host cannot write) is asked once a run, without a box
// of the plug-in's: the host says why, and the run goes on with its made tools the part's own.
TEST_F(ToolSequencing, ALibraryThatTakesNoToolIsAskedOnceAndTheRunGoesOn) {
    g_globals->settings.addNewTools = 1;
    numbering(false);
    library = dir.path() + "/missing/none.Tools";
    g_globals->settings.toolLibraryPath = library;
    addTo(bigLibrary, tool(3, 10, "Big drill 10", 95, 100));
    VIEW_LIST* v = addView(head, 1, 1);
    const OPE_LIST* a = drill(v, 6.5);
    const OPE_LIST* b = drill(v, 7.5);
    (void)run();
    expectScriptPlayed();
    const auto& lines = transcript().lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& l) { return l.find("host.message \"The tool library " + library) != std::string::npos; }),
              1);
    EXPECT_FALSE(transcript().contains("msgbox"));
    EXPECT_FALSE(toolStoredInLibrary(*a));
    EXPECT_FALSE(toolStoredInLibrary(*b));
    EXPECT_EQ(toolOf(a).number, 2);   // an unreadable library counts as empty: next free 1, counter 2
}

TEST_F(ToolSequencing, OffsetsFromTheControlAndNumberingWithoutAnActiveGroup) {
    struct Case {
        bool activeGroup, machineInfo;
        std::int16_t offsetFlag;
        std::int32_t number, offsets[2];
    };
    const Case cases[] = {
        {true, false, 0, 5, {205, 105}},
        {true, false, 1, 5, {0, 0}},
        {false, true, 0, 5, {205, 105}},   // the machine group the cycle read numbers the tools
        {false, false, 0, 2, {202, 102}},  // nothing to number from: the library's number stays
    };
    for (const Case& c : cases) {
        host::setActiveGroup(c.activeGroup);
        numbering(true);
        g_machineInfo = MACHINE_INFO{};
        g_machineInfo.ncPath[0] = c.offsetFlag;
        g_machineInfo.ncPath[1] = 100;
        g_machineInfo.ncPath[2] = 200;
        if (c.machineInfo) g_machineInfo.rootMachineGroup = TpMainGrpMgr().GetMainGrpList().GroupByID(host::kMachineGroupId);
        clear();
        const OPE_LIST* d = drill(addView(head, 1, 1), 8);
        (void)run();
        EXPECT_EQ(toolOf(d).number, c.number);
        EXPECT_EQ(toolOf(d).offsetNumbers[0], c.offsets[0]);
        EXPECT_EQ(toolOf(d).offsetNumbers[1], c.offsets[1]);
    }
}

}  // namespace
