// Rows of a table: the rows file, row access, sorts and the lookups at their edges, loading the tables of
// the folder, and the number texts of cells.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/base/number_text.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/settings.h"
#include "support/tables_fixture.h"

namespace {

using Row = std::vector<std::string>;

class TableRowsTest : public TablesFixture {
protected:
    // A reference table (five columns) of the class with the given rows file.
    CTabColsDesc table(const std::string& name, int tableClass, const std::string& rows, double tolerance = 0.01) {
        REFERENCE_TABLE spec;
        spec.tableClass = tableClass;
        spec.diameterTolerance = tolerance;
        writeReferenceTable(tablesDir, name, spec, rows);
        CTabColsDesc t;
        EXPECT_EQ(t.read(tablePath(name)), 0);
        t.readRows();
        return t;
    }
    static Row column(const CTabColsDesc& t, int c) {
        Row out;
        for (int r = 0; r < t.rowCount; ++r) out.push_back(t.cell(r, c));
        return out;
    }
};

TEST_F(TableRowsTest, TheRowsFileReadsNonBlankLinesAndWritesCellsEachFollowedByABlank) {
    ASSERT_TRUE(plat::writeFile(tablesDir + "/R.txt", "a 1 2 3 4\r\n\r\n   \r\nb  5\nc 6 7 8 9\r\n  "));
    CTabColsDesc t = table("R", 0, "");
    EXPECT_EQ(t.rowCount, 3);
    EXPECT_EQ(column(t, 0), (Row{"a", "b", "c"}));
    EXPECT_EQ(column(t, 1), (Row{"1", "5", "6"}));
    EXPECT_EQ(column(t, 2), (Row{"2", "", "7"}));   // fewer tokens: empty cells
    EXPECT_EQ(column(t, 4), (Row{"4", "", "9"}));
    const std::string before = bytesOf(tablesDir + "/R.txt");
    ASSERT_EQ(t.writeRows(), 0);
    EXPECT_EQ(bytesOf(tablesDir + "/R.txt"), "a 1 2 3 4 \r\nb 5    \r\nc 6 7 8 9 \r\n");
    EXPECT_EQ(bytesOf(tmpDir + "/R.tx~"), before);

    // A table without rows is written as a line end: a rows file of no byte is what a crash leaves.
    CTabColsDesc none = table("NOROWS", 0, "");
    EXPECT_EQ(none.rowCount, 0);
    ASSERT_EQ(none.writeRows(), 0);
    EXPECT_EQ(bytesOf(tablesDir + "/NOROWS.txt"), "\r\n");
    EXPECT_EQ(none.readRows(), 0);
}

// Rows as users' files have them: tokens past the columns are not read and the write drops them; a number
// beyond a million is a number; the name column is text, "nan" included; a file of no byte is a table without
// rows. A measure that is not a finite number refuses the rows, with its row named, and so does a file that
// cannot be read whole: NUL bytes, a last row without its line end (cut inside it), no byte while the
// station's index marks the shared table's rows file as lost here. The rows file is then left as it is.
TEST_F(TableRowsTest, RowsReadAsTheFormatAllowsAndDamagedRowsAreRefused) {
    CTabColsDesc t = table("W", 2, "1234567 8 1.25 6.8 1e7 extra 9\r\nnan 2500000 1 0 0 \r\n");
    ASSERT_EQ(t.rowCount, 2);
    EXPECT_EQ(column(t, 0), (Row{"1234567", "nan"}));
    EXPECT_EQ(column(t, 1), (Row{"8", "2500000"}));
    EXPECT_EQ(column(t, 4), (Row{"1e7", "0"}));
    EXPECT_EQ(t.findRowByName("1234567"), 0);
    ASSERT_EQ(t.writeRows(), 0);
    EXPECT_EQ(bytesOf(tablesDir + "/W.txt"), "1234567 8 1.25 6.8 1e7 \r\nnan 2500000 1 0 0 \r\n");

    ASSERT_TRUE(plat::writeFile(tablesDir + "/W.txt", ""));
    EXPECT_EQ(t.readRows(), 0);

    const struct {
        std::string rows;
        const char* told;
        bool lostHere;   // the index beside the library marks the table's rows file as lost
    } refused[] = {
        {"M8 8 1.25 6.8 1\r\nM9 inf 1 7 1\r\n", "Row 2 holds a value that is not a finite number.", false},
        {"M8 8 1.25 6.8 1\r\nM9 9 1 7 nan\r\n", "Row 2 holds a value that is not a finite number.", false},
        {"M8 8 1.25 6.8 1\r\nM9 9 1 7 1e999\r\n", "Row 2 holds a value that is not a finite number.", false},
        {std::string("M8 8 1.25 6.8 1\r\n\0\0\0\0", 21), "It holds NUL bytes", false},
        {"M8 8 1.25 6.8 1\r\nM9 9 1", "Its last row has no line end", false},
        {"", "It is empty, while its table holds rows in the shared library.", true},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.rows);
        ASSERT_TRUE(plat::writeFile(tablesDir + "/W.txt", c.rows));
        ASSERT_TRUE(plat::writeFile(tablesDir + ".dt", encodeIndexFile({{"W", c.lostHere ? kRowsFileLost : 1000}})));
        expectMessage();
        EXPECT_EQ(t.readRows(), -1);
        EXPECT_TRUE(transcript().contains(c.told));
        EXPECT_EQ(t.writeRows(), 1);
        EXPECT_EQ(bytesOf(tablesDir + "/W.txt"), c.rows);
        plat::driver().transcript().clear();
    }
    expectScriptPlayed();
}

