// Part-file blobs packed with zlib (blob_pack.h). The fastest level: a part's records and BRep texts
// shrink most of what they can at it, and saving stays quick. The stream is written in pieces, so packing a
// record of many megabytes takes no second room of its size.
#include "host/db/blob_pack.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <span>

namespace host::db {
namespace {

constexpr char kStored = 0, kDeflated = 1;
constexpr std::size_t kHeader = 1 + 8;
constexpr std::size_t kPiece = 1 << 16;
// Deflate gives at most 1032 bytes for one: a longer length than that is a lie, refused before any room
// is taken for it.
constexpr std::size_t kMostInflation = 1032;

std::string stored(std::span<const std::string_view> pieces) {
    std::size_t size = 1;
    for (std::string_view p : pieces) size += p.size();
    std::string out;
    out.reserve(size);
    out += kStored;
    for (std::string_view p : pieces) out += p;
    return out;
}

}  // namespace

std::string packBlob(std::string_view bytes) { return packBlobPieces({&bytes, 1}); }

// Deflate's output does not depend on how its input is handed over while nothing is flushed: the pieces
// pack as their join would.
std::string packBlobPieces(std::span<const std::string_view> pieces) {
    std::uint64_t length = 0;
    for (std::string_view p : pieces) length += p.size();
    z_stream z{};
    if (deflateInit(&z, Z_BEST_SPEED) != Z_OK) return stored(pieces);
    std::string out(kHeader, '\0');
    out[0] = kDeflated;
    for (int i = 0; i < 8; ++i) out[1 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    int rc = Z_OK;
    std::size_t piece = 0, used = 0;   // the next input: pieces[piece] from byte `used` on
    std::uint64_t left = length;
    while (rc == Z_OK) {
        // zlib counts input in 32 bits: a long text goes in in slices.
        while (z.avail_in == 0 && left > 0) {
            const std::string_view p = pieces[piece];
            const std::size_t take = std::min<std::size_t>(p.size() - used, 1u << 30);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(p.data() + used));
            z.avail_in = static_cast<uInt>(take);
            left -= take;
            used += take;
            if (used == p.size()) ++piece, used = 0;
        }
        const std::size_t at = out.size();
        out.resize(at + kPiece);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + at);
        z.avail_out = static_cast<uInt>(kPiece);
        rc = deflate(&z, left == 0 ? Z_FINISH : Z_NO_FLUSH);
        out.resize(out.size() - z.avail_out);
    }
    deflateEnd(&z);
    if (rc != Z_STREAM_END || out.size() >= 1 + length) return stored(pieces);
    return out;
}

std::optional<std::string> unpackBlob(std::string_view blob) {
    if (blob.empty()) return std::nullopt;
    if (blob[0] == kStored) return std::string(blob.substr(1));
    if (blob[0] != kDeflated || blob.size() < kHeader) return std::nullopt;
    std::uint64_t length = 0;
    for (int i = 0; i < 8; ++i) length |= static_cast<std::uint64_t>(static_cast<unsigned char>(blob[1 + i])) << (8 * i);
    const std::size_t stream = blob.size() - kHeader;
    if (length > kMaxUnpackedBlob || length > kMostInflation * stream + 64) return std::nullopt;
    std::string out(static_cast<std::size_t>(length), '\0');
    uLongf inflated = static_cast<uLongf>(length);
    const int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &inflated,
                              reinterpret_cast<const Bytef*>(blob.data() + kHeader), static_cast<uLong>(stream));
    if (rc != Z_OK || inflated != length) return std::nullopt;
    return out;
}

}  // namespace host::db
