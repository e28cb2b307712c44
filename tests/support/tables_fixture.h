// A loaded plug-in in metric units (T = 0.025) with a tables folder and a work folder of its own, the
// "ErrorMessages" texts loaded, and helpers to read files as bytes and to script the OK of a message box.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/sys/files.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/services/tables.h"
#include "support/plugin_fixture.h"
#include "support/table_files.h"
#include "plugin/tables/thread_tables.h"

class TablesFixture : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        ASSERT_EQ(g_globals->errorMessages.load(installDir + "/Tool.txt", "ErrorMessages", true), 0);
        g_globals->uiTextFile = installDir + "/Tool.txt";
        g_globals->hostVersion[7] = 1;   // metric
        setUnitTolerances(true);
        tablesDir = dir.path() + "/forms/Lib1";
        tmpDir = dir.path() + "/Tmp";
        ASSERT_TRUE(plat::createDirectories(tablesDir));
        ASSERT_TRUE(plat::createDirectories(tmpDir));
        g_globals->tablesDir = tablesDir;
        g_globals->tmpDir = tmpDir;
        g_threadTables->count = 0;
        g_globals->settings.defaultTipAngle = 118;
    }
    void TearDown() override {
        plat::failNextWriteAfter(-1);
        PluginFixture::TearDown();
    }

    // A copy of the shipped metric library in the tables folder.
    void installShippedTables() {
        const std::filesystem::path shipped = std::string(FX_SOURCE_DIR) + "/data/forms/FORMS_MM/Standard";
        for (const auto& file : std::filesystem::directory_iterator(shipped))
            std::filesystem::copy_file(file.path(), std::filesystem::path(tablesDir) / file.path().filename());
    }

    std::string bytesOf(const std::string& path) { return plat::readFile(path).value_or("<missing>"); }
    std::string tablePath(const std::string& name) { return tablesDir + "/" + name + ".tab"; }
    // The next message box is answered with OK.
    void expectMessage() { script().answer(plat::IDOK); }

    std::string tablesDir, tmpDir;
};
