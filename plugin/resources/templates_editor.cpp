// The operation editor (18015): a tab control over the pages of the editor, laid one over another in the
// same place (the general page; the circle-mill and contour page, whose two kinds share its place too; the
// helix-bore page; the thread-mill page), OK and Cancel below. The editor shows one page at a time. Its small
// dialogs follow: the cut calculation's results (18075), the entry and exit (18076), the helical entry (18077).
// The editor's controls are named in operation_editor_ids.h; the small dialogs' in their classes.
#include "platform/ui/dialog.h"
#include "plugin/resources/template_rows.h"
#include "plugin/resources/operation_editor_ids.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::DlgTemplate;
using namespace oe;

// A milled kind's diameter: its group, the fixed and the associated radio, the associate button, the edit
// and the association label.
void diameterGroup(TemplateRows& l, int group, int fixed, int associated, int button, int edit, int label) {
    l.group(group, 6, 22, 124, 62);
    l.radio(fixed, 10, 32, 56, true);
    l.radio(associated, 10, 46, 10, false);
    l.rowButton(button, 22, 45, 44);
    l.edit(edit, 70, 30, 56);
    l.add(label, Ctl::Static, 70, 46, 56, 20);
}

void generalPage(TemplateRows& l) {
    l.label(kLabelToolType, 10, 20, 48);
    l.combo(kComboToolType, 60, 20, 100);
    l.label(kLabelCycle, 166, 20, 30);
    l.combo(kComboCycle, 198, 20, 64, 150);
    l.label(kLabelComment, 10, 36, 48);
    l.edit(kEditComment, 60, 36, 202);
    l.group(kGroupTool, 6, 52, 258, 94);
    l.group(kGroupToolDiameter, 10, 60, 124, 82);
    l.edit(kEditToolDiameter, 14, 70, 56);
    l.radio(kRadioToolDiameterFixed, 14, 86, 56, true);
    l.radio(kRadioToolDiameterAssociated, 14, 98, 10, false);
    l.radio(kRadioToolDiameterLibrary, 14, 110, 110, false);
    l.rowButton(kButtonLibraryTool, 74, 70, 56);
    l.rowButton(kButtonToolDiameterAssociate, 26, 97, 44);
    l.add(kLabelToolDiameterAssociation, Ctl::Static, 74, 98, 56, 9);
    l.add(kLabelLibraryTool, Ctl::Static, 74, 110, 56, 20);
    l.rowButton(kButtonHidden, 74, 126, 56).visible = false;
    l.check(kCheckDiameterOffset, 138, 60, 72);
    l.rowButton(kButtonOffsetSign, 212, 59, 12);
    l.edit(kEditDiameterOffset, 226, 59, 34);
    l.check(kCheckToolMaterial, 138, 74, 72);
    l.combo(kComboToolMaterial, 212, 72, 48);
    l.check(kCheckToolName, 138, 88, 72);
    l.edit(kEditToolName, 212, 86, 48);
    l.group(kGroupCornerRadius, 138, 100, 122, 42);
    l.radio(kRadioCornerAsGeometry, 142, 110, 60, true);
    l.radio(kRadioCornerThisValue, 142, 124, 60, false);
    l.edit(kEditCornerRadius, 204, 122, 52);
    l.group(kGroupTopZ, 6, 150, 124, 80);
    l.edit(kEditTopZ, 10, 160, 56);
    l.add(kLabelTopZAssociation, Ctl::Static, 70, 162, 56, 20);
    l.radio(kRadioTopZFixed, 10, 176, 56, true);
    l.radio(kRadioTopZAssociated, 10, 190, 10, false);
    l.radio(kRadioTopZPreviousMaterial, 10, 204, 116, false);
    l.rowButton(kButtonTopZAssociate, 22, 189, 44);
    l.group(kGroupBottomZ, 134, 150, 130, 118);
    l.edit(kEditBottomZ, 138, 160, 56);
    l.check(kCheckFromTopZ, 198, 161, 62);
    l.radio(kRadioBottomZFixed, 138, 176, 56, true);
    l.radio(kRadioBottomZAssociated, 138, 190, 10, false);
    l.radio(kRadioBottomZHidden, 138, 204, 56, false).visible = false;
    l.radio(kRadioBottomZFirstDrill, 138, 218, 56, false);
    l.rowButton(kButtonBottomZAssociate, 150, 189, 44);
    l.add(kLabelBottomZAssociation, Ctl::Static, 198, 190, 62, 20);
    l.edit(kEditFirstDrillPercent, 198, 216, 30);
    l.label(kLabelFirstDrillPercent, 230, 216, 30);
    l.check(kCheckStockToLeave, 138, 236, 56);
    l.rowButton(kButtonStockSign, 198, 235, 12);
    l.edit(kEditStockToLeave, 212, 235, 48);
    // Values the editor keeps in hidden edits: the entry/exit start angle, the helix bore's finish value, feed
    // and speed, and the helical entry of the circle mill (edited in their own dialogs).
    for (int id : {kHiddenEntryStartAngle, kHiddenFinishAllowance, kHiddenFinishFeed, kHiddenFinishSpeed,
                   kHiddenHelicalMinPercent, kHiddenHelicalMaxPercent, kHiddenHelicalMinRadius,
                   kHiddenHelicalMaxRadius, kHiddenHelicalXYClearance, kHiddenHelicalZClearance,
                   kHiddenHelicalPlungeAngle})
        l.edit(id, 6, 240, 40).visible = false;
}

