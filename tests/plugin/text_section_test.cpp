// The sectioned text format: what a hand-edited file may hold, and rewriting one section in place.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/sys/files.h"
#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "plugin/base/text_section.h"
#include "support/temp_dir.h"

namespace {

class TextSectionTest : public testing::Test {
protected:
    void SetUp() override { plat::driver().reset(); }
    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = dir.path() + "/" + name;
        EXPECT_TRUE(plat::writeFile(path, bytes));
        return path;
    }
    std::string read(const std::string& path) { return plat::readFile(path).value_or("<missing>"); }

    TempDir dir;
};

TEST_F(TextSectionTest, HeaderIsMatchedWithoutCaseOverItsOwnLength) {
    const std::string file = write("t.txt",
                                   "[ErrorMessagesX]\r\n1. wrong\r\n"
                                   "  [errormessages] texts\r\n1. right\r\n[Next]\r\n1. other\r\n");
    CTextSection s;
    ASSERT_EQ(s.load(file, "ErrorMessages", false), 0);
    EXPECT_EQ(s.count(), 1);
    EXPECT_EQ(s.getText(1), "right");
    EXPECT_EQ(s.sectionName(), "ErrorMessages");
}

TEST_F(TextSectionTest, MissingFileOrSectionFailsWithTheFixedMessageOnlyWhenAsked) {
    const std::string file = write("t.txt", "[A]\r\n1. x\r\n[Empty]\r\n[B]\r\n");
    CTextSection s;
    plat::driver().script().answer(plat::IDOK);
    EXPECT_EQ(s.load(file, "Missing", true), 1);
    EXPECT_TRUE(plat::driver().transcript().contains("is not found in text file"));
    EXPECT_EQ(s.load(dir.path() + "/none.txt", "A", false), 1);
    EXPECT_EQ(s.load(file, "Empty", true), 1);  // a section without body lines fails silently
    EXPECT_TRUE(plat::driver().errors().empty());
    EXPECT_TRUE(plat::driver().script().empty());
}

TEST_F(TextSectionTest, ItemLinesSeparatorsQuotesCommentsAndNumbers) {
    const std::string file = write("t.txt",
                                   "[S]\r\n"
                                   "( a comment\r\n"
                                   "12. Text\r\n"
                                   "13 Blank separated\r\n"
                                   "14.Tight\r\n"
                                   "15\r\n"
                                   "  16. Two blanks first\r\n"
                                   "17. \"  padded  \" tail\r\n"
                                   "18. \"no closing quote\r\n"
                                   "0. numbered zero\r\n"
                                   "text without number\r\n"
                                   "\r\n"
                                   "19. bare line feed\n"
                                   "12. second twelve\r\n");
    CTextSection s;
    ASSERT_EQ(s.load(file, "S", false), 0);
    EXPECT_EQ(s.getText(12), "Text");
    EXPECT_EQ(s.getText(13), "Blank separated");
    EXPECT_EQ(s.getText(14), "Tight");
    EXPECT_EQ(s.getTextOr(15, "default"), "");
    EXPECT_EQ(s.getText(16), "16. Two blanks first");
    EXPECT_EQ(s.getText(17), "  padded  ");
    EXPECT_EQ(s.getText(18), "\"no closing quote");
    EXPECT_EQ(s.getText(19), "bare line feed");   // a line feed alone ends the line as CR LF does
    EXPECT_EQ(s.getTextOr(0, "none"), "none");
    EXPECT_EQ(s.count(), 9);
}

TEST_F(TextSectionTest, ContinuationLinesJoinAndBecomeLineBreaks) {
    const std::string file = write("t.txt",
                                   "[S]\r\n"
                                   "5. First line\\n_\r\n"
                                   "   Second\r\n"
                                   "6. Ends the file\\n_");
    CTextSection s;
    ASSERT_EQ(s.load(file, "S", false), 0);
    EXPECT_EQ(s.getText(5), "First line\\nSecond");
    EXPECT_EQ(s.getMessage(5), "First line\nSecond");
    EXPECT_EQ(s.getText(6), "Ends the file\\n");
}

TEST_F(TextSectionTest, ContinuationTakesAHeaderLineWhole) {
    const std::string file = write("t.txt", "[S]\r\n1. a\\n_\r\n[Other]\r\n2. b\r\n");
    CTextSection s;
    ASSERT_EQ(s.load(file, "S", false), 0);
    EXPECT_EQ(s.getText(1), "a\\n[Other]");
    EXPECT_EQ(s.getTextOr(2, "absent"), "absent");
}

TEST_F(TextSectionTest, TypedGettersFollowTheCLibrary) {
    const std::string file = write("t.txt", "[S]\r\n1. abc\r\n2.\r\n3. 42x\r\n4. 2.5\r\n");
    CTextSection s;
    ASSERT_EQ(s.load(file, "S", false), 0);
    EXPECT_EQ(s.getLong(1, 7), 0);   // atol of a non-number, not the default
    EXPECT_EQ(s.getLong(2, 7), 7);   // empty text: the default
    EXPECT_EQ(s.getLong(3, 7), 42);
    EXPECT_EQ(s.getLong(9, 7), 7);
    EXPECT_DOUBLE_EQ(s.getDouble(4, 0), 2.5);
    std::int16_t id = -1;
    EXPECT_EQ(s.getTextAt(2, &id), "42x");
    EXPECT_EQ(id, 3);
    EXPECT_EQ(s.getTextAt(9, &id), "");
    EXPECT_EQ(id, 3);
    EXPECT_EQ(s.findIdByText("4 2X", false, " "), 3);
    EXPECT_EQ(s.findIdByText("42X", true, ""), 0);
}

