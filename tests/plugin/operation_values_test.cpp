// Processes of the shipped metric library applied to described holes: which operations land on the hole,
// with which tool type, diameter and Z limits, and how the hole's shape changes the tool.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/engine/operation_values.h"
#include "plugin/engine/operation_zlimits.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/tool_hole_profile.h"
#include "support/process_fixture.h"

namespace {

namespace C = process_calc;
constexpr double kDeg = std::numbers::pi / 180;
const double kTan59 = std::tan(59 * kDeg);

class OperationValues : public ProcessFixture {};

// Recognised holes given their rows' processes are played through Execute in recognition_run_cases_test.cpp
// and recognition_session_test.cpp; these are the cases that turn on settings and on the description.
TEST_F(OperationValues, ShippedProcessesOnDescribedHoles) {
    const CIL blind5{.D = 5, .zTop = 0, .zBottom = -12, .tipTool = 1, .tipAngleDeg = 118};
    const CIL thread6{.D = 5.2, .zTop = 0, .zBottom = -10, .tipTool = 1, .tipAngleDeg = 118, .opeGeo = 1,
                      .threadDiameter = 6, .threadPitch = 1, .threadDepth = 8};
    CIL unknownThread = thread6;
    unknownThread.threadPitch = 0.3;
    struct CASE {
        const char* what;
        const char* table;
        const char* row;
        std::vector<CIL> hole;
        std::function<void(PRM_SETTINGS&)> settings;
        std::vector<EXPECTED_OP> ops;
    } cases[] = {
        {"a reamer on a plain bore is left out", "Drilled", "D6", {{.D = 6, .zTop = 0, .zBottom = -12, .through = 1}},
         {}, {{2, 10, 0, -1.8, 0}, {3, 6, 0, -12, 1}}},
        {"unless reaming is forced", "Drilled", "D6", {{.D = 6, .zTop = 0, .zBottom = -12, .through = 1}},
         [](PRM_SETTINGS& s) { s.forceReaming = 1; },
         {{2, 10, 0, -1.8, 0}, {3, 6, 0, -12, 1}, {6, 6, 0, -12, 1}}},
        {"an unknown thread keeps the bore for its drill", "Tapped", "M6", {unknownThread}, {},
         {{2, 10, 0, -5.2 * 0.3, 0}, {3, 5.2, 0, -10, 0}, {4, 6, 0, -10, 0}}},
        // The core drill comes from the thread table, 6.75 for the 6.8 drawn: its tip goes down by half the
        // difference over the tip's slope, so that its cone still meets the wall where the drawn one did.
        {"a tapped hole's core drill from the thread table", "Tapped", "M8",
         {{.D = 6.8, .zTop = 0, .zBottom = -17.94, .tipTool = 1, .tipAngleDeg = 118, .opeGeo = 1,
           .threadDiameter = 8, .threadPitch = 1.25, .threadDepth = 17.94}},
         {},
         {{2, 10, 0, -0.3 * 6.75, 0}, {3, 6.75, 0, -17.94 - 0.025 / kTan59, 0}, {4, 8, 0, -17.94 - 0.025 / kTan59, 0}}},
        {"a counterbore: the mill stops on the step's floor", "Counterbored", "CB5.5",
         {{.D = 10, .zTop = 0, .zBottom = -5.4, .flat = 1}, {.D = 5.5, .zTop = -5.4, .zBottom = -12, .through = 1}},
         {},
         {{2, 10, 0, -1.65, 0}, {3, 5.5, 0, -12, 1}, {10, 10, 0, -5.4, 0}}},
        {"a stepped hole: the drill through the bore, each mill to its own step's floor", "Stepped", "S12-8-5",
         {{.D = 12, .zTop = 0, .zBottom = -4, .flat = 1},
          {.D = 8, .zTop = -4, .zBottom = -8, .flat = 1},
          {.D = 5, .zTop = -8, .zBottom = -12, .through = 1}},
         {},
         {{2, 10, 0, -1.5, 0}, {3, 5, 0, -12, 1}, {10, 8, 0, -8, 0}, {10, 12, 0, -4, 0}}},
        {"fixed spot drilling: the set diameter and depth", "Drilled", "D5", {blind5},
         [](PRM_SETTINGS& s) {
             s.overrideSpotDrill = 1;
             s.spotDrillDiameter = 6;
             s.spotDepthValue = -2;
         },
         {{2, 6, 0, -2, 0}, {3, 5, 0, -12, 0}}},
        // A spot drill cuts with its cone only: a 10 mm one of 90 degrees goes 5 deep at most.
        {"a spot drill within its cone", "Drilled", "D20", {{.D = 20, .zTop = 0, .zBottom = -30, .through = 1}}, {},
         {{2, 10, 0, -5, 0}, {3, 20, 0, -30, 1}}},
        {"a fixed spot depth within the cone too", "Drilled", "D12", {{.D = 12, .zTop = 0, .zBottom = -20, .through = 1}},
         [](PRM_SETTINGS& s) {
             s.overrideSpotDrill = 1;
             s.spotDrillDiameter = 6;
             s.spotDepthValue = -4;
         },
         {{2, 6, 0, -3, 0}, {3, 12, 0, -20, 1}}},
        // Nor does it go below the segment it starts in: in a thin sheet, the sheet.
        {"a spot drill within a thin sheet", "Drilled", "D12", {{.D = 12, .zTop = 0, .zBottom = -1.9, .through = 1}},
         {}, {{2, 10, 0, -1.9, 0}, {3, 12, 0, -1.9, 1}}},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        const PRM_SETTINGS saved = g_globals->settings;
        if (c.settings) c.settings(g_globals->settings);
        TEST_VIEW v;
        POINT_LIST* h = v.hole(c.hole);
        assign(*h, c.table, c.row);
        ASSERT_EQ(apply(*h), 0);
        expectOperations(*h, c.ops);
        g_globals->settings = saved;
    }
}

TEST_F(OperationValues, ThreadDrillAndUnknownThreadAreTold) {
    TEST_VIEW v;
    CIL thread{.D = 5.2, .zTop = 0, .zBottom = -10, .tipTool = 1, .tipAngleDeg = 118, .opeGeo = 1,
               .threadDiameter = 6, .threadPitch = 1, .threadDepth = 8};
    POINT_LIST* found = v.hole({thread});
    thread.threadPitch = 0.3;
    POINT_LIST* unknown = v.hole({thread});
    for (POINT_LIST* h : {found, unknown}) {
        assign(*h, "Tapped", "M6");
        ASSERT_EQ(apply(*h), 0);
    }
    EXPECT_EQ(operations(*found)[1]->drillMode, kDiamThreadDrill);
    const OPE_LIST& unknownTap = *operations(*unknown)[2];
    EXPECT_EQ(opeGet(*unknownTap.processOpe, C::threadUnknown), 1);
    EXPECT_NE(std::string(unknownTap.comment).find(errorMessage(54)), std::string::npos) << unknownTap.comment;
    // The drilled hole's description keeps its own diameter; the core drill changed only the table's copy.
    EXPECT_DOUBLE_EQ(found->descs[0].D, 5.2);
}

TEST_F(OperationValues, AutomaticChamferOnlyWhereThereIsNone) {
    CTabColsDesc& table = tables[static_cast<std::size_t>(tableIndex("Drilled"))];
    table.autoChamferOn = 1;
    table.autoChamferSize = 0.5;
    TEST_VIEW v;
    POINT_LIST* plain = v.hole({{.D = 5, .zTop = 0, .zBottom = -12, .through = 1}});
    POINT_LIST* chamfered =
        v.hole({{.D = 5, .zTop = 0, .zBottom = -12, .through = 1, .chamferDiameter = 7, .chamferAngleDeg = 45}}, 20);
    for (POINT_LIST* h : {plain, chamfered}) {
        assign(*h, "Drilled", "D5");
        ASSERT_EQ(apply(*h), 0);
    }
    EXPECT_EQ(plain->descs[0].topChamfer, 1);
    EXPECT_DOUBLE_EQ(plain->descs[0].chamferDiameter, 6);
    EXPECT_DOUBLE_EQ(plain->descs[0].chamferZ, -0.5);
    EXPECT_DOUBLE_EQ(chamfered->descs[0].chamferDiameter, 7);
}

TEST_F(OperationValues, ModesOfAnEndSplitAndFailures) {
    TEST_VIEW v;
    POINT_LIST* drilled = v.hole({{.D = 5, .zTop = 0, .zBottom = -12, .tipTool = 1, .tipAngleDeg = 118}});
    assign(*drilled, "Drilled", "D5");
    // The lower hole of an end split takes only finishing and chamfer operations: drills give none.
    EXPECT_EQ(apply(*drilled, kApplySplitBottom), 0);
    EXPECT_EQ(drilled->opeList, nullptr);
    POINT_LIST* tapped = v.hole({{.D = 5, .zTop = 0, .zBottom = -10, .tipTool = 1, .tipAngleDeg = 118, .opeGeo = 1,
                                  .threadDiameter = 6, .threadPitch = 1, .threadDepth = 8}}, 10);
    assign(*tapped, "Tapped", "M6");
    // The upper hole leaves the tap of its last cylinder to the other side.
    EXPECT_EQ(apply(*tapped, kApplySplitTop), 0);
    EXPECT_EQ(operations(*tapped).size(), 2u);

    POINT_LIST* none = v.hole({{.D = 5, .zTop = 0, .zBottom = -12}}, 20);
    EXPECT_EQ(apply(*none), -1);   // no table: no message
    assign(*none, "Drilled", "D5");
    setFieldText(none->processName, "NO SUCH");
    expectMessage();
    EXPECT_EQ(apply(*none), -2);
    expectScriptPlayed();
    std::vector<CTabColsDesc> noDrillTable;
    noDrillTable.push_back(tables[static_cast<std::size_t>(tableIndex("Drilled"))]);
    assign(*none, "Drilled", "D5");
    none->tableIndex = 0;
    expectMessage();
    EXPECT_EQ(applyProcessToHole(noDrillTable.data(), 1, *none, kApplyAll), -1);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains(errorMessage(57)));
}

