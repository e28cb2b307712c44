// Stages DelOpen, DelAngDummy and Planar. Notation: T = g_tolerances.tolT, 4T = g_tolerances.tol4T; c is a
// segment's axis point (cUniv) in its view's frame; r the radius of the end looked at; a flat ring runs
// from rMin to rMax about the axis. Faces are sampled through eval_surf and projected along the view's Z
// with projectGridOntoSurf; a face "takes" a world point when that projection succeeds.
#include "plugin/recognition/open_arcs.h"

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
#include "plugin/core/globals.h"
#include "plugin/recognition/directions.h"
#include "plugin/recognition/merging.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/surface_segment.h"
#include "plugin/recognition/tree.h"
#include "plugin/tooling/services.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDegree = kPi / 180;
constexpr double kQuarterTurn = 1.5699236621688988;      // 89.95 degrees
constexpr double kSameSecAng = 0.0008726646259971645;    // 0.05 degree
constexpr int kMaxDummyGroup = 20;
constexpr int kProbeCount = 8;

void toView(const double matrix[3][3], const double world[3], double out[3]) {
    double transposed[3][3];
    transpose_matrix_33(matrix, transposed);
    mul_mat_vector(transposed, world, out);
}

double largestRadius(const POINT_LIST* point, double minSweep) {
    double r = 0;
    for (const CYL_LIST* s = point->firstCyl; s; s = s->next)
        if (std::fabs(s->Asw) > minSweep) r = std::max({r, s->rSup, s->rInf});
    return r;
}

// The points of one view with their full-sweep radius (Rq), in cells of a square grid, so that an open
// point finds the wider holes whose wall it may lie on without looking at every point of the view. A hole
// goes into every cell that its wall (grown by the tolerance) may reach; one reaching very many cells is
// kept aside and tried for every query.
class WallIndex {
public:
    WallIndex(const std::vector<POINT_LIST*>& points, double wallTolerance) : tol_(wallTolerance) {
        std::vector<double> reaches;
        for (std::size_t i = 0; i < points.size(); ++i) {
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
                if (!walls) walls = std::make_unique<WallIndex>(points, wallTolerance);
                if (walls->onWiderWall(static_cast<int>(i), point->ptView[0], point->ptView[1], r, gone)) continue;
            }
            gone[i] = 1;
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

// One end height of a segment of a view, for finding the segments that end in a plane.
struct SEG_END {
    double z;
    int order;   // the segment's place in the view's walk, so hits are handled in list order
    POINT_LIST* point;
    CYL_LIST* cyl;
};

// The segment ends of every view sorted by height. Heights do not change during the stage, so the ends
// within T of a plane are found by a binary search instead of a walk over every hole of the view.
struct END_INDEX {
    VIEW_LIST* view;
    std::vector<SEG_END> ends;

    void collect(double h, double t, std::vector<SEG_END>& out) const {
        out.clear();
        auto from = std::lower_bound(ends.begin(), ends.end(), h - t,
                                     [](const SEG_END& e, double z) { return e.z < z; });
        for (auto it = from; it != ends.end() && it->z <= h + t; ++it) out.push_back(*it);
        std::sort(out.begin(), out.end(), [](const SEG_END& a, const SEG_END& b) { return a.order < b.order; });
        auto sameSegment = [](const SEG_END& a, const SEG_END& b) { return a.order == b.order; };
        out.erase(std::unique(out.begin(), out.end(), sameSegment), out.end());
    }
};

std::vector<END_INDEX> indexEnds(VIEW_LIST* head) {
    std::vector<END_INDEX> index;
    for (VIEW_LIST* view = head; view; view = view->next) {
        END_INDEX& entry = index.emplace_back();
        entry.view = view;
        int order = 0;
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) {
            for (CYL_LIST* s = point->firstCyl; s; s = s->next, ++order) {
                entry.ends.push_back({s->zSup, order, point, s});
                entry.ends.push_back({s->zInf, order, point, s});
            }
        }
        std::sort(entry.ends.begin(), entry.ends.end(), [](const SEG_END& a, const SEG_END& b) {
            return a.z != b.z ? a.z < b.z : a.order < b.order;
        });
    }
    return index;
}

// A planar face with its boundary points, each boundary's last point already replaced by its first, and
// those points (x, y) in the frame of the view last asked for: many segments of one view may end on one
// face, and each would otherwise evaluate every boundary point again.
struct PLANAR_FACE {
    const ent* surface;
    std::vector<std::vector<uv_pt>> boundaries;
    const VIEW_LIST* framedFor = nullptr;
    std::vector<std::vector<std::array<double, 2>>> framed;

