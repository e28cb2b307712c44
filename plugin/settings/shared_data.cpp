// The files stations share: the password block, the hand-over flags (the running flag naming its holder),
// and per station the index of table times and the state block of each library. Every reader takes damaged
// or short files as the defaults.
#include "plugin/settings/shared_data.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>

#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/process.h"
#include "platform/sys/text_lines.h"
#include "platform/sys/time_text.h"
#include "platform/ui/message_box.h"
#include "plugin/base/byte_codec.h"
#include "plugin/base/globals.h"
#include "plugin/base/settings.h"
#include "plugin/base/text_fill.h"

namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kEpochTicks = 11'644'473'600ULL * kTicksPerSecond;   // 1601 to 1970

float floatAt(const std::uint8_t* p) {
    float f;
    std::memcpy(&f, p, 4);
    return f;
}

void putFloat(std::uint8_t* p, float f) { std::memcpy(p, &f, 4); }

// An index entry's fields in stored order: the title zero-filled to its 256 bytes, the ticks of its file's
// last write, then zeros to the entry's size. The head is the 16-bit count and zeros.
constexpr std::size_t kIndexTitleSize = 256;
template <class IO, class ENTRY>
void indexEntryFields(IO& io, ENTRY& e) {
    io.title(e.name);
    io(e.lastWrite);
    io.zeros(kIndexEntrySize - kIndexTitleSize - sizeof e.lastWrite);
}

struct INDEX_OUT : FIELDS_OUT {
    // A title too long for its field keeps its first 255 bytes and a zero.
    void title(const std::string& name) {
        const std::size_t n = std::min<std::size_t>(name.size(), kIndexTitleSize - 1);
        w.putBytes(name.data(), n);
        w.putZeros(kIndexTitleSize - n);
    }
    void zeros(std::size_t n) { w.putZeros(n); }
};

struct INDEX_IN : FIELDS_IN {
    // Another station's title may fill its field without a zero.
    void title(std::string& name) {
        const std::string field = r.getText(kIndexTitleSize);
        name.assign(field.data(), strnlen(field.data(), field.size()));
    }
    void zeros(std::size_t n) { (void)r.skip(n); }
};

}  // namespace

std::uint64_t fileTimeOfSeconds(std::int64_t seconds) {
    return seconds <= 0 ? kEpochTicks : kEpochTicks + static_cast<std::uint64_t>(seconds) * kTicksPerSecond;
}

std::int64_t secondsOfFileTime(std::uint64_t ticks) {
    return ticks <= kEpochTicks ? 0 : static_cast<std::int64_t>((ticks - kEpochTicks) / kTicksPerSecond);
}

CSharedFolder::CSharedFolder(std::string sharedFolder) : folder(std::move(sharedFolder)) {
    (void)texts_.load(g_globals->uiTextFile, "SharedData", false);
}

std::unique_ptr<CSharedData> makeSharedData(std::string folder) { return std::make_unique<CSharedFolder>(std::move(folder)); }

// ---- password ----------------------------------------------------------------------------------------------

int CSharedFolder::readPasswordFile() {
    passwordFile = plat::joinPath(folder, "Shared.Dat");
    passwordFileFound = plat::fileExists(passwordFile);
    if (!passwordFileFound) {
        passwordBlock.fill(0);
        return 0;
    }
    if (auto bytes = plat::readFile(passwordFile)) {
        passwordBlock.fill(0);
        std::memcpy(passwordBlock.data(), bytes->data(), std::min(bytes->size(), passwordBlock.size()));
    }
    return 0;
}

