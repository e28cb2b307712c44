// The choice of a table library, and stand-ins for the shared data manager and the watcher of the request
// flag (docs/seams.md): the manager closes at once, and the watcher only polls its stop byte.
#include "plugin/services/settings.h"
#include "plugin/settings/shared_library.h"

#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"


WATCHER_CTL g_watcherCtl;

bool CDlgSharedDataMgr::onInitDialog() {
    endDialog(plat::IDCANCEL);
    return true;
}

bool CDlgSharedLibNF::onInitDialog() {
    CTextSection texts;
    if (texts.load(g_globals->uiTextFile, "DlgSharedLibNF", false) != 0) {
        endDialog(plat::IDOK);
        return true;
    }
    const bool local = variant != 0;
    setWindowText(texts.getText(local ? 2 : 1));
    item(plat::IDOK).setText(texts.getText(11));
    item(plat::IDCANCEL).setText(texts.getText(12));
    const int message = (local ? 31 : 21) + (library.empty() ? 0 : 1);
    item(18063).setText(fillText(texts.getMessage(message), {library}));
    item(18064).setText(texts.getMessage(local ? 33 : 23));
    if (folders) {
        for (const std::string& name : *folders) item(18062).addString(name);
        if (!folders->empty()) item(18062).setCurSel(0);
    }
    return true;
}

void CDlgSharedLibNF::onOK() {
    const plat::Control& combo = item(18062);
    choice = combo.curSel() >= 0 ? combo.itemText(combo.curSel()) : std::string();
    plat::Dialog::onOK();
}

plat::Periodic startSharedDataWatcher(WATCHER_CTL* ctl) {
    return plat::startPeriodic("sharedDataWatcher", 200, [ctl] { return ctl->stop.load() == 0; });
}

