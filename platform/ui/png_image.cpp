// Reading a PNG back through the drawing library.
#include "platform/ui/png_image.h"

#include "platform/ui/cairo_calls.h"

namespace plat {

Color PngImage::pixel(Point p) const {
    if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height) return 0;
    std::uint32_t v = argb[static_cast<std::size_t>(p.y) * width + p.x];
    return rgb((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int PngImage::alpha(Point p) const {
    if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height) return 0;
    return static_cast<int>(argb[static_cast<std::size_t>(p.y) * width + p.x] >> 24);
}

std::optional<PngImage> readPng(const std::string& path) {
    cairo_surface_t* s = cairo::image_surface_create_from_png(path.c_str());
    if (cairo::surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo::surface_destroy(s);
        return std::nullopt;
    }
    // Whatever format the file had, read it as 32-bit colour with alpha.
    PngImage img;
    img.width = cairo::image_surface_get_width(s);
    img.height = cairo::image_surface_get_height(s);
    cairo_surface_t* argb = cairo::image_surface_create(CAIRO_FORMAT_ARGB32, img.width, img.height);
    cairo_t* cr = cairo::create(argb);
    cairo::set_source_surface(cr, s, 0, 0);
    cairo::set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo::paint(cr);
    cairo::destroy(cr);
    cairo::surface_flush(argb);
    const unsigned char* data = cairo::image_surface_get_data(argb);
    int stride = cairo::image_surface_get_stride(argb);
    img.argb.reserve(static_cast<std::size_t>(img.width) * img.height);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            std::uint32_t v = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
            unsigned a = v >> 24;
            auto un = [a](unsigned c) { return a == 0 ? 0u : (c * 255 + a / 2) / a; };
            img.argb.push_back((a << 24) | (un((v >> 16) & 0xFF) << 16) | (un((v >> 8) & 0xFF) << 8) | un(v & 0xFF));
        }
    }
    cairo::surface_destroy(argb);
    cairo::surface_destroy(s);
    return img;
}

}  // namespace plat
