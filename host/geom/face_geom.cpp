// FaceGeom and SolidGeom on the kernel. Every kernel call that can throw is caught here: a face the kernel
// cannot handle gives an empty or missing result, never an exception out of host/geom.
#include "host/geom/face_geom.h"

#include <BRepAdaptor_Curve.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_NurbsConvert.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <BRepTools.hxx>
#include <BRepLib.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <Bnd_Box2d.hxx>
#include <BndLib_Add2dCurve.hxx>
#include <BRep_Builder.hxx>
#include <BRep_CurveRepresentation.hxx>
#include <BRep_TEdge.hxx>
#include <BRep_Tool.hxx>
#include <GCPnts_TangentialDeflection.hxx>
#include <GProp_GProps.hxx>
#include <Geom2dAdaptor_Curve.hxx>
#include <Geom2d_Circle.hxx>
#include <Geom2d_Curve.hxx>
#include <Geom2d_Line.hxx>
#include <GeomAdaptor_Surface.hxx>
#include <GeomLib_IsPlanarSurface.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_Circle.hxx>
#include <Geom_ConicalSurface.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <Geom_Line.hxx>
#include <Geom_Parabola.hxx>
#include <Geom_Plane.hxx>
#include <Geom_ToroidalSurface.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <Precision.hxx>
#include <Standard_Failure.hxx>
#include <TColStd_Array1OfInteger.hxx>
#include <TColStd_Array1OfReal.hxx>
#include <TColgp_Array2OfPnt.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax1.hxx>
#include <gp_Ax22d.hxx>
#include <gp_Circ.hxx>
#include <gp_Lin.hxx>
#include <gp_Pln.hxx>

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "host/geom/face_box.h"
#include "host/geom/occt_impl.h"

