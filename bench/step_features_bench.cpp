// The STEP hole-feature reader on files of 10,000, 100,000 and 400,000 instances (eight per feature: the
// feature, its point, its axis, its parameter list and four parameters, referenced forwards and backwards),
// against reading the same file line by line. Every "#n" is looked up in one map built in one pass, so the reading
// should cost a small multiple of the file read and grow with the file, not with its square. The ratios
// are printed last.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "bench/bench_plates.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "plugin/import/step_features.h"

namespace {

// A file of `instances` instances, a feature every eighth, the referenced instances before and after it.
std::string featureFile(int instances) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("fx_step_features_" + std::to_string(instances) + ".step")).string();
    if (plat::fileExists(path)) return path;
    std::string text = "ISO-10303-21;\nHEADER;\nFILE_SCHEMA(('MACHINING_FEATURES'));\nENDSEC;\nDATA;\n";
    char line[160];
    for (int n = 1; n + 7 <= instances; n += 8) {
        const double x = (n / 8) % 400, y = (n / 8) / 400;
        std::snprintf(line, sizeof line, "#%d=CARTESIAN_POINT('',(%g,%g,20.));\n", n, x * 10, y * 10);
        text += line;
        std::snprintf(line, sizeof line, "#%d=HOLE_ROUND_STRAIGHT_THREAD('M8',#%d,#%d,$,#%d);\n", n + 1, n, n + 2, n + 3);
        text += line;
        std::snprintf(line, sizeof line, "#%d=DIRECTION('',(0.,0.,-1.));\n", n + 2);
        text += line;
        std::snprintf(line, sizeof line, "#%d=PARAMETER_LIST((#%d,#%d,#%d,#%d));\n", n + 3, n + 4, n + 5, n + 6, n + 7);
        text += line;
        std::snprintf(line, sizeof line, "#%d=PARAMETER('DIAMETER',8.);\n#%d=PARAMETER('PITCH',1.25);\n", n + 4, n + 5);
        text += line;
        std::snprintf(line, sizeof line, "#%d=PARAMETER('THREAD_LENGTH',12.);\n#%d=PARAMETER('DEPTH',14.);\n", n + 6,
                      n + 7);
        text += line;
    }
    text += "ENDSEC;\nEND-ISO-10303-21;\n";
    (void)plat::writeFile(path, text);
    return path;
}

std::map<int, double> g_read, g_features;   // CPU seconds per instance count

// Reading the file as a text, line by line.
void BM_StepFeatureFileRead(benchmark::State& state) {
    const std::string path = featureFile(static_cast<int>(state.range(0)));
    const double begin = plat::processCpuSeconds();
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::size_t lines = 0;
        for (std::string line; std::getline(in, line);) lines += line.empty() ? 0 : 1;
        benchmark::DoNotOptimize(lines);
    }
    g_read[static_cast<int>(state.range(0))] =
        (plat::processCpuSeconds() - begin) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StepFeatureFileRead)->Arg(10000)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond);

void BM_StepHoleFeatures(benchmark::State& state) {
    const std::string path = featureFile(static_cast<int>(state.range(0)));
    std::size_t marks = 0;
    const double begin = plat::processCpuSeconds();
    for (auto _ : state) {
        const STEP_HOLE_FEATURES read = readStepHoleFeatures(plat::readFile(path).value_or(""));
        marks = read.marks.size();
        if (read.damagedLine) state.SkipWithError("damaged");
    }
    g_features[static_cast<int>(state.range(0))] =
        (plat::processCpuSeconds() - begin) / static_cast<double>(state.iterations());
    state.counters["marks"] = static_cast<double>(marks);
}
BENCHMARK(BM_StepHoleFeatures)->Arg(10000)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond);

}  // namespace

void printStepFeaturesSummary() {
    for (const auto& [n, read] : g_read)
        if (g_features.count(n) && read > 0)
            std::printf("STEP hole features of %d instances: %.1f ms CPU, %.1f x reading the file (%.1f ms)\n", n,
                        g_features[n] * 1e3, g_features[n] / read, read * 1e3);
}
