#include "platform/sys/memory.h"

#include <malloc.h>

namespace plat {

void returnLargeBuffersAtOnce() {
    // Advice: a heap left as it was costs memory, nothing else.
    (void)mallopt(M_MMAP_THRESHOLD, 1 << 20);
}

void shareFreedRoomAmongThreads() {
    // Two rather than one: threads that allocate at once seldom wait on each other.
    (void)mallopt(M_ARENA_MAX, 2);
}

}  // namespace plat
