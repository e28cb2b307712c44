// The tools view as a user works in it from the process tree on the recognised example plate: the tools of
// the operations grouped in a tree, and what its menu does to the part's tools, the operations and the
// library; the holes it shows and the operations it keeps active until it opens again.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "host/api.h"
#include "host/state.h"
#include "plugin/base/settings.h"
#include "plugin/base/tool_types.h"
#include "plugin/model/tool_records.h"
#include "plugin/features/form_shape_settings.h"
#include "plugin/services/features.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/tools_view.h"
#include "plugin/tooling/tools_view_texts.h"
#include "plugin/tooling/tool_library.h"
#include "support/process_tree_fixture.h"

namespace {

constexpr int kView = CDlgToolsView::kTemplate, kViewTree = CDlgToolsView::kTree, kLibraryDlg = 18061,
              kEditor = 30101;

class ToolsViewSession : public ProcessTreeFixture {
protected:
    void SetUp() override {
        ProcessTreeFixture::SetUp();
        library = dir.path() + "/configured.Tools";
        g_globals->settings.toolLibraryPath = library;
        (void)writeSettings(0);
        editPart([this](VIEW_LIST* tree) { giveTools(tree); });
        plat::driver().reset();
    }

    // The part's tools: a drill of 8 (number 1) that every drill uses and a made and stored countersink
    // (number 2) for the last hole's chamfer. The other chamfers miss their tool; hole 2's misses another
    // one, named by the table.
    // The sequence runs hole by hole, drill then chamfer.
    void giveTools(VIEW_LIST* tree) {
        g_toolsArray->clear();
        g_toolsArray->push_back(partTool(3, 8, 1, "Drill 8"));
        g_toolsArray->push_back(partTool(9, 12, 2, "Countersink 12"));
        g_fullToolsSeq->clear();
        FULL_TOOLS_SEQ entry;
        entry.view = tree;
        entry.viewCount = 1;
        entry.tools = g_toolsArray.get();
        int n = 0;
        for (POINT_LIST* p = tree->firstPoint; p; p = p->next) {
            ++n;
            OPE_LIST* drill = p->opeList;
            OPE_LIST* chamfer = drill->next;
            drill->toolIndex = 0;
            drill->toolType = 3;
            drill->toolDiam = 8;
            drill->toolNumber = 1;
            drill->opIndex = 0;
            drill->active = 1;
            chamfer->toolType = 9;
            chamfer->toolDiam = 12;
            chamfer->wantedLength = 35;
            chamfer->opIndex = 1;
            chamfer->active = 1;
            if (n == 2) {
                chamfer->toolIndex = -2;
                std::snprintf(chamfer->altToolName, sizeof chamfer->altToolName, "Special");
            }
            if (n == holeCount) {
                chamfer->newTool = 1;
                chamfer->toolInLibrary = 1;
                chamfer->toolNumber = 2;
            }
            entry.opes.push_back(drill);
            entry.opes.push_back(chamfer);
        }
        g_fullToolsSeq->push_back(std::move(entry));
    }
    static tp_tool partTool(std::int16_t type, double diameter, std::int32_t number, const char* name) {
        tp_tool t;
        t.type = type;
        t.diameter = diameter;
        t.number = number;
        t.fluteLength = 30;
        t.shoulderLength = 40;
        t.overallLength = 60;
        t.unitFlag = 1;
        std::snprintf(t.name, sizeof t.name, "%s", name);
        return t;
    }
    // Stores the tool in a library file under its own number; returns its slot.
    static int addToLibrary(const std::string& path, tp_tool t) {
        char buffer[1024];
        std::snprintf(buffer, sizeof buffer, "%s", path.c_str());
        EXPECT_EQ(library_manager(kLibraryStoreTool, buffer, &t, t.number, kLibraryOptionAdd), 1);
        return t.slot;
    }

    // The user opens the process tree, then the tools view, does `work` there; unless the work ends the
    // view, OK closes it, the tree and the main menu.
    void inToolsView(const std::function<void(plat::Script&)>& work, bool leave = true) {
        script().click(kMenu, kViewProcess).click(kTreeDlg, CDlgProcess::kToolsManager);
        work(script());
        if (leave) script().click(kView, plat::IDOK).click(kTreeDlg, plat::IDOK).click(kMenu, plat::IDOK);
        m_main();
        for (const auto& l : transcript().lines())
            if (l.find("script error") != std::string::npos) ADD_FAILURE() << l;
        expectScriptPlayed();
    }
    static std::string viewSnapshot() { return plat::lastSnapshot(kView); }

