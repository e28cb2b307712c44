// Line, token and number helpers of the table files, and their safety copies and atomic writes.
#include "plugin/tables/table_text.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/tab_cols_desc.h"

std::vector<std::string_view> blankTokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    const auto isSep = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (pos < text.size()) {
        while (pos < text.size() && isSep(text[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !isSep(text[pos])) ++pos;
        if (pos > start) tokens.push_back(text.substr(start, pos - start));
    }
    return tokens;
}

bool isBlankLine(std::string_view text) {
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r') return false;
    return true;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

long tokenLong(std::string_view token) {
    const std::string text(token);
    return std::strtol(text.c_str(), nullptr, 10);
}

double tokenDouble(std::string_view token) {
    const std::string text(token);
    return std::strtod(text.c_str(), nullptr);
}

// The conversion must use up the whole token: a NUL byte inside it ends the C text early.
bool isIntegerToken(std::string_view token) {
    const std::string text(token);
    char* end = nullptr;
    std::strtol(text.c_str(), &end, 10);
    return !text.empty() && end == text.c_str() + text.size();
}

bool isNumberToken(std::string_view token) {
    const std::string text(token);
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
}

std::string formatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, format, again);
    va_end(again);
    return out;
}

std::string tableSafetyCopyPath(std::string_view tablePath) {
    return plat::joinPath(g_globals->tmpDir, plat::splitPath(tablePath).name + ".Ta~");
}

std::string rowsSafetyCopyPath(std::string_view tablePath) {
    return plat::joinPath(g_globals->tmpDir, plat::splitPath(tablePath).name + ".tx~");
}

std::string rowsFilePath(std::string_view tablePath) {
    const plat::PathParts parts = plat::splitPath(tablePath);
    return parts.drive + parts.dir + parts.name + ".txt";
}

bool takeSafetyCopy(const std::string& file, const std::string& copy) {
    if (!plat::fileExists(file) || plat::copyFile(file, copy, false, plat::Flush::none)) return true;
    showTableMessage(kMsgTableNotWritten, file);
    return false;
}

bool writeTableFile(const std::string& path, std::string_view bytes) {
    if (plat::writeFile(path, bytes)) return true;
    showTableMessage(kMsgTableNotWritten, path);
    return false;
}

void showTableMessage(int id, std::string_view path) {
    const std::string text = errorMessage(id) + "\n" + std::string(path);
    plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
}

namespace {

int g_damageScopes = 0;
std::vector<std::pair<std::string, std::size_t>> g_toldDamage;   // path and hash of the bytes told

bool firstTelling(std::string_view path, std::string_view bytes) {
    if (g_damageScopes == 0) return true;
    const std::pair<std::string, std::size_t> key{std::string(path), std::hash<std::string_view>{}(bytes)};
    for (const auto& told : g_toldDamage)
        if (told == key) return false;
    g_toldDamage.push_back(key);
    return true;
}

}  // namespace

TableDamageNotices::TableDamageNotices() { ++g_damageScopes; }

TableDamageNotices::~TableDamageNotices() {
    if (--g_damageScopes == 0) g_toldDamage.clear();
}

std::string damageText(int id, std::string_view argument) {
    return fillText(errorMessage(id), {std::string(argument)});
}

void showTableDamage(std::string_view path, std::string_view bytes, const std::string& what) {
    if (!firstTelling(path, bytes)) return;
    const std::string text = errorMessage(kMsgTableDamaged) + "\n" + std::string(path) + "\n" + what;
    plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
}

std::string tableBytesDamage(std::string_view bytes) {
    return bytes.find('\0') != std::string_view::npos ? damageText(kMsgNulBytes) : std::string();
}

std::string rowsBytesDamage(std::string_view bytes) {
    if (std::string damage = tableBytesDamage(bytes); !damage.empty()) return damage;
    const std::vector<plat::TextLine> lines = plat::splitLines(bytes);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (!isBlankLine(line->text)) return plat::endsLine(line->raw) ? std::string() : damageText(kMsgRowCut);
    return {};
}

bool isFiniteNumberToken(std::string_view token, double limit) {
    if (!isNumberToken(token)) return false;
    const double v = tokenDouble(token);
    return std::isfinite(v) && std::fabs(v) <= limit;
}
