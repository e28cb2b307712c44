// Part-file blobs packed as zlib streams (blob_pack.h), at the fastest level: a part's records and BRep texts
// shrink most of what they can at it, and saving stays quick. Rows of a few kilobytes go whole through
// libdeflate; a record of many megabytes goes through zlib in pieces, taking no second room of its size.
#include "host/db/blob_pack.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <new>
#include <span>

namespace host::db {
namespace {

constexpr char kStored = 0, kDeflated = 1;
constexpr std::size_t kHeader = 1 + 8;
constexpr std::size_t kPiece = 1 << 16;
// Deflate gives at most 1032 bytes for one: a longer length than that is a lie, refused before any room
// is taken for it.
constexpr std::size_t kMostInflation = 1032;

std::uint64_t headerLength(std::string_view blob) {
    std::uint64_t length = 0;
    for (int i = 0; i < 8; ++i) length |= std::uint64_t{static_cast<unsigned char>(blob[1 + i])} << (8 * i);
    return length;
}

// Inflates a deflated blob's stream `piece` bytes at a time into `take` until the stream ends or `take`
// returns false. zlib's last code: Z_STREAM_END at the end, Z_OK when `take` stopped it.
int inflatePieces(std::string_view blob, std::size_t piece, const std::function<bool(std::string_view)>& take) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return Z_MEM_ERROR;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(blob.data() + kHeader));
    std::size_t inputLeft = blob.size() - kHeader;
    std::string out(piece, '\0');
    int rc = Z_OK;
    bool more = true;
    while (rc == Z_OK && more) {
        // zlib counts input in 32 bits: a long stream goes in in slices.
        if (z.avail_in == 0 && inputLeft > 0) {
            const std::size_t slice = std::min<std::size_t>(inputLeft, 1u << 30);
            z.avail_in = static_cast<uInt>(slice);
            inputLeft -= slice;
        }
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        rc = inflate(&z, Z_NO_FLUSH);
        more = take(std::string_view(out).substr(0, out.size() - z.avail_out));
    }
    inflateEnd(&z);
    return rc;
}

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

struct BlobPacker::Stream {
    z_stream z{};
};

BlobPacker::BlobPacker() : z_(std::make_unique<Stream>()), out_(kHeader, '\0') {
    out_[0] = kDeflated;
    ok_ = deflateInit(&z_->z, Z_BEST_SPEED) == Z_OK;
}

BlobPacker::~BlobPacker() {
    if (ok_) deflateEnd(&z_->z);
}

void BlobPacker::add(std::string_view piece) {
    length_ += piece.size();
    z_stream& z = z_->z;
    while (ok_ && !piece.empty()) {
        // zlib counts input in 32 bits: a long piece goes in in slices.
        const std::size_t take = std::min<std::size_t>(piece.size(), 1u << 30);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
        z.avail_in = static_cast<uInt>(take);
        piece.remove_prefix(take);
        while (ok_ && z.avail_in > 0) {
            const std::size_t at = out_.size();
            out_.resize(at + kPiece);
            z.next_out = reinterpret_cast<Bytef*>(out_.data() + at);
            z.avail_out = static_cast<uInt>(kPiece);
            ok_ = deflate(&z, Z_NO_FLUSH) == Z_OK;
            out_.resize(out_.size() - z.avail_out);
        }
    }
}

std::optional<std::string> BlobPacker::finish() {
    z_stream& z = z_->z;
    int rc = ok_ ? Z_OK : Z_STREAM_ERROR;
    while (rc == Z_OK) {
        const std::size_t at = out_.size();
        out_.resize(at + kPiece);
        z.next_out = reinterpret_cast<Bytef*>(out_.data() + at);
        z.avail_out = static_cast<uInt>(kPiece);
        rc = deflate(&z, Z_FINISH);
        out_.resize(out_.size() - z.avail_out);
    }
    if (rc != Z_STREAM_END) return std::nullopt;
    for (int i = 0; i < 8; ++i) out_[1 + i] = static_cast<char>((length_ >> (8 * i)) & 0xFF);
    return std::move(out_);
}

std::optional<std::string> packBlobAroundPacked(std::string_view before, std::string_view middle,
                                                std::string_view after) {
    BlobPacker packer;
    packer.add(before);
    if (!middle.empty() && middle[0] == kStored) {
        packer.add(middle.substr(1));
    } else {
        if (middle.size() < kHeader || middle[0] != kDeflated) return std::nullopt;
        std::uint64_t inflated = 0;
        const int rc = inflatePieces(middle, std::size_t{1} << 20, [&](std::string_view piece) {
            packer.add(piece);
            inflated += piece.size();
            return true;
        });
        if (rc != Z_STREAM_END || inflated != headerLength(middle)) return std::nullopt;
    }
    packer.add(after);
    return packer.finish();
}

