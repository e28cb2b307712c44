// The process tree as a user works in it on the recognised example plate: the tree and its filters, the
// marks switched by clicks, labels, the context menu and its dialogs, the points list and the groups of
// selected holes, and every way the tree's run ends; what the user sees and what lands in the part.
#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "host/api.h"
#include "host/state.h"
#include "platform/sys/files.h"
#include "plugin/base/settings.h"
#include "plugin/engine/selected_groups.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"
#include "support/process_tree_fixture.h"
#include "plugin/model/work_records.h"

namespace {

const std::string kView = "(Group 0)  TOP";
constexpr int kConfiguration = 18018;

class ProcessTreeSession : public ProcessTreeFixture {
protected:
    // The user opens the process tree from the main menu, does `work` there, and (unless the work ends the
    // tree) leaves it and the main menu.
    void inTree(const std::function<void(plat::Script&)>& work, bool leave = true) {
        script().click(kMenu, kViewProcess);
        work(script());
        if (leave) script().click(kTreeDlg, plat::IDOK).click(kMenu, plat::IDOK);
        m_main();
        for (const auto& l : transcript().lines())
            if (l.find("script error") != std::string::npos) ADD_FAILURE() << l;
        expectScriptPlayed();
    }
    bool shown(const std::string& label) { return treeSnapshot().find("\"" + label + "\"") != std::string::npos; }
    // The path of hole n's item.
    std::string holePath(int n) { return kView + "/" + item(n); }
    // The points list's line of hole 1, which has no identical holes.
    std::string firstPosition() {
        return fromPart<std::string>([](VIEW_LIST* tree) {
            char text[128];
            const double* p = hole(tree, 1)->ptView;
            std::snprintf(text, sizeof text, "X%.2f Y%.2f Z%.2f", p[0], p[1], p[2]);
            return std::string(text);
        });
    }
    // In the tree the user configures the hole's table and tries the configuration on the part.
    void configurationTrial(const std::string& hole) {
        // The row's reamer makes the trial hole fitted; the library has no fit table to look it up in.
        script().treeRClick(kTreeDlg, kTree, hole).menu(30).click(kConfiguration, CConfigProcess::kSimulate).answer(plat::IDOK);
        m_main();
        expectScriptPlayed();
        EXPECT_EQ(g_processPreset, 1013);
        EXPECT_EQ(g_resumeAction, 3);
    }
    static int blankedEntities() {
        int n = 0;
        for (const ent& e : host::allEntities()) n += (e.sel & kSelBlank) != 0;
        return n;
    }
};

TEST_F(ProcessTreeSession, FiltersShowTheHolesOfTheCheckedStatesAndAreKeptForTheNextRun) {
    editPart([](VIEW_LIST* tree) { hole(tree, 1)->noProblem = 1; });   // a mark from before its tool went missing
    inTree([](plat::Script& s) {
        s.click(kTreeDlg, 4307)      // Advanced: the filters
            .check(kTreeDlg, 4117, 1)   // tools not found: every hole but 11
            .check(kTreeDlg, 4302, 0);  // not the adaptable tables
    });
    EXPECT_NE(treeSnapshot().find("4117 Check text=\"Tools not found (" + std::to_string(holeCount - 1) +
                                  ")\" visible=1 enabled=1 check=1"),
              std::string::npos);
    EXPECT_TRUE(shown(item(4)));       // matched exactly, but a tool is missing
    EXPECT_FALSE(shown(item(holeCount)));   // adapted, every tool found
    EXPECT_NE(treeSnapshot().find("4118 Check text=\"Tools created (1)\""), std::string::npos);
    // No hole is without a problem: that filter cannot be used.
    EXPECT_NE(treeSnapshot().find("4035 Check text=\"No problems (0)\" visible=1 enabled=0"), std::string::npos);
    EXPECT_EQ(g_records->processTreeFlags & (kStateToolMissing | kStateAdapted), kStateToolMissing);
    EXPECT_EQ(g_globals->settings.processTreeOption, 1);   // the Advanced part was open when the tree closed

    // Every filter off: no hole and no view, the group box still says what the tree holds.
    inTree([](plat::Script& s) {
        s.click(kTreeDlg, 4307);
        for (int box : {4116, 4114, 4117}) s.check(kTreeDlg, box, 0);
    });
    EXPECT_NE(treeSnapshot().find("items=0"), std::string::npos);
    EXPECT_NE(treeSnapshot().find("4124 GroupBox text=\"Views, holes and operations\""), std::string::npos);
}

// The images say each operation's tool state; clicks on them switch marks down the branch and up to the view.
TEST_F(ProcessTreeSession, ImagesShowTheToolsAndIconClicksSwitchMarksDownTheBranchAndUpToTheView) {
    const std::string hole1 = holePath(1), hole2 = holePath(2), last = holePath(holeCount);
    inTree([&](plat::Script& s) {
        s.click(kTreeDlg, 4307).check(kTreeDlg, 4302, 1)   // the adapted holes too
            .treeExpand(kTreeDlg, kTree, kView)
            .treeExpand(kTreeDlg, kTree, hole1)
            .treeClick(kTreeDlg, kTree, hole1, true)
            .treeExpand(kTreeDlg, kTree, hole2)
            .treeClick(kTreeDlg, kTree, hole2 + "/Drill 2", true)
            .treeRClick(kTreeDlg, kTree, hole1 + "/Drill 1")   // an operation has no menu
            .treeExpand(kTreeDlg, kTree, last);
    });
    EXPECT_EQ(imageOf(kView), "1/1");          // the view is on
    EXPECT_EQ(count("menu owner=18021"), 0);
    EXPECT_EQ(imageOf(item(1)), "1/1");       // on, its chain (itself) selected
    EXPECT_EQ(imageOf("Drill 1"), "3/3");
    EXPECT_EQ(imageOf("Chamfer 1"), "4/4");    // no tool: never on
    EXPECT_EQ(imageOf(item(3)), "2/2");       // off, not selected
    EXPECT_EQ(imageOf("Drill " + std::to_string(holeCount)), "8/8");   // its tool made by the layout
    EXPECT_EQ(imageOf("Chamfer " + std::to_string(holeCount)), "2/2");
    struct MARKS { int checked1, selected1, drill1, chamfer1, checked2, view; };
    const MARKS marks = fromPart<MARKS>([](VIEW_LIST* tree) {
        POINT_LIST* h1 = hole(tree, 1);
        POINT_LIST* h2 = hole(tree, 2);
        return MARKS{h1->treeChecked, h1->selected, h1->opeList->active, h1->opeList->next->active,
                     h2->treeChecked, tree->selected};
    });
    EXPECT_EQ(marks.checked1, 1);
    EXPECT_EQ(marks.selected1, 1);
    EXPECT_EQ(marks.drill1, 1);
    EXPECT_EQ(marks.chamfer1, 1);   // switched with its hole; its image stays "no tool"
    EXPECT_EQ(marks.checked2, 1);   // switched on through its operation
    EXPECT_EQ(marks.view, 1);
}

TEST_F(ProcessTreeSession, AHoleLabelTheUserEditsIsKeptThroughRefillsAndInThePart) {
    const std::string hole1 = holePath(1);
    const std::string explanation = item(1).substr(label(1).size());   // shown after the label
    ASSERT_EQ(explanation.rfind("  Drilled ", 0), 0u) << explanation;
    inTree([&](plat::Script& s) {
        s.treeExpand(kTreeDlg, kTree, kView)
            .treeEdit(kTreeDlg, kTree, hole1, "Front bore" + explanation)   // the explanation left standing
            .treeEdit(kTreeDlg, kTree, kView, "Renamed view")   // refused
            .treeRClick(kTreeDlg, kTree, kView + "/Front bore" + explanation)
            .menu(16);   // expand all: the tree is filled again
    });
    EXPECT_TRUE(shown("Front bore" + explanation));
    EXPECT_TRUE(shown(kView));
    EXPECT_FALSE(shown("Renamed view"));
    EXPECT_EQ(fromPart<std::string>([](VIEW_LIST* tree) { return fieldText(hole(tree, 1)->description); }), "Front bore");
}

// The hole's table configured from the tree and closed with OK: the process is assigned again, and the
// label the user gave the hole ("Hole 1", not its table and row) stays.
TEST_F(ProcessTreeSession, AHolesOwnLabelOutlivesTheConfigurationOfItsTable) {
    const std::string first = holePath(1);
    inTree([&](plat::Script& s) {
        s.treeExpand(kTreeDlg, kTree, kView).treeRClick(kTreeDlg, kTree, first).menu(30).click(kConfiguration, plat::IDOK);
    });
    EXPECT_EQ(count("dialog.show 18018"), 1);
    EXPECT_EQ(count("dialog.show 18021"), 2);   // the tree again after the configuration
    EXPECT_EQ(fromPart<std::string>([](VIEW_LIST* tree) { return fieldText(hole(tree, 1)->description); }), label(1));
}

TEST_F(ProcessTreeSession, ChangingAHolesProcessOffersItsTablesProcessesAndAppliesTheChoice) {
    const std::string table = installDir + "/Tool/FORMS_MM/Standard/Drilled.tab";
    const std::string text = plat::readFile(table).value_or("");
    const auto row = text.find("[1 1] ");
    ASSERT_NE(row, std::string::npos);
    const std::string line = text.substr(row + 6, text.find('\n', row) - row - 5);
    ASSERT_TRUE(plat::writeFile(table, text + "[Peck 1] " + line + "[Deep 1] " + line));
    const std::string hole1 = holePath(1);
    inTree([&](plat::Script& s) {
        s.treeExpand(kTreeDlg, kTree, kView)
            .treeRClick(kTreeDlg, kTree, hole1)
            .menu(31)
            .select(18092, 18123, 2)   // sorted: 1, Deep, Peck
            .click(18092, plat::IDOK);
    });
    EXPECT_NE(plat::lastSnapshot(18092).find("items=[\"1\",\"Deep\",\"Peck\"] sel=2"), std::string::npos)
        << plat::lastSnapshot(18092);
    EXPECT_EQ(fromPart<std::string>([](VIEW_LIST* tree) { return std::string(hole(tree, 1)->processName); }), "Peck");
    // The process's operations replaced the hole's, and the tree shows them.
    const std::string first = fromPart<std::string>([](VIEW_LIST* tree) {
        const OPE_LIST* o = hole(tree, 1)->opeList;
        return o ? std::string(o->comment) : std::string("none");
    });
    EXPECT_NE(first, "Drill 1");
    EXPECT_NE(first, "none");
    EXPECT_EQ(g_records->processTreeFlags, 0xFFFFFFFFu);   // after a change every state is shown again
}

// A hole without a table is one without a place among the loaded tables, whatever name it still holds.
TEST_F(ProcessTreeSession, AHoleWithoutATableCannotBeConfiguredNorChanged) {
    editPart([](VIEW_LIST* tree) { hole(tree, 1)->tableIndex = -1; });
    const std::string hole1 = holePath(1);
    inTree([&](plat::Script& s) {
        s.treeExpand(kTreeDlg, kTree, kView)
            .treeRClick(kTreeDlg, kTree, hole1).menu(31).answer(plat::IDOK)
            .treeRClick(kTreeDlg, kTree, hole1).menu(30).answer(plat::IDOK);
    });
    EXPECT_EQ(count("msgbox owner=18021"), 2);
    EXPECT_TRUE(transcript().contains("The hole has no process table."));
    EXPECT_EQ(count("dialog.show 18092"), 0);
}

TEST_F(ProcessTreeSession, TheClearanceOptionOfAViewIsSetInItsDialog) {
    inTree([](plat::Script& s) {
        s.treeRClick(kTreeDlg, kTree, kView).menu(20).check(18023, 4019, 1).click(18023, plat::IDOK);
    });
    EXPECT_EQ(fromPart<int>([](VIEW_LIST* tree) { return tree->clearanceStartEnd; }), 1);
}

TEST_F(ProcessTreeSession, AClickOnTheEmptyAreaClearsTheHighlight) {
    const std::string hole1 = holePath(1);
    inTree([&](plat::Script& s) {
        s.treeExpand(kTreeDlg, kTree, kView)
            .treeClick(kTreeDlg, kTree, hole1, true)   // drop-highlighted
            .treeClick(kTreeDlg, kTree, "");
    });
    EXPECT_EQ(treeSnapshot().find(" drop"), std::string::npos) << treeSnapshot();
}

// An isolated group from the points list hides everything but the position's surfaces; the next run of the
// plug-in undoes the group, shows them again and reopens the points list.
TEST_F(ProcessTreeSession, AnIsolatedGroupFromThePointsListIsUndoneAtTheNextRun) {
    const int blankedBefore = blankedEntities();
    const std::string position = firstPosition();
    const std::string hole1 = holePath(1);
    inTree(
        [&](plat::Script& s) {
            s.treeExpand(kTreeDlg, kTree, kView)
                .treeRClick(kTreeDlg, kTree, hole1)
                .menu(4)
                .treeRClick(kPoints, kPointsTree, position)
                .menu(2);
        },
        false);
    EXPECT_TRUE(isolationPending());
    EXPECT_GT(blankedEntities(), blankedBefore);
    const std::uint32_t group = g_lastOpGroup;
    ASSERT_NE(TpMainGrpMgr().GetMainGrpList().GroupByID(static_cast<std::int32_t>(group)), nullptr);
    EXPECT_EQ(std::string(TpMainGrpMgr().GetMainGrpList().GroupByID(static_cast<std::int32_t>(group))->name),
              "Forantix selection (TOP)");

    script().click(kPoints, plat::IDOK).click(kTreeDlg, plat::IDOK).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_FALSE(isolationPending());
    EXPECT_EQ(blankedEntities(), blankedBefore);
    EXPECT_EQ(TpMainGrpMgr().GetMainGrpList().GroupByID(static_cast<std::int32_t>(group)), nullptr);
}

// The items of each menu in order, "-" for a separator, from the popups the tree opened.
std::vector<std::string> treeMenus(const std::vector<std::string>& lines) {
    std::vector<std::string> menus;
    const std::regex entry(R"((\[|, )(-|\d+)(?= "|,|\]))");
    for (const std::string& line : lines) {
        if (line.rfind("menu owner=18021", 0) != 0) continue;
        const std::string items = line.substr(line.find('['), line.rfind(" -> ") - line.find('['));
        std::string ids;
        for (auto it = std::sregex_iterator(items.begin(), items.end(), entry); it != std::sregex_iterator(); ++it)
            ids += (ids.empty() ? "" : " ") + (*it)[2].str();
        menus.push_back(ids);
    }
    return menus;
}

