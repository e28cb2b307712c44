// Rows of measures added for recognised holes to the test's copy of the shipped library: their names and
// cells, the "_1"/"_2" suffixes, the reuse of an equal row, a thread without designation ("?"), the tables
// handled one after the other with the configuration after each, the depth-split half that goes first, and
// the bounds (no drill-size table, no table of the hole's form).
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/ui/message_box.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/hole_description.h"
#include "plugin/engine/table_measures.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/services/tables.h"
#include "support/hole_tables_fixture.h"
#include "plugin/model/work_records.h"

namespace {

class TableMeasuresTest : public HoleTablesFixture {
protected:
    std::string rowsOf(const std::string& name) { return plat::readFile(tablesDir + "/" + name + ".txt").value_or(""); }
    // The cells of the table's row of that name, blank-separated ("" when none).
    std::string rowNamed(const std::string& tableName, const std::string& rowName) {
        const CTabColsDesc t = table(tableName);
        const int r = t.findRowByName(rowName);
        if (r < 0) return "";
        std::string text;
        for (int c = 0; c < t.columnCount; ++c) text += (c ? " " : "") + t.cell(r, c);
        return text;
    }
};

TEST_F(TableMeasuresTest, RowsAreNamedAfterTheirMeasuresTakeASuffixWhenTheNameIsTakenAndEqualRowsAreReused) {
    // A row of the first name is there already, with another bore.
    ASSERT_TRUE(plat::writeFile(tablesDir + "/Counterbored.txt",
                                rowsOf("Counterbored") + "**8.5x20 8.5 20 4 1 (0,0,6,10,16,25,40) \r\n"));
    recognise({hb::counterbored("a", {20, 20, kTop}, {0, 0, -1}, 5, 8.5, 20),
               hb::counterbored("b", {50, 20, kTop}, {0, 0, -1}, 5.5, 8.5, 20)});
    g_records->viewsTree = tree;
    struct STEP {
        double x;
        int rowsAdded;
        const char* row;
        const char* cells;
    };
    const STEP steps[] = {
        {20, 1, "**8.5x20_1", "**8.5x20_1 8.5 20 5 1 "},
        {20, 0, "**8.5x20_1", "**8.5x20_1 8.5 20 5 1 "},   // equal: chosen again, nothing written
        {50, 1, "**8.5x20_2", "**8.5x20_2 8.5 20 5.5 1 "},
    };
    for (const STEP& s : steps) {
        SCOPED_TRACE(s.row);
        const int before = table("Counterbored").rowCount;
        POINT_LIST* hole = holeAt(s.x, 20);
        TABLE_FILE_REF ref;
        g_engine->currentTable.snapshotTaken = 0;
        ASSERT_EQ(addMeasuresToTable(&hole, &ref), 0);
        const CTabColsDesc after = table("Counterbored");
        EXPECT_EQ(after.rowCount, before + s.rowsAdded);
        EXPECT_EQ(rowNamed("Counterbored", s.row), s.cells);
        EXPECT_STREQ(ref.tableName, "Counterbored");
        EXPECT_EQ(std::string(ref.tabPath), tablesDir + "/Counterbored.tab");
        EXPECT_EQ(std::string(ref.txtPath), tablesDir + "/Counterbored.TXT");
        EXPECT_EQ(ref.processName[0], 0);
        EXPECT_EQ(g_engine->chosenProcess[0], after.findRowByName(s.row));
        EXPECT_EQ(g_engine->chosenProcess[1], -1);
        EXPECT_EQ(g_engine->currentTable.snapshotTaken, s.rowsAdded);
        if (s.rowsAdded) {
            EXPECT_STREQ(hole->rowName, s.row);
        }
    }
    g_records->viewsTree = nullptr;
}

TEST_F(TableMeasuresTest, AThreadWithoutDesignationIsToldAndMarkedOrCancelled) {
    recognise({hb::throughHole("t", {20, 20, kTop}, {0, 0, -1}, 7.3)});
    g_records->viewsTree = tree;
    POINT_LIST* hole = holeAt(20, 20);
    hole->firstCyl->isTap = 1;   // a thread of 7.3 x 0.9 that no thread table knows
    hole->firstCyl->threadDiam = 7.3;
    hole->firstCyl->threadPitch = 0.9;
    const std::string rows = rowsOf("Tapped");
    const std::string told = "The thread of the hole is in no thread table.\\nThread diameter 7.300, pitch 0.900, standard thread.";
    TABLE_FILE_REF ref;

    script().answer(plat::IDCANCEL);
    EXPECT_EQ(addMeasuresToTable(&hole, &ref), 1);
    EXPECT_TRUE(transcript().contains(told));
    EXPECT_EQ(rowsOf("Tapped"), rows);

    script().answer(plat::IDOK);
    ASSERT_EQ(addMeasuresToTable(&hole, &ref), 0);
    EXPECT_EQ(rowNamed("Tapped", "**?"), "**? ? 1 ");

    // The provisional row starts from the first row's cells: its third cell, the process "1", joins its name.
    std::snprintf(hole->tableName, sizeof hole->tableName, "Tapped");
    const std::vector<CIL_DESC> descs = describeHole(hole->firstCyl, 0, 0, 0, nullptr);
    script().answer(plat::IDOK);
    ASSERT_EQ(addProvisionalMeasures(hole, descs.data(), static_cast<std::int16_t>(descs.size())), 0);
    EXPECT_EQ(rowNamed("Tapped", "**?x1"), "**?x1 ? 1 (0,0,6,10,16,25,40)");
    EXPECT_STREQ(hole->rowName, "**?x1");
    expectScriptPlayed();
    g_records->viewsTree = nullptr;
}

TEST_F(TableMeasuresTest, MarkedHolesGetTheirRowsTableByTableAndTheConfigurationOpensOnceAfterEachTable) {
    recognise({hb::throughHole("a", {15, 20, kTop}, {0, 0, -1}, 4.6), hb::throughHole("b", {35, 20, kTop}, {0, 0, -1}, 7.2),
               hb::counterbored("c", {55, 20, kTop}, {0, 0, -1}, 5, 8.5, 20),
               hb::throughHole("d", {78, 20, kTop}, {0, 0, -1}, 24), hb::throughHole("e", {15, 45, kTop}, {0, 0, -1}, 9.7)});
    for (double x : {15.0, 35.0, 55.0, 78.0}) holeAt(x, 20)->noMeasures = 1;   // "e" had its row
    const int blindRows = table("Drilled").rowCount;
    script().key(18018, plat::VK_ESCAPE).key(18018, plat::VK_ESCAPE);
    tree = addMeasuresToTables(tree);
    expectScriptPlayed();
    // The configuration showed the table on the row added last, selected.
    const std::string shown = plat::lastSnapshot(18018);
    const std::size_t row = shown.find("[\"**24x\"");
    ASSERT_NE(row, std::string::npos) << shown;
    EXPECT_NE(shown.substr(row, shown.find('\n', row) - row).find("selected focused"), std::string::npos) << shown;
    EXPECT_NE(shown.find("caption=\"Process configuration: Drilled (mm) \""), std::string::npos) << shown;
    // Drilled's third cell is its process, empty when the row is named: "**<D>x"; the process comes
    // from the row nearest in diameter.
    const CTabColsDesc blind = table("Drilled");
    EXPECT_EQ(blind.rowCount, blindRows + 3);
    for (const char* row : {"**4.6x", "**7.2x", "**24x"}) EXPECT_GE(blind.findRowByName(row), 0) << row;
    EXPECT_EQ(rowNamed("Drilled", "**24x"), "**24x 24 1 ");
    EXPECT_EQ(rowNamed("Counterbored", "**8.5x20"), "**8.5x20 8.5 20 5 1 ");
    EXPECT_EQ(table("Drilled").findRowByName("**9.7x"), -1);
    // The last table handled is Drilled ("Counterbored" comes first), on the row of its last hole.
    EXPECT_STREQ(g_engine->configTarget.tableName, "Drilled");
    EXPECT_EQ(g_engine->chosenProcess[0], blind.findRowByName("**24x"));
    EXPECT_EQ(g_engine->configAction, 110);
    EXPECT_STREQ(holeAt(15, 20)->rowName, "");   // the holes' row names are the callers'
}

TEST_F(TableMeasuresTest, TheDepthSplitHalfGoesFirstAndTheBoundsChangeNothing) {
    recognise({hb::throughHole("a", {20, 20, kTop}, {0, 0, -1}, 4.6), hb::blindFlat("h", {60, 20, 0}, {0, 0, 1}, 6, 10),
               hb::blindTipped("c", {80, 40, kTop}, {0, 0, -1}, 8, 15, 150)});
    g_records->viewsTree = tree;
    POINT_LIST* hole = holeAt(20, 20);
    ASSERT_EQ(countViews(tree), 2);
    POINT_LIST* half = tree->next->firstPoint;
    ASSERT_EQ(half->view->pointCount, 1);
    hole->deepSplitNext = half;
    half->deepSplitPrev = hole;

    // Without a drill-size table nothing is done, not even to the half.
    const std::string drillTab = plat::readFile(tablesDir + "/Drill sizes.tab").value_or("");
    ASSERT_TRUE(plat::removeFile(tablesDir + "/Drill sizes.tab"));
    script().answer(plat::IDOK);
    POINT_LIST* given = half;
    TABLE_FILE_REF ref;
    EXPECT_EQ(addMeasuresToTable(&given, &ref), 1);
    EXPECT_TRUE(transcript().contains("The table library has no drill-size table."));
    EXPECT_EQ(given, half);
    EXPECT_EQ(countViews(g_records->viewsTree), 2);
    ASSERT_TRUE(plat::writeFile(tablesDir + "/Drill sizes.tab", drillTab));

    // Given the half, the hole it was split from takes its place; the half and its emptied view go.
    ASSERT_EQ(addMeasuresToTable(&given, &ref), 0);
    EXPECT_EQ(given, hole);
    EXPECT_EQ(hole->deepSplitNext, nullptr);
    EXPECT_EQ(countViews(g_records->viewsTree), 1);
    EXPECT_STREQ(hole->rowName, "**4.6");

    // A form no table has: the description and the position are shown, nothing is added.
    POINT_LIST* cone = holeAt(80, 40);
    script().answer(plat::IDOK);
    EXPECT_EQ(addMeasuresToTable(&cone, &ref), 1);
    EXPECT_TRUE(transcript().contains(
        "No table of the library has the form of this hole:\\n D1: 8.00 x 15.00  \\n D2: 0.00 x 1.07  \\n Pos: X80.00 Y40.00 Z30.00"));
    expectScriptPlayed();
    tree = g_records->viewsTree;
    g_records->viewsTree = nullptr;
}

// A column no item of the hole fills stays empty in its new row; before a filled one the rows file cannot hold
// it (its later cells would read one column left). Such a row serves the run only, the user told so, and the
// rows file stays as it was.
TEST_F(TableMeasuresTest, ARowWithAnEmptyCellBeforeAFilledOneServesTheRunOnly) {
    // Drilled with its list column before its process column.
    std::string tab = plat::readFile((tablesDir + "/Drilled.tab")).value_or("");
    tab.replace(tab.find("[Item 3] 3 3"), 12, "[Item 3] 3 4").replace(tab.find("[Item 4] 8 4"), 12, "[Item 4] 8 3");
    ASSERT_TRUE(plat::writeFile((tablesDir + "/Drilled.tab"), tab));
    ASSERT_TRUE(plat::writeFile(tablesDir + "/Drilled.txt", "D3 3 (0,0,6,10,16,25,40) 1 \r\nD5 5 (0,0,6,10,16,25,40) 1 \r\n"));
    const std::string rows = rowsOf("Drilled");
    recognise({hb::throughHole("a", {20, 20, kTop}, {0, 0, -1}, 4.6)});
    g_records->viewsTree = tree;
    POINT_LIST* hole = holeAt(20, 20);
    TABLE_FILE_REF ref;
    script().answer(plat::IDOK);
    ASSERT_EQ(addMeasuresToTable(&hole, &ref), 0);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("The row added to the table Drilled for this hole leaves its column 3 empty"));
    EXPECT_EQ(rowsOf("Drilled"), rows);
    EXPECT_EQ(rowNamed("Drilled", "**4.6"), "**4.6 4.6  1");
    EXPECT_FALSE(rowStoredInTable((tablesDir + "/Drilled.tab"), "**4.6"));
    g_records->viewsTree = nullptr;
}

}  // namespace
