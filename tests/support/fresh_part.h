// Host tests start from an empty new part with the driver's script and transcript cleared, and leave one.
#pragma once
#include <gtest/gtest.h>

#include "host/state.h"
#include "platform/ui/driver.h"

class FreshPart : public testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        host::reset();
        host::newPart();
    }
    void TearDown() override { host::newPart(); }
};
