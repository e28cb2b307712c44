// POSIX implementation of files.h. Whole-or-nothing writes go through a temporary file in the target's
// folder (same file system, so the final rename is atomic); its name starts with '.' and ends in a counter,
// so no "*.ext" pattern of the plug-in ever lists one. A rename is durable only once the file's bytes are on
// the disk before it and the folder's entry after it: without the first, a power cut can leave the new name
// on an empty file.
#include "platform/sys/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "platform/sys/paths.h"

namespace plat {
namespace {

std::atomic<std::int64_t> gFailAfter{-1};
std::atomic<int> gWritesBeforeFailure{0};
std::atomic<unsigned> gTempCounter{0};

std::string native(std::string_view path) { return toNativePath(std::string(path)); }

std::mutex gSeamsMutex;
std::string gReadOnlyFolder;
std::optional<std::string> gFailFlushWithin;
std::atomic<bool> gSkipDiskWaits{false};
std::function<void(std::string_view)> gAfterListing;
std::function<void(std::string_view)> gBeforeFlush;

// A path at or below the folder that tests made read-only: errno says so, as the file system would.
bool refused(const std::string& path) {
    const std::lock_guard lock(gSeamsMutex);
    if (gReadOnlyFolder.empty() || path.compare(0, gReadOnlyFolder.size(), gReadOnlyFolder) != 0 ||
        (path.size() > gReadOnlyFolder.size() && path[gReadOnlyFolder.size()] != '/'))
        return false;
    errno = EROFS;
    return true;
}
bool refused(const std::string& a, const std::string& b) { return refused(a) || refused(b); }

std::optional<struct stat> statOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return st;
}

// Splits a native path at its last '/': ("dir/", "name"), or ("", "name") for a bare name.
std::pair<std::string, std::string> splitLast(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {"", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

std::vector<std::string> listNames(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return names;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(d);
    return names;
}

// The real name of the entry of dir that equals name ignoring case; an exact match wins.
std::optional<std::string> findNoCase(const std::string& dir, const std::string& name) {
    struct stat st {};
    if (name == "." || name == ".." || ::lstat(joinPath(dir, name).c_str(), &st) == 0)
        return name;
    std::optional<std::string> best;
    for (std::string& candidate : listNames(dir))
        if (equalsNoCase(candidate, name) && (!best || listedBefore(candidate, *best)))
            best = std::move(candidate);
    return best;
}

// The existing entry a Windows file system would take for path (same name ignoring case), if any.
std::optional<std::string> existingNoCase(const std::string& path) {
    const auto [dir, name] = splitLast(path);
    if (name.empty())
        return std::nullopt;
    const std::optional<std::string> real = findNoCase(dir.empty() ? std::string() : dir, name);
    if (!real)
        return std::nullopt;
    return dir + *real;
}

bool writeAll(int fd, std::string_view bytes) {
    const bool spared = gFailAfter >= 0 && gWritesBeforeFailure.fetch_sub(1) > 0;
    const std::int64_t failAfter = spared ? -1 : gFailAfter.exchange(-1);
    std::size_t todo = bytes.size();
    if (failAfter >= 0)
        todo = std::min<std::size_t>(todo, static_cast<std::size_t>(failAfter));
    const char* p = bytes.data();
    while (todo > 0) {
        const ssize_t n = ::write(fd, p, todo);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        todo -= static_cast<std::size_t>(n);
    }
    return failAfter < 0;
}

// Writes bytes to a new temporary file beside target; its path, or nullopt (nothing left behind).
std::optional<std::string> writeTemp(const std::string& target, std::string_view bytes) {
    const auto [dir, name] = splitLast(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string tmp = dir + "." + name + ".fxtmp-" + std::to_string(::getpid()) + "-" +
                                std::to_string(gTempCounter.fetch_add(1));
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return std::nullopt;
        }
        const bool written = writeAll(fd, bytes);
        const bool closed = ::close(fd) == 0;
        if (written && closed)
            return tmp;
        ::unlink(tmp.c_str());
        return std::nullopt;
    }
    return std::nullopt;
}

// Whether the flush for `target` is the one tests made fail; it fails once.
bool flushFails(const std::string& target) {
    const std::lock_guard lock(gSeamsMutex);
    if (!gFailFlushWithin || target.find(*gFailFlushWithin) == std::string::npos) return false;
    gFailFlushWithin.reset();
    errno = EIO;
    return true;
}

// fsync of a file or folder by its path: a file's bytes and times, a folder's entries.
bool flushEntry(const std::string& path) {
    std::function<void(std::string_view)> hook;
    {
        const std::lock_guard lock(gSeamsMutex);
        hook = gBeforeFlush;
    }
    if (hook) hook(path);
    if (gSkipDiskWaits) return true;
    const int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return flushed;
}

bool flushFolderOf(const std::string& path) { return flushEntry(splitLast(path).first); }

// rename that never replaces; falls back to link+unlink where the file system lacks RENAME_NOREPLACE.
bool renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

// A temporary file made whole and, when asked, flushed, renamed over the target (or beside it, never
// replacing); then the target's folder flushed. The temporary file does not outlive a failure.
bool putInPlace(const std::string& tmp, const std::string& target, Flush flush, bool replace) {
    const bool durable = flush == Flush::toDisk;
    if ((durable && (flushFails(target) || !flushEntry(tmp))) ||
        !(replace ? ::rename(tmp.c_str(), target.c_str()) == 0 : renameNoReplace(tmp, target))) {
        const int error = errno;
        ::unlink(tmp.c_str());
        errno = error;
        return false;
    }
    return !durable || flushFolderOf(target);
}

}  // namespace

bool fileExists(std::string_view path) {
    const auto st = statOf(native(path));
    return st && !S_ISDIR(st->st_mode);
}

bool dirExists(std::string_view path) {
    const auto st = statOf(native(path));
    return st && S_ISDIR(st->st_mode);
}

EntryKind entryKind(std::string_view path) {
    struct stat st {};
    if (::lstat(native(path).c_str(), &st) != 0)
        return EntryKind::None;
    return S_ISREG(st.st_mode) ? EntryKind::File : S_ISDIR(st.st_mode) ? EntryKind::Folder : EntryKind::Other;
}

bool createDirectory(std::string_view path) {
    const std::string p = native(path);
    return !refused(p) && ::mkdir(p.c_str(), 0777) == 0;
}

bool createDirectories(std::string_view path) {
    const std::string p = native(path);
    if (p.empty())
        return false;
    if (refused(p)) {
        const bool exists = dirExists(p);
        errno = EROFS;
        return exists;
    }
    std::error_code ec;
    std::filesystem::create_directories(p, ec);
    return dirExists(p);
}

bool removeDirectory(std::string_view path) {
    const std::string p = native(path);
    return !refused(p) && ::rmdir(p.c_str()) == 0;
}

bool removeTree(std::string_view path) {
    const std::string p = native(path);
    if (p.empty() || refused(p))
        return false;
    std::error_code ec;
    std::filesystem::remove_all(p, ec);   // does not follow links
    struct stat st {};
    return ::lstat(p.c_str(), &st) != 0;
}

bool removeFile(std::string_view path) {
    const std::string p = native(path);
    struct stat st {};
    if (refused(p) || ::lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(p.c_str()) == 0;
}

bool copyFile(std::string_view src, std::string_view dst, bool failIfExists, Flush flush) {
    const std::string from = native(src);
    const auto srcStat = statOf(from);
    std::string target = native(dst);
    if (!srcStat || !S_ISREG(srcStat->st_mode) || refused(target))
        return false;
    if (const auto existing = existingNoCase(target)) {
        if (failIfExists)
            return false;
        target = *existing;
    }
    const std::optional<std::string> bytes = readFile(from);
    if (!bytes)
        return false;
    const std::optional<std::string> tmp = writeTemp(target, *bytes);
    if (!tmp)
        return false;
    const timespec times[2] = {srcStat->st_atim, srcStat->st_mtim};
    // The times are set before the flush, which takes them to the disk with the bytes.
    if (::chmod(tmp->c_str(), srcStat->st_mode & 07777) != 0 || ::utimensat(AT_FDCWD, tmp->c_str(), times, 0) != 0) {
        ::unlink(tmp->c_str());
        return false;
    }
    return putInPlace(*tmp, target, flush, !failIfExists);
}

bool moveFile(std::string_view src, std::string_view dst) {
    const std::string from = native(src);
    const std::string to = native(dst);
    struct stat srcStat {};
    if (refused(from, to) || ::lstat(from.c_str(), &srcStat) != 0)
        return false;
    if (const auto existing = existingNoCase(to)) {
        struct stat dstStat {};
        const bool sameEntry = ::lstat(existing->c_str(), &dstStat) == 0 && dstStat.st_dev == srcStat.st_dev &&
                               dstStat.st_ino == srcStat.st_ino;
        if (!sameEntry)
            return false;
        if (*existing == to)
            return true;  // moved onto itself
    }
    if (renameNoReplace(from, to)) {
        // The move happened whatever the flush gives: its result tells the caller where the entry is.
        (void)flushFolderOf(to);
        if (splitLast(from).first != splitLast(to).first) (void)flushFolderOf(from);
        return true;
    }
    if (errno != EXDEV || !S_ISREG(srcStat.st_mode))
        return false;
    if (!copyFile(from, to, true))
        return false;
    if (::unlink(from.c_str()) == 0)
        return true;
    ::unlink(to.c_str());  // a move that leaves both copies did not happen
    return false;
}

// MoveFileEx with MOVEFILE_REPLACE_EXISTING, within one file system: one rename, so a reader of the target
// sees the old file or the new one. A target spelled in another case is the one replaced.
bool replaceFile(std::string_view src, std::string_view dst) {
    const std::string from = native(src);
    const std::string target = native(dst);
    const std::string to = existingNoCase(target).value_or(target);
    return !refused(from, to) && ::rename(from.c_str(), to.c_str()) == 0 && flushFolderOf(to);
}

bool flushToDisk(std::string_view path) {
    const std::string p = native(path);
    return !flushFails(p) && flushEntry(p);
}

bool canWrite(std::string_view path) {
    const std::string p = native(path);
    return !refused(p) && ::access(p.c_str(), W_OK) == 0;
}
bool canRead(std::string_view path) { return ::access(native(path).c_str(), R_OK) == 0; }

Creation createExclusive(std::string_view path) {
    const std::string p = native(path);
    if (refused(p)) {
        const bool exists = fileExists(path);
        errno = exists ? EEXIST : EROFS;
        return exists ? Creation::Existed : Creation::Failed;
    }
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST ? Creation::Existed : Creation::Failed;
    ::close(fd);
    return Creation::Created;
}

std::optional<std::int64_t> lastWriteTime(std::string_view path) {
    const auto st = statOf(native(path));
    if (!st)
        return std::nullopt;
    return static_cast<std::int64_t>(st->st_mtim.tv_sec);
}

std::optional<WRITE_STAMP> writeStamp(std::string_view path) {
    const auto st = statOf(native(path));
    if (!st) return std::nullopt;
    return WRITE_STAMP{static_cast<std::int64_t>(st->st_mtim.tv_sec) * 1000000000 + st->st_mtim.tv_nsec,
                       static_cast<std::int64_t>(st->st_size)};
}

bool setLastWriteTime(std::string_view path, std::int64_t seconds) {
    timespec times[2]{};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(seconds);
    const std::string p = native(path);
    return !refused(p) && ::utimensat(AT_FDCWD, p.c_str(), times, 0) == 0;
}

bool matchesPattern(std::string_view name, std::string_view pattern) {
    const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    // Greedy match with one backtrack point: the last '*' seen and where in name it started matching.
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || fold(pattern[p]) == fold(name[n]))) {
            ++n;
            ++p;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            break;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    if (n == name.size() && p == pattern.size())
        return true;
    // "name.*" also finds "name": the empty extension matches.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        name.find('.') == std::string_view::npos)
        return matchesPattern(name, pattern.substr(0, pattern.size() - 2));
    return false;
}

std::vector<FileEntry> findFiles(std::string_view dir, std::string_view pattern) {
    const std::string folder = native(dir);
    std::vector<FileEntry> entries;
    for (std::string& name : listNames(folder)) {
        if (!matchesPattern(name, pattern))
            continue;
        const std::string full = joinPath(folder, name);
        struct stat st {};
        if (::stat(full.c_str(), &st) != 0 && ::lstat(full.c_str(), &st) != 0)
            continue;  // vanished meanwhile
        entries.push_back(FileEntry{std::move(name), S_ISDIR(st.st_mode),
                                    static_cast<std::int64_t>(st.st_mtim.tv_sec), static_cast<std::int64_t>(st.st_size)});
    }
    std::sort(entries.begin(), entries.end(),
              [](const FileEntry& a, const FileEntry& b) { return listedBefore(a.name, b.name); });
    std::function<void(std::string_view)> hook;
    {
        const std::lock_guard lock(gSeamsMutex);
        hook = gAfterListing;
    }
    if (hook)
        hook(dir);
    return entries;
}

std::string resolveNoCase(std::string_view dir, std::string_view name) {
    std::string current = native(dir);
    const std::string rest = native(name);
    bool found = true;  // once a level is missing, the levels below it cannot exist either
    std::size_t pos = 0;
    while (pos <= rest.size()) {
        std::size_t end = rest.find('/', pos);
        if (end == std::string::npos)
            end = rest.size();
        const std::string part = rest.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty())
            continue;
        std::optional<std::string> real = found ? findNoCase(current, part) : std::nullopt;
        found = real.has_value();
        current = joinPath(current, real ? *real : part);
    }
    return current;
}

