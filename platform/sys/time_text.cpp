// Time texts through std::put_time with the classic locale: independent of whatever global locale the
// process runs under.
#include "platform/sys/time_text.h"

#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

namespace plat {
namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::int64_t kTicksPerSecond = 10'000'000;

}  // namespace

std::string formatTime(std::int64_t seconds, const char* strftimeFormat) {
    if (!strftimeFormat)
        return {};
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!gmtime_r(&t, &tm))
        return {};
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::put_time(&tm, strftimeFormat);
    return out.str();
}

std::string formatDateTime(std::int64_t seconds) { return formatTime(seconds, "%m/%d/%Y %H:%M"); }

std::uint64_t toFileTime(std::int64_t seconds) {
    return static_cast<std::uint64_t>(seconds + kSecondsFrom1601To1970) * kTicksPerSecond;
}

std::int64_t fromFileTime(std::uint64_t fileTime) {
    return static_cast<std::int64_t>(fileTime / kTicksPerSecond) - kSecondsFrom1601To1970;
}

}  // namespace plat
