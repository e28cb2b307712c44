// The tool-collision check on builder parts: the centre drill's and the chamfer tool's circles around a
// hole's mouth meeting small bosses, in either order of the part's surfaces; holes with and without the
// process engine's descriptions; copies of a hole; the spot-drill override; the debug file.
#include <string>
#include <vector>

#include "platform/sys/files.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/tool_collision.h"
#include "recognition_checks_support.h"
#include "plugin/services/recognition.h"
#include "support/case_names.h"

namespace {

using namespace recog_o;

// A boss of diameter 2 and height 5 on the top face (z20) of the plate, at (x, y).
BossSpec smallBoss(double x, double y) { return {{x, y, 20}, {0, 0, 1}, 2, 5, 0}; }

class ToolCollisionTest : public CheckTest {
protected:
    // The process engine's share of a through hole d6 in a 20 thick plate: one description item and a
    // centre drill and a chamfer tool of the diameters given (0: no such operation).
    static void giveProcess(POINT_LIST* p, double centreDrill, double chamfer, double zTop = 20, double zBottom = 0) {
        p->descs = allocCilDescs(1);
        p->descCount = 1;
        p->descs[0].D = 6;
        p->descs[0].zTop = zTop;
        p->descs[0].zBottom = zBottom;
        OPE_LIST* last = nullptr;
        auto add = [&](std::uint32_t type, double diameter) {
            OPE_LIST* ope = new OPE_LIST{};
            ope->toolType = type;
            ope->toolDiam = diameter;
            ope->point = p;
            ope->prev = last;
            (last ? last->next : p->opeList) = ope;
            last = ope;
        };
        add(3, 6);   // the drill itself, which neither tool counts
        if (centreDrill > 0) add(2, centreDrill);
        if (chamfer > 0) add(12, chamfer);
    }

