// The registry of dialog templates and the conversion of dialog units to pixels. Base units are fixed
// (6 x 13 pixels per 4 x 8 units, a 9-point dialog font) so that every layout is the same on every run.
#include <mutex>

#include "platform/ui/dialog.h"

namespace plat {
namespace {

struct Templates {
    std::mutex mutex;
    std::map<int, std::unique_ptr<DlgTemplate>> byId;
};

Templates& templates() {
    static Templates* t = new Templates;
    return *t;
}

constexpr int kBaseX = 6, kBaseY = 13;

// MulDiv: rounds half away from zero.
int mulDiv(int v, int num, int den) {
    long long p = static_cast<long long>(v) * num;
    return static_cast<int>(p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den));
}

}  // namespace

void registerDialog(DlgTemplate tmpl) {
    std::lock_guard lock(templates().mutex);
    int id = tmpl.id;
    // Replacing in place keeps pointers handed out earlier valid for dialogs that are open.
    auto& slot = templates().byId[id];
    if (slot)
        *slot = std::move(tmpl);
    else
        slot = std::make_unique<DlgTemplate>(std::move(tmpl));
}

const DlgTemplate* findDialogTemplate(int id) {
    std::lock_guard lock(templates().mutex);
    auto it = templates().byId.find(id);
    return it == templates().byId.end() ? nullptr : it->second.get();
}

int dluToPixelsX(int dlu) { return mulDiv(dlu, kBaseX, 4); }
int dluToPixelsY(int dlu) { return mulDiv(dlu, kBaseY, 8); }

Rect dluToPixels(const Rect& dlu) {
    return {dluToPixelsX(dlu.left), dluToPixelsY(dlu.top), dluToPixelsX(dlu.right), dluToPixelsY(dlu.bottom)};
}

const char* ctlKindName(Ctl kind) {
    switch (kind) {
    case Ctl::Button: return "Button";
    case Ctl::DefButton: return "DefButton";
    case Ctl::BitmapButton: return "BitmapButton";
    case Ctl::Check: return "Check";
    case Ctl::Radio: return "Radio";
    case Ctl::GroupBox: return "GroupBox";
    case Ctl::Static: return "Static";
    case Ctl::Picture: return "Picture";
    case Ctl::Edit: return "Edit";
    case Ctl::ComboDropList: return "ComboDropList";
    case Ctl::ComboDropDown: return "ComboDropDown";
    case Ctl::ComboSimple: return "ComboSimple";
    case Ctl::ListBox: return "ListBox";
    case Ctl::ListView: return "ListView";
    case Ctl::TreeView: return "TreeView";
    case Ctl::Tab: return "Tab";
    case Ctl::Progress: return "Progress";
    }
    return "?";
}

}  // namespace plat
