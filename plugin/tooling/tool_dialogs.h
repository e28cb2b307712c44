// The tooling dialogs and reports the work cycle holds from the library's load to its unload. The reports
// are stand-ins until operation generation is built (docs/seams.md).
#pragma once
#include "plugin/base/load_time.h"
#include "plugin/services/tooling.h"

class CMachiningTime {};
class CDrillingList {};

extern LoadTime<CDlgToolsView> g_toolsView;
extern LoadTime<CMachiningTime> g_machiningTime;
extern LoadTime<CDrillingList> g_drillingList;
