// Stand-ins for the tables subsystem: nothing to prepare, nothing fails (docs/seams.md).
#include "plugin/tables/services.h"

void loadThreadTables() {}
int copyTablesToSharedData() { return 0; }
int copyTablesFromSharedData() { return 0; }
int checkTablesLibrary(int) { return 0; }
