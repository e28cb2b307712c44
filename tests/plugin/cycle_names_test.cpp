// Drill cycle names from a post processor's text file, followed by the milled-hole kinds.
#include <gtest/gtest.h>

#include <cstring>

#include "plugin/base/globals.h"
#include "plugin/base/cycle_names.h"
#include "support/plugin_fixture.h"

namespace {

class CycleNames : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        g_globals->uiTextFile = installDir + "/Tool.txt";
        std::strcpy(current_dir, dir.path().c_str());   // a host folder without a default post
    }
};

TEST_F(CycleNames, NamesFromPostSectionsAndDescriptions) {
    const std::string post = dir.path() + "/Mill5.pst";
    ASSERT_TRUE(plat::writeFile(dir.path() + "/Mill5.Txt",
                                "[simple drill]\r\n1. Drill/Counterbore\r\n"
                                "[peck drill]\r\n1. \r\n7. Peck from line 7\r\n"
                                "[simple drill custom parameters]\r\n1. Custom simple\r\n"
                                "[drill cycle descriptions]\r\n4. Rigid tapping\r\n5.   \r\n"
                                "[tap]\r\n1. Tap\r\n"));
    OP_CYCLE_LIST list;
    EXPECT_EQ(list.load(post), 24);
    struct EXPECTED {
        int index;
        const char* name;
    };
    const EXPECTED names[] = {
        {0, "Drill/Counterbore"}, {1, "Peck from line 7"}, {2, "-"},
        {3, "Rigid tapping"},                 // the description wins over the section's own line
        {4, "-"},                             // a blank description leaves the name alone
        {7, "Custom simple"},                 // "misc2" missing: its fallback section
        {19, "-"}, {20, "Circle mill"}, {21, "Contour"}, {22, "Helix bore"}, {23, "Thread mill"},
    };
    for (const EXPECTED& e : names) EXPECT_EQ(list.entries[e.index].name, e.name) << e.index;
    EXPECT_EQ(list.unnamed, 1);
    EXPECT_EQ(list.entries[19].milled, 0);
    EXPECT_EQ(list.entries[19].number, 19);
    EXPECT_EQ(list.entries[22].milled, 1);
    EXPECT_EQ(list.entries[22].number, 2);
    EXPECT_EQ(list.getNextNumber(), 4);
    EXPECT_EQ(list.enabledIndex(1), 20);
    EXPECT_EQ(list.enabledIndex(4), 23);
    EXPECT_EQ(list.enabledIndex(5), -1);
    EXPECT_EQ(list.enabledIndex(0), -1);
}

TEST_F(CycleNames, WithoutPostTextEveryCycleIsUnnamed) {
    OP_CYCLE_LIST list;
    EXPECT_EQ(list.load(""), 24);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(list.entries[i].name, "-") << i;
    EXPECT_EQ(list.unnamed, 1);
    EXPECT_EQ(list.milledCount, 4);
    // The host's default post stands in when the given one has no text file.
    ASSERT_TRUE(plat::createDirectories(dir.path() + "/Mill/Posts"));
    ASSERT_TRUE(plat::writeFile(dir.path() + "/Mill/Posts/MPFAN.pst", "[bore1]\r\n1. Fine bore\r\n"));
    list.load(dir.path() + "/missing.pst");
    EXPECT_EQ(list.entries[4].name, "Fine bore");
}

}  // namespace
