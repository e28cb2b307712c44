// The STEP open against the kernel's own read of the same file with names and colours (fx_kernel_read), on the
// benchmark part as CAD systems make them (cad_part.h), again with a description unset as some systems write
// every file, on every example part and on every real part of tests/data/parts: each
// a process of its own from its start, ours hostcam's open to the plug-in's first call (its --costs, the STEP
// reader counted), taken in turn three times. The first run and the least of the three, in CPU of every
// thread and process and in clock time from the spawn, and their ratios, are printed last, with the worst
// ratio of the least CPU. On a machine others share, the CPU ratios are the ones to read; the clock's are
// steady on one core of an idle machine (taskset -c 2).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_plates.h"
#include "bench/cad_part.h"
#include "platform/sys/files.h"

namespace {

struct COST {
    double cpu = 0, wall = 0;   // seconds
};

struct SIDE {
    COST first;
    COST least{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    int runs = 0;
    void take(const COST& c) {
        if (runs++ == 0) first = c;
        least.cpu = std::min(least.cpu, c.cpu);
        least.wall = std::min(least.wall, c.wall);
    }
};

struct PART_OPEN {
    std::string name, error;
    SIDE kernel, ours;
};
std::vector<PART_OPEN> g_opens;
const std::string kRealParts = std::string(FX_SOURCE_DIR) + "/tests/data/parts";

// The kernel's read in a process of its own: what it printed, or why not.
std::string kernelRead(const std::string& path, COST& cost) {
    int out[2];
    if (pipe(out) != 0) return "no pipe";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string program = FX_KERNEL_READ, file = path;
    char* argv[] = {program.data(), file.data(), nullptr};
    pid_t child = 0;
    bench::STAMPED_ENVIRONMENT environment;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environment.get());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string printed;
    char chunk[256];
    for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) printed.append(chunk, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the kernel did not read it";
    std::istringstream fields(printed);
    return fields >> cost.cpu >> cost.wall ? "" : "the kernel's read printed no costs";
}

// hostcam's open of the file to the plug-in's first call, from its --costs: what that line says, or why not.
std::string ourOpen(const std::string& path, COST& cost) {
    const std::string folder = std::filesystem::temp_directory_path().string();
    const std::string session = folder + "/fx_step_open.session", costs = folder + "/fx_step_open.costs";
    if (!plat::writeFile(session, "")) return "no session file";
    std::filesystem::remove(costs);
    const bench::HOSTCAM_RUN run = bench::runHostcamWith({"--open", path, "--session", session, "--costs", costs});
    if (!run.error.empty()) return run.error;
    std::istringstream lines(plat::readFile(costs).value_or(""));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        double peak = 0;
        std::string stage;
        if (fields >> cost.cpu >> cost.wall >> peak >> stage && stage == "open") return "";
    }
    return "hostcam's costs hold no open";
}

// The benchmark part with its accuracy's description left unset (`$`), as some systems write every file: ""
// when it cannot be made.
std::string withUnsetDescription(const std::string& cad) {
    std::string text = plat::readFile(cad).value_or("");
    const std::string described = "'distance_accuracy_value','confusion accuracy'";
    const std::size_t at = text.find(described);
    if (at == std::string::npos) return "";
    text.replace(at, described.size(), "'distance_accuracy_value',$");
    const std::string path = (std::filesystem::temp_directory_path() / "fx_cad_part_unset.step").string();
    return plat::writeFile(path, text) ? path : "";
}

void BM_StepOpenAgainstKernel(benchmark::State& state) {
    std::vector<std::pair<std::string, std::string>> parts;
    if (const std::string cad = bench::cadPartStep(); !cad.empty()) {
        parts.emplace_back("benchmark part", cad);
        if (const std::string unset = withUnsetDescription(cad); !unset.empty())
            parts.emplace_back("benchmark part, $", unset);
    }
    for (const std::string& folder : {bench::examplesFolder(), kRealParts}) {
        std::vector<std::filesystem::path> files;
        for (const auto& file : std::filesystem::directory_iterator(folder))
            if (file.path().extension() == ".step") files.push_back(file.path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) parts.emplace_back(file.stem().string(), file.string());
    }
    for (auto _ : state) {
        g_opens.clear();
        for (const auto& [name, path] : parts) g_opens.push_back({name, "", {}, {}});
        constexpr int kRounds = 3;
        for (int round = 0; round < kRounds; ++round)
            for (std::size_t i = 0; i < parts.size(); ++i) {
                PART_OPEN& part = g_opens[i];
                COST kernel, ours;
                std::string error = kernelRead(parts[i].second, kernel);
                if (error.empty()) error = ourOpen(parts[i].second, ours);
                if (!error.empty()) {
                    part.error = error;
                    continue;
                }
                part.kernel.take(kernel);
                part.ours.take(ours);
            }
    }
}

}  // namespace

BENCHMARK(BM_StepOpenAgainstKernel)->Unit(benchmark::kSecond)->Iterations(1);

void printStepOpenSummary() {
    if (g_opens.empty()) return;
    std::printf("\nSTEP open to the plug-in's first call against the kernel's own read with names and colours, each a "
                "process of its own (seconds; first run, least of three):\n");
    std::printf("  %-36s %17s %17s %13s %17s %17s %13s\n", "part", "kernel CPU", "open CPU", "ratio", "kernel clock",
                "open clock", "ratio");
    const PART_OPEN* worst = nullptr;
    for (const PART_OPEN& p : g_opens) {
        if (!p.error.empty()) {
            std::printf("  %-36s %s\n", p.name.c_str(), p.error.c_str());
            continue;
        }
        if (!worst || p.ours.least.cpu / p.kernel.least.cpu > worst->ours.least.cpu / worst->kernel.least.cpu) worst = &p;
        std::printf("  %-36s %8.3f %8.3f %8.3f %8.3f %6.2f %6.2f %8.3f %8.3f %8.3f %8.3f %6.2f %6.2f\n", p.name.c_str(),
                    p.kernel.first.cpu, p.kernel.least.cpu, p.ours.first.cpu, p.ours.least.cpu,
                    p.ours.first.cpu / p.kernel.first.cpu, p.ours.least.cpu / p.kernel.least.cpu, p.kernel.first.wall,
                    p.kernel.least.wall, p.ours.first.wall, p.ours.least.wall, p.ours.first.wall / p.kernel.first.wall,
                    p.ours.least.wall / p.kernel.least.wall);
    }
    if (worst)
        std::printf("  worst CPU ratio, least of three: %.2f (%s)\n", worst->ours.least.cpu / worst->kernel.least.cpu,
                    worst->name.c_str());
}
