// STEP import of the example parts: the whole import as a user's open makes it (pre-scan, reader process,
// BRep text back into solids, the part's solid entities), against a plain reader of the same kernel on the
// same file in this process (the file read with names and colours and its shapes transferred), both in CPU
// of every thread and process; the reader process alone and the pre-scan alone show what the isolation
// costs. The ratios are printed last.
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

#include <sys/resource.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench/bench_plates.h"
#include "host/geom/step_io.h"
#include "host/geom/step_process.h"
#include "host/geom/step_scan.h"
#include "platform/sys/files.h"

namespace {

const char* const kExamples[] = {"boss_part", "directions_block", "holes_plate", "mixed_tolerance_plate"};

std::string examplePath(const benchmark::State& state) {
    return std::string(FX_SOURCE_DIR) + "/data/examples/" + kExamples[state.range(0)] + ".step";
}

// CPU of this process, of the child processes it has waited for and of the STEP reader it keeps running.
double cpuWithChildren() {
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    return bench::processCpuSeconds() + seconds(children.ru_utime) + seconds(children.ru_stime) +
           host::servingReaderCpuSeconds();
}

std::map<int, double> g_import, g_plain;   // CPU seconds per example

void BM_StepImport(benchmark::State& state) {
    const std::string path = examplePath(state);
    double cpu = 0;
    for (auto _ : state) {
        const double begin = cpuWithChildren();
        const std::string error = host::openStepAsPart(path);
        const double spent = cpuWithChildren() - begin;
        if (!error.empty()) state.SkipWithError(error.c_str());
        state.SetIterationTime(spent);
        cpu += spent;
    }
    g_import[static_cast<int>(state.range(0))] = cpu / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StepImport)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_StepPlainReader(benchmark::State& state) {
    const std::string path = examplePath(state);
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    Handle(XCAFApp_Application) app = XCAFApp_Application::GetApplication();
    double cpu = 0;
    for (auto _ : state) {
        const double begin = cpuWithChildren();
        Handle(TDocStd_Document) doc;
        app->NewDocument(TCollection_ExtendedString("MDTV-XCAF"), doc);
        STEPCAFControl_Reader reader;
        reader.SetColorMode(true);
        reader.SetNameMode(true);
        if (reader.ReadFile(path.c_str()) != IFSelect_RetDone || !reader.Transfer(doc))
            state.SkipWithError("not read");
        TDF_LabelSequence free;
        XCAFDoc_DocumentTool::ShapeTool(doc->Main())->GetFreeShapes(free);
        benchmark::DoNotOptimize(free.Length());
        app->Close(doc);
        const double spent = cpuWithChildren() - begin;
        state.SetIterationTime(spent);
        cpu += spent;
    }
    g_plain[static_cast<int>(state.range(0))] = cpu / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StepPlainReader)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_StepReaderProcess(benchmark::State& state) {
    const std::string path = examplePath(state);
    for (auto _ : state) {
        host::ProcessRun run = host::runProcess(host::stepReaderPath(), {path}, 60, 1u << 30);
        if (!run.failure.empty()) state.SkipWithError(run.failure.c_str());
        benchmark::DoNotOptimize(run);
    }
}
BENCHMARK(BM_StepReaderProcess)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_StepPreScan(benchmark::State& state) {
    const std::string text = plat::readFile(examplePath(state)).value_or("");
    for (auto _ : state) benchmark::DoNotOptimize(host::stepPreScan(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_StepPreScan)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace

void printStepImportSummary() {
    for (const auto& [i, plain] : g_plain)
        if (g_import.count(i) && plain > 0)
            std::printf("STEP import of %s: %.1f ms CPU, %.2f x the plain reader's %.1f ms\n", kExamples[i],
                        g_import[i] * 1e3, g_import[i] / plain, plain * 1e3);
}
