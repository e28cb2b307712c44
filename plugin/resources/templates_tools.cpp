// Templates and images of the tool dialogs: the tools view (18057) with the images of its tree, the tool
// library list (18061) with its row icon, the form's shape settings (18105) and the toolpath groups (18022).
#include "platform/ui/list_view.h"
#include "platform/ui/resources.h"
#include "platform/ui/tree_view.h"
#include "plugin/resources/template_rows.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::DlgTemplate;

// 260 x 240 units: the tree over the whole window but the OK button centred below it.
DlgTemplate toolsViewTemplate() {
    DlgTemplate t{18057, "Tools view", 260, 240, {}, false};
    TemplateRows l(t);
    l.add(18062, Ctl::TreeView, 7, 7, 246, 205, "", plat::TVS_HASBUTTONS | plat::TVS_HASLINES | plat::TVS_LINESATROOT);
    l.ok(105, 219, 50);
    return t;
}

// 300 x 200 units: the list of library tools, OK and Cancel below it.
DlgTemplate toolLibraryTemplate() {
    DlgTemplate t{18061, "Tool library", 300, 200, {}, false};
    TemplateRows l(t);
    l.add(18063, Ctl::ListView, 7, 7, 286, 165, "", plat::LVS_REPORT | plat::LVS_SINGLESEL | plat::LVS_SHOWSELALWAYS);
    l.okCancel(90, 179, 55);
    return t;
}

// 180 x 90 units: the level with its label and the button of the host's level list on one line, the help
// points' check box below, OK and Cancel at the bottom.
DlgTemplate formShapeSettingsTemplate() {
    DlgTemplate t{18105, "", 180, 90, {}, false};
    TemplateRows l(t);
    l.label(18207, 7, 7, 53);
    l.edit(18098, 65, 7, 45);
    l.button(18041, 115, 6, 58);
    l.check(18204, 7, 27, 166);
    l.okCancel(35, 69, 50);
    return t;
}

// 300 x 210 units: the ungrouped views on the left, the grouped ones on the right, the move buttons between
// them; the separator buttons under the grouped list, the pick under the other; the option and the buttons
// along the bottom. The texts but the arrows' come from the UI texts.
DlgTemplate toolPathGroupsTemplate() {
    DlgTemplate t{18022, "", 300, 210, {}, false};
    TemplateRows l(t);
    const auto viewsList = [&l](int x, int label, int list) {
        l.add(label, Ctl::Static, x, 7, 118, 9);
        l.add(list, Ctl::ListBox, x, 18, 118, 132, "", plat::LBS_EXTENDEDSEL);
    };
    viewsList(7, 4194, 4051);
    l.button(4187, 133, 60, 34, "->");
    l.button(4188, 133, 80, 34, "<-");
    viewsList(175, 4195, 4052);
    l.button(18041, 7, 155, 73);
    l.button(4189, 175, 155, 57);
    l.button(4190, 236, 155, 57);
    l.check(4019, 7, 175, 286);
    l.okCancel(185, 190, 51, 6);
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
