// Popup menus built at run time and tracked headlessly: the script's `menu ID` step picks an item
// (`menu 0` / `menu none` dismisses). Recorded as
//   menu owner=18021 at=(x,y) [121 "Edit", -, 129 "Delete" grey, "More" [130 "A"]] -> 121
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/dialog.h"

namespace plat {

constexpr unsigned TPM_LEFTALIGN = 0x0, TPM_RIGHTBUTTON = 0x2, TPM_CENTERALIGN = 0x4, TPM_NONOTIFY = 0x80,
                   TPM_RETURNCMD = 0x100;

class Menu {
public:
    struct Entry {
        enum class Kind { Item, Separator, Submenu } kind = Kind::Item;
        int id = 0;
        std::string text;
        bool grayed = false;
        std::unique_ptr<Menu> sub;
    };

    void item(int id, std::string_view text, bool grayed = false);
    void separator();
    Menu& submenu(std::string_view text);  // the new sub-menu, to fill

    const std::vector<Entry>& entries() const { return entries_; }
    // The item with the id, searched through sub-menus; null when none.
    const Entry* find(int id) const;
    std::string describe() const;  // the bracketed list of the transcript line

private:
    std::vector<Entry> entries_;
};

// The picked id, 0 when dismissed. With TPM_RETURNCMD the id is returned and nothing is sent; without it
// the id goes to the owner as a command and the result is 1 (0 when dismissed). A greyed or absent id, or
// a step that is no menu step, is a script error and dismisses the menu.
int trackPopupMenu(const Menu& menu, unsigned flags, Point screen, Dialog* owner);

}  // namespace plat
