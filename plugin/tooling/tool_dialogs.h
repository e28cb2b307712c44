// The tooling dialogs and reports the work cycle holds from the library's load to its unload.
#pragma once
#include "plugin/base/load_time.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/reports.h"
#include "plugin/tooling/tools_view.h"

extern LoadTime<CDlgToolsView> g_toolsView;
extern LoadTime<CMachiningTime> g_machiningTime;
extern LoadTime<CDrillingList> g_drillingList;
