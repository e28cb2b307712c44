// The hole path's point index.
#include "plugin/tooling/nearest_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr std::int32_t kLeafSize = 8;
}

void CNearestIndex::build(const std::vector<double>& xy) {
    tree_ = std::make_shared<TREE>();   // copies made before keep the tree they were made with
    tree_->xy = xy;
    const auto count = static_cast<std::int32_t>(xy.size() / 2);
    tree_->order.resize(count);
    for (std::int32_t i = 0; i < count; ++i) tree_->order[i] = i;
    tree_->leafOf.assign(count, -1);
    tree_->nodes.clear();
    if (count > 0) {
        // Halving until a leaf holds kLeafSize points at most: the deepest level is the first whose halves
        // of the whole count fit a leaf.
        std::int32_t levels = 1;
        for (std::int32_t size = count; size > kLeafSize; size = (size + 1) / 2) ++levels;
        tree_->nodes.resize((std::size_t{1} << levels) - 1);
        const double inf = std::numeric_limits<double>::infinity();
        const double whole[4] = {-inf, inf, -inf, inf};
        buildNode(0, 0, count, whole);
    }
    hits_.resize(static_cast<std::size_t>(count));
    tree_->allFree.resize(tree_->nodes.size());
    for (std::size_t n = 0; n < tree_->nodes.size(); ++n) tree_->allFree[n] = tree_->nodes[n].hi - tree_->nodes[n].lo;
    reset();
}

void CNearestIndex::buildNode(std::int32_t id, std::int32_t lo, std::int32_t hi, const double cell[4]) {
    NODE& node = tree_->nodes[id];
    node.lo = lo;
    node.hi = hi;
    node.cellMinX = cell[0], node.cellMaxX = cell[1], node.cellMinY = cell[2], node.cellMaxY = cell[3];
    node.minX = node.minY = std::numeric_limits<double>::infinity();
    node.maxX = node.maxY = -std::numeric_limits<double>::infinity();
    for (std::int32_t k = lo; k < hi; ++k) {
        const double x = tree_->xy[2 * tree_->order[k]], y = tree_->xy[2 * tree_->order[k] + 1];
        node.minX = std::min(node.minX, x), node.maxX = std::max(node.maxX, x);
        node.minY = std::min(node.minY, y), node.maxY = std::max(node.maxY, y);
    }
    if (hi - lo <= kLeafSize) {
        for (std::int32_t k = lo; k < hi; ++k) tree_->leafOf[tree_->order[k]] = id;
        return;
    }
    node.leaf = false;
    // Split the wider side at the median; ties in the key keep the point order, so the tree is the same on
    // every run. Points on the split value may lie on either side: the cells are closed.
    const int axis = (node.maxX - node.minX >= node.maxY - node.minY) ? 0 : 1;
    const std::int32_t mid = lo + (hi - lo) / 2;
    std::nth_element(tree_->order.begin() + lo, tree_->order.begin() + mid, tree_->order.begin() + hi,
                     [&](std::int32_t a, std::int32_t b) {
                         const double ka = tree_->xy[2 * a + axis], kb = tree_->xy[2 * b + axis];
                         return ka < kb || (ka == kb && a < b);
                     });
    const double split = tree_->xy[2 * tree_->order[mid] + axis];
    double lower[4] = {cell[0], cell[1], cell[2], cell[3]};
    double upper[4] = {cell[0], cell[1], cell[2], cell[3]};
    lower[2 * axis + 1] = split;
    upper[2 * axis] = split;
    buildNode(leftOf(id), lo, mid, lower);
    buildNode(rightOf(id), mid, hi, upper);
}

// The nearer child is searched first: it goes on the stack last.
void CNearestIndex::pushChildren(std::int32_t id, double x, double y) const {
    const std::int32_t left = leftOf(id), right = rightOf(id);
    const double l = boxDistanceSquared(tree_->nodes[left], x, y);
    const double r = boxDistanceSquared(tree_->nodes[right], x, y);
    if (l <= r) {
        stack_.push_back({right, r});
        stack_.push_back({left, l});
    } else {
        stack_.push_back({left, l});
        stack_.push_back({right, r});
    }
}

