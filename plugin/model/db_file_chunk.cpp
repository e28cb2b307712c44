#include "plugin/model/db_file_chunk.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

constexpr std::uint8_t kSignature[6] = {0xB4, 0xC9, 0x3F, 0xD4, 0xF2, 0xAE};
constexpr std::size_t kNameAt = 15;

std::uint32_t readBig(const std::vector<std::uint8_t>& d, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int k = 0; k < bytes; ++k) v = (v << 8) | d[at + static_cast<std::size_t>(k)];
    return v;
}

void writeBig(std::vector<std::uint8_t>& d, std::size_t at, std::uint32_t v, int bytes) {
    for (int k = bytes - 1; k >= 0; --k, v >>= 8) d[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(v);
}

// The header's numbers after the signature, each at its offset and in its width of big-endian bytes; the name
// follows them up to its zero.
template <class HEADER, class F>
void chunkHeaderFields(HEADER& h, F&& f) {
    f(6, 1, h.reserved);
    f(7, 2, h.headerLength);
    f(9, 4, h.payloadLength);
    f(13, 2, h.chunkIndex);
}
static_assert(kNameAt == 13 + 2);

}  // namespace

DB_CHUNK_STATE parseDbChunkHeader(const ent& e, DBFILE_ENTRY& header) {
    const std::vector<std::uint8_t>& d = e.spl.data;
    if (e.type != kEntSpline || e.spl.kind != kDbChunkSplineKind || d.size() < sizeof kSignature ||
        std::memcmp(d.data(), kSignature, sizeof kSignature) != 0)
        return DB_CHUNK_STATE::notChunk;
    header = DBFILE_ENTRY{};
    header.entity = e.eptr;
    if (d.size() < kNameAt) return DB_CHUNK_STATE::damaged;
    chunkHeaderFields(header, [&d](std::size_t at, int bytes, auto& field) {
        field = static_cast<std::remove_reference_t<decltype(field)>>(readBig(d, at, bytes));
    });
    const auto zero = std::find(d.begin() + kNameAt, d.end(), std::uint8_t{0});
    if (zero == d.end()) return DB_CHUNK_STATE::damaged;
    header.name.assign(d.begin() + kNameAt, zero);
    // The lengths must agree with the name and stay inside the data block: a payload length read from a
    // damaged block would otherwise read past it.
    if (header.headerLength != header.name.size() + 16 || header.payloadLength > kDbChunkMaxPayload ||
        std::size_t{header.headerLength} + header.payloadLength > d.size())
        return DB_CHUNK_STATE::damaged;
    return DB_CHUNK_STATE::chunk;
}

std::vector<std::uint8_t> encodeDbChunk(const DBFILE_ENTRY& header, std::span<const std::uint8_t> payload) {
    const std::size_t headerLength = header.name.size() + 16;
    const std::size_t used = headerLength + payload.size();
    std::vector<std::uint8_t> d((used + kDbChunkUnit - 1) / kDbChunkUnit * kDbChunkUnit, 0);
    std::memcpy(d.data(), kSignature, sizeof kSignature);
    DBFILE_ENTRY stored = header;   // the lengths as this chunk has them
    stored.headerLength = static_cast<std::uint16_t>(headerLength);
    stored.payloadLength = static_cast<std::uint32_t>(payload.size());
    chunkHeaderFields(stored, [&d](std::size_t at, int bytes, const auto& field) { writeBig(d, at, field, bytes); });
    std::copy(header.name.begin(), header.name.end(), d.begin() + kNameAt);
    std::copy(payload.begin(), payload.end(), d.begin() + static_cast<std::ptrdiff_t>(headerLength));
    return d;
}

ent makeDbChunkEntity(const DBFILE_ENTRY& header, std::span<const std::uint8_t> payload) {
    ent e{};
    e.type = kEntSpline;
    e.spl.kind = kDbChunkSplineKind;
    e.spl.order = 4;
    e.spl.t0 = 0.0;
    e.spl.t1 = 1.0;
    e.spl.segments = 1;
    e.spl.data = encodeDbChunk(header, payload);
    return e;
}

std::vector<std::uint8_t> dbChunkPayload(const ent& e, const DBFILE_ENTRY& header) {
    const auto begin = e.spl.data.begin() + header.headerLength;
    return {begin, begin + static_cast<std::ptrdiff_t>(header.payloadLength)};
}
