// Operation generation on trees made by hand in a loaded plug-in: depths by tool type, the kinds the settings
// leave out, host groups per run of a tool type, the cuts into host operations, the milled kinds (one circle
// mill per hole, a contour's circle narrowed by the taper), the reamed half that waits for its drill, the
// question about unreachable holes, the tool plane from a group note or a level point, and a second
// generation that leaves nothing of the first.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <numbers>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/model/host_blocks.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/process_tree_fields.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/host_operation.h"
#include "support/frame_hold.h"
#include "support/plugin_fixture.h"

namespace {

constexpr double kDeg = std::numbers::pi / 180;
constexpr int kCircleCycle = 20, kContourCycle = 21;   // the first milled entries after the 20 drill cycles

class GenerationTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        loadAndCloseOnce();
        PRM_SETTINGS& s = g_globals->settings;
        s.drillingListOn = 0;
        s.machiningTimeListOn = 0;
        s.initialHeight = 0;
        s.clearanceAddition = 5;
        s.retractHeight = 2;
    }
    void TearDown() override {
        // The records are the test's own.
        g_records->viewsTree = nullptr;
        freeGenOpGroupList(g_records->genOpGroups);
        g_records->genOpGroups = nullptr;
        g_records->genOpGroupCount = 0;
        PluginFixture::TearDown();
    }

    VIEW_LIST* view(int number, std::int16_t group = 0) {
        VIEW_LIST& v = views.emplace_back();
        v.viewNumber = static_cast<std::int16_t>(number);
        v.groupNumber = group;
        v.selected = 1;
        EXPECT_EQ(get_view_matrix(number, v.matrix), 1);
        if (views.size() > 1) {
            views[views.size() - 2].next = &v;
            v.prev = &views[views.size() - 2];
        }
        g_records->viewsTree = &views.front();
        return &v;
    }
    // A hole at (x, y) of the view with its mouth at z (view coordinates), on.
    POINT_LIST* hole(VIEW_LIST* v, double x, double y, double z = 0, const char* description = "") {
        POINT_LIST& p = points.emplace_back();
        p.view = v;
        p.id = static_cast<std::int32_t>(points.size());
        p.ptView[0] = x;
        p.ptView[1] = y;
        p.ptView[2] = z;
        double t[3][3];
        transpose_matrix_33(v->matrix, t);
        mul_mat_vector(t, p.ptView, p.ptUniv);
        p.selected = p.treeChecked = p.selected2 = 1;
        p.noProblem = 1;
        setFieldText(p.description, description);
        POINT_LIST** link = &v->firstPoint;
        while (*link) {
            p.prev = *link;
            link = &(*link)->next;
        }
        *link = &p;
        ++v->pointCount;
        return &p;
    }
    // An operation of the hole: tool type, cycle, tool (index into `tools`), top and bottom (view Z).
    OPE_LIST* op(POINT_LIST* p, int type, int cycle, int tool, double zSup, double zInf) {
        OPE_LIST& o = opes.emplace_back();
        o.point = p;
        o.view = p->view;
        o.active = 1;
        o.toolType = static_cast<std::uint32_t>(type);
        o.cycle = static_cast<std::uint32_t>(cycle);
        o.toolIndex = tool;
        o.zSup = zSup;
        o.zInf = zInf;
        o.toolDiam = tools.at(static_cast<std::size_t>(tool)).diameter;
        OPE_LIST** link = &p->opeList;
        while (*link) {
            o.prev = *link;
            link = &(*link)->next;
        }
        *link = &o;
        return &o;
    }
    int tool(int type, double diameter, const char* name, double angle = 0) {
        tp_tool t;
        t.type = static_cast<std::int16_t>(type);
        t.diameter = diameter;
        t.angle = angle;
        t.slot = static_cast<std::int32_t>(200 + tools.size());
        t.number = t.slot;
        t.spindle = 1000;
        t.feeds[0] = t.feeds[1] = t.feeds[2] = 100;
        std::snprintf(t.name, sizeof t.name, "%s", name);
        tools.push_back(t);
        return static_cast<int>(tools.size()) - 1;
    }
    // One sequence entry of the view's toolpath group with the operations in this order.
    void sequenceOf(VIEW_LIST* v, std::vector<OPE_LIST*> ops) {
        FULL_TOOLS_SEQ e;
        e.view = v;
        e.viewCount = 1;
        e.opes = std::move(ops);
        e.tools = &tools;
        sequence.push_back(std::move(e));
    }
    int generate(std::uint32_t flags = 0xFFFFFFFFu, const std::string& group = "", std::uint8_t keep = 0) {
        return createTreeProcessOperations(&flags, sequence, 0, group, keep);
    }

    static std::vector<operation> hostOps() {
        std::vector<operation> all;
        TpPartOpList& list = TpMainOpMgr().GetMainOpList();
        for (int i = 0; i < list.GetSize(); ++i) all.push_back(*list.GetAt(i));
        return all;
    }
    static std::vector<std::string> generatedGroups() {
        std::vector<std::string> names;
        for (const GEN_OP_GROUP* g = g_records->genOpGroups; g; g = g->next) names.push_back(g->name);
        return names;
    }
    static int drillPointsOnFormsLevel() {
        int n = 0;
        for (const ent& e : host::allEntities())
            n += e.type == kEntPoint && e.level == g_globals->settings.formsLevel && e.color == 12 ? 1 : 0;
        return n;
    }

    std::deque<VIEW_LIST> views;
    std::deque<POINT_LIST> points;
    std::deque<OPE_LIST> opes;
    std::vector<tp_tool> tools;
    std::vector<FULL_TOOLS_SEQ> sequence;
};

