// A static 2D index over the points of a hole path's working set, from which points are taken as the path
// visits them: a k-d tree with a count of free points per node, built once and reset for every start, and
// each point's nearest neighbours in a list. It answers "every free point whose distance lies within a band
// above the nearest free distance", which is what one nearest-next step of the path needs to apply its tie
// rules; most steps are answered from the list, the tree only when the list cannot prove the answer whole.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

class CNearestIndex {
public:
    struct HIT {
        std::int32_t index;   // 0-based position in the points given to build
        double distance;      // sqrt(dx * dx + dy * dy), the same expression the path uses
    };

    // `xy` holds count pairs (x, y).
    void build(const std::vector<double>& xy);
    // The `k` nearest other points of every point (all of them when there are fewer), shared by copies.
    void buildNeighbours(std::int32_t k);
    // Every point free again.
    void reset();
    void take(std::int32_t index);
    [[nodiscard]] std::int32_t freeCount() const { return free_.empty() ? 0 : free_[0]; }

    // The free points other than `self` with fabs(distance - nearest) < band, nearest being the smallest
    // distance of a free point from point `self`; `hits` is emptied first. Empty when no point is free.
    void nearestBand(std::int32_t self, double band, std::vector<HIT>& hits) const;

private:
    struct NEIGHBOURS {
        std::int32_t k = 0;
        bool whole = false;               // every other point is in each list
        std::vector<std::int32_t> index;  // k per point, by (distance, index)
        std::vector<double> last;         // the distance of each list's last point
    };
    // The band from the point's list; false when the list cannot show that it holds the whole band.
    bool bandFromList(std::int32_t self, double band, std::vector<HIT>& hits) const;
    void nearestK(std::int32_t self, std::int32_t k, std::vector<HIT>& out) const;

    struct NODE {
        std::int32_t lo = 0, hi = 0;      // range in order_
        std::int32_t left = -1, right = -1, parent = -1;
        double minX = 0, maxX = 0, minY = 0, maxY = 0;   // bounding box of the node's points
        double cellMinX, cellMaxX, cellMinY, cellMaxY;    // the part of the plane the splits give the node
    };
    std::int32_t buildNode(std::int32_t lo, std::int32_t hi, std::int32_t parent, const double cell[4]);
    // Free points of the subtree at `root` into `hits` while they may lie within the band of `nearest`.
    void searchDown(std::int32_t root, std::int32_t self, double x, double y, double band, double& nearest,
                    std::vector<HIT>& hits) const;
    double boxDistanceSquared(const NODE& node, double x, double y) const;
    void pushChildren(const NODE& node, double x, double y) const;

    std::vector<double> xy_;
    std::vector<std::int32_t> order_;      // point indices, each leaf's points contiguous
    std::vector<std::int32_t> leafOf_;     // leaf node of each point
    std::vector<std::uint8_t> taken_;
    std::vector<NODE> nodes_;
    // Free points of each node, and each node's parent again: a walk updates them at every step, so they
    // are kept small and apart from the nodes.
    std::vector<std::int32_t> free_, parentOf_;
    std::shared_ptr<const NEIGHBOURS> neighbours_;
    struct PENDING {
        std::int32_t node;
        double squared;   // squared distance of its box
    };
    mutable std::vector<PENDING> stack_;
};
