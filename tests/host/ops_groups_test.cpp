// Operation groups as the operation generation uses them: created under the active group and made the
// default, found by name and id, the root machine group with its record, deletion with or without the
// operations, and the machine group's post and material.
#include <gtest/gtest.h>

#include "support/ops_fixture.h"

namespace {

using Groups = OpsFixture;

TpGrpList& groups() { return TpMainGrpMgr().GetMainGrpList(); }
TpPartOpList& opList() { return TpMainOpMgr().GetMainOpList(); }

TEST_F(Groups, CreatedGroupsAreFoundByNameAndIdAndBecomeTheDefault) {
    const std::int32_t a = OMcreateGroup("101 (Group 1) Top Drills", 0, host::kActiveGroupId, 0, 1);
    ASSERT_GT(a, host::kActiveGroupId);
    EXPECT_EQ(OMgetActiveGroup(), a);
    const std::int32_t b = OMcreateGroup("102 (Group 1) Top Taps", 0, host::kActiveGroupId, 0, 0);
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(OMgetActiveGroup(), a) << "only makeDefault 1 moves the default";
    EXPECT_EQ(groups().GroupByName("102 (Group 1) Top Taps")->id, b);
    EXPECT_EQ(groups().GroupByName("102 (group 1) top taps"), nullptr);
    EXPECT_EQ(groups().GroupByID(a)->parentId, host::kActiveGroupId);
    EXPECT_EQ(groups().IndexByID(b), 3);
    EXPECT_EQ(groups().IndexByID(99), -1);
    EXPECT_EQ(groups().RetrieveRootMachineGroup(b)->id, host::kMachineGroupId);
    EXPECT_EQ(GroupsMachineGroup(nullptr)->id, host::kMachineGroupId);
    EXPECT_EQ(groups().SetDefaultOperationGroup(host::kActiveGroupId), 1);
    EXPECT_EQ(groups().RetrieveActiveGroup()->id, host::kActiveGroupId);
    EXPECT_EQ(groups().SetDefaultOperationGroup(99), 0);
    EXPECT_EQ(groups().RetrieveActiveGroup()->id, host::kActiveGroupId);
}

TEST_F(Groups, CreationIsRefusedWithoutANameOrUnderAnUnknownParent) {
    EXPECT_EQ(OMcreateGroup("", 0, host::kActiveGroupId, 0, 1), 0);
    EXPECT_EQ(OMcreateGroup(nullptr, 0, host::kActiveGroupId, 0, 1), 0);
    EXPECT_EQ(OMcreateGroup("x", 0, 42, 0, 1), 0);
    EXPECT_EQ(groups().GetSize(), 2);
    const std::int32_t root = OMcreateGroup("loose", 0, 0, 0, 0);
    EXPECT_EQ(groups().RetrieveRootMachineGroup(root), nullptr) << "a root group that is no machine group";
}

TEST_F(Groups, DeletingAGroupTakesItsSubgroupsAndDealsWithTheirOperations) {
    const std::int32_t g = OMcreateGroup("gen", 0, host::kActiveGroupId, 0, 1);
    const std::int32_t sub = OMcreateGroup("gen/sub", 0, g, 0, 0);
    const std::int32_t kept = makeOp(2, 0, host::kActiveGroupId).id;
    const std::int32_t inG = makeOp(2, 0, g).id;
    const std::int32_t inSub = makeOp(18, 0, sub).id;
    ASSERT_EQ(OMdeleteGroup(g, 0), 1);
    EXPECT_EQ(groups().GroupByID(sub), nullptr);
    EXPECT_EQ(OMgetActiveGroup(), 0) << "the deleted default group leaves no default";
    EXPECT_EQ(opList().FindByID(inG)->groupId, host::kActiveGroupId) << "without operations they go to the parent";
    EXPECT_EQ(opList().FindByID(inSub)->groupId, host::kActiveGroupId);

    const std::int32_t h = OMcreateGroup("gen2", 0, host::kActiveGroupId, 0, 0);
    const std::int32_t inH = makeOp(1, 0, h).id;
    ASSERT_EQ(OMdeleteGroup(h, 1), 1);
    EXPECT_EQ(opList().FindByID(inH), nullptr);
    EXPECT_NE(opList().FindByID(kept), nullptr);
    EXPECT_EQ(OMdeleteGroup(h, 1), 0);
}

TEST_F(Groups, TheMachineGroupCarriesItsRecordPostAndMaterial) {
    op_group* machine = GroupsMachineGroup(nullptr);
    ASSERT_NE(machine, nullptr);
    EXPECT_EQ(machine->machine.rapidRate, 12500.0);
    EXPECT_EQ(machine->machine.defaultSpindle, 1200.0);
    EXPECT_EQ(OMgetGrpMaterialName(host::kActiveGroupId), std::string());
    std::strcpy(machine->machine.materialName, "Steel 1045");
    EXPECT_STREQ(OMgetGrpMaterialName(host::kActiveGroupId), "Steel 1045");
    EXPECT_STREQ(OMgetGrpMaterialName(99), "");
    EXPECT_EQ(std::string(PostProcFileStr()), std::string(host::kDefaultHostDir) + "Posts/Generic.Pst");
    std::strcpy(machine->machine.postPath, "/posts/Mill.Pst");
    EXPECT_STREQ(PostProcFileStr(), "/posts/Mill.Pst");
    const double size[3] = {100, 80, 30}, origin[3] = {50, 40, 25};
    host::setStock(size, origin, 1);
    EXPECT_EQ(machine->machine.stock.size[1], 80.0);
    EXPECT_EQ(job_setup.stockOrigin[2], 25.0);
    EXPECT_EQ(machine->machine.stock.anchor, 1);
}

TEST_F(Groups, TheDumpShowsTheTreeTheDefaultAndTheMachineRecord) {
    OMcreateGroup("Drills", 0, host::kActiveGroupId, 0, 1);
    EXPECT_EQ(host::dumpGroups(),
              "group 1 \"Machine Group-1\" parent=0 machine\n"
              "  machine post=\"\" material=\"\" feedMode=0 numbering=0 offsets=0/0 spindle=1200 feeds=250/100/500 "
              "rapid=12500 def=0\n"
              "  stock size=0/0/0 origin=0/0/0 anchor=0 flags=0 axes=1/0/0;0/1/0;0/0/1\n"
              "group 2 \"Toolpath Group-1\" parent=1\n"
              "group 3 \"Drills\" parent=2 active\n");
}

}  // namespace
