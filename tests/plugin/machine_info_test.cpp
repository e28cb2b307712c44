// Machine group information read from the host's machine definition and control.
#include <gtest/gtest.h>

#include "host/state_ops.h"
#include "plugin/base/machine_info.h"
#include "support/ops_fixture.h"

namespace {

using MachineInfo = OpsFixture;

TEST_F(MachineInfo, ComponentsSpindleLimitToolChangeAndNcPath) {
    host::MachineSetup setup;
    setup.components = 5;
    setup.spindleLimit = 8000;
    setup.toolChangeSeconds = 4.5;
    setup.controlId = 3;
    nc_path_ctrl nc;
    nc.values[4] = 1;
    nc.values[6] = 1;
    nc.values[7] = 10;
    host::setControl(3, nc);
    host::storeMachineDefinition(setup);
    op_group* group = GroupsMachineGroup(nullptr);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(readMachineGroupInfo(group), 1);
    EXPECT_EQ(g_machineInfo.componentCount, 5);
    EXPECT_EQ(g_machineInfo.spindleSpeedLimit, 8000);
    EXPECT_EQ(g_machineInfo.toolChangeSeconds, 4.5);
    EXPECT_EQ(g_machineInfo.control.controlId, 3);
    EXPECT_EQ(g_machineInfo.ncPath[0], 1);
    EXPECT_EQ(g_machineInfo.ncPath[1], 1);
    EXPECT_EQ(g_machineInfo.ncPath[2], 10);
    EXPECT_STREQ(g_machineInfo.definition.name, "Generic 3-axis VMC");
    EXPECT_NE(g_machineInfo.rootMachineGroup, nullptr);
}

TEST_F(MachineInfo, NoGroupOrNoDefinitionLeavesValuesReset) {
    g_machineInfo.componentCount = 9;
    readMachineGroupInfo(nullptr);
    EXPECT_EQ(g_machineInfo.componentCount, 0);
    EXPECT_EQ(g_machineInfo.rootMachineGroup, nullptr);

    op_group* group = GroupsMachineGroup(nullptr);
    ASSERT_NE(group, nullptr);
    group->machine.machineDefId = 0;
    readMachineGroupInfo(group);
    EXPECT_EQ(g_machineInfo.spindleSpeedLimit, 0);
    EXPECT_EQ(g_machineInfo.toolChangeSeconds, 0);
    // A definition id that names nothing: quietly nothing.
    group->machine.machineDefId = 987654;
    readMachineGroupInfo(group);
    EXPECT_EQ(g_machineInfo.componentCount, 0);
}

}  // namespace
