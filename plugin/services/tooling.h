// What the other subsystems use of tools and operation generation: the tools of the libraries and of the
// part, a tool against a hole's half section, the tool layout and the machining order of a toolpath group,
// the count of the tools a sequence uses, and the creation of host operations and groups.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/api.h"

struct VIEW_LIST;
struct POINT_LIST;
struct CYL_LIST;
struct OPE_LIST;
struct FULL_TOOLS_SEQ;
struct OP_CYCLE_LIST;

// ---- tools of the libraries and of the part ----------------------------------------------------------------

// The configured tool library (setting "ProcessMach" 1).
std::string configuredToolLibrary();

int nextFreeToolNumber(const std::string& library, int* number, int* slot);

// 0 stored (number and slot returned), 1 not. While tools are kept (keepLibraryTools), a library that took
// no tool is not asked again: the host told why at the first, and would refuse the rest the same way.
int addToolToLibrary(const std::string& library, const tp_tool* tool, int* number, int* slot);

// 1 and the library's tool when the library holds one that is the same tool (every value but its slot, its
// number and the value outside its identity); else 0.
int findSameLibraryTool(const std::string& library, const tp_tool& tool, tp_tool* out);

// Whether the library file is there and the host refuses to read it (the host said why on its message line).
bool libraryRefused(const std::string& library);

// While one of these lives (a run that looks tools up operation after operation), each library is read once
// and its tools kept; a tool added through addToolToLibrary joins the kept tools (a failed add drops them, so
// the next look-up reads the library again). The tools are let go when the outermost one ends.
class LibraryToolsKept {
public:
    virtual ~LibraryToolsKept() = default;
    LibraryToolsKept(const LibraryToolsKept&) = delete;
    LibraryToolsKept& operator=(const LibraryToolsKept&) = delete;

protected:
    LibraryToolsKept() = default;
};
[[nodiscard]] std::unique_ptr<LibraryToolsKept> keepLibraryTools();

// 1 and the first tool of the type (0 any) of the configured library whose trimmed name equals `name`
// ignoring case; 0 (and `out` zeroed) when there is none.
int findLibraryToolByName(std::int16_t type, const std::string& name, tp_tool* out);

// The default drill cycle of an operation of the tool type.
[[nodiscard]] int mapToolTypeCode(std::int16_t type);

// -1 no memory; 0 a tool of the part or the configured library meeting every criterion (or the named spot
// tool); 1 the best of them; 2 a tool of the big library meeting every criterion; 3 the best of it; 4 no tool
// of the type (out untouched); 5 the named spot tool asked for and missing.
int findBestLibraryTool(const std::string& library, std::int16_t type, double diameter, double minLength,
                        double maxLength, double minSecondLength, double shapeValue, double radius, double angle,
                        double pitch, std::int16_t material, const char* text, tp_tool* out);

// ---- a tool against a hole's half section ------------------------------------------------------------------

// One segment of a profile: a line uses the line fields, an arc the arc fields.
struct PROFILE_SEGMENT {
    std::int16_t kind = 0;   // 0 line, 1 arc
    double x1 = 0, z1 = 0, x2 = 0, z2 = 0;
    double cx = 0, cz = 0, radius = 0, start = 0, sweep = 0;
};

// The start and end point of a segment.
void segmentStart(const PROFILE_SEGMENT& s, double point[2]);
void segmentEnd(const PROFILE_SEGMENT& s, double point[2]);

// A tool's outline against a hole's half section (tool_hole_profile.h holds the outlines).
class CToolHoleProfile {
public:
    static constexpr int kMaxSegments = 50;

    virtual ~CToolHoleProfile() = default;

    // Hole outline, from the top face down. Each returns 0, or 1 without change when it is full.
    virtual int clearHole() = 0;
    virtual int addHoleLine(double d1, double z1, double d2, double z2) = 0;
    virtual int addHoleFlat(double d1, double d2, double z) = 0;
    virtual int addHoleArc(double cx, double cz, double radius, double start, double sweep) = 0;
    [[nodiscard]] virtual int holeSegmentCount() const = 0;
    [[nodiscard]] virtual const PROFILE_SEGMENT& holeSegment(int index) const = 0;

    // Replaces the tool outline; its length comes from the hole's depth. 0, or 1 with no tool outline when
    // the hole has no outline yet.
    virtual int buildTool(std::int16_t toolType, double diameter, double halfAngle, double cornerRadius,
                          double tipDiameter, double taperHeight) = 0;

    // A free position at or above `start`.
    [[nodiscard]] virtual double findFreePosition(double start) const = 0;
    // The deepest free position at the hole's end; with `stopAtEnd` the end itself when the tool is free there.
    [[nodiscard]] virtual double findLastFreePosition(std::uint8_t stopAtEnd) const = 0;
    // 1 and the first contact of the line with the hole outline, walking it from the top (or from the end
    // when `backwards`); 0 when the line meets none.
    virtual int intersectHole(double x1, double z1, double x2, double z2, double point[2],
                              std::int16_t backwards) const = 0;
};
[[nodiscard]] std::unique_ptr<CToolHoleProfile> makeToolHoleProfile();