void circleContourPage(TemplateRows& l) {
    diameterGroup(l, kGroupCircleDiameter, kRadioCircleDiameterFixed, kRadioCircleDiameterAssociated,
                  kButtonCircleDiameterAssociate, kEditCircleDiameter, kLabelCircleDiameterAssociation);
    diameterGroup(l, kGroupContourDiameter, kRadioContourDiameterFixed, kRadioContourDiameterAssociated,
                  kButtonContourDiameterAssociate, kEditContourDiameter, kLabelContourDiameterAssociation);
    l.group(kGroupCompensation, 134, 22, 130, 62);
    l.label(kLabelCompType, 138, 30, 40);
    l.combo(kComboCompType, 180, 30, 80);
    l.label(kLabelCompDirection, 138, 44, 40);
    l.combo(kComboCompDirection, 180, 44, 80);
    l.combo(kComboTipComp, 180, 58, 80);
    l.combo(kComboCircleCycle, 134, 88, 130, 150);
    l.group(kGroupDepthCuts, 6, 88, 124, 58);
    l.check(kCheckDepthCuts, 10, 96, 116);
    l.field(kLabelMaxRoughStep, kEditMaxRoughStep, 108);
    l.field(kLabelFinishCuts, kEditFinishCuts, 120);
    l.field(kLabelFinishStep, kEditFinishStep, 132);
    l.field(kLabelXYStock, kEditXYStock, 150);
    l.field(kLabelZStock, kEditZStock, 164);
    l.field(kLabelOverlap, kEditOverlap, 178);
    l.group(kGroupRadialCuts, 134, 104, 130, 92);
    l.check(kCheckRadialCuts, 138, 112, 120);
    l.group(kGroupRoughPasses, 138, 124, 60, 38);
    l.field(kLabelRoughPassCount, kEditRoughPassCount, 132, 142, 26, 24);
    l.field(kLabelRoughSpacing, kEditRoughSpacing, 146, 142, 26, 24);
    l.group(kGroupFinishPasses, 202, 124, 60, 38);
    l.field(kLabelFinishPassCount, kEditFinishPassCount, 132, 206, 26, 24);
    l.field(kLabelFinishSpacing, kEditFinishSpacing, 146, 206, 26, 24);
    l.group(kGroupFinishPassesAt, 138, 164, 122, 26);
    l.radio(kRadioFinishAtFinalDepth, 142, 174, 56, true);
    l.radio(kRadioFinishAtEachDepth, 200, 174, 56, false);
    l.group(kGroupCircleRoughing, 6, 196, 124, 66);
    l.check(kCheckCircleRoughing, 10, 204, 116);
    l.field(kLabelStepover, kEditStepover, 216, 10, 40, 36);
    l.field(kLabelStepoverPercent, kEditStepoverPercent, 230, 10, 40, 36);
    l.check(kCheckHelicalEntry, 10, 246, 60);
    l.rowButton(kButtonHelicalEntry, 72, 245, 54);
    l.rowButton(kButtonCircleEntryExit, 134, 200, 60);
    l.group(kGroupContourRoughing, 6, 196, 124, 72);
    l.check(kCheckContourRoughing, 10, 204, 60);
    l.field(kLabelContourOverlap, kEditContourOverlap, 202, 72, 24, 28);
    l.check(kCheckLeadIn, 10, 220, 50);
    l.edit(kEditLeadInPercent, 62, 218, 24);
    l.label(kLabelLeadInPercent, 88, 218, 8);
    l.edit(kEditLeadInRadius, 98, 218, 28);
    l.check(kCheckLeadOut, 10, 236, 50);
    l.edit(kEditLeadOutPercent, 62, 234, 24);
    l.label(kLabelLeadOutPercent, 88, 234, 8);
    l.edit(kEditLeadOutRadius, 98, 234, 28);
    l.button(kButtonCalculateCuts, 134, 216, 70);
    l.check(kCheckCalcEachForm, 134, 236, 130);
}

