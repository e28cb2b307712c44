// Reading and rewriting one section of a sectioned text file. "Blank" means the space character only.
#include "plugin/base/text_section.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/text_lines.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"

namespace {

constexpr std::size_t kMaxHeaderText = 67;
constexpr std::size_t kMaxLinePiece = 1023;
constexpr std::size_t kMaxItemText = 5119;

// The file's lines as a line reader with a buffer of `maxPiece` + 1 characters gives them: each piece ends
// after its line end or after `maxPiece` characters. Zero means whole lines. An item's text is the piece
// without its line end, whichever it is: a reader that cut only a CR would keep the LF of a file saved with
// LF alone in the text, and take a file saved with CR alone for one line.
std::vector<plat::TextLine> linePieces(std::string_view bytes, std::size_t maxPiece) {
    std::vector<plat::TextLine> pieces;
    for (const plat::TextLine& line : plat::splitLines(bytes)) {
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

std::size_t firstNonBlank(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ') ++i;
    return i;
}

bool startsWithAfterBlanks(std::string_view line, char c) {
    std::size_t i = firstNonBlank(line);
    return i < line.size() && line[i] == c;
}

std::string skipLeadingBlanks(std::string_view text) { return std::string(text.substr(firstNonBlank(text))); }

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

std::string unquote(std::string text) {
    if (!text.empty() && text.front() == '"') {
        std::size_t last = text.rfind('"');
        if (last != 0) return text.substr(1, last - 1);
    }
    return text;
}

bool endsWithContinuation(const std::string& text) {
    return text.size() >= 3 && text.compare(text.size() - 3, 3, "\\n_") == 0;
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string removeChars(std::string_view text, std::string_view chars) {
    std::string out;
    for (char c : text) {
        if (chars.find(c) == std::string_view::npos) out += c;
    }
    return out;
}

void showLoadError(const std::string& text) {
    plat::messageBox(nullptr, text, "", plat::MB_OK | plat::MB_ICONINFORMATION | plat::MB_SYSTEMMODAL);
}

void showSaveError(const std::string& fileName) {
    plat::messageBox(nullptr, errorMessage(68) + "\n" + fileName, errorMessage(1), plat::MB_OK);
}

// A file's lines and the sections read from it, kept with the file's bytes: the UI texts are read section by
// section, again and again, and a file's bytes are much cheaper to compare than to cut into lines. A file is
// still read at every load, so a change is seen at once; only sections that were found are kept.
struct FILE_TEXT {
    std::string bytes;
    std::vector<plat::TextLine> lines;   // pieces of `bytes`, which never moves
};

class KeptSections {
public:
    // The file's text cut into lines, kept from an earlier load of the same bytes or cut now.
    std::shared_ptr<const FILE_TEXT> lines(const std::string& file, std::string&& bytes) {
        {
            std::lock_guard lock(mutex_);
            const auto it = files_.find(file);
            if (it != files_.end() && it->second.text->bytes == bytes) return it->second.text;
        }
        auto text = std::make_shared<FILE_TEXT>();
        text->bytes = std::move(bytes);
        text->lines = linePieces(text->bytes, kMaxLinePiece);
        std::lock_guard lock(mutex_);
        if (files_.size() >= kMaxFiles && !files_.contains(file)) files_.clear();
        files_[file] = KEPT_FILE{text, {}};
        return text;
    }
    bool take(const std::string& file, const FILE_TEXT* text, std::string_view section, std::vector<TEXT_ITEM>& out) {
        std::lock_guard lock(mutex_);
        const auto it = files_.find(file);
        if (it == files_.end() || it->second.text.get() != text) return false;
        const auto found = it->second.sections.find(section);
        if (found == it->second.sections.end()) return false;
        out = found->second;
        return true;
    }
    void keep(const std::string& file, const FILE_TEXT* text, std::string_view section,
              const std::vector<TEXT_ITEM>& items) {
        std::lock_guard lock(mutex_);
        const auto it = files_.find(file);
        if (it != files_.end() && it->second.text.get() == text)
            it->second.sections.insert_or_assign(std::string(section), items);
    }

private:
    static constexpr std::size_t kMaxFiles = 64;
    struct KEPT_FILE {
        std::shared_ptr<const FILE_TEXT> text;
        std::map<std::string, std::vector<TEXT_ITEM>, std::less<>> sections;
    };
    std::mutex mutex_;   // the shared-data watcher loads its texts on its own thread
    std::map<std::string, KEPT_FILE> files_;
};
KeptSections g_keptSections;

std::string itemLine(const TEXT_ITEM& item) { return std::to_string(item.id) + ". " + item.text + "\r\n"; }

}  // namespace

std::string sectionHeaderText(std::string_view sectionName) {
    std::string header = "[" + std::string(sectionName) + "]";
    if (header.size() > kMaxHeaderText) header.resize(kMaxHeaderText);
    return header;
}

bool lineMatchesHeader(std::string_view line, std::string_view header) {
    std::string_view rest = line.substr(firstNonBlank(line));
    if (rest.size() < header.size()) return false;
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(rest[i])) != std::toupper(static_cast<unsigned char>(header[i])))
            return false;
    }
    return true;
}

