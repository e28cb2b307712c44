#include "platform/sys/text_lines.h"

namespace plat {
namespace {

// The length of the line end at `at`: 2 for CR LF, 1 for CR or LF, 0 for none.
std::size_t lineEndAt(std::string_view bytes, std::size_t at) {
    if (at >= bytes.size()) return 0;
    if (bytes[at] == '\n') return 1;
    if (bytes[at] != '\r') return 0;
    return at + 1 < bytes.size() && bytes[at + 1] == '\n' ? 2 : 1;
}

}  // namespace

bool endsLine(std::string_view text) { return !text.empty() && (text.back() == '\n' || text.back() == '\r'); }

std::vector<TextLine> splitLines(std::string_view bytes) {
    std::vector<TextLine> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = bytes.size();
        const std::size_t next = end + lineEndAt(bytes, end);
        lines.push_back({bytes.substr(pos, end - pos), bytes.substr(pos, next - pos)});
        pos = next;
    }
    return lines;
}

}  // namespace plat
