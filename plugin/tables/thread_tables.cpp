// Loading the thread and drill-size tables, normalising thread designations and the thread and drill-size
// lookups. The lookups read their candidate tables again from disk, so that rows edited since the load
// are seen.
#include "plugin/services/tables.h"
#include "plugin/tables/thread_tables.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/base/number_text.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/table_text.h"

LoadTime<THREAD_TABLES> g_threadTables;

std::span<CTabColsDesc> loadedThreadTables() {
    THREAD_TABLES& t = *g_threadTables;
    return {t.tables.data(), static_cast<std::size_t>(std::clamp<int>(t.count, 0, static_cast<int>(t.tables.size())))};
}

namespace {

constexpr int kMaxCandidates = 25;
constexpr int kFilterNamed = -2;

bool admits(std::int16_t filter, std::int16_t kind) {
    if (filter < 0) return true;
    if (filter == 0) return kind >= 0 && kind <= 999;
    return kind == filter;
}

// The load guard: an empty list is loaded first, after the library check.
bool guardLoaded() {
    if (g_threadTables->count >= 1) return true;
    if (checkTablesLibrary(1) != 0) return false;
    loadThreadTables();
    return true;
}

// The admitted thread tables, read again from their files with their rows. Every entry is looked at: the
// class test skips the drill-size table, and a library without one keeps its first thread table in entry 0.
std::vector<CTabColsDesc> candidates(std::int16_t filter, const std::string* onlyName) {
    std::vector<CTabColsDesc> out;
    const int count = std::min<int>(g_threadTables->count, static_cast<int>(g_threadTables->tables.size()));
    for (int t = 0; t < count && static_cast<int>(out.size()) < kMaxCandidates; ++t) {
        const CTabColsDesc& entry = g_threadTables->tables[static_cast<std::size_t>(t)];
        if (entry.tableClass != kTableThread) continue;
        if (filter == kFilterNamed ? !(onlyName && plat::equalsNoCase(entry.name, *onlyName))
                                   : !admits(filter, entry.classValue4))
            continue;
        CTabColsDesc table;
        if (table.read(entry.path) != 0 || table.readRows() < 0) continue;
        out.push_back(std::move(table));
    }
    return out;
}

double cellNumber(const std::string* row, int column) { return std::atof(row[column - 1].c_str()); }

std::string trimmed(const std::string& text) {
    std::size_t a = 0, b = text.size();
    while (a < b && text[a] == ' ') ++a;
    while (b > a && text[b - 1] == ' ') --b;
    return text.substr(a, b - a);
}

// The row of the designation in the table; -1 when none.
int rowOfDesignation(const CTabColsDesc& table, const std::string& normalised) {
    if (table.columnCount < 1) return -1;
    for (int r = 0; r < table.rowCount; ++r)
        if (plat::equalsNoCase(normalizeThreadName(table.cell(r, 0)), normalised)) return r;
    return -1;
}

void takeRow(const CTabColsDesc& table, int r, double* nominal, double* pitch, double* drilled, double* safety,
             std::int16_t* kind) {
    std::vector<std::string> row;
    (void)table.getRow(r, row);
    row.resize(std::max<std::size_t>(row.size(), 5));
    if (nominal) *nominal = cellNumber(row.data(), 2);
    if (pitch) *pitch = cellNumber(row.data(), 3);
    if (drilled) *drilled = cellNumber(row.data(), 4);
    if (safety) *safety = cellNumber(row.data(), 5);
    if (kind) *kind = table.classValue4;
}

}  // namespace

int loadThreadTables() {
    THREAD_TABLES& g = *g_threadTables;
    const std::vector<std::string> files = listTableFiles(g_globals->tablesDir);
    int count = 0;
    for (const std::string& file : files) {
        CTabColsDesc scratch;
        if (scratch.read(file) != 0 || scratch.tableClass != kTableDrillSize) continue;
        CTabColsDesc& entry = g.tables[0];
        entry.clear();
        if (entry.read(file) == 0 && entry.readRows() >= 0) count = 1;
        break;
    }
    for (const std::string& file : files) {
        if (count >= static_cast<int>(g.tables.size())) break;
        CTabColsDesc table;
        if (table.read(file) != 0 || table.tableClass != kTableThread || table.readRows() < 0) continue;
        g.tables[static_cast<std::size_t>(count++)] = std::move(table);
    }
    g.count = static_cast<std::int16_t>(count);
    return count;
}

