// The "[Process]" part of a table: operations written and read back with every field and every byte,
// other processes left byte for byte, the host blocks' letter lines and their older packed layouts,
// repaired old lines, counting, listing, naming, deleting and purging, labels, and failed rewrites.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugin/base/tool_types.h"
#include "plugin/model/host_blocks.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/operation_line.h"
#include "plugin/tables/table_text.h"
#include "support/tables_fixture.h"

namespace {

namespace po = process_ope;

class ProcessTest : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        REFERENCE_TABLE spec;
        spec.tableClass = 0;
        spec.processPart = processPart;
        writeReferenceTable(tablesDir, "P", spec, "");
        ASSERT_EQ(table.read(tablePath("P")), 0);
    }
    // An operation whose every stored field has its own value; a milled kind fills its blocks with bytes.
    static PROCESS_OPE operation(int seed, int kind) {
        PROCESS_OPE op;
        int n = seed;
        for (auto f : {po::toolDiamAssoc, po::toolDiamCol, po::toolDiamZPl, po::toolDiamCyl, po::zSupAssoc,
                       po::zSupCol, po::zSupZPl, po::zSupCyl, po::zInfAssoc, po::zInfCol, po::zInfZPl, po::zInfCyl,
                       po::lineInt17, po::lineInt18, po::lineInt19, po::lineInt23, po::millDiamCol, po::toolDiamOffsetOn,
                       po::bottomStockOn, po::cylDiamAssoc, po::cylDiamCol, po::cylDiamZPl, po::cylDiamCyl,
                       po::lineInt42, po::lineInt43, po::lineInt44, po::lineInt45, po::lineInt47})
            opeSet(op, f, static_cast<std::int16_t>(++n));
        opeSet(op, po::lineInt28, static_cast<std::int16_t>(seed % 90));   // two digits at most
        opeSet(op, po::lineInt33, static_cast<std::int16_t>(seed % 10));   // one digit
        for (auto f : {po::toolDiam, po::zSup, po::zInf, po::lineValue20, po::lineValue24, po::hostValue,
                       po::toolDiamSecond, po::cylDiam})
            opeSet(op, f, ++n + 0.1234);
        opeSet(op, po::lineValue34, 1.5);
        opeSet(op, po::toolDiamOffset, -0.123456);
        opeSet(op, po::bottomStock, 0.25);
        opeSet(op, po::operationType, static_cast<std::uint32_t>(seed % 20));
        opeSet(op, po::cycle, static_cast<std::uint32_t>(seed + 1));
        opeSet(op, po::milledKind, static_cast<std::int16_t>(kind));
        setOpeText(op, po::opName, "Drill " + std::to_string(seed) + "\tdeep");
        setOpeText(op, po::toolName, "T 5");
        setOpeText(op, po::lineText46, "raw" + std::to_string(seed));
        if (kind) {
            const BLOCK_PLACE place = kindBlockPlace(kind);
            for (std::size_t i = po::hostBlock6; i < po::hostBlock6 + kBlock6; ++i) op.bytes[i] = 0;
            for (std::size_t at : {po::hostBlock6, po::hostBlock64, po::hostBlock40, po::hostBlock168, place.at}) {
                const std::size_t size = at == place.at ? place.size
                                       : at == po::hostBlock6 ? kBlock6
                                       : at == po::hostBlock64 ? kBlock64
                                       : at == po::hostBlock40 ? kBlock40 : kBlock168;
                for (std::size_t i = 0; i < size; ++i) op.bytes[at + i] = static_cast<std::uint8_t>(seed * 31 + i * 7);
            }
        }
        return op;
    }
    // The record as the file keeps it: the label and the run-time members are not stored.
    static PROCESS_OPE stored(PROCESS_OPE op) {
        setOpeText(op, po::label, "");
        std::memset(op.bytes + po::runTimeArea, 0, po::runTimeAreaSize);
        opeSet(op, po::toolDiamSpare, std::int16_t{0});
        if (!opeGet(op, po::milledKind)) std::memset(op.bytes + po::hostBlock6, 0, PROCESS_OPE::kSize - po::hostBlock6);
        return op;
    }
    std::string part() {
        const std::string bytes = bytesOf(tablePath("P"));
        const std::size_t at = bytes.find("[Process]\r\n");
        return at == std::string::npos ? "<none>" : bytes.substr(at + 11);
    }

    std::string processPart = "[1 1] 3 0 0 0 0 8.5000 0 0 0 0 0.0000 0 0 0 0 -10.0000 0 0 0 30.0000 {one} 1 0 0.0000 0 0.0000 0 0 0 "
                              "0.000000 0 0.000000 0 0.0000 0.0000 {} 0 0 0 0 0.0000 0 0 0 0 {} 0\r\n"
                              "[2 1] 6 1 2 0 1 0.0000 0 0 0 0 0.0000 0 0 0 0 -5.0000 0 0 0 30.0000 {two} 4 0 0.0000 0 0.0000 0 0 0 "
                              "0.000000 0 0.000000 0 0.0000 0.0000 {} 0 0 0 0 0.0000 0 0 0 0 {} 0\r\n"
                              "[3 0]\r\n";
    CTabColsDesc table;
    PROCESS_OPE ops[kMaxProcessOps];
};

