// The splitting and erasing stages. Notation: s a segment, n its successor; "cone" is a segment whose
// radii differ by more than T (T or more where the end states of segment_ends.h decide); z runs along the
// view's Z row with `zSup` above `zInf`. Moves go through segment_ends.h with one CMoveIndex per stage, so
// a stage stays linear in the number of holes. Released records are freed at once.
#include "plugin/recognition/split_chains.h"
#include "plugin/recognition/pipeline_raw.h"

#include <algorithm>
#include <cmath>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/directions.h"
#include "plugin/recognition/segment_ends.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "plugin/services/recognition.h"

namespace {

double tolT() { return g_tolerances.tolT; }

double minRadius(const CYL_LIST* s) { return std::fmin(s->rSup, s->rInf); }
bool isConeBeyondT(const CYL_LIST* s) { return std::fabs(s->rSup - s->rInf) > tolT(); }

void freeCylsFrom(CYL_LIST* cyl) {
    while (cyl) {
        CYL_LIST* next = cyl->next;
        freeCylList(cyl);
        cyl = next;
    }
}

// Cuts the chain after `s`: everything below leaves the chain and is returned; `cylCount` follows.
CYL_LIST* cutAfter(POINT_LIST* point, CYL_LIST* s) {
    CYL_LIST* tail = s->next;
    s->next = nullptr;
    if (tail) tail->prev = nullptr;
    point->cylCount = countCyls(point);
    return tail;
}

// The point's position follows its first segment: `ptUniv` its axis point, `ptView` that in the view's frame.
void placeAtFirstCyl(POINT_LIST* point, const VIEW_LIST* view) {
    copyVector(point->ptUniv, point->firstCyl->cUniv);
    double toView[3][3];
    transpose_matrix_33(view->matrix, toView);
    mul_mat_vector(toView, point->ptUniv, point->ptView);
}

void unlinkPoint(VIEW_LIST* view, POINT_LIST* point) {
    if (point->prev) point->prev->next = point->next;
    else view->firstPoint = point->next;
    if (point->next) point->next->prev = point->prev;
    point->prev = point->next = nullptr;
    --view->pointCount;
}

void releasePoint(VIEW_LIST* view, POINT_LIST* point) {
    unlinkPoint(view, point);
    freePointList(point);
}

bool isFailed(const POINT_LIST* moved) { return moved == moveFailed(); }

// A wall between s and its successor n: a closed end meeting an open or a closed one. A ring meeting a
// closed end is left to the stages that read shoulders.
bool isWallBetween(const CYL_LIST* s, const CYL_LIST* n) {
    const int b = bottomEndState(s);
    const int t = topEndState(n);
    return (b == kEndClosed && t == kEndClosed) || (b == kEndOpen && t == kEndClosed) ||
           (b == kEndClosed && t == kEndOpen);
}

// The part below a wall: released when the opposite direction may not be drilled, else handed, flipped,
// to a new point of the opposite view. A position already taken there does not stop it (unlike
// splitPointToOppView), and the hills stay behind. 0, or -1 on failure.
int splitAtWall(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point, CYL_LIST* s, CMoveIndex& index,
                const ALLOWED_VIEWS& allowedViews) {
    const int opposite = getOppositeView(view->viewNumber);
    if (opposite < 0) return -1;
    double matrix[3][3] = {};
    (void)get_view_matrix(opposite, matrix);
    const bool allowed = isDirInSelViews(allowedViews, matrix[2], 0) == kSameSense;

    CYL_LIST* tail = cutAfter(point, s);
    if (!allowed) {
        noteDroppedSegments(DROP_RULE::Direction, tail);
        freeCylsFrom(tail);
        return 0;
    }
    VIEW_LIST* oppView = findOrCreateOppView(head, view, &index);
    POINT_LIST* moved = oppView ? newReceivingPoint(oppView) : nullptr;
    if (!moved) {
        freeCylsFrom(tail);
        return -1;
    }
    // Re-homed before it is linked, so the index records the position it ends at.
    rehomeChain(moved, oppView, tail);
    appendPointToView(oppView, moved, &index);
    return 0;
}

// Whether the part of the chain from `s` down may be drilled from the other side: the first cone met
// decides (narrowing downwards refuses, widening accepts), a closed cylinder before it refuses.
bool farPartEntersFromBelow(const CYL_LIST* s) {
    for (; s; s = s->next) {
        if (isConeBeyondT(s)) return s->rInf >= s->rSup;
        if (s->topClosed || s->bottomClosed) return false;
    }
    return true;
}

// The segment of a twin split candidate: the narrowest, and among those within T of it, the one whose
// middle lies nearest the middle of the chain. Its radius is the smaller of its two.
struct NECK {
    CYL_LIST* segment;
    double radius;
};

NECK narrowestSegment(CYL_LIST* first, double chainMid) {
    NECK best{first, first->rSup};
    double bestMid = (first->zSup + first->zInf) / 2;
    for (CYL_LIST* s = first; s; s = s->next) {
        const double r = minRadius(s);
        const double mid = (s->zSup + s->zInf) / 2;
        const double gap = std::fabs(r - best.radius);
        if ((gap >= tolT() && r < best.radius) ||
            (gap < tolT() && std::fabs(mid - chainMid) < std::fabs(bestMid - chainMid))) {
            best = {s, r};
            bestMid = mid;
        }
    }
    return best;
}

bool narrowerBelowTop(const CYL_LIST* first) {
    const double limit = first->rSup - tolT();
    for (const CYL_LIST* s = first; s; s = s->next)
        if (s->rSup < limit || s->rInf < limit) return true;
    return false;
}

// Walking up from the last segment while the lower segment of each pair has no bottom flat.
bool narrowerAboveBottom(const CYL_LIST* last) {
    const double limit = last->rInf - tolT();
    for (const CYL_LIST* lower = last; !lower->bottomFlat && lower->prev; lower = lower->prev) {
        const CYL_LIST* upper = lower->prev;
        if (upper->rInf < limit || upper->rSup < limit) return true;
    }
    return false;
}

// A cylindrical neck: an even run of neck-wide segments with an axial gap inside is cut at the gap (two
// holes meeting from both sides); otherwise the neck is cut at its mid-height.
POINT_LIST* splitCylindricalNeck(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point, const NECK& neck,
                                 CMoveIndex& index) {
    CYL_LIST* runFirst = point->firstCyl;
    while (runFirst && !(std::fabs(minRadius(runFirst) - neck.radius) < tolT())) runFirst = runFirst->next;
    int runLength = 0;
    CYL_LIST* runLast = nullptr;
    for (CYL_LIST* s = runFirst; s && std::fabs(minRadius(s) - neck.radius) <= tolT(); s = s->next) {
        ++runLength;
        runLast = s;
    }
    if (runLength > 0 && runLength % 2 == 0) {
        for (CYL_LIST* s = runFirst; s != runLast; s = s->next)
            if (std::fabs(s->zInf - s->next->zSup) > 4 * tolT()) return splitPointToOppView(head, view, point, s, &index);
    }
    return splitPointToOppView2(head, view, point, neck.segment, &index);
}

// Twin split of one point. Null when nothing was split, moveFailed() on failure.
POINT_LIST* splitTwin(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point, CMoveIndex& index) {
    CYL_LIST* first = point->firstCyl;
    CYL_LIST* last = lastCyl(point);
    if (!narrowerBelowTop(first) || !narrowerAboveBottom(last)) return nullptr;

    const double length = first->zSup - last->zInf;
    const NECK neck = narrowestSegment(first, (first->zSup + last->zInf) / 2);
    CYL_LIST* best = neck.segment;
    POINT_LIST* moved = nullptr;
    bool pointGone = false;
    const std::int32_t pointId = point->id;

    if (std::fabs(best->rSup - best->rInf) <= tolT()) {
        moved = splitCylindricalNeck(head, view, point, neck, index);
    } else if (best->rSup <= best->rInf) {
        // Narrowest at its top: cut above it.
        if (!best->prev) return nullptr;
        moved = splitPointToOppView(head, view, point, best->prev, &index);
    } else {
        // Narrowest at its bottom: cut below it; a bulge above it (a segment widening downwards) goes too.
        moved = splitPointToOppView(head, view, point, best, &index);
        CYL_LIST* above = best->prev;
        if (!isFailed(moved) && above && above->rSup < above->rInf) {
            if (above == point->firstCyl) {
                releasePoint(view, point);
                index.forget(view);
                pointGone = true;
            } else {
                freeCylsFrom(cutAfter(point, above->prev));
            }
        }
    }
    if (isFailed(moved) || !moved) return moved;
    moved->neckSplitted = 1;
    moved->splitPartnerId = pointId;
    moved->splitFarZ = moved->ptView[2] - length;
    if (!pointGone) {
        point->neckSplitted = 1;
        point->splitPartnerId = moved->id;
        point->splitFarZ = point->ptView[2] - length;
    }
    return moved;
}

// One chain of the far split: the first segment behind a long gap that the chain has not widened above,
// whose lower part may be drilled from the other side, starts the part that moves. 0, or -1 on failure.
// A cone widening downwards makes a chamber once a wall follows it closely; right before the long gap it
// is the flare at the end of a bore (a chamfer on the inner face of a wall, the foot of an insert), and the
// hole in the far wall is drilled from its own side rather than by a drill sent through the gap.
int splitFar(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point, CMoveIndex& index) {
    const auto widens = [](const CYL_LIST* s) { return isConeBeyondT(s) && s->rInf > s->rSup; };
    const CYL_LIST* top = point->firstCyl;
    bool widened = false;
    bool flare = widens(top);   // the segment above widens downwards, and nothing has followed it closely yet
    const CYL_LIST* previous = top;
    for (CYL_LIST* s = top->next; s; s = s->next) {
        const bool far = std::fabs(previous->zInf - s->zSup) > 40 * s->rSup;
        if (flare && !far) widened = true;
        flare = widens(s);
        if (!widened && !flare && far && farPartEntersFromBelow(s)) {
            POINT_LIST* moved = splitPointToOppView(head, view, point, s->prev, &index);
            if (isFailed(moved)) return -1;
            if (moved) point->farSplitted = moved->farSplitted = 1;
            return 0;
        }
        if (std::fabs(s->rSup - previous->rInf) > tolT() && s->rSup > previous->rInf) widened = true;
        previous = s;
    }
    return 0;
}

// Erase-below for one point.
void eraseBeyondClosedEnd(VIEW_LIST* view, POINT_LIST* point) {
    for (CYL_LIST* s = point->firstCyl; s; s = s->next) {
        const bool bottomClosed = bottomEndState(s) == kEndClosed;
        const bool topClosed = topEndState(s) == kEndClosed;
        if (!bottomClosed && !topClosed) continue;
        if (bottomClosed && topClosed) {
            noteDroppedSegments(DROP_RULE::Closed, point->firstCyl);
            releasePoint(view, point);
        } else if (bottomClosed) {
            CYL_LIST* beyond = cutAfter(point, s);
            noteDroppedSegments(DROP_RULE::BeyondClosedEnd, beyond);
            freeCylsFrom(beyond);
        } else if (s->prev) {
            CYL_LIST* above = point->firstCyl;
            s->prev->next = nullptr;
            s->prev = nullptr;
            point->firstCyl = s;
            noteDroppedSegments(DROP_RULE::BeyondClosedEnd, above);
            freeCylsFrom(above);
            point->cylCount = countCyls(point);
            placeAtFirstCyl(point, view);
        }
        return;
    }
}

// Cuts the cone `s` down to start at radius `limit`, keeping its section angle; its axis point follows
// the new top along the view's axis.
void trimConeTop(CYL_LIST* s, const VIEW_LIST* view, double limit) {
    s->rSup = limit;
    const double slope = std::tan(s->secAng);
    // A section angle that disagrees with the radii (0, or not a number) leaves the height alone rather
    // than dividing by nothing.
    if (std::isfinite(slope) && slope != 0) s->zSup = s->zInf + (s->rSup - s->rInf) / slope;
    double toView[3][3];
    transpose_matrix_33(view->matrix, toView);
    double local[3];
    mul_mat_vector(toView, s->cUniv, local);
    local[2] = s->zSup;
    mul_mat_vector(view->matrix, local, s->cUniv);
}

void appendSecondHalfOfEnts(const CYL_LIST* from, CYL_LIST* to) {
    const int count = from->entCount < 0 ? 0 : from->entCount > kMaxCylEnts ? kMaxCylEnts : from->entCount;
    for (int i = count / 2; i < count && to->entCount < kMaxCylEnts; ++i) to->ents[to->entCount++] = from->ents[i];
}

void eraseCaverns(std::uint16_t mode, VIEW_LIST* view, POINT_LIST* point) {
    double limit = point->firstCyl->rSup;
    for (CYL_LIST* s = point->firstCyl; s;) {
        CYL_LIST* next = s->next;
        const bool wider = s->rSup > limit + tolT() || s->rInf > limit + tolT();
        if (!wider) {
            limit = s->rInf;
        } else if (s->rInf < limit - tolT()) {
            trimConeTop(s, view, limit);
            limit = s->rInf;
        } else if (next) {
            if (s->bottomFlat && s->rFlatMinBtm < limit - tolT()) appendSecondHalfOfEnts(s, next);
            if (mode == 1) {
                if (s->topFlat) {
                    s->rSup = s->rFlatMinTop;
                    s->topFlat = 0;
                    s->rFlatMinTop = 0;
                }
                if (s->bottomFlat) {
                    s->rInf = s->rFlatMinBtm;
                    s->bottomFlat = 0;
                    s->rFlatMinBtm = 0;
                }
            } else {
                noteDroppedSegment(DROP_RULE::Undercut, *s);
                const bool wasTop = !s->prev;
                next->prev = s->prev;
                if (wasTop) point->firstCyl = next;
                else s->prev->next = next;
                freeCylList(s);
                --point->cylCount;
                if (wasTop) placeAtFirstCyl(point, view);
            }
        }
        s = next;
    }
}

// Walks every point of every view, taking the next point before the point is worked on. `visit` returns
// 0 to go on, -1 to end the walk.
template <class Visit>
int forEachPoint(VIEW_LIST* head, Visit visit) {
    for (VIEW_LIST* view = head; view; view = view->next) {
        for (POINT_LIST* point = view->firstPoint; point;) {
            POINT_LIST* next = point->next;
            if (point->firstCyl && visit(view, point) < 0) return -1;
            point = next;
        }
    }
    return 0;
}

}  // namespace

