// The chunks of the named files kept in the part: each chunk is a spline entity (kind 2) whose data block
// holds a header, the file's name and up to 256 KiB of the file. Header integers are big-endian; the
// block is sized in 64-byte units. This codec is the one place that knows the chunk's offsets.
//   0 signature B4 C9 3F D4 F2 AE   6 reserved byte   7 header length (name length + 16)
//   9 payload length   13 chunk index   15 the name and a zero byte   header length: the payload
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/api.h"

constexpr std::size_t kDbChunkMaxPayload = 262144;
constexpr std::size_t kDbChunkUnit = 64;
constexpr std::uint8_t kDbChunkSplineKind = 2;
constexpr std::size_t kDbChunkMaxName = 0xFFFF - 16;   // the header length is 16-bit
constexpr std::size_t kDbChunkMaxIndex = 0xFFFF;

// One chunk as the file system knows it.
struct DBFILE_ENTRY {
    std::uint8_t reserved = 0;         // 0 when written, carried when read
    std::uint16_t headerLength = 0;
    std::uint32_t payloadLength = 0;
    std::uint16_t chunkIndex = 0;
    std::string name;
    db_ptr entity = 0;                 // the spline holding the chunk; 0: no chunk of that index
};

enum class DB_CHUNK_STATE {
    notChunk,   // another spline, or another entity
    damaged,    // a chunk's signature whose header or lengths do not fit its data block
    chunk,
};

// Whether the entity is a chunk; reads its header (and its entity) into `header` unless it is no chunk.
// A damaged chunk still gives what of its header could be read: the index, and the name when it ends.
DB_CHUNK_STATE parseDbChunkHeader(const ent& e, DBFILE_ENTRY& header);
// The data block of a chunk: the header for `header.name`, `header.chunkIndex` and the payload, padded
// to whole units.
std::vector<std::uint8_t> encodeDbChunk(const DBFILE_ENTRY& header, std::span<const std::uint8_t> payload);
// A new chunk spline record (not stored) for the header and payload.
ent makeDbChunkEntity(const DBFILE_ENTRY& header, std::span<const std::uint8_t> payload);
// The payload of a chunk whose header parseDbChunkHeader accepted.
std::vector<std::uint8_t> dbChunkPayload(const ent& e, const DBFILE_ENTRY& header);
