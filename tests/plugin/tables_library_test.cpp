// The table library: the check's result codes and questions on libraries built here, new table names, the
// thread and drill-size tables and their lookups, and the library a new installation ships.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "platform/sys/paths.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/tables.h"
#include "plugin/tables/table_text.h"
#include "support/tables_fixture.h"
#include "plugin/tables/thread_tables.h"

namespace {

class LibraryTest : public TablesFixture {
protected:
    void thread(const std::string& name, const std::string& rows, int kind = 0, double tolerance = 0.02) {
        REFERENCE_TABLE t;
        t.kind = kind;
        t.diameterTolerance = tolerance;
        writeReferenceTable(tablesDir, name, t, rows);
    }
    void drill(const std::string& name, const std::string& rows) {
        REFERENCE_TABLE t;
        t.tableClass = 1;
        writeReferenceTable(tablesDir, name, t, rows);
    }
    void answer(int code) { script().answer(code); }
};

TEST_F(LibraryTest, TheCheckRefusesEmptyTooNewAndDrillLessLibraries) {
    g_globals->libraryName = "Lib1";
    expectMessage();
    EXPECT_EQ(checkTablesLibrary(1), kLibraryStopped);
    EXPECT_TRUE(transcript().contains("(" + tablesDir + ")"));

    thread("T", "M10 10 1.500 8.5 \r\n");
    expectMessage();
    EXPECT_EQ(checkTablesLibrary(1), kLibraryDrillTables);   // none
    drill("D1", "10 0.5 3 \r\n");
    drill("D2", "10 0.5 3 \r\n");
    expectMessage();
    EXPECT_EQ(checkTablesLibrary(1), kLibraryDrillTables);   // two
    ASSERT_TRUE(plat::removeFile(tablePath("D2")));
    EXPECT_EQ(checkTablesLibrary(1), kLibraryOk);

    // A newer table: the others are still migrated first.
    ASSERT_TRUE(plat::writeFile(tablePath("OLD"), tableText(0, 20, "[Item 1] 0 1 \"N\" 0 0 0.00\r\n")));
    ASSERT_TRUE(plat::writeFile(tablePath("ZNEW"), tableText(0, 22, "[Item 1] 0 1 \"N\" 0 0 0.00\r\n")));
    expectMessage();
    EXPECT_EQ(checkTablesLibrary(1), kLibraryTooNew);
    CTabColsDesc old;
    ASSERT_EQ(old.read(tablePath("OLD")), 0);
    EXPECT_EQ(old.formatVersion, 21);
    expectScriptPlayed();
}

TEST_F(LibraryTest, DrillRowsAndThreadPitchesAreCheckedWithTheUser) {
    thread("T", "M10 10 1.500 8.5 \r\n");
    drill("D", "10 1.2 1.5 \r\n10 0.9 2.5 \r\n10 1.0 2.0 \r\n20 3 5 \r\n");
    answer(plat::IDYES);   // row 1: both findings
    answer(plat::IDYES);   // row 4: low only
    EXPECT_EQ(checkTablesLibrary(1), kLibraryOk);
    const auto& lines = transcript().lines();
    std::vector<std::string> boxes;
    for (const std::string& l : lines)
        if (l.find("msgbox") != std::string::npos) boxes.push_back(l);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].find("< 10% [Thread]"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("> 20% [Thread]"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[1].find("< 10% [Thread]"), std::string::npos) << boxes[1];
    EXPECT_EQ(boxes[1].find("> 20%"), std::string::npos) << boxes[1];
    answer(plat::IDNO);
    EXPECT_EQ(checkTablesLibrary(1), kLibraryDrillRows);

    drill("D", "10 0.9 2.5 \r\n");
    thread("T", "M10 10 1.5 8.5 \r\n");   // one decimal, three wanted
    thread("U", "M12 12 1.75 10.2 \r\n");
    answer(plat::IDYES);
    answer(plat::IDNO);
    EXPECT_EQ(checkTablesLibrary(1), kLibraryOk);   // No stops the check, and the library is used
    answer(plat::IDNO);
    EXPECT_EQ(checkTablesLibrary(1), kLibraryOk);
    thread("T", "M10 10 1.500 8.5 \r\n");
    thread("U", "M12 12 1.750 10.2 \r\n");
    EXPECT_EQ(checkTablesLibrary(1), kLibraryOk);
    expectScriptPlayed();

    setUnitTolerances(false);
    g_globals->hostVersion[7] = 0;
    thread("T", "A 0.25 0.05000 0.2 \r\n");
    thread("U", "B 0.25 0.050 0.2 \r\n");
    answer(plat::IDYES);
    EXPECT_EQ(checkTablesLibrary(1), kLibraryOk);
    expectScriptPlayed();
}

TEST_F(LibraryTest, WithTheDebugSwitchOldTablesAreMigratedOnlyAfterAYes) {
    drill("D", "10 0.5 3 \r\n");
    ASSERT_TRUE(plat::writeFile(tablePath("E5"), tableText(0, 5, "[Item 1] 0 1 \"N\" 0 0 0.00\r\n")));
    g_globals->debugDumps = 1;
    answer(plat::IDNO);
    EXPECT_EQ(checkTablesLibrary(1), kLibraryStopped);
    EXPECT_TRUE(transcript().contains("is being to be updated to current version"));
    CTabColsDesc t;
    ASSERT_EQ(t.read(tablePath("E5")), 0);
    EXPECT_EQ(t.formatVersion, 5);
    answer(plat::IDYES);
    EXPECT_EQ(checkTablesLibrary(1), kLibraryOk);
    ASSERT_EQ(t.read(tablePath("E5")), 0);
    EXPECT_EQ(t.formatVersion, 21);
    g_globals->debugDumps = 0;
    expectScriptPlayed();
}

TEST_F(LibraryTest, NewTableNamesTakeTheFirstFreeCounter) {
    g_globals->tableNamePrefix = "_Forantix_";
    ASSERT_TRUE(plat::writeFile(tablesDir + "/_FORANTIX_2d_1.tab", "x"));
    std::string name = "old";
    EXPECT_EQ(makeNewTableName(&name, 2), 0);
    EXPECT_EQ(name, "_Forantix_2d_2");
    EXPECT_EQ(tableNameExists("_forantix_2D_1", ""), 1);
    EXPECT_EQ(tableNameExists("_Forantix_2d_1", tmpDir), 0);
}

TEST_F(LibraryTest, ThreadTablesLoadWithTheDrillTableFirstAndAtMostSixteen) {
    for (int i = 0; i < 20; ++i) thread(formatText("T%02i", i), "M10 10 1.500 8.5 \r\n");
    drill("ZZ_drill", "10 0.5 3 \r\n");
    EXPECT_EQ(loadThreadTables(), 16);
    EXPECT_EQ(g_threadTables->tables[0].name, "ZZ_drill");
    EXPECT_EQ(g_threadTables->tables[1].name, "T00");
    EXPECT_EQ(g_threadTables->tables[15].name, "T14");
    EXPECT_EQ(g_threadTables->tables[1].rowCount, 1);
}

TEST_F(LibraryTest, ThreadLookupsNormaliseDesignationsAndFilterKinds) {
    struct NAME {
        const char* given;
        const char* normalised;
    };
    const NAME names[] = {{"M10X1.50", "M10x1.5"}, {"M10x1.25", "M10x1.25"}, {"UNC1/4X20", "UNC1/4x20"},
                          {"1/4-20UNC", "1/4-20UNC"}, {"#10-24", "#10-24"},   {"M8", "M8"},
                          {"M10x1.5-6H", "M10x1.5-6H"}};
    for (const NAME& n : names) EXPECT_EQ(normalizeThreadName(n.given), n.normalised) << n.given;

    // No drill-size table: the first thread table sits in entry 0 and is searched all the same.
    thread("A_metric", "m10x1.5 10 1.500 8.5 7.5 \r\nM12 12 1.750 10.2 \r\nm10x1.5-6h 10 1.500 8.4 \r\n");
    thread("B_special", "M10x1.5 10.31 1.500 8.3 \r\nS5 5 0.800 4.2 \r\n", 1000);
    drill("C_drill", "");
    std::remove((tablesDir + "/C_drill.tab").c_str());
    ASSERT_EQ(loadThreadTables(), 2);
    double d = 0, p = 0, drilled = 0, safety = 0;
    std::int16_t kind = -1;
    std::string table;
    ASSERT_EQ(findThreadRow("  M10X1.50 ", -1, &d, &p, &drilled, &safety, &kind, &table), 1);
    EXPECT_EQ(std::tie(d, p, drilled, safety, kind, table), std::make_tuple(10.0, 1.5, 8.5, 7.5, std::int16_t{0}, std::string("A_metric")));
    EXPECT_EQ(findThreadRow("M10x1.5-6H", -1, &d, &p, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_DOUBLE_EQ(d, 10);
    EXPECT_EQ(findThreadRow("_10x1.5", 0, &d, &p, &drilled, nullptr, nullptr, &table), 1);
    EXPECT_EQ(table, "A_metric");
    EXPECT_EQ(findThreadRow("S5", 0, &d, &p, nullptr, nullptr, nullptr, nullptr), 0);      // kind 1000 left out
    EXPECT_EQ(findThreadRow("S5", 1000, &d, &p, nullptr, nullptr, &kind, nullptr), 1);
    EXPECT_EQ(kind, 1000);
    EXPECT_EQ(findThreadRow("M12", 1000, &d, &p, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(findThreadByDiameterPitch(10.31, 1.5, -1, &table, nullptr, nullptr), "M10x1.5");   // 3.1 % off the first
    EXPECT_EQ(table, "B_special");
    EXPECT_EQ(findThreadByDiameterPitch(10.4, 1.5, 0, nullptr, nullptr, nullptr), "");

    // By the drilled diameter: strictly within the table's tolerance (2 %).
    std::string only = "b_special";
    EXPECT_EQ(findThreadByDiameter(8.5, -1, nullptr, &d, &p, nullptr), "m10x1.5");
    EXPECT_EQ(findThreadByDiameter(8.3, -2, &only, &d, nullptr, nullptr), "M10x1.5");
    EXPECT_EQ(only, "B_special");
    EXPECT_DOUBLE_EQ(d, 10.31);
    EXPECT_EQ(findThreadByDiameter(10.0, -1, nullptr, nullptr, nullptr, nullptr), "M12");   // 10.2 is 2 % of 10.0: not
    d = -1;
    EXPECT_EQ(findThreadByDiameter(12.5, -1, nullptr, &d, nullptr, nullptr), "");
    EXPECT_DOUBLE_EQ(d, -1);   // outputs untouched
}

TEST_F(LibraryTest, DrillSizesAboveTheLastRowAndOnATie) {
    ASSERT_TRUE(plat::writeFile(tablePath("DS"), tableText(1, 21, "[Item 1] 0 1 \"D\" 0 0 0.00\r\n"
                                                                 "[Item 2] 5 2 \"Size\" 0 0 0.00\r\n")));
    ASSERT_TRUE(plat::writeFile(tablesDir + "/DS.txt", "12 11.8 \r\n10 9.8 \r\n8 7.8 \r\n"));
    struct CASE {
        double diameter, size;
    };
    const CASE cases[] = {{20, 11.8}, {11, 9.8}, {11.5, 11.8}, {9.99, 9.8}, {2, 7.8}, {10.02, 9.8}};
    for (const CASE& c : cases) EXPECT_DOUBLE_EQ(findDrillSize(c.diameter), c.size) << c.diameter;
}

TEST_F(LibraryTest, TheShippedLibraryPassesTheCheckAndServesTheLookups) {
    for (bool metric : {true, false}) {
        SCOPED_TRACE(metric ? "FORMS_MM" : "FORMS_INCH");
        g_globals->hostVersion[7] = metric ? 1 : 0;
        setUnitTolerances(metric);
        g_globals->tablesDir = installDir + (metric ? "/Tool/FORMS_MM/Standard" : "/Tool/FORMS_INCH/Standard");
        g_threadTables->count = 0;
        const std::string before = bytesOf(g_globals->tablesDir + "/Tapped.tab");
        EXPECT_EQ(checkTablesLibrary(1), kLibraryOk);
        EXPECT_EQ(bytesOf(g_globals->tablesDir + "/Tapped.tab"), before);   // current: not rewritten
        EXPECT_EQ(loadThreadTables(), 3);
        EXPECT_EQ(g_threadTables->tables[0].tableClass, kTableDrillSize);
        double d = 0, p = 0, drilled = 0;
        if (metric) {
            EXPECT_EQ(findThreadRow("m10", -1, &d, &p, &drilled, nullptr, nullptr, nullptr), 1);
            EXPECT_DOUBLE_EQ(drilled, 8.5);
            EXPECT_EQ(findThreadRow("M12X1.250", -1, &d, &p, nullptr, nullptr, nullptr, nullptr), 1);
            EXPECT_DOUBLE_EQ(p, 1.25);
            EXPECT_EQ(findThreadByDiameter(6.8, -1, nullptr, &d, &p, nullptr), "M8");
            EXPECT_DOUBLE_EQ(findDrillSize(8.45), 75);   // the length of the 8.5 drill
        } else {
            EXPECT_EQ(findThreadRow("1/4-20unc", -1, &d, &p, nullptr, nullptr, nullptr, nullptr), 1);
            EXPECT_NEAR(p, 0.05, 1e-9);
            EXPECT_EQ(findThreadByDiameter(0.201, -1, nullptr, &d, nullptr, nullptr), "1/4-20UNC");
        }
        // Every form table names processes that it holds, and each has a spot drill and a drill first.
        for (const std::string& file : listTableFiles(g_globals->tablesDir)) {
            CTabColsDesc t;
            ASSERT_EQ(t.read(file), 0) << file;
            ASSERT_GT(t.readRows(), 0) << file;
            EXPECT_EQ(t.formatVersion, kCurrentTableVersion);
            if (t.tableClass != kTableFormClass) continue;
            ASSERT_GT(t.processColumn, 0) << file;
            PROCESS_OPE ops[kMaxProcessOps];
            for (int r = 0; r < t.rowCount; ++r) {
                ASSERT_GE(t.readProcess(t.cell(r, t.processColumn - 1), ops), 2) << file;
                EXPECT_EQ(opeGet(ops[0], process_ope::operationType), 2u) << file;
                EXPECT_EQ(opeGet(ops[1], process_ope::operationType), 3u) << file;
            }
        }
    }
    expectScriptPlayed();
}

}  // namespace
