// FaceProjector (face_projector.h). The side of a point is decided here only when it lies clearly inside a
// round hole of the face, or farther than the margin (ten times the face's largest edge or vertex
// tolerance) from every trim that can matter with one of a few rays from it passing clear of every trim
// vertex and tangent to count the crossings; the kernel decides the rest.
#include "host/geom/face_projector.h"

#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box2d.hxx>
#include <BndLib_Add2dCurve.hxx>
#include <Geom2d_BSplineCurve.hxx>
#include <Geom2d_BezierCurve.hxx>
#include <Geom2d_Circle.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_BezierSurface.hxx>
#include <GeomConvert.hxx>
#include <TColStd_Array1OfInteger.hxx>
#include <TColStd_Array1OfReal.hxx>
#include <TColgp_Array2OfPnt.hxx>
#include <Geom2dAdaptor_Curve.hxx>
#include <Geom2d_Line.hxx>
#include <ElCLib.hxx>
#include <ElSLib.hxx>
#include <Geom2d_TrimmedCurve.hxx>
#include <Precision.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Vertex.hxx>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "host/geom/bezier_pieces.h"
#include "host/geom/occt_impl.h"

namespace host {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr std::size_t kReducedFaces = 8;
constexpr int kMaxCells = 256;
constexpr std::size_t kChunkPieces = 8;

// Whether hypot(x, y) <= limit. Most points lie far from most trims: the squares tell those apart, with a
// slack that rounding cannot cross, and hypot decides the rest as it always did.
bool within(double x, double y, double limit) {
    if (x * x + y * y > 4 * limit * limit) return false;
    return std::hypot(x, y) <= limit;
}

// Whether |hypot(x, y) - r| <= limit, the same way.
bool withinOfCircle(double x, double y, double r, double limit) {
    const double squared = x * x + y * y;
    const double outer = r + limit, inner = r - limit;
    if (squared > outer * outer * (1 + 1e-9)) return false;
    if (inner > 0 && squared < inner * inner * (1 - 1e-9)) return false;
    return std::fabs(std::hypot(x, y) - r) <= limit;
}

// Whether p lies within `limit` of the segment from a to b.
bool withinOfSegment(const double p[2], const double a[2], const double b[2], double limit) {
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    const double len2 = dx * dx + dy * dy;
    double s = len2 > 0 ? ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2 : 0;
    s = std::clamp(s, 0.0, 1.0);
    return within(p[0] - a[0] - s * dx, p[1] - a[1] - s * dy, limit);
}

void grow(UvBox& box, double u, double v) {
    box.uMin = std::min(box.uMin, u);
    box.uMax = std::max(box.uMax, u);
    box.vMin = std::min(box.vMin, v);
    box.vMax = std::max(box.vMax, v);
}

// Whether the angle t (any turn) falls in the arc's parameter range.
bool onArcRange(double t, double t0, double t1) {
    t = t0 + std::fmod(std::fmod(t - t0, kTwoPi) + kTwoPi, kTwoPi);
    return t <= t1;
}

bool holds(const UvBox& b, double u, double v) { return u >= b.uMin && u <= b.uMax && v >= b.vMin && v <= b.vMax; }

// The cell of x along one side of the grid, by the same arithmetic when the wires are placed and when a
// point is looked up, so that a point finds every wire whose box holds it.
int cellAt(double x, double from, double perCell, int count) {
    return std::clamp(static_cast<int>(std::floor((x - from) * perCell)), 0, count - 1);
}

// Whether the line meets the box.
bool lineMeets(const gp_Lin& line, const Box3& box) {
    const gp_Pnt& o = line.Location();
    const gp_Dir& d = line.Direction();
    const double origin[3] = {o.X(), o.Y(), o.Z()}, direction[3] = {d.X(), d.Y(), d.Z()};
    double from = -1e300, to = 1e300;
    for (int i = 0; i < 3; ++i) {
        const double lo = box.min[i] - origin[i], hi = box.max[i] - origin[i];
        if (std::fabs(direction[i]) < 1e-12) {
            // Along the slab within the rounding of a unit direction: it must start in it, with room to spare.
            if (lo > 1e-9 * (1 + std::fabs(lo)) || hi < -1e-9 * (1 + std::fabs(hi))) return false;
            continue;
        }
        double t0 = lo / direction[i], t1 = hi / direction[i];
        if (t0 > t1) std::swap(t0, t1);
        from = std::max(from, t0);
        to = std::min(to, t1);
    }
    return from <= to + 1e-9 * (1 + std::fabs(to));
}

// Where end `which` of a range falls in the span of flat knots k and k + 1, as a fraction of the span.
double share(const TColStd_Array1OfReal& flat, int k, const double range[2], int which) {
    const double lo = flat(k), hi = flat(k + 1);
    return std::clamp((range[which] - lo) / (hi - lo), 0.0, 1.0);
}

// The first poles (from 1) of the spans of a B-spline, not periodic, that meet [from, to]: flat knots k and
// k + 1 bound a span that poles k - degree .. k weigh on.
std::vector<int> spansMeeting(const TColStd_Array1OfReal& flat, int degree, int poles, double from, double to) {
    std::vector<int> firsts;
    for (int k = flat.Lower() + degree; k < flat.Lower() + poles; ++k)
        if (flat(k + 1) > flat(k) && flat(k + 1) >= from && flat(k) <= to) firsts.push_back(k - flat.Lower() + 1 - degree);
    return firsts;
}

void growBox(Box3& box, const gp_Pnt& p) {
    for (int i = 0; i < 3; ++i) {
        box.min[i] = std::min(box.min[i], p.Coord(i + 1));
        box.max[i] = std::max(box.max[i], p.Coord(i + 1));
    }
}

Box3 grownBy(const Box3& box, double d) {
    return {{box.min[0] - d, box.min[1] - d, box.min[2] - d}, {box.max[0] + d, box.max[1] + d, box.max[2] + d}};
}

}  // namespace

// An arc at least a turn long holds every finite angle. Otherwise a direction clearly nearer the range's
// middle than half its span, or clearly farther, is decided by its cosine to the middle; atan2 decides
// those within a hair of an end, as it always did.
bool FaceProjector::PIECE::holdsAngle(double across, double along) const {
    if (fullTurn && std::isfinite(across) && std::isfinite(along)) return true;
    const double length = std::sqrt(across * across + along * along);
    if (length > 1e-150 && length < 1e150) {
        const double cosine = (along * middle[0] + across * middle[1]) / length;
        if (cosine > halfCosine + 1e-9) return true;
        if (cosine < halfCosine - 1e-9) return false;
    }
    return onArcRange(std::atan2(across, along), t0, t1);
}

FaceProjector::FaceProjector(const TopoDS_Face& face, const Handle(Geom_Surface)& surface, SurfaceKind kind,
                             const Box3& box, const UvBox& range)
    : face_(face), surfaceOfFace_(surface), bounds_(range), box_(box), kind_(kind),
      nearReach_(boxDiagonal(box) + 1.0) {
    if (kind_ == SurfaceKind::Plane) {
        surface_ = GeomAdaptor_Surface(surfaceOfFace_).Plane();
        // What ElSLib::PlaneParameters builds for every point.
        toPlane_.SetTransformation(std::get<gp_Pln>(surface_).Position());
    }
    boxFace(readTolerances());
}

void FaceProjector::boxFace(double tolerance) {
    tolerance_ = tolerance;
    grownBox_ = grownBy(box_, boxGrowth());
    boxed_ = box_.max[0] >= box_.min[0] && box_.max[1] >= box_.min[1] && box_.max[2] >= box_.min[2] &&
             boxDiagonal(box_) > 0;
}

