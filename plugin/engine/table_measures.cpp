// Adding rows of measures for holes: loading the tables folder, finding the first table whose form the
// hole has, building the cells of the new row from the hole's description and placing the row (an equal
// row is reused, a name already taken gets "_1", "_2" ...). Every table is read again per call and
// released at its end.
#include "plugin/base/tool_types.h"
#include "plugin/engine/table_measures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/text_section.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/hole_classes.h"
#include "plugin/engine/hole_description.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/table_matching.h"
#include "plugin/model/work_records.h"
#include "plugin/model/tree.h"
#include "plugin/base/number_text.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"
#include "plugin/services/recognition.h"
#include "plugin/services/tables.h"

namespace {

constexpr std::size_t kMaxTables = 200;
constexpr std::size_t kMaxHoles = 1000;
constexpr int kMsgCaption = 1, kMsgNoDrillTable = 57, kMsgNoTable = 58, kMsgTip = 59, kMsgFlat = 60;
constexpr int kMsgHoleRow = 20, kMsgNoThread = 21, kMsgThreadValues = 22, kMsgMarked = 23;
constexpr int kMsgRowNotStorable = 211;
constexpr int kTapType = 4, kReamerType = 6;

enum class MODE { provisional, toTable, toTables };

struct LOADED {
    std::vector<CTabColsDesc> tables;
    int drill = -1;
    CTabColsDesc* drillTable() { return drill < 0 ? nullptr : &tables[static_cast<std::size_t>(drill)]; }
};

// The tables of the folder in listing order; one that cannot be read keeps an empty slot, which no hole
// matches. False after the message when the folder has no drill-size table.
bool loadTables(LOADED& loaded) {
    for (const std::string& file : listTableFiles(g_globals->tablesDir)) {
        if (loaded.tables.size() >= kMaxTables) break;
        CTabColsDesc& table = loaded.tables.emplace_back();
        if (table.read(file) != 0) {
            table.clear();
            continue;
        }
        if (table.readRows() < 0) {
            table.clear();
            continue;
        }
        if (loaded.drill < 0 && table.tableClass == kTableDrillSize) loaded.drill = static_cast<int>(loaded.tables.size()) - 1;
    }
    if (loaded.drill < 0) {
        plat::messageBox(nullptr, errorMessage(kMsgNoDrillTable), errorMessage(kMsgCaption), plat::MB_OK);
        return false;
    }
    (void)loaded.drillTable()->sortRowsByColumn(1);
    return true;
}

// ---- the tree ----------------------------------------------------------------------------------------------

// Frees the opposite-side half of a depth-split hole and unlinks it from its view.
void deleteDepthHalf(POINT_LIST* hole) {
    POINT_LIST* half = hole->deepSplitNext;
    if (!half) return;
    hole->deepSplitNext = nullptr;
    if (VIEW_LIST* view = half->view) {
        if (view->firstPoint == half) view->firstPoint = half->next;
        --view->pointCount;
    }
    if (half->prev) half->prev->next = half->next;
    if (half->next) half->next->prev = half->prev;
    freePointList(half);   // with its operations, segments and description
}

// ---- matching -----------------------------------------------------------------------------------------------

// The hole's segments as the table sees them: a hole moved to the opposite view is turned back.
std::vector<CYL_LIST> segmentCopies(const POINT_LIST* hole) {
    std::vector<CYL_LIST> copies;
    for (const CYL_LIST* c = hole->firstCyl; c; c = c->next) {
        copies.push_back(*c);
        copies.back().prev = copies.back().next = nullptr;
    }
    if (hole->movedOpposite) {
        std::reverse(copies.begin(), copies.end());
        for (CYL_LIST& c : copies) (void)flipCylinder(&c);
    }
    for (std::size_t i = 0; i < copies.size(); ++i) {
        copies[i].prev = i ? &copies[i - 1] : nullptr;
        copies[i].next = i + 1 < copies.size() ? &copies[i + 1] : nullptr;
    }
    return copies;
}

// The index of the first table whose form the hole has, with the description; -1 none (the description
// is then the one in the last table's terms, which the message shows).
int matchingTable(const POINT_LIST* hole, LOADED& loaded, std::vector<CIL_DESC>& descs) {
    const std::vector<CYL_LIST> copies = segmentCopies(hole);
    if (copies.empty()) return -1;
    for (std::size_t t = 0; t < loaded.tables.size(); ++t) {
        CTabColsDesc& table = loaded.tables[t];
        buildEntriesFromFirstRow(table);
        descs = describeHole(&copies[0], table.chamferAngleA, table.chamferAngleB, table.maxChamfer,
                             loaded.drillTable());
        if (tableMatchesShape(table, descs.data(), static_cast<int>(descs.size()), false)) return static_cast<int>(t);
    }
    return -1;
}

std::string operationName(int type) {
    for (const TOOL_OP_TYPE* t = g_toolOpTypes; t->type >= 0; ++t)
        if (t->type == type) return t->operationName;
    return {};
}

void showNoMatch(const POINT_LIST* hole, const std::vector<CIL_DESC>& descs) {
    std::string text = fillText("%s\n", {errorMessage(kMsgNoTable)});
    for (std::size_t i = 0; i < descs.size(); ++i) {
        const CIL_DESC& v = descs[i];
        const std::string state = v.Flat ? errorMessage(kMsgFlat) : v.TipTool ? errorMessage(kMsgTip) : "";
        const std::string operation = v.opeGeo == 1 ? operationName(kTapType)
                                      : v.opeGeo == 2 ? operationName(kReamerType) : "";
        text += fillText(" D%i: %.2f x %.2f %s %s\n", {static_cast<long>(i + 1), v.D, v.L2, state, operation});
    }
    text += fillText(" Pos: X%.2f Y%.2f Z%.2f\n", {hole->ptUniv[0], hole->ptUniv[1], hole->ptUniv[2]});
    plat::messageBox(nullptr, text, errorMessage(kMsgCaption), plat::MB_OK);
}

// ---- the new row ------------------------------------------------------------------------------------------------

std::string shortNumber(double value) { return formatNumber(value, g_globals->metric() ? "%.2f" : "%.4f"); }

// Tells that the thread has no designation; false when the user cancelled (only asked by toTable).
bool tellMissingThread(MODE mode, const CIL_DESC& v, const POINT_LIST* hole) {
    CTextSection dialogTexts;
    (void)dialogTexts.load(g_globals->uiTextFile, "ConfigProcessDlg", false);
    const std::string kind = dialogTexts.getMessage(v.threadCode < 1000 ? 31 : 32, "");
    const std::string middle = fillText(errorMessage(kMsgThreadValues), {v.threadDiameter, v.threadPitch, kind});
    std::string text = errorMessage(kMsgNoThread) + "\n" + middle + "\n" + errorMessage(kMsgMarked);
    if (mode == MODE::toTables)
        text = errorMessage(kMsgHoleRow) + "\n" + fieldText(hole->description) +
               "\n" + text;
    const unsigned buttons = mode == MODE::toTable ? plat::MB_OKCANCEL : plat::MB_OK;
    return plat::messageBox(nullptr, text, errorMessage(kMsgCaption), buttons) != plat::IDCANCEL;
}

// The cells of a row for the described hole in the table's terms and the row's name, which goes into the
// first cell only when the row is placed; false when the user cancelled.
bool buildCells(CTabColsDesc& table, const CIL_DESC* descs, int count, MODE mode, const POINT_LIST* hole,
                std::vector<std::string>& cells, std::string& name) {
    if (mode == MODE::provisional) (void)table.getRow(0, cells);
    cells.resize(static_cast<std::size_t>(std::max<int>(table.columnCount, kRowCells)));
    if (mode != MODE::provisional) std::fill(cells.begin(), cells.end(), std::string());
    auto cellOf = [&](std::int16_t colId) -> std::string* {
        return colId >= 1 && static_cast<std::size_t>(colId) <= cells.size() ? &cells[static_cast<std::size_t>(colId - 1)]
                                                                              : nullptr;
    };
    for (int k = 0; k < count && static_cast<std::size_t>(k) < table.cilEntries.size(); ++k) {
        const TAB_CIL_ENTRY& e = table.cilEntries[static_cast<std::size_t>(k)];
        const CIL_DESC& v = descs[k];
        if (std::string* cell = cellOf(e.colId1)) {
            if (e.a == 1) {
                if (table.tableClass != kTableThread) {
                    std::string designation = mode == MODE::toTable ? std::string() : fieldText(v.threadName);
                    if (designation.empty())
                        designation = findThreadByDiameterPitch(v.threadDiameter, v.threadPitch, v.threadCode, nullptr,
                                                                nullptr, nullptr);
                    if (designation.empty()) {
                        if (!tellMissingThread(mode, v, hole)) return false;
                        designation = "?";
                    }
                    *cell = designation;
                }
            } else {
                *cell = shortNumber(v.D);
            }
        }
        if (std::string* cell = cellOf(e.colId2)) *cell = shortNumber(v.L2);
        if (std::string* cell = cellOf(e.colId3)) *cell = shortNumber(2 * v.coneAngle * 57.29577951308233);
    }
    name = mode == MODE::toTables ? "**" + cells[1] + "x" + cells[2]
                                  : "**" + cells[1] + (cells[2].empty() ? "" : "x") + cells[2];
    if (table.processColumn < 1 || table.cilEntries.empty()) return true;
    std::string& process = cells[static_cast<std::size_t>(table.processColumn - 1)];
    std::vector<std::string> nearest;
    const double D = count > 0 ? descs[0].D : 0;
    const std::int16_t column = table.cilEntries[0].colId1;
    if (table.findNearestRow(column, D, 2, nearest) == 0 || table.findNearestRow(column, D, 1, nearest) == 0)
        if (static_cast<std::size_t>(table.processColumn - 1) < nearest.size())
            process = nearest[static_cast<std::size_t>(table.processColumn - 1)];
    if (!process.empty()) return true;
    switch (mode) {
        case MODE::provisional: {
            std::vector<std::string> names;
            if (table.listProcessNames(names, 1) > 0 && !names.empty()) process = names[0];
            break;
        }
        case MODE::toTable: {
            const std::string name = table.newProcessName();
            (void)createDefaultProcesses(table, descs, static_cast<std::int16_t>(count), name);
            process = name;
            break;
        }
        case MODE::toTables:
            break;
    }
    return true;
}

struct PLACED {
    int row = -1;
    bool appended = false;
};

// The row goes in under a name no row has yet, unless the table has an equal row.
PLACED placeRow(CTabColsDesc& table, std::vector<std::string>& cells, const std::string& base, MODE mode) {
    PLACED placed;
    if (mode != MODE::provisional && table.readRows() < 0) return placed;
    placed.row = table.findEqualRow(cells);
    if (placed.row >= 0) return placed;
    std::string name = base;
    for (int i = 1; table.findRowByName(name) >= 0; ++i) name = base + "_" + std::to_string(i);
    cells[0] = name;
    (void)table.appendRow(cells);
    placed.row = table.rowCount - 1;
    // A row that did not reach the rows file serves this run only, so that its hole gets its process all
    // the same; the ".tab" is kept as the message said. A column no item of the hole fills stays empty,
    // which the rows file cannot hold before a filled one: such a row is not offered to the writer.
    const int empty = emptyCellBeforeFilled(cells, table.columnCount);
    if (empty != 0)
        plat::messageBox(nullptr, fillText(errorMessage(kMsgRowNotStorable), {table.name, std::to_string(empty)}),
                         errorMessage(kMsgCaption), plat::MB_OK);
    if (empty == 0 && table.writeRows() == 0) {
        table.lastTime = static_cast<std::int64_t>(std::time(nullptr));
        (void)table.write();
    } else {
        keepRowForRun(table, cells);
    }
    placed.appended = true;
    if (mode != MODE::provisional) g_engine->currentTable.snapshotTaken = 1;
    return placed;
}

void fillRef(TABLE_FILE_REF& ref, const CTabColsDesc& table, bool fresh) {
    if (fresh) ref = TABLE_FILE_REF{};
    setFieldText(ref.tabPath, table.path);
    setFieldText(ref.txtPath, tableFilePath(table.name, ".TXT"));
    setFieldText(ref.tableName, table.name);
    ref.processName[0] = 0;
}

void chooseRow(int row) {
    g_engine->chosenProcess[0] = static_cast<std::int16_t>(row);
    g_engine->chosenProcess[1] = -1;
}

}  // namespace