    // A fresh host and tree with `builder`'s part, every hole recognised.
    void remake(const PartBuilder& builder) {
        host::reset();
        freeViewsTree(head);
        head = nullptr;
        holes.clear();
        makePart(builder);
        addAllHoles();
    }
};

// The plate with a boss 5 from (20, 20) on the `side` of x and one 8 from it on the other: in one of the
// two parts the chamfer tool's boss comes first among the part's surfaces, in the other the centre drill's.
PartBuilder mirroredBosses(double side) {
    return PartBuilder::block({60, 40, 20}).boss(smallBoss(20 + 5 * side, 20)).boss(smallBoss(20 - 8 * side, 20));
}

// ---- both tools, both orders ------------------------------------------------------------------------------

struct BOSS_CASE {
    const char* name;
    std::vector<BossSpec> bosses;
    std::int16_t touchTop;
};

void PrintTo(const BOSS_CASE& c, std::ostream* os) { *os << c.name; }

class ToolBossTest : public ToolCollisionTest, public testing::WithParamInterface<BOSS_CASE> {};

// The hole at (20, 20) has a centre drill d16 and a chamfer tool d10. Boss "chamfer" at 5 from the axis
// lies under the chamfer tool's circle only, boss "drill" at 8 on the other side under the centre drill's.
TEST_P(ToolBossTest, TheTouchCodeSaysWhichToolsMeetMaterialAboveTheTop) {
    const BOSS_CASE& c = GetParam();
    PartBuilder builder = PartBuilder::block({60, 40, 20});
    for (const BossSpec& boss : c.bosses) builder.boss(boss);
    makePart(builder.hole(throughHole("h", {20, 20, 20}, {0, 0, -1}, 6)));
    addAllHoles();
    giveProcess(holes[0], 16, 10);
    ASSERT_EQ(checkToolCollision(head, nullptr), 0);
    EXPECT_EQ(holes[0]->touchTop, c.touchTop);
    EXPECT_EQ(holes[0]->touchBottom, 0);   // the plate's bottom is the hole's own bottom: within the margin
}

const BossSpec kChamferBoss = smallBoss(25, 20);
const BossSpec kDrillBoss = smallBoss(12, 20);

INSTANTIATE_TEST_SUITE_P(Cases, ToolBossTest,
                         testing::Values(BOSS_CASE{"None", {}, 0}, BOSS_CASE{"DrillOnly", {kDrillBoss}, 1},
                                         BOSS_CASE{"ChamferOnly", {kChamferBoss}, 2},
                                         BOSS_CASE{"Both", {kChamferBoss, kDrillBoss}, 3}), byCaseName);

// The bosses mirrored about the hole: both tools are reported whichever comes first.
TEST_F(ToolCollisionTest, BothToolsAreReportedWhicheverBossComesFirst) {
    bool chamferFirstSeen = false, drillFirstSeen = false;
    for (double side : {1.0, -1.0}) {
        SCOPED_TRACE(side);
        remake(mirroredBosses(side).hole(throughHole("h", {20, 20, 20}, {0, 0, -1}, 6)));
        giveProcess(holes[0], 16, 10);
        g_globals->debugDumps = 1;
        ASSERT_EQ(checkToolCollision(head, nullptr), 0);
        EXPECT_EQ(holes[0]->touchTop, 3);
        const std::string text = plat::readFile(dir.path() + "/24_ToolCollisionf.txt").value_or("");
        const std::size_t chamfer = text.find("Chamfer tool Top"), drill = text.find("Center drill Top");
        ASSERT_NE(chamfer, std::string::npos);
        ASSERT_NE(drill, std::string::npos);
        (chamfer < drill ? chamferFirstSeen : drillFirstSeen) = true;
    }
    EXPECT_TRUE(chamferFirstSeen);
    EXPECT_TRUE(drillFirstSeen);
}

// A foreign surface just above the hole's mouth: within the dead band of 4T it is the mouth's own level
// (no touch), beyond it material the chamfer tool meets. The boundary is pinned on both sides.
TEST_F(ToolCollisionTest, AForeignSurfaceWithinTheDeadBandAtTheMouthIsNoCollision) {
    struct Case {
        double height;   // of the boss above the top face, in T
        std::int16_t touchTop;
    };
    const Case cases[] = {{1, 0}, {3.8, 0}, {4.3, 2}, {6, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        remake(PartBuilder::block({60, 40, 20})
                   .boss({{25, 20, 20}, {0, 0, 1}, 2, c.height * kT, 0})
                   .hole(throughHole("h", {20, 20, 20}, {0, 0, -1}, 6)));
        giveProcess(holes[0], 0, 10);
        ASSERT_EQ(checkToolCollision(head, nullptr), 0);
        EXPECT_EQ(holes[0]->touchTop, c.touchTop);
    }
}

// ---- holes without a process, copies, the override -----------------------------------------------------------

TEST_F(ToolCollisionTest, WithoutAProcessBothToolsWorkAtTheHolesRadiusAndSeeTheFloorBelowABlindHole) {
    makePart(PartBuilder::block({60, 40, 20})
                 .hole(blindFlat("blind", {15, 20, 20}, {0, 0, -1}, 6, 8))
                 .hole(throughHole("through", {40, 20, 20}, {0, 0, -1}, 6)));
    addAllHoles();
    ASSERT_EQ(checkToolCollision(head, nullptr), 0);
    // The plate's bottom lies 12 below the blind hole's bottom; its own floor never counts.
    EXPECT_EQ(holes[0]->touchBottom, 3);
    EXPECT_EQ(holes[0]->touchTop, 0);
    EXPECT_EQ(holes[1]->touchBottom, 0);
    EXPECT_EQ(holes[1]->touchTop, 0);
}

// Without the debug file a surface that can only mark a side its tool has marked is passed over; the codes
// are those of the full check, whichever comes first of the floor below and the bosses above.
TEST_F(ToolCollisionTest, PassingOverMarkedSidesLeavesTheCodesOfTheFullCheck) {
    for (double side : {1.0, -1.0}) {
        SCOPED_TRACE(side);
        remake(mirroredBosses(side)
                   .boss(smallBoss(20 + 5 * side, 25))
                   .hole(blindFlat("blind", {20, 20, 20}, {0, 0, -1}, 6, 8)));
        giveProcess(holes[0], 16, 10, 20, 12);
        std::int16_t codes[2][2] = {};
        for (int dump : {0, 1}) {
            holes[0]->touchTop = holes[0]->touchBottom = 0;
            g_globals->debugDumps = dump;
            ASSERT_EQ(checkToolCollision(head, nullptr), 0);
            codes[dump][0] = holes[0]->touchTop;
            codes[dump][1] = holes[0]->touchBottom;
        }
        EXPECT_EQ(codes[0][0], 3);
        EXPECT_EQ(codes[0][1], 3);
        EXPECT_EQ(codes[1][0], codes[0][0]);
        EXPECT_EQ(codes[1][1], codes[0][1]);
    }
}

TEST_F(ToolCollisionTest, EveryCopyOfAHoleIsTestedWhereItStandsWithTheHeadsTools) {
    // The head at (20, 20) has nothing near; its copy at (40, 20) has a boss 8 to its left.
    makePart(PartBuilder::block({60, 40, 20})
                 .boss(smallBoss(32, 20))
                 .hole(throughHole("head", {20, 20, 20}, {0, 0, -1}, 6))
                 .hole(throughHole("copy", {40, 20, 20}, {0, 0, -1}, 6)));
    addAllHoles();
    giveProcess(holes[0], 16, 0);
    holes[0]->nextEqual = holes[1];
    holes[0]->chainCount = 1;
    holes[1]->chainMember = 1;
    ASSERT_EQ(checkToolCollision(head, nullptr), 0);
    EXPECT_EQ(holes[0]->touchTop, 0);
    EXPECT_EQ(holes[1]->touchTop, 1);

    // The copy is not a head of its own: without the chain it is not tested at all.
    holes[1]->touchTop = 0;
    holes[0]->nextEqual = nullptr;
    ASSERT_EQ(checkToolCollision(head, nullptr), 0);
    EXPECT_EQ(holes[1]->touchTop, 0);
}

TEST_F(ToolCollisionTest, TheSpotDrillOverrideSetsTheCentreDrillsDiameter) {
    // A boss 10 from the axis: beyond a centre drill d16, under a spot drill d20.
    makePart(PartBuilder::block({60, 40, 20})
                 .boss(smallBoss(30, 20))
                 .hole(throughHole("h", {20, 20, 20}, {0, 0, -1}, 6)));
    addAllHoles();
    giveProcess(holes[0], 16, 0);
    ASSERT_EQ(checkToolCollision(head, nullptr), 0);
    EXPECT_EQ(holes[0]->touchTop, 0);
    g_globals->settings.overrideSpotDrill = 1;
    g_globals->settings.spotDrillDiameter = 20;
    ASSERT_EQ(checkToolCollision(head, nullptr), 0);
    EXPECT_EQ(holes[0]->touchTop, 1);
}

// ---- debug file -------------------------------------------------------------------------------------------

class ToolDebugFileTest : public ToolCollisionTest {
protected:
    // The debug file of the check of a hole at (20, 20) with the drill boss 8 from its axis, given tools of
    // these diameters.
    std::string debugFile(double centreDrill, double chamfer) {
        makePart(
            PartBuilder::block({60, 40, 20}).boss(kDrillBoss).hole(throughHole("h", {20, 20, 20}, {0, 0, -1}, 6)));
        addAllHoles();
        giveProcess(holes[0], centreDrill, chamfer);
        g_globals->debugDumps = 1;
        EXPECT_EQ(checkToolCollision(head, nullptr), 0);
        return plat::readFile(dir.path() + "/24_ToolCollisionf.txt").value_or("");
    }
};

TEST_F(ToolDebugFileTest, TheDebugFileNamesTheToolAndTheSide) {
    const std::string text = debugFile(16, 10);
    EXPECT_EQ(text.rfind(std::to_string(g_surfaceCount) + " surf\n", 0), 0u) << text;
    EXPECT_NE(text.find(" Center drill Top r=8.000 View 1 ptUniv(20.000 20.000 20.000) cPlane(20.000 20.000 20.000) "
                        "r=8.00\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("zMin=10000000000.00 zMax=-10000000000.00 ptProjUniv(12.000 20.000 25.000)\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("Chamfer tool"), std::string::npos);
}

TEST_F(ToolDebugFileTest, TwoToolsOfOneDiameterAreEachWrittenInTurnForTheSameHit) {
    const std::string text = debugFile(16, 16);
    EXPECT_EQ(holes[0]->touchTop, 3);
    const std::size_t drill = text.find(" Center drill Top r=8.000 ");
    const std::size_t chamfer = text.find(" Chamfer tool Top r =8.000 ");
    ASSERT_NE(drill, std::string::npos) << text;
    ASSERT_NE(chamfer, std::string::npos) << text;
    EXPECT_LT(drill, chamfer) << text;
    const std::string hit = "ptProjUniv(12.000 20.000 25.000)\n";
    EXPECT_EQ(text.find(hit, text.find(hit) + 1), text.rfind(hit)) << text;
    EXPECT_GT(text.rfind(hit), chamfer) << text;
}

}  // namespace
