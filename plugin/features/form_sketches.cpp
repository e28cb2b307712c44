// Lines, arrowheads and thread sketches of the form pictures.
#include "plugin/services/features.h"

#include <cmath>

namespace {

void solidLine(plat::Canvas& dc, int width, int x1, int y1, int x2, int y2, plat::Color colour) {
    const plat::Pen old = dc.selectPen({plat::PenStyle::Solid, width, colour});
    dc.moveTo({x1, y1});
    dc.lineTo({x2, y2});
    dc.selectPen(old);
}

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

void drawLineSolid3(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour) {
    solidLine(dc, 3, x1, y1, x2, y2, colour);
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
