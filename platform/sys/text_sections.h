// Reading sectioned text files, as the plug-in's texts, settings and colour configurations are written, and
// as the host application reads the plug-in's texts for the names of the reports it writes:
//
//   [SectionName]            header, matched without case over its own length; any text may follow it
//   ( comment                a line whose first non-blank character is '('
//   12. Text                 id 12; the separator is the first '.' or blank after the line's first character
//   13 "  padded  " tail     quoted text: between the first and the last double quote of the line
//   14. First\n_             a text ending in backslash-n-underscore continues on the next line
//
// "Blank" means the space character only. Lines are read as a line reader with a buffer of 1024 characters
// reads them: a longer line is read in pieces, each taken for a line of its own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/text_lines.h"

namespace plat {

struct TextItem {
    std::int16_t id = 0;
    std::string text;
};

// The file's lines in pieces of at most `maxPiece` characters with their line ends (0: whole lines). A piece's
// text is the piece without its line end, whichever it is.
constexpr std::size_t kSectionLinePiece = 1023;
std::vector<TextLine> sectionLines(std::string_view bytes, std::size_t maxPiece = kSectionLinePiece);

// The header "[name]" as it is matched and written (at most 67 characters).
std::string sectionHeaderText(std::string_view sectionName);
// Whether a line, from its first blank-free character on, starts with the header (ASCII case ignored).
bool lineMatchesHeader(std::string_view line, std::string_view header);
// Whether the line's first non-blank character is '[', which ends the section before it.
bool startsSection(std::string_view line);
// The line without its leading blanks.
std::string_view blanksSkipped(std::string_view line);

// The items of the section in file order, a text cut at 5119 characters (lines that name no id, 0, and
// comments are passed over); nullopt when the lines hold no such section, or no line between its header and
// the next (`found` then tells which).
std::optional<std::vector<TextItem>> sectionItems(const std::vector<TextLine>& lines, std::string_view sectionName,
                                                  bool* found = nullptr);

}  // namespace plat
