// A table row's hole form drawn into a built part as the user places it: surfaces of revolution at selected
// points, or one body cut out of each solid to machine at the points picked (Enter places them, Esc none, a
// point picked again is taken back), with feature marks on the marked and threaded steps.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "plugin/features/form_design_dialog.h"
#include "plugin/features/forms_drawing.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/work_records.h"
#include "plugin/services/features.h"
#include "support/form_tables.h"
#include "support/tables_fixture.h"

namespace {

constexpr int kDesign = 18037, kDiameterPick = 4371;   // the form design dialog and its pick button
constexpr double kPi = std::numbers::pi;
const double kTipDrop = std::tan(31.0 * kPi / 180.0);   // depth per unit of radius of a 118-degree tip

// The shipped counterbore CB6.6: a flat-ended 11 over 6.4, then 6.6; chamfer 1.
double frustum(double h, double r1, double r2) { return kPi * h * (r1 * r1 + r1 * r2 + r2 * r2) / 3; }
double cylinder(double r, double h) { return kPi * r * r * h; }
const double kChamferAndCounterbore = frustum(1, 6.5, 5.5) + cylinder(5.5, 5.4);

class FormsDrawing : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        installShippedTables();
        loadThreadTables();
        main_level = 7;
        main_color = 12;
    }
    void TearDown() override {
        freeFeatureMarkList(g_records->featureMarks);
        g_records->featureMarks = nullptr;
        g_records->featureMarkCount = 0;
        TablesFixture::TearDown();
    }
    // The shipped table with its rows; `depth` the last depth the dialog shows, step 0 marked when asked. Drawn
    // as solids, the dialog shows the entry `depthEntry` of the rows' depth lists (0 through, 3 the depth 16).
    CTabColsDesc& table(const std::string& name, double depth, bool markFirst = false, int depthEntry = 0) {
        EXPECT_EQ(table_.read(tablePath(name)), 0);
        EXPECT_GT(table_.readRows(), 0);
        table_.bmpScale = depth;
        table_.lastShorts[0] = markFirst ? 1 : 0;
        for (int r = 0; r < table_.rowCount; ++r) {
            std::vector<std::string> list;
            const int n = table_.splitListCell(r, &list);
            if (n == 0) continue;
            list[0] = std::to_string(depthEntry);
            table_.joinListCell(r, list, n);
        }
        return table_;
    }
    int row(const std::string& name) { return table_.findRowByName(name); }

    // A block to machine (selection bit 4, as the configuration marks the solids), its top at z = 20.
    static db_ptr target(host::Vec3 size, host::Vec3 origin, bool selected = true, bool excluded = false) {
        const host::builder::BuiltPart part = host::builder::PartBuilder::block(size, origin).build();
        EXPECT_TRUE(part.ok()) << part.error;
        const db_ptr entry = host::storeSolidEntity(part.solid, 3, 1, "part");
        ent e{};
        EXPECT_EQ(get_ent_from_eptr(entry, &e), 1);
        if (selected) sel_bit_turn_on(&e, 4);
        if (excluded) e.solid.flags |= kSolidExcluded;
        rewrite_ent(&e, 0);
        return entry;
    }
    static double volume(db_ptr entry) {
        ent e{};
        EXPECT_EQ(get_ent_from_eptr(entry, &e), 1);
        return e.solid.geom->volume();
    }
    // A point, or a full circle about the origin in the top view, stored on level 1.
    static ent point(double x, double y, double z) { return stored(kEntPoint, {x, y, z}, 0); }
    static ent circle(double r) { return stored(kEntArc, {0, 0, 0}, r); }
    static ent stored(std::uint32_t type, p_3d at, double r) {
        ent e{};
        e.type = type;
        e.pt.pt = e.arc.c = at;
        e.arc.r = r;
        e.arc.sw = 2 * kPi;
        char ok = 0;
        EXPECT_NE(store_ent(&e, nullptr, 0, 10, 1, main_attrib, &ok), 0u);
        return e;
    }
    static std::vector<const FEATURE_MARK*> marks() {
        std::vector<const FEATURE_MARK*> out;
        for (const FEATURE_MARK* m = g_records->featureMarks; m; m = m->next) out.push_back(m);
        return out;
    }
    // The solids of the part other than the given ones (bodies left behind).
    static int solidCount() {
        int n = 0;
        for (const ent& e : host::allEntities()) n += e.type == kEntSolid;
        return n;
    }

    CTabColsDesc table_;
};

