// The user settings block and its storage. Each stored member is a numbered item of a named section of the
// settings file ("ProcessMach" 16 is the base tolerance T); the same items travel in the part's settings
// record "DGPDd01", which overrides the file. Lengths are in the part's units, angles in degrees.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct PRM_SETTINGS {
    // "General"
    std::int16_t settingsFormat = 0, reservedGeneral2 = 0, reservedGeneral3 = 0;
    std::int32_t reamArcColour = 0, reamSelectionColour = 0;
    std::int16_t readWriteMode = 0;          // 1: the settings live in the part record only
    // "Levels"
    std::int32_t newFormsLevel = 0, featuresLevel = 0, isolationLevel = 0, formsLevel = 0;
    std::int16_t formsLevelShowMode = 0, supportGeometryOn = 0;
    std::int32_t supportGeometryLevel = 0;
    std::int16_t supportGeometryInclinedOnly = 0;
    // "ProcessMach" (item 2, the table library, is PLUGIN_GLOBALS::libraryName)
    std::string toolLibraryPath;             // 1
    std::int16_t machiningExtent = 0, intelligentProcess = 0, skipTapping = 0, skipReaming = 0;   // 3-6
    double initialHeight = 0, retractHeight = 0, maxDiameter = 0;                                 // 7-9
    std::int16_t maxDiameterOn = 0;                                                               // 10
    double minDiameter = 0;                                                                       // 11
    std::int16_t minDiameterOn = 0;                                                               // 12
    std::string interchangePath;                                                                  // 13
    std::int16_t checkCollisions = 0, viewsSortOrder = 0;                                         // 14-15
    double baseTolerance = 0;                                                                     // 16
    std::int16_t reservedProcessMach17 = 0;                                                       // 17
    double reservedProcessMach18 = 0, oversizeLimit = 0;                                          // 18-19
    std::int16_t allowOversizeTools = 0, forceReaming = 0, breakthroughMode = 0;                  // 20-22
    double breakthroughLength = 0, breakthroughRatio = 0;                                         // 23-24
    std::int16_t drillFromBothFaces = 0;                                                          // 25
    double openSpaceFactor = 0;                                                                   // 26
    std::int16_t tryDrillBeyondMax = 0;                                                           // 27
    double firstFaceShare = 0;                                                                    // 28
    std::int16_t warnMaxDepth = 0, penetrationMode = 0, interchangeFilterIndex = 0, drillingListOn = 0; // 29-32
    std::string drillingListFile;                                                                 // 33
    std::int16_t machiningTimeListOn = 0;                                                         // 34
    std::string machiningTimeFile;                                                                // 35
    std::int16_t longToolStrategy = 0, divideReamed = 0;                                          // 36-37
    double divideReamedDepth = 0;                                                                 // 38
    std::int16_t divideNotReamed = 0;                                                             // 39
    double divideNotReamedDepth = 0;                                                              // 40
    std::int16_t processTreeOption = 0;                                                           // 41
    double clearanceAddition = 0;                                                                 // 42
    std::int16_t useStock = 0, drillMinorThroughB = 0, drillMinorThroughA = 0, longToolCycle = 0; // 43-46
    std::uint8_t nameNewViews = 0, reservedProcessMach48 = 0;                                     // 47-48
    std::int16_t newViewsOrientation = 0, reamOnlyOnMarkedSide = 0;                               // 49-50
    double minSweepAngle = 0, roundnessTolerance = 0, axisAngleTolerance = 0;                     // 51-53
    double openBoundaryTolerance = 0, featMgrToleranceA = 0, featMgrToleranceB = 0;               // 54-56
    std::int16_t forceTapping = 0, skipSpotDrills = 0, longToolStartAtTop = 0;                    // 57-59
    // "ToolSelectionCriteria"
    double minToolLengthFactor = 0, maxToolLengthFactor = 0;
    std::int16_t toolLengthKind = 0;
    double minFluteLengthFactor = 0;
    std::int16_t useHighestHill = 0, checkFluteLength = 0, toolSequencingOption = 0;
    // "ProcessMachTool"
    std::int16_t takeNearestTool = 0, addNewTools = 0, adaptDrillAngle = 0, warnDrillAngle = 0;   // 1-4
    double minDrawnTipAngle = 0, maxDrawnTipAngle = 0;                                            // 5-6
    std::int16_t subprogramsOn = 0, subprogramsIncremental = 0, clearanceAtEndsOnly = 0;          // 7-9
    std::int16_t overrideSpotDrill = 0, spotDrillByName = 0;                                      // 10-11
    double spotDrillDiameter = 0;                                                                 // 12
    std::string spotDrillName;                                                                    // 13
    double spotDepthPercent = 0, spotDepthValue = 0;                                              // 14-15
    std::int16_t allowCenterDrill = 0, centerDrillType = 0, firstToolNumber = 0;                  // 16-18
    std::int16_t reamingToolChoice = 0, keepPartTools = 0, preferLargerAngle = 0;                 // 19-21
    // "FeatMgrFilter"
    std::array<std::int16_t, 6> featMgrFilter{};          // items 1-6
    std::array<std::uint8_t, 6> reamClassColours{};       // item 7
    std::array<std::uint8_t, 3> threadClassColours{};     // item 8
    std::string colourConfigName;                         // item 12
    // "FeatMgrThdColors", "FeatMgrReamColors"
    std::array<std::string, 3> threadClassTables;
    std::array<std::string, 6> reamClassTables;
    // "UserToolsMgr"
    std::int32_t shapeLevel = 0;
    std::int16_t shapeAxisHelpPoints = 0;
    // "FeatSDTsettings"
    std::int32_t blindTapAddOn = 0, blindTapAddByPitch = 0;
    double blindTapAddLength = 0, blindTapAddPercent = 0;
    std::int32_t throughTapAddOn = 0, throughTapAddByPitch = 0;
    double throughTapAddLength = 0, throughTapAddPercent = 0;

    // Not in the file.
    double effectiveOversize = 0;
    std::int32_t featuresLevelCopy = 0;
    std::int16_t onlySelectedViews = 0;
    double defaultTipAngle = 0;
    std::int16_t featRecognitionSwitchA = 0, featRecognitionSwitchB = 0, designDialogSwitch = 0;
    std::int16_t configListSwitch = 0;       // the configuration's rows menu offers forms from solids
    std::int16_t sameShapeStrict = 0, processTreeSwitch = 0;
    std::int16_t circleMillPerHole = 0;      // one circle-mill operation per hole
    // The tool plane's origin from the point on an operation's level: no setting switches it on, as no
    // record names that level yet.
    std::int16_t originFromLevelPoint = 0;
};

