// Directions against the views the user allowed in the part, and the host view of the opposite direction.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "host/api.h"
#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/base/views_list.h"
#include "plugin/base/directions.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "plugin/model/view_order.h"
#include "plugin/services/engine.h"
#include "support/plugin_fixture.h"

namespace {

constexpr double kDeg = std::numbers::pi / 180;
constexpr int kTopIndex = 0, kFrontIndex = 1, kBottomIndex = 3;   // places of the standard views in the list

class DirectionsViewsTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        ASSERT_EQ(g_globals->errorMessages.load(installDir + "/Tool.txt", "ErrorMessages", true), 0);
        g_globals->settings.onlySelectedViews = 1;
        g_globals->settings.axisAngleTolerance = 0.04;   // degrees
    }
    // Stores the allowed views: the items at these places selected, with the given X window.
    void allow(std::initializer_list<int> indices, ANGLE_WINDOW x = {}) {
        COnlySelViewsListEx list;
        list.fillFromNamedViews();
        for (int i : indices) {
            auto item = list.getItem(i);
            item.selected = 1;
            item.xOn = x.on;
            item.xFrom = x.from;
            item.xTo = x.to;
            list.setItem(i, item);
        }
        list.writeToPart(g_globals->settings.featuresLevel);
    }
    int allowed(double x, double y, double z, int mode = 0) {
        double d[3] = {x, y, z};
        normalizeVector(d, d);
        return isDirInSelViews(readAllowedViews(g_globals->settings), d, mode);
    }
};

// The allowed views are a value: a direction is tested against the views given, whatever the settings and
// the part's list say by then.
TEST_F(DirectionsViewsTest, ADirectionIsTestedAgainstTheViewsGiven) {
    ALLOWED_VIEWS top;
    top.restricted = true;
    top.tolerance = 0.001;
    ALLOWED_VIEW view;
    ASSERT_EQ(get_view_matrix(1, view.matrix), 1);
    top.views.push_back(view);
    ALLOWED_VIEWS none = top;
    none.views.clear();
    const ALLOWED_VIEWS unrestricted;
    g_globals->settings.onlySelectedViews = 0;   // not asked
    struct CASE {
        const char* what;
        const ALLOWED_VIEWS& allowed;
        double direction[3];
        int mode, result;
    } const cases[] = {
        {"the top view itself", top, {0, 0, 1}, 0, kSameSense},
        {"its reverse", top, {0, 0, -1}, 0, kOppositeSense},
        {"a side", top, {1, 0, 0}, 1, 0},
        {"restricted to no view", none, {0, 0, 1}, 0, 0},
        {"unrestricted", unrestricted, {1, 0, 0}, 0, kSameSense},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(isDirInSelViews(c.allowed, c.direction, c.mode), c.result);
    }
    EXPECT_EQ(isOppositeDirAllowed(top, cases[1].direction), 1);
    EXPECT_EQ(isOppositeDirAllowed(top, cases[0].direction), 0);
    EXPECT_EQ(isOppositeDirAllowed(none, cases[0].direction), 1);

    // Read with the restriction off, nothing of the part's list is taken.
    allow({kTopIndex});
    EXPECT_TRUE(readAllowedViews(g_globals->settings).views.empty());
    g_globals->settings.onlySelectedViews = 1;
    EXPECT_EQ(readAllowedViews(g_globals->settings).views.size(), 1u);
}

TEST_F(DirectionsViewsTest, WithoutTheRestrictionEverythingIsAllowedAndWithoutAListNothing) {
    g_globals->settings.onlySelectedViews = 0;
    EXPECT_EQ(allowed(0, 0, 1), kSameSense);
    EXPECT_EQ(allowed(1, 2, 3), kSameSense);
    g_globals->settings.onlySelectedViews = 1;
    EXPECT_EQ(allowed(0, 0, 1), 0);
    EXPECT_EQ(allowed(0, 0, -1), 0);
}

TEST_F(DirectionsViewsTest, ASelectedViewTakesItsDirectionBothWaysWithinTheAxisTolerance) {
    allow({kTopIndex});
    EXPECT_EQ(allowed(0, 0, 1), kSameSense);
    EXPECT_EQ(allowed(0, 0, -1), kOppositeSense);
    EXPECT_EQ(allowed(1, 0, 0), 0);
    EXPECT_EQ(allowed(std::sin(0.03 * kDeg), 0, std::cos(0.03 * kDeg)), kSameSense);
    EXPECT_EQ(allowed(std::sin(0.05 * kDeg), 0, std::cos(0.05 * kDeg)), 0);
}

TEST_F(DirectionsViewsTest, AViewThatIsNotSelectedTakesNothing) {
    allow({kFrontIndex});
    EXPECT_EQ(allowed(0, 0, 1), 0);
    EXPECT_EQ(allowed(0, 0, -1), 0);
}

TEST_F(DirectionsViewsTest, ModeOneStopsAtTheFirstMatchOtherModesLookOnForTheSameSense) {
    allow({kTopIndex, kBottomIndex});
    EXPECT_EQ(allowed(0, 0, -1, 1), kOppositeSense);   // top comes first and matches reversed
    EXPECT_EQ(allowed(0, 0, -1, 0), kSameSense);       // bottom is further down the list
}

