// CTabColsDesc: one process table in memory: its column descriptions (TAB_DESC_ITEM), matching and picture
// parameters, rows of measures as texts, and the cylinder entries of the row being examined. Its stored
// forms are the ".tab" file (table_file.cpp, processes.cpp) and the rows file (rows_file.cpp). Column ids
// count from 1: the cell of column id k is cell k - 1 of a row. Lengths in the part's units, angles in
// radians.
#pragma once
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"

namespace plat {
class Canvas;
class Control;
class ListView;
struct Point;
}  // namespace plat

constexpr int kTableFormClass = 0, kTableDrillSize = 1, kTableThread = 2, kTableNamed = 3;
constexpr int kCurrentTableVersion = 21;
constexpr int kRowCells = 40;           // the row buffers of callers
constexpr int kBmpParamCount = 43;
constexpr int kLastShortCount = 16;
// A row's numbers need only be finite: a catalogue number or a measure in microns may pass a million.
constexpr double kMaxCellValue = std::numeric_limits<double>::max();

// Item kinds of the "[Desc]" part.
constexpr int kItemName = 0, kItemCylinder = 1, kItemProcess = 3, kItemList = 8;

struct TAB_DESC_ITEM {
    std::int16_t kind = 0;
    std::int16_t colId1 = 0;
    std::string text1;
    std::int16_t colId2 = 0;
    std::string text2;
    std::int16_t a = 0, b = 0;
    std::int16_t colId3 = 0;
    std::string text3;
    double value1 = 0, value2 = 0;
};

// One step of the hole form of a row, stacked from the entry downwards; depths are 0 or negative.
struct TAB_FORM_STEP {
    double startDiameter = 0, endDiameter = 0;   // at the bottom and at the top of the step
    std::int16_t diameterColumn = 0;
    double length = 0;
    std::int16_t lengthColumn = 0, angleColumn = 0;
    double topDepth = 0, bottomDepth = 0;
    double bottomDepth2 = 0;                      // lowered by the preview to where a drill point ends
    double threadDiameter = 0, threadPitch = 0;
    std::int16_t spare = 0;
    std::int16_t threaded = 0, flat = 0, diameterColumn2 = 0, zero = 0, lengthColumn2 = 0, threadColumn = 0;
};

// One kind-1 item of a table's picture, in picture units (v x z / 100 pixels when drawn).
struct TAB_PICTURE_STEP {
    std::int32_t bottomWidth = 0, topWidth = 0, height = 0, pitch = 0, toothDepth = 0;
};

// One kind-1 item measured on the row being examined; never stored.
struct TAB_CIL_ENTRY {
    CIL_DESC cil;
    std::int16_t itemIndex = 0;
    double value1 = 0;
    std::int16_t colId1 = 0;
    double value2 = 0;
    std::int16_t colId2 = 0, colId3 = 0, a = 0, b = 0;
};

// Called with the text of each operation line after its "]" before the line is parsed; it may change it.
using ProcessLineCallback = std::function<void(std::string&)>;

// How a process read went: read (its operations, possibly none), missing, or refused (a damaged block line,
// or more operations than a process holds; reading it and writing it back would lose some).
enum class ProcessRead { read, missing, refused };

class CTabColsDesc {
public:
    // ---- the object (tab_cols_desc.cpp) ----
    // Empties the table: what the destructor does to a live object before another table is read into it.
    void clear();
    int loadByName(const std::string& tablePath) { return read(tablePath); }
    int allocItems(std::int16_t n);
    int addDescItem(std::int16_t kind, std::int16_t colId1, const std::string& text1, std::int16_t a, std::int16_t b,
                    double value1, std::int16_t colId2, const std::string& text2, std::int16_t colId3,
                    const std::string& text3, double value2);
    int buildCilColumns(const std::vector<std::string>& rowCells);
    double cilValueById(std::int16_t colId) const;
    int nthNumericItem(int n) const;
    int findItemByColumn(std::int16_t colId, std::string* text, double* value) const;
    int getColumnInfo(std::int16_t colId, std::string* heading, std::int16_t* kind, double* value,
                      std::int16_t* role) const;

    // ---- the table file (table_file.cpp) ----
    // 0, or 1 when the file cannot be opened (no message), holds no item line or is damaged (with a message).
    [[nodiscard]] int read(const std::string& tablePath);
    // 0, or 1 when the safety copy or the file cannot be written, or the file would not read back (told; the
    // old file is kept).
    [[nodiscard]] int write() const;

