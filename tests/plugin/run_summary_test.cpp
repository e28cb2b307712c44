// The summary a recognition run ends with, as the user sees it: which lines show under which settings, the
// box's buttons by whether tools are missing or made, and what the user's answer returns.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/base/message_box.h"
#include "plugin/base/text_section.h"
#include "plugin/engine/run_summary.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/recognition/pipeline_raw.h"
#include "plugin/services/recognition.h"
#include "support/run_tree.h"
#include "support/temp_dir.h"

namespace {

class RunSummary : public RecognitionFixture {
protected:
    void SetUp() override {
        RecognitionFixture::SetUp();
        g_globals->uiTextFile = installDir + "/Tool.txt";
        view = addView(head, 1);
    }
    POINT_LIST* hole() {
        POINT_LIST* p = addHole(view, view->pointCount, 0, {{2, 0, 2, -5}});
        p->adaptedRow = -1;
        return p;
    }
    // One group's entry of every operation of the tree, in tree order.
    std::vector<FULL_TOOLS_SEQ> sequence() {
        std::vector<FULL_TOOLS_SEQ> out(1);
        out[0].view = view;
        for (POINT_LIST* p = view->firstPoint; p; p = p->next)
            for (OPE_LIST* o = p->opeList; o; o = o->next) out[0].opes.push_back(o);
        return out;
    }
    static std::string boxText() {
        std::istringstream lines(plat::lastSnapshot(CMessageBox::kTemplate));
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(std::to_string(CMessageBox::kText) + " ", 0) == 0) return line;
        return "";
    }
    VIEW_LIST* view = nullptr;
};

TEST_F(RunSummary, NothingToSayShowsNoBox) {
    addOperation(hole(), 3, 0);
    auto seq = sequence();
    EXPECT_EQ(showProcessSummary(head, seq), 0);
    EXPECT_FALSE(transcript().contains("dialog"));
    EXPECT_EQ(g_records->runStats.noProblemCount, 1);
}

