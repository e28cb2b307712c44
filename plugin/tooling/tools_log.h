// The tools log of the tool code ("23_Tools.txt" in the work folder): open while a run holds a ToolsLogOpen
// (plugin/services/tooling.h) and the debug switch is on; else null.
#pragma once
#include <cstdio>

extern std::FILE* g_toolsLog;
