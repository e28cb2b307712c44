// Tool library files (".Tools"): the record-file container of record_file.h with magic "FXTOOLS".
//   format 3   the host's libraries: records of 1680 bytes, each a whole tp_tool image (api_tools.h), in
//              library order; the CRC covers them. Slots are positive and unique within a file; the name
//              and profile texts end inside their fields.
//   format 1/2 the spot-drill selection templates the plug-in writes (header 64/86, records 195/980, no
//              CRC): u32 number, u16 type (1: spot drill), u8 unit, u8 0, f64 diameter, f64 tip angle,
//              f64 flute length, f64 overall length, 32-byte name. They read as spot drills (type 2) in
//              slots 1, 2, ...; a library written over one is written in format 3.
// Newer formats are refused with both version numbers. Files are replaced whole: written beside the
// target and renamed over it, so a failed write leaves the old library as it was.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "host/api.h"

namespace host::tools {

constexpr const char* kToolLibraryMagic = "FXTOOLS";
constexpr std::uint16_t kToolLibraryFormat = 3;

// False, with why, for a file damaged as a whole (its header, length, checksum or format). A tool whose slot
// is not positive or is taken, whose name runs past its field or whose values break the rule of tools
// (tool_values_why, api_tools.h) is left out and named in `leftOut` ("tool 130 (NAME): its diameter 1e+20 is
// out of range", "; " between tools); the other tools are read.
[[nodiscard]] bool decodeToolLibrary(std::string_view bytes, std::vector<tp_tool>& out, std::string& why,
                                     std::string* leftOut = nullptr);
std::string encodeToolLibrary(const std::vector<tp_tool>& tools);

// False, with `refusal` naming the file ("The tool library PATH cannot be read: ..."), for a file that is missing
// or damaged as a whole; true otherwise, `refusal` left empty. The tools the reader leaves out are told apart
// from a refusal: `leftOut` (when given) names them as decodeToolLibrary does, "" for none.
[[nodiscard]] bool readToolLibrary(const std::string& path, std::vector<tp_tool>& out, std::string& refusal,
                                   std::string* leftOut = nullptr);
// The sentence telling the tools a library's reading left out (`leftOut` as readToolLibrary gives it).
std::string leftOutMessage(const std::string& path, const std::string& leftOut);
// Refuses, writing nothing, tools the reader would leave out.
[[nodiscard]] bool writeToolLibrary(const std::string& path, const std::vector<tp_tool>& tools, std::string& message);

// The name and profile texts cut to their fields: a record the plug-in filled to the last byte is stored
// with its last character dropped rather than as a file no reader would take.
void terminateTexts(tp_tool& tool);
// The name as far as its field reaches.
std::string_view toolName(const tp_tool& tool);

// 1 + the highest number and 1 + the highest slot of the tools (1 and 1 for none).
struct NextFree {
    std::int32_t number = 1, slot = 1;
};
NextFree nextFree(const std::vector<tp_tool>& tools);

// Appends the tool: it keeps its slot when that is positive and free, else takes the next free slot; its
// number is `number` when positive, else the next free one. The record gets both. False when every slot is
// taken.
[[nodiscard]] bool addTool(std::vector<tp_tool>& tools, tp_tool& tool, std::int32_t number);
// Replaces the tool at `slot`; it keeps the slot, and its number when the record has none. False when no
// tool has the slot.
bool rewriteAtSlot(std::vector<tp_tool>& tools, const tp_tool& tool, std::int32_t slot);

}  // namespace host::tools
