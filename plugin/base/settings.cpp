// Defaults of the settings block, and the settings file: read (file, then the part's record, then fixed
// values and range checks) and written section by section.
#include "plugin/base/settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "host/api.h"
#include "platform/sys/files.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"

namespace {

constexpr int kMsgToolLibraryGone = 192, kMsgNameRefused = 240;

// ---- defaults --------------------------------------------------------------------------------------------

// "DefaultSettings" line n: the first word (or the second), read from the line or, without the line, from
// the default text; a line without such a word gives 0.
class DefaultLines {
public:
    explicit DefaultLines(const CTextSection& section) : section_(section) {}
    std::string word(int line, const char* fallback, int index = 0) const {
        const std::string text = section_.getTextOr(line, fallback);
        std::size_t pos = 0;
        for (int i = 0;; ++i) {
            pos = text.find_first_not_of(' ', pos);
            if (pos == std::string::npos) return "";
            const std::size_t end = text.find(' ', pos);
            if (i == index) return text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            if (end == std::string::npos) return "";
            pos = end;
        }
    }
    long l(int line, const char* fallback) const { return std::atol(word(line, fallback).c_str()); }
    // A default that is no finite number is the built-in one.
    double d(int line, const char* fallback, int index = 0) const {
        const double value = std::atof(word(line, fallback, index).c_str());
        if (std::isfinite(value)) return value;
        return std::atof(DefaultLines(CTextSection()).word(line, fallback, index).c_str());
    }

private:
    const CTextSection& section_;
};

std::string trimBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void rebuildReportFiles(PLUGIN_GLOBALS& g, bool showErrors) {
    g.settings.drillingListFile = g.partDir + g.partName + ".txt";
    CTextSection machiningTime;
    (void)machiningTime.load(g.uiTextFile, "MachiningTime", showErrors);
    g.settings.machiningTimeFile = g.partDir + g.partName + trimBlanks(machiningTime.getText(9)) + ".txt";
}

void setBuiltInDefaults(PRM_SETTINGS& s) {
    const std::string toolLibraryPath = s.toolLibraryPath;
    s = PRM_SETTINGS{};
    s.toolLibraryPath = toolLibraryPath;
    s.settingsFormat = 33;
    s.reservedGeneral3 = 1;
    s.supportGeometryInclinedOnly = 1;
    s.intelligentProcess = 1;
    s.maxDiameter = 40;
    s.maxDiameterOn = 1;
    s.minDiameter = 0.5;
    s.minDiameterOn = 1;
    s.checkCollisions = 1;
    s.reservedProcessMach17 = 1;
    s.reservedProcessMach18 = 10;
    s.breakthroughMode = 1;
    s.breakthroughLength = 3;
    s.breakthroughRatio = 0.5;
    s.drillFromBothFaces = 1;
    s.openSpaceFactor = 2;
    s.firstFaceShare = 0.5;
    s.warnMaxDepth = 1;
    s.divideReamedDepth = 1;
    s.divideNotReamedDepth = 1;
    s.processTreeOption = 1;
    s.longToolCycle = 2;
    s.minSweepAngle = 340;
    s.roundnessTolerance = g_tolerances.tol02T;
    s.axisAngleTolerance = 0.04;
    s.openBoundaryTolerance = g_tolerances.tol4T;
    s.featMgrToleranceA = 0.02;
    s.featMgrToleranceB = 0.02;
    s.longToolStartAtTop = 1;
    s.minToolLengthFactor = 1;
    s.maxToolLengthFactor = 8;
    s.toolLengthKind = 1;
    s.minFluteLengthFactor = 1;
    s.useHighestHill = 1;
    s.checkFluteLength = 1;
    s.toolSequencingOption = 1;
    s.takeNearestTool = 1;
    s.minDrawnTipAngle = 116;
    s.maxDrawnTipAngle = 136;
    s.subprogramsIncremental = 1;
    s.spotDrillByName = 1;
    s.spotDrillDiameter = 16;
    s.spotDepthPercent = 30;
    s.spotDepthValue = 5;
    s.firstToolNumber = 1;
    s.defaultTipAngle = 118;
}

// ---- the file --------------------------------------------------------------------------------------------

bool isRead(const SETTING_ITEM& it) {
    if (it.kind == SettingKind::Reserved) return false;
    return !(it.section == 2 && (it.item == 1 || it.item == 7));   // format number and read/write mode
}

bool normalisedToOne(const SETTING_ITEM& it) {
    return (it.section == 1 && it.item == 1) || (it.section == 4 && (it.item == 47 || it.item == 48 || it.item == 50));
}

bool inverted(const SETTING_ITEM& it) { return it.section == 6 && it.item == 3; }

void readItem(const CTextSection& s, const SETTING_ITEM& it) {
    switch (it.kind) {
    case SettingKind::I16:
    case SettingKind::AtomicI16: {
        const std::int16_t m = shortItemValue(it);
        long v = s.getLong(it.item, inverted(it) ? (m == 0 ? 1 : 0) : m);
        if (inverted(it)) v = v == 0 ? 1 : 0;
        if (normalisedToOne(it) && v != 0) v = 1;
        setShortItem(it, static_cast<std::int16_t>(v));
        break;
    }
    case SettingKind::I32: {
        auto& m = *static_cast<std::int32_t*>(it.member);
        m = static_cast<std::int32_t>(s.getLong(it.item, m));
        break;
    }
    case SettingKind::U8: {
        auto& m = *static_cast<std::uint8_t*>(it.member);
        long v = s.getLong(it.item, m);
        m = static_cast<std::uint8_t>(normalisedToOne(it) && v != 0 ? 1 : v);
        break;
    }
    case SettingKind::F64: {
        auto& m = *static_cast<double*>(it.member);
        m = s.getDouble(it.item, m);
        break;
    }
    case SettingKind::Text: {
        auto& m = *static_cast<std::string*>(it.member);
        m = s.getTextOr(it.item, m);
        break;
    }
    case SettingKind::Colours6: {
        auto& m = *static_cast<std::array<std::uint8_t, 6>*>(it.member);
        parseColourList(s.getTextOr(it.item, colourListText(m.data(), 6)), m.data(), 6, false);
        break;
    }
    case SettingKind::Colours3: {
        auto& m = *static_cast<std::array<std::uint8_t, 3>*>(it.member);
        parseColourList(s.getTextOr(it.item, colourListText(m.data(), 3)), m.data(), 3, true);
        break;
    }
    case SettingKind::Reserved:
        break;
    }
}

void writeItem(CTextSection& s, const SETTING_ITEM& it) {
    switch (it.kind) {
    case SettingKind::I16:
    case SettingKind::AtomicI16: {
        const std::int16_t m = shortItemValue(it);
        s.setLong(it.item, inverted(it) ? (m == 0 ? 1 : 0) : m);
        break;
    }
    case SettingKind::I32: s.setLong(it.item, *static_cast<const std::int32_t*>(it.member)); break;
    case SettingKind::U8: s.setLong(it.item, *static_cast<const std::uint8_t*>(it.member)); break;
    case SettingKind::F64: s.setDouble(it.item, *static_cast<const double*>(it.member)); break;
    case SettingKind::Text: s.setText(it.item, *static_cast<const std::string*>(it.member)); break;
    case SettingKind::Colours6:
        s.setText(it.item, colourListText(static_cast<const std::array<std::uint8_t, 6>*>(it.member)->data(), 6));
        break;
    case SettingKind::Colours3:
        s.setText(it.item, colourListText(static_cast<const std::array<std::uint8_t, 3>*>(it.member)->data(), 3));
        break;
    case SettingKind::Reserved: s.setText(it.item, ""); break;
    }
}

void writeSection(const std::string& file, int section, const std::vector<SETTING_ITEM>& items) {
    int count = 0;
    for (const SETTING_ITEM& it : items) count += it.section == section;
    CTextSection s;
    s.init(file, kSettingsSections[static_cast<std::size_t>(section - 1)], static_cast<std::int16_t>(count));
    for (const SETTING_ITEM& it : items) {
        if (it.section == section) writeItem(s, it);
    }
    s.save();
    s.clear();
}

template <class T>
void clampBelow(T& value, T low) {
    if (value < low) value = low;
}
template <class T>
void clampAbove(T& value, T high) {
    if (value > high) value = high;
}

// One message box naming the items put back to their defaults. After a read the same list is not told twice
// in a row, as every invocation of a paused cycle reads the settings again before they are written back; a
// dialog's store is the user's own act and is always answered.
void tellRestored(const std::vector<std::string>& items, bool afterRead = true) {
    PLUGIN_GLOBALS& g = *g_globals;
    std::string list;
    for (const std::string& item : items) list += (list.empty() ? "" : ", ") + item;
    if (list.empty() || (afterRead && list == g.settingsToldFor)) return;
    g.settingsToldFor = list;
    plat::messageBox(nullptr, errorMessage(15) + "\n" + list, errorMessage(1), plat::MB_OK | plat::MB_ICONWARNING);
}

void recomputeTolerances(const PRM_SETTINGS& s) {
    const double t = s.baseTolerance;
    g_tolerances.tolT = t;
    g_tolerances.tol2T = 2 * t;
    g_tolerances.tol4T = 4 * t;
    g_tolerances.tol08T = 0.8 * t;
    g_tolerances.tol04T = 0.4 * t;
    g_tolerances.tol02T = 0.2 * t;
    g_tolerances.tol004T = 0.04 * t;
    g_tolerances.tol0004T = 0.004 * t;
    g_tolerances.axisAngle = s.axisAngleTolerance * M_PI / 180.0;
}

}  // namespace