namespace host {
namespace {

// Curved trim edges are sampled at most this far apart in turning angle (radians) and sagitta (units).
constexpr double kTrimAngle = 2.0 * std::numbers::pi / 180.0;
constexpr double kTrimSagitta = 1e-3;
constexpr double kTrimUTolerance = 1e-9;   // the kernel's own defaults for the deflection's last two limits
constexpr double kTrimMinLength = 1e-7;
// Axes whose cosine is below this stand square to each other for the kernel's projections.
constexpr double kSquareCosine = 1e-4;

SurfaceKind kindOf(const Handle(Geom_Surface)& surface) {
    switch (GeomAdaptor_Surface(surface).GetType()) {
    case GeomAbs_Plane: return SurfaceKind::Plane;
    case GeomAbs_Cylinder: return SurfaceKind::Cylinder;
    case GeomAbs_Cone: return SurfaceKind::Cone;
    case GeomAbs_Sphere: return SurfaceKind::Sphere;
    case GeomAbs_Torus: return SurfaceKind::Torus;
    case GeomAbs_SurfaceOfRevolution: return SurfaceKind::Revolution;
    case GeomAbs_SurfaceOfExtrusion: return SurfaceKind::Extrusion;
    case GeomAbs_BSplineSurface: return SurfaceKind::BSpline;
    case GeomAbs_BezierSurface: return SurfaceKind::Bezier;
    default: return SurfaceKind::Other;
    }
}

// A face's edges as the kernel's explorer finds them, placed and oriented within the face, and the vertices
// it holds beside them: gathered once for the several walks that making a face takes.
struct FACE_PARTS {
    std::vector<TopoDS_Edge> edges;
    std::vector<TopoDS_Vertex> looseVertices;
};

FACE_PARTS partsOf(const TopoDS_Face& face) {
    FACE_PARTS parts;
    auto take = [&parts](const TopoDS_Shape& s) {
        if (s.ShapeType() == TopAbs_EDGE) parts.edges.push_back(TopoDS::Edge(s));
        else if (s.ShapeType() == TopAbs_VERTEX) parts.looseVertices.push_back(TopoDS::Vertex(s));
    };
    for (TopoDS_Iterator wires(face); wires.More(); wires.Next()) {
        if (wires.Value().ShapeType() != TopAbs_WIRE) take(wires.Value());
        else
            for (TopoDS_Iterator it(wires.Value()); it.More(); it.Next()) take(it.Value());
    }
    return parts;
}

// The kernel makes the missing parameter curves of a plane's edges by projecting them onto it, and it
// crashes on a parabola whose own plane stands square to the face's. No sound face has such an edge (it
// could not lie in the face), so the face is refused before anything asks for its parameter curves. The
// curves are looked at where they are kept: asked for placed, the kernel would copy each one.
bool hasUnprojectableEdge(const TopoDS_Face& face, const std::vector<TopoDS_Edge>& edges) {
    TopLoc_Location facePlaced;
    const Handle(Geom_Plane) plane = Handle(Geom_Plane)::DownCast(BRep_Tool::Surface(face, facePlaced));
    if (plane.IsNull()) return false;
    const gp_Dir normal = plane->Position().Direction().Transformed(facePlaced.Transformation());
    for (const TopoDS_Edge& edge : edges) {
        TopLoc_Location placed;
        double f = 0, l = 0;
        Handle(Geom_Curve) curve = BRep_Tool::Curve(edge, placed, f, l);
        while (!curve.IsNull() && curve->IsKind(STANDARD_TYPE(Geom_TrimmedCurve)))
            curve = Handle(Geom_TrimmedCurve)::DownCast(curve)->BasisCurve();
        const Handle(Geom_Parabola) parabola = Handle(Geom_Parabola)::DownCast(curve);
        if (!parabola.IsNull() &&
            std::abs(parabola->Position().Direction().Transformed(placed.Transformation()).Dot(normal)) < kSquareCosine)
            return true;
    }
    return false;
}

// Whether the edge keeps a curve in the parameters of `surface` placed at `placed`, as the kernel looks
// for one.
bool keepsCurveOn(const TopoDS_Edge& edge, const Handle(Geom_Surface)& surface, const TopLoc_Location& placed) {
    const TopLoc_Location relative = placed.Predivided(edge.Location());
    for (const Handle(BRep_CurveRepresentation)& kept : static_cast<const BRep_TEdge*>(edge.TShape().get())->Curves())
        if (kept->IsCurveOnSurface(surface, relative)) return true;
    return false;
}

// A line's or circle's curve in the parameters of the plane, placed at `placed`, in closed form: the curve
// the kernel's projection makes of it, parameter for parameter, without the projected copy and adaptors it
// builds for each edge. Null for another curve, or one that does not run along the plane.
Handle(Geom2d_Curve) curveInPlane(const TopoDS_Edge& edge, const Geom_Plane& plane, const TopLoc_Location& placed) {
    constexpr double kAlong = 1e-9;
    TopLoc_Location where;
    double first = 0, last = 0;
    Handle(Geom_Curve) curve = BRep_Tool::Curve(edge, where, first, last);
    while (!curve.IsNull() && curve->IsKind(STANDARD_TYPE(Geom_TrimmedCurve)))
        curve = Handle(Geom_TrimmedCurve)::DownCast(curve)->BasisCurve();
    if (curve.IsNull()) return {};
    // The curve in the plane's own frame; a placement that scales would change its parameters.
    const gp_Trsf toPlane = placed.Transformation().Inverted() * where.Transformation();
    if (std::abs(std::abs(toPlane.ScaleFactor()) - 1) > kAlong) return {};
    const gp_Ax3& frame = plane.Position();
    const gp_XYZ origin = frame.Location().XYZ();
    auto uv = [&](const gp_Pnt& p) {
        const gp_XYZ d = p.XYZ() - origin;
        return gp_Pnt2d(d.Dot(frame.XDirection().XYZ()), d.Dot(frame.YDirection().XYZ()));
    };
    auto inPlane = [&](const gp_Dir& d) {
        return gp_Dir2d(d.Dot(frame.XDirection()), d.Dot(frame.YDirection()));
    };
    if (const auto line = Handle(Geom_Line)::DownCast(curve); !line.IsNull()) {
        const gp_Lin lin = line->Lin().Transformed(toPlane);
        if (std::abs(lin.Direction().Dot(frame.Direction())) > kAlong) return {};
        return new Geom2d_Line(uv(lin.Location()), inPlane(lin.Direction()));
    }
    if (const auto circle = Handle(Geom_Circle)::DownCast(curve); !circle.IsNull()) {
        const gp_Circ circ = circle->Circ().Transformed(toPlane);
        if (std::abs(circ.Axis().Direction().Dot(frame.Direction())) < 1 - kAlong) return {};
        const gp_Ax22d axes(uv(circ.Location()), inPlane(circ.XAxis().Direction()), inPlane(circ.YAxis().Direction()));
        return new Geom2d_Circle(axes, circ.Radius());
    }
    return {};
}

// A plane's edges keep their curves in its parameters: otherwise the kernel projects an edge afresh each time
// one of its algorithms asks (boxes, classifiers, intersectors), which on parts of curved edges costs more
// than the rest of a face's line questions. Lines and circles in closed form, other curves as the kernel
// projects them. A face the kernel cannot do this for is left as it was: its curves are worked out at each
// ask, as before.
void keepCurvesInPlane(const TopoDS_Face& face, const std::vector<TopoDS_Edge>& edges) {
    const BRep_Builder builder;
    try {
        TopLoc_Location placed;
        const Handle(Geom_Plane) plane = Handle(Geom_Plane)::DownCast(BRep_Tool::Surface(face, placed));
        if (plane.IsNull()) return;
        for (const TopoDS_Edge& edge : edges) {
            if (keepsCurveOn(edge, plane, placed)) continue;
            if (const Handle(Geom2d_Curve) curve = curveInPlane(edge, *plane, placed); !curve.IsNull())
                builder.UpdateEdge(edge, curve, plane, placed, BRep_Tool::Tolerance(edge));
            else
                BRepLib::BuildPCurveForEdgeOnPlane(edge, face);
        }
    } catch (const Standard_Failure&) {
    }
}

// An edge's curve in a face's parameters and the edge's range on it; a null curve where it has none.
struct EDGE_CURVE {
    Handle(Geom2d_Curve) curve;
    double first = 0, last = 0;
};

// The curves of the face's edges (as partsOf gives them) in its parameters, looked up once.
std::vector<EDGE_CURVE> parameterCurvesOf(const TopoDS_Face& face, const std::vector<TopoDS_Edge>& edges) {
    std::vector<EDGE_CURVE> curves(edges.size());
    for (std::size_t i = 0; i < edges.size(); ++i)
        curves[i].curve = BRep_Tool::CurveOnSurface(edges[i], face, curves[i].first, curves[i].last);
    return curves;
}

// The face's parameter range as the kernel works it out (BRepTools::UVBounds): the box of its edges' curves
// in the parameter plane. On a plane, cylinder, cone or torus, which bound no parameter the kernel would
// clamp to, that box is the union of the curves' own boxes (a line's, its ends), made here from the curves
// looked up once rather than again for each edge; on other surfaces, and a face without curves, the
// kernel's own.
UvBox parameterRange(const TopoDS_Face& face, const Handle(Geom_Surface)& surface,
                     const std::vector<EDGE_CURVE>& curves) {
    UvBox range;
    const Handle(Standard_Type) type = surface->DynamicType();
    Bnd_Box2d box;
    if (type == STANDARD_TYPE(Geom_Plane) || type == STANDARD_TYPE(Geom_CylindricalSurface) ||
        type == STANDARD_TYPE(Geom_ConicalSurface) || type == STANDARD_TYPE(Geom_ToroidalSurface))
        for (const EDGE_CURVE& c : curves) {
            if (c.curve.IsNull()) continue;
            if (c.curve->DynamicType() == STANDARD_TYPE(Geom2d_Line)) {
                box.Add(c.curve->Value(c.first));
                box.Add(c.curve->Value(c.last));
                continue;
            }
            Bnd_Box2d own;
            BndLib_Add2dCurve::Add(c.curve, c.first, c.last, 0., own);
            box.Add(own);
        }
    if (box.IsVoid()) BRepTools::UVBounds(face, range.uMin, range.uMax, range.vMin, range.vMax);
    else box.Get(range.uMin, range.vMin, range.uMax, range.vMax);
    return range;
}

// Whether the face's parameter range (from its edges' curves in the parameter plane) is one a sound face
// can have: within three periods of a periodic direction, three times the span of a bounded one, or else
// no more than twice the reach of its edges in space (the parameter of a plane, or along a cylinder,
// cone or extrusion, is a length). The kernel's face classifier, which boxing the face runs, casts ray
// after ray across the parameter range and tries a number of them that grows with its span: an edge curve
// moved millions of units out in the parameter plane, its space curve left in place, keeps it busy for
// minutes.
bool parameterRangeFits(const std::vector<TopoDS_Edge>& edges, const std::vector<EDGE_CURVE>& curves,
                        const Handle(Geom_Surface)& surface, const UvBox& range) {
    // The same classifier walks each edge's curve in the parameter plane over the edge's own range: on a
    // bounded curve (a B-spline) that range lies within the curve, and one running on millions past its
    // end is sampled all along, however sound the face's box looks.
    for (const EDGE_CURVE& c : curves) {
        if (c.curve.IsNull() || c.curve->IsPeriodic()) continue;
        const double first = c.curve->FirstParameter(), last = c.curve->LastParameter();
        if (Precision::IsInfinite(first) || Precision::IsInfinite(last)) continue;
        const double slack = std::max(last - first, 1.0);
        if (!(c.first >= first - slack && c.last <= last + slack)) return false;
    }
    double u0, u1, v0, v1;
    surface->Bounds(u0, u1, v0, v1);
    auto fits = [](double span, bool periodic, double period, double lo, double hi, double reach) {
        if (periodic && span <= 3 * period) return true;
        if (!Precision::IsInfinite(lo) && !Precision::IsInfinite(hi) && span <= 3 * (hi - lo)) return true;
        return span <= 2 * reach + 1;
    };
    const double uSpan = range.uMax - range.uMin, vSpan = range.vMax - range.vMin;
    if (!(uSpan >= 0) || !(vSpan >= 0)) return false;
    const bool uPeriodic = surface->IsUPeriodic(), vPeriodic = surface->IsVPeriodic();
    const double uPeriod = uPeriodic ? surface->UPeriod() : 0, vPeriod = vPeriodic ? surface->VPeriod() : 0;
    auto quick = [&](double reach) {
        return fits(uSpan, uPeriodic, uPeriod, u0, u1, reach) && fits(vSpan, vPeriodic, vPeriod, v0, v1, reach);
    };
    if (quick(0)) return true;
    // The edges' reach from five points of each (their ends, middle and quarters): enough for a factor of
    // two, and a box of the curves would cost as much as the rest of the face's making.
    double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const TopoDS_Edge& edge : edges) {
        TopLoc_Location where;
        double f = 0, l = 0;
        Handle(Geom_Curve) curve = BRep_Tool::Curve(edge, where, f, l);
        if (curve.IsNull()) continue;
        for (int i = 0; i <= 4; ++i) {
            const gp_Pnt p = curve->Value(f + (l - f) * i / 4).Transformed(where.Transformation());
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], p.Coord(k + 1));
                hi[k] = std::max(hi[k], p.Coord(k + 1));
            }
        }
    }
    return lo[0] <= hi[0] && quick(std::hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]));
}