TEST_F(TextSectionTest, SaveReplacesOneSectionAndKeepsTheOthers) {
    const std::string original =
        "[First]\r\n1. keep 100%s\r\n( comment of first\r\n"
        "   [Target]\r\n1. old\r\n2. old too\r\n"
        "[Last]\r\n   3. indented\r\n";
    const std::string file = write("p.prm", original);
    CTextSection s;
    s.init(file, "target", 2);
    s.setText(1, "new");
    s.setDouble(2, 1.5);
    ASSERT_EQ(s.save(), 0);
    EXPECT_EQ(read(file),
              "[First]\r\n1. keep 100%s\r\n( comment of first\r\n"
              "[Target]\r\n1. new\r\n2. 1.5000\r\n"
              "[Last]\r\n3. indented\r\n");
    EXPECT_EQ(read(dir.path() + "/p.pr~"), original);
}

TEST_F(TextSectionTest, SaveAppendsAMissingSectionAndCreatesAMissingFile) {
    const std::string file = write("a.txt", "[Other]\r\n1. x");
    CTextSection s;
    s.init(file, "New", 1);
    s.setLong(1, -5);
    ASSERT_EQ(s.save(), 0);
    EXPECT_EQ(read(file), "[Other]\r\n1. x\r\n[New]\r\n1. -5\r\n");

    const std::string fresh = dir.path() + "/fresh.txt";
    CTextSection t;
    t.init(fresh, "Only", 2);
    t.setText(2, "two");
    ASSERT_EQ(t.save(), 0);
    EXPECT_EQ(read(fresh), "[Only]\r\n1. \r\n2. two\r\n");
    CTextSection back;
    ASSERT_EQ(back.load(fresh, "Only", false), 0);
    EXPECT_EQ(back.getText(2), "two");
}

TEST_F(TextSectionTest, EmptyObjectSavesNothing) {
    CTextSection s;
    s.init(dir.path() + "/x.txt", "S", 0);
    EXPECT_EQ(s.fileName(), "");
    EXPECT_EQ(s.save(), 0);
    EXPECT_FALSE(plat::fileExists(dir.path() + "/x.txt"));
}

TEST_F(TextSectionTest, LongLinesOfOtherSectionsSurviveASave) {
    const std::string longText(3000, 'a');
    const std::string original = "[S]\r\n1. x\r\n[Other]\r\n1. " + longText + "  " + longText + "\r\n";
    const std::string file = write("l.txt", original);
    CTextSection s;
    s.init(file, "S", 1);
    s.setText(1, "y");
    ASSERT_EQ(s.save(), 0);
    EXPECT_EQ(read(file), "[S]\r\n1. y\r\n[Other]\r\n1. " + longText + "  " + longText + "\r\n");
}

// Sections read are kept with the file's bytes; a file changed between two loads, in place with its size and
// within the same clock tick, is read afresh.
TEST_F(TextSectionTest, AFileChangedBetweenTwoLoadsIsReadAfresh) {
    struct CASE {
        const char* what;
        std::string before, after, section, text;
    };
    const CASE cases[] = {
        {"the item's text", "[S]\r\n1. old\r\n", "[S]\r\n1. new\r\n", "S", "new"},
        {"the section's place", "[S]\r\n1. a\r\n[T]\r\n1. b\r\n", "[T]\r\n1. a\r\n[S]\r\n1. b\r\n", "S", "b"},
        {"another section", "[S]\r\n1. a\r\n[T]\r\n1. x\r\n", "[S]\r\n1. a\r\n[T]\r\n1. y\r\n", "T", "y"},
    };
    for (const CASE& c : cases) {
        const std::string file = write("k.txt", c.before);
        CTextSection s;
        ASSERT_TRUE(s.load(file, "S", false) == 0 && s.load(file, c.section, false) == 0) << c.what;
        std::ofstream(file, std::ios::binary) << c.after;
        ASSERT_EQ(s.load(file, c.section, false), 0) << c.what;
        EXPECT_EQ(s.getText(1), c.text) << c.what;
    }
}

// A save that would write both files as they are writes neither; the backup is the file as it was either way.
TEST_F(TextSectionTest, ASaveLeavesTheBackupAsTheFileWasWhetherOrNotItChangesIt) {
    const std::string same = "[S]\r\n1. same\r\n";
    const std::string cases[][3] = {// backup, value, file after
                                    {same, "same", same}, {"[S]\r\n1. older\r\n", "same", same},
                                    {same, "new", "[S]\r\n1. new\r\n"}};
    for (const auto& [backup, value, after] : cases) {
        const std::string file = write("s.prm", same);
        write("s.pr~", backup);
        CTextSection s;
        s.init(file, "S", 1);
        s.setText(1, value);
        ASSERT_EQ(s.save(), 0) << backup << value;
        EXPECT_EQ(read(file), after) << backup << value;
        EXPECT_EQ(read(dir.path() + "/s.pr~"), same) << backup << value;
    }
}

TEST_F(TextSectionTest, AFailedBackupCopyLeavesTheFileAsItWas) {
    const std::string file = write("b.txt", "[S]\r\n1. old\r\n");
    std::filesystem::create_directory(dir.path() + "/b.tx~");  // the backup name is taken by a folder
    CTextSection s;
    s.init(file, "S", 1);
    s.setText(1, "new");
    plat::driver().script().answer(plat::IDOK);
    EXPECT_EQ(s.save(), 1);
    EXPECT_EQ(read(file), "[S]\r\n1. old\r\n");
    EXPECT_TRUE(plat::driver().transcript().contains("b.tx~"));
}

}  // namespace