// ---- surfaces --------------------------------------------------------------------------------------------------

TEST_F(FormsDrawing, SurfacesOfAKnownRowAtASelectedPointKeptInThePartFile) {
    CTabColsDesc& t = table("Counterbored", 15);
    const ent at = point(10, 20, 30);
    script().click(kDesign, plat::IDOK).entity(static_cast<int>(at.id)).endPick();
    EXPECT_EQ(drawShapesManager(&t, static_cast<std::int16_t>(row("CB6.6")), 0, 0), 3);
    expectScriptPlayed();
    reopenPart();

    // Each surface by the (r, z) of its profile's ends: chamfer cone, counterbore, shoulder, the through hole
    // down to the depth (no tip in surface mode with through set).
    struct RZ { double r1, z1, r2, z2; };
    const std::vector<RZ> expected = {{6.5, 30, 5.5, 29}, {5.5, 29, 5.5, 23.6}, {5.5, 23.6, 3.3, 23.6},
                                      {3.3, 23.6, 3.3, 15}};
    std::vector<ent> surfaces;
    for (const ent& e : host::allEntities())
        if (e.type == kEntSurface) surfaces.push_back(e);
    ASSERT_EQ(surfaces.size(), expected.size());
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
        const ent& s = surfaces[i];
        EXPECT_EQ(s.level, 7);
        EXPECT_EQ(s.color, 12);
        const RZ& e = expected[i];
        p_3d normal, on;
        if (is_surf_planar(&s, &normal, &on)) {   // the shoulder: a flat ring, by its box
            EXPECT_NEAR((s.surf.boxMax.x - s.surf.boxMin.x) / 2, std::max(e.r1, e.r2), 1e-6) << "surface " << i;
            EXPECT_NEAR(s.surf.boxMin.z, e.z1, 1e-6);
            EXPECT_NEAR(s.surf.boxMax.z, e.z1, 1e-6);
            continue;
        }
        // The ends of the profile: the corners of the parameter box at the start of the turn.
        std::vector<std::pair<double, double>> ends;
        for (double u : {s.surf.uMin, s.surf.uMax})
            for (double v : {s.surf.vMin, s.surf.vMax}) {
                p_3d p[3];
                ASSERT_EQ(eval_surf(&s, u, v, 0, p), 1);
                ends.push_back({std::hypot(p[0].x - 10, p[0].y - 20), p[0].z});
            }
        for (const auto& [r, z] : ends) {
            const bool first = std::fabs(r - e.r1) < 1e-6 && std::fabs(z - e.z1) < 1e-6;
            const bool second = std::fabs(r - e.r2) < 1e-6 && std::fabs(z - e.z2) < 1e-6;
            EXPECT_TRUE(first || second) << "surface " << i << ": (" << r << ", " << z << ")";
        }
    }
    // The dialog's values stay with the table.
    CTabColsDesc again;
    ASSERT_EQ(again.read(tablePath("Counterbored")), 0);
    EXPECT_DOUBLE_EQ(again.bmpScale, 15);
    EXPECT_DOUBLE_EQ(again.lastValues5, 118);
    EXPECT_TRUE(marks().empty());
}

TEST_F(FormsDrawing, CancelDrawsNothingAndMoreThanSixteenStepsAreRefused) {
    CTabColsDesc& t = table("Counterbored", 15);
    point(10, 20, 30);
    const std::size_t before = host::allEntities().size();
    script().click(kDesign, plat::IDCANCEL);
    EXPECT_EQ(drawShapesManager(&t, static_cast<std::int16_t>(row("CB6.6")), 0, 0), 0);

    FORM_TABLE form;
    for (std::int16_t c = 2; c < 2 + 2 * 17; c += 2) form.items.push_back({c, static_cast<std::int16_t>(c + 1)});
    std::vector<std::string> cells = {"LONG"};
    for (int i = 0; i < 17; ++i) {
        cells.push_back(std::to_string(40 - 2 * i));
        cells.push_back("1");
    }
    form.rows = {cells};
    CTabColsDesc deep = makeFormTable(form);
    expectMessage();
    EXPECT_EQ(drawShapesManager(&deep, 0, 0, 0), 0);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("more steps than can be drawn (16 at most): 17"));
    EXPECT_EQ(count("dialog.show 18037"), 1);   // only the cancelled one
    EXPECT_EQ(host::allEntities().size(), before);
}

