// Templates of the features manager's dialogs: the selection mask (18013) with its colour-pick bitmap
// (18014), the edit-feature dialog (18019), the reaming and tap features window (18047), the coloured-features
// configuration (18200), the RGB colours picker (18201), the name entry (18202), the preselection window
// (18106), the tap-depth additions (18107) and the form design dialog (18037).
#include <utility>

#include "platform/ui/resources.h"
#include "platform/ui/list_view.h"
#include "platform/ui/tree_view.h"
#include "plugin/resources/template_rows.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::DlgTemplate;

// 200 x 150 units: colour and level rows on top, the diameter frame with its lower and upper rows (box,
// edit, "?", tolerance in percent), OK and Cancel at the bottom.
DlgTemplate selectionMaskTemplate() {
    DlgTemplate t{18013, "", 200, 150, {}, false};
    TemplateRows l(t);
    const auto choiceRow = [&l](int y, int box, int value) {
        l.check(box, 7, y + 1, 63);
        l.edit(value, 75, y, 35);
    };
    choiceRow(6, 4019, 4033);
    l.add(4286, Ctl::Static, 115, 6, 30, 12);
    l.add(4271, Ctl::BitmapButton, 150, 5, 20, 14).bitmapId = 18014;
    choiceRow(24, 4028, 4034);
    l.button(4270, 115, 23, 55);
    l.group(4272, 7, 44, 186, 74);
    const auto diameterRow = [&l](int y, int box, int value, int pick, int tolerance) {
        l.check(box, 14, y + 1, 76);
        l.edit(value, 95, y, 40);
        l.button(pick, 138, y - 1, 12, "?");
        l.edit(tolerance, 155, y, 31);
    };
    diameterRow(57, 4035, 4031, 4268, 4039);
    diameterRow(87, 4114, 4032, 4269, 4040);
    l.okCancel(40, 128, 55);
    return t;
}

// 210 x 140 units: the Reaming/Tapping pair, the diameter, the thread (designation, table, Change), the
// depth, and the buttons along the bottom.
DlgTemplate editFeatureTemplate() {
    DlgTemplate t{18019, "", 210, 140, {}, false};
    TemplateRows l(t);
    l.radio(4288, 7, 7, 83, true);
    l.radio(4289, 100, 7, 90, false);
    l.add(4291, Ctl::Static, 7, 26, 63, 10).group = true;
    l.add(4290, Ctl::Static, 75, 26, 65, 10);
    l.add(4295, Ctl::Static, 7, 44, 83, 10);
    l.add(4296, Ctl::Static, 95, 44, 55, 10);
    l.button(4292, 155, 42, 48);
    l.add(4363, Ctl::Static, 7, 66, 63, 10);
    l.edit(4031, 75, 65, 55);
    l.button(4293, 7, 90, 93);
    l.button(4294, 110, 90, 93);
    l.okCancel(45, 118, 55);
    return t;
}

// 180 x 230 units: the selection buttons in a frame, the info text, the depth, the table combo (reaming)
// and "Do it" / Cancel at the bottom.
DlgTemplate assignFeaturesTemplate() {
    DlgTemplate t{18047, "Assign features", 180, 230, {}, false};
    TemplateRows l(t);
    l.group(18035, 5, 4, 170, 88);
    // Two buttons a row, left then right.
    const std::pair<int, const char*> selection[] = {{18024, "Filter"},     {18025, "Select All"},
                                                     {18026, "Select multiple"}, {18027, "UnSelect"},
                                                     {18031, "Select Tap"}, {18028, "See all"}};
    for (int k = 0; k < 6; ++k)
        l.button(selection[k].first, 12 + 80 * (k % 2), 15 + 18 * (k / 2), 76, selection[k].second);
    l.button(18023, 12, 70, 156, "Analyze dynamic");
    l.add(18032, Ctl::Static, 7, 96, 166, 50);
    l.add(18037, Ctl::Static, 7, 152, 53, 10);
    l.edit(18036, 62, 150, 48);
    l.add(18054, Ctl::Static, 114, 152, 59, 10);
    l.group(18188, 5, 166, 170, 30);
    l.combo(18187, 12, 177, 156, 83);
    l.ok(30, 206, 55, "Do it");
    l.button(4255, 95, 206, 55, "Cancel");
    return t;
}