TEST_F(ProcessTest, AProcessWrittenAndReadBackKeepsEveryStoredFieldAndEveryByte) {
    const PROCESS_OPE written[] = {operation(3, 0), operation(11, 2), operation(17, 1), operation(5, 3), operation(7, 4)};
    ASSERT_EQ(table.writeProcess("NEW", written, 5), 0);
    const std::string first = part();
    ASSERT_EQ(table.readProcess("NEW", ops), 5);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(stored(ops[i]) == stored(written[i])) << "operation " << i + 1;
    EXPECT_EQ(opeText(ops[0], po::opName), "Drill 3\tdeep");
    EXPECT_EQ(opeGet(ops[0], po::toolDiamZPl), opeGet(written[0], po::toolDiamZPl));
    EXPECT_DOUBLE_EQ(opeGet(ops[0], po::toolDiamOffset), -0.123456);
    ASSERT_EQ(table.writeProcess("NEW", ops, 5), 0);
    EXPECT_EQ(part(), first);
}

// A top Z of -0.0, or one that rounds to zero from below, is written as 0; a true negative keeps its sign.
TEST_F(ProcessTest, AZeroIsNeverWrittenWithASign) {
    const struct {
        double zSup;
        const char* field;
    } cases[] = {{-0.0, " 0.0000 "}, {-0.00001, " 0.0000 "}, {0.0, " 0.0000 "}, {-0.5, " -0.5000 "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zSup);
        PROCESS_OPE op = operation(3, 0);
        opeSet(op, po::zSup, c.zSup);
        opeSet(op, po::zInf, -16.0);
        const std::string line = formatOperation("Z", 1, op);
        EXPECT_EQ(line.find("-0.0000"), std::string::npos) << line;
        EXPECT_NE(line.find(c.field), std::string::npos) << line;
    }
}

TEST_F(ProcessTest, WritingOneProcessLeavesTheOthersByteForByte) {
    const std::string before = part();
    const std::size_t two = before.find("[2 1]"), three = before.find("[3 0]");
    const PROCESS_OPE op = operation(4, 0);
    ASSERT_EQ(table.writeProcess("2", &op, 1), 0);
    const std::string after = part();
    EXPECT_EQ(after.substr(0, two), before.substr(0, two));
    EXPECT_EQ(after.substr(after.find("[3 0]")), before.substr(three));
    EXPECT_EQ(after.substr(two, 6), "[2 1] ");
    ASSERT_EQ(table.readProcess("2", ops), 1);
    EXPECT_EQ(opeText(ops[0], po::opName), "Drill 4\tdeep");

    ASSERT_EQ(table.writeProcess("x", nullptr, 0), 0);   // a new, empty process comes last
    EXPECT_EQ(part().substr(part().size() - 7), "[x 0]\r\n");
    EXPECT_EQ(table.readProcess("x", ops), 0);
    EXPECT_EQ(table.readProcess("X", ops), -1);   // names with case
    EXPECT_EQ(table.readProcess("3", ops), 0);
    EXPECT_EQ(table.readProcess("", ops), 0);
    ASSERT_EQ(table.writeProcess("X", &op, 1), 0);
    EXPECT_EQ(table.readProcess("x", ops), 0);
    EXPECT_EQ(table.readProcess("X", ops), 1);
}

