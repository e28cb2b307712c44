// FEATURE_MARK: a hole the user marked as tapped or reamed, imported from another system or made from
// coloured or tapped cylinders; the list hangs from CYCLE_RECORDS::featureMarks. Kept in the part as a
// packed little-endian 227-byte image; the codec below is the one place that knows its offsets.
// Points and directions are in world coordinates, lengths in the part's units.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "plugin/model/record_image.h"

constexpr int kMaxMarkSolids = 10;

struct FEATURE_MARK {
    static constexpr std::size_t kSize = 227;
    std::int16_t origin = 0;                       // 1 drawn in the host, 2 made from cylinders
    std::int16_t solidCount = 0;
    std::uint32_t solidIds[kMaxMarkSolids] = {};
    std::uint8_t area44[2] = {};
    double top[3] = {};
    double direction[3] = {};                      // unit
    double length = 0;
    double diameter = 0;
    std::uint8_t isFit = 0;
    std::uint8_t isTap = 0;
    std::int16_t threadTable = 0;                  // -1 for marks made from cylinders
    double tapDiameter = 0;
    double tapPitch = 0;
    FEATURE_MARK* next = nullptr;
    std::uint32_t arcIds[2] = {};
    double depth = 0;
    std::uint8_t recogniseFlag = 0;                // read and cleared by the features manager's recognise
    char threadName[44] = {};
    char fitClass[32] = {};
};

namespace feature_mark_layout {
constexpr std::size_t origin = 0, solidCount = 2, solidIds = 4, area44 = 44, top = 46, direction = 70,
                      length = 94, diameter = 102, isFit = 110, isTap = 111, threadTable = 112,
                      tapDiameter = 114, tapPitch = 122, next = 130, arcIds = 134, depth = 142,
                      recogniseFlag = 150, threadName = 151, fitClass = 195;
}

// Releases the list from `first` following `next`. Returns 0.
int freeFeatureMarkList(FEATURE_MARK* first);

std::array<std::uint8_t, FEATURE_MARK::kSize> featureMarkImage(const FEATURE_MARK& mark, const LinkIdOf& idOf);
// From the first `n` bytes of an image, the rest zero, `next` null; false (mark untouched) when n exceeds
// the record.
[[nodiscard]] bool featureMarkFromImage(const std::uint8_t* image, std::size_t n, FEATURE_MARK& mark);

// A mark's arcs carry their ids in their sweeps (plugin/base/entity_utils.h). After the host renumbered the
// part, finds the arcs of the mark by the ids it holds (a tapped mark's thread arc first, then a fitted
// mark's circle), codes each arc again with the arc's current id and stores that id in the mark. Returns 0.
int renumberArcMarks(FEATURE_MARK* mark);
