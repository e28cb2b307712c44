// Templates of the windows that stand in for subsystems not built yet (docs/seams.md): frames whose
// buttons give the results their callers act on, so the command loop can be driven end to end.
#include <iterator>

#include "plugin/engine/services.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::Rect;

plat::CtlTemplate button(int id, int row, int column, std::string text) {
    const int x = 7 + 60 * column, y = 7 + 18 * row;
    return {id, id == plat::IDOK ? Ctl::DefButton : Ctl::Button, Rect{x, y, x + 55, y + 14}, std::move(text)};
}

// A frame with OK and a closing button on the first row and one button per code, four a row, below.
plat::DlgTemplate codeFrame(int id, std::string caption, int height, std::string okText, std::string closeText,
                            const int* codes, std::size_t n) {
    plat::DlgTemplate frame{id, std::move(caption), 250, height, {}, false};
    frame.controls.push_back(button(plat::IDOK, 0, 0, std::move(okText)));
    frame.controls.push_back(button(plat::IDCANCEL, 0, 1, std::move(closeText)));
    for (std::size_t i = 0; i < n; ++i)
        frame.controls.push_back(button(codes[i], 1 + static_cast<int>(i) / 4, static_cast<int>(i) % 4,
                                        std::to_string(codes[i])));
    return frame;
}

}  // namespace

void registerSeamTemplates() {
    plat::registerDialog(codeFrame(18018, "Process configuration", 80, "OK", "Close", kConfigActions,
                                   std::size(kConfigActions)));
    plat::DlgTemplate editor =
        codeFrame(18015, "Operation", 100, "OK", "Cancel", kEditorActions, std::size(kEditorActions));
    editor.controls.push_back({CDlgEditProcessOpe::kLabelEdit, Ctl::Edit, Rect{7, 61, 200, 73}, ""});
    plat::registerDialog(std::move(editor));
}
