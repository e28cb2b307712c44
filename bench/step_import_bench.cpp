// STEP import of the example parts: the whole import (pre-scan, reader process, BRep text back into
// solids), the reader process alone and the pre-scan alone, to see what the isolation costs.
#include <benchmark/benchmark.h>

#include <string>

#include "host/geom/step_io.h"
#include "host/geom/step_process.h"
#include "host/geom/step_scan.h"
#include "platform/sys/files.h"

namespace {

const char* const kExamples[] = {"boss_part", "directions_block", "holes_plate"};

std::string examplePath(const benchmark::State& state) {
    return std::string(FX_SOURCE_DIR) + "/data/examples/" + kExamples[state.range(0)] + ".step";
}

void BM_StepImport(benchmark::State& state) {
    const std::string path = examplePath(state);
    for (auto _ : state) {
        host::StepImport in = host::importStep(path);
        if (!in.ok()) state.SkipWithError(in.error.c_str());
        benchmark::DoNotOptimize(in);
    }
}
BENCHMARK(BM_StepImport)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_StepReaderProcess(benchmark::State& state) {
    const std::string path = examplePath(state);
    for (auto _ : state) {
        host::ProcessRun run = host::runProcess(host::stepReaderPath(), {path}, 60, 1u << 30);
        if (!run.failure.empty()) state.SkipWithError(run.failure.c_str());
        benchmark::DoNotOptimize(run);
    }
}
BENCHMARK(BM_StepReaderProcess)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_StepPreScan(benchmark::State& state) {
    const std::string text = plat::readFile(examplePath(state)).value_or("");
    for (auto _ : state) benchmark::DoNotOptimize(host::stepPreScan(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_StepPreScan)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace
