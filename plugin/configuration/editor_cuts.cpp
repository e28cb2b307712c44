// "Calculate cuts": the radial passes, depth cuts and entry moves that a circle mill or a contour needs to
// cut its hole out of the smaller one the earlier tools left. The proposal is made on a copy of the
// operation and shown with its start data; only an accept writes it into the operation.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <numbers>
#include <string>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/number_text.h"
#include "plugin/base/text_fill.h"
#include "plugin/configuration/editor_dialogs.h"
#include "plugin/configuration/editor_record.h"
#include "plugin/configuration/editor_support.h"
#include "plugin/model/host_blocks.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"

namespace {

using process_ope::circleMillBlock;
using process_ope::hostBlock40;
using process_ope::hostBlock64;
using process_ope::hostBlock168;
namespace C = circle_fields;
namespace D = op_depth_cuts_layout;
namespace R = op_radial_layout;
namespace L = op_lead_layout;

constexpr int kLineCircleStart = 162, kLineHelixOnly = 163, kLinePasses = 164, kLineHelicalEntry = 165,
              kLineNoStep = 166, kLineContourStart = 182, kLineContourResults = 183;   // "EditProcessOpeDlg"

// A line of the editor's texts with its "%s" filled; a '%' of the text itself stays a '%'.
std::string line(const CTextSection& texts, int id, std::initializer_list<TEXT_VALUE> values) {
    return fillText(escapePercent(texts.getText(id)), values);
}

// A start diameter of nothing (no earlier tool) is shown as dashes.
std::string startText(double start) { return start < g_tolerances.tol004T ? " ---- " : lengthText(start); }

// The share of the tool diameter, in percent; nothing for a tool without a diameter.
double percentOf(double value, double toolDiameter) { return toolDiameter > 0 ? value / toolDiameter * 100 : 0.0; }

struct PASSES {
    double rough = 0, finish = 0;
    std::int16_t roughCount = 0, finishCount = 0;
};

// The passes that take away the radial stock: the finish passes as the block sets them, the rest in equal
// rough passes no wider than the block's rough spacing (one pass when it has none).
PASSES passesFor(const PROCESS_OPE& op, double stock) {
    PASSES p;
    p.finish = std::fabs(op.get<double>(hostBlock40 + R::finishSpacing));
    p.finishCount = op.get<std::int16_t>(hostBlock40 + R::finishCount);
    const double spacing = std::fabs(op.get<double>(hostBlock40 + R::roughSpacing));
    const double rest = std::max(0.0, stock - p.finishCount * p.finish);
    double count = spacing > 0 ? std::trunc(rest / spacing) : 0.0;
    if (count < 1) count = 1;
    // A count no record can hold is not a proposal anyone wants; the spacing keeps the rest whole.
    count = std::min(count, 32767.0);
    p.rough = rest / count;
    p.roughCount = static_cast<std::int16_t>(count);
    if (p.rough < g_tolerances.tol4T) {
        p.rough = 0;
        p.roughCount = 0;
    }
    return p;
}

void setRadialPasses(PROCESS_OPE& op, double rough, std::int16_t roughCount, double finish) {
    op.set<std::uint8_t>(hostBlock40 + R::on, 1);
    op.set<double>(hostBlock40 + R::roughSpacing, rough);
    op.set<std::int16_t>(hostBlock40 + R::roughCount, roughCount);
    op.set<double>(hostBlock40 + R::finishSpacing, finish);
    op.set<std::uint8_t>(hostBlock40 + R::finalDepthOnly, 1);
}

void copyBlock(PROCESS_OPE& to, const PROCESS_OPE& from, std::size_t at, std::size_t size) {
    std::memcpy(to.bytes + at, from.bytes + at, size);
}

}  // namespace

