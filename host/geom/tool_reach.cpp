// The material a tool's column holds (host/api_reach.h, reach_first_material). Notation: O the axis point, d
// the unit axis pointing the way the tool goes down, t = (P - O).d along it, r(t) the column's radius at t
// (the full radius down to `bottom`, then the point's cone), tol the column's tolerance, stop the end less
// the point's part taken and tol. Material lies in the column where a boundary face passes at t in
// (top, stop) nearer the axis than r(t) - tol.
// Faces are picked from a box tree of each solid; the faces a hole's tools meet most (planes across the
// axis, and cylinders, cones, tori and spheres about it or beside it) are decided in closed form, planes,
// cylinders and cones beside it or slanted by their edges and the points where they come nearest the
// axis, the rest by the kernel's distance to the column made as a solid.
#include <BRepAdaptor_Curve.hxx>
#include <BRepBndLib.hxx>
#include <BRep_Tool.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepPrimAPI_MakeCone.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <Bnd_Box.hxx>
#include <ElCLib.hxx>
#include <ElSLib.hxx>
#include <Extrema_ExtElCS.hxx>
#include <Extrema_ExtPElC.hxx>
#include <Extrema_POnSurf.hxx>
#include <GCPnts_QuasiUniformDeflection.hxx>
#include <Geom2d_Curve.hxx>
#include <GeomAdaptor_Surface.hxx>
#include <IntAna_QuadQuadGeo.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <gp_Ax2.hxx>
#include <gp_Pln.hxx>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "host/api.h"
#include "host/api_reach.h"
#include "host/db/database.h"
#include "host/geom/occt_impl.h"

using host::Box3;
using host::FaceGeom;
using host::Vec3;

// Answers kept for the standing solids, beyond which they are forgotten: some 16 MB.
constexpr std::size_t kAnswersKept = 100000;

namespace {

// A tree of boxes, split at the median of the longest side of their centres; `order` lists the boxes by
// leaf.
struct BOX_TREE {
    struct NODE {
        Box3 box;
        int first = 0, count = 0;    // a leaf's boxes in order[first, first + count)
        int left = -1, right = -1;
    };
    std::vector<NODE> nodes;
    std::vector<int> order;

    static Box3 join(const Box3& a, const Box3& b) {
        Box3 j;
        for (int i = 0; i < 3; ++i) {
            j.min[i] = std::min(a.min[i], b.min[i]);
            j.max[i] = std::max(a.max[i], b.max[i]);
        }
        return j;
    }
    static bool meets(const Box3& a, const Box3& b) {
        for (int i = 0; i < 3; ++i)
            if (a.max[i] < b.min[i] || b.max[i] < a.min[i]) return false;
        return true;
    }

    void build(const std::vector<Box3>& boxes) {
        nodes.clear();
        order.resize(boxes.size());
        std::iota(order.begin(), order.end(), 0);
        if (!boxes.empty()) split(boxes, 0, static_cast<int>(boxes.size()));
    }
    int split(const std::vector<Box3>& boxes, int first, int end) {
        const int at = static_cast<int>(nodes.size());
        nodes.push_back({});
        Box3 box = boxes[static_cast<std::size_t>(order[static_cast<std::size_t>(first)])];
        for (int i = first + 1; i < end; ++i) box = join(box, boxes[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])]);
        nodes[static_cast<std::size_t>(at)].box = box;
        if (end - first <= 4) {
            nodes[static_cast<std::size_t>(at)].first = first;
            nodes[static_cast<std::size_t>(at)].count = end - first;
            return at;
        }
        int axis = 0;
        for (int i = 1; i < 3; ++i)
            if (box.max[i] - box.min[i] > box.max[axis] - box.min[axis]) axis = i;
        const auto centre = [&](int k) {
            const Box3& b = boxes[static_cast<std::size_t>(k)];
            return b.min[static_cast<std::size_t>(axis)] + b.max[static_cast<std::size_t>(axis)];
        };
        const int middle = first + (end - first) / 2;
        std::nth_element(order.begin() + first, order.begin() + middle, order.begin() + end,
                         [&](int a, int b) { return centre(a) < centre(b); });
        const int left = split(boxes, first, middle);
        const int right = split(boxes, middle, end);
        nodes[static_cast<std::size_t>(at)].left = left;
        nodes[static_cast<std::size_t>(at)].right = right;
        return at;
    }
    // The boxes that meet `query`, in no set order.
    template <class F>
    void visit(const Box3& query, F&& take) const {
        if (nodes.empty()) return;
        int stack[128];
        int depth = 0;
        stack[depth++] = 0;
        while (depth > 0) {
            const NODE& n = nodes[static_cast<std::size_t>(stack[--depth])];
            if (!meets(n.box, query)) continue;
            if (n.left < 0) {
                for (int i = n.first; i < n.first + n.count; ++i) take(order[static_cast<std::size_t>(i)]);
            } else if (depth + 2 <= 128) {
                stack[depth++] = n.left;
                stack[depth++] = n.right;
            }
        }
    }
};

// A face's edges and their boxes, read the first time a plane across a column asks for them.
struct EDGES {
    std::vector<TopoDS_Edge> edges;
    std::vector<Box3> boxes;
    BOX_TREE tree;
    // Each edge as a polyline within `deflection` of it, made the first time a column asks (empty until then,
    // and when the kernel could not make one).
    struct POLYLINE {
        bool made = false;
        double deflection = 0;
        std::vector<gp_Pnt> points;
    };
    std::vector<POLYLINE> polylines;
};

