// The operations of one points-list run, in the matrix's order: the twin-hole rule, the tool of each new
// tool index (chosen from the libraries, made when asked, put into the part), the joining of consecutive
// equal operations into one host operation over all their holes, its path per host view, and the host
// operation with its points, regenerated at once. Esc is polled after every operation.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <numbers>

#include "platform/ui/keys.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/tool_types.h"
#include "plugin/base/machine_info.h"
#include "plugin/base/message_box.h"
#include "plugin/base/number_text.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/utilities.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/drill_operations.h"
#include "plugin/tooling/feeds_speeds.h"
#include "plugin/tooling/generation_terms.h"
#include "plugin/tooling/host_operation.h"
#include "plugin/tooling/reports.h"
#include "plugin/tooling/tool_library.h"
#include "plugin/tooling/tools_log.h"

namespace {

namespace T = generation_terms;
using namespace drill_ops;

int ask(const std::string& text, unsigned type) {
    return plat::messageBox(nullptr, text, errorMessage(kCaption), type);
}

// A number as the global number format writes it, read back.
double throughFormat(double value) { return std::strtod(formatNumber(value).c_str(), nullptr); }

std::string materialName(std::int16_t code) {
    switch (code) {
    case 1: return "HSS";
    case 2: return "Carbide";
    case 3: return "Ti Coated";
    case 4: return "Ceramic";
    case 5: return "Boraz";
    case 10: return "User";
    default: return "";
    }
}

// Whether `next` joins `op` in one host operation.
bool joins(const OPE_LIST& op, const OPE_LIST& next, bool multiView) {
    const double T04 = g_tolerances.tol04T;
    if (next.toolIndex != op.toolIndex || T::tipCompensated(next) != T::tipCompensated(op) || next.cycle != op.cycle)
        return false;
    if ((milledKindOf(op) != 0 || milledKindOf(next) != 0) && !(std::fabs(next.milledDiam - op.milledDiam) < g_tolerances.tol4T))
        return false;
    if (multiView) return true;
    const int viewA = op.view ? op.view->viewNumber : 0, viewB = next.view ? next.view->viewNumber : 0;
    return viewA == viewB && std::fabs((next.zInf - next.zSup) - (op.zInf - op.zSup)) < T04 &&
           std::fabs((next.zSup - T::referenceZ(next)) - (op.zSup - T::referenceZ(op))) < T04 &&
           std::fabs(T::threadLength(next) - T::threadLength(op)) < T04;
}

}  // namespace

void DRILL_CALL::makeTool(OPE_LIST& op, tp_tool& tool, double wanted) {
    const double T40 = 40 * g_tolerances.tolT;
    tool.material = op.material;
    tool.fluteLength = wanted;
    tool.shoulderLength = op.toolType == 17 ? tool.fluteLength : tool.fluteLength + T40;
    tool.overallLength = tool.shoulderLength + T40;
    tool.secondDiameter = op.toolType == 7 ? op.toolDiam - g_tolerances.tol4T : op.toolDiam;
    if (op.toolType == 12 && tool.shapeValue > op.tipDiam) tool.shapeValue = op.tipDiam;
    std::string name;
    const std::string diameter = formatNumber(op.toolDiam), typeName = toolTypeToolName(tool.type);
    char text[256];
    if (op.toolType == 4 || op.toolType == 5)
        std::snprintf(text, sizeof text, "** %sx%s %s %s", diameter.c_str(), formatNumber(op.pitch).c_str(), typeName.c_str(),
                      materialName(tool.material).c_str());
    else
        std::snprintf(text, sizeof text, "** %s %s %s%s", diameter.c_str(), typeName.c_str(), materialName(tool.material).c_str(),
                      op.longTool ? (" " + errorMessage(kLongTool)).c_str() : "");
    name = text;
    if (const std::string extra = fieldText(op.altToolName); !extra.empty()) name += "-" + extra;
    setFieldText(tool.name, name);
}

