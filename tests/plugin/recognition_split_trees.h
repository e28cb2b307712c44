// Hand-made recognition trees for the splitting, erasing and dump tests: views by host view number, holes
// at (x, y) in the view's frame, segments given by their ends in that frame (z along the view's Z row).
// The tree owns its records; checkTree lists every broken link, count or order as text.
#pragma once
#include <cmath>
#include <numbers>
#include <string>

#include "host/api.h"
#include "plugin/recognition/tree.h"
#include "plugin/recognition/vectors.h"

namespace recog_n {

// The ends of one segment and its flat rings, built fluently.
struct SEG {
    double zSup, rSup, zInf, rInf;
    bool topFlat = false, topClosed = false, bottomFlat = false, bottomClosed = false;
    double rFlatMinTop = 0, rFlatMaxTop = 0, rFlatMinBtm = 0, rFlatMaxBtm = 0;

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
};
inline SEG cyl(double zSup, double zInf, double r) { return {zSup, r, zInf, r}; }
inline SEG cone(double zSup, double rSup, double zInf, double rInf) { return {zSup, rSup, zInf, rInf}; }

class TREE {
public:
    TREE() = default;
    ~TREE() { freeViewsTree(head); }
    TREE(const TREE&) = delete;
    TREE& operator=(const TREE&) = delete;

    VIEW_LIST* view(int number) {
        VIEW_LIST* v = allocViewList();
        v->viewNumber = static_cast<std::int16_t>(number);
        (void)get_view_matrix(number, v->matrix);
        VIEW_LIST* last = head;
        while (last && last->next) last = last->next;
        if (last) {
            last->next = v;
            v->prev = last;
        } else {
            head = v;
        }
        return v;
    }

    POINT_LIST* hole(VIEW_LIST* v, double x, double y, std::initializer_list<SEG> segs, int id = 0) {
        POINT_LIST* p = allocPointList();
        p->id = id ? id : nextId++;
        p->view = v;
        POINT_LIST* last = v->firstPoint;
        while (last && last->next) last = last->next;
        if (last) {
            last->next = p;
            p->prev = last;
        } else {
            v->firstPoint = p;
        }
        ++v->pointCount;
        for (const SEG& s : segs) append(p, x, y, s);
        if (!p->firstCyl) setVector(x, y, 0, p->ptView);
        return p;
    }

    VIEW_LIST* head = nullptr;
    int nextId = 1;

private:
    static void append(POINT_LIST* p, double x, double y, const SEG& s) {
        const VIEW_LIST* v = p->view;
        CYL_LIST* c = allocCylList();
        c->viewNumber = static_cast<std::uint16_t>(v->viewNumber);
        copyMatrix33(c->matrix, v->matrix);
        const double local[3] = {x, y, s.zSup};
        mul_mat_vector(v->matrix, local, c->cUniv);
        c->zSup = s.zSup;
        c->rSup = s.rSup;
        c->zInf = s.zInf;
        c->rInf = s.rInf;
        c->Asw = 2 * std::numbers::pi;
        c->secAng = std::atan2(s.rSup - s.rInf, s.zSup - s.zInf);
        c->topFlat = s.topFlat;
        c->topClosed = s.topClosed;
        c->bottomFlat = s.bottomFlat;
        c->bottomClosed = s.bottomClosed;
        c->rFlatMinTop = s.rFlatMinTop;
        c->rFlatMaxTop = s.rFlatMaxTop;
        c->rFlatMinBtm = s.rFlatMinBtm;
        c->rFlatMaxBtm = s.rFlatMaxBtm;
        CYL_LIST* last = lastCyl(p);
        if (last) {
            last->next = c;
            c->prev = last;
        } else {
            p->firstCyl = c;
            copyVector(p->ptUniv, c->cUniv);
            copyVector(p->ptView, local);
        }
        ++p->cylCount;
    }
};

inline bool near(double a, double b, double tol = 1e-9) { return std::fabs(a - b) <= tol; }

// Every link, count and order the stages must keep: views doubly linked, counts equal to the chains, each
// point's view, segments ordered from the top and carrying the view's number and matrix, each point placed
// at its first segment. Empty when all hold.
inline std::string checkTree(const VIEW_LIST* head) {
    std::string problems;
    auto fail = [&](const std::string& what, int view, int point) {
        problems += "view " + std::to_string(view) + " point " + std::to_string(point) + ": " + what + "\n";
    };
    const VIEW_LIST* prevView = nullptr;
    for (const VIEW_LIST* v = head; v; prevView = v, v = v->next) {
        if (v->prev != prevView) fail("view prev link", v->viewNumber, 0);
        if (v->pointCount != countPoints(v)) fail("pointCount", v->viewNumber, 0);
        const POINT_LIST* prevPoint = nullptr;
        for (const POINT_LIST* p = v->firstPoint; p; prevPoint = p, p = p->next) {
            if (p->prev != prevPoint) fail("point prev link", v->viewNumber, p->id);
            if (p->view != v) fail("owner view", v->viewNumber, p->id);
            if (p->cylCount != countCyls(p)) fail("cylCount", v->viewNumber, p->id);
            const CYL_LIST* prevCyl = nullptr;
            for (const CYL_LIST* c = p->firstCyl; c; prevCyl = c, c = c->next) {
                if (c->prev != prevCyl) fail("segment prev link", v->viewNumber, p->id);
                if (prevCyl && c->zSup > prevCyl->zSup + 1e-9) fail("segment order", v->viewNumber, p->id);
                if (c->viewNumber != static_cast<std::uint16_t>(v->viewNumber)) fail("segment view", v->viewNumber, p->id);
                for (int i = 0; i < 3; ++i)
                    if (!near(c->matrix[2][i], v->matrix[2][i])) fail("segment axis", v->viewNumber, p->id);
            }
            if (const CYL_LIST* top = p->firstCyl) {
                double local[3], t[3][3];
                transpose_matrix_33(v->matrix, t);
                mul_mat_vector(t, top->cUniv, local);
                for (int i = 0; i < 3; ++i)
                    if (!near(p->ptUniv[i], top->cUniv[i], 1e-7) || !near(p->ptView[i], local[i], 1e-7))
                        fail("position", v->viewNumber, p->id);
                if (!near(local[2], top->zSup, 1e-7)) fail("cUniv height", v->viewNumber, p->id);
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

}  // namespace recog_n
