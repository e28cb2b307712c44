// List views: rows, states and their ItemChanged echo, fixed-metric geometry, and what a user's clicks and
// keys do to them. The order of a click follows the window system: the focus moves to the list (the edit
// losing it hears first), the selection changes (each change notified), then NM_CLICK, then NM_DBLCLK.
#include "platform/ui/list_view.h"

#include <algorithm>
#include <cassert>

#include "platform/ui/driver.h"
#include "platform/ui/image_list.h"
#include "platform/ui/keys.h"

namespace plat {

ListView::ListView(Control& ctl) : ctl_(ctl), style_(ctl.style()) {}

void ListView::modifyStyle(std::uint32_t remove, std::uint32_t add) { style_ = (style_ & ~remove) | add; }

unsigned ListView::setExtendedStyle(unsigned mask, unsigned style) {
    unsigned old = exStyle_;
    if (mask == 0) mask = ~0u;
    exStyle_ = (exStyle_ & ~mask) | (style & mask);
    return old;
}

ImageList* ListView::setImageList(ImageList* list, int which) {
    ImageList** slot = which == LVSIL_SMALL ? &small_ : which == LVSIL_STATE ? &state_ : &normal_;
    ImageList* old = *slot;
    *slot = list;
    if (which == LVSIL_SMALL) {
        smallCx_ = list ? list->cx() : 0;
        smallCy_ = list ? list->cy() : 0;
    }
    return old;
}

ImageList* ListView::imageList(int which) const {
    return which == LVSIL_SMALL ? small_ : which == LVSIL_STATE ? state_ : normal_;
}

// ---- columns -------------------------------------------------------------------------------------------

int ListView::insertColumn(int col, std::string_view heading, int width, int format) {
    if (col < 0) return -1;
    col = std::min(col, columnCount());
    columns_.insert(columns_.begin() + col, Column{std::string(heading), std::max(width, 0), format});
    // Sub-items move with their columns; the row's own text stays in column 0.
    std::size_t at = static_cast<std::size_t>(std::max(col, 1));
    for (Row& r : rows_)
        if (r.texts.size() > at) r.texts.insert(r.texts.begin() + static_cast<std::ptrdiff_t>(at), std::string());
    return col;
}

bool ListView::deleteColumn(int col) {
    if (col < 0 || col >= columnCount()) return false;
    columns_.erase(columns_.begin() + col);
    if (col > 0)
        for (Row& r : rows_)
            if (r.texts.size() > static_cast<std::size_t>(col)) r.texts.erase(r.texts.begin() + col);
    return true;
}

int ListView::columnWidth(int col) const {
    return col >= 0 && col < columnCount() ? columns_[static_cast<std::size_t>(col)].width : 0;
}

bool ListView::setColumnWidth(int col, int width) {
    if (col < 0 || col >= columnCount()) return false;
    columns_[static_cast<std::size_t>(col)].width = std::max(width, 0);
    return true;
}

std::string ListView::columnText(int col) const {
    return col >= 0 && col < columnCount() ? columns_[static_cast<std::size_t>(col)].heading : std::string();
}

// ---- rows ----------------------------------------------------------------------------------------------

void ListView::notifyChanged(int row, unsigned changed, unsigned oldState, unsigned newState) {
    Notify n;
    n.ctlId = ctl_.id();
    n.ev = Ev::ItemChanged;
    n.row = row;
    n.col = 0;
    n.changed = changed;
    n.oldState = oldState;
    n.newState = newState;
    ctl_.owner().sendNotify(n);
}

int ListView::insertItem(int row, std::string_view text, int image) {
    if (row < 0) return -1;
    row = std::min(row, itemCount());
    Row r;
    r.texts.emplace_back(text);
    r.image = image;
    rows_.insert(rows_.begin() + row, std::move(r));
    // A new row is announced as changed (never as changing), as the window system does.
    notifyChanged(row, LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0u), 0, 0);
    return row;
}