int cylsSplitTipTool(VIEW_LIST* head, const ALLOWED_VIEWS& allowed) {
    const std::unique_ptr<CMoveIndex> moveIndex = makeMoveIndex();
    CMoveIndex& index = *moveIndex;
    for (VIEW_LIST* view = head; view; view = view->next) {
        if (view->passMark) continue;
        for (POINT_LIST* point = view->firstPoint; point;) {
            POINT_LIST* next = point->next;
            for (CYL_LIST* s = point->firstCyl; s && s->next; s = s->next) {
                if (!isWallBetween(s, s->next)) continue;
                if (splitAtWall(head, view, point, s, index, allowed) < 0) return -1;
                break;
            }
            point = next;
        }
    }
    for (VIEW_LIST* view = head; view; view = view->next) view->passMark = 0;
    return 0;
}

int cylsEraAOpq(VIEW_LIST* head) {
    return forEachPoint(head, [](VIEW_LIST* view, POINT_LIST* point) {
        if (topEndState(point->firstCyl) != kEndOpen && bottomEndState(lastCyl(point)) != kEndOpen) {
            noteDroppedSegments(DROP_RULE::Closed, point->firstCyl);
            releasePoint(view, point);
        }
        return 0;
    });
}

// Walks every hole of the views not marked by a pass (clearing the marks) with one move index; `split`
// returns false to end the walk with -1. A split may release the hole, so the next one is taken first.
template <class Split>
int forEachUnmarkedPoint(VIEW_LIST* head, Split split) {
    const std::unique_ptr<CMoveIndex> moveIndex = makeMoveIndex();
    CMoveIndex& index = *moveIndex;
    for (VIEW_LIST* view = head; view; view = view->next) {
        if (view->passMark) {
            view->passMark = 0;
            continue;
        }
        for (POINT_LIST* point = view->firstPoint; point;) {
            POINT_LIST* next = point->next;
            if (!split(view, point, index)) return -1;
            point = next;
        }
    }
    return 0;
}

