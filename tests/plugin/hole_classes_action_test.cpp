// The classes in action on hand-made chains (holes without a process, so that only the tree surgery shows):
// groups put back or moved, whole, to the opposite view; long gaps and fitted ends drilled from both sides.
// A blocked through hole made blind is played through Execute in recognition_run_cases_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/engine/hole_classes.h"
#include "plugin/engine/run_statistics.h"
#include "plugin/model/ope_list.h"
#include "plugin/base/directions.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "support/run_tree.h"

namespace {


class HoleClassesAction : public RecognitionFixture {
protected:
    // A 10-deep through hole of one descriptor at (x, 0) of the view, of class `cls`.
    POINT_LIST* hole(VIEW_LIST* view, double x, int cls) {
        POINT_LIST* p = addHole(view, x, 0, {{3, 0, 3, -10}});
        p->descCount = 1;
        p->descs = allocCilDescs(1);
        p->descs[0].Through = 1;
        p->descs[0].D = 6.0;
        p->descs[0].zTop = 0.0;
        p->descs[0].zBottom = -10.0;
        p->holeClass = static_cast<std::int16_t>(cls);
        return p;
    }
    static std::vector<POINT_LIST*> chain(POINT_LIST* head) {
        std::vector<POINT_LIST*> members;
        for (POINT_LIST* m = head; m; m = m->nextEqual) members.push_back(m);
        return members;
    }
    FORM_RUN run;
};

TEST_F(HoleClassesAction, AChainOfClassesZeroAndTwoEndsAsTwoChainsOneInANewOppositeView) {
    VIEW_LIST* top = addView(head, 1);
    POINT_LIST* h = hole(top, 0, 0);
    POINT_LIST* a = hole(top, 20, 2);
    POINT_LIST* b = hole(top, 40, 0);
    POINT_LIST* c = hole(top, 60, 2);
    chainHoles(h, {a, b, c});
    ASSERT_EQ(actOnClasses(head, run), 0);

    EXPECT_EQ(top->pointCount, 2);
    EXPECT_EQ(chain(top->firstPoint), (std::vector<POINT_LIST*>{h, b}));
    EXPECT_EQ(h->chainCount, 1);
    EXPECT_EQ(b->chainMember, 1);
    VIEW_LIST* opposite = top->next;
    ASSERT_NE(opposite, nullptr);
    EXPECT_EQ(opposite->viewNumber, getOppositeView(1));
    EXPECT_EQ(opposite->pointCount, 2);
    const std::vector<POINT_LIST*> moved = chain(opposite->firstPoint);
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[1]->chainMember, 1);
    // The moved holes are seen from below: their old bottom, 10 deep, is their top.
    EXPECT_NEAR(moved[0]->ptView[2], 10, 1e-9);
    EXPECT_NEAR(std::fabs(moved[0]->ptView[0]), 20, 1e-9);
    ASSERT_NE(moved[0]->descs, nullptr);   // the first took the head's description with it
}

