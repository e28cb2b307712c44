// Blobs of part files from format version 3 on, packed with zlib's deflate where that makes them smaller:
// one byte 0 and the bytes as they are, or one byte 1, the unpacked length (u64, little-endian) and a zlib
// stream, whose Adler-32 guards what it inflates to.
#pragma once
#include <cstdint>
#include <memory>
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
// packBlob of bytes handed over piece by piece and not kept: the length goes into the header at the end. A
// note's text of many megabytes made a piece at a time is never whole.
class BlobPacker {
public:
    BlobPacker();
    ~BlobPacker();
    BlobPacker(const BlobPacker&) = delete;
    BlobPacker& operator=(const BlobPacker&) = delete;
    void add(std::string_view piece);
    // The packed blob; nullopt when zlib failed (out of memory). Always deflated, even where that is larger.
    std::optional<std::string> finish();

private:
    struct Stream;
    std::unique_ptr<Stream> z_;
    std::string out_;
    std::uint64_t length_ = 0;
    bool ok_ = false;
};
// packBlob of `before`, what the packed blob `middle` unpacks to, and `after`, the middle unpacked a piece at
// a time: a note's body around its text kept packed. Always deflated; nullopt when `middle` does not unpack.
std::optional<std::string> packBlobAroundPacked(std::string_view before, std::string_view middle,
                                                std::string_view after);
// nullopt when the blob is not of that form: an unknown first byte, a length above kMaxUnpackedBlob or more
// than a deflate stream of that size can give, a stream that does not inflate to exactly that length, or no
// memory for that length.
std::optional<std::string> unpackBlob(std::string_view blob);
// The length unpackBlob would give as the blob's header says it; 0 when it is not of that form.
std::uint64_t unpackedBlobLength(std::string_view blob);
// The first `count` bytes that unpackBlob would give (fewer when it gives fewer), without unpacking the rest;
// "" when the blob is not of that form.
std::string unpackBlobHead(std::string_view blob, std::size_t count);

}  // namespace host::db
