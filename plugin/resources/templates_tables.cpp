// Templates of the configuration's table dialogs: the chooser's pages of pictures (18017) and the table's
// properties (18020) with its picture (bitmap 18053).
#include "platform/ui/resources.h"
#include "platform/ui/list_view.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;
using plat::DlgTemplate;
using plat::Rect;

// 400 x 336 units: the tabs on top; 18 picture slots of 60 x 78, six a row in three rows, each with its
// label under it; the information line and the buttons along the bottom. The list over the slots is hidden.
DlgTemplate chooserTemplate() {
    DlgTemplate t{18017, "", 400, 336, {}, false};
    t.controls.push_back({4283, Ctl::Tab, Rect{5, 4, 395, 18}, ""});
    const int pictures[18] = {4235, 4236, 4237, 4238, 4239, 4240, 4241, 4242, 4243,
                              4244, 4245, 4246, 4247, 4248, 4249, 4255, 4256, 4257};
    for (int slot = 0; slot < 18; ++slot) {
        const int x = 8 + 64 * (slot % 6), y = 22 + 92 * (slot / 6);
        t.controls.push_back({pictures[slot], Ctl::Picture, Rect{x, y, x + 60, y + 78}, ""});
        t.controls.push_back({4264 + slot, Ctl::Static, Rect{x, y + 79, x + 60, y + 88}, "", plat::SS_CENTER});
    }
    t.controls.push_back({4258, Ctl::Picture, Rect{5, 22, 6, 23}, "", 0, false});
    t.controls.push_back({4259, Ctl::Picture, Rect{394, 22, 395, 23}, "", 0, false});
    t.controls.push_back({4083, Ctl::ListView, Rect{5, 22, 395, 296}, "", plat::LVS_REPORT, false});
    t.controls.push_back({4390, Ctl::Static, Rect{5, 300, 395, 310}, ""});
    t.controls.push_back({4251, Ctl::Button, Rect{5, 316, 65, 330}, ""});
    t.controls.push_back({4250, Ctl::Button, Rect{70, 316, 130, 330}, ""});
    t.controls.push_back({18041, Ctl::Button, Rect{200, 316, 300, 330}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{335, 316, 395, 330}, ""});
    return t;
}

// 260 x 234 units: the chamfer group (its window of half angles and largest size, the chamfer to make) and
// the location group (two tolerances and a note) on the left, the picture on the right; the D-value radios,
// the rename row, OK and Cancel below.
DlgTemplate tablePropertiesTemplate() {
    DlgTemplate t{18020, "", 260, 234, {}, false};
    auto add = [&t](int id, Ctl kind, Rect r, std::string text = "", bool group = false) {
        CtlTemplate c{id, kind, r, std::move(text)};
        c.group = group;
        t.controls.push_back(c);
    };
    add(4132, Ctl::GroupBox, {5, 5, 165, 95});
    add(4149, Ctl::GroupBox, {10, 15, 160, 58});
    add(4133, Ctl::Static, {15, 27, 60, 37});
    add(4090, Ctl::Edit, {62, 25, 90, 37});
    add(4134, Ctl::Static, {93, 27, 105, 37});
    add(4093, Ctl::Edit, {108, 25, 136, 37});
    add(4135, Ctl::Static, {139, 27, 158, 37});
    add(4136, Ctl::Static, {15, 42, 100, 52});
    add(4109, Ctl::Edit, {108, 40, 136, 52});
    add(4038, Ctl::Check, {10, 62, 160, 72});
    add(4111, Ctl::Edit, {20, 75, 60, 87});
    add(4138, Ctl::Static, {63, 77, 160, 87});
    add(4153, Ctl::GroupBox, {5, 100, 165, 170});
    add(4154, Ctl::Static, {10, 112, 100, 122});
    add(4031, Ctl::Edit, {105, 110, 135, 122});
    add(4162, Ctl::Static, {138, 112, 150, 122}, "%");
    add(4155, Ctl::Static, {10, 127, 100, 137});
    add(4032, Ctl::Edit, {105, 125, 135, 137});
    add(4163, Ctl::Static, {138, 127, 150, 137}, "%");
    add(4164, Ctl::Static, {10, 142, 160, 166});
    add(18084, Ctl::Radio, {10, 174, 250, 184}, "", true);
    add(18085, Ctl::Radio, {10, 186, 250, 196});
    add(4019, Ctl::Check, {10, 200, 70, 210}, "", true);
    add(4039, Ctl::Edit, {72, 199, 250, 211});
    CtlTemplate picture{4260, Ctl::Picture, Rect{172, 10, 252, 95}, ""};
    picture.bitmapId = 18053;
    t.controls.push_back(picture);
    add(plat::IDOK, Ctl::DefButton, {140, 214, 195, 228});
    add(plat::IDCANCEL, Ctl::Button, {200, 214, 255, 228});
    return t;
}

}  // namespace

void registerTableDialogTemplates() {
    plat::registerDialog(chooserTemplate());
    plat::registerDialog(tablePropertiesTemplate());
    plat::registerBitmap(18053, 120, 128);
}
