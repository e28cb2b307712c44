// Tree views: items under a root in insertion order, addressed by handles that are never reused, with item
// data, labels, images, states and fixed metrics for rectangles and hit tests. Coordinates are the
// control's client pixels (Control::clientRect). Layout of a shown row, from the left:
//   indent (one level per depth, one more for root items with lines or buttons at the root; the last
//   level holds the item's button) | icon (the image list's width, when one is set) | label (text width)
// Programmatic expand and collapse send nothing; ensureVisible expands collapsed parents and reports each
// as ItemExpanded; changing the caret (selectItem) sends SelChanging (refusable) and SelChange.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/dialog.h"

namespace plat {

class ImageList;

using TreeItem = std::uint32_t;  // 0 = none
constexpr TreeItem TVI_ROOT = 0xFFFF0000u, TVI_FIRST = 0xFFFF0001u, TVI_LAST = 0xFFFF0002u;
constexpr std::uint32_t TVS_HASBUTTONS = 0x1, TVS_HASLINES = 0x2, TVS_LINESATROOT = 0x4, TVS_EDITLABELS = 0x8,
                        TVS_SHOWSELALWAYS = 0x20;
constexpr unsigned TVIS_SELECTED = 0x2, TVIS_DROPHILITED = 0x8, TVIS_BOLD = 0x10, TVIS_EXPANDED = 0x20;
constexpr int TVE_COLLAPSE = 1, TVE_EXPAND = 2, TVE_TOGGLE = 3;
constexpr int TVC_UNKNOWN = 0, TVC_BYMOUSE = 1, TVC_BYKEYBOARD = 2;
constexpr int TVGN_ROOT = 0, TVGN_NEXT = 1, TVGN_PREVIOUS = 2, TVGN_PARENT = 3, TVGN_CHILD = 4,
              TVGN_FIRSTVISIBLE = 5, TVGN_NEXTVISIBLE = 6, TVGN_PREVIOUSVISIBLE = 7, TVGN_DROPHILITE = 8,
              TVGN_CARET = 9;
constexpr int TVSIL_NORMAL = 0, TVSIL_STATE = 2;
constexpr unsigned TVHT_NOWHERE = 0x1, TVHT_ONITEMICON = 0x2, TVHT_ONITEMLABEL = 0x4, TVHT_ONITEMINDENT = 0x8,
                   TVHT_ONITEMBUTTON = 0x10, TVHT_ONITEMRIGHT = 0x20, TVHT_ONITEMSTATEICON = 0x40,
                   TVHT_ONITEM = 0x46, TVHT_ABOVE = 0x100, TVHT_BELOW = 0x200, TVHT_TORIGHT = 0x400,
                   TVHT_TOLEFT = 0x800;

class TreeView {
public:
    static constexpr int kIndent = 19, kMinItemHeight = 16, kCharWidth = 6, kLabelPadding = 2;

    explicit TreeView(Control& ctl);

    std::uint32_t style() const { return style_; }
    void modifyStyle(std::uint32_t remove, std::uint32_t add) { style_ = (style_ & ~remove) | add; }
    ImageList* setImageList(ImageList* list, int which = TVSIL_NORMAL);  // returns the old one
    ImageList* imageList(int which = TVSIL_NORMAL) const;

    // Inserts under `parent` (TVI_ROOT or an item) after `after` (TVI_FIRST, TVI_LAST or a child of the
    // parent). 0 when the parent or the place does not exist.
    TreeItem insertItem(std::string_view text, int image = 0, int selectedImage = 0, TreeItem parent = TVI_ROOT,
                        TreeItem after = TVI_LAST);
    bool deleteItem(TreeItem item);  // with its children; TVI_ROOT = every item
    bool deleteAllItems() { return deleteItem(TVI_ROOT); }
    int count() const { return static_cast<int>(nodes_.size()); }
    bool exists(TreeItem item) const { return nodes_.count(item) != 0; }

