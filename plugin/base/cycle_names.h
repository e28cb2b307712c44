// The list an operation's cycle index selects: the host's drill cycles, named by the post processor's text
// file where it describes them, followed by the milled-hole kinds (1 circle mill, 2 contour, 3 helix bore,
// 4 thread mill). A milled entry's kind is its number + 1.
#pragma once
#include <cstdint>
#include <string>

struct OP_CYCLE_LIST {
    static constexpr int kMaxEntries = 24;
    static constexpr int kDrillSlots = 25;

    struct ENTRY {
        std::string name;
        std::int16_t milled = 0;   // 1 for a milled-hole kind
        std::int16_t number = 0;   // place among the drill cycles from 0; for a milled kind, the kind - 1
    };

    std::uint8_t unnamed = 0;      // some drill cycle got no name
    ENTRY entries[kMaxEntries];
    std::int16_t count = 0;
    std::int16_t milledCount = 0;

    // Rebuilds the list from the post text file belonging to `postFile`, or to the machine group's post
    // file when it is empty, or the host's default post. Returns the count.
    int load(const std::string& postFile);
    // Index of the n-th milled entry (from 1); -1 for none.
    [[nodiscard]] int enabledIndex(std::int16_t n) const;
    [[nodiscard]] int getNextNumber() const { return milledCount; }
};

// The post text file `load` reads for `postFile` (see there); exposed for its callers' messages and tests.
std::string postTextFile(const std::string& postFile);
