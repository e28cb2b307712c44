// A plug-in installed in a fresh folder and loaded as the host would load it: the module "Tool.so" in
// <tmp>/P/X with its UI-text file beside it, a fresh host whose folder (empty: no tool library) is <tmp>/H,
// where the unnamed part and what is written beside it go, an empty script. Tests drive it through the
// exported functions and assert on the transcript, the host and the files.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "host/state.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/module.h"
#include "platform/sys/thread_queue.h"
#include "platform/ui/driver.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/exports.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/cycle/main_menu.h"
#include "support/temp_dir.h"

class PluginFixture : public testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        plat::clearThreadMessages();
        plat::resetSleptMs();
        host::reset();
        ASSERT_TRUE(plat::createDirectories(dir.path() + "/H"));
        host::setHostDir(dir.path() + "/H/");
        installDir = dir.path() + "/P/X";
        ASSERT_TRUE(plat::createDirectories(installDir));
        installUiTexts(plat::readFile(std::string(FX_SOURCE_DIR) + "/data/Forantix.txt").value_or(""));
        installTableLibrary();
    }
    void TearDown() override { unload(); }

    void installUiTexts(const std::string& bytes) { ASSERT_TRUE(plat::writeFile(installDir + "/Tool.txt", bytes)); }
    // The shipped table library in the module's data folder (<install>/Tool/FORMS_MM and FORMS_INCH).
    void installTableLibrary() {
        std::error_code error;
        std::filesystem::copy(std::string(FX_SOURCE_DIR) + "/data/forms", installDir + "/Tool",
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                              error);
        ASSERT_FALSE(error) << error.message();
    }
    void load() { pluginAttach(plat::registerModule(installDir + "/Tool.so")); }
    // Loads the plug-in and plays one invocation whose main menu the user closes at once: its settings and
    // texts are read and the work cycle has ended; the transcript starts empty.
    void loadAndCloseOnce() {
        load();
        script().click(CMainMenu::kTemplate, plat::IDOK);
        m_main();
        expectScriptPlayed();
        plat::driver().transcript().clear();
    }
    void unload() { pluginDetach(); }
    // One invocation whose loop hands control back at once: the cycle goes on, its data stays in memory.
    void pausedInvocation() {
        plat::postThreadMessage(WM_PLUGIN_COMMAND, 1002, 0);
        m_main();
    }
    // One invocation that the user ends with Close: the cycle ends and is saved.
    void closingInvocation() {
        script().click(CMainMenu::kTemplate, plat::IDOK);
        EXPECT_EQ(m_main(), 0);
    }
    // The open part saved, closed and opened again.
    void reopenPart() {
        const std::string path = dir.path() + "/part.pfp";
        ASSERT_TRUE(host::savePart(path).ok);
        host::newPart();
        ASSERT_TRUE(host::openPart(path).ok);
    }
    plat::Script& script() { return plat::driver().script(); }
    const plat::Transcript& transcript() { return plat::driver().transcript(); }
    // How many transcript lines hold the fragment.
    int count(std::string_view fragment) {
        int n = 0;
        for (const std::string& line : transcript().lines()) n += line.find(fragment) != std::string::npos;
        return n;
    }
    void expectScriptPlayed() {
        EXPECT_TRUE(plat::driver().errors().empty()) << plat::driver().errors().front();
        EXPECT_TRUE(script().empty()) << "steps left: " << script().size();
    }

    TempDir dir;
    std::string installDir;
};
