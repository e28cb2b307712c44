// The migration steps of the table format. Each step runs when its condition holds for the version the table
// has reached, so an old table passes through every later step. A step changes the processes first and
// writes the new version last: a failed write stops the migration with the table labelled with the version
// whose changes it fully holds.
#include "plugin/model/process_ope.h"
#include "plugin/tables/table_migration.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/model/host_blocks.h"
#include "plugin/tables/host_op_defaults.h"
#include "plugin/base/number_text.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/table_text.h"

namespace {

using namespace process_ope;
using OperationChange = std::function<bool(PROCESS_OPE&)>;   // true when the operation changed

// Every process of the table read, changed operation by operation and written back (only when something
// changed, for `onlyChanged`). False when a process cannot be read whole or written back.
bool changeProcesses(const CTabColsDesc& t, const OperationChange& change, bool onlyChanged = false,
                     const ProcessLineCallback& hook = {}) {
    std::vector<std::string> names;
    t.listProcessNames(names, kMaxProcessOps);
    std::vector<PROCESS_OPE> ops(kMaxProcessOps);
    for (const std::string& name : names) {
        int count = 0;
        const ProcessRead read = t.readProcessChecked(name, ops.data(), &count, hook);
        if (read == ProcessRead::refused) return false;
        if (read == ProcessRead::missing) continue;
        bool changed = false;
        for (int i = 0; i < count; ++i) changed = change(ops[static_cast<std::size_t>(i)]) || changed;
        if (onlyChanged && !changed) continue;
        if (t.writeProcess(name, ops.data(), count) != 0) return false;
    }
    return true;
}

bool setVersion(CTabColsDesc& t, int version) {
    const std::int16_t old = t.formatVersion;
    t.formatVersion = static_cast<std::int16_t>(version);
    if (t.write() == 0) return true;
    t.formatVersion = old;
    return false;
}

// Rows changed and written, then the table at its new version; a failed table write puts the old rows back.
bool setVersionWithRows(CTabColsDesc& t, int version, const std::function<void(CTabColsDesc&)>& changeRows) {
    const std::string rowsFile = rowsFilePath(t.path);
    const auto oldRows = plat::readFile(rowsFile);
    t.readRows();
    changeRows(t);
    if (t.writeRows() != 0) return false;
    if (setVersion(t, version)) return true;
    if (oldRows) (void)writeTableFile(rowsFile, *oldRows);
    return false;
}

// Multiples of T itself: the inch start values of the tolerance group are not exact multiples.
double fourT() { return 4 * g_tolerances.tolT; }
double cellValue(const CTabColsDesc& t, int r, int column) {
    return column <= t.columnCount ? std::atof(t.cell(r, column - 1).c_str()) : 0.0;
}
void setCell(CTabColsDesc& t, int r, int column, const std::string& text) {
    if (column <= t.columnCount) t.cells[static_cast<std::size_t>(r) * t.columnCount + column - 1] = text;
}

// A column inserted at `column` (ids from it on move up by one) with the item given; every row gets the
// cell made by `cellOf`.
void insertColumn(CTabColsDesc& t, int column, TAB_DESC_ITEM item, const std::function<std::string(int)>& cellOf) {
    std::vector<TAB_DESC_ITEM> items(t.items.begin(), t.items.begin() + t.itemCount);
    for (TAB_DESC_ITEM& m : items)
        for (std::int16_t* id : {&m.colId1, &m.colId2, &m.colId3})
            if (*id >= column) ++*id;
    items.insert(items.begin() + std::min<std::size_t>(static_cast<std::size_t>(column - 1), items.size()), item);
    std::vector<std::string> cells;
    for (int r = 0; r < t.rowCount; ++r) {
        for (int c = 0; c < t.columnCount; ++c) {
            if (c == column - 1) cells.push_back(cellOf(r));
            cells.push_back(t.cell(r, c));
        }
        if (column - 1 >= t.columnCount) cells.push_back(cellOf(r));
    }
    (void)t.allocItems(static_cast<std::int16_t>(items.size()));
    for (const TAB_DESC_ITEM& m : items)
        (void)t.addDescItem(m.kind, m.colId1, m.text1, m.a, m.b, m.value1, m.colId2, m.text2, m.colId3, m.text3, m.value2);
    t.cells = std::move(cells);
}

// Steps 1 and 2: the safety column of a drill-size table (column 4) or a thread table (column 5).
bool addSafetyColumn(CTabColsDesc& t) {
    const bool drill = t.tableClass == kTableDrillSize;
    const int column = drill ? 4 : 5;
    if (t.itemCount < column) return true;   // not the layout these tables had: left for the later steps
    const TAB_DESC_ITEM& old = t.items[static_cast<std::size_t>(column - 1)];
    TAB_DESC_ITEM item = old;
    item.kind = static_cast<std::int16_t>(drill ? 7 : 6);
    item.colId1 = static_cast<std::int16_t>(column);
    item.text1 = drill ? "Safety Ream" : "Safety Tap";
    item.colId2 = 0;
    item.text2.clear();
    return setVersionWithRows(t, 3, [&](CTabColsDesc& table) {
        insertColumn(table, column, item, [&](int r) {
            return drill ? formatNumber(cellValue(table, r, 1) / 2)
                         : formatNumber(roundToStep(cellValue(table, r, 2), fourT()));
        });
    });
}

bool addListColumn(CTabColsDesc& t) {
    // Every id of every item counts, the third too: the new column's id must be one no item holds yet.
    auto highest = static_cast<std::int16_t>(t.columnCount);
    for (int i = 0; i < t.itemCount; ++i) {
        const TAB_DESC_ITEM& m = t.items[static_cast<std::size_t>(i)];
        highest = std::max({highest, m.colId1, m.colId2, m.colId3});
    }
    TAB_DESC_ITEM item;
    item.kind = kItemList;
    item.colId1 = static_cast<std::int16_t>(highest + 1);
    const std::string list = defaultListText();
    return setVersionWithRows(t, 4, [&](CTabColsDesc& table) {
        insertColumn(table, table.columnCount + 1, item, [&](int) { return list; });
        table.listColumn = item.colId1;
    });
}

// A row's safety cell as the version-5 step writes it: 0.15 × the diameter of a drill-size table, five pitches
// of a thread table, rounded to a multiple of 4T.
int safetyColumn(const CTabColsDesc& t) { return t.tableClass == kTableDrillSize ? 4 : 5; }
std::string safetyCell(const CTabColsDesc& t, int r) {
    const double value = t.tableClass == kTableDrillSize ? 0.15 * cellValue(t, r, 1) : 5 * cellValue(t, r, 3);
    return formatNumber(roundToStep(value, fourT()));
}
bool hasSafetyColumn(const CTabColsDesc& t) { return t.tableClass == kTableDrillSize || t.tableClass == kTableThread; }

bool setSafetyValues(CTabColsDesc& t) {
    if (!hasSafetyColumn(t)) return setVersion(t, 5);
    return setVersionWithRows(t, 5, [](CTabColsDesc& table) {
        for (int r = 0; r < table.rowCount; ++r) setCell(table, r, safetyColumn(table), safetyCell(table, r));
    });
}

// The rows a migration will rewrite must read back: a safety cell out of a row's range (five pitches of an
// absurd pitch) would leave them unreadable half way through. False, with the row told, when one would.
bool safetyCellsFit(CTabColsDesc& t) {
    if (t.formatVersion >= 5 || !hasSafetyColumn(t)) return true;
    if (t.readRows() < 0) return false;   // told by the reader; the first step on the rows would stop anyway
    for (int r = 0; r < t.rowCount; ++r) {
        if (isFiniteNumberToken(safetyCell(t, r), kMaxCellValue)) continue;
        const std::string rows = rowsFilePath(t.path);
        showTableDamage(rows, plat::readFile(rows).value_or(""), damageText(kMsgRowNumber, std::to_string(r + 1)));
        return false;
    }
    return true;
}

// An operation step: the change on every operation, then the new version.
bool operationStep(CTabColsDesc& t, int version, const OperationChange& change, const ProcessLineCallback& hook = {}) {
    return changeProcesses(t, change, false, hook) && setVersion(t, version);
}

template <class T>
bool assign(PROCESS_OPE& op, FIELD<T> f, T value) {
    const bool changed = opeGet(op, f) != value;
    opeSet(op, f, value);
    return changed;
}

int firstMilledCycle() {
    OP_CYCLE_LIST list;
    (void)list.load("");
    for (int i = 0; i < list.count && i < OP_CYCLE_LIST::kMaxEntries; ++i)
        if (list.entries[i].milled == 1) return i;
    return 12;
}

double kindBlockDouble(const PROCESS_OPE& op, std::size_t at) {
    const BLOCK_PLACE place = kindBlockPlace(opeGet(op, milledKind));
    return place.size ? op.get<double>(place.at + at) : 0.0;
}

void copyTopZTie(PROCESS_OPE& op) {
    opeSet(op, cylDiamAssoc, opeGet(op, zSupAssoc));
    opeSet(op, cylDiamCol, opeGet(op, zSupCol));
    opeSet(op, cylDiamZPl, opeGet(op, zSupZPl));
    opeSet(op, cylDiamCyl, opeGet(op, zSupCyl));
    opeSet(op, cylDiam, 0.0);
}

// A version-19 line holds lineInt47 as field 26: that word goes to the end, the fields after it move up.
void moveField26ToEnd(std::string& fields) {
    std::vector<std::string_view> tokens = blankTokens(fields);
    if (tokens.size() < 26) return;
    std::string out;
    for (std::size_t i = 0; i < tokens.size(); ++i)
        if (i != 25) out += " " + std::string(tokens[i]);
    out += " " + std::string(tokens[25]);
    fields = out;
}

bool migrate(CTabColsDesc& t) {
    if (t.formatVersion < 3 && (t.tableClass == kTableDrillSize || t.tableClass == kTableThread) && !addSafetyColumn(t))
        return false;
    if (t.formatVersion < 4 && !addListColumn(t)) return false;
    if (t.formatVersion < 5 && !setSafetyValues(t)) return false;
    if (t.formatVersion < 6) {
        t.bmpScale = 0.0;
        if (!setVersion(t, 6)) return false;
    }
    if (t.formatVersion < 7) {
        t.lastTime = 0;
        if (!setVersion(t, 7)) return false;
    }
    if (t.formatVersion < 8 && !operationStep(t, 8, [](PROCESS_OPE& op) { return assign(op, milledKind, std::int16_t{0}); }))
        return false;
    if (t.formatVersion < 9 && !operationStep(t, 9, [](PROCESS_OPE& op) {
            return assign(op, millDiamCol, std::int16_t{0}) | assign(op, lineInt28, std::int16_t{0});
        }))
        return false;
    if (t.formatVersion < 10 && !operationStep(t, 10, [](PROCESS_OPE& op) {
            return assign(op, toolDiamOffsetOn, std::int16_t{0}) | assign(op, toolDiamOffset, 0.0) |
                   assign(op, bottomStockOn, std::int16_t{0}) | assign(op, bottomStock, 0.0);
        }))
        return false;
    if (t.formatVersion == 10) {
        const auto c = static_cast<std::uint32_t>(firstMilledCycle());
        const bool done = changeProcesses(t, [c](PROCESS_OPE& op) {
            return opeGet(op, milledKind) == kCircleMill && assign(op, cycle, c);
        }, true);
        if (!done) return false;
    }
    if (t.formatVersion < 11 && !operationStep(t, 11, [](PROCESS_OPE& op) {
            return assign(op, lineInt33, std::int16_t{0}) | assign(op, lineValue34, 0.0);
        }))
        return false;
    if (t.formatVersion < 12 && !operationStep(t, 12, [](PROCESS_OPE& op) { return assign(op, toolDiamSecond, 0.0); }))
        return false;
    if (t.formatVersion < 13) {
        if (t.bmpTime < 0) t.bmpTime = 0;
        const bool done = operationStep(t, 13, [](PROCESS_OPE& op) {
            setOpeText(op, toolName, "");
            if (std::abs(opeGet(op, lineInt33)) > 1) {
                opeSet(op, lineInt33, std::int16_t{0});
                opeSet(op, lineValue34, 0.0);
            }
            if (std::abs(opeGet(op, millDiamCol)) > 100) opeSet(op, millDiamCol, std::int16_t{0});
            if (std::abs(opeGet(op, lineInt28)) > 100) opeSet(op, lineInt28, std::int16_t{0});
            return true;
        });
        if (!done) return false;
    }
    if (t.formatVersion < 14) {
        PROCESS_OPE defaults;
        (void)getHostOpDefaults(kCircleMill, 0.0, &defaults, nullptr);
        const double limit = 0.4 * g_tolerances.tolT;
        const bool done = operationStep(t, 14, [&](PROCESS_OPE& op) {
            if (opeGet(op, milledKind) == kMilledNone) return false;
            const std::int16_t passes = op.get<std::int16_t>(hostBlock40 + radial_passes::finishCount);
            if (passes < 0 || passes > 100) std::memcpy(op.bytes + hostBlock40, defaults.bytes + hostBlock40, kBlock40);
            if (opeGet(op, milledKind) == kCircleMill && op.get<double>(circleMillBlock + 64) < limit)
                std::memcpy(op.bytes + circleMillBlock, defaults.bytes + circleMillBlock, kCircleMillSize);
            return true;
        });
        if (!done) return false;
    }
    if (t.formatVersion < 15 && !operationStep(t, 15, [](PROCESS_OPE& op) {
            opeSet(op, cylDiamAssoc, std::int16_t{0});
            opeSet(op, cylDiamCol, std::int16_t{0});
            opeSet(op, cylDiamZPl, std::int16_t{0});
            opeSet(op, cylDiamCyl, std::int16_t{0});
            opeSet(op, cylDiam, kindBlockDouble(op, 48));
            return true;
        }))
        return false;
    if (t.formatVersion < 16 && !operationStep(t, 16, [](PROCESS_OPE& op) {
            return assign(op, lineInt42, static_cast<std::int16_t>(opeGet(op, milledKind) != kMilledNone ? 1 : 0));
        }))
        return false;
    if (t.formatVersion < 17 && !operationStep(t, 17, [](PROCESS_OPE& op) {
            opeSet(op, lineInt43, std::int16_t{0});
            opeSet(op, lineInt44, std::int16_t{1});
            opeSet(op, lineInt45, std::int16_t{0});
            setOpeText(op, lineText46, "");
            return true;
        }))
        return false;
    if (t.formatVersion < 18) {
        const double small = 0.04 * g_tolerances.tolT;
        const bool done = operationStep(t, 18, [small](PROCESS_OPE& op) {
            const int kind = opeGet(op, milledKind);
            if (kind == kCircleMill) {
                if (opeGet(op, cylDiamAssoc) == 0 && std::fabs(opeGet(op, cylDiam)) < small) copyTopZTie(op);
                if (opeGet(op, cylDiamAssoc) == 0 && std::fabs(opeGet(op, cylDiam)) < small)
                    opeSet(op, cylDiam, op.get<double>(circleMillBlock + 48));
            } else if (kind == kContour) {
                copyTopZTie(op);
            }
            return true;
        });
        if (!done) return false;
    }
    if (t.formatVersion == 19 && !operationStep(t, 20, [](PROCESS_OPE&) { return false; }, moveField26ToEnd))
        return false;
    if (t.formatVersion < 19 && !operationStep(t, 20, [](PROCESS_OPE& op) { return assign(op, lineInt47, std::int16_t{0}); }))
        return false;
    if (t.formatVersion < 21 && !operationStep(t, 21, [](PROCESS_OPE& op) {
            if (opeGet(op, lineInt45) != 0 && opeText(op, lineText46) == "0") {
                opeSet(op, lineInt45, std::int16_t{0});
                setOpeText(op, lineText46, "");
            }
            const std::string tool = opeText(op, toolName);
            if (tool == "0.0000" || tool == "-9.0000") setOpeText(op, toolName, "");
            if (std::abs(opeGet(op, cylDiamAssoc)) > 100) opeSet(op, cylDiamAssoc, std::int16_t{0});
            if (std::abs(opeGet(op, cylDiamCol)) > 100) opeSet(op, cylDiamCol, opeGet(op, millDiamCol));
            if (std::abs(opeGet(op, cylDiamZPl)) > 100) opeSet(op, cylDiamZPl, std::int16_t{1});
            if (std::abs(opeGet(op, cylDiamCyl)) > 100) opeSet(op, cylDiamCyl, opeGet(op, zInfCyl));
            return true;
        }))
        return false;
    return true;
}

}  // namespace