bool isStraightPcurve(const Handle(Geom2d_Curve)& c) {
    return Geom2dAdaptor_Curve(c).GetType() == GeomAbs_Line;
}

// The kernel's tangential deflection of a circular arc, worked out without evaluating its points: an even
// step no wider than the angle and sagitta allow, at least one, added up from the first parameter. The
// parameters are the kernel's to the bit (a test holds them to it); only the trim loops' speed differs.
std::vector<double> circleSamples(double radius, double f, double l) {
    double step = GCPnts_TangentialDeflection::ArcAngularStep(radius, kTrimSagitta, kTrimAngle, kTrimMinLength);
    const double span = l - f;
    const int steps = std::max(static_cast<int>(std::min(std::ceil(span / step), 1.0e5)), 1);
    step = span / steps;
    std::vector<double> params;
    params.reserve(static_cast<std::size_t>(steps) + 1);
    double u = f;
    for (int i = 0; i < steps; ++i, u += step) params.push_back(u);
    params.push_back(l);
    return params;
}

// How trim loops are made: circles worked out directly and a one-edge wire taken without walking it, or
// every edge sampled and every wire walked by the kernel (to check the other against).
enum class Sampling { Fast, Kernel };

// Parameters along one edge where its trim polyline has points, first to last parameter.
std::vector<double> edgeSamples(const TopoDS_Edge& edge, const Handle(Geom2d_Curve)& pcurve, double f, double l,
                                Sampling sampling) {
    if (BRep_Tool::Degenerated(edge) || isStraightPcurve(pcurve)) return {f, l};
    std::vector<double> params;
    try {
        BRepAdaptor_Curve curve(edge);
        if (sampling == Sampling::Fast && curve.GetType() == GeomAbs_Circle) {
            params = circleSamples(curve.Circle().Radius(), f, l);
        } else {
            GCPnts_TangentialDeflection td(curve, f, l, kTrimAngle, kTrimSagitta, 2, kTrimUTolerance, kTrimMinLength);
            for (int i = 1; i <= td.NbPoints(); ++i) params.push_back(td.Parameter(i));
        }
    } catch (const Standard_Failure&) {
        params.clear();
    }
    if (params.size() < 2) {
        params.clear();
        for (int i = 0; i <= 32; ++i) params.push_back(f + (l - f) * i / 32.0);
    }
    if (!std::is_sorted(params.begin(), params.end())) std::sort(params.begin(), params.end());
    params.front() = f;
    params.back() = l;
    return params;
}

