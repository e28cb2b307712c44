// The points-list path on parts Execute recognised: a group of selected holes made into host operations
// (equal holes joined into one operation along their path, one operation per host view), Esc during the
// creation, a milled operation whose definition is gone, a run that needs more than 300 tools, the process
// tree's operations by groups with its filter, and a second generation that keeps the milled parameters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "platform/sys/files.h"
#include "platform/ui/dialog.h"
#include "platform/ui/keys.h"
#include "plugin/cycle/records.h"
#include "plugin/engine/selected_groups.h"
#include "plugin/model/host_blocks.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/process_tree_fields.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/model/work_records.h"
#include "plugin/services/engine.h"
#include "plugin/services/tables.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/drill_operations.h"
#include "plugin/tooling/feeds_speeds.h"
#include "plugin/tooling/tool_library.h"
#include "recognition_pipeline_support.h"
#include "support/execute_session.h"
#include "support/frame_hold.h"
#include "support/host_folder.h"

namespace {

using namespace recog_q;

// One host operation as the test reads it back: its group, code and the positions of its points in the
// order they were attached.
struct MADE {
    std::int32_t id = 0, group = 0;
    int code = 0, toolType = 0;
    std::vector<std::array<double, 3>> points;
    operation record;
};

class DrillOperationsSession : public ExecuteSessionFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        const std::string hostDir = copyShippedHostFolder(dir.path());
        ASSERT_FALSE(hostDir.empty());
        host::setHostDir(hostDir + "/");
    }
    void TearDown() override {
        plat::releaseAllKeys();
        freeViewsTree(g_records->viewsTree);
        g_records->viewsTree = nullptr;
        freeCycleRecords();
        PluginFixture::TearDown();
    }
    // Executes the part; the tree is read back from the part's records.
    void recognise(const PartBuilder& builder) {
        const BuiltPart part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
        load();
        executeOnce();
        loadAllRecords(&g_records->viewsTree);
        ASSERT_NE(g_records->viewsTree, nullptr);
        plat::driver().transcript().clear();
    }
    // Three equal blind holes from the top, out of their path's order, and two of them from the bottom.
    void recogniseTopAndBottom() {
        PartBuilder b = PartBuilder::block({100, 60, 20});
        for (double x : {70.0, 10.0, 40.0}) b.hole(holeAt("top", {x, 30, 20}, kDown).cylinder(8, 8).tip());
        for (double x : {20.0, 80.0}) b.hole(holeAt("bottom", {x, 15, 0}, kUp).cylinder(8, 8).tip());
        recognise(b);
    }
    // Drills of these diameters after the hole's last operation, which is returned: its `next` heads them.
    static OPE_LIST* appendDrills(POINT_LIST* hole, const std::vector<double>& diameters) {
        OPE_LIST* kept = hole->opeList;
        while (kept->next) kept = kept->next;
        OPE_LIST* last = kept;
        for (const double diameter : diameters) {
            auto* o = new OPE_LIST(*kept);
            o->processOpe = nullptr;
            o->toolType = 3;
            o->cycle = 0;
            o->active = 1;
            o->toolDiam = diameter;
            o->prev = last;
            o->next = nullptr;
            last->next = o;
            last = o;
        }
        return kept;
    }
    // A conical mill after the hole's last operation, made by the run, which tells (OK) that the libraries
    // lack it.
    OPE_LIST* appendConicalMill(POINT_LIST* hole) {
        OPE_LIST* last = hole->opeList;
        while (last->next) last = last->next;
        auto* cone = new OPE_LIST(*last);
        cone->processOpe = nullptr;
        cone->toolType = 17;
        cone->active = 1;
        cone->toolName[0] = '\0';
        cone->prev = last;
        cone->next = nullptr;
        last->next = cone;
        plat::Step goOn;
        goOn.verb = "answer";
        goOn.args = {std::to_string(plat::IDOK)};
        goOn.optional = true;
        script().add(goOn);
        return cone;
    }
    static std::vector<MADE> madeOperations() {
        std::map<std::int32_t, MADE> byId;
        std::vector<std::int32_t> order;
        TpPartOpList& list = TpMainOpMgr().GetMainOpList();
        for (int i = 0; i < list.GetSize(); ++i) {
            const operation& op = *list.GetAt(i);
            MADE& m = byId[op.id];
            m = {op.id, op.groupId, op.code, op.toolType, {}, op};
            order.push_back(op.id);
        }
        for (const ent& e : host::allEntities())
            if (e.type == kEntAssoc && byId.count(e.assoc.opId))
                byId[e.assoc.opId].points.push_back({e.assoc.pt.x, e.assoc.pt.y, e.assoc.pt.z});
        std::vector<MADE> out;
        for (std::int32_t id : order) out.push_back(byId[id]);
        return out;
    }
    static std::vector<MADE> ofType(int type) {
        std::vector<MADE> out;
        for (const MADE& m : madeOperations())
            if (m.toolType == type) out.push_back(m);
        return out;
    }
    static bool groupNamed(const std::string& name) {
        TpGrpList& groups = TpMainGrpMgr().GetMainGrpList();
        for (int i = 0; i < groups.GetSize(); ++i)
            if (name == groups.GetAt(i)->name) return true;
        return false;
    }
    // The view whose Z axis has that Z (the top view: 1).
    static VIEW_LIST* viewWithDirection(double z) {
        for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next)
            if (std::fabs(v->matrix[2][2] - z) < 1e-9) return v;
        return nullptr;
    }
    // The transcript, for a failure's message.
    std::string shown() {
        std::string text;
        for (const std::string& line : transcript().lines()) text += line + "\n";
        return text;
    }
    void createSelection() {
        ASSERT_EQ(createGroupOperations(nullptr, nullptr, nullptr, 0), 0);
        expectScriptPlayed();
    }
};

