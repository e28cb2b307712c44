// A static 2D index over the points of a hole path's working set, from which points are taken as the path
// visits them: a k-d tree with a count of free points per node, built once and reset for every start.
// It answers "every free point whose distance lies within a band above the nearest free distance", which
// is what one nearest-next step of the path needs to apply its tie rules.
#pragma once
#include <cstdint>
#include <vector>

class CNearestIndex {
public:
    struct HIT {
        std::int32_t index;   // 0-based position in the points given to build
        double distance;      // sqrt(dx * dx + dy * dy), the same expression the path uses
    };

    // `xy` holds count pairs (x, y).
    void build(const std::vector<double>& xy);
    // Every point free again.
    void reset();
    void take(std::int32_t index);
    [[nodiscard]] std::int32_t freeCount() const { return nodes_.empty() ? 0 : nodes_[0].free; }

    // The free points other than `self` with fabs(distance - nearest) < band, nearest being the smallest
    // distance of a free point from point `self`; `hits` is emptied first. Empty when no point is free.
    void nearestBand(std::int32_t self, double band, std::vector<HIT>& hits) const;

private:
    struct NODE {
        std::int32_t lo = 0, hi = 0;      // range in order_
        std::int32_t left = -1, right = -1, parent = -1;
        std::int32_t free = 0;
        double minX = 0, maxX = 0, minY = 0, maxY = 0;   // bounding box of the node's points
        double cellMinX, cellMaxX, cellMinY, cellMaxY;    // the part of the plane the splits give the node
    };
    std::int32_t buildNode(std::int32_t lo, std::int32_t hi, std::int32_t parent, const double cell[4]);
    // Free points of the subtree at `root` into `hits` while they may lie within the band of `nearest`.
    void searchDown(std::int32_t root, std::int32_t self, double x, double y, double band, double& nearest,
                    std::vector<HIT>& hits) const;
    double boxDistanceSquared(const NODE& node, double x, double y) const;

    std::vector<double> xy_;
    std::vector<std::int32_t> order_;      // point indices, each leaf's points contiguous
    std::vector<std::int32_t> leafOf_;     // leaf node of each point
    std::vector<std::uint8_t> taken_;
    std::vector<NODE> nodes_;
    struct PENDING {
        std::int32_t node;
        double squared;   // squared distance of its box
    };
    mutable std::vector<PENDING> stack_;
};
