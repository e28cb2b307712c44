// Hole path of one view: the fast search on 1,000 and 10,000 holes, and the plain step-by-step search on
// 1,000 as the yardstick. Holes lie on a plate at random, a tenth of them on a grid (equal distances), or
// in tiles of 10 x 10 on a 12 mm grid as on the benchmark plates (every step a tie). "per_hole_us" shows
// the growth: wall time per hole; the plain search's grows with the square of the holes. "cpu_per_hole_us"
// is the CPU of every thread. Each path's first hole and a hash of its order are printed last, to compare
// builds.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <cmath>
#include <random>
#include <vector>

#include "platform/sys/clock.h"
#include "plugin/base/globals.h"
#include "plugin/tooling/hole_path.h"
#include "tests/support/hole_path_reference.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<PATH_ELEMENT> plate(int count) {
    std::vector<PATH_ELEMENT> e = gridLayout(count, 12, 0, 4242u + count);
    std::mt19937 random(17u + count);
    const double side = 12.0 * std::sqrt(static_cast<double>(count)) * 1.5;
    std::uniform_real_distribution<double> at(0, side);
    for (int i = 0; i < count; ++i)
        if (i % 10) e[i].point[0] = at(random), e[i].point[1] = at(random);
    return e;
}

// Tiles of 10 x 10 holes 12 mm apart, 10 mm between tiles, tile by tile and row by row.
std::vector<PATH_ELEMENT> tiles(int count) {
    const int tileCount = (count + 99) / 100;
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(tileCount))));
    std::vector<PATH_ELEMENT> e(count);
    for (int i = 0; i < count; ++i) {
        const int tile = i / 100, inTile = i % 100;
        e[i].point[0] = (tile % columns) * 130.0 + 12.0 * (inTile % 10) + 6;
        e[i].point[1] = (tile / columns) * 130.0 + 12.0 * (inTile / 10) + 6;
    }
    return e;
}

std::map<std::string, std::string> g_paths;   // benchmark name: first hole and hash of the order

// FNV-1a over the order from `start`.
std::string pathSummary(const std::vector<PATH_ELEMENT>& e, std::int32_t start) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (std::int32_t i : pathOf(e, start)) hash = (hash ^ static_cast<std::uint64_t>(i)) * 1099511628211ULL;
    char text[64];
    std::snprintf(text, sizeof text, "first %d, order %016llx", start, static_cast<unsigned long long>(hash));
    return text;
}

template <class ORDER>
void timePath(benchmark::State& state, const char* search, ORDER order) {
    setUnitTolerances(true);
    const auto count = static_cast<std::int32_t>(state.range(0));
    const std::vector<PATH_ELEMENT> holes = state.range(1) ? tiles(count) : plate(count);
    double seconds = 0, cpu = 0;
    for (auto _ : state) {
        std::vector<PATH_ELEMENT> e = holes;
        forgetHolePaths();
        const Clock::time_point begin = Clock::now();
        const double cpuBegin = plat::processCpuSeconds();
        const std::int32_t start = order(e, count);
        cpu += plat::processCpuSeconds() - cpuBegin;
        g_paths[std::string(search) + (state.range(1) ? " tiles " : " random ") + std::to_string(count)] =
            pathSummary(e, start);
        const double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["per_hole_us"] = seconds / iterations / count * 1e6;
    state.counters["cpu_per_hole_us"] = cpu / iterations / count * 1e6;
}

void fastPath(benchmark::State& state) {
    timePath(state, "fast", [](std::vector<PATH_ELEMENT>& e, std::int32_t count) {
        std::int32_t start = -1;
        orderPointsNearest(e.data(), 0, count, &start);
        return start;
    });
}

void plainPath(benchmark::State& state) {
    timePath(state, "plain", [](std::vector<PATH_ELEMENT>& e, std::int32_t count) {
        double total = 0;
        return referencePathOrder(e.data(), 0, count, &total);
    });
}

}  // namespace

void printHolePathSummary() {
    for (const auto& [name, path] : g_paths) std::printf("Hole path %s: %s\n", name.c_str(), path.c_str());
}

// Arguments: holes, and 1 for the tiles.
BENCHMARK(fastPath)
    ->Args({1000, 0})
    ->Args({10000, 0})
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK(plainPath)->Args({1000, 0})->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();