int CSharedFolder::encodePassword(std::string_view text, std::uint8_t* dest) const {
    const int n = static_cast<int>(text.size());
    if (n > kMaxPasswordLength) return -1;
    // The key changes with the moment of encoding; it travels in the block as its half.
    const std::time_t now = static_cast<std::time_t>(plat::nowSeconds());
    std::tm local{};
    localtime_r(&now, &local);
    const float key = static_cast<float>((local.tm_min + 7) * (local.tm_sec + 3));
    std::uint8_t block[8 + 4 * kMaxPasswordLength] = {};
    putFloat(block, key / 2);
    putFloat(block + 4, static_cast<float>(n));
    for (int i = 0; i < n; ++i) putFloat(block + 8 + 4 * i, static_cast<float>(static_cast<signed char>(text[i])) * key);
    std::memcpy(dest, block, 8 + 4 * static_cast<std::size_t>(n));
    return 4 * n;
}

int CSharedFolder::decodePassword(const std::uint8_t* block, std::string* text) {
    text->clear();
    const float count = floatAt(block + 4);
    const float half = floatAt(block);
    // A damaged block gives what it can: the count is clamped to the room the block has.
    if (!std::isfinite(count) || !std::isfinite(half) || count < 1) return 0;
    const int n = count >= kMaxPasswordLength ? kMaxPasswordLength : static_cast<int>(count);
    const float key = half + half;
    if (key == 0) return 0;
    for (int i = 0; i < n; ++i) {
        const float value = floatAt(block + 8 + 4 * i) / key;
        const int c = std::isfinite(value) && std::fabs(value) < 256 ? static_cast<int>(value) : 0;
        text->push_back(static_cast<char>(c));
    }
    return n;
}

int CSharedFolder::writePasswordFile() {
    if (passwordFile.empty()) return 0;
    if (plat::writeFile(passwordFile, std::string_view(reinterpret_cast<const char*>(passwordBlock.data()),
                                                       passwordBlock.size())))
        passwordFileFound = true;
    return 0;
}

std::string CSharedFolder::passwordInForce() const {
    if (!passwordFileFound) return kDefaultPassword;
    std::string text;
    decodePassword(passwordBlock.data() + 1, &text);
    return text;
}

// ---- flags -----------------------------------------------------------------------------------------------------
// The flags are not flushed to the disk: they live while their holder runs, which a power cut ends, and a flag
// left empty by one is judged by its age alone.

std::string encodeAccessHolder(const ACCESS_HOLDER& h) {
    return "station=" + h.station + "\r\nmachine=" + h.machine + "\r\nprocess=" + std::to_string(h.pid) +
           "\r\nrenewed=" + std::to_string(h.renewed) + "\r\n";
}

ACCESS_HOLDER decodeAccessHolder(std::string_view bytes) {
    ACCESS_HOLDER h;
    const auto number = [](std::string_view text) {
        std::int64_t value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        return ec == std::errc() && end == text.data() + text.size() ? value : 0;
    };
    // Up to the last second of year 9999: a time beyond that is no renewal, and no date text shows it.
    constexpr std::int64_t kLatestRenewal = 253'402'300'799;
    const auto time = [&](std::string_view text) {
        const std::int64_t value = number(text);
        return value > 0 && value <= kLatestRenewal ? value : 0;
    };
    for (const plat::TextLine& textLine : plat::splitLines(bytes)) {
        const std::string_view line = textLine.text;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "station") h.station = value;
        else if (key == "machine") h.machine = value;
        else if (key == "process") h.pid = number(value);
        else if (key == "renewed") h.renewed = time(value);
    }
    return h;
}

ACCESS_HOLDER accessHolderOf(const std::string& station) {
    return {station, plat::machineName(), plat::processId(), plat::nowSeconds()};
}

std::string holderText(const ACCESS_HOLDER& h) {
    if (h.machine.empty()) return "?";
    const std::string renewed = h.renewed > 0 ? plat::formatDateTime(h.renewed) : "?";
    return h.station + " @ " + h.machine + " (" + std::to_string(h.pid) + ", " + renewed + ")";
}

