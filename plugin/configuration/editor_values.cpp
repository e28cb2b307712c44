// The editor's controls and its state kept in step: the handlers of single edits and switches, the reading
// of every control into the edited operation, the writing of the milled pages' values and compensation
// lists into the controls, the enabling by milled kind, the tool from the library and the tip of
// "Calculate cuts".
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/configuration/editor_record.h"
#include "plugin/configuration/editor_support.h"
#include "plugin/model/host_blocks.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/resources/operation_editor_ids.h"
#include "plugin/services/configuration.h"
#include "plugin/services/tooling.h"

using namespace oe;

namespace {

using namespace process_ope;
namespace C = circle_fields;
namespace D = op_depth_cuts_layout;
namespace R = op_radial_layout;
namespace L = op_lead_layout;
namespace H = helix_fields;
namespace T = thread_fields;

constexpr int kMsgCornerRadius = 104, kMsgNoMachineGroup = 148;   // "ErrorMessages"
constexpr int kLineCalculateTip = 501, kLineOddThread = 331, kLineEvenThread = 332;
constexpr std::size_t kTipChars = 2047, kWantedNameChars = 121;

// How a value of a milled page is shown and read: a real in the length, fine or coarse format, a whole
// number of 16 or 32 bits, or a switch (a check box).
enum class FK : std::uint8_t { length, fine, coarse, count16, count32, flag };

// Where the value of a control of the milled pages lies in the record, and which reading takes it: 5 every
// kind, 6 the helix bore, 7 the thread mill. Every one is written into its control.
struct PAGE_FIELD {
    int control;
    std::size_t at;
    FK kind;
    int step;
};

constexpr std::size_t kLeadIn = hostBlock168 + L::entry, kLeadOut = hostBlock168 + L::exit;

constexpr PAGE_FIELD kPageFields[] = {
    {kEditOverlap, circleMillBlock + C::overlap, FK::length, 5},
    {kEditXYStock, hostValue.at, FK::length, 5},
    {kEditZStock, hostBlock64 + D::stockOnBottom, FK::length, 5},
    {kEditMaxRoughStep, hostBlock64 + D::maxRough, FK::length, 5},
    {kEditFinishStep, hostBlock64 + D::finishStep, FK::length, 5},
    {kEditFinishCuts, hostBlock64 + D::finishCount, FK::count16, 5},
    {kEditRoughSpacing, hostBlock40 + R::roughSpacing, FK::length, 5},
    {kEditRoughPassCount, hostBlock40 + R::roughCount, FK::count16, 5},
    {kEditFinishSpacing, hostBlock40 + R::finishSpacing, FK::length, 5},
    {kEditFinishPassCount, hostBlock40 + R::finishCount, FK::count16, 5},
    {kEditStepover, circleMillBlock + C::stepover, FK::length, 5},
    {kEditStepoverPercent, circleMillBlock + C::stepoverPercent, FK::length, 5},
    {kCheckDepthCuts, hostBlock64 + D::on, FK::flag, 5},
    {kCheckRadialCuts, hostBlock40 + R::on, FK::flag, 5},
    {kCheckCircleRoughing, circleMillBlock + C::roughOn, FK::flag, 5},
    {kCheckHelicalEntry, circleMillBlock + C::helixOn, FK::flag, 5},
    {kEditLeadInPercent, kLeadIn + L::radiusPercent, FK::length, 5},
    {kEditLeadInRadius, kLeadIn + L::arcRadius, FK::length, 5},
    {kEditLeadOutPercent, kLeadOut + L::radiusPercent, FK::length, 5},
    {kEditLeadOutRadius, kLeadOut + L::arcRadius, FK::length, 5},
    {kEditContourOverlap, hostBlock168 + L::overlap, FK::length, 5},
    {kCheckContourRoughing, hostBlock168 + L::on, FK::flag, 5},
    {kCheckLeadOut, kLeadOut, FK::flag, 5},
    {kCheckLeadIn, kLeadIn, FK::flag, 5},

    {kEditHelixOverlap, helixBoreBlock + H::overlap, FK::length, 6},
    {kEditHelixXYStock, hostValue.at, FK::length, 6},
    {kEditHelixZStock, hostBlock64 + D::stockOnBottom, FK::length, 6},
    {kEditRoughPitch, helixBoreBlock + H::roughPitch, FK::length, 6},
    {kEditHelixRoughPasses, helixBoreBlock + H::roughPasses, FK::count16, 6},
    {kEditHelixRoughStepover, helixBoreBlock + H::roughStepover, FK::length, 6},
    {kEditFinishAllowancePercent, helixBoreBlock + H::finishPercent, FK::coarse, 6},
    {kHiddenFinishAllowance, helixBoreBlock + H::finishValue, FK::length, 6},
    {kCheckFinishPass, helixBoreBlock + H::finishOn, FK::flag, 6},
    {kEditFinishPitch, helixBoreBlock + H::finishPitch, FK::length, 6},
    {kEditHelixFinishStepover, helixBoreBlock + H::finishStepover, FK::length, 6},
    {kEditFinishFeedPercent, helixBoreBlock + H::feedPercent, FK::coarse, 6},
    {kHiddenFinishFeed, helixBoreBlock + H::feed, FK::length, 6},
    {kEditFinishSpeedPercent, helixBoreBlock + H::speedPercent, FK::coarse, 6},
    {kHiddenFinishSpeed, helixBoreBlock + H::speed, FK::count32, 6},
    {kCheckArcOutput, helixBoreBlock + H::arcOutput, FK::flag, 6},
    {kEditArcTolerance, helixBoreBlock + H::tolerance, FK::length, 6},

    {kEditThreadPitch, threadMillBlock + T::pitch, FK::fine, 7},
    {kEditThreadStartAngle, threadMillBlock + T::startAngle, FK::length, 7},
    {kEditThreadAllowance, threadMillBlock + T::allowance, FK::length, 7},
    {kEditTaperAngle, threadMillBlock + T::taperAngle, FK::length, 7},
    {kEditArcClearance, threadMillBlock + T::arcClearance, FK::length, 7},
    {kEditLineLength, threadMillBlock + T::lineLength, FK::length, 7},
    {kEditLinearizeTolerance, threadMillBlock + T::tolerance, FK::fine, 7},
    {kCheckThreadStartAtCentre, hostBlock168 + L::entryFirstOnly, FK::flag, 7},
    {kCheckThreadPerpendicularEntry, threadMillBlock + T::perpendicularEntry, FK::flag, 7},
    {kCheckHelicalTop, threadMillBlock + T::helicalTop, FK::flag, 7},
    {kCheckHelicalBottom, threadMillBlock + T::helicalBottom, FK::flag, 7},
    {kCheckLinearize, threadMillBlock + T::linearize, FK::flag, 7},
    {kCheckMultipasses, hostBlock40 + R::on, FK::flag, 7},
    {kEditThreadRoughPasses, hostBlock40 + R::roughCount, FK::count16, 7},
    {kEditThreadRoughStepover, hostBlock40 + R::roughSpacing, FK::length, 7},
    {kEditThreadFinishPasses, hostBlock40 + R::finishCount, FK::count16, 7},
    {kEditThreadFinishStepover, hostBlock40 + R::finishSpacing, FK::length, 7},
    {kEditSpringPasses, threadMillBlock + T::springPasses, FK::count16, 7},
    {kCheckOverrideFeed, threadMillBlock + T::feedOverrideOn, FK::flag, 7},
    {kEditOverrideFeed, threadMillBlock + T::feedOverride, FK::length, 7},
    {kCheckOverrideSpeed, threadMillBlock + T::speedOverrideOn, FK::flag, 7},
    {kEditOverrideSpeed, threadMillBlock + T::speedOverride, FK::count32, 7},
    {kEditActiveTeeth, threadMillBlock + T::activeTeeth, FK::count16, 7},
    {kEditTopOfThread, threadMillBlock + T::topOfThread, FK::length, 7},
};

// The thread mill's three radio pairs: the first radio of each stands for 0.
struct THREAD_PAIR {
    int zero, one;
    std::size_t at;
    bool wide;   // a 16-bit field, else a byte
};
constexpr THREAD_PAIR kThreadPairs[] = {
    {kRadioInternalThread, kRadioExternalThread, threadMillBlock + T::side, true},
    {kRadioRightHand, kRadioLeftHand, threadMillBlock + T::hand, false},
    {kRadioTopToBottom, kRadioBottomToTop, threadMillBlock + T::direction, false},
};

const char* formatOf(FK kind) {
    switch (kind) {
        case FK::fine: return g_fmtFine;
        case FK::coarse: return g_fmtCoarse;
        default: return g_fmtMedium;
    }
}

const PAGE_FIELD* pageField(int control) {
    for (const PAGE_FIELD& f : kPageFields)
        if (f.control == control) return &f;
    return nullptr;
}

int threadPairValue(const PROCESS_OPE& op, const THREAD_PAIR& p) {
    return p.wide ? op.get<std::int16_t>(p.at) : op.get<std::uint8_t>(p.at);
}

}  // namespace

