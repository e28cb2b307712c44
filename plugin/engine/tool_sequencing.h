// The tool sequencing run: every operation of the recognised holes gets its tool, each toolpath group of
// views is flattened into one entry of the tool sequence in machining order, the tools the plug-in made go
// into the tool library, and the tools are numbered, given their offset numbers and put in front of the
// operation comments.
#pragma once
#include <cstdint>
#include <vector>

#include "plugin/model/tool_records.h"

struct VIEW_LIST;

// Appends one entry per toolpath group of `views` to `out` (the caller empties it first). With
// `onlySelected`, views and holes that are not selected are left out.
void sequenceTools(std::vector<FULL_TOOLS_SEQ>& out, VIEW_LIST* views, std::uint8_t onlySelected);