int CTextSection::clear() {
    if (items_.empty()) return 0;
    items_.clear();
    fileName_.clear();
    sectionName_.clear();
    return 0;
}

int CTextSection::init(std::string_view fileName, std::string_view sectionName, std::int16_t n) {
    clear();
    if (n < 1) return 0;
    items_.resize(static_cast<std::size_t>(n));
    for (std::int16_t i = 0; i < n; ++i) items_[static_cast<std::size_t>(i)].id = static_cast<std::int16_t>(i + 1);
    fileName_ = fileName;
    sectionName_ = sectionName;
    return 0;
}

int CTextSection::load(std::string_view fileName, std::string_view sectionName, bool showErrors) {
    const std::string file(fileName);
    const std::string header = sectionHeaderText(sectionName);
    std::optional<std::string> bytes = plat::readFile(file);
    if (!bytes) {
        if (showErrors) showLoadError("Text file:\n" + file + "\nis not found");
        return 1;
    }
    const std::shared_ptr<const FILE_TEXT> fileText = g_keptSections.lines(file, std::move(*bytes));
    if (std::vector<TEXT_ITEM> kept; g_keptSections.take(file, fileText.get(), sectionName, kept)) {
        items_ = std::move(kept);
        fileName_ = file;
        sectionName_ = sectionName;
        return 0;
    }
    const std::vector<plat::TextLine>& lines = fileText->lines;
    std::size_t at = 0;
    while (at < lines.size() && !lineMatchesHeader(lines[at].text, header)) ++at;
    if (at == lines.size()) {
        if (showErrors)
            showLoadError("Section:\n[" + std::string(sectionName) + "]\n is not found in text file:\n" + file);
        return 1;
    }
    const std::size_t bodyStart = at + 1;
    std::size_t bodyLines = 0;
    while (bodyStart + bodyLines < lines.size() && !startsWithAfterBlanks(lines[bodyStart + bodyLines].text, '['))
        ++bodyLines;
    if (bodyLines == 0) return 1;

    std::vector<TEXT_ITEM> items;
    items.reserve(bodyLines);
    std::size_t cursor = bodyStart;
    while (cursor < lines.size() && items.size() < bodyLines && items.size() < INT16_MAX) {
        const std::string_view line = lines[cursor++].text;
        if (startsWithAfterBlanks(line, '[')) break;
        if (startsWithAfterBlanks(line, '(')) continue;
        const auto id = static_cast<std::int16_t>(leadingNumber(line));
        if (id == 0) continue;

        std::string text;
        std::size_t sep = line.find_first_of(". ", 1);
        if (sep != std::string::npos) text = unquote(skipLeadingBlanks(line.substr(sep + 1)));
        while (endsWithContinuation(text)) {
            text.pop_back();
            if (cursor >= lines.size()) break;
            text += unquote(skipLeadingBlanks(lines[cursor++].text));
        }
        if (text.size() > kMaxItemText) text.resize(kMaxItemText);
        items.push_back({id, std::move(text)});
    }
    g_keptSections.keep(file, fileText.get(), sectionName, items);
    items_ = std::move(items);
    fileName_ = file;
    sectionName_ = sectionName;
    return 0;
}

// Rewrites the file from a backup copy: lines before the section and after it are copied (without their
// leading blanks), the section's body is replaced. Lines are copied whole, so long lines keep their bytes.
// The file is replaced whole (the platform's atomic write): a failed write leaves it as it was.
int CTextSection::save() const {
    if (count() < 1 || fileName_.empty()) return 0;
    const std::string header = sectionHeaderText(sectionName_);
    std::string items;
    for (const TEXT_ITEM& item : items_) items += itemLine(item);

    if (!plat::fileExists(fileName_) || !plat::canWrite(fileName_)) {
        if (!plat::writeFile(fileName_, header + "\r\n" + items)) {
            showSaveError(fileName_);
            return 1;
        }
    }

    std::string backup = fileName_;
    backup.back() = '~';
    if (saveChangesNothing(backup)) return 0;
    // Going on after a failed copy would rebuild the file from an older backup and lose what it holds now.
    if (!plat::copyFile(fileName_, backup, false)) {
        showSaveError(backup);
        return 1;
    }
    std::optional<std::string> old = plat::readFile(backup);
    if (!old) return 0;
    if (!plat::writeFile(fileName_, mergedInto(*old))) {
        showSaveError(fileName_);
        return 1;
    }
    return 0;
}

