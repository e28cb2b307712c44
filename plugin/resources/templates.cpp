#include "plugin/resources/templates.h"

#include "platform/ui/dialog.h"
#include "plugin/resources/template_rows.h"

namespace {

using plat::Ctl;
using plat::DlgTemplate;

// 125 x 222 units: the version text on top, eight command buttons 111 x 14 from y 32 in steps of 18, the
// hidden button below them and OK centred at the bottom.
DlgTemplate mainMenuTemplate() {
    DlgTemplate t{18048, "Forantix", 125, 222, {}, false};
    TemplateRows l(t);
    l.add(18038, Ctl::Static, 7, 4, 111, 20, "Version", plat::SS_CENTER);
    const int ids[] = {18004, 18005, 18006, 18007, 18008, 18009, 18010, 18034};
    const char* texts[] = {"Features manager",        "Parameters",           "Forms manager",
                           "Execute",                 "View Process",         "Create Forms - Surfaces",
                           "Create Forms - Solids",   "Edit Reports"};
    for (int i = 0; i < 8; ++i) l.button(ids[i], 7, 32 + 18 * i, 111, texts[i]);
    l.button(18041, 7, 178, 111, "Select Holes Manager");
    l.ok(37, 201, 50);
    return t;
}

// 222 x 132 units: the centred message over the check box, and one row of three 77 x 14 buttons that the
// box's mode shows in part (their ranges overlap; no mode shows two overlapping buttons).
DlgTemplate messageBoxTemplate() {
    DlgTemplate t{18036, "", 222, 132, {}, false};
    TemplateRows l(t);
    l.add(4177, Ctl::Static, 7, 7, 208, 86, "", plat::SS_CENTER);
    l.check(4019, 7, 97, 208);
    l.ok(17, 111, 77);
    l.button(3, 72, 111, 77);
    l.button(plat::IDCANCEL, 126, 111, 77, "Cancel");
    return t;
}

// 90 x 66 units: "See All Y/N", "Analyze dynamic" and "Exit" one below the other.
DlgTemplate viewAllTemplate() {
    DlgTemplate t{18046, "View all selected geometry", 90, 66, {}, false};
    TemplateRows l(t);
    l.button(18022, 7, 7, 76, "See All Y/N");
    l.button(18023, 7, 26, 76, "Analyze dynamic");
    l.ok(7, 45, 76, "Exit");
    return t;
}

}  // namespace

void registerPluginTemplates() {
    plat::registerDialog(mainMenuTemplate());
    plat::registerDialog(messageBoxTemplate());
    plat::registerDialog(viewAllTemplate());
    registerProcessTemplates();
    registerToolTemplates();
    registerEditorTemplates();
    registerConfigTemplates();
    registerSettingsTemplates();
    registerFeatureTemplates();
    registerTableDialogTemplates();
}
