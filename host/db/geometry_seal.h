// Geometry texts of part files sealed with a checksum, so that a damaged text is refused before the
// kernel's reader sees it (that reader can crash on a single flipped bit). A sealed text is one line
// "FXSUM <CRC-32 as 8 hex digits> <byte count>\n" followed by the text.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace host::db {

std::string sealGeometryText(std::string_view text);
// The seal's line alone, for a writer that puts it before the text without a copy of the text.
std::string geometrySealLine(std::string_view text);
// The text behind a seal that matches it; nullopt when the seal is missing or malformed, or the text's
// length or checksum differs from it.
std::optional<std::string_view> unsealGeometryText(std::string_view sealed);
// The text sealed and packed (blob_pack.h), as a part file keeps geometry from format version 3 on.
std::string packSealedGeometry(std::string_view text);

}  // namespace host::db
