// Recognition and its checks (the hole tree, the opaque-surfaces check and the tool check) on the benchmark
// part of cad_part.h against the STEP open of the same file, and per hole against the 1,000-hole plate;
// with the main job (main_job_bench.cpp) on it and on the example parts. The least of the iterations counts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "bench/bench_plates.h"
#include "bench/cad_part.h"
#include "host/geom/step_io.h"
#include "platform/sys/clock.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/services/recognition.h"

namespace {

struct CHECKS_COST {
    double open = 1e9, checks = 1e9;   // seconds: the STEP open (clock), recognition and checks (CPU)
    double first = 0;                  // the first run's, which prepares what the faces keep for the run
    int holes = 0;
};
CHECKS_COST g_cadPart, g_plate;

// Recognition with the opaque and tool checks on the open part's surfaces, in CPU seconds; the holes found.
double recognitionAndChecks(int& found) {
    const double begin = plat::processCpuSeconds();
    std::int32_t wide = 0, narrow = 0, refused = 0;
    g_nextHoleId = 1;
    VIEW_LIST* tree = recognizeCylinders(kRecognizeCommand, nullptr, &wide, &narrow, &refused, 0, 0, nullptr);
    bool failed = checkOpaqueSurfs(tree, 0, nullptr) != 0;
    failed = checkToolCollision(tree, nullptr) < 0 || failed;
    const double cpu = plat::processCpuSeconds() - begin;
    found = 0;
    for (const VIEW_LIST* v = tree; v; v = v->next) found += countPoints(v);
    freeViewsTree(tree);
    return failed ? -1 : cpu;
}

// The iterations on the open part: the first run's CPU and the least.
void timeChecks(benchmark::State& state, CHECKS_COST& cost) {
    for (auto _ : state) {
        const double cpu = recognitionAndChecks(cost.holes);
        if (cpu < 0) state.SkipWithError("a check failed");
        if (cost.first == 0) cost.first = cpu;
        cost.checks = std::min(cost.checks, cpu);
    }
    state.counters["holes_found"] = cost.holes;
}

void BM_CadPartOpen(benchmark::State& state) {
    const std::string path = bench::cadPartStep();
    if (path.empty()) {
        state.SkipWithError("the benchmark part cannot be made");
        return;
    }
    bench::startPlugin();
    for (auto _ : state) {
        // The clock: the kernel reads the file in a process of its own.
        const auto begin = std::chrono::steady_clock::now();
        if (const std::string error = host::openStepAsPart(path); !error.empty()) state.SkipWithError(error.c_str());
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
        g_cadPart.open = std::min(g_cadPart.open, took.count());
    }
}

void BM_CadPartChecks(benchmark::State& state) {
    const std::string path = bench::cadPartStep();
    bench::startPlugin();
    if (path.empty() || !host::openStepAsPart(path).empty()) {
        state.SkipWithError("the benchmark part cannot be opened");
        return;
    }
    (void)solidsToEntities(g_globals->settings.featuresLevelCopy);
    timeChecks(state, g_cadPart);
}

void BM_PlateChecks(benchmark::State& state) {
    if (const std::string error = bench::openPlate(1000); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    timeChecks(state, g_plate);
}

BENCHMARK(BM_CadPartOpen)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CadPartChecks)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlateChecks)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

void printCadPartSummary() {
    if (g_cadPart.checks >= 1e9 || g_cadPart.open >= 1e9 || g_cadPart.holes == 0) return;
    std::printf("\nBenchmark part (%d holes found of %d): STEP open %.1f ms, recognition and checks %.1f ms CPU "
                "(the first run %.1f), ratio %.2f (at most 0.3; the first run's %.2f)\n",
                g_cadPart.holes, bench::cadPartHoles(), g_cadPart.open * 1e3, g_cadPart.checks * 1e3,
                g_cadPart.first * 1e3, g_cadPart.checks / g_cadPart.open, g_cadPart.first / g_cadPart.open);
    if (g_plate.checks >= 1e9 || g_plate.holes == 0) return;
    const double part = g_cadPart.checks / g_cadPart.holes, plate = g_plate.checks / g_plate.holes;
    std::printf("  per hole: %.1f us against %.1f us on the 1,000-hole plate, %.1f times (at most 5); the first runs' "
                "%.1f us against %.1f us\n",
                part * 1e6, plate * 1e6, part / plate, g_cadPart.first / g_cadPart.holes * 1e6,
                g_plate.first / g_plate.holes * 1e6);
}
