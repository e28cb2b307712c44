// Hand-made recognition trees for the merging, open-arc and flat-face tests: views in the host's frame of
// their number (view 1 is the identity), holes at view (x, y), segments appended top down in the order
// given, heights along the view's Z. A segment may carry one entity id, to tell whose entities a merged
// segment holds. Metric tolerances: T = 0.025.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "host/api.h"
#include "plugin/core/globals.h"
#include "plugin/recognition/tree.h"
#include "support/plugin_fixture.h"

namespace recog_m {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180;
constexpr double kT = 0.025;

struct SEG {
    double zSup = 0, zInf = 0, rSup = 0, rInf = 0;
    double Ai = 0, Asw = 2 * kPi;
    int entId = 0;
};

class RecogTreeTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        ASSERT_EQ(g_globals->errorMessages.load(installDir + "/Tool.txt", "ErrorMessages", true), 0);
        setUnitTolerances(true);
        PRM_SETTINGS& s = g_globals->settings;
        s.minSweepAngle = 340;
        s.openBoundaryTolerance = 4 * kT;
        s.roundnessTolerance = 0.2 * kT;
        s.axisAngleTolerance = 0.04;
        g_tolerances.axisAngle = 0.04 * kDeg;
    }
    void TearDown() override {
        freeViewsTree(head);
        PluginFixture::TearDown();
    }

    VIEW_LIST* addView(int number = 1) {
        VIEW_LIST* view = allocViewList();
        view->viewNumber = static_cast<std::int16_t>(number);
        EXPECT_EQ(get_view_matrix(number, view->matrix), 1);
        VIEW_LIST** at = &head;
        for (; *at; at = &(*at)->next) view->prev = *at;
        *at = view;
        return view;
    }
    POINT_LIST* addPoint(VIEW_LIST* view, double x, double y) {
        POINT_LIST* point = allocPointList();
        point->view = view;
        point->ptView[0] = x;
        point->ptView[1] = y;
        mul_mat_vector(view->matrix, point->ptView, point->ptUniv);
        POINT_LIST** at = &view->firstPoint;
        for (; *at; at = &(*at)->next) point->prev = *at;
        *at = point;
        ++view->pointCount;
        return point;
    }
    CYL_LIST* addCyl(POINT_LIST* point, const SEG& seg) {
        CYL_LIST* cyl = allocCylList();
        copyMatrix(point->view->matrix, cyl->matrix);
        cyl->viewNumber = static_cast<std::uint16_t>(point->view->viewNumber);
        const double local[3] = {point->ptView[0], point->ptView[1], seg.zSup};
        mul_mat_vector(cyl->matrix, local, cyl->cUniv);
        cyl->zSup = seg.zSup, cyl->zInf = seg.zInf, cyl->rSup = seg.rSup, cyl->rInf = seg.rInf;
        cyl->Ai = seg.Ai, cyl->Asw = seg.Asw;
        cyl->secAng = std::atan2(seg.rSup - seg.rInf, seg.zSup - seg.zInf);
        if (seg.entId) cyl->ents[cyl->entCount++].id = seg.entId;
        CYL_LIST** at = &point->firstCyl;
        for (; *at; at = &(*at)->next) cyl->prev = *at;
        *at = cyl;
        if (point->firstCyl == cyl) {
            point->ptView[2] = seg.zSup;
            mul_mat_vector(cyl->matrix, point->ptView, point->ptUniv);
        }
        ++point->cylCount;
        return cyl;
    }
    CYL_LIST* addCylinder(POINT_LIST* point, double zSup, double zInf, double r, int entId = 0) {
        return addCyl(point, {zSup, zInf, r, r, 0, 2 * kPi, entId});
    }

    static void copyMatrix(const double from[3][3], double to[3][3]) {
        for (int i = 0; i < 9; ++i) to[i / 3][i % 3] = from[i / 3][i % 3];
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
    // Links mirror each other, counts equal chain lengths, and a hole's top is its first segment's axis point.
    void expectConsistent() const {
        for (const VIEW_LIST* view = head; view; view = view->next) {
            EXPECT_EQ(view->pointCount, countPoints(view));
            for (const POINT_LIST* p = view->firstPoint; p; p = p->next) {
                EXPECT_EQ(p->next ? p->next->prev : p, p);
                EXPECT_EQ(p->cylCount, countCyls(p));
                for (const CYL_LIST* c = p->firstCyl; c; c = c->next) EXPECT_EQ(c->next ? c->next->prev : c, c);
                for (int i = 0; p->firstCyl && i < 3; ++i) EXPECT_NEAR(p->ptUniv[i], p->firstCyl->cUniv[i], 1e-9);
            }
        }
    }

    VIEW_LIST* head = nullptr;
};

}  // namespace recog_m
