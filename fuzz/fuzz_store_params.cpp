// The typed store of numbered values (store_params.h): its payload decoded, every entry read back by its
// index through the getter of each type.
#include "fuzz_support.h"
#include "plugin/base/store_params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CStoreParams store;
    store.init("FUZZd01");
    std::uint16_t unit = 0;
    std::int16_t stored = 0;
    if (!store.decode(std::vector<std::uint8_t>(data, data + size), &unit, &stored)) return 0;
    for (const CStoreParams::INDEX_LIST& e : store.index()) {
        std::int32_t i = 0;
        double d = 0;
        std::string s;
        store.getInteger(e.section, e.key, i, 0);
        store.getDouble(e.section, e.key, d, 0);
        store.getString(e.section, e.key, s, "");
    }
    return 0;
}