TEST_F(ProcessTest, AMilledOperationIsFollowedByItsBlockLines) {
    const PROCESS_OPE op = operation(9, 2);
    ASSERT_EQ(table.writeProcess("M", &op, 1), 0);
    const std::string text = part();
    std::vector<std::size_t> lengths;
    std::size_t at = text.find("[M 1]");
    at = text.find("\r\n", at) + 2;
    while (at < text.size() && text.compare(at, 4, "    ") == 0) {
        const std::size_t end = text.find("\r\n", at);
        lengths.push_back(end - at - 4);
        at = end + 2;
    }
    EXPECT_EQ(lengths, (std::vector<std::size_t>{12, 128, 80, 336, 1104, 32}));
    EXPECT_NE(text.find("    " + std::string(32, 'a') + "\r\n"), std::string::npos);
}

TEST_F(ProcessTest, OlderPackedBlocksReadIntoTheCurrentLayouts) {
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(packedLayoutSize(k), kPackedSizes[k]) << k;
        EXPECT_EQ(alignedLayoutSize(k), kAlignedSizes[k]) << k;
    }
    EXPECT_EQ(packedLayoutSize(5), kPackedSizes[5]);
    EXPECT_LE(alignedLayoutSize(5), kAlignedSizes[5]);

    // Radial passes: on (u8), rough count (i16), spacing (f64), finish count (i16), spacing (f64), switch (u8).
    // One buffer serves every block line, so it is as long as the longest (the lead, 139).
    std::uint8_t packed[139] = {1};
    const std::int16_t rough = 3, finish = 2;
    const double roughStep = 1.25, finishStep = 0.5;
    std::memcpy(packed + 1, &rough, 2);
    std::memcpy(packed + 3, &roughStep, 8);
    std::memcpy(packed + 11, &finish, 2);
    std::memcpy(packed + 13, &finishStep, 8);
    packed[21] = 1;
    // Circle mill: the circle diameter, the fifth member, comes after a byte and four doubles packed.
    std::uint8_t circle[155];
    std::memset(circle, 0x11, sizeof circle);
    const double diameter = 12.5;
    std::memcpy(circle + 34, &diameter, 8);
    circle[44] = 1;   // roughing on

    const std::string line = processPart.substr(0, processPart.find("\r\n"));
    std::string milled = "[C 1]" + line.substr(5);
    milled.replace(milled.find("{one} 1 0 0.0000 0"), 18, "{one} 1 0 0.0000 1");   // milled kind 1
    std::string text = milled + "\r\n    " + encodeBlock(packed, 5) + "\r\n    " + encodeBlock(packed, 46) +
                       "\r\n    " + encodeBlock(packed, 22) + "\r\n    " + encodeBlock(packed, 139) + "\r\n    " +
                       encodeBlock(circle, 155) + "\r\n    " + std::string(32, 'a') + "\r\n";
    ASSERT_TRUE(plat::writeFile(tablePath("P"), bytesOf(tablePath("P")) + text));
    ASSERT_EQ(table.readProcess("C", ops), 1);
    const PROCESS_OPE& op = ops[0];
    EXPECT_EQ(op.get<std::uint8_t>(po::hostBlock40), 1);
    EXPECT_EQ(op.get<std::int16_t>(po::hostBlock40 + 2), 3);
    EXPECT_DOUBLE_EQ(op.get<double>(po::hostBlock40 + 8), 1.25);
    EXPECT_EQ(op.get<std::int16_t>(po::hostBlock40 + 16), 2);
    EXPECT_DOUBLE_EQ(op.get<double>(po::hostBlock40 + 24), 0.5);
    EXPECT_EQ(op.get<std::uint8_t>(po::hostBlock40 + 32), 1);
    EXPECT_DOUBLE_EQ(op.get<double>(po::circleMillBlock + 48), 12.5);
    EXPECT_EQ(op.get<std::uint8_t>(po::circleMillBlock + 58), 1);
    EXPECT_EQ(op.get<std::uint8_t>(po::circleMillBlock + 0), 0);   // cleared
    EXPECT_DOUBLE_EQ(op.get<double>(po::circleMillBlock + 8), 0);
    EXPECT_EQ(op.get<std::uint8_t>(po::circleMillBlock + 1), 0);   // padding stays zero
    // The compensation: type (i16) and direction (u8) at 0 and 2.
    EXPECT_EQ(op.get<std::int16_t>(po::hostBlock6), 1 | 3 << 8);
    EXPECT_EQ(op.get<std::uint8_t>(po::hostBlock6 + 2), 0);

    // A circle-mill line of exactly 400 letters holds 200 bytes at the start of the block.
    std::uint8_t two[200];
    std::memset(two, 0x5A, sizeof two);
    std::string older = milled;
    older.replace(1, 1, "D");
    ASSERT_TRUE(plat::writeFile(tablePath("P"), bytesOf(tablePath("P")) + older + "\r\n    aa\r\n    aa\r\n    aa\r\n    aa\r\n    " +
                                                    encodeBlock(two, 200) + "\r\n"));
    ASSERT_EQ(table.readProcess("D", ops), 1);
    EXPECT_EQ(ops[0].bytes[po::circleMillBlock + 199], 0x5A);
    EXPECT_EQ(ops[0].bytes[po::circleMillBlock + 200], 0);
}

