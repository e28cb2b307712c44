// The benchmark part (cad_part.h). Millimetres; the block runs from the origin to (200, 140, 60).
#include "bench/cad_part.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "host/builder/part_builder.h"
#include "host/geom/step_io.h"
#include "platform/sys/files.h"

namespace bench {
namespace {

using host::Vec3;
using namespace host::builder;

constexpr double kX = 200, kY = 140, kZ = 60;

// The kinds in turn: through, blind flat, tipped, counterbored, countersunk, tapped (a tap drill's tipped
// hole), stepped and spot-faced; walls in two halves as many systems write them, plain entries rounded away from the part's edges.
HoleSpec holeOfKind(int k, const Vec3& at, const Vec3& down, double depthRoom, bool roundable) {
    const std::string name = "h" + std::to_string(k);
    HoleSpec h;
    switch (k % 8) {
    case 0: h = throughHole(name, at, down, 6.6); break;
    case 1: h = blindFlat(name, at, down, 10, std::min(12.0, depthRoom)); break;
    case 2: h = blindTipped(name, at, down, 8.5, std::min(15.0, depthRoom)); break;
    case 3: h = counterbored(name, at, down, 6.6, 11, 6.8, std::min(20.0, depthRoom)); break;
    case 4: h = countersunk(name, at, down, 6.6, 13, 90, std::min(18.0, depthRoom)); break;
    case 5: h = blindTipped(name, at, down, 6.8, std::min(16.0, depthRoom)); break;
    case 6: h = stepped(name, at, down, {{12, 4}, {8, 5}, {5, std::min(10.0, depthRoom - 9)}}, 118); break;
    default: h = spotFaced(name, at, down, 9, 18, 0.5, std::min(14.0, depthRoom)); break;
    }
    h.splitWall = true;
    if (roundable && (k % 8 == 0 || k % 8 == 1 || k % 8 == 2 || k % 8 == 5)) h.entryFillet = 1;
    return h;
}

PartBuilder cadPart(int* holes = nullptr) {
    PartBuilder b = PartBuilder::block({kX, kY, kZ});
    b.roundStockEdges(6);
    b.boss({{100, 70, kZ}, {0, 0, 1}, 30, 12, 3});
    b.boss({{40, 110, 0}, {0, 0, -1}, 20, 8, 2});
    int k = 0;
    auto add = [&](const Vec3& at, const Vec3& down, double room, bool roundable = false) {
        b.hole(holeOfKind(k++, at, down, room, roundable));
    };
    // Top: a 7 x 5 grid whose outer rows cut the roundings, the middle left to the boss.
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 5; ++j) {
            const double x = 9 + i * 30.3, y = 9 + j * 30.5;
            if (i == 3 && j == 2) continue;
            add({x, y, kZ}, {0, 0, -1}, 40, true);
        }
    b.hole(counterbored("boss top", {100, 70, kZ + 12}, {0, 0, -1}, 9, 14, 4));
    ++k;
    // Bottom: 4 x 5, shifted off the top grid.
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 4; ++j) {
            const double x = 24 + i * 38, y = 24 + j * 31;
            if (i == 0 && j == 3) continue;   // the foot of the lower boss
            add({x, y, 0}, {0, 0, 1}, 25, true);
        }
    // Sides: four rows each, entries between the top and bottom holes' reach; the first of each row runs
    // through the part and crosses the holes from the top.
    for (int row = 0; row < 4; ++row) {
        const double z = 12 + 12 * row;
        for (int i = 0; i < 5; ++i) {
            const double y = 16 + i * 26.5;
            add({0, y, z}, {1, 0, 0}, 30);
            add({kX, y + 6, z}, {-1, 0, 0}, 30);
        }
        for (int i = 0; i < 5; ++i) {
            const double x = 22 + i * 38;
            add({x, 0, z}, {0, 1, 0}, 30);
            add({x + 7, kY, z}, {0, -1, 0}, 30);
        }
    }
    b.hole(throughHole("cross X", {0, 70, 30}, {1, 0, 0}, 6));
    b.hole(throughHole("cross Y", {150, 0, 10}, {0, 1, 0}, 5));
    if (holes) *holes = k + 2;
    return b;
}

std::string binaryFolder() { return std::string(FX_BINARY_DIR) + "/bench"; }

}  // namespace

int cadPartHoles() {
    int holes = 0;
    (void)cadPart(&holes);
    return holes;
}

std::string cadPartStep() {
    const std::string shipped = std::string(FX_SOURCE_DIR) + "/data/bench/cad_part.step";
    if (plat::fileExists(shipped)) return shipped;
    const std::string path = binaryFolder() + "/cad_part.step";
    if (plat::fileExists(path)) return path;
    const BuiltPart part = cadPart().build();
    if (!part.ok()) {
        std::fprintf(stderr, "benchmark part: %s\n", part.error.c_str());
        return "";
    }
    (void)plat::createDirectories(binaryFolder());
    return host::exportStep({{part.solid, "cad part", host::kNoColour}}, path).empty() ? path : "";
}

}  // namespace bench
