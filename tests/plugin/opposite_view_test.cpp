// Holes moved to the opposite drilling direction, process copies between identical holes and the
// simplified holes. One hole moved, its drill from below, is played through Execute in
// recognition_run_cases_test.cpp; here the chain that moves with it and the records left behind.
#include <gtest/gtest.h>

#include <numbers>

#include "plugin/base/globals.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/operation_records.h"
#include "plugin/engine/opposite_view.h"
#include "plugin/base/directions.h"
#include "plugin/model/tree.h"
#include "support/process_fixture.h"

namespace {


class OppositeView : public ProcessFixture {};

TEST_F(OppositeView, AChainMovesWithItsHeadCarryingTheTurnedDescriptionAndTheProcess) {
    TEST_VIEW v;
    const std::vector<CIL> stepped = {{.D = 8, .zTop = 0, .zBottom = -3, .flat = 1},
                                      {.D = 5, .zTop = -3, .zBottom = -12, .through = 1}};
    std::vector<POINT_LIST*> chain;
    for (int i = 0; i < 3; ++i) {
        chain.push_back(v.hole(stepped, 10.0 * i, 5));
        chain.back()->crashBottom = 1;
        chain.back()->hillT = 2;
        chain.back()->hillB = 3;
    }
    assign(*chain[0], "Drilled", "D5");
    ASSERT_EQ(apply(*chain[0]), 0);
    const OPE_LIST* oldOps = chain[0]->opeList;
    ASSERT_NE(oldOps, nullptr);
    ASSERT_EQ(shapeToOppositeView(chain.data(), 3, v.view, v.view, tables.data(), static_cast<int>(tables.size())), 0);

    VIEW_LIST* opp = v.view->next;
    ASSERT_NE(opp, nullptr);
    EXPECT_EQ(opp->viewNumber, getOppositeView(1));
    std::vector<POINT_LIST*> moved;
    for (POINT_LIST* p = opp->firstPoint; p; p = p->next) moved.push_back(p);
    ASSERT_EQ(moved.size(), 3u);
    EXPECT_EQ(moved[0]->nextEqual, moved[1]);
    EXPECT_EQ(moved[1]->nextEqual, moved[2]);
    for (int i = 0; i < 3; ++i) {
        const POINT_LIST& p = *moved[static_cast<std::size_t>(i)];
        EXPECT_EQ(p.chainMember, i == 0 ? 0 : 1);
        EXPECT_EQ(p.chainCount, 2);
        EXPECT_EQ(p.view, opp);
        EXPECT_EQ(p.crashTop, 1);        // what was at the bottom is now at the top
        EXPECT_EQ(p.crashBottom, 0);
        // The hills are heights over each end: they change ends and stay heights.
        EXPECT_EQ(p.hillT, 3);
        EXPECT_EQ(p.hillB, 2);
        // The old records keep nothing: they are the caller's to remove.
        EXPECT_EQ(chain[static_cast<std::size_t>(i)]->descs, nullptr);
        EXPECT_EQ(chain[static_cast<std::size_t>(i)]->firstCyl, nullptr);
        EXPECT_EQ(chain[static_cast<std::size_t>(i)]->opeList, nullptr);
    }
    EXPECT_EQ(moved[0]->movedOpposite, 1);
    // The head's description is turned end for end; the followers' stay as they were.
    ASSERT_EQ(moved[0]->descCount, 2);
    EXPECT_DOUBLE_EQ(moved[0]->descs[0].zTop, 12);
    EXPECT_EQ(moved[0]->descs[0].flipped, 1);
    EXPECT_DOUBLE_EQ(moved[1]->descs[0].D, 8);
    // The head's process applied again on its new side: records of its own.
    ASSERT_NE(moved[0]->opeList, nullptr);
    for (const OPE_LIST* op = moved[0]->opeList; op; op = op->next) {
        EXPECT_EQ(op->point, moved[0]);
        EXPECT_EQ(op->view, opp);
    }
}

TEST_F(OppositeView, ACopiedProcessIsTheTargetsOwn) {
    TEST_VIEW v;
    POINT_LIST* source = v.hole({{.D = 5, .zTop = 0, .zBottom = -12, .through = 1}});
    POINT_LIST* target = v.hole({{.D = 5, .zTop = 2, .zBottom = -10, .through = 1}}, 30);
    assign(*source, "Drilled", "D5");
    ASSERT_EQ(apply(*source), 0);
    target->ptView[2] = 2;
    ASSERT_EQ(copyHoleProcess(*source, *target), 0);
    EXPECT_DOUBLE_EQ(target->descs[0].zTop, 2);
    EXPECT_DOUBLE_EQ(target->descs[0].zBottom, -10);
    EXPECT_STREQ(target->processName, source->processName);
    const auto from = operations(*source), to = operations(*target);
    ASSERT_EQ(from.size(), to.size());
    for (std::size_t i = 0; i < to.size(); ++i) {
        EXPECT_EQ(to[i]->point, target);
        EXPECT_NE(to[i]->processOpe.get(), from[i]->processOpe.get());
        EXPECT_EQ(*to[i]->processOpe, *from[i]->processOpe);
    }
    // Freeing the source leaves the target whole.
    clearOperations(*source);
    EXPECT_STREQ(to[0]->comment, "Spot drilling  dia10.000 depth1.50");
}

TEST_F(OppositeView, SimpleHoles) {
    TEST_VIEW v;
    POINT_LIST* plain = v.hole({{.D = 5, .zTop = 0, .zBottom = -12, .through = 1}});
    POINT_LIST* blind = v.hole({{.D = 8, .zTop = 0, .zBottom = -3, .flat = 1}, {.D = 5, .zTop = -3, .zBottom = -12, .flat = 1}}, 20);
    POINT_LIST* stepped = v.hole({{.D = 8, .zTop = 0, .zBottom = -3, .flat = 1}, {.D = 5, .zTop = -3, .zBottom = -12, .through = 1}}, 30);
    EXPECT_EQ(isSimpleThroughHole(readAllowedViews(g_globals->settings), *stepped), 0);   // a plain and a countersunk one are played through Execute

    const int through = tableIndex("Drilled");
    EXPECT_EQ(toSimpleDrill(*plain, tables.data(), through), 1);   // nothing to do
    EXPECT_EQ(toSimpleDrill(*blind, tables.data(), through), 0);
    EXPECT_EQ(blind->descCount, 2);
    EXPECT_EQ(toSimpleDrill(*stepped, tables.data(), through), 1);
    ASSERT_EQ(stepped->descCount, 1);
    EXPECT_DOUBLE_EQ(stepped->descs[0].D, 5);
    EXPECT_DOUBLE_EQ(stepped->descs[0].zTop, 0);
    EXPECT_STREQ(stepped->rowName, "D5");
    EXPECT_STREQ(stepped->tableName, "Drilled");
    EXPECT_EQ(stepped->simplified, 1);

    CIL_DESC d = cilDesc({.D = 5, .zTop = 0, .zBottom = -12});
    const CIL_DESC before = d;
    flipCilDesc(d);
    EXPECT_DOUBLE_EQ(d.zTop, 12);
    EXPECT_DOUBLE_EQ(d.zBottom, 0);
    EXPECT_EQ(d.flipped, 1);
    flipCilDesc(d);
    EXPECT_EQ(d, before);
}

// A through hole from Z 15 to 0 whose top edge is broken, chamfered or rounded, and nothing else.
CIL_DESC brokenEdge(bool rounded) {
    CIL_DESC d = cilDesc({.D = 10, .zTop = 15, .zBottom = 0, .through = 1});
    if (rounded) {
        // A 1.5 round from the top face into the bore: its torus centre 1.5 below the top, 6.5 off the axis.
        d.topRound = 1;
        d.topRoundTorus[0] = 1.5;
        d.topRoundTorus[1] = 6.5;
        d.topRoundTorus[2] = 13.5;
        d.topRoundStart = std::numbers::pi / 2;
        d.topRoundSweep = std::numbers::pi / 2;
    } else {
        d.topChamfer = 1;
        d.chamferDiameter = 13;
        d.chamferAngle = std::numbers::pi / 4;
        d.chamferZ = 13.5;
    }
    return d;
}

// A broken edge is cut from its own side: the hole is no simple through hole that may go to the other side.
TEST_F(OppositeView, AHoleWithABrokenTopEdgeIsNotSimple) {
    for (bool rounded : {false, true}) {
        SCOPED_TRACE(rounded ? "rounded" : "chamfered");
        TEST_VIEW v;
        POINT_LIST* hole = v.hole({{.D = 10, .zTop = 15, .zBottom = 0, .through = 1}});
        EXPECT_EQ(isSimpleThroughHole(readAllowedViews(g_globals->settings), *hole), 1);
        hole->descs[0] = brokenEdge(rounded);
        EXPECT_EQ(isSimpleThroughHole(readAllowedViews(g_globals->settings), *hole), 0);
    }
}

// A hole whose top cannot be reached is taken over from below with its edge left at the far end: turned, its
// description has a plain top, and every operation cuts into the hole from its new top down.
TEST_F(OppositeView, ATurnedHoleKeepsNoBrokenEdgeAtItsNewTop) {
    for (bool rounded : {false, true}) {
        SCOPED_TRACE(rounded ? "rounded" : "chamfered");
        TEST_VIEW v;
        POINT_LIST* hole = v.hole({{.D = 10, .zTop = 15, .zBottom = 0, .through = 1}});
        hole->descs[0] = brokenEdge(rounded);
        assign(*hole, "Drilled", "D10");
        ASSERT_EQ(apply(*hole), 0);
        ASSERT_EQ(shapeToOppositeView(&hole, 1, v.view, v.view, tables.data(), static_cast<int>(tables.size())), 0);
        const POINT_LIST& moved = *v.view->next->firstPoint;
        ASSERT_EQ(moved.descCount, 1);
        const CIL_DESC& d = moved.descs[0];
        EXPECT_DOUBLE_EQ(d.zTop, 0);
        EXPECT_EQ(d.topChamfer, 0);
        EXPECT_EQ(d.topRound, 0);
        ASSERT_NE(moved.opeList, nullptr);
        for (const OPE_LIST* op = moved.opeList; op; op = op->next) {
            SCOPED_TRACE(op->comment);
            EXPECT_LE(op->zSup, 1e-9);
            EXPECT_LT(op->zInf, -0.1) << "cuts into the hole";
            EXPECT_LE(op->toolDiam, 10 + 1e-9) << "no wider than the bore its new top opens";
        }
    }
}

}  // namespace
