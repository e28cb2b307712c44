// The work cycle's records as the next cycle loads them from the part (records.cpp): the input is a list
// of records, each a byte naming it, a 32-bit length and its payload; they are stored in a new part as
// record notes and loaded with loadAllRecords, and what was loaded is released.
#include "fuzz_support.h"
#include "host/api.h"
#include "plugin/base/part_record.h"
#include "plugin/cycle/records.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/tree.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/work_records.h"

namespace fuzz {
// The records loadAllRecords reads, older versions included.
const char* const kCycleRecords[] = {"DRLUd66", "DRLTd66", "DFTUd05", "DFTTd05", "DREVddd", "TLSTd05",
                                     "TSEQd05", "DRLPp01", "DRLPd66", "DRLTd65", "DRLUd63", "DRLUd65"};
constexpr std::size_t kCycleRecordCount = sizeof kCycleRecords / sizeof kCycleRecords[0];
}  // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::installPlugin();
    host::newPart();
    fuzz::Input in(data, size);
    while (!in.empty()) {
        const char* name = fuzz::kCycleRecords[in.u8() % fuzz::kCycleRecordCount];
        const std::vector<std::uint8_t> payload = in.bytes(in.u32() % (1u << 20));
        writePartRecord(g_globals->settings.featuresLevel, fuzz::recordHeader(name, payload.size()), payload);
    }
    VIEW_LIST* tree = nullptr;
    loadAllRecords(&tree);
    if (tree != g_records->viewsTree) freeViewsTree(tree);
    freeCycleRecords();
    g_fullToolsSeq->clear();
    g_toolsArray->clear();
    plat::driver().reset();
    return 0;
}
