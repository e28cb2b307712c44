// The host folder this stand-in ships (data/host/): its tool libraries and material files, built from
// the standard series of drills, threads and cutters. host/tools/make_host_data.cpp writes them; a test
// checks that the committed folder is what this code makes.
//   Mill/Tools/Mill_mm.Tools, Mill_Inch.Tools   a shop's working libraries (the default tool libraries)
//   Mill/Tools/big_mm.Tools, big_Inch.Tools     every catalogue tool of the units
//   Mill/Tools/big.Tools                        both: metric tools with their unit flag set, inch clear
//   Materials/Mill_mm.Materials, Mill_Inch.Materials
// The system has no thread-mill tool type: thread mills are user-profile tools (type 0) carrying their pitch.
#pragma once
#include <string>
#include <vector>

#include "host/api.h"

namespace host::tools {

struct CatalogueFile {
    std::string relativePath;   // below the host folder, '/'-separated
    std::string bytes;
};
std::vector<CatalogueFile> hostFolderFiles();

std::vector<tp_tool> workingLibrary(bool metric);
std::vector<tp_tool> bigLibrary(bool metric);
std::vector<material> shippedMaterials(bool metric);

// Writes every file below `dir`, creating folders; false with a message naming the file on failure.
[[nodiscard]] bool writeHostFolder(const std::string& dir, std::string& message);

}  // namespace host::tools
