// The chain of equal holes as tools walk it: a hole and the holes hung behind it through nextEqual, each
// visited once, so that a damaged chain that loops back ends where it meets itself.
#pragma once
#include <cstddef>

#include "plugin/model/tree.h"

// How many holes the chain from `hole` holds, each counted once. Brent's cycle finding takes no room, where
// a set of the holes seen cost more per hole the longer the chain: a plate's chains hold thousands.
inline std::size_t equalHoleCount(const POINT_LIST* hole) {
    if (!hole) return 0;
    const POINT_LIST* tortoise = hole;
    const POINT_LIST* hare = hole->nextEqual;
    std::size_t power = 1, loop = 1, ahead = 1;   // ahead: the hare's place in the chain
    while (hare != tortoise) {
        if (!hare) return ahead;   // the chain ends without looping back
        if (power == loop) {
            tortoise = hare;
            power *= 2;
            loop = 0;
        }
        hare = hare->nextEqual;
        ++loop;
        ++ahead;
    }
    // A loop of `loop` holes: the holes before it are those until a walker `loop` holes ahead meets it.
    const POINT_LIST* behind = hole;
    const POINT_LIST* before = hole;
    for (std::size_t i = 0; i < loop; ++i) before = before->nextEqual;
    std::size_t lead = 0;
    for (; behind != before; ++lead) {
        behind = behind->nextEqual;
        before = before->nextEqual;
    }
    return lead + loop;
}

// `visit` must not relink the chain.
template <class VISIT>
void forEachEqualHole(POINT_LIST* hole, VISIT visit) {
    std::size_t count = equalHoleCount(hole);
    for (POINT_LIST* p = hole; count > 0; p = p->nextEqual, --count) visit(*p);
}