void CDlgEditProcessOpe::bindValueHandlers() {
    using plat::Ev;
    on(kEditToolDiameter, Ev::Change, [this](plat::Notify&) { onToolDiameterChange(); });
    for (int kind = 1; kind <= 4; ++kind) {
        const int edit = milledDiameterControls(kind).edit;
        on(edit, Ev::Change, [this, kind, edit](plat::Notify&) {
            assoc[static_cast<std::size_t>(kBottomZBlock + kind)].value = textNumber(item(edit).text());
        });
    }
    on(kEditTopZ, Ev::Change, [this](plat::Notify&) {
        topZText = item(kEditTopZ).text();
        assoc[kTopZBlock].value = textNumber(topZText);
    });
    on(kEditBottomZ, Ev::Change, [this](plat::Notify&) {
        bottomZText = item(kEditBottomZ).text();
        assoc[kBottomZBlock].value = textNumber(bottomZText);
    });
    on(kEditFirstDrillPercent, Ev::Change, [this](plat::Notify&) {
        firstDrillText = item(kEditFirstDrillPercent).text();
        firstDrillPercent = textNumber(firstDrillText);
    });
    onCommand(kCheckFromTopZ, [this] {
        fromTopZCheck = item(kCheckFromTopZ).check();
        fromTopZ = static_cast<std::int16_t>(fromTopZCheck);
    });
    on(kEditComment, Ev::Change, [this](plat::Notify&) { onCommentChange(); });
    on(kEditCornerRadius, Ev::Change, [this](plat::Notify&) { onCornerRadiusChange(); });
    for (int id : {kRadioCornerAsGeometry, kRadioCornerThisValue}) onCommand(id, [this] { onCornerRadiusChoice(); });
    onCommand(kCheckToolMaterial, [this] { onWishCheck(kCheckToolMaterial, kComboToolMaterial); });
    onCommand(kCheckToolName, [this] { onWishCheck(kCheckToolName, kEditToolName); });
    onCommand(kCheckDiameterOffset, [this] { onOffsetCheck(); });
    onCommand(kCheckStockToLeave, [this] { onStockCheck(); });
    for (int id : {kEditRoughSpacing, kEditFinishSpacing})
        on(id, Ev::Change, [this, id](plat::Notify&) { onPageValue(id); });
    on(kEditHelixRoughPasses, Ev::Change, [this](plat::Notify&) {
        onPageValue(kEditHelixRoughPasses);
        enableByKind();
    });
    for (int id : {kEditFinishAllowancePercent, kHiddenFinishAllowance, kEditFinishFeedPercent, kHiddenFinishFeed,
                   kEditFinishSpeedPercent, kHiddenFinishSpeed})
        on(id, Ev::Change, [this, id](plat::Notify&) {
            if (!focused(id)) return;
            onPageValue(id);
            enableByKind();
        });
    for (const THREAD_PAIR& p : kThreadPairs)
        for (int id : {p.zero, p.one}) onCommand(id, [this, p] { onThreadRadio(p.at, p.zero); });
    for (int id : {kCheckLinearize, kCheckMultipasses, kCheckArcOutput, kCheckFinishPass, kCheckOverrideFeed,
                   kCheckOverrideSpeed})
        onCommand(id, [this, id] { onMilledFlag(pageField(id)->at, id); });
    struct PAIR {
        int percent, value;
    };
    for (PAIR p : {PAIR{kEditStepoverPercent, kEditStepover}, PAIR{kEditLeadInPercent, kEditLeadInRadius},
                   PAIR{kEditLeadOutPercent, kEditLeadOutRadius}}) {
        on(p.percent, Ev::Change, [this, p](plat::Notify&) { onPercentOfToolChange(p.percent, p.value, true); });
        on(p.value, Ev::Change, [this, p](plat::Notify&) { onPercentOfToolChange(p.value, p.percent, false); });
    }
    // The helical entry's values, edited in their own dialog: the editor only keeps them with its own.
    for (int id :
         {kHiddenHelicalMinPercent, kHiddenHelicalMaxPercent, kHiddenHelicalMinRadius, kHiddenHelicalMaxRadius})
        on(id, Ev::Change, [this](plat::Notify&) {
            if (focusedId() == 0) return;
            updateData(true);
            updateData(false);
        });
    onCommand(kButtonLibraryTool, [this] { toolFromLibrary(); });
    on(0, Ev::NeedText, [this](plat::Notify& n) { onToolTip(n); });
}