TEST_F(DrillOperationsSession, EqualHolesMakeOneOperationAlongTheirPathAndEachHostViewItsOwn) {
    recogniseTopAndBottom();
    createSelection();
    ASSERT_TRUE(groupNamed("Forantix selection"));
    const std::vector<MADE> drills = ofType(3);
    ASSERT_EQ(drills.size(), 2u) << shown();
    std::vector<double> xs, ys;
    for (const auto& p : drills[0].points) xs.push_back(p[0]);
    for (const auto& p : drills[1].points) ys.push_back(p[0]);
    // The top's three holes in one operation, taken along the row from one end; the bottom's two in another.
    ASSERT_EQ(xs.size(), 3u);
    EXPECT_TRUE(std::is_sorted(xs.begin(), xs.end()) || std::is_sorted(xs.rbegin(), xs.rend())) << xs[0] << " " << xs[1];
    EXPECT_EQ(ys.size(), 2u);
    for (const MADE& m : madeOperations()) EXPECT_EQ(m.group, static_cast<std::int32_t>(g_lastOpGroup));
    EXPECT_EQ(g_records->genOpGroups, nullptr);   // a given group: no generated group is added
}

// The group of the holes whose forms were not found takes the chains adapted to a row (0 here) and not
// those matched exactly (-1): the process tree's filter.
TEST_F(DrillOperationsSession, TheFormsNotFoundFilterTakesTheChainsAdaptedToARow) {
    recogniseTopAndBottom();
    for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) p->adaptedRow = -1;
    VIEW_LIST* top = viewWithDirection(1);
    ASSERT_NE(top, nullptr);
    POINT_LIST* head = top->firstPoint;
    while (head && chainFollower(*head)) head = head->next;
    ASSERT_NE(head, nullptr);
    head->adaptedRow = 0;   // the top's chain
    ASSERT_EQ(createGroupOperations(nullptr, nullptr, nullptr, kStateAdapted), 0);
    expectScriptPlayed();
    const std::vector<MADE> drills = ofType(3);
    ASSERT_EQ(drills.size(), 1u) << shown();
    EXPECT_EQ(drills[0].points.size(), 3u);
    for (const auto& p : drills[0].points) EXPECT_NEAR(p[1], 30, 1e-6);
}

// Under the debug switch the creation writes its tools to the tools log.
TEST_F(DrillOperationsSession, TheDebugSwitchWritesTheGroupsToolsLog) {
    recogniseTopAndBottom();
    g_globals->debugDumps = 1;
    g_globals->toolsDumpFile = dir.path() + "/23_Tools.txt";
    createSelection();
    g_globals->debugDumps = 0;
    const std::string log = plat::readFile(g_globals->toolsDumpFile).value_or("");
    EXPECT_NE(log.find("Lista de Herramientas utilizadas en el grupo"), std::string::npos) << log;
}

