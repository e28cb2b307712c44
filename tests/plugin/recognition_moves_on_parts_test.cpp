// The moves and the flat-ring stage on trees the raw build makes from builder parts: a hole entered from
// below handed to the bottom view, a hole wider at both ends split between the two views, and a revolved
// floor ring becoming the flat of the bore above it. Block 40 x 40 x 20, holes at (20, 20).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "plugin/model/tree.h"
#include "plugin/recognition/axis_joining.h"
#include "plugin/recognition/pipeline_raw.h"
#include "plugin/recognition/segment_ends.h"
#include "plugin/services/recognition.h"
#include "support/part_recognition_fixture.h"
#include "tests/plugin/recognition_segment_trees.h"

namespace {

using namespace host::builder;
using namespace recog_l;

class RecogPartsTest : public PartRecognitionFixture {
protected:
    void SetUp() override {
        PartRecognitionFixture::SetUp();
        ASSERT_DOUBLE_EQ(g_tolerances.tolT, kT);
    }
    void TearDown() override {
        freeViewsTree(head);
        PartRecognitionFixture::TearDown();
    }

    static void addPart(const HoleSpec& hole) {
        PartRecognitionFixture::addPart(PartBuilder::block({40, 40, 20}).hole(hole));
    }
    // The raw tree: one view and one hole expected.
    POINT_LIST* rawHole() {
        g_nextHoleId = 1;
        EXPECT_EQ(buildRawTree(&head, RAW_FILTERS{}), 0);
        if (!head) return nullptr;
        EXPECT_EQ(countViews(head), 1);
        EXPECT_EQ(head->viewNumber, 1);
        EXPECT_EQ(head->pointCount, 1);
        return head->firstPoint;
    }
    static void expectSeg(const CYL_LIST* s, double d, double zSup, double zInf) {
        ASSERT_NE(s, nullptr);
        EXPECT_NEAR(2 * s->rSup, d, 1e-6);
        EXPECT_NEAR(2 * s->rInf, d, 1e-6);
        EXPECT_NEAR(s->zSup, zSup, 1e-6);
        EXPECT_NEAR(s->zInf, zInf, 1e-6);
    }

    VIEW_LIST* head = nullptr;
};

TEST_F(RecogPartsTest, AHoleEnteredFromBelowReadsFromItsMouthInTheBottomView) {
    addPart(counterbored("from below", {20, 20, 0}, {0, 0, 1}, 6, 10, 3, 12));
    POINT_LIST* p = rawHole();
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->cylCount, 2);
    expectSeg(p->firstCyl, 6, 12, 3);   // seen from above the floor comes first

    ASSERT_EQ(movePointToView(head, head, p), 0);
    ASSERT_EQ(countViews(head), 2);
    const VIEW_LIST* bottom = head->next;
    EXPECT_EQ(bottom->viewNumber, 4);
    EXPECT_EQ(head->pointCount, 0);
    ASSERT_EQ(p->view, bottom);
    expectSeg(p->firstCyl, 10, 0, -3);
    expectSeg(p->firstCyl->next, 6, -3, -12);
    EXPECT_NEAR(p->ptUniv[0], 20, 1e-6);
    EXPECT_NEAR(p->ptUniv[1], 20, 1e-6);
    EXPECT_NEAR(p->ptUniv[2], 0, 1e-6);
    EXPECT_NEAR(p->ptView[1], -20, 1e-6);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(RecogPartsTest, AHoleWiderAtBothEndsIsSplitBetweenTheViews) {
    addPart(holeAt("twin", {20, 20, 20}, {0, 0, -1}).cylinder(10, 3).cylinder(6, 14).throughCylinder(10));
    POINT_LIST* p = rawHole();
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->cylCount, 3);
    CYL_LIST* neck = p->firstCyl->next;
    expectSeg(neck, 6, 17, 3);

    POINT_LIST* moved = splitPointToOppView2(head, head, p, neck);
    ASSERT_NE(moved, nullptr);
    ASSERT_NE(moved, moveFailed());
    ASSERT_EQ(p->cylCount, 2);
    expectSeg(p->firstCyl, 10, 20, 17);
    expectSeg(p->firstCyl->next, 6, 17, 10);
    ASSERT_EQ(moved->cylCount, 2);
    EXPECT_EQ(moved->view->viewNumber, 4);
    expectSeg(moved->firstCyl, 10, 0, -3);
    expectSeg(moved->firstCyl->next, 6, -3, -10);
    EXPECT_EQ(checkTree(head), "");
}

TEST_F(RecogPartsTest, ARevolvedFloorRingBecomesTheFlatOfTheBoreAboveIt) {
    addPart(blindFlat("blind", {20, 20, 20}, {0, 0, -1}, 8, 10));
    // A ring at the floor as a surface of revolution: a line from radius 2 to 4 turned about the axis. The
    // host makes a plane of an exactly radial line, so the line leans 0.005 degree: still a flat ring.
    const double lean = 2 * std::tan(0.005 * std::numbers::pi / 180);
    ent profile{};
    profile.type = kEntLine;
    profile.ln.ln = {{22, 20, 10 + lean}, {24, 20, 10}};
    surf_of_rev rev;
    rev.profile = &profile;
    rev.axisPt = {20, 20, 10};
    rev.axisDir = {0, 0, 1};
    rev.sweep = 2 * std::numbers::pi;
    ent ring{};
    ASSERT_EQ(create_nurbsurf_from_surf(&rev, &ring), 1);
    const std::uint32_t ringId = put_surf_in_db(&ring, 5, 1);
    ASSERT_NE(ringId, 0u);

    POINT_LIST* p = rawHole();
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->cylCount, 2);   // the bore and the ring at its foot
    EXPECT_EQ(cylsPlanarRev(head), 0);
    ASSERT_EQ(p->cylCount, 1);
    const CYL_LIST* bore = p->firstCyl;
    expectSeg(bore, 8, 20, 10);
    EXPECT_EQ(bore->bottomFlat, 1);
    EXPECT_NEAR(bore->rFlatMinBtm, 2, 1e-6);
    EXPECT_NEAR(bore->rFlatMaxBtm, 4, 1e-6);
    EXPECT_EQ(bore->bottomRingClosed, 0);
    bool hasRing = false;
    for (int i = 0; i < bore->entCount; ++i) hasRing |= bore->ents[i].id == static_cast<std::int32_t>(ringId);
    EXPECT_TRUE(hasRing);
    EXPECT_EQ(checkTree(head), "");
}

}  // namespace
