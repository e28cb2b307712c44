// The form recognition driver: the tables of the library loaded once, identical holes chained, every chain
// head given a table, a row and a process (a new table made and tried once more where none fits), the
// collision check, the classes, and then the stages of hole_classes.h. The process log gets the trace.
#include "plugin/engine/form_recognition.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/progress_box.h"
#include "plugin/engine/apply_process.h"
#include "plugin/engine/hole_classes.h"
#include "plugin/engine/hole_description.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/opposite_view.h"
#include "plugin/engine/process_log.h"
#include "plugin/engine/table_assignment.h"
#include "plugin/engine/table_measures.h"
#include "plugin/model/tree.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/work_records.h"
#include "plugin/services/recognition.h"
#include "plugin/services/tables.h"

namespace {

constexpr int kMsgNoDrillTable = 57;
constexpr std::size_t kMaxTables = 200;
constexpr double kDegree = std::numbers::pi / 180;

void dumpTree(const VIEW_LIST* tree, const char* name) {
    dumpCylsViews(tree, (g_globals->tmpDir + "/" + name).c_str());
}

// The hole leaves the tree with the followers of its chain, which have its shape; each is told with its
// place and the rule that left it out.
void removeHole(DROP_RULE rule, VIEW_LIST* view, POINT_LIST* hole) {
    for (const POINT_LIST* m = hole; m; m = m->nextEqual) noteDroppedWholeHole(rule, *m);
    while (hole) {
        POINT_LIST* next = hole->nextEqual;
        unlinkHole(hole->view ? hole->view : view, hole);
        freePointList(hole);
        hole = next;
    }
}

// A hole that no table describes gets a new table made from its description in the drill-size table's
// terms, with its row; the table joins the loaded ones and the hole is tried once more. False when the hole
// is to leave the tree.
bool giveNewTable(POINT_LIST*& hole, FORM_RUN& run) {
    const PLUGIN_GLOBALS& g = *g_globals;
    const double T = g_tolerances.tolT;
    const double D = hole->firstCyl ? 2 * hole->firstCyl->rInf : (g.metric() ? 50.0 : 2.0);
    const double tolerance = 2 * std::log10(D + 1) + 40 * T;
    const double low = 44 * kDegree, high = 46 * kDegree;
    CTabColsDesc* drillTable = run.drillIndex >= 0 ? &run.tables[static_cast<std::size_t>(run.drillIndex)] : nullptr;
    std::vector<CIL_DESC> descs = describeHole(hole->firstCyl, low, high, tolerance, drillTable);
    if (descs.empty()) return false;
    const auto count = static_cast<std::int16_t>(descs.size());
    std::string name;
    if (makeNewTableName(&name, count) != 0) return false;
    CTabColsDesc table;
    if (createDefaultTable(table, name, g.tablesDir, descs.data(), count, low, high, tolerance) != 0) return false;
    processLogLine("     Tabla nueva: '%s'\n", name.c_str());
    setFieldText(hole->tableName, name);
    if (addProvisionalMeasures(hole, descs.data(), count) != 0) return false;
    // A full array keeps the new table on disk and in the hole only.
    if (run.tables.size() >= kMaxTables) return true;
    CTabColsDesc loaded;
    if (loaded.read(tableFilePath(name)) != 0 || loaded.readRows() < 0) return false;
    run.tables.push_back(std::move(loaded));
    if (assignTableToHole(hole, run.tables, run.drillIndex) < 0) return false;
    hole->noMeasures = 1;
    return true;
}

// Step 5 for one view: tables, rows and processes of its chain heads. -1 stops the run.
int assignView(VIEW_LIST* view, FORM_RUN& run, int holes, int& handled) {
    processLogLine("\nPlano %i idn %i\n", view->viewNumber, view->idn);
    view->clearanceStartEnd = static_cast<std::uint8_t>(g_globals->settings.clearanceAtEndsOnly);
    std::vector<POINT_LIST*> heads;
    for (POINT_LIST* p = view->firstPoint; p; p = p->next)
        if (!p->chainMember) heads.push_back(p);
    for (POINT_LIST* hole : heads) {
        if (++handled > holes / 32) {
            (void)run.progress->step();   // a cancel here is not acted on
            handled = 0;
        }
        // Described, a hole of more walls than a description holds would match a table it is not: it
        // leaves the tree, and the summary tells where.
        if (countCyls(hole) > kMaxCilDescs) {
            removeHole(DROP_RULE::TooManyWalls, hole->view, hole);
            continue;
        }
        const int r = assignTableToHole(hole, run.tables, run.drillIndex);
        if (r == -2) return -1;
        if (r == -1 && !giveNewTable(hole, run)) {
            removeHole(DROP_RULE::NoNewTable, hole->view, hole);
            continue;
        }
        int applied = -2;
        if (hole->processName[0]) {
            applied = applyProcessToHole(run.tables.data(), static_cast<int>(run.tables.size()), *hole, kApplyAll);
            if (applied == -1) return -1;
        }
        if (applied == -2 || !hole->processName[0]) {
            setFieldText(hole->processName, "");
            hole->reprocessed = 1;
            for (POINT_LIST* m = hole; m; m = m->nextEqual) m->memberReprocessed = 1;
            processLogLine("       No hay proceso definido\n");
        }
    }
    return 0;
}

bool simpleHead(const ALLOWED_VIEWS& allowed, const POINT_LIST& head) { return isSimpleThroughHole(allowed, head) != 0; }

}  // namespace