// The wire's only edge, when it has one edge and that edge is not degenerated; else null. Most loops of a
// part are one circle, and walking a wire end to end maps its vertices first.
TopoDS_Edge onlyEdge(const TopoDS_Wire& wire) {
    TopoDS_Iterator it(wire);
    if (!it.More() || it.Value().ShapeType() != TopAbs_EDGE) return {};
    const TopoDS_Edge edge = TopoDS::Edge(it.Value());
    it.Next();
    return it.More() || BRep_Tool::Degenerated(edge) ? TopoDS_Edge() : edge;
}

TrimLoop loopOf(const TopoDS_Wire& wire, const TopoDS_Face& face, bool outer, Sampling sampling) {
    TrimLoop loop;
    loop.outer = outer;
    auto same = [](const UV& a, const UV& b) { return std::abs(a.u - b.u) < 1e-12 && std::abs(a.v - b.v) < 1e-12; };
    auto addEdge = [&](const TopoDS_Edge& edge) {
        double f = 0, l = 0;
        Handle(Geom2d_Curve) pcurve = BRep_Tool::CurveOnSurface(edge, face, f, l);
        if (pcurve.IsNull()) return;
        std::vector<double> params = edgeSamples(edge, pcurve, f, l, sampling);
        if (edge.Orientation() == TopAbs_REVERSED) std::reverse(params.begin(), params.end());
        for (double t : params) {
            gp_Pnt2d p = pcurve->Value(t);
            UV uv{p.X(), p.Y()};
            if (!loop.points.empty() && same(loop.points.back(), uv)) continue;
            loop.points.push_back(uv);
        }
    };
    if (const TopoDS_Edge only = sampling == Sampling::Fast ? onlyEdge(wire) : TopoDS_Edge(); !only.IsNull()) {
        addEdge(only);
    } else {
        for (BRepTools_WireExplorer wex(wire, face); wex.More(); wex.Next()) addEdge(wex.Current());
    }
    if (loop.points.size() > 1 && std::hypot(loop.points.back().u - loop.points.front().u,
                                             loop.points.back().v - loop.points.front().v) < 1e-7)
        loop.points.back() = loop.points.front();
    else if (!loop.points.empty())
        loop.points.push_back(loop.points.front());
    return loop;
}

}  // namespace

const char* surfaceKindName(SurfaceKind kind) {
    switch (kind) {
    case SurfaceKind::Plane: return "plane";
    case SurfaceKind::Cylinder: return "cylinder";
    case SurfaceKind::Cone: return "cone";
    case SurfaceKind::Sphere: return "sphere";
    case SurfaceKind::Torus: return "torus";
    case SurfaceKind::Revolution: return "revolution";
    case SurfaceKind::Extrusion: return "extrusion";
    case SurfaceKind::BSpline: return "bspline";
    case SurfaceKind::Bezier: return "bezier";
    case SurfaceKind::Other: return "other";
    }
    return "other";
}

namespace {

// Only the kernel's own plane and cylinder classes: a trimmed or offset surface keeps the kernel's
// evaluation.
void setAxes(FaceGeom::Impl& impl) {
    const Handle(Standard_Type)& type = impl.surface->DynamicType();
    if (type == STANDARD_TYPE(Geom_Plane)) {
        impl.axes = Handle(Geom_Plane)::DownCast(impl.surface)->Position();
    } else if (type == STANDARD_TYPE(Geom_CylindricalSurface)) {
        const Handle(Geom_CylindricalSurface) cylinder = Handle(Geom_CylindricalSurface)::DownCast(impl.surface);
        impl.axes = cylinder->Position();
        impl.radius = cylinder->Radius();
    } else if (type == STANDARD_TYPE(Geom_ConicalSurface)) {
        const Handle(Geom_ConicalSurface) cone = Handle(Geom_ConicalSurface)::DownCast(impl.surface);
        impl.axes = cone->Position();
        impl.radius = cone->RefRadius();
        impl.halfAngleSine = std::sin(cone->SemiAngle());
        impl.halfAngleCosine = std::cos(cone->SemiAngle());
    }
}

// The sines and cosines of the last angles asked for on a thread. A cylinder is sampled at a few angles
// over and over (both ends of a wall at the same ones), and sincos costs more than the rest of the point.
// Keyed by the angle's bits: -0 and +0 have sines of their own signs. An entry not yet filled holds +0,
// whose sine and cosine it gives.
struct RECENT_SINES {
    static constexpr std::size_t kEntries = 4;
    std::uint64_t keys[kEntries] = {};
    double sines[kEntries] = {}, cosines[kEntries] = {1, 1, 1, 1};
    std::size_t next = 0;