int cylsSplitFar(VIEW_LIST* head) {
    return forEachUnmarkedPoint(head, [head](VIEW_LIST* view, POINT_LIST* point, CMoveIndex& index) {
        return !point->firstCyl || splitFar(head, view, point, index) >= 0;
    });
}

int cylsSplitTwin(VIEW_LIST* head) {
    return forEachUnmarkedPoint(head, [head](VIEW_LIST* view, POINT_LIST* point, CMoveIndex& index) {
        return !point->firstCyl || point->farSplitted || !isFailed(splitTwin(head, view, point, index));
    });
}

int cylsEraBelow(VIEW_LIST* head) {
    return forEachPoint(head, [](VIEW_LIST* view, POINT_LIST* point) {
        eraseBeyondClosedEnd(view, point);
        return 0;
    });
}

int cylsEraPointed(VIEW_LIST* head) {
    return forEachPoint(head, [](VIEW_LIST* view, POINT_LIST* point) {
        for (const CYL_LIST* s = point->firstCyl; s; s = s->next)
            if (!isConeBeyondT(s)) return 0;
        // Before the moves between views a chain may still stand the wrong way up, its point at the top:
        // its mouth, where the user looks for it, is then its bottom.
        const CYL_LIST* last = lastCyl(point);
        if (point->firstCyl->rSup > tolT() && last->rInf > tolT()) return 0;
        if (point->firstCyl->rSup > tolT()) {
            noteDroppedWholeHole(DROP_RULE::NoBore, *point);
        } else {
            double mouth[3], widest = 0;
            for (int k = 0; k < 3; ++k) mouth[k] = last->cUniv[k] - (last->zSup - last->zInf) * view->matrix[2][k];
            for (const CYL_LIST* s = point->firstCyl; s; s = s->next) widest = std::max({widest, s->rSup, s->rInf});
            noteDroppedAt(DROP_RULE::NoBore, mouth, widest);
        }
        releasePoint(view, point);
        return 0;
    });
}

int cylsEraCavern(std::uint16_t mode, VIEW_LIST* head) {
    return forEachPoint(head, [mode](VIEW_LIST* view, POINT_LIST* point) {
        eraseCaverns(mode, view, point);
        return 0;
    });
}
