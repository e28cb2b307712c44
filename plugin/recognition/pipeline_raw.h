// The first stage of the recognition pipeline (pipeline.h): every visible surface of revolution of the
// part becomes a segment, grouped by drilling direction and by axis position. Private to the pipeline and
// its tests. Frames as in tree.h.
#pragma once
#include "plugin/base/directions.h"
#include <cstdint>

struct VIEW_LIST;

struct RAW_FILTERS {
    std::int32_t* wideRejects = nullptr;        // counters of rejected surfaces, each may be null
    std::int32_t* narrowRejects = nullptr;
    std::int32_t* directionRejects = nullptr;
    bool maxDiameterOn = false;
    bool minDiameterOn = false;
    ALLOWED_VIEWS allowed;                      // a surface of another direction is rejected
};

class CPlanarFaces;

// Builds the raw tree into `*head` (null when no surface qualifies) and sets g_surfaceCount; offers every
// visible surface to `planar` when given. 0 done; -1 when a surface needs a view the host cannot give or
// memory runs out (after the message): `*head` is then null and nothing built survives.
[[nodiscard]] int buildRawTree(VIEW_LIST** head, const RAW_FILTERS& filters, CPlanarFaces* planar = nullptr);

struct CYL_LIST;
struct POINT_LIST;
enum class DROP_RULE;
// Adds to droppedWalls(): a surface's segment, or a hole position with its widest wall and sweep (radians).
void noteDroppedSegment(DROP_RULE rule, const CYL_LIST& segment);
void noteDroppedHole(DROP_RULE rule, const POINT_LIST& hole, double radius, double sweep);
// A hole told at another place than its top (world), with its widest wall's radius.
void noteDroppedAt(DROP_RULE rule, const double position[3], double radius);
// Each segment from `first` to the end of its chain.
void noteDroppedSegments(DROP_RULE rule, const CYL_LIST* first);
void clearDroppedWalls();
