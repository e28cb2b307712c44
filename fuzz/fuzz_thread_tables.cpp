// The thread tables: a thread table whose rows file is the input beside the shipped drill-size table,
// loaded and looked up by designation, diameter and pitch; the input's text as a designation too.
#include "fuzz_support.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/thread_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool written = [] {
        return plat::writeFile(fuzz::tablesFolder() + "/Drill sizes.tab", fuzz::shippedTable("Drill sizes", ".tab")) &&
               plat::writeFile(fuzz::tablesFolder() + "/Drill sizes.txt", fuzz::shippedTable("Drill sizes", ".txt")) &&
               plat::writeFile(fuzz::tablesFolder() + "/T.tab", fuzz::shippedTable("Metric coarse", ".tab"));
    }();
    if (!written) return 0;
    const std::string_view text = fuzz::text(data, size);
    if (!plat::writeFile(fuzz::tablesFolder() + "/T.txt", text)) return 0;
    g_threadTables->count = 0;
    (void)loadThreadTables();
    const std::string designation(text.substr(0, text.find_first_of(" \r\n")));
    (void)normalizeThreadName(designation);
    double nominal = 0, pitch = 0, drilled = 0, safety = 0;
    std::int16_t kind = 0;
    std::string table;
    (void)findThreadRow(designation, -1, &nominal, &pitch, &drilled, &safety, &kind, &table);
    (void)findThreadByName(designation, "T", &nominal, &pitch, &drilled, &safety, &kind);
    for (double d : {3.0, 10.0, 12.5})
        for (double p : {0.5, 1.5, 1.75}) (void)findThreadByDiameterPitch(d, p, -1, &table, &drilled, &safety);
    (void)findThreadByDiameter(8.5, 0, &table, &nominal, &pitch, &safety);
    (void)findDrillSize(9.9);
    g_threadTables->count = 0;
    plat::driver().reset();
    return 0;
}
