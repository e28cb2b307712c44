// The advanced strategies (tools larger than the hole, forced reaming and tapping) and the tolerances of
// hole recognition. T is the base tolerance ("ProcessMach" 16); the recognition limits are its multiples
// as the settings were last read.
#include <cmath>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/base/settings.h"
#include "plugin/settings/settings_dialogs.h"

namespace {

// The oversizes offered, by units; each list ends at its first negative entry.
constexpr double kMetricOversizes[] = {0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1.0, 2.5, 5.0, 10.0, -1.0};
constexpr double kInchOversizes[] = {0.0004, 0.001, 0.002, 0.004, 0.01, 0.02, 0.04, 0.1, 0.2, 0.4, -1.0};

std::vector<double> oversizes() {
    return g_globals->metric() ? tableEntries(kMetricOversizes) : tableEntries(kInchOversizes);
}

}  // namespace

// ---- advanced strategies ------------------------------------------------------------------------------------

CDlgAdvancedStrategies::CDlgAdvancedStrategies() : plat::Dialog(kTemplate) {
    onCommand(kBiggerTools, [this] { enableOversize(); });
}

bool CDlgAdvancedStrategies::onInitDialog() {
    if (texts_.load(g_globals->uiTextFile, "AdvancedStrategiesDlg", false) != 0) {
        plat::Dialog::onOK();
        return true;
    }
    const PRM_SETTINGS& s = g_globals->settings;
    setWindowText(texts_.getText(1));
    item(kBiggerTools).setText(texts_.getText(2));
    item(kForceReaming).setText(texts_.getText(3));
    item(kForceTapping).setText(texts_.getText(4));
    item(plat::IDOK).setText(texts_.getText(5));
    item(plat::IDCANCEL).setText(texts_.getText(6));
    item(kBiggerTools).setCheck(s.allowOversizeTools);
    item(kForceReaming).setCheck(s.forceReaming);
    item(kForceTapping).setCheck(s.forceTapping);

    plat::Control& combo = item(kOversize);
    combo.resetContent();
    int found = -1;
    for (double v : oversizes()) {
        const int at = combo.addString(formatValue(g_fmtFine, v));
        if (std::abs(v - s.oversizeLimit) < 0.00001) found = at;
    }
    if (found >= 0)
        combo.setCurSel(found);
    else
        combo.setText(formatValue(g_fmtFine, s.oversizeLimit));
    enableOversize();
    return true;
}

void CDlgAdvancedStrategies::enableOversize() { item(kOversize).enable(item(kBiggerTools).check() != 0); }

int CDlgAdvancedStrategies::validate(bool showMessages) {
    const std::vector<double> list = oversizes();
    return holdTypedInLimits(*this, kOversize, list.front(), list.back(), texts_.getMessage(51), texts_.getMessage(52),
                             g_globals->metric() ? "%.3f" : "%.4f", showMessages);
}

void CDlgAdvancedStrategies::onOK() {
    if (validate(true) != 0) return;
    PRM_SETTINGS& s = g_globals->settings;
    s.allowOversizeTools = static_cast<std::int16_t>(item(kBiggerTools).check());
    s.forceReaming = static_cast<std::int16_t>(item(kForceReaming).check());
    s.forceTapping = static_cast<std::int16_t>(item(kForceTapping).check());
    s.oversizeLimit = typedNumber(item(kOversize).text());
    updateEffectiveOversize(s);
    endDialog(plat::IDOK);
}

// ---- recognition tolerances ---------------------------------------------------------------------------------

CDlgAdvFormsRecognize::CDlgAdvFormsRecognize() : plat::Dialog(kTemplate) {
    const TOLERANCES& t = g_tolerances;
    ranges[kSweepRange] = {0, 90.0, 360.0, 340.0};
    ranges[kRoundnessRange] = {0, t.tol004T, t.tol4T, t.tol02T};
    ranges[kAxisRange] = {0, 0.001, 0.5, 0.04};
    ranges[kOpenRange] = {0, t.tol04T, 10 * t.tol4T, t.tol4T};
}

namespace {

struct TOLERANCE_FIELD {
    int id;
    CDlgAdvFormsRecognize::Range range;
    const char* const* format;
};
const char* const kAxisFormat = "%.3f";
const TOLERANCE_FIELD kToleranceFields[] = {
    {CDlgAdvFormsRecognize::kSweep, CDlgAdvFormsRecognize::kSweepRange, &g_fmtMedium},
    {CDlgAdvFormsRecognize::kRoundness, CDlgAdvFormsRecognize::kRoundnessRange, &g_fmtFine},
    {CDlgAdvFormsRecognize::kAxisAngle, CDlgAdvFormsRecognize::kAxisRange, &kAxisFormat},
    {CDlgAdvFormsRecognize::kOpenBoundaries, CDlgAdvFormsRecognize::kOpenRange, &g_fmtFine},
};

}  // namespace

bool CDlgAdvFormsRecognize::onInitDialog() {
    if (texts) {
        setWindowText(texts->getText(220));
        item(plat::IDOK).setText(texts->getText(221));
        item(plat::IDCANCEL).setText(texts->getText(222));
        item(18020).setText(texts->getMessage(225));
        for (int i = 0; i < 4; ++i) item(18021 + i).setText(texts->getText(226 + i));
    }
    for (const TOLERANCE_FIELD& f : kToleranceFields) item(f.id).setText(formatValue(*f.format, ranges[f.range].value));
    return true;
}

// Values outside their limits take the nearer limit without a message; no number reads as 0.
void CDlgAdvFormsRecognize::onOK() {
    for (const TOLERANCE_FIELD& f : kToleranceFields) {
        DOUBLE_RANGE& r = ranges[f.range];
        r.value = typedNumber(item(f.id).text());
        r.clamp();
    }
    endDialog(plat::IDOK);
}
