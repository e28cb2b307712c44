// The table library as a whole: the check (and migration) before tables are used, the names of new tables,
// and the copies to and from the shared library.
#pragma once
#include <cstdint>
#include <string>
#include "plugin/services/tables.h"

// 1 when the folder (the tables folder for "") holds a ".tab" file of that title, compared without case.
int tableNameExists(const std::string& name, const std::string& folder);