// The host knows no view of the opposite direction (a view number it does not have): the user is told once
// per group, and every hole that was to go there stays in its view as a group of its own, marked as not
// reachable from it and counted so; the stage goes on, so no hole of the chain, nor of another view, is lost.
TEST_F(HoleClassesAction, HolesThatCannotGoToTheOtherSideStayMarkedAndCounted) {
    const double top[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    VIEW_LIST* odd = hand_tree::appendView(head, 99, top);
    VIEW_LIST* front = addView(head, 3);
    POINT_LIST* plain = hole(front, 0, 0);
    POINT_LIST* h = hole(odd, 0, 0);
    POINT_LIST* a = hole(odd, 20, 2);
    POINT_LIST* b = hole(odd, 40, 6);
    POINT_LIST* c = hole(odd, 60, 2);
    // Class 4, blocked at the top and not simple (the chain's holes have a chamfered mouth): it is taken
    // over to the other side.
    POINT_LIST* d = hole(odd, 80, 4);
    d->crashTop = 1;
    h->descs[0].topChamfer = 1;
    chainHoles(h, {a, b, c, d});
    plat::driver().transcript().clear();
    script().answer(plat::IDOK).answer(plat::IDOK).answer(plat::IDOK);
    ASSERT_EQ(actOnClasses(head, run), 0);
    expectScriptPlayed();
    const std::vector<std::string>& said = plat::driver().transcript().lines();
    EXPECT_EQ(std::count_if(said.begin(), said.end(),
                            [](const std::string& l) { return l.find("could not be created") != std::string::npos; }),
              3);

    EXPECT_EQ(countViews(head), 2);
    EXPECT_EQ(front->firstPoint, plain);
    EXPECT_EQ(odd->pointCount, 5);
    std::vector<std::vector<POINT_LIST*>> chains;
    for (POINT_LIST* p = odd->firstPoint; p; p = p->next)
        if (!p->chainMember) chains.push_back(chain(p));
    EXPECT_EQ(chains, (std::vector<std::vector<POINT_LIST*>>{{h}, {a, c}, {b}, {d}}));
    for (POINT_LIST* p : {a, b, c, d}) EXPECT_EQ(p->notAccessible, 1);
    EXPECT_EQ(h->notAccessible, 0);
    EXPECT_EQ(a->endSplitMode, 0);
    countHoleStates(head);
    EXPECT_EQ(g_records->runStats.stateCount5, 3);   // chains count once, by their heads: a (with c), b and d
}

TEST_F(HoleClassesAction, ALongGapIsDrilledFromBothSidesWithTheChainFollowing) {
    struct Case {
        std::int16_t bothFaces;
        double factor;
        bool split;
    };
    // The gap is 20 long on a 6 mm hole.
    const Case cases[] = {{1, 2, true}, {1, 4, false}, {0, 2, false}};
    for (const Case& c : cases) {
        g_globals->settings.drillFromBothFaces = c.bothFaces;
        g_globals->settings.openSpaceFactor = c.factor;
        freeViewsTree(head);
        head = nullptr;
        VIEW_LIST* top = addView(head, 1);
        POINT_LIST* h = addHole(top, 0, 0, {{3, 0, 3, -5}, {3, -25, 3, -30}});
        POINT_LIST* f = addHole(top, 20, 0, {{3, 0, 3, -5}, {3, -25, 3, -30}});
        chainHoles(h, {f});
        h->descCount = 1;
        h->descs = allocCilDescs(1);
        h->descs[0].Through = 1;
        h->descs[0].D = 6.0;
        h->descs[0].zBottom = -30.0;
        std::snprintf(h->tableName, sizeof h->tableName, "Through");
        ASSERT_EQ(splitLongGaps(head, run), 0);
        EXPECT_EQ(countViews(head), c.split ? 2 : 1);
        EXPECT_EQ(countCyls(h), c.split ? 1 : 2);
        EXPECT_EQ(countCyls(f), c.split ? 1 : 2);
        EXPECT_DOUBLE_EQ(h->descs[0].zBottom, c.split ? -5.0 : -30.0);
        if (!c.split) continue;
        const std::vector<POINT_LIST*> lower = chain(top->next->firstPoint);
        ASSERT_EQ(lower.size(), 2u);
        EXPECT_EQ(lower[0]->chainCount, 1);
        EXPECT_EQ(lower[1]->chainMember, 1);
        // Seen from below, the lower part runs from 30 up to 25.
        ASSERT_NE(lower[0]->descs, nullptr);
        EXPECT_NEAR(lower[0]->descs[0].zTop, 30, 1e-9);
        EXPECT_NEAR(lower[0]->descs[0].zBottom, 25, 1e-9);
    }
}

// A hole already drilled from both sides at its gap is handled: the end split after it leaves it alone.
TEST_F(HoleClassesAction, AHoleSplitAtItsGapIsNotSplitAgainAtItsFittedEnd) {
    g_globals->settings.drillFromBothFaces = 1;
    g_globals->settings.openSpaceFactor = 2;
    VIEW_LIST* top = addView(head, 1);
    POINT_LIST* h = addHole(top, 0, 0, {{3, 0, 3, -5}, {3, -25, 3, -30}});
    h->descCount = 1;
    h->descs = allocCilDescs(1);
    h->descs[0].Through = 1;
    h->descs[0].opeGeo = 2;   // fitted through: its end may be finished from below
    h->descs[0].D = 6.0;
    h->descs[0].zBottom = -30.0;
    h->endSplitMode = 2;
    std::snprintf(h->tableName, sizeof h->tableName, "Fitted");
    ASSERT_EQ(splitLongGaps(head, run), 0);
    ASSERT_EQ(countViews(head), 2);
    POINT_LIST* lower = top->next->firstPoint;
    ASSERT_NE(lower, nullptr);
    EXPECT_TRUE(h->stageDone && lower->stageDone);
    ASSERT_EQ(splitFittedEnds(head, run), 0);
    EXPECT_EQ(countPoints(top), 1);
    EXPECT_EQ(countPoints(top->next), 1);
    EXPECT_EQ(h->partnerId, 0);
    EXPECT_EQ(lower->partnerId, 0);
}

TEST_F(HoleClassesAction, AFittedEndGetsAPartnerOnTheOtherSideWithTheChainFollowing) {
    struct Case {
        std::int16_t mode;
        bool reamSplitted;
        bool split;
    };
    const Case cases[] = {{1, false, true}, {2, false, true}, {0, false, false}, {2, true, false}};
    for (const Case& c : cases) {
        freeViewsTree(head);
        head = nullptr;
        VIEW_LIST* top = addView(head, 1);
        POINT_LIST* h = hole(top, 0, 0);
        POINT_LIST* f = hole(top, 20, 0);
        chainHoles(h, {f});
        h->id = 7;
        f->id = 8;
        h->endSplitMode = c.mode;
        h->reamSplitted = c.reamSplitted ? 1 : 0;
        h->descs[0].opeGeo = 2;
        std::snprintf(h->tableName, sizeof h->tableName, "Fitted");
        ASSERT_EQ(splitFittedEnds(head, run), 0);
        ASSERT_EQ(countViews(head), c.split ? 2 : 1);
        EXPECT_EQ(h->partnerId != 0, c.split);
        if (!c.split) continue;
        const std::vector<POINT_LIST*> partners = chain(top->next->firstPoint);
        ASSERT_EQ(partners.size(), 2u);
        POINT_LIST* p = partners[0];
        EXPECT_EQ(p->partnerId, 7);
        EXPECT_EQ(h->partnerId, p->id);
        EXPECT_EQ(f->partnerId, partners[1]->id);
        EXPECT_EQ(p->endSplitMode, c.mode);
        EXPECT_EQ(p->chainCount, 1);
        EXPECT_EQ(partners[1]->chainMember, 1);
        EXPECT_TRUE(h->stageDone && p->stageDone);
        // The partner is the fitted cylinder alone, seen from below: from 10 up to the top at 0.
        ASSERT_EQ(p->descCount, 1);
        EXPECT_DOUBLE_EQ(p->descs[0].D, 6.0);
        EXPECT_EQ(p->descs[0].opeGeo, 2);
        EXPECT_NEAR(p->descs[0].zTop - p->descs[0].zBottom, 10, 1e-9);
        // The hole keeps its own description.
        EXPECT_DOUBLE_EQ(h->descs[0].zBottom, -10.0);
        EXPECT_EQ(countPoints(top), 2);
    }
}

// Under the intelligent process a chain with a member that touches at the top has its centre drill take the
// hole's diameter and its chamfer tool the chamfer's diameter and 4T; the check is settled when the centre
// drill is done and no chamfer tool is left to look at. With one spot drill for all holes the centre drill
// keeps its size and is done unless a member's centre drill touches (1 or 3; 2 is the chamfer tool's).
TEST_F(HoleClassesAction, CentreDrillsAndChamfersTakeTheHolesMeasuresWhereAMemberTouchesAtTheTop) {
    const double T = g_tolerances.tolT;
    struct CASE {
        const char* what;
        std::int16_t oneSpotDrill;
        std::vector<int> tools;
        std::int16_t followerTouch;
        bool marked;
        double centre, chamfer;   // the diameters after, of the first centre drill and chamfer tool
        bool settled;
    } const cases[] = {
        {"centre drill and chamfer tool", 0, {1, 9}, 1, true, 6, 8 + 4 * T, false},
        {"spot drill alone", 0, {2}, 1, true, 6, 0, true},
        {"chamfer mill alone", 0, {12}, 1, true, 0, 8 + 4 * T, false},
        {"one spot drill for all, only the chamfer tool touched", 1, {1}, 2, true, 3, 0, true},
        {"one spot drill for all, the centre drill touched", 1, {1}, 3, true, 3, 0, false},
        {"no member to check", 0, {1, 12}, 1, false, 3, 3, false},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        freeViewsTree(head);
        head = nullptr;
        g_globals->settings.overrideSpotDrill = c.oneSpotDrill;
        VIEW_LIST* top = addView(head, 1);
        POINT_LIST* h = hole(top, 0, 1);
        POINT_LIST* f = hole(top, 20, 1);
        chainHoles(h, {f});
        h->descs[0].chamferDiameter = 8;
        f->touchTop = c.followerTouch;
        f->chamferCheck = c.marked ? 1 : 0;
        for (int type : c.tools) addOperation(h, type)->toolDiam = 3;
        adaptCentreAndChamfer(head);
        for (const OPE_LIST* op = h->opeList; op; op = op->next) {
            const bool centre = op->toolType == 1 || op->toolType == 2;
            EXPECT_NEAR(op->toolDiam, centre ? c.centre : c.chamfer, 1e-12) << op->toolType;
        }
        EXPECT_EQ(f->chamferCheck, c.marked && !c.settled ? 1 : 0);
    }
    g_globals->settings.overrideSpotDrill = 0;
}

}  // namespace