bool addedRowNotStored(const POINT_LIST& hole) {
    return hole.noMeasures == 1 && hole.tableName[0] && hole.rowName[0] &&
           !rowStoredInTable(tableFilePath(fieldText(hole.tableName)), fieldText(hole.rowName));
}

int compareHoleKey(const HOLE_KEY& a, const HOLE_KEY& b) {
    return a.tableIndex == b.tableIndex ? 0 : a.tableIndex > b.tableIndex ? 1 : -1;
}

int addProvisionalMeasures(POINT_LIST* hole, const CIL_DESC* descs, std::int16_t count) {
    CTabColsDesc table;
    if (const int error = table.read(tableFilePath(fieldText(hole->tableName)))) return error;
    if (table.readRows() < 0) return 1;
    buildEntriesFromFirstRow(table);
    std::vector<std::string> cells;
    std::string name;
    (void)buildCells(table, descs, count, MODE::provisional, hole, cells, name);
    const PLACED placed = placeRow(table, cells, name, MODE::provisional);
    if (placed.row < 0) return 1;
    // An equal row names the hole's row by its own name (the new row's first cell would name another).
    const std::string rowName = placed.appended ? cells[0] : table.cell(placed.row, 0);
    setFieldText(hole->rowName, rowName);
    return 0;
}

