// What Execute leaves to be machined, as a machinist would look at it, on builder parts with the shipped
// tool library: a boss is no hole, a hole that cannot be reached is not cut, a tool reaches from its hole's
// own mouth over what stands above it, a library tool long enough is taken before one is made, a spot
// drill stays within its cone and within the part, and a made tool is never wider than its hole. What is
// asserted is what lands in the saved part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "host/api.h"
#include "plugin/base/message_box.h"
#include "plugin/engine/process_tree.h"
#include "plugin/engine/operation_values.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/model/tool_records.h"
#include "plugin/base/globals.h"
#include "recognition_pipeline_support.h"
#include "support/execute_part_fixture.h"
#include "support/host_folder.h"
#include "support/nc_reader.h"

namespace {

using namespace recog_q;
namespace TT = tool_type;

class RunMachiningTest : public ExecutePartFixture {
protected:
    // A fresh host with a copy of the shipped host folder, whose tool library is the configured one.
    void start(const PartBuilder& builder) {
        const std::string runDir = dir.path() + "/run" + std::to_string(++runs);
        ASSERT_TRUE(plat::createDirectories(runDir));
        const std::string hostDir = copyShippedHostFolder(runDir);
        ASSERT_FALSE(hostDir.empty());
        ExecutePartFixture::start(builder, hostDir);
    }
    // What the end-of-run summary is: none (nothing to tell), with the tools' buttons (tools made or
    // missing), or plain.
    enum class Summary { none, tools, plain };
    // One Execute, the user going on from the summary it shows; then the part reopened.
    void executeAndReopen(Summary summary) {
        plat::driver().transcript().clear();
        script().click(kMenu, kExecute);
        if (summary != Summary::none) script().click(kSummary, summary == Summary::tools ? plat::IDOK : kPlainGoOn);
        script().click(kProcessTree, plat::IDOK).click(kMenu, plat::IDOK);
        EXPECT_EQ(m_main(), 0);
        expectScriptPlayed();
        reopen();
    }
    static std::vector<const OPE_LIST*> operations(const POINT_LIST& hole) {
        std::vector<const OPE_LIST*> out;
        for (const OPE_LIST* op = hole.opeList; op; op = op->next) out.push_back(op);
        return out;
    }
    static const OPE_LIST* firstOfType(const POINT_LIST& hole, std::uint32_t type) {
        for (const OPE_LIST* op = hole.opeList; op; op = op->next)
            if (op->toolType == type) return op;
        return nullptr;
    }
    // The operation's tool in the part's tool array; null when it has none.
    static const tp_tool* toolOf(const OPE_LIST& op) {
        const std::vector<tp_tool>& tools = *g_toolsArray;
        return op.toolIndex >= 0 && static_cast<std::size_t>(op.toolIndex) < tools.size()
                   ? &tools[static_cast<std::size_t>(op.toolIndex)]
                   : nullptr;
    }
    static bool made(const tp_tool& t) { return std::string(t.name).rfind("** ", 0) == 0; }

