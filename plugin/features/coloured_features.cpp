// The coloured-features configurations: their files, the dialog that edits, saves, renames and deletes
// them, and the one-line name entry it asks names with. A name must stay a file of the forms folder, and a
// failed write or rename is told and leaves the configuration shown as it was.
#include "plugin/features/coloured_features.h"

#include <algorithm>
#include <cstdlib>

#include "host/api.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/tab_cols_desc.h"

namespace {

constexpr std::int16_t kNamedTablesClass = 3, kThreadTablesClass = 2;
constexpr int kReamRows = 6, kThreadRows = 3;

const char* const kSections[4] = {"ReamColors", "ReamTables", "ThreadColors", "ThreadTables"};

std::uint8_t lowByte(long value) { return static_cast<std::uint8_t>(static_cast<unsigned long>(value) & 0xFF); }

// The titles of the tables of a class in the tables folder.
std::vector<std::string> tablesOfClass(std::int16_t tableClass) {
    std::vector<std::string> names;
    const std::string& folder = g_globals->tablesDir;
    for (const plat::FileEntry& file : plat::findFiles(folder, "*.tab")) {
        CTabColsDesc table;
        if (table.read(plat::joinPath(folder, file.name)) != 0 || table.tableClass != tableClass) continue;
        names.push_back(file.name.substr(0, file.name.size() - 4));
    }
    return names;
}

}  // namespace

// ---- the files ----------------------------------------------------------------------------------------------

std::string colouredConfigPath(const std::string& name) {
    return plat::joinPath(g_globals->formsDir, name + "." + CDlgFeaturesColoredConfig::kExtension);
}

bool validConfigName(const std::string& name) {
    return !name.empty() && name.find_first_of("/\\") == std::string::npos && name.find("..") == std::string::npos;
}

COLOURED_FEATURES readColouredConfig(const std::string& path) {
    COLOURED_FEATURES c;
    CTextSection s;
    if (s.load(path, kSections[0], false) == 0)
        for (int k = 0; k < kReamRows; ++k) c.reamColors[k] = lowByte(s.getLong(k + 1, 0));
    if (s.load(path, kSections[1], false) == 0)
        for (int k = 0; k < kReamRows; ++k) c.reamTables[k] = s.getText(k + 1);
    if (s.load(path, kSections[2], false) == 0)
        for (int k = 0; k < kThreadRows; ++k) c.threadColors[k] = lowByte(s.getLong(k + 1, 0));
    if (s.load(path, kSections[3], false) == 0)
        for (int k = 0; k < kThreadRows; ++k) c.threadTables[k] = s.getText(k + 1);
    return c;
}

bool writeColouredConfig(const std::string& path, const COLOURED_FEATURES& c) {
    const std::optional<std::string> old = plat::readFile(path);
    std::string text = old.value_or("");
    auto merge = [&](const char* section, int count, auto itemText) {
        CTextSection s;
        s.init(path, section, static_cast<std::int16_t>(count));
        for (int k = 0; k < count; ++k) s.setText(k + 1, itemText(k));
        text = s.mergedInto(text);
    };
    merge(kSections[0], kReamRows, [&](int k) { return std::to_string(c.reamColors[k]); });
    merge(kSections[1], kReamRows, [&](int k) { return c.reamTables[k]; });
    merge(kSections[2], kThreadRows, [&](int k) { return std::to_string(c.threadColors[k]); });
    merge(kSections[3], kThreadRows, [&](int k) { return c.threadTables[k]; });
    if (old) {
        std::string backup = path;
        backup.back() = '~';
        if (!plat::copyFile(path, backup, false, plat::Flush::none)) return false;
    }
    return plat::writeFile(path, text);
}

// ---- the name entry -------------------------------------------------------------------------------------------

CDlgInput::CDlgInput() : plat::Dialog(kTemplate) {}

bool CDlgInput::onInitDialog() {
    setWindowText(caption);
    item(kLabel).setText(label);
    item(plat::IDOK).setText(okText);
    item(plat::IDCANCEL).setText(cancelText);
    item(kEdit).setText(value);
    item(kEdit).setFocus();
    item(kEdit).setEditSel(0, -1);
    return false;
}

void CDlgInput::onOK() {
    value = item(kEdit).text();
    endDialog(plat::IDOK);
}

// ---- the configuration dialog -----------------------------------------------------------------------------------

CDlgFeaturesColoredConfig::CDlgFeaturesColoredConfig() : plat::Dialog(kTemplate) {
    for (int k = 0; k < kReamRows; ++k) {
        onCommand(kReamPick + k, [this, k] { onPickColour(kReamColour + k, true); });
        onCommand(kReamRgb + k, [this, k] { onRgb(kReamColour + k, true); });
    }
    for (int k = 0; k < kThreadRows; ++k) {
        onCommand(kThreadPick + k, [this, k] { onPickColour(kThreadColour + k, true); });
        onCommand(kThreadRgb + k, [this, k] { onRgb(kThreadColour + k, false); });
    }
    on(kConfigs, plat::Ev::SelChange, [this](plat::Notify&) { onConfigChanged(); });
    onCommand(kSaveAs, [this] { onSaveAs(); });
    onCommand(kRename, [this] { onRename(); });
    onCommand(kDelete, [this] { onDelete(); });
}

