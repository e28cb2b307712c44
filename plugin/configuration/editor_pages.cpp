// The editor's pages and the choices that change what it shows and enables: the tab, the tool type, the
// cycle (which sets the milled-hole kind and its host defaults), the modes of the measures, the check boxes
// of the milled pages and the sign buttons; and the diameter the hole has when the operation starts.
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/configuration/editor_record.h"
#include "plugin/configuration/editor_support.h"
#include "plugin/model/host_blocks.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/resources/operation_editor_ids.h"
#include "plugin/services/configuration.h"
#include "plugin/services/tables.h"
#include "plugin/services/tooling.h"

using namespace oe;

namespace {

using namespace process_ope;

constexpr int kLineNoToolDiameter = 91, kLineGeneralTab = 50;
constexpr std::size_t kDefaultsSize = 648, kDefaultsHelixDouble = 6;   // the seventh double of the defaults

struct PAGE_LIST {
    std::int16_t kind;
    std::initializer_list<int> controls;
};

// The controls of each page, by the milled kind they belong to (0 every kind the page is shown for).
const std::array<std::initializer_list<PAGE_LIST>, EDITOR_PAGES::kPages>& pageLists() {
    static const std::array<std::initializer_list<PAGE_LIST>, EDITOR_PAGES::kPages> lists = {{
        {{0, {kEditComment, kGroupTool, kEditCornerRadius, kRadioCornerAsGeometry, kRadioCornerThisValue,
              kGroupCornerRadius, kLabelCycle, kComboCycle, kLabelComment, kRadioToolDiameterFixed,
              kRadioToolDiameterAssociated, kRadioToolDiameterLibrary, kLabelLibraryTool, kButtonLibraryTool,
              kButtonToolDiameterAssociate, kCheckDiameterOffset, kButtonOffsetSign, kEditDiameterOffset, kGroupTopZ,
              kGroupBottomZ, kGroupToolDiameter, kLabelToolType, kButtonTopZAssociate, kButtonBottomZAssociate,
              kLabelBottomZAssociation, kLabelTopZAssociation, kLabelToolDiameterAssociation, kCheckFromTopZ,
              kLabelFirstDrillPercent, kEditFirstDrillPercent, kRadioBottomZFixed, kRadioBottomZAssociated,
              kRadioBottomZFirstDrill, kRadioTopZFixed, kCheckStockToLeave, kEditStockToLeave, kButtonStockSign,
              kRadioTopZAssociated, kRadioTopZPreviousMaterial, kEditBottomZ, kEditTopZ, kComboToolType,
              kEditToolDiameter, kCheckToolMaterial, kCheckToolName, kComboToolMaterial, kEditToolName}}},
        {{0, {kComboCompType, kLabelCompType, kComboCompDirection, kLabelCompDirection, kGroupDepthCuts,
              kCheckDepthCuts, kGroupRadialCuts, kCheckRadialCuts, kEditMaxRoughStep, kEditFinishCuts, kEditFinishStep,
              kLabelMaxRoughStep, kLabelFinishCuts, kLabelFinishStep, kGroupRoughPasses, kGroupFinishPasses,
              kEditRoughPassCount, kEditFinishPassCount, kEditRoughSpacing, kEditFinishSpacing, kLabelRoughPassCount,
              kLabelRoughSpacing, kLabelFinishPassCount, kLabelFinishSpacing, kGroupFinishPassesAt,
              kRadioFinishAtFinalDepth, kRadioFinishAtEachDepth, kEditXYStock, kEditZStock, kLabelXYStock, kLabelZStock,
              kEditOverlap, kLabelOverlap, kGroupCompensation, kComboTipComp, kButtonCalculateCuts,
              kCheckCalcEachForm}},
         {1, {kGroupCircleDiameter, kRadioCircleDiameterFixed, kRadioCircleDiameterAssociated, kEditCircleDiameter,
              kButtonCircleDiameterAssociate, kLabelCircleDiameterAssociation, kComboCircleCycle, kGroupCircleRoughing,
              kCheckCircleRoughing, kEditStepoverPercent, kEditStepover, kLabelStepover, kLabelStepoverPercent,
              kCheckHelicalEntry, kButtonHelicalEntry, kButtonCircleEntryExit}},
         {2, {kGroupContourDiameter, kRadioContourDiameterFixed, kRadioContourDiameterAssociated, kEditContourDiameter,
              kButtonContourDiameterAssociate, kLabelContourDiameterAssociation, kGroupContourRoughing,
              kCheckContourRoughing, kEditContourOverlap, kLabelContourOverlap, kCheckLeadIn, kEditLeadInPercent,
              kLabelLeadInPercent, kEditLeadInRadius, kCheckLeadOut, kEditLeadOutPercent, kLabelLeadOutPercent,
              kEditLeadOutRadius}}},
        {{3, {kGroupBoreDiameter, kRadioBoreDiameterFixed, kRadioBoreDiameterAssociated, kEditBoreDiameter,
              kButtonBoreDiameterAssociate, kLabelBoreDiameterAssociation, kGroupHelixCompensation, kComboHelixCompType,
              kLabelHelixCompType, kComboHelixCompDirection, kLabelHelixCompDirection, kComboHelixTipComp,
              kLabelHelixTipComp, kEditHelixXYStock, kEditHelixZStock, kLabelHelixXYStock, kLabelHelixZStock,
              kEditHelixOverlap, kLabelHelixOverlap, kButtonHelixEntryExit, kGroupHelixRoughing, kEditRoughPitch,
              kEditHelixRoughPasses, kEditHelixRoughStepover, kEditFinishAllowancePercent, kLabelRoughPitch,
              kLabelHelixRoughPasses, kLabelHelixRoughStepover, kLabelFinishAllowance, kLabelFinishAllowancePercent,
              kGroupHelixFinish, kCheckFinishPass, kEditFinishPitch, kEditHelixFinishStepover, kEditFinishFeedPercent,
              kEditFinishSpeedPercent, kLabelFinishPitch, kLabelHelixFinishStepover, kLabelFinishFeed,
              kLabelFinishSpeed, kLabelFinishFeedPercent, kLabelFinishSpeedPercent, kCheckArcOutput, kEditArcTolerance,
              kLabelArcTolerance}}},
        {{4, {kGroupThreadDiameter, kRadioThreadDiameterFixed, kRadioThreadDiameterAssociated, kEditThreadDiameter,
              kButtonThreadDiameterAssociate, kLabelThreadDiameterAssociation, kRadioInternalThread,
              kRadioExternalThread, kRadioRightHand, kRadioLeftHand, kRadioTopToBottom, kRadioBottomToTop,
              kLabelMillingDirection, kEditThreadPitch, kEditThreadStartAngle, kEditThreadAllowance, kEditTaperAngle,
              kEditArcClearance, kEditLineLength, kLabelThreadPitch, kLabelThreadStartAngle, kLabelThreadAllowance,
              kLabelTaperAngle, kLabelArcClearance, kLabelLineLength, kComboThreadCompType, kLabelThreadCompType,
              kCheckThreadStartAtCentre, kCheckThreadPerpendicularEntry, kCheckHelicalTop, kCheckHelicalBottom,
              kCheckLinearize, kEditLinearizeTolerance, kLabelLinearizeTolerance, kGroupMultipasses, kCheckMultipasses,
              kEditThreadRoughPasses, kEditThreadRoughStepover, kEditThreadFinishPasses, kEditThreadFinishStepover,
              kEditSpringPasses, kLabelThreadRoughPasses, kLabelThreadRoughStepover, kLabelThreadFinishPasses,
              kLabelThreadFinishStepover, kLabelSpringPasses, kCheckOverrideFeed, kEditOverrideFeed,
              kCheckOverrideSpeed, kEditOverrideSpeed, kEditActiveTeeth, kEditTopOfThread, kLabelActiveTeeth,
              kLabelTopOfThread}}},
    }};
    return lists;
}

}  // namespace

