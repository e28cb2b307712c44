// Execute as the user runs it on builder parts whose holes meet one another: from which side each hole is
// drilled (the classes), a hole handed to a view of the opposite direction that the run makes, a through
// hole blocked below made blind, a hole too deep for one drill, a hole no table of the library describes,
// and a Cancel with the debug switch on. What is asserted is what lands in the saved part and what the
// user is told.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "host/api_views.h"
#include "platform/sys/files.h"
#include "plugin/cycle/records.h"
#include "plugin/base/settings.h"
#include "plugin/engine/engine_state.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/operation_values.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "recognition_pipeline_support.h"
#include "plugin/services/engine.h"
#include "support/execute_part_fixture.h"

namespace {

using namespace recog_q;

constexpr double kTipHalfAngle = 59 * std::numbers::pi / 180;   // the settings' 118 degree drill
constexpr const char* kCrashInto = "1 holes run into another hole.";
constexpr const char* kNotReachable = "1 holes cannot be reached from their side.";

// A bore along X through the block at (y, z). With `splitWall` its wall is two half faces, so that a ray
// along Z meets its roof and its floor as two surfaces.
HoleSpec boreAlongX(double y, double z, double d, bool splitWall = false) {
    HoleSpec h = throughHole("bore", {0, y, z}, {1, 0, 0}, d);
    h.splitWall = splitWall;
    return h;
}

class RunCasesTest : public ExecutePartFixture {
protected:
    // One Execute, its transcript alone.
    void execute(int told = 0) {
        plat::driver().transcript().clear();
        executeOnce(told);
    }
    // The part reopened, its tree checked for what every kept tree must be.
    void reopen() {
        ExecutePartFixture::reopen();
        expectWellFormed(kept);
    }
    static std::vector<const OPE_LIST*> drills(const POINT_LIST& hole) {
        std::vector<const OPE_LIST*> out;
        for (const OPE_LIST* op = hole.opeList; op; op = op->next)
            if (op->toolType == tool_type::drill) out.push_back(op);
        return out;
    }
    static const CIL_DESC& lastDesc(const POINT_LIST& hole) { return hole.descs[hole.descCount - 1]; }
};

// ---- the classes: from which side each hole is drilled -------------------------------------------------------

TEST_F(RunCasesTest, EachHoleIsDrilledFromTheSideItsEndsAllow) {
    struct Case {
        const char* name;
        PartBuilder part;
        double x, y;              // the hole's axis in world XY
        double direction;         // Z of its view's axis after the run: +1 from the top, -1 from below
        double drillTop, drillBottom;   // the Z range its drills cover in that view
        bool notAccessible, crashInto;
        const char* told;         // a line of the summary, or null
    };
    const double boreFloor = 20 - std::sqrt(8 * 8 - 2.5 * 2.5);      // the bore d16's floor at a d5 hole's wall
    const double upperFloor = 30 - std::sqrt(6 * 6 - 2.5 * 2.5);     // the d12 bores' floor and roof there
    const double lowerRoof = 10 + std::sqrt(6 * 6 - 2.5 * 2.5);
    const double countersinkTop = 20 - std::sqrt(8 * 8 - 4.5 * 4.5);
    const Case cases[] = {
        // Open at both ends: drilled from its own side, through.
        {"through", PartBuilder::block({60, 40, 30}).hole(throughHole("a", {30, 20, 30}, kDown, 5)), 30, 20, 1, 30,
         0, false, false, nullptr},
        // Entered from the floor of a bore: a drill from the top would cut the bore's roof, so it is drilled
        // from below, in a view of the opposite direction that no hole had, up into the bore.
        {"crash at the top",
         PartBuilder::block({60, 40, 30}).hole(boreAlongX(20, 20, 16)).hole(throughHole("v", {30, 20, 12}, kDown, 5)),
         30, 20, -1, 0, -boreFloor, false, false, nullptr},
        // From the floor of one bore into the roof of another: neither end can be reached. It stays, marked,
        // and the user is told.
        {"crash at the top, bottom unreachable",
         PartBuilder::block({60, 40, 40})
             .hole(boreAlongX(20, 30, 12))
             .hole(boreAlongX(20, 10, 12))
             .hole(blindFlat("v", {30, 20, 24}, kDown, 5, 11)),
         30, 20, 1, upperFloor, lowerRoof, true, false, kNotReachable},
        // Countersunk from the bore's floor: not one plain cylinder, and the drill-size table has no row for it
        // as one, so it cannot be handed to the other side either. It stays with its own operations, marked.
        {"crash at the top, not one cylinder",
         PartBuilder::block({60, 40, 30})
             .hole(boreAlongX(20, 20, 16))
             .hole(countersunk("v", {30, 20, 12}, kDown, 5, 9)),
         30, 20, 1, countersinkTop, 0, true, false, kNotReachable},
        // A flat bottom on a cross hole's roof: the drill's tip would run into the cross hole.
        {"crash into another hole",
         PartBuilder::block({60, 40, 30})
             .hole(blindFlat("blind", {20, 20, 30}, kDown, 8, 12))
             .hole(boreAlongX(20, 15, 6, true)),
         20, 20, 1, 30, 18, false, true, kCrashInto},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start(c.part);
        execute();
        for (const char* line : {kCrashInto, kNotReachable})
            EXPECT_EQ(transcript().contains(line), c.told && std::string(c.told) == line) << line;
        reopen();
        const POINT_LIST* hole = headAt(c.x, c.y);
        ASSERT_NE(hole, nullptr);
        EXPECT_NEAR(hole->view->matrix[2][2], c.direction, 1e-9);
        EXPECT_EQ(hole->notAccessible, c.notAccessible);
        EXPECT_EQ(hole->crashInto, c.crashInto);
        const std::vector<const OPE_LIST*> drill = drills(*hole);
        ASSERT_FALSE(drill.empty());
        double top = drill[0]->zSup, bottom = drill[0]->zInf;
        for (const OPE_LIST* op : drill) {
            top = std::max(top, op->zSup);
            bottom = std::min(bottom, op->zInf);
        }
        EXPECT_NEAR(top, c.drillTop, 1e-3);
        EXPECT_NEAR(bottom, c.drillBottom, 1e-3);
    }
}

// A hole entered from the roof of a bore at 30 degrees: it is drilled from below along its own axis, in a
// view the host did not have before the run.
TEST_F(RunCasesTest, AnInclinedHoleCrashingAtTheTopGetsANewViewOfTheOppositeDirection) {
    const double c = std::cos(std::numbers::pi / 6), s = std::sin(std::numbers::pi / 6);
    start(PartBuilder::block({60, 60, 40})
              .hole(boreAlongX(30, 28, 16))
              .hole(throughHole("v", {30, 30 - 8 * s, 28 - 8 * c}, {0, -s, -c}, 5)));
    const double upward[3] = {0, s, c}, fromBelow[3] = {0, -s, -c};
    int number = 0;
    char found = 0;
    ASSERT_EQ(find_view_k(fromBelow, &number, 0, &found), 0);
    execute();
    reopen();
    ASSERT_EQ(find_view_k(fromBelow, &number, 0, &found), 1);   // made by the run
    EXPECT_GT(number, 8);
    // The tree keeps no view of the hole's own side: the hole was its only one.
    for (const VIEW_LIST* view = kept; view; view = view->next)
        EXPECT_GT(std::hypot(view->matrix[2][1] - upward[1], view->matrix[2][2] - upward[2]), 1e-6);
    std::vector<const POINT_LIST*> v;   // the holes but the bore
    for (const POINT_LIST* p : heads())
        if (std::fabs(p->view->matrix[2][0]) < 1e-9) v.push_back(p);
    ASSERT_EQ(v.size(), 1u);
    const POINT_LIST& hole = *v.front();
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(hole.view->matrix[2][i], fromBelow[i], 1e-9);
    EXPECT_EQ(hole.view->viewNumber, number);
    // Its point is on the same axis, now at the mouth in the block's bottom; the drill runs through up into
    // the bore.
    EXPECT_NEAR(hole.ptUniv[0], 30, 1e-6);
    EXPECT_NEAR((hole.ptUniv[1] - 30) * c - (hole.ptUniv[2] - 28) * s, 0, 1e-6);
    EXPECT_LT(hole.ptUniv[2], 0.1);
    ASSERT_EQ(drills(hole).size(), 1u);
    EXPECT_EQ(drills(hole).front()->through, 1);
    EXPECT_EQ(lastDesc(hole).Through, 1);
}

// A hole drilled from the top into a bore along X: a drill breaking through must stop short of the bore's
// far wall, with its breakthrough ("ProcessMach" 24: half the diameter) and its tip.
TEST_F(RunCasesTest, AThroughHoleBlockedBelowIsMadeBlindAboveWhatBlocksIt) {
    struct Case {
        double boreD;
        bool blind;
    };
    for (const Case c : {Case{8.5, true}, Case{16, false}}) {
        SCOPED_TRACE(c.boreD);
        // Cut to end inside the bore: the hole opens into it.
        start(PartBuilder::block({60, 40, 30})
                  .hole(boreAlongX(20, 15, c.boreD))
                  .hole(blindFlat("v", {30, 20, 30}, kDown, 8, 14)));
        execute();
        reopen();
        const POINT_LIST* hole = headAt(30, 20);
        ASSERT_NE(hole, nullptr);
        EXPECT_EQ(hole->view->viewNumber, 1);
        const CIL_DESC& d = lastDesc(*hole);
        const double mouth = 15 + std::sqrt(c.boreD * c.boreD / 4 - 16);   // the wall of d8 meets the bore
        const double farWall = 15 - c.boreD / 2;
        const double reach = 0.5 * 8 + 4 / std::tan(kTipHalfAngle);
        EXPECT_NEAR(hole->crashBottomZ, farWall, 1e-2);
        EXPECT_EQ(d.Through, !c.blind);
        EXPECT_NEAR(d.zBottom, c.blind ? farWall + reach : mouth, 1e-2);
        const std::vector<const OPE_LIST*> drill = drills(*hole);
        ASSERT_EQ(drill.size(), 1u);
        EXPECT_EQ(drill.front()->through, !c.blind);
        // Made blind, the drill's point stops at the new bottom; through, the drill leaves at the mouth.
        const double point = c.blind ? drill.front()->zInf - 4 / std::tan(kTipHalfAngle) : drill.front()->zInf;
        EXPECT_NEAR(point, d.zBottom, 1e-2);
    }
}

// The drill-size table lets a 6 mm drill go 57 deep; the hole is 80 deep. With "ProcessMach" 27 it is
// drilled from both sides, "ProcessMach" 28 being the share from its own; without, the drill is limited and
// a second, marked drilling finishes the depth.
TEST_F(RunCasesTest, AHoleTooDeepForOneDrillIsDrilledFromBothSidesOrFinishedInTwoGoes) {
    struct Case {
        std::int16_t bothSides;
        double share;
    };
    for (const Case c : {Case{1, 0.5}, Case{1, 0.625}, Case{0, 0.5}}) {
        SCOPED_TRACE(std::to_string(c.bothSides) + " " + std::to_string(c.share));
        start(PartBuilder::block({40, 40, 80}).hole(throughHole("deep", {20, 20, 80}, kDown, 6)));
        g_globals->settings.tryDrillBeyondMax = c.bothSides;
        g_globals->settings.firstFaceShare = c.share;
        ASSERT_EQ(writeSettings(0), 0);
        execute();
        reopen();
        const POINT_LIST* top = headAt(20, 20, 1);
        const POINT_LIST* below = headAt(20, 20, -1);
        ASSERT_NE(top, nullptr);
        ASSERT_EQ(heads().size(), c.bothSides ? 2u : 1u);
        const std::vector<const OPE_LIST*> drill = drills(*top);
        if (c.bothSides) {
            ASSERT_NE(below, nullptr);
            const double fromTop = 80 * c.share;
            ASSERT_EQ(drill.size(), 1u);
            EXPECT_NEAR(drill[0]->zSup, 80, 1e-6);
            EXPECT_NEAR(drill[0]->zInf, 80 - fromTop, 1e-6);
            EXPECT_NEAR(lastDesc(*top).zBottom, 80 - fromTop, 1e-6);
            // The rest from below, in the bottom view's Z: the two drills meet.
            ASSERT_EQ(drills(*below).size(), 1u);
            EXPECT_NEAR(drills(*below)[0]->zSup, 0, 1e-6);
            EXPECT_NEAR(drills(*below)[0]->zInf, -(80 - fromTop), 1e-6);
            EXPECT_EQ(top->depthChecked, 0);
        } else {
            ASSERT_EQ(drill.size(), 2u);
            EXPECT_NEAR(drill[0]->zInf, 80 - 57, 1e-6);
            EXPECT_EQ(drill[0]->through, 0);
            EXPECT_NEAR(drill[1]->zSup, 80 - 57, 1e-6);   // "ProcessMach" 59: from where the first stopped
            EXPECT_NEAR(drill[1]->zInf, 0, 1e-6);
            EXPECT_EQ(drill[1]->drillMode, 12);
            EXPECT_EQ(top->depthChecked, 1);
        }
    }
}

// Three steps: no table of the library describes the hole. A table is made for it and the hole tried again,
// so it has the table, a provisional row and the process; the next run finds that table in the library.
TEST_F(RunCasesTest, AHoleNoTableDescribesGetsANewTableThatTheNextRunFinds) {
    start(PartBuilder::block({60, 40, 30}).hole(stepped("s", {30, 20, 30}, kDown, {{14, 4}, {10, 4}, {6, 6}})));
    const std::string tables = g_globals->tablesDir;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        execute();
        reopen();
        const POINT_LIST* hole = headAt(30, 20);
        ASSERT_NE(hole, nullptr);
        EXPECT_STREQ(hole->tableName, "_Forantix_3d_1");
        EXPECT_GE(hole->rowIndex, 0);
        EXPECT_EQ(std::string(hole->rowName).rfind("**", 0), 0u) << hole->rowName;
        EXPECT_NE(hole->processName[0], '\0');
        ASSERT_EQ(hole->descCount, 3);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(hole->descs[i].D, 14 - 4 * i, 1e-6);
        std::vector<double> sizes;
        for (const OPE_LIST* op : drills(*hole)) sizes.push_back(op->toolDiam);
        std::sort(sizes.begin(), sizes.end());
        EXPECT_EQ(sizes, (std::vector<double>{6, 10}));
        EXPECT_TRUE(plat::fileExists(tables + "/_Forantix_3d_1.tab"));
        EXPECT_FALSE(plat::fileExists(tables + "/_Forantix_3d_2.tab"));
    }
}