    static constexpr int kPlainGoOn = CMessageBox::kThirdButton;
    int runs = 0;
};

// ---- bosses --------------------------------------------------------------------------------------------------

// Posts standing on the plate, sharp or rounded at the foot, are material, not holes: no hole and no
// operation lies on their axes; the plate's own hole is drilled as before.
TEST_F(RunMachiningTest, ABossIsNoHoleAndGetsNoOperation) {
    start(PartBuilder::block({80, 60, 15})
              .boss({{25, 30, 15}, {0, 0, 1}, 22.86, 19.5, 0})
              .boss({{60, 40, 15}, {0, 0, 1}, 12, 8, 2})
              .boss({{60, 12, 0}, {0, 0, -1}, 10, 6, 0})
              .hole(throughHole("plate", {60, 25, 15}, kDown, 6)));
    executeAndReopen(Summary::none);
    const std::vector<const POINT_LIST*> holes = heads();
    ASSERT_EQ(holes.size(), 1u);
    EXPECT_NEAR(holes[0]->ptUniv[0], 60, 1e-6);
    EXPECT_NEAR(holes[0]->ptUniv[1], 25, 1e-6);
    for (const OPE_LIST* op : operations(*holes[0])) EXPECT_LE(op->toolDiam, 10 + 1e-9);
}

// A hole that no tool reaches from its side stays in the tree, marked, with its process; creating the
// operations asks whether it is made all the same: No leaves it out and cuts the rest, and Yes does not cut
// it either where its tools would run into the part on their way. The blind hole between two bores has no
// other state, and the block's top stands over the upper bore it opens into; the counterbore under the
// example bracket's arm has its measures added to a table and tools made for it, which No leaves out too.
TEST_F(RunMachiningTest, AHoleThatCannotBeReachedIsNotCutThroughThePartWhateverTheAnswer) {
    const std::vector<ExamplePart> examples = exampleParts();
    const auto bracket = std::find_if(examples.begin(), examples.end(), [](const ExamplePart& e) { return e.name == "arm_bracket"; });
    ASSERT_NE(bracket, examples.end());
    const struct {
        const char* name;
        PartBuilder part;
        double x, y, z;
    } parts[] = {
        {"between bores",
         PartBuilder::block({60, 40, 40})
             .hole(throughHole("upper bore", {0, 20, 30}, {1, 0, 0}, 12))
             .hole(throughHole("lower bore", {0, 20, 10}, {1, 0, 0}, 12))
             .hole(blindFlat("v", {30, 20, 24}, kDown, 5, 11)),
         30, 20, 24},
        {"under an arm", bracket->builder, 25, 20, 10},
    };
    for (const auto& part : parts)
        for (const int answer : {plat::IDYES, plat::IDNO}) {
            SCOPED_TRACE(std::string(part.name) + (answer == plat::IDYES ? ": Yes" : ": No"));
            start(part.part);
            plat::driver().transcript().clear();
            // The summary has the tools' buttons while the run makes tools the library lacks.
            plat::Step goOn{0, "click", {std::to_string(kSummary), std::to_string(plat::IDOK)}, true};
            script().click(kMenu, kExecute).add(goOn);
            goOn.args[1] = std::to_string(kPlainGoOn);
            script().add(goOn).click(kProcessTree, CDlgProcess::kCreate).answer(answer);
            EXPECT_EQ(m_main(), 0);
            expectScriptPlayed();
            const std::vector<std::string>& said = plat::driver().transcript().lines();
            const auto told = [](const std::string& l) { return l.find("1 holes cannot be reached") != std::string::npos; };
            EXPECT_EQ(std::count_if(said.begin(), said.end(), told), 2) << "the summary and the question";

            const NC_PROGRAM program = readNcListing(host::ncListing());
            ASSERT_TRUE(program.errors.empty()) << program.errors.front();
            const auto cutsAt = [&](double x, double y, double z) {
                return std::count_if(program.holes.begin(), program.holes.end(), [&](const NC_HOLE& h) {
                    return std::hypot(h.world[0] - x, h.world[1] - y, h.world[2] - z) < 20 &&
                           std::fabs(h.worldAxis[0] * (h.world[1] - y) - h.worldAxis[1] * (h.world[0] - x)) < 1e-3 &&
                           std::fabs(h.worldAxis[2]) > 0.999;
                });
            };
            EXPECT_EQ(cutsAt(part.x, part.y, part.z), 0);
            EXPECT_FALSE(program.holes.empty());
            reopen();
            const POINT_LIST* hole = headAt(part.x, part.y);
            ASSERT_NE(hole, nullptr);
            EXPECT_EQ(hole->notAccessible, 1);
            ASSERT_FALSE(operations(*hole).empty());
            for (const OPE_LIST* op : operations(*hole)) EXPECT_EQ(op->active, 1) << op->name;
        }
}

// ---- reach -----------------------------------------------------------------------------------------------------

// A hole handed to the opposite view, drilled from below: a post stands 13 below the part, which from that
// side is material above the hole's mouth. Its height stays a height, and its tools are long enough for it.
TEST_F(RunMachiningTest, AHoleDrilledFromTheOppositeSideKeepsItsHillAsAHeight) {
    start(PartBuilder::block({60, 40, 30})
              .hole(throughHole("bore", {0, 20, 20}, {1, 0, 0}, 16))
              .hole(throughHole("v", {30, 20, 12}, kDown, 5))
              .boss({{52, 34, 0}, {0, 0, -1}, 6, 13, 0}));
    executeAndReopen(Summary::none);
    const POINT_LIST* hole = headAt(30, 20);
    ASSERT_NE(hole, nullptr);
    ASSERT_NEAR(hole->view->matrix[2][2], -1, 1e-9);   // drilled from below
    EXPECT_NEAR(hole->hillT, 13, 1e-6);
    ASSERT_FALSE(operations(*hole).empty());
    for (const OPE_LIST* op : operations(*hole)) {
        SCOPED_TRACE(op->name);
        const tp_tool* tool = toolOf(*op);
        ASSERT_NE(tool, nullptr);
        const double reach = hole->ptView[2] + hole->hillT - op->zInf;
        EXPECT_GT(tool->shoulderLength, reach);
        EXPECT_EQ(std::string(tool->name).find('-'), std::string::npos) << tool->name;
    }
}

// The plate's hole lies 30 below the top of a boss whose own hole makes the view's highest top. Its drill
// needs the hole's depth and the boss's height once: the library's DRILL 10 (shoulder 80) reaches, so
// nothing is made for it.
TEST_F(RunMachiningTest, ADeepHoleUnderAHighViewTopTakesTheLibraryDrill) {
    start(PartBuilder::block({80, 40, 20})
              .boss({{55, 20, 20}, {0, 0, 1}, 24, 30, 0})
              .hole(blindTipped("in the boss", {55, 20, 50}, kDown, 10, 12))
              .hole(blindTipped("plate", {15, 20, 20}, kDown, 10, 14)));
    executeAndReopen(Summary::none);
    const POINT_LIST* plate = headAt(15, 20);
    ASSERT_NE(plate, nullptr);
    EXPECT_NEAR(plate->hillT, 30, 1e-6);
    const OPE_LIST* drill = firstOfType(*plate, TT::drill);
    ASSERT_NE(drill, nullptr);
    EXPECT_NEAR(drill->holeTopZ, 50, 1e-6);   // the view's top, where the tools move
    const tp_tool* tool = toolOf(*drill);
    ASSERT_NE(tool, nullptr);
    EXPECT_STREQ(tool->name, "DRILL 10");
}

// A shallow hole: the library's DRILL 3 is longer than the length window lets a tool be; a drill of the
// window's low end is made instead, and it reaches past the drill's point.
TEST_F(RunMachiningTest, AShallowHoleGetsADrillOfItsWindowRatherThanALongLibraryOne) {
    start(PartBuilder::block({40, 40, 10}).hole(blindFlat("shallow", {20, 20, 10}, kDown, 3, 3)));
    executeAndReopen(Summary::tools);
    const POINT_LIST* hole = headAt(20, 20);
    ASSERT_NE(hole, nullptr);
    const OPE_LIST* drill = firstOfType(*hole, TT::drill);
    ASSERT_NE(drill, nullptr);
    const tp_tool* tool = toolOf(*drill);
    ASSERT_NE(tool, nullptr);
    EXPECT_TRUE(made(*tool)) << tool->name;
    EXPECT_GT(tool->shoulderLength, hole->ptView[2] - drill->zInf + 1.5 / std::tan(drill->angle / 2));
    EXPECT_LT(tool->shoulderLength, 30);   // the window's top: 9 diameters past the depth
}

// ---- spot drills ---------------------------------------------------------------------------------------------

// The shipped processes spot 30 % of the drill's diameter deep with a 10 mm 90 degree spot drill, whose
// cone is 5 deep; in a thin part the spot drill stops at the part's far face.
TEST_F(RunMachiningTest, ASpotDrillStaysInItsConeAndInThePart) {
    struct Hole {
        double x, d;
        double depth;   // of its spot drilling
    };
    struct Case {
        const char* name;
        double thickness;
        std::vector<Hole> holes;
        Summary summary;
    };
    const Case cases[] = {
        // The sheet's 5 drill is made: the library's is longer than its window.
        {"a 1.9 sheet", 1.9, {{20, 12, 1.9}, {45, 5, 1.5}}, Summary::tools},
        {"a 3 disc", 3, {{30, 16, 3}}, Summary::none},
        {"a thick block", 40, {{20, 20, 5}, {45, 6, 1.8}}, Summary::none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PartBuilder part = PartBuilder::block({60, 60, c.thickness});
        for (const Hole& h : c.holes) part.hole(throughHole("h", {h.x, 30, c.thickness}, kDown, h.d));
        start(part);
        executeAndReopen(c.summary);
        for (const Hole& h : c.holes) {
            const POINT_LIST* hole = headAt(h.x, 30);
            ASSERT_NE(hole, nullptr) << h.d;
            const OPE_LIST* spot = firstOfType(*hole, TT::spotDrill);
            ASSERT_NE(spot, nullptr) << h.d;
            EXPECT_NEAR(spot->zSup - spot->zInf, h.depth, 1e-6) << h.d;
        }
    }
}

// ---- made tools --------------------------------------------------------------------------------------------------

// A 5/16 inch hole: no library drill fits it, and the drill made for it is not wider than the hole.
TEST_F(RunMachiningTest, AMadeDrillIsNeverWiderThanItsHole) {
    const double d = 7.9375;
    start(PartBuilder::block({40, 40, 10}).hole(throughHole("5/16", {20, 20, 10}, kDown, d)));
    executeAndReopen(Summary::tools);
    const POINT_LIST* hole = headAt(20, 20);
    ASSERT_NE(hole, nullptr);
    const OPE_LIST* drill = firstOfType(*hole, TT::drill);
    ASSERT_NE(drill, nullptr);
    EXPECT_LE(drill->toolDiam, d);
    const tp_tool* tool = toolOf(*drill);
    ASSERT_NE(tool, nullptr);
    EXPECT_TRUE(made(*tool)) << tool->name;
    EXPECT_LE(tool->diameter, d);
    EXPECT_GT(tool->diameter, d - 0.025);
}

}  // namespace
