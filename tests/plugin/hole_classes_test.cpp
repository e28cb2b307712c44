// Hole classes: the side states of chain members and the class matrix, as the recognition driver meets
// them on one-cylinder holes, the end-split modes of fits, and the reference point's choice of side; then
// the last stages: unreachable chains leave the tree and the views are numbered. The plainer classes (open,
// crash at the top, both ends blocked, crash into a hole) are played through Execute in
// recognition_run_cases_test.cpp.
#include <gtest/gtest.h>

#include "plugin/base/globals.h"
#include "plugin/base/views_list.h"
#include "plugin/engine/hole_classes.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "support/run_tree.h"
#include "plugin/model/work_records.h"

namespace {

bool alwaysSimple(const ALLOWED_VIEWS&, const POINT_LIST&) { return true; }
bool neverSimple(const ALLOWED_VIEWS&, const POINT_LIST&) { return false; }

class HoleClasses : public RecognitionFixture {
protected:
    // A 10-deep through hole of one descriptor at (x, 0) of the view.
    POINT_LIST* throughHole(VIEW_LIST* view, double x, std::int16_t opeGeo = 0, std::uint8_t flipped = 0) {
        POINT_LIST* p = addHole(view, x, 0, {{3, 0, 3, -10}});
        p->descCount = 1;
        p->descs = allocCilDescs(1);
        p->descs[0].Through = 1;
        p->descs[0].opeGeo = opeGeo;
        p->descs[0].flipped = flipped;
        p->descs[0].L2 = 10.0;
        p->adaptedRow = -1;
        return p;
    }
};

TEST_F(HoleClasses, EndStatesGiveTheClassOfTheMatrix) {
    struct Case {
        const char* what;
        void (*set)(POINT_LIST&);
        bool simple;
        int cls;
    };
    const Case cases[] = {
        {"touch at the top", [](POINT_LIST& p) { p.touchTop = 1; }, true, 2},
        {"touch at the top, bottom touched", [](POINT_LIST& p) { p.touchTop = 1; p.touchBottom = 1; }, true, 1},
        {"hill above", [](POINT_LIST& p) { p.hillT = 5; }, true, 2},
        {"hill above an adapted table", [](POINT_LIST& p) { p.hillT = 5; p.adaptedRow = 0; }, true, 0},
        {"hill below, bottom touched", [](POINT_LIST& p) { p.hillB = 5; p.touchBottom = 1; p.crashTop = 1; }, true, 3},
        {"crash into, crash at the top", [](POINT_LIST& p) { p.crashInto = 1; p.crashTop = 1; }, true, 6},
        {"crash into, crash at the top, not simple", [](POINT_LIST& p) { p.crashInto = 1; p.crashTop = 1; }, false, 4},
        {"flat top", [](POINT_LIST& p) { p.firstCyl->topFlat = 1; }, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        freeViewsTree(head);
        head = nullptr;
        POINT_LIST* p = throughHole(addView(head, 1), 0);
        c.set(*p);
        classifyChains(head, readAllowedViews(g_globals->settings), false, c.simple ? alwaysSimple : neverSimple);
        EXPECT_EQ(p->holeClass, c.cls);
        EXPECT_EQ(p->classCount[c.cls], 1);
    }
}

TEST_F(HoleClasses, MembersOfAChainAreCountedOnTheHeadAndFitsMarkedForEndSplits) {
    struct Case {
        bool endSplits;
        std::uint8_t flipped;
        int mode, headClass, headCount;
    };
    // A fit turned end for end is machined from the other side, unless its end is split off.
    const Case cases[] = {{false, 1, 0, 2, 3}, {true, 1, 1, 0, 2}, {true, 0, 2, 0, 2}};
    for (const Case& c : cases) {
        freeViewsTree(head);
        head = nullptr;
        VIEW_LIST* view = addView(head, 1);
        POINT_LIST* h = throughHole(view, 0, 2, c.flipped);
        POINT_LIST* a = addHole(view, 20, 0, {{3, 0, 3, -10}});
        POINT_LIST* b = addHole(view, 40, 0, {{3, 0, 3, -10}});
        chainHoles(h, {a, b});
        b->crashTop = 1;
        classifyChains(head, readAllowedViews(g_globals->settings), c.endSplits, alwaysSimple);
        EXPECT_EQ(h->endSplitMode, c.mode);
        EXPECT_EQ(h->holeClass, c.headClass);
        EXPECT_EQ(a->holeClass, c.headClass);
        EXPECT_EQ(b->holeClass, 2);
        EXPECT_EQ(h->classCount[c.headClass], c.headCount);
        EXPECT_EQ(a->classCount[c.headClass], 0);
    }
}

TEST_F(HoleClasses, TheReferencePointSendsHolesToTheSideNearerIt) {
    VIEW_LIST* view = addView(head, 1);
    POINT_LIST* p = throughHole(view, 0);
    POINT_LIST* crashed = throughHole(view, 20);
    crashed->crashTop = 1;
    classifyChains(head, readAllowedViews(g_globals->settings), false, alwaysSimple);
    ASSERT_EQ(p->holeClass, 0);
    ASSERT_EQ(crashed->holeClass, 2);
    const double above[3] = {0, 0, 100};
    applyReferencePoint(head, above, 1);   // mode 1: the bottom nearer goes over; here the top is
    EXPECT_EQ(p->holeClass, 0);
    EXPECT_EQ(crashed->holeClass, 0);
    EXPECT_EQ(crashed->classCount[0], 1);
    EXPECT_EQ(crashed->classCount[2], 0);
    applyReferencePoint(head, above, 0);
    EXPECT_EQ(p->holeClass, 2);
    EXPECT_EQ(crashed->holeClass, 2);
}

TEST_F(HoleClasses, UnreachableChainsLeaveOnlyOutsideTheSelectedViews) {
    struct Case {
        bool restricted;
        int topLeft, bottomLeft;
    };
    const Case cases[] = {{false, 3, 3}, {true, 3, 1}};
    g_globals->settings.axisAngleTolerance = 0.04;
    for (const Case& c : cases) {
        freeViewsTree(head);
        head = nullptr;
        if (c.restricted) allowOnlyTopView();
        else g_globals->settings.onlySelectedViews = 0;
        for (int number : {1, 2}) {
            VIEW_LIST* view = addView(head, number);
            POINT_LIST* h = addHole(view, 0, 0, {{3, 0, 3, -10}});
            POINT_LIST* f = addHole(view, 10, 0, {{3, 0, 3, -10}});
            addHole(view, 20, 0, {{3, 0, 3, -10}});
            chainHoles(h, {f});
            f->crashInto = 1;   // a follower's crash takes its head along
        }
        dropUnreachableHoles(head, readAllowedViews(g_globals->settings));
        EXPECT_EQ(countPoints(head), c.topLeft);
        EXPECT_EQ(head->pointCount, c.topLeft);
        EXPECT_EQ(countPoints(head->next), c.bottomLeft);
        EXPECT_EQ(head->next->pointCount, c.bottomLeft);
    }
}

TEST_F(HoleClasses, ViewsAreNumberedFromOneWithoutEmptyOnes) {
    g_globals->settings.viewsSortOrder = 0;
    g_globals->settings.axisAngleTolerance = 0.04;
    addView(head, 2);   // empty
    addHole(addView(head, 6), 0, 0, {{3, 0, 3, -10}});
    addHole(addView(head, 1), 0, 0, {{3, 0, 3, -10}});
    ASSERT_EQ(finishViews(head), 0);
    EXPECT_EQ(g_records->viewsTree, head);
    g_records->viewsTree = nullptr;   // the fixture frees the tree
    std::vector<int> numbers, indexes;
    for (VIEW_LIST* v = head; v; v = v->next) {
        numbers.push_back(v->viewNumber);
        indexes.push_back(v->orderNumber);
    }
    EXPECT_EQ(numbers, (std::vector<int>{1, 6}));
    EXPECT_EQ(indexes, (std::vector<int>{1, 2}));
}

}  // namespace