void updateEffectiveOversize(PRM_SETTINGS& s) { s.effectiveOversize = s.allowOversizeTools ? s.oversizeLimit : 0; }

int keepValidDecimals(const std::vector<double>& before) {
    const std::vector<std::string> restored = restoreInvalidDecimals(before);
    tellRestored(restored, false);
    return static_cast<int>(restored.size());
}

std::string colourListText(const std::uint8_t* values, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(values[i]) + " ";
    return text;
}

// The numbers of a colour list: each is read at the start of the rest of the text; the next starts after
// the next blank. Without a further blank the file's reader keeps the remaining values, the record's reader
// (and the file's three-value list) starts again at the beginning of the text.
void parseColourList(const std::string& text, std::uint8_t* values, int count, bool restartWhenNoBlank) {
    std::size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        values[i] = static_cast<std::uint8_t>(std::atoi(text.c_str() + pos));
        const std::size_t blank = text.find(' ', pos);
        if (blank == std::string::npos) {
            if (!restartWhenNoBlank) return;
            pos = 0;
        } else {
            pos = blank + 1;
        }
    }
}

bool isPlainName(std::string_view name) {
    return name.find("..") == std::string_view::npos && name.find_first_of("/\\:") == std::string_view::npos;
}

bool acceptPlainName(std::string_view name) {
    if (isPlainName(name)) return true;
    mprintf(fillText(errorMessage(kMsgNameRefused), {std::string(name)}).c_str());
    return false;
}

