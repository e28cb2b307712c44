// The settings file as the plug-in reads it at the start of a cycle (readSettings: every section, then the
// range checks), from a file holding the input. The colour lists' own parser gets the input too.
#include "fuzz_support.h"
#include "plugin/base/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& install = fuzz::installPlugin();
    // The work cycle names the file; the fuzz runs no cycle.
    if (g_globals->settingsFile.empty()) g_globals->settingsFile = install + "/Tool_mm.prm";
    const std::string_view text = fuzz::text(data, size);
    if (!plat::writeFile(g_globals->settingsFile, text)) return 0;
    readSettings();
    std::uint8_t colours[6] = {};
    parseColourList(std::string(text), colours, 6, size % 2 == 0);
    plat::driver().reset();
    return 0;
}
