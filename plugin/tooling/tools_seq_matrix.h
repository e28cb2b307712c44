// The machining order of one toolpath group: holes in rows, each hole's operations in columns, gaps
// inserted until a column holds one tool type, then the columns read left to right, each one sorted.
// Operation column j is matrix column j + 1; column 0 holds the row's hole.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

struct VIEW_LIST;
struct POINT_LIST;
struct OPE_LIST;

// Sort order within a column: layer descending, then tool type, diameter, corner radius and cone angle
// ascending (measures within 0.4 T equal), then the view's place in its group. qsort style: -1, 0, 1.
int compareSequenceOperations(const OPE_LIST* a, const OPE_LIST* b);