void helixBorePage(TemplateRows& l) {
    diameterGroup(l, kGroupBoreDiameter, kRadioBoreDiameterFixed, kRadioBoreDiameterAssociated,
                  kButtonBoreDiameterAssociate, kEditBoreDiameter, kLabelBoreDiameterAssociation);
    l.group(kGroupHelixCompensation, 134, 22, 130, 62);
    l.label(kLabelHelixCompType, 138, 30, 40);
    l.combo(kComboHelixCompType, 180, 30, 80);
    l.label(kLabelHelixCompDirection, 138, 44, 40);
    l.combo(kComboHelixCompDirection, 180, 44, 80);
    l.label(kLabelHelixTipComp, 138, 58, 40);
    l.combo(kComboHelixTipComp, 180, 58, 80);
    l.field(kLabelHelixXYStock, kEditHelixXYStock, 88);
    l.field(kLabelHelixZStock, kEditHelixZStock, 102);
    l.field(kLabelHelixOverlap, kEditHelixOverlap, 116);
    l.rowButton(kButtonHelixEntryExit, 134, 88, 60);
    l.group(kGroupHelixRoughing, 6, 134, 124, 74);
    l.field(kLabelRoughPitch, kEditRoughPitch, 144);
    l.field(kLabelHelixRoughPasses, kEditHelixRoughPasses, 158);
    l.field(kLabelHelixRoughStepover, kEditHelixRoughStepover, 172);
    l.field(kLabelFinishAllowance, kEditFinishAllowancePercent, 186, 10, 70, 32);
    l.label(kLabelFinishAllowancePercent, 116, 186, 10);
    l.group(kGroupHelixFinish, 134, 104, 130, 104);
    l.check(kCheckFinishPass, 138, 112, 120);
    l.field(kLabelFinishPitch, kEditFinishPitch, 126, 138);
    l.field(kLabelHelixFinishStepover, kEditHelixFinishStepover, 140, 138);
    l.field(kLabelFinishFeed, kEditFinishFeedPercent, 154, 138, 70, 32);
    l.label(kLabelFinishFeedPercent, 244, 154, 10);
    l.field(kLabelFinishSpeed, kEditFinishSpeedPercent, 168, 138, 70, 32);
    l.label(kLabelFinishSpeedPercent, 244, 168, 10);
    l.check(kCheckArcOutput, 6, 214, 124);
    l.field(kLabelArcTolerance, kEditArcTolerance, 226);
}

