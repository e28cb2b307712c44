// The stored images of the recognition tree's records: packed, little-endian, field by field at the
// offsets the part keeps (VIEW_LIST 534 bytes, POINT_LIST 586, CYL_LIST 777; older tables hold 629-byte
// segments). A link is a 32-bit slot holding the identity number the saving run gave the linked record
// (its "address"); a reader hands the slots back beside the record, whose pointers stay null for the
// loader to relink. An image shorter than the record comes from an earlier release: the missing tail
// reads as zero.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "plugin/base/byte_codec.h"
#include "plugin/model/tree.h"

constexpr std::size_t kViewListSize = 534;
constexpr std::size_t kPointListSize = 586;
constexpr std::size_t kCylListSize = 777;
constexpr std::size_t kOldCylListSize = 629;

// The identity number a linked record (any of the tree's records, an operation, a description array) is
// written as. Null must give 0.
using TREE_LINK_ID = std::function<std::uint32_t(const void* record)>;
// Writes 0 into every link slot.
std::uint32_t noLinkIds(const void* record);

// The stored link slots of an image as read.
struct VIEW_LINKS {
    std::uint32_t firstPoint = 0, prev = 0, next = 0;
};
struct POINT_LINKS {
    std::uint32_t nextEqual = 0, descs = 0, opeList = 0, deepSplitNext = 0, deepSplitPrev = 0;
    std::uint32_t firstCyl = 0, view = 0, prev = 0, next = 0;
};
struct CYL_LINKS {
    std::uint32_t prev = 0, next = 0;
};

enum class IMAGE_STATUS {
    ok,
    oversize,    // more bytes than the record holds
    wrongKind,   // a view not of kind 1, a point not of kind 2 (0 is read as 2)
    badCount,    // entCount above 16, ovlpCount or mergedCount above 2, or any of them negative
};

// Append the record's image to `out`.
void writeViewImage(const VIEW_LIST& view, const TREE_LINK_ID& linkId, ByteWriter& out);
void writePointImage(const POINT_LIST& point, const TREE_LINK_ID& linkId, ByteWriter& out);
void writeCylImage(const CYL_LIST& cyl, const TREE_LINK_ID& linkId, ByteWriter& out);

// Read an image of `size` bytes into `out` (all pointers null) and its link slots into `links` (may be
// null). On any result but ok, `out` and `links` are left as they were.
[[nodiscard]] IMAGE_STATUS readViewImage(const std::uint8_t* image, std::size_t size, VIEW_LIST& out,
                                         VIEW_LINKS* links);
[[nodiscard]] IMAGE_STATUS readPointImage(const std::uint8_t* image, std::size_t size, POINT_LIST& out,
                                          POINT_LINKS* links);
[[nodiscard]] IMAGE_STATUS readCylImage(const std::uint8_t* image, std::size_t size, CYL_LIST& out,
                                        CYL_LINKS* links);
// The older 629-byte segment: its 16 entity entries of 12 bytes (16-bit level widened with its sign,
// 16-bit colour, 32-bit id, 32-bit entry) become today's 14-byte entries, and its 230 tail bytes land from
// `prev` on; the fields after them are zero.
[[nodiscard]] IMAGE_STATUS readOldCylImage(const std::uint8_t* image, std::size_t size, CYL_LIST& out,
                                           CYL_LINKS* links);
