// Drill cycle names from the post processor's text file: each cycle slot names a section (a primary and a
// fallback) whose line 1, or line 7, names the cycle; a line of "drill cycle descriptions" overrides it.
#include "plugin/base/cycle_names.h"

#include <algorithm>

#include "host/api.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_section.h"

namespace {

struct SLOT_SECTIONS {
    const char* primary;
    const char* secondary;
};

constexpr SLOT_SECTIONS kSlots[OP_CYCLE_LIST::kDrillSlots] = {
    {"simple drill", ""},   {"peck drill", ""},     {"chip break", ""},     {"tap", ""},
    {"bore1", ""},          {"bore2", ""},          {"misc1", ""},
    {"misc2", "simple drill custom parameters"},    {"drill cycle 9", "peck drill custom parameters"},
    {"drill cycle 10", "chip break drill custom parameters"},      {"drill cycle 11", "tap custom parameters"},
    {"drill cycle 12", "bore1 custom parameters"},  {"drill cycle 13", ""}, {"drill cycle 14", ""},
    {"drill cycle 15", ""}, {"drill cycle 16", ""}, {"drill cycle 17", ""}, {"drill cycle 18", ""},
    {"drill cycle 19", ""}, {"drill cycle 20", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""},
};

constexpr int kMilledKindLines[] = {41, 42, 43, 44};

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool readable(const std::string& path) { return !path.empty() && plat::readFile(path).has_value(); }

}  // namespace

std::string postTextFile(const std::string& postFile) {
    std::string text;
    if (!trimmed(postFile).empty()) {
        const plat::PathParts parts = plat::splitPath(trimmed(postFile));
        text = parts.drive + parts.dir + parts.name + ".Txt";
    } else if (!g_postFile.empty()) {
        const plat::PathParts parts = plat::splitPath(g_postFile);
        text = plat::joinPath(plat::removeTrailingSeparator(parts.drive + parts.dir), parts.name + ".Pst");
    }
    if (!text.empty()) {
        const plat::PathParts parts = plat::splitPath(text);
        text = plat::resolveNoCase(parts.drive + parts.dir, parts.name + parts.ext);
    }
    if (!readable(text))
        text = plat::resolveNoCase(plat::removeTrailingSeparator(current_dir), "Mill/Posts/Mpfan.Pst");
    return text;
}

int OP_CYCLE_LIST::load(const std::string& postFile) {
    const std::string text = postTextFile(postFile);
    unnamed = 0;
    count = 0;
    milledCount = 0;
    CTextSection descriptions;
    (void)descriptions.load(text, "drill cycle descriptions", false);
    std::int16_t drillPlace = 0;
    for (int s = 0; s < kDrillSlots && count < kMaxEntries; ++s) {
        if (!*kSlots[s].primary) continue;
        CTextSection section;
        bool loaded = section.load(text, kSlots[s].primary, false) == 0;
        if (!loaded && *kSlots[s].secondary) loaded = section.load(text, kSlots[s].secondary, false) == 0;
        std::string name;
        if (loaded) name = section.getText(1).empty() ? section.getText(7) : section.getText(1);
        name = trimmed(name);
        const std::string description = trimmed(descriptions.getText(s + 1));
        if (!description.empty()) name = description;
        if (name.empty()) unnamed = 1;
        ENTRY& entry = entries[count++];
        entry.name = name.empty() ? std::string(1, '-') : name;
        entry.milled = 0;
        entry.number = drillPlace++;
    }
    CTextSection kinds;
    if (g_globals.constructed()) (void)kinds.load(g_globals->uiTextFile, "OpCycleNames", false);
    for (int k = 0; k < 4 && count < kMaxEntries; ++k) {
        entries[count++] = ENTRY{kinds.getText(kMilledKindLines[k]), 1, static_cast<std::int16_t>(k)};
        ++milledCount;
    }
    return count;
}

int OP_CYCLE_LIST::enabledIndex(std::int16_t n) const {
    if (n < 1) return -1;
    int seen = 0;
    for (int i = 0; i < count; ++i)
        if (entries[i].milled && ++seen == n) return i;
    return -1;
}
