// The settings behind the controls of the five pages: loading them into the controls and storing them
// back. Check boxes store 1 or 0; a radio group stores its ticked button's index (a stored value no
// button stands for ticks none and is kept); percentages kept as fractions show times 100.
#include <cmath>

#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/cycle_names.h"
#include "plugin/base/globals.h"
#include "plugin/base/number_text.h"
#include "plugin/settings/general_parameters.h"
#include "plugin/settings/settings_dialogs.h"

using namespace gp;

namespace {

using S = PRM_SETTINGS;

struct CHECK_SETTING {
    int id;
    std::int16_t S::*member;
};
constexpr CHECK_SETTING kChecks[] = {
    {kCheckCollisions, &S::checkCollisions},       {kCheckNoReaming, &S::skipReaming},
    {kCheckNoTapping, &S::skipTapping},            {kCheckNoSpotDrill, &S::skipSpotDrills},
    {kCheckIntelligent, &S::intelligentProcess},   {kCheckDrillingList, &S::drillingListOn},
    {kCheckMachiningTime, &S::machiningTimeListOn}, {kCheckUseStock, &S::useStock},
    {kCheckToolCriteria, &S::toolSequencingOption}, {kCheckAddNewTools, &S::addNewTools},
    {kCheckNearestTool, &S::takeNearestTool},      {kCheckPreferLarger, &S::preferLargerAngle},
    {kCheckWarnAngle, &S::warnDrillAngle},         {kCheckSpotOverride, &S::overrideSpotDrill},
    {kCheckAllowCentre, &S::allowCenterDrill},     {kCheckCentreType, &S::centerDrillType},
    {kCheckKeepPartTools, &S::keepPartTools},      {kCheckSubprograms, &S::subprogramsOn},
    {kCheckClearanceEnds, &S::clearanceAtEndsOnly}, {kCheckTwoFaces, &S::drillFromBothFaces},
    {kCheckTryDrill, &S::tryDrillBeyondMax},       {kCheckWarnMaxDepth, &S::warnMaxDepth},
    {kCheckReamedOpposite, &S::drillMinorThroughA}, {kCheckNotReamedOpposite, &S::drillMinorThroughB},
    {kCheckReamOnlyMarked, &S::reamOnlyOnMarkedSide},
};

enum class Shown { Length, Short, OneDecimal, Degrees, Trimmed };
struct NUMBER_SETTING {
    int id;
    double S::*member;
    Shown shown;
    double scale;   // shown = stored x scale
};
// The spot drill's diameter comes before its percentage and depth: typing the diameter sets the depth.
constexpr NUMBER_SETTING kNumbers[] = {
    {kEditMinDiameter, &S::minDiameter, Shown::Length, 1},
    {kEditMaxDiameter, &S::maxDiameter, Shown::Length, 1},
    {kEditTipFrom, &S::minDrawnTipAngle, Shown::Degrees, 1},
    {kEditTipTo, &S::maxDrawnTipAngle, Shown::Degrees, 1},
    {kEditSpotDiameter, &S::spotDrillDiameter, Shown::Length, 1},
    {kEditSpotPercent, &S::spotDepthPercent, Shown::OneDecimal, 1},
    {kEditSpotDepth, &S::spotDepthValue, Shown::Length, 1},
    {kEditInitialHeight, &S::initialHeight, Shown::Length, 1},
    {kEditRetractHeight, &S::retractHeight, Shown::Length, 1},
    {kEditBreakFixed, &S::breakthroughLength, Shown::Short, 1},
    {kEditBreakPercent, &S::breakthroughRatio, Shown::Short, 100},
    {kEditClearanceAdd, &S::clearanceAddition, Shown::Short, 1},
    {kEditOpenSpace, &S::openSpaceFactor, Shown::Trimmed, 1},
    {kEditFirstFace, &S::firstFaceShare, Shown::Trimmed, 100},
    {kEditReamedFactor, &S::divideReamedDepth, Shown::Short, 1},
    {kEditNotReamedFactor, &S::divideNotReamedDepth, Shown::Short, 1},
};

struct RADIO_SETTING {
    std::int16_t S::*member;
    int ids[3];
    int count;
};
constexpr RADIO_SETTING kRadios[] = {
    {&S::machiningExtent, {kRadioCompleteForms, kRadioSpotOnly, kRadioSpotAndDrill}, 3},
    {&S::spotDrillByName, {kRadioSpotByDiameter, kRadioSpotFromLibrary, 0}, 2},
    {&S::breakthroughMode, {kRadioBreakFixed, kRadioBreakPercent, 0}, 2},
    {&S::subprogramsIncremental, {kRadioAbsolute, kRadioIncremental, 0}, 2},
    {&S::reamingToolChoice, {kRadioReamProcess, kRadioReamReamer, kRadioReamBoring}, 3},
    {&S::longToolStrategy, {kRadioLongThenLong, kRadioLongWhole, kRadioLongWarn}, 3},
    {&S::penetrationMode, {kRadioZoneAtMax, kRadioZoneDeeper, 0}, 2},
    {&S::divideReamed, {kRadioReamedAlways, kRadioReamedDeeper, kRadioReamedNever}, 3},
    {&S::divideNotReamed, {kRadioNotReamedAlways, kRadioNotReamedDeeper, kRadioNotReamedNever}, 3},
};

std::string shownNumber(Shown shown, double value) {
    switch (shown) {
    case Shown::Length: return formatValue(g_fmtFine, value);
    case Shown::Short: return formatValue(g_fmtMedium, value);
    case Shown::OneDecimal: return formatValue(g_fmtCoarse, value);
    case Shown::Degrees: return formatValue("%.1f", value);
    case Shown::Trimmed: return formatNumber(value);
    }
    return {};
}

void tick(plat::Dialog& dlg, const int* ids, int count, int index) {
    for (int i = 0; i < count; ++i) dlg.item(ids[i]).setCheck(i == index ? 1 : 0);
}

int ticked(plat::Dialog& dlg, const int* ids, int count) {
    for (int i = 0; i < count; ++i)
        if (dlg.item(ids[i]).check() != 0) return i;
    return -1;
}

}  // namespace

