// Stand-ins for the process engine (docs/seams.md): a process tree and a configuration that are frames whose
// buttons give the results the command loop acts on, nothing generated to undo or cancel. The recognition
// command is in recognition_run.cpp.
#include "plugin/engine/services.h"

#include "plugin/cycle/load_time_objects.h"
#include "plugin/base/resource_switch.h"
#include "plugin/model/ope_list.h"
#include "plugin/base/directions.h"
#include "plugin/base/vectors.h"


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


int isOppositeDirAllowed(const double direction[3]) {
    double reversed[3];
    negateVector(direction, reversed);
    return isDirInSelViews(reversed, 0) == kSameSense ? 1 : 0;
}

// ---- operation generation (docs/seams.md) --------------------------------------------------------------
int storeDrillPoints(VIEW_LIST*) { return 0; }
void deleteTempPoints() {}
void findGroupNotes(VIEW_LIST*) {}
int createDrillOperations(VIEW_LIST*, POINT_LIST*, int) { return 0; }
int maxToolNumber() { return 0; }
void runUserToolsManager(POINT_LIST*) {}
void placeGroupNote(VIEW_LIST*) {}
int runToolPathGroups(POINT_LIST*) { return plat::IDCANCEL; }
int runToolsView(std::vector<FULL_TOOLS_SEQ>&) { return plat::IDOK; }
