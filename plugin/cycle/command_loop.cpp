// The command loop. It waits in the host's event processing (get_event) for the codes that the modeless
// windows post as WM_PLUGIN_COMMAND and runs each command in turn.
//
//   result   meaning for the work cycle
//   0        it ends: the invocation saves the records and frees the data
//   1        it goes on: a command handed control to the host, leaving g_pendingCommand (re-posted by the
//            next invocation) or g_resumeAction (performed by it); the data stays in memory
//
// The keep flag only goes from 0 to 1, except for the results 1012 (both roads) and 1013 (Execute).
#include "plugin/cycle/command_loop.h"

#include <memory>
#include <string>

#include "host/api.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "plugin/base/file_dialogs.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_install.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/settings.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/process_tree.h"
#include "plugin/features/feature_windows.h"
#include "plugin/model/work_records.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"
#include "plugin/services/tables.h"
#include "plugin/settings/general_parameters.h"

namespace {

struct LOOP_STATE {
    long mask = 0x8200;
    long arg2 = 0;
    short arg3 = 0;
    int keep = 0;
    bool done = false;
    std::unique_ptr<CGeneralParameters> parameters;
};

std::int16_t g_featuresManagerState = 1;

void showMainMenu() {
    if (g_mainMenu->hasWindow()) g_mainMenu->showWindow(g_mainMenuShown == 1);
}

void hideMainMenu() {
    if (g_mainMenu->hasWindow()) g_mainMenu->showWindow(false);
}

void withdrawClose() { g_mainMenu->closeEnabled = false; }
void giveCloseBack() { g_mainMenu->closeEnabled = true; }

void showStatusText() { UpdateStatusBarText(g_mainMenu->texts.getText(51).c_str()); }

// The settings the features manager works on during a loop run, and back into the settings after it.
void copySettingsToFeaturesManager() {
    PRM_SETTINGS& s = g_globals->settings;
    CFeatMgrFilter& f = *g_featMgrFilter;
    f.minTolerance = s.featMgrToleranceA;
    f.maxTolerance = s.featMgrToleranceB;
    std::copy(s.reamClassColours.begin(), s.reamClassColours.end(), f.reamColors);
    std::copy(s.threadClassColours.begin(), s.threadClassColours.end(), f.threadColors);
    std::copy(s.threadClassTables.begin(), s.threadClassTables.end(), f.threadTables);
    std::copy(s.reamClassTables.begin(), s.reamClassTables.end(), f.reamTables);
    f.recognized = 0;
    g_viewAllGeo->seeAll = 1;
}

void copyFeaturesManagerToSettings() {
    PRM_SETTINGS& s = g_globals->settings;
    const CFeatMgrFilter& f = *g_featMgrFilter;
    s.featMgrToleranceA = f.minTolerance;
    s.featMgrToleranceB = f.maxTolerance;
    std::copy(std::begin(f.reamColors), std::end(f.reamColors), s.reamClassColours.begin());
    std::copy(std::begin(f.threadColors), std::end(f.threadColors), s.threadClassColours.begin());
    std::copy(std::begin(f.threadTables), std::end(f.threadTables), s.threadClassTables.begin());
    std::copy(std::begin(f.reamTables), std::end(f.reamTables), s.reamClassTables.begin());
}

// The forms level as the settings show it (remembering first when asked).
void showFormsLevel(bool remember) {
    const PRM_SETTINGS& s = g_globals->settings;
    setFormsLevelVisible(s.formsLevel, s.formsLevelShowMode, remember);
}

bool tablesReady() {
    if (copyTablesToSharedData() < 0) return false;
    return checkTablesLibrary(1) == 0;
}

// The general parameters, run again after each pick of the drilling side's point P (result 101); the
// settings are written whatever the result, since the small dialogs change them at once.
void runParameters(LOOP_STATE& loop) {
    readSettings();
    hideMainMenu();
    withdrawClose();
    CGeneralParameters& dlg = *loop.parameters;
    dlg.reopenCode = 0;
    std::copy(std::begin(g_globals->partPoint), std::end(g_globals->partPoint), dlg.sidePoint);
    dlg.sideEnabled = g_globals->partPointFlag1;
    dlg.sideMode = g_globals->partPointFlag2;
    while (doModalInPluginRes(dlg) == CGeneralParameters::kPickPoint) {
        CTextSection msg;
        (void)msg.load(g_globals->uiTextFile, "msg", false);
        char kind = 'P', got = 0;
        double pt[3] = {};
        point_proc(msg.getText(81).c_str(), &kind, pt, &got);
        if (got) std::copy(std::begin(pt), std::end(pt), dlg.sidePoint);
        dlg.reopenCode = CGeneralParameters::kPickPoint;
    }
    if (!tablesReady()) return;
    giveCloseBack();
    showFormsLevel(false);
    writeSettings(0);
    readSettings();
}

void runFormsManager(LOOP_STATE& loop) {
    if (g_resumeAction == 0) g_engine->configAction = 0;
    g_resumeAction = 0;
    loadThreadTables();
    hideMainMenu();
    withdrawClose();
    if (runConfigProcess(0) != 0) {
        g_resumeAction = 2;
        g_mainMenuShown = 0;
        showStatusText();
        loop.done = true;
    } else {
        giveCloseBack();
    }
}

void runCreateForms(std::int16_t preset) {
    g_engine->configAction = 0;
    if (!tablesReady()) return;
    loadThreadTables();
    g_engine->configAction = 0;
    hideMainMenu();
    withdrawClose();
    runConfigProcess(preset);
    giveCloseBack();
}

void unblank() {
    giveCloseBack();
    unblankMarkerEnt();
    rebuild_graphics();
}

// Acts on the process tree's result. Returns whether the display is to be restored (unblanking).
bool actOnProcessResult(LOOP_STATE& loop, std::int16_t result, bool execute) {
    auto handOver = [&](std::int16_t resume) {
        g_resumeAction = resume;
        g_mainMenuShown = 0;
        showStatusText();
        loop.done = true;
    };
    switch (result) {
    case 103: case 104: case 110: case 903: case 904: case 1016:
        g_pendingCommand = result == 1016 ? 1052 : 105;
        if (g_viewAllGeo->hasWindow()) g_viewAllGeo->showWindow(true);
        g_mainMenuShown = 0;
        loop.keep = 1;
        return false;
    case 108: case 109: case 111:
        showFormsLevel(true);
        handOver(1);
        loop.keep = 1;
        return true;
    case 1012:
        showFormsLevel(true);
        handOver(21);
        loop.keep = 0;
        return true;
    case 1013:
        if (execute) showFormsLevel(true);
        handOver(3);
        loop.keep = execute ? 0 : 1;
        return true;
    case 1014:
    case 1015:
        showFormsLevel(true);
        handOver(11);
        loop.keep = 1;
        return result == 1014;
    case 915:
        showFormsLevel(true);
        handOver(4);
        loop.keep = 1;
        return false;
    default:
        return true;
    }
}

void runViewProcess(LOOP_STATE& loop) {
    if (g_resumeAction == 3) g_processPreset = 106;
    if (g_resumeAction == 11) g_processPreset = 1014;
    if (g_processPreset == 0) {
        blankMarkerEnt();
        rebuild_graphics();
    }
    g_resumeAction = 0;
    hideMainMenu();
    withdrawClose();
    g_processPreset = runProcessDialog(&g_records->processTreeFlags, &g_globals->settings.processTreeOption,
                                       g_processPreset);
    g_mainMenuShown = 1;
    if (actOnProcessResult(loop, g_processPreset, false)) unblank();
}

void runExecute(LOOP_STATE& loop) {
    if (!g_machineGroup) {
        plat::messageBox(nullptr, errorMessage(148), errorMessage(1), plat::MB_OK);
        return;
    }
    if (!tablesReady()) return;
    loadThreadTables();
    blankMarkerEnt();
    rebuild_graphics();
    withdrawClose();
    for (;;) {
        hideMainMenu();
        const std::int16_t recognised = runRecognition(&g_records->processTreeFlags);
        if (recognised == -1) {
            unblank();
            break;
        }
        if (recognised == 2) g_processPreset = 132;
        copyTablesFromSharedData();
        g_records->processTreeFlags = 0xFFFFFFFFu;
        g_processDlg->expandToolProblems = 1;
        g_processPreset = runProcessDialog(&g_records->processTreeFlags, &g_globals->settings.processTreeOption,
                                           g_processPreset);
        g_mainMenuShown = 1;
        if (g_processPreset == 1) continue;   // recognise again
        if (actOnProcessResult(loop, g_processPreset, true)) unblank();
        break;
    }
    if (g_globals->settings.supportGeometryOn != 0)
        drawHoleLabels(g_records->viewsTree, g_globals->settings.supportGeometryLevel,
                       g_globals->settings.supportGeometryInclinedOnly);
}

void runEditReports() {
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "EditReportsMenu", true);
    plat::Menu menu;
    for (int id = 1; id <= 3; ++id) menu.item(id, texts.getText(id));
    plat::Point at{};
    if (g_mainMenu->hasWindow()) at = g_mainMenu->item(CMainMenu::kEditReportsButton).windowRect().center();
    const int chosen = plat::trackPopupMenu(menu, plat::TPM_RETURNCMD, at, g_mainMenu.get());
    if (chosen == 1) {
        hideMainMenu();
        openFileInEditor(g_globals->settings.drillingListFile, "", "txt", "Text files");
    } else if (chosen == 2) {
        hideMainMenu();
        openFileInEditor(g_globals->settings.machiningTimeFile, "", "txt", "text files");
    }
}

