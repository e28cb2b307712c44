// Opening part files: the hole plates' part files of solids (bench_plates.h) and an example STEP part saved
// as a part file, opened as a user's open makes it. Wall time, and CPU of this process beside that of the
// processes it starts or keeps running.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "bench/bench_plates.h"
#include "host/api.h"
#include "host/geom/step_io.h"
#include "host/geom/step_process.h"
#include "host/state.h"
#include "platform/sys/clock.h"

namespace {

void timeOpens(benchmark::State& state, const std::string& path) {
    double own = 0, others = 0;
    for (auto _ : state) {
        const double cpu = plat::processCpuSeconds(), child = host::helperCpuSeconds();
        const auto begin = std::chrono::steady_clock::now();
        const host::PartFileResult opened = host::openPart(path);
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - begin;
        own += plat::processCpuSeconds() - cpu;
        others += host::helperCpuSeconds() - child;
        if (!opened.ok) state.SkipWithError(opened.message.c_str());
        state.SetIterationTime(wall.count());
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["host_cpu_ms"] = own / n * 1e3;
    state.counters["other_cpu_ms"] = others / n * 1e3;
}

void BM_OpenPlatePart(benchmark::State& state) {
    const std::string path = bench::platePart(static_cast<int>(state.range(0)));
    if (path.empty()) {
        state.SkipWithError("the plate's part file cannot be made");
        return;
    }
    timeOpens(state, path);
}

// The example with mixed edge tolerances, as a part file.
void BM_OpenExamplePart(benchmark::State& state) {
    bench::startPlugin();
    const std::string path = std::string(FX_BINARY_DIR) + "/bench/mixed_tolerance_plate.pfp";
    if (const std::string error = host::openStepAsPart(bench::examplesFolder() + "/mixed_tolerance_plate.step");
        !error.empty() || !host::savePart(path).ok) {
        state.SkipWithError("the example part cannot be saved");
        return;
    }
    timeOpens(state, path);
}

}  // namespace

BENCHMARK(BM_OpenPlatePart)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_OpenExamplePart)->Unit(benchmark::kMillisecond)->UseManualTime();
