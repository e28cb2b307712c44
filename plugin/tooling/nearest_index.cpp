// The hole path's point index.
#include "plugin/tooling/nearest_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr std::int32_t kLeafSize = 8;
}

void CNearestIndex::build(const std::vector<double>& xy) {
    xy_ = xy;
    const auto count = static_cast<std::int32_t>(xy.size() / 2);
    order_.resize(count);
    for (std::int32_t i = 0; i < count; ++i) order_[i] = i;
    leafOf_.assign(count, -1);
    nodes_.clear();
    if (count > 0) {
        nodes_.reserve(static_cast<std::size_t>(4 * count / kLeafSize + 4));
        const double inf = std::numeric_limits<double>::infinity();
        const double whole[4] = {-inf, inf, -inf, inf};
        buildNode(0, count, -1, whole);
    }
    reset();
}

std::int32_t CNearestIndex::buildNode(std::int32_t lo, std::int32_t hi, std::int32_t parent, const double cell[4]) {
    const auto id = static_cast<std::int32_t>(nodes_.size());
    NODE node;
    node.lo = lo;
    node.hi = hi;
    node.parent = parent;
    node.cellMinX = cell[0], node.cellMaxX = cell[1], node.cellMinY = cell[2], node.cellMaxY = cell[3];
    node.minX = node.minY = std::numeric_limits<double>::infinity();
    node.maxX = node.maxY = -std::numeric_limits<double>::infinity();
    for (std::int32_t k = lo; k < hi; ++k) {
        const double x = xy_[2 * order_[k]], y = xy_[2 * order_[k] + 1];
        node.minX = std::min(node.minX, x), node.maxX = std::max(node.maxX, x);
        node.minY = std::min(node.minY, y), node.maxY = std::max(node.maxY, y);
    }
    nodes_.push_back(node);
    if (hi - lo <= kLeafSize) {
        for (std::int32_t k = lo; k < hi; ++k) leafOf_[order_[k]] = id;
        return id;
    }
    // Split the wider side at the median; ties in the key keep the point order, so the tree is the same on
    // every run. Points on the split value may lie on either side: the cells are closed.
    const int axis = (node.maxX - node.minX >= node.maxY - node.minY) ? 0 : 1;
    const std::int32_t mid = lo + (hi - lo) / 2;
    std::nth_element(order_.begin() + lo, order_.begin() + mid, order_.begin() + hi,
                     [&](std::int32_t a, std::int32_t b) {
                         const double ka = xy_[2 * a + axis], kb = xy_[2 * b + axis];
                         return ka < kb || (ka == kb && a < b);
                     });
    const double split = xy_[2 * order_[mid] + axis];
    double lower[4] = {cell[0], cell[1], cell[2], cell[3]};
    double upper[4] = {cell[0], cell[1], cell[2], cell[3]};
    lower[2 * axis + 1] = split;
    upper[2 * axis] = split;
    const std::int32_t left = buildNode(lo, mid, id, lower);
    const std::int32_t right = buildNode(mid, hi, id, upper);
    nodes_[id].left = left;
    nodes_[id].right = right;
    return id;
}

// The nearer child is searched first: it goes on the stack last.
void CNearestIndex::pushChildren(const NODE& node, double x, double y) const {
    const double l = boxDistanceSquared(nodes_[node.left], x, y);
    const double r = boxDistanceSquared(nodes_[node.right], x, y);
    if (l <= r) {
        stack_.push_back({node.right, r});
        stack_.push_back({node.left, l});
    } else {
        stack_.push_back({node.left, l});
        stack_.push_back({node.right, r});
    }
}

