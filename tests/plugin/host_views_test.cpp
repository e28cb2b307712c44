// Host views for recognised directions as the recognition driver uses them: views kept or re-oriented,
// named views made once per direction and found again, the WCS, the nearest view, and the texts the
// process tree shows for a view.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_views.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "support/plugin_fixture.h"

namespace {

constexpr double kPi = std::numbers::pi;

double dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

class HostViewsTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        const std::string texts = installDir + "/Tool.txt";
        ASSERT_EQ(g_globals->viewNames.load(texts, "ViewNames", false), 0);
        ASSERT_EQ(g_globals->errorMessages.load(texts, "ErrorMessages", false), 0);
        g_tolerances.axisAngle = 0.04 * kPi / 180;
        g_globals->createdViewCounter = 0;
        g_globals->createdViewIds.clear();
    }
    void TearDown() override {
        for (VIEW_LIST* v : views) freeViewsTree(v);
        PluginFixture::TearDown();
    }

    // A recognised view of the direction, in the host's frame of it, with one hole at `hole` (world).
    VIEW_LIST* viewOf(double x, double y, double z, const double hole[3] = nullptr) {
        VIEW_LIST* v = allocViewList();
        views.push_back(v);
        const double len = std::sqrt(x * x + y * y + z * z);
        const double dir[3] = {x / len, y / len, z / len};
        make_view_k(dir, v->matrix);
        int n = 0;
        char found = 0;
        find_view_k(dir, &n, 1, &found);
        v->viewNumber = static_cast<std::int16_t>(n);
        if (hole) {
            v->firstPoint = allocPointList();
            v->firstPoint->view = v;
            for (int i = 0; i < 3; ++i) v->firstPoint->ptUniv[i] = hole[i];
        }
        return v;
    }
    static void addNamedView(const char* name, double x, double y, double z) {
        view_ent v{};
        const double dir[3] = {x, y, z};
        make_view_k(dir, v.matrix);
        std::snprintf(v.name, sizeof v.name, "%s", name);
        char ok = 0;
        named_view_manager(&v, 1, "", &ok);
        ASSERT_EQ(ok, 1);
    }
    static bool sameMatrix(const double a[3][3], const double b[3][3], double tol = 1e-12) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                if (std::fabs(a[i][j] - b[i][j]) > tol) return false;
        return true;
    }

    std::vector<VIEW_LIST*> views;
};

// ---- keeping the recognised orientation ------------------------------------------------------------------

TEST_F(HostViewsTest, InclinedDirectionsGetOneNamedViewEachAndFindItAgain) {
    g_globals->createdViewCounter = 4;   // counted on from earlier cycles of the part
    const std::size_t before = NamedViews.size();
    VIEW_LIST* first = viewOf(0, 0.6, 0.8);
    const int firstNumber = first->viewNumber;
    ASSERT_GE(firstNumber, 9);
    ASSERT_EQ(getOrCreateHostView(first, 3, kKeepOrientation, 1), 0);
    ASSERT_EQ(NamedViews.size(), before + 1);
    const view_ent made = NamedViews.back();
    EXPECT_STREQ(made.name, "DRILL VIEW 5");
    EXPECT_EQ(made.aux, -1);
    EXPECT_EQ(made.number, firstNumber);
    EXPECT_EQ(first->viewNumber, firstNumber);   // the named view does not change the view's own fields
    EXPECT_EQ(first->idn, 0);
    EXPECT_EQ(first->nearViewNumber, 1);
    EXPECT_NEAR(first->nearAngle, std::acos(0.8), 1e-9);
    char expected[64];
    std::snprintf(expected, sizeof expected, "View %2i (36.9 deg. from TOP view)", firstNumber);
    EXPECT_EQ(viewDescription(first), expected);

    // A second direction close to the first: the view just made does not count as its nearest.
    VIEW_LIST* second = viewOf(0, 0.62, 0.78);
    ASSERT_EQ(getOrCreateHostView(second, 3, kKeepOrientation, 1), 0);
    EXPECT_EQ(second->nearViewNumber, 1);
    EXPECT_EQ(second->nearNamedViewId, 0);
    EXPECT_STREQ(NamedViews.back().name, "DRILL VIEW 6");
    EXPECT_EQ(g_globals->createdViewCounter, 6);
    EXPECT_EQ(g_globals->createdViewIds, (std::vector<std::uint32_t>{made.id, NamedViews.back().id}));

    // The next recognition finds the named view and takes it whole.
    g_globals->createdViewIds.clear();
    VIEW_LIST* again = viewOf(0, 0.6, 0.8);
    ASSERT_EQ(getOrCreateHostView(again, 3, kKeepOrientation, 1), 0);
    EXPECT_EQ(NamedViews.size(), before + 2);
    EXPECT_EQ(again->idn, static_cast<std::int16_t>(made.id));
    EXPECT_EQ(again->viewNumber, made.number);
    EXPECT_EQ(viewDescription(again), "DRILL VIEW 5");

    // Without the setting nothing is named.
    VIEW_LIST* unnamed = viewOf(0.6, 0, -0.8);
    ASSERT_EQ(getOrCreateHostView(unnamed, 3, kKeepOrientation, 0), 0);
    EXPECT_EQ(NamedViews.size(), before + 2);
    EXPECT_EQ(unnamed->nearViewNumber, 4);
}

