// Which host colour stands for which hole feature: six reaming classes and three thread classes, each a
// colour and a process table, kept as named configurations ("<name>.ReamCfg" in the forms folder of the
// units), with a picker of colours by their RGB values and a one-line name entry.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "plugin/base/part_record.h"
#include "plugin/base/text_section.h"
#include "plugin/services/features.h"

// "<forms folder>/<name>.ReamCfg".
std::string colouredConfigPath(const std::string& name);
// Reads the file: a missing file, section or item gives colour 0 and an empty table; a colour keeps its
// low eight bits.
COLOURED_FEATURES readColouredConfig(const std::string& path);
// Writes the four sections ("ReamColors", "ReamTables", "ThreadColors", "ThreadTables") into the file,
// replacing them in place and keeping every other line, after a backup ("~" for the last character). The
// file is written whole or not at all: false (the file as it was) when it could not be.
bool writeColouredConfig(const std::string& path, const COLOURED_FEATURES& config);
// Whether the name can name a configuration file in the forms folder: not empty, no path separator, no "..".
bool validConfigName(const std::string& name);

// Which host colour stands for which reaming and thread class, and its process table, as named
// configurations ("<name>.ReamCfg" in the forms folder of the units).
// The caller sets `configName` and the colours and tables, runs it and takes them back after IDOK. Its
// buttons save, rename and delete configuration files at once.
class CDlgFeaturesColoredConfig : public plat::Dialog {
public:
    static constexpr int kTemplate = 18200;
    static constexpr int kReamColour = 5000, kReamPick = 5010, kReamRgb = 5020, kReamTable = 5030;
    static constexpr int kThreadColour = 5040, kThreadPick = 5050, kThreadRgb = 5060, kThreadTable = 5070;
    static constexpr int kConfigs = 5080, kSaveAs = 5081, kRename = 5082, kDelete = 5083;
    static constexpr int kReamFrame = 5090, kConfigFrame = 5091, kThreadFrame = 5092, kReamColourHead = 5093,
                         kReamTableHead = 5094, kThreadColourHead = 5095, kThreadTableHead = 5096;
    static constexpr const char* kExtension = "ReamCfg";

    CDlgFeaturesColoredConfig();

    std::string configName;
    std::vector<RGB_COLOR_NUM> hostColors;     // the palette, with what the part's table translates
    std::vector<RGB_COLOR_NUM> vertaColors;
    std::array<std::uint8_t, 3> threadColors{};
    std::array<std::string, 3> threadTables;
    std::array<std::uint8_t, 6> reamColors{};
    std::array<std::string, 6> reamTables;
    COLOURED_FEATURES members() const;
    void takeMembers(const COLOURED_FEATURES& config);

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    // Lists the configuration files (writing "Default" from the members when there is none) and selects
    // the one of that name, or the first; configName follows the selection.
    void listConfigFiles(const std::string& select);
    void readConfigFile();
    bool writeConfigFile();
    void loadControls();
    void saveControls();
    std::string selectedConfig() const;
    // The name typed in the entry for Save as and Rename; "" when cancelled or refused (after a message).
    std::string askName(const std::string& start);
    void onConfigChanged();
    void onSaveAs();
    void onRename();
    void onDelete();
    void onPickColour(int field, bool warn);
    void onRgb(int field, bool warn);
    void warnIfSelectionColour(int colour);
    void tell(int line, const std::string& name);

    CTextSection texts_;
};

// A one-line text entry: the caller sets the texts and the value, OK gives the typed value back.
class CDlgInput : public plat::Dialog {
public:
    static constexpr int kTemplate = 18202, kLabel = 1001, kEdit = 1002;
    CDlgInput();
    std::string caption, label, okText, cancelText, value;

protected:
    bool onInitDialog() override;
    void onOK() override;
};

// Picks a colour of the caller's list by its RGB value: rows of "RRR-GGG-BBB", the colour number and the
// translated number, every entry or only the translated ones, sorted by a column on its header's click.
// OK gives the listIndex of the selected row's entry in `chosenIndex` (unchanged when none is selected).
class CDlgRGBcolorsMgr : public plat::Dialog {
public:
    static constexpr int kTemplate = 18201, kList = 1001, kViewAll = 1002, kOnlyTranslated = 1003;
    CDlgRGBcolorsMgr();

    std::int16_t onlyTranslated = 0;
    std::int16_t currentColor = 0;       // the colour number to select; 0 none
    std::vector<RGB_COLOR_NUM>* colorList = nullptr;
    std::int16_t chosenIndex = 0;

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    void fillList();
    void sortByColumn(int column);
    std::string cellText(const RGB_COLOR_NUM& entry, int column) const;

    CTextSection texts_;
};