    void sincos(double angle, double* sine, double* cosine) {
        const std::uint64_t key = std::bit_cast<std::uint64_t>(angle);
        std::size_t i = 0;
        while (i < kEntries && keys[i] != key) ++i;
        if (i == kEntries) {
            i = next;
            next = (next + 1) % kEntries;
            ::sincos(angle, &sines[i], &cosines[i]);
            keys[i] = key;
        }
        *sine = sines[i], *cosine = cosines[i];
    }
};
// The host library is loaded with the program, never opened later: its thread storage is reached directly.
[[gnu::tls_model("initial-exec")]] constinit thread_local RECENT_SINES t_recentSines;

// A point of a plane, cylinder or cone as the kernel's elementary-surface functions give it, term by term
// in the same order, so that the result is the kernel's to the bit.
Vec3 evalByAxes(const FaceGeom::Impl& impl, double u, double v) {
    const gp_XYZ& x = impl.axes->XDirection().XYZ();
    const gp_XYZ& y = impl.axes->YDirection().XYZ();
    const gp_XYZ& o = impl.axes->Location().XYZ();
    if (impl.kind == SurfaceKind::Plane)
        return {u * x.X() + v * y.X() + o.X(), u * x.Y() + v * y.Y() + o.Y(), u * x.Z() + v * y.Z() + o.Z()};
    double sine = 0, cosine = 0;
    t_recentSines.sincos(u, &sine, &cosine);
    // A cylinder's radius and height along the axis; a cone's widen and shorten with its half-angle.
    double radius = impl.radius, along = v;
    if (impl.kind == SurfaceKind::Cone) {
        radius = impl.radius + v * impl.halfAngleSine;
        along = v * impl.halfAngleCosine;
    }
    const double a = radius * cosine, b = radius * sine;
    const gp_XYZ& z = impl.axes->Direction().XYZ();
    return {a * x.X() + b * y.X() + along * z.X() + o.X(), a * x.Y() + b * y.Y() + along * z.Y() + o.Y(),
            a * x.Z() + b * y.Z() + along * z.Z() + o.Z()};
}

// makeFaceGeom, telling whether the face was refused for its parameter range. `parts`: the face's, when its
// solid has gathered them and looked them over for edges the kernel cannot project.
FaceGeom makeFace(const TopoDS_Shape& shape, bool& beyondReach, const Box3* box, const FACE_PARTS* parts = nullptr) {
    if (shape.IsNull() || shape.ShapeType() != TopAbs_FACE) return {};
    try {
        auto impl = std::make_shared<FaceGeom::Impl>();
        impl->face = TopoDS::Face(shape);
        impl->surface = BRep_Tool::Surface(impl->face);
        if (impl->surface.IsNull()) return {};
        FACE_PARTS own;
        if (!parts) {
            own = partsOf(impl->face);
            if (hasUnprojectableEdge(impl->face, own.edges)) return {};
            parts = &own;
        }
        impl->kind = kindOf(impl->surface);
        setAxes(*impl);
        const std::vector<EDGE_CURVE> curves = parameterCurvesOf(impl->face, parts->edges);
        impl->range = parameterRange(impl->face, impl->surface, curves);
        beyondReach = !parameterRangeFits(parts->edges, curves, impl->surface, impl->range);
        if (beyondReach) return {};
        impl->box = box ? *box : boxOf(impl->face);
        double& tolerance = impl->trimTolerance;
        for (const TopoDS_Edge& edge : parts->edges) {
            tolerance = std::max(tolerance, BRep_Tool::Tolerance(edge));
            for (TopoDS_Iterator it(edge); it.More(); it.Next())
                if (it.Value().ShapeType() == TopAbs_VERTEX)
                    tolerance = std::max(tolerance, BRep_Tool::Tolerance(TopoDS::Vertex(it.Value())));
        }
        for (const TopoDS_Vertex& vertex : parts->looseVertices)
            tolerance = std::max(tolerance, BRep_Tool::Tolerance(vertex));
        return FaceGeom(std::move(impl));
    } catch (const Standard_Failure&) {
        return {};
    }
}

}  // namespace

FaceGeom makeFaceGeom(const TopoDS_Shape& shape, const Box3* box) {
    bool beyondReach = false;
    return makeFace(shape, beyondReach, box);
}

const TopoDS_Face& occtFace(const FaceGeom& face) {
    assert(!face.empty() && "occtFace of an empty face");
    return face.impl()->face;
}

double FaceGeom::trimTolerance() const { return impl_ ? impl_->trimTolerance : 0.0; }
SurfaceKind FaceGeom::kind() const { return impl_ ? impl_->kind : SurfaceKind::Other; }
UvBox FaceGeom::uvRange() const { return impl_ ? impl_->range : UvBox{}; }

double FaceGeom::uPeriod() const {
    try {
        return impl_ && impl_->surface->IsUPeriodic() ? impl_->surface->UPeriod() : 0.0;
    } catch (const Standard_Failure&) {
        return 0;
    }
}

double FaceGeom::vPeriod() const {
    try {
        return impl_ && impl_->surface->IsVPeriodic() ? impl_->surface->VPeriod() : 0.0;
    } catch (const Standard_Failure&) {
        return 0;
    }
}

Vec3 FaceGeom::eval(double u, double v) const {
    if (!impl_) return {};
    if (impl_->axes) return evalByAxes(*impl_, u, v);
    return evalByKernel(u, v);
}

Vec3 FaceGeom::evalByKernel(double u, double v) const {
    if (!impl_) return {};
    try {
        return toVec3(impl_->surface->Value(u, v));
    } catch (const Standard_Failure&) {
        return {};
    }
}

bool FaceGeom::evalDerivatives(double u, double v, Vec3& point, Vec3& du, Vec3& dv) const {
    if (!impl_) return false;
    try {
        gp_Pnt p;
        gp_Vec a, b;
        impl_->surface->D1(u, v, p, a, b);
        point = toVec3(p);
        du = {a.X(), a.Y(), a.Z()};
        dv = {b.X(), b.Y(), b.Z()};
        return true;
    } catch (const Standard_Failure&) {
        return false;
    }
}

bool FaceGeom::normalAt(double u, double v, Vec3& normal) const {
    if (!impl_) return false;
    try {
        gp_Pnt p;
        gp_Vec du, dv;
        impl_->surface->D1(u, v, p, du, dv);
        gp_Vec n = du.Crossed(dv);
        if (n.Magnitude() <= 1e-12) return false;
        n.Normalize();
        if (impl_->face.Orientation() == TopAbs_REVERSED) n.Reverse();
        normal = {n.X(), n.Y(), n.Z()};
        return true;
    } catch (const Standard_Failure&) {
        return false;
    }
}

