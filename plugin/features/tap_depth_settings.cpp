// The tap-depth additions: how much deeper than its tapped hole a tapping operation goes, for blind and for
// through holes, as a fixed length (part units) or a percentage of the pitch. The engine adds them to the
// tapping depth of imported features.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/text_section.h"
#include "plugin/features/feature_windows.h"

namespace {

struct GROUP_IDS {
    int box, fixed, percent, length, percentage;
};
constexpr GROUP_IDS kBlindIds{CDlgFeatSDTsettings::kBlind, CDlgFeatSDTsettings::kBlindFixed,
                              CDlgFeatSDTsettings::kBlindPercent, CDlgFeatSDTsettings::kBlindLength,
                              CDlgFeatSDTsettings::kBlindPercentage};
constexpr GROUP_IDS kThroughIds{CDlgFeatSDTsettings::kThrough, CDlgFeatSDTsettings::kThroughFixed,
                                CDlgFeatSDTsettings::kThroughPercent, CDlgFeatSDTsettings::kThroughLength,
                                CDlgFeatSDTsettings::kThroughPercentage};

std::string printed(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A decimal as the edit holds it; a text that is no number (or no finite one) reads as 0.
double decimal(const std::string& text) {
    const double value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value) ? value : 0;
}

}  // namespace

CDlgFeatSDTsettings::CDlgFeatSDTsettings() : plat::Dialog(kTemplate) {
    for (int id : {kBlind, kBlindFixed, kBlindPercent, kThrough, kThroughFixed, kThroughPercent})
        onCommand(id, [this] { applyEnabling(); });
}

bool CDlgFeatSDTsettings::onInitDialog() {
    CTextSection texts;
    if (texts.load(g_globals->uiTextFile, "FeatSdtSettingsDlg", true) != 0) {
        endDialog(plat::IDCANCEL);   // the loader told why; the settings stay as they were
        return true;
    }
    setWindowText(texts.getText(1));
    item(plat::IDOK).setText(texts.getText(2));
    item(plat::IDCANCEL).setText(texts.getText(3));
    const bool metric = g_globals->metric();
    const auto fill = [&](const GROUP_IDS& ids, const TAP_DEPTH_ADDITION& a, int firstLine) {
        item(ids.box).setText(texts.getText(firstLine));
        item(ids.fixed).setText(texts.getText(firstLine + 1));
        item(ids.percent).setText(texts.getText(firstLine + 2));
        item(ids.box).setCheck(a.enabled ? 1 : 0);
        item(ids.fixed).setCheck(a.mode == 1 ? 0 : 1);
        item(ids.percent).setCheck(a.mode == 1 ? 1 : 0);
        item(ids.length).setText(printed(metric ? "%.3f" : "%.5f", a.fixedLength));
        item(ids.percentage).setText(printed(metric ? "%.1f" : "%.3f", a.percentage));
    };
    fill(kBlindIds, blind, 11);
    fill(kThroughIds, through, 21);
    applyEnabling();
    return true;
}

void CDlgFeatSDTsettings::applyEnabling() {
    for (const GROUP_IDS& ids : {kBlindIds, kThroughIds}) {
        const bool on = item(ids.box).check() == 1;
        const bool byPitch = item(ids.percent).check() == 1;
        item(ids.fixed).enable(on);
        item(ids.percent).enable(on);
        item(ids.length).enable(on && !byPitch);
        item(ids.percentage).enable(on && byPitch);
    }
}

void CDlgFeatSDTsettings::onOK() {
    const auto take = [&](const GROUP_IDS& ids, TAP_DEPTH_ADDITION& a) {
        a.enabled = item(ids.box).check() == 1 ? 1 : 0;
        a.mode = item(ids.fixed).check() == 1 ? 0 : 1;
        a.fixedLength = decimal(item(ids.length).text());
        a.percentage = decimal(item(ids.percentage).text());
    };
    take(kBlindIds, blind);
    take(kThroughIds, through);
    endDialog(plat::IDOK);
}

int editTapDepthAdditions() {
    PRM_SETTINGS& s = g_globals->settings;
    CDlgFeatSDTsettings dlg;
    dlg.blind = {s.blindTapAddOn, s.blindTapAddByPitch, s.blindTapAddLength, s.blindTapAddPercent};
    dlg.through = {s.throughTapAddOn, s.throughTapAddByPitch, s.throughTapAddLength, s.throughTapAddPercent};
    if (doModalInPluginRes(dlg) != plat::IDOK) return 0;
    s.blindTapAddOn = dlg.blind.enabled;
    s.blindTapAddByPitch = dlg.blind.mode;
    s.blindTapAddLength = dlg.blind.fixedLength;
    s.blindTapAddPercent = dlg.blind.percentage;
    s.throughTapAddOn = dlg.through.enabled;
    s.throughTapAddByPitch = dlg.through.mode;
    s.throughTapAddLength = dlg.through.fixedLength;
    s.throughTapAddPercent = dlg.through.percentage;
    return 1;
}
