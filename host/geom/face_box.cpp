// Tight boxes on the kernel. The kernel's own searches a torus with a particle swarm, about ten
// milliseconds a face, which was most of a filleted part's import, and works long over a cylinder cut at a
// slant. On a torus patch P(u, v) = C + (R + r cos v)(cos u X + sin u Y) + r sin v Z every coordinate
// reaches its extremes at a corner, at a stationary point of a border, or at a stationary point inside,
// and those have closed forms; the box of those points is the patch's box, and a face that does not fill its
// rectangle takes, side by side, that extreme where it lies on the face, else its edges'. A plane's,
// cylinder's or cone's face takes the box of its edges, lines and circles in closed form too. A spline (a
// face's surface, an edge's curve, a surface of revolution made one) is cut into its Bezier pieces, each of
// which lies in the hull of its control points: pieces are halved while their points reach past the extreme
// found so far, a few dozen cuts where the kernel's swarm took milliseconds.
#include "host/geom/face_box.h"

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepBndLib.hxx>
#include <BRep_Tool.hxx>
#include <BndLib_Add3dCurve.hxx>
#include <Bnd_Box.hxx>
#include <ElCLib.hxx>
#include <Geom2dConvert_BSplineCurveToBezierCurve.hxx>
#include <Geom2dAPI_ProjectPointOnCurve.hxx>
#include <Geom2d_BSplineCurve.hxx>
#include <Geom2d_BezierCurve.hxx>
#include <Geom2d_Line.hxx>
#include <Geom2d_TrimmedCurve.hxx>
#include <GeomConvert.hxx>
#include <GeomConvert_BSplineCurveToBezierCurve.hxx>
#include <GeomConvert_BSplineSurfaceToBezierSurface.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_BezierCurve.hxx>
#include <Geom_BezierSurface.hxx>
#include <Geom_Circle.hxx>
#include <Geom_Ellipse.hxx>
#include <Geom_Line.hxx>
#include <Geom_RectangularTrimmedSurface.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <Precision.hxx>
#include <Standard_Failure.hxx>
#include <TColGeom2d_Array1OfBezierCurve.hxx>
#include <TColGeom_Array1OfBezierCurve.hxx>
#include <TColGeom_Array2OfBezierSurface.hxx>
#include <TColgp_Array1OfPnt2d.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Iterator.hxx>
#include <TColgp_Array2OfPnt.hxx>
#include <gp_Circ.hxx>
#include <gp_Elips.hxx>
#include <gp_Sphere.hxx>
#include <gp_Torus.hxx>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <vector>

#include "host/geom/bezier_pieces.h"

