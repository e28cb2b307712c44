// The drilling list and the machining-time report on operations given by hand, in a loaded plug-in: their
// layout, the holes they pass over, the question when a file exists, and the time model's edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iterator>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/base/machine_info.h"
#include "plugin/base/tool_types.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/tooling/reports.h"
#include "support/plugin_fixture.h"

namespace {

class ReportsTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        std::string texts = plat::readFile(std::string(FX_SOURCE_DIR) + "/data/Forantix.txt").value_or("");
        // A translator's totals line holding conversions: it is written as it stands.
        const std::string line = "50. TOTALS";
        texts.replace(texts.find(line), line.size(), "50. TOTALS 100% %s %d");
        installUiTexts(texts);
        loadAndCloseOnce();
        g_machineInfo.definition.rapidRateMm = 100;
        g_machineInfo.toolChangeSeconds = 6;
        view.viewNumber = 1;
        get_view_matrix(1, view.matrix);
    }
    std::string file(const char* name) const { return dir.path() + "/" + name; }
    POINT_LIST& hole(double x, double y, bool withPoint = true) {
        POINT_LIST& p = holes.emplace_back();
        p.view = &view;
        p.ptView[0] = p.ptUniv[0] = x;
        p.ptView[1] = p.ptUniv[1] = y;
        p.drillPointEntity = withPoint ? 1 : 0;
        return p;
    }
    std::vector<REPORT_POINT> entries() {
        std::vector<REPORT_POINT> out;
        for (std::size_t i = 0; i < holes.size(); ++i) {
            REPORT_POINT e;
            e.point[0] = holes[i].ptView[0];
            e.point[1] = holes[i].ptView[1];
            e.hole = &holes[i];
            e.next = i + 1 < holes.size() ? static_cast<std::int32_t>(i + 1) : -1;
            out.push_back(e);
        }
        return out;
    }
    static operation drilling(int cycle, std::int32_t toolNumber, std::int32_t spindle = 1000) {
        operation op{};
        op.id = toolNumber * 10;
        op.groupId = OMgetActiveGroup();
        op.cycle = static_cast<std::int16_t>(cycle);
        op.toolNumber = toolNumber;
        op.toolType = 3;
        op.toolDiameter = 5;
        op.toolSpindle = spindle;
        op.toolFeeds[0] = 100;
        op.clearance = 10;
        op.depth = -5;
        std::snprintf(op.comment, sizeof op.comment, "Drilling %d", toolNumber);
        return op;
    }

    VIEW_LIST view{};
    std::deque<POINT_LIST> holes;
};

// The layout: a title per view, a block per new tool, a line per hole with its X, Y and depth aligned on
// the decimal point; a hole without a drill point is passed over, and the walk ends at the last entry.
TEST_F(ReportsTest, TheDrillingListListsEveryHoleUnderItsTool) {
    CDrillingList list;
    ASSERT_EQ(list.begin(file("list.txt"), 6, true), 0);
    ASSERT_NE(list.file, nullptr);
    list.writeHeader(&view);
    OPE_LIST op{};
    setFieldText(op.name, "Drill");
    op.zSup = 0;
    op.zInf = -12.5;
    op.through = 1;
    hole(12.5, 12);
    hole(100, -3, false);
    hole(7.25, 0);
    const REPORT_TOOL tool{3, 4, 6.8};
    list.writeOperation(op, tool, entries(), 3, 0, true);
    list.writeOperation(op, tool, entries(), 3, 1, false);   // same tool: no new block; from the second hole
    list.close();
    const std::string text = plat::readFile(file("list.txt")).value_or("");
    const std::string stars(80, '*');
    const std::string expected = "\n\n" + stars + "\n" + std::string(38, ' ') + "TOP" + std::string(38, ' ') + "\n" +
                                 stars +
                                 "\n\n--------------------------------------\nOperation: Drill (created)\n\nDrill dia 6.80"
                                 "\n\n      X         Y         Depth\n"
                                 "     12.5      12.       12.5  through\n"
                                 "      7.25      0.       12.5  through\n"
                                 "      7.25      0.       12.5  through\n";
    EXPECT_EQ(text, expected);
}