std::string normalizeThreadName(std::string designation) {
    const std::string& d = designation;
    std::size_t i = 0;
    const auto run = [&](auto accept) {
        const std::size_t start = i;
        while (i < d.size() && accept(static_cast<unsigned char>(d[i]))) ++i;
        return d.substr(start, i - start);
    };
    const std::string prefix = run([](unsigned char c) { return std::isalpha(c) || c == '#'; });
    const std::string number = run([](unsigned char c) { return std::isdigit(c) || c == '.' || c == '/'; });
    std::string separator = run([](unsigned char c) { return std::isalpha(c) != 0; });
    const std::string pitch = run([](unsigned char c) { return std::isdigit(c) || c == '.'; });
    if (i < d.size()) return designation;
    for (char& c : separator) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool fraction = number.find('/') != std::string::npos;
    // A designation without a pitch keeps none: formatting the empty pitch would append a "0".
    const std::string numberText = fraction || number.empty() ? number : formatNumber(std::atof(number.c_str()));
    const std::string pitchText = pitch.empty() ? pitch : formatNumber(std::atof(pitch.c_str()));
    return prefix + numberText + separator + pitchText;
}

int findThreadByName(const std::string& designation, const std::string& tableName, double* nominalDiameter,
                     double* pitch, double* drilledDiameter, double* safety, std::int16_t* kind) {
    if (!guardLoaded()) return 0;
    const std::string wanted = normalizeThreadName(trimmed(designation));
    for (const CTabColsDesc& table : candidates(kFilterNamed, &tableName)) {
        const int r = rowOfDesignation(table, wanted);
        if (r < 0) return 0;
        takeRow(table, r, nominalDiameter, pitch, drilledDiameter, safety, kind);
        return 1;
    }
    return 0;
}

int findThreadRow(const std::string& designation, std::int16_t filter, double* nominalDiameter, double* pitch,
                  double* drilledDiameter, double* safety, std::int16_t* kind, std::string* tableName) {
    if (!guardLoaded()) return 0;
    std::string text = trimmed(designation);
    if (!text.empty() && text[0] == '_') {
        std::size_t i = 1;
        while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.')) ++i;
        const double d = std::atof(text.substr(1, i - 1).c_str());
        const double p = i + 1 < text.size() ? std::atof(text.substr(i + 1).c_str()) : 0.0;
        text = findThreadByDiameterPitch(d, p, filter, nullptr, nullptr, nullptr);
        if (text.empty()) return 0;
    }
    const std::string wanted = normalizeThreadName(text);
    for (const CTabColsDesc& table : candidates(filter, nullptr)) {
        const int r = rowOfDesignation(table, wanted);
        if (r < 0) continue;
        takeRow(table, r, nominalDiameter, pitch, drilledDiameter, safety, kind);
        if (tableName) *tableName = table.name;
        return 1;
    }
    return 0;
}

std::string findThreadByDiameterPitch(double diameter, double pitch, std::int16_t filter, std::string* tableName,
                                      double* drilledDiameter, double* safety) {
    if (!guardLoaded()) return {};
    for (const CTabColsDesc& table : candidates(filter, nullptr)) {
        std::vector<std::string> row;
        if (table.findRowByDiameterPitch(diameter, pitch, row) < 0) continue;
        row.resize(std::max<std::size_t>(row.size(), 5));
        if (tableName) *tableName = table.name;
        if (drilledDiameter) *drilledDiameter = cellNumber(row.data(), 4);
        if (safety) *safety = cellNumber(row.data(), 5);
        return row[0];
    }
    return {};
}

std::string findThreadByDiameter(double diameter, std::int16_t filter, std::string* tableName,
                                 double* nominalDiameter, double* pitch, double* safety) {
    if (!guardLoaded()) return {};
    for (const CTabColsDesc& table : candidates(filter, tableName)) {
        std::vector<std::string> row;
        if (table.findRowByDiameter(diameter, row) < 0) continue;
        row.resize(std::max<std::size_t>(row.size(), 5));
        if (tableName) *tableName = table.name;
        if (nominalDiameter) *nominalDiameter = cellNumber(row.data(), 2);
        if (pitch) *pitch = cellNumber(row.data(), 3);
        if (safety) *safety = cellNumber(row.data(), 5);
        return row[0];
    }
    return {};
}

double findDrillSize(double diameter) {
    CTabColsDesc table;
    bool found = false;
    for (const std::string& file : listTableFiles(g_globals->tablesDir)) {
        table.clear();
        if (table.read(file) == 0 && table.tableClass == kTableDrillSize) {
            found = true;
            break;
        }
    }
    if (!found || table.readRows() < 1 || table.kind5Column < 1 || table.kind5Column > table.columnCount) return 0.0;
    std::vector<std::string> row;
    if (table.findNearestRow(1, diameter, 2, row) != 0) (void)table.findNearestRow(1, diameter, 1, row);
    return std::atof(row[static_cast<std::size_t>(table.kind5Column - 1)].c_str());
}