// The tool's number: the library's when it is added there, the part's tool like it when there is one.
// 0, or 1 when the user cancelled.
int DRILL_CALL::settleToolNumber(OPE_LIST& op, tp_tool& tool) {
    const bool numbering = machine_ && machine_->machine.toolNumbering != 0;
    if (findPartToolLike(&tool, op.material != 0, false, nullptr) != 0) return 0;
    if (numbering) tool.number = nextToolNumber++;
    if (isOperationKindEnabled(static_cast<std::int32_t>(op.toolType))) addToolToPart(&tool);
    return 0;
}

// 0 with the tool, 1 when the user cancelled; passBy when this operation is left out.
int DRILL_CALL::chooseTool(OPE_LIST& op, const std::vector<OPE_LIST*>& order, tp_tool& tool, bool& passBy) {
    passBy = false;
    const double D = op.toolDiam, Tb = g_tolerances.tolT;
    const TOOL_CRITERIA& c = criteria_[&op];
    double wanted = op.wantedLength, minimum = c.minLength, maximum = c.maxLength, reach = 0;
    const std::string named = fieldText(op.toolName);
    if (named.empty()) {
        if (g_toolsLog) std::fprintf(g_toolsLog, "T%i\n min lengths:", op.toolNumber);
        for (const OPE_LIST* o : order)
            if (o->toolNumber == op.toolNumber) {
                reach = std::max(reach, criteria_[o].minLength);
                if (g_toolsLog) std::fprintf(g_toolsLog, " %.2f", criteria_[o].minLength);
            }
        if (g_toolsLog) std::fputs("\n", g_toolsLog);
        wanted = std::max(wanted, reach);
        minimum = std::max(minimum, reach);
        if (maximum < reach) maximum = 12 * D + reach;
        if (g_toolsLog)
            std::fprintf(g_toolsLog, "\nBuscando hta: T%02i(%02i) D:%.4f MinL:%.4f MaxL:%.4f Material:%i\n", op.toolNumber,
                         static_cast<int>(op.toolType), D, minimum, maximum, op.material);
    }
    tool = tp_tool{};
    const auto type = static_cast<std::int16_t>(op.toolType);
    const std::string text = fieldText(op.altToolName);
    int r = 0;
    if (named.empty() || !findLibraryToolByName(type, named, &tool))
        r = findBestLibraryTool(library_, type, D, minimum, maximum, reach, op.tipDiam, c.radius, c.angle, op.pitch,
                                op.material, text.empty() ? nullptr : text.c_str(), &tool);
    bool made = false;
    if (r < 0) return 1;
    if (r == 1 && !makeMissing && std::fabs(tool.diameter - D) < Tb && minimum < tool.fluteLength) r = 0;
    if (((r == 1 || r == 3) && makeMissing) || r == 2) {
        r = 0;
        made = true;
    }
    if (r != 0) {
        std::string message;
        if (r == 1 || r == 3) {
            const std::string toolText = toolTypeToolName(type) + " " + std::string(g_txtDiameter) + formatNumber(D);
            message = errorMessage(kNoToolFits) + "\n" + library_ + "\n" + fillText(errorMessage(kToolWanted), {toolText, formatNumber(wanted)});
        } else if (r == 5) {
            const POINT_LIST* p = op.point;
            message = fillText(errorMessage(kNamedToolMissing), {g_globals->settings.spotDrillName, library_,
                                                                  p ? fieldText(p->rowName) : "", p ? fieldText(p->processName) : "",
                                                                  fieldText(op.name)});
        } else {
            message = errorMessage(kNoToolFits) + "\n" + library_ + "\n" + errorMessage(kNoToolOfType) + "\n" +
                      toolTypeToolName(type) + "\n" + errorMessage(kAddATool);
        }
        if (ask(message, plat::MB_OKCANCEL) == plat::IDCANCEL) return 1;
        passBy = true;
        return 0;
    }
    tool.type = type;
    tool.diameter = D;
    tool.cornerRadius = c.radius;
    if (c.radius > g_tolerances.tol004T) tool.subType = type == 11 ? 2 : 1;
    const double tipDegrees = op.angle * 180 / std::numbers::pi;
    const PRM_SETTINGS& s = g_globals->settings;
    switch (type) {
    case 3:
        if (s.adaptDrillAngle == 0) {
            if (s.warnDrillAngle != 0 && !angleWarningOff_ && std::fabs(tool.angle - tipDegrees) > 0.1) {
                CMessageBox box;
                box.mode = 2;
                const POINT_LIST* p = op.point;
                char line[512];
                std::snprintf(line, sizeof line, "%s %s%s (%s%s)\n%s %s (%s%s)\n%s (%s)", errorMessage(kAngleDiffers).c_str(),
                              g_txtDiameter, formatNumber(D).c_str(), formatNumber(tool.angle).c_str(),
                              g_txtDegree, errorMessage(kAngleOfHole).c_str(),
                              p ? p->description : "", formatNumber(tipDegrees).c_str(), g_txtDegree,
                              tool.name, viewDescription(op.view).c_str());
                box.text = line;
                const int answer = box.run();
                if (box.dontShowAgain) angleWarningOff_ = true;
                if (answer == 2) return 1;
            }
        } else if (!T::tipCompensated(op)) {
            tool.angle = throughFormat(tipDegrees);
        }
        break;
    case 4:
    case 5: tool.pitch = g_globals->metric() ? op.pitch : (op.pitch > 0 ? roundToStep(1 / op.pitch, 0.5) : tool.pitch); break;
    case 7:
        if (tool.angle < 0.1 || tool.angle > 89) tool.angle = 1.0;
        break;
    case 9:
    case 12:
    case 17: tool.angle = throughFormat(toolAngleDeg(type, op.angle / 2)); break;
    case 15:
    case 19: tool.cornerRadius = throughFormat(op.cornerRadius); break;
    default: break;
    }
    if (made) {
        makeTool(op, tool, wanted);
        // Checked before the library or the part sees it, as the sequencing run checks the tools it makes:
        // a library that refused one would take none of the run's later tools.
        if (const std::string why = tool_values_why(tool); !why.empty()) {
            tellUnmadeTool(op, why, unmadeTold_);
            passBy = true;
            return 0;
        }
        if (toolsMade) ++*toolsMade;
    }
    if (std::string why; computeFeedsSpeeds(&tool, material_, &why) != 0 && ratesTold_.insert(fieldText(tool.name)).second)
        (void)ask(fillText(errorMessage(kRatesNotComputed), {fieldText(tool.name), fieldText(material_.name), why}),
                  plat::MB_OK | plat::MB_ICONWARNING);
    if (made) {
        if (!addToLibrary) {
            tool.number = libraryNumber_++;
        } else {
            int number = 0, slot = 0;
            if (addToolToLibrary(library_, &tool, &number, &slot) == 0) {
                if (!machine_ || machine_->machine.toolNumbering == 0) tool.number = number;
                if (toolsTaken) ++*toolsTaken;
            } else if (!notAddedTold_) {
                // Asked once a run: the library takes none of the tools after it either (the host said why).
                notAddedTold_ = true;
                if (ask(fillText(errorMessage(kNotAddedToLibrary), {fieldText(tool.name), library_}),
                        plat::MB_OKCANCEL) == plat::IDCANCEL)
                    return 1;
            }
        }
    }
    if (settleToolNumber(op, tool) != 0) return 1;
    if (machine_) {
        tool.offsetNumbers[0] = tool.number + machine_->machine.lengthOffsetBase;
        tool.offsetNumbers[1] = tool.number + machine_->machine.diameterOffsetBase;
    }
    tool.machineGroupId = rootId_;
    return 0;
}

