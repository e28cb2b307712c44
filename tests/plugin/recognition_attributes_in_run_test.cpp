// The attributes, the feature marks and the reaming split as the recognition command runs them, on a
// builder part after one invocation of the plug-in (settings read, metric, T = 0.025): labels and coded
// names make tapped holes, two opposite feature marks split a through hole, a counterbored through hole
// gives its bore to the view from below. Block 60 x 40 x 20, holes drilled from its top face.
#include <gtest/gtest.h>

#include "plugin/base/message_box.h"

#include <cstring>
#include <cmath>
#include <vector>

#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/features/feature_marks.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/recognition/reaming_split.h"
#include "recognition_attributes_support.h"
#include "plugin/services/engine.h"

namespace {

using namespace recog_p;

constexpr int kTopView = 1, kBottomView = 4;

class RecognitionRunTest : public RecogPTest {
protected:
    void SetUp() override {
        RecogPTest::SetUp();
        script().click(CMainMenu::kTemplate, plat::IDOK);
        m_main();
        expectScriptPlayed();
        // The cycle that ended cleared the menu texts; the recognition command runs inside a cycle.
        ASSERT_EQ(g_processMenu->load(installDir + "/Tool.txt", "ProcessMenu", true), 0);
        loadTables({"DRILL", "METRIC"});
    }
    void TearDown() override {
        freeFeatureMarkList(g_records->featureMarks);
        g_records->featureMarks = nullptr;
        g_records->featureMarkCount = 0;
        freeViewsTree(g_records->viewsTree);
        g_records->viewsTree = nullptr;
        RecogPTest::TearDown();
    }
    static void addPart(const std::vector<hb::HoleSpec>& holes) {
        hb::PartBuilder builder = hb::PartBuilder::block({60, 40, 20});
        for (const hb::HoleSpec& h : holes) builder.hole(h);
        const hb::BuiltPart part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
    }
    static void store(ent& e) {
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, 3, 1, main_attrib, &ok);
        ASSERT_EQ(ok, 1);
    }
    static FEATURE_MARK* appendMark(p_3d top, p_3d dir, double length) {
        auto* m = new FEATURE_MARK();
        m->origin = 1;
        m->point[0] = top.x, m->point[1] = top.y, m->point[2] = top.z;
        m->direction[0] = dir.x, m->direction[1] = dir.y, m->direction[2] = dir.z;
        m->length = m->threadDepth = length;
        FEATURE_MARK** link = &g_records->featureMarks;
        while (*link) link = &(*link)->next;
        *link = m;
        ++g_records->featureMarkCount;
        return m;
    }
    // The hole of the view whose axis passes (x, y) in the view's coordinates.
    static POINT_LIST* holeAt(int viewNumber, double x, double y) {
        for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next) {
            if (v->viewNumber != viewNumber) continue;
            for (POINT_LIST* p = v->firstPoint; p; p = p->next)
                if (std::hypot(p->ptView[0] - x, p->ptView[1] - y) < 1e-6) return p;
        }
        return nullptr;
    }
    static void expectTappedM8(const POINT_LIST* p) {
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(p->cylCount, 1);
        const CYL_LIST* c = p->firstCyl;
        EXPECT_EQ(c->isTap, 1);
        EXPECT_STREQ(c->threadName, "M8");
        EXPECT_DOUBLE_EQ(c->threadDiam, 8);
        EXPECT_DOUBLE_EQ(c->threadPitch, 1.25);
        EXPECT_NEAR(2 * c->rSup, 6.8, 1e-6);
    }
};

TEST_F(RecognitionRunTest, LabelsCodedNamesFeatureMarksAndTheReamingSplitReachTheRecognisedHoles) {
    addPart({hb::throughHole("label", {10, 10, 20}, {0, 0, -1}, 6.8),
             hb::throughHole("coded", {30, 10, 20}, {0, 0, -1}, 6.8),
             hb::throughHole("marked", {50, 10, 20}, {0, 0, -1}, 8),
             hb::counterbored("reamed", {10, 30, 20}, {0, 0, -1}, 8, 12, 5),
             hb::throughHole("plain", {30, 30, 20}, {0, 0, -1}, 6.8)});
    ent lab{};
    lab.type = kEntDrafting;
    lab.draft.subKind = 2;
    lab.draft.text1 = "M8";
    lab.draft.anchor = {10, 10, 20};
    lab.draft.radius = 3.4;
    store(lab);
    ent coded{};
    coded.type = kEntNote;
    coded.note.subKind = 2;
    coded.note.name = "GD_M8_20";
    coded.note.view = 1;
    coded.note.nodes.push_back({{30, 10, 20}, 0});
    store(coded);
    FEATURE_MARK* fromTop = appendMark({50, 10, 20}, {0, 0, 1}, 8);
    fromTop->isTap = 1;
    fromTop->tapDiam = 10;
    fromTop->tapPitch = 1.5;
    std::strcpy(fromTop->threadName, "M10");
    FEATURE_MARK* fromBelow = appendMark({50, 10, 0}, {0, 0, -1}, 8);
    fromBelow->isFit = 1;
    std::strcpy(fromBelow->fitClass, "H7");
    // Marks are drawn: one without its arcs would be dropped as gone from the part.
    drawFeatureMark(fromTop, 0);
    drawFeatureMark(fromBelow, 0);
    PRM_SETTINGS& s = g_globals->settings;
    s.divideNotReamed = kSplitAlways;
    s.divideReamed = kSplitNever;
    s.useStock = 0;

    std::uint32_t flags = 0;
    // The library has no fit table H7: the user is told once; then on from the summary.
    script().answer(plat::IDOK);
    script().click(CMessageBox::kTemplate, plat::IDOK);
    ASSERT_EQ(runRecognition(&flags), 1);
    ASSERT_NE(g_records->viewsTree, nullptr);

    expectTappedM8(holeAt(kTopView, 10, 10));
    expectTappedM8(holeAt(kTopView, 30, 10));
    const POINT_LIST* plain = holeAt(kTopView, 30, 30);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->firstCyl->isTap, 0);

    // The marked hole: its upper half from above, tapped M10, its lower half from below, reamed H7.
    const POINT_LIST* upper = holeAt(kTopView, 50, 10);
    const POINT_LIST* lower = holeAt(kBottomView, 50, -10);
    ASSERT_NE(upper, nullptr);
    ASSERT_NE(lower, nullptr);
    EXPECT_STREQ(upper->firstCyl->threadName, "M10");
    EXPECT_NEAR(upper->firstCyl->zInf, 10, 1e-6);
    EXPECT_EQ(lower->firstCyl->isFit, 1);
    EXPECT_STREQ(lower->firstCyl->fitClass, "H7");
    EXPECT_NEAR(lower->firstCyl->zInf, -10, 1e-6);

    // The counterbored hole keeps its counterbore; its bore is worked from below.
    const POINT_LIST* kept = holeAt(kTopView, 10, 30);
    const POINT_LIST* bore = holeAt(kBottomView, 10, -30);
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(bore, nullptr);
    EXPECT_EQ(kept->cylCount, 1);
    EXPECT_NEAR(2 * kept->firstCyl->rSup, 12, 1e-6);
    EXPECT_EQ(kept->reamSplitted, 1);
    EXPECT_EQ(bore->reamPart, 1);
    EXPECT_EQ(bore->reamPartnerId, kept->id);
    EXPECT_EQ(kept->reamPartnerId, bore->id);
    EXPECT_NEAR(2 * bore->firstCyl->rSup, 8, 1e-6);
}

}  // namespace
