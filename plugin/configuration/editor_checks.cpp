// The editor's measures bound to the steps of the row's hole form, so that an operation follows the form on
// other rows; and what OK refuses or warns about before the operation is taken: a missing tool, an offset
// that leaves no tool, tools that do not suit the milled kind, and a tool or entry too large for the hole.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/configuration/editor_record.h"
#include "plugin/configuration/editor_support.h"
#include "plugin/model/host_blocks.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"

namespace {

constexpr int kLineNegativeOffset = 81, kLinePositiveOffset = 82, kLineCircleMillTool = 83,
              kLineNoToolLeft = 84, kLineNoToolLeftInRow = 85, kLineNoFit = 86, kLineHelixRadius = 87,
              kLineStep = 88, kLineToolTooLarge = 89, kLineRowNoFit = 90, kLineNoToolDiameter = 91,
              kLineContourTool = 93, kLineStepNearZero = 92, kLineMaxRoughStep = 109, kLineRoughPitch = 221,
              kLineFinishPitch = 227, kLineThreadPitch = 336;

bool near(double a, double b, double tolerance) { return std::fabs(a - b) < tolerance; }

bool isChamferTool(std::int32_t type) { return type == 12 || type == 9; }
bool isOneOf(std::int32_t type, std::initializer_list<std::int32_t> types) {
    return std::find(types.begin(), types.end(), type) != types.end();
}

// The line with its "%s" filled in order; the texts come from the UI-text file and are never used as a format.
std::string fill(std::string line, std::initializer_list<std::string> values) {
    std::size_t at = 0;
    for (const std::string& v : values) {
        at = line.find("%s", at);
        if (at == std::string::npos) break;
        line.replace(at, 2, v);
        at += v.size();
    }
    return line;
}

// The label line of the first pitch or depth step of `op` near 0 that its milled kind turns by, 0 when none is:
// the toolpath would take as many turns or cuts as the height holds such steps, and one not above 0 none. A
// finish pitch of 0 climbs at the rough pitch.
int stepNearZero(const PROCESS_OPE& op, std::int16_t kind, double least) {
    using namespace process_ope;
    const auto below = [&](std::size_t at) { return !(op.get<double>(at) >= least); };
    if (kind != kMilledNone && op.get<std::uint8_t>(hostBlock64 + op_depth_cuts_layout::on) != 0 &&
        below(hostBlock64 + op_depth_cuts_layout::maxRough))
        return kLineMaxRoughStep;
    if (kind == kHelixBore) {
        if (below(helixBoreBlock + helix_fields::roughPitch)) return kLineRoughPitch;
        const double finish = op.get<double>(helixBoreBlock + helix_fields::finishPitch);
        if (op.get<std::uint8_t>(helixBoreBlock + helix_fields::finishOn) != 0 && finish != 0 && !(finish >= least))
            return kLineFinishPitch;
    }
    if (kind == kThreadMill && below(threadMillBlock + thread_fields::pitch)) return kLineThreadPitch;
    return 0;
}

// The number a cell holds; false for an empty cell or one that does not begin with a number.
bool cellNumber(const std::string& cell, double* value) {
    const char* begin = cell.c_str();
    char* end = nullptr;
    *value = std::strtod(begin, &end);
    return end != begin && std::isfinite(*value);
}

std::size_t usableSteps(const CTabColsDesc* table) {
    if (!table || table->stepCount <= 0) return 0;
    return std::min(static_cast<std::size_t>(table->stepCount), table->formSteps.size());
}

// The rows of `table` whose process cell names `process`.
std::vector<int> processRows(const CTabColsDesc& table, const std::string& process) {
    std::vector<int> rows;
    if (table.processColumn < 1 || table.processColumn > table.columnCount) return rows;
    for (int r = 0; r < table.rowCount; ++r)
        if (table.cell(r, table.processColumn - 1) == process) rows.push_back(r);
    return rows;
}

// The fit of tool diameter d into hole diameter D with the circle-mill and radial-pass blocks of `op`.
int fitCheck(plat::Dialog* owner, const CTextSection& texts, const PROCESS_OPE& op, int kind, double d, double D,
             bool showMessages) {
    using process_ope::circleMillBlock;
    using process_ope::hostBlock40;
    namespace C = circle_fields;
    namespace R = op_radial_layout;
    const double T = g_tolerances.tolT;
    if (d + 8 * T > D) {
        if (showMessages)
            plat::messageBox(owner, fill(texts.getText(kLineToolTooLarge), {lengthText(d), lengthText(D)}),
                             errorMessage(1), plat::MB_OK);
        return 1;
    }
    const double finish = op.get<std::uint8_t>(hostBlock40 + R::on) != 0
                              ? op.get<std::int16_t>(hostBlock40 + R::finishCount) *
                                    op.get<double>(hostBlock40 + R::finishSpacing)
                              : 0.0;
    if (kind != kCircleMill) return 0;
    const bool helical = op.get<std::uint8_t>(circleMillBlock + C::helixOn) != 0;
    double helix = 0;
    if (helical)
        helix = std::min(d * op.get<double>(circleMillBlock + C::helixMaxPercent) / 100,
                         D / 2 - op.get<double>(circleMillBlock + C::helixXYClearance));
    if (D / 2 >= d / 2 + helix + g_tolerances.tol4T && D / 2 - finish - d / 2 - T >= 0) return 0;
    if (showMessages) {
        const double room = (D - d) / 2 - 1.5 * T;
        const double radius = helical ? room / 2 : 0.0;
        const double step = helical ? room / 2 : room;
        const std::string percent =
            helical ? fill(texts.getText(kLineHelixRadius), {numberText("%.2f", d > 0 ? radius / d * 100 : 0.0)})
                    : std::string();
        plat::messageBox(owner,
                         texts.getText(kLineNoFit) + "\n" + percent + "\n" +
                             fill(texts.getText(kLineStep), {lengthText(step)}),
                         errorMessage(1), plat::MB_OK);
    }
    return 2;
}

}  // namespace

