// Stand-in settings (docs/seams.md).
#include "plugin/core/settings.h"

#include "plugin/core/globals.h"

void setDefaultSettings(int) {
    g_globals->settings.toolLibraryPath = g_hostToolLibrary;
    CTextSection pathNames;
    (void)pathNames.load(g_globals->uiTextFile, "PathNames", false);
    g_globals->libraryName = pathNames.getText(2);
}

int readSettings() {
    CTextSection shared, process;
    if (shared.load(g_globals->settingsFile, "SharedData", false) == 0) {
        g_globals->sharedDataOn = shared.getLong(1, 0) != 0 ? 1 : 0;
        g_globals->sharedAccessMode = static_cast<std::int16_t>(shared.getLong(2, 0));
        g_globals->sharedDir = shared.getText(3);
    }
    if (process.load(g_globals->settingsFile, "ProcessMach", false) == 0)
        g_globals->libraryName = process.getTextOr(2, g_globals->libraryName);
    return 0;
}

int writeSettings(int) { return 0; }
