// What the other subsystems use of feature import.
#pragma once
#include <cstddef>
#include <string_view>

// Reads hole features from an interchange file the user chooses into feature marks. Returns 0.
int importInterchgFile();
// The position of the pattern in the text, or npos (a plain substring search).
std::size_t findSubstring(std::string_view text, std::string_view pattern);
