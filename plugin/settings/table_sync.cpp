// Keeps a station's local copy of the table library in step with the shared copy, by the tables' last-write
// times against the index of the last synchronisation. The publishing station marks the library busy in its
// own state file and in the shared forms folder (a state file of the same form there) and publishes all or
// nothing through a staging folder; a refreshing station waits while it is busy (a publisher that is gone
// is recognised, its work finished or dropped) and repeats a refresh during which the shared tables moved,
// so its copy is the old library or the new one, never a mix.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>

#include "host/api.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/progress_box.h"
#include "plugin/base/settings.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/settings/shared_data.h"

namespace {

struct ScannedTable {
    std::string title;
    std::int64_t lastWrite = 0;
    bool changed = false;
};

std::string titleOf(const std::string& fileName) { return fileName.substr(0, fileName.size() - 4); }

std::string tableFile(const std::string& libraryDir, const std::string& title, const char* ext) {
    return plat::joinPath(libraryDir, title + ext);
}

// The last-write times and sizes of every ".tab" and ".txt" of a folder, by lower-cased name: what a refresh compares
// before and after copying to see whether a publication ran meanwhile.
std::map<std::string, std::pair<std::int64_t, std::int64_t>> folderTimes(const std::string& dir) {
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> times;
    for (const char* pattern : {"*.tab", "*.txt"})
        for (const plat::FileEntry& entry : plat::findFiles(dir, pattern)) {
            std::string key = entry.name;
            for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (!entry.isDir) times[key] = {entry.lastWrite, entry.size};
        }
    return times;
}

// Empties and removes a staging folder.
void removeFolderFiles(const std::string& dir) {
    for (const plat::FileEntry& entry : plat::findFiles(dir, "*.*"))
        if (!entry.isDir) plat::removeFile(plat::joinPath(dir, entry.name));
    plat::removeDirectory(dir);
}

void showError(const std::string& text) { plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OK); }

// The titles of a publication's list, one a line.
std::vector<std::string> listedTitles(const std::string& list) {
    std::vector<std::string> titles;
    std::size_t at = 0;
    for (std::size_t eol; (eol = list.find('\n', at)) != std::string::npos; at = eol + 1)
        titles.push_back(list.substr(at, eol - at));
    return titles;
}

std::string errnoText() { return std::strerror(errno != 0 ? errno : EIO); }

}  // namespace

namespace {

std::vector<ScannedTable> scanTables(const CSharedFolder& shared, const std::string& libraryDir, bool* anyChanged) {
    std::vector<ScannedTable> tables;
    *anyChanged = false;
    for (const plat::FileEntry& entry : plat::findFiles(libraryDir, "*.tab")) {
        if (entry.isDir || !acceptPlainName(titleOf(entry.name))) continue;
        ScannedTable table{titleOf(entry.name), entry.lastWrite, true};
        std::int64_t known = 0;
        if (shared.findIndexTime(table.title, &known) > 0 && table.lastWrite <= known) table.changed = false;
        *anyChanged = *anyChanged || table.changed;
        tables.push_back(std::move(table));
    }
    return tables;
}

}  // namespace

bool CSharedFolder::sharedBusy(const std::string& libraryName) {
    readShBlock(libraryName, g_globals->sharedFormsDir);
    if (shBlock[0] != 0) return true;
    readShBlock(libraryName);
    return shBlock[0] != 0;
}

void CSharedFolder::setBusy(const std::string& libraryName, const std::string& dir, std::uint8_t busy) {
    readShBlock(libraryName, dir);
    shBlock[0] = busy;
    writeShBlock();
}

// A publication is staged beside the library, in a folder listing stations do not see, with a file naming
// its publisher; once every table is staged, a list of them marks it complete, and only then are they moved
// into the library one rename each.
std::string CSharedFolder::stagingFolder(const std::string& libraryName) {
    return plat::joinPath(g_globals->sharedFormsDir, "." + libraryName + ".publish");
}

bool CSharedFolder::recoverPublication(const std::string& libraryName) {
    const std::string staging = stagingFolder(libraryName);
    const std::string sharedDir = plat::joinPath(g_globals->sharedFormsDir, libraryName);
    const std::string publisherFile = plat::joinPath(staging, "publisher.dat");
    readShBlock(libraryName, g_globals->sharedFormsDir);
    const bool busy = shBlock[0] != 0;
    if (plat::dirExists(staging)) {
        // A publisher that has not written its name yet is as new as its folder.
        const std::int64_t written =
            plat::lastWriteTime(publisherFile).value_or(plat::lastWriteTime(staging).value_or(plat::nowSeconds()));
        const ACCESS_HOLDER publisher = decodeAccessHolder(plat::readFile(publisherFile).value_or(""));
        if (holderState(publisher, g_globals->pluginDir, written) == HolderState::Running) return false;
        // A publisher that is gone: what it staged in full goes in, a part of it never does.
        if (const auto complete = plat::readFile(plat::joinPath(staging, "complete.dat")))
            for (const std::string& title : listedTitles(*complete)) {
                if (!isPlainName(title)) continue;
                for (const char* ext : {".tab", ".txt"})
                    if (plat::fileExists(tableFile(staging, title, ext)))
                        (void)plat::replaceFile(tableFile(staging, title, ext), tableFile(sharedDir, title, ext));
            }
        removeFolderFiles(staging);
    } else if (busy && plat::nowSeconds() - plat::lastWriteTime(shFile).value_or(0) <= kHolderGoneSeconds) {
        // Marked by a publisher that stages nothing (an older version): only the mark's age tells.
        return false;
    }
    if (busy) setBusy(libraryName, g_globals->sharedFormsDir, 0);
    return true;
}

