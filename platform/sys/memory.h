// Memory handed back to the system early, for large buffers that are read once and then dropped.
#pragma once
#include <cstddef>

namespace plat {

// Gives the whole pages inside [data, data + size) back to the system while the buffer stays allocated:
// the process no longer holds them, and their bytes read as zeros. For a buffer read front to back once
// before it is freed, so that what is made from it need not sit beside all of it.
void releasePages(void* data, std::size_t size);

// Buffers of a megabyte and more taken from the system and given back the moment they are freed. The heap
// otherwise raises that bar to the largest buffer it has seen freed and keeps such buffers once they go: a
// process that makes and drops texts of tens of megabytes would hold the room of the largest all along.
void returnLargeBuffersAtOnce();

}  // namespace plat
