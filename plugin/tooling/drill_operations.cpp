// Drill operations of a points list: what the call works out over the whole tree before the runs (the
// machining material, the heights, the milled-hole definitions, the tool lengths and criteria), then, run by
// run (one toolpath group, or every view under a given group), the run's tools, the order of its operations
// by the tool matrix and their host groups. The operations themselves are made in drill_operation_run.cpp.
// The tree's tool indexes and numbers belong to the tool layout: a run numbers its own tools, and the
// layout's are given back when the call ends.
#include "plugin/tooling/drill_operations.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <numbers>

#include "platform/sys/paths.h"
#include "platform/ui/keys.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/machine_info.h"
#include "plugin/base/stock_block.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/tool_types.h"
#include "plugin/base/utilities.h"
#include "plugin/model/host_blocks.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/model/value_ranges.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tables.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/feeds_speeds.h"
#include "plugin/tooling/generated_groups.h"
#include "plugin/tooling/generation_terms.h"
#include "plugin/tooling/host_operation.h"
#include "plugin/tooling/reports.h"
#include "plugin/tooling/tool_dialogs.h"
#include "plugin/tooling/tool_matrix_order.h"
#include "plugin/tooling/tools_log.h"

namespace {

namespace T = generation_terms;
using namespace drill_ops;
using namespace process_ope;

constexpr double kLeastTaper = 0.05 * std::numbers::pi / 180;

std::map<const VIEW_LIST*, std::string> g_groupLabels;

int ask(int line, std::initializer_list<TEXT_VALUE> values, unsigned type) {
    return plat::messageBox(nullptr, fillText(errorMessage(line), values), errorMessage(kCaption), type);
}

// The tool index and number the layout gave each operation, put back when the call ends.
struct SAVED_TOOLS {
    std::vector<std::pair<OPE_LIST*, std::array<std::int32_t, 2>>> saved;
    explicit SAVED_TOOLS(VIEW_LIST* views) {
        for (VIEW_LIST* v = views; v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; p; p = p->next)
                for (OPE_LIST* o = p->opeList; o; o = o->next) saved.push_back({o, {o->toolIndex, o->toolNumber}});
    }
    ~SAVED_TOOLS() {
        for (auto& [o, values] : saved) {
            o->toolIndex = values[0];
            o->toolNumber = values[1];
        }
    }
};

// One process of one table, read once per call however many holes use it.
struct PROCESS_READ {
    bool read = false;
    std::vector<PROCESS_OPE> operations;
};

int unreadLine(std::int16_t kind) {
    switch (kind) {
    case kContour: return kContourUnread;
    case kHelixBore: return kHelixUnread;
    case kThreadMill: return kThreadUnread;
    default: return kMilledUnread;
    }
}

// The widest earlier drill, end mill or toroidal mill of the hole whose bottom (its point taken off down
// to this diameter) comes within 4T of this operation's bottom: what is already open where the tool cuts.
double precutDiameter(const OPE_LIST& op) {
    double widest = 0;
    for (const OPE_LIST* e = op.prev; e; e = e->prev) {
        if (e->toolType == 3 || e->toolType == 10 || e->toolType == 19) {
            const double d = e->toolDiam;
            double bottom = e->zInf;
            const double halfTip = std::tan(e->angle / 2);
            if (d > op.toolDiam && halfTip > 0) bottom -= ((d - op.toolDiam) / 2) / halfTip;
            if (bottom < op.zInf + g_tolerances.tol4T) widest = std::max(widest, d);
        }
        if (e->opIndex == 0) break;
    }
    return widest;
}

// The definition's milled values for this hole, each set from the table's definition (never added to the
// copy's own value), so that a second generation gives the same copy.
void fitDefinition(OPE_LIST& op, const PROCESS_OPE& def, std::int16_t kind) {
    if (!op.processOpe) op.processOpe = std::make_shared<PROCESS_OPE>(def);
    PROCESS_OPE& copy = *op.processOpe;
    const double D = op.toolDiam, precut = precutDiameter(op);
    const double taperHalfRad = T::taperHalfRad(op) > kLeastTaper ? T::taperHalfRad(op) : 0;
    if (kind == kCircleMill) {
        if (def.bytes[hostBlock64 + op_depth_cuts_layout::on] != 0) setCircMillDepthCuts(&copy, D, precut);
        double diameter = op.milledDiam;
        if (op.toolType == 19 && taperHalfRad > 0) diameter += 2 * std::tan(taperHalfRad) * op.cornerRadius;
        copy.set<double>(circleMillBlock + op_circle_layout::circleDiameter, diameter);
    }
    if (kind == kContour) {
        const double ref = T::referenceZ(op);
        setCircMillRoughing(&copy, D, op.milledDiam - 2 * std::tan(T::taperHalfRad(op)) * (ref - op.zInf),
                            op.milledDiam - 2 * std::tan(T::taperHalfRad(op)) * (ref - op.zSup), precut);
        copy.bytes[hostBlock64 + op_depth_cuts_layout::taperOn] = taperHalfRad > 0 ? 1 : 0;
        copy.set<double>(hostBlock64 + op_depth_cuts_layout::taperAngle, taperHalfRad);
        if (op.toolType == 12) {
            copy.set<std::int16_t>(contourBlock + op_contour_layout::mode, 2);
            copy.bytes[hostBlock64 + op_depth_cuts_layout::taperOn] = 0;
            copy.set<double>(contourBlock + op_contour_layout::chamferWidth, chamferMillWidth(op));
            copy.set<double>(contourBlock + op_contour_layout::chamferTip,
                             chamferMillEntry(op, std::fabs(op.zSup - op.chamferZ)));
        }
    }
    double offset = opeGet(def, hostValue);
    if (op.toolType == 15 && taperHalfRad > 0) offset += std::tan(taperHalfRad) * op.cornerRadius;
    opeSet(copy, hostValue, offset);
    if (opeGet(def, toolDiamAssoc) == 2) setFieldText(op.toolName, opeText(def, toolName));
}

}  // namespace

