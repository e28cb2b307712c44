// The process trial of the configuration run: one hole of the current row's form at the origin of the top
// view gets the process being configured, its operations sequenced and handed to the operation creation in
// a group of their own, so that the user sees what the process makes.
#include "plugin/engine/process_trial.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/engine/apply_process.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/hole_description.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/engine/operation_records.h"
#include "plugin/engine/operation_values.h"
#include "plugin/engine/tool_sequencing.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"
#include "plugin/services/tables.h"
#include "plugin/services/tooling.h"
#include "plugin/model/ope_list.h"

namespace {

namespace TT = tool_type;
using namespace process_ope;

constexpr int kTrialGroupName = 19;
constexpr std::size_t kMaxTrialSteps = 25;
constexpr double kDeg = std::numbers::pi / 180;

bool isChamferType(std::uint32_t type) {
    return type == TT::chamferMill || type == TT::chamferDrill || type == TT::edgeRadiusMill;
}

bool isFinishBoreType(std::uint32_t type) { return type == TT::reamer || type == TT::boringBar; }

// Whether an operation whose type `wanted` takes has its top Z on step `step`.
bool tiedOperation(const PROCESS_OPE* ops, int count, int step, bool (*wanted)(std::uint32_t)) {
    for (int k = 0; k < count; ++k)
        if (wanted(opeGet(ops[k], operationType)) && opeGet(ops[k], zSupCyl) == step) return true;
    return false;
}

// Where the tip cone of the step above (bottom edge at radius `r`, depth `z`, full angle `tip`) meets this
// step's wall; the wall's top Z when they do not meet.
double topUnderTipCone(double r, double z, double tip, const CIL_DESC& c) {
    const double slope = std::numbers::pi / 2 - tip / 2;   // below the horizontal, inwards
    const l_2d cone{{r, z}, {r - 10 * std::cos(slope), z - 10 * std::sin(slope)}};
    const l_2d wall{{c.D / 2 + std::tan(c.coneAngle) * (c.zTop - c.zBottom), c.zTop}, {c.D / 2, c.zBottom}};
    p_2d meet{};
    return l_ints(&cone, &wall, &meet) ? meet.y : c.zTop;
}

}  // namespace

void describeTrialForm(CTabColsDesc& table, const std::vector<std::string>& rowCells, const PROCESS_OPE* ops,
                       int count) {
    const double tol = g_tolerances.tolT;
    const double tipAngle = (g_globals->settings.defaultTipAngle > 0 ? g_globals->settings.defaultTipAngle : 118) * kDeg;
    const int steps = std::min<int>({table.stepCount, static_cast<int>(table.cilEntries.size()),
                                     static_cast<int>(table.formSteps.size())});
    CIL_DESC previous;
    for (int i = 0; i < steps; ++i) {
        const TAB_FORM_STEP& step = table.formSteps[static_cast<std::size_t>(i)];
        CIL_DESC c;
        c.D = step.startDiameter;
        c.zTop = step.topDepth;
        c.zBottom = step.bottomDepth;
        c.coneAngle = step.angleColumn ? cellNumber(rowCells, step.angleColumn) / 2 * kDeg : 0;
        c.chamferDiameter = c.D;
        c.chamferZ = c.zBottom;

        double size = table.autoChamferSize < tol ? 10 * g_tolerances.tol4T : table.autoChamferSize;
        const double dTop = c.D + 2 * (c.zTop - c.zBottom) * std::tan(c.coneAngle);
        const bool chamfered = tiedOperation(ops, count, i, isChamferType);
        if (chamfered && i > 0)   // once per chamfering operation of the step: the same bound
            size = std::min(size, (table.formSteps[static_cast<std::size_t>(i - 1)].startDiameter - dTop) / 4);
        if (chamfered) {
            size = std::min({size, (c.zTop - c.zBottom) / 2, c.D / 4});
            c.chamferDiameter = dTop + 2 * (size - size * std::tan(c.coneAngle));
            c.chamferZ = c.zTop - size;
            c.chamferAngle = std::numbers::pi / 4;
            c.topChamfer = 1;
        }
        c.opeGeo = step.threaded ? 1 : 0;
        if (tiedOperation(ops, count, i, isFinishBoreType)) c.opeGeo = 2;
        c.threadDiameter = step.threadDiameter;
        c.threadPitch = step.threadPitch;
        if (i == steps - 1) {
            c.Flat = step.flat ? 1 : 0;
            c.Through = step.flat ? 0 : 1;
        } else if (step.flat) {
            c.Flat = 1;
        } else {
            c.TipTool = 1;
            c.tipAngle = tipAngle;
        }
        if (i > 0 && previous.TipTool) c.zTop = topUnderTipCone(previous.D / 2, previous.zBottom, previous.tipAngle, c);
        c.L = c.L2 = c.zTop - c.zBottom;
        table.cilEntries[static_cast<std::size_t>(i)].cil = c;
        previous = c;
    }
}

