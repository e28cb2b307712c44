// Records of the plug-in kept inside the part: one note entity on the features level per record, whose
// text is a 16-character header (4-letter tag, 3-character version, "%09li" payload byte count) followed by
// every payload byte as two letters: 'a' + low nibble, then 'a' + high nibble.
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/base/byte_codec.h"

// The note text of a record; `header` gives its first 16 characters.
std::string encodeRecordText(std::string_view header, const std::vector<std::uint8_t>& payload);
// Payload bytes as a record's text writes them, appended to `text`.
void appendRecordLetters(std::string& text, std::span<const std::uint8_t> bytes);
// The payload of a note text, or false when the text is not a whole record: a count that is no number, a
// text longer or shorter than the count says, or a payload character that no byte is written as.
[[nodiscard]] bool decodeRecordText(std::string_view text, std::vector<std::uint8_t>& payload);

enum class RECORD_STATE : std::uint8_t { absent, whole, damaged };
struct FOUND_RECORD {
    RECORD_STATE state = RECORD_STATE::absent;
    std::string version;               // the 3 characters after the tag, when whole
    std::vector<std::uint8_t> payload; // when whole
};
// The record of a tag for readers that must tell damage from absence: damaged when the part holds more than
// one note of the tag (a save leaves one), when its note is no whole record, or when its version is none of
// `versions`.
[[nodiscard]] FOUND_RECORD findPartRecord(std::string_view tag, std::initializer_list<std::string_view> versions);

// Stores the record and then removes every other record of the same tag, any version: a failed store
// keeps the old record. Returns 0; 1 when the host could not make the record's note (the old one stays).
// A large record's text goes to the host in pieces, never whole. The note goes on `level`, the features
// level.
int writePartRecord(std::int32_t level, std::string_view header, std::vector<std::uint8_t> payload);
// writePartRecord with the payload written by `write` as it is made, never held whole: `size` is its byte
// count, as `header` says. A payload of another size is not stored (1; the old record stays).
int writePartRecordWritten(std::int32_t level, std::string_view header, std::size_t size,
                           const std::function<void(ByteWriter&)>& write);
// The payload of the first record of this tag and version; its byte count, 0 when there is none (the
// payload is then left as it was).
long readPartRecord(std::string_view tagAndVersion, std::vector<std::uint8_t>& payload);

// One colour of a colour list: the host's palette, or a translation table's entry.
struct RGB_COLOR_NUM {
    std::uint8_t red = 0, green = 0, blue = 0;
    std::uint8_t colorNumber = 0;    // the host colour number (palette_entry_of_color), kept to 8 bits;
                                     // a translation table's note holds it plus one
    std::uint16_t vertaNumber = 0;   // what the part's translation table numbers it; 0 untranslated
    std::uint16_t listIndex = 0;     // the entry's own index in the list that holds it
    std::uint16_t row = 0;           // its row in the list view that shows it
};
// Appends one entry per data line of the note "---VERTA Color Table---"; returns its count of line ends,
// 0 without such a note.
int readVertaColorTable(std::vector<RGB_COLOR_NUM>& table);
// The same, from the note's text.
int parseVertaColorTable(std::string_view text, std::vector<RGB_COLOR_NUM>& table);
