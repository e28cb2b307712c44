// The part builder on the kernel. Every face carries a tag (the hole it belongs to, its colour) that is
// carried through each boolean and fillet by the operation's history, so the built part knows its hole
// faces without guessing from geometry. A hole is cut with a solid of revolution of its half section,
// drawn in a frame whose z runs up the axis (out of the hole) from the entry point.
#include "host/builder/part_builder.h"

#include <dlfcn.h>

#include <BRepAdaptor_Curve.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepTools.hxx>
#include <BRepTools_Modification.hxx>
#include <BRepTools_Modifier.hxx>
#include <BRep_Tool.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepBuilderAPI_MakeShape.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakeSphere.hxx>
#include <BRepPrimAPI_MakeTorus.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <Geom2d_Curve.hxx>
#include <Geom_ConicalSurface.hxx>
#include <IntCurvesFace_ShapeIntersector.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_DataMapOfShapeReal.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopLoc_Location.hxx>
#include <gp_Ax2.hxx>
#include <gp_Circ.hxx>
#include <gp_Lin.hxx>
#include <gp_Vec2d.hxx>
#include <gp_Trsf.hxx>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>

#include "host/fillet/make_fillet.h"
#include "host/geom/occt_impl.h"

namespace host::builder {
namespace {

constexpr double kPi = std::numbers::pi;

struct Tag {
    TopoDS_Shape face;
    int hole = -1;
    int colour = kNoColour;
};

gp_Dir unit(const Vec3& v) { return gp_Dir(v[0], v[1], v[2]); }

// A direction across the axis, the same for the same axis.
gp_Dir across(const gp_Dir& axis) {
    gp_Dir candidates[3] = {gp::DX(), gp::DY(), gp::DZ()};
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (std::abs(axis.Dot(candidates[i])) < std::abs(axis.Dot(candidates[best]))) best = i;
    return gp_Dir(axis.Crossed(candidates[best]));
}

void tagFaces(std::vector<Tag>& tags, const TopoDS_Shape& shape, int hole, int colour) {
    for (TopExp_Explorer ex(shape, TopAbs_FACE); ex.More(); ex.Next()) tags.push_back({ex.Current(), hole, colour});
}

// Carries the tags through one operation and keeps those whose face is in its result.
template <class Op>
void follow(std::vector<Tag>& tags, Op& op, const TopoDS_Shape& result) {
    TopTools_IndexedMapOfShape inResult;
    TopExp::MapShapes(result, TopAbs_FACE, inResult);
    std::vector<Tag> next;
    for (const Tag& t : tags) {
        if (op.IsDeleted(t.face)) continue;
        const TopTools_ListOfShape& modified = op.Modified(t.face);
        if (modified.IsEmpty()) {
            if (inResult.Contains(t.face)) next.push_back(t);
            continue;
        }
        for (const TopoDS_Shape& m : modified)
            if (m.ShapeType() == TopAbs_FACE && inResult.Contains(m)) next.push_back({m, t.hole, t.colour});
    }
    tags = std::move(next);
}

std::vector<TopoDS_Edge> circleEdges(const TopoDS_Shape& shape, const gp_Pnt& centre, const gp_Dir& axis,
                                     double radius) {
    std::vector<TopoDS_Edge> edges;
    TopTools_IndexedMapOfShape map;
    TopExp::MapShapes(shape, TopAbs_EDGE, map);
    for (int i = 1; i <= map.Extent(); ++i) {
        TopoDS_Edge e = TopoDS::Edge(map(i));
        BRepAdaptor_Curve c(e);
        if (c.GetType() != GeomAbs_Circle) continue;
        gp_Circ circ = c.Circle();
        if (circ.Location().Distance(centre) < 1e-6 && std::abs(circ.Radius() - radius) < 1e-6 &&
            circ.Axis().Direction().IsParallel(axis, 1e-6))
            edges.push_back(e);
    }
    return edges;
}

// Fuses `shape` to the body, its faces tagged as the stock's; false when the kernel cannot.
bool joinToStock(TopoDS_Shape& body, std::vector<Tag>& tags, const TopoDS_Shape& shape, int colour) {
    tagFaces(tags, shape, -1, colour);
    BRepAlgoAPI_Fuse fuse(body, shape);
    if (!fuse.IsDone()) return false;
    follow(tags, fuse, fuse.Shape());
    body = fuse.Shape();
    return true;
}

// Rounds the given edges; the new faces get the tag of `hole` and `colour`.
// The fillet library's maker, loaded on first use from beside the host library; null when it cannot be.
MakeFilletFn filletMaker() {
    static const MakeFilletFn maker = []() -> MakeFilletFn {
        Dl_info info{};
        std::string path = kFilletLibrary;
        if (dladdr(reinterpret_cast<const void*>(&filletMaker), &info) != 0 && info.dli_fname)
            path = (std::filesystem::path(info.dli_fname).parent_path() / kFilletLibrary).string();
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        return library ? reinterpret_cast<MakeFilletFn>(dlsym(library, kMakeFilletSymbol)) : nullptr;
    }();
    return maker;
}

bool fillet(TopoDS_Shape& body, std::vector<Tag>& tags, const std::vector<TopoDS_Edge>& edges, double radius,
            int hole, int colour) {
    const MakeFilletFn make = filletMaker();
    if (!make) return false;
    const std::unique_ptr<BRepBuilderAPI_MakeShape> made(make(body, edges.data(), edges.size(), radius));
    BRepBuilderAPI_MakeShape& mk = *made;
    if (!mk.IsDone()) return false;
    TopoDS_Shape result = mk.Shape();
    std::vector<Tag> generated;
    for (const TopoDS_Edge& e : edges)
        for (const TopoDS_Shape& g : mk.Generated(e))
            if (g.ShapeType() == TopAbs_FACE) generated.push_back({g, hole, colour});
    follow(tags, mk, result);
    TopTools_IndexedMapOfShape inResult;
    TopExp::MapShapes(result, TopAbs_FACE, inResult);
    for (Tag& g : generated)
        if (inResult.Contains(g.face)) tags.push_back(std::move(g));
    body = result;
    return true;
}

// Distance along the axis from the entry to where it first leaves the body; 0 when it never does.
double exitDistance(const TopoDS_Shape& body, const gp_Pnt& entry, const gp_Dir& dir, double reach) {
    IntCurvesFace_ShapeIntersector in;
    in.Load(body, kGeomTol);
    in.Perform(gp_Lin(entry, dir), -1.0, reach);
    if (!in.IsDone()) return 0;
    double best = 0;
    for (int i = 1; i <= in.NbPnt(); ++i) {
        double w = in.WParameter(i);
        if (w > 1e-4 && (best == 0 || w < best)) best = w;
    }
    return best;
}

// The half section of the cutter: (radius, z) corners, z up the axis from the entry.
std::vector<std::pair<double, double>> cutterSection(const HoleSpec& h, double margin) {
    std::vector<std::pair<double, double>> pts;
    auto add = [&](double r, double z) {
        if (pts.empty() || std::abs(pts.back().first - r) > 1e-12 || std::abs(pts.back().second - z) > 1e-12)
            pts.emplace_back(r, z);
    };
    add(0, margin);
    add(h.segments.front().topDiameter / 2, margin);
    double z = 0;
    for (std::size_t i = 0; i < h.segments.size(); ++i) {
        const HoleSegment& s = h.segments[i];
        bool runOut = h.through && i + 1 == h.segments.size();
        add(s.topDiameter / 2, z);
        z -= s.length + (runOut ? margin : 0);
        add(s.bottomDiameter / 2, z);
    }
    add(0, z);
    return pts;
}

// The cutter turned about the hole's axis over [start, start + sweep].
TopoDS_Shape cutter(const HoleSpec& h, double margin, double start, double sweep) {
    gp_Pnt entry = toPnt(h.entry);
    gp_Dir up = unit(h.direction).Reversed();
    gp_Dir x = across(up);
    BRepBuilderAPI_MakePolygon poly;
    for (const auto& [r, z] : cutterSection(h, margin))
        poly.Add(entry.Translated(gp_Vec(x) * r + gp_Vec(up) * z));
    poly.Close();
    TopoDS_Shape face = BRepBuilderAPI_MakeFace(poly.Wire(), true).Face();
    gp_Ax1 axis(entry, up);
    if (start != 0) {
        gp_Trsf rot;
        rot.SetRotation(axis, start);
        face = BRepBuilderAPI_Transform(face, rot, true).Shape();
    }
    BRepPrimAPI_MakeRevol revol(face, axis, sweep);
    return revol.Shape();
}

// Moves each cone face's reference to the middle of the face's range along the generator: the same points,
// the parameter along the generator shifted by that middle, and the face's curves in (u, v) with it.
class ConeToMidFace : public BRepTools_Modification {
public:
    Standard_Boolean NewSurface(const TopoDS_Face& f, Handle(Geom_Surface)& s, TopLoc_Location& l, Standard_Real& tol,
                                Standard_Boolean& revWires, Standard_Boolean& revFace) override {
        const Handle(Geom_ConicalSurface) cone = Handle(Geom_ConicalSurface)::DownCast(BRep_Tool::Surface(f, l));
        const double shift = shiftOf(f);
        if (cone.IsNull() || shift == 0) return false;
        Handle(Geom_ConicalSurface) moved = Handle(Geom_ConicalSurface)::DownCast(cone->Copy());
        moved->SetLocation(cone->Location().Translated(gp_Vec(cone->Axis().Direction()) * shift *
                                                       std::cos(cone->SemiAngle())));
        moved->SetRadius(cone->RefRadius() + shift * std::sin(cone->SemiAngle()));
        s = moved;
        tol = BRep_Tool::Tolerance(f);
        revWires = revFace = false;
        return true;
    }
    Standard_Boolean NewCurve(const TopoDS_Edge&, Handle(Geom_Curve)&, TopLoc_Location&, Standard_Real&) override {
        return false;
    }
    Standard_Boolean NewPoint(const TopoDS_Vertex&, gp_Pnt&, Standard_Real&) override { return false; }
    Standard_Boolean NewCurve2d(const TopoDS_Edge& e, const TopoDS_Face& f, const TopoDS_Edge&, const TopoDS_Face&,
                                Handle(Geom2d_Curve)& c, Standard_Real& tol) override {
        const double shift = shiftOf(f);
        if (shift == 0) return false;
        double first = 0, last = 0;
        const Handle(Geom2d_Curve) on = BRep_Tool::CurveOnSurface(e, f, first, last);
        if (on.IsNull()) return false;
        c = Handle(Geom2d_Curve)::DownCast(on->Translated(gp_Vec2d(0, -shift)));
        tol = BRep_Tool::Tolerance(e);
        return true;
    }
    Standard_Boolean NewParameter(const TopoDS_Vertex&, const TopoDS_Edge&, Standard_Real&, Standard_Real&) override {
        return false;
    }
    GeomAbs_Shape Continuity(const TopoDS_Edge& e, const TopoDS_Face& f1, const TopoDS_Face& f2, const TopoDS_Edge&,
                             const TopoDS_Face&, const TopoDS_Face&) override {
        return BRep_Tool::Continuity(e, f1, f2);
    }

private:
    // The middle of a cone face's range along the generator; 0 for any other face.
    double shiftOf(const TopoDS_Face& f) {
        if (const double* known = shifts_.Seek(f)) return *known;
        TopLoc_Location l;
        double shift = 0;
        if (!Handle(Geom_ConicalSurface)::DownCast(BRep_Tool::Surface(f, l)).IsNull()) {
            double u0 = 0, u1 = 0, v0 = 0, v1 = 0;
            BRepTools::UVBounds(f, u0, u1, v0, v1);
            shift = (v0 + v1) / 2;
        }
        shifts_.Bind(f, shift);
        return shift;
    }
    TopTools_DataMapOfShapeReal shifts_;
};

std::string checkHole(const HoleSpec& h) {
    if (h.segments.empty()) return "has no segments";
    if (std::hypot(h.direction[0], h.direction[1], h.direction[2]) < 1e-9) return "has no direction";
    for (std::size_t i = 0; i < h.segments.size(); ++i) {
        const HoleSegment& s = h.segments[i];
        bool last = i + 1 == h.segments.size();
        if (s.topDiameter <= 0 || s.bottomDiameter < 0 || (s.bottomDiameter == 0 && !last))
            return "has a segment without a diameter";
        if (s.length <= 0 && !(last && h.through)) return "has a segment without a length";
    }
    if (h.through && !h.segments.back().isCylinder()) return "runs out with a cone";
    return {};
}

// A round bar or boss standing on its foot.
TopoDS_Shape roundBar(const BossSpec& b) {
    const gp_Dir dir = unit(b.direction);
    return BRepPrimAPI_MakeCylinder(gp_Ax2(toPnt(b.base), dir, across(dir)), b.diameter / 2, b.height).Shape();
}

bool isSingleSolid(const TopoDS_Shape& shape, TopoDS_Shape& solid) {
    int n = 0;
    for (TopExp_Explorer ex(shape, TopAbs_SOLID); ex.More(); ex.Next()) {
        solid = ex.Current();
        ++n;
    }
    return n == 1;
}

}  // namespace

PartBuilder PartBuilder::block(Vec3 size, Vec3 origin) {
    PartBuilder b;
    b.size_ = size;
    b.origin_ = origin;
    return b;
}

PartBuilder PartBuilder::bar(const BossSpec& bar) {
    PartBuilder b;
    b.bar_ = bar;
    return b;
}

PartBuilder& PartBuilder::conesReferencedMidFace() {
    conesMidFace_ = true;
    return *this;
}

PartBuilder& PartBuilder::box(Vec3 size, Vec3 origin) {
    boxes_.emplace_back(size, origin);
    return *this;
}

PartBuilder& PartBuilder::cut(Vec3 size, Vec3 origin) {
    cuts_.emplace_back(size, origin);
    return *this;
}

PartBuilder& PartBuilder::boss(const BossSpec& boss) {
    bosses_.push_back(boss);
    return *this;
}

PartBuilder& PartBuilder::hole(HoleSpec hole) {
    holes_.push_back(std::move(hole));
    return *this;
}

PartBuilder& PartBuilder::stockColour(int colour) {
    stockColour_ = colour;
    return *this;
}

PartBuilder& PartBuilder::roundStockEdges(double radius) {
    stockRounding_ = radius;
    return *this;
}

BuiltPart PartBuilder::build() const {
    BuiltPart part;
    part.holes = holes_;
    auto fail = [&](std::string why) {
        part.solid = {};
        part.error = std::move(why);
        part.holeFaces.clear();
        return part;
    };
    if (bar_ ? bar_->diameter <= 0 || bar_->height <= 0 : size_[0] <= 0 || size_[1] <= 0 || size_[2] <= 0)
        return fail("the stock has no volume");
    try {
        TopoDS_Shape body = bar_ ? roundBar(*bar_) : BRepPrimAPI_MakeBox(toPnt(origin_), size_[0], size_[1], size_[2]).Shape();
        std::vector<Tag> tags;
        tagFaces(tags, body, -1, stockColour_);
        if (stockRounding_ > 0) {
            TopTools_IndexedMapOfShape map;
            TopExp::MapShapes(body, TopAbs_EDGE, map);
            std::vector<TopoDS_Edge> edges;
            for (int i = 1; i <= map.Extent(); ++i) edges.push_back(TopoDS::Edge(map(i)));
            if (!fillet(body, tags, edges, stockRounding_, -1, stockColour_)) return fail("the stock cannot be rounded");
        }

        for (const auto& [size, origin] : boxes_) {
            if (size[0] <= 0 || size[1] <= 0 || size[2] <= 0) return fail("a box has no volume");
            if (!joinToStock(body, tags, BRepPrimAPI_MakeBox(toPnt(origin), size[0], size[1], size[2]).Shape(),
                             stockColour_))
                return fail("a box cannot be joined to the stock");
        }

        for (const BossSpec& b : bosses_) {
            if (b.diameter <= 0 || b.height <= 0) return fail("a boss has no size");
            if (!joinToStock(body, tags, roundBar(b), stockColour_)) return fail("a boss cannot be joined to the stock");
            const gp_Dir dir = unit(b.direction);
            if (b.rootFillet > 0) {
                auto edges = circleEdges(body, toPnt(b.base), dir, b.diameter / 2);
                if (edges.empty() || !fillet(body, tags, edges, b.rootFillet, -1, stockColour_))
                    return fail("a boss's foot cannot be rounded");
            }
        }

        const TopoDS_Shape beforeHoles = body;
        double extent = bar_ ? bar_->diameter + bar_->height : std::hypot(size_[0], size_[1], size_[2]);
        for (const auto& [size, origin] : boxes_) extent += std::hypot(size[0], size[1], size[2]);
        for (const BossSpec& b : bosses_) extent += b.height;

        for (std::size_t i = 0; i < part.holes.size(); ++i) {
            HoleSpec& h = part.holes[i];
            if (std::string why = checkHole(h); !why.empty()) return fail("hole " + h.name + " " + why);
            gp_Dir dir = unit(h.direction);
            h.direction = toVec3(dir);
            if (h.through) {
                double exit = exitDistance(beforeHoles, toPnt(h.entry), dir, 2 * extent);
                double above = h.depth() - h.segments.back().length;
                if (exit <= above + kGeomTol) return fail("hole " + h.name + " does not run out of the part");
                h.segments.back().length = exit - above;
            }
            double margin = 2.0 + h.segments.front().topDiameter;
            int hole = static_cast<int>(i);
            std::vector<std::pair<double, double>> halves = {{0.0, 2 * kPi}};
            if (h.splitWall) halves = {{0.0, kPi}, {kPi, kPi}};
            for (const auto& [start, sweep] : halves) {
                TopoDS_Shape tool = cutter(h, margin, start, sweep);
                tagFaces(tags, tool, hole, h.colour);
                BRepAlgoAPI_Cut cut(body, tool);
                if (!cut.IsDone()) return fail("hole " + h.name + " cannot be cut");
                follow(tags, cut, cut.Shape());
                body = cut.Shape();
            }
            if (h.entryFillet > 0) {
                auto edges = circleEdges(body, toPnt(h.entry), dir, h.segments.front().topDiameter / 2);
                if (edges.empty() || !fillet(body, tags, edges, h.entryFillet, hole, h.colour))
                    return fail("hole " + h.name + " cannot be rounded at its entry");
            }
        }

        for (const auto& [size, origin] : cuts_) {
            if (size[0] <= 0 || size[1] <= 0 || size[2] <= 0) return fail("a cut has no volume");
            BRepAlgoAPI_Cut cut(body, BRepPrimAPI_MakeBox(toPnt(origin), size[0], size[1], size[2]).Shape());
            if (!cut.IsDone()) return fail("a box cannot be cut out of the part");
            follow(tags, cut, cut.Shape());
            body = cut.Shape();
        }
        if (conesMidFace_) {
            BRepTools_Modifier moved(body, new ConeToMidFace);
            if (!moved.IsDone()) return fail("the cones cannot be referenced at their middles");
            for (Tag& t : tags) t.face = moved.ModifiedShape(t.face);
            body = moved.ModifiedShape(body);
        }
        TopoDS_Shape solid;
        if (!isSingleSolid(body, solid)) return fail("the part falls apart into several solids");
        TopTools_IndexedMapOfShape faces;
        TopExp::MapShapes(solid, TopAbs_FACE, faces);
        std::vector<int> colours(faces.Extent(), kNoColour);
        part.holeFaces.assign(part.holes.size(), {});
        for (int f = 1; f <= faces.Extent(); ++f) {
            auto t = std::find_if(tags.begin(), tags.end(), [&](const Tag& tag) { return tag.face.IsSame(faces(f)); });
            if (t == tags.end()) continue;
            colours[f - 1] = t->colour;
            if (t->hole >= 0) part.holeFaces[t->hole].push_back(f - 1);
        }
        part.solid = makeSolidGeom(solid, std::move(colours));
        if (part.solid.empty() || static_cast<int>(part.solid.faces().size()) != faces.Extent())
            return fail("the kernel cannot read back the built part");
    } catch (const Standard_Failure& e) {
        return fail(std::string("the kernel failed: ") + e.GetMessageString());
    }
    return part;
}

BuiltPart ballPart(const Vec3& centre, double diameter) {
    BuiltPart part;
    part.solid = makeSolidGeom(BRepPrimAPI_MakeSphere(toPnt(centre), diameter / 2).Shape());
    if (!part.ok()) part.error = "the ball cannot be made";
    return part;
}

BuiltPart ringPart(const Vec3& centre, const Vec3& axis, double major, double minor) {
    BuiltPart part;
    const gp_Dir dir = unit(axis);
    part.solid = makeSolidGeom(BRepPrimAPI_MakeTorus(gp_Ax2(toPnt(centre), dir, across(dir)), major, minor).Shape());
    if (!part.ok()) part.error = "the ring cannot be made";
    return part;
}

BuiltPart placedPart(const BuiltPart& part, const Vec3& point, const Vec3& axis, double angle, const Vec3& shift) {
    if (!part.ok()) return part;
    gp_Trsf turn, move;
    turn.SetRotation(gp_Ax1(toPnt(point), unit(axis)), angle);
    move.SetTranslation(gp_Vec(shift[0], shift[1], shift[2]));
    const gp_Trsf place = move * turn;
    BuiltPart placed = part;
    placed.solid = makeSolidGeom(occtShape(part.solid).Moved(TopLoc_Location(place)), part.solid.faceColours());
    if (!placed.ok()) placed.error = "the placed part cannot be read";
    for (HoleSpec& h : placed.holes) {
        h.entry = toVec3(toPnt(h.entry).Transformed(place));
        h.direction = toVec3(unit(h.direction).Transformed(place));
    }
    return placed;
}

}  // namespace host::builder
