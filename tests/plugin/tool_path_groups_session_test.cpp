// The toolpath groups as a user reaches them: Execute on the block drilled from several directions, then
// "Groups..." in the process tree. OK sequences the tools again per group, so that "Create operations" makes
// a run per toolpath group; the pick in the graphics comes back to the dialog with the hole's view selected.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/geom/step_io.h"
#include "host/state.h"
#include "host/state_ops.h"
#include "plugin/cycle/records.h"
#include "plugin/engine/process_tree.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/model/work_records.h"
#include "plugin/tooling/tool_path_groups.h"
#include "support/execute_session.h"
#include "support/host_folder.h"

namespace {

using Dlg = CDlgToolPathGroups;
constexpr int kViewProcess = 18008, kTree = CDlgProcess::kTemplate;

class ToolPathGroupsSession : public ExecuteSessionFixture {
protected:
    void SetUp() override {
        ExecuteSessionFixture::SetUp();
        // The shipped tool library: every operation finds or gets its tool, so that each view has some.
        const std::string hostDir = copyShippedHostFolder(dir.path());
        ASSERT_FALSE(hostDir.empty());
        host::setHostDir(hostDir + "/");
        ASSERT_EQ(host::openStepAsPart(std::string(FX_SOURCE_DIR) + "/data/examples/directions_block.step"), "");
        load();
        executeOnce();
        plat::driver().reset();
        viewTexts = fromPart<std::vector<std::string>>([](VIEW_LIST* tree) {
            std::vector<std::string> texts;
            for (VIEW_LIST* v = tree; v; v = v->next) texts.push_back(viewDescription(v));
            return texts;
        });
        ASSERT_GE(viewTexts.size(), 4u) << "the block is drilled from four directions or more";
    }

    // The user opens the process tree and its groups, does `work` in the dialog; then Exit and OK on the
    // main menu, or "Create operations", which ends the cycle.
    void inGroups(const std::function<void(plat::Script&)>& work, bool create = false) {
        script().click(kMenu, kViewProcess).click(kTree, CDlgProcess::kGroups);
        work(script());
        if (create) script().click(kTree, CDlgProcess::kCreate);
        else script().click(kTree, plat::IDOK).click(kMenu, plat::IDOK);
        m_main();
        for (const std::string& l : transcript().lines())
            if (l.find("script error") != std::string::npos) ADD_FAILURE() << l;
        expectScriptPlayed();
    }
    // The group numbers of the views in the part's view list, and their texts.
    std::vector<std::pair<int, std::string>> viewGroups() {
        return fromPart<std::vector<std::pair<int, std::string>>>([](VIEW_LIST* tree) {
            std::vector<std::pair<int, std::string>> out;
            for (VIEW_LIST* v = tree; v; v = v->next) out.emplace_back(v->groupNumber, viewDescription(v));
            return out;
        });
    }

    std::vector<std::string> viewTexts;   // in the view list's order after Execute
};

// "Create operations" after grouping: the tree keeps only the grouped views on, and each toolpath group is
// a run of its own (a tool sequence entry) whose host groups name it. With the option on, the group of two views gets operations
// over both views (code 28); the group of one view plain drilling (code 2).
TEST_F(ToolPathGroupsSession, CreateOperationsMakesARunPerToolpathGroup) {
    plat::Step warning{0, "answer", {std::to_string(plat::IDOK)}, true};
    inGroups(
        [&](plat::Script& s) {
            s.check(Dlg::kTemplate, Dlg::kFiveAxis, 1)
                .select(Dlg::kTemplate, Dlg::kUngrouped, 0)
                .select(Dlg::kTemplate, Dlg::kUngrouped, 1, "ctrl")
                .click(Dlg::kTemplate, Dlg::kAddToGroups)
                .add(warning)   // a machine without two rotary components is told of
                .click(Dlg::kTemplate, Dlg::kInsertSeparator)
                .select(Dlg::kTemplate, Dlg::kUngrouped, 0)
                .click(Dlg::kTemplate, Dlg::kAddToGroups)
                .add(warning)   // and again at each move
                .click(Dlg::kTemplate, plat::IDOK);
        },
        true);
    const std::string groups = host::dumpGroups(), operations = host::dumpOperations();
    std::set<std::string> runs;
    std::istringstream lines(groups);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (std::regex_search(line, m, std::regex(R"(\(Group (\d+)\))"))) runs.insert(m[1].str());
    }
    EXPECT_EQ(runs, (std::set<std::string>{"1", "2"})) << groups;
    // Each group is named after the views whose operations it holds.
    EXPECT_NE(groups.find("(Group 1) " + viewTexts[0] + ", " + viewTexts[1] + " "), std::string::npos) << groups;
    EXPECT_NE(groups.find("(Group 2) " + viewTexts[2] + " "), std::string::npos) << groups;
    EXPECT_NE(operations.find("code=28/"), std::string::npos) << operations;
    EXPECT_NE(operations.find("code=2/"), std::string::npos) << operations;
}

// The pick: the hole's surfaces on the isolation level, the user picks one, and the dialog comes back with
// the arrangement kept and the hole's view selected; Cancel leaves the views as they were.
TEST_F(ToolPathGroupsSession, ThePickInTheGraphicsSelectsTheHolesView) {
    const int last = static_cast<int>(viewTexts.size()) - 1;
    const int surface = fromPart<int>([last](VIEW_LIST* tree) {
        VIEW_LIST* v = tree;
        for (int i = 0; i < last; ++i) v = v->next;
        return v->firstPoint->firstCyl->ents[0].id;
    });
    const auto before = viewGroups();
    inGroups([&](plat::Script& s) {
        s.select(Dlg::kTemplate, Dlg::kUngrouped, 0)
            .click(Dlg::kTemplate, Dlg::kAddToGroups)
            .select(Dlg::kTemplate, Dlg::kUngrouped, 0)
            .click(Dlg::kTemplate, Dlg::kPick)
            .entity(surface)
            .click(Dlg::kTemplate, plat::IDCANCEL);
    });
    EXPECT_EQ(count("dialog.show 18022"), 2) << "shown again after the pick";
    const std::string snap = plat::lastSnapshot(Dlg::kTemplate);
    // Ungrouped: every view but the first; the first of them still selected and the picked hole's view too.
    const std::string sel = "sel=[0," + std::to_string(last - 1) + "]";
    EXPECT_NE(snap.find("4051 ListBox"), std::string::npos);
    EXPECT_NE(snap.find(sel), std::string::npos) << snap;
    EXPECT_NE(snap.find("items=[\"" + viewTexts[0] + "\"] sel=[]"), std::string::npos) << snap;
    EXPECT_EQ(viewGroups(), before);
}

}  // namespace
