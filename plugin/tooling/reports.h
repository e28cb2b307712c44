// The two reports a generation writes when the settings ask for them: the drilling list (per drilling
// direction, every operation with its tool and the position and depth of each hole) and the machining-time
// estimate (per operation, per operation group and for the whole run). A generation opens each once, hands
// it every operation and closes it; a report that could not be opened takes every call and writes nothing.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/api.h"
#include "plugin/base/cycle_names.h"
#include "plugin/base/text_section.h"

struct VIEW_LIST;
struct POINT_LIST;
struct OPE_LIST;

// One hole of an operation as the reports walk it: its point (the time report measures the moves between
// them), the hole, the operation, its depth and the index of the next entry (-1 after the last).
struct REPORT_POINT {
    double point[3] = {};
    POINT_LIST* hole = nullptr;
    OPE_LIST* operation = nullptr;
    double depth = 0;
    std::int32_t next = -1;
};

// The name of a tool type's tool in the type table, "" for an unknown type.
std::string toolTypeToolName(std::int32_t type);

// What the drilling list shows of an operation's tool.
struct REPORT_TOOL {
    std::int32_t type = 0;
    std::int32_t number = 0;
    double diameter = 0;
};

class CDrillingList {
public:
    CDrillingList() = default;
    ~CDrillingList() { close(); }
    CDrillingList(const CDrillingList&) = delete;
    CDrillingList& operator=(const CDrillingList&) = delete;

    // Opens the list (an existing file is replaced; unless `dontAsk`, the user is told and may choose
    // another file or cancel). Returns 0; `file` says whether it is open.
    int begin(const std::string& name, std::int16_t width, bool dontAsk);
    // Opens the section of a drilling direction. The list holds one section per direction, headed by the
    // direction's name, whatever order the operations of several directions come in; a direction that gets
    // no operation gets no section. Sections are written in the order they were opened when the list closes.
    int writeHeader(const VIEW_LIST* view);
    // One operation: in the section of each hole's direction, a tool block when its tool differs from that
    // section's last one, then a line per hole that has a drill point, `count` entries walked from `first`.
    // An operation without such a hole writes its tool block into the section of its own direction.
    int writeOperation(const OPE_LIST& operation, const REPORT_TOOL& tool, const std::vector<REPORT_POINT>& holes,
                       int count, int first, bool created);
    int close();

    std::FILE* file = nullptr;
    std::string fileName;
    int lastToolNumber = -1;
    std::int16_t numberWidth = 6;   // the column of the decimal point in number fields
    CTextSection texts;             // "DrillingList"

private:
    struct SECTION {
        const VIEW_LIST* view = nullptr;
        std::string text;
        int lastToolNumber = -1;
    };
    std::string field(double value) const;
    SECTION& sectionOf(const VIEW_LIST* view);
    std::vector<SECTION> sections_;
};

class CMachiningTime {
public:
    CMachiningTime() = default;
    ~CMachiningTime();
    CMachiningTime(const CMachiningTime&) = delete;
    CMachiningTime& operator=(const CMachiningTime&) = delete;

    // Opens the report and writes its title; the width is not used. Returns 0.
    int begin(const std::string& name, std::int16_t width, bool dontAsk);
    // Writes the pending operation and takes `op` (a host drilling operation with its tool) in its place,
    // with `count` hole entries walked from `first`. Returns 0.
    int addOperation(const operation& op, const std::vector<REPORT_POINT>& holes, int count, int first);
    // Closes the open group's block (with its totals) and opens the block of `group` (0: closes only).
    int writeGroupTotals(std::int32_t group);
    // Writes the pending operation, the last group's totals and the grand totals, and closes the file.
    int finish();

    std::FILE* file = nullptr;
    std::string fileName;

private:
    struct LENGTHS {
        double feedIn = 0, positioning = 0, peckFeed = 0, peckRapid = 0, retractRapid = 0, retractFeed = 0;
        double approach = 0, fixedTime = 0;
        double feedTime = 0, feedOutTime = 0, rapidTime = 0, positioningTime = 0;
        void add(const LENGTHS& other);
    };

    void reset();
    void flushPending(std::int32_t nextToolNumber);
    void takeIn(const operation& op, const std::vector<REPORT_POINT>& holes, int count, int first);
    std::string number(const char* format, double value) const;

    int toolNumber_ = -1;
    std::int32_t currentGroup_ = -1;
    std::int32_t operationId_ = -1;
    OP_CYCLE_LIST cycles_;
    CTextSection texts_;            // "MachiningTime" or "MachiningTime-in"
    bool first_ = true;
    bool metric_ = true;
    std::int32_t group_ = 0;
    std::int16_t groupToolChanges_ = 0, totalToolChanges_ = 0;
    // The pending operation.
    int toolType_ = 0;
    std::string operationName_, toolName_;
    double diameter_ = 0, pitch_ = 0;
    std::int32_t spindleSpeed_ = 0;
    std::int16_t holeCount_ = 0;
    std::int16_t cycle_ = 0;
    double feedRate_ = 0, feedOutRate_ = 0, rapidRate_ = 0, toolChangeTime_ = 0;
    double depth_ = 0;
    LENGTHS pending_, groupSums_, grandSums_;
    double grandMachiningTime_ = 0;
    double previous_[3] = {};
};
