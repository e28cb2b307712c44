#include "plugin/configuration/editor_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "plugin/base/globals.h"
#include "plugin/resources/operation_editor_ids.h"

using namespace oe;

std::string numberText(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string lengthText(double value) { return numberText(g_globals->metric() ? "%.2f" : "%.4f", value); }

double textNumber(std::string_view text) {
    const std::string s(text);
    const char* p = s.c_str();
    char* end = nullptr;
    const double v = std::strtod(p, &end);
    return end == p || !std::isfinite(v) ? 0.0 : v;
}

std::string percentPartnerText(double d, std::string_view typed, bool typedIsPercent) {
    const double v = textNumber(typed);
    if (typedIsPercent) return numberText(g_fmtCoarse, d * v / 100);
    return d > 0 ? numberText(g_fmtCoarse, v / d * 100) : std::string();
}

long textCount(std::string_view text, long low, long high) {
    const std::string s(text);
    const char* p = s.c_str();
    char* end = nullptr;
    const long long v = std::strtoll(p, &end, 10);
    if (end == p) return 0;
    return static_cast<long>(std::clamp<long long>(v, low, high));
}

const MILLED_DIAMETER_CONTROLS& milledDiameterControls(int kind) {
    static const MILLED_DIAMETER_CONTROLS controls[4] = {
        {kEditCircleDiameter, kLabelCircleDiameterAssociation, kRadioCircleDiameterFixed,
         kRadioCircleDiameterAssociated, kButtonCircleDiameterAssociate},
        {kEditContourDiameter, kLabelContourDiameterAssociation, kRadioContourDiameterFixed,
         kRadioContourDiameterAssociated, kButtonContourDiameterAssociate},
        {kEditBoreDiameter, kLabelBoreDiameterAssociation, kRadioBoreDiameterFixed, kRadioBoreDiameterAssociated,
         kButtonBoreDiameterAssociate},
        {kEditThreadDiameter, kLabelThreadDiameterAssociation, kRadioThreadDiameterFixed,
         kRadioThreadDiameterAssociated, kButtonThreadDiameterAssociate},
    };
    return controls[std::clamp(kind, 1, 4) - 1];
}
