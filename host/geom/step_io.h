// STEP files in and out: the solids of a file with their names and colours (host palette numbers, the
// nearest palette colour to the file's), and a part's solids written back with theirs. Lengths come in
// and go out in millimetres. Errors are values: a missing, damaged or empty file gives a message.
#pragma once
#include <string>
#include <vector>

#include "host/geom/face_geom.h"

namespace host {

struct StepSolid {
    SolidGeom solid;          // with its face colours (kNoColour where the file has none)
    std::string name;         // the product's name, "" when the file gives none
    int colour = kNoColour;   // the body's own colour
};

struct StepImport {
    std::vector<StepSolid> solids;   // free solids first in file order; a free shell or face set becomes a
                                     // sheet body of its own
    std::string error;               // "" on success
    bool ok() const { return error.empty(); }
};

StepImport importStep(const std::string& path);
// "" on success, else why not.
std::string exportStep(const std::vector<StepSolid>& solids, const std::string& path);

// Opens a STEP file as a new part: every solid becomes a solid entity on main_level, in its own colour
// (main_color when it has none). "" on success, else the import's error; on error the open part is left
// as it was.
std::string openStepAsPart(const std::string& path);

}  // namespace host