void setViewGroupLabel(const VIEW_LIST* view, std::string label) { g_groupLabels[view] = std::move(label); }

std::string viewGroupLabel(const VIEW_LIST* view) {
    if (const auto it = g_groupLabels.find(view); it != g_groupLabels.end()) return it->second;
    if (!view) return "";
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "TreeProcessDlg", false);
    return "(" + texts.getText(35) + " " + std::to_string(view->groupNumber) + ") " + viewDescription(view);
}

void clearViewGroupLabels() { g_groupLabels.clear(); }

bool DRILL_CALL::takesPart(const POINT_LIST& hole) const {
    return hole.excluded != 1 && hole.selected != 0 && hole.view && hole.view->selected != 0;
}

template <class Visit>
void DRILL_CALL::forEachActive(Visit visit) {
    for (VIEW_LIST* v = views; v; v = v->next) {
        if (!v->selected) continue;
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            if (!takesPart(*p)) continue;
            for (OPE_LIST* o = p->opeList; o; o = o->next)
                if (o->active) visit(*p, *o);
        }
    }
}

bool DRILL_CALL::chooseMaterial() {
    const std::int32_t groupId = machine_ ? machine_->id : 0;
    int found = materialByName(groupId, &material_);
    if (found == 1) {
        if (activeFeedMachine().feedMode != 1) return true;
        plat::messageBox(nullptr, errorMessage(kNoMaterial) + "\n" + errorMessage(kChooseMaterial), errorMessage(kCaption),
                         plat::MB_OK);
        return false;
    }
    // Found in the part's list or the group's library; a material of the host's Materials folder alone
    // (4) is not the group's: the user picks one from its library.
    const auto ours = [](int answer) { return answer == 2 || answer == 3; };
    if (ours(found)) return true;
    material picked{};
    if (library_manager(kLibraryPickMaterial, MatlLibrary(), &picked) != 1 || !machine_) return false;
    setFieldText(machine_->machine.materialName, picked.name);
    found = materialByName(groupId, &material_);
    return ours(found);
}

