// The toolpath groups dialog on a tree of hand-made views ("View 11", "View 12" ...): how OK numbers and
// relinks the views, the separator rules, the moves, the option's warning and the pick round trip. An
// arrangement is written as the two lists: "A B | C ; D E" is A and B grouped, a separator, C grouped, and
// D and E ungrouped.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ui/driver.h"
#include "plugin/base/machine_info.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/tool_path_groups.h"
#include "support/plugin_fixture.h"

namespace {

using Dlg = CDlgToolPathGroups;

class ToolPathGroupsDialog : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        loadAndCloseOnce();
        g_machineInfo.componentCount = 0;
    }
    void TearDown() override {
        freeViews();
        g_records->multiViewFiveAxis = 0;
        PluginFixture::TearDown();
    }

    // The views of the arrangement, letters A, B ... as views 11, 12 ...; the view list in letter order.
    void arrange(const std::string& text) {
        freeViews();
        bool grouped = true;
        VIEW_LIST* last = nullptr;
        std::string spaced;
        for (char c : text) spaced += c == '|' || c == ';' ? std::string(" ") + c + " " : std::string(1, c);
        std::istringstream in(spaced);
        for (std::string word; in >> word;) {
            if (word == ";") {
                grouped = false;
            } else if (word == "|") {
                last->endsToolPathGroup = 1;
            } else {
                auto* v = new VIEW_LIST{};
                v->viewNumber = static_cast<std::int16_t>(11 + (word[0] - 'A'));
                v->groupMember = grouped ? 1 : 0;
                all.push_back(v);
                last = v;
            }
        }
        std::sort(all.begin(), all.end(), [](VIEW_LIST* a, VIEW_LIST* b) { return a->viewNumber < b->viewNumber; });
        for (std::size_t i = 0; i < all.size(); ++i) {
            all[i]->prev = i > 0 ? all[i - 1] : nullptr;
            all[i]->next = i + 1 < all.size() ? all[i + 1] : nullptr;
        }
        g_records->viewsTree = all.empty() ? nullptr : all.front();
    }
    // n views, none grouped.
    void ungroupedViews(int n) {
        freeViews();
        for (int i = 0; i < n; ++i) {
            auto* v = new VIEW_LIST{};
            v->viewNumber = static_cast<std::int16_t>(11 + i);
            v->prev = all.empty() ? nullptr : all.back();
            if (v->prev) v->prev->next = v;
            all.push_back(v);
        }
        g_records->viewsTree = all.front();
    }
    void freeViews() {
        for (VIEW_LIST* v : all) delete v;
        all.clear();
        g_records->viewsTree = nullptr;
    }
    // The view list as OK left it: "number:group", "g" when grouped, "|" when a separator follows.
    static std::string tree() {
        std::string out;
        for (const VIEW_LIST* v = g_records->viewsTree; v; v = v->next) {
            out += (out.empty() ? "" : " ") + std::to_string(v->viewNumber) + ":" + std::to_string(v->groupNumber) +
                   (v->groupMember ? "g" : "") + (v->endsToolPathGroup ? "|" : "");
        }
        return out;
    }
    // The dialog played with the steps the test queued; its end code.
    int play(POINT_LIST* picked = nullptr) {
        const int end = runToolPathGroups(picked);
        expectScriptPlayed();
        return end;
    }
    // The line of the list box as the dialog last closed: "items=[...] sel=[...]".
    static std::string list(int id) {
        const std::string snap = plat::lastSnapshot(Dlg::kTemplate);
        const auto at = snap.find("\n" + std::to_string(id) + " ListBox");
        if (at == std::string::npos) return "(not shown)";
        const auto items = snap.find("items=", at);
        return snap.substr(items, snap.find('\n', items) - items);
    }
    plat::Script& s() { return script(); }

    std::vector<VIEW_LIST*> all;
};

const std::string kSep = "\"---------- end of group ----------\"";

