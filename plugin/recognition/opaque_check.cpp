// The opaque-surfaces check. Every visible surface meets every hole of every view: hillT and hillB take
// the surface's extreme z whatever its distance, the rays only reach the holes near it.
// Notation: view coordinates are transpose(M) p for the view matrix M; top z = ptView z; bottom z = top z
// - depth (first zSup - last zInf); P = view z of a ray's hit; T = g_tolerances.tolT.
// Cost: the near holes come from a grid (CNearHoles), and hillT/hillB are settled at the end from each
// view's surfaces ranked by z (CRanking), so the run is not surfaces x holes; the results are those of the
// plain loop over every surface, view and hole (see settleHills). A planar surface's points are evaluated
// once for all the views (CPlanarHeights), and a hole casts no ray at a surface whose box its rays miss.
#include "plugin/model/view_order.h"
#include "plugin/recognition/opaque_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <numbers>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/base/progress_box.h"
#include "plugin/base/directions.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/surface_segment.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "plugin/services/recognition.h"

namespace opaque {

// ---- hole surfaces -----------------------------------------------------------------------------------------

CHoleSurfaces::CHoleSurfaces(const VIEW_LIST* tree) {
    std::size_t order = 0;
    for (const VIEW_LIST* view = tree; view; view = view->next)
        for (POINT_LIST* point = view->firstPoint; point; point = point->next, ++order) {
            const std::size_t from = entries_.size();
            for (const CYL_LIST* cyl = point->firstCyl; cyl; cyl = cyl->next)
                for (int i = 0; i < std::min<int>(cyl->entCount, kMaxCylEnts); ++i) {
                    entries_.push_back(cyl->ents[i].entry);
                    owners_.push_back({cyl->ents[i].id, order, point});
                }
            std::sort(entries_.begin() + static_cast<std::ptrdiff_t>(from), entries_.end());
            spanOf_[point] = {from, entries_.size() - from};
        }
    std::sort(owners_.begin(), owners_.end(), [](const OWNER& a, const OWNER& b) {
        return a.id != b.id ? a.id < b.id : a.order < b.order;
    });
}

std::span<const db_ptr> CHoleSurfaces::entriesOf(const POINT_LIST* point) const {
    const auto it = spanOf_.find(point);
    if (it == spanOf_.end()) return {};
    return std::span<const db_ptr>(entries_).subspan(it->second.from, it->second.count);
}

POINT_LIST* CHoleSurfaces::firstOwnerById(std::int32_t id, const POINT_LIST* except) const {
    auto it = std::lower_bound(owners_.begin(), owners_.end(), id,
                               [](const OWNER& owner, std::int32_t key) { return owner.id < key; });
    for (; it != owners_.end() && it->id == id; ++it)
        if (it->point != except) return it->point;
    return nullptr;
}

// ---- near holes --------------------------------------------------------------------------------------------

void CNearHoles::add(double x, double y, double reach) {
    entries_.push_back({x, y});
    maxReach_ = std::max(maxReach_, reach);
    indexed_ = false;
}

void CNearHoles::widenBoxReach(double boxReach) {
    const double r = std::fabs(boxReach);
    boxReach_ = std::isnan(r) ? std::numeric_limits<double>::infinity() : std::max(boxReach_, r);
}

void CNearHoles::index() const {
    indexed_ = true;
    cellStart_.clear();
    cellEntries_.clear();
    aside_.clear();
    double lo[2] = {0, 0}, hi[2] = {0, 0};
    int finite = 0;
    for (const ENTRY& e : entries_) {
        if (!std::isfinite(e.x) || !std::isfinite(e.y)) continue;
        lo[0] = finite ? std::min(lo[0], e.x) : e.x;
        lo[1] = finite ? std::min(lo[1], e.y) : e.y;
        hi[0] = finite ? std::max(hi[0], e.x) : e.x;
        hi[1] = finite ? std::max(hi[1], e.y) : e.y;
        ++finite;
    }
    // About one hole per cell, and no cell narrower than a hole's reach: a grid of no more cells than
    // holes, give or take a row, in one table.
    const double side = std::max(hi[0] - lo[0], hi[1] - lo[1]);
    const double perHole = finite > 0 ? side / std::sqrt(static_cast<double>(finite)) : 1.0;
    const double cell = std::max({perHole, 2 * maxReach_, 1e-9 * (1 + side)});
    perCell_ = 1 / cell;
    first_[0] = cellOf(lo[0]), first_[1] = cellOf(lo[1]);
    cellsX_ = cellOf(hi[0]) - first_[0] + 1, cellsY_ = cellOf(hi[1]) - first_[1] + 1;
    auto cellIndex = [&](const ENTRY& e) {
        return static_cast<std::size_t>((cellOf(e.x) - first_[0]) * cellsY_ + (cellOf(e.y) - first_[1]));
    };
    cellStart_.assign(static_cast<std::size_t>(cellsX_ * cellsY_) + 1, 0);
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
        const ENTRY& e = entries_[static_cast<std::size_t>(i)];
        if (!std::isfinite(e.x) || !std::isfinite(e.y)) aside_.push_back(i);
        else ++cellStart_[cellIndex(e) + 1];
    }
    for (std::size_t c = 1; c < cellStart_.size(); ++c) cellStart_[c] += cellStart_[c - 1];
    cellEntries_.resize(cellStart_.back());
    std::vector<std::size_t> next(cellStart_.begin(), cellStart_.end() - 1);
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
        const ENTRY& e = entries_[static_cast<std::size_t>(i)];
        if (std::isfinite(e.x) && std::isfinite(e.y)) cellEntries_[next[cellIndex(e)]++] = i;
    }
}

