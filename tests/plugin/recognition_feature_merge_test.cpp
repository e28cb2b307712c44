// Feature marks laid onto holes built in a 60 x 40 x 20 block from its top face (host view 1); marks from
// below look along -Z (host view 4). A mark runs from its top point over its length against its direction.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/feature_merge.h"
#include "recognition_attributes_support.h"
#include "plugin/services/recognition.h"

namespace {

using namespace recog_p;

constexpr int kBottomView = 4;

class FeatureMergeTest : public RecogPTest {
protected:
    void TearDown() override {
        freeFeatureMarkList(marks);
        marks = nullptr;
        RecogPTest::TearDown();
    }
    POINT_LIST* hole(const hb::HoleSpec& spec) { return addHole(built({60, 40, 20}, {spec})[0]); }

    // A tapped mark M8 (or a fit mark when `fitClass` is given) appended to the list.
    FEATURE_MARK* mark(p_3d top, p_3d dir, double length, const char* fitClass = nullptr, std::int16_t table = 1) {
        auto* m = new FEATURE_MARK();
        m->origin = 1;
        m->point[0] = top.x, m->point[1] = top.y, m->point[2] = top.z;
        m->direction[0] = dir.x, m->direction[1] = dir.y, m->direction[2] = dir.z;
        m->length = length;
        m->threadDepth = length;
        m->diameter = 8;
        if (fitClass) {
            m->isFit = 1;
            std::snprintf(m->fitClass, sizeof m->fitClass, "%s", fitClass);
        } else {
            m->isTap = 1;
            m->threadKind = table;
            m->tapDiam = 8;
            m->tapPitch = 1.25;
            std::snprintf(m->threadName, sizeof m->threadName, "M8");
        }
        FEATURE_MARK** link = &marks;
        while (*link) link = &(*link)->next;
        *link = m;
        return m;
    }
    FEATURE_MARK* merge() { return mergeFeaturesWithHoles(head, marks, readAllowedViews(g_globals->settings)); }

    static void expectTapped(const CYL_LIST* c, double depth) {
        EXPECT_EQ(c->isTap, 1);
        EXPECT_EQ(c->isFit, 0);
        EXPECT_STREQ(c->threadName, "M8");
        EXPECT_DOUBLE_EQ(c->threadDiam, 8);
        EXPECT_DOUBLE_EQ(c->threadPitch, 1.25);
        EXPECT_EQ(c->threadTable, 1);
        EXPECT_DOUBLE_EQ(c->featureDepth, depth);
        EXPECT_EQ(c->attribSuffix, 0);
    }
    static void expectFit(const CYL_LIST* c, const char* fitClass) {
        EXPECT_EQ(c->isFit, 1);
        EXPECT_EQ(c->isTap, 0);
        EXPECT_STREQ(c->fitClass, fitClass);
        EXPECT_STREQ(c->threadName, "");
    }
    static void expectBare(const CYL_LIST* c) {
        EXPECT_EQ(c->isTap, 0);
        EXPECT_EQ(c->isFit, 0);
        EXPECT_EQ(c->featureOrigin, 0);
    }

