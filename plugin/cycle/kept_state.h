// What the plug-in keeps between the host's calls besides a work cycle's records, forgotten as the part it
// belongs to goes or as the library loads. docs/architecture.md lists every piece with when it is forgotten
// or read again.
#pragma once

// The host opened another part while no cycle was paused (notifications 3 and 6): nothing the plug-in kept
// of the part before reaches the next one.
void forgetKeptOfPart();
// The library loads: every piece of kept state takes its value at load, as a fresh process's would.
void forgetKeptAtLoad();
