// Building blocks that the cleaning stages share: the end states of a segment, turning a segment end for
// end, the moves of a chain or a whole hole into the view of the opposite direction, and dropping empty
// holes and views. Read tree.h first. Chains run from the entry (top) down; z runs along the view's Z row,
// so a segment seen from the opposite view has its heights negated and its ends swapped. T = g_tolerances.tolT.
// New holes take their id from g_nextHoleId (pipeline.h).
#pragma once
#include <cstdint>
#include <memory>
#include "plugin/services/recognition.h"

struct VIEW_LIST;
struct POINT_LIST;
struct CYL_LIST;

// ---- end states --------------------------------------------------------------------------------------
constexpr int kEndOpen = 0;
constexpr int kEndPartlyClosed = 1;   // a ring or a shoulder
constexpr int kEndClosed = 2;

// Whether the segment's bottom (top) end is open, partly closed or closed. A segment whose radii differ by
// T or more is a cone: the end where it narrows is closed when it reaches the axis (radius below T), else
// partly closed unless its flat is closed; the end where it widens is open. A cylinder's ends follow its
// flat flags.
int bottomEndState(const CYL_LIST* segment);
int topEndState(const CYL_LIST* segment);

// Splits `segment` at its mid-height: its upper half (a copy) stays as the last segment of `point`; the
// segment itself, cut to its lower half, goes with everything below it, flipped, to a new point of the
// opposite view (hills not taken). Null as splitPointToOppView when the opposite view already has a
// point at that position.
[[nodiscard]] POINT_LIST* splitPointToOppView2(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point,
                                               CYL_LIST* segment, CMoveIndex* index = nullptr);

// A new empty point of `view` with the next hole id, not yet linked (null when memory runs out).
[[nodiscard]] POINT_LIST* newReceivingPoint(VIEW_LIST* view);

// Releases every point without segments and then every view without points; returns the new head (null
// when every view went).
[[nodiscard]] VIEW_LIST* erasePointsWithoutCyls(VIEW_LIST* head);
