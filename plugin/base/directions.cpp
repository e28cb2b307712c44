// Directions, allowed views and opposite views.
#include "plugin/base/directions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/views_list.h"
#include "plugin/base/vectors.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDegree = kPi / 180.0;
constexpr double kWindowSlack = 0.05 * kDegree;   // windows take directions just past their ends
constexpr double kAxisEpsilon = 1e-5;

double length3(const double v[3]) { return std::hypot(v[0], v[1], v[2]); }

// The angle between unit vectors whose difference (or sum) is `chord` long. Rounding can make the chord
// of opposite vectors 2.0000000000000004; the clamp keeps asin from answering NaN.
double halfChordAngle(double chord) { return 2.0 * std::asin(std::clamp(chord / 2.0, -1.0, 1.0)); }

// The angle brought into (-pi, pi] the way the stored windows were tuned: the two constants are the
// rounded values of pi and 2 pi that decide which end an angle right at +-pi lands on.
double shiftToOpposite(double angle) {
    constexpr double kPiRounded = 3.141592653589792;
    constexpr double kTwoPiRounded = 6.283185307179584;
    angle += kPiRounded;
    if (angle > kPiRounded) angle -= kTwoPiRounded;
    else if (angle < -kPiRounded) angle += kTwoPiRounded;
    return angle;
}

bool inWindow(const ANGLE_WINDOW& window, bool onAxis, double angle) {
    if (!window.on || onAxis) return false;
    const double low = std::min(window.from, window.to) - kWindowSlack;
    const double high = std::max(window.from, window.to) + kWindowSlack;
    return angle >= low && angle <= high;
}

struct DIRECTION_IN_VIEW {
    bool onX, onY, hasX, hasY;
};

bool windowsTake(const ANGLE_WINDOW& x, const ANGLE_WINDOW& y, const DIRECTION_IN_VIEW& d, double ax, double ay) {
    const bool inX = inWindow(x, d.onX, ax);
    const bool inY = inWindow(y, d.onY, ay);
    if (x.on && y.on) return inX && inY;
    return (x.on && inX && !d.hasX) || (y.on && inY && !d.hasY);
}

void errorBox(int line) {
    plat::messageBox(nullptr, errorMessage(line), errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
}

int standardOpposite(int view) {
    switch (view) {
        case 1: return 4;
        case 4: return 1;
        case 2: return 3;
        case 3: return 2;
        case 5: return 6;
        case 6: return 5;
        default: return 0;
    }
}

}  // namespace

int compareDirections(const double a[3], const double b[3], double tolerance) {
    // The side of pi/2 by the dot product's sign: exact for perpendicular axes, whose angle from the chord
    // rounds above pi/2, so that a tolerance past pi/2 would call them opposite.
    const double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    if (dot < 0) {
        // |angle - pi| from the chord of a + b. Taken as pi minus the angle from the chord of a - b, it
        // loses the digits a tight tolerance needs: asin is flat near 1, and exact opposites came out
        // 2e-8 short of pi.
        const double sum[3] = {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
        return halfChordAngle(length3(sum)) <= tolerance ? kOppositeSense : 0;
    }
    double difference[3];
    subtractVector(a, b, difference);
    return halfChordAngle(length3(difference)) <= tolerance ? kSameSense : 0;
}

bool compareViewMatrices(const double a[3][3], const double b[3][3], double tolerance) {
    for (int row = 0; row < 3; ++row)
        if (compareDirections(a[row], b[row], tolerance) != kSameSense) return false;
    return true;
}

int matchViewAngles(const double matrix[3][3], const double direction[3], const ANGLE_WINDOW& xWindow,
                    const ANGLE_WINDOW& yWindow) {
    // Into the view's frame: the dot products with its axes (the rows).
    double v[3];
    for (int row = 0; row < 3; ++row)
        v[row] = matrix[row][0] * direction[0] + matrix[row][1] * direction[1] + matrix[row][2] * direction[2];
    const double x = v[0], y = v[1], z = v[2];
    const double ax = -std::atan2(y, z);
    const double ay = std::atan2(x, z);
    const DIRECTION_IN_VIEW d{std::abs(std::abs(x) - 1) < kAxisEpsilon, std::abs(std::abs(y) - 1) < kAxisEpsilon,
                              std::abs(x) > kAxisEpsilon, std::abs(y) > kAxisEpsilon};
    if (windowsTake(xWindow, yWindow, d, ax, ay)) return kSameSense;
    if (windowsTake(xWindow, yWindow, d, shiftToOpposite(ax), shiftToOpposite(ay))) return kOppositeSense;
    return 0;
}

ALLOWED_VIEWS readAllowedViews(const PRM_SETTINGS& settings) {
    ALLOWED_VIEWS allowed;
    allowed.restricted = settings.onlySelectedViews >= 1;
    allowed.tolerance = settings.axisAngleTolerance * kDegree;
    if (!allowed.restricted) return allowed;
    COnlySelViewsListEx list;
    const int count = list.readFromPart() == 0 ? 0 : list.syncWithNamedViews();
    for (int i = 0; i < count; ++i) {
        std::uint8_t selected = 0;
        ALLOWED_VIEW view;
        list.getItemInfo(i, nullptr, nullptr, &selected, view.matrix);
        if (!selected) continue;
        const COnlySelViewsListEx::ONLY_SEL_VIEWS_ITEM item = list.getItem(i);
        view.x = ANGLE_WINDOW{item.xOn != 0, item.xFrom, item.xTo};
        view.y = ANGLE_WINDOW{item.yOn != 0, item.yFrom, item.yTo};
        allowed.views.push_back(view);
    }
    return allowed;
}

int isDirInSelViews(const ALLOWED_VIEWS& allowed, const double direction[3], int mode) {
    if (!allowed.restricted) return kSameSense;
    bool same = false, opposite = false;
    for (const ALLOWED_VIEW& view : allowed.views) {
        int r = 0;
        if (!view.x.on && !view.y.on) r = compareDirections(view.matrix[2], direction, allowed.tolerance);
        if (r == 0) r = matchViewAngles(view.matrix, direction, view.x, view.y);
        if (r == kSameSense) same = true;
        if (r == kOppositeSense) opposite = true;
        if (mode == 1 ? r != 0 : same) break;
    }
    return same ? kSameSense : opposite ? kOppositeSense : 0;
}

int allowedViewCount() {
    COnlySelViewsListEx list;
    const int count = list.readFromPart() == 0 ? 0 : list.syncWithNamedViews();
    int allowed = 0;
    for (int i = 0; i < count; ++i) {
        std::uint8_t selected = 0;
        list.getItemInfo(i, nullptr, nullptr, &selected, nullptr);
        allowed += selected != 0;
    }
    return allowed;
}

int getOppositeView(int view) {
    if (const int opposite = standardOpposite(view)) return opposite;
    double matrix[3][3];
    if (!get_view_matrix(view, matrix)) {
        // No such view: there is no direction to reverse, which is the host's failure for the caller.
        errorBox(140);
        return -1;
    }
    double reversed[3], frame[3][3];
    negateVector(matrix[2], reversed);
    make_view_k(reversed, frame);
    int number = 0;
    char found = 0;
    find_view_m(frame, &number, 1, &found);
    if (!found) {
        errorBox(140);
        return -1;
    }
    return number;
}
