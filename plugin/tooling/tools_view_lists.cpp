// The tools view's lists of a tool sequence: its operations grouped by tool (the found tools in order of
// first use, then the missing ones), the tools not found and the tools the system made.
#include <unordered_map>
#include <unordered_set>

#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/tools_view.h"

void CDlgToolsView::buildToolsUsedList() {
    if (!toolsSeq || toolsSeq->empty()) return;
    // Each tool index with its operations in sequence order, and the indexes in order of first use.
    std::unordered_map<std::int32_t, std::vector<OPE_LIST*>> opsOf;
    std::vector<std::int32_t> found;
    std::unordered_set<std::int32_t> seen;
    createdTools.clear();
    missingTools.clear();
    bool first = true;
    std::int32_t previous = 0;
    for (const FULL_TOOLS_SEQ& entry : *toolsSeq)
        for (OPE_LIST* ope : entry.opes) {
            if (!ope) continue;
            const std::int32_t index = ope->toolIndex;
            opsOf[index].push_back(ope);
            if (index < 0) {
                if (seen.insert(index).second) missingTools.push_back(index);
                continue;
            }
            if (!first && index == previous) continue;
            first = false;
            previous = index;
            if (!seen.insert(index).second) continue;
            found.push_back(index);
            if (ope->newTool != 0) createdTools.push_back(index);
        }
    usedOps.clear();
    for (const auto* tools : {&found, &missingTools})
        for (std::int32_t tool : *tools) usedOps.insert(usedOps.end(), opsOf[tool].begin(), opsOf[tool].end());
}

void countUsedTools(std::vector<FULL_TOOLS_SEQ>& sequence, std::int16_t* notFound, std::int16_t* created) {
    CDlgToolsView view;
    view.toolsSeq = &sequence;
    view.buildToolsUsedList();
    *notFound = static_cast<std::int16_t>(view.missingTools.size());
    *created = static_cast<std::int16_t>(view.createdTools.size());
}
