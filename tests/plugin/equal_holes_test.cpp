// The walk of a chain of equal holes: every hole once and in chain order, also on chains that a damaged
// part made loop back onto themselves anywhere.
#include <gtest/gtest.h>

#include <unordered_set>
#include <vector>

#include "plugin/model/tree.h"
#include "plugin/tooling/equal_holes.h"

namespace {

// The chain walked as a list of the holes seen, stopping at the first hole met again.
std::vector<const POINT_LIST*> seenInOrder(const POINT_LIST* hole) {
    std::vector<const POINT_LIST*> order;
    std::unordered_set<const POINT_LIST*> seen;
    for (const POINT_LIST* p = hole; p && seen.insert(p).second; p = p->nextEqual) order.push_back(p);
    return order;
}

TEST(EqualHoles, EachHoleOnceInChainOrderWhereverTheChainLoopsBack) {
    struct CASE {
        int length;
        int loopsTo;   // the hole the last one links back to; -1: the chain ends
    };
    const CASE cases[] = {{1, -1}, {2, -1}, {5, -1}, {1, 0},  {2, 0},  {2, 1},   {3, 1},
                          {7, 0},  {7, 3},  {7, 6},  {8, 5},  {64, 63}, {65, 1}, {1000, 517}};
    for (const CASE& c : cases) {
        std::vector<POINT_LIST> holes(static_cast<std::size_t>(c.length));
        for (std::size_t i = 0; i + 1 < holes.size(); ++i) holes[i].nextEqual = &holes[i + 1];
        holes.back().nextEqual = c.loopsTo < 0 ? nullptr : &holes[static_cast<std::size_t>(c.loopsTo)];
        std::vector<const POINT_LIST*> visited;
        forEachEqualHole(&holes[0], [&](POINT_LIST& p) { visited.push_back(&p); });
        EXPECT_EQ(visited, seenInOrder(&holes[0])) << c.length << " holes looping to " << c.loopsTo;
        EXPECT_EQ(visited.size(), holes.size()) << c.length << " holes looping to " << c.loopsTo;
    }
    int calls = 0;
    forEachEqualHole(nullptr, [&](POINT_LIST&) { ++calls; });
    EXPECT_EQ(calls, 0);
}

}  // namespace
