// The job's stock block as a machine group keeps it (host/api_machine.h): its sizes along its own axes, an
// origin that is the centre of its top face or the corner its anchor names, and its axes (rows X, Y, Z in
// the world). The recognition's stock check and the operations' clearance read it through these, so that
// both see one block.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

struct op_group;

struct STOCK_SETUP {
    double size[3] = {};        // sx, sy, sz
    double origin[3] = {};      // in the stock's axes
    int anchor = 0;             // 1-4 the top corners, 5-8 the bottom ones; others: the top face's centre
    std::uint32_t flags = 0;    // non-zero: the set-up cannot be used
    double matrix[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

// The stock of a machine group; no size for none.
[[nodiscard]] STOCK_SETUP stockSetupOf(const op_group* machineGroup);

// The centre of the top face, in the stock's axes, for an origin and anchor code.
void stockTopCentre(const STOCK_SETUP& setup, double centre[3]);

// Whether the block has a size in every direction (each at least 0.04 T).
[[nodiscard]] bool stockHasVolume(const STOCK_SETUP& setup);

// The eight corners in world coordinates; none without volume.
[[nodiscard]] std::vector<std::array<double, 3>> stockCorners(const STOCK_SETUP& setup);
