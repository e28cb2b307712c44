// hostcam: loads the plug-in module and plays a session against it (see hostapp/hostcam.h).
#include <iostream>
#include <string>
#include <vector>

#include "hostapp/hostcam.h"
#include "platform/sys/memory.h"

int main(int argc, char** argv) {
    plat::returnLargeBuffersAtOnce();
    plat::shareFreedRoomAmongThreads();
    std::vector<std::string> args(argv + 1, argv + argc);
    return host::hostcamMain(args, std::cout, std::cerr);
}