namespace host {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// An edge's parameter curve on the face, past any trimming, over [first, last]; none where it has none or
// its range is not finite.
Handle(Geom2d_Curve) parameterCurve(const TopoDS_Edge& edge, const TopoDS_Face& face, double& first, double& last) {
    Handle(Geom2d_Curve) curve = BRep_Tool::CurveOnSurface(edge, face, first, last);
    while (!curve.IsNull() && curve->IsKind(STANDARD_TYPE(Geom2d_TrimmedCurve)))
        curve = Handle(Geom2d_TrimmedCurve)::DownCast(curve)->BasisCurve();
    return std::isfinite(first) && std::isfinite(last) ? curve : Handle(Geom2d_Curve)();
}

// The points that bound a parameter curve: its poles where it has them (it lies in their hull), else its
// ends; empty for a curve that is neither a line nor polynomial.
std::vector<gp_Pnt2d> hullOf(const Handle(Geom2d_Curve)& curve, double first, double last) {
    if (const auto line = Handle(Geom2d_Line)::DownCast(curve); !line.IsNull())
        return {line->Value(first), line->Value(last)};
    if (const auto spline = Handle(Geom2d_BSplineCurve)::DownCast(curve); !spline.IsNull()) {
        const TColgp_Array1OfPnt2d& poles = spline->Poles();
        return {poles.begin(), poles.end()};
    }
    if (const auto bezier = Handle(Geom2d_BezierCurve)::DownCast(curve); !bezier.IsNull()) {
        const TColgp_Array1OfPnt2d& poles = bezier->Poles();
        return {poles.begin(), poles.end()};
    }
    return {};
}

// The parameter rectangle of a face bounded only by parameter lines along u or v, each on the rectangle's
// border, which a sound face then fills (a fillet's face is one); nullopt for any other face. A side is a
// line, or a spline whose poles stand on one: the hull of its poles is then a segment of that line.
std::optional<UvBox> filledRect(const TopoDS_Face& face) {
    constexpr double kTol = 1e-9;   // of a parameter line's place, in radians
    struct Side {
        bool constantU;
        double at;
        std::vector<gp_Pnt2d> hull;
    };
    std::vector<Side> sides;
    constexpr double kInf = std::numeric_limits<double>::infinity();
    UvBox rect{kInf, -kInf, kInf, -kInf};
    for (TopExp_Explorer ex(face, TopAbs_EDGE); ex.More(); ex.Next()) {
        double first = 0, last = 0;
        const Handle(Geom2d_Curve) curve = parameterCurve(TopoDS::Edge(ex.Current()), face, first, last);
        if (curve.IsNull()) return std::nullopt;
        std::vector<gp_Pnt2d> hull = hullOf(curve, first, last);
        if (hull.empty()) return std::nullopt;
        auto spread = [&](auto coordinate) {
            auto below = [&](const gp_Pnt2d& a, const gp_Pnt2d& b) { return coordinate(a) < coordinate(b); };
            const auto [low, high] = std::minmax_element(hull.begin(), hull.end(), below);
            return coordinate(*high) - coordinate(*low);
        };
        const bool constantU = spread([](const gp_Pnt2d& p) { return p.X(); }) <= kTol;
        if (!constantU && spread([](const gp_Pnt2d& p) { return p.Y(); }) > kTol) return std::nullopt;
        const gp_Pnt2d a = curve->Value(first), b = curve->Value(last);
        rect.uMin = std::min({rect.uMin, a.X(), b.X()}), rect.uMax = std::max({rect.uMax, a.X(), b.X()});
        rect.vMin = std::min({rect.vMin, a.Y(), b.Y()}), rect.vMax = std::max({rect.vMax, a.Y(), b.Y()});
        sides.push_back({constantU, constantU ? a.X() : a.Y(), std::move(hull)});
    }
    constexpr double kFarthest = 100 * kTwoPi;   // a sound face's parameters lie within a few turns
    if (sides.empty() || !(std::max(std::fabs(rect.uMin), std::fabs(rect.uMax)) <= kFarthest) ||
        !(std::max(std::fabs(rect.vMin), std::fabs(rect.vMax)) <= kFarthest) ||
        !(rect.uMax - rect.uMin <= 2 * kTwoPi) || !(rect.vMax - rect.vMin <= 2 * kTwoPi))
        return std::nullopt;
    for (const Side& s : sides) {
        const double low = s.constantU ? rect.uMin : rect.vMin, high = s.constantU ? rect.uMax : rect.vMax;
        if (std::fabs(s.at - low) > kTol && std::fabs(s.at - high) > kTol) return std::nullopt;
        for (const gp_Pnt2d& p : s.hull)   // a curve running past its ends along its line
            if (p.X() < rect.uMin - kTol || p.X() > rect.uMax + kTol || p.Y() < rect.vMin - kTol ||
                p.Y() > rect.vMax + kTol)
                return std::nullopt;
    }
    return rect;
}

// The kernel's box as the host keeps it; empty for a void one.
Box3 toBox3(const Bnd_Box& box) {
    if (box.IsVoid()) return {};
    Box3 b;
    box.Get(b.min[0], b.min[1], b.min[2], b.max[0], b.max[1], b.max[2]);
    return b;
}

// Calls `take` with every angle t in [low, high] where a cos t + b sin t is stationary (tan t = b / a),
// over two turns at most (counted, so that a range far out, where adding a turn changes nothing, still
// ends); none where a and b are 0.
template <class Take>
void stationaryAngles(double a, double b, double low, double high, Take take) {
    if (a == 0 && b == 0) return;
    const double t = std::atan2(b, a);
    for (const double base : {t, t + std::numbers::pi}) {
        const double first = base + kTwoPi * std::ceil((low - base) / kTwoPi);
        for (int turn = 0; turn <= 2; ++turn)
            if (const double angle = first + kTwoPi * turn; angle >= low && angle <= high) take(angle);
    }
}

// Calls `take` with each edge of the face that is not degenerated (a cone's apex: the edges beside it reach
// it), its curve in space without trims, the curve's place and the edge's range. False when an edge has no
// curve in space.
template <class Take>
bool forEachEdgeCurve(const TopoDS_Face& face, Take take) {
    for (TopExp_Explorer ex(face, TopAbs_EDGE); ex.More(); ex.Next()) {
        const TopoDS_Edge& edge = TopoDS::Edge(ex.Current());
        if (BRep_Tool::Degenerated(edge)) continue;
        TopLoc_Location where;
        double first = 0, last = 0;
        Handle(Geom_Curve) curve = BRep_Tool::Curve(edge, where, first, last);
        if (curve.IsNull()) return false;
        while (curve->IsKind(STANDARD_TYPE(Geom_TrimmedCurve)))
            curve = Handle(Geom_TrimmedCurve)::DownCast(curve)->BasisCurve();
        take(edge, curve, where.Transformation(), first, last);
    }
    return true;
}

// Calls `add` with every (u, v) of the rectangle where the height x . p of the torus's points, with x, y and
// z the height of its frame's axes, may reach an extreme: the corners, the stationary points of the
// meridians at the rectangle's sides, and where the height is stationary along the parallels, their
// points on the sides and their meridians' stationary points.
template <class Add>
void torusCandidates(const UvBox& r, double x, double y, double z, Add add) {
    // Along a meridian u the height is (R + r cos v) g(u) + r sin v z, g(u) = cos u x + sin u y:
    // stationary where tan v = z / g(u).
    auto meridian = [&](double u) {
        const double g = std::cos(u) * x + std::sin(u) * y;
        stationaryAngles(g, z, r.vMin, r.vMax, [&](double v) { add(u, v); });
    };
    meridian(r.uMin);
    meridian(r.uMax);
    // Along a parallel, and inside, stationary in u where tan u = y / x; where x = y = 0 the height does
    // not change with u, and the meridians hold its extremes.
    stationaryAngles(x, y, r.uMin, r.uMax, [&](double u) {
        add(u, r.vMin);
        add(u, r.vMax);
        meridian(u);
    });
}

// Coordinate k of the torus's point (u, v).
double torusCoordinate(const TorusFrame& torus, int k, double u, double v) {
    const double radial = torus.major + torus.minor * std::cos(v), along = torus.minor * std::sin(v);
    return torus.centre[k] + radial * (std::cos(u) * torus.x[k] + std::sin(u) * torus.y[k]) + along * torus.axis[k];
}

// Calls `add` with the rectangle's corners and every other (u, v) where coordinate k may reach an extreme.
template <class Add>
void extremeCandidates(const UvBox& r, const TorusFrame& torus, int k, Add add) {
    for (const double u : {r.uMin, r.uMax})
        for (const double v : {r.vMin, r.vMax}) add(u, v);
    torusCandidates(r, torus.x[k], torus.y[k], torus.axis[k], add);
}

double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A torus's (or, of major radius 0, a sphere's) frame as torusPatchBox takes it.
TorusFrame torusFrameOf(const gp_Ax3& frame, double major, double minor) {
    auto vec = [](const gp_XYZ& v) { return Vec3{v.X(), v.Y(), v.Z()}; };
    return {vec(frame.Location().XYZ()), vec(frame.XDirection().XYZ()), vec(frame.YDirection().XYZ()),
            vec(frame.Direction().XYZ()), major, minor};
}

}  // namespace

