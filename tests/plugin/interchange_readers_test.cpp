// The TFF and KTW readers on their own: the lists they give for the fixture files of tests/data/import and
// for the edges of their grammars, and the files they refuse with the line that is wrong.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/import/interchange_import.h"
#include "support/plugin_fixture.h"

namespace {

using namespace std::string_literals;

std::string fixture(const std::string& name) {
    return plat::readFile(std::string(FX_SOURCE_DIR) + "/tests/data/import/" + name).value_or("");
}

std::vector<IMPORT_FEAT> records(IMPORT_FEAT* head) {
    std::vector<IMPORT_FEAT> out;
    for (IMPORT_FEAT* f = head; f; f = f->next) out.push_back(*f);
    freeImportFeats(head);
    return out;
}

std::vector<IMPORT_FEAT> tff(const std::string& text, IMPORT_FAULT* faultOut = nullptr) {
    IMPORT_FAULT fault;
    IMPORT_FEAT* head = readTffText(text, fault);
    if (faultOut) *faultOut = fault;
    else EXPECT_EQ(fault.line, 0) << "reason " << fault.reason;
    return records(head);
}

// A feature of one segment block (its lines given) at one position from above.
std::string oneSegment(const std::string& segmentLines) {
    return "FEAT_DEF\nFEAT_SEG\n" + segmentLines + "END\nFEAT_POS\nPOS_DIR:1 2 3 0 0 1\nEND\nEND\n";
}

TEST(TffReader, TheGrammarsEdges) {
    struct CASE {
        const char* what;
        std::string text;
        std::size_t features;
        std::uint32_t firstType;   // of the first feature's first segment
        double firstDepth;
    } const cases[] = {
        {"FIT straight after the colon is a fit", oneSegment("TYPE:FIT\nDEPTH:4\n"), 1, IMPORT_SEG_FIT, 4},
        {"a blank before the word makes it unknown", oneSegment("TYPE: FIT\nDEPTH:4\n"), 1, IMPORT_SEG_UNKNOWN, 4},
        {"numbers take blanks and a word after them", oneSegment("TYPE:TAP\nDEPTH:   7.5 mm\n"), 1, IMPORT_SEG_TAP, 7.5},
        {"keys may follow tabs", oneSegment("\t\tTYPE:HOLE\n\tDEPTH:2\n"), 1, IMPORT_SEG_HOLE, 2},
        {"a blank before a key hides it", oneSegment("TYPE:HOLE\n DEPTH:2\n"), 1, IMPORT_SEG_HOLE, 0},
        {"lower-case feat_def opens a feature", "feat_def\n" + oneSegment("TYPE:FIT\n").substr(9), 1, IMPORT_SEG_FIT, 0},
        {"CR LF line ends", "FEAT_DEF\r\nFEAT_SEG\r\nTYPE:FIT\r\nDEPTH:3\r\nEND\r\nEND\r\n", 1, IMPORT_SEG_FIT, 3},
        {"no FEAT_DEF gives nothing", "FEAT_SEG\nTYPE:FIT\nEND\n", 0, 0, 0},
        {"an empty file gives nothing", "", 0, 0, 0},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<IMPORT_FEAT> f = tff(c.text);
        ASSERT_EQ(f.size(), c.features);
        if (f.empty()) continue;
        EXPECT_EQ(f[0].segments[0].type, c.firstType);
        EXPECT_DOUBLE_EQ(f[0].segments[0].depth, c.firstDepth);
    }
}

TEST(TffReader, SegmentValuesCarryOverAndFitsTakeTheirHoleDiameter) {
    const std::vector<IMPORT_FEAT> f = tff(
        "FEAT_DEF\nFEAT_SEG\nTYPE:FIT\nDEPTH:9\nDIAM1:10\nEND\nFEAT_SEG\nTYPE:HOLE\nDIAM1:9.5\nEND\nEND\n"
        "FEAT_DEF\nFEAT_SEG\nTYPE:FIT\nDIAM1:12\nEND\nEND\n");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_DOUBLE_EQ(f[0].segments[0].diameter2, 9.5);   // the hole after the fit
    EXPECT_DOUBLE_EQ(f[0].segments[1].depth, 9);         // no DEPTH: the last one
    EXPECT_DOUBLE_EQ(f[1].segments[0].depth, 9);         // even from an earlier feature
    EXPECT_DOUBLE_EQ(f[1].segments[0].diameter2, 9.5);   // the last hole of the file
}

TEST(TffReader, TheOddCasesFixtureKeepsTenPositionsAndLowerCaseEndClosesOnlyFeatures) {
    const std::vector<IMPORT_FEAT> f = tff(fixture("odd_cases.tff"));
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].positionCount, kMaxImportPositions);   // the eleventh is ignored
    EXPECT_DOUBLE_EQ(f[0].positions[9].point[0], 50);
    ASSERT_EQ(f[0].segmentCount, 2);
    EXPECT_EQ(f[0].segments[1].type, IMPORT_SEG_UNKNOWN);
    EXPECT_DOUBLE_EQ(f[0].segments[1].depth, 6);
    EXPECT_DOUBLE_EQ(f[0].segments[0].diameter2, 0);     // no hole anywhere before it
    // "end" inside the tap block did not close it: the block ended at "END" and the feature got its positions.
    ASSERT_EQ(f[1].segmentCount, 1);
    EXPECT_EQ(f[1].positionCount, 2);
}

