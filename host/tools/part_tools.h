// The part's mill tool list: the database records (what the part file keeps, by host id) and the list the
// plug-in walks (TpPartToolList in api_tools.h). Stored in the part file as rows of one table, in order:
//   row 0   u16 codec version (1), u32 count of tool rows, i32 next host id
//   row n   i32 host id, u16 image size (1680), the tp_tool image
// Ids are positive, below the next id and rising; slots are positive and unique; texts end inside their
// fields. A reopened part's list is its database in id order.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "host/api.h"

namespace host::tools {

struct PartToolState {
    std::map<std::int32_t, tp_tool> records;   // by host id
    std::vector<part_tool> list;
    std::int32_t nextId = 1;
};

PartToolState& partTools();
void resetPartTools();
void installPartTools(PartToolState&& state);

constexpr std::uint16_t kPartToolsCodec = 1;
std::vector<std::string> encodePartTools(const PartToolState& state);
// `why` says what is wrong without naming the file.
[[nodiscard]] bool decodePartTools(const std::vector<std::string>& rows, PartToolState& out, std::string& why);

}  // namespace host::tools
