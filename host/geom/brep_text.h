// Faces and solids as the kernel's own BRep text, the form part files store geometry in. Reading never
// throws: damaged or foreign text gives nullopt. Face colours of a solid are not part of the BRep text;
// they travel as a separate short text (space-separated colour numbers, -1 for none).
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/geom/face_geom.h"

namespace host {

std::string faceToBrepText(const FaceGeom& face);
std::optional<FaceGeom> faceFromBrepText(std::string_view text);

std::string solidToBrepText(const SolidGeom& solid);
// `faceBoxes` as makeSolidGeom takes them (host/geom/occt_impl.h).
std::optional<SolidGeom> solidFromBrepText(std::string_view text, const std::vector<Box3>* faceBoxes = nullptr);

std::string faceColoursToText(const SolidGeom& solid);
// nullopt when the text is not a list of numbers or its count differs from the solid's faces.
std::optional<SolidGeom> withFaceColoursFromText(const SolidGeom& solid, std::string_view text);

}  // namespace host