std::string packBlob(std::string_view bytes) { return packBlobPieces({&bytes, 1}); }

namespace {

// Blobs up to this size are packed whole by libdeflate; larger ones by zlib a piece at a time, so that a
// record of many megabytes takes no second room of its size.
constexpr std::size_t kWholeAtMost = std::size_t{4} << 20;

// One compressor a thread, kept: rows are packed on several threads at once.
libdeflate_compressor* threadCompressor() {
    struct HELD {
        libdeflate_compressor* compressor = libdeflate_alloc_compressor(1);
        ~HELD() {
            if (compressor) libdeflate_free_compressor(compressor);
        }
    };
    thread_local HELD held;
    return held.compressor;
}

// The pieces packed whole by libdeflate at its fastest level, which is two to three times zlib's fastest and
// packs no larger; what it writes is a zlib stream, which every reader of part files inflates as before.
std::optional<std::string> deflateWhole(std::span<const std::string_view> pieces, std::uint64_t length) {
    libdeflate_compressor* compressor = threadCompressor();
    if (!compressor) return std::nullopt;
    std::string joined;
    std::string_view input = pieces.size() == 1 ? pieces[0] : std::string_view();
    if (pieces.size() > 1) {
        joined.reserve(static_cast<std::size_t>(length));
        for (std::string_view p : pieces) joined += p;
        input = joined;
    }
    std::string out(kHeader + libdeflate_zlib_compress_bound(compressor, input.size()), '\0');
    const std::size_t packed =
        libdeflate_zlib_compress(compressor, input.data(), input.size(), out.data() + kHeader, out.size() - kHeader);
    if (packed == 0) return std::nullopt;
    out[0] = kDeflated;
    for (int i = 0; i < 8; ++i) out[1 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    out.resize(kHeader + packed);
    return out;
}

}  // namespace

// Deflate's output does not depend on how its input is handed over while nothing is flushed: the pieces
// pack as their join would.
std::string packBlobPieces(std::span<const std::string_view> pieces) {
    std::uint64_t length = 0;
    for (std::string_view p : pieces) length += p.size();
    std::optional<std::string> out;
    if (length <= kWholeAtMost) out = deflateWhole(pieces, length);
    if (!out) {
        BlobPacker packer;
        for (std::string_view p : pieces) packer.add(p);
        out = packer.finish();
    }
    if (!out || out->size() >= 1 + length) return stored(pieces);
    return std::move(*out);
}

std::optional<std::string> unpackBlob(std::string_view blob) {
    if (blob.empty()) return std::nullopt;
    if (blob[0] == kStored) return std::string(blob.substr(1));
    if (blob[0] != kDeflated || blob.size() < kHeader) return std::nullopt;
    const std::uint64_t length = headerLength(blob);
    const std::size_t stream = blob.size() - kHeader;
    if (length > kMaxUnpackedBlob || length > kMostInflation * stream + 64) return std::nullopt;
    try {
        std::string out(static_cast<std::size_t>(length), '\0');
        uLongf inflated = static_cast<uLongf>(length);
        const int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &inflated,
                                  reinterpret_cast<const Bytef*>(blob.data() + kHeader), static_cast<uLong>(stream));
        if (rc != Z_OK || inflated != length) return std::nullopt;
        return out;
    } catch (const std::bad_alloc&) {
        return std::nullopt;   // no room for it: it does not unpack here
    }
}

std::uint64_t unpackedBlobLength(std::string_view blob) {
    if (blob.empty()) return 0;
    if (blob[0] == kStored) return blob.size() - 1;
    return blob[0] == kDeflated && blob.size() >= kHeader ? headerLength(blob) : 0;
}

std::string unpackBlobHead(std::string_view blob, std::size_t count) {
    if (blob.empty()) return {};
    if (blob[0] == kStored) return std::string(blob.substr(1, count));
    if (blob[0] != kDeflated || blob.size() < kHeader || count == 0) return {};
    std::string out;
    const int rc = inflatePieces(blob, count, [&](std::string_view piece) {
        out.append(piece.substr(0, count - out.size()));
        return out.size() < count;
    });
    return rc == Z_OK || rc == Z_STREAM_END || rc == Z_BUF_ERROR ? out : std::string();
}

}  // namespace host::db
