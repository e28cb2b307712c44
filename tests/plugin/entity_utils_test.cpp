// The entity and level utilities on real parts: solids built with holes, turned into surfaces on the
// features level; the level and the holes hidden and shown; entities found by id; mark arcs re-keyed after
// the host renumbered the part; auxiliary surfaces and lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_entities.h"
#include "support/plugin_fixture.h"

namespace {

using namespace host::builder;

constexpr std::int32_t kFeatures = 500;

class EntityUtilsTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        g_globals->settings.featuresLevelCopy = kFeatures;
    }

    // A block with a through hole and a blind one, stored as a solid on `level`.
    static db_ptr storeBlock(std::int32_t level, double x0 = 0, std::size_t* faces = nullptr) {
        BuiltPart part = PartBuilder::block({40, 30, 10}, {x0, 0, 0})
                             .hole(throughHole("t", {x0 + 10, 10, 10}, {0, 0, -1}, 6))
                             .hole(blindFlat("b", {x0 + 30, 20, 10}, {0, 0, -1}, 8, 5))
                             .build();
        EXPECT_TRUE(part.ok()) << part.error;
        if (faces) *faces = part.solid.faces().size();
        return host::storeSolidEntity(part.solid, 3, level, "block");
    }
    static db_ptr storeLine(std::int32_t level, std::uint16_t sel = 0) {
        ent e{};
        e.type = kEntLine;
        e.ln.ln.e2 = {1, 2, 3};
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, 5, level, main_attrib, &ok);
        if (sel) {
            e.sel = sel;
            rewrite_ent(&e, 0);
        }
        return entry;
    }
    static ent read(db_ptr entry) {
        ent e{};
        EXPECT_EQ(get_ent_from_eptr(entry, &e), 1) << entry;
        return e;
    }
    static bool blanked(db_ptr entry) { return (read(entry).sel & kSelBlank) != 0; }
    // The surfaces of a level but the base planes of trimmed ones.
    static std::vector<db_ptr> surfacesOn(std::int32_t level) {
        std::vector<db_ptr> out;
        for (const ent& e : host::allEntities())
            if (e.level == level && e.type == kEntSurface && e.owner == 0) out.push_back(e.eptr);
        return out;
    }
};

// ---- solids to surfaces -------------------------------------------------------------------------------

TEST_F(EntityUtilsTest, VisibleSolidsBecomeSurfacesOnTheFeaturesLevelAndOnlyTheLastIsHidden) {
    std::size_t facesA = 0, facesB = 0;
    const db_ptr a = storeBlock(1, 0, &facesA);
    const db_ptr b = storeBlock(2, 100, &facesB);
    const db_ptr excluded = storeBlock(3, 200);
    ent ex = read(excluded);
    ex.solid.flags = kSolidExcluded;
    rewrite_ent(&ex, 0);
    const db_ptr onHidden = storeBlock(4, 300);
    set_level_visible(4, 0);
    const db_ptr oldSurfaceMark = storeLine(kFeatures);
    const db_ptr oldHidden = storeLine(kFeatures, kSelBlank);
    const db_ptr record = storeLine(kFeatures);
    delete_ent(record, 0, 1, 0, nullptr, 0);   // kept, as the part's records are
    main_level = 7;
    set_level_visible(kFeatures, 0);

    EXPECT_EQ(solidsToEntities(kFeatures), 2);
    EXPECT_EQ(surfacesOn(kFeatures).size(), facesA + facesB);
    EXPECT_EQ(get_ent_from_eptr(oldSurfaceMark, nullptr), 0);
    EXPECT_EQ(get_ent_from_eptr(oldHidden, nullptr), 0);
    EXPECT_TRUE(host::isKept(record));
    EXPECT_EQ(main_level, 7);
    EXPECT_EQ(is_level_visible(kFeatures), 1);
    EXPECT_FALSE(blanked(a));
    EXPECT_TRUE(blanked(b));
    EXPECT_FALSE(blanked(excluded));
    EXPECT_FALSE(blanked(onHidden));
    EXPECT_EQ(g_globals->markerEntry, b);
    EXPECT_EQ(g_globals->markerId, read(b).id);

    // The next run shows the hidden solid again and converts the same solids once more, not twice.
    EXPECT_EQ(solidsToEntities(kFeatures), 2);
    EXPECT_EQ(surfacesOn(kFeatures).size(), facesA + facesB);
    EXPECT_FALSE(blanked(a));
    EXPECT_TRUE(blanked(b));

    // Without shown solids the old surfaces go, nothing is hidden and the result is 0.
    set_level_visible(1, 0);
    set_level_visible(2, 0);
    EXPECT_EQ(solidsToEntities(kFeatures), 0);
    EXPECT_TRUE(surfacesOn(kFeatures).empty());
    EXPECT_FALSE(blanked(b));
    EXPECT_TRUE(host::isKept(record));
}

