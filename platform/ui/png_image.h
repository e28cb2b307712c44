// A PNG file read back into memory, to check what a raster canvas or a window's picture wrote.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"

namespace plat {

struct PngImage {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;  // row by row, 0xAARRGGBB, not premultiplied
    Color pixel(Point p) const;       // 0 outside the image
    int alpha(Point p) const;
};

// Nothing when the file is missing or is not a PNG.
std::optional<PngImage> readPng(const std::string& path);

}  // namespace plat
