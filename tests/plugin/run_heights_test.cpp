// The view heights of the operations after a recognition run: the highest hole top with its hill, and the
// clearance raised to the stock's corners as the view sees them.
#include <gtest/gtest.h>

#include "plugin/engine/run_heights.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "support/run_tree.h"

namespace {

class RunHeights : public RecognitionFixture {};

TEST_F(RunHeights, TopFromTheHolesAndClearanceFromTheStock) {
    struct Case {
        double stock[3], origin[3];
        double top, clear;
    };
    // The holes' tops are 0 and 5 with a hill of 7 over the first: top 7, the low hole's mouth and hill;
    // a stock 30 high from Z 20 down.
    const Case cases[] = {{{100, 80, 30}, {0, 0, 20}, 7, 20}, {{100, 80, 0}, {0, 0, 20}, 7, 7}};
    for (const Case& c : cases) {
        freeViewsTree(head);
        head = nullptr;
        for (int k = 0; k < 3; ++k) {
            job_setup.stockSize[k] = c.stock[k];
            job_setup.stockOrigin[k] = c.origin[k];
        }
        VIEW_LIST* top = addView(head, 1);
        POINT_LIST* low = addHole(top, 0, 0, {{3, 0, 3, -10}});
        low->hillT = 7;
        POINT_LIST* high = addHole(top, 20, 0, {{3, 5, 3, -10}});
        POINT_LIST* follower = addHole(top, 40, 0, {{3, 5, 3, -10}});
        chainHoles(high, {follower});
        const OPE_LIST* a = addOperation(low, 3);
        const OPE_LIST* b = addOperation(high, 3);
        const OPE_LIST* f = addOperation(follower, 3);
        setViewHeights(head);
        for (const OPE_LIST* op : {a, b}) {
            EXPECT_DOUBLE_EQ(op->holeTopZ, c.top);
            EXPECT_DOUBLE_EQ(op->clearanceZ, c.clear);
        }
        EXPECT_DOUBLE_EQ(f->clearanceZ, 0);   // a follower's operations are its head's
    }
    job_setup = job_setup_rec{};
}

}  // namespace
