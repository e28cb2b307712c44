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

// The row names a rows file holds, read once as it was last written: the process tree asks hole after hole.
// Dropped when the run begins and when the file is written here.
struct NO_CASE {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return plat::compareNoCase(a, b) < 0; }
};
struct STORED_ROWS {
    plat::WRITE_STAMP written;
    std::set<std::string, NO_CASE> names;
};
std::map<std::string, STORED_ROWS> g_storedRows;

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

}  // namespace

void keepRowForRun(const CTabColsDesc& table, const std::vector<std::string>& rowCells) {
    if (!table.path.empty()) g_runRows[rowsFilePath(table.path)].push_back(rowCells);
}

void forgetRowsKeptForRun() {
    g_runRows.clear();
    g_toldLost.clear();
    g_storedRows.clear();
}

bool rowStoredInTable(const std::string& tablePath, const std::string& rowName) {
    const std::string file = rowsFilePath(tablePath);
    const std::optional<plat::WRITE_STAMP> written = plat::writeStamp(file);
    if (!written) return false;
    const auto kept = g_storedRows.find(file);
    if (kept != g_storedRows.end() && kept->second.written == *written) return kept->second.names.contains(rowName);
    const auto bytes = plat::readFile(file);
    if (!bytes) return false;
    STORED_ROWS stored{*written, {}};
    for (const plat::TextLine& line : plat::splitLines(*bytes))
        if (const std::vector<std::string_view> tokens = blankTokens(line.text); !tokens.empty())
            stored.names.emplace(tokens[0]);
    return (g_storedRows[file] = std::move(stored)).names.contains(rowName);
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
    const std::size_t width = columnCount > 0 ? static_cast<std::size_t>(columnCount) : 0;
    // Tokens past the table's columns are not read (the next write drops them). A measure written as a
    // number that is not finite would reach the matching as one: it refuses the rows. A name column is
    // text, whatever it holds, but for the drill-size table's, which holds its diameters.
    std::vector<bool> text(width, false);
    for (int i = 0; i < itemCount && tableClass != kTableDrillSize; ++i) {
        const TAB_DESC_ITEM& item = items[static_cast<std::size_t>(i)];
        if (item.kind == kItemName && item.colId1 >= 1 && static_cast<std::size_t>(item.colId1) <= width)
            text[static_cast<std::size_t>(item.colId1) - 1] = true;
    }
    std::string context;   // the rows' reading depends on the columns alone
    for (bool isText : text) context += isText ? 't' : 'n';
    if (KEPT_ROWS kept; g_keptRows.take(file, *bytes, context, kept)) {
        cells = std::move(kept.cells);
        rowCount = kept.rowCount;
        rowsRefused = 0;
        return withRunRows(*this, file);
    }
    std::vector<std::vector<std::string_view>> rows;
    for (const plat::TextLine& line : plat::splitLines(*bytes))
        if (!isBlankLine(line.text)) rows.push_back(blankTokens(line.text));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < width && c < rows[r].size(); ++c) {
            if (text[c] || !isNumberToken(rows[r][c]) || isFiniteNumberToken(rows[r][c], kMaxCellValue)) continue;
            showTableDamage(file, *bytes, damageText(kMsgRowNumber, std::to_string(r + 1)));
            rowsRefused = 1;
            return -1;
        }
    }
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
    bool unshared = false;
    if ((rowsFileMissing || !plat::fileExists(file)) && synchronisedTable(path, &unshared)) {
        if (g_toldLost.insert(file).second) showTableMessage(unshared ? kMsgRowsFileLostUnshared : kMsgRowsFileLost, file);
        return 1;
    }
    if (!takeSafetyCopy(file, rowsSafetyCopyPath(path))) return 1;
    std::string out;
    for (int r = 0; r < rowCount; ++r) {
        for (int c = 0; c < columnCount; ++c) {
            out += cell(r, c);
            out += ' ';
        }
        out += "\r\n";
    }
    g_storedRows.erase(file);
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
