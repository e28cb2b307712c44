// The opaque-surfaces check on builder parts: what each hole learns of the material above its mouth, below
// its bottom and inside its depth, the drill tip given to a flat bottom that a crossing hole's wall meets,
// the cases that must stay quiet, the debug file and the user's Cancel.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "host/state.h"
#include "platform/sys/files.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/progress_box.h"
#include "plugin/base/vectors.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/opaque_check.h"
#include "recognition_checks_support.h"
#include "plugin/services/recognition.h"
#include "support/case_names.h"

namespace {

using namespace recog_o;

// ---- the shared range test ------------------------------------------------------------------------------

TEST(IsBetweenTolTest, BothBoundsAreStrictAndTheEndsMayComeInEitherOrder) {
    EXPECT_EQ(isBetweenTol(5, 0, 10, 0), 1);
    EXPECT_EQ(isBetweenTol(5, 10, 0, 0), 1);
    EXPECT_EQ(isBetweenTol(0, 0, 10, 0), 0);     // on an end without tolerance: outside
    EXPECT_EQ(isBetweenTol(10, 10, 0, 0), 0);
    EXPECT_EQ(isBetweenTol(10.05, 0, 10, 0.1), 1);
    EXPECT_EQ(isBetweenTol(-0.1, 10, 0, 0.1), 0);  // exactly the tolerance away: outside
    EXPECT_EQ(isBetweenTol(-0.09, 10, 0, 0.1), 1);
}

// ---- a planar surface's heights in several views ----------------------------------------------------------

TEST(PlanarHeightsTest, EachViewGetsTheRangeOfItsOwnHeightsWhateverTheNumberOfViews) {
    // Planar surfaces met one after the other, each measured alone: heights of one never reach the next.
    const p_3d surfaces[][4] = {
        {{-5, 5, 2}, {5, 5, 7}, {-5, -5, -1}, {5, -5, 4}},   // tilted, about the origin
        // Far from the origin and turned, as parts lie: none of its heights near 0 or the first's.
        {{140, 95, 212}, {146, 103, 215}, {132, 101, 209}, {138, 109, 212}},
    };
    const p_3d twisted[4] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 10, 4}};
    ent patch{};
    ASSERT_EQ(create_nurbsurf_from_4_points(twisted, &patch), 1);
    const double rows[5][3] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {0.6, 0, 0.8}, {0, 0.6, -0.8}};
    // One view, a pair, a pair and a lone view, two pairs and a lone view.
    for (const std::size_t count : {1u, 2u, 3u, 5u}) {
        opaque::CPlanarHeights heights;
        for (std::size_t i = 0; i < count; ++i) heights.addView(rows[i]);
        std::vector<opaque::Z_RANGE> ranges(1, {-3, 3});
        EXPECT_FALSE(heights.of(patch, ranges));
        EXPECT_EQ(ranges.size(), 1u);
        for (std::size_t row = 0; row < std::size(surfaces); ++row) {
            ent square{};
            ASSERT_EQ(create_nurbsurf_from_4_points(surfaces[row], &square), 1);
            ASSERT_TRUE(heights.of(square, ranges));
            ASSERT_EQ(ranges.size(), count);
            for (std::size_t i = 0; i < count; ++i) {
                double zMin = 1e10, zMax = -1e10;
                for (const double u : {square.surf.uMin, square.surf.uMax})
                    for (const double v : {square.surf.vMin, square.surf.vMax}) {
                        p_3d p;
                        ASSERT_EQ(eval_surf(&square, u, v, 0, &p), 1);
                        const double z = p.x * rows[i][0] + p.y * rows[i][1] + p.z * rows[i][2];
                        zMin = std::min(zMin, z);
                        zMax = std::max(zMax, z);
                    }
                EXPECT_EQ(ranges[i].zMin, zMin) << count << " views, view " << i << ", surface " << row;
                EXPECT_EQ(ranges[i].zMax, zMax) << count << " views, view " << i << ", surface " << row;
            }
        }
        EXPECT_NEAR(ranges[0].zMin, 209, 1e-12);
        EXPECT_NEAR(ranges[0].zMax, 215, 1e-12);
    }
}

// ---- ranking surfaces by height ----------------------------------------------------------------------------

