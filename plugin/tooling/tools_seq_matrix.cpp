// The tool sequence matrix. Inserting a gap in a full row widens the whole matrix by a column, so that no
// operation is ever pushed out of it.
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/tools_seq_matrix.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "plugin/base/globals.h"
#include "plugin/model/ope_list.h"

namespace {

int opeType(const OPE_LIST* o) { return o ? static_cast<int>(o->toolType) : 0; }

template <class T>
int ascending(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int withinTie(double a, double b) {
    if (std::fabs(a - b) < g_tolerances.tol04T) return 0;
    return a < b ? -1 : 1;
}

}  // namespace

std::unique_ptr<CToolsSeqMatrix> makeToolsSeqMatrix() { return std::make_unique<ToolSequenceMatrix>(); }

int ToolSequenceMatrix::groupViewCount(const VIEW_LIST* first) {
    if (!first) return 0;
    const auto group = first->groupNumber;
    int count = 0;
    for (const VIEW_LIST* v = first; v && v->groupNumber == group; v = v->next)
        ++count;
    return count;
}

int ToolSequenceMatrix::build(VIEW_LIST* first, std::int16_t selectedOnly) {
    cells_.clear();
    rows_ = columns_ = 0;
    auto taken = [&](const POINT_LIST& p) {
        return p.excluded != 1 && (!selectedOnly || p.selected != 0);
    };
    std::vector<POINT_LIST*> holes;
    int longest = 0;
    const int views = groupViewCount(first);
    VIEW_LIST* v = first;
    for (int k = 0; k < views; ++k, v = v->next) {
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            if (!taken(*p)) continue;
            holes.push_back(p);
            int chain = 0;
            for (OPE_LIST* o = p->opeList; o; o = o->next) ++chain;
            longest = std::max(longest, chain);
        }
    }
    rows_ = static_cast<int>(holes.size());
    columns_ = 2 * (longest + 1) + 1;
    try {
        cells_.assign(static_cast<std::size_t>(rows_) * columns_, nullptr);
    } catch (const std::bad_alloc&) {
        rows_ = columns_ = 0;
        return -1;
    }
    for (int r = 0; r < rows_; ++r) {
        cells_[static_cast<std::size_t>(r) * columns_] = holes[r];
        int c = 0;
        for (OPE_LIST* o = holes[r]->opeList; o; o = o->next, ++c) {
            setOperation(r, c, o);
            o->holeRow = r;
        }
    }
    return 0;
}

POINT_LIST* ToolSequenceMatrix::holeAt(int row) const {
    if (row < 0 || row >= rows_) return nullptr;
    return static_cast<POINT_LIST*>(cells_[static_cast<std::size_t>(row) * columns_]);
}

OPE_LIST* ToolSequenceMatrix::operationAt(int row, int column) const {
    if (row < 0 || row >= rows_ || column < 0 || column >= operationColumns()) return nullptr;
    return static_cast<OPE_LIST*>(cells_[static_cast<std::size_t>(row) * columns_ + column + 1]);
}

int ToolSequenceMatrix::toolTypeAt(int row, int column) const { return opeType(operationAt(row, column)); }

void ToolSequenceMatrix::setOperation(int row, int column, OPE_LIST* ope) {
    if (row < 0 || row >= rows_ || column < 0 || column >= operationColumns()) return;
    cells_[static_cast<std::size_t>(row) * columns_ + column + 1] = ope;
}

void ToolSequenceMatrix::widen() {
    std::vector<void*> wider(static_cast<std::size_t>(rows_) * (columns_ + 1), nullptr);
    for (int r = 0; r < rows_; ++r)
        std::copy_n(cells_.begin() + static_cast<std::ptrdiff_t>(r) * columns_, columns_,
                    wider.begin() + static_cast<std::ptrdiff_t>(r) * (columns_ + 1));
    cells_ = std::move(wider);
    ++columns_;
}

int ToolSequenceMatrix::mostPopulatedType(std::int16_t column) const {
    struct POPULATED_TYPES {
        std::int32_t type;
        std::int16_t count;
    };
    std::vector<POPULATED_TYPES> seen;
    for (int r = 0; r < rows_; ++r) {
        const int t = toolTypeAt(r, column);
        auto it = std::find_if(seen.begin(), seen.end(), [t](const POPULATED_TYPES& p) { return p.type == t; });
        if (it == seen.end()) seen.push_back({t, 1});
        else ++it->count;
    }
    int best = 0, bestCount = 0;
    for (const POPULATED_TYPES& p : seen)
        if (p.count > bestCount) best = p.type, bestCount = p.count;
    return best;
}