bool CDlgFeaturesColoredConfig::onInitDialog() {
    if (texts_.load(g_globals->uiTextFile, "ColoredFeaturesSettingsDlg", false) != 0) {
        endDialog(plat::IDOK);   // the caller takes its own values back
        return true;
    }
    setWindowText(texts_.getText(1));
    const std::pair<int, int> labels[] = {
        {plat::IDOK, 2},      {plat::IDCANCEL, 3},     {kSaveAs, 11},          {kRename, 12},
        {kDelete, 13},        {kReamFrame, 20},        {kReamColourHead, 22},  {kReamTableHead, 23},
        {kConfigFrame, 24},   {kThreadFrame, 60},      {kThreadColourHead, 62}, {kThreadTableHead, 63},
    };
    for (const auto& [id, line] : labels) item(id).setText(texts_.getText(line));
    for (int k = 0; k < kReamRows; ++k) {
        item(kReamPick + k).setText(texts_.getText(51));
        item(kReamRgb + k).setText(texts_.getText(52));
    }
    listConfigFiles(configName);
    readConfigFile();
    vertaColors.clear();
    (void)readVertaColorTable(vertaColors);
    hostColors.clear();
    for (int k = 0; k < 256; ++k) {
        RGB_COLOR_NUM entry;
        const std::uint32_t rgb = Wd_colors[k];
        entry.red = static_cast<std::uint8_t>(rgb & 0xFF);
        entry.green = static_cast<std::uint8_t>((rgb >> 8) & 0xFF);
        entry.blue = static_cast<std::uint8_t>((rgb >> 16) & 0xFF);
        entry.colorNumber = static_cast<std::uint8_t>(color_of_palette_entry(k));
        entry.listIndex = static_cast<std::uint16_t>(k);
        for (const RGB_COLOR_NUM& v : vertaColors) {
            if (v.colorNumber != entry.colorNumber) continue;
            entry.red = v.red, entry.green = v.green, entry.blue = v.blue;
            entry.vertaNumber = v.vertaNumber;
            break;
        }
        hostColors.push_back(entry);
    }
    setTopmost(true);
    return true;
}

COLOURED_FEATURES CDlgFeaturesColoredConfig::members() const {
    return COLOURED_FEATURES{reamColors, reamTables, threadColors, threadTables};
}

void CDlgFeaturesColoredConfig::takeMembers(const COLOURED_FEATURES& c) {
    reamColors = c.reamColors;
    reamTables = c.reamTables;
    threadColors = c.threadColors;
    threadTables = c.threadTables;
}

void CDlgFeaturesColoredConfig::listConfigFiles(const std::string& select) {
    const std::string pattern = std::string("*.") + kExtension;
    std::vector<plat::FileEntry> files = plat::findFiles(g_globals->formsDir, pattern);
    if (files.empty()) {
        if (!writeColouredConfig(colouredConfigPath("Default"), members())) tell(204, "Default");
        files = plat::findFiles(g_globals->formsDir, pattern);
    }
    plat::Control& list = item(kConfigs);
    list.resetContent();
    for (const plat::FileEntry& f : files) list.addString(f.name.substr(0, f.name.size() - pattern.size() + 1));
    const int found = list.findStringExact(select);
    list.setCurSel(found >= 0 ? found : (list.count() > 0 ? 0 : -1));
    if (list.curSel() >= 0) configName = list.itemText(list.curSel());
}

std::string CDlgFeaturesColoredConfig::selectedConfig() const {
    const plat::Control* list = const_cast<CDlgFeaturesColoredConfig*>(this)->findItem(kConfigs);
    return list && list->curSel() >= 0 ? list->itemText(list->curSel()) : std::string();
}

void CDlgFeaturesColoredConfig::readConfigFile() {
    takeMembers(readColouredConfig(colouredConfigPath(configName)));
    loadControls();
}

bool CDlgFeaturesColoredConfig::writeConfigFile() {
    if (writeColouredConfig(colouredConfigPath(configName), members())) return true;
    tell(204, configName);
    return false;
}

void CDlgFeaturesColoredConfig::loadControls() {
    auto fill = [this](int colourId, int tableId, int rows, std::int16_t tableClass, const std::uint8_t* colours,
                       const std::string* tables) {
        const std::vector<std::string> names = tablesOfClass(tableClass);
        for (int k = 0; k < rows; ++k) {
            item(colourId + k).setText(std::to_string(colours[k]));
            plat::Control& list = item(tableId + k);
            list.resetContent();
            for (const std::string& n : names) list.addString(n);
            const int found = list.findStringExact(tables[k]);
            list.setCurSel(found >= 0 ? found : (list.count() > 0 ? 0 : -1));
        }
    };
    fill(kReamColour, kReamTable, kReamRows, kNamedTablesClass, reamColors.data(), reamTables.data());
    fill(kThreadColour, kThreadTable, kThreadRows, kThreadTablesClass, threadColors.data(), threadTables.data());
}