    std::string library;
};

const std::string kTool1 = "T01 (Drill 8) dia8.00 L=40.00", kTool2 = "T02 (Countersink 12) dia12.00 L=40.00",
                  kMissing = "Not found: Countersink dia12.00 wanted L=35.00",
                  kSpecial = "(Special) Countersink dia12.00 wanted L=35.00";

// An operation of hole n, read from the part: its drill (0) or its chamfer (1).
struct OP_STATE {
    std::int32_t toolIndex, toolNumber;
    std::uint32_t toolType;
    double toolDiam;
    int made, changed, inLibrary, active;
    std::string comment;
};

class ToolsViewWork : public ToolsViewSession {
protected:
    OP_STATE op(int n, int which) {
        return fromPart<OP_STATE>([&](VIEW_LIST* tree) {
            const OPE_LIST* o = hole(tree, n)->opeList;
            if (which == 1) o = o->next;
            return OP_STATE{o->toolIndex, o->toolNumber, o->toolType, o->toolDiam, o->newTool, o->toolChangedByUser,
                            o->toolInLibrary, o->active, o->comment};
        });
    }
    std::vector<tp_tool> partTools() {
        return fromPart<std::vector<tp_tool>>([](VIEW_LIST*) { return *g_toolsArray; });
    }
    // The message boxes the view showed, their texts in order.
    std::vector<std::string> boxes() {
        std::vector<std::string> out;
        for (const std::string& l : transcript().lines())
            if (l.find("msgbox owner=" + std::to_string(kView)) != std::string::npos) out.push_back(l);
        return out;
    }
    std::string child(const std::string& top, const std::string& label) { return top + "/" + label; }
};

TEST_F(ToolsViewWork, ToolsInOrderOfFirstUseThenOneItemPerMissingToolEachWithItsImage) {
    inToolsView([&](plat::Script& s) {
        s.treeExpand(kView, kViewTree, kTool2).treeClick(kView, kViewTree, child(kTool2, "Hole 11 Op.2 Chamfer 11"));
    });
    const std::string snap = viewSnapshot();
    const std::string n = std::to_string(holeCount);
    auto at = [&](const std::string& text) {
        const auto where = snap.find(text);
        EXPECT_NE(where, std::string::npos) << text << "\n" << snap;
        return where;
    };
    const auto t1 = at("\"" + kTool1 + "\" data=0 image=1/1 collapsed\n");
    const auto t2 = at("\"" + kTool2 + "\" data=" + n + " image=3/3 expanded");   // made and stored
    const auto missing = at("\"" + kMissing + "\" data=" + std::to_string(holeCount + 1) + " image=6/6");
    const auto special = at("\"" + kSpecial + "\" data=" + std::to_string(2 * holeCount - 1) + " image=6/6");
    EXPECT_LT(t1, t2);
    EXPECT_LT(t2, missing);
    EXPECT_LT(missing, special);
    // Every drill under the drill, though a chamfer comes between them in the sequence.
    EXPECT_LT(at("\"Hole " + n + " Op.1 Drill " + n + "\" data=" + std::to_string(holeCount - 1) + " image=0/0"), t2);
    EXPECT_GT(at("\"Hole 2 Op.2 Chamfer 2\""), special);
    EXPECT_EQ(op(holeCount, 1).active, 1);

    // Opened again: the tool of the operation clicked last is selected, its item still expanded.
    inToolsView([](plat::Script&) {});
    EXPECT_NE(viewSnapshot().find("\"" + kTool2 + "\" data=" + n + " image=3/3 expanded caret selected drop"),
              std::string::npos)
        << viewSnapshot();
    // Without a sequence the view is an empty tree under its template's texts.
    editPart([](VIEW_LIST*) { g_fullToolsSeq->clear(); });
    inToolsView([](plat::Script&) {});
    EXPECT_NE(viewSnapshot().find("items=0"), std::string::npos) << viewSnapshot();
}

TEST_F(ToolsViewWork, TheMenuGreysWhatTheItemsToolCannotDo) {
    inToolsView([&](plat::Script& s) {
        s.treeRClick(kView, kViewTree, kTool1).menu(30).treeRClick(kView, kViewTree, kMissing).menu(0)
            .treeRClick(kView, kViewTree, kTool2).menu(0);
    });
    const std::string found = "[1 \"Replace tool from the tool library\", 2 \"Edit tool\", 3 \"New tool from the tool "
                              "library\", 4 \"Store tool in the tool library\" grey, 5 \"Show holes\", 6 \"Keep only "
                              "these operations active\", 30 \"Cancel\"] -> 30";
    EXPECT_EQ(count(found), 1);
    EXPECT_EQ(count("2 \"Edit tool\" grey, 3 \"New tool from the tool library\", 4 \"Store tool in the tool library\" "
                    "grey"),
              1)
        << "no tool: nothing to edit or store";
    EXPECT_EQ(count("menu owner=18057"), 3);
}

TEST_F(ToolsViewWork, ReplacingByALibraryToolTakesTheNearerTheLargerOnATieAndANumberThatDoesNotClash) {
    addToLibrary(library, partTool(3, 7, 5, "Drill 7"));
    addToLibrary(library, partTool(3, 9, 2, "Drill 9"));   // its number is the countersink's in the part
    addToLibrary(library, partTool(3, 12, 6, "Drill 12"));
    int next = 0;
    ASSERT_EQ(nextFreeToolNumber(library, &next, nullptr), 0);
    inToolsView([&](plat::Script& s) {
        s.treeRClick(kView, kViewTree, kTool1).menu(1).click(kLibraryDlg, plat::IDOK).answer(plat::IDYES);
    });
    // 8 lies midway between 7 and 9: the larger.
    const int number = 1 + std::max(next, 2);
    const std::vector<tp_tool> tools = partTools();
    ASSERT_EQ(tools.size(), 2u) << "replaced in its place";
    EXPECT_STREQ(tools[0].name, "Drill 9");
    EXPECT_EQ(tools[0].number, number);
    for (int n : {1, 2, holeCount}) {
        const OP_STATE o = op(n, 0);
        EXPECT_EQ(o.toolIndex, 0);
        EXPECT_EQ(o.toolNumber, number);
        EXPECT_DOUBLE_EQ(o.toolDiam, 9);
        EXPECT_EQ(o.made, 1);
        EXPECT_EQ(o.changed, 1);
        EXPECT_NE(o.comment.find(std::to_string(number)), std::string::npos) << o.comment;
    }
    EXPECT_EQ(op(1, 1).toolIndex, -1) << "the chamfers are not touched";
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("The chosen tool differs from the current one:\\n\\t Current\\t Chosen\\nName\\t Drill 8\\t "
                              "Drill 9\\nDiameter\\t 8.00\\t 9.00\\n"),
              std::string::npos)
        << boxes()[0];
    char item[64];
    std::snprintf(item, sizeof item, "\"T%02i (Drill 9) dia9.00 L=40.00\" data=0 image=4/4", number);
    EXPECT_NE(viewSnapshot().find(item),
              std::string::npos)
        << viewSnapshot();
}