int CDlgEditProcessOpe::calculateCuts(PROCESS_OPE& op, std::int16_t kind, double toolDiameter, double d1, double d2,
                                      double startDiam) {
    if (kind != kCircleMill && kind != kContour) return 0;
    const double d = toolDiameter;
    PROCESS_OPE proposal = op;
    std::string start, results;
    bool takeCircle = false, takeRadial = false, takeDepth = false, takeLead = false;

    if (kind == kCircleMill) {
        const bool fitsStart = d - g_tolerances.tol4T < startDiam;
        const double stock = std::max(0.0, (d1 - startDiam) / 2);
        start = line(texts, kLineCircleStart, {lengthText(d1), lengthText(d), startText(startDiam)});
        const bool helixOnly = op.get<std::uint8_t>(hostBlock40 + R::on) == 0 &&
                               op.get<std::uint8_t>(circleMillBlock + C::roughOn) == 0 &&
                               op.get<std::uint8_t>(hostBlock64 + D::on) == 0 &&
                               op.get<std::uint8_t>(circleMillBlock + C::helixOn) == 1;
        proposal.set<std::uint8_t>(hostBlock40 + R::on, 0);
        proposal.set<std::uint8_t>(circleMillBlock + C::roughOn, 0);
        proposal.set<std::uint8_t>(circleMillBlock + C::helixOn, 0);
        proposal.set<std::uint8_t>(hostBlock64 + D::on, 0);
        double minPercent = op.get<double>(circleMillBlock + C::helixMinPercent);
        double maxPercent = op.get<double>(circleMillBlock + C::helixMaxPercent);
        double rMin = d * minPercent / 100, rMax = d * maxPercent / 100;
        if (helixOnly) {
            // Only shown: the operation keeps its own values.
            proposal.set<std::uint8_t>(circleMillBlock + C::helixOn, 1);
            if (d1 < rMax) {
                rMax = d1;
                maxPercent = percentOf(rMax, d);
                if (rMax < rMin) {
                    rMin = rMax;
                    minPercent = percentOf(rMin, d);
                }
            }
            results = line(texts, kLineHelixOnly, {formatNumber(minPercent, "%.2f"), lengthText(rMin),
                                                   formatNumber(maxPercent, "%.2f"), lengthText(rMax)});
            takeCircle = true;
        } else if (fitsStart) {
            const PASSES p = passesFor(op, stock);
            results = line(texts, kLinePasses, {lengthText(p.rough), std::to_string(p.roughCount),
                                                lengthText(p.finish), std::to_string(p.finishCount)});
            setRadialPasses(proposal, p.rough, p.roughCount, p.finish);
            takeCircle = takeRadial = takeDepth = true;
        } else {
            // The tool does not fit into the start hole: it enters on a helix and roughs outwards.
            const double step = d * op.get<double>(circleMillBlock + C::stepoverPercent) / 100;
            results = line(texts, kLineHelicalEntry, {lengthText(rMin), lengthText(rMax), lengthText(step)});
            proposal.set<std::uint8_t>(circleMillBlock + C::roughOn, 1);
            proposal.set<std::uint8_t>(circleMillBlock + C::helixOn, 1);
            proposal.set<double>(circleMillBlock + C::helixMinRadius, rMin);
            proposal.set<double>(circleMillBlock + C::helixMaxRadius, rMax);
            proposal.set<double>(circleMillBlock + C::helixZClearance, 0.0);
            proposal.set<double>(circleMillBlock + C::helixXYClearance, 0.0);
            proposal.set<double>(circleMillBlock + C::stepover, step);
            setRadialPasses(proposal, 0.0, 0, std::fabs(op.get<double>(hostBlock40 + R::finishSpacing)));
            takeCircle = takeRadial = takeDepth = true;
        }
        if (takeDepth) {
            proposal.set<std::uint8_t>(hostBlock64 + D::on, 1);
            proposal.set<std::int16_t>(hostBlock64 + D::finishCount, 0);
            proposal.set<double>(hostBlock64 + D::finishStep, 0.0);
            proposal.set<std::uint8_t>(hostBlock64 + D::keepTool, 1);
        }
    } else {
        const double stock = std::max(0.0, (d2 - startDiam) / 2);
        start = line(texts, kLineContourStart, {lengthText(d1), lengthText(d), startText(startDiam)});
        const double limit = std::max(0.0, 0.75 * (d1 - d) / 2);
        proposal.set<std::uint8_t>(hostBlock168 + L::on, 1);
        for (std::size_t group : {L::entry, L::exit}) {
            const std::size_t at = hostBlock168 + group;
            double radius = op.get<double>(at + L::arcRadius);
            if (radius < g_tolerances.tol04T) radius = 0.5 * limit;
            if (radius > limit) radius = limit;
            proposal.set<std::uint8_t>(at + L::groupOn, 1);
            proposal.set<std::uint8_t>(at + L::arcOn, 1);
            proposal.set<double>(at + L::arcSweep, std::numbers::pi / 2);
            proposal.set<double>(at + L::lineLength, 0.0);
            proposal.set<double>(at + L::plungeHeight, 0.0);
            proposal.set<double>(at + L::arcRadius, radius);
            proposal.set<double>(at + L::radiusPercent, percentOf(radius, d));
        }
        const PASSES p = passesFor(op, stock);
        const std::int16_t roughCount = p.roughCount < 1 && p.finishCount < 1 ? std::int16_t{1} : p.roughCount;
        setRadialPasses(proposal, p.rough, roughCount, p.finish);
        proposal.set<std::uint8_t>(hostBlock64 + D::on, 1);
        proposal.set<std::uint8_t>(hostBlock64 + D::keepTool, 1);
        const double sweep = proposal.get<double>(hostBlock168 + L::entry + L::arcSweep) * 180 / std::numbers::pi;
        results = line(texts, kLineContourResults,
                       {formatNumber(sweep, "%.0f") + g_txtDegree,
                        lengthText(proposal.get<double>(hostBlock168 + L::entry + L::arcRadius)),
                        std::to_string(roughCount), lengthText(p.rough), std::to_string(p.finishCount),
                        lengthText(p.finish)});
        takeLead = takeRadial = takeDepth = true;
    }

    CDlgCircMillCalcResults dialog(this, start, results);
    if (dialog.doModal(this) != plat::IDOK) return 0;
    if (takeCircle) copyBlock(op, proposal, circleMillBlock, kCircleMillSize);
    if (takeRadial) copyBlock(op, proposal, hostBlock40, kBlock40);
    if (takeDepth) copyBlock(op, proposal, hostBlock64, kBlock64);
    if (takeLead) copyBlock(op, proposal, hostBlock168, kBlock168);
    return 0;
}