// Eleven segments keep ten; the features cut are counted, each once, from the line of the first.
TEST(TffReader, ElevenSegmentsKeepTen) {
    std::string eleven = "FEAT_DEF\n";
    for (int k = 0; k < 11; ++k) eleven += "FEAT_SEG\nTYPE:FIT\nDIAM1:" + std::to_string(k + 1) + "\nEND\n";
    eleven += "END\n";
    IMPORT_FAULT fault;
    const std::vector<IMPORT_FEAT> f = tff(eleven + oneSegment("TYPE:FIT\nDIAM1:6\n") + eleven, &fault);
    EXPECT_EQ(fault.line, 0);
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0].segmentCount, kMaxImportSegments);
    EXPECT_DOUBLE_EQ(f[0].segments[9].diameter, 10);
    EXPECT_EQ(f[1].segmentCount, 1);
    EXPECT_EQ(fault.cutFeatures, 2);
    EXPECT_EQ(fault.firstCutLine, 1);
}

// A plain hole's values are not used, so they refuse nothing.
TEST(TffReader, APlainHolesValuesAreNotChecked) {
    EXPECT_EQ(tff(oneSegment("TYPE:HOLE\nDIAM1:-6\nDEPTH:-1\n")).size(), 1u);
}

// The marks a list makes: a value that makes no hole refuses them all, naming the segment's or the position's
// line; a count made beforehand agrees with the marks made.
TEST(ImportedMarks, AValueThatMakesNoHoleRefusesTheListAtItsSegmentOrPosition) {
    struct CASE {
        const char* what;
        std::string text;
        int line, reason;
    } const cases[] = {
        {"a fit without a diameter", oneSegment("TYPE:FIT\nDEPTH:4\n"), 5, import_texts::kBadDiameter},
        {"a position out of reach", "FEAT_DEF\nFEAT_SEG\nTYPE:FIT\nDIAM1:6\nEND\nFEAT_POS\nPOS_DIR:1 2 3 0 0 1\nEND\n"
                                    "FEAT_POS\nPOS_DIR:1 2 1.5e9 0 0 1\nEND\nEND\n",
         10, import_texts::kOutOfReach},
        {"a bottom out of reach", "FEAT_DEF\nFEAT_SEG\nTYPE:TAP\nDIAM1:6\nDEPTH:9e8\nEND\nFEAT_POS\n"
                                  "POS_DIR:1 2 -5e8 0 0 1\nEND\nEND\n",
         6, import_texts::kOutOfReach},
        {"usable", oneSegment("TYPE:TAP\nDIAM1:6\nDEPTH:0\nPITCH:1\n") + oneSegment("TYPE:FIT\nDIAM1:6\n"), 0, 0},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        IMPORT_FAULT fault;
        IMPORT_FEAT* head = readTffText(c.text, fault);
        ASSERT_EQ(fault.line, 0);
        std::vector<FEATURE_MARK> marks;
        const bool made = importFeatMarks(head, marks, nullptr, fault);
        EXPECT_EQ(made, c.line == 0);
        EXPECT_EQ(fault.line, c.line);
        EXPECT_EQ(fault.reason, c.reason);
        EXPECT_EQ(marks.size(), made ? importedMarkCount(head) : 0u);
        freeImportFeats(head);
    }
}

