// The table library as a whole: the check (and migration) before tables are used, the names of new tables,
// and the copies to and from the shared library.
#pragma once
#include <cstdint>
#include <string>

// Results of checkTablesLibrary.
constexpr int kLibraryOk = 0, kLibraryStopped = 1, kLibraryTooNew = 2, kLibraryDrillTables = 3,
              kLibraryDrillRows = 4;

// Mode 1 also counts the drill-size tables. 0 when the library may be used, else one of the codes above
// (after a message or a question).
[[nodiscard]] int checkTablesLibrary(int mode);
// 0 with the first free "<prefix><n>d_<k>" (k from 1 to 999), 1 when all are taken (name untouched).
int makeNewTableName(std::string* name, std::int16_t cylinderCount);
// 1 when the folder (the tables folder for "") holds a ".tab" file of that title, compared without case.
int tableNameExists(const std::string& name, const std::string& folder);
[[nodiscard]] int copyTablesToSharedData();
int copyTablesFromSharedData();