    // ---- rows (rows_file.cpp, row_lookups.cpp) ----
    // The row count, 0 when there is no rows file; -1 (with a message, the rows as they were) when a cell
    // holds a number that is not finite (a name column is text, but for the drill-size table's diameters) or
    // the file cannot be read whole (rowsBytesDamage, or emptied while its shared table holds rows). Cells past
    // the columns are not read. The rows kept for the run (keepRowForRun) follow the file's.
    int readRows();
    // 0, or 1 when the rows are not written (told): the file cannot be written, its rows were refused, a row
    // holds what the file cannot hold back, or it is the lost rows file of a table taken from a shared library
    // (the rows were not read from it). A table without rows is written as one line end.
    [[nodiscard]] int writeRows() const;
    // Rows go out as columnCount cells; a row given with fewer cells has empty ones for the rest.
    int getRow(int r, std::vector<std::string>& out) const;
    int setRow(int r, const std::vector<std::string>& row);
    int appendRow(const std::vector<std::string>& row);
    int deleteRow(int r);
    int findRowByName(const std::string& text) const;
    int findEqualRow(const std::vector<std::string>& row) const;
    int sortRowsByColumn(int k);
    int findNearestRow(int k, double target, int mode, std::vector<std::string>& out);
    int findRowByDiameterPitch(double d, double p, std::vector<std::string>& out) const;
    int findRowByDiameter(double d, std::vector<std::string>& out) const;
    int findRowByTwoValues(double first, double second, std::vector<std::string>& out) const;
    const std::string& cell(int r, int c) const { return cells[static_cast<std::size_t>(r) * columnCount + c]; }

    // ---- processes (processes.cpp) ----
    // `out` holds kMaxProcessOps records; -1 when the file has no process of that name.
    int readProcess(const std::string& processName, PROCESS_OPE* out, const ProcessLineCallback& callback = {}) const;
    // The same with the outcome told apart; the count goes to *count.
    ProcessRead readProcessChecked(const std::string& processName, PROCESS_OPE* out, int* count,
                                   const ProcessLineCallback& callback = {}) const;
    int writeProcess(const std::string& processName, const PROCESS_OPE* ops, int count) const;
    int deleteProcess(const std::string& processName) const;
    int purgeUnusedProcesses() const;
    int countProcesses() const;
    int listProcessNames(std::vector<std::string>& out, int maximum) const;
    std::string newProcessName() const;

    // ---- snapshots (snapshots.cpp) ----
    int backupFiles() const;
    int restoreFiles() const;

    std::uint8_t tableChanged = 0, processesChanged = 0, rowsChanged = 0;
    std::uint8_t restoredFromSnapshot = 0;
    std::uint8_t snapshotTaken = 0;
    std::uint8_t rowsRefused = 0;    // the last readRows refused the rows file; writeRows leaves it alone
    std::uint8_t rowsFileMissing = 0;   // the last readRows found no rows file
    std::int64_t bmpTime = 0;        // seconds since 1970
    std::string name;                // file title of path
    std::string path;                // the ".tab" file
    std::int16_t formatVersion = 0;
    std::int16_t tableClass = 0;
    std::int16_t classValue4 = 0, classValue5 = 0, classValue3 = 0;
    std::int16_t itemCapacity = 0, itemCount = 0, cylinderItemCount = 0, columnCount = 0, listRowCount = 0;
    std::int16_t stepCapacity = 0, stepCount = 0, cilEntryCount = 0;
    std::int16_t processColumn = 0, kind4Column = 0, kind5Column = 0, kind7Column = 0, kind6Column = 0,
                 listColumn = 0;
    // The "[Prm]" block, nineteen values in file order.
    std::int16_t prm1 = 0;
    double prm2 = 0, prm3 = 0;
    std::int16_t prm4 = 0;
    double prm5 = 0;
    std::int16_t prm6 = 0;
    double prm7 = 0;
    std::int16_t prm8 = 0;
    double chamferAngleA = 0, chamferAngleB = 0;   // the chamfer half-angle window
    double maxChamfer = 0;
    std::int16_t autoChamferOn = 0;
    double autoChamferSize = 0;
    std::int16_t prm14 = 0;
    double prm15 = 0;
    std::int16_t prm16 = 0;
    double prm17 = 0;
    double diameterTolerance = 0;                  // relative, of row lookups
    double lengthTolerance = 0;                    // relative
    std::int16_t unfiled1 = 0, unfiled2 = 0;
    std::int16_t bmpParams[kBmpParamCount] = {};
    double lastValues1 = 0, lastValues2 = 0, lastValues3 = 0;
    std::int16_t lastValues4 = 0;
    double bmpScale = 0;
    double lastValues5 = 0;
    std::int16_t lastShorts[kLastShortCount] = {};
    std::int64_t lastTime = 0;
    std::string extraText;
    std::vector<std::string> cells;   // rowCount x columnCount, row-major
    std::int32_t rowCount = 0;
    std::vector<TAB_DESC_ITEM> items;          // itemCapacity slots
    std::vector<TAB_FORM_STEP> formSteps;      // stepCapacity slots
    std::vector<TAB_CIL_ENTRY> cilEntries;     // cilEntryCount entries
    std::vector<TAB_PICTURE_STEP> pictureSteps;

