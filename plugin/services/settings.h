// What the other subsystems use of the settings dialogs and the shared library: the files a station shares
// with the others (password, flags, per-library index and state) and the copies of the tables between the
// local forms folder and the shared one.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/base/text_section.h"

// One table as an index file keeps it: its title and the last-write time of its file (FILETIME ticks).
struct SHARED_FILE_ENTRY {
    std::string name;
    std::uint64_t lastWrite = 0;
};

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
// the process, and when it last renewed the flag. A flag of an older version is empty.
struct ACCESS_HOLDER {
    std::string station, machine;
    std::int64_t pid = 0, renewed = 0;
};
std::string encodeAccessHolder(const ACCESS_HOLDER& holder);
ACCESS_HOLDER decodeAccessHolder(std::string_view bytes);
// This process of `station` on this machine, now.
ACCESS_HOLDER accessHolderOf(const std::string& station);

// The holder renews its flag this often; a holder on another machine that has not for kHolderGoneSeconds
// (or an empty flag that old) is taken as gone. On this machine the holder's process tells at once.
constexpr std::int64_t kHolderRenewSeconds = 60, kHolderGoneSeconds = 300;
enum class HolderState { None, Mine, Running, Gone };

// The running flag of a shared folder on behalf of `station`. Only the holder removes or renews it; a flag
// whose holder is gone is taken over by renaming it away first, so that of two stations taking it over, one
// does, and a flag renewed meanwhile is put back.
// Whose a flag (or publication) of `holder` written at `written` is, seen from `station`.
HolderState holderState(const ACCESS_HOLDER& holder, const std::string& station, std::int64_t written);
HolderState runningFlagHolder(const std::string& folder, const std::string& station, ACCESS_HOLDER* holder);
bool claimRunningFlag(const std::string& folder, const std::string& station);
bool releaseRunningFlag(const std::string& folder, const std::string& station);
bool renewRunningFlag(const std::string& folder, const std::string& station);
bool takeOverRunningFlag(const std::string& folder, const std::string& station, const ACCESS_HOLDER& gone);
// "station on machine (process N, renewed at time)" for the messages.
std::string holderText(const ACCESS_HOLDER& holder);

// Built for one operation on the shared folder; the lasting state lies in the files.
class CSharedData {
public:
    explicit CSharedData(std::string folder);

    // ---- password ("Shared.Dat" in the shared folder) ----
    // Always 0. A missing file puts the default password in force (an all-zero block).
    int readPasswordFile();
    // The encoded password (8 + 4 × length bytes) into `dest` (32 bytes); 4 × length, or -1 for a password
    // longer than kMaxPasswordLength (nothing written).
    int encodePassword(std::string_view text, std::uint8_t* dest) const;
    // The password of a block's character part (32 bytes); its length (at most kMaxPasswordLength).
    static int decodePassword(const std::uint8_t* block, std::string* text);
    // Skipped while no password file was read; 0.
    int writePasswordFile();
    // The password in force: the default while the file is missing.
    std::string passwordInForce() const;
    bool passwordMatches(std::string_view typed) const { return passwordInForce() == typed; }
    // Encodes the password into the block; -1 when it is too long.
    int setPassword(std::string_view text) { return encodePassword(text, passwordBlock.data() + 1) < 0 ? -1 : 0; }

    // ---- the flag files of the shared folder ----
    // "RWrunning.dat" / "RWrequest.dat": 0 creates it (1 when it cannot be), 1 removes it, 2 tests it (1 when
    // it exists); 0 otherwise. The running flag is created only where none is and names this station; it is
    // removed only when this station holds it.
    int runningFlag(int mode) const;
    int requestFlag(int mode) const { return flagFile("RWrequest.dat", mode); }
    // Creates the running flag only where no station has: true when this call created it. Two stations that
    // both saw the flag absent cannot both take read-write access.
    bool claimRunningFlag() const;

    // ---- the index (".dt") and state (".sh") files beside a library in the local forms folder ----
    int readIndexFile(const std::string& libraryName);
    // Index + 1 of the entry whose name equals the title ignoring case, with its time in seconds; 0 when none
    // (time untouched).
    int findIndexTime(std::string_view title, std::int64_t* seconds) const;
    void clearNewEntries() { newEntries.clear(); }
    void appendNewEntry(const SHARED_FILE_ENTRY& entry) { newEntries.push_back(entry); }
    int writeIndexFile(const std::string& libraryName);
    // The state block of the library in `dir` (the local forms folder when empty); all zero when missing.
    int readShBlock(const std::string& libraryName, const std::string& dir = "");
    int writeShBlock();

    // ---- the tables ----
    // Shared copy to local copy: 0, or -1 when the publisher stayed busy (after the message).
    int updateLocalTables(const std::string& libraryName);
    // Local copy to shared copy (the read-write station), all or nothing: a table that cannot be copied
    // publishes none and is named to the user; 0.
    int publishLocalTables(const std::string& libraryName);

    // A publication left by a publisher that is gone: finished when it was staged in full, else dropped, and
    // the library's busy mark cleared. False while its publisher still runs (or a mark without one is new).
    bool recoverPublication(const std::string& libraryName);

    const CTextSection& texts() const { return texts_; }

    std::string passwordFile;
    std::string folder;
    std::string shFile;
    std::uint16_t waitSeconds = 2;
    std::uint16_t waitCount = 15;
    std::array<std::uint8_t, kPasswordBlockSize> passwordBlock{};
    std::array<std::uint8_t, kShBlockSize> shBlock{};
    std::vector<SHARED_FILE_ENTRY> indexEntries;
    std::vector<SHARED_FILE_ENTRY> newEntries;
    bool passwordFileFound = false;

private:
    int flagFile(const char* name, int mode) const;
    bool waitWhileBusy(const std::string& libraryName, bool* cancelled);
    bool sharedBusy(const std::string& libraryName);
    void setBusy(const std::string& libraryName, const std::string& dir, std::uint8_t busy);
    static std::string stagingFolder(const std::string& libraryName);

    CTextSection texts_;
};

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
