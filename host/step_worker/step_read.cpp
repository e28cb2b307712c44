// The STEP reader process's work: the kernel's STEP translator with names and colours, falling back to a
// plain root-by-root transfer, and the bodies written back in the kernel's binary form with their faces' colours and boxes.
// The kernel reads no file but the one asked for, and what it would crash on is left aside first.
#include "host/step_worker/step_read.h"

#include <IFSelect_WorkLibrary.hxx>
#include <Interface_Check.hxx>
#include <Interface_EntityIterator.hxx>
#include <Interface_Graph.hxx>
#include <Interface_InterfaceModel.hxx>
#include <Interface_Protocol.hxx>
#include <Interface_ReportEntity.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <NCollection_DataMap.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Controller.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPControl_Controller.hxx>
#include <STEPControl_Reader.hxx>
#include <Standard_Failure.hxx>
#include <StepBasic_DocumentFile.hxx>
#include <StepBasic_ProductDefinition.hxx>
#include <StepBasic_ProductDefinitionRelationship.hxx>
#include <StepBasic_UncertaintyMeasureWithUnit.hxx>
#include <StepGeom_Curve.hxx>
#include <StepGeom_Pcurve.hxx>
#include <StepRepr_DefinitionalRepresentation.hxx>
#include <StepRepr_ItemDefinedTransformation.hxx>
#include <StepRepr_NextAssemblyUsageOccurrence.hxx>
#include <StepRepr_ProductDefinitionShape.hxx>
#include <StepRepr_ProductDefinitionUsage.hxx>
#include <StepRepr_PropertyDefinition.hxx>
#include <StepRepr_RepresentationRelationship.hxx>
#include <StepRepr_ShapeRepresentationRelationship.hxx>
#include <StepShape_ContextDependentShapeRepresentation.hxx>
#include <StepShape_OrientedEdge.hxx>
#include <StepShape_ShapeDefinitionRepresentation.hxx>
#include <StepSelect_WorkLibrary.hxx>
#include <StepVisual_FillAreaStyle.hxx>
#include <StepVisual_FillAreaStyleColour.hxx>
#include <StepVisual_FillStyleSelect.hxx>
#include <StepVisual_HArray1OfFillStyleSelect.hxx>
#include <StepVisual_HArray1OfPresentationStyleSelect.hxx>
#include <StepVisual_PresentationStyleAssignment.hxx>
#include <StepVisual_PresentationStyleSelect.hxx>
#include <StepVisual_SurfaceSideStyle.hxx>
#include <StepVisual_SurfaceStyleUsage.hxx>
#include <TColStd_MapOfTransient.hxx>
#include <TCollection_AsciiString.hxx>
#include <TCollection_ExtendedString.hxx>
#include <TCollection_HAsciiString.hxx>
#include <TDF_Label.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopTools_ShapeMapHasher.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Shape.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <XSControl_Reader.hxx>
#include <XSControl_WorkSession.hxx>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <istream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <streambuf>
#include <string>
#include <vector>

#include "host/geom/brep_text.h"
#include "host/geom/face_box.h"
#include "host/geom/occt_impl.h"
#include "host/geom/step_scan.h"
#include "host/geom/xde_document.h"

namespace host::worker {
namespace {

constexpr int kNone = -1;
constexpr int kMaxAssemblyDepth = 200;   // assemblies nested deeper are refused

// The kernel's translators read, besides the file asked for, the files that an assembly names in
// DOCUMENT_FILE (a multi-file assembly), from wherever the name points and unseen by the host's checks.
// Every work session takes its reading from the recorded STEP controllers: theirs is replaced by one that
// reads only while loadModel reads the file asked for (as a stream: the text the kernel is given is not the
// file's, step_scan.h's stepTextForReader).
bool g_reading = false;

class OneFileLibrary : public StepSelect_WorkLibrary {
public:
    Standard_Integer ReadFile(const Standard_CString, Handle(Interface_InterfaceModel)&,
                              const Handle(Interface_Protocol)&) const override {
        return -1;
    }
    Standard_Integer ReadStream(const Standard_CString name, std::istream& in, Handle(Interface_InterfaceModel)& model,
                                const Handle(Interface_Protocol)& protocol) const override {
        return g_reading ? StepSelect_WorkLibrary::ReadStream(name, in, model, protocol) : -1;
    }
};

// The controllers keep their reading in a protected member; a member pointer taken through a class of
// their own kind reaches it.
struct ControllerLibrary : STEPControl_Controller {
    static void replace(XSControl_Controller& controller, const Handle(IFSelect_WorkLibrary)& library) {
        controller.*(&ControllerLibrary::myAdaptorLibrary) = library;
    }
};

void readOnlyTheFileAsked() {
    static const bool replaced = [] {
        STEPControl_Controller::Init();
        STEPCAFControl_Controller::Init();   // records the controllers that the readers' sessions take
        for (const char* name : {"STEP", "step"}) {
            const Handle(XSControl_Controller) controller = XSControl_Controller::Recorded(name);
            if (!controller.IsNull()) ControllerLibrary::replace(*controller, new OneFileLibrary);
        }
        return true;
    }();
    (void)replaced;
}

struct Body {
    TopoDS_Shape shape;
    std::string name;
    int colour = kNone;             // 0xRRGGBB
    std::vector<int> faceColours;   // in the order of TopExp::MapShapes(shape, TopAbs_FACE)
};

struct Reply {
    std::vector<Body> bodies;
    std::vector<std::string> warnings;
};

// The kernel keeps colours in linear RGB and takes a file's as the sRGB values that every system writes:
// the host's colours are the file's values.
int packed(const Quantity_Color& c) {
    double r, g, b;
    c.Values(r, g, b, Quantity_TOC_sRGB);
    auto scale = [](double x) { return static_cast<int>(std::lround(std::clamp(x, 0.0, 1.0) * 255.0)); };
    return scale(r) << 16 | scale(g) << 8 | scale(b);
}

// The colour tool's search of a shape's label (top-level shapes as placed, then the components of assemblies,
// then top-level shapes unplaced, then subshapes of simple top-level shapes) answered from maps of the
// document made once. The tool itself walks every component of every assembly, making each one's shape, for
// every shape it is asked about: for each face of a placed part, which no component is, so that an assembly's
// colours cost its faces times its components. And it finds nothing of a part where an assembly places it
// (but a colour given to that placement): a placed part, and each of its faces, takes the colour the part
// and its faces carry.
class ColourLookup {
public:
    ColourLookup(const Handle(XCAFDoc_ShapeTool)& shapes, const Handle(XCAFDoc_ColorTool)& colours)
        : colours_(colours) {
        TDF_LabelSequence top;
        shapes->GetShapes(top);
        for (const TDF_Label& label : top) {
            const TopoDS_Shape shape = XCAFDoc_ShapeTool::GetShape(label);
            if (!shape.IsNull() && !topLevel_.IsBound(shape)) topLevel_.Bind(shape, label);
        }
        for (const TDF_Label& label : top) {
            if (XCAFDoc_ShapeTool::IsAssembly(label)) {
                TDF_LabelSequence components;
                XCAFDoc_ShapeTool::GetComponents(label, components);
                for (const TDF_Label& component : components) {
                    const TopoDS_Shape shape = XCAFDoc_ShapeTool::GetShape(component);
                    if (!shape.IsNull() && !components_.IsBound(shape)) components_.Bind(shape, component);
                }
            } else if (XCAFDoc_ShapeTool::IsSimpleShape(label)) {
                const TopoDS_Shape shape = XCAFDoc_ShapeTool::GetShape(label);
                TDF_LabelSequence subShapes;
                if (shape.IsNull() || !XCAFDoc_ShapeTool::GetSubShapes(label, subShapes)) continue;
                // The subshapes asked about are solids and faces; a subshape's label is taken only under the
                // first top-level shape that holds it, as the tool takes it.
                for (const TopAbs_ShapeEnum kind : {TopAbs_SOLID, TopAbs_FACE}) {
                    TopTools_IndexedMapOfShape held;
                    TopExp::MapShapes(shape, kind, held);
                    for (int i = 1; i <= held.Extent(); ++i)
                        if (!owners_.IsBound(held(i))) owners_.Bind(held(i), label);
                }
                for (const TDF_Label& sub : subShapes) {
                    const TopoDS_Shape subShape = XCAFDoc_ShapeTool::GetShape(sub);
                    if (!subShape.IsNull() && !subShapes_.IsBound(subShape)) subShapes_.Bind(subShape, sub);
                }
            }
        }
        TDF_LabelSequence free;
        shapes->GetFreeShapes(free);
        for (const TDF_Label& label : free) place(label, TopLoc_Location(), 0);
    }

