// The shared small utilities: text and number edge cases, host colours, the spot-drill templates chosen by
// the host version, host texts, the wait dialog adaptors and the popup menu.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "host/state.h"
#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/base/utilities.h"
#include "support/plugin_fixture.h"
#include "support/temp_dir.h"

namespace {

// ---- texts ----------------------------------------------------------------------------------------------

TEST(TextUtilities, FindIgnoresCase) {
    EXPECT_EQ(findNoCase("Drill Tap", "TAP"), 6);
    EXPECT_EQ(findNoCase("Drill", "ream"), -1);
    EXPECT_EQ(findNoCase("Drill", ""), 0);
    EXPECT_EQ(findNoCase(nullptr, "a"), -1);
    EXPECT_EQ(findNoCase("a", nullptr), -1);
    EXPECT_EQ(findNoCaseStr("GD_h7 thread", "gd_H7"), 0);
    EXPECT_EQ(findNoCaseStr("ab", "abc"), -1);
}

TEST(TextUtilities, TextBetweenTakesTheLastPairOfDelimiters) {
    char out[16];
    std::strcpy(out, "junk");
    EXPECT_EQ(textBetween("a(b)c", '(', ')', out, sizeof out), 1u);
    EXPECT_STREQ(out, "b");
    std::strcpy(out, "junk");
    EXPECT_EQ(textBetween("a)b(c", '(', ')', out, sizeof out), 0u);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(textBetween("x(a)(bc)", '(', ')', out, sizeof out), 2u);
    EXPECT_STREQ(out, "bc");
    std::strcpy(out, "junk");
    EXPECT_EQ(textBetween("()", '(', ')', out, sizeof out), 0u);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(textBetween("abc)", '(', ')', out, sizeof out), 0u);
    EXPECT_EQ(textBetween("(abc", '(', ')', out, sizeof out), 0u);
    // Cut to the buffer, never beyond it.
    char small[4];
    EXPECT_EQ(textBetween("[abcdef]", '[', ']', small, sizeof small), 3u);
    EXPECT_STREQ(small, "abc");

    EXPECT_EQ(textBetweenStr("M8x1.25 <6H>", "<>"), "6H");
    EXPECT_EQ(textBetweenStr("M8 <6H>", "<"), "");
    EXPECT_EQ(textBetweenStr("M8 <6H>", ""), "");
}

TEST(TextUtilities, NumericTextAllowsSignsAndDotsOnly) {
    EXPECT_TRUE(isNumericText("-12.5"));
    EXPECT_TRUE(isNumericText(" 3 "));
    EXPECT_TRUE(isNumericText("\t+7\r\n"));
    EXPECT_TRUE(isNumericText(""));
    EXPECT_TRUE(isNumericText("   "));
    EXPECT_FALSE(isNumericText("1e3"));
    EXPECT_FALSE(isNumericText("12 5"));
    EXPECT_FALSE(isNumericText("1,5"));
}

TEST(TextUtilities, TrimAndReplaceBlanks) {
    EXPECT_EQ(trimReplaceBlanksStr("  a b  c \t", '_'), "a_b__c");
    EXPECT_EQ(trimReplaceBlanksStr("  a b  c ", 0), "a b  c");
    EXPECT_EQ(trimReplaceBlanksStr("a\tb", '_'), "a\tb");   // only blanks are replaced
    EXPECT_EQ(trimReplaceBlanksStr(" \t ", '_'), "");
    char buffer[] = "  Spot drill 90 ";
    EXPECT_EQ(trimReplaceBlanks(buffer, '-'), buffer);
    EXPECT_STREQ(buffer, "Spot-drill-90");
    EXPECT_EQ(trimReplaceBlanks(nullptr, '-'), nullptr);
}

// ---- numbers --------------------------------------------------------------------------------------------

struct STEP_CASE {
    double value, step, rounded, ceiled, floored;
};

TEST(NumberUtilities, RoundCeilAndFloorToStep) {
    const STEP_CASE cases[] = {
        {7.3, 0.5, 7.5, 7.5, 7.0},      {7.1, 0.5, 7.0, 7.5, 7.0},    {7.5, 0.5, 7.5, 7.5, 7.5},
        {7.25, 0.5, 7.0, 7.5, 7.0},     {7.75, 0.5, 8.0, 8.0, 7.5},   {-7.3, 0.5, -7.5, -7.0, -7.5},
        {1.1, 0.1, 1.1, 1.1, 1.1},      {0.7, 0.1, 0.7, 0.7, 0.7},    {12, 5, 10, 15, 10},
        {3.2, 0, 3.2, 3.2, 3.2},        {7.9375, 0.025, 7.95, 7.95, 7.925},
        {7.925, 0.025, 7.925, 7.925, 7.925},
    };
    for (const STEP_CASE& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " by " + std::to_string(c.step));
        EXPECT_NEAR(roundToStep(c.value, c.step), c.rounded, 1e-12);
        EXPECT_NEAR(ceilToStep(c.value, c.step), c.ceiled, 1e-12);
        EXPECT_NEAR(floorToStep(c.value, c.step), c.floored, 1e-12);
    }
}

