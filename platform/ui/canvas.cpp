// Canvas state and paths, and the recording back-end. A path is built between beginPath and endPath and
// used (filled, stroked) once; using it discards it, as the drawing API does.
#include "platform/ui/canvas.h"

#include <utility>

#include "platform/ui/font_engine.h"
#include "platform/ui/text_quote.h"

namespace plat {

Pen Canvas::selectPen(const Pen& pen) { return std::exchange(pen_, pen); }
Brush Canvas::selectBrush(const Brush& brush) { return std::exchange(brush_, brush); }
Font Canvas::selectFont(const Font& font) { return std::exchange(font_, font); }
Color Canvas::setTextColor(Color c) { return std::exchange(textColor_, c); }
unsigned Canvas::setTextAlign(unsigned align) { return std::exchange(textAlign_, align); }

int Canvas::setPolyFillMode(int mode) {
    if (mode != ALTERNATE && mode != WINDING) return 0;
    return std::exchange(polyFillMode_, mode);
}

int Canvas::setArcDirection(int dir) {
    if (dir != AD_COUNTERCLOCKWISE && dir != AD_CLOCKWISE) return 0;
    return std::exchange(arcDirection_, dir);
}

int Canvas::setBkMode(int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    return std::exchange(bkMode_, mode);
}

Color Canvas::setBkColor(Color c) { return std::exchange(bkColor_, c); }

void Canvas::resetState() {
    pen_ = Pen{};
    brush_ = Brush{};
    font_ = Font{};
    textColor_ = 0;
    bkColor_ = 0xFFFFFF;
    bkMode_ = OPAQUE;
    textAlign_ = TA_LEFT | TA_TOP;
    polyFillMode_ = ALTERNATE;
    arcDirection_ = AD_COUNTERCLOCKWISE;
    pos_ = Point{};
    abortPath();
}

Point Canvas::moveTo(Point p) {
    if (inPath_ && !path_.empty() && path_.back().segments.empty()) {
        path_.back().start = p;  // a figure is only its last move until a segment follows
    } else if (inPath_) {
        PathFigure f;
        f.start = p;
        path_.push_back(f);
    }
    return std::exchange(pos_, p);
}

void Canvas::lineTo(Point p) {
    if (inPath_) {
        if (path_.empty() || path_.back().closed) {
            PathFigure f;
            f.start = pos_;
            path_.push_back(f);
        }
        PathSegment s;
        s.to = p;
        path_.back().segments.push_back(s);
    } else {
        drawLine(pos_, p);
    }
    pos_ = p;
}

void Canvas::arc(const Rect& box, Point start, Point end) {
    if (inPath_) {
        // An arc in a path is a figure of its own.
        PathFigure f;
        f.start = start;
        PathSegment s;
        s.kind = PathSegment::Kind::Arc;
        s.box = box;
        s.start = start;
        s.end = end;
        s.direction = arcDirection_;
        f.segments.push_back(s);
        path_.push_back(f);
        return;
    }
    drawArc(box, start, end);
}

void Canvas::fillRect(const Rect& r, const Brush& brush) { drawFillRect(r, brush); }

void Canvas::extTextOut(Point p, unsigned options, const Rect* clip, std::string_view text) {
    drawText(p, options, (options & (ETO_CLIPPED | ETO_OPAQUE)) != 0 ? clip : nullptr, text);
}

void Canvas::beginPath() {
    path_.clear();
    inPath_ = true;
    pathReady_ = false;
}

void Canvas::endPath() {
    if (!inPath_) return;
    inPath_ = false;
    pathReady_ = true;
}

void Canvas::closeFigure() {
    if (inPath_ && !path_.empty()) path_.back().closed = true;
}

void Canvas::abortPath() {
    path_.clear();
    inPath_ = false;
    pathReady_ = false;
}

void Canvas::usePath(bool fill, bool stroke) {
    if (!pathReady_) return;  // no closed-off path: the call fails, nothing is drawn
    if (fill)
        for (PathFigure& f : path_) f.closed = true;  // filling closes open figures
    drawPath(path_, fill, stroke);
    path_.clear();
    pathReady_ = false;
}

void Canvas::fillPath() { usePath(true, false); }
void Canvas::strokePath() { usePath(false, true); }
void Canvas::strokeAndFillPath() { usePath(true, true); }

TextMetrics Canvas::textMetrics() const { return fontMetrics(font_); }

Size Canvas::textExtent(std::string_view text) const { return fontTextExtent(font_, text); }

// ---- recording ------------------------------------------------------------------------------------------

namespace {

std::string pt(Point p) { return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")"; }

std::string rc(const Rect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

std::string penText(const Pen& p) {
    const char* style = "solid";
    switch (p.style) {
    case PenStyle::Solid: style = "solid"; break;
    case PenStyle::Dash: style = "dash"; break;
    case PenStyle::Dot: style = "dot"; break;
    case PenStyle::DashDot: style = "dashdot"; break;
    case PenStyle::DashDotDot: style = "dashdotdot"; break;
    case PenStyle::Null: return "pen=null";
    }
    return std::string("pen=") + style + "/" + std::to_string(p.width) + "/" + colorText(p.color);
}

std::string brushText(const Brush& b) { return "brush=" + (b.hollow ? std::string("null") : colorText(b.color)); }

std::string alignText(unsigned a) {
    std::string h = (a & TA_CENTER) == TA_CENTER ? "center" : (a & TA_RIGHT) ? "right" : "left";
    std::string v = (a & TA_BASELINE) == TA_BASELINE ? "baseline" : (a & TA_BOTTOM) ? "bottom" : "top";
    return h + "|" + v;
}

std::string dirText(int d) { return d == AD_CLOCKWISE ? "cw" : "ccw"; }

}  // namespace

std::string RecordingCanvas::text() const {
    std::string out;
    for (const std::string& l : lines_) out += l + "\n";
    return out;
}

void RecordingCanvas::drawLine(Point from, Point to) {
    lines_.push_back("line " + pt(from) + "-" + pt(to) + " " + penText(pen()));
}

void RecordingCanvas::drawArc(const Rect& box, Point start, Point end) {
    lines_.push_back("arc box=" + rc(box) + " from=" + pt(start) + " to=" + pt(end) + " " + dirText(arcDirection()) +
                     " " + penText(pen()));
}

void RecordingCanvas::drawFillRect(const Rect& r, const Brush& brush) {
    lines_.push_back("fillrect " + rc(r) + " " + brushText(brush));
}

void RecordingCanvas::drawText(Point p, unsigned options, const Rect* clip, std::string_view text) {
    std::string line = "text " + pt(p) + " " + quoteText(text) + " font=" + quoteText(font().face) + "/" +
                       std::to_string(font().height) +
                       (font().weight != 400 ? "/" + std::to_string(font().weight) : std::string()) +
                       " color=" + colorText(textColor()) +
                       " bk=" + (bkMode() == OPAQUE ? colorText(bkColor()) : std::string("none")) +
                       " align=" + alignText(textAlign());
    if (clip && (options & ETO_CLIPPED)) line += " clip=" + rc(*clip);
    if (clip && (options & ETO_OPAQUE)) line += " opaque=" + rc(*clip);
    lines_.push_back(line);
}

void RecordingCanvas::drawPath(const std::vector<PathFigure>& figures, bool fill, bool stroke) {
    std::string line = std::string("path ") + (fill && stroke ? "strokefill" : fill ? "fill" : "stroke");
    if (fill) line += std::string(" mode=") + (polyFillMode() == WINDING ? "winding" : "alternate") + " " + brushText(brush());
    if (stroke) line += " " + penText(pen());
    for (const PathFigure& f : figures) {
        line += " {" + pt(f.start);
        for (const PathSegment& s : f.segments) {
            switch (s.kind) {
            case PathSegment::Kind::Line:
                line += " " + pt(s.to);
                break;
            case PathSegment::Kind::Arc:
                line += " arc" + rc(s.box) + pt(s.start) + pt(s.end) + dirText(s.direction);
                break;
            }
        }
        line += f.closed ? " close}" : "}";
    }
    lines_.push_back(line);
}

}  // namespace plat
