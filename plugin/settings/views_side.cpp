// The drilling side of single through holes and the views sort: two dialogs about the drilling views.
// The drilling side's P is world coordinates as the host's pick gives it.
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/settings/settings_dialogs.h"

// ---- drilling side ------------------------------------------------------------------------------------------

CDlgDrillingSideSettings::CDlgDrillingSideSettings() : plat::Dialog(kTemplate) {
    // What was typed before the pick is dropped: the dialog opens again with the picked point.
    onCommand(kPick, [this] { endDialog(kPickPoint); });
}

bool CDlgDrillingSideSettings::onInitDialog() {
    // Without its texts the dialog still works, with those of its template.
    (void)texts_.load(g_globals->uiTextFile, "DrillingSideSettingsDlg", false);
    setWindowText(texts_.getText(1));
    item(18094).setText(texts_.getMessage(2));
    item(18095).setText(texts_.getText(3));
    item(plat::IDOK).setText(texts_.getText(7));
    item(plat::IDCANCEL).setText(texts_.getText(8));
    item(kFromPoint).setText(texts_.getText(11));
    item(kTowardsPoint).setText(texts_.getText(12));
    item(kPick).setText(texts_.getText(31));
    item(18096).setText(texts_.getText(32));
    item(18097).setText(texts_.getText(33));
    item(18102).setText(texts_.getText(34));
    item(kX).setText(formatValue(g_fmtFine, point[0]));
    item(kY).setText(formatValue(g_fmtFine, point[1]));
    item(kZ).setText(formatValue(g_fmtFine, point[2]));
    item(kFromPoint).setCheck(mode == 0 ? 1 : 0);
    item(kTowardsPoint).setCheck(mode == 0 ? 0 : 1);
    return true;
}

void CDlgDrillingSideSettings::onOK() {
    point[0] = typedNumber(item(kX).text());
    point[1] = typedNumber(item(kY).text());
    point[2] = typedNumber(item(kZ).text());
    mode = item(kFromPoint).check() != 0 ? 0 : 1;
    endDialog(plat::IDOK);
}

// ---- views sort ---------------------------------------------------------------------------------------------

namespace {

constexpr int kSortCount = 4, kOrientationCount = 4;

// The ticked button of the buttons first, first + 1, ...; -1 when none is.
int tickedOf(plat::Dialog& dlg, int first, int count) {
    for (int i = 0; i < count; ++i)
        if (dlg.item(first + i).check() != 0) return i;
    return -1;
}

void tickOnly(plat::Dialog& dlg, int first, int count, int index) {
    for (int i = 0; i < count; ++i) dlg.item(first + i).setCheck(i == index ? 1 : 0);
}

}  // namespace

CDlgViewsSort::CDlgViewsSort() : plat::Dialog(kTemplate) {
    for (int i = 0; i < kSortCount; ++i) onCommand(kSortFirst + i, [this] { labelOrientations(); });
    onCommand(kSupportGeometry, [this] { enableSupportGeometry(); });
}

bool CDlgViewsSort::onInitDialog() {
    if (texts_.load(g_globals->uiTextFile, "ViewsSortDlg", false) != 0) {
        endDialog(0);
        return true;
    }
    const PRM_SETTINGS& s = g_globals->settings;
    setWindowText(texts_.getText(1));
    for (int i = 0; i < kSortCount; ++i) item(kSortFirst + i).setText(texts_.getText(2 + i));
    item(plat::IDOK).setText(texts_.getText(11));
    item(plat::IDCANCEL).setText(texts_.getText(12));
    item(4300).setText(texts_.getMessage(31));
    item(kNameViews).setText(texts_.getText(41));
    item(kSupportGeometry).setText(texts_.getText(61));
    item(kInclinedOnly).setText(texts_.getText(62));
    // A mode outside the buttons' range ticks none; OK then keeps it as it was.
    tickOnly(*this, kOrientFirst, kOrientationCount, orientation);
    tickOnly(*this, kSortFirst, kSortCount, sortMode);
    item(kNameViews).setCheck(nameViews != 0 ? 1 : 0);
    item(kSupportGeometry).setCheck(s.supportGeometryOn != 0 ? 1 : 0);
    item(kSupportLevel).setText(std::to_string(s.supportGeometryLevel));
    item(kInclinedOnly).setCheck(s.supportGeometryInclinedOnly != 0 ? 1 : 0);
    item(kOrientX).enable(false);
    labelOrientations();
    enableSupportGeometry();
    return true;
}

// Orientation buttons 1 and 2 name the world axis of the chosen sort: X, Y, or Z (also for no sort).
void CDlgViewsSort::labelOrientations() {
    const int sort = tickedOf(*this, kSortFirst, kSortCount);
    const std::string axis = texts_.getText(sort == 1 ? 21 : sort == 2 ? 22 : 23);
    item(kOrientFirst).setText(texts_.getText(32));
    item(kOrientFirst + 1).setText(fillText(texts_.getText(33), {axis}));
    item(kOrientFirst + 2).setText(fillText(texts_.getText(34), {axis}));
    item(kOrientFirst + 3).setText(texts_.getText(35));
}

void CDlgViewsSort::enableSupportGeometry() {
    const bool on = item(kSupportGeometry).check() != 0;
    item(kSupportLevel).enable(on);
    item(kInclinedOnly).enable(on);
}

void CDlgViewsSort::onOK() {
    PRM_SETTINGS& s = g_globals->settings;
    // The radio group's value even when no button is ticked (-1): the views are then kept in the order of
    // their host views, as unsorted.
    sortMode = static_cast<std::int16_t>(tickedOf(*this, kSortFirst, kSortCount));
    if (const int o = tickedOf(*this, kOrientFirst, kOrientationCount); o >= 0) orientation = static_cast<std::int16_t>(o);
    nameViews = item(kNameViews).check() != 0 ? 1 : 0;
    s.supportGeometryOn = static_cast<std::int16_t>(item(kSupportGeometry).check() != 0 ? 1 : 0);
    s.supportGeometryInclinedOnly = static_cast<std::int16_t>(item(kInclinedOnly).check() != 0 ? 1 : 0);
    s.supportGeometryLevel = static_cast<std::int32_t>(typedWhole(item(kSupportLevel).text()));
    endDialog(plat::IDOK);
}
