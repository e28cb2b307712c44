// Value ranges and the pass completion of circle-mill and contour operations, read back from the
// operation record at the offsets its stored layout gives (metric tolerances: T4 = 0.1).
#include <gtest/gtest.h>

#include <cstdint>
#include <numbers>

#include "plugin/base/globals.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/value_ranges.h"
#include "plugin/model/ope_list.h"

namespace {

// Offsets of the pass settings in the operation record.
constexpr std::size_t kPassesFlag = 944, kDepthCutCount = 960, kDepthCutStep = 968, kFlag985 = 985;
constexpr std::size_t kRoughOn = 1008, kRoughCount = 1010, kRoughSpacing = 1016, kFinishCount = 1024,
                      kFinishSpacing = 1032, kFlag1040 = 1040;
constexpr std::size_t kStep1Max = 1080, kStep1Angle = 1088, kStep1Percent = 1120, kStep2Max = 1152,
                      kStep2Angle = 1160, kStep2Percent = 1192;
constexpr std::size_t kAngle1248 = 1248, kCircle = 1264, kRoughingOn = 1274, kRoughingPercent = 1280,
                      kRoughingDistance = 1288, kRoughing2On = 1296, kDist1304 = 1304, kDist1312 = 1312,
                      kPercent1384 = 1384, kPercent1392 = 1392;

class PassesTest : public testing::Test {
protected:
    void SetUp() override {
        setUnitTolerances(true);
        op.set<double>(kCircle, 20.0);
        op.set<std::uint8_t>(kRoughOn, 1);
        op.set<double>(kRoughSpacing, 2.0);
        op.set<double>(kPercent1384, 50.0);
        op.set<double>(kPercent1392, 25.0);
    }
    std::int16_t roughCount() const { return op.get<std::int16_t>(kRoughCount); }
    double roughSpacing() const { return op.get<double>(kRoughSpacing); }

