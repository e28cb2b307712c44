// The selection mask: colour, level and a diameter or a range of the holes the features manager selects.
// The caller makes the picks in the graphics between two runs; the values stay from one run to the next.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/features/feature_marks.h"
#include "plugin/features/feature_windows.h"

namespace {

constexpr int kResultPickLower = 101, kResultPickUpper = 102, kResultPickColour = 103, kResultPickLevel = 104;

// Text that is no number reads as 0.
double numberOf(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

}  // namespace

CDlgSelCylindersMask::CDlgSelCylindersMask() : plat::Dialog(kTemplate) {
    onCommand(kUseColour, [this] { onUseColour(); });
    onCommand(kUseLevel, [this] { onUseLevel(); });
    onCommand(kUseLower, [this] { onUseLower(); });
    onCommand(kUseUpper, [this] { onUseUpper(); });
    onCommand(kPickLower, [this] { endDialog(kResultPickLower); });
    onCommand(kPickUpper, [this] { endDialog(kResultPickUpper); });
    onCommand(kPickColour, [this] { endDialog(kResultPickColour); });
    onCommand(kPickLevel, [this] { endDialog(kResultPickLevel); });
    on(kColour, plat::Ev::Change, [this](plat::Notify&) {
        color = static_cast<std::uint16_t>(std::atoi(item(kColour).text().c_str()));
        invalidate();
        updateWindow();
    });
    on(kLevel, plat::Ev::Change, [this](plat::Notify&) { level = std::atoi(item(kLevel).text().c_str()); });
    on(kLowerTolerance, plat::Ev::KillFocus, [this](plat::Notify&) { takeTolerance(kLowerTolerance, minTolerance); });
    on(kUpperTolerance, plat::Ev::KillFocus, [this](plat::Notify&) { takeTolerance(kUpperTolerance, maxTolerance); });
    onCtlColor([this](int id) -> std::optional<plat::CtlColors> {
        if (id != kSwatch) return std::nullopt;
        return plat::CtlColors{0, colorToRgb(color)};
    });
}

bool CDlgSelCylindersMask::onInitDialog() {
    (void)texts_.load(g_globals->uiTextFile, "featuresManager", true);
    setWindowText(texts_.getText(kind == 0 ? 20 : 23));
    item(plat::IDOK).setText(texts_.getText(21));
    item(plat::IDCANCEL).setText(texts_.getText(22));
    item(kUseColour).setText(texts_.getText(31));
    item(kUseLevel).setText(texts_.getText(32));
    item(kPickLevel).setText(texts_.getText(33));
    item(kDiameterFrame).setText(texts_.getText(34));

    const std::uint8_t upper = useMaxDiameter;   // the box handlers below read the flags back from the boxes
    item(kColour).setText(std::to_string(color));
    item(kLevel).setText(std::to_string(level));
    item(kLower).setText(formatNumber(g_fmtFine, minDiameter));
    item(kUpper).setText(formatNumber(g_fmtFine, maxDiameter));
    setTolerance(kLowerTolerance, minTolerance);
    setTolerance(kUpperTolerance, maxTolerance);
    item(kLower).setFocus();
    showUpper(upper != 0);
    labelDiameterBoxes();

    item(kUseColour).setCheck(useColor ? 1 : 0);
    item(kUseLevel).setCheck(useLevel ? 1 : 0);
    item(kUseLower).setCheck(useMinDiameter ? 1 : 0);
    item(kUseUpper).setCheck(upper ? 1 : 0);
    onUseColour();
    onUseLevel();
    onUseLower();
    onUseUpper();
    return false;
}

void CDlgSelCylindersMask::labelDiameterBoxes() {
    const int lower = kind != 0 ? 36 : useMaxDiameter ? 37 : 35;
    const int upper = kind != 0 ? 38 : 39;
    item(kUseLower).setText(texts_.getText(lower));
    item(kUseUpper).setText(texts_.getText(upper));
}

// The upper bound's edit, tolerance and pick button; with `shown` the use-upper box too.
void CDlgSelCylindersMask::showUpper(bool shown) {
    for (int id : {kUpper, kUpperTolerance, kPickUpper}) item(id).enable(shown);
    if (shown) item(kUseUpper).enable(true);
}

void CDlgSelCylindersMask::onUseColour() {
    useColor = item(kUseColour).check() ? 1 : 0;
    item(kColour).enable(useColor);
    item(kPickColour).enable(useColor);
}

void CDlgSelCylindersMask::onUseLevel() {
    useLevel = item(kUseLevel).check() ? 1 : 0;
    item(kLevel).enable(useLevel);
    item(kPickLevel).enable(useLevel);
}

// In reaming mode a range needs its lower bound: clearing that box takes the upper one with it (the flag
// itself changes only when the user clicks its box).
void CDlgSelCylindersMask::onUseLower() {
    useMinDiameter = item(kUseLower).check() ? 1 : 0;
    item(kLower).enable(useMinDiameter);
    item(kLowerTolerance).enable(useMinDiameter);
    if (kind != 0) return;
    if (useMinDiameter) {
        item(kUseUpper).enable(true);
        return;
    }
    showUpper(false);
    item(kUseUpper).setCheck(0);
    item(kUseUpper).enable(false);
}

void CDlgSelCylindersMask::onUseUpper() {
    useMinDiameter = item(kUseLower).check() ? 1 : 0;
    useMaxDiameter = item(kUseUpper).check() ? 1 : 0;
    showUpper(useMaxDiameter != 0);
    labelDiameterBoxes();
}

double CDlgSelCylindersMask::toleranceOf(const std::string& text) {
    const double fraction = std::fabs(numberOf(text)) / 100;
    if (!(fraction >= kLowestTolerance)) return kLowestTolerance;
    return fraction > kHighestTolerance ? kHighestTolerance : fraction;
}

void CDlgSelCylindersMask::takeTolerance(int editId, double& tolerance) {
    tolerance = toleranceOf(item(editId).text());
    setTolerance(editId, tolerance);
}

void CDlgSelCylindersMask::setTolerance(int editId, double tolerance) {
    item(editId).setText(formatNumber("%.2f", tolerance * 100));
}

void CDlgSelCylindersMask::onOK() {
    minDiameter = numberOf(item(kLower).text());
    maxDiameter = numberOf(item(kUpper).text());
    minTolerance = toleranceOf(item(kLowerTolerance).text());
    maxTolerance = toleranceOf(item(kUpperTolerance).text());
    endDialog(plat::IDOK);
}
