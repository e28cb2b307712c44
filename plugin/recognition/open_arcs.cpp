// Stages DelOpen, DelAngDummy and Planar. Notation: T = g_tolerances.tolT, 4T = g_tolerances.tol4T; c is a
// segment's axis point (cUniv) in its view's frame; r the radius of the end looked at; a flat ring runs
// from rMin to rMax about the axis. Faces are sampled through eval_surf and projected along the view's Z
// with projectGridOntoSurf; a face "takes" a world point when that projection succeeds.
#include "plugin/base/vectors.h"
#include "plugin/recognition/open_arcs.h"
#include "plugin/recognition/pipeline_raw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <new>
#include <numbers>
#include <utility>
#include <vector>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/recognition/boundary_reach.h"
#include "plugin/base/directions.h"
#include "plugin/recognition/merging.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/surface_segment.h"
#include "plugin/model/tree.h"
#include "plugin/services/recognition.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDegree = kPi / 180;
constexpr double kQuarterTurn = 1.5699236621688988;      // 89.95 degrees
constexpr double kSameSecAng = 0.0008726646259971645;    // 0.05 degree
constexpr int kMaxDummyGroup = 20;
constexpr int kProbeCount = 8;

double largestRadius(const POINT_LIST* point, double minSweep) {
    double r = 0;
    for (const CYL_LIST* s = point->firstCyl; s; s = s->next)
        if (std::fabs(s->Asw) > minSweep) r = std::max({r, s->rSup, s->rInf});
    return r;
}

// The points of one view with their full-sweep radius (Rq), in cells of a square grid, so that an open
// point finds the wider holes whose wall it may lie on without looking at every point of the view. A hole
// goes into every cell that its wall (grown by the tolerance) may reach; one reaching very many cells is
// kept aside and tried for every query. Points already released (`gone`) are freed and never looked at.
class WallIndex {
public:
    WallIndex(const std::vector<POINT_LIST*>& points, const std::vector<char>& gone, double wallTolerance)
        : tol_(wallTolerance) {
        std::vector<double> reaches;
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (gone[i]) continue;
            const double rq = largestRadius(points[i], kQuarterTurn);
            if (!(rq > 0) || !std::isfinite(rq) || !std::isfinite(points[i]->ptView[0]) ||
                !std::isfinite(points[i]->ptView[1]))
                continue;
            walls_.push_back({static_cast<int>(i), points[i]->ptView[0], points[i]->ptView[1], rq});
            reaches.push_back(rq + tol_);
        }
        if (walls_.empty()) return;
        std::nth_element(reaches.begin(), reaches.begin() + reaches.size() / 2, reaches.end());
        cell_ = std::max(2 * reaches[reaches.size() / 2], 1e-6);
        for (std::size_t w = 0; w < walls_.size(); ++w) {
            const WALL& wall = walls_[w];
            const double reach = wall.rq + tol_;
            const long long x0 = cellOf(wall.x - reach), x1 = cellOf(wall.x + reach);
            const long long y0 = cellOf(wall.y - reach), y1 = cellOf(wall.y + reach);
            if (x1 - x0 > kMaxCellSpan || y1 - y0 > kMaxCellSpan) {
                aside_.push_back(static_cast<int>(w));
                continue;
            }
            for (long long x = x0; x <= x1; ++x)
                for (long long y = y0; y <= y1; ++y) cells_[{x, y}].push_back(static_cast<int>(w));
        }
    }

    // Whether a point other than `self` (and not gone) has a wall wider than `r` passing within the
    // tolerance of (x, y).
    bool onWiderWall(int self, double x, double y, double r, const std::vector<char>& gone) const {
        auto fits = [&](int w) {
            const WALL& wall = walls_[w];
            if (wall.point == self || gone[wall.point] || !(r < wall.rq)) return false;
            return std::fabs(std::hypot(x - wall.x, y - wall.y) - wall.rq) < tol_;
        };
        for (int w : aside_)
            if (fits(w)) return true;
        if (walls_.empty() || !std::isfinite(x) || !std::isfinite(y)) return false;
        auto found = cells_.find({cellOf(x), cellOf(y)});
        if (found == cells_.end()) return false;
        return std::any_of(found->second.begin(), found->second.end(), fits);
    }

