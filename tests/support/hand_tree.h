// Recognition trees built by hand: views with the host's matrix of their number, points at a view's (x, y),
// full-turn segments appended top down in the view's frame (the first places its point), holes made from a
// builder's hole description, and checkTree, which lists every link, count, order or placement a stage broke.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "plugin/services/recognition.h"

namespace hand_tree {

// A world point in a view's axes.
inline void toView(const double m[3][3], const double p[3], double out[3]) {
    double t[3][3];
    transpose_matrix_33(m, t);
    mul_mat_vector(t, p, out);
}

// A view of that number and matrix appended to the tree.
inline VIEW_LIST* appendView(VIEW_LIST*& head, int number, const double m[3][3]) {
    VIEW_LIST* v = allocViewList();
    v->viewNumber = static_cast<std::int16_t>(number);
    copyMatrix33(v->matrix, m);
    VIEW_LIST** link = &head;
    for (; *link; link = &(*link)->next) v->prev = *link;
    *link = v;
    return v;
}
// A view of host view `number`, with the host's matrix.
inline VIEW_LIST* appendView(VIEW_LIST*& head, int number) {
    double m[3][3] = {};
    EXPECT_EQ(get_view_matrix(number, m), 1) << number;
    return appendView(head, number, m);
}
// The view of the tree whose Z row is `out` (the host's view for it, made when missing).
inline VIEW_LIST* viewLooking(VIEW_LIST*& head, const double out[3]) {
    double d[3] = {out[0], out[1], out[2]};
    normalizeVector(d, d);
    int number = 0;
    char found = 0;
    EXPECT_EQ(find_view_k(d, &number, 1, &found), 1);
    for (VIEW_LIST* v = head; v; v = v->next)
        if (v->viewNumber == number) return v;
    return appendView(head, number);
}

// A point at (x, y, 0) of the view, appended, without segments.
inline POINT_LIST* appendPoint(VIEW_LIST* v, double x, double y, std::int32_t id) {
    POINT_LIST* p = allocPointList();
    p->id = id;
    p->view = v;
    p->ptView[0] = x;
    p->ptView[1] = y;
    mul_mat_vector(v->matrix, p->ptView, p->ptUniv);
    POINT_LIST** link = &v->firstPoint;
    for (; *link; link = &(*link)->next) p->prev = *link;
    *link = p;
    ++v->pointCount;
    return p;
}

// One segment: its ends in the view's frame, its arc, its flat rings and one entity id, built fluently.
struct SEG {
    double zSup = 0, rSup = 0, zInf = 0, rInf = 0;
    bool topFlat = false, topClosed = false, bottomFlat = false, bottomClosed = false;
    double rFlatMinTop = 0, rFlatMaxTop = 0, rFlatMinBtm = 0, rFlatMaxBtm = 0;
    double Ai = 0, Asw = 2 * std::numbers::pi;
    int entId = 0;

