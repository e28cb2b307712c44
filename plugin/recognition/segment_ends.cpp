// End states, flipping and the moves into the opposite view (segment_ends.h). A world point goes into a
// view as transpose(M) p and back as M p. Flipping relies on the segment already carrying the frame it is
// flipped in: re-homing gives each segment the opposite view's matrix first, so that moving `cUniv` to
// the new (negated) top lands on the segment's old bottom.
#include "plugin/recognition/segment_ends.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/directions.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "plugin/services/recognition.h"

// ---- the index -----------------------------------------------------------------------------------------

namespace {

struct MOVE_INDEX_STATE {
    // What the index knows of one view's points. `count` is the view's pointCount when last seen: any
    // other value means the chain changed behind the index and is read again. The grid is made at the
    // first query, so that a stage that only links and unlinks never pays for it.
    struct VIEW_POINTS {
        POINT_LIST* last = nullptr;
        std::int32_t count = 0;
        double cell = 0;                                   // grid cell size: T when the grid was made
        bool gridded = false;                              // the grid holds every point but the pending ones
        std::vector<POINT_LIST*> pending;                  // linked, position not yet final: gridded at a query
        std::unordered_map<std::int64_t, std::vector<POINT_LIST*>> grid;
    };
    VIEW_LIST* head = nullptr;                             // the views were read from here
    VIEW_LIST* lastView = nullptr;
    std::unordered_map<int, VIEW_LIST*> firstOfNumber;     // first view of each host view number
    std::unordered_map<const VIEW_LIST*, VIEW_POINTS> points;
};

// The only index there is: every CMoveIndex a move is given came from makeMoveIndex.
class CMoveIndexImpl final : public CMoveIndex {
public:
    void forget(const VIEW_LIST* view) override { state.points.erase(view); }
    MOVE_INDEX_STATE state;
};

MOVE_INDEX_STATE& stateOf(CMoveIndex* index) { return static_cast<CMoveIndexImpl*>(index)->state; }

using VIEW_POINTS = MOVE_INDEX_STATE::VIEW_POINTS;

void toView(const double m[3][3], const double p[3], double out[3]) {
    double t[3][3];
    transpose_matrix_33(m, t);
    mul_mat_vector(t, p, out);
}
void toWorld(const double m[3][3], const double p[3], double out[3]) { mul_mat_vector(m, p, out); }

double distXY(const double a[3], const double b[3]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

std::int64_t cellIndex(double v, double cell) {
    const double f = std::floor(v / cell);
    if (!std::isfinite(f)) return 0;
    return static_cast<std::int64_t>(std::clamp(f, -1e9, 1e9));
}
std::int64_t cellKey(std::int64_t ix, std::int64_t iy) { return ix * 4000000007LL + iy; }

VIEW_POINTS& viewPoints(MOVE_INDEX_STATE& st, VIEW_LIST* view) {
    auto it = st.points.find(view);
    if (it != st.points.end() && it->second.count == view->pointCount && it->second.cell == g_tolerances.tolT)
        return it->second;
    VIEW_POINTS& vp = st.points[view];
    vp = VIEW_POINTS{};
    vp.count = view->pointCount;
    vp.cell = g_tolerances.tolT;
    for (POINT_LIST* p = view->firstPoint; p; p = p->next) vp.last = p;
    return vp;
}

void gridPending(const VIEW_LIST* view, VIEW_POINTS& vp) {
    if (!vp.gridded) {
        vp.pending.clear();
        for (POINT_LIST* p = view->firstPoint; p; p = p->next) vp.pending.push_back(p);
        vp.gridded = true;
    }
    for (POINT_LIST* p : vp.pending)
        vp.grid[cellKey(cellIndex(p->ptView[0], vp.cell), cellIndex(p->ptView[1], vp.cell))].push_back(p);
    vp.pending.clear();
}

// Whether a point of `view` lies within T of `pos` in the view's x and y.
bool hasPointNear(VIEW_LIST* view, const double pos[3], CMoveIndex* index) {
    const double t = g_tolerances.tolT;
    if (!index || !(t > 0)) {
        for (const POINT_LIST* p = view->firstPoint; p; p = p->next)
            if (distXY(p->ptView, pos) < t) return true;
        return false;
    }
    VIEW_POINTS& vp = viewPoints(stateOf(index), view);
    gridPending(view, vp);
    const std::int64_t ix = cellIndex(pos[0], vp.cell), iy = cellIndex(pos[1], vp.cell);
    for (std::int64_t dx = -1; dx <= 1; ++dx)
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            auto cell = vp.grid.find(cellKey(ix + dx, iy + dy));
            if (cell == vp.grid.end()) continue;
            for (const POINT_LIST* p : cell->second)
                if (distXY(p->ptView, pos) < t) return true;
        }
    return false;
}

void freeChain(CYL_LIST* cyl) {
    while (cyl) {
        CYL_LIST* next = cyl->next;
        freeCylList(cyl);
        cyl = next;
    }
}

// Segments from the top of `point` down to `segment`, counted.
std::int32_t countTo(const POINT_LIST* point, const CYL_LIST* segment) {
    std::int32_t n = 0;
    for (const CYL_LIST* c = point->firstCyl; c; c = c->next) {
        ++n;
        if (c == segment) break;
    }
    return n;
}

// Steps shared by both splits once the tail is cut off: opposite view, receiving point, the test for a
// point already there, linking and re-homing. The tail is released when it does not move.
POINT_LIST* handTailToOppView(VIEW_LIST* head, VIEW_LIST* view, const POINT_LIST* point, CYL_LIST* tail,
                              bool takeHills, CMoveIndex* index) {
    VIEW_LIST* opp = findOrCreateOppView(head, view, index);
    if (!opp) {
        freeChain(tail);
        return moveFailed();
    }
    POINT_LIST* moved = newReceivingPoint(opp);
    if (!moved) {
        freeChain(tail);
        return moveFailed();
    }
    const CYL_LIST* tailEnd = tail;
    while (tailEnd->next) tailEnd = tailEnd->next;
    copyVector(moved->ptUniv, tailEnd->cUniv);
    toView(opp->matrix, moved->ptUniv, moved->ptView);
    if (takeHills) {
        moved->hillT = point->hillB;
        moved->hillB = point->hillT;
    }
    if (hasPointNear(opp, moved->ptView, index)) {
        freePointList(moved);
        freeChain(tail);
        return nullptr;
    }
    appendPointToView(opp, moved, index);
    rehomeChain(moved, opp, tail);
    return moved;
}

}  // namespace

