// The tool sequencing run over the tree: layout, one flattened matrix per toolpath group, new tools into the
// library, tool numbers (by first use, or after the library's highest), offset numbers and the numbers in
// front of the operation comments. The tools log "23_Tools.txt" is open only while the run lasts and only
// with the debug switch.
#include "plugin/base/machine_info.h"
#include "plugin/engine/tool_sequencing.h"

#include <algorithm>
#include <cstdio>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tooling.h"
#include "plugin/model/ope_list.h"

namespace {

std::int16_t groupOf(const VIEW_LIST& view) { return view.groupNumber; }

// The tool an operation names, null when it has none or the index is outside the array.
tp_tool* toolOf(const OPE_LIST& ope, std::vector<tp_tool>& tools) {
    const std::int32_t index = ope.toolIndex;
    if (index < 0 || static_cast<std::size_t>(index) >= tools.size()) return nullptr;
    return &tools[static_cast<std::size_t>(index)];
}

// Step 3: one entry per toolpath group.
void flattenGroups(std::vector<FULL_TOOLS_SEQ>& out, VIEW_LIST* views, std::uint8_t onlySelected,
                   std::vector<tp_tool>& tools) {
    VIEW_LIST* cursor = views;
    while (cursor) {
        if (onlySelected && cursor->selected == 0) {
            cursor = cursor->next;
            continue;
        }
        std::FILE* const log = toolsLog();
        if (log) std::fprintf(log, "--- View: %i ---\n", cursor->viewNumber);
        const auto matrix = makeToolsSeqMatrix();
        (void)matrix->build(cursor, onlySelected);
        matrix->print(log, "Test Class ToolsSeqMatrix");
        matrix->alignColumns(log, "Test Arrange ToolsSeqMatrix");
        matrix->print(log, "Test Arrange ToolsSeqMatrix");

        FULL_TOOLS_SEQ entry;
        entry.view = cursor;
        const std::int16_t group = groupOf(*cursor);
        while (cursor && groupOf(*cursor) == group) {
            cursor->sortIndex = static_cast<std::int16_t>(entry.viewCount);
            ++entry.viewCount;
            cursor = cursor->next;
        }
        const std::int16_t flag = entry.viewCount > 0 && g_records->toolSequenceFlag != 0 ? 1 : 0;
        (void)matrix->toSequence(entry.opes, flag);
        printRenumberedSequence(entry.opes, tools);
        entry.tools = &tools;
        out.push_back(std::move(entry));
    }
}

// Step 4: the tools the layout made are stored in the configured library, each once.
void addNewToolsToLibrary(const std::vector<FULL_TOOLS_SEQ>& sequence, std::vector<tp_tool>& tools) {
    const std::string library = configuredToolLibrary();
    // A library the host refuses to read takes no tool: the host said why, and every add would fail.
    if (libraryRefused(library)) return;
    std::vector<std::int32_t> added;
    for (const FULL_TOOLS_SEQ& entry : sequence)
        for (OPE_LIST* ope : entry.opes) {
            if (!ope || ope->newTool == 0) continue;
            tp_tool* tool = toolOf(*ope, tools);
            if (!tool) continue;
            const std::int32_t index = ope->toolIndex;
            if (std::find(added.begin(), added.end(), index) != added.end()) {
                ope->toolAddedToLibrary = 1;
                continue;
            }
            int number = 0, slot = 0;
            tp_tool held;
            // A tool made again by a later run is the one an earlier run stored: it is not added twice.
            if (findSameLibraryTool(library, *tool, &held) == 1) {
                added.push_back(index);
                tool->number = held.number;
                ope->toolAddedToLibrary = 1;
            } else if (addToolToLibrary(library, tool, &number, &slot) == 0) {
                added.push_back(index);
                tool->number = number;
                ope->toolAddedToLibrary = 1;
            }
            // A tool the library did not take stays the part's own: the host told why, and the run's summary
            // counts it. No box per tool: its answer changed nothing, and it stopped a scripted run at the
            // first one; nor is the library asked again (addToolToLibrary keeps its refusal for the run).
        }
}

// The root machine group of the active operation group; without an active group, the machine group the
// work cycle read; null when there is neither.
op_group* numberingGroup() {
    TpGrpList& groups = TpMainGrpMgr().GetMainGrpList();
    if (const std::int32_t active = OMgetActiveGroup())
        if (op_group* root = groups.RetrieveRootMachineGroup(active)) return root;
    return g_machineInfo.rootMachineGroup;
}

// Step 5.
void numberTools(const std::vector<FULL_TOOLS_SEQ>& sequence, std::vector<tp_tool>& tools) {
    const op_group* group = numberingGroup();
    if (!group) return;
    if (group->machine.toolNumbering != 0) {
        std::int32_t counter = g_globals->settings.firstToolNumber;
        std::vector<std::int32_t> numbered;
        for (const FULL_TOOLS_SEQ& entry : sequence)
            for (const OPE_LIST* ope : entry.opes) {
                if (!ope) continue;
                tp_tool* tool = toolOf(*ope, tools);
                const std::int32_t index = ope->toolIndex;
                if (!tool || std::find(numbered.begin(), numbered.end(), index) != numbered.end()) continue;
                tool->number = counter++;
                numbered.push_back(index);
            }
        return;
    }
    int next = 1, slot = 1;
    (void)nextFreeToolNumber(configuredToolLibrary(), &next, &slot);
    std::int32_t counter = next + 1;
    for (const FULL_TOOLS_SEQ& entry : sequence)
        for (const OPE_LIST* ope : entry.opes) {
            if (!ope || ope->newTool == 0 || ope->toolAddedToLibrary != 0)
                continue;
            if (tp_tool* tool = toolOf(*ope, tools)) tool->number = counter++;
        }
}

// Step 6: the control's first NC path value 0 asks for offset numbers from the tool number.
void setOffsetNumbers(std::vector<tp_tool>& tools) {
    if (g_machineInfo.ncPath[0] != 0) return;
    for (tp_tool& tool : tools) {
        tool.offsetNumbers[0] = tool.number + g_machineInfo.ncPath[2];
        tool.offsetNumbers[1] = tool.number + g_machineInfo.ncPath[1];
    }
}

// Step 7: the tool number in front of every comment; an operation without a tool keeps its comment.
void prefixComments(const std::vector<FULL_TOOLS_SEQ>& sequence, std::vector<tp_tool>& tools) {
    for (const FULL_TOOLS_SEQ& entry : sequence)
        for (OPE_LIST* ope : entry.opes)
            if (ope) (void)setOperationNumberPrefix(*ope, toolOf(*ope, tools) ? toolOf(*ope, tools)->number : -1);
}

}  // namespace

void sequenceTools(std::vector<FULL_TOOLS_SEQ>& out, VIEW_LIST* views, std::uint8_t onlySelected) {
    PLUGIN_GLOBALS& g = *g_globals;
    const PRM_SETTINGS& s = g.settings;
    const ToolsLogOpen log;
    std::vector<tp_tool>& tools = partToolArray();
    const auto keptLibraries = keepLibraryTools();   // every operation looks the same libraries up

    const auto layout = makeToolsLayout();
    if (s.toolSequencingOption != 0)
        (void)layout->layoutTools(views, tools, g.cycleNames, s.takeNearestTool, s.adaptDrillAngle, onlySelected);
    else
        (void)layout->layoutToolsNoDump(views, tools, g.cycleNames, s.takeNearestTool, s.adaptDrillAngle, onlySelected);

    flattenGroups(out, views, onlySelected, tools);
    if (s.takeNearestTool != 0 && s.addNewTools != 0) addNewToolsToLibrary(out, tools);
    numberTools(out, tools);
    setOffsetNumbers(tools);
    prefixComments(out, tools);
}
