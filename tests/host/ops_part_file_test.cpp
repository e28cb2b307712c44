// Operations, groups, chains and the machine definition survive saving and reopening the part byte for
// byte; damaged operation records are refused with a message and the open part stays as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "host/db/byte_io.h"
#include "host/ops/ops_part.h"
#include "support/ops_fixture.h"
#include "support/temp_dir.h"

namespace {

class OpsPartFile : public OpsFixture {
protected:
    // A part as a generation leaves it: a generated group under the active one, a machine group with its
    // own record and definition, operations of every code with points, a surface, chains and copies.
    void buildPart() {
        op_group* machine = GroupsMachineGroup(nullptr);
        std::strcpy(machine->machine.materialName, "Aluminium 6061");
        std::strcpy(machine->machine.postPath, "/posts/Generic.Pst");
        machine->machine.feedMode = 1;
        machine->machine.toolNumbering = 1;
        machine->machine.lengthOffsetBase = 100;
        machine->machine.stock.flags = 1;
        machine->machine.stock.matrix[0][1] = 0.25;
        const double size[3] = {120, 80, 30}, origin[3] = {60, 40, 30};
        host::setStock(size, origin, 5);
        host::storeMachineDefinition({});
        const std::int32_t g = OMcreateGroup("101 (Group 1) Top Spot drills", 0, host::kActiveGroupId, 0, 1);
        OMcreateGroup("102 (Group 1) Top Drills", 0, host::kActiveGroupId, 0, 1);
        const ent p1 = storePoint(10, 10, 0), p2 = storePoint(30, 10, 0);
        for (auto [code, sub] : {std::pair{2, 0}, {28, 0}, {18, 0}, {47, 1}, {1, 0}, {106, 0}, {100, 0}}) {
            operation op = makeOp(code, sub, g, "Spot drill - M8 - spot");
            op.toolNumber = code;
            op.toolDiameter = 8.5 + code * 1e-12;   // a value only its last bits tell apart
            op.keep = code == 47 ? 1 : 0;
            char fail = 1;
            operation_manager(&op, 2, nullptr, &fail);
            attach(op, p1);
            attach(op, p2);
            char succ = 0;
            nci_manager(op.id, 8, nullptr, &succ);
        }
        operation contour = *TpMainOpMgr().GetMainOpList().GetAt(4);
        CHAIN* chain = nullptr;
        alloc_chain(&chain);
        append_chain_ent(chain, &p1);
        const ent circle = storeCircle(10, 10, 0, 4.25);
        append_chain_ent(chain, &circle);
        chain_manager(chain, contour.id, 0);
        free_chain(&chain);
        operation copy = contour;
        char fail = 1;
        operation_manager(&copy, 11, nullptr, &fail);
        OMdeleteGroup(OMcreateGroup("gone", 0, g, 0, 0), 1);   // ids are not reused after reopening either
        groupsBefore = host::dumpGroups();
        opsBefore = host::dumpOperations();
        rowsBefore = host::ops::encodeOpsRows();
    }
    std::string groupsBefore, opsBefore;
    std::vector<host::ops::OpsRow> rowsBefore;
};

TEST_F(OpsPartFile, EverythingReopensAsItWasSaved) {
    buildPart();
    TempDir dir;
    const std::string file = dir.path() + "/ops.pfp";
    ASSERT_TRUE(host::savePart(file).ok);
    host::reset();
    ASSERT_EQ(TpMainOpMgr().GetMainOpList().GetSize(), 0);
    const auto opened = host::openPart(file);
    ASSERT_TRUE(opened.ok) << opened.message;
    EXPECT_EQ(host::dumpGroups(), groupsBefore);
    EXPECT_EQ(host::dumpOperations(), opsBefore);
    EXPECT_EQ(host::ops::encodeOpsRows(), rowsBefore) << "every operation image, byte for byte";
    EXPECT_STREQ(PostProcFileStr(), "/posts/Generic.Pst");
    EXPECT_EQ(OMgetActiveGroup(), TpMainGrpMgr().GetMainGrpList().GroupByName("102 (Group 1) Top Drills")->id);
    // Chains point at the reopened entities; new ids go on after the saved ones.
    EXPECT_EQ(OMcreateGroup("next", 0, host::kActiveGroupId, 0, 0), 6);
    operation op{};
    op.code = 2;
    char fail = 1;
    operation_manager(&op, 10, nullptr, &fail);
    operation_manager(&op, 1, nullptr, &fail);
    EXPECT_EQ(op.id, 9);
    EXPECT_NE(opsBefore.find("  point "), std::string::npos);
    EXPECT_NE(opsBefore.find("  chain 1 closed=0"), std::string::npos);
}

TEST_F(OpsPartFile, APartWithoutOperationsKeepsTheHostsGroupsAndHasNone) {
    TempDir dir;
    const std::string file = dir.path() + "/empty.pfp";
    ASSERT_TRUE(host::savePart(file).ok);
    buildPart();
    ASSERT_TRUE(host::openPart(file).ok);
    EXPECT_EQ(TpMainOpMgr().GetMainOpList().GetSize(), 0);
    EXPECT_EQ(host::dumpGroups(),
              "group 1 \"Machine Group-1\" parent=0 machine\n"
              "  machine post=\"\" material=\"\" feedMode=0 numbering=0 offsets=0/0 spindle=1200 feeds=250/100/500 "
              "rapid=12500 def=0\n"
              "  stock size=0/0/0 origin=0/0/0 anchor=0 flags=0 axes=1/0/0;0/1/0;0/0/1\n"
              "group 2 \"Toolpath Group-1\" parent=1 active\n");
}

TEST_F(OpsPartFile, AFailedSaveLeavesTheOldFileAndTheOpenPart) {
    buildPart();
    TempDir dir;
    const std::string file = dir.path() + "/ops.pfp";
    ASSERT_TRUE(host::savePart(file).ok);
    const auto size = std::filesystem::file_size(file);
    OMcreateGroup("after the save", 0, 0, 0, 0);
    host::PartSaveOptions failing;
    for (int n = 1; n < 200; ++n) {
        failing.failAtWrite = n;
        if (host::savePart(file, failing).ok) break;   // past the last write
        EXPECT_EQ(std::filesystem::file_size(file), size) << "write " << n;
    }
    ASSERT_TRUE(host::openPart(file).ok);
    EXPECT_EQ(host::dumpOperations(), opsBefore);
}

// Damaged rows, each refused with its reason.
TEST_F(OpsPartFile, DamagedRecordsAreRefusedWithTheirReason) {
    buildPart();
    using host::ops::OpsRow;
    const std::vector<OpsRow> good = rowsBefore;
    std::size_t firstOp = 0, firstGroup = 0;
    for (std::size_t i = 0; i < good.size(); ++i) {
        if (good[i].first == 3 && !firstOp) firstOp = i;
        if (good[i].first == 2 && !firstGroup) firstGroup = i;
    }
    auto edited = [&](auto edit) {
        std::vector<OpsRow> rows = good;
        edit(rows);
        return rows;
    };
    auto groupRow = [](std::int32_t id, std::int32_t parent) {
        host::db::ByteWriter w;
        w.i32(id);
        w.bytes("g");
        w.i32(parent);
        w.u8(0);
        return OpsRow{2, w.data()};
    };
    struct Case {
        const char* what;
        std::vector<OpsRow> rows;
        const char* reason;
    };
    const Case cases[] = {
        {"no header", edited([&](auto& r) { r.erase(r.begin()); }), "no header"},
        {"two headers", edited([&](auto& r) { r.push_back(r[0]); }), "second header"},
        {"newer format", edited([&](auto& r) { r[0].second[0] = 2; }), "format 2"},
        {"short header", edited([&](auto& r) { r[0].second.pop_back(); }), "wrong length"},
        {"long group", edited([&](auto& r) { r[firstGroup].second += 'x'; }), "wrong length"},
        {"unknown kind", edited([&](auto& r) { r.push_back({9, ""}); }), "unknown kind"},
        {"image cut short", edited([&](auto& r) { r[firstOp].second[0] = 0x10; }), "malformed"},
        {"chains past the end", edited([&](auto& r) { r[firstOp].second[4 + kOperationSize] = 0x7f; }), "malformed"},
        {"operation twice", edited([&](auto& r) { r.push_back(r[firstOp]); }), "repeated"},
        {"group twice", edited([&](auto& r) { r.push_back(r[firstGroup]); }), "repeated"},
        {"unknown parent", edited([&](auto& r) { r.push_back(groupRow(40, 77)); }), "does not hold"},
        {"parents loop", edited([&](auto& r) {
             host::db::ByteWriter h;
             h.u32(1);
             h.i32(0);
             h.i32(100);
             h.i32(100);
             r = {{1, h.data()}, groupRow(50, 51), groupRow(51, 50)};
         }),
         "their own parents"},
    };
    for (const Case& c : cases) {
        host::ops::PartOps out;
        std::string why;
        EXPECT_FALSE(host::ops::decodeOpsRows(c.rows, out, &why)) << c.what;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.what << ": " << why;
    }
    host::ops::PartOps out;
    std::string why;
    EXPECT_TRUE(host::ops::decodeOpsRows(good, out, &why)) << why;

    // The header's next ids must lie above every id the rows hold: equal to the largest is refused.
    std::int32_t lastGroup = 0, lastOp = 0;
    for (const op_group& g : out.groups) lastGroup = std::max(lastGroup, g.id);
    for (const auto& s : out.ops) lastOp = std::max(lastOp, s.op.id);
    auto withNext = [&](std::int32_t nextGroup, std::int32_t nextOp) {
        std::vector<OpsRow> rows = good;
        host::db::ByteWriter h;
        h.u32(1);
        h.i32(out.activeId);
        h.i32(nextGroup);
        h.i32(nextOp);
        rows[0].second = h.data();
        return rows;
    };
    const struct {
        const char* what;
        std::int32_t nextGroup, nextOp;
        const char* reason;   // null: accepted
    } nextIds[] = {
        {"next ids just above", lastGroup + 1, lastOp + 1, nullptr},
        {"next group id taken", lastGroup, lastOp + 1, "does not hold"},
        {"next operation id taken", lastGroup + 1, lastOp, "out of range"},
    };
    for (const auto& c : nextIds) {
        host::ops::PartOps decoded;
        std::string reason;
        EXPECT_EQ(host::ops::decodeOpsRows(withNext(c.nextGroup, c.nextOp), decoded, &reason), c.reason == nullptr)
            << c.what;
        if (c.reason) {
            EXPECT_NE(reason.find(c.reason), std::string::npos) << c.what << ": " << reason;
        }
    }
}

}  // namespace