bool ListView::deleteItem(int row) {
    if (!validRow(row)) return false;
    // The row gives up its selection and focus first; only that is announced.
    applyState(row, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (!validRow(row)) return true;  // a handler removed it already
    rows_.erase(rows_.begin() + row);
    top_ = std::clamp(top_, 0, std::max(0, itemCount() - std::max(countPerPage(), 1)));
    return true;
}

bool ListView::deleteAllItems() {
    for (int i = 0; i < itemCount(); ++i)
        if ((rowAt(i).state & (LVIS_SELECTED | LVIS_FOCUSED)) != 0)
            applyState(i, 0, LVIS_SELECTED | LVIS_FOCUSED);
    rows_.clear();
    top_ = 0;
    return true;
}

bool ListView::setItemText(int row, int col, std::string_view text) {
    if (!validRow(row) || col < 0 || (col > 0 && col >= columnCount())) return false;
    auto& texts = rowAt(row).texts;
    if (texts.size() <= static_cast<std::size_t>(col)) texts.resize(static_cast<std::size_t>(col) + 1);
    if (texts[static_cast<std::size_t>(col)] == text) return true;
    texts[static_cast<std::size_t>(col)] = std::string(text);
    // Only the row's own text is an item change; sub-items are set silently.
    if (col == 0) {
        unsigned s = rowAt(row).state;
        notifyChanged(row, LVIF_TEXT, s, s);
    }
    return true;
}

std::string ListView::itemText(int row, int col) const {
    if (!validRow(row) || col < 0) return {};
    const auto& texts = rowAt(row).texts;
    return static_cast<std::size_t>(col) < texts.size() ? texts[static_cast<std::size_t>(col)] : std::string();
}

bool ListView::setItemData(int row, std::intptr_t data) {
    if (!validRow(row)) return false;
    Row& r = rowAt(row);
    if (r.data == data) return true;
    r.data = data;
    notifyChanged(row, LVIF_PARAM, r.state, r.state);
    return true;
}

std::intptr_t ListView::itemData(int row) const { return validRow(row) ? rowAt(row).data : 0; }

bool ListView::setItemImage(int row, int image) {
    if (!validRow(row)) return false;
    Row& r = rowAt(row);
    if (r.image == image) return true;
    r.image = image;
    notifyChanged(row, LVIF_IMAGE, r.state, r.state);
    return true;
}

int ListView::itemImage(int row) const { return validRow(row) ? rowAt(row).image : -1; }

int ListView::findItemData(std::intptr_t data) const {
    for (int i = 0; i < itemCount(); ++i)
        if (rowAt(i).data == data) return i;
    return -1;
}

// ---- states --------------------------------------------------------------------------------------------

void ListView::applyState(int row, unsigned state, unsigned mask) {
    unsigned old = rowAt(row).state;
    unsigned now = (old & ~mask) | (state & mask);
    if (now == old) return;
    // The other rows give up what this one takes, and are announced first.
    if ((now & ~old & LVIS_SELECTED) != 0 && (style_ & LVS_SINGLESEL) != 0)
        for (int i = 0; i < itemCount(); ++i)
            if (i != row && (rowAt(i).state & LVIS_SELECTED) != 0) applyState(i, 0, LVIS_SELECTED);
    if ((now & ~old & LVIS_FOCUSED) != 0)
        for (int i = 0; i < itemCount(); ++i)
            if (i != row && (rowAt(i).state & LVIS_FOCUSED) != 0) applyState(i, 0, LVIS_FOCUSED);
    if (!validRow(row)) return;
    old = rowAt(row).state;
    now = (old & ~mask) | (state & mask);
    if (now == old) return;
    rowAt(row).state = now;
    notifyChanged(row, LVIF_STATE, old, now);
}

bool ListView::setItemState(int row, unsigned state, unsigned mask) {
    if (row != -1) {
        if (!validRow(row)) return false;
        applyState(row, state, mask);
        return true;
    }
    // Every row: refused where it cannot hold (all selected in a single-selection list, all focused).
    if ((state & mask & LVIS_SELECTED) != 0 && (style_ & LVS_SINGLESEL) != 0) return false;
    if ((state & mask & LVIS_FOCUSED) != 0) return false;
    bool changed = false;
    for (Row& r : rows_) {
        unsigned now = (r.state & ~mask) | (state & mask);
        changed = changed || now != r.state;
        r.state = now;
    }
    if (changed) notifyChanged(-1, LVIF_STATE, 0, state & mask);
    return true;
}

unsigned ListView::itemState(int row, unsigned mask) const {
    return validRow(row) ? rowAt(row).state & mask : 0;
}

int ListView::nextItem(int after, unsigned flags) const {
    for (int i = std::max(after + 1, 0); i < itemCount(); ++i) {
        unsigned s = rowAt(i).state;
        if ((flags & LVNI_SELECTED) != 0 && (s & LVIS_SELECTED) == 0) continue;
        if ((flags & LVNI_FOCUSED) != 0 && (s & LVIS_FOCUSED) == 0) continue;
        return i;
    }
    return -1;
}

int ListView::selectedCount() const {
    auto selected = [](const Row& r) { return (r.state & LVIS_SELECTED) != 0; };
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), selected));
}

