// The host's environment, groups, display and commands as the plug-in reads them at every invocation,
// and that reset() gives a fresh host whatever a test changed.
#include <gtest/gtest.h>

#include "host/api.h"
#include "host/state.h"
#include "platform/ui/driver.h"

namespace {

class HostState : public testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        host::reset();
    }
    void TearDown() override {
        host::reset();
        plat::driver().reset();
    }
};

TEST_F(HostState, FreshHostIsMetricWithAnUnnamedPartAndBothGroups) {
    EXPECT_EQ(current_version[7], 1);
    EXPECT_STREQ(current_dir, host::kDefaultHostDir);
    EXPECT_STREQ(geo_filename, default_geo_filename);
    EXPECT_STREQ(geo_prefix, host::kDefaultHostDir);
    EXPECT_STREQ(geo_suffix, host::kPartSuffix);
    EXPECT_EQ(std::string(ToolLibraryStr()), std::string(host::kDefaultHostDir) + "Mill/Tools/Mill_mm.Tools");
    EXPECT_EQ(std::string(PostProcFileStr()), std::string(host::kDefaultHostDir) + "Posts/Generic.Pst");
    EXPECT_NE(GetPartforgeApp(), nullptr);
    EXPECT_EQ(mask_level, 0);

    op_group* machine = GroupsMachineGroup(nullptr);
    ASSERT_NE(machine, nullptr);
    EXPECT_TRUE(machine->isMachineGroup);
    op_group* active = TpMainGrpMgr().GetMainGrpList().RetrieveActiveGroup();
    ASSERT_NE(active, nullptr);
    EXPECT_NE(active, machine);
    EXPECT_EQ(active->parentId, machine->id);
    EXPECT_EQ(TpMainGrpMgr().GetMainGrpList().RetrieveRootMachineGroup(active->id), machine);
}

TEST_F(HostState, UnitsFolderAndPartFollowTheSettings) {
    host::setMetric(false);
    EXPECT_NE(current_version[7], 1);
    EXPECT_NE(std::string(ToolLibraryStr()).find("Mill_Inch.Tools"), std::string::npos);
    host::setHostDir("/opt/cam");
    EXPECT_STREQ(current_dir, "/opt/cam");
    EXPECT_STREQ(geo_prefix, "/opt/cam/");
    EXPECT_EQ(std::string(ToolLibraryStr()), "/opt/cam/Mill/Tools/Mill_Inch.Tools");
    EXPECT_EQ(std::string(PostProcFileStr()), "/opt/cam/Posts/Generic.Pst");
    host::setPartFile("/parts/Block.pfp");
    EXPECT_STREQ(geo_filename, "/parts/Block.pfp");
    EXPECT_STRNE(geo_filename, default_geo_filename);
    host::setPartFile("");
    EXPECT_STREQ(geo_filename, default_geo_filename);
    host::setToolLibrary("/t/mine.tooldb");
    host::setPostFile("/p/mill.pst");
    host::setMetric(true);
    EXPECT_STREQ(ToolLibraryStr(), "/t/mine.tooldb");
    EXPECT_STREQ(PostProcFileStr(), "/p/mill.pst");
}

TEST_F(HostState, WithoutMachineGroupThereIsNoPostAndNoRootMachineGroup) {
    host::setMachineGroup(false);
    EXPECT_EQ(GroupsMachineGroup(nullptr), nullptr);
    EXPECT_STREQ(PostProcFileStr(), "");
    op_group* active = TpMainGrpMgr().GetMainGrpList().RetrieveActiveGroup();
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(TpMainGrpMgr().GetMainGrpList().RetrieveRootMachineGroup(active->id), nullptr);
}

TEST_F(HostState, WithoutActiveGroupTheMachineGroupRemains) {
    host::setActiveGroup(false);
    EXPECT_EQ(TpMainGrpMgr().GetMainGrpList().RetrieveActiveGroup(), nullptr);
    EXPECT_NE(GroupsMachineGroup(nullptr), nullptr);
    EXPECT_EQ(TpMainGrpMgr().GetMainGrpList().RetrieveRootMachineGroup(999), nullptr);
}

