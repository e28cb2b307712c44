// The operation editor as it opens: its handlers, the drill-size and thread tables of the library, the texts
// of its controls, the tool-type, material and cycle lists, and what it shows of the measures associated to
// the row's hole form.
#include <algorithm>
#include <cstdio>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/tool_types.h"
#include "plugin/configuration/editor_support.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/resources/operation_editor_ids.h"
#include "plugin/services/configuration.h"
#include "plugin/services/tables.h"

using namespace oe;

namespace {

constexpr int kMsgCentreDrillRefused = 141;       // "ErrorMessages"
constexpr int kLineReadOnly = 201;                 // "SharedData"
constexpr int kLineStepEnd = 21, kLineStepStart = 22;
constexpr int kThreadStep = 1, kDrillSizeStep = 2;  // the step flags of a row's form

struct LABEL {
    int line, control;
};

// The line of "EditProcessOpeDlg" each control shows.
constexpr LABEL kLabels[] = {
    // general page
    {2, kLabelToolType}, {3, kLabelComment}, {4, kGroupToolDiameter}, {5, kRadioToolDiameterFixed},
    {6, kRadioToolDiameterLibrary}, {7, kButtonToolDiameterAssociate}, {8, kGroupTopZ}, {9, kRadioTopZFixed},
    {10, kButtonTopZAssociate}, {11, kRadioTopZPreviousMaterial}, {12, kGroupBottomZ}, {13, kRadioBottomZFixed},
    {14, kCheckFromTopZ}, {15, kButtonBottomZAssociate}, {16, kRadioBottomZFirstDrill}, {17, kLabelFirstDrillPercent},
    {18, plat::IDOK}, {19, kButtonOtherOperation}, {20, plat::IDCANCEL}, {23, kLabelCycle}, {28, kGroupTool},
    {29, kButtonLibraryTool}, {30, kGroupCornerRadius}, {31, kRadioCornerAsGeometry}, {32, kRadioCornerThisValue},
    {33, kCheckDiameterOffset}, {34, kCheckStockToLeave}, {35, kCheckToolMaterial}, {36, kCheckToolName},
    // circle-mill and contour page
    {100, kGroupCompensation}, {101, kLabelCompType}, {102, kLabelCompDirection}, {104, kLabelOverlap},
    {105, kLabelXYStock}, {106, kLabelZStock}, {107, kButtonCalculateCuts}, {108, kCheckDepthCuts},
    {109, kLabelMaxRoughStep}, {110, kLabelFinishCuts}, {111, kLabelFinishStep}, {112, kCheckCircleRoughing},
    {113, kLabelStepover}, {114, kLabelStepoverPercent}, {115, kButtonHelicalEntry}, {116, kButtonCircleEntryExit},
    {117, kCheckCalcEachForm}, {123, kCheckRadialCuts}, {124, kGroupRoughPasses}, {125, kGroupFinishPasses},
    {126, kLabelRoughPassCount}, {127, kLabelRoughSpacing}, {128, kLabelFinishPassCount}, {129, kLabelFinishSpacing},
    {130, kGroupFinishPassesAt}, {131, kRadioFinishAtFinalDepth}, {132, kRadioFinishAtEachDepth},
    {141, kGroupCircleDiameter}, {142, kRadioCircleDiameterFixed}, {143, kButtonCircleDiameterAssociate},
    {146, kGroupContourDiameter}, {147, kRadioContourDiameterFixed}, {148, kButtonContourDiameterAssociate},
    {151, kCheckContourRoughing}, {152, kCheckLeadIn}, {153, kCheckLeadOut}, {154, kLabelLeadInPercent},
    {155, kLabelLeadOutPercent}, {156, kLabelContourOverlap},
    // helix-bore page
    {100, kGroupHelixCompensation}, {101, kLabelHelixCompType}, {102, kLabelHelixCompDirection},
    {103, kLabelHelixTipComp}, {104, kLabelHelixOverlap}, {105, kLabelHelixXYStock}, {106, kLabelHelixZStock},
    {116, kButtonHelixEntryExit}, {211, kGroupBoreDiameter}, {212, kRadioBoreDiameterFixed},
    {213, kButtonBoreDiameterAssociate}, {221, kLabelRoughPitch}, {222, kLabelHelixRoughPasses},
    {223, kLabelHelixRoughStepover}, {224, kLabelFinishAllowance}, {225, kLabelFinishAllowancePercent},
    {226, kCheckFinishPass}, {227, kLabelFinishPitch}, {228, kLabelHelixFinishStepover}, {229, kLabelFinishFeed},
    {230, kLabelFinishFeedPercent}, {231, kLabelFinishSpeed}, {232, kLabelFinishSpeedPercent}, {233, kCheckArcOutput},
    {234, kLabelArcTolerance},
    // thread-mill page
    {101, kLabelThreadCompType}, {311, kGroupThreadDiameter}, {312, kRadioThreadDiameterFixed},
    {313, kButtonThreadDiameterAssociate}, {321, kRadioInternalThread}, {322, kRadioExternalThread},
    {323, kRadioRightHand}, {324, kRadioLeftHand}, {325, kRadioTopToBottom}, {326, kRadioBottomToTop},
    {336, kLabelThreadPitch}, {337, kLabelThreadStartAngle}, {338, kLabelThreadAllowance}, {339, kLabelTaperAngle},
    {340, kLabelArcClearance}, {341, kLabelLineLength}, {351, kCheckThreadStartAtCentre},
    {352, kCheckThreadPerpendicularEntry}, {353, kCheckHelicalTop}, {354, kCheckHelicalBottom}, {355, kCheckLinearize},
    {356, kLabelLinearizeTolerance}, {360, kCheckMultipasses}, {361, kLabelThreadRoughPasses},
    {362, kLabelThreadRoughStepover}, {363, kLabelThreadFinishPasses}, {364, kLabelThreadFinishStepover},
    {365, kLabelSpringPasses}, {366, kCheckOverrideFeed}, {367, kCheckOverrideSpeed}, {368, kLabelActiveTeeth},
    {369, kLabelTopOfThread},
};

// What a station that only reads the shared library may not change.
constexpr int kReadOnlyControls[] = {
    kButtonLibraryTool, kRadioToolDiameterLibrary, kEditContourOverlap, kEditLeadOutRadius, kEditLeadOutPercent,
    kEditLeadInRadius, kEditLeadInPercent, kCheckLeadOut, kCheckLeadIn, kButtonOffsetSign, kEditDiameterOffset,
    kCheckDiameterOffset, kButtonCalculateCuts, kEditXYStock, kEditZStock, kHiddenHelicalZClearance,
    kHiddenHelicalXYClearance, kHiddenHelicalPlungeAngle, kEditStepover, kEditStepoverPercent, kRadioFinishAtEachDepth,
    kRadioFinishAtFinalDepth, kEditRoughSpacing, kEditRoughPassCount, kEditFinishSpacing, kEditFinishPassCount,
    kEditMaxRoughStep, kEditFinishStep, kEditFinishCuts, kHiddenEntryStartAngle, kEditOverlap, kComboCompDirection,
    kComboCompType, kCheckStockToLeave, kEditStockToLeave, kButtonStockSign, kEditComment, kEditCornerRadius,
    kRadioCornerAsGeometry, kRadioCornerThisValue, kComboCycle, kRadioToolDiameterFixed, kRadioToolDiameterAssociated,
    kButtonToolDiameterAssociate, kButtonTopZAssociate, kButtonBottomZAssociate, kCheckFromTopZ, kEditFirstDrillPercent,
    kRadioBottomZFixed, kRadioBottomZAssociated, kRadioBottomZFirstDrill, kRadioTopZFixed, kRadioTopZAssociated,
    kRadioTopZPreviousMaterial, kEditBottomZ, kEditTopZ, kComboToolType, kEditToolDiameter, kEditHelixXYStock,
    kEditHelixOverlap,
};
static_assert(std::size(kReadOnlyControls) == 60);

bool readOnlyStation() { return g_globals->sharedDataOn && g_globals->sharedAccessMode == 0; }

}  // namespace

