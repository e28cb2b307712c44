// The checksum line of stored geometry: CRC-32 (the one of zip and PNG, as the tool files use) over the
// text's bytes.
#include "host/db/geometry_seal.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

#include "host/db/blob_pack.h"
#include "host/tools/record_file.h"

namespace host::db {
namespace {

constexpr std::string_view kSealWord = "FXSUM ";

}  // namespace

std::string geometrySealLine(std::string_view text) {
    char line[48];
    std::snprintf(line, sizeof line, "FXSUM %08X %zu\n", static_cast<unsigned>(tools::crc32(text)), text.size());
    return line;
}

std::string sealGeometryText(std::string_view text) {
    std::string sealed = geometrySealLine(text);
    sealed.reserve(sealed.size() + text.size());
    sealed += text;
    return sealed;
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
    if (text.size() != length || tools::crc32(text) != sum) return std::nullopt;
    return text;
}

std::string packSealedGeometry(std::string_view text) {
    // A solid's text is megabytes: packed behind its seal in pieces, never copied.
    const std::string line = geometrySealLine(text);
    const std::string_view pieces[] = {line, text};
    std::string packed = packBlobPieces(pieces);
    // Solids keep it for their next save: without the room the packer took for the text's whole length.
    packed.shrink_to_fit();
    return packed;
}

}  // namespace host::db