    FEATURE_MARK* marks = nullptr;
};

TEST_F(FeatureMergeTest, AMarkOnTheAxisPassesItsDataAndOverridesANameAttribute) {
    POINT_LIST* p = hole(hb::throughHole("T", {10, 10, 20}, {0, 0, -1}, 6.8));
    CYL_LIST* c = p->firstCyl;
    c->isFit = 1;
    c->attribSuffix = 1;
    std::snprintf(c->fitClass, sizeof c->fitClass, "H7");
    mark({10, 10, 20}, {0, 0, 1}, 12);
    EXPECT_EQ(merge(), marks);
    expectTapped(c, 12);
    EXPECT_STREQ(c->fitClass, "");
    EXPECT_EQ(c->featureOrigin, 1);
    EXPECT_EQ(c->featureFromBottom, 0);
    EXPECT_EQ(p->cylCount, 1);
}

// A mark whose top a damaged part left without finite coordinates matches no hole, and the merge goes on
// with the others.
TEST_F(FeatureMergeTest, AMarkWithoutAFiniteTopMatchesNothingAndTheOthersStillMatch) {
    POINT_LIST* p = hole(hb::throughHole("T", {10, 10, 20}, {0, 0, -1}, 6.8));
    mark({std::nan(""), 10, 20}, {0, 0, 1}, 12);
    mark({10, std::nan(""), 20}, {0, 0, 1}, 12);
    mark({10, 10, 20}, {0, 0, 1}, 12);
    EXPECT_EQ(merge(), marks);
    expectTapped(p->firstCyl, 12);
}

TEST_F(FeatureMergeTest, TwoOppositeMarksSplitAThroughHoleIntoOneHolePerSide) {
    POINT_LIST* p = hole(hb::throughHole("T", {10, 10, 20}, {0, 0, -1}, 8));
    // Recorded first: the fit from below, in the opposite direction, so the kept upper half takes the
    // mark from above. A third mark on the segment is dropped.
    mark({10, 10, 0}, {0, 0, -1}, 9, "H7");
    mark({10, 10, 20}, {0, 0, 1}, 9);
    mark({10, 10, 20}, {0, 0, 1}, 9, "H6");
    merge();

    ASSERT_EQ(p->cylCount, 1);
    const CYL_LIST* upper = p->firstCyl;
    EXPECT_NEAR(upper->zSup, 20, 1e-9);
    EXPECT_NEAR(upper->zInf, 10, 1e-9);
    expectTapped(upper, 9);
    EXPECT_EQ(upper->featureOrigin, 0);

    const auto below = points(viewNumbered(kBottomView));
    ASSERT_EQ(below.size(), 1u);
    ASSERT_EQ(below[0]->cylCount, 1);
    const CYL_LIST* lower = below[0]->firstCyl;
    EXPECT_NEAR(lower->zSup, 0, 1e-9);
    EXPECT_NEAR(lower->zInf, -10, 1e-9);
    expectFit(lower, "H7");
    EXPECT_DOUBLE_EQ(lower->featureDepth, 9);
}

TEST_F(FeatureMergeTest, TwoMarksOnAHoleOfTwoSegmentsChangeNothing) {
    POINT_LIST* p = hole(hb::countersunk("C", {10, 10, 20}, {0, 0, -1}, 8, 10));
    ASSERT_EQ(p->cylCount, 2);
    mark({10, 10, 20}, {0, 0, 1}, 9);
    mark({10, 10, 0}, {0, 0, -1}, 9, "H7");
    merge();
    EXPECT_EQ(p->cylCount, 2);
    expectBare(p->firstCyl->next);
    EXPECT_EQ(viewNumbered(kBottomView), nullptr);
}

TEST_F(FeatureMergeTest, AMarkMatchesAStraightSegmentOnItsAxisWhoseRangeItCoversOrLiesIn) {
    const double taper = 0.2 / std::tan(2 * kDeg);   // a 2-degree cone from 7.2 to 6.8
    struct CASE {
        const char* what;
        hb::HoleSpec spec;
        double dx;              // the mark off the axis
        p_3d dir;
        double top, length;
        std::int16_t table;
        int segment;            // the segment that takes the mark, -1 none
        int fromBottom;
    };
    const CASE cases[] = {
        {"within T of the axis", hb::throughHole("", {}, {0, 0, -1}, 8), 0.8 * kT, {0, 0, 1}, 20, 9, 1, 0, 0},
        {"more than T off", hb::throughHole("", {}, {0, 0, -1}, 8), 1.2 * kT, {0, 0, 1}, 20, 9, 1, -1, 0},
        {"another direction", hb::throughHole("", {}, {0, 0, -1}, 8), 0, {1, 0, 0}, 20, 9, 1, -1, 0},
        {"from the far side", hb::throughHole("", {}, {0, 0, -1}, 8), 0, {0, 0, -1}, 0, 6, 1, 0, 1},
        // From the chamfer's top to above the bore's bottom: only bore and 45-degree chamfer together
        // cover it; a 70-degree chamfer does not count.
        {"entry chamfer", hb::holeAt("", {}, {0, 0, -1}).chamfer(10, 6.8, 90).cylinder(6.8, 10), 0, {0, 0, 1}, 20,
         10, 1, 1, 0},
        {"flat chamfer", hb::holeAt("", {}, {0, 0, -1}).chamfer(10, 6.8, 140).cylinder(6.8, 10), 0, {0, 0, 1}, 20,
         10, 1, -1, 0},
        {"taper, coarse table", hb::holeAt("", {}, {0, 0, -1}).cone(7.2, 6.8, taper), 0, {0, 0, 1}, 20, 8, 1000, 0, 0},
        {"taper", hb::holeAt("", {}, {0, 0, -1}).cone(7.2, 6.8, taper), 0, {0, 0, 1}, 20, 8, 1, -1, 0},
    };
    std::vector<hb::HoleSpec> specs;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        hb::HoleSpec spec = cases[i].spec;
        spec.entry = {10.0 + 20 * (i % 4), 10.0 + 20 * (i / 4), 20};
        specs.push_back(spec);
    }
    std::vector<POINT_LIST*> holes;
    for (const hb::HoleSpec& spec : built({80, 40, 20}, specs)) holes.push_back(addHole(spec));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const CASE& c = cases[i];
        mark({specs[i].entry[0] + c.dx, specs[i].entry[1], c.top}, c.dir, c.length, nullptr, c.table);
    }
    merge();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        const auto segs = chain(holes[i]);
        for (int k = 0; k < static_cast<int>(segs.size()); ++k) {
            EXPECT_EQ(segs[k]->isTap, k == cases[i].segment ? 1 : 0) << k;
            if (k == cases[i].segment) {
                EXPECT_EQ(segs[k]->featureFromBottom, cases[i].fromBottom);
            }
        }
    }
}

