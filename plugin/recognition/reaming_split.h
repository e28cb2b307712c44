// The reaming split: the straight, open-ended segment at a through hole's far end (with an optional small
// exit chamfer) is cut off and moved, flipped, into the view of the opposite direction, so that it can be
// worked from the exit side. Works on the recognition tree in place (tree.h); T is g_tolerances.tolT,
// angles are radians.
#pragma once
#include <cstdint>
#include "plugin/services/recognition.h"

struct VIEW_LIST;
struct CYL_LIST;
class CTabColsDesc;
class CProgressBox;

// Split modes of a segment kind (settings ProcessMach 37 and 39).
constexpr int kSplitAlways = 0;
constexpr int kSplitIfDeep = 1;   // when the depth down to the segment's bottom is at least ratio x diameter
constexpr int kSplitNever = 2;

// 1 when the segment may be reamed from below: its bottom is open, and it is the last segment of its chain
// or is followed only by an exit chamfer within the angle range (either order, widened by 0.5 degree) and
// no wider than 1.05 x maxChamfer.
int isReamable(const CYL_LIST* seg, double chamferAngleA, double chamferAngleB, double maxChamfer);

