// The chain of equal holes as tools walk it: a hole and the holes hung behind it through nextEqual, each
// visited once, so that a damaged chain that loops back ends where it meets itself.
#pragma once
#include <unordered_set>

#include "plugin/model/tree.h"

template <class VISIT>
void forEachEqualHole(POINT_LIST* hole, VISIT visit) {
    std::unordered_set<const POINT_LIST*> seen;
    for (POINT_LIST* p = hole; p && seen.insert(p).second; p = p->nextEqual) visit(*p);
}