namespace {

std::string runningFlagPath(const std::string& folder) { return plat::joinPath(folder, "RWrunning.dat"); }

bool isHolder(const ACCESS_HOLDER& h, const std::string& station) {
    return h.station == station && h.machine == plat::machineName() && h.pid == plat::processId();
}

// This process's own changes to its flag, one at a time: the watcher's renewal checks that the flag is its
// own and then writes it, and a release on the main thread between the two would be undone, the flag
// written again after the cycle gave it back (a holder that no longer runs, to every other station).
std::mutex g_ownFlag;

}  // namespace

std::int64_t sharedFolderNow(const std::string& folder) {
    const std::string probe =
        plat::joinPath(folder, ".clock." + plat::machineName() + "." + std::to_string(plat::processId()));
    std::optional<std::int64_t> now;
    if (plat::writeFile(probe, "", plat::Flush::none)) now = plat::lastWriteTime(probe);
    plat::removeFile(probe);
    return now.value_or(plat::nowSeconds());
}

HolderState holderState(const ACCESS_HOLDER& holder, const std::string& station, std::int64_t written,
                        std::int64_t now) {
    if (isHolder(holder, station)) return HolderState::Mine;
    // The time the holder wrote in its flag is its own clock's, which may be hours off the others': only
    // the file's time against the folder's clock tells the age. A renewal from beyond the limit in the future
    // is a clock since mended or a holder that stopped; and as a process id is given to another process in
    // time, a silent flag of this machine is gone too.
    if (written < now - kHolderGoneSeconds || written > now + kHolderGoneSeconds) return HolderState::Gone;
    // A file of an older version, or one whose holder has not written its name yet: only its age tells.
    if (holder.machine.empty() || holder.machine != plat::machineName()) return HolderState::Running;
    return plat::processRunning(holder.pid) ? HolderState::Running : HolderState::Gone;
}

HolderState runningFlagHolder(const std::string& folder, const std::string& station, ACCESS_HOLDER* holder) {
    const std::string flag = runningFlagPath(folder);
    const std::optional<std::string> bytes = plat::readFile(flag);
    if (!bytes) return HolderState::None;
    *holder = decodeAccessHolder(*bytes);
    if (isHolder(*holder, station)) return HolderState::Mine;
    const std::int64_t now = sharedFolderNow(folder);
    return holderState(*holder, station, plat::lastWriteTime(flag).value_or(now), now);
}

bool claimRunningFlag(const std::string& folder, const std::string& station) {
    const std::string flag = runningFlagPath(folder);
    if (plat::createExclusive(flag) != plat::Creation::Created) return false;
    // Until the name is in, the empty flag counts as a running holder's (it is new).
    (void)plat::writeFile(flag, encodeAccessHolder(accessHolderOf(station)), plat::Flush::none);
    return true;
}

bool releaseRunningFlag(const std::string& folder, const std::string& station) {
    const std::lock_guard lock(g_ownFlag);
    ACCESS_HOLDER holder;
    if (runningFlagHolder(folder, station, &holder) != HolderState::Mine) return false;
    return plat::removeFile(runningFlagPath(folder));
}

Renewal renewRunningFlag(const std::string& folder, const std::string& station, ACCESS_HOLDER* holder) {
    const std::lock_guard lock(g_ownFlag);
    // A folder out of reach says nothing of who holds the access.
    if (!plat::dirExists(folder)) return Renewal::Failed;
    *holder = ACCESS_HOLDER{};
    if (runningFlagHolder(folder, station, holder) != HolderState::Mine) return Renewal::Lost;
    return plat::writeFile(runningFlagPath(folder), encodeAccessHolder(accessHolderOf(station)), plat::Flush::none)
               ? Renewal::Renewed
               : Renewal::Failed;
}

