// Solids made and changed by the host's modelling commands: a closed profile of lines revolved into a body,
// and one body cut out of another. Both leave the part as it was when the kernel cannot give a valid solid,
// so that a caller never meets half a result.
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Geom_Plane.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax1.hxx>
#include <gp_Pln.hxx>
#include <gp_Trsf.hxx>

#include <cmath>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/geom/occt_impl.h"
#include "host/geom/surface_entities.h"
#include "host/internal.h"

namespace host {
namespace {

gp_Pnt pnt(const p_3d& p) { return gp_Pnt(p.x, p.y, p.z); }

// The chain's lines as one wire, in chain order; null when the chain holds anything else or does not close.
TopoDS_Wire profileWire(const CHAIN& chain) {
    BRepBuilderAPI_MakeWire wire;
    int edges = 0;
    for (const CHAIN_ENT* c = chain.start; c; c = c->next) {
        if (!c->e || c->e->type != kEntLine) return {};
        gp_Pnt a = pnt(c->e->ln.ln.e1), b = pnt(c->e->ln.ln.e2);
        if (c->reversed) std::swap(a, b);
        if (a.Distance(b) <= kGeomTol) continue;
        wire.Add(BRepBuilderAPI_MakeEdge(a, b).Edge());
        if (!wire.IsDone()) return {};
        ++edges;
    }
    if (edges < 3) return {};
    TopoDS_Wire w = wire.Wire();
    TopoDS_Vertex first, last;
    TopExp::Vertices(w, first, last);
    if (first.IsNull() || last.IsNull() ||
        BRep_Tool::Pnt(first).Distance(BRep_Tool::Pnt(last)) > 10 * kGeomTol)
        return {};
    return w;
}

// The shape as a solid geometry when it holds at least one solid with volume and the kernel finds it valid.
SolidGeom validSolid(const TopoDS_Shape& shape, std::vector<int> colours = {}) {
    if (shape.IsNull()) return {};
    TopExp_Explorer solids(shape, TopAbs_SOLID);
    if (!solids.More()) return {};
    TopoDS_Shape only = solids.Current();
    solids.Next();
    SolidGeom geom = makeSolidGeom(solids.More() ? shape : only, std::move(colours));
    if (geom.empty() || !geom.isValid() || !(geom.volume() > kGeomTol)) return {};
    return geom;
}

// The colours of the target's faces carried to the faces of the cut that came from them.
std::vector<int> carriedColours(const SolidGeom& target, BRepAlgoAPI_Cut& cut, const TopoDS_Shape& result) {
    TopTools_IndexedMapOfShape faces;
    TopExp::MapShapes(result, TopAbs_FACE, faces);
    std::vector<int> colours(static_cast<std::size_t>(faces.Extent()), kNoColour);
    const std::vector<FaceGeom>& old = target.faces();
    for (std::size_t i = 0; i < old.size() && i < target.faceColours().size(); ++i) {
        const int colour = target.faceColours()[i];
        if (colour == kNoColour) continue;
        const TopoDS_Face& face = occtFace(old[i]);
        const int kept = faces.FindIndex(face);
        if (kept > 0) colours[static_cast<std::size_t>(kept - 1)] = colour;
        for (const TopoDS_Shape& made : cut.Modified(face)) {
            const int at = faces.FindIndex(made);
            if (at > 0) colours[static_cast<std::size_t>(at - 1)] = colour;
        }
    }
    return colours;
}

}  // namespace
}  // namespace host

int sld_revolve_from_chain(const CHAIN* chain, const sld_revolve_parms* parms, const char* body) {
    using namespace host;
    if (!chain || !parms || !parms->axis || parms->axis->type != kEntLine) return 0;
    try {
        const gp_Pnt a = pnt(parms->axis->ln.ln.e1), b = pnt(parms->axis->ln.ln.e2);
        if (a.Distance(b) <= kGeomTol) return 0;
        const gp_Ax1 axis(a, gp_Dir(gp_Vec(a, b)));
        const TopoDS_Wire wire = profileWire(*chain);
        if (wire.IsNull()) return 0;
        BRepBuilderAPI_MakeFace face(wire, Standard_True);
        if (!face.IsDone()) return 0;
        Handle(Geom_Plane) plane = Handle(Geom_Plane)::DownCast(BRep_Tool::Surface(face.Face()));
        if (plane.IsNull() || plane->Pln().Distance(a) > 10 * kGeomTol || plane->Pln().Distance(b) > 10 * kGeomTol)
            return 0;
        TopoDS_Shape profile = face.Face();
        if (parms->startAngle != 0) {
            gp_Trsf turn;
            turn.SetRotation(axis, parms->startAngle);
            profile = BRepBuilderAPI_Transform(profile, turn, Standard_True).Shape();
        }
        BRepPrimAPI_MakeRevol revol(profile, axis, parms->sweep);
        if (!revol.IsDone()) return 0;
        const SolidGeom solid = validSolid(revol.Shape());
        if (solid.empty()) return 0;
        const db_ptr made = storeSolidEntity(solid, main_color, main_level, body ? body : "");
        ent stored{};
        if (made == 0 || get_ent_from_eptr(made, &stored) != 1) return 0;
        detail::record("host.solid revolve " + std::to_string(stored.id) + " " + detail::quote(body ? body : "") +
                       " volume " + detail::number(solid.volume()));
        return 1;
    } catch (const Standard_Failure&) {
        return 0;
    }
}

int sld_new_boolean(int code, int count, const db_ptr* list, const char* operation) {
    using namespace host;
    if (code != 1 || count < 2 || !list) return 0;
    std::vector<ent> solids(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ent& e = solids[static_cast<std::size_t>(i)];
        if (get_ent_from_eptr(list[i], &e) != 1 || e.type != kEntSolid || !e.solid.geom || e.solid.geom->empty())
            return 0;
        for (int j = 0; j < i; ++j)
            if (list[j] == list[i]) return 0;
    }
    ent& target = solids.front();
    SolidGeom result;
    try {
        TopTools_ListOfShape arguments, tools;
        arguments.Append(occtShape(*target.solid.geom));
        for (int i = 1; i < count; ++i) tools.Append(occtShape(*solids[static_cast<std::size_t>(i)].solid.geom));
        BRepAlgoAPI_Cut cut;
        cut.SetArguments(arguments);
        cut.SetTools(tools);
        cut.Build();
        if (cut.IsDone() && !cut.HasErrors()) {
            const TopoDS_Shape shape = cut.Shape();
            result = validSolid(shape, carriedColours(*target.solid.geom, cut, shape));
        }
    } catch (const Standard_Failure&) {
        result = {};
    }
    std::string cutters;
    for (int i = 1; i < count; ++i)
        cutters += " " + std::to_string(solids[static_cast<std::size_t>(i)].id) + " " +
                   detail::quote(solids[static_cast<std::size_t>(i)].solid.body);
    if (result.empty()) {
        detail::record("host.solid cut refused " + std::to_string(target.id) + " by" + cutters);
        return 0;
    }
    setSolidGeometry(target.solid, result);
    const std::string text = operation ? operation : "";
    if (!text.empty()) target.solid.history += (target.solid.history.empty() ? "" : "\n") + text;
    if (rewrite_ent(&target, 0) != 1) return 0;
    for (int i = 1; i < count; ++i) delete_ent(list[i], 0, 0, 0, nullptr, 0);
    detail::record("host.solid cut " + std::to_string(target.id) + " by" + cutters + ": " + detail::quote(text));
    return 1;
}