// One definition worked on a table whose cylinder entries hold the given records.
struct ONE_DEF {
    std::uint32_t type;
    std::int16_t milledKind = 0;
    std::int16_t lineInt33 = 0;
};

PROCESS_OPE definition(const ONE_DEF& d) {
    using namespace process_ope;
    PROCESS_OPE op;
    opeSet(op, operationType, d.type);
    opeSet<std::int16_t>(op, toolDiamAssoc, 1);
    opeSet<std::int16_t>(op, toolDiamCol, 2);
    opeSet<std::int16_t>(op, milledKind, d.milledKind);
    opeSet<std::int16_t>(op, lineInt33, d.lineInt33);
    return op;
}

TEST_F(OperationValues, TheHoleShapeChangesTheTool) {
    struct CASE {
        const char* what;
        CIL cil;
        ONE_DEF def;
        std::uint32_t type;
        double toolDiam, cylDiam, corner;
    } cases[] = {
        {"a flat mill in a bottom of radius D/2 is a ball mill", {.D = 10, .zTop = 0, .zBottom = -5, .bottomRound = 5},
         {10}, 11, 10, 10, 5},
        {"a smaller bottom radius makes it toroidal", {.D = 10, .zTop = 0, .zBottom = -5, .bottomRound = 2}, {10}, 19, 10,
         10, 2},
        {"a sharp bottom keeps it flat", {.D = 10, .zTop = 0, .zBottom = -5}, {10}, 10, 10, 10, 0},
        {"an edge-radius mill on a plain chamfer is a chamfer mill 5% over the chamfer, rounded up",
         {.D = 10, .zTop = 0, .zBottom = -5, .chamferDiameter = 12, .chamferAngleDeg = 45}, {15}, 12, 15, 10, 0},
        {"a milled chamfer mill works three chamfer widths inside its diameter",
         {.D = 10, .zTop = 0, .zBottom = -5, .chamferDiameter = 12, .chamferAngleDeg = 45}, {12, 1, 1}, 12, 10, 7, 0},
    };
    for (const CASE& c : cases) {
        CTabColsDesc table;
        table.cilEntries.resize(1);
        table.cilEntries[0].cil = cilDesc(c.cil);
        PROCESS_OPE def = definition(c.def);
        ASSERT_EQ(setProcessToolValues(table, {}, 1, &def), 0) << c.what;
        EXPECT_EQ(opeGet(def, process_ope::operationType), c.type) << c.what;
        EXPECT_DOUBLE_EQ(opeGet(def, C::calcToolDiam), c.toolDiam) << c.what;
        EXPECT_NEAR(opeGet(def, C::calcCylDiam), c.cylDiam, 1e-9) << c.what;
        EXPECT_DOUBLE_EQ(opeGet(def, C::calcCornerRadius), c.corner) << c.what;
    }
}