std::string defaultListText() {
    const bool metric = g_globals->metric();
    CTextSection texts;
    if (texts.load(g_globals->uiTextFile, "CreateDlg", false) == 0) {
        const std::string line = texts.getText(metric ? 20 : 21);
        const auto words = blankTokens(line);
        if (!words.empty()) {
            std::string list = "(0";
            for (std::string_view word : words) list += "," + std::string(word);
            return list + ")";
        }
    }
    return metric ? "(0,0,6,10,16,25,40)" : "(0,0,0.25,0.4,0.6,1,1.5)";
}

int updateTableVersion(CTabColsDesc& table) {
    if (table.formatVersion >= kCurrentTableVersion) return 0;
    // A process that does not read whole would stop the migration half way, the table rewritten up to
    // there: such a table is left as it is (its reader said why).
    std::vector<std::string> names;
    table.listProcessNames(names, kMaxProcessOps);
    std::vector<PROCESS_OPE> ops(kMaxProcessOps);
    const ProcessLineCallback hook = table.formatVersion == 19 ? ProcessLineCallback(moveField26ToEnd) : ProcessLineCallback();
    for (const std::string& name : names) {
        int count = 0;
        if (table.readProcessChecked(name, ops.data(), &count, hook) == ProcessRead::refused) return 1;
    }
    if (!safetyCellsFit(table)) return 1;
    return migrate(table) ? 0 : 1;
}
