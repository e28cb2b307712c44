// The ".tab" file of a process table as the tables folder holds it: the input read as a table; a table that
// reads has columns its ids number, its row cells within reach, and writes back to a file that reads as the
// same table.
#include "fuzz_support.h"
#include "plugin/model/tab_cols_desc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::tablesFolder() + "/F.tab";
    (void)plat::removeFile(fuzz::tablesFolder() + "/F.txt");
    if (!plat::writeFile(path, fuzz::text(data, size))) return 0;
    CTabColsDesc t;
    if (t.read(path) == 0) {
        for (int i = 0; i < t.itemCount; ++i) {
            const TAB_DESC_ITEM& m = t.items[static_cast<std::size_t>(i)];
            for (std::int16_t id : {m.colId1, m.colId2, m.colId3})
                if (id < 0 || id > t.columnCount) __builtin_trap();
        }
        std::vector<std::string> row(static_cast<std::size_t>(t.columnCount), "1.5");
        (void)t.buildCilColumns(row);
        for (int i = 0; i < t.itemCount; ++i) (void)t.getColumnInfo(static_cast<std::int16_t>(i + 1), nullptr, nullptr, nullptr, nullptr);
        if (t.write() != 0) __builtin_trap();
        CTabColsDesc back;
        if (back.read(path) != 0 || back.itemCount != t.itemCount || back.columnCount != t.columnCount ||
            back.tableClass != t.tableClass || back.formatVersion != t.formatVersion)
            __builtin_trap();
    }
    plat::driver().reset();
    return 0;
}