void CNearHoles::query(double x, double y, double radius, const double (*startBox)[2],
                       std::vector<int>& out) const {
    out.clear();
    if (!indexed_) index();
    // A little more than the reach, so that rounding never drops a hole the exact test would keep.
    const double reach = radius + maxReach_;
    const double margin = 1e-9 * (1.0 + std::fabs(x) + std::fabs(y) + reach);
    const double r = reach + margin;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(r)) {
        for (int i = 0; i < size(); ++i) out.push_back(i);
        return;
    }
    // raysMayMeetBox refuses a circle of radius q <= R about e on an axis when e + q < lo or e - q > hi; a
    // rounded sum never falls as a term grows, so e + R < lo or e - R > hi refuses every such circle. The
    // cells are those the sphere's square meets, on an axis narrowed to [lo - R, hi + R] widened by a
    // margin that rounding cannot cross: any entry beyond it fails e + R < lo or e - R > hi. A bound that
    // is not finite (NaN) narrows nothing: std::max and std::min keep their first operand then.
    const double noBox[2][2] = {{-HUGE_VAL, HUGE_VAL}, {-HUGE_VAL, HUGE_VAL}};
    const double (*box)[2] = startBox ? startBox : noBox;
    const double R = boxReach_;
    std::int64_t range[2][2];
    const double centre[2] = {x, y};
    for (int a = 0; a < 2; ++a) {
        const double lo = box[a][0], hi = box[a][1];
        const double boxMargin = 1e-9 * (1.0 + std::fabs(lo) + std::fabs(hi) + R);
        const double from = std::max(centre[a] - r, lo - R - boxMargin);
        const double to = std::min(centre[a] + r, hi + R + boxMargin);
        range[a][0] = std::max(cellOf(from) - first_[a], std::int64_t{0});
        range[a][1] = std::min(cellOf(to) - first_[a], (a == 0 ? cellsX_ : cellsY_) - 1);
    }
    const std::int64_t x0 = range[0][0], x1 = range[0][1], y0 = range[1][0], y1 = range[1][1];
    if (x0 <= x1 && y0 <= y1) {
        for (std::int64_t cx = x0; cx <= x1; ++cx) {
            const std::size_t row = static_cast<std::size_t>(cx * cellsY_);
            for (std::size_t k = cellStart_[row + static_cast<std::size_t>(y0)];
                 k < cellStart_[row + static_cast<std::size_t>(y1) + 1]; ++k) {
                const int i = cellEntries_[k];
                const ENTRY& e = entries_[static_cast<std::size_t>(i)];
                if (std::fabs(e.x - x) <= r && std::fabs(e.y - y) <= r && !(e.x + R < box[0][0]) &&
                    !(e.x - R > box[0][1]) && !(e.y + R < box[1][0]) && !(e.y - R > box[1][1]))
                    out.push_back(i);
            }
        }
    }
    out.insert(out.end(), aside_.begin(), aside_.end());
    // Each cell lists its entries in ascending number, so a query within one cell is sorted already.
    if (!std::is_sorted(out.begin(), out.end())) std::sort(out.begin(), out.end());
}

// ---- ranking -----------------------------------------------------------------------------------------------

