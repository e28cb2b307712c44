// A canvas that records every operation (RecordingCanvas) and also renders it into an image with the
// drawing library. Shapes are not antialiased, so pixels follow the window system's rules: a point (x, y)
// is the pixel (x, y); a one-pixel line leaves out its end pixel; a rectangle fills up to, not including,
// its right and bottom edges; a filled path takes the pixels whose centres lie inside it. Text is drawn
// antialiased in the real fonts. The image is read pixel by pixel or written as PNG.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ui/canvas.h"

typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo cairo_t;

namespace plat {

class RasterCanvas : public RecordingCanvas {
public:
    // No background: a fully transparent image (a layer to be drawn over another).
    RasterCanvas(int width, int height, std::optional<Color> background = Color{0xFFFFFF});
    ~RasterCanvas() override;
    RasterCanvas(const RasterCanvas&) = delete;
    RasterCanvas& operator=(const RasterCanvas&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // The pixel's colour (0 outside the image or where nothing covers it) and its opacity 0..255.
    Color pixel(Point p) const;
    int alpha(Point p) const;
    // Operations drawn so far; a change of this number means the image changed.
    std::uint64_t drawCount() const { return drawCount_; }
    // Starts the image again (the recorded lines stay; RecordingCanvas::clear drops those).
    void clearImage(std::optional<Color> background);
    // This image over the other one, at the same origin; not an operation of the other canvas.
    void drawOnto(RasterCanvas& target) const;
    [[nodiscard]] bool writePng(const std::string& path) const;

protected:
    void drawLine(Point from, Point to) override;
    void drawArc(const Rect& box, Point start, Point end) override;
    void drawFillRect(const Rect& r, const Brush& brush) override;
    void drawText(Point p, unsigned options, const Rect* clip, std::string_view text) override;
    void drawPath(const std::vector<PathFigure>& figures, bool fill, bool stroke) override;

private:
    void usePen(const Pen& pen, bool geometricCaps);
    int width_, height_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    std::uint64_t drawCount_ = 0;
};

}  // namespace plat
