// Conversions of UI-text lines filled in one at a time: only a format this file builds from the parsed
// flags, width and precision ever reaches snprintf.
#include "plugin/base/text_fill.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct CONVERSION {
    std::string flags;
    std::string width;
    std::string precision;   // with its '.', "" for none
    char letter = 0;
    std::size_t end = 0;     // one past the letter
};

// The conversion at line[at] == '%', or none when it is not one this reader takes.
bool readConversion(std::string_view line, std::size_t at, CONVERSION& c) {
    std::size_t i = at + 1;
    auto digits = [&](std::string& into) {
        while (i < line.size() && line[i] >= '0' && line[i] <= '9') into += line[i++];
        return into.size() <= 3;
    };
    while (i < line.size() && line[i] != 0 && std::strchr("-+ 0#", line[i]) && c.flags.size() < 5) c.flags += line[i++];
    if (!digits(c.width)) return false;
    if (i < line.size() && line[i] == '.') {
        c.precision.push_back('.');
        ++i;
        if (!digits(c.precision) || c.precision.size() > 4) return false;
    }
    while (i < line.size() && (line[i] == 'l' || line[i] == 'h')) ++i;
    if (i >= line.size() || line[i] == 0 || !std::strchr("dfFeEgGis", line[i])) return false;
    c.letter = line[i];
    c.end = i + 1;
    return true;
}

// The letters each type of value fills.
const char* lettersOf(const TEXT_VALUE& value) {
    if (std::holds_alternative<long>(value)) return "di";
    if (std::holds_alternative<double>(value)) return "fFeEgG";
    return "s";
}

std::string formatted(const CONVERSION& c, const TEXT_VALUE& value) {
    std::string spec(1, '%');
    spec.append(c.flags).append(c.width).append(c.precision);
    std::vector<char> out(64 + (c.width.empty() ? 0 : std::stoul(c.width)));
    if (const long* n = std::get_if<long>(&value)) {
        spec.append(1, 'l').append(1, c.letter);
        std::snprintf(out.data(), out.size(), spec.c_str(), *n);
    } else if (const double* d = std::get_if<double>(&value)) {
        // A huge value in %f needs more than the buffer: snprintf cuts it, it never overruns.
        spec.append(1, c.letter);
        std::snprintf(out.data(), out.size(), spec.c_str(), *d);
    } else {
        const std::string& s = std::get<std::string>(value);
        out.resize(out.size() + s.size());
        spec.append(1, 's');
        std::snprintf(out.data(), out.size(), spec.c_str(), s.c_str());
    }
    return out.data();
}

}  // namespace

std::string fillText(std::string_view line, std::initializer_list<TEXT_VALUE> values) {
    const TEXT_VALUE* next = values.begin();
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '%') {
            out += line[i];
            continue;
        }
        if (i + 1 < line.size() && line[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        CONVERSION c;
        if (next == values.end() || !readConversion(line, i, c) || !std::strchr(lettersOf(*next), c.letter)) {
            out += '%';
            continue;
        }
        out += formatted(c, *next++);
        i = c.end - 1;
    }
    return out;
}
