// Templates and images of the tool dialogs: the tools view (18057) with the images of its tree, the tool
// library list (18061) with its row icon, the form's shape settings (18105) and the toolpath groups (18022).
#include "platform/ui/list_view.h"
#include "platform/ui/resources.h"
#include "platform/ui/tree_view.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::DlgTemplate;
using plat::Rect;

// 260 x 240 units: the tree over the whole window but the OK button centred below it.
DlgTemplate toolsViewTemplate() {
    DlgTemplate t{18057, "Tools view", 260, 240, {}, false};
    const std::uint32_t style = plat::TVS_HASBUTTONS | plat::TVS_HASLINES | plat::TVS_LINESATROOT;
    t.controls.push_back({18062, Ctl::TreeView, Rect{7, 7, 253, 212}, "", style});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{105, 219, 155, 233}, "OK"});
    return t;
}

// 300 x 200 units: the list of library tools, OK and Cancel below it.
DlgTemplate toolLibraryTemplate() {
    DlgTemplate t{18061, "Tool library", 300, 200, {}, false};
    t.controls.push_back({18063, Ctl::ListView, Rect{7, 7, 293, 172}, "",
                          plat::LVS_REPORT | plat::LVS_SINGLESEL | plat::LVS_SHOWSELALWAYS});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{90, 179, 145, 193}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{155, 179, 210, 193}, "Cancel"});
    return t;
}

// 180 x 90 units: the level with its label and the button of the host's level list on one line, the help
// points' check box below, OK and Cancel at the bottom.
DlgTemplate formShapeSettingsTemplate() {
    DlgTemplate t{18105, "", 180, 90, {}, false};
    t.controls.push_back({18207, Ctl::Static, Rect{7, 9, 60, 18}, ""});
    t.controls.push_back({18098, Ctl::Edit, Rect{65, 7, 110, 19}, ""});
    t.controls.push_back({18041, Ctl::Button, Rect{115, 6, 173, 20}, ""});
    t.controls.push_back({18204, Ctl::Check, Rect{7, 27, 173, 37}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{35, 69, 85, 83}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{95, 69, 145, 83}, "Cancel"});
    return t;
}

// 300 x 210 units: the ungrouped views on the left, the grouped ones on the right, the move buttons between
// them; the separator buttons under the grouped list, the pick under the other; the option and the buttons
// along the bottom. The texts but the arrows' come from the UI texts.
DlgTemplate toolPathGroupsTemplate() {
    DlgTemplate t{18022, "", 300, 210, {}, false};
    t.controls.push_back({4194, Ctl::Static, Rect{7, 7, 125, 16}, ""});
    t.controls.push_back({4051, Ctl::ListBox, Rect{7, 18, 125, 150}, "", plat::LBS_EXTENDEDSEL});
    t.controls.push_back({4187, Ctl::Button, Rect{133, 60, 167, 74}, "->"});
    t.controls.push_back({4188, Ctl::Button, Rect{133, 80, 167, 94}, "<-"});
    t.controls.push_back({4195, Ctl::Static, Rect{175, 7, 293, 16}, ""});
    t.controls.push_back({4052, Ctl::ListBox, Rect{175, 18, 293, 150}, "", plat::LBS_EXTENDEDSEL});
    t.controls.push_back({18041, Ctl::Button, Rect{7, 155, 80, 169}, ""});
    t.controls.push_back({4189, Ctl::Button, Rect{175, 155, 232, 169}, ""});
    t.controls.push_back({4190, Ctl::Button, Rect{236, 155, 293, 169}, ""});
    t.controls.push_back({4019, Ctl::Check, Rect{7, 175, 293, 185}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{185, 190, 236, 204}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{242, 190, 293, 204}, "Cancel"});
    return t;
}

}  // namespace

const int kToolsViewBitmaps[7] = {18082, 18058, 18060, 18064, 18085, 18087, 18059};

void registerToolTemplates() {
    plat::registerDialog(toolsViewTemplate());
    plat::registerDialog(toolLibraryTemplate());
    plat::registerDialog(formShapeSettingsTemplate());
    plat::registerDialog(toolPathGroupsTemplate());
    for (int id : kToolsViewBitmaps) plat::registerBitmap(id, 25, 16);
    plat::registerIcon(18062, 16, 16);
}