void CRanking::reset(const std::vector<double>& keys, bool descending) {
    keys_ = &keys;
    descending_ = descending;
    order_.resize(keys.size());
    for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = i;
    sorted_ = 0;
    if (std::none_of(keys.begin(), keys.end(), [](double k) { return std::isnan(k); })) return;
    auto before = [&](std::size_t a, std::size_t b) { return descending ? keys[a] > keys[b] : keys[a] < keys[b]; };
    std::stable_sort(order_.begin(), order_.end(), before);
    sorted_ = order_.size();
}

// Without NaN, key then position is a strict total order and gives the stable sort's ranks: the next ranks
// are the least of the rest.
void CRanking::sortTo(std::size_t count) {
    const std::vector<double>& keys = *keys_;
    auto before = [&](std::size_t a, std::size_t b) {
        const double ka = keys[a], kb = keys[b];
        if (ka != kb) return descending_ ? ka > kb : ka < kb;
        return a < b;
    };
    const std::size_t to = std::min(order_.size(), std::max({count, 2 * sorted_, std::size_t{16}}));
    std::partial_sort(order_.begin() + static_cast<std::ptrdiff_t>(sorted_),
                      order_.begin() + static_cast<std::ptrdiff_t>(to), order_.end(), before);
    sorted_ = to;
}

// ---- surfaces in a view ------------------------------------------------------------------------------------

void CPlanarHeights::addView(const double zRow[3]) {
    if (views_ % 2 == 0) pairs_.emplace_back();
    PAIR& pair = pairs_.back();
    const std::size_t lane = views_ % 2;
    pair.x[lane] = zRow[0];
    pair.y[lane] = zRow[1];
    pair.z[lane] = zRow[2];
    ++views_;
}

bool CPlanarHeights::of(const ent& surface, std::vector<Z_RANGE>& ranges) {
    if (!is_surf_planar(&surface, nullptr, nullptr)) return false;
    for (PAIR& pair : pairs_)
        for (int lane = 0; lane < 2; ++lane) pair.lo[lane] = Z_RANGE{}.zMin, pair.hi[lane] = Z_RANGE{}.zMax;
    const ent_surface& s = surface.surf;
    // A trimmed surface without boundary points falls back on its parameter box rather than on no z.
    const uv_pt corners[4] = {{s.uMin, s.vMin}, {s.uMin, s.vMax}, {s.uMax, s.vMin}, {s.uMax, s.vMax}};
    const bool trims = s.typeCode == kSurfTrimmed && !s.trimPoints.empty();
    const std::span<const uv_pt> uvs = trims ? std::span<const uv_pt>(s.trimPoints.data(), s.trimPoints.size())
                                             : std::span<const uv_pt>(corners);
    for (const uv_pt& uv : uvs) {
        p_3d point;
        if (!eval_surf(&surface, uv.u, uv.v, 0, &point)) continue;
        // The point's height in each view is the third row of worldToFrame, summed in its order, and each
        // range grows as std::min(lo, h) and std::max(hi, h) grow it: minpd and maxpd take their first
        // operand where it is strictly beyond the second and the second otherwise, so a NaN height is
        // passed over as there.
#ifdef __SSE2__
        const __m128d x = _mm_set1_pd(point.x), y = _mm_set1_pd(point.y), z = _mm_set1_pd(point.z);
        for (PAIR& pair : pairs_) {
            const __m128d h = _mm_add_pd(
                _mm_add_pd(_mm_mul_pd(x, _mm_load_pd(pair.x)), _mm_mul_pd(y, _mm_load_pd(pair.y))),
                _mm_mul_pd(z, _mm_load_pd(pair.z)));
            _mm_store_pd(pair.lo, _mm_min_pd(h, _mm_load_pd(pair.lo)));
            _mm_store_pd(pair.hi, _mm_max_pd(h, _mm_load_pd(pair.hi)));
        }
#else
        for (PAIR& pair : pairs_)
            for (int lane = 0; lane < 2; ++lane) {
                const double h = point.x * pair.x[lane] + point.y * pair.y[lane] + point.z * pair.z[lane];
                pair.lo[lane] = std::min(pair.lo[lane], h);
                pair.hi[lane] = std::max(pair.hi[lane], h);
            }
#endif
    }
    ranges.resize(views_);
    for (std::size_t i = 0; i < views_; ++i) ranges[i] = {pairs_[i / 2].lo[i % 2], pairs_[i / 2].hi[i % 2]};
    return true;
}

