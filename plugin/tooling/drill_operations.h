// The points-list path's creation of host operations (createDrillOperations): the call's working state,
// shared by the preparation of the tree and the making of each run's operations.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/api.h"
#include "plugin/model/tree.h"
#include "plugin/tooling/hole_path.h"

struct VIEW_LIST;
struct POINT_LIST;
struct OPE_LIST;

// One tool of a run: what an operation must match to share it.
struct GROUP_TOOL {
    std::int32_t number = 0;
    std::int32_t toolType = 0;
    double diameter = 0, pitch = 0, shapeValue = 0;
    double angleCriterion = 0, radiusCriterion = 0;
    std::uint8_t longTool = 0;
    double neededLength = 0, maxLength = 0, wantedLength = 0;
    std::int16_t material = 0;
    std::string toolName;
};

// What the call works out for an operation before the runs: the lengths a tool must have and the angle and
// radius it is chosen by.
struct TOOL_CRITERIA {
    double minLength = 0, maxLength = 0, angle = 0, radius = 0;
};

namespace drill_ops {
constexpr std::size_t kMaxRunTools = 300;
// "ErrorMessages"
constexpr int kCaption = 1, kNoToolFits = 51, kNoMaterial = 55, kChooseMaterial = 56, kNoToolOfType = 73,
              kToolWanted = 74, kAngleDiffers = 75, kAngleOfHole = 76, kTooManyTools = 79, kLongTool = 81,
              kAddATool = 82, kMilledUnread = 122, kContourUnread = 123, kHelixUnread = 127, kThreadUnread = 128,
              kNamedToolMissing = 131, kNotAddedToLibrary = 142, kEscPressed = 151,
              kRatesNotComputed = 154;
}  // namespace drill_ops

class DRILL_CALL {
public:
    DRILL_CALL(VIEW_LIST* views, POINT_LIST* oneHole, std::int16_t firstToolNumber, std::int16_t* toolsMade,
               std::int16_t group, std::int16_t makeMissing, std::int16_t addToLibrary, std::uint8_t drillingList,
               std::uint8_t machiningTime, std::int16_t* toolsTaken)
        : views(views), oneHole(oneHole), nextToolNumber(firstToolNumber), toolsMade(toolsMade), group(group),
          makeMissing(makeMissing), addToLibrary(addToLibrary), drillingList(drillingList),
          machiningTime(machiningTime), toolsTaken(toolsTaken) {}

    // The arguments.
    VIEW_LIST* views;
    POINT_LIST* oneHole;
    std::int16_t nextToolNumber;
    std::int16_t* toolsMade;
    std::int16_t group;
    std::int16_t makeMissing, addToLibrary;
    std::uint8_t drillingList, machiningTime;
    std::int16_t* toolsTaken;   // of the tools made, those the library took

    // 0 done, 1 cancelled or failed.
    int run();

    int operationsMade = 0;

private:
    bool takesPart(const POINT_LIST& hole) const;
    template <class Visit>
    void forEachActive(Visit visit);
    bool chooseMaterial();
    void setHeights();
    void readMilledDefinitions();
    bool setLengths();
    // The drill-size table is read from its file at each lookup: each diameter is looked up once a call.
    double drillSizeOf(double diameter);
    bool escConfirmed();
    bool collectTools(VIEW_LIST* first, VIEW_LIST* last, std::vector<OPE_LIST*>& operations);
    void nameGroups(const std::vector<OPE_LIST*>& order);
    void logOrder(const std::vector<OPE_LIST*>& order, const char* title) const;
    // The run's operations in order, each made or joined to the next (drill_operation_run.cpp).
    int makeRun(const std::vector<OPE_LIST*>& order);
    enum class TWIN_RULE { None, PassBy, Make };
    TWIN_RULE twinRule(const OPE_LIST& op) const;
    int chooseTool(OPE_LIST& op, const std::vector<OPE_LIST*>& order, tp_tool& tool, bool& passBy);
    void makeTool(OPE_LIST& op, tp_tool& tool, double wanted);
    int settleToolNumber(OPE_LIST& op, tp_tool& tool);
    void makeHostOperation(OPE_LIST& op, const tp_tool& tool, std::vector<PTS_TL_SEQ>& points);

    std::string library_;
    std::int32_t rootId_ = 0, activeId_ = 0;
    op_group* machine_ = nullptr;
    material material_{};
    int libraryNumber_ = 1, librarySlot_ = 1;
    int groupCounter_ = 0;
    bool angleWarningOff_ = false;
    bool notAddedTold_ = false;   // the library refused a made tool: the user was asked once
    std::unordered_set<std::string> ratesTold_;   // tools whose speed and feeds were not computed, told once
    std::set<std::string> unmadeTold_;             // process lines whose tool cannot be made, told once
    bool multiView_ = false;
    std::vector<GROUP_TOOL> tools_;
    std::unordered_map<const OPE_LIST*, TOOL_CRITERIA> criteria_;
    std::unordered_set<const POINT_LIST*> twinDone_;
    std::unordered_map<std::int32_t, POINT_LIST*> holesById_;
    std::unordered_set<const OPE_LIST*> collected_;
    std::map<double, double> drillSizes_;
};

// The label that names a view's groups ("(Group 2) TOP"), as the process tree's run by groups gives it; a
// view it did not label gets its group number and description.
void setViewGroupLabel(const VIEW_LIST* view, std::string label);
std::string viewGroupLabel(const VIEW_LIST* view);
void clearViewGroupLabels();

// Whether operations over several views may be made: with the option on and two views or more, a machine
// with fewer than two rotary components asks the user first (Cancel: false).
bool machineTakesViews(const VIEW_LIST* views, bool overViews);

// The coaxial hole on the other side that a hole was split from (the neck split): the hole record keeps its
// id and the Z where the two halves meet, and nothing of whether both halves are drilled through to there.
namespace generation_terms {
inline std::int32_t twinId(const POINT_LIST& p) { return p.neckSplitted ? p.splitPartnerId : 0; }
inline bool twinLinked(const POINT_LIST& p) { return p.neckSplitted != 0; }
inline bool twinBothSides(const POINT_LIST&) { return true; }
inline double twinMeetZ(const POINT_LIST& p) { return p.splitFarZ; }
}  // namespace generation_terms
