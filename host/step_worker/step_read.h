// What the STEP reader process does with a request, apart from the process around it: a STEP file read
// into the reply of host/geom/step_reply.h, and a part file's geometry texts made as the host makes them.
// fxstepread runs it under its limits; the fuzz target runs the same code in-process.
#pragma once
#include <string>
#include <string_view>

namespace host::worker {

// Keeps the kernel's translators off the console (the process's standard output carries the replies).
void quietKernel();

// The reply for one STEP file; `injectFault` fails the transfer with names and colours (tests). Without
// `namesAndColours` only the plain transfer runs (the host asks so after a reader crashed in the other).
// What the pre-scan (host/geom/step_scan.h) finds refuses the file before the kernel reads it, but without
// `preScanRefuses` (tests: the kernel meets it).
std::string stepFileReply(const char* path, bool injectFault, bool namesAndColours = true, bool preScanRefuses = true);

// The reply to the geometry texts of a part file (host/geom/step_process.h: kReaderGeometry).
std::string geometryReply(std::string_view payload);

// The process's address space limited to `megabytes` (none for 0, nor under the address sanitizer).
void limitMemory(long megabytes);

// Answers requests read from `in` on `out` (host/geom/step_process.h) until the input ends (serve.cpp).
[[noreturn]] void serveRequests(int in, int out);

// From now on every allocation of the process starts zeroed, as a fresh process's memory does, so that no
// file's reading depends on what was read before it in the process (zeroed_allocation.cpp, which the
// program must hold). False under the address sanitizer, whose own allocator the program then uses: there
// only fxstepread's options zero it.
bool zeroAllocations();
bool canZeroAllocations();
// From now on the zeroed allocation is served by the thread-caching allocator, where the machine has it, and
// not the C library's: called for a large file, on which it saves a tenth, by a reader with one thread.
// Whether it serves.
bool cacheAllocations();

// A reader forked from the calling program, which must be one thread yet and hold zeroed_allocation.cpp (none
// under the address sanitizer, whose allocator it cannot zero),
// handed to the host's reader kept running (host/geom/step_process.h's adoptStepReader), so that the first
// file the host reads costs no program start (spare_reader.cpp). False when none was forked: the host then
// starts fxstepread when it needs a reader.
bool forkSpareReader();

}  // namespace host::worker