namespace {

// The view coordinate (row `a` of the view matrix) of the surface's box corners. Corner k takes hi on axis i
// where bit i of k is set. Each is worldToFrame's sum (x + y) + z of three products, and the eight corners
// share the products, two per world axis, and the four sums x + y.
inline void boxCorners(const ent_surface& s, const double row[3], double v[8]) {
    const double x0 = s.boxMin.x * row[0], x1 = s.boxMax.x * row[0];
    const double y0 = s.boxMin.y * row[1], y1 = s.boxMax.y * row[1];
    const double z0 = s.boxMin.z * row[2], z1 = s.boxMax.z * row[2];
    const double xy[4] = {x0 + y0, x1 + y0, x0 + y1, x1 + y1};
    v[0] = xy[0] + z0, v[1] = xy[1] + z0, v[2] = xy[2] + z0, v[3] = xy[3] + z0;
    v[4] = xy[0] + z1, v[5] = xy[1] + z1, v[6] = xy[2] + z1, v[7] = xy[3] + z1;
}

// Whether the row is a world axis or its opposite.
inline bool alongWorldAxis(const double row[3]) {
    const int zeros = (row[0] == 0) + (row[1] == 0) + (row[2] == 0);
    return zeros == 2 && std::fabs(row[0] + row[1] + row[2]) == 1;
}

}  // namespace

void surfaceInView(const ent& surface, const Z_RANGE* planar, const double viewMatrix[3][3], SURF_IN_VIEW& out) {
    const ent_surface& s = surface.surf;
    for (int a = 0; a < 3; ++a) {
        double v[8];
        boxCorners(s, viewMatrix[a], v);
        double least = 1e300, most = -1e300;
#pragma GCC unroll 8
        for (int k = 0; k < 8; ++k) {
            least = std::min(least, v[k]);
            most = std::max(most, v[k]);
        }
        out.box[a][0] = least;
        out.box[a][1] = most;
    }
    out.zMin = out.box[2][0];
    out.zMax = out.box[2][1];
    // Along a world axis the corners are the face's own extremes; along any other direction they reach
    // beyond it, by up to the box's width across the axis: the host works the face's heights out itself.
    double least = 0, most = 0;
    if (!planar && !alongWorldAxis(viewMatrix[2]) && surf_extent_along(&surface, viewMatrix[2], &least, &most)) {
        out.zMin = std::max(out.zMin, least);
        out.zMax = std::min(out.zMax, most);
    }
    const double centre[3] = {s.sphereCentre.x, s.sphereCentre.y, s.sphereCentre.z};
    worldToFrame(viewMatrix, centre, out.centre);
    out.radius = s.sphereRadius;
    if (planar) {
        out.zMin = planar->zMin;
        out.zMax = planar->zMax;
    }
}

void cornerDistances(const ent& surface, const double viewMatrix[3][3], double x, double y, double* dMin,
                     double* dMax) {
    double vx[8], vy[8];
    boxCorners(surface.surf, viewMatrix[0], vx);
    boxCorners(surface.surf, viewMatrix[1], vy);
    *dMin = 1e10;
    *dMax = -1e10;
    for (int k = 0; k < 8; ++k) {
        const double d = std::hypot(vx[k] - x, vy[k] - y);
        *dMin = std::min(*dMin, d);
        *dMax = std::max(*dMax, d);
    }
}

// A start (x + r cos, y + r sin) lies within [x - |r|, x + |r|] on each axis as the doubles round, since the
// product never exceeds |r| and the sums round monotonically.
bool raysMayMeetBox(const SURF_IN_VIEW& s, double x, double y, double radius) {
    const double r = std::fabs(radius), centre[2] = {x, y};
    double bounds[2][2];
    startBounds(s, bounds);
    for (int a = 0; a < 2; ++a)
        if (centre[a] + r < bounds[a][0] || centre[a] - r > bounds[a][1]) return false;
    return true;
}

bool projectRay(const ent& surface, const SURF_IN_VIEW& s, const VIEW_LIST& view, const VIEW_AXIS& axis,
                const double startView[3], double startWorld[3], double hitWorld[3], double* hitZ) {
    double bounds[2][2];
    startBounds(s, bounds);
    if (!startMayHit(bounds, startView)) return false;
    frameToWorld(view.matrix, startView, startWorld);
    if (!projectGridOntoSurf(&surface, axis, startWorld, hitWorld)) return false;
    double v[3];
    worldToFrame(view.matrix, hitWorld, v);
    *hitZ = v[2];
    return true;
}

// ---- dump --------------------------------------------------------------------------------------------------

CCheckDump::CCheckDump(const char* name, long surfaceCount) {
    if (!g_globals.constructed() || !g_globals->debugDumps || g_globals->tmpDir.empty()) return;
    file_ = std::fopen(plat::joinPath(g_globals->tmpDir, name).c_str(), "w");
    if (file_) std::fprintf(file_, "%li surf\n", surfaceCount);
}

