// The process log of a recognition run ("25_Process.txt", ENGINE_STATE::processLog): a trace written
// only while the run holds it open, each line flushed at once so that a crash leaves the trace complete.
#pragma once

// printf-style; nothing when the log is closed.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void processLogLine(const char* format, ...);
