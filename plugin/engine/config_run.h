// The configuration run's operation editing, for the configuration dialog's own callers: with the dialog's
// process, its current operation and ENGINE_STATE::configAction (101 append, 102 edit, 103 insert before,
// 104 insert after) set, draws the chosen row's form, runs the operation editor until OK or Cancel
// (Cancel sets the action to 105) and takes the form away again.
#pragma once
#include "plugin/services/configuration.h"

class CConfigProcess;

void runEditorPass(CConfigProcess& dialog);

// Deletes the form preview's and the trial marker's entities and empties their list.
void deletePreviewEntities();
