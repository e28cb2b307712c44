// Stand-in for the process configuration dialog (docs/seams.md): a frame whose buttons give the results the
// configuration run acts on.
#include <iterator>

#include "plugin/configuration/config_process_frames.h"
#include "plugin/services/configuration.h"

LoadTime<CConfigProcess> g_configProcess;

const int kConfigActions[8] = {101, 102, 103, 104, 105, 120, 121, 122};

CConfigProcess::CConfigProcess() : plat::Dialog(18018) {
    for (int code : kConfigActions) onCommand(code, [this, code] { endDialog(code); });
}

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
}
