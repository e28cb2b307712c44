// Writing lines to the open process log.
#include "plugin/engine/process_log.h"

#include <cstdarg>
#include <cstdio>

#include "plugin/base/globals.h"

void processLogLine(const char* format, ...) {
    if (!g_globals.constructed() || !g_globals->processLog) return;
    std::va_list args;
    va_start(args, format);
    std::vfprintf(g_globals->processLog, format, args);
    va_end(args);
    std::fflush(g_globals->processLog);
}
