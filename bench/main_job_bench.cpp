// The whole main job on the plates as a user runs it: hostcam opens the plate written as STEP, plays the
// main job's session (Execute, "Create operations", the main menu closed), saves the part and writes the NC
// listing. Its phases in CPU per hole (every thread, the STEP reader included) from hostcam's --costs, told
// apart by the session's steps, with the job's peak memory; the growth of each phase per tenfold is printed
// last, so that a phase that stops being linear shows in one run.
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
#include "platform/sys/files.h"

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
        if (endsWith(what, "click 18048 18007")) phase = kExecute;
        else if (endsWith(what, "click 18021 4158")) phase = kCreateOperations;
        else if (endsWith(what, "click 18048 1")) phase = kSave;
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

void BM_MainJob(benchmark::State& state) {
    const int holes = static_cast<int>(state.range(0));
    const std::string step = bench::plateStep(holes);
    if (step.empty()) {
        state.SkipWithError("the plate's STEP file cannot be written");
        return;
    }
    const std::string folder = std::string(FX_BINARY_DIR) + "/bench";
    const std::string part = folder + "/main_job.pfp", nc = folder + "/main_job.nc", costs = folder + "/main_job.costs";
    MAIN_JOB& job = g_mainJobs[holes];
    for (auto _ : state) {
        std::error_code ignored;
        std::filesystem::remove(part, ignored);
        const bench::HOSTCAM_RUN run = bench::runHostcamWith(
            {"--open", step, "--session", std::string(FX_SOURCE_DIR) + "/data/sessions/execute.session", "--save",
             part, "--nc", nc, "--costs", costs});
        if (!run.error.empty()) {
            state.SkipWithError(run.error.c_str());
            return;
        }
        MAIN_JOB measured;
        if (const std::string error = phasesOf(plat::readFile(costs).value_or(""), measured); !error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        measured.peakMiB = std::max(measured.peakMiB, run.peakMiB);
        measured.partMB = static_cast<double>(std::filesystem::file_size(part, ignored)) / 1e6;
        job = measured;
        state.SetIterationTime(run.cpuSeconds);
    }
    for (int p = 0; p < kPhases; ++p) state.counters[std::string(kPhaseNames[p]) + "_us"] = job.seconds[p] / holes * 1e6;
    state.counters["peak_MiB"] = job.peakMiB;
    state.counters["part_MB"] = job.partMB;
}

BENCHMARK(BM_MainJob)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

}  // namespace

void printMainJobSummary() {
    if (g_mainJobs.empty()) return;
    std::printf("\nMain job, CPU of every thread per hole (us), and its growth per tenfold:\n");
    std::printf("  %-18s", "phase");
    for (const auto& [holes, job] : g_mainJobs) std::printf(" %10d", holes);
    std::printf("   growth\n");
    for (int p = 0; p < kPhases; ++p) {
        std::printf("  %-18s", kPhaseNames[p]);
        std::vector<double> perHole;
        for (const auto& [holes, job] : g_mainJobs) {
            perHole.push_back(job.seconds[p] / holes * 1e6);
            std::printf(" %10.1f", perHole.back());
        }
        std::printf("  ");
        for (std::size_t i = 1; i < perHole.size(); ++i)
            std::printf(" %.2f", perHole[i - 1] > 0 ? perHole[i] / perHole[i - 1] : 0.0);
        std::printf("\n");
    }
    std::printf("  %-18s", "save, clock");
    for (const auto& [holes, job] : g_mainJobs) std::printf(" %10.1f", job.wall[kSave] / holes * 1e6);
    std::printf("\n  %-18s", "peak MiB");
    for (const auto& [holes, job] : g_mainJobs) std::printf(" %10.0f", job.peakMiB);
    std::printf("\n  %-18s", "part MB");
    for (const auto& [holes, job] : g_mainJobs) std::printf(" %10.2f", job.partMB);
    std::printf("\n");
}
