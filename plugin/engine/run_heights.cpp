// The view heights of the operations: the highest hole top of each view, and the clearance above it and
// above every corner of the job's stock box seen in that view.
#include "plugin/engine/run_heights.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/stock_block.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"

namespace {

// The machine group's stock block, with its anchor and axes; the job set-up's (which has no axes) when the
// group has none.
std::vector<std::array<double, 3>> jobStockCorners() {
    STOCK_SETUP setup = stockSetupOf(g_machineGroup);
    if (!stockHasVolume(setup)) {
        setup = STOCK_SETUP{};
        for (int k = 0; k < 3; ++k) {
            setup.size[k] = job_setup.stockSize[k];
            setup.origin[k] = job_setup.stockOrigin[k];
        }
        setup.anchor = job_setup.anchor;
    }
    return stockCorners(setup);
}

}  // namespace

void setViewHeights(VIEW_LIST* tree) {
    const std::vector<std::array<double, 3>> corners = jobStockCorners();
    for (VIEW_LIST* view = tree; view; view = view->next) {
        double top = -1.0e10;
        for (const POINT_LIST* hole = view->firstPoint; hole; hole = hole->next)
            top = std::max(top, hole->ptView[2] + hole->hillT);
        double clear = top;
        double toView[3][3];
        transpose_matrix_33(view->matrix, toView);
        for (const auto& corner : corners) {
            double local[3];
            mul_mat_vector(toView, corner.data(), local);
            clear = std::max(clear, local[2]);
        }
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next) {
            if (hole->chainMember) continue;
            for (OPE_LIST* op = hole->opeList; op; op = op->next) {
                op->holeTopZ = top;
                op->clearanceZ = clear;
            }
        }
    }
}
