// Stand-ins (docs/seams.md).
#include "plugin/core/host_install.h"

int hostInstallDir(const std::string&, int*, std::string*) { return -1; }
int hostVersionFromExe(const std::string&, int*) { return -1; }
void setFormsLevelVisible(bool) {}
void restoreFormsLevelVisible() {}