// The fields the editor, the cut calculation and the host read in the kept blocks are members of the
// blocks' layouts: one definition, the host's, at the places the older tables' members land on.
TEST_F(ProcessTest, TheBlocksFieldsAreMembersOfTheirLayouts) {
    namespace C = op_circle_layout;
    namespace D = op_depth_cuts_layout;
    namespace R = op_radial_layout;
    namespace L = op_lead_layout;
    struct FIELD {
        int layout;
        std::size_t at, size;
    };
    const FIELD fields[] = {
        {1, D::on, 1}, {1, D::maxRough, 8}, {1, D::finishCount, 2}, {1, D::finishStep, 8}, {1, D::stockOnBottom, 8},
        {1, D::taperOn, 1}, {1, D::keepTool, 1}, {1, D::byDepth, 1}, {1, D::taperAngle, 8}, {1, D::extraDepth, 8},
        {2, R::on, 1}, {2, R::roughCount, 2}, {2, R::roughSpacing, 8}, {2, R::finishCount, 2},
        {2, R::finishSpacing, 8}, {2, R::finalDepthOnly, 1},
        {3, L::on, 1}, {3, L::overlap, 8}, {3, L::entryFirstOnly, 1}, {3, L::exitLastOnly, 1},
        {4, C::helixPitch, 8}, {4, C::tipComp, 1}, {4, C::startAngle, 8}, {4, C::entrySweep, 8}, {4, C::overlap, 8},
        {4, C::circleDiameter, 8}, {4, C::startAtCentre, 1}, {4, C::perpendicularEntry, 1}, {4, C::roughOn, 1},
        {4, C::stepoverPercent, 8}, {4, C::stepover, 8}, {4, C::helixOn, 1}, {4, C::helixMinRadius, 8},
        {4, C::helixMaxRadius, 8}, {4, C::helixZClearance, 8}, {4, C::helixPlungeAngle, 8},
        {4, C::helixXYClearance, 8}, {4, C::helixMinPercent, 8}, {4, C::helixMaxPercent, 8},
        {4, C::finishAtEachDepth, 1},
    };
    for (const FIELD& f : fields) EXPECT_TRUE(isLayoutMember(f.layout, f.at, f.size)) << f.layout << " @" << f.at;
    // The helix-bore and thread-mill blocks: what the editor writes is where the host reads it, and the
    // member lists fill the blocks exactly.
    namespace H = helix_fields;
    namespace T = thread_fields;
    const FIELD kindFields[] = {
        {6, H::startAngle, 8}, {6, H::entrySweep, 8}, {6, H::overlap, 8}, {6, H::boreDiameter, 8},
        {6, H::startAtCentre, 1}, {6, H::perpendicularEntry, 1}, {6, H::roughPitch, 8}, {6, H::roughPasses, 2},
        {6, H::roughStepover, 8}, {6, H::finishPercent, 8}, {6, H::finishValue, 8}, {6, H::finishOn, 1},
        {6, H::rapidOut, 1}, {6, H::finishPitch, 8}, {6, H::finishStepover, 8}, {6, H::speedPercent, 8},
        {6, H::speed, 4}, {6, H::feedPercent, 8}, {6, H::feed, 8}, {6, H::arcOutput, 1}, {6, H::tolerance, 8},
        {7, T::activeTeeth, 2}, {7, T::threadDepth, 8}, {7, T::internal, 1}, {7, T::topOfThread, 8},
        {7, T::clearance, 8}, {7, T::starts, 2}, {7, T::pitch, 8}, {7, T::startAngle, 8}, {7, T::allowance, 8},
        {7, T::arcClearance, 8}, {7, T::lineLength, 8}, {7, T::helicalTop, 1}, {7, T::helicalBottom, 1},
        {7, T::linearize, 1}, {7, T::tolerance, 8}, {7, T::side, 2}, {7, T::threadDiameter, 8}, {7, T::hand, 1},
        {7, T::direction, 1}, {7, T::perpendicularEntry, 1}, {7, T::taperAngle, 8}, {7, T::springPasses, 2},
        {7, T::feedOverride, 8}, {7, T::speedOverride, 4}, {7, T::feedOverrideOn, 1}, {7, T::speedOverrideOn, 1},
    };
    for (const FIELD& f : kindFields) EXPECT_TRUE(isLayoutMember(f.layout, f.at, f.size)) << f.layout << " @" << f.at;
    EXPECT_EQ(alignedLayoutSize(6), kHelixBoreSize);
    EXPECT_EQ(alignedLayoutSize(7), kThreadMillSize);
    // The places the stored tables keep: the rough pitch is not the bore diameter, the thread's diameter
    // not its first bytes.
    EXPECT_EQ(H::boreDiameter, 24u);
    EXPECT_EQ(H::roughPitch, 40u);
    EXPECT_EQ(T::threadDiameter, 112u);
    EXPECT_EQ(T::pitch, 48u);
    for (std::size_t group : {L::entry, L::exit}) {
        const FIELD inGroup[] = {{3, L::groupOn, 1}, {3, L::lineLength, 8}, {3, L::arcRadius, 8}, {3, L::arcSweep, 8},
                                 {3, L::arcOn, 1},   {3, L::plungeHeight, 8}, {3, L::radiusPercent, 8}};
        for (const FIELD& f : inGroup) EXPECT_TRUE(isLayoutMember(3, group + f.at, f.size)) << group << " +" << f.at;
    }
    // What a field is not: a double over a byte, or a place between members.
    EXPECT_FALSE(isLayoutMember(1, 40, 8));
    EXPECT_FALSE(isLayoutMember(4, 1, 1));
}