// A hole of 26 walls, one more than a hole's description holds, is left out: the summary tells it and the
// work folder's list names its place; the holes beside it keep their processes. One of 25 walls stays.
TEST_F(RunCasesTest, AHoleOfMoreWallsThanADescriptionHoldsIsToldAndTheOthersKeepTheirProcesses) {
    for (const int walls : {25, 26}) {
        SCOPED_TRACE(walls);
        const bool dropped = walls > 25;
        std::vector<std::pair<double, double>> steps;
        for (int i = 0; i < walls; ++i) steps.emplace_back(30 - 0.5 * i, 1);
        start(PartBuilder::block({120, 40, 30})
                  .hole(throughHole("left", {10, 20, 30}, kDown, 6))
                  .hole(stepped("long", {50, 20, 30}, kDown, steps))
                  .hole(blindFlat("right", {100, 20, 30}, kDown, 8, 10)));
        execute(dropped ? 0 : 2);   // kept, its profile is longer than the Z limits check takes: told twice
        EXPECT_EQ(plat::driver().transcript().contains(
                      "1 holes of more than 25 walls were left out: a hole's description holds no more."),
                  dropped);
        const std::string listed = plat::readFile(g_globals->tmpDir + "/26_Dropped.txt").value_or("");
        EXPECT_EQ(listed.find("X50 Y20 Z30 D30 more than 25 walls") != std::string::npos, dropped) << listed;
        reopen();
        EXPECT_EQ(headAt(50, 20) == nullptr, dropped);
        for (const double x : {10.0, 100.0}) {
            const POINT_LIST* hole = headAt(x, 20);
            ASSERT_NE(hole, nullptr) << x;
            EXPECT_NE(hole->processName[0], '\0') << x;
            EXPECT_FALSE(drills(*hole).empty()) << x;
        }
        (void)plat::removeFile(g_globals->tmpDir + "/26_Dropped.txt");
    }
}