private:
    static constexpr long long kMaxCellSpan = 16;
    struct WALL {
        int point;
        double x, y, rq;
    };
    long long cellOf(double v) const { return static_cast<long long>(std::floor(v / cell_)); }

    double tol_;
    double cell_ = 1;
    std::vector<WALL> walls_;
    std::vector<int> aside_;
    std::map<std::pair<long long, long long>, std::vector<int>> cells_;
};

}  // namespace

// ---- stages 5 and 19 -----------------------------------------------------------------------------------------

int cylsDelOpen(VIEW_LIST* head) {
    const double limit = g_globals->settings.minSweepAngle * kDegree;
    const double wallTolerance = 1.25 * g_tolerances.tol4T;
    std::vector<POINT_LIST*> points;
    for (VIEW_LIST* view = head; view; view = view->next) {
        points.clear();
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) points.push_back(point);
        std::vector<char> gone(points.size(), 0);
        std::unique_ptr<WallIndex> walls;   // built when the view's first open point needs it

        for (std::size_t i = 0; i < points.size(); ++i) {
            POINT_LIST* point = points[i];
            double widest = 0;
            bool open = true;
            for (const CYL_LIST* s = point->firstCyl; s && open; s = s->next) {
                widest = std::max(widest, std::fabs(s->Asw));
                open = std::fabs(s->Asw) <= limit;
            }
            if (!open) continue;
            double r = 0;
            for (const CYL_LIST* s = point->firstCyl; s; s = s->next) r = std::max({r, s->rSup, s->rInf});
            if (widest > kQuarterTurn) {
                if (!walls) walls = std::make_unique<WallIndex>(points, gone, wallTolerance);
                if (walls->onWiderWall(static_cast<int>(i), point->ptView[0], point->ptView[1], r, gone)) continue;
            }
            gone[i] = 1;
            noteDroppedHole(DROP_RULE::OpenArc, *point, r, widest);
            releasePointOfView(view, point);
        }
    }
    return 0;
}

// ---- stage 6 ---------------------------------------------------------------------------------------------------

int cylsDelAngDummy(VIEW_LIST* head) {
    const double t = g_tolerances.tolT;
    std::vector<CYL_LIST*> group;
    for (VIEW_LIST* view = head; view; view = view->next) {
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) {
            for (CYL_LIST* s = point->firstCyl; s; s = s->next) {
                group.assign(1, s);
                for (CYL_LIST* other = s->next; other && group.size() < kMaxDummyGroup; other = other->next) {
                    const bool sameTop = std::fabs(other->zSup - s->zSup) < t && std::fabs(other->rSup - s->rSup) < t;
                    const bool sameBottom =
                        std::fabs(other->zInf - s->zInf) < t && std::fabs(other->rInf - s->rInf) < t;
                    if (std::fabs(s->secAng - other->secAng) < kSameSecAng && (sameTop || sameBottom))
                        group.push_back(other);
                }
                if (group.size() < 2) continue;

                double zSup = s->zSup, zInf = s->zInf, sweep = s->Asw;
                for (std::size_t i = 1; i < group.size(); ++i) {
                    zSup = std::max(zSup, group[i]->zSup);
                    zInf = std::min(zInf, group[i]->zInf);
                    if (std::fabs(group[i]->Asw) > std::fabs(sweep)) sweep = group[i]->Asw;
                }
                setCylTop(s, zSup);
                s->zInf = zInf;
                s->Asw = sweep;
                for (std::size_t i = 1; i < group.size(); ++i) {
                    appendCylEnts(s, group[i]);
                    releaseCylOfPoint(point, group[i]);
                }
            }
        }
    }
    return 0;
}