TEST_F(ToolsViewWork, TheCurrentToolInTheLibraryWinsAndKeepsItsNumberAndItsPlace) {
    tp_tool same = partTool(3, 8, 1, "Drill 8");
    same.slot = addToLibrary(library, same);
    addToLibrary(library, partTool(3, 9.9, 3, "Drill 9.9"));
    editPart([&](VIEW_LIST* tree) {
        (*g_toolsArray)[0] = same;
        for (POINT_LIST* p = tree->firstPoint; p; p = p->next) p->opeList->toolDiam = 9.8;   // nearer 9.9
    });
    inToolsView([&](plat::Script& s) {
        s.treeRClick(kView, kViewTree, kTool1).menu(1).click(kLibraryDlg, plat::IDOK).answer(plat::IDYES);
    });
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("text=\"Take the chosen tool?\""), std::string::npos) << "nothing differs: " << boxes()[0];
    const std::vector<tp_tool> tools = partTools();
    ASSERT_EQ(tools.size(), 2u);
    EXPECT_TRUE(tools[0] == same);
    EXPECT_EQ(op(1, 0).toolNumber, 1);
    EXPECT_EQ(op(1, 0).toolIndex, 0);
}

TEST_F(ToolsViewWork, AMissingToolReplacedJoinsThePartsToolsAndAnsweringNoChangesNothing) {
    addToLibrary(library, partTool(9, 12, 4, "Countersink 12 90"));
    inToolsView([&](plat::Script& s) {
        s.treeRClick(kView, kViewTree, kSpecial).menu(1).click(kLibraryDlg, plat::IDOK).answer(plat::IDNO)
            .treeRClick(kView, kViewTree, kMissing).menu(1).click(kLibraryDlg, plat::IDOK).answer(plat::IDYES);
    });
    const std::vector<tp_tool> tools = partTools();
    ASSERT_EQ(tools.size(), 3u);
    EXPECT_STREQ(tools[2].name, "Countersink 12 90");
    EXPECT_EQ(tools[2].number, 4);
    EXPECT_EQ(op(1, 1).toolIndex, 2);
    EXPECT_EQ(op(1, 1).toolNumber, 4);
    EXPECT_EQ(op(3, 1).toolIndex, 2);
    EXPECT_EQ(op(2, 1).toolIndex, -2) << "answered No";
    // The operation's own measures stood for the missing tool: the lengths differ.
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_NE(boxes()[1].find("Flute length\\t 35.00\\t 30.00\\nShoulder length\\t 47.00\\t 40.00\\n"),
              std::string::npos)
        << boxes()[1];
    EXPECT_EQ(viewSnapshot().find(kMissing), std::string::npos);
    EXPECT_NE(viewSnapshot().find(kSpecial), std::string::npos);
}

