// Tree views: the item store, navigation, states, expansion, fixed-metric geometry and hit tests, and what
// a user's clicks, expands and label edits do. A click notifies NM_CLICK before the caret moves, so a
// handler sees the old selection and finds the clicked item by hit-testing the cursor, as it must with
// the window system; a right click never moves the caret.
#include "platform/ui/tree_view.h"

#include <algorithm>
#include <cassert>

#include "platform/ui/driver.h"
#include "platform/ui/image_list.h"
#include "platform/ui/keys.h"
#include "platform/ui/text_quote.h"

namespace plat {

TreeView::TreeView(Control& ctl) : ctl_(ctl), style_(ctl.style()) {}

ImageList* TreeView::setImageList(ImageList* list, int which) {
    ImageList*& slot = which == TVSIL_STATE ? state_ : normal_;
    ImageList* old = slot;
    slot = list;
    if (which != TVSIL_STATE) {
        imageCx_ = list ? list->cx() : 0;
        imageCy_ = list ? list->cy() : 0;
    }
    return old;
}

ImageList* TreeView::imageList(int which) const { return which == TVSIL_STATE ? state_ : normal_; }

// ---- the store -----------------------------------------------------------------------------------------

const TreeView::Node* TreeView::node(TreeItem item) const {
    auto it = nodes_.find(item);
    return it == nodes_.end() ? nullptr : &it->second;
}

std::vector<TreeItem>& TreeView::siblings(TreeItem parent) { return parent == 0 ? roots_ : nodes_.at(parent).children; }
const std::vector<TreeItem>& TreeView::siblings(TreeItem parent) const {
    return parent == 0 ? roots_ : nodes_.at(parent).children;
}

TreeItem TreeView::insertItem(std::string_view text, int image, int selectedImage, TreeItem parent, TreeItem after) {
    if (parent == TVI_ROOT) parent = 0;
    if (parent != 0 && !exists(parent)) return 0;
    std::vector<TreeItem>& list = siblings(parent);
    std::size_t at = list.size();
    if (after == TVI_FIRST) {
        at = 0;
    } else if (after != TVI_LAST) {
        auto it = std::find(list.begin(), list.end(), after);
        if (it == list.end()) return 0;
        at = static_cast<std::size_t>(it - list.begin()) + 1;
    }
    TreeItem h = next_++;
    Node n;
    n.text = std::string(text);
    n.image = image;
    n.selectedImage = selectedImage;
    n.parent = parent;
    nodes_.emplace(h, std::move(n));
    siblings(parent).insert(siblings(parent).begin() + static_cast<std::ptrdiff_t>(at), h);
    return h;
}

bool TreeView::deleteItem(TreeItem item) {
    if (item == TVI_ROOT || item == 0) {
        nodes_.clear();
        roots_.clear();
        caret_ = drop_ = topItem_ = 0;
        return true;
    }
    const Node* n = node(item);
    if (!n) return false;
    // The caret leaves a removed branch for the next sibling, else the parent, else the previous sibling.
    TreeItem newCaret = 0;
    bool caretInside = false;
    std::vector<TreeItem> doomed{item};
    for (std::size_t i = 0; i < doomed.size(); ++i) {
        const Node& d = nodes_.at(doomed[i]);
        doomed.insert(doomed.end(), d.children.begin(), d.children.end());
        caretInside = caretInside || doomed[i] == caret_;
    }
    if (caretInside) {
        newCaret = nextSibling(item);
        if (!newCaret) newCaret = n->parent;
        if (!newCaret) newCaret = prevSibling(item);
    }
    auto& list = siblings(n->parent);
    list.erase(std::find(list.begin(), list.end(), item));
    for (TreeItem d : doomed) {
        nodes_.erase(d);
        if (d == caret_) caret_ = 0;
        if (d == drop_) drop_ = 0;
        if (d == topItem_) topItem_ = 0;
    }
    if (newCaret) selectItem(newCaret, TVC_UNKNOWN);
    return true;
}

TreeItem TreeView::nextItem(TreeItem item, int code) const {
    const Node* n = node(item);
    auto sibling = [&](int step) -> TreeItem {
        if (!n) return 0;
        const auto& list = siblings(n->parent);
        auto at = std::find(list.begin(), list.end(), item) - list.begin() + step;
        return at >= 0 && at < static_cast<std::ptrdiff_t>(list.size()) ? list[static_cast<std::size_t>(at)] : 0;
    };
    auto visibleStep = [&](int step) -> TreeItem {
        std::vector<TreeItem> rows = shownItems();
        auto it = std::find(rows.begin(), rows.end(), item);
        if (it == rows.end()) return 0;
        auto at = it - rows.begin() + step;
        return at >= 0 && at < static_cast<std::ptrdiff_t>(rows.size()) ? rows[static_cast<std::size_t>(at)] : 0;
    };
    switch (code) {
    case TVGN_ROOT:
        return roots_.empty() ? 0 : roots_.front();
    case TVGN_NEXT:
        return sibling(1);
    case TVGN_PREVIOUS:
        return sibling(-1);
    case TVGN_PARENT:
        return n ? n->parent : 0;
    case TVGN_CHILD:
        if (item == 0 || item == TVI_ROOT) return roots_.empty() ? 0 : roots_.front();
        return n && !n->children.empty() ? n->children.front() : 0;
    case TVGN_FIRSTVISIBLE:
        return firstVisible();
    case TVGN_NEXTVISIBLE:
        return visibleStep(1);
    case TVGN_PREVIOUSVISIBLE:
        return visibleStep(-1);
    case TVGN_DROPHILITE:
        return drop_;
    case TVGN_CARET:
        return caret_;
    default:
        return 0;
    }
}

bool TreeView::hasChildren(TreeItem item) const {
    const Node* n = node(item);
    return n && !n->children.empty();
}

std::string TreeView::itemText(TreeItem item) const {
    const Node* n = node(item);
    return n ? n->text : std::string();
}

bool TreeView::setItemText(TreeItem item, std::string_view text) {
    if (!exists(item)) return false;
    nodes_.at(item).text = std::string(text);
    return true;
}

std::intptr_t TreeView::itemData(TreeItem item) const {
    const Node* n = node(item);
    return n ? n->data : 0;
}

bool TreeView::setItemData(TreeItem item, std::intptr_t data) {
    if (!exists(item)) return false;
    nodes_.at(item).data = data;
    return true;
}

bool TreeView::itemImage(TreeItem item, int& image, int& selectedImage) const {
    const Node* n = node(item);
    if (!n) return false;
    image = n->image;
    selectedImage = n->selectedImage;
    return true;
}

bool TreeView::setItemImage(TreeItem item, int image, int selectedImage) {
    if (!exists(item)) return false;
    nodes_.at(item).image = image;
    nodes_.at(item).selectedImage = selectedImage;
    return true;
}

unsigned TreeView::itemState(TreeItem item, unsigned mask) const {
    const Node* n = node(item);
    return n ? n->state & mask : 0;
}

bool TreeView::setItemState(TreeItem item, unsigned state, unsigned mask) {
    if (!exists(item)) return false;
    mask &= ~TVIS_EXPANDED;
    unsigned& s = nodes_.at(item).state;
    s = (s & ~mask) | (state & mask);
    return true;
}

// ---- expansion and selection ---------------------------------------------------------------------------

void TreeView::notifyExpanded(TreeItem item, int action) {
    Notify n;
    n.ctlId = ctl_.id();
    n.ev = Ev::ItemExpanded;
    n.item = item;
    n.action = action;
    ctl_.owner().sendNotify(n);
}

bool TreeView::setExpanded(TreeItem item, bool expanded) {
    if (!hasChildren(item) || (itemState(item, TVIS_EXPANDED) != 0) == expanded) return false;
    if (!expanded) {
        // The caret may not stay hidden in the branch being closed: it moves up to the item.
        for (TreeItem p = caret_ ? nodes_.at(caret_).parent : 0; p != 0; p = nodes_.at(p).parent) {
            if (p == item) {
                selectItem(item, TVC_UNKNOWN);
                break;
            }
        }
        if (!exists(item)) return false;
    }
    unsigned& s = nodes_.at(item).state;
    s = expanded ? (s | TVIS_EXPANDED) : (s & ~TVIS_EXPANDED);
    if (topItem_ && !shown(topItem_)) topItem_ = 0;
    return true;
}

bool TreeView::expand(TreeItem item, int code) {
    if (!hasChildren(item)) return false;
    bool open = itemState(item, TVIS_EXPANDED) != 0;
    switch (code) {
    case TVE_EXPAND:
        setExpanded(item, true);
        return true;
    case TVE_COLLAPSE:
        setExpanded(item, false);
        return true;
    case TVE_TOGGLE:
        setExpanded(item, !open);
        return true;
    default:
        return false;
    }
}

bool TreeView::ensureVisible(TreeItem item) {
    if (!exists(item)) return false;
    std::vector<TreeItem> closed;
    for (TreeItem p = nodes_.at(item).parent; p != 0; p = nodes_.at(p).parent)
        if (itemState(p, TVIS_EXPANDED) == 0) closed.push_back(p);
    // Opened from the outside in, each announced: a handler that fills a branch on expansion must run.
    for (auto it = closed.rbegin(); it != closed.rend(); ++it) {
        if (!exists(*it) || !setExpanded(*it, true)) continue;
        notifyExpanded(*it, TVE_EXPAND);
    }
    if (!exists(item) || !shown(item)) return false;
    scrollTo(item);
    return true;
}

void TreeView::scrollTo(TreeItem item) {
    int row = rowOf(item);
    if (row < 0) return;
    int top = topRow(), fit = std::max(visibleCount(), 1);
    std::vector<TreeItem> rows = shownItems();
    if (row < top) topItem_ = item;
    else if (row >= top + fit) topItem_ = rows[static_cast<std::size_t>(row - fit + 1)];
}

bool TreeView::selectItem(TreeItem item, int how) {
    if (item != 0 && !exists(item)) return false;
    if (item == caret_) return true;
    Notify changing;
    changing.ctlId = ctl_.id();
    changing.ev = Ev::SelChanging;
    changing.item = item;
    changing.action = how;
    ctl_.owner().sendNotify(changing);
    if (changing.result != 0) return false;
    if (item != 0 && !exists(item)) return false;
    if (exists(caret_)) nodes_.at(caret_).state &= ~TVIS_SELECTED;
    caret_ = item;
    if (item != 0) {
        nodes_.at(item).state |= TVIS_SELECTED;
        ensureVisible(item);
    }
    Notify changed = changing;
    changed.ev = Ev::SelChange;
    changed.result = 0;
    ctl_.owner().sendNotify(changed);
    return true;
}

bool TreeView::selectDropTarget(TreeItem item) {
    if (item != 0 && !exists(item)) return false;
    if (exists(drop_)) nodes_.at(drop_).state &= ~TVIS_DROPHILITED;
    drop_ = item;
    if (item != 0) nodes_.at(item).state |= TVIS_DROPHILITED;
    return true;
}

// ---- geometry ------------------------------------------------------------------------------------------

int TreeView::depth(TreeItem item) const {
    int d = 0;
    for (TreeItem p = nodes_.at(item).parent; p != 0; p = nodes_.at(p).parent) ++d;
    return d;
}

bool TreeView::shown(TreeItem item) const {
    if (!exists(item)) return false;
    for (TreeItem p = nodes_.at(item).parent; p != 0; p = nodes_.at(p).parent)
        if (itemState(p, TVIS_EXPANDED) == 0) return false;
    return true;
}

std::vector<TreeItem> TreeView::shownItems() const {
    std::vector<TreeItem> out;
    std::vector<TreeItem> stack(roots_.rbegin(), roots_.rend());
    while (!stack.empty()) {
        TreeItem h = stack.back();
        stack.pop_back();
        out.push_back(h);
        const Node& n = nodes_.at(h);
        if ((n.state & TVIS_EXPANDED) != 0) stack.insert(stack.end(), n.children.rbegin(), n.children.rend());
    }
    return out;
}

int TreeView::rowOf(TreeItem item) const {
    if (!shown(item)) return -1;
    std::vector<TreeItem> rows = shownItems();
    return static_cast<int>(std::find(rows.begin(), rows.end(), item) - rows.begin());
}

int TreeView::itemHeight() const { return std::max(kMinItemHeight, imageCy_); }

int TreeView::visibleCount() const { return ctl_.clientRect().height() / itemHeight(); }

int TreeView::topRow() const {
    int row = topItem_ ? std::max(rowOf(topItem_), 0) : 0;
    // The window system scrolls back rather than show empty rows below a shortened tree.
    int shownCount = static_cast<int>(shownItems().size());
    return std::clamp(row, 0, std::max(0, shownCount - visibleCount()));
}

TreeItem TreeView::firstVisible() const {
    std::vector<TreeItem> rows = shownItems();
    int top = topRow();
    return top < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(top)] : 0;
}

