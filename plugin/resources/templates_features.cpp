// Templates of the features manager's dialogs: the selection mask (18013) with its colour-pick bitmap
// (18014), the edit-feature dialog (18019), the reaming and tap features window (18047), the coloured-features
// configuration (18200), the RGB colours picker (18201), the name entry (18202), the preselection window
// (18106), the tap-depth additions (18107) and the form design dialog (18037).
#include "platform/ui/resources.h"
#include "platform/ui/list_view.h"
#include "platform/ui/tree_view.h"
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

// 180 x 230 units: the selection buttons in a frame, the info text, the depth, the table combo (reaming)
// and "Do it" / Cancel at the bottom.
DlgTemplate assignFeaturesTemplate() {
    DlgTemplate t{18047, "Assign features", 180, 230, {}, false};
    t.controls.push_back({18035, Ctl::GroupBox, Rect{5, 4, 175, 92}, ""});
    t.controls.push_back({18024, Ctl::Button, Rect{12, 15, 88, 29}, "Filter"});
    t.controls.push_back({18025, Ctl::Button, Rect{92, 15, 168, 29}, "Select All"});
    t.controls.push_back({18026, Ctl::Button, Rect{12, 33, 88, 47}, "Select multiple"});
    t.controls.push_back({18027, Ctl::Button, Rect{92, 33, 168, 47}, "UnSelect"});
    t.controls.push_back({18031, Ctl::Button, Rect{12, 51, 88, 65}, "Select Tap"});
    t.controls.push_back({18028, Ctl::Button, Rect{92, 51, 168, 65}, "See all"});
    t.controls.push_back({18023, Ctl::Button, Rect{12, 70, 168, 84}, "Analyze dynamic"});
    t.controls.push_back({18032, Ctl::Static, Rect{7, 96, 173, 146}, ""});
    t.controls.push_back({18037, Ctl::Static, Rect{7, 152, 60, 162}, ""});
    t.controls.push_back({18036, Ctl::Edit, Rect{62, 150, 110, 162}, ""});
    t.controls.push_back({18054, Ctl::Static, Rect{114, 152, 173, 162}, ""});
    t.controls.push_back({18188, Ctl::GroupBox, Rect{5, 166, 175, 196}, ""});
    t.controls.push_back({18187, Ctl::ComboDropList, Rect{12, 177, 168, 260}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{30, 206, 85, 220}, "Do it"});
    t.controls.push_back({4255, Ctl::Button, Rect{95, 206, 150, 220}, "Cancel"});
    return t;
}

// 300 x 250 units: six reaming rows (colour, "?", "RGB", table) in a frame, three thread rows in another,
// the configuration list with Save as, Rename and Delete, OK and Cancel.
DlgTemplate colouredFeaturesTemplate() {
    DlgTemplate t{18200, "", 300, 250, {}, false};
    auto rows = [&t](int frame, int colourHead, int tableHead, int top, int count, int colour, int pick, int rgb,
                     int table) {
        t.controls.push_back({frame, Ctl::GroupBox, Rect{5, top, 295, top + 24 + 16 * count}, ""});
        t.controls.push_back({colourHead, Ctl::Static, Rect{12, top + 10, 60, top + 19}, ""});
        t.controls.push_back({tableHead, Ctl::Static, Rect{140, top + 10, 290, top + 19}, ""});
        for (int k = 0; k < count; ++k) {
            const int y = top + 21 + 16 * k;
            t.controls.push_back({colour + k, Ctl::Edit, Rect{12, y, 50, y + 12}, ""});
            t.controls.push_back({pick + k, Ctl::Button, Rect{54, y, 74, y + 12}, "?"});
            t.controls.push_back({rgb + k, Ctl::Button, Rect{78, y, 108, y + 12}, "RGB"});
            t.controls.push_back({table + k, Ctl::ComboDropList, Rect{140, y, 290, y + 80}, "", plat::CBS_SORT});
        }
    };
    rows(5090, 5093, 5094, 4, 6, 5000, 5010, 5020, 5030);
    rows(5092, 5095, 5096, 128, 3, 5040, 5050, 5060, 5070);
    t.controls.push_back({5091, Ctl::GroupBox, Rect{5, 204, 295, 226}, ""});
    t.controls.push_back({5080, Ctl::ComboDropDown, Rect{12, 211, 130, 290}, "", plat::CBS_SORT});
    t.controls.push_back({5081, Ctl::Button, Rect{136, 210, 186, 222}, ""});
    t.controls.push_back({5082, Ctl::Button, Rect{190, 210, 240, 222}, ""});
    t.controls.push_back({5083, Ctl::Button, Rect{244, 210, 290, 222}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{90, 231, 145, 245}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{155, 231, 210, 245}, "Cancel"});
    return t;
}

// 220 x 200 units: the list of colours over the two radio buttons, OK and Cancel.
DlgTemplate rgbColoursTemplate() {
    DlgTemplate t{18201, "", 220, 200, {}, false};
    t.controls.push_back({1001, Ctl::ListView, Rect{7, 7, 213, 150}, "",
                          plat::LVS_REPORT | plat::LVS_SINGLESEL | plat::LVS_SHOWSELALWAYS});
    t.controls.push_back(CtlTemplate{1002, Ctl::Radio, Rect{7, 156, 105, 166}, "", 0, true, true});
    t.controls.push_back(CtlTemplate{1003, Ctl::Radio, Rect{110, 156, 213, 166}, "", 0, true, false});
    t.controls.push_back(CtlTemplate{plat::IDOK, Ctl::DefButton, Rect{50, 178, 105, 192}, "OK", 0, true, true});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{115, 178, 170, 192}, "Cancel"});
    return t;
}