TEST_F(EntityUtilsTest, ARememberedSolidOfAnotherPartIsLeftAlone) {
    const db_ptr a = storeBlock(1);
    g_globals->markerEntry = a;
    g_globals->markerId = read(a).id + 1000;   // the handle now names another entity
    ent e = read(a);
    e.sel = kSelBlank;
    rewrite_ent(&e, 0);
    EXPECT_EQ(solidsToEntities(kFeatures), 0);
    EXPECT_TRUE(blanked(a));
}

// ---- the features level and the holes -----------------------------------------------------------------

TEST_F(EntityUtilsTest, FeaturesLevelIsHiddenAndShownAsTheUserPicked) {
    const db_ptr shown = storeLine(kFeatures);
    const db_ptr picked = storeLine(kFeatures, kSelPicked);
    const db_ptr elsewhere = storeLine(1);
    EXPECT_EQ(blankWorkLevelEnts(kFeatures), 2);
    EXPECT_TRUE(blanked(shown));
    EXPECT_TRUE(blanked(picked));
    EXPECT_FALSE(blanked(elsewhere));
    EXPECT_EQ(blankWorkLevelEnts(kFeatures), 0);   // nothing shown is left

    EXPECT_EQ(unblankWorkLevelEnts(kFeatures), 1);
    EXPECT_FALSE(blanked(picked));
    EXPECT_TRUE(blanked(shown));   // not picked: stays hidden

    set_level_visible(kFeatures, 0);
    EXPECT_EQ(blankWorkLevelEnts(kFeatures), 0);
    EXPECT_FALSE(blanked(picked));
    deleteVisibleWorkLevelEnts(kFeatures);
    EXPECT_EQ(get_ent_from_eptr(picked, nullptr), 1);   // a hidden level keeps its entities
    set_level_visible(kFeatures, 1);
    deleteVisibleWorkLevelEnts(kFeatures);
    EXPECT_EQ(get_ent_from_eptr(picked, nullptr), 0);
    EXPECT_EQ(get_ent_from_eptr(shown, nullptr), 0);   // hidden entities of the level go too
    EXPECT_EQ(get_ent_from_eptr(elsewhere, nullptr), 1);
}

class TreeEntitiesTest : public EntityUtilsTest {
protected:
    void SetUp() override {
        EntityUtilsTest::SetUp();
        storeBlock(1);
        ASSERT_EQ(solidsToEntities(kFeatures), 1);
        surfaces = surfacesOn(kFeatures);
        ASSERT_GE(surfaces.size(), 4u);
        // One view, one hole of two segments holding the first three surfaces.
        view = allocViewList();
        view->firstPoint = allocPointList();
        view->firstPoint->view = view;
        CYL_LIST* top = allocCylList();
        CYL_LIST* bottom = allocCylList();
        top->next = bottom;
        bottom->prev = top;
        view->firstPoint->firstCyl = top;
        hold(top, 0, surfaces[0]);
        hold(top, 1, surfaces[1]);
        hold(bottom, 0, surfaces[2]);
    }
    void TearDown() override {
        freeViewsTree(view);
        EntityUtilsTest::TearDown();
    }
    static void hold(CYL_LIST* cyl, int i, db_ptr entry) {
        cyl->ents[i].entry = entry;
        cyl->ents[i].id = static_cast<std::int32_t>(read(entry).id);
        cyl->entCount = static_cast<std::int16_t>(i + 1);
    }

