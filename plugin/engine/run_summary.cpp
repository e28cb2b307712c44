// The end-of-run summary: one line per counted state that is not zero, the tool lines last; the box offers
// the tools view when a tool was not found or was made.
#include "plugin/engine/run_summary.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <utility>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/base/number_text.h"
#include "plugin/base/message_box.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/text_section.h"
#include "plugin/engine/run_statistics.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/engine.h"
#include "plugin/services/recognition.h"
#include "plugin/services/tooling.h"

namespace {

constexpr int kLineDroppedWide = 170, kLineDroppedNarrow = 171, kLineDroppedDirection = 172, kLineDroppedOpen = 173,
              kLineDroppedListed = 174, kLogWide = 175, kLogNarrow = 176, kLogDirection = 177, kLogOpen = 178,
              kLogTitle = 179, kLineDroppedUndercut = 180, kLogUndercut = 181, kLineDroppedPocket = 182,
              kLogPocket = 183, kLineDroppedClosed = 184, kLogClosed = 185, kLineDroppedBeyond = 186, kLogBeyond = 187,
              kLineDroppedLong = 188, kLogLong = 189, kLineDroppedNoBore = 190, kLogNoBore = 191,
              kLineDroppedNoNewTable = 192, kLogNoNewTable = 193, kLineDroppedReach = 197, kLogReach = 198;
constexpr int kLineDepth = 151, kLineChamfer = 152, kLineCrashInto = 153, kLineNoMeasures = 154,
              kLineProvisional = 155, kLineAdapted = 156, kLineNotAccessible = 157, kLineNoRow = 158,
              kLineNoProcess = 159, kLineSharedReadOnly = 169, kLineRunOnly = 194, kLineNoneApplies = 195,
              kLineToolBelowSmallest = 196,
              kLineToolsMissing = 73, kLineToolsMade = 71, kLineToolsMadeAndStored = 72, kLineToolsNotTaken = 74;

std::string reasonText(const CTextSection& texts, const DROPPED_WALL& w) {
    const PRM_SETTINGS& s = g_globals->settings;
    switch (w.rule) {
    case DROP_RULE::TooWide: return fillText(texts.getText(kLogWide), {formatNumber(s.maxDiameter)});
    case DROP_RULE::TooNarrow: return fillText(texts.getText(kLogNarrow), {formatNumber(s.minDiameter)});
    case DROP_RULE::Direction: return texts.getText(kLogDirection);
    case DROP_RULE::OpenArc:
        return fillText(texts.getText(kLogOpen), {formatNumber(w.sweep), formatNumber(s.minSweepAngle)});
    case DROP_RULE::Undercut: return texts.getText(kLogUndercut);
    case DROP_RULE::Pocket: return texts.getText(kLogPocket);
    case DROP_RULE::Closed: return texts.getText(kLogClosed);
    case DROP_RULE::BeyondClosedEnd: return texts.getText(kLogBeyond);
    case DROP_RULE::TooManyWalls: return fillText(texts.getText(kLogLong), {long{kMaxCilDescs}});
    case DROP_RULE::NoBore: return texts.getText(kLogNoBore);
    case DROP_RULE::NoNewTable: return texts.getText(kLogNoNewTable);
    case DROP_RULE::ToolRunsInto:
        return fillText(texts.getText(kLogReach), {formatNumber(w.toolDiameter), long{w.solid}, formatNumber(w.depth)});
    }
    return {};
}

// The tools the run made that the sequencing run stored in the library, each once.
long madeToolsStored(const std::vector<FULL_TOOLS_SEQ>& sequence) {
    std::set<std::int32_t> stored;
    for (const FULL_TOOLS_SEQ& entry : sequence)
        for (const OPE_LIST* ope : entry.opes)
            if (ope && ope->newTool != 0 && ope->toolIndex >= 0 && toolStoredInLibrary(*ope)) stored.insert(ope->toolIndex);
    return static_cast<long>(stored.size());
}

}  // namespace

