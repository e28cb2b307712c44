// The host's regeneration of an operation into a toolpath (drill cycles per point with their pecks, dwell and
// retract; the milled kinds' circles, helices and contours) and the NC listing written from the toolpaths.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "support/ops_fixture.h"

namespace {

class ToolpathTest : public OpsFixture {
protected:
    // A drilling of the cycle at the points, heights measured from each point, regenerated.
    operation drilling(int cycle, std::vector<p_3d> at, double depth = -7) {
        operation op = makeOp(2, 0, host::kActiveGroupId, "drill");
        op.cycle = static_cast<std::int16_t>(cycle);
        op.clearance = 10;
        op.retract = 2;
        op.topOfStock = 0;
        op.topOfStockIncremental = 1;
        op.depth = depth;
        op.toolNumber = 4;
        op.toolDiameter = 8;
        op.toolSpindle = 1000;
        op.toolFeeds[0] = op.toolFeeds[1] = 100;
        op.pecks[0] = op.pecks[1] = op.pecks[2] = op.pecks[3] = op.dwell = 0;
        TpMainOpMgr().GetMainOpList().UpdateAt(op.id, op);
        for (const p_3d& p : at) EXPECT_TRUE(attach(op, storePoint(p.x, p.y, p.z)));
        return op;
    }
    static void update(const operation& op) { TpMainOpMgr().GetMainOpList().UpdateAt(op.id, op); }
    // A chain of the circle of radius r about (x, y, z) after its centre, given to the operation.
    static bool chainCircle(const operation& op, double x, double y, double z, double r) {
        const ent centre = storePoint(x, y, z), ring = storeCircle(x, y, z, r);
        CHAIN* chain = nullptr;
        alloc_chain(&chain);
        append_chain_ent(chain, &centre);
        append_chain_ent(chain, &ring);
        const bool given = chain_manager(chain, op.id, 1) == 1;
        free_chain(&chain);
        return given;
    }
    static void regenerate(const operation& op) {
        nci_bin nci{};
        char ok = 0;
        ASSERT_EQ(nci_manager(op.id, 8, &nci, &ok), 1);
    }
    // The toolpath lines of the operation's dump (points and moves).
    static std::vector<std::string> path(const operation& op) {
        std::istringstream in(host::dumpOperation(op.id));
        std::vector<std::string> lines;
        bool inPath = false;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("  toolpath", 0) == 0) inPath = true;
            else if (inPath) lines.push_back(line.substr(line.find_first_not_of(' ')));
        }
        return lines;
    }
    static std::vector<std::string> ncBlocks() {
        std::istringstream in(host::ncListing());
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] != 'N') continue;
            lines.push_back(line.substr(line.find(' ') + 1));
        }
        return lines;
    }
};

// A peck cycle: rapid to the clearance and the retract plane, pecks of 3 from the retract plane, out to it
// after each and back down to 0.5 above the last bottom, to the depth, out, up to the clearance.
TEST_F(ToolpathTest, APeckCyclePecksFromTheRetractPlaneToTheDepth) {
    operation op = drilling(1, {{10, 10, 0}});
    op.pecks[0] = op.pecks[1] = 3;
    op.pecks[2] = 0.5;
    update(op);
    regenerate(op);
    EXPECT_EQ(path(op), (std::vector<std::string>{
                            "hole 1 (10,10,0) clearance=10 retract=2 top=0 bottom=-7", "rapid (10,10,10)",
                            "rapid (10,10,2)", "feed (10,10,-1) f=100", "rapid (10,10,2)", "rapid (10,10,-0.5)",
                            "feed (10,10,-4) f=100", "rapid (10,10,2)", "rapid (10,10,-3.5)", "feed (10,10,-7) f=100",
                            "rapid (10,10,2)", "rapid (10,10,10)"}));
    const std::vector<std::string> nc = ncBlocks();
    EXPECT_NE(std::find(nc.begin(), nc.end(), "G98 G83 X10. Y10. Z-7. R2. Q3. F100."), nc.end()) << host::ncListing();
}

