// The format migration: a table file and its rows (a 16-bit length, the ".tab", then the ".txt") read and
// brought to the current version; a migrated table reads again at that version, and one the migration
// refuses (a process that does not read whole; no write fails here) keeps its bytes.
#include "fuzz_support.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/table_migration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::size_t length = in.u8() | (std::size_t{in.u8()} << 8);
    const std::vector<std::uint8_t> table = in.bytes(length), rows = in.rest();
    const std::string path = fuzz::tablesFolder() + "/M.tab";
    if (!plat::writeFile(path, std::string(table.begin(), table.end())) ||
        !plat::writeFile(fuzz::tablesFolder() + "/M.txt", std::string(rows.begin(), rows.end())))
        return 0;
    CTabColsDesc t;
    if (t.read(path) == 0 && t.formatVersion < kCurrentTableVersion) {
        CTabColsDesc withRows = t;
        if (withRows.readRows() >= 0) {
            const std::string before = plat::readFile(path).value_or("");
            if (updateTableVersion(t) != 0) {
                if (plat::readFile(path) != before) __builtin_trap();
                plat::driver().reset();
                return 0;
            }
            CTabColsDesc back;
            if (back.read(path) != 0 || back.formatVersion != kCurrentTableVersion || back.readRows() < 0)
                __builtin_trap();
        }
    }
    plat::driver().reset();
    return 0;
}