void CDlgEditProcessOpe::normalizeAssocValues() {
    const double tol = g_tolerances.tol04T;
    for (std::size_t k = 0; k < assoc.size(); ++k) {
        assoc[k].columnId = 0;
        assoc[k].stepEnd = 0;
        assoc[k].stepIndex = 0;
        if (k >= kCircleDiamBlock && assoc[k].mode < 0) assoc[k].mode = 0;
    }
    const std::size_t count = usableSteps(formTable);
    auto bindDiameter = [&](ASSOC_VALUE& b, bool circleMill) {
        for (std::size_t i = 0; i < count; ++i) {
            const TAB_FORM_STEP& s = formTable->formSteps[i];
            if (circleMill) operation.set<double>(process_ope::circleMillBlock + circle_fields::circleDiameter, b.value);
            if (near(b.value, s.endDiameter, tol)) b.value = s.startDiameter;
            if (!near(b.value, s.startDiameter, tol)) continue;
            b.columnId = static_cast<std::uint16_t>(s.diameterColumn);
            b.stepIndex = static_cast<std::int16_t>(i);
            b.stepEnd = near(b.pickY, s.bottomDepth, tol) ? 1 : 0;
            break;
        }
    };
    bindDiameter(assoc[kToolDiamBlock], false);
    if (milledKind >= kCircleMill && milledKind <= kThreadMill)
        bindDiameter(assoc[static_cast<std::size_t>(kBottomZBlock + milledKind)], milledKind == kCircleMill);

    ASSOC_VALUE& top = assoc[kTopZBlock];
    ASSOC_VALUE& bottom = assoc[kBottomZBlock];
    for (std::size_t i = 0; i < count; ++i) {
        const TAB_FORM_STEP& s = formTable->formSteps[i];
        for (ASSOC_VALUE* z : {&top, &bottom}) {
            if (near(z->value, s.bottomDepth, tol) || near(z->value, s.bottomDepth2, tol)) {
                z->columnId = static_cast<std::uint16_t>(s.lengthColumn);
                z->stepEnd = 1;
                z->stepIndex = static_cast<std::int16_t>(i);
            }
        }
        if (near(top.value, s.topDepth, tol)) top.topColumnId = static_cast<std::uint16_t>(s.diameterColumn);
    }
    // A chamfer tool's top Z at the lower end of a step is the start of the next one.
    if (isChamferTool(toolType) && top.stepIndex < static_cast<int>(count) - 1) {
        top.stepIndex = static_cast<std::int16_t>(top.stepIndex + top.stepEnd);
        top.stepEnd = 0;
    }
}

int CDlgEditProcessOpe::checkOperation(PROCESS_OPE& op, bool showMessages) {
    if (milledKind != kCircleMill && milledKind != kContour) return 0;
    const double hole = assoc[milledKind == kCircleMill ? kCircleDiamBlock : kContourDiamBlock].value;
    return fitCheck(this, texts, op, milledKind, assoc[kToolDiamBlock].value, hole, showMessages);
}