int TreeView::levelLeft(TreeItem item) const {
    bool rootIndent = (style_ & TVS_LINESATROOT) != 0 && (style_ & (TVS_HASLINES | TVS_HASBUTTONS)) != 0;
    return (depth(item) + (rootIndent ? 1 : 0)) * kIndent;
}

int TreeView::labelWidth(TreeItem item) const {
    return kCharWidth * static_cast<int>(nodes_.at(item).text.size()) + 2 * kLabelPadding;
}

bool TreeView::drawsButton(TreeItem item) const {
    return (style_ & TVS_HASBUTTONS) != 0 && hasChildren(item) && levelLeft(item) > 0;
}

std::optional<Rect> TreeView::itemRect(TreeItem item, bool textOnly) const {
    int row = rowOf(item);
    if (row < 0) return std::nullopt;
    int top = (row - topRow()) * itemHeight();
    if (!textOnly) return Rect{0, top, ctl_.clientRect().width(), top + itemHeight()};
    int left = levelLeft(item) + (normal_ ? imageCx_ : 0);
    return Rect{left, top, left + labelWidth(item), top + itemHeight()};
}

std::optional<Rect> TreeView::iconRect(TreeItem item) const {
    std::optional<Rect> row = itemRect(item, false);
    if (!row || !normal_) return std::nullopt;
    int left = levelLeft(item);
    return Rect{left, row->top, left + imageCx_, row->bottom};
}

