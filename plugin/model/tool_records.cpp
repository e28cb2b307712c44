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

namespace {

// Each image's fields in stored order, walked by its writer (IMAGE_OUT over a const record) and its reader
// (IMAGE_IN over a fresh one). A link names the record's pointer, which the writer gives as its identity, and
// the slot the reader keeps the stored identity in (null: not kept, the loader relinks it another way).
struct IMAGE_OUT {
    std::uint8_t* image;
    const LinkIdOf& idOf;
    template <class T>
    void field(std::size_t at, const T& member) { putField(image, at, member); }
    void link(std::size_t at, const void* record, const std::uint32_t*) { putLink(image, at, idOf, record); }
};

struct IMAGE_IN {
    const std::uint8_t* image;
    template <class T>
    void field(std::size_t at, T& member) { getField(image, at, member); }
    void link(std::size_t at, const void*, std::uint32_t* slot) {
        if (slot) *slot = getLink(image, at);
    }
};

template <class IO, class GROUP>
void genOpGroupFields(IO& io, GROUP& g) {
    io.field(0, g.name);
    io.link(gen_op_group_layout::next, g.next, nullptr);
}

// The operation count is the writer's array size and the reader's slot: the operations follow the image.
template <class IO, class ENTRY, class SLOTS>
void toolsSeqFields(IO& io, ENTRY& e, SLOTS& s) {
    using namespace tools_seq_layout;
    io.link(view, e.view, &s.view);
    io.field(viewCount, e.viewCount);
    io.field(opeCount, s.opeCount);
    io.link(opes, e.opes.empty() ? nullptr : e.opes.data(), nullptr);
    io.link(tools, e.tools, nullptr);
    io.field(tools + 4, e.area20);
}

}  // namespace

std::array<std::uint8_t, GEN_OP_GROUP::kSize> genOpGroupImage(const GEN_OP_GROUP& group, const LinkIdOf& idOf) {
    std::array<std::uint8_t, GEN_OP_GROUP::kSize> image{};
    IMAGE_OUT io{image.data(), idOf};
    genOpGroupFields(io, group);
    return image;
}

bool genOpGroupFromImage(const std::uint8_t* image, std::size_t n, GEN_OP_GROUP& group) {
    if (n > GEN_OP_GROUP::kSize) return false;
    std::array<std::uint8_t, GEN_OP_GROUP::kSize> full{};
    if (n) std::memcpy(full.data(), image, n);
    group = GEN_OP_GROUP{};
    IMAGE_IN io{full.data()};
    genOpGroupFields(io, group);
    return true;
}

std::array<std::uint8_t, FULL_TOOLS_SEQ::kSize> toolsSeqImage(const FULL_TOOLS_SEQ& entry, const LinkIdOf& idOf) {
    std::array<std::uint8_t, FULL_TOOLS_SEQ::kSize> image{};
    const TOOLS_SEQ_SLOTS slots{0, static_cast<std::int32_t>(entry.opes.size())};
    IMAGE_OUT io{image.data(), idOf};
    toolsSeqFields(io, entry, slots);
    return image;
}

FULL_TOOLS_SEQ toolsSeqFromImage(const std::uint8_t* image, TOOLS_SEQ_SLOTS& slots) {
    FULL_TOOLS_SEQ entry;
    IMAGE_IN io{image};
    toolsSeqFields(io, entry, slots);
    return entry;
}
