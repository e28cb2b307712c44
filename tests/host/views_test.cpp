// Views as the recognition and the view handling use them: the standard views and their opposites, the
// frame the host gives a direction, finding or making views for matrices and directions, named views,
// the construction/tool/graphics views, the WCS, and the graphics window that fit() frames.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "platform/ui/driver.h"
#include "support/fresh_part.h"

namespace {

using Vec = std::array<double, 3>;

Vec row(const double m[3][3], int i) { return {m[i][0], m[i][1], m[i][2]}; }
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

void expectRightHandedFrame(const double m[3][3]) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(dot(row(m, i), row(m, j)), i == j ? 1.0 : 0.0, 1e-12) << i << j;
    const Vec z = cross(row(m, 0), row(m, 1));
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(z[k], m[2][k], 1e-12);
}

class Views : public FreshPart {};

TEST_F(Views, StandardViewsLookWhereTheirNumbersSayAndPairUpAsOpposites) {
    const Vec zOf[9] = {{}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}};
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        double m[3][3];
        ASSERT_EQ(get_view_matrix(n, m), 1);
        expectRightHandedFrame(m);
        if (n <= 6) {
            for (int k = 0; k < 3; ++k) EXPECT_EQ(m[2][k], zOf[n][k]);
        }
    }
    const int opposite[7] = {0, 4, 3, 2, 1, 6, 5};
    for (int n = 1; n <= 6; ++n) {
        double a[3][3], b[3][3];
        get_view_matrix(n, a);
        get_view_matrix(opposite[n], b);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(a[2][k], -b[2][k]) << n;
    }
    double untouched[3][3] = {{7}};
    EXPECT_EQ(get_view_matrix(9, untouched), 0);
    EXPECT_EQ(get_view_matrix(0, untouched), 0);
    EXPECT_EQ(untouched[0][0], 7);

    ASSERT_EQ(NamedViews.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        double m[3][3];
        get_view_matrix(i + 1, m);
        EXPECT_EQ(NamedViews[i].number, i + 1);
        EXPECT_EQ(NamedViews[i].id, static_cast<std::uint32_t>(i + 1));
        for (int k = 0; k < 3; ++k) EXPECT_EQ(NamedViews[i].matrix[2][k], m[2][k]);
    }
    EXPECT_STREQ(NamedViews[1].name, "FRONT");
}

TEST_F(Views, MakeViewKGivesDeterministicRightHandedFramesAlongTheDirection) {
    std::vector<Vec> dirs = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {0, -3, 0}, {1, 1, 1}, {-2, 0.5, 0.1},
                             {1e-5, 0, 1}, {0, 1e-4, -1}, {0.3, -0.4, -0.866}, {1, 1e-12, 0}};
    for (double a = 0; a < 6.3; a += 0.7)
        for (double b = -1.5; b < 1.6; b += 0.5)
            dirs.push_back({std::cos(a) * std::cos(b), std::sin(a) * std::cos(b), std::sin(b)});
    for (const Vec& d : dirs) {
        SCOPED_TRACE(testing::Message() << d[0] << "," << d[1] << "," << d[2]);
        double m[3][3], again[3][3];
        ASSERT_EQ(make_view_k(d.data(), m), 1);
        expectRightHandedFrame(m);
        const double len = std::sqrt(dot(d, d));
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(m[2][k], d[k] / len, 1e-12);
        make_view_k(d.data(), again);
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k) EXPECT_EQ(m[i][k], again[i][k]);
    }
    // Along a standard axis the frame is that standard view's, so its view is found, not made.
    for (int n = 1; n <= 6; ++n) {
        double s[3][3], m[3][3];
        get_view_matrix(n, s);
        const Vec z = row(s, 2);
        make_view_k(z.data(), m);
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k) EXPECT_EQ(m[i][k], s[i][k]) << n;
    }
    // Horizontal directions get a horizontal X axis.
    const Vec slanted{1, 2, 0.5};
    double m[3][3];
    make_view_k(slanted.data(), m);
    EXPECT_NEAR(m[0][2], 0, 1e-15);
    EXPECT_GT(m[1][2], 0);
    const Vec zero{0, 0, 0};
    EXPECT_EQ(make_view_k(zero.data(), m), 0);
}