// ---- stage 7 ---------------------------------------------------------------------------------------------------

namespace {

// One end of a segment of a view: its height, its axis point (x, y, z) in the view, its radius when the
// stage began and now. The segment of walk place k has its top end at 2 k and its bottom end at 2 k + 1 of
// the grid. The stage reads the segment's ends here, beside each other, rather than in the segment's record:
// a large part's records are far apart in memory.
struct SEG_END {
    double z;
    POINT_LIST* point;
    CYL_LIST* cyl;
    double x = 0, y = 0, r = 0;
    double axisZ = 0;   // the axis point's height in the view
    double now = r;     // the segment's radius at this end, kept by END_GRID::recheck
};

// The segment ends of one view on a grid of their axis points, so that a face is tried only against the
// ends whose circle reaches its box (grown by T and the face's trim tolerance) and lie within T of its
// plane, instead of against every end of the view at its height: coplanar faces repeat on large parts.
// No face can take a point of an end whose circle misses its box, so the stage's results stay those of
// trying every end. An end whose circle covers too many cells, or that grew past its gridded radius, is
// tried for every face.
class END_GRID {
public:
    VIEW_LIST* view = nullptr;
    VIEW_AXIS axis;

    void build(VIEW_LIST* v) {
        view = v;
        axis = viewAxis(v->viewNumber);
        for (POINT_LIST* point = v->firstPoint; point; point = point->next)
            for (CYL_LIST* s = point->firstCyl; s; s = s->next) {
                double c[3];
                worldToFrame(v->matrix, s->cUniv, c);
                ends_.push_back({s->zSup, point, s, c[0], c[1], s->rSup, c[2], s->rSup});
                ends_.push_back({s->zInf, point, s, c[0], c[1], s->rInf, c[2], s->rInf});
            }
        askedIn_.assign(ends_.size(), 0);
        std::vector<double> radii;
        bool first = true;
        for (const SEG_END& e : ends_) {
            if (!std::isfinite(e.x) || !std::isfinite(e.y) || !std::isfinite(e.r)) continue;
            const double r = std::fabs(e.r);
            radii.push_back(r);
            lo_[0] = first ? e.x - r : std::min(lo_[0], e.x - r);
            lo_[1] = first ? e.y - r : std::min(lo_[1], e.y - r);
            hi_[0] = first ? e.x + r : std::max(hi_[0], e.x + r);
            hi_[1] = first ? e.y + r : std::max(hi_[1], e.y + r);
            first = false;
        }
        if (radii.empty()) {
            for (int i = 0; i < static_cast<int>(ends_.size()); ++i) wide_.push_back(i);
            return;
        }
        std::nth_element(radii.begin(), radii.begin() + radii.size() / 2, radii.end());
        const double side = std::max(hi_[0] - lo_[0], hi_[1] - lo_[1]);
        const double perEnd = side / std::sqrt(static_cast<double>(radii.size()));
        cell_ = std::max({2 * radii[radii.size() / 2], perEnd, 1e-9 * (1 + side)});
        nx_ = std::clamp(static_cast<int>((hi_[0] - lo_[0]) / cell_) + 1, 1, kMaxCellsPerSide);
        ny_ = std::clamp(static_cast<int>((hi_[1] - lo_[1]) / cell_) + 1, 1, kMaxCellsPerSide);
        // The cells' ends in one table, cell after cell (counted first, then placed): a view of many holes
        // has as many cells, and a list of its own for each would cost an allocation apiece.
        struct SPAN {
            int end, x0, x1, y0, y1;
        };
        std::vector<SPAN> spans;
        spans.reserve(ends_.size());
        for (int i = 0; i < static_cast<int>(ends_.size()); ++i) {
            const SEG_END& e = ends_[static_cast<std::size_t>(i)];
            if (!std::isfinite(e.x) || !std::isfinite(e.y) || !std::isfinite(e.r)) {
                wide_.push_back(i);
                continue;
            }
            const double r = std::fabs(e.r);
            const int x0 = cellX(e.x - r), x1 = cellX(e.x + r), y0 = cellY(e.y - r), y1 = cellY(e.y + r);
            if ((x1 - x0 + 1) * (y1 - y0 + 1) > kMaxCellsPerEnd) {
                wide_.push_back(i);
                continue;
            }
            spans.push_back({i, x0, x1, y0, y1});
        }
        cellStart_.assign(static_cast<std::size_t>(nx_) * ny_ + 1, 0);
        for (const SPAN& span : spans)
            for (int x = span.x0; x <= span.x1; ++x)
                for (int y = span.y0; y <= span.y1; ++y) ++cellStart_[cellIndex(x, y) + 1];
        for (std::size_t c = 1; c < cellStart_.size(); ++c) cellStart_[c] += cellStart_[c - 1];
        cellEnds_.resize(cellStart_.back());
        std::vector<std::size_t> next(cellStart_.begin(), cellStart_.end() - 1);
        for (const SPAN& span : spans)
            for (int x = span.x0; x <= span.x1; ++x)
                for (int y = span.y0; y <= span.y1; ++y) cellEnds_[next[cellIndex(x, y)]++] = span.end;
    }