TEST_F(ToolsViewWork, EditingAToolChangesItOnlyWhenTheEditorAccepts) {
    inToolsView([&](plat::Script& s) {
        s.treeRClick(kView, kViewTree, kTool1).menu(2).type(kEditor, 1010, "8.2").click(kEditor, plat::IDCANCEL)
            .treeRClick(kView, kViewTree, kTool1).menu(2).type(kEditor, 1010, "8.5").click(kEditor, plat::IDOK);
    });
    const std::vector<tp_tool> tools = partTools();
    ASSERT_EQ(tools.size(), 2u);
    EXPECT_DOUBLE_EQ(tools[0].diameter, 8.5);
    EXPECT_EQ(op(1, 0).changed, 1);
    EXPECT_NE(viewSnapshot().find("\"T01 (Drill 8) dia8.50 L=40.00\""), std::string::npos) << viewSnapshot();
    EXPECT_EQ(count("host.tool editor cancelled"), 1);
}

TEST_F(ToolsViewWork, ANewToolFromTheLibraryIsMadeWhateverTheAnswerAndStoredWhenTheSettingsSaySo) {
    addToLibrary(library, partTool(9, 10, 3, "Countersink 10"));
    for (int store : {0, 1}) {
        SCOPED_TRACE(store);
        g_globals->settings.addNewTools = static_cast<std::int16_t>(store);
        (void)writeSettings(0);
        transcript();
        const std::size_t before = loadLibraryTools(library).size();
        const std::string item = store ? kSpecial : kMissing;
        plat::driver().reset();
        inToolsView([&](plat::Script& s) {
            s.treeRClick(kView, kViewTree, item).menu(3).type(kEditor, 1002, "Made").click(kEditor, plat::IDOK)
                .answer(plat::IDNO);
        });
        const std::vector<tp_tool> tools = partTools();
        ASSERT_EQ(tools.size(), 3u + store);
        const tp_tool& made = tools.back();
        EXPECT_STREQ(made.name, "Made");
        EXPECT_DOUBLE_EQ(made.diameter, 12);
        EXPECT_DOUBLE_EQ(made.fluteLength, 35);
        EXPECT_EQ(made.type, 9);
        const OP_STATE o = op(store ? 2 : 1, 1);
        EXPECT_EQ(o.toolIndex, static_cast<std::int32_t>(tools.size() - 1));
        EXPECT_EQ(o.toolNumber, made.number);
        EXPECT_EQ(o.made, 1);
        EXPECT_EQ(o.changed, 1);
        EXPECT_EQ(o.inLibrary, store);
        EXPECT_EQ(loadLibraryTools(library).size(), before + store);
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_NE(boxes()[0].find(store ? "stored in the tool library as well" : "kept in this part only"),
                  std::string::npos)
            << boxes()[0];
        EXPECT_NE(viewSnapshot().find("(Made)"), std::string::npos);
        EXPECT_NE(viewSnapshot().find(store ? "image=5/5" : "image=4/4"), std::string::npos) << viewSnapshot();
    }
}

