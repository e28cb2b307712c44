// Every file kept for later is on the disk when its writer returns: each writer goes through the platform's
// durable write, so a flush of its file that fails (as on a disk error) is a failed write, which leaves the
// kept file as it was; the same write with a disk that flushes puts the new bytes in place, the bytes flushed
// before they take the kept file's name and its folder after, so that a power cut at any moment leaves the
// old file or the new one whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/state.h"
#include "host/tools/materials.h"
#include "host/tools/tool_library.h"
#include "platform/sys/files.h"
#include "plugin/base/text_section.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/settings.h"
#include "plugin/settings/shared_data.h"
#include "plugin/settings/shared_library.h"
#include "support/host_tools_fixture.h"
#include "support/tables_fixture.h"

namespace {

class DurableWrites : public TablesFixture {
protected:
    void TearDown() override {
        plat::disarmFlushFailure();
        plat::beforeFlush({});
        TablesFixture::TearDown();
    }
};

// A flush as the disk saw it: what was flushed, what it held then, and what the kept file held then.
struct FLUSH {
    std::string path, bytes, kept;
};

// The folder of a file, as a flush names it with or without its closing '/'.
bool isFolderOf(std::string folder, const std::string& file) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder == std::filesystem::path(file).parent_path().string();
}

// The kept file's new bytes were flushed under another name that no longer holds them (renamed into place)
// while the kept file still held the old ones, and its folder was flushed once it held the new ones.
void expectFlushedInOrder(const std::vector<FLUSH>& flushes, const std::string& file, const std::string& before) {
    const std::string after = plat::readFile(file).value_or("<missing>");
    bool bytesFirst = false, folderAfter = false;
    for (const FLUSH& f : flushes) {
        bytesFirst = bytesFirst || (f.bytes == after && f.kept == before && !plat::fileExists(f.path));
        folderAfter = folderAfter || (bytesFirst && f.kept == after && isFolderOf(f.path, file));
    }
    EXPECT_TRUE(bytesFirst) << "the new bytes took the name before they were on the disk";
    EXPECT_TRUE(folderAfter) << "the folder was not flushed once the file took its name";
}

TEST_F(DurableWrites, EveryKeptFileIsFlushedBeforeItTakesItsNameAndItsFolderAfter) {
    const std::string shared = dir.path() + "/shared", forms = dir.path() + "/station/FORMS_MM";
    const std::string sharedLib = shared + "/FORMS_MM/Lib", localLib = forms + "/Lib";
    ASSERT_TRUE(plat::createDirectories(sharedLib) && plat::createDirectories(localLib) &&
                plat::createDirectories(dir.path() + "/H/Mill/Tools") &&
                plat::createDirectories(dir.path() + "/H/Mill/Materials"));
    g_globals->sharedDir = shared;
    g_globals->sharedFormsDir = shared + "/FORMS_MM";
    g_globals->formsDir = forms;
    g_globals->libraryName = "Lib";
    g_globals->sharedDataOn = 1;
    const auto table = [](const std::string& lib, const std::string& title, const std::string& rows) {
        ASSERT_TRUE(plat::writeFile(lib + "/" + title + ".tab", referenceTableText({})));
        ASSERT_TRUE(plat::writeFile(lib + "/" + title + ".txt", rows));
    };
    struct CASE {
        const char* what;
        std::string file;             // the kept file
        const char* flushed;          // the file whose flush fails: the kept file's own, or its publication's list
        int messages;                 // told when its write fails
        std::function<void()> write;  // writes it with other bytes than it holds
    };
    int round = 0;
    const CASE cases[] = {
        {"a table file", tablePath("T"), "T.tab", 1,
         [&] {
             CTabColsDesc t;
             ASSERT_EQ(t.read(tablePath("T")), 0);
             t.lastTime = ++round;
             (void)t.write();
         }},
        {"a rows file", tablesDir + "/T.txt", "T.txt", 1,
         [&] {
             CTabColsDesc t;
             ASSERT_TRUE(t.read(tablePath("T")) == 0 && t.readRows() >= 0);
             (void)t.appendRow({"R" + std::to_string(++round), "8", "1.25", "6.8", "0"});
             (void)t.writeRows();
         }},
        {"a settings file", dir.path() + "/P/X/Tool_mm.prm", "Tool_mm.prm", 1,
         [&] {
             CTextSection s;
             s.init(dir.path() + "/P/X/Tool_mm.prm", "General", 1);
             s.setLong(1, ++round);
             (void)s.save();
         }},
        {"a tool library", dir.path() + "/H/Mill/Tools/Lib.Tools", "Lib.Tools", 0,
         [&] {
             std::vector<tp_tool> tools{sampleTool(3, 1 + ++round, "DRILL")};
             tools[0].slot = 1;
             std::string message;
             (void)host::tools::writeToolLibrary(dir.path() + "/H/Mill/Tools/Lib.Tools", tools, message);
         }},
        {"a material file", dir.path() + "/H/Mill/Materials/Lib.Materials", "Lib.Materials", 0,
         [&] {
             host::tools::MaterialFile file;
             file.materials.push_back(sampleMaterial("STEEL", 100 + ++round, 0.1));
             std::string message;
             (void)host::tools::writeMaterials(dir.path() + "/H/Mill/Materials/Lib.Materials", file, message);
         }},
        {"the part file", dir.path() + "/part.pfp", "part.pfp", 0,
         [&] {
             host::PartSaveOptions options;
             options.release = ++round;
             (void)host::savePart(dir.path() + "/part.pfp", options);
         }},
        {"the shared library's index", forms + "/Lib.dt", "Lib.dt", 0,
         [&] {
             CSharedFolder index(shared);
             index.appendNewEntry({"T" + std::to_string(++round), fileTimeOfSeconds(1000)});
             index.writeIndexFile("Lib");
         }},
        {"a table a refresh takes in", localLib + "/A.txt", "station/FORMS_MM/Lib/A.txt", 0,
         [&] {
             table(sharedLib, "A", "a" + std::to_string(++round) + "\r\n");
             ASSERT_TRUE(plat::setLastWriteTime(sharedLib + "/A.tab", 1000 + round));
             g_globals->sharedAccessMode = 0;
             (void)copyTablesToSharedData();
         }},
        {"a publication's list", sharedLib + "/B.txt", "complete.dat", 1,
         [&] {
             g_globals->sharedAccessMode = 1;
             (void)claimRunningFlag(shared, g_globals->pluginDir);
             table(localLib, "B", "b" + std::to_string(++round) + "\r\n");
             ASSERT_TRUE(plat::setLastWriteTime(localLib + "/B.tab", 2000 + round));
             (void)copyTablesFromSharedData();
         }},
    };
    table(tablesDir, "T", "M6 6 1 5 0\r\n");
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        c.write();
        const std::string before = bytesOf(c.file);
        ASSERT_NE(before, "<missing>");
        plat::failNextFlush(c.flushed);
        for (int i = 0; i < c.messages; ++i) expectMessage();
        c.write();
        EXPECT_EQ(bytesOf(c.file), before);
        expectScriptPlayed();
        plat::disarmFlushFailure();
        std::vector<FLUSH> flushes;
        plat::beforeFlush([&](std::string_view path) {
            const std::string p(path);
            flushes.push_back({p, plat::readFile(p).value_or(""), bytesOf(c.file)});
        });
        c.write();
        plat::beforeFlush({});
        EXPECT_NE(bytesOf(c.file), before);
        expectFlushedInOrder(flushes, c.file, before);
        expectScriptPlayed();
    }
}

}  // namespace
