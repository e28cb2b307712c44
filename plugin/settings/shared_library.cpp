// Stand-ins for the shared library (docs/seams.md). The flag file and the folder listing are real; the
// dialogs close at once, and the watcher only polls its stop byte.
#include "plugin/services/settings.h"
#include "plugin/settings/shared_library.h"

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "plugin/base/globals.h"

WATCHER_CTL g_watcherCtl;

CSharedData::CSharedData(std::string folder) : folder_(std::move(folder)) {
    (void)texts_.load(g_globals->uiTextFile, "SharedData", false);
}

int CSharedData::runningFlag(int mode) const {
    const std::string flag = plat::joinPath(folder_, "RWrunning.dat");
    switch (mode) {
    case 0: return plat::writeFile(flag, "") ? 0 : 1;
    case 1: plat::removeFile(flag); return 0;
    case 2: return plat::fileExists(flag) ? 1 : 0;
    default: return 0;
    }
}

int listSubFolders(const std::string& folder, const std::string& libraryName, std::vector<std::string>* names) {
    if (!plat::dirExists(folder)) return -1;
    bool any = false, found = false;
    for (const plat::FileEntry& entry : plat::findFiles(folder, "*")) {
        if (!entry.isDir || entry.name.empty() || entry.name[0] == '.') continue;
        any = true;
        if (plat::equalsNoCase(entry.name, libraryName)) found = true;
        if (names) names->push_back(entry.name);
    }
    if (!any) return -2;
    return found ? 0 : 1;
}

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

int CSharedData::copyTablesToShared(const std::string&) { return 0; }
void CSharedData::copyTablesFromShared(const std::string&) {}
