// FEATURE_MARK: one hole feature known apart from the recognition: a form the system drew, a hole read from
// another system's file, a cylinder whose colour or geometry codes a fit or a thread, or a feature the user
// edited. The list hangs from CYCLE_RECORDS::featureMarks (counted by featureMarkCount) and is kept in the
// part as packed little-endian 227-byte images; the codec below is the one place that knows their offsets.
// Points and directions are in world coordinates, lengths in the part's units.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "plugin/model/record_image.h"

constexpr int kMaxMarkSolids = 8;
constexpr int kMaxMarkArcs = 2;

struct FEATURE_MARK {
    static constexpr std::size_t kSize = 227;
    std::int16_t origin = 0;                       // 1 made in the host, 2 from another system
    std::int16_t solidEntCount = 0;                // ids in solidEnts, 0 to kMaxMarkSolids
    std::uint32_t solidEnts[kMaxMarkSolids] = {};  // the host solids the feature belongs to
    double point[3] = {};                          // top of the feature
    double direction[3] = {};                      // unit, out of the hole: the hole runs along its negation
    double length = 0;                             // the bottom is point - length x direction
    double diameter = 0;
    std::uint8_t isFit = 0;                        // a fitted (reamed) hole
    double fitDiameter = 0;                        // a fit's second diameter as a foreign file gives it
    std::uint8_t isTap = 0;                        // a tapped hole
    std::int16_t threadKind = 0;                   // kind number of the thread's table; -1 not known
    double tapDiam = 0;                            // nominal diameter of the thread
    double tapPitch = 0;
    std::int16_t reserved = 0;                     // nothing writes it; compared and copied with the data
    FEATURE_MARK* next = nullptr;
    std::uint32_t arcEnts[kMaxMarkArcs] = {};      // host arcs that draw it, a tapped mark's thread arc first
    std::int16_t arcEntCount = 0;                  // 0 to kMaxMarkArcs
    std::int32_t level = 0;                        // where its entities belong
    double threadDepth = 0;
    std::uint8_t pendingMatch = 0;                 // still to be moved onto the recognised hole it covers
    char threadName[34] = {};                      // designation, NUL-terminated; "" none
    std::uint32_t noteEnt = 0;                     // the note showing fitClass; meaningful while fitClass is set
    char fitClass[32] = {};                        // NUL-terminated; a fitted mark with one has a note
};

// The most marks a part holds. Their images go into one part record, whose note text is every byte twice
// over and which the host reads back only below 1 GiB; its length is written in nine digits.
constexpr std::int32_t kMaxFeatureMarks = 2'000'000;
static_assert(std::uint64_t{kMaxFeatureMarks} * FEATURE_MARK::kSize * 2 + 64 < (std::uint64_t{1} << 30));

namespace feature_mark_layout {
constexpr std::size_t origin = 0, solidEntCount = 2, solidEnts = 4, point = 36, direction = 60, length = 84,
                      diameter = 92, isFit = 100, fitDiameter = 101, isTap = 109, threadKind = 110,
                      tapDiam = 112, tapPitch = 120, reserved = 128, next = 130, arcEnts = 134,
                      arcEntCount = 142, level = 144, threadDepth = 148, pendingMatch = 156, threadName = 157,
                      noteEnt = 191, fitClass = 195;
}

// The solids and arcs a mark holds, its counts kept to the slots there are.
inline int markSolidCount(const FEATURE_MARK& m) {
    return m.solidEntCount < 0 ? 0 : m.solidEntCount > kMaxMarkSolids ? kMaxMarkSolids : m.solidEntCount;
}
inline int markArcCount(const FEATURE_MARK& m) {
    return m.arcEntCount < 0 ? 0 : m.arcEntCount > kMaxMarkArcs ? kMaxMarkArcs : m.arcEntCount;
}
// Whether the mark shows its fit class in a note (and so owns noteEnt).
inline bool markHasNote(const FEATURE_MARK& m) { return m.fitClass[0] != 0; }

// Releases the list from `first` following `next`. Returns 0.
int freeFeatureMarkList(FEATURE_MARK* first);

// The image as stored; `next` goes as the identity `idOf` gives it.
std::array<std::uint8_t, FEATURE_MARK::kSize> featureMarkImage(const FEATURE_MARK& mark, const LinkIdOf& idOf);
// The image with every byte but those of `next`, which hold 0: two marks with equal data give equal images.
std::array<std::uint8_t, FEATURE_MARK::kSize> featureMarkData(const FEATURE_MARK& mark);
// From the first `n` bytes of an image, the rest zero, `next` null. False (mark untouched) when the bytes
// do not make a mark: n beyond the record, a count outside its slots, a text without its terminator in its
// field, or a number that is not finite.
[[nodiscard]] bool featureMarkFromImage(const std::uint8_t* image, std::size_t n, FEATURE_MARK& mark);

// A mark's arcs carry their ids in their sweeps (plugin/base/entity_utils.h). After the host renumbered the
// part, finds the arcs of the mark by the ids it holds (a tapped mark's thread arc first, then a fitted
// mark's circle), codes each arc again with the arc's current id and stores that id in the mark. Returns 0.
int renumberArcMarks(FEATURE_MARK* mark);
