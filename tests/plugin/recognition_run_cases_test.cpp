// Execute as the user runs it on builder parts whose holes meet one another: from which side each hole is
// drilled (the classes), a hole handed to a view of the opposite direction that the run makes, a through
// hole blocked below made blind, a hole too deep for one drill, a hole no table of the library describes,
// and a Cancel with the debug switch on. What is asserted is what lands in the saved part and what the
// user is told.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "host/api_views.h"
#include "plugin/core/message_box.h"
#include "plugin/core/records.h"
#include "plugin/core/settings.h"
#include "plugin/engine/ope_list.h"
#include "plugin/engine/operation_values.h"
#include "recognition_pipeline_support.h"

namespace {

using namespace recog_q;
namespace L = cil_desc_layout;

constexpr int kMenu = CMainMenu::kTemplate;
constexpr int kExecute = 18007, kProcessTree = 18021, kSummary = CMessageBox::kTemplate;
constexpr double kTipHalfAngle = 59 * std::numbers::pi / 180;   // the settings' 118 degree drill
constexpr const char* kCrashInto = "1 holes run into another hole.";
constexpr const char* kNotReachable = "1 holes cannot be reached from their side.";

// A bore along X through the block at (y, z).
HoleSpec boreAlongX(double y, double z, double d, bool splitWall = false) {
    HoleSpec h = throughHole("bore", {0, y, z}, {1, 0, 0}, d);
    h.splitWall = splitWall;
    return h;
}

class RunCasesTest : public PluginFixture {
protected:
    void TearDown() override {
        freeViewsTree(kept);
        PluginFixture::TearDown();
    }
    // A fresh host with the part, the plug-in loaded and one invocation closed at once (settings read).
    void start(const PartBuilder& builder) {
        freeViewsTree(kept);
        kept = nullptr;
        unload();
        host::reset();
        plat::driver().reset();
        const BuiltPart part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
        load();
        script().click(kMenu, plat::IDOK);
        EXPECT_EQ(m_main(), 0);
    }
    // The user runs Execute, goes on from the summary, closes the process tree and ends the cycle.
    void execute() {
        plat::driver().transcript().clear();
        script()
            .click(kMenu, kExecute)
            .click(kSummary, plat::IDOK)
            .click(kProcessTree, plat::IDOK)
            .click(kMenu, plat::IDOK);
        EXPECT_EQ(m_main(), 0);
        expectScriptPlayed();
    }
    // Saves the part, opens it again and reads the tree back from its records into `kept`.
    void reopen() {
        const std::string path = dir.path() + "/part.pfp";
        ASSERT_TRUE(host::savePart(path).ok);
        host::newPart();
        ASSERT_TRUE(host::openPart(path).ok);
        freeViewsTree(kept);
        kept = nullptr;
        loadAllRecords(&kept);
        expectWellFormed(kept);
    }
    // The kept chain head whose top lies on the world axis through (x, y); null when none.
    POINT_LIST* headAt(double x, double y) const {
        for (VIEW_LIST* v = kept; v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; p; p = p->next)
                if (!p->chainMember && std::hypot(p->ptUniv[0] - x, p->ptUniv[1] - y) < 1e-6) return p;
        return nullptr;
    }
    std::vector<const POINT_LIST*> heads() const {
        std::vector<const POINT_LIST*> out;
        for (const VIEW_LIST* v = kept; v; v = v->next)
            for (const POINT_LIST* p = v->firstPoint; p; p = p->next)
                if (!p->chainMember) out.push_back(p);
        return out;
    }
    static std::vector<const OPE_LIST*> drills(const POINT_LIST& hole) {
        std::vector<const OPE_LIST*> out;
        for (const OPE_LIST* op = hole.opeList; op; op = op->next)
            if (op->toolType == tool_type::drill) out.push_back(op);
        return out;
    }
    static const CIL_DESC& lastDesc(const POINT_LIST& hole) { return hole.descs[hole.descCount - 1]; }

    VIEW_LIST* kept = nullptr;
};

// ---- the classes: from which side each hole is drilled -------------------------------------------------------

TEST_F(RunCasesTest, EachHoleIsDrilledFromTheSideItsEndsAllow) {
    struct Case {
        const char* name;
        PartBuilder part;
        double x, y;              // the hole's axis in world XY
        double direction;         // Z of its view's axis after the run: +1 from the top, -1 from below
        double drillTop, drillBottom;   // the drill's Z range in that view
        bool notAccessible, crashInto;
        const char* told;         // a line of the summary, or null
    };
    const double boreFloor = 20 - std::sqrt(8 * 8 - 2.5 * 2.5);      // the bore d16's floor at a d5 hole's wall
    const double upperFloor = 30 - std::sqrt(6 * 6 - 2.5 * 2.5);     // the d12 bores' floor and roof there
    const double lowerRoof = 10 + std::sqrt(6 * 6 - 2.5 * 2.5);
    const Case cases[] = {
        // Open at both ends: drilled from its own side, through.
        {"through", PartBuilder::block({60, 40, 30}).hole(throughHole("a", {30, 20, 30}, kDown, 5)), 30, 20, 1, 30,
         0, false, false, nullptr},
        // Entered from the floor of a bore: a drill from the top would cut the bore's roof, so it is drilled
        // from below, in a view of the opposite direction that no hole had, up into the bore.
        {"crash at the top",
         PartBuilder::block({60, 40, 30}).hole(boreAlongX(20, 20, 16)).hole(throughHole("v", {30, 20, 12}, kDown, 5)),
         30, 20, -1, 0, -boreFloor, false, false, nullptr},
        // Between two bores: neither end can be reached. It stays, marked, and the user is told.
        {"crash at the top, bottom unreachable",
         PartBuilder::block({60, 40, 40})
             .hole(boreAlongX(20, 30, 12))
             .hole(boreAlongX(20, 10, 12))
             .hole(blindFlat("v", {30, 20, 24}, kDown, 5, 11)),
         30, 20, 1, upperFloor, lowerRoof, true, false, kNotReachable},
        // A flat bottom on a cross hole's roof: the drill's tip would run into the cross hole.
        {"crash into another hole",
         PartBuilder::block({60, 40, 30}).hole(blindFlat("blind", {20, 20, 30}, kDown, 8, 12)).hole(boreAlongX(20, 15, 6, true)),
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
        EXPECT_NEAR(drill.front()->zSup, c.drillTop, 1e-3);
        EXPECT_NEAR(drill.back()->zInf, c.drillBottom, 1e-3);
    }
}

}  // namespace
