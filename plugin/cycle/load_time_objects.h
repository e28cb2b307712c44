// The objects built at library load, in this order, and destroyed in the reverse order at unload:
//  1 main menu caption   2 g_processMenu   3 g_pluginMenu   4 g_mainMenu   5 g_viewAllGeo
//  6 g_assignFeatures    7 g_configProcess 8 g_toolsView    9 g_processDlg 10 g_preselView
// 11 g_fullToolsSeq     12 g_drawEnts     13 g_toolsArray  14 g_globals (with the cycle's records, the
//    engine's state and the thread tables)   15 g_featMgrFilter   16 g_selCylindersMask   17 g_featMgrTexts
// 18 g_dbFiles         19 g_popupMenu    20 g_machiningTime 21 g_drillingList 22 g_operationText
// Each object is declared by the subsystem that owns it; the work cycle holds the order. The modeless
// dialogs are objects only until the first invocation creates their windows.
#pragma once
#include <string>

#include "platform/sys/module.h"
#include "plugin/base/globals.h"
#include "plugin/base/load_time.h"
#include "plugin/base/utilities.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/process_tree.h"
#include "plugin/features/feature_windows.h"
#include "plugin/import/host_db_files.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/work_records.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/tables/thread_tables.h"
#include "plugin/tooling/tool_dialogs.h"

extern LoadTime<std::string> g_mainMenuCaption;
extern LoadTime<CTextSection> g_pluginMenu;
extern LoadTime<CMainMenu> g_mainMenu;
extern LoadTime<std::string> g_operationText;

// The library's load and unload: the module handle is kept, the plain globals take their load values, the
// plug-in's dialog templates are registered and the objects above are built (or destroyed).
void pluginAttach(plat::ModuleHandle module);
void pluginDetach();
bool pluginAttached();