CDlgEditProcessOpe::CDlgEditProcessOpe(plat::Dialog*) : plat::Dialog(kTemplate) {
    using plat::Ev;
    on(kTab, Ev::Clicked, [this](plat::Notify&) { onTabClick(); });
    on(kTab, Ev::SelChanging, [](plat::Notify& n) { n.result = 0; });
    on(kComboToolType, Ev::SelChange, [this](plat::Notify&) { onToolTypeChange(); });
    on(kComboCycle, Ev::SelChange, [this](plat::Notify&) { onCycleChange(); });
    on(kComboCircleCycle, Ev::SelChange,
       [this](plat::Notify&) { circleCycleIndex = static_cast<std::int16_t>(item(kComboCircleCycle).curSel()); });
    for (int id : {kRadioToolDiameterFixed, kRadioToolDiameterLibrary, kRadioToolDiameterAssociated})
        onCommand(id, [this] { onToolDiameterMode(); });
    for (int id : {kRadioTopZFixed, kRadioTopZAssociated, kRadioTopZPreviousMaterial})
        onCommand(id, [this] { onTopZMode(); });
    for (int id : {kRadioBottomZFixed, kRadioBottomZAssociated, kRadioBottomZHidden, kRadioBottomZFirstDrill})
        onCommand(id, [this] { onBottomZMode(); });
    for (int kind = 1; kind <= 4; ++kind) {
        const MILLED_DIAMETER_CONTROLS& c = milledDiameterControls(kind);
        for (int id : {c.fixedRadio, c.associatedRadio})
            onCommand(id, [this, kind] { onMilledDiameterMode(kBottomZBlock + kind); });
    }
    onCommand(kCheckDepthCuts, [this] { onDepthCuts(); });
    onCommand(kCheckCircleRoughing, [this] { onCircleRoughing(); });
    onCommand(kCheckHelicalEntry, [this] { onHelicalEntryCheck(); });
    onCommand(kCheckRadialCuts, [this] { onRadialCuts(); });
    onCommand(kCheckContourRoughing, [this] { onContourRoughing(); });
    onCommand(kCheckLeadIn, [this] { onLeadIn(); });
    onCommand(kCheckLeadOut, [this] { onLeadOut(); });
    onCommand(kButtonOffsetSign, [this] { toggleOffsetSign(); });
    onCommand(kButtonStockSign, [this] { toggleStockSign(); });
    struct PICK {
        int button, code;
    };
    for (PICK p : {PICK{kButtonOtherOperation, 504}, PICK{kButtonToolDiameterAssociate, 501},
                   PICK{kButtonTopZAssociate, 502}, PICK{kButtonBottomZAssociate, 503},
                   PICK{kButtonCircleDiameterAssociate, 505}, PICK{kButtonContourDiameterAssociate, 515},
                   PICK{kButtonBoreDiameterAssociate, 525}, PICK{kButtonThreadDiameterAssociate, 535}})
        onCommand(p.button, [this, p] { endForPick(p.code); });
    onCommand(kButtonCalculateCuts, [this] { onCalculateCuts(); });
    onCommand(kButtonHelicalEntry, [this] { runHelicalEntry(); });
    onCommand(kButtonCircleEntryExit, [this] { runCircleEntryExit(); });
    onCommand(kButtonHelixEntryExit, [this] { runHelixEntryExit(); });
    onMessage(plat::Msg::Close, [this](plat::MsgArgs&) { onClose(); });
    bindValueHandlers();
}