void DRILL_CALL::setHeights() {
    const std::vector<std::array<double, 3>> corners = stockCorners(stockSetupOf(machine_));
    for (VIEW_LIST* v = views; v; v = v->next) {
        double highest = -10000000000.0;
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            p->drilled = 0;
            if (oneHole && p != oneHole) continue;
            highest = std::max(highest, p->ptView[2] + p->hillT);
            p->surfaceEnt = 0;
        }
        double clearance = highest;
        double toView[3][3];
        transpose_matrix_33(v->matrix, toView);
        for (const auto& corner : corners) {
            double local[3];
            mul_mat_vector(toView, corner.data(), local);
            clearance = std::max(clearance, local[2]);
        }
        // With one hole given, the other holes keep the heights of their whole view.
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            if (p->excluded || (oneHole && p != oneHole)) continue;
            for (OPE_LIST* o = p->opeList; o; o = o->next) {
                o->holeTopZ = highest;
                o->clearanceZ = clearance;
            }
        }
    }
    twinDone_.clear();
    holesById_.clear();
    for (VIEW_LIST* v = views; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) holesById_.try_emplace(p->id, p);
}

void DRILL_CALL::readMilledDefinitions() {
    std::map<std::string, PROCESS_READ> processes;
    forEachActive([&](POINT_LIST& p, OPE_LIST& o) {
        const std::int16_t kind = milledKindOf(o);
        if (kind == 0) return;
        const std::string path = tableFilePath(fieldText(p.tableName));
        auto [it, added] = processes.try_emplace(path + '\n' + fieldText(p.processName));
        if (added) {
            CTabColsDesc table;
            std::vector<PROCESS_OPE> read(kMaxProcessOps);
            if (!fieldText(p.tableName).empty() && table.read(path) == 0) {
                const int count = table.readProcess(fieldText(p.processName), read.data());
                if (count > 0) {
                    read.resize(static_cast<std::size_t>(count));
                    it->second = {true, std::move(read)};
                }
            }
        }
        const PROCESS_READ& process = it->second;
        const PROCESS_OPE* def = process.read && o.opIndex < process.operations.size() ? &process.operations[o.opIndex] : nullptr;
        if (!def || opeGet(*def, milledKind) == kMilledNone) {
            ask(unreadLine(kind), {path, fieldText(p.rowName)}, plat::MB_OK);
            o.active = 0;
            return;
        }
        fitDefinition(o, *def, kind);
    });
}

double DRILL_CALL::drillSizeOf(double diameter) {
    const auto [it, added] = drillSizes_.try_emplace(diameter, 0.0);
    if (added) it->second = findDrillSize(diameter);
    return it->second;
}

