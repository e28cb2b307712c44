// The statistics of a recognition tree: hole and segment counts with the diameter range, the message that
// tells why no hole was found, and the holes counted by their states, a chain once by its head.
#include <gtest/gtest.h>

#include "plugin/base/globals.h"
#include "plugin/engine/run_statistics.h"
#include "plugin/model/tree.h"
#include "support/run_tree.h"
#include "plugin/model/work_records.h"

namespace {

class RunStatistics : public RecognitionFixture {};

TEST_F(RunStatistics, CountsAndDiameterRangeWithConesWiderAtTheBottom) {
    VIEW_LIST* top = addView(head, 1);
    VIEW_LIST* bottom = addView(head, 2);
    addHole(top, 0, 0, {{5, 0, 5, -10}, {2, -10, 2, -20}});
    addHole(bottom, 10, 0, {{3, 0, 6, -3}});   // a cone opening downwards counts with its bottom radius
    int holes = 0, segments = 0;
    double smallest = 0, largest = 0;
    const std::int32_t none = 0;
    EXPECT_EQ(holeStatistics(head, &none, &none, &none, &holes, &segments, &smallest, &largest), 0);
    EXPECT_EQ(holes, 2);
    EXPECT_EQ(segments, 3);
    EXPECT_DOUBLE_EQ(smallest, 4);
    EXPECT_DOUBLE_EQ(largest, 12);
    EXPECT_FALSE(transcript().contains("msgbox"));
}

// The diameter limits' lines are told in the recognition session; the directions' only here.
TEST_F(RunStatistics, NoHoleLeftTellsTheSurfacesRefusedForTheirDirection) {
    const std::int32_t none = 0, refused = 4;
    script().answer(plat::IDOK);
    EXPECT_EQ(holeStatistics(head, &none, &none, &refused), 0);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("caption=\"Forantix - error\""));
    EXPECT_TRUE(transcript().contains("No hole was found in the part.\\n4 surfaces lie in drilling directions"));
}

TEST_F(RunStatistics, HolesAreCountedByTheirStatesAndTheRestMarkedWithoutProblem) {
    VIEW_LIST* view = addView(head, 1);
    view->passMark = 1;
    struct Case {
        const char* what;
        void (*set)(POINT_LIST&);
        std::int16_t RUN_STATS::*counter;
    };
    const Case cases[] = {
        {"provisional", [](POINT_LIST& p) { p.provisionalRow = 1; }, &RUN_STATS::stateCount1},
        {"measures added", [](POINT_LIST& p) { p.noMeasures = 1; }, &RUN_STATS::stateCount2},
        {"adapted", [](POINT_LIST& p) { p.adaptedRow = 0; }, &RUN_STATS::tableHoleCount},
        {"crash into", [](POINT_LIST& p) { p.crashInto = 1; }, &RUN_STATS::crashIntoCount},
        {"depth", [](POINT_LIST& p) { p.depthChecked = 1; }, &RUN_STATS::stateCount3},
        {"chamfer", [](POINT_LIST& p) { p.chamferCheck = 1; }, &RUN_STATS::stateCount4},
        {"not accessible", [](POINT_LIST& p) { p.notAccessible = 1; }, &RUN_STATS::stateCount5},
    };
    std::vector<POINT_LIST*> holes;
    for (const Case& c : cases) {
        POINT_LIST* hole = addHole(view, static_cast<double>(holes.size()), 0, {{2, 0, 2, -5}});
        hole->adaptedRow = -1;
        c.set(*hole);
        holes.push_back(hole);
    }
    POINT_LIST* clean = addHole(view, 20, 0, {{2, 0, 2, -5}});
    clean->adaptedRow = -1;
    POINT_LIST* toolMissing = addHole(view, 21, 0, {{2, 0, 2, -5}});
    toolMissing->adaptedRow = -1;
    toolMissing->toolMissing = 1;
    POINT_LIST* follower = addHole(view, 22, 0, {{2, 0, 2, -5}});
    follower->crashInto = 1;
    chainHoles(clean, {follower});
    // Two followers of the hole that cannot be reached: its chain counts once.
    POINT_LIST* unreachable = holes.back();
    POINT_LIST* second = addHole(view, 23, 0, {{2, 0, 2, -5}});
    POINT_LIST* third = addHole(view, 24, 0, {{2, 0, 2, -5}});
    chainHoles(unreachable, {second, third});
    for (POINT_LIST* p : {follower, second, third}) p->adaptedRow = -1;
    holes[0]->noProblem = 1;   // a mark left from before goes

    g_records->runStats.toolsCount1 = 4;
    countHoleStates(head);
    const RUN_STATS& stats = g_records->runStats;
    // Nine chains: the followers are not counted, whatever their own states.
    EXPECT_EQ(stats.holeCount, 9);
    for (const Case& c : cases) EXPECT_EQ(stats.*c.counter, 1) << c.what;
    EXPECT_EQ(stats.noProblemCount, 1);
    EXPECT_EQ(stats.toolsCount1, 4);
    EXPECT_EQ(clean->noProblem, 1);
    EXPECT_EQ(follower->noProblem, 0);
    EXPECT_EQ(third->noProblem, 0);
    EXPECT_EQ(toolMissing->noProblem, 0);
    EXPECT_EQ(holes[0]->noProblem, 0);
    EXPECT_EQ(view->passMark, 0);
}

}  // namespace