    // Takes the radii of the segment of walk place `order` again after flatEnd changed them, and keeps its
    // ends findable when it widened one of them past the radius it was gridded with.
    void recheck(int order) {
        for (int i : {2 * order, 2 * order + 1}) {
            if (i < 0 || i >= static_cast<int>(ends_.size())) continue;
            SEG_END& e = ends_[static_cast<std::size_t>(i)];
            e.now = i % 2 == 0 ? e.cyl->rSup : e.cyl->rInf;
            if (!(std::fabs(e.now) <= std::fabs(e.r))) wide_.push_back(i);
        }
    }

    const SEG_END& end(int i) const { return ends_[static_cast<std::size_t>(i)]; }

    // The walk places of the segments with an end within t of height h whose circle reaches the box (view
    // x, y), in walk order.
    void collect(const double lo[2], const double hi[2], double h, double t, std::vector<int>& out) {
        out.clear();
        if (++question_ == 0) {
            std::fill(askedIn_.begin(), askedIn_.end(), 0);
            question_ = 1;
        }
        auto consider = [&](int i) {
            // An end in several of the box's cells, or also among the wide ones, is looked at once.
            std::uint32_t& asked = askedIn_[static_cast<std::size_t>(i)];
            if (asked == question_) return;
            asked = question_;
            const SEG_END& e = ends_[static_cast<std::size_t>(i)];
            if (!(e.z >= h - t && e.z <= h + t)) return;
            const double r = std::max(std::fabs(e.r), std::fabs(e.now));
            const double dx = std::max({lo[0] - e.x, 0.0, e.x - hi[0]});
            const double dy = std::max({lo[1] - e.y, 0.0, e.y - hi[1]});
            // NaN coordinates fail every comparison: such an end is kept, as the plain walk would try it.
            if (std::hypot(dx, dy) > r * (1 + 1e-12) + 1e-12) return;
            out.push_back(i / 2);
        };
        if (!cellStart_.empty() && hi[0] >= lo_[0] && lo[0] <= hi_[0] && hi[1] >= lo_[1] && lo[1] <= hi_[1]) {
            const int x0 = cellX(lo[0]), x1 = cellX(hi[0]), y0 = cellY(lo[1]), y1 = cellY(hi[1]);
            for (int x = x0; x <= x1; ++x)
                for (int y = y0; y <= y1; ++y)
                    for (std::size_t k = cellStart_[cellIndex(x, y)]; k < cellStart_[cellIndex(x, y) + 1]; ++k)
                        consider(cellEnds_[k]);
        }
        for (int i : wide_) consider(i);
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }

private:
    static constexpr int kMaxCellsPerSide = 2048;
    static constexpr int kMaxCellsPerEnd = 64;