Box3 torusPatchBox(const TorusFrame& torus, const UvBox& r) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    Box3 box{{kInf, kInf, kInf}, {-kInf, -kInf, -kInf}};
    for (int k = 0; k < 3; ++k)
        extremeCandidates(r, torus, k, [&](double u, double v) {
            const double p = torusCoordinate(torus, k, u, v);
            box.min[k] = std::min(box.min[k], p);
            box.max[k] = std::max(box.max[k], p);
        });
    return box;
}

namespace {

// A rational Bezier piece of a curve (one column) or of a surface: its control points as (x w, y w, z w, w),
// u by u. Its weights positive, it lies in the hull of its control points.
double coordinate(const HOMOGENEOUS& h, int k) { return (k == 0 ? h.x : k == 1 ? h.y : h.z) / h.w; }

struct PIECE {
    std::vector<HOMOGENEOUS> poles;
    int nu = 0, nv = 1;   // control points along u and v
    // Coordinate k of control point (i, j).
    double at(int i, int j, int k) const { return coordinate(poles[static_cast<std::size_t>(i * nv + j)], k); }
};

// The piece cut in halves along u (else v) by de Casteljau.
std::pair<PIECE, PIECE> halves(const PIECE& piece, bool alongU) {
    std::pair<PIECE, PIECE> cut{piece, piece};
    const int n = alongU ? piece.nu : piece.nv, lines = alongU ? piece.nv : piece.nu;
    HOMOGENEOUS row[kBezierPoles];
    for (int line = 0; line < lines; ++line) {
        auto index = [&](int i) { return static_cast<std::size_t>(alongU ? i * piece.nv + line : line * piece.nv + i); };
        for (int i = 0; i < n; ++i) row[i] = piece.poles[index(i)];
        for (int level = 0; level < n; ++level) {
            cut.first.poles[index(level)] = row[0];
            cut.second.poles[index(n - 1 - level)] = row[n - 1 - level];
            for (int i = 0; i + 1 < n - level; ++i) row[i] = 0.5 * (row[i] + row[i + 1]);
        }
    }
    return cut;
}

// The largest of `sign` times coordinate k over the pieces, times `sign`: the largest value at a corner,
// which lies on the shape, once no piece's control points reach more than `tolerance` above it; a piece
// whose points reach above is cut in halves across the way the coordinate changes most along its points.
// Nullopt past a bound on the cuts.
std::optional<double> extremeOf(std::vector<PIECE> pending, int k, double sign, double tolerance) {
    constexpr int kMostCuts = 20000;
    double best = -std::numeric_limits<double>::infinity();
    auto corners = [&](const PIECE& p) {
        const std::size_t last = p.poles.size() - 1, row = static_cast<std::size_t>(p.nv) - 1;
        for (const std::size_t i : {std::size_t{0}, row, last - row, last})
            best = std::max(best, sign * coordinate(p.poles[i], k));
    };
    for (const PIECE& p : pending) corners(p);
    for (int cuts = 0; !pending.empty();) {
        const PIECE piece = std::move(pending.back());
        pending.pop_back();
        double top = -std::numeric_limits<double>::infinity(), alongU = 0, alongV = 0;
        for (int i = 0; i < piece.nu; ++i)
            for (int j = 0; j < piece.nv; ++j) {
                const double c = piece.at(i, j, k);
                top = std::max(top, sign * c);
                if (i > 0) alongU += std::fabs(c - piece.at(i - 1, j, k));
                if (j > 0) alongV += std::fabs(c - piece.at(i, j - 1, k));
            }
        if (top <= best + tolerance) continue;
        if (++cuts > kMostCuts) return std::nullopt;
        auto [first, second] = halves(piece, alongU >= alongV);
        corners(first);
        corners(second);
        pending.push_back(std::move(first));
        pending.push_back(std::move(second));
    }
    return sign * best;
}

// The box of the pieces in `dimensions` coordinates (the others 0), or nullopt.
std::optional<Box3> piecesBox(const std::vector<PIECE>& pieces, int dimensions) {
    if (pieces.empty()) return std::nullopt;
    double scale = 1;
    for (const PIECE& p : pieces)
        for (const HOMOGENEOUS& h : p.poles) {
            if (!(h.w > 0) || !std::isfinite(h.x) || !std::isfinite(h.y) || !std::isfinite(h.z)) return std::nullopt;
            for (int k = 0; k < dimensions; ++k) scale = std::max(scale, std::fabs(coordinate(h, k)));
        }
    const double tolerance = 1e-12 * scale;
    Box3 box;
    for (int k = 0; k < dimensions; ++k) {
        const std::optional<double> low = extremeOf(pieces, k, -1, tolerance);
        const std::optional<double> high = extremeOf(pieces, k, 1, tolerance);
        if (!low || !high) return std::nullopt;
        box.min[k] = *low, box.max[k] = *high;
    }
    return box;
}

template <class P>
HOMOGENEOUS homogeneous(const P& p, double w) {
    if constexpr (std::is_same_v<P, gp_Pnt2d>) return {p.X() * w, p.Y() * w, 0, w};
    else return {p.X() * w, p.Y() * w, p.Z() * w, w};
}

// A Bezier curve's piece, its points moved by `move` (a 3D curve's).
template <class BEZIER>
PIECE pieceOf(const BEZIER& bezier, const gp_Trsf* move = nullptr) {
    PIECE piece;
    piece.nu = bezier.NbPoles();
    for (int i = 1; i <= piece.nu; ++i) {
        auto pole = bezier.Pole(i);
        if constexpr (!std::is_same_v<decltype(pole), gp_Pnt2d>)
            if (move) pole.Transform(*move);
        piece.poles.push_back(homogeneous(pole, bezier.Weight(i)));
    }
    return piece;
}

// The Bezier pieces of a curve over [first, last], when it is a Bezier curve or a B-spline of at most
// kBezierPoles control points a piece; none for any other curve.
template <class CURVE, class BSPLINE, class BEZIER, class CONVERTER, class PIECES>
std::vector<PIECE> curvePieces(const opencascade::handle<CURVE>& curve, double first, double last,
                               const gp_Trsf* move = nullptr) {
    std::vector<PIECE> pieces;
    if (!(last > first)) return pieces;
    opencascade::handle<BSPLINE> spline = opencascade::handle<BSPLINE>::DownCast(curve);
    if (const auto bezier = opencascade::handle<BEZIER>::DownCast(curve); !bezier.IsNull()) {
        if (first != bezier->FirstParameter() || last != bezier->LastParameter() ||
            bezier->NbPoles() > static_cast<int>(kBezierPoles))
            return pieces;
        pieces.push_back(pieceOf(*bezier, move));
        return pieces;
    }
    if (spline.IsNull() || spline->Degree() + 1 > static_cast<int>(kBezierPoles)) return pieces;
    CONVERTER converter(spline, first, last, Precision::PConfusion());
    PIECES beziers(1, converter.NbArcs());
    converter.Arcs(beziers);
    for (int i = beziers.Lower(); i <= beziers.Upper(); ++i) pieces.push_back(pieceOf(*beziers(i), move));
    return pieces;
}

std::vector<PIECE> pieces3d(const Handle(Geom_Curve)& curve, double first, double last, const gp_Trsf& move) {
    return curvePieces<Geom_Curve, Geom_BSplineCurve, Geom_BezierCurve, GeomConvert_BSplineCurveToBezierCurve,
                       TColGeom_Array1OfBezierCurve>(curve, first, last, &move);
}

std::vector<PIECE> pieces2d(const Handle(Geom2d_Curve)& curve, double first, double last) {
    return curvePieces<Geom2d_Curve, Geom2d_BSplineCurve, Geom2d_BezierCurve, Geom2dConvert_BSplineCurveToBezierCurve,
                       TColGeom2d_Array1OfBezierCurve>(curve, first, last);
}

// The rectangle of parameters that holds a face's boundary: its edges' parameter curves boxed, lines in
// closed form and splines by their pieces. Nullopt for a face with another kind of parameter curve.
std::optional<UvBox> boundaryRect(const TopoDS_Face& face) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    UvBox rect{kInf, -kInf, kInf, -kInf};
    auto add = [&](double u, double v) {
        rect.uMin = std::min(rect.uMin, u), rect.uMax = std::max(rect.uMax, u);
        rect.vMin = std::min(rect.vMin, v), rect.vMax = std::max(rect.vMax, v);
    };
    for (TopExp_Explorer ex(face, TopAbs_EDGE); ex.More(); ex.Next()) {
        double first = 0, last = 0;
        const Handle(Geom2d_Curve) curve = parameterCurve(TopoDS::Edge(ex.Current()), face, first, last);
        if (curve.IsNull()) return std::nullopt;
        if (curve->IsKind(STANDARD_TYPE(Geom2d_Line))) {
            for (const double t : {first, last}) add(curve->Value(t).X(), curve->Value(t).Y());
            continue;
        }
        const std::optional<Box3> box = piecesBox(pieces2d(curve, first, last), 2);
        if (!box) return std::nullopt;
        add(box->min[0], box->min[1]);
        add(box->max[0], box->max[1]);
    }
    if (!(rect.uMax >= rect.uMin) || !(rect.vMax >= rect.vMin)) return std::nullopt;
    return rect;
}

