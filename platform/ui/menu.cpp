// Popup menus: building, lookup, the transcript form and tracking by script.
#include "platform/ui/menu.h"

#include <mutex>

#include "platform/ui/driver.h"
#include "platform/ui/text_quote.h"

namespace plat {

void Menu::item(int id, std::string_view text, bool grayed) {
    Entry e;
    e.id = id;
    e.text = std::string(text);
    e.grayed = grayed;
    entries_.push_back(std::move(e));
}

void Menu::separator() {
    Entry e;
    e.kind = Entry::Kind::Separator;
    entries_.push_back(std::move(e));
}

Menu& Menu::submenu(std::string_view text) {
    Entry e;
    e.kind = Entry::Kind::Submenu;
    e.text = std::string(text);
    e.sub = std::make_unique<Menu>();
    entries_.push_back(std::move(e));
    return *entries_.back().sub;
}

const Menu::Entry* Menu::find(int id) const {
    for (const Entry& e : entries_) {
        switch (e.kind) {
        case Entry::Kind::Item:
            if (e.id == id) return &e;
            break;
        case Entry::Kind::Submenu:
            if (const Entry* found = e.sub->find(id)) return found;
            break;
        case Entry::Kind::Separator:
            break;
        }
    }
    return nullptr;
}

std::string Menu::describe() const {
    std::string out = "[";
    for (const Entry& e : entries_) {
        if (out.size() > 1) out += ", ";
        switch (e.kind) {
        case Entry::Kind::Item:
            out += std::to_string(e.id) + " " + quoteText(e.text) + (e.grayed ? " grey" : "");
            break;
        case Entry::Kind::Separator:
            out += "-";
            break;
        case Entry::Kind::Submenu:
            out += quoteText(e.text) + " " + e.sub->describe();
            break;
        }
    }
    return out + "]";
}

int trackPopupMenu(const Menu& menu, unsigned flags, Point screen, Dialog* owner) {
    UiDriver& d = driver();
    int picked = 0;
    {
        std::lock_guard lock(d.mutex());
        if (std::optional<Step> step = d.expect({"menu"}, "popup menu " + menu.describe())) {
            int id = step->args.empty() || step->args[0] == "none" ? 0 : step->intArg(0);
            const Menu::Entry* e = id != 0 ? menu.find(id) : nullptr;
            if (id == 0)
                picked = 0;
            else if (!e)
                d.scriptError(&*step, "the popup menu has no item " + std::to_string(id));
            else if (e->grayed)
                d.scriptError(&*step, "menu item " + std::to_string(id) + " is greyed");
            else
                picked = id;
        }
        d.record("menu owner=" + (owner ? std::to_string(owner->templateId()) : std::string("-")) + " at=(" +
                 std::to_string(screen.x) + "," + std::to_string(screen.y) + ") " + menu.describe() + " -> " +
                 std::to_string(picked));
    }
    if ((flags & TPM_RETURNCMD) != 0) return picked;
    if (picked != 0 && owner && owner->hasWindow()) owner->sendCommand(picked);
    return picked != 0 ? 1 : 0;
}

}  // namespace plat
