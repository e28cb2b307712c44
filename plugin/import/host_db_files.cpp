// The named files of the part: the chunk index, opening, and chunk-wise reading and writing. Every open
// rebuilds the index from the part, so that chunks added, removed or damaged since are seen as they are.
#include "plugin/import/host_db_files.h"

#include <algorithm>

#include "platform/ui/message_box.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"

LoadTime<DB_FILES> g_dbFiles;

namespace {

constexpr int kDamagedChunksLine = 241;
constexpr int kDamagedChunkLine = 242;
constexpr std::size_t kDamagedChunksListed = 10;

void tellDamagedChunks(const std::vector<DBFILE_ENTRY>& damaged) {
    std::string text = errorMessage(kDamagedChunksLine);
    for (std::size_t k = 0; k < damaged.size() && k < kDamagedChunksListed; ++k)
        text += "\n" + fillText(errorMessage(kDamagedChunkLine), {damaged[k].name, long{damaged[k].chunkIndex}});
    if (damaged.size() > kDamagedChunksListed) text += "\n...";
    plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OK | plat::MB_ICONWARNING);
}

// The chunk entity behind `chunk`, read again: false when it is gone or is no longer that chunk.
bool readChunkEntity(const DBFILE_ENTRY& chunk, ent& e, DBFILE_ENTRY& header) {
    if (!chunk.entity || !get_ent_from_eptr(chunk.entity, &e)) return false;
    return parseDbChunkHeader(e, header) == DB_CHUNK_STATE::chunk && header.name == chunk.name &&
           header.chunkIndex == chunk.chunkIndex;
}

}  // namespace

void scanDbFiles() {
    g_dbFiles->clear();
    std::vector<DBFILE_ENTRY> damaged;
    forEachRawEnt(kEntSpline, [&](db_ptr at, const ent& e) {
        DBFILE_ENTRY header;
        switch (parseDbChunkHeader(e, header)) {
        case DB_CHUNK_STATE::notChunk: break;
        case DB_CHUNK_STATE::damaged: damaged.push_back(header); break;
        case DB_CHUNK_STATE::chunk: {
            header.entity = at;
            std::vector<DBFILE_ENTRY>& chunks = (*g_dbFiles)[header.name];
            if (chunks.size() <= header.chunkIndex) chunks.resize(std::size_t{header.chunkIndex} + 1);
            // A second chunk of one index cannot be placed in the file: the first one stays.
            if (chunks[header.chunkIndex].entity) damaged.push_back(header);
            else chunks[header.chunkIndex] = header;
            break;
        }
        }
        return true;
    });
    if (!damaged.empty()) tellDamagedChunks(damaged);
}

std::unique_ptr<CHostDBFile> openDbFile(std::string_view name, int mode) {
    if (name.empty() || name.size() > kDbChunkMaxName || name.find('\0') != std::string_view::npos) return nullptr;
    scanDbFiles();
    switch (mode) {
    case 0: {
        const auto it = g_dbFiles->find(name);
        if (it == g_dbFiles->end() || it->second.empty()) return nullptr;
        return std::make_unique<CFileImpl>(std::string(name), 0);
    }
    case 1:
        deleteDbFile(name);
        return std::make_unique<CFileImpl>(std::string(name), 1);
    default: return nullptr;
    }
}

void deleteDbFile(std::string_view name) {
    std::vector<db_ptr> chunks;
    forEachRawEnt(kEntSpline, [&](db_ptr at, const ent& e) {
        DBFILE_ENTRY header;
        if (parseDbChunkHeader(e, header) != DB_CHUNK_STATE::notChunk && header.name == name) chunks.push_back(at);
        return true;
    });
    for (db_ptr at : chunks) (void)delete_ent(at, 0, 0, 0, nullptr, 0);
    if (const auto it = g_dbFiles->find(name); it != g_dbFiles->end()) g_dbFiles->erase(it);
}

DBFILE_ENTRY* findDbChunk(std::string_view name, std::size_t index) {
    const auto it = g_dbFiles->find(name);
    if (it == g_dbFiles->end() || index >= it->second.size() || !it->second[index].entity) return nullptr;
    return &it->second[index];
}

DBFILE_ENTRY* makeDbChunk(std::string_view name) {
    std::vector<DBFILE_ENTRY>& chunks = (*g_dbFiles)[std::string(name)];
    if (chunks.size() > kDbChunkMaxIndex) return nullptr;
    DBFILE_ENTRY header;
    header.name = name;
    header.headerLength = static_cast<std::uint16_t>(name.size() + 16);
    header.chunkIndex = static_cast<std::uint16_t>(chunks.size());
    ent e = makeDbChunkEntity(header, {});
    db_ptr at = 0;
    char ok = 0;
    store_ent(&e, &at, 0, main_color, main_level, main_attrib, &ok);
    if (!ok) {
        if (chunks.empty()) g_dbFiles->erase(header.name);
        return nullptr;
    }
    header.entity = at;
    chunks.push_back(std::move(header));
    return &chunks.back();
}

bool readDbChunk(const DBFILE_ENTRY& chunk, std::vector<std::uint8_t>& payload) {
    ent e{};
    DBFILE_ENTRY header;
    if (!readChunkEntity(chunk, e, header)) return false;
    payload = dbChunkPayload(e, header);
    return true;
}

bool writeDbChunk(DBFILE_ENTRY& chunk, const std::vector<std::uint8_t>& payload) {
    ent e{};
    DBFILE_ENTRY header;
    if (payload.size() > kDbChunkMaxPayload || !readChunkEntity(chunk, e, header)) return false;
    e.spl.data = encodeDbChunk(header, payload);
    if (!rewrite_ent(&e, 0)) return false;
    chunk.payloadLength = static_cast<std::uint32_t>(payload.size());
    return true;
}

std::size_t CFileImpl::read(std::vector<std::uint8_t>& out) {
    if (mode_ != 0) return 0;
    std::size_t appended = 0;
    std::vector<std::uint8_t> payload;
    while (const DBFILE_ENTRY* chunk = findDbChunk(name_, chunkIndex_)) {
        if (!readDbChunk(*chunk, payload)) break;
        if (offset_ < payload.size()) {
            out.insert(out.end(), payload.begin() + static_cast<std::ptrdiff_t>(offset_), payload.end());
            appended += payload.size() - offset_;
        }
        ++chunkIndex_;
        offset_ = 0;
    }
    return appended;
}

// Each piece fills the current chunk up to its limit and rewrites it; a full chunk moves the file on to
// the next index.
std::size_t CFileImpl::write(const void* data, std::size_t size) {
    if (mode_ != 1) return 0;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::size_t written = 0;
    std::vector<std::uint8_t> payload;
    while (written < size) {
        DBFILE_ENTRY* chunk = findDbChunk(name_, chunkIndex_);
        if (!chunk) chunk = makeDbChunk(name_);
        // A chunk made at another index means the file changed under this writer: stop rather than mix.
        if (!chunk || chunk->chunkIndex != chunkIndex_ || !readDbChunk(*chunk, payload)) break;
        const std::size_t take = std::min(size - written, kDbChunkMaxPayload - payload.size());
        payload.insert(payload.end(), bytes + written, bytes + written + take);
        if (!writeDbChunk(*chunk, payload)) break;
        written += take;
        offset_ = payload.size();
        if (payload.size() == kDbChunkMaxPayload) {
            ++chunkIndex_;
            offset_ = 0;
        }
    }
    return written;
}

std::size_t CFileImpl::writeVector(const std::vector<std::uint8_t>& bytes) { return write(bytes.data(), bytes.size()); }
