// Generated groups and tool-sequence entries: freeing and their images.
#include "plugin/model/tool_records.h"

#include <cstring>

LoadTime<std::vector<FULL_TOOLS_SEQ>> g_fullToolsSeq;
LoadTime<std::vector<TP_TOOL_IMAGE>> g_toolsArray;

static_assert(gen_op_group_layout::next == sizeof(GEN_OP_GROUP::name));
static_assert(gen_op_group_layout::next + 4 == GEN_OP_GROUP::kSize);
static_assert(tools_seq_layout::opeCount == tools_seq_layout::viewCount + sizeof(FULL_TOOLS_SEQ::viewCount));
static_assert(tools_seq_layout::tools + 4 + sizeof(FULL_TOOLS_SEQ::area20) == FULL_TOOLS_SEQ::kSize);

int freeGenOpGroupList(GEN_OP_GROUP* first) {
    while (first) {
        GEN_OP_GROUP* next = first->next;
        delete first;
        first = next;
    }
    return 0;
}

std::array<std::uint8_t, GEN_OP_GROUP::kSize> genOpGroupImage(const GEN_OP_GROUP& group, const LinkIdOf& idOf) {
    std::array<std::uint8_t, GEN_OP_GROUP::kSize> image{};
    putField(image.data(), 0, group.name);
    putLink(image.data(), gen_op_group_layout::next, idOf, group.next);
    return image;
}

bool genOpGroupFromImage(const std::uint8_t* image, std::size_t n, GEN_OP_GROUP& group) {
    if (n > GEN_OP_GROUP::kSize) return false;
    std::array<std::uint8_t, GEN_OP_GROUP::kSize> full{};
    if (n) std::memcpy(full.data(), image, n);
    group = GEN_OP_GROUP{};
    getField(full.data(), 0, group.name);
    return true;
}

std::array<std::uint8_t, FULL_TOOLS_SEQ::kSize> toolsSeqImage(const FULL_TOOLS_SEQ& entry, const LinkIdOf& idOf) {
    using namespace tools_seq_layout;
    std::array<std::uint8_t, FULL_TOOLS_SEQ::kSize> image{};
    std::uint8_t* at = image.data();
    putLink(at, view, idOf, entry.view);
    putField(at, viewCount, entry.viewCount);
    putField(at, opeCount, static_cast<std::int32_t>(entry.opes.size()));
    putLink(at, opes, idOf, entry.opes.empty() ? nullptr : entry.opes.data());
    putLink(at, tools, idOf, entry.tools);
    putField(at, tools + 4, entry.area20);
    return image;
}

FULL_TOOLS_SEQ toolsSeqFromImage(const std::uint8_t* image, TOOLS_SEQ_SLOTS& slots) {
    using namespace tools_seq_layout;
    FULL_TOOLS_SEQ entry;
    slots.view = getLink(image, view);
    getField(image, viewCount, entry.viewCount);
    getField(image, opeCount, slots.opeCount);
    getField(image, tools + 4, entry.area20);
    return entry;
}
