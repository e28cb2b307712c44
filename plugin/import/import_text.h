// The text handling both line-oriented interchange readers share: lines cut at LF with their CR dropped
// (files written on the original system end in CR LF), and numbers read whole or refused.
#pragma once
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace import_text {

// The longest line a reader takes; a longer one is damage, not a line to cut in two.
constexpr std::size_t kMaxLine = 2047;

// The lines of the text without their line ends; `bad` gets the 1-based number of the first line that is
// too long or holds a NUL (0 when none).
std::vector<std::string_view> splitLines(std::string_view text, int& bad);

// The whole text of an open file from its current position.
std::string readAll(std::FILE* file);

// The first blank-separated word of the text.
std::string_view firstWord(std::string_view text);
// The word as a finite decimal number, or as a whole number in range; nothing when it is not all one.
std::optional<double> toDouble(std::string_view word);
std::optional<long> toLong(std::string_view word);
// Up to `max` blank-separated numbers from the start of the text, stopping at the first word that is not
// one; the count is the result's size.
std::vector<double> leadingDoubles(std::string_view text, std::size_t max);
std::vector<long> leadingLongs(std::string_view text, std::size_t max);

bool startsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace import_text
