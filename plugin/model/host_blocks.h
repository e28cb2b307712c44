// The host's milling parameter blocks that a PROCESS_OPE carries: their sizes and places in the record,
// their letter form in the "[Process]" part (each byte two letters 'a' + low nibble, 'a' + high nibble),
// and the older packed layouts (the same members without alignment padding) that the reader still accepts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/api_operation.h"
#include "plugin/model/process_ope.h"

constexpr std::size_t kBlock6 = 6, kBlock64 = 64, kBlock40 = 40, kBlock168 = 168;
constexpr std::size_t kCircleMillSize = 208, kContourSize = 552, kHelixBoreSize = 216, kThreadMillSize = 168;
constexpr std::size_t kZeroLineBytes = 16;   // the line of zero bytes that ends an operation's blocks

// The common blocks and the kind blocks are the host's structures, kept byte for byte: their fields have one
// definition, the host's (op_depth_cuts_layout, op_radial_layout, op_lead_layout, op_circle_layout,
// op_helix_layout, op_thread_layout), which the member lists below must agree with (isLayoutMember).
namespace radial_passes = op_radial_layout;
namespace circle_fields = op_circle_layout;
namespace helix_fields = op_helix_layout;
namespace thread_fields = op_thread_layout;

// The compensation block's fields as the operation editor reads and writes them.
namespace comp_fields {
constexpr std::size_t type = 0 /* i16 */, direction = 2 /* u8 */;
}

// Milled kinds of an operation definition.
constexpr int kMilledNone = 0, kCircleMill = 1, kContour = 2, kHelixBore = 3, kThreadMill = 4;

// Offset and size in PROCESS_OPE of the block of a milled kind (1 .. 4); size 0 for other kinds.
struct BLOCK_PLACE {
    std::size_t at, size;
};
BLOCK_PLACE kindBlockPlace(int milledKind);

std::string encodeBlock(const std::uint8_t* bytes, std::size_t n);
// At most n bytes; stops at the end of the text (a lone last letter is dropped). Returns the bytes written.
std::size_t decodeBlock(std::string_view letters, std::size_t n, std::uint8_t* out);
// Whether the text is a whole letter form: an even number of letters 'a' .. 'p'.
bool isBlockText(std::string_view letters);

// Packed layouts: 0 the 6-byte block, 1 the 64-byte, 2 the 40-byte, 3 the 168-byte, 4 the circle-mill and
// 5 the contour block; 6 the helix-bore and 7 the thread-mill block have member lists but no older packed
// form. The packed sizes in bytes:
constexpr std::size_t kPackedSizes[6] = {5, 46, 22, 139, 155, 246};
constexpr std::size_t kAlignedSizes[6] = {kBlock6, kBlock64, kBlock40, kBlock168, kCircleMillSize, kContourSize};
// Decodes a packed block and places each member at its place in the current structure, the rest zero; a
// packed circle-mill block also gets its first byte and its first double cleared. `out` holds the current
// structure's size. Returns the bytes decoded.
std::size_t convertPackedBlock(int layoutKind, std::string_view letters, std::uint8_t* out);
// The size of the packed form of a layout as computed from its member list (what kPackedSizes states).
std::size_t packedLayoutSize(int layoutKind);
std::size_t alignedLayoutSize(int layoutKind);
// Whether a member of `size` bytes of the layout (0 .. 7) lies at byte `at` of its aligned structure.
bool isLayoutMember(int layoutKind, std::size_t at, std::size_t size);
