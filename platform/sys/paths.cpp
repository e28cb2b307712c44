// Path splitting and joining for both separators, and the ASCII case-blind comparisons used for file and
// registry names (locale-independent on purpose: names must compare the same on every machine).
#include "platform/sys/paths.h"

#include <algorithm>

namespace plat {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

template <char (*fold)(char)>
int compareFolded(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(fold(a[i]));
        const auto cb = static_cast<unsigned char>(fold(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool onlySeparators(const std::string& path) {
    return !path.empty() && std::all_of(path.begin(), path.end(), isSeparator);
}

}  // namespace

PathParts splitPath(std::string_view path) {
    PathParts parts;
    std::size_t pos = 0;
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (path.size() >= 2 && isLetter(path[0]) && path[1] == ':') {
        parts.drive = path.substr(0, 2);
        pos = 2;
    }
    const std::size_t lastSep = path.find_last_of("/\\");
    if (lastSep != std::string_view::npos && lastSep >= pos) {
        parts.dir = path.substr(pos, lastSep + 1 - pos);
        pos = lastSep + 1;
    }
    const std::string_view file = path.substr(pos);
    const std::size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) {
        parts.name = file;
    } else {
        parts.name = file.substr(0, dot);
        parts.ext = file.substr(dot);
    }
    return parts;
}

std::string joinPath(std::string_view a, std::string_view b) {
    if (a.empty())
        return std::string(b);
    if (b.empty())
        return std::string(a);
    std::size_t aEnd = a.size();
    while (aEnd > 0 && isSeparator(a[aEnd - 1]))
        --aEnd;
    std::size_t bStart = 0;
    while (bStart < b.size() && isSeparator(b[bStart]))
        ++bStart;
    std::string out(a.substr(0, aEnd));
    out += '/';
    out += b.substr(bStart);
    return out;
}

std::string removeTrailingSeparator(std::string path) {
    if (path.size() > 1 && isSeparator(path.back()))
        path.pop_back();
    return path;
}

std::string removeTrailingSeparators(std::string path) {
    if (onlySeparators(path))
        return path.substr(0, 1);
    while (!path.empty() && isSeparator(path.back()))
        path.pop_back();
    return path;
}

std::string toNativePath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool equalsNoCase(std::string_view a, std::string_view b) { return compareNoCase(a, b) == 0; }

int compareNoCase(std::string_view a, std::string_view b) { return compareFolded<lowerAscii>(a, b); }

bool listedBefore(std::string_view a, std::string_view b) {
    const int folded = compareFolded<upperAscii>(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

}  // namespace plat
