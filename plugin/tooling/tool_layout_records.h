// The tool layout's records: one entry per operation of the recognised holes (DIAM_SORT) and the candidate
// tools an entry may take (TOOLS_SELECTION), with how entries are built, grouped and sorted and how
// candidates are collected. T is the base tolerance; lengths compared by "ToolSelectionCriteria" item 3.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/api.h"
#include "plugin/services/tooling.h"

struct VIEW_LIST;
struct OPE_LIST;
struct OP_CYCLE_LIST;

// Gives each entry whose process names its tool that tool of the configured library.
void resolveNamedTools(std::vector<CToolsLayout::DIAM_SORT>& entries);
void sortByChamferWidth(CToolsLayout::GROUP& group);
[[nodiscard]] bool toolMatchesCriteria(const tp_tool& tool, std::int16_t type, double diameter, const std::string& text,
                                       double radius, std::int16_t material);
void sortToolsByDiameter(std::vector<tp_tool>& tools);
// The same tool but for the value that is not part of a tool's identity.
[[nodiscard]] bool sameToolRecord(const tp_tool& a, const tp_tool& b);
// The length of a tool the layout compares: overall, shoulder or flute by "ToolSelectionCriteria" item 3.
double comparedLength(const tp_tool& tool);
