// Private to the host stand-in: the table of numbered views and the rest of the view state that part
// files save and reset() renews. Matrices are rows X, Y, Z in world coordinates (host/api_views.h).
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "host/api.h"

namespace host::views {

using Mat = std::array<std::array<double, 3>, 3>;
using Vec = std::array<double, 3>;

struct State {
    std::vector<Mat> views;             // view n is views[n - 1]; 1-8 the standard views
    std::uint32_t nextNamedId = 7;      // ids 1-6 are the standard named views
    bool wcsOn = false;
    int grView = 1;
    double wkX = 0, wkY = 0, wkHeight = 100;
    int fits = 0;
};

State& state();
// Standard views, the six standard named views, WCS off, construction, tool and graphics view 1, the
// window at the origin, an empty job set-up.
void resetViews();

constexpr double kMatrixTol = 1e-6;

Mat toMat(const double m[3][3]);
void fromMat(const Mat& a, double m[3][3]);
// Orthonormal and right-handed within kMatrixTol.
bool isRotation(const Mat& a);
bool sameMatrix(const Mat& a, const Mat& b);
Mat standardMatrix(int n);   // 1-8
// A point in view `a`'s coordinates to world, and back.
Vec toWorld(const Mat& a, const Vec& p);
Vec toView(const Mat& a, const Vec& p);
// The number of the view with that matrix, made when `create` and none exists; 0 when none (or bad).
int findOrMake(const Mat& a, bool create);

}  // namespace host::views
