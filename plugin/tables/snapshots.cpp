// Snapshot copies of a table's two files in the work folder, "<tmp>/<F>_T01_<title>.tab" and ".txt", F the
// name of the folder that holds the table, so that tables of one title in two libraries keep apart.
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/model/tab_cols_desc.h"

namespace {

struct SNAPSHOT_NAMES {
    std::string tableFile, rowsFile, tableCopy, rowsCopy;
};

SNAPSHOT_NAMES snapshotNames(const std::string& tablePath) {
    const plat::PathParts parts = plat::splitPath(tablePath);
    const std::string folder = plat::splitPath(plat::removeTrailingSeparators(parts.dir)).name;
    const std::string base = parts.drive + parts.dir + parts.name;
    const std::string copy = plat::joinPath(g_globals->tmpDir, folder + "_T01_" + parts.name);
    return {base + ".tab", base + ".txt", copy + ".tab", copy + ".txt"};
}

bool existsReadOnly(const std::string& file) { return plat::fileExists(file) && !plat::canWrite(file); }

}  // namespace

int CTabColsDesc::backupFiles() const {
    if (name.empty() || path.empty()) return 0;
    const SNAPSHOT_NAMES n = snapshotNames(path);
    if (existsReadOnly(n.tableCopy) || existsReadOnly(n.rowsCopy)) return 1;
    (void)plat::copyFile(n.tableFile, n.tableCopy, false);
    (void)plat::copyFile(n.rowsFile, n.rowsCopy, false);
    return 0;
}

int CTabColsDesc::restoreFiles() const {
    if (name.empty() || path.empty()) return 0;
    const SNAPSHOT_NAMES n = snapshotNames(path);
    if (!plat::readFile(n.tableCopy) || !plat::readFile(n.rowsCopy)) return 0;
    (void)plat::copyFile(n.tableCopy, n.tableFile, false);
    (void)plat::copyFile(n.rowsCopy, n.rowsFile, false);
    return 0;
}