void FaceProjector::prepare() {
    prepared_ = true;
    if (kind_ == SurfaceKind::Plane) return readWires(10 * tolerance_);
    // The surface as the kernel's intersector restricts it to the face, to the parameter box the face
    // has already rather than the kernel's search of its curves' boxes again; of the kind the face knows.
    const GeomAdaptor_Surface surface(surfaceOfFace_, bounds_.uMin, bounds_.uMax, bounds_.vMin, bounds_.vMax);
    switch (kind_) {
    case SurfaceKind::Cylinder: {
        const gp_Cylinder& cylinder = surface_.emplace<gp_Cylinder>(surface.Cylinder());
        toPlane_.SetTransformation(cylinder.Position());
        quadric_ = std::make_unique<IntAna_Quadric>(cylinder);
        exactHits_ = true;
        break;
    }
    case SurfaceKind::Cone: {
        const gp_Cone& cone = surface_.emplace<gp_Cone>(surface.Cone());
        quadric_ = std::make_unique<IntAna_Quadric>(cone);
        // The kernel's intersector takes a cone this close to a plane by its general method.
        exactHits_ = std::fabs(cone.SemiAngle()) < std::numbers::pi / 2 - 1e5 * Precision::Angular();
        break;
    }
    case SurfaceKind::Sphere:
        quadric_ = std::make_unique<IntAna_Quadric>(surface_.emplace<gp_Sphere>(surface.Sphere()));
        exactHits_ = true;
        break;
    case SurfaceKind::Torus:
        surface_ = surface.Torus();
        exactHits_ = true;
        break;
    case SurfaceKind::BSpline:
    case SurfaceKind::Bezier: readSpline(surface); break;
    default: break;
    }
    // A face without exact points goes to the kernel whole: its trims are not read.
    if (!exactHits_) return;
    uPeriodic_ = surface.IsUPeriodic() || kind_ == SurfaceKind::Cylinder || kind_ == SurfaceKind::Cone ||
                 kind_ == SurfaceKind::Sphere;
    vPeriodic_ = surface.IsVPeriodic();
    if (uPeriodic_) uPeriod_ = surface.UPeriod();
    if (vPeriodic_) vPeriod_ = surface.VPeriod();
    // The kernel classifies in (u, v) with the surface's resolution of the largest tolerance.
    readWires(10 * std::max({surface.UResolution(tolerance_), surface.VResolution(tolerance_), kGeomTol}));
}

double FaceProjector::boxGrowth() const { return 100 * tolerance_ + 1e-7 * (1 + boxDiagonal(box_)); }

void FaceProjector::readSpline(const GeomAdaptor_Surface& surface) {
    Handle(Geom_BSplineSurface) read = surface.GetType() == GeomAbs_BezierSurface
                                           ? GeomConvert::SurfaceToBSplineSurface(surface.Bezier())
                                           : surface.BSpline();
    if (read.IsNull()) return;
    spline_ = std::make_unique<SPLINE>();
    spline_->surface = Handle(Geom_BSplineSurface)::DownCast(read->Copy());
    Geom_BSplineSurface& own = *spline_->surface;
    spline_->uPeriodic = own.IsUPeriodic();
    spline_->vPeriodic = own.IsVPeriodic();
    if (spline_->uPeriodic) own.SetUNotPeriodic();
    if (spline_->vPeriodic) own.SetVNotPeriodic();
    boxSpans();
}

void FaceProjector::boxSpans() {
    // Each span of the surface over the face's range lies in the hull of the poles that weigh on it (their
    // weights are positive), so in their box. The range is taken a little wider than the face's, as the
    // kernel keeps hits a hair outside it.
    constexpr double kWider = 1e-5;
    const Geom_BSplineSurface& spline = *spline_->surface;
    // Along one direction, the first poles (from 1) of the spans that the range meets; none where the
    // range is empty or leaves the surface's one period, where the kernel is asked as before.
    auto cut = [&](bool alongU, bool periodic, double from, double to, std::vector<int>& patches, double range[2]) {
        const int degree = alongU ? spline.UDegree() : spline.VDegree();
        const double first = alongU ? spline.UKnot(1) : spline.VKnot(1);
        const double last = alongU ? spline.UKnot(spline.NbUKnots()) : spline.VKnot(spline.NbVKnots());
        if (periodic && (from < first || to > last)) return false;
        range[0] = from = std::max(from - kWider, first);
        range[1] = to = std::min(to + kWider, last);
        if (!(to > from)) return false;
        const int poles = alongU ? spline.NbUPoles() : spline.NbVPoles();
        TColStd_Array1OfReal flat(1, poles + degree + 1);
        if (alongU) spline.UKnotSequence(flat);
        else spline.VKnotSequence(flat);
        patches = spansMeeting(flat, degree, poles, from, to);
        return !patches.empty();
    };
    spline_->spans.clear();
    std::vector<int> us, vs;
    if (!cut(true, spline_->uPeriodic, bounds_.uMin, bounds_.uMax, us, spline_->uRange) ||
        !cut(false, spline_->vPeriodic, bounds_.vMin, bounds_.vMax, vs, spline_->vRange))
        return;
    const TColgp_Array2OfPnt& poles = spline.Poles();
    const double growth = boxGrowth();
    for (int u0 : us)
        for (int v0 : vs) {
            Box3 box{{1e300, 1e300, 1e300}, {-1e300, -1e300, -1e300}};
            for (int i = u0; i <= u0 + spline.UDegree(); ++i)
                for (int j = v0; j <= v0 + spline.VDegree(); ++j)
                    growBox(box, poles(poles.LowerRow() + i - 1, poles.LowerCol() + j - 1));
            spline_->spans.push_back({grownBy(box, growth), u0, v0, false, {}});
        }
}