// The text the user typed is the tool diameter; texts the editor writes (a tap's or a drill's diameter from
// the thread or drill-size table) only show it.
void CDlgEditProcessOpe::onToolDiameterChange() {
    toolDiameterText = item(kEditToolDiameter).text();
    if (!focused(kEditToolDiameter)) return;
    const double d = textNumber(toolDiameterText);
    assoc[kToolDiamBlock].value = d;
    if (milledKind == 0) return;
    struct LEAD {
        std::size_t group;
        int edit;
    };
    for (LEAD lead : {LEAD{kLeadIn, kEditLeadInRadius}, LEAD{kLeadOut, kEditLeadOutRadius}}) {
        const double r = d * operation.get<double>(lead.group + L::radiusPercent) / 100;
        operation.set<double>(lead.group + L::arcRadius, r);
        item(lead.edit).setText(numberText(g_fmtMedium, r));
    }
}

void CDlgEditProcessOpe::onCommentChange() {
    const std::string text = item(kEditComment).text();
    if (text.size() > static_cast<std::size_t>(kCommentChars)) {
        item(kEditComment).setText(text.substr(0, kCommentChars));   // which comes back here
        return;
    }
    commentText = text;
    comment = text;
}

void CDlgEditProcessOpe::onCornerRadiusChange() {
    cornerRadiusText = item(kEditCornerRadius).text();
    if (limitingCornerRadius) return;
    cornerRadius = textNumber(cornerRadiusText);
    const double half = 0.5 * assoc[kToolDiamBlock].value;
    if (cornerRadius <= half) return;
    plat::messageBox(this, errorMessage(kMsgCornerRadius), errorMessage(1), plat::MB_OK);
    cornerRadius = half;
    limitingCornerRadius = true;
    item(kEditCornerRadius).setText(numberText(g_fmtMedium, half));
    limitingCornerRadius = false;
}

