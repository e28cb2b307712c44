// Where each hole state sits in the hole's work area: the area member and the place in it, so that the value
// lands at its image offset (tree_codec.cpp writes the areas byte for byte).
#include "plugin/engine/run_hole_states.h"

#include <cstring>

namespace {

struct PLACE {
    std::uint8_t* bytes;
    std::size_t size;
};

PLACE placeOf(POINT_LIST& p, HOLE_STATE state) {
    switch (state) {
    case HOLE_STATE::noMeasures: return {reinterpret_cast<std::uint8_t*>(&p.noMeasures), 2};   // 290
    case HOLE_STATE::chamferCheck: return {p.area314, 1};                             // 314
    case HOLE_STATE::depthChecked: return {p.area314 + 9, 1};                         // 323
    case HOLE_STATE::noProblem: return {p.area422, 1};                                // 422
    case HOLE_STATE::provisionalRow: return {&p.provisionalRow, 1};                   // 296
    case HOLE_STATE::notAccessible: return {p.area560 + 3, 1};                        // 563
    case HOLE_STATE::toolMissing: return {p.area576, 4};                              // 576
    case HOLE_STATE::toolCreated: return {p.area576 + 4, 4};                          // 580
    }
    return {nullptr, 0};
}

static_assert(sizeof POINT_LIST::area314 >= 10 && sizeof POINT_LIST::area560 == 4 &&
              sizeof POINT_LIST::area576 >= 8);

}  // namespace

std::int32_t holeState(const POINT_LIST& hole, HOLE_STATE state) {
    const PLACE at = placeOf(const_cast<POINT_LIST&>(hole), state);
    switch (at.size) {
    case 1: return *at.bytes;
    case 2: {
        std::int16_t v;
        std::memcpy(&v, at.bytes, 2);
        return v;
    }
    case 4: {
        std::int32_t v;
        std::memcpy(&v, at.bytes, 4);
        return v;
    }
    default: return 0;
    }
}

void setHoleState(POINT_LIST& hole, HOLE_STATE state, std::int32_t value) {
    const PLACE at = placeOf(hole, state);
    switch (at.size) {
    case 1: *at.bytes = static_cast<std::uint8_t>(value); break;
    case 2: {
        const auto v = static_cast<std::int16_t>(value);
        std::memcpy(at.bytes, &v, 2);
        break;
    }
    case 4: std::memcpy(at.bytes, &value, 4); break;
    default: break;
    }
}
