// The indexes that keep the flat-face stage and the opaque check linear: the nearest and farthest boundary
// point about an axis must be exactly what a walk over every point gives, and the holes near a surface must
// include every hole the exact distance test keeps, in the order they were added.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

#include "plugin/recognition/boundary_reach.h"
#include "plugin/recognition/opaque_check.h"

namespace {

// A fixed pseudo-random sequence in [0, 1).
struct LCG {
    std::uint64_t state = 12345;
    double next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / static_cast<double>(1ull << 53);
    }
};

// Rings of points as a plate's hole boundaries give them, a rectangle around them, and a few oddities.
std::vector<CBoundaryReach::POINT> boundaryLike(LCG& rng) {
    std::vector<CBoundaryReach::POINT> points;
    for (int h = 0; h < 40; ++h) {
        const double cx = 100 * rng.next(), cy = 60 * rng.next(), r = 0.5 + 4 * rng.next();
        for (int k = 0; k < 90; ++k) {
            const double a = k * 2 * std::numbers::pi / 90;
            points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        }
    }
    for (double x = -5; x <= 105; x += 10) points.push_back({x, -5}), points.push_back({x, 65});
    points.push_back({50, 30});
    points.push_back({50, 30});   // a repeated point
    return points;
}

// What a walk over every point gives from (x, y), starting from `start` and 0, by `distance(dx, dy)`.
template <class Distance>
std::pair<double, double> walkedReach(const std::vector<CBoundaryReach::POINT>& points, double x, double y,
                                      double start, Distance distance) {
    double nearest = start, farthest = 0;
    for (const auto& p : points) {
        const double d = distance(p[0] - x, p[1] - y);
        nearest = std::min(nearest, d);
        farthest = std::max(farthest, d);
    }
    return {nearest, farthest};
}

// 180 points about (c, c) at radius r, every seventh a hair farther out, and one point inside them.
std::vector<CBoundaryReach::POINT> ring(double r, double c, LCG& rng) {
    std::vector<CBoundaryReach::POINT> points;
    for (int k = 0; k < 180; ++k) {
        const double a = k * 2 * std::numbers::pi / 180, rk = r * (1 + (k % 7 == 0 ? 1e-15 : 0));
        points.push_back({c + rk * std::cos(a), c + rk * std::sin(a)});
    }
    points.push_back({c + 0.9 * r * rng.next(), c});
    return points;
}

// Sets as a plate's boundaries give them (two with a point that is not finite), and rings at every scale,
// from squares that underflow to squares that overflow, near the origin and far off. Each set is asked
// from its centre, from one of its points, from places about it and far off: the first few questions go by
// squares, the rest through its index, and every answer must be the walk's to the bit and within rounding of
// a walk by hypot.
TEST(BoundaryReach, NearestAndFarthestAreThoseOfAWalkOverEveryPoint) {
    struct SET {
        std::vector<CBoundaryReach::POINT> points;
        double size, centreX, centreY;
    };
    LCG rng;
    std::vector<SET> sets = {{boundaryLike(rng), 60, 50, 30}, {boundaryLike(rng), 60, 50, 30},
                             {boundaryLike(rng), 60, 50, 30}};
    sets[1].points.push_back({std::numeric_limits<double>::quiet_NaN(), 3});
    sets[2].points.insert(sets[2].points.begin() + 5, {-std::numeric_limits<double>::infinity(), 2});
    for (double scale : {1e-170, 1e-156, 1e-150, 1e-3, 1.0, 1e5, 1e150, 1e160})
        for (double offset : {0.0, 1e6}) sets.push_back({ring(scale, offset, rng), scale, offset, offset});
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const SET& set = sets[i];
        CBoundaryReach reach(set.points);
        for (int q = 0; q < 60; ++q) {
            const double spread = (q < 45 ? 1.2 : 40) * set.size;
            double x = set.centreX + spread * (2 * rng.next() - 1), y = set.centreY + spread * (2 * rng.next() - 1);
            if (q == 0) x = set.centreX, y = set.centreY;
            if (q == 1) x = set.points[1][0], y = set.points[1][1];
            const double start = 3 * set.size * rng.next();
            double nearest = start, farthest = 0;
            reach.reach(x, y, &nearest, &farthest);
            const auto [walkedNearest, walkedFarthest] = walkedReach(set.points, x, y, start, CBoundaryReach::distance);
            ASSERT_EQ(nearest, walkedNearest) << "set " << i << ", question " << q;
            ASSERT_EQ(farthest, walkedFarthest) << "set " << i << ", question " << q;
            // And within rounding of the library's hypot, at every scale (an infinite point's reach alike).
            const auto [hypotNearest, hypotFarthest] =
                walkedReach(set.points, x, y, start, [](double dx, double dy) { return std::hypot(dx, dy); });
            auto rounding = [](double a, double b) { return a == b || std::fabs(a - b) <= 1e-15 * b; };
            ASSERT_TRUE(rounding(nearest, hypotNearest)) << nearest << " " << hypotNearest << ", set " << i;
            ASSERT_TRUE(rounding(farthest, hypotFarthest)) << farthest << " " << hypotFarthest << ", set " << i;
        }
    }
}

