// The order of the views: by angle about an axis of the work coordinate system, near angles by the
// position of their first hole, else by view number; the same order whatever the order of the list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "plugin/base/globals.h"
#include "plugin/base/directions.h"
#include "plugin/model/tree.h"
#include "plugin/model/view_order.h"

namespace {

constexpr double kDeg = std::numbers::pi / 180;

class ViewSortTest : public testing::Test {
protected:
    void SetUp() override {
        host::reset();
        savedT_ = g_tolerances.tolT;
        g_tolerances.tolT = 0.01;
    }
    void TearDown() override { g_tolerances.tolT = savedT_; }

    // A view whose direction lies at `deg` about Z (in the XY plane, tilted up by `tiltDeg`), with one
    // hole at `point`.
    VIEW_LIST& view(double deg, double z = 0, std::int16_t number = 0) {
        VIEW_LIST& v = views_.emplace_back();
        v.viewNumber = number;
        v.matrix[2][0] = std::cos(deg * kDeg);
        v.matrix[2][1] = std::sin(deg * kDeg);
        POINT_LIST& p = points_.emplace_back();
        p.ptUniv[2] = z;
        p.ptUniv[0] = deg;   // tells the views apart when printed
        v.firstPoint = &p;
        p.view = &v;
        return v;
    }
    static VIEW_LIST* link(const std::vector<VIEW_LIST*>& order) {
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i]->prev = i ? order[i - 1] : nullptr;
            order[i]->next = i + 1 < order.size() ? order[i + 1] : nullptr;
        }
        return order.empty() ? nullptr : order.front();
    }
    // The sorted list, checked for sound links.
    static std::vector<VIEW_LIST*> sorted(const std::vector<VIEW_LIST*>& order, int axis) {
        VIEW_LIST* head = sortViews(link(order), axis);
        std::vector<VIEW_LIST*> out;
        EXPECT_TRUE(!head || head->prev == nullptr);
        for (VIEW_LIST* v = head; v; v = v->next) {
            if (v->next) {
                EXPECT_EQ(v->next->prev, v);
            }
            out.push_back(v);
        }
        EXPECT_EQ(out.size(), order.size());
        return out;
    }

    std::deque<VIEW_LIST> views_;
    std::deque<POINT_LIST> points_;

private:
    double savedT_ = 0;
};

TEST_F(ViewSortTest, LargerAnglesComeFirstAroundTheWholeTurn) {
    VIEW_LIST &a = view(10), &b = view(350), &c = view(180), &d = view(-90);   // -90 is 270
    EXPECT_EQ(sorted({&a, &b, &c, &d}, kSortByZ), (std::vector<VIEW_LIST*>{&b, &d, &c, &a}));
    EXPECT_EQ(compareViewAngles(&b, &a, kSortByZ), -1);
    EXPECT_EQ(compareViewAngles(&a, &b, kSortByZ), 1);
}

TEST_F(ViewSortTest, NearAnglesGoByTheLargerCoordinateOfTheirFirstHole) {
    VIEW_LIST &low = view(90.00, 5), &high = view(90.03, 8);
    EXPECT_EQ(sorted({&high, &low}, kSortByZ), (std::vector<VIEW_LIST*>{&high, &low}));
    EXPECT_EQ(compareViewAngles(&high, &low, kSortByZ), -1);   // the coordinate decides, not the angle
    EXPECT_EQ(compareViewAngles(&low, &high, kSortByZ), 1);
    // Coordinates within T: neither goes first, and the list order stays.
    VIEW_LIST &e = view(45.00, 3.000), &f = view(45.02, 3.005);
    EXPECT_EQ(compareViewAngles(&e, &f, kSortByZ), 0);
    EXPECT_EQ(sorted({&e, &f}, kSortByZ), (std::vector<VIEW_LIST*>{&e, &f}));
    EXPECT_EQ(sorted({&f, &e}, kSortByZ), (std::vector<VIEW_LIST*>{&f, &e}));
}

