// Flat faces and merging on real parts: builder blocks converted to surfaces. Either the holes' segments
// are set up by hand as the raw build places them, or the raw build makes the tree and stages 4 to 9 run
// in the pipeline's order (stages 2 and 3 change nothing on these parts). Holes are drilled from the top
// (view 1, heights along +Z); T = 0.025, 4T = 0.1; flat probes lie 3T inside the end's radius.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/merging.h"
#include "plugin/recognition/open_arcs.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/pipeline_raw.h"
#include "plugin/recognition_merging_trees.h"
#include "plugin/services/recognition.h"
#include "support/part_recognition_fixture.h"

namespace {

using namespace recog_m;
using namespace host::builder;

constexpr double kSag = 0.01;   // how far a boundary polyline may lie inside its circle

HoleSpec splitWalls(HoleSpec hole) {
    hole.splitWall = true;
    return hole;
}

class PartTest : public RecogTreeTest {
protected:
    void convert(const PartBuilder& builder) {
        const BuiltPart part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_GT(storeAsSurfaces(part.solid, main_level, true), 0);
    }
    int planar(std::uint16_t mode = kRecognizeCommand) { return cylsPlanar(head, mode); }
    // The raw build, then stages 4 to 9 without the final erasing of empty points, the flat faces from the
    // raw build's walk as in the pipeline.
    void recognize() {
        CPlanarFaces faces;
        ASSERT_EQ(buildRawTree(&head, RAW_FILTERS{}, &faces), 0);
        cylsEnh(head);
        mergeSameSurfSegs(head, g_tolerances.fineAngle);
        cylsDelOpen(head);
        cylsDelAngDummy(head);
        EXPECT_EQ(cylsPlanar(head, kRecognizeCommand, faces), kPlanarDone);
        cylsOverlapp(head);
        cylsOverlappPass2(head);
        cylsUnusedPts(head);
        expectConsistent();
    }
    // The profile of the hole whose axis passes view 1's (x, y), top down: radii, heights, end flags.
    std::string profile(double x, double y) const {
        std::string out;
        for (const VIEW_LIST* v = head; v; v = v->next)
            for (const POINT_LIST* p = v->firstPoint; p; p = p->next) {
                if (v->viewNumber != 1 || std::hypot(p->ptView[0] - x, p->ptView[1] - y) > 0.01) continue;
                for (const CYL_LIST* s = p->firstCyl; s; s = s->next) {
                    char text[160];
                    std::snprintf(text, sizeof text, "%sr%.2f-%.2f z%.2f..%.2f%s%s%s%s", out.empty() ? "" : " | ",
                                  s->rSup + 0.0, s->rInf + 0.0, s->zSup + 0.0, s->zInf + 0.0,
                                  s->topFlat ? " topFlat" : "", s->topClosed ? " topClosed" : "",
                                  s->bottomFlat ? " bottomFlat" : "", s->bottomClosed ? " bottomClosed" : "");
                    out += text;
                }
            }
        return out;
    }
    static double entityPlaneZ(const CYL_ENT& entry) {
        ent e{};
        p_3d n, pt;
        EXPECT_EQ(get_ent_from_eptr(entry.entry, &e), 1);
        EXPECT_EQ(is_surf_planar(&e, &n, &pt), 1);
        return pt.z;
    }
    static bool noFlats(const CYL_LIST* s) { return !s->topFlat && !s->bottomFlat && s->entCount == 0; }
};

TEST_F(PartTest, FlatBottomsCloseTheirOwnHolesOnly) {
    struct HOLE {
        double x, d, depth, segBottom;
        bool closed;
    };
    const HOLE holes[] = {{10, 8, 5, 5, true},  {25, 6, 3, 7, true},           {40, 6, 3, 7, true},
                          {55, 6, 5, 5 + 0.9 * kT, true}, {70, 6, 5, 5 + 1.1 * kT, false},
                          {85, 0.22, 1, 9, true}, {95, 0.18, 1, 9, false}};   // radius just over and under 4T
    PartBuilder builder = PartBuilder::block({100, 20, 10});
    for (const HOLE& h : holes) builder.hole(blindFlat("b", {h.x, 10, 10}, {0, 0, -1}, h.d, h.depth));
    convert(builder);
    VIEW_LIST* v = addView(1);
    std::vector<CYL_LIST*> segs;
    for (const HOLE& h : holes) segs.push_back(addCylinder(addPoint(v, h.x, 10), 10, h.segBottom, h.d / 2));
    EXPECT_EQ(planar(), kPlanarDone);

    for (std::size_t i = 0; i < segs.size(); ++i) {
        const CYL_LIST* s = segs[i];
        SCOPED_TRACE(holes[i].x);
        EXPECT_EQ(s->topFlat, 0);   // the top face has the hole's own opening there
        if (!holes[i].closed) {
            EXPECT_TRUE(noFlats(s));
            continue;
        }
        EXPECT_EQ(s->bottomClosed, 1);
        EXPECT_DOUBLE_EQ(s->rFlatMinBtm, 0);
        EXPECT_DOUBLE_EQ(s->rFlatMaxBtm, holes[i].d / 2);
        ASSERT_EQ(s->entCount, 1);
        EXPECT_NEAR(entityPlaneZ(s->ents[0]), 10 - holes[i].depth, 1e-9);
    }
    EXPECT_NE(segs[1]->ents[0].id, segs[2]->ents[0].id);   // floors at one height: each hole its own
}

TEST_F(PartTest, AHoleDrilledFromBelowFindsItsFloorInTheBottomView) {
    convert(PartBuilder::block({40, 30, 10}).hole(blindFlat("u", {30, 20, 0}, {0, 0, 1}, 6, 4)));
    VIEW_LIST* bottom = addView(4);
    double mouth[3], transposed[3][3];
    const double world[3] = {30, 20, 0};
    transpose_matrix_33(bottom->matrix, transposed);
    mul_mat_vector(transposed, world, mouth);
    CYL_LIST* s = addCylinder(addPoint(bottom, mouth[0], mouth[1]), 0, -4, 3);   // view 4 looks along -Z
    EXPECT_EQ(planar(), kPlanarDone);
    EXPECT_EQ(s->bottomClosed, 1);
    EXPECT_EQ(s->topFlat, 0);
}

// Segments wider than their through holes (radius 3) with their tops in the block's top face, which
// reaches far beyond them: the top segment is narrowed to the face's inner edge, unless that edge lies at
// its wall, the face is missing in the middle of the segment's arc outside the wall, or the features side
// asks. Below the top segment the face is a flat ring.
TEST_F(PartTest, AWideEntryFaceNarrowsTheTopSegment) {
    PartBuilder builder = PartBuilder::block({40, 30, 10});
    for (host::Vec3 at : {host::Vec3{10, 10, 10}, {25, 10, 10}, {25, 20, 10}, {3.5, 22, 10}, {3.5, 8, 10}})
        builder.hole(throughHole("t", at, {0, 0, -1}, 6));
    convert(builder);
    VIEW_LIST* v = addView(1);
    auto wideTop = [&](double x, double y, double r, double ai) {
        CYL_LIST* s = addCyl(addPoint(v, x, y), {10, 7, r, r, ai, 2 * kPi, 1});
        s->topFlat = s->bottomFlat = 1;
        return s;
    };
    CYL_LIST* narrowed = wideTop(10, 10, 3.3, 0);
    CYL_LIST* atWall = wideTop(25, 10, 3.2, 0);
    CYL_LIST* towardsEdge = wideTop(3.5, 8, 3.3, 0);    // outside probe at angle pi: off the block
    CYL_LIST* awayFromEdge = wideTop(3.5, 22, 3.3, kPi);
    POINT_LIST* two = addPoint(v, 25, 20);
    CYL_LIST* above = addCyl(two, {12, 10, 3.3, 3.3});
    CYL_LIST* below = addCyl(two, {10, 7, 3.3, 3.3});

    EXPECT_EQ(planar(kRecognizeFeatures), kPlanarDone);
    EXPECT_DOUBLE_EQ(narrowed->rSup, 3.3);
    EXPECT_EQ(narrowed->topFlat, 1);
    EXPECT_EQ(below->topFlat, 0);

    EXPECT_EQ(planar(), kPlanarDone);
    for (CYL_LIST* s : {narrowed, awayFromEdge}) {
        EXPECT_NEAR(s->rSup, 3, kSag);
        EXPECT_NEAR(s->rInf, 3, kSag);
        EXPECT_EQ(s->topFlat + s->bottomFlat, 0);
        EXPECT_EQ(s->entCount, 1);   // the face is not recorded
    }
    for (CYL_LIST* s : {atWall, towardsEdge}) {
        EXPECT_GT(s->rSup, 3.1);
        EXPECT_EQ(s->topFlat + s->bottomFlat, 2);
    }
    EXPECT_EQ(below->topFlat, 1);
    EXPECT_NEAR(below->rFlatMinTop, 3, kSag);
    EXPECT_GT(below->rFlatMaxTop, 15);
    EXPECT_EQ(above->bottomFlat, 1);   // the top segment's bottom end: a ring, not an entry
    EXPECT_DOUBLE_EQ(above->rSup, 3.3);
}

// The first face in database order that is not the hole's floor gets lengths its table cannot hold.
class IncoherentTest : public PartTest {
protected:
    void SetUp() override {
        PartTest::SetUp();
        convert(PartBuilder::block({40, 30, 10}).hole(blindFlat("b", {10, 10, 10}, {0, 0, -1}, 8, 5)));
        db_ptr at = db_start();
        bool damaged = false;
        for (;;) {
            ent e{};
            char found = 0;
            get_ent(at, 1, kEntSurface, &e, &at, &found);
            ASSERT_TRUE(found) << "no face before the floor";
            p_3d n, pt;
            if (e.surf.typeCode != kSurfTrimmed || !is_surf_planar(&e, &n, &pt)) continue;
            ASSERT_FALSE(n.z > 0.5 && std::fabs(pt.z - 5) < 1e-6) << "the floor must come after the damaged face";
            e.surf.trimBounds[0].length = static_cast<std::int16_t>(e.surf.trimPoints.size());
            damaged = rewrite_ent(&e, 0) == 1;
            break;
        }
        ASSERT_TRUE(damaged);
        floor = addCylinder(addPoint(addView(1), 10, 10), 10, 5, 4);
    }
    CYL_LIST* floor = nullptr;
};

TEST_F(IncoherentTest, OkSkipsTheFaceAndTheStageEndsWithOneAfterTheWalk) {
    script().answer(plat::IDOK);
    EXPECT_EQ(planar(), kPlanarRejected);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("Incoherent flat surface boundaries"));
    EXPECT_TRUE(transcript().contains("OKCANCEL"));
    EXPECT_EQ(floor->bottomClosed, 1);
}

