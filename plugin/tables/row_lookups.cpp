// Sorting the rows of a table and finding a row by a value: nearest in a column, thread diameter and
// pitch, drilled diameter, two diameters, or a row equal to given cells within the table's tolerances.
// Row indices count from 0, column ids from 1.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/model/tab_cols_desc.h"

namespace {

constexpr double kAngleTolerance = 0.000872664626;   // 0.05 degree

// A name is text whatever it holds: one that reads as NaN ("nan") counts as a text that is no number, 0, so
// that it sorts among the others.
double number(const std::string& text) {
    const double v = std::atof(text.c_str());
    return std::isnan(v) ? 0.0 : v;
}

}  // namespace

int CTabColsDesc::sortRowsByColumn(int k) {
    if (k < 1) return 1;
    if (k > columnCount) return 2;
    const bool numeric = tableClass == kTableDrillSize || tableClass == kTableNamed || k == 1;
    // Each number read once, not at every comparison; a table in order already (sorted at every hole) stays.
    std::vector<double> keys;
    for (int r = 0; r < rowCount && numeric; ++r) keys.push_back(number(cell(r, k - 1)));
    const auto before = [&](int x, int y) {
        return numeric ? keys[static_cast<std::size_t>(x)] < keys[static_cast<std::size_t>(y)]
                       : plat::compareNoCase(cell(x, k - 1), cell(y, k - 1)) < 0;
    };
    bool inOrder = cells.size() == static_cast<std::size_t>(rowCount) * static_cast<std::size_t>(columnCount);
    for (int r = 1; r < rowCount && inOrder; ++r) inOrder = !before(r, r - 1);
    if (inOrder) return 0;
    std::vector<int> order(static_cast<std::size_t>(rowCount));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), before);
    std::vector<std::string> sorted;
    sorted.reserve(cells.size());
    for (int r : order)
        for (int c = 0; c < columnCount; ++c) sorted.push_back(std::move(cells[static_cast<std::size_t>(r) * columnCount + c]));
    cells = std::move(sorted);
    return 0;
}

int CTabColsDesc::findNearestRow(int k, double target, int mode, std::vector<std::string>& out) {
    if (k < 1 || rowCount < 1 || k > columnCount) {
        (void)getRow(-1, out);
        return 1;
    }
    (void)sortRowsByColumn(k);
    const double t = g_tolerances.tolT;
    for (int r = 0; r < rowCount; ++r) {
        (void)getRow(r, out);
        const double v = number(cell(r, k - 1));
        switch (mode) {
            case 0:
                if (std::fabs(v - target) <= t) return 0;
                break;
            case 1:
                if (v >= target) return 0;
                break;
            case 2: {
                if (std::fabs(v - target) <= t) return 0;
                if (r + 1 < rowCount) {
                    const double next = number(cell(r + 1, k - 1));
                    if (next > target) {
                        if (std::fabs(next - target) < std::fabs(v - target)) (void)getRow(r + 1, out);
                        return 0;
                    }
                }
                break;
            }
            default: break;
        }
    }
    return mode == 1 ? 0 : 1;
}

int CTabColsDesc::findRowByDiameterPitch(double d, double p, std::vector<std::string>& out) const {
    if (columnCount < 3) return -1;
    for (int r = 0; r < rowCount; ++r) {
        (void)getRow(r, out);
        if (std::fabs(number(cell(r, 1)) - d) < 0.03 * d && std::fabs(number(cell(r, 2)) - p) < 0.01 * p) return r;
    }
    return -1;
}

int CTabColsDesc::findRowByDiameter(double d, std::vector<std::string>& out) const {
    if (columnCount < 4) return -1;
    for (int r = 0; r < rowCount; ++r) {
        if (std::fabs(number(cell(r, 3)) - d) < d * diameterTolerance) {
            (void)getRow(r, out);
            return r;
        }
    }
    return -1;
}

// The first value is the thread's nominal diameter (column 2), the second the drilled one (column 4): the
// order in which the tap-mark search passes them.
int CTabColsDesc::findRowByTwoValues(double first, double second, std::vector<std::string>& out) const {
    if (columnCount < 4) return 0;
    for (int r = 0; r < rowCount; ++r) {
        if (std::fabs(number(cell(r, 1)) - first) < first * diameterTolerance &&
            std::fabs(number(cell(r, 3)) - second) < second * diameterTolerance) {
            (void)getRow(r, out);
            return r + 1;
        }
    }
    return 0;
}

int CTabColsDesc::findEqualRow(const std::vector<std::string>& given) const {
    // The tolerance of each column: which id of a kind-1 item it is (1, 2, 3), 0 for other columns.
    std::vector<std::int16_t> role(static_cast<std::size_t>(std::max<int>(columnCount, 0)), 0);
    for (int c = 0; c < columnCount; ++c) {
        std::int16_t kind = 0, itemRole = 0;
        if (getColumnInfo(static_cast<std::int16_t>(c + 1), nullptr, &kind, nullptr, &itemRole) == 0)
            role[static_cast<std::size_t>(c)] = itemRole;
    }
    for (int r = 0; r < rowCount; ++r) {
        double tolerance = g_tolerances.tolT;
        bool equal = true;
        for (int c = 0; c < columnCount && equal; ++c) {
            if (c + 1 == processColumn) continue;
            const std::string& mine = cell(r, c);
            const std::string& theirs = static_cast<std::size_t>(c) < given.size() ? given[static_cast<std::size_t>(c)] : mine;
            if (mine == theirs) continue;
            if (!isNumericText(theirs)) {
                equal = false;
                break;
            }
            const double value = number(mine);
            switch (role[static_cast<std::size_t>(c)]) {
                case 1: tolerance = std::fabs(value) * diameterTolerance; break;
                case 2: tolerance = std::fabs(value) * lengthTolerance; break;
                case 3: tolerance = kAngleTolerance; break;
                default: break;
            }
            equal = std::fabs(number(theirs) - value) <= tolerance;
        }
        if (equal) return r;
    }
    return -1;
}
