// Fields of the recognition tree's work areas that tool layout and sequencing read and write. The process
// engine, which owns these areas, has not named them yet; until it does they sit at fixed image offsets
// here (docs/seams.md), so that they travel with the records when the part is saved.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"

namespace ope_field {
// Offsets in the 816-byte operation image, in the engine's field order.
constexpr std::size_t active = 2, name = 86, cycle = 216, millDiameter = 224, zRef = 232, zTop = 240,
                      zBottom = 248, tipAngle = 281, toolType = 337, toolIndex = 341, diameter = 349, pitch = 357,
                      shapeValue = 365, cornerRadius = 389, coneAngle = 424, chamferDiameter = 432,
                      chamferZ = 440, toolName = 508, toolText = 628, toolCreated = 750, material = 767,
                      neededLength = 769, wantedLength = 777, longTool = 785, toolInLibrary = 786, holeRow = 787,
                      layer = 791, pointCount = 795, toolNumber = 799, groupId = 803;
constexpr std::size_t kToolNameSize = 120;
}  // namespace ope_field

namespace point_field {
constexpr std::size_t selected = 11, excluded = 13, description = 14;
constexpr std::size_t kDescriptionSize = 64;
}  // namespace point_field

namespace view_field {
constexpr std::size_t selected = 8, toolPathGroup = 14, sortIndex = 16;
}

// The bytes of a record's work area at image offset `at` (null when [at, at + n) is not in one area).
std::uint8_t* workBytes(OPE_LIST& ope, std::size_t at, std::size_t n);
std::uint8_t* workBytes(POINT_LIST& point, std::size_t at, std::size_t n);
std::uint8_t* workBytes(VIEW_LIST& view, std::size_t at, std::size_t n);

template <class T, class RECORD>
T getWork(const RECORD& record, std::size_t at) {
    T value{};
    if (const std::uint8_t* bytes = workBytes(const_cast<RECORD&>(record), at, sizeof(T)))
        std::memcpy(&value, bytes, sizeof(T));
    return value;
}

template <class T, class RECORD>
void setWork(RECORD& record, std::size_t at, T value) {
    if (std::uint8_t* bytes = workBytes(record, at, sizeof(T))) std::memcpy(bytes, &value, sizeof(T));
}

// A text field of `size` bytes, ended by its first zero.
template <class RECORD>
std::string getWorkText(const RECORD& record, std::size_t at, std::size_t size) {
    const std::uint8_t* bytes = workBytes(const_cast<RECORD&>(record), at, size);
    if (!bytes) return {};
    const void* end = std::memchr(bytes, 0, size);
    return std::string(reinterpret_cast<const char*>(bytes),
                       end ? static_cast<const std::uint8_t*>(end) - bytes : size);
}

// Cut to size - 1 characters and zero-filled.
template <class RECORD>
void setWorkText(RECORD& record, std::size_t at, std::size_t size, const std::string& text) {
    std::uint8_t* bytes = workBytes(record, at, size);
    if (!bytes) return;
    std::memset(bytes, 0, size);
    std::memcpy(bytes, text.data(), std::min(text.size(), size - 1));
}

// The association index of the operation's process definition that tapers are made by; the process
// record does not name it yet, so every definition counts as not associated (docs/seams.md).
inline std::int16_t processAssociationIndex(const OPE_LIST&) { return 0; }
