// The tree operations of a re-assignment: a hole chain moved to the opposite drilling direction, and the
// views sorted with their toolpath groups renumbered.
#include <gtest/gtest.h>

#include "plugin/core/globals.h"
#include "plugin/engine/process_reassign.h"
#include "plugin/recognition/directions.h"
#include "support/run_tree.h"

namespace {

class ProcessReassign : public RecognitionFixture {};

TEST_F(ProcessReassign, AChainMovesWholeIntoTheOppositeViewMadeForIt) {
    VIEW_LIST* top = addView(head, 1);
    POINT_LIST* chain[3];
    for (int i = 0; i < 3; ++i) chain[i] = addHole(top, 10.0 * i, 5, {{3, 0, 3, -8}, {2, -8, 2, -12}});
    POINT_LIST* other = addHole(top, 50, 5, {{3, 0, 3, -8}});
    chainHoles(chain[0], {chain[1], chain[2]});
    for (POINT_LIST* p : chain) {
        p->hillT = 1;
        p->hillB = 2;
        p->touchTop = 3;
        p->crashBottom = 1;
        p->crashTopZ = 4;
        p->crashBottomZ = -12;
    }
    chain[0]->neckSplitted = 1;

    ASSERT_EQ(moveHoleChainToOppView(chain[0]), 0);
    EXPECT_EQ(top->pointCount, 1);
    EXPECT_EQ(top->firstPoint, other);
    VIEW_LIST* opposite = top->next;
    ASSERT_NE(opposite, nullptr);
    EXPECT_EQ(opposite->viewNumber, getOppositeView(1));
    EXPECT_EQ(getWork<std::uint16_t>(*opposite, view_field::selected), 1);
    EXPECT_EQ(opposite->pointCount, 3);
    int i = 0;
    for (POINT_LIST* p = opposite->firstPoint; p; p = p->next, ++i) {
        EXPECT_EQ(p, chain[i]);
        EXPECT_EQ(p->view, opposite);
        EXPECT_EQ(p->hillT, 2);
        EXPECT_EQ(p->hillB, 1);
        EXPECT_EQ(p->touchBottom, 3);
        EXPECT_EQ(p->crashTop, 1);
        EXPECT_DOUBLE_EQ(p->crashTopZ, 12);
        EXPECT_DOUBLE_EQ(p->crashBottomZ, -4);
        // The old bottom, 12 deep, is the new top: 12 up in the opposite view.
        ASSERT_NE(p->firstCyl, nullptr);
        EXPECT_NEAR(p->firstCyl->rSup, 2, 1e-12);
        EXPECT_NEAR(p->ptView[2], 12, 1e-9);
        EXPECT_EQ(p->firstCyl->viewNumber, opposite->viewNumber);
    }
    EXPECT_EQ(chain[0]->neckSplitted, 0);

    // Back again: the view of the other direction is there and takes it.
    ASSERT_EQ(moveHoleChainToOppView(chain[2]), 0);
    EXPECT_EQ(countViews(head), 2);
    EXPECT_EQ(top->pointCount, 2);
    EXPECT_NEAR(chain[2]->ptView[2], 0, 1e-9);
}

TEST_F(ProcessReassign, ResortDropsEmptyViewsAndNumbersGroupsInListOrder) {
    struct Case {
        std::vector<std::int16_t> old, renumbered;
    };
    const Case cases[] = {
        {{3, 3, 5, 0}, {1, 1, 2, 3}},
        {{0, 0, 7, 7}, {1, 2, 3, 3}},
        {{2, 4, 2, 2}, {1, 2, 3, 3}},
    };
    g_globals->settings.viewsSortOrder = 0;   // by host view number
    for (const Case& c : cases) {
        freeViewsTree(head);
        head = nullptr;
        for (std::size_t i = 0; i < c.old.size(); ++i) {
            addHole(addView(head, static_cast<int>(i) + 1, c.old[i]), 0, 0, {{2, 0, 2, -4}});
            if (i == 1) addView(head, 6, 9);   // left empty
        }
        head = resortViews(head);
        std::vector<std::int16_t> groups;
        for (VIEW_LIST* v = head; v; v = v->next) groups.push_back(getWork<std::int16_t>(*v, view_field::toolPathGroup));
        EXPECT_EQ(groups, c.renumbered);
    }
}

}  // namespace
