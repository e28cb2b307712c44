// Benchmark parts: the hole plates of host/builder/hole_plates.h, kept as part files of solids; the surfaces
// are made after each opening, as the recognition command does.
#include "bench/bench_plates.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "host/builder/hole_plates.h"
#include "host/geom/step_io.h"
#include "host/state.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/module.h"
#include "platform/ui/driver.h"
#include "plugin/base/entity_utils.h"
#include "plugin/cycle/exports.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/cycle/main_menu.h"

extern char** environ;

namespace bench {
namespace {

int openHoles = 0;   // the plate now open, 0 when the open part is no plate

std::string buildFolder() { return std::string(FX_BINARY_DIR) + "/bench"; }

std::string platePath(int holes) { return buildFolder() + "/plate_" + std::to_string(holes) + ".pfp"; }

// Opens the plate's part file, building it first when it is missing or does not open.
std::string openPlatePart(int holes) {
    const std::string path = platePath(holes);
    if (!plat::fileExists(path) || !host::openPart(path).ok) {
        (void)plat::createDirectories(buildFolder());
        if (std::string error = host::builder::saveHolePlate(holes, path); !error.empty()) return error;
    }
    return "";
}

std::string installFolder() { return buildFolder() + "/install/P/X"; }

// The plug-in loaded and started once, its main menu closed at once.
void attachAndStart() {
    pluginAttach(plat::registerModule(installFolder() + "/Tool.so"));
    plat::driver().script().click(CMainMenu::kTemplate, 1);
    m_main();
    plat::driver().transcript().clear();
}

}  // namespace

void startPlugin() {
    static bool started = false;
    if (started) return;
    started = true;
    plat::driver().reset();
    host::reset();
    const std::string install = installFolder();
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
    attachAndStart();
}

void restartPlugin() {
    startPlugin();
    pluginDetach();
    attachAndStart();
    openHoles = 0;
}

std::string openPlate(int holes) {
    if (openHoles == holes) return "";
    startPlugin();
    if (std::string error = openPlatePart(holes); !error.empty()) return error;
    (void)solidsToEntities(g_globals->settings.featuresLevelCopy);
    openHoles = holes;
    return "";
}

std::string openStepPart(const std::string& title) {
    startPlugin();
    openHoles = 0;
    const std::string error = host::openStepAsPart(examplesFolder() + "/" + title + ".step");
    if (!error.empty()) return error;
    (void)solidsToEntities(g_globals->settings.featuresLevelCopy);
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

std::string platePart(int holes) {
    startPlugin();
    openHoles = 0;
    return openPlatePart(holes).empty() ? platePath(holes) : "";
}

std::string plateStep(int holes) {
    const std::string path = buildFolder() + "/plate_" + std::to_string(holes) + ".step";
    if (plat::fileExists(path)) return path;
    startPlugin();
    openHoles = 0;
    if (!openPlatePart(holes).empty()) return "";
    std::vector<host::StepSolid> solids;
    db_ptr at = db_start();
    for (;;) {
        ent e{};
        char found = 0;
        get_raw_ent(at, 1, kEntSolid, &e, &at, &found);
        if (!found) break;
        if (e.solid.geom) solids.push_back({*e.solid.geom, e.solid.body, host::kNoColour});
    }
    return host::exportStep(solids, path).empty() ? path : "";
}

HOSTCAM_RUN runHostcam(const std::string& input) {
    const std::string saved = buildFolder() + "/hostcam-run.pfp";
    std::error_code ignored;
    std::filesystem::remove(saved, ignored);
    // Execute; the summary (a tool was made), the process tree and the main menu closed: the work cycle ends
    // and its records are saved.
    const std::string session = buildFolder() + "/plate.session";
    (void)plat::writeFile(session, "invoke\nclick 18048 18007\nclick 18036 1\nclick 18021 1\nclick 18048 1\n");
    HOSTCAM_RUN run = runHostcamWith({"--open", input, "--session", session, "--save", saved});
    if (run.error.empty()) run.savedBytes = static_cast<double>(std::filesystem::file_size(saved, ignored));
    else run.error += " on " + input;
    return run;
}

STAMPED_ENVIRONMENT::STAMPED_ENVIRONMENT() {
    const std::string name = std::string(plat::kStartedAt) + '=';
    for (char** entry = environ; *entry; ++entry)
        if (std::strncmp(*entry, name.c_str(), name.size()) != 0) entries_.push_back(*entry);
    stamp_ = plat::startStamp();
    entries_.push_back(stamp_.data());
    entries_.push_back(nullptr);
}

HOSTCAM_RUN runHostcamWith(const std::vector<std::string>& hostcamArgs) {
    HOSTCAM_RUN run;
    // hostcam's host folder and the module's table library as shipped: a run adds tools, rows and tables
    // to them. Laid again after the run too, as the tests that play hostcam find them beside it.
    const std::string bin = std::string(FX_BINARY_DIR) + "/bin";
    const auto layShipped = [&bin] {
        std::error_code ignored;
        for (const char* folder : {"/host", "/Forantix/FORMS_MM", "/Forantix/FORMS_INCH", "/Forantix/Tmp"})
            std::filesystem::remove_all(bin + folder, ignored);
        const auto recursive = std::filesystem::copy_options::recursive;
        std::filesystem::copy(std::string(FX_SOURCE_DIR) + "/data/host", bin + "/host", recursive, ignored);
        std::filesystem::copy(std::string(FX_SOURCE_DIR) + "/data/forms", bin + "/Forantix", recursive, ignored);
    };
    layShipped();
    struct LAY_AGAIN {
        const decltype(layShipped)& lay;
        ~LAY_AGAIN() { lay(); }
    } layAgain{layShipped};
    std::vector<std::string> args{bin + "/hostcam"};
    args.insert(args.end(), hostcamArgs.begin(), hostcamArgs.end());
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // Spawned, not forked: a forked child's CPU clock would count the teardown of this process's copied
    // address space at its exec, which the kernel's read, spawned the same way, does not pay.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t child = 0;
    STAMPED_ENVIRONMENT environment;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environment.get());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        run.error = "hostcam not started";
        return run;
    }
    // The peak is hostcam's own high-water mark, read while it runs: the kernel's account of the child
    // keeps this process's resident set from before the exec.
    int status = 0;
    rusage usage{};
    double peakKiB = 0;
    for (;;) {
        std::ifstream in("/proc/" + std::to_string(child) + "/status");
        for (std::string line; std::getline(in, line);)
            if (line.rfind("VmHWM:", 0) == 0) peakKiB = std::max(peakKiB, std::stod(line.substr(6)));
        const pid_t done = wait4(child, &status, WNOHANG, &usage);
        if (done == child) break;
        if (done < 0) {
            run.error = "hostcam lost";
            return run;
        }
        usleep(5000);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        run.error = "hostcam failed";
        return run;
    }
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peakMiB = peakKiB / 1024.0;
    return run;
}

}  // namespace bench
