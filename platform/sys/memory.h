// Memory handed back to the system early: large buffers given back the moment they are freed.
#pragma once
#include <cstddef>

namespace plat {

// Buffers of a megabyte and more taken from the system and given back the moment they are freed. The heap
// otherwise raises that bar to the largest buffer it has seen freed and keeps such buffers once they go: a
// process that makes and drops texts of tens of megabytes would hold the room of the largest all along.
void returnLargeBuffersAtOnce();

}  // namespace plat