TEST_F(ProcessTest, DamagedAndOlderLinesAreRepaired) {
    struct CASE {
        const char* what;
        std::string fields;   // after "[R 1]"
        std::uint32_t cycle;
        const char* opName;
        std::int16_t lineInt28, lineInt33;
        double lineValue34;
    };
    const std::string tail = " 0 0 0 0 0.0000 0 0 0 0 {} 0";
    const CASE cases[] = {
        {"a text in token 22", " 3 0 0 0 0 5.0 0 0 0 0 0.0 0 0 0 0 -5.0 0 0 0 30.0 7 {late} 0 0.0 0", 1, "late", 0, 0, 0},
        {"0xCC filler", " 6 0 0 0 0 5.0 0 0 0 0 0.0 0 0 0 0 -5.0 0 0 0 30.0 {ab\xCC\xCC\xCC\xCCz} 4", 4, "", 0, 0, 0},
        {"blanks in an older first text", " 6 0 0 0 0 5.0 0 0 0 0 0.0 0 0 0 0 -5.0 0 0 0 30.0 {two words} 2", 2, "two words", 0, 0, 0},
        {"oversized tokens 28, 33, 34", " 6 0 0 0 0 5.0 0 0 0 0 0.0 0 0 0 0 -5.0 0 0 0 30.0 {x} 2 0 0.0 0 0.0 0 123 0 0.0 0 0.0 "
                                         "12 123456789 0.0 {}" + tail, 2, "x", 0, 0, 0},
        {"fitting tokens 28, 33, 34", " 6 0 0 0 0 5.0 0 0 0 0 0.0 0 0 0 0 -5.0 0 0 0 30.0 {x} 2 0 0.0 0 0.0 0 12 0 0.0 0 0.0 "
                                       "7 1.234567 0.0 {}" + tail, 2, "x", 12, 7, 1.234567},
        {"a short line", " 7", 6, "", 0, 0, 0},
    };
    table.formatVersion = 20;   // lines as older releases wrote them, which the migration reads
    for (const CASE& c : cases) {
        ASSERT_TRUE(plat::writeFile(tablePath("P"), referenceTableText({0, 1, 0.01, 0, 0, 0, "[R 1]" + c.fields + "\r\n"})));
        std::vector<std::string> seen;
        ASSERT_EQ(table.readProcess("R", ops, [&](std::string& t) { seen.push_back(t); }), 1) << c.what;
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].substr(0, 3), c.fields.substr(0, 3)) << c.what;
        EXPECT_EQ(opeGet(ops[0], po::cycle), c.cycle) << c.what;
        EXPECT_EQ(opeText(ops[0], po::opName), c.opName) << c.what;
        EXPECT_EQ(opeGet(ops[0], po::lineInt28), c.lineInt28) << c.what;
        EXPECT_EQ(opeGet(ops[0], po::lineInt33), c.lineInt33) << c.what;
        EXPECT_DOUBLE_EQ(opeGet(ops[0], po::lineValue34), c.lineValue34) << c.what;
    }
}