std::optional<Rect> TreeView::buttonRect(TreeItem item) const {
    std::optional<Rect> row = itemRect(item, false);
    if (!row || !drawsButton(item)) return std::nullopt;
    int right = levelLeft(item);
    return Rect{right - kIndent, row->top, right, row->bottom};
}

TreeItem TreeView::hitTest(Point p, unsigned* flags) const {
    unsigned dummy = 0;
    unsigned& f = flags ? *flags : dummy;
    Rect client = ctl_.clientRect();
    f = 0;
    if (p.y < 0) f |= TVHT_ABOVE;
    if (p.y >= client.height()) f |= TVHT_BELOW;
    if (p.x < 0) f |= TVHT_TOLEFT;
    if (p.x >= client.width()) f |= TVHT_TORIGHT;
    if (f != 0) return 0;
    std::vector<TreeItem> rows = shownItems();
    std::size_t row = static_cast<std::size_t>(topRow() + p.y / itemHeight());
    if (row >= rows.size()) {
        f = TVHT_NOWHERE;
        return 0;
    }
    TreeItem h = rows[row];
    int left = levelLeft(h);
    int labelLeft = left + (normal_ ? imageCx_ : 0);
    // The cell left of the icon belongs to the button, drawn or not, as the window system reports it.
    if (p.x < left - kIndent) f = TVHT_ONITEMINDENT;
    else if (p.x < left) f = TVHT_ONITEMBUTTON;
    else if (p.x < labelLeft) f = TVHT_ONITEMICON;
    else if (p.x < labelLeft + labelWidth(h)) f = TVHT_ONITEMLABEL;
    else f = TVHT_ONITEMRIGHT;
    return h;
}

