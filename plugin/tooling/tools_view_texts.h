// The texts of the tools view's items: a tool, a tool that was not found, an operation. Numbers take the
// length format of the units; the tool, diameter and length labels are the short ones of "ForantixMenu".
#pragma once
#include <string>

#include "host/api.h"
#include "plugin/base/text_section.h"

struct OPE_LIST;

// Lines 21 (before a wanted length), 22 (before the type of a missing tool) and 23 (before an operation's
// place in its process) of "ToolsViewDlg".
struct TOOLS_VIEW_TEXTS {
    std::string wantedLength, notFound, operation;
};
TOOLS_VIEW_TEXTS toolsViewTexts(const CTextSection& texts);

// "T01 (name) dia10.00 L=45.00": the length the settings compare tools by ("ToolSelectionCriteria" 3; the
// flute length while item 7 is 0).
std::string toolItemText(const tp_tool& tool);
// "(text) Drill dia10.00 L 35.00", or "Not found Drill ..." without a tool text.
std::string missingToolItemText(const OPE_LIST& op, const TOOLS_VIEW_TEXTS& words);
// "Hole 1 Op.2 comment".
std::string operationItemText(const OPE_LIST& op, const TOOLS_VIEW_TEXTS& words);
// The name of the type table's row at the type's index for types 0 to 19 (type 0: the first row), of the
// type's row for others, "" for a type the table does not hold.
const char* toolTypeName(std::int32_t type);
