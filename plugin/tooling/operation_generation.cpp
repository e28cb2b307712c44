// Operation generation from the process tree: the tool sequence of every toolpath group becomes host
// operation groups (one per run of a tool type, or one named group), the part's tools, and the operations of
// each tool over its holes in path order, with the reports; every operation made is regenerated at the end.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/ui/dialog.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_install.h"
#include "plugin/base/machine_info.h"
#include "plugin/base/tool_types.h"
#include "plugin/base/utilities.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/equal_holes.h"
#include "plugin/tooling/generated_groups.h"
#include "plugin/tooling/generation_terms.h"
#include "plugin/tooling/hole_path.h"
#include "plugin/tooling/host_operation.h"
#include "plugin/tooling/reports.h"
#include "plugin/tooling/tool_dialogs.h"
#include "plugin/tooling/tool_library.h"
#include "plugin/tooling/tree_filter.h"

namespace {

namespace T = generation_terms;

constexpr int kGroupLabel = 35;                            // "TreeProcessDlg"

// The host's modes: named_view_manager's construction and tool view, nci_manager's regeneration.
constexpr int kSetConstructionView = 7, kSetToolView = 8, kRegenerate = 8;

// Tool types (TOOL_OP_TYPE) whose depth follows a rule of its own; the last type of the table.
constexpr std::uint32_t kDrill = 3, kTapRight = 4, kTapLeft = 5, kReamer = 6, kBoringBar = 7, kPocketing = 13,
                        kContouring = 14, kSurfacing = 16, kTaperMill = 17, kFacing = 18, kLastToolType = 19;

// One operation in the order of creation; a new host group begins with it when `startsGroup`.
struct BY_TL_TYPE_SEQ {
    OPE_LIST* operation = nullptr;
    std::uint8_t startsGroup = 0;
};

// The names of the views whose operations the group begun at `first` holds (up to the next group's start),
// in the order they come: a group of a toolpath group over several views holds the operations of each.
std::string groupViewsText(const std::vector<BY_TL_TYPE_SEQ>& items, std::size_t first) {
    std::vector<const VIEW_LIST*> views;
    for (std::size_t i = first; i < items.size() && (i == first || !items[i].startsGroup); ++i)
        if (std::find(views.begin(), views.end(), items[i].operation->view) == views.end())
            views.push_back(items[i].operation->view);
    std::string text;
    for (const VIEW_LIST* v : views) text += (text.empty() ? "" : ", ") + viewDescription(v);
    return text;
}

double rounded(double x) { return roundToStep(x, g_tolerances.tol004T); }

// The planes the host had when the generation began, given back at its end.
struct SAVED_PLANES {
    int construction = 0, tool = 0;
};

void setPlanes(int construction, int tool) {
    char ok = 0;
    view_ent v{};
    v.number = static_cast<std::int16_t>(construction);
    named_view_manager(&v, kSetConstructionView, "", &ok);
    v.number = static_cast<std::int16_t>(tool);
    named_view_manager(&v, kSetToolView, "", &ok);
}

// The previous generation's groups and operations, its tools the part no longer uses (unless the settings
// keep them) and its drill points go.
void removePreviousGeneration(const PRM_SETTINGS& s) {
    cleanGeneratedGroups(0);
    if (s.keepPartTools == 0) deleteUnusedTools();
    setFormsLevelVisible(g_globals->settings.formsLevel, g_globals->settings.formsLevelShowMode, true);
    deleteTempPoints();
}

}  // namespace

double operationDepth(const OPE_LIST& o, const tp_tool& tool, std::uint8_t tipCompensation) {
    const double D = rounded(T::bottomZ(o) - T::referenceZ(o));
    if (o.toolType > kLastToolType) return 0;
    switch (o.toolType) {
    case kPocketing: case kContouring: case kSurfacing: case kFacing: return 0;
    case kDrill: {
        double depth = D;
        if (tipCompensation == 1 && tool.angle > 0 && tool.angle < 180)
            depth -= (o.toolDiam / 2) / std::tan(tool.angle / 2 * 3.141592653589793 / 180);
        return depth;
    }
    case kTapRight:
    case kTapLeft: {
        if (std::fabs(T::threadLength(o)) <= g_tolerances.tolT)
            return T::tipCompensated(o) ? D - T::tipLength(o) : D + T::depthAllowance(o);
        const double L = T::topZ(o) - std::fabs(T::threadLength(o)) - T::referenceZ(o);
        const double reach = D - (T::tipCompensated(o) ? T::tipLength(o) : 0);
        if (reach < L || g_globals->settings.throughTapAddOn != 0) return L;
        return D;
    }
    case kReamer:
    case kBoringBar: return T::tipCompensated(o) ? D - T::tipLength(o) : D + T::depthAllowance(o);
    case kTaperMill: return rounded(T::bottomZ(o) - T::topZ(o));
    default: return D;   // the spot and centre drills, counterbores, countersinks and the other mills
    }
}