TEST_F(GenerationTest, TheDepthOfEachToolTypeIsMeasuredFromTheHolesMouth) {
    VIEW_LIST* v = view(1);
    POINT_LIST* p = hole(v, 0, 0, 10);
    const int drill = tool(3, 8, "drill", 118);
    struct Case {
        int type;
        double zSup, zInf, brkthr, thread;
        std::uint8_t through, tipCompensation;
        double depth;
    };
    const double tip = 4 / std::tan(59 * kDeg);
    const Case cases[] = {
        {2, 10, 8, 0, 0, 0, 0, -2},             // spot drill: bottom - mouth
        {3, 10, -5, 1, 0, 1, 0, -15},           // drill: the host adds its tip
        {3, 10, -5, 1, 0, 1, 1, -15 - tip},     // ... its tip taken off here when asked
        {4, 10, 0, 1.5, 0, 1, 0, -11.5},        // through tap without a thread length: its breakthrough
        {4, 10, 0, 1.5, 0, 0, 0, -10},          // blind tap: no allowance kept
        {5, 10, 0, 0, 6, 0, 0, -6},             // a thread shorter than the tap's reach: the thread's end
        {6, 10, 2, 0.5, 0, 1, 0, -8.5},         // reamer through
        {17, 8, 4, 0, 0, 0, 0, -4},             // conical mill: from its own top
        {13, 10, 0, 0, 0, 0, 0, 0},             // pocketing, facing: no depth
        {18, 10, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        OPE_LIST* o = op(p, c.type, 0, drill, c.zSup, c.zInf);
        o->brkthr = c.brkthr;
        o->threadDepth = c.thread;
        o->through = c.through;
        EXPECT_NEAR(operationDepth(*o, tools[0], c.tipCompensation), c.depth, 1e-3);
    }
}

TEST_F(GenerationTest, TheSettingsLeaveKindsOut) {
    struct Case {
        std::int16_t extent, skipTaps, skipReams;
        std::vector<int> enabled;   // of types 1 to 8
    };
    const Case cases[] = {
        {0, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}},
        {1, 0, 0, {1, 2}},
        {2, 0, 0, {1, 2, 3}},
        {0, 1, 0, {1, 2, 3, 6, 7, 8}},
        {0, 0, 1, {1, 2, 3, 4, 5, 8}},
    };
    PRM_SETTINGS& s = g_globals->settings;
    for (const Case& c : cases) {
        s.machiningExtent = c.extent;
        s.skipTapping = c.skipTaps;
        s.skipReaming = c.skipReams;
        std::vector<int> enabled;
        for (int t = 1; t <= 8; ++t)
            if (isOperationKindEnabled(t)) enabled.push_back(t);
        EXPECT_EQ(enabled, c.enabled) << c.extent << c.skipTaps << c.skipReams;
    }
}

