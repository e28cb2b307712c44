// A table's hole form as a small picture in a dialog control: the proportions of its kind-1 items (generic,
// or those of a row) and their drawing as a filled section with drill points, threads, dimension marks and
// an optional frame.
#include <algorithm>
#include <cmath>

#include "platform/ui/canvas.h"
#include "platform/ui/dialog.h"
#include "plugin/base/globals.h"
#include "plugin/services/features.h"
#include "plugin/services/tables.h"
#include "plugin/tables/form_cells.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/thread_tables.h"

namespace {

const plat::Color kBackground = plat::rgb(125, 117, 125), kSection = plat::rgb(206, 138, 0),
                  kThreadFill = plat::rgb(156, 88, 0), kMarks = plat::rgb(250, 0, 0),
                  kFrame = plat::rgb(255, 0, 0), kBlack = 0, kTitle = plat::rgb(255, 255, 183),
                  kEmpty = plat::rgb(214, 211, 206);
constexpr int kArrow = 9;

// Truncated towards zero, kept inside what an i32 holds (cells may hold any number).
std::int32_t truncated(double v) {
    if (!(v == v)) return 0;
    return static_cast<std::int32_t>(std::clamp(v, -1e9, 1e9));
}

struct ITEM_VALUES {
    double c1 = 0, c2 = 0, half = 0;
    bool hasLength = false, hasAngle = false, threaded = false;
    double nominal = 0, pitch = 0;
};

// 0, or 2 when the thread of a threaded item is in no thread table.
int itemValues(const CTabColsDesc& t, const TAB_DESC_ITEM& item, const std::vector<std::string>& row, ITEM_VALUES* v) {
    v->c1 = cellNumber(row, item.colId1);
    v->c2 = cellNumber(row, item.colId2);
    v->hasLength = item.colId2 >= 2;
    v->hasAngle = item.colId3 != 0;
    v->half = v->hasAngle ? cellNumber(row, item.colId3) * M_PI / 180.0 / 2 : 0;
    v->threaded = item.a != 0;
    if (!v->threaded) return 0;
    if (t.tableClass == kTableThread) {
        v->nominal = cellNumber(row, 2);
        v->pitch = cellNumber(row, 3);
        return 0;
    }
    double drilled = 0;
    return findThreadRow(rowCell(row, item.colId1), -1, &v->nominal, &v->pitch, &drilled, nullptr, nullptr, nullptr)
               ? 0 : 2;
}

double itemLength(const ITEM_VALUES& v, double diameter, int m) {
    const double t4 = g_tolerances.tol4T;
    double length = v.hasLength ? v.c2 : (m == 1 ? 1.4 * diameter : diameter);
    if (length < t4) length = 100 * t4;
    return length;
}

std::string trimmedText(const std::string& text) {
    const std::size_t b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return text.substr(b, text.find_last_not_of(" \t\r\n") - b + 1);
}

}  // namespace

