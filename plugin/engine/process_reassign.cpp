// Re-assignment of a hole's process and the tree operations it needs.
#include "plugin/engine/process_reassign.h"

#include <utility>

#include "plugin/core/globals.h"
#include "plugin/engine/hole_classes.h"
#include "plugin/recognition/directions.h"
#include "plugin/recognition/segment_ends.h"
#include "plugin/recognition/tree.h"
#include "plugin/tooling/record_fields.h"

int moveHoleChainToOppView(POINT_LIST* hole) {
    if (!hole || !hole->view) return -1;
    VIEW_LIST* head = hole->view;
    while (head->prev) head = head->prev;
    // The view is had first, so that a failure moves nothing rather than dropping holes.
    VIEW_LIST* opposite = findOrCreateOppView(head, hole->view);
    if (!opposite) return -1;
    setWork<std::uint16_t>(*opposite, view_field::selected, 1);
    for (POINT_LIST* member = hole; member; member = member->nextEqual) {
        if (member->view == opposite) continue;
        if (movePointToView(head, member->view, member) != 0) return -1;
        std::swap(member->hillT, member->hillB);
        std::swap(member->touchTop, member->touchBottom);
        std::swap(member->crashTop, member->crashBottom);
        std::swap(member->crashTopZ, member->crashBottomZ);
        member->crashTopZ = -member->crashTopZ;
        member->crashBottomZ = -member->crashBottomZ;
    }
    hole->neckSplitted = 0;
    return 0;
}

VIEW_LIST* resortViews(VIEW_LIST* views) {
    VIEW_LIST* head = sortViews(freeEmptyViews(views), g_globals->settings.viewsSortOrder);
    std::int16_t counter = 1, before = 0, beforeNew = 0;
    for (VIEW_LIST* view = head; view; view = view->next) {
        const std::int16_t old = getWork<std::int16_t>(*view, view_field::toolPathGroup);
        const std::int16_t renumbered = old != 0 && view != head && old == before ? beforeNew : counter++;
        setWork<std::int16_t>(*view, view_field::toolPathGroup, renumbered);
        before = old;
        beforeNew = renumbered;
    }
    return head;
}
