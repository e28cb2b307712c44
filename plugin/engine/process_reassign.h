// Giving a hole its table, row and process again after the user changed something, and the two tree
// operations that go with it: a hole chain moved to the opposite drilling direction and the views sorted
// and their toolpath groups renumbered.
#pragma once

struct VIEW_LIST;
struct POINT_LIST;

// Moves `hole` and the holes of its identical chain, flipped, to the end of the view of the opposite
// direction (made at the end of the tree when missing), which becomes selected. 0; -1 when that view
// cannot be had (after the host's message), with nothing moved.
int moveHoleChainToOppView(POINT_LIST* hole);
// Frees the views without holes, sorts the rest and numbers their toolpath groups 1, 2, 3 ... in list order.
// Returns the new head.
[[nodiscard]] VIEW_LIST* resortViews(VIEW_LIST* views);

// Looks the hole's table, row and process up again and rebuilds its operations (with its chain of identical
// holes, and after a move to the opposite side when the hole is marked for one).
void reassignProcess(POINT_LIST* hole);
// reassignProcess for every hole of the tree that is still waiting for its measures, in tree order; the views
// are sorted once at the end.
void reassignProcessKeepOrder(VIEW_LIST* views);
// The hole's row found again in its table by the row's name (stored as its row index), then by its measures:
// 0 the measures row was found; 1 the table or the named row is not there; 2 no row fits the hole.
[[nodiscard]] int findTableMeasures(POINT_LIST* hole);
// Applies the process of the row of the hole's table (by name, case ignored) that fits the hole's
// description; the hole is left as it is when the table, a fitting row or a process column is missing.
void reapplyHoleTable(POINT_LIST* hole);