// Spot drills then drills then taps: a group per run of a tool type, named by the machine group, the run's
// number, the toolpath group, the view and the type. Taps left out by the settings make no group and no
// operation, and the drilling list still lists them.
TEST_F(GenerationTest, EachRunOfAToolTypeGetsAGroupAndLeftOutKindsGetNone) {
    VIEW_LIST* v = view(1, 3);
    const int spot = tool(2, 10, "spot", 90), drill = tool(3, 6.8, "drill", 118), tap = tool(4, 8, "tap");
    POINT_LIST* a = hole(v, 0, 0, 0, "A");
    POINT_LIST* b = hole(v, 30, 0, 0, "B");
    std::vector<OPE_LIST*> order;
    for (POINT_LIST* p : {a, b}) order.push_back(op(p, 2, 0, spot, 0, -2));
    for (POINT_LIST* p : {a, b}) order.push_back(op(p, 3, 1, drill, 0, -15));
    for (POINT_LIST* p : {a, b}) order.push_back(op(p, 4, 3, tap, 0, -12));
    sequenceOf(v, order);
    g_globals->settings.skipTapping = 1;
    g_globals->settings.drillingListOn = 1;
    ASSERT_EQ(generate(), 0);
    const std::string root = std::to_string(host::kMachineGroupId);
    const std::vector<std::string> names = generatedGroups();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].rfind(root + "01 (Group 3) ", 0), 0u) << names[0];
    EXPECT_EQ(names[0].substr(names[0].size() - 13), "Spot drilling");
    EXPECT_EQ(names[1].rfind(root + "02 (Group 3) ", 0), 0u) << names[1];
    const std::vector<operation> made = hostOps();
    ASSERT_EQ(made.size(), 2u);   // one spot and one drill operation, each over both holes
    EXPECT_EQ(made[0].groupId, static_cast<std::int32_t>(opGroupIdByName(names[0])));
    EXPECT_EQ(made[1].groupId, static_cast<std::int32_t>(opGroupIdByName(names[1])));
    EXPECT_EQ(made[1].geomPoints, 2);
    const std::string list = plat::readFile(g_globals->settings.drillingListFile).value_or("");
    EXPECT_NE(list.find("Tap RH"), std::string::npos) << list;
}

TEST_F(GenerationTest, WithAGroupNameEverythingGoesIntoThatGroupAndNoRecordIsKept) {
    VIEW_LIST* v = view(1);
    const int spot = tool(2, 10, "spot", 90), drill = tool(3, 6.8, "drill", 118);
    POINT_LIST* a = hole(v, 0, 0);
    sequenceOf(v, {op(a, 2, 0, spot, 0, -2), op(a, 3, 1, drill, 0, -10)});
    ASSERT_EQ(generate(0xFFFFFFFFu, "Chosen", 1), 0);
    const std::uint32_t id = opGroupIdByName("Chosen");
    ASSERT_NE(id, 0u);
    for (const operation& o : hostOps()) EXPECT_EQ(o.groupId, static_cast<std::int32_t>(id));
    EXPECT_EQ(hostOps().size(), 2u);
    EXPECT_TRUE(generatedGroups().empty());
}

// The frame is held from drawing while the operations are made and drawn again before their toolpaths are
// worked out.
TEST_F(GenerationTest, TheFrameIsHeldWhileTheOperationsAreMade) {
    VIEW_LIST* v = view(1);
    const int drill = tool(3, 6.8, "drill", 118);
    sequenceOf(v, {op(hole(v, 0, 0), 3, 1, drill, 0, -10), op(hole(v, 30, 0), 3, 1, drill, 0, -20)});
    int result = -1;
    EXPECT_EQ(frameHoldsAt({"host.op add", "host.op regenerate"}, [&] { result = generate(); }),
              (std::vector<std::string>{"host.op add held", "host.op regenerate drawn"}));
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(plat::windowUpdateLocked());
}

// The points of one tool become one host operation while their heights, cycle and breakthrough agree; a
// hole deeper below its mouth, or another cycle, starts another.
TEST_F(GenerationTest, PointsOfOneToolAreCutWhereTheirOperationsDiffer) {
    VIEW_LIST* v = view(1);
    const int drill = tool(3, 6.8, "drill", 118);
    POINT_LIST* a = hole(v, 0, 0, 0);
    POINT_LIST* b = hole(v, 20, 0, 5);    // 5 higher, as deep below its own mouth: with a
    POINT_LIST* c = hole(v, 40, 0, 0);    // deeper
    POINT_LIST* d = hole(v, 60, 0, 0);    // as deep as c, another cycle
    sequenceOf(v, {op(a, 3, 1, drill, 0, -10), op(b, 3, 1, drill, 5, -5), op(c, 3, 1, drill, 0, -14),
                   op(d, 3, 0, drill, 0, -14)});
    ASSERT_EQ(generate(), 0);
    const std::vector<operation> made = hostOps();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[0].geomPoints, 2);
    EXPECT_DOUBLE_EQ(made[0].depth, -10);
    EXPECT_DOUBLE_EQ(made[1].depth, -14);
    EXPECT_EQ(made[1].cycle, 1);
    EXPECT_EQ(made[2].cycle, 0);
    EXPECT_EQ(made[2].geomPoints, 1);
    // The clearance stays 5 above the view's highest top, here the tree's own clearance Z of 0.
    EXPECT_DOUBLE_EQ(made[0].clearance, 5);
}

