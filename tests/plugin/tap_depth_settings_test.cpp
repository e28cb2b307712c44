// The tap-depth additions as a user edits them from the features manager's "Import settings": the texts and
// numbers the dialog opens with, which controls each check box and radio button enables, what OK stores
// (also from disabled edits and from letters) and that Cancel stores nothing.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/dialog.h"
#include "host/state.h"
#include "plugin/base/globals.h"
#include "plugin/base/settings.h"
#include "plugin/base/utilities.h"
#include "plugin/features/feature_windows.h"
#include "support/plugin_fixture.h"

namespace {

constexpr int kMenu = 18048, kFeaturesButton = 18004, kDlg = CDlgFeatSDTsettings::kTemplate;
using D = CDlgFeatSDTsettings;

class TapDepthSettings : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        loadAndCloseOnce();
        PRM_SETTINGS& s = g_globals->settings;
        s.blindTapAddOn = 0;
        s.blindTapAddByPitch = 0;
        s.blindTapAddLength = 2.5;
        s.blindTapAddPercent = 150;
        s.throughTapAddOn = 1;
        s.throughTapAddByPitch = 1;
        s.throughTapAddLength = 1;
        s.throughTapAddPercent = 50;
        writeSettings(0);   // the file and the part's record: the next cycle reads them
    }
    // The user opens the popup's "Import settings", does `edit` in the dialog and closes the popup.
    template <class EDIT>
    void editSettings(EDIT edit) {
        script().click(kMenu, kFeaturesButton).menu(72);
        edit(script());
        script().menu(kMenuExit).click(kMenu, plat::IDOK);
        m_main();
        expectScriptPlayed();
    }
    static bool shows(const std::string& fragment) {
        return plat::lastSnapshot(kDlg).find(fragment) != std::string::npos;
    }
    static std::string control(int id) {
        const std::string snapshot = plat::lastSnapshot(kDlg);
        const std::size_t at = snapshot.find("\n" + std::to_string(id) + " ");
        return at == std::string::npos ? std::string() : snapshot.substr(at + 1, snapshot.find('\n', at + 1) - at - 1);
    }
};

TEST_F(TapDepthSettings, TheDialogOpensWithTheSettingsAndEnablesByItsBoxesAndRadios) {
    editSettings([](plat::Script& s) { s.click(kDlg, plat::IDCANCEL); });
    EXPECT_TRUE(shows("caption=\"Import settings\"")) << plat::lastSnapshot(kDlg);
    EXPECT_NE(control(D::kBlind).find("text=\"Add to the tapping depth of blind holes\" visible=1 enabled=1 check=0"),
              std::string::npos) << control(D::kBlind);
    EXPECT_NE(control(D::kThroughPercent).find("text=\"Percentage of the pitch\" visible=1 enabled=1 check=1"),
              std::string::npos) << control(D::kThroughPercent);
    // Metric: lengths with three decimals, percentages with one.
    struct CASE {
        int id;
        const char* text;
        int enabled;
    } const cases[] = {
        {D::kBlindFixed, "Fixed length", 0},     {D::kBlindPercent, "Percentage of the pitch", 0},
        {D::kBlindLength, "2.500", 0},           {D::kBlindPercentage, "150.0", 0},
        {D::kThroughFixed, "Fixed length", 1},   {D::kThroughLength, "1.000", 0},
        {D::kThroughPercentage, "50.0", 1},
    };
    for (const CASE& c : cases)
        EXPECT_NE(control(c.id).find("text=\"" + std::string(c.text) + "\" visible=1 enabled=" + std::to_string(c.enabled)),
                  std::string::npos)
            << control(c.id);
    EXPECT_DOUBLE_EQ(g_globals->settings.blindTapAddLength, 2.5);   // Cancel
    EXPECT_EQ(g_globals->settings.throughTapAddOn, 1);
}

TEST_F(TapDepthSettings, OkStoresWhatTheEditsHoldEnabledOrNot) {
    editSettings([](plat::Script& s) {
        s.check(kDlg, D::kThrough, 0)                 // through holes off: their values are still read
            .click(kDlg, D::kBlind)                   // blind holes on: their fixed-length edit opens
            .type(kDlg, D::kBlindLength, "abc")       // letters read as 0
            .click(kDlg, D::kBlindPercent)            // then the percentage instead
            .type(kDlg, D::kBlindPercentage, "80")
            .click(kDlg, plat::IDOK);
    });
    const PRM_SETTINGS& st = g_globals->settings;
    EXPECT_EQ(st.blindTapAddOn, 1);
    EXPECT_EQ(st.blindTapAddByPitch, 1);
    EXPECT_DOUBLE_EQ(st.blindTapAddLength, 0);
    EXPECT_DOUBLE_EQ(st.blindTapAddPercent, 80);
    EXPECT_EQ(st.throughTapAddOn, 0);
    EXPECT_EQ(st.throughTapAddByPitch, 1);
    EXPECT_DOUBLE_EQ(st.throughTapAddPercent, 50);
    EXPECT_DOUBLE_EQ(st.throughTapAddLength, 1);
    // After the clicks: the blind group's percentage edit open, its length closed.
    EXPECT_NE(control(D::kBlindPercentage).find("enabled=1"), std::string::npos);
    EXPECT_NE(control(D::kBlindLength).find("enabled=0"), std::string::npos);
    EXPECT_NE(control(D::kThroughPercentage).find("enabled=0"), std::string::npos);
}

TEST_F(TapDepthSettings, AnInchPartShowsMoreDecimals) {
    host::setMetric(false);
    editSettings([](plat::Script& s) { s.click(kDlg, plat::IDOK); });
    EXPECT_NE(control(D::kBlindLength).find("text=\"2.50000\""), std::string::npos) << control(D::kBlindLength);
    EXPECT_NE(control(D::kThroughPercentage).find("text=\"50.000\""), std::string::npos);
    EXPECT_DOUBLE_EQ(g_globals->settings.blindTapAddLength, 2.5);
}

}  // namespace
