// The states of a hole that only the statistics and the process tree's filters keep: the no-problem mark and
// the tool flags that the process tree computes. They sit in the hole's work area at the image offsets the part
// keeps them at, until the engine gives them members of their own (docs/seams.md).
#pragma once
#include <cstdint>

#include "plugin/recognition/tree.h"

enum class HOLE_STATE {
    noProblem,       // u8 at 422
    toolMissing,     // i32 at 576, computed by the process tree
    toolCreated,     // i32 at 580, computed by the process tree
};

std::int32_t holeState(const POINT_LIST& hole, HOLE_STATE state);
void setHoleState(POINT_LIST& hole, HOLE_STATE state, std::int32_t value);
