// The STEP hole-feature reader on files of 10,000, 100,000 and 400,000 instances (eight per feature: the
// feature, its point, its axis, its parameter list and four parameters, referenced forwards and backwards),
// against reading the same file line by line. Every "#n" is looked up in one map built in one pass, so the reading
// should cost a small multiple of the file read and grow with the file, not with its square. So should 2,000
// and 20,000 features that all name one long parameter list. The ratios are printed last.
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

// A file of `features` fits, each with its point and a parameter of its own, all of whose parameters one
// PARAMETER_LIST lists: every feature names that list, so a list read once per feature costs the square.
std::string sharedListFile(int features) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("fx_step_shared_list_" + std::to_string(features) + ".step")).string();
    if (plat::fileExists(path)) return path;
    std::string text = "ISO-10303-21;\nHEADER;\nENDSEC;\nDATA;\n#1=DIRECTION('',(0.,0.,1.));\n"
                       "#3=PARAMETER('DIAMETER_UPPER',0.012);\n#4=PARAMETER('DIAMETER_LOWER',0.);\n#5=PARAMETER('DEPTH',4.);\n"
                       "#2=PARAMETER_LIST((#3,#4,#5";
    const int first = 10;
    for (int f = 0; f < features; ++f) text += ",#" + std::to_string(first + 3 * f + 2);
    text += "));\n";
    char line[160];
    for (int f = 0; f < features; ++f) {
        const int n = first + 3 * f;
        std::snprintf(line, sizeof line,
                      "#%d=CARTESIAN_POINT('',(%d.,%d.,12.));\n#%d=HOLE_ROUND_STRAIGHT('',#%d,#1,$,#2);\n"
                      "#%d=PARAMETER('DIAMETER',%d.);\n",
                      n, f % 400, f / 400, n + 1, n, n + 2, 5 + f % 7);
        text += line;
    }
    text += "ENDSEC;\nEND-ISO-10303-21;\n";
    (void)plat::writeFile(path, text);
    return path;
}

std::map<int, double> g_shared;   // CPU seconds per feature count

void BM_StepFeaturesSharingOneList(benchmark::State& state) {
    const std::string text = plat::readFile(sharedListFile(static_cast<int>(state.range(0)))).value_or("");
    std::size_t marks = 0;
    const double begin = plat::processCpuSeconds();
    for (auto _ : state) {
        const STEP_HOLE_FEATURES read = readStepHoleFeatures(text);
        marks = read.marks.size();
        if (read.damagedLine) state.SkipWithError("damaged");
    }
    g_shared[static_cast<int>(state.range(0))] =
        (plat::processCpuSeconds() - begin) / static_cast<double>(state.iterations());
    state.counters["marks"] = static_cast<double>(marks);
}
BENCHMARK(BM_StepFeaturesSharingOneList)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

void printStepFeaturesSummary() {
    for (const auto& [n, read] : g_read)
        if (g_features.count(n) && read > 0)
            std::printf("STEP hole features of %d instances: %.1f ms CPU, %.1f x reading the file (%.1f ms)\n", n,
                        g_features[n] * 1e3, g_features[n] / read, read * 1e3);
    if (g_shared.count(2000) && g_shared.count(20000) && g_shared[2000] > 0)
        std::printf("STEP features sharing one parameter list: 2,000 in %.2f ms, 20,000 in %.2f ms CPU (%.1f x for 10 x)\n",
                    g_shared[2000] * 1e3, g_shared[20000] * 1e3, g_shared[20000] / g_shared[2000]);
}