// The windows are not repainted while the operations are made (the question shows over them as they were).
TEST_F(DrillOperationsSession, EscThenNoGoesOnAndEscThenYesCancelsLeavingNoGroup) {
    recogniseTopAndBottom();
    plat::holdKeyForPolls(plat::VK_ESCAPE, 1);
    script().answer(plat::IDNO);
    bool lockedAtQuestion = false;
    plat::driver().transcript().setEcho([&](const std::string& line) {
        if (line.find("Esc was pressed") != std::string::npos) lockedAtQuestion = plat::windowUpdateLocked();
    });
    createSelection();
    plat::driver().transcript().setEcho({});
    EXPECT_TRUE(lockedAtQuestion);
    EXPECT_FALSE(plat::windowUpdateLocked());
    EXPECT_EQ(count("Esc was pressed"), 1);
    const std::size_t made = madeOperations().size();
    EXPECT_GT(made, 0u);
    undoGroupOperations(g_lastOpGroup);
    ASSERT_TRUE(madeOperations().empty());

    g_lastOpGroup = 0;
    plat::holdKeyForPolls(plat::VK_ESCAPE, 2);
    script().answer(plat::IDNO).answer(plat::IDYES);   // before the runs, then after the first operation
    createSelection();
    EXPECT_TRUE(madeOperations().empty());
    EXPECT_FALSE(groupNamed("Forantix selection"));
    EXPECT_EQ(g_lastOpGroup, 0u);
}

// Esc is asked about after every operation of the order, also after one joined to the next: the drills of
// a plain hole and of one with a chamfer make one host operation, yet each is a moment to stop.
TEST_F(DrillOperationsSession, EscIsPolledAfterEveryOperationJoinedOrMade) {
    recognise(PartBuilder::block({80, 40, 20})
                  .hole(holeAt("plain", {20, 20, 20}, kDown).cylinder(8, 8).tip())
                  .hole(holeAt("chamfered", {60, 20, 20}, kDown).chamfer(10, 8, 90).cylinder(8, 8).tip()));
    int operations = 0;
    for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p && v->selected; p = p->next)
            for (OPE_LIST* o = p->opeList; o && p->selected && p->excluded != 1; o = o->next) operations += o->active ? 1 : 0;
    ASSERT_GT(operations, 0);
    plat::setKeyDown(plat::VK_ESCAPE, true);
    for (int i = 0; i <= operations; ++i) script().answer(plat::IDNO);   // and once before the runs
    std::int16_t made = 0;
    EXPECT_EQ(createDrillOperations(g_records->viewsTree, nullptr, 1, nullptr, 0, 1, 0, &made, 0, 0), 0) << shown();
    plat::setKeyDown(plat::VK_ESCAPE, false);
    expectScriptPlayed();
    EXPECT_EQ(count("Esc was pressed"), 1 + operations);
    EXPECT_GT(made, 0);
    EXPECT_LT(made, operations);
}

// A material found only in a file of the host's Materials folder is not the machine group's: the user picks
// one from the group's library; without a pick nothing is made, with one the operations are.
TEST_F(DrillOperationsSession, AMaterialOnlyInTheMaterialsFolderIsPickedFromTheGroupsLibrary) {
    recogniseTopAndBottom();
    op_group* group = GroupsMachineGroup(nullptr);
    ASSERT_NE(group, nullptr);
    host::setMaterialLibrary(std::string(current_dir) + "Materials/Mill_Inch.Materials");
    setFieldText(group->machine.materialName, "STEEL 1045 - MM");
    material found;
    ASSERT_EQ(materialByName(group->id, &found), 4);
    std::int16_t made = 0;
    script().libraryPick("");
    EXPECT_EQ(createDrillOperations(g_records->viewsTree, nullptr, 1, nullptr, 0, 1, 0, &made, 0, 0), 1);
    expectScriptPlayed();
    EXPECT_TRUE(madeOperations().empty());
    script().libraryPick("STEEL 1045 - INCH");
    EXPECT_EQ(createDrillOperations(g_records->viewsTree, nullptr, 1, nullptr, 0, 1, 0, &made, 0, 0), 0) << shown();
    expectScriptPlayed();
    EXPECT_FALSE(madeOperations().empty());
    EXPECT_EQ(fieldText(group->machine.materialName), "STEEL 1045 - INCH");
    host::setMaterialLibrary("");
}

