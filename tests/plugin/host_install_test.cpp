// Finding the host's installation and version (registry first, then the executable's date), the forms
// level shown and put back around commands, and the date text.
#include <gtest/gtest.h>

#include <string>

#include "host/state.h"
#include "platform/sys/files.h"
#include "platform/sys/registry.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_install.h"
#include "support/plugin_fixture.h"
#include "support/temp_dir.h"

namespace {

const std::string kMaker = "SOFTWARE\\Partforge Systems, Inc.";
constexpr std::int64_t kDay = 86400;

class HostLookupTest : public testing::Test {
protected:
    void SetUp() override { plat::registry().clear(); }
    void TearDown() override { plat::registry().clear(); }
    static void install(const std::string& product, const std::string& directory) {
        plat::registry().setString(kMaker + "\\" + product, "Directory", directory);
    }
    // An executable dated `seconds` in a folder of its own.
    std::string hostWithExeAt(std::int64_t seconds, const std::string& exeName = "Partforge.Exe") {
        const std::string host = dir.path() + "/host" + std::to_string(++hosts_);
        EXPECT_TRUE(plat::createDirectories(host));
        EXPECT_TRUE(plat::writeFile(host + "/" + exeName, "MZ"));
        EXPECT_TRUE(plat::setLastWriteTime(host + "/" + exeName, seconds));
        return host;
    }
    TempDir dir;

private:
    int hosts_ = 0;
};

struct PRODUCT_CASE {
    const char* product;
    int major, mr;
};

TEST_F(HostLookupTest, ProductNamesGiveTheirVersion) {
    const PRODUCT_CASE cases[] = {
        {"Partforge X3", 12, 0},        {"Partforge X3 MR1", 12, 0},   {"Partforge X2 MR2", 11, 2},
        {"Partforge X2 MR1", 11, 1},    {"Partforge X2", 11, 0},       {"Partforge X2 MR3", 11, 0},
        {"Partforge X MR2", 10, 2},     {"Partforge X MR1", 10, 1},
        // The MR entries of version X compare the whole name: anything after it falls to plain X.
        {"Partforge X MR2b", 10, 0},    {"Partforge X MR1 ", 10, 0},   {"Partforge X", 10, 0},
        {"Partforge", -1, -1},          {"partforge X2", -1, -1},      {"Other CAM 5", -1, -1},
    };
    for (const PRODUCT_CASE& c : cases) {
        SCOPED_TRACE(c.product);
        plat::registry().clear();
        install(c.product, "/opt/pf");
        int major = -7;
        std::string key = "old";
        EXPECT_EQ(hostInstallDir("/opt/pf", &major, &key), c.mr);
        EXPECT_EQ(major, c.mr < 0 ? -7 : c.major);
        EXPECT_EQ(key, c.mr < 0 ? "old" : kMaker + "\\" + c.product);
    }
}

TEST_F(HostLookupTest, TheInstallationIsTheOneInTheHostFolder) {
    install("Partforge X3", "/opt/pf12");
    install("Partforge X2 MR1", "/opt/pf11\\");   // a trailing backslash still matches
    install("Partforge X", "/opt/pf10");
    int major = 0;
    EXPECT_EQ(hostInstallDir("/opt/pf11", &major, nullptr), 1);
    EXPECT_EQ(major, 11);
    EXPECT_EQ(hostInstallDir("/opt/pf12", nullptr, nullptr), 0);
    // The folder compares with its case.
    EXPECT_EQ(hostInstallDir("/OPT/pf10", nullptr, nullptr), -1);
    EXPECT_EQ(hostInstallDir("/opt/other", nullptr, nullptr), -1);
}

TEST_F(HostLookupTest, NoMakerKeyMeansNoInstallation) {
    int major = 5;
    EXPECT_EQ(hostInstallDir("/opt/pf", &major, nullptr), -1);
    EXPECT_EQ(major, 5);
}

struct DATE_CASE {
    std::int64_t seconds;
    int major, mr;
};

TEST_F(HostLookupTest, TheExecutablesDateFallsInAReleaseWindow) {
    const DATE_CASE cases[] = {
        {1119225600, 10, 0},                    // 2005-06-20
        {1119225600 + 5 * kDay, 10, 0},         // the window's last second
        {1119225600 - 5 * kDay, 10, 0},
        {1119225600 + 5 * kDay + 1, -1, -1},
        {1134518400 + 2 * kDay, 10, 1},         // 2005-12-14
        {1147219200 - kDay, 10, 2},             // 2006-05-10
        {1159488000 + 12 * 3600, 11, 0},        // 2006-09-29, noon
        {1173657600, 11, 1},                    // 2007-03-12
        {1189555200 + 3 * kDay, 11, 2},         // 2007-09-12
        {1198022400 - 4 * kDay, 11, 2},         // 2007-12-19
        {1217548800 + kDay, 12, 0},             // 2008-08-01
        {1217548800 + 30 * kDay, -1, -1},
        {1000000000, -1, -1},
    };
    for (const DATE_CASE& c : cases) {
        SCOPED_TRACE(c.seconds);
        int major = -7;
        EXPECT_EQ(hostVersionFromExe(hostWithExeAt(c.seconds), &major), c.mr);
        EXPECT_EQ(major, c.mr < 0 ? -7 : c.major);
    }
}

TEST_F(HostLookupTest, TheExecutableIsFoundWhateverItsCase) {
    const std::string host = hostWithExeAt(1173657600, "PARTFORGE.EXE");
    EXPECT_EQ(hostVersionFromExe(host + "/", nullptr), 1);
    EXPECT_EQ(hostVersionFromExe(dir.path() + "/nothing-here", nullptr), -1);
}

// ---- the invocation -------------------------------------------------------------------------------------

class HostVersionAtInvocation : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        plat::registry().clear();
        hostDir = dir.path() + "/host";
        ASSERT_TRUE(plat::createDirectories(hostDir));
        host::setHostDir(hostDir + "/");
        load();
    }
    void TearDown() override {
        PluginFixture::TearDown();
        plat::registry().clear();
    }
    void invoke() {
        script().esc();
        (void)m_main();
        expectScriptPlayed();
    }
    std::string hostDir;
};