TEST_F(FeatureMergeTest, AFailedSplitEndsTheMerge) {
    const auto holes = built({60, 40, 20}, {hb::throughHole("A", {10, 10, 20}, {0, 0, -1}, 8),
                                            hb::throughHole("B", {30, 10, 20}, {0, 0, -1}, 8)});
    addHole(holes[0]);
    POINT_LIST* b = addHole(holes[1]);
    // A hole from below on A's axis takes the place the lower half of A would go to.
    addHole(built({60, 40, 20}, {hb::blindFlat("C", {10, 10, 0}, {0, 0, 1}, 4, 3)})[0]);
    mark({10, 10, 20}, {0, 0, 1}, 9);
    mark({10, 10, 0}, {0, 0, -1}, 9, "H7");
    mark({30, 10, 20}, {0, 0, 1}, 9);
    EXPECT_EQ(merge(), marks);
    expectBare(b->firstCyl);
    EXPECT_EQ(points(viewNumbered(kBottomView)).size(), 1u);
}

TEST_F(FeatureMergeTest, TheMarksAreListedOnlyWithTheDebugSwitch) {
    hole(hb::throughHole("T", {10, 10, 20}, {0, 0, -1}, 8));
    g_globals->tmpDir = dir.path();
    FEATURE_MARK* m = mark({10, 10, 20}, {0, 0, 1}, 9);
    m->solidEntCount = 2;
    m->solidEnts[0] = 41;
    m->solidEnts[1] = 42;
    m->arcEnts[0] = 7;
    mark({10, 10, 0}, {0, 0, -1}, 9, "H7")->origin = 2;
    const std::string file = dir.path() + "/FeaturesList.txt";
    merge();
    EXPECT_FALSE(plat::readFile(file).has_value());

    g_globals->debugDumps = 1;
    merge();
    const auto text = plat::readFile(file);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text,
              "\nDir 0.000000 0.000000 1.000000 From Pforge EndPtsUniv(X10.0000 Y10.0000 Z20.0000)"
              "(X10.0000 Y10.0000 Z11.0000) Solid ents: 41 42"
              "\n    Pt 10.0000 10.0000 20.0000 Diam 8.0000 L 9.0000 ArcEnt 7 0\n"
              "     isTap tapDiam 8.0000 tapPitch 1.2500\n"
              "\nDir 0.000000 0.000000 -1.000000 From Other CAD EndPtsUniv(X10.0000 Y10.0000 Z0.0000)"
              "(X10.0000 Y10.0000 Z9.0000) Solid ents:"
              "\n    Pt 10.0000 10.0000 0.0000 Diam 8.0000 L 9.0000 ArcEnt 0 0\n"
              "    isFit  fitClass H7\n");
}

}  // namespace
