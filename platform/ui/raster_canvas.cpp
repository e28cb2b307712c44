// Rendering of canvas operations with cairo. A drawing-API point (x, y) is the pixel whose centre is at
// (x + 0.5, y + 0.5) in cairo's coordinates; rectangles are taken at their pixel edges.
#include "platform/ui/raster_canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/sys/files.h"
#include "platform/ui/cairo_calls.h"
#include "platform/ui/cairo_fonts.h"
#include "platform/ui/text_quote.h"

namespace plat {
namespace {

void setColor(cairo_t* cr, Color c) {
    cairo::set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

double cx(int x) { return x + 0.5; }

// The arc of the ellipse that fits in `box` (right and bottom edges excluded), from the ray towards `from`
// to the ray towards `to`; the same ray both ways is the whole ellipse. Counter-clockwise on the screen is
// towards smaller angles in cairo's y-down coordinates.
void appendArc(cairo_t* cr, const Rect& box, Point from, Point to, int direction) {
    double rx = (box.right - box.left - 1) / 2.0, ry = (box.bottom - box.top - 1) / 2.0;
    if (rx <= 0 || ry <= 0) return;
    double x0 = box.left + rx, y0 = box.top + ry;
    double a1 = std::atan2((from.y - y0) / ry, (from.x - x0) / rx);
    double a2 = std::atan2((to.y - y0) / ry, (to.x - x0) / rx);
    cairo::save(cr);
    cairo::translate(cr, x0 + 0.5, y0 + 0.5);
    cairo::scale(cr, rx, ry);
    if (direction == AD_CLOCKWISE) {
        if (a2 == a1) a2 = a1 + 2 * std::numbers::pi;
        cairo::arc(cr, 0, 0, 1, a1, a2);
    } else {
        if (a2 == a1) a2 = a1 - 2 * std::numbers::pi;
        cairo::arc_negative(cr, 0, 0, 1, a1, a2);
    }
    cairo::restore(cr);  // the path stays; the scale must not reach the pen
}

}  // namespace

RasterCanvas::RasterCanvas(int width, int height, std::optional<Color> background)
    : width_(std::max(1, width)), height_(std::max(1, height)) {
    surface_ = cairo::image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
    cr_ = cairo::create(surface_);
    clearImage(background);
}

RasterCanvas::~RasterCanvas() {
    cairo::destroy(cr_);
    cairo::surface_destroy(surface_);
}

void RasterCanvas::clearImage(std::optional<Color> background) {
    cairo::save(cr_);
    cairo::set_operator(cr_, CAIRO_OPERATOR_SOURCE);
    if (background)
        setColor(cr_, *background);
    else
        cairo::set_source_rgba(cr_, 0, 0, 0, 0);
    cairo::paint(cr_);
    cairo::restore(cr_);
    cairo::set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    ++drawCount_;
}

namespace {

std::uint32_t rawPixel(cairo_surface_t* s, int w, int h, Point p) {
    if (p.x < 0 || p.y < 0 || p.x >= w || p.y >= h) return 0;
    cairo::surface_flush(s);
    const unsigned char* data = cairo::image_surface_get_data(s);
    int stride = cairo::image_surface_get_stride(s);
    return *reinterpret_cast<const std::uint32_t*>(data + p.y * stride + p.x * 4);
}

}  // namespace

Color RasterCanvas::pixel(Point p) const {
    std::uint32_t v = rawPixel(surface_, width_, height_, p);
    unsigned a = v >> 24;
    if (a == 0) return 0;
    auto channel = [a](unsigned premultiplied) { return static_cast<int>((premultiplied * 255 + a / 2) / a); };
    return rgb(channel((v >> 16) & 0xFF), channel((v >> 8) & 0xFF), channel(v & 0xFF));
}

int RasterCanvas::alpha(Point p) const { return static_cast<int>(rawPixel(surface_, width_, height_, p) >> 24); }

void RasterCanvas::drawOnto(RasterCanvas& target) const {
    cairo::surface_flush(surface_);
    cairo::save(target.cr_);
    cairo::set_source_surface(target.cr_, surface_, 0, 0);
    cairo::paint(target.cr_);
    cairo::restore(target.cr_);
    ++target.drawCount_;
}

// The image is encoded in memory and the file replaced whole: a full or read-only folder leaves no file.
bool RasterCanvas::writePng(const std::string& path) const {
    cairo::surface_flush(surface_);
    std::string png;
    const auto append = [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    };
    if (cairo::surface_write_to_png_stream(surface_, append, &png) != CAIRO_STATUS_SUCCESS) return false;
    return writeFile(path, png);
}

// Pens one pixel wide are cosmetic: styled, butt ends. Wider pens are geometric: always solid, with round
// ends and joins that reach over both end points.
void RasterCanvas::usePen(const Pen& pen, bool geometricCaps) {
    setColor(cr_, pen.color);
    int w = std::max(1, pen.width);
    cairo::set_line_width(cr_, w);
    static const double kDash[] = {18, 6}, kDot[] = {3, 3}, kDashDot[] = {9, 6, 3, 6},
                        kDashDotDot[] = {9, 3, 3, 3, 3, 3};
    const double* dashes = nullptr;
    int count = 0;
    if (w == 1) {
        switch (pen.style) {
        case PenStyle::Dash: dashes = kDash; count = 2; break;
        case PenStyle::Dot: dashes = kDot; count = 2; break;
        case PenStyle::DashDot: dashes = kDashDot; count = 4; break;
        case PenStyle::DashDotDot: dashes = kDashDotDot; count = 6; break;
        case PenStyle::Solid:
        case PenStyle::Null:
            break;
        }
    }
    cairo::set_dash(cr_, dashes, count, 0);
    bool round = w > 1 && geometricCaps;
    cairo::set_line_cap(cr_, round ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
    cairo::set_line_join(cr_, w > 1 ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
}

void RasterCanvas::drawLine(Point from, Point to) {
    RecordingCanvas::drawLine(from, to);
    ++drawCount_;
    const Pen& p = pen();
    if (p.style == PenStyle::Null || (from.x == to.x && from.y == to.y)) return;
    cairo::new_path(cr_);
    if (p.width <= 1) {
        // Shifted back half a pixel: the band covers the start pixel and stops short of the end pixel.
        double dx = to.x - from.x, dy = to.y - from.y, len = std::hypot(dx, dy);
        double ux = dx / len / 2, uy = dy / len / 2;
        cairo::move_to(cr_, cx(from.x) - ux, cx(from.y) - uy);
        cairo::line_to(cr_, cx(to.x) - ux, cx(to.y) - uy);
    } else {
        cairo::move_to(cr_, cx(from.x), cx(from.y));
        cairo::line_to(cr_, cx(to.x), cx(to.y));
    }
    usePen(p, true);
    cairo::stroke(cr_);
}

void RasterCanvas::drawArc(const Rect& box, Point start, Point end) {
    RecordingCanvas::drawArc(box, start, end);
    ++drawCount_;
    if (pen().style == PenStyle::Null) return;
    cairo::new_path(cr_);
    appendArc(cr_, box, start, end, arcDirection());
    usePen(pen(), true);
    cairo::stroke(cr_);
}

void RasterCanvas::drawFillRect(const Rect& r, const Brush& brush) {
    RecordingCanvas::drawFillRect(r, brush);
    ++drawCount_;
    if (brush.hollow || r.right <= r.left || r.bottom <= r.top) return;
    cairo::new_path(cr_);
    cairo::rectangle(cr_, r.left, r.top, r.width(), r.height());
    setColor(cr_, brush.color);
    cairo::fill(cr_);
}

void RasterCanvas::drawText(Point p, unsigned options, const Rect* clip, std::string_view text) {
    RecordingCanvas::drawText(p, options, clip, text);
    ++drawCount_;
    TextMetrics m = textMetrics();
    Size ext = textExtent(text);
    unsigned align = textAlign();
    int x = (align & TA_CENTER) == TA_CENTER ? p.x - ext.cx / 2 : (align & TA_RIGHT) ? p.x - ext.cx : p.x;
    int top = (align & TA_BASELINE) == TA_BASELINE ? p.y - m.ascent : (align & TA_BOTTOM) ? p.y - m.height : p.y;
    cairo::save(cr_);
    cairo::new_path(cr_);
    if (clip && (options & ETO_OPAQUE) && clip->right > clip->left && clip->bottom > clip->top) {
        cairo::rectangle(cr_, clip->left, clip->top, clip->width(), clip->height());
        setColor(cr_, bkColor());
        cairo::fill(cr_);
    }
    if (clip && (options & ETO_CLIPPED)) {
        cairo::rectangle(cr_, clip->left, clip->top, std::max(0, clip->width()), std::max(0, clip->height()));
        cairo::clip(cr_);
    }
    if (bkMode() == OPAQUE && ext.cx > 0) {
        cairo::rectangle(cr_, x, top, ext.cx, m.height);
        setColor(cr_, bkColor());
        cairo::fill(cr_);
    }
    std::string utf8 = cp1252ToUtf8(text);
    cairo::set_scaled_font(cr_, scaledFont(font()));
    setColor(cr_, textColor());
    cairo::move_to(cr_, x, top + m.ascent);
    cairo::show_text(cr_, utf8.c_str());
    cairo::restore(cr_);
}

void RasterCanvas::drawPath(const std::vector<PathFigure>& figures, bool fill, bool stroke) {
    RecordingCanvas::drawPath(figures, fill, stroke);
    ++drawCount_;
    cairo::new_path(cr_);
    for (const PathFigure& f : figures) {
        bool startsWithArc = !f.segments.empty() && f.segments.front().kind == PathSegment::Kind::Arc;
        if (startsWithArc)
            cairo::new_sub_path(cr_);
        else
            cairo::move_to(cr_, cx(f.start.x), cx(f.start.y));
        for (const PathSegment& s : f.segments) {
            switch (s.kind) {
            case PathSegment::Kind::Line:
                cairo::line_to(cr_, cx(s.to.x), cx(s.to.y));
                break;
            case PathSegment::Kind::Arc:
                appendArc(cr_, s.box, s.start, s.end, s.direction);
                break;
            }
        }
        if (f.closed) cairo::close_path(cr_);
    }
    if (fill && !brush().hollow) {
        cairo::set_fill_rule(cr_, polyFillMode() == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
        setColor(cr_, brush().color);
        cairo::fill_preserve(cr_);
    }
    if (stroke && pen().style != PenStyle::Null) {
        usePen(pen(), true);
        cairo::stroke_preserve(cr_);
    }
    cairo::new_path(cr_);
}

}  // namespace plat
