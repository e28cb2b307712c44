// The rules of the general parameters that enable controls from the state of others, and the ties
// between fields. Each reads the controls as they are; loading runs them once in a fixed order, and
// afterwards each runs when its control changes.
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/settings/general_parameters.h"
#include "plugin/settings/settings_dialogs.h"

using namespace gp;

// The three operations that can be left out apply to complete forms only.
void CGeneralParameters::onFormsMode() {
    const bool complete = checked(kRadioCompleteForms);
    for (int id : {kCheckNoTapping, kCheckNoReaming, kCheckNoSpotDrill}) enable(id, complete);
}

void CGeneralParameters::onDrillAngleMode() {
    const bool adapt = checked(kRadioAdaptAngle);
    enable(kCheckPreferLarger, !adapt);
    enable(kCheckWarnAngle, !adapt);
}

void CGeneralParameters::onBreakthroughMode() {
    if (checked(kRadioBreakPercent)) {
        enable(kEditBreakFixed, false);
        enable(kEditBreakPercent, true);
    } else if (checked(kRadioBreakFixed)) {
        enable(kEditBreakFixed, true);
        enable(kEditBreakPercent, false);
    }
}

void CGeneralParameters::onSubprograms() {
    const bool on = checked(kCheckSubprograms);
    enable(kRadioAbsolute, on);
    enable(kRadioIncremental, on);
}

void CGeneralParameters::onPartialDrilling() { enable(kEditFirstFace, checked(kCheckTryDrill)); }

void CGeneralParameters::onDrillingSideCheck() {
    sideEnabled = static_cast<std::int16_t>(checked(kCheckDrillingSide) ? 1 : 0);
    enable(kButtonDrillingSide, sideEnabled != 0);
}

void CGeneralParameters::enableByCheck(int check, int button) { enable(button, checked(check)); }

void CGeneralParameters::onSpotDrillOverride() {
    const bool on = checked(kCheckSpotOverride);
    for (int id : {kRadioSpotByDiameter, kRadioSpotFromLibrary, kEditSpotDiameter, kLabelSpotName, kButtonChangeSpot,
                   kLabelSpotDepth, kEditSpotPercent, kLabelSpotPercent, kEditSpotDepth})
        enable(id, on);
    onSpotDrillByDiameter();
    onSpotDrillFromLibrary();
}

// A spot drill by diameter or one tool of the library: the controls of the other way are disabled.
void CGeneralParameters::onSpotDrillByDiameter() {
    if (!item(kRadioSpotByDiameter).enabled()) return;
    const bool byDiameter = checked(kRadioSpotByDiameter);
    enable(kEditSpotDiameter, byDiameter);
    enable(kCheckCentreType, byDiameter && checked(kCheckAllowCentre));
    enable(kLabelSpotName, !byDiameter);
    enable(kButtonChangeSpot, !byDiameter);
}

// Taking the tool from the library with no tool named yet asks for one at once.
void CGeneralParameters::onSpotDrillFromLibrary() {
    if (!item(kRadioSpotFromLibrary).enabled()) return;
    const bool fromLibrary = checked(kRadioSpotFromLibrary);
    enable(kEditSpotDiameter, !fromLibrary);
    enable(kCheckCentreType, !fromLibrary && checked(kCheckAllowCentre));
    enable(kLabelSpotName, fromLibrary);
    enable(kButtonChangeSpot, fromLibrary);
    if (fromLibrary && trimReplaceBlanksStr(item(kLabelSpotName).text(), 0).empty()) chooseSpotDrill();
}

void CGeneralParameters::onCentreDrill() {
    if (!checked(kCheckAllowCentre))
        enable(kCheckCentreType, false);
    else if (checked(kRadioSpotByDiameter))
        enable(kCheckCentreType, true);
}

// The spot drill's diameter, depth percentage and depth are kept in step: the depth follows a typed
// diameter or percentage, the percentage a typed depth. Fields being loaded tie nothing.
void CGeneralParameters::onSpotDiameterChange() {
    if (loading_) return;
    const double depth = typedNumber(item(kEditSpotDiameter).text()) * typedNumber(item(kEditSpotPercent).text()) / 100;
    item(kEditSpotDepth).setText(formatValue(g_fmtCoarse, depth));
}

void CGeneralParameters::onSpotDepthPercentChange() {
    if (loading_ || focusedId() != kEditSpotPercent) return;
    onSpotDiameterChange();
}

// Without a diameter the depth says nothing of the percentage, which stays as it is.
void CGeneralParameters::onSpotDepthChange() {
    if (loading_ || focusedId() != kEditSpotDepth) return;
    const double diameter = typedNumber(item(kEditSpotDiameter).text());
    if (diameter == 0) return;
    const double percent = typedNumber(item(kEditSpotDepth).text()) / diameter * 100;
    item(kEditSpotPercent).setText(formatValue(g_fmtCoarse, percent));
}

void CGeneralParameters::onFirstToolNumberChange() {
    if (typedWhole(item(kEditFirstToolNumber).text()) < 1) item(kEditFirstToolNumber).setText("1");
}

void CGeneralParameters::onDivide(int neverRadio, int oppositeCheck) { enable(oppositeCheck, !checked(neverRadio)); }

void CGeneralParameters::onLongToolMode() {
    const bool twoTools = checked(kRadioLongThenLong);
    for (int id : {kLabelLongStart, kRadioLongFromTop, kRadioLongFromMax}) enable(id, twoTools);
}
