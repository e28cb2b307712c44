// The process tree's operations by groups: every toolpath group of the tree becomes its own host groups.
// The holes the tree's filter hides are left out for the run (their selection comes back after it), the
// earlier generation goes, the drill points are stored, each view is labelled with its group, and the
// points-list path makes the operations; a cancel removes every group it made.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_install.h"
#include "plugin/base/machine_info.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tables.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/drill_operations.h"
#include "plugin/tooling/tree_filter.h"

namespace {

constexpr int kMsgCaption = 1, kMsgFewAxes = 152;   // "ErrorMessages"
// "TreeProcessDlg"
constexpr int kDoneLine = 5, kGroupWord = 35, kToolsMade = 71, kToolsAdded = 72, kToolsNotTaken = 74;

// "(Group 2) TOP"; the description is left out when a neighbour of the view in its group lies in another
// host view.
void labelViews(VIEW_LIST* views, const std::string& word) {
    clearViewGroupLabels();
    for (VIEW_LIST* v = views; v; v = v->next) {
        if (!v->selected) continue;
        std::string description = viewDescription(v);
        const auto spans = [&](VIEW_LIST* w, VIEW_LIST* VIEW_LIST::*step) {
            for (; w && w->selected && w->groupNumber == v->groupNumber; w = w->*step)
                if (w->viewNumber != v->viewNumber) return true;
            return false;
        };
        if (spans(v->next, &VIEW_LIST::next) || spans(v->prev, &VIEW_LIST::prev)) description.clear();
        char label[256];
        std::snprintf(label, sizeof label, "(%s %i) %s", word.c_str(), v->groupNumber, description.c_str());
        setViewGroupLabel(v, label);
        double origin[3];
        findGroupNotes(v, origin);
    }
}

}  // namespace

bool machineTakesViews(const VIEW_LIST* views, bool overViews) {
    if (!overViews || !views || !views->next) return true;
    TpGrpList& groups = TpMainGrpMgr().GetMainGrpList();
    const op_group* active = groups.RetrieveActiveGroup();
    readMachineGroupInfo(active ? groups.RetrieveRootMachineGroup(active->id) : GroupsMachineGroup(nullptr));
    if (g_machineInfo.componentCount >= 2) return true;
    return plat::messageBox(nullptr, fillText(errorMessage(kMsgFewAxes), {std::to_string(g_machineInfo.componentCount)}),
                            errorMessage(kMsgCaption), plat::MB_OKCANCEL | plat::MB_ICONEXCLAMATION) != plat::IDCANCEL;
}

void createOperationsPerGroup(VIEW_LIST* views) {
    PLUGIN_GLOBALS& g = *g_globals;
    const PRM_SETTINGS& s = g.settings;
    CTextSection texts;
    (void)texts.load(g.uiTextFile, "TreeProcessDlg", false);
    const ToolsLogOpen log;   // closed on every way out
    const int refreshWas = OMenableRefresh(0);
    const bool locked = plat::lockWindowUpdate(true);
    cleanGeneratedGroups(0);
    if (s.keepPartTools == 0) deleteUnusedTools();
    setFormsLevelVisible(g_globals->settings.formsLevel, g_globals->settings.formsLevelShowMode, true);
    deleteTempPoints();
    if (storeDrillPoints(views) != kDrillPointsStored) {
        if (locked) (void)plat::lockWindowUpdate(false);
        OMenableRefresh(refreshWas);
        OMrefreshOpManTree();
        deleteTempPoints();
        restoreFormsLevelVisible(g_globals->settings.formsLevel);
        rebuild_graphics();
        return;
    }
    labelViews(views, texts.getText(kGroupWord));
    TpGrpList& groups = TpMainGrpMgr().GetMainGrpList();
    const op_group* active = groups.RetrieveActiveGroup();
    const std::int32_t activeId = active ? active->id : 0;
    std::int16_t toolsMade = 0, operationsMade = 0, toolsTaken = 0;
    const int failed = createDrillOperations(views, nullptr, s.firstToolNumber, &toolsMade, 0, s.takeNearestTool,
                                             s.addNewTools, &operationsMade, s.drillingListOn != 0 ? 1 : 0,
                                             s.machiningTimeListOn != 0 ? 1 : 0, &toolsTaken);
    clearViewGroupLabels();
    if (activeId) groups.SetDefaultOperationGroup(activeId);
    if (locked) (void)plat::lockWindowUpdate(false);
    OMenableRefresh(refreshWas);
    OMrefreshOpManTree();
    if (failed != 0) {
        cleanGeneratedGroups(0);
        restoreFormsLevelVisible(g_globals->settings.formsLevel);
        rebuild_graphics();
        return;
    }
    ToolsLogOpen::close();
    // The tools the library took are told as added, the others made as kept in the part only, as the run's
    // summary tells them.
    std::string text = fillText(texts.getText(kDoneLine), {long{operationsMade}});
    const long notTaken = toolsMade - toolsTaken;
    if (s.addNewTools == 0 && toolsMade != 0) text += "\n" + fillText(texts.getText(kToolsMade), {long{toolsMade}});
    if (s.addNewTools != 0 && toolsTaken != 0) text += "\n" + fillText(texts.getText(kToolsAdded), {long{toolsTaken}});
    if (s.addNewTools != 0 && notTaken > 0)
        text += "\n" + fillText(texts.getText(kToolsNotTaken), {notTaken, configuredToolLibrary()});
    plat::messageBox(nullptr, text, "", plat::MB_OK);
    restoreFormsLevelVisible(g_globals->settings.formsLevel);
    rebuild_graphics();
}

void runProcessTree(std::uint32_t* treeFilter) {
    VIEW_LIST* views = g_records->viewsTree;
    if (!views || !treeFilter) return;
    if (!machineTakesViews(views, toolPathGroupsOverViews())) return;
    const UNREACHABLE_ANSWER unreachable = askAboutUnreachableHoles(views, treeFilter);
    if (unreachable == UNREACHABLE_ANSWER::cancelled) return;
    if (checkTablesLibrary(1) != 0) return;
    loadThreadTables();

    keepSelection(views);
    leaveOutFilteredHoles(views, *treeFilter, unreachable == UNREACHABLE_ANSWER::leftOut);
    leaveOutBlockedHoles(*g_fullToolsSeq);
    createOperationsPerGroup(views);
    restoreSelection(views);
}