std::string otherUnitSettingsFile(const std::string& settingsFile) {
    // Only the file's own name names the unit: the folders above it may hold "_mm." too.
    const std::size_t nameAt = settingsFile.find_last_of("/\\") + 1;
    const bool metric = settingsFile.find("_mm.", nameAt) != std::string::npos;
    const std::string from = metric ? "_mm." : "_in.", to = metric ? "_in." : "_mm.";
    std::string out = settingsFile;
    for (std::size_t pos = out.find(from, nameAt); pos != std::string::npos; pos = out.find(from, pos + to.size()))
        out.replace(pos, from.size(), to);
    return out;
}

int setDefaultSettings(std::int16_t keepPaths) {
    PLUGIN_GLOBALS& g = *g_globals;
    PRM_SETTINGS& s = g.settings;
    CTextSection defaults, pathNames;
    if (defaults.load(g.uiTextFile, "DefaultSettings", true) != 0) return 0;
    if (pathNames.load(g.uiTextFile, "PathNames", true) != 0) return 0;

    setBuiltInDefaults(s);
    if (!keepPaths) {
        s.toolLibraryPath = g_hostToolLibrary;
        g.libraryName = pathNames.getText(2);
    }
    s.interchangePath = ascii_prefix;
    s.interchangeFilterIndex = 0;
    s.drillingListOn = 0;
    s.machiningTimeListOn = 1;
    s.reamClassColours = {0, 9, 13, 0, 0, 0};
    s.threadClassColours = {14, 0, 0};
    s.colourConfigName = "Default";
    s.threadClassTables = {"K_Metric_Tap", "", ""};
    s.reamClassTables = {"Q_Reaming{H6}", "Q_Reaming{H8}", "", "", "", ""};
    s.blindTapAddPercent = 150;
    s.throughTapAddPercent = 150;
    s.shapeLevel = main_level;

    const DefaultLines d(defaults);
    s.addNewTools = static_cast<std::int16_t>(d.l(1, "1"));
    s.clearanceAtEndsOnly = static_cast<std::int16_t>(d.l(2, "0"));
    s.tryDrillBeyondMax = static_cast<std::int16_t>(d.l(3, "1"));
    s.featRecognitionSwitchA = static_cast<std::int16_t>(d.l(4, "0"));
    s.featRecognitionSwitchB = static_cast<std::int16_t>(d.l(5, "0"));
    s.designDialogSwitch = static_cast<std::int16_t>(d.l(6, "0"));
    s.configListSwitch = static_cast<std::int16_t>(d.l(7, "1"));
    s.drillingListOn = static_cast<std::int16_t>(d.l(8, "1"));
    s.machiningTimeListOn = static_cast<std::int16_t>(d.l(9, "1"));
    s.viewsSortOrder = static_cast<std::int16_t>(d.l(10, "0"));
    s.newViewsOrientation = static_cast<std::int16_t>(d.l(11, "0"));
    s.nameNewViews = static_cast<std::uint8_t>(d.l(12, "1"));
    s.supportGeometryOn = static_cast<std::int16_t>(d.l(13, "1"));
    s.initialHeight = d.d(14, "0 0");
    s.clearanceAddition = d.d(15, "5 0.25");
    s.retractHeight = d.d(16, "2 0.1");
    s.divideReamed = static_cast<std::int16_t>(d.l(17, "2"));
    s.divideNotReamed = static_cast<std::int16_t>(d.l(18, "2"));
    s.newFormsLevel = static_cast<std::int32_t>(d.l(19, "1000250"));
    s.featuresLevel = static_cast<std::int32_t>(d.l(20, "1000254"));
    s.isolationLevel = static_cast<std::int32_t>(d.l(21, "1000253"));
    s.formsLevel = static_cast<std::int32_t>(d.l(22, "1000252"));
    s.supportGeometryLevel = static_cast<std::int32_t>(d.l(23, "1000251"));
    s.circleMillPerHole = static_cast<std::int16_t>(d.l(24, "0"));
    s.reamArcColour = static_cast<std::int32_t>(d.l(25, "20"));
    s.reamSelectionColour = static_cast<std::int32_t>(d.l(26, "15"));
    s.sameShapeStrict = static_cast<std::int16_t>(d.l(27, "0"));
    s.formsLevelShowMode = static_cast<std::int16_t>(d.l(28, "2"));
    s.featMgrFilter[5] = static_cast<std::int16_t>(d.l(29, "2"));

    if (g.metric()) {
        s.baseTolerance = 0.025;
        s.oversizeLimit = 0.05;
    } else {
        s.maxDiameter = 1.5;
        s.minDiameter = 0.02;
        s.breakthroughLength = 0.1;
        s.spotDrillDiameter = 0.625;
        s.spotDepthPercent = 30;
        s.spotDepthValue = 0.1875;
        s.baseTolerance = 0.001;
        s.oversizeLimit = 0.002;
        s.initialHeight = d.d(14, "0 0", 1);
        s.clearanceAddition = d.d(15, "5 0.25", 1);
        s.retractHeight = d.d(16, "2 0.1", 1);
    }
    s.onlySelectedViews = 0;
    rebuildReportFiles(g, true);
    g_tolerances.axisAngle = s.axisAngleTolerance * M_PI / 180.0;
    updateEffectiveOversize(s);
    return 0;
}

