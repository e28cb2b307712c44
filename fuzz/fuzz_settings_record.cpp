// The settings record "DGPDd01" in a part, read over the settings in force (readSettingsRecord).
#include "fuzz_support.h"
#include "host/api.h"
#include "plugin/base/part_record.h"
#include "plugin/base/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::installPlugin();
    host::newPart();
    writePartRecord(g_globals->settings.featuresLevel, fuzz::recordHeader("DGPDd01", size), std::vector<std::uint8_t>(data, data + size));
    readSettingsRecord();
    plat::driver().reset();
    return 0;
}
