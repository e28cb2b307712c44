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
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_install.h"
#include "plugin/base/machine_info.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/tool_types.h"
#include "plugin/base/utilities.h"
#include "plugin/model/process_tree_fields.h"
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

namespace {

namespace T = generation_terms;

constexpr int kMsgCaption = 1, kMsgNotAccessible = 150;   // "ErrorMessages"
constexpr int kGroupLabel = 35;                            // "TreeProcessDlg"

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

template <class Visit>
void forEachHole(VIEW_LIST* views, Visit visit) {
    for (VIEW_LIST* v = views; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) visit(*p);
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
    named_view_manager(&v, 7, "", &ok);
    v.number = static_cast<std::int16_t>(tool);
    named_view_manager(&v, 8, "", &ok);
}

}  // namespace

double operationDepth(const OPE_LIST& o, const tp_tool& tool, std::uint8_t tipCompensation) {
    const double D = rounded(T::bottomZ(o) - T::referenceZ(o));
    switch (o.toolType) {
    case 0: case 1: case 2: case 8: case 9: case 10: case 11: case 12: case 15: case 19: return D;
    case 3: {
        double depth = D;
        if (tipCompensation == 1 && tool.angle > 0 && tool.angle < 180)
            depth -= (o.toolDiam / 2) / std::tan(tool.angle / 2 * 3.141592653589793 / 180);
        return depth;
    }
    case 4:
    case 5: {
        if (std::fabs(T::threadLength(o)) <= g_tolerances.tolT)
            return T::tipCompensated(o) ? D - T::tipLength(o) : D + T::depthAllowance(o);
        const double L = T::topZ(o) - std::fabs(T::threadLength(o)) - T::referenceZ(o);
        const double reach = D - (T::tipCompensated(o) ? T::tipLength(o) : 0);
        if (reach < L || g_globals->settings.throughTapAddOn != 0) return L;
        return D;
    }
    case 6:
    case 7: return T::tipCompensated(o) ? D - T::tipLength(o) : D + T::depthAllowance(o);
    case 17: return rounded(T::bottomZ(o) - T::topZ(o));
    default: return 0;
    }
}

