// The frame of the general parameters: its pages, texts, the precision check and OK. The template puts
// the pages side by side; the opening lays them over one another under the tab control, and a tab shows
// its page's controls and hides the others'.
#include "plugin/settings/general_parameters.h"

#include "plugin/base/globals.h"
#include "plugin/base/settings.h"
#include "plugin/base/text_fill.h"
#include "plugin/settings/settings_dialogs.h"

using namespace gp;

namespace {

constexpr int kTabLines[kPageCount] = {120, 121, 122, 123, 124};

// The labelled controls of the pages and the line each shows; the rest keep their template's text.
constexpr std::pair<int, int> kControlLines[] = {
    {kButtonDefaults, 4}, {kButtonColours, 6}, {kButtonChangeLibrary, 7}, {kGroupRecognition, 8},
    {kGroupOperations, 9}, {kButtonToolCriteria, 10}, {kLabelLibrary, 11}, {kGroupToolLibrary, 12},
    {kButtonReadWrite, 13}, {kButtonDrillingSide, 15}, {kRadioCompleteForms, 17}, {kCheckIntelligent, 18},
    {kRadioSpotOnly, 19}, {kRadioSpotAndDrill, 20}, {kCheckNoTapping, 21}, {kCheckNoReaming, 22},
    {kCheckNearestTool, 23}, {kCheckAddNewTools, 24}, {kGroupDiameters, 25}, {kLabelMinDiameter, 26},
    {kLabelMaxDiameter, 27}, {kCheckCollisions, 28}, {kCheckUseStock, 29}, {kButtonEditLibrary, 31},
    {kLabelMissingTool, 32}, {kGroupTipAngle, 33}, {kLabelTipFrom, 34}, {kLabelTipTo, 35}, {kLabelTipUnit, 36},
    {kRadioAdaptAngle, 37}, {kRadioIgnoreAngle, 38}, {kCheckWarnAngle, 39}, {kButtonLevels, 40},
    {kLabelInitialHeight, 41}, {kLabelRetractHeight, 42}, {kLabelPrecision, 44}, {kGroupBreakthrough, 45},
    {kRadioBreakFixed, 46}, {kLabelFirstToolNumber, 47}, {kLabelBreakUnit, 48}, {kButtonSelectedViews, 49},
    {kCheckAllowCentre, 50}, {kGroupSpotDrill, 51}, {kCheckSpotOverride, 52}, {kRadioSpotByDiameter, 53},
    {kRadioSpotFromLibrary, 54}, {kButtonChangeSpot, 55}, {kLabelSpotDepth, 56}, {kLabelSpotPercent, 57},
    {kCheckCentreType, 58}, {kCheckKeepPartTools, 59}, {kCheckSubprograms, 61}, {kRadioAbsolute, 62},
    {kRadioIncremental, 63}, {kCheckClearanceEnds, 65}, {kLabelClearanceAdd, 66}, {kCheckNoSpotDrill, 69},
    {kGroupOpenSpace, 71}, {kLabelOpenSpace, 72}, {kLabelOpenSpaceUnit, 73}, {kCheckTwoFaces, 74},
    {kGroupMaxDepth, 76}, {kLabelMaxDepth, 77}, {kCheckTryDrill, 78}, {kLabelFirstFace, 79},
    {kRadioLongThenLong, 80}, {kRadioLongWhole, 81}, {kRadioLongWarn, 82}, {kLabelLongCycle, 83},
    {kGroupBottomZone, 85}, {kLabelZoneDeeper, 87}, {kLabelZoneAtMax, 88}, {kLabelLongStart, 90},
    {kRadioLongFromTop, 91}, {kRadioLongFromMax, 92}, {kCheckPreferLarger, 99}, {kButtonViewsSort, 101},
    {kButtonStrategies, 111}, {kButtonDrillingList, 130}, {kButtonMachiningTime, 131}, {kGroupReaming, 141},
    {kRadioReamProcess, 142}, {kRadioReamReamer, 143}, {kRadioReamBoring, 144}, {kGroupThroughShapes, 150},
    {kLabelThroughShapes, 151}, {kGroupDivideReamed, 152}, {kGroupDivideNotReamed, 153},
    {kRadioReamedAlways, 154}, {kRadioReamedDeeper, 155}, {kRadioReamedNever, 156},
    {kRadioNotReamedAlways, 157}, {kRadioNotReamedDeeper, 158}, {kRadioNotReamedNever, 159},
    {kLabelReamedFactor, 160}, {kLabelNotReamedFactor, 161}, {kCheckNotReamedOpposite, 162},
    {kCheckReamedOpposite, 163}, {kGroupSingleReamed, 170}, {kCheckReamOnlyMarked, 171},
    {kButtonSharedData, 202}, {kButtonAdvRecognition, 203},
};

// Metric and inch precisions; each list ends at its first negative entry.
constexpr double kMetricPrecisions[] = {0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, -1.0};
constexpr double kInchPrecisions[] = {0.0002, 0.0004, 0.001, 0.002, 0.004, 0.01, 0.02, -1.0};

}  // namespace