TEST_F(ProcessTest, ProcessesAreCountedListedAndNamed) {
    struct CASE {
        std::string part;
        std::vector<std::string> names;
        const char* newName;
    };
    const CASE cases[] = {
        {"[1 1] a\r\n    aa\r\n[2 1] b\r\n[1 1] c\r\n", {"1", "2", "1"}, "*01"},
        {"[*01 0]\r\n[*03 1] x\r\n[*03 2] y\r\n", {"*01", "*03"}, "*02"},
        {"[*01 0]\r\n[*02 0]\r\n", {"*01", "*02"}, "*03"},
        {"[a 1] x\r\n[A 2] y\r\n", {"a"}, "*01"},   // counted without case
        {"", {}, "*01"},
    };
    for (const CASE& c : cases) {
        ASSERT_TRUE(plat::writeFile(tablePath("P"), referenceTableText({0, 1, 0.01, 0, 0, 0, c.part.empty() ? "" : c.part})));
        EXPECT_EQ(table.countProcesses(), static_cast<int>(c.names.size())) << c.part;
        std::vector<std::string> names;
        EXPECT_EQ(table.listProcessNames(names, 100), static_cast<int>(c.names.size()));
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(table.newProcessName(), c.newName) << c.part;
    }
    std::vector<std::string> none;
    EXPECT_EQ(table.listProcessNames(none, 0), 0);
}

TEST_F(ProcessTest, DeletingAndPurgingRemoveOnlyTheProcessesLines) {
    const PROCESS_OPE milled = operation(2, 4);
    ASSERT_EQ(table.writeProcess("2", &milled, 1), 0);   // now with block lines
    const std::string before = part();
    ASSERT_EQ(table.deleteProcess("2"), 0);
    std::string expected = before;
    const std::size_t two = before.find("[2 1]"), three = before.find("[3 0]");
    expected.erase(two, three - two);
    EXPECT_EQ(part(), expected);
    ASSERT_EQ(table.deleteProcess("nothing"), 0);
    EXPECT_EQ(part(), expected);

    ASSERT_EQ(table.writeProcess("2", &milled, 1), 0);
    table.processColumn = 5;
    table.columnCount = 5;
    table.cells = {"a", "", "", "", "1", "b", "", "", "", "3"};
    table.rowCount = 2;
    ASSERT_EQ(table.purgeUnusedProcesses(), 0);
    std::vector<std::string> names;
    table.listProcessNames(names, 100);
    EXPECT_EQ(names, (std::vector<std::string>{"1", "3"}));
}

