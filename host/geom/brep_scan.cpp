// The walk over the curve and surface sections of BRep text, token by token as the kernel's reader takes
// them (whitespace-separated), with the layouts of its writer for each type code; each entry is built with
// the constructor the reader uses, so that what fails here would have failed there.
#include "host/geom/brep_scan.h"

#include <Geom2d_BSplineCurve.hxx>
#include <Geom2d_BezierCurve.hxx>
#include <Geom2d_Circle.hxx>
#include <Geom2d_Ellipse.hxx>
#include <Geom2d_Hyperbola.hxx>
#include <Geom2d_Line.hxx>
#include <Geom2d_OffsetCurve.hxx>
#include <Geom2d_Parabola.hxx>
#include <Geom2d_TrimmedCurve.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_BezierCurve.hxx>
#include <Geom_BezierSurface.hxx>
#include <Geom_Circle.hxx>
#include <Geom_ConicalSurface.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <Geom_Ellipse.hxx>
#include <Geom_Hyperbola.hxx>
#include <Geom_Line.hxx>
#include <Geom_OffsetCurve.hxx>
#include <Geom_OffsetSurface.hxx>
#include <Geom_Parabola.hxx>
#include <Geom_Plane.hxx>
#include <Geom_RectangularTrimmedSurface.hxx>
#include <Geom_SphericalSurface.hxx>
#include <Geom_SurfaceOfLinearExtrusion.hxx>
#include <Geom_SurfaceOfRevolution.hxx>
#include <Geom_ToroidalSurface.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <Standard_Failure.hxx>
#include <TColStd_Array1OfInteger.hxx>
#include <TColStd_Array1OfReal.hxx>
#include <TColStd_Array2OfReal.hxx>
#include <TColgp_Array1OfPnt.hxx>
#include <TColgp_Array1OfPnt2d.hxx>
#include <TColgp_Array2OfPnt.hxx>
#include <gp_Trsf.hxx>

#include <charconv>
#include <cmath>
#include <cstdint>

namespace host {
namespace {

constexpr int kMaxNesting = 16;
constexpr int kMaxDegree = 25;             // the kernel's own limit for Bezier and B-spline degrees
constexpr double kMaxMagnitude = 2e100;    // the kernel's infinity
// Curves in a face's parameter plane further out than this make the kernel's face classifier run for
// minutes (its work grows with the span, on a cylinder a span of turns); no part comes near it.
constexpr double kMaxParameter = 1e7;

// A refusal: thrown on the first token that does not fit, caught once at the top.
struct Refused {};

class Tokens {
public:
    explicit Tokens(std::string_view text) : s_(text) {}

    void limitNumbers(double magnitude) { limit_ = magnitude; }

    std::string_view next() {
        const std::size_t start = s_.find_first_not_of(" \t\r\n");
        if (start == std::string_view::npos) {
            s_ = {};
            return {};
        }
        s_.remove_prefix(start);
        const std::string_view t = s_.substr(0, s_.find_first_of(" \t\r\n"));
        s_.remove_prefix(t.size());
        return t;
    }
    std::int64_t integer(std::int64_t lo, std::int64_t hi) {
        const std::string_view t = next();
        std::int64_t v = 0;
        auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
        if (t.empty() || ec != std::errc() || p != t.data() + t.size() || v < lo || v > hi) throw Refused{};
        return v;
    }
    double real() {
        const std::string_view t = next();
        double v = 0;
        auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
        if (t.empty() || ec != std::errc() || p != t.data() + t.size() || !std::isfinite(v) ||
            std::abs(v) > limit_)
            throw Refused{};
        return v;
    }
    // A count that the rest of the text can hold (every token takes at least two bytes).
    int count(std::int64_t lo) { return static_cast<int>(integer(lo, left())); }
    void fits(std::int64_t n) const {
        if (n > left()) throw Refused{};
    }
    gp_Pnt pnt() {
        const double x = real(), y = real();
        return gp_Pnt(x, y, real());
    }
    gp_Dir dir() {
        const double x = real(), y = real();
        return gp_Dir(x, y, real());
    }
    gp_Pnt2d pnt2d() {
        const double x = real();
        return gp_Pnt2d(x, real());
    }
    gp_Dir2d dir2d() {
        const double x = real();
        return gp_Dir2d(x, real());
    }
    void word(std::string_view w) {
        if (next() != w) throw Refused{};
    }
    // Moves past the format line, where the kernel's reader starts: the first line (without its CR) that is
    // one of its format lines; the reader gives up on a line of 100 characters or more before it.
    void skipFormatLine() {
        static constexpr std::string_view kFormats[] = {"CASCADE Topology V1, (c) Matra-Datavision",
                                                        "CASCADE Topology V2, (c) Matra-Datavision",
                                                        "CASCADE Topology V3, (c) Open Cascade"};
        while (!s_.empty()) {
            const std::size_t end = s_.find('\n');
            std::string_view line = s_.substr(0, end);
            s_.remove_prefix(end == std::string_view::npos ? s_.size() : end + 1);
            if (line.size() >= 100) break;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            for (std::string_view f : kFormats) {
                if (line == f) return;
            }
        }
        throw Refused{};
    }

private:
    std::int64_t left() const { return static_cast<std::int64_t>(s_.size() / 2 + 1); }