// 200 x 60 units: a label over one edit, OK and Cancel.
DlgTemplate inputTemplate() {
    DlgTemplate t{18202, "", 200, 60, {}, false};
    t.controls.push_back({1001, Ctl::Static, Rect{7, 7, 193, 17}, ""});
    t.controls.push_back({1002, Ctl::Edit, Rect{7, 20, 193, 32}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{40, 40, 95, 54}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{105, 40, 160, 54}, "Cancel"});
    return t;
}

// 200 x 250 units: the groups' tree over "Add group", the three statistics with their labels, OK and Cancel.
DlgTemplate preselViewTemplate() {
    DlgTemplate t{18106, "Presel View", 200, 250, {}, false};
    t.controls.push_back({18107, Ctl::TreeView, Rect{7, 7, 193, 160}, "",
                          plat::TVS_HASBUTTONS | plat::TVS_HASLINES | plat::TVS_LINESATROOT});
    t.controls.push_back({18108, Ctl::Button, Rect{7, 164, 80, 178}, "Add group"});
    t.controls.push_back({1001, Ctl::Static, Rect{7, 184, 120, 194}, "Number of cylinders found:"});
    t.controls.push_back({18109, Ctl::Static, Rect{125, 184, 193, 194}, ""});
    t.controls.push_back({1002, Ctl::Static, Rect{7, 197, 120, 207}, "Minor/major diameters found:"});
    t.controls.push_back({18110, Ctl::Static, Rect{125, 197, 193, 207}, ""});
    t.controls.push_back({1003, Ctl::Static, Rect{7, 210, 120, 220}, "Number of forms found:"});
    t.controls.push_back({18111, Ctl::Static, Rect{125, 210, 193, 220}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{40, 229, 95, 243}, "Aceptar"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{105, 229, 160, 243}, "Cancelar"});
    return t;
}

// 230 x 130 units: a frame per hole kind, its check box on top, the fixed-length and the percentage radio
// each with its edit; OK and Cancel at the bottom.
DlgTemplate tapDepthAdditionsTemplate() {
    DlgTemplate t{18107, "", 230, 130, {}, false};
    const auto group = [&](int top, int box, int fixed, int percent, int length, int percentage) {
        t.controls.push_back({box, Ctl::Check, Rect{7, top, 223, top + 10}, ""});
        t.controls.push_back(CtlTemplate{fixed, Ctl::Radio, Rect{17, top + 15, 130, top + 25}, "", 0, true, true});
        t.controls.push_back({length, Ctl::Edit, Rect{140, top + 14, 200, top + 26}, ""});
        t.controls.push_back(CtlTemplate{percent, Ctl::Radio, Rect{17, top + 30, 130, top + 40}, "", 0, true, false});
        t.controls.push_back({percentage, Ctl::Edit, Rect{140, top + 29, 200, top + 41}, ""});
    };
    group(7, 18204, 18214, 18215, 18212, 18213);
    group(57, 18205, 18218, 18219, 18216, 18217);
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{60, 109, 110, 123}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{120, 109, 170, 123}, "Cancel"});
    return t;
}

// 330 x 330 units: the preview frame over the whole face but the button row. The edits, the depth combos,
// the buttons and the sixteen step check boxes start in the frame's corner: the dialog lays them onto the
// sketch. Both depth combos are there; the dialog shows the one the settings choose.
DlgTemplate formDesignTemplate() {
    DlgTemplate t{18037, "", 330, 330, {}, false};
    t.controls.push_back({4196, Ctl::Picture, Rect{5, 5, 325, 295}, ""});
    t.controls.push_back({4039, Ctl::Edit, Rect{10, 10, 50, 22}, ""});
    t.controls.push_back({4371, Ctl::Button, Rect{10, 10, 22, 22}, "?"});
    t.controls.push_back({4032, Ctl::Edit, Rect{10, 10, 50, 22}, ""});
    t.controls.push_back({4031, Ctl::Edit, Rect{10, 10, 50, 22}, ""});
    t.controls.push_back({4023, Ctl::ComboSimple, Rect{10, 10, 60, 70}, ""});
    t.controls.push_back({4024, Ctl::ComboDropDown, Rect{10, 10, 60, 90}, ""});
    t.controls.push_back({4220, Ctl::Button, Rect{10, 10, 60, 24}, ""});
    t.controls.push_back({4035, Ctl::Check, Rect{10, 10, 60, 20}, ""});
    for (int k = 0; k < 16; ++k) t.controls.push_back({4240 + k, Ctl::Check, Rect{10, 10, 18, 20}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{105, 305, 160, 319}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{170, 305, 225, 319}, "Cancel"});
    return t;
}

}  // namespace

void registerFeatureTemplates() {
    plat::registerDialog(selectionMaskTemplate());
    plat::registerDialog(editFeatureTemplate());
    plat::registerDialog(assignFeaturesTemplate());
    plat::registerDialog(colouredFeaturesTemplate());
    plat::registerDialog(rgbColoursTemplate());
    plat::registerDialog(inputTemplate());
    plat::registerDialog(preselViewTemplate());
    plat::registerDialog(tapDepthAdditionsTemplate());
    plat::registerDialog(formDesignTemplate());
    plat::registerBitmap(18014, 16, 16);
}
