// End states of a segment and turning a segment (or a chain) end for end.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>

#include "plugin/model/tree.h"
#include "plugin/recognition/segment_ends.h"
#include "tests/plugin/recognition_segment_trees.h"
#include "plugin/services/recognition.h"

namespace {

using namespace recog_l;

class SegmentEndsTest : public TreeTest {};

struct END_CASE {
    const char* what;
    double rSup, rInf;
    bool topFlat, topClosed, bottomFlat, bottomClosed;
    int top, bottom;
};

TEST_F(SegmentEndsTest, EndStatesFollowTheShapeAndTheFlats) {
    const END_CASE cases[] = {
        {"cylinder without flags", 5, 5, false, false, false, false, kEndOpen, kEndOpen},
        {"cylinder, bottom ring", 5, 5, false, false, true, false, kEndOpen, kEndPartlyClosed},
        {"cylinder, closed bottom", 5, 5, false, false, true, true, kEndOpen, kEndClosed},
        {"cylinder, closed flag without flat", 5, 5, false, true, false, true, kEndOpen, kEndOpen},
        {"cylinder, top ring", 5, 5, true, false, false, false, kEndPartlyClosed, kEndOpen},
        {"cylinder, closed top", 5, 5, true, true, false, false, kEndClosed, kEndOpen},
        {"radii just under T apart count as cylinder", 5, 5 - 0.99 * kT, false, false, true, false, kEndOpen,
         kEndPartlyClosed},
        {"tip cone reaching the axis", 3, 0.5 * kT, false, false, false, false, kEndOpen, kEndClosed},
        {"tip cone whatever its flags", 3, 0, true, true, true, false, kEndOpen, kEndClosed},
        {"narrowing cone, open bottom", 5, 3, false, false, false, false, kEndOpen, kEndPartlyClosed},
        {"narrowing cone, ring bottom", 5, 3, false, false, true, false, kEndOpen, kEndPartlyClosed},
        {"narrowing cone, closed bottom", 5, 3, false, false, true, true, kEndOpen, kEndClosed},
        {"narrowing by exactly T is a cone", 5, 5 - kT, false, false, false, false, kEndOpen, kEndPartlyClosed},
        {"countersink seen from below", 0, 4, false, false, false, false, kEndClosed, kEndOpen},
        {"widening cone", 3, 5, false, false, false, false, kEndPartlyClosed, kEndOpen},
        {"widening cone, closed top", 3, 5, true, true, true, true, kEndClosed, kEndOpen},
    };
    for (const END_CASE& c : cases) {
        SCOPED_TRACE(c.what);
        CYL_LIST s;
        s.zSup = 0;
        s.zInf = -10;
        s.rSup = c.rSup;
        s.rInf = c.rInf;
        s.topFlat = c.topFlat;
        s.topClosed = c.topClosed;
        s.bottomFlat = c.bottomFlat;
        s.bottomClosed = c.bottomClosed;
        EXPECT_EQ(topEndState(&s), c.top);
        EXPECT_EQ(bottomEndState(&s), c.bottom);
    }
}

// A segment with every field that a flip touches set to a value of its own, in the isometric view's frame.
CYL_LIST richSegment() {
    CYL_LIST s;
    EXPECT_EQ(get_view_matrix(7, s.matrix), 1);
    s.viewNumber = 7;
    s.zSup = 4;
    s.zInf = -6;
    s.rSup = 5;
    s.rInf = 3;
    s.secAng = std::atan2(2.0, 10.0);
    s.Ai = 0.3;
    s.Asw = -1.2;
    s.zToric = 1.5;
    s.rToric = 2;
    s.topFlat = 1;
    s.topClosed = 1;
    s.bottomRingClosed = 1;
    s.rFlatMinTop = 1;
    s.rFlatMaxTop = 5;
    s.rFlatMinBtm = 0.5;
    s.rFlatMaxBtm = 7;
    s.ovlpCount = 2;
    s.ovlp[0] = {{1, 2, 3, 4}, 2, -1, 4.5, 4};
    s.ovlp[1] = {{5, 0, 0, 0}, -2, -5, 3, 2.5};
    s.isTap = 1;
    s.threadDiam = 8;
    s.mergedCount = 1;
    s.merged[0] = {{1, 0, 0, 0}, 3, 1, 2, 2};
    const double local[3] = {10, -3, s.zSup};
    mul_mat_vector(s.matrix, local, s.cUniv);
    return s;
}

TEST_F(SegmentEndsTest, FlippingTurnsHeightsRadiiFlatsAndOverlapsButNotAnglesOrAttributes) {
    CYL_LIST s = richSegment();
    EXPECT_EQ(flipCylinder(&s), 0);
    EXPECT_DOUBLE_EQ(s.zSup, 6);
    EXPECT_DOUBLE_EQ(s.zInf, -4);
    EXPECT_DOUBLE_EQ(s.rSup, 3);
    EXPECT_DOUBLE_EQ(s.rInf, 5);
    EXPECT_DOUBLE_EQ(s.zToric, -1.5);
    EXPECT_DOUBLE_EQ(s.secAng, std::atan2(-2.0, 10.0));
    // The top ring (1 to 5, closed) is the bottom's now, and the bottom's the top's.
    EXPECT_EQ(s.topFlat, 0);
    EXPECT_EQ(s.bottomFlat, 1);
    EXPECT_EQ(s.bottomClosed, 1);
    EXPECT_EQ(s.topRingClosed, 1);
    EXPECT_EQ(s.bottomRingClosed, 0);
    EXPECT_DOUBLE_EQ(s.rFlatMinBtm, 1);
    EXPECT_DOUBLE_EQ(s.rFlatMaxBtm, 5);
    EXPECT_DOUBLE_EQ(s.rFlatMaxTop, 7);
    EXPECT_DOUBLE_EQ(s.ovlp[0].zSup, 1);
    EXPECT_DOUBLE_EQ(s.ovlp[0].zInf, -2);
    EXPECT_DOUBLE_EQ(s.ovlp[0].rInf, 4.5);
    EXPECT_DOUBLE_EQ(s.ovlp[1].zSup, 5);
    EXPECT_EQ(s.ovlp[0].entIndex[2], 3);
    // Untouched: the angles about the axis, the attributes and the merged entries.
    EXPECT_DOUBLE_EQ(s.Ai, 0.3);
    EXPECT_DOUBLE_EQ(s.Asw, -1.2);
    EXPECT_EQ(s.isTap, 1);
    EXPECT_DOUBLE_EQ(s.merged[0].zSup, 3);
    // The axis point slid along the segment's own axis to the new top.
    double local[3];
    toView(s.matrix, s.cUniv, local);
    EXPECT_NEAR(local[0], 10, 1e-12);
    EXPECT_NEAR(local[1], -3, 1e-12);
    EXPECT_NEAR(local[2], 6, 1e-12);
}

TEST_F(SegmentEndsTest, FlippingTwiceRestoresTheSegment) {
    const CYL_LIST before = richSegment();
    CYL_LIST s = before;
    flipCylinder(&s);
    flipCylinder(&s);
    const double got[] = {s.zSup, s.zInf, s.rSup, s.rInf, s.zToric, s.secAng, s.rFlatMinTop, s.rFlatMaxTop,
                          s.rFlatMinBtm, s.rFlatMaxBtm, s.ovlp[0].zSup, s.ovlp[0].zInf, s.ovlp[1].rSup, s.ovlp[1].rInf};
    const double want[] = {before.zSup, before.zInf, before.rSup, before.rInf, before.zToric, before.secAng,
                           before.rFlatMinTop, before.rFlatMaxTop, before.rFlatMinBtm, before.rFlatMaxBtm,
                           before.ovlp[0].zSup, before.ovlp[0].zInf, before.ovlp[1].rSup, before.ovlp[1].rInf};
    for (std::size_t i = 0; i < std::size(got); ++i) EXPECT_DOUBLE_EQ(got[i], want[i]) << "value " << i;
    EXPECT_EQ(s.topFlat, before.topFlat);
    EXPECT_EQ(s.bottomClosed, before.bottomClosed);
    EXPECT_EQ(s.bottomRingClosed, before.bottomRingClosed);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(s.cUniv[i], before.cUniv[i], 1e-12);
}

TEST_F(SegmentEndsTest, FlippingAChainFromItsLastSegmentReversesIt) {
    VIEW_LIST* v = addView(1);
    POINT_LIST* p = addPoint(v, 0, 0);
    CYL_LIST* a = addSeg(p, 0, -2, 5, 5);
    CYL_LIST* b = addSeg(p, -2, -6, 3, 3);
    CYL_LIST* c = addSeg(p, -6, -7, 3, 0);
    for (CYL_LIST* s = c; s;) {
        CYL_LIST* above = s->prev;
        flipCylinder(s);
        s = above;
    }
    EXPECT_EQ(c->prev, nullptr);
    EXPECT_EQ(c->next, b);
    EXPECT_EQ(b->prev, c);
    EXPECT_EQ(b->next, a);
    EXPECT_EQ(a->prev, b);
    EXPECT_EQ(a->next, nullptr);
    EXPECT_DOUBLE_EQ(c->zSup, 7);
    EXPECT_DOUBLE_EQ(a->zInf, 0);
    p->firstCyl = c;   // so that the tree releases the whole reversed chain
}

}  // namespace