void DRILL_CALL::makeHostOperation(OPE_LIST& op, const tp_tool& tool, std::vector<PTS_TL_SEQ>& points) {
    orderSequencePoints(points);
    if (TpMainToolMgr().GetMainMillToolList().IndexBySlot(tool.slot) >= 0) {
        tp_tool written = tool;
        tool_manager(&written, kToolManagerWrite);
    }
    std::vector<std::int32_t> made;
    createSequenceHostOps(op, points, tool, multiView_ ? 1 : 0, &made);
    for (std::int32_t id : made) {
        if (g_toolsLog) std::fprintf(g_toolsLog, "Regenerando operacion %li opcode=%i\n", static_cast<long>(id), multiView_ ? 28 : 2);
        nci_bin nci{};
        char done = 0;
        nci_manager(id, 8, &nci, &done);
        if (g_toolsLog) std::fprintf(g_toolsLog, "Regenerada succf=%i\n", done);
    }
    operationsMade += static_cast<int>(made.size());
}

// The twin rule: a hole whose twin on the other side was done in an earlier run (not one of its own
// toolpath group) leaves out its spot drilling, or drills, reams and bores only down to where the two meet.
DRILL_CALL::TWIN_RULE DRILL_CALL::twinRule(const OPE_LIST& op) const {
    const POINT_LIST* hole = op.point;
    if (!hole || T::twinId(*hole) == 0 || !T::twinLinked(*hole)) return TWIN_RULE::None;
    const auto found = holesById_.find(T::twinId(*hole));
    if (found == holesById_.end() || twinDone_.count(found->second) == 0) return TWIN_RULE::None;
    const POINT_LIST* twin = found->second;
    if (twin->view && hole->view && twin->view->groupNumber != 0 && twin->view->groupNumber == hole->view->groupNumber)
        return TWIN_RULE::None;
    const std::uint32_t t = op.toolType;
    if (!T::twinBothSides(*hole)) return t == 1 || t == 2 ? TWIN_RULE::PassBy : TWIN_RULE::None;
    if (t != 3 && t != 6 && t != 7) return TWIN_RULE::None;
    return T::twinMeetZ(*hole) > op.zSup ? TWIN_RULE::PassBy : TWIN_RULE::Make;
}

