// The user settings block and its file. Stand-in until the settings are built (docs/seams.md): defaults
// for the few items the work cycle reads, and the file's "SharedData" and "ProcessMach" 2 items.
#pragma once
#include <string>

struct PRM_SETTINGS {
    std::string toolLibraryPath;   // ProcessMach 1
};

void setDefaultSettings(int mode);
int readSettings();
int writeSettings(int mode);
