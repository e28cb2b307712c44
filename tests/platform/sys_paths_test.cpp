// Path text helpers: Windows-style paths from the plug-in's formats and native ones split alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/sys/paths.h"

namespace plat {
namespace {

struct SplitCase {
    const char* path;
    const char *drive, *dir, *name, *ext;
};

TEST(Paths, SplitTakesBothSeparatorsAndADriveLetter) {
    const SplitCase cases[] = {
        {"/opt/cam/Forantix.so", "", "/opt/cam/", "Forantix", ".so"},
        {"C:\\Cam\\Plugins\\Forantix.dll", "C:", "\\Cam\\Plugins\\", "Forantix", ".dll"},
        {"data\\FORMS_MM/drill.tab", "", "data\\FORMS_MM/", "drill", ".tab"},
        {"archive.tar.gz", "", "", "archive.tar", ".gz"},
        {"/opt/cam.d/README", "", "/opt/cam.d/", "README", ""},
        {"/opt/cam/", "", "/opt/cam/", "", ""},
        {"d:name.txt", "d:", "", "name", ".txt"},
        {"C:\\Plate.pfp", "C:", "\\", "Plate", ".pfp"},   // at the root of a drive
        {"/Plate.pfp", "", "/", "Plate", ".pfp"},
        {"1:odd", "", "", "1:odd", ""},
        {"", "", "", "", ""},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.path);
        const PathParts p = splitPath(c.path);
        EXPECT_EQ(p.drive, c.drive);
        EXPECT_EQ(p.dir, c.dir);
        EXPECT_EQ(p.name, c.name);
        EXPECT_EQ(p.ext, c.ext);
    }
}

TEST(Paths, SplitPartsConcatenateBackToThePath) {
    for (const char* path : {"C:\\a\\b.c", "/x/y/z", "rel\\file.", ".hidden", "a/b\\c.d.e"}) {
        const PathParts p = splitPath(path);
        EXPECT_EQ(p.drive + p.dir + p.name + p.ext, path);
    }
}

TEST(Paths, JoinPutsExactlyOneSeparatorBetween) {
    EXPECT_EQ(joinPath("/opt/cam", "Tmp"), "/opt/cam/Tmp");
    EXPECT_EQ(joinPath("/opt/cam/", "Tmp"), "/opt/cam/Tmp");
    EXPECT_EQ(joinPath("C:\\Cam\\", "\\Tmp"), "C:\\Cam/Tmp");
    EXPECT_EQ(joinPath("/opt//", "//Tmp/"), "/opt/Tmp/");
    EXPECT_EQ(joinPath("/", "etc"), "/etc");
    EXPECT_EQ(joinPath("", "Tmp"), "Tmp");
    EXPECT_EQ(joinPath("/opt", ""), "/opt");
}

TEST(Paths, TrailingSeparatorsGoOneOrAllButTheRootStays) {
    EXPECT_EQ(removeTrailingSeparator("C:\\Cam\\"), "C:\\Cam");
    EXPECT_EQ(removeTrailingSeparator("/opt/cam//"), "/opt/cam/");
    EXPECT_EQ(removeTrailingSeparator("/opt/cam"), "/opt/cam");
    EXPECT_EQ(removeTrailingSeparators("/opt/cam/\\/"), "/opt/cam");
    EXPECT_EQ(removeTrailingSeparator("/"), "/");
    EXPECT_EQ(removeTrailingSeparators("//"), "/");
    EXPECT_EQ(removeTrailingSeparators(""), "");
}

TEST(Paths, NativePathTurnsBackslashes) {
    EXPECT_EQ(toNativePath("\\opt\\cam\\Tmp\\x.dat"), "/opt/cam/Tmp/x.dat");
    EXPECT_EQ(toNativePath("/already/native"), "/already/native");
}

TEST(Paths, CaseBlindComparisonIsAsciiOnly) {
    EXPECT_TRUE(equalsNoCase("Drill.TAB", "drill.tab"));
    EXPECT_FALSE(equalsNoCase("drill.tab", "drill.ta"));
    EXPECT_FALSE(equalsNoCase("\xC9t\xE9", "\xE9t\xE9")) << "bytes above 127 are not folded";
    EXPECT_EQ(compareNoCase("abc", "ABC"), 0);
    EXPECT_LT(compareNoCase("abc", "ABD"), 0);
    EXPECT_GT(compareNoCase("abcd", "ABC"), 0);
    EXPECT_LT(compareNoCase("a_b", "aab"), 0) << "lower-cased as _stricmp: '_' before the letters";
    EXPECT_LT(compareNoCase("a", "\xE9"), 0) << "bytes compare unsigned";
}

TEST(Paths, ListingOrderFoldsToUpperCaseAndBreaksTiesByBytes) {
    std::vector<std::string> names = {"b.tab", "a_b.tab", "A.tab", "abz.tab", "aab.tab", "a.tab", "B.TAB", "[x].tab"};
    std::sort(names.begin(), names.end(), listedBefore);
    // Upper-cased, '_' and '[' sort after the letters; lower-cased (compareNoCase) they would sort before.
    EXPECT_EQ(names, (std::vector<std::string>{"A.tab", "a.tab", "aab.tab", "abz.tab", "a_b.tab", "B.TAB", "b.tab",
                                               "[x].tab"}));
}

}  // namespace
}  // namespace plat