std::unique_ptr<CMoveIndex> makeMoveIndex() { return std::make_unique<CMoveIndexImpl>(); }

// ---- end states ----------------------------------------------------------------------------------------

int bottomEndState(const CYL_LIST* s) {
    const double t = g_tolerances.tolT;
    const bool closedFlat = s->bottomFlat && s->bottomClosed;
    if (std::abs(s->rSup - s->rInf) < t) return !s->bottomFlat ? kEndOpen : closedFlat ? kEndClosed : kEndPartlyClosed;
    if (s->rSup > s->rInf) return s->rInf < t || closedFlat ? kEndClosed : kEndPartlyClosed;
    return kEndOpen;
}

int topEndState(const CYL_LIST* s) {
    const double t = g_tolerances.tolT;
    const bool closedFlat = s->topFlat && s->topClosed;
    if (std::abs(s->rSup - s->rInf) < t) return !s->topFlat ? kEndOpen : closedFlat ? kEndClosed : kEndPartlyClosed;
    if (s->rSup > s->rInf) return kEndOpen;
    return s->rSup < t || closedFlat ? kEndClosed : kEndPartlyClosed;
}

// ---- flipping ------------------------------------------------------------------------------------------

int flipCylinder(CYL_LIST* s) {
    const double zSup = s->zSup;
    s->zSup = -s->zInf;
    s->zInf = -zSup;
    std::swap(s->rSup, s->rInf);
    s->zToric = -s->zToric;

    double local[3];
    toView(s->matrix, s->cUniv, local);
    local[2] = s->zSup;
    toWorld(s->matrix, local, s->cUniv);

    const int overlaps = std::clamp<int>(s->ovlpCount, 0, kMaxOvlp);
    for (int i = 0; i < overlaps; ++i) {
        OVLP_ENTRY& o = s->ovlp[i];
        const double oSup = o.zSup;
        o.zSup = -o.zInf;
        o.zInf = -oSup;
        std::swap(o.rSup, o.rInf);
    }

    std::swap(s->topClosed, s->bottomClosed);
    std::swap(s->topRingClosed, s->bottomRingClosed);
    std::swap(s->topFlat, s->bottomFlat);
    std::swap(s->rFlatMinTop, s->rFlatMinBtm);
    std::swap(s->rFlatMaxTop, s->rFlatMaxBtm);
    s->secAng = std::atan2(s->rSup - s->rInf, s->zSup - s->zInf);

    s->prev = s->next;
    s->next = nullptr;
    if (s->prev) s->prev->next = s;
    return 0;
}

// ---- pieces of the moves -------------------------------------------------------------------------------

