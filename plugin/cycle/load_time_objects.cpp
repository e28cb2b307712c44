#include "plugin/cycle/load_time_objects.h"

#include "plugin/cycle/records.h"
#include "plugin/cycle/work_cycle.h"
#include "plugin/resources/templates.h"

LoadTime<std::string> g_mainMenuCaption;
LoadTime<CTextSection> g_processMenu;
LoadTime<CTextSection> g_pluginMenu;
LoadTime<CMainMenu> g_mainMenu;
LoadTime<CDlgViewAllGeo> g_viewAllGeo;
LoadTime<CDlgAssignFeatures> g_assignFeatures;
LoadTime<CConfigProcess> g_configProcess;
LoadTime<CDlgToolsView> g_toolsView;
LoadTime<CDlgProcess> g_processDlg;
LoadTime<CDlgPreselView> g_preselView;
LoadTime<std::vector<FULL_TOOLS_SEQ>> g_fullToolsSeq;
LoadTime<std::vector<DRAW_ENTS_LIST>> g_drawEnts;
LoadTime<std::vector<TP_TOOL_IMAGE>> g_toolsArray;
LoadTime<CFeatMgrFilter> g_featMgrFilter;
LoadTime<CDlgSelCylindersMask> g_selCylindersMask;
LoadTime<std::array<std::string, 40>> g_featMgrTexts;
LoadTime<CHostDBFileNames> g_hostDBFileNames;
LoadTime<plat::Menu> g_popupMenu;
LoadTime<CMachiningTime> g_machiningTime;
LoadTime<CDrillingList> g_drillingList;
LoadTime<std::string> g_operationText;

void pluginAttach(plat::ModuleHandle module) {
    if (pluginAttached()) return;
    resetPlainGlobals();
    g_pluginInstance = module;
    registerPluginTemplates();

    g_mainMenuCaption.construct("Forantix for PforgeX4");
    g_processMenu.construct();
    g_pluginMenu.construct();
    g_mainMenu.construct();
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
    g_featMgrFilter.construct();
    g_selCylindersMask.construct();
    g_featMgrTexts.construct();
    g_hostDBFileNames.construct();
    g_popupMenu.construct();
    g_machiningTime.construct();
    g_drillingList.construct();
    g_operationText.construct();
}

// Unloading in the middle of a work cycle saves nothing and frees no record list: the host is gone.
void pluginDetach() {
    if (!pluginAttached()) return;
    stopSharedDataWatcher();
    g_operationText.destroy();
    g_drillingList.destroy();
    g_machiningTime.destroy();
    g_popupMenu.destroy();
    g_hostDBFileNames.destroy();
    g_featMgrTexts.destroy();
    g_selCylindersMask.destroy();
    g_featMgrFilter.destroy();
    // A cycle still paused when the module goes holds its data only here.
    if (g_globals.constructed()) freeCycleRecords();
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
    g_mainMenu.destroy();
    g_pluginMenu.destroy();
    g_processMenu.destroy();
    g_mainMenuCaption.destroy();
}

bool pluginAttached() { return g_mainMenuCaption.constructed(); }