// Uneven pecks (a first peck of 3, then 1.5) have no canned cycle: every peck is a move of the toolpath and
// of the listing, a peck cycle going out to the retract plane after each, a chip break backing off by 0.2.
TEST_F(ToolpathTest, UnevenPecksAreEveryPeckAMoveOfThePathAndOfTheListing) {
    struct Case {
        int cycle;
        std::vector<std::string> moves;   // after the rapid to the retract plane, before the one to the clearance
        std::vector<std::string> blocks;  // the listing's blocks after its comment
    };
    const Case cases[] = {
        {1,
         {"feed (10,10,-1) f=100", "rapid (10,10,2)", "rapid (10,10,-0.5)", "feed (10,10,-2.5) f=100",
          "rapid (10,10,2)", "rapid (10,10,-2)", "feed (10,10,-4) f=100", "rapid (10,10,2)", "rapid (10,10,-3.5)",
          "feed (10,10,-5.5) f=100", "rapid (10,10,2)", "rapid (10,10,-5)", "feed (10,10,-7) f=100",
          "rapid (10,10,2)"},
         {"Z2.", "G1 Z-1. F100.", "G0 Z2.", "Z-0.5", "G1 Z-2.5", "G0 Z2.", "Z-2.", "G1 Z-4.", "G0 Z2.", "Z-3.5",
          "G1 Z-5.5", "G0 Z2.", "Z-5.", "G1 Z-7.", "G0 Z2.", "Z10."}},
        {2,
         {"feed (10,10,-1) f=100", "rapid (10,10,-0.8)", "feed (10,10,-2.5) f=100", "rapid (10,10,-2.3)",
          "feed (10,10,-4) f=100", "rapid (10,10,-3.8)", "feed (10,10,-5.5) f=100", "rapid (10,10,-5.3)",
          "feed (10,10,-7) f=100", "rapid (10,10,2)"},
         {"Z2.", "G1 Z-1. F100.", "G0 Z-0.8", "G1 Z-2.5", "G0 Z-2.3", "G1 Z-4.", "G0 Z-3.8", "G1 Z-5.5",
          "G0 Z-5.3", "G1 Z-7.", "G0 Z2.", "Z10."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cycle);
        host::reset();
        operation op = drilling(c.cycle, {{10, 10, 0}});
        op.pecks[0] = 3;
        op.pecks[1] = 1.5;
        op.pecks[2] = 0.5;
        op.pecks[3] = 0.2;
        update(op);
        regenerate(op);
        const std::vector<std::string> lines = path(op);
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end() - 1), c.moves);
        EXPECT_EQ(lines.back(), "rapid (10,10,10)");

        const std::string listing = host::ncListing();
        const std::string comment = "(CYCLE " + std::to_string(c.cycle) + " AS MOVES)\n";
        const std::size_t at = listing.find(comment);
        ASSERT_NE(at, std::string::npos) << listing;
        std::istringstream after(listing.substr(at + comment.size()));
        std::vector<std::string> blocks;
        for (std::string line; std::getline(after, line) && line.rfind("N", 0) == 0 && line.find(" M9") == std::string::npos;)
            blocks.push_back(line.substr(line.find(' ') + 1));
        EXPECT_EQ(blocks, c.blocks) << listing;
        EXPECT_EQ(listing.find(" G83"), std::string::npos);
        EXPECT_EQ(listing.find(" G73"), std::string::npos);
    }
}

