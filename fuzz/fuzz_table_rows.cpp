// The rows file of a shipped table: the first byte picks the table, the rest is its ".txt". Rows that read
// serve every lookup, and write back to a file that reads the same rows.
#include "fuzz_support.h"
#include "plugin/model/tab_cols_desc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const char* name = fuzz::kShippedTables[in.u8() % fuzz::kShippedTableCount];
    const std::vector<std::uint8_t> rows = in.rest();
    const std::string path = fuzz::tablesFolder() + "/R.tab";
    static std::string lastName;
    if (lastName != name && !plat::writeFile(path, fuzz::shippedTable(name, ".tab"))) return 0;
    lastName = name;
    if (!plat::writeFile(fuzz::tablesFolder() + "/R.txt", std::string(rows.begin(), rows.end()))) return 0;
    CTabColsDesc t;
    if (t.read(path) != 0) __builtin_trap();   // a shipped table
    const int count = t.readRows();
    if (count > 0) {
        std::vector<std::string> out;
        (void)t.getRow(0, out);
        (void)t.findEqualRow(out);
        (void)t.findRowByName(t.cell(0, 0));
        for (int k = 1; k <= t.columnCount; ++k) {
            (void)t.findNearestRow(k, 10.0, k % 3, out);
            (void)t.sortRowsByColumn(k);
        }
        (void)t.findRowByDiameterPitch(10.0, 1.5, out);
        (void)t.findRowByDiameter(8.5, out);
        (void)t.findRowByTwoValues(10.0, 8.5, out);
        if (t.writeRows() != 0) __builtin_trap();
        CTabColsDesc back;
        if (back.read(path) != 0 || back.readRows() != count) __builtin_trap();
    }
    plat::driver().reset();
    return 0;
}
