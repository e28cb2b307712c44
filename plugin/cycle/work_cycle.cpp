// The invocation (m_main), its preparation of the global state (pluginMain) and the host's notifications.
#include "plugin/cycle/work_cycle.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "host/api.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/thread_queue.h"
#include "platform/ui/message_box.h"
#include "plugin/base/machine_info.h"
#include "plugin/base/tool_types.h"
#include "plugin/cycle/command_loop.h"
#include "plugin/cycle/kept_state.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_install.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/cycle/records.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/settings.h"
#include "plugin/base/text_fill.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/features/feature_windows.h"
#include "plugin/model/work_records.h"
#include "plugin/services/engine.h"
#include "plugin/services/features.h"
#include "plugin/services/settings.h"
#include "plugin/services/tooling.h"
#include "plugin/settings/shared_library.h"
#include "plugin/tooling/tool_path_groups.h"

namespace {


// Copies at most `capacity - 1` characters and ends the text.
void copyCut(char* dest, std::size_t capacity, const std::string& text) {
    const std::size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
}

void showOkMessage(const std::string& text) { plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OK); }

void createWorkFolder() {
    g_globals->tmpDir = plat::joinPath(g_globals->dataDir, "Tmp");
    if (!plat::dirExists(g_globals->tmpDir) && !plat::createDirectories(g_globals->tmpDir))
        showOkMessage(errorMessage(6) + "\n" + g_globals->tmpDir);
}

void buildPartFileNames() {
    std::string partPath;
    if (plat::equalsNoCase(geo_filename, default_geo_filename))
        partPath = std::string(geo_prefix) + geo_filename + geo_suffix;
    else
        partPath = geo_filename;
    const plat::PathParts parts = plat::splitPath(partPath);
    g_globals->partDir = parts.drive + parts.dir;
    g_globals->partName = parts.name;
    g_globals->tffFile = parts.drive + parts.dir + parts.name + ".TFF";
}

void loadShortTexts() {
    struct SHORT_TEXT {
        int line;
        const char* fallback;
        char* dest;
        std::size_t longest;
    };
    const SHORT_TEXT texts[] = {
        {3, "dia", g_txtDiameter, 3},       {4, "deg", g_txtDegree, 3},         {5, "+", g_txtPlus, 3},
        {6, "-", g_txtMinus, 3},            {7, "depth", g_txtDepth, 30},       {8, "tlDiam", g_txtToolDiameter, 30},
        {9, "BStock", g_txtStock, 30},      {10, "L=", g_txtLength, 3},         {11, "T", g_txtOpNumberPrefix, 3},
        {12, "\xB1", g_txtPlusMinus, 3},
    };
    for (const SHORT_TEXT& t : texts) copyCut(t.dest, t.longest + 1, g_pluginMenu->getMessage(t.line, t.fallback));
}

// Row type -> the lines of "ToolTypes", "OperationTypes" and "GroupOpNames" that name it.
struct TYPE_NAMES {
    int type, toolLine, operationLine, groupLine;
};
constexpr TYPE_NAMES kTypeNames[] = {
    {2, 1, 1, 1},    {1, 14, 1, 1},    {3, 2, 2, 2},    {4, 3, 3, 3},    {5, 4, 4, 4},      {6, 5, 5, 5},
    {7, 6, 6, 6},    {8, 7, 7, 7},     {9, 8, 8, 8},    {10, 9, 9, 9},   {12, 10, 10, 10},  {19, 11, 11, 11},
    {17, 12, 14, 9}, {15, 13, 17, 10}, {11, 15, 18, 11}, {0, 16, 19, 9},
};

void renameToolOpTypes(const CTextSection& tools, const CTextSection& ops, const CTextSection& groups) {
    for (TOOL_OP_TYPE* row = g_toolOpTypes; row->type >= 0; ++row) {
        const auto names = std::find_if(std::begin(kTypeNames), std::end(kTypeNames),
                                        [row](const TYPE_NAMES& n) { return n.type == row->type; });
        if (names == std::end(kTypeNames)) continue;
        copyCut(row->toolName, sizeof row->toolName, tools.getText(names->toolLine));
        copyCut(row->operationName, sizeof row->operationName, ops.getText(names->operationLine));
        copyCut(row->groupName, sizeof row->groupName, groups.getText(names->groupLine));
    }
}

