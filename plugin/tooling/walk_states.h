// States that the hole path's walks pass through, shared by the walks of every start. Two walks that stand
// on the same hole having visited the same holes go on alike to the end, so the one that got there with the
// longer way (or as long, from a later start) cannot be the path kept and is given up there. A state is
// known by a 128-bit key of its visited holes and its current hole; walks record every few steps.
#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

class CWalkStates {
public:
    struct KEY {
        std::uint64_t a = 0, b = 0;
    };

    // For walks over `count` holes, recording after every `every` steps.
    explicit CWalkStates(std::int32_t count);

    [[nodiscard]] std::int32_t every() const { return every_; }
    // The key of a set changes by the hole's key when the hole joins it.
    void add(KEY& set, std::int32_t hole) const {
        set.a ^= holeKeys_[2 * static_cast<std::size_t>(hole)];
        set.b ^= holeKeys_[2 * static_cast<std::size_t>(hole) + 1];
    }
    // Records the state of a walk from `start` that has come `length` far to `current` with `visited`; true
    // when another walk came there shorter by more than `margin`, or no longer from an earlier start, so
    // that this one cannot be kept. `margin` exceeds the tie of two totals and what rounding can take off
    // their difference over the steps still to come, so the shorter stays shorter beyond the tie to the end
    // whichever start it came from.
    [[nodiscard]] bool beaten(const KEY& visited, std::int32_t current, double length, std::int32_t start,
                              double margin);

private:
    struct ENTRY {
        KEY key;
        std::int32_t current = -1;   // -1: a free slot
        std::int32_t start = 0;
        double length = 0;
    };
    struct SHARD {
        std::mutex lock;
        std::vector<ENTRY> slots;
        std::size_t used = 0;
    };
    std::int32_t every_ = 1;
    std::vector<std::uint64_t> holeKeys_;
    std::vector<SHARD> shards_;
};
