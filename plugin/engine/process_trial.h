// The process trial of the configuration run (the dialog's action 105).
#pragma once
#include <string>
#include <vector>

#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"

// Fills the description of each cylinder entry of `table` from its form steps (built for `rowCells`) and
// the `count` operations of the process tried: diameters and depths, chamfers where a chamfering operation
// has its top there, fits where a reamer or boring bar does, tips, flats and the open bottom, and each
// step's top lowered onto the tip cone of the step above.
void describeTrialForm(CTabColsDesc& table, const std::vector<std::string>& rowCells, const PROCESS_OPE* ops,
                       int count);
