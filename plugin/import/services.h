// What the core keeps for the files stored in the part database. Stand-in (docs/seams.md).
#pragma once
#include <map>
#include <string>
#include <string_view>

class CHostDBFileNames {
public:
    std::map<std::string, unsigned> names;
};

// The position of the pattern in the text, or npos (a plain substring search).
inline std::size_t findSubstring(std::string_view text, std::string_view pattern) { return text.find(pattern); }
