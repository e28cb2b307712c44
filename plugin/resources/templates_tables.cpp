// Templates of the configuration's table dialogs: the chooser's pages of pictures (18017) and the table's
// properties (18020) with its picture (bitmap 18053).
#include "platform/ui/resources.h"
#include "platform/ui/list_view.h"
#include "plugin/resources/template_rows.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::DlgTemplate;

// 400 x 336 units: the tabs on top; 18 picture slots of 60 x 78, six a row in three rows, each with its
// label under it; the information line and the buttons along the bottom. The list over the slots is hidden.
DlgTemplate chooserTemplate() {
    DlgTemplate t{18017, "", 400, 336, {}, false};
    TemplateRows l(t);
    l.add(4283, Ctl::Tab, 5, 4, 390, 14);
    const int pictures[18] = {4235, 4236, 4237, 4238, 4239, 4240, 4241, 4242, 4243,
                              4244, 4245, 4246, 4247, 4248, 4249, 4255, 4256, 4257};
    for (int slot = 0; slot < 18; ++slot) {
        const int x = 8 + 64 * (slot % 6), y = 22 + 92 * (slot / 6);
        l.add(pictures[slot], Ctl::Picture, x, y, 60, 78);
        l.add(4264 + slot, Ctl::Static, x, y + 79, 60, 9, "", plat::SS_CENTER);
    }
    l.add(4258, Ctl::Picture, 5, 22, 1, 1).visible = false;
    l.add(4259, Ctl::Picture, 394, 22, 1, 1).visible = false;
    l.add(4083, Ctl::ListView, 5, 22, 390, 274, "", plat::LVS_REPORT).visible = false;
    l.add(4390, Ctl::Static, 5, 300, 390, 10);
    l.button(4251, 5, 316, 60);
    l.button(4250, 70, 316, 60);
    l.button(18041, 200, 316, 100);
    l.ok(335, 316, 60, "");
    return t;
}

// 260 x 234 units: the chamfer group (its window of half angles and largest size, the chamfer to make) and
// the location group (two tolerances and a note) on the left, the picture on the right; the D-value radios,
// the rename row, OK and Cancel below.
DlgTemplate tablePropertiesTemplate() {
    DlgTemplate t{18020, "", 260, 234, {}, false};
    TemplateRows l(t);
    const auto text = [&l](int id, int x, int y, int w, const char* s = "") { l.add(id, Ctl::Static, x, y, w, 10, s); };
    l.group(4132, 5, 5, 160, 90);
    l.group(4149, 10, 15, 150, 43);
    text(4133, 15, 27, 45);
    l.edit(4090, 62, 25, 28);
    text(4134, 93, 27, 12);
    l.edit(4093, 108, 25, 28);
    text(4135, 139, 27, 19);
    text(4136, 15, 42, 85);
    l.edit(4109, 108, 40, 28);
    l.check(4038, 10, 62, 150);
    l.edit(4111, 20, 75, 40);
    text(4138, 63, 77, 97);
    l.group(4153, 5, 100, 160, 70);
    text(4154, 10, 112, 90);
    l.edit(4031, 105, 110, 30);
    text(4162, 138, 112, 12, "%");
    text(4155, 10, 127, 90);
    l.edit(4032, 105, 125, 30);
    text(4163, 138, 127, 12, "%");
    l.add(4164, Ctl::Static, 10, 142, 150, 24);
    l.radio(18084, 10, 174, 240, true);
    l.radio(18085, 10, 186, 240, false);
    l.check(4019, 10, 200, 60).group = true;
    l.edit(4039, 72, 199, 178);
    l.add(4260, Ctl::Picture, 172, 10, 80, 85).bitmapId = 18053;
    l.okCancel(140, 214, 55, 5, "", "");
    return t;
}

}  // namespace

void registerTableDialogTemplates() {
    plat::registerDialog(chooserTemplate());
    plat::registerDialog(tablePropertiesTemplate());
    plat::registerBitmap(18053, 120, 128);
}