TEST_F(GenerationTest, OneCircleMillPerHoleWhenTheSettingsSaySo) {
    VIEW_LIST* v = view(1);
    const int mill = tool(10, 8, "mill");
    PROCESS_OPE def{};
    opeSet(def, process_ope::milledKind, std::int16_t{1});
    def.set<double>(process_ope::circleMillBlock + op_circle_layout::circleDiameter, 14.0);
    std::vector<OPE_LIST*> order;
    for (double x : {0.0, 30.0, 60.0}) {
        OPE_LIST* o = op(hole(v, x, 0), 10, kCircleCycle, mill, 0, -6);
        o->milledDiam = 14;
        o->processOpe = std::make_shared<PROCESS_OPE>(def);
        order.push_back(o);
    }
    sequenceOf(v, order);
    g_globals->settings.circleMillPerHole = 1;
    ASSERT_EQ(generate(), 0);
    const std::vector<operation> made = hostOps();
    ASSERT_EQ(made.size(), 3u);
    std::vector<double> centres;
    for (const operation& o : made) {
        EXPECT_EQ(o.code, 18);
        EXPECT_EQ(o.singlePointOn, 1);
        EXPECT_EQ(o.singlePointCount, 1);
        EXPECT_DOUBLE_EQ(o.singlePointValues[0], 14);
        EXPECT_EQ(o.geomPoints, 1);
        EXPECT_EQ(o.nciValid, 1) << "every operation made is regenerated, not only the last";
        centres.push_back(o.singlePointCentre[0]);
    }
    std::sort(centres.begin(), centres.end());
    EXPECT_EQ(centres, (std::vector<double>{0, 30, 60}));

    g_globals->settings.circleMillPerHole = 0;
    ASSERT_EQ(generate(), 0);
    ASSERT_EQ(hostOps().size(), 1u);
    EXPECT_EQ(hostOps()[0].geomPoints, 3);
}

// A contour's circle stands at the operation's top; a wall tapered by more than 0.05 degree narrows it by
// tan(taper) x 2 x (mouth - top).
TEST_F(GenerationTest, AContoursCircleIsNarrowedByItsTaper) {
    const int mill = tool(10, 6, "mill");
    struct Case {
        double taper, radius;
    };
    const Case cases[] = {{10 * kDeg, (20 - std::tan(10 * kDeg) * 2 * 2) / 2}, {0.04 * kDeg, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.taper);
        views.clear();
        points.clear();
        opes.clear();
        sequence.clear();
        VIEW_LIST* v = view(1);
        PROCESS_OPE def{};
        opeSet(def, process_ope::milledKind, std::int16_t{2});
        OPE_LIST* o = op(hole(v, 5, 5, 0), 10, kContourCycle, mill, -2, -8);
        o->milledDiam = 20;
        o->coneAngle = c.taper;
        o->processOpe = std::make_shared<PROCESS_OPE>(def);
        sequenceOf(v, {o});
        ASSERT_EQ(generate(), 0);
        ASSERT_EQ(hostOps().size(), 1u);
        const operation made = hostOps()[0];
        EXPECT_EQ(made.code, 1);
        EXPECT_EQ(made.geomPoints, 0);   // the point is in the chain, not attached
        const std::string dump = host::dumpOperation(made.id);
        EXPECT_NE(dump.find("chain 1 closed=0"), std::string::npos) << dump;
        const std::size_t at = dump.find("c=(5,5,-2) r=");
        ASSERT_NE(at, std::string::npos) << dump;
        EXPECT_NEAR(std::stod(dump.substr(at + 13)), c.radius, 1e-9);
    }
}

