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
#include "platform/sys/text_sections.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"

namespace {

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
        text->lines = plat::sectionLines(text->bytes);
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
    bool found = false;
    std::optional<std::vector<TEXT_ITEM>> items = plat::sectionItems(fileText->lines, sectionName, &found);
    if (!items) {
        if (showErrors && !found)
            showLoadError("Section:\n[" + std::string(sectionName) + "]\n is not found in text file:\n" + file);
        return 1;
    }
    g_keptSections.keep(file, fileText.get(), sectionName, *items);
    items_ = std::move(*items);
    fileName_ = file;
    sectionName_ = sectionName;
    return 0;
}

// Rewrites the file from a backup copy: lines before the section and after it are copied (without their
// leading blanks), the section's body is replaced. Lines are copied whole, so long lines keep their bytes.
// The file is replaced whole (the platform's atomic write): a failed write leaves it as it was.
int CTextSection::save() const {
    if (count() < 1 || fileName_.empty()) return 0;
    const std::string header = plat::sectionHeaderText(sectionName_);
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
    if (!plat::copyFile(fileName_, backup, false, plat::Flush::none)) {
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
    const std::string header = plat::sectionHeaderText(sectionName_);
    std::string items;
    for (const TEXT_ITEM& item : items_) items += itemLine(item);
    const std::vector<plat::TextLine> lines = plat::sectionLines(fileText, 0);
    std::string out;
    std::size_t i = 0;
    bool found = false;
    while (i < lines.size() && !found) {
        found = plat::lineMatchesHeader(lines[i].text, header);
        out += plat::blanksSkipped(lines[i++].raw);
    }
    if (!found) {
        // The last line of a file may lack its line end; the appended header must still start a line.
        if (!lines.empty() && !plat::endsLine(lines.back().raw)) out += "\r\n";
        out += header + "\r\n";
    }
    out += items;
    while (i < lines.size() && !plat::startsSection(lines[i].text)) ++i;
    for (; i < lines.size(); ++i) out += plat::blanksSkipped(lines[i].raw);
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
