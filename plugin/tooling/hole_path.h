// The order in which one tool visits its holes: nearest hole next, from every possible first hole, the
// start with the shortest total kept (the earliest start on a tie). Distances and angles are taken in the
// view's XY plane from the holes' points in view coordinates; angles in radians counter-clockwise from the
// view's X axis. Ties: distances within 0.4 T, angles within 0.05 degree, and lengths (totals, or two
// distances that still tie in the nearest step) within a relative 1e-9, since on a grid lengths that are
// equal differ in their last bits with where the part lies.
#pragma once
#include <cstdint>
#include <vector>

struct VIEW_LIST;
struct POINT_LIST;
struct OPE_LIST;

// One element of a path's working set; `next` -1 is "not linked", which also marks an element not yet
// visited while a path is being built.
struct PATH_ELEMENT {
    double point[3] = {};
    POINT_LIST* record = nullptr;
    OPE_LIST* second = nullptr;
    double value = 0;
    std::int32_t next = -1;
};

// One candidate of a step.
struct NEAREST_CANDIDATE {
    double distance;
    double turn;          // [0, 2 pi)
    std::int32_t index;
};

// One point of a tool sequence.
struct PTS_TL_SEQ {
    POINT_LIST* hole = nullptr;
    OPE_LIST* operation = nullptr;
    double depth = 0;
};

namespace hole_path {
constexpr double kInitialBest = 1e11;
constexpr double kAngleTie = 0.0008726646259971645;   // 0.05 degree
constexpr double kFullTurn = 6.283185307179586;
constexpr double kLengthTie = 1e-9;
// Whether `length` ties with `least`, the lesser one (far above rounding, far below any step of a part).
inline bool tiesWithLeast(double length, double least) { return length - least <= kLengthTie * least; }
// 0.4 T of the current units.
double distanceTie();
}  // namespace hole_path

// qsort comparator of two NEAREST_CANDIDATE: -1, 0 or 1.
int compareNearestCandidates(const void* a, const void* b);

// The candidate a step takes, as an index into `candidates` (-1 for none). Candidates within the distance
// tie of the nearest count as equally near; among those the smallest turn wins and turns within the angle
// tie count as equal; what is still equal goes to the nearer, then, among those whose lengths tie with the
// nearer's, to the lower element index. The comparator alone leaves that last order to the sort; this
// fixes it so that every way of building the path gives the same one.
std::int32_t chooseNearestCandidate(const std::vector<NEAREST_CANDIDATE>& candidates);

// The turn of a step from heading `heading` to the offset (dx, dy).
double stepTurn(double dx, double dy, double heading);

// One step from element `current` of [first, first + count): the chosen element in `next` (-1 for none),
// `second` set to -1; the heading moves by the chosen turn. Returns the distance, 0 when none is left.
double findNearestNext(PATH_ELEMENT* elements, std::int32_t first, std::int32_t count, std::int32_t current,
                       std::int32_t* next, std::int32_t* second, double* heading);

// Links the `next` fields of [first, first + count) into the shortest path found and returns count, with
// `start` set to the path's first element (-1 for an empty range). The paths found lately are kept, so that
// the same points asked for again, or a path's points in its own order, cost no second search.
std::int32_t orderPointsNearest(PATH_ELEMENT* elements, std::int32_t first, std::int32_t count,
                                std::int32_t* start);
// Forgets the paths kept (for measuring and testing the search itself).
void forgetHolePaths();
// CPU seconds of every thread spent in searches so far (paths answered from those kept cost none): what a
// benchmark sets apart from the work around them.
double holePathSearchSeconds();

// Reorders the points of one tool along its path, each run of consecutive points of one host view ordered
// on its own and the runs kept in their order.
void orderSequencePoints(std::vector<PTS_TL_SEQ>& points);

// Appends an element for each hole of the chain of equal holes from `chain` whose selected2 is set (of
// `only` alone when given): its point in view coordinates, the hole and `value`, not linked. Returns the
// new count.
std::int32_t appendChainPoints(std::vector<PATH_ELEMENT>& elements, POINT_LIST* chain, double value,
                               const POINT_LIST* only);