void loadToolMaterials() {
    CTextSection materials;
    (void)materials.load(g_globals->uiTextFile, "ToolMaterials", true);
    for (int i = 1; i <= 6; ++i) {
        g_toolMaterials[i - 1].id = i;
        copyCut(g_toolMaterials[i - 1].name, sizeof g_toolMaterials[i - 1].name, materials.getText(i));
    }
}

void checkSharedLibrary() {
    const std::unique_ptr<CSharedData> shared = makeSharedData(g_globals->sharedDir);
    std::vector<std::string> subFolders;
    const int found = listSubFolders(g_globals->sharedFormsDir, g_globals->libraryName, &subFolders);
    if (found < 0) {
        CDlgSharedDataMgr dlg;
        dlg.library = g_globals->libraryName;
        dlg.folder = g_globals->sharedDir;
        dlg.mode = g_globals->sharedAccessMode;
        dlg.setting = g_globals->sharedAccessSetting;
        const int result = doModalInPluginRes(dlg);
        // The access mode changed in the dialog has changed the flag files, whatever the dialog ended with.
        g_globals->sharedAccessMode = dlg.mode;
        g_globals->sharedAccessSetting = dlg.setting;
        if (result == plat::IDOK) {
            g_globals->sharedDir = dlg.folder;
            g_globals->libraryName = dlg.library;
            buildFormsFolders();
        } else if (listSubFolders(g_globals->sharedFormsDir, g_globals->libraryName, nullptr) < 0) {
            showOkMessage(fillText(shared->texts().getMessage(111), {g_globals->sharedFormsDir}));
            g_globals->sharedDataOn = 0;
            writeSettings(0);
        }
    } else if (found == 1) {
        CDlgSharedLibNF dlg(0);
        dlg.library = g_globals->libraryName;
        dlg.folders = &subFolders;
        // Cancel keeps the library the settings name, rather than none.
        if (doModalInPluginRes(dlg) == plat::IDOK) g_globals->libraryName = dlg.choice;
        writeSettings(0);
    }
}

void startWatcherIfNeeded() {
    PLUGIN_GLOBALS& g = *g_globals;
    if (!g.sharedDataOn || g.sharedAccessMode != 1 || sharedDataWatcherRunning()) return;
    // Settings that say read-write are no access while another station holds it. A share that takes no
    // file leaves the station read-only for the cycle with its setting kept, so that it holds the access
    // again once the share can be written.
    switch (holdReadWriteAccess(nullptr, g.sharedDir)) {
    case AccessHold::Held: startSharedDataWatcher(g.sharedDir); return;
    case AccessHold::Refused:
        // Told to the user, and so the settings files say: the parameters read them again in the cycle.
        g.sharedAccessMode = 0;
        g.sharedAccessSetting = 0;
        (void)writeSharedDataSettings(g.settingsFile, g.sharedDataOn, 0, g.sharedDir);
        return;
    case AccessHold::Unwritable: g.sharedAccessMode = 0; return;
    }
}

void createModelessWindows() {
    g_mainMenu->caption = *g_mainMenuCaption;
    g_mainMenu->versionText = g_globals->versionText;
    g_mainMenu->create();
    g_viewAllGeo->create();
    g_pendingCommand = 0;
    g_assignFeatures->create();
    g_preselView->create();
    g_preselView->createImageList();
    g_preselView->resetGroups();
    g_preselView->init();
}

void postAfterWait(int code) {
    plat::sleepMs(300);
    plat::postThreadMessage(WM_PLUGIN_COMMAND, static_cast<std::uintptr_t>(code), 0);
}

void deleteLastGroup() {
    if (g_lastOpGroup == 0) return;
    deleteGroupOperations(g_lastOpGroup);
    OMdeleteGroup(static_cast<std::int32_t>(g_lastOpGroup), 1);
}