VIEW_LIST* findOrCreateOppView(VIEW_LIST* head, const VIEW_LIST* view, CMoveIndex* index) {
    assert(head && "a move needs the tree it works in");
    const int number = getOppositeView(view->viewNumber);
    if (number <= 0) return nullptr;

    VIEW_LIST* last = nullptr;
    if (index) {
        MOVE_INDEX_STATE& st = stateOf(index);
        if (st.head != head || !st.lastView) {
            st.head = head;
            st.firstOfNumber.clear();
            for (VIEW_LIST* v = head; v; v = v->next) {
                st.firstOfNumber.try_emplace(v->viewNumber, v);
                st.lastView = v;
            }
        }
        while (st.lastView->next) {   // views appended behind the index's back
            st.lastView = st.lastView->next;
            st.firstOfNumber.try_emplace(st.lastView->viewNumber, st.lastView);
        }
        if (auto it = st.firstOfNumber.find(number); it != st.firstOfNumber.end()) return it->second;
        last = st.lastView;
    } else {
        for (VIEW_LIST* v = head; v; v = v->next) {
            if (v->viewNumber == number) return v;
            last = v;
        }
    }

    double matrix[3][3];
    if (!get_view_matrix(number, matrix)) {
        // The host named the view a moment ago; not having its matrix is the same failure as not having it.
        plat::messageBox(nullptr, errorMessage(140), errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
        return nullptr;
    }
    VIEW_LIST* created = allocViewList();
    if (!created) return nullptr;
    created->kind = 1;
    created->passMark = 1;
    created->viewNumber = static_cast<std::int16_t>(number);
    copyMatrix33(created->matrix, matrix);
    created->prev = last;
    last->next = created;
    if (index) {
        stateOf(index).firstOfNumber.try_emplace(number, created);
        stateOf(index).lastView = created;
    }
    return created;
}

POINT_LIST* newReceivingPoint(VIEW_LIST* view) {
    POINT_LIST* point = allocPointList();
    if (!point) return nullptr;
    point->kind = 2;
    point->id = g_nextHoleId++;
    point->view = view;
    return point;
}

void appendPointToView(VIEW_LIST* view, POINT_LIST* point, CMoveIndex* index) {
    POINT_LIST* last = nullptr;
    VIEW_POINTS* vp = index ? &viewPoints(stateOf(index), view) : nullptr;
    if (vp) {
        last = vp->last;
    } else {
        for (POINT_LIST* p = view->firstPoint; p; p = p->next) last = p;
    }
    point->view = view;
    point->prev = last;
    point->next = nullptr;
    if (last) last->next = point;
    else view->firstPoint = point;
    ++view->pointCount;
    if (vp) {
        vp->last = point;
        vp->count = view->pointCount;
        if (vp->gridded) vp->pending.push_back(point);
    }
}

void unlinkPoint(VIEW_LIST* view, POINT_LIST* point, CMoveIndex* index) {
    if (index) {
        auto& points = stateOf(index).points;
        auto it = points.find(view);
        if (it != points.end()) {
            VIEW_POINTS& vp = it->second;
            bool kept = vp.count == view->pointCount;
            if (kept && vp.last == point) vp.last = point->prev;
            if (kept && vp.gridded) {
                auto pending = std::find(vp.pending.begin(), vp.pending.end(), point);
                if (pending != vp.pending.end()) {
                    vp.pending.erase(pending);
                } else {
                    auto cell = vp.grid.find(cellKey(cellIndex(point->ptView[0], vp.cell),
                                                     cellIndex(point->ptView[1], vp.cell)));
                    auto entry = cell == vp.grid.end() ? std::vector<POINT_LIST*>::iterator{}
                                                       : std::find(cell->second.begin(), cell->second.end(), point);
                    if (cell == vp.grid.end() || entry == cell->second.end()) kept = false;
                    else cell->second.erase(entry);
                }
            }
            if (kept) vp.count = view->pointCount - 1;
            else points.erase(it);
        }
    }
    if (point->prev) point->prev->next = point->next;
    else if (view->firstPoint == point) view->firstPoint = point->next;
    if (point->next) point->next->prev = point->prev;
    point->prev = point->next = nullptr;
    --view->pointCount;
}

void rehomeChain(POINT_LIST* point, const VIEW_LIST* view, CYL_LIST* top) {
    assert(top && !top->prev && "re-homing takes a chain cut off above");
    CYL_LIST* last = top;
    while (last->next) last = last->next;
    std::int32_t count = 0;
    for (CYL_LIST* s = last;;) {
        CYL_LIST* above = s->prev;
        s->viewNumber = static_cast<std::uint16_t>(view->viewNumber);
        copyMatrix33(s->matrix, view->matrix);
        flipCylinder(s);
        ++count;
        if (s == top || !above) break;
        s = above;
    }
    point->firstCyl = last;
    point->cylCount = count;
    copyVector(point->ptUniv, last->cUniv);
    toView(view->matrix, point->ptUniv, point->ptView);
}

// ---- moves -----------------------------------------------------------------------------------------------

POINT_LIST* splitPointToOppView(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point, CYL_LIST* segment,
                                CMoveIndex* index) {
    if (!segment->next) return nullptr;
    CYL_LIST* tail = segment->next;
    segment->next = nullptr;
    tail->prev = nullptr;
    point->cylCount = countTo(point, segment);
    return handTailToOppView(head, view, point, tail, true, index);
}

POINT_LIST* splitPointToOppView2(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point, CYL_LIST* segment,
                                 CMoveIndex* index) {
    CYL_LIST* upper = allocCylListCopy(*segment);
    if (!upper) return moveFailed();
    upper->next = nullptr;
    upper->zInf = (segment->zSup + segment->zInf) / 2;
    if (point->firstCyl == segment) point->firstCyl = upper;
    else if (segment->prev) segment->prev->next = upper;
    point->cylCount = countTo(point, upper);
    segment->prev = nullptr;

    POINT_LIST* moved = handTailToOppView(head, view, point, segment, false, index);
    if (moved && moved != moveFailed()) segment->zInf = (segment->zSup + segment->zInf) / 2;
    return moved;
}

POINT_LIST* movePointToOppView(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point, CMoveIndex* index) {
    VIEW_LIST* opp = findOrCreateOppView(head, view, index);
    if (!opp) return moveFailed();
    opp->selected = 1;
    POINT_LIST* moved = newReceivingPoint(opp);
    if (!moved) return moveFailed();
    appendPointToView(opp, moved, index);

    std::vector<const CYL_LIST*> chain;
    for (const CYL_LIST* c = point->firstCyl; c; c = c->next) chain.push_back(c);
    CYL_LIST* newLast = nullptr;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        CYL_LIST* copy = allocCylListCopy(**it);
        if (!copy) return moveFailed();
        copy->prev = copy->next = nullptr;
        copy->viewNumber = static_cast<std::uint16_t>(opp->viewNumber);
        copyMatrix33(copy->matrix, opp->matrix);
        flipCylinder(copy);
        if (newLast) {
            newLast->next = copy;
            copy->prev = newLast;
        } else {
            moved->firstCyl = copy;
        }
        newLast = copy;
        ++moved->cylCount;
    }

    copyVector(moved->ptUniv, point->ptUniv);
    if (moved->firstCyl) copyVector(moved->ptUniv, moved->firstCyl->cUniv);
    toView(opp->matrix, moved->ptUniv, moved->ptView);
    moved->hillT = point->hillB;
    moved->hillB = point->hillT;
    moved->crashTop = point->crashBottom;
    moved->crashBottom = point->crashTop;
    moved->touchTop = point->touchBottom;
    moved->touchBottom = point->touchTop;
    moved->tableIndex = point->tableIndex;
    std::memcpy(moved->rowName, point->rowName, sizeof moved->rowName);
    std::memcpy(moved->processName, point->processName, sizeof moved->processName);
    moved->movedMark = 1;
    return moved;
}

