// The bitmap and icon registries. Registration happens when a module loads, possibly on another thread than
// the UI.
#include "platform/ui/resources.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace plat {
namespace {

struct Bitmaps {
    std::mutex mutex;
    std::map<int, std::unique_ptr<Bitmap>> byId;  // stable addresses for findBitmap
};

Bitmaps& bitmaps() {
    static Bitmaps* b = new Bitmaps;
    return *b;
}

Bitmaps& icons() {
    static Bitmaps* b = new Bitmaps;
    return *b;
}

void put(Bitmaps& registry, int id, int width, int height) {
    std::lock_guard lock(registry.mutex);
    auto& slot = registry.byId[id];
    if (!slot) slot = std::make_unique<Bitmap>();
    *slot = Bitmap{id, width, height, generatedColor(id)};
}

const Bitmap* find(Bitmaps& registry, int id) {
    std::lock_guard lock(registry.mutex);
    auto it = registry.byId.find(id);
    return it == registry.byId.end() ? nullptr : it->second.get();
}

}  // namespace

Color generatedColor(int id) {
    // A multiplicative hash spreads neighbouring ids over the colour cube; components stay in 48..239 so
    // that neither a white mask nor black outlines are hit by chance.
    std::uint32_t h = static_cast<std::uint32_t>(id) * 2654435761u;
    h ^= h >> 15;
    auto comp = [](std::uint32_t v) { return static_cast<int>(48 + v % 192); };
    return rgb(comp(h), comp(h >> 8), comp(h >> 16));
}

void registerBitmap(int id, int width, int height) { put(bitmaps(), id, width, height); }

const Bitmap* findBitmap(int id) { return find(bitmaps(), id); }

void registerIcon(int id, int width, int height) { put(icons(), id, width, height); }

const Bitmap* findIcon(int id) { return find(icons(), id); }

std::vector<int> bitmapIds() {
    std::lock_guard lock(bitmaps().mutex);
    std::vector<int> ids;
    for (const auto& [id, b] : bitmaps().byId) ids.push_back(id);
    return ids;
}

}  // namespace plat