// Up to waitCount + 1 reads with a pause after each busy one, in a wait box the user can cancel; false when
// the library is still busy or the user cancelled.
bool CSharedFolder::waitWhileBusy(const std::string& libraryName, bool* cancelled) {
    // This station's own mark is never a publication in progress: the refresh and the publication run in turn.
    readShBlock(libraryName);
    if (shBlock[0] != 0) setBusy(libraryName, "", 0);
    CProgressBox box;
    for (int read = 0; read <= waitCount; ++read) {
        if (!sharedBusy(libraryName) || recoverPublication(libraryName)) return true;
        if (!box.active) box.open(texts_.getText(1), texts_.getMessage(129));
        for (int slice = 0; slice < waitSeconds * 4; ++slice) {
            if (box.step() != 0) {
                *cancelled = true;
                return false;
            }
            plat::sleepMs(250);
        }
    }
    return false;
}

int CSharedFolder::updateLocalTables(const std::string& libraryName) {
    const std::string sharedDir = plat::joinPath(g_globals->sharedFormsDir, libraryName);
    const std::string localDir = plat::joinPath(g_globals->formsDir, libraryName);
    readIndexFile(libraryName);
    bool anyChanged = false;
    if (scanTables(*this, sharedDir, &anyChanged).empty()) {
        showError(fillText(texts_.getMessage(109), {sharedDir}));
        return 0;
    }
    // Tables the shared copy no longer has go, whether or not anything else changed.
    for (const plat::FileEntry& entry : plat::findFiles(localDir, "*.tab")) {
        const std::string title = titleOf(entry.name);
        if (plat::fileExists(tableFile(sharedDir, title, ".tab"))) continue;
        plat::removeFile(tableFile(localDir, title, ".tab"));
        plat::removeFile(tableFile(localDir, title, ".txt"));
    }
    if (!anyChanged) return 0;

    // The changed tables are gathered in a staging folder first and taken into the library only when no
    // publication ran while they were copied; a library that stays busy leaves the local copy as it was.
    const std::string stagingDir = plat::joinPath(g_globals->formsDir, "." + libraryName + ".sync");
    const bool readOnly = g_globals->sharedAccessMode == 0;
    bool cancelled = false;
    for (int attempt = 0; attempt <= waitCount; ++attempt) {
        if (readOnly && !waitWhileBusy(libraryName, &cancelled)) break;
        removeFolderFiles(stagingDir);
        const auto before = folderTimes(sharedDir);
        clearNewEntries();
        std::vector<std::string> staged;
        bool stopped = false;
        for (const ScannedTable& table : scanTables(*this, sharedDir, &anyChanged)) {
            if (table.changed && !stopped) {
                const std::string tab = tableFile(sharedDir, table.title, ".tab");
                const std::string txt = tableFile(sharedDir, table.title, ".txt");
                if (plat::fileExists(tab) && plat::fileExists(txt) && plat::createDirectories(stagingDir) &&
                    plat::copyFile(tab, tableFile(stagingDir, table.title, ".tab"), false) &&
                    plat::copyFile(txt, tableFile(stagingDir, table.title, ".txt"), false)) {
                    appendNewEntry({table.title, fileTimeOfSeconds(table.lastWrite)});
                    staged.push_back(table.title);
                    continue;
                }
                if (plat::messageBox(nullptr, fillText(texts_.getMessage(104), {tab}), errorMessage(1),
                                     plat::MB_OKCANCEL) == plat::IDCANCEL)
                    stopped = true;
            } else if (!table.changed) {
                appendNewEntry({table.title, fileTimeOfSeconds(table.lastWrite)});
                continue;
            }
            // A table not taken keeps what the index knew of it (or stays out), so the next refresh tries it
            // again.
            std::int64_t known = 0;
            if (const int at = findIndexTime(table.title, &known); at > 0) appendNewEntry(indexEntries[at - 1]);
        }
        // A publication that began or ended while the tables were copied: the staged copy may mix both
        // libraries, so it is made again from the library as it is now.
        if (readOnly && (sharedBusy(libraryName) || folderTimes(sharedDir) != before)) continue;
        if (!staged.empty() && ensureTablesFolder(localDir) < 0) {
            removeFolderFiles(stagingDir);
            return 0;
        }
        for (const std::string& title : staged)
            for (const char* ext : {".tab", ".txt"})
                if (!plat::copyFile(tableFile(stagingDir, title, ext), tableFile(localDir, title, ext), false))
                    newEntries.erase(std::remove_if(newEntries.begin(), newEntries.end(),
                                                    [&](const SHARED_FILE_ENTRY& e) { return e.name == title; }),
                                     newEntries.end());
        removeFolderFiles(stagingDir);
        writeIndexFile(libraryName);
        return 0;
    }
    removeFolderFiles(stagingDir);
    if (!cancelled) showError(texts_.getMessage(102));
    return -1;
}

