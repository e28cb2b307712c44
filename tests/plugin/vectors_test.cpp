// The inline frame changes recognition uses per probe give the host's matrix routines to the bit: the
// recognition dumps are compared byte for byte across versions, so a last-bit difference would show.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "host/api.h"
#include "plugin/base/vectors.h"

namespace {

bool sameBits(const double a[3], const double b[3]) {
    for (int i = 0; i < 3; ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(double)) != 0) return false;
    return true;
}

TEST(Vectors, FrameChangesAreTheHostsToTheBit) {
    std::mt19937_64 random(55);
    std::uniform_real_distribution<double> unit(-1, 1), scale(-4, 4);
    for (int trial = 0; trial < 2000; ++trial) {
        // Rotations (a view's frame) and arbitrary matrices, vectors from small to large.
        double m[3][3];
        if (trial % 2 == 0) {
            double z[3] = {unit(random), unit(random), unit(random)};
            if (std::hypot(z[0], z[1], z[2]) < 1e-3) continue;
            normalizeVector(z, z);
            ASSERT_EQ(make_view_k(z, m), 1);
        } else {
            for (auto& row : m)
                for (double& x : row) x = unit(random) * std::pow(10.0, scale(random));
        }
        double v[3] = {unit(random) * std::pow(10.0, scale(random)), unit(random) * std::pow(10.0, scale(random)),
                       unit(random) * std::pow(10.0, scale(random))};

        double host[3], ours[3], transposed[3][3];
        mul_mat_vector(m, v, host);
        frameToWorld(m, v, ours);
        ASSERT_TRUE(sameBits(host, ours)) << "frame to world, trial " << trial;
        transpose_matrix_33(m, transposed);
        mul_mat_vector(transposed, v, host);
        worldToFrame(m, v, ours);
        ASSERT_TRUE(sameBits(host, ours)) << "world to frame, trial " << trial;

        // In place, as the stages call them.
        double inPlace[3] = {v[0], v[1], v[2]};
        worldToFrame(m, inPlace, inPlace);
        ASSERT_TRUE(sameBits(host, inPlace));
        frameToWorld(m, inPlace, inPlace);
        frameToWorld(m, ours, ours);
        ASSERT_TRUE(sameBits(ours, inPlace));
    }
}

}  // namespace