TEST_F(IncoherentTest, CancelEndsTheStageAtOnce) {
    script().answer(plat::IDCANCEL);
    EXPECT_EQ(planar(), kPlanarRejected);
    expectScriptPlayed();
    EXPECT_EQ(floor->bottomFlat, 0);
}

TEST_F(PartTest, HolesOfTheUsualKindsReadAsTheirProfilesAfterTheStages) {
    convert(PartBuilder::block({100, 40, 20})
                .hole(splitWalls(throughHole("split", {10, 10, 20}, {0, 0, -1}, 8)))
                .hole(counterbored("cbore", {25, 10, 20}, {0, 0, -1}, 6, 10, 4))
                .hole(countersunk("csink", {40, 10, 20}, {0, 0, -1}, 6, 12, 90))
                .hole(splitWalls(blindTipped("tip", {55, 10, 20}, {0, 0, -1}, 8, 6, 90))));
    recognize();
    EXPECT_EQ(profile(10, 10), "r4.00-4.00 z20.00..0.00");
    EXPECT_EQ(profile(25, 10), "r5.00-5.00 z20.00..16.00 bottomFlat | r3.00-3.00 z16.00..0.00");
    EXPECT_EQ(profile(40, 10), "r6.00-3.00 z20.00..17.00 | r3.00-3.00 z17.00..0.00");
    EXPECT_EQ(profile(55, 10), "r4.00-4.00 z20.00..14.00 | r4.00-0.00 z14.00..10.00");
    for (const POINT_LIST* p = head->firstPoint; p; p = p->next) {
        if (std::fabs(p->ptView[0] - 10) > 0.01 && std::fabs(p->ptView[0] - 55) > 0.01) continue;
        for (const CYL_LIST* s = p->firstCyl; s; s = s->next) {   // split walls: both halves joined
            EXPECT_NEAR(std::fabs(s->Asw), 2 * kPi, 1e-6);
            EXPECT_EQ(s->entCount, 2);
        }
    }
}