bool takeOverRunningFlag(const std::string& folder, const std::string& station, const ACCESS_HOLDER& gone) {
    const std::string flag = runningFlagPath(folder);
    const std::string aside =
        plat::joinPath(folder, ".RWrunning." + plat::machineName() + "." + std::to_string(plat::processId()));
    plat::removeFile(aside);
    if (!plat::moveFile(flag, aside)) return false;
    // What was moved aside must be the flag judged gone: a holder that renewed it (or a station that took it
    // over first) gets it back.
    const std::string moved = plat::readFile(aside).value_or("");
    const ACCESS_HOLDER was = decodeAccessHolder(moved);
    if (was.station != gone.station || was.machine != gone.machine || was.pid != gone.pid ||
        was.renewed != gone.renewed) {
        if (!plat::moveFile(aside, flag)) plat::removeFile(aside);
        return false;
    }
    plat::removeFile(aside);
    return ::claimRunningFlag(folder, station);
}

int CSharedFolder::runningFlag(int mode) const {
    switch (mode) {
    case 0: return ::claimRunningFlag(folder, g_globals->pluginDir) ? 0 : 1;
    case 1: (void)releaseRunningFlag(folder, g_globals->pluginDir); return 0;
    default: return flagFile("RWrunning.dat", mode);
    }
}

int CSharedFolder::flagFile(const char* name, int mode) const {
    const std::string flag = plat::joinPath(folder, name);
    switch (mode) {
    case 0: return plat::createExclusive(flag) == plat::Creation::Failed ? 1 : 0;
    case 1: plat::removeFile(flag); return 0;
    case 2: return plat::fileExists(flag) ? 1 : 0;
    default: return 0;
    }
}

// ---- index and state -------------------------------------------------------------------------------------------