struct SOLID {
    std::int32_t number = 0;
    std::uint32_t id = 0;
    host::SolidGeom geom;
    Box3 box;
    std::vector<Box3> boxes;   // of faces(), in its order
    BOX_TREE tree;
};

struct COLUMN {
    gp_Pnt O;
    gp_Dir d;
    double top = 0, bottom = 0, end = 0, r = 0, point = 0, tol = 0;
    double stop = 0;   // where material stops counting: end less the point's part taken and the tolerance

    double tOf(const gp_Pnt& p) const { return gp_Vec(O, p).Dot(gp_Vec(d)); }
    gp_Pnt at(double t) const { return O.Translated(gp_Vec(d) * t); }
    double axisDistance(const gp_Pnt& p) const {
        const gp_Vec v(O, p);
        return (v - gp_Vec(d) * v.Dot(gp_Vec(d))).Magnitude();
    }
    // The radius inside which material counts at t.
    double reach(double t) const {
        const double full = t <= bottom ? r : (point > 0 ? r * (end - t) / point : 0);
        return full - tol;
    }
    bool inLength(double t) const { return t > top && t < stop; }
};

Box3 toBox(const Bnd_Box& b) {
    Box3 box;
    if (b.IsVoid()) return box;
    b.Get(box.min[0], box.min[1], box.min[2], box.max[0], box.max[1], box.max[2]);
    return box;
}

// The least and greatest t of the box's corners.
// The least and greatest (P - O).dir over the box's corners; along the axis, its span of t.
std::pair<double, double> boxExtent(const COLUMN& c, const Box3& b, const gp_Dir& dir) {
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    for (int k = 0; k < 8; ++k) {
        const gp_Pnt p((k & 1) ? b.max[0] : b.min[0], (k & 2) ? b.max[1] : b.min[1], (k & 4) ? b.max[2] : b.min[2]);
        const double t = gp_Vec(c.O, p).Dot(gp_Vec(dir));
        lo = std::min(lo, t);
        hi = std::max(hi, t);
    }
    return {lo, hi};
}
std::pair<double, double> boxSpan(const COLUMN& c, const Box3& b) { return boxExtent(c, b, c.d); }

// The face's own least and greatest (P - O).dir, where the host knows them.
bool faceExtent(const COLUMN& c, const FaceGeom& face, const gp_Dir& dir, double& lo, double& hi) {
    const Vec3 v{dir.X(), dir.Y(), dir.Z()};
    if (!face.extentAlong(v, lo, hi)) return false;
    const double o = c.O.X() * v[0] + c.O.Y() * v[1] + c.O.Z() * v[2];
    lo -= o;
    hi -= o;
    return true;
}

// Whether a shape keeps clear of the column by its extents (`extent(dir, lo, hi)`, false where unknown):
// beyond its span along the axis, or, seen along the axis, wholly beyond one of eight lines about the axis
// at the column's reach.
template <class EXTENT>
bool clearByExtents(const COLUMN& c, EXTENT&& extent) {
    double lo = 0, hi = 0;
    if (extent(c.d, lo, hi) && (hi <= c.top || lo >= c.stop)) return true;
    const gp_Dir x = gp_Ax2(c.O, c.d).XDirection(), y = gp_Ax2(c.O, c.d).YDirection();
    const double reach = c.r - c.tol;
    for (int k = 0; k < 8; ++k) {
        const double a = k * M_PI / 8;
        const gp_Dir across(gp_Vec(x) * std::cos(a) + gp_Vec(y) * std::sin(a));
        if (extent(across, lo, hi) && (lo >= reach || hi <= -reach)) return true;
    }
    return false;
}

bool parallel(const gp_Dir& a, const gp_Dir& b) { return std::fabs(a.Dot(b)) > 1 - 1e-12; }

// The distance of p from the edge: lines and circles in closed form, any other curve by the kernel.
double edgeDistance(const TopoDS_Edge& edge, const gp_Pnt& p) {
    const BRepAdaptor_Curve curve(edge);
    const double f = curve.FirstParameter(), l = curve.LastParameter();
    switch (curve.GetType()) {
    case GeomAbs_Line: {
        const gp_Pnt a = curve.Value(f), b = curve.Value(l);
        const gp_Vec ab(a, b), ap(a, p);
        const double len = ab.SquareMagnitude();
        const double s = len > 0 ? std::clamp(ap.Dot(ab) / len, 0.0, 1.0) : 0.0;
        return p.Distance(a.Translated(ab * s));
    }
    case GeomAbs_Circle: {
        const gp_Circ circle = curve.Circle();
        double u = ElCLib::Parameter(circle, p);
        while (u < f) u += 2 * M_PI;
        if (u <= l) return p.Distance(ElCLib::Value(u, circle));
        return std::min(p.Distance(curve.Value(f)), p.Distance(curve.Value(l)));
    }
    default: break;
    }
    BRepExtrema_DistShapeShape distance(BRepBuilderAPI_MakeVertex(p).Vertex(), edge);
    return distance.IsDone() ? distance.Value() : 0;
}

}  // namespace

// The solids with what the questions learn of them: their faces' edges, and each column's answer, which
// holds while the same solids stand (Execute and "Create operations" ask the same columns).
struct REACH_STATE {
    std::vector<SOLID> solids;
    std::unordered_map<const FaceGeom::Impl*, EDGES> edges;
    std::map<std::array<double, 12>, std::optional<column_hit>> answers;