    std::size_t cellIndex(int x, int y) const { return static_cast<std::size_t>(x) * ny_ + y; }
    int cellX(double v) const { return cellOf(v, lo_[0], nx_); }
    int cellY(double v) const { return cellOf(v, lo_[1], ny_); }
    int cellOf(double v, double from, int count) const {
        const double c = std::floor((v - from) / cell_);
        if (!(c >= 0)) return 0;
        return c >= count - 1 ? count - 1 : static_cast<int>(c);
    }
    std::vector<SEG_END> ends_;   // two per segment: top, bottom
    std::vector<std::size_t> cellStart_;   // cell c's ends are cellEnds_[cellStart_[c] .. cellStart_[c + 1])
    std::vector<int> cellEnds_;
    std::vector<int> wide_;
    std::vector<std::uint32_t> askedIn_;   // each end's last collect, numbered by question_
    std::uint32_t question_ = 0;
    double lo_[2] = {0, 0}, hi_[2] = {0, 0};
    double cell_ = 1;
    int nx_ = 0, ny_ = 0;
};

// A planar face with its boundary points, each boundary's last point already replaced by its first, and
// the points that measure its reach about an axis, (x, y) in the frame of the view last asked for: many
// segments of one view may end on one face, and each would otherwise evaluate every boundary point again
// and walk all of them.
struct PLANAR_FACE {
    const ent* surface;   // its boundaries fit its trim table
    const VIEW_LIST* framedFor = nullptr;
    CBoundaryReach reach;