    // ---- hole forms (form_steps.cpp, form_preview.cpp, table_picture.cpp, list_control.cpp) ----
    // 0 when a step was built; 1 when none was, or a thread designation was not found (with a message).
    int buildFormSteps(const std::vector<std::string>& rowCells);
    int drawFormPreview(const std::vector<std::string>& rowCells, std::int16_t viewNumber, std::uint8_t withNotes);
    int tablePictureGeometry(const std::vector<std::string>* rowCells, int maxWidth, int maxHeight);
    int drawTablePicture(plat::Canvas& dc, int offsetX, int offsetY, const plat::Control& control,
                         std::int16_t withTitle, std::int16_t withLabels, std::int16_t framed,
                         const std::vector<std::string>* rowCells, std::vector<plat::Point>* diameterLabelPoints = nullptr,
                         std::vector<plat::Point>* lengthLabelPoints = nullptr,
                         std::vector<plat::Point>* angleLabelPoints = nullptr);
    void clearTablePicture(plat::Canvas& dc, int offsetX, int offsetY, const plat::Control& control) const;
    void clearListColumns(plat::ListView& list) const;
    void fillListColumns(plat::ListView& list, int mode) const;
    void fillListRows(plat::ListView& list, const std::vector<std::string>& row, int mode);
    int readListRow(const plat::ListView& list, int listRow, std::vector<std::string>& outRow) const;
    int toListCtrl(plat::ListView& list);
    int fromListCtrl(const plat::ListView& list);
    int splitListCell(int rowIndex, std::vector<std::string>* out) const;
    int joinListCell(int rowIndex, const std::vector<std::string>& values, int n);
};

// ---- loading from the tables folder (table_loading.cpp) ----
// The file of the table named `name` in the tables folder (its ".tab"; the rows file takes ".TXT").
std::string tableFilePath(const std::string& name, const char* extension = ".tab");
// The class-3 table whose file title holds `name` between braces (the first class-3 table for ""), read with
// its rows; shows ErrorMessages 161 when none (once a name within NamedTableNotices). 0 when found, 1 when not.
int loadNamedTable(const std::string& name, CTabColsDesc* table);
// While one of these lives (a run that looks the same names up hole after hole), a name that is missing is
// told once; the names told are forgotten when the outermost one ends.
class NamedTableNotices {
public:
    NamedTableNotices();
    ~NamedTableNotices();
    NamedTableNotices(const NamedTableNotices&) = delete;
    NamedTableNotices& operator=(const NamedTableNotices&) = delete;
};
// While one of these lives (a command, which reads the same tables again and again), a damaged table or
// rows file is told once for the same bytes; outside any, at every read. The files told are forgotten
// when the outermost one ends.
class TableDamageNotices {
public:
    TableDamageNotices();
    ~TableDamageNotices();
    TableDamageNotices(const TableDamageNotices&) = delete;
    TableDamageNotices& operator=(const TableDamageNotices&) = delete;
};
// The first table of class 1 of the folder; shows ErrorMessages 57 when none. 0 when found, 1 when not.
int loadDrillTable(CTabColsDesc* table);
// Every table of the folder with its rows, at most `capacity`; the class-1 table's rows sorted by column 1
// and its index in *drillIndex (-1 when none). With "ProcessMach" 57 on, thread tables come first, then
// tables with an item whose `a` is 1. Returns the number of tables.
int loadAllTables(std::vector<CTabColsDesc>& out, int* drillIndex, std::size_t capacity = 200);
// The ".tab" files of the tables folder in listing order, as full paths.
std::vector<std::string> listTableFiles(const std::string& folder);