    EDGES& edgesOf(const FaceGeom& face) {
        auto [it, made] = edges.try_emplace(face.impl().get());
        if (made) {
            for (TopExp_Explorer e(host::occtFace(face), TopAbs_EDGE); e.More(); e.Next()) {
                const TopoDS_Edge& edge = TopoDS::Edge(e.Current());
                Bnd_Box b;
                BRepBndLib::Add(edge, b);
                it->second.edges.push_back(edge);
                it->second.boxes.push_back(toBox(b));
            }
            it->second.tree.build(it->second.boxes);
            it->second.polylines.resize(it->second.edges.size());
        }
        return it->second;
    }
};

namespace {

// The column as a solid shrunk by its tolerance, made the first time a face needs the kernel.
struct COLUMN_SOLIDS {
    std::vector<TopoDS_Shape> shapes;
    bool made = false;

    const std::vector<TopoDS_Shape>& of(const COLUMN& c) {
        if (made) return shapes;
        made = true;
        const double r = c.r - c.tol;
        const double flatEnd = std::min(c.point > 0 ? c.bottom : c.stop, c.stop);
        if (r > 0 && flatEnd > c.top)
            shapes.push_back(BRepPrimAPI_MakeCylinder(gp_Ax2(c.at(c.top), c.d), r, flatEnd - c.top).Shape());
        if (r > 0 && c.point > 0 && c.stop > c.bottom) {
            const double length = c.stop - c.bottom;
            shapes.push_back(
                BRepPrimAPI_MakeCone(gp_Ax2(c.at(c.bottom), c.d), r, std::max(0.0, c.reach(c.stop)), length).Shape());
        }
        return shapes;
    }
};

std::optional<double> byKernel(const TopoDS_Face& face, const COLUMN& c, COLUMN_SOLIDS& solids) {
    std::optional<double> first;
    for (const TopoDS_Shape& s : solids.of(c)) {
        BRepExtrema_DistShapeShape distance(face, s);
        if (!distance.IsDone() || distance.Value() > 1e-7) continue;
        for (int i = 1; i <= distance.NbSolution(); ++i) {
            const double t = std::clamp(c.tOf(distance.PointOnShape1(i)), c.top, c.end);
            if (!first || t < *first) first = t;
        }
    }
    return first;
}

// A surface whose radius about the column's axis is R(t) = r0 + slope (t - t0) over the face's span [lo, hi]:
// where it comes inside the column's reach, first.
std::optional<double> aboutAxis(const COLUMN& c, double lo, double hi, double r0, double t0, double slope) {
    const double a = std::max(lo, c.top), b = std::min(hi, c.stop);
    if (!(a < b)) return std::nullopt;
    std::vector<double> at{a};
    if (c.bottom > a && c.bottom < b) at.push_back(c.bottom);
    at.push_back(b);
    const auto gap = [&](double t) { return std::fabs(r0 + slope * (t - t0)) - c.reach(t); };
    if (gap(a) < 0) return a;
    for (std::size_t i = 1; i < at.size(); ++i) {
        const double g0 = gap(at[i - 1]), g1 = gap(at[i]);
        if (g1 < 0) return at[i - 1] + (at[i] - at[i - 1]) * g0 / (g0 - g1);
    }
    return std::nullopt;
}

// The span of t over the face, from the face itself where the host knows it, else from its box.
std::pair<double, double> faceSpan(const COLUMN& c, const FaceGeom& face, const Box3& box) {
    double least = 0, most = 0;
    if (faceExtent(c, face, c.d, least, most)) return {least, most};
    return boxSpan(c, box);
}

// Whether the face keeps clear of the column by its own extents, tighter than its box across a slanted axis.
// Cheap beside the kernel's distance, which most faces near a column need not ask.
bool keepsClear(const COLUMN& c, const FaceGeom& face) {
    return clearByExtents(c, [&](const gp_Dir& dir, double& lo, double& hi) { return faceExtent(c, face, dir, lo, hi); });
}

std::optional<double> planeAcross(REACH_STATE& all, const FaceGeom& face, const gp_Pln& plane, const COLUMN& c) {
    const double t = c.tOf(plane.Location());
    if (!c.inLength(t)) return std::nullopt;
    const double reach = c.reach(t);
    if (reach <= 0) return std::nullopt;
    const gp_Pnt a = c.at(t);
    if (!face.intersectLine({a.X(), a.Y(), a.Z()}, {c.d.X(), c.d.Y(), c.d.Z()}).empty()) return t;
    const EDGES& edges = all.edgesOf(face);
    const Box3 near{{a.X() - reach, a.Y() - reach, a.Z() - reach}, {a.X() + reach, a.Y() + reach, a.Z() + reach}};
    bool inside = false;
    edges.tree.visit(near, [&](int k) {
        if (!inside && edgeDistance(edges.edges[static_cast<std::size_t>(k)], a) < reach) inside = true;
    });
    return inside ? std::optional<double>(t) : std::nullopt;
}

// Whether every point of the box keeps out of the column, by its corners.
bool boxClear(const COLUMN& c, const Box3& b) {
    return clearByExtents(c, [&](const gp_Dir& dir, double& lo, double& hi) {
        std::tie(lo, hi) = boxExtent(c, b, dir);
        return true;
    });
}

// Whether the segment keeps at the column's full reach or beyond from its axis where it lies along it.
bool segmentClear(const COLUMN& c, const gp_Pnt& a, const gp_Pnt& b) {
    const double ta = c.tOf(a), tb = c.tOf(b);
    double s0 = 0, s1 = 1;   // the segment's part between top and stop
    if (std::fabs(tb - ta) > 1e-15) {
        const double u = (c.top - ta) / (tb - ta), w = (c.stop - ta) / (tb - ta);
        s0 = std::max(0.0, std::min(u, w));
        s1 = std::min(1.0, std::max(u, w));
        if (s0 >= s1) return true;
    } else if (ta <= c.top || ta >= c.stop) {
        return true;
    }
    // The distance from the axis across it, p + s q, is least at s = -p.q / q.q.
    const gp_Vec d(c.d), va(c.O, a), vb(c.O, b);
    const gp_Vec p = va - d * va.Dot(d), q = (vb - d * vb.Dot(d)) - p;
    const double qq = q.SquareMagnitude();
    const double s = qq > 0 ? std::clamp(-p.Dot(q) / qq, s0, s1) : s0;
    return (p + q * s).Magnitude() >= c.r - c.tol;
}

// The edge as a polyline that keeps within a ten-thousandth of its box's size of it: a far finer margin
// than a column's tolerance.
const EDGES::POLYLINE& polylineOf(EDGES::POLYLINE& line, const TopoDS_Edge& edge, const Box3& box) {
    if (line.made) return line;
    line.made = true;
    line.deflection = std::max(1e-6, 1e-4 * std::hypot(box.max[0] - box.min[0], box.max[1] - box.min[1],
                                                       box.max[2] - box.min[2]));
    try {
        const BRepAdaptor_Curve curve(edge);
        const GCPnts_QuasiUniformDeflection points(curve, line.deflection);
        if (points.IsDone())
            for (int i = 1; i <= points.NbPoints(); ++i) line.points.push_back(points.Value(i));
    } catch (const Standard_Failure&) {
        line.points.clear();
    }
    return line;
}

// Whether the edge keeps out of the column's full cylinder: by its box, as a segment of line, as lying on a
// cylinder about the axis at the reach or more (the wall of the hole that cut the face back to it), or as a
// polyline close to it whose segments keep out by more than its deflection.
bool edgeClear(const COLUMN& c, const TopoDS_Edge& edge, const Box3& box, EDGES::POLYLINE& line) {
    if (boxClear(c, box)) return true;
    const BRepAdaptor_Curve curve(edge);
    if (curve.GetType() == GeomAbs_Line)
        return segmentClear(c, curve.Value(curve.FirstParameter()), curve.Value(curve.LastParameter()));
    const double reach = c.r - c.tol + BRep_Tool::Tolerance(edge);
    Handle(Geom2d_Curve) onSurface;
    Handle(Geom_Surface) surface;
    TopLoc_Location location;
    double first = 0, last = 0;
    for (int i = 1;; ++i) {
        BRep_Tool::CurveOnSurface(edge, onSurface, surface, location, first, last, i);
        if (onSurface.IsNull() || surface.IsNull()) break;
        const GeomAdaptor_Surface adaptor(surface);
        if (adaptor.GetType() != GeomAbs_Cylinder) continue;
        gp_Cylinder wall = adaptor.Cylinder();
        if (!location.IsIdentity()) wall.Transform(location.Transformation());
        if (parallel(wall.Axis().Direction(), c.d) && c.axisDistance(wall.Location()) <= c.tol * 1e-3 &&
            wall.Radius() >= reach)
            return true;
    }
    const EDGES::POLYLINE& polyline = polylineOf(line, edge, box);
    if (polyline.points.size() < 2) return false;
    // The edge lies within the deflection and its own tolerance of the polyline.
    const double margin = polyline.deflection + BRep_Tool::Tolerance(edge);
    COLUMN wider = c;
    wider.tol -= margin;
    wider.top -= margin;
    wider.stop += margin;
    for (std::size_t i = 1; i < polyline.points.size(); ++i)
        if (!segmentClear(wider, polyline.points[i - 1], polyline.points[i])) return false;
    return true;
}

// The points of the section of a plane, cylinder or cone by the plane across the axis at t that lie nearest the
// axis or farthest from it along the section; false when the section is of no kind reckoned here.
template <class QUADRIC>
bool sectionExtremes(const COLUMN& c, double t, const QUADRIC& quadric, std::vector<gp_Pnt>& points) {
    const gp_Pnt centre = c.at(t);
    const IntAna_QuadQuadGeo section(gp_Pln(centre, c.d), quadric, 1e-12, 1e-9);
    if (!section.IsDone()) return false;
    const auto add = [&](const Extrema_ExtPElC& extremes) {
        if (!extremes.IsDone()) return false;
        for (int i = 1; i <= extremes.NbExt(); ++i) points.push_back(extremes.Point(i).Value());
        return true;
    };
    const double far = 1e100;
    if (section.TypeInter() == IntAna_Empty) return true;
    for (int i = 1; i <= section.NbSolutions(); ++i) {
        bool done = false;
        switch (section.TypeInter()) {
        case IntAna_Point: points.push_back(section.Point(i)); done = true; break;
        case IntAna_Line: done = add(Extrema_ExtPElC(centre, section.Line(i), 1e-12, -far, far)); break;
        case IntAna_Circle: done = add(Extrema_ExtPElC(centre, section.Circle(i), 1e-12, 0, 2 * M_PI)); break;
        case IntAna_Ellipse: done = add(Extrema_ExtPElC(centre, section.Ellipse(i), 1e-12, 0, 2 * M_PI)); break;
        case IntAna_Parabola: done = add(Extrema_ExtPElC(centre, section.Parabola(i), 1e-12, -far, far)); break;
        case IntAna_Hyperbola: done = add(Extrema_ExtPElC(centre, section.Hyperbola(i), 1e-12, -far, far)); break;
        default: break;
        }
        if (!done) return false;
    }
    return true;
}

// Whether the surface runs along the axis, with its point nearest the axis halfway down the column's full
// reach: a plane the axis is parallel to, a cylinder beside it and parallel.
gp_Pnt halfway(const COLUMN& c) { return c.at(0.5 * (c.top + std::min(c.bottom, c.stop))); }
bool alongAxis(const COLUMN& c, const gp_Pln& plane, gp_Pnt& nearest) {
    const gp_Vec n(plane.Axis().Direction());
    if (std::fabs(n.Dot(gp_Vec(c.d))) >= 1e-12) return false;
    const gp_Pnt centre = halfway(c);
    nearest = centre.Translated(n * -gp_Vec(plane.Location(), centre).Dot(n));
    return true;
}
bool alongAxis(const COLUMN& c, const gp_Cylinder& cylinder, gp_Pnt& nearest) {
    if (!parallel(cylinder.Axis().Direction(), c.d)) return false;
    const gp_Pnt centre = halfway(c);
    const gp_Vec a(cylinder.Axis().Direction());
    const gp_Vec out(centre, cylinder.Location().Translated(a * gp_Vec(cylinder.Location(), centre).Dot(a)));
    // About the axis itself every point is nearest: not a case for this.
    if (out.Magnitude() < 1e-12) return false;
    nearest = centre.Translated(out.Normalized() * (out.Magnitude() - cylinder.Radius()));
    return true;
}
bool alongAxis(const COLUMN&, const gp_Cone&, gp_Pnt&) { return false; }

// Where the axis passes through a plane it is not parallel to, the plane's only point nearest it.
bool nearestPoints(const COLUMN& c, const gp_Pln& plane, std::vector<gp_Pnt>& points) {
    const gp_Vec n(plane.Axis().Direction());
    const double across = n.Dot(gp_Vec(c.d));
    if (std::fabs(across) < 1e-12) return false;
    points.push_back(c.at(gp_Vec(c.O, plane.Location()).Dot(n) / across));
    return true;
}

// The points of a cylinder nearest the axis, or farthest from it, where no line of it runs along the axis;
// false when one does.
bool nearestPoints(const COLUMN& c, const gp_Cylinder& cylinder, std::vector<gp_Pnt>& points) {
    const Extrema_ExtElCS extremes(gp_Lin(c.O, c.d), cylinder);
    if (!extremes.IsDone() || extremes.IsParallel()) return false;
    for (int i = 1; i <= extremes.NbExt(); ++i) {
        Extrema_POnCurv onAxis;
        Extrema_POnSurf onSurface;
        extremes.Points(i, onAxis, onSurface);
        points.push_back(onSurface.Value());
    }
    return true;
}

// The points of a cone where its distance from the axis is least in some neighbourhood, and its apex. The
// kernel has no extrema of a line and a cone: along each of the cone's lines the distance is least at one
// point, in closed form, and those least distances, a smooth function of the line's angle, are searched for
// their minima. False when a line of the cone runs along the axis.
bool nearestPoints(const COLUMN& c, const gp_Cone& cone, std::vector<gp_Pnt>& points) {
    const gp_Ax3& at = cone.Position();
    const gp_Vec a(at.Direction()), x(at.XDirection()), y(at.YDirection()), d(c.d);
    const double R = cone.RefRadius(), ca = std::cos(cone.SemiAngle()), sa = std::sin(cone.SemiAngle());
    bool along = false;
    // The point of the line at angle u nearest the axis, and its squared distance.
    const auto nearest = [&](double u, gp_Pnt& p) {
        const gp_Vec radial = x * std::cos(u) + y * std::sin(u);
        const gp_Pnt q = at.Location().Translated(radial * R);
        const gp_Vec line = a * ca + radial * sa, w(c.O, q);
        const double b = line.Dot(d), across = 1 - b * b;
        if (across < 1e-12) along = true;
        const double v = across < 1e-12 ? 0 : (b * w.Dot(d) - w.Dot(line)) / across;
        p = q.Translated(line * v);
        const gp_Vec off(c.O, p);
        return (off - d * off.Dot(d)).SquareMagnitude();
    };
    constexpr int kSteps = 720;
    std::vector<double> g(kSteps);
    gp_Pnt p;
    for (int i = 0; i < kSteps; ++i) g[static_cast<std::size_t>(i)] = nearest(2 * M_PI * i / kSteps, p);
    if (along) return false;
    for (int i = 0; i < kSteps; ++i) {
        const double before = g[static_cast<std::size_t>((i + kSteps - 1) % kSteps)],
                     after = g[static_cast<std::size_t>((i + 1) % kSteps)], here = g[static_cast<std::size_t>(i)];
        if (here > before || here > after) continue;
        // Golden-section search between the neighbours.
        double lo = 2 * M_PI * (i - 1) / kSteps, hi = 2 * M_PI * (i + 1) / kSteps;
        const double k = (std::sqrt(5.0) - 1) / 2;
        for (int step = 0; step < 60; ++step) {
            const double m1 = hi - k * (hi - lo), m2 = lo + k * (hi - lo);
            if (nearest(m1, p) < nearest(m2, p)) hi = m2;
            else lo = m1;
        }
        nearest(0.5 * (lo + hi), p);
        points.push_back(p);
    }
    if (along) return false;
    points.push_back(cone.Apex());
    return true;
}

// A plane, cylinder or cone not about the column's axis (nor a plane across it). Its face holds material in
// the column's full cylinder only if an edge comes into it, or else if the face holds a point where the
// distance from the axis is least over the surface (where the axis passes through it, its nearest points to
// the axis, a cone's apex; for a surface along the axis, its line nearest the axis), or least along its
// section by the column's top or end, where the face crosses them: with every edge out, the least over a
// piece of the face inside would be one of those. Unset when undecided, which the kernel decides.
template <class QUADRIC>
std::optional<std::optional<double>> quadricNear(REACH_STATE& all, const FaceGeom& face, const QUADRIC& quadric,
                                                 const COLUMN& c) {
    const double full = c.r - c.tol;
    const auto inFace = [&](const gp_Pnt& p) {
        double u = 0, v = 0;
        ElSLib::Parameters(quadric, p, u, v);
        return face.containsUv({u, v});
    };
    const auto edgesOut = [&] {
        EDGES& edges = all.edgesOf(face);
        for (std::size_t k = 0; k < edges.edges.size(); ++k)
            if (!edgeClear(c, edges.edges[k], edges.boxes[k], edges.polylines[k])) return false;
        return true;
    };
    // A surface along the axis is nearest it along a whole line, which lies in the face over all its length in
    // the column or not at all once every edge is out; material from the top, since the column is at its full
    // reach there.
    if (gp_Pnt nearest; alongAxis(c, quadric, nearest)) {
        if (!edgesOut()) return std::nullopt;
        return inFace(nearest) ? std::optional<double>(c.top) : std::optional<double>();
    }
    std::vector<gp_Pnt> witnesses;
    const Vec3 d{c.d.X(), c.d.Y(), c.d.Z()};
    for (const host::FaceHit& h : face.intersectLine({c.O.X(), c.O.Y(), c.O.Z()}, d))
        witnesses.emplace_back(h.point[0], h.point[1], h.point[2]);
    std::vector<gp_Pnt> nearest;
    if (!nearestPoints(c, quadric, nearest)) return std::nullopt;
    for (const gp_Pnt& p : nearest)
        if (inFace(p)) witnesses.push_back(p);
    // A point nearer the axis than the full reach is material in the column where it lies within the reach at
    // its depth; in the point's cone it may not be, and on the top or end it is at the column's edge.
    std::optional<double> first;
    bool undecided = false;
    for (const gp_Pnt& p : witnesses) {
        const double t = c.tOf(p), off = c.axisDistance(p);
        if (!c.inLength(t) || off >= full) continue;
        if (off >= c.reach(t)) undecided = true;
        else if (!first || t < *first) first = t;
    }
    if (first) return first;
    double lo = 0, hi = 0;
    if (!faceExtent(c, face, c.d, lo, hi)) return std::nullopt;
    for (const double t : {c.top, c.stop}) {
        if (t < lo - c.tol || t > hi + c.tol) continue;
        std::vector<gp_Pnt> onSection;
        if (!sectionExtremes(c, t, quadric, onSection)) return std::nullopt;
        for (const gp_Pnt& p : onSection)
            if (c.axisDistance(p) < full && inFace(p)) undecided = true;
    }
    if (undecided || !edgesOut()) return std::nullopt;
    return std::optional<double>();
}

std::optional<double> faceInColumn(REACH_STATE& all, const FaceGeom& face, const Box3& box, const COLUMN& c,
                                   COLUMN_SOLIDS& solids) {
    const auto& impl = *face.impl();
    const GeomAdaptor_Surface surface(impl.surface);
    const double reach = c.r - c.tol;
    switch (surface.GetType()) {
    case GeomAbs_Plane: {
        const gp_Pln plane = surface.Plane();
        const gp_Dir n = plane.Axis().Direction();
        if (parallel(n, c.d)) return planeAcross(all, face, plane, c);
        if (std::fabs(n.Dot(c.d)) < 1e-12 && std::fabs(gp_Vec(c.O, plane.Location()).Dot(gp_Vec(n))) >= reach)
            return std::nullopt;
        break;
    }
    case GeomAbs_Cylinder: {
        const gp_Cylinder cylinder = surface.Cylinder();
        if (!parallel(cylinder.Axis().Direction(), c.d)) break;
        const double e = c.axisDistance(cylinder.Location()), R = cylinder.Radius();
        if (e <= c.tol * 1e-3) {
            const auto [lo, hi] = faceSpan(c, face, box);
            return aboutAxis(c, lo, hi, R, 0, 0);
        }
        if (std::fabs(e - R) >= reach) return std::nullopt;
        break;
    }
    case GeomAbs_Cone: {
        const gp_Cone cone = surface.Cone();
        const gp_Dir a = cone.Axis().Direction();
        if (!parallel(a, c.d) || c.axisDistance(cone.Location()) > c.tol * 1e-3) break;
        const auto [lo, hi] = faceSpan(c, face, box);
        return aboutAxis(c, lo, hi, cone.RefRadius(), c.tOf(cone.Location()), a.Dot(c.d) * std::tan(cone.SemiAngle()));
    }
    case GeomAbs_Torus: {
        const gp_Torus torus = surface.Torus();
        if (parallel(torus.Axis().Direction(), c.d) && c.axisDistance(torus.Location()) <= c.tol * 1e-3 &&
            torus.MajorRadius() - torus.MinorRadius() >= reach)
            return std::nullopt;
        break;
    }
    case GeomAbs_Sphere: {
        const gp_Sphere sphere = surface.Sphere();
        if (c.axisDistance(sphere.Location()) - sphere.Radius() >= reach) return std::nullopt;
        break;
    }
    default: break;
    }
    if (keepsClear(c, face)) return std::nullopt;
    // A failure of the closed forms leaves the face to the kernel, never out of the column.
    std::optional<std::optional<double>> decided;
    try {
        if (surface.GetType() == GeomAbs_Cylinder) decided = quadricNear(all, face, surface.Cylinder(), c);
        if (surface.GetType() == GeomAbs_Cone) decided = quadricNear(all, face, surface.Cone(), c);
        if (surface.GetType() == GeomAbs_Plane) decided = quadricNear(all, face, surface.Plane(), c);
    } catch (const Standard_Failure&) {
        decided.reset();
    }
    if (decided) return *decided;
    return byKernel(impl.face, c, solids);
}

// Whether the column, which no face enters, lies inside the solid: from the face the axis meets first above
// one of its points, the material's side of that face; the kernel's classifier where that face is met
// edge on or at the point itself.
bool columnInside(const SOLID& solid, const COLUMN& c) {
    const double step = 0.5 * std::min(1.0, c.stop - c.top);
    const gp_Pnt p = c.at(c.top + step);
    const Box3& b = solid.box;
    for (int i = 0; i < 3; ++i)
        if (p.Coord(i + 1) < b.min[static_cast<std::size_t>(i)] - c.tol || p.Coord(i + 1) > b.max[static_cast<std::size_t>(i)] + c.tol)
            return false;
    double far = 0;
    for (int i = 0; i < 3; ++i) far += (b.max[static_cast<std::size_t>(i)] - b.min[static_cast<std::size_t>(i)]);
    far += 1;
    const gp_Pnt q = p.Translated(gp_Vec(c.d) * -far);
    Box3 ray;
    for (int i = 0; i < 3; ++i) {
        ray.min[static_cast<std::size_t>(i)] = std::min(p.Coord(i + 1), q.Coord(i + 1));
        ray.max[static_cast<std::size_t>(i)] = std::max(p.Coord(i + 1), q.Coord(i + 1));
    }
    const Vec3 origin{p.X(), p.Y(), p.Z()}, up{-c.d.X(), -c.d.Y(), -c.d.Z()};
    const auto& faces = solid.geom.faces();
    double nearest = std::numeric_limits<double>::infinity();
    const FaceGeom* met = nullptr;
    host::UV uv;
    std::vector<host::FaceHit> hits;
    solid.tree.visit(ray, [&](int k) {
        const FaceGeom& f = faces[static_cast<std::size_t>(k)];
        f.intersectLine(origin, up, hits);
        for (const host::FaceHit& h : hits)
            if (h.lineParam > -c.tol && h.lineParam < nearest) {
                nearest = h.lineParam;
                met = &f;
                uv = h.uv;
            }
    });
    if (!met) return false;
    Vec3 n{};
    const double side = met->normalAt(uv.u, uv.v, n) ? n[0] * up[0] + n[1] * up[1] + n[2] * up[2] : 0;
    if (nearest > c.tol && std::fabs(side) > 1e-6) return side > 0;
    BRepClass3d_SolidClassifier classifier(host::occtShape(solid.geom), p, 1e-7);
    return classifier.State() == TopAbs_IN;
}

}  // namespace