int movePointToView(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point, CMoveIndex* index) {
    unlinkPoint(view, point, index);
    VIEW_LIST* opp = findOrCreateOppView(head, view, index);
    if (!opp) {
        freePointList(point);
        return -1;
    }
    appendPointToView(opp, point, index);
    if (point->firstCyl) {
        point->firstCyl->prev = nullptr;
        rehomeChain(point, opp, point->firstCyl);
    } else {
        point->cylCount = 0;
    }
    return 0;
}

VIEW_LIST* erasePointsWithoutCyls(VIEW_LIST* head) {
    for (VIEW_LIST* view = head; view;) {
        VIEW_LIST* nextView = view->next;
        for (POINT_LIST* point = view->firstPoint; point;) {
            POINT_LIST* nextPoint = point->next;
            if (point->cylCount < 1 || !point->firstCyl) {
                unlinkPoint(view, point, nullptr);
                freePointList(point);
            }
            point = nextPoint;
        }
        if (view->pointCount < 1 || !view->firstPoint) {
            if (view->prev) view->prev->next = view->next;
            else head = view->next;
            if (view->next) view->next->prev = view->prev;
            // The points of a view whose count says it is empty but whose chain is not go with it.
            for (POINT_LIST* point = view->firstPoint; point;) {
                POINT_LIST* nextPoint = point->next;
                freePointList(point);
                point = nextPoint;
            }
            freeViewList(view);
        }
        view = nextView;
    }
    return head;
}
