// The host groups the generations make and their purge, the group notes of a view, the drill points and the
// part's unused tools, in a loaded plug-in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "plugin/base/globals.h"
#include "plugin/base/message_box.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tooling.h"
#include "support/plugin_fixture.h"

namespace {

class OperationGroupsTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        loadAndCloseOnce();
    }
    void TearDown() override {
        g_records->viewsTree = nullptr;
        freeGenOpGroupList(g_records->genOpGroups);
        g_records->genOpGroups = nullptr;
        g_records->genOpGroupCount = 0;
        PluginFixture::TearDown();
    }
    static void remember(const std::string& name) {
        auto* record = new GEN_OP_GROUP();
        setFieldText(record->name, name);
        GEN_OP_GROUP** tail = &g_records->genOpGroups;
        while (*tail) tail = &(*tail)->next;
        *tail = record;
        ++g_records->genOpGroupCount;
    }
    static std::int32_t addOp(std::int32_t group, bool keep = false) {
        operation op{};
        op.code = 2;
        op.groupId = group;
        op.keep = keep ? 1 : 0;
        db_ptr entry = 0;
        char fail = 0;
        operation_manager(&op, 1, &entry, &fail);
        return op.id;
    }
    static int notes() {
        int n = 0;
        for (const ent& e : host::allEntities()) n += e.type == kEntNote && e.note.subKind == 0 ? 1 : 0;
        return n;
    }
    static ent point(double x, double y, double z, std::int32_t level, int colour) {
        ent e{};
        e.type = kEntPoint;
        e.pt.pt = {x, y, z};
        char ok = 0;
        store_ent(&e, nullptr, 0, colour, level, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
        return e;
    }
};

TEST_F(OperationGroupsTest, GroupNamesLoseTheCharactersTheHostRefuses) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"a\\b/c:d?e|f", "abcdef"}, {"//::", ""}, {"Top (view 1) - 2", "Top (view 1) - 2"}};
    for (const auto& c : cases) EXPECT_EQ(sanitizeGroupName(c.in), c.out);
}

TEST_F(OperationGroupsTest, AGroupIsFoundByItsNameOrMadeOnce) {
    const std::int32_t active = OMgetActiveGroup();
    const std::int32_t made = findOrCreateOpGroup("Drilling", active);
    ASSERT_NE(made, 0);
    const int groups = TpMainGrpMgr().GetMainGrpList().GetSize();
    EXPECT_EQ(findOrCreateOpGroup("Drilling", active), made);
    EXPECT_EQ(TpMainGrpMgr().GetMainGrpList().GetSize(), groups);
    EXPECT_EQ(opGroupName(made), "Drilling");
    EXPECT_EQ(opGroupName(9999), "");
    op_group* root = nullptr;
    EXPECT_EQ(opGroupIdByName("Drilling", &root), static_cast<std::uint32_t>(made));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->id, host::kMachineGroupId);
    EXPECT_EQ(opGroupIdByName("Nothing", &root), 0u);
    EXPECT_EQ(root, nullptr);
}