void CDlgEditProcessOpe::onOK() {
    normalizeAssocValues();
    readControls();
    const ASSOC_VALUE& tool = assoc[kToolDiamBlock];
    auto say = [this](const std::string& text, unsigned buttons) {
        return plat::messageBox(this, text, errorMessage(1), buttons);
    };
    if (tool.value < g_tolerances.tol04T) {
        say(texts.getText(kLineNoToolDiameter), plat::MB_OK);
        return;
    }
    if (const int line = stepNearZero(operation, milledKind, g_tolerances.tol04T); line != 0) {
        say(fill(texts.getText(kLineStepNearZero), {texts.getText(line), lengthText(g_tolerances.tol04T)}), plat::MB_OK);
        return;
    }
    if (tool.offsetOn != 0) {
        // The offset must leave a tool on every row of this process, not only on the one shown.
        double smallest = tool.value;
        std::string rowName;
        if (formTable && tool.columnId != 0 && tool.mode == 1 && tool.columnId <= formTable->columnCount) {
            bool found = false;
            double least = 0;
            for (int r : processRows(*formTable, processName)) {
                double v = 0;
                if (!cellNumber(formTable->cell(r, tool.columnId - 1), &v) || (found && v >= least)) continue;
                found = true;
                least = v;
                rowName = formTable->cell(r, 0);
            }
            if (found && least <= tool.value) smallest = least;
            else rowName.clear();
        }
        if (smallest + tool.offset < g_tolerances.tolT) {
            say(rowName.empty() ? texts.getText(kLineNoToolLeft)
                                : fill(texts.getText(kLineNoToolLeftInRow), {rowName, lengthText(smallest)}),
                plat::MB_OK);
            return;
        }
        const int signLine = isChamferTool(toolType) ? (offsetSign < 0 ? kLineNegativeOffset : 0)
                                                     : (offsetSign > 0 ? kLinePositiveOffset : 0);
        if (signLine != 0 && say(texts.getText(signLine), plat::MB_OKCANCEL) == plat::IDCANCEL) return;
    }
    if (milledKind == kCircleMill) {
        if (!isOneOf(toolType, {10, 19, 15}) &&
            say(texts.getText(kLineCircleMillTool), plat::MB_OKCANCEL) == plat::IDCANCEL)
            return;
        storeToolDiameter(operation, tool);
        (void)checkOperation(operation, true);
        checkProcessRows();
    } else if (milledKind == kContour) {
        if (!isOneOf(toolType, {10, 19, 15, 17, 12}) &&
            say(texts.getText(kLineContourTool), plat::MB_OKCANCEL) == plat::IDCANCEL)
            return;
        storeToolDiameter(operation, tool);
        (void)checkOperation(operation, true);
    }
    endDialog(plat::IDOK);
}

// Every row of the process gets the operation: each is checked with its own hole, and with its own tool
// when the tool diameter follows the form. A row whose form cannot be built is not checked.
void CDlgEditProcessOpe::checkProcessRows() {
    if (!formTable || formTable->processColumn < 1) return;
    const ASSOC_VALUE& hole = assoc[kCircleDiamBlock];
    const ASSOC_VALUE& tool = assoc[kToolDiamBlock];
    // Measures bound to no column are the same on every row: the check just made holds for all of them.
    const bool toolFollows = tool.mode == 1 && tool.columnId != 0;
    if (hole.columnId == 0 && !toolFollows) return;
    const std::vector<int> rows = processRows(*formTable, processName);
    if (rows.empty()) return;
    CTabColsDesc rowTable = *formTable;
    std::vector<std::string> cells;
    for (int r : rows) {
        if (rowTable.getRow(r, cells) != 0 || rowTable.buildFormSteps(cells) != 0) continue;
        const std::size_t count = usableSteps(&rowTable);
        auto stepAt = [&](const ASSOC_VALUE& b) -> const TAB_FORM_STEP* {
            std::size_t at = static_cast<std::size_t>(std::max(0, static_cast<int>(b.stepIndex)));
            if (at + static_cast<std::size_t>(b.stepEnd > 0 ? 1 : 0) < count) at += b.stepEnd > 0 ? 1 : 0;
            return at < count ? &rowTable.formSteps[at] : nullptr;
        };
        const TAB_FORM_STEP* holeStep = hole.columnId != 0 ? stepAt(hole) : nullptr;
        const double D = holeStep ? holeStep->startDiameter : hole.value;
        const TAB_FORM_STEP* toolStep = toolFollows ? stepAt(tool) : nullptr;
        const double d = toolStep ? toolStep->startDiameter : tool.value;
        PROCESS_OPE copy = operation;
        copy.set<double>(process_ope::circleMillBlock + circle_fields::circleDiameter, D);
        if (fitCheck(this, texts, copy, kCircleMill, d, D, false) == 0) continue;
        if (plat::messageBox(this, fill(texts.getText(kLineRowNoFit), {cells.empty() ? "" : cells[0]}),
                             errorMessage(1), plat::MB_OKCANCEL) == plat::IDCANCEL)
            return;
    }
}

void CDlgEditProcessOpe::onClose() {
    normalizeAssocValues();
    readControls();
    endDialog(plat::IDCANCEL);
}