// The box of a B-spline surface over [u0, u1] x [v0, v1], found by cutting its Bezier pieces where their
// control points reach past what is found (the kernel searches with a particle swarm, some milliseconds a
// face), grown by the kernel's confusion distance as its box of a surface is. Nullopt for a spline of more
// poles a piece than a piece holds.
std::optional<Box3> splinePatchBox(const Handle(Geom_BSplineSurface)& spline, double u0, double u1, double v0,
                                   double v1, const gp_Trsf& move) {
    if (spline.IsNull() || spline->UDegree() + 1 > static_cast<int>(kBezierPoles) ||
        spline->VDegree() + 1 > static_cast<int>(kBezierPoles) || !(u1 > u0) || !(v1 > v0))
        return std::nullopt;
    GeomConvert_BSplineSurfaceToBezierSurface converter(spline, u0, u1, v0, v1, Precision::PConfusion());
    TColGeom_Array2OfBezierSurface patches(1, converter.NbUPatches(), 1, converter.NbVPatches());
    converter.Patches(patches);
    std::vector<PIECE> pieces;
    for (int i = patches.LowerRow(); i <= patches.UpperRow(); ++i)
        for (int j = patches.LowerCol(); j <= patches.UpperCol(); ++j) {
            const Geom_BezierSurface& patch = *patches(i, j);
            PIECE piece;
            piece.nu = patch.NbUPoles(), piece.nv = patch.NbVPoles();
            for (int a = 1; a <= piece.nu; ++a)
                for (int b = 1; b <= piece.nv; ++b)
                    piece.poles.push_back(homogeneous(patch.Pole(a, b).Transformed(move), patch.Weight(a, b)));
            pieces.push_back(std::move(piece));
        }
    std::optional<Box3> box = piecesBox(pieces, 3);
    if (box)
        for (int k = 0; k < 3; ++k) box->min[k] -= Precision::Confusion(), box->max[k] += Precision::Confusion();
    return box;
}

