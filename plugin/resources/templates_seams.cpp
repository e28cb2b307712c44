// Templates of the windows that stand in for subsystems not built yet (docs/seams.md): frames whose
// buttons give the results their callers act on, so the command loop can be driven end to end.
#include "plugin/engine/services.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::Rect;

plat::CtlTemplate button(int id, int row, int column, std::string text) {
    const int x = 7 + 60 * column, y = 7 + 18 * row;
    return {id, id == plat::IDOK ? Ctl::DefButton : Ctl::Button, Rect{x, y, x + 55, y + 14}, std::move(text)};
}

}  // namespace

void registerSeamTemplates() {
    plat::DlgTemplate tree{18021, "Process tree", 250, 200, {}, false};
    tree.controls.push_back(button(plat::IDOK, 0, 0, "Recognise again"));
    tree.controls.push_back(button(plat::IDCANCEL, 0, 1, "Close"));
    int i = 0;
    for (int code : kProcessDialogResults) {
        tree.controls.push_back(button(code, 1 + i / 4, i % 4, std::to_string(code)));
        ++i;
    }
    plat::registerDialog(std::move(tree));

    plat::DlgTemplate config{18018, "Process configuration", 250, 80, {}, false};
    config.controls.push_back(button(plat::IDOK, 0, 0, "OK"));
    config.controls.push_back(button(plat::IDCANCEL, 0, 1, "Close"));
    i = 0;
    for (int code : kConfigActions) {
        config.controls.push_back(button(code, 1 + i / 4, i % 4, std::to_string(code)));
        ++i;
    }
    plat::registerDialog(std::move(config));

    plat::DlgTemplate editor{18015, "Operation", 250, 100, {}, false};
    editor.controls.push_back(button(plat::IDOK, 0, 0, "OK"));
    editor.controls.push_back(button(plat::IDCANCEL, 0, 1, "Cancel"));
    i = 0;
    for (int code : kEditorActions) {
        editor.controls.push_back(button(code, 1 + i / 4, i % 4, std::to_string(code)));
        ++i;
    }
    editor.controls.push_back({CDlgEditProcessOpe::kLabelEdit, Ctl::Edit, Rect{7, 61, 200, 73}, ""});
    plat::registerDialog(std::move(editor));
}
