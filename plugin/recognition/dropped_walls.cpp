// The walls the recognition's rules left out, kept for the run's summary and log.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "plugin/model/tree.h"
#include "plugin/recognition/pipeline_raw.h"
#include "plugin/services/recognition.h"

namespace {

std::vector<DROPPED_WALL>& walls() {
    static std::vector<DROPPED_WALL> list;
    return list;
}

}  // namespace

const std::vector<DROPPED_WALL>& droppedWalls() { return walls(); }

void clearDroppedWalls() { walls().clear(); }

void noteDroppedSegment(DROP_RULE rule, const CYL_LIST& segment) {
    DROPPED_WALL w;
    w.rule = rule;
    std::copy(std::begin(segment.cUniv), std::end(segment.cUniv), w.position);
    w.diameter = 2 * std::max(segment.rSup, segment.rInf);
    w.sweep = std::fabs(segment.Asw) * 180 / std::numbers::pi;
    walls().push_back(w);
}

void noteDroppedSegments(DROP_RULE rule, const CYL_LIST* first) {
    for (const CYL_LIST* s = first; s; s = s->next) noteDroppedSegment(rule, *s);
}

void noteDroppedHole(DROP_RULE rule, const POINT_LIST& hole, double radius, double sweep) {
    noteDroppedAt(rule, hole.ptUniv, radius);
    walls().back().sweep = std::fabs(sweep) * 180 / std::numbers::pi;
}

void noteDroppedAt(DROP_RULE rule, const double position[3], double radius) {
    DROPPED_WALL w;
    w.rule = rule;
    std::copy(position, position + 3, w.position);
    w.diameter = 2 * radius;
    walls().push_back(w);
}

void noteDroppedWholeHole(DROP_RULE rule, const POINT_LIST& hole) {
    double widest = 0;
    for (const CYL_LIST* s = hole.firstCyl; s; s = s->next) widest = std::max({widest, s->rSup, s->rInf});
    noteDroppedHole(rule, hole, widest, 0);
}

void noteToolRunsInto(const POINT_LIST& hole, double toolDiameter, std::int32_t solid, double depth) {
    noteDroppedWholeHole(DROP_RULE::ToolRunsInto, hole);
    DROPPED_WALL& w = walls().back();
    w.toolDiameter = toolDiameter;
    w.solid = solid;
    w.depth = depth;
}