TEST_F(RunSummary, LinesByTheSettingsAndButtonsByTheTools) {
    struct Case {
        const char* what;
        std::int16_t intelligent, addNewTools;
        bool sharedReadOnly, toolsMissing;
        bool stored;   // the made tool went into the library
        int button, result;
        std::vector<std::string> shown, notShown;
    };
    const Case cases[] = {
        {"every detail", 0, 0, false, false, false, CMessageBox::kThirdButton, 1,
         {"1 holes are deeper", "1 holes got a new table", "1 holes have provisional", "1 holes were matched to an adapted",
          "1 holes have a chamfer", "1 holes run into", "1 holes cannot be reached"},
         {"tools", "read-only"}},
        {"short process", 1, 0, false, false, false, CMessageBox::kThirdButton, 1,
         {"chamfer", "run into", "cannot be reached"}, {"deeper", "new table", "provisional", "adapted"}},
        {"shared read-only", 1, 0, true, false, false, CMessageBox::kThirdButton, 1, {"1 holes need measures"}, {}},
        {"tools: view them", 1, 0, false, true, false, plat::IDCANCEL, 2,
         {"1 tools were not found", "1 tools were made for operations"}, {"added to the tool library", "not taken"}},
        {"tools stored", 1, 1, false, true, true, plat::IDOK, 1, {"1 tools were made and added"}, {"not taken"}},
        {"tools the library did not take", 1, 1, false, true, false, plat::IDOK, 1,
         {"1 tools made for operations were not taken by the tool library"}, {"added to the tool library"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        freeViewsTree(head);
        head = nullptr;
        view = addView(head, 1);
        hole()->depthChecked = 1;
        hole()->noMeasures = 1;
        hole()->provisionalRow = 1;
        hole()->adaptedRow = 3;
        hole()->chamferCheck = 1;
        hole()->crashInto = 1;
        hole()->notAccessible = 1;
        if (c.toolsMissing) {
            addOperation(hole(), 3, -1);
            addOperation(hole(), 3, 0, true)->toolAddedToLibrary = c.stored ? 1 : 0;
        }
        PLUGIN_GLOBALS& g = *g_globals;
        g.settings.intelligentProcess = c.intelligent;
        g.settings.addNewTools = c.addNewTools;
        g.sharedDataOn = c.sharedReadOnly ? 1 : 0;
        g.sharedAccessMode = 0;
        auto seq = sequence();
        script().click(CMessageBox::kTemplate, c.button);
        EXPECT_EQ(showProcessSummary(head, seq), c.result);
        expectScriptPlayed();
        const std::string text = boxText();
        for (const std::string& part : c.shown) EXPECT_NE(text.find(part), std::string::npos) << text;
        for (const std::string& part : c.notShown) EXPECT_EQ(text.find(part), std::string::npos) << text;
        EXPECT_EQ(g_records->runStats.toolsCount1, c.toolsMissing ? 1 : 0);
        EXPECT_EQ(g_records->runStats.toolsCount2, c.toolsMissing ? 1 : 0);
    }
}

// A hole whose measures were added is told by what its row did: stored in its table, or serving the run only
// (its rows file could not take it), or, on a station that reads the shared library only, giving the hole no
// process, for that reason alone. A hole whose row names no process is told so.
TEST_F(RunSummary, HolesAreToldWhatTheirAddedRowsDidAndWhyAHoleHasNoProcess) {
    const struct {
        const char* what;
        std::int16_t noMeasures;
        bool stored, readOnly, operations;
        std::vector<std::string> shown, notShown;
    } cases[] = {
        {"row stored", 1, true, false, true, {"1 holes got a new table"}, {"this run only", "no process"}},
        {"row serving the run only", 1, false, false, true, {"1 holes took measures that serve this run only"},
         {"got a new table", "no process"}},
        {"read-only station", 1, false, true, false, {"1 holes need measures that cannot be stored"},
         {"got a new table", "this run only", "no process"}},
        {"read-only station, row stored", 1, true, true, false, {"1 holes need measures that cannot be stored"},
         {"no process"}},
        {"a row without process", 0, true, false, false, {"1 holes have no process: their row names none"},
         {"got a new table", "this run only"}},
    };
    const std::string tables = installDir + "/Tables";
    ASSERT_TRUE(plat::createDirectories(tables));
    g_globals->tablesDir = tables;
    ASSERT_TRUE(plat::writeFile(tables + "/T.tab", "[Class] 0\r\n"));
    g_globals->settings.intelligentProcess = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freeViewsTree(head);
        head = nullptr;
        view = addView(head, 1);
        POINT_LIST* p = hole();
        p->noMeasures = c.noMeasures;
        p->tableIndex = 0;
        p->rowIndex = 0;
        std::snprintf(p->tableName, sizeof p->tableName, "T");
        std::snprintf(p->rowName, sizeof p->rowName, "**5");
        ASSERT_TRUE(plat::writeFile(tables + "/T.txt", c.stored ? "M4 4 *01 \r\n**5 5 *01 \r\n" : "M4 4 *01 \r\n"));
        if (c.operations) addOperation(p, 3, 0);
        g_globals->sharedDataOn = c.readOnly ? 1 : 0;
        g_globals->sharedAccessMode = 0;
        auto seq = sequence();
        script().click(CMessageBox::kTemplate, CMessageBox::kThirdButton);
        (void)showProcessSummary(head, seq);
        expectScriptPlayed();
        const std::string text = boxText();
        for (const std::string& part : c.shown) EXPECT_NE(text.find(part), std::string::npos) << text;
        for (const std::string& part : c.notShown) EXPECT_EQ(text.find(part), std::string::npos) << text;
    }
}

// A chain of equal holes is one item of the process tree: the summary counts it once, as the tree's
// filter labels do, so both give the same number for the same holes.
TEST_F(RunSummary, AChainOfEqualHolesCountsOnceAsInTheTreesLabels) {
    for (int chain = 0; chain < 3; ++chain) {
        POINT_LIST* first = hole();
        POINT_LIST* second = hole();
        first->notAccessible = second->notAccessible = 1;
        chainHoles(first, {second});
    }
    g_globals->settings.intelligentProcess = 1;
    auto seq = sequence();
    script().click(CMessageBox::kTemplate, CMessageBox::kThirdButton);
    EXPECT_EQ(showProcessSummary(head, seq), 1);
    expectScriptPlayed();
    EXPECT_NE(boxText().find("3 holes cannot be reached"), std::string::npos) << boxText();
    EXPECT_EQ(g_records->runStats.holeCount, 3);
}

// The list of what the recognition left out goes into the work folder alone: without one the summary still
// counts it but names no list, and nothing lands in the current folder (a test's run once left one in the
// checkout).
TEST_F(RunSummary, TheDroppedWallsListIsWrittenOnlyIntoTheWorkFolder) {
    namespace fs = std::filesystem;
    TempDir here;
    const fs::path cwd = fs::current_path();
    fs::current_path(here.path());
    CTextSection texts;
    ASSERT_EQ(texts.load(g_globals->uiTextFile, "treeProcessDlg", false), 0);
    clearDroppedWalls();
    noteDroppedWholeHole(DROP_RULE::TooManyWalls, *hole());
    const std::string work = installDir + "/Tmp";
    ASSERT_TRUE(plat::createDirectories(work));
    for (const std::string& folder : {work, std::string()}) {
        SCOPED_TRACE(folder);
        g_globals->tmpDir = folder;
        const std::string said = droppedWallsSummary(texts);
        EXPECT_NE(said.find("1 holes of more than 25 walls were left out"), std::string::npos) << said;
        EXPECT_EQ(said.find("Each is listed") != std::string::npos, !folder.empty()) << said;
    }
    EXPECT_TRUE(plat::fileExists(work + "/26_Dropped.txt"));
    EXPECT_TRUE(fs::is_empty(here.path()));
    fs::current_path(cwd);
    clearDroppedWalls();
}

}  // namespace
