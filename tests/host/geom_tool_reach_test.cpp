// Where a tool's column first holds material of the part's solids: a block 60 x 60 x 20 with holes drilled
// down from its top (z 20) and other solids in or over them; the column runs down from the hole's mouth
// (t 0) along -Z.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "host/api.h"
#include "host/api_reach.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "platform/ui/driver.h"
#include "support/case_names.h"

namespace {

using namespace host::builder;
using host::Vec3;

struct REACH_CASE {
    const char* name;
    std::function<std::vector<BuiltPart>()> solids;   // in part order
    Vec3 at;                                          // the column's axis point (its mouth)
    double top, bottom, radius, point;
    int solid;                                        // the solid met, 0 none
    double from, to;                                  // where the first material lies
    bool secondExcluded = false;                      // the second solid excluded from machining
};

BuiltPart block(HoleSpec hole) { return PartBuilder::block({60, 60, 20}).hole(std::move(hole)).build(); }
HoleSpec through(double d) { return throughHole("t", {30, 30, 20}, {0, 0, -1}, d); }

class ToolReach : public testing::TestWithParam<REACH_CASE> {
protected:
    void SetUp() override {
        plat::driver().reset();
        host::newPart();
    }
    column_hit ask(const REACH_CASE& c) {
        int n = 0;
        for (const BuiltPart& s : c.solids()) {
            EXPECT_TRUE(s.ok()) << s.error;
            const db_ptr stored = host::storeSolidEntity(s.solid, 3, 1, "solid");
            if (c.secondExcluded && ++n == 2) {
                ent e{};
                EXPECT_EQ(get_ent_from_eptr(stored, &e), 1);
                e.solid.flags |= kSolidExcluded;
                EXPECT_EQ(rewrite_ent(&e, 0), 1);
            }
        }
        tool_column column;
        std::copy(c.at.begin(), c.at.end(), column.axisPt);
        column.top = c.top;
        column.bottom = c.bottom;
        column.radius = c.radius;
        column.pointLength = c.point;
        column.tolerance = 0.02;
        reach_solids* solids = reach_solids_make();
        column_hit hit;
        hit.solid = reach_first_material(solids, &column, &hit) == 1 ? hit.solid : 0;
        reach_solids_free(solids);
        return hit;
    }
};

TEST_P(ToolReach, TheFirstMaterialInAColumnIsItsSolidsWhereverItLies) {
    const REACH_CASE& c = GetParam();
    const column_hit hit = ask(c);
    EXPECT_EQ(hit.solid, c.solid);
    if (c.solid != 0) {
        EXPECT_GE(hit.at, c.from - 1e-6);
        EXPECT_LE(hit.at, c.to + 1e-6);
    }
}

const double kTip118 = 5 / std::tan(59 * M_PI / 180);

INSTANTIATE_TEST_SUITE_P(
    Columns, ToolReach,
    testing::Values(
        // A tool of the hole's own diameter passes along its walls and out of its far end.
        REACH_CASE{"AlongTheWalls", [] { return std::vector{block(through(10))}; }, {30, 30, 20}, -30, 25, 5, 3, 0, 0, 0},
        REACH_CASE{"WiderThanTheHole", [] { return std::vector{block(through(10))}; }, {30, 30, 20}, -30, 25, 5.2, 0,
                   1, 0, 0},
        // A drill's point of the hole's own tip angle stops in it; a sharper one goes past its tip.
        REACH_CASE{"PointOfTheTipsAngle",
                   [] { return std::vector{block(blindTipped("b", {30, 30, 20}, {0, 0, -1}, 10, 10))}; },
                   {30, 30, 20}, -30, 10, 5, kTip118, 0, 0, 0},
        REACH_CASE{"SharperPoint",
                   [] { return std::vector{block(blindTipped("b", {30, 30, 20}, {0, 0, -1}, 10, 10))}; },
                   {30, 30, 20}, -30, 10, 5, kTip118 + 1, 1, 10, 10 + kTip118 + 1},
        // Beside the hole, in the block with no face near: all material, from the column's top.
        REACH_CASE{"InsideTheBlock", [] { return std::vector{block(through(10))}; }, {10, 10, 20}, 2, 10, 2, 0, 1, 2, 2},
        // A plug filling the hole, its walls on the hole's: the second solid, from its top.
        REACH_CASE{"PlugFillingTheHole",
                   [] {
                       return std::vector{block(through(10)), PartBuilder::bar({{30, 30, 0}, {0, 0, 1}, 10, 20, 0}).build()};
                   },
                   {30, 30, 20}, -30, 10, 5, 0, 2, 0, 0},
        // A ball over the mouth, its top 11 above it, and a pin standing off the axis within the column.
        REACH_CASE{"BallOverTheMouth", [] { return std::vector{block(through(10)), ballPart({30, 30, 25}, 12)}; },
                   {30, 30, 20}, -30, 25, 5, 0, 2, -11, -5},
        REACH_CASE{"PinOffTheAxis",
                   [] {
                       return std::vector{block(through(10)),
                                          PartBuilder::bar({{33, 30, 25}, {0, 0, 1}, 2, 10, 0}).build()};
                   },
                   {30, 30, 20}, -30, 25, 5, 0, 2, -15, -15},
        REACH_CASE{"PinBesideTheColumn",
                   [] {
                       return std::vector{block(through(10)),
                                          PartBuilder::bar({{37, 30, 25}, {0, 0, 1}, 2, 10, 0}).build()};
                   },
                   {30, 30, 20}, -30, 25, 5, 0, 0, 0, 0},
        // A solid excluded from machining is not in the tools' way.
        REACH_CASE{"ExcludedPinOffTheAxis",
                   [] {
                       return std::vector{block(through(10)),
                                          PartBuilder::bar({{33, 30, 25}, {0, 0, 1}, 2, 10, 0}).build()};
                   },
                   {30, 30, 20}, -30, 25, 5, 0, 0, 0, 0, true},
        // Cylinders and cones across the column: a pin over the mouth, off the axis but within the column, is
        // met; one slanted past it at 0.5 from its side, a hole crossing the bore and a drill's tip breaking
        // into it, cut back to its wall, are not.
        REACH_CASE{"PinAcrossTheColumn",
                   [] {
                       return std::vector{block(through(10)),
                                          PartBuilder::bar({{20, 33, 25}, {1, 0, 0}, 2, 20, 0}).build()};
                   },
                   {30, 30, 20}, -30, 25, 5, 0, 2, -6, -4},
        REACH_CASE{"PinSlantedPastTheColumn",
                   [] {
                       const double s = std::sqrt(0.5), off = 6.5;
                       const Vec3 base{30 + off * s - 10 * s, 30 - off * s - 10 * s, 25};
                       return std::vector{block(through(10)), PartBuilder::bar({base, {s, s, 0}, 2, 20, 0}).build()};
                   },
                   {30, 30, 20}, -30, 25, 5, 0, 0, 0, 0},
        REACH_CASE{"HoleAcrossTheBore",
                   [] {
                       return std::vector{PartBuilder::block({60, 60, 20})
                                              .hole(through(10))
                                              .hole(throughHole("x", {0, 30, 10}, {1, 0, 0}, 6))
                                              .build()};
                   },
                   {30, 30, 20}, -30, 25, 5, 0, 0, 0, 0},
        REACH_CASE{"DrillTipBreakingIntoTheBore",
                   [] {
                       return std::vector{PartBuilder::block({60, 60, 20})
                                              .hole(through(10))
                                              .hole(blindTipped("x", {0, 28, 10}, {1, 0, 0}, 6, 24))
                                              .build()};
                   },
                   {30, 30, 20}, -30, 25, 5, 0, 0, 0, 0}),
    byCaseName);

}  // namespace