void FaceProjector::cutSpan(SPAN& span) const {
    // The span's Bezier patch, from the poles that weigh on it by de Boor's scheme of its blossom, cut to
    // the face's range and then into kPatchCuts x kPatchCuts patches, each in the hull of its own poles.
    constexpr int kPatchCuts = 4;
    span.cut = true;
    const Geom_BSplineSurface& spline = *spline_->surface;
    const int p = spline.UDegree(), q = spline.VDegree();
    if (p + 1 > static_cast<int>(kBezierPoles) || q + 1 > static_cast<int>(kBezierPoles)) return;
    const std::size_t nu = static_cast<std::size_t>(p) + 1, nv = static_cast<std::size_t>(q) + 1;
    TColStd_Array1OfReal uFlat(1, spline.NbUPoles() + p + 1), vFlat(1, spline.NbVPoles() + q + 1);
    spline.UKnotSequence(uFlat);
    spline.VKnotSequence(vFlat);
    // Homogeneous points (x w, y w, z w, w), a line of them, and a patch as lines along v.
    using LINE = BezierPoles<HOMOGENEOUS>;
    using PATCH = std::array<LINE, kBezierPoles>;
    PATCH patch;
    for (std::size_t i = 0; i < nu; ++i)
        for (std::size_t j = 0; j < nv; ++j) {
            const int row = span.u0 + static_cast<int>(i), col = span.v0 + static_cast<int>(j);
            const gp_Pnt& pole = spline.Pole(row, col);
            const double w = spline.Weight(row, col);
            patch[i][j] = {pole.X() * w, pole.Y() * w, pole.Z() * w, w};
        }
    // A line of a span's B-spline poles (flat knot k = its first pole + the degree, from 1) as the Bezier
    // points of the span: its blossoms at the span's two knots, taken b times the second.
    auto toBezier = [&](const TColStd_Array1OfReal& flat, int degree, int k, LINE& d) {
        LINE out;
        for (int b = 0; b <= degree; ++b) {
            LINE e = d;
            for (int r = 1; r <= degree; ++r) {
                const double t = r <= degree - b ? flat(k) : flat(k + 1);
                for (int j = degree; j >= r; --j) {
                    const double lo = flat(k - degree + j), hi = flat(k + 1 + j - r);
                    const std::size_t at = static_cast<std::size_t>(j);
                    const double alpha = hi > lo ? (t - lo) / (hi - lo) : 0;
                    e[at] = (1 - alpha) * e[at - 1] + alpha * e[at];
                }
            }
            out[static_cast<std::size_t>(b)] = e[static_cast<std::size_t>(degree)];
        }
        d = out;
    };
    // The line keeps the part after t, `before` receives the part before it.
    auto split = [&](LINE& d, std::size_t n, double t, LINE& before) { cutBezier(d, n, t, &before, &d); };
    // The line cut to [t0, t1] of its parameter.
    auto keep = [&](LINE& d, std::size_t n, double t0, double t1) {
        LINE before;
        if (t0 > 0) split(d, n, t0, before);
        if (t1 < 1) {
            split(d, n, (t1 - t0) / (1 - t0), before);
            d = before;
        }
    };
    // Along u, line by line of the transposed patch; along v, line by line of the patch.
    auto alongU = [&](PATCH& in, auto&& work) {
        for (std::size_t j = 0; j < nv; ++j) {
            LINE line;
            for (std::size_t i = 0; i < nu; ++i) line[i] = in[i][j];
            work(line, j);
        }
    };
    const int su = span.u0 + p, sv = span.v0 + q;
    alongU(patch, [&](LINE& line, std::size_t j) {
        toBezier(uFlat, p, su, line);
        keep(line, nu, share(uFlat, su, spline_->uRange, 0), share(uFlat, su, spline_->uRange, 1));
        for (std::size_t i = 0; i < nu; ++i) patch[i][j] = line[i];
    });
    for (std::size_t i = 0; i < nu; ++i) {
        toBezier(vFlat, q, sv, patch[i]);
        keep(patch[i], nv, share(vFlat, sv, spline_->vRange, 0), share(vFlat, sv, spline_->vRange, 1));
    }
    // Cut in strips along u, each strip in patches along v: each cut takes the next piece off the rest.
    const double growth = boxGrowth();
    std::array<PATCH, kPatchCuts> strips;
    alongU(patch, [&](LINE& line, std::size_t j) {
        for (int a = 0; a < kPatchCuts; ++a) {
            LINE piece = line;
            if (a + 1 < kPatchCuts) split(line, nu, 1.0 / (kPatchCuts - a), piece);
            for (std::size_t i = 0; i < nu; ++i) strips[static_cast<std::size_t>(a)][i][j] = piece[i];
        }
    });
    for (PATCH& strip : strips) {
        std::array<Box3, kPatchCuts> boxes;
        boxes.fill({{1e300, 1e300, 1e300}, {-1e300, -1e300, -1e300}});
        for (std::size_t i = 0; i < nu; ++i)
            for (int b = 0; b < kPatchCuts; ++b) {
                LINE piece = strip[i];
                if (b + 1 < kPatchCuts) split(strip[i], nv, 1.0 / (kPatchCuts - b), piece);
                for (std::size_t j = 0; j < nv; ++j)
                    growBox(boxes[static_cast<std::size_t>(b)],
                            gp_Pnt(piece[j].x / piece[j].w, piece[j].y / piece[j].w, piece[j].z / piece[j].w));
            }
        for (const Box3& box : boxes) span.patches.push_back(grownBy(box, growth));
    }
}

double FaceProjector::readTolerances() {
    double maxEdge = 0, maxVertex = 0;
    std::vector<std::pair<double, double>> wireTols;
    std::size_t wires = 0;
    for (TopoDS_Iterator it(face_); it.More(); it.Next()) wires += it.Value().ShapeType() == TopAbs_WIRE;
    wires_.reserve(wires);
    for (TopoDS_Iterator it(face_); it.More(); it.Next()) {
        if (it.Value().ShapeType() != TopAbs_WIRE) continue;
        WIRE& w = wires_.emplace_back();
        w.wire = TopoDS::Wire(it.Value());
        // A wire's children are its edges, theirs their vertices: iterated directly, without an explorer's
        // stack, as every face met is read.
        double edgeTol = 0, vertexTol = 0;
        for (TopoDS_Iterator edges(w.wire); edges.More(); edges.Next()) {
            if (edges.Value().ShapeType() != TopAbs_EDGE) continue;
            edgeTol = std::max(edgeTol, BRep_Tool::Tolerance(TopoDS::Edge(edges.Value())));
            for (TopoDS_Iterator vertices(edges.Value()); vertices.More(); vertices.Next())
                if (vertices.Value().ShapeType() == TopAbs_VERTEX)
                    vertexTol = std::max(vertexTol, BRep_Tool::Tolerance(TopoDS::Vertex(vertices.Value())));
        }
        wireTols.emplace_back(edgeTol, vertexTol);
        maxEdge = std::max(maxEdge, edgeTol);
        maxVertex = std::max(maxVertex, vertexTol);
    }
    for (std::size_t i = 0; i < wires_.size(); ++i)
        wires_[i].kept = wireTols[i].first == maxEdge || wireTols[i].second == maxVertex;
    const double largest = std::max({maxEdge, maxVertex, kGeomTol, BRep_Tool::Tolerance(face_)});
    tight_ = largest <= kGeomTol;
    return largest;
}

void FaceProjector::readPieces(WIRE& w, std::vector<TRIM>& trims) {
    w.pieceFrom = static_cast<std::uint32_t>(pieces_.size());
    for (TRIM& t : trims) {
        if (Handle(Geom2d_Line) line = Handle(Geom2d_Line)::DownCast(t.curve); !line.IsNull()) {
            PIECE p;
            const gp_Pnt2d a = line->Value(t.first), b = line->Value(t.last);
            p.a[0] = a.X(), p.a[1] = a.Y(), p.b[0] = b.X(), p.b[1] = b.Y();
            pieces_.push_back(p);
        } else if (Handle(Geom2d_Circle) circle = Handle(Geom2d_Circle)::DownCast(t.curve); !circle.IsNull()) {
            const gp_Ax22d axes = circle->Position();
            PIECE p;
            p.arc = true;
            p.r = circle->Radius();
            p.c[0] = axes.Location().X(), p.c[1] = axes.Location().Y();
            p.x[0] = axes.XDirection().X(), p.x[1] = axes.XDirection().Y();
            p.y[0] = axes.YDirection().X(), p.y[1] = axes.YDirection().Y();
            p.t0 = t.first;
            p.t1 = t.last;
            p.fullTurn = p.t0 + kTwoPi <= p.t1;
            p.middle[0] = std::cos(0.5 * (p.t0 + p.t1)), p.middle[1] = std::sin(0.5 * (p.t0 + p.t1));
            p.halfCosine = std::cos(0.5 * (p.t1 - p.t0));
            const gp_Pnt2d a = circle->Value(t.first), b = circle->Value(t.last);
            p.a[0] = a.X(), p.a[1] = a.Y(), p.b[0] = b.X(), p.b[1] = b.Y();
            pieces_.push_back(p);
        } else if (Handle(Geom2d_BSplineCurve) spline = Handle(Geom2d_BSplineCurve)::DownCast(t.curve);
                   !spline.IsNull() && spline->Degree() == 1 && !spline->IsPeriodic()) {
            // A B-spline of the first degree is straight between its knots: segments, as exact as a line's.
            gp_Pnt2d from = spline->Value(t.first);
            for (int k = 1; k <= spline->NbKnots() + 1; ++k) {
                const double at = k <= spline->NbKnots() ? spline->Knot(k) : t.last;
                if (k <= spline->NbKnots() && (at <= t.first || at >= t.last)) continue;
                const gp_Pnt2d to = spline->Value(at);
                PIECE p;
                p.a[0] = from.X(), p.a[1] = from.Y(), p.b[0] = to.X(), p.b[1] = to.Y();
                pieces_.push_back(p);
                from = to;
            }
        } else {
            // Its polyline waits in the boxes of the curve's spans until a point or ray comes into one.
            boxTrim(t);
            PIECE later;
            later.later = static_cast<int>(trims_.size());
            trims_.push_back(std::move(t));
            pieces_.push_back(later);
        }
    }
    w.pieceEnd = static_cast<std::uint32_t>(pieces_.size());
    chunkPieces(w);
}