    CBoundaryReach& reachIn(const VIEW_LIST* view);
};

// Whether the boundaries fit the trim table. The lengths must add up to no more than the table holds plus
// the one closing point that is never read; a start or length that leaves the table counts as incoherent
// too rather than being read past the end.
bool boundariesFit(const ent& e, long* sum) {
    const long count = static_cast<long>(e.surf.trimPoints.size());
    *sum = 0;
    for (const trim_bound& b : e.surf.trimBounds) *sum += b.length + 2;
    if (*sum > count + 1) return false;
    for (std::size_t i = 0; i < e.surf.trimBounds.size(); ++i) {
        const trim_bound& b = e.surf.trimBounds[i];
        const long start = i == 0 ? 0 : b.start;
        const long points = b.length + 2;
        if (start < 0 || points < 2 || start + points - 1 > count) return false;
    }
    return true;
}

// Where boundary i of a face whose boundaries fit starts in the trim table, and how many points it has; its
// last point is read as its first.
struct BOUNDARY_SPAN {
    std::size_t start, points;
};

BOUNDARY_SPAN boundarySpan(const ent& e, std::size_t i) {
    const trim_bound& b = e.surf.trimBounds[i];
    return {i == 0 ? 0 : static_cast<std::size_t>(b.start), static_cast<std::size_t>(b.length + 2)};
}

// A direction about an axis, its cosine and sine.
struct TURN {
    double cos, sin;
};

TURN turnOf(double angle) { return {std::cos(angle), std::sin(angle)}; }

// The probes' directions, worked out once: every end on a planar face tries them.
const std::array<TURN, kProbeCount>& probeTurns() {
    static const std::array<TURN, kProbeCount> turns = [] {
        std::array<TURN, kProbeCount> t{};
        for (int k = 0; k < kProbeCount; ++k) t[static_cast<std::size_t>(k)] = turnOf(k * 2 * kPi / kProbeCount);
        return t;
    }();
    return turns;
}

// Whether the face takes the point at `radius` about c (view frame) at c's height, in direction `turn`.
bool takesPointAround(const PLANAR_FACE& face, const END_GRID& grid, const double c[3], double radius, TURN turn) {
    const double local[3] = {c[0] + radius * turn.cos, c[1] + radius * turn.sin, c[2]};
    double world[3], hit[3];
    frameToWorld(grid.view->matrix, local, world);
    return projectGridOntoSurf(face.surface, grid.axis, world, hit) != 0;
}

// The turn by the edges' atan2 directions; out of line, as the dot product decides nearly every turn and
// the boundary's loop stays small.
[[gnu::noinline]] bool turnsLessThanRightAngleByAngles(const double a[2], const double b[2]) {
    const double turn = std::atan2(b[1], b[0]) - std::atan2(a[1], a[0]);
    return std::fabs(std::remainder(turn, 2 * kPi)) < kPi / 2;
}

// Whether a boundary turns by less than a right angle from edge a to edge b (the differences of their
// points), as the difference of their atan2 directions tells. The dot product decides all but turns within
// a hair of the right angle, and those too tiny or too large to square; atan2 decides those as it always did.
inline bool turnsLessThanRightAngle(const double a[2], const double b[2]) {
    const double aa = a[0] * a[0] + a[1] * a[1], bb = b[0] * b[0] + b[1] * b[1];
    if (aa > 1e-100 && aa < 1e100 && bb > 1e-100 && bb < 1e100) {
        const double dot = a[0] * b[0] + a[1] * b[1];
        if (dot * dot > 1e-18 * aa * bb) return dot > 0;
    }
    return turnsLessThanRightAngleByAngles(a, b);
}

// Every boundary point, and the middle of every edge that does not turn back by a right angle or more from
// the edge before.
CBoundaryReach& PLANAR_FACE::reachIn(const VIEW_LIST* view) {
    if (framedFor == view) return reach;
    const auto& table = surface->surf.trimPoints;
    // Room for every point and the middle of every edge, filled in place: a large face has thousands.
    std::size_t room = 0;
    for (std::size_t b = 0; b < surface->surf.trimBounds.size(); ++b) room += 2 * boundarySpan(*surface, b).points;
    std::vector<CBoundaryReach::POINT> points(room);
    std::size_t filled = 0;
    for (std::size_t b = 0; b < surface->surf.trimBounds.size(); ++b) {
        const BOUNDARY_SPAN span = boundarySpan(*surface, b);
        double previous[2] = {0, 0}, previousEdge[2] = {0, 0};
        std::size_t evaluated = 0;
        for (std::size_t k = 0; k < span.points; ++k) {
            const uv_pt& uv = table[span.start + (k + 1 < span.points ? k : 0)];
            p_3d p;
            if (!eval_surf(surface, uv.u, uv.v, 0, &p)) continue;
            const double world[3] = {p.x, p.y, p.z};
            double q[2];
            worldToFrameXY(view->matrix, world, q);
            points[filled++] = {q[0], q[1]};
            if (evaluated > 0) {
                const double edge[2] = {q[0] - previous[0], q[1] - previous[1]};
                if (evaluated == 1 || turnsLessThanRightAngle(previousEdge, edge))
                    points[filled++] = {(q[0] + previous[0]) / 2, (q[1] + previous[1]) / 2};
                copyPoint2d(previousEdge, edge);
            }
            copyPoint2d(previous, q);
            ++evaluated;
        }
    }
    points.resize(filled);
    reach = CBoundaryReach(std::move(points));
    framedFor = view;
    return reach;
}

// The nearest and farthest reach of the face's boundaries about c.
void boundaryReach(PLANAR_FACE& face, const VIEW_LIST* view, const double c[3], double* rMin, double* rMax) {
    face.reachIn(view).reach(c[0], c[1], rMin, rMax);
}

void appendSurfaceEnt(CYL_LIST* s, const ent& e) {
    if (s->entCount >= kMaxCylEnts) return;
    CYL_ENT& entry = s->ents[s->entCount++];
    entry.level = e.level;
    entry.colour = static_cast<std::uint16_t>(e.color);
    entry.id = static_cast<std::int32_t>(e.id);
    entry.entry = e.eptr;
}

// The face against the end of the segment of walk place `order` lying in its plane at the view's height h.
// True when it changed the segment's radii.
bool flatEnd(const ent& e, PLANAR_FACE& face, const END_GRID& grid, int order, double h, std::uint16_t mode) {
    const VIEW_LIST* view = grid.view;
    const double t = g_tolerances.tolT;
    const SEG_END& topEnd = grid.end(2 * order);
    const SEG_END& bottomEnd = grid.end(2 * order + 1);
    const bool top = std::fabs(topEnd.z - h) < t;
    if (!top && !(std::fabs(bottomEnd.z - h) < t)) return false;
    const double r = top ? topEnd.now : bottomEnd.now;
    const double c[3] = {topEnd.x, topEnd.y, topEnd.axisZ};
    POINT_LIST* point = topEnd.point;
    CYL_LIST* s = topEnd.cyl;

    const double probe = r - 1.5 * g_tolerances.tol2T;
    if (probe < t) return false;
    bool touches = false;
    for (const TURN& turn : probeTurns()) {
        touches = takesPointAround(face, grid, c, probe, turn);
        if (touches) break;
    }
    if (!touches) return false;

    double hit[3];
    const bool closed = projectGridOntoSurf(face.surface, grid.axis, s->cUniv, hit) != 0;
    double rMin = r, rMax = 0;
    if (closed) {
        rMin = 0;
        rMax = r;
    } else {
        boundaryReach(face, view, c, &rMin, &rMax);
    }

    const double outside = r + 5 * g_tolerances.tol4T;
    if (rMax > outside) {
        bool flat = r - rMin >= 2.5 * g_tolerances.tol4T &&
                    takesPointAround(face, grid, c, outside, turnOf(s->Ai + s->Asw / 2));
        if (mode == kRecognizeFeatures) flat = false;
        if (flat && s == point->firstCyl && top) {
            // The face is the hole's entry face: the mouth is where the face's inner edge lies.
            s->rSup = rMin;
            s->topFlat = 0;
            if (rMin < s->rInf) {
                s->rInf = rMin;
                s->bottomFlat = 0;
            }
            return true;
        }
        if (!flat) return false;
    }

    if (top) {
        s->rFlatMinTop = rMin;
        s->rFlatMaxTop = rMax;
        s->topFlat = 1;
        s->topClosed = closed ? 1 : 0;
    } else {
        s->rFlatMinBtm = rMin;
        s->rFlatMaxBtm = rMax;
        s->bottomFlat = 1;
        s->bottomClosed = closed ? 1 : 0;
    }
    appendSurfaceEnt(s, e);
    return false;
}

// The face's box seen in the view (x, y), grown by `reach`.
void faceBoxInView(const ent& e, const VIEW_LIST* view, double reach, double lo[2], double hi[2]) {
    const p_3d& a = e.surf.boxMin;
    const p_3d& b = e.surf.boxMax;
    lo[0] = lo[1] = 1e300;
    hi[0] = hi[1] = -1e300;
    for (int k = 0; k < 8; ++k) {
        const double corner[3] = {(k & 1) ? b.x : a.x, (k & 2) ? b.y : a.y, (k & 4) ? b.z : a.z};
        double q[3];
        worldToFrame(view->matrix, corner, q);
        for (int i = 0; i < 2; ++i) {
            lo[i] = std::min(lo[i], q[i]);
            hi[i] = std::max(hi[i], q[i]);
        }
    }
    for (int i = 0; i < 2; ++i) {
        const double slack = reach + 1e-9 * (std::fabs(lo[i]) + std::fabs(hi[i]));
        lo[i] -= slack;
        hi[i] += slack;
    }
}

// Asks about a face whose boundaries do not fit its table. True when the user cancels the stage.
bool rejectIncoherent(const ent& e, long pointCount, long sum) {
    char text[1024];
    std::snprintf(text, sizeof text, "%s\n%s: %li\n%s: X%.3f Y%.3f Z%.3f\n%s: %i\n%s: %i\n%s",
                  "Incoherent flat surface boundaries", "Entity number", static_cast<long>(e.id), "Entity location",
                  e.surf.sphereCentre.x, e.surf.sphereCentre.y, e.surf.sphereCentre.z,
                  "Total boundary points on surface info", static_cast<int>(pointCount),
                  "Adding the points of each boundary results", static_cast<int>(sum),
                  "This surface is rejected\nTry to increase the 'Database allocation' (Screen, Configure)");
    return plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OKCANCEL) == plat::IDCANCEL;
}