// A reamer on the end a reaming split moved to the other side waits for the drill of the hole's other half:
// before it, the user is told (line 144) and no reaming is made; after it, the reaming is made.
TEST_F(GenerationTest, TheReamedHalfWaitsForItsDrill) {
    const int drill = tool(3, 9.8, "drill", 118), reamer = tool(6, 10, "reamer");
    for (const bool drillFirst : {false, true}) {
        SCOPED_TRACE(drillFirst);
        views.clear();
        points.clear();
        opes.clear();
        sequence.clear();
        VIEW_LIST* top = view(1, 0);
        VIEW_LIST* bottom = view(4, 1);
        POINT_LIST* kept = hole(top, 10, 10, 0, "kept half");
        POINT_LIST* reamed = hole(bottom, -10, 10, -20, "reamed half");
        reamed->reamPart = 1;
        reamed->reamPartnerId = kept->id;
        kept->reamPartnerId = reamed->id;
        OPE_LIST* drilling = op(kept, 3, 1, drill, 0, -20);
        OPE_LIST* reaming = op(reamed, 6, 4, reamer, -20, -30);
        if (drillFirst) {
            sequenceOf(top, {drilling});
            sequenceOf(bottom, {reaming});
        } else {
            sequenceOf(bottom, {reaming});
            sequenceOf(top, {drilling});
            script().answer(plat::IDOK);
        }
        plat::driver().transcript().clear();
        ASSERT_EQ(generate(), 0);
        expectScriptPlayed();
        std::vector<int> types;   // the first round's operations went with its groups
        for (const operation& o : hostOps()) types.push_back(o.toolType);
        EXPECT_EQ(types, drillFirst ? (std::vector<int>{3, 6}) : (std::vector<int>{3}));
        EXPECT_EQ(count("reamed half"), drillFirst ? 0 : 1);
    }
}

// Holes that cannot be reached from their side: Yes makes them, No leaves them out for this generation even
// where the filter shows another of their states (a tool made for them), and Cancel makes nothing and
// changes nothing.
TEST_F(GenerationTest, TheUserSaysWhetherUnreachableHolesAreMade) {
    VIEW_LIST* v = view(1);
    const int drill = tool(3, 5, "drill", 118);
    POINT_LIST* reachable = hole(v, 0, 0);
    POINT_LIST* unreachable = hole(v, 20, 0);
    unreachable->notAccessible = 1;
    unreachable->toolCreated = 1;
    unreachable->noProblem = 0;
    sequenceOf(v, {op(reachable, 3, 0, drill, 0, -5), op(unreachable, 3, 0, drill, 0, -5)});
    g_records->runStats.stateCount5 = 1;
    struct Case {
        int answer, result;
        std::size_t points;
    };
    for (const Case& c : {Case{plat::IDYES, 0, 2}, Case{plat::IDNO, 0, 1}, Case{plat::IDCANCEL, 1, 0}}) {
        SCOPED_TRACE(c.answer);
        script().answer(c.answer);
        std::uint32_t flags = kStateNoProblem | kStateNotAccessible | kStateToolCreated;
        const int points = [&] {
            const int r = createTreeProcessOperations(&flags, sequence, 0, "", 0);
            EXPECT_EQ(r, c.result);
            int n = 0;
            for (const operation& o : hostOps()) n += o.geomPoints;
            return n;
        }();
        expectScriptPlayed();
        EXPECT_EQ(static_cast<std::size_t>(points), c.points);
        EXPECT_EQ(flags, kStateNoProblem | kStateNotAccessible | kStateToolCreated);
        EXPECT_EQ(unreachable->selected2, 1);
        if (c.answer == plat::IDCANCEL) {
            EXPECT_TRUE(hostOps().empty());
        } else {
            EXPECT_EQ(count("1 holes cannot be reached from their side"), 1);
        }
        plat::driver().transcript().clear();
        cleanGeneratedGroups(0);
    }
}