    // 0xRRGGBB of the shape's surface colour, else its general colour, else kNone.
    int colourOf(const TopoDS_Shape& shape) const {
        const int own = colourOfLabel(labelOf(shape));
        const TDF_Label* part = own == kNone ? placed_.Seek(shape) : nullptr;
        return part ? colourOfLabel(*part) : own;
    }

private:
    using ShapeLabels = NCollection_DataMap<TopoDS_Shape, TDF_Label, TopTools_ShapeMapHasher>;

    int colourOfLabel(const TDF_Label& label) const {
        Quantity_Color c;
        if (!label.IsNull() &&
            (colours_->GetColor(label, XCAFDoc_ColorSurf, c) || colours_->GetColor(label, XCAFDoc_ColorGen, c)))
            return packed(c);
        return kNone;
    }

    // The parts below `label` as the assemblies place them, `where` the placement so far: each placed part,
    // and each of its subshapes that has a label, found by the part's label.
    void place(const TDF_Label& label, const TopLoc_Location& where, int depth) {
        if (depth > kMaxAssemblyDepth) return;
        if (XCAFDoc_ShapeTool::IsAssembly(label)) {
            TDF_LabelSequence components;
            XCAFDoc_ShapeTool::GetComponents(label, components);
            for (const TDF_Label& component : components) {
                TDF_Label part;
                if (XCAFDoc_ShapeTool::GetReferredShape(component, part))
                    place(part, where * XCAFDoc_ShapeTool::GetLocation(component), depth + 1);
            }
            return;
        }
        if (where.IsIdentity()) return;   // found as it is
        auto bind = [&](const TDF_Label& of) {
            const TopoDS_Shape shape = XCAFDoc_ShapeTool::GetShape(of);
            if (!shape.IsNull() && !placed_.IsBound(shape.Moved(where))) placed_.Bind(shape.Moved(where), of);
        };
        bind(label);
        TDF_LabelSequence subShapes;
        XCAFDoc_ShapeTool::GetSubShapes(label, subShapes);
        for (const TDF_Label& sub : subShapes) bind(sub);
    }

    TDF_Label labelOf(const TopoDS_Shape& shape) const {
        if (!shape.Location().IsIdentity()) {
            if (const TDF_Label* top = topLevel_.Seek(shape)) return *top;
            if (const TDF_Label* component = components_.Seek(shape)) return *component;
        }
        if (const TDF_Label* top = topLevel_.Seek(shape.Located(TopLoc_Location()))) return *top;
        const TDF_Label* owner = owners_.Seek(shape);
        const TDF_Label* sub = owner ? subShapes_.Seek(shape) : nullptr;
        return sub && sub->Father() == *owner ? *sub : TDF_Label();
    }

