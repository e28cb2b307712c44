#include "plugin/model/db_file_chunk.h"

#include <algorithm>
#include <cstring>

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

}  // namespace

DB_CHUNK_STATE parseDbChunkHeader(const ent& e, DBFILE_ENTRY& header) {
    const std::vector<std::uint8_t>& d = e.spl.data;
    if (e.type != kEntSpline || e.spl.kind != kDbChunkSplineKind || d.size() < sizeof kSignature ||
        std::memcmp(d.data(), kSignature, sizeof kSignature) != 0)
        return DB_CHUNK_STATE::notChunk;
    header = DBFILE_ENTRY{};
    header.entity = e.eptr;
    if (d.size() < kNameAt) return DB_CHUNK_STATE::damaged;
    header.reserved = d[6];
    header.headerLength = static_cast<std::uint16_t>(readBig(d, 7, 2));
    header.payloadLength = readBig(d, 9, 4);
    header.chunkIndex = static_cast<std::uint16_t>(readBig(d, 13, 2));
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
    d[6] = header.reserved;
    writeBig(d, 7, static_cast<std::uint32_t>(headerLength), 2);
    writeBig(d, 9, static_cast<std::uint32_t>(payload.size()), 4);
    writeBig(d, 13, header.chunkIndex, 2);
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
