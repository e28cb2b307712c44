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

// -1 no memory; 0 a tool of the part or the configured library meeting every criterion (or the named spot
// tool); 1 the best of them; 2 a tool of the big library meeting every criterion; 3 the best of it; 4 no tool
// of the type (out untouched); 5 the named spot tool asked for and missing.
int findBestLibraryTool(const std::string& library, std::int16_t type, double diameter, double minLength,
                        double maxLength, double minSecondLength, double shapeValue, double radius, double angle,
                        double pitch, std::int16_t material, const char* text, tp_tool* out);

// The criteria bits a candidate meets.
std::int32_t scoreToolPoolEntry(const TOOL_POOL_ENTRY& entry, const WANTED_TOOL& wanted);
// Pool order: -1, 0, 1.
int compareToolPool(const TOOL_POOL_ENTRY& a, const TOOL_POOL_ENTRY& b);