// A conical mill wants the length of its cone, however deep below the clearance its hole lies.
TEST_F(DrillOperationsSession, AConicalMillWantsTheLengthOfItsCone) {
    recogniseTopAndBottom();
    OPE_LIST* cone = appendConicalMill(viewWithDirection(1)->firstPoint);
    cone->cycle = 0;
    cone->profile[0] = 4;
    std::int16_t made = 0;
    createDrillOperations(g_records->viewsTree, nullptr, 1, nullptr, 0, 1, 0, &made, 0, 0);
    EXPECT_DOUBLE_EQ(cone->wantedLength, 4);
    EXPECT_GT(cone->neededLength, 4 + cone->toolDiam);   // from the clearance down
}

// A conical mill that contours its cone in depth passes wants two passes of length, and takes one at least:
// its process, read from the hole's table, cuts at most 3 deep, so a cone 10 deep goes in four passes of 2.5
// and a mill 20 long wants 5, not its length.
TEST_F(DrillOperationsSession, AConicalMillContouringInPassesWantsTwoPassesOfLength) {
    recogniseTopAndBottom();
    const OP_CYCLE_LIST& cycles = g_globals->cycleNames;
    std::int16_t contour = -1;
    for (std::int16_t k = 0; k < cycles.count; ++k)
        if (cycles.entries[k].milled && cycles.entries[k].number + 1 == kContour) contour = k;
    ASSERT_GE(contour, 0) << "no contour among the cycles";
    POINT_LIST* hole = viewWithDirection(1)->firstPoint;
    CTabColsDesc table;
    ASSERT_EQ(table.read(tableFilePath(fieldText(hole->tableName))), 0);
    std::vector<PROCESS_OPE> process(kMaxProcessOps);
    const int count = table.readProcess(fieldText(hole->processName), process.data());
    ASSERT_GT(count, 0);
    process[count] = PROCESS_OPE{};
    opeSet(process[count], process_ope::milledKind, static_cast<std::int16_t>(kContour));
    process[count].set<double>(process_ope::hostBlock64 + op_depth_cuts_layout::maxRough, 3);
    ASSERT_EQ(table.writeProcess(fieldText(hole->processName), process.data(), count + 1), 0);

    OPE_LIST* cone = appendConicalMill(hole);
    cone->opIndex = static_cast<decltype(cone->opIndex)>(count);
    cone->cycle = static_cast<std::uint32_t>(contour);
    cone->zSup = 12;
    cone->zInf = 2;
    cone->profile[0] = 20;
    std::int16_t made = 0;
    createDrillOperations(g_records->viewsTree, nullptr, 1, nullptr, 0, 1, 0, &made, 0, 0);
    EXPECT_EQ(cone->active, 1) << shown();
    EXPECT_DOUBLE_EQ(cone->wantedLength, 5);
}

TEST_F(DrillOperationsSession, AMilledOperationWithoutItsDefinitionIsSwitchedOffAndTheOthersAreMade) {
    recogniseTopAndBottom();
    VIEW_LIST* top = viewWithDirection(1);
    ASSERT_NE(top, nullptr);
    POINT_LIST* head = top->firstPoint;
    OPE_LIST* drill = nullptr;
    for (OPE_LIST* o = head->opeList; o; o = o->next)
        if (o->toolType == 3) drill = o;
    ASSERT_NE(drill, nullptr);
    // The drill becomes a circle mill of a table that is not there.
    drill->cycle = 20;
    setFieldText(head->tableName, "Gone");
    setFieldText(head->rowName, "R1");
    script().answer(plat::IDOK);
    createSelection();
    EXPECT_EQ(count("row R1: the milling operation of its process cannot be read"), 1) << shown();
    EXPECT_EQ(drill->active, 0);
    EXPECT_FALSE(madeOperations().empty());
    for (const MADE& m : madeOperations()) EXPECT_NE(m.code, 18);
}

TEST_F(DrillOperationsSession, ARunStopsCollectingAt300ToolsAndSaysSoOnce) {
    recogniseTopAndBottom();
    // 301 drills of distinct diameters on the first hole.
    std::vector<double> diameters;
    for (int i = 0; i < 301; ++i) diameters.push_back(2 + 0.05 * i);
    (void)appendDrills(viewWithDirection(1)->firstPoint, diameters);
    // Esc: go on before the runs; the count of tools; then stop after the first operation.
    plat::holdKeyForPolls(plat::VK_ESCAPE, 2);
    script().answer(plat::IDNO).answer(plat::IDOK).answer(plat::IDYES);
    std::int16_t made = 0;
    const int result = createDrillOperations(g_records->viewsTree, nullptr, 1, nullptr, 0, 1, 0, &made, 0, 0);
    expectScriptPlayed();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(count("300 tools reached: a run uses at most 300 tools"), 1) << shown();
    EXPECT_EQ(made, 1);
}