struct reach_solids {
    std::shared_ptr<REACH_STATE> state;
};

namespace {

// The state of the last solids asked about, kept for the next run of questions on the same solids: their
// number, id and shape, which the host never changes in place.
struct STANDING {
    std::int32_t number;
    std::uint32_t id;
    host::SolidGeom geom;
    bool operator==(const STANDING& o) const { return number == o.number && id == o.id && geom.impl() == o.geom.impl(); }
};
std::mutex g_lastLock;
std::vector<STANDING> g_lastStanding;
std::shared_ptr<REACH_STATE> g_last;

}  // namespace

reach_solids* reach_solids_make() {
    std::vector<STANDING> standing;
    {
        auto lock = host::db::guard();
        std::int32_t number = 0;
        for (const auto& [handle, stored] : host::db::current().ents) {
            if (stored.kept || stored.head.type != kEntSolid) continue;
            ++number;
            const ent_solid& s = stored.solid();
            if ((s.flags & kSolidExcluded) || !s.geom || s.geom->empty()) continue;
            standing.push_back({number, stored.head.id, *s.geom});
        }
    }
    std::lock_guard lock(g_lastLock);
    if (g_last && standing == g_lastStanding) return new reach_solids{g_last};
    auto state = std::make_shared<REACH_STATE>();
    for (const STANDING& st : standing) {
        SOLID solid;
        solid.number = st.number;
        solid.id = st.id;
        solid.geom = st.geom;
        for (const FaceGeom& f : solid.geom.faces()) solid.boxes.push_back(f.boundingBox());
        if (solid.boxes.empty()) continue;
        solid.box = solid.boxes.front();
        for (const Box3& b : solid.boxes) solid.box = BOX_TREE::join(solid.box, b);
        solid.tree.build(solid.boxes);
        state->solids.push_back(std::move(solid));
    }
    g_last = state;
    g_lastStanding = std::move(standing);
    return new reach_solids{state};
}

