// Stand-ins of the engine's own records' fields and rules that are not built yet (docs/seams.md).
#include "plugin/base/directions.h"
#include "plugin/base/vectors.h"
#include "plugin/model/ope_list.h"
#include "plugin/services/engine.h"

namespace {
constexpr std::size_t kDescDiameter = 2, kDescZTop = 10, kDescZBottom = 18;
}  // namespace

std::uint32_t opeOperationType(const OPE_LIST& ope) { return ope.toolType; }
double opeToolDiameter(const OPE_LIST& ope) { return ope.toolDiam; }
void setOpeTool(OPE_LIST& ope, std::uint32_t type, double diameter) {
    ope.toolType = type;
    ope.toolDiam = diameter;
}
double cilDescDiameter(const CIL_DESC& desc) { return desc.get<double>(kDescDiameter); }
double cilDescZTop(const CIL_DESC& desc) { return desc.get<double>(kDescZTop); }
double cilDescZBottom(const CIL_DESC& desc) { return desc.get<double>(kDescZBottom); }
void setCilDesc(CIL_DESC& desc, double diameter, double zTop, double zBottom) {
    desc.set(kDescDiameter, diameter);
    desc.set(kDescZTop, zTop);
    desc.set(kDescZBottom, zBottom);
}

int isOppositeDirAllowed(const double direction[3]) {
    double reversed[3];
    negateVector(direction, reversed);
    return isDirInSelViews(reversed, 0) == kSameSense ? 1 : 0;
}
