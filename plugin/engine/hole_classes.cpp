// Hole classes: the side states of each chain member, the class matrix, and the reference point's choice of
// side. A chain's members are its head and the holes linked behind it through nextEqual.
#include "plugin/engine/hole_classes.h"

#include <cmath>

#include "plugin/base/globals.h"
#include "plugin/model/ope_list.h"
#include "plugin/base/directions.h"
#include "plugin/model/tree.h"
#include "plugin/services/engine.h"

const std::int16_t kHoleClassMatrix[6][6] = {
    {5, 6, 6, 6, 6, 5}, {5, 4, 1, 1, 0, 0}, {5, 3, 0, 1, 0, 0},
    {5, 3, 3, 1, 0, 0}, {5, 2, 2, 2, 0, 0}, {5, 2, 2, 2, 2, 0},
};

int topSideState(const POINT_LIST& q, const SIDE_CONTEXT& c, bool topHill) {
    int state = 5;
    if (q.touchTop) state = topHill ? 2 : 3;
    else if (topHill && !c.headAdapted) state = 4;
    if (q.crashTop || c.notSelected) state = 1;
    if (q.firstCyl && q.firstCyl->topFlat) state = 1;
    if (c.singleFlipped) state = 1;
    return state;
}

int bottomSideState(const POINT_LIST& q, const SIDE_CONTEXT& c, bool bottomHill) {
    const bool free = !q.crashBottom && !c.notOpposite && c.simple && !q.twinSplitted && !q.farSplitted &&
                      !q.reamSplitted && !q.neckSplitted;
    int state = 1;
    if (free) {
        state = 5;
        if (q.touchBottom) state = bottomHill ? 2 : 3;
        else if (bottomHill) state = 4;
    }
    if (q.crashInto) state = 0;
    return state;
}

int holeClassOf(const POINT_LIST& q, const SIDE_CONTEXT& c) {
    bool topHill = false, bottomHill = false;
    if (std::fabs(q.hillT - q.hillB) >= g_tolerances.tolT) {
        topHill = q.hillT > q.hillB && c.simple;
        bottomHill = !topHill;
    }
    const int cls = kHoleClassMatrix[bottomSideState(q, c, bottomHill)][topSideState(q, c, topHill)];
    if (!c.simple && (cls == 6 || cls == 3 || cls == 2)) return q.crashTop ? 4 : 5;
    return cls;
}

void classifyChains(VIEW_LIST* tree, const ALLOWED_VIEWS& allowed, bool endSplits,
                    bool (*isSimple)(const ALLOWED_VIEWS& allowed, const POINT_LIST& head)) {
    for (VIEW_LIST* view = tree; view; view = view->next) {
        SIDE_CONTEXT base;
        base.notOpposite = isOppositeDirAllowed(allowed, view->matrix[2]) == 0;
        base.notSelected = isDirInSelViews(allowed, view->matrix[2], 0) != 1;
        for (POINT_LIST* head = view->firstPoint; head; head = head->next) {
            if (head->chainMember || head->descCount < 1 || !head->descs) continue;
            const CIL_DESC& last = head->descs[head->descCount - 1];
            const bool fit = last.Through != 0 && last.opeGeo != 0;
            const bool turned = last.flipped == 1;
            const bool single = head->descCount == 1;
            SIDE_CONTEXT c = base;
            c.singleFlipped = fit && turned && single;
            if (endSplits && fit) {
                if (turned && !head->crashBottom) head->endSplitMode = 1;
                else if (!turned && single) head->endSplitMode = 2;
                c.singleFlipped = false;
            }
            c.simple = isSimple(allowed, *head);
            if (single && !c.simple) c.singleFlipped = false;
            c.headAdapted = head->adaptedRow >= 0;
            for (std::int16_t& n : head->classCount) n = 0;
            for (POINT_LIST* q = head; q; q = q->nextEqual) {
                q->holeClass = static_cast<std::int16_t>(holeClassOf(*q, c));
                ++head->classCount[q->holeClass];
            }
        }
    }
}

void applyReferencePoint(VIEW_LIST* tree, const double point[3], int mode) {
    auto distance = [point](const double p[3]) {
        return std::hypot(p[0] - point[0], p[1] - point[1], p[2] - point[2]);
    };
    for (VIEW_LIST* view = tree; view; view = view->next)
        for (POINT_LIST* head = view->firstPoint; head; head = head->next) {
            if (head->chainMember || head->descCount != 1 || !head->descs ||
                head->descs[0].Through == 0)
                continue;
            const double depth = head->descs[0].L2;
            for (POINT_LIST* q = head; q; q = q->nextEqual) {
                const double local[3] = {q->ptView[0], q->ptView[1], q->ptView[2] - depth};
                double bottom[3];
                mul_mat_vector(view->matrix, local, bottom);
                const double top = distance(q->ptUniv), low = distance(bottom);
                const bool otherSide = (mode == 0 && top < low) || (mode == 1 && low < top);
                int to = q->holeClass;
                if (otherSide && (q->holeClass == 0 || q->holeClass == 1) && !q->crashBottom) to = 2;
                else if (!otherSide && (q->holeClass == 2 || q->holeClass == 3 || q->holeClass == 6)) to = 0;
                if (to == q->holeClass) continue;
                // The counts stay the sizes of the groups the members are sorted into.
                --head->classCount[q->holeClass];
                ++head->classCount[to];
                q->holeClass = static_cast<std::int16_t>(to);
            }
        }
}
