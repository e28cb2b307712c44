// The hole plates (hole_plates.h): 10 x 10 holes per tile, cycling through the common kinds so that every
// recognition stage has work; tiles laid out on a square, 10 mm apart.
#include "host/builder/hole_plates.h"

#include <cmath>

#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"

namespace host::builder {
namespace {

constexpr int kTileSide = 10;
constexpr double kPitch = 12;   // mm between hole axes
constexpr double kTileSize = kTileSide * kPitch;
constexpr double kThickness = 12;
constexpr Vec3 kDown{0, 0, -1};

PartBuilder tile(double x0, double y0) {
    PartBuilder b = PartBuilder::block({kTileSize, kTileSize, kThickness}, {x0, y0, 0});
    for (int i = 0; i < kTileSide; ++i)
        for (int j = 0; j < kTileSide; ++j) {
            const Vec3 at{x0 + kPitch * (i + 0.5), y0 + kPitch * (j + 0.5), kThickness};
            switch ((i + j) % 4) {
            case 0: b.hole(throughHole("t", at, kDown, 6)); break;
            case 1: b.hole(blindTipped("b", at, kDown, 5, 6)); break;
            case 2: b.hole(counterbored("c", at, kDown, 6.6, 11, 4)); break;
            default: b.hole(blindFlat("f", at, kDown, 8, 5)); break;
            }
        }
    return b;
}

}  // namespace

std::string storeHolePlate(int holes) {
    const int tiles = holes / kPlateTileHoles;
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(tiles))));
    for (int t = 0; t < tiles; ++t) {
        const BuiltPart part = tile((t % columns) * (kTileSize + 10), (t / columns) * (kTileSize + 10)).build();
        if (!part.ok()) return "tile not built: " + part.error;
        if (storeSolidEntity(part.solid, 3, 1, "tile") == 0) return "tile not stored";
    }
    return "";
}

std::string saveHolePlate(int holes, const std::string& path) {
    newPart();
    if (std::string error = storeHolePlate(holes); !error.empty()) return error;
    const PartFileResult saved = savePart(path);
    return saved.ok ? "" : saved.message;
}

}  // namespace host::builder
