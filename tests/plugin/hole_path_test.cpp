// The hole path: the examples of single steps and whole paths, and the fast search against the plain one
// on layouts full of equal distances and angles.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/hole_path.h"
#include "support/hole_path_reference.h"

namespace {

std::vector<PATH_ELEMENT> at(std::initializer_list<std::pair<double, double>> points) {
    std::vector<PATH_ELEMENT> e;
    for (auto [x, y] : points) {
        PATH_ELEMENT p;
        p.point[0] = x;
        p.point[1] = y;
        e.push_back(p);
    }
    return e;
}

class HolePath : public ::testing::Test {
protected:
    void SetUp() override {
        setUnitTolerances(true);
        forgetHolePaths();
    }
    void TearDown() override { forgetHolePaths(); }
};

TEST_F(HolePath, ExamplePaths) {
    struct CASE {
        const char* what;
        std::vector<PATH_ELEMENT> holes;
        std::vector<std::int32_t> path;
    };
    const CASE cases[] = {
        {"one hole is its own path", at({{5, 5}}), {0}},
        // Totals 30 from x = 0, 40 from 10, 30 from 30: the first start keeps its place.
        {"three on a line", at({{0, 0}, {10, 0}, {30, 0}}), {0, 1, 2}},
        // From (10, 0), reached from the right, the hole straight above and the one to the left are equally
        // near: the one above wins, the angle being measured from the X axis. Starts 0 and 3 tie.
        {"equal distances go counter-clockwise from X", at({{20, 0}, {10, 0}, {10, 10}, {0, 0}}), {0, 1, 2, 3}},
        {"coincident holes", at({{0, 0}, {0, 0}, {7, 0}}), {0, 1, 2}},
    };
    for (const CASE& c : cases) {
        std::vector<PATH_ELEMENT> e = c.holes;
        std::int32_t start = -2;
        EXPECT_EQ(orderPointsNearest(e.data(), 0, static_cast<std::int32_t>(e.size()), &start),
                  static_cast<std::int32_t>(e.size()))
            << c.what;
        EXPECT_EQ(pathOf(e, start), c.path) << c.what;
    }
}

TEST_F(HolePath, StepTakesNearestThenSmallestTurnFromHeading) {
    std::vector<PATH_ELEMENT> e = at({{0, 0}, {0, 10}, {-10, 0}, {0, 10.004}});
    std::int32_t next = 0, second = 0;
    double heading = 0;
    // (0, 10) and (0, 10.004) are equally near within 0.4 T and in one direction: the nearer is taken.
    EXPECT_DOUBLE_EQ(findNearestNext(e.data(), 0, 4, 0, &next, &second, &heading), 10);
    EXPECT_EQ(next, 1);
    EXPECT_EQ(second, -1);
    EXPECT_NEAR(heading, M_PI / 2, 1e-12);
    // Headed left, the hole to the left is no turn at all.
    heading = M_PI;
    findNearestNext(e.data(), 0, 4, 0, &next, &second, &heading);
    EXPECT_EQ(next, 2);
    // Nothing left.
    for (PATH_ELEMENT& p : e) p.next = 0;
    EXPECT_EQ(findNearestNext(e.data(), 0, 4, 0, &next, &second, &heading), 0);
    EXPECT_EQ(next, -1);

    const NEAREST_CANDIDATE a{10, 1.0, 0}, b{10.009, 3.0, 1}, c{10.011, 0.5, 2}, d{10, 1.0004, 3};
    EXPECT_EQ(compareNearestCandidates(&a, &b), -1);   // equal distances, smaller turn
    EXPECT_EQ(compareNearestCandidates(&c, &a), 1);    // farther by the tie or more
    EXPECT_EQ(compareNearestCandidates(&a, &d), 0);
}

TEST_F(HolePath, SameAsPlainSearchOnLayoutsWithTies) {
    // Sizes below and above the threaded search; grids give many equal distances and angles, and the
    // small moves lie within the distance tie.
    for (int count : {2, 3, 7, 20, 41, 90, 450}) {
        for (unsigned seed = 1; seed <= (count > 100 ? 1u : 6u); ++seed) {
            std::vector<PATH_ELEMENT> fast = gridLayout(count, 5, seed % 2 ? 0.004 : 0.0, seed * 7919u + count);
            std::vector<PATH_ELEMENT> plain = fast;
            std::int32_t start = -1;
            orderPointsNearest(fast.data(), 0, count, &start);
            double total = 0;
            const std::int32_t kept = referencePathOrder(plain.data(), 0, count, &total);
            ASSERT_EQ(start, kept) << count << " holes, seed " << seed;
            ASSERT_EQ(pathOf(fast, start), pathOf(plain, kept)) << count << " holes, seed " << seed;
        }
    }
}

// The elements of `e` in the order of the path from `start`, unlinked.
std::vector<PATH_ELEMENT> inPathOrder(const std::vector<PATH_ELEMENT>& e, std::int32_t start) {
    std::vector<PATH_ELEMENT> out;
    for (std::int32_t i : pathOf(e, start)) {
        out.push_back(e[i]);
        out.back().next = -1;
    }
    return out;
}

std::vector<std::pair<double, double>> placesOf(const std::vector<PATH_ELEMENT>& e, std::int32_t start) {
    std::vector<std::pair<double, double>> out;
    for (std::int32_t i : pathOf(e, start)) out.emplace_back(e[i].point[0], e[i].point[1]);
    return out;
}

// A path found is kept: its points asked for again in its own order, or as first asked, give what a fresh
// search gives, on layouts whose steps tie in distance and angle, whose holes coincide (a step decided by
// the holes' places in the list), and in either units.
TEST_F(HolePath, KeptPathsAnswerAsAFreshSearch) {
    struct CASE {
        const char* what;
        std::vector<PATH_ELEMENT> holes;
        bool metric;
    };
    std::vector<PATH_ELEMENT> tiles;
    for (int i = 0; i < 300; ++i) tiles.push_back(at({{(i / 100) * 130.0 + 12.0 * (i % 10), 12.0 * (i % 100 / 10)}})[0]);
    std::vector<PATH_ELEMENT> stacked = gridLayout(120, 5, 0, 99);
    for (int i = 0; i + 1 < 120; i += 7) stacked[i + 1].point[0] = stacked[i].point[0], stacked[i + 1].point[1] = stacked[i].point[1];
    std::vector<CASE> cases = {
        {"grid of equal steps", gridLayout(90, 5, 0, 7), true},
        {"grid within the distance tie", gridLayout(450, 5, 0.004, 11), true},
        {"grid in inches", gridLayout(200, 0.5, 0, 13), false},
        {"tiles of equal steps", tiles, true},
        {"coincident holes", stacked, true},
        {"three on a line", at({{0, 0}, {10, 0}, {30, 0}}), true},
        {"equal distances, start tie", at({{20, 0}, {10, 0}, {10, 10}, {0, 0}}), true},
    };
    // Small sets on a 3 x 3 grid: many holes on one place, where the list's order decides steps.
    std::mt19937 random(5);
    std::uniform_int_distribution<int> cell(0, 2);
    for (int k = 0; k < 40; ++k) {
        std::vector<PATH_ELEMENT> e(8);
        for (PATH_ELEMENT& p : e) p.point[0] = 10.0 * cell(random), p.point[1] = 10.0 * cell(random);
        cases.push_back({"holes on one place", e, true});
    }
    for (const CASE& c : cases) {
        setUnitTolerances(c.metric);
        forgetHolePaths();
        const auto count = static_cast<std::int32_t>(c.holes.size());
        std::vector<PATH_ELEMENT> first = c.holes;
        std::int32_t start = -1;
        orderPointsNearest(first.data(), 0, count, &start);
        const std::vector<PATH_ELEMENT> again = inPathOrder(first, start);

        std::vector<PATH_ELEMENT> asked = again, fresh = again, askedFirst = c.holes;
        std::int32_t askedStart = -1, freshStart = -1, askedFirstStart = -1;
        orderPointsNearest(asked.data(), 0, count, &askedStart);
        orderPointsNearest(askedFirst.data(), 0, count, &askedFirstStart);
        forgetHolePaths();
        orderPointsNearest(fresh.data(), 0, count, &freshStart);
        EXPECT_EQ(askedStart, freshStart) << c.what;
        EXPECT_EQ(pathOf(asked, askedStart), pathOf(fresh, freshStart)) << c.what;
        EXPECT_EQ(askedFirstStart, start) << c.what;
        EXPECT_EQ(placesOf(askedFirst, askedFirstStart), placesOf(first, start)) << c.what;
        if (count <= 120) {
            std::vector<PATH_ELEMENT> plain = again;
            const std::int32_t kept = referencePathOrder(plain.data(), 0, count, nullptr);
            EXPECT_EQ(pathOf(asked, askedStart), pathOf(plain, kept)) << c.what;
        }
    }
}

// The same holes moved give the same path: equal totals and equally near steps differ in their last bits
// with where the holes lie, and the earliest start and the lowest index win among them whatever those bits
// say, on one thread or several.
TEST_F(HolePath, MovedHolesGiveTheSamePath) {
    struct CASE {
        const char* what;
        std::vector<PATH_ELEMENT> holes;
    };
    // 10 x 8 holes at a pitch of 12.2 from (10, 10) in no order, and every other of them.
    std::vector<PATH_ELEMENT> plate, checkered;
    for (int i = 0; i < 80; ++i) {
        plate.push_back(at({{10 + 12.2 * (i % 10), 10 + 12.2 * (i / 10)}})[0]);
        if ((i % 10 + i / 10) % 2 == 0) checkered.push_back(plate.back());
    }
    std::vector<PATH_ELEMENT> shuffled = plate;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(1));
    const CASE cases[] = {
        {"plate", shuffled},
        {"checkered plate", checkered},
        {"grid of equal steps", gridLayout(90, 12.2, 0, 7)},
        {"grid searched on threads", gridLayout(450, 12.2, 0, 11)},
        {"row of equal steps", at({{0, 0}, {12.2, 0}, {24.4, 0}, {36.6, 0}, {48.8, 0}})},
    };
    const double shifts[][2] = {{0.1, 0.1}, {10, 20}, {-1234.5678, 987.65}};
    for (const CASE& c : cases) {
        const auto count = static_cast<std::int32_t>(c.holes.size());
        std::vector<PATH_ELEMENT> still = c.holes;
        std::int32_t start = -1;
        orderPointsNearest(still.data(), 0, count, &start);
        for (const auto& shift : shifts) {
            std::vector<PATH_ELEMENT> moved = c.holes;
            for (PATH_ELEMENT& p : moved) p.point[0] += shift[0], p.point[1] += shift[1];
            std::int32_t movedStart = -1;
            orderPointsNearest(moved.data(), 0, count, &movedStart);
            EXPECT_EQ(pathOf(moved, movedStart), pathOf(still, start)) << c.what << " moved by " << shift[0];
        }
    }
}

