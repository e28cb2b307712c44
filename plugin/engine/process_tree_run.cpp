// The process tree run: shows the process tree again and again, carries out what its end codes ask for
// (points list, highlights in the host, a table's configuration, tool-path groups, the tools view, the
// creation of the host operations) and returns the next preset to the command loop.
#include <cstdint>
#include <string>

#include "host/api.h"
#include "platform/ui/driver.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/settings.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/process_tree.h"
#include "plugin/engine/table_measures.h"
#include "plugin/model/process_tree_fields.h"
#include "plugin/engine/run_statistics.h"
#include "plugin/engine/selected_groups.h"
#include "plugin/engine/tool_sequencing.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"
#include "plugin/services/tooling.h"

namespace {

constexpr int kMsgNoMachineGroup = 148;

bool hasMachineGroup() {
    if (g_machineGroup) return true;
    plat::messageBox(nullptr, errorMessage(kMsgNoMachineGroup), errorMessage(1), plat::MB_OK);
    return false;
}

// Every operation that is on goes into one group named by "GroupOpNames" 20; false without a machine group.
bool createNamedGroup(std::uint32_t filter) {
    if (!hasMachineGroup()) return false;
    clearOperationsSelected();
    const std::string name = opGroupName(nullptr);
    std::uint32_t flags = filter;
    createTreeProcessOperations(&flags, *g_fullToolsSeq, 0, name, 1);
    g_lastOpGroup = opGroupIdByName(name);
    return true;
}

// A run that can no longer be played (no window, or the user's script broke off) leaves like Exit.
bool runBroken(int code) { return code < 0 || plat::driver().aborted(); }

// The points list until it asks for something the host must show, or goes back to the tree (0).
int pointsListLoop(int code, std::uint32_t filter) {
    CDlgPointsList& list = g_engine->pointsList;
    if (code == 101) {
        list.selectedHole = nullptr;
        list.resultWord = 0;
    }
    for (;;) {
        const int end = doModalInPluginRes(list);
        if (runBroken(end)) return 0;
        switch (end) {
        case CDlgPointsList::kCreate:
            if (!createNamedGroup(filter)) continue;
            list.restorePreviousSelection();
            return 1014;
        case CDlgPointsList::kCreateIsolated:
            if (!hasMachineGroup()) continue;
            createGroupOpsIsolated(g_engine->markedHoles ? g_engine->markedHoles->view : nullptr, g_engine->markedHoles, list.selectedHole,
                                   filter);
            list.restorePreviousSelection();
            return 1015;
        case CDlgPointsList::kHighlight:
            list.highlightSelectedForm(0);
            repaint_graphics();
            return 1016;
        default:
            list.highlightSelectedForm(1);
            repaint_graphics();
            if (end == plat::IDOK) return 0;
        }
    }
}

void toolPathGroupsLoop() {
    POINT_LIST* picked = nullptr;
    for (;;) {
        const int end = runToolPathGroups(picked);
        if (end == 171 && !plat::driver().aborted()) {
            picked = isolateFeatureLevel();
            continue;
        }
        if (end == plat::IDOK) {
            g_fullToolsSeq->clear();
            sequenceTools(*g_fullToolsSeq, g_records->viewsTree, 1);
            g_engine->treeReturnAction = 4;
        }
        return;
    }
}

// The tools view; its end code when it is one the run returns, else 0.
int toolsView(std::uint32_t* filter) {
    CDlgProcess& dlg = *g_processDlg;
    const int end = runToolsView(*g_fullToolsSeq, &g_engine->markedHoles);
    countUsedTools(*g_fullToolsSeq, &g_records->runStats.toolsCount1, &g_records->runStats.toolsCount2);
    dlg.filterFlags &= ~(kStateToolMissing | kStateToolCreated);
    if (g_records->runStats.toolsCount1 != 0) dlg.filterFlags |= kStateToolMissing;
    if (g_records->runStats.toolsCount2 != 0) dlg.filterFlags |= kStateToolCreated;
    *filter = dlg.filterFlags;
    if (end == 903 || end == 904) return end;
    if (end == 915 && createNamedGroup(*filter)) return 915;
    return 0;
}

void restoreBeforeLoop(std::int16_t preset, std::uint32_t filter) {
    switch (preset) {
    case 110: setGroupListEntities(g_records->viewsTree, 0, filter, 0); break;
    case 104: setGroupEntities(g_engine->markedView, 0, filter, 0); break;
    case 103: setHoleEntities(g_engine->markedHoles, 0, 0, filter, 0); break;
    case 903:
        // The list is the tools view's holes of the tree: shown normal again and forgotten, not freed.
        setHoleEntities(g_engine->markedHoles, 0, 0, 0xFFFFFFFFu, 0);
        g_engine->markedHoles = nullptr;
        break;
    case 904: setHoleEntities(g_engine->markedHoles, 0, 0, 0xFFFFFFFFu, 0); break;
    default: return;
    }
    repaint_graphics();
}

bool skipsDialog(std::int16_t preset) {
    switch (preset) {
    case 106: case 132: case 1014: case 1015: case 903: case 904: case 915: return true;
    default: return false;
    }
}

}  // namespace

