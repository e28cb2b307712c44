// UI-text lines with conversions: whatever a translator (or a damaged file) writes, values fill only the
// conversions there are values for, and nothing else is read.
#include <gtest/gtest.h>

#include "plugin/base/text_fill.h"

namespace {

TEST(FillText, ConversionsTakeTheValuesInOrderAndTheRestStaysAsWritten) {
    struct Case {
        const char* line;
        std::string expected;
    };
    const Case cases[] = {
        {"Copies recorded: %i, copies found: %i.", "Copies recorded: 3, copies found: 1."},
        {"%05d|%-4i|%+d", "00003|1   |%+d"},            // the third has no value
        {"%s %x %n %i %s %d", "%s %x %n 3 %s 1"},        // only conversions that fit a whole number
        {"100%% of %li", "100% of 3"},
        {"%9999999d", "%9999999d"},                      // a width no line needs
        {"%.2f %ld", "%.2f 3"},
        {"end %", "end %"},
    };
    for (const Case& c : cases) EXPECT_EQ(fillText(c.line, {3L, 1L}), c.expected) << c.line;
}

TEST(FillText, TextsAndDecimalsTakeTheLinesWidthAndPrecision) {
    EXPECT_EQ(fillText("(%.1f deg. from %s)", {12.345, std::string("Top")}), "(12.3 deg. from Top)");
    EXPECT_EQ(fillText("[%8.3s] %e", {std::string("folder"), 0.5}), "[     fol] 5.000000e-01");
    EXPECT_EQ(fillText("folder:\\n%s\\n", {std::string(300, 'x')}), "folder:\\n" + std::string(300, 'x') + "\\n");
    EXPECT_EQ(fillText("%i %s %g", {2.5}), "%i %s 2.5");   // a decimal is never read as a whole number
    EXPECT_EQ(fillText("%f", {1e300}).size(), 63u);  // cut, never overrun
}

}  // namespace
