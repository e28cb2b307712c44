// The end-of-run summary: one line per counted state that is not zero, the tool lines last; the box offers
// the tools view when a tool was not found or was made.
#include "plugin/engine/run_summary.h"

#include <algorithm>
#include <string>

#include "plugin/base/globals.h"
#include "plugin/base/message_box.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/text_section.h"
#include "plugin/engine/run_statistics.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tooling.h"

namespace {

constexpr int kLineDepth = 151, kLineChamfer = 152, kLineCrashInto = 153, kLineNoMeasures = 154,
              kLineProvisional = 155, kLineAdapted = 156, kLineNotAccessible = 157, kLineSharedReadOnly = 169,
              kLineToolsMissing = 73, kLineToolsMade = 71, kLineToolsMadeAndStored = 72;

}  // namespace

int showProcessSummary(VIEW_LIST* tree, std::vector<FULL_TOOLS_SEQ>& sequence) {
    PLUGIN_GLOBALS& g = *g_globals;
    const PRM_SETTINGS& s = g.settings;
    CTextSection texts;
    (void)texts.load(g.uiTextFile, "treeProcessDlg", false);

    RUN_STATS& stats = g_records->runStats;
    countUsedTools(sequence, &stats.toolsCount1, &stats.toolsCount2);
    countHoleStates(tree);

    // The per-hole details of the table search mean nothing to the user of the short process.
    const bool details = s.intelligentProcess == 0;
    const bool sharedReadOnly = g.sharedDataOn != 0 && g.sharedAccessMode == 0;
    const struct {
        int line;
        int count;
        bool shown;
    } parts[] = {
        {kLineDepth, stats.stateCount3, details},
        {kLineChamfer, stats.stateCount4, true},
        {kLineCrashInto, stats.crashIntoCount, true},
        {kLineNoMeasures, stats.stateCount2, details},
        {kLineProvisional, stats.stateCount1, details},
        {kLineAdapted, stats.tableHoleCount, details},
        {kLineNotAccessible, stats.stateCount5, true},
        {kLineSharedReadOnly, std::max(stats.stateCount2, stats.tableHoleCount), sharedReadOnly},
        {kLineToolsMissing, stats.toolsCount1, true},
        // A library the host would not read took none of them.
        {s.addNewTools != 0 && !libraryRefused(configuredToolLibrary()) ? kLineToolsMadeAndStored : kLineToolsMade,
         stats.toolsCount2, true},
    };
    std::string text;
    for (const auto& part : parts)
        if (part.shown && part.count != 0) text += "\n" + fillText(texts.getText(part.line), {long{part.count}});
    if (text.empty()) return 0;

    CMessageBox box;
    box.text = text;
    box.mode = stats.toolsCount1 != 0 || stats.toolsCount2 != 0 ? 1 : 0;
    return box.run();
}
