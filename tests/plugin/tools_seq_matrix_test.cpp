// The tool sequence matrix: holes' operation chains aligned into one tool type per column and read out
// column by column.
#include <gtest/gtest.h>

#include <random>

#include "plugin/base/globals.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/tool_layout.h"
#include "plugin/tooling/tools_log.h"
#include "plugin/tooling/tools_seq_matrix.h"
#include "support/tool_tree.h"

namespace {

constexpr int kDrill = 3, kTap = 4, kReamer = 6, kSpot = 2;

class ToolsSeqMatrix : public ::testing::Test {
protected:
    void SetUp() override { setUnitTolerances(true); }

    // Tool types row by row, 0 for a gap, over the operation columns that hold anything.
    std::vector<std::vector<int>> layout(const ToolSequenceMatrix& m) {
        int used = 0;
        for (int r = 0; r < m.rows(); ++r)
            for (int c = 0; c < m.operationColumns(); ++c)
                if (m.operationAt(r, c)) used = std::max(used, c + 1);
        std::vector<std::vector<int>> rows;
        for (int r = 0; r < m.rows(); ++r) {
            rows.emplace_back();
            for (int c = 0; c < used; ++c) rows.back().push_back(m.toolTypeAt(r, c));
        }
        return rows;
    }

    ToolTree tree;
};

TEST_F(ToolsSeqMatrix, DrillDrillTapAgainstDrillTap) {
    VIEW_LIST* v = tree.view();
    POINT_LIST* first = tree.hole(v, {kDrill, kDrill, kTap});
    POINT_LIST* second = tree.hole(v, {kDrill, kTap});
    ToolSequenceMatrix m;
    ASSERT_EQ(m.build(v, 0), 0);
    EXPECT_EQ(m.rows(), 2);
    EXPECT_EQ(m.operationColumns(), 2 * (3 + 1));
    EXPECT_EQ(second->opeList->holeRow, 1);
    m.alignColumns(nullptr, "");
    EXPECT_EQ(layout(m), (std::vector<std::vector<int>>{{kDrill, kDrill, kTap}, {kDrill, 0, kTap}}));

    std::vector<OPE_LIST*> sequence;
    EXPECT_EQ(m.toSequence(sequence, 0), 5);
    const auto a = ToolTree::operations(first), b = ToolTree::operations(second);
    EXPECT_EQ(sequence, (std::vector<OPE_LIST*>{a[0], b[0], a[1], a[2], b[1]}));
}

TEST_F(ToolsSeqMatrix, NewTypeWaitsAndGapsCanBeCommonest) {
    VIEW_LIST* v = tree.view();
    tree.hole(v, {kDrill, kReamer});
    tree.hole(v, {kDrill, kTap});
    tree.hole(v, {kDrill});
    ToolSequenceMatrix m;
    ASSERT_EQ(m.build(v, 0), 0);
    // Column 1 holds a reamer, a tap and a gap: all count once, the first seen wins.
    EXPECT_EQ(m.mostPopulatedType(1), kReamer);
    // Column 2 is all gaps.
    EXPECT_EQ(m.mostPopulatedType(2), 0);
    m.alignColumns(nullptr, "");
    // Neither type of column 1 was seen before: the first waits, which leaves the tap alone below it.
    EXPECT_EQ(layout(m), (std::vector<std::vector<int>>{{kDrill, 0, kReamer}, {kDrill, kTap, 0}, {kDrill, 0, 0}}));
}

TEST_F(ToolsSeqMatrix, EqualOperationsFollowTheirViewsPlace) {
    VIEW_LIST* top = tree.view(7);
    VIEW_LIST* side = tree.view(7, 2);
    VIEW_LIST* other = tree.view(8, 3);
    tree.hole(other, {kDrill});
    POINT_LIST* onTop = tree.hole(top, {kDrill});
    POINT_LIST* onSide = tree.hole(side, {kDrill});
    top->sortIndex = 1;
    side->sortIndex = 0;
    onTop->opeList->toolDiam = 8.0;
    onSide->opeList->toolDiam = 8.009;   // within 0.4 T
    EXPECT_EQ(ToolSequenceMatrix::groupViewCount(top), 2);
    ToolSequenceMatrix m;
    ASSERT_EQ(m.build(top, 0), 0);
    EXPECT_EQ(m.rows(), 2);   // the third view is another group
    std::vector<OPE_LIST*> sequence;
    m.toSequence(sequence, 0);
    EXPECT_EQ(sequence, (std::vector<OPE_LIST*>{onSide->opeList, onTop->opeList}));
    // Layers go first, highest first.
    onTop->opeList->layer = 2;
    m.toSequence(sequence, 0);
    EXPECT_EQ(sequence, (std::vector<OPE_LIST*>{onTop->opeList, onSide->opeList}));
}

TEST_F(ToolsSeqMatrix, LeftOutHolesAndEmptyGroups) {
    VIEW_LIST* v = tree.view();
    POINT_LIST* out = tree.hole(v, {kDrill});
    POINT_LIST* unselected = tree.hole(v, {kDrill});
    POINT_LIST* kept = tree.hole(v, {kSpot});
    out->excluded = 1;
    kept->selected = 1;
    (void)unselected;
    ToolSequenceMatrix m;
    ASSERT_EQ(m.build(v, 0), 0);
    EXPECT_EQ(m.rows(), 2);
    ASSERT_EQ(m.build(v, 1), 0);
    EXPECT_EQ(m.rows(), 1);
    EXPECT_EQ(m.holeAt(0), kept);
    EXPECT_EQ(m.operationAt(0, 99), nullptr);
    EXPECT_EQ(m.holeAt(5), nullptr);

    ToolSequenceMatrix empty;
    ASSERT_EQ(empty.build(tree.view(3), 0), 0);
    empty.alignColumns(nullptr, "");
    std::vector<OPE_LIST*> sequence{nullptr};
    EXPECT_EQ(empty.toSequence(sequence, 0), 0);
    EXPECT_TRUE(sequence.empty());
}

TEST_F(ToolsSeqMatrix, RowsGrowRatherThanDropOperations) {
    // Random chains push some rows past the spare gaps a row starts with; every operation must come out
    // once, each hole's in its own order.
    std::mt19937 random(5);
    int widened = 0;
    for (int trial = 0; trial < 40; ++trial) {
        ToolTree t;
        VIEW_LIST* v = t.view();
        std::vector<POINT_LIST*> holes;
        std::size_t longest = 0;
        for (int h = 0; h < 6; ++h) {
            std::vector<int> types(1 + random() % 5);
            for (int& type : types) type = 1 + static_cast<int>(random() % 12);
            longest = std::max(longest, types.size());
            holes.push_back(t.hole(v, types));
        }
        ToolSequenceMatrix m;
        ASSERT_EQ(m.build(v, 0), 0);
        m.alignColumns(nullptr, "");
        int total = 0;
        for (int r = 0; r < m.rows(); ++r) {
            std::vector<OPE_LIST*> inRow;
            for (int c = 0; c < m.operationColumns(); ++c)
                if (OPE_LIST* o = m.operationAt(r, c)) inRow.push_back(o);
            EXPECT_EQ(inRow, ToolTree::operations(holes[r])) << "trial " << trial << " row " << r;
            total += static_cast<int>(inRow.size());
        }
        std::vector<OPE_LIST*> sequence;
        EXPECT_EQ(m.toSequence(sequence, 0), total);
        if (m.operationColumns() > static_cast<int>(2 * (longest + 1))) ++widened;
    }
    EXPECT_GT(widened, 0);
}

}  // namespace

