// The host's operation record (its offsets are fixed at compile time): the codec carries every byte, and
// mode 10 puts each code's defaults at their offsets (metric and inch).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "support/ops_fixture.h"

namespace {

using Ops = OpsFixture;

TEST(OpRecord, AnImageReadAndWrittenAgainComesOutByteForByte) {
    std::mt19937 random(7);
    OPERATION_BYTES image{};
    for (auto& b : image) b = static_cast<std::uint8_t>(random());
    EXPECT_EQ(operationToImage(operationFromImage(image)), image);
    const operation op = operationFromImage(image);
    EXPECT_EQ(op.code, image[4]);
    EXPECT_EQ(op.subCode, image[5]);
    EXPECT_TRUE(std::equal(op.kindBlock, op.kindBlock + 552, image.begin() + 3288));
}

// One row per code: what mode 10 leaves at the host's fixed offsets and in the blocks (metric).
struct DefaultsRow {
    int code, subCode, cycle;
    double depthCutsRough;        // @2040 + 8
    double radialSpacing;         // @2104 + 8
    double leadArcRadius;         // @2176 + 8 + 24
    std::uint8_t compType;        // @1376
    std::size_t kindOffset;       // a double of the kind block
    double kindValue;
    double firstPeck;             // pecks[0]
    double dwell;
    std::int16_t fiveAxis0;
};

TEST_F(Ops, ModeTenPutsEachCodesDefaultsAtTheirOffsets) {
    const double quarter = std::numbers::pi / 2;
    const DefaultsRow rows[] = {
        {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {2, 0, 1, 0, 0, 0, 0, 0, 0, 2, 0, 0},
        {2, 0, 2, 0, 0, 0, 0, 0, 0, 2, 0, 0},
        {2, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0.5, 0},
        {28, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2},
        {18, 0, 0, 2, 2.5, 2.5, 1, op_circle_layout::entrySweep, quarter, 0, 0, 0},
        {47, 1, 0, 2, 2.5, 2.5, 1, 0, 0, 0, 0, 0},
        {1, 0, 0, 2, 2.5, 2.5, 1, op_contour_layout::chamferWidth, 0.5, 0, 0, 0},
        {106, 0, 0, 2, 2.5, 0, 1, op_helix_layout::roughPitch, 1, 0, 0, 0},
        {100, 0, 0, 2, 2.5, 0, 1, op_thread_layout::pitch, 1.5, 0, 0, 0},
    };
    for (const DefaultsRow& r : rows) {
        SCOPED_TRACE("code " + std::to_string(r.code) + " cycle " + std::to_string(r.cycle));
        operation op{};
        op.code = static_cast<std::uint8_t>(r.code);
        op.subCode = static_cast<std::uint8_t>(r.subCode);
        op.cycle = static_cast<std::int16_t>(r.cycle);
        db_ptr eptr = 0;
        char fail = 1;
        ASSERT_EQ(operation_manager(&op, 10, &eptr, &fail), 1);
        EXPECT_EQ(fail, 0);
        const OPERATION_BYTES img = operationToImage(op);
        EXPECT_EQ(img[4], r.code);
        EXPECT_EQ(img[5], r.subCode);
        EXPECT_EQ(at<double>(img, 592), 50.0);    // clearance
        EXPECT_EQ(at<double>(img, 616), -10.0);   // depth
        EXPECT_EQ(at<double>(img, 624), 0.0);     // XY stock to leave
        EXPECT_EQ(at<double>(img, 2040 + op_depth_cuts_layout::maxRough), r.depthCutsRough);
        EXPECT_EQ(at<double>(img, 2104 + op_radial_layout::roughSpacing), r.radialSpacing);
        EXPECT_EQ(at<double>(img, 2176 + op_lead_layout::entry + op_lead_layout::arcRadius), r.leadArcRadius);
        EXPECT_EQ(at<double>(img, 2176 + op_lead_layout::exit + op_lead_layout::arcRadius), r.leadArcRadius);
        EXPECT_EQ(img[1376], r.compType);
        EXPECT_EQ(img[2176 + op_lead_layout::entry + op_lead_layout::arcOn], r.leadArcRadius > 0 ? 1 : 0);
        if (r.kindValue != 0) EXPECT_EQ(at<double>(img, 3288 + r.kindOffset), r.kindValue);
        else EXPECT_TRUE(std::all_of(img.begin() + 3288, img.begin() + 3840, [](auto b) { return b == 0; }));
        EXPECT_EQ(at<double>(img, 648), r.firstPeck);
        EXPECT_EQ(at<double>(img, 696), r.dwell);
        EXPECT_EQ(at<std::int16_t>(img, 1384), r.fiveAxis0);
        const bool milled = r.code != 2 && r.code != 28;
        EXPECT_EQ(img[728 + op_extra_layout::filterOn], milled ? 1 : 0);
        EXPECT_EQ(at<std::int16_t>(img, 636), r.cycle);
        EXPECT_EQ(eptr, 0u) << "mode 10 adds nothing";
    }
    EXPECT_EQ(TpMainOpMgr().GetMainOpList().GetSize(), 0);
}

TEST_F(Ops, ModeTenKeepsWhatTheCallerChoseAndClearsTheRest) {
    operation op{};
    op.code = 18;
    op.groupId = 7;
    op.cycle = 3;
    std::strcpy(op.comment, "mine");
    op.depth = 99;
    op.toolDiameter = 12;
    op.kindBlock[300] = 5;
    char fail = 1;
    ASSERT_EQ(operation_manager(&op, 10, nullptr, &fail), 1);
    EXPECT_EQ(op.groupId, 7);
    EXPECT_EQ(op.cycle, 3);
    EXPECT_STREQ(op.comment, "mine");
    EXPECT_EQ(op.depth, -10.0);
    EXPECT_EQ(op.toolDiameter, 0.0);
    EXPECT_EQ(op.kindBlock[300], 0);
}

TEST_F(Ops, InchPartsGetInchDefaults) {
    host::setMetric(false);
    operation op{};
    op.code = 18;
    char fail = 1;
    ASSERT_EQ(operation_manager(&op, 10, nullptr, &fail), 1);
    const OPERATION_BYTES img = operationToImage(op);
    EXPECT_EQ(at<double>(img, 592), 2.0);
    EXPECT_EQ(at<double>(img, 2040 + op_depth_cuts_layout::maxRough), 0.08);
    EXPECT_EQ(at<double>(img, 3288 + op_circle_layout::helixPitch), 0.04);
}

TEST_F(Ops, ModeTenRefusesAnUnknownCodeAndLeavesTheRecord) {
    for (auto [code, sub] : {std::pair{18, 1}, {47, 0}, {3, 0}, {0, 0}}) {
        operation op{};
        op.code = static_cast<std::uint8_t>(code);
        op.subCode = static_cast<std::uint8_t>(sub);
        op.depth = 4;
        char fail = 0;
        EXPECT_EQ(operation_manager(&op, 10, nullptr, &fail), 0) << code << '/' << sub;
        EXPECT_EQ(fail, 1);
        EXPECT_EQ(op.depth, 4.0);
    }
}

TEST_F(Ops, TheNamingRuleWordNamesAnEmptyComment) {
    auto comment = [](int word268) {
        OpMgrFileNamingRules[268] = static_cast<std::uint32_t>(word268);
        operation op{};
        op.code = 106;
        char fail = 1;
        EXPECT_EQ(operation_manager(&op, 10, nullptr, &fail), 1);
        return std::string(op.comment);
    };
    EXPECT_EQ(comment(1), "Helix bore");
    EXPECT_EQ(comment(0), "");
}

}  // namespace
