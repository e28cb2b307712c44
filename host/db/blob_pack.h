// Blobs of part files from format version 3 on, packed with zlib's deflate where that makes them smaller:
// one byte 0 and the bytes as they are, or one byte 1, the unpacked length (u64, little-endian) and a zlib
// stream, whose Adler-32 guards what it inflates to.
#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace host::db {

// Unpacked blobs above this size are refused: no part's record comes near it.
constexpr std::size_t kMaxUnpackedBlob = std::size_t{1} << 30;

std::string packBlob(std::string_view bytes);
// packBlob of the pieces joined, without joining them: a note's body around its text of many megabytes.
std::string packBlobPieces(std::span<const std::string_view> pieces);
// nullopt when the blob is not of that form: an unknown first byte, a length above kMaxUnpackedBlob or more
// than a deflate stream of that size can give, or a stream that does not inflate to exactly that length.
std::optional<std::string> unpackBlob(std::string_view blob);

}  // namespace host::db