TEST_F(ToolPathGroupsDialog, OkNumbersTheGroupsAndRelinksTheViewsInTheOrderShown) {
    struct Case {
        const char* arrangement;
        const char* tree;
    };
    const std::vector<Case> cases = {
        {"A B | C ; D E", "11:1g 12:1g| 13:2g 14:3 15:4"},
        {"A B C ; D", "11:1g 12:2g 13:3g 14:4"},   // no separator: every grouped view a group of its own
        {"; A B C", "11:1 12:2 13:3"},
        {"A | ; B", "11:1g| 12:2"},                 // a separator at the end stays and counts
        {"B | D ; A C", "12:1g| 14:2g 11:3 13:4"},  // the grouped views first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arrangement);
        arrange(c.arrangement);
        s().click(Dlg::kTemplate, plat::IDOK);
        EXPECT_EQ(play(), plat::IDOK);
        EXPECT_EQ(tree(), c.tree);
        const VIEW_LIST* head = g_records->viewsTree;
        ASSERT_NE(head, nullptr);
        EXPECT_EQ(head->prev, nullptr);
        for (const VIEW_LIST* v = head; v->next; v = v->next) EXPECT_EQ(v->next->prev, v);
    }
}

// Whatever the user does, Cancel leaves the view list and every view record as they were; a separator
// inserted and then cancelled marks no view.
TEST_F(ToolPathGroupsDialog, CancelLeavesTheViewsAsTheyWere) {
    arrange("A B | C ; D");
    const std::string before = tree();
    s().select(Dlg::kTemplate, Dlg::kGrouped, 0)
        .click(Dlg::kTemplate, Dlg::kInsertSeparator)
        .select(Dlg::kTemplate, Dlg::kGrouped, 3)   // the separator after B
        .click(Dlg::kTemplate, Dlg::kRemoveSeparator)
        .select(Dlg::kTemplate, Dlg::kUngrouped, 0)
        .click(Dlg::kTemplate, Dlg::kAddToGroups)
        .click(Dlg::kTemplate, plat::IDCANCEL);
    EXPECT_EQ(play(), plat::IDCANCEL);
    EXPECT_EQ(list(Dlg::kGrouped), "items=[\"View 11\"," + kSep + ",\"View 12\",\"View 13\",\"View 14\"] sel=[]");
    EXPECT_EQ(tree(), before);
    EXPECT_EQ(g_records->viewsTree, all.front());
}

// Moving grouped views back keeps the separators but never two side by side nor one first.
TEST_F(ToolPathGroupsDialog, MovingViewsBackTidiesTheSeparators) {
    struct Case {
        const char* arrangement;
        std::vector<int> selected;   // in the grouped list
        std::string grouped, ungrouped;
        std::string groupedSel = "[]";   // a selected separator that stays keeps its selection
    };
    const std::string a = "\"View 11\"", b = "\"View 12\"", c = "\"View 13\"", d = "\"View 14\"";
    const std::vector<Case> cases = {
        {"A | B | C ; D", {2}, "[" + a + "," + kSep + "," + c + "]", "[" + d + "," + b + "]"},
        {"A | B C ; D", {0}, "[" + b + "," + c + "]", "[" + d + "," + a + "]"},
        {"A | B | C ;", {1, 2, 3}, "[" + a + "," + kSep + "," + c + "]", "[" + b + "]", "[1]"},   // separators stay
        {"A B | C ;", {2, 3}, "[" + a + "," + b + "," + kSep + "]", "[" + c + "]", "[2]"},         // the last one too
        {"A | ;", {0}, "[]", "[" + a + "]"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.arrangement);
        arrange(k.arrangement);
        for (std::size_t i = 0; i < k.selected.size(); ++i)
            s().select(Dlg::kTemplate, Dlg::kGrouped, k.selected[i], i == 0 ? "" : "ctrl");
        s().click(Dlg::kTemplate, Dlg::kRemoveFromGroups).click(Dlg::kTemplate, plat::IDCANCEL);
        EXPECT_EQ(play(), plat::IDCANCEL);
        EXPECT_EQ(list(Dlg::kGrouped), "items=" + k.grouped + " sel=" + k.groupedSel);
        EXPECT_EQ(list(Dlg::kUngrouped), "items=" + k.ungrouped + " sel=[]");
    }
}