// The cycles' ends: a dwell at the bottom, a tap feeding out with the spindle reversed, a bore feeding out;
// a drill's tip goes below the depth by its breakthrough and its tip's length.
TEST_F(ToolpathTest, EachCycleEndsAsItsKindDoes) {
    struct Case {
        int cycle;
        double dwell;
        bool tip;
        std::vector<std::string> moves;   // after the rapid to the retract plane
        const char* canned;
    };
    const double tipLength = 4 / std::tan(59 * 3.141592653589793 / 180);
    char bottom[64];
    std::snprintf(bottom, sizeof bottom, "feed (0,0,%.4f) f=100", -7 - 1 - tipLength);
    const Case cases[] = {
        {0, 0.5, false, {"feed (0,0,-7) f=100", "dwell 0.5s", "rapid (0,0,2)"}, "G98 G82 X0. Y0. Z-7. R2. P500 F100."},
        {3, 0, false, {"feed (0,0,-7) f=100", "spindle reverse", "feed (0,0,2) f=100", "spindle reverse"},
         "G98 G84 X0. Y0. Z-7. R2. F100."},
        {4, 0, false, {"feed (0,0,-7) f=100", "feed (0,0,2) f=100"}, "G98 G85 X0. Y0. Z-7. R2. F100."},
        {0, 0, true, {bottom, "rapid (0,0,2)"}, "G98 G81 X0. Y0. Z-10.403 R2. F100."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.canned);
        host::reset();
        operation op = drilling(c.cycle, {{0, 0, 0}});
        op.dwell = c.dwell;
        if (c.tip) {
            op.tipOn = 1;
            op.tipValue = 1;
            op.toolAngle = 118;
        }
        update(op);
        regenerate(op);
        std::vector<std::string> lines = path(op);
        ASSERT_GE(lines.size(), 3u);
        std::vector<std::string> moves(lines.begin() + 3, lines.end() - 1);
        EXPECT_EQ(moves, c.moves);
        const std::vector<std::string> nc = ncBlocks();
        EXPECT_NE(std::find(nc.begin(), nc.end(), c.canned), nc.end()) << host::ncListing();
    }
}

// With the clearance at the ends only, the tool goes from hole to hole at the retract plane (G99) and up to
// the clearance after the last (G98).
TEST_F(ToolpathTest, TheClearanceAtTheEndsOnlyKeepsTheToolAtTheRetractPlaneBetweenHoles) {
    operation op = drilling(0, {{0, 0, 0}, {20, 0, 0}, {40, 0, 0}});
    op.clearanceAtEnds = 1;
    update(op);
    regenerate(op);
    std::vector<std::string> rapids;
    for (const std::string& l : path(op))
        if (l.rfind("rapid", 0) == 0) rapids.push_back(l);
    EXPECT_EQ(rapids, (std::vector<std::string>{"rapid (0,0,10)", "rapid (0,0,2)", "rapid (0,0,2)", "rapid (20,0,2)",
                                                "rapid (20,0,2)", "rapid (40,0,2)", "rapid (40,0,2)",
                                                "rapid (40,0,10)"}));
    const std::vector<std::string> nc = ncBlocks();
    EXPECT_NE(std::find(nc.begin(), nc.end(), "G99 G81 X0. Y0. Z-7. R2. F100."), nc.end());
    EXPECT_NE(std::find(nc.begin(), nc.end(), "X20. Y0."), nc.end());
    EXPECT_NE(std::find(nc.begin(), nc.end(), "G98 X40. Y0."), nc.end());
}

// Coordinates are the tool plane's: a front plane with its origin at (0, 0, 20) is a work offset of its
// own, described in a comment, and the holes are drilled at their place in it.
TEST_F(ToolpathTest, EachToolPlaneAndOriginIsAWorkOffsetOfItsOwn) {
    operation top = drilling(0, {{5, 5, 0}});
    operation front = drilling(0, {{5, 0, 10}});
    front.toolPlaneOn = 1;
    get_view_matrix(2, front.toolPlaneMatrix);   // front: X +X, Y +Z, Z -Y
    front.planeOrigin[2] = 20;
    update(front);
    regenerate(top);
    regenerate(front);
    EXPECT_EQ(path(front)[0], "hole 1 (5,-10,0) clearance=10 retract=2 top=0 bottom=-7");
    const std::string nc = host::ncListing();
    EXPECT_NE(nc.find("(G54 = PLANE X 1.,0.,0. Y 0.,1.,0. Z 0.,0.,1. ORIGIN 0.,0.,0.)"), std::string::npos) << nc;
    EXPECT_NE(nc.find("(G55 = PLANE X 1.,0.,0. Y 0.,0.,1. Z 0.,-1.,0. ORIGIN 0.,0.,20.)"), std::string::npos) << nc;
    EXPECT_NE(nc.find("G0 G90 G55 X5. Y-10."), std::string::npos) << nc;
}

