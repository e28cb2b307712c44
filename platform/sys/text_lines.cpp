#include "platform/sys/text_lines.h"

namespace plat {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The length of the line end at `at`: CR LF, LF, any run of CRs before an LF, or one CR; 0 for none.
std::size_t lineEndAt(std::string_view bytes, std::size_t at) {
    if (at >= bytes.size()) return 0;
    if (bytes[at] == '\n') return 1;
    if (bytes[at] != '\r') return 0;
    std::size_t end = at;
    while (end < bytes.size() && bytes[end] == '\r') ++end;
    return end < bytes.size() && bytes[end] == '\n' ? end + 1 - at : 1;
}

}  // namespace

bool endsLine(std::string_view text) { return !text.empty() && (text.back() == '\n' || text.back() == '\r'); }

std::string_view withoutByteOrderMark(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    return text;
}

std::vector<TextLine> splitLines(std::string_view bytes) {
    std::vector<TextLine> lines;
    if (withoutByteOrderMark(bytes).empty()) return lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t start = pos == 0 ? bytes.size() - withoutByteOrderMark(bytes).size() : pos;
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::size_t next = end + lineEndAt(bytes, end);
        lines.push_back({bytes.substr(start, end - start), bytes.substr(pos, next - pos)});
        pos = next;
    }
    return lines;
}

}  // namespace plat
