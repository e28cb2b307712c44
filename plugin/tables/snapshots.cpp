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

// A table that has no rows file yet (a new one) is snapshot by its ".tab" alone, and a rows snapshot left by
// an earlier table of that name is removed, so that restoring never brings back rows the table did not have.
// A rows file that exists but cannot be copied leaves no snapshot at all rather than half of one.
int CTabColsDesc::backupFiles() const {
    if (name.empty() || path.empty()) return 0;
    const SNAPSHOT_NAMES n = snapshotNames(path);
    if (existsReadOnly(n.tableCopy) || existsReadOnly(n.rowsCopy)) return 1;
    (void)plat::copyFile(n.tableFile, n.tableCopy, false, plat::Flush::none);
    if (!plat::fileExists(n.rowsFile)) {
        (void)plat::removeFile(n.rowsCopy);
    } else if (!plat::copyFile(n.rowsFile, n.rowsCopy, false, plat::Flush::none)) {
        (void)plat::removeFile(n.tableCopy);
        (void)plat::removeFile(n.rowsCopy);
    }
    return 0;
}

// The ".tab" snapshot alone is a table that had no rows file: the rows written since go with the restore.
int CTabColsDesc::restoreFiles() const {
    if (name.empty() || path.empty()) return 0;
    const SNAPSHOT_NAMES n = snapshotNames(path);
    if (!plat::readFile(n.tableCopy)) return 0;
    if (!plat::fileExists(n.rowsCopy)) {
        (void)plat::removeFile(n.rowsFile);
    } else if (!plat::readFile(n.rowsCopy) || !plat::copyFile(n.rowsCopy, n.rowsFile, false)) {
        return 0;
    }
    (void)plat::copyFile(n.tableCopy, n.tableFile, false);
    return 0;
}
