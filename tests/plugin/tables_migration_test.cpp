// Table format migration: an old thread table and drill-size table brought to the current version with
// every added column and field, each special step on its own, and a write failing at every point of a
// migration leaving a readable table that a later run brings to the same result.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "plugin/model/host_blocks.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/host_op_defaults.h"
#include "plugin/tables/operation_line.h"
#include "plugin/tables/table_migration.h"
#include "plugin/tables/table_text.h"
#include "support/tables_fixture.h"

namespace {

namespace po = process_ope;

constexpr const char* kMetricList = "(0,0,6,10,16,25,40)";

class MigrationTest : public TablesFixture {
protected:
    // A table file of the given class and version with the given items and process part.
    std::string oldTable(int tableClass, int version, const std::vector<std::string>& headings,
                         const std::string& processes) {
        std::string text = "[Class] " + std::to_string(tableClass) + " " + std::to_string(version) + " 0 0 0\r\n[Desc]\r\n";
        for (std::size_t i = 0; i < headings.size(); ++i)
            text += formatText("[Item %zu] %i %zu \"%s\" 0 0 0.00\r\n", i + 1, i == 0 ? 0 : 6, i + 1, headings[i].c_str());
        text += "[Prm]\r\n0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0.08 0.16\r\n[BmpPrm]\r\n2.5000 100";
        for (int i = 0; i < kBmpParamCount; ++i) text += " 0";
        text += "\r\n"
                "[BmpLastVal]\r\n12.0 1.0 45.0 0 118.0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0000001000\r\n[Process]\r\n" +
                processes;
        return text;
    }
    CTabColsDesc migrated(const std::string& name) {
        CTabColsDesc t;
        EXPECT_EQ(t.read(tablePath(name)), 0);
        EXPECT_EQ(updateTableVersion(t), 0);
        CTabColsDesc back;
        EXPECT_EQ(back.read(tablePath(name)), 0);
        back.readRows();
        return back;
    }
    // One operation line of the current layout with its fields set by `set`.
    static std::string line(const std::string& process, int index, const std::function<void(PROCESS_OPE&)>& set) {
        PROCESS_OPE op;
        opeSet(op, po::operationType, std::uint32_t{3});
        opeSet(op, po::cycle, std::uint32_t{1});
        set(op);
        return formatOperation(process, index, op);
    }
    PROCESS_OPE firstOperation(const CTabColsDesc& t, const std::string& process = "1") {
        PROCESS_OPE ops[kMaxProcessOps];
        EXPECT_GE(t.readProcess(process, ops), 1);
        return ops[0];
    }
    static std::vector<std::string> rowOf(const CTabColsDesc& t, int r) {
        std::vector<std::string> row;
        (void)t.getRow(r, row);
        return row;
    }
};

TEST_F(MigrationTest, AVersionTwoThreadTableGainsEveryColumnAndFieldUpToTheCurrentVersion) {
    // A version-2 operation line: fields 1 to 24 only.
    const std::string v2 = "[1 1] 4 1 2 0 0 10.0000 1 0 0 0 0.0000 1 0 1 0 -12.0000 0 0 0 30.0000 {Tap} 3 0 0.0000\r\n";
    ASSERT_TRUE(plat::writeFile(tablePath("TH"), oldTable(2, 2, {"Thread", "D", "P", "Drill", "Length"}, v2)));
    ASSERT_TRUE(plat::writeFile(tablesDir + "/TH.txt", "M10x1.5 10 1.5 8.5 20\r\nM12 12 1.75 10.2 24\r\n"));
    const CTabColsDesc t = migrated("TH");
    EXPECT_EQ(t.formatVersion, 21);
    ASSERT_EQ(t.itemCount, 7);
    EXPECT_EQ(t.items[4].text1, "Safety Tap");
    EXPECT_EQ(t.items[4].kind, 6);
    EXPECT_EQ(t.items[4].colId1, 5);
    EXPECT_EQ(t.items[5].text1, "Length");
    EXPECT_EQ(t.items[5].colId1, 6);
    EXPECT_EQ(t.items[6].kind, kItemList);
    EXPECT_EQ(t.items[6].colId1, 7);
    EXPECT_EQ(rowOf(t, 0), (std::vector<std::string>{"M10x1.5", "10", "1.5", "8.5", "7.5", "20", kMetricList}));
    EXPECT_EQ(rowOf(t, 1)[4], "8.8");   // 5 x 1.75 on the 0.1 grid (halves to even)
    EXPECT_DOUBLE_EQ(t.bmpScale, 0);
    EXPECT_EQ(t.lastTime, 0);
    EXPECT_EQ(t.bmpTime, 100);

    const PROCESS_OPE op = firstOperation(t);
    EXPECT_EQ(opeText(op, po::opName), "Tap");
    EXPECT_EQ(opeGet(op, po::operationType), 4u);
    EXPECT_DOUBLE_EQ(opeGet(op, po::zInf), -12);
    EXPECT_EQ(opeGet(op, po::lineInt42), 0);
    EXPECT_EQ(opeGet(op, po::lineInt44), 1);
    EXPECT_EQ(opeGet(op, po::lineInt47), 0);
    // Every field of the current line is written.
    const std::string bytes = bytesOf(tablePath("TH"));
    const std::string opLine = bytes.substr(bytes.find("[1 1]"), bytes.find("\r\n", bytes.find("[1 1]")) - bytes.find("[1 1]"));
    EXPECT_EQ(blankTokens(opLine.substr(opLine.find(']') + 1)).size(), 47u) << opLine;
}

TEST_F(MigrationTest, AVersionTwoDrillTableGainsItsSafetyReamAndListColumns) {
    ASSERT_TRUE(plat::writeFile(tablePath("DR"), oldTable(1, 2, {"D", "A", "B", "Size"}, "")));
    ASSERT_TRUE(plat::writeFile(tablesDir + "/DR.txt", "10 0.5 3 10\r\n6.8 0.3 2 6.8\r\n"));
    const CTabColsDesc t = migrated("DR");
    EXPECT_EQ(t.formatVersion, 21);
    ASSERT_EQ(t.itemCount, 6);
    EXPECT_EQ(t.items[3].text1, "Safety Ream");
    EXPECT_EQ(t.items[3].kind, 7);
    EXPECT_EQ(t.items[4].text1, "Size");
    EXPECT_EQ(rowOf(t, 0), (std::vector<std::string>{"10", "0.5", "3", "1.5", "10", kMetricList}));
    EXPECT_EQ(rowOf(t, 1)[3], "1");   // 1.02 on the 0.1 grid
}

TEST_F(MigrationTest, TheListTextComesFromTheUiTextsWhenTheyHaveIt) {
    std::string texts = bytesOf(installDir + "/Tool.txt");
    const std::size_t at = texts.find("\r\n20. ", texts.find("[CreateDlg]"));
    ASSERT_NE(at, std::string::npos);
    const std::size_t end = texts.find("\r\n32. ", at);
    installUiTexts(texts.replace(at, end - at, "\r\n20. 0 6 10 16\r\n21."));
    EXPECT_EQ(defaultListText(), "(0,0,6,10,16)");
    g_globals->hostVersion[7] = 0;
    EXPECT_EQ(defaultListText(), "(0,0,0.25,0.4,0.6,1,1.5)");
}

TEST_F(MigrationTest, EachSpecialStepOnItsOwn) {
    const std::string plain = "[1 1] 3 0 0 0 0 5.0 0 0 0 0 0.0 0 0 0 0 -5.0 0 0 0 30.0 {x} 1 0 0.0\r\n";
    OP_CYCLE_LIST list;   // the first milled entry of the host's cycle list, 12 without one
    list.load("");
    std::uint32_t firstMilled = 12;
    for (int i = list.count - 1; i >= 0; --i)
        if (list.entries[i].milled) firstMilled = static_cast<std::uint32_t>(i);
    ASSERT_NE(firstMilled, 5u);
    PROCESS_OPE defaults;   // the host's circle-mill defaults
    ASSERT_EQ(getHostOpDefaults(kCircleMill, 0.0, &defaults, nullptr), 1);
    struct CASE {
        const char* what;
        int version;
        std::function<void(PROCESS_OPE&)> set;   // the operation as the old table holds it
        std::function<void(const PROCESS_OPE&)> expect;
    };
    const CASE cases[] = {
        {"version 10: circle mills get the first milled cycle", 10,
         [](PROCESS_OPE& op) { opeSet(op, po::milledKind, std::int16_t{1}); opeSet(op, po::cycle, std::uint32_t{5}); },
         [&](const PROCESS_OPE& op) { EXPECT_EQ(opeGet(op, po::cycle), firstMilled); }},
        {"version 11: no cycle fix", 11,
         [](PROCESS_OPE& op) { opeSet(op, po::milledKind, std::int16_t{1}); opeSet(op, po::cycle, std::uint32_t{5}); },
         [](const PROCESS_OPE& op) { EXPECT_EQ(opeGet(op, po::cycle), 5u); }},
        {"version 12: ranges cleared", 12,
         [](PROCESS_OPE& op) {
             setOpeText(op, po::toolName, "T1");
             opeSet(op, po::lineInt33, std::int16_t{5});
             opeSet(op, po::lineValue34, 2.5);
             opeSet(op, po::millDiamCol, std::int16_t{99});
         },
         [](const PROCESS_OPE& op) {
             EXPECT_EQ(opeText(op, po::toolName), "");
             EXPECT_EQ(opeGet(op, po::lineInt33), 0);
             EXPECT_DOUBLE_EQ(opeGet(op, po::lineValue34), 0);
             EXPECT_EQ(opeGet(op, po::millDiamCol), 99);
         }},
        {"version 13: damaged blocks take the host's defaults", 13,
         [](PROCESS_OPE& op) {
             opeSet(op, po::milledKind, std::int16_t{1});
             op.set<std::int16_t>(po::hostBlock40 + 16, 500);
             op.set<double>(po::hostBlock40 + 8, 7.0);
             op.set<double>(po::circleMillBlock + 64, 0.001);
             op.set<double>(po::circleMillBlock + 48, 9.0);
         },
         [&](const PROCESS_OPE& op) {
             EXPECT_EQ(0, std::memcmp(op.bytes + po::hostBlock40, defaults.bytes + po::hostBlock40, kBlock40));
             EXPECT_EQ(0, std::memcmp(op.bytes + po::circleMillBlock, defaults.bytes + po::circleMillBlock,
                                      kCircleMillSize));
             EXPECT_NE(op.get<double>(po::circleMillBlock + 64), 0.001);
         }},
        {"version 13: sound blocks stay", 13,
         [](PROCESS_OPE& op) {
             opeSet(op, po::milledKind, std::int16_t{1});
             op.set<std::int16_t>(po::hostBlock40 + 16, 100);
             op.set<double>(po::circleMillBlock + 64, 0.02);
             op.set<double>(po::circleMillBlock + 48, 9.0);
         },
         [](const PROCESS_OPE& op) {
             EXPECT_EQ(op.get<std::int16_t>(po::hostBlock40 + 16), 100);
             EXPECT_DOUBLE_EQ(opeGet(op, po::cylDiam), 9.0);   // step 15 took it from the block
         }},
        {"version 17: a circle mill's diameter tie from the top Z", 17,
         [](PROCESS_OPE& op) {
             opeSet(op, po::milledKind, std::int16_t{1});
             opeSet(op, po::zSupAssoc, std::int16_t{1});
             opeSet(op, po::zSupCol, std::int16_t{3});
             opeSet(op, po::zSupZPl, std::int16_t{1});
             opeSet(op, po::zSupCyl, std::int16_t{2});
             op.set<double>(po::circleMillBlock + 48, 9.0);
         },
         [](const PROCESS_OPE& op) {
             EXPECT_EQ(opeGet(op, po::cylDiamAssoc), 1);
             EXPECT_EQ(opeGet(op, po::cylDiamCol), 3);
             EXPECT_EQ(opeGet(op, po::cylDiamCyl), 2);
             EXPECT_DOUBLE_EQ(opeGet(op, po::cylDiam), 0);
         }},
        {"version 17: an untied circle mill takes its block's diameter", 17,
         [](PROCESS_OPE& op) {
             opeSet(op, po::milledKind, std::int16_t{1});
             op.set<double>(po::circleMillBlock + 48, 9.0);
         },
         [](const PROCESS_OPE& op) { EXPECT_DOUBLE_EQ(opeGet(op, po::cylDiam), 9.0); }},
        {"version 17: a contour always takes the top-Z tie", 17,
         [](PROCESS_OPE& op) {
             opeSet(op, po::milledKind, std::int16_t{2});
             opeSet(op, po::zSupCol, std::int16_t{4});
             opeSet(op, po::cylDiamAssoc, std::int16_t{1});
             opeSet(op, po::cylDiam, 5.0);
         },
         [](const PROCESS_OPE& op) {
             EXPECT_EQ(opeGet(op, po::cylDiamAssoc), 0);
             EXPECT_EQ(opeGet(op, po::cylDiamCol), 4);
             EXPECT_DOUBLE_EQ(opeGet(op, po::cylDiam), 0);
         }},
        {"version 18: field 47 cleared", 18, [](PROCESS_OPE& op) { opeSet(op, po::lineInt47, std::int16_t{7}); },
         [](const PROCESS_OPE& op) { EXPECT_EQ(opeGet(op, po::lineInt47), 0); }},
        {"version 20: placeholders and wild ties", 20,
         [](PROCESS_OPE& op) {
             opeSet(op, po::lineInt45, std::int16_t{1});
             setOpeText(op, po::lineText46, "0");
             setOpeText(op, po::toolName, "-9.0000");
             opeSet(op, po::cylDiamAssoc, std::int16_t{300});
             opeSet(op, po::cylDiamCol, std::int16_t{-300});
             opeSet(op, po::cylDiamZPl, std::int16_t{300});
             opeSet(op, po::cylDiamCyl, std::int16_t{300});
             opeSet(op, po::millDiamCol, std::int16_t{6});
             opeSet(op, po::zInfCyl, std::int16_t{2});
         },
         [](const PROCESS_OPE& op) {
             EXPECT_EQ(opeGet(op, po::lineInt45), 0);
             EXPECT_EQ(opeText(op, po::lineText46), "");
             EXPECT_EQ(opeText(op, po::toolName), "");
             EXPECT_EQ(opeGet(op, po::cylDiamAssoc), 0);
             EXPECT_EQ(opeGet(op, po::cylDiamCol), 6);
             EXPECT_EQ(opeGet(op, po::cylDiamZPl), 1);
             EXPECT_EQ(opeGet(op, po::cylDiamCyl), 2);
         }},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(plat::writeFile(tablePath("S"), oldTable(0, c.version, {"Name", "D"}, plain + line("2", 1, c.set))));
        const CTabColsDesc t = migrated("S");
        EXPECT_EQ(t.formatVersion, 21);
        c.expect(firstOperation(t, "2"));
        EXPECT_EQ(opeText(firstOperation(t, "1"), po::opName), "x");
    }
}

TEST_F(MigrationTest, AVersionNineteenTableMovesField26ToField47) {
    std::string v19 = line("1", 1, [](PROCESS_OPE& op) { opeSet(op, po::hostValue, 0.0); });
    // Field 26 holds lineInt47 (here 5); the fields after it are one place later.
    std::vector<std::string_view> tokens = blankTokens(std::string_view(v19).substr(6));
    std::string fields;
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (i == 25) fields += " 5";
        fields += " " + std::string(tokens[i]);
    }
    ASSERT_TRUE(plat::writeFile(tablePath("N"), oldTable(0, 19, {"Name"}, "[1 1]" + fields + "\r\n")));
    const CTabColsDesc t = migrated("N");
    EXPECT_EQ(t.formatVersion, 21);
    const PROCESS_OPE op = firstOperation(t);
    EXPECT_EQ(opeGet(op, po::lineInt47), 5);       // step 20 does not clear it
    EXPECT_DOUBLE_EQ(opeGet(op, po::hostValue), 0);
    EXPECT_EQ(opeGet(op, po::lineInt44), 0);        // and no earlier step ran
}

