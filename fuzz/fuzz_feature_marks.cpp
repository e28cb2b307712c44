// The feature marks as a part keeps them ("DFTTd05", "DFTUd05") and what the features manager does with the
// list it loads: the input is a byte choosing the origin to drop, a 32-bit length and the table's payload,
// then the images. The payloads are stored in a part that already holds drawn marks; the list is loaded,
// recoloured, checked against the part, moved onto its arcs and rid of duplicates, and released.
#include <cstring>

#include "fuzz_support.h"
#include "host/api.h"
#include "plugin/base/part_record.h"
#include "plugin/cycle/records.h"
#include "plugin/features/feature_marks.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/work_records.h"
#include "plugin/services/features.h"

namespace {

// A tapped and a fitted mark drawn in the part, so that loaded ids may name live arcs.
void drawSomeMarks() {
    FEATURE_MARK m{};
    m.origin = 1;
    m.direction[2] = 1;
    m.length = 8;
    m.diameter = 10;
    m.isTap = 1;
    m.tapDiam = 8;
    (void)addFeatureMark(m, 1, 0);
    m.isTap = 0;
    m.isFit = 1;
    m.point[0] = 20;
    std::strcpy(m.fitClass, "H7");
    (void)addFeatureMark(m, 1, 0);
    freeFeatureMarkList(g_records->featureMarks);
    g_records->featureMarks = nullptr;
    g_records->featureMarkCount = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::installPlugin();
    host::newPart();
    g_tolerances.tolT = 0.025;
    g_tolerances.axisAngle = 0.0007;
    drawSomeMarks();
    fuzz::Input in(data, size);
    const auto dropOrigin = static_cast<std::int16_t>(in.u8() % 3);
    const std::vector<std::uint8_t> table = in.bytes(in.u32() % (1u << 16));
    const std::vector<std::uint8_t> images = in.rest();
    writePartRecord(g_globals->settings.featuresLevel, fuzz::recordHeader("DFTTd05", table.size()), table);
    writePartRecord(g_globals->settings.featuresLevel, fuzz::recordHeader("DFTUd05", images.size()), images);
    VIEW_LIST* tree = nullptr;
    loadAllRecords(&tree);
    if (tree != g_records->viewsTree) freeViewsTree(tree);
    redrawFeatureMarks(g_records->featureMarks);
    g_records->featureMarks = projectHolesToView(nullptr, g_records->featureMarks, dropOrigin);
    featureMarksToView(g_records->featureMarks);
    (void)matchImportedFeatures();
    (void)removeCoincidentMarks(g_records->featureMarks);
    if (g_records->featureMarks) (void)reverseFeatureMark(g_records->featureMarks);
    freeCycleRecords();
    plat::driver().reset();
    return 0;
}
