// The host lookups, the forms level and the date text.
#include "plugin/base/host_install.h"

#include <cstdlib>
#include <optional>
#include <string_view>

#include "host/api.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/registry.h"
#include "platform/sys/time_text.h"
#include "plugin/base/globals.h"

namespace {

// Searched in order; `compared` counts the terminating zero where the whole name must match.
struct PRODUCT_NAME {
    const char* entry;
    std::size_t compared;
    int major, mr;
};
constexpr PRODUCT_NAME kProducts[] = {
    {"Partforge X3", 12, 12, 0},      {"Partforge X2 MR2", 16, 11, 2}, {"Partforge X2 MR1", 16, 11, 1},
    {"Partforge X2", 12, 11, 0},      {"Partforge X MR2", 16, 10, 2},  {"Partforge X MR1", 16, 10, 1},
    {"Partforge X", 11, 10, 0},
};

// strncmp over `compared` characters of the name followed by its terminating zero.
bool productMatches(std::string_view name, const PRODUCT_NAME& p) {
    const std::string_view entry(p.entry);
    for (std::size_t i = 0; i < p.compared; ++i) {
        const char a = i < name.size() ? name[i] : '\0';
        const char b = i < entry.size() ? entry[i] : '\0';
        if (a != b) return false;
        if (a == '\0') return true;
    }
    return true;
}

struct RELEASE_DATE {
    int year, month, day;
    int major, mr;
};
constexpr RELEASE_DATE kReleases[] = {
    {2005, 6, 20, 10, 0}, {2005, 12, 14, 10, 1}, {2006, 5, 10, 10, 2}, {2006, 9, 29, 11, 0},
    {2007, 3, 12, 11, 1}, {2007, 9, 12, 11, 2},  {2007, 12, 19, 11, 2}, {2008, 8, 1, 12, 0},
};
constexpr std::int64_t kReleaseWindow = 5 * 86400;

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
std::int64_t daysFromCivil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

int hostInstallDir(const std::string& hostDir, int* major, std::string* keyPath) {
    plat::Registry& reg = plat::registry();
    if (!reg.keyExists(kHostMakerKey)) return -1;
    std::string product;
    for (const std::string& name : reg.enumSubKeys(kHostMakerKey)) {
        std::string sub = name;
        if (!sub.empty() && sub.back() == '\\') sub.pop_back();
        const std::optional<std::string> dir = reg.queryString(std::string(kHostMakerKey) + "\\" + sub, "Directory");
        if (dir && plat::removeTrailingSeparator(*dir) == hostDir) {
            product = name;
            break;
        }
    }
    if (product.empty()) return -1;
    for (const PRODUCT_NAME& p : kProducts) {
        if (!productMatches(product, p)) continue;
        if (major) *major = p.major;
        if (keyPath) *keyPath = std::string(kHostMakerKey) + "\\" + product;
        return p.mr;
    }
    return -1;
}

int hostVersionFromExe(const std::string& hostDir, int* major) {
    const std::string dir = plat::removeTrailingSeparator(hostDir);
    if (dir.empty()) return -1;   // not the process's current folder
    const std::string exe = plat::resolveNoCase(dir, kHostExeName);
    if (!plat::fileExists(exe)) return -1;
    const std::optional<std::int64_t> written = plat::lastWriteTime(exe);
    if (!written) return -1;
    for (const RELEASE_DATE& r : kReleases) {
        const std::int64_t released = daysFromCivil(r.year, r.month, r.day) * 86400;
        if (std::llabs(*written - released) > kReleaseWindow) continue;
        if (major) *major = r.major;
        return r.mr;
    }
    return -1;
}

std::string formatDateTime(std::int64_t time) { return plat::formatDateTime(time); }

// ---- the forms level -------------------------------------------------------------------------------------

namespace {

bool formsLevelWanted(int mode, bool remember) {
    switch (mode) {
    case 0: return false;
    case 1: return true;
    default: return remember;   // 2, and any other value an edited settings file may hold
    }
}

}  // namespace

void setFormsLevelVisible(std::int32_t level, int showMode, bool remember) {
    const bool visible = is_level_visible(level) != 0;
    if (remember) g_formsLevelWasVisible = visible ? 1 : 0;
    const bool wanted = formsLevelWanted(showMode, remember);
    if (visible != wanted) set_level_visible(level, wanted ? 1 : 0);
}

void restoreFormsLevelVisible(std::int32_t level) {
    const bool was = g_formsLevelWasVisible != 0;
    if ((is_level_visible(level) != 0) != was) set_level_visible(level, was ? 1 : 0);
}
