// Which host installation and version the plug-in runs in (from the registry, else from the date of the
// host's executable), the forms level shown or hidden around commands by its setting and put back after
// them, and a time as a short date-and-time text. Times are seconds since 1970 (local time is UTC here).
#pragma once
#include <cstdint>
#include <string>

// The maker's key below the local machine root; each product has a sub-key with a "Directory" value.
constexpr const char* kHostMakerKey = "SOFTWARE\\Partforge Systems, Inc.";
constexpr const char* kHostExeName = "Partforge.Exe";

// The MR level 0-2 of the installation whose "Directory" is hostDir, or -1. major and keyPath (maker key,
// '\\', product name) are filled when given and a product matched.
int hostInstallDir(const std::string& hostDir, int* major, std::string* keyPath);
// The MR level 0-2 of the release whose date lies within 5 days of the executable's last-write time, or -1.
int hostVersionFromExe(const std::string& hostDir, int* major);

// The forms level (settings "Levels" 4) by its show mode ("Levels" 5: 0 hidden, 1 shown, 2 shown only when
// remember is true; any other value counts as 2). With remember, the current visibility is kept for
// restoreFormsLevelVisible.
void setFormsLevelVisible(std::int32_t level, int showMode, bool remember);
void restoreFormsLevelVisible(std::int32_t level);

// "<short date> <24-hour time without seconds>".
std::string formatDateTime(std::int64_t time);