void CDlgEditProcessOpe::onCornerRadiusChoice() {
    const bool typed = item(kRadioCornerThisValue).check() != 0;
    cornerRadiusChoice = typed ? 1 : item(kRadioCornerAsGeometry).check() != 0 ? 0 : -1;
    item(kEditCornerRadius).enable(typed && item(kRadioCornerThisValue).enabled());
}

void CDlgEditProcessOpe::onWishCheck(int check, int control) { item(control).enable(item(check).check() != 0); }

void CDlgEditProcessOpe::onOffsetCheck() {
    ASSOC_VALUE& tool = assoc[kToolDiamBlock];
    tool.offsetOn = static_cast<std::int16_t>(item(kCheckDiameterOffset).check() != 0);
    if (tool.offsetOn && item(kCheckDiameterOffset).enabled()) {
        offsetSign = static_cast<std::int16_t>(toolType == 12 || toolType == 9 ? 1 : -1);
        showSign(kButtonOffsetSign, offsetSign);
    }
    enableOffset();
}

void CDlgEditProcessOpe::enableOffset() {
    const bool on = assoc[kToolDiamBlock].offsetOn != 0 && item(kCheckDiameterOffset).enabled();
    item(kEditDiameterOffset).enable(on);
    item(kButtonOffsetSign).enable(on);
}

