// The hole path's point index: the band of a step, answered from the neighbour lists or the tree, against
// a scan of every free point, on clustered layouts with equal distances while points are taken; a hit from
// a list carries its pair's value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <span>
#include <vector>

#include "plugin/tooling/nearest_index.h"

namespace {

std::vector<CNearestIndex::HIT> scanBand(const std::vector<double>& xy, const std::vector<char>& taken,
                                         std::int32_t self, double band) {
    std::vector<CNearestIndex::HIT> all;
    for (std::int32_t j = 0; j < static_cast<std::int32_t>(taken.size()); ++j) {
        if (j == self || taken[j]) continue;
        const double dx = xy[2 * j] - xy[2 * self], dy = xy[2 * j + 1] - xy[2 * self + 1];
        all.push_back({j, std::sqrt(dx * dx + dy * dy)});
    }
    double nearest = INFINITY;
    for (const auto& h : all) nearest = std::min(nearest, h.distance);
    std::erase_if(all, [&](const CNearestIndex::HIT& h) { return !(std::fabs(h.distance - nearest) < band); });
    return all;
}

// A value of a pair that tells the pairs apart, kept with the lists.
double pairValue(double dx, double dy) { return std::fabs(dx) + 3 * std::fabs(dy); }

std::vector<std::int32_t> indices(std::span<const CNearestIndex::HIT> hits) {
    std::vector<std::int32_t> out;
    for (const auto& h : hits) out.push_back(h.index);
    std::sort(out.begin(), out.end());
    return out;
}

TEST(NearestIndex, BandEqualsScanOfFreePointsWhilePointsAreTaken) {
    struct CASE {
        int count, neighbours;
        double pitch;   // grid pitch; points sit on it or off it by less than the band
    };
    const CASE cases[] = {{5, 24, 1.0},   {9, 4, 1.0},    {17, 0, 1.0}, {30, 24, 1.0},
                          {300, 4, 0.5}, {300, 24, 2.0}, {300, 0, 2.0}};
    const double band = 0.004;
    for (const CASE& c : cases) {
        std::mt19937 random(c.count * 31 + c.neighbours);
        std::uniform_int_distribution<int> cell(0, 12);
        std::uniform_real_distribution<double> wobble(-0.003, 0.003);
        std::vector<double> xy;
        for (int i = 0; i < c.count; ++i) {
            const bool off = i % 3 == 0;
            xy.push_back(cell(random) * c.pitch + (off ? wobble(random) : 0.0));
            xy.push_back(cell(random) * c.pitch + (off ? wobble(random) : 0.0));
        }
        CNearestIndex index;
        index.build(xy);
        if (c.neighbours) index.buildNeighbours(c.neighbours, band, pairValue);
        std::vector<char> taken(c.count, 0);
        int fromLists = 0;
        // Take points in a random order, asking from every point after each take; in three rounds, reset
        // after half the points, after three (counts given back take by take) and after all.
        std::vector<std::int32_t> order(c.count);
        for (int i = 0; i < c.count; ++i) order[i] = i;
        for (int round = 0; round < 3; ++round) {
            std::shuffle(order.begin(), order.end(), random);
            const std::size_t stops[] = {order.size() / 2, std::min<std::size_t>(3, order.size()), order.size()};
            const std::size_t stop = stops[round];
            for (std::size_t t = 0; t < stop; ++t) {
                for (std::int32_t self = 0; self < c.count; self += 1 + c.count / 40) {
                    const std::span<const CNearestIndex::HIT> hits = index.nearestBand(self, band);
                    ASSERT_EQ(indices(hits), indices(scanBand(xy, taken, self, band)))
                        << c.count << " points, " << c.neighbours << " neighbours, from " << self << ", round " << round;
                    for (const auto& h : hits) {
                        const double dx = xy[2 * h.index] - xy[2 * self], dy = xy[2 * h.index + 1] - xy[2 * self + 1];
                        ASSERT_EQ(h.distance, std::sqrt(dx * dx + dy * dy));
                        if (h.entry < 0) continue;
                        ASSERT_EQ(index.pairValue(h.entry), pairValue(dx, dy));
                        ++fromLists;
                    }
                }
                index.take(order[t]);
                taken[order[t]] = 1;
                EXPECT_EQ(index.freeCount(), std::count(taken.begin(), taken.end(), 0));
            }
            index.reset();
            std::fill(taken.begin(), taken.end(), 0);
            EXPECT_EQ(index.freeCount(), c.count);
        }
        EXPECT_EQ(fromLists > 0, c.neighbours > 0) << c.count << " points, " << c.neighbours << " neighbours";
    }
}

}  // namespace
