// The measures of an operation of the tree as operation generation reads them. Heights are Z values in the
// view's coordinates. The reference of a hole is its mouth, where its drill point lies: the host measures
// the top of stock and the depth of an operation from each point, so tops and depths are taken from there.
#pragma once
#include <cstdint>

#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"

namespace generation_terms {

// The hole's mouth: its point's Z in the view.
inline double referenceZ(const OPE_LIST& o) { return o.point ? o.point->ptView[2] : o.holeTopZ; }
inline double topZ(const OPE_LIST& o) { return o.zSup; }
inline double bottomZ(const OPE_LIST& o) { return o.zInf; }
// The Z the clearance must stay above: the view's, over its highest hole and the stock.
inline double clearanceTop(const OPE_LIST& o) { return o.clearanceZ; }
// A through operation goes past the bottom by its breakthrough; a blind one stops at it.
inline bool tipCompensated(const OPE_LIST& o) { return o.through != 0; }
inline double tipLength(const OPE_LIST& o) { return o.brkthr; }
inline double threadLength(const OPE_LIST& o) { return o.threadDepth; }
inline double taperHalfRad(const OPE_LIST& o) { return o.coneAngle; }

// What the records of the tree do not keep (docs/seams.md): an allowance above a blind bottom, a Z shift of
// a user tool, a milled kind made as a drill cycle, and a level whose point gives the tool plane's origin.
inline double depthAllowance(const OPE_LIST&) { return 0; }
inline double zShift(const OPE_LIST&) { return 0; }
inline std::int16_t millAsCycle(const OPE_LIST&) { return 0; }
inline std::int32_t originLevel(const OPE_LIST&) { return 0; }

// The line of "drillOperationWhy" that says why a drill has its diameter (0 for none).
inline std::int16_t whyCode(const OPE_LIST& o) {
    return o.toolType == 3 && o.drillMode >= 1 && o.drillMode <= 3 ? o.drillMode : 0;
}

}  // namespace generation_terms