    std::vector<db_ptr> surfaces;
    VIEW_LIST* view = nullptr;
};

TEST_F(TreeEntitiesTest, HolesAreHiddenAndShownAndTheRestOfTheLevelDeleted) {
    blankFeatureEnts(view);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(blanked(surfaces[i])) << i;
    EXPECT_FALSE(blanked(surfaces[3]));

    EXPECT_EQ(unblankFeatureEnts(view), 3);
    EXPECT_EQ(unblankFeatureEnts(view), 0);

    // A stored handle that names another entity now is not touched.
    view->firstPoint->firstCyl->ents[1].id += 1000;
    blankFeatureEnts(view);
    EXPECT_FALSE(blanked(surfaces[1]));
    view->firstPoint->firstCyl->ents[1].id -= 1000;

    set_level_visible(kFeatures, 0);
    deleteUnusedWorkLevelEnts(view, kFeatures);
    EXPECT_EQ(is_level_visible(kFeatures), 1);
    EXPECT_EQ(surfacesOn(kFeatures), (std::vector<db_ptr>{surfaces[0], surfaces[1], surfaces[2]}));

    deleteWorkLevelEnts(kFeatures);
    EXPECT_TRUE(surfacesOn(kFeatures).empty());
}

// ---- by id -------------------------------------------------------------------------------------------------

TEST_F(EntityUtilsTest, EntitiesAreFoundByIdHiddenOrNotButNeverKeptOnes) {
    const db_ptr shown = storeLine(1);
    const db_ptr hidden = storeLine(1, kSelBlank);
    const db_ptr onHiddenLevel = storeLine(9);
    set_level_visible(9, 0);
    const db_ptr kept = storeLine(1);
    delete_ent(kept, 0, 1, 0, nullptr, 0);

    EXPECT_EQ(findEntById(read(shown).id, 1, kEntLine), shown);
    EXPECT_EQ(findEntById(read(hidden).id, 1, kEntLine), hidden);
    EXPECT_EQ(findEntById(read(onHiddenLevel).id, 1, kEntLine | kEntArc), onHiddenLevel);
    EXPECT_EQ(findEntById(read(kept).id, 1, kEntLine), 0u);
    EXPECT_EQ(findEntById(read(shown).id, 1, kEntArc), 0u);         // the entity mask rules
    EXPECT_EQ(findEntById(read(shown).id, kSelPicked, kEntLine), 0u);  // and so does the selection mask
    EXPECT_EQ(findEntById(987654, 1, ~0u), 0u);

    EXPECT_EQ(deleteEntById(read(hidden).id), 0);
    EXPECT_EQ(get_ent_from_eptr(hidden, nullptr), 0);
    deleteEntById(read(kept).id);
    EXPECT_TRUE(host::isKept(kept));   // a kept record is not destroyed through its id
    deleteEntById(987654);
    EXPECT_EQ(get_ent_from_eptr(shown, nullptr), 1);

    // Associations are looked up among themselves.
    ent a{};
    a.type = kEntAssoc;
    a.assoc.kind = 2;
    a.assoc.target = shown;
    a.assoc.opId = 77;
    db_ptr entry = 0;
    char ok = 0;
    store_ent_assoc(&a, &entry, 1, main_attrib, &ok);
    ASSERT_EQ(ok, 1);
    ent found{};
    ASSERT_TRUE(findAssocEntById(a.id, &found));
    EXPECT_EQ(found.assoc.opId, 77);
    EXPECT_FALSE(findAssocEntById(read(shown).id, &found));   // a line is no association
    EXPECT_FALSE(findAssocEntById(a.id + 50, &found));
}

