// Templates and images of the process tree and its dialogs: the tree with its statistics and state
// filters (18021), the points list (18009), the change-process list (18092) and the clearance option (18023).
#include "platform/ui/resources.h"
#include "platform/ui/tree_view.h"
#include "plugin/resources/template_rows.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::DlgTemplate;

// 330 x 290 units: the tree on the left, the run's statistics on the right, the group of state filters
// (two columns of five) below both, the buttons along the bottom.
DlgTemplate processTreeTemplate() {
    DlgTemplate t{18021, "Process", 330, 290, {}, false};
    TemplateRows l(t);
    const std::uint32_t treeStyle = plat::TVS_HASBUTTONS | plat::TVS_HASLINES | plat::TVS_LINESATROOT |
                                    plat::TVS_EDITLABELS | plat::TVS_SHOWSELALWAYS;
    l.group(4124, 5, 3, 200, 197);
    l.add(4003, Ctl::TreeView, 9, 13, 192, 183, "", treeStyle);
    // A statistic: its label over its read-only edit.
    const auto statistic = [&l](int label, int edit, int y) {
        l.add(label, Ctl::Static, 212, y, 113, 9);
        l.edit(edit, 212, y + 10, 113).style = plat::ES_READONLY;
    };
    statistic(4296, 4031, 7);
    statistic(4297, 4032, 35);
    statistic(4298, 4033, 63);
    statistic(4365, 4034, 91);
    l.combo(4023, 212, 101, 113, 59);
    statistic(4299, 4036, 119);
    l.group(4186, 5, 203, 320, 59);
    const int checks[] = {4302, 4116, 4114, 4035, 4028, 4019, 4304, 4303, 4117, 4118};
    for (int i = 0; i < 10; ++i) l.add(checks[i], Ctl::Check, 11 + 158 * (i / 5), 213 + 10 * (i % 5), 150, 9);
    const int buttons[] = {4307, 4158, 4181, 18041};
    for (int i = 0; i < 4; ++i) l.button(buttons[i], 5 + 65 * i, 268, 60);
    l.ok(5 + 65 * 4, 268, 60, "");
    return t;
}

DlgTemplate pointsListTemplate() {
    DlgTemplate t{18009, "Points", 180, 200, {}, false};
    TemplateRows l(t);
    l.add(4102, Ctl::Static, 7, 7, 166, 28);
    l.add(4005, Ctl::TreeView, 7, 38, 166, 134, "", plat::TVS_SHOWSELALWAYS);
    l.ok(65, 178, 50);
    return t;
}

DlgTemplate changeProcessTemplate() {
    DlgTemplate t{18092, "Change process", 160, 130, {}, false};
    TemplateRows l(t);
    l.add(18123, Ctl::ListBox, 7, 7, 146, 93, "", plat::LBS_SORT);
    l.okCancel(20, 108, 55);
    return t;
}

// The radio pair and its group box are hidden and disabled in the template; nothing shows them.
DlgTemplate opDefaultsTemplate() {
    DlgTemplate t{18023, "", 200, 70, {}, false};
    TemplateRows l(t);
    l.check(4019, 7, 7, 186);
    l.radio(4227, 15, 30, 85, true).visible = false;
    l.radio(4228, 105, 30, 85, false).visible = false;
    plat::CtlTemplate& frame = l.group(4229, 7, 22, 186, 22);
    frame.visible = false;
    frame.group = true;
    l.okCancel(40, 50, 55);
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
