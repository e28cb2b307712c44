// The "[Process]" part of a table: its operation lines and the letter lines of the host's blocks. The first
// byte picks the table's version (the current one, or an older one whose lines the reader repairs); the
// rest follows the "[Process]" line of the shipped "Drilled" table. Every process that reads is written
// back and reads again with as many operations. A part holding NUL bytes refuses the whole table.
#include <algorithm>

#include "fuzz_support.h"
#include "plugin/model/tab_cols_desc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string head = [] {
        const std::string text = fuzz::shippedTable("Drilled", ".tab");
        return text.substr(0, text.find("[Process]")) + "[Process]\r\n";
    }();
    fuzz::Input in(data, size);
    const bool current = in.u8() % 2 == 0;
    const std::vector<std::uint8_t> part = in.rest();
    const std::string path = fuzz::tablesFolder() + "/P.tab";
    if (!plat::writeFile(path, head + std::string(part.begin(), part.end()))) return 0;
    CTabColsDesc t;
    if (t.read(path) != 0) {
        if (std::find(part.begin(), part.end(), 0) == part.end()) __builtin_trap();
        plat::driver().reset();
        return 0;
    }
    if (!current) t.formatVersion = 20;
    std::vector<std::string> names;
    (void)t.listProcessNames(names, kMaxProcessOps);
    (void)t.countProcesses();
    (void)t.newProcessName();
    static std::vector<PROCESS_OPE> ops(kMaxProcessOps), again(kMaxProcessOps);
    for (const std::string& name : names) {
        int count = 0;
        if (t.readProcessChecked(name, ops.data(), &count) != ProcessRead::read) continue;
        if (t.writeProcess(name, ops.data(), count) != 0) __builtin_trap();
        int back = 0;
        if (t.readProcessChecked(name, again.data(), &back) != ProcessRead::read || back != count) __builtin_trap();
    }
    plat::driver().reset();
    return 0;
}
