// The stock-block check. A hole's axis is followed through the six faces of the stock box; `up` and `down`
// are signed distances from the hole's top point along the view's Z row (out of the hole). The first
// segment grows up to the farthest face above, the last one down to the farthest face below.
// T = g_tolerances.tolT; z of a segment runs along its view's Z row.
#include "plugin/recognition/stock_check.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "plugin/services/recognition.h"

namespace {

constexpr double kAxisHalfLength = 1e6;
constexpr double kConeAngle = 0.05 * std::numbers::pi / 180.0;   // a segment steeper than this is a cone

// The two stock axes a face spans: sides 0 and 2 (normal along y) span x and z, sides 1 and 3 span y and
// z, top and bottom span x and y.
void faceAxes(int face, int* a, int* b) {
    switch (face) {
    case 0:
    case 2: *a = 0, *b = 2; return;
    case 1:
    case 3: *a = 1, *b = 2; return;
    default: *a = 0, *b = 1; return;
    }
}

void moveAlongView(double point[3], const VIEW_LIST* view, double dist) {
    for (int k = 0; k < 3; ++k) point[k] += dist * view->matrix[2][k];
}

// The point's top follows its first segment.
void pointFollowsTop(POINT_LIST* point, const CYL_LIST* first, const VIEW_LIST* view) {
    if (point->firstCyl != first) return;
    copyVector(point->ptUniv, first->cUniv);
    double t[3][3];
    transpose_matrix_33(view->matrix, t);
    mul_mat_vector(t, first->cUniv, point->ptView);
}

}  // namespace

void CStockBox::setBox(double sizeX, double sizeY, double sizeZ, const double origin[3],
                       const double stockMatrix[3][3]) {
    sx = sizeX, sy = sizeY, sz = sizeZ;
    copyMatrix33(matrix, stockMatrix);
    const double cx = origin[0], cy = origin[1], cz = origin[2];
    const double normalsIn[6][3] = {{0, -1, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 0, -1}};
    const double centresIn[6][3] = {{cx, cy - sy / 2, cz}, {cx + sx / 2, cy, cz}, {cx, cy + sy / 2, cz},
                                    {cx - sx / 2, cy, cz}, {cx, cy, cz},          {cx, cy, cz - sz}};
    for (int f = 0; f < 6; ++f) {
        copyVector(normals[f], normalsIn[f]);
        copyVector(centres[f], centresIn[f]);
    }
}

std::int16_t CStockBox::isInFace(std::int16_t face, const double pt[3]) const {
    if (face < 0 || face > 5) return -1;
    int a = 0, b = 0;
    faceAxes(face, &a, &b);
    const double half[3] = {sx / 2, sy / 2, 0};
    const double* top = centres[4];
    // The rectangle in the face's two axes: x and y around the top face's centre, z from the bottom to the top.
    auto low = [&](int axis) { return axis == 2 ? top[2] - sz : top[axis] - half[axis]; };
    auto high = [&](int axis) { return axis == 2 ? top[2] : top[axis] + half[axis]; };
    const p_2d poly[4] = {{low(a), low(b)}, {high(a), low(b)}, {high(a), high(b)}, {low(a), high(b)}};
    const p_2d p{pt[a], pt[b]};
    return static_cast<std::int16_t>(in_polygon(&p, poly, 4));
}

int CStockBox::axisCrossings(const double point[3], const double dir[3], double* up, double* down) const {
    l_3d axis;
    axis.e1 = {point[0] - kAxisHalfLength * dir[0], point[1] - kAxisHalfLength * dir[1],
               point[2] - kAxisHalfLength * dir[2]};
    axis.e2 = {point[0] + kAxisHalfLength * dir[0], point[1] + kAxisHalfLength * dir[1],
               point[2] + kAxisHalfLength * dir[2]};
    double toStock[3][3];
    transpose_matrix_33(matrix, toStock);
    double kept[6];
    int count = 0;
    for (std::int16_t f = 0; f < 6; ++f) {
        double normal[3], centre[3], hit[3], local[3], t = 0;
        char ok = 0;
        mul_mat_vector(matrix, normals[f], normal);
        mul_mat_vector(matrix, centres[f], centre);
        lp_ints(normal, centre, &axis, hit, &t, &ok);
        if (!ok) continue;
        mul_mat_vector(toStock, hit, local);
        if (isInFace(f, local) >= 0) kept[count++] = t;
    }
    if (!count) return 1;
    std::qsort(kept, static_cast<std::size_t>(count), sizeof(double), compareDoublesDesc);
    const double dx = axis.e2.x - axis.e1.x, dy = axis.e2.y - axis.e1.y, dz = axis.e2.z - axis.e1.z;
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    *up = (kept[0] - 0.5) * length;
    *down = (kept[count - 1] - 0.5) * length;
    return 0;
}

