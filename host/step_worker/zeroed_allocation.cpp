// Zeroed allocation for the STEP reader, in whichever program reads: fxstepread from its start, and a reader
// forked from the host once it is forked. The kernel's entity numbering reads an array it has not filled, on
// a file whose references it cannot all place: what a reader kept for a burst of imports left in its heap
// decided how long a later file took (seconds of searching, where a fresh reader took none). Once switched
// on, every allocation starts zeroed, as a fresh process's memory does, and the room a block grows by is
// cleared. Until then, and in a program that never switches it on, the C library's allocation as it is.
//
// For a large file the reader then allocates from the thread-caching allocator where the machine has it:
// reading one is mostly small blocks made and dropped, which it serves in about four fifths of the C
// library's time. It is loaded then, kept to the reader (the host never binds it), and blocks made before go
// back to the C library. Otherwise the C library's blocks are taken as calloc takes them (clearing only what
// was used before).
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "host/step_worker/own_calls.h"
#include "host/step_worker/step_read.h"
#include "platform/sys/library_calls.h"

// Under the address sanitizer, whose allocator the reader then uses: every allocation zeroed by its options.
// Only fxstepread sets them (FX_READER_PROGRAM): the host's program keeps the sanitizer's own fill.
#if defined(FX_READER_PROGRAM)
extern "C" const char* __asan_default_options() { return "malloc_fill_byte=0:max_malloc_fill_size=2147483647"; }
#endif

namespace {
// Set once, before the process has threads: in fxstepread's main, in the forked reader at its start.
bool g_zeroed = false;

// The thread-caching allocator's calls, all null when it is not on the machine.
struct READER_HEAP {
    void* (*allocate)(std::size_t) = nullptr;
    void* (*allocateAligned)(std::size_t, std::size_t) = nullptr;
    void (*release)(void*) = nullptr;
    std::size_t (*usable)(void*) = nullptr;
    std::size_t (*usableFor)(std::size_t, int) = nullptr;   // what a request of that size gets
    int (*ownership)(const void*) = nullptr;   // 1: its own block
    bool on() const { return release != nullptr; }
    bool owns(void* block) const;
};
READER_HEAP g_heap;

// Pages the thread-caching allocator said were its own, one slot for each page number modulo the table's
// size. Asking it is as dear as a free, and a free asks. It never gives address space back, and the C
// library's blocks were all placed before it had any, so a page it once owned stays its own: a block on a
// remembered page is its own without asking. A slot holds a page number, 0 when empty.
constexpr unsigned kPageShift = 12;   // its pages are larger, and aligned to these
std::atomic<std::uintptr_t> g_ownPages[1 << 12];

bool READER_HEAP::owns(void* block) const {
    if (!on() || !block) return false;
    const std::uintptr_t page = reinterpret_cast<std::uintptr_t>(block) >> kPageShift;
    std::atomic<std::uintptr_t>& slot = g_ownPages[page % std::size(g_ownPages)];
    if (slot.load(std::memory_order_relaxed) == page) return true;
    if (ownership(block) != 1) return false;
    slot.store(page, std::memory_order_relaxed);
    return true;
}

#if FX_OWN_LIBC_CALLS
READER_HEAP loadReaderHeap() {
    void* library = plat::loadLibrary({"libtcmalloc_minimal.so.4"});
    READER_HEAP heap;
    if (plat::loadCall(library, "tc_malloc", heap.allocate) &&
        plat::loadCall(library, "tc_memalign", heap.allocateAligned) &&
        plat::loadCall(library, "tc_malloc_size", heap.usable) &&
        plat::loadCall(library, "tc_nallocx", heap.usableFor) &&
        plat::loadCall(library, "MallocExtension_GetOwnership", heap.ownership) &&
        plat::loadCall(library, "tc_free", heap.release))
        return heap;
    return {};
}

// A block of the reader's heap, cleared to its usable end: a later growth in place then finds zeros. That
// end is worked out from the size asked unless the block is aligned, which looking the block up costs more.
void* cleared(void* block, std::size_t size, bool aligned = false) {
    if (block) std::memset(block, 0, aligned ? g_heap.usable(block) : g_heap.usableFor(size, 0));
    return block;
}
#endif
}  // namespace

bool host::worker::canZeroAllocations() { return FX_OWN_LIBC_CALLS; }

bool host::worker::zeroAllocations() {
    g_zeroed = FX_OWN_LIBC_CALLS;
    return g_zeroed;
}

bool host::worker::cacheAllocations() {
#if FX_OWN_LIBC_CALLS
    // Loaded while the C library still serves the loading.
    if (g_zeroed && !g_heap.on()) g_heap = loadReaderHeap();
#endif
    return g_zeroed && g_heap.on();
}

#if FX_OWN_LIBC_CALLS
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);

void* malloc(std::size_t size) {
    if (!g_zeroed) return __libc_malloc(size);
    return g_heap.on() ? cleared(g_heap.allocate(size), size) : __libc_calloc(1, size);
}
void* calloc(std::size_t count, std::size_t size) {
    if (!g_zeroed || !g_heap.on()) return __libc_calloc(count, size);
    std::size_t bytes = 0;
    if (__builtin_mul_overflow(count, size, &bytes)) {
        errno = ENOMEM;
        return nullptr;
    }
    return cleared(g_heap.allocate(bytes), bytes);
}
void free(void* block) {
    if (g_zeroed && g_heap.owns(block)) g_heap.release(block);
    else __libc_free(block);
}
// A block's bytes past the size asked are kept clear to its usable end, a block shrunk included: the room a
// block grows by in place then holds zeros, not what it held before it shrank.
void* realloc(void* block, std::size_t size) {
    if (!g_zeroed) return __libc_realloc(block, size);
    if (!g_heap.on()) {
        const std::size_t had = block ? malloc_usable_size(block) : 0;
        void* resized = __libc_realloc(block, size);
        if (resized) {
            const std::size_t kept = std::min(had, size), room = malloc_usable_size(resized);
            if (room > kept) std::memset(static_cast<char*>(resized) + kept, 0, room - kept);
        }
        return resized;
    }
    if (!block) return malloc(size);
    if (size == 0) {
        free(block);
        return nullptr;
    }
    // Kept where it fits and would not waste half of itself; else moved into a cleared block, whatever
    // allocation it came from.
    const std::size_t had = g_heap.owns(block) ? g_heap.usable(block) : malloc_usable_size(block);
    if (size <= had && size >= had / 2) {
        std::memset(static_cast<char*>(block) + size, 0, had - size);
        return block;
    }
    void* moved = malloc(size);
    if (!moved) return nullptr;
    std::memcpy(moved, block, std::min(had, size));
    free(block);
    return moved;
}
void* memalign(std::size_t alignment, std::size_t size) {
    if (g_zeroed && g_heap.on()) return cleared(g_heap.allocateAligned(alignment, size), size, true);
    void* block = __libc_memalign(alignment, size);
    if (block && g_zeroed) std::memset(block, 0, malloc_usable_size(block));
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
