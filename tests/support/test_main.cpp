// Every test program runs under the virtual clock: sleeps do not sleep, and waits stay deterministic.
#include <gtest/gtest.h>

#include "platform/sys/clock.h"

int main(int argc, char** argv) {
    plat::useVirtualClock(true);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