TEST_F(HostVersionAtInvocation, TheRegistryComesFirst) {
    plat::registry().setString(kMaker + "\\Partforge X2 MR1", "Directory", hostDir + "\\");
    ASSERT_TRUE(plat::writeFile(hostDir + "/Partforge.Exe", "MZ"));
    ASSERT_TRUE(plat::setLastWriteTime(hostDir + "/Partforge.Exe", 1217548800));
    invoke();
    EXPECT_EQ(g_globals->hostMajor, 11);
    EXPECT_EQ(g_globals->hostMR, 1);
    EXPECT_EQ(g_globals->hostRegKey, kMaker + "\\Partforge X2 MR1");
}

TEST_F(HostVersionAtInvocation, TheExecutableWhenTheRegistryKnowsNothing) {
    ASSERT_TRUE(plat::writeFile(hostDir + "/Partforge.Exe", "MZ"));
    ASSERT_TRUE(plat::setLastWriteTime(hostDir + "/Partforge.Exe", 1217548800));
    invoke();
    EXPECT_EQ(g_globals->hostMajor, 12);
    EXPECT_EQ(g_globals->hostMR, 0);
    EXPECT_EQ(g_globals->hostRegKey, "");
}

// ---- the forms level ------------------------------------------------------------------------------------

class FormsLevelTest : public PluginFixture {
protected:
    static constexpr std::int32_t kLevel = 1000252;
    void SetUp() override {
        PluginFixture::SetUp();
        load();
    }
    static bool visible() { return is_level_visible(kLevel) != 0; }
};

struct LEVEL_CASE {
    int mode;
    bool visibleBefore, remember, visibleAfterSet;
};

TEST_F(FormsLevelTest, TheModeDecidesAndTheRestorePutsBackWhatWasRemembered) {
    const LEVEL_CASE cases[] = {
        {0, true, false, false},  {0, true, true, false},   {0, false, true, false},
        {1, false, false, true},  {1, false, true, true},   {1, true, true, true},
        {2, true, false, false},  {2, false, false, false}, {2, false, true, true},  {2, true, true, true},
        {7, true, false, false},  {7, false, true, true},   // an edited file's mode counts as 2
    };
    for (const LEVEL_CASE& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + (c.visibleBefore ? " shown" : " hidden") +
                     (c.remember ? " remember" : ""));
        set_level_visible(kLevel, c.visibleBefore ? 1 : 0);
        g_formsLevelWasVisible = c.visibleBefore ? 0 : 1;   // the opposite, so a remembered value shows
        setFormsLevelVisible(kLevel, c.mode, c.remember);
        EXPECT_EQ(visible(), c.visibleAfterSet);
        if (c.remember) {
            EXPECT_EQ(g_formsLevelWasVisible, c.visibleBefore ? 1 : 0);
            restoreFormsLevelVisible(kLevel);
            EXPECT_EQ(visible(), c.visibleBefore);
        }
    }
}

TEST_F(FormsLevelTest, AHiddenLevelIsShownAgainOnlyWhenItWasRememberedShown) {
    set_level_visible(kLevel, 1);
    setFormsLevelVisible(kLevel, 2, false);   // before the process configuration
    EXPECT_FALSE(visible());
    restoreFormsLevelVisible(kLevel);    // nothing remembered shown since the load
    EXPECT_FALSE(visible());

    set_level_visible(kLevel, 1);
    setFormsLevelVisible(kLevel, 2, true);    // before operations are created
    setFormsLevelVisible(kLevel, 2, false);
    EXPECT_FALSE(visible());
    restoreFormsLevelVisible(kLevel);
    EXPECT_TRUE(visible());
}

// ---- the date text --------------------------------------------------------------------------------------

TEST(DateText, ShortDateAnd24HourTimeWithoutSeconds) {
    // 2026-12-07 14:05:59
    const std::string text = formatDateTime(1796652359);
    EXPECT_EQ(text, "12/07/2026 14:05");
    EXPECT_EQ(formatDateTime(1796601600 + 59), "12/07/2026 00:00");
}

}  // namespace
