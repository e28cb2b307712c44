// Named byte files kept inside the open part, so that they travel with it: a file is a run of chunks
// (plugin/model/db_file_chunk.h), each a spline entity of the part, indexed from 0. g_dbFiles is the
// index of the part's chunks by file name, rebuilt from the part at every open.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/base/load_time.h"
#include "plugin/model/db_file_chunk.h"

// By file name, its chunks by index; a missing index leaves an entry without entity.
using DB_FILES = std::map<std::string, std::vector<DBFILE_ENTRY>, std::less<>>;
extern LoadTime<DB_FILES> g_dbFiles;

class CHostDBFile {
public:
    // Appends the rest of the file to `out`; returns the number of bytes appended (0 unless reading).
    virtual std::size_t read(std::vector<std::uint8_t>& out) = 0;
    // Appends bytes to the file; returns how many were stored (0 unless writing).
    virtual std::size_t write(const void* data, std::size_t size) = 0;
    virtual std::size_t writeVector(const std::vector<std::uint8_t>& bytes) = 0;
    virtual ~CHostDBFile() = default;
};

class CFileImpl : public CHostDBFile {
public:
    CFileImpl(std::string name, int mode) : mode_(mode), name_(std::move(name)) {}
    std::size_t read(std::vector<std::uint8_t>& out) override;
    std::size_t write(const void* data, std::size_t size) override;
    std::size_t writeVector(const std::vector<std::uint8_t>& bytes) override;

private:
    int mode_;                  // 0 read, 1 write
    std::size_t chunkIndex_ = 0;
    std::size_t offset_ = 0;    // within the current chunk's payload
    std::string name_;
};

// Rebuilds g_dbFiles from every chunk of the part. Damaged chunks are left out and the user is told which
// (once per scan); the rest of the part is not touched.
void scanDbFiles();
// Mode 0: a reader, or null when the file has no chunk. Mode 1: the file's old chunks are deleted and a
// writer returned. Null for any other mode and for a name that no chunk can hold.
std::unique_ptr<CHostDBFile> openDbFile(std::string_view name, int mode);
// Deletes every chunk of the file, damaged ones and duplicates included, and its index entry.
void deleteDbFile(std::string_view name);
// The chunk of that index, or null. Valid until the index changes.
DBFILE_ENTRY* findDbChunk(std::string_view name, std::size_t index);
// Stores a new empty chunk after the file's last one; null when the host refuses it or the file has all
// the chunks an index can count.
DBFILE_ENTRY* makeDbChunk(std::string_view name);
// The chunk's payload; false (nothing read or changed) when its entity is gone or no longer a chunk.
bool readDbChunk(const DBFILE_ENTRY& chunk, std::vector<std::uint8_t>& payload);
bool writeDbChunk(DBFILE_ENTRY& chunk, const std::vector<std::uint8_t>& payload);
