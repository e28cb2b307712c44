// The drilling list: per drilling direction a title block, per tool a block with the tool, and per hole its
// X and Y in the direction's coordinates and the operation's depth, in columns aligned on the decimal point.
#include <cstdio>
#include <string>

#include "platform/sys/files.h"
#include "platform/ui/message_box.h"
#include "plugin/base/file_dialogs.h"
#include "plugin/base/globals.h"
#include "plugin/base/number_text.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/tool_types.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/tooling/reports.h"

namespace {

constexpr int kFilterName = 1, kFileExists = 8, kOperationLabel = 11, kDiameterLabel = 12, kDepthLabel = 13,
              kThrough = 14, kBlind = 15, kCreated = 20;   // "DrillingList"

std::string formatted(const char* format, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

}  // namespace

// The name of a tool type's tool, "" for an unknown type.
std::string toolTypeToolName(std::int32_t type) {
    for (const TOOL_OP_TYPE* row = g_toolOpTypes; row->type >= 0; ++row)
        if (row->type == type) return row->toolName;
    return "";
}

int CDrillingList::begin(const std::string& name, std::int16_t width, bool dontAsk) {
    close();
    (void)texts.load(g_globals->uiTextFile, "DrillingList", false);
    fileName = name;
    if (!dontAsk && plat::fileExists(fileName)) {
        plat::messageBox(nullptr, fillText(texts.getText(kFileExists), {fileName}), errorMessage(1), plat::MB_OK);
        fileName = openFileDialog(false, false, fileName, "txt", texts.getText(kFilterName) + "|*.txt||");
        if (fileName.empty()) return 0;
    }
    file = std::fopen(fileName.c_str(), "w");
    lastToolNumber = -1;
    numberWidth = width;
    return 0;
}

int CDrillingList::writeHeader(const VIEW_LIST* view) {
    if (!file) return 0;
    std::string title = viewDescription(view);
    const int pad = (80 - static_cast<int>(title.size())) / 2;
    if (pad > 0) title = std::string(static_cast<std::size_t>(pad), ' ') + title + std::string(static_cast<std::size_t>(pad), ' ');
    const std::string stars(80, '*');
    std::fprintf(file, "\n\n%s\n%s\n%s\n", stars.c_str(), title.c_str(), stars.c_str());
    return 0;
}

std::string CDrillingList::field(double value) const { return trimNumberText(formatted(g_fmtMedium, value), numberWidth); }

int CDrillingList::writeOperation(const OPE_LIST& operation, const REPORT_TOOL& tool,
                                  const std::vector<REPORT_POINT>& holes, int count, int first, bool created) {
    if (!file) return 0;
    const std::string suffix = created ? texts.getText(kCreated) : std::string();
    if (tool.number != lastToolNumber) {
        std::string toolName = fieldText(operation.toolName);
        if (toolName.empty()) toolName = toolTypeToolName(tool.type);
        std::fprintf(file, "\n--------------------------------------\n%s %s %s\n\n%s %s %.2f\n\n",
                     texts.getText(kOperationLabel).c_str(), fieldText(operation.name).c_str(), suffix.c_str(),
                     toolName.c_str(), texts.getText(kDiameterLabel).c_str(), tool.diameter);
        const int w = static_cast<int>(formatted(g_fmtMedium, 1.0).size()) - 2;
        const std::string numberBlanks(static_cast<std::size_t>(numberWidth), ' ');
        const std::string wBlanks(static_cast<std::size_t>(w > 0 ? w : 0), ' ');
        std::fprintf(file, "%sX%s %sY%s %s%s\n", numberBlanks.c_str(), wBlanks.c_str(), numberBlanks.c_str(),
                     wBlanks.c_str(), numberBlanks.c_str(), texts.getText(kDepthLabel).c_str());
    }
    lastToolNumber = tool.number;
    const std::string depth = field(operation.zSup - operation.zInf);
    const std::string word = texts.getText(operation.through == 1 ? kThrough : kBlind);
    int at = first;
    for (int step = 0; step < count && at >= 0 && at < static_cast<int>(holes.size()); ++step, at = holes[static_cast<std::size_t>(at)].next) {
        const POINT_LIST* hole = holes[static_cast<std::size_t>(at)].hole;
        if (!hole || hole->drillPointEntity == 0) continue;
        std::fprintf(file, " %s %s %s %s\n", field(hole->ptView[0]).c_str(), field(hole->ptView[1]).c_str(),
                     depth.c_str(), word.c_str());
    }
    return 0;
}

int CDrillingList::close() {
    if (file) std::fclose(file);
    file = nullptr;
    lastToolNumber = -1;
    texts.clear();
    return 0;
}
