// What the other subsystems use of feature import.
#pragma once
#include <cstddef>
#include <optional>
#include <string_view>

#include "plugin/model/verta_tree.h"

// Reads hole features from an interchange file the user chooses into feature marks. Returns 0.
int importInterchgFile();
// The position of the pattern in the text, or npos (a plain substring search).
std::size_t findSubstring(std::string_view text, std::string_view pattern);
// Reads the feature tree another CAD system exported into the part's file "VERTATree": nothing when the
// part has no such file or its document does not parse. No command runs it yet; the caller keeps what it
// returns.
std::optional<VERTA_TREE> importVertaTree();