// 10.00, 10.04 and 10.08 degrees: each near its neighbour, the ends not near each other. Taken pairwise
// the three form a cycle (a before b before c before a), which no sort can honour; as one group of near
// angles they go by coordinate, the same way from every starting order.
TEST_F(ViewSortTest, AChainOfNearAnglesIsOneGroupAndEveryStartingOrderGivesTheSameResult) {
    VIEW_LIST &a = view(10.00, 3), &b = view(10.04, 2), &c = view(10.08, 1);
    EXPECT_EQ(compareViewAngles(&a, &b, kSortByZ), -1);
    EXPECT_EQ(compareViewAngles(&b, &c, kSortByZ), -1);
    EXPECT_EQ(compareViewAngles(&c, &a, kSortByZ), -1);
    VIEW_LIST &far1 = view(200, 0), &far2 = view(5, 9);
    std::vector<VIEW_LIST*> order = {&a, &b, &c, &far1, &far2};
    const std::vector<VIEW_LIST*> expected = {&far1, &a, &b, &c, &far2};
    std::sort(order.begin(), order.end());
    int permutations = 0;
    do {
        ++permutations;
        ASSERT_EQ(sorted(order, kSortByZ), expected) << "permutation " << permutations;
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(permutations, 120);
}

TEST_F(ViewSortTest, ManyChainsSortTheSameFromAnyShuffle) {
    // Forty chains like the one above, at 9 degree steps, each view's hole at its own height.
    std::vector<VIEW_LIST*> expected;
    for (int k = 39; k >= 0; --k)
        for (int i = 0; i < 3; ++i) expected.push_back(&view(k * 9 + i * 0.04, 3 - i + k * 10));
    std::vector<VIEW_LIST*> order = expected;
    std::mt19937 rng(5);
    for (int round = 0; round < 20; ++round) {
        std::shuffle(order.begin(), order.end(), rng);
        EXPECT_EQ(sorted(order, kSortByZ), expected) << round;
    }
}

TEST_F(ViewSortTest, TheXAndYAxesTakeTheirOwnAnglesAndCoordinates) {
    VIEW_LIST& a = views_.emplace_back();
    VIEW_LIST& b = views_.emplace_back();
    a.matrix[2][1] = std::cos(30 * kDeg);   // in the YZ plane: atan2(z, y) = 30 about X
    a.matrix[2][2] = std::sin(30 * kDeg);
    b.matrix[2][1] = std::cos(60 * kDeg);
    b.matrix[2][2] = std::sin(60 * kDeg);
    EXPECT_EQ(sorted({&a, &b}, kSortByX), (std::vector<VIEW_LIST*>{&b, &a}));
    // About Y the angle is atan2(z, x): both lie at 90 degrees, so their holes' y decide.
    POINT_LIST pa, pb;
    pa.ptUniv[1] = 1;
    pb.ptUniv[1] = 2;
    a.firstPoint = &pa;
    b.firstPoint = &pb;
    EXPECT_EQ(sorted({&a, &b}, kSortByY), (std::vector<VIEW_LIST*>{&b, &a}));
    pa.ptUniv[1] = 3;
    EXPECT_EQ(sorted({&b, &a}, kSortByY), (std::vector<VIEW_LIST*>{&a, &b}));
}

TEST_F(ViewSortTest, OtherAxesSortByAscendingViewNumberKeepingEqualNumbersInListOrder) {
    VIEW_LIST &a = view(0, 0, 5), &b = view(0, 0, 2), &c = view(0, 0, 9), &d = view(0, 0, 2);
    EXPECT_EQ(sorted({&a, &b, &c, &d}, 0), (std::vector<VIEW_LIST*>{&b, &d, &a, &c}));
    EXPECT_EQ(sorted({&a, &d, &c, &b}, 4), (std::vector<VIEW_LIST*>{&d, &b, &a, &c}));
    EXPECT_EQ(compareViewAngles(&b, &d, 0), 0);
    EXPECT_EQ(sorted({&a}, kSortByZ), (std::vector<VIEW_LIST*>{&a}));
    EXPECT_EQ(sortViews(nullptr, kSortByZ), nullptr);
}

TEST_F(ViewSortTest, AnglesAreTakenInTheWorkCoordinateSystem) {
    VIEW_LIST &a = view(10), &b = view(300);
    EXPECT_EQ(sorted({&a, &b}, kSortByZ), (std::vector<VIEW_LIST*>{&b, &a}));
    // WCS turned 90 degrees about Z: world 10 degrees is -80 (280) there, world 300 is 210.
    view_ent wcs;
    const double m[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
    std::copy(&m[0][0], &m[0][0] + 9, &wcs.matrix[0][0]);
    host::setWcs(wcs, true);
    EXPECT_NEAR(viewSortAngle(&a, kSortByZ), 280 * kDeg, 1e-12);
    EXPECT_EQ(sorted({&a, &b}, kSortByZ), (std::vector<VIEW_LIST*>{&a, &b}));
}

}  // namespace
