// Machine group information read from the host's machine definition and control.
#include <gtest/gtest.h>

#include <cmath>

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

// The spindle limit as the definition stores it, a double: one above every speed a tool may have limits no
// more than that speed (1e300 has no int); one below a turn a minute, or none, is no limit.
TEST_F(MachineInfo, TheSpindleLimitIsASpeedAToolMayHave) {
    const struct {
        double stored;
        std::int32_t read;
    } cases[] = {{8000, 8000}, {1e300, 1000000}, {1e6, 1000000}, {1, 1}, {0.5, 0}, {-3, 0}, {std::nan(""), 0}};
    for (const auto& c : cases) {
        host::MachineSetup setup;
        setup.spindleLimit = c.stored;
        host::storeMachineDefinition(setup);
        EXPECT_EQ(readMachineGroupInfo(GroupsMachineGroup(nullptr)), 1);
        EXPECT_EQ(g_machineInfo.spindleSpeedLimit, c.read) << c.stored;
    }
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
