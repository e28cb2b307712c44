// Zeroed allocation for the STEP reader, in whichever program reads: fxstepread from its start, and a reader
// forked from the host once it is forked. The kernel's entity numbering reads an array it has not filled, on
// a file whose references it cannot all place: what a reader kept for a burst of imports left in its heap
// decided how long a later file took (seconds of searching, where a fresh reader took none). Once switched
// on, every allocation starts zeroed, as a fresh process's memory does: the C library's own allocation, each
// block taken as calloc takes it (which clears only what was used before) and the room a block grows by
// cleared. Until then, and in a program that never switches it on, the C library's allocation as it is.
#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/step_worker/step_read.h"

// Under the address sanitizer, whose allocator the reader then uses: every allocation zeroed by its options.
// Only fxstepread sets them (FX_READER_PROGRAM): the host's program keeps the sanitizer's own fill.
#if defined(FX_READER_PROGRAM)
extern "C" const char* __asan_default_options() { return "malloc_fill_byte=0:max_malloc_fill_size=2147483647"; }
#endif

#if defined(__SANITIZE_ADDRESS__)
#define FX_OWN_ALLOCATION 0
#elif defined(__has_feature)
#define FX_OWN_ALLOCATION !__has_feature(address_sanitizer)
#else
#define FX_OWN_ALLOCATION 1
#endif

namespace {
// Set once, before the process has threads: in fxstepread's main, in the forked reader at its start.
bool g_zeroed = false;
}  // namespace

bool host::worker::canZeroAllocations() { return FX_OWN_ALLOCATION; }

bool host::worker::zeroAllocations() {
    g_zeroed = FX_OWN_ALLOCATION;
    return g_zeroed;
}

#if FX_OWN_ALLOCATION
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);

void* malloc(std::size_t size) { return g_zeroed ? __libc_calloc(1, size) : __libc_malloc(size); }
void* calloc(std::size_t count, std::size_t size) { return __libc_calloc(count, size); }
void free(void* block) { __libc_free(block); }
void* realloc(void* block, std::size_t size) {
    if (!g_zeroed) return __libc_realloc(block, size);
    const std::size_t had = block ? malloc_usable_size(block) : 0;
    void* grown = __libc_realloc(block, size);
    if (grown && size > had) std::memset(static_cast<char*>(grown) + had, 0, size - had);
    return grown;
}
void* memalign(std::size_t alignment, std::size_t size) {
    void* block = __libc_memalign(alignment, size);
    if (block && g_zeroed) std::memset(block, 0, size);
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
