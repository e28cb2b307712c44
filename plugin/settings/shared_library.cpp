// Stand-ins for the shared library's dialogs and watcher (docs/seams.md): the dialogs close at once, and the
// watcher only polls its stop byte.
#include "plugin/services/settings.h"
#include "plugin/settings/shared_library.h"


WATCHER_CTL g_watcherCtl;

bool CDlgSharedDataMgr::onInitDialog() {
    endDialog(plat::IDCANCEL);
    return true;
}

bool CDlgSharedLibNF::onInitDialog() {
    endDialog(plat::IDCANCEL);
    return true;
}

plat::Periodic startSharedDataWatcher(WATCHER_CTL* ctl) {
    return plat::startPeriodic("sharedDataWatcher", 200, [ctl] { return ctl->stop.load() == 0; });
}

