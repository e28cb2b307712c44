// Tables found in the tables folder: by name between braces (class 3), the drill-size table (class 1),
// and every table at once. Files are taken in the folder listing's order. A run that looks names up hole
// after hole tells each missing one once.
#include <algorithm>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/utilities.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/tables.h"
#include "plugin/tables/table_text.h"

namespace {

// The message's first "%s" replaced by the argument (the text comes from the UI-text file).
std::string withArgument(std::string text, std::string_view argument) {
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, argument);
    return text;
}

int g_noticeScopes = 0;
std::vector<std::string> g_toldMissing;   // a run misses a few names at most

// False when the user was told of this missing name already in the open notice scope.
bool tellMissing(const std::string& name) {
    if (g_noticeScopes == 0) return true;
    for (const std::string& told : g_toldMissing)
        if (plat::equalsNoCase(told, name)) return false;
    g_toldMissing.push_back(name);
    return true;
}

int tableGroup(const CTabColsDesc& t) {
    if (t.tableClass == kTableThread) return 0;
    for (int i = 0; i < t.itemCount; ++i)
        if (t.items[static_cast<std::size_t>(i)].a == 1) return 1;
    return 2;
}

}  // namespace

std::vector<std::string> listTableFiles(const std::string& folder) {
    std::vector<std::string> paths;
    for (const plat::FileEntry& entry : plat::findFiles(folder, "*.tab"))
        if (!entry.isDir) paths.push_back(plat::joinPath(folder, entry.name));
    return paths;
}

std::string tableFilePath(const std::string& name, const char* extension) {
    return plat::joinPath(g_globals->tablesDir, name + extension);
}

int loadNamedTable(const std::string& name, CTabColsDesc* table) {
    for (const std::string& file : listTableFiles(g_globals->tablesDir)) {
        table->clear();
        if (table->read(file) != 0 || table->tableClass != kTableNamed) continue;
        const std::string braced = textBetweenStr(plat::splitPath(file).name, "{}");
        if (!name.empty() && !plat::equalsNoCase(braced, name)) continue;
        table->clear();
        if (table->read(file) != 0 || table->readRows() < 0) continue;
        return 0;
    }
    if (tellMissing(name))
        plat::messageBox(nullptr, withArgument(errorMessage(kMsgNamedTableMissing), name), errorMessage(1),
                         plat::MB_OK);
    return 1;
}

NamedTableNotices::NamedTableNotices() { ++g_noticeScopes; }

NamedTableNotices::~NamedTableNotices() {
    if (--g_noticeScopes == 0) g_toldMissing.clear();
}

int loadDrillTable(CTabColsDesc* table) {
    for (const std::string& file : listTableFiles(g_globals->tablesDir)) {
        table->clear();
        if (table->read(file) == 0 && table->tableClass == kTableDrillSize && table->readRows() >= 0) {
            table->clear();
            (void)table->read(file);   // the table as callers take it, without its rows
            return 0;
        }
    }
    plat::messageBox(nullptr, errorMessage(kMsgNoDrillTable), errorMessage(1), plat::MB_OK);
    return 1;
}

int loadAllTables(std::vector<CTabColsDesc>& out, int* drillIndex, std::size_t capacity) {
    out.clear();
    const std::vector<std::string> files = listTableFiles(g_globals->tablesDir);
    for (const std::string& file : files) {
        if (out.size() >= capacity) {
            // The tables past the caller's room would be missed by every hole without a word.
            const std::string most = std::to_string(capacity);
            plat::messageBox(nullptr, fillText(errorMessage(kMsgTooManyTables), {g_globals->tablesDir, most, most}),
                             errorMessage(1), plat::MB_OK);
            break;
        }
        CTabColsDesc table;
        if (table.read(file) != 0 || table.readRows() < 0) continue;
        if (table.tableClass == kTableDrillSize) (void)table.sortRowsByColumn(1);
        out.push_back(std::move(table));
    }
    if (g_globals->settings.forceTapping != 0)
        std::stable_sort(out.begin(), out.end(),
                         [](const CTabColsDesc& a, const CTabColsDesc& b) { return tableGroup(a) < tableGroup(b); });
    // The index is taken after the sort, so that it names the drill-size table in the final order.
    if (drillIndex) {
        *drillIndex = -1;
        for (std::size_t i = 0; i < out.size(); ++i)
            if (out[i].tableClass == kTableDrillSize) *drillIndex = static_cast<int>(i);
    }
    return static_cast<int>(out.size());
}