// A tool that cuts a wall to the cylinder's diameter takes the step at or below it; a tool that only starts
// or finishes there, the nearest step.
TEST_F(OperationValues, AToolCuttingTheWallIsNeverWiderThanIt) {
    struct CASE {
        std::uint32_t type;
        double D, toolDiam;
    } cases[] = {
        {3, 7.9375, 7.925},  {3, 7.925, 7.925}, {3, 10.1, 10.1}, {6, 7.9375, 7.925},
        {10, 12.7125, 12.7}, {8, 6.3625, 6.35}, {2, 7.9375, 7.95},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " on " + std::to_string(c.D));
        CTabColsDesc table;
        table.cilEntries.resize(1);
        table.cilEntries[0].cil = cilDesc({.D = c.D, .zTop = 0, .zBottom = -20, .through = 1});
        PROCESS_OPE def = definition({c.type});
        ASSERT_EQ(setProcessToolValues(table, {}, 1, &def), 0);
        EXPECT_NEAR(opeGet(def, C::calcToolDiam), c.toolDiam, 1e-9);
    }
}

// A fitted bore: its drill leaves the fit table's allowance on each side for the reamer, which cuts the
// bore's own diameter; both carry the fit's value.
TEST_F(OperationValues, AFittedBoreIsDrilledTwoAllowancesUnderAndReamedToSize) {
    const std::string fits =
        "[Class] 3 21 0 0 0\r\n[Desc]\r\n"
        "[Item 1] 1 1 \"D\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n"
        "[Item 2] 4 2 \"Allowance\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n"
        "[Item 3] 7 3 \"Tolerance\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n"
        "[Prm]\r\n0 0.000 0.000 0 0.000 0 0.000 0 0.767945 0.802851 2.000 0 2.000 0 0.000 0 0.000 0.020 0.160\r\n"
        "[BmpPrm]\r\n0.0000 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n"
        "[BmpLastVal]\r\n12.0000 1.0000 45.00 0 118.0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0000000000\r\n"
        "[Process]\r\n";
    ASSERT_TRUE(plat::writeFile(tablesDir + "/Fits {H7}.tab", fits));
    ASSERT_TRUE(plat::writeFile(tablesDir + "/Fits {H7}.txt", "6 0.1 0.012\r\n10 0.15 0.015\r\n16 0.2 0.018\r\n"));
    CIL_DESC fitted = cilDesc({.D = 10, .zTop = 0, .zBottom = -20, .through = 1, .opeGeo = 2});
    std::memcpy(fitted.fitName, "H7", 3);
    struct CASE {
        std::uint32_t type;
        double toolDiam;
    } cases[] = {{3, 10 - 2 * 0.15}, {6, 10}};
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.type);
        CTabColsDesc table;
        table.cilEntries.resize(1);
        table.cilEntries[0].cil = fitted;
        PROCESS_OPE def = definition({c.type});
        ASSERT_EQ(setProcessToolValues(table, {}, 1, &def), 0);
        EXPECT_NEAR(opeGet(def, C::calcToolDiam), c.toolDiam, 1e-9);
        EXPECT_NEAR(opeGet(def, C::calcCylDiam), 10, 1e-9);
        EXPECT_NEAR(opeGet(def, C::calcFitValue), 0.015, 1e-9);
    }
}

