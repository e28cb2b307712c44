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

#include "plugin/model/tree.h"

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

// The hole-state counters of the last recognition (kept in PLUGIN_GLOBALS).
struct RUN_STATS {
    std::int16_t holeCount = 0;          // head holes
    std::int16_t tableHoleCount = 0;     // heads with a process table
    std::int16_t crashIntoCount = 0;
    std::int16_t noProblemCount = 0;
    std::int16_t stateCount1 = 0, stateCount2 = 0, stateCount3 = 0, stateCount4 = 0, stateCount5 = 0,
                 stateCount6 = 0;
    std::int16_t toolsCount1 = 0, toolsCount2 = 0;   // sizes of the tools view's two lists
};

// The settings in force when the tree was recognised (kept in PLUGIN_GLOBALS).
struct RUN_SETTINGS {
    std::string processMach1;            // host tool library
    std::string processMach2;            // table library name
    double processMach11 = 0, processMach9 = 0;
    std::int16_t processMach39 = 0, processMach37 = 0, onlySelectedViews = 0;
};

// RUN_SETTINGS from the current settings.
void takeRunSettings();

// The data revision this release writes; records of a higher one are not read.
constexpr std::uint32_t kDataRevision = 6;

// Sets of records a load left in the part unread (PLUGIN_GLOBALS::recordsLeftInPart).
enum : std::uint8_t {
    kLeftStream = 1,       // the tree stream and its table
    kLeftMarks = 2,        // the feature marks and their table
    kLeftTools = 4,        // tools and tool sequence
    kLeftRunBlock = 8,
    kLeftViewLists = 16,   // the views lists of the last recognition
    kLeftNewer = 32,       // a newer release's data: all of it, its revision included
    kLeftDamagedRevision = 64,   // a revision that does not read: all of it, kept like a newer release's
};

// Writes every record of the cycle. A set the last load left unread is written only when the cycle made
// new data of its kind (a tree, marks, tools or a sequence); a newer release's data is kept whole unless
// the cycle made any new data, which then replaces all of it. Returns 0.
int saveAllRecords(VIEW_LIST* tree);
// Reads the records into the tree head and the globals and relinks them; a damaged tree or a newer data
// revision leaves the head null. A record that is there but does not read whole (a header, a count or a
// length that disagrees, half of a pair, a second note of a tag) is never taken for a missing one: its set
// is left in the part unread, and the user is told once per part. Returns 0.
int loadAllRecords(VIEW_LIST** tree);
// A recognition made a new tree: the run block and views lists that describe the tree are written at the
// end of the cycle even where the load left damaged ones unread.
void treeReplaced();
// Cuts a chain of equal holes (POINT_LIST::nextEqual) that runs back into itself where it closes the loop.
void cutChainLoops(VIEW_LIST* tree);
// Tells, one message per head hole, where the number of equal holes it records differs from the chain that
// follows it.
void checkChainCounts(const VIEW_LIST* tree);
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
