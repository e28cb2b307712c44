// The host's installation and version, and the forms level's visibility. Stand-in until built
// (docs/seams.md): the lookups find nothing, the level is left as it is.
#pragma once
#include <string>

int hostInstallDir(const std::string& hostDir, int* major, std::string* keyPath);
int hostVersionFromExe(const std::string& hostDir, int* major);
void setFormsLevelVisible(bool remember);
void restoreFormsLevelVisible();