    const std::vector<std::vector<std::array<double, 2>>>& inFrameOf(const VIEW_LIST* view);
};

// Takes the boundaries out of the trim table; false when they are incoherent. The lengths must add up to
// no more than the table holds plus the one closing point that is never read; a start or length that
// leaves the table counts as incoherent too rather than being read past the end.
bool readBoundaries(const ent& e, PLANAR_FACE& face, long* sum) {
    const std::vector<uv_pt>& table = e.surf.trimPoints;
    const long count = static_cast<long>(table.size());
    *sum = 0;
    for (const trim_bound& b : e.surf.trimBounds) *sum += b.length + 2;
    if (*sum > count + 1) return false;
    face.boundaries.reserve(e.surf.trimBounds.size());
    for (std::size_t i = 0; i < e.surf.trimBounds.size(); ++i) {
        const trim_bound& b = e.surf.trimBounds[i];
        const long start = i == 0 ? 0 : b.start;
        const long points = b.length + 2;
        if (start < 0 || points < 2 || start + points - 1 > count) return false;
        std::vector<uv_pt>& boundary = face.boundaries.emplace_back();
        boundary.reserve(static_cast<std::size_t>(points));
        for (long k = 0; k + 1 < points; ++k) boundary.push_back(table[static_cast<std::size_t>(start + k)]);
        boundary.push_back(table[static_cast<std::size_t>(start)]);
    }
    return true;
}

// Whether the face takes the point at `radius` and `angle` about c (view frame) at c's height.
bool takesPointAround(const PLANAR_FACE& face, const VIEW_LIST* view, const double c[3], double radius,
                      double angle) {
    const double local[3] = {c[0] + radius * std::cos(angle), c[1] + radius * std::sin(angle), c[2]};
    double world[3], hit[3];
    mul_mat_vector(view->matrix, local, world);
    return projectGridOntoSurf(face.surface, view->viewNumber, world, hit) != 0;
}

const std::vector<std::vector<std::array<double, 2>>>& PLANAR_FACE::inFrameOf(const VIEW_LIST* view) {
    if (framedFor == view) return framed;
    framed.assign(boundaries.size(), {});
    for (std::size_t b = 0; b < boundaries.size(); ++b) {
        for (const uv_pt& uv : boundaries[b]) {
            p_3d p;
            if (!eval_surf(surface, uv.u, uv.v, 0, &p)) continue;
            const double world[3] = {p.x, p.y, p.z};
            double q[3];
            toView(view->matrix, world, q);
            framed[b].push_back({q[0], q[1]});
        }
    }
    framedFor = view;
    return framed;
}

// The nearest and farthest reach of the face's boundaries about c: every boundary point, and the middle
// of every edge that does not turn back by a right angle or more from the edge before.
void boundaryReach(PLANAR_FACE& face, const VIEW_LIST* view, const double c[3], double* rMin, double* rMax) {
    auto reach = [&](double x, double y) {
        const double d = std::hypot(x - c[0], y - c[1]);
        *rMin = std::min(*rMin, d);
        *rMax = std::max(*rMax, d);
    };
    for (const std::vector<std::array<double, 2>>& boundary : face.inFrameOf(view)) {
        double previous[2] = {0, 0};
        double previousDirection = 0;
        for (std::size_t k = 0; k < boundary.size(); ++k) {
            const std::array<double, 2>& q = boundary[k];
            reach(q[0], q[1]);
            if (k > 0) {
                const double direction = std::atan2(q[1] - previous[1], q[0] - previous[0]);
                if (k == 1 || std::fabs(std::remainder(direction - previousDirection, 2 * kPi)) < kPi / 2)
                    reach((q[0] + previous[0]) / 2, (q[1] + previous[1]) / 2);
                previousDirection = direction;
            }
            copyPoint2d(previous, q.data());
        }
    }
}

void appendSurfaceEnt(CYL_LIST* s, const ent& e) {
    if (s->entCount >= kMaxCylEnts) return;
    CYL_ENT& entry = s->ents[s->entCount++];
    entry.level = e.level;
    entry.colour = static_cast<std::uint16_t>(e.color);
    entry.id = static_cast<std::int32_t>(e.id);
    entry.entry = e.eptr;
}

// The face against one end of s lying in its plane at the view's height h.
void flatEnd(const ent& e, PLANAR_FACE& face, const VIEW_LIST* view, POINT_LIST* point, CYL_LIST* s,
             double h, std::uint16_t mode) {
    const double t = g_tolerances.tolT;
    const bool top = std::fabs(s->zSup - h) < t;
    if (!top && !(std::fabs(s->zInf - h) < t)) return;
    const double r = top ? s->rSup : s->rInf;
    double c[3];
    toView(view->matrix, s->cUniv, c);

    const double probe = r - 1.5 * g_tolerances.tol2T;
    if (probe < t) return;
    bool touches = false;
    for (int k = 0; k < kProbeCount && !touches; ++k)
        touches = takesPointAround(face, view, c, probe, k * 2 * kPi / kProbeCount);
    if (!touches) return;

    double hit[3];
    const bool closed = projectGridOntoSurf(face.surface, view->viewNumber, s->cUniv, hit) != 0;
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
                    takesPointAround(face, view, c, outside, s->Ai + s->Asw / 2);
        if (mode == kRecognizeFeatures) flat = false;
        if (flat && s == point->firstCyl && top) {
            // The face is the hole's entry face: the mouth is where the face's inner edge lies.
            s->rSup = rMin;
            s->topFlat = 0;
            if (rMin < s->rInf) {
                s->rInf = rMin;
                s->bottomFlat = 0;
            }
            flat = false;
        }
        if (!flat) return;
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

int planarFaces(VIEW_LIST* head, std::uint16_t mode) {
    const double t = g_tolerances.tolT;
    const std::vector<END_INDEX> index = indexEnds(head);
    std::vector<SEG_END> hits;
    int result = kPlanarDone;

    db_ptr from = db_start();
    for (;;) {
        ent e{};
        char found = 0;
        get_ent(from, 1, kEntSurface, &e, &from, &found);
        if (!found) break;
        if (!is_level_visible(e.level) || e.surf.typeCode != kSurfTrimmed || e.surf.trimBounds.empty()) continue;
        p_3d normal, planePoint;
        if (!is_surf_planar(&e, &normal, &planePoint)) continue;

        PLANAR_FACE face{&e, {}, nullptr, {}};
        long sum = 0;
        if (!readBoundaries(e, face, &sum)) {
            if (rejectIncoherent(e, static_cast<long>(e.surf.trimPoints.size()), sum)) return kPlanarRejected;
            result = kPlanarRejected;
            continue;
        }
        const double n[3] = {normal.x, normal.y, normal.z};
        const double p[3] = {planePoint.x, planePoint.y, planePoint.z};
        for (const END_INDEX& entry : index) {
            if (compareDirections(entry.view->matrix[2], n, g_tolerances.axisAngle) == 0) continue;
            double q[3];
            toView(entry.view->matrix, p, q);
            entry.collect(q[2], t, hits);
            for (const SEG_END& hit : hits) flatEnd(e, face, entry.view, hit.point, hit.cyl, q[2], mode);
        }
    }
    return result;
}

}  // namespace

// The tables a face's boundaries need are the stage's only sizeable allocations; running out of memory
// there ends the stage with the allocation message instead of an exception leaving the plug-in.
int cylsPlanar(VIEW_LIST* head, std::uint16_t mode) {
    try {
        return planarFaces(head, mode);
    } catch (const std::bad_alloc&) {
        plat::messageBox(nullptr, errorMessage(35), errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
        return kPlanarNoMemory;
    }
}
