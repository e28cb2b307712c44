// The plug-in's message dialog: texts and buttons by mode, the result and the check box read back at the end.
#include "plugin/base/message_box.h"

#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"

namespace {

// The controls a mode shows, with the line of "MessageBoxDlg" each one reads (0: none).
struct MODE_CONTROLS {
    int checkLine, okLine, thirdLine, cancelLine;
};

MODE_CONTROLS modeControls(int mode) {
    switch (mode) {
    case 0: return {0, 0, 3, 0};
    case 1: return {0, 3, 0, 11};
    case 2: return {2, 3, 0, 4};
    case 3: return {2, 3, 0, 0};
    default: return {0, 0, 0, 0};
    }
}

}  // namespace

CMessageBox::CMessageBox(plat::Dialog* parent) : plat::Dialog(kTemplate), parentWindow_(parent) {
    onCommand(kThirdButton, [this] { finish(1); });
}

int CMessageBox::run() {
    const int code = doModalInPluginRes(*this, parentWindow_);
    return code == 1 ? 1 : 2;
}

void CMessageBox::doDataExchange(plat::Ddx& dx) {
    dx.check(kCheck, dontShowAgain);
    dx.text(kText, text);
}

bool CMessageBox::onInitDialog() {
    plat::Dialog::onInitDialog();
    (void)texts.load(g_globals.constructed() ? g_globals->uiTextFile : std::string(), "MessageBoxDlg", false);
    setWindowText(texts.getText(1));

    const MODE_CONTROLS shown = modeControls(mode);
    struct {
        int id, line;
    } const controls[] = {
        {kCheck, shown.checkLine}, {plat::IDOK, shown.okLine}, {kThirdButton, shown.thirdLine},
        {plat::IDCANCEL, shown.cancelLine}};
    int firstShown = 0;
    for (const auto& c : controls) {
        plat::Control& ctl = item(c.id);
        const bool show = c.line != 0;
        // Cancel stays enabled while hidden: the dialog manager ignores Esc on a disabled Cancel, and the
        // box promises that Esc ends it with 2 in every mode.
        ctl.enable(show || c.id == plat::IDCANCEL);
        ctl.show(show);
        if (!show) continue;
        ctl.setText(texts.getText(c.line));
        if (firstShown == 0) firstShown = c.id;
    }
    updateData(false);
    if (firstShown != 0) {
        item(firstShown).setFocus();
        return false;
    }
    return true;
}

void CMessageBox::onOK() { finish(1); }
void CMessageBox::onCancel() { finish(2); }

void CMessageBox::finish(int code) {
    result = static_cast<std::int16_t>(code);
    updateData(true);
    texts.clear();
    endDialog(code);
}
