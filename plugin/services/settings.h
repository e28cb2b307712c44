// What the other subsystems use of the settings dialogs and the shared library: the files a station shares
// with the others (password, flags, per-library index and state) and the copies of the tables between the
// local forms folder and the shared one.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/base/text_section.h"

// One table as an index file keeps it: its title and the last-write time of its file (FILETIME ticks).
struct SHARED_FILE_ENTRY {
    std::string name;
    std::uint64_t lastWrite = 0;
};

// The time an index entry holds for a table whose rows file this station lost (its table file kept): no
// file has it, so the next refresh copies the table again whatever its files say by then, and no
// publication takes it meanwhile.
constexpr std::uint64_t kRowsFileLost = 1;
// The same for a table the shared library never held: the publication that made the library there left it
// out, as its rows file was lost. No refresh deletes it for being missing from the share; only a table of its
// name published there (and copied in) ends the mark.
constexpr std::uint64_t kRowsFileLostUnshared = 2;
inline bool rowsFileLostMark(std::uint64_t lastWrite) {
    return lastWrite == kRowsFileLost || lastWrite == kRowsFileLostUnshared;
}

// Whether the index beside the table's library (the ".dt" named after the library's folder, in the folder
// above it) knows the table: one the station takes from a shared library, not one it made. `indexed` is set to
// the index's time of it, which may be a mark (rowsFileLostMark).
bool synchronisedTable(const std::string& tablePath, std::uint64_t* indexed = nullptr);

constexpr std::size_t kPasswordBlockSize = 33;
constexpr std::size_t kShBlockSize = 2050;
constexpr std::size_t kIndexHeaderSize = 12;
constexpr std::size_t kIndexEntrySize = 268;
constexpr int kMaxPasswordLength = 6;   // the password block holds six characters
constexpr const char* kDefaultPassword = "quolberdant";

// FILETIME ticks of a time in seconds since 1970, and back (whole seconds).
std::uint64_t fileTimeOfSeconds(std::int64_t seconds);
std::int64_t secondsOfFileTime(std::uint64_t ticks);

// Who holds read-write access, as the running flag says: the station (its plug-in folder) on its machine,
// the process, and when it last renewed the flag by its own clock (0 when unknown: a time that fits no
// calendar is not taken). A flag of an older version is empty.
struct ACCESS_HOLDER {
    std::string station, machine;
    std::int64_t pid = 0, renewed = 0;
};
std::string encodeAccessHolder(const ACCESS_HOLDER& holder);
ACCESS_HOLDER decodeAccessHolder(std::string_view bytes);
// This process of `station` on this machine, now.
ACCESS_HOLDER accessHolderOf(const std::string& station);

// The holder renews its flag this often. A flag that the shared folder's clock finds not renewed for
// kHolderGoneSeconds, or renewed further than that in the future, is a holder gone, on any machine; on this
// machine a holder's process that has ended tells at once.
constexpr std::int64_t kHolderRenewSeconds = 60, kHolderGoneSeconds = 300;
enum class HolderState { None, Mine, Running, Gone };

// The shared folder's own clock: the time it gives a file this station writes there now (this machine's
// clock when nothing can be written there). The holders' clocks may be hours apart; the folder's is one.
std::int64_t sharedFolderNow(const std::string& folder);

// The running flag of a shared folder on behalf of `station`. Only the holder removes or renews it; a flag
// whose holder is gone is taken over by renaming it away first, so that of two stations taking it over, one
// does, and a flag renewed meanwhile is put back.
// Whose a flag (or publication) of `holder` written at `written` is, seen from `station` when the shared
// folder's clock says `now`.
HolderState holderState(const ACCESS_HOLDER& holder, const std::string& station, std::int64_t written,
                        std::int64_t now);
HolderState runningFlagHolder(const std::string& folder, const std::string& station, ACCESS_HOLDER* holder);
bool claimRunningFlag(const std::string& folder, const std::string& station);
bool releaseRunningFlag(const std::string& folder, const std::string& station);
// Renewed: the flag was this station's and is written anew. Lost: it names another station, or none, and
// `holder` says who. Failed: the shared folder cannot be reached or written; tried again later.
enum class Renewal { Renewed, Lost, Failed };
[[nodiscard]] Renewal renewRunningFlag(const std::string& folder, const std::string& station, ACCESS_HOLDER* holder);
bool takeOverRunningFlag(const std::string& folder, const std::string& station, const ACCESS_HOLDER& gone);
// "station on machine (process N, renewed at time)" for the messages.
std::string holderText(const ACCESS_HOLDER& holder);

// The shared folder as the other subsystems use it, built for one operation on it; the lasting state lies
// in the files.
class CSharedData {
public:
    virtual ~CSharedData() = default;
    // "RWrunning.dat": 0 creates it (1 when it cannot be), 1 removes it, 2 tests it (1 when it exists); 0
    // otherwise. It is created only where none is and names this station; it is removed only when this
    // station holds it.
    virtual int runningFlag(int mode) const = 0;
    // Shared copy to local copy: 0, or -1 when the publisher stayed busy (after the message).
    virtual int updateLocalTables(const std::string& libraryName) = 0;
    // Local copy to shared copy (the read-write station), all or nothing: a table that cannot be copied
    // publishes none and is named to the user; 0.
    virtual int publishLocalTables(const std::string& libraryName) = 0;
    virtual const CTextSection& texts() const = 0;
};
[[nodiscard]] std::unique_ptr<CSharedData> makeSharedData(std::string folder);

// The index file's bytes for the entries, and the entries of index bytes (as many as the count says and the
// bytes hold).
std::string encodeIndexFile(const std::vector<SHARED_FILE_ENTRY>& entries);
std::vector<SHARED_FILE_ENTRY> decodeIndexFile(std::string_view bytes);

// -1: the folder does not exist; -2: it holds no sub-folder (names beginning with '.' do not count); 0: one
// sub-folder is the library (case ignored); 1: none is. The sub-folder names go into `names` when given.
int listSubFolders(const std::string& folder, const std::string& libraryName, std::vector<std::string>* names);
// -1: the folder does not exist; 1: it holds no ".tab" file; 0: it holds one or more.
int countTabFiles(const std::string& folder);
// countTabFiles when the folder exists; else 1 once it and up to two missing parents are created, or -1
// after the message naming the uppermost folder tried.
int ensureTablesFolder(const std::string& folder);
