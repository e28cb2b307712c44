// Adding a row of measures for a hole to the table whose form it has, so that from then on the table serves
// it: to the hole's own table (a provisional row, unasked), to the first matching form table of the tables
// folder, or for every hole of the tree whose row had to be added, table by table, with the configuration
// opened on each table after its last row. Rows added here are named "**...": not yet reviewed.
#pragma once
#include <cstdint>
#include <vector>

#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"

struct POINT_LIST;
struct VIEW_LIST;

// Adds a provisional row for the described hole to the hole's table (POINT_LIST::tableName) and names the
// hole's row. 0 when the row was placed (or an equal row found); the read error of the table file else.
[[nodiscard]] int addProvisionalMeasures(POINT_LIST* hole, const CIL_DESC* descs, std::int16_t count);
// Adds a row for the hole to the first table of the folder whose form it has; the opposite-side half of a
// depth-split hole goes first (the hole it was split from takes its place, also in *hole) and views left
// without holes leave CYCLE_RECORDS::viewsTree. 0 with `ref` naming the table and its added or equal row
// chosen for the next configuration; 1 when nothing was added (no drill-size table, no matching table, a
// drill-size or thread table matched, or the user cancelled at a thread without designation).
[[nodiscard]] int addMeasuresToTable(POINT_LIST** hole, TABLE_FILE_REF* ref);
// The same for every head hole of the tree marked POINT_LIST::noMeasures (at most 1000), table by table,
// running the configuration on each table after its last row. Returns the head of the tree, which moves on
// when the first view is left without holes.
[[nodiscard]] VIEW_LIST* addMeasuresToTables(VIEW_LIST* views);

// Whether the row added for the hole (POINT_LIST::noMeasures) is in no rows file: it served the run only,
// or not even that on a station that reads the shared library only. Not said of a hole that names no row.
bool addedRowNotStored(const POINT_LIST& hole);

// One hole to handle in addMeasuresToTables, sorted by the index of its table among the loaded ones.
struct HOLE_KEY {
    std::int16_t tableIndex = 0;
    POINT_LIST* hole = nullptr;
    std::vector<CIL_DESC> descs;   // the hole in that table's terms
};
// -1, 0 or 1 as a's table index is below, equal to or above b's.
int compareHoleKey(const HOLE_KEY& a, const HOLE_KEY& b);
