// Private to the host stand-in: the members of the operation record with their image offsets, in record
// order. The codec and the tests (which check that the fields tile the 8984 bytes) walk this one list.
#pragma once
#include <cstddef>

#include "host/api_operation.h"

namespace host::ops {

#define FX_OP_FIELD(name) f(offsetof(operation, name), op.name)

template <class Op, class F>
void forEachField(Op& op, F&& f) {
    FX_OP_FIELD(id);
    FX_OP_FIELD(code);
    FX_OP_FIELD(subCode);
    FX_OP_FIELD(selected);
    FX_OP_FIELD(keep);
    FX_OP_FIELD(groupId);
    FX_OP_FIELD(dbEntity);
    FX_OP_FIELD(comment);
    FX_OP_FIELD(toolSlot);
    FX_OP_FIELD(toolNumber);
    FX_OP_FIELD(toolType);
    FX_OP_FIELD(toolFlutes);
    FX_OP_FIELD(toolSpindle);
    FX_OP_FIELD(toolDiameter);
    FX_OP_FIELD(toolCornerRadius);
    FX_OP_FIELD(toolAngle);
    FX_OP_FIELD(toolPitch);
    FX_OP_FIELD(toolFeeds);
    FX_OP_FIELD(lengthOffset);
    FX_OP_FIELD(diameterOffset);
    FX_OP_FIELD(toolName);
    FX_OP_FIELD(toolPlaneOn);
    FX_OP_FIELD(constrPlaneOn);
    FX_OP_FIELD(wcsOn);
    FX_OP_FIELD(levelOriginOn);
    FX_OP_FIELD(toolPlaneView);
    FX_OP_FIELD(constrPlaneView);
    FX_OP_FIELD(toolPlaneMatrix);
    FX_OP_FIELD(constrPlaneMatrix);
    FX_OP_FIELD(planeOrigin);
    FX_OP_FIELD(wcsMatrix);
    FX_OP_FIELD(wcsOrigin);
    FX_OP_FIELD(originLevel);
    FX_OP_FIELD(clearanceOn);
    FX_OP_FIELD(retractOn);
    FX_OP_FIELD(topOfStockOn);
    FX_OP_FIELD(topOfStockIncremental);
    FX_OP_FIELD(levelOrigin);
    FX_OP_FIELD(clearance);
    FX_OP_FIELD(retract);
    FX_OP_FIELD(topOfStock);
    FX_OP_FIELD(depth);
    FX_OP_FIELD(millOffset);
    FX_OP_FIELD(toolOptions);
    FX_OP_FIELD(firstHeight);
    FX_OP_FIELD(tipOn);
    FX_OP_FIELD(cycle);
    FX_OP_FIELD(clearanceAtEnds);
    FX_OP_FIELD(reserved0);
    FX_OP_FIELD(tipValue);
    FX_OP_FIELD(pecks);
    FX_OP_FIELD(peckExtra);
    FX_OP_FIELD(dwell);
    FX_OP_FIELD(reserved1);
    FX_OP_FIELD(extra);
    FX_OP_FIELD(compensation);
    FX_OP_FIELD(reserved2);
    FX_OP_FIELD(fiveAxis);
    FX_OP_FIELD(reserved3);
    FX_OP_FIELD(singlePointOn);
    FX_OP_FIELD(singlePointCount);
    FX_OP_FIELD(reserved4);
    FX_OP_FIELD(singlePointCentre);
    FX_OP_FIELD(singlePointValues);
    FX_OP_FIELD(geomEntities);
    FX_OP_FIELD(geomPoints);
    FX_OP_FIELD(chainCount);
    FX_OP_FIELD(chainCurves);
    FX_OP_FIELD(regenCount);
    FX_OP_FIELD(nciValid);
    FX_OP_FIELD(reserved5);
    FX_OP_FIELD(depthCuts);
    FX_OP_FIELD(radialPasses);
    FX_OP_FIELD(reserved6);
    FX_OP_FIELD(leadInOut);
    FX_OP_FIELD(reserved7);
    FX_OP_FIELD(kindBlock);
    FX_OP_FIELD(reserved8);
}

#undef FX_OP_FIELD

}  // namespace host::ops
