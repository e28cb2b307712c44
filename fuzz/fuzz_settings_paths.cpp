// The paths the settings lead to: the other unit's settings file of any path stays in the same folder, and a
// library name read from a settings file, whatever it holds, names a folder inside the forms folder.
#include "fuzz_support.h"
#include "platform/sys/paths.h"
#include "plugin/base/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& install = fuzz::installPlugin();
    if (g_globals->settingsFile.empty()) g_globals->settingsFile = install + "/Tool_mm.prm";
    fuzz::Input in(data, size);
    const std::size_t split = in.u8();
    const std::vector<std::uint8_t> rest = in.rest();
    const std::string path(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(std::min(split, rest.size())));
    const std::string name(rest.begin() + static_cast<std::ptrdiff_t>(std::min(split, rest.size())), rest.end());

    const std::string other = otherUnitSettingsFile(path);
    const std::size_t folderEnd = path.find_last_of("/\\") + 1;
    if (other.size() != path.size() || other.compare(0, folderEnd, path, 0, folderEnd) != 0) std::abort();

    // A name that passes is one entry right inside the folder it is joined to, never a way out of it.
    if (isPlainName(name)) {
        const std::string joined = plat::joinPath(install, name);
        if (joined.compare(0, install.size(), install) != 0 ||
            joined.find_first_of("/\\", install.size() + 1) != std::string::npos ||
            joined.find("..", install.size()) != std::string::npos)
            std::abort();
    }
    if (name.find('\n') == std::string::npos && name.find('\r') == std::string::npos) {
        if (!plat::writeFile(g_globals->settingsFile, "[ProcessMach]\r\n2. " + name + "\r\n")) return 0;
        readSettings();
        if (!isPlainName(g_globals->libraryName)) std::abort();
    }
    plat::driver().reset();
    return 0;
}
