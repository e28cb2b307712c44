// What the other subsystems use of the process tables: the library check and new tables, the cells of a row,
// and the drill-size and thread tables with their lookups. The table object itself is
// plugin/model/tab_cols_desc.h.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct CIL_DESC;
struct PROCESS_OPE;
class CTabColsDesc;

// ---- the library ----------------------------------------------------------------------------------------------

// Results of checkTablesLibrary.
constexpr int kLibraryOk = 0, kLibraryStopped = 1, kLibraryTooNew = 2, kLibraryDrillTables = 3,
              kLibraryDrillRows = 4;

// Mode 1 also counts the drill-size tables. 0 when the library may be used, else one of the codes above
// (after a message or a question).
[[nodiscard]] int checkTablesLibrary(int mode);

// 1 when the folder (the tables folder for "") holds a ".tab" file of that title, compared without case.
int tableNameExists(const std::string& name, const std::string& folder);

// 0 with the first free "<prefix><n>d_<k>" (k from 1 to 999), 1 when all are taken (name untouched).
int makeNewTableName(std::string* name, std::int16_t cylinderCount);

[[nodiscard]] int copyTablesToSharedData();

int copyTablesFromSharedData();

// On an empty table: 0 when written (with its process "1"), 1 when the name is empty. An empty folder is the
// tables folder. The chamfer window in radians.
int createDefaultTable(CTabColsDesc& table, const std::string& name, const std::string& folder, const CIL_DESC* descs,
                       std::int16_t count, double chamferAngleMin, double chamferAngleMax, double chamferDepthMax);

// Writes the process; 0 (nothing written for count < 1).
int createDefaultProcesses(const CTabColsDesc& table, const CIL_DESC* descs, std::int16_t count,
                           const std::string& processName);

// The host's defaults of a milled kind (1 circle mill, 2 contour, 3 helix bore, 4 thread mill) for the tool
// diameter into the definition's parameter blocks; `extra` (648 bytes, the host's defaults record of the
// kind's filter and tolerances) may be null. 1 when the host reported no failure, else 0.
int getHostOpDefaults(std::int16_t milledKind, double toolDiam, PROCESS_OPE* definition, std::uint8_t* extra);

// ---- rows handed around as texts (column id k at element k - 1) ------------------------------------------------

// A row appended to the table whose rows file could not be written serves the run that made it: every
// reading of the table's rows takes it after the file's (unless the file holds an equal row) until
// forgetRowsKeptForRun, which the next recognition run calls. The file is not touched.
void keepRowForRun(const CTabColsDesc& table, const std::vector<std::string>& rowCells);
void forgetRowsKeptForRun();

// Whether the table's rows file holds a row of that name (compared without case): a row that only serves
// the run (keepRowForRun) is in no file, nor in one that cannot be read whole.
bool rowStoredInTable(const std::string& tablePath, const std::string& rowName);

// The column id of the first empty cell among the row's first `columnCount` that a filled cell follows, 0
// when none. The rows file separates cells by blanks and cannot hold such a cell (a quoted empty would be
// read as a text by the stations that share the library): its reader takes the later cells one column to
// the left. The writer refuses such a row; who makes one tells the user there.
int emptyCellBeforeFilled(const std::vector<std::string>& rowCells, int columnCount);

// What keeps a table's files from being read whole, as the line telling it ("" when nothing does): whatever
// their readers refuse (NUL bytes in either file, a table file of no byte or a line its format cannot hold, a
// rows file cut inside a row or a measure in it that is not a finite number), or a rows file of no byte while
// `rowsHeld` (the table is known to hold rows). A file that is missing is no damage here; the operations of a
// process are looked at only when the process is used.
std::string storedTableDamage(const std::string& tablePath, bool rowsHeld);

// The cell of column id `colId`; "" for an id outside the row.
const std::string& rowCell(const std::vector<std::string>& rowCells, int colId);

// The cell's leading number (0 when none), as the C library reads it.
double cellNumber(const std::vector<std::string>& rowCells, int colId);

// ---- the drill-size and thread tables ----------------------------------------------------------------------------
// Loaded by loadThreadTables (entry 0 the drill-size table when the library has one). Thread-table columns:
// 1 designation, 2 nominal diameter, 3 pitch, 4 drilled diameter, 5 safety. A designation is compared in its
// normalised form, ignoring case. Kind filter: negative every thread table, 0 kinds 0 .. 999, positive that
// kind only. Outputs are written only on success; null outputs are skipped.

int loadThreadTables();

// The drill size (its length) in the library's drill-size table for the row nearest `diameter`; 0 when the
// library has no such table.
double findDrillSize(double diameter);

std::string normalizeThreadName(std::string designation);

int findThreadRow(const std::string& designation, std::int16_t filter, double* nominalDiameter, double* pitch,
                  double* drilledDiameter, double* safety, std::int16_t* kind, std::string* tableName);

std::string findThreadByDiameterPitch(double diameter, double pitch, std::int16_t filter, std::string* tableName,
                                      double* drilledDiameter, double* safety);

// The designation in the loaded thread table of that name only.
int findThreadByName(const std::string& designation, const std::string& tableName, double* nominalDiameter,
                     double* pitch, double* drilledDiameter, double* safety, std::int16_t* kind);

// Filter -2: only the table named by *tableName.
std::string findThreadByDiameter(double diameter, std::int16_t filter, std::string* tableName,
                                 double* nominalDiameter, double* pitch, double* safety);

// The drill-size and thread tables loadThreadTables holds, in their order.
std::span<CTabColsDesc> loadedThreadTables();
