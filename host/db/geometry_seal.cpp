// The checksum line of stored geometry: CRC-32 (the polynomial of zip and PNG) over the text's bytes.
#include "host/db/geometry_seal.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>

namespace host::db {
namespace {

constexpr std::string_view kSealWord = "FXSUM ";

constexpr std::array<std::uint32_t, 256> makeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kTable = makeTable();

std::uint32_t crc32(std::string_view text) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : text) c = kTable[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

}  // namespace

std::string sealGeometryText(std::string_view text) {
    char line[48];
    std::snprintf(line, sizeof line, "FXSUM %08X %zu\n", static_cast<unsigned>(crc32(text)), text.size());
    return line + std::string(text);
}

std::optional<std::string_view> unsealGeometryText(std::string_view sealed) {
    if (sealed.substr(0, kSealWord.size()) != kSealWord) return std::nullopt;
    const std::size_t end = sealed.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view line = sealed.substr(kSealWord.size(), end - kSealWord.size());
    // Upper-case digits only, as written: a case flip is a flipped bit too.
    if (line.size() < 8 || line.substr(0, 8).find_first_not_of("0123456789ABCDEF") != std::string_view::npos)
        return std::nullopt;
    std::uint32_t sum = 0;
    std::size_t length = 0;
    auto [p, ec] = std::from_chars(line.data(), line.data() + line.size(), sum, 16);
    if (ec != std::errc() || p != line.data() + 8 || p == line.data() + line.size() || *p != ' ') return std::nullopt;
    auto [q, ec2] = std::from_chars(p + 1, line.data() + line.size(), length);
    if (ec2 != std::errc() || q != line.data() + line.size()) return std::nullopt;
    const std::string_view text = sealed.substr(end + 1);
    if (text.size() != length || crc32(text) != sum) return std::nullopt;
    return text;
}

}  // namespace host::db
