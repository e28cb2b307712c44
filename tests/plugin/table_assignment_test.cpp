// Recognised builder holes assigned to the shipped library ("FORMS_MM/Standard", tables in folder order as
// the driver loads them): the table, row and process each gets, rows added where a matching form table has
// none, the adaptable search, the trace in the process log, and the chains of equal holes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "plugin/engine/hole_description.h"
#include "plugin/engine/table_assignment.h"
#include "support/hole_tables_fixture.h"

namespace {

constexpr double kDeg = std::numbers::pi / 180;

struct ASSIGNED {
    const char* what;
    hb::HoleSpec hole;
    const char* coded;
    int result;          // records, or -1
    const char* table;
    const char* row;
    int provisional, added;
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
        g_globals->processLog = std::fopen(path.c_str(), "w");
        *result = assignTableToHole(hole, tables, drill);
        std::fclose(g_globals->processLog);
        g_globals->processLog = nullptr;
        return plat::readFile(path).value_or("");
    }

    std::vector<CTabColsDesc> tables;
    int drill = -1;
};

TEST_F(TableAssignmentTest, RecognisedHolesGetTheTableAndRowOfTheShippedLibrary) {
    const host::Vec3 o{0, 0, 30}, down{0, 0, -1};
    hb::HoleSpec toric = hb::throughHole("toric", o, down, 10);
    toric.entryFillet = 1;
    // Through, blind and fitted bores have one form, a fit counting as a plain bore: "Drilled" takes them all.
    const std::vector<ASSIGNED> cases = {
        {"through", hb::throughHole("t", o, down, 8), nullptr, 1, "Drilled", "D8", 0, 0},
        {"blind with a tip", hb::blindTipped("b", o, down, 8, 15), nullptr, 1, "Drilled", "D8", 0, 0},
        {"150 degree bottom cone: no form has it", hb::blindTipped("c", o, down, 8, 15, 150), nullptr, -1, "", "", 0, 0},
        {"countersink in the window and no such countersink: a chamfered bore", hb::countersunk("s", o, down, 4.5, 6.5, 90),
         nullptr, 1, "Drilled", "D4.5", 0, 0},
        {"countersink outside the window", hb::countersunk("S", o, down, 4.5, 6.5, 120), nullptr, 2, "Countersunk",
         "**4.5x0.58", 1, 1},
        {"counterbore", hb::counterbored("cb", o, down, 6.6, 11, 6.4), nullptr, 2, "Counterbored", "CB6.6", 0, 0},
        {"tapped over its core drill", hb::holeAt("m8", o, down).cylinder(6.8, 12).cylinder(6.6, 6).tip(118),
         "GD_M8_20", 1, "Tapped", "M8", 0, 0},
        {"reamed fit", hb::throughHole("h7", o, down, 8), "PD_H7_8", 1, "Drilled", "D8", 0, 0},
        {"toric entry edge", toric, nullptr, 1, "Drilled", "D10", 0, 0},
        {"chamfered counterbore: the adaptable window", hb::holeAt("a", o, down).chamfer(13, 11, 100).cylinder(11, 6.4).throughCylinder(6.6),
         nullptr, 2, "Counterbored", "CB6.6", 0, 0},
    };
    recogniseGrid(cases);
    g_globals->viewsTree = tree;

    for (std::size_t i = 0; i < cases.size(); ++i) {
        const ASSIGNED& c = cases[i];
        SCOPED_TRACE(c.what);
        POINT_LIST* hole = holeAt(gridX(i), gridY(i));
        ASSERT_NE(hole, nullptr);
        int result = 0;
        const std::string log = assignLogged(hole, &result);
        EXPECT_EQ(result, c.result) << log;
        EXPECT_STREQ(hole->tableName, c.table);
        EXPECT_STREQ(hole->rowName, c.row);
        EXPECT_EQ(hole->provisionalRow, c.provisional);
        if (c.result < 0) {
            EXPECT_EQ(hole->tableIndex, -1);
            EXPECT_EQ(hole->descCount, 0);
            EXPECT_NE(log.find("     No hay tabla adaptable. Crea tabla nueva\n"), std::string::npos);
            continue;
        }
        EXPECT_EQ(hole->noMeasures, c.added);
        ASSERT_GE(hole->tableIndex, 0);
        const CTabColsDesc& table = tables[static_cast<std::size_t>(hole->tableIndex)];
        EXPECT_EQ(table.name, c.table);
        ASSERT_GE(hole->rowIndex, 0);
        EXPECT_EQ(table.cell(hole->rowIndex, 0), c.row);
        EXPECT_STREQ(hole->processName, "1");
        ASSERT_EQ(hole->descCount, c.result);
        ASSERT_NE(hole->descs, nullptr);
        if (c.added) {
            EXPECT_NE(log.find("     Tablas validas sin medidas.\n"), std::string::npos) << log;
            EXPECT_NE(log.find(std::string("     Se añaden medidas en: '") + c.table + "'\n"), std::string::npos) << log;
        }
    }
    // The adaptable search widened the table's window to the hole's 50 degree chamfer.
    const POINT_LIST* adapted = holeAt(gridX(9), gridY(9));
    EXPECT_EQ(adapted->adaptTableIndex, adapted->tableIndex);
    EXPECT_NEAR(adapted->adaptedWindow[0], 0.767945, 1e-9);   // the table's own 44 degrees
    EXPECT_NEAR(adapted->adaptedWindow[1], 2.0, 1e-9);
    EXPECT_NEAR(adapted->adaptedWindow[2], 118 * kDeg, 1e-9);
    EXPECT_NEAR(adapted->adaptedWindow[3], 51 * kDeg, 1e-9);
    EXPECT_EQ(adapted->outOfWindow, 1);
    EXPECT_EQ(adapted->tipOutside, 0);
    EXPECT_EQ(cilValues(adapted->descs[0]).topChamfer, 1);
    g_globals->viewsTree = nullptr;
}

