// Recognised holes assigned to the shipped library "FORMS_MM/Standard" (tables in folder order as the
// driver loads them): the example plate's holes and built ones find real rows, others get a row added, the
// adaptable search or none; a drill-size table is given up, overlong holes are refused, equal holes chain.
#include <gtest/gtest.h>

#include <cstdio>
#include <numbers>

#include "plugin/engine/engine_state.h"
#include "plugin/engine/hole_description.h"
#include "plugin/engine/table_assignment.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/services/recognition.h"
#include "support/hole_tables_fixture.h"
#include "plugin/model/work_records.h"

namespace {

constexpr double kDeg = std::numbers::pi / 180;

struct ASSIGNED {
    const char* what;
    hb::HoleSpec hole;
    const char* table;
    const char* row;
    int added = 0;                 // 1: a provisional row added for the hole, -1: no table found
    const char* coded = nullptr;   // a drawing's attribute on the hole
};

class TableAssignmentTest : public HoleTablesFixture {
protected:
    void SetUp() override {
        HoleTablesFixture::SetUp();
        ASSERT_GT(loadAllTables(tables, &drill), 0);
    }
    // Opens the process log, runs the assignment and returns the log's text.
    std::string assignLogged(POINT_LIST*& hole, int* result) {
        const std::string path = dir.path() + "/25_Process.txt";
        g_engine->processLog = std::fopen(path.c_str(), "w");
        *result = assignTableToHole(hole, tables, drill);
        std::fclose(g_engine->processLog);
        g_engine->processLog = nullptr;
        return plat::readFile(path).value_or("");
    }
    // Assigns the hole and checks the table and row it took, a real row of the library unless one was added.
    void expectAssigned(POINT_LIST* hole, const std::string& table, const std::string& row, int added = 0) {
        ASSERT_NE(hole, nullptr);
        int result = 0;
        const std::string log = assignLogged(hole, &result);
        EXPECT_EQ(hole->tableName, table);
        EXPECT_EQ(hole->rowName, row);
        EXPECT_EQ(hole->provisionalRow, added > 0 ? 1 : 0);
        EXPECT_EQ(hole->noMeasures, added > 0 ? 1 : 0);
        if (added < 0) {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(hole->tableIndex, -1);
            EXPECT_EQ(hole->descCount, 0);
            EXPECT_NE(log.find("     No hay tabla adaptable. Crea tabla nueva\n"), std::string::npos) << log;
            return;
        }
        EXPECT_GE(result, 1) << log;
        EXPECT_EQ(hole->descCount, result);
        EXPECT_STREQ(hole->processName, "1");
        ASSERT_GE(hole->rowIndex, 0);
        if (added) EXPECT_NE(log.find("     Se añaden medidas en: '" + table + "'\n"), std::string::npos) << log;
        else EXPECT_EQ(this->table(table).findRowByName(row), hole->rowIndex) << "the row was added";
    }
    void expectGrid(const std::vector<ASSIGNED>& cases) {
        recogniseGrid(cases);
        g_records->viewsTree = tree;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(cases[i].what);
            expectAssigned(holeAt(gridX(i), gridY(i)), cases[i].table, cases[i].row, cases[i].added);
        }
        g_records->viewsTree = nullptr;
    }

    std::vector<CTabColsDesc> tables;
    int drill = -1;
};

// Where the grids' holes are drilled from, before they are laid on the grid.
const host::Vec3 kEntry{0, 0, 30}, kDown{0, 0, -1};

