// The user tools manager on a hole: the form's shape settings the user confirms or cancels, and the half
// section drawn from the hole's segments (x the radius, y the height above the hole's bottom) as lines, arcs
// and help points on the chosen level, closed by a drill point of 118 degrees.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/state.h"
#include "plugin/model/tree.h"
#include "plugin/features/form_shape_settings.h"
#include "plugin/services/features.h"
#include "plugin/services/tooling.h"
#include "support/tool_library_fixture.h"

namespace {

constexpr int kDlg = CDlgUserToolsMgr::kTemplate;

// A segment from (rSup, zSup) down to (rInf, zInf); a toric one with its circle.
struct SEGMENT {
    double rSup, zSup, rInf, zInf;
    double rToric = 0, rCtoric = 0, zToric = 0;
};

class UserToolsManager : public ToolLibraryFixture {
protected:
    void SetUp() override {
        ToolLibraryFixture::SetUp();
        g_globals->uiTextFile = installDir + "/Tool.txt";
    }
    void TearDown() override {
        if (hole_) freePointList(hole_);
        ToolLibraryFixture::TearDown();
    }
    // The fixture owns one hole at a time: a new one frees the last.
    POINT_LIST* hole(const std::vector<SEGMENT>& segments) {
        if (hole_) freePointList(hole_);
        hole_ = allocPointList();
        CYL_LIST* last = nullptr;
        for (const SEGMENT& s : segments) {
            CYL_LIST* c = allocCylList();
            c->rSup = s.rSup;
            c->zSup = s.zSup;
            c->rInf = s.rInf;
            c->zInf = s.zInf;
            c->rToric = s.rToric;
            c->rCtoric = s.rCtoric;
            c->zToric = s.zToric;
            c->prev = last;
            (last ? last->next : hole_->firstCyl) = c;
            last = c;
        }
        return hole_;
    }
    // What was drawn, one line per entity: "line x1,y1 x2,y2", "arc cx,cy r sa sw", "point x,y".
    static std::vector<std::string> drawn(std::int32_t level = 30) {
        std::vector<std::string> out;
        char text[160];
        for (const ent& e : host::allEntities()) {
            EXPECT_EQ(e.color, 12);
            EXPECT_EQ(e.level, level);
            if (e.type == kEntLine) {
                EXPECT_EQ(e.ln.ln.e1.z, 0);
                std::snprintf(text, sizeof text, "line %.3f,%.3f %.3f,%.3f", e.ln.ln.e1.x, e.ln.ln.e1.y, e.ln.ln.e2.x,
                              e.ln.ln.e2.y);
            } else if (e.type == kEntArc) {
                std::snprintf(text, sizeof text, "arc %.3f,%.3f r%.3f %.4f %.4f", e.arc.c.x, e.arc.c.y, e.arc.r,
                              e.arc.sa, e.arc.sw);
            } else if (e.type == kEntPoint) {
                std::snprintf(text, sizeof text, "point %.3f,%.3f", e.pt.pt.x, e.pt.pt.y);
            } else {
                std::snprintf(text, sizeof text, "type %u", e.type);
            }
            out.emplace_back(text);
        }
        return out;
    }
    // The user takes level 30, help points as `helpPoints`, and OK.
    void confirm(bool helpPoints) {
        script().type(kDlg, CDlgUserToolsMgr::kLevel, "30").check(kDlg, CDlgUserToolsMgr::kHelpPoints, helpPoints ? 1 : 0)
            .click(kDlg, plat::IDOK);
    }
    static double tipDepth(double r) { return r / std::tan(59 * M_PI / 180); }

