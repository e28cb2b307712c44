// Templates of the process configuration: the configuration itself (18018), the name of a new process
// (18094) and the list of processes to delete (18093).
#include "platform/ui/list_view.h"
#include "platform/ui/tree_view.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;
using plat::DlgTemplate;
using plat::Rect;

// 440 x 305 units: the rows on the left over the frame of the current process (its combo, its operations
// and the process buttons); the table's picture and the row's form side by side on the right, upright as
// the forms are drawn; the information line and the buttons along the bottom. The cell editor lies hidden until a cell is edited.
DlgTemplate configTemplate() {
    DlgTemplate t{18018, "", 440, 305, {}, false};
    t.controls.push_back({4054, Ctl::ListView, Rect{5, 5, 290, 170}, "", plat::LVS_REPORT | plat::LVS_SHOWSELALWAYS});
    t.controls.push_back({4076, Ctl::Edit, Rect{5, 5, 45, 17}, "", 0, false});
    t.controls.push_back({4265, Ctl::Static, Rect{295, 5, 435, 14}, "", plat::SS_CENTER});
    t.controls.push_back({4080, Ctl::Picture, Rect{295, 16, 362, 130}, ""});
    t.controls.push_back({4082, Ctl::Picture, Rect{368, 16, 435, 130}, ""});
    t.controls.push_back({18154, Ctl::GroupBox, Rect{5, 174, 290, 270}, ""});
    t.controls.push_back({4097, Ctl::Static, Rect{10, 184, 285, 194}, ""});
    t.controls.push_back({18122, Ctl::ComboDropList, Rect{10, 196, 200, 290}, ""});
    t.controls.push_back({4056, Ctl::TreeView, Rect{10, 212, 200, 266}, "", plat::TVS_SHOWSELALWAYS});
    const int processButtons[] = {18150, 18151, 18152, 18041};
    for (int i = 0; i < 4; ++i) {
        const int y = 196 + 17 * i;
        t.controls.push_back({processButtons[i], Ctl::Button, Rect{205, y, 285, y + 14}, ""});
    }
    t.controls.push_back({18153, Ctl::Static, Rect{295, 136, 435, 170}, ""});
    t.controls.push_back({4390, Ctl::Static, Rect{5, 273, 435, 282}, ""});
    const int buttons[] = {4075, 4106, 4055, 4255, plat::IDOK};
    for (int i = 0; i < 5; ++i) {
        const int x = 5 + 87 * i;
        t.controls.push_back({buttons[i], buttons[i] == plat::IDOK ? Ctl::DefButton : Ctl::Button,
                              Rect{x, 286, x + 83, 300}, ""});
    }
    return t;
}

DlgTemplate newProcessTemplate() {
    DlgTemplate t{18094, "", 200, 70, {}, false};
    t.controls.push_back({18155, Ctl::Static, Rect{7, 7, 193, 17}, ""});
    t.controls.push_back({18098, Ctl::Edit, Rect{7, 20, 193, 32}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{40, 48, 95, 62}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{105, 48, 160, 62}, "Cancel"});
    return t;
}

DlgTemplate deleteProcessesTemplate() {
    DlgTemplate t{18093, "", 200, 180, {}, false};
    t.controls.push_back({18124, Ctl::ListView, Rect{7, 7, 193, 130}, "", plat::LVS_REPORT | plat::LVS_SHOWSELALWAYS});
    t.controls.push_back({18098, Ctl::Edit, Rect{7, 136, 128, 148}, ""});
    t.controls.push_back({18041, Ctl::Button, Rect{133, 135, 193, 149}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{40, 158, 95, 172}, ""});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{105, 158, 160, 172}, ""});
    return t;
}

}  // namespace

void registerConfigTemplates() {
    plat::registerDialog(configTemplate());
    plat::registerDialog(newProcessTemplate());
    plat::registerDialog(deleteProcessesTemplate());
}