void ListView::selectOnly(int row) {
    for (int i = 0; i < itemCount(); ++i)
        if (i != row && (rowAt(i).state & LVIS_SELECTED) != 0) applyState(i, 0, LVIS_SELECTED);
    if (validRow(row)) applyState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void ListView::deselectAll() {
    for (int i = 0; i < itemCount(); ++i)
        if ((rowAt(i).state & LVIS_SELECTED) != 0) applyState(i, 0, LVIS_SELECTED);
}

// ---- geometry ------------------------------------------------------------------------------------------

int ListView::rowHeight() const { return std::max(kMinRowHeight, smallCy_ + 1); }
int ListView::headerHeight() const { return (style_ & LVS_NOCOLUMNHEADER) != 0 ? 0 : kHeaderHeight; }
int ListView::iconWidth() const { return small_ ? smallCx_ : 0; }

int ListView::columnLeft(int col) const {
    int x = 0;
    for (int i = 0; i < col && i < columnCount(); ++i) x += columns_[static_cast<std::size_t>(i)].width;
    return x;
}

int ListView::totalWidth() const { return columnLeft(columnCount()); }

int ListView::countPerPage() const {
    return std::max(0, (ctl_.clientRect().height() - headerHeight()) / rowHeight());
}

std::optional<Rect> ListView::itemRect(int row, int code) const {
    if (!validRow(row)) return std::nullopt;
    int top = headerHeight() + (row - top_) * rowHeight();
    int bottom = top + rowHeight();
    int iconRight = kIconLeft + iconWidth();
    switch (code) {
    case LVIR_ICON:
        return Rect{kIconLeft, top, iconRight, bottom};
    case LVIR_LABEL:
        return Rect{iconRight, top, std::max(iconRight, columnWidth(0)), bottom};
    default:
        return Rect{0, top, totalWidth(), bottom};
    }
}

std::optional<Rect> ListView::subItemRect(int row, int col, int code) const {
    if (!validRow(row) || col < 0 || (col > 0 && col >= columnCount())) return std::nullopt;
    if (col == 0) return itemRect(row, code);
    Rect r = *itemRect(row, LVIR_BOUNDS);
    r.left = columnLeft(col);
    r.right = code == LVIR_ICON ? r.left : r.left + columnWidth(col);
    return r;
}

std::optional<Rect> ListView::headerRect(int col) const {
    if (col < 0 || col >= columnCount() || headerHeight() == 0) return std::nullopt;
    return Rect{columnLeft(col), 0, columnLeft(col) + columnWidth(col), headerHeight()};
}

namespace {

// The LVHT_ABOVE.. bits of a point outside the client area; 0 inside.
unsigned outsideFlags(Point p, const Rect& client) {
    unsigned f = 0;
    if (p.y < 0) f |= LVHT_ABOVE;
    if (p.y >= client.height()) f |= LVHT_BELOW;
    if (p.x < 0) f |= LVHT_TOLEFT;
    if (p.x >= client.width()) f |= LVHT_TORIGHT;
    return f;
}

}  // namespace

int ListView::hitTest(Point p, unsigned* flags) const {
    unsigned dummy = 0;
    unsigned& f = flags ? *flags : dummy;
    int col = -1;
    int row = subItemHitTest(p, &col, &f);
    if (row < 0) return -1;
    if ((exStyle_ & LVS_EX_FULLROWSELECT) != 0) {
        f = LVHT_ONITEM;
        return row;
    }
    if (col == 0 && itemRect(row, LVIR_ICON)->contains(p)) {
        f = LVHT_ONITEMICON;
        return row;
    }
    if (col == 0 && itemRect(row, LVIR_LABEL)->contains(p)) {
        f = LVHT_ONITEMLABEL;
        return row;
    }
    f = LVHT_NOWHERE;
    return -1;
}

int ListView::subItemHitTest(Point p, int* col, unsigned* flags) const {
    unsigned dummy = 0;
    unsigned& f = flags ? *flags : dummy;
    if (col) *col = -1;
    Rect client = ctl_.clientRect();
    if (unsigned out = outsideFlags(p, client); out != 0) {
        f = out;
        return -1;
    }
    f = LVHT_NOWHERE;
    if (p.y < headerHeight()) return -1;
    int row = top_ + (p.y - headerHeight()) / rowHeight();
    if (!validRow(row)) return -1;
    for (int c = 0; c < std::max(columnCount(), 1); ++c) {
        int left = columnLeft(c);
        if (p.x < left || p.x >= left + columnWidth(c)) continue;
        if (col) *col = c;
        f = c == 0 && itemRect(row, LVIR_ICON)->contains(p) ? LVHT_ONITEMICON : LVHT_ONITEMLABEL;
        return row;
    }
    return -1;
}

bool ListView::ensureVisible(int row, bool partialOk) {
    if (!validRow(row)) return false;
    int per = std::max(countPerPage(), 1);
    if (partialOk && row == top_ + per) return true;
    if (row < top_) top_ = row;
    else if (row >= top_ + per) top_ = row - per + 1;
    return true;
}

// ---- sorting -------------------------------------------------------------------------------------------

bool ListView::sortItems(const std::function<int(std::intptr_t, std::intptr_t)>& compare) {
    // A merge sort of our own: stable, and safe with a comparator that is not a strict order.
    std::vector<Row> buf(rows_.size());
    for (std::size_t width = 1; width < rows_.size(); width *= 2) {
        for (std::size_t lo = 0; lo < rows_.size(); lo += 2 * width) {
            std::size_t mid = std::min(lo + width, rows_.size()), hi = std::min(lo + 2 * width, rows_.size());
            std::size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi)
                buf[out++] = std::move(compare(rows_[b].data, rows_[a].data) < 0 ? rows_[b++] : rows_[a++]);
            while (a < mid) buf[out++] = std::move(rows_[a++]);
            while (b < hi) buf[out++] = std::move(rows_[b++]);
        }
        rows_.swap(buf);
    }
    return true;
}

