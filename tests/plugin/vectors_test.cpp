// The inline frame changes recognition uses per probe give the host's matrix routines to the bit, in place
// too: the recognition dumps are compared byte for byte across versions, so a last-bit difference would show.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "host/api.h"
#include "plugin/base/vectors.h"

namespace {

TEST(Vectors, FrameChangesAreTheHostsToTheBit) {
    std::mt19937_64 random(55);
    std::uniform_real_distribution<double> unit(-1, 1), scale(-4, 4);
    auto any = [&] { return unit(random) * std::pow(10.0, scale(random)); };
    for (int trial = 0; trial < 2000; ++trial) {
        // Rotations (a view's frame) and arbitrary matrices, vectors from small to large.
        double m[3][3], z[3] = {unit(random), unit(random), unit(random)};
        if (trial % 2 == 0 && std::hypot(z[0], z[1], z[2]) > 1e-3) {
            normalizeVector(z, z);
            ASSERT_EQ(make_view_k(z, m), 1);
        } else {
            for (auto& row : m)
                for (double& x : row) x = any();
        }
        const double v[3] = {any(), any(), any()};
        double host[3], transposed[3][3], ours[3] = {v[0], v[1], v[2]};
        mul_mat_vector(m, v, host);
        frameToWorld(m, ours, ours);
        ASSERT_EQ(std::memcmp(host, ours, sizeof host), 0) << "frame to world, trial " << trial;
        transpose_matrix_33(m, transposed);
        mul_mat_vector(transposed, v, host);
        std::memcpy(ours, v, sizeof ours);
        worldToFrame(m, ours, ours);
        ASSERT_EQ(std::memcmp(host, ours, sizeof host), 0) << "world to frame, trial " << trial;
        double xy[2];
        worldToFrameXY(m, v, xy);
        ASSERT_EQ(std::memcmp(host, xy, sizeof xy), 0) << "world to frame in x and y, trial " << trial;
    }
}

// closerThan answers as distance3(a, b) < limit does: at distances a hair either side of the limit, where
// the squares cannot tell, at every scale, and where the squares under- or overflow.
TEST(Vectors, CloserThanIsTheDistancesOwnAnswer) {
    std::mt19937_64 random(56);
    std::uniform_real_distribution<double> unit(-1, 1), scale(-300, 300);
    int near = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        const double size = std::pow(10.0, scale(random));
        const double a[3] = {unit(random) * size, unit(random) * size, unit(random) * size};
        const double b[3] = {unit(random) * size, unit(random) * size, unit(random) * size};
        const double d = distance3(a, b);
        for (double limit : {d, std::nextafter(d, 0.0), std::nextafter(d, INFINITY), d * (1 + 1e-10), d * (1 - 1e-10),
                             d * 2, d / 2, 0.0, 1e-12, 1e300}) {
            ASSERT_EQ(closerThan(a, b, limit), d < limit)
                << "trial " << trial << " limit " << limit << " distance " << d;
            near += limit != 0 && std::fabs(limit - d) < 1e-9 * d;
        }
    }
    EXPECT_GT(near, 20000);   // most trials tried limits within rounding of the distance
    const double origin[3] = {0, 0, 0}, nan[3] = {NAN, 0, 0}, far[3] = {1e200, 1e200, 0};
    EXPECT_FALSE(closerThan(origin, nan, 1));
    EXPECT_TRUE(closerThan(origin, far, 1.5e200));   // squares past the range: the distance is 1.414e200
    EXPECT_FALSE(closerThan(origin, far, 1.4e200));
}

}  // namespace
