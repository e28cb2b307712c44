// hostcam: loads the plug-in module and plays a session against it (see hostapp/hostcam.h).
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "hostapp/hostcam.h"
#include "host/step_worker/step_read.h"
#include "platform/sys/memory.h"

int main(int argc, char** argv) {
    // A run that opens a part asks the STEP reader: it is forked now, while the program is one thread with
    // its libraries loaded, rather than started as a program of its own when the part opens.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--open") == 0) {
            (void)host::worker::forkSpareReader();
            break;
        }
    plat::returnLargeBuffersAtOnce();
    plat::shareFreedRoomAmongThreads();
    std::vector<std::string> args(argv + 1, argv + argc);
    return host::hostcamMain(args, std::cout, std::cerr);
}
