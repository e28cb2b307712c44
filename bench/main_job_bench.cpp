// The whole main job on the plates as a user runs it: hostcam opens the plate written as STEP, plays the
// main job's session (Execute, "Create operations", the main menu closed), saves the part and writes the NC
// listing. Its phases in CPU per hole (every thread, the STEP reader included) from hostcam's --costs, told
// apart by the session's steps, with the job's peak memory; the growth of each phase per tenfold is printed
// last, so that a phase that stops being linear shows in one run. Each figure is the least of three jobs, as
// a shared machine slows single jobs by a fifth or more; the peak is the largest. Beside it, "Create operations" played in
// this process on the plate's part file, where the plug-in's count of its hole path searches can be read:
// the step without the searches of the point sets it orders must stay linear. And the whole job on the
// benchmark part, the example parts and the real parts of tests/data/parts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_plates.h"
#include "bench/cad_part.h"
#include "host/state.h"
#include "hostapp/session_runner.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "plugin/cycle/exports.h"
#include "plugin/tooling/hole_path.h"

namespace {

enum PHASE { kOpen, kExecute, kCreateOperations, kSave, kNc, kPhases };
const char* const kPhaseNames[kPhases] = {"open", "Execute", "Create operations", "save", "NC"};

struct MAIN_JOB {
    double seconds[kPhases] = {};   // CPU seconds of each phase
    double wall[kPhases] = {};      // and of the clock
    double peakMiB = 0;
    double partMB = 0;
};
std::map<int, MAIN_JOB> g_mainJobs;

// The session's steps that begin Execute and "Create operations" and close the main menu.
const std::string kExecuteClick = "click 18048 18007", kCreateOperationsClick = "click 18021 4158",
                  kMenuClosedClick = "click 18048 1";

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The phases from hostcam's costs (CPU, clock, peak, stage): open until the part is open (the plug-in's start counted with it), Execute
// from its click until "Create operations" is clicked, that until the main menu is closed, save from there
// (the cycle's records kept in the part) until the file is written, NC the listing. "" or why not.
std::string phasesOf(const std::string& costs, MAIN_JOB& job) {
    double at[kPhases + 1] = {}, clockAt[kPhases + 1] = {};
    bool seen[kPhases + 1] = {};
    std::istringstream in(costs);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        double cpu = 0, wall = 0, peak = 0;
        fields >> cpu >> wall >> peak;
        std::string what;
        std::getline(fields, what);
        job.peakMiB = std::max(job.peakMiB, peak);
        int phase = -1;
        if (endsWith(what, kExecuteClick)) phase = kExecute;
        else if (endsWith(what, kCreateOperationsClick)) phase = kCreateOperations;
        else if (endsWith(what, kMenuClosedClick)) phase = kSave;
        else if (endsWith(what, " save")) phase = kNc;
        else if (endsWith(what, " nc")) phase = kPhases;
        if (phase < 0 || seen[phase]) continue;
        seen[phase] = true;
        at[phase] = cpu;
        clockAt[phase] = wall;
    }
    for (int p = kExecute; p <= kPhases; ++p)
        if (!seen[p]) return "the job's costs lack a phase";
    for (int p = 0; p < kPhases; ++p) {
        job.seconds[p] = at[p + 1] - at[p];
        job.wall[p] = clockAt[p + 1] - clockAt[p];
    }
    return "";
}

// One main job on the STEP file, as BM_MainJob and BM_MainJobOnFile play it; its costs' text beside it.
bench::HOSTCAM_RUN playMainJob(const std::string& step, std::string& costsText) {
    const std::string folder = std::string(FX_BINARY_DIR) + "/bench";
    const std::string part = folder + "/main_job.pfp", nc = folder + "/main_job.nc", costs = folder + "/main_job.costs";
    std::error_code ignored;
    std::filesystem::remove(part, ignored);
    const bench::HOSTCAM_RUN run = bench::runHostcamWith(
        {"--open", step, "--session", std::string(FX_SOURCE_DIR) + "/data/sessions/execute.session", "--save", part,
         "--nc", nc, "--costs", costs});
    costsText = plat::readFile(costs).value_or("");
    return run;
}

