// What the core uses of the process tables. Stand-ins until the tables subsystem is built (docs/seams.md).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kTableDrillSize = 1;
constexpr int kTableThread = 2;
constexpr int kRowCells = 40;

// A process table. The stand-in knows only what recognition reads: its class, its files, three values of
// its [Prm] part and the rows of its companion file. Stand-in files: the .tab file is a sectioned text
// (text_section.h) whose section "Prm" holds 1 class, 2 and 3 the chamfer angle range (radians), 4 the
// maximum chamfer, 5 the diameter tolerance of lookups; the companion is the same path with ".txt", one
// row a line, cells separated by ';'. A thread table's row: 0 designation, 1 thread diameter, 2 pitch,
// 3 tap-drill diameter; the lookups by two values compare cells 1 and 3.
class CTabColsDesc {
public:
    CTabColsDesc() = default;

    // 0 on success; non-zero (table emptied) when the file or its [Prm] part cannot be read.
    int read(const std::string& path);
    // Reads the companion rows; returns the row count (0 when there is no companion file).
    int readRows();
    // Row index + 1 of the first row whose cells 1 and 3 lie within the diameter tolerance of `first`
    // and `second`, with its cells copied into `cells` (kRowCells texts); 0 when none.
    int findRowByTwoValues(double first, double second, std::string cells[kRowCells]) const;

    std::int16_t tableClass = 0;
    std::string tabPath;
    double chamferAngleA = 0, chamferAngleB = 0;   // radians
    double maxChamfer = 0;
    double diameterTolerance = 0;
    std::vector<std::vector<std::string>> rows;
};

// The row of the thread tables (PLUGIN_GLOBALS::threadTables, class 2) whose designation is `designation`
// (mode -1; no other mode in the stand-in): non-zero with its diameter, pitch and table number (index into
// threadTables); 0 when none. `unused1`, `unused2` and `zero` are not written.
int findThreadRow(const char* designation, int mode, double* diameter, double* pitch, double* unused1,
                  double* unused2, std::int16_t* table, int zero);
// The designation of the first thread row whose tap-drill or thread diameter lies within its table's
// diameter tolerance of `diameter`; mode 1 searches every thread table, -2 only the one whose file title
// is `tableName`. The row's thread diameter, pitch and tap-drill diameter go out; "" when none fits.
std::string findThreadByDiameter(double diameter, int mode, std::string& tableName, double* tapDiameter,
                                 double* pitch, double* third);

void loadThreadTables();
[[nodiscard]] int copyTablesToSharedData();
int copyTablesFromSharedData();
[[nodiscard]] int checkTablesLibrary(int askUser);