// ---- mark arcs ---------------------------------------------------------------------------------------

class MarkArcsTest : public EntityUtilsTest {
protected:
    // An arc coded with its own id on `base`, as a drawn mark has it.
    static ent drawArc(double base) {
        ent e{};
        e.type = kEntArc;
        e.arc.r = 3;
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, 12, kFeatures, main_attrib, &ok);
        e.arc.sw = arcMarkSweep(base, e.id);
        rewrite_ent(&e, 0);
        return e;
    }
    static FEATURE_MARK tapMark(const ent& arc) {
        FEATURE_MARK m{};
        m.isTap = 1;
        m.arcEnts[0] = arc.id;
        return m;
    }
};

TEST_F(MarkArcsTest, MarksFollowTheirArcsWhenTheHostRenumbersThePart) {
    storeLine(1);
    const ent first = drawArc(kThreadArcBase);
    storeLine(1);
    const ent second = drawArc(kThreadArcBase);
    const ent thread = drawArc(kThreadArcBase);
    const ent circle = drawArc(kFitCircleBase);
    FEATURE_MARK fitted{};
    fitted.isFit = 1;
    fitted.isTap = 1;
    fitted.arcEnts[0] = thread.id;
    fitted.arcEnts[1] = circle.id;
    FEATURE_MARK a = tapMark(first), b = tapMark(second);

    // Ids renumbered so that the first arc gets the second one's old id.
    const std::vector<ent> all = host::allEntities();
    const auto firstAt = std::find_if(all.begin(), all.end(), [&](const ent& e) { return e.eptr == first.eptr; });
    host::renumberIds(second.id - static_cast<std::uint32_t>(firstAt - all.begin()));
    const ent firstNow = read(first.eptr), secondNow = read(second.eptr);
    ASSERT_EQ(firstNow.id, second.id);

    EXPECT_EQ(renumberArcMarks(&a), 0);
    renumberArcMarks(&b);
    renumberArcMarks(&fitted);
    EXPECT_EQ(a.arcEnts[0], firstNow.id);
    EXPECT_EQ(b.arcEnts[0], secondNow.id);
    EXPECT_EQ(arcMarkKey(kThreadArcBase, read(first.eptr).arc.sw), firstNow.id);
    EXPECT_EQ(arcMarkKey(kThreadArcBase, read(second.eptr).arc.sw), secondNow.id);
    EXPECT_EQ(fitted.arcEnts[0], read(thread.eptr).id);
    EXPECT_EQ(fitted.arcEnts[1], read(circle.eptr).id);
    EXPECT_EQ(arcMarkKey(kFitCircleBase, read(circle.eptr).arc.sw), read(circle.eptr).id);
}

TEST_F(MarkArcsTest, AnArcThatCarriesItsOwnIdAndAMarkOfAnotherKindStayAsTheyAre) {
    const ent arc = drawArc(kThreadArcBase);
    FEATURE_MARK m = tapMark(arc);
    renumberArcMarks(&m);
    EXPECT_EQ(m.arcEnts[0], arc.id);
    EXPECT_EQ(read(arc.eptr).arc.sw, arc.arc.sw);   // bit for bit

    host::renumberIds(arc.id + 5);
    FEATURE_MARK fitOnly = tapMark(arc);
    fitOnly.isTap = 0;
    fitOnly.isFit = 1;   // its circle would be coded on the other base
    renumberArcMarks(&fitOnly);
    EXPECT_EQ(fitOnly.arcEnts[0], arc.id);
    EXPECT_EQ(read(arc.eptr).arc.sw, arc.arc.sw);

    // Arcs that code no id: a plain circle, a sweep far beyond any id.
    EXPECT_EQ(arcMarkKey(kThreadArcBase, 2 * std::numbers::pi), 0u);
    EXPECT_EQ(arcMarkKey(kFitCircleBase, 1.0), 0u);
    EXPECT_EQ(arcMarkKey(kFitCircleBase, arcMarkSweep(kFitCircleBase, 4000000)), 4000000u);
}

