// The hole fields that the engine's operation work reads and writes and that the hole record does not name
// yet: they sit at fixed offsets of the hole's work areas (docs/seams.md), so they travel with the part.
// The hole's text (its label) is the tools' description field.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "plugin/recognition/tree.h"
#include "plugin/tooling/record_fields.h"

namespace hole_field {
template <class T>
struct FIELD {
    std::size_t at;
};
constexpr std::size_t tableName = 80, kTableNameSize = 32;    // in area2
constexpr std::size_t whyText = 112, kWhyTextSize = 72;       // in area2
constexpr FIELD<std::uint16_t> reprocessed{256}, memberReprocessed{258};
constexpr FIELD<std::int16_t> rowIndex{260}, adaptedRow{262};
constexpr FIELD<std::uint8_t> splitByDepth{264}, simplified{265}, movedOpposite{266}, depthChecked{267};
constexpr FIELD<std::int16_t> formState{268};
constexpr FIELD<std::uint8_t> angleFlag1{270}, angleFlag2{271}, furtherMark{272}, chamferCheck{273},
    geometryProblem{274}, notAccessible{275};
constexpr FIELD<double> angle1{276}, angle2{284}, angle3{292};
constexpr FIELD<std::int16_t> noMeasures{302};
static_assert(point_field::description + point_field::kDescriptionSize <= tableName);
static_assert(whyText + kWhyTextSize <= 185);
}  // namespace hole_field

// The bytes [at, at + n) of the hole's work areas that hold them, null otherwise.
inline std::uint8_t* holeWorkBytes(POINT_LIST& p, std::size_t at, std::size_t n) {
    struct AREA {
        std::size_t at;
        std::uint8_t* bytes;
        std::size_t size;
    };
    const AREA areas[] = {{2, p.area2, sizeof p.area2}, {256, p.area256, sizeof p.area256},
                          {302, p.area302, sizeof p.area302}};
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

inline std::string holeTableName(const POINT_LIST& p) {
    return getWorkText(p, hole_field::tableName, hole_field::kTableNameSize);
}
inline void setHoleTableName(POINT_LIST& p, const std::string& name) {
    setWorkText(p, hole_field::tableName, hole_field::kTableNameSize, name);
}
inline std::string holeLabel(const POINT_LIST& p) {
    return getWorkText(p, point_field::description, point_field::kDescriptionSize);
}
inline void setHoleLabel(POINT_LIST& p, const std::string& label) {
    setWorkText(p, point_field::description, point_field::kDescriptionSize, label);
}