std::int16_t runProcessDialog(std::uint32_t* processTreeFlags, std::int16_t* option, std::int16_t preset) {
    PLUGIN_GLOBALS& g = *g_globals;
    CDlgProcess& dlg = *g_processDlg;
    restoreBeforeLoop(preset, *processTreeFlags);
    dlg.advancedShown = g.settings.intelligentProcess == 0 && *option != 0 ? 1 : 0;
    dlg.filterFlags = *processTreeFlags;
    dlg.selectHole = nullptr;
    for (;;) {
        int code = 0;
        const bool shown = !skipsDialog(preset);
        if (!shown) {
            code = preset;
            preset = 0;
        } else {
            code = doModalInPluginRes(dlg);
            if (runBroken(code)) code = plat::IDOK;
        }
        *option = dlg.advancedShown;
        *processTreeFlags = dlg.filterFlags;
        // Saved at once: a run that hands over to the host ends the invocation, and the next one reads the
        // settings afresh.
        if (shown) (void)writeSettings(0);
        switch (code) {
        case plat::IDOK: return 0;
        case 100: return 1;
        case 101:
        case 1014:
        case 1015:
            if (const int next = pointsListLoop(code, *processTreeFlags)) return static_cast<std::int16_t>(next);
            break;
        case 102: placeGroupNote(g_engine->noteView); break;
        case 103:
            setHoleEntities(g_engine->markedHoles, 0, 1, *processTreeFlags, 0);
            repaint_graphics();
            return 103;
        case 104:
            setGroupEntities(g_engine->markedView, 1, *processTreeFlags, 0);
            repaint_graphics();
            return 104;
        case 106:
            unblankMarkerEnt();
            if (runConfigProcess(106) != 0) return 1013;
            g_mainMenuShown = 1;
            blankMarkerEnt();
            break;
        case 107: g_records->viewsTree = addMeasuresToTables(g_records->viewsTree); break;
        case 108:
        case 109:
        case 111:
            if (createNamedGroup(*processTreeFlags)) return static_cast<std::int16_t>(code);
            break;
        case 110:
            setGroupListEntities(g_records->viewsTree, 1, *processTreeFlags, 1);
            repaint_graphics();
            return 110;
        case 121: dlg.selectHole = isolateFeatureLevel(); break;
        case 131: toolPathGroupsLoop(); break;
        case 132:
        case 903:
        case 904:
        case 915:
            if (const int next = toolsView(processTreeFlags)) return static_cast<std::int16_t>(next);
            break;
        case 201: {
            if (!hasMachineGroup()) break;
            if (createTreeProcessOperations(processTreeFlags, *g_fullToolsSeq, 0, "", 0) == 0) return 1012;
            break;
        }
        default: break;
        }
    }
}
