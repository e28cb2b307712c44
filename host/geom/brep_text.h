// Faces and solids as the kernel's own BRep text, the form part files store faces in (and solids before
// format version 4), and solids in the kernel's binary form, which keeps every number as the solid has it:
// the form the STEP reader hands them over in and part files store them in. Reading never throws: damaged or
// foreign text gives nullopt. Face colours of a solid are not part of either; they travel as a separate short
// text (space-separated colour numbers, -1 for none).
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/geom/face_geom.h"

class TopoDS_Shape;

namespace host {

std::string faceToBrepText(const FaceGeom& face);
std::optional<FaceGeom> faceFromBrepText(std::string_view text);

std::string solidToBrepText(const SolidGeom& solid);
// The binary form; "" when the kernel cannot write it.
std::string solidToBinary(const SolidGeom& solid);
std::string shapeToBinary(const TopoDS_Shape& shape);
// `faceBoxes` as makeSolidGeom takes them (host/geom/occt_impl.h).
std::optional<SolidGeom> solidFromBrepText(std::string_view text, const std::vector<Box3>* faceBoxes = nullptr);

// The text read, its face or solid not made yet. Reading is most of the cost and cannot run away on text
// the reader takes; making the face or solid (its boxes, which classify points of its faces) can, on a
// crafted text, run for minutes: a part file's opening reads while the reader process makes.
class ReadBrep {
public:
    ReadBrep() = default;
    explicit ReadBrep(std::shared_ptr<const TopoDS_Shape> shape) : shape_(std::move(shape)) {}
    const TopoDS_Shape* shape() const { return shape_.get(); }

private:
    std::shared_ptr<const TopoDS_Shape> shape_;
};
std::optional<ReadBrep> readBrepText(std::string_view text);
// Either form: the text as readBrepText reads it, the binary form as the kernel reads it. The kernel's binary
// reader trusts what it reads (a count or index out of range is not caught), so the binary form is read only
// in the reader process, or in the host where a reader process made a face or solid of the same bytes
// already: its reply, a part file's geometry it made.
std::optional<ReadBrep> readMadeBrep(std::string_view bytes);
bool isBinaryBrep(std::string_view bytes);
// `box`, when given, the face's box as boxOf gives it, worked out already (makeFaceGeom).
std::optional<FaceGeom> faceFromBrep(const ReadBrep& read, const Box3* box = nullptr);
std::optional<SolidGeom> solidFromBrep(const ReadBrep& read, const std::vector<Box3>* faceBoxes = nullptr);

std::string faceColoursToText(const SolidGeom& solid);
// nullopt when the text is not a list of numbers or its count differs from the solid's faces.
std::optional<SolidGeom> withFaceColoursFromText(const SolidGeom& solid, std::string_view text);

}  // namespace host
