// Marks that show holes in the host's graphics: a hole's surfaces moved to a marking level with its axis
// drawn there (and put back), and the label notes, axes and squares the hole labels draw on their level.
#pragma once
#include <cstdint>
#include "plugin/services/engine.h"

struct VIEW_LIST;
struct POINT_LIST;

// mode 0 moves the surfaces of the hole and of its identical chain to `level` (nothing when `level` is 0),
// with `withLine` drawing the hole's axis there; mode 1 puts them back and deletes the axis. Returns 0.
int highlightHole(POINT_LIST* hole, int mode, bool withLine, std::int32_t level);
// highlightHole with the axis for every hole that is not removed and had measures added. Returns 0.
int highlightHoles(VIEW_LIST* views, int mode, std::int32_t level);

// Replaces what the labels level shows with an axis, a label and a small square at every hole; with
// `onlyExtraViews`, the holes of the six standard views get none.
void drawHoleLabels(VIEW_LIST* views, long level, std::int16_t onlyExtraViews);
// The label notes of one hole at `point` (view coordinates) of `view`, of size `size`.
void drawViewHoleLabels(const VIEW_LIST* view, const POINT_LIST* hole, const double point[3], double size,
                        std::int32_t level);
