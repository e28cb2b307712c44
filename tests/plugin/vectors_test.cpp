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
    }
}

}  // namespace