    SEG& floorAtTop() { return ringAtTop(0, rSup, true); }
    SEG& floorAtBottom() { return ringAtBottom(0, rInf, true); }
    SEG& ringAtTop(double rMin, double rMax, bool closed = false) {
        topFlat = true;
        topClosed = closed;
        rFlatMinTop = rMin;
        rFlatMaxTop = rMax;
        return *this;
    }
    SEG& ringAtBottom(double rMin, double rMax, bool closed = false) {
        bottomFlat = true;
        bottomClosed = closed;
        rFlatMinBtm = rMin;
        rFlatMaxBtm = rMax;
        return *this;
    }
    SEG& arc(double start, double sweep) {
        Ai = start;
        Asw = sweep;
        return *this;
    }
    SEG& entity(int id) {
        entId = id;
        return *this;
    }
};
inline SEG cyl(double zSup, double zInf, double r) { return {zSup, r, zInf, r}; }
inline SEG cone(double zSup, double rSup, double zInf, double rInf) { return {zSup, rSup, zInf, rInf}; }

// The segment appended at the bottom of the point's chain, its axis point at zSup on the point's axis; the
// first segment places the point at its top.
inline CYL_LIST* appendSeg(POINT_LIST* p, const SEG& s) {
    const VIEW_LIST* v = p->view;
    CYL_LIST* c = allocCylList();
    copyMatrix33(c->matrix, v->matrix);
    c->viewNumber = static_cast<std::uint16_t>(v->viewNumber);
    const double local[3] = {p->ptView[0], p->ptView[1], s.zSup};
    mul_mat_vector(v->matrix, local, c->cUniv);
    c->zSup = s.zSup;
    c->rSup = s.rSup;
    c->zInf = s.zInf;
    c->rInf = s.rInf;
    c->Ai = s.Ai;
    c->Asw = s.Asw;
    c->secAng = std::atan2(s.rSup - s.rInf, s.zSup - s.zInf);
    c->topFlat = s.topFlat;
    c->topClosed = s.topClosed;
    c->bottomFlat = s.bottomFlat;
    c->bottomClosed = s.bottomClosed;
    c->rFlatMinTop = s.rFlatMinTop;
    c->rFlatMaxTop = s.rFlatMaxTop;
    c->rFlatMinBtm = s.rFlatMinBtm;
    c->rFlatMaxBtm = s.rFlatMaxBtm;
    if (s.entId) c->ents[c->entCount++].id = s.entId;
    CYL_LIST** link = &p->firstCyl;
    for (; *link; link = &(*link)->next) c->prev = *link;
    *link = c;
    if (p->firstCyl == c) {
        p->ptView[2] = s.zSup;
        copyVector(p->ptUniv, c->cUniv);
    }
    ++p->cylCount;
    return c;
}
inline CYL_LIST* appendSeg(POINT_LIST* p, double zSup, double zInf, double rSup, double rInf) {
    return appendSeg(p, cone(zSup, rSup, zInf, rInf));
}
// A hole at (x, y) of the view with its segments from the top.
inline POINT_LIST* appendHole(VIEW_LIST* v, double x, double y, std::int32_t id, const std::vector<SEG>& segs) {
    POINT_LIST* p = appendPoint(v, x, y, id);
    for (const SEG& s : segs) appendSeg(p, s);
    return p;
}
// A builder's hole as recognition gives it: in the view looking against its drilling direction, one
// segment per described segment from its entry down, with the next hole id.
inline POINT_LIST* appendSpecHole(VIEW_LIST*& head, const host::builder::HoleSpec& spec) {
    const double out[3] = {-spec.direction[0], -spec.direction[1], -spec.direction[2]};
    VIEW_LIST* v = viewLooking(head, out);
    double entry[3];
    toView(v->matrix, spec.entry.data(), entry);
    POINT_LIST* p = appendPoint(v, entry[0], entry[1], g_nextHoleId++);
    double z = entry[2];
    for (const host::builder::HoleSegment& s : spec.segments) {
        appendSeg(p, z, z - s.length, s.topDiameter / 2, s.bottomDiameter / 2);
        z -= s.length;
    }
    return p;
}

// A tree that frees its records.
class TREE {
public:
    TREE() = default;
    ~TREE() { freeViewsTree(head); }
    TREE(const TREE&) = delete;
    TREE& operator=(const TREE&) = delete;

    VIEW_LIST* view(int number) { return appendView(head, number); }
    // A hole with its segments; its id is the next of the tree's own unless given.
    POINT_LIST* hole(VIEW_LIST* v, double x, double y, const std::vector<SEG>& segs, int id = 0) {
        return appendHole(v, x, y, id ? id : nextId++, segs);
    }