// ---- auxiliary geometry ---------------------------------------------------------------------------------

double distance(const p_3d& p, const double q[3]) { return std::hypot(p.x - q[0], p.y - q[1], p.z - q[2]); }

TEST_F(EntityUtilsTest, RevolvedSegmentsAreCylindersOrConesAboutTheAxis) {
    main_level = 6;
    main_color = 4;
    const double axisPt[3] = {10, 20, 5};
    const double axis[3] = {0.6, 0, 0.8};
    struct Case {
        double x1, z1, x2, z2;
    };
    for (const Case c : {Case{3, 0, 3, -8}, Case{3, 0, 1, -4}}) {
        const db_ptr s = createCylSurface(axisPt, axis, c.x1, c.z1, c.x2, c.z2, 0, 0);
        ASSERT_NE(s, 0u);
        const ent e = read(s);
        EXPECT_EQ(e.level, 6);
        EXPECT_EQ(e.color, 4);
        // Every point lies at the radius its height along the axis gives.
        for (double u : {e.surf.uMin, (e.surf.uMin + e.surf.uMax) / 2, e.surf.uMax}) {
            for (double v : {e.surf.vMin, e.surf.vMax}) {
                p_3d p[3];
                ASSERT_EQ(eval_surf(&e, u, v, 0, p), 1);
                const double d[3] = {p[0].x - axisPt[0], p[0].y - axisPt[1], p[0].z - axisPt[2]};
                const double z = d[0] * axis[0] + d[1] * axis[1] + d[2] * axis[2];
                const double r = std::sqrt(std::max(0.0, d[0] * d[0] + d[1] * d[1] + d[2] * d[2] - z * z));
                EXPECT_NEAR(r, c.x1 + (c.x2 - c.x1) * (z - c.z1) / (c.z2 - c.z1), 1e-6);
                EXPECT_TRUE(z <= std::max(c.z1, c.z2) + 1e-6 && z >= std::min(c.z1, c.z2) - 1e-6) << z;
            }
        }
    }
}

TEST_F(EntityUtilsTest, SquareSurfacesAndLinesLieWhereAsked) {
    const double centre[3] = {5, -2, 7};
    const double normal[3] = {0, 0.6, 0.8};
    const db_ptr s = createSquareSurface(centre, normal, 4, 8, 12);
    ASSERT_NE(s, 0u);
    const ent e = read(s);
    EXPECT_EQ(e.level, 8);
    EXPECT_EQ(e.color, 12);
    for (double u : {e.surf.uMin, e.surf.uMax}) {
        for (double v : {e.surf.vMin, e.surf.vMax}) {
            p_3d p[3];
            ASSERT_EQ(eval_surf(&e, u, v, 0, p), 1);
            EXPECT_NEAR(distance(p[0], centre), 2 * std::sqrt(2.0), 1e-9);
            EXPECT_NEAR((p[0].x - centre[0]) * normal[0] + (p[0].y - centre[1]) * normal[1] +
                            (p[0].z - centre[2]) * normal[2], 0, 1e-9);
        }
    }

    const double dir[3] = {0, 0, -1};
    const std::uint32_t id = createLineEnt(centre, dir, 2.5, 0, 0);
    ASSERT_NE(id, 0u);
    const ent line = read(findEntById(id, 1, kEntLine));
    EXPECT_EQ(line.level, main_level);
    EXPECT_EQ(line.color, main_color);
    EXPECT_DOUBLE_EQ(line.ln.ln.e2.z, 4.5);
    EXPECT_DOUBLE_EQ(line.ln.ln.e1.x, 5);

    const double zero[3] = {0, 0, 0};
    EXPECT_EQ(createSquareSurface(centre, zero, 4, 8, 12), 0u);   // no plane without a normal
}

}  // namespace