// Each direction keeps its own tool: a tool that goes on from one direction's holes to another's opens a
// block in the second, and coming back to the first, where it was the last tool, opens none there.
TEST_F(ReportsTest, EachDirectionOpensItsOwnBlockForATool) {
    VIEW_LIST other{};
    other.viewNumber = 2;
    get_view_matrix(2, other.matrix);
    CDrillingList list;
    ASSERT_EQ(list.begin(file("list.txt"), 6, true), 0);
    list.writeHeader(&view);
    list.writeHeader(&other);
    OPE_LIST op{};
    op.zInf = -4;
    hole(1, 1);
    hole(2, 2);
    hole(3, 3).view = &other;
    hole(4, 4);
    const REPORT_TOOL tool{3, 4, 5};
    setFieldText(op.name, "First");
    list.writeOperation(op, tool, entries(), 2, 0, false);
    setFieldText(op.name, "Second");
    list.writeOperation(op, tool, entries(), 1, 2, false);
    setFieldText(op.name, "Third");
    list.writeOperation(op, tool, entries(), 1, 3, false);
    list.close();
    const std::string text = plat::readFile(file("list.txt")).value_or("");
    const std::size_t second = text.find(viewDescription(&other));
    ASSERT_NE(second, std::string::npos) << text;
    const std::string first = text.substr(0, second), then = text.substr(second);
    EXPECT_NE(first.find("Operation: First"), std::string::npos) << text;
    EXPECT_EQ(first.find("Operation: Third"), std::string::npos) << text;
    EXPECT_NE(first.find("      4.        4.        4.   blind"), std::string::npos) << text;
    EXPECT_NE(then.find("Operation: Second"), std::string::npos) << text;
    EXPECT_NE(then.find("      3.        3.        4.   blind"), std::string::npos) << text;
}

// A report file that exists is told; the user chooses another file or cancels, and then nothing is
// written.
TEST_F(ReportsTest, AnExistingReportIsToldAndTheUserChoosesWhereToWrite) {
    ASSERT_TRUE(plat::writeFile(file("old.txt"), "old"));
    CDrillingList list;
    script().answer(plat::IDOK).file(file("new.txt"));
    list.begin(file("old.txt"), 6, false);
    list.close();
    EXPECT_TRUE(plat::fileExists(file("new.txt")));
    EXPECT_EQ(plat::readFile(file("old.txt")).value_or(""), "old");
    EXPECT_EQ(count("The drilling list " + file("old.txt") + " exists already"), 1);

    CMachiningTime time;
    script().answer(plat::IDOK).file("");
    time.begin(file("old.txt"), 6, false);
    EXPECT_EQ(time.file, nullptr);
    EXPECT_EQ(time.addOperation(drilling(0, 1), {}, 0, 0), 0);
    EXPECT_EQ(time.finish(), 0);
    expectScriptPlayed();
    EXPECT_EQ(plat::readFile(file("old.txt")).value_or(""), "old");
}

// Two holes 50 apart, pecked 2 at a time to 5: feed 10 + pecks 2 at 100; approach 20, retract 10 + 20 and
// peck rapids 2 x 11 at 100; positioning 50 at 100: 0.12 + 0.72 + 0.5 min, and the group's one tool change.
TEST_F(ReportsTest, ThePeckCycleTimeAddsUpItsMoves) {
    hole(0, 0);
    hole(30, 40);
    CMachiningTime time;
    ASSERT_EQ(time.begin(file("time.txt"), 6, true), 0);
    operation op = drilling(1, 1);
    op.pecks[0] = op.pecks[1] = 2;
    op.pecks[2] = 0.5;
    time.addOperation(op, entries(), 2, 0);
    time.finish();
    const std::string text = plat::readFile(file("time.txt")).value_or("");
    EXPECT_NE(text.find("Time: 1.34 min"), std::string::npos) << text;
    EXPECT_NE(text.find("Tool changes:   1      0.10 min"), std::string::npos) << text;
    EXPECT_NE(text.find("Holes: 2  "), std::string::npos) << text;
    EXPECT_NE(text.find("Feed: 100.0 mm/min  (0.100 mm/rev)"), std::string::npos) << text;
    EXPECT_NE(text.find("TOTALS 100% %s %d\n"), std::string::npos) << text;
    EXPECT_NE(text.find("TOTAL TIME:           1.44 min"), std::string::npos) << text;
}

