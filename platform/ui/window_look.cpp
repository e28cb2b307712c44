// A plain look of a window's visible controls, drawn with the canvas: raised buttons, sunken boxes, check
// marks, frames, texts in a dialog font, and the visible rows of lists and trees. Enough to tell the
// controls apart and read them in a picture; not a copy of any window system's look.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui/canvas.h"
#include "platform/ui/keys.h"
#include "platform/ui/list_view.h"
#include "platform/ui/tree_view.h"
#include "platform/ui/window_picture.h"

namespace plat {
namespace {

constexpr Color kWhite = rgb(255, 255, 255), kShadow = rgb(128, 128, 128), kDark = rgb(64, 64, 64),
                kBlack = 0, kSelection = rgb(0, 0, 128), kGreyText = rgb(128, 128, 128);
const Font kDialogFont{"Arial", -11, 400};

Rect offset(Rect r, Point by) { return {r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y}; }

Rect intersect(const Rect& a, const Rect& b) {
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

void edges(Canvas& c, const Rect& r, Color topLeft, Color bottomRight) {
    c.fillSolidRect({r.left, r.top, r.right, r.top + 1}, topLeft);
    c.fillSolidRect({r.left, r.top, r.left + 1, r.bottom}, topLeft);
    c.fillSolidRect({r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    c.fillSolidRect({r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

Rect shrink(const Rect& r, int by) { return {r.left + by, r.top + by, r.right - by, r.bottom - by}; }

void raised(Canvas& c, const Rect& r, bool thickBlack = false) {
    Rect in = r;
    if (thickBlack) {
        edges(c, in, kBlack, kBlack);
        in = shrink(in, 1);
    }
    c.fillSolidRect(in, kDialogFace);
    edges(c, in, kWhite, kBlack);
    edges(c, {in.left + 1, in.top + 1, in.right - 1, in.bottom - 1}, kDialogFace, kShadow);
}

void sunken(Canvas& c, const Rect& r, Color fill) {
    c.fillSolidRect(r, fill);
    edges(c, r, kShadow, kWhite);
    edges(c, shrink(r, 1), kDark, kDialogFace);
}

// One line of text in a box, clipped to it, vertically centred unless `top` is given.
void label(Canvas& c, const Rect& box, const std::string& text, Color color, unsigned hAlign, int top = -1) {
    if (text.empty() || box.width() <= 0 || box.height() <= 0) return;
    c.setTextColor(color);
    c.setTextAlign(hAlign | TA_TOP);
    int h = c.textMetrics().height;
    int x = hAlign == TA_CENTER ? (box.left + box.right) / 2 : hAlign == TA_RIGHT ? box.right : box.left;
    int y = top >= 0 ? top : box.top + (box.height() - h) / 2;
    c.extTextOut({x, y}, ETO_CLIPPED, &box, text);
}

// A static's text: words wrapped to the box's width, '\n' breaking lines, as many lines as fit.
void wrapped(Canvas& c, const Rect& box, std::string text, Color color, bool centred) {
    std::erase(text, '\r');
    std::vector<std::string> lines;
    std::string line;
    std::size_t i = 0;
    while (i <= text.size()) {
        std::size_t end = text.find_first_of(" \n", i);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(i, end - i);
        std::string tried = line.empty() ? word : line + " " + word;
        if (!line.empty() && c.textExtent(tried).cx > box.width()) {
            lines.push_back(line);
            line = word;
        } else {
            line = tried;
        }
        if (end < text.size() && text[end] == '\n') {
            lines.push_back(line);
            line.clear();
        }
        i = end + 1;
    }
    if (!line.empty()) lines.push_back(line);
    int h = c.textMetrics().height;
    for (std::size_t n = 0; n < lines.size() && box.top + static_cast<int>(n) * h < box.bottom; ++n)
        label(c, box, lines[n], color, centred ? TA_CENTER : TA_LEFT, box.top + static_cast<int>(n) * h);
}

void tick(Canvas& c, const Rect& box, int state) {
    if (state == 0) return;
    if (state == 2) {
        c.fillSolidRect(shrink(box, 3), kShadow);
        return;
    }
    Pen old = c.selectPen({PenStyle::Solid, 2, kBlack});
    c.moveTo({box.left + 3, box.top + 6});
    c.lineTo({box.left + 5, box.top + 9});
    c.lineTo({box.left + 9, box.top + 3});
    c.selectPen(old);
}

void radioMark(Canvas& c, const Rect& box, bool checked) {
    Pen oldPen = c.selectPen({PenStyle::Solid, 1, kShadow});
    Brush oldBrush = c.selectBrush(Brush::solid(kWhite));
    Point right{box.right, (box.top + box.bottom) / 2};
    c.beginPath();
    c.arc(box, right, right);
    c.endPath();
    c.strokeAndFillPath();
    if (checked) {
        Rect dot = shrink(box, 4);
        c.selectBrush(Brush::solid(kBlack));
        c.selectPen({PenStyle::Null, 1, 0});
        c.beginPath();
        c.arc(dot, {dot.right, right.y}, {dot.right, right.y});
        c.endPath();
        c.fillPath();
    }
    c.selectPen(oldPen);
    c.selectBrush(oldBrush);
}

void dropArrow(Canvas& c, const Rect& button) {
    int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
    Brush old = c.selectBrush(Brush::solid(kBlack));
    Pen oldPen = c.selectPen({PenStyle::Null, 1, 0});
    c.beginPath();
    c.moveTo({cx - 4, cy - 2});
    c.lineTo({cx + 4, cy - 2});
    c.lineTo({cx, cy + 2});
    c.closeFigure();
    c.endPath();
    c.fillPath();
    c.selectBrush(old);
    c.selectPen(oldPen);
}

void rowText(Canvas& c, const Rect& cell, const std::string& text, bool selected, const Rect& clip) {
    Rect r = intersect(cell, clip);
    if (selected) c.fillSolidRect(r, kSelection);
    label(c, intersect({cell.left + 2, cell.top, cell.right, cell.bottom}, clip), text, selected ? kWhite : kBlack,
          TA_LEFT);
}

void listView(Canvas& c, const Control& ctl, const Rect& client) {
    const ListView& lv = *ctl.listView();
    Point origin{client.left, client.top};
    for (int col = 0; col < lv.columnCount(); ++col) {
        if (std::optional<Rect> h = lv.headerRect(col)) {
            Rect r = intersect(offset(*h, origin), client);
            if (r.width() <= 0) continue;
            raised(c, r);
            label(c, shrink(r, 2), lv.columnText(col), kBlack, TA_LEFT);
        }
    }
    for (int row = lv.topIndex(); row < lv.itemCount(); ++row) {
        std::optional<Rect> bounds = lv.itemRect(row);
        if (!bounds) continue;
        Rect b = offset(*bounds, origin);
        if (b.top >= client.bottom) break;
        // A drop-highlighted row looks selected, as the window system draws it.
        bool selected = lv.itemState(row, LVIS_SELECTED | LVIS_DROPHILITED) != 0;
        int cols = std::max(1, lv.columnCount());
        for (int col = 0; col < cols; ++col) {
            std::optional<Rect> cell = lv.subItemRect(row, col, LVIR_LABEL);
            if (!cell) cell = lv.subItemRect(row, col);
            if (cell) rowText(c, offset(*cell, origin), lv.itemText(row, col), selected, client);
        }
    }
}

void treeView(Canvas& c, const Control& ctl, const Rect& client) {
    const TreeView& tv = *ctl.treeView();
    Point origin{client.left, client.top};
    for (TreeItem item = tv.firstVisible(); item != 0; item = tv.nextItem(item, TVGN_NEXTVISIBLE)) {
        std::optional<Rect> text = tv.itemRect(item, true);
        if (!text) continue;
        Rect t = offset(*text, origin);
        if (t.top >= client.bottom) break;
        if (std::optional<Rect> b = tv.buttonRect(item)) {
            // A small box with a minus, or a plus while collapsed, in the middle of the button's place.
            Point m = offset(*b, origin).center();
            Rect box = intersect({m.x - 4, m.y - 4, m.x + 5, m.y + 5}, client);
            if (box.width() == 9 && box.height() == 9) {
                edges(c, box, kShadow, kShadow);
                c.fillSolidRect({box.left + 2, m.y, box.right - 2, m.y + 1}, kBlack);
                if (tv.itemState(item, TVIS_EXPANDED) == 0)
                    c.fillSolidRect({m.x, box.top + 2, m.x + 1, box.bottom - 2}, kBlack);
            }
        }
        rowText(c, t, tv.itemText(item), tv.itemState(item, TVIS_SELECTED) != 0, client);
    }
}

void drawControl(Canvas& c, const Dialog& dlg, const Control& ctl) {
    Rect r = ctl.rect();
    Color text = ctl.enabled() ? kBlack : kGreyText;
    std::optional<CtlColors> colors = dlg.ctlColors(ctl.id());
    if (colors && ctl.enabled()) text = colors->text;
    const int box = 13;
    switch (ctl.kind()) {
    case Ctl::Button:
    case Ctl::DefButton:
    case Ctl::BitmapButton: {
        raised(c, r, ctl.kind() == Ctl::DefButton);
        std::string t = ctl.text().empty() && ctl.bitmapId() != 0 ? "#" + std::to_string(ctl.bitmapId()) : ctl.text();
        label(c, shrink(r, 3), t, text, TA_CENTER);
        break;
    }
    case Ctl::Check:
    case Ctl::Radio: {
        Rect mark{r.left, (r.top + r.bottom - box) / 2, r.left + box, (r.top + r.bottom + box) / 2};
        if (colors) c.fillSolidRect(r, colors->background);
        if (ctl.kind() == Ctl::Check) {
            sunken(c, mark, kWhite);
            tick(c, mark, ctl.check());
        } else {
            radioMark(c, mark, ctl.check() != 0);
        }
        label(c, {r.left + box + 4, r.top, r.right, r.bottom}, ctl.text(), text, TA_LEFT);
        break;
    }
    case Ctl::GroupBox: {
        int h = c.textMetrics().height;
        Rect frame{r.left, r.top + h / 2, r.right, r.bottom};
        edges(c, frame, kShadow, kShadow);
        edges(c, {frame.left + 1, frame.top + 1, frame.right + 1, frame.bottom + 1}, kWhite, kWhite);
        if (!ctl.text().empty()) {
            int w = c.textExtent(ctl.text()).cx;
            Rect band{r.left + 8, r.top, std::min(r.right, r.left + 12 + w), r.top + h};
            c.fillSolidRect(band, kDialogFace);
            label(c, band, ctl.text(), text, TA_CENTER, r.top);
        }
        break;
    }
    case Ctl::Static:
        if (colors) c.fillSolidRect(r, colors->background);
        wrapped(c, r, ctl.text(), text, (ctl.style() & SS_CENTER) != 0);
        break;
    case Ctl::Picture:
        edges(c, r, kShadow, kWhite);
        break;
    case Ctl::Edit: {
        bool readOnly = (ctl.style() & ES_READONLY) != 0 || !ctl.enabled();
        sunken(c, r, colors ? colors->background : readOnly ? kDialogFace : kWhite);
        std::string t = (ctl.style() & ES_PASSWORD) != 0 ? std::string(ctl.text().size(), '*') : ctl.text();
        label(c, shrink(r, 3), t, text, TA_LEFT);
        break;
    }
    case Ctl::ComboDropList:
    case Ctl::ComboDropDown:
    case Ctl::ComboSimple: {
        Rect field{r.left, r.top, r.right, r.top + ctl.fieldHeight()};
        sunken(c, field, ctl.enabled() ? kWhite : kDialogFace);
        std::string t = ctl.curSel() >= 0 ? ctl.itemText(ctl.curSel()) : ctl.text();
        if (ctl.kind() == Ctl::ComboSimple) {
            label(c, shrink(field, 3), t, text, TA_LEFT);
            Rect list{r.left, field.bottom + 1, r.right, r.bottom};
            sunken(c, list, kWhite);
            int h = c.textMetrics().height;
            for (int i = 0; i < ctl.count() && list.top + 2 + i * h < list.bottom - 2; ++i)
                rowText(c, {list.left + 2, list.top + 2 + i * h, list.right - 2, list.top + 2 + (i + 1) * h},
                        ctl.itemText(i), i == ctl.curSel(), shrink(list, 2));
            break;
        }
        Rect button{field.right - 19, field.top + 2, field.right - 2, field.bottom - 2};
        label(c, {field.left + 3, field.top + 2, button.left - 1, field.bottom - 2}, t, text, TA_LEFT);
        raised(c, button);
        dropArrow(c, button);
        break;
    }
    case Ctl::ListBox: {
        sunken(c, r, kWhite);
        Rect in = shrink(r, 2);
        int h = c.textMetrics().height;
        std::vector<int> selected = ctl.selectedItems();
        for (int i = 0; i < ctl.count() && in.top + i * h < in.bottom; ++i) {
            bool sel = std::find(selected.begin(), selected.end(), i) != selected.end();
            rowText(c, {in.left, in.top + i * h, in.right, in.top + (i + 1) * h}, ctl.itemText(i), sel, in);
        }
        break;
    }
    case Ctl::ListView:
    case Ctl::TreeView: {
        sunken(c, r, kWhite);
        int edge = (r.width() - ctl.clientRect().width()) / 2;
        Rect client = offset(ctl.clientRect(), {r.left + edge, r.top + edge});
        if (ctl.listView()) listView(c, ctl, client);
        if (ctl.treeView()) treeView(c, ctl, client);
        break;
    }
    case Ctl::Tab: {
        int tabsBottom = r.top;
        for (int i = 0; i < ctl.count(); ++i)
            tabsBottom = std::max(tabsBottom, offset(ctl.tabRect(i), {r.left, r.top}).bottom);
        raised(c, {r.left, tabsBottom, r.right, r.bottom});
        for (int i = 0; i < ctl.count(); ++i) {
            Rect t = offset(ctl.tabRect(i), {r.left, r.top});
            if (i != ctl.curSel()) t.top += 2;
            raised(c, {t.left, t.top, t.right, t.bottom + 1});
            label(c, t, ctl.itemText(i), text, TA_CENTER);
        }
        break;
    }
    case Ctl::Progress: {
        sunken(c, r, kDialogFace);
        auto [low, high] = ctl.range();
        Rect in = shrink(r, 2);
        if (high > low) {
            long long w = static_cast<long long>(in.width()) * (std::clamp(ctl.pos(), low, high) - low) / (high - low);
            c.fillSolidRect({in.left, in.top, in.left + static_cast<int>(w), in.bottom}, kSelection);
        }
        break;
    }
    }
}

}  // namespace

void drawControls(Canvas& canvas, const Dialog& dlg, ControlLayer layer) {
    canvas.resetState();
    canvas.selectFont(kDialogFont);
    canvas.setBkMode(TRANSPARENT);
    for (const auto& ctl : dlg.controls()) {
        if (!ctl->visible()) continue;
        const bool under = ctl->kind() == Ctl::Static || ctl->kind() == Ctl::Picture || ctl->kind() == Ctl::GroupBox;
        if (layer == ControlLayer::All || under == (layer == ControlLayer::UnderPainting)) drawControl(canvas, dlg, *ctl);
    }
}

}  // namespace plat