TEST(TffReader, ADamagedFileIsRefusedAtItsLine) {
    struct CASE {
        const char* what;
        std::string text;
        int line, reason;
    } const cases[] = {
        {"a diameter that is no number", fixture("damaged.TFF"), 6, import_texts::kBadNumber},
        {"a position of five numbers", "FEAT_DEF\nFEAT_POS\nPOS_DIR:1 2 3 0 0\nEND\nEND\n", 3, import_texts::kBadNumber},
        {"a tolerance class with decimals", oneSegment("TYPE:FIT\nTOL:7.5\n"), 4, import_texts::kBadNumber},
        {"an empty depth", oneSegment("TYPE:FIT\nDEPTH:\n"), 4, import_texts::kBadNumber},
        {"a line too long", "FEAT_DEF\n" + std::string(3000, 'x') + "\nEND\n", 2, import_texts::kBadLine},
        {"a NUL in a line", "FEAT_DEF\nKIND:FIT\0HOLE\nEND\n"s, 2, import_texts::kBadLine},
        {"cut off inside a feature", "FEAT_DEF\nEND\nFEAT_DEF\nFEAT_SEG\nTYPE:FIT\n", 3, import_texts::kOpenFeature},
        {"a fit's negative diameter", oneSegment("TYPE:FIT\nDIAM1:-6\nDEPTH:4\n"), 4, import_texts::kBadDiameter},
        {"a tap's negative depth", oneSegment("TYPE:TAP\nDEPTH:-4\nDIAM1:6\n"), 4, import_texts::kBadDepth},
        {"a tap's negative pitch", oneSegment("TYPE:TAP\nDIAM1:6\nPITCH:-1\n"), 5, import_texts::kBadDepth},
        {"an offset out of reach", oneSegment("TYPE:FIT\nDIAM1:6\nOFFSET:2e9\n"), 5, import_texts::kOutOfReach},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        IMPORT_FAULT fault;
        EXPECT_TRUE(tff(c.text, &fault).empty());
        EXPECT_EQ(fault.line, c.line);
        EXPECT_EQ(fault.reason, c.reason);
    }
}

// ---- KTW ------------------------------------------------------------------------------------------------------

class KtwReaderTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        loadAndCloseOnce();   // metric, T = 0.025
        ASSERT_DOUBLE_EQ(g_tolerances.tol004T, 0.001);
    }
    std::vector<IMPORT_FEAT> ktw(const std::string& text, IMPORT_FAULT* faultOut = nullptr) {
        IMPORT_FAULT fault;
        IMPORT_FEAT* head = readKtwText(text, fault);
        if (faultOut) *faultOut = fault;
        else EXPECT_EQ(fault.line, 0) << "reason " << fault.reason;
        return records(head);
    }
};

TEST_F(KtwReaderTest, AFrameAndALinearPropagationGiveTwoPositionsInMillimetres) {
    const std::vector<IMPORT_FEAT> f = ktw(fixture("plate_mm.KTW"));
    ASSERT_EQ(f.size(), 2u);
    ASSERT_EQ(f[0].positionCount, 2);
    EXPECT_DOUBLE_EQ(f[0].positions[0].point[0], 10);
    EXPECT_DOUBLE_EQ(f[0].positions[0].point[2], 12);
    EXPECT_DOUBLE_EQ(f[0].positions[0].direction[2], 1);
    EXPECT_DOUBLE_EQ(f[0].positions[1].point[0], 30);   // moved by the step x 1000
    EXPECT_DOUBLE_EQ(f[0].positions[1].point[1], 30);
    // BORING: a fit whose second diameter is its own.
    ASSERT_EQ(f[0].segmentCount, 1);
    EXPECT_EQ(f[0].kind, 2);
    EXPECT_EQ(f[0].segments[0].type, IMPORT_SEG_FIT);
    EXPECT_EQ(f[0].segments[0].tolClass, 5);
    EXPECT_DOUBLE_EQ(f[0].segments[0].diameter, 10);
    EXPECT_DOUBLE_EQ(f[0].segments[0].diameter2, 10);
    EXPECT_DOUBLE_EQ(f[0].segments[0].depth, 15);
}

