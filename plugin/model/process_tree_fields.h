// The process tree's filters over the hole states the records name, and the chains of identical holes as the
// tree walks them.
#pragma once
#include <cstdint>

#include "plugin/model/tree.h"

// The state bits of the tree's filters (CYCLE_RECORDS::processTreeFlags); 0x40 selects nothing.
enum : std::uint32_t {
    kStateAdapted = 0x1,
    kStateCrashInto = 0x2,
    kStateNoMeasures = 0x4,
    kStateNoProblem = 0x8,
    kStateDepth = 0x10,
    kStateChamfer = 0x20,
    kStateProvisional = 0x80,
    kStateNotAccessible = 0x100,
    kStateToolMissing = 0x200,
    kStateToolCreated = 0x400,
};

// Whether the hole has the state of the bit (the filters' rule), and whether it meets the filter word: one
// of its states has its bit set.
bool holeHasState(const POINT_LIST& p, std::uint32_t bit);
bool holeMeetsFilter(const POINT_LIST& p, std::uint32_t filter);

// ---- chains of identical holes -----------------------------------------------------------------------------
inline bool chainFollower(const POINT_LIST& p) { return p.chainMember != 0; }
inline POINT_LIST* nextInChain(const POINT_LIST& p) { return p.nextEqual; }