TEST_F(HostViewsTest, AStandardViewKeepsItsNumberAndMatrix) {
    VIEW_LIST* front = viewOf(0, -1, 0);
    ASSERT_EQ(front->viewNumber, 2);
    double m[3][3];
    std::memcpy(m, front->matrix, sizeof m);
    const std::size_t before = NamedViews.size();
    ASSERT_EQ(getOrCreateHostView(front, 3, kKeepOrientation, 1), 0);
    EXPECT_EQ(front->viewNumber, 2);
    EXPECT_TRUE(sameMatrix(front->matrix, m, 0));
    EXPECT_EQ(NamedViews.size(), before);
    EXPECT_EQ(viewDescription(front), "FRONT");
}

// ---- re-oriented views -----------------------------------------------------------------------------

TEST_F(HostViewsTest, ReorientedViewsTurnTowardsTheReferenceAxisAndMoveTheirHoles) {
    const double hole[3] = {10, -4, 7};
    const double worldX[3] = {1, 0, 0};
    struct Case {
        int mode;
        int axisRow;       // the row that ends up towards world X
    };
    for (const Case c : {Case{kXToReference, 0}, Case{kYToReference, 1}}) {
        VIEW_LIST* v = viewOf(0.3, 0.5, 0.8, hole);
        ASSERT_EQ(getOrCreateHostView(v, 1, c.mode, 0), 0);
        EXPECT_NEAR(dot(v->matrix[1 - c.axisRow], worldX), 0, 1e-12) << c.mode;
        EXPECT_GT(dot(v->matrix[c.axisRow], worldX), 0) << c.mode;
        double expected[3][3];
        ASSERT_EQ(get_view_matrix(v->viewNumber, expected), 1);
        EXPECT_TRUE(sameMatrix(v->matrix, expected, 1e-9)) << "the host view is the turned one";
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(v->firstPoint->ptView[i], dot(v->matrix[i], hole), 1e-12);
    }

    // A view along the reference axis has nothing to turn: it stays the standard view.
    VIEW_LIST* right = viewOf(1, 0, 0);
    double m[3][3];
    std::memcpy(m, right->matrix, sizeof m);
    ASSERT_EQ(getOrCreateHostView(right, 1, kXToReference, 1), 0);
    EXPECT_TRUE(sameMatrix(right->matrix, m, 0));
    EXPECT_EQ(right->viewNumber, 5);
}

TEST_F(HostViewsTest, LevelXModeKeepsXLevelAndYUpwards) {
    VIEW_LIST* v = viewOf(0.3, 0.5, 0.8);
    ASSERT_EQ(getOrCreateHostView(v, 3, kXLevel, 0), 0);
    EXPECT_NEAR(v->matrix[0][2], 0, 1e-12);
    EXPECT_GT(v->matrix[1][2], 0);

    // Y pointing down with X already level: turned half round.
    VIEW_LIST* down = viewOf(0, 0.6, -0.8);
    const double m[3][3] = {{1, 0, 0}, {0, -0.8, -0.6}, {0, 0.6, -0.8}};
    std::memcpy(down->matrix, m, sizeof m);
    ASSERT_EQ(getOrCreateHostView(down, 3, kXLevel, 0), 0);
    const double turned[3][3] = {{-1, 0, 0}, {0, 0.8, 0.6}, {0, 0.6, -0.8}};
    EXPECT_TRUE(sameMatrix(down->matrix, turned, 1e-12));
}

