// Recognition of large parts: plates with 100, 1,000 and 10,000 holes (bench_plates.h), timed per hole
// against merely reading the same surfaces and evaluating each at a 3 x 3 grid, with the peak memory of each
// recognition run. Execute's whole run (recognition, tables, processes, tool sequencing) is timed in CPU of
// every thread beside its hole path, recognition and the surface read; hostcam's import, run and save of the
// plates as STEP files give its CPU, peak memory and part file size. The ratios held to are printed last.
// With --dump_trees=FOLDER the program writes the recognition dumps of the example parts and the plates
// instead (tree_dumps.h; --dump_plates=100,1000 picks the plates).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "bench/bench_plates.h"
#include "bench/tree_dumps.h"
#include "host/api.h"
#include "host/geom/step_io.h"
#include "platform/sys/clock.h"
#include "platform/ui/driver.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/base/message_box.h"
#include "plugin/model/work_records.h"
#include "plugin/recognition/opaque_check.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "plugin/services/engine.h"
#include "plugin/services/recognition.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/hole_path.h"

namespace {

bool openPlate(int holes, benchmark::State& state) {
    const std::string error = bench::openPlate(holes);
    if (!error.empty()) state.SkipWithError(error.c_str());
    return error.empty();
}

template <class WORK>
double cpuOf(WORK work) {
    const double begin = plat::processCpuSeconds();
    work();
    return plat::processCpuSeconds() - begin;
}

// Recognition and the surface read on the plate as it was opened, the least CPU seconds per hole of their
// benchmarks' iterations, beside the same two after whole runs (WHOLE_RUN).
struct AS_OPENED {
    double recognition = 1e9, read = 1e9;
};
std::map<int, AS_OPENED> g_asOpened;

void perHole(benchmark::State& state, int holes) {
    state.counters["per_hole"] =
        benchmark::Counter(holes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Recognition(benchmark::State& state) {
    const int holes = static_cast<int>(state.range(0));
    if (!openPlate(holes, state)) return;
    int found = 0;
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench::resetPeakMemory();
        state.ResumeTiming();
        std::int32_t wide = 0, narrow = 0, refused = 0;
        g_nextHoleId = 1;
        VIEW_LIST* tree = nullptr;
        const double cpu = cpuOf([&] {
            tree = recognizeCylinders(kRecognizeCommand, nullptr, &wide, &narrow, &refused, 0, 0, nullptr);
        });
        state.PauseTiming();
        g_asOpened[holes].recognition = std::min(g_asOpened[holes].recognition, cpu / holes);
        found = 0;
        for (const VIEW_LIST* v = tree; v; v = v->next) found += countPoints(v);
        peak = bench::peakMemoryMiB();
        freeViewsTree(tree);
        state.ResumeTiming();
    }
    perHole(state, holes);
    state.counters["holes_found"] = found;
    state.counters["peak_MiB"] = peak;
}

// The opaque-surfaces check on the recognised tree: every visible surface against the holes near it.
void BM_OpaqueCheck(benchmark::State& state) {
    const int holes = static_cast<int>(state.range(0));
    if (!openPlate(holes, state)) return;
    for (auto _ : state) {
        state.PauseTiming();
        std::int32_t wide = 0, narrow = 0, refused = 0;
        g_nextHoleId = 1;
        VIEW_LIST* tree = recognizeCylinders(kRecognizeCommand, nullptr, &wide, &narrow, &refused, 0, 0, nullptr);
        state.ResumeTiming();
        if (checkOpaqueSurfs(tree, 0, nullptr) != 0) state.SkipWithError("opaque check failed");
        state.PauseTiming();
        freeViewsTree(tree);
        state.ResumeTiming();
    }
    perHole(state, holes);
}

// What recognition cannot do without: every visible surface read and evaluated at a 3 x 3 grid. Returns how
// many surfaces were read.
int readSurfaces() {
    int surfaces = 0;
    double sum = 0;
    db_ptr at = db_start();
    for (;;) {
        ent e{};
        char found = 0;
        get_ent(at, 1, kEntSurface, &e, &at, &found);
        if (!found) break;
        if (!is_level_visible(e.level)) continue;
        ent surface{};
        get_ent_from_eptr(at, &surface);
        ++surfaces;
        const ent_surface& s = surface.surf;
        for (double fu : {0.1, 0.5, 0.9})
            for (double fv : {0.1, 0.5, 0.9}) {
                p_3d pt[3];
                const double u = s.uMin + fu * (s.uMax - s.uMin), v = s.vMin + fv * (s.vMax - s.vMin);
                if (eval_surf(&surface, u, v, 0, pt)) sum += pt[0].x;
            }
    }
    benchmark::DoNotOptimize(sum);
    return surfaces;
}

void BM_ReadSurfaces(benchmark::State& state) {
    const int holes = static_cast<int>(state.range(0));
    if (!openPlate(holes, state)) return;
    int surfaces = 0;
    for (auto _ : state) {
        const double cpu = cpuOf([&] { surfaces = readSurfaces(); });
        g_asOpened[holes].read = std::min(g_asOpened[holes].read, cpu / holes);
    }
    perHole(state, holes);
    state.counters["surfaces"] = surfaces;
}

// Execute's whole run: recognition, the checks, tables and rows, processes and operations, tool sequencing,
// in CPU of every thread. Questions the run asks (a missing fit table, the summary) are answered with their
// first button. Beside it, in CPU per hole on the same plate: the hole path of the run alone (the recognised
// tree ordered as the run orders it), recognition alone and the surface read, and the run without its hole
// path against those two.
struct WHOLE_RUN {
    double run = 0, path = 0, recognition = 0, read = 0;   // CPU seconds per hole
};
std::map<int, WHOLE_RUN> g_wholeRuns;

void BM_WholeRun(benchmark::State& state) {
    const int holes = static_cast<int>(state.range(0));
    if (!openPlate(holes, state)) return;
    int found = 0, heads = 0, withOperations = 0;
    WHOLE_RUN& cost = g_wholeRuns[holes];
    cost.run = 1e9;   // the least of the runs, as each part below is the least of three tries
    for (auto _ : state) {
        state.PauseTiming();
        plat::driver().reset();
        for (int i = 0; i < 64; ++i) plat::driver().script().answer(plat::IDOK);
        plat::driver().script().click(CMessageBox::kTemplate, 1);
        std::uint32_t flags = 0;
        forgetHolePaths();   // each run searches its paths afresh
        state.ResumeTiming();
        std::int16_t result = 0;
        cost.run = std::min(cost.run, cpuOf([&] { result = runRecognition(&flags); }) / holes);
        state.PauseTiming();
        if (result < 0) state.SkipWithError("the run failed");
        found = heads = withOperations = 0;
        for (const VIEW_LIST* v = g_records->viewsTree; v; v = v->next)
            for (const POINT_LIST* p = v->firstPoint; p; p = p->next) {
                ++found;
                if (p->chainMember) continue;   // a chain's operations hang on its head
                ++heads;
                withOperations += p->opeList != nullptr;
            }
        (void)solidsToEntities(g_globals->settings.featuresLevelCopy);   // the next run starts from the part's surfaces again
        state.ResumeTiming();
    }
    // The parts, each the least of three tries.
    cost.path = cost.recognition = cost.read = 1e9;
    for (int i = 0; i < 3; ++i) {
        std::int32_t wide = 0, narrow = 0, refused = 0;
        g_nextHoleId = 1;
        VIEW_LIST* tree = nullptr;
        cost.recognition = std::min(cost.recognition, cpuOf([&] {
            tree = recognizeCylinders(kRecognizeCommand, nullptr, &wide, &narrow, &refused, 0, 0, nullptr);
        }) / holes);
        forgetHolePaths();
        cost.path = std::min(cost.path, cpuOf([&] { (void)orderGroupHoles(tree); }) / holes);
        freeViewsTree(tree);
        cost.read = std::min(cost.read, cpuOf([] { (void)readSurfaces(); }) / holes);
    }
    perHole(state, holes);
    state.counters["holes_found"] = found;
    state.counters["chain_heads"] = heads;
    state.counters["heads_with_operations"] = withOperations;
    state.counters["run_us"] = cost.run * 1e6;
    state.counters["path_us"] = cost.path * 1e6;
    state.counters["rest_us"] = (cost.run - cost.path) * 1e6;
    state.counters["rest_x_read"] = (cost.run - cost.path) / cost.read;
    state.counters["rest_x_recognition"] = (cost.run - cost.path) / cost.recognition;
}

// hostcam on the plate's part file of solids: open, Execute and save, as a user runs it (a process of its
// own, so its peak memory is its own). CPU of every thread. The saved part against the part it opened and
// against the plate written as STEP.
struct HOSTCAM_COST {
    double cpu = 0, peakMiB = 0, toInput = 0, toStep = 0;
};
std::map<int, HOSTCAM_COST> g_hostcamRuns;

void BM_HostcamRun(benchmark::State& state) {
    const int holes = static_cast<int>(state.range(0));
    const std::string input = bench::platePart(holes), step = bench::plateStep(holes);
    if (input.empty() || step.empty()) {
        state.SkipWithError("the plate's files cannot be written");
        return;
    }
    bench::HOSTCAM_RUN run;
    for (auto _ : state) {
        run = bench::runHostcam(input);
        if (!run.error.empty()) state.SkipWithError(run.error.c_str());
        state.SetIterationTime(run.cpuSeconds);
    }
    std::error_code ignored;
    const double stepBytes = static_cast<double>(std::filesystem::file_size(step, ignored));
    const double inputBytes = static_cast<double>(std::filesystem::file_size(input, ignored));
    g_hostcamRuns[holes] = {run.cpuSeconds, run.peakMiB, run.savedBytes / inputBytes, run.savedBytes / stepBytes};
    state.counters["cpu_per_hole_us"] = run.cpuSeconds / holes * 1e6;
    state.counters["peak_MiB"] = run.peakMiB;
    state.counters["input_MB"] = inputBytes / 1e6;
    state.counters["step_MB"] = stepBytes / 1e6;
    state.counters["part_MB"] = run.savedBytes / 1e6;
    state.counters["part_x_input"] = run.savedBytes / inputBytes;
    state.counters["part_x_step"] = run.savedBytes / stepBytes;
}

// The ratios the benchmark is held to, from this run's numbers.
void printSummary() {
    std::printf("\nWhole run, CPU of every thread per hole (us): run | hole path | rest | recognition | read\n");
    for (const auto& [holes, c] : g_wholeRuns)
        std::printf("  %6d holes: %8.1f | %8.1f | %8.1f | %6.1f | %6.2f\n", holes, c.run * 1e6, c.path * 1e6,
                    (c.run - c.path) * 1e6, c.recognition * 1e6, c.read * 1e6);
    if (g_wholeRuns.count(1000) && g_wholeRuns.count(10000)) {
        const WHOLE_RUN& a = g_wholeRuns[1000];
        const WHOLE_RUN& b = g_wholeRuns[10000];
        std::printf("  rest per hole at 10,000 / at 1,000: %.2f (at most 1.3)\n", (b.run - b.path) / (a.run - a.path));
        std::printf("  rest at 10,000 / recognition: %.2f (at most 5)\n", (b.run - b.path) / b.recognition);
        std::printf("  hole path at 10,000: %.1f ms\n", b.path * 10000 * 1e3);
    }
    for (const auto& [holes, c] : g_wholeRuns)
        std::printf("  recognition / read after the runs at %d holes: %.1f%s\n", holes, c.recognition / c.read,
                    holes == 10000 ? " (at most 5)" : "");
    for (const auto& [holes, c] : g_asOpened)
        if (c.recognition < 1e9 && c.read < 1e9)
            std::printf("  recognition / read on the plate as opened at %d holes: %.2f / %.2f us = %.1f%s\n", holes,
                        c.recognition * 1e6, c.read * 1e6, c.recognition / c.read, holes == 10000 ? " (at most 5)" : "");
    for (const auto& [holes, h] : g_hostcamRuns)
        std::printf("hostcam on the %d-hole plate: %.2f s CPU, peak %.0f MiB, saved part %.2f x the part opened, "
                    "%.2f x the plate as STEP\n",
                    holes, h.cpu, h.peakMiB, h.toInput, h.toStep);
}

// An exported part whose edges carry mixed tolerances, as most CAD exports do: reading the STEP file
// against recognising its holes and running the opaque-surfaces check on them.
const std::string kMixedStep = "mixed_tolerance_plate";

void BM_StepImport(benchmark::State& state) {
    const std::string path = bench::examplesFolder() + "/" + kMixedStep + ".step";
    (void)bench::openStepPart(kMixedStep);   // the plug-in started, and no plate taken for open
    for (auto _ : state) {
        const std::string error = host::openStepAsPart(path);
        if (!error.empty()) state.SkipWithError(error.c_str());
    }
}

void BM_StepRecognition(benchmark::State& state) {
    bench::startPlugin();
    const std::string error = bench::openStepPart(kMixedStep);
    if (!error.empty()) state.SkipWithError(error.c_str());
    int found = 0;
    for (auto _ : state) {
        std::int32_t wide = 0, narrow = 0, refused = 0;
        g_nextHoleId = 1;
        VIEW_LIST* tree = recognizeCylinders(kRecognizeCommand, nullptr, &wide, &narrow, &refused, 0, 0, nullptr);
        if (checkOpaqueSurfs(tree, 0, nullptr) != 0) state.SkipWithError("opaque check failed");
        state.PauseTiming();
        found = 0;
        for (const VIEW_LIST* v = tree; v; v = v->next) found += countPoints(v);
        freeViewsTree(tree);
        state.ResumeTiming();
    }
    state.counters["holes_found"] = found;
}

BENCHMARK(BM_StepImport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepRecognition)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSurfaces)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Recognition)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpaqueCheck)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeRun)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime();
BENCHMARK(BM_HostcamRun)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

}  // namespace

void printStepImportSummary();   // step_import_bench.cpp
void printHolePathSummary();     // hole_path_bench.cpp
void printStepFeaturesSummary(); // step_features_bench.cpp
void printFeatureImportSummary(); // feature_import_bench.cpp
void printMainJobSummary();      // main_job_bench.cpp
void printCadPartSummary();      // cad_part_bench.cpp
void printStepOpenSummary();     // step_open_bench.cpp

int main(int argc, char** argv) {
    plat::useVirtualClock(true);   // the plug-in's own waits do not count
    std::string dumpFolder, dumpPlates = "100,1000,10000";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--dump_trees=", 13) == 0) dumpFolder = argv[i] + 13;
        if (std::strncmp(argv[i], "--dump_plates=", 14) == 0) dumpPlates = argv[i] + 14;
    }
    if (!dumpFolder.empty()) {
        const int failed = bench::dumpTrees(dumpFolder, dumpPlates);
        pluginDetach();
        return failed == 0 ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    printSummary();
    printStepImportSummary();
    printHolePathSummary();
    printStepFeaturesSummary();
    printFeatureImportSummary();
    printMainJobSummary();
    printCadPartSummary();
    printStepOpenSummary();
    benchmark::Shutdown();
    pluginDetach();
    return 0;
}
