// Controls: state and programmatic operations. Only an edit's text change notifies (Change); every other
// programmatic change is silent, as in the window system, because handlers are written against that echo.
#include <algorithm>

#include "platform/ui/dialog.h"
#include "platform/ui/keys.h"
#include "platform/ui/list_view.h"
#include "platform/ui/tree_view.h"

namespace plat {
namespace {

int compareNoCase(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + 32);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && compareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

}  // namespace

Control::Control(Dialog& owner, const CtlTemplate& tmpl)
    : owner_(owner),
      id_(tmpl.id),
      kind_(tmpl.kind),
      style_(tmpl.style),
      rect_(dluToPixels(tmpl.dlu)),
      visible_(tmpl.visible),
      group_(tmpl.group),
      bitmapId_(tmpl.bitmapId),
      text_(tmpl.text) {
    if (kind_ == Ctl::ListView) list_ = std::make_unique<ListView>(*this);
    if (kind_ == Ctl::TreeView) tree_ = std::make_unique<TreeView>(*this);
}

Control::~Control() = default;

namespace {
// A combo's selection field: one line of the dialog font with its border, whatever the template's height,
// which counts the drop-down list too.
constexpr int kComboFieldHeight = 21;
}  // namespace

bool Control::isCombo() const {
    return kind_ == Ctl::ComboDropList || kind_ == Ctl::ComboDropDown || kind_ == Ctl::ComboSimple;
}
bool Control::hasItems() const { return isCombo() || kind_ == Ctl::ListBox || kind_ == Ctl::Tab; }
bool Control::sorted() const {
    if (isCombo()) return (style_ & CBS_SORT) != 0;
    return kind_ == Ctl::ListBox && (style_ & LBS_SORT) != 0;
}

bool Control::takesFocus() const {
    switch (kind_) {
    case Ctl::Button:
    case Ctl::DefButton:
    case Ctl::BitmapButton:
    case Ctl::Check:
    case Ctl::Radio:
    case Ctl::Edit:
    case Ctl::ComboDropList:
    case Ctl::ComboDropDown:
    case Ctl::ComboSimple:
    case Ctl::ListBox:
    case Ctl::ListView:
    case Ctl::TreeView:
    case Ctl::Tab:
        return true;
    case Ctl::GroupBox:
    case Ctl::Static:
    case Ctl::Picture:
    case Ctl::Progress:
        return false;
    }
    return false;
}

void Control::show(bool visible) {
    visible_ = visible;
    if (!visible && hasFocus()) owner_.focusId_ = 0;
}

void Control::enable(bool enabled) {
    enabled_ = enabled;
    if (!enabled && hasFocus()) owner_.focusId_ = 0;
}

void Control::setText(std::string_view text) {
    text_ = std::string(text);
    if (kind_ == Ctl::Edit) {
        selFrom_ = selTo_ = 0;
        Notify n;
        n.ctlId = id_;
        n.ev = Ev::Change;
        owner_.sendNotify(n);
    }
}

Rect Control::windowRect() const {
    Point tl = owner_.clientToScreen({rect_.left, rect_.top});
    return {tl.x, tl.y, tl.x + rect_.width(), tl.y + rect_.height()};
}

Rect Control::clientRect() const {
    // List and tree views draw a sunken edge inside their window rectangle.
    int edge = kind_ == Ctl::ListView || kind_ == Ctl::TreeView ? systemMetric(SM_CXEDGE) : 0;
    return {0, 0, std::max(0, rect_.width() - 2 * edge), std::max(0, rect_.height() - 2 * edge)};
}

Point Control::clientToScreen(Point p) const {
    int edge = (rect_.width() - clientRect().width()) / 2;
    Rect w = windowRect();
    return {w.left + edge + p.x, w.top + edge + p.y};
}

Point Control::screenToClient(Point p) const {
    Point origin = clientToScreen({0, 0});
    return {p.x - origin.x, p.y - origin.y};
}

void Control::setFocus() {
    if (takesFocus() && visible_ && enabled_) owner_.moveFocus(id_);
}

bool Control::hasFocus() const { return owner_.focusId_ == id_; }

void Control::setEditSel(int from, int to) {
    if (kind_ != Ctl::Edit && !isCombo()) return;
    int len = static_cast<int>(text_.size());
    if (to < 0 || to > len) to = len;
    if (from < 0) {  // EM_SETSEL with -1 removes the selection
        from = to = len;
    }
    selFrom_ = std::min(from, len);
    selTo_ = to;
}

void Control::setCheck(int state) {
    if (kind_ == Ctl::Check || kind_ == Ctl::Radio) check_ = state;
}

int Control::addString(std::string_view text) {
    if (!hasItems()) return -1;
    auto pos = items_.end();
    if (sorted())
        pos = std::upper_bound(items_.begin(), items_.end(), text,
                               [](std::string_view t, const Item& it) { return compareNoCase(t, it.text) < 0; });
    int index = static_cast<int>(pos - items_.begin());
    return insertString(index, text);
}

int Control::insertString(int index, std::string_view text) {
    if (!hasItems()) return -1;
    if (index < 0 || index > count()) index = count();
    items_.insert(items_.begin() + index, Item{std::string(text)});
    if (curSel_ >= index) ++curSel_;
    if (anchor_ >= index) ++anchor_;
    return index;
}

int Control::deleteString(int index) {
    if (!hasItems() || index < 0 || index >= count()) return -1;
    items_.erase(items_.begin() + index);
    if (curSel_ == index) {
        curSel_ = -1;
        if (kind_ == Ctl::ComboDropList) text_.clear();
    } else if (curSel_ > index) {
        --curSel_;
    }
    if (anchor_ == index) anchor_ = -1;
    else if (anchor_ > index) --anchor_;
    return count();
}

int Control::fieldHeight() const { return isCombo() ? std::min(rect_.height(), kComboFieldHeight) : 0; }

void Control::setDroppedWidth(int width) {
    if (isCombo()) droppedWidth_ = std::max(width, 0);
}

void Control::resetContent() {
    if (!hasItems()) return;
    items_.clear();
    curSel_ = anchor_ = -1;
    if (isCombo()) text_.clear();
}

std::string Control::itemText(int index) const {
    return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)].text : std::string();
}

