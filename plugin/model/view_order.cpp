// The view order and a hole's end points.
#include "plugin/model/view_order.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/base/vectors.h"
#include "plugin/model/tree.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDegree = kPi / 180.0;
constexpr double kSortAngleTolerance = 0.05 * kDegree;

}  // namespace

double viewSortAngle(const VIEW_LIST* view, int axis) {
    double d[3];
    world_to_wcs(view->matrix[2], d);
    double angle = 0;
    switch (axis) {
        case kSortByX: angle = std::atan2(d[2], d[1]); break;
        case kSortByY: angle = std::atan2(d[2], d[0]); break;
        default: angle = std::atan2(d[1], d[0]); break;
    }
    return angle < 0 ? angle + 2 * kPi : angle;
}

double viewSortCoordinate(const VIEW_LIST* view, int axis) {
    // A view without a hole has no position along the axis; 0 keeps it in a fixed place among its group.
    if (!view->firstPoint) return 0;
    double p[3];
    world_to_wcs(view->firstPoint->ptUniv, p);
    return p[std::clamp(axis, kSortByX, kSortByZ) - 1];
}

int compareViewAngles(const VIEW_LIST* v1, const VIEW_LIST* v2, int axis) {
    if (axis < kSortByX || axis > kSortByZ) {
        if (v1->viewNumber == v2->viewNumber) return 0;
        return v1->viewNumber < v2->viewNumber ? -1 : 1;
    }
    const double a1 = viewSortAngle(v1, axis), a2 = viewSortAngle(v2, axis);
    if (std::abs(a1 - a2) >= kSortAngleTolerance) return a1 > a2 ? -1 : 1;
    const double c1 = viewSortCoordinate(v1, axis), c2 = viewSortCoordinate(v2, axis);
    if (std::abs(c1 - c2) <= g_tolerances.tolT) return 0;
    return c1 > c2 ? -1 : 1;
}

namespace {

// A view with the keys of its place. compareViewAngles alone cannot drive a sort: "within 0.05 degree"
// is not transitive (10.00, 10.04 and 10.08 degrees), and a sort handed such a comparison may order
// inconsistently or run past its range. The groups below turn the tolerances into plain integer keys.
struct SORT_ITEM {
    VIEW_LIST* view;
    int listIndex;
    double angle, coordinate;
    int angleGroup = 0, coordinateGroup = 0;
};

// Numbers runs of items, already ordered by `value` descending, in which each value lies within
// `tolerance` of the one before (`inclusive`: a gap equal to the tolerance still joins).
template <class Value>
void numberRuns(std::vector<SORT_ITEM>::iterator first, std::vector<SORT_ITEM>::iterator last, Value value,
                double tolerance, bool inclusive, int SORT_ITEM::*group) {
    int number = 0;
    for (auto it = first; it != last; ++it) {
        if (it != first) {
            const double gap = value(*(it - 1)) - value(*it);
            if (inclusive ? gap > tolerance : gap >= tolerance) ++number;
        }
        (*it).*group = number;
    }
}

// The order as sorted, for diagnosis: the angle of each view's world direction (the WCS left out) and,
// about X, the world x of its first hole. Without a sort axis there is no angle to show: 0.
void dumpViewOrder(const std::vector<SORT_ITEM>& items, int axis) {
    const bool aboutAxis = axis >= kSortByX && axis <= kSortByZ;
    std::string text = "Sorted about ";
    text += aboutAxis ? "XYZ"[axis - 1] : 'N';
    text += " axis\n";
    for (const SORT_ITEM& item : items) {
        const VIEW_LIST* v = item.view;
        double angle = 0;
        if (aboutAxis) {
            const double* d = v->matrix[2];
            angle = axis == kSortByX ? std::atan2(d[2], d[1]) : axis == kSortByY ? std::atan2(d[2], d[0])
                                                                                : std::atan2(d[1], d[0]);
            if (angle < 0) angle += 2 * kPi;
        }
        const double x = axis == kSortByX && v->firstPoint ? v->firstPoint->ptUniv[0] : 0;
        char line[96];
        std::snprintf(line, sizeof line, "%i %.4f\xB0 %.2f\n", v->viewNumber, angle / kDegree, x);
        text += line;
    }
    (void)plat::writeFile(plat::joinPath(g_globals->tmpDir, "$1_ViewsSort.txt"), text, plat::Flush::none);
}

}  // namespace

VIEW_LIST* sortViews(VIEW_LIST* head, int axis) {
    std::vector<SORT_ITEM> items;
    for (VIEW_LIST* v = head; v; v = v->next) items.push_back({v, static_cast<int>(items.size()), 0, 0});
    if (items.empty()) return head;

    if (axis < kSortByX || axis > kSortByZ) {
        std::stable_sort(items.begin(), items.end(), [](const SORT_ITEM& a, const SORT_ITEM& b) {
            return a.view->viewNumber < b.view->viewNumber;
        });
    } else {
        for (SORT_ITEM& item : items) {
            item.angle = viewSortAngle(item.view, axis);
            item.coordinate = viewSortCoordinate(item.view, axis);
        }
        std::stable_sort(items.begin(), items.end(),
                         [](const SORT_ITEM& a, const SORT_ITEM& b) { return a.angle > b.angle; });
        numberRuns(items.begin(), items.end(), [](const SORT_ITEM& i) { return i.angle; }, kSortAngleTolerance,
                   false, &SORT_ITEM::angleGroup);
        for (auto first = items.begin(); first != items.end();) {
            auto last = std::find_if(first, items.end(),
                                     [&](const SORT_ITEM& i) { return i.angleGroup != first->angleGroup; });
            std::stable_sort(first, last,
                             [](const SORT_ITEM& a, const SORT_ITEM& b) { return a.coordinate > b.coordinate; });
            numberRuns(first, last, [](const SORT_ITEM& i) { return i.coordinate; }, g_tolerances.tolT, true,
                       &SORT_ITEM::coordinateGroup);
            first = last;
        }
        std::sort(items.begin(), items.end(), [](const SORT_ITEM& a, const SORT_ITEM& b) {
            if (a.angleGroup != b.angleGroup) return a.angleGroup < b.angleGroup;
            if (a.coordinateGroup != b.coordinateGroup) return a.coordinateGroup < b.coordinateGroup;
            return a.listIndex < b.listIndex;
        });
    }

    if (g_globals.constructed() && g_globals->debugDumps) dumpViewOrder(items, axis);
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i].view->prev = i > 0 ? items[i - 1].view : nullptr;
        items[i].view->next = i + 1 < items.size() ? items[i + 1].view : nullptr;
    }
    return items.front().view;
}

void holeBottomPoint(const POINT_LIST* point, double out[6]) {
    const CYL_LIST* top = point->firstCyl;
    const CYL_LIST* bottom = lastCyl(point);
    copyVector(out, top ? top->cUniv : point->ptUniv);
    const VIEW_LIST* view = point->view;
    if (!view || !bottom) {
        copyVector(out + 3, out);
        return;
    }
    const double local[3] = {point->ptView[0], point->ptView[1], bottom->zInf};
    for (int k = 0; k < 3; ++k)
        out[3 + k] = local[0] * view->matrix[0][k] + local[1] * view->matrix[1][k] + local[2] * view->matrix[2][k];
}
