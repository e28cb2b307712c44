// The reader kept running: requests read from a socket (or the standard input) and answered on it, one at a
// time, in the form host/geom/step_process.h sets out. Raw reads and writes, no buffered stream: a reader
// forked from the host must not send what the host's own streams held at the fork.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/step_worker/step_read.h"

namespace host::worker {
namespace {

// Request flags (host/geom/step_process.h).
constexpr unsigned kFailNamesAndColours = 1, kGeometry = 2, kStall = 4, kPlain = 8, kCrash = 16, kMemoryLimit = 32,
                   kSkipPreScan = 64;
constexpr std::size_t kMaxGeometry = std::size_t{1} << 34;
// Below this, loading the thread-caching allocator and touching its fresh pages cost more than it saves.
constexpr std::size_t kCachedFrom = std::size_t{1} << 18;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

// Exactly `size` bytes, false at the end of the input or on an error.
bool readAll(int fd, char* into, std::size_t size) {
    while (size > 0) {
        const ssize_t n = read(fd, into, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        into += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// "<flags> <length>\n", read a byte at a time so that nothing of the payload is taken with it.
bool readHeader(int fd, unsigned& flags, std::size_t& length) {
    std::string header;
    for (char c = 0; header.size() < 48;) {
        if (!readAll(fd, &c, 1)) return false;
        if (c == '\n') break;
        header += c;
    }
    const char* end = header.data() + header.size();
    const auto [space, flagsError] = std::from_chars(header.data(), end, flags);
    if (flagsError != std::errc() || space == end || *space != ' ') return false;
    const auto [last, lengthError] = std::from_chars(space + 1, end, length);
    return lengthError == std::errc() && last == end;
}

}  // namespace

void limitMemory(long megabytes) {
    // The address sanitizer reserves far more address space than it uses: no limit under it.
    if (megabytes <= 0 || kAddressSanitizer) return;
    const rlim_t bytes = static_cast<rlim_t>(megabytes) << 20;
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
}

void serveRequests(int in, int out) {
    for (;;) {
        unsigned flags = 0;
        std::size_t length = 0;
        if (!readHeader(in, flags, length) || length == 0 || length > ((flags & kGeometry) ? kMaxGeometry : 65536))
            std::_Exit(0);
        std::string payload(length, '\0');
        if (!readAll(in, payload.data(), length)) std::_Exit(0);
        if (flags & kMemoryLimit) {   // no answer
            long megabytes = 0;
            if (std::from_chars(payload.data(), payload.data() + payload.size(), megabytes).ec != std::errc())
                std::_Exit(0);
            limitMemory(megabytes);
            continue;
        }
        while (flags & kStall) pause();
        if ((flags & kCrash) && !(flags & kPlain)) std::raise(SIGSEGV);
        struct stat file {};
        if (((flags & kGeometry) ? payload.size() >= kCachedFrom
                                 : stat(payload.c_str(), &file) == 0 && file.st_size >= static_cast<off_t>(kCachedFrom)))
            (void)cacheAllocations();
        const std::string reply = (flags & kGeometry) ? geometryReply(payload)
                                                       : stepFileReply(payload.c_str(), (flags & kFailNamesAndColours) != 0,
                                                                       (flags & kPlain) == 0, (flags & kSkipPreScan) == 0);
        // The length and the reply apart: a reply of megabytes is not copied to put its length before it.
        if (!writeAll(out, std::to_string(reply.size()) + '\n') || !writeAll(out, reply)) std::_Exit(1);
    }
}

}  // namespace host::worker
