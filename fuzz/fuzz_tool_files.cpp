// The host's tool libraries and material files (host/tools/tool_library.h, materials.h): the first byte
// picks the reader. What decodes holds only sound tools and encodes to bytes that decode the same.
#include "fuzz_support.h"
#include "host/tools/materials.h"
#include "host/tools/tool_library.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const bool materials = in.u8() & 1;
    const std::vector<std::uint8_t> rest = in.rest();
    const std::string_view bytes(reinterpret_cast<const char*>(rest.data()), rest.size());
    std::string why;
    if (materials) {
        host::tools::MaterialFile file;
        if (host::tools::decodeMaterials(bytes, file, why)) {
            host::tools::MaterialFile again;
            if (!host::tools::decodeMaterials(host::tools::encodeMaterials(file), again, why) ||
                again.materials.size() != file.materials.size())
                __builtin_trap();
        }
    } else {
        std::vector<tp_tool> tools;
        if (host::tools::decodeToolLibrary(bytes, tools, why)) {
            for (const tp_tool& t : tools)
                if (!tool_values_why(t).empty()) __builtin_trap();
            std::vector<tp_tool> again;
            if (!host::tools::decodeToolLibrary(host::tools::encodeToolLibrary(tools), again, why) || again != tools)
                __builtin_trap();
        }
    }
    return 0;
}
