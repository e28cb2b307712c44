// Files and folders with Windows semantics, in a fresh folder per test. Paths are often given with '\\'
// as the plug-in builds them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"

namespace plat {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kOldTime = 1600000000;  // 2020-09-13

class FilesTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "fx-files-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override {
        failNextWriteAfter(-1);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    std::string path(std::string_view rel) const { return joinPath(root_, rel); }
    void put(std::string_view rel, std::string_view bytes) const { ASSERT_TRUE(writeFile(path(rel), bytes)); }
    // Everything in a folder, so a test sees any temporary file left behind.
    std::set<std::string> entries(std::string_view rel = "") const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(rel.empty() ? root_ : path(rel)))
            names.insert(e.path().filename().string());
        return names;
    }

    std::string root_;
};

TEST_F(FilesTest, FoldersAreMadeOneLevelOrAllLevels) {
    EXPECT_TRUE(createDirectory(root_ + "\\Tmp"));
    EXPECT_TRUE(dirExists(path("Tmp")));
    EXPECT_FALSE(fileExists(path("Tmp")));
    EXPECT_FALSE(createDirectory(path("Tmp"))) << "an existing folder is a failure, as CreateDirectory";
    EXPECT_FALSE(createDirectory(path("a/b"))) << "one level only";
    EXPECT_TRUE(createDirectories(root_ + "\\a\\b\\c"));
    EXPECT_TRUE(dirExists(path("a/b/c")));
    EXPECT_TRUE(createDirectories(path("a/b/c"))) << "already there is fine";
    put("file", "x");
    EXPECT_FALSE(createDirectories(path("file/sub")));
    EXPECT_FALSE(removeFile(path("Tmp"))) << "folders are not files";
    EXPECT_TRUE(removeFile(root_ + "\\file"));
    EXPECT_FALSE(fileExists(path("file")));
    EXPECT_FALSE(removeFile(path("file")));
}

// A tree goes whole with what is in it, links and all, but never what a link in it names.
TEST_F(FilesTest, ATreeIsRemovedWholeWithoutFollowingItsLinks) {
    ASSERT_TRUE(createDirectories(path("kept")) && createDirectories(path("tree/a/b")));
    put("kept/file", "k");
    put("tree/a/b/file", "x");
    fs::create_symlink(path("kept"), path("tree/folder link"));
    fs::create_symlink(path("kept/file"), path("tree/a/file link"));
    ASSERT_EQ(::mkfifo(path("tree/fifo").c_str(), 0600), 0);
    EXPECT_EQ(entryKind(path("tree/a/b/file")), EntryKind::File);
    EXPECT_EQ(entryKind(path("tree/a")), EntryKind::Folder);
    EXPECT_EQ(entryKind(path("tree/a/file link")), EntryKind::Other);
    EXPECT_EQ(entryKind(path("tree/folder link")), EntryKind::Other);
    EXPECT_EQ(entryKind(path("tree/fifo")), EntryKind::Other);
    EXPECT_EQ(entryKind(path("none")), EntryKind::None);
    EXPECT_TRUE(removeTree(root_ + "\\tree"));
    EXPECT_EQ(entries(), (std::set<std::string>{"kept"}));
    EXPECT_EQ(readFile(path("kept/file")), "k");
    fs::create_symlink(path("kept"), path("link"));
    EXPECT_TRUE(removeTree(path("link")));
    EXPECT_TRUE(dirExists(path("kept")));
    EXPECT_TRUE(removeTree(path("none")));
}

TEST_F(FilesTest, WriteThenReadGivesTheSameBytes) {
    const std::string bytes = std::string("line 1\r\nline 2\r\n\0\xff", 18);
    ASSERT_TRUE(writeFile(root_ + "\\data.bin", bytes));
    EXPECT_EQ(readFile(path("data.bin")), bytes);
    ASSERT_TRUE(writeFile(path("data.bin"), "short"));
    EXPECT_EQ(readFile(path("data.bin")), "short");
    ASSERT_TRUE(writeFile(path("empty"), ""));
    EXPECT_EQ(readFile(path("empty")), "");
    EXPECT_FALSE(readFile(path("missing")));
    createDirectory(path("dir"));
    EXPECT_FALSE(readFile(path("dir")));
    EXPECT_EQ(entries(), (std::set<std::string>{"data.bin", "empty", "dir"}));
}

TEST_F(FilesTest, FailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    put("settings.dat", "old settings");
    failNextWriteAfter(3);
    EXPECT_FALSE(writeFile(path("settings.dat"), "new settings, longer than three bytes"));
    EXPECT_EQ(readFile(path("settings.dat")), "old settings");
    EXPECT_EQ(entries(), std::set<std::string>{"settings.dat"});
    EXPECT_TRUE(writeFile(path("settings.dat"), "new")) << "the fault fires once";

    failNextWriteAfter(0);
    EXPECT_FALSE(writeFile(path("fresh.dat"), "abc"));
    EXPECT_FALSE(fileExists(path("fresh.dat")));

    createDirectory(path("folder"));
    EXPECT_FALSE(writeFile(path("folder"), "abc"));
    EXPECT_TRUE(dirExists(path("folder")));
    EXPECT_FALSE(writeFile(path("missing/x.dat"), "abc"));
    EXPECT_EQ(entries(), (std::set<std::string>{"settings.dat", "folder"}));
}

