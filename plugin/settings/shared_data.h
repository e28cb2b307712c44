// The shared folder's files in full: the password, the flags, the index and state files beside a library
// and the copies of its tables.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/base/text_section.h"
#include "plugin/services/settings.h"

// Whether an index time was recorded within the second its table was written (or the one after, as a file
// system's times may lag the clock): a later write in that second leaves the table's time as it was, so its
// bytes, not its time, tell whether it changed since. One tick past the whole second marks it, which readers
// of whole seconds do not see.
bool indexTimeUnsure(std::uint64_t ticks);

// The shared folder with the station's files beside its libraries; the settings dialogs use all of it.
class CSharedFolder final : public CSharedData {
public:
    explicit CSharedFolder(std::string folder);

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
    // "RWrequest.dat" with the modes of the running flag, which alone names its station.
    int runningFlag(int mode) const override;
    int requestFlag(int mode) const { return flagFile("RWrequest.dat", mode); }

    // ---- the index (".dt") and state (".sh") files beside a library in the local forms folder ----
    int readIndexFile(const std::string& libraryName);
    // Index + 1 of the entry whose name equals the title ignoring case, with its time in seconds; 0 when none
    // (time untouched).
    int findIndexTime(std::string_view title, std::int64_t* seconds) const;
    void clearNewEntries() { newEntries.clear(); }
    void appendNewEntry(const SHARED_FILE_ENTRY& entry) { newEntries.push_back(entry); }
    int writeIndexFile(const std::string& libraryName) { return writeIndexFile(libraryName, newEntries); }
    int writeIndexFile(const std::string& libraryName, const std::vector<SHARED_FILE_ENTRY>& entries) const;
    // The state block of the library in `dir` (the local forms folder when empty); all zero when missing.
    int readShBlock(const std::string& libraryName, const std::string& dir = "");
    int writeShBlock();

    // ---- the tables ----
    int updateLocalTables(const std::string& libraryName) override;
    int publishLocalTables(const std::string& libraryName) override;

    // A publication left by a publisher that is gone: finished when it was staged in full, else dropped
    // whole, and the library's busy mark cleared; a staging folder that names no publisher is dropped. False
    // while its publisher still runs (named in `running` when given) or a mark without one is new.
    bool recoverPublication(const std::string& libraryName, ACCESS_HOLDER* running = nullptr);

    const CTextSection& texts() const override { return texts_; }

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
    // Marks in the index (read) every table of the local library whose rows file is lost, its table file kept.
    void markLostRowsFiles(const std::string& libraryName);

    CTextSection texts_;
};