// An operation without a spindle speed has a time all the same (only its feed per revolution is "-") and
// counts in the totals; one without a feed has none. A hole without a drill point is passed over, and with
// the clearance at the ends only the last entry retracts to it, with a drill point or not.
TEST_F(ReportsTest, OnlyAnOperationWithoutFeedIsUntimedAndHolesWithoutPointsAreLeftOut) {
    hole(0, 0);
    hole(30, 40);
    hole(60, 80, false);
    CMachiningTime time;
    ASSERT_EQ(time.begin(file("time.txt"), 6, true), 0);
    time.addOperation(drilling(0, 1, 0), entries(), 3, 0);
    operation atEnds = drilling(0, 2);
    atEnds.clearanceAtEnds = 1;
    time.addOperation(atEnds, entries(), 3, 0);
    operation withoutFeed = drilling(0, 2);
    withoutFeed.toolFeeds[0] = 0;
    time.addOperation(withoutFeed, entries(), 3, 0);
    time.finish();
    const std::string text = plat::readFile(file("time.txt")).value_or("");
    // Feed 15 at 100; approach 10 + 10, retract 15 + 10 + 10 and positioning 50 at 100.
    EXPECT_NE(text.find("Feed: 100.0 mm/min  (- mm/rev)\nSpindle: 0 rpm\nTime: 1.20 min"), std::string::npos) << text;
    // Feed 15 at 100, approach 10 and retract 15 at 100 (the last of the three entries has no point),
    // positioning 50 at 100.
    EXPECT_NE(text.find("Time: 0.90 min"), std::string::npos) << text;
    EXPECT_NE(text.find("Feed: 0.0 mm/min  (0.000 mm/rev)\nSpindle: 1000 rpm\nTime: - min"), std::string::npos) << text;
    // 0.70 + 0.40 machining; positioning 0.5 + 0.5.
    EXPECT_NE(text.find("Machining:            1.10 min"), std::string::npos) << text;
    EXPECT_NE(text.find("Positioning:          1.00 min"), std::string::npos) << text;
    EXPECT_NE(text.find("Tool changes:   2     0.20 min"), std::string::npos) << text;
}

// One hole 5 deep, 10 below the clearance, feed 50 and rapid 100: drilling is 0.1 min in, 0.1 out at rapid
// and 0.2 of approach and retract; each cycle adds its own moves to that.
TEST_F(ReportsTest, EachCycleAddsItsOwnMoves) {
    hole(0, 0);
    struct CASE {
        const char* what;
        int cycle, toolType;
        double pecks[4];
        double dwell;
        std::uint8_t tipOn;
        const char* time;
    };
    const CASE cases[] = {
        {"drilling", 0, 3, {}, 0, 0, "0.35"},
        // Pecks of 5 reach the depth at the first: no peck moves.
        {"peck of the full depth", 1, 3, {5, 2, 1, 0}, 0, 0, "0.35"},
        // Pecks at 2 and 4, each 1 more at feed (the larger of clearance and retract) and 2 x 1 - 1 at rapid.
        {"chip break", 2, 3, {2, 2, 0.5, 1}, 0, 0, "0.41"},
        // Out at the feed instead of the rapid.
        {"tapping", 3, 3, {}, 0, 0, "0.40"},
        {"feed out, dwell", 4, 3, {}, 0, 0, "0.40"},
        {"boring", 5, 3, {}, 0, 0, "0.40"},
        // A cycle of the post's own: the feed in, the approach and the retract to the clearance only.
        {"custom cycle", 7, 3, {2, 2, 1, 1}, 0, 0, "0.30"},
        {"a dwell of 3 s", 0, 3, {}, 3, 0, "0.40"},
        // The tip of a 90 degree drill of 5 and a breakthrough of 1.5 add 4 to the depth.
        {"a drill's tip", 0, 3, {}, 0, 1, "0.47"},
        {"a reamer has no tip", 0, 6, {}, 0, 1, "0.35"},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        CMachiningTime time;
        ASSERT_EQ(time.begin(file("time.txt"), 6, true), 0);
        operation op = drilling(c.cycle, 1);
        op.toolType = c.toolType;
        op.toolFeeds[0] = 50;
        std::copy(std::begin(c.pecks), std::end(c.pecks), op.pecks);
        op.dwell = c.dwell;
        op.tipOn = c.tipOn;
        op.tipValue = 1.5;
        op.toolAngle = 90;
        time.addOperation(op, entries(), 1, 0);
        time.finish();
        const std::string text = plat::readFile(file("time.txt")).value_or("");
        EXPECT_NE(text.find(std::string("Time: ") + c.time + " min"), std::string::npos) << text;
    }
}

