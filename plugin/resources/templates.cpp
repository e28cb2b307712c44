#include "plugin/resources/templates.h"

#include "platform/ui/dialog.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;
using plat::DlgTemplate;
using plat::Rect;

// 125 x 222 units: the version text on top, eight command buttons 111 x 14 from y 32 in steps of 18, the
// hidden button below them and OK centred at the bottom.
DlgTemplate mainMenuTemplate() {
    DlgTemplate t{18048, "Forantix", 125, 222, {}, false};
    t.controls.push_back({18038, Ctl::Static, Rect{7, 4, 118, 24}, "Version", plat::SS_CENTER});
    const int ids[] = {18004, 18005, 18006, 18007, 18008, 18009, 18010, 18034};
    const char* texts[] = {"Features manager",        "Parameters",           "Forms manager",
                           "Execute",                 "View Process",         "Create Forms - Surfaces",
                           "Create Forms - Solids",   "Edit Reports"};
    for (int i = 0; i < 8; ++i) {
        const int y = 32 + 18 * i;
        t.controls.push_back({ids[i], Ctl::Button, Rect{7, y, 118, y + 14}, texts[i]});
    }
    t.controls.push_back({18041, Ctl::Button, Rect{7, 178, 118, 192}, "Select Holes Manager"});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{37, 201, 87, 215}, "OK"});
    return t;
}

// 222 x 132 units: the centred message over the check box, and one row of three 77 x 14 buttons that the
// box's mode shows in part (their ranges overlap; no mode shows two overlapping buttons).
DlgTemplate messageBoxTemplate() {
    DlgTemplate t{18036, "", 222, 132, {}, false};
    t.controls.push_back({4177, Ctl::Static, Rect{7, 7, 215, 93}, "", plat::SS_CENTER});
    t.controls.push_back({4019, Ctl::Check, Rect{7, 97, 215, 107}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{17, 111, 94, 125}, "OK"});
    t.controls.push_back({3, Ctl::Button, Rect{72, 111, 149, 125}, ""});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{126, 111, 203, 125}, "Cancel"});
    return t;
}

// 90 x 66 units: "See All Y/N", "Analyze dynamic" and "Exit" one below the other.
DlgTemplate viewAllTemplate() {
    DlgTemplate t{18046, "View all selected geometry", 90, 66, {}, false};
    t.controls.push_back({18022, Ctl::Button, Rect{7, 7, 83, 21}, "See All Y/N"});
    t.controls.push_back({18023, Ctl::Button, Rect{7, 26, 83, 40}, "Analyze dynamic"});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{7, 45, 83, 59}, "Exit"});
    return t;
}

// Windows of subsystems not built yet: empty frames until their own templates arrive (docs/seams.md).
DlgTemplate emptyFrame(int id, const char* caption) { return DlgTemplate{id, caption, 200, 120, {}, false}; }

}  // namespace

void registerPluginTemplates() {
    plat::registerDialog(mainMenuTemplate());
    plat::registerDialog(messageBoxTemplate());
    plat::registerDialog(viewAllTemplate());
    plat::registerDialog(emptyFrame(18106, "Presel View"));
    registerProcessTemplates();
    registerToolTemplates();
    registerEditorTemplates();
    registerConfigTemplates();
    registerSettingsTemplates();
    registerFeatureTemplates();
    registerTableDialogTemplates();
}
