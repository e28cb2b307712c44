// Drilling operations deeper than the shipped drill-size table allows: limited by each strategy, or split to
// the opposite side. The split in two goes and the opposite side's share are played through Execute in
// recognition_run_cases_test.cpp; here what a part there does not show.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/engine/depth_limit.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/engine/run_statistics.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "support/process_fixture.h"

namespace {

class DepthLimit : public ProcessFixture {
protected:
    int divide(POINT_LIST& hole) {
        return DivideIfMaxDeep(hole, whyTexts, tables.data(), static_cast<int>(tables.size()), drillIndex,
                               readAllowedViews(g_globals->settings));
    }
    CTextSection whyTexts;
};

struct SHAPE {
    std::uint32_t type;
    double zSup, zInf;
    std::int16_t drillMode;
    std::uint32_t cycle;
};

TEST_F(DepthLimit, StrategiesOfATooDeepDrill) {
    const CIL blind{.D = 5, .zTop = 0, .zBottom = -60, .tipTool = 1, .tipAngleDeg = 118};   // a 5 mm drill reaches 52
    struct CASE {
        const char* what;
        int strategy;
        std::int16_t startAtTop;
        std::vector<SHAPE> ops;   // a zInf of 1 stands for the drill's bottom before the limit
    } cases[] = {
        {"split in two, the second from the top", 0, 0, {{2, 0, -1.5, 0, 0}, {3, 0, -52, 0, 1}, {3, 0, 1, 12, 7}}},
        {"marked only", 1, 0, {{2, 0, -1.5, 0, 0}, {3, 0, 1, 12, 1}}},
        {"clamped with a note", 2, 0, {{2, 0, -1.5, 0, 0}, {3, 0, -52, 0, 1}}},
        {"the longest tool: none in the library, nothing changes", 3, 0, {{2, 0, -1.5, 0, 0}, {3, 0, 1, 0, 1}}},
    };
    g_globals->settings.tryDrillBeyondMax = 0;
    g_globals->settings.longToolCycle = 7;
    for (const CASE& c : cases) {
        g_globals->settings.longToolStrategy = static_cast<std::int16_t>(c.strategy);
        g_globals->settings.longToolStartAtTop = c.startAtTop;
        TEST_VIEW v;
        POINT_LIST* h = v.hole({blind});
        assign(*h, "Drilled", "D5");
        ASSERT_EQ(apply(*h), 0);
        const double bottom = operations(*h)[1]->zInf;
        ASSERT_LT(bottom, -59.9);
        ASSERT_EQ(divide(*h), 0) << c.what;
        EXPECT_EQ(h->depthChecked, 1) << c.what;
        EXPECT_EQ(v.view->next, nullptr) << c.what << ": nothing made on the other side";
        const auto ops = operations(*h);
        ASSERT_EQ(ops.size(), c.ops.size()) << c.what;
        for (std::size_t i = 0; i < ops.size(); ++i) {
            const SHAPE& e = c.ops[i];
            EXPECT_EQ(ops[i]->toolType, e.type) << c.what << " op " << i;
            EXPECT_DOUBLE_EQ(ops[i]->zSup, e.zSup) << c.what << " op " << i;
            EXPECT_DOUBLE_EQ(ops[i]->zInf, e.zInf == 1 ? bottom : e.zInf) << c.what << " op " << i;
            EXPECT_EQ(ops[i]->drillMode, e.drillMode) << c.what << " op " << i;
            EXPECT_EQ(ops[i]->cycle, e.cycle) << c.what << " op " << i;
            EXPECT_EQ(ops[i]->splitSecond, i == 2 ? 1 : 0) << c.what << " op " << i;
        }
        if (ops.size() == 3) {
            EXPECT_NE(ops[1]->processOpe.get(), ops[2]->processOpe.get()) << c.what;
        }
    }
}

// The drill-size table lets a 5 mm drill go 52; the hole is 60 deep. With the longest library drill of the
// diameter the drill stops where that tool still has one diameter ("ToolSelectionCriteria" 1) to spare;
// a library drill longer than the hole changes nothing.
TEST_F(DepthLimit, TheLongestLibraryToolLeavesItsMarginAboveTheBottom) {
    const CIL blind{.D = 5, .zTop = 0, .zBottom = -60, .tipTool = 1, .tipAngleDeg = 118};
    struct CASE {
        double shoulders[2];   // of the library's 5 mm drills
        double zInf;           // of the drilling; 1 for unchanged
        bool noted;
    } cases[] = {{{30, 40}, -(40 - 1.5 * 5), true}, {{40, 70}, 1, false}};
    PRM_SETTINGS& s = g_globals->settings;
    s.tryDrillBeyondMax = 0;
    s.longToolStrategy = kLongestTool;
    s.toolLengthKind = 1;
    s.minToolLengthFactor = 1.5;
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.shoulders[1]);
        s.toolLibraryPath = dir.path() + "/drills" + std::to_string(static_cast<int>(c.shoulders[1])) + ".Tools";
        for (double shoulder : c.shoulders) {
            tp_tool t;
            t.type = 3;
            t.diameter = 5;
            t.fluteLength = shoulder - 10;
            t.shoulderLength = shoulder;
            t.overallLength = shoulder + 20;
            t.unitFlag = 1;
            std::snprintf(t.name, sizeof t.name, "Drill 5 x %g", shoulder);
            char path[1024];
            std::snprintf(path, sizeof path, "%s", s.toolLibraryPath.c_str());
            ASSERT_GT(library_manager(kLibraryAddTool, path, &t), 0);
        }
        TEST_VIEW v;
        POINT_LIST* h = v.hole({blind});
        assign(*h, "Drilled", "D5");
        ASSERT_EQ(apply(*h), 0);
        const double bottom = operations(*h)[1]->zInf;
        ASSERT_EQ(divide(*h), 0);
        const auto ops = operations(*h);
        ASSERT_EQ(ops.size(), 2u);
        EXPECT_DOUBLE_EQ(ops[1]->zInf, c.zInf == 1 ? bottom : c.zInf);
        EXPECT_EQ(ops[1]->through, 0);
        EXPECT_EQ(std::string(ops[1]->comment).find("Longest tool used") != std::string::npos, c.noted)
            << ops[1]->comment;
    }
}