// What the migration could not finish is found before anything is written: a process that does not read
// whole, a pitch whose five-pitch safety depth is not a finite number.
TEST_F(MigrationTest, ATableTheMigrationCouldNotFinishIsNotMigratedAtAll) {
    const std::string v2 = "[1 1] 4 1 2 0 0 10.0000 1 0 0 0 0.0000 1 0 1 0 -12.0000 0 0 0 30.0000 {Tap} 3 0 0.0000\r\n";
    const struct {
        const char* what;
        std::string table, rows, told;
    } cases[] = {
        {"a damaged process",
         oldTable(2, 5, {"Thread", "D", "P", "Drill", "Safety", "Length"},
                  "[1 1] 4 1 2 0 0 nan 1 0 0 0 0.0000 1 0 1 0 -12.0000 0 0 0 30.0000 {Tap} 3 0 0.0000\r\n"),
         "M10x1.5 10 1.5 8.5 7.5 20\r\n", "An operation of its process 1 is cut short or holds a value that is not a number"},
        {"an absurd pitch", oldTable(2, 2, {"Thread", "D", "P", "Drill", "Length"}, v2),
         "M10x1.5 10 1.5 8.5 20\r\nM12 12 1e308 10.2 24\r\n", "Row 2 holds a value that is not a finite number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(plat::writeFile(tablePath("D"), c.table));
        ASSERT_TRUE(plat::writeFile(tablesDir + "/D.txt", c.rows));
        CTabColsDesc t;
        ASSERT_EQ(t.read(tablePath("D")), 0);
        const int version = t.formatVersion;
        expectMessage();
        EXPECT_EQ(updateTableVersion(t), 1);
        EXPECT_TRUE(transcript().contains(c.told));
        EXPECT_EQ(bytesOf(tablePath("D")), c.table);
        EXPECT_EQ(bytesOf(tablesDir + "/D.txt"), c.rows);
        EXPECT_EQ(t.formatVersion, version);
        expectScriptPlayed();
        plat::driver().transcript().clear();
    }
}

TEST_F(MigrationTest, CurrentAndNewerTablesAreNotTouched) {
    for (int version : {21, 22}) {
        ASSERT_TRUE(plat::writeFile(tablePath("C"), oldTable(0, version, {"Name"}, "[1 0]\r\n")));
        ASSERT_TRUE(plat::setLastWriteTime(tablePath("C"), 1000));
        const std::string before = bytesOf(tablePath("C"));
        CTabColsDesc t;
        ASSERT_EQ(t.read(tablePath("C")), 0);
        EXPECT_EQ(updateTableVersion(t), 0);
        EXPECT_EQ(bytesOf(tablePath("C")), before);
        EXPECT_EQ(plat::lastWriteTime(tablePath("C")), 1000);
        EXPECT_FALSE(plat::fileExists(tmpDir + "/C.Ta~"));
    }
}

TEST_F(MigrationTest, AWriteFailingAnywhereLeavesAReadableTableThatALaterRunFinishes) {
    const std::string processes =
        "[1 1] 4 1 2 0 0 10.0000 1 0 0 0 0.0000 1 0 1 0 -12.0000 0 0 0 30.0000 {Tap} 3 0 0.0000\r\n"
        "[2 0]\r\n";
    const std::string table = oldTable(2, 2, {"Thread", "D", "P", "Drill", "Length"}, processes);
    const std::string rows = "M10x1.5 10 1.5 8.5 20\r\n";
    ASSERT_TRUE(plat::writeFile(tablePath("F"), table));
    ASSERT_TRUE(plat::writeFile(tablesDir + "/F.txt", rows));
    migrated("F");
    const std::string finalTable = bytesOf(tablePath("F")), finalRows = bytesOf(tablesDir + "/F.txt");

    // Every fifth write of the migration fails in turn, up to one past its last write.
    bool failedLate = false;
    for (int writes = 0; writes < 400 && !failedLate; writes += 5) {
        SCOPED_TRACE("failing write " + std::to_string(writes + 1));
        ASSERT_TRUE(plat::writeFile(tablePath("F"), table));
        ASSERT_TRUE(plat::writeFile(tablesDir + "/F.txt", rows));
        script().clear();
        expectMessage();
        plat::failWriteAfter(writes, 3);
        CTabColsDesc t;
        ASSERT_EQ(t.read(tablePath("F")), 0);
        const int result = updateTableVersion(t);
        plat::failNextWriteAfter(-1);
        failedLate = result == 0;   // every write of the migration has been failed once
        CTabColsDesc back;
        ASSERT_EQ(back.read(tablePath("F")), 0);
        back.readRows();
        for (int r = 0; r < back.rowCount; ++r) EXPECT_FALSE(back.cell(r, back.columnCount - 1).empty());
        if (result != 0) {
            EXPECT_LT(back.formatVersion, 21);
        }
        ASSERT_EQ(updateTableVersion(back), 0);
        EXPECT_EQ(bytesOf(tablePath("F")), finalTable);
        EXPECT_EQ(bytesOf(tablesDir + "/F.txt"), finalRows);
    }
    EXPECT_TRUE(failedLate);
}

}  // namespace
