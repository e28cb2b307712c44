// The SDT hole-table reader: any bytes, 8-bit or UTF-16 after FF FE, parsed as a table. Whatever it reads,
// a damaged file keeps no hole, and every hole kept has finite numbers and a line inside the file.
#include <cmath>

#include "fuzz_support.h"
#include "plugin/import/sdt_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::text(data, size);
    const SDT_TABLE table = parseSdtTable(bytes);
    if (table.damagedLine < 0 || (table.damagedLine > 0) != (table.damage != 0)) __builtin_trap();
    for (const SDT_HOLE& h : table.holes) {
        if (h.line < 1 || static_cast<std::size_t>(h.line) > size) __builtin_trap();
        for (double v : {h.diameter, h.top[0], h.top[1], h.top[2], h.bottom[0], h.bottom[1], h.bottom[2], h.threadDepth})
            if (!std::isfinite(v)) __builtin_trap();
        if (h.family != -1 && h.family != 0 && h.family != 1000) __builtin_trap();
    }
    if (!table.hasData && !table.holes.empty()) __builtin_trap();
    return 0;
}
