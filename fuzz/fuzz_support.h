// Shared by the fuzz targets: the plug-in installed in a temporary folder and attached as the host would
// attach it (virtual clock, error texts loaded), and a reader that splits a fuzz input into fields.
#pragma once
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "host/state.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/module.h"
#include "platform/ui/driver.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/load_time_objects.h"

namespace fuzz {

// The install folder of the plug-in, set up on the first call and removed at exit.
inline const std::string& installPlugin() {
    static char root[] = "/tmp/fxfuzz-XXXXXX";   // outlives the strings, for the clean-up at exit
    static const std::string dir = [] {
        if (!mkdtemp(root)) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(root, ec);
        });
        const std::string install = std::string(root) + "/P/X";
        plat::createDirectories(install);
        (void)plat::writeFile(install + "/Tool.txt", plat::readFile(FX_SOURCE_DIR "/data/Forantix.txt").value_or(""));
        plat::useVirtualClock(true);
        plat::driver().reset();
        host::reset();
        pluginAttach(plat::registerModule(install + "/Tool.so"));
        (void)g_globals->errorMessages.load(install + "/Tool.txt", "ErrorMessages", false);
        return install;
    }();
    return dir;
}

// The tables folder and the work folder of the installed plug-in, as a work cycle would set them.
inline const std::string& tablesFolder() {
    static const std::string dir = [] {
        const std::string& install = installPlugin();
        const std::string tables = install + "/FORMS_MM/Standard";
        plat::createDirectories(tables);
        plat::createDirectories(install + "/Tmp");
        g_globals->tablesDir = tables;
        g_globals->tmpDir = install + "/Tmp";
        g_globals->uiTextFile = install + "/Tool.txt";
        return tables;
    }();
    return dir;
}

// A shipped table's file ("Drilled", ".tab") as the source tree holds it; "" when there is none.
inline std::string shippedTable(const std::string& name, const char* extension, bool metric = true) {
    return plat::readFile(std::string(FX_SOURCE_DIR) + "/data/forms/" + (metric ? "FORMS_MM" : "FORMS_INCH") +
                          "/Standard/" + name + extension)
        .value_or("");
}

// The shipped metric tables the table targets pick from by a byte of the input.
inline const char* const kShippedTables[] = {"Drilled", "Drill sizes", "Metric coarse", "Counterbored",
                                             "Countersunk", "Stepped", "Blind flat", "Tapped"};
constexpr std::size_t kShippedTableCount = sizeof kShippedTables / sizeof kShippedTables[0];

// Fields taken from the front of the input; past its end they are zero or empty.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : p_(data), left_(size) {}

    std::uint8_t u8() { return left_ ? (--left_, *p_++) : 0; }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(u8()) << (8 * i);
        return v;
    }
    std::vector<std::uint8_t> bytes(std::size_t n) {
        n = std::min(n, left_);
        std::vector<std::uint8_t> out(p_, p_ + n);
        p_ += n;
        left_ -= n;
        return out;
    }
    std::vector<std::uint8_t> rest() { return bytes(left_); }
    bool empty() const { return left_ == 0; }

private:
    const std::uint8_t* p_;
    std::size_t left_;
};

// The 16-character header of a record of this tag and version holding `size` bytes.
inline std::string recordHeader(std::string_view tagAndVersion, std::size_t size) {
    std::string count = std::to_string(size % 1000000000);
    return std::string(tagAndVersion.substr(0, 7)) + std::string(9 - count.size(), '0') + count;
}

inline std::string_view text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Seed files: a kind byte or a record number in front of a payload, as the targets read them.
inline void writeSeed(const std::string& dir, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    plat::createDirectories(dir);
    (void)plat::writeFile(dir + "/" + name, std::string(bytes.begin(), bytes.end()));
}

}  // namespace fuzz
