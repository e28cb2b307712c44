// The rows file of a table (same path, ".txt"): one row a line, each cell followed by a blank; and row
// access by index and by name. Cells hold no blanks; a row has columnCount cells.
#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "platform/sys/files.h"
#include "platform/sys/kept_reads.h"
#include "platform/sys/paths.h"
#include "platform/sys/text_lines.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/settings.h"
#include "plugin/services/tables.h"
#include "plugin/tables/table_text.h"

namespace {

struct KEPT_ROWS {
    std::vector<std::string> cells;
    std::int32_t rowCount = 0;
};
// The rows of the same bytes read for the same columns, kept (a run reads the same tables hole after hole).
plat::KeptReads<KEPT_ROWS> g_keptRows;

// The rows that serve the run without their file, by rows file path.
std::map<std::string, std::vector<std::vector<std::string>>> g_runRows;
// The lost rows files of shared tables the user was told of since the last run began.
std::set<std::string> g_toldLost;

// The row names a rows file holds, kept with its bytes as every reader's result is: the process tree asks hole
// after hole, and a file rewritten within the same tick and at the same size is still read afresh.
struct NO_CASE {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return plat::compareNoCase(a, b) < 0; }
};
plat::KeptReads<std::set<std::string, NO_CASE>> g_storedRows;

bool sameCells(const CTabColsDesc& t, int r, const std::vector<std::string>& row) {
    for (int c = 0; c < t.columnCount; ++c)
        if (t.cell(r, c) != (static_cast<std::size_t>(c) < row.size() ? row[static_cast<std::size_t>(c)] : std::string()))
            return false;
    return true;
}

// The run's rows of the file after its own; a row the file holds by now is not taken twice.
int withRunRows(CTabColsDesc& t, const std::string& file) {
    const auto kept = g_runRows.find(file);
    if (kept == g_runRows.end()) return t.rowCount;
    const int fileRows = t.rowCount;
    for (const std::vector<std::string>& row : kept->second) {
        bool there = false;
        for (int r = 0; r < fileRows && !there; ++r) there = sameCells(t, r, row);
        if (!there) (void)t.appendRow(row);
    }
    return t.rowCount;
}

// Which columns of the table hold text: a name column, but for the drill-size table's, which holds its
// diameters. The others hold measures, which must be finite numbers where they are numbers at all.
std::vector<bool> textColumns(const CTabColsDesc& t) {
    std::vector<bool> text(t.columnCount > 0 ? static_cast<std::size_t>(t.columnCount) : 0, false);
    for (int i = 0; i < t.itemCount && t.tableClass != kTableDrillSize; ++i) {
        const TAB_DESC_ITEM& item = t.items[static_cast<std::size_t>(i)];
        if (item.kind == kItemName && item.colId1 >= 1 && static_cast<std::size_t>(item.colId1) <= text.size())
            text[static_cast<std::size_t>(item.colId1) - 1] = true;
    }
    return text;
}

// A number written as one that is not finite would reach the matching as a measure.
bool measureRefused(bool isText, std::string_view cell) {
    return !isText && isNumberToken(cell) && !isFiniteNumberToken(cell, kMaxCellValue);
}

// The rows of a rows file's bytes, each its tokens; a line of blanks is no row.
std::vector<std::vector<std::string_view>> rowTokens(std::string_view bytes) {
    std::vector<std::vector<std::string_view>> rows;
    for (const plat::TextLine& line : plat::splitLines(bytes))
        if (!isBlankLine(line.text)) rows.push_back(blankTokens(line.text));
    return rows;
}

// The line telling the first row that holds a measure the reader refuses, "" when none does.
std::string refusedMeasure(const std::vector<std::vector<std::string_view>>& rows, const std::vector<bool>& text) {
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < text.size() && c < rows[r].size(); ++c)
            if (measureRefused(text[c], rows[r][c])) return damageText(kMsgRowNumber, std::to_string(r + 1));
    return {};
}

