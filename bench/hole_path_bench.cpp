// Hole path of one view: the fast search on 1,000 and 10,000 holes, and the plain step-by-step search on
// 1,000 as the yardstick. Holes lie on a plate at random, a tenth of them on a grid (equal distances).
// "per_hole_us" shows the growth: wall time per hole; the plain search's grows with the square of the holes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <random>
#include <vector>

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

template <class ORDER>
void timePath(benchmark::State& state, ORDER order) {
    setUnitTolerances(true);
    const auto count = static_cast<std::int32_t>(state.range(0));
    const std::vector<PATH_ELEMENT> holes = plate(count);
    double seconds = 0;
    for (auto _ : state) {
        std::vector<PATH_ELEMENT> e = holes;
        const Clock::time_point begin = Clock::now();
        benchmark::DoNotOptimize(order(e, count));
        const double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    state.counters["per_hole_us"] = seconds / static_cast<double>(state.iterations()) / count * 1e6;
}

void fastPath(benchmark::State& state) {
    timePath(state, [](std::vector<PATH_ELEMENT>& e, std::int32_t count) {
        std::int32_t start = -1;
        orderPointsNearest(e.data(), 0, count, &start);
        return start;
    });
}

void plainPath(benchmark::State& state) {
    timePath(state, [](std::vector<PATH_ELEMENT>& e, std::int32_t count) {
        double total = 0;
        return referencePathOrder(e.data(), 0, count, &total);
    });
}

}  // namespace

BENCHMARK(fastPath)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();
BENCHMARK(plainPath)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();