// Whether the stage tries the face at all, its plane aside.
bool mayBeFlatFace(const ent& e) {
    return e.surf.typeCode == kSurfTrimmed && !e.surf.trimBounds.empty() && is_level_visible(e.level);
}

// The stage's state across the faces it tries.
struct FLAT_STAGE {
    std::vector<END_GRID> grids;
    std::vector<int> hits;   // walk places of segments of one grid
    std::uint16_t mode;
    int result = kPlanarDone;
};

// One kept face against the segment ends of every view. 1 when the user cancels the stage.
int tryFace(const ent& e, const CPlanarFaces::GEOMETRY& geometry, FLAT_STAGE& w) {
    long sum = 0;
    if (!boundariesFit(e, &sum)) {
        if (rejectIncoherent(e, static_cast<long>(e.surf.trimPoints.size()), sum)) return 1;
        w.result = kPlanarRejected;
        return 0;
    }
    PLANAR_FACE face{&e, nullptr, CBoundaryReach()};
    const double t = g_tolerances.tolT;
    const double n[3] = {geometry.normal.x, geometry.normal.y, geometry.normal.z};
    const double p[3] = {geometry.point.x, geometry.point.y, geometry.point.z};
    const double reach = t + geometry.trimTolerance;
    for (END_GRID& grid : w.grids) {
        if (compareDirections(grid.view->matrix[2], n, g_tolerances.axisAngle) == 0) continue;
        double q[3], lo[2], hi[2];
        worldToFrame(grid.view->matrix, p, q);
        faceBoxInView(e, grid.view, reach, lo, hi);
        grid.collect(lo, hi, q[2], t, w.hits);
        for (int order : w.hits)
            if (flatEnd(e, face, grid, order, q[2], w.mode)) grid.recheck(order);
    }
    return 0;
}

