// Bitmap and icon resources by id. The images are our own: each id gets its size and a generated flat colour
// derived from the id (distinct ids, distinct colours); no pixels are kept until a raster back-end needs them.
// Bitmaps and icons are resources of different types, so one id may name one of each.
#pragma once
#include <vector>

#include "platform/ui/dialog.h"

namespace plat {

struct Bitmap {
    int id = 0;
    int width = 0, height = 0;
    Color color = 0;
};

// A second registration of an id replaces the first.
void registerBitmap(int id, int width, int height);
const Bitmap* findBitmap(int id);  // null when not registered
std::vector<int> bitmapIds();      // ascending
Color generatedColor(int id);

// Icons: one image each, drawn at the size of the image list that takes it.
void registerIcon(int id, int width, int height);
const Bitmap* findIcon(int id);    // null when not registered

}  // namespace plat