TEST_F(DepthLimit, SplitInTwoKeepsAtLeastOneDiameterBelow) {
    g_globals->settings.longToolStartAtTop = 1;
    g_globals->settings.tryDrillBeyondMax = 0;
    TEST_VIEW v;
    POINT_LIST* h = v.hole({{.D = 5, .zTop = 0, .zBottom = -12, .through = 1}});
    assign(*h, "Drilled", "D5");
    ASSERT_EQ(apply(*h), 0);
    OPE_LIST& drill = *h->opeList->next;
    ASSERT_DOUBLE_EQ(drill.zInf, -12);
    // Deeper than allowed by less than 0.1 D: one operation still.
    limitOperationDepth(*h, drill, 12 - 0.4, kSplitInTwo);
    EXPECT_EQ(operations(*h).size(), 2u);
    EXPECT_EQ(h->depthChecked, 1);
    // By half a diameter: the second operation cuts one diameter.
    limitOperationDepth(*h, drill, 12 - 2.5, kSplitInTwo);
    const auto ops = operations(*h);
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_DOUBLE_EQ(ops[1]->zInf, -7);
    EXPECT_DOUBLE_EQ(ops[2]->zSup - ops[2]->zInf, 5);
}

TEST_F(DepthLimit, AThroughHoleSplitToTheOtherSide) {
    g_globals->settings.tryDrillBeyondMax = 1;
    g_globals->settings.longToolStrategy = kMarkOnly;
    whyTexts.init(installDir + "/Tool.txt", "drillOperationWhy", 20);
    whyTexts.setText(11, "; split");
    TEST_VIEW v;
    const CIL deep{.D = 5, .zTop = 0, .zBottom = -120, .through = 1};
    POINT_LIST* h = v.hole({deep});
    POINT_LIST* follower = v.hole({deep}, 20);
    POINT_LIST* crashed = v.hole({deep}, 40);
    h->nextEqual = follower;
    h->chainCount = 1;
    follower->chainMember = 1;
    crashed->crashBottom = 1;
    for (POINT_LIST* p : {h, crashed}) {
        assign(*p, "Drilled", "D5");
        ASSERT_EQ(apply(*p), 0);
    }
    setFieldText(h->description, "D5");
    ASSERT_EQ(divide(*h), 0);
    VIEW_LIST* opp = v.view->next;
    ASSERT_NE(opp, nullptr);
    POINT_LIST* other = h->deepSplitNext;
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->deepSplitPrev, h);
    EXPECT_EQ(other->view, opp);
    EXPECT_STREQ(other->rowName, "D5");
    EXPECT_EQ(h->splitByDepth, 1);
    EXPECT_EQ(fieldText(h->description), "D5; split");
    EXPECT_EQ(fieldText(other->description), "D5; split");
    // The follower's counterpart joins the new hole's chain.
    ASSERT_NE(other->nextEqual, nullptr);
    EXPECT_EQ(other->nextEqual->chainMember, 1);
    EXPECT_EQ(other->chainCount, 1);
    // A hole with a crash at its bottom is limited instead.
    ASSERT_EQ(divide(*crashed), 0);
    EXPECT_EQ(crashed->deepSplitNext, nullptr);
    EXPECT_EQ(operations(*crashed)[1]->drillMode, 12);
}

