// The last stages of form recognition: the holes that cannot be reached leave the tree, empty views go, and
// every view gets its host view, its place in the sorted order and its number.
#include <unordered_set>

#include "plugin/base/globals.h"
#include "plugin/base/host_views.h"
#include "plugin/engine/hole_classes.h"
#include "plugin/base/directions.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/model/view_order.h"
#include "plugin/model/work_records.h"
#include "plugin/services/recognition.h"

void unlinkHole(VIEW_LIST* view, POINT_LIST* hole, CMoveIndex* index) { unlinkPoint(view, hole, index); }

void dropUnreachableHoles(VIEW_LIST* tree, const ALLOWED_VIEWS& allowed) {
    for (VIEW_LIST* view = tree; view; view = view->next) {
        if (isDirInSelViews(allowed, view->matrix[2], 0) == 1) continue;
        std::unordered_set<POINT_LIST*> dropped;
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next) {
            if (hole->chainMember) {
                if (hole->crashInto) dropped.insert(hole);
                continue;
            }
            bool crashes = false;
            for (const POINT_LIST* m = hole; m && !crashes; m = m->nextEqual) crashes = m->crashInto != 0;
            if (!crashes) continue;
            for (POINT_LIST* m = hole; m; m = m->nextEqual) dropped.insert(m);
        }
        for (POINT_LIST* hole = view->firstPoint; hole;) {
            POINT_LIST* next = hole->next;
            if (dropped.count(hole)) {
                unlinkHole(view, hole);
                freePointList(hole);
            }
            hole = next;
        }
    }
}

VIEW_LIST* freeEmptyViews(VIEW_LIST* head) {
    for (VIEW_LIST* view = head; view;) {
        VIEW_LIST* next = view->next;
        if (!view->firstPoint) {
            if (view->prev) view->prev->next = next;
            else head = next;
            if (next) next->prev = view->prev;
            freeViewList(view);
        }
        view = next;
    }
    return head;
}

int finishViews(VIEW_LIST*& head) {
    PLUGIN_GLOBALS& g = *g_globals;
    const PRM_SETTINGS& s = g.settings;
    head = freeEmptyViews(head);
    g_records->viewsTree = head;
    for (VIEW_LIST* view = head; view; view = view->next)
        if (getOrCreateHostView(view, s.viewsSortOrder, s.newViewsOrientation, s.nameNewViews) < 0) return -1;
    head = sortViews(head, s.viewsSortOrder);
    g_records->viewsTree = head;
    std::int16_t index = 0;
    for (VIEW_LIST* view = head; view; view = view->next) {
        view->orderNumber = ++index;
        // The marks the moves left are the recognition's: none outlives its last stage.
        view->passMark = 0;
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next) hole->movedMark = 0;
    }
    return 0;
}
