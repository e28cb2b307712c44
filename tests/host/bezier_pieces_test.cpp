// A trim's B-spline cut into Bezier pieces: the pieces follow each other over the range asked for, and
// each is the curve itself there, whatever the degree, the knots' multiplicities and where the range
// starts and ends; curves the pieces cannot stand for are refused.
#include <gtest/gtest.h>

#include <Geom2d_BSplineCurve.hxx>
#include <TColStd_Array1OfInteger.hxx>
#include <TColStd_Array1OfReal.hxx>
#include <TColgp_Array1OfPnt2d.hxx>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "host/geom/bezier_pieces.h"
#include "support/case_names.h"

namespace {

using BezierPoles = host::BezierPoles<gp_XY>;

struct CURVE_CASE {
    const char* name;
    int degree;
    std::vector<double> knots;
    std::vector<int> multiplicities;
    double first, last;
};

void PrintTo(const CURVE_CASE& c, std::ostream* os) { *os << c.name; }

Handle(Geom2d_BSplineCurve) curveOf(const CURVE_CASE& c) {
    TColStd_Array1OfReal knots(1, static_cast<int>(c.knots.size()));
    TColStd_Array1OfInteger mults(1, static_cast<int>(c.knots.size()));
    int sum = 0;
    for (std::size_t i = 0; i < c.knots.size(); ++i) {
        knots(static_cast<int>(i) + 1) = c.knots[i];
        mults(static_cast<int>(i) + 1) = c.multiplicities[i];
        sum += c.multiplicities[i];
    }
    TColgp_Array1OfPnt2d poles(1, sum - c.degree - 1);
    for (int i = poles.Lower(); i <= poles.Upper(); ++i) poles(i) = gp_Pnt2d(i * 1.5, 3 * std::sin(1.3 * i) + 0.2 * i * i);
    return new Geom2d_BSplineCurve(poles, knots, mults, c.degree);
}

gp_XY valueOf(const BezierPoles& poles, std::size_t n, double t) {
    BezierPoles left;
    host::cutBezier<gp_XY>(poles, n, t, &left, nullptr);
    return left[n - 1];
}

class BezierPiecesTest : public testing::TestWithParam<CURVE_CASE> {};

TEST_P(BezierPiecesTest, ThePiecesAreTheCurveOverTheRangeInOrder) {
    const CURVE_CASE& c = GetParam();
    const Handle(Geom2d_BSplineCurve) curve = curveOf(c);
    const std::size_t n = static_cast<std::size_t>(c.degree) + 1;
    double reached = c.first;
    int pieces = 0;
    ASSERT_TRUE(host::bezierPieces(*curve, c.first, c.last, [&](const BezierPoles& poles, double from, double to) {
        ++pieces;
        EXPECT_DOUBLE_EQ(from, reached);
        EXPECT_LT(from, to);
        reached = to;
        for (double t : {0.0, 0.2, 0.5, 0.77, 1.0}) {
            const gp_XY ours = valueOf(poles, n, t);
            const gp_Pnt2d kernel = curve->Value(from + t * (to - from));
            EXPECT_NEAR(ours.X(), kernel.X(), 1e-9) << "at " << from + t * (to - from);
            EXPECT_NEAR(ours.Y(), kernel.Y(), 1e-9) << "at " << from + t * (to - from);
        }
    }));
    EXPECT_DOUBLE_EQ(reached, c.last);
    EXPECT_GT(pieces, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Curves, BezierPiecesTest,
    testing::Values(CURVE_CASE{"CubicWhole", 3, {0, 1, 2, 3}, {4, 1, 2, 4}, 0, 3},
                    CURVE_CASE{"CubicCutInsideItsEndSpans", 3, {0, 1, 2, 3}, {4, 1, 2, 4}, 0.3, 2.6},
                    CURVE_CASE{"CubicWithinOneSpan", 3, {0, 1, 2, 3}, {4, 1, 2, 4}, 1.2, 1.7},
                    CURVE_CASE{"CubicFromAKnot", 3, {0, 1, 2, 3}, {4, 1, 2, 4}, 1, 2.5},
                    CURVE_CASE{"Polyline", 1, {0, 1, 2}, {2, 1, 2}, 0.5, 2},
                    CURVE_CASE{"QuadraticAcrossAFullKnot", 2, {0, 1, 2}, {3, 2, 3}, 0.9, 1.1},
                    CURVE_CASE{"QuinticUnevenKnots", 5, {0, 0.1, 0.5, 1}, {6, 1, 3, 6}, 0.05, 0.95}), byCaseName);

TEST(BezierPieces, CurvesThePiecesCannotStandForAreRefused) {
    const Handle(Geom2d_BSplineCurve) cubic = curveOf({"", 3, {0, 1, 2, 3}, {4, 1, 2, 4}, 0, 3});
    auto refuses = [](const Geom2d_BSplineCurve& curve, double first, double last) {
        bool given = false;
        const bool taken = host::bezierPieces(curve, first, last, [&](const BezierPoles&, double, double) { given = true; });
        return !taken && !given;
    };
    EXPECT_TRUE(refuses(*cubic, 2, 2));   // an empty range
    EXPECT_TRUE(refuses(*cubic, 2, 1));

    Handle(Geom2d_BSplineCurve) rational = Handle(Geom2d_BSplineCurve)::DownCast(cubic->Copy());
    rational->SetWeight(2, 2.0);
    EXPECT_TRUE(refuses(*rational, 0, 3));

    Handle(Geom2d_BSplineCurve) periodic = Handle(Geom2d_BSplineCurve)::DownCast(cubic->Copy());
    periodic->SetPeriodic();
    EXPECT_TRUE(refuses(*periodic, 0.5, 1.5));

    // Not clamped: the curve does not start at its first control point.
    TColStd_Array1OfReal knots(1, 8);
    TColStd_Array1OfInteger mults(1, 8);
    TColgp_Array1OfPnt2d poles(1, 4);
    for (int i = 1; i <= 8; ++i) knots(i) = i, mults(i) = 1;
    for (int i = 1; i <= 4; ++i) poles(i) = gp_Pnt2d(i, i % 2);
    const Handle(Geom2d_BSplineCurve) open = new Geom2d_BSplineCurve(poles, knots, mults, 3);
    EXPECT_TRUE(refuses(*open, open->FirstParameter(), open->LastParameter()));
}

}  // namespace
