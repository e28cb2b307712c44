// IMPORT_FEAT: one hole feature as a foreign interchange file describes it, before it becomes feature marks:
// the axis positions it is found at and the stack of segments (plain hole, fit, thread) it is made of, the
// offsets measured from a position's point along its axis. The records live only while one import runs, in
// a doubly linked list in reading order; they are never stored, so they have no codec.
#pragma once
#include <cstdint>

constexpr int kMaxImportPositions = 10;
constexpr int kMaxImportSegments = 10;

enum : std::uint32_t { IMPORT_SEG_UNKNOWN = 0, IMPORT_SEG_HOLE = 1, IMPORT_SEG_FIT = 2, IMPORT_SEG_TAP = 3 };

struct IMPORT_FEAT_POS {
    double direction[3] = {};   // the hole's axis as the file gives it, out of the hole
    double point[3] = {};       // the reference point the segment offsets start from, part coordinates
    std::int32_t line = 0;      // the file's line that gave it (1-based; 0 not known)
};

struct IMPORT_FEAT_SEG {
    std::uint32_t type = IMPORT_SEG_UNKNOWN;
    double diameter = 0;
    double offset = 0;          // from the position's point along the axis to the segment's top
    double depth = 0;
    double spare = 0;           // always 0
    double pitch = 0;           // a tap segment's
    std::int32_t tolClass = 0;  // the others': tolerance class and the diameter that goes with a fit
    double diameter2 = 0;
    std::int32_t line = 0;      // the file's line that gave it (1-based; 0 not known)
};

struct IMPORT_FEAT {
    std::int32_t kind = 0;      // the reader's kind of feature; carried, not used by the conversion
    std::int32_t positionCount = 0;
    IMPORT_FEAT_POS positions[kMaxImportPositions];
    std::int32_t segmentCount = 0;
    IMPORT_FEAT_SEG segments[kMaxImportSegments];
    IMPORT_FEAT* prev = nullptr;
    IMPORT_FEAT* next = nullptr;
};

// Releases the list from `first` following `next`. Returns 0.
int freeImportFeats(IMPORT_FEAT* first);