void CGeneralParameters::loadValues() {
    PLUGIN_GLOBALS& g = *g_globals;
    PRM_SETTINGS& s = g.settings;
    loading_ = true;
    loadPrecision();
    fillLibraryCombo(g.libraryName);
    item(kLabelToolLibrary).setText(s.toolLibraryPath);

    for (const CHECK_SETTING& c : kChecks) item(c.id).setCheck(s.*c.member != 0 ? 1 : 0);
    for (const NUMBER_SETTING& n : kNumbers) item(n.id).setText(shownNumber(n.shown, s.*n.member * n.scale));
    for (const RADIO_SETTING& r : kRadios) tick(*this, r.ids, r.count, s.*r.member);
    // Adapting the drill angle is the first button; any stored value but 0 ticks it.
    const int angleIds[] = {kRadioAdaptAngle, kRadioIgnoreAngle};
    tick(*this, angleIds, 2, s.adaptDrillAngle != 0 ? 0 : 1);
    const int startIds[] = {kRadioLongFromTop, kRadioLongFromMax};
    tick(*this, startIds, 2, s.longToolStartAtTop != 0 ? 1 : 0);
    item(kLabelSpotName).setText(s.spotDrillName);
    item(kEditFirstToolNumber).setText(std::to_string(s.firstToolNumber));
    item(kCheckSharedLibrary).setCheck(g.sharedDataOn != 0 ? 1 : 0);
    item(kCheckSelectedViews).setCheck(s.onlySelectedViews != 0 ? 1 : 0);
    item(kCheckDrillingSide).setCheck(sideEnabled != 0 ? 1 : 0);
    onDrillingSideCheck();
    loadLongToolCycles();
    loading_ = false;

    onSharedLibrary();
    runEnablingRules();
}

