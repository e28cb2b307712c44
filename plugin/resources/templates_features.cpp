// Templates of the features manager's dialogs: the selection mask (18013) with its colour-pick bitmap
// (18014), the edit-feature dialog (18019) and the coloured features' frame (18080).
#include "platform/ui/resources.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;
using plat::DlgTemplate;
using plat::Rect;

// 200 x 150 units: colour and level rows on top, the diameter frame with its lower and upper rows (box,
// edit, "?", tolerance in percent), OK and Cancel at the bottom.
DlgTemplate selectionMaskTemplate() {
    DlgTemplate t{18013, "", 200, 150, {}, false};
    t.controls.push_back({4019, Ctl::Check, Rect{7, 7, 70, 17}, ""});
    t.controls.push_back({4033, Ctl::Edit, Rect{75, 6, 110, 18}, ""});
    t.controls.push_back({4286, Ctl::Static, Rect{115, 6, 145, 18}, ""});
    CtlTemplate pick{4271, Ctl::BitmapButton, Rect{150, 5, 170, 19}, ""};
    pick.bitmapId = 18014;
    t.controls.push_back(pick);
    t.controls.push_back({4028, Ctl::Check, Rect{7, 25, 70, 35}, ""});
    t.controls.push_back({4034, Ctl::Edit, Rect{75, 24, 110, 36}, ""});
    t.controls.push_back({4270, Ctl::Button, Rect{115, 23, 170, 37}, ""});
    t.controls.push_back({4272, Ctl::GroupBox, Rect{7, 44, 193, 118}, ""});
    t.controls.push_back({4035, Ctl::Check, Rect{14, 58, 90, 68}, ""});
    t.controls.push_back({4031, Ctl::Edit, Rect{95, 57, 135, 69}, ""});
    t.controls.push_back({4268, Ctl::Button, Rect{138, 56, 150, 70}, "?"});
    t.controls.push_back({4039, Ctl::Edit, Rect{155, 57, 186, 69}, ""});
    t.controls.push_back({4114, Ctl::Check, Rect{14, 88, 90, 98}, ""});
    t.controls.push_back({4032, Ctl::Edit, Rect{95, 87, 135, 99}, ""});
    t.controls.push_back({4269, Ctl::Button, Rect{138, 86, 150, 100}, "?"});
    t.controls.push_back({4040, Ctl::Edit, Rect{155, 87, 186, 99}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{40, 128, 95, 142}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{105, 128, 160, 142}, "Cancel"});
    return t;
}

// 210 x 140 units: the Reaming/Tapping pair, the diameter, the thread (designation, table, Change), the
// depth, and the buttons along the bottom.
DlgTemplate editFeatureTemplate() {
    DlgTemplate t{18019, "", 210, 140, {}, false};
    t.controls.push_back(CtlTemplate{4288, Ctl::Radio, Rect{7, 7, 90, 17}, "", 0, true, true});
    t.controls.push_back(CtlTemplate{4289, Ctl::Radio, Rect{100, 7, 190, 17}, "", 0, true, false});
    t.controls.push_back(CtlTemplate{4291, Ctl::Static, Rect{7, 26, 70, 36}, "", 0, true, true});
    t.controls.push_back({4290, Ctl::Static, Rect{75, 26, 140, 36}, ""});
    t.controls.push_back({4295, Ctl::Static, Rect{7, 44, 90, 54}, ""});
    t.controls.push_back({4296, Ctl::Static, Rect{95, 44, 150, 54}, ""});
    t.controls.push_back({4292, Ctl::Button, Rect{155, 42, 203, 56}, ""});
    t.controls.push_back({4363, Ctl::Static, Rect{7, 66, 70, 76}, ""});
    t.controls.push_back({4031, Ctl::Edit, Rect{75, 65, 130, 77}, ""});
    t.controls.push_back({4293, Ctl::Button, Rect{7, 90, 100, 104}, ""});
    t.controls.push_back({4294, Ctl::Button, Rect{110, 90, 203, 104}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{45, 118, 100, 132}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{110, 118, 165, 132}, "Cancel"});
    return t;
}

}  // namespace

void registerFeatureTemplates() {
    // The coloured features' configuration is still a stand-in (docs/seams.md): OK and Cancel only.
    plat::registerDialog({18080, "Coloured features", 160, 60,
                          {{plat::IDOK, plat::Ctl::DefButton, plat::Rect{20, 38, 75, 52}, "OK"},
                           {plat::IDCANCEL, plat::Ctl::Button, plat::Rect{85, 38, 140, 52}, "Cancel"}},
                          false});
    plat::registerDialog(selectionMaskTemplate());
    plat::registerDialog(editFeatureTemplate());
    plat::registerBitmap(18014, 16, 16);
}
