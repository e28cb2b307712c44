// The library tool of a type that best fits an operation's wanted measures: candidates from the part's
// tool list and the configured library, else from the big library of the units, each scored on seven
// criteria (127 when all are met); the first of the best scores in pool order wins.
#pragma once
#include <cstdint>
#include <string>

#include "host/api.h"

// One candidate of the pool.
struct TOOL_POOL_ENTRY {
    tp_tool tool;
    double diameter = 0;
    double firstLength = 0;       // flute length
    double secondLength = 0;      // shoulder length
    double shapeValue = 0;        // chamfer mills: the small-end diameter; else 0
    double pitchOrRadius = 0;     // taps: the pitch per turn; corner-radius tools: the radius; else 0
    double angle = 0;
    std::int16_t material = 0;
    std::int32_t score = 0;
};

// What is wanted of the tool.
struct WANTED_TOOL {
    std::int16_t type = 0;
    double diameter = 0, minLength = 0, maxLength = 0, minSecondLength = 0;
    double shapeValue = 0, radius = 0, angle = 0, pitch = 0;
    std::int16_t material = 0;    // 0 any
    const char* text = nullptr;   // a part of the name, or none
};

namespace best_tool {
constexpr int kPoolSize = 2000;
constexpr std::int32_t kAllCriteria = 127;
}

// The criteria bits a candidate meets.
std::int32_t scoreToolPoolEntry(const TOOL_POOL_ENTRY& entry, const WANTED_TOOL& wanted);
// Pool order: -1, 0, 1.
int compareToolPool(const TOOL_POOL_ENTRY& a, const TOOL_POOL_ENTRY& b);