TEST_F(KtwReaderTest, AHoleOfDepthZeroIsThroughToTheSecondDepthReference) {
    const std::vector<IMPORT_FEAT> f = ktw(fixture("plate_mm.KTW"));
    ASSERT_EQ(f.size(), 2u);
    ASSERT_EQ(f[1].segmentCount, 2);
    const IMPORT_FEAT_SEG& hole = f[1].segments[0];
    EXPECT_EQ(hole.type, IMPORT_SEG_HOLE);
    EXPECT_DOUBLE_EQ(hole.diameter, 6.8);
    EXPECT_DOUBLE_EQ(hole.depth, 12);    // zb2
    EXPECT_DOUBLE_EQ(hole.offset, 1);    // zb1 + zb3
    const IMPORT_FEAT_SEG& tap = f[1].segments[1];
    EXPECT_EQ(tap.type, IMPORT_SEG_TAP);
    EXPECT_DOUBLE_EQ(tap.diameter, 8);
    EXPECT_DOUBLE_EQ(tap.pitch, 1.25);
    EXPECT_DOUBLE_EQ(tap.depth, 10);
    EXPECT_EQ(f[1].kind, 5);
}

TEST_F(KtwReaderTest, AnFrWithAWholeNumberAfterItsIdSwitchesTheLaterElementsToFiveNumberReferences) {
    const std::vector<IMPORT_FEAT> f = ktw(fixture("frame_variant.KTW"));
    ASSERT_EQ(f.size(), 2u);
    ASSERT_EQ(f[0].segmentCount, 1);
    EXPECT_DOUBLE_EQ(f[0].segments[0].diameter, 10);
    ASSERT_EQ(f[1].positionCount, 1);
    EXPECT_DOUBLE_EQ(f[1].positions[0].point[0], 50);
    ASSERT_EQ(f[1].segmentCount, 1);
    EXPECT_DOUBLE_EQ(f[1].segments[0].diameter, 6);   // the twelfth value of its parameter
    EXPECT_DOUBLE_EQ(f[1].segments[0].depth, 9);
}

TEST_F(KtwReaderTest, LinesEndingInLineFeedsOnlyReadTheSame) {
    std::string text = fixture("plate_mm.KTW");
    for (std::size_t at; (at = text.find('\r')) != std::string::npos;) text.erase(at, 1);
    EXPECT_EQ(ktw(text).size(), 2u);
}

TEST_F(KtwReaderTest, FilesWithoutDrillElementsOrElementsSectionGiveNothing) {
    EXPECT_TRUE(ktw("").empty());
    EXPECT_TRUE(ktw("[HEADER\r\n{D_SH_OP_DRILL\r\nI1\r\n}\r\n]\r\n").empty());
    EXPECT_TRUE(ktw("[elements\r\n{D_PARAM\r\nI1\r\nI0\r\nI5\r\n}\r\n]\r\n").empty());
}

TEST_F(KtwReaderTest, ElevenLinearCopiesKeepTenPositions) {
    std::string text = fixture("plate_mm.KTW");
    const std::string once = "X4 0 0 101\r\n";
    const std::size_t at = text.find(once);
    ASSERT_NE(at, std::string::npos);
    for (int k = 0; k < 12; ++k) text.insert(at, once);
    IMPORT_FAULT fault;
    const std::vector<IMPORT_FEAT> f = ktw(text, &fault);
    EXPECT_EQ(fault.line, 0);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].positionCount, kMaxImportPositions);
    EXPECT_DOUBLE_EQ(f[0].positions[9].point[0], 10 + 9 * 20);
    // Only the first drill element was cut: the second, whole, is not counted.
    EXPECT_EQ(f[1].positionCount, 1);
    EXPECT_EQ(fault.cutFeatures, 1);
    EXPECT_GT(fault.firstCutLine, 0);
}

