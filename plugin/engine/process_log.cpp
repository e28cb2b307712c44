// Writing lines to the open process log.
#include "plugin/engine/process_log.h"

#include <cstdarg>
#include <cstdio>

#include "plugin/base/globals.h"
#include "plugin/engine/engine_state.h"

void processLogLine(const char* format, ...) {
    if (!g_engine.constructed() || !g_engine->processLog) return;
    std::va_list args;
    va_start(args, format);
    std::vfprintf(g_engine->processLog, format, args);
    va_end(args);
    std::fflush(g_engine->processLog);
}