// 300 x 250 units: six reaming rows (colour, "?", "RGB", table) in a frame, three thread rows in another,
// the configuration list with Save as, Rename and Delete, OK and Cancel.
DlgTemplate colouredFeaturesTemplate() {
    DlgTemplate t{18200, "", 300, 250, {}, false};
    TemplateRows l(t);
    auto rows = [&l](int frame, int colourHead, int tableHead, int top, int count, int colour, int pick, int rgb,
                     int table) {
        l.group(frame, 5, top, 290, 24 + 16 * count);
        l.add(colourHead, Ctl::Static, 12, top + 10, 48, 9);
        l.add(tableHead, Ctl::Static, 140, top + 10, 150, 9);
        for (int k = 0; k < count; ++k) {
            const int y = top + 21 + 16 * k;
            l.edit(colour + k, 12, y, 38);
            l.rowButton(pick + k, 54, y, 20, "?");
            l.rowButton(rgb + k, 78, y, 30, "RGB");
            l.combo(table + k, 140, y, 150, 80).style = plat::CBS_SORT;
        }
    };
    rows(5090, 5093, 5094, 4, 6, 5000, 5010, 5020, 5030);
    rows(5092, 5095, 5096, 128, 3, 5040, 5050, 5060, 5070);
    l.group(5091, 5, 204, 290, 22);
    l.add(5080, Ctl::ComboDropDown, 12, 211, 118, 79, "", plat::CBS_SORT);
    l.rowButton(5081, 136, 210, 50);
    l.rowButton(5082, 190, 210, 50);
    l.rowButton(5083, 244, 210, 46);
    l.okCancel(90, 231, 55);
    return t;
}

// 220 x 200 units: the list of colours over the two radio buttons, OK and Cancel.
DlgTemplate rgbColoursTemplate() {
    DlgTemplate t{18201, "", 220, 200, {}, false};
    TemplateRows l(t);
    l.add(1001, Ctl::ListView, 7, 7, 206, 143, "", plat::LVS_REPORT | plat::LVS_SINGLESEL | plat::LVS_SHOWSELALWAYS);
    l.radio(1002, 7, 156, 98, true);
    l.radio(1003, 110, 156, 103, false);
    l.ok(50, 178, 55).group = true;
    l.button(plat::IDCANCEL, 115, 178, 55, "Cancel");
    return t;
}

// 200 x 60 units: a label over one edit, OK and Cancel.
DlgTemplate inputTemplate() {
    DlgTemplate t{18202, "", 200, 60, {}, false};
    TemplateRows l(t);
    l.add(1001, Ctl::Static, 7, 7, 186, 10);
    l.edit(1002, 7, 20, 186);
    l.okCancel(40, 40, 55);
    return t;
}

// 200 x 250 units: the groups' tree over "Add group", the three statistics with their labels, OK and Cancel.
DlgTemplate preselViewTemplate() {
    DlgTemplate t{18106, "Presel View", 200, 250, {}, false};
    TemplateRows l(t);
    l.add(18107, Ctl::TreeView, 7, 7, 186, 153, "", plat::TVS_HASBUTTONS | plat::TVS_HASLINES | plat::TVS_LINESATROOT);
    l.button(18108, 7, 164, 73, "Add group");
    const char* labels[] = {"Number of cylinders found:", "Minor/major diameters found:", "Number of forms found:"};
    for (int i = 0; i < 3; ++i) {
        l.add(1001 + i, Ctl::Static, 7, 184 + 13 * i, 113, 10, labels[i]);
        l.add(18109 + i, Ctl::Static, 125, 184 + 13 * i, 68, 10);
    }
    l.okCancel(40, 229, 55, 10, "Aceptar", "Cancelar");
    return t;
}

// 230 x 130 units: a frame per hole kind, its check box on top, the fixed-length and the percentage radio
// each with its edit; OK and Cancel at the bottom.
DlgTemplate tapDepthAdditionsTemplate() {
    DlgTemplate t{18107, "", 230, 130, {}, false};
    TemplateRows l(t);
    const auto group = [&l](int top, int box, int fixed, int percent, int length, int percentage) {
        l.check(box, 7, top, 216);
        l.radio(fixed, 17, top + 15, 113, true);
        l.edit(length, 140, top + 14, 60);
        l.radio(percent, 17, top + 30, 113, false);
        l.edit(percentage, 140, top + 29, 60);
    };
    group(7, 18204, 18214, 18215, 18212, 18213);
    group(57, 18205, 18218, 18219, 18216, 18217);
    l.okCancel(60, 109, 50);
    return t;
}

// 330 x 330 units: the preview frame over the whole face but the button row. The edits, the depth combos,
// the buttons and the sixteen step check boxes start in the frame's corner: the dialog lays them onto the
// sketch. Both depth combos are there; the dialog shows the one the settings choose.
DlgTemplate formDesignTemplate() {
    DlgTemplate t{18037, "", 330, 330, {}, false};
    TemplateRows l(t);
    l.add(4196, Ctl::Picture, 5, 5, 320, 290);
    l.edit(4039, 10, 10, 40);
    l.rowButton(4371, 10, 10, 12, "?");
    l.edit(4032, 10, 10, 40);
    l.edit(4031, 10, 10, 40);
    l.add(4023, Ctl::ComboSimple, 10, 10, 50, 60);
    l.add(4024, Ctl::ComboDropDown, 10, 10, 50, 80);
    l.button(4220, 10, 10, 50);
    l.check(4035, 10, 10, 50);
    for (int k = 0; k < 16; ++k) l.check(4240 + k, 10, 10, 8);
    l.okCancel(105, 305, 55);
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
