// The stock block from a machine group's set-up, its top centre and its corners in the world.
#include "plugin/base/stock_block.h"

#include <cmath>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/vectors.h"

STOCK_SETUP stockSetupOf(const op_group* machineGroup) {
    STOCK_SETUP setup;
    if (!machineGroup) return setup;
    const stock_block& stock = machineGroup->machine.stock;
    for (int k = 0; k < 3; ++k) {
        setup.size[k] = stock.size[k];
        setup.origin[k] = stock.origin[k];
        for (int j = 0; j < 3; ++j) setup.matrix[k][j] = stock.matrix[k][j];
    }
    setup.anchor = stock.anchor;
    setup.flags = stock.flags;
    return setup;
}

void stockTopCentre(const STOCK_SETUP& setup, double centre[3]) {
    const double sx = setup.size[0], sy = setup.size[1], sz = setup.size[2];
    const double ox = setup.origin[0], oy = setup.origin[1], oz = setup.origin[2];
    const double z = setup.anchor >= 5 && setup.anchor <= 8 ? oz + sz : oz;
    switch (setup.anchor) {
    case 1:
    case 5: setVector(ox + sx / 2, oy - sy / 2, z, centre); return;
    case 2:
    case 6: setVector(ox - sx / 2, oy - sy / 2, z, centre); return;
    case 3:
    case 7: setVector(ox - sx / 2, oy + sy / 2, z, centre); return;
    case 4:
    case 8: setVector(ox + sx / 2, oy + sy / 2, z, centre); return;
    default: setVector(ox, oy, oz, centre); return;
    }
}

bool stockHasVolume(const STOCK_SETUP& setup) {
    for (double size : setup.size)
        if (!(std::fabs(size) >= g_tolerances.tol004T)) return false;
    return true;
}

std::vector<std::array<double, 3>> stockCorners(const STOCK_SETUP& setup) {
    if (!stockHasVolume(setup)) return {};
    double centre[3];
    stockTopCentre(setup, centre);
    std::vector<std::array<double, 3>> corners;
    for (double sx : {-0.5, 0.5})
        for (double sy : {-0.5, 0.5})
            for (double dz : {0.0, -1.0}) {
                const double local[3] = {centre[0] + sx * setup.size[0], centre[1] + sy * setup.size[1],
                                         centre[2] + dz * setup.size[2]};
                std::array<double, 3> world;
                mul_mat_vector(setup.matrix, local, world.data());
                corners.push_back(world);
            }
    return corners;
}