TEST(RankingTest, RanksAsAStableSortWhateverIsAskedFirst) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<std::vector<double>> rows = {
        {},
        {4},
        {3, 1, 2},
        {2, 1, 2, 1, 2, 1},       // ties keep their positions' order
        {0.0, -0.0, 0.0, -1},     // signed zeros are ties
        {3, nan, 1, 2, 0, nan, 1},   // NaN orders nothing: the stable sort as it falls
    };
    std::vector<double> many;     // past the first sorted stretch, with ties
    for (int i = 0; i < 100; ++i) many.push_back((i * 37) % 23);
    rows.push_back(many);
    for (std::size_t row = 0; row < rows.size(); ++row)
        for (const bool descending : {false, true}) {
            const std::vector<double>& keys = rows[row];
            std::vector<std::size_t> expected(keys.size());
            for (std::size_t i = 0; i < keys.size(); ++i) expected[i] = i;
            std::stable_sort(expected.begin(), expected.end(), [&](std::size_t a, std::size_t b) {
                return descending ? keys[a] > keys[b] : keys[a] < keys[b];
            });
            opaque::CRanking ranking;
            ranking.reset(keys, descending);
            ASSERT_EQ(ranking.size(), keys.size());
            // The first rank alone, then every rank from the last down.
            if (!keys.empty()) {
                EXPECT_EQ(ranking[0], expected[0]) << "row " << row;
            }
            for (std::size_t rank = keys.size(); rank-- > 0;)
                EXPECT_EQ(ranking[rank], expected[rank]) << "row " << row << " rank " << rank << " " << descending;
        }
}

// ---- rays that cannot reach a surface's box ----------------------------------------------------------------

TEST(RaysMayMeetBoxTest, NoRayOfAHoleTheBoxRefusesIsCast) {
    opaque::SURF_IN_VIEW s{};
    s.box[0][0] = 10, s.box[0][1] = 20, s.box[1][0] = -5, s.box[1][1] = 5;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct CASE {
        double x, y, r;
        bool may;
    };
    for (const CASE& k : {CASE{15, 0, 1, true}, CASE{8, 0, 2, true},           // inside; touching the side
                          CASE{8, 0, 1.9999989, false}, CASE{8, 0, 1.999999, true},   // the slack is 1e-6
                          CASE{22, 0, 1.5, false}, CASE{15, 7, 1.5, false}, CASE{15, -7, 3, true},
                          CASE{22, 0, -2.5, true}, CASE{22, 0, -1.5, false},  // the radius's size counts
                          CASE{22, 0, nan, true}}) {                            // nothing known: cast
        EXPECT_EQ(opaque::raysMayMeetBox(s, k.x, k.y, k.r), k.may) << k.x << " " << k.y << " " << k.r;
        if (k.may) continue;
        for (int i = 0; i < 360; ++i) {
            const double angle = i * std::numbers::pi / 180 + 0.001;
            const double x = k.x + k.r * std::cos(angle), y = k.y + k.r * std::sin(angle);
            const bool inBox = x >= s.box[0][0] - 1e-6 && x <= s.box[0][1] + 1e-6 && y >= s.box[1][0] - 1e-6 &&
                               y <= s.box[1][1] + 1e-6;
            EXPECT_FALSE(inBox) << k.x << " " << k.y << " " << k.r << " at " << i;
        }
    }
}

// ---- parts ------------------------------------------------------------------------------------------------

// A cross hole along x whose wall is split in two half faces, so that a vertical ray meets its upper and
// its lower half as two surfaces.
HoleSpec crossHole(double y, double axisZ, double d, double fromX = 60) {
    HoleSpec h = throughHole("cross", {fromX, y, axisZ}, {fromX > 0 ? -1.0 : 1.0, 0, 0}, d);
    h.splitWall = true;
    return h;
}

