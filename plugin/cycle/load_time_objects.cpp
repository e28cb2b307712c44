#include "plugin/cycle/load_time_objects.h"

#include <cstring>

#include "plugin/base/utilities.h"
#include "plugin/cycle/kept_state.h"
#include "plugin/cycle/records.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/process_tree.h"
#include "plugin/features/feature_windows.h"
#include "plugin/import/host_db_files.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/settings/shared_library.h"
#include "plugin/cycle/work_cycle.h"
#include "plugin/resources/templates.h"
#include "plugin/tables/thread_tables.h"
#include "plugin/tooling/tool_dialogs.h"

LoadTime<std::string> g_mainMenuCaption;
LoadTime<CTextSection> g_pluginMenu;
LoadTime<CMainMenu> g_mainMenu;
LoadTime<std::string> g_operationText;

void pluginAttach(plat::ModuleHandle module) {
    if (pluginAttached()) return;
    resetPlainGlobals();
    g_pluginInstance = module;
    g_sharedWatcher.stop = 0;
    std::memset(g_sharedWatcher.folder, 0, sizeof g_sharedWatcher.folder);
    registerPluginTemplates();

    g_mainMenuCaption.construct("Forantix for PforgeX4");
    g_processMenu.construct();
    g_pluginMenu.construct();
    g_mainMenu.construct();
    g_popupOwner = &*g_mainMenu;
    g_viewAllGeo.construct();
    g_assignFeatures.construct();
    g_configProcess.construct();
    g_toolsView.construct();
    g_processDlg.construct();
    g_preselView.construct();
    g_fullToolsSeq.construct();
    g_drawEnts.construct();
    g_toolsArray.construct();
    g_globals.construct();
    g_records.construct();
    g_engine.construct();
    g_threadTables.construct();
    g_featMgrFilter.construct();
    g_selCylindersMask.construct();
    g_featMgrTexts.construct();
    g_dbFiles.construct();
    g_popupMenu.construct();
    g_machiningTime.construct();
    g_drillingList.construct();
    g_operationText.construct();
    forgetKeptAtLoad();
}

// Unloading in the middle of a work cycle saves nothing and frees no record list: the host is gone.
void pluginDetach() {
    if (!pluginAttached()) return;
    stopSharedDataWatcher();
    g_operationText.destroy();
    g_drillingList.destroy();
    g_machiningTime.destroy();
    g_popupMenu.destroy();
    g_dbFiles.destroy();
    g_featMgrTexts.destroy();
    g_selCylindersMask.destroy();
    g_featMgrFilter.destroy();
    // A cycle still paused when the module goes holds its data only here.
    if (g_records.constructed()) freeCycleRecords();
    g_threadTables.destroy();
    g_engine.destroy();
    g_records.destroy();
    g_globals.destroy();
    g_toolsArray.destroy();
    g_drawEnts.destroy();
    g_fullToolsSeq.destroy();
    g_preselView.destroy();
    g_processDlg.destroy();
    g_toolsView.destroy();
    g_configProcess.destroy();
    g_assignFeatures.destroy();
    g_viewAllGeo.destroy();
    g_popupOwner = nullptr;
    g_mainMenu.destroy();
    g_pluginMenu.destroy();
    g_processMenu.destroy();
    g_mainMenuCaption.destroy();
    releaseTreeRecordRooms();
}

bool pluginAttached() { return g_mainMenuCaption.constructed(); }