void CDlgEditProcessOpe::onStockCheck() {
    ASSOC_VALUE& bottom = assoc[kBottomZBlock];
    bottom.offsetOn = static_cast<std::int16_t>(item(kCheckStockToLeave).check() != 0);
    const bool on = bottom.offsetOn != 0 && item(kCheckStockToLeave).enabled();
    if (on) showSign(kButtonStockSign, stockSign);
    item(kEditStockToLeave).enable(on);
    item(kButtonStockSign).enable(on);
}

void CDlgEditProcessOpe::onPageValue(int edit) {
    const PAGE_FIELD* f = pageField(edit);
    const std::string& text = item(edit).text();
    switch (f->kind) {
        case FK::count16: operation.set<std::int16_t>(f->at, static_cast<std::int16_t>(textCount(text, SHRT_MIN, SHRT_MAX))); break;
        case FK::count32: operation.set<std::int32_t>(f->at, static_cast<std::int32_t>(textCount(text, INT_MIN, INT_MAX))); break;
        case FK::flag: break;
        default: operation.set<double>(f->at, textNumber(text)); break;
    }
}

void CDlgEditProcessOpe::onThreadRadio(std::size_t at, int zeroRadio) {
    for (const THREAD_PAIR& p : kThreadPairs) {
        if (p.at != at) continue;
        const int value = item(zeroRadio).check() != 0 ? 0 : 1;
        if (p.wide)
            operation.set<std::int16_t>(at, static_cast<std::int16_t>(value));
        else
            operation.set<std::uint8_t>(at, static_cast<std::uint8_t>(value));
    }
    enableByKind();
}

void CDlgEditProcessOpe::onPercentOfToolChange(int edit, int partner, bool isPercent) {
    if (!focused(edit)) return;
    const std::string text = percentPartnerText(assoc[kToolDiamBlock].value, item(edit).text(), isPercent);
    if (!text.empty()) item(partner).setText(text);
}

