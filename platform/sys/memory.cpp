#include "platform/sys/memory.h"

#include <malloc.h>

namespace plat {

void returnLargeBuffersAtOnce() {
    // Advice: a heap left as it was costs memory, nothing else.
    (void)mallopt(M_MMAP_THRESHOLD, 1 << 20);
}

}  // namespace plat