// Where a line from (d1 / 2, -h) rising at a1 from the axis meets a line from (d2 / 2, 0) going down and
// inwards at a2: 0 with the point as a diameter d and z; 1 with d = d1, z = 0 when they do not meet.
int coneLinesIntersection(double d1, double h, double a1, double d2, double a2, double* d, double* z);

// ---- the tool layout and the machining order of a toolpath group ------------------------------------------

// The tools log ("23_Tools.txt" in the work folder): opened for writing, replacing an older one, while one of
// these lives and the debug switch is on; closed at its end, or earlier by close().
class ToolsLogOpen {
public:
    ToolsLogOpen();
    ~ToolsLogOpen();
    ToolsLogOpen(const ToolsLogOpen&) = delete;
    ToolsLogOpen& operator=(const ToolsLogOpen&) = delete;
    static void close();
};
// The open tools log, else null.
std::FILE* toolsLog();

// The tool layout of every operation of the tree (tool_layout_records.h holds the layout itself).
class CToolsLayout {
public:
    // A candidate tool and where it comes from.
    enum : std::int16_t { kFromLibrary = 1, kFromToolArray = 2, kFromCurrentList = 3 };
    struct TOOLS_SELECTION {
        tp_tool tool;
        std::int16_t source = 0;
    };

    virtual ~CToolsLayout() = default;

    // With the type steps of the length window (layoutTools) or per operation (layoutToolsNoDump). Both
    // return 0.
    virtual int layoutTools(VIEW_LIST* views, std::vector<tp_tool>& tools, const OP_CYCLE_LIST& cycles,
                            std::int16_t makeMissing, std::int16_t option, std::int16_t selectedOnly) = 0;
    virtual int layoutToolsNoDump(VIEW_LIST* views, std::vector<tp_tool>& tools, const OP_CYCLE_LIST& cycles,
                                  std::int16_t makeMissing, std::int16_t option, std::int16_t selectedOnly) = 0;
};
[[nodiscard]] std::unique_ptr<CToolsLayout> makeToolsLayout();
// Candidates of the part's tool list (with the flag), the library and the part's tool array, by length.
void collectCandidateTools(const std::string& library, std::int16_t currentList,
                           std::vector<CToolsLayout::TOOLS_SELECTION>& out, std::int16_t type, double diameter,
                           const std::string& text, double radius, std::int16_t material);
// The log of one flattened sequence (tools log only).
void printRenumberedSequence(const std::vector<OPE_LIST*>& operations, const std::vector<tp_tool>& tools);

// The part's tool array the layout appends to (an empty one while the plug-in is not loaded).
std::vector<tp_tool>& partToolArray();

// The machining order of one toolpath group (tools_seq_matrix.h holds the matrix itself).
class CToolsSeqMatrix {
public:
    virtual ~CToolsSeqMatrix() = default;

    // Sizes and fills the matrix from the views of `first`'s toolpath group. 0, or -1 without memory.
    virtual int build(VIEW_LIST* first, std::int16_t selectedOnly) = 0;
    virtual void print(std::FILE* log, const char* title) const = 0;
    virtual void alignColumns(std::FILE* log, const char* title) = 0;
    // The operations column by column; returns their count.
    virtual std::int16_t toSequence(std::vector<OPE_LIST*>& out, std::int16_t flag) const = 0;
};
[[nodiscard]] std::unique_ptr<CToolsSeqMatrix> makeToolsSeqMatrix();

// Relinks the holes of every view from `views` on in path order. Returns 0.
int orderGroupHoles(VIEW_LIST* views);

// ---- the tools view ------------------------------------------------------------------------------------------

// The number of tools the operations of the sequence use that were not found (`notFound`) and that the
// system made (`created`), as the tools view lists them (tools_view_lists.cpp).
void countUsedTools(std::vector<FULL_TOOLS_SEQ>& sequence, std::int16_t* notFound, std::int16_t* created);

// ---- operation generation ------------------------------------------------------------------------------------

// Creates the host operations of what the tree has on, in the order of `sequence`: the holes that the tree
// filter `*treeFlags` hides are left out; with a group name every operation goes into that group (found or
// made under the active group), else a group is made per run of one tool type; `keepGroups` 0 first removes
// the groups, unused tools and drill points of the previous generation. Path mode 0 orders the points of each
// host operation, 1 those of each tool, any other value keeps them. 0 done (also when nothing was made or
// there is no active group), 1 the user cancelled at the question about unreachable holes.
int createTreeProcessOperations(std::uint32_t* treeFlags, std::vector<FULL_TOOLS_SEQ>& sequence,
                                std::int16_t pathMode, const std::string& groupName, std::uint8_t keepGroups);