// A kept path answers only for the distance tie it was found with: after the tolerances change, the same
// points are searched again (a grid whose small moves lie within the metric tie, which decides its steps
// there and not under a tie a hundred times finer).
TEST_F(HolePath, AKeptPathIsNotTheAnswerOnceTheDistanceTieChanged) {
    const std::vector<PATH_ELEMENT> holes = gridLayout(90, 5, 0.004, 11);
    const auto count = static_cast<std::int32_t>(holes.size());
    auto pathUnder = [&](double tie, bool fresh) {
        g_tolerances.tol04T = tie;
        if (fresh) forgetHolePaths();
        std::vector<PATH_ELEMENT> e = holes;
        std::int32_t start = -1;
        orderPointsNearest(e.data(), 0, count, &start);
        return pathOf(e, start);
    };
    const double metricTie = g_tolerances.tol04T;
    const std::vector<std::int32_t> underMetric = pathUnder(metricTie, true);
    const std::vector<std::int32_t> underFiner = pathUnder(metricTie / 100, true);
    ASSERT_NE(underMetric, underFiner) << "the tie decides no step of this layout";
    pathUnder(metricTie, true);   // kept for the metric tie
    EXPECT_EQ(pathUnder(metricTie / 100, false), underFiner);
    EXPECT_EQ(pathUnder(metricTie, false), underMetric);
}