void reach_solids_free(reach_solids* solids) { delete solids; }

int reach_first_material(reach_solids* solids, const tool_column* column, column_hit* hit) {
    if (!solids || !solids->state || !column) return 0;
    REACH_STATE* all = solids->state.get();
    const double* a = column->axisDir;
    if (!(std::hypot(a[0], a[1], a[2]) > 1e-12) || !(column->radius > 0) || !(column->bottom > column->top))
        return 0;
    COLUMN c;
    c.O = gp_Pnt(column->axisPt[0], column->axisPt[1], column->axisPt[2]);
    c.d = gp_Dir(a[0], a[1], a[2]);
    c.top = column->top;
    c.bottom = column->bottom;
    c.point = std::max(0.0, column->pointLength);
    c.end = c.bottom + c.point;
    c.r = column->radius;
    c.tol = std::max(0.0, column->tolerance);
    c.stop = c.end - std::clamp(column->pointTaken, 0.0, c.point) - c.tol;
    if (!(c.stop > c.top) || !(c.r > c.tol)) return 0;
    const std::array<double, 12> key{column->axisPt[0], column->axisPt[1], column->axisPt[2], a[0], a[1], a[2],
                                     column->top, column->bottom, column->radius, column->pointLength,
                                     column->pointTaken, column->tolerance};
    {
        std::lock_guard lock(g_lastLock);
        if (const auto known = all->answers.find(key); known != all->answers.end()) {
            if (!known->second) return 0;
            if (hit) *hit = *known->second;
            return 1;
        }
    }

    Box3 reach;
    const gp_Pnt p0 = c.at(c.top), p1 = c.at(c.stop);
    for (int i = 0; i < 3; ++i) {
        reach.min[static_cast<std::size_t>(i)] = std::min(p0.Coord(i + 1), p1.Coord(i + 1)) - c.r;
        reach.max[static_cast<std::size_t>(i)] = std::max(p0.Coord(i + 1), p1.Coord(i + 1)) + c.r;
    }
    COLUMN_SOLIDS shapes;
    std::optional<column_hit> first;
    const auto take = [&](const SOLID& s, double t) {
        if (!first || t < first->at) first = column_hit{s.number, s.id, t};
    };
    // The faces near the column, by the least t their boxes reach: once one holds material, a face that cannot
    // reach above it need not be asked.
    struct NEAR_FACE {
        double lo;
        std::size_t solid;
        int face;
    };
    std::vector<NEAR_FACE> near;
    std::vector<char> met(all->solids.size(), 0);
    for (std::size_t n = 0; n < all->solids.size(); ++n) {
        const SOLID& s = all->solids[n];
        if (!BOX_TREE::meets(s.box, reach)) continue;
        met[n] = 1;
        s.tree.visit(reach, [&](int k) {
            const Box3& b = s.boxes[static_cast<std::size_t>(k)];
            const auto [lo, hi] = boxSpan(c, b);
            if (hi <= c.top || lo >= c.stop) return;
            const gp_Pnt middle((b.min[0] + b.max[0]) / 2, (b.min[1] + b.max[1]) / 2, (b.min[2] + b.max[2]) / 2);
            const double half = 0.5 * std::hypot(b.max[0] - b.min[0], b.max[1] - b.min[1], b.max[2] - b.min[2]);
            if (c.axisDistance(middle) - half >= c.r - c.tol) return;
            near.push_back({lo, n, k});
        });
    }
    std::sort(near.begin(), near.end(), [](const NEAR_FACE& a, const NEAR_FACE& b) {
        return a.lo < b.lo || (a.lo == b.lo && (a.solid < b.solid || (a.solid == b.solid && a.face < b.face)));
    });
    std::vector<char> entered(all->solids.size(), 0);
    for (const NEAR_FACE& f : near) {
        if (first && f.lo >= first->at) break;
        const SOLID& s = all->solids[f.solid];
        const std::size_t k = static_cast<std::size_t>(f.face);
        try {
            if (const auto t = faceInColumn(*all, s.geom.faces()[k], s.boxes[k], c, shapes)) {
                entered[f.solid] = 1;
                take(s, *t);
            }
        } catch (const Standard_Failure&) {
        }
    }
    // A solid no face of which was found entering holds the column whole or none of it; one with faces left
    // unasked is asked too, its material at the top being the only kind that could come first.
    for (std::size_t n = 0; n < all->solids.size(); ++n) {
        if (!met[n] || entered[n] || (first && first->at <= c.top)) continue;
        try {
            if (columnInside(all->solids[n], c)) take(all->solids[n], c.top);
        } catch (const Standard_Failure&) {
        }
    }
    {
        std::lock_guard lock(g_lastLock);
        if (all->answers.size() >= kAnswersKept) all->answers.clear();
        all->answers.emplace(key, first);
    }
    if (!first) return 0;
    if (hit) *hit = *first;
    return 1;
}