void CDlgEditProcessOpe::doDataExchange(plat::Ddx& ddx) {
    ddx.text(kEditToolDiameter, toolDiameterText);
    ddx.radio(kRadioToolDiameterFixed, toolDiameterMode);
    ddx.text(kEditTopZ, topZText);
    ddx.text(kEditBottomZ, bottomZText);
    ddx.radio(kRadioTopZFixed, topZMode);
    ddx.radio(kRadioBottomZFixed, bottomZMode);
    ddx.text(kEditComment, commentText);
    ddx.check(kCheckFromTopZ, fromTopZCheck);
    ddx.text(kEditFirstDrillPercent, firstDrillText);
    ddx.text(kEditCornerRadius, cornerRadiusText);
    ddx.radio(kRadioCornerAsGeometry, cornerRadiusChoice);
}

bool CDlgEditProcessOpe::onInitDialog() {
    if (texts.load(g_globals->uiTextFile, "EditProcessOpeDlg", true) != 0) {
        endDialog(plat::IDOK);
        return true;
    }
    if (milledKind >= 1 && milledKind <= 4) cycleIndex = static_cast<std::int16_t>(19 + milledKind);
    plat::Control& tab = item(kTab);
    tab.resetContent();
    tab.insertString(0, "      " + texts.getText(50));
    tab.insertString(1, " ");
    enableToolTips(true);

    // The template lays the pages one over another already; the window goes to the left of the screen.
    buildPages();
    const plat::Rect at = windowRect();
    moveWindow(plat::Rect{10, at.top, 10 + at.width(), at.bottom});
    repaint_graphics();
    showPage(0);

    loadTables();
    std::string caption = texts.getText(1);
    if (readOnlyStation()) {
        CTextSection shared;
        (void)shared.load(g_globals->uiTextFile, "SharedData", false);
        caption += " " + shared.getText(kLineReadOnly);
    }
    setWindowText(caption);
    setLabels();
    fillToolTypeCombo();
    fillMaterialCombo();
    fillCycleCombos();

    commentText = comment;
    item(kLabelLibraryTool).setText(libraryToolName);
    topZText = numberText(g_fmtMedium, assoc[kTopZBlock].value);
    bottomZText = numberText(g_fmtMedium, assoc[kBottomZBlock].value);
    firstDrillText = numberText("%.1f", firstDrillPercent);
    for (int id : {kLabelToolDiameterAssociation, kLabelTopZAssociation, kLabelBottomZAssociation,
                   kLabelCircleDiameterAssociation, kLabelBoreDiameterAssociation})
        item(id).setText("");
    toolDiameterMode = assoc[kToolDiamBlock].mode;
    topZMode = assoc[kTopZBlock].mode;
    bottomZMode = assoc[kBottomZBlock].mode;
    fromTopZCheck = fromTopZ;
    cornerRadiusText = numberText(g_fmtMedium, cornerRadius);

    normalizeAssocValues();
    showAssociations();
    enableCornerRadius();
    enableBottomZModes();
    fillCompCombos();
    enableByKind();
    if (readOnlyStation()) disableForReadOnly();

    // An operation without a milled kind has the general page alone, whatever page the last one was left on.
    if (milledKind < 1 || milledKind > 4) currentPage = 0;
    tab.setCurSel(currentPage);
    showPage(currentPage);
    return true;
}

