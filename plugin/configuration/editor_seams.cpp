// Stand-ins for the editor's parts built next (docs/seams.md): binding the measures to the row's form,
// the checks of OK, the picks on the drawn form, the cut calculation and the entry dialogs. Each does the
// least the editor needs: OK reads the controls and ends, the binding and the picks leave the blocks as they
// are, the calculation proposes nothing and the entry buttons open nothing.
#include "plugin/services/configuration.h"

void CDlgEditProcessOpe::normalizeAssocValues() {}

void CDlgEditProcessOpe::onOK() {
    normalizeAssocValues();
    readControls();
    endDialog(plat::IDOK);
}

int CDlgEditProcessOpe::checkOperation(PROCESS_OPE&, bool) { return 0; }

int CDlgEditProcessOpe::calculateCuts(PROCESS_OPE&, std::int16_t, double, double, double, double) { return 0; }

void CDlgEditProcessOpe::onCalculateCuts() {}
void CDlgEditProcessOpe::runHelicalEntry() {}
void CDlgEditProcessOpe::runCircleEntryExit() {}
void CDlgEditProcessOpe::runHelixEntryExit() {}

void CDlgEditProcessOpe::pickToolDiameter() {}
void CDlgEditProcessOpe::pickTopZ() {}
void CDlgEditProcessOpe::pickBottomZ() {}
void CDlgEditProcessOpe::pickCircleMillDiameter() {}
void CDlgEditProcessOpe::pickContourDiameter() {}
void CDlgEditProcessOpe::pickHelixBoreDiameter() {}
void CDlgEditProcessOpe::pickThreadDiameter() {}
