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