TEST(BoundaryReach, AnEmptySetLeavesTheStartValues) {
    CBoundaryReach reach;
    double nearest = 2, farthest = 1;
    reach.reach(0, 0, &nearest, &farthest);
    EXPECT_EQ(nearest, 2);
    EXPECT_EQ(farthest, 1);
}

TEST(NearHoles, EveryHoleWithinReachWhoseRaysMayMeetTheBoxIsFoundOnceInTheOrderAdded) {
    LCG rng;
    opaque::CNearHoles near;
    struct HOLE {
        double x, y, reach, rays;
    };
    std::vector<HOLE> holes;
    for (int i = 0; i < 3000; ++i) {
        // Mostly a dense plate, some holes far out and one with a broken position.
        const double far = i % 100 == 0 ? 2000 : 0;
        HOLE h{far + 300 * rng.next(), 200 * rng.next(), 0.5 + 6 * rng.next(), 4 * rng.next() - 1};
        if (i == 1234) h.x = std::numeric_limits<double>::quiet_NaN();
        if (i % 10 == 5) h.rays = 3;   // the widest rays, whose circles some boxes below just touch
        holes.push_back(h);
        near.add(h.x, h.y, h.reach);
        near.widenBoxReach(h.rays);
    }
    std::vector<int> found, boxed;
    std::size_t foundCount = 0, boxedCount = 0;
    for (int q = 0; q < 300; ++q) {
        const bool touch = q % 10 == 5;   // about a hole, whose widest circle just touches the box
        const HOLE& at = holes[static_cast<std::size_t>(q)];
        const double x = touch ? at.x : -20 + 340 * rng.next(), y = touch ? at.y : -20 + 240 * rng.next();
        const double radius = q % 10 == 0 ? 150 * rng.next() : 8 * rng.next();
        // A box within the sphere, thin on one axis, as a wall's.
        opaque::SURF_IN_VIEW s{};
        const double w = radius * rng.next(), thin = q % 3 == 0 ? 0 : radius * rng.next() / 8;
        s.box[0][0] = x - w, s.box[0][1] = x + w, s.box[1][0] = y - thin, s.box[1][1] = y + thin;
        if (touch) s.box[0][0] = x + 3 + 1e-6, s.box[0][1] = x + 10;
        double bounds[2][2];
        opaque::startBounds(s, bounds);
        near.query(x, y, radius, nullptr, found);
        near.query(x, y, radius, bounds, boxed);
        foundCount += found.size(), boxedCount += boxed.size();
        for (std::size_t i = 1; i < found.size(); ++i) ASSERT_LT(found[i - 1], found[i]) << "query " << q;
        for (std::size_t i = 1; i < boxed.size(); ++i) ASSERT_LT(boxed[i - 1], boxed[i]) << "query " << q;
        for (int i = 0; i < static_cast<int>(holes.size()); ++i) {
            const HOLE& h = holes[static_cast<std::size_t>(i)];
            // The checks drop a hole only when this test says it is out of reach, or its rays miss the box.
            if (h.reach + radius < std::hypot(x - h.x, y - h.y)) continue;
            ASSERT_TRUE(std::binary_search(found.begin(), found.end(), i)) << "hole " << i << " query " << q;
            if (!opaque::raysMayMeetBox(s, h.x, h.y, h.rays)) continue;
            ASSERT_TRUE(std::binary_search(boxed.begin(), boxed.end(), i)) << "hole " << i << " query " << q;
        }
        if (radius < 8) {
            EXPECT_LT(found.size(), holes.size() / 10) << "query " << q;
        }
    }
    EXPECT_LT(boxedCount, foundCount / 2);
}

}  // namespace