// Line 27 of the installation's "DefaultSettings" makes the same-shape comparison strict: equal holes then
// share one process only when their top walls are one surface, so three equal holes are three. It moves no
// tool plane's origin.
TEST_F(RunCasesTest, DefaultSettingsLine27MakesTheSameShapeStrict) {
    std::string texts = plat::readFile(std::string(FX_SOURCE_DIR) + "/data/Forantix.txt").value_or("");
    const std::size_t line = texts.find("\r\n27. 0\r\n", texts.find("[DefaultSettings]"));
    ASSERT_NE(line, std::string::npos);
    for (const bool strict : {false, true}) {
        SCOPED_TRACE(strict);
        texts[line + 6] = strict ? '1' : '0';
        installUiTexts(texts);
        start(PartBuilder::block({80, 40, 10})
                  .hole(throughHole("a", {20, 20, 10}, kDown, 6))
                  .hole(throughHole("b", {40, 20, 10}, kDown, 6))
                  .hole(throughHole("c", {60, 20, 10}, kDown, 6)));
        execute();
        EXPECT_EQ(g_globals->settings.sameShapeStrict, strict ? 1 : 0);
        EXPECT_EQ(g_globals->settings.originFromLevelPoint, 0);
        reopen();
        EXPECT_EQ(heads().size(), strict ? 3u : 1u);
    }
}

