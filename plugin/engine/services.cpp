// Stand-ins for the process engine (docs/seams.md): a recognition that finds nothing, a process tree and a
// configuration that are frames whose buttons give the results the command loop acts on, nothing
// generated to undo or cancel.
#include "plugin/engine/services.h"

#include "plugin/core/load_time_objects.h"
#include "plugin/core/resource_switch.h"

int undoGroupOperations(std::uint32_t) { return 0; }
int cancelGroupOperations(std::uint32_t) { return 0; }

const int kProcessDialogResults[15] = {103, 104, 110, 903, 904, 1016, 108, 109, 111, 1012, 1013, 1014, 1015, 915, 132};

CDlgProcess::CDlgProcess() : plat::Dialog(18021) {
    for (int code : kProcessDialogResults) onCommand(code, [this, code] { endDialog(code); });
}

CConfigProcess::CConfigProcess() : plat::Dialog(18018) {}

// Nothing is recognised yet: the run summary's first button.
std::int16_t runRecognition(std::uint32_t*) { return 1; }

std::int16_t runProcessDialog(std::uint32_t*, std::int16_t*, std::int16_t preset) {
    g_processDlg->preset = preset;
    const int result = doModalInPluginRes(*g_processDlg);
    g_processDlg->afterRecognition = 0;
    return static_cast<std::int16_t>(result);
}

int runConfigProcess(std::int16_t preset) {
    g_configProcess->preset = preset;
    return doModalInPluginRes(*g_configProcess) == plat::IDOK ? 1 : 0;
}
void blankMarkerEnt() {}
void unblankMarkerEnt() {}
void drawHoleLabels(VIEW_LIST*, long, std::int16_t) {}