// The context menu by what was clicked: the empty area (checking every adaptable table only under that
// filter), a view, and a hole (checking its adaptable table only when it was adapted to a row).
TEST_F(ProcessTreeSession, EachKindOfItemHasItsOwnMenu) {
    const std::string hole1 = holePath(1), hole4 = holePath(4);
    inTree([&](plat::Script& s) {
        s.click(kTreeDlg, 4307).check(kTreeDlg, 4117, 1).check(kTreeDlg, 4302, 0)
            .treeRClick(kTreeDlg, kTree, "").menu(0)
            .check(kTreeDlg, 4302, 1)
            .treeRClick(kTreeDlg, kTree, "").menu(0)
            .treeRClick(kTreeDlg, kTree, kView).menu(0)
            .treeRClick(kTreeDlg, kTree, hole1).menu(0)
            .treeRClick(kTreeDlg, kTree, hole4).menu(0);
    });
    const std::string common = "16 17 18 19 -";
    const std::vector<std::string> expected = {
        common + " 14 13 15",                     // the empty area, the adaptable filter off
        common + " 14 13 15 29",                  // and on
        common + " 5 13 11 3 20",                 // a view
        common + " 6 13 4 - 12 30 31 - 32 25",    // an adapted hole
        common + " 6 13 4 - 12 30 31 - 32",       // a hole matched exactly
    };
    EXPECT_EQ(treeMenus(transcript().lines()), expected);
}

