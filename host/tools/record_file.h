// The container shared by the host's tool library and material files: a fixed header and a run of
// fixed-size records, little-endian, with a CRC-32 over the records so that a changed byte is noticed.
//   0  magic (8 bytes, the kind of file)      8  u16 format      10  u16 record count
//   12 u16 header size                        14 u16 record size
//   16 u32 CRC-32 of the record bytes         20 u8 units (1 metric, 0 inch, 2 both)   21..31 zero
// The file is exactly header size + count x record size bytes long; a reader refuses anything else.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace host::tools {

constexpr std::size_t kRecordFileHeader = 32;
constexpr std::size_t kMaxRecords = 65535;   // the count is 16 bits wide

enum class Units : std::uint8_t { Inch = 0, Metric = 1, Both = 2 };

struct RecordFile {
    std::uint16_t format = 0;
    Units units = Units::Both;
    std::size_t recordSize = 0;
    std::vector<std::string> records;   // each exactly recordSize bytes
};

std::uint32_t crc32(std::string_view bytes);

// The file's bytes. Asserts that every record has the record size and that there are at most kMaxRecords.
std::string encodeRecordFile(std::string_view magic, const RecordFile& file);

// Reads the header; only a file whose magic is `magic` is taken. `why` gets a sentence without the file
// name on failure. The format and record size are returned as found: the caller decides what it reads.
struct RecordFileHeader {
    std::uint16_t format = 0, count = 0, headerSize = 0, recordSize = 0;
    std::uint32_t crc = 0;
    Units units = Units::Both;
};
[[nodiscard]] bool readRecordFileHeader(std::string_view bytes, std::string_view magic, RecordFileHeader& out,
                                        std::string& why);
// Splits the records after the header was taken; checks the length and, when `checkCrc`, the CRC.
[[nodiscard]] bool readRecords(std::string_view bytes, const RecordFileHeader& header, bool checkCrc,
                               std::vector<std::string_view>& out, std::string& why);

// The file a host path names, found whatever the case of each level, as on the host's own file system (the
// plug-in lower-cases library paths the user picks). A path with no match is returned as given.
std::string hostFile(const std::string& path);

// Little-endian fields inside a record.
void putU16(std::string& b, std::size_t at, std::uint16_t v);
void putU32(std::string& b, std::size_t at, std::uint32_t v);
void putF64(std::string& b, std::size_t at, double v);
std::uint16_t getU16(std::string_view b, std::size_t at);
std::uint32_t getU32(std::string_view b, std::size_t at);
double getF64(std::string_view b, std::size_t at);

// Whether a fixed text field of `size` bytes ends with a zero byte inside it.
bool textTerminated(std::string_view b, std::size_t at, std::size_t size);

}  // namespace host::tools
