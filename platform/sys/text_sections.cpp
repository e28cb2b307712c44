#include "platform/sys/text_sections.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace plat {
namespace {

constexpr std::size_t kMaxHeaderText = 67;
constexpr std::size_t kMaxItemText = 5119;

bool startsWithAfterBlanks(std::string_view line, char c) {
    const std::string_view rest = blanksSkipped(line);
    return !rest.empty() && rest.front() == c;
}

// The leading decimal number as the C library's atoi reads it, clamped instead of overflowing.
long leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value < LONG_MAX / 10) value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

std::string_view unquoted(std::string_view text) {
    if (!text.empty() && text.front() == '"') {
        const std::size_t last = text.rfind('"');
        if (last != 0) return text.substr(1, last - 1);
    }
    return text;
}

bool endsWithContinuation(std::string_view text) { return text.ends_with("\\n_"); }

}  // namespace

std::vector<TextLine> sectionLines(std::string_view bytes, std::size_t maxPiece) {
    std::vector<TextLine> pieces;
    for (const TextLine& line : splitLines(bytes)) {
        // The text starts after a byte order mark, which the first piece holds but its text does not.
        const std::size_t textFrom = static_cast<std::size_t>(line.text.data() - line.raw.data());
        const std::size_t textTo = textFrom + line.text.size();
        const std::size_t step = maxPiece != 0 ? maxPiece : line.raw.size();
        for (std::size_t at = 0; at < line.raw.size(); at += step) {
            const std::size_t size = std::min(step, line.raw.size() - at);
            const std::size_t from = std::clamp(at, textFrom, textTo), to = std::clamp(at + size, textFrom, textTo);
            pieces.push_back({line.raw.substr(from, to - from), line.raw.substr(at, size)});
        }
    }
    return pieces;
}

std::string sectionHeaderText(std::string_view sectionName) {
    std::string header = "[" + std::string(sectionName) + "]";
    if (header.size() > kMaxHeaderText) header.resize(kMaxHeaderText);
    return header;
}

std::string_view blanksSkipped(std::string_view line) {
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : line.substr(first);
}

bool lineMatchesHeader(std::string_view line, std::string_view header) {
    const std::string_view rest = blanksSkipped(line);
    if (rest.size() < header.size()) return false;
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(rest[i])) != std::toupper(static_cast<unsigned char>(header[i])))
            return false;
    }
    return true;
}

bool startsSection(std::string_view line) { return startsWithAfterBlanks(line, '['); }

std::optional<std::vector<TextItem>> sectionItems(const std::vector<TextLine>& lines, std::string_view sectionName,
                                                  bool* found) {
    const std::string header = sectionHeaderText(sectionName);
    std::size_t at = 0;
    while (at < lines.size() && !lineMatchesHeader(lines[at].text, header)) ++at;
    if (found) *found = at < lines.size();
    if (at == lines.size()) return std::nullopt;
    const std::size_t bodyStart = at + 1;
    std::size_t bodyLines = 0;
    while (bodyStart + bodyLines < lines.size() && !startsSection(lines[bodyStart + bodyLines].text)) ++bodyLines;
    if (bodyLines == 0) return std::nullopt;

    std::vector<TextItem> items;
    items.reserve(bodyLines);
    std::size_t cursor = bodyStart;
    while (cursor < lines.size() && items.size() < bodyLines && items.size() < INT16_MAX) {
        const std::string_view line = lines[cursor++].text;
        if (startsSection(line)) break;
        if (startsWithAfterBlanks(line, '(')) continue;
        const auto id = static_cast<std::int16_t>(leadingNumber(line));
        if (id == 0) continue;

        std::string text;
        const std::size_t sep = line.find_first_of(". ", 1);
        if (sep != std::string_view::npos) text = unquoted(blanksSkipped(line.substr(sep + 1)));
        while (endsWithContinuation(text)) {
            text.pop_back();
            if (cursor >= lines.size()) break;
            text += unquoted(blanksSkipped(lines[cursor++].text));
        }
        if (text.size() > kMaxItemText) text.resize(kMaxItemText);
        items.push_back({id, std::move(text)});
    }
    return items;
}

}  // namespace plat
