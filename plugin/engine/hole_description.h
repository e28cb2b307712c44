// A hole's chain of coaxial segments rewritten in a process table's terms: one CIL_DESC per machinable
// cylinder or cone, from the entry down, with chamfers, drill tips, flat bottoms, rounded edges, threads and
// fits folded into the record of the cylinder they belong to. Two values of the table steer the folding (its
// chamfer half-angle window and its largest chamfer depth), so a hole is described once per candidate table.
#pragma once
#include <cstdint>
#include <vector>

#include "plugin/model/ope_list.h"
#include "plugin/services/engine.h"

struct CYL_LIST;
struct POINT_LIST;
class CTabColsDesc;

// 0.05 degree: a segment whose section angle exceeds it is a cone.
constexpr double kConeAngleMin = 0.0008726646259971645;

// describeByTable (plugin/services/engine.h) into a vector (empty for a count of 0).
std::vector<CIL_DESC> describeHole(const CYL_LIST* first, double chamferAngleMin, double chamferAngleMax,
                                   double chamferDepthMax, CTabColsDesc* drillTable);

// A described diameter rounded to the unit's step (0.005 mm, 0.0002 inch).
[[nodiscard]] double roundHoleDiameter(double diameter);

// Where segment a meets segment b in the (radius, Z) half section: a is its slanted side from (rSup, zSup)
// to (rInf, zInf), or its bottom ring from (rInf, zInf) to (rFlatMinBtm, zInf) when it has `bottomFlat`;
// b is its slanted side. 1 with *r and *z set when the lines meet, else 0.
int segmentIntersect2d(const CYL_LIST* a, const CYL_LIST* b, double* r, double* z);

// Hangs a copy of `count` records on the hole in place of its own description (released here); count 0
// leaves none. A hole owns its array: a follower of a chain of equal holes takes its own copy.
void setHoleDescription(POINT_LIST& hole, const CIL_DESC* descs, int count);
