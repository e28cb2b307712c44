// The drilling list: per drilling direction a title block, per tool a block with the tool, and per hole its
// X and Y in the direction's coordinates and the operation's depth, in columns aligned on the decimal point.
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

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
    if (file) (void)sectionOf(view);
    return 0;
}

CDrillingList::SECTION& CDrillingList::sectionOf(const VIEW_LIST* view) {
    for (SECTION& section : sections_)
        if (section.view == view) return section;
    return sections_.emplace_back(SECTION{view, {}, -1});
}

std::string CDrillingList::field(double value) const { return trimNumberText(formatted(g_fmtMedium, value), numberWidth); }

int CDrillingList::writeOperation(const OPE_LIST& operation, const REPORT_TOOL& tool,
                                  const std::vector<REPORT_POINT>& holes, int count, int first, bool created) {
    if (!file) return 0;
    const std::string depth = field(operation.zSup - operation.zInf);
    const std::string word = texts.getText(operation.through == 1 ? kThrough : kBlind);
    // The hole lines by the direction of each hole, directions in the order they come.
    std::vector<std::pair<const VIEW_LIST*, std::string>> lines;
    int at = first;
    for (int step = 0; step < count && at >= 0 && at < static_cast<int>(holes.size()); ++step, at = holes[static_cast<std::size_t>(at)].next) {
        const POINT_LIST* hole = holes[static_cast<std::size_t>(at)].hole;
        if (!hole || hole->drillPointEntity == 0) continue;
        const VIEW_LIST* view = hole->view ? hole->view : operation.view;
        auto it = std::find_if(lines.begin(), lines.end(), [view](const auto& l) { return l.first == view; });
        if (it == lines.end()) it = lines.insert(lines.end(), {view, std::string()});
        it->second += " " + field(hole->ptView[0]) + " " + field(hole->ptView[1]) + " " + depth + " " + word + "\n";
    }
    if (lines.empty()) lines.emplace_back(operation.view, std::string());

    const std::string suffix = created ? texts.getText(kCreated) : std::string();
    for (const auto& [view, text] : lines) {
        SECTION& section = sectionOf(view);
        if (tool.number != section.lastToolNumber) {
            std::string toolName = fieldText(operation.toolName);
            if (toolName.empty()) toolName = toolTypeToolName(tool.type);
            char diameter[64];
            std::snprintf(diameter, sizeof diameter, "%.2f", tool.diameter);
            section.text += "\n--------------------------------------\n" + texts.getText(kOperationLabel) + " " +
                            fieldText(operation.name) + " " + suffix + "\n\n" + toolName + " " +
                            texts.getText(kDiameterLabel) + " " + diameter + "\n\n";
            const int w = static_cast<int>(formatted(g_fmtMedium, 1.0).size()) - 2;
            const std::string numberBlanks(static_cast<std::size_t>(numberWidth), ' ');
            const std::string wBlanks(static_cast<std::size_t>(w > 0 ? w : 0), ' ');
            section.text += numberBlanks + "X" + wBlanks + " " + numberBlanks + "Y" + wBlanks + " " + numberBlanks +
                            texts.getText(kDepthLabel) + "\n";
        }
        section.lastToolNumber = tool.number;
        section.text += text;
    }
    lastToolNumber = tool.number;
    return 0;
}

int CDrillingList::close() {
    if (file) {
        const std::string stars(80, '*');
        for (const SECTION& section : sections_) {
            if (section.text.empty()) continue;
            std::string title = viewDescription(section.view);
            const int pad = (80 - static_cast<int>(title.size())) / 2;
            if (pad > 0)
                title = std::string(static_cast<std::size_t>(pad), ' ') + title + std::string(static_cast<std::size_t>(pad), ' ');
            std::fprintf(file, "\n\n%s\n%s\n%s\n%s", stars.c_str(), title.c_str(), stars.c_str(), section.text.c_str());
        }
        std::fclose(file);
    }
    file = nullptr;
    sections_.clear();
    lastToolNumber = -1;
    texts.clear();
    return 0;
}
