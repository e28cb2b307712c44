// Keeps a station's local copy of the table library in step with the shared copy, by the tables' last-write
// times against the index of the last synchronisation, and by their bytes where a time cannot tell (a table
// written within the second its index entry was made, or whose rows file is newer than the entry). Every
// table a publication replaces takes a time later than the shared copy's, so that a refresh sees it by its
// time however soon it follows the last. The publishing station marks the library busy in its
// own state file and in the shared forms folder (a state file of the same form there) and publishes all or
// nothing through a staging folder; a refreshing station waits while it is busy (a publisher that is gone
// is recognised, its work finished or dropped) and repeats a refresh during which the shared tables moved,
// so its copy is the old library or the new one, never a mix.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>

#include "host/api.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/process.h"
#include "platform/sys/text_lines.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/progress_box.h"
#include "plugin/base/settings.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/settings/shared_data.h"
#include "plugin/services/tables.h"
#include "plugin/settings/shared_library.h"

namespace {

struct ScannedTable {
    std::string title;
    std::int64_t lastWrite = 0;
    bool changed = false;
    std::uint64_t lostMark = 0;   // its rows file was lost here (the index's mark): it is only ever copied again
};

std::string titleOf(const std::string& fileName) { return fileName.substr(0, fileName.size() - 4); }

std::string tableFile(const std::string& libraryDir, const std::string& title, const char* ext) {
    return plat::joinPath(libraryDir, title + ext);
}

std::string lowerName(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// The last-write times and sizes of every ".tab" and ".txt" of a folder, by lower-cased name: what a refresh compares
// before and after copying to see whether a publication ran meanwhile.
std::map<std::string, std::pair<std::int64_t, std::int64_t>> folderTimes(const std::string& dir) {
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> times;
    for (const char* pattern : {"*.tab", "*.txt"})
        for (const plat::FileEntry& entry : plat::findFiles(dir, pattern))
            if (!entry.isDir) times[lowerName(entry.name)] = {entry.lastWrite, entry.size};
    return times;
}

void showError(const std::string& text) { plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OK); }

// The titles of a publication's list, one a line; none from a list whose last line has no end: cut short, it
// is no list of the whole publication.
std::optional<std::vector<std::string>> listedTitles(const std::string& list) {
    std::vector<std::string> titles;
    for (const plat::TextLine& line : plat::splitLines(list)) {
        if (!plat::endsLine(line.raw)) return std::nullopt;
        titles.emplace_back(line.text);
    }
    return titles;
}

std::string errnoText() { return std::strerror(errno != 0 ? errno : EIO); }

bool isPlainFile(const std::string& path) { return plat::entryKind(path) == plat::EntryKind::File; }

}  // namespace

namespace {

// Whether both files of the table hold the same bytes in the two folders.
bool sameTable(const std::string& dirA, const std::string& dirB, const std::string& title) {
    for (const char* ext : {".tab", ".txt"}) {
        const auto a = plat::readFile(tableFile(dirA, title, ext)), b = plat::readFile(tableFile(dirB, title, ext));
        if (!a || !b || *a != *b) return false;
    }
    return true;
}

// The tables of `libraryDir` and whether each changed since the index. A table missing from `copyDir` (when
// given) is due whatever the index says: a local copy lost is copied again. One whose rows file alone is lost,
// or that cannot be read whole, the index marks (markLostRowsFiles), which makes it due as well. With
// `publishedDir`, a table whose time cannot tell (indexTimeUnsure, or its rows file written after the time
// indexed) changed when its bytes differ from the copy there; only those few tables are read.
std::vector<ScannedTable> scanTables(const CSharedFolder& shared, const std::string& libraryDir, bool* anyChanged,
                                     const std::string& copyDir = "", const std::string& publishedDir = "") {
    std::vector<ScannedTable> tables;
    *anyChanged = false;
    const auto times = publishedDir.empty() ? decltype(folderTimes(libraryDir)){} : folderTimes(libraryDir);
    for (const plat::FileEntry& entry : plat::findFiles(libraryDir, "*.tab")) {
        if (entry.isDir || !acceptPlainName(titleOf(entry.name))) continue;
        ScannedTable table{titleOf(entry.name), entry.lastWrite, true};
        std::int64_t known = 0;
        const bool copied = copyDir.empty() || plat::fileExists(tableFile(copyDir, table.title, ".tab"));
        const int at = shared.findIndexTime(table.title, &known);
        const std::uint64_t indexed = at > 0 ? shared.indexEntries[static_cast<std::size_t>(at - 1)].lastWrite : 0;
        if (rowsFileLostMark(indexed)) table.lostMark = indexed;
        if (copied && at > 0 && table.lastWrite <= known) {
            const auto rows = times.find(lowerName(table.title + ".txt"));
            const bool unsure = indexTimeUnsure(indexed) || (rows != times.end() && rows->second.first > known);
            table.changed = !publishedDir.empty() && unsure && !sameTable(libraryDir, publishedDir, table.title);
        }
        *anyChanged = *anyChanged || table.changed;
        tables.push_back(std::move(table));
    }
    return tables;
}

}  // namespace

