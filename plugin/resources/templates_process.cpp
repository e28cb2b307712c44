// Templates and images of the process tree and its dialogs: the tree with its statistics and state
// filters (18021), the points list (18009), the change-process list (18092) and the clearance option (18023).
#include "platform/ui/resources.h"
#include "platform/ui/tree_view.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;
using plat::DlgTemplate;
using plat::Rect;

// 330 x 290 units: the tree on the left, the run's statistics on the right, the group of state filters
// (two columns of five) below both, the buttons along the bottom.
DlgTemplate processTreeTemplate() {
    DlgTemplate t{18021, "Process", 330, 290, {}, false};
    const std::uint32_t treeStyle = plat::TVS_HASBUTTONS | plat::TVS_HASLINES | plat::TVS_LINESATROOT |
                                    plat::TVS_EDITLABELS | plat::TVS_SHOWSELALWAYS;
    t.controls.push_back({4124, Ctl::GroupBox, Rect{5, 3, 205, 200}, ""});
    t.controls.push_back({4003, Ctl::TreeView, Rect{9, 13, 201, 196}, "", treeStyle});
    const int labels[] = {4296, 4297, 4298};
    const int edits[] = {4031, 4032, 4033};
    for (int i = 0; i < 3; ++i) {
        const int y = 7 + 28 * i;
        t.controls.push_back({labels[i], Ctl::Static, Rect{212, y, 325, y + 9}, ""});
        t.controls.push_back({edits[i], Ctl::Edit, Rect{212, y + 10, 325, y + 22}, "", plat::ES_READONLY});
    }
    t.controls.push_back({4365, Ctl::Static, Rect{212, 91, 325, 100}, ""});
    t.controls.push_back({4034, Ctl::Edit, Rect{212, 101, 325, 113}, "", plat::ES_READONLY});
    t.controls.push_back({4023, Ctl::ComboDropList, Rect{212, 101, 325, 160}, ""});
    t.controls.push_back({4299, Ctl::Static, Rect{212, 119, 325, 128}, ""});
    t.controls.push_back({4036, Ctl::Edit, Rect{212, 129, 325, 141}, "", plat::ES_READONLY});
    t.controls.push_back({4186, Ctl::GroupBox, Rect{5, 203, 325, 262}, ""});
    const int checks[] = {4302, 4116, 4114, 4035, 4028, 4019, 4304, 4303, 4117, 4118};
    for (int i = 0; i < 10; ++i) {
        const int x = 11 + 158 * (i / 5), y = 213 + 10 * (i % 5);
        t.controls.push_back({checks[i], Ctl::Check, Rect{x, y, x + 150, y + 9}, ""});
    }
    const int buttons[] = {4307, 4158, 4181, 18041, plat::IDOK};
    for (int i = 0; i < 5; ++i) {
        const int x = 5 + 65 * i;
        t.controls.push_back({buttons[i], buttons[i] == plat::IDOK ? Ctl::DefButton : Ctl::Button,
                              Rect{x, 268, x + 60, 282}, ""});
    }
    return t;
}

DlgTemplate pointsListTemplate() {
    DlgTemplate t{18009, "Points", 180, 200, {}, false};
    t.controls.push_back({4102, Ctl::Static, Rect{7, 7, 173, 35}, ""});
    t.controls.push_back({4005, Ctl::TreeView, Rect{7, 38, 173, 172}, "", plat::TVS_SHOWSELALWAYS});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{65, 178, 115, 192}, "OK"});
    return t;
}

DlgTemplate changeProcessTemplate() {
    DlgTemplate t{18092, "Change process", 160, 130, {}, false};
    t.controls.push_back({18123, Ctl::ListBox, Rect{7, 7, 153, 100}, "", plat::LBS_SORT});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{20, 108, 75, 122}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{85, 108, 140, 122}, "Cancel"});
    return t;
}

// The radio pair and its group box are hidden and disabled in the template; nothing shows them.
DlgTemplate opDefaultsTemplate() {
    DlgTemplate t{18023, "", 200, 70, {}, false};
    t.controls.push_back({4019, Ctl::Check, Rect{7, 7, 193, 17}, ""});
    CtlTemplate first{4227, Ctl::Radio, Rect{15, 30, 100, 40}, "", 0, false, true};
    CtlTemplate second{4228, Ctl::Radio, Rect{105, 30, 190, 40}, "", 0, false, false};
    t.controls.push_back(first);
    t.controls.push_back(second);
    t.controls.push_back({4229, Ctl::GroupBox, Rect{7, 22, 193, 44}, "", 0, false, true});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{40, 50, 95, 64}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{105, 50, 160, 64}, "Cancel"});
    return t;
}

}  // namespace

// The images of the tree, 25 x 16 each: off, on, partly on, ... in the order the tree's image list takes.
const int kProcessTreeBitmaps[12] = {18082, 18010, 18084, 18083, 18025, 18024, 18067, 18066, 18073, 18072, 18088, 18089};

void registerProcessTemplates() {
    plat::registerDialog(processTreeTemplate());
    plat::registerDialog(pointsListTemplate());
    plat::registerDialog(changeProcessTemplate());
    plat::registerDialog(opDefaultsTemplate());
    for (int id : kProcessTreeBitmaps) plat::registerBitmap(id, 25, 16);
}
