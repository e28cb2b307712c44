// Reading session scripts: every verb, its argument checks, the line numbers of errors, and that steps
// built in code equal the steps read from text.
#include <gtest/gtest.h>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"

namespace {

using plat::parseSession;
using plat::Step;

std::vector<std::string> args(const Step& s) { return s.args; }

TEST(SessionParse, ReadsEveryVerbWithLinesAndNormalisedArguments) {
    const char* text =
        "# a comment line\n"
        "invoke\n"
        "\n"
        "click 18048 1   # OK on the main menu\n"
        "type 18021 4068 12.5 mm deep\n"
        "type 18021 4069 \"  # kept \\\" \"\n"
        "type 18021 4070 \"\"\n"
        "check 18021 4071 1\n"
        "select 18021 4072 -1\n"
        "key 18021 RETURN\n"
        "key 18021 27\n"
        "close 18046\n"
        "focus-out 18047\n"
        "focus-out 18047 esc\n"
        "answer IDYES\n"
        "answer 2\n"
        "menu none\n"
        "menu 129\n"
        "file /tmp/a b.txt\n"
        "file cancel\n"
        "folder /data/forms\n"
        "point 10 -2.5 1e2\n"
        "esc\n"
        "cancel-wait\r\n"
        "notify 3\n";
    plat::ParsedSession p = parseSession(text);
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.steps.size(), 23u);
    struct Want {
        int line;
        const char* verb;
        std::vector<std::string> args;
    };
    const std::vector<Want> want = {
        {2, "invoke", {}},
        {4, "click", {"18048", "1"}},
        {5, "type", {"18021", "4068", "12.5 mm deep"}},
        {6, "type", {"18021", "4069", "  # kept \" "}},
        {7, "type", {"18021", "4070", ""}},
        {8, "check", {"18021", "4071", "1"}},
        {9, "select", {"18021", "4072", "-1"}},
        {10, "key", {"18021", "13"}},
        {11, "key", {"18021", "27"}},
        {12, "close", {"18046"}},
        {13, "focus-out", {"18047"}},
        {14, "focus-out", {"18047", "esc"}},
        {15, "answer", {"6"}},
        {16, "answer", {"2"}},
        {17, "menu", {"0"}},
        {18, "menu", {"129"}},
        {19, "file", {"/tmp/a b.txt"}},
        {20, "file", {"cancel"}},
        {21, "folder", {"/data/forms"}},
        {22, "point", {"10", "-2.5", "1e2"}},
        {23, "esc", {}},
        {24, "cancel-wait", {}},
        {25, "notify", {"3"}},
    };
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(want[i].verb + std::string(" at line ") + std::to_string(want[i].line));
        EXPECT_EQ(p.steps[i].line, want[i].line);
        EXPECT_EQ(p.steps[i].verb, want[i].verb);
        EXPECT_EQ(args(p.steps[i]), want[i].args);
    }
    EXPECT_DOUBLE_EQ(p.steps[19].doubleArg(1), -2.5);
    EXPECT_DOUBLE_EQ(p.steps[19].doubleArg(2), 100.0);
    EXPECT_EQ(p.steps[6].intArg(2), -1);
    EXPECT_EQ(p.steps[12].intArg(0), plat::IDYES);
}

// Backslashes, checked against the texts themselves: a quoted text takes "\\" as one backslash, an unquoted
// text keeps every one, and describe() doubles them only inside quotes (a reader and a writer that both
// lost them would still agree with each other).
TEST(SessionParse, BackslashesInQuotedAndPlainTextsAreTakenAsWritten) {
    plat::ParsedSession p = parseSession(
        "type 18021 4068 \"C:\\\\Cam\\\\Forms\\\\\"\n"
        "file C:\\Cam\\x.txt\n"
        "type 18021 4068 \"a\\\"b\"\n");
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.steps.size(), 3u);
    EXPECT_EQ(p.steps[0].args.back(), "C:\\Cam\\Forms\\");
    EXPECT_EQ(p.steps[1].args.back(), "C:\\Cam\\x.txt");
    EXPECT_EQ(p.steps[2].args.back(), "a\"b");
    plat::Script built;
    built.type(18021, 4068, "C:\\Cam\\Forms\\").type(18021, 4068, " C:\\Cam ");
    EXPECT_EQ(built.take()->describe(), "type 18021 4068 C:\\Cam\\Forms\\");    // needs no quotes
    EXPECT_EQ(built.take()->describe(), "type 18021 4068 \" C:\\\\Cam \"");  // quoted: doubled
}