int tryConfiguredProcess(PROCESS_OPE* ops, int count, std::int32_t& trialGroupId) {
    PLUGIN_GLOBALS& g = *g_globals;
    // A fit table the trial's reamed step looks up is missing once, not once per operation.
    NamedTableNotices namedTables;
    CTabColsDesc& table = g_engine->currentTable;
    table.buildCilColumns(g_engine->currentRowCells);
    if (table.buildFormSteps(g_engine->currentRowCells) != 0) return 0;
    describeTrialForm(table, g_engine->currentRowCells, ops, count);

    TpGrpList& groups = TpMainGrpMgr().GetMainGrpList();
    std::int32_t parent = 0;
    if (op_group* active = groups.RetrieveActiveGroup(); active && groups.RetrieveRootMachineGroup(active->id))
        parent = active->id;
    clearOperationsSelected();
    const std::string groupName = uiText("GroupOpNames", kTrialGroupName);
    trialGroupId = findOrCreateOpGroup(groupName, parent);
    if (table.cilEntries.empty()) return 0;

    // The trial hole, owned here for the length of the trial.
    VIEW_LIST* view = allocViewList();
    POINT_LIST* hole = view ? allocPointList() : nullptr;
    if (!hole) {
        freeViewList(view);
        return 0;
    }
    view->viewNumber = 1;
    get_view_matrix(1, view->matrix);
    view->selected = 1;
    view->firstPoint = hole;
    view->pointCount = 1;
    hole->view = view;
    hole->selected = 1;
    hole->selected2 = 1;
    std::snprintf(hole->tableName, sizeof hole->tableName, "%s", table.name.c_str());
    if (table.processColumn > 0)
        std::snprintf(hole->processName, sizeof hole->processName, "%s",
                      rowCell(g_engine->currentRowCells, table.processColumn).c_str());
    std::vector<CIL_DESC> descs;
    for (std::size_t i = 0; i < table.cilEntries.size() && i < kMaxTrialSteps; ++i) descs.push_back(table.cilEntries[i].cil);
    setHoleDescription(*hole, descs.data(), static_cast<int>(descs.size()));

    adjustProcessForHole(table, ops, count, *hole, kApplyAll);
    const auto dropGroup = [&trialGroupId] {
        if (trialGroupId > 1) {
            deleteGroupOperations(static_cast<std::uint32_t>(trialGroupId));
            OMdeleteGroup(trialGroupId, 1);
        }
    };
    if (setProcessValues(table, g_engine->currentRowCells, count, ops, *hole, 1) != 0) {
        dropGroup();
        freeViewsTree(view);
        return 0;
    }
    if (createProcessFromDef(static_cast<std::int16_t>(count), ops, *hole, descs.front().zTop) != 0) {
        freeViewsTree(view);
        return 0;
    }

    deletePreviewEntities();
    ent marker{};
    marker.type = kEntPoint;
    db_ptr entry = 0;
    char ok = 0;
    store_ent(&marker, &entry, 0, 12, g.settings.featuresLevel, main_attrib, &ok);
    if (ok) g.previewEntities[static_cast<std::size_t>(g.previewEntityCount++)] = entry;

    const std::int32_t before = OMgetActiveGroup();
    std::vector<FULL_TOOLS_SEQ> sequence;
    sequenceTools(sequence, view, 1);
    // The trial hole shows whatever its states: every filter bit is set.
    std::uint32_t flags = 0xFFFFFFFFu;
    const int created = createTreeProcessOperations(&flags, sequence, 0, groupName, 1);
    if (before) groups.SetDefaultOperationGroup(before);
    if (created != 0)
        dropGroup();
    else
        g_lastOpGroup = static_cast<std::uint32_t>(trialGroupId);
    freeViewsTree(view);
    return 0;
}
