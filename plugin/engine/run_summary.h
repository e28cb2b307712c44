// The summary a recognition run ends with: the holes that need the user's attention and the tools that were
// not found or were made, in the plug-in's message box.
#pragma once
#include <string>
#include <vector>

#include "plugin/model/tool_records.h"

struct VIEW_LIST;

// Counts the tree's hole states and the sequence's tools (CYCLE_RECORDS::runStats) and shows what needs
// saying. Returns the box's result (2: the user asks for the tools view), 0 when there was nothing to say.
int showProcessSummary(VIEW_LIST* tree, std::vector<FULL_TOOLS_SEQ>& sequence);

class CTextSection;
// The log of what the recognition's rules left out, in the work folder.
inline constexpr const char* kDroppedLogName = "26_Dropped.txt";
// The summary's lines of what the last recognition left out, a count per rule that left something out, and
// the log that lists each with its position, diameter and reason (written into the work folder when anything
// was left out; no log without a work folder). "" when nothing was.
std::string droppedWallsSummary(const CTextSection& texts);
