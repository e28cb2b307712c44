// The filters' rule over the hole states.
#include "plugin/model/process_tree_fields.h"

bool holeHasState(const POINT_LIST& p, std::uint32_t bit) {
    switch (bit) {
    case kStateAdapted: return p.adaptedRow >= 0;
    case kStateCrashInto: return p.crashInto != 0;
    case kStateNoMeasures: return p.noMeasures == 1;
    case kStateNoProblem: return p.noProblem != 0;
    case kStateDepth: return p.depthChecked != 0;
    case kStateChamfer: return p.chamferCheck != 0;
    case kStateProvisional: return p.provisionalRow != 0;
    case kStateNotAccessible: return p.notAccessible != 0;
    case kStateToolMissing: return p.toolMissing != 0;
    case kStateToolCreated: return p.toolCreated != 0;
    default: return false;
    }
}

bool holeMeetsFilter(const POINT_LIST& p, std::uint32_t filter) {
    for (std::uint32_t bit = 1; bit <= kStateToolCreated; bit <<= 1)
        if ((filter & bit) && holeHasState(p, bit)) return true;
    return false;
}