void CDlgEditProcessOpe::buildPages() {
    pages = EDITOR_PAGES{};
    pages.columnCount = 1;
    pages.pageCount = EDITOR_PAGES::kPages;
    for (std::size_t p = 0; p < EDITOR_PAGES::kPages; ++p) {
        std::size_t n = 0;
        for (const PAGE_LIST& list : pageLists()[p])
            for (int id : list.controls)
                if (n + 1 < EDITOR_PAGES::kEntries) pages.entries[p][n++] = EDITOR_PAGE_ENTRY{id, list.kind};
    }
}

void CDlgEditProcessOpe::showPage(std::int16_t page) {
    int shown = page;
    if (page == 1) shown = milledKind == 1 || milledKind == 2 ? 1 : milledKind - 1;
    for (int p = 0; p < EDITOR_PAGES::kPages; ++p)
        for (const EDITOR_PAGE_ENTRY& e : pages.entries[static_cast<std::size_t>(p)]) {
            if (e.control == 0) break;
            if (plat::Control* c = findItem(e.control))
                c->show(p == shown && (e.kind == 0 || e.kind == milledKind));
        }
    plat::Control& tab = item(kTab);
    if (milledKind >= 1 && milledKind <= 4) {
        tab.setItemText(1, "      " + texts.getText(kLineGeneralTab + milledKind));
        tab.show(true);
    } else {
        tab.show(false);
    }
}