// Two isolated groups before an undo: the second shows what the first hid before it hides again, so the
// one undo shows every entity.
TEST_F(ProcessTreeSession, ASecondIsolatedGroupBeforeTheUndoLeavesNothingHiddenForGood) {
    const int before = blankedEntities();
    loadAllRecords(&g_records->viewsTree);
    VIEW_LIST* tree = g_records->viewsTree;
    ASSERT_EQ(createGroupOpsIsolated(tree, hole(tree, 1), hole(tree, 1), 0), 0);
    const int firstHidden = blankedEntities();
    EXPECT_GT(firstHidden, before);
    ASSERT_EQ(createGroupOpsIsolated(tree, hole(tree, 2), hole(tree, 2), 0), 0);
    // Hole 2's surfaces are shown now and hole 1's hidden.
    ent surface{};
    ASSERT_TRUE(get_ent_from_eptr(hole(tree, 2)->firstCyl->ents[0].entry, &surface));
    EXPECT_EQ(surface.sel & kSelBlank, 0);
    ASSERT_TRUE(get_ent_from_eptr(hole(tree, 1)->firstCyl->ents[0].entry, &surface));
    EXPECT_NE(surface.sel & kSelBlank, 0);
    EXPECT_EQ(undoGroupOperations(g_lastOpGroup), 0);
    EXPECT_EQ(blankedEntities(), before);
    EXPECT_FALSE(isolationPending());
    freeCycleRecords();
}

