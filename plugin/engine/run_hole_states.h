// The states of a hole that a recognition run leaves for its statistics, its summary and the process tree's
// filters: measures added, provisional row, depth checked, chamfer to check, not accessible, the tool flags
// and the no-problem mark. They sit in the hole's work area at the image offsets the part keeps them at, until
// the engine gives them members of their own (docs/seams.md).
#pragma once
#include <cstdint>

#include "plugin/recognition/tree.h"

enum class HOLE_STATE {
    noMeasures,      // i16 at 290 (POINT_LIST::noMeasures): measures had to be added for the hole (1)
    chamferCheck,    // u8 at 314
    depthChecked,    // u8 at 323
    noProblem,       // u8 at 422
    provisionalRow,  // u8 at 296 (POINT_LIST::provisionalRow)
    notAccessible,   // u8 at 563
    toolMissing,     // i32 at 576, computed by the process tree
    toolCreated,     // i32 at 580, computed by the process tree
};

std::int32_t holeState(const POINT_LIST& hole, HOLE_STATE state);
void setHoleState(POINT_LIST& hole, HOLE_STATE state, std::int32_t value);

// The row the hole's table was adapted to (-1 when it matched exactly); the field the statistics count.
inline std::int16_t adaptedRow(const POINT_LIST& hole) { return hole.tableIndex; }