// The tools the by-groups creation makes are told as the library took them: added, or made and kept in the
// part only when the library refuses (asked once a run, however many it refuses after). A tool whose values
// no tool may have (a drill of 1e20) is told and not made, so the library still takes the others.
TEST_F(DrillOperationsSession, TheToolsMadeByGroupsAreToldAsTheLibraryTookThem) {
    const struct {
        const char* what;
        std::int16_t addNewTools;
        bool libraryRefuses;
        std::vector<double> diameters;   // of drills no library holds, added to a top hole
        std::string told;      // the tools' line of the count of operations made
        int asked, unmade;     // the library's refusal asked, process lines told as asking for no tool
    } cases[] = {
        {"kept in the part", 0, false, {7.37, 9.73, 11.29}, "3 tools were made for operations that found none", 0, 0},
        {"added", 1, false, {7.39, 9.71, 11.27}, "3 tools were made and added to the tool library.", 0, 0},
        {"refused", 1, true, {7.41, 9.69, 11.23}, "3 tools made for operations were not taken by the tool library", 1,
         0},
        {"one out of range", 1, false, {7.43, 1e20, 11.21}, "2 tools were made and added to the tool library.", 0, 1},
    };
    recogniseTopAndBottom();
    VIEW_LIST* top = viewWithDirection(1);
    ASSERT_NE(top, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OPE_LIST* last = appendDrills(top->firstPoint, c.diameters);
        for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; p; p = p->next) p->noProblem = v == top ? 1 : 0;
        g_globals->settings.takeNearestTool = 1;
        g_globals->settings.addNewTools = c.addNewTools;
        const std::string library = g_globals->settings.toolLibraryPath;
        const std::string shipped = plat::readFile(library).value_or("");
        if (c.libraryRefuses) plat::refuseChangesUnder(library.substr(0, library.rfind('/')));
        for (int i = 0; i < c.unmade + c.asked; ++i) script().answer(plat::IDOK);
        script().answer(plat::IDOK);   // the count of operations made
        std::uint32_t filter = kStateNoProblem;
        runProcessTree(&filter);
        plat::refuseChangesUnder("");
        expectScriptPlayed();
        EXPECT_EQ(count("operations were created.\\n" + c.told), 1) << shown();
        EXPECT_EQ(count("could not be added to the tool library"), c.asked) << shown();
        EXPECT_EQ(count("the tool it asks for cannot be made"), c.unmade) << shown();
        const std::string now = plat::readFile(library).value_or("");
        EXPECT_EQ(now == shipped, c.addNewTools == 0 || c.libraryRefuses);
        for (const tp_tool& t : loadToolList(library)) EXPECT_LT(t.diameter, 1000) << t.name;
        ASSERT_TRUE(plat::writeFile(library, shipped));
        freeOpeChain(last->next);
        last->next = nullptr;
        plat::driver().transcript().clear();
    }
}

TEST_F(DrillOperationsSession, OperationsByGroupsLeaveOutWhatTheFilterHidesAndGiveTheSelectionBack) {
    recogniseTopAndBottom();
    VIEW_LIST* top = viewWithDirection(1);
    ASSERT_NE(top, nullptr);
    for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) p->noProblem = v == top ? 1 : 0;
    std::uint32_t filter = kStateNoProblem;
    script().answer(plat::IDOK);   // the count of operations made
    // The frame is held from drawing while the operations are made, and drawn again before the count shows.
    EXPECT_EQ(frameHoldsAt({"host.op add", "msgbox"}, [&] { runProcessTree(&filter); }),
              (std::vector<std::string>{"host.op add held", "msgbox drawn"}));
    expectScriptPlayed();
    EXPECT_FALSE(plat::windowUpdateLocked());
    EXPECT_EQ(count("operations were created"), 1) << shown();
    for (const MADE& m : madeOperations())
        for (const auto& p : m.points) EXPECT_NEAR(p[2], 20, 1e-6);   // the top's holes only
    EXPECT_FALSE(ofType(3).empty());
    // Groups per tool type, named by the view's label, kept as generated groups.
    ASSERT_NE(g_records->genOpGroups, nullptr);
    EXPECT_NE(std::string(g_records->genOpGroups->name).find("(Group "), std::string::npos) << g_records->genOpGroups->name;
    for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) EXPECT_NE(p->selected, 0);
}

