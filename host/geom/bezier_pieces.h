// A trim's B-spline as the Bezier pieces its polyline is cut from: each piece lies in the hull of its
// control points, which bounds the polyline's distance to the curve. Worked out here rather than by the
// kernel's converter, which copies the curve, cuts it and makes a curve object of every piece.
#pragma once

#include <Geom2d_BSplineCurve.hxx>
#include <TColStd_Array1OfReal.hxx>
#include <gp_XY.hxx>

#include <array>
#include <cstddef>

namespace host {

// The most control points of a piece; a curve of a higher degree is sampled instead.
inline constexpr std::size_t kBezierPoles = 16;
template <class P>
using BezierPoles = std::array<P, kBezierPoles>;

// A rational curve's or surface's control point as (x w, y w, z w, w): mixed as a point is.
struct HOMOGENEOUS {
    double x = 0, y = 0, z = 0, w = 0;
    friend HOMOGENEOUS operator+(const HOMOGENEOUS& a, const HOMOGENEOUS& b) {
        return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
    }
    friend HOMOGENEOUS operator*(double s, const HOMOGENEOUS& a) { return {s * a.x, s * a.y, s * a.z, s * a.w}; }
};

// The control points of a Bezier curve of n points cut at t by de Casteljau: the part before t into `left`
// (the first point of each row), the part after into `right` (the last); either may be the curve's own array.
template <class P>
void cutBezier(BezierPoles<P> poles, std::size_t n, double t, BezierPoles<P>* left, BezierPoles<P>* right) {
    for (std::size_t level = 0; level < n; ++level) {
        if (left) (*left)[level] = poles[0];
        if (right) (*right)[n - 1 - level] = poles[n - 1 - level];
        for (std::size_t i = 0; i + 1 < n - level; ++i) poles[i] = (1 - t) * poles[i] + t * poles[i + 1];
    }
}

// The Bezier pieces of a B-spline neither rational nor periodic, clamped at both ends, of at most kBezierPoles
// control points a piece, over [first, last] and in order: each knot within raised to the degree by knot
// insertion, the end pieces cut at first and last. take(poles, from, to) receives each with its parameters.
// False, nothing given, for any other curve.
template <class TAKE>
bool bezierPieces(const Geom2d_BSplineCurve& spline, double first, double last, TAKE&& take) {
    const int p = spline.Degree(), poles = spline.NbPoles();
    if (spline.IsRational() || spline.IsPeriodic() || p < 1 || p + 1 > static_cast<int>(kBezierPoles) ||
        !(last > first))
        return false;
    TColStd_Array1OfReal flat(1, poles + p + 1);
    spline.KnotSequence(flat);
    const int m = poles + p;   // the last knot, counted from 0
    auto knot = [&](int i) { return flat(i + 1); };
    auto pole = [&](int i) { return spline.Pole(i + 1).XY(); };
    if (knot(0) != knot(p) || knot(m - p) != knot(m)) return false;
    const std::size_t n = static_cast<std::size_t>(p) + 1;
    auto at = [](int i) { return static_cast<std::size_t>(i); };
    BezierPoles<gp_XY> piece{}, next{};
    std::array<double, kBezierPoles> alphas{};
    for (int i = 0; i <= p; ++i) piece[at(i)] = pole(i);
    int a = p, b = p + 1;
    while (b < m) {
        const int start = b;
        while (b < m && knot(b + 1) == knot(b)) ++b;
        const int multiplicity = b - start + 1;
        if (multiplicity < p) {
            const double numerator = knot(b) - knot(a);
            for (int j = p; j > multiplicity; --j) alphas[at(j - multiplicity - 1)] = numerator / (knot(a + j) - knot(a));
            const int r = p - multiplicity;
            for (int j = 1; j <= r; ++j) {
                const int s = multiplicity + j;
                for (int k = p; k >= s; --k) {
                    const double alpha = alphas[at(k - s)];
                    piece[at(k)] = alpha * piece[at(k)] + (1 - alpha) * piece[at(k - 1)];
                }
                if (b < m) next[at(r - j)] = piece[n - 1];
            }
        }
        // The piece over [knot(a), knot(b)], cut to [first, last].
        double from = knot(a), to = knot(b);
        if (to > first && from < last) {
            BezierPoles<gp_XY> cut = piece;
            if (first > from) {
                cutBezier<gp_XY>(cut, n, (first - from) / (to - from), nullptr, &cut);
                from = first;
            }
            if (last < to) {
                cutBezier<gp_XY>(cut, n, (last - from) / (to - from), &cut, nullptr);
                to = last;
            }
            take(cut, from, to);
        }
        if (b < m) {
            for (int i = p - multiplicity; i <= p; ++i) next[at(i)] = pole(b - p + i);
            piece = next;
            a = b;
            ++b;
        }
    }
    return true;
}

}  // namespace host