UvBox FaceProjector::pieceBox(const PIECE& p) const {
    if (p.later >= 0) return trims_[static_cast<std::size_t>(p.later)].box;
    UvBox box{1e300, -1e300, 1e300, -1e300};
    const double reach = 2 * (margin_ + p.slack);
    for (const double* end : {p.a, p.b}) {
        grow(box, end[0] - reach, end[1] - reach);
        grow(box, end[0] + reach, end[1] + reach);
    }
    if (p.arc) {
        grow(box, p.c[0] - p.r - reach, p.c[1] - p.r - reach);
        grow(box, p.c[0] + p.r + reach, p.c[1] + p.r + reach);
    }
    return box;
}

void FaceProjector::chunkPieces(WIRE& w) {
    // The boxes stand beside the pieces: a wire's stretch of boxes_ is that of pieces_.
    for (std::size_t k = w.pieceFrom; k < w.pieceEnd; ++k) boxes_.push_back(pieceBox(pieces_[k]));
    chunkBoxes(w);
}

void FaceProjector::chunkBoxes(WIRE& w) {
    w.chunkFrom = static_cast<std::uint32_t>(chunks_.size());
    for (std::size_t first = w.pieceFrom; first < w.pieceEnd; first += kChunkPieces) {
        CHUNK& chunk = chunks_.emplace_back();
        chunk.first = static_cast<std::uint32_t>(first);
        chunk.end = static_cast<std::uint32_t>(std::min<std::size_t>(first + kChunkPieces, w.pieceEnd));
        chunk.box = {1e300, -1e300, 1e300, -1e300};
        for (std::size_t k = chunk.first; k < chunk.end; ++k) {
            grow(chunk.box, boxes_[k].uMin, boxes_[k].vMin);
            grow(chunk.box, boxes_[k].uMax, boxes_[k].vMax);
        }
    }
    w.chunkEnd = static_cast<std::uint32_t>(chunks_.size());
}

void FaceProjector::readPolyline(WIRE& w, std::size_t k) {
    const TRIM& t = trims_[static_cast<std::size_t>(pieces_[k].later)];
    std::vector<PIECE> polyline;
    if (Handle(Geom2d_BSplineCurve) spline = Handle(Geom2d_BSplineCurve)::DownCast(t.curve);
        spline.IsNull() || !addBezierChords(polyline, spline, t.first, t.last, margin_))
        addPolyline(polyline, t.curve, t.first, t.last, margin_);
    // The wire's pieces, the polyline in the place of piece k, at the ends of the tables: the stretches they
    // leave are a trim's pieces at most, read once.
    std::vector<PIECE> pieces(pieces_.begin() + w.pieceFrom, pieces_.begin() + static_cast<std::ptrdiff_t>(k));
    std::vector<UvBox> boxes(boxes_.begin() + w.pieceFrom, boxes_.begin() + static_cast<std::ptrdiff_t>(k));
    for (const PIECE& p : polyline) {
        pieces.push_back(p);
        boxes.push_back(pieceBox(p));
    }
    pieces.insert(pieces.end(), pieces_.begin() + static_cast<std::ptrdiff_t>(k) + 1, pieces_.begin() + w.pieceEnd);
    boxes.insert(boxes.end(), boxes_.begin() + static_cast<std::ptrdiff_t>(k) + 1, boxes_.begin() + w.pieceEnd);
    w.pieceFrom = static_cast<std::uint32_t>(pieces_.size());
    pieces_.insert(pieces_.end(), pieces.begin(), pieces.end());
    boxes_.insert(boxes_.end(), boxes.begin(), boxes.end());
    w.pieceEnd = static_cast<std::uint32_t>(pieces_.size());
    chunkBoxes(w);
}

void FaceProjector::boxTrim(TRIM& t) const {
    // A B-spline or Bezier curve lies in the hull of its poles, each span in that of the poles weighing on
    // it; any other curve is boxed by the kernel. Grown by twice the margin, as the pieces' runs.
    const double reach = 2 * margin_;
    auto boxOf = [&](auto&& pole, int from, int to) {
        UvBox box{1e300, -1e300, 1e300, -1e300};
        for (int i = from; i <= to; ++i) {
            const gp_Pnt2d p = pole(i);
            grow(box, p.X() - reach, p.Y() - reach);
            grow(box, p.X() + reach, p.Y() + reach);
        }
        return box;
    };
    if (Handle(Geom2d_BSplineCurve) spline = Handle(Geom2d_BSplineCurve)::DownCast(t.curve); !spline.IsNull()) {
        auto pole = [&](int i) { return spline->Pole(i); };
        const int degree = spline->Degree(), poles = spline->NbPoles();
        if (!spline->IsPeriodic()) {
            TColStd_Array1OfReal flat(1, poles + degree + 1);
            spline->KnotSequence(flat);
            for (const int first : spansMeeting(flat, degree, poles, t.first, t.last))
                t.spans.push_back(boxOf(pole, first, first + degree));
        }
        if (t.spans.empty()) t.spans.push_back(boxOf(pole, 1, poles));
    } else if (Handle(Geom2d_BezierCurve) bezier = Handle(Geom2d_BezierCurve)::DownCast(t.curve); !bezier.IsNull()) {
        t.spans.push_back(boxOf([&](int i) { return bezier->Pole(i); }, 1, bezier->NbPoles()));
    } else {
        Bnd_Box2d kernelBox;
        BndLib_Add2dCurve::Add(t.curve, t.first, t.last, 0.0, kernelBox);
        double u0, v0, u1, v1;
        kernelBox.Get(u0, v0, u1, v1);
        t.spans.push_back({u0 - reach, u1 + reach, v0 - reach, v1 + reach});
    }
    t.box = {1e300, -1e300, 1e300, -1e300};
    for (const UvBox& span : t.spans) {
        grow(t.box, span.uMin, span.vMin);
        grow(t.box, span.uMax, span.vMax);
    }
}

