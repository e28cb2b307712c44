// Item texts of the tools view. UI-text lines are joined as text, never used as formats.
#include "plugin/tooling/tools_view_texts.h"

#include <cstdio>

#include "plugin/base/globals.h"
#include "plugin/base/tool_types.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"

namespace {

std::string length(double value) {
    char text[64];
    std::snprintf(text, sizeof text, g_fmtMedium, value);
    return text;
}

std::string diameterText(double diameter) { return g_txtDiameter + length(diameter); }

// The length of the kind the tool choice compares.
double shownLength(const tp_tool& t) {
    const PRM_SETTINGS* s = g_globals.constructed() ? &g_globals->settings : nullptr;
    if (!s || s->toolSequencingOption == 0) return t.fluteLength;
    switch (s->toolLengthKind) {
    case 0: return t.overallLength;
    case 2: return t.fluteLength;
    default: return t.shoulderLength;
    }
}

}  // namespace

const char* toolTypeName(std::int32_t type) {
    // The tools' lists name a type by the row at its index, as the table is laid out for them: types 1 to 19
    // at their own index, and so type 0 by the first row (9999's), not by the row of type 0 at the end.
    if (type >= 0 && type <= 19) return g_toolOpTypes[type].toolName;
    for (const TOOL_OP_TYPE* row = g_toolOpTypes; row->type >= 0; ++row)
        if (row->type == type) return row->toolName;
    return "";
}

TOOLS_VIEW_TEXTS toolsViewTexts(const CTextSection& texts) {
    return TOOLS_VIEW_TEXTS{texts.getText(21), texts.getText(22), texts.getText(23)};
}

std::string toolItemText(const tp_tool& tool) {
    char number[16];
    std::snprintf(number, sizeof number, "%02i", tool.number);
    return std::string(g_txtOpNumberPrefix) + number + " (" + fieldText(tool.name) + ") " + diameterText(tool.diameter) +
           " " + g_txtLength + length(shownLength(tool));
}

std::string missingToolItemText(const OPE_LIST& op, const TOOLS_VIEW_TEXTS& words) {
    const std::string type = toolTypeName(static_cast<std::int32_t>(op.toolType));
    const std::string named = fieldText(op.altToolName);
    const std::string typeText = named.empty() ? words.notFound + " " + type : "(" + named + ") " + type;
    return typeText + " " + diameterText(op.toolDiam) + " " + words.wantedLength + length(op.wantedLength);
}

std::string operationItemText(const OPE_LIST& op, const TOOLS_VIEW_TEXTS& words) {
    const std::string hole = op.point ? fieldText(op.point->description) : "";
    return hole + " " + words.operation + std::to_string(op.opIndex + 1) + " " + fieldText(op.comment);
}