CCheckDump::~CCheckDump() {
    if (file_) std::fclose(file_);
}

void CCheckDump::line(const char* format, ...) {
    if (!file_) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(file_, format, args);
    va_end(args);
    std::fflush(file_);
}

}  // namespace opaque

namespace {

using namespace opaque;

constexpr double kRadToDeg = 180.0 / std::numbers::pi;

// The state of one hole during the check. The bottom z changes when a tip cone is appended; `phases`
// keeps from which surface on each bottom held, so that hillB can be settled as the plain loop had it.
struct HOLE {
    POINT_LIST* point = nullptr;
    std::span<const db_ptr> owned;   // its entity entries (CHoleSurfaces::entriesOf)
    double topRadius = 0;
    double rayRadius = 0;   // rayRadius(point), taken again when a tip cone is appended
    struct PHASE {
        long fromSurface;
        double bottomZ;
    };
    std::vector<PHASE> phases;   // the last holds the bottom z now
};

// One visible surface as seen in one view, in walk order.
struct SURF_Z {
    long number;   // visible surfaces counted from 0
    db_ptr entry;
    double zMin, zMax;
};

struct VIEW_STATE {
    VIEW_LIST* view = nullptr;
    VIEW_AXIS axis;
    std::vector<HOLE> holes;   // list order
    CNearHoles near;
    std::vector<SURF_Z> surfaces;
};

double holeDepth(const POINT_LIST* p) {
    const CYL_LIST* last = lastCyl(p);
    return p->firstCyl->zSup - last->zInf;
}

double rayRadius(const POINT_LIST* p) {
    const CYL_LIST* last = lastCyl(p);
    return 0.9 * (p->firstCyl == last ? last->rInf : last->rSup);
}

// The drill tip put under the hole's last segment: the default tip angle from the old bottom circle down
// to a point.
CYL_LIST* appendTipCone(POINT_LIST* p, const VIEW_LIST* view) {
    CYL_LIST* last = lastCyl(p);
    CYL_LIST* tip = allocCylList();
    if (!tip) return nullptr;
    tip->viewNumber = static_cast<std::uint16_t>(view->viewNumber);
    copyMatrix33(tip->matrix, view->matrix);
    tip->secAng = g_globals->settings.defaultTipAngle / 2.0 / kRadToDeg;
    tip->Asw = 2 * std::numbers::pi;
    tip->zSup = last->zInf;
    tip->rSup = last->rInf;
    tip->rInf = 0;
    // A tip angle of 0 (not a setting the user can give) would put the point at infinity: keep it flat.
    const double slope = std::tan(tip->secAng);
    tip->zInf = slope > 1e-9 ? tip->zSup - tip->rSup / slope : tip->zSup;
    double local[3];
    worldToFrame(view->matrix, last->cUniv, local);
    local[2] = tip->zSup;
    frameToWorld(view->matrix, local, tip->cUniv);
    last->next = tip;
    tip->prev = last;
    ++p->cylCount;
    return tip;
}

// The directions of n = 1, 4 or 8 rays, worked out once: every surface near a hole casts them.
const TURN* rayTurns(int n) {
    static const std::array<TURN, 1> one = turnsOf<1>(0.001);
    static const std::array<TURN, 4> four = turnsOf<4>(0.001);
    static const std::array<TURN, 8> eight = turnsOf<8>(0.001);
    return n == 1 ? one.data() : n == 4 ? four.data() : eight.data();
}

bool axesMeet(const POINT_LIST* a, const POINT_LIST* b) {
    double pa[6], pb[6];
    holeBottomPoint(a, pa);
    holeBottomPoint(b, pb);
    const l_3d la{{pa[0], pa[1], pa[2]}, {pa[3], pa[4], pa[5]}};
    const l_3d lb{{pb[0], pb[1], pb[2]}, {pb[3], pb[4], pb[5]}};
    double qa[3], qb[3];
    if (!ll_ints_3d(&la, &lb, qa, qb)) return false;
    double d[3];
    subtractVector(qa, qb, d);
    return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) < g_tolerances.tol4T;
}