TEST_F(ToolsViewWork, AMadeToolIsStoredInTheLibraryOnce) {
    editPart([this](VIEW_LIST* tree) { hole(tree, holeCount)->opeList->next->toolInLibrary = 0; });
    inToolsView([&](plat::Script& s) { s.treeRClick(kView, kViewTree, kTool2).menu(4).treeRClick(kView, kViewTree, kTool2).menu(0); });
    const std::vector<tp_tool> stored = loadLibraryTools(library);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_STREQ(stored[0].name, "Countersink 12");
    EXPECT_EQ(op(holeCount, 1).inLibrary, 1);
    EXPECT_NE(viewSnapshot().find("\"" + kTool2 + "\" data=" + std::to_string(holeCount) + " image=3/3"),
              std::string::npos);
    EXPECT_EQ(count("4 \"Store tool in the tool library\" grey"), 1) << "stored: no second time";
}

// On an operation's item the new tool joins the part's tools but no operation takes it: the item has no
// operations under it.
TEST_F(ToolsViewWork, ANewToolOnAnOperationsItemChangesNoOperation) {
    addToLibrary(library, partTool(3, 10, 3, "Drill 10"));
    inToolsView([&](plat::Script& s) {
        s.treeExpand(kView, kViewTree, kTool1).treeRClick(kView, kViewTree, child(kTool1, "Hole 1 Op.1 Drill 1"))
            .menu(3).click(kEditor, plat::IDOK).answer(plat::IDYES);
    });
    EXPECT_EQ(partTools().size(), 3u);
    const OP_STATE o = op(1, 0);
    EXPECT_EQ(o.toolIndex, 0);
    EXPECT_EQ(o.changed, 0);
    EXPECT_EQ(o.made, 0);
}

// The holes of a tool, then the hole of one operation, shown in the host; then the plug-in runs anew. The
// copies of the first show are the view's own: nothing of the tree is freed or freed twice.
TEST_F(ToolsViewWork, ShownHolesComeBackInTheirColoursAndTheViewOpensAgain) {
    auto highlighted = [] {
        int n = 0;
        for (const ent& e : host::allEntities()) n += e.color == select_color;
        return n;
    };
    ASSERT_EQ(highlighted(), 0);
    script().click(kMenu, kViewProcess).click(kTreeDlg, CDlgProcess::kToolsManager).treeRClick(kView, kViewTree, kTool1)
        .menu(5)
        .esc();   // the user has seen the holes in the host
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_processPreset, 903);
    const int toolHoles = highlighted();
    EXPECT_GT(toolHoles, 0);

    // The next run shows them in their colours again and reopens the view; one operation's hole now.
    script().treeExpand(kView, kViewTree, kTool1).treeRClick(kView, kViewTree, child(kTool1, "Hole 3 Op.1 Drill 3"))
        .menu(5)
        .esc();
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(g_processPreset, 904);
    EXPECT_GT(highlighted(), 0);
    EXPECT_LT(highlighted(), toolHoles);

    script().click(kView, plat::IDOK).click(kTreeDlg, plat::IDOK).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(count("dialog.show 18057"), 3);
    EXPECT_EQ(highlighted(), 0);
    EXPECT_EQ(g_processPreset, 0);
    // A new run of the plug-in: the view opens on the item shown last.
    inToolsView([](plat::Script&) {});
    EXPECT_NE(viewSnapshot().find("\"" + kTool1 + "\" data=0 image=1/1 expanded caret selected drop"),
              std::string::npos)
        << viewSnapshot();
}

TEST_F(ToolsViewWork, KeepingOnlyOneToolsOperationsActiveLastsUntilTheViewOpensAgain) {
    inToolsView([&](plat::Script& s) { s.treeRClick(kView, kViewTree, kTool2).menu(6); }, false);
    EXPECT_EQ(g_processPreset, 915);
    ASSERT_NE(g_records->viewsTree, nullptr) << "the cycle waits with its data";
    int active = 0;
    for (POINT_LIST* p = g_records->viewsTree->firstPoint; p; p = p->next)
        for (OPE_LIST* o = p->opeList; o; o = o->next) active += o->active;
    EXPECT_EQ(active, 1);
    EXPECT_EQ(hole(g_records->viewsTree, holeCount)->opeList->next->active, 1);
    const std::uint32_t group = g_lastOpGroup;
    EXPECT_NE(TpMainGrpMgr().GetMainGrpList().GroupByID(static_cast<std::int32_t>(group)), nullptr);

    // The next run takes the group back and opens the view again: every operation is as it was.
    script().click(kView, plat::IDOK).click(kTreeDlg, plat::IDOK).click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(TpMainGrpMgr().GetMainGrpList().GroupByID(static_cast<std::int32_t>(group)), nullptr);
    for (int n : {1, 2, holeCount}) {
        EXPECT_EQ(op(n, 0).active, 1) << n;
        EXPECT_EQ(op(n, 1).active, 1) << n;
    }
}