// ---- paths ---------------------------------------------------------------------------------------------

TreeItem TreeView::findUnder(TreeItem parent, std::string_view path) const {
    for (TreeItem h : siblings(parent)) {
        const std::string& t = nodes_.at(h).text;
        if (path == t) return h;
        if (path.size() > t.size() && path.substr(0, t.size()) == t && path[t.size()] == '/')
            if (TreeItem found = findUnder(h, path.substr(t.size() + 1))) return found;
    }
    return 0;
}

TreeItem TreeView::findPath(std::string_view path) const { return findUnder(0, path); }

std::string TreeView::pathOf(TreeItem item) const {
    std::string out;
    for (TreeItem h = item; exists(h); h = nodes_.at(h).parent)
        out = nodes_.at(h).text + (out.empty() ? "" : "/" + out);
    return out;
}

// ---- a user's actions ----------------------------------------------------------------------------------

TreeView& Dialog::treeView(int id) {
    TreeView* tv = item(id).treeView();
    assert(tv && "the control is no tree view");
    return *tv;
}

namespace {

// Finds the item a tree step names and checks the user could see it; "" when so.
std::string findShown(const Dialog& dlg, const Control& c, std::string_view path, TreeItem& item) {
    const TreeView& tv = *c.treeView();
    std::string that = "tree view " + std::to_string(c.id()) + " of window " + std::to_string(dlg.templateId());
    item = tv.findPath(path);
    if (!item) return that + " has no item " + quoteText(path);
    if (!tv.itemRect(item, false))
        return "item " + quoteText(path) + " of " + that + " is hidden in a collapsed branch";
    return "";
}

}  // namespace