class COpaqueCheck {
public:
    COpaqueCheck(VIEW_LIST* tree, std::int16_t mode)
        : mode_(mode), owners_(tree), dump_("23_OpqSurf.txt", static_cast<long>(g_surfaceCount)) {
        for (VIEW_LIST* view = tree; view; view = view->next) {
            VIEW_STATE& state = views_.emplace_back();
            state.view = view;
            state.axis = viewAxis(view->viewNumber);
            heightsInViews_.addView(view->matrix[2]);
            for (POINT_LIST* p = view->firstPoint; p; p = p->next) {
                if (!p->firstCyl) continue;   // nothing to measure from
                HOLE& hole = state.holes.emplace_back();
                hole.point = p;
                hole.owned = owners_.entriesOf(p);
                hole.topRadius = p->firstCyl->rSup;
                hole.rayRadius = rayRadius(p);
                hole.phases.push_back({0, p->ptView[2] - holeDepth(p)});
                state.near.add(p->ptView[0], p->ptView[1], hole.topRadius);
                state.near.widenBoxReach(hole.rayRadius);
            }
        }
    }

    // 0 done, -1 aborted or out of memory; the heights found so far are settled either way.
    int run(CProgressBox* progress) {
        const int result = walkSurfaces(progress);
        settleHills();
        return result;
    }

private:
    int walkSurfaces(CProgressBox* progress) {
        long interval = g_surfaceCount / 50;
        if (g_globals->settings.checkCollisions) interval = g_surfaceCount / 20;
        return forEachVisibleSurface(interval, progress, [this](const ent& surface) {
            const bool planar = heightsInViews_.of(surface, heights_);
            bossRead_ = planar ? kBossNone : kBossUnread;
            for (std::size_t i = 0; i < views_.size(); ++i)
                if (checkSurfaceInView(surface, planar ? &heights_[i] : nullptr, views_[i]) < 0) return -1;
            ++surfaceNumber_;
            return 0;
        });
    }

    int checkSurfaceInView(const ent& surface, const Z_RANGE* planar, VIEW_STATE& state) {
        SURF_IN_VIEW s;
        surfaceInView(surface, planar, state.view->matrix, s);
        state.surfaces.push_back({surfaceNumber_, surface.eptr, s.zMin, s.zMax});
        double bounds[2][2];
        startBounds(s, bounds);
        state.near.query(s.centre[0], s.centre[1], s.radius, bounds, near_);
        for (int i : near_) {
            HOLE& hole = state.holes[static_cast<std::size_t>(i)];
            POINT_LIST* p = hole.point;
            if (CHoleSurfaces::holds(hole.owned, surface.eptr)) continue;
            // Whether the sphere's centre lies farther than the sum of the radii, by hypot where the squares
            // cannot tell.
            const double dx = s.centre[0] - p->ptView[0], dy = s.centre[1] - p->ptView[1];
            const double reach = hole.topRadius + s.radius;
            const int side = squareAgainst(dx * dx + dy * dy, reach);
            if (side != 0 ? side > 0 : reach < std::hypot(dx, dy)) continue;
            if (!p->notAccessible && bossStandsIn(surface, *state.view, *p)) {
                p->notAccessible = 1;
                dump_.line("\nboss in Idn%li view=%i ptUniv(%.3f %.3f %.3f) r=%.3f\n", static_cast<long>(surface.id),
                           state.view->viewNumber, p->ptUniv[0], p->ptUniv[1], p->ptUniv[2], boss_.radius);
            }
            if (checkRays(surface, s, state, hole) < 0) return -1;
        }
        return 0;
    }

    // A boss standing in the hole (another solid's pin, a screw's shank, a component's lead through a board)
    // fills it with walls along the rays, which pass beside or along them and tell nothing, and whichever
    // side the hole is later drilled from, the drill runs into it: the hole cannot be reached, and is told
    // so. Its axis runs along the view, its circle lies within a segment's (a wider one is the wall round a
    // hole drilled in a post, or a rim the hole opens onto), and it stands along that segment's height. The
    // surface is read as a boss once.
    bool bossStandsIn(const ent& surface, const VIEW_LIST& view, const POINT_LIST& p) {
        if (bossRead_ == kBossUnread) bossRead_ = bossAxis(surface, boss_) ? kBossFound : kBossNone;
        if (bossRead_ != kBossFound) return false;
        const double T2 = g_tolerances.tol2T;
        double along[3];
        subtractVector(boss_.to, boss_.from, along);
        normalizeVector(along, along);
        if (distance3(boss_.from, boss_.to) < T2 || !compareDirections(along, view.matrix[2], g_tolerances.axisAngle))
            return false;
        double from[3], to[3];
        worldToFrame(view.matrix, boss_.from, from);
        worldToFrame(view.matrix, boss_.to, to);
        const double low = std::min(from[2], to[2]), high = std::max(from[2], to[2]);
        const double offset = std::hypot((from[0] + to[0]) / 2 - p.ptView[0], (from[1] + to[1]) / 2 - p.ptView[1]);
        for (const CYL_LIST* c = p.firstCyl; c; c = c->next) {
            const double r = std::max(c->rSup, c->rInf);
            if (std::min(high, c->zSup) - std::max(low, c->zInf) > T2 && offset + boss_.radius < r + T2) return true;
        }
        return false;
    }

