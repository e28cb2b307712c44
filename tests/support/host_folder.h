// A copy of the shipped host folder (data/host) in a test's temporary folder, for tests that let the
// plug-in or the host write into its libraries.
#pragma once
#include <filesystem>
#include <string>

inline std::string shippedHostFolder() { return std::string(FX_SOURCE_DIR) + "/data/host"; }

// Copies the shipped folder to `into`/host and returns that path ("" when the copy fails).
inline std::string copyShippedHostFolder(const std::string& into) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = fs::path(into) / "host";
    fs::copy(shippedHostFolder(), target, fs::copy_options::recursive, ec);
    return ec ? std::string() : target.string();
}
