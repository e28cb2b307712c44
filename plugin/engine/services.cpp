// Stand-ins for the process engine (docs/seams.md): a process tree and a configuration that are frames whose
// buttons give the results the command loop acts on, nothing generated to undo or cancel. The recognition
// command is in recognition_run.cpp.
#include "plugin/engine/services.h"

#include "plugin/core/load_time_objects.h"
#include "plugin/core/resource_switch.h"
#include "plugin/engine/ope_list.h"
#include "plugin/recognition/directions.h"
#include "plugin/recognition/vectors.h"

int undoGroupOperations(std::uint32_t) { return 0; }
int cancelGroupOperations(std::uint32_t) { return 0; }

const int kProcessDialogResults[15] = {103, 104, 110, 903, 904, 1016, 108, 109, 111, 1012, 1013, 1014, 1015, 915, 132};

CDlgProcess::CDlgProcess() : plat::Dialog(18021) {
    for (int code : kProcessDialogResults) onCommand(code, [this, code] { endDialog(code); });
}

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

std::int16_t runProcessDialog(std::uint32_t*, std::int16_t*, std::int16_t preset) {
    g_processDlg->preset = preset;
    const int result = doModalInPluginRes(*g_processDlg);
    g_processDlg->afterRecognition = 0;
    return static_cast<std::int16_t>(result);
}

void blankMarkerEnt() {}
void unblankMarkerEnt() {}

namespace {
constexpr std::size_t kDescDiameter = 2, kDescZTop = 10, kDescZBottom = 18;
}  // namespace

std::uint32_t opeOperationType(const OPE_LIST& ope) { return ope.toolType; }
double opeToolDiameter(const OPE_LIST& ope) { return ope.toolDiam; }
void setOpeTool(OPE_LIST& ope, std::uint32_t type, double diameter) {
    ope.toolType = type;
    ope.toolDiam = diameter;
}
double cilDescDiameter(const CIL_DESC& desc) { return desc.get<double>(kDescDiameter); }
double cilDescZTop(const CIL_DESC& desc) { return desc.get<double>(kDescZTop); }
double cilDescZBottom(const CIL_DESC& desc) { return desc.get<double>(kDescZBottom); }
void setCilDesc(CIL_DESC& desc, double diameter, double zTop, double zBottom) {
    desc.set(kDescDiameter, diameter);
    desc.set(kDescZTop, zTop);
    desc.set(kDescZBottom, zBottom);
}

int isOppositeDirAllowed(const double direction[3]) {
    double reversed[3];
    negateVector(direction, reversed);
    return isDirInSelViews(reversed, 0) == kSameSense ? 1 : 0;
}
