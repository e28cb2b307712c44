// Lines and numbers of the interchange readers.
#include "plugin/import/import_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/sys/files.h"
#include "platform/sys/text_lines.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"

namespace import_text {

void refuseDamagedFile(const std::string& path, const IMPORT_FAULT& fault) {
    using namespace import_texts;
    const std::string text = fillText(errorMessage(kCannotRead), {path, static_cast<long>(fault.line)}) + "\n" +
                             errorMessage(fault.reason) + "\n" + errorMessage(kNothingImported);
    plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OK | plat::MB_ICONWARNING);
}

void tellUnopenable(const std::string& path, int error) {
    const std::string text = fillText(errorMessage(import_texts::kCannotOpen), {path, std::string(std::strerror(error))});
    plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OK | plat::MB_ICONWARNING);
}

std::optional<std::string> readImportFile(const std::string& path) {
    errno = 0;
    std::optional<std::string> bytes = plat::readFile(path);
    // Without an error of the system the path names a folder.
    if (!bytes) tellUnopenable(path, errno != 0 ? errno : EISDIR);
    return bytes;
}

bool roomForMarks(const std::string& path, std::size_t adding, std::size_t kept) {
    const auto most = static_cast<std::size_t>(kMaxFeatureMarks);
    if (kept <= most && adding <= most - kept) return true;
    const std::string text = fillText(errorMessage(import_texts::kTooMany),
                                      {path, static_cast<long>(std::min<std::size_t>(adding, LONG_MAX)),
                                       static_cast<long>(std::min<std::size_t>(kept, LONG_MAX)), long{kMaxFeatureMarks}});
    plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OK | plat::MB_ICONWARNING);
    return false;
}

bool usableDiameter(double value) { return value > 0 && value <= kFarthest; }
bool usableDepth(double value) { return value >= 0 && value <= kFarthest; }
bool withinReach(const double point[3]) {
    for (int k = 0; k < 3; ++k)
        if (!(std::fabs(point[k]) <= kFarthest)) return false;
    return true;
}

int unusableMark(const FEATURE_MARK& m) {
    using namespace import_texts;
    if (!usableDiameter(m.diameter) || (m.isTap && !usableDiameter(m.tapDiam)) ||
        (m.isFit && !usableDepth(m.fitDiameter)))
        return kBadDiameter;
    if (!usableDepth(m.length) || (m.isTap && (!usableDepth(m.tapPitch) || !usableDepth(m.threadDepth))))
        return kBadDepth;
    double bottom[3];
    for (int k = 0; k < 3; ++k) bottom[k] = m.point[k] - m.length * m.direction[k];
    for (double d : m.direction)
        if (!std::isfinite(d)) return kOutOfReach;
    if (!withinReach(m.point) || !withinReach(bottom)) return kOutOfReach;
    return 0;
}

std::vector<std::string_view> splitLines(std::string_view text, int& bad) {
    std::vector<std::string_view> lines;
    bad = 0;
    for (const plat::TextLine& line : plat::splitLines(text)) {
        lines.push_back(line.text);
        if (!bad && (line.text.size() > kMaxLine || line.text.find('\0') != std::string_view::npos))
            bad = static_cast<int>(lines.size());
    }
    return lines;
}

std::string readAll(std::FILE* file) {
    std::string text;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    return text;
}

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view firstWord(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start])) ++start;
    std::size_t end = start;
    while (end < text.size() && !isBlank(text[end])) ++end;
    return text.substr(start, end - start);
}

std::optional<double> toDouble(std::string_view word) {
    if (word.empty() || word.size() > 64) return std::nullopt;
    const std::string copy(word);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<long> toLong(std::string_view word) {
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    long value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return value;
}

namespace {
template <class T, class Read>
std::vector<T> leading(std::string_view text, std::size_t max, Read read) {
    std::vector<T> out;
    while (out.size() < max) {
        const std::string_view word = firstWord(text);
        const std::optional<T> value = read(word);
        if (!value) break;
        out.push_back(*value);
        text.remove_prefix(static_cast<std::size_t>(word.data() + word.size() - text.data()));
    }
    return out;
}
}  // namespace

std::vector<double> leadingDoubles(std::string_view text, std::size_t max) {
    return leading<double>(text, max, toDouble);
}
std::vector<long> leadingLongs(std::string_view text, std::size_t max) { return leading<long>(text, max, toLong); }

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

}  // namespace import_text
