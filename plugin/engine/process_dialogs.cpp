// The change-process and clearance dialogs.
#include "plugin/engine/process_dialogs.h"

#include "platform/sys/paths.h"
#include "plugin/base/globals.h"

CDlgChangeProcess::CDlgChangeProcess(plat::Dialog*) : plat::Dialog(kTemplate) {}

bool CDlgChangeProcess::onInitDialog() {
    if (!processNames) processCount = 0;
    plat::Control& list = item(kList);
    list.resetContent();
    for (int i = 0; i < processCount; ++i) list.addString(processNames[i]);
    selectCurrent(currentName);
    return true;
}

int CDlgChangeProcess::selectCurrent(const std::string& name) {
    plat::Control& list = item(kList);
    int found = -1;
    for (int i = 0; i < list.count(); ++i)
        if (plat::equalsNoCase(list.itemText(i), name)) found = i;
    if (found >= 0) list.setCurSel(found);
    return found;
}

void CDlgChangeProcess::onOK() {
    plat::Control& list = item(kList);
    chosenName = list.curSel() >= 0 ? list.itemText(list.curSel()) : std::string();
    endDialog(plat::IDOK);
}

void CDlgChangeProcess::onCancel() {
    chosenName.clear();
    endDialog(plat::IDCANCEL);
}

CDlgOpDefaults::CDlgOpDefaults(plat::Dialog*) : plat::Dialog(kTemplate) {}

bool CDlgOpDefaults::onInitDialog() {
    if (texts.load(g_globals->uiTextFile, "OpDefaultsDlg", false) != 0) {
        endDialog(plat::IDOK);
        return true;
    }
    setWindowText(texts.getText(1));
    item(plat::IDOK).setText(texts.getText(2));
    item(plat::IDCANCEL).setText(texts.getText(3));
    item(kClearanceCheck).setText(texts.getText(4));
    item(kClearanceCheck).setCheck(useClearanceStartEnd);
    return true;
}

void CDlgOpDefaults::doDataExchange(plat::Ddx& ddx) { ddx.radio(4227, radioChoice); }

void CDlgOpDefaults::onOK() {
    updateData(true);
    useClearanceStartEnd = static_cast<std::int16_t>(item(kClearanceCheck).check());
    endDialog(plat::IDOK);
}
