// Text files cut into lines. CR LF, LF and a lone CR each end a line, wherever they come: files saved by
// other editors end their lines in any of them, and a file edited on two systems mixes them. Every reader
// of a text file cuts it here, so no reader takes two lines for one.
#pragma once
#include <string_view>
#include <vector>

namespace plat {

struct TextLine {
    std::string_view text;   // without its line end
    std::string_view raw;    // with its line end, exactly as in the file
};
// A last line without a line end is a line; an empty text has none.
std::vector<TextLine> splitLines(std::string_view bytes);
// Whether the text ends in a line end, so that what is appended to it starts a line.
bool endsLine(std::string_view text);

}  // namespace plat
