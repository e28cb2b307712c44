// Holes lengthened to the stock block: a part machined from a larger block has stock above a hole's mouth
// and may have stock below a through hole's exit. The block comes from the active machine group's stock
// set-up; every hole's axis is followed through it and the hole's first (and, for an open straight bottom,
// last) segment is lengthened to the block's faces, with hillT and hillB corrected by the same distances.
// Stock coordinates: face 4 the top (+z), face 5 the bottom; the box hangs below the centre of its top face.
#pragma once
#include <cstdint>
#include "plugin/base/stock_block.h"
#include "plugin/services/recognition.h"

struct VIEW_LIST;
struct POINT_LIST;
struct CYL_LIST;

// The stock block as six faces.
class CStockBox {
public:
    // Face normals and centres in stock coordinates, faces 0..5: -y, +x, +y, -x sides, top, bottom.
    double normals[6][3] = {};
    double centres[6][3] = {};
    double sx = 0, sy = 0, sz = 0;
    double matrix[3][3] = {};   // stock to world with the matrix, world to stock with its transpose

    // `origin` is the centre of the top face, already corrected for the anchor.
    void setBox(double sx, double sy, double sz, const double origin[3], const double matrix[3][3]);
    // The axis through `point` along `dir` (world): 0 with `up`, the signed distance from `point` along `dir`
    // to the farthest crossing on that side, and `down`, the signed distance to the farthest crossing on the
    // other side (negative when it lies behind `point`); 1 when the axis misses the box.
    int axisCrossings(const double point[3], const double dir[3], double* up, double* down) const;
    // Where `pt` (stock coordinates) lies against face `face`'s rectangle, both taken in the face's own two
    // stock axes: >= 0 inside or on its border, < 0 outside (the host's in_polygon result).
    std::int16_t isInFace(std::int16_t face, const double pt[3]) const;
};

// The same with the set-up given.
[[nodiscard]] int checkStockEntryWith(VIEW_LIST* tree, const STOCK_SETUP& setup);

// dist > 0 lengthens the segment's top end upwards along the view's z, dist <= 0 its bottom end downwards;
// |dist| < T does nothing. A toric cone gets a new straight segment on top; a cone is never lengthened
// downwards. 0, or -1 when a segment could not be allocated (after the message).
[[nodiscard]] int extendToStock(CYL_LIST* segment, double dist, VIEW_LIST* view, POINT_LIST* point);

// qsort comparator of doubles, larger first.
int compareDoublesDesc(const void* a, const void* b);
