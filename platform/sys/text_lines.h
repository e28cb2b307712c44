// Text files cut into lines. CR LF, LF and a lone CR each end a line, wherever they come: files saved by
// other editors end their lines in any of them, and a file edited on two systems mixes them. A run of CRs
// before an LF is one line end too: a CR LF file passed once more through a converter that adds a CR before
// every LF (CR CR LF) holds no empty line between each two. A UTF-8 byte order mark, which editors put
// before a file's first line, is no part of that line's text. Every reader of a text file cuts it here, so no
// reader takes two lines for one, or a header behind a byte order mark for another text.
#pragma once
#include <string_view>
#include <vector>

namespace plat {

struct TextLine {
    std::string_view text;   // without its line end (nor, on the first line, a byte order mark)
    std::string_view raw;    // with its line end (and a byte order mark), exactly as in the file
};
// A last line without a line end is a line; an empty text (or a byte order mark alone) has none.
std::vector<TextLine> splitLines(std::string_view bytes);
// Whether the text ends in a line end, so that what is appended to it starts a line.
bool endsLine(std::string_view text);
// The text after its UTF-8 byte order mark, for readers that take a text whole rather than by lines.
std::string_view withoutByteOrderMark(std::string_view text);

}  // namespace plat
