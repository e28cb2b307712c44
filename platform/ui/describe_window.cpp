// The text snapshot of a window: what a user would see of each control, in template order.
#include "platform/ui/dialog.h"
#include "platform/ui/text_quote.h"

namespace plat {
namespace {

std::string flag(bool b) { return b ? "1" : "0"; }

bool listsItems(Ctl k) {
    return k == Ctl::ComboDropList || k == Ctl::ComboDropDown || k == Ctl::ComboSimple || k == Ctl::ListBox ||
           k == Ctl::Tab;
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
        }
        if (c.kind() == Ctl::Progress)
            out += " range=" + std::to_string(c.range().first) + ".." + std::to_string(c.range().second) +
                   " pos=" + std::to_string(c.pos());
        if (c.bitmapId() != 0) out += " bitmap=" + std::to_string(c.bitmapId());
        if (auto colors = dlg.ctlColors(c.id()))
            out += " colors=" + colorText(colors->text) + "/" + colorText(colors->background);
        out += '\n';
    }
    return out;
}

}  // namespace plat
