// Recognition of large parts: plates with 100, 1,000 and 10,000 holes, timed per hole against merely
// reading the same surfaces and evaluating each at a 3 x 3 grid. A plate is a row of 100-hole tiles (one
// builder solid each: the kernel's booleans grow with the holes of one solid, so one huge solid would
// measure the builder, not recognition). Each plate is built once, converted to surfaces as the recognition
// command does, and kept as a part file under the build folder; later runs only open it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/module.h"
#include "platform/ui/driver.h"
#include "plugin/core/entity_utils.h"
#include "plugin/core/exports.h"
#include "plugin/core/globals.h"
#include "plugin/core/load_time_objects.h"
#include "plugin/core/main_menu.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/tree.h"

namespace {

using namespace host::builder;

constexpr int kTileSide = 10;                    // holes per tile row and column
constexpr int kTileHoles = kTileSide * kTileSide;
constexpr double kPitch = 12;                    // mm between hole axes
constexpr double kTileSize = kTileSide * kPitch;
constexpr double kThickness = 12;
constexpr host::Vec3 kDown{0, 0, -1};

// A tile whose holes cycle through the common kinds, so that every stage has work.
PartBuilder tile(double x0, double y0) {
    PartBuilder b = PartBuilder::block({kTileSize, kTileSize, kThickness}, {x0, y0, 0});
    for (int i = 0; i < kTileSide; ++i)
        for (int j = 0; j < kTileSide; ++j) {
            const host::Vec3 at{x0 + kPitch * (i + 0.5), y0 + kPitch * (j + 0.5), kThickness};
            switch ((i + j) % 4) {
            case 0: b.hole(throughHole("t", at, kDown, 6)); break;
            case 1: b.hole(blindTipped("b", at, kDown, 5, 6)); break;
            case 2: b.hole(counterbored("c", at, kDown, 6.6, 11, 4)); break;
            default: b.hole(blindFlat("f", at, kDown, 8, 5)); break;
            }
        }
    return b;
}

std::string buildFolder() { return std::string(FX_BINARY_DIR) + "/bench"; }

// A loaded plug-in after one invocation whose main menu was closed at once: settings and tolerances read.
void startPlugin() {
    static bool started = false;
    if (started) return;
    started = true;
    plat::driver().reset();
    host::reset();
    const std::string install = buildFolder() + "/install/P/X";
    (void)plat::createDirectories(install);
    (void)plat::writeFile(install + "/Tool.txt",
                          plat::readFile(std::string(FX_SOURCE_DIR) + "/data/Forantix.txt").value_or(""));
    pluginAttach(plat::registerModule(install + "/Tool.so"));
    plat::driver().script().click(CMainMenu::kTemplate, 1);
    m_main();
    plat::driver().transcript().clear();
}

// Opens the plate of `holes` holes, building and keeping it first when its file is missing. False when it
// can be neither opened nor built.
bool openPlate(int holes, benchmark::State& state) {
    static int open = 0;
    if (open == holes) return true;
    startPlugin();
    const std::string path = buildFolder() + "/plate_" + std::to_string(holes) + ".pfp";
    if (plat::fileExists(path) && host::openPart(path).ok) {
        open = holes;
        return true;
    }
    host::newPart();
    const int tiles = holes / kTileHoles;
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(tiles))));
    for (int t = 0; t < tiles; ++t) {
        const BuiltPart part = tile((t % columns) * (kTileSize + 10), (t / columns) * (kTileSize + 10)).build();
        if (!part.ok() || host::storeSolidEntity(part.solid, 3, 1, "tile") == 0) {
            state.SkipWithError(("tile not built: " + part.error).c_str());
            return false;
        }
    }
    (void)solidsToEntities();
    (void)plat::createDirectories(buildFolder());
    const host::PartFileResult saved = host::savePart(path);
    if (!saved.ok) {
        state.SkipWithError(saved.message.c_str());
        return false;
    }
    open = holes;
    return true;
}

void perHole(benchmark::State& state, int holes) {
    state.counters["per_hole"] =
        benchmark::Counter(holes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Recognition(benchmark::State& state) {
    const int holes = static_cast<int>(state.range(0));
    if (!openPlate(holes, state)) return;
    int found = 0;
    for (auto _ : state) {
        std::int32_t wide = 0, narrow = 0, refused = 0;
        g_nextHoleId = 1;
        VIEW_LIST* tree = recognizeCylinders(kRecognizeCommand, nullptr, &wide, &narrow, &refused, 0, 0, nullptr);
        state.PauseTiming();
        found = 0;
        for (const VIEW_LIST* v = tree; v; v = v->next) found += countPoints(v);
        freeViewsTree(tree);
        state.ResumeTiming();
    }
    perHole(state, holes);
    state.counters["holes_found"] = found;
}

// What recognition cannot do without: every visible surface read and evaluated at a 3 x 3 grid.
void BM_ReadSurfaces(benchmark::State& state) {
    const int holes = static_cast<int>(state.range(0));
    if (!openPlate(holes, state)) return;
    int surfaces = 0;
    for (auto _ : state) {
        surfaces = 0;
        double sum = 0;
        db_ptr at = db_start();
        for (;;) {
            ent e{};
            char found = 0;
            get_ent(at, 1, kEntSurface, &e, &at, &found);
            if (!found) break;
            if (!is_level_visible(e.level)) continue;
            ent surface{};
            get_ent_from_eptr(at, &surface);
            ++surfaces;
            const ent_surface& s = surface.surf;
            for (double fu : {0.1, 0.5, 0.9})
                for (double fv : {0.1, 0.5, 0.9}) {
                    p_3d pt[3];
                    const double u = s.uMin + fu * (s.uMax - s.uMin), v = s.vMin + fv * (s.vMax - s.vMin);
                    if (eval_surf(&surface, u, v, 0, pt)) sum += pt[0].x;
                }
        }
        benchmark::DoNotOptimize(sum);
    }
    perHole(state, holes);
    state.counters["surfaces"] = surfaces;
}

BENCHMARK(BM_ReadSurfaces)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Recognition)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    plat::useVirtualClock(true);   // the plug-in's own waits do not count
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    pluginDetach();
    return 0;
}