// A peck cycle's pecks are counted, not walked: an operation as deep as a drill of a point angle near 0 would
// put it (some 3e11 mm, a peck of 2) is timed at once, at what its feed into that depth takes.
TEST_F(ReportsTest, APeckCycleOfAnyDepthIsTimedAtOnce) {
    hole(0, 0);
    CMachiningTime time;
    ASSERT_EQ(time.begin(file("time.txt"), 6, true), 0);
    operation op = drilling(1, 1);
    op.toolFeeds[0] = 50;
    op.pecks[0] = op.pecks[1] = 2;
    op.tipOn = 1;
    op.toolAngle = 1e-9;
    time.addOperation(op, entries(), 1, 0);
    time.finish();
    const std::string text = plat::readFile(file("time.txt")).value_or("");
    const std::size_t at = text.find("Time: ");
    ASSERT_NE(at, std::string::npos) << text;
    const double minutes = std::strtod(text.c_str() + at + 6, nullptr);
    EXPECT_GT(minutes, 2.8e11 / 50) << text;   // the feed into the depth alone
    EXPECT_LT(minutes, 1e30) << text;
}

// The tool line names the type and the diameter, and for a tap its pitch.
TEST_F(ReportsTest, ATapsToolLineHoldsItsPitch) {
    hole(0, 0);
    CMachiningTime time;
    ASSERT_EQ(time.begin(file("time.txt"), 6, true), 0);
    operation drill = drilling(0, 1);
    std::snprintf(drill.toolName, sizeof drill.toolName, "D5");
    time.addOperation(drill, entries(), 1, 0);
    operation tap = drilling(3, 2);
    tap.toolType = 4;
    tap.toolPitch = 1.25;
    std::snprintf(tap.toolName, sizeof tap.toolName, "M6");
    time.addOperation(tap, entries(), 1, 0);
    time.finish();
    const std::string text = plat::readFile(file("time.txt")).value_or("");
    EXPECT_NE(text.find(std::string("T1  ") + g_toolOpTypes[3].toolName + " dia 5.00  - D5\n"), std::string::npos) << text;
    EXPECT_NE(text.find(std::string("T2  ") + g_toolOpTypes[4].toolName + " dia 5.00 pitch 1.250 - M6\n"),
              std::string::npos)
        << text;
}

// A tool change takes the machine's time, none when the machine names none; the host's 2 s hold only
// without a machine group. Rapids take the machine's rate, the host's 12500 mm/min when it names none: one
// hole 5 deep fed at 100 (0.05 min) with 25 at rapid.
TEST_F(ReportsTest, ToolChangesAndRapidsTakeTheMachinesValuesOrTheHosts) {
    ASSERT_NE(g_machineInfo.rootMachineGroup, nullptr);
    hole(0, 0);
    struct CASE {
        const char* what;
        bool machine;
        double seconds, rapid;
        const char* changes;
        const char* time;
    };
    const CASE cases[] = {
        {"the machine's 6 s and rapids of 100", true, 6, 100, "0.10", "0.30"},
        {"a machine without a time or a rapid rate", true, 0, 0, "0.00", "0.05"},
        {"no machine", false, 0, 0, "0.03", "0.05"},
    };
    op_group* const machine = g_machineInfo.rootMachineGroup;
    machine->machine.rapidRate = 50;   // the group's own record is not the machine's
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        g_machineInfo.rootMachineGroup = c.machine ? machine : nullptr;
        g_machineInfo.toolChangeSeconds = c.seconds;
        g_machineInfo.definition.rapidRateMm = c.rapid;
        CMachiningTime time;
        ASSERT_EQ(time.begin(file("time.txt"), 6, true), 0);
        time.addOperation(drilling(0, 1), entries(), 1, 0);
        time.finish();
        const std::string text = plat::readFile(file("time.txt")).value_or("");
        EXPECT_NE(text.find(std::string("Tool changes:   1      ") + c.changes + " min"), std::string::npos) << text;
        EXPECT_NE(text.find(std::string("Time: ") + c.time + " min"), std::string::npos) << text;
    }
    g_machineInfo.rootMachineGroup = machine;
}

TEST_F(ReportsTest, AReportWithoutOperationsHasItsTitleAndZeroTotals) {
    CMachiningTime time;
    ASSERT_EQ(time.begin(file("time.txt"), 6, true), 0);
    time.finish();
    const std::string text = plat::readFile(file("time.txt")).value_or("");
    EXPECT_NE(text.find("MACHINING TIME"), std::string::npos);
    EXPECT_EQ(text.find("***"), std::string::npos);
    EXPECT_NE(text.find("TOTAL TIME:           0.00 min"), std::string::npos) << text;
}

}  // namespace
