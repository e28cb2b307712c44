// Benchmark parts: a plate is a row of 100-hole tiles (one builder solid each: the kernel's booleans grow
// with the holes of one solid, so one huge solid would measure the builder, not recognition). The part
// file keeps the solids only; the surfaces are made after each opening, as the recognition command does.
#include "bench/bench_plates.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "host/builder/part_builder.h"
#include "host/geom/step_io.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "platform/sys/files.h"
#include "platform/sys/module.h"
#include "platform/ui/driver.h"
#include "plugin/core/entity_utils.h"
#include "plugin/core/exports.h"
#include "plugin/core/load_time_objects.h"
#include "plugin/core/main_menu.h"

namespace bench {
namespace {

using namespace host::builder;

constexpr int kTileSide = 10;                    // holes per tile row and column
constexpr int kTileHoles = kTileSide * kTileSide;
constexpr double kPitch = 12;                    // mm between hole axes
constexpr double kTileSize = kTileSide * kPitch;
constexpr double kThickness = 12;
constexpr host::Vec3 kDown{0, 0, -1};

// A tile whose holes cycle through the common kinds, so that every stage has work.
PartBuilder tile(double x0, double y0) {
    PartBuilder b = PartBuilder::block({kTileSize, kTileSize, kThickness}, {x0, y0, 0});
    for (int i = 0; i < kTileSide; ++i)
        for (int j = 0; j < kTileSide; ++j) {
            const host::Vec3 at{x0 + kPitch * (i + 0.5), y0 + kPitch * (j + 0.5), kThickness};
            switch ((i + j) % 4) {
            case 0: b.hole(throughHole("t", at, kDown, 6)); break;
            case 1: b.hole(blindTipped("b", at, kDown, 5, 6)); break;
            case 2: b.hole(counterbored("c", at, kDown, 6.6, 11, 4)); break;
            default: b.hole(blindFlat("f", at, kDown, 8, 5)); break;
            }
        }
    return b;
}

int openHoles = 0;   // the plate now open, 0 when the open part is no plate

std::string buildFolder() { return std::string(FX_BINARY_DIR) + "/bench"; }

std::string buildPlate(int holes, const std::string& path) {
    host::newPart();
    const int tiles = holes / kTileHoles;
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(tiles))));
    for (int t = 0; t < tiles; ++t) {
        const BuiltPart part = tile((t % columns) * (kTileSize + 10), (t / columns) * (kTileSize + 10)).build();
        if (!part.ok() || host::storeSolidEntity(part.solid, 3, 1, "tile") == 0) return "tile not built: " + part.error;
    }
    (void)plat::createDirectories(buildFolder());
    const host::PartFileResult saved = host::savePart(path);
    return saved.ok ? "" : saved.message;
}

}  // namespace

void startPlugin() {
    static bool started = false;
    if (started) return;
    started = true;
    plat::driver().reset();
    host::reset();
    const std::string install = buildFolder() + "/install/P/X";
    (void)plat::createDirectories(install);
    (void)plat::writeFile(install + "/Tool.txt",
                          plat::readFile(std::string(FX_SOURCE_DIR) + "/data/Forantix.txt").value_or(""));
    pluginAttach(plat::registerModule(install + "/Tool.so"));
    plat::driver().script().click(CMainMenu::kTemplate, 1);
    m_main();
    plat::driver().transcript().clear();
}

std::string openPlate(int holes) {
    if (openHoles == holes) return "";
    startPlugin();
    const std::string path = buildFolder() + "/plate_" + std::to_string(holes) + ".pfp";
    if (!plat::fileExists(path) || !host::openPart(path).ok) {
        if (std::string error = buildPlate(holes, path); !error.empty()) return error;
    }
    (void)solidsToEntities();
    openHoles = holes;
    return "";
}

std::string openStepPart(const std::string& title) {
    startPlugin();
    openHoles = 0;
    const std::string error = host::openStepAsPart(examplesFolder() + "/" + title + ".step");
    if (!error.empty()) return error;
    (void)solidsToEntities();
    return "";
}

std::string examplesFolder() { return std::string(FX_SOURCE_DIR) + "/data/examples"; }

void resetPeakMemory() {
    // "5" resets the kernel's high-water mark of this process's resident set.
    std::ofstream("/proc/self/clear_refs") << "5";
}

double peakMemoryMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) != 0) continue;
        std::istringstream in(line.substr(6));
        double kib = 0;
        in >> kib;
        return kib / 1024.0;
    }
    return 0;
}

}  // namespace bench
