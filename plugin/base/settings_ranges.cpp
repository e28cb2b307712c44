// The ranges of the decimal settings. A value read from the settings file or the part's settings record
// that is no number (NaN), infinite or outside its item's range goes back to the default it had before the
// read: a NaN would pass every comparison of the range rules and reach the recognition. Lengths are given
// in millimetres and scaled for inch parts.
#include <cmath>
#include <string>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/base/settings.h"

namespace {

struct DECIMAL_RANGE {
    int section, item;
    double low, high;
    bool length;   // in part units: the bounds are millimetres
};

// Items that the range rules of readSettings clamp (tip angles, sweep angle, the recognition tolerances,
// the breakthrough ratio and first-face share) are held here only to what those rules can take.
constexpr DECIMAL_RANGE kRanges[] = {
    {4, 7, -1e5, 1e5, true},     // initial height
    {4, 8, -1e5, 1e5, true},     // retract height
    {4, 9, 0, 1e5, true},        // largest diameter
    {4, 11, 0, 1e5, true},       // smallest diameter
    {4, 16, 1e-4, 1, true},      // base tolerance T: every tolerance of the recognition derives from it
    {4, 19, 0, 100, true},       // oversize limit
    {4, 23, 0, 1e5, true},       // breakthrough length
    {4, 24, -1e9, 1e9, false},
    {4, 26, 0, 1000, false},     // open-space factor
    {4, 28, -1e9, 1e9, false},
    {4, 38, 0, 1e5, true},       // split depths
    {4, 40, 0, 1e5, true},
    {4, 42, 0, 1e5, true},       // clearance addition
    {4, 51, -1e9, 1e9, false},
    {4, 52, -1e9, 1e9, false},
    {4, 53, -1e9, 1e9, false},
    {4, 54, -1e9, 1e9, false},
    {4, 55, 0, 1e3, false},
    {4, 56, 0, 1e3, false},
    {5, 1, 0, 1e3, false},       // tool length factors
    {5, 2, 0, 1e3, false},
    {5, 4, 0, 1e3, false},
    {6, 5, -1e9, 1e9, false},
    {6, 6, -1e9, 1e9, false},
    {6, 12, 0, 1e5, true},       // spot drill diameter
    {6, 14, 0, 1e4, false},      // spot depth, percent
    {6, 15, 0, 1e5, true},
    {11, 3, 0, 1e5, true},       // tap additions
    {11, 4, 0, 1e4, false},
    {11, 7, 0, 1e5, true},
    {11, 8, 0, 1e4, false},
};
constexpr double kAnyDecimal = 1e9;   // items not listed: any finite value of at most this size

}  // namespace

std::vector<double> decimalSettings() {
    std::vector<double> values;
    for (const SETTING_ITEM& it : settingsItems())
        if (it.kind == SettingKind::F64) values.push_back(*static_cast<const double*>(it.member));
    return values;
}

std::vector<std::string> restoreInvalidDecimals(const std::vector<double>& defaults) {
    const double unit = g_globals->metric() ? 1.0 : 1.0 / 25.4;
    std::vector<std::string> restored;
    std::size_t index = 0;
    for (const SETTING_ITEM& it : settingsItems()) {
        if (it.kind != SettingKind::F64) continue;
        double& value = *static_cast<double*>(it.member);
        double low = -kAnyDecimal, high = kAnyDecimal;
        for (const DECIMAL_RANGE& r : kRanges) {
            if (r.section != it.section || r.item != it.item) continue;
            low = r.length ? r.low * unit : r.low;
            high = r.length ? r.high * unit : r.high;
        }
        // Written so that a NaN fails it.
        if (!(std::isfinite(value) && value >= low && value <= high) && index < defaults.size()) {
            value = defaults[index];
            restored.push_back(std::string(kSettingsSections[static_cast<std::size_t>(it.section - 1)]) + " " +
                               std::to_string(it.item));
        }
        ++index;
    }
    return restored;
}