// The purge deletes the groups it made with their operations; a group holding a kept operation stays with
// its record; the default group going hands the default to its parent; a record whose group is gone stays
// until a purge finds none at all.
TEST_F(OperationGroupsTest, ThePurgeKeepsWhatTheUserKept) {
    TpGrpList& groups = TpMainGrpMgr().GetMainGrpList();
    const std::int32_t active = OMgetActiveGroup();
    const std::int32_t plain = findOrCreateOpGroup("101 plain", active);
    const std::int32_t kept = findOrCreateOpGroup("102 kept", active);
    remember("101 plain");
    remember("102 kept");
    remember("103 gone");
    addOp(plain);
    addOp(kept);
    const std::int32_t keeper = addOp(kept, true);
    groups.SetDefaultOperationGroup(plain);
    EXPECT_EQ(cleanGeneratedGroups(0), 0);
    EXPECT_EQ(groups.GroupByID(plain), nullptr);
    EXPECT_NE(groups.GroupByID(kept), nullptr);
    EXPECT_EQ(OMgetActiveGroup(), active);
    TpPartOpList& ops = TpMainOpMgr().GetMainOpList();
    ASSERT_EQ(ops.GetSize(), 1);   // the kept operation alone: the others of its group went
    EXPECT_NE(ops.FindByID(keeper), nullptr);
    std::vector<std::string> left;
    for (const GEN_OP_GROUP* g = g_records->genOpGroups; g; g = g->next) left.push_back(g->name);
    EXPECT_EQ(left, (std::vector<std::string>{"102 kept", "103 gone"}));
    EXPECT_EQ(g_records->genOpGroupCount, 2);

    // Only records whose groups are gone: the list is emptied.
    ops.DeleteListAndDB(keeper, 1, 1);
    OMdeleteGroup(kept, 1);
    EXPECT_EQ(cleanGeneratedGroups(0), 0);
    EXPECT_EQ(g_records->genOpGroups, nullptr);
    EXPECT_EQ(g_records->genOpGroupCount, 0);
}

TEST_F(OperationGroupsTest, ClearingTheSelectionWritesEverySelectedOperationBack) {
    const std::int32_t group = OMgetActiveGroup();
    const std::int32_t a = addOp(group), b = addOp(group);
    TpPartOpList& ops = TpMainOpMgr().GetMainOpList();
    operation selected = *ops.FindByID(a);
    selected.selected = 1;
    ops.UpdateAt(a, selected);
    EXPECT_EQ(clearOperationsSelected(), 0);
    EXPECT_EQ(ops.FindByID(a)->selected, 0);
    EXPECT_EQ(ops.FindByID(b)->selected, 0);
    EXPECT_EQ(host::outstandingLists(), 0);
}

// A note placed for a view names the view's operations; its leader shows the picked point, which the
// operations take as their origin. A second note replaces the first. A point typed at the keyboard is
// asked for again.
TEST_F(OperationGroupsTest, TheGroupNoteOfAViewIsPlacedOnceAndGivesThePickedPoint) {
    VIEW_LIST view{};
    view.viewNumber = 1;
    get_view_matrix(1, view.matrix);
    const int before = notes();
    script().pointEntry('K', 1, 1, 1).point(10, 20, 5);
    placeGroupNote(&view);
    script().point(30, 40, 5);
    placeGroupNote(&view);
    expectScriptPlayed();
    EXPECT_EQ(notes(), before + 1);
    double at[3];
    EXPECT_EQ(findGroupNotes(&view, at), 1);
    EXPECT_DOUBLE_EQ(at[0], 30);
    EXPECT_DOUBLE_EQ(at[1], 40);
    EXPECT_DOUBLE_EQ(at[2], 5);
    script().esc();
    placeGroupNote(&view);
    EXPECT_EQ(notes(), before + 1);
    // Another view's note does not count for this one.
    VIEW_LIST front{};
    front.viewNumber = 2;
    get_view_matrix(2, front.matrix);
    EXPECT_EQ(findGroupNotes(&front, at), 0);
}

TEST_F(OperationGroupsTest, ALevelPointIsFoundOnAVisibleLevelOnly) {
    double at[3] = {9, 9, 9};
    EXPECT_EQ(findLevelPoint(77, at), 0);
    point(1, 2, 3, 77, 5);
    point(4, 5, 6, 77, 5);
    EXPECT_EQ(findLevelPoint(77, at), 1);
    EXPECT_DOUBLE_EQ(at[0], 1);
    EXPECT_DOUBLE_EQ(at[2], 3);
    set_level_visible(77, 0);
    EXPECT_EQ(findLevelPoint(77, at), 0);
}