namespace {

// The face's trim loops of three points or more, outer first, until their points pass `maxPoints`.
std::vector<TrimLoop> loopsOf(const TopoDS_Face& face, std::size_t maxPoints, Sampling sampling) {
    std::vector<TrimLoop> loops;
    std::size_t points = 0;
    auto take = [&](TrimLoop loop) {
        if (loop.points.size() < 3) return true;
        points += loop.points.size();
        loops.push_back(std::move(loop));
        return points <= maxPoints;
    };
    try {
        TopoDS_Wire outer = BRepTools::OuterWire(face);
        if (!outer.IsNull() && !take(loopOf(outer, face, true, sampling))) return loops;
        for (TopoDS_Iterator it(face); it.More(); it.Next()) {
            if (it.Value().ShapeType() != TopAbs_WIRE || it.Value().IsSame(outer)) continue;
            if (!take(loopOf(TopoDS::Wire(it.Value()), face, false, sampling))) return loops;
        }
    } catch (const Standard_Failure&) {
        loops.clear();
    }
    return loops;
}

}  // namespace

std::vector<TrimLoop> FaceGeom::trimLoops(std::size_t maxPoints) const {
    return impl_ ? loopsOf(impl_->face, maxPoints, Sampling::Fast) : std::vector<TrimLoop>{};
}

std::vector<TrimLoop> FaceGeom::trimLoopsByKernel() const {
    return impl_ ? loopsOf(impl_->face, SIZE_MAX, Sampling::Kernel) : std::vector<TrimLoop>{};
}

bool FaceGeom::containsUv(UV uv) const {
    if (!impl_) return false;
    std::lock_guard guard(impl_->lock);
    try {
        if (!impl_->classifier) impl_->classifier = std::make_unique<BRepTopAdaptor_FClass2d>(impl_->face, kGeomTol);
        TopAbs_State s = impl_->classifier->Perform(gp_Pnt2d(uv.u, uv.v));
        return s == TopAbs_IN || s == TopAbs_ON;
    } catch (const Standard_Failure&) {
        return false;
    }
}

namespace {

FaceGeom::Impl::Planarity planarityOf(const FaceGeom::Impl& impl) {
    try {
        GeomLib_IsPlanarSurface test(impl.surface, 1e-7);
        if (!test.IsPlanar()) return {};
        const UvBox& r = impl.range;
        double um = 0.5 * (r.uMin + r.uMax), vm = 0.5 * (r.vMin + r.vMax);
        gp_Pnt p;
        gp_Vec du, dv;
        impl.surface->D1(um, vm, p, du, dv);
        gp_Vec n = du.Crossed(dv);
        gp_Dir dir = n.Magnitude() > 1e-12 ? gp_Dir(n) : test.Plan().Axis().Direction();
        if (impl.face.Orientation() == TopAbs_REVERSED) dir.Reverse();
        return {true, toVec3(dir), toVec3(p)};
    } catch (const Standard_Failure&) {
        return {};
    }
}

}  // namespace

bool FaceGeom::isPlanar(Vec3* normal, Vec3* point) const {
    if (!impl_) return false;
    Impl::Planarity planarity;
    {
        std::lock_guard guard(impl_->lock);
        if (!impl_->planarity) impl_->planarity = planarityOf(*impl_);
        planarity = *impl_->planarity;
    }
    if (!planarity.planar) return false;
    if (normal) *normal = planarity.normal;
    if (point) *point = planarity.point;
    return true;
}

namespace {

void sortHits(std::vector<FaceHit>& hits) {
    std::sort(hits.begin(), hits.end(), [](const FaceHit& a, const FaceHit& b) { return a.lineParam < b.lineParam; });
    // A hit on a seam or shared edge can be reported once per side.
    hits.erase(std::unique(hits.begin(), hits.end(),
                           [](const FaceHit& a, const FaceHit& b) { return std::abs(a.lineParam - b.lineParam) < 1e-7; }),
               hits.end());
}

std::vector<FaceHit> sortedHits(std::vector<FaceHit> hits) {
    sortHits(hits);
    return hits;
}

}  // namespace

double boxDiagonal(const Box3& b) { return std::hypot(b.max[0] - b.min[0], b.max[1] - b.min[1], b.max[2] - b.min[2]); }

double lineReach(const Box3& b, const Vec3& origin) {
    const Vec3 c{0.5 * (b.min[0] + b.max[0]), 0.5 * (b.min[1] + b.max[1]), 0.5 * (b.min[2] + b.max[2])};
    return std::hypot(c[0] - origin[0], c[1] - origin[1], c[2] - origin[2]) + boxDiagonal(b) + 1.0;
}

std::vector<FaceHit> FaceGeom::intersectLine(const Vec3& origin, const Vec3& direction) const {
    std::vector<FaceHit> hits;
    intersectLine(origin, direction, hits);
    return hits;
}

void FaceGeom::intersectLine(const Vec3& origin, const Vec3& direction, std::vector<FaceHit>& hits) const {
    hits.clear();
    if (!impl_) return;
    // A direction whose square is clearly above the least length's is long enough: the length itself is
    // worked out only below that, where the square may have underflowed.
    const double squared = direction[0] * direction[0] + direction[1] * direction[1] + direction[2] * direction[2];
    if (!(squared > 1e-20) && std::hypot(direction[0], direction[1], direction[2]) < 1e-12) return;
    std::lock_guard guard(impl_->lock);
    try {
        if (!impl_->projectorTried) {
            impl_->projectorTried = true;
            impl_->projector =
                std::make_unique<FaceProjector>(impl_->face, impl_->surface, impl_->kind, impl_->box, impl_->range);
        }
        if (impl_->projector) {
            const gp_Lin line(toPnt(origin), impl_->projector->unitDirection(direction));
            impl_->projector->intersect(line, hits);
            sortHits(hits);
            return;
        }
    } catch (const Standard_Failure&) {
        impl_->projector.reset();
        hits.clear();
    }
    hits = kernelHits(origin, direction);
    sortHits(hits);
}

