// Drilling directions: comparing them within an angle, testing them against the views the user allowed,
// and the host view of the opposite direction.
// A direction is a unit 3-vector; a view matrix is 3 x 3 doubles row by row (rows X, Y, Z in world
// coordinates, Z the direction). Angles are radians; T is g_tolerances.tolT.
#pragma once
#include <cstdint>
#include <vector>

#include "plugin/base/settings.h"

constexpr int kSameSense = 1;
constexpr int kOppositeSense = 2;

// 1 when the angle between a and b is at most `tolerance`, 2 when it is within `tolerance` of pi, else 0.
// An angle of exactly pi/2 is tested for the same sense.
int compareDirections(const double a[3], const double b[3], double tolerance);
// True when every row of `a` is in the same sense as the same row of `b`.
bool compareViewMatrices(const double a[3][3], const double b[3][3], double tolerance);

// An angle window of an allowed view: rotation about the view's X (or Y) axis from one end to the other.
struct ANGLE_WINDOW {
    bool on = false;
    double from = 0, to = 0;
};
// 1 when `direction` is reached from the view's Z axis by a rotation inside the windows, 2 when its
// reverse is, else 0. A direction on the view's X axis never passes the X window (likewise Y).
int matchViewAngles(const double matrix[3][3], const double direction[3], const ANGLE_WINDOW& x,
                    const ANGLE_WINDOW& y);

// The views the user allowed for drilling, as the settings and the part's "OSVSd01" list (brought up to date
// with the named views) gave them when they were read. A run reads them once and hands them on, so that a
// direction is never tested against a list read again for each surface.
struct ALLOWED_VIEW {
    double matrix[3][3] = {};
    ANGLE_WINDOW x, y;
};
struct ALLOWED_VIEWS {
    bool restricted = false;           // the views restriction is on
    double tolerance = 0;              // radians: the axis angle tolerance of the settings
    std::vector<ALLOWED_VIEW> views;   // the views of the list the user selected, in its order
};
// The settings' switch and tolerance; the list is read only while the restriction is on.
ALLOWED_VIEWS readAllowedViews(const PRM_SETTINGS& settings);

// Whether the allowed views take the direction: 1 in the same sense, 2 only in the opposite sense, 0 not
// at all. Everything is allowed (1) while the restriction is off. Mode 1 takes the first view that matches
// either way; other modes look on for a same-sense match.
int isDirInSelViews(const ALLOWED_VIEWS& allowed, const double direction[3], int mode);

// How many views of the list in force the user allowed (selected), whether or not the restriction is on.
int allowedViewCount();

// The host view of the opposite direction: standard views by their pairs, others found or made by the
// host. -1 after the message "ErrorMessages" 140 when the host can do neither.
int getOppositeView(int view);