namespace {

std::string logText(std::FILE* f) {
    std::rewind(f);
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, f)) text += buffer;
    return text;
}

TEST_F(ToolsSeqMatrix, ToolsLogOfMatrixAndSequence) {
    VIEW_LIST* v = tree.view();
    v->viewNumber = 5;
    POINT_LIST* first = tree.hole(v, {kDrill, kTap}, 10, 20, "M8 thread");
    POINT_LIST* second = tree.hole(v, {kTap}, 30, 40, "M8 blind");
    POINT_LIST equal;   // hung behind the first hole in its chain of equal holes
    equal.ptView[0] = 11;
    equal.ptView[1] = 21;
    first->nextEqual = &equal;
    const auto a = ToolTree::operations(first);
    a[0]->toolIndex = 0;
    a[1]->toolIndex = -1;
    second->opeList->toolIndex = -1;
    std::vector<tp_tool> tools(1);
    std::snprintf(tools[0].name, sizeof tools[0].name, "Drill 6.8");
    tools[0].diameter = 6.8;
    tools[0].fluteLength = 40;

    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    ToolSequenceMatrix m;
    ASSERT_EQ(m.build(v, 0), 0);
    m.alignColumns(log, "");
    m.print(log, "Test Arrange ToolsSeqMatrix");
    std::vector<OPE_LIST*> sequence;
    m.toSequence(sequence, 0);
    g_toolsLog = log;
    printRenumberedSequence(sequence, tools);
    g_toolsLog = nullptr;
    const std::string text = logText(log);
    std::fclose(log);
    EXPECT_NE(text.find("\nTest Arrange ToolsSeqMatrix\n"), std::string::npos);
    EXPECT_NE(text.find("_____M8_thread -> T00d T-01e T___"), std::string::npos) << text;
    EXPECT_NE(text.find("______M8_blind -> T___ T-01e T___"), std::string::npos) << text;
    EXPECT_NE(text.find("T00 3 '       Drill 6.8' 6.80 x 40.00\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    Plano: 5 Capa: 0 Seq: 0 Forma: 0"), std::string::npos) << text;
    EXPECT_NE(text.find("        2 Puntos: (X10.00 Y20.00) (X11.00 Y21.00)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("        1 Puntos: (X30.00 Y40.00)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("T-01 4 not found\n"), std::string::npos) << text;
    first->nextEqual = nullptr;
}

}  // namespace
