// fxstepread: reads STEP files with the kernel and writes their bodies to stdout in the reply format of
// host/geom/step_reply.h. The host's STEP import runs it as a process of its own, so that a file the
// kernel cannot survive (a crash, a hang, memory without end) costs that import and not the host. A part
// file's geometry is made here first when the part is opened, for the same reason. The reading itself is
// step_read.h; this is the process around it: its requests, replies and memory limit.
// Usage: fxstepread [--memory-mb N] [--fail-names-colours] FILE   one file, its reply
//        fxstepread [--memory-mb N] --serve   requests on stdin, each "<flags> <path length>\n<path>" (flag 1:
//                                             fail the names-and-colours transfer; flag 2: part geometry
//                                             texts in place of the path, as step_process.h says; flag 4:
//                                             for tests, no answer until stopped; flag 8: without names
//                                             and colours; flag 16: for tests, a crash unless flag 8), each
//                                             answered with "<reply length>\n<reply>"; ends at the end of
//                                             its input
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/step_worker/step_read.h"

// Under the address sanitizer, whose allocator the reader then uses: every allocation zeroed (see main).
extern "C" const char* __asan_default_options() { return "malloc_fill_byte=0:max_malloc_fill_size=2147483647"; }

#if defined(__SANITIZE_ADDRESS__)
#define FX_OWN_ALLOCATION 0
#elif defined(__has_feature)
#define FX_OWN_ALLOCATION !__has_feature(address_sanitizer)
#else
#define FX_OWN_ALLOCATION 1
#endif

#if FX_OWN_ALLOCATION
// The kernel's entity numbering reads an array it has not filled, on a file whose references it cannot
// all place: what a reader kept for a burst of imports left in its heap decided how long a later file
// took (seconds of searching, where a fresh reader took none). Every allocation starts zeroed, as a fresh
// process's memory does, so that no file's reading depends on the files before it: the C library's own
// allocation, each block taken as calloc takes it (which clears only what was used before) and the room a
// block grows by cleared.
extern "C" {
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);

void* malloc(std::size_t size) { return __libc_calloc(1, size); }
void* calloc(std::size_t count, std::size_t size) { return __libc_calloc(count, size); }
void free(void* block) { __libc_free(block); }
void* realloc(void* block, std::size_t size) {
    const std::size_t had = block ? malloc_usable_size(block) : 0;
    void* grown = __libc_realloc(block, size);
    if (grown && size > had) std::memset(static_cast<char*>(grown) + had, 0, size - had);
    return grown;
}
void* memalign(std::size_t alignment, std::size_t size) {
    void* block = __libc_memalign(alignment, size);
    if (block) std::memset(block, 0, size);
    return block;
}
void* aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }
int posix_memalign(void** block, std::size_t alignment, std::size_t size) {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    *block = memalign(alignment, size);
    return *block || size == 0 ? 0 : ENOMEM;
}
void* valloc(std::size_t size) { return memalign(static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), size); }
}
#endif

namespace {

// Request flags (host/geom/step_process.h): geometry texts of a part file rather than a STEP file's path;
// a STEP file read without names and colours.
constexpr unsigned kGeometry = 2, kStall = 4, kPlain = 8, kCrash = 16;
constexpr std::size_t kMaxGeometry = std::size_t{1} << 34;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

bool write(const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

// Requests until the input ends; a request that does not read ends the reader.
[[noreturn]] void serve() {
    for (;;) {
        unsigned flags = 0;
        std::size_t length = 0;
        if (std::scanf("%u %zu", &flags, &length) != 2 || std::getchar() != '\n' || length == 0 ||
            length > ((flags & kGeometry) ? kMaxGeometry : 65536))
            std::_Exit(0);
        std::string path(length, '\0');
        if (std::fread(path.data(), 1, length, stdin) != length) std::_Exit(0);
        while (flags & kStall) pause();
        if ((flags & kCrash) && !(flags & kPlain)) std::raise(SIGSEGV);
        const std::string reply = (flags & kGeometry) ? host::worker::geometryReply(path)
                                                       : host::worker::stepFileReply(path.c_str(), (flags & 1) != 0,
                                                                                     (flags & kPlain) == 0);
        if (!write(std::to_string(reply.size()) + '\n' + reply)) std::_Exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = nullptr;
    bool injectFault = false, serving = false;
    long memoryMb = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--serve") == 0) {
            serving = true;
        } else if (std::strcmp(argv[i], "--fail-names-colours") == 0) {
            injectFault = true;
        } else if (std::strcmp(argv[i], "--memory-mb") == 0 && i + 1 < argc) {
            memoryMb = std::atol(argv[++i]);
        } else {
            path = argv[i];
        }
    }
    if (!path && !serving) {
        std::fputs("usage: fxstepread [--memory-mb N] [--fail-names-colours] FILE | [--memory-mb N] --serve\n", stderr);
        return 2;
    }
    // The address sanitizer reserves far more address space than it uses: no limit under it.
    if (memoryMb > 0 && !kAddressSanitizer) {
        const rlim_t bytes = static_cast<rlim_t>(memoryMb) << 20;
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_AS, &limit);
    }
    host::worker::quietKernel();
    if (serving) serve();
    // Straight out: the kernel's tables need no tearing down, and a leak check of them says nothing.
    std::_Exit(write(host::worker::stepFileReply(path, injectFault)) ? 0 : 1);
}