// The bottom's holes cannot be reached and had tools made for them. Asked, the user says No: they are left
// out though the filter shows made tools too, and the filter no longer shows them. While none of them is on,
// nothing is asked.
TEST_F(DrillOperationsSession, OperationsByGroupsLeaveOutTheUnreachableHolesAfterNo) {
    recogniseTopAndBottom();
    VIEW_LIST* top = viewWithDirection(1);
    ASSERT_NE(top, nullptr);
    constexpr std::uint32_t kShown = kStateNoProblem | kStateNotAccessible | kStateToolCreated;
    for (const bool unreachableOn : {true, false}) {
        SCOPED_TRACE(unreachableOn ? "on" : "off");
        g_records->runStats.stateCount5 = 0;
        for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
                p->noProblem = v == top ? 1 : 0;
                p->notAccessible = p->toolCreated = v == top ? 0 : 1;
                p->selected = v == top || unreachableOn ? 1 : 0;
                g_records->runStats.stateCount5 += v != top && !p->chainMember ? 1 : 0;
            }
        if (unreachableOn) script().answer(plat::IDNO);
        script().answer(plat::IDOK);   // the count of operations made
        std::uint32_t filter = kShown;
        runProcessTree(&filter);
        expectScriptPlayed();
        EXPECT_EQ(count("cannot be reached from their side"), unreachableOn ? 1 : 0) << shown();
        EXPECT_EQ(filter, unreachableOn ? kShown & ~std::uint32_t{kStateNotAccessible} : kShown);
        EXPECT_FALSE(madeOperations().empty());
        for (const MADE& m : madeOperations())
            for (const auto& p : m.points) EXPECT_NEAR(p[2], 20, 1e-6);   // the top's holes only
        plat::driver().transcript().clear();
    }
}

TEST_F(DrillOperationsSession, OperationsOverSeveralViewsAskAboutTheMachineOnlyWithTwoViewsOrMore) {
    recogniseTopAndBottom();
    VIEW_LIST* tree = g_records->viewsTree;
    ASSERT_NE(tree->next, nullptr);
    EXPECT_TRUE(machineTakesViews(tree, false));
    VIEW_LIST* second = tree->next;
    tree->next = nullptr;
    EXPECT_TRUE(machineTakesViews(tree, true));   // one view: nothing to ask
    tree->next = second;
    script().answer(plat::IDCANCEL);
    EXPECT_FALSE(machineTakesViews(tree, true));
    expectScriptPlayed();
    EXPECT_EQ(count("rotary axes"), 1);
}

// A long drill is as long as the library's drill of its size and its diameter again; a plain one of the same
// size as long as its hole needs. The long one takes a tool of its own. Without a drill-size table the size
// is 0: the long drill is as long as its hole needs, whatever length it wanted before.
TEST_F(DrillOperationsSession, ALongToolIsAsLongAsTheLibrarysDrillOfItsSize) {
    recogniseTopAndBottom();
    VIEW_LIST* top = viewWithDirection(1);
    VIEW_LIST* bottom = viewWithDirection(-1);
    ASSERT_TRUE(top && top->firstPoint && bottom && bottom->firstPoint);
    const auto drillOf = [](POINT_LIST* p) -> OPE_LIST* {
        for (OPE_LIST* o = p->opeList; o; o = o->next)
            if (o->toolType == 3 && o->active) return o;
        return nullptr;
    };
    OPE_LIST* longDrill = drillOf(top->firstPoint);
    OPE_LIST* plainDrill = drillOf(bottom->firstPoint);
    ASSERT_TRUE(longDrill && plainDrill);
    longDrill->longTool = 1;
    for (const bool sizeTable : {true, false}) {
        SCOPED_TRACE(sizeTable ? "drill-size table" : "no drill-size table");
        longDrill->wantedLength = 500;
        const double D = longDrill->toolDiam;
        if (!sizeTable) g_globals->tablesDir = dir.path();
        const double size = findDrillSize(D);
        ASSERT_EQ(size > 0, sizeTable);
        std::int16_t made = 0;
        ASSERT_EQ(createDrillOperations(g_records->viewsTree, nullptr, 1, nullptr, 0, 1, 0, &made, 0, 0), 0) << shown();
        const double needed = roundToStep(longDrill->neededLength, g_tolerances.tol4T);
        EXPECT_NEAR(longDrill->wantedLength, sizeTable ? size + D : needed, 1e-9);
        EXPECT_NEAR(plainDrill->wantedLength, roundToStep(plainDrill->neededLength, g_tolerances.tol4T), 1e-9);
        if (!sizeTable) continue;
        EXPECT_GT(longDrill->wantedLength, longDrill->neededLength);
        EXPECT_LT(plainDrill->wantedLength, size);
        const std::vector<MADE> drills = ofType(3);
        ASSERT_EQ(drills.size(), 2u);   // the top's and the bottom's, which would share a tool were both plain
        EXPECT_NE(drills[0].record.toolNumber, drills[1].record.toolNumber);
    }
}