void CDlgEditProcessOpe::loadTables() {
    drillSizeTable.clear();
    for (CTabColsDesc& t : threadTables) t.clear();
    threadTableCount = 0;
    // The folder's listing order is one order on every machine (names compared without case).
    CTabColsDesc scan;
    for (const std::string& file : listTableFiles(g_globals->tablesDir)) {
        if (threadTableCount >= static_cast<std::int16_t>(threadTables.size())) break;
        scan.clear();
        if (scan.read(file) != 0) continue;
        CTabColsDesc* into = nullptr;
        if (scan.tableClass == kTableDrillSize)
            into = &drillSizeTable;
        else if (scan.tableClass == kTableThread)
            into = &threadTables[static_cast<std::size_t>(threadTableCount)];
        if (!into) continue;
        into->clear();
        if (into->read(file) != 0 || into->readRows() < 0) {
            into->clear();
            continue;
        }
        if (scan.tableClass == kTableThread) ++threadTableCount;
    }
}

void CDlgEditProcessOpe::setLabels() {
    for (const LABEL& l : kLabels) item(l.control).setText(texts.getText(l.line));
}

void CDlgEditProcessOpe::fillToolTypeCombo() {
    const bool centreDrills = g_globals->settings.allowCenterDrill != 0;
    if (toolType == 1 && !centreDrills) {
        plat::messageBox(this, errorMessage(kMsgCentreDrillRefused), errorMessage(1), plat::MB_OK);
        toolType = 2;
    }
    plat::Control& combo = item(kComboToolType);
    combo.resetContent();
    int found = -1;
    for (const TOOL_OP_TYPE* row = g_toolOpTypes; row->type >= 0; ++row) {
        if (row->toolName[0] == '\0' || (row->type == 1 && !centreDrills)) continue;
        const int at = combo.addString(row->toolName);
        combo.setItemData(at, row->type);
        if (row->type == toolType && found < 0) found = at;
    }
    if (found >= 0) toolTypeIndex = found;
    if (toolTypeIndex < 0 || toolTypeIndex >= combo.count()) toolTypeIndex = 0;
    combo.setCurSel(toolTypeIndex);
    if (combo.count() > 0) toolType = static_cast<std::int32_t>(combo.itemData(toolTypeIndex));
}

void CDlgEditProcessOpe::fillMaterialCombo() {
    plat::Control& combo = item(kComboToolMaterial);
    combo.resetContent();
    int selected = 0;
    for (const TOOL_MATERIAL& m : g_toolMaterials) {
        const int at = combo.addString(m.name);
        combo.setItemData(at, m.id);
        if (m.id == toolMaterial) selected = at;
    }
    combo.setCurSel(selected);
}

void CDlgEditProcessOpe::fillCycleCombos() {
    const int n = cycles.load("");
    const int m = cycles.getNextNumber();
    plat::Control& all = item(kComboCycle);
    all.resetContent();
    for (int i = 0; i < n; ++i) all.addString(cycles.entries[i].name);
    all.setCurSel(cycleIndex);
    // The circle mill itself, then the drill cycles from the eighth on.
    plat::Control& circle = item(kComboCircleCycle);
    circle.resetContent();
    if (n - m >= 0 && n - m < n) circle.addString(cycles.entries[n - m].name);
    for (int i = 7; i < n - m; ++i) circle.addString(cycles.entries[i].name);
    circle.setCurSel(circleCycleIndex);
}