// The kept faces are lent to each face's visit, not copied: a second run over a fresh tree finds them whole.
TEST_F(PartTest, TheKeptFacesServeASecondRunAlike) {
    convert(PartBuilder::block({50, 20, 20}).hole(counterbored("cbore", {25, 10, 20}, {0, 0, -1}, 6, 10, 4)));
    CPlanarFaces faces;
    ASSERT_EQ(buildRawTree(&head, RAW_FILTERS{}, &faces), 0);
    VIEW_LIST* fresh = nullptr;
    ASSERT_EQ(buildRawTree(&fresh, RAW_FILTERS{}), 0);
    EXPECT_EQ(cylsPlanar(head, kRecognizeCommand, faces), kPlanarDone);
    const std::string first = profile(25, 10);
    EXPECT_NE(first.find("bottomFlat"), std::string::npos) << first;
    std::swap(head, fresh);
    EXPECT_EQ(cylsPlanar(head, kRecognizeCommand, faces), kPlanarDone);
    EXPECT_EQ(profile(25, 10), first);
    freeViewsTree(fresh);
}

// Blind holes from the top and from the bottom whose axes lie just under or just over the raw build's
// merge distance (0.05) apart: one hole position with both segments, or two.
TEST_F(PartTest, BackToBackHolesJustUnderAndJustOverTheMergeDistance) {
    convert(PartBuilder::block({60, 20, 20})
                .hole(blindFlat("top1", {15, 10, 20}, {0, 0, -1}, 6, 8))
                .hole(blindFlat("bottom1", {15.049, 10, 0}, {0, 0, 1}, 4, 8))
                .hole(blindFlat("top2", {45, 10, 20}, {0, 0, -1}, 6, 8))
                .hole(blindFlat("bottom2", {45.051, 10, 0}, {0, 0, 1}, 4, 8)));
    recognize();
    EXPECT_EQ(profile(15, 10),
              "r3.00-3.00 z20.00..12.00 bottomFlat bottomClosed | r2.00-2.00 z8.00..0.00 topFlat topClosed");
    EXPECT_EQ(profile(45, 10), "r3.00-3.00 z20.00..12.00 bottomFlat bottomClosed");
    EXPECT_EQ(profile(45.051, 10), "r2.00-2.00 z8.00..0.00 topFlat topClosed");
}

}  // namespace