std::string Dialog::userTreeClick(int ctlId, MouseClick click, std::string_view path, TreePart part) {
    Control* c = nullptr;
    if (std::string why = checkKind(ctlId, Ctl::TreeView, c); !why.empty()) return why;
    if (click == MouseClick::Double) return "tree views take single clicks only";
    if (path.empty()) return userTreeClickEmpty(*c, click);
    TreeItem h = 0;
    if (std::string why = findShown(*this, *c, path, h); !why.empty()) return why;
    TreeView& tv = *c->treeView();
    std::string that = "tree view " + std::to_string(ctlId) + " of window " + std::to_string(templateId_);
    if (part == TreePart::Icon && !tv.normal_) return that + " shows no icons";
    tv.scrollTo(h);  // the user scrolls the item into sight first
    Rect target = part == TreePart::Icon ? *tv.iconRect(h) : *tv.itemRect(h, true);
    std::optional<Rect> seen = clipToClient(target, c->clientRect());
    if (!seen) return "item " + quoteText(path) + " of " + that + " is out of sight";
    record(std::string("user ") + (click == MouseClick::Right ? "tree-rclick " : "tree-click ") +
           std::to_string(templateId_) + " " + std::to_string(ctlId) + " " + quoteText(path) +
           (part == TreePart::Icon ? " icon" : " label"));
    setCursorPos(c->clientToScreen(seen->center()));
    c->setFocus();
    c = findItem(ctlId);
    if (!c || !c->visible() || !c->enabled()) return "";
    Notify n;
    n.ctlId = ctlId;
    n.ev = click == MouseClick::Right ? Ev::RClick : Ev::Clicked;
    sendNotify(n);
    // A left click then moves the caret, unless the handler answered that it took care of the click.
    c = findItem(ctlId);
    if (click == MouseClick::Left && n.result == 0 && c && c->treeView()->exists(h))
        c->treeView()->selectItem(h, TVC_BYMOUSE);
    return "";
}

std::string Dialog::userTreeClickEmpty(Control& c, MouseClick click) {
    const TreeView& tv = *c.treeView();
    const int rows = static_cast<int>(tv.shownItems().size()) - tv.topRow();
    const Rect client = c.clientRect();
    const int y = rows * tv.itemHeight() + tv.itemHeight() / 2;
    if (y >= client.height())
        return "tree view " + std::to_string(c.id()) + " of window " + std::to_string(templateId_) +
               " shows no empty area below its items";
    record(std::string("user ") + (click == MouseClick::Right ? "tree-rclick " : "tree-click ") +
           std::to_string(templateId_) + " " + std::to_string(c.id()) + " (empty area)");
    setCursorPos(c.clientToScreen({client.width() / 2, y}));
    const int ctlId = c.id();
    c.setFocus();
    Control* now = findItem(ctlId);
    if (!now || !now->visible() || !now->enabled()) return "";
    Notify n;
    n.ctlId = ctlId;
    n.ev = click == MouseClick::Right ? Ev::RClick : Ev::Clicked;
    sendNotify(n);
    return "";
}

