// Records of operation generation kept in the part: the operation groups the system created
// (GEN_OP_GROUP, a list from CYCLE_RECORDS::genOpGroups), the entries of the tool sequence
// (FULL_TOOLS_SEQ, g_fullToolsSeq) and the tool array (host tp_tool, g_toolsArray). Images are packed and
// little-endian; `areaN` members are image bytes at offset N whose fields are not named yet, carried
// unchanged.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/api.h"
#include "plugin/base/load_time.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/record_image.h"
#include "plugin/model/tree.h"

struct VIEW_LIST;
struct OPE_LIST;

// The tool array holds host tool records.
using TP_TOOL_IMAGE = tp_tool;

// An operation group the system created in the host, known by its name.
struct GEN_OP_GROUP {
    static constexpr std::size_t kSize = 266;
    char name[262] = {};                    // zero-ended
    GEN_OP_GROUP* next = nullptr;
};

// One entry of the tool sequence: the operations of one view done with one tool.
struct FULL_TOOLS_SEQ {
    static constexpr std::size_t kSize = 24;
    VIEW_LIST* view = nullptr;                      // first view of the group
    std::int32_t viewCount = 0;                     // views in the group
    std::vector<OPE_LIST*> opes;                    // owned array; its size is the stored opeCount
    std::vector<TP_TOOL_IMAGE>* tools = nullptr;    // the tool array the entry refers to
    std::uint8_t area20[4] = {};
};

// The cycle's tool sequence and the part's tool array, kept in the part with the tree.
extern LoadTime<std::vector<FULL_TOOLS_SEQ>> g_fullToolsSeq;
extern LoadTime<std::vector<TP_TOOL_IMAGE>> g_toolsArray;

namespace gen_op_group_layout {
constexpr std::size_t next = 262;
}
namespace tools_seq_layout {
constexpr std::size_t view = 0, viewCount = 4, opeCount = 8, opes = 12, tools = 16;
}

// Releases the list from `first` following `next`. Returns 0.
int freeGenOpGroupList(GEN_OP_GROUP* first);

std::array<std::uint8_t, GEN_OP_GROUP::kSize> genOpGroupImage(const GEN_OP_GROUP& group, const LinkIdOf& idOf);
// From the first `n` bytes of an image, the rest zero, `next` null; false (group untouched) when n exceeds
// the record.
[[nodiscard]] bool genOpGroupFromImage(const std::uint8_t* image, std::size_t n, GEN_OP_GROUP& group);

// The opes array travels after the image (its slot holds the array's identity); `tools` is written as the
// identity of the array it points to.
std::array<std::uint8_t, FULL_TOOLS_SEQ::kSize> toolsSeqImage(const FULL_TOOLS_SEQ& entry, const LinkIdOf& idOf);
// What an entry's image holds beside the entry: the links as stored and the operation count.
struct TOOLS_SEQ_SLOTS {
    std::uint32_t view = 0;
    std::int32_t opeCount = 0;
};
// The entry of a 24-byte image with every link null and no operations; `slots` gets the stored values.
FULL_TOOLS_SEQ toolsSeqFromImage(const std::uint8_t* image, TOOLS_SEQ_SLOTS& slots);
