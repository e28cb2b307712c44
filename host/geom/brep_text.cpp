// BRep text of faces and solids. The kernel's reader reports damage by throwing or by leaving the shape
// null; both become nullopt here.
#include "host/geom/brep_text.h"

#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <Standard_Failure.hxx>
#include <TopoDS_Shape.hxx>

#include <charconv>
#include <sstream>

#include "host/geom/occt_impl.h"

namespace host {
namespace {

std::string write(const TopoDS_Shape& shape) {
    std::ostringstream out;
    try {
        BRepTools::Write(shape, out, false, false, TopTools_FormatVersion_CURRENT);
    } catch (const Standard_Failure&) {
        return {};
    }
    return out.str();
}

std::optional<TopoDS_Shape> read(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::istringstream in{std::string(text)};
    TopoDS_Shape shape;
    try {
        BRep_Builder builder;
        BRepTools::Read(shape, in, builder);
    } catch (const Standard_Failure&) {
        return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (shape.IsNull()) return std::nullopt;
    return shape;
}

}  // namespace

std::string faceToBrepText(const FaceGeom& face) { return face.empty() ? std::string() : write(occtFace(face)); }

std::optional<FaceGeom> faceFromBrepText(std::string_view text) {
    std::optional<TopoDS_Shape> shape = read(text);
    if (!shape || shape->ShapeType() != TopAbs_FACE) return std::nullopt;
    FaceGeom face = makeFaceGeom(*shape);
    if (face.empty()) return std::nullopt;
    return face;
}

std::string solidToBrepText(const SolidGeom& solid) { return solid.empty() ? std::string() : write(occtShape(solid)); }

std::optional<SolidGeom> solidFromBrepText(std::string_view text) {
    std::optional<TopoDS_Shape> shape = read(text);
    if (!shape) return std::nullopt;
    SolidGeom solid = makeSolidGeom(*shape);
    if (solid.empty()) return std::nullopt;
    return solid;
}

std::string faceColoursToText(const SolidGeom& solid) {
    std::string text;
    for (int c : solid.faceColours()) {
        if (!text.empty()) text += ' ';
        text += std::to_string(c);
    }
    return text;
}

std::optional<SolidGeom> withFaceColoursFromText(const SolidGeom& solid, std::string_view text) {
    std::vector<int> colours;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        int value = 0;
        auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc() || (next < end && *next != ' ')) return std::nullopt;
        if (value < kNoColour) return std::nullopt;
        colours.push_back(value);
        p = next;
    }
    if (colours.size() != solid.faces().size()) return std::nullopt;
    return solid.withFaceColours(std::move(colours));
}

}  // namespace host