const TAB_FORM_STEP* CDlgEditProcessOpe::formStep(const ASSOC_VALUE& block) const {
    if (!formTable || block.stepIndex < 0 || block.stepIndex >= formTable->stepCount ||
        static_cast<std::size_t>(block.stepIndex) >= formTable->formSteps.size())
        return nullptr;
    return &formTable->formSteps[static_cast<std::size_t>(block.stepIndex)];
}

std::string CDlgEditProcessOpe::associationText(const ASSOC_VALUE& block) const {
    std::string heading;
    if (formTable) (void)formTable->getColumnInfo(static_cast<std::int16_t>(block.columnId), &heading, nullptr, nullptr, nullptr);
    return heading + " =" + numberText(g_fmtMedium, block.value);
}

void CDlgEditProcessOpe::showAssociations() {
    const ASSOC_VALUE& tool = assoc[kToolDiamBlock];
    if (tool.mode == 1) {
        item(kEditToolDiameter).enable(false);
        std::string label = associationText(tool);
        const TAB_FORM_STEP* step = formStep(tool);
        if (step && step->threaded == kThreadStep && (toolType == 4 || toolType == 5)) {
            std::string heading;
            (void)formTable->getColumnInfo(static_cast<std::int16_t>(tool.columnId), &heading, nullptr, nullptr, nullptr);
            label = heading + " =" + findThreadByDiameterPitch(step->threadDiameter, step->threadPitch, -1, nullptr,
                                                              nullptr, nullptr);
        }
        item(kLabelToolDiameterAssociation).setText(label);
    }
    updateToolDiameterText();
    for (int kind = 1; kind <= 4; ++kind) {
        const ASSOC_VALUE& block = assoc[static_cast<std::size_t>(kBottomZBlock + kind)];
        const MILLED_DIAMETER_CONTROLS& c = milledDiameterControls(kind);
        if (block.mode == 1) {
            item(c.edit).enable(false);
            item(c.label).setText(associationText(block));
        }
        item(c.edit).setText(numberText(g_fmtMedium, block.value));
    }
    struct Z_CONTROLS {
        int block, edit, label;
    };
    for (Z_CONTROLS z : {Z_CONTROLS{kTopZBlock, kEditTopZ, kLabelTopZAssociation},
                         Z_CONTROLS{kBottomZBlock, kEditBottomZ, kLabelBottomZAssociation}}) {
        const ASSOC_VALUE& block = assoc[static_cast<std::size_t>(z.block)];
        if (block.mode == 0) continue;
        item(z.edit).enable(false);
        std::string heading;
        if (block.columnId != 0 && formTable)
            (void)formTable->getColumnInfo(static_cast<std::int16_t>(block.columnId), &heading, nullptr, nullptr, nullptr);
        item(z.label).setText(block.columnId != 0 ? heading : texts.getText(block.stepEnd ? kLineStepEnd : kLineStepStart));
    }
}

void CDlgEditProcessOpe::updateToolDiameterText() {
    const ASSOC_VALUE& tool = assoc[kToolDiamBlock];
    double diameter = tool.value;
    const TAB_FORM_STEP* step = tool.mode == 1 ? formStep(tool) : nullptr;
    std::vector<std::string> row;
    if (step && step->threaded == kThreadStep && (toolType == 4 || toolType == 5) && threadTableCount > 0) {
        if (threadTables[0].findNearestRow(4, tool.value, 0, row) == 0) diameter = textNumber(row.size() > 1 ? row[1] : "");
    } else if (step && step->threaded == kDrillSizeStep && toolType == 3 && drillSizeTable.rowCount > 0) {
        // The drill leaves the allowance of the drill-size table's row (its allowance column; the last cell
        // of a table without one).
        if (drillSizeTable.findNearestRow(1, tool.value, 1, row) == 0 && !row.empty()) {
            const int column = drillSizeTable.kind4Column > 0 ? drillSizeTable.kind4Column : static_cast<int>(row.size());
            diameter = tool.value - textNumber(row[static_cast<std::size_t>(std::min<int>(column, static_cast<int>(row.size())) - 1)]);
        }
    }
    toolDiameterText = numberText(g_fmtMedium, diameter);
    updateData(false);
}

void CDlgEditProcessOpe::disableForReadOnly() {
    for (int id : kReadOnlyControls) item(id).enable(false);
}
