// The stock-block check: the box of six faces and where an axis crosses it; holes of a builder part
// lengthened to a stock block around it along the recognition road (recognition, the opaque-surfaces check,
// then the stock); and the holes that must not grow, on hand-made trees in view 1 (view frame = world).
#include <array>
#include <cmath>
#include <vector>

#include "host/state.h"
#include "plugin/base/vectors.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/opaque_check.h"
#include "plugin/recognition/stock_check.h"
#include "recognition_checks_support.h"
#include "plugin/services/recognition.h"

namespace {

using namespace recog_o;

constexpr double kIdentity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

// A box x 0..100, y 0..80, z -5..25.
CStockBox uprightBox() {
    CStockBox box;
    const double top[3] = {50, 40, 25};
    box.setBox(100, 80, 30, top, kIdentity);
    return box;
}

// ---- the box ----------------------------------------------------------------------------------------------

TEST(StockBoxTest, AnAxisCrossesTheFarthestFacesOnEitherSide) {
    const CStockBox box = uprightBox();
    double up = 0, down = 0;
    const double inside[3] = {20, 20, 20};
    const double upward[3] = {0, 0, 1}, downward[3] = {0, 0, -1};
    ASSERT_EQ(box.axisCrossings(inside, upward, &up, &down), 0);
    EXPECT_NEAR(up, 5, 1e-6);
    EXPECT_NEAR(down, -25, 1e-6);
    ASSERT_EQ(box.axisCrossings(inside, downward, &up, &down), 0);
    EXPECT_NEAR(up, 25, 1e-6);
    EXPECT_NEAR(down, -5, 1e-6);

    // A point above the box: both crossings lie behind it.
    const double above[3] = {20, 20, 40};
    ASSERT_EQ(box.axisCrossings(above, upward, &up, &down), 0);
    EXPECT_NEAR(up, -15, 1e-6);
    EXPECT_NEAR(down, -45, 1e-6);

    // Inclined: through the top at x 65 and the bottom at x 35.
    const double centre[3] = {50, 40, 10};
    const double slanted[3] = {std::sqrt(0.5), 0, std::sqrt(0.5)};
    ASSERT_EQ(box.axisCrossings(centre, slanted, &up, &down), 0);
    EXPECT_NEAR(up, 15 * std::sqrt(2.0), 1e-6);
    EXPECT_NEAR(down, -15 * std::sqrt(2.0), 1e-6);

    // Sideways through the end faces.
    const double side[3] = {30, 40, 10};
    const double alongX[3] = {1, 0, 0};
    ASSERT_EQ(box.axisCrossings(side, alongX, &up, &down), 0);
    EXPECT_NEAR(up, 70, 1e-6);
    EXPECT_NEAR(down, -30, 1e-6);

    // Beside the box, and parallel to a face outside it.
    const double beside[3] = {150, 40, 10};
    EXPECT_EQ(box.axisCrossings(beside, upward, &up, &down), 1);
    const double over[3] = {50, 40, 30};
    EXPECT_EQ(box.axisCrossings(over, alongX, &up, &down), 1);
}

TEST(StockBoxTest, TheStockMatrixTurnsTheBox) {
    // Stock x along world y: the 100 long side now runs along y, the 80 wide one along x.
    const double turned[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
    CStockBox box;
    const double top[3] = {0, 0, 0};
    box.setBox(100, 80, 30, top, turned);
    double up = 0, down = 0;
    const double origin[3] = {0, 0, -10};
    const double alongX[3] = {1, 0, 0}, alongY[3] = {0, 1, 0};
    ASSERT_EQ(box.axisCrossings(origin, alongX, &up, &down), 0);
    EXPECT_NEAR(up, 40, 1e-6);
    EXPECT_NEAR(down, -40, 1e-6);
    ASSERT_EQ(box.axisCrossings(origin, alongY, &up, &down), 0);
    EXPECT_NEAR(up, 50, 1e-6);
    EXPECT_NEAR(down, -50, 1e-6);
}

// ---- a part in a stock block ------------------------------------------------------------------------------

class StockTest : public CheckTest {
protected:
    // A hand-made hole in view 1 at (x, y): segments {zSup, zInf, rSup, rInf} from the top.
    POINT_LIST* handHole(double x, double y, const std::vector<std::array<double, 4>>& segments) {
        if (!head) hand_tree::appendView(head, 1, kIdentity);
        POINT_LIST* p = hand_tree::appendPoint(head, x, y, g_nextHoleId++);
        for (const auto& s : segments) hand_tree::appendSeg(p, s[0], s[1], s[2], s[3]);
        return p;
    }
    void useMachineGroup() {
        host::setMachineGroup(true);
        g_machineGroup = GroupsMachineGroup(nullptr);
        ASSERT_NE(g_machineGroup, nullptr);
    }
    // The stock of uprightBox.
    static STOCK_SETUP setup() {
        STOCK_SETUP s;
        s.size[0] = 100, s.size[1] = 80, s.size[2] = 30;
        s.origin[0] = 50, s.origin[1] = 40, s.origin[2] = 25;
        return s;
    }
};

TEST_F(StockTest, AStockBlockAroundThePartLengthensItsHolesToTheStocksFaces) {
    // Plate z0..20; the stock reaches 3 above and 5 below it.
    makePart(PartBuilder::block({60, 40, 20})
                 .hole(throughHole("through", {12, 20, 20}, {0, 0, -1}, 6))
                 .hole(blindFlat("blind", {30, 20, 20}, {0, 0, -1}, 8, 8))
                 .hole(countersunk("sunk", {48, 20, 20}, {0, 0, -1}, 6, 10, 90)));
    std::int32_t wide = 0, narrow = 0, direction = 0;
    g_nextHoleId = 1;
    head = recognizeCylinders(kRecognizeCommand, nullptr, &wide, &narrow, &direction, 0, 0, nullptr);
    ASSERT_NE(head, nullptr);
    ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
    useMachineGroup();
    const double size[3] = {70, 50, 28}, origin[3] = {30, 20, 23};
    host::setStock(size, origin, 0);

    auto find = [&](double x) -> POINT_LIST* {
        for (VIEW_LIST* v = head; v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; p; p = p->next)
                if (v->viewNumber == 1 && std::fabs(p->ptUniv[0] - x) < 1e-6) return p;
        return nullptr;
    };
    POINT_LIST* through = find(12);
    POINT_LIST* blind = find(30);
    POINT_LIST* sunk = find(48);
    ASSERT_TRUE(through && blind && sunk);
    ASSERT_EQ(through->cylCount, 1);
    ASSERT_EQ(sunk->cylCount, 2);
    const double sunkRSup = sunk->firstCyl->rSup;
    const double blindZInf = lastCyl(blind)->zInf;
    ASSERT_EQ(blind->crashBottom, 1);

    ASSERT_EQ(checkStockEntry(head), 0);
    // The through hole runs from the stock's top to its bottom.
    EXPECT_NEAR(through->firstCyl->zSup, 23, 1e-6);
    EXPECT_NEAR(through->firstCyl->zInf, -5, 1e-6);
    EXPECT_NEAR(through->ptUniv[2], 23, 1e-6);
    EXPECT_NEAR(through->ptView[2], 23, 1e-6);
    EXPECT_NEAR(through->firstCyl->cUniv[2], 23, 1e-6);
    // The blind hole starts at the stock's top; material lies below its bottom, so that stays.
    EXPECT_NEAR(blind->firstCyl->zSup, 23, 1e-6);
    EXPECT_EQ(lastCyl(blind)->zInf, blindZInf);
    // The countersink's cone grows up to the stock's top, widening as it goes.
    EXPECT_NEAR(sunk->firstCyl->zSup, 23, 1e-6);
    EXPECT_NEAR(sunk->firstCyl->rSup, sunkRSup + 3, 1e-6);
    EXPECT_NEAR(lastCyl(sunk)->zInf, -5, 1e-6);
    EXPECT_EQ(sunk->cylCount, 2);
}

// The anchor names which corner of the block the origin is: 1-4 the corners of its top face, 5-8 the same
// corners of its bottom face, anything else the centre of its top. Every anchor here places the same block
// (x 0..100, y 0..80, z -5..25), so a through hole grows to the same faces.
TEST_F(StockTest, EachAnchorPlacesTheBlockFromItsCorner) {
    struct CASE {
        int anchor;
        double x, y, z;   // the origin
    } cases[] = {
        {0, 50, 40, 25}, {1, 0, 80, 25},  {2, 100, 80, 25}, {3, 100, 0, 25}, {4, 0, 0, 25},
        {5, 0, 80, -5},  {6, 100, 80, -5}, {7, 100, 0, -5},  {8, 0, 0, -5},  {9, 50, 40, 25},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.anchor);
        STOCK_SETUP s = setup();
        s.anchor = c.anchor;
        s.origin[0] = c.x, s.origin[1] = c.y, s.origin[2] = c.z;
        double centre[3];
        stockTopCentre(s, centre);
        EXPECT_NEAR(centre[0], 50, 1e-9);
        EXPECT_NEAR(centre[1], 40, 1e-9);
        EXPECT_NEAR(centre[2], 25, 1e-9);
        freeViewsTree(head);
        head = nullptr;
        POINT_LIST* p = handHole(20, 20, {{20, 0, 3, 3}});
        ASSERT_EQ(checkStockEntryWith(head, s), 0);
        EXPECT_NEAR(p->firstCyl->zSup, 25, 1e-9);
        EXPECT_NEAR(p->firstCyl->zInf, -5, 1e-9);
    }
}

TEST_F(StockTest, WithoutAMachineGroupOrAUsableStockNothingChanges) {
    POINT_LIST* p = handHole(20, 20, {{20, 0, 3, 3}});
    useMachineGroup();
    const double size[3] = {100, 80, 30}, origin[3] = {50, 40, 25};
    host::setStock(size, origin, 0);
    g_machineGroup = nullptr;
    EXPECT_EQ(checkStockEntry(head), 0);
    EXPECT_EQ(p->firstCyl->zSup, 20);

    // The machine group's own flag word refuses its stock, whatever the job set-up holds.
    g_machineGroup = GroupsMachineGroup(nullptr);
    g_machineGroup->machine.stock.flags = 1;
    EXPECT_EQ(checkStockEntry(head), 0);
    EXPECT_TRUE(transcript().contains("The stock of the machine group cannot be used"));
    EXPECT_EQ(p->firstCyl->zSup, 20);

    STOCK_SETUP flat = setup();
    flat.size[2] = 0.0005;   // below 0.04T
    EXPECT_EQ(checkStockEntryWith(head, flat), 0);
    EXPECT_EQ(p->firstCyl->zSup, 20);
    EXPECT_EQ(p->firstCyl->zInf, 0);

    EXPECT_EQ(p->firstCyl->zInf, 0);
}

// The machine group's stock turned a quarter about Z: its 100 long side runs along the world's Y. Its axes
// and origin are the machine group's, never the job set-up's (which keeps the stock unturned), so a hole
// only the turned block covers grows and one only the unturned block would cover stays.
TEST_F(StockTest, TheMachineGroupsTurnedStockDecidesWhichHolesGrow) {
    useMachineGroup();
    const double size[3] = {100, 40, 30}, origin[3] = {0, 0, 25};
    host::setStock(size, origin, 0);
    const double turned[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
    copyMatrix33(g_machineGroup->machine.stock.matrix, turned);
    // Turned, the block spans x -20..20, y -50..50, z -5..25; unturned it would span x -50..50, y -20..20.
    POINT_LIST* alongLongSide = handHole(0, 40, {{20, 0, 3, 3}});
    POINT_LIST* acrossIt = handHole(40, 0, {{20, 0, 3, 3}});
    ASSERT_EQ(checkStockEntry(head), 0);
    EXPECT_NEAR(alongLongSide->firstCyl->zSup, 25, 1e-9);
    EXPECT_NEAR(alongLongSide->firstCyl->zInf, -5, 1e-9);
    EXPECT_EQ(acrossIt->firstCyl->zSup, 20);
    EXPECT_EQ(acrossIt->firstCyl->zInf, 0);
}

TEST_F(StockTest, HolesThatMustNotGrowStayAsTheyAre) {
    POINT_LIST* covered = handHole(10, 10, {{20, 0, 3, 3}});            // a surface lies above its mouth
    covered->crashTop = 1;
    covered->hillT = 10;
    POINT_LIST* split = handHole(20, 10, {{20, 0, 3, 3}});
    split->neckSplitted = 1;
    split->hillB = 2;
    POINT_LIST* flaredExit = handHole(30, 10, {{20, 2, 3, 3}, {2, 0, 3, 5}});   // a cone at the exit
    POINT_LIST* pointed = handHole(40, 10, {{20, 5, 3, 3}, {5, 3.2, 3, 0}});   // ends in a drill tip
    POINT_LIST* closed = handHole(50, 10, {{20, 10, 3, 3}});             // material below its bottom
    closed->crashBottom = 1;
    closed->hillB = 3;
    POINT_LIST* outside = handHole(150, 10, {{20, 0, 3, 3}});
    POINT_LIST* nearTop = handHole(60, 10, {{24.98, 0, 3, 3}});          // the stock's top 0.02 above it
    ASSERT_EQ(checkStockEntryWith(head, setup()), 0);

    EXPECT_EQ(covered->firstCyl->zSup, 20);
    EXPECT_NEAR(covered->hillT, 5, 1e-9);   // reduced by the stock's 5 above the top all the same
    EXPECT_NEAR(covered->firstCyl->zInf, -5, 1e-9);

    EXPECT_NEAR(split->firstCyl->zSup, 25, 1e-9);
    EXPECT_EQ(split->firstCyl->zInf, 0);
    EXPECT_EQ(split->hillB, 2);

    EXPECT_EQ(lastCyl(flaredExit)->zInf, 0);
    EXPECT_EQ(lastCyl(pointed)->zInf, 3.2);

    EXPECT_EQ(closed->firstCyl->zInf, 10);
    EXPECT_NEAR(closed->hillB, 3 + 15, 1e-9);   // hillB less the (negative) stock beyond the bottom

    EXPECT_EQ(outside->firstCyl->zSup, 20);
    EXPECT_EQ(outside->firstCyl->zInf, 0);
    EXPECT_EQ(nearTop->firstCyl->zSup, 24.98);
    EXPECT_EQ(nearTop->cylCount, 1);
}

TEST_F(StockTest, ARoundedMouthGetsAStraightSegmentOnTopAndAPlainConeGrows) {
    POINT_LIST* rounded = handHole(20, 20, {{20, 18, 5, 3}, {18, 0, 3, 3}});
    rounded->firstCyl->rToric = 2;
    CYL_LIST* torus = rounded->firstCyl;
    POINT_LIST* cone = handHole(40, 20, {{20, 18, 5, 3}, {18, 0, 3, 3}});
    ASSERT_EQ(checkStockEntryWith(head, setup()), 0);

    ASSERT_EQ(rounded->cylCount, 3);
    const CYL_LIST* top = rounded->firstCyl;
    ASSERT_NE(top, torus);
    EXPECT_EQ(top->prev, nullptr);
    EXPECT_EQ(top->next, torus);
    EXPECT_EQ(torus->prev, top);
    EXPECT_EQ(top->secAng, 0);
    EXPECT_EQ(top->rSup, 5);
    EXPECT_EQ(top->rInf, 5);
    EXPECT_EQ(top->zInf, 20);
    EXPECT_NEAR(top->zSup, 25, 1e-9);
    EXPECT_NEAR(top->cUniv[2], 25, 1e-9);
    EXPECT_NEAR(rounded->ptUniv[2], 25, 1e-9);
    EXPECT_NEAR(rounded->ptView[2], 25, 1e-9);
    EXPECT_EQ(torus->zSup, 20);

    ASSERT_EQ(cone->cylCount, 2);
    EXPECT_NEAR(cone->firstCyl->zSup, 25, 1e-9);
    EXPECT_NEAR(cone->firstCyl->rSup, 5 + 5 * std::tan(std::atan2(2.0, 2.0)), 1e-9);
    EXPECT_NEAR(cone->ptView[2], 25, 1e-9);
    EXPECT_NEAR(lastCyl(cone)->zInf, -5, 1e-9);
}

}  // namespace