// A tool's operations are taken in the run's order, diameters closer than the base tolerance sharing the tool
// but ordered smallest first: the shallow hole of the slightly smaller drill comes before the deep one that
// opened the tool. The tool it gets is long enough for the deep hole, up to twelve diameters more; a library
// drill that long is taken rather than one made.
TEST_F(DrillOperationsSession, AToolOpenedByADeepHoleAndReachedFirstByAShallowOneIsLongEnoughForBoth) {
    recognise(PartBuilder::block({80, 40, 30})
                  .hole(holeAt("deep", {20, 20, 30}, kDown).cylinder(8, 12).tip())
                  .hole(holeAt("shallow", {60, 20, 30}, kDown).cylinder(8, 6).tip()));
    VIEW_LIST* top = viewWithDirection(1);
    ASSERT_NE(top, nullptr);
    for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next) v->selected = v == top ? 1 : 0;
    std::vector<OPE_LIST*> drills;
    for (POINT_LIST* p = top->firstPoint; p; p = p->next)
        for (OPE_LIST* o = p->opeList; o; o = o->next)
            if (o->active && o->toolType == 3) drills.push_back(o);
    ASSERT_EQ(drills.size(), 2u);
    OPE_LIST& opener = *drills[0];   // collected first: its lengths bound the tool's
    OPE_LIST& first = *drills[1];    // first in the run's order
    opener.zInf -= 300;
    first.toolDiam = opener.toolDiam - 0.5 * g_tolerances.tolT;
    g_globals->settings.adaptDrillAngle = 0;
    const auto drillTool = [&] {
        std::int16_t made = 0;
        EXPECT_EQ(createDrillOperations(g_records->viewsTree, nullptr, 1, nullptr, 0, 1, 0, &made, 0, 0), 0) << shown();
        const std::vector<MADE> ops = ofType(3);
        EXPECT_EQ(ops.size(), 2u);
        return ops.empty() ? std::string() : std::string(ops.front().record.toolName);
    };
    // No drill of the shipped libraries is that long: one is made.
    EXPECT_EQ(drillTool().rfind("** ", 0), 0u);
    const double D = first.toolDiam;
    const double reach = opener.wantedLength - g_tolerances.tolT;
    ASSERT_GT(reach, first.wantedLength + 12 * D);   // the shallow hole alone would never take it
    cleanGeneratedGroups(0);

    const auto addDrill = [&](const char* name, double length) {
        tp_tool drill;
        drill.type = 3;
        drill.diameter = D;
        drill.fluteLength = length;
        drill.shoulderLength = length + 2;
        drill.overallLength = length + 10;
        setFieldText(drill.name, name);
        ASSERT_NE(addToolToPart(&drill), 0);
    };
    addDrill("Too long drill", reach + 12.5 * D);
    EXPECT_NE(drillTool(), "Too long drill");
    cleanGeneratedGroups(0);
    addDrill("Long drill", reach + 11.5 * D);
    EXPECT_EQ(drillTool(), "Long drill");
}

