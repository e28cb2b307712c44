// The hole statistics of a recognition tree and the counts of its hole states.
#include "plugin/engine/run_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <utility>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/text_section.h"
#include "plugin/engine/operation_records.h"
#include "plugin/engine/run_summary.h"
#include "plugin/engine/table_measures.h"
#include "plugin/model/process_tree_fields.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tooling.h"

namespace {

constexpr int kMsgNoHole = 65, kMsgTooNarrow = 66, kMsgTooWide = 67, kMsgDirection = 103, kCaptionError = 7;
constexpr double kConeAngle = 0.05 * std::numbers::pi / 180;

// A cone wider at its bottom counts with its bottom radius.
double segmentRadius(const CYL_LIST& c) {
    return std::fabs(c.secAng) > kConeAngle && c.rInf > c.rSup ? c.rInf : c.rSup;
}

void tellNoHole(std::int32_t tooWide, std::int32_t tooNarrow, std::int32_t refused) {
    const PRM_SETTINGS& s = g_globals->settings;
    std::string text = errorMessage(kMsgNoHole) + "\n";
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "treeProcessDlg", false);
    if (const std::string dropped = droppedWallsSummary(texts); !dropped.empty()) {
        (void)plat::messageBox(nullptr, text + dropped.substr(1), errorMessage(kCaptionError), plat::MB_OK);
        return;
    }
    if (tooNarrow) text += fillText(errorMessage(kMsgTooNarrow), {long{tooNarrow}, s.minDiameter}) + "\n";
    if (tooWide) text += fillText(errorMessage(kMsgTooWide), {long{tooWide}, s.maxDiameter}) + "\n";
    if (refused) text += fillText(errorMessage(kMsgDirection), {long{refused}, s.maxDiameter});
    (void)plat::messageBox(nullptr, text, errorMessage(kCaptionError), plat::MB_OK);
}

// A hole with a row whose process was applied and made nothing counts by why; one whose row names no
// process of its table, or whose process was never applied, as naming none.
long& unmadeCounter(HOLES_WITHOUT_PROCESS& counts, const POINT_LIST& hole) {
    if (!hole.processName[0]) return counts.noProcess;
    switch (hole.emptyProcess) {
    case EMPTY_PROCESS::None: return counts.noProcess;
    case EMPTY_PROCESS::NoneApplies: return counts.noneApplies;
    case EMPTY_PROCESS::ToolBelowSmallest: return counts.toolBelowSmallest;
    }
    return counts.noProcess;
}

}  // namespace

int holeStatistics(const VIEW_LIST* tree, const std::int32_t* tooWide, const std::int32_t* tooNarrow,
                   const std::int32_t* directionRejected, int* holes, int* segments, double* smallest,
                   double* largest) {
    int holeCount = 0, segmentCount = 0;
    double low = 1.0e100, high = 0;
    for (const VIEW_LIST* view = tree; view; view = view->next)
        for (const POINT_LIST* hole = view->firstPoint; hole; hole = hole->next) {
            ++holeCount;
            for (const CYL_LIST* c = hole->firstCyl; c; c = c->next) {
                ++segmentCount;
                const double r = segmentRadius(*c);
                low = std::min(low, r);
                high = std::max(high, r);
            }
        }
    if (holes) *holes = holeCount;
    if (segments) *segments = segmentCount;
    if (smallest) *smallest = 2 * low;
    if (largest) *largest = 2 * high;
    if (holeCount < 1)
        tellNoHole(tooWide ? *tooWide : 0, tooNarrow ? *tooNarrow : 0, directionRejected ? *directionRejected : 0);
    return 0;
}

void countHoleStates(VIEW_LIST* tree) {
    RUN_STATS& stats = g_records->runStats;
    const RUN_STATS kept = stats;
    stats = RUN_STATS{};
    stats.stateCount6 = kept.stateCount6;
    stats.toolsCount1 = kept.toolsCount1;
    stats.toolsCount2 = kept.toolsCount2;
    stats.smallestTipAngle = kept.smallestTipAngle;   // the search's, not a count of the tree's
    stats.largestTipAngle = kept.largestTipAngle;
    const auto add = [](std::int16_t& counter) {
        if (counter < std::numeric_limits<std::int16_t>::max()) ++counter;
    };
    for (VIEW_LIST* view = tree; view; view = view->next) {
        view->passMark = 0;
        for (POINT_LIST* head = view->firstPoint; head; head = head->next) {
            if (head->chainMember) continue;
            // A chain counts once, by its head, as the process tree's filter labels count it: the chain shares
            // the head's table, row and process.
            add(stats.holeCount);
            const std::pair<std::uint32_t, std::int16_t*> counters[] = {
                {kStateProvisional, &stats.stateCount1}, {kStateNoMeasures, &stats.stateCount2},
                {kStateAdapted, &stats.tableHoleCount},  {kStateCrashInto, &stats.crashIntoCount},
                {kStateDepth, &stats.stateCount3},       {kStateChamfer, &stats.stateCount4},
                {kStateNotAccessible, &stats.stateCount5}};
            for (const auto& [bit, counter] : counters)
                if (holeHasState(*head, bit)) add(*counter);
            if (holeWithoutProblem(*head)) add(stats.noProblemCount);
            // The mark follows each hole's states now: a hole re-assigned into a problem loses it.
            std::int64_t left = head->chainCount;
            for (POINT_LIST* hole = head; hole && left >= 0; hole = hole->nextEqual, --left)
                hole->noProblem = holeWithoutProblem(*hole) && holeWithoutProblem(*head) ? 1 : 0;
        }
    }
}

HOLES_WITHOUT_PROCESS holesWithoutProcess(const VIEW_LIST* tree) {
    HOLES_WITHOUT_PROCESS counts;
    for (const VIEW_LIST* view = tree; view; view = view->next)
        for (const POINT_LIST* head = view->firstPoint; head; head = head->next) {
            if (head->chainMember || head->excluded || head->opeList || processWithheldOnReadOnlyStation(*head))
                continue;
            long& counter = head->tableIndex < 0 || head->rowIndex < 0 ? counts.noRow : unmadeCounter(counts, *head);
            std::int64_t left = head->chainCount;
            for (const POINT_LIST* hole = head; hole && left >= 0; hole = hole->nextEqual, --left) ++counter;
        }
    return counts;
}

long holesWithRowsNotStored(const VIEW_LIST* tree) {
    long count = 0;
    for (const VIEW_LIST* view = tree; view; view = view->next)
        for (const POINT_LIST* head = view->firstPoint; head; head = head->next)
            if (!head->chainMember && addedRowNotStored(*head)) ++count;
    return count;
}

bool holeWithoutProblem(const POINT_LIST& hole) { return !holeMeetsFilter(hole, ~std::uint32_t{kStateNoProblem}); }
