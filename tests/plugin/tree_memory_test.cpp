// Allocating and releasing the recognition tree: fresh records are zero, and freeing a tree releases
// everything its holes own exactly once while leaving the process copies that operations share.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Released records are handed out again: a record taken after one was filled and released is as fresh.
TEST(TreeAllocation, FreshRecordsAreZeroInEveryByteButTheirKind) {
    for (int round = 0; round < 2; ++round) {
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
        EXPECT_EQ(images[0], view) << "round " << round;
        EXPECT_EQ(images[1], point) << "round " << round;
        EXPECT_EQ(images[2], Bytes(kCylListSize, 0)) << "round " << round;
        p->holeType = 4, p->ptView[2] = 2.5, p->description[0] = 'x';
        c->zSup = 7, c->rSup = 3, c->entCount = 2, c->ents[1].id = 99;
        freeViewList(v);
        freePointList(p);
        freeCylList(c);
    }
}

// Records taken by the hundred and released in turns keep their values while others come and go, and the
// room kept for released records goes back only where none is held: held ones stay as they were, and one
// taken after the room went back is fresh.
TEST(TreeAllocation, HeldRecordsStayAsTheyWereWhileOthersComeAndGo) {
    POINT_LIST* point = allocPointList();
    ASSERT_NE(point, nullptr);
    point->holeType = 3;
    std::vector<CYL_LIST*> held;
    for (int turn = 0; turn < 3; ++turn) {
        while (held.size() < 300) held.push_back(allocCylList());
        for (std::size_t i = 0; i < held.size(); ++i) held[i]->zSup = static_cast<double>(i);
        std::vector<CYL_LIST*> kept;
        for (std::size_t i = 0; i < held.size(); ++i) {
            if (i % 2) freeCylList(held[i]);
            else kept.push_back(held[i]);
        }
        releaseTreeRecordRooms();
        for (std::size_t i = 0; i < kept.size(); ++i) ASSERT_EQ(kept[i]->zSup, static_cast<double>(2 * i)) << turn;
        held = kept;
    }
    for (CYL_LIST* c : held) freeCylList(c);
    releaseTreeRecordRooms();   // the segments' room goes, the holes' stays for the one held
    EXPECT_EQ(point->holeType, 3);
    freePointList(point);
    releaseTreeRecordRooms();
    POINT_LIST* fresh = allocPointList();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->holeType, 0);
    freePointList(fresh);
}

// Once the room kept for released records went back to the heap, no record is handed out of it: records
// released before are forgotten with their room, and what the heap has since given to others (here blocks of
// a slab's size, which it hands back from the freed slabs first) holds no record taken after.
TEST(TreeAllocation, NoRecordIsTakenFromRoomGivenBackToTheHeap) {
    ASSERT_EQ(heldTreeRecords(), 0u);
    std::vector<CYL_LIST*> taken(256);
    for (CYL_LIST*& c : taken) ASSERT_NE(c = allocCylList(), nullptr);
    for (CYL_LIST* c : taken) freeCylList(c);
    releaseTreeRecordRooms();

    // A slab: its link, padded to the records' alignment, and 64 records.
    const std::size_t slabSize = alignof(std::max_align_t) + 64 * sizeof(CYL_LIST);
    std::vector<std::unique_ptr<std::byte[]>> others;
    for (int k = 0; k < 64; ++k) {
        others.emplace_back(new std::byte[slabSize]);
        std::fill_n(others.back().get(), slabSize, std::byte{0xA5});
    }
    CYL_LIST* fresh = allocCylList();
    ASSERT_NE(fresh, nullptr);
    const auto* at = reinterpret_cast<const std::byte*>(fresh);
    for (const std::unique_ptr<std::byte[]>& block : others)
        EXPECT_FALSE(at >= block.get() && at < block.get() + slabSize) << "a record inside memory the heap gave out";
    EXPECT_EQ(fresh->zSup, 0);
    freeCylList(fresh);
    releaseTreeRecordRooms();
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