int createSequenceOperations(std::vector<PTS_TL_SEQ>& points, const tp_tool& tool, std::int16_t pathMode,
                             std::uint8_t multiView, std::vector<std::int32_t>& created) {
    if (points.empty()) return 0;
    if (pathMode == 1) orderSequencePoints(points);
    const double tol = g_tolerances.tolT;
    const double base = g_globals->settings.baseTolerance;
    OPE_LIST* R = points.front().operation;
    double depth = operationDepth(*R, tool, multiView);
    std::vector<PTS_TL_SEQ> run;
    const auto make = [&] {
        if (pathMode == 0) orderSequencePoints(run);
        createSequenceHostOps(*R, run, tool, multiView, &created);
        run.clear();
    };
    for (const PTS_TL_SEQ& p : points) {
        OPE_LIST* O = p.operation;
        if (O != R) {
            const bool otherView = !multiView && (O->view && R->view && O->view->viewNumber != R->view->viewNumber);
            const bool otherHeights =
                !multiView && (std::fabs((O->zInf - O->zSup) - (R->zInf - R->zSup)) > tol ||
                               std::fabs((O->zSup - T::referenceZ(*O)) - (R->zSup - T::referenceZ(*R))) > tol);
            const bool milled = milledKindOf(*O) != 0 || milledKindOf(*R) != 0;
            const bool starts = otherView || otherHeights || (milled && std::fabs(O->milledDiam - R->milledDiam) > base) ||
                                O->cycle != R->cycle || T::tipCompensated(*O) != T::tipCompensated(*R) ||
                                std::fabs(T::threadLength(*O) - T::threadLength(*R)) > tol ||
                                T::originLevel(*O) != T::originLevel(*R);
            if (starts) {
                make();
                R = O;
                depth = operationDepth(*O, tool, multiView);
            }
        }
        run.push_back({p.hole, p.operation, depth});
    }
    make();
    return 0;
}

namespace {

// The operations of one sequence entry in creation order, a new host group marked at each change of tool
// type (none with a named group): a run goes on while the tool stays or the type does.
std::vector<BY_TL_TYPE_SEQ> operationsByToolType(const FULL_TOOLS_SEQ& entry, bool namedGroup) {
    std::vector<BY_TL_TYPE_SEQ> byType;
    std::vector<OPE_LIST*> gathered;
    const auto flush = [&] {
        for (std::size_t i = 0; i < gathered.size(); ++i)
            byType.push_back({gathered[i], static_cast<std::uint8_t>(i == 0 && !namedGroup ? 1 : 0)});
        gathered.clear();
    };
    const OPE_LIST* head = entry.opes.front();
    std::int32_t gatherTool = head ? head->toolIndex : -1;
    std::uint32_t gatherType = head ? head->toolType : 0;
    for (OPE_LIST* op : entry.opes) {
        if (!op || !op->active || !op->point || !op->point->selected2) continue;
        if (op->toolIndex != gatherTool && op->toolType != gatherType) {
            flush();
            gatherType = op->toolType;
        }
        gatherTool = op->toolIndex;
        gathered.push_back(op);
    }
    flush();
    return byType;
}

// What one generation works with: the groups it files operations under and the operations it made.
struct GENERATION {
    std::int32_t rootId = 0, activeId = 0;
    std::int32_t currentGroup = 0;   // the named group, or the group of the current run of a tool type
    int groupCounter = 0;
    const std::string& groupName;
    const CTextSection& texts;
    std::vector<std::int32_t> created;
};

// The host groups, the part's tools and the operations of one toolpath group's tool sequence.
void makeEntryOperations(FULL_TOOLS_SEQ& entry, GENERATION& gen, std::int16_t pathMode) {
    const PRM_SETTINGS& s = g_globals->settings;
    for (tp_tool& tool : *entry.tools) tool.machineGroupId = gen.rootId;
    for (VIEW_LIST* v = entry.view; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) p->drillPointEntity = 0;

    const std::vector<BY_TL_TYPE_SEQ> byType = operationsByToolType(entry, !gen.groupName.empty());
    if (byType.empty()) return;

    const bool multiView = entry.viewCount > 1 && toolPathGroupsOverViews();
    std::int32_t currentTool = byType.front().operation->toolIndex;
    std::vector<PTS_TL_SEQ> points;
    const auto makeTool = [&] {
        if (currentTool >= 0 && static_cast<std::size_t>(currentTool) < entry.tools->size()) {
            tp_tool tool = (*entry.tools)[static_cast<std::size_t>(currentTool)];
            if (findPartToolLike(&tool, true, true, nullptr) == 0) addToolToPart(&tool);
            createSequenceOperations(points, tool, pathMode, multiView ? 1 : 0, gen.created);
        }
        points.clear();
    };
    for (std::size_t at = 0; at < byType.size(); ++at) {
        const BY_TL_TYPE_SEQ& item = byType[at];
        OPE_LIST& op = *item.operation;
        if (item.startsGroup && isOperationKindEnabled(static_cast<std::int32_t>(op.toolType))) {
            ++gen.groupCounter;
            const VIEW_LIST* view = op.view;
            char name[512];
            std::snprintf(name, sizeof name, "%i%02i (%s %i) %s %s", gen.rootId, gen.groupCounter,
                          gen.texts.getText(kGroupLabel).c_str(), view ? view->groupNumber : 0,
                          groupViewsText(byType, at).c_str(), typeGroupName(op.toolType).c_str());
            gen.currentGroup = findOrCreateOpGroup(name, gen.activeId);
            appendGeneratedGroup(name);
        }
        if (item.startsGroup && s.drillingListOn == 1) g_drillingList->writeHeader(entry.view);
        if (op.toolIndex != currentTool) {
            makeTool();
            currentTool = op.toolIndex;
        }
        op.groupId = gen.currentGroup;
        forEachEqualHole(op.point, [&](POINT_LIST& hole) {
            if (hole.selected2) points.push_back({&hole, &op, 0});
        });
    }
    makeTool();
}

}  // namespace