// ---- solids --------------------------------------------------------------------------------------------------

TEST_F(FormsDrawing, EnterCutsOneBodyOutOfEachOfTheFirstTwentyTargets) {
    CTabColsDesc& t = table("Counterbored", 16, true, 3);
    std::vector<db_ptr> targets;
    for (int i = 0; i < 21; ++i) targets.push_back(target({40 + i * 0.5, 40, 20}, {0, 0, 0}));
    const db_ptr excluded = target({40, 40, 20}, {0, 0, 0}, true, true);
    const db_ptr unselected = target({40, 40, 20}, {0, 0, 0}, false);
    std::vector<double> before;
    for (db_ptr s : targets) before.push_back(volume(s));
    const double untouched = volume(excluded);

    script().click(kDesign, plat::IDOK).point(20, 20, 20).enter();
    EXPECT_EQ(drawShapesManager(&t, static_cast<std::int16_t>(row("CB6.6")), 0, 1), 3);
    expectScriptPlayed();

    // Blind to 16 below the top with its 118-degree tip.
    const double form = kChamferAndCounterbore + cylinder(3.3, 9.6) + cylinder(3.3, 3.3 * kTipDrop) / 3;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const double expected = i < 20 ? before[i] - form : before[i];
        EXPECT_NEAR(volume(targets[i]), expected, 1e-6 * form) << "target " << i;
    }
    EXPECT_DOUBLE_EQ(volume(excluded), untouched);
    EXPECT_DOUBLE_EQ(volume(unselected), untouched);
    EXPECT_EQ(count("host.solid cut "), 20);
    EXPECT_EQ(count("host.solid revolve "), 20);
    EXPECT_EQ(solidCount(), 23);   // every body went into its cut
    // The operation text numbers the form; the body is named after the table and the row.
    ent first{};
    ASSERT_EQ(get_ent_from_eptr(targets[0], &first), 1);
    EXPECT_NE(first.solid.history.find(". Cut by Forantix from Counterbored->CB6.6"), std::string::npos)
        << first.solid.history;
    EXPECT_EQ(first.solid.history.rfind("Hole form ", 0), 0u) << first.solid.history;
    EXPECT_TRUE(transcript().contains("\"Counterbored->CB6.6\": \"Hole form "));
    // The marked counterbore step, at the top, pointing out of the hole.
    const std::vector<const FEATURE_MARK*> made = marks();
    ASSERT_EQ(made.size(), 1u);
    const FEATURE_MARK& m = *made[0];
    EXPECT_EQ(m.origin, 1);
    EXPECT_EQ(m.isFit, 1);
    EXPECT_EQ(m.isTap, 0);
    EXPECT_DOUBLE_EQ(m.diameter, 11);
    EXPECT_DOUBLE_EQ(m.length, 6.4);
    EXPECT_NEAR(m.point[0], 20, 1e-9);
    EXPECT_NEAR(m.point[2], 20, 1e-9);
    EXPECT_NEAR(m.direction[2], 1, 1e-12);
    EXPECT_EQ(m.pendingMatch, 0);
    // The markers of the points are gone; no chained line or axis is left in the part.
    EXPECT_EQ(host::pointMarkerCount(), 0u);
    for (const ent& e : host::allEntities()) EXPECT_NE(e.type, kEntLine);
}

TEST_F(FormsDrawing, AThroughFormReachesBelowTheTargetAndMarksItsLastStepToMatch) {
    CTabColsDesc& t = table("Counterbored", 0);
    t.lastShorts[1] = 1;
    const db_ptr block = target({40, 40, 20}, {0, 0, 0});
    const double before = volume(block);
    script().click(kDesign, plat::IDOK).point(20, 20, 20).enter();
    EXPECT_EQ(drawShapesManager(&t, static_cast<std::int16_t>(row("CB6.6")), 0, 1), 3);
    expectScriptPlayed();
    const double expected = before - kChamferAndCounterbore - cylinder(3.3, 13.6);
    EXPECT_NEAR(volume(block), expected, 1e-6 * before);
    // The cut solid as the part file keeps it.
    reopenPart();
    std::vector<ent> solids;
    for (const ent& e : host::allEntities())
        if (e.type == kEntSolid) solids.push_back(e);
    ASSERT_EQ(solids.size(), 1u);
    EXPECT_NEAR(solids[0].solid.geom->volume(), expected, 1e-6 * before);
    EXPECT_NE(solids[0].solid.history.find("Forantix from Counterbored->CB6.6"), std::string::npos);
    const std::vector<const FEATURE_MARK*> made = marks();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0]->pendingMatch, 1);
    EXPECT_DOUBLE_EQ(made[0]->diameter, 6.6);
    EXPECT_NEAR(made[0]->point[2], 20 - 6.4, 1e-9);
}

