// One invocation of the plug-in and the work cycle that spans invocations.
//
//   state                 entered by                         left by
//   idle (no tree)        library load; end of a cycle       an invocation loads the records: cycle begins
//   cycle, loop active    the loop of an invocation          loop result 0: save, free, back to idle;
//                                                            non-zero: cycle paused
//   cycle paused          loop result non-zero               next invocation: same cycle; the pending
//                                                            command is re-posted, the resume action done
#pragma once

int runPluginMain();             // body of the m_main export
void pluginMain();
int runPluginNotify(int code);   // body of the m_notify export

