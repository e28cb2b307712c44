// Files and folders with the Windows semantics the plug-in relies on: names found whatever their case,
// listings in a fixed order, copies that keep the last-write time, renames that never replace. Every path
// may use '\\' or '/'. Times are whole seconds since 1970 (UTC). Failures are results, never exceptions.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

bool fileExists(std::string_view path);  // exists and is not a folder
bool dirExists(std::string_view path);
// What stands at a path itself, links not followed: a regular file, a folder, or something else (a link
// (a reparse point), a FIFO, a device).
enum class EntryKind { None, File, Folder, Other };
EntryKind entryKind(std::string_view path);

// One level, as CreateDirectory: false when the folder already exists or its parent is missing.
bool createDirectory(std::string_view path);
// Every missing level; true when the folder exists afterwards.
bool createDirectories(std::string_view path);
bool removeFile(std::string_view path);  // files only, as DeleteFile
bool removeDirectory(std::string_view path);  // an empty folder only, as RemoveDirectory
// A folder with everything in it (SHFileOperation's delete); links in it are removed, never followed, and a
// link or file given goes alone. True when nothing is left at the path.
bool removeTree(std::string_view path);

// Whether a write is on the disk when the call returns: the file is flushed (fsync) before it is renamed into
// place and its folder after, so that a power cut leaves the old file or the new one whole, never an empty or
// partly written one. Files kept for later take it (the default); work files (dumps, logs, safety and
// staging copies that are made again or copied on) are written with `none` and spare the disk's wait.
enum class Flush { toDisk, none };

// CopyFile: the target appears whole or not at all, with the source's last-write time and permissions.
// An existing target whose name differs only in case counts as existing; when overwriting it keeps its
// spelling. False when the source is missing, the target exists and failIfExists, or a write or flush fails.
bool copyFile(std::string_view src, std::string_view dst, bool failIfExists, Flush flush = Flush::toDisk);
// MoveFile: refuses a target that exists, compared ignoring case (a rename that changes only the case of
// the same file is allowed). Files move across file systems by copy and delete. The folders are flushed; a
// flush that fails does not undo the move, which the result reports.
bool moveFile(std::string_view src, std::string_view dst);
// MoveFileEx replacing an existing target, within one file system: the target is the old file or the new
// one for any reader, never a part of either. The target's folder is flushed: false when it cannot be.
bool replaceFile(std::string_view src, std::string_view dst);
// Flushes a file written by other means (a database) to the disk before it is renamed into place, or a
// folder after an entry was renamed into it.
[[nodiscard]] bool flushToDisk(std::string_view path);

bool canWrite(std::string_view path);  // access(W_OK); false for a missing path
bool canRead(std::string_view path);   // access(R_OK); false for a missing path
// Creates an empty file only where none exists (O_EXCL): of two processes creating it at once, one wins.
enum class Creation { Created, Existed, Failed };
Creation createExclusive(std::string_view path);
std::optional<std::int64_t> lastWriteTime(std::string_view path);
// The same to the nanosecond the file system keeps, with the file's size: what tells a file rewritten within
// the second from the one read before.
struct WRITE_STAMP {
    std::int64_t nanoseconds = 0, size = 0;
    bool operator==(const WRITE_STAMP&) const = default;
};
std::optional<WRITE_STAMP> writeStamp(std::string_view path);
bool setLastWriteTime(std::string_view path, std::int64_t seconds);

struct FileEntry {
    std::string name;
    bool isDir = false;
    std::int64_t lastWrite = 0;
    std::int64_t size = 0;
};
// FindFirstFile/FindNextFile on dir\pattern: '*' and '?' match ignoring ASCII case, and a trailing ".*"
// also matches names without a dot ("*.*" is everything). Sorted by listedBefore (paths.h), without "."
// and "..". A missing folder gives an empty list.
std::vector<FileEntry> findFiles(std::string_view dir, std::string_view pattern);
bool matchesPattern(std::string_view name, std::string_view pattern);

// The existing entry whose name equals name ignoring case (each level of a relative name like "A\\b.txt"
// is looked up in turn); an exact match wins, else the first in listing order. Where nothing matches, the
// name as given is joined on, so a file created there gets the caller's canonical spelling.
std::string resolveNoCase(std::string_view dir, std::string_view name);

std::optional<std::string> readFile(std::string_view path);  // the bytes; nullopt for a missing file or a folder
// Writes a temporary file beside the target and renames it over the target: a reader sees the old bytes or
// the new ones, and a failed write leaves the old file as it was and no temporary file behind. False also when
// the file or its folder cannot be flushed (the new bytes may then be in place but are not known to last).
[[nodiscard]] bool writeFile(std::string_view path, std::string_view bytes, Flush flush = Flush::toDisk);

// Tests: the next writeFile or copyFile fails after writing this many bytes of its temporary file (once).
// A negative count disarms it.
void failNextWriteAfter(std::int64_t bytes);
// The same for the write that follows `writesBefore` good ones.
void failWriteAfter(int writesBefore, std::int64_t bytes);
// Tests: the next flush to the disk of a file whose path holds `within` (any file for an empty text) fails,
// once, as fsync does on a disk error. disarmFlushFailure() lifts it.
void failNextFlush(std::string within = {});
void disarmFlushFailure();
// Tests: a flush is taken as done without asking the disk, as the virtual clock takes a sleep: its failures
// (failNextFlush) and everything around it run as in use, without the disk's wait.
void skipDiskWaits(bool skip);
// Tests: every change at or below `folder` (creating, writing, moving, removing) fails with EROFS, as on a
// share mounted read-only, which permissions cannot show to root. An empty folder lifts it.
void refuseChangesUnder(std::string folder);
// Tests: called with the folder after each listing of it (findFiles), e.g. to take a share away right after
// it was listed. An empty function removes it.
void afterListing(std::function<void(std::string_view dir)> hook);
// Tests: called with the path of each file or folder about to be flushed to the disk, whether the disk is
// asked or skipDiskWaits takes it as done, e.g. to see what stands under a name at each flush. An empty
// function removes it.
void beforeFlush(std::function<void(std::string_view path)> hook);

}  // namespace plat