// A B-spline face's box as the kernel's tightest box makes it: the box of its surface over the rectangle of
// parameters its boundary spans.
std::optional<Box3> splineFaceBox(const TopoDS_Face& face) {
    TopLoc_Location where;
    const auto spline = Handle(Geom_BSplineSurface)::DownCast(BRep_Tool::Surface(face, where));
    if (spline.IsNull()) return std::nullopt;
    double u0 = 0, u1 = 0, v0 = 0, v1 = 0;
    spline->Bounds(u0, u1, v0, v1);
    if (!BRep_Tool::NaturalRestriction(face)) {
        const std::optional<UvBox> rect = boundaryRect(face);
        if (!rect) return std::nullopt;
        u0 = std::max(u0, rect->uMin), u1 = std::min(u1, rect->uMax);
        v0 = std::max(v0, rect->vMin), v1 = std::min(v1, rect->vMax);
    }
    return splinePatchBox(spline, u0, u1, v0, v1, where.Transformation());
}

// A face of a surface of revolution, boxed as the kernel boxes it: its surface over the rectangle of
// parameters its boundary spans, here made a rational B-spline, which holds the circles it turns its curve
// along exactly, and boxed by its pieces (the kernel's swarm took fifty milliseconds on a revolved spline).
std::optional<Box3> revolutionFaceBox(const TopoDS_Face& face) {
    TopLoc_Location where;
    const Handle(Geom_Surface) surface = BRep_Tool::Surface(face, where);
    const std::optional<UvBox> rect = boundaryRect(face);
    if (surface.IsNull() || !rect || !(rect->uMax > rect->uMin) || !(rect->vMax > rect->vMin)) return std::nullopt;
    Handle(Geom_BSplineSurface) spline;
    try {
        spline = GeomConvert::SurfaceToBSplineSurface(
            new Geom_RectangularTrimmedSurface(surface, rect->uMin, rect->uMax, rect->vMin, rect->vMax));
    } catch (const Standard_Failure&) {
        return std::nullopt;
    }
    if (spline.IsNull()) return std::nullopt;
    double u0 = 0, u1 = 0, v0 = 0, v1 = 0;
    spline->Bounds(u0, u1, v0, v1);
    return splinePatchBox(spline, u0, u1, v0, v1, where.Transformation());
}

// The extent of d . p over the torus's points over the rectangle: torusPatchBox's for one height. A sphere
// is the torus of major radius 0, whose parallels at the poles are the rectangle's sides.
Extent torusPatchExtent(const TorusFrame& torus, const UvBox& r, const Vec3& d) {
    const double o = dot(torus.centre, d), x = dot(torus.x, d), y = dot(torus.y, d), z = dot(torus.axis, d);
    Extent extent{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    auto add = [&](double u, double v) {
        const double h = o + (torus.major + torus.minor * std::cos(v)) * (std::cos(u) * x + std::sin(u) * y) +
                         torus.minor * std::sin(v) * z;
        extent.least = std::min(extent.least, h);
        extent.most = std::max(extent.most, h);
    };
    for (const double u : {r.uMin, r.uMax})
        for (const double v : {r.vMin, r.vMax}) add(u, v);
    torusCandidates(r, x, y, z, add);
    return extent;
}

// Whether a range of angles is no more than two turns long, as stationaryAngles takes it: a full circle's
// range read from a file is often a hair more than one.
bool turns(double first, double last) { return last - first <= 2 * kTwoPi; }

// The extent of d . p over the face's edges, from the same points as edgesBox boxes, and ellipses' and
// splines' too; nullopt when an edge has no curve in space, or none has.
std::optional<Extent> edgesExtent(const TopoDS_Face& face, const Vec3& d) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    Extent extent{kInf, -kInf};
    auto add = [&](const gp_Pnt& p) {
        const double h = p.X() * d[0] + p.Y() * d[1] + p.Z() * d[2];
        extent.least = std::min(extent.least, h);
        extent.most = std::max(extent.most, h);
    };
    const gp_XYZ along(d[0], d[1], d[2]);
    const bool curves = forEachEdgeCurve(face, [&](const TopoDS_Edge& edge, const Handle(Geom_Curve)& curve,
                                                   const gp_Trsf& move, double first, double last) {
        if (curve->IsKind(STANDARD_TYPE(Geom_Line))) {
            add(curve->Value(first).Transformed(move));
            add(curve->Value(last).Transformed(move));
        } else if (const auto circle = Handle(Geom_Circle)::DownCast(curve); !circle.IsNull() && turns(first, last)) {
            // O + R (cos t X + sin t Y) is stationary in height where tan t = (d . Y) / (d . X).
            const gp_Circ c = circle->Circ().Transformed(move);
            auto at = [&](double t) { add(ElCLib::Value(t, c)); };
            at(first);
            at(last);
            stationaryAngles(c.XAxis().Direction().XYZ().Dot(along), c.YAxis().Direction().XYZ().Dot(along), first,
                             last, at);
        } else if (const auto ellipse = Handle(Geom_Ellipse)::DownCast(curve);
                   !ellipse.IsNull() && turns(first, last)) {
            // O + A cos t X + B sin t Y: where tan t = B (d . Y) / (A (d . X)).
            const gp_Elips e = ellipse->Elips().Transformed(move);
            auto at = [&](double t) { add(ElCLib::Value(t, e)); };
            at(first);
            at(last);
            stationaryAngles(e.MajorRadius() * e.XAxis().Direction().XYZ().Dot(along),
                             e.MinorRadius() * e.YAxis().Direction().XYZ().Dot(along), first, last, at);
        } else if (const auto spline = Handle(Geom_BSplineCurve)::DownCast(curve); !spline.IsNull()) {
            // The curve lies in the hull of its poles (its weights are positive).
            for (const gp_Pnt& pole : spline->Poles()) add(pole.Transformed(move));
        } else if (const auto bezier = Handle(Geom_BezierCurve)::DownCast(curve); !bezier.IsNull()) {
            for (const gp_Pnt& pole : bezier->Poles()) add(pole.Transformed(move));
        } else {
            Bnd_Box box;
            BndLib_Add3dCurve::AddOptimal(BRepAdaptor_Curve(edge), 0, box);
            if (box.IsVoid()) return;
            const Box3 b = toBox3(box);
            for (int k = 0; k < 8; ++k)
                add(gp_Pnt(k & 1 ? b.max[0] : b.min[0], k & 2 ? b.max[1] : b.min[1], k & 4 ? b.max[2] : b.min[2]));
        }
    });
    if (!curves || !(extent.least <= extent.most)) return std::nullopt;
    return extent;
}

}  // namespace

