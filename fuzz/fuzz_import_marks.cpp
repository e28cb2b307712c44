// Imported features turned into feature marks: the input is a byte choosing the reader (even TFF, odd KTW)
// and the file's text. The list read becomes marks, which must all make holes and be as many as counted
// beforehand; they are added and drawn in a new part, then dropped again with their entities.
#include <cstdlib>

#include "fuzz_support.h"
#include "host/api.h"
#include "plugin/import/import_text.h"
#include "plugin/import/interchange_import.h"
#include "plugin/model/work_records.h"
#include "plugin/services/features.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::installPlugin();
    host::newPart();
    g_tolerances.tolT = 0.025;
    fuzz::Input in(data, size);
    const bool ktw = (in.u8() & 1) != 0;
    const std::vector<std::uint8_t> rest = in.rest();
    const std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
    IMPORT_FAULT fault;
    IMPORT_FEAT* list = ktw ? readKtwText(text, fault) : readTffText(text, fault);
    const std::size_t counted = importedMarkCount(list);
    std::vector<FEATURE_MARK> marks;
    int skipped = 0;
    if (importFeatMarks(list, marks, &skipped, fault)) {
        if (marks.size() != counted) std::abort();
        for (const FEATURE_MARK& m : marks)
            if (import_text::unusableMark(m) != 0 || m.origin != 2) std::abort();
        if (addFeatureMarks(marks, 1, 0) != marks.size() ||
            g_records->featureMarkCount != static_cast<std::int32_t>(marks.size()))
            std::abort();
        g_records->featureMarks = projectHolesToView(nullptr, g_records->featureMarks, 2);
        if (g_records->featureMarks || g_records->featureMarkCount != 0) std::abort();
    } else if (!marks.empty() || fault.line <= 0) {
        std::abort();
    }
    freeImportFeats(list);
    plat::driver().reset();
    return 0;
}