// What each end of the tree's run leaves for the command loop.
TEST_F(ProcessTreeSession, EachWayTheRunEndsLeavesItsNextStep) {
    struct Case {
        const char* what;
        std::function<void(plat::Script&)> steps;
        int preset, resume, pending;
    };
    // After the tree the user closes the main menu, or leaves the view-all panel the loop waits on.
    auto after = [](const Case& c, plat::Script& s) {
        if (c.preset == 0) s.click(kMenu, plat::IDOK);
        if (c.pending != 0) s.esc();
    };
    auto menuOn = [](std::string path, int id) {
        return [path, id](plat::Script& s) {
            s.treeExpand(kTreeDlg, kTree, kView).treeRClick(kTreeDlg, kTree, path).menu(id);
        };
    };
    const std::string position = firstPosition();
    const std::string hole1 = holePath(1);
    auto pointsMenu = [position, hole1](int id) {
        return [id, position, hole1](plat::Script& s) {
            s.treeExpand(kTreeDlg, kTree, kView).treeRClick(kTreeDlg, kTree, hole1).menu(4);
            s.treeRClick(kPoints, kPointsTree, position).menu(id);
        };
    };
    const Case cases[] = {
        {"exit", [](plat::Script& s) { s.click(kTreeDlg, plat::IDOK); }, 0, 0, 0},
        {"create all", [](plat::Script& s) { s.click(kTreeDlg, 4158); }, 1012, 21, 0},
        {"everything on", menuOn("", 15), 111, 1, 0},
        {"view group", menuOn(kView, 11), 108, 1, 0},
        {"hole group", menuOn(hole1, 12), 109, 1, 0},
        {"highlight all", menuOn("", 14), 110, 0, 105},
        {"highlight view", menuOn(kView, 5), 104, 0, 105},
        {"highlight hole", menuOn(hole1, 6), 103, 0, 105},
        {"points group", pointsMenu(1), 1014, 11, 0},
        {"points isolated", pointsMenu(2), 1015, 11, 0},
        {"points highlight", pointsMenu(4), 1016, 0, 1052},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_pendingCommand = 0;
        inTree([&](plat::Script& s) {
            c.steps(s);
            after(c, s);
        }, false);
        EXPECT_EQ(g_processPreset, c.preset);
        EXPECT_EQ(g_resumeAction, c.resume);
        EXPECT_EQ(g_pendingCommand, c.pending);
        unload();
        plat::driver().reset();
        load();
    }
}