std::string encodeIndexFile(const std::vector<SHARED_FILE_ENTRY>& entries) {
    const std::size_t n = std::min<std::size_t>(entries.size(), 0xFFFF);
    std::vector<std::uint8_t> bytes;
    ByteWriter w(bytes);
    INDEX_OUT io{{w}};
    io(static_cast<std::uint16_t>(n));
    io.zeros(kIndexHeaderSize - sizeof(std::uint16_t));
    for (std::size_t i = 0; i < n; ++i) indexEntryFields(io, entries[i]);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<SHARED_FILE_ENTRY> decodeIndexFile(std::string_view bytes) {
    std::vector<SHARED_FILE_ENTRY> entries;
    if (bytes.size() < kIndexHeaderSize) return entries;
    ByteReader r(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    INDEX_IN io{{r}};
    std::uint16_t count = 0;
    io(count);
    io.zeros(kIndexHeaderSize - sizeof count);
    // The count never reaches past the bytes the file holds.
    const std::size_t n = std::min<std::size_t>(count, r.remaining() / kIndexEntrySize);
    for (std::size_t i = 0; i < n; ++i) {
        SHARED_FILE_ENTRY entry;
        indexEntryFields(io, entry);
        entries.push_back(std::move(entry));
    }
    return entries;
}

int CSharedFolder::readIndexFile(const std::string& libraryName) {
    indexEntries.clear();
    if (auto bytes = plat::readFile(plat::joinPath(g_globals->formsDir, libraryName + ".dt")))
        indexEntries = decodeIndexFile(*bytes);
    // An entry naming a path is no table of the library: it would only steer a copy elsewhere.
    std::erase_if(indexEntries, [](const SHARED_FILE_ENTRY& e) { return !acceptPlainName(e.name); });
    return 0;
}

int CSharedFolder::findIndexTime(std::string_view title, std::int64_t* seconds) const {
    for (std::size_t i = 0; i < indexEntries.size(); ++i) {
        if (!plat::equalsNoCase(indexEntries[i].name, title)) continue;
        *seconds = secondsOfFileTime(indexEntries[i].lastWrite);
        return static_cast<int>(i) + 1;
    }
    return 0;
}

bool synchronisedTable(const std::string& tablePath, std::uint64_t* indexed) {
    const plat::PathParts table = plat::splitPath(tablePath);
    const plat::PathParts library = plat::splitPath(plat::removeTrailingSeparators(table.drive + table.dir));
    if (library.name.empty()) return false;
    const auto bytes = plat::readFile(library.drive + library.dir + library.name + library.ext + ".dt");
    if (!bytes) return false;
    for (const SHARED_FILE_ENTRY& entry : decodeIndexFile(*bytes))
        if (plat::equalsNoCase(entry.name, table.name)) {
            if (indexed) *indexed = entry.lastWrite;
            return true;
        }
    return false;
}

bool indexTimeUnsure(std::uint64_t ticks) {
    return !rowsFileLostMark(ticks) && ticks > kEpochTicks && (ticks - kEpochTicks) % kTicksPerSecond == 1;
}

int CSharedFolder::writeIndexFile(const std::string& libraryName, const std::vector<SHARED_FILE_ENTRY>& entries) const {
    // An entry of a table written this second or the last may not see a later write in that second: marked
    // so (indexTimeUnsure), the publication looks at its bytes.
    std::vector<SHARED_FILE_ENTRY> written = entries;
    const std::int64_t now = plat::nowSeconds();
    for (SHARED_FILE_ENTRY& e : written)
        if (!rowsFileLostMark(e.lastWrite) && secondsOfFileTime(e.lastWrite) + 1 >= now)
            e.lastWrite = fileTimeOfSeconds(secondsOfFileTime(e.lastWrite)) + 1;
    (void)plat::writeFile(plat::joinPath(g_globals->formsDir, libraryName + ".dt"), encodeIndexFile(written));
    return 0;
}

int CSharedFolder::readShBlock(const std::string& libraryName, const std::string& dir) {
    shFile = plat::joinPath(dir.empty() ? g_globals->formsDir : dir, libraryName + ".sh");
    shBlock.fill(0);
    if (auto bytes = plat::readFile(shFile))
        std::memcpy(shBlock.data(), bytes->data(), std::min(bytes->size(), shBlock.size()));
    return 0;
}

int CSharedFolder::writeShBlock() {
    if (shFile.empty()) return 0;
    // A busy mark lost to a power cut is no harm: the staging folder alone tells a publication left behind.
    (void)plat::writeFile(shFile, std::string_view(reinterpret_cast<const char*>(shBlock.data()), shBlock.size()),
                          plat::Flush::none);
    return 0;
}

// ---- folders -----------------------------------------------------------------------------------------------------

int listSubFolders(const std::string& dir, const std::string& libraryName, std::vector<std::string>* names) {
    if (names) names->clear();
    if (!plat::dirExists(dir)) return -1;
    bool any = false, found = false;
    for (const plat::FileEntry& entry : plat::findFiles(dir, "*.*")) {
        if (!entry.isDir || entry.name.empty() || entry.name[0] == '.' || !acceptPlainName(entry.name)) continue;
        any = true;
        if (plat::equalsNoCase(entry.name, libraryName)) found = true;
        if (names) names->push_back(entry.name);
    }
    if (!any) return -2;
    return found ? 0 : 1;
}

int countTabFiles(const std::string& dir) {
    if (!plat::dirExists(dir)) return -1;
    for (const plat::FileEntry& entry : plat::findFiles(dir, "*.tab"))
        if (!entry.isDir) return 0;
    return 1;
}

int ensureTablesFolder(const std::string& dir) {
    const int count = countTabFiles(dir);
    if (count >= 0) return count;
    std::string path = dir;
    std::vector<std::string> missing{path};
    // Up to two missing levels above the folder are made first.
    for (int level = 0; level < 3; ++level) {
        bool made = true;
        for (auto it = missing.rbegin(); it != missing.rend() && made; ++it)
            made = plat::createDirectory(*it) || plat::dirExists(*it);
        if (made) return 1;
        path = plat::splitPath(plat::removeTrailingSeparators(path)).dir;
        path = plat::removeTrailingSeparators(path);
        missing.push_back(path);
    }
    CSharedFolder shared(g_globals->sharedDir);
    plat::messageBox(nullptr, fillText(shared.texts().getMessage(105), {path}), errorMessage(1), plat::MB_OK);
    return -1;
}
