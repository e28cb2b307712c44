// A table's snapshot copies in the work folder brought back over the table: the input is the 16-bit length
// of the ".tab" copy, its bytes and then the ".txt" copy. The table restored from them must read as the copies
// read, or be refused whole, and a new snapshot of it must be the same bytes again.
#include <cstdlib>

#include "fuzz_support.h"
#include "plugin/model/tab_cols_desc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string folder = fuzz::tablesFolder();
    fuzz::Input in(data, size);
    const std::size_t tabSize = in.u8();
    const std::vector<std::uint8_t> tab = in.bytes(tabSize | std::size_t{in.u8()} << 8);
    const std::vector<std::uint8_t> rows = in.rest();
    const std::string tabText(tab.begin(), tab.end()), rowsText(rows.begin(), rows.end());
    const std::string copy = g_globals->tmpDir + "/Standard_T01_F";
    if (!plat::writeFile(copy + ".tab", tabText) || !plat::writeFile(copy + ".txt", rowsText)) return 0;
    (void)plat::writeFile(folder + "/F.tab", "");
    (void)plat::writeFile(folder + "/F.txt", "");
    CTabColsDesc table;
    table.name = "F";
    table.path = folder + "/F.tab";
    if (table.restoreFiles() != 0) std::abort();
    if (plat::readFile(folder + "/F.tab").value_or("?") != tabText ||
        plat::readFile(folder + "/F.txt").value_or("?") != rowsText)
        std::abort();
    CTabColsDesc restored;
    if (restored.read(folder + "/F.tab") == 0) {
        (void)restored.readRows();
        if (restored.backupFiles() != 0) std::abort();
        if (plat::readFile(copy + ".tab").value_or("?") != tabText) std::abort();
    }
    plat::driver().reset();
    return 0;
}
