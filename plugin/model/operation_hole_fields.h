// The hole fields that the engine's operation work reads and writes and that the hole record does not name
// yet: they sit at fixed offsets of the hole's work areas (docs/seams.md), so they travel with the part.
// The hole's text (its label) is the tools' description field.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "plugin/model/tree.h"
#include "plugin/model/record_fields.h"

namespace hole_field {
template <class T>
struct FIELD {
    std::size_t at;
};
constexpr std::size_t whyText = 78, kWhyTextSize = 72;       // in area2
constexpr FIELD<std::uint8_t> geometryProblem{315}, furtherMark{316}, splitByDepth{317}, simplified{318},
    movedOpposite{319};
constexpr FIELD<std::uint16_t> reprocessed{328}, memberReprocessed{330};
constexpr FIELD<std::int16_t> formState{332};
static_assert(point_field::description + point_field::kDescriptionSize <= whyText);
static_assert(whyText + kWhyTextSize <= 2 + sizeof(POINT_LIST::area2));
}  // namespace hole_field

// The bytes [at, at + n) of the hole's work areas that hold them, null otherwise.
inline std::uint8_t* holeWorkBytes(POINT_LIST& p, std::size_t at, std::size_t n) {
    struct AREA {
        std::size_t at;
        std::uint8_t* bytes;
        std::size_t size;
    };
    const AREA areas[] = {{2, p.area2, sizeof p.area2}, {315, p.area315, sizeof p.area315},
                          {328, p.area328, sizeof p.area328}};
    for (const AREA& a : areas)
        if (at >= a.at && at + n <= a.at + a.size) return a.bytes + (at - a.at);
    return nullptr;
}

template <class T>
T holeGet(const POINT_LIST& p, hole_field::FIELD<T> f) {
    T value{};
    if (const std::uint8_t* b = holeWorkBytes(const_cast<POINT_LIST&>(p), f.at, sizeof(T)))
        std::memcpy(&value, b, sizeof(T));
    return value;
}
template <class T>
void holeSet(POINT_LIST& p, hole_field::FIELD<T> f, T value) {
    if (std::uint8_t* b = holeWorkBytes(p, f.at, sizeof(T))) std::memcpy(b, &value, sizeof(T));
}

inline std::string holeLabel(const POINT_LIST& p) {
    return getWorkText(p, point_field::description, point_field::kDescriptionSize);
}
inline void setHoleLabel(POINT_LIST& p, const std::string& label) {
    setWorkText(p, point_field::description, point_field::kDescriptionSize, label);
}