// "?" before a step makes it optional; it reads back from its description.
TEST(SessionParse, AStepAfterAQuestionMarkIsOptional) {
    plat::ParsedSession p = parseSession("? click 18036 1\nclick 18021 1\n  ?  tree-collapse 18021 4003 \"(Group 0)  TOP\"\n");
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.steps.size(), 3u);
    EXPECT_TRUE(p.steps[0].optional);
    EXPECT_FALSE(p.steps[1].optional);
    EXPECT_TRUE(p.steps[2].optional);
    EXPECT_EQ(p.steps[2].args, (std::vector<std::string>{"18021", "4003", "(Group 0)  TOP"}));
    EXPECT_EQ(p.steps[0].describe(), "line 1: ? click 18036 1");
    Step shown = p.steps[2];
    shown.line = 0;
    plat::ParsedSession again = parseSession(shown.describe());
    ASSERT_EQ(again.error, "") << shown.describe();
    ASSERT_EQ(again.steps.size(), 1u);
    EXPECT_TRUE(again.steps[0].optional);
    EXPECT_EQ(again.steps[0].args, p.steps[2].args);
}

TEST(SessionParse, EmptyAndCommentOnlyTextsGiveNoStepsAndNoError) {
    for (const char* text : {"", "\n\n", "   # nothing\n\t\n#x"}) {
        plat::ParsedSession p = parseSession(text);
        EXPECT_EQ(p.error, "") << text;
        EXPECT_TRUE(p.steps.empty()) << text;
    }
}

// Each bad line is refused with its line number and the whole script is dropped, so a half-read script
// never runs.
TEST(SessionParse, RefusesBadLinesWithTheirLineNumber) {
    struct Case {
        const char* line;
        const char* fragment;
    };
    const std::vector<Case> cases = {
        {"clik 1 2", "unknown verb \"clik\""},
        {"invoke now", "invoke: wrong number of arguments"},
        {"click 18048", "click: wrong number of arguments"},
        {"click 18048 1 2", "click: wrong number of arguments"},
        {"click 18048 x1", "\"x1\" is not a whole number"},
        {"click 18048 1.5", "\"1.5\" is not a whole number"},
        {"click 99999999999 1", "is not a whole number"},
        {"type 18021 4068", "type: missing text"},
        {"type 18021 \"4068\" x", "is not a whole number"},
        {"type 1 2 \"open", "unterminated quoted text"},
        {"type 1 2 \"a\" b", "unexpected text after the quoted text"},
        {"check 1 2", "check: wrong number of arguments"},
        {"check 1 2 2", "the state must be 0 or 1"},
        {"select 1 2 first", "\"first\" is not a whole number"},
        {"select 1 2 3 alt", "expected \"ctrl\" or \"shift\""},
        {"select 1 2 3 ctrl shift", "select: wrong number of arguments"},
        {"key 1", "key: wrong number of arguments"},
        {"key 1 ENTERR", "\"ENTERR\" is not a key"},
        {"close", "close: wrong number of arguments"},
        {"close 1 2", "close: wrong number of arguments"},
        {"focus-out 1 escape", "expected \"esc\""},
        {"colour-pick red", "is neither a whole number from 0 nor \"cancel\""},
        {"colour-pick -3", "is neither a whole number from 0 nor \"cancel\""},
        {"list-click 1 2 3 0 alt", "expected \"ctrl\""},
        {"focus-out 1 esc esc", "focus-out: wrong number of arguments"},
        {"answer", "answer: wrong number of arguments"},
        {"answer IDMAYBE", "\"IDMAYBE\" is not an answer code"},
        {"answer -1", "is not an answer code"},
        {"menu", "menu: wrong number of arguments"},
        {"menu nothing", "is not a menu item id"},
        {"file", "file: missing text"},
        {"folder", "folder: missing text"},
        {"point 1 2", "point: wrong number of arguments"},
        {"point 1 2 3 4", "point: wrong number of arguments"},
        {"point 1 2 z", "\"z\" is not a number"},
        {"point 1 2 nan", "\"nan\" is not a number"},
        {"esc 1", "esc: wrong number of arguments"},
        {"cancel-wait now", "cancel-wait: wrong number of arguments"},
        {"notify", "notify: wrong number of arguments"},
        {"notify three", "is not a whole number"},
        {"?", "\"?\" without a step"},
        {"? # a comment", "\"?\" without a step"},
        {"? clik 1 2", "unknown verb \"clik\""},
        {"?click 1 2", "unknown verb \"?click\""},
    };
    for (const Case& c : cases) {
        std::string text = "invoke\n# comment\n\n" + std::string(c.line) + "\ninvoke\n";
        plat::ParsedSession p = parseSession(text);
        EXPECT_TRUE(p.steps.empty()) << c.line;
        EXPECT_EQ(p.error.rfind("line 4: ", 0), 0u) << c.line << " -> " << p.error;
        EXPECT_NE(p.error.find(c.fragment), std::string::npos) << c.line << " -> " << p.error;
    }
}