    PROCESS_OPE op;
};

TEST(DoubleRange, ClampRaisesToTheMinimumThenLowersToTheMaximum) {
    // {value, minimum, maximum} and the value after clamping; a crossed range ends at its maximum.
    const double cases[][4] = {{5, 1, 3, 3}, {0, 1, 3, 1}, {2.5, 1, 3, 2.5}, {0, 4, 3, 3}};
    for (const auto& c : cases) {
        DOUBLE_RANGE range{c[0], c[1], c[2], 2};
        range.clamp();
        EXPECT_EQ(range.value, c[3]) << c[0] << " in " << c[1] << ".." << c[2];
        EXPECT_EQ(range.defaultValue, 2);
    }
}

// ---- circle mill -----------------------------------------------------------------------------------------

TEST_F(PassesTest, RoughPassesSpreadTheRingOverAsManyWholeMaximumSpacingsAsFit) {
    struct CASE {
        double circle, maxSpacing, finishSpacing;
        std::int16_t finishCount;
        std::int16_t passes;
        double spacing;
    };
    const CASE cases[] = {
        {20, 2, 0, 0, 2, 2.5},       // w = 5
        {20, 10, 0, 0, 1, 5},
        {20, 2, 0.5, 2, 2, 2},       // two finish passes come off first
        {10.1, 2, 0, 0, 0, 0},       // finer than T4: no rough passes
        {8, 2, 0, 0, 0, 0},          // already open wider than the circle
        {20, 0, 0, 0, 1, 5},         // no maximum: one pass
    };
    for (const CASE& c : cases) {
        PROCESS_OPE o = op;
        o.set<double>(kCircle, c.circle);
        o.set<double>(kRoughSpacing, c.maxSpacing);
        o.set<std::int16_t>(kFinishCount, c.finishCount);
        o.set<double>(kFinishSpacing, c.finishSpacing);
        o.set<std::int16_t>(kDepthCutCount, 4);
        o.set<double>(kDepthCutStep, 3.0);
        o.set<std::uint8_t>(kRoughingOn, 1);
        EXPECT_EQ(setCircMillDepthCuts(&o, 8, 10), 0);
        SCOPED_TRACE(c.circle);
        EXPECT_EQ(o.get<std::int16_t>(kRoughCount), c.passes);
        EXPECT_DOUBLE_EQ(o.get<double>(kRoughSpacing), c.spacing);
        EXPECT_DOUBLE_EQ(o.get<double>(kFinishSpacing), c.finishSpacing);
        EXPECT_EQ(o.get<std::uint8_t>(kRoughOn), 1);
        EXPECT_EQ(o.get<std::uint8_t>(kRoughingOn), 0);
        for (std::size_t flag : {kPassesFlag, kFlag985, kFlag1040}) EXPECT_EQ(o.get<std::uint8_t>(flag), 1);
        EXPECT_EQ(o.get<std::int16_t>(kDepthCutCount), 0);
        EXPECT_EQ(o.get<double>(kDepthCutStep), 0.0);
        EXPECT_EQ(o.get<double>(kAngle1248), 90.0);
    }
}

TEST_F(PassesTest, AToolWiderThanTheOpeningEntersTheMaterialWithRoughingAndNoPasses) {
    op.set<double>(kRoughingPercent, 0.5);
    setCircMillDepthCuts(&op, 12, 10);
    EXPECT_EQ(op.get<std::uint8_t>(kRoughingOn), 1);
    EXPECT_EQ(op.get<std::uint8_t>(kRoughing2On), 1);
    EXPECT_DOUBLE_EQ(op.get<double>(kDist1304), 6.0);   // 50 % of 12
    EXPECT_DOUBLE_EQ(op.get<double>(kDist1312), 3.0);   // 25 % of 12
    EXPECT_EQ(op.get<double>(kRoughingPercent), 10.0);  // below 1 % becomes 10 %
    EXPECT_DOUBLE_EQ(op.get<double>(kRoughingDistance), 1.2);
    EXPECT_EQ(roughCount(), 0);
    EXPECT_EQ(roughSpacing(), 0.0);
}

TEST_F(PassesTest, AnOperationWithOnlyTheSecondRoughingOnGetsOneCircleAndNothingElse) {
    op.set<std::uint8_t>(kRoughOn, 0);
    op.set<std::uint8_t>(kRoughing2On, 1);
    setCircMillDepthCuts(&op, 8, 10);
    EXPECT_EQ(op.get<std::uint8_t>(kRoughingOn), 1);
    EXPECT_EQ(op.get<std::uint8_t>(kRoughing2On), 1);
    EXPECT_DOUBLE_EQ(op.get<double>(kDist1304), 4.0);
    EXPECT_DOUBLE_EQ(op.get<double>(kDist1312), 20.0);
    EXPECT_DOUBLE_EQ(op.get<double>(kPercent1392), 250.0);
    EXPECT_EQ(op.get<double>(kAngle1248), 90.0);
    // The passes are left alone.
    EXPECT_EQ(op.get<std::uint8_t>(kRoughOn), 0);
    EXPECT_EQ(op.get<std::uint8_t>(kPassesFlag), 0);
    EXPECT_DOUBLE_EQ(roughSpacing(), 2.0);
}

// ---- contour --------------------------------------------------------------------------------------------

TEST_F(PassesTest, StepoversAreLimitedToThreeQuartersOfTheSpaceBesideTheTool) {
    op.set<double>(kStep1Max, 3.0);
    op.set<double>(kStep2Max, 6.0);
    EXPECT_EQ(setCircMillRoughing(&op, 8, 20, 20, 10), 0);   // s = (20 - 8) / 2 x 0.75 = 4.5
    EXPECT_DOUBLE_EQ(op.get<double>(kStep1Max), 3.0);
    EXPECT_DOUBLE_EQ(op.get<double>(kStep1Percent), 37.5);
    EXPECT_DOUBLE_EQ(op.get<double>(kStep2Max), 4.5);
    EXPECT_DOUBLE_EQ(op.get<double>(kStep2Percent), 56.25);
    EXPECT_DOUBLE_EQ(op.get<double>(kStep1Angle), std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(op.get<double>(kStep2Angle), std::numbers::pi / 2);
    for (std::size_t flag : {1048u, 1056u, 1105u, 1128u, 1177u, 944u, 985u, 1040u})
        EXPECT_EQ(op.get<std::uint8_t>(flag), 1) << flag;
    EXPECT_EQ(roughCount(), 2);   // the ring from 10 to 20 as for the circle mill
    EXPECT_DOUBLE_EQ(roughSpacing(), 2.5);

    // An opening narrower than the tool leaves no stepover at all.
    setCircMillRoughing(&op, 8, 6, 20, 10);
    for (std::size_t field : {kStep1Max, kStep1Percent, kStep2Max, kStep2Percent})
        EXPECT_EQ(op.get<double>(field), 0.0) << field;
}

TEST_F(PassesTest, AContourWithoutAnyPassesGetsOneRoughPass) {
    setCircMillRoughing(&op, 8, 20, 10.1, 10);   // w = 0.05: finer than T4
    EXPECT_EQ(roughSpacing(), 0.0);
    EXPECT_EQ(roughCount(), 1);
}

}  // namespace