TEST_F(DirectionsViewsTest, AWindowTakesTurnsAboutTheViewsXAxis) {
    allow({kTopIndex}, {true, 10 * kDeg, 30 * kDeg});
    // Top's X axis is world X: a turn by 20 degrees about it.
    EXPECT_EQ(allowed(0, -std::sin(20 * kDeg), std::cos(20 * kDeg)), kSameSense);
    EXPECT_EQ(allowed(0, std::sin(20 * kDeg), -std::cos(20 * kDeg)), kOppositeSense);
    EXPECT_EQ(allowed(0, -std::sin(40 * kDeg), std::cos(40 * kDeg)), 0);
    EXPECT_EQ(allowed(0, 0, 1), 0);   // with a window on, the view's own axis must lie in it
}

// The opposite direction may be drilled unless the user allowed views and its reverse is none of them in its
// own sense.
TEST_F(DirectionsViewsTest, TheOppositeDirectionIsAllowedUnlessAllowedViewsLeaveItOut) {
    struct CASE {
        const char* what;
        std::int16_t restricted;
        std::vector<int> allowedViews;
        double direction[3];
        int allowed;
    } cases[] = {
        {"no restriction", 0, {kFrontIndex}, {0, 0, 1}, 1},
        {"restricted, but no view allowed", 1, {}, {0, 0, 1}, 1},
        {"the reverse of bottom is top, allowed", 1, {kTopIndex}, {0, 0, -1}, 1},
        {"the reverse of top is bottom: top's opposite sense only", 1, {kTopIndex}, {0, 0, 1}, 0},
        {"another view allowed", 1, {kFrontIndex}, {0, 0, -1}, 0},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        COnlySelViewsListEx none;
        none.fillFromNamedViews();
        none.writeToPart(g_globals->settings.featuresLevel);
        for (int i : c.allowedViews) allow({i});
        g_globals->settings.onlySelectedViews = c.restricted;
        EXPECT_EQ(isOppositeDirAllowed(readAllowedViews(g_globals->settings), c.direction), c.allowed);
    }
}

TEST_F(DirectionsViewsTest, StandardViewsHaveFixedOpposites) {
    const int pairs[][2] = {{1, 4}, {4, 1}, {2, 3}, {3, 2}, {5, 6}, {6, 5}};
    for (auto [view, opposite] : pairs) EXPECT_EQ(getOppositeView(view), opposite) << view;
    EXPECT_FALSE(transcript().contains("msgbox"));
}

TEST_F(DirectionsViewsTest, TheOppositeOfAnotherViewIsMadeOnceWithTheReversedAxis) {
    double dir[3] = {1, -2, 2};
    normalizeVector(dir, dir);
    int view = 0;
    char found = 0;
    ASSERT_EQ(find_view_k(dir, &view, 1, &found), 1);
    double back[3];
    negateVector(dir, back);
    int existing = 0;
    find_view_k(back, &existing, 0, &found);
    ASSERT_EQ(found, 0);   // the reversed direction has no view yet

    const int opposite = getOppositeView(view);
    ASSERT_GT(opposite, 8);
    EXPECT_NE(opposite, view);
    double m[3][3];
    ASSERT_EQ(get_view_matrix(opposite, m), 1);
    EXPECT_EQ(compareDirections(m[2], back, 1e-9), kSameSense);
    EXPECT_EQ(getOppositeView(view), opposite);   // found again, not made again
    EXPECT_EQ(getOppositeView(opposite), view);
    const double iso[3] = {-1 / std::sqrt(3.0), 1 / std::sqrt(3.0), -1 / std::sqrt(3.0)};
    ASSERT_EQ(get_view_matrix(getOppositeView(7), m), 1);
    EXPECT_EQ(compareDirections(m[2], iso, 1e-9), kSameSense);
}

TEST_F(DirectionsViewsTest, AViewTheHostDoesNotKnowGivesTheMessageAndMinusOne) {
    script().answer(plat::IDOK);
    EXPECT_EQ(getOppositeView(999), -1);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("ICONERROR"));
    EXPECT_TRUE(transcript().contains("A view for a drilling direction could not be created."));
}

TEST_F(DirectionsViewsTest, WithTheDebugSwitchTheSortWritesTheNewOrder) {
    g_globals->tmpDir = dir.path();
    const std::string file = dir.path() + "/$1_ViewsSort.txt";
    VIEW_LIST a, b;
    POINT_LIST pa, pb;
    a.viewNumber = 3;
    setVector(0, std::cos(30 * kDeg), std::sin(30 * kDeg), a.matrix[2]);
    pa.ptUniv[0] = 12.5;
    a.firstPoint = &pa;
    b.viewNumber = 10;
    setVector(0, std::cos(60 * kDeg), std::sin(60 * kDeg), b.matrix[2]);
    pb.ptUniv[0] = -1;
    b.firstPoint = &pb;
    a.next = &b;
    b.prev = &a;

    g_globals->debugDumps = 0;
    EXPECT_EQ(sortViews(&a, kSortByX), &b);
    EXPECT_FALSE(plat::fileExists(file));

    g_globals->debugDumps = 1;
    EXPECT_EQ(sortViews(&b, kSortByX), &b);
    EXPECT_EQ(plat::readFile(file).value_or(""), "Sorted about X axis\n10 60.0000\xB0 -1.00\n3 30.0000\xB0 12.50\n");
    EXPECT_EQ(sortViews(&b, 0), &a);   // by view number; no axis, no angle
    EXPECT_EQ(plat::readFile(file).value_or(""), "Sorted about N axis\n3 0.0000\xB0 0.00\n10 0.0000\xB0 0.00\n");
}

}  // namespace