TEST_F(Views, FindViewKFindsStandardViewsAndMakesOneNewViewPerDirection) {
    int n = 0;
    char found = 0;
    const Vec down{0, 0, -5};
    ASSERT_EQ(find_view_k(down.data(), &n, 1, &found), 1);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(n, 4);

    const Vec tilted{1, 0, 1};
    ASSERT_EQ(find_view_k(tilted.data(), &n, 0, &found), 0);
    EXPECT_EQ(found, 0);
    ASSERT_EQ(find_view_k(tilted.data(), &n, 1, &found), 1);
    EXPECT_EQ(n, 9);
    double m[3][3];
    ASSERT_EQ(get_view_matrix(9, m), 1);
    EXPECT_NEAR(m[2][0], std::sqrt(0.5), 1e-12);
    const Vec sameAxis{2, 0, 2};
    find_view_k(sameAxis.data(), &n, 1, &found);
    EXPECT_EQ(n, 9);
    const Vec other{0, 1, 1};
    find_view_k(other.data(), &n, 1, &found);
    EXPECT_EQ(n, 10);

    // A view made for a matrix with the same Z but another X is found too.
    double turned[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
    int t = 0;
    char ok = 0;
    ASSERT_EQ(find_view_m(turned, &t, 1, &ok), 1);
    EXPECT_EQ(t, 11);
    const Vec up{0, 0, 1};
    find_view_k(up.data(), &n, 1, &found);
    EXPECT_EQ(n, 1);   // the lowest number wins

    const Vec zero{0, 0, 0};
    n = 77;
    EXPECT_EQ(find_view_k(zero.data(), &n, 1, &found), 0);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(n, 77);
}

TEST_F(Views, FindViewMMatchesWithinToleranceAndRefusesMatricesThatAreNoFrames) {
    double front[3][3];
    get_view_matrix(2, front);
    front[0][1] += 1e-9;
    int n = 0;
    char ok = 0;
    ASSERT_EQ(find_view_m(front, &n, 1, &ok), 1);
    EXPECT_EQ(n, 2);

    double skewed[3][3] = {{1, 0, 0}, {0.1, 1, 0}, {0, 0, 1}};
    EXPECT_EQ(find_view_m(skewed, &n, 1, &ok), 0);
    EXPECT_EQ(ok, 0);
    double mirrored[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}};
    EXPECT_EQ(find_view_m(mirrored, &n, 1, &ok), 0);
    double notYet[3][3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
    EXPECT_EQ(find_view_m(notYet, &n, 0, &ok), 0);
    ASSERT_EQ(find_view_m(notYet, &n, 1, &ok), 1);
    EXPECT_EQ(n, 9);
}

TEST_F(Views, NamedViewManagerAddsViewsAndSetsConstructionAndToolPlanes) {
    view_ent v{};
    const Vec dir{0, -1, 1};
    make_view_k(dir.data(), v.matrix);
    std::snprintf(v.name, sizeof v.name, "Hole view %d", 1);
    v.aux = -1;
    char ok = 0;
    ASSERT_EQ(named_view_manager(&v, 1, "", &ok), 1);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(v.id, 7u);
    EXPECT_EQ(v.number, 9);
    ASSERT_EQ(NamedViews.size(), 7u);
    EXPECT_STREQ(NamedViews[6].name, "Hole view 1");
    EXPECT_EQ(NamedViews[6].aux, -1);

    view_ent unnamed{};
    get_view_matrix(1, unnamed.matrix);
    ASSERT_EQ(named_view_manager(&unnamed, 1, "", &ok), 1);
    EXPECT_EQ(unnamed.number, 1);
    EXPECT_EQ(unnamed.id, 8u);
    EXPECT_STREQ(NamedViews[7].name, "VIEW 8");

    ASSERT_EQ(named_view_manager(&NamedViews[6], 7, "", &ok), 1);
    EXPECT_EQ(constr_view_n, 9);
    EXPECT_EQ(tool_view_n, 1);
    ASSERT_EQ(named_view_manager(&NamedViews[1], 8, "", &ok), 1);
    EXPECT_EQ(tool_view_n, 2);

    view_ent bad{};
    EXPECT_EQ(named_view_manager(&bad, 1, "", &ok), 0);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(NamedViews.size(), 8u);
    EXPECT_EQ(named_view_manager(&v, 3, "", &ok), 0);
}

TEST_F(Views, WcsAndViewCoordinatesConvertBothWays) {
    EXPECT_EQ(wcs_is_on(), 0);
    const double v[3] = {1, 2, 3};
    double out[3];
    wcs_to_world(v, out);
    EXPECT_EQ(out[2], 3);   // off: the WCS is the top view

    view_ent w{};
    get_view_matrix(5, w.matrix);   // right view: X = +Y, Y = +Z, Z = +X
    w.origin = {10, 0, 0};
    host::setWcs(w, true);
    EXPECT_EQ(wcs_is_on(), 1);
    wcs_to_world(v, out);
    EXPECT_NEAR(out[0], 3, 1e-15);
    EXPECT_NEAR(out[1], 1, 1e-15);
    EXPECT_NEAR(out[2], 2, 1e-15);
    double back[3];
    world_to_wcs(out, back);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(back[k], v[k], 1e-15);

    view_to_world_pt(v, 2, out);   // front: X = +X, Y = +Z, Z = -Y
    EXPECT_NEAR(out[0], 1, 1e-15);
    EXPECT_NEAR(out[1], -3, 1e-15);
    EXPECT_NEAR(out[2], 2, 1e-15);
    view_to_world_pt(v, 99, out);
    EXPECT_EQ(out[1], 2);
}

TEST_F(Views, FitFramesWhatIsVisibleAndGraphicsViewFollowsSetGrView) {
    double front[3][3];
    get_view_matrix(2, front);
    set_gr_view(front);
    EXPECT_EQ(get_gr_view_n(), 2);
    double top[3][3];
    get_view_matrix(1, top);
    set_gr_view(top);
    EXPECT_EQ(get_gr_view_n(), 1);

    // Two points 0.9525 h apart give back the height h: how a saved window is restored.
    auto point = [](double x, double y, std::int32_t level) {
        ent e{};
        e.type = kEntPoint;
        e.pt.pt = {x, y, 0};
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, 1, level, main_attrib, &ok);
        return entry;
    };
    const double h = 80;
    point(5, 20 + 0.9525 * h / 2, 1);
    point(5, 20 - 0.9525 * h / 2, 1);
    point(1000, 1000, 9);
    set_level_visible(9, 0);
    const int fits = host::fitCount();
    fit();
    EXPECT_EQ(host::fitCount(), fits + 1);
    double x = 0, y = 0;
    get_wk_center(&x, &y);
    EXPECT_NEAR(x, 5, 1e-9);
    EXPECT_NEAR(y, 20, 1e-9);
    EXPECT_NEAR(get_wk_height(), h, 1e-9);

    // A wide spread is bounded by the window's width; mask_level keeps to one level.
    set_level_visible(9, 1);
    mask_level = 9;
    point(1030, 1000, 9);
    fit();
    EXPECT_NEAR(get_wk_height(), 30 / (4.0 / 3.0) / 0.9525, 1e-9);
    mask_level = 0;

    host::newPart();
    fit();
    get_wk_center(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(get_wk_height(), 100);
}

TEST_F(Views, NewPartForgetsMadeViewsAndNamedViews) {
    view_ent v{};
    const Vec dir{1, 2, 3};
    make_view_k(dir.data(), v.matrix);
    char ok = 0;
    named_view_manager(&v, 1, "", &ok);
    named_view_manager(&v, 7, "", &ok);
    job_setup.showStock = 1;
    host::newPart();
    EXPECT_EQ(NamedViews.size(), 6u);
    double m[3][3];
    EXPECT_EQ(get_view_matrix(9, m), 0);
    EXPECT_EQ(constr_view_n, 1);
    EXPECT_EQ(job_setup.showStock, 0);
    ASSERT_EQ(named_view_manager(&v, 1, "", &ok), 1);
    EXPECT_EQ(v.id, 7u);   // ids start over in a new part
}

}  // namespace