TEST_F(ToolsViewWork, KeepingOnlyOneOperationActive) {
    inToolsView(
        [&](plat::Script& s) {
            s.treeExpand(kView, kViewTree, kTool1).treeRClick(kView, kViewTree, child(kTool1, "Hole 2 Op.1 Drill 2")).menu(6);
        },
        false);
    EXPECT_EQ(g_processPreset, 915);
    ASSERT_NE(g_records->viewsTree, nullptr);
    int active = 0;
    for (POINT_LIST* p = g_records->viewsTree->firstPoint; p; p = p->next)
        for (OPE_LIST* o = p->opeList; o; o = o->next) active += o->active;
    EXPECT_EQ(active, 1);
    EXPECT_EQ(hole(g_records->viewsTree, 2)->opeList->active, 1);
    // A tool that is missing keeps nothing.
    script().treeRClick(kView, kViewTree, kMissing).menu(6).click(kView, plat::IDOK).click(kTreeDlg, plat::IDOK)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(op(1, 1).active, 1);
    EXPECT_EQ(op(3, 0).active, 1);
}

// From the tree's menu on a hole the user draws its half section on a level of their own: lines of the
// recognised walls in the colour of drawn shapes, down to a drill point on the axis below the hole's bottom.
TEST_F(ToolsViewSession, TheTreesMenuDrawsAHolesHalfSectionOnTheChosenLevel) {
    const std::size_t before = host::allEntities().size();
    script()
        .click(kMenu, kViewProcess)
        .treeExpand(kTreeDlg, kTree, "(Group 0)  TOP")
        .treeRClick(kTreeDlg, kTree, "(Group 0)  TOP/" + item(1))
        .menu(32)
        .type(CDlgUserToolsMgr::kTemplate, CDlgUserToolsMgr::kLevel, "77")
        .click(CDlgUserToolsMgr::kTemplate, plat::IDOK)
        .click(kTreeDlg, plat::IDOK)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    const std::vector<ent> all = host::allEntities();
    std::vector<ent> drawn;
    for (const ent& e : all)
        if (e.level == 77) drawn.push_back(e);
    ASSERT_GE(drawn.size(), 2u);
    EXPECT_EQ(all.size(), before + drawn.size());
    for (const ent& e : drawn) {
        EXPECT_EQ(e.color, 12);
        EXPECT_EQ(e.type, kEntLine) << "the plate's hole 1 is a plain drilled hole";
    }
    // The tip: from the wall's bottom at height 0 to the axis below it.
    const l_3d tip = drawn.back().ln.ln;
    EXPECT_GT(tip.e1.x, 0);
    EXPECT_NEAR(tip.e1.y, 0, 1e-9);
    EXPECT_EQ(tip.e2.x, 0);
    EXPECT_NEAR(tip.e2.y, -tip.e1.x / std::tan(59 * M_PI / 180), 1e-9);
    EXPECT_EQ(g_globals->settings.shapeLevel, 77);
}

// The tools' lists name a type by the type table's row at its index: type 0 by the first row, the user
// tools' 9999, not by the profile tool's row of type 0 at the table's end.
TEST(ToolsViewTexts, ATypeIsNamedByTheTypeTablesRowAtItsIndex) {
    const struct CASE {
        std::int32_t type;
        std::string name;
    } cases[] = {{0, "User"}, {9999, "User"}, {20, ""}};
    OPE_LIST op;
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(toolTypeName(c.type), c.name);
        op.toolType = static_cast<std::uint32_t>(c.type);
        EXPECT_EQ(missingToolItemText(op, {"wanted L=", "Not found:", ""}).rfind("Not found: " + c.name + " ", 0), 0u);
    }
}

}  // namespace