// Whether a rows file of no byte stands for a table that held rows: the station's index marks the table as
// one whose rows file it lost, and the writer never leaves a table as no byte (it writes a line end), so a
// crash or a sync client emptied it. Any other file of no byte is a table without rows.
bool emptiedRows(const std::string& tablePath, std::string_view bytes) {
    std::uint64_t indexed = 0;
    return bytes.empty() && synchronisedTable(tablePath, &indexed) && rowsFileLostMark(indexed);
}

}  // namespace

void keepRowForRun(const CTabColsDesc& table, const std::vector<std::string>& rowCells) {
    if (!table.path.empty()) g_runRows[rowsFilePath(table.path)].push_back(rowCells);
}

void forgetRowsKeptForRun() {
    g_runRows.clear();
    g_toldLost.clear();
}

bool rowStoredInTable(const std::string& tablePath, const std::string& rowName) {
    const std::string file = rowsFilePath(tablePath);
    const auto bytes = plat::readFile(file);
    if (!bytes) return false;
    std::set<std::string, NO_CASE> names;
    if (!g_storedRows.take(file, *bytes, {}, names)) {
        // A file that cannot be read whole holds no row: the rows the run made did not go into it.
        if (rowsBytesDamage(*bytes).empty())
            for (const std::vector<std::string_view>& row : rowTokens(*bytes)) names.emplace(row[0]);
        g_storedRows.keep(file, *bytes, {}, names);
    }
    return names.contains(rowName);
}

int emptyCellBeforeFilled(const std::vector<std::string>& rowCells, int columnCount) {
    const std::size_t width = std::min(rowCells.size(), static_cast<std::size_t>(std::max(columnCount, 0)));
    int empty = 0;
    for (std::size_t c = 0; c < width; ++c) {
        if (rowCells[c].empty()) {
            if (empty == 0) empty = static_cast<int>(c) + 1;
        } else if (empty != 0) {
            return empty;
        }
    }
    return 0;
}

std::string storedTableDamage(const std::string& tablePath, bool rowsHeld) {
    const auto tab = plat::readFile(tablePath);
    CTabColsDesc t;
    if (tab)
        if (std::string damage = parseTable(tablePath, *tab, t); !damage.empty()) return damage;
    const auto rows = plat::readFile(rowsFilePath(tablePath));
    if (!rows) return {};
    if (rows->empty() && rowsHeld) return damageText(kMsgRowsEmpty);
    if (std::string damage = rowsBytesDamage(*rows); !damage.empty() || !tab) return damage;
    return refusedMeasure(rowTokens(*rows), textColumns(t));
}

int CTabColsDesc::readRows() {
    if (path.empty()) return 0;
    const std::string file = rowsFilePath(path);
    const auto bytes = plat::readFile(file);
    rowsFileMissing = bytes ? 0 : 1;
    if (!bytes) {
        if (!g_runRows.contains(file)) return 0;
        cells.clear();
        rowCount = 0;
        rowsRefused = 0;
        return withRunRows(*this, file);
    }
    // Tokens past the table's columns are not read (the next write drops them). A name column is text,
    // whatever it holds.
    const std::vector<bool> text = textColumns(*this);
    const std::size_t width = text.size();
    const auto refuse = [&](const std::string& what) {
        showTableDamage(file, *bytes, what);
        rowsRefused = 1;
        return -1;
    };
    // The one reading that depends on more than the bytes and the columns.
    if (emptiedRows(path, *bytes)) return refuse(damageText(kMsgRowsEmpty));
    std::string context;   // the rows' reading depends on the columns alone
    for (bool isText : text) context += isText ? 't' : 'n';
    if (KEPT_ROWS kept; g_keptRows.take(file, *bytes, context, kept)) {
        cells = std::move(kept.cells);
        rowCount = kept.rowCount;
        rowsRefused = 0;
        return withRunRows(*this, file);
    }
    if (std::string damage = rowsBytesDamage(*bytes); !damage.empty()) return refuse(damage);
    const std::vector<std::vector<std::string_view>> rows = rowTokens(*bytes);
    if (std::string damage = refusedMeasure(rows, text); !damage.empty()) return refuse(damage);
    cells.assign(rows.size() * width, std::string());
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < width && c < rows[r].size(); ++c) cells[r * width + c] = rows[r][c];
    rowCount = static_cast<std::int32_t>(rows.size());
    rowsRefused = 0;
    g_keptRows.keep(file, *bytes, context, KEPT_ROWS{cells, rowCount});
    return withRunRows(*this, file);
}

