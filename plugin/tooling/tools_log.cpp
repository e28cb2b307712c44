// The tools log, opened and closed by the runs that write it.
#include "plugin/tooling/tools_log.h"

#include "plugin/base/globals.h"
#include "plugin/services/tooling.h"

std::FILE* g_toolsLog = nullptr;

ToolsLogOpen::ToolsLogOpen() {
    const PLUGIN_GLOBALS& g = *g_globals;
    g_toolsLog = g.debugDumps ? std::fopen(g.toolsDumpFile.c_str(), "w") : nullptr;
}

ToolsLogOpen::~ToolsLogOpen() { close(); }

void ToolsLogOpen::close() {
    if (g_toolsLog) std::fclose(g_toolsLog);
    g_toolsLog = nullptr;
}

std::FILE* toolsLog() { return g_toolsLog; }