void CDlgEditProcessOpe::onTabClick() {
    plat::Control& tab = item(kTab);
    const int chosen = tab.curSel();
    if (chosen > 0 && assoc[kToolDiamBlock].value < g_tolerances.tol04T) {
        plat::messageBox(this, texts.getText(kLineNoToolDiameter), errorMessage(1), plat::MB_OK);
        tab.setCurSel(0);
        return;
    }
    currentPage = static_cast<std::int16_t>(std::max(chosen, 0));
    showPage(currentPage);
}

void CDlgEditProcessOpe::onToolTypeChange() {
    readControls();
    plat::Control& combo = item(kComboToolType);
    toolTypeIndex = combo.curSel();
    toolType = static_cast<std::int32_t>(combo.itemData(toolTypeIndex));
    if (assoc[kBottomZBlock].mode == 2) {
        assoc[kBottomZBlock].mode = 1;
        bottomZMode = 1;
    }
    enableBottomZModes();
    if (milledKind != 1) {
        cycleIndex = static_cast<std::int16_t>(mapToolTypeCode(static_cast<std::int16_t>(toolType)));
        item(kComboCycle).setCurSel(cycleIndex);
    }
    updateData(false);
    updateToolDiameterText();
    enableCornerRadius();
}

void CDlgEditProcessOpe::enableBottomZModes() {
    for (int id : {kEditFirstDrillPercent, kLabelFirstDrillPercent, kRadioBottomZFirstDrill}) item(id).enable(false);
    switch (toolType) {
        case 1: case 2: case 3: case 9: case 12:
            for (int id : {kEditFirstDrillPercent, kLabelFirstDrillPercent, kRadioBottomZFirstDrill})
                item(id).enable(true);
            return;
        default:
            break;
    }
    if (assoc[kBottomZBlock].mode == 3 || bottomZMode == 3) {
        assoc[kBottomZBlock].mode = 1;
        bottomZMode = 1;
        item(kButtonBottomZAssociate).enable(true);
    }
}

void CDlgEditProcessOpe::enableCornerRadius() {
    const bool on = toolType == 10 || toolType == 19;
    for (int id : {kGroupCornerRadius, kRadioCornerAsGeometry, kRadioCornerThisValue, kEditCornerRadius})
        item(id).enable(on);
    if (on) onCornerRadiusChoice();
}

namespace {

// What each tool diameter mode enables: the edit, the offset check, the library tool, the wishes.
struct DIAMETER_MODE_ENABLING {
    bool edit, offset, library, wishes;
};
constexpr DIAMETER_MODE_ENABLING kDiameterModes[3] = {
    {true, false, false, true}, {false, true, false, true}, {false, false, true, false}};

// What each bottom Z mode enables: the edit, from-top-Z, the associate button and label, the percentage,
// the stock to leave.
struct BOTTOM_MODE_ENABLING {
    bool edit, fromTop, associate, percent, stock;
};
constexpr BOTTOM_MODE_ENABLING kBottomModes[4] = {{true, true, false, false, false},
                                                  {false, false, true, false, true},
                                                  {false, false, false, false, false},
                                                  {false, false, false, true, false}};

}  // namespace

void CDlgEditProcessOpe::onToolDiameterMode() {
    readControls();
    applyToolDiameterMode();
}

void CDlgEditProcessOpe::applyToolDiameterMode() {
    if (toolDiameterMode >= 0) assoc[kToolDiamBlock].mode = static_cast<std::int16_t>(toolDiameterMode);
    const DIAMETER_MODE_ENABLING& e = kDiameterModes[std::clamp<int>(assoc[kToolDiamBlock].mode, 0, 2)];
    item(kEditToolDiameter).enable(e.edit);
    item(kCheckDiameterOffset).enable(e.offset);
    item(kLabelLibraryTool).enable(e.library);
    item(kButtonLibraryTool).enable(e.library);
    item(kCheckToolMaterial).enable(e.wishes);
    item(kCheckToolName).enable(e.wishes);
    enableWishes();
    updateData(false);
    updateToolDiameterText();
    enableOffset();
}