TEST_F(TableAssignmentTest, TheLogTracesTheSearchAssigningAgainReplacesTheDescriptionAndLongHolesAreRefused) {
    recognise({down("b", 20, 20).cylinder(8, 15).tip(118)});
    POINT_LIST* hole = holeAt(20, 20);
    ASSERT_NE(hole, nullptr);
    int result = 0;
    const std::string log = assignLogged(hole, &result);
    ASSERT_EQ(result, 1);
    EXPECT_EQ(log.rfind("\n--------------------------------------------------\n\nPunto cUniv 20.000 20.000 30.000 (entId=", 0), 0u);
    EXPECT_NE(log.find("   Descripcion s/Tabla Counterbored: 1 cilindros\n     1: D 8.000 L 15.000 opeGeo 0 TipTool\n"),
              std::string::npos) << log;
    EXPECT_NE(log.find("     Tabla valida\n     Medidas encontradas en linea 9 'D8'\n"), std::string::npos) << log;
    // The second description replaces the first, which is released (the sanitizer build would see a leak).
    EXPECT_EQ(assignTableToHole(hole, tables, drill), 1);
    ASSERT_NE(hole->descs, nullptr);
    EXPECT_EQ(hole->descCount, 1);
    EXPECT_EQ(cilValues(hole->descs[0]).TipTool, 1);

    // A hole of 26 segments is refused: result 0, no table, no description, no row added anywhere.
    std::vector<CYL_LIST> segs(26);
    for (std::size_t i = 0; i < segs.size(); ++i) {
        segs[i].rSup = segs[i].rInf = i % 2 ? 4 : 5;
        segs[i].zSup = -static_cast<double>(i), segs[i].zInf = -static_cast<double>(i + 1);
        if (i) segs[i - 1].next = &segs[i], segs[i].prev = &segs[i - 1];
    }
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
    std::vector<CTabColsDesc> only(1);
    ASSERT_EQ(only[0].read(tablesDir + "/Sizes.tab"), 0);
    only[0].readRows();
    tables = std::move(only);
    drill = 0;
    recognise({hb::throughHole("t", {20, 20, kTop}, {0, 0, -1}, 4.6)});
    POINT_LIST* hole = holeAt(20, 20);
    int result = 0;
    const std::string log = assignLogged(hole, &result);
    EXPECT_EQ(result, -1);
    EXPECT_NE(log.find("     Tablas validas sin medidas.\n     Tabla basica. No se pueden añadir medidas automaticamnte\n"
                       "     No hay tabla. Busca tabla adaptable\n     No hay tabla adaptable. Crea tabla nueva\n"),
              std::string::npos) << log;
    EXPECT_EQ(plat::readFile(tablesDir + "/Sizes.txt").value_or(""), "8 8 1 \r\n8.5 8.5 1 \r\n");
}

TEST_F(TableAssignmentTest, EqualHolesOfAViewChainBehindTheFirstAndShareTheirAttributes) {
    recognise({hb::throughHole("a", {10, 10, kTop}, {0, 0, -1}, 8), hb::throughHole("b", {30, 10, kTop}, {0, 0, -1}, 6),
               hb::throughHole("c", {50, 10, kTop}, {0, 0, -1}, 8), hb::throughHole("d", {70, 10, kTop}, {0, 0, -1}, 8)});
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
    EXPECT_EQ(c->chainMember, 1);
    EXPECT_EQ(b->chainMember, 0);
    propagateFitThreadAttribs(tree);
    for (const POINT_LIST* p : {a, c, d}) {
        EXPECT_EQ(p->firstCyl->isTap, 1);
        EXPECT_DOUBLE_EQ(p->firstCyl->threadDiam, 10);
    }
    EXPECT_EQ(b->firstCyl->isTap, 0);

    clearChainFlags(tree);
    for (const POINT_LIST* p : {a, b, c, d}) EXPECT_TRUE(!p->chainMember && !p->chainCount && !p->nextEqual);
    // With attributes compared, a hole whose thread came by another attribute stands alone.
    c->firstCyl->attribSuffix = 2;
    EXPECT_EQ(numberIdenticalHoles(tree, false), 3);
    EXPECT_EQ(a->nextEqual, d);
}

}  // namespace