std::optional<Extent> extentAlong(const TopoDS_Face& face, const UvBox& range, const Vec3& direction) {
    const BRepAdaptor_Surface surface(face, false);
    // The rectangle no more than two turns wide, as the closed forms take it.
    const bool narrow = range.uMax - range.uMin <= 2 * kTwoPi && range.vMax - range.vMin <= 2 * kTwoPi;
    switch (surface.GetType()) {
    case GeomAbs_Plane:
    case GeomAbs_Cylinder:
    case GeomAbs_Cone:
    case GeomAbs_SurfaceOfExtrusion: return edgesExtent(face, direction);
    case GeomAbs_Sphere: {
        if (!narrow) return std::nullopt;
        const gp_Sphere sphere = surface.Sphere();
        return torusPatchExtent(torusFrameOf(sphere.Position(), 0, sphere.Radius()), range, direction);
    }
    case GeomAbs_Torus: {
        const gp_Torus torus = surface.Torus();
        if (!narrow || !(torus.MajorRadius() >= torus.MinorRadius())) return std::nullopt;
        return torusPatchExtent(torusFrameOf(torus.Position(), torus.MajorRadius(), torus.MinorRadius()), range,
                                direction);
    }
    case GeomAbs_BSplineSurface:
    case GeomAbs_BezierSurface: {
        // The surface lies in the hull of its poles (its weights are positive).
        const TColgp_Array2OfPnt poles = surface.GetType() == GeomAbs_BSplineSurface ? surface.BSpline()->Poles()
                                                                                       : surface.Bezier()->Poles();
        constexpr double kInf = std::numeric_limits<double>::infinity();
        Extent extent{kInf, -kInf};
        for (int i = poles.LowerRow(); i <= poles.UpperRow(); ++i)
            for (int j = poles.LowerCol(); j <= poles.UpperCol(); ++j) {
                const gp_Pnt& pole = poles(i, j);
                const double h = pole.X() * direction[0] + pole.Y() * direction[1] + pole.Z() * direction[2];
                extent.least = std::min(extent.least, h);
                extent.most = std::max(extent.most, h);
            }
        if (!(extent.least <= extent.most)) return std::nullopt;
        return extent;
    }
    default: return std::nullopt;
    }
}