std::optional<std::string> readFile(std::string_view path) {
    const int fd = ::open(native(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

bool writeFile(std::string_view path, std::string_view bytes, Flush flush) {
    const std::string target = native(path);
    if (refused(target))
        return false;
    const auto old = statOf(target);
    // A read-only file stays as it is, as it would where the write goes into the file itself.
    if (old && (S_ISDIR(old->st_mode) || ::access(target.c_str(), W_OK) != 0))
        return false;
    const std::optional<std::string> tmp = writeTemp(target, bytes);
    if (!tmp)
        return false;
    if (old && ::chmod(tmp->c_str(), old->st_mode & 07777) != 0) {
        ::unlink(tmp->c_str());
        return false;
    }
    return putInPlace(*tmp, target, flush, true);
}

void failNextWriteAfter(std::int64_t bytes) { failWriteAfter(0, bytes); }

void failWriteAfter(int writesBefore, std::int64_t bytes) {
    gWritesBeforeFailure = writesBefore;
    gFailAfter = bytes;
}

void failNextFlush(std::string within) {
    const std::lock_guard lock(gSeamsMutex);
    gFailFlushWithin = std::move(within);
}

void skipDiskWaits(bool skip) { gSkipDiskWaits = skip; }

void disarmFlushFailure() {
    const std::lock_guard lock(gSeamsMutex);
    gFailFlushWithin.reset();
}

void refuseChangesUnder(std::string folder) {
    std::string path = native(folder);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::lock_guard lock(gSeamsMutex);
    gReadOnlyFolder = std::move(path);
}

void afterListing(std::function<void(std::string_view dir)> hook) {
    const std::lock_guard lock(gSeamsMutex);
    gAfterListing = std::move(hook);
}

void beforeFlush(std::function<void(std::string_view path)> hook) {
    const std::lock_guard lock(gSeamsMutex);
    gBeforeFlush = std::move(hook);
}

}  // namespace plat
