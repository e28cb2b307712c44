// The STEP parts the tests play the main job and the process check on beyond the shipped examples: the
// corpus the build makes (parts as other CAD systems write them), the repro parts, in name order, and the
// real parts that CAD systems wrote.
#pragma once
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// The real parts (tests/data/parts, SOURCES.md there says where each comes from), by name without ".step".
inline std::string realPartsDir() { return std::string(FX_SOURCE_DIR) + "/tests/data/parts"; }
inline std::vector<std::string> realPartNames() {
    std::vector<std::string> names;
    std::error_code unreadable;   // a folder that cannot be listed instantiates nothing; its own test fails then
    for (const auto& file : std::filesystem::directory_iterator(realPartsDir(), unreadable))
        if (file.path().extension() == ".step") names.push_back(file.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::vector<std::filesystem::path> stepTestParts() {
    std::vector<std::filesystem::path> parts;
    for (const std::string& folder :
         {std::string(FX_BINARY_DIR) + "/step_corpus", std::string(FX_SOURCE_DIR) + "/tests/data/repros"})
        for (const auto& file : std::filesystem::directory_iterator(folder))
            if (file.path().extension() == ".stp" || file.path().extension() == ".step") parts.push_back(file.path());
    std::sort(parts.begin(), parts.end(), [](const auto& a, const auto& b) { return a.stem() < b.stem(); });
    return parts;
}

// Parts that hold no hole to machine: only tessellated geometry, walls the open-arc rule drops, or walls an
// assembly's cover closes.
inline bool holdsNoHole(const std::filesystem::path& part) {
    return part.stem() == "tessellated_only" || part.stem() == "open_arcs_scallop_and_half_hole" ||
           part.stem() == "covered_bores";
}