// A rows file written after the loss, by whatever path, holds only what was added since: the mark stays
// until a refresh copies the shared table again, and the index keeps it whoever rewrites it meanwhile. A copy
// that cannot be read whole (a crash, a full disk or a sync client left it cut, emptied or full of NUL bytes)
// is lost as well: taken for the table, it would lose the shared table's rows at the next publication.
void CSharedFolder::markLostRowsFiles(const std::string& libraryName) {
    const std::string localDir = plat::joinPath(g_globals->formsDir, libraryName);
    const std::string sharedDir = plat::joinPath(g_globals->sharedFormsDir, libraryName);
    bool marked = false;
    for (const plat::FileEntry& entry : plat::findFiles(localDir, "*.tab")) {
        const std::string title = titleOf(entry.name);
        std::int64_t known = 0;
        const int at = entry.isDir ? 0 : findIndexTime(title, &known);
        if (at == 0) continue;
        SHARED_FILE_ENTRY& indexed = indexEntries[static_cast<std::size_t>(at - 1)];
        if (rowsFileLostMark(indexed.lastWrite)) continue;
        // A rows file of no byte is an empty table only when the shared one is empty too.
        const std::optional<plat::WRITE_STAMP> shared = plat::writeStamp(tableFile(sharedDir, title, ".txt"));
        if (plat::fileExists(tableFile(localDir, title, ".txt")) &&
            storedTableDamage(tableFile(localDir, title, ".tab"), !shared || shared->size > 0).empty())
            continue;
        marked = true;
        indexed.lastWrite = kRowsFileLost;
    }
    if (marked)
        writeIndexFile(libraryName, indexEntries);
}

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

// A publication is staged beside the library, in a folder listing stations do not see, named after its
// publisher from the start: the folder is made under a name of the publisher's own with its publisher file
// in it, and only then renamed. Once every table is staged, a list of them marks it complete, and only then
// are they moved into the library one rename each.
std::string CSharedFolder::stagingFolder(const std::string& libraryName) {
    return plat::joinPath(g_globals->sharedFormsDir, "." + libraryName + ".publish");
}

