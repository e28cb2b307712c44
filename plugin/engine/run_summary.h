// The summary a recognition run ends with: the holes that need the user's attention and the tools that were
// not found or were made, in the plug-in's message box.
#pragma once
#include <vector>

#include "plugin/model/tool_records.h"

struct VIEW_LIST;

// Counts the tree's hole states and the sequence's tools (CYCLE_RECORDS::runStats) and shows what needs
// saying. Returns the box's result (2: the user asks for the tools view), 0 when there was nothing to say.
int showProcessSummary(VIEW_LIST* tree, std::vector<FULL_TOOLS_SEQ>& sequence);
