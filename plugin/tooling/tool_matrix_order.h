// The order of a run's operations on the points-list path: a matrix with a row per hole and the hole's
// operations along it, reworked so that every tool stands in one column and every column holds one tool
// type, read column by column; then the tools numbered in the order they are first used.
#pragma once
#include <cstdint>
#include <vector>

struct VIEW_LIST;
struct OPE_LIST;

// One cell: an operation or a gap. A row ends where its cells end; rows grow when a shift or a gap needs
// room, so nothing is pushed out of them.
struct MATRIX_CELL {
    OPE_LIST* operation = nullptr;   // null: a gap
};
using MATRIX_ROW = std::vector<MATRIX_CELL>;

// The operations of the run in machining order. `group` 0 takes every selected view, else the views of
// that toolpath group (their selection not looked at); in either, the selected holes that are not excluded.
// Every view of the list gets its place in sortIndex. Returns the count.
int orderOperationsByToolMatrix(VIEW_LIST* views, std::int16_t group, std::int16_t toolCount,
                                std::vector<OPE_LIST*>& result);

// The same over the views from `first` to `last` that are selected. A run is ordered over its own views
// and not over every view of its toolpath group number: an unselected view's operations got no tool in
// this run, and a group number met again further down the list is a run of its own, ordered there.
int orderRunOperations(VIEW_LIST* first, VIEW_LIST* last, std::int16_t toolCount, std::vector<OPE_LIST*>& result);

// Lower tool type first, then the smaller diameter, corner radius and cone angle (values within 0.4 of the
// base tolerance count as equal), then the view's place. -1, 0 or 1.
int compareMatrixOperations(const OPE_LIST& a, const OPE_LIST& b);

// Numbers the tools 1, 2, 3 ... in the order they first appear (old numbers compared as 16-bit values).
// Returns the count.
int renumberToolSequence(OPE_LIST* const* operations, std::int16_t count);

// The matrix, under the title, to the tools log when it is open; `types` adds each operation's tool type.
void printOperationMatrix(const std::vector<MATRIX_ROW>& rows, const char* title, bool types = false);
