// The recognition command ("Execute"): the part's solids become surfaces, recognition builds the tree and the
// checks clean it, form recognition gives every hole its table, row, process and side, the tools are laid out
// and sequenced, and the run ends with its summary. The run owns its progress box and the process log, which
// is open (with the debug switch) from the start of the run to the end of form recognition and closed on
// every way out.
#include <cmath>
#include <cstdio>
#include <numbers>

#include "host/api.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/base/progress_box.h"
#include "plugin/base/settings.h"
#include "plugin/base/text_section.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/form_recognition.h"
#include "plugin/engine/hole_marks.h"
#include "plugin/engine/milled_completion.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/engine/run_heights.h"
#include "plugin/engine/run_statistics.h"
#include "plugin/engine/run_summary.h"
#include "plugin/engine/table_matching.h"
#include "plugin/engine/tool_sequencing.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/work_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/engine.h"
#include "plugin/services/recognition.h"
#include "plugin/services/tables.h"
#include "plugin/services/tooling.h"

namespace {

constexpr int kStatusStart = 11, kStatusRecognize = 12, kStatusRecognizeChecked = 13;   // "ProgressBoxDlg"
constexpr double kDegree = std::numbers::pi / 180;

void dumpTree(const VIEW_LIST* tree, const char* fileName) {
    dumpCylsViews(tree, (g_globals->tmpDir + "/" + fileName).c_str());
}
void dumpViews(const char* fileName) { dumpViewsList((g_globals->tmpDir + "/" + fileName).c_str()); }

// The process log of the run: opened with the debug switch, closed when the run lets it go.
class PROCESS_LOG {
public:
    PROCESS_LOG() {
        PLUGIN_GLOBALS& g = *g_globals;
        g_engine->processLog = g.debugDumps ? std::fopen(g.processLogFile.c_str(), "w") : nullptr;
    }
    ~PROCESS_LOG() { close(); }
    PROCESS_LOG(const PROCESS_LOG&) = delete;
    PROCESS_LOG& operator=(const PROCESS_LOG&) = delete;
    static void close() {
        if (g_engine->processLog) std::fclose(g_engine->processLog);
        g_engine->processLog = nullptr;
    }
};

struct REJECTS {
    std::int32_t wide = 0, narrow = 0, refused = 0;
};

// Ends a failed or cancelled run: no tree (after the user was told why, when `tell`), and the views made
// for it are no longer this run's.
std::int16_t stop(const REJECTS& rejects, bool tell) {
    PLUGIN_GLOBALS& g = *g_globals;
    freeViewsTree(g_records->viewsTree);
    g_records->viewsTree = nullptr;
    if (tell) (void)holeStatistics(nullptr, &rejects.wide, &rejects.narrow, &rejects.refused);
    g.createdViewIds.clear();
    return -1;
}

// The tip angles the holes were drawn with widen the settings' range; the range never narrows.
void widenDrawnTipAngles(const VIEW_LIST* tree) {
    PRM_SETTINGS& s = g_globals->settings;
    double low = s.minDrawnTipAngle * kDegree, high = s.maxDrawnTipAngle * kDegree;
    for (const VIEW_LIST* view = tree; view; view = view->next)
        for (const POINT_LIST* hole = view->firstPoint; hole; hole = hole->next) {
            double largest = 0, smallest = 0, depth = 0, tip = 0;
            (void)getChamferAndTipAngles(hole, &largest, &smallest, &depth, &tip);
            if (tip <= 0) continue;
            low = std::min(low, tip);
            high = std::max(high, tip);
        }
    s.minDrawnTipAngle = low / kDegree;
    s.maxDrawnTipAngle = high / kDegree;
    (void)writeSettings(0);
}

}  // namespace