TEST_F(FilesTest, WriteKeepsTheModeOfTheFileItReplaces) {
    put("script.sh", "#!/bin/sh\n");
    ASSERT_EQ(::chmod(path("script.sh").c_str(), 0750), 0);
    ASSERT_TRUE(writeFile(path("script.sh"), "#!/bin/sh\nexit 0\n"));
    struct stat st {};
    ASSERT_EQ(::stat(path("script.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0750u);
}

TEST_F(FilesTest, LastWriteTimeIsReadAndSetInSeconds) {
    EXPECT_FALSE(lastWriteTime(path("missing")));
    EXPECT_FALSE(setLastWriteTime(path("missing"), kOldTime));
    put("f.txt", "x");
    ASSERT_TRUE(setLastWriteTime(root_ + "\\f.txt", kOldTime));
    EXPECT_EQ(lastWriteTime(path("f.txt")), kOldTime);
    EXPECT_TRUE(canWrite(path("f.txt")));
    EXPECT_FALSE(canWrite(path("missing")));
}

TEST_F(FilesTest, CopyKeepsBytesLastWriteTimeAndMode) {
    put("table.tab", "drill table");
    ASSERT_EQ(::chmod(path("table.tab").c_str(), 0640), 0);
    ASSERT_TRUE(setLastWriteTime(path("table.tab"), kOldTime));
    ASSERT_TRUE(copyFile(root_ + "\\table.tab", root_ + "\\table.ta~", true));
    EXPECT_EQ(readFile(path("table.ta~")), "drill table");
    EXPECT_EQ(lastWriteTime(path("table.ta~")), kOldTime);
    struct stat st {};
    ASSERT_EQ(::stat(path("table.ta~").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entries(), (std::set<std::string>{"table.tab", "table.ta~"}));
}

TEST_F(FilesTest, CopyRefusesAnExistingTargetOfAnyCaseWhenAsked) {
    put("table.tab", "new");
    put("Backup.TA~", "previous backup");
    EXPECT_FALSE(copyFile(path("table.tab"), path("backup.ta~"), true));
    EXPECT_FALSE(copyFile(path("table.tab"), path("Backup.TA~"), true));
    EXPECT_EQ(readFile(path("Backup.TA~")), "previous backup");
    EXPECT_EQ(entries(), (std::set<std::string>{"table.tab", "Backup.TA~"}));

    // Overwriting replaces the file that is there, under its own name: no second file differing in case.
    EXPECT_TRUE(copyFile(path("table.tab"), path("backup.ta~"), false));
    EXPECT_EQ(readFile(path("Backup.TA~")), "new");
    EXPECT_EQ(entries(), (std::set<std::string>{"table.tab", "Backup.TA~"}));
}

TEST_F(FilesTest, CopyFailuresLeaveNothingBehind) {
    EXPECT_FALSE(copyFile(path("missing"), path("target"), false));
    createDirectory(path("folder"));
    EXPECT_FALSE(copyFile(path("folder"), path("target"), false)) << "folders are not copied";
    put("src", "0123456789");
    put("target", "old");
    failNextWriteAfter(4);
    EXPECT_FALSE(copyFile(path("src"), path("target"), false));
    EXPECT_EQ(readFile(path("target")), "old");
    EXPECT_FALSE(copyFile(path("src"), path("folder"), false)) << "a folder is not replaced by a file";
    EXPECT_TRUE(dirExists(path("folder")));
    EXPECT_FALSE(copyFile(path("src"), path("nowhere/target"), false));
    EXPECT_EQ(entries(), (std::set<std::string>{"folder", "src", "target"}));
}

TEST_F(FilesTest, MoveRefusesAnExistingTargetOfOtherCase) {
    put("Tools.Pst", "mine");
    put("tools.pst.new", "theirs");
    EXPECT_FALSE(moveFile(path("tools.pst.new"), path("TOOLS.PST")));
    EXPECT_EQ(readFile(path("Tools.Pst")), "mine");
    EXPECT_EQ(readFile(path("tools.pst.new")), "theirs");
    EXPECT_FALSE(moveFile(path("tools.pst.new"), path("Tools.Pst")));
    EXPECT_FALSE(moveFile(path("missing"), path("other")));
    EXPECT_EQ(entries(), (std::set<std::string>{"Tools.Pst", "tools.pst.new"}));
}

TEST_F(FilesTest, MoveRenamesFilesAndFoldersKeepingTheirTime) {
    put("a.cfg", "cfg");
    ASSERT_TRUE(setLastWriteTime(path("a.cfg"), kOldTime));
    createDirectory(path("cfgs"));
    ASSERT_TRUE(moveFile(root_ + "\\a.cfg", root_ + "\\cfgs\\b.ReamCfg"));
    EXPECT_FALSE(fileExists(path("a.cfg")));
    EXPECT_EQ(readFile(path("cfgs/b.ReamCfg")), "cfg");
    EXPECT_EQ(lastWriteTime(path("cfgs/b.ReamCfg")), kOldTime);
    EXPECT_TRUE(moveFile(path("cfgs"), path("Configs")));
    EXPECT_TRUE(fileExists(path("Configs/b.ReamCfg")));
    // Changing only the case of a name is a rename of the file itself, not onto another one.
    EXPECT_TRUE(moveFile(path("Configs/b.ReamCfg"), path("Configs/B.REAMCFG")));
    EXPECT_EQ(entries("Configs"), std::set<std::string>{"B.REAMCFG"});
    EXPECT_TRUE(moveFile(path("Configs/B.REAMCFG"), path("Configs/B.REAMCFG")));
    EXPECT_EQ(readFile(path("Configs/B.REAMCFG")), "cfg");
}

struct PatternCase {
    const char* name;
    const char* pattern;
    bool matches;
};

TEST(FilePatterns, WildcardsMatchIgnoringCase) {
    const PatternCase cases[] = {
        {"drill.tab", "*.tab", true},       {"DRILL.TAB", "*.tab", true},     {"drill.tab", "*.TAB", true},
        {"drill.tabx", "*.tab", false},     {"drill.ta~", "*.tab", false},    {"x.tab.bak", "*.tab", false},
        {"a.tab", "?.tab", true},           {"ab.tab", "?.tab", false},       {"Partforge.Exe", "partforge.exe", true},
        {"noext", "*.*", true},             {"noext", "noext.*", true},       {"dotted.name", "*.*", true},
        {"anything", "*", true},            {"", "*", true},                  {"abc", "a*b*c", true},
        {"aXbYc", "a*b*c", true},           {"aXbY", "a*b*c", false},         {"mississippi", "*sip*", true},
        {"x.ReamCfg", "*.reamcfg", true},   {"x.Materials", "*.materials", true},
    };
    for (const PatternCase& c : cases)
        EXPECT_EQ(matchesPattern(c.name, c.pattern), c.matches) << c.name << " vs " << c.pattern;
}

TEST_F(FilesTest, FindFilesListsMatchesInListingOrderWithTheirFacts) {
    put("b.TAB", "12345");
    put("A.tab", "1");
    put("a_b.tab", "");
    put("abz.tab", "");
    put("notes.txt", "");
    put("README", "");
    createDirectory(path("Sub.tab"));
    ASSERT_TRUE(setLastWriteTime(path("b.TAB"), kOldTime));

    const std::vector<FileEntry> tabs = findFiles(root_ + "\\", "*.tab");
    std::vector<std::string> names;
    for (const FileEntry& e : tabs)
        names.push_back(e.name);
    // '_' after the letters, as the file system lists upper-cased names: "the first table found" is stable.
    EXPECT_EQ(names, (std::vector<std::string>{"A.tab", "abz.tab", "a_b.tab", "b.TAB", "Sub.tab"}));
    ASSERT_EQ(tabs.size(), 5u);
    EXPECT_EQ(tabs[3].size, 5);
    EXPECT_EQ(tabs[3].lastWrite, kOldTime);
    EXPECT_FALSE(tabs[3].isDir);
    EXPECT_TRUE(tabs[4].isDir);

    const std::vector<FileEntry> all = findFiles(root_, "*.*");
    EXPECT_EQ(all.size(), 7u) << "\"*.*\" lists names without a dot too, but never \".\" or \"..\"";
    EXPECT_TRUE(findFiles(path("missing"), "*.*").empty());
    EXPECT_EQ(findFiles(root_, "readme").size(), 1u);
}

TEST_F(FilesTest, ResolveNoCaseFindsTheRealSpellingLevelByLevel) {
    createDirectories(path("FORMS_MM"));
    put("FORMS_MM/Drill.TAB", "d");
    EXPECT_EQ(resolveNoCase(root_, "forms_mm\\drill.tab"), path("FORMS_MM/Drill.TAB"));
    EXPECT_EQ(resolveNoCase(root_ + "\\FORMS_MM", "DRILL.tab"), path("FORMS_MM/Drill.TAB"));
    EXPECT_EQ(resolveNoCase(root_, "Forms_MM\\New.tab"), path("FORMS_MM/New.tab")) << "missing: caller's spelling";
    EXPECT_EQ(resolveNoCase(root_, "forms_inch\\Drill.TAB"), path("forms_inch/Drill.TAB"));
    EXPECT_EQ(readFile(resolveNoCase(root_, "forms_mm/DRILL.TAB")), "d");
}

TEST_F(FilesTest, ResolveNoCasePrefersTheExactNameThenListingOrder) {
    put("x.txt", "lower");
    put("X.TXT", "upper");
    EXPECT_EQ(resolveNoCase(root_, "x.txt"), path("x.txt"));
    EXPECT_EQ(resolveNoCase(root_, "X.TXT"), path("X.TXT"));
    EXPECT_EQ(resolveNoCase(root_, "x.TXT"), path("X.TXT")) << "no exact match: the first in listing order";
}

}  // namespace
}  // namespace plat