// A drill leaving a through hole goes on by the breakthrough: a length ("ProcessMach" 24 off) or a share of
// its diameter.
TEST_F(OperationValues, TheBreakthroughIsALengthOrAShareOfTheDiameter) {
    struct CASE {
        std::int16_t byRatio;
        double brkthr;
    } cases[] = {{0, 1.25}, {1, 0.3 * 6}};
    PRM_SETTINGS& s = g_globals->settings;
    s.breakthroughLength = 1.25;
    s.breakthroughRatio = 0.3;
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.byRatio);
        s.breakthroughMode = c.byRatio;
        TEST_VIEW v;
        POINT_LIST* h = v.hole({{.D = 6, .zTop = 0, .zBottom = -12, .through = 1}});
        assign(*h, "Drilled", "D6");
        ASSERT_EQ(apply(*h), 0);
        const OPE_LIST& drill = *operations(*h)[1];
        ASSERT_EQ(drill.toolType, 3u);
        EXPECT_EQ(drill.through, 1);
        EXPECT_DOUBLE_EQ(drill.brkthr, c.brkthr);
    }
}

TEST_F(OperationValues, AMissingNamedToolAsksAndCancelStopsTheHole) {
    CTabColsDesc table;
    table.cilEntries.resize(1);
    table.cilEntries[0].cil = cilDesc({.D = 10, .zTop = 0, .zBottom = -5});
    PROCESS_OPE def = definition({10});
    opeSet<std::int16_t>(def, process_ope::toolDiamAssoc, 2);
    // No name: asked, OK; the empty name is not in the library: asked, Cancel.
    expectMessage();
    script().answer(plat::IDCANCEL);
    EXPECT_EQ(setProcessToolValues(table, {"R1"}, 1, &def), -1);
    expectScriptPlayed();
    // A name not in the library, OK: the definition goes on with its stored values.
    setOpeText(def, process_ope::toolName, "NO SUCH TOOL");
    opeSet(def, process_ope::toolDiam, 6.0);
    expectMessage();
    EXPECT_EQ(setProcessToolValues(table, {"R1"}, 1, &def), 0);
    expectScriptPlayed();
    EXPECT_DOUBLE_EQ(opeGet(def, C::calcToolDiam), 6);
    EXPECT_EQ(opeGet(def, C::diamSource), kDiamFromCylinder);
}