class OpaqueTest : public CheckTest {
protected:
    // The recognised hole whose axis passes through (x, y) of world XY and that is drilled along -Z.
    POINT_LIST* holeAt(double x, double y) {
        for (VIEW_LIST* v = head; v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; p; p = p->next)
                if (v->viewNumber == 1 && std::hypot(p->ptUniv[0] - x, p->ptUniv[1] - y) < 1e-6) return p;
        ADD_FAILURE() << "no hole at " << x << " " << y;
        return nullptr;
    }
    void recognize() {
        std::int32_t wide = 0, narrow = 0, direction = 0;
        g_nextHoleId = 1;
        head = recognizeCylinders(kRecognizeCommand, nullptr, &wide, &narrow, &direction, 0, 0, nullptr);
        ASSERT_NE(head, nullptr);
    }
};

// ---- a crossing hole at a flat bottom -----------------------------------------------------------------------

TEST_F(OpaqueTest, CrossHoleMeetingAFlatBottomGivesTheHoleADrillTipAndTheCrashFlag) {
    // Blind hole d8 from z30 down to a flat bottom at z18; a cross hole d6 whose top touches that bottom.
    makePart(PartBuilder::block({60, 40, 30}).hole(blindFlat("blind", {20, 20, 30}, {0, 0, -1}, 8, 12))
                 .hole(crossHole(20, 15, 6)));
    recognize();
    POINT_LIST* p = holeAt(20, 20);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->cylCount, 1);
    const CYL_LIST* bore = p->firstCyl;
    const double boreZInf = bore->zInf, boreRInf = bore->rInf;

    ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
    EXPECT_EQ(p->crashInto, 1);
    ASSERT_EQ(p->cylCount, 2);
    const CYL_LIST* tip = lastCyl(p);
    ASSERT_EQ(tip->prev, bore);
    EXPECT_NEAR(2 * tip->secAng / kDeg, 118, 1e-9);
    EXPECT_EQ(tip->zSup, boreZInf);
    EXPECT_EQ(tip->rSup, boreRInf);
    EXPECT_EQ(tip->rInf, 0);
    EXPECT_NEAR(tip->zInf, boreZInf - boreRInf / std::tan(59 * kDeg), 1e-9);
    EXPECT_NEAR(tip->Asw, 2 * std::numbers::pi, 1e-12);
    EXPECT_EQ(tip->viewNumber, 1);
    EXPECT_NEAR(tip->cUniv[0], 20, 1e-9);
    EXPECT_NEAR(tip->cUniv[1], 20, 1e-9);
    EXPECT_NEAR(tip->cUniv[2], 18, 1e-6);
    // The lower half of the cross hole lies straight below the bottom: the highest hit below is z12.
    EXPECT_EQ(p->crashBottom, 1);
    EXPECT_NEAR(p->crashBottomZ, 12, 1e-4);
    EXPECT_EQ(p->crashTop, 0);

    // A second run adds nothing: the new tip lies in the drawn tip range, so no second cone.
    const double hillB = p->hillB;
    ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
    EXPECT_EQ(p->cylCount, 2);
    EXPECT_EQ(p->crashInto, 1);
    EXPECT_GE(p->hillB, hillB);
}

TEST_F(OpaqueTest, InFeaturesModeACrossHoleStillGivesTheTipButNoCrash) {
    makePart(PartBuilder::block({60, 40, 30}).hole(blindFlat("blind", {20, 20, 30}, {0, 0, -1}, 8, 12))
                 .hole(crossHole(20, 15, 6)));
    addAllHoles();
    ASSERT_EQ(checkOpaqueSurfs(head, 1, nullptr), 0);
    EXPECT_EQ(holes[0]->cylCount, 2);
    EXPECT_EQ(holes[0]->crashInto, 0);
    // Mode 0 on the same tree: the hole already ends in a 118 degree tip, so the hit is no crash either.
    ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
    EXPECT_EQ(holes[0]->cylCount, 2);
    EXPECT_EQ(holes[0]->crashInto, 0);
}

TEST_F(OpaqueTest, TheNewTipIsTheHolesBottomForTheSurfacesThatFollow) {
    makePart(PartBuilder::block({60, 40, 30}).hole(blindFlat("blind", {20, 20, 30}, {0, 0, -1}, 8, 12))
                 .hole(crossHole(20, 15, 6)));
    // A second solid far below, whose surfaces come after the part's in the database.
    BuiltPart below = PartBuilder::block({60, 40, 10}, {0, 0, -50}).build();
    ASSERT_TRUE(below.ok()) << below.error;
    const int converted = storeAsSurfaces(below.solid, 1, false, "below");
    ASSERT_GT(converted, 0);
    g_surfaceCount += converted;
    addAllHoles();
    ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
    ASSERT_EQ(holes[0]->cylCount, 2);
    // The lowest surface, z-50, came after the tip: it is measured from the tip's point, not from z18.
    EXPECT_NEAR(holes[0]->hillB, 18 - 4 / std::tan(59 * kDeg) + 50, 1e-6);
}