int CSharedFolder::publishLocalTables(const std::string& libraryName) {
    const std::string sharedDir = plat::joinPath(g_globals->sharedFormsDir, libraryName);
    const std::string localDir = plat::joinPath(g_globals->formsDir, libraryName);
    readIndexFile(libraryName);
    bool anyChanged = false;
    const std::vector<ScannedTable> tables = scanTables(*this, localDir, &anyChanged);
    if (tables.empty()) {
        showError(fillText(texts_.getMessage(110), {localDir}));
        return 0;
    }
    if (!anyChanged || ensureTablesFolder(sharedDir) < 0) return 0;
    // A publication left by a publisher that is gone is finished or dropped first; one still running (a
    // station that kept running after its access was taken over) is left alone, and this one waits.
    if (!recoverPublication(libraryName)) return 0;

    const std::string staging = stagingFolder(libraryName);
    const std::string publisher = encodeAccessHolder(accessHolderOf(g_globals->pluginDir));
    if (!plat::createDirectories(staging) || !plat::writeFile(plat::joinPath(staging, "publisher.dat"), publisher)) {
        const std::string reason = errnoText();
        removeFolderFiles(staging);
        showError(fillText(texts_.getMessage(128), {staging, reason}));
        return 0;
    }
    setBusy(libraryName, g_globals->formsDir, 1);
    setBusy(libraryName, g_globals->sharedFormsDir, 1);
    clearNewEntries();
    std::int64_t newest = 0;
    std::string staged;
    std::string failed, reason;
    int failedLine = 128;
    for (const ScannedTable& table : tables) {
        appendNewEntry({table.title, fileTimeOfSeconds(table.lastWrite)});
        newest = std::max(newest, table.lastWrite);
        if (!table.changed) continue;
        CTabColsDesc desc;
        const std::string tab = tableFile(localDir, table.title, ".tab");
        if (desc.loadByName(tab) == 0) {
            desc.bmpTime = newest;
            (void)desc.write();
        }
        for (const char* ext : {".tab", ".txt"}) {
            errno = 0;
            if (plat::copyFile(tableFile(localDir, table.title, ext), tableFile(staging, table.title, ext), false))
                continue;
            failed = tableFile(localDir, table.title, ext);
            reason = !plat::fileExists(failed) ? texts_.getMessage(130) : errnoText();
            break;
        }
        if (!failed.empty()) break;
        staged += table.title + "\n";
    }
    // All or nothing: a table that cannot be staged leaves the library and the index as they were, so that
    // the next publication tries every changed table again.
    if (failed.empty() && !plat::writeFile(plat::joinPath(staging, "complete.dat"), staged)) {
        failed = plat::joinPath(staging, "complete.dat");
        reason = errnoText();
    }
    if (failed.empty()) {
        for (const std::string& title : listedTitles(staged))
            for (const char* ext : {".tab", ".txt"}) {
                if (plat::replaceFile(tableFile(staging, title, ext), tableFile(sharedDir, title, ext))) continue;
                // Staged in full yet not taken in (a folder in its place): it keeps what the index knew of it,
                // so that it is published again.
                failed = tableFile(sharedDir, title, ext);
                reason = errnoText();
                failedLine = 131;
                std::int64_t known = 0;
                const int at = findIndexTime(title, &known);
                const std::uint64_t knownTime = at > 0 ? indexEntries[static_cast<std::size_t>(at - 1)].lastWrite : 0;
                for (SHARED_FILE_ENTRY& e : newEntries)
                    if (plat::equalsNoCase(e.name, title)) e.lastWrite = knownTime;
            }
        writeIndexFile(libraryName);
    }
    setBusy(libraryName, g_globals->sharedFormsDir, 0);
    removeFolderFiles(staging);
    setBusy(libraryName, g_globals->formsDir, 0);
    if (!failed.empty()) showError(fillText(texts_.getMessage(failedLine), {failed, reason}));
    return 0;
}
