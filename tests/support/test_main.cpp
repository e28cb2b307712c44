// Every test program runs under the virtual clock: sleeps do not sleep, and waits stay deterministic. Nor do
// its writes wait for the disk's flushes, which take their way and their failures all the same.
#include <gtest/gtest.h>

#include "platform/sys/clock.h"
#include "platform/sys/files.h"

int main(int argc, char** argv) {
    plat::useVirtualClock(true);
    plat::skipDiskWaits(true);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