// A separator goes after the last selected item, or at the end without a selection, never first, never
// next to another separator.
TEST_F(ToolPathGroupsDialog, SeparatorsAreInsertedAndRemovedByTheirRules) {
    struct Case {
        const char* arrangement;
        std::vector<int> selected;   // in the grouped list
        int button;
        std::string grouped;         // A B C stand for the views, | for a separator
        std::string sel = "[]";      // inserting deselects; otherwise the selection stays
    };
    const int insert = Dlg::kInsertSeparator, remove = Dlg::kRemoveSeparator;
    const std::vector<Case> cases = {
        {"; A", {}, insert, ""},
        {"A B ;", {}, insert, "A B |"},
        {"A |;", {}, insert, "A |"},            // the last item is a separator already
        {"A | B ;", {1}, insert, "A | B", "[1]"},   // on a separator
        {"A | B ;", {0}, insert, "A | B", "[0]"},   // before a separator
        {"A B C ;", {0}, insert, "A | B C"},
        {"A B C ;", {0, 1}, insert, "A B | C"},  // after the last selected
        {"A | B | C ;", {1, 3}, remove, "A B C"},
        {"A | B | C ;", {0, 3}, remove, "A | B C", "[0]"},
        {"A | B |;", {}, remove, "A | B"},       // none selected: the last one goes
        {"A | B |;", {0}, remove, "A | B", "[0]"},   // no separator selected: the same
        {"A | B ;", {}, remove, "A | B"},        // the last item is a view: nothing
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.arrangement + std::string(k.button == insert ? " insert" : " remove"));
        arrange(k.arrangement);
        for (std::size_t i = 0; i < k.selected.size(); ++i)
            s().select(Dlg::kTemplate, Dlg::kGrouped, k.selected[i], i == 0 ? "" : "ctrl");
        s().click(Dlg::kTemplate, k.button).click(Dlg::kTemplate, plat::IDCANCEL);
        EXPECT_EQ(play(), plat::IDCANCEL);
        std::string want;
        for (char ch : k.grouped) {
            if (ch == ' ') continue;
            want += want.empty() ? "" : ",";
            want += ch == '|' ? kSep : "\"View 1" + std::to_string(ch - 'A' + 1) + "\"";
        }
        EXPECT_EQ(list(Dlg::kGrouped), "items=[" + want + "] sel=" + k.sel);
    }
}

TEST_F(ToolPathGroupsDialog, OneMoveTakesAtMostAHundredViews) {
    ungroupedViews(120);
    s().select(Dlg::kTemplate, Dlg::kUngrouped, 0)
        .select(Dlg::kTemplate, Dlg::kUngrouped, 119, "shift")
        .click(Dlg::kTemplate, Dlg::kAddToGroups)
        .click(Dlg::kTemplate, plat::IDOK);
    EXPECT_EQ(play(), plat::IDOK);
    int grouped = 0, n = 0;
    for (const VIEW_LIST* v = g_records->viewsTree; v; v = v->next) {
        ++n;
        grouped += v->groupMember;
        // The first hundred grouped, each a group of its own; the last twenty stay, selected still.
        EXPECT_EQ(v->viewNumber, 10 + n);
        EXPECT_EQ(v->groupNumber, n);
        EXPECT_EQ(v->groupMember, n <= 100 ? 1 : 0) << n;
    }
    EXPECT_EQ(n, 120);
    EXPECT_EQ(grouped, 100);
    EXPECT_NE(list(Dlg::kUngrouped).find("sel=[0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19]"), std::string::npos)
        << list(Dlg::kUngrouped);
}