int addMeasuresToTable(POINT_LIST** holeRef, TABLE_FILE_REF* ref) {
    LOADED loaded;
    if (!loadTables(loaded)) return 1;
    POINT_LIST* hole = *holeRef;
    if (hole->deepSplitPrev) hole = hole->deepSplitPrev;

    std::vector<CIL_DESC> descs;
    const int t = matchingTable(hole, loaded, descs);
    if (t < 0) {
        showNoMatch(hole, descs);
        return 1;
    }
    CTabColsDesc& table = loaded.tables[static_cast<std::size_t>(t)];
    if (table.tableClass == kTableDrillSize || table.tableClass == kTableThread) return 1;
    (void)table.backupFiles();
    std::vector<std::string> cells;
    std::string name;
    if (!buildCells(table, descs.data(), static_cast<int>(descs.size()), MODE::toTable, hole, cells, name)) return 1;
    const PLACED placed = placeRow(table, cells, name, MODE::toTable);
    if (placed.row < 0) return 1;
    if (placed.appended) setFieldText(hole->rowName, cells[0]);
    // Only once its row is placed does the hole give up its other half and take the whole depth: a half freed
    // earlier would be lost on every failure above, with the hole still drilled only down to the split.
    *holeRef = hole;
    deleteDepthHalf(hole);
    g_records->viewsTree = freeEmptyViews(g_records->viewsTree);
    fillRef(*ref, table, false);
    chooseRow(placed.row);
    return 0;
}

