// What the rest of the plug-in uses of the process tables: the table object, its lookups and the thread
// tables; and the library services still standing in (docs/seams.md).
#pragma once

#include "plugin/tables/number_text.h"
#include "plugin/tables/tab_cols_desc.h"
#include "plugin/tables/thread_tables.h"

[[nodiscard]] int copyTablesToSharedData();
int copyTablesFromSharedData();
[[nodiscard]] int checkTablesLibrary(int askUser);