int readSettings() {
    PLUGIN_GLOBALS& g = *g_globals;
    PRM_SETTINGS& s = g.settings;
    const TOLERANCES start = g_tolerances;
    const std::vector<double> defaults = decimalSettings();
    if (!plat::canWrite(g.settingsFile)) writeSettings(1);

    const std::vector<SETTING_ITEM> items = settingsItems();
    for (int section : {2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11}) {
        CTextSection text;
        if (text.load(g.settingsFile, kSettingsSections[static_cast<std::size_t>(section - 1)], false) != 0) continue;
        for (const SETTING_ITEM& it : items) {
            if (it.section == section && isRead(it)) readItem(text, it);
        }
    }
    readSettingsRecord();
    tellRestored(restoreInvalidDecimals(defaults));
    if (!acceptPlainName(g.libraryName)) {
        CTextSection pathNames;
        (void)pathNames.load(g.uiTextFile, "PathNames", true);
        g.libraryName = pathNames.getText(2);
    }
    // A tool library the settings name that is gone (the host moved, the file was removed) gives way to the
    // host's own, as on a first start; the message line says so.
    if (!s.toolLibraryPath.empty() && !plat::fileExists(s.toolLibraryPath) && !g_hostToolLibrary.empty() &&
        plat::fileExists(g_hostToolLibrary)) {
        mprintf(fillText(errorMessage(kMsgToolLibraryGone), {s.toolLibraryPath, g_hostToolLibrary}).c_str());
        s.toolLibraryPath = g_hostToolLibrary;
    }

    s.minDiameterOn = 1;
    s.maxDiameterOn = 1;
    s.reservedGeneral2 = 0;
    clampBelow(s.minDrawnTipAngle, 30.0);
    clampAbove(s.maxDrawnTipAngle, 179.0);
    if (s.firstFaceShare > 0.99 || s.firstFaceShare < 0.01) s.firstFaceShare = 0.5;
    if (s.breakthroughRatio > 1 || s.breakthroughRatio < 0) s.breakthroughRatio = 0.5;

    std::string upper = g.sharedDir;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* forms : {"FORMS_MM", "FORMS_INCH"}) {
        // The folder separator before the forms folder may be either; the cut keeps what lies before it.
        std::size_t at = std::string::npos;
        for (const char* sep : {"\\", "/"}) {
            const std::size_t found = upper.find(std::string(sep) + forms);
            if (found < at) at = found;
        }
        if (at != std::string::npos) {
            g.sharedDir.resize(at);
            break;
        }
    }

    if (s.featuresLevel < 1) s.featuresLevel = 1000254;
    if (s.isolationLevel < 1) s.isolationLevel = 1000253;
    if (s.formsLevel < 1) s.formsLevel = 1000252;
    if (s.supportGeometryLevel < 1) s.supportGeometryLevel = 1000251;
    // The copy serves the entity utilities: it takes the checked level, never one below 1.
    s.featuresLevelCopy = s.featuresLevel;

    clampAbove(s.minSweepAngle, 360.0);
    clampBelow(s.minSweepAngle, 90.0);
    clampBelow(s.roundnessTolerance, start.tol004T);
    clampAbove(s.roundnessTolerance, start.tol4T);
    clampAbove(s.axisAngleTolerance, 0.5);
    clampBelow(s.axisAngleTolerance, 0.001);
    clampBelow(s.openBoundaryTolerance, start.tol04T);
    clampAbove(s.openBoundaryTolerance, 10 * start.tol4T);

    rebuildReportFiles(g, true);
    updateEffectiveOversize(s);
    recomputeTolerances(s);
    return 0;
}

