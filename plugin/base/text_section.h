// One section of a sectioned text file held in memory as numbered items. The same format carries the
// UI texts, the settings files and the colour configuration files; it is read as
// platform/sys/text_sections.h describes. Files are bytes (8-bit texts); lines written by the system end in
// CR LF. Lookups take the first item of an id.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/text_sections.h"

using TEXT_ITEM = plat::TextItem;

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