TEST_F(HostViewsTest, ReorientedDirectionsAreNamedOnceAndFoundOnTheNextCall) {
    const std::size_t before = NamedViews.size();
    VIEW_LIST* v = viewOf(0.3, 0.5, 0.8);
    ASSERT_EQ(getOrCreateHostView(v, 1, kXToReference, 1), 0);
    ASSERT_EQ(NamedViews.size(), before + 1);
    EXPECT_EQ(v->idn, 0);
    VIEW_LIST* again = viewOf(0.3, 0.5, 0.8);
    ASSERT_EQ(getOrCreateHostView(again, 1, kXToReference, 1), 0);
    EXPECT_EQ(NamedViews.size(), before + 1);
    EXPECT_EQ(again->idn, static_cast<std::int16_t>(NamedViews.back().id));
    EXPECT_EQ(again->viewNumber, v->viewNumber);
}

TEST_F(HostViewsTest, AViewTheHostCannotMakeEndsWithTheMessage) {
    VIEW_LIST* v = viewOf(0.3, 0.5, 0.8);
    for (double& x : v->matrix[2]) x *= 2;   // no rotation any more
    script().answer(plat::IDOK);
    EXPECT_EQ(getOrCreateHostView(v, 1, kXToReference, 1), -1);
    EXPECT_TRUE(transcript().contains("A view for a drilling direction could not be created."));
    expectScriptPlayed();
}

// ---- WCS --------------------------------------------------------------------------------------------

TEST_F(HostViewsTest, DirectionsOfTheWcsAreDescribedByItsStandardViews) {
    view_ent wcs{};
    const double tilted[3] = {0, 0.6, 0.8};
    make_view_k(tilted, wcs.matrix);
    wcs.id = 0x12345;
    wcs.number = 9;
    host::setWcs(wcs, true);
    double m[3][3];
    std::int16_t id = 0;
    EXPECT_EQ(getWcsMatrix(m, &id), 9);
    EXPECT_EQ(id, 0x2345);

    // The WCS's own top, kept as recognised: no named view, a WCS description.
    const std::size_t before = NamedViews.size();
    VIEW_LIST* top = viewOf(0, 0.6, 0.8);
    ASSERT_EQ(getOrCreateHostView(top, 3, kKeepOrientation, 1), 0);
    EXPECT_EQ(top->wcsViewNumber, 1);
    EXPECT_TRUE(sameMatrix(top->matrix, wcs.matrix, 1e-12));
    EXPECT_EQ(NamedViews.size(), before);
    EXPECT_EQ(viewDescription(top), "TOP view");

    // The WCS's front, re-oriented against the WCS's Z: again no named view.
    double front[3];
    const double minusY[3] = {0, -1, 0};
    wcs_to_world(minusY, front);
    VIEW_LIST* v = viewOf(front[0], front[1], front[2]);
    ASSERT_EQ(getOrCreateHostView(v, 3, kXLevel, 1), 0);
    EXPECT_EQ(v->wcsViewNumber, 2);
    EXPECT_EQ(NamedViews.size(), before);

    // With the WCS off the same direction is an inclined view of its own.
    host::setWcs(wcs, false);
    VIEW_LIST* plain = viewOf(0, 0.6, 0.8);
    ASSERT_EQ(getOrCreateHostView(plain, 3, kKeepOrientation, 1), 0);
    EXPECT_EQ(plain->wcsViewNumber, 0);
    EXPECT_EQ(NamedViews.size(), before + 1);

    // findWcsStandardView replaces the matrix only on a match.
    host::setWcs(wcs, true);
    const double side[3][3] = {{0.8, 0, -0.6}, {0, 1, 0}, {0.6, 0, 0.8}};
    std::memcpy(m, side, sizeof m);
    EXPECT_EQ(findWcsStandardView(m), 0);
    EXPECT_TRUE(sameMatrix(m, side, 0));
}

// ---- nearest view and view helpers ------------------------------------------------------------------------

