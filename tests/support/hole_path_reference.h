// The hole path done the plain way, step by step with findNearestNext over every element and every start
// walked to its end: the yardstick of the fast search in tests and benchmarks.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "plugin/tooling/hole_path.h"

// Links [first, first + count) like orderPointsNearest; returns the kept start and the least total.
inline std::int32_t referencePathOrder(PATH_ELEMENT* e, std::int32_t first, std::int32_t count, double* bestTotal) {
    double best = hole_path::kInitialBest;
    std::int32_t kept = first;
    auto walk = [&](std::int32_t s) {
        for (std::int32_t i = first; i < first + count; ++i) e[i].next = -1;
        double total = 0;
        for (std::int32_t current = s;;) {
            std::int32_t next = -1, second = 0;
            double heading = 0;
            const double d = findNearestNext(e, first, count, current, &next, &second, &heading);
            if (next < 0) break;
            e[current].next = next;
            total += d;
            current = next;
        }
        return total;
    };
    std::vector<double> totals;
    for (std::int32_t s = first; s < first + count; ++s) {
        totals.push_back(walk(s));
        best = std::min(best, totals.back());
    }
    for (std::int32_t s = first + count - 1; s >= first; --s)
        if (hole_path::tiesWithLeast(totals[s - first], best)) kept = s;
    walk(kept);
    if (bestTotal) *bestTotal = best;
    return kept;
}

// The elements visited from `start` following `next`.
inline std::vector<std::int32_t> pathOf(const std::vector<PATH_ELEMENT>& e, std::int32_t start) {
    std::vector<std::int32_t> order;
    for (std::int32_t i = start; i >= 0 && order.size() <= e.size(); i = e[i].next) order.push_back(i);
    return order;
}

// `count` holes on a grid of pitch `pitch` (many equal distances and angles), some of them moved off it by
// less than the distance tie when `jitter` is given, in a shuffled order.
inline std::vector<PATH_ELEMENT> gridLayout(int count, double pitch, double jitter, unsigned seed) {
    std::mt19937 random(seed);
    const int side = 1 + static_cast<int>(std::sqrt(static_cast<double>(count)) * 1.5);
    std::uniform_int_distribution<int> cell(0, side - 1);
    std::uniform_real_distribution<double> wobble(-jitter, jitter);
    std::vector<PATH_ELEMENT> e(count);
    for (PATH_ELEMENT& p : e) {
        p.point[0] = cell(random) * pitch + (random() % 3 == 0 ? wobble(random) : 0.0);
        p.point[1] = cell(random) * pitch + (random() % 3 == 0 ? wobble(random) : 0.0);
    }
    return e;
}
