// SDT hole tables read into feature marks in a loaded plug-in, with the fixture files of tests/data/import:
// which lines give marks and with what, the thread lookups by family, the version and units checks and their
// answers, damaged files refused with the marks already there kept, and the parsing edges. Thread tables:
// PIPE (kind 1000, loaded first) and METRIC (kind 1).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/features/feature_marks.h"
#include "plugin/import/feature_readers.h"
#include "plugin/import/sdt_reader.h"
#include "plugin/model/work_records.h"
#include "plugin/services/features.h"
#include "plugin/services/import.h"
#include "recognition_attributes_support.h"

namespace {

const std::string kData = std::string(FX_SOURCE_DIR) + "/tests/data/import/";

class SdtImport : public recog_p::RecogPTest {
protected:
    void SetUp() override {
        RecogPTest::SetUp();
        g_globals->uiTextFile = installDir + "/Tool.txt";
        g_globals->hostVersion[7] = 1;   // a metric part
        writeTable("METRIC", 2, std::string(recog_p::kThreadRows) + "M8x1.25 8 1.25 6.8 \r\n");
        REFERENCE_TABLE pipe;
        pipe.kind = 1000;
        writeReferenceTable(tablesDir, "PIPE", pipe, "G1/4 13.157 1.337 11.4 \r\nM8x1.25 8.5 1.25 7.0 \r\n");
        loadTables({"DRILL", "PIPE", "METRIC"});
    }
    void TearDown() override {
        if (g_globals.constructed()) clearMarks();
        RecogPTest::TearDown();
    }
    static void clearMarks() {
        freeFeatureMarkList(g_records->featureMarks);
        g_records->featureMarks = nullptr;
        g_records->featureMarkCount = 0;
    }
    void inchPart() {
        g_globals->hostVersion[7] = 0;
        setUnitTolerances(false);
        writeTable("UNC", 2, "1/4-20 0.25 0.05 0.201 \r\n");
        loadTables({"DRILL", "UNC"});
    }
    static std::vector<FEATURE_MARK> marks() {
        std::vector<FEATURE_MARK> out;
        for (FEATURE_MARK* m : listedMarks(g_records->featureMarks)) out.push_back(*m);
        return out;
    }
    std::vector<std::string> messages() {
        std::vector<std::string> out;
        for (const std::string& line : transcript().lines())
            if (line.rfind("msgbox", 0) == 0) out.push_back(line);
        return out;
    }
};

struct EXPECTED {
    const char* what;
    bool tapped;
    double point[3], direction[3], length, diameter;
    std::int16_t threadKind;
    double tapDiam, tapPitch, threadDepth;
};

void expectMarks(const std::vector<FEATURE_MARK>& got, const std::vector<EXPECTED>& expected, double tol = 1e-9) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        const FEATURE_MARK& m = got[i];
        const EXPECTED& e = expected[i];
        SCOPED_TRACE(e.what);
        EXPECT_EQ(m.origin, 2);
        EXPECT_EQ(m.pendingMatch, 1);
        EXPECT_EQ(m.isTap, e.tapped ? 1 : 0);
        EXPECT_EQ(m.isFit, e.tapped ? 0 : 1);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(m.point[k], e.point[k], tol);
            EXPECT_NEAR(m.direction[k], e.direction[k], 1e-12);
        }
        EXPECT_NEAR(m.length, e.length, tol);
        EXPECT_NEAR(m.diameter, e.diameter, tol);
        EXPECT_EQ(m.threadKind, e.threadKind);
        EXPECT_NEAR(m.tapDiam, e.tapDiam, 1e-9);
        EXPECT_NEAR(m.tapPitch, e.tapPitch, 1e-9);
        EXPECT_NEAR(m.threadDepth, e.threadDepth, 1e-9);
        EXPECT_GT(m.arcEntCount, 0);   // drawn
    }
}

