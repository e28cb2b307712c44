// The host's tool record `tp_tool` as the plug-in sees it, with its 1680-byte stored image. Included by
// host/api.h. The field order is the host's; the offsets are this stand-in's and are fixed here once.
// Lengths are in the tool's units (unitFlag 1 mm, 0 inch), the angle in degrees, speed and feed in %.
// The image is packed and little-endian; bytes no field names are carried in `reserved`, so an image
// read and written again comes out byte for byte.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

struct tp_tool {
    std::int32_t slot = 0;
    std::int16_t type = 0;
    std::int16_t subType = 0;
    double diameter = 0;
    double cornerRadius = 0;
    double pitch = 0;              // threads per inch for inch tools
    double angle = 0;              // tip angle, degrees
    double extra = 0;              // not part of a tool's identity
    double feeds[3] = {};
    std::int32_t spindle = 0;
    std::int16_t flutes = 0;
    std::int16_t material = 0;
    char name[80] = {};
    char profilePath[256] = {};
    std::uint8_t unitFlag = 0;
    std::int32_t number = 0;
    double fluteLength = 0;
    double overallLength = 0;
    double shoulderLength = 0;
    double secondDiameter = 0;
    double speedPercent = 0;
    double feedPercent = 0;
    std::int16_t option = 0;
    double shapeValue = 0;
    std::int32_t machineGroupId = 0;
    double peckPercent[4] = {};
    double peckValues[2] = {};
    double dwell = 0;
    std::int32_t offsetNumbers[2] = {};   // length and diameter offset
    std::uint8_t reserved[1133] = {};

    bool operator==(const tp_tool&) const = default;
};

constexpr std::size_t kTpToolSize = 1680;
using TP_TOOL_BYTES = std::array<std::uint8_t, kTpToolSize>;

namespace tp_tool_layout {
// Offsets of the fields in the image, in field order.
constexpr std::size_t slot = 0, type = 4, subType = 6, diameter = 8, cornerRadius = 16, pitch = 24, angle = 32,
                      extra = 40, feeds = 48, spindle = 72, flutes = 76, material = 78, name = 80,
                      profilePath = 160, unitFlag = 416, number = 417, fluteLength = 421, overallLength = 429,
                      shoulderLength = 437, secondDiameter = 445, speedPercent = 453, feedPercent = 461,
                      option = 469, shapeValue = 471, machineGroupId = 479, peckPercent = 483, peckValues = 515,
                      dwell = 531, offsetNumbers = 539, reserved = 547;
// Each field starts where the one before it ends; the last one ends the record.
static_assert(type == slot + 4 && subType == type + 2 && diameter == subType + 2 && cornerRadius == diameter + 8 &&
              pitch == cornerRadius + 8 && angle == pitch + 8 && extra == angle + 8 && feeds == extra + 8 &&
              spindle == feeds + sizeof(tp_tool::feeds) && flutes == spindle + 4 && material == flutes + 2 &&
              name == material + 2 && profilePath == name + sizeof(tp_tool::name) &&
              unitFlag == profilePath + sizeof(tp_tool::profilePath) && number == unitFlag + 1 &&
              fluteLength == number + 4 && overallLength == fluteLength + 8 && shoulderLength == overallLength + 8 &&
              secondDiameter == shoulderLength + 8 && speedPercent == secondDiameter + 8 &&
              feedPercent == speedPercent + 8 && option == feedPercent + 8 && shapeValue == option + 2 &&
              machineGroupId == shapeValue + 8 && peckPercent == machineGroupId + 4 &&
              peckValues == peckPercent + sizeof(tp_tool::peckPercent) &&
              dwell == peckValues + sizeof(tp_tool::peckValues) && offsetNumbers == dwell + 8 &&
              reserved == offsetNumbers + sizeof(tp_tool::offsetNumbers) &&
              reserved + sizeof(tp_tool::reserved) == kTpToolSize);

// One field between a record member and the image: `toImage` says the direction.
template <class T>
inline void transfer(bool toImage, std::uint8_t* image, std::size_t at, T& field) {
    if (toImage) std::memcpy(image + at, &field, sizeof field);   // the hosts we run on are little-endian
    else std::memcpy(&field, image + at, sizeof field);
}

inline void all(bool toImage, std::uint8_t* image, tp_tool& t) {
    transfer(toImage, image, slot, t.slot);
    transfer(toImage, image, type, t.type);
    transfer(toImage, image, subType, t.subType);
    transfer(toImage, image, diameter, t.diameter);
    transfer(toImage, image, cornerRadius, t.cornerRadius);
    transfer(toImage, image, pitch, t.pitch);
    transfer(toImage, image, angle, t.angle);
    transfer(toImage, image, extra, t.extra);
    transfer(toImage, image, feeds, t.feeds);
    transfer(toImage, image, spindle, t.spindle);
    transfer(toImage, image, flutes, t.flutes);
    transfer(toImage, image, material, t.material);
    transfer(toImage, image, name, t.name);
    transfer(toImage, image, profilePath, t.profilePath);
    transfer(toImage, image, unitFlag, t.unitFlag);
    transfer(toImage, image, number, t.number);
    transfer(toImage, image, fluteLength, t.fluteLength);
    transfer(toImage, image, overallLength, t.overallLength);
    transfer(toImage, image, shoulderLength, t.shoulderLength);
    transfer(toImage, image, secondDiameter, t.secondDiameter);
    transfer(toImage, image, speedPercent, t.speedPercent);
    transfer(toImage, image, feedPercent, t.feedPercent);
    transfer(toImage, image, option, t.option);
    transfer(toImage, image, shapeValue, t.shapeValue);
    transfer(toImage, image, machineGroupId, t.machineGroupId);
    transfer(toImage, image, peckPercent, t.peckPercent);
    transfer(toImage, image, peckValues, t.peckValues);
    transfer(toImage, image, dwell, t.dwell);
    transfer(toImage, image, offsetNumbers, t.offsetNumbers);
    transfer(toImage, image, reserved, t.reserved);
}
}  // namespace tp_tool_layout

inline TP_TOOL_BYTES tpToolImage(const tp_tool& tool) {
    TP_TOOL_BYTES image{};
    tp_tool copy = tool;
    tp_tool_layout::all(true, image.data(), copy);
    return image;
}

// The tool of the first `n` bytes of an image; the bytes past n read as zero (an image of an earlier,
// shorter record), bytes past 1680 are not read.
inline tp_tool tpToolFromImage(const std::uint8_t* bytes, std::size_t n) {
    TP_TOOL_BYTES image{};
    std::memcpy(image.data(), bytes, n < kTpToolSize ? n : kTpToolSize);
    tp_tool tool;
    tp_tool_layout::all(false, image.data(), tool);
    return tool;
}
