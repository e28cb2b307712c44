// Giving a hole its process table and row of measures: every loaded table is tried in the hole's terms,
// a matching form table without a fitting row gets one, and a hole no table fits is tried against each
// table with its chamfer window widened to the hole's own (the adaptable search). Before that the holes of
// each view are grouped into chains of equal holes, whose head is assigned for them all.
#pragma once
#include <string>
#include <vector>

struct POINT_LIST;
struct VIEW_LIST;
class CTabColsDesc;

// Assigns a table and a row of `tables` (loaded with their rows; `drillIndex` the drill-size table, -1 none)
// to the hole, hangs its description on it and traces the search in the process log. Returns the number of
// description records (0 or more); -1 when no table fits (the caller makes a new table); -2 when a row had
// to be added to a matching form table and none could be. Adding a row reads the tables folder again and
// may delete the opposite-side half of a depth-split hole: when `hole` is such a half, the hole it was split
// from takes its place in `hole`.
int assignTableToHole(POINT_LIST*& hole, std::vector<CTabColsDesc>& tables, int drillIndex);
// "<table> <row>", either of them possibly empty.
std::string tableAndRow(const std::string& table, const std::string& row);
// The hole's label (what the process tree lists it by) names its table and row.
void labelHoleByRow(POINT_LIST& hole);

// Links the holes of each view that have the same shape (sameShape) into chains behind their first hole;
// returns the number of heads over all views. Tells where a chain disagrees with its count.
int numberIdenticalHoles(VIEW_LIST* views, bool ignoreAttributes);
// Undoes the grouping of every hole.
void clearChainFlags(VIEW_LIST* views);
// Within every chain, the first fit and the first thread marked by an attribute go to the segment at the
// same position of every hole of the chain.
void propagateFitThreadAttribs(VIEW_LIST* views);
