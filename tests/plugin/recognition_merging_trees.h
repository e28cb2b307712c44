// Hand-made recognition trees for the merging, open-arc and flat-face tests: views in the host's frame of
// their number (view 1 is the identity), holes at view (x, y), segments appended top down in the order
// given, heights along the view's Z. A segment may carry one entity id, to tell whose entities a merged
// segment holds. Metric tolerances: T = 0.025. expectConsistent asserts the tree's invariants.
#pragma once
#include <gtest/gtest.h>

#include <numbers>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/model/tree.h"
#include "support/recognition_fixture.h"

namespace recog_m {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180;

struct SEG {
    double zSup = 0, zInf = 0, rSup = 0, rInf = 0;
    double Ai = 0, Asw = 2 * kPi;
    int entId = 0;
};

class RecogTreeTest : public RecognitionFixture {
protected:
    void SetUp() override {
        RecognitionFixture::SetUp();
        PRM_SETTINGS& s = g_globals->settings;
        s.minSweepAngle = 340;
        s.openBoundaryTolerance = 4 * kT;
        s.roundnessTolerance = 0.2 * kT;
        s.axisAngleTolerance = 0.04;
    }

    VIEW_LIST* addView(int number = 1) { return hand_tree::appendView(head, number); }
    static POINT_LIST* addPoint(VIEW_LIST* view, double x, double y) { return hand_tree::appendPoint(view, x, y, 0); }
    static CYL_LIST* addCyl(POINT_LIST* point, const SEG& seg) {
        return hand_tree::appendSeg(
            point, hand_tree::cone(seg.zSup, seg.rSup, seg.zInf, seg.rInf).arc(seg.Ai, seg.Asw).entity(seg.entId));
    }
    static CYL_LIST* addCylinder(POINT_LIST* point, double zSup, double zInf, double r, int entId = 0) {
        return addCyl(point, {zSup, zInf, r, r, 0, 2 * kPi, entId});
    }

    static std::vector<CYL_LIST*> chain(const POINT_LIST* point) {
        std::vector<CYL_LIST*> out;
        for (CYL_LIST* c = point->firstCyl; c; c = c->next) out.push_back(c);
        return out;
    }
    static std::vector<POINT_LIST*> points(const VIEW_LIST* view) {
        std::vector<POINT_LIST*> out;
        for (POINT_LIST* p = view->firstPoint; p; p = p->next) out.push_back(p);
        return out;
    }
    static std::vector<int> entIds(const CYL_LIST* cyl) {
        std::vector<int> out;
        for (int i = 0; i < cyl->entCount; ++i) out.push_back(cyl->ents[i].id);
        return out;
    }
    void expectConsistent() const { EXPECT_EQ(hand_tree::checkTree(head), ""); }
};

}  // namespace recog_m