void CNearestIndex::nearestK(std::int32_t self, std::int32_t k, std::vector<HIT>& out) const {
    out.clear();
    const double x = tree_->xy[2 * self], y = tree_->xy[2 * self + 1];
    auto before = [](const HIT& a, const HIT& b) {
        return a.distance < b.distance || (a.distance == b.distance && a.index < b.index);
    };
    // `out` is a heap with the farthest kept point on top; a node is passed over once its box lies beyond it.
    stack_.clear();
    stack_.push_back({0, boxDistanceSquared(tree_->nodes[0], x, y)});
    while (!stack_.empty()) {
        const auto [id, squared] = stack_.back();
        stack_.pop_back();
        if (static_cast<std::int32_t>(out.size()) == k && squared > out.front().distance * out.front().distance)
            continue;
        const NODE& node = tree_->nodes[id];
        if (node.leaf) {
            for (std::int32_t m = node.lo; m < node.hi; ++m) {
                const std::int32_t j = tree_->order[m];
                if (j == self) continue;
                const double dx = tree_->xy[2 * j] - x, dy = tree_->xy[2 * j + 1] - y;
                const HIT hit{j, std::sqrt(dx * dx + dy * dy)};
                if (static_cast<std::int32_t>(out.size()) < k) {
                    out.push_back(hit);
                    std::push_heap(out.begin(), out.end(), before);
                } else if (before(hit, out.front())) {
                    std::pop_heap(out.begin(), out.end(), before);
                    out.back() = hit;
                    std::push_heap(out.begin(), out.end(), before);
                }
            }
            continue;
        }
        pushChildren(id, x, y);
    }
    std::sort_heap(out.begin(), out.end(), before);
}

void CNearestIndex::buildNeighbours(std::int32_t k, double band, PAIR_VALUE value) {
    const auto count = static_cast<std::int32_t>(tree_->leafOf.size());
    auto lists = std::make_shared<NEIGHBOURS>();
    // Band ends are kept in a byte.
    lists->k = std::clamp(k, 0, std::min(count > 0 ? count - 1 : 0, 255));
    lists->whole = lists->k == count - 1;
    lists->band = band;
    const std::size_t entries = static_cast<std::size_t>(count) * lists->k;
    lists->index.reserve(entries);
    lists->value.reserve(entries);
    lists->bandEnd.reserve(entries);
    lists->last.reserve(count);
    std::vector<HIT> nearest;
    for (std::int32_t i = 0; i < count && lists->k > 0; ++i) {
        nearestK(i, lists->k, nearest);
        const auto listed = static_cast<std::int32_t>(nearest.size());
        for (std::int32_t m = 0, end = 0; m < listed; ++m) {
            const HIT& h = nearest[m];
            lists->index.push_back(h.index);
            const double* xy = tree_->xy.data();
            lists->value.push_back(value(xy[2 * h.index] - xy[2 * i], xy[2 * h.index + 1] - xy[2 * i + 1]));
            // The test a step makes, on the same distances.
            end = std::max(end, m + 1);
            while (end < listed && nearest[end].distance - h.distance < band) ++end;
            lists->bandEnd.push_back(static_cast<std::uint8_t>(end));
        }
        lists->last.push_back(nearest.back().distance);
    }
    neighbours_ = std::move(lists);
}

// Every point missing from a list lies at least as far as its last entry; the band is whole in the list
// when it ends, with a margin far above rounding, before that entry.
bool CNearestIndex::bandFromList(std::int32_t self, double band) const {
    if (!neighbours_ || neighbours_->k == 0 || band != neighbours_->band) return false;
    const std::int32_t k = neighbours_->k;
    const std::size_t at = static_cast<std::size_t>(self) * k;
    const std::int32_t* index = neighbours_->index.data() + at;
    std::int32_t f = 0;
    while (f < k && taken_[index[f]]) ++f;
    if (f == k) return false;
    // Distances are worked out again rather than kept: the points' coordinates stay in cache, a list of
    // distances beside the indices would not.
    const double x = tree_->xy[2 * self], y = tree_->xy[2 * self + 1];
    auto distance = [&](std::int32_t j) {
        const double dx = tree_->xy[2 * j] - x, dy = tree_->xy[2 * j + 1] - y;
        return std::sqrt(dx * dx + dy * dy);
    };
    const double nearest = distance(index[f]);
    if (!neighbours_->whole && !((nearest + band) * (1 + 1e-9) < neighbours_->last[self])) return false;
    const auto entry = [&](std::int32_t m) { return static_cast<std::int32_t>(at) + m; };
    hits_[hitCount_++] = {index[f], nearest, entry(f)};
    const std::int32_t end = neighbours_->bandEnd[at + f];
    for (std::int32_t m = f + 1; m < end; ++m)
        if (!taken_[index[m]]) hits_[hitCount_++] = {index[m], distance(index[m]), entry(m)};
    return true;
}

