// The view heights of the operations: the highest hole top of each view, and the clearance above it and
// above every corner of the job's stock box seen in that view.
#include "plugin/engine/run_heights.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"

namespace {

// The eight corners of the stock box, none when the job's stock is flat in a direction.
std::vector<std::array<double, 3>> stockCorners() {
    const job_setup_rec& job = job_setup;
    const double least = 0.04 * g_tolerances.tolT;
    for (double size : job.stockSize)
        if (!(std::fabs(size) >= least)) return {};
    std::vector<std::array<double, 3>> corners;
    for (double sx : {-0.5, 0.5})
        for (double sy : {-0.5, 0.5})
            for (double z : {job.stockOrigin[2], job.stockOrigin[2] - job.stockSize[2]})
                corners.push_back({job.stockOrigin[0] + sx * job.stockSize[0], job.stockOrigin[1] + sy * job.stockSize[1], z});
    return corners;
}

}  // namespace

void setViewHeights(VIEW_LIST* tree) {
    const std::vector<std::array<double, 3>> corners = stockCorners();
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
