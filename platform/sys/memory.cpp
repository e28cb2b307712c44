#include "platform/sys/memory.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace plat {

void releasePages(void* data, std::size_t size) {
    static const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + size) / page * page;
    // Advice only: a refusal leaves the pages held, which costs memory and nothing else.
    if (end > begin) (void)madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

void returnLargeBuffersAtOnce() {
    // Advice as well: the heap as it was costs memory, nothing else.
    (void)mallopt(M_MMAP_THRESHOLD, 1 << 20);
}

}  // namespace plat
