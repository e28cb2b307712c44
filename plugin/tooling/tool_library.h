// Tools in the host's tool libraries and in the part's tool list: reading a list, the next free number and
// slot of a library, adding a tool to a library or to the part, finding a library tool by name and a part
// tool like a given one, the default drill cycle of a tool type, the version check of a tool's profile file,
// and telling a tool that cannot be made. T is the base tolerance.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "host/api.h"

struct OPE_LIST;

// The tools of a host tool list: "" the part's tool list, else a tool library file. Empty when the list
// cannot be read; *refused then tells a library file the host would not read (damaged) from a missing one.
std::vector<tp_tool> loadToolList(const std::string& name, bool* refused = nullptr);
// The tools of a library file; none for an empty path (which would name the part's list instead). While a
// keepLibraryTools() scope (plugin/services/tooling.h) lives, each library is read once and its tools kept.
std::vector<tp_tool> loadLibraryTools(const std::string& library);
// The same without a copy of kept tools: they, or the tools read into `storage`. Valid until a tool is added.
const std::vector<tp_tool>& libraryTools(const std::string& library, std::vector<tp_tool>& storage);
// The big library of the units under the host folder; in inches "big" when it exists, else "big_Inch".
std::string bigToolLibrary(bool metric);

// A tool made from a table's values that no library or part may hold (tool_values_why: a diameter of 1e20
// would be drilled above the part): the user hears of the process line that asks for it, once a run
// (`told` keeps the lines told), and the operation gets no tool.
void tellUnmadeTool(const OPE_LIST& o, const std::string& why, std::set<std::string>& told);

int toolNumberBySlot(const std::string& library, int slot);
// The host id of the first part tool like `tool` (0 none); its record is copied over `tool`.
std::int32_t findPartToolLike(tp_tool* tool, bool sameMaterial, bool sameName, const char* text);
// Adds the tool to the part with the lowest free tool number; its host id, 0 for a tool of negative type.
std::int32_t addToolToPart(tp_tool* tool);
// Reads the part file that the tool's profile names: 0 with the profile's length along the tool axis in
// `length` (when given; 0 when no profile line ends on the axis), -1 for a host too old to read it, a
// file that cannot be read or one written by an older host (said in a message).
[[nodiscard]] int checkToolFileVersion(const tp_tool* tool, double* length);