void CDlgEditProcessOpe::readControls() {
    updateData(true);
    ASSOC_VALUE& tool = assoc[kToolDiamBlock];
    ASSOC_VALUE& bottom = assoc[kBottomZBlock];
    tool.offset = textNumber(item(kEditDiameterOffset).text()) * offsetSign;
    materialWanted = static_cast<std::int16_t>(item(kCheckToolMaterial).check());
    nameWanted = static_cast<std::int16_t>(item(kCheckToolName).check());
    if (const int sel = item(kComboToolMaterial).curSel(); sel >= 0)
        toolMaterial = static_cast<std::int16_t>(item(kComboToolMaterial).itemData(sel));
    wantedToolName = item(kEditToolName).text().substr(0, kWantedNameChars);
    bottom.offset = textNumber(item(kEditStockToLeave).text()) * stockSign;

    if (milledKind >= kCircleMill && milledKind <= kThreadMill) {
        storeMilledDiameter(operation, assoc[static_cast<std::size_t>(kBottomZBlock + milledKind)]);
        const int typeCombo = milledKind <= kContour     ? kComboCompType
                              : milledKind == kHelixBore ? kComboHelixCompType
                                                         : kComboThreadCompType;
        if (const int sel = item(typeCombo).curSel(); sel >= 0)
            operation.set<std::int16_t>(hostBlock6 + comp_fields::type, static_cast<std::int16_t>(sel));
        const int directionCombo = milledKind <= kContour     ? kComboCompDirection
                                   : milledKind == kHelixBore ? kComboHelixCompDirection
                                                              : 0;
        if (directionCombo != 0)
            if (const int sel = item(directionCombo).curSel(); sel >= 0)
                operation.set<std::uint8_t>(hostBlock6 + comp_fields::direction, static_cast<std::uint8_t>(sel));
    }
    calcEachForm = static_cast<std::int16_t>(item(kCheckCalcEachForm).check());

    if (milledKind == kHelixBore) operation.set<double>(helixBoreBlock + H::boreDiameter, assoc[kHelixDiamBlock].value);
    for (const PAGE_FIELD& f : kPageFields) {
        if ((f.step == 6 && milledKind != kHelixBore) || (f.step == 7 && milledKind != kThreadMill)) continue;
        if (f.kind == FK::flag)
            operation.set<std::uint8_t>(f.at, item(f.control).check() != 0 ? 1 : 0);
        else
            onPageValue(f.control);
    }
    // Helical entry starts the roughing.
    if (item(kCheckHelicalEntry).check() != 0) operation.set<std::uint8_t>(circleMillBlock + C::roughOn, 1);
    operation.set<std::uint8_t>(circleMillBlock + C::finishAtEachDepth,
                                item(kRadioFinishAtFinalDepth).check() != 0 ? 0 : 1);
    if (milledKind == kThreadMill)
        for (const THREAD_PAIR& p : kThreadPairs) {
            const int value = item(p.zero).check() != 0 ? 0 : 1;
            if (p.wide)
                operation.set<std::int16_t>(p.at, static_cast<std::int16_t>(value));
            else
                operation.set<std::uint8_t>(p.at, static_cast<std::uint8_t>(value));
        }
}

void CDlgEditProcessOpe::fillCompCombos() {
    const double signLimit = -g_tolerances.tol004T;
    const ASSOC_VALUE& tool = assoc[kToolDiamBlock];
    const ASSOC_VALUE& bottom = assoc[kBottomZBlock];
    item(kCheckDiameterOffset).setCheck(tool.offsetOn != 0);
    offsetSign = static_cast<std::int16_t>(tool.offset < signLimit ? -1 : 1);
    showSign(kButtonOffsetSign, offsetSign);
    item(kEditDiameterOffset).setText(numberText(g_fmtFine, std::fabs(tool.offset)));
    item(kCheckToolMaterial).setCheck(materialWanted != 0);
    item(kCheckToolName).setCheck(nameWanted != 0);
    item(kEditToolName).setText(wantedToolName);
    item(kCheckStockToLeave).setCheck(bottom.offsetOn != 0);
    stockSign = static_cast<std::int16_t>(bottom.offset < signLimit ? -1 : 1);
    showSign(kButtonStockSign, stockSign);
    item(kEditStockToLeave).setText(numberText(g_fmtFine, std::fabs(bottom.offset)));

    struct LIST {
        const char* section;
        int lines;
        std::initializer_list<int> combos;
        int selected;
    };
    const LIST lists[] = {
        {"CCompTypes", 5, {kComboCompType, kComboHelixCompType, kComboThreadCompType},
         operation.get<std::int16_t>(hostBlock6 + comp_fields::type)},
        {"CDirTypes", 2, {kComboCompDirection, kComboHelixCompDirection},
         operation.get<std::uint8_t>(hostBlock6 + comp_fields::direction)},
        {"CTipCompTypes", 2, {kComboTipComp, kComboHelixTipComp},
         operation.get<std::uint8_t>(circleMillBlock + C::tipComp)},
    };
    for (const LIST& list : lists) {
        CTextSection lines;
        (void)lines.load(g_globals->uiTextFile, list.section, false);
        for (int id : list.combos) {
            plat::Control& combo = item(id);
            combo.resetContent();
            for (int line = 1; line <= list.lines; ++line) combo.addString(lines.getText(line));
            combo.setCurSel(list.selected >= 0 && list.selected < list.lines ? list.selected : -1);
        }
    }

    item(kCheckCalcEachForm).setCheck(calcEachForm != 0);
    for (const PAGE_FIELD& f : kPageFields) {
        plat::Control& c = item(f.control);
        switch (f.kind) {
            case FK::flag: c.setCheck(operation.get<std::uint8_t>(f.at) != 0); break;
            case FK::count16: c.setText(std::to_string(operation.get<std::int16_t>(f.at))); break;
            case FK::count32: c.setText(std::to_string(operation.get<std::int32_t>(f.at))); break;
            default: c.setText(numberText(formatOf(f.kind), operation.get<double>(f.at))); break;
        }
    }
    const bool finalDepth = operation.get<std::uint8_t>(circleMillBlock + C::finishAtEachDepth) == 0;
    item(kRadioFinishAtFinalDepth).setCheck(finalDepth);
    item(kRadioFinishAtEachDepth).setCheck(!finalDepth);
    for (const THREAD_PAIR& p : kThreadPairs) {
        const bool zero = threadPairValue(operation, p) == 0;
        item(p.zero).setCheck(zero);
        item(p.one).setCheck(!zero);
    }
    item(kHiddenHelicalXYClearance)
        .setText(numberText(g_fmtMedium, operation.get<double>(circleMillBlock + C::helixXYClearance)));
    item(kHiddenHelicalZClearance)
        .setText(numberText(g_fmtMedium, operation.get<double>(circleMillBlock + C::helixZClearance)));
    item(kHiddenHelicalPlungeAngle)
        .setText(numberText(g_fmtMedium, operation.get<double>(circleMillBlock + C::helixPlungeAngle)));
}

