// The recognition stages that decide how each chain of coaxial segments is machined: cut at a closed wall,
// cut at a long axial gap, cut at the neck of a hole entered from both ends; and the stages that erase
// chains that cannot be entered, segments beyond a closed end and undercuts. Each walks the whole tree
// (views in list order, points in chain order, segments from the top) and keeps `cylCount` and
// `pointCount` equal to the chain lengths. T is g_tolerances.tolT; z runs along the view's Z row.
#pragma once
#include "plugin/base/directions.h"
#include <cstdint>

struct VIEW_LIST;

// A closed wall between two segments of a chain (bottom and top end states (2, 2), (0, 2) or (2, 0)) cuts
// the chain there: the part below goes, flipped, to the opposite view when that direction is allowed, and
// is released when it is not. Only the first wall of a chain counts. Skips views with `passMark` set and
// clears `passMark` on every view when done. 0; -1 when the opposite view cannot be had or memory runs out.
[[nodiscard]] int cylsSplitTipTool(VIEW_LIST* head, const ALLOWED_VIEWS& allowed);

// Releases every point whose chain is closed both at its top and at its bottom. 0.
int cylsEraAOpq(VIEW_LIST* head);

// A gap of more than 40 radii between two segments of a chain that has not widened above it splits the
// chain: the part below goes to the opposite view and both points get `farSplitted`. Skips (and clears)
// views with `passMark` set. 0; -1 when a split fails.
[[nodiscard]] int cylsSplitFar(VIEW_LIST* head);

// A chain narrower inside than at both ends is cut at its narrowest segment, the lower part going to the
// opposite view; both points get `neckSplitted`, each other's `id` and `splitFarZ`. Points with
// `farSplitted` are left alone; views with `passMark` set are skipped (and cleared). 0; -1 when a split
// fails.
[[nodiscard]] int cylsSplitTwin(VIEW_LIST* head);

// Drops what lies beyond the first closed end of each chain: below a closed bottom, above a closed top, the
// whole point when a segment is closed at both ends. 0.
int cylsEraBelow(VIEW_LIST* head);

// Undercuts: where a chain widens again below a narrower part, a cone is trimmed to the narrower radius and
// a wider segment is released (mode 0, the recognition command) or only loses its flat rings (mode 1, the
// features side). The last segment of a chain is never changed. 0.
int cylsEraCavern(std::uint16_t mode, VIEW_LIST* head);

// Releases every point whose chain has no bore, its walls only narrowing to a point (a centre mark): no
// segment keeps its radius, and the chain ends within T of the axis at its bottom or, before the chains
// are turned to their drilling side, at its top. Such a hole has diameter 0 to the tables
// and nothing of its own to take a drill's depth from. 0.
int cylsEraPointed(VIEW_LIST* head);
