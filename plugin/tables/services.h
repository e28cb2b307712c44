// What the rest of the plug-in uses of the process tables: the table object and its lookups, the thread
// tables, the library check and the shared copies.
#pragma once

#include "plugin/tables/library_check.h"
#include "plugin/base/number_text.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/table_migration.h"
#include "plugin/tables/thread_tables.h"
