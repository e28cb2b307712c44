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
