// The sketch routines of the form pictures, on the canvas's recorded calls and on its pixels: arrowhead
// corners, the arc's direction by the sign of its sweep, the mark symbol and the teeth of a thread sketch.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/ui/raster_canvas.h"
#include "plugin/services/features.h"

namespace {

const plat::Color kRed = plat::rgb(255, 0, 0);

bool has(const plat::RecordingCanvas& dc, const std::string& fragment) {
    return std::any_of(dc.lines().begin(), dc.lines().end(),
                       [&](const std::string& l) { return l.find(fragment) != std::string::npos; });
}

TEST(FormSketches, ArrowheadCornersLieEighteenDegreesEitherSideOfTheDirectionCutTowardZero) {
    struct CASE {
        double direction;
        const char* figure;
    };
    // Tip (100, 50), sides 16: 16 cos 18 = 15.2 and 16 sin 18 = 4.9 are cut to 15 and 4.
    const CASE cases[] = {
        {0, "{(100,50) (115,46) (115,54) (100,50) close}"},
        {90, "{(100,50) (96,35) (104,35) (100,50) close}"},
        {180, "{(100,50) (85,54) (85,46) (100,50) close}"},
        {270, "{(100,50) (104,65) (96,65) (100,50) close}"},
    };
    for (const CASE& c : cases) {
        plat::RecordingCanvas dc;
        drawFilledArc(dc, 100, 50, c.direction, 16, kRed);
        ASSERT_EQ(dc.lines().size(), 1u);
        EXPECT_EQ(dc.lines()[0], std::string("path strokefill mode=winding brush=#FF0000 pen=solid/1/#FF0000 ") + c.figure)
            << "direction " << c.direction;
    }
}

TEST(FormSketches, AnArcRunsCounterClockwiseForASweepOfZeroOrMoreAndClockwiseForANegativeOne) {
    struct CASE {
        double start, sweep;
        const char* recorded;
        plat::Point covered, notCovered;
    };
    // Centre (100, 100), radius 70. From 210 degrees (lower left) over +120 the arc passes below the centre;
    // over -120 it passes to the left of it, through 180 degrees, up to 90 degrees.
    const CASE cases[] = {
        {210, 120, "arc box=(30,30,170,170) from=(40,135) to=(160,135) ccw pen=solid/1/#FF0000", {100, 169}, {30, 100}},
        {210, -120, "arc box=(30,30,170,170) from=(40,135) to=(100,30) cw pen=solid/1/#FF0000", {30, 100}, {100, 169}},
        {0, 0, "arc box=(30,30,170,170) from=(170,100) to=(170,100) ccw pen=solid/1/#FF0000", {170, 100}, {30, 100}},
    };
    for (const CASE& c : cases) {
        plat::RasterCanvas dc(200, 200);
        drawArcPath(dc, 100, 100, 70, c.start, c.sweep, kRed);
        ASSERT_EQ(dc.lines().size(), 1u);
        EXPECT_EQ(dc.lines()[0], c.recorded);
        EXPECT_EQ(dc.arcDirection(), plat::AD_COUNTERCLOCKWISE) << "the direction is given back";
        auto redNear = [&dc](plat::Point p) {
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (dc.pixel({p.x + dx, p.y + dy}) == kRed) return true;
            return false;
        };
        if (c.sweep != 0) {
            EXPECT_TRUE(redNear(c.covered)) << c.sweep;
            EXPECT_FALSE(redNear(c.notCovered)) << c.sweep;
        }
    }
}

TEST(FormSketches, TheMarkSymbolIsThreeArrowOutlinesFivePixelsApartAcrossItsDirection) {
    plat::RecordingCanvas dc;
    drawMarkSymbol(dc, 100, 100, 90, kRed);
    ASSERT_EQ(dc.lines().size(), 9u);
    // Opening upwards: each apex, a corner 12 pixels up at 25 degrees to each side, and back.
    for (int apex : {100, 95, 105}) {
        const std::string a = "(" + std::to_string(apex) + ",100)";
        EXPECT_TRUE(has(dc, "line " + a + "-(" + std::to_string(apex - 5) + ",90)")) << apex;
        EXPECT_TRUE(has(dc, "-(" + std::to_string(apex + 5) + ",90) pen=solid/1/#FF0000")) << apex;
        EXPECT_TRUE(has(dc, "-" + a + " pen=solid/1/#FF0000")) << apex;
    }
}

TEST(FormSketches, ThreadSketchesShowOneToothAPitchAndStopTwoPitchesBeforeTheirEnd) {
    struct CASE {
        int length;
        int upperHalves, lowerHalves;
        int coreFrom;   // where the core lines start: half a pitch below the last upper half's top
    };
    // Centre 50, top 10, core 20, teeth 4 deep, pitch 10: the outer edges at 36 and 64, the core at 40 and 60.
    const CASE cases[] = {
        {20, 1, 0, 15},    // shorter than two and a half pitches: one upper half tooth
        {25, 2, 1, 25},
        {100, 9, 8, 95},
    };
    for (const CASE& c : cases) {
        plat::RecordingCanvas dc;
        drawShapeSketch(dc, 50, 10, 20, 4, 10, c.length, plat::rgb(0, 0, 0), plat::rgb(156, 88, 0));
        int upper = 0, lower = 0;
        for (const std::string& line : dc.lines()) {
            if (line.rfind("path fill", 0) != 0) continue;
            // An upper half starts on the outer edge, a lower half on the core.
            (line.find("{(36,") != std::string::npos ? upper : lower) += 1;
        }
        EXPECT_EQ(upper, c.upperHalves) << "length " << c.length;
        EXPECT_EQ(lower, c.lowerHalves) << "length " << c.length;
        const std::string from = std::to_string(c.coreFrom), to = std::to_string(10 + c.length);
        EXPECT_TRUE(has(dc, "line (40," + from + ")-(40," + to + ")")) << testing::PrintToString(dc.lines());
        EXPECT_TRUE(has(dc, "line (60," + from + ")-(60," + to + ")"));
        EXPECT_EQ(dc.lines().back(), "line (36,10)-(64,10) pen=solid/1/#000000");
    }
    for (int zero = 0; zero < 4; ++zero) {
        int sizes[4] = {20, 4, 10, 100};
        sizes[zero] = zero % 2 ? 0 : -3;
        plat::RecordingCanvas dc;
        drawShapeSketch(dc, 50, 10, sizes[0], sizes[1], sizes[2], sizes[3], 0, 0);
        EXPECT_TRUE(dc.lines().empty()) << "size " << zero;
    }
}

}  // namespace
