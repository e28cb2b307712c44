// Moves of chains and holes into the view of the opposite direction, and dropping empty holes and views.
// View 1 is the world frame; its opposite, view 4, looks up from below (x = X, y = -Y, z = -Z).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "plugin/model/tree.h"
#include "plugin/recognition/segment_ends.h"
#include "tests/plugin/recognition_segment_trees.h"
#include "plugin/services/recognition.h"

namespace {

using namespace recog_l;

class ViewMovesTest : public TreeTest {
protected:
    static void expectSeg(const CYL_LIST* s, double zSup, double zInf, double rSup, double rInf) {
        ASSERT_NE(s, nullptr);
        EXPECT_NEAR(s->zSup, zSup, 1e-12);
        EXPECT_NEAR(s->zInf, zInf, 1e-12);
        EXPECT_NEAR(s->rSup, rSup, 1e-12);
        EXPECT_NEAR(s->rInf, rInf, 1e-12);
    }
    static void expectPoint3(const double p[3], double x, double y, double z) {
        EXPECT_NEAR(p[0], x, 1e-12);
        EXPECT_NEAR(p[1], y, 1e-12);
        EXPECT_NEAR(p[2], z, 1e-12);
    }
    // A blind tipped hole at (10, 20) of view 1: bore r5, r3, then a tip.
    POINT_LIST* tippedHole(VIEW_LIST* v) {
        return addHole(v, 10, 20, {cyl(0, -5, 5), cyl(-5, -12, 3), cone(-12, 3, -15, 0)});
    }
};

// ---- splitPointToOppView ---------------------------------------------------------------------------------

TEST_F(ViewMovesTest, TheTailGoesFlippedToANewPointOfANewOppositeView) {
    VIEW_LIST* top = addView(1);
    VIEW_LIST* right = addView(5);
    POINT_LIST* p = tippedHole(top);
    p->hillT = 1.5;
    p->hillB = 2.5;
    CYL_LIST* bore = p->firstCyl;
    CYL_LIST* middle = bore->next;
    CYL_LIST* tip = middle->next;

    POINT_LIST* moved = splitPointToOppView(head, top, p, bore);
    ASSERT_NE(moved, nullptr);
    ASSERT_NE(moved, moveFailed());
    VIEW_LIST* bottom = right->next;
    ASSERT_NE(bottom, nullptr);   // appended after the last view
    EXPECT_EQ(bottom->viewNumber, 4);
    EXPECT_EQ(bottom->kind, 1);
    EXPECT_EQ(bottom->passMark, 1);
    EXPECT_DOUBLE_EQ(bottom->matrix[2][2], -1);
    EXPECT_EQ(moved->view, bottom);
    EXPECT_EQ(moved->kind, 2);
    EXPECT_EQ(moved->id, 2);
    EXPECT_EQ(g_nextHoleId, 3);

    EXPECT_EQ(p->cylCount, 1);
    EXPECT_EQ(bore->next, nullptr);
    // The old bottom reads first from below.
    EXPECT_EQ(moved->firstCyl, tip);
    EXPECT_EQ(tip->next, middle);
    expectSeg(tip, 15, 12, 0, 3);
    expectSeg(middle, 12, 5, 3, 3);
    expectPoint3(moved->ptUniv, 10, 20, -15);
    expectPoint3(moved->ptView, 10, -20, 15);
    EXPECT_DOUBLE_EQ(moved->hillT, 2.5);
    EXPECT_DOUBLE_EQ(moved->hillB, 1.5);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(ViewMovesTest, AnExistingOppositeViewReceivesThePointAtItsEnd) {
    VIEW_LIST* bottom = addView(4);
    POINT_LIST* there = addHole(bottom, -50, -50, {cyl(0, -3, 2)});
    VIEW_LIST* top = addView(1);
    POINT_LIST* p = tippedHole(top);

    POINT_LIST* moved = splitPointToOppView(head, top, p, p->firstCyl->next);
    ASSERT_NE(moved, nullptr);
    ASSERT_NE(moved, moveFailed());
    EXPECT_EQ(countViews(head), 2);
    EXPECT_EQ(bottom->passMark, 0);
    EXPECT_EQ(bottom->pointCount, 2);
    EXPECT_EQ(there->next, moved);
    EXPECT_EQ(moved->cylCount, 1);
    EXPECT_EQ(p->cylCount, 2);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(ViewMovesTest, ASplitBelowTheLastSegmentMovesNothing) {
    VIEW_LIST* top = addView(1);
    POINT_LIST* p = addPoint(top, 1, 2);
    CYL_LIST* only = addSeg(p, 0, -4, 2, 2);
    EXPECT_EQ(splitPointToOppView(head, top, p, only), nullptr);
    EXPECT_EQ(countViews(head), 1);
    EXPECT_EQ(p->cylCount, 1);
    EXPECT_EQ(p->firstCyl, only);
    expectSeg(only, 0, -4, 2, 2);
    EXPECT_EQ(g_nextHoleId, 2);
}

TEST_F(ViewMovesTest, ATailWithinTOfAPointOfTheOppositeViewIsDroppedAndThatPointKept) {
    VIEW_LIST* bottom = addView(4);
    // A tail of (10, 20) lands at (10, -20); the hole aside lands 1.2T from this point.
    POINT_LIST* there = addHole(bottom, 10 + 0.8 * kT, -20, {cyl(20, 14, 1)});
    VIEW_LIST* top = addView(1);
    POINT_LIST* p = tippedHole(top);
    POINT_LIST* aside = addHole(top, 10 + 2 * kT, 20, {cyl(0, -1, 1), cyl(-1, -2, 1)});

    EXPECT_EQ(splitPointToOppView(head, top, p, p->firstCyl), nullptr);
    EXPECT_EQ(p->cylCount, 1);
    EXPECT_EQ(p->firstCyl->next, nullptr);
    EXPECT_EQ(bottom->pointCount, 1);
    expectSeg(there->firstCyl, 20, 14, 1, 1);
    POINT_LIST* moved = splitPointToOppView(head, top, aside, aside->firstCyl);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(bottom->pointCount, 2);
    EXPECT_EQ(checkTree(head), "");
}

// ---- splitPointToOppView2 --------------------------------------------------------------------------------

TEST_F(ViewMovesTest, ASplitInsideASegmentKeepsTheUpperHalfAndSendsTheLowerHalf) {
    VIEW_LIST* top = addView(1);
    POINT_LIST* p = addPoint(top, 0, 0);
    CYL_LIST* whole = addSeg(p, 0, -10, 4, 4);
    p->hillT = 3;

    POINT_LIST* moved = splitPointToOppView2(head, top, p, whole);
    ASSERT_NE(moved, nullptr);
    ASSERT_NE(moved, moveFailed());
    ASSERT_NE(p->firstCyl, whole);   // a copy stays behind
    expectSeg(p->firstCyl, 0, -5, 4, 4);
    EXPECT_EQ(p->cylCount, 1);
    EXPECT_EQ(moved->firstCyl, whole);
    expectSeg(whole, 10, 5, 4, 4);
    expectPoint3(moved->ptUniv, 0, 0, -10);
    EXPECT_DOUBLE_EQ(moved->hillT, 0);
    EXPECT_DOUBLE_EQ(moved->hillB, 0);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(ViewMovesTest, ASplitInsideALowerSegmentTakesEverythingBelowAndKeepsTheRadii) {
    VIEW_LIST* top = addView(1);
    POINT_LIST* p = addPoint(top, 0, 0);
    CYL_LIST* upper = addSeg(p, 0, -4, 6, 6);
    CYL_LIST* cone = addSeg(p, -4, -10, 3, 2);
    CYL_LIST* below = addSeg(p, -10, -12, 2, 2);

    POINT_LIST* moved = splitPointToOppView2(head, top, p, cone);
    ASSERT_NE(moved, nullptr);
    ASSERT_NE(moved, moveFailed());
    EXPECT_EQ(p->cylCount, 2);
    ASSERT_NE(upper->next, cone);
    expectSeg(upper->next, -4, -7, 3, 2);
    EXPECT_EQ(upper->next->prev, upper);
    EXPECT_EQ(moved->cylCount, 2);
    EXPECT_EQ(moved->firstCyl, below);
    EXPECT_EQ(below->next, cone);
    expectSeg(cone, 10, 7, 2, 3);
    EXPECT_EQ(checkTree(head, false), "");   // the halves keep the whole cone's radii and angle
}

TEST_F(ViewMovesTest, AHalfSplitOntoAnExistingPointLeavesOnlyTheUpperHalf) {
    VIEW_LIST* bottom = addView(4);
    addHole(bottom, 0, 0, {cyl(30, 20, 1)});
    VIEW_LIST* top = addView(1);
    POINT_LIST* p = addHole(top, 0, 0, {cyl(0, -10, 4), cyl(-10, -12, 2)});

    EXPECT_EQ(splitPointToOppView2(head, top, p, p->firstCyl), nullptr);
    EXPECT_EQ(p->cylCount, 1);
    expectSeg(p->firstCyl, 0, -5, 4, 4);
    EXPECT_EQ(p->firstCyl->next, nullptr);
    EXPECT_EQ(bottom->pointCount, 1);
    EXPECT_EQ(checkTree(head), "");
}

// ---- movePointToOppView and movePointToView ----------------------------------------------------------------

TEST_F(ViewMovesTest, CopyingAHoleToTheOppositeViewTurnsItsResultsAndMarksIt) {
    VIEW_LIST* top = addView(1);
    VIEW_LIST* bottom = addView(4);
    POINT_LIST* p = tippedHole(top);
    p->hillT = 1;
    p->hillB = 2;
    p->crashTop = 1;
    p->touchTop = 3;
    p->touchBottom = 2;
    p->tableIndex = 5;
    std::strcpy(p->rowName, "D6 L15");
    std::strcpy(p->processName, "Drill 6");
    CYL_LIST* oldTop = p->firstCyl;

    POINT_LIST* moved = movePointToOppView(head, top, p);
    ASSERT_NE(moved, nullptr);
    ASSERT_NE(moved, moveFailed());
    EXPECT_EQ(moved->view, bottom);
    EXPECT_EQ(bottom->selected, 1);
    EXPECT_EQ(bottom->passMark, 0);
    EXPECT_EQ(moved->movedMark, 1);
    EXPECT_EQ(moved->cylCount, 3);
    expectSeg(moved->firstCyl, 15, 12, 0, 3);
    expectSeg(lastCyl(moved), 5, 0, 5, 5);
    for (const CYL_LIST* c = moved->firstCyl; c; c = c->next)
        for (const CYL_LIST* o = p->firstCyl; o; o = o->next) EXPECT_NE(c, o);   // copies
    EXPECT_DOUBLE_EQ(moved->hillT, 2);
    EXPECT_DOUBLE_EQ(moved->hillB, 1);
    EXPECT_EQ(moved->crashTop, 0);
    EXPECT_EQ(moved->crashBottom, 1);
    EXPECT_EQ(moved->touchTop, 2);
    EXPECT_EQ(moved->touchBottom, 3);
    EXPECT_EQ(moved->tableIndex, 5);
    EXPECT_STREQ(moved->rowName, "D6 L15");
    EXPECT_STREQ(moved->processName, "Drill 6");
    // The old hole is untouched and stays for the caller.
    EXPECT_EQ(top->pointCount, 1);
    EXPECT_EQ(p->cylCount, 3);
    EXPECT_EQ(p->firstCyl, oldTop);
    expectSeg(oldTop, 0, -5, 5, 5);
    EXPECT_EQ(p->movedMark, 0);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(ViewMovesTest, MovingAPointRelinksBothViewsAndKeepsTheRecord) {
    VIEW_LIST* top = addView(1);
    POINT_LIST* first = addHole(top, -5, 0, {cyl(0, -1, 1)});
    POINT_LIST* p = tippedHole(top);
    POINT_LIST* last = addHole(top, 5, 0, {cyl(0, -1, 1)});
    const int id = p->id;
    CYL_LIST* tip = lastCyl(p);

    EXPECT_EQ(movePointToView(head, top, p), 0);
    EXPECT_EQ(top->pointCount, 2);
    EXPECT_EQ(first->next, last);
    VIEW_LIST* bottom = top->next;
    ASSERT_NE(bottom, nullptr);
    EXPECT_EQ(bottom->viewNumber, 4);
    EXPECT_EQ(bottom->passMark, 1);
    EXPECT_EQ(bottom->firstPoint, p);
    EXPECT_EQ(p->view, bottom);
    EXPECT_EQ(p->id, id);
    EXPECT_EQ(p->firstCyl, tip);
    EXPECT_EQ(p->cylCount, 3);
    expectSeg(tip, 15, 12, 0, 3);
    expectPoint3(p->ptView, 10, -20, 15);
    EXPECT_EQ(g_nextHoleId, 4);   // no new id

    EXPECT_EQ(movePointToView(head, top, first), 0);
    EXPECT_EQ(top->firstPoint, last);
    EXPECT_EQ(last->prev, nullptr);
    EXPECT_EQ(p->next, first);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(ViewMovesTest, WithoutAnOppositeViewEveryMoveFailsAfterTheHostMessage) {
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    VIEW_LIST* unknown = addView(999, identity);
    POINT_LIST* p = tippedHole(unknown);
    POINT_LIST* other = addHole(unknown, 0, 0, {cyl(0, -1, 1), cyl(-1, -2, 1)});
    script().answer(plat::IDOK);
    EXPECT_EQ(splitPointToOppView(head, unknown, other, other->firstCyl), moveFailed());
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("ICONERROR"));
    EXPECT_EQ(other->cylCount, 1);   // the cut stays, the tail is gone

    script().answer(plat::IDOK);
    EXPECT_EQ(movePointToView(head, unknown, p), -1);
    expectScriptPlayed();
    EXPECT_EQ(unknown->pointCount, 1);
    EXPECT_EQ(unknown->firstPoint, other);
    EXPECT_EQ(countViews(head), 1);
    EXPECT_EQ(checkTree(head), "");

    script().answer(plat::IDOK);
    EXPECT_EQ(movePointToOppView(head, unknown, other), moveFailed());
    expectScriptPlayed();
    EXPECT_EQ(unknown->pointCount, 1);
}

// ---- erasePointsWithoutCyls ------------------------------------------------------------------------------

TEST_F(ViewMovesTest, ATreeOfEmptyPointsErasesToNothing) {
    addPoint(addView(1), 0, 0);
    VIEW_LIST* front = addView(2);
    addPoint(front, 0, 0);
    addPoint(front, 1, 0);
    head = erasePointsWithoutCyls(head);
    EXPECT_EQ(head, nullptr);
}

TEST_F(ViewMovesTest, ErasingDropsEmptyPointsAndViewsAndMovesTheHead) {
    VIEW_LIST* top = addView(1);
    addPoint(top, 0, 0);
    VIEW_LIST* front = addView(2);
    addPoint(front, 0, 0);
    POINT_LIST* kept = addHole(front, 1, 0, {cyl(0, -1, 1)});
    POINT_LIST* countless = addHole(front, 2, 0, {cyl(0, -1, 1)});   // a chain that its count disowns
    countless->cylCount = 0;
    VIEW_LIST* empty = addView(3);
    (void)empty;

    head = erasePointsWithoutCyls(head);
    ASSERT_EQ(head, front);
    EXPECT_EQ(head->prev, nullptr);
    EXPECT_EQ(head->next, nullptr);
    EXPECT_EQ(front->pointCount, 1);
    EXPECT_EQ(front->firstPoint, kept);
    EXPECT_EQ(kept->next, nullptr);
    EXPECT_EQ(checkTree(head), "");
}

// ---- the index -------------------------------------------------------------------------------------------

class MoveIndexTest : public ViewMovesTest {
protected:
    // View 1 with a grid of holes of two or three segments; view 4 with holes at some of their positions
    // (within T of where a moved tail lands, or just outside it).
    VIEW_LIST* buildScenario() {
        head = nullptr;
        g_nextHoleId = 1;
        std::mt19937 random(7);
        VIEW_LIST* top = addView(1);
        VIEW_LIST* bottom = addView(4);
        for (int i = 0; i < 240; ++i) {
            POINT_LIST* p = addHole(top, (i % 16) * 3.0, (i / 16) * 3.0, {cyl(0, -4, 3), cyl(-4, -9, 2)});
            if (random() % 2) addSeg(p, -9, -10, 2, 0);
        }
        for (int j = 0; j < 90; ++j) {
            const int i = static_cast<int>(random() % 240);
            const double offsets[] = {0, 0.5 * kT, 0.9 * kT, 1.1 * kT, 3 * kT};
            const double dx = offsets[random() % 5], dy = offsets[random() % 5] * 0.5;
            addHole(bottom, (i % 16) * 3.0 + dx, -(i / 16) * 3.0 + dy, {cyl(30, 25, 1)});
        }
        VIEW_LIST* built = head;
        head = nullptr;
        return built;
    }

    struct RUN_COUNTS {
        int made = 0, dropped = 0;
    };

    // Every third point of the view, the last among them, taken out and appended again at the end, as a
    // stage regroups a chain: through the index, which keeps the view's end (and its grid once made).
    static void regroup(VIEW_LIST* view, CMoveIndex* index) {
        std::vector<POINT_LIST*> taken;
        int k = 0;
        for (POINT_LIST* p = view->firstPoint; p; p = p->next)
            if (k++ % 3 == 0 || !p->next) taken.push_back(p);
        for (POINT_LIST* p : taken) unlinkPoint(view, p, index);
        for (POINT_LIST* p : taken) appendPointToView(view, p, index);
    }

    // Both views regrouped before any move asked for a point near another; every hole of view 1 is split,
    // half-split, moved or copied in turn, now and then a point of view 4 is removed behind the moves' back,
    // as a stage may do, and view 4 is regrouped again once the index searched it. Then holes go the other
    // way and back again, and view 1 is regrouped before its holes are split once more.
    RUN_COUNTS runScenario(VIEW_LIST* tree, CMoveIndex* index) {
        g_nextHoleId = 1000;
        RUN_COUNTS counts;
        VIEW_LIST* top = tree;
        VIEW_LIST* bottom = tree->next;
        regroup(top, index);
        regroup(bottom, index);
        int step = 0;
        for (POINT_LIST* p = top->firstPoint; p;) {
            POINT_LIST* next = p->next;
            POINT_LIST* moved = nullptr;
            switch (step % 4) {
                case 0: moved = splitPointToOppView(tree, top, p, p->firstCyl, index); break;
                case 1: moved = splitPointToOppView2(tree, top, p, p->firstCyl->next, index); break;
                case 2: moved = movePointToOppView(tree, top, p, index); break;
                case 3: EXPECT_EQ(movePointToView(tree, top, p, index), 0); break;
            }
            EXPECT_NE(moved, moveFailed());
            if (step % 4 != 3) ++(moved ? counts.made : counts.dropped);
            if (step % 37 == 36) {
                POINT_LIST* victim = bottom->firstPoint;   // the last point: where the next move appends
                while (victim->next) victim = victim->next;
                victim->prev->next = nullptr;
                --bottom->pointCount;
                freePointList(victim);
            }
            if (step == 60) regroup(bottom, index);
            ++step;
            p = next;
        }
        // Then every other hole view 4 had from the start goes up to view 1, and the holes left in view 1
        // are split again: view 4 has lost points since it was last searched.
        step = 0;
        for (POINT_LIST* q = bottom->firstPoint; q;) {
            POINT_LIST* next = q->next;
            if (q->id < 1000 && step++ % 2 == 0) {
                EXPECT_EQ(movePointToView(tree, bottom, q, index), 0);
            }
            q = next;
        }
        regroup(top, index);
        for (POINT_LIST* p = top->firstPoint; p;) {
            POINT_LIST* next = p->next;
            if (p->cylCount > 1) {
                POINT_LIST* moved = splitPointToOppView(tree, top, p, p->firstCyl, index);
                EXPECT_NE(moved, moveFailed());
                ++(moved ? counts.made : counts.dropped);
            }
            p = next;
        }
        return counts;
    }

    static std::vector<std::string> describe(const VIEW_LIST* tree) {
        std::vector<std::string> lines;
        char line[200];
        for (const VIEW_LIST* v = tree; v; v = v->next) {
            std::snprintf(line, sizeof line, "view %d count %d pass %d mark %d", v->viewNumber, v->pointCount,
                          v->passMark, v->selected);
            lines.push_back(line);
            for (const POINT_LIST* p = v->firstPoint; p; p = p->next) {
                std::snprintf(line, sizeof line, " point %d at %.9g %.9g %.9g moved %d", p->id, p->ptView[0],
                              p->ptView[1], p->ptView[2], p->movedMark);
                lines.push_back(line);
                for (const CYL_LIST* c = p->firstCyl; c; c = c->next) {
                    std::snprintf(line, sizeof line, "  %.9g %.9g %.9g %.9g", c->zSup, c->zInf, c->rSup, c->rInf);
                    lines.push_back(line);
                }
            }
        }
        return lines;
    }
};

TEST_F(MoveIndexTest, MovesWithAnIndexGiveTheTreeTheyGiveWithout) {
    VIEW_LIST* plain = buildScenario();
    VIEW_LIST* indexed = buildScenario();
    ASSERT_EQ(describe(plain), describe(indexed));

    const RUN_COUNTS plainCounts = runScenario(plain, nullptr);
    const std::unique_ptr<CMoveIndex> moveIndex = makeMoveIndex();
    CMoveIndex& index = *moveIndex;
    const RUN_COUNTS indexedCounts = runScenario(indexed, &index);
    // Both outcomes occur, so the position test was really exercised.
    EXPECT_GT(plainCounts.made, 20);
    EXPECT_GT(plainCounts.dropped, 5);
    EXPECT_EQ(indexedCounts.made, plainCounts.made);
    EXPECT_EQ(indexedCounts.dropped, plainCounts.dropped);
    EXPECT_EQ(describe(indexed), describe(plain));
    EXPECT_EQ(checkTree(indexed), "");
    freeViewsTree(plain);
    freeViewsTree(indexed);
}

TEST_F(MoveIndexTest, AForgottenViewIsReadAgain) {
    VIEW_LIST* top = addView(1);
    VIEW_LIST* bottom = addView(4);
    POINT_LIST* a = tippedHole(top);
    POINT_LIST* far = addHole(top, -100, -100, {cyl(0, -2, 2), cyl(-2, -4, 1)});
    const std::unique_ptr<CMoveIndex> moveIndex = makeMoveIndex();
    CMoveIndex& index = *moveIndex;
    POINT_LIST* placed = splitPointToOppView(head, top, a, a->firstCyl, &index);
    ASSERT_NE(placed, nullptr);
    ASSERT_NE(splitPointToOppView(head, top, far, far->firstCyl, &index), nullptr);   // the index has placed it
    // The first moved point is shifted under where the next tail lands, behind the index's back.
    placed->ptView[0] += 40;
    mul_mat_vector(bottom->matrix, placed->ptView, placed->ptUniv);
    copyVector(placed->firstCyl->cUniv, placed->ptUniv);
    index.forget(bottom);
    POINT_LIST* b = addHole(top, 50, 20, {cyl(0, -2, 2), cyl(-2, -4, 1)});
    EXPECT_EQ(splitPointToOppView(head, top, b, b->firstCyl, &index), nullptr);
    EXPECT_EQ(bottom->pointCount, 2);
}

}  // namespace