// Each version's separators, the kind words, the thread families and the duplicate left by the shorter
// repeat of a hole; no message in a metric part.
TEST_F(SdtImport, EachVersionsLinesGiveTheirFitAndTappedMarks) {
    struct CASE {
        const char* file;
        std::vector<EXPECTED> marks;
    } const cases[] = {
        {"plate_v102_mm.sdt",
         {{"M8 Tapped: any family, the first table that has it", true, {50, 10, 12}, {0, 0, 1}, 12, 6.8, 1, 8, 1.25, 9},
          {"[TAP - M8x1.25]: standard threads only", true, {70, 10, 12}, {0, 0, 1}, 10, 6.8, 1, 8, 1.25, 8},
          {"[PIPETAP G1/4]", true, {90, 10, 12}, {0, 0, 1}, 12, 11.4, 1000, 13.157, 1.337, 10},
          {"HOLE H7 from below", false, {30, 30, 0}, {0, 0, -1}, 12, 8, 0, 0, 0, 0},
          {"the shorter repeat of line 1 stays", false, {10, 10, 12}, {0, 0, 1}, 8, 10, 0, 0, 0, 0}}},
        {"decimal_commas_v101.sdt",
         {{"decimal commas, semicolons", false, {12.25, 20.5, 15}, {0, 0, 1}, 12.5, 10.5, 0, 0, 0, 0},
          {"M6 Tapped", true, {40.75, 20.5, 15}, {0, 0, 1}, 12, 5, 1, 6, 1.0, 7.5}}},
        {"comma_separated_v10.sdt", {{"commas between numbers", false, {0, 0, 0}, {1, 0, 0}, 20, 12, 0, 0, 0, 0}}},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.file);
        plat::driver().transcript().clear();
        EXPECT_EQ(readSdtFile(kData + c.file), 0);
        expectMarks(marks(), c.marks);
        EXPECT_TRUE(messages().empty()) << messages().front();
        clearMarks();
    }
}

TEST_F(SdtImport, AUtf16InchFileReadsInAnInchPart) {
    inchPart();
    EXPECT_EQ(readSdtFile(kData + "plate_v102_inch_utf16.sdt"), 0);
    expectMarks(marks(), {{"fit", false, {1, 1, 0.5}, {0, 0, 1}, 0.5, 0.375, 0, 0, 0, 0},
                          {"1/4-20", true, {2, 1, 0.5}, {0, 0, 1}, 0.5, 0.201, 1, 0.25, 0.05, 0.4}});
    EXPECT_TRUE(messages().empty());
}

// The units check: the file's units against the part's, at the first data line (a file without one is
// not asked about); OK reads the numbers as they stand, Cancel reads nothing.
TEST_F(SdtImport, UnitMismatchesAskBeforeReading) {
    struct CASE {
        const char* what;
        const char* file;
        bool inch;
        std::vector<int> answers;   // the units message's, then the missing inch thread's
        const char* told;           // null: no units message
        std::size_t fits;
    } const cases[] = {
        {"an inch file in a metric part, OK", "plate_v102_inch_utf16.sdt", false, {plat::IDOK, plat::IDOK},
         "The file is in inches and the part in millimetres", 1},
        {"an inch file in a metric part, Cancel", "plate_v102_inch_utf16.sdt", false, {plat::IDCANCEL},
         "The file is in inches and the part in millimetres", 0},
        {"no units line in an inch part", "no_units.sdt", true, {plat::IDOK},
         "The file is in millimetres and the part in inches", 1},
        {"a millimetre file in a metric part", "no_units.sdt", false, {}, nullptr, 1},
        {"a millimetre file without a data line in an inch part", "headers_only.sdt", true, {}, nullptr, 0},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.inch) {
            inchPart();
        } else {
            g_globals->hostVersion[7] = 1;
            setUnitTolerances(true);
        }
        plat::driver().transcript().clear();
        for (int answer : c.answers) script().answer(answer);
        (void)readSdtFile(kData + c.file);
        expectScriptPlayed();
        const std::vector<std::string> told = messages();
        if (!c.told) {
            EXPECT_TRUE(told.empty());
        } else {
            ASSERT_FALSE(told.empty());
            EXPECT_NE(told[0].find(c.told), std::string::npos) << told[0];
            EXPECT_NE(told[0].find(c.file), std::string::npos) << told[0];
            EXPECT_NE(told[0].find("OKCANCEL"), std::string::npos);
        }
        std::size_t fits = 0;
        for (const FEATURE_MARK& m : marks()) fits += m.isFit;
        EXPECT_EQ(fits, c.fits);
        clearMarks();
    }
}

