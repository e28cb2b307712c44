// Drawing surface with the device-context state of the window system's drawing API: selected pen, brush
// and font (selecting returns the previous one, to select back), text colour, background and alignment,
// polygon fill mode, arc direction, current position and one path. Integer pixels, y down. The base class
// keeps the state, builds paths and measures text with the real fonts (font_engine.h); a back-end receives
// each operation with the state resolved.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/dialog.h"

namespace plat {

struct Size { int cx = 0, cy = 0; };

enum class PenStyle { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Null = 5 };
struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    Color color = 0;
};
struct Brush {
    bool hollow = false;
    Color color = 0xFFFFFF;
    static Brush solid(Color c) { return {false, c}; }
    static Brush null() { return {true, 0}; }
};
// Height as the drawing API takes it: positive = cell height, negative = character height.
struct Font {
    std::string face = "System";
    int height = 16;
    int weight = 400;
};
struct TextMetrics {
    int height = 0, ascent = 0, descent = 0, internalLeading = 0, aveCharWidth = 0;
};

constexpr unsigned TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24;
constexpr int ALTERNATE = 1, WINDING = 2;
constexpr int AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2;
constexpr unsigned ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4;
constexpr int TRANSPARENT = 1, OPAQUE = 2;

// One figure of a path: a start point and segments; an arc segment carries its box and end points.
struct PathSegment {
    enum class Kind { Line, Arc } kind = Kind::Line;
    Point to;             // Line: end point
    Rect box;             // Arc: bounding box
    Point start, end;     // Arc: radial end points
    int direction = AD_COUNTERCLOCKWISE;
};
struct PathFigure {
    Point start;
    std::vector<PathSegment> segments;
    bool closed = false;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    Pen selectPen(const Pen& pen);
    Brush selectBrush(const Brush& brush);
    Font selectFont(const Font& font);
    const Pen& pen() const { return pen_; }
    const Brush& brush() const { return brush_; }
    const Font& font() const { return font_; }
    Color setTextColor(Color c);
    Color textColor() const { return textColor_; }
    unsigned setTextAlign(unsigned align);
    unsigned textAlign() const { return textAlign_; }
    int setPolyFillMode(int mode);
    int polyFillMode() const { return polyFillMode_; }
    int setArcDirection(int dir);
    int arcDirection() const { return arcDirection_; }
    // Text is drawn on a box of the background colour unless the mode is TRANSPARENT; the defaults
    // (OPAQUE, white) are the window system's, which drawing code that never sets them relies on.
    int setBkMode(int mode);
    int bkMode() const { return bkMode_; }
    Color setBkColor(Color c);
    Color bkColor() const { return bkColor_; }
    // Back to the state of a fresh device context; a path being built is dropped.
    void resetState();

    Point moveTo(Point p);  // returns the previous position
    Point currentPosition() const { return pos_; }
    void lineTo(Point p);
    // Arc on the ellipse in `box`, from the ray towards `start` to the ray towards `end`, in the current
    // arc direction. Does not use or move the current position.
    void arc(const Rect& box, Point start, Point end);
    void fillRect(const Rect& r, const Brush& brush);
    void fillSolidRect(const Rect& r, Color c) { fillRect(r, Brush::solid(c)); }
    void textOut(Point p, std::string_view text) { extTextOut(p, 0, nullptr, text); }
    void extTextOut(Point p, unsigned options, const Rect* clip, std::string_view text);

    // Between beginPath and endPath, moveTo/lineTo/arc build the path instead of drawing.
    void beginPath();
    void endPath();
    void closeFigure();
    void abortPath();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    bool inPath() const { return inPath_; }

    // Of the selected font, measured from its glyphs.
    TextMetrics textMetrics() const;
    Size textExtent(std::string_view text) const;

protected:
    virtual void drawLine(Point from, Point to) = 0;
    virtual void drawArc(const Rect& box, Point start, Point end) = 0;
    virtual void drawFillRect(const Rect& r, const Brush& brush) = 0;
    virtual void drawText(Point p, unsigned options, const Rect* clip, std::string_view text) = 0;
    virtual void drawPath(const std::vector<PathFigure>& figures, bool fill, bool stroke) = 0;

private:
    void usePath(bool fill, bool stroke);
    Pen pen_;
    Brush brush_;
    Font font_;
    Color textColor_ = 0;
    Color bkColor_ = 0xFFFFFF;
    int bkMode_ = OPAQUE;
    unsigned textAlign_ = TA_LEFT | TA_TOP;
    int polyFillMode_ = ALTERNATE;
    int arcDirection_ = AD_COUNTERCLOCKWISE;
    Point pos_;
    bool inPath_ = false;
    bool pathReady_ = false;
    std::vector<PathFigure> path_;
};

// Writes every operation as one text line with its resolved state, e.g.
//   line (12,40)-(80,40) pen=solid/1/#000000
//   text (10,20) "Ø 8" font="Arial"/13 color=#000000 bk=#FFFFFF align=center|baseline clip=(0,0,50,20)
//   (bk=none for a transparent background; a weight other than 400 follows the height: "Arial"/13/700)
//   path fill mode=alternate brush=#CE8A00 {(1,2) (3,4) (5,6) close}
class RecordingCanvas : public Canvas {
public:
    const std::vector<std::string>& lines() const { return lines_; }
    std::string text() const;  // the lines joined, each ending in '\n'
    void clear() { lines_.clear(); }

protected:
    void drawLine(Point from, Point to) override;
    void drawArc(const Rect& box, Point start, Point end) override;
    void drawFillRect(const Rect& r, const Brush& brush) override;
    void drawText(Point p, unsigned options, const Rect* clip, std::string_view text) override;
    void drawPath(const std::vector<PathFigure>& figures, bool fill, bool stroke) override;

private:
    std::vector<std::string> lines_;
};

}  // namespace plat
