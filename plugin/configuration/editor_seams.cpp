// Stand-ins for the editor's parts built next (docs/seams.md): the picks on the drawn form, the cut
// calculation and the entry dialogs. Each does the least the editor needs: the picks leave the blocks as
// they are, the calculation proposes nothing and the entry buttons open nothing.
#include "plugin/services/configuration.h"

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