bool FaceGeom::lastLineAskedKernel() const {
    if (!impl_) return true;
    std::lock_guard guard(impl_->lock);
    return !impl_->projector || impl_->projector->lastAskedKernel();
}

std::vector<FaceHit> FaceGeom::intersectLineByKernel(const Vec3& origin, const Vec3& direction) const {
    if (!impl_) return {};
    std::lock_guard guard(impl_->lock);
    return sortedHits(kernelHits(origin, direction));
}

std::vector<FaceHit> FaceGeom::kernelHits(const Vec3& origin, const Vec3& direction) const {
    std::vector<FaceHit> hits;
    double len = std::hypot(direction[0], direction[1], direction[2]);
    if (len < 1e-12) return hits;
    const double reach = lineReach(impl_->box, origin);
    try {
        if (!impl_->intersector) impl_->intersector = std::make_unique<IntCurvesFace_Intersector>(impl_->face, kGeomTol);
        IntCurvesFace_Intersector& in = *impl_->intersector;
        in.Perform(gp_Lin(toPnt(origin), gp_Dir(direction[0], direction[1], direction[2])), -reach, reach);
        if (!in.IsDone()) return hits;
        for (int i = 1; i <= in.NbPnt(); ++i) {
            if (in.State(i) != TopAbs_IN && in.State(i) != TopAbs_ON) continue;
            hits.push_back({toVec3(in.Pnt(i)), {in.UParameter(i), in.VParameter(i)}, in.WParameter(i)});
        }
    } catch (const Standard_Failure&) {
        hits.clear();
    }
    return hits;
}

bool FaceGeom::extentAlong(const Vec3& direction, double& least, double& most) const {
    if (!impl_) return false;
    try {
        const std::optional<Extent> extent = host::extentAlong(impl_->face, impl_->range, direction);
        if (!extent) return false;
        least = extent->least, most = extent->most;
        return true;
    } catch (const Standard_Failure&) {
        return false;
    }
}

Box3 FaceGeom::boundingBox() const { return impl_ ? impl_->box : Box3{}; }

Box3 FaceGeom::boundingBoxByKernel() const { return impl_ ? boxByKernel(impl_->face) : Box3{}; }

Sphere3 FaceGeom::boundingSphere() const {
    Box3 b = boundingBox();
    Sphere3 s;
    for (int i = 0; i < 3; ++i) s.centre[i] = 0.5 * (b.min[i] + b.max[i]);
    s.radius = 0.5 * boxDiagonal(b);
    return s;
}

double FaceGeom::area() const {
    if (!impl_) return 0;
    try {
        GProp_GProps props;
        BRepGProp::SurfaceProperties(impl_->face, props);
        return props.Mass();
    } catch (const Standard_Failure&) {
        return 0;
    }
}

FaceGeom FaceGeom::untrimmed() const {
    if (!impl_) return {};
    const UvBox& r = impl_->range;
    if (!(r.uMax > r.uMin) || !(r.vMax > r.vMin)) return {};
    try {
        BRepBuilderAPI_MakeFace mk(impl_->surface, r.uMin, r.uMax, r.vMin, r.vMax, kGeomTol);
        if (!mk.IsDone()) return {};
        TopoDS_Face f = mk.Face();
        f.Orientation(impl_->face.Orientation());
        return makeFaceGeom(f);
    } catch (const Standard_Failure&) {
        return {};
    }
}

FaceGeom FaceGeom::toNurbs() const {
    if (!impl_) return {};
    try {
        BRepBuilderAPI_NurbsConvert conv(impl_->face, true);
        if (!conv.IsDone()) return {};
        TopExp_Explorer ex(conv.Shape(), TopAbs_FACE);
        return ex.More() ? makeFaceGeom(ex.Current()) : FaceGeom{};
    } catch (const Standard_Failure&) {
        return {};
    }
}

FaceGeom FaceGeom::revolvedSegment(const Vec3& a, const Vec3& b, const Vec3& axisPoint, const Vec3& axisDir,
                                   double startAngle, double sweep) {
    if (std::hypot(axisDir[0], axisDir[1], axisDir[2]) < 1e-12) return {};
    if (std::hypot(b[0] - a[0], b[1] - a[1], b[2] - a[2]) < kGeomTol) return {};
    if (std::abs(sweep) < 1e-9) return {};
    try {
        gp_Ax1 axis(toPnt(axisPoint), gp_Dir(axisDir[0], axisDir[1], axisDir[2]));
        gp_Lin line(axis);
        if (line.Distance(toPnt(a)) < kGeomTol && line.Distance(toPnt(b)) < kGeomTol) return {};
        double angle = std::min(std::abs(sweep), 2.0 * std::numbers::pi);
        double start = sweep < 0 ? startAngle + sweep : startAngle;
        TopoDS_Shape edge = BRepBuilderAPI_MakeEdge(toPnt(a), toPnt(b)).Edge();
        if (std::abs(start) > 1e-15) {
            gp_Trsf rot;
            rot.SetRotation(axis, start);
            edge = BRepBuilderAPI_Transform(edge, rot, true).Shape();
        }
        BRepPrimAPI_MakeRevol revol(edge, axis, angle);
        if (!revol.IsDone()) return {};
        TopExp_Explorer ex(revol.Shape(), TopAbs_FACE);
        return ex.More() ? makeFaceGeom(ex.Current()) : FaceGeom{};
    } catch (const Standard_Failure&) {
        return {};
    }
}

