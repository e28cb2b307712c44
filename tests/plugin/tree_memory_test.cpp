// Allocating and releasing the recognition tree: fresh records are zero, and freeing a tree releases
// everything its holes own exactly once while leaving the process copies that operations share.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(TreeAllocation, FreshRecordsAreZeroInEveryByteButTheirKind) {
    VIEW_LIST* v = allocViewList();
    POINT_LIST* p = allocPointList();
    CYL_LIST* c = allocCylList();
    ASSERT_TRUE(v && p && c);
    Bytes images[3];
    ByteWriter wv(images[0]), wp(images[1]), wc(images[2]);
    writeViewImage(*v, noLinkIds, wv);
    writePointImage(*p, noLinkIds, wp);
    writeCylImage(*c, noLinkIds, wc);
    Bytes view(kViewListSize, 0), point(kPointListSize, 0);
    view[0] = 1;
    point[0] = 2;
    EXPECT_EQ(images[0], view);
    EXPECT_EQ(images[1], point);
    EXPECT_EQ(images[2], Bytes(kCylListSize, 0));
    freeViewList(v);
    freePointList(p);
    freeCylList(c);
}

// A tree of two views: the first with a head hole and a chain copy that points at the head's operations
// and descriptions (as the process engine may leave it), the second with one plain hole. The operations
// share one process copy, which the test keeps a hold of to see who still holds it.
struct TEST_TREE {
    VIEW_LIST* head = nullptr;
    std::shared_ptr<PROCESS_OPE> sharedCopy = std::make_shared<PROCESS_OPE>();

    POINT_LIST* addPoint(VIEW_LIST* view, int segments) {
        POINT_LIST* p = allocPointList();
        p->view = view;
        POINT_LIST** slot = &view->firstPoint;
        while (*slot) {
            p->prev = *slot;
            slot = &(*slot)->next;
        }
        *slot = p;
        ++view->pointCount;
        for (int i = 0; i < segments; ++i) {
            CYL_LIST* c = allocCylList();
            c->prev = lastCyl(p);
            (c->prev ? c->prev->next : p->firstCyl) = c;
            ++p->cylCount;
        }
        return p;
    }
    VIEW_LIST* addView() {
        VIEW_LIST* v = allocViewList();
        if (!head) {
            head = v;
        } else {
            VIEW_LIST* last = head;
            while (last->next) last = last->next;
            last->next = v;
            v->prev = last;
        }
        return v;
    }
    void addOperations(POINT_LIST* p, int n) {
        for (int i = 0; i < n; ++i) {
            auto* ope = new OPE_LIST();
            ope->processOpe = sharedCopy;
            ope->point = p;
            ope->next = p->opeList;
            p->opeList = ope;
        }
    }

    TEST_TREE() {
        VIEW_LIST* v1 = addView();
        POINT_LIST* headHole = addPoint(v1, 3);
        addOperations(headHole, 2);
        headHole->descCount = 4;
        headHole->descs = allocCilDescs(4);
        POINT_LIST* copy = addPoint(v1, 1);
        copy->chainMember = 1;
        copy->opeList = headHole->opeList;
        copy->descs = headHole->descs;
        headHole->nextEqual = copy;
        headHole->chainCount = 1;

        VIEW_LIST* v2 = addView();
        POINT_LIST* plain = addPoint(v2, 2);
        addOperations(plain, 1);
        plain->descCount = 1;
        plain->descs = allocCilDescs(1);
    }
};

TEST(TreeFreeing, AWholeTreeGoesOnceAndTheSharedProcessCopyStays) {
    TEST_TREE tree;
    EXPECT_EQ(countViews(tree.head), 2);
    EXPECT_EQ(countPoints(tree.head), 2);
    EXPECT_EQ(countCyls(tree.head->firstPoint), 3);
    EXPECT_EQ(lastCyl(tree.head->firstPoint)->next, nullptr);
    EXPECT_EQ(tree.sharedCopy.use_count(), 4);   // the test and three operations

    EXPECT_EQ(freeViewsTree(tree.head), 0);
    // Every operation was released (each let go of the copy) and none twice (the sanitizer build sees a
    // double release); the copy itself outlives the tree.
    EXPECT_EQ(tree.sharedCopy.use_count(), 1);
}

TEST(TreeFreeing, NullAndSingleHolesAreReleasedWithoutTheirNeighbours) {
    EXPECT_EQ(freeViewsTree(nullptr), 0);
    TEST_TREE tree;
    POINT_LIST* plain = tree.head->next->firstPoint;
    tree.head->next->firstPoint = nullptr;
    tree.head->next->pointCount = 0;
    freePointList(plain);   // its one operation
    EXPECT_EQ(tree.sharedCopy.use_count(), 3);
    EXPECT_EQ(freeViewsTree(tree.head), 0);
    EXPECT_EQ(tree.sharedCopy.use_count(), 1);
}

}  // namespace