    POINT_LIST* hole_ = nullptr;
};

TEST_F(UserToolsManager, OneCylinderIsAWallAndATipLineToTheAxis) {
    confirm(false);
    runUserToolsManager(hole({{5, 20, 5, 0}}));
    expectScriptPlayed();
    char tip[64];
    std::snprintf(tip, sizeof tip, "line 5.000,0.000 0.000,%.3f", -tipDepth(5));
    EXPECT_EQ(drawn(), (std::vector<std::string>{"line 5.000,20.000 5.000,0.000", tip}));
    EXPECT_EQ(g_globals->settings.shapeLevel, 30) << "the choice is kept in the settings";
    EXPECT_EQ(g_globals->settings.shapeAxisHelpPoints, 0);
}

TEST_F(UserToolsManager, SegmentsThatDoNotMeetAreJoinedAndHelpPointsMarkEachTop) {
    confirm(true);
    // Heights above the bottom at z = 100; the step between the segments is a gap of 2 mm, the one between
    // the second and third lies within the contact tolerance.
    const double slip = g_tolerances.tol004T / 2;
    runUserToolsManager(hole({{6, 130, 6, 110}, {4, 110, 4, 105}, {4 + slip, 105, 4, 100}}));
    expectScriptPlayed();
    char tip[64];
    std::snprintf(tip, sizeof tip, "line 4.000,0.000 0.000,%.3f", -tipDepth(4));
    EXPECT_EQ(drawn(), (std::vector<std::string>{"line 6.000,30.000 6.000,10.000", "point 0.000,30.000",
                                                 "line 6.000,10.000 4.000,10.000", "line 4.000,10.000 4.000,5.000",
                                                 "point 0.000,10.000", "line 4.000,5.000 4.000,0.000",
                                                 "point 0.000,5.000", tip}));
    EXPECT_EQ(g_globals->settings.shapeAxisHelpPoints, 1);
}

TEST_F(UserToolsManager, ToricSegmentsAreArcsMirroredWhenTheyWouldCrossTheAxis) {
    confirm(false);
    // A fillet about (3, 8) from its top to its inner end; then a segment whose circle about (2, 0) would
    // reach x = -0.5 at its top: drawn about (-2, 0); the section ends in a point (a segment of no length,
    // joined to the one before), so no tip follows.
    runUserToolsManager(hole({{3, 10, 1, 8, 2, 3, 8}, {1, 8, 0.5, 1, 0, 0, 0}, {0.5, 1, 1.5, 0, 3, 2, 0},
                              {0, 0, 0, 0}}));
    expectScriptPlayed();
    char mirrored[96];
    std::snprintf(mirrored, sizeof mirrored, "arc -2.000,0.000 r3.000 %.4f %.4f", std::atan2(1, 2.5),
                  -std::atan2(1, 2.5));
    EXPECT_EQ(drawn(), (std::vector<std::string>{"arc 3.000,8.000 r2.000 1.5708 1.5708",
                                                 "line 1.000,8.000 0.500,1.000", mirrored,
                                                 "line 1.500,0.000 0.000,0.000", "line 0.000,0.000 0.000,0.000"}));
}

TEST_F(UserToolsManager, AMergedSegmentRunsToItsFirstPiecesEndWithoutAHelpPoint) {
    confirm(true);
    POINT_LIST* p = hole({{5, 20, 5, 12}, {5, 12, 3, 0}});
    p->firstCyl->mergedCount = 1;
    p->firstCyl->merged[0].rInf = 5;
    p->firstCyl->merged[0].zInf = 12;
    p->firstCyl->rToric = 7;   // not read for a merged segment
    runUserToolsManager(p);
    expectScriptPlayed();
    char tip[64];
    std::snprintf(tip, sizeof tip, "line 3.000,0.000 0.000,%.3f", -tipDepth(3));
    EXPECT_EQ(drawn(), (std::vector<std::string>{"line 5.000,20.000 5.000,12.000", "line 5.000,12.000 3.000,0.000",
                                                 "point 0.000,12.000", tip}));
}

TEST_F(UserToolsManager, CancelDrawsNothingAndKeepsTheSettings) {
    g_globals->settings.shapeLevel = 4;
    g_globals->settings.shapeAxisHelpPoints = 1;
    script().click(kDlg, plat::IDCANCEL);
    runUserToolsManager(hole({{5, 20, 5, 0}}));
    expectScriptPlayed();
    EXPECT_TRUE(host::allEntities().empty());
    EXPECT_EQ(g_globals->settings.shapeLevel, 4);
    EXPECT_EQ(g_globals->settings.shapeAxisHelpPoints, 1);
    // The dialog showed what the settings held.
    const std::string snap = plat::lastSnapshot(kDlg);
    EXPECT_NE(snap.find("18098 Edit text=\"4\""), std::string::npos) << snap;
    EXPECT_NE(snap.find("check=1"), std::string::npos) << snap;
    EXPECT_NE(snap.find("Help points on the axis"), std::string::npos) << snap;
}

TEST_F(UserToolsManager, AHoleWithoutSegmentsDrawsNothingAndSaysSo) {
    confirm(false);
    script().answer(plat::IDOK);
    runUserToolsManager(hole({}));
    expectScriptPlayed();
    EXPECT_TRUE(host::allEntities().empty());
    EXPECT_EQ(count("no recognised segments"), 1);
}

TEST_F(UserToolsManager, TheLevelButtonTakesTheLevelTheUserChoosesInTheHostsList) {
    script()
        .click(kDlg, CDlgUserToolsMgr::kLevelList)
        .type(30102, 1001, "seven")   // no number: told, the list stays open
        .click(30102, plat::IDOK)
        .answer(plat::IDOK)
        .type(30102, 1001, "17")
        .click(30102, plat::IDOK)
        .click(kDlg, plat::IDOK);
    runUserToolsManager(hole({{5, 20, 5, 0}}));
    expectScriptPlayed();
    EXPECT_EQ(g_globals->settings.shapeLevel, 17);
    EXPECT_EQ(drawn(17).size(), 2u);
}

TEST_F(UserToolsManager, CancelAfterALevelPickKeepsTheSettingsAndALevelThatIsNoNumberIsLevelZero) {
    g_globals->settings.shapeLevel = 4;
    script()
        .click(kDlg, CDlgUserToolsMgr::kLevelList)
        .type(30102, 1001, "17")
        .click(30102, plat::IDOK)
        .click(kDlg, plat::IDCANCEL);
    runUserToolsManager(hole({{5, 20, 5, 0}}));
    EXPECT_EQ(g_globals->settings.shapeLevel, 4);
    script().type(kDlg, CDlgUserToolsMgr::kLevel, "abc").click(kDlg, plat::IDOK);
    runUserToolsManager(hole({{5, 20, 5, 0}}));
    expectScriptPlayed();
    EXPECT_EQ(g_globals->settings.shapeLevel, 0);
}

}  // namespace