int compareDoublesDesc(const void* a, const void* b) {
    const double x = *static_cast<const double*>(a), y = *static_cast<const double*>(b);
    return x > y ? -1 : (x < y ? 1 : 0);
}

int extendToStock(CYL_LIST* segment, double dist, VIEW_LIST* view, POINT_LIST* point) {
    if (std::fabs(dist) < g_tolerances.tolT) return 0;
    if (std::fabs(segment->secAng) > kConeAngle) {
        if (dist <= 0) return 0;
        if (segment->rToric > g_tolerances.tol004T) {
            // A rounded mouth is not lengthened as a cone: a straight segment continues it upwards.
            CYL_LIST* top = allocCylList();
            if (!top) return -1;
            top->viewNumber = static_cast<std::uint16_t>(view->viewNumber);
            copyMatrix33(top->matrix, view->matrix);
            top->Asw = segment->Asw;
            top->rSup = top->rInf = segment->rSup;
            top->zInf = segment->zSup;
            top->zSup = top->zInf + dist;
            copyVector(top->cUniv, segment->cUniv);
            moveAlongView(top->cUniv, view, dist);
            top->prev = segment->prev;
            top->next = segment;
            if (segment->prev) segment->prev->next = top;
            segment->prev = top;
            if (point->firstCyl == segment) point->firstCyl = top;
            ++point->cylCount;
            pointFollowsTop(point, top, view);
            return 0;
        }
        segment->zSup += dist;
        moveAlongView(segment->cUniv, view, dist);
        segment->rSup += std::tan(segment->secAng) * dist;
        pointFollowsTop(point, segment, view);
        return 0;
    }
    if (dist > 0) {
        segment->zSup += dist;
        moveAlongView(segment->cUniv, view, dist);
        pointFollowsTop(point, segment, view);
    } else {
        segment->zInf += dist;
    }
    return 0;
}

int checkStockEntryWith(VIEW_LIST* tree, const STOCK_SETUP& setup) {
    if (setup.flags) {
        plat::messageBox(nullptr, errorMessage(171), errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
        return 0;
    }
    if (!stockHasVolume(setup)) return 0;
    double centre[3];
    stockTopCentre(setup, centre);
    CStockBox box;
    box.setBox(setup.size[0], setup.size[1], setup.size[2], centre, setup.matrix);

    const double T04 = g_tolerances.tol04T;
    for (VIEW_LIST* view = tree; view; view = view->next)
        for (POINT_LIST* p = view->firstPoint; p; p = p->next) {
            CYL_LIST* first = p->firstCyl;
            if (!first) continue;
            double up = 0, down = 0;
            if (box.axisCrossings(p->ptUniv, view->matrix[2], &up, &down)) continue;
            CYL_LIST* last = lastCyl(p);
            const double depth = first->zSup - last->zInf;
            if (!p->crashTop && up > T04 && extendToStock(first, up, view, p) < 0) return -1;
            if (p->hillT != 0) p->hillT -= up;
            if (p->twinSplitted || p->reamSplitted || p->farSplitted || p->neckSplitted) continue;
            const double beyond = down + depth;   // negative when the stock goes on below the bottom
            if (!p->crashBottom && T04 > beyond && last->rInf > g_tolerances.tol4T &&
                extendToStock(last, beyond, view, p) < 0)
                return -1;
            if (p->hillB != 0) p->hillB -= beyond;
        }
    return 0;
}

int checkStockEntry(VIEW_LIST* tree) {
    if (!g_machineGroup) return 0;
    return checkStockEntryWith(tree, stockSetupOf(g_machineGroup));
}
