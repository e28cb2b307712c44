// The form preview drawn into the part: the entities, their places, levels and styles, the drill-point
// cones between steps, the notes, the zoom on the form and the limit of the preview list.
#include <gtest/gtest.h>

#include <cmath>

#include "host/state.h"
#include "plugin/model/tab_cols_desc.h"
#include "support/form_tables.h"
#include "support/tables_fixture.h"

namespace {

using Row = std::vector<std::string>;
constexpr int kPoints2 = 1000254, kLines3 = 1000253;

class FormPreviewTest : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        g_globals->settings.featuresLevel = kPoints2;
        g_globals->settings.isolationLevel = kLines3;
        g_globals->settings.defaultTipAngle = 118;
        g_globals->previewEntityCount = 0;
    }
    static std::string fmt(double v) {
        char b[32];
        std::snprintf(b, sizeof b, "%.3f", std::fabs(v) < 5e-4 ? 0.0 : v);
        return b;
    }
    static std::string xy(const p_3d& p) { return "(" + fmt(p.x) + "," + fmt(p.y) + ")"; }
    // The entities of the preview list as "kind geometry colour level style".
    static std::vector<std::string> previewEntities() {
        std::vector<std::string> out;
        for (int i = 0; i < g_globals->previewEntityCount; ++i) {
            ent e{};
            if (!get_ent_from_eptr(g_globals->previewEntities[static_cast<std::size_t>(i)], &e)) {
                out.push_back("missing");
                continue;
            }
            std::string text;
            if (e.type == kEntLine) text = "line " + xy(e.ln.ln.e1) + "-" + xy(e.ln.ln.e2);
            else if (e.type == kEntPoint) text = "point " + xy(e.pt.pt);
            else if (e.type == kEntNote) text = "note " + std::string(host::noteText(e.note.text));
            text += " c" + std::to_string(e.color) + (e.level == kPoints2 ? " L2" : e.level == kLines3 ? " L3" : " L?") +
                    " " + fmt(e.attrib.tag).substr(0, 3) + "/" + std::to_string(e.attrib.style) + "/" +
                    std::to_string(e.attrib.width);
            out.push_back(text);
        }
        return out;
    }
    // A drilled step 20 x 8 over a flat step 10 x 6.
    CTabColsDesc drilledOverFlat(std::string lengthHeading = "L") {
        FORM_TABLE f;
        f.items = {{2, 3, 0, 0, 0, "D", lengthHeading}, {4, 5, 0, 0, 1}};
        return makeFormTable(f);
    }
};

TEST_F(FormPreviewTest, ADrilledStepOverASmallerOneShowsItsConeAndTheNextStepStartsBelowIt) {
    CTabColsDesc t = drilledOverFlat();
    ASSERT_EQ(t.drawFormPreview({"P", "20", "8", "10", "6"}, 1, 0), 0);
    const std::vector<std::string> expected = {
        "line (0.000,0.000)-(0.000,-14.000) c12 L3 1.0/3/0",       // axis
        "line (-20.000,0.000)-(20.000,0.000) c14 L3 2.0/1/0",      // top face, E0 / 2 beyond the edge
        "line (-5.000,-14.000)-(5.000,-14.000) c14 L3 2.0/1/0",    // flat bottom as wide as the step
        "line (-10.000,0.000)-(-10.000,-8.000) c14 L3 2.0/1/0",
        "point (-10.000,0.000) c14 L2 2.0/1/2",
        "point (-10.000,-8.000) c14 L2 2.0/1/2",
        "line (10.000,0.000)-(10.000,-8.000) c14 L3 2.0/1/0",
        "point (10.000,0.000) c14 L2 2.0/1/2",
        "point (10.000,-8.000) c14 L2 2.0/1/2",
        "line (-10.000,-8.000)-(10.000,-8.000) c14 L3 2.0/1/0",    // step bottom
        "line (-10.000,-8.000)-(-5.000,-11.004) c14 L3 2.0/1/0",   // cone at 31 degrees below the horizontal
        "line (10.000,-8.000)-(5.000,-11.004) c14 L3 2.0/1/0",
        "line (-5.000,-11.004)-(5.000,-11.004) c14 L3 2.0/1/0",
        "line (-5.000,-11.004)-(-5.000,-14.000) c14 L3 2.0/1/0",
        "point (-5.000,-11.004) c14 L2 2.0/1/2",
        "point (-5.000,-14.000) c14 L2 2.0/1/2",
        "line (5.000,-11.004)-(5.000,-14.000) c14 L3 2.0/1/0",
        "point (5.000,-11.004) c14 L2 2.0/1/2",
        "point (5.000,-14.000) c14 L2 2.0/1/2",
    };
    EXPECT_EQ(previewEntities(), expected);
    EXPECT_NEAR(t.formSteps[0].bottomDepth2, -8 - 5 * std::tan(31 * M_PI / 180), 1e-9);
    EXPECT_DOUBLE_EQ(t.formSteps[1].bottomDepth2, -14);
    // Only the recorded entities are left: the zoom points are gone.
    EXPECT_EQ(static_cast<int>(host::allEntities().size()), 19);
}

