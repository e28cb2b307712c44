// One section of a sectioned text file held in memory as numbered items. The same format carries the
// UI texts, the settings files and the colour configuration files:
//
//   [SectionName]            header, matched without case over its own length; any text may follow it
//   ( comment                a line whose first non-blank character is '('
//   12. Text                 id 12; the separator is the first '.' or blank after the line's first character
//   13 "  padded  " tail     quoted text: between the first and the last double quote of the line
//   14. First\n_             a text ending in backslash-n-underscore continues on the next line
//
// Files are bytes (8-bit texts); lines written by the system end in CR LF. Lookups take the first item of an id.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TEXT_ITEM {
    std::int16_t id = 0;
    std::string text;
};

class CTextSection {
public:
    CTextSection() = default;
    ~CTextSection() { clear(); }
    CTextSection(const CTextSection&) = default;
    CTextSection& operator=(const CTextSection&) = default;

    int clear();
    int init(std::string_view fileName, std::string_view sectionName, std::int16_t n);
    [[nodiscard]] int load(std::string_view fileName, std::string_view sectionName, bool showErrors);
    int save() const;
    // The file text with this section put in: its lines replaced in place, or appended when the text lacks
    // it; every other line kept (what save writes over an existing file).
    std::string mergedInto(std::string_view fileText) const;

    std::string getText(int id) const;
    std::string getTextOr(int id, std::string_view defaultText) const;
    std::string getMessage(int id, std::string_view defaultText = "") const;
    long getLong(int id, long defaultValue) const;
    double getDouble(int id, double defaultValue) const;
    std::string getTextAt(int index, std::int16_t* id = nullptr) const;
    int findIdByText(std::string_view text, bool exact, std::string_view charsToRemove) const;

    int setText(int id, std::string_view text);
    int setLong(int id, long value);
    int setDouble(int id, double value);
    int setItem(int index, int id, std::string_view text);

    std::int16_t count() const { return static_cast<std::int16_t>(items_.size()); }
    const std::string& fileName() const { return fileName_; }
    const std::string& sectionName() const { return sectionName_; }
    const std::vector<TEXT_ITEM>& items() const { return items_; }

private:
    const TEXT_ITEM* find(int id) const;
    bool saveChangesNothing(const std::string& backup) const;

    std::string fileName_;
    std::string sectionName_;
    std::vector<TEXT_ITEM> items_;
};

// The section header text "[name]" as the loader and the saver match it (at most 67 characters).
std::string sectionHeaderText(std::string_view sectionName);
// Whether a line, from its first blank-free character on, starts with the header (ASCII case ignored).
bool lineMatchesHeader(std::string_view line, std::string_view header);
