// CBoundaryReach (boundary_reach.h). The nearest point is looked for ring by ring of cells around the
// query's cell, until a ring cannot hold anything nearer; the farthest point of a set is a vertex of its
// convex hull.
#include "plugin/recognition/boundary_reach.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

double cross(const CBoundaryReach::POINT& o, const CBoundaryReach::POINT& a, const CBoundaryReach::POINT& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

// Andrew's monotone chain; collinear points on the hull are kept, so no vertex is lost to rounding.
std::vector<CBoundaryReach::POINT> convexHull(std::vector<CBoundaryReach::POINT> p) {
    std::sort(p.begin(), p.end());
    p.erase(std::unique(p.begin(), p.end()), p.end());
    if (p.size() < 3) return p;
    std::vector<CBoundaryReach::POINT> hull(2 * p.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], p[i]) < 0) --k;
        hull[k++] = p[i];
    }
    for (std::size_t i = p.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(hull[k - 2], hull[k - 1], p[i - 1]) < 0) --k;
        hull[k++] = p[i - 1];
    }
    hull.resize(k - 1);
    return hull;
}

// Below these, walking every point costs less than the index.
constexpr int kWalkedQueries = 4;
constexpr std::size_t kWalkedPoints = 64;

// Whether every coordinate is finite. x - x is 0 for a finite x and NaN for any other, so one running sum
// per lane tells them all without a test per point.
bool allFinite(const std::vector<CBoundaryReach::POINT>& points) {
    double lanes[4] = {0, 0, 0, 0};
    const std::size_t whole = points.size() / 4 * 4;
    for (std::size_t i = 0; i < whole; i += 4)
        for (std::size_t lane = 0; lane < 4; ++lane) {
            const CBoundaryReach::POINT& p = points[i + lane];
            lanes[lane] += (p[0] - p[0]) + (p[1] - p[1]);
        }
    for (std::size_t i = whole; i < points.size(); ++i) {
        const CBoundaryReach::POINT& p = points[i];
        lanes[0] += (p[0] - p[0]) + (p[1] - p[1]);
    }
    return lanes[0] + lanes[1] + lanes[2] + lanes[3] == 0;
}

}  // namespace

CBoundaryReach::CBoundaryReach(std::vector<POINT> points) {
    auto finite = [](const POINT& p) { return std::isfinite(p[0]) && std::isfinite(p[1]); };
    if (allFinite(points)) {   // the rule: taken as it is, not copied
        points_ = std::move(points);
        return;
    }
    for (const POINT& p : points) {
        if (finite(p)) points_.push_back(p);
        else odd_.push_back(p);
    }
}

void CBoundaryReach::index() {
    indexed_ = true;
    lo_[0] = hi_[0] = points_[0][0];
    lo_[1] = hi_[1] = points_[0][1];
    for (const POINT& p : points_) {
        lo_[0] = std::min(lo_[0], p[0]);
        lo_[1] = std::min(lo_[1], p[1]);
        hi_[0] = std::max(hi_[0], p[0]);
        hi_[1] = std::max(hi_[1], p[1]);
    }
    const double side = std::max(hi_[0] - lo_[0], hi_[1] - lo_[1]);
    cell_ = std::max(side / std::sqrt(static_cast<double>(points_.size())), 1e-9 * (1 + side));
    nx_ = std::clamp(static_cast<int>((hi_[0] - lo_[0]) / cell_) + 1, 1, 4096);
    ny_ = std::clamp(static_cast<int>((hi_[1] - lo_[1]) / cell_) + 1, 1, 4096);
    cells_.assign(static_cast<std::size_t>(nx_) * ny_, {});
    for (int i = 0; i < static_cast<int>(points_.size()); ++i)
        cells_[static_cast<std::size_t>(cellX(points_[i][0])) * ny_ + cellY(points_[i][1])].push_back(i);
    hull_ = convexHull(points_);
}

int CBoundaryReach::cellX(double x) const {
    return std::clamp(static_cast<int>(std::floor((x - lo_[0]) / cell_)), 0, nx_ - 1);
}
int CBoundaryReach::cellY(double y) const {
    return std::clamp(static_cast<int>(std::floor((y - lo_[1]) / cell_)), 0, ny_ - 1);
}

