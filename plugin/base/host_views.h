// Host views for the recognised drilling directions: the nearest host view of a direction, named views,
// the work coordinate system (WCS), turning a direction into a host view oriented as the settings ask
// (making host views and named views where none fits), and the display name of a view.
// A view matrix has rows X, Y, Z in world coordinates, Z the direction; angles are radians. NamedViews
// holds the six standard views first; the named views proper start at index kFirstNamedView. "The angle
// tolerance" is g_tolerances.axisAngle.
#pragma once
#include <cstdint>
#include <string>

#include "host/api.h"

constexpr int kFirstNamedView = 6;

// Orientation modes of getOrCreateHostView (settings ProcessMach 49).
constexpr int kKeepOrientation = 0;
constexpr int kXToReference = 1;   // the view's X axis turned towards the reference axis
constexpr int kYToReference = 2;   // its Y axis turned towards it
constexpr int kXLevel = 3;         // its X axis level, its Y axis upwards

// Results of nearestView.
constexpr int kNearStandard = 1;
constexpr int kNearNamed = 2;

// The host view whose axis is nearest to the matrix's Z row: the standard views 1-6, then the named views
// not made during the current recognition (PLUGIN_GLOBALS::createdViewIds); on equal angles the earlier
// one, so a standard view wins. The view number, the named view's id (0 for a standard view) and the
// angle between the axes. Returns kNearStandard, kNearNamed or 0 when none.
int nearestView(const double matrix[3][3], int* viewNumber, std::uint32_t* viewId, double* angle);

// 1 and a copy of the first named view with that host view number (when `out` is given); 0 when none.
int getNamedView(int viewNumber, view_ent* out = nullptr);

// The view turned about its own Z axis by `angle`; angles below 0.001 degree leave it as it is.
void rotateViewAboutZ(const double matrix[3][3], double out[3][3], double angle);

// The WCS: its matrix, its id's low 16 bits (when `id` is given); returns its host view number.
int getWcsMatrix(double matrix[3][3], std::int16_t* id = nullptr);

// The first standard view 1-6 which, taken in the WCS, has the matrix's direction: the matrix becomes that
// view's matrix in world axes and its number is returned; 0 (matrix unchanged) when none.
int findWcsStandardView(double matrix[3][3]);

// The level direction of the view's XY plane in its own axes (Z 0, unit): where the line from the tip of X
// to the tip of X + Y meets the plane through the origin normal to `referenceZ`. 0; 1 and (1, 0) when the
// line runs parallel to that plane.
int levelAxisInView(const double matrix[3][3], const double referenceZ[3], double out[2]);

// What a recognised direction knows of its host view (the fields of VIEW_LIST of the same names).
struct HOST_VIEW_REF {
    double matrix[3][3] = {};
    std::int16_t viewNumber = 0;
    std::int16_t idn = 0;
    std::uint16_t wcsViewNumber = 0;
    std::uint16_t nearNamedViewId = 0;
    std::uint16_t nearViewNumber = 0;
    double nearAngle = 0;
    bool matrixSet = false;   // the call gave the view a matrix (what hangs on it must follow)
};

// Gives the direction a host view (its view number, idn, matrix and the description fields).
// `referenceAxis` 1 X, 2 Y, other Z of the WCS (world when it is off) for modes 1 and 2; `createNamed` asks
// for a named view where no existing view fits. Returns 0, or -1 after the message "ErrorMessages" 140 when
// the host can neither find nor make the view.
[[nodiscard]] int orientToHostView(HOST_VIEW_REF& view, int referenceAxis, int mode, int createNamed);

// The display name of a view: its named view's name, a standard view's host name (with "ViewNames" 30 when
// it is a WCS standard view), "" for no view, or "ViewNames" 7 with the number and, when known, the angle
// to the nearest view ("ViewNames" 20).
std::string viewText(int viewNumber, int idn, int wcsViewNumber, int nearNamedViewId, int nearViewNumber,
                     double nearAngle);
