// The material around each recognised hole: how high the part rises above its mouth (hillT), how far it
// reaches below its bottom (hillB), and whether a foreign surface lies straight above, straight below or
// inside the hole (crashTop, crashBottom, crashInto); a hole a boss stands in (another solid's pin or shank)
// cannot be reached (notAccessible). A flat or open bottom cut by another hole's wall gets
// a drill tip. Frame: each hole in its view's coordinates (z up along the drilling direction, zSup above
// zInf); T is g_tolerances.tolT. Flags and heights only ever grow: a second run adds to the first.
#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <span>
#include <unordered_map>
#include <vector>

#include "host/api.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/progress_box.h"
#include "plugin/recognition/surface_segment.h"
#include "plugin/services/recognition.h"

struct VIEW_LIST;
struct POINT_LIST;

// ---- shared with the tool-collision check -----------------------------------------------------------------
namespace opaque {

// Which holes hold which surface entities, taken once from the tree in tree order. The checks add no
// entity entries, so the index stays true while they run.
class CHoleSurfaces {
public:
    explicit CHoleSurfaces(const VIEW_LIST* tree);
    // The handles of the point's entity entries, sorted; empty for a point not in the tree. Valid while
    // this lives.
    std::span<const db_ptr> entriesOf(const POINT_LIST* point) const;
    static bool holds(std::span<const db_ptr> entries, db_ptr entry) {
        return std::binary_search(entries.begin(), entries.end(), entry);
    }
    // The first point in tree order, other than `except`, one of whose segments lists the entity id.
    POINT_LIST* firstOwnerById(std::int32_t id, const POINT_LIST* except) const;

private:
    // Kept in two tables rather than a small vector per point and per id, which cost an allocation each.
    struct SPAN {
        std::size_t from, count;
    };
    struct OWNER {
        std::int32_t id;
        std::size_t order;   // the point's place in tree order
        POINT_LIST* point;
    };
    std::vector<db_ptr> entries_;                          // each point's handles, sorted, point after point
    std::unordered_map<const POINT_LIST*, SPAN> spanOf_;   // a point's handles in entries_
    std::vector<OWNER> owners_;                            // by id, then tree order
};

// The holes of one view on a grid of their (x, y) in the view, so that a surface meets only the holes
// within its reach instead of every hole of the view (or of a strip across it). Entries are numbered in
// the order they are added. The holes cast circles of ray starts, which must meet `startBox` (per axis
// least, greatest; see startBounds).
class CNearHoles {
public:
    void add(double x, double y, double reach);
    // Some entry casts circles of ray starts of this radius, or does from now on (the largest radius is
    // kept; a NaN keeps every entry in every answer).
    void widenBoxReach(double boxReach);
    // The numbers of the entries whose (x, y) may lie within `radius` + their reach of (x, y) and whose
    // circles may meet `startBox` as raysMayMeetBox tells (null: any box): a superset of the near ones, in
    // ascending number.
    void query(double x, double y, double radius, const double (*startBox)[2], std::vector<int>& out) const;
    int size() const { return static_cast<int>(entries_.size()); }

private:
    struct ENTRY {
        double x, y;
    };
    void index() const;
    // Any cell numbering that never falls as v grows will do: truncation is cheaper than std::floor.
    std::int64_t cellOf(double v) const {
        return static_cast<std::int64_t>(std::clamp(v * perCell_, -1e15, 1e15));
    }