// The writer writes nothing its reader would refuse or read otherwise: a measure that is not finite, a cell
// holding a blank, a line end or a NUL byte, an empty cell before a filled one (read back, the later cells
// would move one column left). The user is told and the rows file stays as it was.
TEST_F(TableRowsTest, TheRowsWriterWritesNothingItsReaderWouldNotReadBack) {
    CTabColsDesc t = table("V", 2, "M8 8 1.25 6.8 1\r\n");
    for (const std::string& cell : std::vector<std::string>{"inf", "6 8", "6\r\n8", std::string("6\0", 2), ""}) {
        SCOPED_TRACE(cell);
        CTabColsDesc changed = t;
        (void)changed.appendRow({"M9", "9", "1", cell, "1"});
        expectMessage();
        EXPECT_EQ(changed.writeRows(), 1);
        EXPECT_TRUE(transcript().contains("Row 2 holds what a rows file cannot hold"));
        EXPECT_EQ(bytesOf(tablesDir + "/V.txt"), "M8 8 1.25 6.8 1\r\n");
        plat::driver().transcript().clear();
    }
    expectScriptPlayed();
}

// A row that served the run without its file (its write failed) follows the file's rows until the next run,
// once: not when the file holds an equal row by then, as after a later write of the same run took it in.
TEST_F(TableRowsTest, ARowKeptForTheRunFollowsTheFilesRowsOnlyWhileTheFileLacksIt) {
    const struct {
        const char* what;
        std::string fileAfter;   // the rows file once the row was kept
        int rows;
    } cases[] = {
        {"the file lacks it", "M8 8 1.25 6.8 1\r\n", 2},
        {"a later write took it in", "M8 8 1.25 6.8 1\r\nM9 9 1 7 1\r\nM10 10 1.5 8.5 1\r\n", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        forgetRowsKeptForRun();
        CTabColsDesc t = table("K", 2, "M8 8 1.25 6.8 1\r\n");
        keepRowForRun(t, {"M9", "9", "1", "7", "1"});
        ASSERT_TRUE(plat::writeFile(tablesDir + "/K.txt", c.fileAfter));
        EXPECT_EQ(t.readRows(), c.rows);
        EXPECT_EQ(t.findRowByName("M9"), 1);
    }
    forgetRowsKeptForRun();
}

TEST_F(TableRowsTest, RowsAreGotSetAppendedDeletedAndFoundByName) {
    CTabColsDesc t = table("A", 0, "One 1 \r\nTwo 2 \r\nThree 3 \r\n");
    Row row;
    EXPECT_EQ(t.getRow(3, row), 1);
    EXPECT_EQ(row, Row(5));
    EXPECT_EQ(t.setRow(3, {"x"}), 1);
    ASSERT_EQ(t.setRow(1, {"Deux", "22"}), 0);
    ASSERT_EQ(t.appendRow({"Four"}), 0);
    ASSERT_EQ(t.getRow(3, row), 0);
    EXPECT_EQ(row, (Row{"Four", "", "", "", ""}));
    EXPECT_EQ(t.findRowByName("deux"), 1);
    EXPECT_EQ(t.findRowByName("two"), -1);

    t.listRowCount = 3;
    EXPECT_EQ(t.deleteRow(0), 0);
    EXPECT_EQ(t.listRowCount, 2);
    EXPECT_EQ(column(t, 0), (Row{"Deux", "Three", "Three", "Four"}));   // only the shown rows move up
    t.listRowCount = 1;
    EXPECT_EQ(t.deleteRow(0), 0);
    EXPECT_EQ(t.listRowCount, 0);
    EXPECT_EQ(t.deleteRow(0), 0);
    EXPECT_EQ(t.listRowCount, 0);
}

TEST_F(TableRowsTest, SortsCompareNumbersInColumnOneAndInDrillTablesAndTextsElsewhere) {
    struct CASE {
        int tableClass, k, result;
        Row names;   // column 1 after the sort
    };
    const std::string rows = "9 b 9 \r\n10 A 10 \r\n2.5 c 2.5 \r\n";
    const CASE cases[] = {
        {0, 1, 0, {"2.5", "9", "10"}}, {0, 3, 0, {"10", "2.5", "9"}},   // texts: "10" before "9"
        {1, 3, 0, {"2.5", "9", "10"}}, {3, 3, 0, {"2.5", "9", "10"}}, {0, 2, 0, {"10", "9", "2.5"}},
        {0, 5, 0, {"9", "10", "2.5"}},   // the last column (all empty): the order stays
        {0, 6, 2, {"9", "10", "2.5"}},  {0, 0, 1, {"9", "10", "2.5"}},
    };
    for (const CASE& c : cases) {
        CTabColsDesc t = table("S", c.tableClass, rows);
        EXPECT_EQ(t.sortRowsByColumn(c.k), c.result) << c.tableClass << " " << c.k;
        EXPECT_EQ(column(t, 0), c.names) << c.tableClass << " " << c.k;
    }
}

TEST_F(TableRowsTest, TheNearestRowInEachMode) {
    struct CASE {
        int mode;
        double target;
        int result;
        const char* row;   // column 1 of the row given out
    };
    const CASE cases[] = {
        {0, 12.02, 0, "12"}, {0, 11, 1, "20"},   {0, 25, 1, "20"},                 // within T (0.025), else the last
        {1, 11, 0, "12"},    {1, 25, 0, "20"},   {1, 5, 0, "10"},  {1, 12, 0, "12"},
        {2, 11, 0, "10"},    {2, 16, 0, "12"},                                     // ties keep the lower row
        {2, 11.5, 0, "12"},  {2, 17, 0, "20"},   {2, 19.99, 0, "20"}, {2, 5, 0, "10"},
        {2, 25, 1, "20"},                                                          // above every row
    };
    for (const CASE& c : cases) {
        CTabColsDesc t = table("N", 0, "20 a \r\n10 b \r\n12 c \r\n");
        Row out;
        EXPECT_EQ(t.findNearestRow(1, c.target, c.mode, out), c.result) << c.mode << " " << c.target;
        ASSERT_EQ(out.size(), 5u);
        EXPECT_EQ(out[0], c.row) << c.mode << " " << c.target;
        EXPECT_EQ(column(t, 0), (Row{"10", "12", "20"}));   // the sort stays in the table
    }
    CTabColsDesc t = table("N", 0, "20 a \r\n");
    Row out{"old"};
    EXPECT_EQ(t.findNearestRow(0, 20, 0, out), 1);
    EXPECT_EQ(out, Row(5));
    EXPECT_EQ(t.findNearestRow(6, 20, 0, out), 1);
    EXPECT_EQ(t.findNearestRow(1, 25, 2, out), 1);   // one row below the target
    EXPECT_EQ(t.findNearestRow(1, 15, 2, out), 1);   // and above: no row after it to compare
}

TEST_F(TableRowsTest, ThreadLookupsByDiameterAndPitchAndByDiameters) {
    CTabColsDesc t = table("TH", 2, "M10 10 1.5 8.5 \r\nM10x1.25 10 1.25 8.8 \r\nM12 12 1.75 10.25 \r\n", 0.25);
    Row out;
    struct PITCH_CASE {
        double d, p;
        int row;
    };
    const PITCH_CASE pitches[] = {{10, 1.5, 0},  {10.29, 1.5, 0}, {10.31, 1.5, -1},   // 3 % of the diameter
                                  {10, 1.51, 0}, {10, 1.52, -1},  {10, 1.25, 1}, {12, 1.75, 2}};
    for (const PITCH_CASE& c : pitches) EXPECT_EQ(t.findRowByDiameterPitch(c.d, c.p, out), c.row) << c.d << " " << c.p;
    // Drilled diameter within d x 0.25, strictly: 8 reaches 6..10, but not 6 itself.
    EXPECT_EQ(t.findRowByDiameter(8, out), 0);
    EXPECT_EQ(out[0], "M10");
    EXPECT_EQ(t.findRowByDiameter(13.66, out), 2);
    EXPECT_EQ(t.findRowByDiameter(13.67, out), -1);   // 10.25 must lie within d / 4: d below 13.667
    // Nominal diameter and drilled diameter: index + 1.
    CTabColsDesc fine = table("TF", 2, "M10 10 1.5 8.5 \r\nM10x1.25 10 1.25 8.8 \r\n", 0.01);
    EXPECT_EQ(fine.findRowByTwoValues(10, 8.8, out), 2);
    EXPECT_EQ(out[0], "M10x1.25");
    EXPECT_EQ(fine.findRowByTwoValues(10, 9.5, out), 0);
    EXPECT_EQ(fine.findRowByTwoValues(8.8, 10, out), 0);
}

TEST_F(TableRowsTest, AnEqualRowIsFoundWithTheToleranceOfEachColumn) {
    ASSERT_TRUE(plat::writeFile(tablePath("EQ"), tableText(0, 21,
                                                           "[Item 1] 0 1 \"Name\" 0 0 0.00\r\n"
                                                           "[Item 2] 1 2 \"D\" 0 0 0.00 3 \"L\" 4 \"A\" 0.00\r\n"
                                                           "[Item 3] 3 5 \"Process\" 0 0 0.00\r\n"
                                                           "[Item 4] 6 6 \"Depth\" 0 0 0.00\r\n",
                                                           "", "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0.08 0.16")));
    ASSERT_TRUE(plat::writeFile(tablesDir + "/EQ.txt", "R1 10 20 0.5 P1 5 \r\nR2 12 30 0.7 P2 5 \r\n"));
    CTabColsDesc t;
    ASSERT_EQ(t.read(tablePath("EQ")), 0);
    ASSERT_EQ(t.readRows(), 2);
    struct CASE {
        Row given;
        int row;
    };
    const CASE cases[] = {
        {{"R2", "12.9", "34.8", "0.7008", "other", "5.0008"}, 1},   // 0.96, 4.8, 0.05 deg; the depth too
        {{"R2", "12.97", "30", "0.7", "P2", "5"}, -1},            // diameter 0.97 off (0.96 allowed)
        {{"R2", "12", "35", "0.7", "P2", "5"}, -1},               // length 5 off (4.8 allowed)
        {{"R2", "12", "30", "0.701", "P2", "5"}, -1},             // angle 0.057 degree off
        {{"r2", "12", "30", "0.7", "P2", "5"}, -1},               // texts with case
        {{"R1", "10", "20", "0.5", "", "5.02"}, 0},                 // no measure compared: T
    };
    for (const CASE& c : cases) EXPECT_EQ(t.findEqualRow(c.given), c.row) << c.given[0] << " " << c.given[1];
}

TEST_F(TableRowsTest, NumberTextsAsTheCellsShowThem) {
    struct CASE {
        const char* text;
        int width;
        const char* expected;
    };
    const CASE cases[] = {
        {"12.500", 0, "12.5"}, {"12.000", 0, "12"},       {"5.000", 0, "5"},         {"5.250", 4, "   5.25 "},
        {"5.000", 2, " 5.   "}, {"123.25", 2, "123.25"},  {"500", 0, "500"},         {"7", 3, "  7"},
        {"-0.100", 0, "-0.1"}, {"", 0, ""},
    };
    for (const CASE& c : cases) EXPECT_EQ(trimNumberText(c.text, c.width), c.expected) << c.text << " " << c.width;
    EXPECT_EQ(formatNumber(2.5), "2.5");
    EXPECT_EQ(formatNumber(2.0004), "2");
    EXPECT_EQ(formatNumber(-0.125, "%+.3f"), "-0.125");
    setUnitTolerances(false);
    EXPECT_EQ(formatNumber(0.12345), "0.12345");   // inch: five decimals
    EXPECT_EQ(escapePercent("10% of %s, 5%"), "10%% of %s, 5%%");
}

TEST_F(TableRowsTest, AllTablesLoadInListingOrderOrThreadsFirstWithinTheirCapacity) {
    table("A_form", 0, "x \r\n");
    ASSERT_TRUE(plat::writeFile(tablePath("B_form"), tableText(0, 21, "[Item 1] 1 1 \"D\" 1 0 0.00 2 \"L\" 0 \"\" 0.00\r\n")));
    table("C_drill", 1, "9 \r\n10 \r\n2 \r\n");
    table("D_thread", 2, "M8 8 1.25 6.8 \r\n");
    std::vector<CTabColsDesc> all;
    int drill = 0;
    ASSERT_EQ(loadAllTables(all, &drill), 4);
    EXPECT_EQ(all[0].name, "A_form");
    EXPECT_EQ(drill, 2);
    EXPECT_EQ(column(all[2], 0), (Row{"2", "9", "10"}));

    g_globals->settings.forceTapping = 1;
    ASSERT_EQ(loadAllTables(all, &drill), 4);
    std::vector<std::string> names;
    for (const CTabColsDesc& t : all) names.push_back(t.name);
    EXPECT_EQ(names, (std::vector<std::string>{"D_thread", "B_form", "A_form", "C_drill"}));
    EXPECT_EQ(drill, 3);
    // More tables than the caller holds: the first ones are loaded and the user is told.
    expectMessage();
    EXPECT_EQ(loadAllTables(all, &drill, 2), 2);
    EXPECT_TRUE(transcript().contains("holds more than 2 tables: the tables after the first 2 are not used."))
       ;
    plat::driver().transcript().clear();
    EXPECT_EQ(loadAllTables(all, &drill, 4), 4);
    EXPECT_EQ(count("msgbox"), 0) << "exactly as many as it holds";
    expectScriptPlayed();
}

TEST_F(TableRowsTest, NamedAndDrillTablesAreFoundInTheFolder) {
    table("plain", 0, "");
    EXPECT_NO_FATAL_FAILURE(table("Fit {H7}", 3, "10 \r\n"));
    EXPECT_NO_FATAL_FAILURE(table("Fit {G6}", 3, "11 \r\n12 \r\n"));
    CTabColsDesc t;
    ASSERT_EQ(loadNamedTable("h7", &t), 0);
    EXPECT_EQ(t.name, "Fit {H7}");
    EXPECT_EQ(t.rowCount, 1);
    ASSERT_EQ(loadNamedTable("", &t), 0);
    EXPECT_EQ(t.name, "Fit {G6}");   // the first of class 3 in the listing
    expectMessage();
    EXPECT_EQ(loadNamedTable("X9", &t), 1);
    EXPECT_TRUE(transcript().contains("No table is named X9"));
    expectMessage();
    EXPECT_EQ(loadDrillTable(&t), 1);
    EXPECT_TRUE(transcript().contains("no drill-size table"));
    table("drills", 1, "");
    EXPECT_EQ(loadDrillTable(&t), 0);
    EXPECT_EQ(t.name, "drills");
    expectScriptPlayed();
}

}  // namespace