// The precision list of the units; a base tolerance that is none of its entries shows in the field.
void CGeneralParameters::loadPrecision() {
    plat::Control& combo = item(kComboPrecision);
    combo.resetContent();
    const double t = g_globals->settings.baseTolerance;
    int found = -1;
    for (double v : precisions(g_globals->metric())) {
        const int at = combo.addString(formatValue(g_globals->metric() ? "%.3f" : "%.4f", v));
        if (std::abs(v - t) < 0.00001) found = at;
    }
    combo.setDroppedWidth(combo.fieldHeight() * combo.count());
    if (found >= 0)
        combo.setCurSel(found);
    else
        combo.setText(formatValue(g_fmtFine, t));
}

void CGeneralParameters::loadLongToolCycles() {
    OP_CYCLE_LIST cycles;
    cycles.load("");
    plat::Control& combo = item(kComboLongCycle);
    combo.resetContent();
    for (int i = 0; i < cycles.count; ++i) combo.addString(cycles.entries[i].name);
    combo.setCurSel(g_globals->settings.longToolCycle);
}

void CGeneralParameters::runEnablingRules() {
    onDrillAngleMode();
    onPartialDrilling();
    onBreakthroughMode();
    onSubprograms();
    onFormsMode();
    enableByCheck(kCheckSelectedViews, kButtonSelectedViews);
    enableByCheck(kCheckDrillingList, kButtonDrillingList);
    enableByCheck(kCheckMachiningTime, kButtonMachiningTime);
    onSpotDrillOverride();
    onDivide(kRadioReamedNever, kCheckReamedOpposite);
    onDivide(kRadioNotReamedNever, kCheckNotReamedOpposite);
    onCentreDrill();
    enableByCheck(kCheckToolCriteria, kButtonToolCriteria);
    onLongToolMode();
}

void CGeneralParameters::storeValues() {
    PLUGIN_GLOBALS& g = *g_globals;
    PRM_SETTINGS& s = g.settings;
    selViews.writeToPart(g_globals->settings.featuresLevel);
    if (checked(kCheckSelectedViews) && selViews.getCount() == 0) {
        plat::messageBox(this, errorMessage(143), errorMessage(1), plat::MB_OK);
        item(kCheckSelectedViews).setCheck(0);
    }
    std::copy(std::begin(sidePoint), std::end(sidePoint), g.partPoint);
    g.partPointFlag1 = sideEnabled;
    g.partPointFlag2 = sideMode;

    for (const CHECK_SETTING& c : kChecks) s.*c.member = static_cast<std::int16_t>(checked(c.id) ? 1 : 0);
    for (const NUMBER_SETTING& n : kNumbers) s.*n.member = typedNumber(item(n.id).text()) / n.scale;
    for (const RADIO_SETTING& r : kRadios)
        if (const int at = ticked(*this, r.ids, r.count); at >= 0) s.*r.member = static_cast<std::int16_t>(at);
    s.adaptDrillAngle = static_cast<std::int16_t>(checked(kRadioAdaptAngle) ? 1 : 0);
    s.longToolStartAtTop = static_cast<std::int16_t>(checked(kRadioLongFromMax) ? 1 : 0);
    s.spotDrillName = item(kLabelSpotName).text();
    s.firstToolNumber = static_cast<std::int16_t>(std::max(1L, std::min(typedWhole(item(kEditFirstToolNumber).text()), 32767L)));
    if (const int cycle = item(kComboLongCycle).curSel(); cycle >= 0) s.longToolCycle = static_cast<std::int16_t>(cycle);
    s.baseTolerance = typedNumber(item(kComboPrecision).text());

    if (const std::string library = selectedLibrary(); !library.empty()) {
        g.libraryName = library;
        g.tablesDir = plat::joinPath(g.formsDir, library);
    }
    s.toolLibraryPath = item(kLabelToolLibrary).text();
    s.onlySelectedViews = static_cast<std::int16_t>(checked(kCheckSelectedViews) ? 1 : 0);
}