namespace {

// The box of the face's edges. On a ruled surface (a cylinder, a cone) a coordinate that is stationary
// inside the face stays so along the line of the surface through that point, out to an edge: the edges
// hold the face's extremes. Nullopt when an edge has no curve in space, or none has.
std::optional<Box3> edgesBox(const TopoDS_Face& face) {
    Bnd_Box box;
    const bool curves = forEachEdgeCurve(face, [&](const TopoDS_Edge& edge, const Handle(Geom_Curve)& curve,
                                                   const gp_Trsf& move, double first, double last) {
        if (curve->IsKind(STANDARD_TYPE(Geom_Line))) {
            box.Add(curve->Value(first).Transformed(move));
            box.Add(curve->Value(last).Transformed(move));
        } else if (const auto circle = Handle(Geom_Circle)::DownCast(curve);
                   !circle.IsNull() && last - first <= kTwoPi) {
            // Each coordinate of O + R (cos t X + sin t Y) is stationary where tan t = Y / X.
            const gp_Circ c = circle->Circ().Transformed(move);
            auto add = [&](double t) { box.Add(ElCLib::Value(t, c)); };
            add(first);
            add(last);
            for (int k = 1; k <= 3; ++k) {
                const double x = c.XAxis().Direction().Coord(k), y = c.YAxis().Direction().Coord(k);
                stationaryAngles(x, y, first, last, add);
            }
        } else if (const std::optional<Box3> spline = piecesBox(pieces3d(curve, first, last, move), 3)) {
            // The kernel's box of a spline keeps a gap of its confusion distance, which the whole box
            // then takes: so here, that the box is the one the kernel made.
            box.Add(gp_Pnt(spline->min[0], spline->min[1], spline->min[2]));
            box.Add(gp_Pnt(spline->max[0], spline->max[1], spline->max[2]));
            box.Enlarge(Precision::Confusion());
        } else {
            BndLib_Add3dCurve::AddOptimal(BRepAdaptor_Curve(edge), 0, box);
        }
    });
    if (!curves || box.IsVoid()) return std::nullopt;
    return toBox3(box);
}

// Where a point of the face's parameters lies against its trims. Each wire is a loop of the edges' parameter
// curves, traversed as the face's material lies on their left (a line as itself, any other curve as a
// polyline, which may err near the trim by its sag): the point is on the face where the loops wind about it
// once, or, on a face that has no outer loop (a sphere but for two caps), where none does. On a trim: by its
// distance to the curve itself.
class UvTrims {
public:
    // Nullopt when an edge has no parameter curve over a finite range or a wire is no closed loop.
    static std::optional<UvTrims> of(const TopoDS_Face& face) {
        constexpr int kSamples = 64;
        UvTrims trims;
        TopoDS_Face forward = face;
        forward.Orientation(TopAbs_FORWARD);
        for (TopoDS_Iterator wire(forward); wire.More(); wire.Next()) {
            double area = 0, du = 0, dv = 0, length = 0;
            for (TopoDS_Iterator it(wire.Value()); it.More(); it.Next()) {
                if (it.Value().ShapeType() != TopAbs_EDGE) return std::nullopt;
                const TopoDS_Edge& edge = TopoDS::Edge(it.Value());
                TRIM trim;
                trim.curve = parameterCurve(edge, forward, trim.first, trim.last);
                if (trim.curve.IsNull()) return std::nullopt;
                trim.line = trim.curve->IsKind(STANDARD_TYPE(Geom2d_Line));
                trim.from = trims.segments_.size();
                const int steps = trim.line ? 1 : kSamples;
                const bool reversed = edge.Orientation() == TopAbs_REVERSED;
                auto at = [&](int i) {
                    const int j = reversed ? steps - i : i;
                    return trim.curve->Value(j == steps ? trim.last : trim.first + (trim.last - trim.first) * j / steps);
                };
                gp_Pnt2d from = at(0);
                for (int i = 1; i <= steps; ++i) {
                    const gp_Pnt2d to = at(i);
                    trims.segments_.push_back({from.X(), from.Y(), to.X(), to.Y()});
                    area += from.X() * to.Y() - to.X() * from.Y();
                    du += to.X() - from.X(), dv += to.Y() - from.Y(), length += from.Distance(to);
                    from = to;
                }
                trim.to = trims.segments_.size();
                trims.trims_.push_back(std::move(trim));
            }
            if (std::hypot(du, dv) > 1e-6 * std::max(length, 1.0)) return std::nullopt;
            trims.outer_ = trims.outer_ || area > 0;
        }
        return trims;
    }

    // Whether the loops have an outer one; a face without spans its surface's periods but for its holes.
    bool outer() const { return outer_; }

    bool inside(double u, double v) const {
        int winding = 0;
        for (const auto& [u0, v0, u1, v1] : segments_) {
            const double side = (u1 - u0) * (v - v0) - (u - u0) * (v1 - v0);
            if (v0 <= v && v1 > v && side > 0) ++winding;
            else if (v1 <= v && v0 > v && side < 0) --winding;
        }
        return winding == (outer_ ? 1 : 0);
    }

