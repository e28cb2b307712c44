// The operation manager and the part's operation list as the operation generation uses them: add, write
// back, copy, retrieve and update through the database entity, delete with the attached geometry, the
// linked copies of list_manager(1, ...), regeneration and the manager's refresh switch.
#include <gtest/gtest.h>

#include <functional>

#include "host/ops/op_nodes.h"
#include "support/ops_fixture.h"

namespace {

using Ops = OpsFixture;

TpPartOpList& opList() { return TpMainOpMgr().GetMainOpList(); }

const std::pair<int, int> kCodes[] = {{2, 0}, {28, 0}, {18, 0}, {47, 1}, {1, 0}, {106, 0}, {100, 0}};

TEST_F(Ops, AddWriteBackAndCopyWorkOnEveryCode) {
    std::int32_t lastId = 0;
    for (auto [code, sub] : kCodes) {
        SCOPED_TRACE(code);
        operation op = makeOp(code, sub, host::kActiveGroupId, "first");
        EXPECT_GT(op.id, lastId) << "ids grow";
        EXPECT_EQ(op.dbEntity, kOpEntityBase + static_cast<std::uint32_t>(op.id));
        EXPECT_EQ(op.code, code);

        op.depth = -23.5;
        op.selected = 1;
        db_ptr eptr = 0;
        char fail = 1;
        ASSERT_EQ(operation_manager(&op, 2, &eptr, &fail), 1);
        EXPECT_EQ(eptr, op.dbEntity);
        operation back{};
        ASSERT_EQ(opList().DatabaseRetrieve(op.dbEntity, &back), 1);
        EXPECT_EQ(operationToImage(back), operationToImage(op));

        operation copy = op;
        copy.singlePointOn = 1;
        ASSERT_EQ(operation_manager(&copy, 11, &eptr, &fail), 1);
        EXPECT_GT(copy.id, op.id);
        EXPECT_EQ(copy.code, code);
        EXPECT_EQ(copy.depth, -23.5);
        EXPECT_EQ(opList().FindByID(copy.id)->singlePointOn, 1);
        EXPECT_EQ(opList().FindByID(op.id)->singlePointOn, 0) << "the source stays as it was";
        lastId = copy.id;
    }
    EXPECT_EQ(opList().GetSize(), 14);
    for (int i = 1; i < opList().GetSize(); ++i) EXPECT_LT(opList().GetAt(i - 1)->id, opList().GetAt(i)->id);
}

// Records naming an operation or a group the part does not have, or a mode the manager lacks.
TEST_F(Ops, RecordsNamingWhatIsNotThereAreRefused) {
    const std::int32_t g = OMcreateGroup("Drills", 0, host::kActiveGroupId, 0, 0);
    const std::int32_t existing = makeOp(2, 0, g).id;
    EXPECT_EQ(makeOp(2, 0, 0).groupId, host::kActiveGroupId) << "group 0 is the default group";
    struct Row {
        int mode;
        std::int32_t id, group;
        const char* what;
    };
    for (const Row& r : {Row{2, 77, g, "write an unknown operation"}, Row{11, 77, g, "copy an unknown operation"},
                         Row{1, 0, 99, "add into a missing group"}, Row{11, existing, 99, "copy into a missing group"},
                         Row{5, existing, g, "an unknown mode"}}) {
        operation op{};
        op.code = 2;
        op.id = r.id;
        op.groupId = r.group;
        char fail = 0;
        EXPECT_EQ(operation_manager(&op, r.mode, nullptr, &fail), 0) << r.what;
        EXPECT_EQ(fail, 1) << r.what;
        EXPECT_EQ(op.id, r.id) << r.what;
    }
    operation op{};
    EXPECT_EQ(opList().UpdateAt(77, op), 0);
    EXPECT_EQ(opList().DatabaseRetrieve(kOpEntityBase + 77, &op), 0);
    EXPECT_EQ(opList().DatabaseRetrieve(3, &op), 0) << "an entity handle is no operation";
    EXPECT_EQ(opList().GetSize(), 2);
}

TEST_F(Ops, TheUpdateSlotAndDatabaseUpdateWriteTheSameRecord) {
    operation op = makeOp(2, 0, host::kActiveGroupId);
    op.clearance = 35;
    ASSERT_EQ(opList().UpdateAt(op.id, op), 1);
    EXPECT_EQ(opList().FindByID(op.id)->clearance, 35.0);
    operation fromDb{};
    ASSERT_EQ(opList().DatabaseRetrieve(op.dbEntity, &fromDb), 1);
    fromDb.retract = 12;
    ASSERT_EQ(opList().DatabaseUpdate(op.dbEntity, &fromDb), 1);
    EXPECT_EQ(opList().FindByID(op.id)->retract, 12.0);
    EXPECT_EQ(opList().FindByID(op.id)->clearance, 35.0);
}

TEST_F(Ops, DeletingAnOperationTakesItsPointsAlongAndFreesThem) {
    const ent p1 = storePoint(1, 2, 3), p2 = storePoint(4, 5, 6);
    operation a = makeOp(2, 0, host::kActiveGroupId), b = makeOp(2, 0, host::kActiveGroupId);
    ASSERT_TRUE(attach(a, p1));
    ASSERT_TRUE(attach(a, p2));
    ASSERT_TRUE(attach(b, p2));
    ASSERT_EQ(host::entityCounts().associations, 3);
    EXPECT_EQ(opList().DeleteListAndDB(a.id, 1, 1), 1);
    EXPECT_EQ(opList().FindByID(a.id), nullptr);
    EXPECT_EQ(host::entityCounts().associations, 1);
    ent e{};
    ASSERT_EQ(get_ent_from_eptr(p1.eptr, &e), 1);
    EXPECT_EQ(e.refs, 0) << "an unused point may go with the temporary points";
    ASSERT_EQ(get_ent_from_eptr(p2.eptr, &e), 1);
    EXPECT_EQ(e.refs, 1);
    EXPECT_EQ(opList().DeleteListAndDB(a.id, 1, 1), 0);
    EXPECT_NE(host::dumpOperation(b.id).find("point " + std::to_string(p2.id)), std::string::npos);
}

TEST_F(Ops, ThePlaceOfAnOperationInTheListIsCheckedAtBothEnds) {
    const std::int32_t first = makeOp(2, 0, host::kActiveGroupId).id;
    const std::int32_t last = makeOp(2, 0, host::kActiveGroupId).id;
    ASSERT_EQ(opList().GetSize(), 2);
    ASSERT_NE(opList().GetAt(0), nullptr);
    EXPECT_EQ(opList().GetAt(0)->id, first);
    ASSERT_NE(opList().GetAt(1), nullptr);
    EXPECT_EQ(opList().GetAt(1)->id, last);
    EXPECT_EQ(opList().GetAt(2), nullptr);
    EXPECT_EQ(opList().GetAt(-1), nullptr);
}

TEST_F(Ops, TheLinkedListHoldsCopiesInCreationOrder) {
    op_list* head = reinterpret_cast<op_list*>(1);
    ASSERT_EQ(list_manager(1, "", 0, &head), 1);
    EXPECT_EQ(head, nullptr);
    EXPECT_EQ(list_manager(3, "", 0, &head), 0) << "only kind 1 is a list of operations";
    std::vector<std::int32_t> ids;
    for (auto [code, sub] : kCodes) ids.push_back(makeOp(code, sub, host::kActiveGroupId).id);
    ASSERT_EQ(list_manager(1, "", 0, &head), 1);
    std::vector<std::int32_t> seen;
    for (op_list* n = head; n; n = n->next) seen.push_back(n->op.id);
    EXPECT_EQ(seen, ids);
    head->op.selected = 1;   // a copy: the host's record changes only when written back
    EXPECT_EQ(opList().FindByID(ids[0])->selected, 0);
    char fail = 1;
    ASSERT_EQ(operation_manager(&head->op, 2, nullptr, &fail), 1);
    EXPECT_EQ(opList().FindByID(ids[0])->selected, 1);
    ASSERT_EQ(list_manager(1, "", 1, &head), 1);
    EXPECT_EQ(head, nullptr);
}

TEST_F(Ops, RegenerationIsRecordedPerOperationAndAWriteMakesItStale) {
    const ent p = storePoint(0, 0, 0);
    operation op = makeOp(2, 0, host::kActiveGroupId);
    op.geomPoints = 1;
    char fail = 1;
    ASSERT_EQ(operation_manager(&op, 2, nullptr, &fail), 1);
    ASSERT_TRUE(attach(op, p));
    nci_bin nci{};
    char succf = 0;
    EXPECT_EQ(nci_manager(op.id, 8, &nci, &succf), 1);
    EXPECT_EQ(succf, 1);
    EXPECT_EQ(nci.opId, op.id);
    EXPECT_EQ(nci.points, 1);
    EXPECT_EQ(nci_manager(op.id, 8, &nci, &succf), 1);
    EXPECT_EQ(opList().FindByID(op.id)->regenCount, 2);
    EXPECT_EQ(opList().FindByID(op.id)->nciValid, 1);
    // Every way of writing an operation back makes its toolpath stale, even a record read after the
    // regeneration, which still says it is up to date.
    struct WRITE {
        const char* what;
        std::function<int(operation&)> write;
    };
    const WRITE writes[] = {
        {"write back", [&](operation& o) { return operation_manager(&o, 2, nullptr, &fail); }},
        {"update slot", [&](operation& o) { return opList().UpdateAt(o.id, o); }},
        {"database update", [&](operation& o) { return opList().DatabaseUpdate(o.dbEntity, &o); }},
    };
    for (const WRITE& w : writes) {
        SCOPED_TRACE(w.what);
        ASSERT_EQ(nci_manager(op.id, 8, &nci, &succf), 1);
        operation current = *opList().FindByID(op.id);
        ASSERT_EQ(current.nciValid, 1);
        const std::int32_t regenerated = current.regenCount;
        current.regenCount = 0;
        current.depth = -4;
        ASSERT_EQ(w.write(current), 1);
        EXPECT_EQ(opList().FindByID(op.id)->depth, -4);
        EXPECT_EQ(opList().FindByID(op.id)->nciValid, 0);
        EXPECT_EQ(opList().FindByID(op.id)->regenCount, regenerated) << "the count is the host's, not the writer's";
    }
    EXPECT_EQ(nci_manager(op.id + 1, 8, &nci, &succf), 0);
    EXPECT_EQ(succf, 0);
    EXPECT_EQ(nci_manager(op.id, 3, &nci, &succf), 0);
    EXPECT_TRUE(plat::driver().transcript().contains("host.op regenerate " + std::to_string(op.id)));
}

TEST_F(Ops, RefreshSwitchReturnsThePreviousStateAndTreeRefreshesAreCounted) {
    EXPECT_TRUE(host::opManagerRefreshOn());
    EXPECT_EQ(OMenableRefresh(0), 1);
    EXPECT_EQ(OMenableRefresh(0), 0);
    EXPECT_FALSE(host::opManagerRefreshOn());
    EXPECT_EQ(OMenableRefresh(1), 0);
    OMrefreshOpManTree();
    OMrefreshOpManTree();
    EXPECT_EQ(host::opManagerRefreshCount(), 2);
}

TEST_F(Ops, ANewPartHasNoOperationsButKeepsTheGroups) {
    makeOp(2, 0, host::kActiveGroupId);
    const std::string groups = host::dumpGroups();
    host::newPart();
    EXPECT_EQ(opList().GetSize(), 0);
    EXPECT_EQ(host::dumpGroups(), groups);
    EXPECT_EQ(makeOp(2, 0, host::kActiveGroupId).id, 1) << "ids start again in a new part";
}

}  // namespace