void CNearestIndex::reset() {
    taken_.assign(tree_->leafOf.size(), 0);
    free_ = tree_->allFree;
    uncounted_.clear();
    uncounted_.reserve(tree_->leafOf.size());
}

void CNearestIndex::countTaken() const {
    for (const std::int32_t index : uncounted_)
        for (std::int32_t n = tree_->leafOf[index]; n > 0; n = parentOf(n)) --free_[n];
    uncounted_.clear();
}

void CNearestIndex::take(std::int32_t index) {
    if (index < 0 || index >= static_cast<std::int32_t>(taken_.size()) || taken_[index]) return;
    taken_[index] = 1;
    uncounted_.push_back(index);
    --free_[0];
}

double CNearestIndex::boxDistanceSquared(const NODE& node, double x, double y) const {
    const double dx = x < node.minX ? node.minX - x : (x > node.maxX ? x - node.maxX : 0.0);
    const double dy = y < node.minY ? node.minY - y : (y > node.maxY ? y - node.maxY : 0.0);
    return dx * dx + dy * dy;
}

// A node or point is passed over only when its squared distance exceeds the squared reach (nearest + band)
// by a relative margin far above rounding: what is passed over is then surely outside the band, and what is
// kept is checked exactly at the end.
void CNearestIndex::searchDown(std::int32_t root, std::int32_t self, double x, double y, double band,
                               double& nearest) const {
    constexpr double kSlack = 1 + 1e-9;
    auto beyond = [&](double squared) {
        const double reach = nearest + band;
        return squared > reach * reach * kSlack;
    };
    stack_.clear();
    stack_.push_back({root, boxDistanceSquared(tree_->nodes[root], x, y)});
    while (!stack_.empty()) {
        const auto [id, squared] = stack_.back();
        stack_.pop_back();
        const NODE& node = tree_->nodes[id];
        if (free_[id] == 0 || beyond(squared)) continue;
        if (node.leaf) {
            for (std::int32_t k = node.lo; k < node.hi; ++k) {
                const std::int32_t j = tree_->order[k];
                if (taken_[j] || j == self) continue;
                const double dx = tree_->xy[2 * j] - x, dy = tree_->xy[2 * j + 1] - y;
                const double dSquared = dx * dx + dy * dy;
                if (beyond(dSquared)) continue;
                const double d = std::sqrt(dSquared);
                nearest = std::min(nearest, d);
                hits_[hitCount_++] = {j, d};
            }
            continue;
        }
        pushChildren(id, x, y);
    }
}

std::span<const CNearestIndex::HIT> CNearestIndex::nearestBand(std::int32_t self, double band) const {
    hitCount_ = 0;
    if (free_.empty() || free_[0] == 0) return {};
    if (bandFromList(self, band)) return {hits_.data(), hitCount_};
    countTaken();
    const double x = tree_->xy[2 * self], y = tree_->xy[2 * self + 1];
    double nearest = std::numeric_limits<double>::infinity();
    // From the point's own leaf upwards: a sibling is searched only while points beyond the cell searched so
    // far may still lie within the band.
    std::int32_t node = tree_->leafOf[self];
    searchDown(node, self, x, y, band, nearest);
    while (node > 0) {
        const NODE& n = tree_->nodes[node];
        if (nearest < std::numeric_limits<double>::infinity()) {
            const double gap = std::min({x - n.cellMinX, n.cellMaxX - x, y - n.cellMinY, n.cellMaxY - y});
            const double reach = nearest + band;
            if (gap * gap > reach * reach * (1 + 1e-9)) break;
        }
        const std::int32_t parent = parentOf(node);
        searchDown(node == leftOf(parent) ? rightOf(parent) : leftOf(parent), self, x, y, band, nearest);
        node = parent;
    }
    const auto kept = std::remove_if(hits_.begin(), hits_.begin() + static_cast<std::ptrdiff_t>(hitCount_),
                                     [&](const HIT& h) { return !(std::fabs(h.distance - nearest) < band); });
    hitCount_ = static_cast<std::size_t>(kept - hits_.begin());
    return {hits_.data(), hitCount_};
}
