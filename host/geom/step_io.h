// STEP files in and out: the solids of a file with their names and colours (host palette numbers, the
// nearest palette colour to the file's), and a part's solids written back with theirs. Lengths come in
// and go out in millimetres. Errors are values: a missing, damaged, hostile or empty file gives a message.
// The kernel reads a file in a process of its own (fxstepread, beside the host library) under a time and
// memory limit, after a pre-scan there (step_scan.h) has refused what would crash or hang it.
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
    std::vector<std::string> warnings;   // what was read otherwise than asked (names and colours lost ...)
    std::string error;               // "" on success
    bool ok() const { return error.empty(); }
};

struct StepImportOptions {
    double timeLimitSeconds = 0;   // 0: a minute, and four seconds more per megabyte of the file
    long memoryLimitMb = 0;        // 0: 4 GiB, and 64 times the file's size more
    bool skipPreScan = false;      // tests: let the kernel meet what the pre-scan refuses
    bool failNamesAndColours = false;   // tests: the transfer with names and colours throws
    bool crashNamesAndColours = false;  // tests: the reader crashes in the transfer with names and colours
};

StepImport importStep(const std::string& path, const StepImportOptions& options = {});
// "" on success, else why not.
std::string exportStep(const std::vector<StepSolid>& solids, const std::string& path);

// Opens a STEP file as a new part: every solid becomes a solid entity on main_level, in its own colour
// (main_color when it has none); the import's warnings go to the message line. "" on success, else the
// import's error; on error the open part is left as it was.
std::string openStepAsPart(const std::string& path, const StepImportOptions& options = {});

}  // namespace host