void BM_MainJob(benchmark::State& state) {
    const int holes = static_cast<int>(state.range(0));
    const std::string step = bench::plateStep(holes);
    if (step.empty()) {
        state.SkipWithError("the plate's STEP file cannot be written");
        return;
    }
    const std::string part = std::string(FX_BINARY_DIR) + "/bench/main_job.pfp";
    MAIN_JOB& job = g_mainJobs[holes];
    job = {};
    bool first = true;
    for (auto _ : state) {
        std::error_code ignored;
        std::string costs;
        const bench::HOSTCAM_RUN run = playMainJob(step, costs);
        if (!run.error.empty()) {
            state.SkipWithError(run.error.c_str());
            return;
        }
        MAIN_JOB measured;
        if (const std::string error = phasesOf(costs, measured); !error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        measured.peakMiB = std::max(measured.peakMiB, run.peakMiB);
        measured.partMB = static_cast<double>(std::filesystem::file_size(part, ignored)) / 1e6;
        if (first) job = measured;
        for (int p = 0; p < kPhases; ++p) {
            job.seconds[p] = std::min(job.seconds[p], measured.seconds[p]);
            job.wall[p] = std::min(job.wall[p], measured.wall[p]);
        }
        job.peakMiB = std::max(job.peakMiB, measured.peakMiB);
        job.partMB = measured.partMB;
        first = false;
        state.SetIterationTime(run.cpuSeconds);
    }
    for (int p = 0; p < kPhases; ++p) state.counters[std::string(kPhaseNames[p]) + "_us"] = job.seconds[p] / holes * 1e6;
    state.counters["peak_MiB"] = job.peakMiB;
    state.counters["part_MB"] = job.partMB;
}

BENCHMARK(BM_MainJob)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

// The main job on the benchmark part, each example part and each real part: its whole CPU (every thread, the
// STEP reader included) and its Execute, in seconds, the least of three jobs.
struct FILE_JOB {
    std::string title;
    double cpu = 0, execute = 0;
};
std::vector<FILE_JOB> g_fileJobs;

// The real parts as CAD systems wrote them.
const std::string kRealParts = std::string(FX_SOURCE_DIR) + "/tests/data/parts";

// The STEP files of a folder, by name.
std::vector<std::filesystem::path> stepFilesOf(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& file : std::filesystem::directory_iterator(folder))
        if (file.path().extension() == ".step" || file.path().extension() == ".stp") files.push_back(file.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The benchmark part, then every example part shipped, then every real part: its title and file (the
// benchmark part's is built only when played).
std::vector<std::pair<std::string, std::string>> mainJobParts() {
    std::vector<std::pair<std::string, std::string>> parts{{"cad_part", ""}};
    for (const auto& file : stepFilesOf(bench::examplesFolder())) parts.emplace_back(file.stem().string(), file.string());
    for (const auto& file : stepFilesOf(kRealParts)) parts.emplace_back(file.stem().string(), file.string());
    return parts;
}

void BM_MainJobOnFile(benchmark::State& state) {
    const auto [title, path] = mainJobParts()[static_cast<std::size_t>(state.range(0))];
    const std::string step = title == "cad_part" ? bench::cadPartStep() : path;
    FILE_JOB job{title, 1e9, 1e9};
    for (auto _ : state) {
        std::string costs;
        const bench::HOSTCAM_RUN run = playMainJob(step, costs);
        MAIN_JOB measured;
        const std::string failed = run.error.empty() ? phasesOf(costs, measured) : run.error;
        if (!failed.empty()) {
            state.SkipWithError(("the main job failed on " + title + ": " + failed).c_str());
            return;
        }
        double whole = 0;   // every phase, the STEP reader's CPU in the open
        for (double seconds : measured.seconds) whole += seconds;
        job.cpu = std::min(job.cpu, whole);
        job.execute = std::min(job.execute, measured.seconds[kExecute]);
        state.SetIterationTime(run.cpuSeconds);
    }
    g_fileJobs.push_back(job);
    state.counters["execute_ms"] = job.execute * 1e3;
}

BENCHMARK(BM_MainJobOnFile)->DenseRange(0, static_cast<int>(mainJobParts().size()) - 1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

// The main job's session played here on the plate's part file; CPU of every thread in "Create operations"
// and in the hole path searches it made, in seconds.
struct CREATE_OPERATIONS {
    double seconds = 0, searches = 0;
};
std::map<int, CREATE_OPERATIONS> g_createOperations;

void BM_CreateOperations(benchmark::State& state) {
    const int holes = static_cast<int>(state.range(0));
    const std::string input = bench::platePart(holes);
    if (input.empty()) {
        state.SkipWithError("the plate's part file cannot be written");
        return;
    }
    const std::optional<std::string> session =
        plat::readFile(std::string(FX_SOURCE_DIR) + "/data/sessions/execute.session");
    const plat::ParsedSession parsed = plat::parseSession(session.value_or(""));
    if (!session || !parsed.error.empty()) {
        state.SkipWithError("the main job's session cannot be read");
        return;
    }
    CREATE_OPERATIONS& cost = g_createOperations[holes];
    cost = {};
    for (auto _ : state) {
        state.PauseTiming();
        bench::restartPlugin();   // as hostcam loads it for each run
        if (!host::openPart(input).ok) {
            state.SkipWithError("the plate cannot be opened");
            return;
        }
        forgetHolePaths();   // searched afresh, as in a run of its own
        plat::driver().reset();
        for (const plat::Step& step : parsed.steps) plat::driver().script().add(step);
        double cpu[2] = {}, searched[2] = {};
        int marks = 0;
        plat::driver().script().setOnTake([&](const plat::Step& step) {
            const std::string what = step.describe();
            const bool begins = endsWith(what, kCreateOperationsClick), ends = endsWith(what, kMenuClosedClick);
            if (!(begins && marks == 0) && !(ends && marks == 1)) return;
            cpu[marks] = plat::processCpuSeconds();
            searched[marks] = holePathSearchSeconds();
            ++marks;
        });
        std::ostringstream out, err;
        state.ResumeTiming();
        const host::SessionResult played = host::runSession({m_version, m_enter, m_main, m_notify}, out, err);
        state.PauseTiming();
        plat::driver().script().setOnTake(nullptr);
        if (played.exitCode != 0 || marks != 2) {
            state.SkipWithError(("the main job's session did not play whole: " + err.str()).c_str());
            return;
        }
        // The run whose step did least beside its searches, with its own searches.
        const CREATE_OPERATIONS measured{cpu[1] - cpu[0], searched[1] - searched[0]};
        if (cost.seconds == 0 || measured.seconds - measured.searches < cost.seconds - cost.searches) cost = measured;
        state.ResumeTiming();
    }
    bench::restartPlugin();   // the benchmarks after this one find the plug-in as loaded, holding no tree of these runs
    state.counters["create_us"] = cost.seconds / holes * 1e6;
    state.counters["searches_us"] = cost.searches / holes * 1e6;
}

BENCHMARK(BM_CreateOperations)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

void printGrowth(const char* name, const std::vector<double>& perHole) {
    std::printf("  %-18s", name);
    for (double v : perHole) std::printf(" %10.1f", v);
    std::printf("  ");
    for (std::size_t i = 1; i < perHole.size(); ++i) std::printf(" %.2f", perHole[i - 1] > 0 ? perHole[i] / perHole[i - 1] : 0.0);
    std::printf("\n");
}

void printMainJobPhases() {
    std::printf("\nMain job, CPU of every thread per hole (us), and its growth per tenfold:\n");
    std::printf("  %-18s", "phase");
    for (const auto& [holes, job] : g_mainJobs) std::printf(" %10d", holes);
    std::printf("   growth\n");
    for (int p = 0; p < kPhases; ++p) {
        std::vector<double> perHole;
        for (const auto& [holes, job] : g_mainJobs) perHole.push_back(job.seconds[p] / holes * 1e6);
        printGrowth(kPhaseNames[p], perHole);
    }
    std::printf("  %-18s", "save, clock");
    for (const auto& [holes, job] : g_mainJobs) std::printf(" %10.1f", job.wall[kSave] / holes * 1e6);
    std::printf("\n  %-18s", "peak MiB");
    for (const auto& [holes, job] : g_mainJobs) std::printf(" %10.0f", job.peakMiB);
    if (g_mainJobs.count(10000)) std::printf("   (at most 200 at 10,000 holes)");
    std::printf("\n  %-18s", "part MB");
    for (const auto& [holes, job] : g_mainJobs) std::printf(" %10.2f", job.partMB);
    std::printf("\n");
}

}  // namespace

void printMainJobSummary() {
    if (!g_mainJobs.empty()) printMainJobPhases();
    if (!g_fileJobs.empty()) std::printf("\nMain job on parts as STEP files, CPU of every thread (ms): whole job | Execute\n");
    for (const FILE_JOB& job : g_fileJobs)
        std::printf("  %-38s %8.1f | %8.1f\n", job.title.c_str(), job.cpu * 1e3, job.execute * 1e3);
    if (g_createOperations.empty()) return;
    std::printf("\n\"Create operations\" in this process, CPU of every thread per hole (us), and its growth per tenfold:\n");
    std::printf("  %-18s", "holes");
    for (const auto& [holes, c] : g_createOperations) std::printf(" %10d", holes);
    std::printf("\n");
    std::vector<double> whole, searches, rest;
    for (const auto& [holes, c] : g_createOperations) {
        whole.push_back(c.seconds / holes * 1e6);
        searches.push_back(c.searches / holes * 1e6);
        rest.push_back((c.seconds - c.searches) / holes * 1e6);
    }
    printGrowth("whole step", whole);
    printGrowth("hole path searches", searches);
    printGrowth("without them", rest);
}