TEST_F(HostState, DeletingAGroupTakesTheGroupsBelowIt) {
    op_group* active = TpMainGrpMgr().GetMainGrpList().RetrieveActiveGroup();
    ASSERT_NE(active, nullptr);
    std::int32_t activeId = active->id;
    EXPECT_EQ(OMdeleteGroup(activeId, 1), 1);
    EXPECT_EQ(TpMainGrpMgr().GetMainGrpList().RetrieveActiveGroup(), nullptr);
    EXPECT_EQ(OMdeleteGroup(activeId, 1), 0);
    EXPECT_NE(GroupsMachineGroup(nullptr), nullptr);

    host::reset();
    EXPECT_EQ(OMdeleteGroup(host::kMachineGroupId, 0), 1);
    EXPECT_EQ(GroupsMachineGroup(nullptr), nullptr);
    EXPECT_EQ(TpMainGrpMgr().GetMainGrpList().RetrieveActiveGroup(), nullptr);
    EXPECT_TRUE(host::groupIds().empty());
    EXPECT_TRUE(plat::driver().transcript().contains("host.deleteGroup 1"));
}

TEST_F(HostState, ResetUndoesEveryChange) {
    host::setMetric(false);
    host::setHostDir("/elsewhere/");
    host::setPartFile("/p/x.pfp");
    host::setToolLibrary("/t.tooldb");
    host::setMachineGroup(false);
    host::setActiveGroup(false);
    mask_level = 5;
    rebuild_graphics();
    repaint_graphics();
    l_3d line;
    drw_3d_line(&line, 3);
    post_FT_command("Forantix", "m_main");
    post_FT_command("Partforge", "AnalyzeDynoStart");
    mprintf("x");
    UpdateStatusBarText("y");

    host::reset();
    EXPECT_EQ(current_version[7], 1);
    EXPECT_STREQ(current_dir, host::kDefaultHostDir);
    EXPECT_STREQ(geo_filename, default_geo_filename);
    EXPECT_EQ(std::string(ToolLibraryStr()), std::string(host::kDefaultHostDir) + "Mill/Tools/Mill_mm.Tools");
    EXPECT_NE(GroupsMachineGroup(nullptr), nullptr);
    EXPECT_NE(TpMainGrpMgr().GetMainGrpList().RetrieveActiveGroup(), nullptr);
    EXPECT_EQ(mask_level, 0);
    EXPECT_EQ(host::rebuildCount(), 0);
    EXPECT_EQ(host::repaintCount(), 0);
    EXPECT_TRUE(host::drawnLines().empty());
    EXPECT_EQ(host::pendingRunAgainRequests(), 0);
    EXPECT_TRUE(host::hostCommands().empty());
    EXPECT_EQ(host::messageLine(), "");
    EXPECT_EQ(host::statusText(), "");
}

TEST_F(HostState, RunAgainIsQueuedPerRequestAndOtherCommandsAreRecorded) {
    post_FT_command("Forantix", "m_main");
    post_FT_command("Forantix", "m_main");
    post_FT_command("Partforge", "AnalyzeDynoStart");
    EXPECT_EQ(host::pendingRunAgainRequests(), 2);
    EXPECT_TRUE(host::takeRunAgainRequest());
    EXPECT_TRUE(host::takeRunAgainRequest());
    EXPECT_FALSE(host::takeRunAgainRequest());
    ASSERT_EQ(host::hostCommands().size(), 1u);
    EXPECT_EQ(host::hostCommands()[0], "Partforge AnalyzeDynoStart");
    EXPECT_TRUE(plat::driver().transcript().contains("host.command Partforge AnalyzeDynoStart"));
}

TEST_F(HostState, GraphicsCallsAreCountedAndLinesKept) {
    rebuild_graphics();
    rebuild_graphics();
    repaint_graphics();
    l_3d line;
    line.e1 = {1, 2, 3};
    line.e2 = {4.5, 5, 6};
    drw_3d_line(&line, 12);
    EXPECT_EQ(host::rebuildCount(), 2);
    EXPECT_EQ(host::repaintCount(), 1);
    ASSERT_EQ(host::drawnLines().size(), 1u);
    EXPECT_EQ(host::drawnLines()[0].colour, 12);
    EXPECT_EQ(host::drawnLines()[0].line.e2.x, 4.5);
    EXPECT_TRUE(plat::driver().transcript().contains("host.draw line (1,2,3)-(4.5,5,6) colour=12"));
}

}  // namespace
