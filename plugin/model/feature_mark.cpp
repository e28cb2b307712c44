// Feature marks: freeing and their images.
#include "plugin/model/feature_mark.h"

#include <cstring>
#include "plugin/base/entity_utils.h"

namespace {

using namespace feature_mark_layout;
static_assert(area44 == solidIds + sizeof(FEATURE_MARK::solidIds) && top == area44 + 2 && direction == top + 24 &&
              length == direction + 24 && diameter == length + 8 && isFit == diameter + 8 && isTap == isFit + 1 &&
              threadTable == isTap + 1 && tapDiameter == threadTable + 2 && tapPitch == tapDiameter + 8 &&
              next == tapPitch + 8 && arcIds == next + 4 && depth == arcIds + 8 && recogniseFlag == depth + 8 &&
              threadName == recogniseFlag + 1 && fitClass == threadName + sizeof(FEATURE_MARK::threadName) &&
              fitClass + sizeof(FEATURE_MARK::fitClass) == FEATURE_MARK::kSize);

// Every field but `next`, in one direction or the other.
template <class IMAGE, class MARK, class MOVE>
void dataFields(IMAGE* image, MARK& m, MOVE move) {
    move(image, origin, m.origin);
    move(image, solidCount, m.solidCount);
    move(image, solidIds, m.solidIds);
    move(image, area44, m.area44);
    move(image, top, m.top);
    move(image, direction, m.direction);
    move(image, length, m.length);
    move(image, diameter, m.diameter);
    move(image, isFit, m.isFit);
    move(image, isTap, m.isTap);
    move(image, threadTable, m.threadTable);
    move(image, tapDiameter, m.tapDiameter);
    move(image, tapPitch, m.tapPitch);
    move(image, arcIds, m.arcIds);
    move(image, depth, m.depth);
    move(image, recogniseFlag, m.recogniseFlag);
    move(image, threadName, m.threadName);
    move(image, fitClass, m.fitClass);
}

}  // namespace

int freeFeatureMarkList(FEATURE_MARK* first) {
    while (first) {
        FEATURE_MARK* next = first->next;
        delete first;
        first = next;
    }
    return 0;
}

std::array<std::uint8_t, FEATURE_MARK::kSize> featureMarkImage(const FEATURE_MARK& mark, const LinkIdOf& idOf) {
    std::array<std::uint8_t, FEATURE_MARK::kSize> image{};
    dataFields(image.data(), mark, [](std::uint8_t* im, std::size_t at, const auto& f) { putField(im, at, f); });
    putLink(image.data(), next, idOf, mark.next);
    return image;
}

bool featureMarkFromImage(const std::uint8_t* image, std::size_t n, FEATURE_MARK& mark) {
    if (n > FEATURE_MARK::kSize) return false;
    std::array<std::uint8_t, FEATURE_MARK::kSize> full{};
    if (n) std::memcpy(full.data(), image, n);
    mark = FEATURE_MARK{};
    dataFields(full.data(), mark, [](const std::uint8_t* im, std::size_t at, auto& f) { getField(im, at, f); });
    return true;
}

// A mark's thread arc and circle are keyed on their own bases only: keys on the two bases are independent
// numbers, and trying both would let a circle's id find another mark's thread arc.
int renumberArcMarks(FEATURE_MARK* mark) {
    if (!mark) return 0;
    double bases[2] = {};
    int n = 0;
    if (mark->isTap) bases[n++] = kThreadArcBase;
    if (mark->isFit) bases[n++] = kFitCircleBase;
    for (int slot = 0; slot < n; ++slot) (void)rekeyMarkArc(mark->arcIds[slot], bases[slot]);
    return 0;
}
