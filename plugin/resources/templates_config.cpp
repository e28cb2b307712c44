// Templates of the process configuration: the configuration itself (18018), the name of a new process
// (18094) and the list of processes to delete (18093).
#include "platform/ui/list_view.h"
#include "platform/ui/tree_view.h"
#include "plugin/resources/template_rows.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::DlgTemplate;

// 440 x 305 units: the rows on the left over the frame of the current process (its combo, its operations
// and the process buttons); the table's picture and the row's form side by side on the right, upright as
// the forms are drawn; the information line and the buttons along the bottom. The cell editor lies hidden
// until a cell is edited.
DlgTemplate configTemplate() {
    DlgTemplate t{18018, "", 440, 305, {}, false};
    TemplateRows l(t);
    l.add(4054, Ctl::ListView, 5, 5, 285, 165, "", plat::LVS_REPORT | plat::LVS_SHOWSELALWAYS);
    l.edit(4076, 5, 5, 40).visible = false;
    l.add(4265, Ctl::Static, 295, 5, 140, 9, "", plat::SS_CENTER);
    l.add(4080, Ctl::Picture, 295, 16, 67, 114);
    l.add(4082, Ctl::Picture, 368, 16, 67, 114);
    l.group(18154, 5, 174, 285, 96);
    l.add(4097, Ctl::Static, 10, 184, 275, 10);
    l.combo(18122, 10, 196, 190, 94);
    l.add(4056, Ctl::TreeView, 10, 212, 190, 54, "", plat::TVS_SHOWSELALWAYS);
    const int processButtons[] = {18150, 18151, 18152, 18041};
    for (int i = 0; i < 4; ++i) l.button(processButtons[i], 205, 196 + 17 * i, 80);
    l.add(18153, Ctl::Static, 295, 136, 140, 34);
    l.add(4390, Ctl::Static, 5, 273, 430, 9);
    const int buttons[] = {4075, 4106, 4055, 4255};
    for (int i = 0; i < 4; ++i) l.button(buttons[i], 5 + 87 * i, 286, 83);
    l.ok(5 + 87 * 4, 286, 83, "");
    return t;
}

DlgTemplate newProcessTemplate() {
    DlgTemplate t{18094, "", 200, 70, {}, false};
    TemplateRows l(t);
    l.add(18155, Ctl::Static, 7, 7, 186, 10);
    l.edit(18098, 7, 20, 186);
    l.okCancel(40, 48, 55);
    return t;
}

DlgTemplate deleteProcessesTemplate() {
    DlgTemplate t{18093, "", 200, 180, {}, false};
    TemplateRows l(t);
    l.add(18124, Ctl::ListView, 7, 7, 186, 123, "", plat::LVS_REPORT | plat::LVS_SHOWSELALWAYS);
    l.edit(18098, 7, 136, 121);
    l.button(18041, 133, 135, 60);
    l.okCancel(40, 158, 55, 10, "", "");
    return t;
}

}  // namespace

void registerConfigTemplates() {
    plat::registerDialog(configTemplate());
    plat::registerDialog(newProcessTemplate());
    plat::registerDialog(deleteProcessesTemplate());
}