TEST_F(SdtImport, AnUnknownVersionIsRefusedWhateverTheAnswer) {
    for (int answer : {plat::IDOK, plat::IDCANCEL}) {
        plat::driver().transcript().clear();
        script().answer(answer);
        EXPECT_NE(readSdtFile(kData + "version_2.sdt"), 0);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_NE(messages()[0].find("1.0, 1.01 1.02"), std::string::npos) << messages()[0];
        EXPECT_TRUE(marks().empty());
    }
}

// A thread the tables lack: OK leaves its line out and goes on, Cancel stops with what was read before.
TEST_F(SdtImport, AMissingThreadAsksWhetherToGoOn) {
    struct CASE {
        int answer;
        std::vector<double> diameters;
    } const cases[] = {{plat::IDOK, {10, 8}}, {plat::IDCANCEL, {10}}};
    for (const CASE& c : cases) {
        plat::driver().transcript().clear();
        script().answer(c.answer);
        (void)readSdtFile(kData + "unknown_thread.sdt");
        expectScriptPlayed();
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_NE(messages()[0].find("standard thread M7 is not in the thread tables"), std::string::npos)
            << messages()[0];
        std::vector<double> diameters;
        for (const FEATURE_MARK& m : marks()) diameters.push_back(m.diameter);
        EXPECT_EQ(diameters, c.diameters);
        clearMarks();
    }
}

// A damaged file is refused as a whole with its name and line; the marks in the part stay as they were.
TEST_F(SdtImport, ADamagedFileIsRefusedAndTheMarksThereStay) {
    FEATURE_MARK mine{};
    mine.origin = 1;
    mine.point[2] = 10;
    mine.direction[2] = 1;
    mine.length = 5;
    mine.diameter = 6;
    mine.isFit = 1;
    ASSERT_NE(addFeatureMark(mine, 1, 0), nullptr);
    mine.origin = 2;
    mine.point[0] = 20;
    ASSERT_NE(addFeatureMark(mine, 1, 0), nullptr);

    struct CASE {
        const char* file;
        const char* told;
    } const cases[] = {
        {"damaged_numbers.sdt", "damaged_numbers.sdt cannot be read at line 5:\\nA value is not a number"},
        {"short_lines.sdt", "short_lines.sdt cannot be read at line 5:\\nA value is not a number"},
    };
    for (const CASE& c : cases) {
        plat::driver().transcript().clear();
        EXPECT_EQ(readSdtFile(kData + c.file), 2);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_NE(messages()[0].find(c.told), std::string::npos) << messages()[0];
        const std::vector<FEATURE_MARK> kept = marks();
        ASSERT_EQ(kept.size(), 2u);
        EXPECT_EQ(kept[0].origin, 1);
        EXPECT_EQ(kept[1].origin, 2);
        EXPECT_EQ(kept[1].point[0], 20);
    }
}

TEST_F(SdtImport, AFileThatCannotBeOpenedIsToldAndChangesNothing) {
    EXPECT_EQ(readSdtFile(kData + "missing.sdt"), 2);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("missing.sdt cannot be opened: No such file or directory."), std::string::npos)
        << messages()[0];
    EXPECT_TRUE(marks().empty());
}

// ---- the table as parsed ------------------------------------------------------------------------------------

std::string dataLine(const std::string& text, const std::string& numbers) {
    std::string line = text;
    line.resize(84, ' ');
    return line + numbers;
}