    // Steps 7 to 11 for one near hole: the first ray that projects decides.
    int checkRays(const ent& surface, const SURF_IN_VIEW& s, VIEW_STATE& state, HOLE& hole) {
        const VIEW_LIST& view = *state.view;
        POINT_LIST* p = hole.point;
        const double r = hole.rayRadius;
        const double topZ = p->ptView[2];
        const double bottomZ = hole.phases.back().bottomZ;
        if (!raysMayMeetBox(s, p->ptView[0], p->ptView[1], r)) return 0;
        // A hole keeps the lowest hit above its top and the highest below its bottom: a surface wholly above
        // the top and that hit, or wholly below the bottom and that hit, can change nothing.
        const double T2 = g_tolerances.tol2T;
        if (p->crashTop && s.zMin - kBoxSlack > std::max(topZ + T2, p->crashTopZ)) return 0;
        if (p->crashBottom && s.zMax + kBoxSlack < std::min(bottomZ - T2, p->crashBottomZ)) return 0;
        const int n = g_tolerances.tol04T > r ? 1 : (g_globals->settings.checkCollisions ? 8 : 4);
        const TURN* turns = rayTurns(n);
        double start[3], startWorld[3], hit[3], P = 0;
        bool projected = false;
        for (int k = 0; k < n && !projected; ++k) {
            start[0] = p->ptView[0] + r * turns[k].cos;
            start[1] = p->ptView[1] + r * turns[k].sin;
            start[2] = topZ;
            projected = projectRay(surface, s, view, state.axis, start, startWorld, hit, &P);
        }
        if (!projected) return 0;

        double dMin = 0, dMax = 0;
        if (dump_.on()) cornerDistances(surface, view.matrix, p->ptView[0], p->ptView[1], &dMin, &dMax);
        const long id = static_cast<long>(surface.id);
        if (P > topZ + T2) {
            if (!p->crashTop || P < p->crashTopZ) {
                p->crashTop = 1;
                p->crashTopZ = P;
                dump_.line("\ncrashTop Idn%li view=%i ptUniv(%.3f %.3f %.3f) cPlane(%.3f %.3f %.3f) r=%.2f\n"
                           "        %i %i dMin=%.2f  dMax=%.2f zMin=%.2f zMax=%.2f\n"
                           "        ptProjUniv(%.3f %.3f %.3f) zSup=%.3f\n",
                           id, view.viewNumber, p->ptUniv[0], p->ptUniv[1], p->ptUniv[2], p->ptView[0],
                           p->ptView[1], topZ, r, 1, 1, dMin, dMax, s.zMin, s.zMax, hit[0], hit[1], hit[2], topZ);
            }
            return 0;
        }
        if (bottomZ - T2 > P) {
            if (!p->crashBottom || P > p->crashBottomZ) {
                p->crashBottom = 1;
                p->crashBottomZ = P;
                dump_.line("\ncrashBottom Idn%li view=%i ptUniv(%.3f %.3f %.3f) cPlane(%.3f %.3f %.3f) r=%.2f\n"
                           "        %i %i dMin=%.2f  dMax=%.2f zInf=%.2f zMax=%.2f\n"
                           "        ptProjUniv(%.3f %.3f %.3f) zInf =%.3f\n",
                           id, view.viewNumber, p->ptUniv[0], p->ptUniv[1], p->ptUniv[2], p->ptView[0],
                           p->ptView[1], bottomZ, r, 1, 1, dMin, dMax, s.zMin, s.zMax, hit[0], hit[1], hit[2],
                           bottomZ);
            }
            return 0;
        }
        const int crash = insideHit(surface, state, hole, P);
        if (crash < 0) return -1;
        if (crash) {
            p->crashInto = 1;
            dump_.line("\ncrashInto Idn%li view=%i ptUniv(%.3f %.3f %.3f) cPlane(%.3f %.3f %.3f) r=%.2f\n"
                       "        %i %i dMin=%.2f  dMax=%.2f zInf=%.2f zMax=%.2f\n"
                       "        ptProjUniv(%.3f %.3f %.3f) ptProjZ=%.3f zSup=%.3f zInf =%.3f\n",
                       id, view.viewNumber, startWorld[0], startWorld[1], startWorld[2], p->ptView[0], p->ptView[1],
                       bottomZ, r, 1, 1, dMin, dMax, s.zMin, s.zMax, hit[0], hit[1], hit[2], P, topZ, bottomZ);
        }
        return 0;
    }