int recognizeForms(VIEW_LIST*& tree, CProgressBox* progress) {
    PLUGIN_GLOBALS& g = *g_globals;
    const PRM_SETTINGS& s = g.settings;
    FORM_RUN run;
    run.progress = progress;
    run.allowed = readAllowedViews(s);
    const NamedTableNotices notices;   // a fit table the library lacks is told once, not at every hole
    (void)run.whyTexts.load(g.uiTextFile, "drillOperationWhy", false);
    (void)loadAllTables(run.tables, &run.drillIndex, kMaxTables);
    if (run.drillIndex < 0) {
        (void)plat::messageBox(nullptr, errorMessage(kMsgNoDrillTable), errorMessage(1), plat::MB_OK);
        return -1;
    }
    processLogLine("\nReconocimiento de Formas\n");
    (void)numberIdenticalHoles(tree, true);
    propagateFitThreadAttribs(tree);
    clearChainFlags(tree);
    const int holes = numberIdenticalHoles(tree, false);
    g_records->runStats.smallestTipAngle = std::numbers::pi;
    g_records->runStats.largestTipAngle = 0;

    (void)progress->step();
    int handled = 0;
    for (VIEW_LIST* view = tree; view; view = view->next)
        if (assignView(view, run, holes, handled) != 0) return -1;
    (void)progress->step();
    if ((s.intelligentProcess != 0 || s.checkCollisions != 0) && checkToolCollision(tree, progress) < 0) return -1;
    dumpTree(tree, "26_CylsOpaque.txt");

    classifyChains(tree, run.allowed, s.reamOnlyOnMarkedSide != 0, simpleHead);
    if (g.partPointFlag1 != 0) applyReferencePoint(tree, g.partPoint, g.partPointFlag2);

    if (actOnClasses(tree, run) != 0) return -1;
    (void)progress->step();
    dumpTree(tree, "27_CylsWhatdoed.txt");
    if (blindBlockedBottoms(tree, run) != 0) return -1;
    dumpTree(tree, "28_CylsOutCrashBtm.txt");
    (void)progress->step();
    if (splitLongGaps(tree, run) != 0) return -1;
    dumpTree(tree, "29_CylsSplitGapSpace.txt");
    if (s.reamOnlyOnMarkedSide != 0 && splitFittedEnds(tree, run) != 0) return -1;
    (void)progress->step();
    if (limitDepths(tree, run) != 0) return -1;
    if (s.intelligentProcess != 0) adaptCentreAndChamfer(tree);
    dropUnreachableHoles(tree, run.allowed);
    return finishViews(tree);
}