int createTreeProcessOperations(std::uint32_t* treeFlags, std::vector<FULL_TOOLS_SEQ>& sequence, std::int16_t pathMode,
                                const std::string& groupName, std::uint8_t keepGroups) {
    TpGrpList& groups = TpMainGrpMgr().GetMainGrpList();
    const op_group* active = groups.RetrieveActiveGroup();
    if (!active) return 0;
    g_machineInfo.rootMachineGroup = groups.RetrieveRootMachineGroup(active->id);
    PLUGIN_GLOBALS& g = *g_globals;
    const PRM_SETTINGS& s = g.settings;
    VIEW_LIST* tree = g_records->viewsTree;
    CTextSection texts;
    (void)texts.load(g.uiTextFile, "TreeProcessDlg", false);

    // The selection and the filter are given back whatever the generation does to them.
    const std::uint32_t keptFlags = *treeFlags;
    keepSelection(tree);
    const UNREACHABLE_ANSWER unreachable = askAboutUnreachableHoles(tree, treeFlags);
    if (unreachable == UNREACHABLE_ANSWER::cancelled) return 1;
    leaveOutFilteredHoles(tree, *treeFlags, unreachable == UNREACHABLE_ANSWER::leftOut);
    leaveOutBlockedHoles(sequence);

    // The operations are made in the first named view's planes, the manager's tree refreshed once at the end.
    const SAVED_PLANES planes{constr_view_n, tool_view_n};
    if (!NamedViews.empty()) setPlanes(NamedViews.front().number, NamedViews.front().number);
    const int refreshWas = OMenableRefresh(0);
    const bool locked = plat::lockWindowUpdate(true);

    if (keepGroups == 0) removePreviousGeneration(s);

    GENERATION gen{g_machineInfo.rootMachineGroup ? g_machineInfo.rootMachineGroup->id : 0, active->id, 0, 0,
                   groupName, texts, {}};
    const std::int16_t width = g.metric() ? 6 : 4;
    const bool dontAsk = s.intelligentProcess != 0;
    if (s.machiningTimeListOn == 1) g_machiningTime->begin(s.machiningTimeFile, width, dontAsk);
    if (s.drillingListOn == 1) g_drillingList->begin(s.drillingListFile, width, dontAsk);
    gen.currentGroup = groupName.empty() ? 0 : findOrCreateOpGroup(groupName, gen.activeId);

    for (FULL_TOOLS_SEQ& entry : sequence)
        if (!entry.opes.empty() && entry.tools) makeEntryOperations(entry, gen, pathMode);

    g_machiningTime->finish();
    g_drillingList->close();
    groups.SetDefaultOperationGroup(gen.activeId);
    if (locked) (void)plat::lockWindowUpdate(false);
    OMenableRefresh(refreshWas);
    OMrefreshOpManTree();
    restoreSelection(tree);
    *treeFlags = keptFlags;
    setPlanes(planes.construction, planes.tool);

    // The toolpaths, once, in the order made.
    for (std::int32_t id : gen.created) {
        nci_bin nci{};
        char done = 0;
        nci_manager(id, kRegenerate, &nci, &done);
    }
    return 0;
}