// A circle mill: down the helix from the top at its pitch, one turn at the bottom, back to the centre; the
// listing's arcs carry their centres as I and J. A contour follows its chain's circle less the tool's radius.
TEST_F(ToolpathTest, MilledHolesAreCirclesAndHelices) {
    operation circle = makeOp(18, 0, host::kActiveGroupId, "circle");
    circle.clearance = 10;
    circle.retract = 2;
    circle.topOfStockIncremental = 1;
    circle.depth = -4;
    circle.toolDiameter = 6;
    circle.toolFeeds[0] = 200;
    const double diameter = 16, pitch = 2;
    std::memcpy(circle.kindBlock + op_circle_layout::circleDiameter, &diameter, sizeof diameter);
    std::memcpy(circle.kindBlock + op_circle_layout::helixPitch, &pitch, sizeof pitch);
    circle.kindBlock[op_circle_layout::helixOn] = 1;
    update(circle);
    attach(circle, storePoint(0, 0, 0));
    regenerate(circle);
    int arcs = 0;
    for (const std::string& l : path(circle)) arcs += l.rfind("arc ccw", 0) == 0 ? 1 : 0;
    EXPECT_EQ(arcs, 2 * 2 + 2);   // two turns down, one at the bottom, each in two halves
    const std::string nc = host::ncListing();
    EXPECT_NE(nc.find("N80 G3 X-5. Y0. Z-1. I-5. J0.\n"), std::string::npos) << nc;

    operation contour = makeOp(1, 0, host::kActiveGroupId, "contour");
    contour.clearance = 10;
    contour.retract = 2;
    contour.topOfStockIncremental = 1;
    contour.depth = -3;
    contour.toolDiameter = 4;
    update(contour);
    ASSERT_TRUE(chainCircle(contour, 50, 0, 0, 6));
    regenerate(contour);
    const std::vector<std::string> lines = path(contour);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "feed (54,0,-3) f=0"), lines.end());
}

