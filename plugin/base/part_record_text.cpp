// The text forms of part records and of the foreign colour-table note.
#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/sys/text_lines.h"
#include "plugin/base/part_record.h"

namespace {

constexpr std::size_t kHeaderLength = 16;

void splitWords(std::string_view line, std::string words[3]) {
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        while (pos < line.size() && std::isspace(static_cast<unsigned char>(line[pos]))) ++pos;
        const std::size_t start = pos;
        while (pos < line.size() && !std::isspace(static_cast<unsigned char>(line[pos]))) ++pos;
        words[i] = std::string(line.substr(start, pos - start));
    }
}

}  // namespace

std::string encodeRecordText(std::string_view header, const std::vector<std::uint8_t>& payload) {
    assert(header.size() >= kHeaderLength && "a record header is 16 characters");
    std::string text(header.substr(0, kHeaderLength));
    appendRecordLetters(text, payload);
    return text;
}

void appendRecordLetters(std::string& text, std::span<const std::uint8_t> bytes) {
    text.reserve(text.size() + 2 * bytes.size());
    for (std::uint8_t b : bytes) {
        text += static_cast<char>('a' + (b & 15));
        text += static_cast<char>('a' + (b >> 4));
    }
}

bool decodeRecordText(std::string_view text, std::vector<std::uint8_t>& payload) {
    if (text.size() < kHeaderLength) return false;
    std::uint64_t n = 0;
    for (char c : text.substr(7, 9)) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    // A writer gives every byte two letters and nothing more: a count that differs from the letters there
    // are, or a letter outside 'a'-'p', is damage, not a shorter record.
    if (text.size() - kHeaderLength != 2 * n) return false;
    std::vector<std::uint8_t> bytes(n);
    for (std::uint64_t i = 0; i < n; ++i) {
        const auto lo = static_cast<unsigned>(static_cast<unsigned char>(text[kHeaderLength + 2 * i]) - 'a');
        const auto hi = static_cast<unsigned>(static_cast<unsigned char>(text[kHeaderLength + 2 * i + 1]) - 'a');
        if (lo > 15 || hi > 15) return false;
        bytes[i] = static_cast<std::uint8_t>(lo | (hi << 4));
    }
    payload = std::move(bytes);
    return true;
}

int parseVertaColorTable(std::string_view text, std::vector<RGB_COLOR_NUM>& table) {
    int lineEnds = 0;
    int line = 0;
    for (const plat::TextLine& textLine : plat::splitLines(text)) {
        lineEnds += plat::endsLine(textLine.raw);
        if (line++ >= 2) {
            std::string_view data = textLine.text.substr(0, 255);
            std::string words[3], parts[3];
            splitWords(data, words);
            for (char& c : words[1]) c = c == '-' ? ' ' : c;
            splitWords(words[1], parts);
            RGB_COLOR_NUM entry;
            entry.red = static_cast<std::uint8_t>(std::atoi(parts[0].c_str()));
            entry.green = static_cast<std::uint8_t>(std::atoi(parts[1].c_str()));
            entry.blue = static_cast<std::uint8_t>(std::atoi(parts[2].c_str()));
            // The note numbers host colours from 1 (0 wraps to 255).
            entry.colorNumber = static_cast<std::uint8_t>(std::atoi(words[2].c_str()) - 1);
            entry.vertaNumber = static_cast<std::uint16_t>(std::atoi(words[0].c_str()));
            table.push_back(entry);
        }
    }
    return lineEnds;
}