namespace {
// The shared-data watcher writes the settings files from its own thread.
std::mutex g_settingsFilesMutex;
}  // namespace

int writeSettings(std::int16_t fileOnly) {
    PLUGIN_GLOBALS& g = *g_globals;
    if (!fileOnly) {
        writeSettingsRecord(g.settings.featuresLevel);
        if (g.settings.readWriteMode == 1) return 0;
    }
    std::lock_guard lock(g_settingsFilesMutex);
    const std::vector<SETTING_ITEM> items = settingsItems();
    writeSection(g.settingsFile, 1, items);
    writeSection(otherUnitSettingsFile(g.settingsFile), 1, items);
    for (int section = 2; section <= 11; ++section) writeSection(g.settingsFile, section, items);
    return 0;
}

int writeSharedDataSettings(const std::string& settingsFile, std::uint8_t on, std::int16_t mode,
                            const std::string& folder) {
    std::string folderCopy = folder;
    const std::vector<SETTING_ITEM> items = {{1, 1, SettingKind::U8, &on},
                                             {1, 2, SettingKind::I16, &mode},
                                             {1, 3, SettingKind::Text, &folderCopy}};
    std::lock_guard lock(g_settingsFilesMutex);
    writeSection(settingsFile, 1, items);
    writeSection(otherUnitSettingsFile(settingsFile), 1, items);
    return 0;
}