TEST_F(TableAssignmentTest, EveryHoleOfTheExamplePlateFindsARealRow) {
    struct AT {
        double x, y;
        const char* table;
        const char* row;
    };
    // The necked hole takes the row of its bore: its groove, wider than the bore, is no step of its form.
    const std::vector<AT> plate = {
        {15, 15, "Drilled", "D8"},          {40, 15, "Blind flat", "F10"},     {65, 15, "Drilled", "D8.5"},
        {90, 15, "Counterbored", "CB6.6"},  {15, 45, "Countersunk", "CS12.6"}, {40, 45, "Counterbored", "SF9"},
        {65, 45, "Stepped", "S12-8-5"},     {95, 45, "Drilled", "D10"},        {15, 68, "Drilled", "D12"},
        {40, 68, "Drilled", "D5"},          {65, 68, "Blind flat", "F6"},
    };
    recogniseStep(std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step");
    g_records->viewsTree = tree;
    std::size_t holes = 0;
    for (VIEW_LIST* v = tree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) ++holes;
    EXPECT_EQ(holes, plate.size());
    for (const AT& at : plate) {
        SCOPED_TRACE(std::to_string(at.x) + ", " + std::to_string(at.y));
        expectAssigned(holeAt(at.x, at.y), at.table, at.row);
    }
    g_records->viewsTree = nullptr;
}

// Built holes beside the plate's: attributes, shallow countersinks, odd edges and shapes no row has.
TEST_F(TableAssignmentTest, BuiltHolesGetARealRowARowAddedTheAdaptableWindowOrNoTable) {
    hb::HoleSpec toric = hb::throughHole("toric", kEntry, kDown, 10);
    toric.entryFillet = 1;
    expectGrid({
        {"reamed H7 fit: the same form, its fit kept for the reamer", hb::throughHole("h", kEntry, kDown, 8), "Drilled",
         "D8", 0, "PD_H7_8"},
        {"countersunk 90 degrees for M3, shallower than the chamfer depth",
         hb::countersunk("cs3", kEntry, kDown, 3.4, 6.4, 90), "Countersunk", "CS6.4"},
        {"tapped M8 over its core drill", hb::holeAt("m8", kEntry, kDown).cylinder(6.8, 12).cylinder(6.6, 6).tip(118),
         "Tapped", "M8", 0, "GD_M8_20"},
        {"150 degree bottom cone: no form has it", hb::blindTipped("c", kEntry, kDown, 8, 15, 150), "", "", -1},
        {"countersink in the window and no such countersink: a chamfered bore",
         hb::countersunk("s", kEntry, kDown, 4.5, 6.5, 90), "Drilled", "D4.5"},
        {"countersink outside the window", hb::countersunk("S", kEntry, kDown, 4.5, 6.5, 120), "Countersunk",
         "**4.5x0.58", 1},
        {"toric entry edge", toric, "Drilled", "D10"},
        {"chamfered counterbore: the adaptable window",
         hb::holeAt("a", kEntry, kDown).chamfer(13, 11, 100).cylinder(11, 6.4).throughCylinder(6.6), "Counterbored",
         "CB6.6"},
        {"countersink in the window, no row in either table that takes it: the row goes into the first",
         hb::countersunk("s2", kEntry, kDown, 2.4, 4.4, 90), "Countersunk", "**2.4x1", 1},
    });
    // The adaptable search widened the table's window to the hole's 50 degree chamfer.
    const POINT_LIST* adapted = holeAt(gridX(7), gridY(7));
    EXPECT_EQ(adapted->adaptTableIndex, adapted->tableIndex);
    EXPECT_NEAR(adapted->adaptedWindow[0], 0.767945, 1e-9);   // the table's own 44 degrees
    EXPECT_NEAR(adapted->adaptedWindow[1], 2.0, 1e-9);
    EXPECT_NEAR(adapted->adaptedWindow[2], 118 * kDeg, 1e-9);
    EXPECT_NEAR(adapted->adaptedWindow[3], 51 * kDeg, 1e-9);
    EXPECT_EQ(adapted->outOfWindow, 1);
    EXPECT_EQ(adapted->descs[0].topChamfer, 1);
}

// Every tip angle the adaptable search meets widens the run's range, whether a table takes the hole or not;
// a hole matched at once adds nothing.
TEST_F(TableAssignmentTest, TheAdaptableSearchWidensTheRunsTipAngleRange) {
    auto chamferedCounterbore = [](double tipDeg) {
        return hb::holeAt("t", kEntry, kDown).chamfer(13, 11, 100).cylinder(11, 5).cylinder(6.6, 10).tip(tipDeg);
    };
    struct CASE {
        const char* what;
        hb::HoleSpec hole;
        int result;   // 1: a table found, -1: none
        double smallestDeg, largestDeg;
        const char* coded = nullptr;
    };
    const std::vector<CASE> cases = {
        {"adapted, tip 125", chamferedCounterbore(125), 1, 125, 125},
        {"no table even adapted, tip 112", chamferedCounterbore(112), -1, 112, 125},
        {"matched at once, tip 118", hb::blindTipped("plain", kEntry, kDown, 8, 15, 118), 1, 112, 125},
    };
    recogniseGrid(cases);
    RUN_STATS& stats = g_records->runStats;
    stats.smallestTipAngle = std::numbers::pi;
    stats.largestTipAngle = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        POINT_LIST* hole = holeAt(gridX(i), gridY(i));
        ASSERT_NE(hole, nullptr);
        int result = 0;
        (void)assignLogged(hole, &result);
        EXPECT_EQ(result > 0 ? 1 : result, cases[i].result);
        EXPECT_NEAR(stats.smallestTipAngle / kDeg, cases[i].smallestDeg, 1e-6);
        EXPECT_NEAR(stats.largestTipAngle / kDeg, cases[i].largestDeg, 1e-6);
    }
}