std::string Dialog::userTreeExpand(int ctlId, std::string_view path, bool expand) {
    Control* c = nullptr;
    if (std::string why = checkKind(ctlId, Ctl::TreeView, c); !why.empty()) return why;
    TreeItem h = 0;
    if (std::string why = findShown(*this, *c, path, h); !why.empty()) return why;
    TreeView& tv = *c->treeView();
    std::string item = "item " + quoteText(path) + " of tree view " + std::to_string(ctlId) + " of window " +
                       std::to_string(templateId_);
    if (!tv.hasChildren(h)) return item + " has no children";
    if ((tv.itemState(h, TVIS_EXPANDED) != 0) == expand)
        return item + (expand ? " is expanded already" : " is collapsed already");
    if (!tv.buttonRect(h))
        return item + " has no button (the tree needs buttons, and lines at the root for a root item)";
    tv.scrollTo(h);
    std::optional<Rect> seen = clipToClient(*tv.buttonRect(h), c->clientRect());
    if (!seen) return item + " is out of sight";
    record(std::string("user ") + (expand ? "tree-expand " : "tree-collapse ") + std::to_string(templateId_) + " " +
           std::to_string(ctlId) + " " + quoteText(path));
    setCursorPos(c->clientToScreen(seen->center()));
    c->setFocus();
    c = findItem(ctlId);
    if (!c || !c->visible() || !c->enabled()) return "";
    Notify n;
    n.ctlId = ctlId;
    n.ev = Ev::Clicked;
    sendNotify(n);
    c = findItem(ctlId);
    if (n.result != 0 || !c || !c->treeView()->setExpanded(h, expand)) return "";
    c->treeView()->notifyExpanded(h, expand ? TVE_EXPAND : TVE_COLLAPSE);
    if ((c = findItem(ctlId)) != nullptr) recordTreeRows(*c);
    return "";
}

std::string Dialog::userTreeEdit(int ctlId, std::string_view path, std::string_view text) {
    Control* c = nullptr;
    if (std::string why = checkKind(ctlId, Ctl::TreeView, c); !why.empty()) return why;
    TreeItem h = 0;
    if (std::string why = findShown(*this, *c, path, h); !why.empty()) return why;
    TreeView& tv = *c->treeView();
    if ((tv.style() & TVS_EDITLABELS) == 0)
        return "tree view " + std::to_string(ctlId) + " of window " + std::to_string(templateId_) +
               " does not let labels be edited";
    tv.scrollTo(h);
    record("user tree-edit " + std::to_string(templateId_) + " " + std::to_string(ctlId) + " " + quoteText(path) + " " +
           quoteText(text));
    // As F2 on the item: it becomes the caret, the edit opens over its label, Enter ends it.
    if (std::optional<Rect> label = clipToClient(*tv.itemRect(h, true), c->clientRect()))
        setCursorPos(c->clientToScreen(label->center()));
    c->setFocus();
    auto tree = [&]() -> TreeView* {
        Control* now = findItem(ctlId);
        return now && now->visible() && now->enabled() && now->treeView()->exists(h) ? now->treeView() : nullptr;
    };
    if (!tree() || !tree()->selectItem(h, TVC_BYKEYBOARD) || !tree()) return "";
    Notify begin;
    begin.ctlId = ctlId;
    begin.ev = Ev::BeginLabelEdit;
    begin.item = h;
    begin.text = tree()->itemText(h);
    sendNotify(begin);
    if (begin.result != 0 || !tree()) return "";
    Notify end;
    end.ctlId = ctlId;
    end.ev = Ev::EndLabelEdit;
    end.item = h;
    end.text = std::string(text);
    sendNotify(end);
    // The label takes the text only when the handler accepts it.
    if (end.result != 0 && tree()) tree()->setItemText(h, text);
    return "";
}

}  // namespace plat