void CDlgEditProcessOpe::enableCheckedGroups() {
    auto checked = [this](int id) { return item(id).check() != 0; };
    for (int id : kDepthCutControls) item(id).enable(checked(kCheckDepthCuts));
    for (int id : kCircleRoughingControls) item(id).enable(checked(kCheckCircleRoughing));
    for (int id : kRadialCutControls) item(id).enable(checked(kCheckRadialCuts));
    const bool contour = checked(kCheckContourRoughing);
    for (int id : kContourRoughingControls) item(id).enable(contour);
    for (int id : kLeadInControls) item(id).enable(contour && checked(kCheckLeadIn));
    for (int id : kLeadOutControls) item(id).enable(contour && checked(kCheckLeadOut));
}

void CDlgEditProcessOpe::enableByKind() {
    enableCheckedGroups();
    if (milledKind >= kCircleMill && milledKind <= kThreadMill) {
        if (assoc[kToolDiamBlock].mode == 1) toolDiameterMode = 0;
        item(kButtonToolDiameterAssociate).enable(false);
        item(kRadioToolDiameterAssociated).enable(false);
        item(kEditToolDiameter).enable(true);
        item(kCheckDiameterOffset).enable(false);
        assoc[kTopZBlock].mode = 1;
        topZMode = 1;
        item(kRadioTopZFixed).enable(false);
        item(kEditTopZ).enable(false);
        const MILLED_DIAMETER_CONTROLS& c = milledDiameterControls(milledKind);
        const bool associated = assoc[static_cast<std::size_t>(kBottomZBlock + milledKind)].mode != 0;
        item(c.button).enable(associated);
        item(c.associatedRadio).setCheck(associated);
        item(c.fixedRadio).setCheck(!associated);
    }
    if (milledKind == kHelixBore) {
        const std::size_t at = helixBoreBlock;
        item(kEditHelixRoughStepover).enable(operation.get<std::int16_t>(at + H::roughPasses) > 1);
        item(kEditArcTolerance).enable(operation.get<std::uint8_t>(at + H::arcOutput) != 0);
        const bool finish = operation.get<std::uint8_t>(at + H::finishOn) != 0;
        for (int id : {kEditFinishPitch, kEditHelixFinishStepover, kHiddenFinishFeed, kEditFinishFeedPercent,
                       kHiddenFinishSpeed, kEditFinishSpeedPercent})
            item(id).enable(finish);
    }
    if (milledKind == kThreadMill) {
        int sum = 0;
        for (const THREAD_PAIR& p : kThreadPairs) sum += threadPairValue(operation, p);
        item(kLabelMillingDirection).setText(texts.getText(sum % 2 != 0 ? kLineOddThread : kLineEvenThread));
        const std::size_t at = threadMillBlock;
        item(kEditLinearizeTolerance).enable(operation.get<std::uint8_t>(at + T::linearize) != 0);
        const bool passes = operation.get<std::uint8_t>(hostBlock40 + R::on) != 0;
        for (int id : {kEditThreadRoughPasses, kEditThreadRoughStepover, kEditThreadFinishPasses,
                       kEditThreadFinishStepover, kEditSpringPasses, kCheckOverrideFeed, kCheckOverrideSpeed})
            item(id).enable(passes);
        item(kEditOverrideFeed).enable(operation.get<std::uint8_t>(at + T::feedOverrideOn) != 0);
        item(kEditOverrideSpeed).enable(operation.get<std::uint8_t>(at + T::speedOverrideOn) != 0);
    }
    if (milledKind == kMilledNone) {
        for (int id : {kButtonToolDiameterAssociate, kRadioToolDiameterAssociated, kRadioTopZFixed})
            item(id).enable(true);
        // The top Z edit only where the top Z is typed.
        item(kEditTopZ).enable(assoc[kTopZBlock].mode == 0);
    }
    updateData(false);
    applyToolDiameterMode();
    applyBottomZMode();
    enableWishes();
}

