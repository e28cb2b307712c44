// The hole form of a row as steps: stacking and depths, lengths made up for diameters without a length
// column, cones, threaded steps and threads that no thread table holds.
#include <gtest/gtest.h>

#include "plugin/model/tab_cols_desc.h"
#include "support/form_tables.h"
#include "support/tables_fixture.h"

namespace {

using Row = std::vector<std::string>;

class FormStepsTest : public TablesFixture {};

struct STEP_CASE {
    const char* what;
    std::vector<FORM_ITEM> items;
    Row row;
    int result;
    // per step: start diameter, end diameter, length, top depth, bottom depth
    std::vector<std::array<double, 5>> steps;
};

TEST_F(FormStepsTest, RowsStackTheirStepsFromTheEntryDownwards) {
    installThreadTable(tablesDir);
    const STEP_CASE cases[] = {
        {"10x5 over 6 without length", {{2, 3}, {4, 0}}, {"R", "10", "5", "6"}, 0,
         {{10, 10, 5, 0, -5}, {6, 6, 17, -5, -22}}},
        {"cone of 90 degrees", {{2, 3, 4}}, {"C", "10", "2", "90"}, 0, {{10, 14, 2, 0, -2}}},
        {"only a length column", {{0, 2}}, {"X", "7"}, 0, {{7, 7, 7, 0, -7}}},
        {"tiny diameter gets 20 plus half the one above", {{2, 3}, {4, 0}}, {"T", "8", "4", "0"}, 0,
         {{8, 8, 4, 0, -4}, {0, 0, 24, -4, -28}}},
        {"cone without length stops at a quarter of the step", {{2, 3}, {4, 0, 5}}, {"K", "20", "10", "10", "90"}, 0,
         {{20, 20, 10, 0, -10}, {10, 12.5, 1.25, -10, -11.25}}},
        {"threaded step takes the drilled diameter", {{2, 0, 0, 1}}, {"M", "M10"}, 0, {{8.5, 8.5, 17, 0, -17}}},
        {"items without columns", {{0, 0}}, {"E"}, 1, {}},
    };
    for (const STEP_CASE& c : cases) {
        FORM_TABLE f;
        f.items = c.items;
        CTabColsDesc t = makeFormTable(f);
        EXPECT_EQ(t.buildFormSteps(c.row), c.result) << c.what;
        ASSERT_EQ(t.stepCount, static_cast<int>(c.steps.size())) << c.what;
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const TAB_FORM_STEP& s = t.formSteps[i];
            EXPECT_NEAR(s.startDiameter, c.steps[i][0], 1e-9) << c.what << " step " << i;
            EXPECT_NEAR(s.endDiameter, c.steps[i][1], 1e-9) << c.what << " step " << i;
            EXPECT_NEAR(s.length, c.steps[i][2], 1e-9) << c.what << " step " << i;
            EXPECT_NEAR(s.topDepth, c.steps[i][3], 1e-9) << c.what << " step " << i;
            EXPECT_NEAR(s.bottomDepth, c.steps[i][4], 1e-9) << c.what << " step " << i;
            EXPECT_EQ(s.bottomDepth2, s.bottomDepth) << c.what;
        }
    }
    expectScriptPlayed();
}

TEST_F(FormStepsTest, ThreadedStepsCarryTheThreadAndTheirColumns) {
    installThreadTable(tablesDir);
    FORM_TABLE f;
    f.items = {{2, 3, 0, 0, 1}, {4, 5, 0, 1, 0}};
    CTabColsDesc t = makeFormTable(f);
    ASSERT_EQ(t.buildFormSteps({"R", "12", "3", "M8", "9"}), 0);
    ASSERT_EQ(t.stepCount, 2);
    const TAB_FORM_STEP& plain = t.formSteps[0];
    EXPECT_EQ(plain.flat, 1);
    EXPECT_EQ(plain.threaded, 0);
    EXPECT_EQ(plain.threadColumn, 0);
    EXPECT_EQ(plain.diameterColumn, 2);
    EXPECT_EQ(plain.diameterColumn2, 2);
    EXPECT_EQ(plain.lengthColumn2, 3);
    const TAB_FORM_STEP& thread = t.formSteps[1];
    EXPECT_EQ(thread.threaded, 1);
    EXPECT_EQ(thread.threadColumn, 4);
    EXPECT_DOUBLE_EQ(thread.startDiameter, 6.8);
    EXPECT_DOUBLE_EQ(thread.threadDiameter, 8);
    EXPECT_DOUBLE_EQ(thread.threadPitch, 1.25);
    EXPECT_DOUBLE_EQ(thread.length, 9);
    EXPECT_DOUBLE_EQ(thread.topDepth, -3);

    // In a thread table the designation is the row's first cell.
    FORM_TABLE th;
    th.tableClass = kTableThread;
    th.items = {{2, 0, 0, 1}};
    CTabColsDesc threads = makeFormTable(th);
    ASSERT_EQ(threads.buildFormSteps({"M10", "10"}), 0);
    EXPECT_EQ(threads.formSteps[0].threadColumn, 1);
    EXPECT_DOUBLE_EQ(threads.formSteps[0].startDiameter, 8.5);
}

TEST_F(FormStepsTest, AThreadInNoThreadTableIsToldAndKeepsTheStepsBuiltSoFar) {
    installThreadTable(tablesDir);
    FORM_TABLE f;
    f.name = "TAPPED";
    f.items = {{2, 3}, {4, 5, 0, 1, 0, "Thread"}};
    CTabColsDesc t = makeFormTable(f);
    expectMessage();
    EXPECT_EQ(t.buildFormSteps({"ROW7", "12", "3", "M99", "9"}), 1);
    EXPECT_EQ(t.stepCount, 1);
    EXPECT_TRUE(transcript().contains(
        R"(caption="Forantix" text="Table TAPPED, row ROW7: the thread in column \"Thread\" is in no thread table.)"
        R"(\nAdd the thread to a thread table or correct the row.")"));
    expectScriptPlayed();
}

}  // namespace