// ---- a user's actions ----------------------------------------------------------------------------------

namespace {

const char* clickVerb(MouseClick click, const char* left, const char* dbl, const char* right) {
    switch (click) {
    case MouseClick::Left:
        return left;
    case MouseClick::Double:
        return dbl;
    case MouseClick::Right:
        return right;
    }
    return left;
}


}  // namespace

ListView& Dialog::listView(int id) {
    ListView* lv = item(id).listView();
    assert(lv && "the control is no list view");
    return *lv;
}

std::string Dialog::userListClick(int ctlId, MouseClick click, int row, int col, bool ctrl) {
    Control* c = nullptr;
    if (std::string why = checkKind(ctlId, Ctl::ListView, c); !why.empty()) return why;
    ListView& lv = *c->listView();
    std::string that = "list view " + std::to_string(ctlId) + " of window " + std::to_string(templateId_);
    if (row < -1 || row >= lv.itemCount())
        return that + " has no row " + std::to_string(row) + " (" + std::to_string(lv.itemCount()) + " rows)";
    if (col < 0 || col >= std::max(lv.columnCount(), 1)) return that + " has no column " + std::to_string(col);
    Rect client = c->clientRect();
    Point at;
    if (row == -1) {
        int y = lv.headerHeight() + (lv.itemCount() - lv.topIndex()) * lv.rowHeight() + lv.rowHeight() / 2;
        if (lv.itemCount() < lv.topIndex() || y >= client.height()) return that + " has no empty space below its rows";
        at = {client.width() / 2, y};
    } else {
        lv.ensureVisible(row);  // the user scrolls the row into sight first
        Rect cell = *lv.subItemRect(row, col, col == 0 ? LVIR_LABEL : LVIR_BOUNDS);
        std::optional<Rect> seen = clipToClient(cell, client);
        if (!seen) return "column " + std::to_string(col) + " of " + that + " is out of sight";
        at = seen->center();
    }
    record(std::string("user ") + clickVerb(click, "list-click ", "list-dblclick ", "list-rclick ") +
           std::to_string(templateId_) + " " + std::to_string(ctlId) + " row=" + std::to_string(row) +
           " col=" + std::to_string(col) + (ctrl ? " ctrl" : ""));
    setCursorPos(c->clientToScreen(at));
    std::optional<KeyHeld> ctrlHeld;
    if (ctrl) ctrlHeld.emplace(VK_CONTROL);
    c->setFocus();
    auto still = [&]() -> ListView* {
        Control* now = findItem(ctlId);
        return now && now->visible() && now->enabled() ? now->listView() : nullptr;
    };
    ListView* l = still();
    if (!l) return "";
    int hit = l->hitTest(at);
    if (click == MouseClick::Right && hit >= 0) {
        // A right click keeps a selection it lands in, so that a context menu acts on all of it.
        l->applyState(hit, LVIS_FOCUSED, LVIS_FOCUSED);
        if (l->validRow(hit) && l->itemState(hit, LVIS_SELECTED) == 0) l->selectOnly(hit);
    } else if (hit >= 0 && ctrl && click == MouseClick::Left && (l->style() & LVS_SINGLESEL) == 0) {
        const unsigned selected = l->itemState(hit, LVIS_SELECTED) ^ LVIS_SELECTED;
        l->applyState(hit, selected | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    } else if (hit >= 0) {
        l->selectOnly(hit);
    } else {
        l->deselectAll();
    }
    if (!(l = still())) return "";
    Notify n;
    n.ctlId = ctlId;
    n.ev = click == MouseClick::Right ? Ev::RClick : Ev::Clicked;
    n.row = l->subItemHitTest(at, &n.col);
    n.point = at;
    Notify dbl = n;
    sendNotify(n);
    if (click != MouseClick::Double || !still()) return "";
    dbl.ev = Ev::DblClk;
    sendNotify(dbl);
    return "";
}

std::string Dialog::userListKey(int ctlId, int vk) {
    Control* c = nullptr;
    if (std::string why = checkKind(ctlId, Ctl::ListView, c); !why.empty()) return why;
    if (vk <= 0 || vk > 255) return "no key " + std::to_string(vk);
    record("user list-key " + std::to_string(templateId_) + " " + std::to_string(ctlId) + " " + vkName(vk));
    c->setFocus();
    c = findItem(ctlId);
    if (!c || !c->visible() || !c->enabled()) return "";
    listKeyDown(ctlId, vk);
    return "";
}

void Dialog::listKeyDown(int ctlId, int vk) {
    KeyHeld held(vk);
    Notify n;
    n.ctlId = ctlId;
    n.ev = Ev::KeyDown;
    n.vk = vk;
    sendNotify(n);
    // Then the list's own handling: the arrows move the focus and the selection with it.
    Control* c = findItem(ctlId);
    if (!c || (vk != VK_UP && vk != VK_DOWN)) return;
    ListView& lv = *c->listView();
    int focused = lv.nextItem(-1, LVNI_FOCUSED);
    int target = vk == VK_DOWN ? (focused < 0 ? 0 : std::min(focused + 1, lv.itemCount() - 1))
                               : (focused < 0 ? -1 : std::max(focused - 1, 0));
    if (!lv.validRow(target) || (target == focused && lv.itemState(target, LVIS_SELECTED) != 0)) return;
    lv.selectOnly(target);
    lv.ensureVisible(target);
}

std::string Dialog::userColumnClick(int ctlId, int col) {
    Control* c = nullptr;
    if (std::string why = checkKind(ctlId, Ctl::ListView, c); !why.empty()) return why;
    ListView& lv = *c->listView();
    std::string that = "list view " + std::to_string(ctlId) + " of window " + std::to_string(templateId_);
    if (lv.headerHeight() == 0) return that + " has no column header";
    if (col < 0 || col >= lv.columnCount()) return that + " has no column " + std::to_string(col);
    std::optional<Rect> seen = clipToClient(*lv.headerRect(col), c->clientRect());
    if (!seen) return "column " + std::to_string(col) + " of " + that + " is out of sight";
    record("user column-click " + std::to_string(templateId_) + " " + std::to_string(ctlId) + " " +
           std::to_string(col));
    setCursorPos(c->clientToScreen(seen->center()));
    // The header takes no focus; the list hears of the click at once.
    Notify n;
    n.ctlId = ctlId;
    n.ev = Ev::ColumnClick;
    n.col = col;
    n.point = seen->center();
    sendNotify(n);
    return "";
}

}  // namespace plat
