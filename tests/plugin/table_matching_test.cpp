// Matching descriptions against the shipped tables where the standard holes' runs do not reach: what keeps
// a form out, the nearest-row, thread and angle edges of the row test, the lookup by name, and the chamfer
// and tip angles and the one-record description of whole holes.
#include <gtest/gtest.h>

#include <numbers>

#include "plugin/engine/hole_description.h"
#include "plugin/engine/table_matching.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "support/hole_tables_fixture.h"

namespace {

constexpr double kDeg = std::numbers::pi / 180;

// A record: diameter, length, full cone angle in degrees, flat, threaded designation.
CIL_DESC record(double D, double L, double coneDeg = 0, int flat = 0, const char* thread = nullptr) {
    CIL_DESC v;
    v.D = D;
    v.L = v.L2 = L;
    v.coneAngle = coneDeg * kDeg / 2;
    v.Flat = static_cast<std::uint8_t>(flat);
    if (thread) {
        v.opeGeo = 1;
        setFieldText(v.threadName, thread);
    }
    return v;
}

class TableMatchingTest : public HoleTablesFixture {
protected:
    CTabColsDesc entries(const std::string& name) {
        CTabColsDesc t = table(name);
        std::vector<std::string> first;
        (void)t.getRow(0, first);
        (void)t.buildCilColumns(first);
        return t;
    }
};

TEST_F(TableMatchingTest, TheFormTestComparesCylinderTypesFlatsAndCones) {
    struct CASE {
        const char* table;
        std::vector<CIL_DESC> descs;
        bool threadSwitch;
        int matches;
    } cases[] = {
        // The shipped forms' matches are the standard holes' runs; here what keeps a table out.
        {"Countersunk", {record(4.5, 2.45), record(4.5, 27.5)}, false, 0},          // a cylinder where a cone is
        {"Counterbored", {record(11, 6.4), record(6.6, 23.6)}, false, 0},           // no shoulder
        {"Counterbored", {record(11, 6.4, 0, 1)}, false, 0},                         // one cylinder short
        {"Drilled", {record(8, 30, 118)}, false, 0},                                 // a first record's cone counts
        {"Tapped", {record(6.8, 20)}, false, 0},
        {"Tapped", {record(6.8, 20)}, true, 1},                                      // "ProcessMach" 57
        {"Metric coarse", {record(6.8, 20)}, false, 0},                              // no cylinder entries
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.table);
        const CTabColsDesc t = entries(c.table);
        EXPECT_EQ(tableMatchesShape(t, c.descs.data(), static_cast<int>(c.descs.size()), c.threadSwitch), c.matches);
    }
}

