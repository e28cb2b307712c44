// The record-file container of tool libraries and material files (layout in record_file.h).
#include "host/tools/record_file.h"

#include <bit>
#include <cassert>
#include <cstring>

#include <libdeflate.h>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"

namespace host::tools {

namespace {

void putLE(std::string& b, std::size_t at, std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint64_t getLE(std::string_view b, std::size_t at, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i)
        v |= static_cast<std::uint64_t>(static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)])) << (8 * i);
    return v;
}

}  // namespace

// The CRC-32 of zip and PNG (reflected 0xEDB88320, from and to all ones), computed by libdeflate, which
// folds many bytes at a time: a tool library is checked at every read and write.
std::uint32_t crc32(std::string_view bytes) {
    return static_cast<std::uint32_t>(libdeflate_crc32(0, bytes.data(), bytes.size()));
}

void putU16(std::string& b, std::size_t at, std::uint16_t v) { putLE(b, at, v, 2); }
void putU32(std::string& b, std::size_t at, std::uint32_t v) { putLE(b, at, v, 4); }
void putF64(std::string& b, std::size_t at, double v) { putLE(b, at, std::bit_cast<std::uint64_t>(v), 8); }
std::uint16_t getU16(std::string_view b, std::size_t at) { return static_cast<std::uint16_t>(getLE(b, at, 2)); }
std::uint32_t getU32(std::string_view b, std::size_t at) { return static_cast<std::uint32_t>(getLE(b, at, 4)); }
double getF64(std::string_view b, std::size_t at) { return std::bit_cast<double>(getLE(b, at, 8)); }

std::string hostFile(const std::string& path) {
    if (plat::fileExists(path)) return path;
    const std::string native = plat::toNativePath(path);
    if (native.empty()) return path;
    return native[0] == '/' ? plat::resolveNoCase("/", native.substr(1)) : plat::resolveNoCase("", native);
}

bool textTerminated(std::string_view b, std::size_t at, std::size_t size) {
    return std::memchr(b.data() + at, 0, size) != nullptr;
}

std::string encodeRecordFile(std::string_view magic, const RecordFile& file) {
    assert(magic.size() <= 8 && file.records.size() <= kMaxRecords);
    std::string out(kRecordFileHeader, '\0');
    std::memcpy(out.data(), magic.data(), magic.size());
    std::string body;
    body.reserve(file.records.size() * file.recordSize);
    for (const std::string& r : file.records) {
        assert(r.size() == file.recordSize);
        body += r;
    }
    putU16(out, 8, file.format);
    putU16(out, 10, static_cast<std::uint16_t>(file.records.size()));
    putU16(out, 12, static_cast<std::uint16_t>(kRecordFileHeader));
    putU16(out, 14, static_cast<std::uint16_t>(file.recordSize));
    putU32(out, 16, crc32(body));
    out[20] = static_cast<char>(file.units);
    return out + body;
}

bool readRecordFileHeader(std::string_view bytes, std::string_view magic, RecordFileHeader& out, std::string& why) {
    if (bytes.size() < 16 || bytes.substr(0, 8) != std::string(magic) + std::string(8 - magic.size(), '\0')) {
        why = "it is not a file of this kind";
        return false;
    }
    out.format = getU16(bytes, 8);
    out.count = getU16(bytes, 10);
    out.headerSize = getU16(bytes, 12);
    out.recordSize = getU16(bytes, 14);
    if (out.headerSize < 16 || out.headerSize > bytes.size()) {
        why = "its header is cut short";
        return false;
    }
    if (out.headerSize >= kRecordFileHeader) {
        out.crc = getU32(bytes, 16);
        out.units = static_cast<Units>(static_cast<unsigned char>(bytes[20]));
    }
    return true;
}

bool readRecords(std::string_view bytes, const RecordFileHeader& header, bool checkCrc,
                 std::vector<std::string_view>& out, std::string& why) {
    out.clear();
    if (header.recordSize == 0) {
        why = "its record size is 0";
        return false;
    }
    const std::size_t expected = header.headerSize + static_cast<std::size_t>(header.count) * header.recordSize;
    if (bytes.size() < expected) {
        why = "it is cut short (" + std::to_string(bytes.size()) + " of " + std::to_string(expected) + " bytes)";
        return false;
    }
    if (bytes.size() > expected) {
        why = "it has " + std::to_string(bytes.size() - expected) + " bytes after its last record";
        return false;
    }
    const std::string_view body = bytes.substr(header.headerSize);
    if (checkCrc && crc32(body) != header.crc) {
        why = "its records do not match their checksum";
        return false;
    }
    for (std::size_t i = 0; i < header.count; ++i) out.push_back(body.substr(i * header.recordSize, header.recordSize));
    return true;
}

}  // namespace host::tools