    std::vector<ENTRY> entries_;
    double maxReach_ = 0;
    double boxReach_ = 0;
    // Built at the first query after an add.
    mutable bool indexed_ = true;
    mutable double perCell_ = 1;   // the inverse of a cell's side
    mutable std::int64_t first_[2] = {0, 0}, cellsX_ = 1, cellsY_ = 1;   // the grid's first cell and size
    // Cell c's entries are cellEntries_[cellStart_[c] .. cellStart_[c + 1]), cells row by row along x.
    mutable std::vector<std::size_t> cellStart_;
    mutable std::vector<int> cellEntries_;
    mutable std::vector<int> aside_;   // entries without finite coordinates: in every answer
};

// Positions 0 .. n-1 ranked by their keys as a stable sort ranks them (ties in position order), worked out
// only as far as they are asked for: each hole looks at the first few surfaces of its view. A NaN key, which
// orders nothing, makes it the stable sort of the whole, as it always was.
class CRanking {
public:
    // Ranks keys ascending, or descending when `descending`; the keys must outlive the ranking.
    void reset(const std::vector<double>& keys, bool descending);
    std::size_t size() const { return order_.size(); }
    // The position ranked `rank` (< size()).
    std::size_t operator[](std::size_t rank) {
        if (rank >= sorted_) sortTo(rank + 1);
        return order_[rank];
    }

private:
    void sortTo(std::size_t count);
    const std::vector<double>* keys_ = nullptr;
    bool descending_ = false;
    std::vector<std::size_t> order_;
    std::size_t sorted_ = 0;   // order_[0 .. sorted_) is final; the rest rank after it, in no order
};

// A surface as the checks see it in one view: sphere centre and the extreme z (of its own points for a
// planar surface, else the face's own as the host works them out, within the box's); `box` is the extent of
// the bounding box's corners in the view.
struct SURF_IN_VIEW {
    double centre[3];
    double radius;
    double zMin, zMax;
    double box[3][2];   // per axis: smallest, largest
};

// What a planar surface gives for its extreme z in a view instead of its box's: the least and greatest view z
// of its own points (its trim points, else its parameter box's corners); 1e10 and -1e10 when none evaluates.
struct Z_RANGE {
    double zMin = 1e10, zMax = -1e10;
};
// The ranges of planar surfaces in several views at once: each point is evaluated once for all the views,
// and its heights in two views are taken together, lane by lane, as the plain loop over the views takes them.
class CPlanarHeights {
public:
    // A view by its Z row (its matrix[2]).
    void addView(const double zRow[3]);
    // The surface's range in each view, in the order added. False, `ranges` untouched, when the surface is
    // not planar.
    bool of(const ent& surface, std::vector<Z_RANGE>& ranges);

private:
    // Two views, lane 0 and lane 1: their Z rows by coordinate and their ranges so far. A lone last view
    // leaves lane 1 unused.
    struct alignas(16) PAIR {
        double x[2] = {0, 0}, y[2] = {0, 0}, z[2] = {0, 0};
        double lo[2] = {0, 0}, hi[2] = {0, 0};
    };
    std::vector<PAIR> pairs_;
    std::size_t views_ = 0;
};
// `planar` null takes the face's own z (surf_extent_along) where the view's axis is not a world axis,
// else the box's.
void surfaceInView(const ent& surface, const Z_RANGE* planar, const double viewMatrix[3][3], SURF_IN_VIEW& out);

// The smallest and largest XY distance from (x, y) to the surface's box corners in the view (dump only).
void cornerDistances(const ent& surface, const double viewMatrix[3][3], double x, double y, double* dMin,
                     double* dMax);

// False when no ray starting within `radius` of (x, y) in the view can pass projectRay's box test: a check
// then casts none of a hole's rays at the surface.
bool raysMayMeetBox(const SURF_IN_VIEW& s, double x, double y, double radius);

// A ray's direction about a hole's axis, its cosine and sine.
struct TURN {
    double cos, sin;
};

// The directions of n rays evenly about the axis from the angle `first`: each check works them out once, as
// every surface near a hole casts them.
template <int N>
std::array<TURN, N> turnsOf(double first) {
    std::array<TURN, N> turns{};
    for (int k = 0; k < N; ++k) {
        const double angle = 2.0 * k * std::numbers::pi / N + first;
        turns[static_cast<std::size_t>(k)] = {std::cos(angle), std::sin(angle)};
    }
    return turns;
}

// What a surface's box is taken wider by, as the host counts points on a trim as inside.
inline constexpr double kBoxSlack = 1e-6;

// The box on x and y, per axis least and greatest, in which a ray start may hit the surface: its own box
// grown by the slack.
inline void startBounds(const SURF_IN_VIEW& s, double bounds[2][2]) {
    for (int a = 0; a < 2; ++a) bounds[a][0] = s.box[a][0] - kBoxSlack, bounds[a][1] = s.box[a][1] + kBoxSlack;
}

// False for a start (view coordinates) beside startBounds, which projectRay answers as a miss without
// asking the host.
inline bool startMayHit(const double bounds[2][2], const double start[2]) {
    for (int a = 0; a < 2; ++a)
        if (start[a] < bounds[a][0] || start[a] > bounds[a][1]) return false;
    return true;
}

// Projects the ray start (view coordinates) onto the surface along the view's axis: true with the hit in
// world coordinates and its view z; `startWorld` receives the start in world coordinates when it projects.
// A start beside the surface's box is a miss without asking the host (the box holds the surface, so
// nothing is lost).
// `axis` is the view's axis as the host gives it (viewAxis), read once per check.
bool projectRay(const ent& surface, const SURF_IN_VIEW& s, const VIEW_LIST& view, const VIEW_AXIS& axis,
                const double startView[3], double startWorld[3], double hitWorld[3], double* hitZ);

// A check's debug file in PLUGIN_GLOBALS::tmpDir, written line by line with a flush after each while the
// debug switch is on; a closed dump ignores every write.
class CCheckDump {
public:
    CCheckDump(const char* name, long surfaceCount);
    ~CCheckDump();
    CCheckDump(const CCheckDump&) = delete;
    CCheckDump& operator=(const CCheckDump&) = delete;
    bool on() const { return file_ != nullptr; }
    [[gnu::format(printf, 2, 3)]] void line(const char* format, ...);

private:
    std::FILE* file_ = nullptr;
};

// Calls `visit(surface)` for every visible surface, stepping the progress box after every `interval`
// surfaces. Returns -1 when the user stops the run at a step or when `visit` returns a negative value.
template <class Visit>
int forEachVisibleSurface(long interval, CProgressBox* progress, Visit visit) {
    long sinceStep = 0;
    return ::forEachVisibleSurface([&](const ent& surface) {
        if (++sinceStep > interval) {
            if (progress && progress->step()) return -1;
            sinceStep = 0;
        }
        return visit(surface) < 0 ? -1 : 0;
    });
}

}  // namespace opaque