void FaceProjector::readWires(double margin) {
    margin_ = margin;
    // The outer wire is picked as the kernel's BRepTools::OuterWire picks it, from the boxes taken here
    // anyway: the first wire, replaced by each later one whose box holds the one picked so far.
    UvBox outerBounds{};
    std::vector<TRIM> trims;
    for (WIRE& w : wires_) {
        trims.clear();
        for (TopoDS_Iterator edges(w.wire); edges.More(); edges.Next()) {
            if (edges.Value().ShapeType() != TopAbs_EDGE) continue;
            const TopoDS_Edge& edge = TopoDS::Edge(edges.Value());
            double f = 0, l = 0;
            Handle(Geom2d_Curve) curve = BRep_Tool::CurveOnSurface(edge, face_, f, l);
            while (!curve.IsNull() && curve->IsKind(STANDARD_TYPE(Geom2d_TrimmedCurve)))
                curve = Handle(Geom2d_TrimmedCurve)::DownCast(curve)->BasisCurve();
            if (curve.IsNull() || !(l > f)) {
                w.exact = false;
                continue;
            }
            trims.push_back({curve, f, l, {}, {}});
        }
        readPieces(w, trims);
        const int index = static_cast<int>(&w - wires_.data());
        // A lone wire is the outer one, and its pieces' runs box it: the kernel's box of its curves, which
        // searches a B-spline's, is needed only to pick the outer wire among several.
        if (wires_.size() == 1 && w.exact && w.pieceEnd > w.pieceFrom) {
            outer_ = index;
            w.box = {1e300, -1e300, 1e300, -1e300};
            for (std::size_t c = w.chunkFrom; c < w.chunkEnd; ++c) {
                const CHUNK& chunk = chunks_[c];
                grow(w.box, chunk.box.uMin, chunk.box.vMin);
                grow(w.box, chunk.box.uMax, chunk.box.vMax);
            }
            continue;
        }
        double u0, u1, v0, v1;
        BRepTools::UVBounds(face_, w.wire, u0, u1, v0, v1);
        if (index == 0 || (u0 <= outerBounds.uMin && u1 >= outerBounds.uMax && v0 <= outerBounds.vMin &&
                           v1 >= outerBounds.vMax)) {
            outer_ = index;
            outerBounds = {u0, u1, v0, v1};
        }
        w.box = {u0 - margin_, u1 + margin_, v0 - margin_, v1 + margin_};
        // The bounds come from the kernel's boxes of the curves; the pieces' own ends make sure of them.
        for (std::size_t k = w.pieceFrom; k < w.pieceEnd; ++k) {
            const PIECE& p = pieces_[k];
            if (p.later >= 0) {
                const TRIM& t = trims_[static_cast<std::size_t>(p.later)];
                for (double at : {t.first, t.last}) {
                    const gp_Pnt2d end = t.curve->Value(at);
                    grow(w.box, end.X() - margin_, end.Y() - margin_);
                    grow(w.box, end.X() + margin_, end.Y() + margin_);
                }
                continue;
            }
            for (const double* end : {p.a, p.b}) {
                grow(w.box, end[0] - margin_, end[1] - margin_);
                grow(w.box, end[0] + margin_, end[1] + margin_);
            }
        }
    }

    // Kept for the run, as read: a face of a few holes would keep twice its pieces' room.
    pieces_.shrink_to_fit();
    boxes_.shrink_to_fit();
    chunks_.shrink_to_fit();
    trims_.shrink_to_fit();
    if (outer_ < 0) {
        kernelOnly_ = true;
        return;
    }
    const UvBox& o = outerBox_ = wires_[static_cast<std::size_t>(outer_)].box;
    const int inner = static_cast<int>(wires_.size()) - 1;
    cellsU_ = cellsV_ = std::clamp(static_cast<int>(std::ceil(std::sqrt(static_cast<double>(inner)))), 1, kMaxCells);
    perCellU_ = 1 / std::max((o.uMax - o.uMin) / cellsU_, 1e-12);
    perCellV_ = 1 / std::max((o.vMax - o.vMin) / cellsV_, 1e-12);
    struct SPAN {
        int wire, u0, u1, v0, v1;
    };
    std::vector<SPAN> spans;
    for (int i = 0; i < static_cast<int>(wires_.size()); ++i) {
        if (i == outer_) continue;
        const UvBox& b = wires_[static_cast<std::size_t>(i)].box;
        // An inner wire reaching out of the outer one: the face is not what this class can read.
        if (b.uMin < o.uMin || b.uMax > o.uMax || b.vMin < o.vMin || b.vMax > o.vMax) {
            kernelOnly_ = true;
            return;
        }
        spans.push_back({i, cellAt(b.uMin, o.uMin, perCellU_, cellsU_), cellAt(b.uMax, o.uMin, perCellU_, cellsU_),
                         cellAt(b.vMin, o.vMin, perCellV_, cellsV_), cellAt(b.vMax, o.vMin, perCellV_, cellsV_)});
    }
    // Counted first, then placed, each cell's wires in the order of the face's wires.
    cellStart_.assign(static_cast<std::size_t>(cellsU_ * cellsV_) + 1, 0);
    for (const SPAN& s : spans)
        for (int cu = s.u0; cu <= s.u1; ++cu)
            for (int cv = s.v0; cv <= s.v1; ++cv) ++cellStart_[static_cast<std::size_t>(cu * cellsV_ + cv) + 1];
    for (std::size_t c = 1; c < cellStart_.size(); ++c) cellStart_[c] += cellStart_[c - 1];
    cellWires_.resize(cellStart_.back());
    std::vector<std::size_t> next(cellStart_.begin(), cellStart_.end() - 1);
    for (const SPAN& s : spans) {
        const WIRE& w = wires_[static_cast<std::size_t>(s.wire)];
        CELL_WIRE entry{w.box, s.wire};
        if (w.exact && w.pieceEnd == w.pieceFrom + 1 && pieces_[w.pieceFrom].fullTurn &&
            pieces_[w.pieceFrom].r > margin_) {
            const PIECE& circle = pieces_[w.pieceFrom];
            entry.centre[0] = circle.c[0], entry.centre[1] = circle.c[1];
            entry.clearSquared = (circle.r - margin_) * (circle.r - margin_) * (1 - 1e-9);
        }
        for (int cu = s.u0; cu <= s.u1; ++cu)
            for (int cv = s.v0; cv <= s.v1; ++cv)
                cellWires_[next[static_cast<std::size_t>(cu * cellsV_ + cv)]++] = entry;
    }
}

FaceProjector::Side FaceProjector::side(double u, double v, std::vector<int>& holders) {
    holders.clear();
    if (kernelOnly_) return Side::Near;
    const UvBox& o = outerBox_;
    if (!holds(o, u, v)) return Side::Out;
    const int cu = cellAt(u, o.uMin, perCellU_, cellsU_);
    const int cv = cellAt(v, o.vMin, perCellV_, cellsV_);
    holders.push_back(outer_);
    const std::size_t cell = static_cast<std::size_t>(cu * cellsV_ + cv);
    for (std::size_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
        const CELL_WIRE& w = cellWires_[k];
        if (!holds(w.box, u, v)) continue;
        const double du = u - w.centre[0], dv = v - w.centre[1];
        if (du * du + dv * dv < w.clearSquared) return Side::Out;
        holders.push_back(w.wire);
    }
    return sideOfWires(u, v, holders);
}

FaceProjector::Side FaceProjector::sideOfWires(double u, double v, const std::vector<int>& wires) {
    const double p[2] = {u, v};
    for (int i : wires) {
        WIRE& w = wires_[static_cast<std::size_t>(i)];
        if (!w.exact) return Side::Near;
        const std::ptrdiff_t k = nearPiece(w, p);
        if (k >= 0) return onPiece(pieces_[static_cast<std::size_t>(k)], p) ? Side::On : Side::Near;
    }
    // Rays in a few directions in turn, until one passes clear of every vertex and tangent.
    for (double angle : {0.0, 0.6180339887, 2.2360679775}) {
        const double du = std::cos(angle), dv = std::sin(angle);
        bool inOuter = false, inInner = false, sure = true;
        for (int i : wires) {
            const int n = crossings(wires_[static_cast<std::size_t>(i)], u, v, du, dv);
            if (n < 0) {
                sure = false;
                break;
            }
            if (i == outer_) inOuter = n % 2 == 1;
            else inInner = inInner || n % 2 == 1;
        }
        if (sure) return inOuter && !inInner ? Side::In : Side::Out;
    }
    return Side::Near;
}