int setDefaultSettings(std::int16_t keepPaths);
int readSettings();
int writeSettings(std::int16_t fileOnly);
int readSettingsRecord();
// The settings record goes on `featuresLevel`.
int writeSettingsRecord(std::int32_t featuresLevel);
// The oversize the engine uses: "ProcessMach" 19 while bigger tools are allowed (20), else 0.
void updateEffectiveOversize(PRM_SETTINGS& s);

// The other unit's settings file, in the same folder: every "_mm." of the file's name becomes "_in."; without
// one, every "_in." becomes "_mm.".
std::string otherUnitSettingsFile(const std::string& settingsFile);

// A library or table name is one name inside a forms folder: it may not hold "..", a folder separator or a
// drive, so it never reaches outside the folder it is joined to. An empty name names nothing and passes.
bool isPlainName(std::string_view name);
// isPlainName, or false after the message line naming the refused name.
bool acceptPlainName(std::string_view name);

// A colour list as stored: each value "%i " (number and one blank). Reading takes the number at the start
// of the rest of the text and moves past the next blank; without a further blank it either stops (the
// remaining values keep theirs) or starts again at the beginning of the text.
std::string colourListText(const std::uint8_t* values, int count);
void parseColourList(const std::string& text, std::uint8_t* values, int count, bool restartWhenNoBlank);

// ---- the items, as the file and the record address them ------------------------------------------------
// AtomicI16: a 16-bit member another thread writes too (the shared-data watcher's access mode).
enum class SettingKind { I16, AtomicI16, I32, U8, F64, Text, Colours6, Colours3, Reserved };
struct SETTING_ITEM {
    int section;            // 1-11: position of the section in the file
    int item;
    SettingKind kind;
    void* member;           // null for reserved slots
};
// Section names in file order ("SharedData" first).
extern const std::array<const char*, 11> kSettingsSections;
// Every item slot of every section, in file order, bound to the members of the current block.
std::vector<SETTING_ITEM> settingsItems();
// A 16-bit item's value, and its setting, whichever of the two 16-bit kinds it is.
std::int16_t shortItemValue(const SETTING_ITEM& it);
void setShortItem(const SETTING_ITEM& it, std::int16_t value);
// Writes only the "SharedData" section of the settings file and of the other unit's file, from the values
// given rather than from the globals: the shared-data watcher's thread writes it while the main thread
// works on the globals. Writes of the settings files are serialised.
int writeSharedDataSettings(const std::string& settingsFile, std::uint8_t on, std::int16_t mode,
                            const std::string& folder);

// The decimal items of the current block, in item order.
std::vector<double> decimalSettings();
// Puts every decimal item that is NaN, infinite or outside its range back to its value in `defaults`
// (decimalSettings before the read); returns the items put back as "Section N".
std::vector<std::string> restoreInvalidDecimals(const std::vector<double>& defaults);
// After a dialog stored what the user typed: the same, with `before` the decimals before the store, and the
// user told which items were put back (as after a read). Returns how many were.
int keepValidDecimals(const std::vector<double>& before);
