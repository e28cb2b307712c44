// The nearest and farthest of a fixed set of points (x, y) from many query points, without walking the set
// for each query once it has been asked a few times: a grid for the nearest, the convex hull for the
// farthest. The distances are those a walk over every point gives (`distance` of the same differences).
#pragma once
#include <array>
#include <vector>

class CBoundaryReach {
public:
    using POINT = std::array<double, 2>;

    explicit CBoundaryReach(std::vector<POINT> points = {});
    // The distance measured: the square root of the squared sum, which orders points as their squares do,
    // or std::hypot where the square would lose digits to underflow or overflow.
    static double distance(double dx, double dy);
    bool empty() const { return points_.empty(); }
    // The smallest and largest distance from (x, y) to the points; unchanged outputs for an empty set. A
    // point with a coordinate that is not finite is compared with every query, as a walk would.
    void reach(double x, double y, double* nearest, double* farthest);

private:
    void index();
    bool reachBySquares(double x, double y, double* nearest, double* farthest) const;
    int cellX(double x) const;
    int cellY(double y) const;

    std::vector<POINT> points_;
    int queries_ = 0;
    bool indexed_ = false;
    std::vector<POINT> hull_;
    std::vector<POINT> odd_;                  // points not finite: tried every time
    double lo_[2] = {0, 0}, hi_[2] = {0, 0};
    double cell_ = 1;
    int nx_ = 0, ny_ = 0;
    std::vector<std::vector<int>> cells_;     // indices into points_
};
