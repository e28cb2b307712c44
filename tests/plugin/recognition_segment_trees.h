// Hand-built recognition trees for the tests of segment ends, moves, axis joining and flat rings: a loaded
// plug-in (metric, T = 0.025), views with the host's matrices, points placed by their view x and y, and
// segments given by their heights and radii in the view's frame. checkTree asserts the tree's invariants.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "host/api.h"
#include "plugin/core/globals.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/tree.h"
#include "plugin/recognition/vectors.h"
#include "support/recognition_fixture.h"

namespace recog_l {

constexpr double kTwoPi = 2 * std::numbers::pi;

class TreeTest : public RecognitionFixture {
protected:

    // A view of host view `number` appended to the tree.
    VIEW_LIST* addView(int number) {
        double m[3][3];
        EXPECT_EQ(get_view_matrix(number, m), 1) << number;
        return addView(number, m);
    }
    VIEW_LIST* addView(int number, const double m[3][3]) {
        VIEW_LIST* v = allocViewList();
        v->viewNumber = static_cast<std::int16_t>(number);
        copyMatrix33(v->matrix, m);
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
    // A view of the host view found or made for `direction`.
    VIEW_LIST* addViewFor(double x, double y, double z) {
        double d[3] = {x, y, z};
        normalizeVector(d, d);
        int number = 0;
        char found = 0;
        EXPECT_EQ(find_view_k(d, &number, 1, &found), 1);
        return addView(number);
    }

    // A point at (x, y) of the view, appended, with the next hole id.
    POINT_LIST* addPoint(VIEW_LIST* v, double x, double y) {
        POINT_LIST* p = allocPointList();
        p->id = g_nextHoleId++;
        p->view = v;
        p->ptView[0] = x;
        p->ptView[1] = y;
        mul_mat_vector(v->matrix, p->ptView, p->ptUniv);
        POINT_LIST* last = v->firstPoint;
        while (last && last->next) last = last->next;
        if (last) {
            last->next = p;
            p->prev = last;
        } else {
            v->firstPoint = p;
        }
        ++v->pointCount;
        return p;
    }

    // A full-turn segment of the point's axis from zSup down to zInf (view frame), appended at the bottom.
    CYL_LIST* addSeg(POINT_LIST* p, double zSup, double zInf, double rSup, double rInf) {
        const VIEW_LIST* v = p->view;
        CYL_LIST* s = allocCylList();
        copyMatrix33(s->matrix, v->matrix);
        s->viewNumber = static_cast<std::uint16_t>(v->viewNumber);
        s->zSup = zSup;
        s->zInf = zInf;
        s->rSup = rSup;
        s->rInf = rInf;
        s->Asw = kTwoPi;
        s->secAng = std::atan2(rSup - rInf, zSup - zInf);
        const double local[3] = {p->ptView[0], p->ptView[1], zSup};
        mul_mat_vector(v->matrix, local, s->cUniv);
        CYL_LIST* last = lastCyl(p);
        if (last) {
            last->next = s;
            s->prev = last;
        } else {
            p->firstCyl = s;
            copyVector(p->ptUniv, s->cUniv);
            toView(v->matrix, p->ptUniv, p->ptView);
        }
        ++p->cylCount;
        return s;
    }
    // An entity entry with this id.
    static void addEnt(CYL_LIST* s, int id) {
        s->ents[s->entCount].id = id;
        s->ents[s->entCount].level = 1;
        ++s->entCount;
    }

};

// The tree's invariants: counts equal chain lengths, links both ways, owners, each segment in its view's
// frame with its axis point at zSup, chains ordered from the top, each point placed at its top segment, and
// (unless a split halved a cone) each half section angle taken from the segment's ends.
inline void checkTree(const VIEW_LIST* head, bool angleFromEnds = true) {
    const VIEW_LIST* prevView = nullptr;
    for (const VIEW_LIST* v = head; v; prevView = v, v = v->next) {
        SCOPED_TRACE("view " + std::to_string(v->viewNumber));
        EXPECT_EQ(v->prev, prevView);
        EXPECT_EQ(v->pointCount, countPoints(v));
        const POINT_LIST* prevPoint = nullptr;
        for (const POINT_LIST* p = v->firstPoint; p; prevPoint = p, p = p->next) {
            SCOPED_TRACE("point " + std::to_string(p->id));
            EXPECT_EQ(p->prev, prevPoint);
            EXPECT_EQ(p->view, v);
            EXPECT_EQ(p->cylCount, countCyls(p));
            if (p->firstCyl) {
                for (int i = 0; i < 3; ++i) EXPECT_NEAR(p->ptUniv[i], p->firstCyl->cUniv[i], 1e-9);
            }
            double inView[3];
            toView(v->matrix, p->ptUniv, inView);
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(p->ptView[i], inView[i], 1e-9);
            const CYL_LIST* prevCyl = nullptr;
            for (const CYL_LIST* c = p->firstCyl; c; prevCyl = c, c = c->next) {
                EXPECT_EQ(c->prev, prevCyl);
                EXPECT_EQ(c->viewNumber, static_cast<std::uint16_t>(v->viewNumber));
                for (int r = 0; r < 3; ++r)
                    for (int k = 0; k < 3; ++k) EXPECT_EQ(c->matrix[r][k], v->matrix[r][k]);
                EXPECT_GE(c->zSup, c->zInf - 1e-9);
                if (prevCyl) {
                    EXPECT_LE(c->zSup, prevCyl->zSup + 1e-9);
                }
                double axis[3];
                toView(v->matrix, c->cUniv, axis);
                EXPECT_NEAR(axis[2], c->zSup, 1e-9);
                if (angleFromEnds) {
                    EXPECT_NEAR(c->secAng, std::atan2(c->rSup - c->rInf, c->zSup - c->zInf), 1e-12);
                }
            }
        }
    }
}

}  // namespace recog_l
