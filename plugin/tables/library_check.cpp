// The library check: every table of the tables folder read and migrated, then the library refused when it is
// empty, newer than this release or without exactly one drill-size table; drill-size rows and thread pitches
// are checked with the user. Also new table names and the shared copies.
#include "plugin/services/settings.h"
#include "plugin/services/tables.h"

#include <algorithm>
#include <cstdlib>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/table_migration.h"
#include "plugin/tables/table_text.h"

namespace {

constexpr int kMsgNoTables = 62, kMsgNoDrill = 63, kMsgTwoDrills = 124, kMsgTooNew = 133;
constexpr int kMsgDrillRowTable = 92, kMsgDrillRow = 93, kMsgDrillFinding = 94, kMsgDrillRowEnd = 95,
              kMsgGoOn = 96, kMsgPitchTable = 125, kMsgPitchDecimals = 126;
constexpr int kLowPercent = 10, kHighPercent = 20;

// A message text's first printf conversion replaced by the argument (the texts come from the UI-text file).
std::string withArgument(std::string text, std::string_view argument) {
    const std::size_t at = text.find('%');
    if (at == std::string::npos || at + 1 >= text.size()) return text;
    text.replace(at, 2, argument);
    return text;
}

std::string libraryText(int line) {
    return withArgument(errorMessage(line), g_globals->libraryName) + "\n(" + g_globals->tablesDir + ")";
}

int tell(int line, int result) {
    plat::messageBox(nullptr, libraryText(line), errorMessage(1), plat::MB_OK);
    return result;
}

bool askYes(const std::string& text) {
    return plat::messageBox(nullptr, text, errorMessage(1), plat::MB_YESNO | plat::MB_ICONWARNING) == plat::IDYES;
}

std::string heading(const CTabColsDesc& t, int column) {
    std::string text;
    (void)t.getColumnInfo(static_cast<std::int16_t>(column), &text, nullptr, nullptr, nullptr);
    return text;
}

// False when the user stops at a drill-size row.
bool drillRowsAccepted(CTabColsDesc& t) {
    if (t.readRows() < 0) return true;   // refused with its message; the first pass did not count the table
    if (t.columnCount < 3) return true;
    for (int r = 0; r < t.rowCount; ++r) {
        const double c1 = std::atof(t.cell(r, 0).c_str()), c2 = std::atof(t.cell(r, 1).c_str()),
                     c3 = std::atof(t.cell(r, 2).c_str());
        const bool low = c2 > kLowPercent / 100.0 * c1, high = c3 < kHighPercent / 100.0 * c1;
        if (!low && !high) continue;
        std::string text = withArgument(errorMessage(kMsgDrillRowTable), t.name) + "\n" +
                           withArgument(errorMessage(kMsgDrillRow), std::to_string(r + 1)) + "\n";
        if (low)
            text += withArgument(errorMessage(kMsgDrillFinding), heading(t, 2)) +
                    formatText(" < %i%% [%s]\n", kLowPercent, heading(t, 1).c_str());
        if (high)
            text += withArgument(errorMessage(kMsgDrillFinding), heading(t, 3)) +
                    formatText(" > %i%% [%s]\n", kHighPercent, heading(t, 1).c_str());
        text += "\n" + errorMessage(kMsgDrillRowEnd) + "\n" + errorMessage(kMsgGoOn);
        if (!askYes(text)) return false;
    }
    return true;
}

// The decimals of a pitch text: after its first '.', else after its first character.
std::size_t decimals(const std::string& text) {
    const std::size_t point = text.find('.');
    if (point != std::string::npos) return text.size() - point - 1;
    return text.empty() ? 0 : text.size() - 1;
}

// False when the user stops at a thread table whose pitches carry too few decimals.
bool pitchesAccepted(CTabColsDesc& t) {
    const std::size_t required = g_globals->metric() ? 3 : 5;
    if (t.readRows() < 0) return true;
    bool flagged = false;
    for (int r = 0; r < t.rowCount && t.columnCount >= 3 && !flagged; ++r) flagged = decimals(t.cell(r, 2)) < required;
    if (!flagged) return true;
    const std::string number = std::to_string(required);
    std::string text = errorMessage(kMsgPitchTable);
    text = withArgument(withArgument(text, t.name), number);
    text += "\n" + withArgument(errorMessage(kMsgPitchDecimals), number) + "\n" + errorMessage(kMsgGoOn);
    return askYes(text);
}

}  // namespace

int checkTablesLibrary(int mode) {
    const std::vector<std::string> files = listTableFiles(g_globals->tablesDir);
    int highest = 0, drillTables = 0;
    bool asked = false;
    for (const std::string& file : files) {
        CTabColsDesc t;
        if (t.read(file) != 0) continue;
        // A table whose rows are refused is neither migrated (its rows would be written back) nor counted.
        if (CTabColsDesc rows = t; rows.readRows() < 0) continue;
        highest = std::max<int>(highest, t.formatVersion);
        if (t.formatVersion < 12 && g_globals->debugDumps && !asked) {
            const std::string question = "The library:\n " + file + " \n is being to be updated to current version";
            if (!askYes(question)) return kLibraryStopped;
            asked = true;
        }
        (void)updateTableVersion(t);
        if (t.tableClass == kTableDrillSize) ++drillTables;
    }
    if (files.empty()) return tell(kMsgNoTables, kLibraryStopped);
    if (highest > kCurrentTableVersion) return tell(kMsgTooNew, kLibraryTooNew);
    if (mode == 1 && drillTables == 0) return tell(kMsgNoDrill, kLibraryDrillTables);
    if (mode == 1 && drillTables > 1) return tell(kMsgTwoDrills, kLibraryDrillTables);

    for (const std::string& file : files) {
        CTabColsDesc t;
        if (t.read(file) != 0) continue;
        if (t.tableClass == kTableDrillSize && !drillRowsAccepted(t)) return kLibraryDrillRows;
        if (t.tableClass == kTableThread && !pitchesAccepted(t)) return kLibraryOk;
    }
    return kLibraryOk;
}

int tableNameExists(const std::string& name, const std::string& folder) {
    for (const std::string& file : listTableFiles(folder.empty() ? g_globals->tablesDir : folder))
        if (plat::equalsNoCase(plat::splitPath(file).name, name)) return 1;
    return 0;
}

int makeNewTableName(std::string* name, std::int16_t cylinderCount) {
    for (int counter = 1; counter <= 999; ++counter) {
        const std::string candidate =
            formatText("%s%id_%i", g_globals->tableNamePrefix.c_str(), cylinderCount, counter);
        if (tableNameExists(candidate, "") == 0) {
            *name = candidate;
            return 0;
        }
    }
    return 1;
}

int copyTablesToSharedData() {
    const std::unique_ptr<CSharedData> shared = makeSharedData(g_globals->sharedDir);
    return g_globals->sharedDataOn ? shared->updateLocalTables(g_globals->libraryName) : 0;
}

int copyTablesFromSharedData() {
    if (g_globals->sharedAccessMode != 1) return 0;
    const std::unique_ptr<CSharedData> shared = makeSharedData(g_globals->sharedDir);
    if (g_globals->sharedDataOn) shared->publishLocalTables(g_globals->libraryName);
    return 0;
}