// The tool plane's origin comes from the view's group note, or from the point on the operation's level when
// the settings say so; a named view with the view's matrix and that origin is made once ("- TP origin") and
// the clearance is measured from the origin.
TEST_F(GenerationTest, TheOriginComesFromTheGroupNoteOrTheLevelPoint) {
    VIEW_LIST* v = view(1);
    const int drill = tool(3, 5, "drill", 118);
    POINT_LIST* a = hole(v, 10, 10, 12);
    OPE_LIST* o = op(a, 3, 0, drill, 12, 2);
    o->clearanceZ = 12;
    sequenceOf(v, {o});

    // No note: the top view's own named view, at the world's origin.
    ASSERT_EQ(generate(), 0);
    EXPECT_EQ(hostOps()[0].toolPlaneView, 1);
    EXPECT_DOUBLE_EQ(hostOps()[0].clearance, 17);

    script().point(0, 0, 12);
    placeGroupNote(v);
    double at[3];
    ASSERT_EQ(findGroupNotes(v, at), 1);
    EXPECT_DOUBLE_EQ(at[2], 12);
    const std::size_t named = NamedViews.size();
    ASSERT_EQ(generate(), 0);
    ASSERT_EQ(NamedViews.size(), named + 1);
    EXPECT_EQ(std::string(NamedViews.back().name), "TOP - TP origin " + std::to_string(NamedViews.back().id));
    operation made = hostOps()[0];
    EXPECT_EQ(made.toolPlaneView, static_cast<std::int16_t>(NamedViews.back().id));
    EXPECT_DOUBLE_EQ(made.planeOrigin[2], 12);
    EXPECT_DOUBLE_EQ(made.clearance, 5);
    // Again: the view made for that origin is taken, none is made.
    ASSERT_EQ(generate(), 0);
    EXPECT_EQ(NamedViews.size(), named + 1);

    // A point on the operation's level (level 0) moves the origin when the settings ask for it.
    ent point{};
    point.type = kEntPoint;
    point.pt.pt = {0, 0, 20};
    char ok = 0;
    store_ent(&point, nullptr, 0, 3, 0, main_attrib, &ok);
    ASSERT_EQ(ok, 1);
    g_globals->settings.originFromLevelPoint = 1;
    ASSERT_EQ(generate(), 0);
    made = hostOps()[0];
    EXPECT_EQ(made.levelOriginOn, 1);
    EXPECT_DOUBLE_EQ(made.planeOrigin[2], 20);
    // The origin stands above the view's highest hole top and its margin: the clearance is the plane's own.
    EXPECT_DOUBLE_EQ(made.clearance, 0);
    EXPECT_EQ(NamedViews.size(), named + 2);
}

// A second generation removes the first one's groups, operations, unused tools and drill points and makes
// the same again; the host's ids are new, nothing else differs.
TEST_F(GenerationTest, ASecondGenerationMakesWhatTheFirstMade) {
    VIEW_LIST* v = view(1);
    const int spot = tool(2, 10, "spot", 90), drill = tool(3, 6.8, "drill", 118);
    std::vector<OPE_LIST*> order;
    std::vector<POINT_LIST*> holes;
    for (double x : {0.0, 40.0, 20.0}) holes.push_back(hole(v, x, 0));
    for (POINT_LIST* p : holes) order.push_back(op(p, 2, 0, spot, 0, -2));
    for (POINT_LIST* p : holes) order.push_back(op(p, 3, 1, drill, 0, -10));
    sequenceOf(v, order);
    const auto shape = [] {
        std::vector<std::string> s;
        for (const operation& o : hostOps()) {
            const std::string dump = host::dumpOperation(o.id);
            s.push_back(dump.substr(dump.find('\n')));   // all but the ids of its first line
        }
        return s;
    };
    ASSERT_EQ(generate(), 0);
    const std::vector<std::string> first = shape();
    const std::vector<std::string> firstGroups = generatedGroups();
    const int points = drillPointsOnFormsLevel();
    const int tools = TpMainToolMgr().GetMainMillToolList().GetSize();
    ASSERT_EQ(generate(), 0);
    EXPECT_EQ(generatedGroups(), firstGroups);
    EXPECT_EQ(drillPointsOnFormsLevel(), points);
    EXPECT_EQ(TpMainToolMgr().GetMainMillToolList().GetSize(), tools);
    const std::vector<std::string> second = shape();
    ASSERT_EQ(second.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        // The points' entities are new: compare what is not their ids.
        std::string a = first[i], b = second[i];
        EXPECT_EQ(a.size(), b.size());
        EXPECT_EQ(std::count(a.begin(), a.end(), '\n'), std::count(b.begin(), b.end(), '\n'));
        EXPECT_EQ(a.substr(0, a.find("  point ")), b.substr(0, b.find("  point "))) << i;
        EXPECT_EQ(a.substr(a.find("  toolpath")), b.substr(b.find("  toolpath"))) << i;
    }
}


}  // namespace