void threadMillPage(TemplateRows& l) {
    diameterGroup(l, kGroupThreadDiameter, kRadioThreadDiameterFixed, kRadioThreadDiameterAssociated,
                  kButtonThreadDiameterAssociate, kEditThreadDiameter, kLabelThreadDiameterAssociation);
    const int pairs[3][2] = {{kRadioInternalThread, kRadioExternalThread},
                             {kRadioRightHand, kRadioLeftHand},
                             {kRadioTopToBottom, kRadioBottomToTop}};
    for (int i = 0; i < 3; ++i) {
        l.radio(pairs[i][0], 134, 24 + 12 * i, 60, true);
        l.radio(pairs[i][1], 196, 24 + 12 * i, 60, false);
    }
    l.add(kLabelMillingDirection, Ctl::Static, 134, 62, 130, 9);
    const int fields[6][2] = {{kLabelThreadPitch, kEditThreadPitch},
                              {kLabelThreadStartAngle, kEditThreadStartAngle},
                              {kLabelThreadAllowance, kEditThreadAllowance},
                              {kLabelTaperAngle, kEditTaperAngle},
                              {kLabelArcClearance, kEditArcClearance},
                              {kLabelLineLength, kEditLineLength}};
    for (int i = 0; i < 6; ++i) l.field(fields[i][0], fields[i][1], 90 + 14 * i);
    l.label(kLabelThreadCompType, 134, 74, 40);
    l.combo(kComboThreadCompType, 176, 74, 84);
    const int checks[] = {kCheckThreadStartAtCentre, kCheckThreadPerpendicularEntry, kCheckHelicalTop,
                          kCheckHelicalBottom, kCheckLinearize};
    for (int i = 0; i < 5; ++i) l.check(checks[i], 134, 90 + 12 * i, 126);
    l.field(kLabelLinearizeTolerance, kEditLinearizeTolerance, 150, 144, 50, 64);
    l.group(kGroupMultipasses, 6, 176, 124, 92);
    l.check(kCheckMultipasses, 10, 184, 116);
    const int passes[5][2] = {{kLabelThreadRoughPasses, kEditThreadRoughPasses},
                              {kLabelThreadRoughStepover, kEditThreadRoughStepover},
                              {kLabelThreadFinishPasses, kEditThreadFinishPasses},
                              {kLabelThreadFinishStepover, kEditThreadFinishStepover},
                              {kLabelSpringPasses, kEditSpringPasses}};
    for (int i = 0; i < 5; ++i) l.field(passes[i][0], passes[i][1], 196 + 14 * i);
    l.check(kCheckOverrideFeed, 134, 168, 84);
    l.edit(kEditOverrideFeed, 220, 166, 40);
    l.check(kCheckOverrideSpeed, 134, 182, 84);
    l.edit(kEditOverrideSpeed, 220, 180, 40);
    l.field(kLabelActiveTeeth, kEditActiveTeeth, 196, 134, 70, 54);
    l.field(kLabelTopOfThread, kEditTopOfThread, 210, 134, 70, 54);
}

// 270 x 300 units: the tab control over the pages, the buttons below it.
DlgTemplate operationEditorTemplate() {
    DlgTemplate t{kTemplate, "", 270, 300, {}, false};
    TemplateRows l(t, TemplateRows::EveryControl);
    l.add(kTab, Ctl::Tab, 4, 4, 262, 272);
    generalPage(l);
    circleContourPage(l);
    helixBorePage(l);
    threadMillPage(l);
    l.ok(60, 282, 60, "");
    l.button(kButtonOtherOperation, 125, 282, 60).visible = false;
    l.button(plat::IDCANCEL, 150, 282, 60);
    return t;
}

// 260 x 150 units: the start data above the proposal, Accept and Discard below.
DlgTemplate calcResultsTemplate() {
    DlgTemplate t{18075, "", 260, 150, {}, false};
    TemplateRows l(t, TemplateRows::EveryControl);
    l.group(18076, 6, 4, 248, 46);
    l.add(18077, Ctl::Static, 12, 14, 236, 32);
    l.group(18078, 6, 54, 248, 66);
    l.add(18079, Ctl::Static, 12, 64, 236, 52);
    l.okCancel(60, 128, 64, 8, "", "");
    return t;
}

// 180 x 96 units: the start angle and the arc sweep, the two switches, OK and Cancel.
DlgTemplate entryExitTemplate() {
    DlgTemplate t{18076, "", 180, 96, {}, false};
    TemplateRows l(t, TemplateRows::EveryControl);
    l.field(4312, 4044, 8, 8, 100, 56);
    l.field(4313, 4045, 24, 8, 100, 56);
    l.check(18074, 8, 42, 160);
    l.check(18075, 8, 56, 160);
    l.okCancel(30, 76, 56, 8, "", "");
    return t;
}

// 200 x 150 units: each radius beside its percentage of the tool, the clearances and the plunge angle.
DlgTemplate helicalEntryTemplate() {
    DlgTemplate t{18077, "", 200, 150, {}, false};
    TemplateRows l(t, TemplateRows::EveryControl);
    const struct {
        int label, edit, y, x, labelWidth;
    } fields[] = {{4332, 4093, 8, 8, 70},  {4333, 4090, 8, 124, 22},  {4334, 4097, 24, 8, 70}, {4335, 4091, 24, 124, 22},
                  {4336, 4102, 48, 8, 70}, {4337, 4103, 64, 8, 70}, {4338, 4104, 80, 8, 70}};
    for (const auto& f : fields) l.field(f.label, f.edit, f.y, f.x, f.labelWidth, 44);
    l.okCancel(40, 128, 56, 8, "", "");
    return t;
}

}  // namespace

void registerEditorTemplates() {
    plat::registerDialog(operationEditorTemplate());
    plat::registerDialog(calcResultsTemplate());
    plat::registerDialog(entryExitTemplate());
    plat::registerDialog(helicalEntryTemplate());
}
