// Saving and loading the work cycle: at its end everything the cycle made (the recognition tree with its
// operations, process copies and description arrays, the generated groups, the feature marks, the tools,
// the tool sequence and the run block) goes into the part as part records (part_record.h); the next cycle
// reads it back and relinks it. Records whose data this release cannot take (damaged, or written by a
// newer release) stay in the part until the user makes new data of that kind: see saveAllRecords.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"

struct GEN_OP_GROUP;
struct FEATURE_MARK;

// One entry of an image table, 22 bytes as stored.
struct RECORD_ENTRY {
    std::int16_t kind = 0;         // RECORD_KIND
    std::uint32_t offset = 0;      // of the image in the stream, 0 for markers
    std::uint32_t size = 0;        // of the image, 0 for markers
    std::uint32_t value = 0;       // host entity id (kinds 6 and 7)
    std::uint32_t entry = 0;       // 0 as stored; while loading, the database entry of the entity `value`
    std::uint32_t oldAddress = 0;  // the identity the record had when written, 0 for kinds 6 and 7

    bool operator==(const RECORD_ENTRY&) const = default;
};
constexpr std::size_t kRecordEntrySize = 22;

enum RECORD_KIND : std::int16_t {
    kRecView = 1,
    kRecPoint = 2,
    kRecCyl = 3,
    kRecOpe = 4,
    kRecDescs = 5,           // a hole's description array, descCount items
    kRecCylEntity = 6,       // one used entity entry of the segment before
    kRecMarker = 7,          // the run's marker entity
    kRecGroup = 8,
    kRecFeatureMark = 9,     // only in the feature marks' table
    kRecProcessCopy = 10,    // the process copy of the operation before
};

std::vector<std::uint8_t> encodeRecordTable(const std::vector<RECORD_ENTRY>& entries);
// One entry per whole 22 bytes; a trailing part of an entry is ignored.
std::vector<RECORD_ENTRY> decodeRecordTable(const std::vector<std::uint8_t>& payload);

// The data revision this release writes; records of a higher one are not read.
constexpr std::uint32_t kDataRevision = 6;

// Writes every record of the cycle. A set the last load left unread is written only when the cycle made
// new data of its kind (a tree, marks, tools or a sequence); a newer release's data is kept whole unless
// the cycle made any new data, which then replaces all of it. Returns 0.
int saveAllRecords(VIEW_LIST* tree);
// Reads the records into the tree head and the globals and relinks them; a damaged tree or a newer data
// revision leaves the head null. A record that is there but does not read whole (a header, a count or a
// length that disagrees, half of a pair, a second note of a tag) is never taken for a missing one: its set
// is left in the part unread, and the user is told once per part. Returns 0.
int loadAllRecords(VIEW_LIST** tree);
// Release every record of the list; the caller clears the head and the count. Return 0.
int freeGenOpGroups(GEN_OP_GROUP* groups);
int freeFeatureMarks(FEATURE_MARK* marks);
// Frees the linked records the globals hold for a cycle (the tree, the generated operation groups, the
// feature marks) and clears their heads and counts.
void freeCycleRecords();

// Copies the source leaving out every character below 32 and terminates the destination, which must hold
// the source.
void stripControlChars(const char* source, char* destination);
std::string stripControlCharsStr(std::string_view source);