    Handle(XCAFDoc_ColorTool) colours_;
    ShapeLabels topLevel_, components_, owners_, subShapes_, placed_;
};

std::string nameOf(const TDF_Label& label) {
    Handle(TDataStd_Name) name;
    if (!label.FindAttribute(TDataStd_Name::GetID(), name)) return {};
    return TCollection_AsciiString(name->Get()).ToCString();
}

// The solids of a free shape, each a body; a shape without solids (a shell, a face set) is one body.
void addBodies(const TopoDS_Shape& shape, const std::string& name, const ColourLookup* colours, Reply& reply) {
    auto colourOf = [&](const TopoDS_Shape& s) { return colours ? colours->colourOf(s) : kNone; };
    const int bodyColour = colourOf(shape);
    TopTools_IndexedMapOfShape solids;
    TopExp::MapShapes(shape, TopAbs_SOLID, solids);
    std::vector<TopoDS_Shape> parts;
    for (int k = 1; k <= solids.Extent(); ++k) parts.push_back(solids(k));
    if (parts.empty()) parts.push_back(shape);
    for (const TopoDS_Shape& part : parts) {
        Body body{part, name, colourOf(part), {}};
        if (body.colour == kNone) body.colour = bodyColour;
        TopTools_IndexedMapOfShape faces;
        TopExp::MapShapes(part, TopAbs_FACE, faces);
        for (int i = 1; i <= faces.Extent(); ++i) {
            body.faceColours.push_back(colourOf(faces(i)));
        }
        reply.bodies.push_back(std::move(body));
    }
}

std::string entityName(const Handle(Interface_InterfaceModel)& model, const Handle(Standard_Transient)& entity,
                       int number) {
    const Handle(TCollection_HAsciiString) label = model->StringLabel(entity);
    return label.IsNull() ? "#" + std::to_string(number) : label->ToCString();
}

// The number the file gives the model's entity `number`, 0 when its label gives none.
std::uint32_t fileNumber(const Handle(Interface_InterfaceModel)& model, int number) {
    const std::string label = entityName(model, model->Value(number), number);
    std::uint32_t id = 0;
    if (label.size() < 2 || std::from_chars(label.data() + 1, label.data() + label.size(), id).ec != std::errc()) return 0;
    return id;
}

void warnOnce(Reply& reply, std::string warning) {
    if (!warning.empty() && std::find(reply.warnings.begin(), reply.warnings.end(), warning) == reply.warnings.end())
        reply.warnings.push_back(std::move(warning));
}

// "name1, name2, ..." of at most a few.
std::string someOf(const std::vector<std::string>& names) {
    constexpr std::size_t kNamed = 5;
    std::string text;
    for (std::size_t i = 0; i < std::min(names.size(), kNamed); ++i) text += (i ? ", " : "") + names[i];
    return names.size() > kNamed ? text + ", ..." : text;
}

// The entity as a T, null when it is none. The kind is told by the kernel's own type records first: a
// dynamic cast that fails compares the type names of the kernel's libraries, and the checks below ask it
// of every entity of the file.
template <typename T>
Handle(T) asKind(const Handle(Standard_Transient)& entity) {
    return !entity.IsNull() && entity->IsKind(STANDARD_TYPE(T)) ? Handle(T)::DownCast(entity) : Handle(T)();
}

// Why an entity that passed the load check would still bring the kernel's translators down, or "": an
// oriented edge whose edge is another oriented edge, and so on, never reaching a plain edge within a few
// steps (they recurse along the chain, without end when it leads back), or without its edge; a pcurve
// whose curve is missing or not a curve (they take it unchecked).
std::string unsoundness(const Handle(Standard_Transient)& entity) {
    if (const auto oriented = asKind<StepShape_OrientedEdge>(entity); !oriented.IsNull()) {
        constexpr int kDeepest = 16;   // a sound file has one step: oriented edges may not nest at all
        Handle(StepShape_Edge) edge(oriented);
        for (int depth = 0; edge->IsKind(STANDARD_TYPE(StepShape_OrientedEdge)); ++depth) {
            if (depth == kDeepest) return "an oriented edge that never reaches its edge";
            edge = Handle(StepShape_OrientedEdge)::DownCast(edge)->EdgeElement();
            if (edge.IsNull()) return "an oriented edge without its edge";
        }
    } else if (const auto pcurve = asKind<StepGeom_Pcurve>(entity); !pcurve.IsNull()) {
        const Handle(StepRepr_DefinitionalRepresentation) curve = pcurve->ReferenceToCurve();
        if (curve.IsNull() || curve->NbItems() < 1 ||
            Handle(StepGeom_Curve)::DownCast(curve->ItemsValue(1)).IsNull())
            return "a pcurve without its curve";
    }
    return {};
}

// Why a style would bring the kernel's colour reading down, or "": it takes a surface style usage's side
// style and a fill area style's colours unchecked.
std::string unsoundStyle(const Handle(Standard_Transient)& entity) {
    if (const auto usage = asKind<StepVisual_SurfaceStyleUsage>(entity); !usage.IsNull()) {
        if (usage->Style().IsNull()) return "a surface style usage without its side style";
    } else if (const auto area = asKind<StepVisual_FillAreaStyle>(entity); !area.IsNull()) {
        const Handle(StepVisual_HArray1OfFillStyleSelect) fills = area->FillStyles();
        if (fills.IsNull()) return "a fill area style without its colour";
        for (int i = fills->Lower(); i <= fills->Upper(); ++i)
            if (fills->Value(i).FillAreaStyleColour().IsNull()) return "a fill area style without its colour";
    }
    return {};
}

// Whether the shape transfer, having reached an entity, goes on to `sharing`, an entity that names it: the
// product's shape and its representations, the assembly's usages and their placed representations, and the
// relations between shape representations. From the entities it reaches it goes on only to those they name.
bool transferGoesUpTo(const Handle(Standard_Transient)& sharing) {
    return sharing->IsKind(STANDARD_TYPE(StepRepr_ProductDefinitionShape)) ||
           sharing->IsKind(STANDARD_TYPE(StepShape_ShapeDefinitionRepresentation)) ||
           sharing->IsKind(STANDARD_TYPE(StepRepr_ProductDefinitionUsage)) ||
           sharing->IsKind(STANDARD_TYPE(StepShape_ContextDependentShapeRepresentation)) ||
           sharing->IsKind(STANDARD_TYPE(StepRepr_ShapeRepresentationRelationship));
}

// The entities the shape transfer may reach from its roots: the shapes, their geometry and topology, their
// placements and units. Product data beside them (tolerances, dimensions, their presentation, views, styles,
// properties) names the shapes but is never named by them, so it stays outside.
TColStd_MapOfTransient transferReach(STEPControl_Reader& reader) {
    const Interface_Graph& graph = reader.WS()->Graph();
    TColStd_MapOfTransient reached;
    std::vector<Handle(Standard_Transient)> pending;
    auto reach = [&](const Handle(Standard_Transient)& entity) {
        if (!entity.IsNull() && reached.Add(entity)) pending.push_back(entity);
    };
    for (int i = 1; i <= reader.NbRootsForTransfer(); ++i) reach(reader.RootForTransfer(i));
    while (!pending.empty()) {
        const Handle(Standard_Transient) entity = pending.back();
        pending.pop_back();
        for (Interface_EntityIterator named = graph.Shareds(entity); named.More(); named.Next()) reach(named.Value());
        for (Interface_EntityIterator naming = graph.Sharings(entity); naming.More(); naming.Next())
            if (transferGoesUpTo(naming.Value())) reach(naming.Value());
    }
    return reached;
}

// The number (from 1) of the string parameter a load check's failure says is no string, 0 for a failure of
// another kind: "Parameter n0.3 (name) not a quoted String", with whatever some of the kernel's readers say
// before it ("Set to empty string : ..."). One rule for every kind of entity.
int stringFailed(std::string_view said) {
    constexpr std::string_view kHead = "Parameter n0.", kTail = ") not a quoted String";
    const std::size_t head = said.rfind(kHead);
    int parameter = 0;
    if (!said.ends_with(kTail) || head == std::string_view::npos ||
        std::from_chars(said.data() + head + kHead.size(), said.data() + said.size(), parameter).ec != std::errc())
        return 0;
    return parameter;
}

struct LoadFailures {
    std::string refusal;               // "entity #12 is malformed (why)" for the first the transfer may reach
    std::vector<std::string> aside;    // the entities outside its reach, "#12"
    std::vector<std::string> links;    // the product structure's links it passes over
};

// The entities of the file read that the kernel's load check failed. The kernel leaves what failed empty,
// and its translators do not all survive an empty parameter (a pcurve whose representation names an entity
// of the wrong kind crashes the one for curves): a shape's geometry or topology that the transfer may reach
// refuses the file. The others are left aside: product data that this kernel reads only in part, and links
// of the product's structure that name a representation it does not know (tessellated geometry beside or
// instead of the solid), which the transfer passes over. The entities in `told` were told already. `reach`
// is what the transfer may reach, worked out when first needed.
LoadFailures loadFailures(STEPControl_Reader& reader, bool stylesSaid, std::optional<TColStd_MapOfTransient>& reach,
                          const TColStd_MapOfTransient& told) {
    LoadFailures found;
    const Handle(Interface_InterfaceModel) model = reader.Model();
    if (model.IsNull()) return found;
    // The load's checks are kept with the entities it reported on (the kernel's own check list copies
    // the model's sharing graph to list them).
    for (int number = 1; number <= model->NbEntities(); ++number) {
        if (!model->IsReportEntity(number)) continue;
        const Handle(Interface_ReportEntity) report = model->ReportEntity(number);
        const Handle(Interface_Check) check = report.IsNull() ? Handle(Interface_Check)() : report->Check();
        if (check.IsNull() || !check->HasFailed()) continue;
        const Handle(Standard_Transient)& entity = model->Value(number);
        if ((stylesSaid && !unsoundStyle(entity).empty()) || told.Contains(entity)) continue;
        if (!reach) reach = transferReach(reader);
        if (transferGoesUpTo(entity)) {
            found.links.push_back(entityName(model, entity, number));
            continue;
        }
        if (!reach->Contains(entity)) {
            found.aside.push_back(entityName(model, entity, number));
            continue;
        }
        // Named by what fails it rather than by a string it also left unset.
        int why = 1;
        while (why < check->NbFails() && stringFailed(check->CFail(why)) > 0) ++why;
        found.refusal = "entity " + entityName(model, entity, number) + " is malformed (" + check->CFail(why) + ")";
        return found;
    }
    return found;
}

// The one line that tells the user what was left aside, or "": product data beside the shapes, and links
// from the product to its shapes (a shape the transfer then does not find: why a file may hold none).
std::string asideWarning(const LoadFailures& failures) {
    const std::size_t count = failures.aside.size() + failures.links.size();
    if (count == 0) return {};
    const bool one = count == 1;
    if (failures.aside.empty())
        return std::to_string(count) + (one ? " link" : " links") + " from the product to its shapes could not be " +
               "read and " + (one ? "was" : "were") + " left aside (" + someOf(failures.links) + ")";
    std::string names = someOf(failures.aside);
    if (!failures.links.empty())
        names += std::string(", and ") + (failures.links.size() == 1 ? "the link" : "the links") +
                 " from the product to its shapes " + someOf(failures.links);
    return std::to_string(count) + (one ? " entity" : " entities") +
           " of product data beside the shapes could not be read and " + (one ? "was" : "were") + " left aside (" +
           names + ")";
}

// "N <what> was/were <done>": one line of what the reading changed.
std::string countedLine(std::size_t count, const std::string& one, const std::string& many, const std::string& done) {
    return std::to_string(count) + ' ' + (count == 1 ? one + " was " : many + " were ") + done;
}

// The references the reader cannot take, given to the kernel as unset (step_scan.h): where they lie in
// product data beside the shapes (a person, an organisation, a date), read so, as the kernel reads them, and
// told once, the entities holding them added to `told`; "" then. Else, where the transfer may need one (an
// entity it may reach, a link of the product's structure, none at all), the refusal with its line.
std::string unreadableRefusal(const Handle(Interface_InterfaceModel)& model,
                              const std::vector<StepPreScan::Unreadable>& unset, const TColStd_MapOfTransient& reach,
                              TColStd_MapOfTransient& told, Reply& reply) {
    std::map<std::uint32_t, int> holders;   // the file's number of each entity holding one, and the model's
    for (const StepPreScan::Unreadable& u : unset) holders[u.entity] = 0;
    for (int number = 1; number <= model->NbEntities(); ++number)
        if (const auto holder = holders.find(fileNumber(model, number)); holder != holders.end() && holder->first > 0)
            holder->second = number;
    std::vector<std::string> said;
    for (const StepPreScan::Unreadable& u : unset) {
        const int number = holders[u.entity];
        const Handle(Standard_Transient) entity = number > 0 ? model->Value(number) : Handle(Standard_Transient)();
        if (entity.IsNull() || reach.Contains(entity) || transferGoesUpTo(entity))
            return "line " + std::to_string(u.line) + ": " + u.what;
        if (told.Add(entity)) said.push_back("line " + std::to_string(u.line) + " #" + std::to_string(u.entity));
    }
    if (!unset.empty())
        warnOnce(reply, countedLine(unset.size(), "reference to an entity number past the reader's range",
                                    "references to entity numbers past the reader's range",
                                    "read as unset, on product data beside the shapes (" + someOf(said) + ")"));
    return {};
}

// The refusal for the entities the load check failed and the references the reader could not take, "" when
// the transfer may go on; a warning is added to `reply` for the ones left aside (but styles left aside with
// a line of their own).
std::string refusalOfLoad(STEPControl_Reader& reader, Reply& reply, bool stylesSaid,
                          const std::vector<StepPreScan::Unreadable>& unset) {
    std::optional<TColStd_MapOfTransient> reach;
    TColStd_MapOfTransient told;
    if (!unset.empty() && !reader.Model().IsNull()) {
        reach = transferReach(reader);
        if (std::string refusal = unreadableRefusal(reader.Model(), unset, *reach, told, reply); !refusal.empty())
            return "not read, it holds " + refusal;
    }
    LoadFailures failures = loadFailures(reader, stylesSaid, reach, told);
    if (!failures.refusal.empty()) return "not read, " + failures.refusal;
    // Said once, though the file may be read a second time without names and colours.
    warnOnce(reply, asideWarning(failures));
    return {};
}

// The files the model names (DOCUMENT_FILE), which the reader leaves unread, said with the lines that name
// them: "" for none.
std::string otherFilesWarning(const Handle(Interface_InterfaceModel)& model, std::string_view text) {
    std::vector<std::uint32_t> numbers;
    std::map<std::uint32_t, std::string> names;
    for (int number = 1; number <= model->NbEntities(); ++number) {
        const auto file = asKind<StepBasic_DocumentFile>(model->Value(number));
        if (file.IsNull()) continue;
        const std::uint32_t id = fileNumber(model, number);
        numbers.push_back(id);
        names[id] = file->Id().IsNull() ? std::string() : file->Id()->ToCString();
    }
    if (numbers.empty()) return {};
    StepPreScan scan;
    scan.noteDefinitions(numbers);
    scan.feed(text);
    (void)scan.finish();
    std::vector<std::string> said;
    for (const StepPreScan::Definition& d : scan.noted())
        said.push_back("line " + std::to_string(d.line) + " #" + std::to_string(d.number) + " \"" + names[d.number] + "\"");
    if (said.empty())
        for (std::uint32_t number : numbers) said.push_back("#" + std::to_string(number));
    return (numbers.size() == 1 ? "another file it names was" : std::to_string(numbers.size()) + " other files it names were") +
           std::string(" left aside unread, as only the file opened is read: ") + someOf(said);
}

// The assemblies' links (a usage from the assembly's product definition to its component's), looked over
// before the transfer, which follows them by recursion: an assembly nested deeper than the reader's stack
// holds is refused ("" when none is); one that holds itself is said in `cycle`.
std::string assemblyRefusal(const Handle(Interface_InterfaceModel)& model, std::string& cycle) {
    std::map<const Standard_Transient*, std::vector<std::pair<const Standard_Transient*, int>>> components;
    std::vector<const Standard_Transient*> assemblies;   // in the file's order, so that the message is the same
    for (int number = 1; number <= model->NbEntities(); ++number) {
        const auto usage = asKind<StepRepr_NextAssemblyUsageOccurrence>(model->Value(number));
        if (usage.IsNull() || usage->RelatingProductDefinition().IsNull() ||
            usage->RelatedProductDefinition().IsNull())
            continue;
        auto& held = components[usage->RelatingProductDefinition().get()];
        if (held.empty()) assemblies.push_back(usage->RelatingProductDefinition().get());
        held.emplace_back(usage->RelatedProductDefinition().get(), number);
    }
    // Depth first without recursion: 0 unseen, 1 on the path, 2 done with the depth below it known.
    std::map<const Standard_Transient*, int> state;
    std::map<const Standard_Transient*, std::size_t> below;
    for (const Standard_Transient* top : assemblies) {
        if (state[top] != 0) continue;
        struct Frame {
            const Standard_Transient* node;
            std::size_t next;
        };
        std::vector<Frame> path{{top, 0}};
        state[top] = 1;
        while (!path.empty()) {
            Frame& f = path.back();
            const auto found = components.find(f.node);
            if (found == components.end() || f.next == found->second.size()) {
                std::size_t deepest = 0;
                if (found != components.end())
                    for (const auto& child : found->second) deepest = std::max(deepest, below[child.first] + 1);
                below[f.node] = deepest;
                state[f.node] = 2;
                path.pop_back();
                continue;
            }
            const auto [child, usage] = found->second[f.next++];
            if (state[child] == 1) {
                if (cycle.empty())
                    cycle = "an assembly holds itself, through " + entityName(model, model->Value(usage), usage);
                continue;
            }
            // The levels down to the child's deepest component: those below a child already seen are known.
            if (path.size() + 1 + (state[child] == 2 ? below[child] : 0) > static_cast<std::size_t>(kMaxAssemblyDepth))
                return "not read, its assemblies nest deeper than " + std::to_string(kMaxAssemblyDepth) +
                       " levels (" + entityName(model, model->Value(usage), usage) + ")";
            if (state[child] == 2) continue;
            state[child] = 1;
            path.push_back({child, 0});
        }
    }
    return {};
}

// The bytes of a file, none when it cannot be read: read at once into room of its size, a byte at a time
// beyond that (a file that grows meanwhile).
std::optional<std::string> wholeFile(const char* path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in) bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

// A text read in place as a stream.
class TextBuffer : public std::streambuf {
public:
    explicit TextBuffer(std::string& text) { setg(text.data(), text.data(), text.data() + text.size()); }
};

// The model of `text`, read by the session's reading as the reader's own ReadFile reads a file; none when it
// does not read.
Handle(Interface_InterfaceModel) modelOf(const XSControl_WorkSession& session, const char* path, std::string& text) {
    Handle(Interface_InterfaceModel) model;
    TextBuffer buffer(text);
    std::istream in(&buffer);
    g_reading = true;
    const bool read = !session.WorkLibrary().IsNull() && !session.Protocol().IsNull() &&
                      session.WorkLibrary()->ReadStream(path, in, model, session.Protocol()) == 0;
    g_reading = false;
    return read ? model : Handle(Interface_InterfaceModel)();
}

// A string parameter the load found unset (`$`): its entity's number in the model and in the file, and its
// own number from 1.
struct UNSET_STRING {
    int number;
    std::uint32_t id;
    int parameter;
};

// The string parameters the load found unset of the entities whose load failed for those alone. A string
// carries no shape: such a name or description is read as empty, where a number, reference or enumeration
// left unset still fails the entity.
std::vector<UNSET_STRING> unsetStrings(const Handle(Interface_InterfaceModel)& model) {
    std::vector<UNSET_STRING> found;
    for (int number = 1; number <= model->NbEntities(); ++number) {
        if (!model->IsReportEntity(number)) continue;
        const Handle(Interface_ReportEntity) report = model->ReportEntity(number);
        const Handle(Interface_Check) check = report.IsNull() ? Handle(Interface_Check)() : report->Check();
        if (check.IsNull() || !check->HasFailed()) continue;
        const std::uint32_t id = fileNumber(model, number);
        if (id == 0) continue;
        std::vector<UNSET_STRING> strings;
        for (int i = 1; i <= check->NbFails(); ++i) {
            const int parameter = stringFailed(check->CFail(i));
            if (parameter == 0) break;
            strings.push_back({number, id, parameter});
        }
        if (static_cast<int>(strings.size()) == check->NbFails()) found.insert(found.end(), strings.begin(), strings.end());
    }
    return found;
}

// How an unset string is set empty in its loaded entity, on the kinds files write it on (the accuracy's
// description, a placement's name and description, a product's shape's and an assembly link's); none for
// another kind, which costs a second reading of the whole file.
std::function<void()> emptier(const Handle(Standard_Transient)& entity, int parameter) {
    const Handle(TCollection_HAsciiString) empty = new TCollection_HAsciiString("");
    const Handle(Standard_Type) kind = entity->DynamicType();
    if (kind == STANDARD_TYPE(StepBasic_UncertaintyMeasureWithUnit) && (parameter == 3 || parameter == 4)) {
        const auto measure = Handle(StepBasic_UncertaintyMeasureWithUnit)::DownCast(entity);
        return [=] { parameter == 3 ? measure->SetName(empty) : measure->SetDescription(empty); };
    }
    if (kind == STANDARD_TYPE(StepRepr_ItemDefinedTransformation) && (parameter == 1 || parameter == 2)) {
        const auto placement = Handle(StepRepr_ItemDefinedTransformation)::DownCast(entity);
        return [=] { parameter == 1 ? placement->SetName(empty) : placement->SetDescription(empty); };
    }
    if (entity->IsKind(STANDARD_TYPE(StepRepr_PropertyDefinition)) && (parameter == 1 || parameter == 2)) {
        const auto property = Handle(StepRepr_PropertyDefinition)::DownCast(entity);
        return [=] { parameter == 1 ? property->SetName(empty) : property->SetDescription(empty); };
    }
    if (entity->IsKind(STANDARD_TYPE(StepRepr_RepresentationRelationship)) && (parameter == 1 || parameter == 2)) {
        const auto link = Handle(StepRepr_RepresentationRelationship)::DownCast(entity);
        return [=] { parameter == 1 ? link->SetName(empty) : link->SetDescription(empty); };
    }
    return {};
}

// The unset strings set empty in the loaded entities themselves and their load's failures cleared, as a
// second read of the whole file with those strings given as '' would leave them; false, nothing changed,
// when one lies in an entity of a kind not known here.
bool setUnsetStringsInModel(const Handle(Interface_InterfaceModel)& model, const std::vector<UNSET_STRING>& unset) {
    std::vector<std::function<void()>> setters;
    for (const UNSET_STRING& u : unset) {
        std::function<void()> set = emptier(model->Value(u.number), u.parameter);
        if (!set) return false;
        setters.push_back(std::move(set));
    }
    for (const auto& set : setters) set();
    for (const UNSET_STRING& u : unset) model->ClearReportEntity(u.number);
    return true;
}

// Reads the file into the reader's session as the reader's own ReadFile does, but looks the entities over
// before the session runs its load check, which already walks edge loops. "" when loaded, else why not;
// what it finds beside the shapes goes to `reply`'s warnings, and the references it gave the kernel as unset
// to `unset`.
std::string loadModel(XSControl_Reader& reader, const char* path, bool preScanRefuses, Reply& reply,
                      std::vector<StepPreScan::Unreadable>& unset) {
    readOnlyTheFileAsked();
    const Handle(XSControl_WorkSession) session = reader.WS();
    std::optional<std::string> file = wholeFile(path);
    if (!file) return "cannot be read";
    StepReaderText given = stepTextForReader(*file);
    file.reset();
    if (!given.finding.empty() && preScanRefuses) return "not read, it holds " + given.finding;
    unset = std::move(given.unset);
    Handle(Interface_InterfaceModel) model = modelOf(*session, path, given.text);
    if (model.IsNull()) return "not a readable STEP file";
    std::size_t emptied = 0;
    if (const auto unset = unsetStrings(model); !unset.empty() && setUnsetStringsInModel(model, unset)) {
        emptied = unset.size();
    } else if (!unset.empty()) {
        // Read again with those strings given as empty: the kernel leaves a failed parameter null, which its
        // translators do not all survive.
        std::string mended = given.text;
        std::vector<std::pair<std::uint32_t, int>> parameters;
        for (const UNSET_STRING& u : unset) parameters.emplace_back(u.id, u.parameter);
        if ((emptied = setUnsetStringsEmpty(mended, parameters)) > 0) {
            model.Nullify();
            given.text = std::move(mended);
            model = modelOf(*session, path, given.text);
            if (model.IsNull()) return "not a readable STEP file";
        }
    }
    const std::string longer = " (names, descriptions) longer than " + std::to_string(kStepLongToken - 2) + " characters";
    if (given.cut > 0) warnOnce(reply, countedLine(given.cut, "string" + longer, "strings" + longer, "read cut to that length"));
    if (given.reordered > 0)
        warnOnce(reply, countedLine(given.reordered, "complex entity written with its parts out of alphabetical order",
                                    "complex entities written with their parts out of alphabetical order",
                                    "read in that order"));
    if (emptied > 0)
        warnOnce(reply, countedLine(emptied, "name or description left unset ($)",
                                    "names or descriptions left unset ($)", "read as empty"));
    for (int number = 1; number <= model->NbEntities(); ++number) {
        const Handle(Standard_Transient)& entity = model->Value(number);
        if (const std::string why = unsoundness(entity); !why.empty())
            return "not read, entity " + entityName(model, entity, number) + " is malformed (" + why + ")";
    }
    std::string cycle;
    if (std::string refusal = assemblyRefusal(model, cycle); !refusal.empty()) return refusal;
    warnOnce(reply, cycle);
    warnOnce(reply, otherFilesWarning(model, given.text));
    session->SetModel(model);
    session->SetLoadedFile(path);
    session->InitTransferReader(4);
    return {};
}

// The surface style usages over a style the kernel would crash on are taken out of the style assignments
// that name them, so that the kernel never reads them and reads the other colours. The one line that says
// so goes to `reply`.
void leaveAsideUnsoundStyles(XSControl_Reader& reader, Reply& reply) {
    const Handle(Interface_InterfaceModel) model = reader.WS()->Model();
    const Interface_Graph& graph = reader.WS()->Graph();
    std::vector<std::string> said;
    TColStd_MapOfTransient usages;
    for (int number = 1; number <= model->NbEntities(); ++number) {
        const std::string why = unsoundStyle(model->Value(number));
        if (why.empty()) continue;
        said.push_back(entityName(model, model->Value(number), number) + ", " + why);
        // Up to the usages over it.
        TColStd_MapOfTransient seen;
        std::vector<Handle(Standard_Transient)> pending{model->Value(number)};
        while (!pending.empty()) {
            const Handle(Standard_Transient) entity = pending.back();
            pending.pop_back();
            if (!seen.Add(entity)) continue;
            if (entity->IsKind(STANDARD_TYPE(StepVisual_SurfaceStyleUsage))) {
                usages.Add(entity);
                continue;
            }
            for (Interface_EntityIterator up = graph.Sharings(entity); up.More(); up.Next()) pending.push_back(up.Value());
        }
    }
    if (said.empty()) return;
    for (int number = 1; number <= model->NbEntities(); ++number) {
        const auto assignment = asKind<StepVisual_PresentationStyleAssignment>(model->Value(number));
        const Handle(StepVisual_HArray1OfPresentationStyleSelect) styles =
            assignment.IsNull() ? nullptr : assignment->Styles();
        if (styles.IsNull()) continue;
        for (int i = styles->Lower(); i <= styles->Upper(); ++i)
            if (usages.Contains(styles->Value(i).Value())) styles->SetValue(i, StepVisual_PresentationStyleSelect());
    }
    reader.WS()->ComputeGraph(true);
    warnOnce(reply, "colours the reader cannot read were left aside (" + someOf(said) + ")");
}

// With names and colours. "" when read (the bodies may still be none), else why the transfer failed;
// `refusal` says why the file is not read at all.
std::string readWithNamesAndColours(const char* path, bool injectFault, bool preScanRefuses, Reply& reply,
                                    std::string& refusal) {
    try {
        host::XdeDocument xde;
        STEPCAFControl_Reader reader;
        readNamesAndColoursOnly(reader);
        std::vector<StepPreScan::Unreadable> unset;
        refusal = loadModel(reader.ChangeReader(), path, preScanRefuses, reply, unset);
        if (!refusal.empty()) return refusal;
        leaveAsideUnsoundStyles(reader.ChangeReader(), reply);
        refusal = refusalOfLoad(reader.ChangeReader(), reply, true, unset);
        if (!refusal.empty()) return refusal;
        if (injectFault) throw Standard_Failure("a fault injected for a test");
        if (!reader.Transfer(xde.doc())) return "the transfer failed";
        Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(xde.doc()->Main());
        const ColourLookup colours(shapes, XCAFDoc_DocumentTool::ColorTool(xde.doc()->Main()));
        TDF_LabelSequence free;
        shapes->GetFreeShapes(free);
        for (int i = 1; i <= free.Length(); ++i) {
            TopoDS_Shape shape = XCAFDoc_ShapeTool::GetShape(free.Value(i));
            if (!shape.IsNull()) addBodies(shape, nameOf(free.Value(i)), &colours, reply);
        }
    } catch (const Standard_Failure& e) {
        reply.bodies.clear();
        return e.GetMessageString();
    } catch (const std::exception& e) {
        reply.bodies.clear();
        return e.what();
    }
    return {};
}

// Without names and colours, root by root, so that a root the kernel cannot take costs only itself.
// "" when read, else why not.
std::string readPlain(const char* path, bool preScanRefuses, Reply& reply) {
    try {
        STEPControl_Reader reader;
        std::vector<StepPreScan::Unreadable> unset;
        if (const std::string unread = loadModel(reader, path, preScanRefuses, reply, unset); !unread.empty())
            return unread;
        if (std::string refusal = refusalOfLoad(reader, reply, false, unset); !refusal.empty()) return refusal;
        const int roots = reader.NbRootsForTransfer();
        int lost = 0;
        for (int i = 1; i <= roots; ++i) {
            try {
                if (!reader.TransferRoot(i)) ++lost;
            } catch (const Standard_Failure&) {
                ++lost;
            }
        }
        for (int k = 1; k <= reader.NbShapes(); ++k) {
            const TopoDS_Shape shape = reader.Shape(k);
            if (!shape.IsNull()) addBodies(shape, "", nullptr, reply);
        }
        if (lost > 0)
            reply.warnings.push_back(std::to_string(lost) + " of " + std::to_string(roots) +
                                     " shapes of the file could not be read");
    } catch (const Standard_Failure& e) {
        reply.bodies.clear();
        return std::string("the STEP reader failed: ") + e.GetMessageString();
    }
    return {};
}

// A reply's pieces, joined once at their whole size: a reply of megabytes grown a piece at a time would
// be copied and given fresh pages at each doubling.
class ReplyText {
public:
    void put(std::string bytes) {
        size_ += bytes.size();
        pieces_.push_back(std::move(bytes));
    }
    void putText(char tag, const std::string& text) {
        put(std::string(1, tag) + ' ' + std::to_string(text.size()) + '\n' + text + '\n');
    }
    std::string joined() const {
        std::string out;
        out.reserve(size_);
        for (const std::string& piece : pieces_) out += piece;
        return out;
    }

private:
    std::vector<std::string> pieces_;
    std::size_t size_ = 0;
};

// A shape's faces carry the mark of shapes the kernel has checked, which the reader's repairs leave; the host
// keeps the solid as the part file keeps it, which would carry the marks on. Cleared before writing, so that
// the binary form the host keeps is the one its own save would write.
void forgetChecks(const TopoDS_Shape& shape) {
    TopoDS_Shape marked = shape;
    marked.Checked(false);
    for (TopoDS_Iterator it(shape, false, false); it.More(); it.Next()) forgetChecks(it.Value());
}

// The box of every face of `shape` as the host works it out (boxOf), six numbers a face in the order the
// kernel maps them. The host takes them from the reply, and a face whose box would take minutes takes them
// here, under the time limit.
std::vector<double> faceBoxesOf(const TopoDS_Shape& shape) {
    TopTools_IndexedMapOfShape faces;
    TopExp::MapShapes(shape, TopAbs_FACE, faces);
    std::vector<double> boxes;
    for (int i = 1; i <= faces.Extent(); ++i) {
        const Box3 b = boxOf(faces(i));
        boxes.insert(boxes.end(), {b.min[0], b.min[1], b.min[2], b.max[0], b.max[1], b.max[2]});
    }
    return boxes;
}

// Each number in hexadecimal floating point, so that it comes back bit for bit, followed by ' '.
void putNumbers(std::string& out, const std::vector<double>& numbers) {
    for (double v : numbers) {
        char number[40];
        const auto written = std::to_chars(number, number + sizeof number, v, std::chars_format::hex);
        out.append(number, written.ptr).push_back(' ');
    }
}

std::string replyOf(const Reply& reply, const std::string& error) {
    ReplyText out;
    out.put("FXSTEP 1\n");
    for (const std::string& w : reply.warnings) out.putText('W', w);
    if (!error.empty()) {
        out.putText('X', error);
    } else {
        for (const Body& b : reply.bodies) {
            // The binary form hands the host the solid as it is here, every number as it is: its faces box as
            // they do here.
            forgetChecks(b.shape);
            std::string brep = shapeToBinary(b.shape);
            if (brep.empty()) continue;
            std::vector<double> faceBoxes;
            try {
                faceBoxes = faceBoxesOf(b.shape);
            } catch (const Standard_Failure& e) {
                // A face the kernel cannot box fails the import, as it did when the host boxed it.
                return replyOf({{}, reply.warnings}, std::string("the STEP reader failed: ") + e.GetMessageString());
            }
            out.put("S " + std::to_string(b.name.size()) + ' ' + std::to_string(b.colour) + ' ' +
                    std::to_string(brep.size()) + ' ' + std::to_string(b.faceColours.size()) + '\n');
            out.put(b.name);
            out.put(std::move(brep));
            std::string colours;
            for (int c : b.faceColours) colours += std::to_string(c) + ' ';
            out.put(colours + '\n');
            std::string boxes;
            putNumbers(boxes, faceBoxes);
            boxes += '\n';
            out.put(std::move(boxes));
        }
    }
    out.put("E\n");
    return out.joined();
}

}  // namespace

void quietKernel() { Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream)); }