int CTabColsDesc::tablePictureGeometry(const std::vector<std::string>* rowCells, int maxWidth, int maxHeight) {
    const int m = cylinderItemCount;
    if (m < 1) return 1;
    pictureSteps.assign(static_cast<std::size_t>(m), TAB_PICTURE_STEP{});
    auto itemAt = [&](int j) -> const TAB_DESC_ITEM& {
        const int i = nthNumericItem(j);
        static const TAB_DESC_ITEM kNone;
        return i < 0 ? kNone : items[static_cast<std::size_t>(i)];
    };
    if (rowCells && !trimmedText(rowCell(*rowCells, 1)).empty()) {
        const std::vector<std::string>& row = *rowCells;
        ITEM_VALUES v;
        if (itemValues(*this, itemAt(0), row, &v)) return 2;
        double widthRef = v.c1;
        if (v.threaded) {
            widthRef = v.nominal;
        } else if (v.hasAngle) {
            widthRef = v.c1 + 2 * itemLength(v, v.c1, m) * std::tan(v.half);
        }
        double lengthSum = 0;
        for (int j = 0; j < m; ++j) {
            if (itemValues(*this, itemAt(j), row, &v)) return 2;
            lengthSum += itemLength(v, v.threaded ? v.nominal - v.pitch : v.c1, m);
        }
        // A first diameter or a total length of 0 (or not a number) has no scale: nothing is drawn.
        if (!(widthRef > 0) || !(lengthSum > 0)) return 1;
        const double scale = std::min(std::trunc(maxWidth / widthRef * 100), std::trunc(maxHeight / lengthSum * 100));
        double previous = 0;
        for (int j = 0; j < m; ++j) {
            TAB_PICTURE_STEP& step = pictureSteps[static_cast<std::size_t>(j)];
            if (itemValues(*this, itemAt(j), row, &v)) return 2;
            double diameter = v.c1, pitch = 0;
            if (v.threaded) {
                pitch = v.pitch;
                step.pitch = truncated(scale * pitch) / 100;
                step.toothDepth = truncated(scale * 0.8 * pitch) / 100;
                diameter = v.nominal - 1.6 * pitch;
            }
            double length = itemLength(v, diameter + pitch, m);
            double top = diameter;
            if (v.hasAngle) {
                if (j > 0) {
                    const double x = (previous - diameter) / 2 / std::tan(v.half);
                    if (x < length) length = x;
                }
                top = diameter + 2 * length * std::tan(v.half);
            }
            step.bottomWidth = truncated(scale * diameter) / 100;
            step.topWidth = truncated(scale * top) / 100;
            step.height = truncated(scale * length) / 100;
            previous = diameter;
        }
        return 0;
    }
    int w0 = 80, h0 = 90;
    if (m == 1) w0 = 32, h0 = 80;
    else if (m == 2) w0 = 45;
    else if (m <= 4) w0 = 62;
    const int u = w0 / m;
    int extra = 0;
    for (int j = 0; j < m; ++j) {
        const TAB_DESC_ITEM& item = itemAt(j);
        if (item.b == 0) extra += u / 4;
        if (item.colId3 != 0) extra += 3 * u / 4;
    }
    const int unit = (h0 - extra) / m;
    for (int j = 0; j < m; ++j) {
        const TAB_DESC_ITEM& item = itemAt(j);
        TAB_PICTURE_STEP& step = pictureSteps[static_cast<std::size_t>(j)];
        const bool angle = item.colId3 != 0;
        step.bottomWidth = w0 - j * u;
        step.topWidth = step.bottomWidth + (angle ? u / 2 : 0);
        step.height = unit + (angle ? 3 * u / 4 : 0);
        step.pitch = step.toothDepth = item.a != 0 ? 5 : 0;
    }
    return 0;
}

void CTabColsDesc::clearTablePicture(plat::Canvas& dc, int, int, const plat::Control& control) const {
    const plat::Rect r = control.rect();
    dc.fillSolidRect({r.left + 1, r.top + 1, r.right - 2, r.bottom - 2}, kEmpty);
}

