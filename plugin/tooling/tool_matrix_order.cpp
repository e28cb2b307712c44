// The tool matrix of a points-list run. Rows are the holes in list order; aligning a tool shifts the rows
// that have it earlier so that it stands in the column where it is found latest, unless that leaves a column
// without any operation; separating types puts a gap before the higher type where two meet in a column.
#include "plugin/tooling/tool_matrix_order.h"
#include "plugin/tooling/tools_log.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <unordered_map>

#include "plugin/base/globals.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"

namespace {

struct MATRIX {
    std::vector<MATRIX_ROW> rows;
    std::vector<POINT_LIST*> holes;   // per row

    [[nodiscard]] std::size_t width() const {
        std::size_t w = 0;
        for (const MATRIX_ROW& r : rows) w = std::max(w, r.size());
        return w;
    }
    [[nodiscard]] OPE_LIST* at(std::size_t row, std::size_t column) const {
        const MATRIX_ROW& r = rows[row];
        return column < r.size() ? r[column].operation : nullptr;
    }
    // `count` gaps before column `column` of the row.
    void insertGaps(std::size_t row, std::size_t column, std::size_t count) {
        MATRIX_ROW& r = rows[row];
        if (column > r.size()) r.resize(column);
        r.insert(r.begin() + static_cast<std::ptrdiff_t>(column), count, MATRIX_CELL{});
    }
    [[nodiscard]] bool columnEmpty(std::size_t column) const {
        for (std::size_t r = 0; r < rows.size(); ++r)
            if (at(r, column)) return false;
        return true;
    }
};

bool takesPart(const VIEW_LIST& v, std::int16_t group) { return group == 0 ? v.selected != 0 : v.groupNumber == group; }

void log(const char* text) {
    if (g_toolsLog) std::fputs(text, g_toolsLog);
}

// Every tool in one column: the rows that have tool t before the latest column it stands in are shifted
// there, unless that empties a column before it, in which case the shift is undone. A shift restarts from
// the first tool, a bounded number of times: past the bound the tools left are aligned without restarts.
void alignTools(MATRIX& m, std::int16_t toolCount) {
    const std::size_t restartLimit = 2 * static_cast<std::size_t>(std::max<int>(toolCount, 1)) + 16;
    std::size_t restarts = 0;
    for (int t = 0; t < toolCount; ++t) {
        if (g_toolsLog) std::fprintf(g_toolsLog, "Tool=%i\n", t + 1);
        std::size_t smallest = SIZE_MAX, largest = 0;
        bool found = false;
        std::vector<std::size_t> place(m.rows.size(), SIZE_MAX);
        for (std::size_t r = 0; r < m.rows.size(); ++r)
            for (std::size_t c = 0; c < m.rows[r].size(); ++c) {
                const OPE_LIST* o = m.rows[r][c].operation;
                if (!o || o->toolIndex != t) continue;
                found = true;
                smallest = std::min(smallest, c);
                largest = std::max(largest, c);
                place[r] = c;
            }
        if (!found || smallest == largest) continue;
        const std::vector<MATRIX_ROW> copy = m.rows;
        bool moved = false;
        for (std::size_t r = 0; r < m.rows.size(); ++r) {
            if (place[r] == SIZE_MAX || place[r] >= largest) continue;
            m.insertGaps(r, place[r], largest - place[r]);
            moved = true;
        }
        if (!moved) continue;
        printOperationMatrix(m.rows, "Shifted");
        bool empty = false;
        for (std::size_t c = 0; c < largest && !empty; ++c) empty = m.columnEmpty(c);
        if (empty) {
            m.rows = copy;
            printOperationMatrix(m.rows, "Empty column compacted");
        } else if (++restarts <= restartLimit) {
            t = -1;
        }
    }
}

// One tool type per column: where types meet in a column, every operation of a higher type than the lowest
// there gets a gap before it and moves on to the next column; the lowest type stays on the left. A user
// operation (type 0) is a type like any other. Walking a column with the type held from the row above and
// passing a held 0 by would keep a drill beside a user operation above it but not beside one below it, so
// that the order would hang on which hole comes first in the list; one type per column does not.
void separateTypes(MATRIX& m) {
    for (std::size_t c = 0; c < m.width(); ++c) {
        std::uint32_t lowest = UINT32_MAX;
        for (std::size_t r = 0; r < m.rows.size(); ++r)
            if (const OPE_LIST* o = m.at(r, c)) lowest = std::min(lowest, o->toolType);
        for (std::size_t r = 0; r < m.rows.size(); ++r)
            if (const OPE_LIST* o = m.at(r, c); o && o->toolType != lowest) m.insertGaps(r, c, 1);
    }
}

int sign(double a, double b) {
    if (std::fabs(a - b) < g_tolerances.tol04T) return 0;
    return a < b ? -1 : 1;
}

}  // namespace