// A Cancel at the first progress step of a run started with the debug switch on: the tree of the run
// before is gone and none follows, and the process log the run opened is closed.
TEST_F(RunCasesTest, ACancelWithTheDebugSwitchOnLeavesNoTreeAndClosesTheProcessLog) {
    start(PartBuilder::block({40, 40, 12}).hole(throughHole("a", {10, 10, 12}, kDown, 6)));
    std::uint32_t flags = 0;
    script().click(kSummary, plat::IDOK);
    EXPECT_GE(runRecognition(&flags), 0);
    ASSERT_NE(g_records->viewsTree, nullptr);

    const std::string log = g_globals->tmpDir + "/25_Process.txt";
    g_globals->debugDumps = 1;
    script().cancelWait();
    EXPECT_EQ(runRecognition(&flags), -1);
    g_globals->debugDumps = 0;
    expectScriptPlayed();
    EXPECT_TRUE(host::waitDialog().cancelled);
    EXPECT_FALSE(host::waitDialog().open);
    EXPECT_EQ(g_records->viewsTree, nullptr);
    EXPECT_EQ(g_engine->processLog, nullptr);
    EXPECT_TRUE(plat::readFile(log));   // opened for the run, and nothing was traced before the Cancel
    EXPECT_EQ(plat::readFile(log).value_or("?"), "");
}

}  // namespace
