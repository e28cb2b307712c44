// The pipeline's own stages: RemovePockets (10), SetEntry (16) and the final sweep of empty holes and
// views (20). Chains run from the top (`firstCyl`) down, zSup above zInf in the view's frame; T and 4T are
// g_tolerances.tolT and tol4T; sweep angles are radians, the open-arc setting degrees.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/pipeline_raw.h"
#include "plugin/recognition/segment_ends.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "plugin/services/recognition.h"

namespace {

// pi plus 0.1 degree: a setting above a half turn still leaves full turns out.
constexpr double kPocketAngleCeiling = 3.143337982841786;

void freeFrom(CYL_LIST* cyl) {
    while (cyl) {
        CYL_LIST* next = cyl->next;
        freeCylList(cyl);
        cyl = next;
    }
}

void emptyPoint(POINT_LIST* point) {
    freeFrom(point->firstCyl);
    point->firstCyl = nullptr;
    point->cylCount = 0;
}

// A pocket reaching in from the top: a segment with a wide floor ring under a chain of partial walls, or
// a first segment that is a partial wall deeper than it is wide.
bool isTopPocketEnd(const CYL_LIST* s, bool first, bool partialSoFar, double limit) {
    const double t = g_tolerances.tolT;
    if (s->bottomFlat && s->rInf + g_tolerances.tol4T < s->rFlatMaxBtm && partialSoFar) return true;
    return first && t < s->rSup && std::fabs(s->Asw) < limit &&
           std::max(s->rSup, s->rInf) < std::fabs(s->zSup - s->zInf);
}

void removePocketFromTop(const VIEW_LIST* view, POINT_LIST* point, double limit) {
    bool partialSoFar = true;
    int count = 0;
    for (CYL_LIST* s = point->firstCyl; s; s = s->next) {
        ++count;
        partialSoFar = partialSoFar && std::fabs(s->Asw) <= limit;
        if (!isTopPocketEnd(s, s == point->firstCyl, partialSoFar, limit)) continue;
        CYL_LIST* rest = s->next;
        if (!rest) {
            noteDroppedSegments(DROP_RULE::Pocket, point->firstCyl);
            emptyPoint(point);
            return;
        }
        s->next = nullptr;
        rest->prev = nullptr;
        noteDroppedSegments(DROP_RULE::Pocket, point->firstCyl);
        freeFrom(point->firstCyl);
        point->firstCyl = rest;
        point->cylCount -= count;
        copyVector(point->ptUniv, rest->cUniv);
        double t[3][3];
        transpose_matrix_33(view->matrix, t);
        mul_mat_vector(t, rest->cUniv, point->ptView);
        return;
    }
}

bool partialToEnd(const CYL_LIST* s, double limit) {
    for (; s; s = s->next)
        if (std::fabs(s->Asw) > limit) return false;
    return true;
}

void removePocketFromBottom(POINT_LIST* point, double limit) {
    for (CYL_LIST* s = point->firstCyl; s; s = s->next) {
        const bool ringPocket = s->topFlat && s->rSup + g_tolerances.tol4T < s->rFlatMaxTop && partialToEnd(s, limit);
        const bool slotPocket = !s->next && std::fabs(s->Asw) < limit && s->rSup < std::fabs(s->zSup - s->zInf);
        if (!ringPocket && !slotPocket) continue;
        noteDroppedSegments(DROP_RULE::Pocket, s);
        if (!s->prev) {
            emptyPoint(point);
            return;
        }
        s->prev->next = nullptr;
        for (CYL_LIST* c = s; c; c = c->next) --point->cylCount;
        freeFrom(s);
        return;
    }
}

// The hole is entered from the other side: its mouth is narrower than its open far end, or its shoulders
// face the other way.
bool enteredFromBelow(const POINT_LIST* point) {
    const CYL_LIST* first = point->firstCyl;
    const CYL_LIST* last = lastCyl(point);
    if (first->rSup + g_tolerances.tol04T < last->rInf && !last->bottomFlat) return true;
    if (first->topFlat && last->bottomFlat && first->rFlatMinTop < last->rFlatMinBtm) return true;
    return first->topFlat && !last->bottomFlat;
}

void unlinkPoint(VIEW_LIST* view, POINT_LIST* point) {
    if (point->prev) point->prev->next = point->next;
    else view->firstPoint = point->next;
    if (point->next) point->next->prev = point->prev;
    point->prev = point->next = nullptr;
}

}  // namespace

int cylsRemovePockets(VIEW_LIST* tree) {
    const double limit = std::min(g_globals->settings.minSweepAngle * std::numbers::pi / 180.0, kPocketAngleCeiling);
    for (VIEW_LIST* view = tree; view; view = view->next)
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) {
            removePocketFromTop(view, point, limit);
            removePocketFromBottom(point, limit);
        }
    return 0;
}

int cylsSetEntry(VIEW_LIST* tree) {
    // One index for the stage keeps finding the opposite view and its last hole cheap on large parts.
    const std::unique_ptr<CMoveIndex> moveIndex = makeMoveIndex();
    CMoveIndex& index = *moveIndex;
    for (VIEW_LIST* view = tree; view; view = view->next) {
        if (view->passMark != 0) continue;
        for (POINT_LIST* point = view->firstPoint; point;) {
            POINT_LIST* next = point->next;
            if (point->firstCyl && enteredFromBelow(point)) {
                const int moved = movePointToView(tree, view, point, &index);
                if (moved < 0) return moved;
            }
            point = next;
        }
    }
    for (VIEW_LIST* view = tree; view; view = view->next) view->passMark = 0;
    return 0;
}

VIEW_LIST* eraseVoidViews(VIEW_LIST* tree) {
    for (VIEW_LIST* view = tree; view; view = view->next)
        for (POINT_LIST* point = view->firstPoint; point;) {
            POINT_LIST* next = point->next;
            if (point->cylCount < 1 || !point->firstCyl) {
                unlinkPoint(view, point);
                freePointList(point);
                --view->pointCount;
            }
            point = next;
        }
    for (VIEW_LIST* view = tree; view;) {
        VIEW_LIST* next = view->next;
        // A view whose count went wrong elsewhere but has no hole left goes too: the tree's invariants hold
        // for the caller either way.
        if (view->pointCount < 1 || !view->firstPoint) {
            if (view->prev) view->prev->next = next;
            else tree = next;
            if (next) next->prev = view->prev;
            for (POINT_LIST* point = view->firstPoint; point;) {
                POINT_LIST* after = point->next;
                freePointList(point);
                point = after;
            }
            freeViewList(view);
        }
        view = next;
    }
    for (VIEW_LIST* view = tree; view; view = view->next)
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) point->movedMark = 0;
    return tree;
}
