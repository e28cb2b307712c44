// fxstepread: reads STEP files with the kernel and writes their bodies to stdout in the reply format of
// host/geom/step_reply.h. The host's STEP import runs it as a process of its own, so that a file the
// kernel cannot survive (a crash, a hang, memory without end) costs that import and not the host. A part
// file's geometry is made here first when the part is opened, for the same reason. The reading itself is
// step_read.h; this is the process around it: its arguments and memory limit. (The host also keeps a
// reader forked from its own process, spare_reader.cpp, which serves the same requests.)
// Usage: fxstepread [--memory-mb N] [--fail-names-colours] FILE   one file, its reply
//        fxstepread [--memory-mb N] --serve   requests on stdin, answered on stdout (serve.cpp)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/step_worker/step_read.h"

int main(int argc, char** argv) {
    host::worker::zeroAllocations();
    const char* path = nullptr;
    bool injectFault = false, serving = false;
    long memoryMb = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--serve") == 0) {
            serving = true;
        } else if (std::strcmp(argv[i], "--fail-names-colours") == 0) {
            injectFault = true;
        } else if (std::strcmp(argv[i], "--memory-mb") == 0 && i + 1 < argc) {
            memoryMb = std::atol(argv[++i]);
        } else {
            path = argv[i];
        }
    }
    if (!path && !serving) {
        std::fputs("usage: fxstepread [--memory-mb N] [--fail-names-colours] FILE | [--memory-mb N] --serve\n", stderr);
        return 2;
    }
    host::worker::limitMemory(memoryMb);
    host::worker::quietKernel();
    if (serving) host::worker::serveRequests(STDIN_FILENO, STDOUT_FILENO);
    // Straight out: the kernel's tables need no tearing down, and a leak check of them says nothing.
    const std::string reply = host::worker::stepFileReply(path, injectFault);
    std::_Exit(std::fwrite(reply.data(), 1, reply.size(), stdout) == reply.size() && std::fflush(stdout) == 0 ? 0 : 1);
}