    // 1 crash, 0 none, -1 a tip cone could not be allocated.
    int insideHit(const ent& surface, VIEW_STATE& state, HOLE& hole, double P) {
        const VIEW_LIST& view = *state.view;
        POINT_LIST* p = hole.point;
        const POINT_LIST* owner = owners_.firstOwnerById(static_cast<std::int32_t>(surface.id), p);
        if (!owner) return 1;
        const bool meet = axesMeet(p, owner);
        const CYL_LIST* last = lastCyl(p);
        if (isBetweenTol(P, last->zInf, last->zInf + 2 * last->rSup, g_tolerances.tol004T)) {
            if (meet && last->rInf < g_tolerances.tolT) return 0;
            const PRM_SETTINGS& set = g_globals->settings;
            if (isBetweenTol(2 * last->secAng * kRadToDeg, set.minDrawnTipAngle, set.maxDrawnTipAngle, 0.1)) return 0;
            if (!appendTipCone(p, &view)) return -1;
            hole.rayRadius = rayRadius(p);
            state.near.widenBoxReach(hole.rayRadius);
            hole.phases.push_back({surfaceNumber_ + 1, p->ptView[2] - holeDepth(p)});
            return mode_ == 1 ? 0 : 1;
        }
        if (meet) return 0;
        return mode_ == 1 ? 0 : 1;
    }

    // hillT and hillB as the loop over every surface would leave them: the largest rise of a foreign
    // surface above the top and the largest drop below the bottom that held when that surface came.
    void settleHills() {
        std::vector<double> zMax, zMin;
        CRanking byZMax, byZMin;
        for (VIEW_STATE& state : views_) {
            const std::vector<SURF_Z>& surfs = state.surfaces;
            zMax.resize(surfs.size());
            zMin.resize(surfs.size());
            for (std::size_t i = 0; i < surfs.size(); ++i) zMax[i] = surfs[i].zMax, zMin[i] = surfs[i].zMin;
            byZMax.reset(zMax, true);
            byZMin.reset(zMin, false);
            for (HOLE& hole : state.holes) {
                POINT_LIST* p = hole.point;
                const double topZ = p->ptView[2];
                for (std::size_t rank = 0; rank < byZMax.size(); ++rank) {
                    const std::size_t i = byZMax[rank];
                    if (CHoleSurfaces::holds(hole.owned, surfs[i].entry)) continue;
                    if (topZ < surfs[i].zMax) p->hillT = std::max(p->hillT, surfs[i].zMax - topZ);
                    break;
                }
                std::vector<bool> settled(hole.phases.size(), false);
                std::size_t left = hole.phases.size();
                for (std::size_t rank = 0; rank < byZMin.size(); ++rank) {
                    if (!left) break;
                    const std::size_t i = byZMin[rank];
                    if (CHoleSurfaces::holds(hole.owned, surfs[i].entry)) continue;
                    std::size_t phase = hole.phases.size() - 1;
                    while (phase > 0 && hole.phases[phase].fromSurface > surfs[i].number) --phase;
                    if (settled[phase]) continue;
                    settled[phase] = true;
                    --left;
                    const double bottomZ = hole.phases[phase].bottomZ;
                    if (bottomZ > surfs[i].zMin) p->hillB = std::max(p->hillB, bottomZ - surfs[i].zMin);
                }
            }
        }
    }

    std::int16_t mode_;
    CHoleSurfaces owners_;
    CCheckDump dump_;
    std::vector<VIEW_STATE> views_;
    CPlanarHeights heightsInViews_;   // the views in views_ order
    std::vector<Z_RANGE> heights_;    // the walked surface's, when planar
    long surfaceNumber_ = 0;
    std::vector<int> near_;
    // Whether the walked surface is a boss, read on its first near hole.
    enum { kBossUnread, kBossNone, kBossFound } bossRead_ = kBossUnread;
    BOSS_AXIS boss_{};
};

}  // namespace

int checkOpaqueSurfs(VIEW_LIST* tree, std::int16_t mode, CProgressBox* progress) {
    COpaqueCheck check(tree, mode);
    return check.run(progress);
}
