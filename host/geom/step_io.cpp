// STEP through the kernel's extended data exchange, which keeps names and colours. Colours are compared
// and written as the kernel's RGB values (0-1), scaled to 0-255 for the host palette.
#include "host/geom/step_io.h"

#include <IFSelect_ReturnStatus.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <Standard_Failure.hxx>
#include <TCollection_AsciiString.hxx>
#include <TCollection_ExtendedString.hxx>
#include <TDF_Label.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Shape.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>

#include "host/geom/occt_impl.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"

namespace host {
namespace {

// The kernel's translators report progress and statistics on the console; the host shows none of it.
void quietKernel() {
    static std::once_flag once;
    std::call_once(once, [] {
        const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
        messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    });
}

// A fresh document of the kernel's data exchange, closed when the holder goes.
class XdeDocument {
public:
    XdeDocument() : app_(XCAFApp_Application::GetApplication()) {
        app_->NewDocument(TCollection_ExtendedString("MDTV-XCAF"), doc_);
    }
    ~XdeDocument() {
        if (!doc_.IsNull()) app_->Close(doc_);
    }
    XdeDocument(const XdeDocument&) = delete;
    XdeDocument& operator=(const XdeDocument&) = delete;
    Handle(TDocStd_Document)& doc() { return doc_; }

private:
    Handle(XCAFApp_Application) app_;
    Handle(TDocStd_Document) doc_;
};

int toHost(const Quantity_Color& c) {
    double r, g, b;
    c.Values(r, g, b, Quantity_TOC_RGB);
    auto scale = [](double x) { return static_cast<int>(std::lround(std::clamp(x, 0.0, 1.0) * 255.0)); };
    return nearestHostColour(scale(r), scale(g), scale(b));
}

Quantity_Color fromHost(int colour) {
    int r, g, b;
    hostColourRgb(colour, r, g, b);
    return Quantity_Color(r / 255.0, g / 255.0, b / 255.0, Quantity_TOC_RGB);
}

int colourOf(const Handle(XCAFDoc_ColorTool)& colours, const TopoDS_Shape& shape) {
    Quantity_Color c;
    if (colours->GetColor(shape, XCAFDoc_ColorSurf, c) || colours->GetColor(shape, XCAFDoc_ColorGen, c))
        return toHost(c);
    return kNoColour;
}

std::string nameOf(const TDF_Label& label) {
    Handle(TDataStd_Name) name;
    if (!label.FindAttribute(TDataStd_Name::GetID(), name)) return {};
    return TCollection_AsciiString(name->Get()).ToCString();
}

StepSolid solidOf(const TopoDS_Shape& shape, const std::string& name, int bodyColour,
                  const Handle(XCAFDoc_ColorTool)& colours) {
    StepSolid s;
    s.name = name;
    int own = colourOf(colours, shape);
    s.colour = own != kNoColour ? own : bodyColour;
    SolidGeom geom = makeSolidGeom(shape);
    if (geom.empty()) return s;
    std::vector<int> faceColours;
    for (const FaceGeom& f : geom.faces()) faceColours.push_back(colourOf(colours, occtFace(f)));
    s.solid = geom.withFaceColours(std::move(faceColours));
    return s;
}

}  // namespace

StepImport importStep(const std::string& path) {
    quietKernel();
    StepImport result;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        result.error = path + ": no such file";
        return result;
    }
    try {
        XdeDocument xde;
        STEPCAFControl_Reader reader;
        reader.SetColorMode(true);
        reader.SetNameMode(true);
        if (reader.ReadFile(path.c_str()) != IFSelect_RetDone) {
            result.error = path + ": not a readable STEP file";
            return result;
        }
        if (!reader.Transfer(xde.doc())) {
            result.error = path + ": the STEP file's shapes cannot be read";
            return result;
        }
        Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(xde.doc()->Main());
        Handle(XCAFDoc_ColorTool) colours = XCAFDoc_DocumentTool::ColorTool(xde.doc()->Main());
        TDF_LabelSequence free;
        shapes->GetFreeShapes(free);
        for (int i = 1; i <= free.Length(); ++i) {
            TopoDS_Shape shape = XCAFDoc_ShapeTool::GetShape(free.Value(i));
            if (shape.IsNull()) continue;
            std::string name = nameOf(free.Value(i));
            int bodyColour = colourOf(colours, shape);
            TopTools_IndexedMapOfShape solids;
            TopExp::MapShapes(shape, TopAbs_SOLID, solids);
            for (int k = 1; k <= solids.Extent(); ++k) {
                StepSolid s = solidOf(solids(k), name, bodyColour, colours);
                if (!s.solid.empty()) result.solids.push_back(std::move(s));
            }
            if (solids.Extent() == 0) {
                StepSolid s = solidOf(shape, name, bodyColour, colours);
                if (!s.solid.empty()) result.solids.push_back(std::move(s));
            }
        }
    } catch (const Standard_Failure& e) {
        result.solids.clear();
        result.error = path + ": the STEP reader failed: " + e.GetMessageString();
        return result;
    }
    if (result.solids.empty()) result.error = path + ": the file holds no solids";
    return result;
}

std::string exportStep(const std::vector<StepSolid>& solids, const std::string& path) {
    quietKernel();
    if (solids.empty()) return "no solids to write";
    try {
        XdeDocument xde;
        Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(xde.doc()->Main());
        Handle(XCAFDoc_ColorTool) colours = XCAFDoc_DocumentTool::ColorTool(xde.doc()->Main());
        for (const StepSolid& s : solids) {
            if (s.solid.empty()) return "an empty solid cannot be written";
            TDF_Label label = shapes->AddShape(occtShape(s.solid), false);
            if (!s.name.empty()) TDataStd_Name::Set(label, TCollection_ExtendedString(s.name.c_str()));
            if (s.colour != kNoColour) colours->SetColor(label, fromHost(s.colour), XCAFDoc_ColorSurf);
            const std::vector<FaceGeom>& faces = s.solid.faces();
            for (std::size_t i = 0; i < faces.size(); ++i) {
                int c = s.solid.faceColours()[i];
                if (c == kNoColour) continue;
                TDF_Label sub = shapes->AddSubShape(label, occtFace(faces[i]));
                if (!sub.IsNull()) colours->SetColor(sub, fromHost(c), XCAFDoc_ColorSurf);
            }
        }
        STEPCAFControl_Writer writer;
        writer.SetColorMode(true);
        writer.SetNameMode(true);
        if (!writer.Transfer(xde.doc(), STEPControl_AsIs)) return "the solids cannot be put into STEP";
        if (writer.Write(path.c_str()) != IFSelect_RetDone) return path + ": cannot be written";
    } catch (const Standard_Failure& e) {
        return std::string("the STEP writer failed: ") + e.GetMessageString();
    }
    return {};
}

std::string openStepAsPart(const std::string& path) {
    StepImport imported = importStep(path);
    if (!imported.ok()) return imported.error;
    newPart();
    for (const StepSolid& s : imported.solids)
        storeSolidEntity(s.solid, s.colour == kNoColour ? main_color : s.colour, main_level, s.name);
    return {};
}

}  // namespace host
