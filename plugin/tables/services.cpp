// Stand-ins for the tables subsystem (docs/seams.md): nothing to prepare, nothing fails; the tables that
// recognition reads come from the stand-in files described in services.h.
#include "plugin/tables/services.h"

#include <cmath>
#include <cstdlib>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "plugin/core/globals.h"
#include "plugin/core/text_section.h"

void loadThreadTables() {}
int copyTablesToSharedData() { return 0; }
int copyTablesFromSharedData() { return 0; }
int checkTablesLibrary(int) { return 0; }

namespace {

constexpr int kDesignationCell = 0, kThreadDiameterCell = 1, kPitchCell = 2, kTapDrillCell = 3;

std::string trimmed(std::string_view text) {
    std::size_t a = 0, b = text.size();
    while (a < b && (text[a] == ' ' || text[a] == '\t')) ++a;
    while (b > a && (text[b - 1] == ' ' || text[b - 1] == '\t' || text[b - 1] == '\r')) --b;
    return std::string(text.substr(a, b - a));
}

// A cell as a number; false for an empty or non-numeric cell.
bool cellNumber(const std::vector<std::string>& row, int cell, double* value) {
    if (cell >= static_cast<int>(row.size()) || row[cell].empty()) return false;
    char* end = nullptr;
    *value = std::strtod(row[cell].c_str(), &end);
    return end && *end == '\0';
}

bool nearValue(const std::vector<std::string>& row, int cell, double wanted, double tolerance) {
    double value = 0;
    return cellNumber(row, cell, &value) && std::fabs(value - wanted) <= tolerance;
}

std::string tableTitle(const CTabColsDesc& table) { return plat::splitPath(table.tabPath).name; }

}  // namespace

int CTabColsDesc::read(const std::string& path) {
    *this = CTabColsDesc{};
    CTextSection prm;
    if (prm.load(path, "Prm", false) != 0) return 1;
    tabPath = path;
    tableClass = static_cast<std::int16_t>(prm.getLong(1, 0));
    chamferAngleA = prm.getDouble(2, 0);
    chamferAngleB = prm.getDouble(3, 0);
    maxChamfer = prm.getDouble(4, 0);
    diameterTolerance = prm.getDouble(5, 0);
    return 0;
}

int CTabColsDesc::readRows() {
    rows.clear();
    const plat::PathParts parts = plat::splitPath(tabPath);
    const auto bytes = plat::readFile(parts.drive + parts.dir + parts.name + ".txt");
    if (!bytes) return 0;
    std::size_t pos = 0;
    while (pos < bytes->size()) {
        std::size_t end = bytes->find('\n', pos);
        if (end == std::string::npos) end = bytes->size();
        const std::string line = trimmed(std::string_view(*bytes).substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        std::vector<std::string> row;
        std::size_t start = 0;
        for (;;) {
            const std::size_t cut = line.find(';', start);
            row.push_back(trimmed(std::string_view(line).substr(start, cut == std::string::npos ? cut : cut - start)));
            if (cut == std::string::npos || row.size() == kRowCells) break;
            start = cut + 1;
        }
        rows.push_back(std::move(row));
    }
    return static_cast<int>(rows.size());
}

int CTabColsDesc::findRowByTwoValues(double first, double second, std::string cells[kRowCells]) const {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        if (!nearValue(row, kThreadDiameterCell, first, diameterTolerance) ||
            !nearValue(row, kTapDrillCell, second, diameterTolerance))
            continue;
        for (int c = 0; c < kRowCells; ++c) cells[c] = c < static_cast<int>(row.size()) ? row[c] : std::string();
        return static_cast<int>(i) + 1;
    }
    return 0;
}

int findThreadRow(const char* designation, int, double* diameter, double* pitch, double*, double*,
                  std::int16_t* table, int) {
    if (!designation || !*designation) return 0;
    for (int t = 0; t < g_globals->threadTableCount && t < static_cast<int>(g_globals->threadTables.size()); ++t) {
        const CTabColsDesc& tab = g_globals->threadTables[t];
        if (tab.tableClass != kTableThread) continue;
        for (const auto& row : tab.rows) {
            if (row.empty() || !plat::equalsNoCase(row[kDesignationCell], designation)) continue;
            double d = 0, p = 0;
            cellNumber(row, kThreadDiameterCell, &d);
            cellNumber(row, kPitchCell, &p);
            if (diameter) *diameter = d;
            if (pitch) *pitch = p;
            if (table) *table = static_cast<std::int16_t>(t);
            return 1;
        }
    }
    return 0;
}

std::string findThreadByDiameter(double diameter, int mode, std::string& tableName, double* tapDiameter,
                                 double* pitch, double* third) {
    for (int t = 0; t < g_globals->threadTableCount && t < static_cast<int>(g_globals->threadTables.size()); ++t) {
        const CTabColsDesc& tab = g_globals->threadTables[t];
        if (tab.tableClass != kTableThread) continue;
        if (mode == -2 && !plat::equalsNoCase(tableTitle(tab), tableName)) continue;
        for (const auto& row : tab.rows) {
            if (row.empty()) continue;
            if (!nearValue(row, kTapDrillCell, diameter, tab.diameterTolerance) &&
                !nearValue(row, kThreadDiameterCell, diameter, tab.diameterTolerance))
                continue;
            double d = 0, p = 0, drill = 0;
            cellNumber(row, kThreadDiameterCell, &d);
            cellNumber(row, kPitchCell, &p);
            cellNumber(row, kTapDrillCell, &drill);
            if (tapDiameter) *tapDiameter = d;
            if (pitch) *pitch = p;
            if (third) *third = drill;
            tableName = tableTitle(tab);
            return row[kDesignationCell];
        }
    }
    return {};
}
