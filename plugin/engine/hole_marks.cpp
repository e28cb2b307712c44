// Hole marks in the host's graphics: surfaces moved to a marking level and back (each segment entry keeps the
// level it came from), the hole's axis line, and the hole labels with their notes on the labels level.
#include "plugin/engine/hole_marks.h"

#include <algorithm>
#include <string>

#include "host/api.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_views.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/directions.h"
#include "plugin/model/tree.h"
#include "plugin/model/view_order.h"
#include "plugin/services/engine.h"
#include "plugin/model/ope_list.h"

namespace {

constexpr int kMarkColour = 12;
constexpr std::uint32_t kLabelEntities = 338;   // lines, notes, drafting, surfaces

void storeAxisLine(POINT_LIST& hole, std::int32_t level) {
    if (!hole.firstCyl) return;
    double axis[6];
    holeBottomPoint(&hole, axis);
    const double span[3] = {axis[3] - axis[0], axis[4] - axis[1], axis[5] - axis[2]};
    hole.axisLineId = createLineEnt(axis, span, 1.0, level, kMarkColour);
}

void deleteAxisLine(POINT_LIST& hole) {
    const std::uint32_t id = hole.axisLineId;
    if (id == 0) return;
    // Found on a hidden marking level too: the id is dropped below, so a line left now would stay for good.
    if (const db_ptr line = findEntById(id, 1, kEntLine)) delete_ent(line, 0, 0, 0, nullptr, 0);
    hole.axisLineId = 0;
}

void moveSegmentEntities(POINT_LIST& hole, int mode, std::int32_t level) {
    forEachSegmentEnt(hole, [&](CYL_ENT& entry) {
        ent e{};
        if (!entry.entry || !get_ent_from_eptr(entry.entry, &e)) return;
        if (mode == 0) {
            entry.level = e.level;
            e.level = level;
        } else if (entry.level != 0) {
            e.level = entry.level;
        }
        (void)rewrite_ent(&e, 0);
    });
}

}  // namespace

int highlightHole(POINT_LIST* hole, int mode, bool withLine, std::int32_t level) {
    if (!hole || (mode == 0 && level == 0)) return 0;
    for (POINT_LIST* member = hole; member; member = member->nextEqual) {
        moveSegmentEntities(*member, mode, level);
        if (member != hole) continue;
        if (mode == 0) {
            if (withLine) storeAxisLine(*member, level);
            else member->axisLineId = 0;
        } else {
            deleteAxisLine(*member);
        }
    }
    return 0;
}

int highlightHoles(VIEW_LIST* views, int mode, std::int32_t level) {
    if (mode == 0 && level == 0) return 0;
    for (VIEW_LIST* view = views; view; view = view->next)
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next)
            if (hole->excluded == 0 && hole->noMeasures != 0)
                (void)highlightHole(hole, mode, true, level);
    rebuild_graphics();
    return 0;
}

void drawViewHoleLabels(const VIEW_LIST* view, const POINT_LIST* hole, const double point[3], double size,
                        std::int32_t level) {
    if (!view || !hole) return;
    view_ent named;
    if (!getNamedView(view->viewNumber, &named)) {
        // A standard view has no named view of its own; its entry in the host's list names it.
        if (view->viewNumber < 1 || view->viewNumber > kFirstNamedView ||
            NamedViews.size() < static_cast<std::size_t>(kFirstNamedView))
            return;
        named = NamedViews[static_cast<std::size_t>(view->viewNumber - 1)];
    }
    // The note stands up and to the right of the hole, on a leader and an underline.
    const double corner[3] = {point[0] + 0.8 * size, point[1] + 0.4 * size, point[2]};
    ent note{};
    const std::string text = fillText("%s %i", {std::string(named.name), long{hole->id}});
    if (calc_note(&note, view->viewNumber, {corner[0], corner[1] + 0.25 * size, corner[2]}, text, 0.3 * size)) {
        db_ptr entry = 0;
        char ok = 0;
        (void)store_ent(&note, &entry, 0, kMarkColour, level, main_attrib, &ok);
    }
    double from[3], to[3], direction[3];
    mul_mat_vector(view->matrix, point, from);
    mul_mat_vector(view->matrix, corner, to);
    for (int i = 0; i < 3; ++i) direction[i] = to[i] - from[i];
    (void)createLineEnt(from, direction, 1.0, level, kMarkColour);
    (void)createLineEnt(to, view->matrix[0], 1.25 * size, level, kMarkColour);
}

void drawHoleLabels(VIEW_LIST* views, long level, std::int16_t onlyExtraViews) {
    const auto labelsLevel = static_cast<std::int32_t>(level);
    if (is_level_visible(labelsLevel)) {
        db_ptr at = db_start();
        for (;;) {
            ent e{};
            char found = 0;
            get_ent(at, 1, kLabelEntities, &e, &at, &found);
            if (!found) break;
            if (e.level == labelsLevel) delete_ent(at, 0, 0, 0, nullptr, 0);
        }
        rebuild_graphics();
    }
    const double low = 10 * g_tolerances.tol4T, high = 100 * g_tolerances.tol4T;
    for (VIEW_LIST* view = views; view; view = view->next) {
        if (onlyExtraViews && view->viewNumber < 7) continue;
        const double* direction = view->matrix[2];
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next) {
            const CYL_LIST* top = hole->firstCyl;
            const CYL_LIST* bottom = lastCyl(hole);
            if (!top || !bottom) continue;
            (void)createLineEnt(hole->ptUniv, direction, bottom->zInf - top->zSup, labelsLevel, kMarkColour);
            const double size = std::min(std::max(5 * top->rSup, low), high);
            drawViewHoleLabels(view, hole, hole->ptView, size, labelsLevel);
            const double facing[3] = {-direction[0], -direction[1], -direction[2]};
            (void)createSquareSurface(hole->ptUniv, facing, 0.2 * size, labelsLevel, kMarkColour);
        }
    }
}
