// Benchmark parts: the hole plates of host/builder/hole_plates.h, kept as part files of solids; the surfaces
// are made after each opening, as the recognition command does.
#include "bench/bench_plates.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/builder/hole_plates.h"
#include "host/geom/step_io.h"
#include "host/state.h"
#include "platform/sys/files.h"
#include "platform/sys/module.h"
#include "platform/ui/driver.h"
#include "plugin/base/entity_utils.h"
#include "plugin/cycle/exports.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/cycle/main_menu.h"

namespace bench {
namespace {

int openHoles = 0;   // the plate now open, 0 when the open part is no plate

std::string buildFolder() { return std::string(FX_BINARY_DIR) + "/bench"; }

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
    // The shipped table library in the module's data folder and a host folder of its own, which the run's
    // made tools are added to.
    std::error_code ignored;
    std::filesystem::remove_all(install + "/Tool", ignored);
    std::filesystem::copy(std::string(FX_SOURCE_DIR) + "/data/forms", install + "/Tool",
                          std::filesystem::copy_options::recursive, ignored);
    const std::string hostDir = buildFolder() + "/host";
    std::filesystem::remove_all(hostDir, ignored);
    std::filesystem::copy(std::string(FX_SOURCE_DIR) + "/data/host", hostDir, std::filesystem::copy_options::recursive,
                          ignored);
    host::setHostDir(hostDir + "/");
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
        (void)plat::createDirectories(buildFolder());
        if (std::string error = host::builder::saveHolePlate(holes, path); !error.empty()) return error;
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