void CDlgEditProcessOpe::enableWishes() {
    item(kComboToolMaterial).enable(item(kCheckToolMaterial).enabled() && item(kCheckToolMaterial).check() != 0);
    item(kEditToolName).enable(item(kCheckToolName).enabled() && item(kCheckToolName).check() != 0);
}

void CDlgEditProcessOpe::onTopZMode() {
    const int old = topZMode;
    readControls();
    if (topZMode >= 0) assoc[kTopZBlock].mode = static_cast<std::int16_t>(topZMode);
    if (topZMode == 1 && old != 1 && item(kLabelTopZAssociation).text().empty()) {
        endForPick(502);
        return;
    }
    item(kEditTopZ).enable(topZMode == 0);
    updateData(false);
}

void CDlgEditProcessOpe::onBottomZMode() {
    readControls();
    applyBottomZMode();
}

void CDlgEditProcessOpe::applyBottomZMode() {
    if (bottomZMode >= 0) assoc[kBottomZBlock].mode = static_cast<std::int16_t>(bottomZMode);
    const BOTTOM_MODE_ENABLING& e = kBottomModes[std::clamp<int>(assoc[kBottomZBlock].mode, 0, 3)];
    item(kEditBottomZ).enable(e.edit);
    item(kCheckFromTopZ).enable(e.fromTop);
    item(kButtonBottomZAssociate).enable(e.associate);
    item(kLabelBottomZAssociation).enable(e.associate);
    item(kEditFirstDrillPercent).enable(e.percent);
    item(kCheckStockToLeave).enable(e.stock);
    updateData(false);
    onStockCheck();
}

void CDlgEditProcessOpe::onMilledDiameterMode(int block) {
    const MILLED_DIAMETER_CONTROLS& c = milledDiameterControls(block - kBottomZBlock);
    const bool associated = item(c.associatedRadio).check() != 0;
    item(c.edit).enable(!associated);
    item(c.button).enable(associated);
    assoc[static_cast<std::size_t>(block)].mode = associated ? 1 : 0;
}

// ---- the check boxes of the milled pages ----

void CDlgEditProcessOpe::onDepthCuts() {
    const bool on = item(kCheckDepthCuts).check() != 0;
    for (int id : kDepthCutControls) item(id).enable(on);
}

void CDlgEditProcessOpe::onCircleRoughing() {
    const bool on = item(kCheckCircleRoughing).check() != 0;
    for (int id : kCircleRoughingControls) item(id).enable(on);
    onHelicalEntryCheck();
}

void CDlgEditProcessOpe::onRadialCuts() {
    const bool on = item(kCheckRadialCuts).check() != 0;
    for (int id : kRadialCutControls) item(id).enable(on);
}

void CDlgEditProcessOpe::onContourRoughing() {
    readControls();
    const bool on = item(kCheckContourRoughing).check() != 0;
    for (int id : kContourRoughingControls) item(id).enable(on);
    for (int id : kLeadInControls) item(id).enable(on && item(kCheckLeadIn).check() != 0);
    for (int id : kLeadOutControls) item(id).enable(on && item(kCheckLeadOut).check() != 0);
    fillCompCombos();
}

void CDlgEditProcessOpe::onLeadIn() {
    readControls();
    for (int id : kLeadInControls) item(id).enable(item(kCheckLeadIn).check() != 0);
    fillCompCombos();
}

void CDlgEditProcessOpe::onLeadOut() {
    readControls();
    for (int id : kLeadOutControls) item(id).enable(item(kCheckLeadOut).check() != 0);
    fillCompCombos();
}

void CDlgEditProcessOpe::onHelicalEntryCheck() {
    const std::uint8_t on = item(kCheckHelicalEntry).check() != 0 ? 1 : 0;
    operation.set<std::uint8_t>(circleMillBlock + circle_fields::helixOn, on);
    operation.set<std::uint8_t>(circleMillBlock + circle_fields::roughOn, on);
}

void CDlgEditProcessOpe::onMilledFlag(std::size_t at, int check) {
    operation.set<std::uint8_t>(at, item(check).check() != 0 ? 1 : 0);
    enableByKind();
}

// ---- signs ----

void CDlgEditProcessOpe::showSign(int button, std::int16_t sign) { item(button).setText(sign < 1 ? g_txtMinus : g_txtPlus); }

void CDlgEditProcessOpe::toggleOffsetSign() {
    offsetSign = static_cast<std::int16_t>(-offsetSign);
    showSign(kButtonOffsetSign, offsetSign);
}

void CDlgEditProcessOpe::toggleStockSign() {
    stockSign = static_cast<std::int16_t>(-stockSign);
    showSign(kButtonStockSign, stockSign);
}