bool DRILL_CALL::setLengths() {
    const double Tb = g_tolerances.tolT, T4 = g_tolerances.tol4T;
    bool cancelled = false;
    forEachActive([&](POINT_LIST& p, OPE_LIST& o) {
        if (cancelled) return;
        const double D = o.toolDiam;
        const double clearance = T::clearanceTop(o);
        double needed = std::fabs(clearance - o.zInf) + D;
        const double thread = std::fabs(T::threadLength(o));
        if ((o.toolType == 4 || o.toolType == 5) && thread > Tb && thread < std::fabs(o.zSup - o.zInf) - Tb)
            needed = std::fabs(clearance - o.zSup) + thread + D;
        double L = roundToStep(needed, T4);
        // A long tool is at least as long as the library's drill of that size and its diameter again (no
        // drill-size table: size 0).
        if (o.longTool) L = std::max(L, drillSizeOf(D) + D);
        const std::string named = fieldText(o.toolName);
        if (!named.empty()) {
            tp_tool tool;
            if (findLibraryToolByName(static_cast<std::int16_t>(o.toolType), named, &tool)) {
                L = tool.fluteLength;
            } else if (ask(kNamedToolMissing, {named, library_, fieldText(p.rowName), fieldText(p.processName), fieldText(o.name)},
                           plat::MB_OKCANCEL) == plat::IDCANCEL) {
                cancelled = true;
                return;
            }
        }
        TOOL_CRITERIA c;
        c.minLength = L - Tb;
        c.maxLength = makeMissing ? 12 * D + L : 1000 * D;
        o.neededLength = needed;
        o.wantedLength = L;
        if (o.toolType == 17) {
            // The cone's cutting length, and its top above the bottom.
            const double taperLength = o.profile[0] > 0 ? o.profile[0] : o.zSup - o.zInf;
            const double taperTop = o.zInf + taperLength;
            o.wantedLength = c.minLength = taperLength;
            c.maxLength = taperTop - o.zInf;
            const double step = o.processOpe ? o.processOpe->get<double>(hostBlock64 + op_depth_cuts_layout::maxRough) : 0;
            if (milledKindOf(o) == kContour && step > 0) {
                const double depth = o.zSup - o.zInf;
                const double pass = depth / std::max(1.0, std::ceil(depth / step));
                c.maxLength = taperTop - (o.zSup - pass);
                o.wantedLength = std::min(2 * pass, c.maxLength);
                c.minLength = pass;
            }
        }
        const double halfTipRad = o.angle / 2;
        switch (o.toolType) {
        case 3:
            if (g_globals->settings.adaptDrillAngle != 0 && !T::tipCompensated(o)) c.angle = toolAngleDeg(3, halfTipRad);
            break;
        case 9: case 12: case 17: c.angle = toolAngleDeg(static_cast<std::int32_t>(o.toolType), halfTipRad); break;
        case 11: c.radius = D / 2; break;
        case 15: case 19: c.radius = o.cornerRadius; break;
        default: break;
        }
        criteria_[&o] = c;
    });
    return !cancelled;
}

bool DRILL_CALL::escConfirmed() {
    if ((plat::getAsyncKeyState(plat::VK_ESCAPE) & 0x8000) == 0) return false;
    return ask(kEscPressed, {}, plat::MB_YESNO) == plat::IDYES;
}

// The run's tool list; false when the run has none.
bool DRILL_CALL::collectTools(VIEW_LIST* first, VIEW_LIST* last, std::vector<OPE_LIST*>& operations) {
    tools_.clear();
    collected_.clear();
    const double base = 0.99 * g_globals->settings.baseTolerance, T04 = g_tolerances.tol04T, T4 = g_tolerances.tol4T;
    bool full = false;
    for (VIEW_LIST* v = first;; v = v->next) {
        if (v->selected)
            for (POINT_LIST* p = v->firstPoint; p && !full; p = p->next) {
                if (!takesPart(*p)) continue;
                for (OPE_LIST* o = p->opeList; o && !full; o = o->next) {
                    if (!o->active) continue;
                    const TOOL_CRITERIA& c = criteria_[o];
                    const std::string name = fieldText(o->toolName);
                    int match = -1;
                    for (std::size_t i = 0; i < tools_.size(); ++i) {
                        const GROUP_TOOL& t = tools_[i];
                        if (t.toolType == static_cast<std::int32_t>(o->toolType) && std::fabs(t.diameter - o->toolDiam) < base &&
                            t.material == o->material && std::fabs(t.angleCriterion - c.angle) < 0.1 &&
                            std::fabs(t.radiusCriterion - c.radius) < T04 && t.longTool == o->longTool &&
                            t.maxLength >= c.minLength && (o->toolType != 17 || std::fabs(t.wantedLength - o->wantedLength) < T4) &&
                            (name.empty() || plat::equalsNoCase(name, t.toolName)))
                            match = static_cast<int>(i);
                    }
                    if (match < 0) {
                        if (tools_.size() >= drill_ops::kMaxRunTools) {
                            ask(kTooManyTools, {static_cast<long>(tools_.size()), static_cast<long>(drill_ops::kMaxRunTools)},
                                plat::MB_OK);
                            full = true;
                            break;
                        }
                        GROUP_TOOL t;
                        t.number = static_cast<std::int32_t>(tools_.size()) + 1;
                        t.toolType = static_cast<std::int32_t>(o->toolType);
                        t.diameter = o->toolDiam;
                        t.pitch = o->pitch;
                        t.shapeValue = o->tipDiam;
                        t.angleCriterion = c.angle;
                        t.radiusCriterion = c.radius;
                        t.longTool = o->longTool;
                        t.neededLength = o->neededLength;
                        t.maxLength = c.maxLength;
                        t.wantedLength = o->wantedLength;
                        t.material = o->material;
                        t.toolName = name;
                        tools_.push_back(t);
                        match = static_cast<int>(tools_.size()) - 1;
                    }
                    o->toolIndex = match;
                    o->toolNumber = match + 1;
                    collected_.insert(o);
                    operations.push_back(o);
                }
            }
        if (v == last || full) break;
    }
    return !tools_.empty();
}