int createSequenceOperations(std::vector<PTS_TL_SEQ>& points, const tp_tool& tool, std::int16_t pathMode,
                             std::uint8_t multiView, std::vector<std::int32_t>& created) {
    if (points.empty()) return 0;
    if (pathMode == 1) orderSequencePoints(points);
    const double T = g_tolerances.tolT;
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
                !multiView && (std::fabs((O->zInf - O->zSup) - (R->zInf - R->zSup)) > T ||
                               std::fabs((O->zSup - T::referenceZ(*O)) - (R->zSup - T::referenceZ(*R))) > T);
            const bool milled = milledKindOf(*O) != 0 || milledKindOf(*R) != 0;
            const bool starts = otherView || otherHeights || (milled && std::fabs(O->milledDiam - R->milledDiam) > base) ||
                                O->cycle != R->cycle || T::tipCompensated(*O) != T::tipCompensated(*R) ||
                                std::fabs(T::threadLength(*O) - T::threadLength(*R)) > T ||
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

    // 2. What the tree had switched on, given back at the end.
    const std::uint32_t keptFlags = *treeFlags;
    for (VIEW_LIST* v = tree; v; v = v->next) v->selectedSaved = v->selected;
    forEachHole(tree, [](POINT_LIST& p) {
        p.selectedSaved = p.selected;
        p.selected2Saved = p.selected2;
    });

    // 3. Holes that cannot be reached from their side: the user says whether they are made too.
    if (g_records->runStats.stateCount5 != 0 && (*treeFlags & kStateNotAccessible) != 0) {
        int count = 0;
        forEachHole(tree, [&](const POINT_LIST& p) { count += !p.excluded && p.notAccessible && p.selected ? 1 : 0; });
        if (count != 0) {
            const int answer = plat::messageBox(nullptr,
                                                fillText(errorMessage(kMsgNotAccessible), {long{g_records->runStats.stateCount5}}),
                                                errorMessage(kMsgCaption), plat::MB_YESNOCANCEL | plat::MB_ICONQUESTION);
            if (answer == plat::IDCANCEL) return 1;
            if (answer == plat::IDNO) *treeFlags &= ~static_cast<std::uint32_t>(kStateNotAccessible);
        }
    }

    // 4. Holes the tree's filter hides are left out, each with its chain of equal holes.
    forEachHole(tree, [&](POINT_LIST& p) {
        if (p.excluded || p.chainMember || holeMeetsFilter(p, *treeFlags)) return;
        forEachEqualHole(&p, [](POINT_LIST& m) {
            m.selected = 0;
            m.selected2 = 0;
        });
    });

    // 5. The planes, the operations manager's refresh.
    const SAVED_PLANES planes{constr_view_n, tool_view_n};
    if (!NamedViews.empty()) setPlanes(NamedViews.front().number, NamedViews.front().number);
    const int refreshWas = OMenableRefresh(0);

    // 6. The previous generation goes.
    if (keepGroups == 0) {
        cleanGeneratedGroups(0);
        if (s.keepPartTools == 0) deleteUnusedTools();
        setFormsLevelVisible(true);
        deleteTempPoints();
    }

    // 7.
    const std::int32_t rootId = g_machineInfo.rootMachineGroup ? g_machineInfo.rootMachineGroup->id : 0;
    const std::int32_t activeId = active->id;

    // 8. The reports.
    const std::int16_t width = g.metric() ? 6 : 4;
    const bool dontAsk = s.intelligentProcess != 0;
    if (s.machiningTimeListOn == 1) g_machiningTime->begin(s.machiningTimeFile, width, dontAsk);
    if (s.drillingListOn == 1) g_drillingList->begin(s.drillingListFile, width, dontAsk);

    // 9.
    const std::int32_t namedGroup = groupName.empty() ? 0 : findOrCreateOpGroup(groupName, activeId);

    // 10.
    std::vector<std::int32_t> created;
    int groupCounter = 0;
    std::int32_t currentGroup = namedGroup;
    for (FULL_TOOLS_SEQ& entry : sequence) {
        if (entry.opes.empty() || !entry.tools) continue;
        for (tp_tool& tool : *entry.tools) tool.machineGroupId = rootId;
        for (VIEW_LIST* v = entry.view; v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; p; p = p->next) p->drillPointEntity = 0;

        std::vector<BY_TL_TYPE_SEQ> byType;
        std::vector<OPE_LIST*> gathered;
        const auto flush = [&] {
            for (std::size_t i = 0; i < gathered.size(); ++i)
                byType.push_back({gathered[i], static_cast<std::uint8_t>(i == 0 && groupName.empty() ? 1 : 0)});
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
        if (byType.empty()) continue;

        const bool multiView = entry.viewCount > 1 && toolPathGroupsOverViews();
        std::int32_t currentTool = byType.front().operation->toolIndex;
        std::vector<PTS_TL_SEQ> points;
        const auto makeTool = [&] {
            if (currentTool >= 0 && static_cast<std::size_t>(currentTool) < entry.tools->size()) {
                tp_tool tool = (*entry.tools)[static_cast<std::size_t>(currentTool)];
                if (findPartToolLike(&tool, true, true, nullptr) == 0) addToolToPart(&tool);
                createSequenceOperations(points, tool, pathMode, multiView ? 1 : 0, created);
            }
            points.clear();
        };
        for (std::size_t at = 0; at < byType.size(); ++at) {
            const BY_TL_TYPE_SEQ& item = byType[at];
            OPE_LIST& op = *item.operation;
            if (item.startsGroup && isOperationKindEnabled(static_cast<std::int32_t>(op.toolType))) {
                ++groupCounter;
                const VIEW_LIST* view = op.view;
                char name[512];
                std::snprintf(name, sizeof name, "%i%02i (%s %i) %s %s", rootId, groupCounter,
                              texts.getText(kGroupLabel).c_str(), view ? view->groupNumber : 0,
                              groupViewsText(byType, at).c_str(), typeGroupName(op.toolType).c_str());
                currentGroup = findOrCreateOpGroup(name, activeId);
                appendGeneratedGroup(name);
            }
            if (item.startsGroup && s.drillingListOn == 1) g_drillingList->writeHeader(entry.view);
            if (op.toolIndex != currentTool) {
                makeTool();
                currentTool = op.toolIndex;
            }
            op.groupId = currentGroup;
            forEachEqualHole(op.point, [&](POINT_LIST& hole) {
                if (hole.selected2) points.push_back({&hole, &op, 0});
            });
        }
        makeTool();
    }

    // 11 - 15.
    g_machiningTime->finish();
    g_drillingList->close();
    groups.SetDefaultOperationGroup(activeId);
    OMenableRefresh(refreshWas);
    OMrefreshOpManTree();
    for (VIEW_LIST* v = tree; v; v = v->next) v->selected = v->selectedSaved;
    forEachHole(tree, [](POINT_LIST& p) {
        p.selected = p.selectedSaved;
        p.selected2 = p.selected2Saved;
    });
    *treeFlags = keptFlags;
    setPlanes(planes.construction, planes.tool);

    // 16. The toolpaths, once, in the order made.
    for (std::int32_t id : created) {
        nci_bin nci{};
        char done = 0;
        nci_manager(id, 8, &nci, &done);
    }
    return 0;
}
