// FaceProjector (face_projector.h). The side of a point is decided here only when it lies clearly inside a
// round hole of the face, or farther than the margin (ten times the face's largest edge or vertex
// tolerance) from every trim that can matter with one of a few rays from it passing clear of every trim
// vertex and tangent to count the crossings; the kernel decides the rest.
#include "host/geom/face_projector.h"

#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Geom2d_Circle.hxx>
#include <Geom2d_Line.hxx>
#include <Geom2d_TrimmedCurve.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Vertex.hxx>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "host/geom/occt_impl.h"

namespace host {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr std::size_t kReducedFaces = 8;
constexpr int kMaxCells = 256;

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

FaceProjector::FaceProjector(const TopoDS_Face& face, const gp_Pln& plane, const Box3& box)
    : face_(face), plane_(plane), box_(box),
      nearReach_(boxDiagonal(box) + 1.0) {
    // What ElSLib::PlaneParameters builds for every point.
    toPlane_.SetTransformation(plane_.Position());
    double maxEdge = 0, maxVertex = 0;
    std::vector<std::pair<double, double>> wireTols;
    for (TopoDS_Iterator it(face); it.More(); it.Next()) {
        if (it.Value().ShapeType() != TopAbs_WIRE) continue;
        WIRE& w = wires_.emplace_back();
        w.wire = TopoDS::Wire(it.Value());
        double edgeTol = 0, vertexTol = 0;
        for (TopExp_Explorer ex(w.wire, TopAbs_EDGE); ex.More(); ex.Next())
            edgeTol = std::max(edgeTol, BRep_Tool::Tolerance(TopoDS::Edge(ex.Current())));
        for (TopExp_Explorer ex(w.wire, TopAbs_VERTEX); ex.More(); ex.Next())
            vertexTol = std::max(vertexTol, BRep_Tool::Tolerance(TopoDS::Vertex(ex.Current())));
        wireTols.emplace_back(edgeTol, vertexTol);
        maxEdge = std::max(maxEdge, edgeTol);
        maxVertex = std::max(maxVertex, vertexTol);
    }
    margin_ = 10 * std::max({maxEdge, maxVertex, kGeomTol, BRep_Tool::Tolerance(face)});
    for (std::size_t i = 0; i < wires_.size(); ++i)
        if (wireTols[i].first == maxEdge || wireTols[i].second == maxVertex) keepWires_.push_back(static_cast<int>(i));

    // The outer wire is picked as the kernel's BRepTools::OuterWire picks it, from the boxes taken here
    // anyway: the first wire, replaced by each later one whose box holds the one picked so far.
    UvBox outerBounds{};
    for (WIRE& w : wires_) {
        for (TopExp_Explorer ex(w.wire, TopAbs_EDGE); ex.More(); ex.Next()) {
            const TopoDS_Edge& edge = TopoDS::Edge(ex.Current());
            double f = 0, l = 0;
            Handle(Geom2d_Curve) curve = BRep_Tool::CurveOnSurface(edge, face_, f, l);
            while (!curve.IsNull() && curve->IsKind(STANDARD_TYPE(Geom2d_TrimmedCurve)))
                curve = Handle(Geom2d_TrimmedCurve)::DownCast(curve)->BasisCurve();
            if (curve.IsNull() || !(l > f)) {
                w.exact = false;
                continue;
            }
            if (Handle(Geom2d_Line) line = Handle(Geom2d_Line)::DownCast(curve); !line.IsNull()) {
                PIECE p;
                const gp_Pnt2d a = line->Value(f), b = line->Value(l);
                p.a[0] = a.X(), p.a[1] = a.Y(), p.b[0] = b.X(), p.b[1] = b.Y();
                w.pieces.push_back(p);
            } else if (Handle(Geom2d_Circle) circle = Handle(Geom2d_Circle)::DownCast(curve); !circle.IsNull()) {
                const gp_Ax22d axes = circle->Position();
                PIECE p;
                p.arc = true;
                p.r = circle->Radius();
                p.c[0] = axes.Location().X(), p.c[1] = axes.Location().Y();
                p.x[0] = axes.XDirection().X(), p.x[1] = axes.XDirection().Y();
                p.y[0] = axes.YDirection().X(), p.y[1] = axes.YDirection().Y();
                p.t0 = f;
                p.t1 = l;
                p.fullTurn = p.t0 + kTwoPi <= p.t1;
                p.middle[0] = std::cos(0.5 * (p.t0 + p.t1)), p.middle[1] = std::sin(0.5 * (p.t0 + p.t1));
                p.halfCosine = std::cos(0.5 * (p.t1 - p.t0));
                const gp_Pnt2d a = circle->Value(f), b = circle->Value(l);
                p.a[0] = a.X(), p.a[1] = a.Y(), p.b[0] = b.X(), p.b[1] = b.Y();
                w.pieces.push_back(p);
            } else {
                w.exact = false;
            }
        }
        double u0, u1, v0, v1;
        BRepTools::UVBounds(face_, w.wire, u0, u1, v0, v1);
        const int index = static_cast<int>(&w - wires_.data());
        if (index == 0 || (u0 <= outerBounds.uMin && u1 >= outerBounds.uMax && v0 <= outerBounds.vMin &&
                           v1 >= outerBounds.vMax)) {
            outer_ = index;
            outerBounds = {u0, u1, v0, v1};
        }
        w.box = {u0 - margin_, u1 + margin_, v0 - margin_, v1 + margin_};
        // The bounds come from the kernel's boxes of the curves; the pieces' own ends make sure of them.
        for (const PIECE& p : w.pieces)
            for (const double* end : {p.a, p.b}) {
                grow(w.box, end[0] - margin_, end[1] - margin_);
                grow(w.box, end[0] + margin_, end[1] + margin_);
            }
    }

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
        if (w.exact && w.pieces.size() == 1 && w.pieces[0].fullTurn && w.pieces[0].r > margin_) {
            const PIECE& circle = w.pieces[0];
            entry.centre[0] = circle.c[0], entry.centre[1] = circle.c[1];
            entry.clearSquared = (circle.r - margin_) * (circle.r - margin_) * (1 - 1e-9);
        }
        for (int cu = s.u0; cu <= s.u1; ++cu)
            for (int cv = s.v0; cv <= s.v1; ++cv)
                cellWires_[next[static_cast<std::size_t>(cu * cellsV_ + cv)]++] = entry;
    }
}

