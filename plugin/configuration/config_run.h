// The configuration run's operation editing, for the configuration dialog's own callers: with the dialog's
// process, its current operation and the shared configuration action (101 append, 102 edit, 103 insert
// before, 104 insert after) set, draws the chosen row's form, runs the operation editor until OK or Cancel
// (Cancel sets the action to 105) and takes the form away again.
#pragma once

class CConfigProcess;

void runEditorPass(CConfigProcess& dialog);