void performResumeAction() {
    switch (g_resumeAction) {
    case 1:
        restoreFormsLevelVisible(g_globals->settings.formsLevel);
        deleteLastGroup();
        rebuild_graphics();
        postAfterWait(105);
        break;
    case 2:
        cancelGroupOperations(g_lastOpGroup);
        rebuild_graphics();
        postAfterWait(103);
        break;
    case 3:
        cancelGroupOperations(g_lastOpGroup);
        rebuild_graphics();
        postAfterWait(105);
        break;
    case 4:
        restoreFormsLevelVisible(g_globals->settings.formsLevel);
        deleteLastGroup();
        rebuild_graphics();
        g_processPreset = 915;
        postAfterWait(105);
        break;
    case 11:
        undoGroupOperations(g_lastOpGroup);
        rebuild_graphics();
        postAfterWait(105);
        break;
    case 21:
        restoreFormsLevelVisible(g_globals->settings.formsLevel);
        postAfterWait(105);
        break;
    default:
        break;
    }
}

void endWorkCycle() {
    saveAllRecords(g_records->viewsTree);
    freeCycleRecords();
    forgetPendingPick();
    if (g_globals->sharedDataOn && g_globals->sharedAccessMode == 1) {
        makeSharedData(g_globals->sharedDir)->runningFlag(1);
        g_sharedWatcher.stop = 1;
        plat::sleepMs(250);
        // The watcher sees the stop byte within one poll; the join makes sure it has ended.
        stopSharedDataWatcher();
    }
    writeSettings(0);
    g_processMenu->clear();
    g_globals->viewNames.clear();
}

}  // namespace

int runPluginMain() {
    g_globals->debugDumps = 0;
    g_hostToolLibrary = ToolLibraryStr();
    if (op_group* group = GroupsMachineGroup(nullptr)) {
        g_machineGroup = group;
        g_postFile = PostProcFileStr();
        readMachineGroupInfo(group);
    } else {
        g_machineGroup = nullptr;
        g_postFile.clear();
        const bool metric = current_version[7] == 1;
        g_machineInfo = MACHINE_INFO{};
        g_machineInfo.control.maxFeedRate = metric ? 12500 : 500;
        g_machineInfo.control.rapidRate = metric ? 12500 : 500;
        g_machineInfo.spindleSpeedLimit = 1000;
        g_machineInfo.toolChangeSeconds = 2.0;
    }
    g_globals->hostApp = GetPartforgeApp();
    g_globals->hostDir = plat::removeTrailingSeparator(current_dir);

    std::string modulePath = plat::moduleFileName(g_pluginInstance);
    if (modulePath.size() > 1024) modulePath.resize(1024);
    const plat::PathParts module = plat::splitPath(modulePath);
    g_globals->pluginDir = plat::removeTrailingSeparator(module.drive + module.dir);
    g_globals->pluginTitle = module.name;
    g_globals->dataDir = plat::joinPath(g_globals->pluginDir, module.name);
    g_globals->sharedDataOn = 0;
    g_globals->sharedAccessMode = 0;
    g_globals->sharedAccessSetting = 0;
    g_globals->sharedDir.clear();
    g_globals->uiTextFile = plat::joinPath(g_globals->pluginDir, module.name + ".txt");
    g_mainMenuShown = 1;

    pluginMain();
    plat::sleepMs(250);
    return 0;
}