int DRILL_CALL::makeRun(const std::vector<OPE_LIST*>& order) {
    std::vector<PTS_TL_SEQ> points;
    OPE_LIST* pending = nullptr;   // the operation whose points wait for the next one
    std::int32_t toolIndex = INT32_MIN;
    tp_tool tool;
    bool multiView = multiView_;
    // An operation passed by makes the points of the one that waited to join it.
    const auto passBy = [&] {
        if (pending && !points.empty()) makeHostOperation(*pending, tool, points);
        points.clear();
        pending = nullptr;
    };
    // 1 when the tool choice was cancelled.
    const auto handle = [&](std::size_t i) -> int {
        OPE_LIST& op = *order[i];
        POINT_LIST* hole = op.point;
        if (!hole) return 0;
        if (g_toolsLog)
            std::fprintf(g_toolsLog, "\nPreparando operacion para '%s' '%s' '%s'\n", op.name, hole->tableName, hole->rowName);
        const TWIN_RULE rule = twinRule(op);
        if (rule == TWIN_RULE::PassBy) {
            passBy();
            return 0;
        }
        const bool forced = rule == TWIN_RULE::Make;
        if (forced) op.zInf = T::twinMeetZ(*hole);
        if (milledKindOf(op) != 0) multiView = false;
        multiView_ = multiView;
        if (op.toolIndex != toolIndex) {
            passBy();
            bool leftOut = false;
            if (chooseTool(op, order, tool, leftOut) != 0) return 1;
            if (leftOut) {
                toolIndex = INT32_MIN;
                return 0;
            }
            toolIndex = op.toolIndex;
        }
        const double depth = operationDepth(op, tool, multiView ? 1 : 0);
        std::vector<PATH_ELEMENT> elements;
        appendChainPoints(elements, hole, depth, oneHole);
        for (const PATH_ELEMENT& e : elements) points.push_back({e.record, &op, depth});
        pending = &op;
        if (!forced && i + 1 < order.size() && twinRule(*order[i + 1]) == TWIN_RULE::None &&
            joins(op, *order[i + 1], multiView)) {
            if (g_toolsLog) std::fputs("\nDescartada (misma hta, plano, prof, ... que la anterior)\n", g_toolsLog);
            return 0;
        }
        if (!points.empty()) makeHostOperation(op, tool, points);
        points.clear();
        pending = nullptr;
        if (g_toolsLog) std::fflush(g_toolsLog);
        return 0;
    };
    // Esc is polled after every operation of the order, one passed by or joined to the next as well.
    for (std::size_t i = 0; i < order.size(); ++i)
        if (handle(i) != 0 || escConfirmed()) return 1;
    return 0;
}
