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
std::string stepFileReply(const char* path, bool injectFault, bool namesAndColours = true);

// The reply to the geometry texts of a part file (host/geom/step_process.h: kReaderGeometry).
std::string geometryReply(std::string_view payload);

}  // namespace host::worker