std::vector<double> CGeneralParameters::precisions(bool metric) {
    return metric ? tableEntries(kMetricPrecisions) : tableEntries(kInchPrecisions);
}

CGeneralParameters::CGeneralParameters() : plat::Dialog(kTemplate) { bindHandlers(); }

bool CGeneralParameters::onInitDialog() {
    if (texts_.load(g_globals->uiTextFile, "ParametersDlg", false) != 0) {
        // Without its texts the dialog ends as confirmed, and stores nothing.
        plat::Dialog::onOK();
        return true;
    }
    buildPages();
    layPagesOver();
    showPage(0);
    setTexts();
    loadValues();
    if (reopenCode == kPickPoint) onDrillingSide();
    if (selViews.readFromPart() == 0 || selViews.getCount() == 0)
        selViews.fillFromNamedViews();
    else
        selViews.syncWithNamedViews();
    return true;
}

// A control's page is the hundreds digit of its id (general_parameters_ids.h).
void CGeneralParameters::buildPages() {
    plat::Control& tab = item(kTab);
    tab.resetContent();
    for (auto& page : pages_) page.clear();
    pageCount_ = kPageCount;
    for (int p = 0; p < kPageCount; ++p) tab.insertString(p, texts_.getText(kTabLines[p]));
    for (const auto& c : controls()) {
        const int page = c->id() / 100 - 41;
        if (c->id() >= 4100 && page >= 0 && page < kPageCount) pages_[static_cast<std::size_t>(page)].push_back(c->id());
    }
}

void CGeneralParameters::layPagesOver() {
    const int pageWidth = clientRect().width() / pageCount_;
    const plat::Rect window = windowRect();
    moveWindow({window.left, window.top, window.left + (window.width() - clientRect().width()) + pageWidth + 2,
                window.bottom});
    for (int p = 1; p < pageCount_; ++p) {
        for (int id : pages_[static_cast<std::size_t>(p)]) {
            plat::Rect r = item(id).rect();
            r.left -= p * pageWidth;
            r.right -= p * pageWidth;
            item(id).move(r);
        }
    }
    plat::Control& tab = item(kTab);
    plat::Rect r = tab.rect();
    r.right = r.left + pageWidth - 2 * r.left - 2;
    tab.move(r);
    tab.show(true);
}

void CGeneralParameters::showPage(int index) {
    for (int p = 0; p < pageCount_; ++p)
        for (int id : pages_[static_cast<std::size_t>(p)]) item(id).show(p == index);
    // The warning for blind holes deeper than the longest drill is kept but never offered.
    item(kCheckWarnMaxDepth).show(false);
    item(kTab).setCurSel(index);
}

void CGeneralParameters::setTexts() {
    CTextSection menu;
    (void)menu.load(g_globals->uiTextFile, "ForantixMenu", false);
    setWindowText(fillText(texts_.getText(1), {menu.getText(g_globals->metric() ? 1 : 2)}));
    item(plat::IDOK).setText(texts_.getText(2));
    item(plat::IDCANCEL).setText(texts_.getText(3));
    for (const auto& [id, line] : kControlLines) item(id).setText(texts_.getMessage(line));
}

int CGeneralParameters::validate(bool showMessages) {
    const std::vector<double> list = precisions(g_globals->metric());
    return holdTypedInLimits(*this, kComboPrecision, list.front(), 2 * list.back(), errorMessage(301), errorMessage(302),
                             g_globals->metric() ? "%.3f" : "%.4f", showMessages);
}

// What the pages hold reaches the settings only here. A typed value outside the range its setting keeps
// goes back to what it was, and the user is told which.
void CGeneralParameters::onOK() {
    if (validate(true) != 0) return;
    const std::vector<double> before = decimalSettings();
    storeValues();
    keepValidDecimals(before);
    endDialog(plat::IDOK);
}