void CDlgEditProcessOpe::toolFromLibrary() {
    if (!g_machineGroup) {
        plat::messageBox(this, errorMessage(kMsgNoMachineGroup), errorMessage(1), plat::MB_OK);
        return;
    }
    const double typed = textNumber(item(kEditToolDiameter).text());
    int startSlot = 0;
    tp_tool found{};
    if (toolDiameterMode == 2 && !libraryToolName.empty() &&
        findLibraryToolByName(static_cast<std::int16_t>(toolType), libraryToolName, &found) == 1) {
        startSlot = found.slot;
    } else {
        tool_node* list = nullptr;
        (void)list_manager(kListTools, "", kListLoad, &list);
        for (const tool_node* n = list; n; n = n->next)
            if (n->tool.type == toolType && std::fabs(n->tool.diameter - typed) < g_tolerances.tolT) {
                startSlot = n->tool.slot;
                break;
            }
        (void)list_manager(kListTools, "", kListFree, &list);
    }
    tp_tool picked{};
    const std::string library = configuredToolLibrary();
    if (library_manager(kLibraryPickTool, library.c_str(), &picked, startSlot) != 1) return;
    std::string name(picked.name, strnlen(picked.name, sizeof picked.name));
    const auto first = name.find_first_not_of(' ');
    name = first == std::string::npos ? std::string() : name.substr(first, name.find_last_not_of(' ') - first + 1);
    item(kLabelLibraryTool).setText(name);
    toolType = picked.type;
    libraryToolName = name;
    assoc[kToolDiamBlock].value = picked.diameter;
    toolDiameterText = numberText(g_fmtCoarse, picked.diameter);
    plat::Control& combo = item(kComboToolType);
    for (int i = 0; i < combo.count(); ++i)
        if (combo.itemData(i) == picked.type) {
            toolTypeIndex = i;
            combo.setCurSel(i);
            break;
        }
    updateData(false);
}

void CDlgEditProcessOpe::onToolTip(plat::Notify& n) {
    if (n.ctlId != kButtonCalculateCuts) return;
    ToolTipLook& look = toolTipLook();
    look.maxWidth = 300;
    look.autoPopMs = 20000;
    look.initialMs = 100;
    look.reshowMs = 100;
    tipText = texts.getMessage(kLineCalculateTip).substr(0, kTipChars);
    n.text = tipText;
}