    VIEW_LIST* head = nullptr;
    int nextId = 1;
};

// Every link, count, order and placement the stages must keep: views doubly linked, counts equal to the
// chains, each point's view, segments ordered from the top (none upside down) carrying the view's number
// and matrix with their axis point at zSup, each point in its view's frame at its first segment, and
// (unless a split halved a cone) each half section angle taken from the segment's ends. Empty when all hold.
[[nodiscard]] inline std::string checkTree(const VIEW_LIST* head, bool angleFromEnds = true) {
    std::string problems;
    auto fail = [&](const std::string& what, int view, int point) {
        problems += "view " + std::to_string(view) + " point " + std::to_string(point) + ": " + what + "\n";
    };
    auto near = [](double a, double b) { return std::fabs(a - b) <= 1e-9; };
    const VIEW_LIST* prevView = nullptr;
    for (const VIEW_LIST* v = head; v; prevView = v, v = v->next) {
        if (v->prev != prevView) fail("view prev link", v->viewNumber, 0);
        if (v->pointCount != countPoints(v)) fail("pointCount", v->viewNumber, 0);
        const POINT_LIST* prevPoint = nullptr;
        for (const POINT_LIST* p = v->firstPoint; p; prevPoint = p, p = p->next) {
            if (p->prev != prevPoint) fail("point prev link", v->viewNumber, p->id);
            if (p->view != v) fail("owner view", v->viewNumber, p->id);
            if (p->cylCount != countCyls(p)) fail("cylCount", v->viewNumber, p->id);
            double inView[3];
            toView(v->matrix, p->ptUniv, inView);
            for (int i = 0; i < 3; ++i)
                if (!near(p->ptView[i], inView[i])) fail("ptView off ptUniv", v->viewNumber, p->id);
            for (int i = 0; p->firstCyl && i < 3; ++i)
                if (!near(p->ptUniv[i], p->firstCyl->cUniv[i])) fail("point off its top", v->viewNumber, p->id);
            const CYL_LIST* prevCyl = nullptr;
            for (const CYL_LIST* c = p->firstCyl; c; prevCyl = c, c = c->next) {
                if (c->prev != prevCyl) fail("segment prev link", v->viewNumber, p->id);
                if (c->zSup < c->zInf - 1e-9) fail("segment upside down", v->viewNumber, p->id);
                if (prevCyl && c->zSup > prevCyl->zSup + 1e-9) fail("segment order", v->viewNumber, p->id);
                if (c->viewNumber != static_cast<std::uint16_t>(v->viewNumber)) fail("segment view", v->viewNumber, p->id);
                for (int r = 0; r < 9; ++r)
                    if (c->matrix[r / 3][r % 3] != v->matrix[r / 3][r % 3]) fail("segment matrix", v->viewNumber, p->id);
                double axis[3];
                toView(v->matrix, c->cUniv, axis);
                if (!near(axis[2], c->zSup)) fail("cUniv height", v->viewNumber, p->id);
                if (angleFromEnds && std::fabs(c->secAng - std::atan2(c->rSup - c->rInf, c->zSup - c->zInf)) > 1e-12)
                    fail("half section angle", v->viewNumber, p->id);
            }
        }
    }
    return problems;
}

// The segments of a point as "zSup:rSup>zInf:rInf" from the top, blank-separated, to one decimal.
inline std::string chain(const POINT_LIST* p) {
    std::string text;
    char item[96];
    for (const CYL_LIST* c = p ? p->firstCyl : nullptr; c; c = c->next) {
        std::snprintf(item, sizeof item, "%s%.1f:%.1f>%.1f:%.1f", text.empty() ? "" : " ", c->zSup + 0.0,
                      c->rSup + 0.0, c->zInf + 0.0, c->rInf + 0.0);
        text += item;
    }
    return text;
}

inline VIEW_LIST* findView(VIEW_LIST* head, int number) {
    for (VIEW_LIST* v = head; v; v = v->next)
        if (v->viewNumber == number) return v;
    return nullptr;
}
inline POINT_LIST* firstPointOf(VIEW_LIST* head, int number) {
    VIEW_LIST* v = findView(head, number);
    return v ? v->firstPoint : nullptr;
}

}  // namespace hand_tree
