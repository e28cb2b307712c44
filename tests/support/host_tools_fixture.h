// A fresh host with a temporary folder for library files, and sample tools and materials for the tests of
// the host's tools, libraries and materials.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/api.h"
#include "host/state.h"
#include "platform/ui/driver.h"
#include "support/temp_dir.h"

inline tp_tool sampleTool(std::int16_t type, double diameter, const char* name, bool metric = true) {
    tp_tool t;
    t.type = type;
    t.diameter = diameter;
    t.secondDiameter = diameter;
    t.angle = type == 3 ? 118 : 0;
    t.flutes = 2;
    t.material = 2;
    t.unitFlag = metric ? 1 : 0;
    t.fluteLength = diameter * 5;
    t.overallLength = diameter * 10 + 40;
    t.feeds[0] = 100;
    t.extra = 0.25;
    t.reserved[7] = 0x5A;   // a byte no field names still travels
    std::snprintf(t.name, sizeof t.name, "%s", name);
    std::snprintf(t.profilePath, sizeof t.profilePath, "/profiles/%s.pfp", name);
    return t;
}

inline material sampleMaterial(const char* name, double vc, double fz) {
    material m;
    std::snprintf(m.name, sizeof m.name, "%s", name);
    m.cuttingSpeed = vc;
    m.speedPercent = 100;
    m.feedPerTooth = fz;
    for (int i = 0; i < kMaterialToolTypes; ++i) m.feedPercentByType[i] = 100 - i;
    for (int i = 0; i < kMaterialToolMaterials; ++i) {
        m.speedPercentByMaterial[i] = 50 + 10 * i;
        m.feedPercentByMaterial[i] = 90 + i;
    }
    return m;
}

class HostTools : public testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        host::reset();
        ASSERT_FALSE(dir.path().empty());
    }
    void TearDown() override {
        EXPECT_EQ(host::outstandingLists(), 0) << "a list was not given back";
        host::reset();
        plat::driver().reset();
    }
    std::string path(const std::string& name) const { return dir.path() + "/" + name; }

    TempDir dir;
};
