// The shared walk states of the hole path: a table split in shards, each with its own lock and open slots.
// A full shard records nothing more; the walks then only go on longer than they might.
#include "plugin/tooling/walk_states.h"

#include <algorithm>
#include <random>

namespace {
constexpr std::size_t kShards = 64;
// About this many recorded states per walk whatever the count: a walk records every count / 16 steps.
constexpr std::int32_t kRecordsPerWalk = 16;
constexpr std::int32_t kFewestSteps = 8;
constexpr std::size_t kMostSlotsPerShard = 16384;   // 32 MiB in all
}  // namespace

CWalkStates::CWalkStates(std::int32_t count) : shards_(kShards) {
    every_ = std::max(kFewestSteps, count / kRecordsPerWalk);
    std::mt19937_64 random(0x9e3779b97f4a7c15ULL);
    holeKeys_.resize(2 * static_cast<std::size_t>(std::max(count, 0)));
    for (std::uint64_t& k : holeKeys_) k = random();
    // Room for every walk to record all its states once (they stop at about two thirds on average).
    const std::size_t expected = static_cast<std::size_t>(std::max(count, 1)) * count / every_;
    std::size_t perShard = 16;
    while (perShard * kShards < expected && perShard < kMostSlotsPerShard) perShard *= 2;
    for (SHARD& s : shards_) s.slots.resize(perShard);
}

bool CWalkStates::beaten(const KEY& visited, std::int32_t current, double length, std::int32_t start,
                         double margin) {
    const std::uint64_t mixed = visited.a ^ (static_cast<std::uint64_t>(current) * 0x9e3779b97f4a7c15ULL);
    SHARD& shard = shards_[mixed >> 58];
    const std::lock_guard<std::mutex> hold(shard.lock);
    const std::size_t mask = shard.slots.size() - 1;
    for (std::size_t i = mixed & mask;; i = (i + 1) & mask) {
        ENTRY& e = shard.slots[i];
        if (e.current < 0) {
            if (4 * (shard.used + 1) > 3 * shard.slots.size()) return false;   // full: record no more
            e = {visited, current, start, length};
            ++shard.used;
            return false;
        }
        if (e.current != current || e.key.a != visited.a || e.key.b != visited.b) continue;
        if (e.length + margin < length || (e.length <= length && e.start < start)) return true;
        if (length + margin < e.length || (length <= e.length && start < e.start)) {
            e.length = length;
            e.start = start;
        }
        return false;
    }
}
