// Control ids of the operation editor (template 18015), by page. The pages lie one over another, so an id
// names one control on one page only; the editor's small dialogs number their controls on their own and
// name them in their classes. A label named here shows a line of "EditProcessOpeDlg"; an association label
// shows the column or step a measure is bound to.
#pragma once

namespace oe {

constexpr int kTemplate = 18015, kTab = 19205, kButtonOtherOperation = 4095;

// General page: the tool, its diameter and wishes, the corner radius, the top and bottom Z.
constexpr int kLabelToolType = 4142, kComboToolType = 4058, kLabelCycle = 4147, kComboCycle = 4060,
              kLabelComment = 4143, kEditComment = 4094, kGroupTool = 4308;
constexpr int kGroupToolDiameter = 4144, kEditToolDiameter = 4068, kRadioToolDiameterFixed = 4061,
              kRadioToolDiameterAssociated = 4063, kRadioToolDiameterLibrary = 4062, kButtonLibraryTool = 4083,
              kButtonToolDiameterAssociate = 4059, kLabelToolDiameterAssociation = 4101, kLabelLibraryTool = 4112,
              kButtonHidden = 4082;   // kept hidden; the editor answers nothing from it
constexpr int kCheckDiameterOffset = 4019, kButtonOffsetSign = 4362, kEditDiameterOffset = 4039,
              kCheckToolMaterial = 18068, kComboToolMaterial = 18071, kCheckToolName = 18069, kEditToolName = 18072;
constexpr int kGroupCornerRadius = 4267, kRadioCornerAsGeometry = 4261, kRadioCornerThisValue = 4262,
              kEditCornerRadius = 4031;
constexpr int kGroupTopZ = 4145, kEditTopZ = 4036, kLabelTopZAssociation = 4099, kRadioTopZFixed = 4065,
              kRadioTopZAssociated = 4067, kRadioTopZPreviousMaterial = 4072, kButtonTopZAssociate = 4064;
// The bottom Z radios stand for its modes 0, 1, 2 (kept hidden) and 3.
constexpr int kGroupBottomZ = 4146, kEditBottomZ = 4040, kCheckFromTopZ = 4098, kRadioBottomZFixed = 4070,
              kRadioBottomZAssociated = 4071, kRadioBottomZHidden = 4073, kRadioBottomZFirstDrill = 4087,
              kButtonBottomZAssociate = 4069, kLabelBottomZAssociation = 4100, kEditFirstDrillPercent = 4089,
              kLabelFirstDrillPercent = 4096, kCheckStockToLeave = 4020, kButtonStockSign = 18057,
              kEditStockToLeave = 4041;
// Hidden edits that keep values edited elsewhere: the entry's start angle, the helix bore's finish allowance,
// feed and speed, and the circle mill's helical entry.
constexpr int kHiddenEntryStartAngle = 4044, kHiddenFinishAllowance = 4077, kHiddenFinishFeed = 4081,
              kHiddenFinishSpeed = 4084, kHiddenHelicalMinPercent = 4090, kHiddenHelicalMaxPercent = 4091,
              kHiddenHelicalMinRadius = 4093, kHiddenHelicalMaxRadius = 4097, kHiddenHelicalXYClearance = 4102,
              kHiddenHelicalZClearance = 4103, kHiddenHelicalPlungeAngle = 4104;

// Circle-mill and contour page. Each milled kind's diameter has a group, a fixed and an associated radio,
// an associate button, an edit and an association label.
constexpr int kGroupCircleDiameter = 18076, kRadioCircleDiameterFixed = 18078,
              kRadioCircleDiameterAssociated = 18081, kButtonCircleDiameterAssociate = 18082,
              kEditCircleDiameter = 18080, kLabelCircleDiameterAssociation = 18083;
constexpr int kGroupContourDiameter = 18077, kRadioContourDiameterFixed = 18079,
              kRadioContourDiameterAssociated = 18085, kButtonContourDiameterAssociate = 18086,
              kEditContourDiameter = 18084, kLabelContourDiameterAssociation = 18087;
constexpr int kGroupCompensation = 18074, kLabelCompType = 4310, kComboCompType = 4023, kLabelCompDirection = 4311,
              kComboCompDirection = 4024, kComboTipComp = 4025, kComboCircleCycle = 4066;
constexpr int kGroupDepthCuts = 4317, kCheckDepthCuts = 4029, kLabelMaxRoughStep = 4319, kEditMaxRoughStep = 4050,
              kLabelFinishCuts = 4320, kEditFinishCuts = 4051, kLabelFinishStep = 4321, kEditFinishStep = 4052,
              kLabelXYStock = 4339, kEditXYStock = 4108, kLabelZStock = 4340, kEditZStock = 4109,
              kLabelOverlap = 4313, kEditOverlap = 4049;
constexpr int kGroupRadialCuts = 4318, kCheckRadialCuts = 4028, kGroupRoughPasses = 4322,
              kLabelRoughPassCount = 4325, kEditRoughPassCount = 4053, kLabelRoughSpacing = 4326,
              kEditRoughSpacing = 4054, kGroupFinishPasses = 4323, kLabelFinishPassCount = 4327,
              kEditFinishPassCount = 4055, kLabelFinishSpacing = 4328, kEditFinishSpacing = 4056,
              kGroupFinishPassesAt = 4324, kRadioFinishAtFinalDepth = 4314, kRadioFinishAtEachDepth = 4315;
constexpr int kGroupCircleRoughing = 4316, kCheckCircleRoughing = 4035, kLabelStepover = 4330, kEditStepover = 4092,
              kLabelStepoverPercent = 4331, kEditStepoverPercent = 4088, kCheckHelicalEntry = 4114,
              kButtonHelicalEntry = 18041, kButtonCircleEntryExit = 18042;
constexpr int kGroupContourRoughing = 4380, kCheckContourRoughing = 4037, kLabelContourOverlap = 4381,
              kEditContourOverlap = 4107, kCheckLeadIn = 4116, kEditLeadInPercent = 4105, kLabelLeadInPercent = 4346,
              kEditLeadInRadius = 4106, kCheckLeadOut = 4117, kEditLeadOutPercent = 4110,
              kLabelLeadOutPercent = 4347, kEditLeadOutRadius = 4111;
constexpr int kButtonCalculateCuts = 4344, kCheckCalcEachForm = 18073;

// Helix-bore page.
constexpr int kGroupBoreDiameter = 18088, kRadioBoreDiameterFixed = 18089, kRadioBoreDiameterAssociated = 18091,
              kButtonBoreDiameterAssociate = 18092, kEditBoreDiameter = 18090,
              kLabelBoreDiameterAssociation = 18093;
constexpr int kGroupHelixCompensation = 18094, kLabelHelixCompType = 4345, kComboHelixCompType = 4026,
              kLabelHelixCompDirection = 4348, kComboHelixCompDirection = 4027, kLabelHelixTipComp = 18095,
              kComboHelixTipComp = 4030, kLabelHelixXYStock = 4350, kEditHelixXYStock = 4113,
              kLabelHelixZStock = 4351, kEditHelixZStock = 4115, kLabelHelixOverlap = 4349,
              kEditHelixOverlap = 4057, kButtonHelixEntryExit = 18043;
constexpr int kGroupHelixRoughing = 4352, kLabelRoughPitch = 4353, kEditRoughPitch = 4074,
              kLabelHelixRoughPasses = 4354, kEditHelixRoughPasses = 4075, kLabelHelixRoughStepover = 4355,
              kEditHelixRoughStepover = 4076, kLabelFinishAllowance = 4356, kEditFinishAllowancePercent = 4078,
              kLabelFinishAllowancePercent = 18125;
constexpr int kGroupHelixFinish = 4383, kCheckFinishPass = 4038, kLabelFinishPitch = 4357, kEditFinishPitch = 4079,
              kLabelHelixFinishStepover = 4358, kEditHelixFinishStepover = 4080, kLabelFinishFeed = 4359,
              kEditFinishFeedPercent = 4086, kLabelFinishFeedPercent = 18127, kLabelFinishSpeed = 4360,
              kEditFinishSpeedPercent = 4085, kLabelFinishSpeedPercent = 18126;
constexpr int kCheckArcOutput = 18128, kLabelArcTolerance = 18129, kEditArcTolerance = 4118;

// Thread-mill page. Of each radio pair the first stands for 0.
constexpr int kGroupThreadDiameter = 18096, kRadioThreadDiameterFixed = 18097,
              kRadioThreadDiameterAssociated = 18099, kButtonThreadDiameterAssociate = 18100,
              kEditThreadDiameter = 18098, kLabelThreadDiameterAssociation = 18101;
constexpr int kRadioInternalThread = 18141, kRadioExternalThread = 18142, kRadioRightHand = 18143,
              kRadioLeftHand = 18144, kRadioTopToBottom = 18145, kRadioBottomToTop = 18146,
              kLabelMillingDirection = 18147;
constexpr int kLabelThreadPitch = 18130, kEditThreadPitch = 4119, kLabelThreadStartAngle = 18131,
              kEditThreadStartAngle = 4120, kLabelThreadAllowance = 18132, kEditThreadAllowance = 4121,
              kLabelTaperAngle = 18133, kEditTaperAngle = 4122, kLabelArcClearance = 18134, kEditArcClearance = 4123,
              kLabelLineLength = 18135, kEditLineLength = 4124, kLabelThreadCompType = 4361,
              kComboThreadCompType = 4032;
constexpr int kCheckThreadStartAtCentre = 18136, kCheckThreadPerpendicularEntry = 18137, kCheckHelicalTop = 18138,
              kCheckHelicalBottom = 18139, kCheckLinearize = 18140, kLabelLinearizeTolerance = 18148,
              kEditLinearizeTolerance = 4125;
constexpr int kGroupMultipasses = 4384, kCheckMultipasses = 18149, kLabelThreadRoughPasses = 18150,
              kEditThreadRoughPasses = 4128, kLabelThreadRoughStepover = 18151, kEditThreadRoughStepover = 4129,
              kLabelThreadFinishPasses = 18152, kEditThreadFinishPasses = 4131, kLabelThreadFinishStepover = 18153,
              kEditThreadFinishStepover = 4130, kLabelSpringPasses = 18154, kEditSpringPasses = 4132;
constexpr int kCheckOverrideFeed = 18155, kEditOverrideFeed = 4126, kCheckOverrideSpeed = 18156,
              kEditOverrideSpeed = 4127, kLabelActiveTeeth = 18157, kEditActiveTeeth = 4133,
              kLabelTopOfThread = 18158, kEditTopOfThread = 4134;

}  // namespace oe