void DRILL_CALL::logOrder(const std::vector<OPE_LIST*>& order, const char* title) const {
    if (!g_toolsLog) return;
    std::fprintf(g_toolsLog, "%s", title);
    std::int32_t tool = -1;
    for (const OPE_LIST* o : order) {
        if (o->toolIndex != tool) {
            tool = o->toolIndex;
            std::fprintf(g_toolsLog, "T%.2i %16s %.2f\n", o->toolNumber, toolTypeToolName(static_cast<std::int32_t>(o->toolType)).c_str(),
                         o->toolDiam);
        }
        const POINT_LIST* p = o->point;
        std::fprintf(g_toolsLog, "    Plano: %i Seq: %i Forma: %i %40s: ", o->view ? o->view->viewNumber : 0,
                     o->view ? o->view->sortIndex : 0, o->holeRow, p ? p->description : "");
        for (const POINT_LIST* e = p; e; e = e->nextEqual) std::fprintf(g_toolsLog, "(X%.2f Y%.2f)", e->ptView[0], e->ptView[1]);
        std::fputs("\n", g_toolsLog);
    }
    std::fflush(g_toolsLog);
}

void DRILL_CALL::nameGroups(const std::vector<OPE_LIST*>& order) {
    if (group != 0) {
        for (OPE_LIST* o : order) o->groupId = group;
        return;
    }
    std::int32_t current = 0;
    std::int64_t type = -1;
    for (OPE_LIST* o : order) {
        if (!isOperationKindEnabled(static_cast<std::int32_t>(o->toolType))) continue;
        if (static_cast<std::int64_t>(o->toolType) != type) {
            type = o->toolType;
            ++groupCounter_;
            // Named after the view of its first operation, whichever other views of the run it holds.
            const std::string label = viewGroupLabel(o->view);
            char name[512];
            std::snprintf(name, sizeof name, "%i%02i %s %s", rootId_, groupCounter_, label.c_str(),
                          typeGroupName(o->toolType).c_str());
            current = findOrCreateOpGroup(name, activeId_);
            appendGeneratedGroup(name);
        }
        o->groupId = current;
    }
}

