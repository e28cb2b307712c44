// A static 2D index over the points of a hole path's working set, from which points are taken as the path
// visits them: a k-d tree with a count of free points per node, built once and reset for every start, and
// each point's nearest neighbours in a list. It answers "every free point whose distance lies within a band
// above the nearest free distance", which is what one nearest-next step of the path needs to apply its tie
// rules; most steps are answered from the list, the tree only when the list cannot prove the answer whole.
// A walk asks at every step, so a step is kept cheap: the tree's nodes are numbered as in a heap (a parent
// worked out, not loaded), hits go to a buffer sized once, each list entry knows where the band of its
// distance ends (no distance is worked out for a taken point), and the lists carry a value of each pair
// for the caller (the path's turn, which costs an atan2 where distances tie).
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class CNearestIndex {
public:
    struct HIT {
        std::int32_t index;   // 0-based position in the points given to build
        double distance;      // sqrt(dx * dx + dy * dy), the same expression the path uses
        std::int32_t entry = -1;   // its entry in the neighbour lists (pairValue), -1 when it came from the tree
    };
    // A value of the pair from a point to another at offset (dx, dy), never negative.
    using PAIR_VALUE = double (*)(double dx, double dy);

    // `xy` holds count pairs (x, y).
    void build(const std::vector<double>& xy);
    // The `k` nearest other points of every point (all of them when there are fewer), shared by copies,
    // each with the `value` of the pair, for asking with `band`.
    void buildNeighbours(std::int32_t k, double band, PAIR_VALUE value);
    // The value of a hit's pair from its list entry. Read only where a step needs it: the values lie apart
    // from the indices, in memory a step otherwise does not touch.
    [[nodiscard]] double pairValue(std::int32_t entry) const { return neighbours_->value[entry]; }
    // Brings the point's list towards the cache ahead of asking from the point: a walk knows its next point a
    // step ahead, and the list is the one read of a step that is likely not in cache.
    void prefetch(std::int32_t self) const {
        if (neighbours_ && neighbours_->k > 0)
            __builtin_prefetch(neighbours_->index.data() + static_cast<std::size_t>(self) * neighbours_->k);
    }
    // Every point free again.
    void reset();
    void take(std::int32_t index);
    [[nodiscard]] std::int32_t freeCount() const { return free_.empty() ? 0 : free_[0]; }

    // The free points other than `self` with fabs(distance - nearest) < band, nearest being the smallest
    // distance of a free point from point `self`; empty when no point is free. Valid until the next call.
    // The lists answer only for the band they were built for.
    [[nodiscard]] std::span<const HIT> nearestBand(std::int32_t self, double band) const;

private:
    struct NEIGHBOURS {
        std::int32_t k = 0;
        bool whole = false;               // every other point is in each list
        std::vector<std::int32_t> index;  // k per point, by (distance, index)
        std::vector<double> value;        // of each entry's pair
        // Of each entry: the first entry of its list at or past the band above its distance.
        std::vector<std::uint8_t> bandEnd;
        std::vector<double> last;         // the distance of each list's last point
        double band = 0;
    };
    // The band from the point's list into the hits; false when the list cannot show that it holds the
    // whole band.
    bool bandFromList(std::int32_t self, double band) const;
    void nearestK(std::int32_t self, std::int32_t k, std::vector<HIT>& out) const;

    // Node n's children are 2n + 1 and 2n + 2, its parent (n - 1) / 2; the root is 0. Slots below a leaf
    // stay unused.
    struct NODE {
        std::int32_t lo = 0, hi = 0;      // range in order_
        bool leaf = true;
        double minX = 0, maxX = 0, minY = 0, maxY = 0;   // bounding box of the node's points
        double cellMinX, cellMaxX, cellMinY, cellMaxY;    // the part of the plane the splits give the node
    };
    void buildNode(std::int32_t id, std::int32_t lo, std::int32_t hi, const double cell[4]);
    // Free points of the subtree at `root` into the hits while they may lie within the band of `nearest`.
    void searchDown(std::int32_t root, std::int32_t self, double x, double y, double band, double& nearest) const;
    double boxDistanceSquared(const NODE& node, double x, double y) const;
    void pushChildren(std::int32_t id, double x, double y) const;
    static std::int32_t leftOf(std::int32_t id) { return 2 * id + 1; }
    static std::int32_t rightOf(std::int32_t id) { return 2 * id + 2; }
    static std::int32_t parentOf(std::int32_t id) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(id - 1) >> 1); }

    // What a walk only reads, built once and shared by copies: each thread of a path search walks with a
    // copy of its own.
    struct TREE {
        std::vector<double> xy;
        std::vector<std::int32_t> order;      // point indices, each leaf's points contiguous
        std::vector<std::int32_t> leafOf;     // leaf node of each point
        std::vector<NODE> nodes;
        std::vector<std::int32_t> allFree;    // free points of each node with nothing taken
    };
    std::shared_ptr<TREE> tree_ = std::make_shared<TREE>();
    std::vector<std::uint8_t> taken_;
    // Free points of each node: a walk updates them at every step, so they are kept apart from the nodes.
    mutable std::vector<std::int32_t> free_;
    // Points taken and not yet counted off below the root: a step answered from a list needs no counts,
    // so they are counted off when the tree is next searched.
    mutable std::vector<std::int32_t> uncounted_;
    void countTaken() const;
    std::shared_ptr<const NEIGHBOURS> neighbours_;
    struct PENDING {
        std::int32_t node;
        double squared;   // squared distance of its box
    };
    mutable std::vector<PENDING> stack_;
    // The last answer: room for every point, so that no step grows it.
    mutable std::vector<HIT> hits_;
    mutable std::size_t hitCount_ = 0;
};
