// Feature marks: freeing and their images.
#include "plugin/model/feature_mark.h"

#include <cmath>
#include <cstring>
#include "plugin/base/entity_utils.h"

namespace {

using namespace feature_mark_layout;
static_assert(solidEnts == solidEntCount + 2 && point == solidEnts + sizeof(FEATURE_MARK::solidEnts) &&
              direction == point + 24 && length == direction + 24 && diameter == length + 8 &&
              isFit == diameter + 8 && fitDiameter == isFit + 1 && isTap == fitDiameter + 8 &&
              threadKind == isTap + 1 && tapDiam == threadKind + 2 && tapPitch == tapDiam + 8 &&
              reserved == tapPitch + 8 && next == reserved + 2 && arcEnts == next + 4 &&
              arcEntCount == arcEnts + sizeof(FEATURE_MARK::arcEnts) && level == arcEntCount + 2 &&
              threadDepth == level + 4 && pendingMatch == threadDepth + 8 && threadName == pendingMatch + 1 &&
              noteEnt == threadName + sizeof(FEATURE_MARK::threadName) && fitClass == noteEnt + 4 &&
              fitClass + sizeof(FEATURE_MARK::fitClass) == FEATURE_MARK::kSize);

// Every field but `next`, in one direction or the other.
template <class IMAGE, class MARK, class MOVE>
void dataFields(IMAGE* image, MARK& m, MOVE move) {
    move(image, origin, m.origin);
    move(image, solidEntCount, m.solidEntCount);
    move(image, solidEnts, m.solidEnts);
    move(image, point, m.point);
    move(image, direction, m.direction);
    move(image, length, m.length);
    move(image, diameter, m.diameter);
    move(image, isFit, m.isFit);
    move(image, fitDiameter, m.fitDiameter);
    move(image, isTap, m.isTap);
    move(image, threadKind, m.threadKind);
    move(image, tapDiam, m.tapDiam);
    move(image, tapPitch, m.tapPitch);
    move(image, reserved, m.reserved);
    move(image, arcEnts, m.arcEnts);
    move(image, arcEntCount, m.arcEntCount);
    move(image, level, m.level);
    move(image, threadDepth, m.threadDepth);
    move(image, pendingMatch, m.pendingMatch);
    move(image, threadName, m.threadName);
    move(image, noteEnt, m.noteEnt);
    move(image, fitClass, m.fitClass);
}

bool terminated(const char* text, std::size_t capacity) { return std::memchr(text, 0, capacity) != nullptr; }

bool finite(const FEATURE_MARK& m) {
    const double values[] = {m.point[0],     m.point[1],     m.point[2],  m.direction[0], m.direction[1],
                             m.direction[2], m.length,       m.diameter,  m.fitDiameter,  m.tapDiam,
                             m.tapPitch,     m.threadDepth};
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
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
    std::array<std::uint8_t, FEATURE_MARK::kSize> image = featureMarkData(mark);
    putLink(image.data(), next, idOf, mark.next);
    return image;
}

std::array<std::uint8_t, FEATURE_MARK::kSize> featureMarkData(const FEATURE_MARK& mark) {
    std::array<std::uint8_t, FEATURE_MARK::kSize> image{};
    dataFields(image.data(), mark, [](std::uint8_t* im, std::size_t at, const auto& f) { putField(im, at, f); });
    return image;
}

bool featureMarkFromImage(const std::uint8_t* image, std::size_t n, FEATURE_MARK& mark) {
    if (n > FEATURE_MARK::kSize) return false;
    std::array<std::uint8_t, FEATURE_MARK::kSize> full{};
    if (n) std::memcpy(full.data(), image, n);
    FEATURE_MARK read;
    dataFields(full.data(), read, [](const std::uint8_t* im, std::size_t at, auto& f) { getField(im, at, f); });
    if (read.solidEntCount < 0 || read.solidEntCount > kMaxMarkSolids || read.arcEntCount < 0 ||
        read.arcEntCount > kMaxMarkArcs)
        return false;
    if (!terminated(read.threadName, sizeof read.threadName) || !terminated(read.fitClass, sizeof read.fitClass))
        return false;
    if (!finite(read)) return false;
    mark = read;
    return true;
}

// A mark's thread arc and circle are keyed on their own bases only: keys on the two bases are independent
// numbers, and trying both would let a circle's id find another mark's thread arc.
int renumberArcMarks(FEATURE_MARK* mark) {
    if (!mark) return 0;
    double bases[kMaxMarkArcs] = {};
    int n = 0;
    if (mark->isTap) bases[n++] = kThreadArcBase;
    if (mark->isFit) bases[n++] = kFitCircleBase;
    for (int slot = 0; slot < n; ++slot) (void)rekeyMarkArc(mark->arcEnts[slot], bases[slot]);
    return 0;
}