TEST_F(FormsDrawing, AThreadedStepGetsATapMark) {
    CTabColsDesc& t = table("Tapped", 16, false, 3);
    const db_ptr block = target({40, 40, 20}, {0, 0, 0});
    const double before = volume(block);
    script().click(kDesign, plat::IDOK).point(20, 20, 20).enter();
    EXPECT_EQ(drawShapesManager(&t, static_cast<std::int16_t>(row("M8")), 0, 1), 3);
    expectScriptPlayed();
    EXPECT_LT(volume(block), before);
    const std::vector<const FEATURE_MARK*> made = marks();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0]->isTap, 1);
    EXPECT_EQ(made[0]->isFit, 0);
    EXPECT_DOUBLE_EQ(made[0]->tapDiam, 8);
    EXPECT_DOUBLE_EQ(made[0]->tapPitch, 1.25);
    EXPECT_NEAR(made[0]->diameter, 6.75, 1e-9);   // the tap drill of the thread table
}

// Points picked: A twice is taken back, B stays; C three times stays once. Esc instead of Enter: none.
TEST_F(FormsDrawing, APointPickedAgainIsTakenBackAndEscPlacesNone) {
    CTabColsDesc& t = table("Counterbored", 16, false, 3);
    const db_ptr block = target({80, 40, 20}, {0, 0, 0});
    const double before = volume(block);
    const double form = kChamferAndCounterbore + cylinder(3.3, 9.6) + cylinder(3.3, 3.3 * kTipDrop) / 3;

    script().click(kDesign, plat::IDOK).point(20, 20, 20).esc();
    EXPECT_EQ(drawShapesManager(&t, static_cast<std::int16_t>(row("CB6.6")), 0, 1), 3);
    EXPECT_DOUBLE_EQ(volume(block), before);
    EXPECT_EQ(host::pointMarkerCount(), 0u);
    EXPECT_EQ(count("host.solid"), 0);

    script().click(kDesign, plat::IDOK).point(20, 20, 20).point(40, 20, 20).point(20, 20, 20);
    script().point(60, 20, 20).point(60, 20, 20).point(60, 20, 20).enter();
    EXPECT_EQ(drawShapesManager(&t, static_cast<std::int16_t>(row("CB6.6")), 0, 1), 3);
    expectScriptPlayed();
    EXPECT_NEAR(volume(block), before - 2 * form, 1e-6 * form);
    EXPECT_EQ(count("host.solid cut "), 2);
    EXPECT_EQ(host::pointMarkerCount(), 0u);
    // Both watchers ended with their prompts.
    EXPECT_EQ(plat::periodicTaskCount(), 0);
}

// Picks first (the configuration shows the forms again): each point picked gets its form at once, other
// entities are passed over, Esc ends; without a solid to cut the user is told.
TEST_F(FormsDrawing, PicksFirstPlaceAFormAtEachPointUntilEsc) {
    CTabColsDesc& t = table("Counterbored", 16, false, 3);
    const ent a = point(20, 20, 20);
    const ent arc = circle(3);
    script().entity(static_cast<int>(a.id)).answer(plat::IDOK).esc();
    EXPECT_EQ(drawShapesManager(&t, static_cast<std::int16_t>(row("CB6.6")), 1, 1), 3);
    EXPECT_TRUE(transcript().contains("There is no solid to cut the form out of"));

    const db_ptr block = target({40, 40, 20}, {0, 0, 0});
    const double before = volume(block);
    script().entity(static_cast<int>(a.id)).entity(static_cast<int>(arc.id)).esc();
    EXPECT_EQ(drawShapesManager(&t, static_cast<std::int16_t>(row("CB6.6")), 1, 1), 3);
    expectScriptPlayed();
    EXPECT_LT(volume(block), before);
    EXPECT_EQ(count("host.solid cut "), 1);
    EXPECT_FALSE(transcript().contains("dialog.show 18037"));
}