int planarFaces(VIEW_LIST* head, std::uint16_t mode, CPlanarFaces& faces) {
    FLAT_STAGE stage{{}, {}, mode};
    for (VIEW_LIST* view = head; view; view = view->next) stage.grids.emplace_back().build(view);
    const auto visit = [&](const ent& e, const CPlanarFaces::GEOMETRY& g) { return tryFace(e, g, stage); };
    if (faces.forEach(visit) == 1) return kPlanarRejected;
    return stage.result;
}

void noRoomMessage() {
    plat::messageBox(nullptr, errorMessage(35), errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
}

}  // namespace

bool CPlanarFaces::offer(const ent& surface) {
    GEOMETRY geometry;
    if (!mayBeFlatFace(surface) || !is_surf_planar(&surface, &geometry.normal, &geometry.point)) return true;
    geometry.trimTolerance = surf_trim_tolerance(&surface);
    try {
        faces_.push_back({surface.id, surface.eptr, surface.level, surface.color, geometry, surface.surf});
        return true;
    } catch (const std::bad_alloc&) {
        noRoomMessage();
        return false;
    }
}

int cylsPlanar(VIEW_LIST* head, std::uint16_t mode) {
    CPlanarFaces faces;
    if (forEachVisibleSurface([&](const ent& surface) { return faces.offer(surface) ? 0 : -1; }) < 0)
        return kPlanarNoMemory;
    return cylsPlanar(head, mode, faces);
}

// The tables a face's boundaries need are the stage's only sizeable allocations; running out of memory
// there ends the stage with the allocation message instead of an exception leaving the plug-in.
int cylsPlanar(VIEW_LIST* head, std::uint16_t mode, CPlanarFaces& faces) {
    try {
        return planarFaces(head, mode, faces);
    } catch (const std::bad_alloc&) {
        noRoomMessage();
        return kPlanarNoMemory;
    }
}