int CTabColsDesc::writeRows() const {
    if (path.empty()) return 0;
    if (rowsRefused) return 1;   // the rows file is damaged and was told so: it stays as it is
    const std::string file = rowsFilePath(path);
    // A table taken from a shared library whose rows file is lost is no new table: a rows file of only the
    // rows added now would stand for the whole table, and a publication would spread it. The shared table
    // is copied again at the next refresh.
    std::uint64_t indexed = 0;
    if ((rowsFileMissing || !plat::fileExists(file)) && synchronisedTable(path, &indexed)) {
        if (g_toldLost.insert(file).second)
            showTableMessage(indexed == kRowsFileLostUnshared ? kMsgRowsFileLostUnshared : kMsgRowsFileLost, file);
        return 1;
    }
    // The writer makes its reader's checks: what the reader would refuse, or read as other cells or rows (a
    // cell holding a blank, a line end or a NUL byte, an empty cell before a filled one), is not written.
    const std::vector<bool> text = textColumns(*this);
    std::string out;
    std::vector<std::string> row;
    for (int r = 0; r < rowCount; ++r) {
        (void)getRow(r, row);
        bool refused = emptyCellBeforeFilled(row, columnCount) != 0;
        for (int c = 0; c < columnCount && !refused; ++c) {
            const std::string& value = cell(r, c);
            refused = measureRefused(text[static_cast<std::size_t>(c)], value) ||
                      value.find_first_of(std::string_view(" \t\r\n\0", 5)) != std::string::npos;
            out += value;
            out += ' ';
        }
        if (refused) {
            showTableMessage(kMsgTableNotWritten, file + "\n" + damageText(kMsgRowNotWritten, std::to_string(r + 1)));
            return 1;
        }
        out += "\r\n";
    }
    // A table without rows is a line end: a rows file of no byte is what a crash or a sync leaves.
    if (out.empty()) out = "\r\n";
    if (!takeSafetyCopy(file, rowsSafetyCopyPath(path))) return 1;
    return writeTableFile(file, out) ? 0 : 1;
}

namespace {

const std::string& cellOf(const std::vector<std::string>& row, int c) {
    static const std::string empty;
    return static_cast<std::size_t>(c) < row.size() ? row[static_cast<std::size_t>(c)] : empty;
}

}  // namespace

int CTabColsDesc::getRow(int r, std::vector<std::string>& out) const {
    const bool inside = r >= 0 && r < rowCount;
    out.assign(static_cast<std::size_t>(std::max<int>(columnCount, 0)), std::string());
    for (int c = 0; c < columnCount && inside; ++c) out[static_cast<std::size_t>(c)] = cell(r, c);
    return inside ? 0 : 1;
}

int CTabColsDesc::setRow(int r, const std::vector<std::string>& row) {
    if (r < 0 || r >= rowCount) return 1;
    for (int c = 0; c < columnCount; ++c) cells[static_cast<std::size_t>(r) * columnCount + c] = cellOf(row, c);
    return 0;
}

int CTabColsDesc::appendRow(const std::vector<std::string>& row) {
    for (int c = 0; c < columnCount; ++c) cells.push_back(cellOf(row, c));
    ++rowCount;
    return 0;
}

int CTabColsDesc::deleteRow(int r) {
    if (listRowCount < 1) return 0;
    if (listRowCount == 1) {
        listRowCount = 0;
        return 0;
    }
    const int shown = std::min<int>(listRowCount, rowCount);
    if (r < 0 || r >= shown) return 0;
    for (int from = r + 1; from < shown; ++from)
        for (int c = 0; c < columnCount; ++c)
            cells[static_cast<std::size_t>(from - 1) * columnCount + c] = cell(from, c);
    --listRowCount;
    return 0;
}

int CTabColsDesc::findRowByName(const std::string& text) const {
    if (columnCount < 1) return -1;
    for (int r = 0; r < rowCount; ++r)
        if (plat::equalsNoCase(cell(r, 0), text)) return r;
    return -1;
}
