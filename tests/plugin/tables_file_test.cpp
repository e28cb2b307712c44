// The table file: what a write puts on disk, what a read takes back (every field), the reader's edges,
// files it refuses, and writes that fail without touching the table. Also the snapshot copies.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "plugin/model/tab_cols_desc.h"
#include "support/tables_fixture.h"

namespace {

class TableFileTest : public TablesFixture {
protected:
    // A table with one item of each shape and every stored value distinct.
    CTabColsDesc sample(const std::string& name) {
        CTabColsDesc t;
        EXPECT_EQ(t.allocItems(4), 0);
        EXPECT_EQ(t.addDescItem(0, 1, "Name", 0, 0, 0, 0, "", 0, "", 0), 0);
        EXPECT_EQ(t.addDescItem(1, 2, "D1", 1, 0, 8.5, 3, "L1", 4, "A1", 20.25), 0);
        EXPECT_EQ(t.addDescItem(3, 5, "Process", 0, 1, 0, 0, "", 0, "", 0), 0);
        EXPECT_EQ(t.addDescItem(8, 6, "List", 0, 0, 1.5, 0, "", 0, "", 0), 0);
        t.path = tablePath(name);
        t.name = name;
        t.tableClass = 3;
        t.formatVersion = 21;
        t.classValue3 = 7;
        t.classValue4 = 1000;
        t.classValue5 = 1;
        t.prm1 = 1, t.prm2 = 2.5, t.prm3 = -3.25, t.prm4 = 4, t.prm5 = 5.125, t.prm6 = 6, t.prm7 = 7.5, t.prm8 = 8;
        t.chamferAngleA = 0.654321, t.chamferAngleB = 0.872665, t.maxChamfer = 1.5, t.autoChamferOn = 1;
        t.autoChamferSize = 2, t.prm14 = 14, t.prm15 = 15.5, t.prm16 = 16, t.prm17 = 17.75;
        t.diameterTolerance = 0.08, t.lengthTolerance = 0.16;
        t.bmpScale = 1.2345;
        t.bmpTime = 1700000000;
        for (int i = 0; i < kBmpParamCount; ++i) t.bmpParams[i] = static_cast<std::int16_t>(3 * i - 50);
        t.lastValues1 = 10.5, t.lastValues2 = 0.25, t.lastValues3 = 60, t.lastValues4 = 3, t.lastValues5 = 130;
        for (int i = 0; i < kLastShortCount; ++i) t.lastShorts[i] = static_cast<std::int16_t>(i * i);
        t.lastTime = 1600000000;
        return t;
    }
    static void expectSame(const CTabColsDesc& a, const CTabColsDesc& b) {
        EXPECT_EQ(a.tableClass, b.tableClass);
        EXPECT_EQ(a.formatVersion, b.formatVersion);
        EXPECT_EQ(a.classValue3, b.classValue3);
        EXPECT_EQ(a.classValue4, b.classValue4);
        EXPECT_EQ(a.classValue5, b.classValue5);
        ASSERT_EQ(a.itemCount, b.itemCount);
        EXPECT_EQ(a.columnCount, b.columnCount);
        for (int i = 0; i < a.itemCount; ++i) {
            const TAB_DESC_ITEM &x = a.items[i], &y = b.items[i];
            EXPECT_EQ(std::tie(x.kind, x.colId1, x.text1, x.a, x.b, x.colId2, x.text2, x.colId3, x.text3),
                      std::tie(y.kind, y.colId1, y.text1, y.a, y.b, y.colId2, y.text2, y.colId3, y.text3));
            EXPECT_DOUBLE_EQ(x.value1, y.value1);
            EXPECT_DOUBLE_EQ(x.value2, y.value2);
        }
        const double prmA[] = {double(a.prm1), a.prm2, a.prm3, double(a.prm4), a.prm5, double(a.prm6), a.prm7,
                               double(a.prm8), a.chamferAngleA, a.chamferAngleB, a.maxChamfer, double(a.autoChamferOn),
                               a.autoChamferSize, double(a.prm14), a.prm15, double(a.prm16), a.prm17,
                               a.diameterTolerance, a.lengthTolerance};
        const double prmB[] = {double(b.prm1), b.prm2, b.prm3, double(b.prm4), b.prm5, double(b.prm6), b.prm7,
                               double(b.prm8), b.chamferAngleA, b.chamferAngleB, b.maxChamfer, double(b.autoChamferOn),
                               b.autoChamferSize, double(b.prm14), b.prm15, double(b.prm16), b.prm17,
                               b.diameterTolerance, b.lengthTolerance};
        for (int i = 0; i < 19; ++i) EXPECT_DOUBLE_EQ(prmA[i], prmB[i]) << "[Prm] value " << i + 1;
        EXPECT_DOUBLE_EQ(a.bmpScale, b.bmpScale);
        EXPECT_EQ(a.bmpTime, b.bmpTime);
        for (int i = 0; i < kBmpParamCount; ++i) EXPECT_EQ(a.bmpParams[i], b.bmpParams[i]) << i;
        EXPECT_DOUBLE_EQ(a.lastValues1, b.lastValues1);
        EXPECT_DOUBLE_EQ(a.lastValues2, b.lastValues2);
        EXPECT_DOUBLE_EQ(a.lastValues3, b.lastValues3);
        EXPECT_EQ(a.lastValues4, b.lastValues4);
        EXPECT_DOUBLE_EQ(a.lastValues5, b.lastValues5);
        for (int i = 0; i < kLastShortCount; ++i) EXPECT_EQ(a.lastShorts[i], b.lastShorts[i]) << i;
        EXPECT_EQ(a.lastTime, b.lastTime);
    }
};

TEST_F(TableFileTest, AWrittenTableReadsBackWithEveryFieldAndWritesTheSameBytesAgain) {
    const CTabColsDesc written = sample("T1");
    ASSERT_EQ(written.write(), 0);
    CTabColsDesc read;
    ASSERT_EQ(read.read(tablePath("T1")), 0);
    expectSame(written, read);
    EXPECT_EQ(read.name, "T1");
    EXPECT_EQ(read.cylinderItemCount, 1);
    EXPECT_EQ(read.columnCount, 6);   // ids 1; 2, 3, 4; 5; 6
    EXPECT_EQ(read.processColumn, 5);
    EXPECT_EQ(read.listColumn, 6);
    const std::string first = bytesOf(tablePath("T1"));
    ASSERT_EQ(read.write(), 0);
    EXPECT_EQ(bytesOf(tablePath("T1")), first);
}

TEST_F(TableFileTest, TheFileHasTheStoredLayoutWithCrLfLines) {
    CTabColsDesc t;
    ASSERT_EQ(t.allocItems(1), 0);
    ASSERT_EQ(t.addDescItem(1, 1, "Dia meter", 0, 1, 2.756, 2, "L", 0, "", 2.75), 0);
    t.path = tablePath("L");
    t.tableClass = 0, t.formatVersion = 21, t.classValue4 = 5;
    t.chamferAngleA = 0.5, t.diameterTolerance = 0.08;
    t.bmpScale = 1, t.bmpTime = 86400, t.bmpParams[42] = 9;
    t.lastValues5 = 118, t.lastTime = 42;
    ASSERT_EQ(t.write(), 0);
    std::string zeros43, zeros15;
    for (int i = 0; i < 42; ++i) zeros43 += " 0";
    for (int i = 0; i < 16; ++i) zeros15 += " 0";
    EXPECT_EQ(bytesOf(tablePath("L")),
              "[Class] 0 21 0 5 0\r\n"
              "[Desc]\r\n"
              "[Item 1] 1 1 \"Dia meter\" 0 1 2.76 2 \"L\" 0 \"\" 2.75\r\n"
              "[Prm]\r\n"
              "0 0.000 0.000 0 0.000 0 0.000 0 0.500000 0.000000 0.000 0 0.000 0 0.000 0 0.000 0.080 0.000\r\n"
              "[BmpPrm]\r\n"
              "1.0000 86400" + zeros43 + " 9 \r\n"
              "[BmpLastVal]\r\n"
              "0.0000 0.0000 0.00 0 118.0" + zeros15 + " 0000000042\r\n");   // a new table has no process part
    CTabColsDesc back;
    ASSERT_EQ(back.read(tablePath("L")), 0);
    EXPECT_DOUBLE_EQ(back.items[0].value1, 2.76);   // two decimals on disk
    EXPECT_DOUBLE_EQ(back.items[0].value2, 2.75);
    EXPECT_EQ(back.items[0].text1, "Dia meter");
    EXPECT_EQ(back.lastTime, 42);                    // zero-padded, still decimal
}

TEST_F(TableFileTest, ReaderEdges) {
    struct CASE {
        const char* what;
        std::string text;
        int items;
        double maxChamfer;     // third double of [Prm]
        double lastValues1;    // first value of [BmpLastVal]
    };
    const std::string prm = "0 0 0 0 0 0 0 0 0.1 0.2 3.5 0 0 0 0 0 0 0.08 0.16";
    const std::string item = "[Item 1] 0 1 \"N\" 0 0 0.00\r\n";
    std::string lf = tableText(0, 21, "[Item 1] 0 1 \"N\" 0 0 0.00\n[Item 2] 3 2 \"P\" 0 0 0.00\n", "", prm);
    for (std::size_t at = lf.find("\r\n"); at != std::string::npos; at = lf.find("\r\n", at)) lf.erase(at, 1);
    const CASE cases[] = {
        {"[Cil lines are item lines", tableText(0, 21, "[Cil 1] 1 1 \"D\" 0 0 5.00 2 \"L\" 0 \"\" 9.00\r\n", "", prm), 1, 3.5, 12},
        {"an indented marker is no item", tableText(0, 21, item + "  [Item 2] 0 2 \"M\" 0 0 0.00\r\n", "", prm), 1, 3.5, 12},
        {"LF alone ends lines too", lf, 2, 3.5, 12},
        {"an older version's short lines read as zeros",
         "[Class] 0 20 0 0 0\r\n" + item + "[Prm]\r\n0 0 0 0 0 0 0 0 0 0\r\n[BmpPrm]\r\n0\r\n[BmpLastVal]\r\n20.0 1.0\r\n[Process]\r\n",
         1, 0, 20},
    };
    for (const CASE& c : cases) {
        ASSERT_TRUE(plat::writeFile(tablePath("E"), c.text));
        CTabColsDesc t;
        ASSERT_EQ(t.read(tablePath("E")), 0) << c.what;
        EXPECT_EQ(t.itemCount, c.items) << c.what;
        EXPECT_DOUBLE_EQ(t.maxChamfer, c.maxChamfer) << c.what;
        EXPECT_DOUBLE_EQ(t.lastValues1, c.lastValues1) << c.what;
    }
    expectScriptPlayed();
}

// What a read made of a table is kept with the file's bytes and units: a file changed in place with its size
// and its write time (a change within the same clock tick), or a read in other units, reads afresh; so do the
// row names the process tree asks of the rows file.
TEST_F(TableFileTest, ATableOrRowsChangedBetweenTwoReadsAreReadAfresh) {
    struct CASE {
        const char* what;
        std::string file, from, to;   // the text replaced in place; none: read again in inches
        double kind, diameter, last;  // the table's kind, its row's diameter, its first default value
        const char* row;              // the row the rows file holds
    };
    const CASE cases[] = {
        {"the table file", tablePath("K"), "0 7 0", "0 9 0", 9, 2.5, 12, "a"},
        {"the rows file", tablesDir + "/K.txt", "a 2.5", "a 7.5", 7, 7.5, 12, "a"},
        {"the rows file's row names", tablesDir + "/K.txt", "a 2.5", "b 2.5", 7, 2.5, 12, "b"},
        {"the units", "", "", "", 7, 2.5, 0.5, "a"},
    };
    for (const CASE& c : cases) {
        g_globals->hostVersion[7] = 1;
        ASSERT_TRUE(plat::writeFile(tablePath("K"), "[Class] 2 21 0 7 0\r\n[Desc]\r\n[Item 1] 0 1 \"N\" 0 0 0.00\r\n"
                                                    "[Item 2] 3 2 \"P\" 0 0 0.00\r\n"));
        ASSERT_TRUE(plat::writeFile(tablesDir + "/K.txt", "a 2.5\r\n"));
        CTabColsDesc t;
        ASSERT_TRUE(t.read(tablePath("K")) == 0 && t.readRows() == 1) << c.what;
        ASSERT_TRUE(rowStoredInTable(tablePath("K"), "a"));
        std::string bytes = c.file.empty() ? "" : bytesOf(c.file);
        if (c.file.empty()) {
            g_globals->hostVersion[7] = 2;
        } else {
            const auto written = std::filesystem::last_write_time(c.file);
            std::ofstream(c.file, std::ios::binary) << bytes.replace(bytes.find(c.from), c.from.size(), c.to);
            std::filesystem::last_write_time(c.file, written);
        }
        ASSERT_TRUE(t.read(tablePath("K")) == 0 && t.readRows() == 1) << c.what;
        EXPECT_EQ(std::tuple(double(t.classValue4), std::atof(t.cell(0, 1).c_str()), t.lastValues1),
                  std::tuple(c.kind, c.diameter, c.last)) << c.what;
        EXPECT_TRUE(rowStoredInTable(tablePath("K"), c.row)) << c.what;
    }
    g_globals->hostVersion[7] = 1;
}

TEST_F(TableFileTest, DamagedFilesAreRefusedWithWhatIsWrongAndTheTableKeepsWhatItHeld) {
    struct CASE {
        const char* what;
        std::string text;
        const char* message;   // the line saying what is wrong
    };
    const std::string name = "[Item 1] 0 1 \"N\" 0 0 0.00\r\n", d = "[Item 2] 1 2 \"D\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n",
                      process = "[Item 3] 3 3 \"Process\" 0 0 0.00\r\n";
    const std::string sound = tableText(0, 21, name + d + process);
    const auto replaced = [&](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    const auto cut = [&](const std::string& marker) { return sound.substr(0, sound.find(marker)); };
    const std::string prmLine = std::string(kPlainPrm);
    const CASE cases[] = {
        {"no column description", "[Class] 0 21\r\n[Desc]\r\n[Prm]\r\n" + name, "holds no column description"},
        {"a cylinder item cut short", replaced(sound, d, "[Item 2] 1 2 \"D\" 0 0 5.00 2 \"L\"\r\n"), "column description is damaged"},
        {"an unclosed heading", replaced(sound, name, "[Item 1] 0 1 \"Name 0 0 0.00\r\n"), "column description is damaged"},
        {"a column id that is no number", replaced(sound, name, "[Item 1] 0 x \"N\" 0 0 0.00\r\n"), "column description is damaged"},
        {"a quote in an unquoted heading", replaced(sound, name, "[Item 1] 0 1 N\" 0 0 0.00\r\n"), "column description is damaged"},
        {"a NaN item value", replaced(sound, name, "[Item 1] 0 1 \"N\" 0 0 nan\r\n"), "column description is damaged"},
        {"every column id 0", tableText(0, 21, "[Item 1] 0 0 \"N\" 0 0 0.00\r\n[Item 2] 3 0 \"P\" 0 0 0.00\r\n"), "without a gap"},
        {"the process column past the count", replaced(sound, process, "[Item 3] 3 9 \"Process\" 0 0 0.00\r\n"), "without a gap"},
        {"two items on one column", replaced(sound, process, "[Item 3] 3 2 \"Process\" 0 0 0.00\r\n"), "without a gap"},
        {"no class line", sound.substr(sound.find("[Desc]")), "[Class]\\\" part is missing"},
        {"NUL bytes in the class line", replaced(sound, "[Class] 0 21 0 0 0", std::string("[Class] \0\0 21 0 0 0", 19)), "It holds NUL bytes"},
        {"a class line with a word", replaced(sound, "[Class] 0 21 0 0 0", "[Class] 0 21 zero"), "class line"},
        {"an unknown class", replaced(sound, "[Class] 0 21", "[Class] 7 21"), "class line"},
        {"version 0", replaced(sound, "[Class] 0 21", "[Class] 0 0"), "format version 0"},
        {"version -1", replaced(sound, "[Class] 0 21", "[Class] 0 -1"), "format version -1"},
        {"a list column at version 3", tableText(1, 3, name + "[Item 2] 8 2 \"\" 0 0 0.00\r\n"), "did not have yet"},
        {"a word in [Prm]", cut("[Prm]") + "[Prm]\r\n0 0.000 0.000 0 x.000", "[Prm]\\\" part holds"},
        {"NaN tolerances", replaced(sound, prmLine, "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 nan nan"), "[Prm]\\\" part holds"},
        {"an infinite chamfer", replaced(sound, prmLine, "0 0 0 0 0 0 0 0 0 0 1e999 0 0 0 0 0 0 0.01 0.1"), "[Prm]\\\" part holds"},
        {"a whole number past a short in [Prm]", replaced(sound, prmLine, "0 0 0 40000 0 0 0 0 0 0 0 0 0 0 0 0 0 0.01 0.1"),
         "[Prm]\\\" part holds"},
        {"a time that is no whole number in [BmpPrm]", cut("[BmpPrm]") + "[BmpPrm]\r\n0.0000 0 0.5", "[BmpPrm]\\\" part holds"},
        {"NaN last values", replaced(sound, "12.0000 1.0000", "nan 1.0000"), "[BmpLastVal]\\\" part holds"},
        {"an infinite last time", replaced(sound, " 0000000000\r\n", " 1e999\r\n"), "[BmpLastVal]\\\" part holds"},
        {"no byte", "", "holds no column description"},
    };
    CTabColsDesc t = sample("KEEP");
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(plat::writeFile(tablePath("BAD"), c.text));
        expectMessage();
        EXPECT_EQ(t.read(tablePath("BAD")), 1);
        EXPECT_TRUE(transcript().contains("damaged and is not used"));
        EXPECT_TRUE(transcript().contains(c.message));
        EXPECT_TRUE(transcript().contains(tablePath("BAD")));
        EXPECT_EQ(bytesOf(tablePath("BAD")), c.text);
        EXPECT_EQ(t.name, "KEEP");
        EXPECT_EQ(t.itemCount, 4);
        plat::driver().transcript().clear();
    }
    ASSERT_TRUE(plat::writeFile(tablePath("BAD"), sound));
    EXPECT_EQ(t.read(tablePath("BAD")), 0);
    EXPECT_EQ(t.read(tablePath("MISSING")), 1);
    expectScriptPlayed();
}

// The writer writes nothing its reader would refuse: the user is told and the file stays as it was.
TEST_F(TableFileTest, TheWriterWritesNothingItsReaderWouldRefuse) {
    const struct {
        const char* what;
        void (*change)(CTabColsDesc&);
        const char* told;
    } cases[] = {
        {"a heading holding a quote", [](CTabColsDesc& t) { t.items[1].text1 = "D\"1"; }, "column description is damaged"},
        {"a tolerance that is no number", [](CTabColsDesc& t) { t.diameterTolerance = std::nan(""); }, "[Prm]"},
        {"an unknown class", [](CTabColsDesc& t) { t.tableClass = 7; }, "class line"},
    };
    const CTabColsDesc sound = sample("W");
    ASSERT_EQ(sound.write(), 0);
    const std::string written = bytesOf(tablePath("W"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CTabColsDesc t = sound;
        c.change(t);
        expectMessage();
        EXPECT_EQ(t.write(), 1);
        EXPECT_TRUE(transcript().contains("The table could not be written"));
        EXPECT_TRUE(transcript().contains(c.told));
        EXPECT_EQ(bytesOf(tablePath("W")), written);
        plat::driver().transcript().clear();
    }
    expectScriptPlayed();
}

// Shapes the format allows, as hand edits and the writer itself leave them: what is missing or short reads as
// the reader's defaults (zeros; 12 and 45 for the first and third last values) and nothing is told; values
// of any size are read as they stand.
TEST_F(TableFileTest, MissingAndShortPartsReadAsTheirDefaults) {
    const std::string items = "[Item 1] 0 1 \"N\" 0 0 0.00\r\n[Item 2] 3 2 \"P\" 0 0 0.00\r\n";
    const std::string prm = "0 0 0 0 0 0 0 0 0.1 0.2 3.5 0 0 0 0 0 0 0.08 0.16";
    const std::string sound = tableText(0, 21, items, "[1 0]\r\n", prm);
    const auto cut = [&](const std::string& marker) { return sound.substr(0, sound.find(marker)); };
    const auto from = [&](const std::string& marker) { return sound.substr(sound.find(marker)); };
    struct CASE {
        const char* what;
        std::string text;
        std::int16_t classValue3;
        double maxChamfer, diameterTolerance, lastValues1, lastValues3;
    };
    const CASE cases[] = {
        {"a class line of three numbers", "[Class] 0 21 4" + from("\r\n[Desc]"), 4, 3.5, 0.08, 12, 45},
        {"a class line of six numbers", "[Class] 0 21 4 0 0 9" + from("\r\n[Desc]"), 4, 3.5, 0.08, 12, 45},
        {"a class line with words after five numbers", "[Class] 0 21 4 0 0 a note" + from("\r\n[Desc]"), 4, 3.5, 0.08, 12, 45},
        {"no [Process] part", cut("[Process]"), 0, 3.5, 0.08, 12, 45},
        {"[Process] before [Prm]", cut("[Prm]") + from("[Process]") + from("[Prm]").substr(0, from("[Prm]").find("[Process]")),
         0, 0, 0, 12, 45},
        {"cut after the items", cut("[Prm]"), 0, 0, 0, 12, 45},
        {"a short [Prm] line", cut("[Prm]") + "[Prm]\r\n0 0 0 0 0 0 0 0 0 0 2.5\r\n", 0, 2.5, 0, 12, 45},
        // Angles, sizes and shares of any size are read as they stand.
        {"values past their usual ranges", cut("[Prm]") + "[Prm]\r\n0 0 0 0 0 0 0 0 -1 7 2000000.5 0 0 0 0 0 0 7 -0.5\r\n", 0,
         2000000.5, 7, 12, 45},
        {"an empty [BmpLastVal] line", cut("[BmpLastVal]") + "[BmpLastVal]\r\n\r\n", 0, 3.5, 0.08, 0, 0},
        {"a [BmpLastVal] line cut short", cut("[BmpLastVal]") + "[BmpLastVal]\r\n20.0 1.0 30", 0, 3.5, 0.08, 20, 30},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(plat::writeFile(tablePath("E"), c.text));
        CTabColsDesc t;
        ASSERT_EQ(t.read(tablePath("E")), 0);
        EXPECT_EQ(t.formatVersion, 21);
        EXPECT_EQ(t.itemCount, 2);
        EXPECT_EQ(t.classValue3, c.classValue3);
        EXPECT_EQ(t.classValue5, 0);
        EXPECT_DOUBLE_EQ(t.maxChamfer, c.maxChamfer);
        EXPECT_DOUBLE_EQ(t.diameterTolerance, c.diameterTolerance);
        EXPECT_DOUBLE_EQ(t.lastValues1, c.lastValues1);
        EXPECT_DOUBLE_EQ(t.lastValues3, c.lastValues3);
        // The write gives the whole head again and carries over the process part the file has, or ends
        // after "[BmpLastVal]".
        ASSERT_EQ(t.write(), 0);
        const std::string written = bytesOf(tablePath("E"));
        const std::size_t process = c.text.find("[Process]");
        const std::size_t headEnd = written.find("\r\n", written.find("[BmpLastVal]\r\n") + 14) + 2;
        EXPECT_EQ(written.substr(headEnd), process == std::string::npos ? "" : c.text.substr(process));
        CTabColsDesc back;
        ASSERT_EQ(back.read(tablePath("E")), 0);
        EXPECT_DOUBLE_EQ(back.maxChamfer, c.maxChamfer);
    }
    expectScriptPlayed();
}

TEST_F(TableFileTest, WithinACommandADamagedFileIsToldOnceForTheSameBytes) {
    ASSERT_TRUE(plat::writeFile(tablePath("BAD"), "[Class] 0 -21\r\n[Item 1] 0 1 \"N\" 0 0 0.00\r\n"));
    CTabColsDesc t;
    expectMessage();
    {
        const TableDamageNotices command;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(t.read(tablePath("BAD")), 1);
        ASSERT_TRUE(plat::writeFile(tablePath("BAD"), "[Class] 0 -22\r\n[Item 1] 0 1 \"N\" 0 0 0.00\r\n"));
        expectMessage();   // other bytes: told again
        EXPECT_EQ(t.read(tablePath("BAD")), 1);
        EXPECT_EQ(t.read(tablePath("BAD")), 1);
    }
    expectMessage();   // the next command tells it again
    EXPECT_EQ(t.read(tablePath("BAD")), 1);
    expectScriptPlayed();
}

TEST_F(TableFileTest, ATableWiderAndLongerThanTheOldBuffersIsReadWhole) {
    const std::string heading(3000, 'h');
    std::string items, row;
    for (int i = 1; i <= 60; ++i) {
        items += "[Item " + std::to_string(i) + "] 6 " + std::to_string(i) + " \"" + heading + std::to_string(i) +
                 "\" 0 0 0.00\r\n";
        row += std::to_string(1000000 + i) + std::string(30, 'x') + " ";
    }
    ASSERT_TRUE(plat::writeFile(tablePath("WIDE"), tableText(0, 21, items)));
    ASSERT_TRUE(plat::writeFile(tablesDir + "/WIDE.txt", row + "\r\n" + row + "\r\n"));
    CTabColsDesc t;
    ASSERT_EQ(t.read(tablePath("WIDE")), 0);
    EXPECT_EQ(t.columnCount, 60);
    EXPECT_EQ(t.items[59].text1, heading + "60");
    ASSERT_EQ(t.readRows(), 2);
    EXPECT_EQ(t.cell(1, 59), std::to_string(1000060) + std::string(30, 'x'));
}

TEST_F(TableFileTest, AWriteCarriesTheProcessPartOverByteForByteAndKeepsASafetyCopy) {
    const std::string part = "[P1 1] odd\tbytes \xCC\xCC\r\nlf only\n    abc\r\n\r\n[P2 0]";   // no final line end
    std::string text = tableText(0, 21, "[Item 1] 0 1 \"N\" 0 0 0.00\r\n");
    text.replace(text.find("[Process]\r\n"), 11, "[Process] trailing\r\n" + part);
    ASSERT_TRUE(plat::writeFile(tablePath("T2"), text));
    CTabColsDesc t;
    ASSERT_EQ(t.read(tablePath("T2")), 0);
    const std::string before = bytesOf(tablePath("T2"));
    ASSERT_EQ(t.write(), 0);
    const std::string after = bytesOf(tablePath("T2"));
    EXPECT_EQ(after.substr(after.find("[Process]")), "[Process]\r\n" + part);
    EXPECT_EQ(bytesOf(tmpDir + "/T2.Ta~"), before);

    // A table written where none was takes the process part of an earlier safety copy of its name.
    ASSERT_TRUE(plat::removeFile(tablePath("T2")));
    ASSERT_EQ(t.write(), 0);
    EXPECT_EQ(bytesOf(tablePath("T2")), after);
}

TEST_F(TableFileTest, AFailedWriteLeavesTheTableAndItsRowsAsTheyWereAndSaysSo) {
    CTabColsDesc t = sample("SAFE");
    ASSERT_EQ(t.write(), 0);
    t.cells = {"a", "1", "2", "3", "P", "(1)"};
    t.rowCount = 1;
    ASSERT_EQ(t.writeRows(), 0);
    const std::string table = bytesOf(tablePath("SAFE")), rows = bytesOf(tablesDir + "/SAFE.txt");
    t.prm2 = 99;
    t.cells[1] = "99";

    plat::failWriteAfter(1, 20);   // the disk fills while the new file is written (after the safety copy)
    expectMessage();
    EXPECT_EQ(t.write(), 1);
    EXPECT_TRUE(transcript().contains("kept as it was"));
    plat::failWriteAfter(1, 0);
    expectMessage();
    EXPECT_EQ(t.writeRows(), 1);
    plat::failNextWriteAfter(5);   // the safety copy itself fails: nothing is written
    expectMessage();
    EXPECT_EQ(t.write(), 1);
    EXPECT_EQ(bytesOf(tablePath("SAFE")), table);
    EXPECT_EQ(bytesOf(tablesDir + "/SAFE.txt"), rows);

    // An unusable work folder: no safety copy, no write.
    ASSERT_TRUE(plat::writeFile(dir.path() + "/plain", "x"));
    g_globals->tmpDir = dir.path() + "/plain/Tmp";
    expectMessage();
    expectMessage();
    EXPECT_EQ(t.write(), 1);
    EXPECT_EQ(t.writeRows(), 1);
    EXPECT_EQ(bytesOf(tablePath("SAFE")), table);
    EXPECT_EQ(bytesOf(tablesDir + "/SAFE.txt"), rows);
    EXPECT_EQ(plat::findFiles(tablesDir, "*").size(), 2u);   // no temporary file left behind
    expectScriptPlayed();
}

TEST_F(TableFileTest, SnapshotsAreNamedAfterTheFolderAndRestoreTheTableAsItWas) {
    CTabColsDesc t = sample("D8");
    ASSERT_EQ(t.write(), 0);
    ASSERT_TRUE(plat::writeFile(tablesDir + "/D8.txt", "row1 \r\n"));
    ASSERT_EQ(t.backupFiles(), 0);
    EXPECT_EQ(bytesOf(tmpDir + "/Lib1_T01_D8.tab"), bytesOf(tablePath("D8")));
    EXPECT_EQ(bytesOf(tmpDir + "/Lib1_T01_D8.txt"), "row1 \r\n");

    ASSERT_TRUE(plat::writeFile(tablesDir + "/D8.txt", "changed \r\n"));
    ASSERT_EQ(t.restoreFiles(), 0);
    EXPECT_EQ(bytesOf(tablesDir + "/D8.txt"), "row1 \r\n");

    // A table without a rows file: its snapshot is the .tab alone, an earlier rows snapshot goes, and
    // restoring brings the .tab back and takes away the rows written since.
    const std::string tableBytes = bytesOf(tablePath("D8"));
    ASSERT_TRUE(plat::removeFile(tablesDir + "/D8.txt"));
    ASSERT_EQ(t.backupFiles(), 0);
    EXPECT_FALSE(plat::fileExists(tmpDir + "/Lib1_T01_D8.txt"));
    ASSERT_TRUE(plat::writeFile(tablePath("D8"), "edited"));
    ASSERT_TRUE(plat::writeFile(tablesDir + "/D8.txt", "added \r\n"));
    EXPECT_EQ(t.restoreFiles(), 0);
    EXPECT_EQ(bytesOf(tablePath("D8")), tableBytes);
    EXPECT_FALSE(plat::fileExists(tablesDir + "/D8.txt"));

    // Without the .tab snapshot nothing is copied.
    ASSERT_TRUE(plat::removeFile(tmpDir + "/Lib1_T01_D8.tab"));
    ASSERT_TRUE(plat::writeFile(tablesDir + "/D8.txt", "changed \r\n"));
    EXPECT_EQ(t.restoreFiles(), 0);
    EXPECT_EQ(bytesOf(tablesDir + "/D8.txt"), "changed \r\n");

    const CTabColsDesc never;
    EXPECT_EQ(never.backupFiles(), 0);
    EXPECT_EQ(never.restoreFiles(), 0);
    EXPECT_TRUE(plat::findFiles(tmpDir, "*_T01_*").empty());
}

}  // namespace
