#include "plugin/tooling/tool_dialogs.h"
#include "plugin/services/tooling.h"

LoadTime<CDlgToolsView> g_toolsView;
LoadTime<CMachiningTime> g_machiningTime;
LoadTime<CDrillingList> g_drillingList;