// A trial of the hole's table configuration hands the host control (result 1013). After View Process the
// cycle waits with its data for the next invocation; after Execute it ends and its records go into the part.
TEST_F(ProcessTreeSession, ATrialOfTheHolesTableConfigurationAfterViewProcessPausesTheCycle) {
    script().click(kMenu, kViewProcess).treeExpand(kTreeDlg, kTree, kView);
    configurationTrial(holePath(1));
    EXPECT_TRUE(host::pluginCyclePaused());
    EXPECT_NE(g_records->viewsTree, nullptr) << "the data stays in memory";
}

TEST_F(ProcessTreeSession, ATrialOfTheHolesTableConfigurationAfterExecuteEndsTheCycle) {
    script().click(kMenu, kExecute).click(kSummary, plat::IDOK);
    configurationTrial(kView + "/Drilled D8 - 1");
    EXPECT_FALSE(host::pluginCyclePaused());
    EXPECT_EQ(g_records->viewsTree, nullptr) << "the records went into the part";
}

TEST_F(ProcessTreeSession, TheAdvancedPartAsTheUserLeftItIsKeptWhenTheCycleHandsOverToTheHost) {
    // The tree may open with its Advanced part only while the intelligent process is off.
    g_globals->settings.intelligentProcess = 0;
    (void)writeSettings(0);
    ASSERT_EQ(g_globals->settings.processTreeOption, 0);
    // Opened, then everything that is on goes into one group: the host gets control and the plug-in,
    // run again, reads its settings afresh before it shows the tree once more.
    inTree([](plat::Script& s) { s.click(kTreeDlg, 4307).treeRClick(kTreeDlg, kTree, "").menu(15); }, false);
    EXPECT_EQ(g_resumeAction, 1);
    script().click(kTreeDlg, plat::IDOK).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(count("dialog.show 18021"), 2);
    EXPECT_NE(treeSnapshot().find("4186 GroupBox text=\"Holes to show (11 holes)\" visible=1"), std::string::npos);
    EXPECT_EQ(g_globals->settings.processTreeOption, 1);
}

}  // namespace
