// Builder parts recognised as the recognition command does it, each hole described in its table's terms,
// given its row and the row's process from the shipped metric library: the operations that land on it.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "plugin/engine/apply_process.h"
#include "plugin/engine/hole_description.h"
#include "plugin/engine/operation_values.h"
#include "plugin/engine/table_matching.h"
#include "plugin/tables/services.h"
#include "support/hole_tables_fixture.h"
#include "support/process_fixture.h"

namespace {

namespace C = process_calc;

struct OP {
    std::uint32_t type;
    double toolDiam, zSup, zInf;
    std::uint8_t through;
};

class ApplyProcessOnParts : public HoleTablesFixture {
protected:
    void SetUp() override {
        HoleTablesFixture::SetUp();
        loadAllTables(tables, &drillIndex);
        ASSERT_GE(drillIndex, 0);
    }
    // The hole described for the table, given the table's row of that name and the row's process.
    void assign(POINT_LIST& hole, const std::string& name, const std::string& rowName) {
        int t = -1;
        for (std::size_t i = 0; i < tables.size(); ++i)
            if (tables[i].name == name) t = static_cast<int>(i);
        ASSERT_GE(t, 0) << name;
        CTabColsDesc& table = tables[static_cast<std::size_t>(t)];
        const std::vector<CIL_DESC> descs = describeHole(hole.firstCyl, table.chamferAngleA, table.chamferAngleB,
                                                         table.maxChamfer, &tables[static_cast<std::size_t>(drillIndex)]);
        setHoleDescription(hole, descs.data(), static_cast<int>(descs.size()));
        std::vector<std::string> cells;
        table.getRow(0, cells);
        table.buildCilColumns(cells);
        ASSERT_EQ(tableMatchesShape(table, hole.descs, hole.descCount, false), 1) << name;
        const int row = findMeasuresLineByName(table, rowName);
        ASSERT_GE(row, 0) << rowName;
        table.getRow(row, cells);
        hole.tableIndex = static_cast<std::int16_t>(t);
        hole.rowIndex = static_cast<std::int16_t>(row);
        setFieldText(hole.rowName, cells[0]);
        setFieldText(hole.processName, cells[static_cast<std::size_t>(table.processColumn - 1)]);
    }

    std::vector<CTabColsDesc> tables;
    int drillIndex = -1;
};

TEST_F(ApplyProcessOnParts, RecognisedHolesGetTheOperationsOfTheirRows) {
    const double top = kTop;
    const double tipShift = 0.025 / std::tan(59 * std::numbers::pi / 180);
    struct CASE {
        const char* what;
        hb::HoleSpec hole;
        const char* coded;
        const char* table;
        const char* row;
        std::vector<OP> ops;
    } cases[] = {
        {"a blind drilled hole", hb::blindTipped("b", {10, 10, top}, {0, 0, -1}, 5, 12), nullptr, "Drilled", "D5",
         {{2, 10, top, top - 1.5, 0}, {3, 5, top, top - 12, 0}}},
        {"a through hole", hb::throughHole("t", {30, 10, top}, {0, 0, -1}, 5), nullptr, "Drilled", "D5",
         {{2, 10, top, top - 1.5, 0}, {3, 5, top, 0, 1}}},
        // The description folds the core into the thread down to where its tip cone, widened to the thread's
        // bore, would begin: 17.94 deep.
        {"a tapped hole: its core drill from the thread table, the tip moved by the diameter difference",
         hb::holeAt("m8", {50, 10, top}, {0, 0, -1}).cylinder(6.8, 12).cylinder(6.6, 6).tip(118), "GD_M8_20",
         "Tapped", "M8",
         {{2, 10, top, top - 0.3 * 6.75, 0}, {3, 6.75, top, top - 17.94 - tipShift, 0},
          {4, 8, top, top - 17.94 - tipShift, 0}}},
        {"a counterbore: the mill stops on the step's floor", hb::counterbored("cb", {70, 10, top}, {0, 0, -1}, 5.5, 10, 5.4),
         nullptr, "Counterbored", "CB5.5", {{2, 10, top, top - 1.65, 0}, {3, 5.5, top, 0, 1}, {10, 10, top, top - 5.4, 0}}},
    };
    std::vector<hb::HoleSpec> holes;
    for (const CASE& c : cases) holes.push_back(c.hole);
    recognise(holes);
    for (const CASE& c : cases)
        if (c.coded) nameHole(c.coded, c.hole.entry[0], c.hole.entry[1]);
    readNameHoleAttribs(tree);
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        POINT_LIST* hole = holeAt(c.hole.entry[0], c.hole.entry[1]);
        ASSERT_NE(hole, nullptr);
        assign(*hole, c.table, c.row);
        EXPECT_STREQ(hole->rowName, c.row);
        ASSERT_EQ(applyProcessToHole(tables.data(), static_cast<int>(tables.size()), *hole, kApplyAll), 0);
        std::vector<const OPE_LIST*> ops;
        for (const OPE_LIST* op = hole->opeList; op; op = op->next) ops.push_back(op);
        ASSERT_EQ(ops.size(), c.ops.size());
        for (std::size_t i = 0; i < ops.size(); ++i) {
            EXPECT_EQ(ops[i]->toolType, c.ops[i].type) << i;
            EXPECT_NEAR(ops[i]->toolDiam, c.ops[i].toolDiam, 1e-9) << i;
            EXPECT_NEAR(ops[i]->zSup, c.ops[i].zSup, 1e-6) << i;
            EXPECT_NEAR(ops[i]->zInf, c.ops[i].zInf, 0.01) << i;
            EXPECT_EQ(ops[i]->through, c.ops[i].through) << i;
            EXPECT_EQ(ops[i]->view, hole->view) << i;
            EXPECT_NE(ops[i]->entityId, 0u) << i;
        }
    }
}

}  // namespace