void CDlgFeaturesColoredConfig::saveControls() {
    auto take = [this](int colourId, int tableId, int rows, std::uint8_t* colours, std::string* tables) {
        for (int k = 0; k < rows; ++k) {
            colours[k] = lowByte(std::strtol(item(colourId + k).text().c_str(), nullptr, 10));
            const plat::Control& list = item(tableId + k);
            tables[k] = list.curSel() >= 0 ? list.itemText(list.curSel()) : std::string();
        }
    };
    take(kReamColour, kReamTable, kReamRows, reamColors.data(), reamTables.data());
    take(kThreadColour, kThreadTable, kThreadRows, threadColors.data(), threadTables.data());
}

void CDlgFeaturesColoredConfig::tell(int line, const std::string& name) {
    plat::messageBox(this, fillText(texts_.getText(line), {name}), errorMessage(1), plat::MB_OK | plat::MB_ICONWARNING);
}

std::string CDlgFeaturesColoredConfig::askName(const std::string& start) {
    CDlgInput input;
    input.caption = texts_.getText(100);
    input.label = texts_.getText(111);
    input.okText = texts_.getText(101);
    input.cancelText = texts_.getText(102);
    input.value = start;
    if (doModalInPluginRes(input, this) != plat::IDOK) return "";
    if (validConfigName(input.value)) return input.value;
    tell(203, input.value);
    return "";
}

void CDlgFeaturesColoredConfig::onConfigChanged() {
    configName = selectedConfig();
    readConfigFile();
}

void CDlgFeaturesColoredConfig::onSaveAs() {
    const std::string selected = selectedConfig();
    if (selected.empty()) return;
    const std::string name = askName(selected);
    if (name.empty()) return;
    saveControls();
    const std::string previous = configName;
    configName = name;
    if (!writeConfigFile()) configName = previous;
    listConfigFiles(configName);
}

void CDlgFeaturesColoredConfig::onRename() {
    const std::string selected = selectedConfig();
    if (selected.empty()) return;
    const std::string name = askName(selected);
    if (name.empty()) return;
    if (!plat::moveFile(colouredConfigPath(selected), colouredConfigPath(name))) {
        tell(205, name);
        listConfigFiles(configName);
        return;
    }
    listConfigFiles(name);
    configName = name;
    readConfigFile();
}

void CDlgFeaturesColoredConfig::onDelete() {
    const std::string selected = selectedConfig();
    if (selected.empty()) return;
    const std::string ask = fillText(texts_.getText(202), {selected});
    if (plat::messageBox(this, ask, errorMessage(1), plat::MB_YESNO | plat::MB_ICONWARNING) != plat::IDYES) return;
    (void)plat::removeFile(colouredConfigPath(selected));
    listConfigFiles("");
    configName = selectedConfig();
    readConfigFile();
}

void CDlgFeaturesColoredConfig::warnIfSelectionColour(int colour) {
    if (colour != select_color) return;
    plat::messageBox(this, texts_.getText(201), errorMessage(1), plat::MB_OK);
}

void CDlgFeaturesColoredConfig::onPickColour(int field, bool warn) {
    setTopmost(false);
    int colour = lowByte(std::strtol(item(field).text().c_str(), nullptr, 10));
    if (sel_color_dialog(&colour) == 1) {
        if (warn) warnIfSelectionColour(colour);
        item(field).setText(std::to_string(colour));
    }
    setTopmost(true);
}

void CDlgFeaturesColoredConfig::onRgb(int field, bool warn) {
    if (warn) setTopmost(false);
    CDlgRGBcolorsMgr picker;
    picker.colorList = &hostColors;
    picker.currentColor = static_cast<std::int16_t>(lowByte(std::strtol(item(field).text().c_str(), nullptr, 10)));
    picker.onlyTranslated = vertaColors.empty() ? 0 : 1;
    if (doModalInPluginRes(picker, this) == plat::IDOK) {
        const auto at = std::find_if(hostColors.begin(), hostColors.end(),
                                     [&](const RGB_COLOR_NUM& e) { return e.listIndex == picker.chosenIndex; });
        if (at != hostColors.end()) {
            if (warn) warnIfSelectionColour(at->colorNumber);
            item(field).setText(std::to_string(at->colorNumber));
        }
    }
    if (warn) setTopmost(true);
}

void CDlgFeaturesColoredConfig::onOK() {
    saveControls();
    if (!writeConfigFile()) return;   // told; the dialog stays open with the user's values
    endDialog(plat::IDOK);
}

bool editColouredFeatures(std::string& configName, COLOURED_FEATURES& classes, plat::Dialog* parent) {
    CDlgFeaturesColoredConfig dlg;
    dlg.configName = configName;
    dlg.takeMembers(classes);
    if (doModalInPluginRes(dlg, parent) != plat::IDOK) return false;
    configName = dlg.configName;
    classes = dlg.members();
    return true;
}