    TreeItem nextItem(TreeItem item, int code) const;  // TVGN_*; 0 when none
    TreeItem rootItem() const { return nextItem(0, TVGN_ROOT); }
    TreeItem childItem(TreeItem item) const { return nextItem(item, TVGN_CHILD); }
    TreeItem nextSibling(TreeItem item) const { return nextItem(item, TVGN_NEXT); }
    TreeItem prevSibling(TreeItem item) const { return nextItem(item, TVGN_PREVIOUS); }
    TreeItem parentItem(TreeItem item) const { return nextItem(item, TVGN_PARENT); }
    TreeItem selectedItem() const { return caret_; }
    TreeItem dropHighlightItem() const { return drop_; }
    bool hasChildren(TreeItem item) const;

    std::string itemText(TreeItem item) const;
    bool setItemText(TreeItem item, std::string_view text);
    std::intptr_t itemData(TreeItem item) const;  // 0 for a bad item
    bool setItemData(TreeItem item, std::intptr_t data);
    bool itemImage(TreeItem item, int& image, int& selectedImage) const;
    bool setItemImage(TreeItem item, int image, int selectedImage);
    // Raw states: setting TVIS_SELECTED here marks the item without moving the caret (several items may
    // look selected); TVIS_EXPANDED is changed through expand().
    unsigned itemState(TreeItem item, unsigned mask) const;
    bool setItemState(TreeItem item, unsigned state, unsigned mask);

    bool expand(TreeItem item, int code);  // false when the item has no children
    bool ensureVisible(TreeItem item);
    bool selectItem(TreeItem item, int how = TVC_UNKNOWN);  // 0 = no caret; false when refused
    bool selectDropTarget(TreeItem item);                   // 0 = none

    // Geometry of shown items (every ancestor expanded), in client pixels; rows above the first visible
    // one lie above the client area.
    int itemHeight() const;
    int indent() const { return kIndent; }
    TreeItem firstVisible() const;
    int visibleCount() const;  // whole rows that fit in the client area
    std::optional<Rect> itemRect(TreeItem item, bool textOnly) const;  // none for an item hidden in a branch
    std::optional<Rect> iconRect(TreeItem item) const;                 // none also without an image list
    std::optional<Rect> buttonRect(TreeItem item) const;               // none when no button is drawn
    TreeItem hitTest(Point client, unsigned* flags = nullptr) const;

    // The item named by its texts from the root, "View 1/Hole 2"; a text may itself hold '/'. Of equal
    // siblings the first that leads on wins. 0 when none.
    TreeItem findPath(std::string_view path) const;
    std::string pathOf(TreeItem item) const;

private:
    friend class Dialog;
    struct Node {
        std::string text;
        std::intptr_t data = 0;
        int image = 0, selectedImage = 0;
        unsigned state = 0;
        TreeItem parent = 0;  // 0 for root items
        std::vector<TreeItem> children;
    };
    std::vector<TreeItem>& siblings(TreeItem parent);
    const std::vector<TreeItem>& siblings(TreeItem parent) const;
    const Node* node(TreeItem item) const;
    int depth(TreeItem item) const;
    bool shown(TreeItem item) const;
    std::vector<TreeItem> shownItems() const;  // pre-order, expanded branches only
    int rowOf(TreeItem item) const;            // among shownItems; -1 when hidden
    int levelLeft(TreeItem item) const;        // x where the item's icon (or label) starts
    int labelWidth(TreeItem item) const;
    bool drawsButton(TreeItem item) const;
    void notifyExpanded(TreeItem item, int action);
    bool setExpanded(TreeItem item, bool expanded);  // moves the caret out of a collapsed branch
    TreeItem findUnder(TreeItem parent, std::string_view path) const;
    int topRow() const;
    void scrollTo(TreeItem item);  // a shown item into sight, without expanding anything

    Control& ctl_;
    std::uint32_t style_;
    ImageList* normal_ = nullptr;
    ImageList* state_ = nullptr;
    int imageCx_ = 0, imageCy_ = 0;
    std::map<TreeItem, Node> nodes_;
    std::vector<TreeItem> roots_;
    TreeItem next_ = 1;
    TreeItem caret_ = 0, drop_ = 0;
    TreeItem topItem_ = 0;  // the first visible item, as the window system keeps it; 0 = the first row
};

}  // namespace plat
