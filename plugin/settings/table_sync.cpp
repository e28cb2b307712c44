// Keeps a station's local copy of the table library in step with the shared copy, by the tables' last-write
// times against the index of the last synchronisation. The publishing station marks the library busy in its
// own state file and in the shared forms folder (a state file of the same form there); a refreshing
// station waits while it is busy and repeats a refresh during which the shared tables moved, so its copy is
// the old library or the new one, never a mix.
#include <algorithm>
#include <cctype>
#include <map>

#include "host/api.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/settings.h"

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

}  // namespace

namespace {

std::vector<ScannedTable> scanTables(const CSharedData& shared, const std::string& libraryDir, bool* anyChanged) {
    std::vector<ScannedTable> tables;
    *anyChanged = false;
    for (const plat::FileEntry& entry : plat::findFiles(libraryDir, "*.tab")) {
        if (entry.isDir) continue;
        ScannedTable table{titleOf(entry.name), entry.lastWrite, true};
        std::int64_t known = 0;
        if (shared.findIndexTime(table.title, &known) > 0 && table.lastWrite <= known) table.changed = false;
        *anyChanged = *anyChanged || table.changed;
        tables.push_back(std::move(table));
    }
    return tables;
}

}  // namespace

bool CSharedData::sharedBusy(const std::string& libraryName) {
    readShBlock(libraryName, g_globals->sharedFormsDir);
    if (shBlock[0] != 0) return true;
    readShBlock(libraryName);
    return shBlock[0] != 0;
}

// Up to waitCount + 1 reads with a pause after each busy one; false when the library is still busy.
bool CSharedData::waitWhileBusy(const std::string& libraryName) {
    for (int read = 0; read <= waitCount; ++read) {
        if (!sharedBusy(libraryName)) return true;
        mprintf(" w");
        plat::sleepMs(waitSeconds * 1000);
    }
    return false;
}

int CSharedData::updateLocalTables(const std::string& libraryName) {
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
    for (int attempt = 0; attempt <= waitCount; ++attempt) {
        if (readOnly && !waitWhileBusy(libraryName)) break;
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
    showError(texts_.getMessage(102));
    return -1;
}

int CSharedData::publishLocalTables(const std::string& libraryName) {
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

    auto markBusy = [&](std::uint8_t busy) {
        for (const std::string& dir : {g_globals->formsDir, g_globals->sharedFormsDir}) {
            readShBlock(libraryName, dir);
            shBlock[0] = busy;
            writeShBlock();
        }
    };
    markBusy(1);
    clearNewEntries();
    std::int64_t newest = 0;
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
        (void)plat::copyFile(tab, tableFile(sharedDir, table.title, ".tab"), false);
        (void)plat::copyFile(tableFile(localDir, table.title, ".txt"), tableFile(sharedDir, table.title, ".txt"), false);
    }
    writeIndexFile(libraryName);
    markBusy(0);
    return 0;
}
