// Tools in the host's tool libraries and in the part's tool list: reading a list, the next free number and
// slot of a library, adding a tool to a library or to the part, finding a library tool by name and a part
// tool like a given one, the default drill cycle of a tool type, and the version check of a tool's profile
// file. T is the base tolerance.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/api.h"

// The tools of a host tool list: "" the part's tool list, else a tool library file. Empty when the list
// cannot be read; *refused then tells a library file the host would not read (damaged) from a missing one.
std::vector<tp_tool> loadToolList(const std::string& name, bool* refused = nullptr);
// The tools of a library file; none for an empty path (which would name the part's list instead). While a
// LibraryToolsKept lives, each library is read once and its tools kept.
std::vector<tp_tool> loadLibraryTools(const std::string& library);
// Whether the library file is there and the host refuses to read it (the host said why on its message line).
bool libraryRefused(const std::string& library);
// While one of these lives (a run that looks tools up operation after operation), loadLibraryTools reads
// each library once; a tool added through addToolToLibrary joins the kept tools (a failed add drops them, so
// the next look-up reads the library again). The tools are let go when the outermost one ends.
class LibraryToolsKept {
public:
    LibraryToolsKept();
    ~LibraryToolsKept();
    LibraryToolsKept(const LibraryToolsKept&) = delete;
    LibraryToolsKept& operator=(const LibraryToolsKept&) = delete;
};
// The configured tool library (setting "ProcessMach" 1).
std::string configuredToolLibrary();
// The big library of the units under the host folder; in inches "big" when it exists, else "big_Inch".
std::string bigToolLibrary(bool metric);

int nextFreeToolNumber(const std::string& library, int* number, int* slot);
int toolNumberBySlot(const std::string& library, int slot);
// 0 stored (number and slot returned), 1 not.
int addToolToLibrary(const std::string& library, const tp_tool* tool, int* number, int* slot);
// 1 and the library's tool when the library holds one that is the same tool (every value but its slot, its
// number and the value outside its identity); else 0.
int findSameLibraryTool(const std::string& library, const tp_tool& tool, tp_tool* out);
// 1 and the first tool of the type (0 any) of the configured library whose trimmed name equals `name`
// ignoring case; 0 (and `out` zeroed) when there is none.
int findLibraryToolByName(std::int16_t type, const std::string& name, tp_tool* out);
// The host id of the first part tool like `tool` (0 none); its record is copied over `tool`.
std::int32_t findPartToolLike(tp_tool* tool, bool sameMaterial, bool sameName, const char* text);
// Adds the tool to the part with the lowest free tool number; its host id, 0 for a tool of negative type.
std::int32_t addToolToPart(tp_tool* tool);
// Reads the part file that the tool's profile names: 0 with the profile's length along the tool axis in
// `length` (when given; 0 when no profile line ends on the axis), -1 for a host too old to read it, a
// file that cannot be read or one written by an older host (said in a message).
[[nodiscard]] int checkToolFileVersion(const tp_tool* tool, double* length);
// The default drill cycle of an operation of the tool type.
[[nodiscard]] int mapToolTypeCode(std::int16_t type);