TEST_F(FormPreviewTest, ShallowFormsAreZoomedCloserThanDeepOnesAndThroughHolesShowTwoFaces) {
    struct ZOOM_CASE {
        const char* what;
        Row row;
        double total, k;
    };
    const ZOOM_CASE cases[] = {{"shallow wide", {"S", "20", "4"}, 4, 0.8}, {"deep", {"D", "10", "30"}, 30, 2.0}};
    for (const ZOOM_CASE& c : cases) {
        host::newPart();
        g_globals->previewEntityCount = 0;
        FORM_TABLE f;
        f.items = {{2, 3}};
        CTabColsDesc t = makeFormTable(f);
        const int fits = host::fitCount();
        ASSERT_EQ(t.drawFormPreview(c.row, 1, 0), 0) << c.what;
        EXPECT_EQ(host::fitCount(), fits + 1) << c.what;
        // The two zoom points span from H / k above the top to H / k below the bottom.
        EXPECT_NEAR(get_wk_height(), (c.total + 2 * c.total / c.k) / 0.9525, 1e-6) << c.what;
        double x = 0, y = 0;
        get_wk_center(&x, &y);
        EXPECT_NEAR(y, -c.total / 2, 1e-6) << c.what;
        const std::vector<std::string> lines = previewEntities();
        ASSERT_GE(lines.size(), 3u) << c.what;
        // A through hole: the bottom line is as wide as the top face.
        const double e0 = std::atof(c.row[1].c_str());
        EXPECT_EQ(lines[1], "line (" + fmt(-e0) + ",0.000)-(" + fmt(e0) + ",0.000) c14 L3 2.0/1/0") << c.what;
        EXPECT_EQ(lines[2], "line (" + fmt(-e0) + "," + fmt(-c.total) + ")-(" + fmt(e0) + "," + fmt(-c.total) +
                                ") c14 L3 2.0/1/0") << c.what;
    }
}

TEST_F(FormPreviewTest, NotesShowTheMeasuresOfEachStepBesideItsRightWall) {
    FORM_TABLE f;
    f.items = {{2, 3, 0, 0, 1, "Ma\xDF", "L"}, {4, 5, 6, 0, 0, "D2", "L2", "Tip"}};
    CTabColsDesc t = makeFormTable(f);
    ASSERT_EQ(t.drawFormPreview({"N", "20", "8", "10", "6", "90\xBA"}, 1, 1), 0);
    std::vector<ent> notes;
    for (int i = 0; i < g_globals->previewEntityCount; ++i) {
        ent e{};
        ASSERT_TRUE(get_ent_from_eptr(g_globals->previewEntities[static_cast<std::size_t>(i)], &e));
        if (e.type == kEntNote) notes.push_back(e);
    }
    ASSERT_EQ(notes.size(), 2u);
    const std::string first(host::noteText(notes[0].note.text)), second(host::noteText(notes[1].note.text));
    EXPECT_EQ(first, "Ma\xE1 =20.00 L =8.00");
    EXPECT_EQ(second, "D2 =10.00 Tip =90\xF8");   // the last step has no length
    const double h = 14.0 / 2;
    // First step: leader from the middle of the right wall; the text 0.04 h per character further right.
    EXPECT_NEAR(notes[0].note.leader.e1.x, 10, 1e-9);
    EXPECT_NEAR(notes[0].note.leader.e1.y, -4, 1e-9);
    EXPECT_NEAR(notes[0].note.leader.e2.x, 10 + 0.3 * h, 1e-9);
    EXPECT_NEAR(notes[0].note.pos.x, 10 + 0.3 * h + 0.04 * h * static_cast<double>(first.size()), 1e-9);
    EXPECT_NEAR(notes[0].note.height, 0.12 * h, 1e-9);
    EXPECT_NEAR(notes[0].note.width, 0.06 * h, 1e-9);
    EXPECT_EQ(notes[0].level, kPoints2);
    EXPECT_EQ(notes[0].color, 12);
    // A step with an angle column points its leader at the bottom end of the wall.
    EXPECT_NEAR(notes[1].note.leader.e1.y, -14, 1e-9);
}

TEST_F(FormPreviewTest, AFullPreviewListEndsTheDrawingWithoutAnError) {
    CTabColsDesc t = drilledOverFlat();
    const Row row = {"P", "20", "8", "10", "6"};
    g_globals->previewEntityCount = 98;
    ASSERT_EQ(t.drawFormPreview(row, 1, 1), 0);
    EXPECT_EQ(g_globals->previewEntityCount, 100);
    EXPECT_EQ(static_cast<int>(host::allEntities().size()), 2);   // the axis and the top face
    ASSERT_EQ(t.drawFormPreview(row, 1, 1), 0);
    EXPECT_EQ(g_globals->previewEntityCount, 100);
    EXPECT_EQ(static_cast<int>(host::allEntities().size()), 2);
}

TEST_F(FormPreviewTest, ARowWithoutStepsDrawsNothing) {
    FORM_TABLE f;
    f.items = {{0, 0}};
    CTabColsDesc t = makeFormTable(f);
    EXPECT_EQ(t.drawFormPreview({"E"}, 1, 1), 1);
    EXPECT_EQ(g_globals->previewEntityCount, 0);
    EXPECT_TRUE(host::allEntities().empty());
}

}  // namespace
