// Dates and times as text, and the FILETIME form of a time. Local time is UTC here and texts use the "C"
// locale, so the same seconds give the same text on every machine. Times are seconds since 1970.
#pragma once
#include <cstdint>
#include <string>

namespace plat {

// strftime in the "C" locale, UTC: formatTime(t, "%B %d, %Y") -> "December 07, 2026".
std::string formatTime(std::int64_t seconds, const char* strftimeFormat);
// The short date and 24-hour time without seconds: "12/07/2026 14:05".
std::string formatDateTime(std::int64_t seconds);

// FILETIME: 100-ns intervals since 1601-01-01. fromFileTime drops the part below a second.
std::uint64_t toFileTime(std::int64_t seconds);
std::int64_t fromFileTime(std::uint64_t fileTime);

}  // namespace plat