TEST_F(OperationValues, InterferenceSectionEndsBelowAThroughHoleByItsExit) {
    g_globals->settings.allowOversizeTools = 1;   // the section widens by the oversize allowance
    g_globals->settings.oversizeLimit = 0.01;
    CTabColsDesc table;
    table.cilEntries.resize(2);
    table.cilEntries[0].cil = cilDesc({.D = 10, .zTop = 0, .zBottom = -5, .flat = 1});
    table.cilEntries[1].cil = cilDesc({.D = 6, .zTop = -5, .zBottom = -20, .through = 1});
    ToolHoleSection profile;
    ASSERT_EQ(buildInterferenceSection(table, profile), 0);
    // Face, wall, shoulder, wall, exit.
    ASSERT_EQ(profile.holeCount, 5);
    const double Di = 6.01;
    double end[2];
    segmentEnd(profile.hole[4], end);
    EXPECT_NEAR(end[0], Di / 2, 1e-9);
    EXPECT_NEAR(end[1], -20 - (Di / 2 + Di / 2 / kTan59), 1e-9);
    segmentEnd(profile.hole[2], end);
    EXPECT_NEAR(end[1], -5, 1e-9);   // the shoulder of a flat step that is not the last: no tip length
}

// A screw's drive as a CAD part draws it: a countersink cone, a hex socket (no wall of revolution) and a cone
// to a small flat bottom, in the table a run made for it. Each operation stops within the hole: the drill of
// the countersink's diameter, wider than the cone below, fits no wall the outline would have left open over
// the socket; nor does a drill whose table asks for 50 below the top go past the hole's end, blind or through.
TEST_F(OperationValues, NoOperationGoesPastTheHolesOwnEnd) {
    const std::string process =
        " 0 0 0 30.0000 {} 1 0 0.0000 0 0.0000 0 0 0 0.000000 0 0.000000 0 0.0000 0.0000 {} 0 0 0 0 0.0000 0 0 0 0 {} "
        "0\r\n";
    const std::string table =
        "[Class] 0 21 0 0 0\r\n[Desc]\r\n"
        "[Item 1] 0 1 \"Name\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n"
        "[Item 2] 1 2 \"D\" 0 0 2.55 3 \"L\" 4 \"A\" 0.21\r\n"
        "[Item 3] 1 5 \"d\" 0 1 0.41 0 \"\" 6 \"A1\" 0.00\r\n"
        "[Item 4] 3 7 \"Process\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n"
        "[Item 5] 8 8 \"\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n"
        "[Prm]\r\n0 0.000 0.000 0 0.000 0 0.000 0 0.767945 0.802851 2.101 0 2.000 0 0.000 0 0.000 0.080 0.160\r\n"
        "[BmpPrm]\r\n0.0000 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n"
        "[BmpLastVal]\r\n0.0000 0.0000 0.00 0 0.0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n"
        "[Process]\r\n"
        "[1 1] 2 0 5 0 1 5.0000 1 0 0 0 0.0000 3 0 0 0 0.0000" + process +
        "[1 2] 3 1 5 0 1 0.4100 1 0 0 0 0.0000 1 0 1 1 0.0000" + process +
        "[1 3] 3 1 2 0 0 2.5500 1 0 0 0 0.0000 1 0 1 1 0.0000" + process +
        "[1 4] 10 1 5 0 1 0.4100 1 0 0 1 0.0000 1 0 1 1 0.0000" + process +
        "[2 1] 3 1 2 0 0 2.5500 1 0 0 0 0.0000 0 0 0 0 -50.0000 0 0 1 30.0000 {} 1" +
        process.substr(process.find("{} 1") + 4) +
        "[2 2] 3 1 5 0 1 0.4100 1 0 0 0 0.0000 0 0 0 0 -50.0000 0 0 1 30.0000 {} 1" +
        process.substr(process.find("{} 1") + 4);
    ASSERT_TRUE(plat::writeFile(tablesDir + "/_Forantix_2d_1.tab", table));
    ASSERT_TRUE(plat::writeFile(tablesDir + "/_Forantix_2d_1.txt", "**2.55x0.21 2.55 0.21 90 0.41 120 1\r\n"));
    loadAllTables(tables, &drillIndex);
    const double end = -2.035;
    const struct {
        const char* what;
        const char* process;
        std::uint8_t through;
    } cases[] = {
        {"the shipped steps", "1", 0},
        {"a depth typed 50 below the top", "2", 0},
        {"a depth typed 50 below the top of a hole that goes through", "2", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TEST_VIEW v;
        POINT_LIST* h = v.hole({{.D = 2.55, .zTop = 0, .zBottom = -0.21},
                                {.D = 0.41, .zTop = -1.435, .zBottom = end, .flat = !c.through, .through = c.through}});
        h->descs[0].coneAngle = 45 * kDeg;
        h->descs[1].coneAngle = 60 * kDeg;
        h->descs[1].L2 = 0.6;
        assign(*h, "_Forantix_2d_1", "**2.55x0.21");
        setFieldText(h->processName, c.process);
        ASSERT_EQ(apply(*h), 0);
        ASSERT_NE(h->opeList, nullptr);
        for (const OPE_LIST* op : operations(*h)) {
            SCOPED_TRACE("tool type " + std::to_string(op->toolType) + " Ø" + std::to_string(op->toolDiam));
            EXPECT_GE(op->zInf, end - 1e-9);
            EXPECT_LE(op->zInf, op->zSup);
            if (op->toolDiam > 2.5) {
                EXPECT_GT(op->zInf, -1.435);   // wider than the lower cone's mouth
            }
        }
    }
}

TEST_F(OperationValues, AFullSectionIsToldOnceAndKeepsWhatWasDrawn) {
    CTabColsDesc table;
    table.cilEntries.resize(30);
    for (int i = 0; i < 30; ++i)
        table.cilEntries[static_cast<std::size_t>(i)].cil =
            cilDesc({.D = 40.0 - i, .zTop = -i * 1.0, .zBottom = -i - 1.0, .flat = 1});
    ToolHoleSection profile;
    expectMessage();
    EXPECT_EQ(buildInterferenceSection(table, profile), 1);
    EXPECT_EQ(profile.holeCount, ToolHoleSection::kMaxSegments);
    expectScriptPlayed();
}

}  // namespace
