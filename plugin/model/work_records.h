// The records of one work cycle that every subsystem shares and the work cycle keeps in the part: the
// recognition tree with its operations, the feature marks, the generated operation groups and the run block
// (the table and process of the last run, its statistics and settings). They live from the cycle's load or
// recognition to its end; the cycle's save writes them (plugin/cycle/records.h).
#pragma once
#include <array>
#include <numbers>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/base/load_time.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"

struct VIEW_LIST;
struct POINT_LIST;
struct FEATURE_MARK;
struct GEN_OP_GROUP;

// A reference to one table file and one of its processes.
struct TABLE_FILE_REF {
    char tabPath[1024] = {};
    char txtPath[1024] = {};
    char tableName[32] = {};
    char processName[50] = {};   // empty: none
    std::int64_t fileTime = 0;   // seconds since 1970; the table chooser fills it
    std::uint8_t flag = 0;       // the table chooser's mark of tables the tree uses
};

// The hole-state counters of the last recognition.
struct RUN_STATS {
    std::int16_t holeCount = 0;          // holes, the followers of chains included
    std::int16_t tableHoleCount = 0;     // holes with an adapted row
    std::int16_t crashIntoCount = 0;
    std::int16_t noProblemCount = 0;
    std::int16_t stateCount1 = 0, stateCount2 = 0, stateCount3 = 0, stateCount4 = 0, stateCount5 = 0,
                 stateCount6 = 0;
    std::int16_t toolsCount1 = 0, toolsCount2 = 0;   // sizes of the tools view's two lists
    // The smallest and largest drill tip angle (full, radians) the adaptable table search met in the last
    // form recognition; the run's own, not kept in the part.
    double smallestTipAngle = std::numbers::pi, largestTipAngle = 0;
    // The user ticked the warning of a hole without a drill point: it is not shown again in this run.
    std::uint8_t quietNoDrillPoint = 0;
};

// The settings in force when the tree was recognised.
struct RUN_SETTINGS {
    std::string processMach1;            // host tool library
    std::string processMach2;            // table library name
    double processMach11 = 0, processMach9 = 0;
    std::int16_t processMach39 = 0, processMach37 = 0, onlySelectedViews = 0;
};

// Sets of records a load left in the part unread (CYCLE_RECORDS::recordsLeftInPart).
enum : std::uint8_t {
    kLeftStream = 1,       // the tree stream and its table
    kLeftMarks = 2,        // the feature marks and their table
    kLeftTools = 4,        // tools and tool sequence
    kLeftRunBlock = 8,
    kLeftViewLists = 16,   // the views lists of the last recognition
    kLeftNewer = 32,       // a newer release's data: all of it, its revision included
    kLeftDamagedRevision = 64,   // a revision that does not read: all of it, kept like a newer release's
};

struct CYCLE_RECORDS {
    VIEW_LIST* viewsTree = nullptr;
    std::int32_t featureMarkCount = 0;             // at most kMaxFeatureMarks
    FEATURE_MARK* featureMarks = nullptr;
    std::int16_t genOpGroupCount = 0;
    GEN_OP_GROUP* genOpGroups = nullptr;
    std::uint32_t processTreeFlags = 0;            // the process tree's filter word, kept with the tree
    // The tool-path groups dialog's option: the operations of a group of several views may run over them.
    std::int16_t multiViewFiveAxis = 0;
    std::int16_t toolSequenceFlag = 0;
    std::int32_t formCounter = 0;
    TABLE_FILE_REF runTableRef;
    std::int16_t runReservedWord = 0;
    std::array<std::uint8_t, 36> runReservedBlock{};
    std::vector<std::uint8_t> runBytes;            // carried unchanged from loading to saving
    std::vector<std::int16_t> runWords;            // the same
    RUN_STATS runStats;
    RUN_SETTINGS runSettings;
    std::uint8_t recordsLeftInPart = 0;            // kLeft* sets the last load left unread
    bool paused = false;                           // the last invocation left the cycle paused
};

extern LoadTime<CYCLE_RECORDS> g_records;

// RUN_SETTINGS from the current settings.
void takeRunSettings();
// A recognition made a new tree: the run block and views lists that describe the tree are written at the
// end of the cycle even where the load left damaged ones unread.
void treeReplaced();
// Cuts a chain of equal holes (POINT_LIST::nextEqual) that runs back into itself where it closes the loop.
void cutChainLoops(VIEW_LIST* tree);
// A message box about one hole: "ErrorMessages" 9 with the view and the hole's position, then `detail`.
void showHoleMessage(const VIEW_LIST* view, const POINT_LIST* point, const std::string& detail);
// Tells, one message per head hole, where the number of equal holes it records differs from the chain that
// follows it.
void checkChainCounts(const VIEW_LIST* tree);
