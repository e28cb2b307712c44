// The text of a part record note (header and two letters per byte) and the foreign colour-table note.
#include "fuzz_support.h"
#include "plugin/base/part_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::text(data, size);
    std::vector<std::uint8_t> payload;
    if (decodeRecordText(text, payload)) {
        // What decodes encodes back to a text that decodes to the same payload.
        std::vector<std::uint8_t> again;
        if (!decodeRecordText(encodeRecordText(text.substr(0, 16), payload), again) || again != payload)
            __builtin_trap();
    }
    std::vector<RGB_COLOR_NUM> table;
    parseVertaColorTable(text, table);
    return 0;
}