FaceProjector::Side FaceProjector::side(double u, double v, std::vector<int>& holders) const {
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

FaceProjector::Side FaceProjector::sideOfWires(double u, double v, const std::vector<int>& wires) const {
    const double p[2] = {u, v};
    for (int i : wires) {
        const WIRE& w = wires_[static_cast<std::size_t>(i)];
        if (!w.exact) return Side::Near;
        for (const PIECE& piece : w.pieces) {
            bool near;
            if (!piece.arc) {
                near = withinOfSegment(p, piece.a, piece.b, margin_);
            } else {
                const double dx = u - piece.c[0], dy = v - piece.c[1];
                near = piece.holdsAngle(dx * piece.y[0] + dy * piece.y[1], dx * piece.x[0] + dy * piece.x[1])
                           ? withinOfCircle(dx, dy, piece.r, margin_)
                           : within(u - piece.a[0], v - piece.a[1], margin_) ||
                                 within(u - piece.b[0], v - piece.b[1], margin_);
            }
            if (near) return Side::Near;
        }
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

int FaceProjector::crossings(const WIRE& w, double u, double v, double du, double dv) const {
    int count = 0;
    // Where a point lies across the ray (signed) and along it.
    auto across = [&](const double q[2]) { return du * (q[1] - v) - dv * (q[0] - u); };
    auto along = [&](const double q[2]) { return du * (q[0] - u) + dv * (q[1] - v); };
    for (const PIECE& piece : w.pieces) {
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
    return count;
}

std::vector<FaceHit> FaceProjector::askKernel(const gp_Lin& line, double reach, std::vector<int> wires) {
    lastAskedKernel_ = true;
    wires.insert(wires.end(), keepWires_.begin(), keepWires_.end());
    if (outer_ >= 0) wires.push_back(outer_);
    std::sort(wires.begin(), wires.end());
    wires.erase(std::unique(wires.begin(), wires.end()), wires.end());
    if (kernelOnly_ || outer_ < 0) {
        wires.clear();
        for (int i = 0; i < static_cast<int>(wires_.size()); ++i) wires.push_back(i);
    }
    auto found = std::find_if(reduced_.begin(), reduced_.end(), [&](const auto& r) { return r.first == wires; });
    if (found != reduced_.end()) {
        reduced_.splice(reduced_.begin(), reduced_, found);
    } else {
        TopoDS_Face reduced = face_;
        if (wires.size() < wires_.size()) {
            reduced = TopoDS::Face(face_.EmptyCopied());
            BRep_Builder builder;
            for (int i : wires) builder.Add(reduced, wires_[static_cast<std::size_t>(i)].wire);
        }
        reduced_.emplace_front(wires, std::make_unique<IntCurvesFace_Intersector>(reduced, kGeomTol));
        if (reduced_.size() > kReducedFaces) reduced_.pop_back();
    }
    IntCurvesFace_Intersector& in = *reduced_.front().second;
    std::vector<FaceHit> hits;
    in.Perform(line, -reach, reach);
    if (!in.IsDone()) return hits;
    for (int i = 1; i <= in.NbPnt(); ++i) {
        if (in.State(i) != TopAbs_IN && in.State(i) != TopAbs_ON) continue;
        hits.push_back({toVec3(in.Pnt(i)), {in.UParameter(i), in.VParameter(i)}, in.WParameter(i)});
    }
    return hits;
}

const gp_Dir& FaceProjector::unitDirection(const Vec3& direction) {
    if (std::memcmp(direction.data(), direction_.data(), sizeof direction_) != 0) {
        unit_ = gp_Dir(direction[0], direction[1], direction[2]);
        direction_ = direction;
    }
    return unit_;
}

std::vector<FaceHit> FaceProjector::intersect(const gp_Lin& line) {
    lastAskedKernel_ = false;
    // Most lines start near the plane, inside any reach: the reach is worked out only past its least.
    auto reach = [&] { return lineReach(box_, toVec3(line.Location())); };
    const gp_Dir& d = line.Direction();
    const gp_Dir& n = plane_.Axis().Direction();
    const double along = n.Dot(d);
    std::vector<int>& holders = holders_;
    if (std::fabs(along) < 1e-12) {
        holders.clear();
        for (int i = 0; i < static_cast<int>(wires_.size()); ++i) holders.push_back(i);
        return askKernel(line, reach(), holders);
    }
    const gp_Pnt& o = line.Location();
    const gp_XYZ toPlane = plane_.Location().XYZ() - o.XYZ();
    const double t = n.XYZ().Dot(toPlane) / along;
    if (std::fabs(t) > nearReach_ && std::fabs(t) > reach()) return {};
    const gp_Pnt hit(o.XYZ() + t * d.XYZ());
    const gp_Pnt inPlane = hit.Transformed(toPlane_);
    const double u = inPlane.X(), v = inPlane.Y();
    switch (side(u, v, holders)) {
    case Side::In: return {FaceHit{toVec3(hit), {u, v}, t}};
    case Side::Out: return {};
    case Side::Near: return askKernel(line, reach(), holders);
    }
    return {};
}

}  // namespace host
