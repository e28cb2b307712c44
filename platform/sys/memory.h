// Memory handed back to the system early: large buffers given back the moment they are freed, and room freed
// by one thread reused by the others.
#pragma once
#include <cstddef>

namespace plat {

// Buffers of a megabyte and more taken from the system and given back the moment they are freed. The heap
// otherwise raises that bar to the largest buffer it has seen freed and keeps such buffers once they go: a
// process that makes and drops texts of tens of megabytes would hold the room of the largest all along.
void returnLargeBuffersAtOnce();

// The heap's arenas limited to two for all threads. Each thread that allocates otherwise gets an arena of
// its own, and what it frees stays in it for that thread alone: the threads of a run and of a save leave
// megabytes behind that the rest of the process never reuses.
void shareFreedRoomAmongThreads();

}  // namespace plat
