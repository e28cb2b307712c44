// Control ids of the general parameters dialog (template 18031), by page. The template places the five
// pages side by side, kPageWidthDlu units each; ids 41xx lie on page 1, 42xx on page 2, and so on, so a
// control's page is its id's hundreds digit. The tab, OK, Cancel and the defaults button are on no page.
#pragma once

namespace gp {

constexpr int kTemplate = 18031;
constexpr int kPageCount = 5;
constexpr int kPageWidthDlu = 280;

constexpr int kTab = 4001, kButtonDefaults = 4002;

// Page 1: execution and general options.
constexpr int kGroupRecognition = 4101, kCheckCollisions = 4102, kLabelPrecision = 4103, kComboPrecision = 4104,
              kGroupDiameters = 4105, kLabelMinDiameter = 4106, kEditMinDiameter = 4107, kLabelMaxDiameter = 4108,
              kEditMaxDiameter = 4109, kCheckIntelligent = 4110, kCheckUseStock = 4111, kRadioCompleteForms = 4112,
              kRadioSpotOnly = 4113, kRadioSpotAndDrill = 4114, kButtonViewsSort = 4115, kButtonAdvRecognition = 4116,
              kCheckSelectedViews = 4117, kButtonSelectedViews = 4118, kCheckDrillingSide = 4119,
              kButtonDrillingSide = 4120, kGroupOperations = 4121, kCheckNoReaming = 4122, kCheckNoTapping = 4123,
              kCheckNoSpotDrill = 4124, kLabelLibrary = 4125, kComboLibrary = 4126, kCheckSharedLibrary = 4127,
              kButtonSharedData = 4128, kCheckDrillingList = 4129, kButtonDrillingList = 4130,
              kCheckMachiningTime = 4131, kButtonMachiningTime = 4132, kButtonLevels = 4133, kButtonColours = 4134,
              kButtonReadWrite = 4135;

// Page 2: tools.
constexpr int kCheckToolCriteria = 4201, kButtonToolCriteria = 4202, kGroupToolLibrary = 4203,
              kLabelToolLibrary = 4204, kButtonChangeLibrary = 4205, kButtonEditLibrary = 4206,
              kLabelMissingTool = 4207, kCheckAddNewTools = 4208, kCheckNearestTool = 4209,
              kLabelFirstToolNumber = 4210, kEditFirstToolNumber = 4211, kCheckKeepPartTools = 4212,
              kPictureTools = 4213, kGroupTipAngle = 4214, kLabelTipFrom = 4215, kEditTipFrom = 4216,
              kLabelTipTo = 4217, kEditTipTo = 4218, kLabelTipUnit = 4219, kRadioAdaptAngle = 4220,
              kRadioIgnoreAngle = 4221, kCheckPreferLarger = 4222, kCheckWarnAngle = 4223, kGroupSpotDrill = 4224,
              kCheckSpotOverride = 4225, kRadioSpotByDiameter = 4226, kRadioSpotFromLibrary = 4227,
              kEditSpotDiameter = 4228, kLabelSpotName = 4229, kButtonChangeSpot = 4230, kLabelSpotDepth = 4231,
              kEditSpotPercent = 4232, kLabelSpotPercent = 4233, kEditSpotDepth = 4234, kCheckAllowCentre = 4235,
              kCheckCentreType = 4236;

// Page 3: heights, clearances and reaming tools.
constexpr int kLabelInitialHeight = 4301, kEditInitialHeight = 4302, kLabelRetractHeight = 4303,
              kEditRetractHeight = 4304, kGroupBreakthrough = 4305, kRadioBreakFixed = 4306,
              kRadioBreakPercent = 4307, kEditBreakFixed = 4308, kEditBreakPercent = 4309, kLabelBreakUnit = 4310,
              kCheckSubprograms = 4311, kRadioAbsolute = 4312, kRadioIncremental = 4313, kCheckClearanceEnds = 4314,
              kLabelClearanceAdd = 4315, kEditClearanceAdd = 4316, kGroupReaming = 4317, kRadioReamProcess = 4318,
              kRadioReamReamer = 4319, kRadioReamBoring = 4320;

// Page 4: depths, long tools and the bottom safety zone.
constexpr int kGroupOpenSpace = 4401, kLabelOpenSpace = 4402, kEditOpenSpace = 4403, kLabelOpenSpaceUnit = 4404,
              kCheckTwoFaces = 4405, kButtonStrategies = 4406, kGroupMaxDepth = 4407, kLabelMaxDepth = 4408,
              kCheckTryDrill = 4409, kEditFirstFace = 4410, kLabelFirstFace = 4411, kCheckWarnMaxDepth = 4412,
              kRadioLongThenLong = 4413, kRadioLongWhole = 4414, kRadioLongWarn = 4415, kLabelLongCycle = 4416,
              kComboLongCycle = 4417, kLabelLongStart = 4418, kRadioLongFromTop = 4419, kRadioLongFromMax = 4420,
              kGroupBottomZone = 4421, kRadioZoneAtMax = 4422, kRadioZoneDeeper = 4423, kPictureZoneAtMax = 4424,
              kLabelZoneAtMax = 4425, kPictureZoneDeeper = 4426, kLabelZoneDeeper = 4427;

// Page 5: division of through shapes and single reamed holes.
constexpr int kGroupThroughShapes = 4501, kLabelThroughShapes = 4502, kGroupDivideReamed = 4503,
              kRadioReamedAlways = 4504, kRadioReamedDeeper = 4505, kRadioReamedNever = 4506,
              kEditReamedFactor = 4507, kLabelReamedFactor = 4508, kCheckReamedOpposite = 4509,
              kGroupDivideNotReamed = 4510, kRadioNotReamedAlways = 4511, kRadioNotReamedDeeper = 4512,
              kRadioNotReamedNever = 4513, kEditNotReamedFactor = 4514, kLabelNotReamedFactor = 4515,
              kCheckNotReamedOpposite = 4516, kGroupSingleReamed = 4517, kCheckReamOnlyMarked = 4518;

}  // namespace gp