// Removing the temporary drill points leaves the user's points on the forms level, points on other levels
// and drill points an operation still uses.
TEST_F(OperationGroupsTest, OnlyUnusedDrillPointsOfTheFormsLevelAreRemoved) {
    const std::int32_t forms = g_globals->settings.formsLevel;
    point(0, 0, 0, forms, 12);                       // a drill point nobody uses: goes
    const ent used = point(10, 0, 0, forms, 12);     // attached to an operation: stays
    point(20, 0, 0, forms, 3);                       // the user's own point: stays
    point(30, 0, 0, 5, 12);                          // on another level: stays
    ent a{};
    a.type = kEntAssoc;
    a.assoc.kind = 2;
    a.assoc.opId = addOp(OMgetActiveGroup());
    a.assoc.target = used.eptr;
    char ok = 0;
    store_ent_assoc(&a, nullptr, 1, main_attrib, &ok);
    ASSERT_EQ(ok, 1);
    set_level_visible(forms, 0);
    EXPECT_EQ(deleteTempPoints(), 0);
    std::vector<double> xs;
    for (const ent& e : host::allEntities())
        if (e.type == kEntPoint) xs.push_back(e.pt.pt.x);
    EXPECT_EQ(xs, (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(is_level_visible(forms), 0);
}

// Points for the holes that are on, a warning for a hole whose chain gets none (Cancel ends the call, a ticked
// box keeps it quiet for the run), and what the result says.
TEST_F(OperationGroupsTest, DrillPointsAreStoredOrTheUserIsTold) {
    VIEW_LIST view{};
    view.viewNumber = 1;
    view.selected = 1;
    get_view_matrix(1, view.matrix);
    POINT_LIST holes[3] = {};
    for (int i = 0; i < 3; ++i) {
        holes[i].view = &view;
        holes[i].selected = 1;
        holes[i].selected2 = 1;
        holes[i].ptUniv[0] = 10.0 * i;
        if (i > 0) holes[i - 1].next = &holes[i];
    }
    view.firstPoint = &holes[0];
    holes[1].selected2 = 0;   // its position is off: nothing stored for it
    g_records->runStats.quietNoDrillPoint = 0;

    script().click(CMessageBox::kTemplate, plat::IDCANCEL);
    EXPECT_EQ(storeDrillPoints(&view), kDrillPointsCancelled);
    EXPECT_NE(holes[0].drillPointEntity, 0u);
    EXPECT_EQ(holes[2].drillPointEntity, 0u);   // after the Cancel

    script().check(CMessageBox::kTemplate, CMessageBox::kCheck, 1).click(CMessageBox::kTemplate, plat::IDOK);
    EXPECT_EQ(storeDrillPoints(&view), kDrillPointsStored);
    EXPECT_NE(holes[2].drillPointEntity, 0u);
    EXPECT_EQ(storeDrillPoints(&view), kDrillPointsStored);   // quiet now
    expectScriptPlayed();

    EXPECT_EQ(storeDrillPoints(&view, &holes[1]), kNoDrillPointStored);
}

TEST_F(OperationGroupsTest, ToolsNoOperationUsesLeaveThePart) {
    TpPartToolList& tools = TpMainToolMgr().GetMainMillToolList();
    for (int slot : {5, 6, 7}) {
        tp_tool t;
        t.slot = slot;
        t.number = slot * 10;
        t.type = 3;
        t.diameter = slot;
        tools.DatabaseAdd(&t);
    }
    tools.Refresh();
    operation op{};
    op.code = 2;
    op.toolSlot = 6;
    db_ptr entry = 0;
    char fail = 0;
    operation_manager(&op, 1, &entry, &fail);
    EXPECT_EQ(maxToolNumber(), 70);
    EXPECT_EQ(deleteUnusedTools(), 0);
    ASSERT_EQ(tools.GetSize(), 1);
    EXPECT_EQ(tools.GetAt(0)->tool.slot, 6);
    EXPECT_EQ(maxToolNumber(), 60);
    EXPECT_EQ(host::outstandingLists(), 0);
}

}  // namespace