TEST_F(HolePath, SubrangeLeavesTheRestAlone) {
    std::vector<PATH_ELEMENT> e = at({{100, 0}, {0, 0}, {30, 0}, {10, 0}, {50, 50}});
    e[0].next = 77;
    e[4].next = 88;
    std::int32_t start = -1;
    EXPECT_EQ(orderPointsNearest(e.data(), 1, 3, &start), 3);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(e[1].next, 3);
    EXPECT_EQ(e[3].next, 2);
    EXPECT_EQ(e[2].next, -1);
    EXPECT_EQ(e[0].next, 77);
    EXPECT_EQ(e[4].next, 88);
}

TEST_F(HolePath, GroupHolesRelinkedInPathOrder) {
    VIEW_LIST view;
    std::vector<POINT_LIST> holes(5);
    const double xs[] = {30, 0, 20, 10, 40};
    for (int i = 0; i < 5; ++i) {
        holes[i].ptView[0] = xs[i];
        holes[i].view = &view;
        holes[i].prev = i ? &holes[i - 1] : nullptr;
        holes[i].next = i < 4 ? &holes[i + 1] : nullptr;
    }
    view.firstPoint = &holes[0];
    view.pointCount = 2;   // a stored count that disagrees with the list
    EXPECT_EQ(orderGroupHoles(&view), 0);
    std::vector<double> order;
    const POINT_LIST* previous = nullptr;
    for (const POINT_LIST* p = view.firstPoint; p; p = p->next) {
        EXPECT_EQ(p->prev, previous);
        order.push_back(p->ptView[0]);
        previous = p;
    }
    EXPECT_EQ(order, (std::vector<double>{0, 10, 20, 30, 40}));
}

