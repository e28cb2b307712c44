// Importing hole features as a user does (the features popup, "Import a features file...", the file, the
// main menu closed so that the cycle keeps its marks in the part) and saving the part, for TFF and STEP files
// of 10,000 and 100,000 features. Every step is linear in the features: ten times the features should cost
// about ten times the time. The times are printed last.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "bench/bench_plates.h"
#include "host/api.h"
#include "host/state.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "plugin/base/utilities.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/cycle/exports.h"

namespace {

constexpr int kFeaturesButton = 18004, kImportItem = 71;

std::string benchFile(const std::string& name) { return (std::filesystem::temp_directory_path() / name).string(); }

// A fit hole at each of `features` places of a grid, one position and one fit segment each.
std::string tffFile(int features) {
    const std::string path = benchFile("fx_feature_import_" + std::to_string(features) + ".TFF");
    if (plat::fileExists(path)) return path;
    std::string text;
    char line[200];
    for (int f = 0; f < features; ++f) {
        std::snprintf(line, sizeof line,
                      "FEAT_DEF\nKIND:FITHOLE\nFEAT_SEG\nTYPE:FIT\nOFFSET:0\nDEPTH:10\nDIAM1:6\nTOL:7\nEND\n"
                      "FEAT_POS\nPOS_DIR:%d %d 20 0 0 1\nEND\nEND\n",
                      (f % 400) * 10, (f / 400) * 10);
        text += line;
    }
    (void)plat::writeFile(path, text);
    return path;
}

// The same holes as tapped STEP hole features.
std::string stepFile(int features) {
    const std::string path = benchFile("fx_feature_import_" + std::to_string(features) + ".step");
    if (plat::fileExists(path)) return path;
    std::string text = "ISO-10303-21;\nHEADER;\nENDSEC;\nDATA;\n";
    char line[640];
    for (int f = 0, n = 1; f < features; ++f, n += 8) {
        std::snprintf(line, sizeof line,
                      "#%d=CARTESIAN_POINT('',(%d.,%d.,20.));\n#%d=HOLE_ROUND_STRAIGHT_THREAD('M8',#%d,#%d,$,#%d);\n"
                      "#%d=DIRECTION('',(0.,0.,-1.));\n#%d=PARAMETER_LIST((#%d,#%d,#%d,#%d));\n"
                      "#%d=PARAMETER('DIAMETER',8.);\n#%d=PARAMETER('PITCH',1.25);\n"
                      "#%d=PARAMETER('THREAD_LENGTH',12.);\n#%d=PARAMETER('DEPTH',14.);\n",
                      n, (f % 400) * 10, (f / 400) * 10, n + 1, n, n + 2, n + 3, n + 2, n + 3, n + 4, n + 5, n + 6,
                      n + 7, n + 4, n + 5, n + 6, n + 7);
        text += line;
    }
    text += "ENDSEC;\nEND-ISO-10303-21;\n";
    (void)plat::writeFile(path, text);
    return path;
}

std::map<std::string, double> g_seconds;   // "TFF 10000 import" and the like: CPU seconds

void importAndSave(benchmark::State& state, const std::string& kind, const std::string& path) {
    bench::startPlugin();
    const std::string saved = benchFile("fx_feature_import.pfp");
    double imported = 0, savedSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        host::newPart();
        plat::driver().reset();
        state.ResumeTiming();
        const double begin = plat::processCpuSeconds();
        plat::driver().script().click(CMainMenu::kTemplate, kFeaturesButton).menu(kImportItem).file(path);
        plat::driver().script().menu(kMenuExit).click(CMainMenu::kTemplate, 1);
        m_main();
        const double between = plat::processCpuSeconds();
        if (!host::savePart(saved).ok) state.SkipWithError("not saved");
        const double end = plat::processCpuSeconds();
        imported += between - begin;
        savedSeconds += end - between;
    }
    const std::string key = kind + " " + std::to_string(state.range(0));
    g_seconds[key + " import"] = imported / static_cast<double>(state.iterations());
    g_seconds[key + " save"] = savedSeconds / static_cast<double>(state.iterations());
}

void BM_TffFeatureImport(benchmark::State& state) {
    importAndSave(state, "TFF", tffFile(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_TffFeatureImport)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_StepFeatureImport(benchmark::State& state) {
    importAndSave(state, "STEP", stepFile(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_StepFeatureImport)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

void printFeatureImportSummary() {
    for (const auto& [what, seconds] : g_seconds)
        std::printf("feature import, %s: %.2f s CPU\n", what.c_str(), seconds);
}