int compareMatrixOperations(const OPE_LIST& a, const OPE_LIST& b) {
    if (a.toolType != b.toolType) return a.toolType < b.toolType ? -1 : 1;
    if (const int s = sign(a.toolDiam, b.toolDiam)) return s;
    if (const int s = sign(a.cornerRadius, b.cornerRadius)) return s;
    if (const int s = sign(a.coneAngle, b.coneAngle)) return s;
    const int ia = a.view ? a.view->sortIndex : 0, ib = b.view ? b.view->sortIndex : 0;
    return ia < ib ? -1 : (ia > ib ? 1 : 0);
}

int renumberToolSequence(OPE_LIST* const* operations, std::int16_t count) {
    std::unordered_map<std::int16_t, std::int32_t> given;
    std::vector<std::int32_t> numbers;
    for (int i = 0; i < count; ++i) {
        const auto old = static_cast<std::int16_t>(operations[i]->toolNumber);
        const auto next = static_cast<std::int32_t>(given.size()) + 1;
        numbers.push_back(given.try_emplace(old, next).first->second);
    }
    for (int i = 0; i < count; ++i) operations[i]->toolNumber = numbers[static_cast<std::size_t>(i)];
    return count;
}

void printOperationMatrix(const std::vector<MATRIX_ROW>& rows, const char* title, bool types) {
    if (!g_toolsLog) return;
    std::fprintf(g_toolsLog, "\n%s\n", title);
    for (const MATRIX_ROW& row : rows) {
        const OPE_LIST* first = nullptr;
        for (const MATRIX_CELL& cell : row)
            if ((first = cell.operation)) break;
        if (!first) continue;
        std::fprintf(g_toolsLog, "%38s ->", first->point ? first->point->description : "");
        for (const MATRIX_CELL& cell : row) {
            if (!cell.operation)
                std::fputs(types ? " T      " : " T  ", g_toolsLog);
            else if (types)
                std::fprintf(g_toolsLog, " T%.2i(%.2i)", cell.operation->toolNumber, static_cast<int>(cell.operation->toolType));
            else
                std::fprintf(g_toolsLog, " T%.2i", cell.operation->toolNumber);
        }
        std::fputs("\n", g_toolsLog);
    }
    std::fflush(g_toolsLog);
}

namespace {

template <class Takes>
int orderOperations(VIEW_LIST* views, Takes takes, std::int16_t toolCount, std::vector<OPE_LIST*>& result) {
    result.clear();
    MATRIX m;
    for (VIEW_LIST* v = views; v; v = v->next) {
        if (!takes(*v)) continue;
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            if (p->excluded == 1 || p->selected == 0) continue;
            const auto row = static_cast<std::int32_t>(m.rows.size());
            MATRIX_ROW& cells = m.rows.emplace_back();
            m.holes.push_back(p);
            for (OPE_LIST* o = p->opeList; o; o = o->next) {
                if (!o->active) continue;
                cells.push_back({o});
                o->holeRow = row;
            }
        }
    }
    if (g_toolsLog) {
        log("\nMatriz Herramientas - Procesos\n    Descripcion Forma -> Hta_op1, Hta_op2, ... (T#.tipo)\n");
        for (std::size_t r = 0; r < m.rows.size(); ++r) {
            if (m.rows[r].empty()) continue;
            std::fprintf(g_toolsLog, "%38s ->", m.holes[r]->description);
            for (const MATRIX_CELL& cell : m.rows[r]) std::fprintf(g_toolsLog, " T%.2i", cell.operation->toolNumber);
            log("\n");
        }
    }
    alignTools(m, toolCount);
    printOperationMatrix(m.rows, "Matriz Ordenada por herramientas");
    separateTypes(m);
    printOperationMatrix(m.rows, "Matriz Ordenada por tipos de herramienta. T#(tipo)", true);

    std::int16_t place = 0;
    for (VIEW_LIST* v = views; v; v = v->next) v->sortIndex = place++;
    const std::size_t width = m.width();
    for (std::size_t c = 0; c < width; ++c) {
        const std::size_t from = result.size();
        for (std::size_t r = 0; r < m.rows.size(); ++r)
            if (OPE_LIST* o = m.at(r, c)) result.push_back(o);
        std::stable_sort(result.begin() + static_cast<std::ptrdiff_t>(from), result.end(),
                         [](const OPE_LIST* a, const OPE_LIST* b) { return compareMatrixOperations(*a, *b) < 0; });
    }
    return static_cast<int>(result.size());
}

}  // namespace

int orderOperationsByToolMatrix(VIEW_LIST* views, std::int16_t group, std::int16_t toolCount,
                                std::vector<OPE_LIST*>& result) {
    if (!views) return 0;
    return orderOperations(views, [group](const VIEW_LIST& v) { return takesPart(v, group); }, toolCount, result);
}

int orderRunOperations(VIEW_LIST* first, VIEW_LIST* last, std::int16_t toolCount, std::vector<OPE_LIST*>& result) {
    if (!first) return 0;
    std::unordered_map<const VIEW_LIST*, bool> run;
    for (const VIEW_LIST* v = first; v; v = v->next) {
        run[v] = true;
        if (v == last) break;
    }
    VIEW_LIST* views = first;
    while (views->prev) views = views->prev;
    return orderOperations(
        views, [&](const VIEW_LIST& v) { return v.selected != 0 && run.count(&v) != 0; }, toolCount, result);
}