TEST_F(FormsDrawing, ACutTheKernelRefusesLeavesTheTargetAndTellsTheUser) {
    CTabColsDesc& t = table("Counterbored", 16, false, 3);
    const db_ptr whole = target({40, 40, 20}, {0, 0, 0});
    const db_ptr swallowed = target({2, 2, 2}, {19, 19, 10});   // inside the hole: no solid would be left
    const double small = volume(swallowed);
    script().click(kDesign, plat::IDOK).point(20, 20, 20).enter().answer(plat::IDOK);
    EXPECT_EQ(drawShapesManager(&t, static_cast<std::int16_t>(row("CB6.6")), 0, 1), 3);
    expectScriptPlayed();
    EXPECT_DOUBLE_EQ(volume(swallowed), small);
    EXPECT_EQ(count("host.solid cut refused"), 1);
    EXPECT_TRUE(transcript().contains("The form could not be cut out of every solid"));
    EXPECT_EQ(count("host.solid cut "), 2);   // the refusal and the cut of the other target
    EXPECT_EQ(solidCount(), 2);               // the body that could not be cut is not left behind
    (void)whole;
}

// A table that keeps no depth yet (0) opens the surface dialog with 0 and through set. Surfaces end the last
// step at the depth all the same, so OK asks for one below the counterbore (4T + 6.4) instead of drawing the
// hole's wall from the shoulder back up to the top; the depth typed then is the one drawn.
TEST_F(FormsDrawing, SurfacesRefuseADepthAboveTheirLastStepEvenThrough) {
    CTabColsDesc& t = table("Counterbored", 0);
    const ent at = point(10, 20, 30);
    script().click(kDesign, plat::IDOK).answer(plat::IDOK);
    script().type(kDesign, CDlgDesignProp::kDepthList, "10").click(kDesign, plat::IDOK);
    script().entity(static_cast<int>(at.id)).endPick();
    EXPECT_EQ(drawShapesManager(&t, static_cast<std::int16_t>(row("CB6.6")), 0, 0), 3);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("Smallest depth: 6.50"));
    double lowest = 30, highest = 0;
    int surfaces = 0;
    for (const ent& e : host::allEntities()) {
        if (e.type != kEntSurface) continue;
        ++surfaces;
        lowest = std::min(lowest, e.surf.boxMin.z);
        highest = std::max(highest, e.surf.boxMax.z);
    }
    EXPECT_EQ(surfaces, 4);
    EXPECT_NEAR(lowest, 20, 1e-6);
    EXPECT_NEAR(highest, 30, 1e-6);
    EXPECT_DOUBLE_EQ(t.bmpScale, 10);
}

// A drill-size table draws its steps with the dialog's diameter, which the pick button takes from an arc.
TEST_F(FormsDrawing, TheDiameterPickButtonGivesADrillSizeFormItsDiameter) {
    FORM_TABLE drills;
    drills.name = "DRILLS";
    drills.tableClass = kTableDrillSize;
    drills.items = {{2, 0}};
    drills.rows = {{"6", "6"}};
    CTabColsDesc t = makeFormTable(drills);
    t.path = tablePath("DRILLS");
    t.bmpScale = 10;
    t.lastValues5 = 118;
    const ent arc = circle(4.25);
    const ent at = point(0, 0, 0);
    script().click(kDesign, kDiameterPick).entity(static_cast<int>(arc.id)).click(kDesign, plat::IDCANCEL);
    EXPECT_EQ(drawShapesManager(&t, 0, 0, 0), 0);
    script().click(kDesign, kDiameterPick).entity(static_cast<int>(arc.id)).click(kDesign, plat::IDOK);
    script().entity(static_cast<int>(at.id)).endPick();
    EXPECT_EQ(drawShapesManager(&t, 0, 0, 0), 3);
    expectScriptPlayed();
    EXPECT_EQ(count("dialog.show 18037"), 4);
    EXPECT_DOUBLE_EQ(t.lastValues1, 8.5);
    EXPECT_NE(bytesOf(tablePath("DRILLS")).find("\r\n[BmpLastVal]\r\n8.5000 "), std::string::npos);
    // The hole's wall: radius 4.25 from the top down to the depth.
    int walls = 0;
    for (const ent& s : host::allEntities()) {
        if (s.type != kEntSurface) continue;
        p_3d p[3];
        ASSERT_EQ(eval_surf(&s, s.surf.uMin, s.surf.vMin, 0, p), 1);
        walls += std::fabs(std::hypot(p[0].x, p[0].y) - 4.25) < 1e-6;
    }
    EXPECT_GE(walls, 1);
}

}  // namespace