// ---- colours --------------------------------------------------------------------------------------------

TEST(ColourUtilities, HostColoursPutRedInTheLowByte) {
    EXPECT_EQ(colorToRgb(0), 0x000000u);
    EXPECT_EQ(colorToRgb(1), 0x800000u);    // dark blue
    EXPECT_EQ(colorToRgb(4), 0x000080u);    // dark red
    EXPECT_EQ(colorToRgb(6), 0x004280u);    // brown
    EXPECT_EQ(colorToRgb(7), 0xC0C0C0u);
    EXPECT_EQ(colorToRgb(12), 0x0000FFu);
    EXPECT_EQ(colorToRgb(14), 0x00FFFFu);   // yellow
    EXPECT_EQ(colorToRgb(15), 0xFFFFFFu);
    EXPECT_EQ(colorToRgb(16), 0u);
    EXPECT_EQ(colorToRgb(-1), 0u);
}

// ---- spot-drill library ---------------------------------------------------------------------------------

template <class T>
T readLE(const std::string& bytes, std::size_t at) {
    std::uint64_t raw = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) raw |= std::uint64_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    if constexpr (std::is_same_v<T, double>) return std::bit_cast<double>(raw);
    return static_cast<T>(raw);
}

TEST(SpotDrillLibrary, TheHostVersionChoosesTheFormat) {
    const struct {
        int major, mr;
        bool newer;
    } cases[] = {{0, 0, true},   {10, 0, false}, {10, 2, false}, {11, 0, false},
                 {11, 1, true},  {11, 2, true},  {12, 0, true},  {13, 0, true}};
    for (const auto& c : cases)
        EXPECT_EQ(hostTakesNewerToolLibrary(c.major, c.mr), c.newer) << c.major << " MR" << c.mr;
}

TEST(SpotDrillLibrary, TemplatesHaveTheirSizesAndReadableRecords) {
    for (const SPOT_DRILL_FORMAT* f : {&kSpotDrillNewer, &kSpotDrillOlder}) {
        SCOPED_TRACE(f->format);
        const std::string bytes = spotDrillTemplate(*f);
        ASSERT_EQ(bytes.size(), f->fileSize);
        EXPECT_EQ(std::string(bytes.c_str()), "FXTOOLS");
        EXPECT_EQ(readLE<std::uint16_t>(bytes, 8), f->format);
        EXPECT_EQ(readLE<std::uint16_t>(bytes, 10), kSpotDrillCount);
        EXPECT_EQ(readLE<std::uint16_t>(bytes, 12), f->headerSize);
        EXPECT_EQ(readLE<std::uint16_t>(bytes, 14), f->recordSize);
        for (int i = 0; i < kSpotDrillCount; ++i) {
            const std::size_t at = f->headerSize + static_cast<std::size_t>(i) * f->recordSize;
            EXPECT_EQ(readLE<std::uint32_t>(bytes, at), static_cast<std::uint32_t>(i + 1));
            EXPECT_EQ(readLE<double>(bytes, at + 16), 90.0);
            EXPECT_EQ(std::string(bytes.c_str() + at + 40).rfind("SPOT DRILL", 0), 0u);
        }
        // The ten metric tools first, from 3 mm; then the inch ones, from 1/8.
        EXPECT_EQ(bytes[f->headerSize + 6], 1);
        EXPECT_EQ(readLE<double>(bytes, f->headerSize + 8), 3.0);
        EXPECT_EQ(bytes[f->headerSize + 10 * f->recordSize + 6], 0);
        EXPECT_EQ(readLE<double>(bytes, f->headerSize + 10 * f->recordSize + 8), 0.125);
    }
}

