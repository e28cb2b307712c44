// What the core uses of the process tables. Stand-ins until the tables subsystem is built (docs/seams.md).
#pragma once

class CTabColsDesc {
public:
    CTabColsDesc() = default;
};

void loadThreadTables();
[[nodiscard]] int copyTablesToSharedData();
int copyTablesFromSharedData();
[[nodiscard]] int checkTablesLibrary(int askUser);
