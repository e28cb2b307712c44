// The command loop: waits in the host's event processing and runs the command codes that the modeless
// windows post. Returns 1 to keep the work cycle, 0 to end it.
#pragma once

int mainMenuEventLoop();