TEST_F(ProcessTest, LabelsNameTheOperationItsMeasureAndItsOwnName) {
    CTextSection types;
    ASSERT_EQ(types.load(g_globals->uiTextFile, "OperationTypes", false), 0);
    std::strcpy(g_txtStock, "BStock");
    struct CASE {
        PROCESS_OPE op;
        std::string label;
    };
    PROCESS_OPE byColumn = operation(3, 0), byValue = operation(3, 0), named = operation(6, 0);
    opeSet(byColumn, po::toolDiamCol, std::int16_t{2});
    opeSet(byColumn, po::toolDiamOffsetOn, std::int16_t{1});
    opeSet(byColumn, po::toolDiamOffset, 0.1);
    opeSet(byColumn, po::bottomStockOn, std::int16_t{0});
    opeSet(byValue, po::toolDiamCol, std::int16_t{0});
    opeSet(byValue, po::toolDiamOffsetOn, std::int16_t{0});
    opeSet(byValue, po::toolDiam, 8.5);
    opeSet(byValue, po::bottomStock, 0.2);
    opeSet(named, po::toolDiamCol, std::int16_t{0});
    opeSet(named, po::toolDiamOffsetOn, std::int16_t{0});
    opeSet(named, po::bottomStockOn, std::int16_t{0});
    opeSet(named, po::toolDiamAssoc, std::int16_t{2});
    // A type the table does not know is named by its first row: the user's.
    PROCESS_OPE unknown = byValue;
    opeSet(unknown, po::operationType, std::uint32_t{42});
    PROCESS_OPE circle = operation(1, 1), helix = operation(1, 3), contour = operation(1, 2);
    opeSet(circle, po::cylDiamCol, std::int16_t{0});
    circle.set<double>(po::circleMillBlock + 48, 14);
    opeSet(helix, po::cylDiamCol, std::int16_t{3});
    opeSet(contour, po::operationType, std::uint32_t{12});
    opeSet(contour, po::cylDiamCol, std::int16_t{0});
    opeSet(contour, po::cylDiam, 20.0);
    const CASE cases[] = {
        {byColumn, std::string(g_toolOpTypes[3].operationName) + " (Diameter+0.1) - Drill 3\tdeep"},
        {byValue, std::string(g_toolOpTypes[3].operationName) + " (8.50) (BStock+0.2) - Drill 3\tdeep"},
        {unknown, "User (8.50) (BStock+0.2) - Drill 3\tdeep"},
        {named, std::string(g_toolOpTypes[6].operationName) + " (" + formatText("%.2f", opeGet(named, po::toolDiam)) +
                    ") 'T 5' - Drill 6\tdeep"},
        {circle, types.getText(12) + " 14.00 - Drill 1\tdeep"},
        {helix, types.getText(20) + " Pitch - Drill 1\tdeep"},
        {contour, types.getText(15) + " 20.00 - Drill 1\tdeep"},
    };
    for (const CASE& c : cases) EXPECT_EQ(operationLabel(c.op, table, types), c.label);
    // The reader builds the label, cut to its field.
    setOpeText(named, po::opName, std::string(200, 'n'));
    ASSERT_EQ(table.writeProcess("L", &named, 1), 0);
    ASSERT_EQ(table.readProcess("L", ops), 1);
    EXPECT_EQ(opeText(ops[0], po::label).size(), po::label.capacity - 1);
    EXPECT_EQ(opeText(ops[0], po::opName).size(), po::opName.capacity - 1);
}

TEST_F(ProcessTest, ADamagedBlockLineIsRefusedAndAFailedRewriteKeepsTheFile) {
    const PROCESS_OPE op = operation(8, 3);
    ASSERT_EQ(table.writeProcess("B", &op, 1), 0);
    std::string bytes = bytesOf(tablePath("P"));
    bytes[bytes.find("    ") + 6] = 'z';
    ASSERT_TRUE(plat::writeFile(tablePath("P"), bytes));
    expectMessage();
    EXPECT_EQ(table.readProcess("B", ops), 0);
    EXPECT_TRUE(transcript().contains("damaged"));

    plat::failWriteAfter(1, 100);
    expectMessage();
    EXPECT_EQ(table.writeProcess("B", &op, 1), 1);
    plat::failWriteAfter(1, 0);
    expectMessage();
    EXPECT_EQ(table.deleteProcess("1"), 1);
    EXPECT_EQ(bytesOf(tablePath("P")), bytes);
    table.path.clear();
    EXPECT_EQ(table.writeProcess("B", &op, 1), 0);   // nothing to write to
    expectScriptPlayed();
}

}  // namespace
