// Report-style list views: columns, rows with sub-item texts, item data, images and the selected and
// focused states, with fixed row metrics so that rectangles and hit tests are the same on every run.
// Coordinates are the control's client pixels (Control::clientRect): the header along the top, then one
// row every rowHeight() pixels from topIndex() on. Programmatic changes of a row notify ItemChanged as the
// window system does (insertion, state, main text, image, data); sub-item texts and sorting stay silent.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/dialog.h"

namespace plat {

class ImageList;

constexpr std::uint32_t LVS_REPORT = 0x1, LVS_SINGLESEL = 0x4, LVS_SHOWSELALWAYS = 0x8,
                        LVS_NOCOLUMNHEADER = 0x4000;
constexpr unsigned LVS_EX_GRIDLINES = 0x1, LVS_EX_FULLROWSELECT = 0x20;
constexpr unsigned LVIS_FOCUSED = 0x1, LVIS_SELECTED = 0x2, LVIS_DROPHILITED = 0x8;
constexpr unsigned LVIF_TEXT = 0x1, LVIF_IMAGE = 0x2, LVIF_PARAM = 0x4, LVIF_STATE = 0x8;
constexpr unsigned LVNI_ALL = 0x0, LVNI_FOCUSED = 0x1, LVNI_SELECTED = 0x2;
constexpr int LVIR_BOUNDS = 0, LVIR_ICON = 1, LVIR_LABEL = 2;
constexpr int LVSIL_NORMAL = 0, LVSIL_SMALL = 1, LVSIL_STATE = 2;
constexpr int LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2;
constexpr unsigned LVHT_NOWHERE = 0x1, LVHT_ONITEMICON = 0x2, LVHT_ONITEMLABEL = 0x4, LVHT_ONITEM = 0xE,
                   LVHT_ABOVE = 0x8, LVHT_BELOW = 0x10, LVHT_TORIGHT = 0x20, LVHT_TOLEFT = 0x40;

class ListView {
public:
    static constexpr int kHeaderHeight = 20, kMinRowHeight = 17, kIconLeft = 2;

    explicit ListView(Control& ctl);

    std::uint32_t style() const { return style_; }
    const Control& control() const { return ctl_; }
    void modifyStyle(std::uint32_t remove, std::uint32_t add);
    unsigned extendedStyle() const { return exStyle_; }
    unsigned setExtendedStyle(unsigned mask, unsigned style);  // mask 0 = every bit; returns the old styles
    // Only the small list is shown in report view; its image height sets the row height. Returns the old.
    ImageList* setImageList(ImageList* list, int which);
    ImageList* imageList(int which) const;

    // Columns. Results that fail are -1 or false.
    int insertColumn(int col, std::string_view heading, int width, int format = LVCFMT_LEFT);
    bool deleteColumn(int col);
    int columnCount() const { return static_cast<int>(columns_.size()); }
    int columnWidth(int col) const;  // 0 for a bad column
    bool setColumnWidth(int col, int width);
    std::string columnText(int col) const;

    // Rows. insertItem puts the row at `row` (past the end: appended) and returns its index.
    int insertItem(int row, std::string_view text, int image = -1);
    bool deleteItem(int row);
    bool deleteAllItems();
    int itemCount() const { return static_cast<int>(rows_.size()); }
    bool setItemText(int row, int col, std::string_view text);
    std::string itemText(int row, int col) const;
    bool setItemData(int row, std::intptr_t data);
    std::intptr_t itemData(int row) const;  // 0 for a bad row
    bool setItemImage(int row, int image);
    int itemImage(int row) const;           // -1 for a bad row
    int findItemData(std::intptr_t data) const;

    // States (LVIS_*). Row -1 sets every row and notifies once with row -1; selecting in a single-selection
    // list deselects the other row first, and focusing a row takes the focus from the one that had it.
    unsigned itemState(int row, unsigned mask) const;
    bool setItemState(int row, unsigned state, unsigned mask);
    int nextItem(int after, unsigned flags) const;  // LVNI_*; after = -1 searches from the first row
    int selectedCount() const;

    // Geometry, in client pixels. Sub-item 0 with LVIR_BOUNDS is the whole row, as the window system
    // answers; its label is LVIR_LABEL. Rows above topIndex() lie above the header.
    int rowHeight() const;
    int headerHeight() const;
    std::optional<Rect> itemRect(int row, int code = LVIR_BOUNDS) const;
    std::optional<Rect> subItemRect(int row, int col, int code = LVIR_BOUNDS) const;
    std::optional<Rect> headerRect(int col) const;
    // The row whose icon or first-column label holds the point (the whole row with full-row select);
    // -1 and LVHT_NOWHERE or the LVHT_ABOVE.. bits otherwise.
    int hitTest(Point client, unsigned* flags = nullptr) const;
    // The row and column of the cell under the point, anywhere along the row.
    int subItemHitTest(Point client, int* col, unsigned* flags = nullptr) const;
    int topIndex() const { return top_; }
    int countPerPage() const;
    bool ensureVisible(int row, bool partialOk = false);

    // Reorders the rows by their item data (negative: a before b), keeping equal rows in order. Silent.
    bool sortItems(const std::function<int(std::intptr_t, std::intptr_t)>& compare);

private:
    friend class Dialog;
    struct Column { std::string heading; int width = 0; int format = LVCFMT_LEFT; };
    struct Row {
        std::vector<std::string> texts;  // by column; missing ones are empty
        std::intptr_t data = 0;
        int image = -1;
        unsigned state = 0;
    };
    bool validRow(int row) const { return row >= 0 && row < itemCount(); }
    Row& rowAt(int row) { return rows_[static_cast<std::size_t>(row)]; }
    const Row& rowAt(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    int columnLeft(int col) const;
    int totalWidth() const;
    int iconWidth() const;
    void notifyChanged(int row, unsigned changed, unsigned oldState, unsigned newState);
    void applyState(int row, unsigned state, unsigned mask);
    void selectOnly(int row);  // a user's plain click: the row selected and focused, every other one not
    void deselectAll();

    Control& ctl_;
    std::uint32_t style_;
    unsigned exStyle_ = 0;
    ImageList* small_ = nullptr;
    ImageList* normal_ = nullptr;
    ImageList* state_ = nullptr;
    int smallCy_ = 0, smallCx_ = 0;
    std::vector<Column> columns_;
    std::vector<Row> rows_;
    int top_ = 0;
};

}  // namespace plat