TEST_F(TableMatchingTest, RowsFitByNearestSizeThreadDesignationOrDiameterWithLengthAndAngle) {
    // A nearest-row table of rows 8 and 8.5: between them a hole goes to the nearer row; the last row
    // never fits by itself.
    CTabColsDesc nearest = entries("Drilled");
    nearest.classValue5 = 1;
    nearest.cells = {"D8", "8", "1", "", "D8.5", "8.5", "1", ""};
    nearest.rowCount = 2;
    CTabColsDesc single = nearest;
    single.cells.resize(4);
    single.rowCount = 1;
    CTabColsDesc empty = nearest;
    empty.cells.clear();
    empty.rowCount = 0;
    const CTabColsDesc counterbored = entries("Counterbored");
    const CTabColsDesc tapped = entries("Tapped");
    CTabColsDesc countersunk = entries("Countersunk");
    countersunk.cells = {"CS", "4.5", "2.4", "90", "4.5", "1", ""};
    countersunk.rowCount = 1;
    struct CASE {
        const char* what;
        const CTabColsDesc& table;
        std::vector<CIL_DESC> descs;
        int row;
    } cases[] = {
        {"8.3 between, nearer 8.5", nearest, {record(8.3, 10)}, 1},
        {"8.2 between, nearer 8", nearest, {record(8.2, 10)}, 0},
        {"8.5 through the first row", nearest, {record(8.5, 10)}, 1},
        {"9 beyond", nearest, {record(9, 10)}, -1},
        {"a single row fits nothing", single, {record(8, 10)}, -1},
        {"no rows", empty, {record(8, 10)}, -2},
        {"counterbore too deep", counterbored, {record(11, 7.5, 0, 1), record(6.6, 22.5)}, -1},
        {"bore 8 % off", counterbored, {record(11, 6.4, 0, 1), record(7.2, 23.6)}, -1},
        // The diameter tolerance (1 %) is a share of the row's diameter: 0.26 on a 26 counterbore.
        {"counterbore 0.2 over its 26", counterbored, {record(26.2, 16.6, 0, 1), record(17.5, 23.6)}, 7},
        {"counterbore 0.3 over its 26", counterbored, {record(26.3, 16.6, 0, 1), record(17.5, 23.6)}, -1},
        {"m8 normalised", tapped, {record(6.8, 20, 0, 0, "m8")}, 7},
        {"90 degree countersink", countersunk, {record(4.5, 2.45, 90), record(4.5, 27.5)}, 0},
        {"100 degree countersink", countersunk, {record(4.5, 2.45, 100), record(4.5, 27.5)}, -1},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<CIL_DESC> descs = c.descs;
        EXPECT_EQ(findMeasuresLine(c.table, descs.data(), static_cast<int>(descs.size())), c.row);
    }
    // With "ProcessMach" 57 a plain hole fits the thread whose tap drill it has, and becomes that thread.
    g_globals->settings.forceTapping = 1;
    std::vector<CIL_DESC> plain = {record(6.8, 20)};
    EXPECT_EQ(findMeasuresLine(tapped, plain.data(), 1), 7);
    const CIL_DESC& v = plain[0];
    EXPECT_EQ(v.opeGeo, 1);
    EXPECT_EQ(fieldText(v.threadName), "M8");
    EXPECT_DOUBLE_EQ(v.threadDiameter, 8);
    EXPECT_DOUBLE_EQ(v.threadPitch, 1.25);
    EXPECT_DOUBLE_EQ(v.threadDepth, 20);

    EXPECT_EQ(findMeasuresLineByName(counterbored, "cb6.6"), 3);
    EXPECT_EQ(findMeasuresLineByName(counterbored, "CB7"), -1);
    EXPECT_EQ(findMeasuresLineByName(empty, "D8"), -2);
}

TEST_F(TableMatchingTest, ChamferAndTipAnglesAndTheOneRecordHoleOfRecognisedHoles) {
    recognise({down("p", 15, 15).throughCylinder(8), hb::countersunk("s", {35, 15, kTop}, {0, 0, -1}, 4.5, 6.5, 100),
               hb::blindTipped("b", {55, 15, kTop}, {0, 0, -1}, 8, 15, 130),
               hb::counterbored("c", {80, 15, kTop}, {0, 0, -1}, 6.6, 11, 6.4, 20)});
    struct CASE {
        double x;
        double largest, depth, tip;   // degrees and length; the smallest is the window's 46
        double D, L;                  // the one record, from the top face down
        int flat, tipTool, through;
    } cases[] = {
        {15, 44, 0, 118, 8, 30, 0, 0, 1},
        {35, 50, 1, 118, 4.5, 30, 0, 0, 1},
        {55, 44, 0, 130, 8, 15, 0, 1, 0},
        {80, 44, 0, 118, 6.6, 20, 1, 0, 0},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.x);
        const POINT_LIST* hole = holeAt(c.x, 15);
        ASSERT_NE(hole, nullptr);
        double largest = 0, smallest = 0, depth = 0, tip = 0;
        EXPECT_EQ(getChamferAndTipAngles(hole, &largest, &smallest, &depth, &tip), 0);
        EXPECT_NEAR(largest, c.largest * kDeg, 1e-9);
        EXPECT_NEAR(smallest, 46 * kDeg, 1e-9);
        EXPECT_NEAR(depth, c.depth, 1e-9);
        EXPECT_NEAR(tip, c.tip * kDeg, 1e-9);
        CIL_DESC one;
        EXPECT_EQ(simplifyToOneCylinder(hole, &one, 44 * kDeg, 46 * kDeg, 2), 1);
        const CIL_DESC& v = one;
        EXPECT_NEAR(v.D, c.D, 1e-9);
        EXPECT_NEAR(v.zTop, kTop, 1e-9);
        EXPECT_NEAR(v.zBottom, c.through ? 0 : kTop - c.L, 1e-9);
        EXPECT_NEAR(v.L, c.L, 1e-9);
        EXPECT_EQ(v.Flat, c.flat);
        EXPECT_EQ(v.TipTool, c.tipTool);
        EXPECT_EQ(v.Through, c.through);
        EXPECT_NEAR(v.tipAngle, c.tipTool ? c.tip * kDeg : 0, 1e-9);
    }
}

}  // namespace
