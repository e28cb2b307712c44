// The tool layout behind CToolsLayout and its records: one entry per operation of the recognised holes
// (DIAM_SORT) and the candidate tools an entry may take (TOOLS_SELECTION), with how entries are built, grouped
// and sorted and how candidates are collected. T is the base tolerance; lengths compared by
// "ToolSelectionCriteria" item 3.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/api.h"
#include "plugin/services/tooling.h"

struct VIEW_LIST;
struct OPE_LIST;
struct OP_CYCLE_LIST;

class TreeToolsLayout final : public CToolsLayout {
public:
    // One operation being given a tool.
    struct DIAM_SORT {
        OPE_LIST* operation = nullptr;
        std::uint8_t found = 0;
        std::uint8_t toolCreated = 0;   // from the part's tool array, or made here
        std::uint8_t inLibrary = 0;
        double wantedLength = 0;
        tp_tool tool;
        std::int16_t sequence = 0;      // milled-hole kind of the operation's cycle, 0 for a drill cycle
        std::uint8_t namedTool = 0;     // the process names the tool
        std::int16_t toolType = 0;
        double diameter = 0;
        double depth = 0;               // the hole's top Z - bottom Z: how deep the tool goes below the mouth
        double highestHill = 0;         // the most material over the mouth of a hole of the chain (hillT)
    };
    using GROUP = std::vector<DIAM_SORT*>;

    void buildDiamSort(VIEW_LIST* views, const OP_CYCLE_LIST& cycles, std::int16_t selectedOnly,
                       std::vector<DIAM_SORT>& out) const;
    static void sortByOperationOrder(std::vector<DIAM_SORT>& entries);
    static void splitByToolType(std::vector<DIAM_SORT>& entries, std::int16_t type, std::vector<GROUP>& groups);
    static void sortByDiameterDepth(GROUP& group);
    static void sortCandidatesByLength(std::vector<TOOLS_SELECTION>& candidates);
    // The library's tools of the type by diameter; the index of the one nearest `diameter` (0 when empty).
    static int collectLibraryTools(const std::string& library, std::int16_t type, double diameter,
                                   std::vector<tp_tool>& out);

    // The layout of every operation of the tree (tool_layout.cpp): with the type steps of the length window
    // (layoutTools) or per operation (layoutToolsNoDump). Both return 0.
    int layoutTools(VIEW_LIST* views, std::vector<tp_tool>& tools, const OP_CYCLE_LIST& cycles,
                    std::int16_t makeMissing, std::int16_t option, std::int16_t selectedOnly) override;
    int layoutToolsNoDump(VIEW_LIST* views, std::vector<tp_tool>& tools, const OP_CYCLE_LIST& cycles,
                          std::int16_t makeMissing, std::int16_t option, std::int16_t selectedOnly) override;
    using STEP = void (*)(GROUP& run);
    static void forEachDiameterRun(GROUP& group, STEP step);
    static void chooseToolsForRun(GROUP& run);
    // A tool made from the library tool of the type nearest the entry's diameter; false when neither the
    // configured nor the big library has a tool of the type.
    static bool makeMissingTool(const DIAM_SORT& entry, tp_tool& out);
    static void numberTools(std::vector<DIAM_SORT>& entries, std::vector<tp_tool>& tools);
    static void printToolsList(const std::vector<tp_tool>& tools);
    // "TL_<counter>_<title>.txt" in the work folder while the debug switch is on.
    void dumpLayout(const std::vector<DIAM_SORT>& entries, const char* title);

    std::int32_t dumpCounter = 1;

private:
    int layout(VIEW_LIST* views, std::vector<tp_tool>& tools, const OP_CYCLE_LIST& cycles, std::int16_t selectedOnly,
               bool lengthWindow);
};

// Gives each entry whose process names its tool that tool of the configured library.
void resolveNamedTools(std::vector<TreeToolsLayout::DIAM_SORT>& entries);
void sortByChamferWidth(TreeToolsLayout::GROUP& group);
[[nodiscard]] bool toolMatchesCriteria(const tp_tool& tool, std::int16_t type, double diameter, const std::string& text,
                                       double radius, std::int16_t material);
void sortToolsByDiameter(std::vector<tp_tool>& tools);
// The same tool but for the value that is not part of a tool's identity.
[[nodiscard]] bool sameToolRecord(const tp_tool& a, const tp_tool& b);
// The length of a tool the layout compares: overall, shoulder or flute by "ToolSelectionCriteria" item 3.
double comparedLength(const tp_tool& tool);