void CDlgEditProcessOpe::onCalculateCuts() {
    readControls();
    const double start = startDiameter();
    const int kind = milledKind;
    double d1 = 0, d2 = 0;
    if (kind == kCircleMill || kind == kContour) {
        // The hole the cuts are for is the form step the kind's diameter is bound to; without it there is
        // nothing to calculate for.
        ASSOC_VALUE at = assoc[static_cast<std::size_t>(kBottomZBlock + kind)];
        at.stepIndex = static_cast<std::int16_t>(at.stepIndex + at.stepEnd);
        const TAB_FORM_STEP* step = formStep(at);
        if (!step) {
            plat::messageBox(this, texts.getText(kLineNoStep), errorMessage(1), plat::MB_OK);
            return;
        }
        d1 = step->startDiameter;
        d2 = step->endDiameter;
    }
    (void)calculateCuts(operation, static_cast<std::int16_t>(kind), assoc[kToolDiamBlock].value, d1, d2, start);
    storeToolDiameter(operation, assoc[kToolDiamBlock]);
    if (kind == kCircleMill || kind == kContour)
        storeMilledDiameter(operation, assoc[static_cast<std::size_t>(kBottomZBlock + kind)]);
    (void)checkOperation(operation, true);
    fillCompCombos();
    enableByKind();
}

// ---- the results dialog ----

CDlgCircMillCalcResults::CDlgCircMillCalcResults(plat::Dialog*, std::string startText, std::string resultsText)
    : plat::Dialog(kTemplate), startText_(std::move(startText)), resultsText_(std::move(resultsText)) {}

bool CDlgCircMillCalcResults::onInitDialog() {
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "CircleMillCalcResultsDlg", false);
    setWindowText(texts.getText(1));
    item(kStartFrame).setText(texts.getText(10));
    item(kProposalFrame).setText(texts.getText(20));
    item(plat::IDOK).setText(texts.getText(51));
    item(plat::IDCANCEL).setText(texts.getText(52));
    item(kStartText).setText(startText_);
    item(kProposalText).setText(resultsText_);
    return true;
}
