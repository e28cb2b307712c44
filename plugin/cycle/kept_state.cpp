// The forgetting of the state each subsystem keeps for a part, and at the library's load.
#include "plugin/cycle/kept_state.h"

#include "plugin/base/globals.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/engine/selected_groups.h"
#include "plugin/recognition/pipeline_raw.h"
#include "plugin/services/tables.h"
#include "plugin/tooling/hole_path.h"
#include "plugin/tooling/tool_path_groups.h"

void forgetKeptOfPart() {
    forgetPartGlobals();
    forgetIsolation();
    forgetRowsKeptForRun();
    clearDroppedWalls();
    forgetPendingPick();
}

void forgetKeptAtLoad() {
    forgetKeptOfPart();
    forgetUiTexts();
    forgetHolePaths();
}