FaceGeom FaceGeom::patchFrom4Points(const Vec3& p00, const Vec3& p01, const Vec3& p10, const Vec3& p11) {
    auto dist = [](const Vec3& a, const Vec3& b) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]); };
    if (dist(p00, p01) < kGeomTol || dist(p00, p10) < kGeomTol || dist(p11, p01) < kGeomTol ||
        dist(p11, p10) < kGeomTol)
        return {};
    try {
        TColgp_Array2OfPnt poles(1, 2, 1, 2);
        poles.SetValue(1, 1, toPnt(p00));
        poles.SetValue(2, 1, toPnt(p01));
        poles.SetValue(1, 2, toPnt(p10));
        poles.SetValue(2, 2, toPnt(p11));
        TColStd_Array1OfReal knots(1, 2);
        knots.SetValue(1, 0.0);
        knots.SetValue(2, 1.0);
        TColStd_Array1OfInteger mults(1, 2);
        mults.SetValue(1, 2);
        mults.SetValue(2, 2);
        Handle(Geom_BSplineSurface) s = new Geom_BSplineSurface(poles, knots, knots, mults, mults, 1, 1);
        BRepBuilderAPI_MakeFace mk(s, 0.0, 1.0, 0.0, 1.0, kGeomTol);
        return mk.IsDone() ? makeFaceGeom(mk.Face()) : FaceGeom{};
    } catch (const Standard_Failure&) {
        return {};
    }
}

// ---- solids --------------------------------------------------------------------------------------------

SolidGeom makeSolidGeom(const TopoDS_Shape& shape, std::vector<int> colours, const std::vector<Box3>* faceBoxes) {
    if (shape.IsNull()) return {};
    auto impl = std::make_shared<SolidGeom::Impl>();
    impl->shape = shape;
    try {
        TopTools_IndexedMapOfShape map;
        TopExp::MapShapes(shape, TopAbs_FACE, map);
        // A face the kernel would crash on, or one whose edge curves lie where the face cannot reach, is not
        // left in the shape for whole-solid work to meet.
        std::vector<FACE_PARTS> parts;
        parts.reserve(static_cast<std::size_t>(map.Extent()));
        for (int i = 1; i <= map.Extent(); ++i) {
            parts.push_back(partsOf(TopoDS::Face(map(i))));
            if (hasUnprojectableEdge(TopoDS::Face(map(i)), parts.back().edges)) return {};
        }
        for (int i = 1; i <= map.Extent(); ++i)
            keepCurvesInPlane(TopoDS::Face(map(i)), parts[static_cast<std::size_t>(i - 1)].edges);
        if (faceBoxes && static_cast<int>(faceBoxes->size()) != map.Extent()) faceBoxes = nullptr;
        for (int i = 1; i <= map.Extent(); ++i) {
            bool beyondReach = false;
            const auto at = static_cast<std::size_t>(i - 1);
            FaceGeom f = makeFace(map(i), beyondReach, faceBoxes ? &(*faceBoxes)[at] : nullptr, &parts[at]);
            if (beyondReach) return {};
            if (!f.empty()) impl->faces.push_back(std::move(f));
        }
        impl->everyFace = static_cast<int>(impl->faces.size()) == map.Extent();
    } catch (const Standard_Failure&) {
        return {};
    }
    if (impl->faces.empty()) return {};
    colours.resize(impl->faces.size(), kNoColour);
    impl->colours = std::move(colours);
    return SolidGeom(std::move(impl));
}

const TopoDS_Shape& occtShape(const SolidGeom& solid) {
    assert(!solid.empty() && "occtShape of an empty solid");
    return solid.impl()->shape;
}

const std::vector<FaceGeom>& SolidGeom::faces() const {
    static const std::vector<FaceGeom> none;
    return impl_ ? impl_->faces : none;
}

const std::vector<int>& SolidGeom::faceColours() const {
    static const std::vector<int> none;
    return impl_ ? impl_->colours : none;
}

SolidGeom SolidGeom::withFaceColours(std::vector<int> colours) const {
    if (!impl_) return {};
    assert(colours.size() == impl_->faces.size() && "one colour per face");
    auto copy = std::make_shared<Impl>();
    copy->shape = impl_->shape;
    copy->faces = impl_->faces;
    copy->everyFace = impl_->everyFace;
    copy->fileText.store(impl_->fileText.load());   // the colours are not in the text
    colours.resize(impl_->faces.size(), kNoColour);
    copy->colours = std::move(colours);
    return SolidGeom(std::move(copy));
}

std::shared_ptr<const std::string> SolidGeom::fileText() const { return impl_ ? impl_->fileText.load() : nullptr; }

void SolidGeom::keepFileText(std::shared_ptr<const std::string> text) const {
    if (impl_) impl_->fileText.store(std::move(text));
}

Box3 SolidGeom::boundingBox() const {
    if (!impl_) return {};
    // The kernel's box of a shape is the union of its faces' boxes, and every face has its box already.
    if (impl_->everyFace && !impl_->faces.empty()) {
        Box3 b = impl_->faces.front().boundingBox();
        for (const FaceGeom& f : impl_->faces) {
            const Box3 fb = f.boundingBox();
            for (int i = 0; i < 3; ++i) {
                b.min[i] = std::min(b.min[i], fb.min[i]);
                b.max[i] = std::max(b.max[i], fb.max[i]);
            }
        }
        return b;
    }
    try {
        return boxOf(impl_->shape);
    } catch (const Standard_Failure&) {
        return {};
    }
}

double SolidGeom::volume() const {
    if (!impl_) return 0;
    try {
        GProp_GProps props;
        BRepGProp::VolumeProperties(impl_->shape, props);
        return props.Mass();
    } catch (const Standard_Failure&) {
        return 0;
    }
}

bool SolidGeom::isValid() const {
    if (!impl_) return false;
    try {
        return BRepCheck_Analyzer(impl_->shape).IsValid();
    } catch (const Standard_Failure&) {
        return false;
    }
}

}  // namespace host