// A circular propagation of four about the Z axis (quarter turns, after them a full turn the element also
// holds): the frame's position and three copies turned, each copy's direction turned with it.
TEST_F(KtwReaderTest, ACircularPropagationTurnsThePositionAndItsDirection) {
    const auto values = [](std::initializer_list<double> numbers) {
        std::string lines;
        for (const double x : numbers) lines += "R" + std::to_string(x) + "\r\n";
        return lines;
    };
    // A horizontal hole at (20, 0, 12) mm pointing along X.
    const std::string frame = "{D_FRAME_PT\r\nI1\r\nI0\r\nI111\r\nP0.02 0 0.012\r\nV0 0 -1\r\nV0 1 0\r\nV1 0 0\r\n}\r\n";
    std::string circle = "{D_PROPAG_CIR\r\nI1\r\nI0\r\nI110\r\n" + values({0, 0}) + "I4\r\n" +
                         values({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}) + values({0, 0, 0, 0});
    const double turns[4][3][3] = {{{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
                                   {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}},
                                   {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},
                                   {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    for (const auto& m : turns) {
        for (const auto& row : m) circle += values({row[0], row[1], row[2], 0});
        circle += values({0, 0, 0, 1});
    }
    circle += "}\r\n";
    std::string text = fixture("plate_mm.KTW");
    const std::string refs = "X4 0 0 100\r\nX4 0 0 101\r\n";
    const std::size_t at = text.find(refs);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, refs.size(), "X4 0 0 111\r\nX4 0 0 110\r\n");
    text.insert(text.find("{D_FRAME_PT"), frame + circle);

    const std::vector<IMPORT_FEAT> f = ktw(text);
    ASSERT_EQ(f.size(), 2u);
    const double expected[4][2][3] = {{{20, 0, 12}, {1, 0, 0}},
                                      {{0, 20, 12}, {0, 1, 0}},
                                      {{-20, 0, 12}, {-1, 0, 0}},
                                      {{0, -20, 12}, {0, -1, 0}}};
    ASSERT_EQ(f[0].positionCount, 4);
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(std::to_string(i) + " " + std::to_string(k));
            EXPECT_NEAR(f[0].positions[i].point[k], expected[i][0][k], 1e-9);
            EXPECT_NEAR(f[0].positions[i].direction[k], expected[i][1][k], 1e-9);
        }
}

TEST_F(KtwReaderTest, WithTheDebugSwitchTheDumpsShowTheElementsPositionsAndSubElements) {
    g_globals->debugDumps = 1;
    ASSERT_TRUE(plat::createDirectories(g_globals->tmpDir));
    EXPECT_EQ(ktw(fixture("plate_mm.KTW")).size(), 2u);
    g_globals->debugDumps = 0;
    const std::string txt = plat::readFile(g_globals->tmpDir + "/KtwTxt.txt").value_or("");
    const std::string ref = plat::readFile(g_globals->tmpDir + "/KtwRef.txt").value_or("");
    for (const char* line : {"D_PROPAG_LIN Id=101 n=33 1 0", " Posicio Id=100 (X10.000 Y10.000 Z12.000)",
                             " Posicio Id=101 (X30.000 Y30.000 Z12.000)\n", "   zb1=1.000000 zb2=12.000000",
                             "   HOLE: Diam=6.800 Z1=11.000 Z2=0.000 Ang=118.00 k=0",
                             "   BORE: Diam=10.000 Z1=12.000 Z2=-3.000 \n"})
        EXPECT_NE(txt.find(line), std::string::npos) << line << "\n" << txt;
    for (const char* line : {"(X30.000 Y30.000 Z12.000) (zx0.000000 zy0.000000 zz1.000000) zPlane=12.000",
                             "       TAPPING: Diam=8.000 pitch=1.250 Z1=11.000 Z2=2.000 zPlane=12.000000"})
        EXPECT_NE(ref.find(line), std::string::npos) << line << "\n" << ref;
}

TEST_F(KtwReaderTest, ADamagedFileIsRefusedAtTheElementOrValueThatIsWrong) {
    struct CASE {
        const char* what;
        std::string text;
        int line, reason;
    } const cases[] = {
        {"a propagation without its step values", fixture("damaged.KTW"), 11, import_texts::kBadElement},
        {"an element that is not closed", "[ELEMENTS\r\n{D_PARAM\r\nI1\r\nI0\r\n", 2, import_texts::kBadElement},
        {"a text whose lines run past the end", "[ELEMENTS\r\n{X\r\nS5\r\nline\r\n}\r\n", 3, import_texts::kBadElement},
        {"a drill element without its depth references", "[ELEMENTS\r\n{D_SH_OP_DRILL\r\nI1\r\nI0\r\nI3\r\n}\r\n", 2,
         import_texts::kBadElement},
        {"a depth reference that is no number",
         "[ELEMENTS\r\n{D_SH_OP_DRILL\r\nI1\r\nI0\r\nI3\r\nR0\r\nRx\r\nR0\r\nR0\r\nR0\r\n}\r\n", 7,
         import_texts::kBadElement},
        {"a line too long", "[ELEMENTS\r\n" + std::string(2100, 'R') + "\r\n]\r\n", 2, import_texts::kBadLine},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        IMPORT_FAULT fault;
        EXPECT_TRUE(ktw(c.text, &fault).empty());
        EXPECT_EQ(fault.line, c.line);
        EXPECT_EQ(fault.reason, c.reason);
    }
}

}  // namespace