using SpotDrillFile = PluginFixture;

TEST_F(SpotDrillFile, WritesTheTemplateOfTheHostFoundAtTheInvocation) {
    load();
    const std::string path = dir.path() + "/SpotDrillSel.Tools";
    g_globals->hostMajor = 11;
    g_globals->hostMR = 1;
    EXPECT_EQ(writeSpotDrillLibrary(path), 0);
    EXPECT_EQ(plat::readFile(path).value_or(""), spotDrillTemplate(kSpotDrillNewer));
    // A rewrite for an older host replaces the whole file.
    g_globals->hostMR = 0;
    EXPECT_EQ(writeSpotDrillLibrary(path), 0);
    EXPECT_EQ(plat::readFile(path).value_or("").size(), kSpotDrillOlder.fileSize);
    EXPECT_EQ(writeSpotDrillLibrary(dir.path() + "/missing/SpotDrillSel.Tools"), 1);
}

// ---- graphics state ------------------------------------------------------------------------------------

class GraphicsStateTest : public PluginFixture {
protected:
    static constexpr std::int32_t kFeaturesLevel = 1000254;
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        for (std::int32_t level : {5, 7}) storePoint(level, 1.0 * level);
    }
    static db_ptr storePoint(std::int32_t level, double x) {
        ent e{};
        e.type = kEntPoint;
        e.pt.pt = p_3d{x, 0, 0};
        db_ptr entry = 0;
        char ok = 0;
        (void)store_ent(&e, &entry, 0, 3, level, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
        return entry;
    }
    static void showView(int n) {
        double m[3][3];
        ASSERT_EQ(get_view_matrix(n, m), 1);
        set_gr_view(m);
    }
};

TEST_F(GraphicsStateTest, AConfigurationRunLeavesTheGraphicsAsTheyWere) {
    host::setWorkWindow(10, 20, 50);
    showView(2);
    mask_level = 0;
    main_level = 5;
    constr_view_n = 1;
    job_setup.showStock = 1;

    saveGraphicsState(true);
    EXPECT_EQ(is_level_visible(5), 0);
    EXPECT_EQ(is_level_visible(7), 0);

    // What a run does meanwhile: its own levels, views and window.
    set_level_visible(kFeaturesLevel, 1);
    mask_level = kFeaturesLevel;
    main_level = kFeaturesLevel;
    constr_view_n = 5;
    showView(1);
    job_setup.showStock = 0;
    host::setWorkWindow(0, 0, 3);
    const int pointsBefore = host::entityCounts().points;

    restoreGraphicsState(kFeaturesLevel);
    EXPECT_EQ(is_level_visible(5), 1);
    EXPECT_EQ(is_level_visible(7), 1);
    EXPECT_EQ(mask_level, 0);
    EXPECT_EQ(main_level, 5);
    EXPECT_EQ(constr_view_n, 1);
    EXPECT_EQ(get_gr_view_n(), 2);
    EXPECT_EQ(job_setup.showStock, 1);
    double x = 0, y = 0;
    get_wk_center(&x, &y);
    EXPECT_NEAR(x, 10, 1e-9);
    EXPECT_NEAR(y, 20, 1e-9);
    EXPECT_NEAR(get_wk_height(), 50, 1e-9);
    EXPECT_EQ(host::entityCounts().points, pointsBefore);   // the framing points are gone
    EXPECT_TRUE(g_graphicsState.visibleLevels.empty());
}

