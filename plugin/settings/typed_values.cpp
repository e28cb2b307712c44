// Numbers typed into the settings dialogs and shown in them. A typed value is read as the C library reads
// it, but a text that reads as NaN or infinite ("nan", "inf", "1e999") counts as no number: no range test
// holds such a value back, and the settings would carry it into every run.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/settings/settings_dialogs.h"

double typedNumber(std::string_view text) {
    const double value = std::atof(std::string(text).c_str());
    return std::isfinite(value) ? value : 0.0;
}

long typedWhole(std::string_view text) {
    const long value = std::strtol(std::string(text).c_str(), nullptr, 10);
    constexpr long lowest = std::numeric_limits<std::int32_t>::min();
    constexpr long highest = std::numeric_limits<std::int32_t>::max();
    return value < lowest ? lowest : value > highest ? highest : value;
}

std::string formatValue(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

int holdTypedInLimits(plat::Dialog& dlg, int field, double lowest, double highest, const std::string& belowText,
                      const std::string& aboveText, const char* format, bool showMessages) {
    plat::Control& control = dlg.item(field);
    double value = typedNumber(control.text());
    int result = 0;
    if (value < lowest || value > highest) {
        result = value < lowest ? 1 : 2;
        if (showMessages) plat::messageBox(&dlg, result == 1 ? belowText : aboveText, errorMessage(1), plat::MB_OK);
        value = result == 1 ? lowest : highest;
        control.setFocus();
    }
    control.setText(formatValue(format, value));
    return result;
}