// A pin of another solid, d4, against a through hole d10 drilled down through a block 20 high: standing
// in the hole it leaves it out of reach; beside it, above it or slanted across it, it does not.
struct PIN_CASE {
    const char* name;
    host::Vec3 foot, axis;
    double length;
    int notAccessible;
};

void PrintTo(const PIN_CASE& c, std::ostream* os) { *os << c.name; }

class PinTest : public OpaqueTest, public testing::WithParamInterface<PIN_CASE> {};

TEST_P(PinTest, APinStandingInTheHoleLeavesItOutOfReach) {
    const PIN_CASE& pin = GetParam();
    makePart(PartBuilder::block({40, 40, 20}).hole(throughHole("t", {20, 20, 20}, {0, 0, -1}, 10)));
    const BuiltPart bar = PartBuilder::bar({pin.foot, pin.axis, 4, pin.length, 0}).build();
    ASSERT_TRUE(bar.ok()) << bar.error;
    const int converted = storeAsSurfaces(bar.solid, 1, false, "pin");
    ASSERT_GT(converted, 0);
    g_surfaceCount += converted;
    addAllHoles();
    ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
    EXPECT_EQ(holes[0]->notAccessible, pin.notAccessible);
}

INSTANTIATE_TEST_SUITE_P(
    Opaque, PinTest,
    testing::Values(PIN_CASE{"AlongTheAxis", {20, 20, -5}, {0, 0, 1}, 40, 1},
                    PIN_CASE{"OffTheAxisWithinTheBore", {22, 20, -5}, {0, 0, 1}, 40, 1},
                    PIN_CASE{"BesideTheHole", {29, 20, -5}, {0, 0, 1}, 40, 0},
                    PIN_CASE{"AboveTheHole", {20, 20, 25}, {0, 0, 1}, 10, 0},
                    PIN_CASE{"SlantedAcrossTheHole", {17, 20, -5}, {0.2, 0, 1}, 40, 0}), byCaseName);

// A tipped hole d8 (tip of `tipDeg`) whose tip reaches into a cross hole d6 with its top at z17; the cross
// hole's axis passes under the hole's axis or `offset` beside it.
struct TIP_CASE {
    const char* name;
    double tipDeg;
    double offset;
    int crashInto;
    int cylCount;
};

void PrintTo(const TIP_CASE& c, std::ostream* os) { *os << c.name; }

class TippedBottomTest : public OpaqueTest, public testing::WithParamInterface<TIP_CASE> {};

TEST_P(TippedBottomTest, AHoleThatAlreadyEndsInATipIsNotGivenAnother) {
    const TIP_CASE& c = GetParam();
    makePart(PartBuilder::block({60, 40, 30}).hole(blindTipped("tipped", {20, 20, 30}, {0, 0, -1}, 8, 12, c.tipDeg))
                 .hole(crossHole(20 + c.offset, 14, 6)));
    addAllHoles();
    ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
    EXPECT_EQ(holes[0]->crashInto, c.crashInto);
    EXPECT_EQ(holes[0]->cylCount, c.cylCount);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TippedBottomTest,
    testing::Values(
        // The axes meet and the hole ends in a point: quiet whatever the tip's angle.
        TIP_CASE{"MeetingAxesAPointedDrillTip", 118, 0, 0, 2}, TIP_CASE{"MeetingAxesAFlatterTip", 90, 0, 0, 2},
        // Beside the axis: a drill tip in the drawn range is still quiet; a 90 degree cone is not a drill tip.
        TIP_CASE{"BesideTheAxisADrillTip", 118, 1.5, 0, 2}, TIP_CASE{"BesideTheAxisACountersinkCone", 90, 1.5, 1, 3}),
    byCaseName);