// Squares within these need no guard: their roots carry every digit.
constexpr double kLeastSquare = 1e-280, kMostSquare = 1e280;

double CBoundaryReach::distance(double dx, double dy) {
    const double squared = dx * dx + dy * dy;
    return squared > kLeastSquare && squared < kMostSquare ? std::sqrt(squared) : std::hypot(dx, dy);
}

// The reach by the least and most square, the roots of which are the least and most distance, as a root
// keeps the order of squares. False, with the outputs untouched, when a square leaves the guarded range.
bool CBoundaryReach::reachBySquares(double x, double y, double* nearest, double* farthest) const {
    // Four running extremes, so that each point does not wait on the one before; the least and most of
    // finite squares are the same in any order.
    constexpr std::size_t kLanes = 4;
    double least[kLanes], most[kLanes];
    std::fill(least, least + kLanes, std::numeric_limits<double>::infinity());
    std::fill(most, most + kLanes, 0.0);
    const std::size_t whole = points_.size() / kLanes * kLanes;
    auto squareAt = [&](std::size_t i) {
        const double dx = points_[i][0] - x, dy = points_[i][1] - y;
        return dx * dx + dy * dy;
    };
    for (std::size_t i = 0; i < whole; i += kLanes)
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            const double squared = squareAt(i + lane);
            least[lane] = std::min(least[lane], squared);
            most[lane] = std::max(most[lane], squared);
        }
    for (std::size_t i = whole; i < points_.size(); ++i) {
        least[0] = std::min(least[0], squareAt(i));
        most[0] = std::max(most[0], squareAt(i));
    }
    for (std::size_t lane = 1; lane < kLanes; ++lane) {
        least[0] = std::min(least[0], least[lane]);
        most[0] = std::max(most[0], most[lane]);
    }
    if (!(least[0] > kLeastSquare && most[0] < kMostSquare)) return false;
    *nearest = std::min(*nearest, std::sqrt(least[0]));
    *farthest = std::max(*farthest, std::sqrt(most[0]));
    return true;
}

void CBoundaryReach::reach(double x, double y, double* nearest, double* farthest) {
    auto take = [&](const POINT& p) {
        const double d = distance(p[0] - x, p[1] - y);
        *nearest = std::min(*nearest, d);
        *farthest = std::max(*farthest, d);
    };
    for (const POINT& p : odd_) take(p);
    if (points_.empty()) return;
    if (!indexed_ && (++queries_ > kWalkedQueries && points_.size() > kWalkedPoints)) index();
    auto walk = [&] {
        for (const POINT& p : points_) take(p);
    };
    if (!std::isfinite(x) || !std::isfinite(y)) return walk();
    if (!indexed_) {
        if (!reachBySquares(x, y, nearest, farthest)) walk();
        return;
    }
    for (const POINT& p : hull_) *farthest = std::max(*farthest, distance(p[0] - x, p[1] - y));
    // Every point of ring k lies at least (k - 1) cells from the query clamped into the grid, and the query
    // is no nearer to any point than its clamped place is.
    const int cx = cellX(x), cy = cellY(y);
    double best = *nearest;
    const int rings = std::max(nx_, ny_);
    for (int k = 0; k <= rings; ++k) {
        if (k >= 1 && (k - 1) * cell_ > best) break;
        for (int gx = cx - k; gx <= cx + k; ++gx) {
            if (gx < 0 || gx >= nx_) continue;
            const bool edgeColumn = gx == cx - k || gx == cx + k;
            for (int gy = cy - k; gy <= cy + k; gy += edgeColumn ? 1 : 2 * k) {
                if (gy >= 0 && gy < ny_)
                    for (int i : cells_[static_cast<std::size_t>(gx) * ny_ + gy])
                        best = std::min(best, distance(points_[static_cast<std::size_t>(i)][0] - x,
                                                       points_[static_cast<std::size_t>(i)][1] - y));
                if (k == 0) break;
            }
        }
    }
    *nearest = best;
}