// The counterbore's table has no row for the bore alone: the half takes the plain drilled hole's. A bore no
// table has a row for leaves the half without a table, row or process, told as such.
TEST_F(DepthLimit, TheLowerHalfOfASplitCounterboreIsDrilledFromTheOtherSide) {
    g_globals->settings.tryDrillBeyondMax = 1;
    g_globals->settings.firstFaceShare = 0.5;
    g_globals->settings.longToolStrategy = kMarkOnly;
    struct CASE {
        double bore;
        const char* table;
        const char* row;
        std::size_t operations;
        const char* explanation;
        long noRow;
    } cases[] = {
        {6.6, "Drilled", "D6.6", 2, "Drilled D6.6 - 1", 0},
        {7.7, "", "", 0, "; no process", 1},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.bore);
        TEST_VIEW v;
        POINT_LIST* h = v.hole({{.D = 11, .zTop = 0, .zBottom = -6.4, .flat = 1},
                                {.D = c.bore, .zTop = -6.4, .zBottom = -120, .through = 1}});   // a drill reaches 67
        assign(*h, "Counterbored", "CB6.6");
        ASSERT_EQ(apply(*h), 0);
        ASSERT_EQ(divide(*h), 0);
        EXPECT_DOUBLE_EQ(operations(*h)[1]->zInf, -60);
        POINT_LIST* other = h->deepSplitNext;
        ASSERT_NE(other, nullptr);
        EXPECT_STREQ(other->tableName, c.table);
        EXPECT_STREQ(other->rowName, c.row);
        EXPECT_EQ(other->adaptedRow, -1);
        EXPECT_EQ(explainHole(*other, holeTableClass(*other)).whole(), c.explanation);
        EXPECT_EQ(holesWithoutProcess(other->view).noRow, c.noRow);
        const auto ops = operations(*other);
        ASSERT_EQ(ops.size(), c.operations);
        if (ops.empty()) continue;
        EXPECT_EQ(ops[1]->toolType, 3u);
        EXPECT_DOUBLE_EQ(ops[1]->toolDiam, c.bore);
        EXPECT_NEAR(ops[1]->zSup - ops[1]->zInf, 60, 1e-9);
    }
}

// The usable length of a drill comes from the drill-size table: the row of its size, the largest row for
// a drill beyond the table; a table without rows tells nothing, and then no drill is too deep.
TEST_F(DepthLimit, TheUsableLengthComesFromTheDrillSizeTableAndAnEmptyTableLimitsNothing) {
    CTabColsDesc& drill = tables[static_cast<std::size_t>(drillIndex)];
    double shortest = 0, longest = 0, length = 0;
    ASSERT_TRUE(maxToolDepth(drill, 5, &shortest));
    EXPECT_NEAR(shortest, 52, 1e-9);   // the 5 mm row
    ASSERT_EQ(drill.sortRowsByColumn(1), 0);
    const double largest = std::atof(drill.cell(drill.rowCount - 1, 0).c_str());
    ASSERT_TRUE(maxToolDepth(drill, largest + 10, &longest));
    EXPECT_GT(longest, shortest);

    g_globals->settings.tryDrillBeyondMax = 0;
    g_globals->settings.longToolStrategy = kMarkOnly;
    TEST_VIEW v;
    POINT_LIST* h = v.hole({{.D = 5, .zTop = 0, .zBottom = -60, .tipTool = 1, .tipAngleDeg = 118}});
    assign(*h, "Drilled", "D5");
    ASSERT_EQ(apply(*h), 0);
    drill.cells.clear();
    drill.rowCount = 0;
    EXPECT_FALSE(maxToolDepth(drill, 5, &length));
    ASSERT_EQ(divide(*h), 0);
    EXPECT_EQ(h->depthChecked, 0);
    for (const OPE_LIST* op : operations(*h)) EXPECT_NE(op->drillMode, 12);
}

}  // namespace