TEST(SessionParse, BuiltStepsEqualParsedStepsAndDescribeReadsBack) {
    plat::Script built;
    built.invoke()
        .click(18048, 1)
        .type(18021, 4068, "a  b # c")
        .type(18021, 4068, "")
        .check(18021, 4071, 1)
        .select(18021, 4072, 3)
        .select(18022, 4051, 5, "shift")
        .key(18021, plat::VK_ESCAPE)
        .close(18046)
        .focusOut(18047, true)
        .focusOut(18047, false)
        .answer(plat::IDNO)
        .menu(0)
        .file("")
        .folder("/x/y")
        .point(1.5, -2, 0.1)
        .esc()
        .cancelWait()
        .libraryPick("STEEL 1045 - MM")
        .libraryPick("")
        .colourPick(12)
        .colourPick(-1);
    plat::ParsedSession p = parseSession(
        "invoke\nclick 18048 1\ntype 18021 4068 \"a  b # c\"\ntype 18021 4068 \"\"\ncheck 18021 4071 1\n"
        "select 18021 4072 3\nselect 18022 4051 5 shift\nkey 18021 ESCAPE\nclose 18046\nfocus-out 18047 esc\nfocus-out 18047\n"
        "answer IDNO\nmenu none\nfile cancel\nfolder /x/y\npoint 1.5 -2 0.1\nesc\ncancel-wait\n"
        "library-pick STEEL 1045 - MM\nlibrary-pick cancel\ncolour-pick 12\ncolour-pick cancel\n");
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.steps.size(), built.size());
    std::string asText;
    for (const Step& parsed : p.steps) {
        std::optional<Step> b = built.take();
        ASSERT_TRUE(b);
        EXPECT_EQ(b->verb, parsed.verb);
        EXPECT_EQ(b->args, parsed.args) << parsed.describe();
        EXPECT_EQ(b->line, 0);
        asText += b->describe() + "\n";
    }
    // describe() of a code-built step is itself a session line that reads back to the same step.
    plat::ParsedSession again = parseSession(asText);
    ASSERT_EQ(again.error, "") << asText;
    ASSERT_EQ(again.steps.size(), p.steps.size());
    for (std::size_t i = 0; i < p.steps.size(); ++i) EXPECT_EQ(again.steps[i].args, p.steps[i].args) << i;
}

}  // namespace
