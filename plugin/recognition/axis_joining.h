// Two early cleaning stages over the raw recognition tree (tree.h): joining the hole positions of parallel
// views that lie on one axis, and turning revolved flat rings into the flats of the segment they border.
// A point goes into a view's frame with transpose(matrix) x p and back with matrix x p; T = g_tolerances.tolT;
// the angle tolerance is g_tolerances.axisAngle.
#pragma once

struct VIEW_LIST;
struct POINT_LIST;

// Stage 2: a point of a view whose matrix matches no host view gives its segments to the point of a
// parallel view (same or opposite sense) within T of its axis in that view's x and y, and is released.
// 0; -1 when a join fails (joins done before stay).
[[nodiscard]] int cylsJointAxis(VIEW_LIST* head);

// Join sense of moveJointPoints.
constexpr int kJoinSameSense = 1;
constexpr int kJoinOppositeSense = 2;

// Moves every segment of `giving` (of view `givingView`) into `receiving` (of `receivingView`), re-measured
// in the receiving view and inserted by `zSup` from the top; turned end for end when `sense` is
// kJoinOppositeSense. Then unlinks and releases `giving`. 0; -1 when memory runs out (after the message).
[[nodiscard]] int moveJointPoints(POINT_LIST* giving, VIEW_LIST* givingView, POINT_LIST* receiving,
                                  VIEW_LIST* receivingView, int sense);

// Stage 3: every segment that is a flat ring (perpendicular to its axis, not toric) becomes the top or
// bottom flat of the first segment of its point whose end it borders, which also takes its entities; the
// ring is released whether or not one borders it. 0.
int cylsPlanarRev(VIEW_LIST* head);
