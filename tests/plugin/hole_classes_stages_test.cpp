// The last stages of form recognition: holes that run into another hole in a view that is not selected leave
// the tree with their chains, and the remaining views are sorted and numbered from 1 without gaps.
#include <gtest/gtest.h>

#include "plugin/core/globals.h"
#include "plugin/core/views_list.h"
#include "plugin/engine/hole_classes.h"
#include "support/run_tree.h"

namespace {

class HoleClassesStages : public RecognitionFixture {
protected:
    void SetUp() override {
        RecognitionFixture::SetUp();
        g_globals->settings.viewsSortOrder = 0;
        g_globals->settings.axisAngleTolerance = 0.04;
    }
};

TEST_F(HoleClassesStages, UnreachableChainsLeaveOnlyOutsideTheSelectedViews) {
    struct Case {
        bool restricted;
        int topLeft, bottomLeft;
    };
    const Case cases[] = {{false, 3, 3}, {true, 3, 1}};
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
        dropUnreachableHoles(head);
        EXPECT_EQ(countPoints(head), c.topLeft);
        EXPECT_EQ(head->pointCount, c.topLeft);
        EXPECT_EQ(countPoints(head->next), c.bottomLeft);
        EXPECT_EQ(head->next->pointCount, c.bottomLeft);
    }
}

TEST_F(HoleClassesStages, ViewsAreNumberedFromOneWithoutEmptyOnes) {
    VIEW_LIST* empty = addView(head, 2);
    addHole(addView(head, 6), 0, 0, {{3, 0, 3, -10}});
    (void)empty;
    addHole(addView(head, 1), 0, 0, {{3, 0, 3, -10}});
    ASSERT_EQ(finishViews(head), 0);
    EXPECT_EQ(g_globals->viewsTree, head);
    g_globals->viewsTree = nullptr;   // the fixture frees the tree
    std::vector<int> numbers, indexes;
    for (VIEW_LIST* v = head; v; v = v->next) {
        numbers.push_back(v->viewNumber);
        indexes.push_back(viewIndex(*v));
    }
    EXPECT_EQ(numbers, (std::vector<int>{1, 6}));
    EXPECT_EQ(indexes, (std::vector<int>{1, 2}));
}

}  // namespace
