// The text snapshot of a window: what a user would see of each control, in template order; the rows of a
// list view and the items of a tree view follow their control's line, indented.
#include "platform/ui/dialog.h"
#include "platform/ui/list_view.h"
#include "platform/ui/text_quote.h"
#include "platform/ui/tree_view.h"

namespace plat {
namespace {

std::string flag(bool b) { return b ? "1" : "0"; }

bool listsItems(Ctl k) {
    return k == Ctl::ComboDropList || k == Ctl::ComboDropDown || k == Ctl::ComboSimple || k == Ctl::ListBox ||
           k == Ctl::Tab;
}

// " columns=[...] rows=N top=T" on the control's line, then one line a row.
std::string describeList(const ListView& lv, std::string& rows) {
    std::string out = " columns=[";
    for (int c = 0; c < lv.columnCount(); ++c)
        out += (c ? "," : "") + quoteText(lv.columnText(c)) + ":" + std::to_string(lv.columnWidth(c));
    out += "] rows=" + std::to_string(lv.itemCount()) + " top=" + std::to_string(lv.topIndex());
    for (int r = 0; r < lv.itemCount(); ++r) {
        rows += "  row " + std::to_string(r) + " [";
        for (int c = 0; c < std::max(lv.columnCount(), 1); ++c) rows += (c ? "," : "") + quoteText(lv.itemText(r, c));
        rows += "] data=" + std::to_string(lv.itemData(r));
        if (lv.itemImage(r) >= 0) rows += " image=" + std::to_string(lv.itemImage(r));
        if (lv.itemState(r, LVIS_SELECTED)) rows += " selected";
        if (lv.itemState(r, LVIS_FOCUSED)) rows += " focused";
        if (lv.itemState(r, LVIS_DROPHILITED)) rows += " drop";
        rows += '\n';
    }
    return out;
}

// " items=N top=..." on the control's line, then one line an item, indented by depth, in tree order.
std::string describeTree(const TreeView& tv, std::string& items) {
    std::string out = " items=" + std::to_string(tv.count());
    if (TreeItem top = tv.firstVisible()) out += " top=" + quoteText(tv.pathOf(top));
    auto walk = [&](auto& self, TreeItem h, int depth) -> void {
        for (; h != 0; h = tv.nextSibling(h)) {
            int image = 0, selImage = 0;
            tv.itemImage(h, image, selImage);
            items += std::string(static_cast<std::size_t>(2 + 2 * depth), ' ') + quoteText(tv.itemText(h)) +
                     " data=" + std::to_string(tv.itemData(h));
            if (tv.imageList()) items += " image=" + std::to_string(image) + "/" + std::to_string(selImage);
            if (tv.hasChildren(h)) items += tv.itemState(h, TVIS_EXPANDED) ? " expanded" : " collapsed";
            if (tv.selectedItem() == h) items += " caret";
            if (tv.itemState(h, TVIS_SELECTED)) items += " selected";
            if (tv.itemState(h, TVIS_DROPHILITED)) items += " drop";
            if (tv.itemState(h, TVIS_BOLD)) items += " bold";
            items += '\n';
            self(self, tv.childItem(h), depth + 1);
        }
    };
    walk(walk, tv.rootItem(), 0);
    return out;
}

}  // namespace

std::string describeWindow(const Dialog& dlg) {
    std::string out = "window " + std::to_string(dlg.templateId());
    if (!dlg.hasWindow()) return out + " closed\n";
    out += " caption=" + quoteText(dlg.windowText()) + " visible=" + flag(dlg.isVisible()) +
           " enabled=" + flag(dlg.isEnabled()) + " modal=" + flag(dlg.isModal());
    if (dlg.focusedId() != 0) out += " focus=" + std::to_string(dlg.focusedId());
    out += '\n';
    for (const auto& cp : dlg.controls()) {
        const Control& c = *cp;
        std::string text = c.text();
        if (c.kind() == Ctl::Edit && (c.style() & ES_PASSWORD) != 0) text.assign(text.size(), '*');
        out += std::to_string(c.id()) + " " + ctlKindName(c.kind()) + " text=" + quoteText(text) +
               " visible=" + flag(c.visible()) + " enabled=" + flag(c.enabled());
        if (c.kind() == Ctl::Check || c.kind() == Ctl::Radio) out += " check=" + std::to_string(c.check());
        if (listsItems(c.kind())) {
            out += " items=[";
            for (int i = 0; i < c.count(); ++i) out += (i ? "," : "") + quoteText(c.itemText(i));
            out += "] sel=";
            if (c.kind() == Ctl::ListBox && (c.style() & LBS_EXTENDEDSEL) != 0) {
                std::string sel;
                for (int i : c.selectedItems()) sel += (sel.empty() ? "" : ",") + std::to_string(i);
                out += "[" + sel + "]";
            } else {
                out += std::to_string(c.curSel());
            }
            if (c.droppedWidth() > 0) out += " dropped=" + std::to_string(c.droppedWidth());
        }
        if (c.kind() == Ctl::Progress)
            out += " range=" + std::to_string(c.range().first) + ".." + std::to_string(c.range().second) +
                   " pos=" + std::to_string(c.pos());
        if (c.bitmapId() != 0) out += " bitmap=" + std::to_string(c.bitmapId());
        if (auto colors = dlg.ctlColors(c.id()))
            out += " colors=" + colorText(colors->text) + "/" + colorText(colors->background);
        std::string lines;
        if (const ListView* lv = c.listView()) out += describeList(*lv, lines);
        if (const TreeView* tv = c.treeView()) out += describeTree(*tv, lines);
        out += '\n' + lines;
    }
    return out;
}

}  // namespace plat