// The bottom's holes are the other halves of the top's (split at their neck): once the top's run is done,
// their drills go only down to where the halves meet, and not at all when that lies above their top.
TEST_F(DrillOperationsSession, TheOtherHalfOfATwinIsDrilledOnlyDownToWhereTheyMeet) {
    recogniseTopAndBottom();
    VIEW_LIST* top = viewWithDirection(1);
    VIEW_LIST* bottom = viewWithDirection(-1);
    ASSERT_TRUE(top && bottom);
    ASSERT_EQ(top->next, bottom);   // the top's run comes first
    top->groupNumber = 1;
    bottom->groupNumber = 2;
    top->firstPoint->neckSplitted = 1;
    top->firstPoint->splitPartnerId = bottom->firstPoint->id;
    top->firstPoint->splitFarZ = top->firstPoint->ptView[2] - 8;
    const auto twinBottoms = [&](double meetAboveTop) {
        for (POINT_LIST* p = bottom->firstPoint; p; p = p->next) {
            p->neckSplitted = 1;
            p->splitPartnerId = top->firstPoint->id;
            p->splitFarZ = p->ptView[2] + meetAboveTop;
        }
    };
    twinBottoms(1);   // the meeting point lies above the hole: nothing to drill
    std::int16_t made = 0;
    ASSERT_EQ(createDrillOperations(g_records->viewsTree, nullptr, 1, nullptr, 0, 1, 0, &made, 0, 0), 0);
    expectScriptPlayed();
    ASSERT_EQ(ofType(3).size(), 1u);
    EXPECT_EQ(ofType(3).front().points.size(), 3u);

    cleanGeneratedGroups(0);
    twinBottoms(-2);
    ASSERT_EQ(createDrillOperations(g_records->viewsTree, nullptr, 1, nullptr, 0, 1, 0, &made, 0, 0), 0);
    const std::vector<MADE> drills = ofType(3);
    ASSERT_EQ(drills.size(), 2u);   // the top's, then the bottom's
    EXPECT_EQ(drills[1].points.size(), 2u);
    EXPECT_NEAR(drills[1].record.depth, -2, 1e-6);
    EXPECT_LT(drills[0].record.depth, -2 - 1);
}

// The top and the bottom in one toolpath group make one run: each group of a tool type holds the
// operations of both sides and is named after the view of its first operation alone.
TEST_F(DrillOperationsSession, AGroupOfARunOverTwoViewsIsNamedAfterItsFirstView) {
    recogniseTopAndBottom();
    VIEW_LIST* top = viewWithDirection(1);
    VIEW_LIST* bottom = viewWithDirection(-1);
    ASSERT_TRUE(top && bottom);
    ASSERT_EQ(top->next, bottom);
    top->groupNumber = bottom->groupNumber = 1;
    std::int16_t made = 0;
    ASSERT_EQ(createDrillOperations(g_records->viewsTree, nullptr, 1, nullptr, 0, 1, 0, &made, 0, 0), 0) << shown();
    const std::string label = " " + viewGroupLabel(top) + " ";
    int named = 0;
    for (const GEN_OP_GROUP* g = g_records->genOpGroups; g; g = g->next) {
        const std::string name = g->name;
        const std::size_t at = name.find(label);
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_EQ(name.find(viewDescription(bottom), at + label.size()), std::string::npos) << name;
        ++named;
    }
    EXPECT_GT(named, 0);
    for (const MADE& m : ofType(3)) EXPECT_FALSE(m.points.empty());
}

// A bore with a wide chamfer and a cone: its contours keep their blocks when the operations are made a
// second time in the same work cycle.
TEST_F(DrillOperationsSession, ASecondGenerationKeepsTheMilledParameters) {
    recognise(PartBuilder::block({60, 60, 20}).hole(
        holeAt("taper", {30, 30, 20}, kDown).chamfer(26, 22, 90).cylinder(22, 4).cone(22, 16, 6).throughCylinder(16)));
    const auto contours = [] {
        std::vector<operation> out;
        for (const MADE& m : madeOperations())
            if (m.code == 1) out.push_back(m.record);
        return out;
    };
    createSelection();
    const std::vector<operation> first = contours();
    ASSERT_EQ(first.size(), 2u) << shown();
    undoGroupOperations(g_lastOpGroup);
    createSelection();
    const std::vector<operation> second = contours();
    ASSERT_EQ(second.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(std::equal(std::begin(first[i].kindBlock), std::end(first[i].kindBlock), std::begin(second[i].kindBlock)));
        EXPECT_TRUE(std::equal(std::begin(first[i].depthCuts), std::end(first[i].depthCuts), std::begin(second[i].depthCuts)));
    }
    std::int16_t modes[2];
    for (std::size_t i = 0; i < 2; ++i) std::memcpy(&modes[i], second[i].kindBlock + op_contour_layout::mode, 2);
    EXPECT_TRUE(modes[0] == 2 || modes[1] == 2);   // the chamfer's contour enters beside the edge
}

}  // namespace
