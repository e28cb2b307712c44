// The selection mask run as the features manager runs it: values written in before a run and read after
// it, the user typing, ticking and picking.
#include <gtest/gtest.h>

#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/features/feature_windows.h"
#include "support/plugin_fixture.h"

namespace {

using Mask = CDlgSelCylindersMask;

class SelectionMaskTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        g_globals->uiTextFile = installDir + "/Tool.txt";
        Mask& m = mask();
        m.kind = 0;
        m.color = 4;
        m.level = 7;
        m.minDiameter = 10;
        m.maxDiameter = 12;
        m.minTolerance = m.maxTolerance = 0.01;
        m.useColor = m.useLevel = m.useMinDiameter = m.useMaxDiameter = 0;
    }
    static Mask& mask() { return *g_selCylindersMask; }
    int run() { return doModalInPluginRes(mask()); }
    // The control's line of the window as it closed.
    static std::string line(int id) {
        const std::string all = plat::lastSnapshot(Mask::kTemplate);
        const std::string key = "\n" + std::to_string(id) + " ";
        const std::size_t at = all.find(key);
        return at == std::string::npos ? "" : all.substr(at + 1, all.find('\n', at + 1) - at - 1);
    }
};

TEST_F(SelectionMaskTest, ATypedToleranceIsTakenPositiveAndWithinItsRangeWhenTheFieldIsLeft) {
    struct CASE {
        const char* typed;
        const char* shown;
        double kept;
    } const cases[] = {{"-5", "5.00", 0.05}, {"250", "100.00", 1.0}, {"0", "0.01", 0.0001}, {"abc", "0.01", 0.0001}};
    for (const CASE& c : cases) {
        mask().useMinDiameter = 1;
        script()
            .type(Mask::kTemplate, Mask::kLowerTolerance, c.typed)
            .click(Mask::kTemplate, Mask::kUseColour)       // the field is left
            .click(Mask::kTemplate, Mask::kPickColour);     // ends without OK
        EXPECT_EQ(run(), 103) << c.typed;
        EXPECT_NE(line(Mask::kLowerTolerance).find(std::string("text=\"") + c.shown + "\""), std::string::npos)
            << c.typed << ": " << line(Mask::kLowerTolerance);
        EXPECT_DOUBLE_EQ(mask().minTolerance, c.kept) << c.typed;
        EXPECT_EQ(mask().useColor, 1) << c.typed;   // the box ticked before the pick stays
        mask().useColor = 0;
    }
    expectScriptPlayed();
}

TEST_F(SelectionMaskTest, OkTakesTheBoundsAndTolerancesAPickTakesNoTypedBound) {
    mask().useMinDiameter = 1;
    script()
        .type(Mask::kTemplate, Mask::kLower, "11.5")
        .click(Mask::kTemplate, Mask::kPickLower);
    EXPECT_EQ(run(), 101);
    EXPECT_DOUBLE_EQ(mask().minDiameter, 10);   // only OK takes typed bounds

    mask().useColor = mask().useMaxDiameter = 1;
    script()
        .type(Mask::kTemplate, Mask::kLower, "-11.5")
        .type(Mask::kTemplate, Mask::kLowerTolerance, "2")
        .type(Mask::kTemplate, Mask::kColour, "12")
        .type(Mask::kTemplate, Mask::kUpper, "x")
        .click(Mask::kTemplate, plat::IDOK);
    EXPECT_EQ(run(), plat::IDOK);
    EXPECT_DOUBLE_EQ(mask().minDiameter, -11.5);   // the sign is kept; the caller orders the bounds
    EXPECT_DOUBLE_EQ(mask().maxDiameter, 0);
    EXPECT_DOUBLE_EQ(mask().minTolerance, 0.02);
    EXPECT_EQ(mask().color, 12);
    expectScriptPlayed();
}

TEST_F(SelectionMaskTest, ClearingTheLowerBoxInReamingModeClearsAndDisablesTheUpperOne) {
    mask().useMinDiameter = mask().useMaxDiameter = 1;
    script().click(Mask::kTemplate, Mask::kUseLower).click(Mask::kTemplate, plat::IDOK);
    EXPECT_EQ(run(), plat::IDOK);
    EXPECT_EQ(mask().useMinDiameter, 0);
    EXPECT_EQ(mask().useMaxDiameter, 1);   // only a click on its own box reads it
    EXPECT_NE(line(Mask::kUseUpper).find("enabled=0 check=0"), std::string::npos) << line(Mask::kUseUpper);
    for (int id : {Mask::kUpper, Mask::kUpperTolerance, Mask::kPickUpper, Mask::kLower})
        EXPECT_NE(line(id).find("enabled=0"), std::string::npos) << line(id);
    expectScriptPlayed();
}

TEST_F(SelectionMaskTest, TheTitleAndDiameterLabelsFollowTheKindAndTheRange) {
    struct CASE {
        std::int16_t kind;
        std::uint8_t range;
        const char* title;
        const char* lower;
        const char* upper;
    } const cases[] = {{0, 1, "Reaming selection mask", "Smallest diameter", "Largest diameter"},
                       {0, 0, "Reaming selection mask", "Diameter", "Largest diameter"},
                       {1, 0, "Tap selection mask", "Thread diameter", "Tap-drill diameter"}};
    for (const CASE& c : cases) {
        mask().kind = c.kind;
        mask().useMinDiameter = 1;
        mask().useMaxDiameter = c.range;
        script().click(Mask::kTemplate, plat::IDCANCEL);
        EXPECT_EQ(run(), plat::IDCANCEL);
        const std::string all = plat::lastSnapshot(Mask::kTemplate);
        EXPECT_NE(all.find(std::string("caption=\"") + c.title + "\""), std::string::npos) << all;
        EXPECT_NE(line(Mask::kUseLower).find(std::string("\"") + c.lower + "\""), std::string::npos) << c.kind;
        EXPECT_NE(line(Mask::kUseUpper).find(std::string("\"") + c.upper + "\""), std::string::npos) << c.kind;
        EXPECT_NE(line(Mask::kLowerTolerance).find("text=\"1.00\""), std::string::npos);
    }
    expectScriptPlayed();
}

TEST_F(SelectionMaskTest, ATypedColourAndLevelAreKeptThoughCancelled) {
    mask().useColor = 1;
    mask().useLevel = 1;
    script()
        .type(Mask::kTemplate, Mask::kColour, "12")
        .type(Mask::kTemplate, Mask::kLevel, "33")
        .click(Mask::kTemplate, plat::IDCANCEL);
    EXPECT_EQ(run(), plat::IDCANCEL);
    EXPECT_EQ(mask().color, 12);
    EXPECT_EQ(mask().level, 33);   // kept though cancelled: the caller applies the mask as it stands
    expectScriptPlayed();
}

}  // namespace