int DRILL_CALL::run() {
    const SAVED_TOOLS keep(views);
    const auto kept = keepLibraryTools();
    TpGrpList& groups = TpMainGrpMgr().GetMainGrpList();
    const op_group* active = groups.RetrieveActiveGroup();
    activeId_ = active ? active->id : 0;
    machine_ = active ? groups.RetrieveRootMachineGroup(active->id) : GroupsMachineGroup(nullptr);
    if (machine_) g_machineInfo.rootMachineGroup = machine_;
    rootId_ = machine_ ? machine_->id : 0;
    library_ = configuredToolLibrary();
    nextFreeToolNumber(library_, &libraryNumber_, &librarySlot_);

    if (!chooseMaterial()) return 1;
    setHeights();
    readMilledDefinitions();
    if (!setLengths()) return 1;
    if (escConfirmed()) return 1;

    const PRM_SETTINGS& s = g_globals->settings;
    const std::int16_t width = g_globals->metric() ? 6 : 4;
    const bool dontAsk = s.intelligentProcess != 0;
    if (drillingList) g_drillingList->begin(s.drillingListFile, width, dontAsk);
    if (machiningTime) g_machiningTime->begin(s.machiningTimeFile, width, dontAsk);
    const auto closeReports = [&] {
        if (drillingList) g_drillingList->close();
        if (machiningTime) g_machiningTime->finish();
    };

    for (VIEW_LIST* first = views; first;) {
        VIEW_LIST* last = first;
        if (group != 0) {
            while (last->next) last = last->next;
        } else {
            while (last->next && last->next->groupNumber == first->groupNumber) last = last->next;
        }
        VIEW_LIST* const next = last->next;
        int selectedViews = 0;
        for (VIEW_LIST* v = first;; v = v->next) {
            selectedViews += v->selected ? 1 : 0;
            if (v == last) break;
        }
        std::vector<OPE_LIST*> operations;
        if (selectedViews == 0 || !collectTools(first, last, operations)) {
            first = next;
            continue;
        }
        multiView_ = group == 0 && first != last && toolPathGroupsOverViews();
        if (g_toolsLog) {
            std::fprintf(g_toolsLog, "\nLista de Herramientas utilizadas en el grupo %i\n", first->groupNumber);
            for (const GROUP_TOOL& t : tools_)
                std::fprintf(g_toolsLog, "T%.2i(Type:%.2i) %16s Material:%i Diam:%.2f Pitch:%.2f %s\n", t.number, t.toolType,
                             toolTypeToolName(t.toolType).c_str(), t.material, t.diameter, t.pitch, t.longTool ? "Long" : "");
        }
        if (drillingList) g_drillingList->writeHeader(first);
        std::vector<OPE_LIST*> order;
        orderRunOperations(first, last, static_cast<std::int16_t>(tools_.size()), order);
        std::erase_if(order, [&](const OPE_LIST* o) { return collected_.count(o) == 0; });
        logOrder(order, "\nSequencia de htas (antes de renumerar)\n");
        renumberToolSequence(order.data(), static_cast<std::int16_t>(order.size()));
        logOrder(order, "\nSequencia de htas (renumeradas)\n");
        nameGroups(order);
        if (makeRun(order) != 0) {
            closeReports();
            return 1;
        }
        for (POINT_LIST* p = last->firstPoint; p; p = p->next)
            if (T::twinId(*p) != 0) twinDone_.insert(p);
        tools_.clear();
        first = next;
    }
    closeReports();
    return 0;
}

int createDrillOperations(VIEW_LIST* views, POINT_LIST* oneHole, std::int16_t firstToolNumber, std::int16_t* toolsMade,
                          std::int16_t group, std::int16_t makeMissing, std::int16_t addToLibrary,
                          std::int16_t* operationsMade, std::uint8_t drillingList, std::uint8_t machiningTime,
                          std::int16_t* toolsTaken) {
    DRILL_CALL call(views, oneHole, firstToolNumber, toolsMade, group, makeMissing, addToLibrary, drillingList,
                    machiningTime, toolsTaken);
    const int result = views ? call.run() : 0;
    if (operationsMade) *operationsMade = static_cast<std::int16_t>(call.operationsMade);
    return result;
}