std::ptrdiff_t FaceProjector::nearPiece(WIRE& w, const double p[2]) {
    const double u = p[0], v = p[1];
    for (std::size_t c = w.chunkFrom; c < w.chunkEnd; ++c) {
        const CHUNK& chunk = chunks_[c];
        if (!holds(chunk.box, u, v)) continue;
        for (std::size_t k = chunk.first; k < chunk.end; ++k) {
            // Most pieces lie clearly away: their boxes, read apart from the pieces, tell those apart (a
            // segment's is its ends' grown by twice the reach), then an arc's ring (its ends lie on it).
            if (!holds(boxes_[k], u, v)) continue;
            const PIECE& piece = pieces_[k];
            bool near;
            if (piece.later >= 0) {
                const TRIM& t = trims_[static_cast<std::size_t>(piece.later)];
                if (std::none_of(t.spans.begin(), t.spans.end(), [&](const UvBox& b) { return holds(b, u, v); }))
                    continue;
                // The pieces before it stay clear: the search goes on from its polyline.
                readPolyline(w, k);
                return nearPiece(w, p);
            }
            if (!piece.arc) {
                near = withinOfSegment(p, piece.a, piece.b, margin_ + piece.slack);
            } else {
                const double dx = u - piece.c[0], dy = v - piece.c[1];
                const double squared = dx * dx + dy * dy, outer = piece.r + 2 * margin_, inner = piece.r - 2 * margin_;
                if (squared > outer * outer || (inner > 0 && squared < inner * inner)) continue;
                near = piece.holdsAngle(dx * piece.y[0] + dy * piece.y[1], dx * piece.x[0] + dy * piece.x[1])
                           ? withinOfCircle(dx, dy, piece.r, margin_)
                           : within(u - piece.a[0], v - piece.a[1], margin_) ||
                                 within(u - piece.b[0], v - piece.b[1], margin_);
            }
            if (near) return static_cast<std::ptrdiff_t>(k);
        }
    }
    return -1;
}

bool FaceProjector::onPiece(const PIECE& piece, const double p[2]) const {
    // The kernel's classifier takes a point within a hundredth of its least tolerance of a segment or arc of
    // the trims, its ends too, as on a face whose edges and vertices are all within that tolerance (where an
    // edge's tolerance is wider, it may not). Half that band is ours: a point near its edge, which rounding
    // puts on either side, is the kernel's to decide.
    constexpr double kOn = 0.005 * kGeomTol;
    if (!tight_ || piece.slack > 0) return false;
    if (!piece.arc) return withinOfSegment(p, piece.a, piece.b, kOn);
    const double dx = p[0] - piece.c[0], dy = p[1] - piece.c[1];
    return piece.holdsAngle(dx * piece.y[0] + dy * piece.y[1], dx * piece.x[0] + dy * piece.x[1]) &&
           withinOfCircle(dx, dy, piece.r, kOn);
}

int FaceProjector::crossings(WIRE& w, double u, double v, double du, double dv) {
    // Along +u, the first ray tried, the products by the direction's 1 and 0 are left out: the same values,
    // but for the sign of a zero, which no test here tells.
    return du == 1 && dv == 0 ? countCrossings<true>(w, u, v, du, dv) : countCrossings<false>(w, u, v, du, dv);
}

template <bool kAlongU>
int FaceProjector::countCrossings(WIRE& w, double u, double v, double du, double dv) {
    int count = 0;
    // Where a point lies across the ray (signed) and along it.
    auto across = [&](const double q[2]) {
        if constexpr (kAlongU) return q[1] - v;
        else return du * (q[1] - v) - dv * (q[0] - u);
    };
    auto along = [&](const double q[2]) {
        if constexpr (kAlongU) return q[0] - u;
        else return du * (q[0] - u) + dv * (q[1] - v);
    };
    // A box wholly to one side of the ray beyond the margin, or wholly behind its start, holds no crossing
    // and no trim vertex near the ray; along +u its sides tell it at once, as the corners would.
    auto clearOfRay = [&](const UvBox& box) {
        if constexpr (kAlongU) return box.vMin - v > margin_ || box.vMax - v < -margin_ || box.uMax - u < 0;
        double least = 1e300, most = -1e300, ahead = -1e300;
        for (double cu : {box.uMin, box.uMax})
            for (double cv : {box.vMin, box.vMax}) {
                const double q[2] = {cu, cv};
                least = std::min(least, across(q));
                most = std::max(most, across(q));
                ahead = std::max(ahead, along(q));
            }
        return least > margin_ || most < -margin_ || ahead < 0;
    };
    for (std::size_t c = w.chunkFrom; c < w.chunkEnd; ++c) {
        const CHUNK& chunk = chunks_[c];
        if (clearOfRay(chunk.box)) continue;
        for (std::size_t k = chunk.first; k < chunk.end; ++k) {
            // A piece whose box keeps to one side of the ray's line beyond the margin gives nothing; along
            // +u that is read from its box alone. (A box behind the start is not passed over: an arc there
            // the line touches is unsure as the others are.)
            if constexpr (kAlongU) {
                const UvBox& box = boxes_[k];
                if (box.vMin - v > margin_ || box.vMax - v < -margin_) continue;
            }
            const PIECE& piece = pieces_[k];
            if (piece.later >= 0) {
                const TRIM& t = trims_[static_cast<std::size_t>(piece.later)];
                if (clearOfRay(t.box) || std::all_of(t.spans.begin(), t.spans.end(), clearOfRay)) continue;
                readPolyline(w, k);
                return crossings(w, u, v, du, dv);
            }
            const double ha = across(piece.a), hb = across(piece.b);
            if ((std::fabs(ha) <= margin_ && along(piece.a) > 0) || (std::fabs(hb) <= margin_ && along(piece.b) > 0))
                return -1;
            if (!piece.arc) {
                if ((ha > 0) == (hb > 0)) continue;
                const double s = along(piece.a) + ha / (ha - hb) * (along(piece.b) - along(piece.a));
                if (s > 0) ++count;
                continue;
            }
            // |p + s d - c|^2 = r^2 for s > 0.
            const double pc[2] = {u - piece.c[0], v - piece.c[1]};
            const double b = du * pc[0] + dv * pc[1];
            const double disc = b * b - (pc[0] * pc[0] + pc[1] * pc[1] - piece.r * piece.r);
            if (disc < 0) continue;
            const double root = std::sqrt(disc);
            if (root <= margin_) return -1;
            for (double s : {-b - root, -b + root}) {
                if (!(s > 0)) continue;
                const double qx = pc[0] + s * du, qy = pc[1] + s * dv;
                if (piece.holdsAngle(qx * piece.y[0] + qy * piece.y[1], qx * piece.x[0] + qy * piece.x[1])) ++count;
            }
        }
    }
    return count;
}

void FaceProjector::askKernel(const gp_Lin& line, double reach, std::vector<int>& wires, std::vector<FaceHit>& hits) {
    lastAskedKernel_ = true;
    // The checks ask some lines again (a probe of one stage, a ray of the next): the kernel's answer, which
    // depends on the line alone, is kept for the last few.
    const gp_Pnt& o = line.Location();
    const gp_Dir& d = line.Direction();
    const std::array<double, 6> key{o.X(), o.Y(), o.Z(), d.X(), d.Y(), d.Z()};
    if (!kernel_) {
        kernel_ = std::make_unique<KERNEL>();
        for (int i = 0; i < static_cast<int>(wires_.size()); ++i)
            if (wires_[static_cast<std::size_t>(i)].kept) kernel_->keptWires.push_back(i);
    }
    KERNEL& kernel = *kernel_;
    std::array<ASKED, 8>& asked = kernel.asked;
    for (std::size_t k = 0; k < kernel.askedCount; ++k)
        if (std::memcmp(asked[k].line.data(), key.data(), sizeof key) == 0) {
            hits.insert(hits.end(), asked[k].hits.begin(), asked[k].hits.end());
            return;
        }
    const std::size_t before = hits.size();
    askKernelAnew(line, reach, wires, hits);
    ASKED& kept = asked[kernel.askedNext];
    kernel.askedNext = (kernel.askedNext + 1) % asked.size();
    kernel.askedCount = std::min(kernel.askedCount + 1, asked.size());
    kept.line = key;
    kept.hits.assign(hits.begin() + static_cast<std::ptrdiff_t>(before), hits.end());
}

