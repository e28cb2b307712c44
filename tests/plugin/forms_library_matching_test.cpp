// The shipped metric library against the holes users draw: each standard hole, built and recognised, and
// each hole of the example plate's STEP file gets a table and a real row of it (not one added for it,
// not a provisional "**" row).
#include <gtest/gtest.h>

#include <string>

#include "plugin/engine/hole_description.h"
#include "plugin/engine/table_assignment.h"
#include "support/hole_tables_fixture.h"

namespace {

struct STANDARD_HOLE {
    const char* what;
    hb::HoleSpec hole;
    const char* coded;   // a drawing's attribute on the hole, or null
    const char* table;
    const char* row;
};

class FormsLibraryMatchingTest : public HoleTablesFixture {
protected:
    void SetUp() override {
        HoleTablesFixture::SetUp();
        ASSERT_GT(loadAllTables(tables, &drill), 0);
    }
    // Assigns the hole and checks it took `table` and its row `row` as they stand in the library.
    void expectRealRow(POINT_LIST* hole, const std::string& table, const std::string& row) {
        ASSERT_NE(hole, nullptr);
        EXPECT_GE(assignTableToHole(hole, tables, drill), 1);
        EXPECT_EQ(hole->tableName, table);
        EXPECT_EQ(hole->rowName, row);
        EXPECT_EQ(hole->provisionalRow, 0);
        EXPECT_EQ(hole->noMeasures, 0);
        EXPECT_GE(hole->rowIndex, 0);
        EXPECT_EQ(this->table(table).findRowByName(row), hole->rowIndex) << "the row was added";
    }

    std::vector<CTabColsDesc> tables;
    int drill = -1;
};

TEST_F(FormsLibraryMatchingTest, EachStandardHoleFindsItsTableAndARealRow) {
    const host::Vec3 o{0, 0, kTop}, down{0, 0, -1};
    const std::vector<STANDARD_HOLE> cases = {
        {"drilled through", hb::throughHole("t", o, down, 8), nullptr, "Drilled", "D8"},
        {"drilled blind, 118 degree tip", hb::blindTipped("b", o, down, 8.5, 15), nullptr, "Drilled", "D8.5"},
        {"reamed H7 fit: the same form, its fit kept for the reamer", hb::throughHole("h", o, down, 8), "PD_H7_8",
         "Drilled", "D8"},
        {"blind with a flat floor", hb::blindFlat("f", o, down, 10, 6), nullptr, "Blind flat", "F10"},
        {"counterbored for M6", hb::counterbored("cb", o, down, 6.6, 11, 6.4), nullptr, "Counterbored", "CB6.6"},
        {"spot faced", hb::spotFaced("sf", o, down, 9, 18, 0.5), nullptr, "Counterbored", "SF9"},
        {"countersunk 90 degrees for M6", hb::countersunk("cs", o, down, 6.6, 12.6, 90), nullptr, "Countersunk", "CS12.6"},
        {"countersunk 90 degrees for M3, shallower than the chamfer depth", hb::countersunk("cs3", o, down, 3.4, 6.4, 90),
         nullptr, "Countersunk", "CS6.4"},
        {"tapped M8 over its core drill", hb::holeAt("m8", o, down).cylinder(6.8, 12).cylinder(6.6, 6).tip(118),
         "GD_M8_20", "Tapped", "M8"},
        {"stepped 12/8/5", hb::stepped("s", o, down, {{12, 4}, {8, 4}, {5, 0}}), nullptr, "Stepped", "S12-8-5"},
    };
    recogniseGrid(cases);
    g_globals->viewsTree = tree;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        POINT_LIST* hole = holeAt(gridX(i), gridY(i));
        expectRealRow(hole, cases[i].table, cases[i].row);
        if (cases[i].coded && hole) {
            ASSERT_GE(hole->descCount, 1);
            EXPECT_EQ(cilValues(hole->descs[0]).opeGeo, cases[i].coded[0] == 'P' ? 2 : 1);
        }
    }
    g_globals->viewsTree = nullptr;
}

TEST_F(FormsLibraryMatchingTest, EveryHoleOfTheExamplePlateFindsARealRow) {
    struct AT {
        double x, y;
        const char* table;
        const char* row;
    };
    // The necked hole takes the row of its bore: its groove, wider than the bore, is no step of its form.
    const std::vector<AT> plate = {
        {15, 15, "Drilled", "D8"},          {40, 15, "Blind flat", "F10"},     {65, 15, "Drilled", "D8.5"},
        {90, 15, "Counterbored", "CB6.6"},  {15, 45, "Countersunk", "CS12.6"}, {40, 45, "Counterbored", "SF9"},
        {65, 45, "Stepped", "S12-8-5"},     {95, 45, "Drilled", "D10"},        {15, 68, "Drilled", "D12"},
        {40, 68, "Drilled", "D5"},          {65, 68, "Blind flat", "F6"},
    };
    recogniseStep(std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step");
    g_globals->viewsTree = tree;
    std::size_t holes = 0;
    for (VIEW_LIST* v = tree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) ++holes;
    EXPECT_EQ(holes, plate.size());
    for (const AT& at : plate) {
        SCOPED_TRACE(std::to_string(at.x) + ", " + std::to_string(at.y));
        expectRealRow(holeAt(at.x, at.y), at.table, at.row);
    }
    g_globals->viewsTree = nullptr;
}

}  // namespace