TEST_F(HostViewsTest, NearestViewPrefersStandardViewsOnTies) {
    addNamedView("SLANT", 0, 0.6, 0.8);   // the first named view counts too
    const std::uint32_t slant = NamedViews.back().id;
    addNamedView("MY RIGHT", 1, 0, 0);    // the same axis as the standard view 5
    int number = 0;
    std::uint32_t id = 99;
    double angle = 0;
    VIEW_LIST* v = viewOf(1, 0.1, 0);
    EXPECT_EQ(nearestView(v->matrix, &number, &id, &angle), kNearStandard);
    EXPECT_EQ(number, 5);
    EXPECT_EQ(id, 0u);
    EXPECT_NEAR(angle, std::atan(0.1), 1e-9);

    VIEW_LIST* w = viewOf(0, 0.62, 0.78);
    EXPECT_EQ(nearestView(w->matrix, &number, &id, &angle), kNearNamed);
    EXPECT_EQ(id, slant);
    view_ent copy{};
    EXPECT_EQ(getNamedView(number, &copy), 1);
    EXPECT_STREQ(copy.name, "SLANT");
    EXPECT_EQ(getNamedView(1), 0);   // standard views are not named views here
    EXPECT_EQ(getNamedView(999), 0);
}

TEST_F(HostViewsTest, RotationsAndLevelDirections) {
    const double m[3][3] = {{1, 0, 0}, {0, 0.6, 0.8}, {0, -0.8, 0.6}};
    double out[3][3];
    rotateViewAboutZ(m, out, 1e-5);   // below 0.001 degree
    EXPECT_TRUE(sameMatrix(out, m, 0));
    rotateViewAboutZ(m, out, kPi / 2);
    const double quarter[3][3] = {{0, 0.6, 0.8}, {-1, 0, 0}, {0, -0.8, 0.6}};
    EXPECT_TRUE(sameMatrix(out, quarter, 1e-15));

    // A level Y: the line from X along Y never meets the level plane.
    const double up[3] = {0, 0, 1};
    const double top[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double level[2] = {5, 5};
    EXPECT_EQ(levelAxisInView(top, up, level), 1);
    EXPECT_EQ(level[0], 1);
    EXPECT_EQ(level[1], 0);
    const double tipped[3][3] = {{0.6, 0, 0.8}, {0, 1, 0}, {-0.8, 0, 0.6}};
    EXPECT_EQ(levelAxisInView(tipped, up, level), 1);
    const double rolled[3][3] = {{0.8, 0, 0.6}, {-0.36, 0.8, 0.48}, {-0.48, -0.6, 0.64}};
    ASSERT_EQ(levelAxisInView(rolled, up, level), 0);
    // X + t Y with t = -0.6 / 0.48 is level; in the view's axes that is (1, t) normalised.
    const double t = -0.6 / 0.48;
    EXPECT_NEAR(level[0], 1 / std::hypot(1, t), 1e-12);
    EXPECT_NEAR(level[1], t / std::hypot(1, t), 1e-12);
}

TEST_F(HostViewsTest, ViewTextsAsTheProcessTreeShowsThem) {
    addNamedView("SLANT", 0, 0.6, 0.8);
    const view_ent& slant = NamedViews.back();
    EXPECT_EQ(viewText(9, 0, 0, 0, 0, 0), "View  9");
    EXPECT_EQ(viewText(12, 0, 0, 0, 1, 0.5), "View 12 (28.6 deg. from TOP view)");
    EXPECT_EQ(viewText(12, 0, 0, static_cast<int>(slant.id), 0, 0.25), "View 12 (14.3 deg. from SLANT)");
    EXPECT_EQ(viewText(12, 0, 0, 555, 0, 0.25), "View 12");   // a named view that is gone
    EXPECT_EQ(viewText(slant.number, static_cast<std::int16_t>(slant.id), 0, 0, 0, 0), "SLANT");
    EXPECT_EQ(viewText(9, 0, 3, 0, 0, 0), "BACK view");
    EXPECT_EQ(viewText(0, 0, 0, 0, 1, 0.3), "");
    EXPECT_EQ(viewText(7, 0, 0, 0, 0, 0), "ISO");
    EXPECT_EQ(viewDescription(nullptr), "");
}

TEST_F(HostViewsTest, FormatsThatDoNotFitTheirArgumentsAreReplaced) {
    installUiTexts("[ViewNames]\r\n7. Dir\r\n20. %s %s %n\r\n31. %d%s\r\n");
    ASSERT_EQ(g_globals->viewNames.load(installDir + "/Tool.txt", "ViewNames", false), 0);
    EXPECT_EQ(viewText(12, 0, 0, 0, 2, kPi / 4), "Dir 12 (45.0 deg. from FRONT view)");
    VIEW_LIST* v = viewOf(0, 0.6, 0.8);
    ASSERT_EQ(getOrCreateHostView(v, 3, kKeepOrientation, 1), 0);
    EXPECT_STREQ(NamedViews.back().name, "DRILL VIEW 1");
}

}  // namespace