int CTabColsDesc::drawTablePicture(plat::Canvas& dc, int offsetX, int offsetY, const plat::Control& control,
                                   std::int16_t withTitle, std::int16_t withLabels, std::int16_t framed,
                                   const std::vector<std::string>* rowCells,
                                   std::vector<plat::Point>* diameterLabelPoints,
                                   std::vector<plat::Point>* lengthLabelPoints,
                                   std::vector<plat::Point>* angleLabelPoints) {
    const plat::Rect rc = control.rect();
    int gap = 0, descent = 0;
    if (withTitle) {
        const plat::Font oldFont = dc.selectFont({"Arial", 13, 400});
        dc.setTextAlign(plat::TA_CENTER | plat::TA_TOP);
        dc.setTextColor(kTitle);
        const plat::TextMetrics tm = dc.textMetrics();
        const plat::Rect band{rc.left + offsetX + 1, rc.top + offsetY, rc.right + offsetX - 2, rc.bottom + offsetY};
        dc.extTextOut({(band.left + band.right) / 2, rc.top + offsetY + tm.height / 4}, plat::ETO_CLIPPED, &band,
                      " " + name + " ");
        dc.selectFont(oldFont);
        gap = tm.height * 175 / 100;
        descent = tm.descent;
    } else {
        const plat::TextMetrics tm = dc.textMetrics();
        gap = tm.height * 108 / 100;
        descent = tm.descent;
    }
    const plat::Rect area{rc.left + offsetX + 1, rc.top + offsetY + gap, rc.right + offsetX - 2, rc.bottom + offsetY - 1};
    if (const int result = tablePictureGeometry(rowCells, 90, 120)) return result;
    const int m = cylinderItemCount;
    const int z = std::min(area.width() * 90 / 100, area.height());
    auto px = [z](std::int32_t v) { return v * z / 100; };

    dc.fillSolidRect(area, kBackground);
    drawLineSolid1(dc, area.left, area.top, area.right, area.top, kBlack);
    int cx = (area.left + area.right) / 2;
    if (withLabels && m > 1) cx -= area.width() * 10 / 100;

    struct OUTLINE { plat::Point p[6]; };
    std::vector<OUTLINE> outline(static_cast<std::size_t>(m));
    int y = area.top;
    for (int j = 0; j < m; ++j) {
        const TAB_PICTURE_STEP& s = pictureSteps[static_cast<std::size_t>(j)];
        const TAB_DESC_ITEM& item = items[static_cast<std::size_t>(nthNumericItem(j))];
        const int b = px(s.bottomWidth), t = px(s.topWidth), h = px(s.height);
        plat::Point* p = outline[static_cast<std::size_t>(j)].p;
        p[0] = {cx - t / 2, y};
        p[1] = {cx + t / 2, y};
        y += h;
        p[2] = {cx - b / 2, y};
        p[3] = {cx + b / 2, y};
        p[4] = p[2];
        p[5] = p[3];
        if (item.b == 0) {
            int d = b;
            if (j + 1 < m) {
                const TAB_PICTURE_STEP& next = pictureSteps[static_cast<std::size_t>(j + 1)];
                d = b - (next.topWidth + 2 * next.toothDepth) * z / 100;
            }
            p[4] = {p[2].x + d / 2, y + d / 4};
            p[5] = {p[3].x - d / 2, y + d / 4};
            y += d / 4;
        }
    }

    const int oldMode = dc.setPolyFillMode(plat::ALTERNATE);
    const plat::Brush oldBrush = dc.selectBrush(plat::Brush::solid(kSection));
    for (const OUTLINE& o : outline) {
        const plat::Point* p = o.p;
        dc.beginPath();
        dc.moveTo(p[0]);
        for (int k : {2, 4, 5, 3, 1, 0}) dc.lineTo(p[k]);
        dc.endPath();
        dc.fillPath();
    }
    dc.selectBrush(oldBrush);
    dc.setPolyFillMode(oldMode);

    auto line = [&dc](plat::Point a, plat::Point b, plat::Color c) { drawLineSolid1(dc, a.x, a.y, b.x, b.y, c); };
    for (int j = 0; j < m; ++j) {
        const plat::Point* p = outline[static_cast<std::size_t>(j)].p;
        const TAB_PICTURE_STEP& s = pictureSteps[static_cast<std::size_t>(j)];
        line(p[0], p[1], kBlack);
        line(p[2], p[3], kBlack);
        line(p[2], p[4], kBlack);
        line(p[4], p[5], kBlack);
        line(p[5], p[3], kBlack);
        if (items[static_cast<std::size_t>(nthNumericItem(j))].a == 1) {
            drawShapeSketch(dc, (p[0].x + p[1].x) / 2, p[0].y, p[1].x - p[0].x, px(s.toothDepth), px(s.pitch),
                            p[2].y - p[0].y, kBlack, kThreadFill);
        } else {
            line(p[0], p[2], kBlack);
            line(p[1], p[3], kBlack);
        }
    }

    if (withLabels) {
        const plat::Font oldFont = dc.selectFont({"Arial", 12, 400});
        const unsigned oldAlign = dc.textAlign();
        auto label = [&](std::vector<plat::Point>* store, int j, plat::Point at, std::int16_t colId, unsigned align,
                         const char* fixed) {
            at.y += descent;
            if (store) {
                if (store->size() < static_cast<std::size_t>(m)) store->resize(static_cast<std::size_t>(m));
                (*store)[static_cast<std::size_t>(j)] = at;
                return;
            }
            std::string heading = fixed ? fixed : "";
            if (!fixed) getColumnInfo(colId, &heading, nullptr, nullptr, nullptr);
            dc.setTextAlign(align | plat::TA_BASELINE);
            dc.textOut(at, heading);
        };
        const plat::Point* first = outline[0].p;
        const int xv = (first[1].x + area.right) / 2 - 3;
        for (int j = 0; j < m; ++j) {
            const plat::Point* p = outline[static_cast<std::size_t>(j)].p;
            const TAB_DESC_ITEM& item = items[static_cast<std::size_t>(nthNumericItem(j))];
            const int hd = p[2].y - p[0].y;
            const int midX = (p[0].x + p[1].x) / 2;
            int dy = (p[0].y + p[2].y) / 2;
            plat::Point from = {p[0].x, dy}, to = {p[1].x, dy};
            if (item.colId3 != 0) {
                dy = p[2].y - hd / 5;
                from = {p[2].x, dy};
                to = {p[3].x, dy};
                line({p[2].x, p[2].y - hd / 4}, p[2], kMarks);
                line({p[3].x, p[2].y - hd / 4}, p[3], kMarks);
            }
            line(from, to, kMarks);
            drawFilledArc(dc, from.x, from.y, 0, kArrow, kMarks);
            drawFilledArc(dc, to.x, to.y, 180, kArrow, kMarks);
            label(diameterLabelPoints, j, {midX, dy}, item.colId1, plat::TA_CENTER,
                  tableClass == kTableThread ? "Dxp" : nullptr);
            if (item.colId3 != 0) {
                const int tw = p[1].x - p[0].x, dx = (p[2].x - p[0].x) / 2;
                const plat::Point apex{midX, p[0].y + hd / 3};
                const plat::Point left{p[0].x + dx, apex.y + tw / 12}, right{p[1].x - dx, apex.y + tw / 12};
                line(left, apex, kMarks);
                line(apex, right, kMarks);
                drawFilledArc(dc, left.x, left.y, 10, kArrow, kMarks);
                drawFilledArc(dc, right.x, right.y, 170, kArrow, kMarks);
                label(angleLabelPoints, j, apex, item.colId3, plat::TA_CENTER, nullptr);
            }
            const plat::Point* prev = j > 0 ? outline[static_cast<std::size_t>(j - 1)].p : nullptr;
            if (j + 1 < m) {
                const int top = prev ? prev[2].y : first[0].y;
                line({xv, top}, {xv, p[2].y}, kMarks);
                drawFilledArc(dc, xv, top, -90, kArrow, kMarks);
                drawFilledArc(dc, xv, p[2].y, 90, kArrow, kMarks);
                label(lengthLabelPoints, j, {xv + 4, (p[0].y + p[2].y) / 2}, item.colId2, plat::TA_LEFT, nullptr);
            }
            if (prev) line(prev[3], {xv + 3, prev[3].y}, kMarks);
        }
        dc.setTextAlign(oldAlign);
        dc.selectFont(oldFont);
    }

    if (framed) {
        const plat::Point corners[5] = {{rc.left + 2, rc.top + 2},
                                        {rc.right - 4, rc.top + 2},
                                        {rc.right - 4, rc.bottom - 4},
                                        {rc.left + 2, rc.bottom - 4},
                                        {rc.left + 2, rc.top + 2}};
        for (int k = 0; k < 4; ++k)
            drawLineSolid3(dc, corners[k].x, corners[k].y, corners[k + 1].x, corners[k + 1].y, kFrame);
    }
    return 0;
}
