// The recognition pipeline: the part's visible surfaces of revolution become the recognition tree
// (tree.h) of directions, hole positions and segments, which twenty numbered stages then clean.
// Frames as in tree.h: a point goes into a view with transpose(matrix) x p; z runs along the view's Z row.
// T is g_tolerances.tolT; lengths in the part's units. Read tree.h and directions.h first.
#pragma once
#include <cstdint>
#include "plugin/services/recognition.h"

struct VIEW_LIST;
class CProgressBox;
class CTabColsDesc;

// Surfaces on visible levels that the last raw build walked; the checks after the pipeline pace their
// progress steps by it.
extern std::int32_t g_surfaceCount;

// Stage 10: cuts off the part of a chain that is a pocket opened sideways or a floor wider than the hole
// (from the top, then from the bottom). Points left without segments stay for stage 20. Returns 0.
int cylsRemovePockets(VIEW_LIST* tree);
// Stage 16: moves into the opposite view every hole whose mouth is narrower than its far end or whose
// shoulders say it is entered from below. Views marked by an earlier move are skipped; every mark is cleared
// at the end. Returns 0, or the negative result of movePointToView.
[[nodiscard]] int cylsSetEntry(VIEW_LIST* tree);
// Stage 20: frees every point without segments and then every view without points; clears the moved marks
// of the points left. Returns the new head (null when nothing is left).
[[nodiscard]] VIEW_LIST* eraseVoidViews(VIEW_LIST* tree);