VIEW_LIST* addMeasuresToTables(VIEW_LIST* views) {
    LOADED loaded;
    if (!loadTables(loaded)) return views;
    auto wanted = [](const POINT_LIST* p) { return p->chainMember == 0 && p->noMeasures == 1; };
    for (VIEW_LIST* view = views; view; view = view->next)
        for (POINT_LIST* p = view->firstPoint; p; p = p->next)
            if (wanted(p)) deleteDepthHalf(p);
    views = freeEmptyViews(views);

    std::vector<HOLE_KEY> keys;
    for (VIEW_LIST* view = views; view && keys.size() < kMaxHoles; view = view->next)
        for (POINT_LIST* p = view->firstPoint; p && keys.size() < kMaxHoles; p = p->next) {
            if (!wanted(p)) continue;
            HOLE_KEY key;
            const int t = matchingTable(p, loaded, key.descs);
            if (t < 0) {
                showNoMatch(p, key.descs);
                continue;
            }
            key.tableIndex = static_cast<std::int16_t>(t);
            key.hole = p;
            keys.push_back(std::move(key));
        }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const HOLE_KEY& a, const HOLE_KEY& b) { return compareHoleKey(a, b) < 0; });

    for (std::size_t i = 0; i < keys.size(); ++i) {
        const HOLE_KEY& key = keys[i];
        CTabColsDesc& table = loaded.tables[static_cast<std::size_t>(key.tableIndex)];
        if (table.tableClass == kTableDrillSize || table.tableClass == kTableThread) continue;
        (void)table.backupFiles();
        buildEntriesFromFirstRow(table);
        std::vector<std::string> cells;
        std::string name;
        (void)buildCells(table, key.descs.data(), static_cast<int>(key.descs.size()), MODE::toTables, key.hole, cells,
                         name);
        const PLACED placed = placeRow(table, cells, name, MODE::toTables);
        if (placed.row < 0) continue;
        if (i + 1 == keys.size() || keys[i + 1].tableIndex != key.tableIndex) {
            fillRef(g_engine->configTarget, table, true);
            chooseRow(placed.row);
            g_engine->configAction = 110;
            (void)runConfigProcess(0);
        }
    }
    return views;
}