void Control::setItemText(int index, std::string_view text) {
    if (index < 0 || index >= count()) return;
    items_[static_cast<std::size_t>(index)].text = std::string(text);
    if (index == curSel_ && isCombo()) text_ = std::string(text);
}

void Control::setItemData(int index, std::intptr_t data) {
    if (index >= 0 && index < count()) items_[static_cast<std::size_t>(index)].data = data;
}

std::intptr_t Control::itemData(int index) const {
    return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)].data : -1;
}

void Control::setCurSel(int index) {
    if (!hasItems()) return;
    if (index < -1 || index >= count()) index = -1;
    curSel_ = index;
    if (isCombo()) text_ = itemText(index);
    if (kind_ == Ctl::ListBox && (style_ & LBS_EXTENDEDSEL) != 0) {
        for (int i = 0; i < count(); ++i) items_[static_cast<std::size_t>(i)].selected = i == index;
        anchor_ = index;
    }
}

void Control::clickSelect(int index, SelectKey key) {
    if (index < 0 || index >= count()) return;
    if (key == SelectKey::None) {
        setCurSel(index);
        return;
    }
    if (key == SelectKey::Ctrl) {
        Item& it = items_[static_cast<std::size_t>(index)];
        it.selected = !it.selected;
        anchor_ = index;
    } else {
        const int from = anchor_ >= 0 && anchor_ < count() ? anchor_ : index;
        for (int i = 0; i < count(); ++i)
            items_[static_cast<std::size_t>(i)].selected = i >= std::min(from, index) && i <= std::max(from, index);
    }
    curSel_ = index;
}

int Control::findStringExact(std::string_view text, int after) const {
    int n = count();
    if (n == 0) return -1;
    if (after < -1 || after >= n) after = -1;
    for (int k = 1; k <= n; ++k) {
        int i = (after + k) % n;
        if (compareNoCase(items_[static_cast<std::size_t>(i)].text, text) == 0) return i;
    }
    return -1;
}

int Control::selectString(std::string_view prefix) {
    for (int i = 0; i < count(); ++i) {
        if (startsWithNoCase(items_[static_cast<std::size_t>(i)].text, prefix)) {
            setCurSel(i);
            return i;
        }
    }
    return -1;
}

std::vector<int> Control::selectedItems() const {
    std::vector<int> out;
    if (kind_ == Ctl::ListBox && (style_ & LBS_EXTENDEDSEL) != 0) {
        for (int i = 0; i < count(); ++i)
            if (items_[static_cast<std::size_t>(i)].selected) out.push_back(i);
    } else if (curSel_ >= 0) {
        out.push_back(curSel_);
    }
    return out;
}

void Control::setSel(int index, bool selected) {
    if (kind_ != Ctl::ListBox || (style_ & LBS_EXTENDEDSEL) == 0) return;
    for (int i = 0; i < count(); ++i)
        if (index == -1 || i == index) items_[static_cast<std::size_t>(i)].selected = selected;
}

Rect Control::tabRect(int index) const {
    // One row of tabs from the left; a tab is as wide as its text plus its margins.
    constexpr int kFirstLeft = 2, kCharWidth = 6, kMargins = 12, kHeight = 20;
    if (kind_ != Ctl::Tab || index < 0 || index >= count()) return {};
    int left = kFirstLeft;
    for (int i = 0;; ++i) {
        int width = kCharWidth * static_cast<int>(items_[static_cast<std::size_t>(i)].text.size()) + kMargins;
        if (i == index) return {left, 0, left + width, kHeight};
        left += width;
    }
}

void Control::setRange(int low, int high) {
    if (kind_ != Ctl::Progress) return;
    rangeLow_ = low;
    rangeHigh_ = high;
    pos_ = std::clamp(pos_, std::min(low, high), std::max(low, high));
}

void Control::setPos(int pos) {
    if (kind_ == Ctl::Progress) pos_ = std::clamp(pos, std::min(rangeLow_, rangeHigh_), std::max(rangeLow_, rangeHigh_));
}

}  // namespace plat