TEST_F(HolePath, SequencePointsOrderedPerViewRunInRunOrder) {
    VIEW_LIST top, side;
    top.viewNumber = 1;
    side.viewNumber = 5;
    std::vector<POINT_LIST> holes(8);
    const double xs[] = {20, 0, 5, 3, 0, 0, 30, 10};
    VIEW_LIST* owner[] = {&top, &top, &top, &side, &side, &top, &top, &top};
    std::vector<PTS_TL_SEQ> points;
    for (int i = 0; i < 8; ++i) {
        holes[i].ptView[0] = xs[i];
        holes[i].view = owner[i];
        points.push_back({&holes[i], nullptr, 100.0 + i});
    }
    orderSequencePoints(points);
    std::vector<double> depths;
    for (const PTS_TL_SEQ& p : points) depths.push_back(p.depth);
    // Runs (0-2), (3, 4), (5-7): each ordered alone, the runs in their order, the top view twice.
    EXPECT_EQ(depths, (std::vector<double>{100, 102, 101, 103, 104, 105, 107, 106}));
    std::vector<PTS_TL_SEQ> none;
    orderSequencePoints(none);
    EXPECT_TRUE(none.empty());
}

TEST_F(HolePath, ChainPointsAppendTheSelectedHolesOfTheChain) {
    std::vector<POINT_LIST> holes(4);
    for (int i = 0; i < 4; ++i) {
        holes[i].ptView[0] = 10.0 * i;
        holes[i].ptView[1] = 1;
        holes[i].ptView[2] = -i;
        holes[i].selected2 = i == 1 ? 0 : 1;
        if (i < 3) holes[i].nextEqual = &holes[i + 1];
    }
    struct CASE {
        const char* what;
        POINT_LIST* chain;
        const POINT_LIST* only;
        std::vector<int> added;   // indices into holes
    };
    const CASE cases[] = {
        {"the selected holes of the whole chain", &holes[0], nullptr, {0, 2, 3}},
        {"from a hole within the chain", &holes[2], nullptr, {2, 3}},
        {"one hole only", &holes[0], &holes[2], {2}},
        {"one hole only, not selected", &holes[0], &holes[1], {}},
        {"no chain", nullptr, nullptr, {}},
    };
    for (const CASE& c : cases) {
        std::vector<PATH_ELEMENT> e = at({{-5, -5}});
        e[0].next = 7;
        EXPECT_EQ(appendChainPoints(e, c.chain, 2.5, c.only), static_cast<std::int32_t>(1 + c.added.size())) << c.what;
        ASSERT_EQ(e.size(), 1 + c.added.size()) << c.what;
        EXPECT_EQ(e[0].next, 7) << c.what;
        for (std::size_t k = 0; k < c.added.size(); ++k) {
            const PATH_ELEMENT& p = e[1 + k];
            EXPECT_TRUE(p.record == &holes[c.added[k]] && p.point[0] == 10.0 * c.added[k] && p.point[2] == -c.added[k] &&
                        p.value == 2.5 && p.next == -1)
                << c.what << ", element " << k;
        }
    }
    std::vector<PATH_ELEMENT> none;
    holes[3].nextEqual = &holes[0];   // a damaged chain that loops back: each hole once
    EXPECT_EQ(appendChainPoints(none, &holes[2], 0, nullptr), 3);
}

}  // namespace