void CDlgEditProcessOpe::endForPick(int code) {
    readControls();
    endCode = static_cast<std::int16_t>(code);
    endDialog(code);
}

// ---- the start hole ----

namespace {

// The bottom Z of a stored operation: its value, or where its form step puts it. A step the table does not
// have binds nothing: the value stands.
double storedBottomZ(const CDlgEditProcessOpe& e, const PROCESS_OPE& op) {
    ASSOC_VALUE b;
    b.stepIndex = opeGet(op, zInfCyl);
    const TAB_FORM_STEP* step = opeGet(op, zInfAssoc) != 0 ? e.formStep(b) : nullptr;
    if (!step) return opeGet(op, zInf);
    return opeGet(op, zInfZPl) ? step->bottomDepth : step->topDepth;
}

double storedToolDiameter(const CDlgEditProcessOpe& e, const PROCESS_OPE& op) {
    ASSOC_VALUE b;
    b.stepIndex = opeGet(op, toolDiamCyl);
    const TAB_FORM_STEP* step = opeGet(op, toolDiamAssoc) == 1 ? e.formStep(b) : nullptr;
    return step ? step->startDiameter : opeGet(op, toolDiam);
}

}  // namespace

double CDlgEditProcessOpe::startDiameter() const {
    if (operationIndex <= 0 || !operations) return 0.0;
    const double bottom = operationIndex < operationCount ? storedBottomZ(*this, operations[operationIndex]) : 0.0;
    double largest = 0.0;
    for (int i = 0; i < operationIndex && i < operationCount; ++i) {
        const PROCESS_OPE& op = operations[i];
        const std::uint32_t type = opeGet(op, operationType);
        if (type != 3 && type != 10 && type != 19) continue;
        if (bottom + g_tolerances.tol4T > storedBottomZ(*this, op))
            largest = std::max(largest, storedToolDiameter(*this, op));
    }
    return largest;
}

// ---- the cycle, which sets the milled kind ----

void CDlgEditProcessOpe::onCycleChange() {
    readControls();
    cycleIndex = static_cast<std::int16_t>(item(kComboCycle).curSel());
    std::int16_t kind = 0;
    if (cycleIndex >= 0 && cycleIndex < cycles.count && cycles.entries[cycleIndex].milled == 1) {
        kind = static_cast<std::int16_t>(cycles.entries[cycleIndex].number + 1);
        if (kind == milledKind) return;
    }
    if (kind >= kCircleMill && kind <= kThreadMill) {
        std::array<std::uint8_t, kDefaultsSize> defaults{};
        (void)getHostOpDefaults(kind, assoc[kToolDiamBlock].value, &operation, defaults.data());
        ASSOC_VALUE& block = assoc[static_cast<std::size_t>(kBottomZBlock + kind)];
        // The step at the block's point; without one the diameter stays the block's and nothing is bound.
        ASSOC_VALUE at = block;
        at.stepIndex = static_cast<std::int16_t>(block.stepIndex + block.stepEnd);
        const TAB_FORM_STEP* step = formStep(at);
        if (!step) step = formStep(block);
        double d1 = block.value, d2 = block.value;
        if (step) {
            d1 = step->startDiameter;
            d2 = step->endDiameter;
        } else {
            block.columnId = 0;
            item(milledDiameterControls(kind).label).setText("");
        }
        const double start = startDiameter();
        if (kind == kCircleMill) operation.set<double>(circleMillBlock + circle_fields::circleDiameter, d1);
        if (kind == kHelixBore) {
            double seventh = 0;
            std::memcpy(&seventh, defaults.data() + 8 * kDefaultsHelixDouble, sizeof seventh);
            operation.set<double>(helixBoreBlock + helix_fields::boreDiameter, d1);
            operation.set<double>(helixBoreBlock + helix_fields::finishValue,
                                  seventh * textNumber(item(kEditFinishAllowancePercent).text()) / 100);
        }
        if (kind == kThreadMill) operation.set<double>(threadMillBlock + thread_fields::threadDiameter, d1);
        if (kind != kContour && assoc[kToolDiamBlock].value < g_tolerances.tolT) {
            assoc[kToolDiamBlock].value = 0.5 * d1;
            updateToolDiameterText();
        }
        (void)calculateCuts(operation, kind, assoc[kToolDiamBlock].value, d1, d2, start);
        fillCompCombos();
        enableByKind();
    }
    milledKind = kind;
    showPage(0);
    fillCompCombos();
    enableByKind();
}
