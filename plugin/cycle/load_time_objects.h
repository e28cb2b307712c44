// The objects built at library load, in this order, and destroyed in the reverse order at unload:
//  1 main menu caption   2 g_processMenu   3 g_pluginMenu   4 g_mainMenu   5 g_viewAllGeo
//  6 g_assignFeatures    7 g_configProcess 8 g_toolsView    9 g_processDlg 10 g_preselView
// 11 g_fullToolsSeq     12 g_drawEnts     13 g_toolsArray  14 g_globals   15 g_featMgrFilter
// 16 g_selCylindersMask 17 g_featMgrTexts 18 g_hostDBFileNames 19 g_popupMenu 20 g_machiningTime
// 21 g_drillingList     22 g_operationText
// The modeless dialogs are objects only until the first invocation creates their windows.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "platform/sys/module.h"
#include "platform/ui/menu.h"
#include "plugin/configuration/services.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/engine/services.h"
#include "plugin/features/services.h"
#include "plugin/import/services.h"
#include "plugin/tooling/services.h"

extern LoadTime<std::string> g_mainMenuCaption;
extern LoadTime<CTextSection> g_processMenu;
extern LoadTime<CTextSection> g_pluginMenu;
extern LoadTime<CMainMenu> g_mainMenu;
extern LoadTime<CDlgViewAllGeo> g_viewAllGeo;
extern LoadTime<CDlgAssignFeatures> g_assignFeatures;
extern LoadTime<CConfigProcess> g_configProcess;
extern LoadTime<CDlgToolsView> g_toolsView;
extern LoadTime<CDlgProcess> g_processDlg;
extern LoadTime<CDlgPreselView> g_preselView;
extern LoadTime<std::vector<FULL_TOOLS_SEQ>> g_fullToolsSeq;
extern LoadTime<std::vector<DRAW_ENTS_LIST>> g_drawEnts;
extern LoadTime<std::vector<TP_TOOL_IMAGE>> g_toolsArray;
extern LoadTime<CFeatMgrFilter> g_featMgrFilter;
extern LoadTime<CDlgSelCylindersMask> g_selCylindersMask;
extern LoadTime<std::array<std::string, 40>> g_featMgrTexts;
extern LoadTime<CHostDBFileNames> g_hostDBFileNames;
extern LoadTime<plat::Menu> g_popupMenu;
extern LoadTime<CMachiningTime> g_machiningTime;
extern LoadTime<CDrillingList> g_drillingList;
extern LoadTime<std::string> g_operationText;

// The library's load and unload: the module handle is kept, the plain globals take their load values, the
// plug-in's dialog templates are registered and the objects above are built (or destroyed).
void pluginAttach(plat::ModuleHandle module);
void pluginDetach();
bool pluginAttached();