void CNearestIndex::nearestK(std::int32_t self, std::int32_t k, std::vector<HIT>& out) const {
    out.clear();
    const double x = xy_[2 * self], y = xy_[2 * self + 1];
    auto before = [](const HIT& a, const HIT& b) {
        return a.distance < b.distance || (a.distance == b.distance && a.index < b.index);
    };
    // `out` is a heap with the farthest kept point on top; a node is passed over once its box lies beyond it.
    stack_.clear();
    stack_.push_back({0, boxDistanceSquared(nodes_[0], x, y)});
    while (!stack_.empty()) {
        const auto [id, squared] = stack_.back();
        stack_.pop_back();
        if (static_cast<std::int32_t>(out.size()) == k && squared > out.front().distance * out.front().distance)
            continue;
        const NODE& node = nodes_[id];
        if (node.left < 0) {
            for (std::int32_t m = node.lo; m < node.hi; ++m) {
                const std::int32_t j = order_[m];
                if (j == self) continue;
                const double dx = xy_[2 * j] - x, dy = xy_[2 * j + 1] - y;
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
        pushChildren(node, x, y);
    }
    std::sort_heap(out.begin(), out.end(), before);
}

void CNearestIndex::buildNeighbours(std::int32_t k) {
    const auto count = static_cast<std::int32_t>(leafOf_.size());
    auto lists = std::make_shared<NEIGHBOURS>();
    lists->k = std::clamp(k, 0, count > 0 ? count - 1 : 0);
    lists->whole = lists->k == count - 1;
    lists->index.reserve(static_cast<std::size_t>(count) * lists->k);
    lists->last.reserve(count);
    std::vector<HIT> nearest;
    for (std::int32_t i = 0; i < count && lists->k > 0; ++i) {
        nearestK(i, lists->k, nearest);
        for (const HIT& h : nearest) lists->index.push_back(h.index);
        lists->last.push_back(nearest.back().distance);
    }
    neighbours_ = std::move(lists);
}

// Every point missing from a list lies at least as far as its last entry; the band is whole in the list
// when it ends, with a margin far above rounding, before that entry.
bool CNearestIndex::bandFromList(std::int32_t self, double band, std::vector<HIT>& hits) const {
    if (!neighbours_ || neighbours_->k == 0) return false;
    const std::int32_t k = neighbours_->k;
    const std::int32_t* index = neighbours_->index.data() + static_cast<std::size_t>(self) * k;
    std::int32_t f = 0;
    while (f < k && taken_[index[f]]) ++f;
    if (f == k) return false;
    const double x = xy_[2 * self], y = xy_[2 * self + 1];
    auto distance = [&](std::int32_t j) {
        const double dx = xy_[2 * j] - x, dy = xy_[2 * j + 1] - y;
        return std::sqrt(dx * dx + dy * dy);
    };
    const double nearest = distance(index[f]);
    if (!neighbours_->whole && !((nearest + band) * (1 + 1e-9) < neighbours_->last[self])) return false;
    hits.push_back({index[f], nearest});
    for (std::int32_t m = f + 1; m < k; ++m) {
        const double d = distance(index[m]);
        if (!(d - nearest < band)) break;
        if (!taken_[index[m]]) hits.push_back({index[m], d});
    }
    return true;
}

void CNearestIndex::reset() {
    taken_.assign(leafOf_.size(), 0);
    free_.resize(nodes_.size());
    parentOf_.resize(nodes_.size());
    for (std::size_t n = 0; n < nodes_.size(); ++n) {
        free_[n] = nodes_[n].hi - nodes_[n].lo;
        parentOf_[n] = nodes_[n].parent;
    }
}

void CNearestIndex::take(std::int32_t index) {
    if (index < 0 || index >= static_cast<std::int32_t>(taken_.size()) || taken_[index]) return;
    taken_[index] = 1;
    for (std::int32_t n = leafOf_[index]; n >= 0; n = parentOf_[n]) --free_[n];
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
                               double& nearest, std::vector<HIT>& hits) const {
    constexpr double kSlack = 1 + 1e-9;
    auto beyond = [&](double squared) {
        const double reach = nearest + band;
        return squared > reach * reach * kSlack;
    };
    stack_.clear();
    stack_.push_back({root, boxDistanceSquared(nodes_[root], x, y)});
    while (!stack_.empty()) {
        const auto [id, squared] = stack_.back();
        stack_.pop_back();
        const NODE& node = nodes_[id];
        if (free_[id] == 0 || beyond(squared)) continue;
        if (node.left < 0) {
            for (std::int32_t k = node.lo; k < node.hi; ++k) {
                const std::int32_t j = order_[k];
                if (taken_[j] || j == self) continue;
                const double dx = xy_[2 * j] - x, dy = xy_[2 * j + 1] - y;
                const double dSquared = dx * dx + dy * dy;
                if (beyond(dSquared)) continue;
                const double d = std::sqrt(dSquared);
                nearest = std::min(nearest, d);
                hits.push_back({j, d});
            }
            continue;
        }
        pushChildren(node, x, y);
    }
}

void CNearestIndex::nearestBand(std::int32_t self, double band, std::vector<HIT>& hits) const {
    hits.clear();
    if (free_.empty() || free_[0] == 0) return;
    if (bandFromList(self, band, hits)) return;
    const double x = xy_[2 * self], y = xy_[2 * self + 1];
    double nearest = std::numeric_limits<double>::infinity();
    // From the point's own leaf upwards: a sibling is searched only while points beyond the cell searched so
    // far may still lie within the band.
    std::int32_t node = leafOf_[self];
    searchDown(node, self, x, y, band, nearest, hits);
    while (nodes_[node].parent >= 0) {
        const NODE& n = nodes_[node];
        if (nearest < std::numeric_limits<double>::infinity()) {
            const double gap = std::min({x - n.cellMinX, n.cellMaxX - x, y - n.cellMinY, n.cellMaxY - y});
            const double reach = nearest + band;
            if (gap * gap > reach * reach * (1 + 1e-9)) break;
        }
        const NODE& parent = nodes_[n.parent];
        searchDown(parent.left == node ? parent.right : parent.left, self, x, y, band, nearest, hits);
        node = n.parent;
    }
    std::erase_if(hits, [&](const HIT& h) { return !(std::fabs(h.distance - nearest) < band); });
}