// ---- heights and hits of a plain part ----------------------------------------------------------------------

TEST_F(OpaqueTest, ABossGivesEveryHoleItsHeightAndTheBottomIsSeenBelowEveryBlindHole) {
    // A grid of blind holes and through holes in a plate with one boss of height 7 in a corner.
    PartBuilder builder = PartBuilder::block({120, 80, 20}).boss({{110, 70, 20}, {0, 0, 1}, 8, 7, 0});
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 3; ++j) {
            const double x = 15 + 20 * i, y = 15 + 20 * j;
            builder.hole(j == 1 ? throughHole("t", {x, y, 20}, {0, 0, -1}, 6)
                                : blindFlat("b", {x, y, 20}, {0, 0, -1}, 6, 8));
        }
    makePart(builder);
    addAllHoles();
    ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
    for (std::size_t i = 0; i < holes.size(); ++i) {
        const POINT_LIST* p = holes[i];
        const bool through = part.holes[i].through;
        SCOPED_TRACE(std::to_string(i) + (through ? " through" : " blind"));
        EXPECT_NEAR(p->hillT, 7, 1e-6);   // however far the boss is
        EXPECT_NEAR(p->hillB, through ? 0 : 12, 1e-6);
        EXPECT_EQ(p->crashBottom, through ? 0 : 1);
        if (!through) {
            EXPECT_NEAR(p->crashBottomZ, 0, 1e-6);
        }
        // Its own floor and walls never count against the hole.
        EXPECT_EQ(p->crashInto, 0);
        EXPECT_EQ(p->crashTop, 0);
        EXPECT_EQ(p->cylCount, 1);
    }
}

TEST_F(OpaqueTest, OnlyTheHoleACrossHoleMeetsGetsATipAmongMany) {
    PartBuilder builder = PartBuilder::block({120, 80, 30});
    for (int i = 0; i < 5; ++i) builder.hole(blindFlat("b", {15.0 + 20 * i, 20, 30}, {0, 0, -1}, 8, 12));
    builder.hole(crossHole(20, 15, 6, 120)).hole(throughHole("far", {60, 60, 30}, {0, 0, -1}, 6));
    makePart(builder);
    addAllHoles();
    ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
    // Every blind hole stands over the cross hole: each gets the tip, the far hole stays plain.
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(holes[static_cast<std::size_t>(i)]->crashInto, 1);
        EXPECT_EQ(holes[static_cast<std::size_t>(i)]->cylCount, 2);
    }
    EXPECT_EQ(holes[6]->crashInto, 0);
    EXPECT_EQ(holes[6]->cylCount, 1);
    EXPECT_EQ(holes[6]->crashBottom, 0);
}

TEST_F(OpaqueTest, AHoleEnteredFromInsideABoreSeesTheBoresFarWallAboveItsMouth) {
    // A bore d20 along x at z20 through a block 60 x 40 x 40, and a hole d6 drilled down from its bottom.
    makePart(PartBuilder::block({60, 40, 40}).hole(throughHole("bore", {0, 20, 20}, {1, 0, 0}, 20))
                 .hole(blindFlat("inner", {30, 20, 10}, {0, 0, -1}, 6, 5)));
    holes.push_back(addHole(1));
    ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
    const POINT_LIST* p = holes[0];
    EXPECT_EQ(p->crashTop, 1);
    EXPECT_NEAR(p->crashTopZ, 30, 1e-3);   // the bore's top at the rays, nearest the mouth
    EXPECT_EQ(p->crashBottom, 1);
    EXPECT_NEAR(p->crashBottomZ, 0, 1e-6);
    EXPECT_EQ(p->crashInto, 0);
    EXPECT_NEAR(p->hillT, 30, 1e-6);   // the block's top face, 30 above the mouth
}

