// The work areas of the tree's records by image offset.
#include "plugin/model/record_fields.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"

namespace {

struct AREA {
    std::size_t at;
    std::uint8_t* bytes;
    std::size_t size;
};

template <std::size_t N>
std::uint8_t* within(const AREA (&areas)[N], std::size_t at, std::size_t n) {
    for (const AREA& a : areas)
        if (at >= a.at && at + n <= a.at + a.size) return a.bytes + (at - a.at);
    return nullptr;
}

}  // namespace

std::uint8_t* workBytes(OPE_LIST& o, std::size_t at, std::size_t n) { return opeFieldBytes(o, at, n); }

// The tool fields named by the engine sit where the tools have always addressed them.
static_assert(ope_field::active == ope_layout::active && ope_field::name == ope_layout::name &&
              ope_field::cycle == ope_layout::cycle && ope_field::millDiameter == ope_layout::milledDiam &&
              ope_field::zRef == ope_layout::holeTopZ && ope_field::zTop == ope_layout::zSup &&
              ope_field::zBottom == ope_layout::zInf && ope_field::tipAngle == ope_layout::angle &&
              ope_field::toolType == ope_layout::toolType && ope_field::toolIndex == ope_layout::toolIndex &&
              ope_field::diameter == ope_layout::toolDiam && ope_field::pitch == ope_layout::pitch &&
              ope_field::shapeValue == ope_layout::tipDiam && ope_field::cornerRadius == ope_layout::cornerRadius &&
              ope_field::coneAngle == ope_layout::coneAngle && ope_field::chamferDiameter == ope_layout::chamferDiam &&
              ope_field::chamferZ == ope_layout::chamferZ && ope_field::toolName == ope_layout::toolName &&
              ope_field::toolText == ope_layout::altToolName && ope_field::toolCreated == ope_layout::newTool &&
              ope_field::material >= ope_layout::area767);

std::uint8_t* workBytes(POINT_LIST& p, std::size_t at, std::size_t n) {
    const AREA areas[] = {{2, p.area2, sizeof p.area2}};
    return within(areas, at, n);
}

std::uint8_t* workBytes(VIEW_LIST& v, std::size_t at, std::size_t n) {
    const AREA areas[] = {{8, reinterpret_cast<std::uint8_t*>(&v.viewMark), sizeof v.viewMark},
                          {14, v.area14, sizeof v.area14}};
    return within(areas, at, n);
}

static_assert(ope_field::groupId + 4 <= OPE_LIST::kSize);
static_assert(ope_field::toolText + ope_field::kToolNameSize <= ope_field::toolCreated);