// The depth of an operation as its host operation takes it, from the hole's mouth.
double operationDepth(const OPE_LIST& operation, const tp_tool& tool, std::uint8_t tipCompensation);
// A hole position one of whose tools would run into material of the part: the first such tool's diameter,
// the solid's number in the part and the depth below the hole's mouth where it meets the material.
struct BLOCKED_HOLE {
    POINT_LIST* hole = nullptr;
    double toolDiameter = 0;
    std::int32_t solid = 0;
    double depth = 0;
};
// The hole positions of the sequence's operations (with `onlyOn`, only those on: selected2) whose tools
// would meet material of a solid of the part on their way down from the clearance plane to their depth,
// beyond what their process takes, in the sequence's order. The operations of every other hole are made as
// they are: this is the last word before any operation is made.
std::vector<BLOCKED_HOLE> holesToolsRunInto(std::vector<FULL_TOOLS_SEQ>& sequence, bool onlyOn);
// Leaves out (selected, selected2 off) each hole position that holesToolsRunInto finds among those on.
void leaveOutBlockedHoles(std::vector<FULL_TOOLS_SEQ>& sequence);
// Whether the toolpath groups dialog lets one operation run over the views of a toolpath group.
bool toolPathGroupsOverViews();

// ---- operation groups and group notes ----
// Deletes the groups the generations made (and their operations) from the host; a group that keeps
// operations stays with its record. Returns 0.
int cleanGeneratedGroups(std::int16_t onlyMachineGroup);
// The id of the operation group `name`, or of a new one under `parent`; 0 when none could be made.
std::int32_t findOrCreateOpGroup(const std::string& name, std::int32_t parent);
// The id of the group of that name, 0 when none; `root` (when given) its root machine group or null.
std::uint32_t opGroupIdByName(const std::string& name, op_group** root = nullptr);
// The name of the group, "" for an unknown id.
std::string opGroupName(std::int32_t groupId);
// Deletes the group's operations that are not kept; returns how many were kept.
int deleteGroupOperations(std::uint32_t groupId);
// Clears the selected flag of every host operation. Returns 0.
int clearOperationsSelected();
// The name without the characters \ / : ? | (which host group names refuse).
std::string sanitizeGroupName(std::string name);
// Asks the user for a point and places the view's group note there (its text names the view); an older
// note of the view goes.
void placeGroupNote(VIEW_LIST* view);
// The number of the view's group notes; the world position of the last one found. Several are told.
int findGroupNotes(VIEW_LIST* view, double position[3]);
void deleteGroupNotes(VIEW_LIST* view, db_ptr keep);
// 1 and the world position of the first point on the level when it is visible and holds one, else 0.
int findLevelPoint(std::int32_t level, double position[3]);

// ---- drill points and the part's tools ----
enum : int { kDrillPointsStored = 0, kNoDrillPointStored = 1, kDrillPointsCancelled = 2 };
// Stores a drill point at every hole of the selected views that is on (only at `only` and its chain when
// given); a hole whose chain gets none is told (Cancel ends the call). One of the three results above.
int storeDrillPoints(VIEW_LIST* views, POINT_LIST* only = nullptr);
// Deletes the drill points on the forms level that no operation uses. Returns 0.
int deleteTempPoints();
// Removes the part's tools that no operation uses. Returns 0.
int deleteUnusedTools();
// The highest tool number of the part, 0 for none.
int maxToolNumber();

// ---- the points-list path ----
// Creates the host operations of the active operations of the selected holes of the selected views (of
// `oneHole` and its chain alone when given). A `group` id puts every operation in that host group, all views
// in one run; 0 makes a run per toolpath group and a host group per change of tool type. Tools are chosen
// from the libraries, made when `makeMissing` (and added to the configured library when `addToLibrary`),
// numbered from `firstToolNumber` when the machine group numbers them; the reports are written when asked.
// The tools made, operations made and made tools the library took are counted into the out arguments (when
// given); a tool whose values break the rule of tools is not made. 0 done, 1 cancelled or failed (what was
// made is left for the caller to remove).
int createDrillOperations(VIEW_LIST* views, POINT_LIST* oneHole, std::int16_t firstToolNumber, std::int16_t* toolsMade,
                          std::int16_t group, std::int16_t makeMissing, std::int16_t addToLibrary,
                          std::int16_t* operationsMade, std::uint8_t drillingList, std::uint8_t machiningTime,
                          std::int16_t* toolsTaken = nullptr);
// The process tree's "create operations by groups": every toolpath group of the tree gets its own host
// groups, of the holes that the tree's filter `*treeFilter` shows (it may clear 0x100 after asking).
void runProcessTree(std::uint32_t* treeFilter);
// The same without the questions and the filter: clears the earlier generation, stores the drill points,
// labels the views and makes the operations, then tells the user what was made.
void createOperationsPerGroup(VIEW_LIST* views);

// The tool-path groups dialog (end code; 171 asks for a hole pick, then runs again with pickedHole set).
int runToolPathGroups(POINT_LIST* pickedHole);

// ---- the tool dialogs ------------------------------------------------------------------------------------------

// The tools view over the flattened tool sequence; its end code. On 903, 904 and 915 (for an operation)
// *markedHoles receives the holes to highlight; a copy an earlier end handed out is cleared from it first.
int runToolsView(std::vector<FULL_TOOLS_SEQ>& sequence, POINT_LIST** markedHoles);
// Draws the half section of the hole as lines and arcs on a level the user chooses, for a user tool.
void runUserToolsManager(POINT_LIST* hole);