// The option warns, over the dialog, when a machine of fewer than two rotary components would have to run
// a group of several views; OK keeps it with the part's records either way.
TEST_F(ToolPathGroupsDialog, TheFiveAxisOptionWarnsWithoutTheAxesAndIsKeptOnOk) {
    arrange("A ; B");
    s().check(Dlg::kTemplate, Dlg::kFiveAxis, 1)   // one grouped view: no warning
        .select(Dlg::kTemplate, Dlg::kUngrouped, 0)
        .click(Dlg::kTemplate, Dlg::kAddToGroups)
        .answer(plat::IDOK)
        .click(Dlg::kTemplate, plat::IDOK);
    EXPECT_EQ(play(), plat::IDOK);
    EXPECT_EQ(count("msgbox owner=18022"), 1);
    EXPECT_TRUE(transcript().contains("caption=\"Forantix\" text=\"The machine has 0 rotary axes: operations over "
                                      "several views of a toolpath group need at least two.\""));
    EXPECT_EQ(g_records->multiViewFiveAxis, 1);
    EXPECT_TRUE(toolPathGroupsOverViews());

    // A machine with two rotary components: no warning; unticked, OK turns the option off.
    g_machineInfo.componentCount = 2;
    s().check(Dlg::kTemplate, Dlg::kFiveAxis, 0)
        .check(Dlg::kTemplate, Dlg::kFiveAxis, 1)
        .check(Dlg::kTemplate, Dlg::kFiveAxis, 0)
        .click(Dlg::kTemplate, plat::IDOK);
    EXPECT_EQ(play(), plat::IDOK);
    EXPECT_EQ(count("msgbox owner=18022"), 1);
    EXPECT_FALSE(toolPathGroupsOverViews());
}

// A pick ends the dialog with 171 and nothing changed; shown again it has both lists as they were, their
// selections kept, and the picked hole's view selected when it is ungrouped.
TEST_F(ToolPathGroupsDialog, ThePickRoundTripKeepsTheArrangement) {
    arrange("A | B ; C D E");
    POINT_LIST hole{};
    hole.view = all[3];   // D
    const std::string before = tree();
    s().select(Dlg::kTemplate, Dlg::kGrouped, 2)
        .select(Dlg::kTemplate, Dlg::kUngrouped, 0)
        .click(Dlg::kTemplate, Dlg::kAddToGroups)   // C joins the groups
        .select(Dlg::kTemplate, Dlg::kUngrouped, 1)
        .click(Dlg::kTemplate, Dlg::kPick);
    EXPECT_EQ(play(), Dlg::kPickFromGraphics);
    EXPECT_EQ(tree(), before);
    s().click(Dlg::kTemplate, plat::IDCANCEL);
    EXPECT_EQ(play(&hole), plat::IDCANCEL);
    EXPECT_EQ(list(Dlg::kGrouped),
              "items=[\"View 11\"," + kSep + ",\"View 12\",\"View 13\"] sel=[2]");
    EXPECT_EQ(list(Dlg::kUngrouped), "items=[\"View 14\",\"View 15\"] sel=[0,1]");

    // A tree that changed between the pick and the next showing is listed from its records instead.
    arrange("A | B ; C");
    s().select(Dlg::kTemplate, Dlg::kUngrouped, 0).click(Dlg::kTemplate, Dlg::kAddToGroups).click(Dlg::kTemplate, Dlg::kPick);
    EXPECT_EQ(play(), Dlg::kPickFromGraphics);
    arrange("A B ; C D");
    s().click(Dlg::kTemplate, plat::IDCANCEL);
    EXPECT_EQ(play(), plat::IDCANCEL);
    EXPECT_EQ(list(Dlg::kGrouped), "items=[\"View 11\",\"View 12\"] sel=[]");
    EXPECT_EQ(list(Dlg::kUngrouped), "items=[\"View 13\",\"View 14\"] sel=[]");
}

TEST_F(ToolPathGroupsDialog, WithoutItsTextsTheDialogEndsAtOnceAndChangesNothing) {
    std::string texts = plat::readFile(installDir + "/Tool.txt").value_or("");
    const auto at = texts.find("[ToolPathGroupsDlg]");
    ASSERT_NE(at, std::string::npos);
    texts.replace(at, 19, "[SomethingElse]");
    installUiTexts(texts);
    arrange("A B | C ; D");
    const std::string before = tree();
    EXPECT_EQ(play(), 0);
    EXPECT_EQ(tree(), before);
    EXPECT_EQ(g_records->viewsTree, all.front());
}

}  // namespace