// A surface lying on the hole's mouth within 2T is no material above it: rounding must not make every cover
// flush with the top a crash at the top. Beyond that band it is one.
TEST_F(OpaqueTest, ASurfaceWithinTwoTAboveTheMouthIsNoCrashAtTheTop) {
    const double T = g_tolerances.tolT;
    const struct {
        double gap;   // of the surface above the mouth
        int crashTop;
    } cases[] = {{T, 0}, {1.9 * T, 0}, {3 * T, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gap / T);
        freeViewsTree(head);
        head = nullptr;
        holes.clear();
        host::reset();
        makePart(PartBuilder::block({60, 40, 30}).hole(throughHole("t", {20, 20, 30}, {0, 0, -1}, 8)));
        const double centre[3] = {20, 20, 30 + c.gap}, up[3] = {0, 0, 1};
        ASSERT_NE(createSquareSurface(centre, up, 20, 1, 0), 0u);
        ++g_surfaceCount;
        addAllHoles();
        ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
        EXPECT_EQ(holes[0]->crashTop, c.crashTop);
        if (c.crashTop) {
            EXPECT_NEAR(holes[0]->crashTopZ, 30 + c.gap, 1e-9);
        }
    }
}

// The nearest surface above the mouth and the nearest below the bottom are kept, whichever comes first.
TEST_F(OpaqueTest, TheNearestSurfacesAboveAndBelowAreKeptInEitherOrder) {
    for (const std::vector<double>& heights : {std::vector<double>{36, 32, -6, -2}, {32, 36, -2, -6}}) {
        SCOPED_TRACE(heights[0]);
        freeViewsTree(head);
        head = nullptr;
        holes.clear();
        host::reset();
        makePart(PartBuilder::block({60, 40, 30}).hole(throughHole("t", {20, 20, 30}, {0, 0, -1}, 8)));
        for (double z : heights) {
            const double centre[3] = {20, 20, z}, up[3] = {0, 0, 1};
            ASSERT_NE(createSquareSurface(centre, up, 20, 1, 0), 0u);
            ++g_surfaceCount;
        }
        addAllHoles();
        ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
        EXPECT_EQ(holes[0]->crashTop, 1);
        EXPECT_NEAR(holes[0]->crashTopZ, 32, 1e-9);
        EXPECT_EQ(holes[0]->crashBottom, 1);
        EXPECT_NEAR(holes[0]->crashBottomZ, -2, 1e-9);
    }
}

// ---- debug file and Cancel ------------------------------------------------------------------------------

TEST_F(OpaqueTest, TheDebugFileTellsEachHitOnlyWhileTheSwitchIsOn) {
    makePart(PartBuilder::block({60, 40, 30}).hole(blindFlat("blind", {20, 20, 30}, {0, 0, -1}, 8, 12))
                 .hole(crossHole(20, 15, 6)));
    addAllHoles();
    const std::string path = dir.path() + "/23_OpqSurf.txt";
    ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
    EXPECT_FALSE(plat::fileExists(path));

    freeViewsTree(head);
    head = nullptr;
    holes.clear();
    addAllHoles();
    g_globals->debugDumps = 1;
    ASSERT_EQ(checkOpaqueSurfs(head, 0, nullptr), 0);
    const std::string text = plat::readFile(path).value_or("");
    EXPECT_EQ(text.rfind(std::to_string(g_surfaceCount) + " surf\n", 0), 0u) << text;
    EXPECT_NE(text.find("\ncrashInto Idn"), std::string::npos);
    EXPECT_NE(text.find("\ncrashBottom Idn"), std::string::npos);
    EXPECT_NE(text.find("ptProjZ=18.000 zSup=30.000 zInf =18.000\n"), std::string::npos) << text;
}

TEST_F(OpaqueTest, ACancelEndsTheCheckAndLeavesTheTreeAsFarAsItGot) {
    makePart(PartBuilder::block({60, 40, 30}).hole(blindFlat("blind", {20, 20, 30}, {0, 0, -1}, 8, 12))
                 .hole(crossHole(20, 15, 6)));
    addAllHoles();
    CProgressBox box;
    g_globals->uiTextFile = installDir + "/Tool.txt";
    (void)box.open("Recognition", "");
    script().cancelWait();
    EXPECT_EQ(checkOpaqueSurfs(head, 0, &box), -1);
    box.close();
    EXPECT_EQ(holes[0]->cylCount, 1);
    EXPECT_EQ(holes[0]->crashInto, 0);
    EXPECT_EQ(holes[0]->crashBottom, 0);
    EXPECT_EQ(holes[0]->hillB, 0);
}

}  // namespace