    // Within `tolerance` of a trim: a curve's polyline that passes near is looked at closely.
    bool onTrim(double u, double v, double tolerance) const {
        const gp_Pnt2d point(u, v);
        for (const TRIM& trim : trims_) {
            double nearest = std::numeric_limits<double>::infinity();
            for (std::size_t i = trim.from; i < trim.to; ++i) nearest = std::min(nearest, squaredDistance(segments_[i], u, v));
            if (nearest <= tolerance * tolerance) return true;
            if (trim.line || nearest > kNear * kNear) continue;
            Geom2dAPI_ProjectPointOnCurve projection(point, trim.curve, trim.first, trim.last);
            if (projection.NbPoints() > 0 && projection.LowerDistance() <= tolerance) return true;
        }
        return false;
    }

private:
    static constexpr double kNear = 1e-2;   // beyond the sag of a polyline of a trim
    struct TRIM {
        Handle(Geom2d_Curve) curve;
        double first = 0, last = 0;
        bool line = false;
        std::size_t from = 0, to = 0;   // its segments
    };
    static double squaredDistance(const std::array<double, 4>& s, double u, double v) {
        const double du = s[2] - s[0], dv = s[3] - s[1], length = du * du + dv * dv;
        const double t = length > 0 ? std::clamp(((u - s[0]) * du + (v - s[1]) * dv) / length, 0.0, 1.0) : 0;
        const double a = u - s[0] - t * du, b = v - s[1] - t * dv;
        return a * a + b * b;
    }
    std::vector<TRIM> trims_;
    std::vector<std::array<double, 4>> segments_;
    bool outer_ = false;
};

// A torus or sphere face that does not fill its parameter rectangle (a fillet ending on a slanted face, a
// blend cut by a hole): each side of its box is the surface's extreme over the rectangle its trims span
// (over its whole periods when it has no outer loop) where that extreme lies on the face, else its edges'
// extreme, which the face then reaches on a trim (a coordinate has no extreme inside the surface but its
// own). The kernel boxes it alike, but searches the surface numerically and finds where the extreme lies
// with a surface-to-surface extremum search and a classifier of the face's trims, milliseconds a face.
// Nullopt for a face this does not take.
std::optional<Box3> trimmedTorusBox(const TopoDS_Face& face, const TorusFrame& torus, bool sphere) {
    const std::optional<UvTrims> trims = UvTrims::of(face);
    const std::optional<Box3> edges = edgesBox(face);
    std::optional<UvBox> rect = boundaryRect(face);
    if (!trims || !edges || !rect) return std::nullopt;
    // Without an outer loop the face's places are found in the period its holes start in, and looked for in
    // each period they reach.
    std::vector<double> shifts{0};
    if (!trims->outer()) {
        const UvBox holes = *rect;
        rect = UvBox{holes.uMin, holes.uMin + kTwoPi, sphere ? -kTwoPi / 4 : holes.vMin,
                     sphere ? kTwoPi / 4 : holes.vMin + kTwoPi};
        for (const double turn : {-2.0, -1.0, 1.0, 2.0}) shifts.push_back(turn * kTwoPi);
    }
    if (sphere) rect->vMin = std::max(rect->vMin, -kTwoPi / 4), rect->vMax = std::min(rect->vMax, kTwoPi / 4);
    if (!turns(rect->uMin, rect->uMax) || !turns(rect->vMin, rect->vMax)) return std::nullopt;
    struct Place {
        double value, u, v;
    };
    // A place on the rectangle's border (of a face with an outer loop) is on the face only on a trim, which a
    // sound edge reaches; a place inside it is on the face inside the loops or on a trim.
    constexpr double kBorder = 1e-9, kOnTrim = 1e-9;
    auto onFace = [&](const Place& p) {
        const bool within = !trims->outer() || (p.u > rect->uMin + kBorder && p.u < rect->uMax - kBorder &&
                                                 p.v > rect->vMin + kBorder && p.v < rect->vMax - kBorder);
        if (trims->outer()) return (within && trims->inside(p.u, p.v)) || trims->onTrim(p.u, p.v, kOnTrim);
        for (const double du : shifts)
            for (const double dv : sphere ? std::vector<double>{0} : shifts) {
                if (trims->onTrim(p.u + du, p.v + dv, kOnTrim)) return true;
                if (!trims->inside(p.u + du, p.v + dv)) return false;
            }
        return true;
    };
    Box3 box;
    for (int k = 0; k < 3; ++k) {
        std::vector<Place> places;
        extremeCandidates(*rect, torus, k,
                          [&](double u, double v) { places.push_back({torusCoordinate(torus, k, u, v), u, v}); });
        // Where the extreme is reached along a curve (a parallel of a torus about this axis), any of its
        // places on the face will do.
        const double tie = 1e-12 * (std::fabs(torus.centre[k]) + torus.major + torus.minor);
        auto side = [&](double sign, double edge) {
            double extreme = -std::numeric_limits<double>::infinity();
            for (const Place& p : places) extreme = std::max(extreme, sign * p.value);
            for (const Place& p : places)
                if (sign * p.value >= extreme - tie && onFace(p)) return sign * extreme;
            // The face reaches no farther than its edges, nor than its surface (an edge's curve may stray
            // from it by the edge's tolerance).
            return sign * std::min(extreme, sign * edge);
        };
        box.min[k] = side(-1, edges->min[k]);
        box.max[k] = side(1, edges->max[k]);
    }
    return box;
}

// The face's box in closed form, where it has one.
std::optional<Box3> closedFormBox(const TopoDS_Face& face) {
    const BRepAdaptor_Surface surface(face, false);
    switch (surface.GetType()) {
    case GeomAbs_Plane:
    case GeomAbs_Cylinder:
    case GeomAbs_Cone: return edgesBox(face);
    case GeomAbs_Torus: {
        const gp_Torus torus = surface.Torus();
        if (!(torus.MajorRadius() > torus.MinorRadius())) return std::nullopt;
        const TorusFrame frame = torusFrameOf(torus.Position(), torus.MajorRadius(), torus.MinorRadius());
        if (const std::optional<UvBox> rect = filledRect(face)) return torusPatchBox(frame, *rect);
        return trimmedTorusBox(face, frame, false);
    }
    case GeomAbs_Sphere: {
        // A torus of major radius 0, boxed as one rather than by the kernel's numeric search. Its latitudes
        // end at the poles, where its meridians meet.
        const gp_Sphere sphere = surface.Sphere();
        const TorusFrame frame = torusFrameOf(sphere.Position(), 0, sphere.Radius());
        const std::optional<UvBox> rect = filledRect(face);
        constexpr double kPole = kTwoPi / 4 + 1e-9;
        if (rect && rect->vMin >= -kPole && rect->vMax <= kPole) return torusPatchBox(frame, *rect);
        return trimmedTorusBox(face, frame, true);
    }
    case GeomAbs_BSplineSurface: return splineFaceBox(face);
    case GeomAbs_SurfaceOfRevolution: return revolutionFaceBox(face);
    default: return std::nullopt;
    }
}

}  // namespace

Box3 boxByKernel(const TopoDS_Shape& shape) {
    Bnd_Box b;
    BRepBndLib::AddOptimal(shape, b, false, false);
    return toBox3(b);
}

Box3 boxOf(const TopoDS_Shape& shape) {
    if (!shape.IsNull() && shape.ShapeType() == TopAbs_FACE)
        if (const std::optional<Box3> box = closedFormBox(TopoDS::Face(shape))) return *box;
    return boxByKernel(shape);
}

}  // namespace host