// ---- host texts ----------------------------------------------------------------------------------------

class HostTextTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        g_globals->uiTextFile = installDir + "/Tool.txt";
    }
};

TEST_F(HostTextTest, SectionsGiveTheirLines) {
    std::string out = "old";
    EXPECT_EQ(getHostText("msg", out, 81), 0);
    EXPECT_EQ(out, "Pick the reference point");
    EXPECT_EQ(getHostText("deftool", out, 118), 0);
    EXPECT_EQ(out, "Ti Coated");
    EXPECT_EQ(getHostText("View Manager", out, 7), 0);
    EXPECT_EQ(out, "ISO");
    EXPECT_EQ(getHostText("View Manager", out, 9), 0);
    EXPECT_EQ(out, "");
    out = "old";
    EXPECT_EQ(getHostText("deftool", out, 1), 0);
    EXPECT_EQ(out, "");
    out = "old";
    EXPECT_EQ(getHostText("Other", out, 1), 0);
    EXPECT_EQ(out, "");
    EXPECT_FALSE(transcript().contains("msgbox"));
}

// ---- wait dialog ---------------------------------------------------------------------------------------

using WaitDialogAdaptors = PluginFixture;

TEST_F(WaitDialogAdaptors, OpenStepAndCloseTheHostsDialog) {
    openWaitDialog(true, "Tables", "Copying");
    EXPECT_TRUE(host::waitDialog().open);
    EXPECT_FALSE(host::waitDialog().allowCancel);
    EXPECT_EQ(host::waitDialog().status, "Copying");
    closeWaitDialog();
    EXPECT_FALSE(host::waitDialog().open);

    openWaitDialog(false, "Tables", "Copying");
    EXPECT_TRUE(host::waitDialog().allowCancel);
    EXPECT_EQ(g_waitCancel, 1);
    script().cancelWait();
    setWaitPercent(40);
    EXPECT_EQ(host::waitDialog().percent, 40);
    EXPECT_EQ(g_waitCancel, 0);
    closeWaitDialog();
    expectScriptPlayed();
}

// ---- popup menu ----------------------------------------------------------------------------------------

class PopupMenuTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
    }
    std::vector<int> ids() {
        std::vector<int> out;
        for (const plat::Menu::Entry& e : g_popupMenu->entries()) out.push_back(e.id);
        return out;
    }
};

TEST_F(PopupMenuTest, MenusAreBuiltByNumber) {
    EXPECT_EQ(loadMenuItems(nullptr, 4), 0);
    EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3, 5, 129}));
    EXPECT_EQ(g_popupMenu->find(5)->text, "Analyze/Edit");
    (void)loadMenuItems("", 7);
    EXPECT_EQ(ids(), (std::vector<int>{1, 2, 129}));
    EXPECT_EQ(g_popupMenu->find(2)->text, "See All Y/N");
    (void)loadMenuItems("", 3);
    EXPECT_TRUE(ids().empty());
}

TEST_F(PopupMenuTest, TrackingMapsExitAndNothingChosen) {
    const struct {
        int pick;
        std::int16_t orNone, plain;
    } cases[] = {{3, 3, 3}, {129, 11, 11}, {0, -1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pick);
        std::int16_t id = 99;
        (void)loadMenuItems(nullptr, 4);
        script().menu(c.pick);
        EXPECT_EQ(trackMenuOrNone(&id), c.orNone);
        EXPECT_EQ(id, c.orNone);
        EXPECT_TRUE(ids().empty());   // the menu is gone after use
        (void)loadMenuItems(nullptr, 4);
        script().menu(c.pick);
        EXPECT_EQ(trackMenu(nullptr), c.plain);
    }
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("129 \"Exit\""));
}

}  // namespace