void pluginMain() {
    PLUGIN_GLOBALS& g = *g_globals;
    CTextSection toolTypes, operationTypes, groupOpNames, pathNames;

    std::copy(std::begin(current_version), std::end(current_version), g.hostVersion.begin());
    g.hostMajor = 0;
    g.hostMR = 0;
    g.hostRegKey.clear();
    int major = 0;
    int mr = hostInstallDir(g.hostDir, &major, &g.hostRegKey);
    if (mr < 0) mr = hostVersionFromExe(g.hostDir, &major);
    if (mr >= 0) {
        g.hostMajor = major;
        g.hostMR = mr;
    }
    setUnitTolerances(g.metric());

    forgetUiTexts();   // a change of the texts file is seen from this invocation on
    if (g_processMenu->load(g.uiTextFile, "ProcessMenu", true) != 0) return;
    if (g.errorMessages.load(g.uiTextFile, "ErrorMessages", true) != 0) return;
    if (pathNames.load(g.uiTextFile, "PathNames", true) != 0) return;
    if (g_pluginMenu->load(g.uiTextFile, "ForantixMenu", true) != 0) return;

    createWorkFolder();
    buildPartFileNames();
    g.processLogFile = plat::joinPath(g.tmpDir, "25_Process.txt");
    g.toolsDumpFile = plat::joinPath(g.tmpDir, "23_Tools.txt");
    g.settingsFile = plat::joinPath(g.pluginDir, g.pluginTitle + (g.metric() ? "_mm.prm" : "_in.prm"));

    TpGrpList& groups = TpMainGrpMgr().GetMainGrpList();
    op_group* active = groups.RetrieveActiveGroup();
    if (!active) return;
    g_machineGroup = groups.RetrieveRootMachineGroup(active->id);
    g_postFile = PostProcFileStr();
    readMachineGroupInfo(g_machineGroup);

    g.viewsSnapshot.clear();
    g.viewsSnapshot.setPrefix("DOSW");
    loadShortTexts();
    std::strcpy(g_toolLibExt, "Tools");
    g.tableNamePrefix = "_Forantix_";

    setDefaultSettings(0);
    readSettings();
    // The cycle asks for the access the user chose; whether it holds it is settled as the cycle starts.
    g.sharedAccessMode = g.sharedAccessSetting.load();
    buildFormsFolders();

    (void)toolTypes.load(g.uiTextFile, "ToolTypes", false);
    (void)operationTypes.load(g.uiTextFile, "OperationTypes", false);
    (void)groupOpNames.load(g.uiTextFile, "GroupOpNames", false);
    renameToolOpTypes(toolTypes, operationTypes, groupOpNames);
    g_engine->configGroupName = groupOpNames.getTextOr(19, "");
    toolTypes.clear();
    operationTypes.clear();
    groupOpNames.clear();

    g.cycleNames.load("");
    loadToolMaterials();
    (void)g.viewNames.load(g.uiTextFile, "ViewNames", false);

    if (!g_records->viewsTree) {
        loadAllRecords(&g_records->viewsTree);
        redrawFeatureMarks(g_records->featureMarks);
    }
    g_engine->treeReturnAction = 0;
    g.tablesDir = plat::joinPath(g.formsDir, g.libraryName);
    g.versionText = buildVersionText(g_buildVersion);

    if (g.sharedDataOn) checkSharedLibrary();
    startWatcherIfNeeded();
    convertOldViewsList(g_globals->settings.featuresLevel);

    CResourceSwitch resources(g_pluginInstance);
    if (!g_pluginStarted) createModelessWindows();
    if (g_pendingCommand != 0) {
        postAfterWait(g_pendingCommand);
        g_pendingCommand = 0;
    } else {
        g_processPreset = 0;
    }
    g_pluginStarted = 1;
    performResumeAction();

    const bool ended = mainMenuEventLoop() == 0;
    if (ended) endWorkCycle();
    g_records->paused = !ended;
    // The host must know that the part lacks this cycle's records until a later invocation ends it.
    plugin_cycle_paused(ended ? 0 : 1);
}

int runPluginNotify(int code) {
    switch (code) {
    case 1:
        for (const DRAW_ENTS_LIST& item : *g_drawEnts) {
            if (item.kind == 2) drw_3d_line(&item.line, item.colour);
        }
        break;
    case 3:
    case 6:
        g_resumeAction = 0;
        if (g_pluginStarted) {
            g_preselView->resetGroups();
            g_preselView->init();
            g_drawEnts->clear();
            // The host tells of a part opened so; while a cycle is paused its part is still the one open.
            if (!g_records->paused) forgetKeptOfPart();
        }
        break;
    default:
        break;
    }
    return 0;
}