std::string droppedWallsSummary(const CTextSection& texts) {
    const std::vector<DROPPED_WALL>& dropped = droppedWalls();
    if (dropped.empty()) return {};
    const PRM_SETTINGS& s = g_globals->settings;
    long wide = 0, narrow = 0, direction = 0, open = 0, undercut = 0, pocket = 0, closed = 0, beyond = 0, tooLong = 0,
         noBore = 0, noNewTable = 0, reach = 0;
    for (const DROPPED_WALL& w : dropped) {
        switch (w.rule) {
        case DROP_RULE::TooWide: ++wide; break;
        case DROP_RULE::TooNarrow: ++narrow; break;
        case DROP_RULE::Direction: ++direction; break;
        case DROP_RULE::OpenArc: ++open; break;
        case DROP_RULE::Undercut: ++undercut; break;
        case DROP_RULE::Pocket: ++pocket; break;
        case DROP_RULE::Closed: ++closed; break;
        case DROP_RULE::BeyondClosedEnd: ++beyond; break;
        case DROP_RULE::TooManyWalls: ++tooLong; break;
        case DROP_RULE::NoBore: ++noBore; break;
        case DROP_RULE::NoNewTable: ++noNewTable; break;
        case DROP_RULE::ToolRunsInto: ++reach; break;
        }
    }
    std::string text;
    const auto line = [&](long count, const std::string& filled) {
        if (count != 0) text += "\n" + filled;
    };
    line(narrow, fillText(texts.getText(kLineDroppedNarrow), {narrow, formatNumber(s.minDiameter)}));
    line(wide, fillText(texts.getText(kLineDroppedWide), {wide, formatNumber(s.maxDiameter)}));
    line(direction, fillText(texts.getText(kLineDroppedDirection), {direction}));
    line(open, fillText(texts.getText(kLineDroppedOpen), {open, formatNumber(s.minSweepAngle)}));
    line(undercut, fillText(texts.getText(kLineDroppedUndercut), {undercut}));
    line(pocket, fillText(texts.getText(kLineDroppedPocket), {pocket}));
    line(closed, fillText(texts.getText(kLineDroppedClosed), {closed}));
    line(beyond, fillText(texts.getText(kLineDroppedBeyond), {beyond}));
    line(tooLong, fillText(texts.getText(kLineDroppedLong), {tooLong, long{kMaxCilDescs}}));
    line(noBore, fillText(texts.getText(kLineDroppedNoBore), {noBore}));
    line(noNewTable, fillText(texts.getText(kLineDroppedNoNewTable), {noNewTable}));
    line(reach, fillText(texts.getText(kLineDroppedReach), {reach}));

    // The log is written whole each run, so that it never lists what an earlier run left out; only into the
    // work folder: without one the summary names no log rather than dropping a file into the current folder.
    if (g_globals->tmpDir.empty()) return text;
    const std::string path = plat::joinPath(g_globals->tmpDir, kDroppedLogName);
    std::string log = texts.getText(kLogTitle) + "\n";
    for (const DROPPED_WALL& w : dropped) {
        char place[160];
        std::snprintf(place, sizeof place, "X%s Y%s Z%s D%s ", formatNumber(w.position[0]).c_str(),
                      formatNumber(w.position[1]).c_str(), formatNumber(w.position[2]).c_str(),
                      formatNumber(w.diameter).c_str());
        log += place + reasonText(texts, w) + "\n";
    }
    if (plat::writeFile(path, log, plat::Flush::none)) text += "\n" + fillText(texts.getText(kLineDroppedListed), {path});
    return text;
}

int showProcessSummary(VIEW_LIST* tree, std::vector<FULL_TOOLS_SEQ>& sequence) {
    PLUGIN_GLOBALS& g = *g_globals;
    const PRM_SETTINGS& s = g.settings;
    CTextSection texts;
    (void)texts.load(g.uiTextFile, "treeProcessDlg", false);

    RUN_STATS& stats = g_records->runStats;
    countUsedTools(sequence, &stats.toolsCount1, &stats.toolsCount2);
    countHoleStates(tree);
    const HOLES_WITHOUT_PROCESS unmade = holesWithoutProcess(tree);
    // Rows that reached no rows file were not added to the table, whatever served the run.
    const int notStored = static_cast<int>(std::min<long>(holesWithRowsNotStored(tree), stats.stateCount2));
    const long stored = madeToolsStored(sequence);

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
        {kLineNoMeasures, stats.stateCount2 - notStored, details},
        {kLineRunOnly, notStored, details && !sharedReadOnly},
        {kLineProvisional, stats.stateCount1, details},
        {kLineAdapted, stats.tableHoleCount, details},
        {kLineNotAccessible, stats.stateCount5, true},
        {kLineSharedReadOnly, std::max(stats.stateCount2, stats.tableHoleCount), sharedReadOnly},
        {kLineToolsMissing, stats.toolsCount1, true},
        {kLineToolsMade, stats.toolsCount2, s.addNewTools == 0},
        {kLineToolsMadeAndStored, static_cast<int>(stored), s.addNewTools != 0},
    };
    std::string text = droppedWallsSummary(texts);
    // A hole left unmade is told whatever the settings, as a wall the recognition left out is.
    for (const auto& [line, count] : {std::pair{kLineNoRow, unmade.noRow}, std::pair{kLineNoProcess, unmade.noProcess},
                                      std::pair{kLineNoneApplies, unmade.noneApplies}})
        if (count != 0) text += "\n" + fillText(texts.getText(line), {count});
    if (unmade.toolBelowSmallest != 0)
        text += "\n" + fillText(texts.getText(kLineToolBelowSmallest),
                                 {unmade.toolBelowSmallest, formatNumber(g_tolerances.tolT)});
    for (const auto& part : parts)
        if (part.shown && part.count != 0) text += "\n" + fillText(texts.getText(part.line), {long{part.count}});
    // Made to be stored, and not taken: a library the host would not read or write, or whose unreadable tools
    // the user kept.
    if (const long notTaken = stats.toolsCount2 - stored; s.addNewTools != 0 && notTaken > 0)
        text += "\n" + fillText(texts.getText(kLineToolsNotTaken), {notTaken, configuredToolLibrary()});
    if (text.empty()) return 0;

    CMessageBox box;
    box.text = text;
    box.mode = stats.toolsCount1 != 0 || stats.toolsCount2 != 0 ? 1 : 0;
    return box.run();
}