namespace {

// The publisher a staging folder names, with the time its name was written: none from a folder whose
// publisher file is missing or no plain file (such a folder is never a publication: the name comes first).
std::optional<std::pair<ACCESS_HOLDER, std::int64_t>> stagingPublisher(const std::string& staging) {
    const std::string file = plat::joinPath(staging, "publisher.dat");
    if (!isPlainFile(file)) return std::nullopt;
    const std::optional<std::int64_t> written = plat::lastWriteTime(file);
    if (!written) return std::nullopt;
    return std::pair{decodeAccessHolder(plat::readFile(file).value_or("")), *written};
}

// Folders a publisher made under a name of its own and never renamed (killed in between), once it is gone.
void dropUnnamedStagings(const std::string& libraryName, std::int64_t now) {
    const std::string prefix = "." + libraryName + ".publish.";
    for (const plat::FileEntry& entry : plat::findFiles(g_globals->sharedFormsDir, "*.*")) {
        if (entry.name.size() <= prefix.size() || entry.name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string path = plat::joinPath(g_globals->sharedFormsDir, entry.name);
        const auto publisher = stagingPublisher(path);
        const std::int64_t written = publisher ? publisher->second : entry.lastWrite;
        if (holderState(publisher ? publisher->first : ACCESS_HOLDER{}, g_globals->pluginDir, written, now) ==
            HolderState::Gone)
            (void)plat::removeTree(path);
    }
}

}  // namespace

bool CSharedFolder::recoverPublication(const std::string& libraryName, ACCESS_HOLDER* running) {
    const std::string staging = stagingFolder(libraryName);
    const std::string sharedDir = plat::joinPath(g_globals->sharedFormsDir, libraryName);
    readShBlock(libraryName, g_globals->sharedFormsDir);
    const bool busy = shBlock[0] != 0;
    const std::int64_t now = sharedFolderNow(folder);
    dropUnnamedStagings(libraryName, now);
    if (const plat::EntryKind kind = plat::entryKind(staging); kind != plat::EntryKind::None) {
        // Only a folder of its own is a publication: a link would move another folder's files.
        std::optional<std::pair<ACCESS_HOLDER, std::int64_t>> publisher;
        if (kind == plat::EntryKind::Folder) {
            publisher = stagingPublisher(staging);
            // A publisher moves its folder aside before removing it, so the folder under this name names
            // its publisher while it runs. Found without a name, it may have been moved aside between the
            // two looks and the next publication's put in its place: dropped, that one would lose its
            // tables and its busy mark, and a refresh copy its tables half taken in.
            if (!publisher) {
                if (plat::entryKind(staging) != plat::EntryKind::Folder) return true;
                publisher = stagingPublisher(staging);
            }
        }
        if (publisher &&
            holderState(publisher->first, g_globals->pluginDir, publisher->second, now) == HolderState::Running) {
            if (running) *running = publisher->first;
            return false;
        }
        // A publisher that is gone: what it staged in full goes in, a part of it never does, nor anything
        // but a plain file by a plain name (a link would put the file it names into every station's copy).
        const std::string list = plat::joinPath(staging, "complete.dat");
        const auto titles = publisher && isPlainFile(list) ? listedTitles(plat::readFile(list).value_or(""))
                                                           : std::nullopt;
        if (titles)
            for (const std::string& title : *titles) {
                if (!isPlainName(title)) continue;
                for (const char* ext : {".tab", ".txt"})
                    if (isPlainFile(tableFile(staging, title, ext)))
                        (void)plat::replaceFile(tableFile(staging, title, ext), tableFile(sharedDir, title, ext));
            }
        // The mark goes while the folder still holds the name, which no new publication can take meanwhile.
        if (busy) setBusy(libraryName, g_globals->sharedFormsDir, 0);
        (void)plat::removeTree(staging);
        return true;
    }
    if (busy && now - plat::lastWriteTime(shFile).value_or(0) <= kHolderGoneSeconds) {
        // Marked by a publisher that stages nothing (an older version): only the mark's age tells.
        if (running) *running = ACCESS_HOLDER{};
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
    markLostRowsFiles(libraryName);
    // A share out of reach (unmounted), or one that changes while it is read, costs no local table: a table
    // is deleted only by a listing of the shared copy that still holds once the deletions are decided.
    const auto unread = [&] {
        showError(fillText(texts_.getMessage(136), {sharedDir}));
        return 0;
    };
    if (!plat::dirExists(sharedDir)) {
        // A share that holds the forms folder is mounted: it only lacks this library, which holds no table.
        if (!plat::dirExists(g_globals->sharedFormsDir)) return unread();
        showError(fillText(texts_.getMessage(109), {sharedDir}));
        return 0;
    }
    const auto listed = folderTimes(sharedDir);
    const auto changedSinceListed = [&] { return !plat::dirExists(sharedDir) || folderTimes(sharedDir) != listed; };
    bool anyChanged = false;
    if (scanTables(*this, sharedDir, &anyChanged, localDir).empty()) {
        if (changedSinceListed()) return unread();
        showError(fillText(texts_.getMessage(109), {sharedDir}));
        return 0;
    }
    // Tables the shared copy no longer has go, whether or not anything else changed; but for those it never
    // held, which this station left out as it made the library there: they stay with their mark.
    std::vector<std::string> unshared;
    std::vector<SHARED_FILE_ENTRY> leftOut;
    for (const plat::FileEntry& entry : plat::findFiles(localDir, "*.tab")) {
        if (listed.contains(lowerName(entry.name))) continue;
        std::int64_t known = 0;
        if (const int at = findIndexTime(titleOf(entry.name), &known);
            at > 0 && indexEntries[static_cast<std::size_t>(at - 1)].lastWrite == kRowsFileLostUnshared)
            leftOut.push_back(indexEntries[static_cast<std::size_t>(at - 1)]);
        else
            unshared.push_back(titleOf(entry.name));
    }
    if (!unshared.empty() && changedSinceListed()) return unread();
    for (const std::string& title : unshared) {
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
        (void)plat::removeTree(stagingDir);
        const auto before = folderTimes(sharedDir);
        clearNewEntries();
        for (const SHARED_FILE_ENTRY& entry : leftOut) appendNewEntry(entry);
        std::vector<std::string> staged;
        bool stopped = false;
        bool gone = false;
        for (const ScannedTable& table : scanTables(*this, sharedDir, &anyChanged, localDir)) {
            if (table.changed && !stopped) {
                const std::string tab = tableFile(sharedDir, table.title, ".tab");
                const std::string txt = tableFile(sharedDir, table.title, ".txt");
                const std::string stagedTab = tableFile(stagingDir, table.title, ".tab");
                if (isPlainFile(tab) && isPlainFile(txt) && plat::createDirectories(stagingDir) &&
                    plat::copyFile(tab, stagedTab, false, plat::Flush::none) &&
                    plat::copyFile(txt, tableFile(stagingDir, table.title, ".txt"), false, plat::Flush::none)) {
                    // A shared table that cannot be read whole is not taken for the table: the station keeps its
                    // copy and the index what it knew, so the next refresh looks at it again.
                    if (const std::string damage = storedTableDamage(stagedTab, false); !damage.empty()) {
                        showError(fillText(texts_.getMessage(140), {tab, damage}));
                    } else {
                        appendNewEntry({table.title, fileTimeOfSeconds(table.lastWrite)});
                        staged.push_back(table.title);
                        continue;
                    }
                } else if (!plat::dirExists(sharedDir)) {
                    // The share went away while its tables were copied: told once, nothing taken in.
                    gone = true;
                    break;
                } else if (plat::messageBox(nullptr, fillText(texts_.getMessage(104), {tab}), errorMessage(1),
                                            plat::MB_OKCANCEL) == plat::IDCANCEL) {
                    stopped = true;
                }
            } else if (!table.changed) {
                // The entry is kept as it was, with a mark that its time cannot tell (this refresh did not look
                // at the local copy's bytes).
                std::int64_t known = 0;
                const int at = findIndexTime(table.title, &known);
                appendNewEntry({table.title, at > 0 && known == table.lastWrite
                                                 ? indexEntries[static_cast<std::size_t>(at - 1)].lastWrite
                                                 : fileTimeOfSeconds(table.lastWrite)});
                continue;
            }
            // A table not taken keeps what the index knew of it (or stays out), so the next refresh tries it
            // again.
            std::int64_t known = 0;
            if (const int at = findIndexTime(table.title, &known); at > 0) appendNewEntry(indexEntries[at - 1]);
        }
        if (gone) {
            (void)plat::removeTree(stagingDir);
            return unread();
        }
        // A publication that began or ended while the tables were copied: the staged copy may mix both
        // libraries, so it is made again from the library as it is now.
        if (readOnly && (sharedBusy(libraryName) || folderTimes(sharedDir) != before)) continue;
        if (!staged.empty() && ensureTablesFolder(localDir) < 0) {
            (void)plat::removeTree(stagingDir);
            return 0;
        }
        // A table half taken in (its table file new, its rows file not) is no table: marked as one whose
        // rows file is lost, it is copied again at the next refresh and no publication takes it meanwhile.
        for (const std::string& title : staged)
            for (const char* ext : {".tab", ".txt"})
                if (!plat::copyFile(tableFile(stagingDir, title, ext), tableFile(localDir, title, ext), false)) {
                    for (SHARED_FILE_ENTRY& e : newEntries)
                        if (e.name == title) e.lastWrite = kRowsFileLost;
                    break;
                }
        (void)plat::removeTree(stagingDir);
        writeIndexFile(libraryName);
        return 0;
    }
    (void)plat::removeTree(stagingDir);
    if (!cancelled) showError(texts_.getMessage(102));
    return -1;
}

int CSharedFolder::publishLocalTables(const std::string& libraryName) {
    const std::string sharedDir = plat::joinPath(g_globals->sharedFormsDir, libraryName);
    const std::string localDir = plat::joinPath(g_globals->formsDir, libraryName);
    readIndexFile(libraryName);
    markLostRowsFiles(libraryName);
    bool anyChanged = false;
    // A share without this library gets every table, whatever the index says was published.
    const bool noLibrary = plat::dirExists(g_globals->sharedFormsDir) && !plat::dirExists(sharedDir);
    std::vector<ScannedTable> tables = scanTables(*this, localDir, &anyChanged, noLibrary ? sharedDir : "", sharedDir);
    if (tables.empty()) {
        showError(fillText(texts_.getMessage(110), {localDir}));
        return 0;
    }
    bool markedOwn = false;
    for (ScannedTable& table : tables) {
        const std::string tab = tableFile(localDir, table.title, ".tab");
        if (table.lostMark == kRowsFileLostUnshared) {
            // Left out of the library as its rows file was lost, and the share never held it: this copy is the
            // table once its rows file is whole again (the user brought it back), and goes out as a new one.
            if (plat::fileExists(tableFile(localDir, table.title, ".txt")) && storedTableDamage(tab, true).empty()) {
                table.lostMark = 0;
                table.changed = true;
            }
        } else if (table.lostMark == 0 && table.changed && !storedTableDamage(tab, false).empty()) {
            // A table of this station's own that cannot be read whole (one the index knows is marked already)
            // stays out until it can, kept as one the share never held: no refresh deletes it meanwhile.
            table.lostMark = kRowsFileLostUnshared;
            indexEntries.push_back({table.title, kRowsFileLostUnshared});
            markedOwn = true;
        }
    }
    if (markedOwn)
        writeIndexFile(libraryName, indexEntries);
    // A table whose rows file was lost here is never published: whatever rows file it has by now was not
    // read whole, and the shared one is the table.
    anyChanged =
        std::any_of(tables.begin(), tables.end(), [](const ScannedTable& t) { return t.changed && t.lostMark == 0; });
    if (!anyChanged) return 0;
    // A share out of reach (unmounted) is not made again at its path, where the next refresh would find only
    // this publication: only the library is made, in a forms folder the share holds.
    if (!plat::dirExists(g_globals->sharedFormsDir)) {
        showError(fillText(texts_.getMessage(137), {sharedDir}));
        return 0;
    }
    // Only the station the running flag names publishes: one whose access was taken over works read-only.
    if (!keepReadWriteAccess(folder)) return 0;
    // A publication left by a publisher that is gone is finished or dropped first; one still running (a
    // station that kept running after its access was taken over) is left alone, and this one waits.
    const auto waitFor = [this](const ACCESS_HOLDER& publisher) {
        showError(fillText(texts_.getMessage(135), {holderText(publisher)}));
        return 0;
    };
    ACCESS_HOLDER running;
    if (!recoverPublication(libraryName, &running)) return waitFor(running);

    const std::string staging = stagingFolder(libraryName);
    const std::string making = staging + "." + plat::machineName() + "." + std::to_string(plat::processId());
    const std::string publisher = encodeAccessHolder(accessHolderOf(g_globals->pluginDir));
    (void)plat::removeTree(making);
    if (!plat::createDirectory(making) || !plat::writeFile(plat::joinPath(making, "publisher.dat"), publisher) ||
        !plat::moveFile(making, staging)) {
        const std::string reason = errnoText();
        (void)plat::removeTree(making);
        if (const auto other = stagingPublisher(staging)) return waitFor(other->first);   // begun meanwhile
        showError(fillText(texts_.getMessage(128), {staging, reason}));
        return 0;
    }
    setBusy(libraryName, g_globals->formsDir, 1);
    setBusy(libraryName, g_globals->sharedFormsDir, 1);
    clearNewEntries();
    const auto sharedTimes = folderTimes(sharedDir);
    std::int64_t newest = 0;
    std::string staged;
    std::string failed, reason;
    int failedLine = 128;
    for (const ScannedTable& table : tables) {
        if (table.lostMark != 0) {
            // Left out of the library this publication makes, it is one the share never held.
            appendNewEntry({table.title, noLibrary ? kRowsFileLostUnshared : table.lostMark});
            continue;
        }
        // A table replaced on the share takes a time later than the copy it replaces: a refresh that took that
        // copy within its second, or whose rows alone changed since, sees it by its time.
        std::int64_t time = table.lastWrite;
        if (const auto there = sharedTimes.find(lowerName(table.title + ".tab"));
            table.changed && there != sharedTimes.end() && there->second.first >= time)
            time = there->second.first + 1;
        appendNewEntry({table.title, fileTimeOfSeconds(time)});
        newest = std::max(newest, time);
        if (!table.changed) continue;
        CTabColsDesc desc;
        const std::string tab = tableFile(localDir, table.title, ".tab");
        // The stamp written keeps the table's time: the index says the table was published as of that time,
        // and a refresh takes a table whose time is not the one it knows; at the time of the write, two
        // publications within one second would look alike and a refresh between them keep half of the first.
        if (desc.loadByName(tab) == 0) {
            desc.bmpTime = newest;
            (void)desc.write();
        }
        (void)plat::setLastWriteTime(tab, time);
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
    // The library is made only now: made empty by a publication that failed before, it would pass for one
    // holding every table the index lists, and no later publication would take them there.
    if (failed.empty() && ensureTablesFolder(sharedDir) >= 0) {
        for (const std::string& title : listedTitles(staged).value_or(std::vector<std::string>{}))
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
    // Moved aside before it is removed: under the library's name it always names its publisher.
    (void)plat::removeTree(plat::moveFile(staging, making) ? making : staging);
    setBusy(libraryName, g_globals->formsDir, 0);
    if (!failed.empty()) showError(fillText(texts_.getMessage(failedLine), {failed, reason}));
    return 0;
}