void FaceProjector::askKernelAnew(const gp_Lin& line, double reach, std::vector<int>& wires,
                                  std::vector<FaceHit>& hits) {
    // A curved face is asked whole: which of its wires is outer is not the boxes' to say.
    if (kind_ == SurfaceKind::Plane) {
        wires.insert(wires.end(), kernel_->keptWires.begin(), kernel_->keptWires.end());
        if (outer_ >= 0) wires.push_back(outer_);
        std::sort(wires.begin(), wires.end());
        wires.erase(std::unique(wires.begin(), wires.end()), wires.end());
    }
    if (kind_ != SurfaceKind::Plane || kernelOnly_ || outer_ < 0) {
        wires.clear();
        for (int i = 0; i < static_cast<int>(wires_.size()); ++i) wires.push_back(i);
    }
    auto& intersectors = kernel_->reduced;
    auto found = std::find_if(intersectors.begin(), intersectors.end(), [&](const auto& r) { return r.first == wires; });
    if (found != intersectors.end()) {
        intersectors.splice(intersectors.begin(), intersectors, found);
    } else {
        TopoDS_Face reduced = face_;
        if (wires.size() < wires_.size()) {
            reduced = TopoDS::Face(face_.EmptyCopied());
            BRep_Builder builder;
            for (int i : wires) builder.Add(reduced, wires_[static_cast<std::size_t>(i)].wire);
        }
        intersectors.emplace_front(wires, std::make_unique<IntCurvesFace_Intersector>(reduced, kGeomTol));
        if (intersectors.size() > kReducedFaces) intersectors.pop_back();
    }
    IntCurvesFace_Intersector& in = *intersectors.front().second;
    in.Perform(line, -reach, reach);
    if (!in.IsDone()) return;
    for (int i = 1; i <= in.NbPnt(); ++i) {
        if (in.State(i) != TopAbs_IN && in.State(i) != TopAbs_ON) continue;
        hits.push_back({toVec3(in.Pnt(i)), {in.UParameter(i), in.VParameter(i)}, in.WParameter(i)});
    }
}

void FaceProjector::askKernelWhole(const gp_Lin& line, double reach, std::vector<FaceHit>& hits) {
    holders_.clear();
    for (int i = 0; i < static_cast<int>(wires_.size()); ++i) holders_.push_back(i);
    askKernel(line, reach, holders_, hits);
}

void FaceProjector::addPolyline(std::vector<PIECE>& pieces, const Handle(Geom2d_Curve)& curve, double first,
                                double last, double target) {
    // Each span is halved until its points at a quarter, a half and three quarters lie within the target of
    // its chord; the slack is twice the largest such distance, so that a smooth trim stays within it. The
    // target is the margin or a thousandth of the trim's extent, whichever is larger: a point that
    // close to a trim is rare, and the kernel decides it.
    constexpr int kStart = 8, kDepth = 8;
    // The adaptor keeps a B-spline's current span ready: the points come mostly in order along the curve.
    const Geom2dAdaptor_Curve points(curve);
    auto at = [&](double t) { return points.Value(t); };
    // A span's ends and middle (once known); its quarters are its halves' middles. The points are taken
    // in the curve's order, so that the adaptor rebuilds its span's cache once per span of the curve.
    struct SPAN {
        double t0, t1;
        gp_Pnt2d p0, pm, p1;
        int depth;
        bool middleKnown;
    };
    auto middle = [](double t0, double t1) { return t0 + 0.5 * (t1 - t0); };
    std::vector<SPAN> stack;
    std::vector<std::pair<gp_Pnt2d, gp_Pnt2d>> chords;
    double worst = 0;
    std::array<gp_Pnt2d, kStart + 1> starts;
    std::array<double, kStart + 1> startAt;
    UvBox extent{1e300, -1e300, 1e300, -1e300};
    for (int i = 0; i <= kStart; ++i) {
        startAt[static_cast<std::size_t>(i)] = first + (last - first) * i / kStart;
        const gp_Pnt2d& p = starts[static_cast<std::size_t>(i)] = at(startAt[static_cast<std::size_t>(i)]);
        grow(extent, p.X(), p.Y());
    }
    target = std::max(target, 1e-3 * std::hypot(extent.uMax - extent.uMin, extent.vMax - extent.vMin));
    for (std::size_t i = kStart; i >= 1; --i)
        stack.push_back({startAt[i - 1], startAt[i], starts[i - 1], {}, starts[i], 0, false});
    while (!stack.empty()) {
        const SPAN span = stack.back();
        stack.pop_back();
        const double tm = middle(span.t0, span.t1);
        const gp_Pnt2d q1 = at(middle(span.t0, tm));
        const gp_Pnt2d pm = span.middleKnown ? span.pm : at(tm);
        const gp_Pnt2d q3 = at(middle(tm, span.t1));
        double deviation = 0;
        const double a[2] = {span.p0.X(), span.p0.Y()}, b[2] = {span.p1.X(), span.p1.Y()};
        for (const gp_Pnt2d* q : {&q1, &pm, &q3}) {
            const double dx = b[0] - a[0], dy = b[1] - a[1], len2 = dx * dx + dy * dy;
            double s = len2 > 0 ? ((q->X() - a[0]) * dx + (q->Y() - a[1]) * dy) / len2 : 0;
            s = std::clamp(s, 0.0, 1.0);
            deviation = std::max(deviation, std::hypot(q->X() - a[0] - s * dx, q->Y() - a[1] - s * dy));
        }
        if (deviation > target && span.depth < kDepth) {
            stack.push_back({tm, span.t1, pm, q3, span.p1, span.depth + 1, true});
            stack.push_back({span.t0, tm, span.p0, q1, pm, span.depth + 1, true});
            continue;
        }
        worst = std::max(worst, deviation);
        chords.emplace_back(span.p0, span.p1);
    }
    for (const auto& [p0, p1] : chords) {
        PIECE p;
        p.a[0] = p0.X(), p.a[1] = p0.Y(), p.b[0] = p1.X(), p.b[1] = p1.Y();
        p.slack = 2 * worst + 1e-12;
        pieces.push_back(p);
    }
}

bool FaceProjector::addBezierChords(std::vector<PIECE>& pieces, const Handle(Geom2d_BSplineCurve)& spline,
                                    double first, double last, double target) {
    // The curve over the range cut into its Bezier pieces, each halved until its control points lie within the
    // target of its chord. A piece lies in the hull of its control points, so within the farthest one's
    // distance of its chord: that is the chord's slack, a bound rather than a sampled guess. The target is the
    // margin or a thousandth of the control points' extent, whichever is larger, as a sampled polyline's.
    constexpr int kDepth = 8;
    if (first < spline->FirstParameter() || last > spline->LastParameter()) return false;
    struct BEZIER {
        BezierPoles<gp_XY> poles;
        int depth;
    };
    std::vector<BEZIER> stack;
    const std::size_t n = static_cast<std::size_t>(spline->Degree()) + 1;
    UvBox extent{1e300, -1e300, 1e300, -1e300};
    if (!bezierPieces(*spline, first, last, [&](const BezierPoles<gp_XY>& poles, double, double) {
            BEZIER& b = stack.emplace_back();
            b.depth = 0;
            b.poles = poles;
            for (std::size_t j = 0; j < n; ++j) grow(extent, poles[j].X(), poles[j].Y());
        }))
        return false;
    // Taken off the back: the first piece first.
    std::reverse(stack.begin(), stack.end());
    target = std::max(target, 1e-3 * std::hypot(extent.uMax - extent.uMin, extent.vMax - extent.vMin));
    while (!stack.empty()) {
        BEZIER b = stack.back();
        stack.pop_back();
        const gp_XY a = b.poles[0], e = b.poles[n - 1];
        const double dx = e.X() - a.X(), dy = e.Y() - a.Y(), len2 = dx * dx + dy * dy;
        double bound2 = 0;
        for (std::size_t i = 1; i + 1 < n; ++i) {
            const gp_XY& q = b.poles[i];
            const double s = std::clamp(len2 > 0 ? ((q.X() - a.X()) * dx + (q.Y() - a.Y()) * dy) / len2 : 0, 0.0, 1.0);
            const double ex = q.X() - a.X() - s * dx, ey = q.Y() - a.Y() - s * dy;
            bound2 = std::max(bound2, ex * ex + ey * ey);
        }
        if (bound2 > target * target && b.depth < kDepth) {
            BEZIER left, right;
            left.depth = right.depth = b.depth + 1;
            cutBezier(b.poles, n, 0.5, &left.poles, &right.poles);
            stack.push_back(right);
            stack.push_back(left);
            continue;
        }
        PIECE p;
        p.a[0] = a.X(), p.a[1] = a.Y(), p.b[0] = e.X(), p.b[1] = e.Y();
        // Rounded up, as the root of the square may round down.
        p.slack = std::sqrt(bound2) * (1 + 1e-12) + 1e-12;
        pieces.push_back(p);
    }
    return true;
}