bool ToolSequenceMatrix::columnHasSingleType(int column, int firstRow) const {
    int reference = -1;
    for (int r = firstRow; r >= 0 && reference < 0; --r)
        if (operationAt(r, column)) reference = toolTypeAt(r, column);
    for (int r = firstRow + 1; r < rows_ && reference < 0; ++r)
        if (operationAt(r, column)) reference = toolTypeAt(r, column);
    if (reference < 0) return true;
    for (int r = firstRow + 1; r < rows_; ++r)
        if (operationAt(r, column) && toolTypeAt(r, column) != reference) return false;
    return true;
}

bool ToolSequenceMatrix::typeInEarlierColumns(int column, int type) const {
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < column; ++c)
            if (operationAt(r, c) && toolTypeAt(r, c) == type) return true;
    return false;
}

void ToolSequenceMatrix::insertGap(int row, int column) {
    if (row < 0 || row >= rows_ || column < 0 || column >= operationColumns()) return;
    if (operationAt(row, operationColumns() - 1)) widen();
    for (int c = operationColumns() - 1; c > column; --c) setOperation(row, c, operationAt(row, c - 1));
    setOperation(row, column, nullptr);
}

void ToolSequenceMatrix::alignColumns(std::FILE*, const char*) {
    for (int c = 0; c < operationColumns(); ++c) {
        if (columnHasSingleType(c, 0)) continue;
        for (int pass = 0;; ++pass) {
            bool done = false, shifted = false;
            for (int r = 0; r < rows_ && !done; ++r) {
                if (!operationAt(r, c)) continue;
                const int t = toolTypeAt(r, c);
                bool shift;
                if (c == 0) shift = t != mostPopulatedType(0);
                else if (pass == 0) shift = !typeInEarlierColumns(c, t);
                else shift = t != mostPopulatedType(static_cast<std::int16_t>(c));
                if (!shift) continue;
                insertGap(r, c);
                shifted = true;
                done = columnHasSingleType(c, r);
            }
            // Every pass after the first shifts what differs from the column's commonest type, so a pass
            // that shifts nothing has left the column single-typed; the check keeps the loop finite anyway.
            if (done || columnHasSingleType(c, 0) || (!shifted && pass > 0)) break;
        }
    }
}

int compareSequenceOperations(const OPE_LIST* a, const OPE_LIST* b) {
    if (int k = ascending(b->layer, a->layer)) return k;
    if (int k = ascending(opeType(a), opeType(b))) return k;
    for (double OPE_LIST::*measure : {&OPE_LIST::toolDiam, &OPE_LIST::cornerRadius, &OPE_LIST::coneAngle})
        if (int k = withinTie(a->*measure, b->*measure)) return k;
    auto place = [](const OPE_LIST* o) {
        return o->view ? o->view->sortIndex : std::int16_t{0};
    };
    return ascending(place(a), place(b));
}

std::int16_t ToolSequenceMatrix::toSequence(std::vector<OPE_LIST*>& out, std::int16_t) const {
    out.clear();
    for (int c = 0; c < operationColumns(); ++c) {
        const std::size_t from = out.size();
        for (int r = 0; r < rows_; ++r)
            if (OPE_LIST* o = operationAt(r, c)) out.push_back(o);
        // Measures equal within a tolerance do not give a strict order; a merge sort stays within bounds
        // whatever the comparator says.
        std::stable_sort(out.begin() + static_cast<std::ptrdiff_t>(from), out.end(),
                         [](const OPE_LIST* a, const OPE_LIST* b) { return compareSequenceOperations(a, b) < 0; });
    }
    return static_cast<std::int16_t>(out.size());
}

void ToolSequenceMatrix::print(std::FILE* log, const char* title) const {
    if (!log) return;
    std::fprintf(log, "\n%s\n", title);
    for (int r = 0; r < rows_; ++r) {
        char label[256];
        const POINT_LIST* hole = holeAt(r);
        std::snprintf(label, sizeof label, "%38s",
                      fieldText(hole->description).c_str());
        for (char* ch = label; *ch; ++ch)
            if (*ch == ' ') *ch = '_';
        std::fprintf(log, "%38s ->", label);
        for (int c = 0; c < operationColumns(); ++c) {
            const OPE_LIST* o = operationAt(r, c);
            if (o)
                std::fprintf(log, " T%.2i%c", o->toolIndex,
                             static_cast<char>('a' + (opeType(o) & 0xFF)));
            else
                std::fprintf(log, " T___");
        }
        std::fprintf(log, "\n");
    }
    std::fflush(log);
}
