// Lines, arcs, arrowheads, mark symbols, texts and thread sketches of the form pictures (the tables' pictures
// and the form design dialog's preview).
#include "plugin/services/features.h"

#include <cmath>

namespace {

void styledLine(plat::Canvas& dc, plat::PenStyle style, int width, int x1, int y1, int x2, int y2,
                plat::Color colour) {
    const plat::Pen old = dc.selectPen({style, width, colour});
    dc.moveTo({x1, y1});
    dc.lineTo({x2, y2});
    dc.selectPen(old);
}

void solidLine(plat::Canvas& dc, int width, int x1, int y1, int x2, int y2, plat::Color colour) {
    styledLine(dc, plat::PenStyle::Solid, width, x1, y1, x2, y2, colour);
}

// The point `length` away in the direction, each offset cut toward zero.
plat::Point along(plat::Point from, double degrees, int length) {
    const double a = degrees * M_PI / 180.0;
    return {from.x + static_cast<int>(length * std::cos(a)), from.y + static_cast<int>(-length * std::sin(a))};
}

void fillQuad(plat::Canvas& dc, plat::Point a, plat::Point b, plat::Point c, plat::Point d) {
    dc.beginPath();
    dc.moveTo(a);
    dc.lineTo(b);
    dc.lineTo(c);
    dc.lineTo(d);
    dc.lineTo(a);
    dc.endPath();
    dc.fillPath();
}

}  // namespace

void drawLineSolid1(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour) {
    solidLine(dc, 1, x1, y1, x2, y2, colour);
}

void drawLineSolid2(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour) {
    solidLine(dc, 2, x1, y1, x2, y2, colour);
}

void drawLineSolid3(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour) {
    solidLine(dc, 3, x1, y1, x2, y2, colour);
}

void drawLineStyle3(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour) {
    styledLine(dc, plat::PenStyle::DashDot, 1, x1, y1, x2, y2, colour);
}

void drawArcPath(plat::Canvas& dc, int cx, int cy, int radius, double start, double sweep, plat::Color colour) {
    const plat::Pen oldPen = dc.selectPen({plat::PenStyle::Solid, 1, colour});
    const int oldDirection = dc.setArcDirection(sweep >= 0 ? plat::AD_COUNTERCLOCKWISE : plat::AD_CLOCKWISE);
    const plat::Point centre{cx, cy};
    dc.arc({cx - radius, cy - radius, cx + radius, cy + radius}, along(centre, start, radius),
           along(centre, start + sweep, radius));
    dc.setArcDirection(oldDirection);
    dc.selectPen(oldPen);
}

void drawFilledArc(plat::Canvas& dc, int x, int y, double direction, int length, plat::Color colour) {
    const plat::Pen oldPen = dc.selectPen({plat::PenStyle::Solid, 1, colour});
    const plat::Brush oldBrush = dc.selectBrush(plat::Brush::solid(colour));
    const int oldMode = dc.setPolyFillMode(plat::WINDING);
    const plat::Point tip{x, y};
    dc.beginPath();
    dc.moveTo(tip);
    dc.lineTo(along(tip, direction + 18, length));
    dc.lineTo(along(tip, direction - 18, length));
    dc.lineTo(tip);
    dc.endPath();
    dc.strokeAndFillPath();
    dc.setPolyFillMode(oldMode);
    dc.selectBrush(oldBrush);
    dc.selectPen(oldPen);
}

void drawMarkSymbol(plat::Canvas& dc, int x, int y, double direction, plat::Color colour) {
    constexpr int kSide = 12;
    constexpr double kHalfAngle = 25;
    const int spacing = static_cast<int>(kSide * std::sin(kHalfAngle * M_PI / 180.0));
    const plat::Pen oldPen = dc.selectPen({plat::PenStyle::Solid, 1, colour});
    const plat::Point point{x, y};
    // Side by side across the direction.
    for (const plat::Point apex : {point, along(point, direction + 90, spacing), along(point, direction - 90, spacing)}) {
        dc.moveTo(apex);
        dc.lineTo(along(apex, direction + kHalfAngle, kSide));
        dc.lineTo(along(apex, direction - kHalfAngle, kSide));
        dc.lineTo(apex);
    }
    dc.selectPen(oldPen);
}

void drawTextRightAligned(plat::Canvas& dc, int x, int y, std::string_view text, plat::Color colour) {
    const plat::Color oldColour = dc.setTextColor(colour);
    const unsigned oldAlign = dc.setTextAlign(plat::TA_RIGHT);
    dc.textOut({x, y}, text);
    dc.setTextAlign(oldAlign);
    dc.setTextColor(oldColour);
}

void drawShapeSketch(plat::Canvas& dc, int cx, int top, int d, int h, int p, int length, plat::Color penColour,
                     plat::Color fillColour) {
    if (d < 1 || h < 1 || p < 1 || length < 1) return;
    const plat::Pen oldPen = dc.selectPen({plat::PenStyle::Solid, 1, penColour});
    const plat::Brush oldBrush = dc.selectBrush(plat::Brush::solid(fillColour));
    const int oldMode = dc.setPolyFillMode(plat::WINDING);
    const int w = d + 2 * h;
    const int xL = cx - w / 2, xR = cx + w / 2;
    auto line = [&](int x1, int y1, int x2, int y2) {
        dc.moveTo({x1, y1});
        dc.lineTo({x2, y2});
    };
    int y = top;
    for (;;) {
        const int mid = y + p / 2;
        fillQuad(dc, {xL, y}, {xR, y}, {xR - h, mid}, {xL + h, mid});
        line(xL, y, xL + h, mid);
        line(xR, y, xR - h, mid);
        if (length < (mid - top) + 2 * p) break;
        fillQuad(dc, {xL + h, mid}, {xR - h, mid}, {xR, y + p}, {xL, y + p});
        line(xL + h, mid, xL, y + p);
        line(xR - h, mid, xR, y + p);
        y += p;
    }
    line(xL + h, y + p / 2, xL + h, top + length);
    line(xR - h, y + p / 2, xR - h, top + length);
    line(cx - w / 2, top, cx + w / 2, top);
    dc.setPolyFillMode(oldMode);
    dc.selectBrush(oldBrush);
    dc.selectPen(oldPen);
}