// Whether a save would write both files as they are: the file already holds the section as it would be
// merged, and the backup the file's bytes. The settings are written whole after every run, mostly unchanged,
// and each write of a section would copy and replace both files. Where a write could fail (a file or its
// folder not writable) the save goes on, so that it tells what it always told.
bool CTextSection::saveChangesNothing(const std::string& backup) const {
    const plat::PathParts parts = plat::splitPath(fileName_);
    const std::string folder = parts.drive + parts.dir;
    if (!plat::canWrite(backup) || !plat::canWrite(folder.empty() ? "." : folder)) return false;
    const std::optional<std::string> now = plat::readFile(fileName_);
    if (!now || mergedInto(*now) != *now) return false;
    const std::optional<std::string> kept = plat::readFile(backup);
    return kept && *kept == *now;
}

std::string CTextSection::mergedInto(std::string_view fileText) const {
    const std::string header = sectionHeaderText(sectionName_);
    std::string items;
    for (const TEXT_ITEM& item : items_) items += itemLine(item);
    const std::vector<plat::TextLine> lines = linePieces(fileText, 0);
    std::string out;
    std::size_t i = 0;
    bool found = false;
    while (i < lines.size() && !found) {
        found = lineMatchesHeader(lines[i].text, header);
        out += skipLeadingBlanks(lines[i++].raw);
    }
    if (!found) {
        // The last line of a file may lack its line end; the appended header must still start a line.
        if (!lines.empty() && !plat::endsLine(lines.back().raw)) out += "\r\n";
        out += header + "\r\n";
    }
    out += items;
    while (i < lines.size() && !startsWithAfterBlanks(lines[i].text, '[')) ++i;
    for (; i < lines.size(); ++i) out += skipLeadingBlanks(lines[i].raw);
    return out;
}

const TEXT_ITEM* CTextSection::find(int id) const {
    for (const TEXT_ITEM& item : items_) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

std::string CTextSection::getText(int id) const { return getTextOr(id, ""); }

std::string CTextSection::getTextOr(int id, std::string_view defaultText) const {
    const TEXT_ITEM* item = find(id);
    return item ? item->text : std::string(defaultText);
}

std::string CTextSection::getMessage(int id, std::string_view defaultText) const {
    std::string text = getTextOr(id, defaultText);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

long CTextSection::getLong(int id, long defaultValue) const {
    const TEXT_ITEM* item = find(id);
    if (!item || item->text.empty()) return defaultValue;
    return std::strtol(item->text.c_str(), nullptr, 10);
}

double CTextSection::getDouble(int id, double defaultValue) const {
    const TEXT_ITEM* item = find(id);
    if (!item || item->text.empty()) return defaultValue;
    return std::strtod(item->text.c_str(), nullptr);
}

std::string CTextSection::getTextAt(int index, std::int16_t* id) const {
    if (index < 0 || index >= count()) return "";
    const TEXT_ITEM& item = items_[static_cast<std::size_t>(index)];
    if (id) *id = item.id;
    return item.text;
}

int CTextSection::findIdByText(std::string_view text, bool exact, std::string_view charsToRemove) const {
    const std::string wanted = removeChars(text, charsToRemove);
    const std::string wantedUpper = upper(wanted);
    for (const TEXT_ITEM& item : items_) {
        const std::string candidate = removeChars(item.text, charsToRemove);
        if (exact ? candidate == wanted : upper(candidate) == wantedUpper) return item.id;
    }
    return 0;
}

int CTextSection::setText(int id, std::string_view text) {
    for (TEXT_ITEM& item : items_) {
        if (item.id == id) {
            item.text = text;
            break;
        }
    }
    return 0;
}

int CTextSection::setLong(int id, long value) { return setText(id, std::to_string(value)); }

int CTextSection::setDouble(int id, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", value);
    return setText(id, buf);
}

int CTextSection::setItem(int index, int id, std::string_view text) {
    if (items_.empty() || index >= count()) return 0;
    TEXT_ITEM& item = items_[static_cast<std::size_t>(index < 0 ? 0 : index)];
    item.id = static_cast<std::int16_t>(id);
    item.text = text;
    return 0;
}
