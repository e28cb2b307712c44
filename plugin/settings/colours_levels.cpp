// The colours and levels dialogs.
#include <string>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/settings/settings_dialogs.h"

// ---- colours ------------------------------------------------------------------------------------------------

CDlgColors::CDlgColors() : plat::Dialog(kTemplate) {
    onCommand(kArcButton, [this] { chooseColour(arcColor, kArcSwatch, true); });
    onCommand(kSelButton, [this] { chooseColour(selColor, kSelSwatch, false); });
    // The swatches: the number in black on its own colour.
    onCtlColor([this](int id) -> std::optional<plat::CtlColors> {
        if (id == kArcSwatch) return plat::CtlColors{plat::rgb(0, 0, 0), colorToRgb(arcColor)};
        if (id == kSelSwatch) return plat::CtlColors{plat::rgb(0, 0, 0), colorToRgb(selColor)};
        return std::nullopt;
    });
}

bool CDlgColors::onInitDialog() {
    if (texts_.load(g_globals->uiTextFile, "ColorsDlg", false) != 0) {
        plat::Dialog::onOK();
        return true;
    }
    setWindowText(texts_.getText(1));
    item(plat::IDOK).setText(texts_.getText(2));
    item(plat::IDCANCEL).setText(texts_.getText(3));
    item(kArcButton).setText(texts_.getText(4));
    item(kSelButton).setText(texts_.getText(4));
    item(kArcLabel).setText(texts_.getText(11));
    item(kSelLabel).setText(texts_.getText(12));
    showSwatch(kArcSwatch, arcColor);
    showSwatch(kSelSwatch, selColor);
    return true;
}

void CDlgColors::showSwatch(int swatch, int colour) {
    item(swatch).setText("   " + std::to_string(colour) + "   ");
    invalidate();
}

// The arc colour may be the host's selection colour, but then picked marks look like the others: the
// user is told and the choice stands.
void CDlgColors::chooseColour(int& colour, int swatch, bool warnOnSelectColour) {
    int chosen = colour;
    if (sel_color_dialog(&chosen) == 0) return;
    if (warnOnSelectColour && chosen == select_color)
        plat::messageBox(this, texts_.getMessage(101), errorMessage(1), plat::MB_OK);
    colour = chosen;
    showSwatch(swatch, colour);
}

// ---- levels -------------------------------------------------------------------------------------------------

CDlgLevelsPrm::CDlgLevelsPrm() : plat::Dialog(kTemplate) {
    onMessage(plat::Msg::Close, [this](plat::MsgArgs&) {
        storeValues();
        endDialog(plat::IDCANCEL);
    });
}

bool CDlgLevelsPrm::onInitDialog() {
    if (texts_.load(g_globals->uiTextFile, "ForantixLevelsDlg", false) != 0) {
        plat::Dialog::onOK();
        return true;
    }
    const PRM_SETTINGS& s = g_globals->settings;
    setWindowText(texts_.getText(1));
    item(4301).setText(texts_.getText(2));
    item(4302).setText(texts_.getText(3));
    item(4303).setText(texts_.getText(4));
    item(plat::IDOK).setText(texts_.getText(5));
    item(plat::IDCANCEL).setText(texts_.getText(6));
    item(4304).setText(texts_.getText(20));
    plat::Control& mode = item(kShowMode);
    mode.resetContent();
    for (int line = 21; line <= 23; ++line) mode.addString(texts_.getText(line));
    mode.setCurSel(s.formsLevelShowMode);
    item(kUndefinedLevel).setText(std::to_string(s.newFormsLevel));
    item(kFormsLevel).setText(std::to_string(s.formsLevel));
    item(kFeaturesLevel).setText(std::to_string(s.featuresLevel));
    item(kReservedLevel).setText(std::to_string(s.isolationLevel));
    item(kUndefinedLevel).setFocus();
    return true;
}

void CDlgLevelsPrm::storeValues() {
    PRM_SETTINGS& s = g_globals->settings;
    s.newFormsLevel = static_cast<std::int32_t>(typedWhole(item(kUndefinedLevel).text()));
    s.formsLevel = static_cast<std::int32_t>(typedWhole(item(kFormsLevel).text()));
    s.featuresLevel = static_cast<std::int32_t>(typedWhole(item(kFeaturesLevel).text()));
    s.isolationLevel = static_cast<std::int32_t>(typedWhole(item(kReservedLevel).text()));
    s.formsLevelShowMode = static_cast<std::int16_t>(item(kShowMode).curSel());
}

void CDlgLevelsPrm::onOK() {
    storeValues();
    endDialog(plat::IDOK);
}