    std::string_view s_;
    double limit_ = kMaxMagnitude;
};

// Poles (and weights when rational) and knots of a B-spline, or poles of a Bezier curve, as the writer
// lays them out; built with the constructor the reader calls.
template <typename Base, typename Bezier, typename BSpline, typename Poles, typename Read>
Handle(Base) polynomial(Tokens& t, bool bspline, Read read) {
    const bool rational = t.integer(0, 1);
    const bool periodic = bspline && t.integer(0, 1);
    const int degree = static_cast<int>(t.integer(1, kMaxDegree));
    const int nPoles = bspline ? t.count(2) : degree + 1;
    const int nKnots = bspline ? t.count(2) : 0;
    Poles p(1, nPoles);
    TColStd_Array1OfReal w(1, nPoles);
    for (int i = 1; i <= nPoles; ++i) {
        p(i) = read(t);
        if (rational) w(i) = t.real();
    }
    if (!bspline) {
        if (rational) return new Bezier(p, w);
        return new Bezier(p);
    }
    TColStd_Array1OfReal values(1, nKnots);
    TColStd_Array1OfInteger mults(1, nKnots);
    for (int i = 1; i <= nKnots; ++i) {
        values(i) = t.real();
        mults(i) = static_cast<int>(t.integer(1, kMaxDegree + 1));
    }
    if (rational) return new BSpline(p, w, values, mults, degree, periodic);
    return new BSpline(p, values, mults, degree, periodic);
}

Handle(Geom2d_Curve) curve2d(Tokens& t, int depth) {
    if (depth > kMaxNesting) throw Refused{};
    const std::int64_t type = t.integer(1, 9);
    if (type == 6 || type == 7) {
        return polynomial<Geom2d_Curve, Geom2d_BezierCurve, Geom2d_BSplineCurve, TColgp_Array1OfPnt2d>(
            t, type == 7, [](Tokens& k) { return k.pnt2d(); });
    }
    if (type == 8) {
        const double u1 = t.real(), u2 = t.real();
        return new Geom2d_TrimmedCurve(curve2d(t, depth + 1), u1, u2);
    }
    if (type == 9) {
        const double offset = t.real();
        return new Geom2d_OffsetCurve(curve2d(t, depth + 1), offset);
    }
    const gp_Pnt2d p = t.pnt2d();
    const gp_Dir2d x = t.dir2d();
    if (type == 1) return new Geom2d_Line(p, x);
    const gp_Ax22d axes(p, x, t.dir2d());
    const double r1 = t.real();
    switch (type) {
    case 2: return new Geom2d_Circle(axes, r1);
    case 3: return new Geom2d_Ellipse(axes, r1, t.real());
    case 4: return new Geom2d_Parabola(axes, r1);
    default: return new Geom2d_Hyperbola(axes, r1, t.real());
    }
}

Handle(Geom_Curve) curve3d(Tokens& t, int depth) {
    if (depth > kMaxNesting) throw Refused{};
    const std::int64_t type = t.integer(1, 9);
    if (type == 6 || type == 7) {
        return polynomial<Geom_Curve, Geom_BezierCurve, Geom_BSplineCurve, TColgp_Array1OfPnt>(t, type == 7,
                                                                                 [](Tokens& k) { return k.pnt(); });
    }
    if (type == 8) {
        const double u1 = t.real(), u2 = t.real();
        return new Geom_TrimmedCurve(curve3d(t, depth + 1), u1, u2);
    }
    if (type == 9) {
        const double offset = t.real();
        const gp_Dir d = t.dir();
        return new Geom_OffsetCurve(curve3d(t, depth + 1), offset, d);
    }
    const gp_Pnt p = t.pnt();
    const gp_Dir n = t.dir();
    if (type == 1) return new Geom_Line(p, n);
    const gp_Dir x = t.dir();
    (void)t.dir();   // the Y direction follows from the other two
    const gp_Ax2 axes(p, n, x);
    const double r1 = t.real();
    switch (type) {
    case 2: return new Geom_Circle(axes, r1);
    case 3: return new Geom_Ellipse(axes, r1, t.real());
    case 4: return new Geom_Parabola(axes, r1);
    default: return new Geom_Hyperbola(axes, r1, t.real());
    }
}

Handle(Geom_Surface) surface(Tokens& t, int depth) {
    if (depth > kMaxNesting) throw Refused{};
    const std::int64_t type = t.integer(1, 11);
    switch (type) {
    case 6: {
        const gp_Dir d = t.dir();
        return new Geom_SurfaceOfLinearExtrusion(curve3d(t, depth + 1), d);
    }
    case 7: {
        const gp_Pnt p = t.pnt();
        const gp_Dir d = t.dir();
        return new Geom_SurfaceOfRevolution(curve3d(t, depth + 1), gp_Ax1(p, d));
    }
    case 8:
    case 9: {
        const bool ur = t.integer(0, 1), vr = t.integer(0, 1);
        const bool bspline = type == 9;
        const bool up = bspline && t.integer(0, 1), vp = bspline && t.integer(0, 1);
        const int ud = static_cast<int>(t.integer(1, kMaxDegree)), vd = static_cast<int>(t.integer(1, kMaxDegree));
        const int nu = bspline ? t.count(2) : ud + 1, nv = bspline ? t.count(2) : vd + 1;
        const int nuk = bspline ? t.count(2) : 0, nvk = bspline ? t.count(2) : 0;
        t.fits(static_cast<std::int64_t>(nu) * nv);
        TColgp_Array2OfPnt p(1, nu, 1, nv);
        TColStd_Array2OfReal w(1, nu, 1, nv);
        for (int i = 1; i <= nu; ++i) {
            for (int j = 1; j <= nv; ++j) {
                p(i, j) = t.pnt();
                if (ur || vr) w(i, j) = t.real();
            }
        }
        if (!bspline) {
            if (ur || vr) return new Geom_BezierSurface(p, w);
            return new Geom_BezierSurface(p);
        }
        TColStd_Array1OfReal uk(1, nuk), vk(1, nvk);
        TColStd_Array1OfInteger um(1, nuk), vm(1, nvk);
        for (int i = 1; i <= nuk; ++i) {
            uk(i) = t.real();
            um(i) = static_cast<int>(t.integer(1, kMaxDegree + 1));
        }
        for (int i = 1; i <= nvk; ++i) {
            vk(i) = t.real();
            vm(i) = static_cast<int>(t.integer(1, kMaxDegree + 1));
        }
        if (ur || vr) return new Geom_BSplineSurface(p, w, uk, vk, um, vm, ud, vd, up, vp);
        return new Geom_BSplineSurface(p, uk, vk, um, vm, ud, vd, up, vp);
    }
    case 10: {
        const double u1 = t.real(), u2 = t.real(), v1 = t.real(), v2 = t.real();
        return new Geom_RectangularTrimmedSurface(surface(t, depth + 1), u1, u2, v1, v2);
    }
    case 11: {
        const double offset = t.real();
        return new Geom_OffsetSurface(surface(t, depth + 1), offset);
    }
    default: break;
    }
    const gp_Pnt p = t.pnt();
    const gp_Dir n = t.dir(), x = t.dir();
    (void)t.dir();   // the Y direction: only its sense, which builds nothing that can fail
    const gp_Ax3 axes(p, n, x);
    if (type == 1) return new Geom_Plane(axes);
    const double r1 = t.real();
    switch (type) {
    case 2: return new Geom_CylindricalSurface(axes, r1);
    case 3: return new Geom_ConicalSurface(axes, t.real(), r1);
    case 4: return new Geom_SphericalSurface(axes, r1);
    default: return new Geom_ToroidalSurface(axes, r1, t.real());
    }
}

// Each location is a transformation (a 3x4 matrix) or a product of powers of earlier ones, ending in 0.
void locations(Tokens& t) {
    t.word("Locations");
    const int n = t.count(0);
    for (int i = 1; i <= n; ++i) {
        if (t.integer(1, 2) == 1) {
            double m[12];
            for (double& v : m) v = t.real();
            gp_Trsf trsf;
            trsf.SetValues(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9], m[10], m[11]);
            continue;
        }
        for (std::int64_t ref = t.integer(0, i - 1); ref != 0; ref = t.integer(0, i - 1)) t.integer(-1000000, 1000000);
    }
}

template <typename Read>
void section(Tokens& t, std::string_view name, Read read) {
    t.word(name);
    const int n = t.count(0);
    for (int i = 0; i < n; ++i) {
        if (read(t).IsNull()) throw Refused{};
    }
}

}  // namespace

bool brepGeometryReadable(std::string_view text) {
    Tokens t(text);
    try {
        t.skipFormatLine();
        locations(t);
        t.limitNumbers(kMaxParameter);
        section(t, "Curve2ds", [](Tokens& k) { return curve2d(k, 0); });
        t.limitNumbers(kMaxMagnitude);
        section(t, "Curves", [](Tokens& k) { return curve3d(k, 0); });
        for (const char* none : {"Polygon3D", "PolygonOnTriangulations"}) {
            t.word(none);
            t.integer(0, 0);
        }
        section(t, "Surfaces", [](Tokens& k) { return surface(k, 0); });
        t.word("Triangulations");
        t.integer(0, 0);
    } catch (const Refused&) {
        return false;
    } catch (const Standard_Failure&) {
        return false;
    }
    return true;
}

}  // namespace host
