// The order of the tree's views for display and machining, and a hole's end points in world coordinates.
// Angles are radians; T is g_tolerances.tolT.
#pragma once
#include "plugin/model/tree.h"

struct VIEW_LIST;
struct POINT_LIST;

// Sort axes of sortViews.
constexpr int kSortByX = 1, kSortByY = 2, kSortByZ = 3;

// The view's angle about the sort axis in the WCS, in [0, 2 pi), and the coordinate of its first hole along
// that axis; what the view order is made of.
double viewSortAngle(const VIEW_LIST* view, int axis);
double viewSortCoordinate(const VIEW_LIST* view, int axis);

// -1 when v1 goes before v2, 1 after, 0 when neither. About an axis: the larger angle first when the angles
// differ by 0.05 degree or more, else the larger first-hole coordinate when they differ by more than T.
// Any other axis: ascending host view number.
int compareViewAngles(const VIEW_LIST* v1, const VIEW_LIST* v2, int axis);

// Relinks the views in display order and returns the new head. Views whose angles lie within 0.05 degree
// of a neighbour form one group (a chain of close angles is one group), ordered by the group's largest
// angle; inside a group, coordinates within T of a neighbour form a tie; ties keep their list order.
VIEW_LIST* sortViews(VIEW_LIST* head, int axis);

// The top (first segment's cUniv) and bottom (ptView x, y at the last segment's zInf, in world
// coordinates) axis points of the hole: out[0..2] top, out[3..5] bottom.
void holeBottomPoint(const POINT_LIST* point, double out[6]);