std::string stepFileReply(const char* path, bool injectFault, bool namesAndColours, bool preScanRefuses) {
    Reply reply;
    if (!namesAndColours) return replyOf(reply, readPlain(path, preScanRefuses, reply));
    std::string refusal;
    const std::string why = readWithNamesAndColours(path, injectFault, preScanRefuses, reply, refusal);
    if (why.empty()) return replyOf(reply, {});
    if (!refusal.empty()) return replyOf(reply, refusal);
    reply.warnings.push_back("names and colours could not be read (" + why + "); the solids are read without them");
    const std::string error = readPlain(path, preScanRefuses, reply);
    return replyOf(reply, error);
}

// Each text made as the host makes it when it opens the part, so that a text whose making would not end,
// or would take the host's memory, ends this process instead; the boxes of its faces go back, so that the
// host makes it without boxing them again (host/geom/step_reply.h). A solid with a face the kernel could
// not make sends none: the host then makes it whole itself, as the reader did.
std::string geometryReply(std::string_view payload) {
    std::string made, boxes;
    auto putBoxes = [&](const std::vector<FaceGeom>& faces) {
        boxes += std::to_string(faces.size()) + '\n';
        for (const FaceGeom& f : faces) {
            const Box3 b = f.boundingBox();
            putNumbers(boxes, {b.min[0], b.min[1], b.min[2], b.max[0], b.max[1], b.max[2]});
        }
        boxes += '\n';
    };
    while (!payload.empty()) {
        const char kind = payload[0];
        std::size_t length = 0;
        const std::size_t eol = payload.find('\n');
        if ((kind != 'S' && kind != 'F') || payload.size() < 3 || payload[1] != ' ' || eol == std::string_view::npos ||
            std::from_chars(payload.data() + 2, payload.data() + eol, length).ptr != payload.data() + eol ||
            payload.size() - eol - 1 < length)
            return "FXGEOM 2\nX\n";
        const std::string_view text = payload.substr(eol + 1, length);
        payload.remove_prefix(eol + 1 + length);
        const std::optional<ReadBrep> read = readMadeBrep(text);
        if (kind == 'S') {
            const std::optional<SolidGeom> solid = read ? solidFromBrep(*read) : std::nullopt;
            made += solid ? '1' : '0';
            if (solid) putBoxes(solid->impl()->everyFace ? solid->faces() : std::vector<FaceGeom>());
        } else {
            const std::optional<FaceGeom> face = read ? faceFromBrep(*read) : std::nullopt;
            made += face ? '1' : '0';
            if (face) putBoxes({*face});
        }
    }
    return "FXGEOM 2\n" + made + '\n' + boxes + "E\n";
}

}  // namespace host::worker