TEST(SdtTable, LinesEndAtCrOrLfAndShortLinesAndUnusableValuesAreRefusedAtTheirLine) {
    struct CASE {
        const char* what;
        std::string bytes;
        std::size_t holes;
        int damagedLine;
        double version;
        char units;
    } const cases[] = {
        {"CR alone ends a line", "Version: 1.02\rUNITS: inch\r" + dataLine("1 Hole H7", "1 0 0 1 0 0 0 0") + "\r", 1, 0,
         1.02, 'I'},
        {"an LF alone ends a line too", "Version: 1.02\nUNITS: inch\r" + dataLine("1 Hole H7", "1 0 0 1 0 0 0 0"), 1, 0,
         1.02, 'I'},
        {"a negative diameter", "Version: 1.02\n\n" + dataLine("1 Hole H7", "-1 0 0 1 0 0 0 0"), 0, 3, 1.02, 'M'},
        {"a point out of reach", "Version: 1.02\r\n" + dataLine("1 [TAP M8]", "1 0 0 1 0 0 1e10 0"), 0, 2, 1.02, 'M'},
        {"a negative thread depth", "Version: 1.02\r\n" + dataLine("1 [TAP M8]", "1 0 0 1 0 0 0 -2"), 0, 2, 1.02, 'M'},
        {"a plain hole shorter than its text part is passed over", "Version: 1.02\r1 Hole 6\r2 Pipe\r", 0, 0, 1.02, 'M'},
        {"a fit shorter than its text part is damaged", "Version: 1.02\r\r\r1 Hole H7 [TAP\r", 0, 4, 1.02, 'M'},
        {"a tapped bracket without its end", "Version: 1.0\r" + dataLine("1 [tap -  M10", "1,0,0,1,0,0,0,0"), 1, 0,
         1.0, 'M'},
        {"seven numbers", "Version: 1.02\r" + dataLine("1 Hole H7", "1 0 0 1 0 0 0"), 0, 2, 1.02, 'M'},
        {"a NUL in the text", std::string("Version: 1.02\r1 Ho\0le\r", 22), 0, 2, 1.02, 'M'},
        {"a line of 1023 characters", "Version: 1.02\r" + std::string(1023, 'x') + "\r", 0, 2, 1.02, 'M'},
        {"only the first version counts", "Version: 1.01\rVersion: 1.02\r" + dataLine("1 Hole H7", "1;0;0;1,5;0;0;0;0"),
         1, 0, 1.01, 'M'},
        {"a version line after the data comes too late", dataLine("1 Hole H7", "1 0 0 1 0 0 0 0") + "\rVersion: 1.02\r",
         0, 0, 0, 'M'},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        const SDT_TABLE t = parseSdtTable(c.bytes);
        EXPECT_EQ(t.holes.size(), c.holes);
        EXPECT_EQ(t.damagedLine, c.damagedLine);
        EXPECT_DOUBLE_EQ(t.version, c.version);
        EXPECT_EQ(t.units, c.units);
    }
    const SDT_TABLE bracket = parseSdtTable("Version: 1.0\r" + dataLine("1 [tap -  M10", "1,0,0,1,0,0,0,0"));
    ASSERT_EQ(bracket.holes.size(), 1u);
    EXPECT_EQ(bracket.holes[0].designation, "M10");   // blanks, minus signs, blanks; up to the numbers
    EXPECT_EQ(bracket.holes[0].family, 0);
    const SDT_TABLE commas = parseSdtTable("Version: 1.01\r" + dataLine("1 Hole H7", "1;0;0;1,5;0;0;0;0"));
    ASSERT_EQ(commas.holes.size(), 1u);
    EXPECT_DOUBLE_EQ(commas.holes[0].top[2], 1.5);
}

TEST(SdtTable, TheVersionIsComparedWithinRounding) {
    EXPECT_TRUE(sdtVersionAccepted(1.0));
    EXPECT_TRUE(sdtVersionAccepted(1.01));
    EXPECT_TRUE(sdtVersionAccepted(1.0 + 0.01 + 0.01));   // 1.02 as arithmetic gives it
    EXPECT_FALSE(sdtVersionAccepted(1.03));
    EXPECT_FALSE(sdtVersionAccepted(0));
    EXPECT_EQ(findSubstring("Hole H7", "H7"), 5u);
    EXPECT_EQ(findSubstring("Hole h7", "H7"), std::string_view::npos);
}

}  // namespace
