// STEP import of the example parts: the whole import as a user's open makes it (pre-scan, reader process,
// BRep text back into solids, the part's solid entities), against a plain reader of the same kernel on the
// same file in this process (the file read with names and colours and its shapes transferred), both in CPU
// of every thread and process; the reader process alone and the pre-scan alone show what the isolation
// costs. The ratios are printed last, from imports and plain reads taken in turn.
#include <benchmark/benchmark.h>

#include <IFSelect_ReturnStatus.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDocStd_Document.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
#include <set>
#include <string>

#include "bench/bench_plates.h"
#include "host/geom/step_io.h"
#include "host/geom/step_process.h"
#include "host/geom/step_scan.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"

namespace {

const char* const kExamples[] = {"boss_part", "directions_block", "holes_plate", "mixed_tolerance_plate"};

std::string examplePath(std::int64_t example) {
    return std::string(FX_SOURCE_DIR) + "/data/examples/" + kExamples[example] + ".step";
}

// CPU of this process, of the child processes it has waited for and of the STEP reader it keeps running.
double cpuWithChildren() {
    return plat::processCpuSeconds() + host::helperCpuSeconds();
}

// CPU seconds of one import as a user's open makes it; "" in `error` when it opened.
double importCpu(const std::string& path, std::string& error) {
    const double begin = cpuWithChildren();
    error = host::openStepAsPart(path);
    return cpuWithChildren() - begin;
}

// CPU seconds of the plain reader on the file; false in `read` when it did not read it.
double plainReaderCpu(const std::string& path, bool& read) {
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    Handle(XCAFApp_Application) app = XCAFApp_Application::GetApplication();
    const double begin = cpuWithChildren();
    {
        // The reader's model freed within the measure, as the import frees its own.
        Handle(TDocStd_Document) doc;
        app->NewDocument(TCollection_ExtendedString("MDTV-XCAF"), doc);
        STEPCAFControl_Reader reader;
        reader.SetColorMode(true);
        reader.SetNameMode(true);
        read = reader.ReadFile(path.c_str()) == IFSelect_RetDone && reader.Transfer(doc);
        TDF_LabelSequence free;
        XCAFDoc_DocumentTool::ShapeTool(doc->Main())->GetFreeShapes(free);
        benchmark::DoNotOptimize(free.Length());
        app->Close(doc);
    }
    return cpuWithChildren() - begin;
}

std::set<int> g_measured;   // the examples whose import the filter ran

void BM_StepImport(benchmark::State& state) {
    const std::string path = examplePath(state.range(0));
    for (auto _ : state) {
        std::string error;
        state.SetIterationTime(importCpu(path, error));
        if (!error.empty()) state.SkipWithError(error.c_str());
    }
    g_measured.insert(static_cast<int>(state.range(0)));
}
BENCHMARK(BM_StepImport)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseManualTime();

// The plate with 2,000 products of names of 1,022 characters: the reader reads them cut, so the import
// costs about what the plate's does (each cost it 4 ms whole).
void BM_StepImportLongNames(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() / "fx_step_long_names.step").string();
    std::string text = plat::readFile(examplePath(2)).value_or("");
    std::string products;
    for (int i = 0; i < 2000; ++i)
        products += "#" + std::to_string(900000 + i) + "=PRODUCT('" + std::string(1022, 'n') + "','','',(#8));\n";
    text.insert(text.rfind("ENDSEC;"), products);
    if (!plat::writeFile(path, text)) state.SkipWithError("cannot write the file");
    for (auto _ : state) {
        std::string error;
        state.SetIterationTime(importCpu(path, error));
        if (!error.empty()) state.SkipWithError(error.c_str());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_StepImportLongNames)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_StepPlainReader(benchmark::State& state) {
    const std::string path = examplePath(state.range(0));
    for (auto _ : state) {
        bool read = false;
        state.SetIterationTime(plainReaderCpu(path, read));
        if (!read) state.SkipWithError("not read");
    }
}
BENCHMARK(BM_StepPlainReader)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_StepReaderProcess(benchmark::State& state) {
    const std::string path = examplePath(state.range(0));
    for (auto _ : state) {
        host::ProcessRun run = host::runProcess(host::stepReaderPath(), {path}, 60, 1u << 30);
        if (!run.failure.empty()) state.SkipWithError(run.failure.c_str());
        benchmark::DoNotOptimize(run);
    }
}
BENCHMARK(BM_StepReaderProcess)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_StepPreScan(benchmark::State& state) {
    const std::string text = plat::readFile(examplePath(state.range(0))).value_or("");
    for (auto _ : state) benchmark::DoNotOptimize(host::stepPreScan(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_StepPreScan)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace

// The ratios from imports and plain reads taken in turn, the least of each, the examples in rounds: a
// machine's speed drifts by half for a second at a time, which two benchmarks run one after the other
// would take for the import's cost. Its cores differ too, and the reader process keeps to one: run the
// benchmark on one core (taskset -c 2) for ratios steady to some 0.03.
void printStepImportSummary() {
    constexpr int kRounds = 9;
    std::map<int, std::pair<double, double>> least;   // import, plain
    for (int round = 0; round < kRounds; ++round)
        for (const int i : g_measured) {
            const std::string path = examplePath(i);
            auto& [import, plain] = least.try_emplace(i, std::numeric_limits<double>::infinity(),
                                                      std::numeric_limits<double>::infinity())
                                        .first->second;
            std::string error;
            bool read = false;
            import = std::min(import, importCpu(path, error));
            plain = std::min(plain, plainReaderCpu(path, read));
            if (!error.empty() || !read) import = plain = 0;
        }
    for (const auto& [i, cpu] : least)
        if (cpu.second > 0)
            std::printf("STEP import of %s: %.1f ms CPU, %.2f x the plain reader's %.1f ms\n", kExamples[i],
                        cpu.first * 1e3, cpu.first / cpu.second, cpu.second * 1e3);
}