void runCommand(LOOP_STATE& loop, int code) {
    const TableDamageNotices damagedTablesToldOnce;
    switch (code) {
    case 1: loop.done = true; break;
    case 102: runParameters(loop); break;
    case 103: runFormsManager(loop); break;
    case 104: runExecute(loop); break;
    case 1052:
        g_processPreset = 1014;
        runViewProcess(loop);
        break;
    case 105: runViewProcess(loop); break;
    case 106: runCreateForms(120); break;
    case 107: runCreateForms(122); break;
    case 108: runEditReports(); break;
    case 1002:
        post_FT_command("Partforge", "AnalyzeDynoStart");
        loop.done = true;
        loop.keep = 1;
        break;
    default: break;   // 101, 109 and the features window's codes: nothing more here
    }
}

}  // namespace

int mainMenuEventLoop() {
    LOOP_STATE loop;
    loop.parameters = std::make_unique<CGeneralParameters>();
    copySettingsToFeaturesManager();
    const int savedMaskLevel = mask_level;
    g_commandLoopBusy = 1;

    std::string prompt = "ForantixX " + g_globals->versionText;
    std::erase(prompt, '\n');
    while (!loop.done) {
        showMainMenu();
        PFEvent event;
        char out[256] = {};
        const int result = get_event(prompt.c_str(), &event, &loop.mask, &loop.arg2, &loop.arg3, out);
        if (result == 1 || result == 2) {
            g_mainMenuShown = 0;
            break;
        }
        if (event.type != kEventPosted || event.message != WM_PLUGIN_COMMAND) continue;
        const int code = static_cast<int>(event.wParam);
        cleartextall();
        // The features manager hands the host control with its window open: the cycle's data stays.
        if (featuresManagerMenu(code, &g_featuresManagerState, &loop.mask, &loop.arg2, &loop.arg3) != 0) {
            loop.done = true;
            loop.keep = 1;
        }
        runCommand(loop, code);
        if (code == 2003 || code == 2004 || code == 2008)
            g_assignFeatures->showSelectionInfo(*g_selCylindersMask, (*g_featMgrTexts)[0], *g_featMgrFilter);
    }

    copyFeaturesManagerToSettings();
    giveCloseBack();
    showMainMenu();
    g_commandLoopBusy = 0;
    mask_level = savedMaskLevel;
    g_preselView->restoreColors();
    return loop.keep;
}
