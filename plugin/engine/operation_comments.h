// The comment of an operation (what, with which cycle, tool and depth, the tool number in front once tools
// are numbered) and the explanation line of a hole shown by the process tree.
#pragma once
#include <cstdint>
#include <string>

#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/services/engine.h"   // composeOperationName, setOperationNumberPrefix

struct POINT_LIST;

// A hole's explanation: `head` names its table and row, `tail` says how the row fits, the process and the
// hole's states. It is built from the hole and its table whenever it is shown, whole: the hole record keeps
// only as much of it as its field holds.
struct HOLE_EXPLANATION {
    std::string head, tail;
    std::string whole() const { return head + tail; }
};
// The explanation of a hole whose table has class `tableClass`; `rowText` is the caller's text shown after
// the row of a form table, `shownRow` the row named (the hole's own row name by default).
HOLE_EXPLANATION explainHole(const POINT_LIST& hole, int tableClass, const std::string& rowText = "",
                             const char* shownRow = nullptr);
// The class of the hole's table as read from the tables folder; 0 (a form table) when it cannot be read.
int holeTableClass(const POINT_LIST& hole);
// Rewrites the hole's stored explanation line (as much of it as the field holds). With a `rowText` the row
// shown is the one of the hole's table that fits its description now.
void buildOperationWhyText(POINT_LIST& hole, const std::string& rowText);
// The hole's stored explanation line.
std::string operationWhyText(const POINT_LIST& hole);

// Line `id` of a section of the UI texts ("" when absent), read once per invocation (forgetUiTexts).
std::string uiText(const char* section, int id);
// The sections uiText read are read again from the file at their next use.
void forgetUiTexts();