// A thread mill climbs from the thread's bottom to its top at the pitch, on the major diameter less (inside)
// or plus (outside) the tool: counter-clockwise for a right-hand internal thread and a left-hand external
// one. A helix bore goes down on its bore diameter at its rough pitch, turns once at the bottom and,
// with the finish on, climbs back at the finish pitch.
TEST_F(ToolpathTest, ThreadMillsClimbAndHelixBoresDescendTurnByTurn) {
    struct Case {
        const char* what;
        std::int16_t code;
        bool internal, rightHand, finishOn;
        double radius;                      // of the path about the point
        int arcs;                           // half turns
        const char* direction;              // of every arc
        double firstArcZ, lastArcZ;         // where the first and the last half turn end
    };
    const Case cases[] = {
        {"internal right-hand thread", 100, true, true, false, 2, 8, "arc ccw", -5.25, 0},
        {"internal left-hand thread", 100, true, false, false, 2, 8, "arc cw", -5.25, 0},
        {"external right-hand thread", 100, false, true, false, 8, 8, "arc cw", -5.25, 0},
        {"helix bore", 106, false, false, false, 3, 2 * 3 + 2, "arc ccw", -1, -6},
        {"helix bore with a finish", 106, false, false, true, 3, 2 * 3 + 2 + 2 * 2, "arc ccw", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpsFixture::TearDown();
        OpsFixture::SetUp();
        operation op = makeOp(c.code, 0, host::kActiveGroupId, "milled");
        op.clearance = 10;
        op.retract = 2;
        op.topOfStockIncremental = 1;
        op.depth = -6;
        op.toolDiameter = 6;
        op.toolFeeds[0] = 300;
        const auto put = [&op](std::size_t at, double v) { std::memcpy(op.kindBlock + at, &v, sizeof v); };
        if (c.code == 100) {
            put(op_thread_layout::threadDiameter, 10);
            put(op_thread_layout::pitch, 1.5);
            op.kindBlock[op_thread_layout::side] = c.internal ? 0 : 1;   // 0 an ID thread, 1 an OD one
            op.kindBlock[op_thread_layout::hand] = c.rightHand ? 0 : 1;
            op.kindBlock[op_thread_layout::internal] = 1;                // the generation's mark leaves the side
        } else {
            put(op_helix_layout::boreDiameter, 12);
            put(op_helix_layout::roughPitch, 2);
            put(op_helix_layout::finishPitch, 3);
            op.kindBlock[op_helix_layout::finishOn] = c.finishOn ? 1 : 0;
        }
        update(op);
        attach(op, storePoint(0, 0, 0));
        regenerate(op);
        std::vector<std::string> arcs;
        for (const std::string& l : path(op))
            if (l.rfind("arc ", 0) == 0) arcs.push_back(l);
        ASSERT_EQ(static_cast<int>(arcs.size()), c.arcs) << ::testing::PrintToString(path(op));
        for (const std::string& a : arcs) EXPECT_EQ(a.rfind(std::string(c.direction) + " (", 0), 0u) << a;
        const auto endZ = [](const std::string& arc) {
            const std::size_t close = arc.find(')');
            return std::stod(arc.substr(arc.rfind(',', close) + 1));
        };
        EXPECT_NEAR(endZ(arcs.front()), c.firstArcZ, 1e-9) << arcs.front();
        EXPECT_NEAR(endZ(arcs.back()), c.lastArcZ, 1e-9) << arcs.back();
        // Every half turn ends on the path's circle, on the X axis through the point.
        for (const std::string& a : arcs) {
            const double x = std::stod(a.substr(a.find('(') + 1));
            EXPECT_NEAR(std::fabs(x), c.radius, 1e-9) << a;
        }
    }
}

// No hole takes more than 1000 pecks, helix or thread turns, or depth cuts: the count is worked out before a
// move is made, and an operation asking for more (a peck or pitch near 0, a depth of 1e30) has an empty
// toolpath, the regeneration failing with the value and its range on the message line and in the listing.
// A pitch not above 0 is refused too, never milled at a pitch the user did not give. Each refused row hung,
// took all memory or milled another pitch before; the sound ones at the bound are made.
TEST_F(ToolpathTest, NoHoleTakesMorePecksTurnsOrDepthCutsThanItsBound) {
    const auto put = [](std::uint8_t* block, std::size_t at, double v) { std::memcpy(block + at, &v, sizeof v); };
    struct Case {
        const char* what;
        std::int16_t code, cycle;
        std::function<void(operation&)> set;
        const char* why;   // how the refusal begins; "" for a path that is made
    };
    const Case cases[] = {
        {"a peck of 2e-6", 2, 1, [](operation& op) { op.pecks[0] = op.pecks[1] = 2e-6; },
         "its peck 2e-06 is out of range: over a height of 9 at hole 1 it makes more than the 1000 pecks a hole "
         "takes, so it is at least 0.009 there"},
        {"a chip break of uneven pecks, the second 2e-6", 2, 2,
         [](operation& op) { op.pecks[0] = 3, op.pecks[1] = 2e-6, op.pecks[3] = 0.2; }, "its peck 2e-06 is out of range"},
        {"a peck of 2 to a depth of 1e30", 2, 1, [](operation& op) { op.pecks[0] = op.pecks[1] = 2, op.depth = -1e30; },
         "its peck 2 is out of range: over a height of 1e+30 at hole 1 it makes more than the 1000 pecks a hole takes, "
         "so it is at least 1e+27 there"},
        {"989 pecks", 2, 1, [](operation& op) { op.pecks[0] = op.pecks[1] = 0.0091; }, ""},
        {"1012 pecks", 2, 1, [](operation& op) { op.pecks[0] = op.pecks[1] = 0.0089; }, "its peck 0.0089 is out of range"},
        {"a circle mill's helix pitch of 2e-6", 18, 0,
         [&](operation& op) {
             put(op.kindBlock, op_circle_layout::helixPitch, 2e-6);
             op.kindBlock[op_circle_layout::helixOn] = 1;
         },
         "its helix pitch 2e-06 is out of range: over a height of 7 at hole 1 it makes more than the 1000 turns"},
        {"a helix bore's rough pitch of 2e-6", 106, 0,
         [&](operation& op) { put(op.kindBlock, op_helix_layout::roughPitch, 2e-6); }, "its rough pitch 2e-06 is out"},
        {"a helix bore's finish pitch of 2e-6", 106, 0,
         [&](operation& op) {
             put(op.kindBlock, op_helix_layout::finishPitch, 2e-6);
             op.kindBlock[op_helix_layout::finishOn] = 1;
         },
         "its finish pitch 2e-06 is out"},
        {"a thread pitch of 2e-6", 100, 0, [&](operation& op) { put(op.kindBlock, op_thread_layout::pitch, 2e-6); },
         "its thread pitch 2e-06 is out"},
        {"a thread pitch of 1e-7", 100, 0, [&](operation& op) { put(op.kindBlock, op_thread_layout::pitch, 1e-7); },
         "its thread pitch 1e-07 is out of range: over a height of 7"},
        {"a thread pitch of 0", 100, 0, [&](operation& op) { put(op.kindBlock, op_thread_layout::pitch, 0); },
         "its thread pitch 0 is out of range: it is above 0, and over a height of 7 at hole 1 at least 0.007"},
        {"a thread pitch of -1.5", 100, 0, [&](operation& op) { put(op.kindBlock, op_thread_layout::pitch, -1.5); },
         "its thread pitch -1.5 is out of range: it is above 0"},
        {"a helix bore's rough pitch of 0", 106, 0, [&](operation& op) { put(op.kindBlock, op_helix_layout::roughPitch, 0); },
         "its rough pitch 0 is out of range: it is above 0"},
        {"a helix bore's finish pitch of -2", 106, 0,
         [&](operation& op) {
             put(op.kindBlock, op_helix_layout::finishPitch, -2);
             op.kindBlock[op_helix_layout::finishOn] = 1;
         },
         "its finish pitch -2 is out of range: it is above 0"},
        {"a thread pitch of 0.007", 100, 0, [&](operation& op) { put(op.kindBlock, op_thread_layout::pitch, 0.007); }, ""},
        {"a thread to a depth that is not a number", 100, 0, [](operation& op) { op.depth = std::nan(""); },
         "its thread pitch 1.5 or the height nan of hole 1 is not a number"},
        {"a contour's depth step of 2e-6", 1, 0,
         [&](operation& op) {
             op.depthCuts[op_depth_cuts_layout::on] = 1;
             put(op.depthCuts, op_depth_cuts_layout::maxRough, 2e-6);
         },
         "its depth step 2e-06 is out of range: over a height of 7 at hole 1 it makes more than the 1000 depth cuts"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpsFixture::TearDown();
        OpsFixture::SetUp();
        operation op = drilling(c.cycle, {});
        op.code = static_cast<std::uint8_t>(c.code);
        op.toolDiameter = 6;
        if (c.code == 18) put(op.kindBlock, op_circle_layout::circleDiameter, 16);
        if (c.code == 106) put(op.kindBlock, op_helix_layout::boreDiameter, 16);
        if (c.code == 106) put(op.kindBlock, op_helix_layout::roughPitch, 2);
        if (c.code == 100) put(op.kindBlock, op_thread_layout::threadDiameter, 10);
        if (c.code == 100) put(op.kindBlock, op_thread_layout::pitch, 1.5);
        c.set(op);
        update(op);
        ASSERT_TRUE(c.code == 1 ? chainCircle(op, 0, 0, 0, 8) : attach(op, storePoint(0, 0, 0)));
        nci_bin nci{};
        char done = 0;
        const int made = nci_manager(op.id, 8, &nci, &done);
        const std::string dump = host::dumpOperation(op.id), listing = host::ncListing();
        if (*c.why == '\0') {
            EXPECT_EQ(made, 1);
            EXPECT_GT(path(op).size(), 2u * 900u) << dump.substr(0, 2000);
            continue;
        }
        EXPECT_EQ(made, 0);
        EXPECT_EQ(done, 0);
        EXPECT_EQ(host::messageLine().rfind("Operation " + std::to_string(op.id) + " has no toolpath: " + c.why, 0), 0u)
            << host::messageLine();
        EXPECT_NE(dump.find("toolpath points=0 moves=0 \"" + std::string(c.why)), std::string::npos) << dump;
        std::string upper = c.why;
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_NE(listing.find(" - NO TOOLPATH: " + upper), std::string::npos) << listing;
    }
}

// A number of the listing beyond the nine digits a control reads before the point (a depth, feed, dwell or
// tool of 1e300, a depth of exactly 1e9), or no number at all, refuses the whole listing, naming the
// operation and the number, instead of writing it cut to the buffer's width, as hundreds of digits or as
// "nan"; the sound rows at the bound are written.
TEST_F(ToolpathTest, ANumberBeyondTheControlsWordsRefusesTheListing) {
    struct Case {
        const char* what;
        int cycle;
        std::function<void(operation&)> set;
        const char* number;   // the number refused; "" for a listing written, holding `written`
        const char* written;
    };
    const Case cases[] = {
        {"a depth of -1e300", 0, [](operation& op) { op.depth = -1e300; }, "-1e+300", ""},
        {"a depth of -1e30", 0, [](operation& op) { op.depth = -1e30; }, "-1e+30", ""},
        {"a depth of exactly -1e9", 0, [](operation& op) { op.depth = -1e9; }, "-1e+09", ""},
        {"a depth that is no number", 0, [](operation& op) { op.depth = std::nan(""); }, "nan", ""},
        {"a feed of 1e300", 0, [](operation& op) { op.toolFeeds[0] = op.toolFeeds[1] = 1e300; }, "1e+300", ""},
        {"a dwell of 1e300 s", 0, [](operation& op) { op.dwell = 1e300; }, "1e+303", ""},
        {"a tool of diameter 1e300", 0, [](operation& op) { op.toolDiameter = 1e300; }, "1e+300", ""},
        {"uneven pecks, as moves, at a feed of 1e12", 1,
         [](operation& op) { op.pecks[0] = 3, op.pecks[1] = 1.5, op.toolFeeds[0] = op.toolFeeds[1] = 1e12; }, "1e+12",
         ""},
        {"a depth of -999999", 0, [](operation& op) { op.depth = -999999; }, "", "G98 G81 X10. Y10. Z-999999. R2. F100."},
        {"a dwell of 1000 s", 0, [](operation& op) { op.dwell = 1000; }, "", "G98 G82 X10. Y10. Z-7. R2. P1000000 F100."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpsFixture::TearDown();
        OpsFixture::SetUp();
        operation op = drilling(c.cycle, {{10, 10, 0}});
        c.set(op);
        update(op);
        regenerate(op);
        std::string why = "not told";
        const std::string listing = host::ncListing(&why);
        if (*c.number == '\0') {
            EXPECT_EQ(why, "");
            EXPECT_NE(listing.find(c.written), std::string::npos) << listing;
            continue;
        }
        EXPECT_EQ(listing, "");
        EXPECT_EQ(why, "OP " + std::to_string(op.id) + " DRILL: its number " + c.number +
                           " cannot be written: a control reads at most 9 digits before the point");
    }
}

TEST_F(ToolpathTest, NewGeometryMakesTheToolpathStale) {
    operation op = drilling(0, {{0, 0, 0}});
    regenerate(op);
    EXPECT_EQ(TpMainOpMgr().GetMainOpList().FindByID(op.id)->nciValid, 1);
    attach(op, storePoint(10, 0, 0));
    EXPECT_EQ(TpMainOpMgr().GetMainOpList().FindByID(op.id)->nciValid, 0);
    EXPECT_TRUE(path(op).empty());
    EXPECT_NE(host::ncListing().find("NOT REGENERATED"), std::string::npos);
    regenerate(op);
    EXPECT_EQ(path(op).size(), 2u * 6u);
}

}  // namespace
