// Stand-ins for the process configuration (docs/seams.md): a configuration and an operation editor that are
// frames whose buttons give the results the configuration run acts on, and picks that change nothing.
#include <iterator>

#include "plugin/configuration/config_process_frames.h"
#include "plugin/model/process_ope.h"
#include "plugin/services/configuration.h"

LoadTime<CConfigProcess> g_configProcess;

const int kConfigActions[8] = {101, 102, 103, 104, 105, 120, 121, 122};
const int kEditorActions[8] = {501, 502, 503, 504, 505, 515, 525, 535};

CConfigProcess::CConfigProcess() : plat::Dialog(18018) {
    for (int code : kConfigActions) onCommand(code, [this, code] { endDialog(code); });
    editor.owner = this;
}

void CConfigProcess::fillOperationFromEditor(PROCESS_OPE* target, const std::string&) const {
    *target = PROCESS_OPE{};
    setOpeText(*target, process_ope::label, editor.label);
}

CDlgEditProcessOpe::CDlgEditProcessOpe() : plat::Dialog(18015) {
    auto finish = [this](int code) {
        label = item(kLabelEdit).text();
        endDialog(code);
    };
    for (int code : kEditorActions) onCommand(code, [finish, code] { finish(code); });
    onCommand(plat::IDOK, [finish] { finish(plat::IDOK); });
    onCommand(plat::IDCANCEL, [finish] { finish(plat::IDCANCEL); });
}

void CDlgEditProcessOpe::pickToolDiameter() {}
void CDlgEditProcessOpe::pickTopZ() {}
void CDlgEditProcessOpe::pickBottomZ() {}
void CDlgEditProcessOpe::pickCircleMillDiameter() {}
void CDlgEditProcessOpe::pickContourDiameter() {}
void CDlgEditProcessOpe::pickHelixBoreDiameter() {}
void CDlgEditProcessOpe::pickThreadDiameter() {}

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

void registerConfigurationFrames() {
    plat::registerDialog(codeFrame(18018, "Process configuration", 80, "OK", "Close", kConfigActions,
                                   std::size(kConfigActions)));
    plat::DlgTemplate editor =
        codeFrame(18015, "Operation", 100, "OK", "Cancel", kEditorActions, std::size(kEditorActions));
    editor.controls.push_back({CDlgEditProcessOpe::kLabelEdit, Ctl::Edit, Rect{7, 61, 200, 73}, ""});
    plat::registerDialog(std::move(editor));
}
