// The work areas of the tree's records by image offset.
#include "plugin/tooling/record_fields.h"

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

std::uint8_t* workBytes(OPE_LIST& o, std::size_t at, std::size_t n) {
    const AREA areas[] = {{2, o.area2, sizeof o.area2},
                          {337, o.area337, sizeof o.area337},
                          {413, o.area413, sizeof o.area413},
                          {468, o.area468, sizeof o.area468}};
    return within(areas, at, n);
}

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