const gp_Dir& FaceProjector::unitDirection(const Vec3& direction) {
    if (std::memcmp(direction.data(), direction_.data(), sizeof direction_) != 0) {
        unit_ = gp_Dir(direction[0], direction[1], direction[2]);
        direction_ = direction;
    }
    return unit_;
}

void FaceProjector::intersect(const gp_Lin& line, std::vector<FaceHit>& hits) {
    lastAskedKernel_ = false;
    // Most faces tried are missed by every line: their trims are read on the first line that meets the box.
    if (!meetsBox(line)) return;
    if (!prepared_) prepare();
    if (kind_ == SurfaceKind::Plane) intersectPlane(line, hits);
    else intersectCurved(line, hits);
}

void FaceProjector::intersectPlane(const gp_Lin& line, std::vector<FaceHit>& hits) {
    // Most lines start near the plane, inside any reach: the reach is worked out only past its least.
    auto reach = [&] { return lineReach(box_, toVec3(line.Location())); };
    // The line's parameter as the kernel's intersector works it out, from the plane's equation: on a plane
    // across the world's axes, as a placed face's is, any other order of the same sums differs in the last
    // bits.
    double a, b, c, d0;
    std::get<gp_Pln>(surface_).Coefficients(a, b, c, d0);
    const gp_Dir& d = line.Direction();
    const gp_Pnt& o = line.Location();
    const double along = a * d.X() + b * d.Y() + c * d.Z();
    if (std::fabs(along) < 1e-12) return askKernelWhole(line, reach(), hits);
    const double t = -(a * o.X() + b * o.Y() + c * o.Z() + d0) / along;
    if (std::fabs(t) > nearReach_ && std::fabs(t) > reach()) return;
    const gp_Pnt hit(o.XYZ() + t * d.XYZ());
    const gp_Pnt inPlane = hit.Transformed(toPlane_);
    const double u = inPlane.X(), v = inPlane.Y();
    switch (side(u, v, holders_)) {
    case Side::In:
    case Side::On: hits.push_back(FaceHit{toVec3(hit), {u, v}, t}); return;
    case Side::Out: return;
    case Side::Near: return askKernel(line, reach(), holders_, hits);
    }
}

bool FaceProjector::meetsBox(const gp_Lin& line) const { return !boxed_ || lineMeets(line, grownBox_); }

bool FaceProjector::meetsSpans(const gp_Lin& line) {
    // The surface's own spans first; a span is cut finer on the first line that meets it.
    if (!spline_ || spline_->spans.empty()) return true;
    for (SPAN& span : spline_->spans) {
        if (!lineMeets(line, span.box)) continue;
        if (!span.cut) cutSpan(span);
        // A span that could not be cut keeps its own box.
        if (span.patches.empty() ||
            std::any_of(span.patches.begin(), span.patches.end(), [&](const Box3& box) { return lineMeets(line, box); }))
            return true;
    }
    return false;
}

FaceProjector::Side FaceProjector::inBounds(double& u, double& v) const {
    // As the kernel's intersector appends a point: into the period from the box's first parameter, and
    // refused beyond the box by more than its tangency tolerance (a hair below ours); a point in the box is
    // kept.
    if (uPeriodic_) u = ElCLib::InPeriod(u, bounds_.uMin, bounds_.uMin + uPeriod_);
    if (vPeriodic_) v = ElCLib::InPeriod(v, bounds_.vMin, bounds_.vMin + vPeriod_);
    constexpr double kHair = 1e-6;
    if (u < bounds_.uMin - kHair || u > bounds_.uMax + kHair || v < bounds_.vMin - kHair || v > bounds_.vMax + kHair)
        return Side::Out;
    if (u < bounds_.uMin || u > bounds_.uMax || v < bounds_.vMin || v > bounds_.vMax) return Side::Near;
    return Side::In;
}

void FaceProjector::intersectCurved(const gp_Lin& line, std::vector<FaceHit>& hits) {
    // Most hits lie within the least reach of any line: the line's own is worked out only past it.
    double reachOfLine = -1;
    auto reach = [&] {
        if (reachOfLine < 0) reachOfLine = lineReach(box_, toVec3(line.Location()));
        return reachOfLine;
    };
    if (!exactHits_) return meetsSpans(line) ? askKernelWhole(line, reach(), hits) : void();
    // The surface's points as the kernel's intersector finds them on a line.
    double w[4], us[4], vs[4];
    int count = 0;
    if (kind_ == SurfaceKind::Torus) {
        const IntAna_IntLinTorus torusHits(line, std::get<gp_Torus>(surface_));
        if (!torusHits.IsDone()) return askKernelWhole(line, reach(), hits);
        count = std::min(torusHits.NbPoints(), 4);
        for (int i = 0; i < count; ++i) {
            w[i] = torusHits.ParamOnLine(i + 1);
            torusHits.ParamOnTorus(i + 1, us[i], vs[i]);
        }
    } else {
        const IntAna_IntConicQuad quadricHits(line, *quadric_);
        if (!quadricHits.IsDone() || quadricHits.IsInQuadric() || quadricHits.IsParallel())
            return askKernelWhole(line, reach(), hits);
        count = std::min(quadricHits.NbPoints(), 4);
        for (int i = 0; i < count; ++i) {
            const gp_Pnt& p = quadricHits.Point(i + 1);
            w[i] = quadricHits.ParamOnConic(i + 1);
            switch (kind_) {
            case SurfaceKind::Cylinder: {
                // ElSLib's cylinder parameters, with the axes' transformation made once rather than per point.
                const gp_Pnt local = p.Transformed(toPlane_);
                us[i] = std::atan2(local.Y(), local.X());
                if (us[i] < -1e-16) us[i] += kTwoPi;
                else if (us[i] < 0) us[i] = 0;
                vs[i] = local.Z();
                break;
            }
            case SurfaceKind::Cone: ElSLib::Parameters(std::get<gp_Cone>(surface_), p, us[i], vs[i]); break;
            default: ElSLib::Parameters(std::get<gp_Sphere>(surface_), p, us[i], vs[i]); break;
            }
        }
    }
    const std::size_t before = hits.size();
    for (int i = 0; i < count; ++i) {
        Side side = inBounds(us[i], vs[i]);
        if (side == Side::In) side = this->side(us[i], vs[i], holders_);
        if (side == Side::Out || !(std::fabs(w[i]) <= nearReach_ || (w[i] >= -reach() && w[i] <= reach()))) continue;
        if (side == Side::Near) {
            hits.resize(before);
            return askKernelWhole(line, reach(), hits);
        }
        hits.push_back({toVec3(ElCLib::Value(w[i], line)), {us[i], vs[i]}, w[i]});
    }
}

}  // namespace host
