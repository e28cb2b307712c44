// Moving holes to the opposite drilling direction, copying a hole's description and operations to a hole of
// the same shape, and the simplified holes: one plain through cylinder, one straight drill, one given
// cylinder with a table, row and process.
#pragma once
#include "plugin/base/directions.h"
#include <cstdint>

#include "plugin/model/ope_list.h"
#include "plugin/model/tab_cols_desc.h"

struct POINT_LIST;
struct VIEW_LIST;
class CMoveIndex;

// Gives `target` the descriptors of `source` (moved by the difference of their point Z) and, when the
// source has operations, its own copies of them with the source's process, table and row. Returns 0.
int copyHoleProcess(const POINT_LIST& source, POINT_LIST& target);
// Turns a descriptor end for end. Returns 0.
int flipCilDesc(CIL_DESC& desc);
// 1 when the hole is one through cylinder without a top chamfer that may be drilled from the other side.
int isSimpleThroughHole(const ALLOWED_VIEWS& allowed, const POINT_LIST& hole);
// Describes the hole as one straight through cylinder with its row of table `tableIndex` (its operations
// go): 1 done (or nothing to do), 0 not possible, the cylinder not through or no row fitting it (the hole
// unchanged).
int toSimpleDrill(POINT_LIST& hole, CTabColsDesc* tables, int tableIndex);
// Moves the holes of one chain of identical holes (the first the head) into the view of the opposite
// direction: each gets a new record there that takes over its segments, description and operations; the
// head's description is turned and its process applied again. The old records stay, emptied, for the
// caller to remove. `index` (plugin/services/recognition.h), when given, keeps the appends in constant
// time. 0 moved; -1 when the view of the opposite direction could not be had (the user was told) or no
// record made: nothing moved, the holes as they were.
[[nodiscard]] int shapeToOppositeView(POINT_LIST** holes, int count, VIEW_LIST* views, VIEW_LIST* sourceView,
                                      CTabColsDesc* tables, int tableCount, CMoveIndex* index = nullptr);
// Gives the hole one through cylinder of diameter D and depth below its point, with the table, row and
// process that fit it (a thread for code 1).
void assignSingleCylinderProcess(POINT_LIST& hole, double D, double depth, std::int16_t geometricCode,
                                 std::int16_t threadCode, double threadDiameter, double pitch, CTabColsDesc* tables,
                                 int tableCount, int tableIndex);
