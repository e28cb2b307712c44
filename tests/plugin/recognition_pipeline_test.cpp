// The recognition pipeline on builder parts, called as the recognition command and the features side call
// it: the holes of each kind with their segments, diameters and depths in the right view; the size and
// direction filters with their counters; the merge distance of coaxial segments; the four progress steps
// and a cancel; the stage dumps; the same tree on every run. Metric part, T = 0.025 mm.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "host/geom/step_io.h"
#include "platform/sys/files.h"
#include "plugin/base/progress_box.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/pipeline_raw.h"
#include "recognition_pipeline_support.h"
#include "support/temp_dir.h"
#include "plugin/services/recognition.h"

namespace {

using namespace recog_q;

constexpr double kTip59 = 1.6642794823505180;   // tan(59 degrees): a 118 degree drill tip

struct EXPECTED_HOLE {
    Vec3 dir;                 // the view's drilling direction
    std::vector<SEG> segs;    // from the top
};
struct HOLE_CASE {
    const char* name;
    PartBuilder part;
    std::vector<EXPECTED_HOLE> holes;
};

SEG cyl(double d, double zTop, double zBottom, bool bottomFlat = false) {
    return {d, d, zTop, zBottom, bottomFlat, false};
}
SEG tip(double d, double zTop) { return {d, 0, zTop, zTop - d / 2 / kTip59, false, false}; }

PartBuilder block(double height) { return PartBuilder::block({40, 40, height}); }

std::vector<HOLE_CASE> holeCases() {
    const Vec3 c20{20, 20, 0};
    auto top = [&](double h) { return Vec3{c20[0], c20[1], h}; };
    return {
        {"through", block(12).hole(throughHole("t", top(12), kDown, 8)), {{kUp, {cyl(8, 12, 0)}}}},
        {"blind with tip", block(20).hole(blindTipped("t", top(20), kDown, 8, 10)),
         {{kUp, {cyl(8, 20, 10), tip(8, 10)}}}},
        {"counterbore", block(12).hole(counterbored("c", top(12), kDown, 6.6, 11, 5)),
         {{kUp, {cyl(11, 12, 7, true), cyl(6.6, 7, 0)}}}},
        {"countersink", block(12).hole(countersunk("c", top(12), kDown, 6.6, 13, 90)),
         {{kUp, {{13, 6.6, 12, 8.8, false, false}, cyl(6.6, 8.8, 0)}}}},
        {"flat bottom", block(12).hole(blindFlat("f", top(12), kDown, 10, 6)), {{kUp, {cyl(10, 12, 6, true)}}}},
        {"stepped", block(30).hole(stepped("s", top(30), kDown, {{12, 5}, {8, 6}, {5, 6}}, 118)),
         {{kUp, {cyl(12, 30, 25, true), cyl(8, 25, 19, true), cyl(5, 19, 13), tip(5, 13)}}}},
        // The groove cannot be drilled: its wall is left out and the hole keeps its walls above and below.
        {"necked", block(30).hole(necked("n", top(30), kDown, 8, 12, 5, 4, 20)),
         {{kUp, {cyl(8, 30, 25), cyl(8, 21, 10, true)}}}},
        // One axis, a wall between: the lower hole is drilled from below, in the view of -Z.
        {"back to back", block(12).hole(blindFlat("a", top(12), kDown, 8, 5)).hole(blindFlat("b", top(0), kUp, 6, 5)),
         {{kUp, {cyl(8, 12, 7, true)}}, {kDown, {cyl(6, 0, -5, true)}}}},
        {"six directions",
         PartBuilder::block({60, 60, 60})
             .hole(blindFlat("+z", {30, 30, 60}, kDown, 8, 10))
             .hole(blindFlat("-z", {30, 30, 0}, kUp, 7, 10))
             .hole(blindFlat("+x", {60, 30, 30}, {-1, 0, 0}, 6, 10))
             .hole(blindFlat("-x", {0, 30, 30}, {1, 0, 0}, 5, 10))
             .hole(blindFlat("+y", {30, 60, 30}, {0, -1, 0}, 4, 10))
             .hole(blindFlat("-y", {30, 0, 30}, {0, 1, 0}, 3, 10)),
         {{kUp, {cyl(8, 60, 50, true)}},
          {kDown, {cyl(7, 0, -10, true)}},
          {{1, 0, 0}, {cyl(6, 60, 50, true)}},
          {{-1, 0, 0}, {cyl(5, 0, -10, true)}},
          {{0, 1, 0}, {cyl(4, 60, 50, true)}},
          {{0, -1, 0}, {cyl(3, 0, -10, true)}}}},
    };
}

bool sameDirection(const double a[3], const Vec3& b) {
    return std::fabs(a[0] - b[0]) < 1e-6 && std::fabs(a[1] - b[1]) < 1e-6 && std::fabs(a[2] - b[2]) < 1e-6;
}

class RecogPipelineTest : public RecogFixture {};

// ---- holes by kind --------------------------------------------------------------------------------------

TEST_F(RecogPipelineTest, EachKindOfHoleGivesItsSegmentsInTheViewItIsDrilledFrom) {
    for (const HOLE_CASE& c : holeCases()) {
        SCOPED_TRACE(c.name);
        host::newPart();
        addPart(c.part);
        RUN run = recognize();
        ASSERT_EQ(run.outcome, kRecognitionDone);
        expectWellFormed(run.tree);
        const std::vector<HOLE> holes = holesOf(run.tree);
        ASSERT_EQ(holes.size(), c.holes.size()) << describe(holes);
        EXPECT_EQ(countViews(run.tree), static_cast<int>(c.holes.size()));   // one hole per direction here
        for (const EXPECTED_HOLE& want : c.holes) {
            auto got = std::find_if(holes.begin(), holes.end(),
                                    [&](const HOLE& h) { return sameDirection(h.dir, want.dir); });
            ASSERT_NE(got, holes.end()) << "no hole drilled along " << want.dir[0] << " " << want.dir[1] << " "
                                        << want.dir[2] << "\n" << describe(holes);
            ASSERT_EQ(got->segs.size(), want.segs.size()) << describe(holes);
            for (std::size_t i = 0; i < want.segs.size(); ++i) {
                const SEG& g = got->segs[i];
                const SEG& w = want.segs[i];
                EXPECT_NEAR(g.dTop, w.dTop, 1e-3) << i << "\n" << describe(holes);
                EXPECT_NEAR(g.dBottom, w.dBottom, 1e-3) << i;
                EXPECT_NEAR(g.zTop, w.zTop, 1e-3) << i;
                EXPECT_NEAR(g.zBottom, w.zBottom, 1e-3) << i;
                EXPECT_EQ(g.bottomFlat, w.bottomFlat) << i << "\n" << describe(holes);
            }
        }
        freeViewsTree(run.tree);
    }
}

TEST_F(RecogPipelineTest, AnInclinedHoleGetsANewViewAlongItsAxisWithDepthsMeasuredAlongIt) {
    const double a = 0.3, s = std::sin(a), c = std::cos(a);
    const Vec3 entry{20, 20, 20}, dir{s, 0, -c};
    addPart(block(20).hole(blindTipped("i", entry, dir, 6, 8)));
    RUN run = recognize();
    expectWellFormed(run.tree);
    const std::vector<HOLE> holes = holesOf(run.tree);
    ASSERT_EQ(holes.size(), 1u) << describe(holes);
    const HOLE& h = holes[0];
    EXPECT_GT(h.viewNumber, 8);   // not a standard view: the host made one
    EXPECT_TRUE(sameDirection(h.dir, {-s, 0, c})) << describe(holes);
    const double entryZ = -s * entry[0] + c * entry[2];
    ASSERT_GE(h.segs.size(), 2u);
    // The wall rises above the entry point on the side where the slanted face is higher.
    EXPECT_NEAR(h.segs.front().zTop, entryZ + 3 * std::tan(a), 1e-3) << describe(holes);
    for (const SEG& seg : h.segs) EXPECT_NEAR(seg.dTop, 6, 1e-3);
    EXPECT_NEAR(h.segs.back().dBottom, 0, 1e-3);
    EXPECT_NEAR(h.segs.back().zBottom, entryZ - 8 - 3 / kTip59, 1e-3);
    freeViewsTree(run.tree);
}

// Blind drilled holes whose every wall is two half faces, their cones referenced at the middle of the face,
// as other systems write holes, read from a STEP file: the reader parameterises the tips from their apex.
// Square and slanted, each hole's cylinder and tip are whole, the halves' sweeps measured at the end of
// each that is a circle; measured at the apex as well, a slanted view's rounding swept a tip half 190 or
// 350 degrees, and the halves merged to an arc short of the circle.
TEST_F(RecogPipelineTest, AHoleOfHalfFacesReadFromAStepFileIsWholeInEveryView) {
    TempDir dir;
    for (const double deg : {0.0, 20.0, 37.0}) {
        SCOPED_TRACE(deg);
        const double a = deg * std::numbers::pi / 180;
        PartBuilder part = PartBuilder::block({60, 40, 30}, {100, 40, 20});
        for (int i = 0; i < 4; ++i) {
            HoleSpec hole = blindTipped("h", {110.0 + 12 * i, 60, 50}, {0, std::sin(a), -std::cos(a)}, 6, 10);
            hole.splitWall = true;
            part.hole(hole);
        }
        part.conesReferencedMidFace();
        const BuiltPart built = part.build();
        ASSERT_TRUE(built.ok()) << built.error;
        host::StepSolid solid;
        solid.solid = built.solid;
        const std::string path = dir.path() + "/halves.stp";
        ASSERT_EQ(host::exportStep({solid}, path), "");
        host::newPart();
        ASSERT_EQ(host::openStepAsPart(path), "");
        ASSERT_NE(solidsToEntities(g_globals->settings.featuresLevelCopy), 0);
        RUN run = recognize();
        const std::vector<HOLE> holes = holesOf(run.tree);
        ASSERT_EQ(holes.size(), 4u) << describe(holes);
        for (const VIEW_LIST* v = run.tree; v; v = v->next)
            for (const POINT_LIST* p = v->firstPoint; p; p = p->next)
                for (const CYL_LIST* s = p->firstCyl; s; s = s->next) {
                    // On the slant the wall rises above the full circle on one side: that sliver is an arc.
                    if (s->rInf > 1 && s->zSup - s->zInf < 5) continue;
                    EXPECT_NEAR(std::fabs(s->Asw), 2 * std::numbers::pi, 1e-9)
                        << "D" << 2 * s->rSup << " to D" << 2 * s->rInf << " at Z" << s->zSup << "\n" << describe(holes);
                }
        freeViewsTree(run.tree);
    }
}

TEST_F(RecogPipelineTest, APartWithoutSurfacesOfRevolutionGivesNoTreeAndNoRejects) {
    addPart(block(12));
    RUN run = recognize(true, true);
    EXPECT_EQ(run.tree, nullptr);
    EXPECT_EQ(run.outcome, kRecognitionDone);
    EXPECT_EQ(run.wide + run.narrow + run.refused, 0);
    EXPECT_EQ(g_surfaceCount, 6);   // the six faces were looked at
}

TEST_F(RecogPipelineTest, TheStepFileOfAPlateGivesTheHolesOfItsBuilderPart) {
    const ExamplePart plate = exampleParts().front();
    ASSERT_EQ(plate.name, "holes_plate");
    addPart(plate.builder);
    RUN built = recognize();
    host::newPart();
    ASSERT_EQ(host::openStepAsPart(std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step"), "");
    ASSERT_NE(solidsToEntities(g_globals->settings.featuresLevelCopy), 0);
    RUN read = recognize();
    expectWellFormed(read.tree);
    EXPECT_EQ(holesOf(read.tree).size(), plate.builder.build().holes.size());
    EXPECT_EQ(describe(holesOf(read.tree)), describe(holesOf(built.tree)));
    freeViewsTree(built.tree);
    freeViewsTree(read.tree);
}

TEST_F(RecogPipelineTest, TheSamePartGivesTheSameTreeEveryTime) {
    addPart(exampleParts()[1].builder);
    RUN first = recognize();
    RUN second = recognize();
    ASSERT_NE(first.tree, nullptr);
    EXPECT_EQ(describe(holesOf(first.tree)), describe(holesOf(second.tree)));
    std::vector<int> ids1, ids2;
    for (const HOLE& h : holesOf(first.tree)) ids1.push_back(h.id);
    for (const HOLE& h : holesOf(second.tree)) ids2.push_back(h.id);
    EXPECT_EQ(ids1, ids2);
    freeViewsTree(first.tree);
    freeViewsTree(second.tree);
}

// ---- filters ---------------------------------------------------------------------------------------------

class RecogFilterTest : public RecogFixture {
protected:
    void SetUp() override {
        RecogFixture::SetUp();
        // Two through holes (one wall surface each) and a counterbore whose widest wall is 11.
        addPart(PartBuilder::block({60, 30, 10})
                    .hole(throughHole("d8", {10, 15, 10}, kDown, 8))
                    .hole(throughHole("d10", {30, 15, 10}, kDown, 10))
                    .hole(counterbored("cb", {50, 15, 10}, kDown, 4, 11, 3)));
    }
    static int holes(const RUN& run) { return static_cast<int>(holesOf(run.tree).size()); }
    static double halfT() { return g_tolerances.tolT / 2; }
    // The walls the last run told of, by rule, as "diameter" texts.
    static std::vector<std::string> told(DROP_RULE rule) {
        std::vector<std::string> out;
        for (const DROPPED_WALL& w : droppedWalls())
            if (w.rule == rule) out.push_back(std::to_string(static_cast<int>(std::lround(w.diameter))));
        return out;
    }
};

TEST_F(RecogFilterTest, TheMaximumDiameterKeepsWallsUpToItPlusHalfTAndCountsTheWiderOnes) {
    PRM_SETTINGS& s = g_globals->settings;
    s.maxDiameter = 10 - halfT() + 1e-7;   // the d10 wall lies at the limit
    RUN atLimit = recognize(true, false);
    EXPECT_EQ(atLimit.wide, 1);            // only the counterbore's d11
    EXPECT_EQ(holes(atLimit), 3);          // the counterbore keeps its d4 wall
    freeViewsTree(atLimit.tree);

    s.maxDiameter = 10 - halfT() - 1e-7;   // just below
    RUN above = recognize(true, false);
    EXPECT_EQ(above.wide, 2);
    EXPECT_EQ(told(DROP_RULE::TooWide), (std::vector<std::string>{"10", "11"}));   // each counted wall is told of
    EXPECT_EQ(holes(above), 2);
    EXPECT_EQ(above.narrow + above.refused, 0);
    freeViewsTree(above.tree);

    RUN off = recognize(false, false);     // the switch off: nothing is too wide
    EXPECT_EQ(off.wide, 0);
    EXPECT_EQ(holes(off), 3);
    freeViewsTree(off.tree);
}

TEST_F(RecogFilterTest, TheMinimumDiameterDropsNarrowerWallsAndCountsThem) {
    PRM_SETTINGS& s = g_globals->settings;
    s.minDiameter = 8 + halfT() - 1e-7;    // the d8 wall at the limit is kept; the d4 is too narrow
    RUN atLimit = recognize(false, true);
    EXPECT_EQ(atLimit.narrow, 1);
    EXPECT_EQ(holes(atLimit), 3);
    freeViewsTree(atLimit.tree);

    s.minDiameter = 8 + halfT() + 1e-7;
    RUN below = recognize(false, true);
    EXPECT_EQ(below.narrow, 2);
    EXPECT_EQ(told(DROP_RULE::TooNarrow).size(), 2u);
    EXPECT_EQ(holes(below), 2);
    EXPECT_EQ(below.wide + below.refused, 0);
    freeViewsTree(below.tree);

    s.minDiameter = 100;
    RUN off = recognize(false, false);
    EXPECT_EQ(off.narrow, 0);
    EXPECT_EQ(holes(off), 3);
    freeViewsTree(off.tree);
}

TEST_F(RecogFilterTest, WithTheViewsRestrictionOnAndNoViewsChosenEveryWallIsRefused) {
    g_globals->settings.onlySelectedViews = 1;
    RUN run = recognize(true, true);
    EXPECT_EQ(run.tree, nullptr);
    EXPECT_EQ(run.refused, 4);   // d8, d10 and the counterbore's two walls
    EXPECT_EQ(told(DROP_RULE::Direction).size(), 4u);
    EXPECT_EQ(run.wide + run.narrow, 0);
}

// ---- grouping by axis ------------------------------------------------------------------------------------

TEST_F(RecogPipelineTest, CoaxialWallsCloserThanTheMergeDistanceFormOneHole) {
    struct CASE {
        double offset;
        int rawHoles, holes;
    };
    // A d11 counterbore-like pocket over a d6 hole whose axis is off by `offset` (the merge distance is 0.05).
    for (const CASE& c : {CASE{0.0499, 1, 1}, CASE{0.05, 2, 2}}) {
        SCOPED_TRACE(c.offset);
        host::newPart();
        addPart(block(12).hole(blindFlat("a", {20, 20, 12}, kDown, 11, 4)).hole(blindFlat("b", {20 + c.offset, 20, 12},
                                                                                            kDown, 6, 10)));
        VIEW_LIST* raw = nullptr;
        ASSERT_EQ(buildRawTree(&raw, RAW_FILTERS{}), 0);
        const std::vector<HOLE> rawHoles = holesOf(raw);
        ASSERT_EQ(static_cast<int>(rawHoles.size()), c.rawHoles) << describe(rawHoles);
        // Segments of one hole are ordered from the top: the wide pocket first.
        EXPECT_NEAR(rawHoles[0].segs[0].dTop, 11, 1e-3);
        freeViewsTree(raw);

        RUN run = recognize();
        EXPECT_EQ(static_cast<int>(holesOf(run.tree).size()), c.holes) << describe(holesOf(run.tree));
        freeViewsTree(run.tree);
    }
}

// A hole's position is its top wall's axis: when a higher wall joins, the position moves, and a wall met
// later joins the hole by where it is now. The walls are met in the order they were stored: the middle one
// (at x 20.09), the top one 0.04 beside it, which moves the hole to 20.13, and the bottom one, 0.045 from
// there but 0.085 from where the hole began (the two positions lie in different cells of the grid of
// twice the merge distance).
TEST_F(RecogPipelineTest, AWallJoinsAHoleByWhereItsTopHasMovedTo) {
    const auto storeWall = [](double x, double r, double zTop, double zBottom) {
        ent line{};
        line.type = kEntLine;
        line.ln.ln = l_3d{{x + r, 20, zTop}, {x + r, 20, zBottom}};
        surf_of_rev rev{&line, {x, 20, 0}, {0, 0, 1}, 0, 2 * std::numbers::pi};
        ent surface{};
        ASSERT_EQ(create_nurbsurf_from_surf(&rev, &surface), 1);
        ASSERT_NE(put_surf_in_db(&surface, 10, main_level), 0u);
    };
    storeWall(20.09, 4, 8, 5);
    storeWall(20.13, 5.5, 12, 8);
    storeWall(20.175, 2.5, 5, 2);
    VIEW_LIST* raw = nullptr;
    ASSERT_EQ(buildRawTree(&raw, RAW_FILTERS{}), 0);
    const std::vector<HOLE> holes = holesOf(raw);
    ASSERT_EQ(holes.size(), 1u) << describe(holes);
    ASSERT_EQ(holes[0].segs.size(), 3u) << describe(holes);
    EXPECT_NEAR(holes[0].segs[0].dTop, 11, 1e-3);
    EXPECT_NEAR(raw->firstPoint->ptUniv[0], 20.13, 1e-9);
    freeViewsTree(raw);
}

TEST_F(RecogPipelineTest, AWallWhoseAxisPointsTheOtherWayJoinsTheViewTurnedEndForEnd) {
    const double a = 0.3, s = std::sin(a), c = std::cos(a);
    // Parallel inclined holes, one from the top and one from the bottom face.
    addPart(PartBuilder::block({60, 40, 20})
                .hole(blindFlat("i", {15, 20, 20}, {s, 0, -c}, 6, 8))
                .hole(blindFlat("j", {45, 20, 0}, {-s, 0, c}, 6, 8)));
    VIEW_LIST* raw = nullptr;
    ASSERT_EQ(buildRawTree(&raw, RAW_FILTERS{}), 0);
    ASSERT_EQ(countViews(raw), 1);   // one direction, whichever way each surface's axis runs
    ASSERT_EQ(countPoints(raw), 2);
    const double* z = raw->matrix[2];
    for (const POINT_LIST* p = raw->firstPoint; p; p = p->next)
        for (const CYL_LIST* cyl = p->firstCyl; cyl; cyl = cyl->next) {
            EXPECT_GE(cyl->zSup, cyl->zInf);
            EXPECT_EQ(cyl->viewNumber, raw->viewNumber);
            // cUniv is the axis point at zSup, measured along the view.
            EXPECT_NEAR(cyl->cUniv[0] * z[0] + cyl->cUniv[1] * z[1] + cyl->cUniv[2] * z[2], cyl->zSup, 1e-6);
        }
    // The upper hole's bottom and the lower hole's mouth, along the view's direction (z up the axis).
    const double bottomI = z[0] * (15 + 8 * s) + z[2] * (20 - 8 * c);
    const double mouthJ = z[0] * 45 + z[2] * 0;
    const CYL_LIST* lastI = lastCyl(raw->firstPoint);
    const CYL_LIST* lastJ = lastCyl(raw->firstPoint->next);
    EXPECT_NEAR(std::min(lastI->zInf, lastJ->zInf), std::min(bottomI, mouthJ - 3 * std::tan(a)), 1e-3);
    freeViewsTree(raw);

    RUN run = recognize();
    EXPECT_EQ(countViews(run.tree), 2);   // the lower hole is drilled from below in the end
    freeViewsTree(run.tree);
}

TEST_F(RecogPipelineTest, OnlySurfacesOnVisibleLevelsAreRecognisedAndCounted) {
    const double axisPt[3] = {0, 0, 0}, axisDir[3] = {0, 0, 1};
    ASSERT_NE(createCylSurface(axisPt, axisDir, 3, 0, 3, -10, 40, 5), 0u);
    ASSERT_NE(createCylSurface(axisPt, axisDir, 6, 0, 6, -10, 41, 5), 0u);
    set_level_visible(41, 0);
    RUN run = recognize();
    EXPECT_EQ(g_surfaceCount, 1);
    const std::vector<HOLE> holes = holesOf(run.tree);
    ASSERT_EQ(holes.size(), 1u) << describe(holes);
    EXPECT_NEAR(holes[0].segs[0].dTop, 6, 1e-6);
    freeViewsTree(run.tree);
}

// ---- progress, cancel, dumps -------------------------------------------------------------------------------

TEST_F(RecogPipelineTest, ARunStepsTheProgressFourTimes) {
    addPart(block(12).hole(throughHole("t", {20, 20, 12}, kDown, 8)));
    CProgressBox progress;
    progress.open("", "");
    const std::int16_t before = progress.stepCount;
    RUN run = recognize(false, false, &progress);
    EXPECT_EQ(progress.stepCount - before, 4);
    EXPECT_NE(run.tree, nullptr);
    freeViewsTree(run.tree);
}

TEST_F(RecogPipelineTest, CancellingAtAProgressStepGivesNoTree) {
    addPart(exampleParts().front().builder);
    CProgressBox progress;
    progress.open("", "");
    script().cancelWait();
    RUN run = recognize(false, false, &progress);
    EXPECT_EQ(run.tree, nullptr);
    EXPECT_EQ(run.outcome, kRecognitionCancelled);
    EXPECT_TRUE(host::waitDialog().cancelled);
    expectScriptPlayed();
}

TEST_F(RecogPipelineTest, StageDumpsAreWrittenOnlyWhileTheDebugSwitchIsOn) {
    addPart(block(12).hole(throughHole("t", {20, 20, 12}, kDown, 8)));
    g_globals->tmpDir = dir.path() + "/dumps";
    ASSERT_TRUE(plat::createDirectories(g_globals->tmpDir));
    const std::vector<std::string> names = {
        "01_CylsRaw.txt",         "02_JointAxis.txt",      "03_CylsPlanarRev.txt",  "04_CylsEnh.txt",
        "05_CylsDelOpen.txt",     "06_CylsDelAngDummy.txt", "07_CylsPlanar.txt",    "08_CylsOverlapp.txt",
        "09_CylsUnusedPts.txt",   "10_CylsRemovePockets.txt", "11_CylsSplitTipTool.txt", "12_CylsEraAOpq.txt",
        "13_CylsSplitFar.txt",    "14_CylsSplitTwin.txt",  "15_CylsEraBelow.txt",   "16_CylsSetEntry.txt",
        "17_CylsEraCavern.txt",   "18_CylsSplitTwin2.txt", "19_CylsDelOpen.txt",    "20_EraVoidView.txt"};
    g_globals->debugDumps = 0;
    freeViewsTree(recognize().tree);
    EXPECT_TRUE(plat::findFiles(g_globals->tmpDir, "*").empty());

    g_globals->debugDumps = 1;
    freeViewsTree(recognize().tree);
    g_globals->debugDumps = 0;
    for (const std::string& name : names) EXPECT_TRUE(plat::fileExists(g_globals->tmpDir + "/" + name)) << name;
    EXPECT_EQ(plat::findFiles(g_globals->tmpDir, "*").size(), names.size());
    const std::string last = plat::readFile(g_globals->tmpDir + "/20_EraVoidView.txt").value_or("");
    EXPECT_NE(last.find("View 1"), std::string::npos) << last;
}

}  // namespace