TEST_F(TableAssignmentTest, AssigningAgainReplacesTheDescriptionAndHolesOfMoreThan25SegmentsAreRefused) {
    recognise({down("b", 20, 20).cylinder(8, 15).tip(118)});
    POINT_LIST* hole = holeAt(20, 20);
    ASSERT_NE(hole, nullptr);
    int result = 0;
    const std::string log = assignLogged(hole, &result);
    ASSERT_EQ(result, 1);
    EXPECT_NE(log.find("     Tabla valida\n     Medidas encontradas en linea 9 'D8'\n"), std::string::npos) << log;
    // The second description replaces the first, which is released (the sanitizer build would see a leak).
    EXPECT_EQ(assignTableToHole(hole, tables, drill), 1);
    EXPECT_EQ(hole->descCount, 1);

    std::vector<CYL_LIST> segs = alternating(26);
    POINT_LIST longHole;
    longHole.firstCyl = &segs[0];
    POINT_LIST* longPtr = &longHole;
    const std::string refused = assignLogged(longPtr, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(longHole.tableIndex, -1);
    EXPECT_EQ(longHole.descs, nullptr);
    EXPECT_NE(refused.find("   Agujero de mas de 25 segmentos: no se describe\n"), std::string::npos) << refused;
    longHole.firstCyl = nullptr;
}

TEST_F(TableAssignmentTest, AMatchingDrillSizeTableIsGivenUpAndTakesNoProvisionalRow) {
    // A drill-size table whose diameter is a table cylinder: its rows 8 and 8.5 bracket no hole of 4.6.
    std::string text = plat::readFile(tablesDir + "/Drilled.tab").value_or("");
    text.replace(text.find("[Class] 0"), 9, "[Class] 1");
    ASSERT_TRUE(plat::writeFile(tablesDir + "/Sizes.tab", text));
    ASSERT_TRUE(plat::writeFile(tablesDir + "/Sizes.txt", "8 8 1 \r\n8.5 8.5 1 \r\n"));
    tables = {table("Sizes")};
    drill = 0;
    recognise({down("t", 20, 20).throughCylinder(4.6)});
    POINT_LIST* hole = holeAt(20, 20);
    int result = 0;
    const std::string log = assignLogged(hole, &result);
    EXPECT_EQ(result, -1);
    EXPECT_NE(log.find("     Tabla basica. No se pueden añadir medidas automaticamnte\n"), std::string::npos) << log;
    EXPECT_EQ(plat::readFile(tablesDir + "/Sizes.txt").value_or(""), "8 8 1 \r\n8.5 8.5 1 \r\n");
}

TEST_F(TableAssignmentTest, EqualHolesOfAViewChainBehindTheFirstAndShareTheirAttributes) {
    recognise({down("a", 10, 10).throughCylinder(8), down("b", 30, 10).throughCylinder(6),
               down("c", 50, 10).throughCylinder(8), down("d", 70, 10).throughCylinder(8)});
    nameHole("GS_M10_20", 50, 10);   // one of the 8 mm holes carries a thread by attribute
    readNameHoleAttribs(tree);
    POINT_LIST *a = holeAt(10, 10), *b = holeAt(30, 10), *c = holeAt(50, 10), *d = holeAt(70, 10);
    ASSERT_TRUE(a && b && c && d);
    ASSERT_EQ(c->firstCyl->isTap, 1);
    c->firstCyl->attribSuffix = 1;

    EXPECT_EQ(numberIdenticalHoles(tree, true), 2);
    EXPECT_EQ(a->chainCount, 2);
    EXPECT_EQ(a->nextEqual, c);
    EXPECT_EQ(c->nextEqual, d);
    EXPECT_EQ(b->chainMember, 0);
    propagateFitThreadAttribs(tree);
    for (const POINT_LIST* p : {a, c, d}) EXPECT_DOUBLE_EQ(p->firstCyl->threadDiam, 10);
    EXPECT_EQ(b->firstCyl->isTap, 0);

    clearChainFlags(tree);
    for (const POINT_LIST* p : {a, b, c, d}) EXPECT_TRUE(!p->chainMember && !p->chainCount && !p->nextEqual);
    // With attributes compared, a hole whose thread came by another attribute stands alone.
    c->firstCyl->attribSuffix = 2;
    EXPECT_EQ(numberIdenticalHoles(tree, false), 3);
    EXPECT_EQ(a->nextEqual, d);
}

}  // namespace