std::int16_t runRecognition(std::uint32_t* /*processTreeFlags*/) {
    PLUGIN_GLOBALS& g = *g_globals;
    PRM_SETTINGS& s = g.settings;
    freeViewsTree(g_records->viewsTree);
    g_records->viewsTree = nullptr;
    g.createdViewIds.clear();
    g_nextHoleId = 1;
    g_records->runStats.holeCount = 0;
    forgetRowsKeptForRun();   // the rows the last run could not store are tried afresh
    CTabColsDesc drillTable;
    if (!loadedThreadTables().empty()) (void)drillTable.read(loadedThreadTables()[0].path);
    g.tffFile = s.interchangePath + g.partName + ".TFF";
    PROCESS_LOG log;
    const NamedTableNotices notices;   // form recognition and the milled completion look the same fits up
    const auto keptLibraries = keepLibraryTools();   // and the tools, hole after hole

    CTextSection boxTexts;
    (void)boxTexts.load(g.uiTextFile, "ProgressBoxDlg", false);
    CProgressBox progress;
    progress.open("Forantix", boxTexts.getText(kStatusStart));
    g.markerLevel = solidsToEntities(g_globals->settings.featuresLevelCopy);
    if (progress.stepMessage(s.checkCollisions ? kStatusRecognizeChecked : kStatusRecognize) != 0) {
        g.createdViewIds.clear();
        return -1;
    }
    dumpViews(kRawViewsBeforeFile);

    REJECTS rejects;
    int outcome = kRecognitionDone;
    g_records->viewsTree = recognizeCylinders(kRecognizeCommand, &progress, &rejects.wide, &rejects.narrow, &rejects.refused,
                                     s.maxDiameterOn != 0, s.minDiameterOn != 0, &drillTable, &outcome);
    if (outcome != kRecognitionDone || !g_records->viewsTree) {
        progress.close();
        return stop(rejects, outcome == kRecognitionDone);
    }
    (void)orderGroupHoles(g_records->viewsTree);
    const int opaque = checkOpaqueSurfs(g_records->viewsTree, 0, &progress);
    dumpTree(g_records->viewsTree, "21_OpqSurfsGeo.txt");
    if (opaque != 0) return stop(rejects, true);
    readNameHoleAttribs(g_records->viewsTree);
    const ALLOWED_VIEWS allowed = readAllowedViews(s);
    g_records->featureMarks = mergeFeaturesWithHoles(g_records->viewsTree, g_records->featureMarks, allowed);
    if (progress.step() != 0) return stop(rejects, true);
    dumpTree(g_records->viewsTree, "22_CylsGeo.txt");
    if (s.intelligentProcess != 0) widenDrawnTipAngles(g_records->viewsTree);
    if (s.useStock != 0 && checkStockEntry(g_records->viewsTree) < 0) {
        g.createdViewIds.clear();
        return -1;
    }
    if (splitReaming(g_records->viewsTree, drillTable, allowed, s.divideReamed, s.divideReamedDepth,
                     s.drillMinorThroughA, s.divideNotReamed, s.divideNotReamedDepth, s.drillMinorThroughB,
                     &progress) < 0)
        return stop(rejects, false);
    dumpTree(g_records->viewsTree, "21_CylsSplitReaming.txt");

    g_toolsArray->clear();
    const int formed = recognizeForms(g_records->viewsTree, &progress);
    progress.close();
    if (formed < 0) return stop(rejects, true);
    (void)highlightHoles(g_records->viewsTree, 0, s.newFormsLevel);
    PROCESS_LOG::close();
    for (VIEW_LIST* view = g_records->viewsTree; view; view = view->next)
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next)
            if (!hole->chainMember) buildOperationWhyText(*hole, "");
    setViewHeights(g_records->viewsTree);
    completeMilledOperations(g_records->viewsTree, drillTable);
    // Every position of a fresh tree is machined: the points list's word of a position starts on.
    for (VIEW_LIST* view = g_records->viewsTree; view; view = view->next)
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next) hole->selected2 = 1;

    g_fullToolsSeq->clear();
    // Every hole of a fresh tree is sequenced: nothing has been switched off in the process tree yet.
    sequenceTools(*g_fullToolsSeq, g_records->viewsTree, 0);
    // Whatever the recognition decided, a hole one of whose tools would run into material of the part cannot
    // be reached: told here, and left out when the operations are made.
    for (const BLOCKED_HOLE& b : holesToolsRunInto(*g_fullToolsSeq, false)) {
        b.hole->notAccessible = 1;
        noteToolRunsInto(*b.hole, b.toolDiameter, b.solid, b.depth);
    }
    const int result = showProcessSummary(g_records->viewsTree, *g_fullToolsSeq);
    (void)holeStatistics(g_records->viewsTree, &rejects.wide, &rejects.narrow, &rejects.refused);

    takeRunSettings();
    takeViewsSnapshot();
    treeReplaced();
    dumpViews(kRawViewsAfterFile);
    return static_cast<std::int16_t>(result);
}
